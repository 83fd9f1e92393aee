#include "core/company/CompanySetup.h"
#include "accounts/LedgerFixtures.h"

#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::company;

namespace {

NewCompanyInput aprilCompany() {
    NewCompanyInput in;
    in.Name = "Kestrel Trading";
    in.Address = "1 Harbour Road";
    in.Phone = "555-0100";
    in.FinancialPeriodBegin = 4; // April
    in.StartYear = 2004;
    in.StartMonth = 2; // February
    return in;
}

} // namespace

TEST(NewCompany, BeginPeriodCountsMonthsFromTheFiscalStart) {
    struct Case {
        int fiscalStart, startMonth, period;
    } cases[] = {{4, 2, 11}, {4, 4, 1}, {4, 3, 12}, {1, 12, 12}, {12, 1, 2}};
    for (const Case& c : cases)
        EXPECT_EQ(BeginPeriodOf(c.fiscalStart, c.startMonth), c.period)
            << c.fiscalStart << " " << c.startMonth;
}

TEST(NewCompany, ChecksRunInOrderTheFirstFailureIsReportedAndNothingIsWritten) {
    TestDatabase db;
    fixtures::fillEveryLedgerTable(db);
    const QByteArray before = db.fileBytes();
    NewCompanyInput in; // everything empty, nothing chosen
    const char* expected[] = {
        "Company's name is missing.",      "Company's address is missing.",
        "Company's phone no. is missing.", "Financial Period Start is missing.",
        "Year Start is missing.",          "Period Start is missing."};
    // Each step fills the field the previous failure named.
    std::vector<std::function<void()>> fill = {
        [&] { in.Name = " "; }, // blanks are not trimmed: a name of blanks passes
        [&] { in.Address = "a"; },
        [&] { in.Phone = "p"; },
        [&] { in.FinancialPeriodBegin = 4; },
        [&] { in.StartYear = 1980; },
        [&] { in.StartMonth = 12; }};
    for (size_t i = 0; i < fill.size(); ++i) {
        SCOPED_TRACE(expected[i]);
        const Answer answer = i % 2 ? Abort : Fix;
        ScriptedUi ui;
        ui.answerDialog(answer);
        EXPECT_EQ(NewCompanySaveCommand(db.cnn(), in),
                  answer == Fix ? CommandOutcome::Fix : CommandOutcome::Abort);
        ASSERT_EQ(ui.dialogs().size(), 1u);
        EXPECT_EQ(ui.dialogs()[0].title, "DB Error");
        EXPECT_EQ(ui.dialogs()[0].buttons, 1 | 4); // Fix and Abort
        EXPECT_EQ(ui.dialogs()[0].text,
                  QString("Error: 1\r\nSource: New Company\r\nDesc: ") + expected[i]);
        fill[i]();
    }
    EXPECT_EQ(db.fileBytes(), before);
    EXPECT_FALSE(CheckNewCompany(in).has_value()); // fax and e-mail are never required
}

TEST(NewCompany, SaveEmptiesEveryLedgerTableAndSetsTheFiscalCalendar) {
    TestDatabase db;
    ScriptedUi ui;
    fixtures::fillEveryLedgerTable(db);
    std::map<QString, qint64> kept; // the program's own tables keep their rows
    for (const char* t : {"SYS_AccountClasses", "SYS_CustReportTypes", "SYS_Twelve"})
        kept[t] = db.count(t);
    // The books are emptied only when the question is answered Yes.
    const QByteArray before = db.fileBytes();
    ui.answerYes(false).answerYes(true);
    EXPECT_EQ(NewCompanySaveCommand(db.cnn(), aprilCompany()), CommandOutcome::Fix);
    EXPECT_EQ(db.fileBytes(), before);
    EXPECT_EQ(NewCompanySaveCommand(db.cnn(), aprilCompany()), CommandOutcome::Committed);
    ASSERT_EQ(ui.asked().size(), 2u);
    EXPECT_EQ(ui.asked()[0].title, "New Company");
    EXPECT_EQ(ui.asked()[0].text, "New Company deletes every account, transaction, ledger row "
                                  "and report definition of the current books. Go on?");
    for (const QString& t : fixtures::ledgerTables())
        EXPECT_EQ(db.count(t), 0) << t.toStdString();
    for (const auto& [t, n] : kept)
        EXPECT_EQ(db.count(t), n) << t.toStdString();
    EXPECT_EQ(db.count("SYS_Company"), 1);
    RowSet c = db.query("SELECT * FROM SYS_Company");
    EXPECT_EQ(c.text("Name") + "|" + c.text("Address") + "|" + c.text("Phone"),
              "Kestrel Trading|1 Harbour Road|555-0100");
    EXPECT_TRUE(c.isNull("Fax"));
    EXPECT_TRUE(c.isNull("Email"));
    EXPECT_EQ(c.integer("BeginPeriod"), 11);
    EXPECT_EQ(c.integer("BeginPeriodYear"), 2004);
    EXPECT_EQ(c.integer("CurrentPeriodYear"), 2004);
    EXPECT_EQ(c.integer("FinancialPeriodBegin"), 4);
    EXPECT_FALSE(db.cnn().inTransaction());
}

