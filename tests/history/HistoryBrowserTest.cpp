#include "core/history/HistoryBrowser.h"
#include "HistoryFixture.h"
#include "core/data/modDBUtil.h"
#include "support/Books.h"
#include "support/ScriptedUi.h"

#include <QDate>
#include <gtest/gtest.h>

using namespace zelk::history;
using Result = HistoryBrowser::LoadResult;

namespace {

class HistoryBrowsers : public ::testing::Test {
protected:
    TestDatabase db;
    ScriptedUi ui;

    void SetUp() override { historyfixture::writeBooks(db); }

    static std::vector<QStringList> cells(const HistoryBrowser& b) {
        std::vector<QStringList> out;
        for (const GridRow& r : b.rows())
            out.push_back(r.cells);
        return out;
    }
};

RangeChoice dates(QDate from, QDate to, const QString& account = {}) {
    RangeChoice c;
    c.dateFrom = from;
    c.dateTo = to;
    c.account = account;
    return c;
}
// A month of the ledgers; month 0 of a year is the balances' choice.
RangeChoice month(int m, int year = 0) {
    RangeChoice c;
    c.month = m;
    c.year = year;
    return c;
}
const RangeChoice January2004 = dates(QDate(2004, 1, 1), QDate(2004, 1, 31));

} // namespace

// January 2004 holds four closed transactions. Each is one run closed by its own "Total":
// T1 and T2 share the description "Cash sale", T3 and T4 have none, and still each one
// gets its own total. The leading values show on the first line of each transaction; a
// credit of 75 shows an empty debit (money shows "#,##0.00", 0 empty).
TEST_F(HistoryBrowsers, TransactionHistoryTotalsEachTransaction) {
    HistoryBrowser b(db.cnn(), BrowserKind::Transactions);
    ASSERT_EQ(b.load(January2004), Result::Loaded);
    EXPECT_TRUE(ui.asked().empty());
    EXPECT_EQ(b.readCount(), 8);
    const std::vector<QStringList> expected = {
        {"T1", "INV-1", "5 Jan 2004", "Cash sale", "1000", "Cash", "1,250.50", ""},
        {"", "", "", "", "4000", "Sales", "", "1,250.50"},
        {"Total", "", "", "", "", "", "1,250.50", "1,250.50"},
        {"T2", "INV-2", "12 Jan 2004", "Cash sale", "1000", "Cash", "300.00", ""},
        {"", "", "", "", "4000", "Sales", "", "300.00"},
        {"Total", "", "", "", "", "", "300.00", "300.00"},
        {"T3", "", "20 Jan 2004", "", "6000", "Rent", "75.00", ""},
        {"", "", "", "", "1100", "Bank", "", "75.00"},
        {"Total", "", "", "", "", "", "75.00", "75.00"},
        {"T4", "", "31 Jan 2004", "", "6000", "Rent", "0.25", ""},
        {"", "", "", "", "1000", "Cash", "", "0.25"},
        {"Total", "", "", "", "", "", "0.25", "0.25"},
        {"Grand Total", "", "", "", "", "", "1,625.75", "1,625.75"},
    };
    EXPECT_EQ(cells(b), expected);
    for (const GridRow& r : b.rows())
        EXPECT_EQ(r.kind, r.cells[0] == "Total"         ? RowKind::Total
                          : r.cells[0] == "Grand Total" ? RowKind::GrandTotal
                                                        : RowKind::Data)
            << r.cells.join('|').toStdString();
    EXPECT_EQ(b.rows().back().sums[6], money("1625.75")) << "exact amounts, not only texts";

    // Both ends of a range are included; balanced lines give equal debits and credits.
    for (const auto& [from, to, size, grand] :
         {std::tuple{QDate(2003, 12, 1), QDate(2004, 2, 29), 16, "2,425.75"},
          std::tuple{QDate(2004, 1, 31), QDate(2004, 1, 31), 4, "0.25"},      // T4 alone
          std::tuple{QDate(2004, 2, 10), QDate(2004, 3, 31), 4, "800.00"}}) { // T5 alone
        ASSERT_EQ(b.load(dates(from, to)), Result::Loaded);
        EXPECT_EQ(int(b.rows().size()), size) << grand;
        EXPECT_EQ(b.rows().back().cells.mid(6), (QStringList{grand, grand}));
    }
}

