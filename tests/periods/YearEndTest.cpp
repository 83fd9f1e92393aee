#include "data/modDBUtil.h"
#include "periods/MonthEndRuns.h"
#include "periods/PostingRuns.h"
#include "periods/YearEndRuns.h"
#include "support/Books.h"

#include <gtest/gtest.h>

using namespace zelk::periods;
using zelk::Amount;
using Totals = Books::Totals;

namespace {

// Calendar fiscal year 2003, one account of each class but the earning class.
class YearEnd : public ::testing::Test {
protected:
    TestDatabase db;
    Books books{db};
    ScriptedUi ui;
    CountingProgress progress;
    ScriptedChooser chooser;

    void SetUp() override {
        books.newCompany(1, 2003);
        books.addAccount("1000", 1, "500");
        books.addAccount("2000", 2, "-200");
        books.addAccount("5000", 5, "-900");
        books.addAccount("6000", 6, "600");
    }
    // The questions and the run, as the window drives them.
    RunOutcome endYear() {
        EndYear run(db.cnn(), progress);
        if (!run.confirmJournal())
            return RunOutcome::NotStarted;
        const QString earning = run.chooseEarningAccount(chooser);
        if (earning.isEmpty())
            return RunOutcome::NotStarted;
        return run.run(earning);
    }
    RunOutcome revertEndYear() {
        RevertEndYear run(db.cnn(), progress);
        if (!run.confirmBeforeRun())
            return RunOutcome::NotStarted;
        return run.run();
    }
};

} // namespace

// With a single account of the earning class there is nothing to choose: it receives
// the result.
TEST_F(YearEnd, ASingleEarningAccountIsTakenWithoutTheChooser) {
    books.addAccount("4000", 4, "-100");
    ASSERT_EQ(endYear(), RunOutcome::Done);
    EXPECT_EQ(chooser.shown, 0);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"End year is done!"});
    // -100 + (-900) + 600
    EXPECT_EQ(books.balance("4000", 2004, 0), money("-400"));
    EXPECT_EQ(books.balance("1000", 2004, 0), money("500"));
    EXPECT_EQ(books.balance("5000", 2004, 0), money("0"));
    EXPECT_EQ(books.openYear(), 2004);
    // one step per account and three for the closing statements
    EXPECT_EQ(progress.maximum(), 5 + 3);
    EXPECT_EQ(progress.pumps(), 5 + 3);
}

// Year end opens the new year's ledger, so the new year can be posted and closed.
TEST_F(YearEnd, TheNewYearsLedgerRowsExistAndTakePostings) {
    books.addAccount("4000", 4);
    books.addTransaction("Y1", QDate(2003, 12, 31), {{"1000", "10"}, {"5000", "-10"}});
    {
        PostTransactions post(db.cnn(), progress);
        ASSERT_EQ(post.run(QDate(2003, 1, 1), QDate(2003, 12, 31)), RunOutcome::Done);
        EndMonth close(db.cnn(), progress);
        ASSERT_EQ(close.run(12), RunOutcome::Done);
    }
    ASSERT_EQ(endYear(), RunOutcome::Done);
    for (const char* account : {"1000", "2000", "4000", "5000", "6000"})
        for (int period = 1; period <= 12; ++period)
            EXPECT_EQ(books.general(account, 2004, period), (Totals{})) << account << " " << period;
    EXPECT_EQ(books.rows("Ledger_General"), 5 * 12);

    books.addTransaction("N1", QDate(2004, 3, 2), {{"1000", "25"}, {"5000", "-25"}});
    PostTransactions post(db.cnn(), progress);
    ASSERT_EQ(post.run(QDate(2004, 1, 1), QDate(2004, 12, 31)), RunOutcome::Done);
    EXPECT_TRUE(post.skipped().empty());
    EXPECT_EQ(books.general("1000", 2004, 3), (Totals{money("25"), Amount()}));
    EndMonth close(db.cnn(), progress);
    ASSERT_EQ(close.run(3), RunOutcome::Done);
    EXPECT_EQ(books.balance("1000", 2004, 3), money("25"));
    // the year before is in the histories: its December balance and ledger row
    EXPECT_EQ(books.balanceHistory("1000", 2003, 12), money("10"));
    EXPECT_EQ(books.generalHistory("5000", 2003, 12), (Totals{Amount(), money("10")}));
}

