#include "accounts/AccountRecords.h"
#include "LedgerFixtures.h"
#include "data/Connection.h"

#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

using namespace zelk;
using namespace zelk::accounts;

namespace {

AccountFields cash(const QString& balance = "0") {
    AccountFields f;
    f.AccountNo = "1000";
    f.AccountName = "Cash";
    f.AccountClassID = 1;
    f.BeginningBalance = balance;
    return f;
}

// Period -> (debit, credit) of an account's general-ledger rows of a year.
std::map<qint64, std::pair<qint64, qint64>> generalRows(TestDatabase& db, const QString& no,
                                                        int year) {
    std::map<qint64, std::pair<qint64, qint64>> rows;
    RowSet rs = db.query(QString("SELECT Period, Debit, Credit FROM Ledger_General WHERE "
                                 "FKID_Account='%1' AND PeriodYear=%2")
                             .arg(no)
                             .arg(year));
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        rows[rs.integer("Period")] = {rs.integer("Debit"), rs.integer("Credit")};
    return rows;
}

} // namespace

TEST(AccountEditor, ClassListFollowsTheTableAndFindsEntriesByValue) {
    TestDatabase db;
    const std::vector<AccountClass> classes = LoadAccountClasses(db.cnn());
    RowSet rs = db.query("SELECT AccountClassID, Name FROM SYS_AccountClasses");
    ASSERT_EQ(int(classes.size()), rs.recordCount());
    for (size_t i = 0; i < classes.size(); ++i, rs.moveNext()) {
        EXPECT_EQ(classes[i].AccountClassID, rs.integer("AccountClassID"));
        EXPECT_EQ(classes[i].Name, rs.text("Name"));
        EXPECT_EQ(FindClassIndex(classes, classes[i].AccountClassID), int(i));
    }
    EXPECT_EQ(FindClassIndex(classes, 99), -1);
    EXPECT_EQ(FindClassIndex({{7, "A"}, {7, "B"}}, 7), 0); // the first entry wins
}

TEST(AccountEditor, ChecksRunInOrder) {
    AccountFields f;
    f.BeginningBalance = "abc";
    const char* expected[] = {"Account no. is missing.", "Account name is missing.",
                              "Account class is missing.", "Beginning balance is invalid."};
    std::vector<std::function<void()>> fill = {[&] { f.AccountNo = " "; }, // blanks count
                                               [&] { f.AccountName = " "; },
                                               [&] { f.AccountClassID = 3; },
                                               [&] { f.BeginningBalance = "-1,250.75"; }};
    for (size_t i = 0; i < fill.size(); ++i) {
        const auto failure = CheckAccount(f);
        ASSERT_TRUE(failure) << i;
        EXPECT_EQ(failure->number, 1);
        EXPECT_EQ(failure->source, "Ledger Account");
        EXPECT_EQ(failure->description, expected[i]);
        fill[i]();
    }
    EXPECT_FALSE(CheckAccount(f));
    for (const char* bad : {"", "12a", "1.2.3", "1e5", "--4"}) {
        f.BeginningBalance = bad;
        ASSERT_TRUE(CheckAccount(f)) << bad;
        EXPECT_EQ(CheckAccount(f)->description, "Beginning balance is invalid.") << bad;
    }
}

TEST(AccountEditor, AddWritesAccountBalanceRowAndTwelvePeriodsOfTheOpenYear) {
    TestDatabase db;
    ScriptedUi ui;
    fixtures::setCompanyYear(db, 2004);
    AccountFields f = cash("-1250.75");
    f.Notes = "Petty cash, O'Brien's till";
    EXPECT_EQ(AccountSaveCommand(db.cnn(), f, EditorMode::Add), CommandOutcome::Committed);
    RowSet a = db.query("SELECT * FROM Ledger_Accounts");
    ASSERT_EQ(a.recordCount(), 1);
    EXPECT_EQ(a.text("AccountNo"), "1000");
    EXPECT_EQ(a.text("AccountName"), "Cash");
    EXPECT_EQ(a.integer("FKID_AccountClass"), 1);
    EXPECT_EQ(a.text("Notes"), "Petty cash, O'Brien's till");
    RowSet b = db.query("SELECT * FROM Ledger_AccountBalances");
    ASSERT_EQ(b.recordCount(), 1);
    EXPECT_EQ(b.integer("PeriodYear"), 2004);
    EXPECT_EQ(b.integer("BeginningBalance"), -12507500); // ten-thousandths, with its sign
    for (int p = 1; p <= 12; ++p)
        EXPECT_EQ(b.integer(QString("Saldo%1").arg(p)), 0);
    const auto general = generalRows(db, "1000", 2004);
    ASSERT_EQ(general.size(), 12u);
    for (qint64 p = 1; p <= 12; ++p)
        EXPECT_EQ(general.at(p), std::make_pair(qint64(0), qint64(0))) << p;
    EXPECT_EQ(db.count("Ledger_General"), 12);
    EXPECT_TRUE(ui.asked().empty());

    // Empty notes are stored as NULL.
    AccountFields bank = cash();
    bank.AccountNo = "1100";
    EXPECT_EQ(AccountSaveCommand(db.cnn(), bank, EditorMode::Add), CommandOutcome::Committed);
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_Accounts WHERE AccountNo='1100' AND "
                        "Notes IS NULL"),
              1);
}

