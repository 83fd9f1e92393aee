#pragma once

#include "data/RowSet.h"

#include <QAbstractTableModel>
#include <QString>
#include <vector>

namespace zelk {

// How a list column shows its field.
enum class ListDisplay {
    Plain,     // the text as stored
    ShortDate, // a date in the platform's short date format
    YesNo,     // a Yes/No value as "Yes" or "No"
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

// The rows of a list window: a snapshot of one statement's rows shown through the
// window's columns. Read-only; every refresh hands it a new snapshot.
class ListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ListModel(std::vector<ListColumn> columns, QObject* parent = nullptr);

    // Takes the rows of a new snapshot (the grid is rebound to it).
    void setRowSet(RowSet rows);
    const RowSet& rowSet() const { return m_rows; }
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
    // without regard to ASCII letter case), or -1.
    int findRow(int column, const QString& text) const;

private:
    std::vector<ListColumn> m_columns;
    std::vector<int> m_fieldOf; // the row set's field index of each column, -1 when absent
    RowSet m_rows;
};

// Keys compare as the database compares them: ASCII letters without regard to case,
// every other character as it is.
bool sameKey(const QString& a, const QString& b);
// Their order as the database sorts them: negative, 0 or positive.
int compareKeys(const QString& a, const QString& b);

} // namespace zelk
