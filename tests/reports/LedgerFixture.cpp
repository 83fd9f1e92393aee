#include "LedgerFixture.h"

#include "core/data/modDBUtil.h"
#include "core/periods/MonthEndRuns.h"
#include "core/periods/PostingRuns.h"
#include "support/Books.h"

#include <gtest/gtest.h>

using namespace modDBUtil;
using zelk::periods::RunOutcome;

namespace fixture {

void buildLedger(TestDatabase& db) {
    db.exec(UpdateCompanyInfo(QStringLiteral("Zuiderzee Handel {B.V.}"),
                              QStringLiteral("Kerkstraat 12\\b, 1017 Amsterdam"),
                              QStringLiteral("+31 20 555 0100"), QString(),
                              QStringLiteral("boekhouding@zuiderzee.example")));
    db.exec(UpdateCompanyPeriods(1, 2004, 2004, 4));
    const struct {
        const char* no;
        const char* name;
        int accountClass;
        const char* opening;
    } accounts[] = {
        {"1000", "Cash", 1, "5000"},
        {"1100", "Bank \"ING\" – owner's account", 1, "120000"},
        {"1200", "Accounts receivable – trade debtors (domestic)", 1, "0"},
        {"2000", "Creditors {suppliers}", 2, "-15000"},
        {"2100", "VAT payable \\ output tax", 2, "-2500"},
        {"3000", "Share capital", 3, "-107500"},
        {"4000", "Retained earnings", 4, "0"},
        {"5000", "Sales – Łódź branch", 5, "0"},
        {"5100-CONSULT-NORTH", "Услуги {consulting} \\ North", 5, "0"},
        {"6000", "Rent", 6, "0"},
        {"6100", "Office supplies and small equipment item", 6, "0"},
    };
    Books books(db);
    for (const auto& a : accounts)
        books.addAccount(a.no, a.accountClass, a.opening, QString::fromUtf8(a.name));

    struct Trx {
        const char* no;
        QDate date;
        const char* source;
        const char* description;
        std::vector<Books::Line> lines;
    };
    const Trx posted[] = {
        {"T001",
         {2004, 4, 1},
         "INV-001",
         "Opening sale",
         {{"1200", "11900"}, {"5000", "-10000"}, {"2100", "-1900"}}},
        {"T002", {2004, 4, 5}, "RENT-04", "April rent", {{"6000", "1500"}, {"1100", "-1500"}}},
        {"T003",
         {2004, 4, 20},
         "CAP-1",
         "Capital injection",
         {{"1100", "1000000000"}, {"3000", "-1000000000"}}},
        {"T004",
         {2004, 4, 28},
         "INV-002",
         "Consulting",
         {{"1000", "2345.67"}, {"5100-CONSULT-NORTH", "-2345.67"}}},
        {"T005", {2004, 5, 3}, "R-88", "Pens and paper", {{"6100", "250.10"}, {"1000", "-250.10"}}},
        {"T006",
         {2004, 5, 15},
         "BNK-5",
         "Customer payment",
         {{"1100", "11900"}, {"1200", "-11900"}}},
        {"T007", {2004, 5, 31}, "CN-1", "Refund to customer", {{"5000", "200"}, {"1000", "-200"}}},
        {"T008",
         {2004, 6, 2},
         "",
         "Payment to \"Jansen\" {ref 7} \\ paid",
         {{"2000", "3000"}, {"1100", "-3000"}}},
    };
    const Trx unposted[] = {
        {"T009",
         {2004, 6, 2},
         "CR-17",
         "",
         {{"6100", "1234.50"}, {"2000", "-1234.50"}, {"6000", "0"}}},
        {"T010", {2004, 6, 30}, "MEMO", "Empty memo transaction", {}},
        {"T011", {2004, 7, 1}, "INV-003", "July sale", {{"1200", "500"}, {"5000", "-500"}}},
    };
    for (const Trx& t : posted)
        books.addTransaction(t.no, t.date, t.lines, t.source, t.description);
    {
        ScriptedUi quiet; // the runs' done messages
        zelk::NoProgress progress;
        zelk::periods::PostTransactions post(db.cnn(), progress);
        ASSERT_EQ(post.run(QDate(2004, 4, 1), QDate(2004, 6, 30)), RunOutcome::Done);
        for (int month : {4, 5}) {
            zelk::periods::EndMonth end(db.cnn(), progress);
            ASSERT_EQ(end.run(month), RunOutcome::Done);
        }
    }
    for (const Trx& t : unposted)
        books.addTransaction(t.no, t.date, t.lines, t.source, t.description);
}

} // namespace fixture