TEST(AccountEditor, EditChangesOnlyTheAccountAndThisYearsBeginningBalance) {
    TestDatabase db;
    ScriptedUi ui;
    fixtures::setCompanyYear(db, 2004);
    fixtures::addAccount(db, "1000", "Cash", 1, 2004);
    db.exec("INSERT INTO Ledger_AccountBalances (FKID_Account, PeriodYear, BeginningBalance, "
            "Saldo1) VALUES ('1000', 2003, 5, 7)"); // another year: 5 and 7 units
    db.exec("UPDATE Ledger_AccountBalances SET Saldo3=30 WHERE PeriodYear=2004");
    db.exec("UPDATE Ledger_General SET Debit=12 WHERE Period=2");

    std::optional<AccountFields> f = LoadAccount(db.cnn(), "1000");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->BeginningBalance, "0");
    f->AccountName = "Cash in hand";
    f->AccountClassID = 2;
    f->Notes = "note";
    f->BeginningBalance = "99.5";
    EXPECT_EQ(AccountSaveCommand(db.cnn(), *f, EditorMode::Edit), CommandOutcome::Committed);

    RowSet a = db.query("SELECT * FROM Ledger_Accounts WHERE AccountNo='1000'");
    EXPECT_EQ(a.text("AccountName"), "Cash in hand");
    EXPECT_EQ(a.integer("FKID_AccountClass"), 2);
    EXPECT_EQ(a.text("Notes"), "note");
    EXPECT_EQ(db.scalar("SELECT BeginningBalance FROM Ledger_AccountBalances WHERE "
                        "PeriodYear=2004"),
              995000);
    EXPECT_EQ(db.scalar("SELECT Saldo3 FROM Ledger_AccountBalances WHERE PeriodYear=2004"), 300000);
    EXPECT_EQ(db.scalar("SELECT BeginningBalance FROM Ledger_AccountBalances WHERE "
                        "PeriodYear=2003"),
              50000);
    EXPECT_EQ(db.scalar("SELECT Saldo1 FROM Ledger_AccountBalances WHERE PeriodYear=2003"), 70000);
    EXPECT_EQ(db.count("Ledger_General"), 12);
    EXPECT_EQ(generalRows(db, "1000", 2004).at(2).first, 120000);

    // Loading again shows the saved balance as plain number text.
    EXPECT_EQ(LoadAccount(db.cnn(), "1000")->BeginningBalance, "99.5");
}

TEST(AccountEditor, EditOfAnAccountWithoutThisYearsRowsCreatesThem) {
    TestDatabase db;
    ScriptedUi ui;
    fixtures::setCompanyYear(db, 2005);
    fixtures::addAccount(db, "3000", "Capital", 3, 2004); // rows of 2004 only
    // Five of the twelve rows of 2005 exist, one of them with amounts posted.
    for (int p : {1, 2, 3, 9, 12})
        db.exec(QString("INSERT INTO Ledger_General (FKID_Account, PeriodYear, Period) VALUES "
                        "('3000', 2005, %1)")
                    .arg(p));
    db.exec("UPDATE Ledger_General SET Debit=4, Credit=6 WHERE PeriodYear=2005 AND Period=9");

    std::optional<AccountFields> f = LoadAccount(db.cnn(), "3000");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->BeginningBalance, "0");
    f->BeginningBalance = "-800";
    EXPECT_EQ(AccountSaveCommand(db.cnn(), *f, EditorMode::Edit), CommandOutcome::Committed);

    RowSet b = db.query("SELECT * FROM Ledger_AccountBalances WHERE PeriodYear=2005");
    ASSERT_EQ(b.recordCount(), 1);
    EXPECT_EQ(b.integer("BeginningBalance"), -8000000);
    const auto general = generalRows(db, "3000", 2005);
    ASSERT_EQ(general.size(), 12u);
    EXPECT_EQ(general.at(9), std::make_pair(qint64(40000), qint64(60000)));
    EXPECT_EQ(general.at(4), std::make_pair(qint64(0), qint64(0)));
    EXPECT_EQ(generalRows(db, "3000", 2004).size(), 12u);

    // With no rows of the year at all, all twelve are made.
    fixtures::addAccount(db, "3100", "Reserves", 3, 2004);
    f = LoadAccount(db.cnn(), "3100");
    EXPECT_EQ(AccountSaveCommand(db.cnn(), *f, EditorMode::Edit), CommandOutcome::Committed);
    EXPECT_EQ(generalRows(db, "3100", 2005).size(), 12u);
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_AccountBalances WHERE FKID_Account='3100'"),
              2);
}

