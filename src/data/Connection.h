#pragma once

#include "Errors.h"
#include "RowSet.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace zelk {

// The database file cannot be created or opened as a Zelk database. The message
// names the file and is meant for the user.
class OpenError : public std::runtime_error {
public:
    explicit OpenError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// The one connection to the encrypted database file. Statements are the system's own
// SQL texts; each is translated (JetTranslator) just before it runs, its literals bound
// as parameters, and its prepared form kept for the next statement of the same shape.
class Connection : public QObject {
    Q_OBJECT
public:
    static constexpr const char* FileName = "Zelk.mdb";

    // Opens <folder>/Zelk.mdb, creating it with the schema and reference rows when it
    // is missing. Throws OpenError when the file cannot be created, cannot be read with
    // the database password, is damaged, or is not a Zelk database.
    static std::unique_ptr<Connection> open(const QString& folder);
    ~Connection() override;

    // Runs one statement or query; a query's rows come back as a snapshot.
    // Throws DbError (number = SQLite extended result code).
    RowSet execute(const QString& sql);
    // Rows of a query, read whole (the same as execute; named for readers of the code).
    RowSet openRowSet(const QString& sql) { return execute(sql); }
    // Rows changed by the last statement.
    int changes() const;

    // One database transaction at a time: a second BeginTrans is an error.
    void beginTrans();
    // Commits and then raises commitTransComplete (only after a successful commit).
    void commitTrans();
    void rollbackTrans();
    bool inTransaction() const;
    // The engine has ended the open database transaction by itself (a full disk, an I/O
    // error, no memory, a rollback raised by a trigger): everything since BeginTrans is
    // undone, and nothing more runs until the command rolls back.
    bool transactionLost() const;

    void close();
    bool isOpen() const { return m_db != nullptr; }
    const QString& filePath() const { return m_path; }

    // How many distinct statement shapes were prepared since opening.
    int preparedCount() const { return m_prepareCount; }

signals:
    void commitTransComplete();

private:
    explicit Connection(QString path);
    void openExisting();
    struct Prepared {
        sqlite3_stmt* statement = nullptr;
        std::shared_ptr<const QStringList> columns;
    };
    const Prepared& prepared(const std::string& sql);
    [[noreturn]] void raise(int rc, const QString& context = {}) const;
    void finalizeAll();

    QString m_path;
    sqlite3* m_db = nullptr;
    std::unordered_map<std::string, Prepared> m_cache;
    int m_prepareCount = 0;
    bool m_inTrans = false;
};

// What the user is told when the engine has ended a command's transaction by itself.
QString TransactionLostText();

// The application-wide connection, created at start-up and closed at shutdown.
extern Connection* g_cnn;

// Rolls the connection's open transaction back when it leaves scope uncommitted,
// so no command returns with a database transaction still open.
class TransactionGuard {
public:
    explicit TransactionGuard(Connection& cnn) : m_cnn(cnn) {}
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;

private:
    Connection& m_cnn;
};

} // namespace zelk
