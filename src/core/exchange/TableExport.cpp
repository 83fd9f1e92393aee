#include "TableExport.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <csv.h>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
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

int s_sheetRows = 0;

// --- CSV ------------------------------------------------------------------------------

// One quoted field, the quotes inside doubled (csv_write: at most 2n + 2 bytes).
void appendField(QByteArray& out, QByteArrayView raw) {
    const qsizetype at = out.size();
    out.resize(at + raw.size() * 2 + 2);
    // An empty field is written as "" too (libcsv writes nothing for no text at all).
    const size_t n = csv_write(out.data() + at, size_t(raw.size()) * 2 + 2,
                               raw.data() ? raw.data() : "", size_t(raw.size()));
    out.resize(at + qsizetype(n));
}

// An amount as MoneyText writes it, without a detour through a text.
void appendMoney(std::string& out, Amount a) {
    const std::int64_t raw = a.raw();
    const std::uint64_t mag = raw < 0 ? std::uint64_t(0) - std::uint64_t(raw) : std::uint64_t(raw);
    char buf[32];
    char* p = buf + sizeof buf;
    std::uint64_t frac = mag % 10000;
    int decimals = 4;
    while (decimals > 2 && frac % 10 == 0) {
        frac /= 10;
        --decimals;
    }
    for (int i = 0; i < decimals; ++i, frac /= 10)
        *--p = char('0' + frac % 10);
    *--p = '.';
    std::uint64_t whole = mag / 10000;
    do {
        *--p = char('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    if (raw < 0)
        *--p = '-';
    out.assign(p, size_t(buf + sizeof buf - p));
}

// A text as UTF-8 into a buffer kept from field to field.
void assignUtf8(std::string& out, QStringView text) {
    out.clear();
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            const QByteArray utf8 = text.toUtf8();
            out.assign(utf8.constData(), size_t(utf8.size()));
            return;
        }
        out += char(c.unicode());
    }
}

// Formats rows as CSV lines, dates and amounts without a detour through texts.
class CsvLines {
public:
    void header(QByteArray& out, const QStringList& captions) {
        for (qsizetype i = 0; i < captions.size(); ++i) {
            if (i > 0)
                out.append(',');
            appendField(out, DefusedText(captions[i]).toUtf8());
        }
        out.append("\r\n");
    }
    void row(QByteArray& out, const std::vector<Cell>& cells) {
        for (size_t i = 0; i < cells.size(); ++i) {
            if (i > 0)
                out.append(',');
            const Cell& c = cells[i];
            switch (c.kind) {
            case Cell::Money:
                appendMoney(m_field, c.amount);
                break;
            case Cell::Date:
                if (c.date != m_date) { // the rows of a day follow each other
                    m_date = c.date;
                    assignUtf8(m_dateText,
                               c.date.isValid() ? c.date.toString(Qt::ISODate) : QString());
                }
                m_field = m_dateText;
                break;
            case Cell::Text:
                assignUtf8(m_field, DefusedText(c.text));
                break;
            }
            appendField(out, QByteArrayView(m_field.data(), qsizetype(m_field.size())));
        }
        out.append("\r\n");
    }

    // The same from the books' own texts: a text in ASCII that needs no apostrophe, and a
    // day written as a valid date, go out as they are; any other is made into its cell.
    void rawRow(QByteArray& out, const std::vector<RawCell>& cells) {
        for (size_t i = 0; i < cells.size(); ++i) {
            if (i > 0)
                out.append(',');
            const RawCell& c = cells[i];
            const QByteArrayView v = c.utf8;
            switch (c.kind) {
            case Cell::Money:
                appendMoney(m_field, c.amount);
                break;
            case Cell::Date:
                if (isIsoDay(v)) {
                    appendField(out, v);
                    continue;
                }
                assignUtf8(
                    m_field,
                    QDate::fromString(QString::fromLatin1(v), Qt::ISODate).toString(Qt::ISODate));
                break;
            case Cell::Text:
                if (asIs(v)) {
                    appendField(out, v);
                    continue;
                }
                assignUtf8(m_field, DefusedText(QString::fromUtf8(v)));
                break;
            }
            appendField(out, QByteArrayView(m_field.data(), qsizetype(m_field.size())));
        }
        out.append("\r\n");
    }

private:
    // ASCII that DefusedText leaves as it is: no first character that may start a formula.
    static bool asIs(QByteArrayView v) {
        if (!v.isEmpty() && std::strchr("=@\t\r'+-", v.front()))
            return false;
        return std::none_of(v.begin(), v.end(), [](char c) { return c & 0x80; });
    }
    static bool isIsoDay(QByteArrayView v) {
        if (v.size() != 10 || v[4] != '-' || v[7] != '-')
            return false;
        int n[3] = {0, 0, 0};
        for (const auto& [from, to, k] : {std::tuple{0, 4, 0}, {5, 7, 1}, {8, 10, 2}})
            for (int i = from; i < to; ++i) {
                if (v[i] < '0' || v[i] > '9')
                    return false;
                n[k] = n[k] * 10 + (v[i] - '0');
            }
        return QDate(n[0], n[1], n[2]).isValid() && n[0] >= 1000;
    }

