#include "ReportRun.h"
#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/modDBUtil.h"
#include "core/data/modUtils.h"
#include "modRptUtil.h"

namespace zelk::reports {

using namespace modRptUtil;

// Every journal transaction of a range of days, posted or not: its header, its lines
// split into debit and credit, and its own sums.
BuildResult BuildTransactionList(const QDate& DateFrom, const QDate& DateTo, ReportRun& run) {
    RowSet trxs = run.connection().stream(modDBUtil::GetTransactionsInRange(DateFrom, DateTo));
    if (trxs.isEmpty()) {
        return BuildResult::NoData;
    }
    run.start(int(run.connection()
                      .execute(modDBUtil::GetTransactionCountInRange(DateFrom, DateTo))
                      .integer(QStringLiteral("TransactionCount"))));

    ReportFile file(ReportFilePath(), run.tableRows());
    file.setDataHeader(
        {QStringLiteral("TransactionNo"), QStringLiteral("Date"), QStringLiteral("Source"),
         QStringLiteral("Posted"), QStringLiteral("Description"), QStringLiteral("AccountNo"),
         QStringLiteral("AccountName"), QStringLiteral("Debit"), QStringLiteral("Credit")});
    WriteReportOpening(file, CompanyRow::read(run.connection()),
                       QStringLiteral("Transaction List"));
    file.WriteLine(RtfFontSize(9, QString()) + QStringLiteral("From date ") + MediumDate(DateFrom) +
                   QStringLiteral(" to ") + MediumDate(DateTo));
    WritePar(file);

    for (trxs.moveFirst(); !trxs.eof(); trxs.moveNext()) {
        const QString number = trxs.text(QStringLiteral("TransactionNo"));
        const QString date = modUtils::SqlDate(
            trxs.date(QStringLiteral("DateStamp")).toString(QStringLiteral("yyyy/MM/dd")));
        const bool posted = trxs.boolean(QStringLiteral("Posted"));
        const QString status = modUtils::SqlBool(modUtils::BoolText(posted));
        file.setRowContext({textCell(number), dateCell(trxs.date(QStringLiteral("DateStamp"))),
                            textCell(trxs.text(QStringLiteral("Source"))),
                            textCell(posted ? QStringLiteral("Yes") : QStringLiteral("No")),
                            textCell(trxs.text(QStringLiteral("Description")))});

        WriteRule(file, false);
        WritePar(file);
        file.WriteLine(QStringLiteral("Transaction No.: ") + RtfText(number));
        WritePar(file);
        file.WriteLine(QStringLiteral("Date           : ") + date);
        WritePar(file);
        file.WriteLine(QStringLiteral("Source         : ") +
                       RtfText(trxs.text(QStringLiteral("Source"))));
        WritePar(file);
        file.WriteLine(QStringLiteral("Status         : ") + status);
        WritePar(file);
        file.WriteLine(QStringLiteral("Description    : ") +
                       RtfText(trxs.text(QStringLiteral("Description"))));
        WritePar(file);
        WriteRule(file, false);
        WritePar(file);
        file.WriteLine(ColumnHeader);
        WritePar(file);
        WriteRule(file, false);
        WritePar(file);

        Amount debits, credits;
        RowSet lines = run.connection().execute(modDBUtil::GetTransactionDetails(number));
        for (lines.moveFirst(); !lines.eof(); lines.moveNext()) {
            const Amount amount = lines.amount(QStringLiteral("Amount"));
            Amount debit, credit;
            if (amount > Amount()) {
                debit = amount;
                debits += amount;
            } else {
                credit = amount.abs();
                credits += credit;
            }
            WriteAccountRow(file, lines.text(QStringLiteral("AccountNo")),
                            lines.text(QStringLiteral("AccountName")), debit, credit);
        }

        WriteDebitCreditTotals(file, debits, credits);
        if (!run.step())
            return BuildResult::Cancelled;
    }

    WriteRtfFooter(file);
    file.Close();
    return BuildResult::Written;
}

} // namespace zelk::reports
