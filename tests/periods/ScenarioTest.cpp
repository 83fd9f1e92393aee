#include "Books.h"
#include "periods/MonthEndRuns.h"
#include "periods/PostingRuns.h"
#include "periods/YearEndRuns.h"

#include <gtest/gtest.h>
#include <map>

using namespace zelk::periods;
using zelk::Amount;

namespace {

const QStringList Accounts = {"1000", "2000", "3000", "4000", "4100", "5000", "6000"};

struct Movement {
    const char* account;
    int period;
    const char* debit;
    const char* credit;
};

// Every general-ledger row of the year for the accounts above: the listed totals,
// 0 and 0 everywhere else.
void expectLedger(Books& books, int year, const std::vector<Movement>& moved, bool history,
                  const char* when) {
    for (const QString& account : Accounts)
        for (int period = 1; period <= 12; ++period) {
            Books::Totals expected{};
            for (const Movement& m : moved)
                if (account == m.account && period == m.period)
                    expected = {money(m.debit), money(m.credit)};
            const auto got = history ? books.generalHistory(account, year, period)
                                     : books.general(account, year, period);
            ASSERT_TRUE(got.has_value())
                << when << ": no row " << account.toStdString() << " " << year << "/" << period;
            EXPECT_EQ(got->debit, expected.debit)
                << when << ": debit " << account.toStdString() << " period " << period;
            EXPECT_EQ(got->credit, expected.credit)
                << when << ": credit " << account.toStdString() << " period " << period;
        }
}

struct Saldo {
    const char* account;
    int period; // 0: the beginning balance
    const char* value;
};

void expectBalances(Books& books, int year, const std::vector<Saldo>& listed, bool history,
                    const char* when) {
    for (const QString& account : Accounts)
        for (int period = 0; period <= 12; ++period) {
            Amount expected;
            for (const Saldo& s : listed)
                if (account == s.account && period == s.period)
                    expected = money(s.value);
            const auto got = history ? books.balanceHistory(account, year, period)
                                     : books.balance(account, year, period);
            ASSERT_TRUE(got.has_value())
                << when << ": no balance row " << account.toStdString() << " " << year;
            EXPECT_EQ(*got, expected)
                << when << ": " << account.toStdString() << " column " << period;
        }
}

} // namespace

