#pragma once

#include "HistoryGrid.h"
#include "core/data/Connection.h"

#include <QDate>
#include <functional>
#include <vector>

// The logic of one history browser: the range the user chose becomes the browser's
// query; its rows are read once, as they are walked, and arranged for the grid with
// their totals. The browser only reads; it never writes to the database.
namespace zelk::history {

// The values a selection dialog hands back; each browser uses its own.
struct RangeChoice {
    QDate dateFrom, dateTo; // the transaction history
    int month = 0;          // the general-ledger browsers: calendar month 1..12
    int year = 0;           // the previous years' general ledger, the balances: fiscal year
    QString account;        // the account card: the account's number
};

// The choice a browser opens on, the period at hand: the transaction history from the
// first day of the open fiscal year to the last day of its last month with closed lines
// (to the year's end when it has none); the open year's ledger, its last month with a
// posting (its first month when none has); a closed year's ledger, the last month of the
// year before the open one; the balances, that year; the account card (of no account),
// the open fiscal year. Throws DbError when the company row cannot be read.
RangeChoice OpeningChoice(Connection& cnn, BrowserKind kind);

class HistoryBrowser {
public:
    enum class LoadResult {
        Loaded, // rows shown with their totals
        NoData, // the grid emptied and "No data." told (the account card always has rows)
        Failed  // the query failed: the error reported, the grid as it was
    };

    HistoryBrowser(Connection& cnn, BrowserKind kind) : m_cnn(cnn), m_design(&design(kind)) {}

    const BrowserDesign& browserDesign() const { return *m_design; }

    // The query for a choice. The general-ledger browsers read the company's first month
    // of the fiscal year to turn the calendar month into its period. Throws DbError.
    QString statementFor(const RangeChoice& choice) const;

    // Reads the rows of the choice over the browser's connection and arranges them.
    // With no rows the grid is emptied and "No data." is told (unless `tellNoData` is
    // false: a browser that opens empty says nothing). A failing query is shown with the
    // database error report; the rows shown before stay.
    LoadResult load(const RangeChoice& choice, bool tellNoData = true);

    const std::vector<GridRow>& rows() const { return m_rows; }
    // How many rows the browser's query gave.
    int readCount() const { return m_readCount; }

    // Called whenever the rows are replaced, before any message about them is shown.
    void setRowsReplaced(std::function<void()> f) { m_rowsReplaced = std::move(f); }

private:
    void replace(int readCount, std::vector<GridRow> rows);
    Connection& connection() const;

    Connection& m_cnn;
    const BrowserDesign* m_design;
    int m_readCount = 0;
    std::vector<GridRow> m_rows;
    std::function<void()> m_rowsReplaced;
};

} // namespace zelk::history