// Transaction numbers compare as the database compares them, without regard to case:
// the lines of "T9" and "t9" of one date are one run, with one total. The same number
// closed again with another date is a transaction of its own. A value equal to the one
// above still shows when a column before it changed.
TEST_F(HistoryBrowsers, RunsFollowTheTransactionNumberWhateverItsCaseAndItsDate) {
    using modDBUtil::InsertTransactionHistory;
    db.exec(InsertTransactionHistory("T9", "4000", 2, "S", QDate(2004, 3, 2), "D", money("-3")));
    db.exec(InsertTransactionHistory("T9", "1000", 1, "S", QDate(2004, 3, 1), "D", money("5")));
    db.exec(InsertTransactionHistory("T9", "1000", 1, "S", QDate(2004, 3, 2), "D", money("3")));
    db.exec(InsertTransactionHistory("t9", "4000", 2, "S", QDate(2004, 3, 1), "D", money("-5")));
    HistoryBrowser b(db.cnn(), BrowserKind::Transactions);
    ASSERT_EQ(b.load(dates(QDate(2004, 3, 1), QDate(2004, 3, 31))), Result::Loaded);
    const std::vector<QStringList> expected = {
        {"T9", "S", "1 Mar 2004", "D", "1000", "Cash", "5.00", ""},
        // Another number text: everything shows again, though Source is unchanged.
        {"t9", "S", "1 Mar 2004", "D", "4000", "Sales", "", "5.00"},
        {"Total", "", "", "", "", "", "5.00", "5.00"},
        {"T9", "S", "2 Mar 2004", "D", "1000", "Cash", "3.00", ""},
        {"", "", "", "", "4000", "Sales", "", "3.00"},
        {"Total", "", "", "", "", "", "3.00", "3.00"},
        {"Grand Total", "", "", "", "", "", "8.00", "8.00"},
    };
    EXPECT_EQ(cells(b), expected);
}

// With the fiscal year starting in April, February is period 11 and April period 1 of
// the open year's general ledger: one "Total" at the end, Year and Period on the first
// row. The period follows the company's first month as it is when the grid is loaded.
TEST_F(HistoryBrowsers, CurrentYearLedgerOfAMonth) {
    HistoryBrowser b(db.cnn(), BrowserKind::GeneralLedgerCurrent);
    ASSERT_EQ(b.load(month(2)), Result::Loaded);
    const std::vector<QStringList> expected = {
        {"2004", "11", "1000", "Cash", "120.40", "500.00"},
        {"", "", "1100", "Bank", "", ""},
        {"", "", "4000", "Sales", "500.00", ""},
        {"", "", "6000", "Rent", "", "120.40"},
        {"Total", "", "", "", "620.40", "620.40"},
    };
    EXPECT_EQ(cells(b), expected);
    EXPECT_EQ(b.rows().back().kind, RowKind::Total);

    ASSERT_EQ(b.load(month(4)), Result::Loaded);
    ASSERT_EQ(b.rows().size(), 5u);
    EXPECT_EQ(b.rows()[0].cells.mid(0, 2), (QStringList{"2004", "1"}));
    EXPECT_EQ(b.rows()[4].cells, (QStringList{"Total", "", "", "", "", "10.00"}));

    db.exec(modDBUtil::UpdateCompanyPeriods(1, 2002, 2004, 1));
    EXPECT_EQ(b.statementFor(month(2)), modDBUtil::GetGeneralLedgerView(2, 0));
}

