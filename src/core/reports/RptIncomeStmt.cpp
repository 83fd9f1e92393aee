#include "MonthFigures.h"
#include "ReportRun.h"
#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/modDBUtil.h"
#include "modRptUtil.h"

#include <algorithm>

namespace zelk::reports {

using namespace modRptUtil;

namespace {

// The heading of a section: bold at 10 points, then back to 9, and a rule. The rows
// below it carry the section's name as data.
void writeSectionHeading(ReportFile& file, const QString& heading) {
    file.setRowContext({textCell(heading)});
    file.WriteLine(RtfFontSize(10, QString()));
    file.WriteLine(RtfBold(heading));
    file.WriteLine(RtfFontSize(9, QString()));
    WritePar(file);
    WriteRule(file, false);
    WritePar(file);
}

} // namespace

// The month's figures of the revenue and expense accounts, their sums, and the result.
// A month not yet ended shows what is posted in it (MonthFigures).
BuildResult BuildIncomeStatement(int Month, ReportRun& run) {
    const CompanyRow company = CompanyRow::read(run.connection());
    const int period = fiscal::periodOfMonth(company.FinancialPeriodBegin, Month);
    RowSet revenues = run.connection().openRowSet(
        modDBUtil::GetRevenueBalancesOfPeriod(company.CurrentPeriodYear, period));
    RowSet expenses = run.connection().openRowSet(
        modDBUtil::GetExpenseBalancesOfPeriod(company.CurrentPeriodYear, period));
    if (revenues.isEmpty() && expenses.isEmpty()) {
        return BuildResult::NoData;
    }
    run.start(revenues.recordCount() + expenses.recordCount());
    const MonthFigures figures(run.connection(), company.CurrentPeriodYear,
                               company.FinancialPeriodBegin, period, period);
    auto figure = [&](const RowSet& rs) {
        return figures.figure(rs.text(QStringLiteral("AccountNo")), period,
                              rs.amount(QStringLiteral("Saldo")));
    };

    ReportFile file(ReportFilePath(), run.tableRows());
    file.setDataHeader({QStringLiteral("Section"), QStringLiteral("AccountNo"),
                        QStringLiteral("AccountName"), QStringLiteral("Amount")});
    WriteReportOpening(file, company, QStringLiteral("Income Statement"));
    WritePeriodLine(file, period, Month, company.CurrentPeriodYear, company.FinancialPeriodBegin);
    WriteNotClosedLine(file, figures.notEnded());
    WriteRule(file, false);
    WritePar(file);

    // Revenues are credits, stored negative: they print negated.
    writeSectionHeading(file, QStringLiteral("Revenues"));
    Amount revenueSum;
    for (revenues.moveFirst(); !revenues.eof(); revenues.moveNext()) {
        const Amount saldo = figure(revenues);
        WriteStatementRow(file, revenues.text(QStringLiteral("AccountNo")),
                          revenues.text(QStringLiteral("AccountName")), Amount() - saldo);
        revenueSum -= saldo;
        if (!run.step())
            return BuildResult::Cancelled;
    }
    WriteSectionTotal(file, QStringLiteral("Revenues  : "), revenueSum);

    writeSectionHeading(file, QStringLiteral("Expenses"));
    Amount expenseSum;
    for (expenses.moveFirst(); !expenses.eof(); expenses.moveNext()) {
        const Amount saldo = figure(expenses);
        WriteStatementRow(file, expenses.text(QStringLiteral("AccountNo")),
                          expenses.text(QStringLiteral("AccountName")), saldo);
        expenseSum += saldo;
        if (!run.step())
            return BuildResult::Cancelled;
    }
    WriteSectionTotal(file, QStringLiteral("Expenses  : "), expenseSum);
    WriteRule(file, false);
    WritePar(file);

    // The result is revenues minus expenses as printed above; a loss in parentheses.
    const QString r = revenueSum.formatStandard();
    const QString e = expenseSum.formatStandard();
    const QString n = (revenueSum - expenseSum).formatAccounting();
    const int width = int(std::max<qsizetype>({r.size(), e.size(), 0})) + 10;
    file.WriteLine(RtfFontSize(10, RtfBold(QStringLiteral("Revenue-Expenses: "))));
    WritePar(file);
    file.WriteLine(RtfFontSize(9, QString()));
    WriteRule(file, false);
    WritePar(file);
    for (const QString& line : {r, e, QString(width, QLatin1Char('-')), n}) {
        file.WriteLine(PadLeft(line, width));
        WritePar(file);
    }
    WriteRule(file, false);
    WritePar(file);
    file.setRowContext({textCell(QStringLiteral("Result"))});
    file.addDataRow({textCell(QString()), textCell(QStringLiteral("Revenue-Expenses")),
                     moneyCell(revenueSum - expenseSum)},
                    true);

    WriteRtfFooter(file);
    file.Close();
    return BuildResult::Written;
}

} // namespace zelk::reports
