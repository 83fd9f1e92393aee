#include "Connection.h"

#include "JetTranslator.h"
#include "Schema.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <sqlcipher/sqlite3.h>

namespace zelk {

Connection* g_cnn = nullptr;

namespace {

const char DatabasePassword[] = "Kestrelix";
constexpr int PageSize = 1024; // the engine's page size of every Zelk file

// The key given to the engine: the user's passphrase, or the program's own.
int applyKey(sqlite3* db, const QByteArray& passphrase) {
    if (passphrase.isEmpty())
        return sqlite3_key(db, DatabasePassword, int(sizeof(DatabasePassword) - 1));
    return sqlite3_key(db, passphrase.constData(), int(passphrase.size()));
}

// Whether a file the key does not open looks like an encrypted database at all: whole
// pages, and not a plain database's header. Anything else is damaged.
bool looksEncrypted(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = f.size();
    if (size < PageSize || size % PageSize != 0)
        return false;
    return !f.read(16).startsWith("SQLite format 3");
}
const QString EngineSource = QStringLiteral("Zelk database");

// SQL functions of the statement dialect that SQLite lacks.
void iifFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const bool cond =
        sqlite3_value_type(argv[0]) != SQLITE_NULL && sqlite3_value_double(argv[0]) != 0.0;
    sqlite3_result_value(ctx, argv[cond ? 1 : 2]);
}

// Money columns are stored as ten-thousandths already; CCur keeps the value.
void ccurFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_result_value(ctx, argv[0]);
}

// The engine's message made readable for a bookkeeper, the engine's words kept.
QString describe(int rc, const QString& engineMessage) {
    switch (rc) {
    case SQLITE_CONSTRAINT_FOREIGNKEY:
        return QStringLiteral("The change refers to a row that does not exist, or removes a row "
                              "that other rows still use (%1).")
            .arg(engineMessage);
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE: {
        const QString prefix = QStringLiteral("UNIQUE constraint failed: ");
        QString what =
            engineMessage.startsWith(prefix) ? engineMessage.mid(prefix.size()) : engineMessage;
        return QStringLiteral("A row with the same key already exists (%1).").arg(what);
    }
    case SQLITE_CONSTRAINT_NOTNULL:
        return QStringLiteral("A required value is missing (%1).").arg(engineMessage);
    case SQLITE_FULL:
        return QStringLiteral("The disk is full (%1).").arg(engineMessage);
    case SQLITE_READONLY:
        return QStringLiteral("The database file cannot be written (%1).").arg(engineMessage);
    default:
        if ((rc & 0xff) == SQLITE_IOERR)
            return QStringLiteral("A file could not be written or read; the disk may be full "
                                  "(%1).")
                .arg(engineMessage);
        return engineMessage;
    }
}

struct RawDb {
    sqlite3* db = nullptr;
    ~RawDb() {
        if (db)
            sqlite3_close_v2(db);
    }
};

QString lastMessage(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

bool execRaw(sqlite3* db, const QString& sql, QString* error = nullptr) {
    char* msg = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &msg);
    if (rc != SQLITE_OK && error)
        *error = msg ? QString::fromUtf8(msg) : lastMessage(db);
    sqlite3_free(msg);
    return rc == SQLITE_OK;
}

// Builds a new database file beside the wanted one and moves it into place only when
// it is complete, so a half-made file is never left under the real name.
void createDatabaseFile(const QString& path, const QByteArray& key) {
    const QString tmp = path + QStringLiteral(".new");
    QFile::remove(tmp);
    QFile::remove(tmp + QStringLiteral("-journal"));
    auto fail = [&](const QString& reason) {
        QFile::remove(tmp);
        QFile::remove(tmp + QStringLiteral("-journal"));
        throw OpenError(QStringLiteral("Zelk cannot create its database file %1: %2")
                            .arg(QDir::toNativeSeparators(path), reason));
    };
    {
        RawDb raw;
        int rc = sqlite3_open_v2(QFile::encodeName(tmp).constData(), &raw.db,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc != SQLITE_OK)
            fail(lastMessage(raw.db));
        rc = applyKey(raw.db, key);
        if (rc != SQLITE_OK)
            fail(lastMessage(raw.db));
        QString error;
        if (!execRaw(raw.db, QStringLiteral("BEGIN"), &error))
            fail(error);
        QStringList all = schema::createStatements();
        all += schema::referenceRows(QDate::currentDate().year());
        for (const QString& stmt : all)
            if (!execRaw(raw.db, stmt, &error))
                fail(error);
        if (!execRaw(raw.db, QStringLiteral("COMMIT"), &error))
            fail(error);
        if (sqlite3_close(raw.db) != SQLITE_OK)
            fail(lastMessage(raw.db));
        raw.db = nullptr;
    }
    if (!QFile::rename(tmp, path))
        fail(QStringLiteral("the new file could not be moved into place"));
}

} // namespace

