#include "ListModel.h"

#include "ListSortFilter.h"

#include "core/data/Errors.h"
#include "core/data/modErrors.h"

#include "core/shared/DataTable.h"
#include "core/shared/TypedDate.h"

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
    m_source = std::move(rows);
    m_data.clear();
    m_complete = !m_source.isOpen();
    for (size_t c = 0; c < m_columns.size(); ++c)
        m_fieldOf[c] = m_source.fieldIndex(m_columns[c].field);
    m_data = readRows(PageRows);
    endResetModel();
}

std::vector<std::vector<QVariant>> ListModel::readRows(int count) {
    std::vector<std::vector<QVariant>> page;
    auto take = [&] {
        while (int(page.size()) < count && !m_source.eof()) {
            page.push_back(m_source.currentRow());
            m_source.moveNext();
        }
    };
    try {
        try {
            take();
        } catch (const DbError&) {
            if (!m_source.hasEnded())
                throw;
            // The rows were read in a database transaction that has ended since (a run
            // was rolled back): the statement is read again from the row after the last.
            m_source.requery();
            for (size_t skip = 0; skip < m_data.size() + page.size() && !m_source.eof(); ++skip)
                m_source.moveNext();
            take();
        }
    } catch (const DbError& e) {
        // A page that cannot be read: the rows shown so far stay, and the user is told.
        m_source.close();
        ui().messageBox(modErrors::ComposeErrorText(e.record()), appTitle());
    }
    if (!m_source.isOpen() || m_source.eof()) {
        m_complete = true;
        m_source.close();
    }
    return page;
}

bool ListModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !m_complete;
}

void ListModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid() || m_complete)
        return;
    // The page is read first and then announced, so the view never sees half of it.
    std::vector<std::vector<QVariant>> page = readRows(PageRows);
    if (page.empty())
        return;
    const int first = int(m_data.size());
    beginInsertRows(QModelIndex(), first, first + int(page.size()) - 1);
    for (auto& row : page)
        m_data.push_back(std::move(row));
    endInsertRows();
}

void ListModel::fetchAll() {
    while (canFetchMore())
        fetchMore();
}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_data.size());
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString ListModel::cellText(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return QString();
    const int field = m_fieldOf[size_t(column)];
    if (field < 0)
        return QString();
    const QVariant& v = cell(row, field);
    if (!v.isValid() || v.isNull())
        return QString();
    switch (m_columns[size_t(column)].display) {
    case ListDisplay::ShortDate: {
        const QDate d = QDate::fromString(v.toString().left(10), Qt::ISODate);
        return d.isValid() ? ShortDateText(d) : v.toString();
    }
    case ListDisplay::YesNo:
        return v.toLongLong() != 0 ? QStringLiteral("Yes") : QStringLiteral("No");
    case ListDisplay::Money:
        return Amount::fromRaw(v.toLongLong()).formatStandard();
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
    if (role == Qt::TextAlignmentRole &&
        m_columns[size_t(index.column())].display == ListDisplay::Money)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == SortValueRole) {
        // Numbers as numbers, dates as dates; texts by their shown text.
        const int field = m_fieldOf[size_t(index.column())];
        const QVariant v = field < 0 ? QVariant() : cell(index.row(), field);
        if (!v.isValid() || v.isNull())
            return {};
        switch (m_columns[size_t(index.column())].display) {
        case ListDisplay::ShortDate: {
            const QDate d = QDate::fromString(v.toString().left(10), Qt::ISODate);
            return d.isValid() ? QVariant(d) : QVariant(v.toString());
        }
        case ListDisplay::YesNo:
            return QVariant(qlonglong(v.toLongLong() != 0));
        case ListDisplay::Money:
        case ListDisplay::Plain:
            break;
        }
        if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int ||
            v.typeId() == QMetaType::Double)
            return QVariant(v.toLongLong());
        return QVariant(v.toString());
    }
    if (role == ExportValueRole &&
        m_columns[size_t(index.column())].display == ListDisplay::Money) {
        const int field = m_fieldOf[size_t(index.column())];
        const QVariant v = field < 0 ? QVariant() : cell(index.row(), field);
        return v.isNull() ? QVariant() : QVariant::fromValue(Amount::fromRaw(v.toLongLong()));
    }
    if (role == ExportValueRole &&
        m_columns[size_t(index.column())].display == ListDisplay::ShortDate) {
        const int field = m_fieldOf[size_t(index.column())];
        const QDate d = field < 0 ? QDate()
                                  : QDate::fromString(cell(index.row(), field).toString().left(10),
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

int ListModel::findRow(int column, const QString& text) {
    for (int r = 0;; ++r) {
        if (r >= rowCount()) {
            if (!canFetchMore())
                return -1;
            fetchMore();
            if (r >= rowCount())
                return -1;
        }
        if (sameKey(cellText(r, column), text))
            return r;
    }
}

} // namespace zelk
