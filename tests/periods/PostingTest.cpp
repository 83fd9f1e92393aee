#include "core/data/modDBUtil.h"
#include "core/periods/PostingRuns.h"
#include "support/Books.h"

#include <gtest/gtest.h>

using namespace zelk::periods;
using zelk::Amount;
using Totals = Books::Totals;

namespace {

// April fiscal year 2003 (1 April 2003 to 31 March 2004) with a few accounts.
class Posting : public ::testing::Test {
protected:
    TestDatabase db;
    Books books{db};
    ScriptedUi ui;
    zelk::NoProgress progress;

    void SetUp() override {
        books.newCompany(4, 2003);
        books.addAccount("1000", 1);
        books.addAccount("CASH", 1);
        books.addAccount("4000", 5);
        books.addAccount("6000", 6);
    }
    RunOutcome post(const QDate& from, const QDate& to) {
        PostTransactions run(db.cnn(), progress);
        const RunOutcome outcome = run.run(from, to);
        skipped = run.skipped();
        return outcome;
    }
    RunOutcome revert(const QDate& from, const QDate& to) {
        RevertPostings run(db.cnn(), progress);
        const RunOutcome outcome = run.run(from, to);
        skipped = run.skipped();
        return outcome;
    }
    Totals totals(const char* debit, const char* credit) { return {money(debit), money(credit)}; }
    std::vector<SkippedTransaction> skipped;
};

} // namespace

TEST_F(Posting, LinesGoToThePeriodOfTheirDateAsDebitOrCredit) {
    // 15 February 2004 is period 11 of 2003, 15 April 2003 period 1
    books.addTransaction("T1", QDate(2004, 2, 15), {{"1000", "100"}, {"4000", "-100"}});
    books.addTransaction("T2", QDate(2003, 4, 15),
                         {{"1000", "250.5"}, {"1000", "0.25"}, {"6000", "0"}, {"4000", "-250.75"}});
    ASSERT_EQ(post(QDate(2003, 4, 1), QDate(2004, 3, 31)), RunOutcome::Done);
    EXPECT_EQ(books.general("1000", 2003, 11), totals("100", "0"));
    EXPECT_EQ(books.general("4000", 2003, 11), totals("0", "100"));
    // two lines of one transaction on one account add up; a line of 0 changes neither
    EXPECT_EQ(books.general("1000", 2003, 1), totals("250.75", "0"));
    EXPECT_EQ(books.general("4000", 2003, 1), totals("0", "250.75"));
    EXPECT_EQ(books.general("6000", 2003, 1), totals("0", "0"));
    for (int period : {2, 3, 4, 5, 6, 7, 8, 9, 10, 12})
        EXPECT_EQ(books.general("1000", 2003, period), totals("0", "0")) << period;
    EXPECT_EQ(books.posted("T1"), true);
    EXPECT_EQ(books.posted("T2"), true);
    EXPECT_TRUE(skipped.empty());
}

