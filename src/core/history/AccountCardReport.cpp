#include "AccountCardReport.h"

#include "core/data/FiscalCalendar.h"
#include "core/reports/modRptUtil.h"

namespace zelk::history {

using namespace modRptUtil;

namespace {

// Date 8 ("dd/MM/yy", the report's own), Trx No. 9, Description 21, Debit 12, Credit 12,
// Balance 13, joined by blanks.
std::vector<RowCell> cardCells(const GridRow& row) {
    const QStringList& texts = row.cells;
    const std::vector<Amount>& amounts = row.sums;
    const auto money = [&](int column, int width) {
        // An empty cell stays empty, as in the grid; a shown zero balance prints 0.00.
        return texts.value(column).isEmpty() ? TextCell(QString(), width)
                                             : AmountCell(amounts[size_t(column)], width);
    };
    return {
        TextCell(row.date.isValid() ? row.date.toString(QStringLiteral("dd/MM/yy")) : QString(), 8),
        TextCell(texts.value(1), 9),
        TextCell(texts.value(3), 21),
        money(5, 12),
        money(6, 12),
        money(7, 13)};
}

} // namespace

void WriteAccountCardReport(Connection& cnn, const std::vector<GridRow>& rows,
                            const QString& account, const QDate& from, const QDate& to) {
    ReportFile file(ReportFilePath());
    WriteReportOpening(file, CompanyRow::read(cnn), QStringLiteral("Account Card"));
    file.WriteLine(RtfFontSize(9, QString()) + QStringLiteral("Account: ") + RtfText(account));
    WritePar(file);
    file.WriteLine(QStringLiteral("From date ") + MediumDate(from) + QStringLiteral(" to ") +
                   MediumDate(to));
    WritePar(file);
    WriteRule(file, false);
    WritePar(file);
    file.WriteLine(
        ColumnRowLines({TextCell(QStringLiteral("Date"), 8), TextCell(QStringLiteral("Trx No."), 9),
                        TextCell(QStringLiteral("Description"), 21),
                        TextCell(QStringLiteral("       Debit"), 12),
                        TextCell(QStringLiteral("      Credit"), 12),
                        TextCell(QStringLiteral("      Balance"), 13)},
                       QStringLiteral(" "))
            .first());
    WritePar(file);
    WriteRule(file, false);
    WritePar(file);
    for (const GridRow& row : rows) {
        if (row.kind == RowKind::GrandTotal) {
            WriteRule(file, false);
            WritePar(file);
        }
        const QStringList lines = ColumnRowLines(cardCells(row), QStringLiteral(" "));
        for (const QString& line : lines) {
            file.WriteLine(row.kind == RowKind::Data ? line : RtfBold(line));
            WritePar(file);
        }
    }
    WriteRule(file, false);
    WritePar(file);
    WriteRtfFooter(file);
    file.Close();
}

} // namespace zelk::history
