#include "ListSortFilter.h"

#include "ListModel.h"

#include "core/shared/DataTable.h"

#include <QDate>

namespace zelk {

ListSortFilter::ListSortFilter(QObject* parent) : QSortFilterProxyModel(parent) {
    setDynamicSortFilter(false);
}

// A sort or a filter arranges every row, so the rows not fetched yet are read first.
void ListSortFilter::fetchAllRows() {
    if (auto* rows = qobject_cast<ListModel*>(sourceModel()))
        rows->fetchAll();
}

void ListSortFilter::setFilterText(const QString& text) {
    if (text == m_filter)
        return;
    if (!text.isEmpty())
        fetchAllRows();
    m_filter = text;
    invalidateFilter();
}

void ListSortFilter::sort(int column, Qt::SortOrder order) {
    if (column >= 0)
        fetchAllRows();
    QSortFilterProxyModel::sort(column, order);
    invalidateFilter(); // total rows come and go with the sort
}

bool ListSortFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const QVariant a = left.data(SortValueRole);
    const QVariant b = right.data(SortValueRole);
    if (a.isValid() && b.isValid()) {
        if (a.typeId() == QMetaType::QDate && b.typeId() == QMetaType::QDate)
            return a.toDate() < b.toDate();
        if (a.typeId() != QMetaType::QString && b.typeId() != QMetaType::QString)
            return a.toLongLong() < b.toLongLong();
    } else if (a.isValid() != b.isValid()) {
        return !a.isValid(); // an empty value before every value
    }
    const QString x = (a.isValid() ? a : left.data()).toString();
    const QString y = (b.isValid() ? b : right.data()).toString();
    const int c = x.compare(y, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : x < y;
}

bool ListSortFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    const QAbstractItemModel* source = sourceModel();
    if (!source)
        return true;
    const bool arranged = !m_filter.isEmpty() || sortColumn() >= 0;
    if (arranged && source->index(sourceRow, 0, sourceParent).data(TotalRowRole).toBool())
        return false;
    if (m_filter.isEmpty())
        return true;
    for (int c = 0; c < source->columnCount(sourceParent); ++c)
        if (source->index(sourceRow, c, sourceParent)
                .data()
                .toString()
                .contains(m_filter, Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace zelk
