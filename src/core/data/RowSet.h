#pragma once

#include "Amount.h"

#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

namespace zelk {

class Connection;

struct RowStream;

// The rows of a query. Opened with Connection::execute it is a snapshot, read whole
// when it is opened: it knows its record count and can move anywhere. Opened with
// Connection::stream it is forward-only: each moveNext reads the next row from the
// engine, so memory does not grow with the rows walked; it knows no record count, and
// it ends with the database transaction it was opened in (a read after that throws
// DbError rather than giving rows of another state of the books). Either kind walks with
// moveFirst / moveNext / eof, reads fields by name (case-insensitive, as the statements
// name them) and can be requeried. It is never written through.
class RowSet {
public:
    RowSet() = default;

    bool isForwardOnly() const { return m_stream != nullptr; }
    // A forward-only row set whose database transaction has ended: requery to read on.
    bool hasEnded() const;
    // A forward-only row set throws DbError: its count is a query of its own.
    int recordCount() const;
    // Whether the query gave no row (for a forward-only row set: before its first move).
    bool isEmpty() const;
    bool eof() const;
    void moveFirst();
    void moveNext();
    int position() const;
    // Snapshots only.
    void move(int row);
    // Runs the statement again on the connection that opened it.
    void requery();
    // A forward-only row set lets go of its statement, and with it the engine's read of
    // the books, so another program may write meanwhile; it has ended (hasEnded), and
    // requery reads it again.
    void release();
    void close();
    bool isOpen() const { return m_open; }

    // A forward-only row set's current row as the engine holds it, without making its
    // values: a column's UTF-8 text (valid until the next move) or its whole number.
    QByteArrayView utf8(int column) const;
    std::int64_t int64(int column) const;
    // How the engine holds a column's value (read before utf8 or int64 convert it).
    enum class Stored { Integer, Real, Text, Blob, Null };
    Stored stored(int column) const;

    const QStringList& fieldNames() const;
    int fieldIndex(const QString& name) const; // -1 when absent
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }

    // Reads of the current row. A missing field throws DbError.
    QVariant value(const QString& field) const;
    QVariant value(int column) const;
    const std::vector<QVariant>& currentRow() const { return current(); }
    bool isNull(const QString& field) const;
    QString text(const QString& field) const;  // null gives the empty text
    Amount amount(const QString& field) const; // ten-thousandths; null gives 0
    std::int64_t integer(const QString& field) const;
    QDate date(const QString& field) const;   // ISO text
    bool boolean(const QString& field) const; // non-zero

    // Whole-table access for grids (snapshots only).
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
    std::shared_ptr<RowStream> m_stream; // set when forward-only
    size_t m_pos = 0;
    bool m_open = false;
};

} // namespace zelk