QString TransactionLostText() {
    return QStringLiteral("The database engine has rolled the whole command back; nothing of "
                          "it was saved.");
}

void wipeSecret(QByteArray& secret) {
    if (!secret.isEmpty()) {
        volatile char* p = secret.data();
        for (qsizetype i = 0; i < secret.size(); ++i)
            p[i] = 0;
    }
    secret.clear();
}

void wipeSecret(QString& secret) {
    if (!secret.isEmpty()) {
        volatile char16_t* p = reinterpret_cast<char16_t*>(secret.data());
        for (qsizetype i = 0; i < secret.size(); ++i)
            p[i] = 0;
    }
    secret.clear();
}

Connection::Connection(QString path, QByteArray key)
    : m_path(std::move(path)), m_key(std::move(key)) {}

Connection::~Connection() {
    close();
    wipeSecret(m_key);
}

std::unique_ptr<Connection> Connection::open(const QString& folder, const QByteArray& passphrase) {
    const QString path = QDir(folder).filePath(QLatin1String(FileName));
    if (!QFileInfo::exists(path))
        createDatabaseFile(path, passphrase);
    std::unique_ptr<Connection> cnn(new Connection(path, passphrase));
    cnn->openExisting();
    return cnn;
}

std::unique_ptr<Connection> Connection::openSnapshot(const QString& path, bool thorough) const {
    if (!QFileInfo::exists(path))
        throw OpenError(
            QStringLiteral("The file %1 does not exist.").arg(QDir::toNativeSeparators(path)));
    std::unique_ptr<Connection> cnn(new Connection(path, m_key));
    cnn->openExisting(thorough, true);
    return cnn;
}

bool Connection::keyIs(const QByteArray& passphrase) const {
    if (passphrase.size() != m_key.size())
        return false;
    // every byte is compared whatever the first difference, so the time tells nothing
    unsigned diff = 0;
    for (qsizetype i = 0; i < passphrase.size(); ++i)
        diff |= unsigned(uchar(passphrase[i]) ^ uchar(m_key[i]));
    return diff == 0;
}

