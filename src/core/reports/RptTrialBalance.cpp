#include "ReportRun.h"
#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/modDBUtil.h"
#include "modRptUtil.h"

namespace zelk::reports {

using namespace modRptUtil;

// Every account's posted debit and credit totals of one month, with the sums of both.
BuildResult BuildTrialBalance(int Month, ReportRun& run) {
    const CompanyRow company = CompanyRow::read(run.connection());
    const int period = fiscal::periodOfMonth(company.FinancialPeriodBegin, Month);
    RowSet rs = run.connection().openRowSet(
        modDBUtil::GetGeneralOfPeriod(company.CurrentPeriodYear, period));
    if (rs.isEmpty()) {
        return BuildResult::NoData;
    }
    run.start(rs.recordCount());

    ReportFile file(ReportFilePath(), run.tableRows());
    file.setDataHeader({QStringLiteral("AccountNo"), QStringLiteral("AccountName"),
                        QStringLiteral("Debit"), QStringLiteral("Credit")});
    WriteReportOpening(file, company, QStringLiteral("Trial Balance"));
    WritePeriodLine(file, period, Month, company.CurrentPeriodYear, company.FinancialPeriodBegin);
    WriteRule(file, false);
    WritePar(file);
    file.WriteLine(ColumnHeader);
    WritePar(file);
    WriteRule(file, false);
    WritePar(file);

    Amount debits, credits;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        const Amount debit = rs.amount(QStringLiteral("Debit"));
        const Amount credit = rs.amount(QStringLiteral("Credit"));
        WriteAccountRow(file, rs.text(QStringLiteral("AccountNo")),
                        rs.text(QStringLiteral("AccountName")), debit, credit);
        debits += debit;
        credits += credit;
        if (!run.step())
            return BuildResult::Cancelled;
    }

    WriteDebitCreditTotals(file, debits, credits);
    WriteRtfFooter(file);
    file.Close();
    return BuildResult::Written;
}

} // namespace zelk::reports