TEST(AccountEditor, LoadReportsAMissingAccountAndKeepsAnUnknownClass) {
    TestDatabase db;
    fixtures::setCompanyYear(db, 2004);
    EXPECT_FALSE(LoadAccount(db.cnn(), "404"));
    EXPECT_EQ(AccountNotFoundText("404"), "Account no. 404 not found.");
    db.exec("INSERT INTO Ledger_Accounts (AccountNo, AccountName, FKID_AccountClass, Notes) "
            "VALUES ('9', 'Odd', 42, NULL)");
    std::optional<AccountFields> f = LoadAccount(db.cnn(), "9");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->AccountClassID, 42);
    EXPECT_EQ(FindClassIndex(LoadAccountClasses(db.cnn()), 42), -1);
    EXPECT_TRUE(f->Notes.isEmpty());
    // Keys compare without regard to case.
    fixtures::addAccount(db, "AB1", "Letters", 1, 2004);
    ASSERT_TRUE(LoadAccount(db.cnn(), "ab1"));
    EXPECT_EQ(LoadAccount(db.cnn(), "ab1")->AccountName, "Letters");
}

TEST(AccountEditor, ADuplicateNumberIsRefusedByTheDatabaseAndNothingIsWritten) {
    TestDatabase db;
    fixtures::setCompanyYear(db, 2004);
    fixtures::addAccount(db, "1000", "Cash", 1, 2004);
    const QByteArray before = db.fileBytes();
    for (Answer answer : {Fix, Abort}) {
        ScriptedUi ui;
        ui.answerDialog(answer);
        AccountFields f = cash("10");
        f.AccountNo = "1000";
        f.AccountName = "Second cash";
        EXPECT_EQ(AccountSaveCommand(db.cnn(), f, EditorMode::Add),
                  answer == Fix ? CommandOutcome::Fix : CommandOutcome::Abort);
        ASSERT_EQ(ui.dialogs().size(), 1u);
        EXPECT_EQ(ui.dialogs()[0].buttons, 7);
        EXPECT_TRUE(ui.dialogs()[0].text.startsWith(
            QString("Error: %1\r\n").arg(SQLITE_CONSTRAINT_PRIMARYKEY)))
            << ui.dialogs()[0].text.toStdString();
        EXPECT_EQ(db.fileBytes(), before);
    }
    // Keys compare without regard to case: "ab" and "AB" are one account number.
    fixtures::addAccount(db, "ab", "Lower", 1, 2004);
    ScriptedUi ui;
    ui.answerDialog(Abort);
    AccountFields upper = cash();
    upper.AccountNo = "AB";
    EXPECT_EQ(AccountSaveCommand(db.cnn(), upper, EditorMode::Add), CommandOutcome::Abort);
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_Accounts WHERE AccountNo='ab'"), 1);
}

TEST(AccountEditor, ValidationFailureWritesNothingAndMapsTheAnswers) {
    TestDatabase db;
    const QByteArray before = db.fileBytes();
    ScriptedUi ui;
    ui.answerDialog(Fix).answerDialog(Abort);
    AccountFields f; // every field empty
    EXPECT_EQ(AccountSaveCommand(db.cnn(), f, EditorMode::Add), CommandOutcome::Fix);
    EXPECT_EQ(AccountSaveCommand(db.cnn(), f, EditorMode::Add), CommandOutcome::Abort);
    ASSERT_EQ(ui.dialogs().size(), 2u);
    EXPECT_EQ(ui.dialogs()[0].text,
              "Error: 1\r\nSource: Ledger Account\r\nDesc: Account no. is missing.");
    EXPECT_EQ(ui.dialogs()[0].buttons, 5);
    EXPECT_EQ(db.fileBytes(), before);
}

