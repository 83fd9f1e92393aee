#pragma once

#include "core/data/Amount.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

namespace zelk {
class RowSet;
}

// What the history browsers show: the columns of each browser and the rows of the grid
// made from a query's rows, with the "Total" rows after each run and the "Grand Total".
// No widgets here: a window only copies these rows into its grid.
namespace zelk::history {

// How a column's values are shown.
enum class CellKind {
    Text,   // as stored; null shows empty
    Number, // whole numbers (years, periods)
    Date,   // stored as ISO text, shown in the short format (ShortDateText)
    Money,  // ten-thousandths, shown "#,##0.00" (0 shows empty); summed in the total rows
    Balance // a running balance: shown "#,##0.00" (0 too), never summed
};

struct ColumnDesign {
    QString caption;
    int widthTwips;
    CellKind kind;
};

enum class BrowserKind {
    Transactions,          // closed transaction lines of a date range
    GeneralLedgerCurrent,  // the open year's general ledger of one period
    GeneralLedgerPrevious, // a closed year's general ledger of one period
    Balances,              // a closed year's balances
    AccountCard            // one account's lines of a date range with its running balance
};

struct BrowserDesign {
    BrowserKind kind;
    QString name;    // the window's object name
    QString caption; // the window's caption
    std::vector<ColumnDesign> columns;
    // The columns of which one at least changes between two runs of rows; a "Total" row
    // follows each run. None: no "Total" rows.
    std::vector<int> breakColumns;
    // A "Grand Total" row over all rows ends the grid.
    bool grandTotal = false;
    // The leading columns whose values repeat down a run: a value is shown on the first
    // row of its run only.
    int repeatingColumns = 0;
};

const BrowserDesign& design(BrowserKind kind);

// The width of the narrow unlabelled column left of the data columns.
inline constexpr int FixedColumnTwips = 252;

enum class RowKind { Data, Total, GrandTotal };

struct GridRow {
    RowKind kind = RowKind::Data;
    QStringList cells; // one display text per column of the design
    // Total rows: the sum of each column; data rows: each money cell's amount (0 where
    // not money).
    std::vector<Amount> sums;
    QDate date; // a data row's date (the design's Date column), as stored
};

inline const QString TotalCaption = QStringLiteral("Total");
inline const QString GrandTotalCaption = QStringLiteral("Grand Total");

// The grid rows for the query's rows. The query's columns fill the design's columns in
// order. Sums are exact; a sum out of the money range throws zelk::Overflow.
std::vector<GridRow> arrangeRows(const BrowserDesign& design, RowSet& rs);

inline const QString BeginningBalanceCaption = QStringLiteral("Beginning balance");

// The account card's rows. `lines` are the account's lines (GetAccountCardLines) from the
// first day of the fiscal year of `from`; `beginnings` its beginning balance of each
// fiscal year (GetAccountBeginningBalances). The balance starts at the beginning balance
// of the fiscal year of `from` and takes in the lines before `from` unseen; a
// "Beginning balance" row shows it, and another one starts each later fiscal year at that
// year's beginning balance (a year the books hold no balance for carries on). Every line
// from `from` on is a row with its running balance; "Total" ends the card with the sums
// of the shown debits and credits and the last balance.
std::vector<GridRow> arrangeAccountCard(RowSet& lines, RowSet& beginnings, int financialPeriodBegin,
                                        const QDate& from);

} // namespace zelk::history