TEST_F(YearEnd, WithoutAnEarningAccountNothingChanges) {
    const QString before = books.dump();
    EXPECT_EQ(endYear(), RunOutcome::NotStarted);
    EXPECT_EQ(ui.messageBoxes(),
              std::vector<QString>{"You must at least have one account of earning account class!"});
    EXPECT_EQ(ui.asked().front().title, "Zelk");
    EXPECT_EQ(books.dump(), before);
}

// Posted transactions still in the journal would be deleted without reaching the
// history: year end refuses before anything happens.
TEST_F(YearEnd, PostedTransactionsNotClosedByMonthEndStopTheYearEnd) {
    books.addAccount("4000", 4);
    books.addTransaction("P1", QDate(2003, 3, 1), {{"1000", "1"}});
    books.addTransaction("P2", QDate(2003, 4, 1), {{"1000", "2"}});
    books.addTransaction("U1", QDate(2003, 5, 1), {{"1000", "3"}});
    {
        PostTransactions post(db.cnn(), progress);
        ASSERT_EQ(post.run(QDate(2003, 1, 1), QDate(2003, 4, 30)), RunOutcome::Done);
    }
    ui.clear();
    const QString before = books.dump();
    EndYear run(db.cnn(), progress);
    EXPECT_FALSE(run.confirmJournal());
    EXPECT_TRUE(run.cancelRequested());
    ASSERT_EQ(ui.asked().size(), 1u); // no question about the unposted one follows
    EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::MessageBox);
    EXPECT_EQ(ui.asked()[0].text, "You have 2 posted transaction(s) not closed by End Month.");
    EXPECT_EQ(ui.asked()[0].title, "End Year");
    EXPECT_EQ(books.dump(), before);
}

TEST_F(YearEnd, UnpostedTransactionsAreDeletedOnlyWhenTheUserAgrees) {
    books.addAccount("4000", 4);
    for (const char* no : {"U1", "U2", "U3"})
        books.addTransaction(no, QDate(2003, 5, 1), {{"1000", "3"}});
    const QString before = books.dump();
    ui.answerOk(false);
    EXPECT_EQ(endYear(), RunOutcome::NotStarted);
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::OkCancel);
    EXPECT_EQ(ui.asked()[0].text, "You have 3 unposted transaction(s).\nAll unposted transaction "
                                  "will be deleted by ending the year.");
    EXPECT_EQ(ui.asked()[0].title, "End Year");
    EXPECT_EQ(books.dump(), before);

    ui.clear();
    ui.answerOk(true);
    EXPECT_EQ(endYear(), RunOutcome::Done);
    EXPECT_EQ(books.rows("Ledger_Transactions"), 0);
    EXPECT_EQ(books.rows("Ledger_TransactionDetails"), 0);
    EXPECT_EQ(books.openYear(), 2004);
}

TEST_F(YearEnd, TheChooserComesBackUntilAChoiceOrACancel) {
    books.addAccount("4000", 4, "-100");
    books.addAccount("4100", 4, "-50");
    const QString before = books.dump();
    {
        // closed twice without a choice: "Cancel end year?" No, then Yes
        chooser.answers = {"", ""};
        ui.answerYes(false).answerYes(true);
        EXPECT_EQ(endYear(), RunOutcome::NotStarted);
        EXPECT_EQ(chooser.shown, 2);
        ASSERT_EQ(ui.asked().size(), 2u);
        for (const ScriptedUi::Asked& a : ui.asked()) {
            EXPECT_EQ(a.kind, ScriptedUi::Asked::YesNo);
            EXPECT_EQ(a.text, "Cancel end year?");
            EXPECT_EQ(a.title, "End Year");
        }
        EXPECT_EQ(books.dump(), before);
    }
    {
        // closed once, No, then 4100 is chosen
        ui.clear();
        chooser = ScriptedChooser();
        chooser.answers = {"", "4100"};
        ui.answerYes(false);
        EXPECT_EQ(endYear(), RunOutcome::Done);
        EXPECT_EQ(chooser.shown, 2);
        // 4100 receives -50 - 900 + 600; 4000 carries its -100
        EXPECT_EQ(books.balance("4100", 2004, 0), money("-350"));
        EXPECT_EQ(books.balance("4000", 2004, 0), money("-100"));
    }
}