// A fiscal year that starts in April, from the first posting to the year end, and every
// step undone again. The expected figures are worked out by hand from the transactions.
TEST(PeriodScenario, AprilYearFromPostingToYearEndAndBackAgain) {
    TestDatabase db;
    Books books(db);
    ScriptedUi ui;
    zelk::NoProgress progress;

    books.newCompany(4, 2004);
    books.addAccount("1000", 1, "-50");  // cash
    books.addAccount("2000", 2, "-50");  // loan
    books.addAccount("3000", 3, "-200"); // capital
    books.addAccount("4000", 4, "-100"); // retained earnings: receives the result
    books.addAccount("4100", 4, "-50");  // a second earning-class account
    books.addAccount("5000", 5);         // sales
    books.addAccount("6000", 6);         // rent
    books.addTransaction("T1", QDate(2004, 4, 10), {{"1000", "900"}, {"5000", "-900"}}, "INV-1",
                         "Sale");
    books.addTransaction("T2", QDate(2004, 6, 15),
                         {{"6000", "400"}, {"6000", "200"}, {"1000", "-600"}}, "R-6", "Rent");
    books.addTransaction("T4", QDate(2004, 12, 1), {{"1000", "100"}, {"3000", "-100"}}, "",
                         "Capital paid in");
    // February of the next calendar year: period 11 of fiscal year 2004
    books.addTransaction("T3", QDate(2005, 2, 15), {{"1000", "150"}, {"2000", "-150"}});
    const QString beforePosting = books.dump();

    // Posting the whole fiscal year
    {
        PostTransactions post(db.cnn(), progress);
        EXPECT_EQ(post.run(QDate(2004, 4, 1), QDate(2005, 3, 31)), RunOutcome::Done);
        EXPECT_TRUE(post.skipped().empty());
    }
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Posting transactions is done!"});
    const std::vector<Movement> posted = {{"1000", 1, "900", "0"},  {"5000", 1, "0", "900"},
                                          {"6000", 3, "600", "0"},  {"1000", 3, "0", "600"},
                                          {"1000", 9, "100", "0"},  {"3000", 9, "0", "100"},
                                          {"1000", 11, "150", "0"}, {"2000", 11, "0", "150"}};
    expectLedger(books, 2004, posted, false, "after posting");
    for (const char* no : {"T1", "T2", "T3", "T4"})
        EXPECT_EQ(books.posted(no), true) << no;
    EXPECT_EQ(books.rows("Ledger_General"), 7 * 12);
    const QString afterPosting = books.dump();

    // Month end for each month of the fiscal year, April to March
    ui.clear();
    for (int month : {4, 5, 6, 7, 8, 9, 10, 11, 12, 1, 2, 3}) {
        EndMonth endMonth(db.cnn(), progress);
        EXPECT_EQ(endMonth.run(month), RunOutcome::Done) << month;
    }
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>(12, "End month is done!"));
    EXPECT_EQ(books.rows("Ledger_Transactions"), 0);
    EXPECT_EQ(books.rows("Ledger_TransactionDetails"), 0);
    EXPECT_EQ(db.query("SELECT TransactionNo, FKID_Account, Seq, Source, DateStamp, Description, "
                       "Amount FROM Ledger_TransactionHistories ORDER BY TransactionNo, Seq")
                  .recordCount(),
              9);
    {
        const QStringList expected = {"T1|1000|1|INV-1|2004-04-10|Sale|900",
                                      "T1|5000|2|INV-1|2004-04-10|Sale|-900",
                                      "T2|6000|1|R-6|2004-06-15|Rent|400",
                                      "T2|6000|2|R-6|2004-06-15|Rent|200",
                                      "T2|1000|3|R-6|2004-06-15|Rent|-600",
                                      "T3|1000|1|<null>|2005-02-15|<null>|150",
                                      "T3|2000|2|<null>|2005-02-15|<null>|-150",
                                      "T4|1000|1|<null>|2004-12-01|Capital paid in|100",
                                      "T4|3000|2|<null>|2004-12-01|Capital paid in|-100"};
        zelk::RowSet h = db.query("SELECT TransactionNo, FKID_Account, Seq, Source, DateStamp, "
                                  "Description, Amount FROM Ledger_TransactionHistories "
                                  "ORDER BY TransactionNo, Seq");
        QStringList got;
        for (h.moveFirst(); !h.eof(); h.moveNext())
            got << QStringList{h.text("TransactionNo"),
                               h.text("FKID_Account"),
                               h.text("Seq"),
                               h.isNull("Source") ? "<null>" : h.text("Source"),
                               h.text("DateStamp"),
                               h.isNull("Description") ? "<null>" : h.text("Description"),
                               h.amount("Amount").toSqlText()}
                       .join('|');
        EXPECT_EQ(got, expected);
    }
    const std::vector<Saldo> closed = {{"1000", 0, "-50"},  {"2000", 0, "-50"}, {"3000", 0, "-200"},
                                       {"4000", 0, "-100"}, {"4100", 0, "-50"}, {"1000", 1, "900"},
                                       {"1000", 3, "-600"}, {"1000", 9, "100"}, {"1000", 11, "150"},
                                       {"5000", 1, "-900"}, {"6000", 3, "600"}, {"3000", 9, "-100"},
                                       {"2000", 11, "-150"}};
    expectBalances(books, 2004, closed, false, "after the month ends");
    expectLedger(books, 2004, posted, false, "after the month ends");
    const QString beforeYearEnd = books.dump();

    // Year end into 4000, chosen from the two accounts of the earning class
    ui.clear();
    {
        EndYear endYear(db.cnn(), progress);
        ScriptedChooser chooser;
        chooser.answers = {"4000"};
        ASSERT_TRUE(endYear.confirmJournal());
        const QString earning = endYear.chooseEarningAccount(chooser);
        EXPECT_EQ(earning, "4000");
        EXPECT_EQ(chooser.shown, 1);
        EXPECT_EQ(endYear.run(earning), RunOutcome::Done);
    }
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"End year is done!"});
    EXPECT_EQ(books.openYear(), 2005);
    // asset 500, liability -200, equity -300 carried; revenue -900 and expense 600
    // closed into the earning account: -100 - 900 + 600 = -400; the other class-4 account
    // keeps its -50
    expectBalances(books, 2005,
                   {{"1000", 0, "500"},
                    {"2000", 0, "-200"},
                    {"3000", 0, "-300"},
                    {"4000", 0, "-400"},
                    {"4100", 0, "-50"}},
                   false, "after the year end");
    expectLedger(books, 2005, {}, false, "the new year's ledger");
    expectLedger(books, 2004, posted, true, "the ledger history");
    expectBalances(books, 2004, closed, true, "the balance history");
    EXPECT_EQ(books.rows("Ledger_General"), 7 * 12);
    EXPECT_EQ(books.rows("Ledger_AccountBalances"), 7);
    EXPECT_EQ(books.rows("Ledger_GeneralHistories"), 7 * 12);
    EXPECT_EQ(books.rows("Ledger_AccountBalanceHistories"), 7);
    EXPECT_EQ(books.rows("Ledger_TransactionHistories"), 9);
    EXPECT_EQ(books.rows("Ledger_Transactions"), 0);

    // Reverting the year end brings the closed year back as it was
    ui.clear();
    {
        RevertEndYear revert(db.cnn(), progress);
        ASSERT_TRUE(revert.confirmBeforeRun());
        EXPECT_EQ(revert.run(), RunOutcome::Done);
    }
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Revert end year is done!"});
    EXPECT_EQ(books.dump(), beforeYearEnd);

    // Reverting the month ends, March back to April
    for (int month : {3, 2, 1, 12, 11, 10, 9, 8, 7, 6, 5, 4}) {
        RevertEndMonth revert(db.cnn(), progress);
        EXPECT_EQ(revert.run(month), RunOutcome::Done) << month;
    }
    EXPECT_EQ(books.dump(), afterPosting);

    // Reverting the postings
    {
        RevertPostings revert(db.cnn(), progress);
        EXPECT_EQ(revert.run(QDate(2004, 4, 1), QDate(2005, 3, 31)), RunOutcome::Done);
        EXPECT_TRUE(revert.skipped().empty());
    }
    EXPECT_EQ(books.dump(), beforePosting);
    EXPECT_FALSE(db.cnn().inTransaction());
}
