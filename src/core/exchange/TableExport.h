#pragma once

#include "core/shared/DataTable.h"

#include <QByteArray>
#include <QString>
#include <stdexcept>

class QAbstractItemModel;

// A table written as a file a spreadsheet reads: CSV through libcsv, a workbook through
// libxlsxwriter.
namespace zelk::exchange {

// The file cannot be written; the message names it and the reason.
class ExportError : public std::runtime_error {
public:
    explicit ExportError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// An amount with a "." decimal point, no grouping, at least two decimals and every
// non-zero decimal kept: 1250.00, -0.0125.
QString MoneyText(Amount a);
// A text that a spreadsheet would run as a formula (it begins with =, @, a tab, a
// carriage return, or + or - not followed by a number) gets a leading apostrophe, so
// that it stays text; so does a text that begins with an apostrophe.
QString DefusedText(const QString& text);
// A text read back: the apostrophe that DefusedText put in front is taken off again.
QString RestoredText(const QString& text);

// UTF-8 with a byte-order mark, comma-separated, CR LF, quoted as RFC 4180 requires.
QByteArray CsvBytes(const DataTable& table);
void WriteCsv(const DataTable& table, const QString& path);
// One sheet: the header row in bold, money as numbers in "#,##0.00", dates as dates,
// total rows in bold.
void WriteXlsx(const DataTable& table, const QString& path);
// The rows and columns of a list as shown: the header captions, then every row's
// displayed texts in the order shown, dates and amounts as such where the model says so.
DataTable TableOfModel(const QAbstractItemModel& model, const QString& title);

// CSV or workbook by the name's ending (".xlsx" in any case: a workbook).
void WriteTable(const DataTable& table, const QString& path);

} // namespace zelk::exchange