TEST(AccountDeletion, RemovesGeneralAndBalanceRowsOfEveryYear) {
    TestDatabase db;
    fixtures::setCompanyYear(db, 2004);
    fixtures::addAccount(db, "1000", "Cash", 1, 2003);
    fixtures::addAccount(db, "1100", "Bank", 1, 2004);
    for (int p = 1; p <= 12; ++p)
        db.exec(QString("INSERT INTO Ledger_General (FKID_Account, PeriodYear, Period) VALUES "
                        "('1000', 2004, %1)")
                    .arg(p));
    db.exec("INSERT INTO Ledger_AccountBalances (FKID_Account, PeriodYear) VALUES ('1000', 2004)");
    ScriptedUi ui;
    ui.answerYes(true);
    EXPECT_EQ(RunListDeletion(db.cnn(), AccountDeletion(), "1000", "Accounts"),
              DeletionOutcome::Deleted);
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::YesNo);
    EXPECT_EQ(ui.asked()[0].text, "Delete account no 1000?");
    EXPECT_EQ(ui.asked()[0].title, "Accounts");
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_General WHERE FKID_Account='1000'"), 0);
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_AccountBalances WHERE FKID_Account='1000'"),
              0);
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_Accounts WHERE AccountNo='1000'"), 0);
    // The other account keeps its rows.
    EXPECT_EQ(db.count("Ledger_General"), 12);
    EXPECT_EQ(db.count("Ledger_AccountBalances"), 1);
    EXPECT_EQ(db.count("Ledger_Accounts"), 1);
}

TEST(AccountDeletion, NoLeavesEverything) {
    TestDatabase db;
    fixtures::addAccount(db, "1000", "Cash", 1, 2004);
    const QByteArray before = db.fileBytes();
    ScriptedUi ui;
    ui.answerYes(false);
    EXPECT_EQ(RunListDeletion(db.cnn(), AccountDeletion(), "1000", "Accounts"),
              DeletionOutcome::Declined);
    EXPECT_EQ(db.fileBytes(), before);
}

TEST(AccountDeletion, AnAccountStillInUseIsRefusedInABookkeepersWords) {
    TestDatabase db;
    fixtures::setCompanyYear(db, 2004);
    fixtures::addAccount(db, "1000", "Cash", 1, 2004);
    fixtures::addAccount(db, "4000", "Sales", 5, 2004);
    fixtures::addTransaction(db, "T1", false, {{"1000", 10000}, {"4000", -10000}});
    // History rows keep an account in use as well.
    fixtures::addAccount(db, "5000", "Rent", 6, 2004);
    db.exec("INSERT INTO Ledger_AccountBalanceHistories (FKID_Account, PeriodYear) VALUES "
            "('5000', 2003)");
    const QByteArray before = db.fileBytes();
    for (const char* no : {"1000", "5000"}) {
        for (Answer answer : {Abort, Fix}) {
            ScriptedUi ui;
            ui.answerYes(true).answerDialog(answer);
            EXPECT_EQ(RunListDeletion(db.cnn(), AccountDeletion(), no, "Accounts"),
                      answer == Fix ? DeletionOutcome::Fix : DeletionOutcome::Abort);
            ASSERT_EQ(ui.dialogs().size(), 1u);
            EXPECT_EQ(ui.dialogs()[0].title, "DB Error");
            EXPECT_EQ(ui.dialogs()[0].text,
                      QString("Error: %1\r\nSource: Zelk database\r\nDesc: Account %2 is still "
                              "used by transactions or ledger history and cannot be deleted.")
                          .arg(SQLITE_CONSTRAINT_FOREIGNKEY)
                          .arg(no));
            EXPECT_FALSE(db.cnn().inTransaction());
            EXPECT_EQ(db.fileBytes(), before) << no;
        }
    }
    EXPECT_EQ(db.count("Ledger_General"), 36);
    EXPECT_EQ(db.count("Ledger_AccountBalances"), 3);
}

TEST(AccountDeletion, OtherRefusalsKeepTheEnginesDescription) {
    TestDatabase db;
    fixtures::addAccount(db, "1000", "Cash", 1, 2004);
    fixtures::refuse(db, "DELETE", "Ledger_AccountBalances");
    ScriptedUi ui;
    ui.answerYes(true).answerDialog(Abort);
    EXPECT_EQ(RunListDeletion(db.cnn(), AccountDeletion(), "1000", "Accounts"),
              DeletionOutcome::Abort);
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_TRUE(ui.dialogs()[0].text.endsWith("refused by the test"))
        << ui.dialogs()[0].text.toStdString();
    EXPECT_EQ(db.count("Ledger_General"), 12);
}

TEST(AccountList, StatementAndColumns) {
    const std::vector<ListColumn> columns = AccountListColumns();
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0].caption, "No");
    EXPECT_EQ(columns[0].widthTwips, 912);
    EXPECT_EQ(columns[0].key, "AccountNo");
    EXPECT_EQ(columns[1].caption, "Name");
    EXPECT_EQ(columns[1].widthTwips, 3648);
    EXPECT_TRUE(columns[1].key.isEmpty());
    EXPECT_EQ(columns[2].caption, "Class");
    EXPECT_EQ(columns[2].widthTwips, 1548);
    EXPECT_TRUE(columns[2].key.isEmpty());
    EXPECT_TRUE(AccountListStatement().startsWith(
        "SELECT Ledger_Accounts.AccountNo, Ledger_Accounts.AccountName, SYS_AccountClasses.Name "
        "AS AccountClass "));
}
