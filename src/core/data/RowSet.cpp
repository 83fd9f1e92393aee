#include "RowSet.h"

#include "Connection.h"
#include "RowStream.h"

#include <sqlcipher/sqlite3.h>

namespace zelk {

namespace {

[[noreturn]] void misuse(const QString& what) {
    throw DbError({SQLITE_MISUSE, QStringLiteral("Zelk database"), what});
}

} // namespace

RowStream::~RowStream() {
    end();
}

void RowStream::end() {
    if (statement)
        sqlite3_finalize(statement);
    statement = nullptr;
    row.clear();
    ended = true;
}

void RowStream::throwEnded() {
    throw DbError({SQLITE_ABORT, QStringLiteral("Zelk database"),
                   QStringLiteral("The rows were read in a database transaction that has "
                                  "ended; they must be read again.")});
}

bool RowSet::hasEnded() const {
    return m_stream && m_stream->ended;
}

int RowSet::recordCount() const {
    if (m_stream)
        misuse(QStringLiteral("A forward-only row set does not know its record count."));
    return int(m_rows.size());
}

bool RowSet::isEmpty() const {
    if (m_stream) {
        m_stream->requireLive();
        return m_stream->position == 0 && m_stream->atEnd;
    }
    return m_rows.empty();
}

bool RowSet::eof() const {
    if (m_stream) {
        // An ended stream is not at its end: a loop that stopped there would miss rows.
        m_stream->requireLive();
        return m_stream->atEnd;
    }
    return m_pos >= m_rows.size();
}

void RowSet::moveFirst() {
    if (m_stream) {
        if (m_stream->position != 0)
            misuse(QStringLiteral("A forward-only row set cannot go back to its first row."));
        m_stream->requireLive();
        return;
    }
    m_pos = 0;
}

void RowSet::moveNext() {
    if (m_stream) {
        m_stream->requireLive();
        if (!m_stream->atEnd)
            m_cnn->stepStream(*m_stream);
        return;
    }
    if (m_pos < m_rows.size())
        ++m_pos;
}

int RowSet::position() const {
    return m_stream ? m_stream->position : int(m_pos);
}

void RowSet::move(int row) {
    if (m_stream)
        misuse(QStringLiteral("A forward-only row set cannot move to a row."));
    m_pos = size_t(row);
}

void RowSet::requery() {
    if (!m_cnn)
        misuse(QStringLiteral("The row set was not opened on a connection."));
    *this = m_stream ? m_cnn->stream(m_sql) : m_cnn->execute(m_sql);
}

void RowSet::release() {
    if (m_stream)
        m_stream->end();
}

void RowSet::close() {
    m_rows.clear();
    m_stream.reset();
    m_pos = 0;
    m_open = false;
}

const QStringList& RowSet::fieldNames() const {
    static const QStringList none;
    return m_names ? *m_names : none;
}

int RowSet::fieldIndex(const QString& name) const {
    if (!m_names)
        return -1;
    const QStringList& names = *m_names;
    for (qsizetype i = 0; i < names.size(); ++i) // as the statement spells it, most often
        if (names[i] == name)
            return int(i);
    for (qsizetype i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

int RowSet::requireField(const QString& name) const {
    const int i = fieldIndex(name);
    if (i < 0)
        throw DbError({SQLITE_ERROR, QStringLiteral("Zelk database"),
                       QStringLiteral("Item not found in this collection: ") + name});
    return i;
}

const std::vector<QVariant>& RowSet::current() const {
    if (eof())
        throw DbError({SQLITE_ERROR, QStringLiteral("Zelk database"),
                       QStringLiteral("Either BOF or EOF is True, or the current record has "
                                      "been deleted.")});
    if (m_stream) {
        m_cnn->readStreamRow(*m_stream);
        return m_stream->row;
    }
    return m_rows[m_pos];
}

QByteArrayView RowSet::utf8(int column) const {
    if (!m_stream || eof())
        misuse(QStringLiteral("Only the current row of a forward-only row set is read as text."));
    const auto* text = sqlite3_column_text(m_stream->statement, column);
    return QByteArrayView(reinterpret_cast<const char*>(text),
                          sqlite3_column_bytes(m_stream->statement, column));
}

RowSet::Stored RowSet::stored(int column) const {
    if (!m_stream || eof())
        misuse(QStringLiteral("Only the current row of a forward-only row set is read so."));
    switch (sqlite3_column_type(m_stream->statement, column)) {
    case SQLITE_INTEGER:
        return Stored::Integer;
    case SQLITE_FLOAT:
        return Stored::Real;
    case SQLITE_TEXT:
        return Stored::Text;
    case SQLITE_BLOB:
        return Stored::Blob;
    default:
        return Stored::Null;
    }
}

std::int64_t RowSet::int64(int column) const {
    if (!m_stream || eof())
        misuse(QStringLiteral("Only the current row of a forward-only row set is read so."));
    return sqlite3_column_int64(m_stream->statement, column);
}

QVariant RowSet::value(const QString& field) const {
    return current()[size_t(requireField(field))];
}

QVariant RowSet::value(int column) const {
    return current().at(size_t(column));
}

bool RowSet::isNull(const QString& field) const {
    const QVariant v = value(field);
    return !v.isValid() || v.isNull();
}

QString RowSet::text(const QString& field) const {
    const QVariant v = value(field);
    return (!v.isValid() || v.isNull()) ? QString() : v.toString();
}

Amount RowSet::amount(const QString& field) const {
    const QVariant v = value(field);
    if (!v.isValid() || v.isNull())
        return Amount();
    if (v.typeId() == QMetaType::LongLong)
        return Amount::fromRaw(v.toLongLong());
    // A value that is not stored as ten-thousandths (text typed into a money column
    // by hand) is read as decimal text. Anything else is no exact amount: the engine
    // gives a floating-point number when a sum leaves the 64-bit range.
    if (v.typeId() == QMetaType::QString)
        if (const std::optional<Amount> a = Amount::parse(v.toString()))
            return *a;
    const QString why = v.typeId() == QMetaType::Double
                            ? QStringLiteral("a sum has passed the range of an amount")
                            : QStringLiteral("it is no amount");
    throw DbError({SQLITE_MISMATCH, QStringLiteral("Zelk database"),
                   QStringLiteral("The field %1 does not hold an exact amount (%2): %3.")
                       .arg(field, v.toString(), why)});
}

std::int64_t RowSet::integer(const QString& field) const {
    const QVariant v = value(field);
    return (!v.isValid() || v.isNull()) ? 0 : v.toLongLong();
}

QDate RowSet::date(const QString& field) const {
    return QDate::fromString(text(field).left(10), Qt::ISODate);
}

bool RowSet::boolean(const QString& field) const {
    const QVariant v = value(field);
    if (!v.isValid() || v.isNull())
        return false;
    return v.toLongLong() != 0;
}

} // namespace zelk
