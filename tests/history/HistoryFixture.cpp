#include "HistoryFixture.h"

#include "core/data/modDBUtil.h"
#include "support/Books.h"

#include <QDate>

using namespace modDBUtil;
using zelk::Amount;

namespace historyfixture {

void writeBooks(TestDatabase& db) {
    db.exec(UpdateCompanyPeriods(1, 2002, 2004, 4));
    for (const auto& [no, name, cls] :
         {std::tuple{"1000", "Cash", 1}, std::tuple{"1100", "Bank", 1},
          std::tuple{"4000", "Sales", 5}, std::tuple{"6000", "Rent", 6}})
        Books(db).addAccount(no, cls, "0", name);

    // Closed lines, two per transaction. T1 and T2 share their description; T3 and T4
    // have none.
    struct Trx {
        const char *no, *debit, *credit, *source;
        QDate date;
        const char *description, *amount;
    };
    for (const Trx& t : {Trx{"T1", "1000", "4000", "INV-1", {2004, 1, 5}, "Cash sale", "1250.5"},
                         Trx{"T2", "1000", "4000", "INV-2", {2004, 1, 12}, "Cash sale", "300"},
                         Trx{"T3", "6000", "1100", "", {2004, 1, 20}, "", "75"},
                         Trx{"T4", "6000", "1000", "", {2004, 1, 31}, "", "0.25"},
                         Trx{"T5", "6000", "1100", "R-2", {2004, 2, 10}, "Rent February", "800"}}) {
        db.exec(InsertTransactionHistory(t.no, t.debit, 1, t.source, t.date, t.description,
                                         money(t.amount)));
        db.exec(InsertTransactionHistory(t.no, t.credit, 2, t.source, t.date, t.description,
                                         -money(t.amount)));
    }

    // The open year 2004: period 1 (April 2004) and period 11 (February 2005).
    db.exec(UpdateGeneral("1000", 2004, 1, money("10"), Amount()));
    db.exec(UpdateGeneral("1000", 2004, 11, money("500"), money("120.4")));
    db.exec(UpdateGeneral("4000", 2004, 11, Amount(), money("500")));
    db.exec(UpdateGeneral("6000", 2004, 11, money("120.4"), Amount()));

    // Closed years: period 10 is January.
    struct General {
        const char* account;
        int year, period;
        const char *debit, *credit;
    };
    for (const General& g :
         {General{"1000", 2003, 10, "1550.5", "0.25"}, General{"1100", 2003, 10, "0", "75"},
          General{"4000", 2003, 10, "0", "1550.5"}, General{"6000", 2003, 10, "75.25", "0"},
          General{"6000", 2003, 11, "800", "0"}, General{"1100", 2003, 11, "0", "800"},
          General{"1000", 2002, 10, "99", "0"}, General{"4000", 2002, 10, "0", "99"}})
        db.exec(InsertGeneralHistory(g.account, g.year, g.period, money(g.debit), money(g.credit)));

    const auto balances = [&](const char* account, int year, const char* beginning,
                              std::initializer_list<std::pair<int, const char*>> periods) {
        Saldos s{};
        for (const auto& [period, value] : periods)
            s[size_t(period - 1)] = money(value);
        db.exec(InsertAccountBalanceHistory(account, year, money(beginning), s));
    };
    balances("1000", 2003, "1000", {{1, "200"}, {10, "1550.25"}});
    balances("1100", 2003, "5000", {{10, "-75"}, {11, "-800"}});
    balances("4000", 2003, "0", {{10, "-1550.5"}});
    balances("6000", 2003, "0", {{10, "75.25"}, {11, "800"}});
    balances("1000", 2002, "500", {{12, "500"}});
}

} // namespace historyfixture