    QDate m_date;
    std::string m_dateText, m_field;
};

class CsvRows : public TableRows {
public:
    CsvRows(const QString& path, const Connection* books) {
        if (!path.isEmpty())
            m_file = std::make_unique<OutputFile>(path, books);
        m_buffer.reserve(1 << 16);
    }
    void start(const QString&, const QStringList& header) override {
        m_buffer.append("\xEF\xBB\xBF");
        m_lines.header(m_buffer, header);
    }
    void row(const std::vector<Cell>& cells, bool) override {
        m_lines.row(m_buffer, cells);
        if (m_buffer.size() >= (1 << 16))
            put();
    }
    void rawRow(const std::vector<RawCell>& cells) override {
        m_lines.rawRow(m_buffer, cells);
        if (m_buffer.size() >= (1 << 16))
            put();
    }
    void finish() override {
        put();
        if (m_file) {
            m_file->commit();
        } else if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            throw ExportError(QStringLiteral("The output could not be written: %1.")
                                  .arg(QString::fromLocal8Bit(std::strerror(errno))));
        }
    }

private:
    void put() {
        if (m_file)
            m_file->write(m_buffer);
        else
            std::fwrite(m_buffer.constData(), 1, size_t(m_buffer.size()), stdout);
        m_buffer.resize(0);
    }
    std::unique_ptr<OutputFile> m_file;
    QByteArray m_buffer;
    CsvLines m_lines;
};

// --- workbook -------------------------------------------------------------------------

constexpr qsizetype CellCharacters = 32767;

// A sheet's name: at most 31 characters, without []:*?/\ and not framed by apostrophes;
// the second and further sheets of a table say which they are.
QByteArray sheetName(const QString& title, int sheet) {
    QString name = title.isEmpty() ? QStringLiteral("Sheet1") : title;
    for (QChar& ch : name)
        if (QStringLiteral("[]:*?/\\").contains(ch))
            ch = u' ';
    while (name.startsWith(u'\'') || name.endsWith(u'\''))
        name = name.startsWith(u'\'') ? name.mid(1) : name.chopped(1);
    const QString suffix = sheet > 1 ? QStringLiteral(" (%1)").arg(sheet) : QString();
    name = name.left(31 - suffix.size()).trimmed();
    return (name.isEmpty() ? QStringLiteral("Sheet") : name).append(suffix).toUtf8();
}

