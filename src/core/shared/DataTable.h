#pragma once

#include "core/data/Amount.h"

#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringList>
#include <Qt>
#include <vector>

// Figures as a table of typed cells: a header row and rows of texts, amounts and dates,
// which exports write as CSV or as an Excel workbook. No widgets here.
namespace zelk {

struct Cell {
    enum Kind { Text, Money, Date };
    Kind kind = Text;
    QString text;
    Amount amount{};
    QDate date;
};
inline Cell textCell(const QString& t) {
    return {Cell::Text, t, {}, {}};
}
inline Cell moneyCell(Amount a) {
    return {Cell::Money, {}, a, {}};
}
inline Cell dateCell(const QDate& d) {
    return {Cell::Date, {}, {}, d};
}

struct TableRow {
    std::vector<Cell> cells;
    bool total = false; // printed in bold in a workbook
};

struct DataTable {
    QString title; // the workbook's sheet name
    QStringList header;
    std::vector<TableRow> rows;
};

// Where the rows of a table go as they are made: a file written as they come, or a
// table kept in memory.
// A cell as the books hold it, for the rows an export streams: a text or a day
// ("yyyy-MM-dd") in the engine's UTF-8, or an amount.
struct RawCell {
    Cell::Kind kind = Cell::Text;
    QByteArrayView utf8;
    Amount amount{};
};

class TableRows {
public:
    virtual ~TableRows() = default;
    // The sheet's name and the header row, before the first row.
    virtual void start(const QString& title, const QStringList& header) = 0;
    virtual void row(const std::vector<Cell>& cells, bool total) = 0;
    // A row of the books' own texts (valid during the call); made into cells unless the
    // writer writes the texts as they are.
    virtual void rawRow(const std::vector<RawCell>& cells) {
        std::vector<Cell> made;
        made.reserve(cells.size());
        for (const RawCell& c : cells)
            made.push_back(c.kind == Cell::Money  ? moneyCell(c.amount)
                           : c.kind == Cell::Date ? dateCell(QDate::fromString(
                                                        QString::fromLatin1(c.utf8), Qt::ISODate))
                                                  : textCell(QString::fromUtf8(c.utf8)));
        row(made, false);
    }
    // Completes what was written (a file is then in place, whole).
    virtual void finish() = 0;
};

// Keeps the rows in a table.
class TableCollector : public TableRows {
public:
    explicit TableCollector(DataTable& table) : m_table(table) {}
    void start(const QString& title, const QStringList& header) override {
        m_table = {title, header, {}};
    }
    void row(const std::vector<Cell>& cells, bool total) override {
        m_table.rows.push_back({cells, total});
    }
    void finish() override {}

private:
    DataTable& m_table;
};

// What a model answers besides its display texts, so that its export keeps the kinds of
// its cells: ExportValueRole a QDate or a zelk::Amount for a cell shown as a date or an
// amount (nothing for text); TotalRowRole true in column 0 of a total row.
inline constexpr int ExportValueRole = Qt::UserRole + 64;
inline constexpr int TotalRowRole = Qt::UserRole + 65;

} // namespace zelk
