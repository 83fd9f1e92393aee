#include "history/HistoryBrowser.h"
#include "HistoryFixture.h"
#include "data/modDBUtil.h"
#include "data/modErrors.h"
#include "support/ScriptedUi.h"
#include "support/TestDatabase.h"

#include <QDate>
#include <gtest/gtest.h>

using namespace zelk::history;
using historyfixture::money;
using Result = HistoryBrowser::LoadResult;

namespace {

class HistoryBrowsers : public ::testing::Test {
protected:
    TestDatabase db;
    ScriptedUi ui;

    void SetUp() override { historyfixture::writeBooks(db); }

    static RangeChoice dates(QDate from, QDate to) {
        RangeChoice c;
        c.dateFrom = from;
        c.dateTo = to;
        return c;
    }
    static RangeChoice month(int m, int year = 0) {
        RangeChoice c;
        c.month = m;
        c.year = year;
        return c;
    }
    static RangeChoice year(int y) {
        RangeChoice c;
        c.year = y;
        return c;
    }
    static RangeChoice january2004() { return dates(QDate(2004, 1, 1), QDate(2004, 1, 31)); }

    static std::vector<QStringList> cells(const HistoryBrowser& b) {
        std::vector<QStringList> out;
        for (const GridRow& r : b.rows())
            out.push_back(r.cells);
        return out;
    }
    static std::vector<RowKind> kinds(const HistoryBrowser& b) {
        std::vector<RowKind> out;
        for (const GridRow& r : b.rows())
            out.push_back(r.kind);
        return out;
    }
    // The message dialog the database error of this statement shows.
    QString errorTextOf(const QString& sql) {
        try {
            db.query(sql);
        } catch (const zelk::DbError& e) {
            return modErrors::ComposeErrorText(e.record());
        }
        ADD_FAILURE() << "the statement did not fail: " << sql.toStdString();
        return {};
    }
};

} // namespace

// January 2004 holds four closed transactions. Each is one run closed by its own "Total":
// T1 and T2 share the description "Cash sale", T3 and T4 have none, and still each one
// gets its own total. The leading values show on the first line of each transaction; a
// credit of 75 shows an empty debit (the money format leaves 0 empty).
TEST_F(HistoryBrowsers, TransactionHistoryTotalsEachTransaction) {
    HistoryBrowser b(BrowserKind::Transactions);
    ASSERT_EQ(b.load(january2004()), Result::Loaded);
    EXPECT_TRUE(ui.asked().empty());
    EXPECT_EQ(b.readCount(), 8);

    const std::vector<QStringList> expected = {
        {"T1", "INV-1", "05/01/04", "Cash sale", "1000", "Cash", "1,250.5", ""},
        {"", "", "", "", "4000", "Sales", "", "1,250.5"},
        {"Total", "", "", "", "", "", "1,250.5", "1,250.5"},
        {"T2", "INV-2", "12/01/04", "Cash sale", "1000", "Cash", "300", ""},
        {"", "", "", "", "4000", "Sales", "", "300"},
        {"Total", "", "", "", "", "", "300", "300"},
        {"T3", "", "20/01/04", "", "6000", "Rent", "75", ""},
        {"", "", "", "", "1100", "Bank", "", "75"},
        {"Total", "", "", "", "", "", "75", "75"},
        {"T4", "", "31/01/04", "", "6000", "Rent", ".25", ""},
        {"", "", "", "", "1000", "Cash", "", ".25"},
        {"Total", "", "", "", "", "", ".25", ".25"},
        {"Grand Total", "", "", "", "", "", "1,625.75", "1,625.75"},
    };
    EXPECT_EQ(cells(b), expected);
    const std::vector<RowKind> expectedKinds = {
        RowKind::Data,  RowKind::Data,  RowKind::Total,     RowKind::Data,  RowKind::Data,
        RowKind::Total, RowKind::Data,  RowKind::Data,      RowKind::Total, RowKind::Data,
        RowKind::Data,  RowKind::Total, RowKind::GrandTotal};
    EXPECT_EQ(kinds(b), expectedKinds);

    // The sums are exact amounts, not only texts.
    const GridRow& grand = b.rows().back();
    EXPECT_EQ(grand.sums[6], money("1625.75"));
    EXPECT_EQ(grand.sums[7], money("1625.75"));
}

