#include "CustomReportPrint.h"

#include "CustomReportSums.h"
#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/modDBUtil.h"
#include "core/reports/MonthFigures.h"
#include "core/reports/modRptUtil.h"

namespace zelk::custom_reports {

using namespace modRptUtil;
using reports::BuildResult;

namespace {

void writeBlock(ReportFile& file, const QStringList& lines, bool italic) {
    for (const QString& line : lines) {
        file.WriteLine(italic ? RtfItalic(line) : line);
        WritePar(file);
    }
}

// The report of either type: the rows in order, each Detail's amount read for the
// month, each Total closing its group.
BuildResult buildRows(const QString& name, int month, int type, reports::ReportRun& run) {
    const CompanyRow company = CompanyRow::read(run.connection());
    const int year = company.CurrentPeriodYear;
    const int period = fiscal::periodOfMonth(company.FinancialPeriodBegin, month);
    RowSet report = run.connection().openRowSet(modDBUtil::GetCustomReport(name));
    RowSet rows = run.connection().openRowSet(modDBUtil::GetCustomReportDetails(name));
    if (report.isEmpty() || rows.isEmpty()) {
        return BuildResult::NoData;
    }

    // Balances to date read every month up to the chosen one; movements that month alone.
    const reports::MonthFigures figures(run.connection(), year, company.FinancialPeriodBegin,
                                        type == Cumulative ? 1 : period, period);

    ReportFile file(ReportFilePath(), run.tableRows());
    file.setDataHeader(
        {QStringLiteral("Section"), QStringLiteral("RowName"), QStringLiteral("Amount")});
    WriteReportOpening(file, company, report.text(QStringLiteral("Title")));
    WritePeriodLine(file, period, month, year, company.FinancialPeriodBegin);
    WriteNotClosedLine(file, figures.notEnded());
    WriteRule(file, false);
    WritePar(file);

    GroupSums sums;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        const QString rowType = rows.text(QStringLiteral("RowType"));
        const QString rowName = rows.text(QStringLiteral("RowName"));
        if (rowType == QLatin1String("Detail")) {
            const Amount amount = detailAmount(run.connection(), figures, type, year, period,
                                               rows.text(QStringLiteral("AccountStart")),
                                               rows.text(QStringLiteral("AccountEnd")));
            writeBlock(file, RowBlock(rowName, amount), false);
            file.addDataRow({textCell(rowName), moneyCell(amount)});
            sums.detail(amount);
        } else if (rowType == QLatin1String("Heading")) {
            sums.heading();
            file.setRowContext({textCell(rowName)});
            file.WriteLine(RtfFontSize(10, QString()));
            file.WriteLine(RtfBold(RtfText(rowName)));
            file.WriteLine(RtfFontSize(9, QString()));
            WritePar(file);
            WriteRule(file, false);
            WritePar(file);
        } else if (rowType == QLatin1String("Total")) {
            file.WriteLine(DashLine());
            WritePar(file);
            const Amount total = sums.total();
            writeBlock(file, RowBlock(rowName, total), true);
            file.addDataRow({textCell(rowName), moneyCell(total)}, true);
        }
    }
    WriteRtfFooter(file);
    file.Close();
    return BuildResult::Written;
}

} // namespace

QStringList RowBlock(const QString& rowName, Amount amount) {
    return ColumnRowLines({TextCell(rowName, 59), AmountCell(amount, 20)}, QStringLiteral(" "));
}

QString DashLine() {
    return QString(60, QLatin1Char(' ')) + QString(20, QLatin1Char('-'));
}

BuildResult BuildCumulativeReport(const QString& name, int month, reports::ReportRun& run) {
    return buildRows(name, month, Cumulative, run);
}

BuildResult BuildMonthlyReport(const QString& name, int month, reports::ReportRun& run) {
    return buildRows(name, month, Monthly, run);
}

BuildResult BuildCustomReport(const QString& name, int month, reports::ReportRun& run) {
    RowSet report = run.connection().openRowSet(modDBUtil::GetCustomReport(name));
    if (report.isEmpty()) {
        return BuildResult::NoData;
    }
    switch (report.integer(QStringLiteral("ReportTypeID"))) {
    case Cumulative:
        return BuildCumulativeReport(name, month, run);
    case Monthly:
        return BuildMonthlyReport(name, month, run);
    default:
        // The database admits no other type; should one appear, nothing is written.
        return BuildResult::Cancelled;
    }
}

} // namespace zelk::custom_reports