// Only unposted transactions inside the range, both ends included, are posted; posting
// again commits nothing and still says it is done. Reverting the same range restores
// every row and flag, and leaves an earlier posting and those outside the range alone.
TEST_F(Posting, OnlyTheRangeBothEndsIncludedIsPostedAndReverted) {
    books.addTransaction("T0", QDate(2003, 4, 30), {{"1000", "80"}, {"4000", "-80"}});
    ASSERT_EQ(post(QDate(2003, 4, 30), QDate(2003, 4, 30)), RunOutcome::Done);
    books.addTransaction("T1", QDate(2003, 5, 1), {{"1000", "10"}, {"4000", "-10"}});
    books.addTransaction("T2", QDate(2003, 5, 31),
                         {{"1000", "-2"}, {"1000", "22"}, {"4000", "-20"}});
    books.addTransaction("T3", QDate(2003, 6, 1), {{"1000", "40"}, {"4000", "-40"}});
    const QString beforeMay = books.dump();
    ASSERT_EQ(post(QDate(2003, 5, 1), QDate(2003, 5, 31)), RunOutcome::Done);
    EXPECT_EQ(books.general("1000", 2003, 2), totals("32", "2"));
    EXPECT_EQ(books.posted("T3"), false);

    const QString postedMay = books.dump();
    ui.clear();
    ASSERT_EQ(post(QDate(2003, 5, 1), QDate(2003, 5, 31)), RunOutcome::Done);
    ASSERT_EQ(post(QDate(2003, 7, 1), QDate(2003, 7, 31)), RunOutcome::Done);
    EXPECT_EQ(books.dump(), postedMay);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>(2, "Posting transactions is done!"));

    ASSERT_EQ(revert(QDate(2003, 5, 1), QDate(2003, 5, 31)), RunOutcome::Done);
    EXPECT_EQ(books.dump(), beforeMay);
    EXPECT_EQ(books.general("1000", 2003, 1), totals("80", "0"));
    EXPECT_EQ(books.posted("T0"), true);
    EXPECT_TRUE(skipped.empty());
}

// The rows are read once per run and written at its end: what was there before the
// run, every transaction of the run, and every spelling of an account number that
// the database takes for the same account must all add up on the one row.
TEST_F(Posting, TotalsAddUpAcrossTransactionsRunsAndSpellingsOfOneAccount) {
    books.addTransaction("T1", QDate(2003, 8, 3), {{"CASH", "5"}, {"6000", "-5"}});
    ASSERT_EQ(post(QDate(2003, 8, 1), QDate(2003, 8, 31)), RunOutcome::Done);
    books.addTransaction("T2", QDate(2003, 8, 4), {{"CASH", "100"}, {"6000", "-100"}});
    books.addTransaction("T3", QDate(2003, 8, 5),
                         {{"cash", "50"}, {"Cash", "-20"}, {"6000", "-30"}});
    books.addTransaction("T4", QDate(2003, 8, 6), {{"6000", "7.0001"}, {"cash", "-7.0001"}});
    ASSERT_EQ(post(QDate(2003, 8, 1), QDate(2003, 8, 31)), RunOutcome::Done);
    // debits 5 + 100 + 50, credits 20 + 7.0001
    EXPECT_EQ(books.general("CASH", 2003, 5), totals("155", "27.0001"));
    // credits 5 + 100 + 30, debit 7.0001
    EXPECT_EQ(books.general("6000", 2003, 5), totals("7.0001", "135"));
}

// Posting never drops a line and never unbalances the ledger: a transaction whose rows
// do not exist (dated outside the open year, or on an account without rows), or whose
// debits and credits differ, is left as it was and is named after the done message. One
// without lines is posted.
TEST_F(Posting, ATransactionOutsideTheOpenYearUnbalancedOrWithoutRowsIsLeftUnpostedAndNamed) {
    db.exec(modDBUtil::InsertAccount("7777", "No rows", 1, ""));
    books.addTransaction("T1", QDate(2003, 9, 1), {{"1000", "10"}, {"4000", "-10"}});
    books.addTransaction("T9", QDate(2004, 4, 2), {{"1000", "70"}, {"4000", "-70"}});
    books.addTransaction("T8", QDate(2003, 3, 31), {{"1000", "30"}, {"4000", "-30"}});
    books.addUnbalancedTransaction("T7", QDate(2003, 9, 2), {{"1000", "10.0001"}, {"4000", "-10"}});
    books.addTransaction("T6", QDate(2003, 9, 3), {{"1000", "20"}, {"7777", "-20"}});
    db.exec(modDBUtil::InsertTransaction("E1", "", "", QDate(2003, 9, 4), false));
    ASSERT_EQ(post(QDate(2003, 1, 1), QDate(2004, 12, 31)), RunOutcome::Done);
    EXPECT_EQ(books.posted("T1"), true);
    EXPECT_EQ(books.posted("E1"), true);
    for (const char* no : {"T9", "T8", "T7", "T6"})
        EXPECT_EQ(books.posted(no), false) << no;
    // nothing of the others reached any row
    EXPECT_EQ(books.general("1000", 2003, 6), totals("10", "0"));
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_General WHERE Debit<>0 OR Credit<>0"), 2);
    EXPECT_EQ(skipped.size(), 4u);
    const std::vector<QString> boxes = ui.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    // the order is the order the journal gives; each is named with date and reason, and
    // only then is the run said to be done
    EXPECT_TRUE(boxes[0].startsWith("4 transaction(s) were not posted:\n"))
        << boxes[0].toStdString();
    EXPECT_TRUE(boxes[0].endsWith(" 2003\n\nPosting transactions is done!"))
        << boxes[0].toStdString();
    for (const char* named :
         {"T9 of 2004-04-02: dated outside the open fiscal year 2003",
          "T8 of 2003-03-31: dated outside the open fiscal year 2003",
          "T7 of 2003-09-02: debits 10.0001 and credits 10.00 do not balance",
          "T6 of 2003-09-03: account 7777 has no general-ledger row for period 6 of 2003"})
        EXPECT_TRUE(boxes[0].contains(named)) << named;
    expectBalancedBooks(db, "after posting");
}