// Balanced transactions give a "Grand Total" whose debit equals its credit, over any
// range; January and February together add T5's 800.
TEST_F(HistoryBrowsers, GrandTotalDebitEqualsCreditForBalancedTransactions) {
    HistoryBrowser b(BrowserKind::Transactions);
    ASSERT_EQ(b.load(dates(QDate(2003, 12, 1), QDate(2004, 2, 29))), Result::Loaded);
    ASSERT_FALSE(b.rows().empty());
    const GridRow& grand = b.rows().back();
    ASSERT_EQ(grand.kind, RowKind::GrandTotal);
    EXPECT_EQ(grand.sums[6], money("2425.75"));
    EXPECT_EQ(grand.sums[6], grand.sums[7]);
    EXPECT_EQ(grand.cells[6], "2,425.75");
    EXPECT_EQ(grand.cells[7], "2,425.75");
    int totals = 0;
    for (const GridRow& r : b.rows())
        totals += r.kind == RowKind::Total;
    EXPECT_EQ(totals, 5);

    // Both ends of the range are included: the 31st of January alone is T4.
    ASSERT_EQ(b.load(dates(QDate(2004, 1, 31), QDate(2004, 1, 31))), Result::Loaded);
    EXPECT_EQ(b.rows().size(), 4u); // two lines, its total, the grand total
    EXPECT_EQ(b.rows().front().cells[0], "T4");
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
    HistoryBrowser b(BrowserKind::Transactions);
    ASSERT_EQ(b.load(dates(QDate(2004, 3, 1), QDate(2004, 3, 31))), Result::Loaded);
    const std::vector<QStringList> expected = {
        {"T9", "S", "01/03/04", "D", "1000", "Cash", "5", ""},
        // Another number text: everything shows again, though Source is unchanged.
        {"t9", "S", "01/03/04", "D", "4000", "Sales", "", "5"},
        {"Total", "", "", "", "", "", "5", "5"},
        {"T9", "S", "02/03/04", "D", "1000", "Cash", "3", ""},
        {"", "", "", "", "4000", "Sales", "", "3"},
        {"Total", "", "", "", "", "", "3", "3"},
        {"Grand Total", "", "", "", "", "", "8", "8"},
    };
    EXPECT_EQ(cells(b), expected);
}

// With the fiscal year starting in April, February is period 11: the open year's
// general ledger of period 11, one "Total" at the end, Year and Period on the first row.
TEST_F(HistoryBrowsers, CurrentYearFebruaryOfAnAprilYearIsPeriodEleven) {
    HistoryBrowser b(BrowserKind::GeneralLedgerCurrent);
    EXPECT_EQ(b.statementFor(month(2)), modDBUtil::GetGeneralLedgerView(11, 0));
    ASSERT_EQ(b.load(month(2)), Result::Loaded);
    const std::vector<QStringList> expected = {
        {"2004", "11", "1000", "Cash", "120.4", "500"}, {"", "", "1100", "Bank", "", ""},
        {"", "", "4000", "Sales", "500", ""},           {"", "", "6000", "Rent", "", "120.4"},
        {"Total", "", "", "", "620.4", "620.4"},
    };
    EXPECT_EQ(cells(b), expected);
    EXPECT_EQ(b.rows().back().kind, RowKind::Total);

    // April is period 1.
    ASSERT_EQ(b.load(month(4)), Result::Loaded);
    ASSERT_EQ(b.rows().size(), 5u);
    EXPECT_EQ(b.rows()[0].cells.mid(0, 2), (QStringList{"2004", "1"}));
    EXPECT_EQ(b.rows()[4].cells, (QStringList{"Total", "", "", "", "", "10"}));

    // The period follows the company's first month as it is when the grid is loaded.
    db.exec(modDBUtil::UpdateCompanyPeriods(1, 2002, 2004, 1));
    EXPECT_EQ(b.statementFor(month(2)), modDBUtil::GetGeneralLedgerView(2, 0));
}

// The previous years' ledger takes the chosen year as the fiscal year's name: January
// 2003 is period 10 of fiscal year 2003. A year without closed rows has "No data.".
TEST_F(HistoryBrowsers, PreviousYearsLedgerOfAChosenYear) {
    HistoryBrowser b(BrowserKind::GeneralLedgerPrevious);
    EXPECT_EQ(b.statementFor(month(1, 2003)), modDBUtil::GetGeneralLedgerView(10, 2003));
    ASSERT_EQ(b.load(month(1, 2003)), Result::Loaded);
    const std::vector<QStringList> expected = {
        {"2003", "10", "1000", "Cash", ".25", "1,550.5"}, {"", "", "1100", "Bank", "75", ""},
        {"", "", "4000", "Sales", "1,550.5", ""},         {"", "", "6000", "Rent", "", "75.25"},
        {"Total", "", "", "", "1,625.75", "1,625.75"},
    };
    EXPECT_EQ(cells(b), expected);

    ASSERT_EQ(b.load(month(1, 2002)), Result::Loaded);
    EXPECT_EQ(cells(b), (std::vector<QStringList>{{"2002", "10", "1000", "Cash", "", "99"},
                                                  {"", "", "4000", "Sales", "99", ""},
                                                  {"Total", "", "", "", "99", "99"}}));
    EXPECT_TRUE(ui.asked().empty());

    EXPECT_EQ(b.load(month(1, 2001)), Result::NoData);
    EXPECT_TRUE(b.rows().empty());
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"No data."});
}

