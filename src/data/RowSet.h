#pragma once

#include "Amount.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

namespace zelk {

class Connection;

// A snapshot of a query's rows, read whole when it is opened. It knows its record
// count, walks with moveFirst / moveNext / eof, reads fields by name (case-insensitive,
// as the statements name them) and can be requeried. It is never written through.
class RowSet {
public:
    RowSet() = default;

    int recordCount() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    bool eof() const { return m_pos >= m_rows.size(); }
    void moveFirst() { m_pos = 0; }
    void moveNext() {
        if (m_pos < m_rows.size())
            ++m_pos;
    }
    int position() const { return int(m_pos); }
    void move(int row) { m_pos = size_t(row); }
    // Runs the statement again on the connection that opened it.
    void requery();
    void close();
    bool isOpen() const { return m_open; }

    const QStringList& fieldNames() const;
    int fieldIndex(const QString& name) const; // -1 when absent
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }

    // Reads of the current row. A missing field throws DbError.
    QVariant value(const QString& field) const;
    QVariant value(int column) const;
    bool isNull(const QString& field) const;
    QString text(const QString& field) const;  // null gives the empty text
    Amount amount(const QString& field) const; // ten-thousandths; null gives 0
    std::int64_t integer(const QString& field) const;
    QDate date(const QString& field) const;   // ISO text
    bool boolean(const QString& field) const; // non-zero

    // Whole-table access for grids.
    const QVariant& cell(int row, int column) const { return m_rows[size_t(row)][size_t(column)]; }
    const QString& sql() const { return m_sql; }

private:
    friend class Connection;
    int requireField(const QString& name) const;
    const std::vector<QVariant>& current() const;

    Connection* m_cnn = nullptr;
    QString m_sql;
    std::shared_ptr<const QStringList> m_names; // shared by the row sets of one statement
    std::vector<std::vector<QVariant>> m_rows;
    size_t m_pos = 0;
    bool m_open = false;
};

} // namespace zelk
