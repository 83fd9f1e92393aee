#include "ReportRun.h"
#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/modDBUtil.h"
#include "core/data/modUtils.h"
#include "core/periods/PeriodRun.h"
#include "modRptUtil.h"

namespace zelk::reports {

using namespace modRptUtil;

namespace {

// The header of one transaction of the list: a journal transaction, or the lines of the
// history that share a number, date, source and description.
struct ListedTransaction {
    bool closed;
    QString number;
    QDate date;
    QString source;
    QString description;
    bool posted;

    static ListedTransaction of(const RowSet& r) {
        return {r.boolean(QStringLiteral("Closed")),   r.text(QStringLiteral("TransactionNo")),
                r.date(QStringLiteral("DateStamp")),   r.text(QStringLiteral("Source")),
                r.text(QStringLiteral("Description")), r.boolean(QStringLiteral("Posted"))};
    }
    bool sameAs(const ListedTransaction& t) const {
        return closed == t.closed && periods::sameAccount(number, t.number) && date == t.date &&
               source == t.source && description == t.description;
    }
};

} // namespace

// Every transaction of a range of days: the journal's, posted or not, and the closed
// ones of the transaction history ("Closed"); its header, its lines split into debit
// and credit, and its own sums.
BuildResult BuildTransactionList(const QDate& DateFrom, const QDate& DateTo, ReportRun& run) {
    RowSet lines =
        run.connection().stream(modDBUtil::GetTransactionListLinesInRange(DateFrom, DateTo));
    if (lines.isEmpty()) {
        return BuildResult::NoData;
    }
    run.start(int(run.connection()
                      .execute(modDBUtil::GetTransactionListCountInRange(DateFrom, DateTo))
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

    while (!lines.eof()) {
        const ListedTransaction t = ListedTransaction::of(lines);
        const QString date = modUtils::SqlDate(t.date.toString(QStringLiteral("yyyy/MM/dd")));
        const QString status =
            t.closed ? QStringLiteral("Closed") : modUtils::SqlBool(modUtils::BoolText(t.posted));
        file.setRowContext({textCell(t.number), dateCell(t.date), textCell(t.source),
                            textCell(t.closed   ? QStringLiteral("Closed")
                                     : t.posted ? QStringLiteral("Yes")
                                                : QStringLiteral("No")),
                            textCell(t.description)});

        WriteRule(file, false);
        WritePar(file);
        file.WriteLine(QStringLiteral("Transaction No.: ") + RtfText(t.number));
        WritePar(file);
        file.WriteLine(QStringLiteral("Date           : ") + date);
        WritePar(file);
        file.WriteLine(QStringLiteral("Source         : ") + RtfText(t.source));
        WritePar(file);
        file.WriteLine(QStringLiteral("Status         : ") + status);
        WritePar(file);
        file.WriteLine(QStringLiteral("Description    : ") + RtfText(t.description));
        WritePar(file);
        WriteRule(file, false);
        WritePar(file);
        file.WriteLine(ColumnHeader);
        WritePar(file);
        WriteRule(file, false);
        WritePar(file);

        Amount debits, credits;
        for (; !lines.eof() && ListedTransaction::of(lines).sameAs(t); lines.moveNext()) {
            if (lines.isNull(QStringLiteral("AccountNo")))
                continue; // a transaction without lines
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