// The balance history: one row per account, no totals, the year on the first row only,
// negative balances with a minus sign.
TEST_F(HistoryBrowsers, BalanceHistoryOfAClosedYear) {
    HistoryBrowser b(BrowserKind::Balances);
    EXPECT_EQ(b.statementFor(year(2003)), modDBUtil::GetBalanceHistoryView(2003));
    ASSERT_EQ(b.load(year(2003)), Result::Loaded);
    ASSERT_EQ(b.rows().size(), 4u);
    std::map<QString, QStringList> byAccount;
    for (size_t i = 0; i < b.rows().size(); ++i) {
        const GridRow& r = b.rows()[i];
        EXPECT_EQ(r.kind, RowKind::Data);
        ASSERT_EQ(r.cells.size(), 16);
        EXPECT_EQ(r.cells[0], i == 0 ? "2003" : "") << "row " << i;
        byAccount[r.cells[1]] = r.cells.mid(2);
    }
    auto row = [](QString name, QString beginning, std::map<int, QString> periods) {
        QStringList l{name, beginning};
        for (int p = 1; p <= 12; ++p)
            l << periods[p];
        return l;
    };
    EXPECT_EQ(byAccount["1000"], row("Cash", "1,000", {{1, "200"}, {10, "1,550.25"}}));
    EXPECT_EQ(byAccount["1100"], row("Bank", "5,000", {{10, "-75"}, {11, "-800"}}));
    EXPECT_EQ(byAccount["4000"], row("Sales", "", {{10, "-1,550.5"}}));
    EXPECT_EQ(byAccount["6000"], row("Rent", "", {{10, "75.25"}, {11, "800"}}));

    ASSERT_EQ(b.load(year(2002)), Result::Loaded);
    ASSERT_EQ(b.rows().size(), 1u);
    const QStringList only = QStringList{"2002", "1000"} + row("Cash", "500", {{12, "500"}});
    EXPECT_EQ(b.rows()[0].cells, only);
    EXPECT_TRUE(ui.asked().empty());
}

// A choice without rows empties the grid (the earlier rows are gone) and tells
// "No data." under the application's title, after the rows were replaced, so the window
// shows the empty grid behind the message. A reversed range finds nothing.
TEST_F(HistoryBrowsers, NoDataEmptiesTheGridBeforeTelling) {
    HistoryBrowser b(BrowserKind::Transactions);
    size_t rowsWhenReplaced = 99;
    size_t askedWhenReplaced = 99;
    b.setRowsReplaced([&] {
        rowsWhenReplaced = b.rows().size();
        askedWhenReplaced = ui.asked().size();
    });
    ASSERT_EQ(b.load(january2004()), Result::Loaded);
    EXPECT_EQ(rowsWhenReplaced, 13u);

    EXPECT_EQ(b.load(dates(QDate(2004, 1, 31), QDate(2004, 1, 1))), Result::NoData);
    EXPECT_TRUE(b.rows().empty());
    EXPECT_EQ(b.readCount(), 0);
    EXPECT_EQ(rowsWhenReplaced, 0u);
    EXPECT_EQ(askedWhenReplaced, 0u) << "the rows were replaced before the message";
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::MessageBox);
    EXPECT_EQ(ui.asked()[0].text, "No data.");
    EXPECT_EQ(ui.asked()[0].title, "Zelk");

    HistoryBrowser balances(BrowserKind::Balances);
    EXPECT_EQ(balances.load(year(2004)), Result::NoData) << "2004 is still open";
    EXPECT_EQ(ui.messageBoxes().size(), 2u);
}

