#pragma once

#include "core/data/RowSet.h"

#include <QAbstractTableModel>
#include <QString>
#include <vector>

namespace zelk {

// How a list column shows its field.
enum class ListDisplay {
    Plain,     // the text as stored
    ShortDate, // a date in the platform's short date format
    YesNo,     // a Yes/No value as "Yes" or "No"
    Money,     // ten-thousandths as "#,##0.00", to the right
};

// One column of a list window: caption, width in twips, key (empty: the column carries
// no key), the field of the statement it shows, and how it shows it.
struct ListColumn {
    QString caption;
    int widthTwips = 0;
    QString key;
    QString field;
    ListDisplay display = ListDisplay::Plain;
};

// The rows of a list window: one statement's rows shown through the window's columns.
// The rows are fetched a page at a time as the view scrolls down to them
// (canFetchMore / fetchMore), so a list of a million rows opens at once and holds only
// the rows shown so far. Read-only; every refresh hands it the statement's rows anew.
class ListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ListModel(std::vector<ListColumn> columns, QObject* parent = nullptr);

    static constexpr int PageRows = 256;

    // Takes the rows of a query (best forward-only): the first page is read now, the
    // rest as the view asks for it. The grid is rebound to it.
    void setRowSet(RowSet rows);
    // Reads every row not read yet (before a sort, a filter or an export).
    void fetchAll();
    bool canFetchMore(const QModelIndex& parent = QModelIndex()) const override;
    void fetchMore(const QModelIndex& parent = QModelIndex()) override;
    const std::vector<ListColumn>& columns() const { return m_columns; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The shown text of a cell.
    QString cellText(int row, int column) const;
    // The column carrying that key, or -1.
    int keyColumn(const QString& key) const;
    // The first row whose cell in that column shows the text (compared as keys compare:
    // without regard to ASCII letter case), or -1. Reads on until it is found.
    int findRow(int column, const QString& text);

private:
    std::vector<ListColumn> m_columns;
    // Reads up to count more rows of the query.
    std::vector<std::vector<QVariant>> readRows(int count);
    const QVariant& cell(int row, int field) const { return m_data[size_t(row)][size_t(field)]; }

    std::vector<int> m_fieldOf; // the row set's field index of each column, -1 when absent
    RowSet m_source;            // the rows not read yet
    std::vector<std::vector<QVariant>> m_data;
    bool m_complete = true;
};

// Keys compare as the database compares them: ASCII letters without regard to case,
// every other character as it is.
bool sameKey(const QString& a, const QString& b);
// Their order as the database sorts them: negative, 0 or positive.
int compareKeys(const QString& a, const QString& b);

} // namespace zelk
