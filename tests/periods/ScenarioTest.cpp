#include "core/journal/TransactionEntry.h"
#include "core/periods/MonthEndRuns.h"
#include "core/periods/PostingRuns.h"
#include "core/periods/YearEndRuns.h"
#include "support/Books.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace zelk::periods;
using namespace zelk::reports;
using zelk::Amount;

namespace {

// The income statement and the balance sheet of a month as they print, without the line
// naming the months End Month has not closed, as text.
std::string statements(TestDatabase& db, int month) {
    QStringList lines =
        printedReport(db, [&](ReportRun& r) { return BuildIncomeStatement(month, r); }) +
        printedReport(db, [&](ReportRun& r) { return BuildBalanceSheet(month, r); });
    for (qsizetype i = lines.size() - 2; i >= 0; --i)
        if (lines[i].startsWith("Not closed by End Month: "))
            lines.remove(i, 2); // the line and its paragraph mark
    return lines.join('\n').toStdString();
}

} // namespace

// A fiscal year that starts in April, kept as a bookkeeper keeps it: balanced books, an
// entry that does not balance, a transaction of the next year entered early, a number
// used again, and an account opened after the year end. After every step the books
// balance and so does every report, and the statements of a month print what is posted
// in it whether or not End Month has closed it. The figures are worked out by hand.
TEST(PeriodScenario, AprilYearKeptThroughYearEndAndBack) {
    TestDatabase db;
    Books books(db);
    ScriptedUi ui;
    zelk::NoProgress progress;
    ScriptedChooser chooser;
    chooser.answers = {"4000", "4000"};

    books.openBalancedBooks(4, 2004);
    expectBalancedBooks(db, "opened");
    books.addTransaction("T1", QDate(2004, 4, 10), {{"1000", "900"}, {"5000", "-900"}}, "INV-1",
                         "Sale");
    books.addTransaction("T2", QDate(2004, 6, 15),
                         {{"6000", "400"}, {"6000", "200"}, {"1100", "-600"}}, "R-6", "Rent");
    books.addTransaction("T4", QDate(2004, 12, 1), {{"1000", "100"}, {"3000", "-100"}});
    // February of the next calendar year: period 11 of fiscal year 2004
    books.addTransaction("T3", QDate(2005, 2, 15), {{"1000", "150"}, {"2000", "-150"}});
    // entered early: it belongs to fiscal year 2005
    books.addTransaction("N1", QDate(2005, 4, 3), {{"1000", "70"}, {"5000", "-70"}});
    books.addUnbalancedTransaction("U1", QDate(2004, 5, 2), {{"1000", "100"}, {"5000", "-90"}});

    {
        PostTransactions post(db.cnn(), progress);
        EXPECT_EQ(post.run(QDate(2004, 4, 1), QDate(2005, 3, 31)), RunOutcome::Done);
    }
    EXPECT_EQ(ui.messageBoxes(),
              (std::vector<QString>{"1 transaction(s) were not posted:\nU1 of 2004-05-02: "
                                    "debits 100.00 and credits 90.00 do not balance\n\n"
                                    "Posting transactions is done!"}));
    EXPECT_EQ(books.posted("U1"), false);
    EXPECT_EQ(books.general("1000", 2004, 2), (Books::Totals{}));
    // posted, not yet ended: the statements already give the year's result
    EXPECT_EQ(expectBalancedBooks(db, "after posting"), money("300"));
    std::vector<std::string> posted;
    for (int month = 1; month <= 12; ++month)
        posted.push_back(statements(db, month));

    ui.clear();
    ui.answerYes(); // May ends with the unbalanced U1 left in the journal
    for (int month : {4, 5, 6, 7, 8, 9, 10, 11, 12, 1, 2, 3}) {
        EndMonth endMonth(db.cnn(), progress);
        EXPECT_EQ(endMonth.run(month), RunOutcome::Done) << month;
        expectBalancedBooks(db, "after the month end of " + std::to_string(month));
    }
    EXPECT_EQ(ui.asked()[1].text, "1 transaction dated in May 2004 is not posted and stays in "
                                  "the journal. End May anyway?");
    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(statements(db, month), posted[size_t(month - 1)]) << month;
    EXPECT_EQ(books.rows("Ledger_TransactionHistories"), 9);
    EXPECT_EQ(books.rows("Ledger_Transactions"), 2); // U1 and N1
    EXPECT_EQ(books.balance("1000", 2004, 1), money("900"));
    EXPECT_EQ(books.balance("6000", 2004, 3), money("600"));

    // The transaction list of closed April and May: T1 from the history, and the
    // unposted U1 still in the journal
    const QStringList list = printedReport(db, [](ReportRun& r) {
        return BuildTransactionList(QDate(2004, 4, 1), QDate(2004, 5, 31), r);
    });
    EXPECT_EQ(list.filter(QRegularExpression("^(Transaction No|Status|Debits)")),
              (QStringList{"Transaction No.: T1", "Status         : Closed", "Debits : 900.00",
                           "Transaction No.: U1", "Status         : False", "Debits : 100.00"}));

    // A late posting into ended June shows in its statements at once; End Month of June
    // again closes it and they stay as they are
    books.addTransaction("L2", QDate(2004, 6, 20), {{"5000", "40"}, {"6000", "-40"}}, "",
                         "Rent booked as sales");
    ui.clear();
    {
        PostTransactions post(db.cnn(), progress);
        EXPECT_EQ(post.run(QDate(2004, 6, 1), QDate(2004, 6, 30)), RunOutcome::Done);
    }
    const std::string june = statements(db, 6);
    EXPECT_NE(june, posted[5]);
    EXPECT_EQ(expectBalancedBooks(db, "after a late posting"), money("300"));
    {
        EndMonth endMonth(db.cnn(), progress);
        EXPECT_EQ(endMonth.run(6), RunOutcome::Done);
    }
    EXPECT_EQ(ui.messageBoxes(),
              (std::vector<QString>{"Posted into months already ended: June 2004. Run End Month "
                                    "again for them to close these postings.\n\nPosting "
                                    "transactions is done!",
                                    "June 2004 was ended before: this run added the 1 "
                                    "transaction(s) posted in it since.\n\nEnd month is done!"}));
    EXPECT_EQ(statements(db, 6), june);
    EXPECT_EQ(books.balance("6000", 2004, 3), money("560"));

    // T1 is closed in April: the number cannot be used again in this fiscal year
    ui.clear();
    const QString beforeReuse = books.dump();
    EXPECT_EQ(zelk::journal::TransactionSaveCommand(
                  db.cnn(), {"t1", "", "", QDate(2004, 9, 1)},
                  {{"1000", "Account 1000", "5", "0"}, {"5000", "Account 5000", "0", "5"}},
                  zelk::journal::SaveMode::Add, "Transaction"),
              zelk::CommandOutcome::Fix);
    EXPECT_EQ(ui.messageBoxes(),
              std::vector<QString>{"Transaction no. t1 is already in the history of April 2004."});
    EXPECT_EQ(books.dump(), beforeReuse);

    // The year's result: sales 900 less rent 600
    const Amount result = expectBalancedBooks(db, "before the year end");
    EXPECT_EQ(result, money("300"));
    ui.clear();
    ui.answerOk(true); // the unbalanced U1 may go; N1 of the next year is not counted
    EXPECT_EQ(endYear(db.cnn(), progress, chooser), RunOutcome::Done);
    ASSERT_FALSE(ui.asked().empty());
    EXPECT_EQ(ui.asked()[0].text, "You have 1 unposted transaction(s).\nAll unposted transaction "
                                  "will be deleted by ending the year.");
    EXPECT_EQ(books.openYear(), 2005);
    EXPECT_EQ(books.posted("U1"), std::nullopt);
    EXPECT_EQ(books.posted("N1"), false);
    // the result closed into 4000: -2000 - 300
    for (const auto& [account, opening] : {std::pair{"1000", "6150"},
                                           {"1100", "19400"},
                                           {"2000", "-8150"},
                                           {"3000", "-15100"},
                                           {"4000", "-2300"},
                                           {"4100", "0"},
                                           {"5000", "0"},
                                           {"6000", "0"}})
        EXPECT_EQ(books.balance(account, 2005, 0), money(opening)) << account;
    expectBalancedBooks(db, "after the year end");

    // Two accounts opened in the new year with balances that offset each other, and the
    // early entry posted
    books.addAccount("1200", 1, "250");
    books.addAccount("2100", 2, "-250");
    {
        PostTransactions post(db.cnn(), progress);
        EXPECT_EQ(post.run(QDate(2005, 4, 1), QDate(2006, 3, 31)), RunOutcome::Done);
        EXPECT_TRUE(post.skipped().empty());
    }
    expectBalancedBooks(db, "after posting the new year");

    // The year end is reverted only once the new year's month ends and then its postings
    // are undone; a refusal changes nothing
    EndMonth april(db.cnn(), progress);
    EXPECT_EQ(april.run(4), RunOutcome::Done);
    for (const char* refusal : {"Revert the month ends of the current year first.",
                                "Revert the postings of the current year first."}) {
        ui.clear();
        const QString beforeRefusal = books.dump();
        EXPECT_EQ(revertEndYear(db.cnn(), progress), RunOutcome::NotStarted);
        EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{refusal});
        EXPECT_EQ(books.dump(), beforeRefusal);
        RevertEndMonth reopen(db.cnn(), progress);
        EXPECT_EQ(reopen.run(4), RunOutcome::Done);
    }
    EXPECT_EQ(books.posted("N1"), true);
    {
        RevertPostings revert(db.cnn(), progress);
        EXPECT_EQ(revert.run(QDate(2005, 4, 1), QDate(2006, 3, 31)), RunOutcome::Done);
    }
    EXPECT_EQ(revertEndYear(db.cnn(), progress), RunOutcome::Done);
    EXPECT_EQ(books.openYear(), 2004);
    EXPECT_EQ(books.posted("N1"), false);
    EXPECT_EQ(books.posted("U1"), false) << "the unbalanced U1 the year end deleted is back";
    EXPECT_EQ(books.rows("Ledger_TransactionHistories"), 11);
    // the new accounts keep their openings and get rows of the reopened year only: they
    // take a posting in March, closed once more
    EXPECT_EQ(books.balance("1200", 2004, 0), money("250"));
    EXPECT_EQ(books.balance("2100", 2004, 0), money("-250"));
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_General WHERE PeriodYear<>2004"), 0);
    EXPECT_EQ(books.rows("Ledger_AccountBalances"), 10);
    books.addTransaction("L1", QDate(2005, 3, 20), {{"1200", "9"}, {"1000", "-9"}});
    {
        PostTransactions post(db.cnn(), progress);
        EXPECT_EQ(post.run(QDate(2005, 3, 1), QDate(2005, 3, 31)), RunOutcome::Done);
        EXPECT_TRUE(post.skipped().empty());
        EndMonth march(db.cnn(), progress);
        EXPECT_EQ(march.run(3), RunOutcome::Done);
    }
    EXPECT_EQ(books.balance("1200", 2004, 12), money("9"));
    EXPECT_EQ(expectBalancedBooks(db, "after reverting the year end"), result);

    // Ended again, the new accounts open with their balances and the posting of March
    ui.answerOk(true); // U1 goes again
    EXPECT_EQ(endYear(db.cnn(), progress, chooser), RunOutcome::Done);
    EXPECT_EQ(books.balance("1200", 2005, 0), money("259"));
    EXPECT_EQ(books.balance("2100", 2005, 0), money("-250"));
    EXPECT_EQ(books.balance("4000", 2005, 0), money("-2300"));
    expectBalancedBooks(db, "after the second year end");
    EXPECT_FALSE(db.cnn().inTransaction());
}
