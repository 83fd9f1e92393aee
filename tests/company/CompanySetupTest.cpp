#include "company/CompanySetup.h"
#include "accounts/LedgerFixtures.h"
#include "data/FiscalCalendar.h"

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
    EXPECT_EQ(BeginPeriodOf(4, 2), 11); // April .. February of the next year
    EXPECT_EQ(BeginPeriodOf(4, 4), 1);
    EXPECT_EQ(BeginPeriodOf(4, 3), 12);
    EXPECT_EQ(BeginPeriodOf(1, 12), 12);
    EXPECT_EQ(BeginPeriodOf(12, 1), 2);
}

TEST(NewCompany, ChecksRunInOrderAndTheFirstFailureIsReported) {
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
        const auto failure = CheckNewCompany(in);
        ASSERT_TRUE(failure.has_value()) << i;
        EXPECT_EQ(failure->number, 1);
        EXPECT_EQ(failure->source, "New Company");
        EXPECT_EQ(failure->description, expected[i]);
        fill[i]();
    }
    EXPECT_FALSE(CheckNewCompany(in).has_value());
    // Fax and e-mail are never required.
    EXPECT_TRUE(in.Fax.isEmpty() && in.eMail.isEmpty());
}

TEST(NewCompany, ValidationReportsWithFixAndAbortAndMapsTheAnswers) {
    ScriptedUi ui;
    ui.answerDialog(Fix).answerDialog(Abort);
    NewCompanyInput in = aprilCompany();
    in.Phone.clear();
    EXPECT_EQ(ValidateCompany(in), 1);
    EXPECT_EQ(ValidateCompany(in), 2);
    ASSERT_EQ(ui.dialogs().size(), 2u);
    const ScriptedUi::Asked shown = ui.dialogs()[0];
    EXPECT_EQ(shown.title, "DB Error");
    EXPECT_EQ(shown.buttons, 1 | 4); // Fix and Abort
    EXPECT_EQ(shown.text,
              "Error: 1\r\nSource: New Company\r\nDesc: Company's phone no. is missing.");
    EXPECT_EQ(ValidateCompany(aprilCompany()), 0); // nothing asked
    EXPECT_EQ(ui.asked().size(), 2u);
}

TEST(NewCompany, SaveEmptiesEveryLedgerTableAndSetsTheFiscalCalendar) {
    TestDatabase db;
    ScriptedUi ui;
    fixtures::fillEveryLedgerTable(db);
    const qint64 classes = db.count("SYS_AccountClasses");
    const qint64 types = db.count("SYS_CustReportTypes");

    // the books are emptied only when the question is answered Yes
    const QByteArray before = db.fileBytes();
    ui.answerYes(false).answerYes(true);
    EXPECT_EQ(NewCompanySaveCommand(db.cnn(), aprilCompany()), CommandOutcome::Fix);
    EXPECT_EQ(db.fileBytes(), before);
    EXPECT_EQ(NewCompanySaveCommand(db.cnn(), aprilCompany()), CommandOutcome::Committed);
    ASSERT_EQ(ui.asked().size(), 2u);
    EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::YesNo);
    EXPECT_EQ(ui.asked()[0].title, "New Company");
    EXPECT_EQ(ui.asked()[0].text, "New Company deletes every account, transaction, ledger row "
                                  "and report definition of the current books. Go on?");

    for (const QString& t : fixtures::ledgerTables())
        EXPECT_EQ(db.count(t), 0) << t.toStdString();
    EXPECT_EQ(db.count("SYS_Company"), 1);
    EXPECT_EQ(db.count("SYS_AccountClasses"), classes);
    EXPECT_EQ(db.count("SYS_Twelve"), 12);
    EXPECT_EQ(db.count("SYS_CustReportTypes"), types);
    RowSet c = db.query("SELECT * FROM SYS_Company");
    EXPECT_EQ(c.text("Name"), "Kestrel Trading");
    EXPECT_EQ(c.text("Address"), "1 Harbour Road");
    EXPECT_EQ(c.text("Phone"), "555-0100");
    EXPECT_TRUE(c.isNull("Fax"));
    EXPECT_TRUE(c.isNull("Email"));
    EXPECT_EQ(c.integer("BeginPeriod"), 11);
    EXPECT_EQ(c.integer("BeginPeriodYear"), 2004);
    EXPECT_EQ(c.integer("CurrentPeriodYear"), 2004);
    EXPECT_EQ(c.integer("FinancialPeriodBegin"), 4);
    EXPECT_FALSE(db.cnn().inTransaction());
}

