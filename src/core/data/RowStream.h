#pragma once

#include <QVariant>
#include <vector>

struct sqlite3_stmt;

namespace zelk {

class Connection;

// The engine's side of a forward-only row set: its own prepared statement, stepped one
// row at a time. The connection ends every stream when a database transaction begins or
// ends, or when it closes; an ended stream has no statement and refuses to be read.
struct RowStream {
    Connection* cnn = nullptr;
    sqlite3_stmt* statement = nullptr;
    std::vector<QVariant> row; // the current row, as values once asked for (`read`)
    bool read = false;
    bool atEnd = false;
    bool ended = false;
    int position = 0;

    RowStream() = default;
    RowStream(const RowStream&) = delete;
    RowStream& operator=(const RowStream&) = delete;
    ~RowStream();
    // Finalizes the statement; reads after it throw DbError.
    void end();
    // Throws DbError when the stream has ended.
    void requireLive() const {
        if (ended)
            throwEnded();
    }
    [[noreturn]] static void throwEnded();
};

} // namespace zelk