TEST_F(YearEnd, AYearWithoutBalanceRowsChangesNothingNotEvenTheYear) {
    books.addAccount("4000", 4);
    db.exec(modDBUtil::UpdateCompanyPeriods(1, 2003, 2003, 1));
    db.exec("DELETE FROM Ledger_AccountBalances");
    const QString before = books.dump();
    EXPECT_EQ(endYear(), RunOutcome::Done);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"End year is done!"});
    EXPECT_EQ(books.dump(), before);
    EXPECT_EQ(books.openYear(), 2003);
}

TEST_F(YearEnd, AnAccountOfAnUnknownClassIsMovedButNotOpened) {
    books.addAccount("4000", 4);
    books.addAccount("9000", 9, "12");
    db.exec(modDBUtil::UpdateGeneral("9000", 2003, 4, money("3"), money("1")));
    ASSERT_EQ(endYear(), RunOutcome::Done);
    EXPECT_EQ(books.balance("9000", 2004, 0), std::nullopt);
    EXPECT_EQ(books.general("9000", 2004, 1), std::nullopt);
    EXPECT_EQ(books.balanceHistory("9000", 2003, 0), money("12"));
    EXPECT_EQ(books.generalHistory("9000", 2003, 4), (Totals{money("3"), money("1")}));
    // its year total reaches no earning account: 0 - 900 + 600
    EXPECT_EQ(books.balance("4000", 2004, 0), money("-300"));
}

TEST_F(YearEnd, RevertingTheYearEndRestoresTheClosedYearExactly) {
    books.addAccount("4000", 4, "-100");
    db.exec(modDBUtil::UpdateGeneral("1000", 2003, 4, money("3"), money("1")));
    db.exec(modDBUtil::UpdateAccountBalanceColumn("1000", 2003, 4, money("2")));
    db.exec(modDBUtil::UpdateCompanyPeriods(5, 2002, 2003, 1));
    const QString before = books.dump();
    ASSERT_EQ(endYear(), RunOutcome::Done);
    ui.clear();
    ASSERT_EQ(revertEndYear(), RunOutcome::Done);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Revert end year is done!"});
    EXPECT_EQ(books.dump(), before);
    // delete the balances, delete the ledger, 5 balance rows, 60 ledger rows, the end
    EXPECT_EQ(progress.maximum(), 5 + 60 + 3);
}

TEST_F(YearEnd, TheFirstYearCannotBeReverted) {
    const QString before = books.dump();
    EXPECT_EQ(revertEndYear(), RunOutcome::Refused);
    EXPECT_EQ(ui.messageBoxes(),
              std::vector<QString>{"Can't revert to earlier year than starting period year."});
    EXPECT_EQ(ui.asked().front().title, "Zelk");
    EXPECT_EQ(books.dump(), before);
    EXPECT_FALSE(db.cnn().inTransaction());
}

TEST_F(YearEnd, TransactionsInTheJournalAreDeletedOnlyWhenTheUserAgrees) {
    books.addAccount("4000", 4);
    ASSERT_EQ(endYear(), RunOutcome::Done);
    books.addTransaction("N1", QDate(2004, 2, 1), {{"1000", "1"}});
    books.addTransaction("N2", QDate(2004, 2, 2), {{"1000", "1"}});
    ui.clear();
    const QString before = books.dump();
    ui.answerOk(false);
    EXPECT_EQ(revertEndYear(), RunOutcome::NotStarted);
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::OkCancel);
    EXPECT_EQ(ui.asked()[0].text, "You have transactions for the current year.\nAll transactions "
                                  "will be deleted by reverting end year.");
    EXPECT_EQ(ui.asked()[0].title, "Revert End Year");
    EXPECT_EQ(books.dump(), before);

    ui.answerOk(true);
    EXPECT_EQ(revertEndYear(), RunOutcome::Done);
    EXPECT_EQ(books.rows("Ledger_Transactions"), 0);
    EXPECT_EQ(books.openYear(), 2003);
}