TEST(NewCompany, InvalidInputWritesNothing) {
    TestDatabase db;
    ScriptedUi ui;
    fixtures::fillEveryLedgerTable(db);
    const QByteArray before = db.fileBytes();
    NewCompanyInput in = aprilCompany();
    in.StartMonth = 0;
    ui.answerDialog(Fix).answerDialog(Abort);
    EXPECT_EQ(NewCompanySaveCommand(db.cnn(), in), CommandOutcome::Fix);
    EXPECT_EQ(NewCompanySaveCommand(db.cnn(), in), CommandOutcome::Abort);
    EXPECT_EQ(ui.dialogs().at(0).text,
              "Error: 1\r\nSource: New Company\r\nDesc: Period Start is missing.");
    EXPECT_EQ(db.fileBytes(), before);
}

TEST(NewCompany, ARefusedStatementRollsEverythingBackOnFixOrAbort) {
    TestDatabase db;
    fixtures::fillEveryLedgerTable(db);
    fixtures::refuse(db, "DELETE", "Ledger_Accounts"); // the last of the deletions
    const QByteArray before = db.fileBytes();
    for (Answer answer : {Fix, Abort}) {
        ScriptedUi ui;
        ui.answerYes().answerDialog(answer);
        const CommandOutcome outcome = NewCompanySaveCommand(db.cnn(), aprilCompany());
        EXPECT_EQ(outcome, answer == Fix ? CommandOutcome::Fix : CommandOutcome::Abort);
        ASSERT_EQ(ui.dialogs().size(), 1u);
        EXPECT_EQ(ui.dialogs()[0].title, "DB Error");
        EXPECT_EQ(ui.dialogs()[0].buttons, 7); // Fix, Retry, Abort
        EXPECT_TRUE(ui.dialogs()[0].text.contains("refused by the test"));
        EXPECT_FALSE(db.cnn().inTransaction());
        EXPECT_EQ(db.fileBytes(), before) << "answer " << int(answer);
    }
    for (const QString& t : fixtures::ledgerTables())
        EXPECT_GT(db.count(t), 0) << t.toStdString();
}

TEST(NewCompany, RetryRunsTheRefusedStatementAgainAndCarriesOn) {
    TestDatabase db;
    fixtures::fillEveryLedgerTable(db);
    fixtures::refuse(db, "DELETE", "Ledger_Accounts");
    ScriptedUiWithStep ui;
    ui.answerYes().answerDialog(Retry);
    ui.onDialog = [] { fixtures::stopRefusing(); };
    EXPECT_EQ(NewCompanySaveCommand(db.cnn(), aprilCompany()), CommandOutcome::Committed);
    EXPECT_EQ(ui.dialogs().size(), 1u);
    for (const QString& t : fixtures::ledgerTables())
        EXPECT_EQ(db.count(t), 0) << t.toStdString();
    EXPECT_EQ(db.scalar("SELECT BeginPeriod FROM SYS_Company"), 11);
}

