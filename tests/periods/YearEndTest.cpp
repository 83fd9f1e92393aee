#include "core/books/Snapshots.h"
#include "core/data/modDBUtil.h"
#include "core/periods/MonthEndRuns.h"
#include "core/periods/PostingRuns.h"
#include "core/periods/YearEndRuns.h"
#include "support/Books.h"

#include <QFile>
#include <gtest/gtest.h>
#include <limits>

using namespace zelk::periods;
using zelk::Amount;
using Totals = Books::Totals;

namespace {

// Calendar fiscal year 2003, one account of each class but the earning class; an
// earning account of -100 balances the opening balances.
class YearEnd : public ::testing::Test {
protected:
    TestDatabase db;
    Books books{db};
    ScriptedUi ui;
    zelk::NoProgress progress;
    ScriptedChooser chooser;

    void SetUp() override {
        books.newCompany(1, 2003);
        books.addAccount("1000", 1, "600");
        books.addAccount("2000", 2, "-200");
        books.addAccount("5000", 5, "-900");
        books.addAccount("6000", 6, "600");
    }
    RunOutcome endYear(TestDatabase* in = nullptr) {
        return ::endYear((in ? *in : db).cnn(), progress, chooser);
    }
    RunOutcome revertEndYear(TestDatabase* in = nullptr) {
        return ::revertEndYear((in ? *in : db).cnn(), progress);
    }
};

} // namespace

// With a single account of the earning class there is nothing to choose: it receives
// the result. The closed year goes to the histories, and the new year's ledger is opened
// empty (the scenario posts and closes in it). Reverted, the year is as it was.
TEST_F(YearEnd, ASingleEarningAccountTakesTheResultAndTheNewYearOpens) {
    books.addAccount("4000", 4, "-100");
    books.addTransaction("Y1", QDate(2003, 12, 31), {{"1000", "10"}, {"5000", "-10"}});
    {
        PostTransactions post(db.cnn(), progress);
        ASSERT_EQ(post.run(QDate(2003, 1, 1), QDate(2003, 12, 31)), RunOutcome::Done);
        EndMonth close(db.cnn(), progress);
        ASSERT_EQ(close.run(12), RunOutcome::Done);
    }
    db.exec(modDBUtil::UpdateGeneral("1000", 2003, 4, money("3"), money("1")));
    db.exec(modDBUtil::UpdateAccountBalanceColumn("1000", 2003, 4, money("2")));
    db.exec(modDBUtil::UpdateCompanyPeriods(5, 2002, 2003, 1)); // so it can be reverted
    const QString before = books.dump();
    ui.clear();
    ASSERT_EQ(endYear(), RunOutcome::Done);
    EXPECT_EQ(chooser.shown, 0);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"End year is done!"});
    // -100 + (-900 - 10) + 600
    EXPECT_EQ(books.balance("4000", 2004, 0), money("-410"));
    EXPECT_EQ(books.balance("1000", 2004, 0), money("612")); // 600 + 2 + 10
    EXPECT_EQ(books.balance("5000", 2004, 0), money("0"));
    EXPECT_EQ(books.openYear(), 2004);
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_General WHERE PeriodYear=2004 AND Debit=0 "
                        "AND Credit=0"),
              5 * 12);
    EXPECT_EQ(books.rows("Ledger_General"), 5 * 12);
    EXPECT_EQ(books.balanceHistory("1000", 2003, 12), money("10"));
    EXPECT_EQ(books.generalHistory("5000", 2003, 12), (Totals{Amount(), money("10")}));
    EXPECT_EQ(books.generalHistory("1000", 2003, 4), (Totals{money("3"), money("1")}));

    // without the snapshot from before the year end, the revert asks first
    for (const QString& path :
         zelk::snapshots::takenBefore(db.cnn(), zelk::snapshots::Step::EndYear))
        QFile::remove(path);
    const QString ended = books.dump();
    ui.clear();
    ui.answerOk(false);
    EXPECT_EQ(revertEndYear(), RunOutcome::NotStarted);
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(ui.asked()[0].text,
              "No snapshot taken before the end of 2003 can be read with the books' key or the "
              "program's, so the unposted transactions End Year deleted, if any, cannot come "
              "back.\nRevert End Year anyway?");
    EXPECT_EQ(books.dump(), ended);

    // reverted, the closed year is restored exactly
    ui.clear();
    ui.answerOk(true);
    ASSERT_EQ(revertEndYear(), RunOutcome::Done);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Revert end year is done!"});
    EXPECT_EQ(books.dump(), before);
}