void Connection::openExisting(bool thorough, bool readOnly) {
    const QString shown = QDir::toNativeSeparators(m_path);
    auto damaged = [&](const QString& detail) {
        if (m_db) {
            sqlite3_close_v2(m_db);
            m_db = nullptr;
        }
        throw OpenError(QStringLiteral("The database file %1 is damaged or is not a Zelk "
                                       "database (%2).")
                            .arg(shown, detail));
    };
    // A copy cut short is found without reading it through.
    if (readOnly && QFileInfo(m_path).size() % PageSize != 0)
        damaged(QStringLiteral("the file ends in the middle of a page"));
    // One connection used by one thread: the engine's own locking is not needed.
    int rc = sqlite3_open_v2(
        QFile::encodeName(m_path).constData(), &m_db,
        (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = lastMessage(m_db);
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw OpenError(
            QStringLiteral("Zelk cannot open its database file %1: %2").arg(shown, msg));
    }
    if (applyKey(m_db, m_key) != SQLITE_OK)
        damaged(lastMessage(m_db));
    // Reading the schema proves the key; the quick check reads every page, so a
    // truncated or altered file is found before anything is shown or written.
    QString error;
    if (!execRaw(m_db, QStringLiteral("SELECT count(*) FROM sqlite_master"), &error)) {
        if (sqlite3_errcode(m_db) == SQLITE_NOTADB && looksEncrypted(m_path)) {
            sqlite3_close_v2(m_db);
            m_db = nullptr;
            throw WrongKeyError(
                QStringLiteral("The database file %1 does not open with this key.").arg(shown));
        }
        damaged(error);
    }
    if (thorough) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, "PRAGMA quick_check", -1, &st, nullptr) != SQLITE_OK)
            damaged(lastMessage(m_db));
        QString result;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            result += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE)
            damaged(lastMessage(m_db));
        if (result != QLatin1String("ok"))
            damaged(result.left(200));
    }
    {
        QStringList present;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(m_db, "SELECT name FROM sqlite_master WHERE type='table'", -1, &st,
                           nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            present << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        for (const QString& t : schema::tableNames())
            if (!present.contains(t, Qt::CaseInsensitive))
                damaged(QStringLiteral("the table %1 is missing").arg(t));
    }
    if (!readOnly && sqlite3_db_readonly(m_db, "main") == 1) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw OpenError(QStringLiteral("The database file %1 cannot be written.").arg(shown));
    }
    // References are enforced; every change goes through a rollback journal with
    // synchronous writes, so a crash leaves the books as they were before the command.
    for (const char* pragma :
         {"PRAGMA foreign_keys=ON", "PRAGMA journal_mode=DELETE", "PRAGMA synchronous=FULL",
          "PRAGMA cache_size=-65536", "PRAGMA temp_store=MEMORY",
          // the pages are encrypted: overwriting deleted content only adds writes
          "PRAGMA secure_delete=OFF"})
        if (!execRaw(m_db, QLatin1String(pragma), &error))
            damaged(error);
    sqlite3_create_function(m_db, "IIF", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            iifFunction, nullptr, nullptr);
    sqlite3_create_function(m_db, "CCUR", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            ccurFunction, nullptr, nullptr);
}

void Connection::rekey(const QByteArray& passphrase) {
    if (!m_db)
        throw DbError({SQLITE_MISUSE, EngineSource, QStringLiteral("The database is closed.")});
    if (inTransaction())
        throw DbError({SQLITE_MISUSE, EngineSource,
                       QStringLiteral("The key cannot be changed while a database transaction "
                                      "is open.")});
    // The engine keeps the old pages in a rollback journal as large as the file.
    const QFileInfo file(m_path);
    const QStorageInfo disk(file.absolutePath());
    if (disk.isValid() && disk.bytesAvailable() >= 0 &&
        disk.bytesAvailable() < file.size() + 1024 * 1024)
        throw DbError(
            {SQLITE_FULL, EngineSource,
             describe(SQLITE_FULL, QStringLiteral("changing the key needs %1 MB free beside the "
                                                  "file")
                                       .arg(file.size() / (1024 * 1024) + 2))});
    finalizeAll();
    const QByteArray engineKey =
        passphrase.isEmpty() ? QByteArray(DatabasePassword, int(sizeof(DatabasePassword) - 1))
                             : passphrase;
    const int rc = sqlite3_rekey(m_db, engineKey.constData(), int(engineKey.size()));
    // The engine rewrites every page in one write transaction; when that fails it rolls
    // back without saying so and goes on writing with the new key. The file is therefore
    // opened afresh, and it tells which key it has now.
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    QByteArray oldKey = m_key;
    m_key = passphrase;
    try {
        if (rc == SQLITE_OK) {
            openExisting(false);
            wipeSecret(oldKey);
            return;
        }
    } catch (const OpenError&) {
        // not the new key: the old one is tried below
    }
    wipeSecret(m_key);
    m_key = oldKey;
    wipeSecret(oldKey);
    openExisting(false);
    throw DbError({rc == SQLITE_OK ? SQLITE_IOERR : rc, EngineSource,
                   QStringLiteral("The file could not be encrypted with the new key (the disk "
                                  "may be full, or the file cannot be written).")});
}

