#pragma once

#include "core/data/Amount.h"
#include "core/reports/ReportRun.h"

#include <QString>

// Printing a custom report definition for one month of the open fiscal year.
namespace zelk::custom_reports {

// Reads the definition and writes its report: balances at the end of the month
// (Cumulative) or the month's movement (Monthly). "No data" when the definition or its
// rows are missing. Once begun, a report is always written to the end.
reports::BuildResult BuildCustomReport(const QString& name, int month, reports::ReportRun& run);
reports::BuildResult BuildCumulativeReport(const QString& name, int month, reports::ReportRun& run);
reports::BuildResult BuildMonthlyReport(const QString& name, int month, reports::ReportRun& run);

// A Detail or Total row: the name cut into pieces of 59 characters, a blank, the amount
// right-aligned in 20; the lines escaped and ready to write.
QStringList RowBlock(const QString& rowName, zelk::Amount amount);
// 60 blanks and 20 "-": the line that underlines the amounts before every Total.
QString DashLine();

} // namespace zelk::custom_reports