// The previous years' ledger takes the chosen year as the fiscal year's name: January
// 2003 is period 10 of fiscal year 2003 (not of 2002). The balance history has one row
// per account, no totals, the year on the first row only, negative balances with a
// minus sign. A year without closed rows has no data (2004 is still open).
TEST_F(HistoryBrowsers, ClosedYearsOfTheLedgerAndTheBalances) {
    HistoryBrowser ledger(db.cnn(), BrowserKind::GeneralLedgerPrevious);
    ASSERT_EQ(ledger.load(month(1, 2003)), Result::Loaded);
    const std::vector<QStringList> expected = {
        {"2003", "10", "1000", "Cash", "0.25", "1,550.50"}, {"", "", "1100", "Bank", "75.00", ""},
        {"", "", "4000", "Sales", "1,550.50", ""},          {"", "", "6000", "Rent", "", "75.25"},
        {"Total", "", "", "", "1,625.75", "1,625.75"},
    };
    EXPECT_EQ(cells(ledger), expected);

    HistoryBrowser balances(db.cnn(), BrowserKind::Balances);
    ASSERT_EQ(balances.load(month(0, 2003)), Result::Loaded);
    ASSERT_EQ(balances.rows().size(), 4u);
    std::map<QString, QStringList> byAccount;
    for (size_t i = 0; i < balances.rows().size(); ++i) {
        const GridRow& r = balances.rows()[i];
        EXPECT_EQ(r.kind, RowKind::Data);
        EXPECT_EQ(r.cells[0], i == 0 ? "2003" : "") << "row " << i;
        byAccount[r.cells[1]] = r.cells.mid(2);
    }
    const auto row = [](QString name, QString beginning, std::map<int, QString> periods) {
        QStringList l{name, beginning};
        for (int p = 1; p <= 12; ++p)
            l << periods[p];
        return l;
    };
    EXPECT_EQ(byAccount["1000"], row("Cash", "1,000.00", {{1, "200.00"}, {10, "1,550.25"}}));
    EXPECT_EQ(byAccount["1100"], row("Bank", "5,000.00", {{10, "-75.00"}, {11, "-800.00"}}));
    EXPECT_EQ(byAccount["4000"], row("Sales", "", {{10, "-1,550.50"}}));
    EXPECT_EQ(byAccount["6000"], row("Rent", "", {{10, "75.25"}, {11, "800.00"}}));
    EXPECT_TRUE(ui.asked().empty());

    // No rows empty the grid, and only then "No data." is told under the application's
    // title, so that the window shows the empty grid behind the message.
    size_t rowsWhenReplaced = 99, askedWhenReplaced = 99;
    ledger.setRowsReplaced([&] {
        rowsWhenReplaced = ledger.rows().size();
        askedWhenReplaced = ui.asked().size();
    });
    EXPECT_EQ(ledger.load(month(1, 2001)), Result::NoData);
    EXPECT_TRUE(ledger.rows().empty());
    EXPECT_EQ(ledger.readCount(), 0);
    EXPECT_EQ(rowsWhenReplaced, 0u);
    EXPECT_EQ(askedWhenReplaced, 0u) << "the rows were replaced before the message";
    EXPECT_EQ(balances.load(month(0, 2004)), Result::NoData);
    ASSERT_EQ(ui.asked().size(), 2u);
    EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::MessageBox);
    EXPECT_EQ(ui.asked()[0].title, "Zelk");
    EXPECT_EQ(ui.messageBoxes(), (std::vector<QString>{"No data.", "No data."}));
}