TEST_F(YearEnd, NoBalanceHistoryOfThePreviousYearChangesNothing) {
    db.exec(modDBUtil::UpdateCompanyPeriods(1, 2001, 2003, 1));
    const QString before = books.dump();
    EXPECT_EQ(revertEndYear(), RunOutcome::Done);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Revert end year is done!"});
    EXPECT_EQ(books.dump(), before);
}

// An account added after the year end loses its rows of the newer year; it gets a
// balance row and ledger rows of the reopened year, so it can still be posted to.
TEST_F(YearEnd, AnAccountAddedAfterTheYearEndKeepsRowsOfTheReopenedYear) {
    books.addAccount("4000", 4);
    ASSERT_EQ(endYear(), RunOutcome::Done);
    books.addAccount("1500", 1, "40");
    ASSERT_EQ(revertEndYear(), RunOutcome::Done);
    EXPECT_EQ(books.balance("1500", 2004, 0), std::nullopt);
    EXPECT_EQ(books.balance("1500", 2003, 0), money("0"));
    for (int period = 1; period <= 12; ++period)
        EXPECT_EQ(books.general("1500", 2003, period), (Totals{})) << period;
    EXPECT_EQ(books.rows("Ledger_General"), 6 * 12);
    EXPECT_EQ(books.rows("Ledger_AccountBalances"), 6);
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_General WHERE PeriodYear<>2003"), 0);

    books.addTransaction("L1", QDate(2003, 6, 1), {{"1500", "9"}, {"1000", "-9"}});
    PostTransactions post(db.cnn(), progress);
    ASSERT_EQ(post.run(QDate(2003, 6, 1), QDate(2003, 6, 30)), RunOutcome::Done);
    EXPECT_TRUE(post.skipped().empty());
    EXPECT_EQ(books.general("1500", 2003, 6), (Totals{money("9"), Amount()}));
}

// While months of the open year are closed, their history would be stranded in a year
// that is no longer open: reverting the year end is refused until they are reverted.
TEST_F(YearEnd, ClosedMonthsOfTheOpenYearStopTheRevert) {
    books.addAccount("4000", 4);
    ASSERT_EQ(endYear(), RunOutcome::Done);
    books.addTransaction("N1", QDate(2004, 2, 1), {{"1000", "4"}, {"6000", "-4"}});
    {
        PostTransactions post(db.cnn(), progress);
        ASSERT_EQ(post.run(QDate(2004, 1, 1), QDate(2004, 12, 31)), RunOutcome::Done);
        EndMonth close(db.cnn(), progress);
        ASSERT_EQ(close.run(2), RunOutcome::Done);
    }
    ui.clear();
    const QString before = books.dump();
    EXPECT_EQ(revertEndYear(), RunOutcome::NotStarted);
    EXPECT_EQ(ui.messageBoxes(),
              std::vector<QString>{"Revert the month ends of the current year first."});
    EXPECT_EQ(ui.asked().front().title, "Revert End Year");
    EXPECT_EQ(books.dump(), before);

    // once February is reopened (the journal then holds N1), the revert goes ahead
    {
        RevertEndMonth reopen(db.cnn(), progress);
        ASSERT_EQ(reopen.run(2), RunOutcome::Done);
    }
    ui.clear();
    ui.answerOk(true);
    EXPECT_EQ(revertEndYear(), RunOutcome::Done);
    EXPECT_EQ(books.openYear(), 2003);
    EXPECT_EQ(books.rows("Ledger_TransactionHistories"), 0);
}
