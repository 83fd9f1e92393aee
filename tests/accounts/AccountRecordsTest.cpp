#include "core/accounts/AccountRecords.h"
#include "LedgerFixtures.h"
#include "core/data/Connection.h"
#include "core/data/modDBUtil.h"

#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

using namespace zelk;
using namespace zelk::accounts;

namespace {

// "period:debit/credit ..." of an account's general-ledger rows of a year.
QString generalRows(TestDatabase& db, const QString& no, int year) {
    return db
        .query(QString("SELECT group_concat(Period || ':' || Debit || '/' || Credit, ' ') "
                       "AS Rows FROM (SELECT * FROM Ledger_General WHERE FKID_Account='%1' "
                       "AND PeriodYear=%2 ORDER BY Period)")
                   .arg(no)
                   .arg(year))
        .text("Rows");
}

const QString TwelveEmpty = "1:0/0 2:0/0 3:0/0 4:0/0 5:0/0 6:0/0 7:0/0 8:0/0 9:0/0 10:0/0 "
                            "11:0/0 12:0/0";

qint64 balance(TestDatabase& db, const QString& no, int year, const char* column) {
    return db.scalar(QString("SELECT %1 FROM Ledger_AccountBalances WHERE FKID_Account='%2' AND "
                             "PeriodYear=%3")
                         .arg(column, no)
                         .arg(year));
}

} // namespace

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
    const AccountFields f{"1000", "Cash", "Petty cash, O'Brien's till", 1, "-1,250.75"};
    EXPECT_EQ(AccountSaveCommand(db.cnn(), f, EditorMode::Add), CommandOutcome::Committed);
    EXPECT_EQ(LoadAccount(db.cnn(), "1000"), f);
    EXPECT_EQ(db.count("Ledger_AccountBalances"), 1);
    EXPECT_EQ(balance(db, "1000", 2004, "BeginningBalance"), -12507500); // with its sign
    EXPECT_EQ(generalRows(db, "1000", 2004), TwelveEmpty);
    EXPECT_EQ(db.count("Ledger_General"), 12);
    // Empty notes are stored as NULL.
    EXPECT_EQ(AccountSaveCommand(db.cnn(), {"1100", "Bank", "", 1}, EditorMode::Add),
              CommandOutcome::Committed);
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
    EXPECT_EQ(f->BeginningBalance, "0.00");
    f->AccountName = "Cash in hand";
    f->AccountClassID = 2;
    f->Notes = "note";
    f->BeginningBalance = "99.50";
    EXPECT_EQ(AccountSaveCommand(db.cnn(), *f, EditorMode::Edit), CommandOutcome::Committed);
    // Loading again shows the saved balance as it was typed, "#,##0.00".
    EXPECT_EQ(LoadAccount(db.cnn(), "1000"), f);
    EXPECT_EQ(balance(db, "1000", 2004, "BeginningBalance"), 995000);
    EXPECT_EQ(balance(db, "1000", 2004, "Saldo3"), 300000);
    EXPECT_EQ(balance(db, "1000", 2003, "BeginningBalance"), 50000);
    EXPECT_EQ(balance(db, "1000", 2003, "Saldo1"), 70000);
    EXPECT_EQ(db.count("Ledger_General"), 12);
    EXPECT_TRUE(generalRows(db, "1000", 2004).startsWith("1:0/0 2:120000/0 3:0/0"));
}

TEST(AccountEditor, EditOfAnAccountWithoutThisYearsRowsCreatesThem) {
    TestDatabase db;
    ScriptedUi ui;
    fixtures::setCompanyYear(db, 2005);
    fixtures::addAccount(db, "3000", "Capital", 3, 2004); // rows of 2004 only
    fixtures::addAccount(db, "3100", "Reserves", 3, 2004);
    // Five of the twelve rows of 2005 exist, one of them with amounts posted.
    for (int p : {1, 2, 3, 9, 12})
        db.exec(QString("INSERT INTO Ledger_General (FKID_Account, PeriodYear, Period) VALUES "
                        "('3000', 2005, %1)")
                    .arg(p));
    db.exec("UPDATE Ledger_General SET Debit=4, Credit=6 WHERE PeriodYear=2005 AND Period=9");

    std::optional<AccountFields> f = LoadAccount(db.cnn(), "3000");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->BeginningBalance, "0.00");
    f->BeginningBalance = "-800";
    EXPECT_EQ(AccountSaveCommand(db.cnn(), *f, EditorMode::Edit), CommandOutcome::Committed);
    EXPECT_EQ(balance(db, "3000", 2005, "BeginningBalance"), -8000000);
    EXPECT_EQ(generalRows(db, "3000", 2005),
              QString(TwelveEmpty).replace("9:0/0", "9:40000/60000"));
    EXPECT_EQ(generalRows(db, "3000", 2004), TwelveEmpty);
    // With no rows of the year at all, all twelve are made.
    EXPECT_EQ(AccountSaveCommand(db.cnn(), *LoadAccount(db.cnn(), "3100"), EditorMode::Edit),
              CommandOutcome::Committed);
    EXPECT_EQ(generalRows(db, "3100", 2005), TwelveEmpty);
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_AccountBalances WHERE FKID_Account='3100'"),
              2);
}