class XlsxRows : public TableRows {
public:
    XlsxRows(const QString& path, const Connection* books) : m_file(path, books) {
        m_tmpdir = QFile::encodeName(QFileInfo(path).absolutePath());
        m_target = QFile::encodeName(m_file.temporaryPath());
        // Each row goes to the disk as soon as the next one begins: the memory stays flat.
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = m_tmpdir.data();
        m_book = workbook_new_opt(m_target.constData(), &options);
        if (!m_book)
            throw ExportError(m_file.failure(QStringLiteral("the workbook cannot be created")));
        m_bold = format(true, nullptr);
        m_money = format(false, "#,##0.00");
        m_boldMoney = format(true, "#,##0.00");
        m_date = format(false, "yyyy-mm-dd");
        m_boldDate = format(true, "yyyy-mm-dd");
    }
    ~XlsxRows() override {
        if (m_book)
            lxw_workbook_free(m_book); // nothing written: the temporary file goes
    }
    void start(const QString& title, const QStringList& header) override {
        m_title = title;
        m_header = header;
        newSheet();
    }
    void row(const std::vector<Cell>& cells, bool total) override {
        ++m_line;
        if (m_row >= rowsPerSheet())
            newSheet();
        for (size_t c = 0; c < cells.size(); ++c) {
            const Cell& cell = cells[c];
            const auto col = lxw_col_t(c);
            switch (cell.kind) {
            case Cell::Money:
                // A workbook keeps numbers as doubles; exact for every amount below 9e11.
                check(worksheet_write_number(m_sheet, m_row, col,
                                             double(cell.amount.raw()) / 10000.0,
                                             total ? m_boldMoney : m_money),
                      c);
                break;
            case Cell::Date:
                if (cell.date.isValid()) {
                    lxw_datetime dt{};
                    dt.year = cell.date.year();
                    dt.month = cell.date.month();
                    dt.day = cell.date.day();
                    check(worksheet_write_datetime(m_sheet, m_row, col, &dt,
                                                   total ? m_boldDate : m_date),
                          c);
                }
                break;
            case Cell::Text:
                text(cell.text, c, total ? m_bold : nullptr);
                break;
            }
        }
        ++m_row;
    }
    void finish() override {
        if (!m_sheet)
            start(m_title, m_header);
        errno = 0;
        const lxw_error rc = workbook_close(m_book);
        const int cause = errno;
        m_book = nullptr;
        if (rc != LXW_NO_ERROR)
            throw ExportError(m_file.failure(cause != 0
                                                 ? QString::fromLocal8Bit(std::strerror(cause))
                                                 : QString::fromUtf8(lxw_strerror(rc))));
        m_file.commit();
    }

private:
    static lxw_row_t rowsPerSheet() {
        return s_sheetRows > 0 ? lxw_row_t(s_sheetRows) : lxw_row_t(LXW_ROW_MAX);
    }
    lxw_format* format(bool bold, const char* numbers) {
        lxw_format* f = workbook_add_format(m_book);
        if (!f)
            throw ExportError(m_file.failure(QStringLiteral("out of memory")));
        if (bold)
            format_set_bold(f);
        if (numbers)
            format_set_num_format(f, numbers);
        return f;
    }
    void newSheet() {
        const QByteArray name = sheetName(m_title, ++m_sheets);
        m_sheet = workbook_add_worksheet(m_book, name.constData());
        if (!m_sheet)
            throw ExportError(
                m_file.failure(QStringLiteral("the sheet %1 cannot be added").arg(m_sheets)));
        m_row = 0;
        for (qsizetype c = 0; c < m_header.size(); ++c)
            text(m_header[c], size_t(c), m_bold);
        m_row = 1;
    }
    void text(const QString& value, size_t column, lxw_format* f) {
        if (value.size() > CellCharacters)
            throw ExportError(m_file.failure(
                QStringLiteral("line %1 (%2) holds a text of %3 characters, and a workbook cell "
                               "holds at most %4 (CSV keeps it whole)")
                    .arg(m_line + 1)
                    .arg(m_header.value(qsizetype(column)), QLocale().toString(value.size()),
                         QLocale().toString(CellCharacters))));
        // A string cell is never run as a formula.
        check(worksheet_write_string(m_sheet, m_row, lxw_col_t(column), value.toUtf8().constData(),
                                     f),
              column);
    }
    void check(lxw_error rc, size_t column) {
        if (rc != LXW_NO_ERROR)
            throw ExportError(m_file.failure(
                QStringLiteral("line %1 (%2): %3")
                    .arg(m_line + 1)
                    .arg(m_header.value(qsizetype(column)), QString::fromUtf8(lxw_strerror(rc)))));
    }

    OutputFile m_file;
    QByteArray m_tmpdir, m_target;
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format *m_bold, *m_money, *m_boldMoney, *m_date, *m_boldDate;
    QString m_title;
    QStringList m_header;
    int m_sheets = 0;
    lxw_row_t m_row = 0;
    qint64 m_line = 0; // the table's line, the header's not counted
};

} // namespace

std::unique_ptr<TableRows> CsvFileRows(const QString& path, const Connection* books) {
    return std::make_unique<CsvRows>(path, books);
}

std::unique_ptr<TableRows> XlsxFileRows(const QString& path, const Connection* books) {
    return std::make_unique<XlsxRows>(path, books);
}

std::unique_ptr<TableRows> TableFileRows(const QString& path, const Connection* books) {
    if (path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        return XlsxFileRows(path, books);
    return CsvFileRows(path, books);
}

void SetSheetRowsForTesting(int rows) {
    s_sheetRows = rows;
}

QByteArray CsvBytes(const DataTable& table) {
    QByteArray out("\xEF\xBB\xBF");
    CsvLines lines;
    lines.header(out, table.header);
    for (const TableRow& row : table.rows)
        lines.row(out, row.cells);
    return out;
}

void WriteTable(const DataTable& table, const QString& path, const Connection* books) {
    const std::unique_ptr<TableRows> out = TableFileRows(path, books);
    out->start(table.title, table.header);
    for (const TableRow& row : table.rows)
        out->row(row.cells, row.total);
    out->finish();
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

} // namespace zelk::exchange