// Each browser opens on the period at hand of the open year 2004 (April to March): the
// transaction history up to the end of its last month with closed lines (none: the
// year's end), the current ledger's last month with a posting, the last month of the
// closed year 2003 and its balances.
TEST_F(HistoryBrowsers, EachOpensOnThePeriodAtHand) {
    const auto opening = [&](BrowserKind kind) {
        const RangeChoice c = OpeningChoice(db.cnn(), kind);
        return QStringList{c.dateFrom.toString(Qt::ISODate), c.dateTo.toString(Qt::ISODate),
                           QString::number(c.month), QString::number(c.year)}
            .join(' ');
    };
    const QString year = "2004-04-01 2005-03-31 ";
    EXPECT_EQ(opening(BrowserKind::Transactions), year + "0 0");
    EXPECT_EQ(opening(BrowserKind::GeneralLedgerCurrent), year + "2 0"); // period 11
    EXPECT_EQ(opening(BrowserKind::GeneralLedgerPrevious), year + "3 2003");
    EXPECT_EQ(opening(BrowserKind::Balances), year + "0 2003");
    EXPECT_EQ(opening(BrowserKind::AccountCard), year + "0 0");
    db.exec(modDBUtil::InsertTransactionHistory("T6", "1000", 1, "", QDate(2004, 5, 20), "",
                                                money("1")));
    db.exec(modDBUtil::UpdateGeneral("1000", 2004, 11, zelk::Amount(), zelk::Amount()));
    db.exec(modDBUtil::UpdateGeneral("4000", 2004, 11, zelk::Amount(), zelk::Amount()));
    db.exec(modDBUtil::UpdateGeneral("6000", 2004, 11, zelk::Amount(), zelk::Amount()));
    EXPECT_EQ(opening(BrowserKind::Transactions), "2004-04-01 2004-05-31 0 0");
    EXPECT_EQ(opening(BrowserKind::GeneralLedgerCurrent), year + "4 0"); // period 1
}

// A query that fails is shown with the database error report (number, source,
// description; Fix, Retry, Abort under "DB Error"). Whatever the answer, nothing is run
// again and the rows shown before stay.
TEST_F(HistoryBrowsers, AFailingQueryIsReportedAndTheRowsStay) {
    HistoryBrowser b(db.cnn(), BrowserKind::Balances);
    ASSERT_EQ(b.load(month(0, 2003)), Result::Loaded);
    const std::vector<QStringList> before = cells(b);

    db.exec("ALTER TABLE Ledger_AccountBalanceHistories RENAME TO Gone");
    for (int answer : {zelk::Retry, zelk::Fix, zelk::Abort}) {
        ui.clear();
        ui.answerDialog(answer);
        EXPECT_EQ(b.load(month(0, 2002)), Result::Failed);
        ASSERT_EQ(ui.asked().size(), 1u) << "one report, no retry, no No data.";
        EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::MessageDialog);
        EXPECT_EQ(ui.asked()[0].title, "DB Error");
        EXPECT_EQ(ui.asked()[0].buttons, 7);
        EXPECT_EQ(ui.asked()[0].text, "Error: 1\r\nSource: Zelk database\r\nDesc: no such table: "
                                      "Ledger_AccountBalanceHistories");
        EXPECT_EQ(cells(b), before);
        EXPECT_EQ(b.readCount(), 4);
    }
}

// Totals beyond the money range are an error, not a wrapped figure; one of the two
// amounts alone is shown in full.
TEST_F(HistoryBrowsers, ATotalOutOfRangeIsReportedNotWrapped) {
    HistoryBrowser b(db.cnn(), BrowserKind::GeneralLedgerPrevious);
    ASSERT_EQ(b.load(month(1, 2003)), Result::Loaded);
    const zelk::Amount huge = zelk::Amount::fromUnits(900'000'000'000'000);
    db.exec(modDBUtil::InsertGeneralHistory("1000", 2001, 5, huge, zelk::Amount()));
    db.exec(modDBUtil::InsertGeneralHistory("1100", 2001, 5, huge, zelk::Amount()));
    ui.answerDialog(zelk::Fix);
    EXPECT_EQ(b.load(month(8, 2001)), Result::Failed);
    EXPECT_EQ(ui.dialogs().at(0).text, "Error: 6\r\nSource: Zelk\r\nDesc: Overflow");
    EXPECT_EQ(b.rows().size(), 5u);

    db.exec(modDBUtil::DeleteGeneralHistory("1100", 2001, 5));
    ASSERT_EQ(b.load(month(8, 2001)), Result::Loaded);
    EXPECT_EQ(b.rows().back().cells[5], "900,000,000,000,000.00");
}