TEST_F(Posting, ManySkippedTransactionsAreCountedAndTheListIsCut) {
    std::vector<SkippedTransaction> many;
    for (int i = 0; i < 25; ++i)
        many.push_back({QString("X%1").arg(i), QDate(2005, 1, 1), "dated outside"});
    const QString text = skippedMessage(many, "posted");
    EXPECT_TRUE(text.startsWith("25 transaction(s) were not posted:\nX0 of 2005-01-01: "));
    EXPECT_TRUE(text.contains("\nX19 of") && !text.contains("\nX20 of"));
    EXPECT_TRUE(text.endsWith("\n... and 5 more."));
    EXPECT_EQ(skippedMessage({}, "posted"), "");
}

// Reverting nothing says so. A posted transaction whose amounts never reached
// the ledger takes the totals below 0 (no bound is put on them); one dated outside the
// open year stays posted and is named.
TEST_F(Posting, RevertingPutsNoBoundOnTheTotalsAndNamesATransactionWithoutRows) {
    const QString before = books.dump();
    ASSERT_EQ(revert(QDate(2003, 4, 1), QDate(2004, 3, 31)), RunOutcome::Done);
    EXPECT_EQ(books.dump(), before);
    for (const auto& [no, date] : {std::pair{"P1", QDate(2003, 4, 5)}, {"P9", QDate(2004, 5, 5)}}) {
        db.exec(modDBUtil::InsertTransaction(no, "", "", date, true));
        db.exec(modDBUtil::InsertTransactionDetail(no, "1000", 1, money("8")));
        db.exec(modDBUtil::InsertTransactionDetail(no, "6000", 2, money("-8")));
    }
    ASSERT_EQ(revert(QDate(2003, 1, 1), QDate(2004, 12, 31)), RunOutcome::Done);
    EXPECT_EQ(books.general("1000", 2003, 1), totals("-8", "0"));
    EXPECT_EQ(books.general("6000", 2003, 1), totals("0", "-8"));
    EXPECT_EQ(books.posted("P1"), false);
    EXPECT_EQ(books.posted("P9"), true);
    EXPECT_EQ(ui.messageBoxes(),
              (std::vector<QString>{"No posted transaction in the journal is dated 2003-04-01 to "
                                    "2004-03-31: nothing was reverted. (Transactions closed by "
                                    "End Month come back to the journal with Revert End Month.)",
                                    "1 transaction(s) were not reverted:\nP9 of 2004-05-05: "
                                    "dated outside the open fiscal year 2003\n\nReverting "
                                    "postings is done!"}));
}