TEST(CompanySettings, LoadShowsContactDataAndTheStartMonthName) {
    TestDatabase db;
    db.exec("UPDATE SYS_Company SET Name='N', Address='A', Phone='P', Fax=NULL, Email=NULL, "
            "FinancialPeriodBegin=7");
    CompanySettings s = LoadCompanySettings(db.cnn());
    EXPECT_EQ(s.info.Name, "N");
    EXPECT_EQ(s.info.Address, "A");
    EXPECT_EQ(s.info.Phone, "P");
    EXPECT_TRUE(s.info.Fax.isEmpty());
    EXPECT_TRUE(s.info.eMail.isEmpty());
    EXPECT_EQ(s.FinancialPeriodStart, "July");
    db.exec("UPDATE SYS_Company SET FinancialPeriodBegin=12, Fax='F', Email='e@x'");
    s = LoadCompanySettings(db.cnn());
    EXPECT_EQ(s.FinancialPeriodStart, "December");
    EXPECT_EQ(s.info.Fax, "F");
    EXPECT_EQ(s.info.eMail, "e@x");
}

TEST(CompanySettings, SaveWritesTheFiveContactFieldsOnly) {
    TestDatabase db;
    ScriptedUi ui;
    db.exec("UPDATE SYS_Company SET Fax='F', Email='e@x', BeginPeriod=3, BeginPeriodYear=2001, "
            "CurrentPeriodYear=2002, FinancialPeriodBegin=5");
    CompanyInfo info{"O'Brien & Co", "Quay 2", "555", "", "mail@obrien"};
    EXPECT_EQ(CompanySaveCommand(db.cnn(), info), CommandOutcome::Committed);
    RowSet c = db.query("SELECT * FROM SYS_Company");
    EXPECT_EQ(c.text("Name"), "O'Brien & Co");
    EXPECT_EQ(c.text("Address"), "Quay 2");
    EXPECT_EQ(c.text("Phone"), "555");
    EXPECT_TRUE(c.isNull("Fax")); // cleared fax is stored as NULL
    EXPECT_EQ(c.text("Email"), "mail@obrien");
    EXPECT_EQ(c.integer("BeginPeriod"), 3);
    EXPECT_EQ(c.integer("BeginPeriodYear"), 2001);
    EXPECT_EQ(c.integer("CurrentPeriodYear"), 2002);
    EXPECT_EQ(c.integer("FinancialPeriodBegin"), 5);
    EXPECT_TRUE(ui.asked().empty());
}

TEST(CompanySettings, RequiredFieldsAreRefusedAndNothingIsWritten) {
    TestDatabase db;
    const QByteArray before = db.fileBytes();
    struct Case {
        CompanyInfo info;
        const char* message;
    } cases[] = {{{"", "A", "P", "F", "E"}, "Company's name is missing."},
                 {{"N", "", "", "F", "E"}, "Company's address is missing."},
                 {{"N", "A", "", "", ""}, "Company's phone no. is missing."}};
    for (const Case& c : cases) {
        for (Answer answer : {Fix, Abort}) {
            ScriptedUi ui;
            ui.answerDialog(answer);
            EXPECT_EQ(CompanySaveCommand(db.cnn(), c.info),
                      answer == Fix ? CommandOutcome::Fix : CommandOutcome::Abort);
            ASSERT_EQ(ui.dialogs().size(), 1u);
            EXPECT_EQ(ui.dialogs()[0].buttons, 5);
            EXPECT_EQ(ui.dialogs()[0].text,
                      QString("Error: 1\r\nSource: Company\r\nDesc: ") + c.message);
        }
    }
    EXPECT_EQ(db.fileBytes(), before);
}

TEST(CompanySettings, ARefusedUpdateLeavesTheRowAsItWas) {
    TestDatabase db;
    fixtures::refuse(db, "UPDATE", "SYS_Company");
    const QByteArray before = db.fileBytes();
    ScriptedUi ui;
    ui.answerDialog(Retry).answerDialog(Abort); // Retry fails again, then Abort
    EXPECT_EQ(CompanySaveCommand(db.cnn(), {"N", "A", "P", "", ""}), CommandOutcome::Abort);
    EXPECT_EQ(ui.dialogs().size(), 2u);
    EXPECT_EQ(db.fileBytes(), before);
}
