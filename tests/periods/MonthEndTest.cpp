#include "core/data/modDBUtil.h"
#include "core/periods/MonthEndRuns.h"
#include "core/periods/PostingRuns.h"
#include "support/Books.h"

#include <gtest/gtest.h>
#include <limits>

using namespace zelk::periods;
using zelk::Amount;
using Totals = Books::Totals;

namespace {

// April fiscal year 2003: February 2004 is period 11 (a leap month), April 2003 period 1.
class MonthEnd : public ::testing::Test {
protected:
    TestDatabase db;
    Books books{db};
    ScriptedUi ui;
    zelk::NoProgress progress;

    void SetUp() override {
        books.newCompany(4, 2003);
        books.addAccount("1000", 1);
        books.addAccount("2000", 2);
        books.addAccount("5000", 5);
        books.addAccount("6000", 6); // never moved in these tests
    }
    void postAll() {
        PostTransactions run(db.cnn(), progress);
        ASSERT_EQ(run.run(QDate(2003, 4, 1), QDate(2004, 3, 31)), RunOutcome::Done);
    }
    RunOutcome endMonth(int month) {
        EndMonth run(db.cnn(), progress);
        return run.run(month);
    }
    RunOutcome revertMonth(int month) {
        RevertEndMonth run(db.cnn(), progress);
        return run.run(month);
    }
    QStringList history() {
        zelk::RowSet h = db.query("SELECT TransactionNo, FKID_Account, Seq, Source, DateStamp, "
                                  "Description, Amount FROM Ledger_TransactionHistories ORDER BY "
                                  "DateStamp, TransactionNo, Seq");
        QStringList out;
        for (h.moveFirst(); !h.eof(); h.moveNext())
            out << QStringList{h.text("TransactionNo"),
                               h.text("FKID_Account"),
                               h.text("Seq"),
                               h.isNull("Source") ? "<null>" : h.text("Source"),
                               h.text("DateStamp"),
                               h.isNull("Description") ? "<null>" : h.text("Description"),
                               h.amount("Amount").toSqlText()}
                       .join('|');
        return out;
    }
};

} // namespace

TEST_F(MonthEnd, MovesTheMonthsPostedTransactionsAndWritesEveryAccountsPeriodBalance) {
    books.addTransaction("F1", QDate(2004, 2, 1), {{"1000", "100"}, {"5000", "-100"}}, "S1",
                         "First");
    books.addTransaction("F2", QDate(2004, 2, 29),
                         {{"1000", "-30"}, {"2000", "40"}, {"5000", "-10"}}, "", "Leap day");
    books.addTransaction("M1", QDate(2004, 3, 1), {{"1000", "7"}, {"5000", "-7"}});
    books.addTransaction("J1", QDate(2004, 1, 31), {{"1000", "9"}, {"5000", "-9"}});
    postAll();
    // unposted transaction of February stays where it is with its lines
    books.addTransaction("F3", QDate(2004, 2, 10), {{"1000", "1000"}, {"5000", "-1000"}});
    // a stale figure in an idle account's column is overwritten from the ledger
    db.exec(modDBUtil::UpdateAccountBalanceColumn("6000", 2003, 11, money("77")));
    // a posted transaction without lines stays in the journal
    db.exec(modDBUtil::InsertTransaction("E1", "", "", QDate(2004, 2, 3), true));
    ui.clear();
    const QString before = books.dump();
    for (int month : {0, 13}) // no such month: nothing runs
        EXPECT_TRUE(endMonth(month) == RunOutcome::NotStarted &&
                    revertMonth(month) == RunOutcome::NotStarted)
            << month;
    EXPECT_EQ(books.dump(), before);
    EXPECT_TRUE(ui.asked().empty());

    // F3 is not posted: the run asks first, and No leaves the books as they were
    ui.answerYes(false).answerYes();
    EXPECT_EQ(endMonth(2), RunOutcome::NotStarted);
    EXPECT_EQ(books.dump(), before);
    ASSERT_EQ(endMonth(2), RunOutcome::Done);
    EXPECT_EQ(ui.asked()[0].text, "1 transaction dated in February 2004 is not posted and stays "
                                  "in the journal. End February anyway?");
    EXPECT_EQ(ui.asked()[0].title, "End Month");
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"End month is done!"});
    EXPECT_EQ(history(), (QStringList{"F1|1000|1|S1|2004-02-01|First|100",
                                      "F1|5000|2|S1|2004-02-01|First|-100",
                                      "F2|1000|1|<null>|2004-02-29|Leap day|-30",
                                      "F2|2000|2|<null>|2004-02-29|Leap day|40",
                                      "F2|5000|3|<null>|2004-02-29|Leap day|-10"}));
    // the journal keeps F3 (unposted), E1, M1 and J1, each with its lines
    const std::optional<bool> posted[] = {std::nullopt, std::nullopt, false, true, true, true};
    int n = 0;
    for (const char* no : {"F1", "F2", "F3", "E1", "M1", "J1"})
        EXPECT_EQ(books.posted(no), posted[n++]) << no;
    EXPECT_EQ(db.query("SELECT group_concat(FKID_Transaction) AS t FROM (SELECT FKID_Transaction "
                       "FROM Ledger_TransactionDetails ORDER BY 1)")
                  .text("t"),
              "F3,F3,J1,J1,M1,M1");
    // the run moves rows without the engine's reference checks: none is left dangling,
    // and the checks are on again
    EXPECT_EQ(db.cnn().execute("PRAGMA foreign_key_check").recordCount(), 0);
    EXPECT_EQ(db.scalar("PRAGMA foreign_keys"), 1);
    // Saldo11 = debit - credit of period 11: 1000: 100 - 30; 2000: 40; 5000: -110; 6000: 0
    for (const auto& [account, saldo] :
         {std::pair{"1000", "70"}, {"2000", "40"}, {"5000", "-110"}, {"6000", "0"}})
        EXPECT_EQ(books.balance(account, 2003, 11), money(saldo)) << account;
    // other periods' columns and the ledger itself are untouched
    EXPECT_EQ(books.balance("1000", 2003, 10), money("0"));
    EXPECT_EQ(books.balance("1000", 2003, 12), money("0"));
    EXPECT_EQ(books.general("1000", 2003, 11), (Totals{money("100"), money("30")}));

    // a second month end of February changes nothing, and says so
    const QString after = books.dump();
    ui.clear();
    ui.answerYes();
    ASSERT_EQ(endMonth(2), RunOutcome::Done);
    EXPECT_EQ(books.dump(), after);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"February 2004 was ended before and nothing "
                                                      "was posted in it since: nothing changed."
                                                      "\n\nEnd month is done!"});
}

