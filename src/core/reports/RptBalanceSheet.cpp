#include "MonthFigures.h"
#include "ReportRun.h"
#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/modDBUtil.h"
#include "modRptUtil.h"

#include <vector>

namespace zelk::reports {

using namespace modRptUtil;

namespace {

// The balance of a balance row at the end of period p: the beginning balance of the
// year and the month figures up to p.
Amount balanceToPeriod(const RowSet& r, int period, const MonthFigures& figures) {
    const QString account = r.text(QStringLiteral("AccountNo"));
    std::vector<Amount> terms{r.amount(QStringLiteral("BeginningBalance"))};
    for (int i = 1; i <= period; ++i)
        terms.push_back(figures.figure(account, i, r.amount(QStringLiteral("Saldo%1").arg(i))));
    return Amount::sum(terms);
}

void writeHeading(ReportFile& file, const char* heading) {
    file.setRowContext({textCell(QLatin1String(heading))});
    file.WriteLine(RtfFontSize(10, QString()));
    file.WriteLine(RtfBold(QLatin1String(heading)));
    file.WriteLine(RtfFontSize(9, QString()));
    WritePar(file);
    WriteRule(file, false);
    WritePar(file);
}

} // namespace

// The balance of every asset, equity and liability account at the end of one month:
// the beginning balance of the year plus the month figures up to that month. The
// earning accounts and the result of the year not yet closed into them (the revenues
// and expenses to date) are equities, so that the assets equal the liabilities and
// equities of balanced books. Months not yet ended count what is posted in them
// (MonthFigures).
BuildResult BuildBalanceSheet(int Month, ReportRun& run) {
    const CompanyRow company = CompanyRow::read(run.connection());
    const int year = company.CurrentPeriodYear;
    const int period = fiscal::periodOfMonth(company.FinancialPeriodBegin, Month);
    RowSet assets = run.connection().openRowSet(modDBUtil::GetAssetBalancesToPeriod(year, period));
    RowSet equities =
        run.connection().openRowSet(modDBUtil::GetEquityBalancesToPeriod(year, period));
    RowSet earnings =
        run.connection().openRowSet(modDBUtil::GetEarningBalancesToPeriod(year, period));
    RowSet liabilities =
        run.connection().openRowSet(modDBUtil::GetLiabilityBalancesToPeriod(year, period));
    RowSet revenues =
        run.connection().openRowSet(modDBUtil::GetRevenueBalancesToPeriod(year, period));
    RowSet expenses =
        run.connection().openRowSet(modDBUtil::GetExpenseBalancesToPeriod(year, period));
    const int records = assets.recordCount() + equities.recordCount() + earnings.recordCount() +
                        liabilities.recordCount();
    if (records + revenues.recordCount() + expenses.recordCount() == 0) {
        return BuildResult::NoData;
    }
    run.start(records);
    const MonthFigures figures(run.connection(), year, company.FinancialPeriodBegin, 1, period);

    std::vector<Amount> results; // the year's result: revenues and expenses, negated
    for (RowSet* rs : {&revenues, &expenses})
        for (rs->moveFirst(); !rs->eof(); rs->moveNext())
            results.push_back(-balanceToPeriod(*rs, period, figures));
    const Amount result = Amount::sum(results);

    ReportFile file(ReportFilePath(), run.tableRows());
    file.setDataHeader({QStringLiteral("Section"), QStringLiteral("AccountNo"),
                        QStringLiteral("AccountName"), QStringLiteral("Balance")});
    WriteReportOpening(file, company, QStringLiteral("Balance Sheet"));
    WritePeriodLine(file, period, Month, year, company.FinancialPeriodBegin);
    WriteNotClosedLine(file, figures.notEnded());
    WriteRule(file, false);
    WritePar(file);

    // Writes the rows of a section, credit balances (stored negative) printed positive
    // where `negated`, adding each printed figure to `printed`; false when cancelled.
    auto writeRows = [&](RowSet& rs, bool negated, std::vector<Amount>& printed) {
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            const Amount balance = balanceToPeriod(rs, period, figures);
            const Amount shown = negated ? -balance : balance;
            printed.push_back(shown);
            WriteStatementRow(file, rs.text(QStringLiteral("AccountNo")),
                              rs.text(QStringLiteral("AccountName")), shown);
            if (!run.step())
                return false;
        }
        return true;
    };

    std::vector<Amount> assetFigures, equityFigures, liabilityFigures;
    writeHeading(file, "Assets");
    if (!writeRows(assets, false, assetFigures))
        return BuildResult::Cancelled;
    WriteSectionTotal(file, QStringLiteral("Assets       : "), Amount::sum(assetFigures));

    writeHeading(file, "Equities");
    if (!writeRows(equities, true, equityFigures) || !writeRows(earnings, true, equityFigures))
        return BuildResult::Cancelled;
    WriteStatementRow(file, QString(), QStringLiteral("Result of the year"), result);
    equityFigures.push_back(result);
    const Amount equitySum = Amount::sum(equityFigures);
    WriteSectionTotal(file, QStringLiteral("Equities     : "), equitySum);

    writeHeading(file, "Liabilities");
    if (!writeRows(liabilities, true, liabilityFigures))
        return BuildResult::Cancelled;
    const Amount liabilitySum = Amount::sum(liabilityFigures);
    WriteSectionTotal(file, QStringLiteral("Liabilities  : "), liabilitySum);
    const Amount both = Amount::sum(std::vector<Amount>{liabilitySum, equitySum});
    file.WriteLine(
        RtfItalic(QStringLiteral("Liabilities and equities : ") + both.formatStandard()));
    WritePar(file);
    file.addDataRow({textCell(QString()), textCell(QStringLiteral("Liabilities and equities")),
                     moneyCell(both)},
                    true);
    WriteRule(file, false);
    WritePar(file);

    WriteRtfFooter(file);
    file.Close();
    return BuildResult::Written;
}

} // namespace zelk::reports
