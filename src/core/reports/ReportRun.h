#pragma once

#include "core/data/UserPorts.h"
#include "core/shared/DataTable.h"

#include <QDate>

// The four fixed reports. Each build reads its rows, writes the report file (modRptUtil)
// and says what came of it; the report option window then shows the viewer.
namespace zelk::reports {

enum class BuildResult {
    Written,  // the report file is complete
    NoData,   // nothing to print: "No data" was shown and no file written
    Cancelled // Cancel was pressed: the build stopped, the partial file stays on disk
};

// What a build needs from its window: the progress display and the window's Cancel flag.
class ReportRun {
public:
    ReportRun(ProgressSink& progress, const bool& cancel)
        : m_progress(progress), m_cancel(cancel) {}

    // Before the first record: the number of records to print, the value 0.
    void start(int maximum);
    // After each record: one step on and a moment for the user interface (a click on
    // Cancel runs here). False when the build is to stop.
    bool step();
    // Shows "No data".
    void noData();

    // The figures of the report last written through this run, as data for export.
    DataTable& table() { return m_table; }

private:
    DataTable m_table;
    ProgressSink& m_progress;
    const bool& m_cancel;
    int m_value = 0;
};

BuildResult BuildTransactionList(const QDate& DateFrom, const QDate& DateTo, ReportRun& run);
BuildResult BuildTrialBalance(int Month, ReportRun& run);
BuildResult BuildIncomeStatement(int Month, ReportRun& run);
BuildResult BuildBalanceSheet(int Month, ReportRun& run);

} // namespace zelk::reports