// December, the last month of the calendar, is period 9 of the April year.
TEST_F(MonthEnd, RevertingAMonthEndRebuildsTheJournalAsItWas) {
    books.addTransaction("D1", QDate(2003, 12, 1), {{"1000", "100"}, {"5000", "-100"}}, "S1",
                         "First");
    // two lines on one account, empty source and description, three lines in all
    books.addTransaction("D2", QDate(2003, 12, 31),
                         {{"1000", "-30"}, {"1000", "40"}, {"5000", "-10"}});
    books.addTransaction("N1", QDate(2003, 11, 30), {{"1000", "9"}, {"5000", "-9"}});
    postAll();
    ASSERT_EQ(endMonth(11), RunOutcome::Done);
    const QString beforeDecember = books.dump();
    ASSERT_EQ(endMonth(12), RunOutcome::Done);
    ui.clear();
    ASSERT_EQ(revertMonth(12), RunOutcome::Done);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Revert end month is done!"});
    EXPECT_EQ(books.dump(), beforeDecember);
    EXPECT_EQ(books.posted("D2"), true);
    // November stays closed
    EXPECT_EQ(books.posted("N1"), std::nullopt);
    EXPECT_EQ(books.balance("1000", 2003, 8), money("9"));
    // reopened again, the month has no history and nothing changes
    ASSERT_EQ(revertMonth(12), RunOutcome::Done);
    EXPECT_EQ(books.dump(), beforeDecember);
}

// A transaction number may be used again once its month is closed. Reverting the later
// month brings back only that month's transaction; the earlier one keeps its history, and
// so does May of an earlier year.
TEST_F(MonthEnd, RevertingAMonthLeavesTheHistoryOfANumberUsedInAnotherMonth) {
    books.addTransaction("R1", QDate(2003, 4, 10), {{"1000", "5"}, {"5000", "-5"}}, "April");
    postAll();
    ASSERT_EQ(endMonth(4), RunOutcome::Done);
    books.addTransaction("R1", QDate(2003, 5, 12), {{"1000", "8"}, {"5000", "-8"}}, "May");
    postAll();
    ASSERT_EQ(endMonth(5), RunOutcome::Done);
    db.exec(modDBUtil::InsertTransactionHistory("OLD", "1000", 1, "", QDate(2002, 5, 10), "",
                                                money("1")));
    ASSERT_EQ(revertMonth(5), RunOutcome::Done);
    EXPECT_EQ(history(), (QStringList{"OLD|1000|1|<null>|2002-05-10|<null>|1",
                                      "R1|1000|1|April|2003-04-10|<null>|5",
                                      "R1|5000|2|April|2003-04-10|<null>|-5"}));
    EXPECT_EQ(books.posted("R1"), true);
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_TransactionDetails"), 2);
    EXPECT_EQ(books.balance("1000", 2003, 1), money("5"));
    EXPECT_EQ(books.balance("1000", 2003, 2), money("0"));
}

