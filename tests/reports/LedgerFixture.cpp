#include "LedgerFixture.h"

#include "data/FiscalCalendar.h"
#include "data/modDBUtil.h"

#include <map>
#include <stdexcept>

using namespace modDBUtil;
using zelk::Amount;

namespace fixture {

Amount money(const char* text) {
    const auto a = Amount::parse(QString::fromUtf8(text));
    if (!a)
        throw std::invalid_argument(text);
    return *a;
}

void setCompany(TestDatabase& db, int financialPeriodBegin, int currentPeriodYear) {
    db.exec(UpdateCompanyInfo(QStringLiteral("Zuiderzee Handel {B.V.}"),
                              QStringLiteral("Kerkstraat 12\\b, 1017 Amsterdam"),
                              QStringLiteral("+31 20 555 0100"), QString(),
                              QStringLiteral("boekhouding@zuiderzee.example")));
    db.exec(UpdateCompanyPeriods(1, currentPeriodYear, currentPeriodYear, financialPeriodBegin));
}

void addAccount(TestDatabase& db, const Account& a, int year) {
    db.exec(InsertAccount(a.number, a.name, a.accountClass, QString()));
    db.exec(InsertAccountBalance(a.number, year, money(a.beginningBalance)));
    db.exec(InsertGeneralYear(a.number, year));
}

void addTransaction(TestDatabase& db, const Trx& t) {
    db.exec(InsertTransaction(t.number, t.source, t.description, t.date, t.posted));
    int seq = 0;
    for (const Line& l : t.lines)
        db.exec(InsertTransactionDetail(t.number, l.account, ++seq, money(l.amount)));
}

void post(TestDatabase& db, const std::vector<Trx>& trxs, int begin, int year) {
    std::map<std::pair<QString, int>, std::pair<Amount, Amount>> totals;
    for (const Trx& t : trxs) {
        if (!t.posted)
            continue;
        const auto when = zelk::fiscal::periodOfDate(begin, t.date);
        if (when.periodYear != year)
            continue;
        for (const Line& l : t.lines) {
            auto& [debit, credit] = totals[{l.account, when.period}];
            const Amount a = money(l.amount);
            if (a > Amount())
                debit += a;
            else
                credit -= a;
        }
    }
    for (const auto& [key, sums] : totals)
        db.exec(UpdateGeneral(key.first, year, key.second, sums.first, sums.second));
}

void closeMonth(TestDatabase& db, const std::vector<Trx>& trxs, int begin, int year, int period) {
    zelk::RowSet rows = db.query(GetGeneralOfPeriod(year, period));
    for (rows.moveFirst(); !rows.eof(); rows.moveNext())
        db.exec(UpdateAccountBalanceColumn(rows.text("AccountNo"), year, period,
                                           rows.amount("Debit") - rows.amount("Credit")));
    for (const Trx& t : trxs) {
        const auto when = zelk::fiscal::periodOfDate(begin, t.date);
        if (!t.posted || when.periodYear != year || when.period != period)
            continue;
        int seq = 0;
        for (const Line& l : t.lines)
            db.exec(InsertTransactionHistory(t.number, l.account, ++seq, t.source, t.date,
                                             t.description, money(l.amount)));
        db.exec(DeleteTransaction(t.number));
    }
}

void buildLedger(TestDatabase& db) {
    constexpr int begin = 4;
    constexpr int year = 2004;
    setCompany(db, begin, year);

    const std::vector<Account> accounts = {
        {"1000", "Cash", 1, "5000"},
        {"1100", QString::fromUtf8("Bank \"ING\" – owner's account"), 1, "120000"},
        {"1200", QString::fromUtf8("Accounts receivable – trade debtors (domestic)"), 1, "0"},
        {"2000", "Creditors {suppliers}", 2, "-15000"},
        {"2100", "VAT payable \\ output tax", 2, "-2500"},
        {"3000", "Share capital", 3, "-107500"},
        {"4000", "Retained earnings", 4, "0"},
        {"5000", QString::fromUtf8("Sales – Łódź branch"), 5, "0"},
        {"5100-CONSULT-NORTH", QString::fromUtf8("Услуги {consulting} \\ North"), 5, "0"},
        {"6000", "Rent", 6, "0"},
        {"6100", "Office supplies and small equipment item", 6, "0"},
    };
    for (const Account& a : accounts)
        addAccount(db, a, year);

    const std::vector<Trx> trxs = {
        {"T001",
         QDate(2004, 4, 1),
         "INV-001",
         "Opening sale",
         true,
         {{"1200", "11900"}, {"5000", "-10000"}, {"2100", "-1900"}}},
        {"T002",
         QDate(2004, 4, 5),
         "RENT-04",
         "April rent",
         true,
         {{"6000", "1500"}, {"1100", "-1500"}}},
        {"T003",
         QDate(2004, 4, 20),
         "CAP-1",
         "Capital injection",
         true,
         {{"1100", "1000000000"}, {"3000", "-1000000000"}}},
        {"T004",
         QDate(2004, 4, 28),
         "INV-002",
         "Consulting",
         true,
         {{"1000", "2345.67"}, {"5100-CONSULT-NORTH", "-2345.67"}}},
        {"T005",
         QDate(2004, 5, 3),
         "R-88",
         "Pens and paper",
         true,
         {{"6100", "250.10"}, {"1000", "-250.10"}}},
        {"T006",
         QDate(2004, 5, 15),
         "BNK-5",
         "Customer payment",
         true,
         {{"1100", "11900"}, {"1200", "-11900"}}},
        {"T007",
         QDate(2004, 5, 31),
         "CN-1",
         "Refund to customer",
         true,
         {{"5000", "200"}, {"1000", "-200"}}},
        {"T008",
         QDate(2004, 6, 2),
         "",
         "Payment to \"Jansen\" {ref 7} \\ paid",
         true,
         {{"2000", "3000"}, {"1100", "-3000"}}},
        {"T009",
         QDate(2004, 6, 2),
         "CR-17",
         "",
         false,
         {{"6100", "1234.50"}, {"2000", "-1234.50"}, {"6000", "0"}}},
        {"T010", QDate(2004, 6, 30), "MEMO", "Empty memo transaction", false, {}},
        {"T011",
         QDate(2004, 7, 1),
         "INV-003",
         "July sale",
         false,
         {{"1200", "500"}, {"5000", "-500"}}},
    };
    for (const Trx& t : trxs)
        addTransaction(db, t);
    post(db, trxs, begin, year);
    closeMonth(db, trxs, begin, year, 1);
    closeMonth(db, trxs, begin, year, 2);
}

} // namespace fixture