// Posted transactions still in the journal would be deleted without reaching the
// history: year end refuses before anything happens. One without lines carries no
// amount and is not counted.
TEST_F(YearEnd, PostedTransactionsNotClosedByMonthEndStopTheYearEnd) {
    books.addAccount("4000", 4, "-100");
    books.addTransaction("P1", QDate(2003, 3, 1), {{"1000", "1"}, {"2000", "-1"}});
    books.addTransaction("P2", QDate(2003, 4, 1), {{"1000", "2"}, {"2000", "-2"}});
    books.addTransaction("U1", QDate(2003, 5, 1), {{"1000", "3"}, {"2000", "-3"}});
    db.exec(modDBUtil::InsertTransaction("E1", "", "", QDate(2003, 6, 1), true));
    {
        PostTransactions post(db.cnn(), progress);
        ASSERT_EQ(post.run(QDate(2003, 1, 1), QDate(2003, 4, 30)), RunOutcome::Done);
    }
    ui.clear();
    const QString before = books.dump();
    EndYear run(db.cnn(), progress);
    EXPECT_FALSE(run.confirmJournal());
    EXPECT_TRUE(run.cancelRequested());
    // no question about the unposted one follows
    EXPECT_EQ(ui.messageBoxes(),
              std::vector<QString>{"You have 2 posted transaction(s) not closed by End Month."});
    EXPECT_EQ(books.dump(), before);
}

// Only the transactions of the closing year leave the journal, up to its last day: the
// next year's stay, and the question counts only those that go. A posted one without
// lines goes with them. Reverting the year end brings them back from the snapshot taken
// before it, as they were, once nothing in the books stands in their way.
TEST_F(YearEnd, TheYearsUnpostedTransactionsAreDeletedOnlyWhenTheUserAgrees) {
    books.addAccount("4000", 4, "-100");
    books.addAccount("7000", 6, "0");
    for (const QDate& date : {QDate(2003, 1, 1), QDate(2003, 5, 1), QDate(2003, 12, 31)})
        books.addTransaction("U" + date.toString("MMdd"), date, {{"1000", "3"}, {"2000", "-3"}});
    books.addTransaction("U7", QDate(2003, 7, 1), {{"7000", "1.5"}, {"2000", "-1.5"}});
    books.addTransaction("N1", QDate(2004, 1, 1), {{"1000", "7"}, {"2000", "-7"}});
    db.exec(modDBUtil::InsertTransaction("E1", "Src", "", QDate(2003, 6, 1), true));
    db.exec(modDBUtil::UpdateCompanyPeriods(1, 2002, 2003, 1)); // so it can be reverted
    const QString before = books.dump();
    ui.answerOk(false);
    EXPECT_EQ(endYear(), RunOutcome::NotStarted);
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::OkCancel);
    EXPECT_EQ(ui.asked()[0].text, "You have 4 unposted transaction(s).\nAll unposted transaction "
                                  "will be deleted by ending the year.");
    EXPECT_EQ(books.dump(), before);

    ui.clear();
    ui.answerOk(true);
    EXPECT_EQ(endYear(), RunOutcome::Done);
    EXPECT_EQ(books.rows("Ledger_Transactions"), 1);
    EXPECT_EQ(books.posted("N1"), false);
    EXPECT_EQ(books.rows("Ledger_TransactionDetails"), 2);

    // the snapshot before the year end keeps the program's key
    db.cnn().rekey("changed since");
    // a number taken again, or an account gone, stops the revert before anything changes
    books.addTransaction("u0501", QDate(2004, 2, 1), {{"1000", "1"}, {"2000", "-1"}});
    db.exec("DELETE FROM Ledger_AccountBalances WHERE FKID_Account='7000'");
    db.exec("DELETE FROM Ledger_General WHERE FKID_Account='7000'");
    db.exec("DELETE FROM Ledger_AccountBalanceHistories WHERE FKID_Account='7000'");
    db.exec("DELETE FROM Ledger_GeneralHistories WHERE FKID_Account='7000'");
    db.exec("DELETE FROM Ledger_Accounts WHERE AccountNo='7000'");
    ui.clear();
    EXPECT_EQ(revertEndYear(), RunOutcome::NotStarted);
    EXPECT_EQ(ui.messageBoxes(),
              std::vector<QString>{"End Year deleted unposted transactions that reverting brings "
                                   "back, and the journal now holds others with their numbers: "
                                   "U0501. Give those other numbers first."});
    db.exec(modDBUtil::DeleteTransaction("u0501"));
    const QString ended = books.dump();
    ui.clear();
    EXPECT_EQ(revertEndYear(), RunOutcome::NotStarted);
    EXPECT_EQ(ui.messageBoxes(),
              std::vector<QString>{"End Year deleted unposted transactions that reverting brings "
                                   "back, and accounts of theirs no longer exist: 7000. Add them "
                                   "again first."});
    EXPECT_EQ(books.dump(), ended);
    books.addAccount("7000", 6, "0");

    ui.clear();
    ASSERT_EQ(revertEndYear(), RunOutcome::Done);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Revert end year is done!"});
    EXPECT_EQ(books.dump(), before);
}

