#pragma once

#include "OutputFile.h"
#include "core/shared/DataTable.h"

#include <QByteArray>
#include <QString>
#include <memory>

class QAbstractItemModel;

namespace zelk {
class Connection;
}

// A table written as a file a spreadsheet reads, row by row as the rows come: CSV
// through libcsv, a workbook through libxlsxwriter. A file is renamed into place only
// when it is complete, and a file of the open books is never written over.
namespace zelk::exchange {

// An amount with a "." decimal point, no grouping, at least two decimals and every
// non-zero decimal kept: 1250.00, -0.0125.
QString MoneyText(Amount a);
// A text that a spreadsheet would run as a formula (it begins with =, @, a tab, a
// carriage return, or + or - not followed by a number) gets a leading apostrophe, so
// that it stays text; so does a text that begins with an apostrophe.
QString DefusedText(const QString& text);
// A text read back: the apostrophe that DefusedText put in front is taken off again.
QString RestoredText(const QString& text);

// UTF-8 with a byte-order mark, comma-separated, CR LF, quoted as RFC 4180 requires: to
// `path`, or to standard output when it is empty.
std::unique_ptr<TableRows> CsvFileRows(const QString& path, const Connection* books);
// A workbook: the header row in bold, money as numbers in "#,##0.00", dates as dates,
// total rows in bold. A sheet holds 1,048,576 rows; the rows beyond go on to further
// sheets ("Transactions (2)"), each with the header. A text longer than a cell holds
// (32,767 characters) stops the export, naming its line, and no file is left.
std::unique_ptr<TableRows> XlsxFileRows(const QString& path, const Connection* books);
// A workbook when the name ends in ".xlsx" (in any case), CSV otherwise.
std::unique_ptr<TableRows> TableFileRows(const QString& path, const Connection* books);
// A test seam: the rows a sheet holds, the header's included (0: as many as Excel's).
void SetSheetRowsForTesting(int rows);

// A whole table in memory, as CSV bytes.
QByteArray CsvBytes(const DataTable& table);
// A whole table to a file, CSV or workbook by the name's ending.
void WriteTable(const DataTable& table, const QString& path, const Connection* books);
// The rows and columns of a list as shown: the header captions, then every row's
// displayed texts in the order shown, dates and amounts as such where the model says so.
DataTable TableOfModel(const QAbstractItemModel& model, const QString& title);

} // namespace zelk::exchange
