#include "ReportRun.h"
#include "data/Connection.h"
#include "data/FiscalCalendar.h"
#include "data/modDBUtil.h"
#include "modRptUtil.h"

#include <array>

namespace zelk::reports {

using namespace modRptUtil;

namespace {

struct Section {
    const char* heading;
    const char* totalLabel;
    bool negated; // credit balances (stored negative) print positive
    RowSet rows;
};

} // namespace

// The balance of every asset, equity and liability account at the end of one month:
// the beginning balance of the year plus the month figures up to that month.
BuildResult BuildBalanceSheet(int Month, ReportRun& run) {
    const CompanyRow company = CompanyRow::read(*g_cnn);
    const int year = company.CurrentPeriodYear;
    const int period = fiscal::periodOfMonth(company.FinancialPeriodBegin, Month);
    std::array<Section, 3> sections = {
        Section{"Assets", "Assets       : ", false,
                g_cnn->openRowSet(modDBUtil::GetAssetBalancesToPeriod(year, period))},
        Section{"Equities", "Equities     : ", true,
                g_cnn->openRowSet(modDBUtil::GetEquityBalancesToPeriod(year, period))},
        Section{"Liabilities", "Liabilities  : ", true,
                g_cnn->openRowSet(modDBUtil::GetLiabilityBalancesToPeriod(year, period))}};
    int records = 0;
    for (const Section& s : sections)
        records += s.rows.recordCount();
    if (records == 0) {
        run.noData();
        return BuildResult::NoData;
    }
    run.start(records);

    ReportFile file(ReportFilePath(), &run.table());
    file.setDataHeader({QStringLiteral("Section"), QStringLiteral("AccountNo"),
                        QStringLiteral("AccountName"), QStringLiteral("Balance")});
    WriteReportOpening(file, QStringLiteral("Balance Sheet"));
    WritePeriodLine(file, period, Month, year, company.FinancialPeriodBegin);
    WriteRule(file, false);
    WritePar(file);

    for (Section& s : sections) {
        file.setRowContext({exchange::textCell(QLatin1String(s.heading))});
        file.WriteLine(RtfFontSize(10, QString()));
        file.WriteLine(RtfBold(QLatin1String(s.heading)));
        file.WriteLine(RtfFontSize(9, QString()));
        WritePar(file);
        WriteRule(file, false);
        WritePar(file);

        Amount sum;
        for (s.rows.moveFirst(); !s.rows.eof(); s.rows.moveNext()) {
            const RowSet& r = s.rows;
            Amount balance;
            if (s.negated) {
                for (int i = 1; i <= period; ++i)
                    balance -= r.amount(QStringLiteral("Saldo%1").arg(i));
                balance -= r.amount(QStringLiteral("BeginningBalance"));
            } else {
                balance = r.amount(QStringLiteral("BeginningBalance"));
                for (int i = 1; i <= period; ++i)
                    balance += r.amount(QStringLiteral("Saldo%1").arg(i));
            }
            sum += balance;
            WriteStatementRow(file, r.text(QStringLiteral("AccountNo")),
                              r.text(QStringLiteral("AccountName")), balance);
            if (!run.step())
                return BuildResult::Cancelled;
        }

        WriteSectionTotal(file, QLatin1String(s.totalLabel), sum);
    }

    WriteRtfFooter(file);
    file.Close();
    return BuildResult::Written;
}

} // namespace zelk::reports
