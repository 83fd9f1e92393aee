#include "HistoryFixture.h"

#include "data/modDBUtil.h"

#include <QDate>
#include <stdexcept>

using namespace modDBUtil;
using zelk::Amount;

namespace historyfixture {

Amount money(const char* text) {
    const std::optional<Amount> a = Amount::parse(QString::fromLatin1(text));
    if (!a)
        throw std::invalid_argument(text);
    return *a;
}

namespace {

void account(TestDatabase& db, const QString& no, const QString& name, int cls) {
    db.exec(InsertAccount(no, name, cls, QString()));
    db.exec(InsertGeneralYear(no, 2004));
    db.exec(InsertAccountBalance(no, 2004, Amount()));
}

void line(TestDatabase& db, const QString& trx, const QString& accountNo, int seq,
          const QString& source, QDate date, const QString& description, const char* amount) {
    db.exec(
        InsertTransactionHistory(trx, accountNo, seq, source, date, description, money(amount)));
}

void balances(TestDatabase& db, const QString& accountNo, int year, const char* beginning,
              std::initializer_list<std::pair<int, const char*>> periods) {
    Saldos s{};
    for (const auto& [period, value] : periods)
        s[size_t(period - 1)] = money(value);
    db.exec(InsertAccountBalanceHistory(accountNo, year, money(beginning), s));
}

} // namespace

void writeBooks(TestDatabase& db) {
    db.exec(UpdateCompanyPeriods(1, 2002, 2004, 4));

    account(db, "1000", "Cash", 1);
    account(db, "1100", "Bank", 1);
    account(db, "4000", "Sales", 5);
    account(db, "6000", "Rent", 6);

    // Closed lines. T1 and T2 share their description; T3 and T4 have none.
    line(db, "T1", "1000", 1, "INV-1", QDate(2004, 1, 5), "Cash sale", "1250.5");
    line(db, "T1", "4000", 2, "INV-1", QDate(2004, 1, 5), "Cash sale", "-1250.5");
    line(db, "T2", "1000", 1, "INV-2", QDate(2004, 1, 12), "Cash sale", "300");
    line(db, "T2", "4000", 2, "INV-2", QDate(2004, 1, 12), "Cash sale", "-300");
    line(db, "T3", "6000", 1, "", QDate(2004, 1, 20), "", "75");
    line(db, "T3", "1100", 2, "", QDate(2004, 1, 20), "", "-75");
    line(db, "T4", "6000", 1, "", QDate(2004, 1, 31), "", "0.25");
    line(db, "T4", "1000", 2, "", QDate(2004, 1, 31), "", "-0.25");
    line(db, "T5", "6000", 1, "R-2", QDate(2004, 2, 10), "Rent February", "800");
    line(db, "T5", "1100", 2, "R-2", QDate(2004, 2, 10), "Rent February", "-800");

    // The open year 2004: period 1 (April 2004) and period 11 (February 2005).
    db.exec(UpdateGeneral("1000", 2004, 1, money("10"), Amount()));
    db.exec(UpdateGeneral("1000", 2004, 11, money("500"), money("120.4")));
    db.exec(UpdateGeneral("4000", 2004, 11, Amount(), money("500")));
    db.exec(UpdateGeneral("6000", 2004, 11, money("120.4"), Amount()));

    // Closed years: period 10 is January.
    db.exec(InsertGeneralHistory("1000", 2003, 10, money("1550.5"), money("0.25")));
    db.exec(InsertGeneralHistory("1100", 2003, 10, Amount(), money("75")));
    db.exec(InsertGeneralHistory("4000", 2003, 10, Amount(), money("1550.5")));
    db.exec(InsertGeneralHistory("6000", 2003, 10, money("75.25"), Amount()));
    db.exec(InsertGeneralHistory("6000", 2003, 11, money("800"), Amount()));
    db.exec(InsertGeneralHistory("1100", 2003, 11, Amount(), money("800")));
    db.exec(InsertGeneralHistory("1000", 2002, 10, money("99"), Amount()));
    db.exec(InsertGeneralHistory("4000", 2002, 10, Amount(), money("99")));

    balances(db, "1000", 2003, "1000", {{1, "200"}, {10, "1550.25"}});
    balances(db, "1100", 2003, "5000", {{10, "-75"}, {11, "-800"}});
    balances(db, "4000", 2003, "0", {{10, "-1550.5"}});
    balances(db, "6000", 2003, "0", {{10, "75.25"}, {11, "800"}});
    balances(db, "1000", 2002, "500", {{12, "500"}});
}

} // namespace historyfixture