// Closed without a choice, "Cancel end year?" answered No brings the chooser back (Yes
// is the window test's).
TEST_F(YearEnd, TheChooserComesBackUntilAChoice) {
    books.addAccount("4000", 4, "-100");
    books.addAccount("4100", 4);
    chooser.answers = {"", "", "4100"};
    ui.answerYes(false).answerYes(false);
    EXPECT_EQ(endYear(), RunOutcome::Done);
    EXPECT_EQ(chooser.shown, 3);
    ASSERT_EQ(ui.asked().size(), 3u); // the last is the done message
    EXPECT_TRUE(ui.asked()[0].text == "Cancel end year?" &&
                ui.asked()[1].text == ui.asked()[0].text);
    // 4100 receives 0 - 900 + 600; 4000 carries its -100
    EXPECT_EQ(books.balance("4100", 2004, 0), money("-300"));
    EXPECT_EQ(books.balance("4000", 2004, 0), money("-100"));
}

TEST_F(YearEnd, AnAccountOfAnUnknownClassIsMovedButNotOpened) {
    books.addAccount("4000", 4, "-100");
    books.addAccount("9000", 9, "12");
    db.exec(modDBUtil::UpdateGeneral("9000", 2003, 4, money("3"), money("1")));
    ASSERT_EQ(endYear(), RunOutcome::Done);
    EXPECT_EQ(books.balance("9000", 2004, 0), std::nullopt);
    EXPECT_EQ(books.general("9000", 2004, 1), std::nullopt);
    EXPECT_EQ(books.balanceHistory("9000", 2003, 0), money("12"));
    EXPECT_EQ(books.generalHistory("9000", 2003, 4), (Totals{money("3"), money("1")}));
    // its year total reaches no earning account: -100 - 900 + 600
    EXPECT_EQ(books.balance("4000", 2004, 0), money("-400"));
}

// Runs that find nothing to do, or refuse, leave the books as they were and say so; a
// year without balance rows is done but keeps its year.
TEST_F(YearEnd, RunsWithNothingToDoOrRefusedChangeNothing) {
    const struct {
        int earningClass, beginYear; // the company's first year
        bool noBalances, revert;
        RunOutcome outcome;
        const char* message;
    } cases[] = {
        {3, 2003, false, false, RunOutcome::NotStarted,
         "You must at least have one account of earning account class!"},
        {4, 2003, true, false, RunOutcome::Done, "End year is done!"},
        {4, 2003, false, true, RunOutcome::Refused,
         "Can't revert to earlier year than starting period year."},
        {4, 2001, false, true, RunOutcome::Done, "Revert end year is done!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        TestDatabase fresh;
        Books b(fresh);
        ScriptedUi answers;
        b.newCompany(1, 2003);
        b.addAccount("1000", 1, "100");
        b.addAccount("4000", c.earningClass, "-100");
        fresh.exec(modDBUtil::UpdateCompanyPeriods(1, c.beginYear, 2003, 1));
        if (c.noBalances)
            fresh.exec("DELETE FROM Ledger_AccountBalances");
        const QString before = b.dump();
        EXPECT_EQ(c.revert ? revertEndYear(&fresh) : endYear(&fresh), c.outcome);
        EXPECT_EQ(answers.messageBoxes(), std::vector<QString>{c.message});
        EXPECT_EQ(b.dump(), before);
        EXPECT_EQ(b.openYear(), 2003);
        EXPECT_FALSE(fresh.cnn().inTransaction());
    }
}

// The engine gives an inexact floating-point number when a sum passes the 64-bit range,
// even only on the way to a total that fits: the year total is taken exactly, and one
// that does not fit stops the year end, naming the account and the year, instead of carrying 0
// forward.
TEST_F(YearEnd, AYearTotalBeyondTheEnginesRangeIsExactOrAnError) {
    const Amount max = Amount::fromRaw(std::numeric_limits<std::int64_t>::max());
    for (const auto& [second, fits] : {std::pair{-max, true}, std::pair{Amount(), false}}) {
        TestDatabase fresh;
        Books b(fresh);
        b.newCompany(1, 2003);
        b.addAccount("1000", 1, "600");
        b.addAccount("4000", 4, "-600");
        fresh.exec(modDBUtil::UpdateAccountBalanceColumn("1000", 2003, 1, max));
        fresh.exec(modDBUtil::UpdateAccountBalanceColumn("1000", 2003, 2, second));
        zelk::RowSet rs = fresh.query(modDBUtil::GetAccountBalancesWithYearTotal(2003));
        EXPECT_THROW((void)rs.amount("YearTotal"), zelk::DbError) << "read as if it were exact";
        const QByteArray before = fresh.fileBytes();
        ScriptedUi answers;
        EndYear run(fresh.cnn(), progress);
        EXPECT_EQ(run.run("4000"), fits ? RunOutcome::Done : RunOutcome::Refused);
        if (fits) {
            EXPECT_EQ(b.balance("1000", 2004, 0), money("600"));
            continue;
        }
        // The run, the account and the year are named, not the engine's words.
        EXPECT_EQ(answers.messageBoxes(),
                  std::vector<QString>{"End Year stopped: the balance of account 1000 at the end "
                                       "of 2003 passes the largest amount. Nothing was changed."});
        EXPECT_EQ(fresh.fileBytes(), before);
    }
}
