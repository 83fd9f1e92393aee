#include "ListModel.h"

#include "exchange/DataTable.h"

#include <QDate>
#include <QLocale>
#include <algorithm>

namespace zelk {

bool sameKey(const QString& a, const QString& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= u'a' && x <= u'z')
            x = char16_t(x - u'a' + u'A');
        if (y >= u'a' && y <= u'z')
            y = char16_t(y - u'a' + u'A');
        if (x != y)
            return false;
    }
    return true;
}

int compareKeys(const QString& a, const QString& b) {
    // The database folds capital letters to small ones before it compares.
    auto folded = [](QChar c) {
        const char16_t u = c.unicode();
        return u >= u'A' && u <= u'Z' ? char16_t(u - u'A' + u'a') : u;
    };
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i)
        if (folded(a[i]) != folded(b[i]))
            return folded(a[i]) < folded(b[i]) ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

ListModel::ListModel(std::vector<ListColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns)), m_fieldOf(m_columns.size(), -1) {}

void ListModel::setRowSet(RowSet rows) {
    beginResetModel();
    m_rows = std::move(rows);
    for (size_t c = 0; c < m_columns.size(); ++c)
        m_fieldOf[c] = m_rows.fieldIndex(m_columns[c].field);
    endResetModel();
}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows.recordCount();
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString ListModel::cellText(int row, int column) const {
    if (row < 0 || row >= m_rows.recordCount() || column < 0 || column >= columnCount())
        return QString();
    const int field = m_fieldOf[size_t(column)];
    if (field < 0)
        return QString();
    const QVariant& v = m_rows.cell(row, field);
    if (!v.isValid() || v.isNull())
        return QString();
    switch (m_columns[size_t(column)].display) {
    case ListDisplay::ShortDate: {
        const QDate d = QDate::fromString(v.toString().left(10), Qt::ISODate);
        return d.isValid() ? QLocale().toString(d, QLocale::ShortFormat) : v.toString();
    }
    case ListDisplay::YesNo:
        return v.toLongLong() != 0 ? QStringLiteral("Yes") : QStringLiteral("No");
    case ListDisplay::Plain:
        break;
    }
    return v.toString();
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return cellText(index.row(), index.column());
    if (role == exchange::ExportValueRole &&
        m_columns[size_t(index.column())].display == ListDisplay::ShortDate) {
        const int field = m_fieldOf[size_t(index.column())];
        const QDate d = field < 0
                            ? QDate()
                            : QDate::fromString(m_rows.cell(index.row(), field).toString().left(10),
                                                Qt::ISODate);
        return d.isValid() ? QVariant(d) : QVariant();
    }
    return {};
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columnCount())
        return m_columns[size_t(section)].caption;
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable; // never editable
}

int ListModel::keyColumn(const QString& key) const {
    if (key.isEmpty())
        return -1;
    for (size_t c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].key == key)
            return int(c);
    return -1;
}

int ListModel::findRow(int column, const QString& text) const {
    for (int r = 0; r < rowCount(); ++r)
        if (sameKey(cellText(r, column), text))
            return r;
    return -1;
}

} // namespace zelk
