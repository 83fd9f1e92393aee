#pragma once

#include "core/data/Connection.h"
#include "core/data/UserPorts.h"
#include "core/shared/DataTable.h"

#include <QDate>

// The four fixed reports. Each build reads its rows over the run's connection, writes the
// report file (modRptUtil) and says what came of it; the caller then shows the viewer, or
// "No data" (NoDataMessage) when there was nothing to print.
namespace zelk::reports {

enum class BuildResult {
    Written,  // the report file is complete
    NoData,   // nothing to print: no file written
    Cancelled // Cancel was pressed: the build stopped, the partial file stays on disk
};

// What a build needs from its caller: the books, the progress display and the caller's
// Cancel flag.
class ReportRun {
public:
    ReportRun(Connection& cnn, ProgressSink& progress, const bool& cancel)
        : m_cnn(cnn), m_progress(progress), m_cancel(cancel) {}

    Connection& connection() { return m_cnn; }

    // Before the first record: the number of records to print, the value 0.
    void start(int maximum);
    // After each record: one step on and a moment for the user interface (a click on
    // Cancel runs here). False when the build is to stop.
    bool step();

    // The figures of the report last written through this run, as data for export: kept
    // in table(), or handed to `rows` as they come when it is set.
    DataTable& table() { return m_table; }
    void streamTableTo(TableRows* rows) { m_rows = rows; }
    TableRows* tableRows() { return m_rows ? m_rows : &m_collector; }

private:
    DataTable m_table;
    TableCollector m_collector{m_table};
    TableRows* m_rows = nullptr;
    Connection& m_cnn;
    ProgressSink& m_progress;
    const bool& m_cancel;
    int m_value = 0;
};

// What the caller tells the user when a build had nothing to print.
inline const QString NoDataMessage = QStringLiteral("No data");

BuildResult BuildTransactionList(const QDate& DateFrom, const QDate& DateTo, ReportRun& run);
BuildResult BuildTrialBalance(int Month, ReportRun& run);
BuildResult BuildIncomeStatement(int Month, ReportRun& run);
BuildResult BuildBalanceSheet(int Month, ReportRun& run);

} // namespace zelk::reports