TEST(NewCompany, ARefusedStatementRollsBackOnFixOrAbortAndRetryCarriesOn) {
    TestDatabase db;
    fixtures::fillEveryLedgerTable(db);
    fixtures::refuse(db, "DELETE", "Ledger_Accounts"); // the last of the deletions
    const QByteArray before = db.fileBytes();
    for (Answer answer : {Fix, Abort}) {
        ScriptedUi ui;
        ui.answerYes().answerDialog(answer);
        EXPECT_EQ(NewCompanySaveCommand(db.cnn(), aprilCompany()),
                  answer == Fix ? CommandOutcome::Fix : CommandOutcome::Abort);
        ASSERT_EQ(ui.dialogs().size(), 1u);
        EXPECT_EQ(ui.dialogs()[0].buttons, 7); // Fix, Retry, Abort
        EXPECT_TRUE(ui.dialogs()[0].text.contains("refused by the test"));
        EXPECT_FALSE(db.cnn().inTransaction());
        EXPECT_EQ(db.fileBytes(), before) << "answer " << int(answer);
    }
    // Retry runs the refused statement again, this time allowed, and carries on.
    ScriptedUiWithStep ui;
    ui.answerYes().answerDialog(Retry);
    ui.onDialog = [] { fixtures::stopRefusing(); };
    EXPECT_EQ(NewCompanySaveCommand(db.cnn(), aprilCompany()), CommandOutcome::Committed);
    EXPECT_EQ(ui.dialogs().size(), 1u);
    for (const QString& t : fixtures::ledgerTables())
        EXPECT_EQ(db.count(t), 0) << t.toStdString();
    EXPECT_EQ(db.scalar("SELECT BeginPeriod FROM SYS_Company"), 11);
}

TEST(CompanySettings, SaveWritesTheFiveContactFieldsOnly) {
    TestDatabase db;
    ScriptedUi ui;
    db.exec("UPDATE SYS_Company SET Fax='F', Email='e@x', BeginPeriod=3, BeginPeriodYear=2001, "
            "CurrentPeriodYear=2002, FinancialPeriodBegin=5");
    CompanyInfo info{"O'Brien & Co", "Quay 2", "555", "", "mail@obrien"};
    EXPECT_EQ(CompanySaveCommand(db.cnn(), info), CommandOutcome::Committed);
    RowSet c = db.query("SELECT * FROM SYS_Company");
    EXPECT_EQ(c.text("Name") + "|" + c.text("Address") + "|" + c.text("Phone") + "|" +
                  c.text("Email"),
              "O'Brien & Co|Quay 2|555|mail@obrien");
    EXPECT_TRUE(c.isNull("Fax")); // cleared fax is stored as NULL
    EXPECT_EQ(c.integer("BeginPeriod"), 3);
    EXPECT_EQ(c.integer("BeginPeriodYear"), 2001);
    EXPECT_EQ(c.integer("CurrentPeriodYear"), 2002);
    EXPECT_EQ(c.integer("FinancialPeriodBegin"), 5);
}

TEST(CompanySettings, RequiredFieldsAreRefusedAndNothingIsWritten) {
    TestDatabase db;
    const QByteArray before = db.fileBytes();
    for (Answer answer : {Fix, Abort}) { // the order of the checks: as in New Company
        ScriptedUi ui;
        ui.answerDialog(answer);
        EXPECT_EQ(CompanySaveCommand(db.cnn(), {"N", "", "", "F", "E"}),
                  answer == Fix ? CommandOutcome::Fix : CommandOutcome::Abort);
        ASSERT_EQ(ui.dialogs().size(), 1u);
        EXPECT_EQ(ui.dialogs()[0].buttons, 5);
        EXPECT_EQ(ui.dialogs()[0].text,
                  "Error: 1\r\nSource: Company\r\nDesc: Company's address is missing.");
    }
    EXPECT_EQ(db.fileBytes(), before);
}
