#pragma once

#include <QSortFilterProxyModel>

namespace zelk {

// The value a column sorts by, when it is not its shown text: a number, an amount's
// ten-thousandths, a QDate. A text sorts as keys compare (without regard to letter case).
inline constexpr int SortValueRole = Qt::UserRole + 66;

// What a list window or browser shows of its rows: sorted by a column when the user
// chose one (the designed order otherwise), and only the rows that contain the filter
// text in some column. Total rows (TotalRowRole) stand for the rows above them
// in the designed order, so they are left out while a sort or a filter is on.
class ListSortFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit ListSortFilter(QObject* parent = nullptr);

    void setFilterText(const QString& text);
    const QString& filterText() const { return m_filter; }
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    void fetchAllRows();
    QString m_filter;
};

} // namespace zelk