TEST(AccountEditor, RefusedSavesWriteNothingAndMapTheAnswers) {
    TestDatabase db;
    fixtures::setCompanyYear(db, 2004);
    fixtures::addAccount(db, "ab", "Lower", 1, 2004);
    // Keys compare without regard to case: "ab" and "AB" are one account number.
    EXPECT_EQ(LoadAccount(db.cnn(), "AB")->AccountName, "Lower");
    EXPECT_FALSE(LoadAccount(db.cnn(), "404"));
    const QByteArray before = db.fileBytes();
    struct Case {
        AccountFields fields;
        QString text; // the start of the report
        int buttons;
    } cases[] = {{{}, "Error: 1\r\nSource: Ledger Account\r\nDesc: Account no. is missing.", 5},
                 {{"AB", "Upper", "", 1, "10"},
                  QString("Error: %1\r\n").arg(SQLITE_CONSTRAINT_PRIMARYKEY),
                  7}};
    for (const Case& c : cases) {
        for (Answer answer : {Fix, Abort}) {
            SCOPED_TRACE(c.text.toStdString());
            ScriptedUi ui;
            ui.answerDialog(answer);
            EXPECT_EQ(AccountSaveCommand(db.cnn(), c.fields, EditorMode::Add),
                      answer == Fix ? CommandOutcome::Fix : CommandOutcome::Abort);
            ASSERT_EQ(ui.dialogs().size(), 1u);
            EXPECT_EQ(ui.dialogs()[0].buttons, c.buttons);
            EXPECT_TRUE(ui.dialogs()[0].text.startsWith(c.text))
                << ui.dialogs()[0].text.toStdString();
            EXPECT_EQ(db.fileBytes(), before);
        }
    }
}

TEST(AccountDeletion, YesRemovesGeneralAndBalanceRowsOfEveryYearNoLeavesThem) {
    TestDatabase db;
    fixtures::setCompanyYear(db, 2004);
    fixtures::addAccount(db, "1000", "Cash", 1, 2003);
    fixtures::addAccount(db, "1100", "Bank", 1, 2004);
    db.exec(modDBUtil::InsertGeneralYear("1000", 2004));
    db.exec(modDBUtil::InsertAccountBalance("1000", 2004, {}));
    const QByteArray before = db.fileBytes();
    ScriptedUi ui;
    ui.answerYes(false).answerYes(true);
    EXPECT_EQ(RunListDeletion(db.cnn(), AccountDeletion(), "1000", "Accounts"),
              DeletionOutcome::Declined);
    EXPECT_EQ(db.fileBytes(), before);
    EXPECT_EQ(RunListDeletion(db.cnn(), AccountDeletion(), "1000", "Accounts"),
              DeletionOutcome::Deleted);
    ASSERT_EQ(ui.asked().size(), 2u);
    EXPECT_EQ(ui.asked()[1].text, "Delete account no 1000?");
    EXPECT_EQ(ui.asked()[1].title, "Accounts");
    // Only the other account's rows are left.
    EXPECT_EQ(db.count("Ledger_General"), 12);
    EXPECT_EQ(db.count("Ledger_AccountBalances"), 1);
    EXPECT_EQ(db.count("Ledger_Accounts"), 1);
}

TEST(AccountDeletion, AnAccountStillInUseIsRefusedInABookkeepersWords) {
    TestDatabase db;
    fixtures::setCompanyYear(db, 2004);
    fixtures::addAccount(db, "1000", "Cash", 1, 2004);
    fixtures::addAccount(db, "4000", "Sales", 5, 2004);
    fixtures::addTransaction(db, "T1", false, {{"1000", 10000}, {"4000", -10000}});
    // History rows keep an account in use as well.
    fixtures::addAccount(db, "5000", "Rent", 6, 2004);
    db.exec(modDBUtil::InsertAccountBalanceHistory("5000", 2003, {}, {}));
    const QByteArray before = db.fileBytes();
    for (const auto& [no, answer] : {std::pair{"1000", Abort}, {"1000", Fix}, {"5000", Fix}}) {
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