// A query that fails is shown with the database error report (number, source,
// description; Fix, Retry, Abort under "DB Error"). Whatever the answer, nothing is run
// again and the rows shown before stay.
TEST_F(HistoryBrowsers, AFailingQueryIsReportedAndTheRowsStay) {
    HistoryBrowser b(BrowserKind::Balances);
    ASSERT_EQ(b.load(year(2003)), Result::Loaded);
    const std::vector<QStringList> before = cells(b);

    db.exec("ALTER TABLE Ledger_AccountBalanceHistories RENAME TO Gone");
    const QString expected = errorTextOf(modDBUtil::GetBalanceHistoryView(2002));
    ASSERT_TRUE(expected.startsWith("Error: 1\r\nSource: Zelk database\r\nDesc: "))
        << expected.toStdString();
    for (int answer : {zelk::Retry, zelk::Fix, zelk::Abort}) {
        ui.clear();
        ui.answerDialog(answer);
        EXPECT_EQ(b.load(year(2002)), Result::Failed);
        ASSERT_EQ(ui.asked().size(), 1u) << "one report, no retry, no No data.";
        EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::MessageDialog);
        EXPECT_EQ(ui.asked()[0].title, "DB Error");
        EXPECT_EQ(ui.asked()[0].buttons, 7);
        EXPECT_EQ(ui.asked()[0].text, expected);
        EXPECT_EQ(cells(b), before);
        EXPECT_EQ(b.readCount(), 4);
    }
}

// The general-ledger browsers read the company row to find the period; without it the
// error is reported the same way and nothing changes.
TEST_F(HistoryBrowsers, AMissingCompanyRowIsReportedAndTheRowsStay) {
    HistoryBrowser b(BrowserKind::GeneralLedgerCurrent);
    ASSERT_EQ(b.load(month(2)), Result::Loaded);
    db.exec("DELETE FROM SYS_Company");
    ui.answerDialog(zelk::Abort);
    EXPECT_EQ(b.load(month(4)), Result::Failed);
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_EQ(ui.dialogs()[0].text,
              "Error: 1\r\nSource: Zelk database\r\nDesc: The company row is missing.");
    ASSERT_EQ(b.rows().size(), 5u);
    EXPECT_EQ(b.rows()[0].cells[1], "11");
}

// Totals beyond the money range are an error, not a wrapped figure.
TEST_F(HistoryBrowsers, ATotalOutOfRangeIsReportedNotWrapped) {
    HistoryBrowser b(BrowserKind::GeneralLedgerPrevious);
    ASSERT_EQ(b.load(month(1, 2003)), Result::Loaded);
    const zelk::Amount huge = zelk::Amount::fromUnits(900'000'000'000'000);
    db.exec(modDBUtil::InsertGeneralHistory("1000", 2001, 5, huge, zelk::Amount()));
    db.exec(modDBUtil::InsertGeneralHistory("1100", 2001, 5, huge, zelk::Amount()));
    ui.answerDialog(zelk::Fix);
    EXPECT_EQ(b.load(month(8, 2001)), Result::Failed);
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_EQ(ui.dialogs()[0].text, "Error: 6\r\nSource: Zelk\r\nDesc: Overflow");
    EXPECT_EQ(b.rows().size(), 5u);
    EXPECT_EQ(b.rows()[0].cells[0], "2003");

    // One of them alone is shown in full.
    db.exec(modDBUtil::DeleteGeneralHistory("1100", 2001, 5));
    ASSERT_EQ(b.load(month(8, 2001)), Result::Loaded);
    EXPECT_EQ(b.rows().back().cells[5], "900,000,000,000,000");
}

// The designs: captions, widths and money columns of the four browsers.
TEST(HistoryDesigns, CaptionsWidthsAndMoneyColumns) {
    auto captions = [](BrowserKind k) {
        QStringList out;
        for (const ColumnDesign& c : design(k).columns)
            out << QStringLiteral("%1 %2%3")
                       .arg(c.caption)
                       .arg(c.widthTwips)
                       .arg(c.kind == CellKind::Money ? " $" : "");
        return out;
    };
    EXPECT_EQ(
        captions(BrowserKind::Transactions),
        (QStringList{"Trx No. 1476", "Source 912", "Date 912", "Description 2688", "Account No 912",
                     "Account Name 2304", "Debit 1200 $", "Credit 1200 $"}));
    const QStringList ledger{"Year 912",          "Period 732",    "Account No. 1032",
                             "Account Name 2496", "Credit 1404 $", "Debit 1404 $"};
    EXPECT_EQ(captions(BrowserKind::GeneralLedgerCurrent), ledger);
    EXPECT_EQ(captions(BrowserKind::GeneralLedgerPrevious), ledger);
    QStringList balance{"Year 900", "Account No. 1176", "Account Name 2496",
                        "Beginning Balance 1500 $"};
    for (int p = 1; p <= 12; ++p)
        balance << QStringLiteral("Period %1 1500 $").arg(p);
    EXPECT_EQ(captions(BrowserKind::Balances), balance);

    EXPECT_EQ(design(BrowserKind::Transactions).caption, "Transaction History");
    EXPECT_EQ(design(BrowserKind::GeneralLedgerCurrent).caption,
              QString::fromUtf8("Ledger History — current year"));
    EXPECT_EQ(design(BrowserKind::GeneralLedgerPrevious).caption,
              QString::fromUtf8("Ledger History — previous years"));
    EXPECT_EQ(design(BrowserKind::Balances).caption, "Balance History");
}