void Connection::backupTo(const QString& path) {
    if (!m_db)
        throw DbError({SQLITE_MISUSE, EngineSource, QStringLiteral("The database is closed.")});
    if (inTransaction())
        throw DbError({SQLITE_MISUSE, EngineSource,
                       QStringLiteral("A copy cannot be taken while a database transaction is "
                                      "open.")});
    auto fail = [](int rc, const QString& detail) {
        throw DbError({rc, EngineSource, describe(rc, detail)});
    };
    RawDb copy;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &copy.db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK)
        fail(rc, lastMessage(copy.db));
    if (applyKey(copy.db, m_key) != SQLITE_OK)
        fail(SQLITE_ERROR, lastMessage(copy.db));
    sqlite3_backup* backup = sqlite3_backup_init(copy.db, "main", m_db, "main");
    if (!backup)
        fail(sqlite3_extended_errcode(copy.db), lastMessage(copy.db));
    rc = sqlite3_backup_step(backup, -1); // every page at once: one consistent state
    const int finished = sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        fail(rc, QString::fromUtf8(sqlite3_errstr(rc)));
    if (finished != SQLITE_OK)
        fail(finished, lastMessage(copy.db));
    rc = sqlite3_close(copy.db);
    if (rc != SQLITE_OK)
        fail(rc, lastMessage(copy.db));
    copy.db = nullptr;
}

void Connection::restoreFrom(const QString& path) {
    if (!m_db)
        throw DbError({SQLITE_MISUSE, EngineSource, QStringLiteral("The database is closed.")});
    if (inTransaction())
        throw DbError({SQLITE_MISUSE, EngineSource,
                       QStringLiteral("The books cannot be replaced while a database "
                                      "transaction is open.")});
    RawDb source;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &source.db, SQLITE_OPEN_READONLY,
                             nullptr);
    if (rc == SQLITE_OK)
        rc = applyKey(source.db, m_key);
    if (rc != SQLITE_OK)
        throw DbError({rc, EngineSource, describe(rc, lastMessage(source.db))});
    finalizeAll();
    // The pages are written in one transaction of the books' own file, through its
    // rollback journal: a crash leaves the old books or the new ones.
    sqlite3_backup* backup = sqlite3_backup_init(m_db, "main", source.db, "main");
    if (!backup)
        raise(sqlite3_errcode(m_db), QStringLiteral("Restore"));
    rc = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if (rc == SQLITE_DONE)
        rc = finished;
    close();
    openExisting(rc == SQLITE_OK);
    if (rc != SQLITE_OK)
        throw DbError({rc, EngineSource, describe(rc, QString::fromUtf8(sqlite3_errstr(rc)))});
    emit commitTransComplete();
}

void Connection::raise(int rc, const QString& context) const {
    const int ext = m_db ? sqlite3_extended_errcode(m_db) : rc;
    QString msg = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("not open");
    if (!context.isEmpty())
        msg = context + QStringLiteral(": ") + msg;
    throw DbError({ext != 0 ? ext : rc, EngineSource, describe(ext, msg)});
}

const Connection::Prepared& Connection::prepared(const std::string& sql) {
    const auto found = m_cache.find(sql);
    if (found != m_cache.end())
        return found->second;
    if (m_cache.size() >= 256)
        finalizeAll();
    sqlite3_stmt* st = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(m_db, sql.data(), int(sql.size()), &st, &tail);
    if (rc != SQLITE_OK)
        raise(rc);
    if (!st) // an empty text
        throw DbError({SQLITE_MISUSE, EngineSource, QStringLiteral("Empty statement.")});
    for (; tail && *tail; ++tail) {
        if (!QChar::isSpace(uchar(*tail))) {
            sqlite3_finalize(st);
            throw DbError({SQLITE_MISUSE, EngineSource,
                           QStringLiteral("Only one statement may run at a time.")});
        }
    }
    ++m_prepareCount;
    auto columns = std::make_shared<QStringList>();
    const int count = sqlite3_column_count(st);
    for (int c = 0; c < count; ++c)
        columns->append(QString::fromUtf8(sqlite3_column_name(st, c)));
    return m_cache.emplace(sql, Prepared{st, std::move(columns)}).first->second;
}

