#include "TableExport.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QSaveFile>
#include <csv.h>
#include <xlsxwriter.h>

namespace zelk::exchange {

QString MoneyText(Amount a) {
    const std::int64_t raw = a.raw();
    // The magnitude as an unsigned number, so that the smallest value has one too.
    const std::uint64_t mag = raw < 0 ? std::uint64_t(0) - std::uint64_t(raw) : std::uint64_t(raw);
    QString decimals = QStringLiteral("%1").arg(mag % 10000, 4, 10, QLatin1Char('0'));
    while (decimals.size() > 2 && decimals.endsWith(QLatin1Char('0')))
        decimals.chop(1);
    return (raw < 0 ? QStringLiteral("-") : QString()) + QString::number(mag / 10000) +
           QLatin1Char('.') + decimals;
}

QString DefusedText(const QString& text) {
    if (text.isEmpty())
        return text;
    const QChar c = text.front();
    // A leading apostrophe of the text itself is doubled, so that RestoredText gives the
    // text back exactly.
    bool formula = c == u'=' || c == u'@' || c == u'\t' || c == u'\r' || c == u'\'';
    if (c == u'+' || c == u'-')
        formula = !Amount::parse(text.mid(1)).has_value() || text.size() == 1;
    return formula ? QStringLiteral("'") + text : text;
}

QString RestoredText(const QString& text) {
    if (text.size() < 2 || text.front() != u'\'')
        return text;
    const QString rest = text.mid(1);
    return DefusedText(rest) == text ? rest : text;
}

namespace {

QString cellText(const Cell& c) {
    switch (c.kind) {
    case Cell::Money:
        return MoneyText(c.amount);
    case Cell::Date:
        return c.date.isValid() ? c.date.toString(Qt::ISODate) : QString();
    case Cell::Text:
        break;
    }
    return DefusedText(c.text);
}

void appendField(QByteArray& out, const QString& value) {
    const QByteArray raw = value.toUtf8();
    // csv_write quotes every field and doubles the quotes inside it: at most 2n + 2 bytes.
    QByteArray quoted(raw.size() * 2 + 2, '\0');
    const size_t n =
        csv_write(quoted.data(), size_t(quoted.size()), raw.constData(), size_t(raw.size()));
    out.append(quoted.constData(), qsizetype(n));
}

void appendRow(QByteArray& out, const QStringList& values) {
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            out.append(',');
        appendField(out, values[i]);
    }
    out.append("\r\n");
}

void saveBytes(const QByteArray& bytes, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw ExportError(QStringLiteral("The file ") + path +
                          QStringLiteral(" could not be written: ") + file.errorString());
}

} // namespace

QByteArray CsvBytes(const DataTable& table) {
    QByteArray out("\xEF\xBB\xBF");
    QStringList header;
    for (const QString& h : table.header)
        header << DefusedText(h);
    appendRow(out, header);
    for (const TableRow& row : table.rows) {
        QStringList values;
        for (const Cell& c : row.cells)
            values << cellText(c);
        appendRow(out, values);
    }
    return out;
}

void WriteCsv(const DataTable& table, const QString& path) {
    saveBytes(CsvBytes(table), path);
}

void WriteXlsx(const DataTable& table, const QString& path) {
    const QByteArray file = QFile::encodeName(path);
    lxw_workbook* book = workbook_new(file.constData());
    if (!book)
        throw ExportError(QStringLiteral("The file ") + path +
                          QStringLiteral(" could not be written."));
    // Sheet names are at most 31 characters and exclude []:*?/\ .
    QString name = table.title.isEmpty() ? QStringLiteral("Sheet1") : table.title;
    for (QChar& ch : name)
        if (QStringLiteral("[]:*?/\\").contains(ch))
            ch = u' ';
    const QByteArray sheetName = name.left(31).toUtf8();
    lxw_worksheet* sheet = workbook_add_worksheet(book, sheetName.constData());
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format* money = workbook_add_format(book);
    format_set_num_format(money, "#,##0.00");
    lxw_format* boldMoney = workbook_add_format(book);
    format_set_num_format(boldMoney, "#,##0.00");
    format_set_bold(boldMoney);
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format* boldDate = workbook_add_format(book);
    format_set_num_format(boldDate, "yyyy-mm-dd");
    format_set_bold(boldDate);

    for (qsizetype c = 0; c < table.header.size(); ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), table.header[c].toUtf8().constData(), bold);
    lxw_row_t r = 1;
    for (const TableRow& row : table.rows) {
        for (size_t c = 0; c < row.cells.size(); ++c) {
            const Cell& cell = row.cells[c];
            switch (cell.kind) {
            case Cell::Money:
                // A workbook keeps numbers as doubles; exact for every amount below 9e11.
                worksheet_write_number(sheet, r, lxw_col_t(c), double(cell.amount.raw()) / 10000.0,
                                       row.total ? boldMoney : money);
                break;
            case Cell::Date:
                if (cell.date.isValid()) {
                    lxw_datetime dt{};
                    dt.year = cell.date.year();
                    dt.month = cell.date.month();
                    dt.day = cell.date.day();
                    worksheet_write_datetime(sheet, r, lxw_col_t(c), &dt,
                                             row.total ? boldDate : date);
                }
                break;
            case Cell::Text:
                // A string cell is never run as a formula.
                worksheet_write_string(sheet, r, lxw_col_t(c), cell.text.toUtf8().constData(),
                                       row.total ? bold : nullptr);
                break;
            }
        }
        ++r;
    }
    const lxw_error rc = workbook_close(book);
    if (rc != LXW_NO_ERROR)
        throw ExportError(QStringLiteral("The file ") + path +
                          QStringLiteral(" could not be written: ") +
                          QString::fromUtf8(lxw_strerror(rc)));
}

DataTable TableOfModel(const QAbstractItemModel& model, const QString& title) {
    DataTable t;
    t.title = title;
    const int columns = model.columnCount();
    for (int c = 0; c < columns; ++c)
        t.header << model.headerData(c, Qt::Horizontal).toString();
    for (int r = 0; r < model.rowCount(); ++r) {
        TableRow row;
        row.total = model.data(model.index(r, 0), TotalRowRole).toBool();
        for (int c = 0; c < columns; ++c) {
            const QModelIndex index = model.index(r, c);
            const QString shown = model.data(index).toString();
            const QVariant value =
                shown.isEmpty() ? QVariant() : model.data(index, ExportValueRole);
            if (value.metaType() == QMetaType::fromType<QDate>())
                row.cells.push_back(dateCell(value.toDate()));
            else if (value.metaType() == QMetaType::fromType<Amount>())
                row.cells.push_back(moneyCell(value.value<Amount>()));
            else
                row.cells.push_back(textCell(shown));
        }
        t.rows.push_back(std::move(row));
    }
    return t;
}

void WriteTable(const DataTable& table, const QString& path) {
    if (path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        WriteXlsx(table, path);
    else
        WriteCsv(table, path);
}

} // namespace zelk::exchange