// The card of Cash: closed lines of January 2004 (fiscal year 2003, beginning 1000) and
// journal lines of April 2004 (fiscal year 2004, beginning 2750.25), one of them not
// posted. Lines before the range's first day are in the first balance, unseen; the new
// fiscal year starts again at its own beginning balance. The card never says "No data.".
TEST_F(HistoryBrowsers, AccountCardRunsTheBalanceFromTheYearsBeginning) {
    Books books(db);
    db.exec(modDBUtil::UpdateAccountBalanceColumn("1000", 2004, 0, money("2750.25")));
    books.addTransaction("J1", QDate(2004, 4, 2), {{"1000", "100"}, {"1100", "-100"}}, "DEP",
                         "Deposit");
    db.exec(modDBUtil::UpdateTransactionPosted("J1", true));
    books.addTransaction("J2", QDate(2004, 4, 30), {{"6000", "40"}, {"1000", "-40"}}, "",
                         "Petty cash");
    struct Case {
        QDate from, to;
        std::vector<QStringList> rows; // Date, Trx No., Description, Status, Debit, Credit,
                                       // Balance
    } cases[] = {
        {{2004, 1, 1},
         {2004, 4, 30},
         {{"1 Jan 2004", "", "Beginning balance", "", "", "", "1,000.00"},
          {"5 Jan 2004", "T1", "Cash sale", "Closed", "1,250.50", "", "2,250.50"},
          {"12 Jan 2004", "T2", "Cash sale", "Closed", "300.00", "", "2,550.50"},
          {"31 Jan 2004", "T4", "", "Closed", "", "0.25", "2,550.25"},
          {"1 Apr 2004", "", "Beginning balance", "", "", "", "2,750.25"},
          {"2 Apr 2004", "J1", "Deposit", "Posted", "100.00", "", "2,850.25"},
          {"30 Apr 2004", "J2", "Petty cash", "Not posted", "", "40.00", "2,810.25"},
          {"", "", "Total", "", "1,650.50", "40.25", "2,810.25"}}},
        {{2004, 1, 12}, // T2 of its first day is shown, not in the balance
         {2004, 1, 31},
         {{"12 Jan 2004", "", "Beginning balance", "", "", "", "2,250.50"},
          {"12 Jan 2004", "T2", "Cash sale", "Closed", "300.00", "", "2,550.50"},
          {"31 Jan 2004", "T4", "", "Closed", "", "0.25", "2,550.25"},
          {"", "", "Total", "", "300.00", "0.25", "2,550.25"}}},
        // No line in the range: the balance it starts with, and its total.
        {{2004, 3, 1},
         {2004, 3, 31},
         {{"1 Mar 2004", "", "Beginning balance", "", "", "", "2,550.25"},
          {"", "", "Total", "", "", "", "2,550.25"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from.toString(Qt::ISODate).toStdString());
        HistoryBrowser b(db.cnn(), BrowserKind::AccountCard);
        ASSERT_EQ(b.load(dates(c.from, c.to, "1000")), Result::Loaded);
        EXPECT_TRUE(ui.asked().empty());
        std::vector<QStringList> shown;
        for (const GridRow& r : b.rows())
            shown.push_back(r.cells.mid(0, 2) + r.cells.mid(3));
        EXPECT_EQ(shown, c.rows);
        EXPECT_EQ(b.rows().back().kind, RowKind::GrandTotal);
    }
}