// The card of Cash: closed lines of January 2004 (fiscal year 2003, beginning 1000) and
// journal lines of April 2004 (fiscal year 2004, beginning 2750.25), one of them not
// posted. Lines before the range's first day are in the first balance, unseen; the new
// fiscal year starts again at its own beginning balance.
TEST_F(HistoryBrowsers, AccountCardRunsTheBalanceFromTheYearsBeginning) {
    db.exec(modDBUtil::UpdateAccountBalanceColumn("1000", 2004, 0, money("2750.25")));
    db.exec(modDBUtil::InsertTransaction("J1", "DEP", "Deposit", QDate(2004, 4, 2), true));
    db.exec(modDBUtil::InsertTransactionDetail("J1", "1000", 1, money("100")));
    db.exec(modDBUtil::InsertTransactionDetail("J1", "1100", 2, money("-100")));
    db.exec(modDBUtil::InsertTransaction("J2", "", "Petty cash", QDate(2004, 4, 30), false));
    db.exec(modDBUtil::InsertTransactionDetail("J2", "6000", 1, money("40")));
    db.exec(modDBUtil::InsertTransactionDetail("J2", "1000", 2, money("-40")));
    const auto card = [](QDate from, QDate to) {
        RangeChoice c;
        c.account = "1000";
        c.dateFrom = from;
        c.dateTo = to;
        return c;
    };
    // Date, Trx No., Status, Debit, Credit, Balance of each row.
    const auto shown = [](const HistoryBrowser& b) {
        std::vector<QStringList> out;
        for (const GridRow& r : b.rows())
            out.push_back({r.cells[0], r.cells[1], r.cells[3], r.cells[4], r.cells[5], r.cells[6],
                           r.cells[7]});
        return out;
    };
    struct Case {
        QDate from, to;
        std::vector<QStringList> rows;
    } cases[] = {
        {QDate(2004, 1, 1),
         QDate(2004, 4, 30),
         {{"01/01/04", "", "Beginning balance", "", "", "", "1,000.00"},
          {"05/01/04", "T1", "Cash sale", "Closed", "1,250.5", "", "2,250.50"},
          {"12/01/04", "T2", "Cash sale", "Closed", "300", "", "2,550.50"},
          {"31/01/04", "T4", "", "Closed", "", ".25", "2,550.25"},
          {"01/04/04", "", "Beginning balance", "", "", "", "2,750.25"},
          {"02/04/04", "J1", "Deposit", "Posted", "100", "", "2,850.25"},
          {"30/04/04", "J2", "Petty cash", "Not posted", "", "40", "2,810.25"},
          {"", "", "Total", "", "1,650.5", "40.25", "2,810.25"}}},
        {QDate(2004, 1, 10),
         QDate(2004, 1, 31),
         {{"10/01/04", "", "Beginning balance", "", "", "", "2,250.50"},
          {"12/01/04", "T2", "Cash sale", "Closed", "300", "", "2,550.50"},
          {"31/01/04", "T4", "", "Closed", "", ".25", "2,550.25"},
          {"", "", "Total", "", "300", ".25", "2,550.25"}}},
        // No line in the range: the balance it starts with, and its total.
        {QDate(2004, 3, 1),
         QDate(2004, 3, 31),
         {{"01/03/04", "", "Beginning balance", "", "", "", "2,550.25"},
          {"", "", "Total", "", "", "", "2,550.25"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from.toString(Qt::ISODate).toStdString());
        HistoryBrowser b(BrowserKind::AccountCard);
        ASSERT_EQ(b.load(card(c.from, c.to)), Result::Loaded);
        EXPECT_TRUE(ui.asked().empty()) << "the card never says \"No data.\"";
        EXPECT_EQ(shown(b), c.rows);
        EXPECT_EQ(b.rows().back().kind, RowKind::GrandTotal);
    }
}