void Connection::finalizeAll() {
    for (const auto& entry : m_cache)
        sqlite3_finalize(entry.second.statement);
    m_cache.clear();
}

RowSet Connection::execute(const QString& sql) {
    if (!m_db)
        throw DbError({SQLITE_MISUSE, EngineSource, QStringLiteral("The database is closed.")});
    // Statements after the engine ended the transaction would each commit on their own.
    if (transactionLost())
        throw DbError({SQLITE_ABORT_ROLLBACK, EngineSource, TransactionLostText()});
    const Translation t = JetTranslator::translate(sql);
    const Prepared& p = prepared(t.sql);
    sqlite3_stmt* st = p.statement;
    int idx = 1;
    for (const SqlParam& param : t.params) {
        int rc = SQLITE_OK;
        if (const auto* i = std::get_if<std::int64_t>(&param)) {
            rc = sqlite3_bind_int64(st, idx, *i);
        } else if (const auto* d = std::get_if<double>(&param)) {
            rc = sqlite3_bind_double(st, idx, *d);
        } else {
            const std::string& utf8 = std::get<std::string>(param);
            rc = sqlite3_bind_text(st, idx, utf8.data(), int(utf8.size()), SQLITE_STATIC);
        }
        if (rc != SQLITE_OK)
            raise(rc);
        ++idx;
    }
    RowSet rs;
    rs.m_cnn = this;
    rs.m_sql = sql;
    rs.m_open = true;
    rs.m_names = p.columns;
    const int cols = int(p.columns->size());
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        std::vector<QVariant> row;
        row.reserve(size_t(cols));
        for (int c = 0; c < cols; ++c) {
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER:
                row.emplace_back(qlonglong(sqlite3_column_int64(st, c)));
                break;
            case SQLITE_FLOAT:
                row.emplace_back(sqlite3_column_double(st, c));
                break;
            case SQLITE_TEXT:
                row.emplace_back(
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                      sqlite3_column_bytes(st, c)));
                break;
            case SQLITE_BLOB:
                row.emplace_back(QByteArray(static_cast<const char*>(sqlite3_column_blob(st, c)),
                                            sqlite3_column_bytes(st, c)));
                break;
            default:
                row.emplace_back();
            }
        }
        rs.m_rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        raise(rc);
    }
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    return rs;
}

int Connection::changes() const {
    return m_db ? sqlite3_changes(m_db) : 0;
}

void Connection::beginTrans() {
    if (!m_db)
        throw DbError({SQLITE_MISUSE, EngineSource, QStringLiteral("The database is closed.")});
    if (inTransaction())
        throw DbError({SQLITE_MISUSE, EngineSource,
                       QStringLiteral("A database transaction is already open.")});
    QString error;
    if (!execRaw(m_db, QStringLiteral("BEGIN"), &error))
        raise(sqlite3_errcode(m_db), QStringLiteral("BeginTrans"));
    m_inTrans = true;
}

void Connection::commitTrans() {
    if (!inTransaction())
        throw DbError({SQLITE_MISUSE, EngineSource,
                       QStringLiteral("There is no database transaction to commit.")});
    QString error;
    if (!execRaw(m_db, QStringLiteral("COMMIT"), &error))
        raise(sqlite3_errcode(m_db), QStringLiteral("CommitTrans"));
    m_inTrans = false;
    emit commitTransComplete();
}

void Connection::rollbackTrans() {
    if (!m_db)
        return;
    if (!sqlite3_get_autocommit(m_db))
        execRaw(m_db, QStringLiteral("ROLLBACK"));
    m_inTrans = false;
}

bool Connection::transactionLost() const {
    return m_db && m_inTrans && sqlite3_get_autocommit(m_db);
}

bool Connection::inTransaction() const {
    return m_db && (m_inTrans || !sqlite3_get_autocommit(m_db));
}

void Connection::close() {
    if (!m_db)
        return;
    rollbackTrans();
    finalizeAll();
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

TransactionGuard::~TransactionGuard() {
    if (m_cnn.inTransaction())
        m_cnn.rollbackTrans();
}

} // namespace zelk