// A file may hold one number closed twice in a month (entered again after its month end,
// then closed again). Reverting the month brings each back as a transaction of its own,
// the later under a free number; a number the journal holds is not taken again; lines
// that cannot be told apart stop the run before anything is written.
TEST_F(MonthEnd, ANumberClosedTwiceInAMonthComesBackAsTwoTransactions) {
    const struct {
        const char* secondDate;
        bool inJournal;       // a transaction R1 was entered after the month end
        QStringList expected; // the journal's numbers afterwards, or empty: refused
    } cases[] = {
        {"2003-04-20", false, {"R1", "R1-2"}},
        {"2003-04-20", true, {"R1", "R1-2", "R1-3"}},
        {"2003-04-10", false, {}},
    };
    for (const auto& c : cases) {
        books.newCompany(4, 2003);
        for (const char* no : {"1000", "5000"})
            books.addAccount(no, QString(no).left(1).toInt());
        const QDate second = QDate::fromString(c.secondDate, Qt::ISODate);
        for (const auto& [date, amount] :
             {std::pair{QDate(2003, 4, 10), money("5")}, std::pair{second, money("8")}})
            for (const auto& [seq, account, sign] : {std::tuple{1, "1000", 1}, {2, "5000", -1}})
                db.exec(modDBUtil::InsertTransactionHistory("R1", account, seq, "", date, "",
                                                            sign > 0 ? amount : -amount));
        if (c.inJournal)
            books.addTransaction("R1", QDate(2003, 4, 25), {{"1000", "1"}, {"5000", "-1"}});
        ui.clear();
        const QString before = books.dump();
        if (c.expected.empty()) {
            EXPECT_EQ(revertMonth(4), RunOutcome::Refused);
            EXPECT_EQ(ui.messageBoxes(),
                      std::vector<QString>{"Transaction no. R1 is in the history of April 2003 "
                                           "twice, with the same date, source and description: "
                                           "its lines cannot be told apart, so the month cannot "
                                           "be reopened."});
            EXPECT_EQ(books.dump(), before);
            continue;
        }
        ASSERT_EQ(revertMonth(4), RunOutcome::Done) << c.secondDate;
        EXPECT_EQ(db.query("SELECT group_concat(TransactionNo) AS n FROM (SELECT TransactionNo "
                           "FROM Ledger_Transactions ORDER BY 1)")
                      .text("n"),
                  c.expected.join(','));
        EXPECT_EQ(books.rows("Ledger_TransactionHistories"), 0);
        EXPECT_EQ(books.rows("Ledger_TransactionDetails"), 2 * c.expected.size());
        const QString rebuilt = c.inJournal ? "R1-2" : "R1";
        EXPECT_EQ(db.scalar("SELECT Amount FROM Ledger_TransactionDetails WHERE FKID_Account="
                            "'1000' AND FKID_Transaction='" +
                            rebuilt + "'"),
                  money("5").raw());
        ASSERT_EQ(ui.messageBoxes().size(), 1u);
        EXPECT_TRUE(ui.messageBoxes()[0].endsWith("R1 of 2003-04-20 as " + c.expected.back() +
                                                  "\n\nRevert end month is done!"))
            << ui.messageBoxes()[0].toStdString();
    }
}

// A total beyond the largest amount stops the run with the account, the month and the
// run named, and changes nothing: posting onto a full ledger row, and month end of a
// movement that leaves the range.
TEST_F(MonthEnd, AnAmountOverflowNamesTheAccountTheMonthAndTheRun) {
    const Amount largest = Amount::fromRaw(std::numeric_limits<std::int64_t>::max());
    db.exec(modDBUtil::UpdateGeneral("1000", 2003, 1, largest, Amount()));
    db.exec(modDBUtil::UpdateGeneral("5000", 2003, 1, Amount(), largest));
    books.addTransaction("A1", QDate(2003, 4, 9), {{"1000", "0.0001"}, {"5000", "-0.0001"}});
    const QString before = books.dump();
    PostTransactions post(db.cnn(), progress);
    EXPECT_EQ(post.run(QDate(2003, 4, 1), QDate(2003, 4, 30)), RunOutcome::Refused);
    EXPECT_EQ(books.dump(), before);

    db.exec(modDBUtil::UpdateGeneral("1000", 2003, 1, largest, money("-0.0001")));
    db.exec(modDBUtil::UpdateTransactionPosted("A1", true));
    const QString posted = books.dump();
    EXPECT_EQ(endMonth(4), RunOutcome::Refused);
    EXPECT_EQ(books.dump(), posted);
    EXPECT_EQ(ui.messageBoxes(),
              (std::vector<QString>{"Post Transactions stopped: the debits of account 1000 in "
                                    "April 2003 would pass the largest amount, "
                                    "922,337,203,685,477.5807. Nothing was posted.",
                                    "End Month stopped: the movement of account 1000 in April 2003 "
                                    "(debits 922,337,203,685,477.5807 less credits -0.0001) passes "
                                    "the largest amount. Nothing was changed."}));
}
