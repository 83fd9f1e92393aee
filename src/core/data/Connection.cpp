#include "Connection.h"

#include "JetTranslator.h"
#include "RowStream.h"
#include "Schema.h"
#include "UserPorts.h"
#include "VectorState.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sqlcipher/sqlite3.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zelk {

Connection* g_cnn = nullptr;

namespace {

const char DatabasePassword[] = "Kestrelix";
// The cipher's page size of new files. Files made before it keep their 1 KB pages: a
// file's page size never changes, and both are read.
constexpr int PageSize = 4096;
constexpr int OldPageSize = 1024;

int g_passphraseRounds = Connection::PassphraseRounds;
int g_busyWaitMs = Connection::BusyWaitMs;

QString inUseText(const QString& path) {
    return QStringLiteral("The books %1 are in use by another program; nothing was changed.")
        .arg(QDir::toNativeSeparators(path));
}

// Another program holds the books: the statement waits a little at a time, telling the
// user once, up to the wait allowed; then the engine gives up with SQLITE_BUSY.
int busyWait(void* db, int count) {
    constexpr int Step = 25;
    if (count * Step >= g_busyWaitMs)
        return 0;
    if (count == 0) {
        const char* path = sqlite3_db_filename(static_cast<sqlite3*>(db), "main");
        try { // nothing may be thrown through the engine
            ui().notice(
                QStringLiteral("The books %1 are in use by another program; Zelk waits up to "
                               "%2 seconds for them.")
                    .arg(QDir::toNativeSeparators(QString::fromUtf8(path ? path : "")))
                    .arg((g_busyWaitMs + 999) / 1000));
        } catch (...) {
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(Step));
    return 1;
}

// The rounds of the derivation a new file with this key gets.
int roundsFor(const QByteArray& passphrase) {
    return passphrase.isEmpty() ? Connection::DefaultRounds : g_passphraseRounds;
}

// The key given to the engine (the user's passphrase, or the program's own), the rounds
// of its derivation and the size of the file's encrypted pages.
int applyKey(sqlite3* db, const QByteArray& passphrase, int pageSize, int rounds) {
    const int rc = passphrase.isEmpty()
                       ? sqlite3_key(db, DatabasePassword, int(sizeof(DatabasePassword) - 1))
                       : sqlite3_key(db, passphrase.constData(), int(passphrase.size()));
    if (rc != SQLITE_OK)
        return rc;
    const QByteArray pragmas = "PRAGMA cipher_page_size=" + QByteArray::number(pageSize) +
                               "; PRAGMA kdf_iter=" + QByteArray::number(rounds);
    return sqlite3_exec(db, pragmas.constData(), nullptr, nullptr, nullptr);
}

// Whether a file the key does not open looks like an encrypted database at all: whole
// pages, and not a plain database's header. Anything else is damaged.
bool looksEncrypted(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = f.size();
    if (size < OldPageSize || size % OldPageSize != 0)
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
        rc = applyKey(raw.db, key, PageSize, roundsFor(key));
        if (rc != SQLITE_OK)
            fail(lastMessage(raw.db));
        QString error;
        if (!execRaw(raw.db, QStringLiteral("BEGIN"), &error))
            fail(error);
        QStringList all = schema::createStatements();
        all += schema::addedStatements();
        all += schema::referenceRows(QDate::currentDate().year());
        all << QStringLiteral("PRAGMA user_version=%1").arg(schema::CurrentVersion);
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

// Where opening a keyed file failed.
enum class KeyStage { Open, Key, Read };

// Opens path into *db and proves the key by reading the schema. The ways a file may be
// encrypted are tried in turn: a passphrase with the costly derivation first, then with
// the engine's default (books given a passphrase before), each in the page size of new
// files and then the old one (a costly file is never made in the old size); the way of
// *cipher, when it names one, comes first (a snapshot is likely made like its books).
// *cipher is the way that read it. Returns SQLITE_OK, or the engine's result with *failedAt telling
// which step failed and *db left open (when it could be) for the engine's message.
struct Cipher {
    int pageSize = 0;
    int rounds = 0;
};
int openKeyed(const QString& path, int flags, const QByteArray& key, sqlite3** db, Cipher* cipher,
              KeyStage* failedAt) {
    std::vector<Cipher> ways;
    if (!key.isEmpty() && g_passphraseRounds != Connection::DefaultRounds)
        ways.push_back({PageSize, g_passphraseRounds});
    ways.push_back({PageSize, Connection::DefaultRounds});
    ways.push_back({OldPageSize, Connection::DefaultRounds});
    std::stable_partition(ways.begin(), ways.end(), [&](const Cipher& way) {
        return way.pageSize == cipher->pageSize && way.rounds == cipher->rounds;
    });
    int rc = SQLITE_OK;
    for (const Cipher& way : ways) {
        if (*db) {
            sqlite3_close_v2(*db);
            *db = nullptr;
        }
        *failedAt = KeyStage::Open;
        rc = sqlite3_open_v2(QFile::encodeName(path).constData(), db, flags, nullptr);
        if (rc != SQLITE_OK)
            return rc;
        sqlite3_busy_handler(*db, busyWait, *db);
        *failedAt = KeyStage::Key;
        rc = applyKey(*db, key, way.pageSize, way.rounds);
        if (rc != SQLITE_OK)
            return rc;
        *failedAt = KeyStage::Read;
        *cipher = way;
        rc = sqlite3_exec(*db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK || sqlite3_errcode(*db) != SQLITE_NOTADB)
            return rc;
    }
    return rc;
}

// The column names of a table of db (none when it is missing).
QStringList columnsOf(sqlite3* db, const QString& table) {
    QStringList names;
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = "PRAGMA table_info(\"" + table.toUtf8() + "\")";
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW)
            names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
    sqlite3_finalize(st);
    return names;
}

QString damagedText(const QString& path, const QString& detail) {
    return QStringLiteral("The database file %1 is damaged or is not a Zelk database (%2).")
        .arg(QDir::toNativeSeparators(path), detail);
}

struct ExpectedTable {
    int version; // the schema version that added it (0: the original tables)
    QString name;
    QStringList columns;
};

// The tables and columns of the schema, as the engine reads them from a database it
// builds from the schema's own statements in memory.
const std::vector<ExpectedTable>& expectedSchema() {
    static const std::vector<ExpectedTable> tables = [] {
        std::vector<ExpectedTable> out;
        RawDb mem;
        sqlite3_open_v2(":memory:", &mem.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        for (const QString& stmt : schema::createStatements() + schema::addedStatements())
            execRaw(mem.db, stmt);
        for (const QString& table : schema::tableNames())
            out.push_back({0, table, columnsOf(mem.db, table)});
        for (int v = 1; v <= schema::CurrentVersion; ++v)
            for (const QString& table : schema::addedTableNames(v))
                out.push_back({v, table, columnsOf(mem.db, table)});
        return out;
    }();
    return tables;
}

// The schema version the file says it has (PRAGMA user_version); -1 when unreadable.
int userVersion(sqlite3* db) {
    sqlite3_stmt* st = nullptr;
    int version = -1;
    if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        version = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    return version;
}

// What a file of schema version `version` lacks of a Zelk database: a table, a column of
// one, or the company row. Empty when nothing is missing. Reads the schema and one row,
// whatever the file's size.
QString missingSchema(sqlite3* db, int version) {
    for (const auto& [since, table, columns] : expectedSchema()) {
        if (since > version)
            continue;
        const QStringList present = columnsOf(db, table);
        if (present.isEmpty())
            return QStringLiteral("the table %1 is missing").arg(table);
        for (const QString& column : columns)
            if (!present.contains(column, Qt::CaseInsensitive))
                return QStringLiteral("the column %1 of the table %2 is missing")
                    .arg(column, table);
    }
    sqlite3_stmt* st = nullptr;
    bool found = false;
    if (sqlite3_prepare_v2(db, "SELECT Name FROM SYS_Company LIMIT 1", -1, &st, nullptr) ==
        SQLITE_OK)
        found = sqlite3_step(st) == SQLITE_ROW;
    const int rc = sqlite3_finalize(st);
    if (!found)
        return rc == SQLITE_OK ? QStringLiteral("the company row is missing") : lastMessage(db);
    return {};
}

// Runs an engine check (PRAGMA quick_check or integrity_check) and gives its result
// ("ok" when the file is sound). progress, when given, is called while the check runs
// and stops it by returning true.
QString checkPages(sqlite3* db, const QString& pragma, const std::function<bool()>* progress) {
    if (progress)
        sqlite3_progress_handler(
            db, 20000,
            [](void* p) { return (*static_cast<const std::function<bool()>*>(p))() ? 1 : 0; },
            const_cast<std::function<bool()>*>(progress));
    sqlite3_stmt* st = nullptr;
    QString result;
    int rc = sqlite3_prepare_v2(db, pragma.toUtf8().constData(), -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        QStringList lines;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            lines << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        result = lines.join(QLatin1Char('\n'));
    }
    if (rc != SQLITE_DONE && rc != SQLITE_OK)
        result = lastMessage(db);
    sqlite3_finalize(st);
    if (progress)
        sqlite3_progress_handler(db, 0, nullptr, nullptr);
    return result;
}

// The one number a query gives (-1 when it fails).
qint64 countOf(sqlite3* db, const QString& sql) {
    sqlite3_stmt* st = nullptr;
    qint64 n = -1;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return n;
}

// Makes a rename in the folder durable: its entry reaches the disk.
void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
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

QString Connection::booksFile(const QString& fileOrFolder) {
    const QFileInfo info(fileOrFolder);
    // A name that is not there is books to be made when it ends in .mdb, else a folder.
    const bool file =
        info.isFile() ||
        (!info.exists() && info.suffix().compare(QStringLiteral("mdb"), Qt::CaseInsensitive) == 0);
    return file ? info.absoluteFilePath()
                : QDir(info.absoluteFilePath()).filePath(QLatin1String(FileName));
}

std::unique_ptr<Connection> Connection::open(const QString& folder, const QByteArray& passphrase,
                                             OpenMode mode) {
    return openFile(QDir(folder).filePath(QLatin1String(FileName)), passphrase, mode);
}

std::unique_ptr<Connection> Connection::openFile(const QString& path, const QByteArray& passphrase,
                                                 OpenMode mode) {
    const QFileInfo info(path);
    if (!info.exists() && mode == OpenMode::ExistingOnly)
        throw OpenError(QStringLiteral("There are no books at %1 (no file %2 there).")
                            .arg(QDir::toNativeSeparators(info.absolutePath()), info.fileName()));
    if (!info.exists()) {
        const QFileInfo folder(info.absolutePath());
        if (!folder.isDir())
            throw OpenError(QStringLiteral("Zelk cannot create its database file %1: the folder "
                                           "%2 does not exist.")
                                .arg(QDir::toNativeSeparators(info.absoluteFilePath()),
                                     QDir::toNativeSeparators(folder.absoluteFilePath())));
        if (!folder.isWritable())
            throw OpenError(QStringLiteral("Zelk cannot create its database file %1: the folder "
                                           "%2 cannot be written.")
                                .arg(QDir::toNativeSeparators(info.absoluteFilePath()),
                                     QDir::toNativeSeparators(folder.absoluteFilePath())));
        createDatabaseFile(path, passphrase);
    }
    std::unique_ptr<Connection> cnn(new Connection(path, passphrase));
    cnn->openExisting(false);
    return cnn;
}

std::unique_ptr<Connection> Connection::openSnapshot(const QString& path, bool thorough) const {
    if (!QFileInfo::exists(path))
        throw OpenError(
            QStringLiteral("The file %1 does not exist.").arg(QDir::toNativeSeparators(path)));
    std::unique_ptr<Connection> cnn(new Connection(path, m_key));
    cnn->m_pageSize = m_pageSize; // tried first
    cnn->m_rounds = m_rounds;
    cnn->openExisting(thorough, true);
    return cnn;
}

std::unique_ptr<Connection> Connection::openSnapshot(const QString& path, bool thorough,
                                                     const QByteArray& key) const {
    if (!QFileInfo::exists(path))
        throw OpenError(
            QStringLiteral("The file %1 does not exist.").arg(QDir::toNativeSeparators(path)));
    std::unique_ptr<Connection> cnn(new Connection(path, key));
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
        throw OpenError(damagedText(m_path, detail));
    };
    // Books that cannot be written are read: the file itself, or the folder where the
    // engine writes its journal beside it.
    const bool snapshot = readOnly;
    m_readOnlyReason.clear();
    m_dataVersion = -1;
    if (!snapshot) {
        const QFileInfo file(m_path);
        const QFileInfo folder(file.absolutePath());
        if (!file.isWritable())
            m_readOnlyReason = QStringLiteral("the file %1 cannot be written").arg(shown);
        else if (!folder.isWritable())
            m_readOnlyReason = QStringLiteral("the folder %1 cannot be written")
                                   .arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
        readOnly = !m_readOnlyReason.isEmpty();
    }
    // A copy cut short is found without reading it through.
    if (snapshot && QFileInfo(m_path).size() % OldPageSize != 0)
        damaged(QStringLiteral("the file ends in the middle of a page"));
    // One connection used by one thread: the engine's own locking is not needed.
    // Reading the schema proves the key. The quick check reads every page; at start-up
    // only the schema and the company row are read, so opening costs the same at any
    // size: a page altered later fails the cipher's check when it is read, and the
    // statement that reads it fails with the damaged-file message.
    KeyStage failedAt = KeyStage::Open;
    const int flags =
        (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    Cipher cipher{m_pageSize, m_rounds};
    const int rc = openKeyed(m_path, flags, m_key, &m_db, &cipher, &failedAt);
    m_pageSize = cipher.pageSize;
    m_rounds = cipher.rounds;
    if (rc != SQLITE_OK && failedAt == KeyStage::Open) {
        const QString msg = lastMessage(m_db);
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw OpenError(
            QStringLiteral("Zelk cannot open its database file %1: %2").arg(shown, msg));
    }
    if (rc != SQLITE_OK && (sqlite3_errcode(m_db) & 0xff) == SQLITE_BUSY) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw OpenError(inUseText(m_path)); // a lock is never damage
    }
    if (rc != SQLITE_OK && failedAt == KeyStage::Read && sqlite3_errcode(m_db) == SQLITE_NOTADB &&
        looksEncrypted(m_path)) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw WrongKeyError(
            QStringLiteral("The database file %1 does not open with this key.").arg(shown));
    }
    if (rc != SQLITE_OK)
        damaged(lastMessage(m_db));
    if (snapshot && QFileInfo(m_path).size() % m_pageSize != 0)
        damaged(QStringLiteral("the file ends in the middle of a page"));
    QString error;
    if (thorough) {
        const QString result = checkPages(m_db, QStringLiteral("PRAGMA quick_check"), nullptr);
        if (result != QLatin1String("ok"))
            damaged(result.left(200));
    }
    m_version = userVersion(m_db);
    if (m_version < 0)
        damaged(lastMessage(m_db));
    if (m_version > schema::CurrentVersion) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw OpenError(QStringLiteral("The database file %1 was made by a newer version of "
                                       "Zelk, which this one cannot read.")
                            .arg(shown));
    }
    if (const QString missing = missingSchema(m_db, m_version); !missing.isEmpty())
        damaged(missing);
    if (!readOnly && sqlite3_db_readonly(m_db, "main") == 1) // a read-only disk, say
        m_readOnlyReason = QStringLiteral("the file %1 cannot be written").arg(shown);
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

void Connection::upgradeSchema() {
    requireIdle(QStringLiteral("The books cannot be upgraded while a database transaction is "
                               "open."));
    if (m_version >= schema::CurrentVersion)
        return;
    beginTrans();
    TransactionGuard guard(*this);
    for (int v = m_version + 1; v <= schema::CurrentVersion; ++v)
        for (const QString& stmt : schema::upgradeStatements(v)) {
            if (!execRaw(m_db, stmt))
                raise(sqlite3_extended_errcode(m_db), QStringLiteral("Upgrade"));
        }
    if (!execRaw(m_db, QStringLiteral("PRAGMA user_version=%1").arg(schema::CurrentVersion)))
        raise(sqlite3_extended_errcode(m_db), QStringLiteral("Upgrade"));
    commitTrans();
    m_version = schema::CurrentVersion;
}

void Connection::requireOpen() const {
    if (!m_db)
        throw DbError({SQLITE_MISUSE, EngineSource, QStringLiteral("The database is closed.")});
}

void Connection::requireIdle(const QString& busy) const {
    requireOpen();
    if (inTransaction())
        throw DbError({SQLITE_MISUSE, EngineSource, busy});
}

Connection::IntegrityResult Connection::checkIntegrity(const std::function<bool()>& keepGoing) {
    requireOpen();
    bool stopped = false;
    const std::function<bool()> progress = [&] {
        stopped = !keepGoing();
        return stopped;
    };
    const QString result = checkPages(m_db, QStringLiteral("PRAGMA integrity_check"), &progress);
    IntegrityResult r;
    r.cancelled = stopped;
    if (!stopped && result != QLatin1String("ok"))
        r.problems = result.split(QLatin1Char('\n'));
    return r;
}

bool Connection::changedElsewhere() {
    if (!m_db || m_inTrans)
        return false;
    const qint64 version = countOf(m_db, QStringLiteral("PRAGMA data_version"));
    if (version < 0)
        return false;
    const bool changed = m_dataVersion >= 0 && version != m_dataVersion;
    m_dataVersion = version;
    return changed;
}

QString Connection::readOnlyText() const {
    return QStringLiteral("The books %1 can only be read: %2. Nothing was changed.")
        .arg(QDir::toNativeSeparators(m_path), m_readOnlyReason);
}

int Connection::busyWaitMs() {
    return g_busyWaitMs;
}

void Connection::setBusyWaitMs(int ms) {
    g_busyWaitMs = ms;
}

int Connection::passphraseRounds() {
    return g_passphraseRounds;
}

void Connection::setPassphraseRounds(int rounds) {
    g_passphraseRounds = rounds;
}

void Connection::rekey(const QByteArray& passphrase,
                       const std::function<void(RekeyStep)>& reached) {
    requireIdle(QStringLiteral("The key cannot be changed while a database transaction is open."));
    // The new file is as large as the books.
    const QFileInfo file(m_path);
    const QStorageInfo disk(file.absolutePath());
    if (disk.isValid() && disk.bytesAvailable() >= 0 &&
        disk.bytesAvailable() < file.size() + 1024 * 1024)
        throw DbError(
            {SQLITE_FULL, EngineSource,
             describe(SQLITE_FULL, QStringLiteral("changing the key needs %1 MB free beside the "
                                                  "file")
                                       .arg(file.size() / (1024 * 1024) + 2))});
    endStreams();
    finalizeAll();
    // The engine's own re-keying (PRAGMA rekey) would keep the file's derivation, so the
    // books are copied into a new file made with the new key and derivation.
    const QString fresh = m_path + QStringLiteral(".rekey");
    const auto removeFresh = [&] {
        QFile::remove(fresh);
        QFile::remove(fresh + QStringLiteral("-journal"));
    };
    removeFresh(); // what a change cut short left
    const int rounds = roundsFor(passphrase);
    try {
        // The books stay locked (no other program reads or writes them) until the
        // connection closes, after the new file is in place: nothing written meanwhile
        // could be lost with the old file. A program that has them open already is
        // refused any later write by the engine, as the file it opened has gone.
        if (!execRaw(m_db, QStringLiteral("PRAGMA main.locking_mode=EXCLUSIVE")) ||
            !execRaw(m_db, QStringLiteral("BEGIN EXCLUSIVE")) ||
            !execRaw(m_db, QStringLiteral("COMMIT"))) {
            if ((sqlite3_extended_errcode(m_db) & 0xff) == SQLITE_BUSY)
                throw DbError({SQLITE_BUSY, EngineSource,
                               QStringLiteral("The books are in use by another program.")});
            raise(sqlite3_extended_errcode(m_db), QStringLiteral("Change of key"));
        }
        exportTo(fresh, passphrase, rounds, reached);
        if (reached)
            reached(RekeyStep::Exported);
        checkExport(fresh, passphrase, rounds);
        if (reached)
            reached(RekeyStep::Checked);
        // A journal beside the books would be played back into the new file.
        if (QFileInfo::exists(m_path + QStringLiteral("-journal")))
            throw DbError({SQLITE_IOERR, EngineSource,
                           QStringLiteral("The books have a journal that is not yet rolled "
                                          "back.")});
        if (std::rename(QFile::encodeName(fresh).constData(),
                        QFile::encodeName(m_path).constData()) != 0)
            throw DbError({SQLITE_IOERR, EngineSource,
                           QStringLiteral("The new file could not be put in place of the "
                                          "books.")});
    } catch (const DbError&) {
        execRaw(m_db, QStringLiteral("DETACH DATABASE rekeyed"));
        close(); // and opened afresh, which ends the lock
        removeFresh();
        openExisting(false);
        throw;
    }
    syncFolder(file.absolutePath());
    if (reached)
        reached(RekeyStep::Replaced);
    close();
    wipeSecret(m_key);
    m_key = passphrase;
    m_pageSize = PageSize;
    m_rounds = rounds;
    openExisting(false);
}

void Connection::exportTo(const QString& fresh, const QByteArray& passphrase, int rounds,
                          const std::function<void(RekeyStep)>& reached) {
    const QByteArray engineKey =
        passphrase.isEmpty() ? QByteArray(DatabasePassword, int(sizeof(DatabasePassword) - 1))
                             : passphrase;
    // The books are opened without the right to create files, and so is what they
    // attach: the new file is made empty (an empty database) first.
    QFile empty(fresh);
    if (!empty.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw DbError({SQLITE_CANTOPEN, EngineSource,
                       QStringLiteral("%1 cannot be made: %2")
                           .arg(QDir::toNativeSeparators(fresh), empty.errorString())});
    empty.close();
    // The path and the key go in as parameters, never into the statement's text.
    sqlite3_stmt* attach = nullptr;
    int rc = sqlite3_prepare_v2(m_db, "ATTACH DATABASE ?1 AS rekeyed KEY ?2", -1, &attach, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray name = QFile::encodeName(fresh);
        sqlite3_bind_text(attach, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(attach, 2, engineKey.constData(), int(engineKey.size()), SQLITE_STATIC);
        rc = sqlite3_step(attach);
        sqlite3_finalize(attach);
    }
    if (rc != SQLITE_OK && rc != SQLITE_DONE)
        raise(rc, QStringLiteral("Change of key"));
    qint64 version = 0;
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, "PRAGMA main.user_version", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            version = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
    }
    // The cipher's settings come before the engine first touches the new file.
    const QString settings = QStringLiteral("PRAGMA rekeyed.cipher_page_size=%1; "
                                            "PRAGMA rekeyed.kdf_iter=%2; "
                                            "PRAGMA rekeyed.journal_mode=DELETE; "
                                            "PRAGMA rekeyed.synchronous=FULL")
                                 .arg(PageSize)
                                 .arg(rounds);
    QString error;
    if (!execRaw(m_db, settings, &error))
        raise(sqlite3_extended_errcode(m_db), QStringLiteral("Change of key"));
    if (reached)
        sqlite3_progress_handler(
            m_db, 1000,
            [](void* p) {
                (*static_cast<const std::function<void(RekeyStep)>*>(p))(RekeyStep::Exporting);
                return 0;
            },
            const_cast<std::function<void(RekeyStep)>*>(&reached));
    // Tables, indexes and rows, in one transaction of the new file. The schema's
    // version is not part of what the engine copies.
    const bool copied = execRaw(m_db, QStringLiteral("SELECT sqlcipher_export('rekeyed')"));
    sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
    if (!copied || !execRaw(m_db, QStringLiteral("PRAGMA rekeyed.user_version=%1").arg(version)) ||
        !execRaw(m_db, QStringLiteral("DETACH DATABASE rekeyed")))
        raise(sqlite3_extended_errcode(m_db), QStringLiteral("Change of key"));
}

void Connection::checkExport(const QString& fresh, const QByteArray& passphrase, int rounds) {
    // Read through as a snapshot is before it is restored: every page, the schema and
    // the company row, with the new key and derivation only.
    std::unique_ptr<Connection> copy(new Connection(fresh, passphrase));
    try {
        copy->openExisting(true, true);
    } catch (const OpenError& e) {
        throw DbError({SQLITE_CORRUPT, EngineSource, e.message()});
    }
    if (copy->m_rounds != rounds || copy->m_pageSize != PageSize)
        throw DbError({SQLITE_CORRUPT, EngineSource,
                       QStringLiteral("The new file does not open with the new key's "
                                      "derivation.")});
    for (const QString& table : schema::tableNames()) {
        const QString count = QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table);
        if (countOf(m_db, count) != countOf(copy->m_db, count))
            throw DbError({SQLITE_CORRUPT, EngineSource,
                           QStringLiteral("The new file holds other rows of %1 than the "
                                          "books.")
                               .arg(table)});
    }
}

namespace {

[[noreturn]] void failOnFile(int code) {
    const int rc = code == ENOSPC ? SQLITE_FULL : SQLITE_IOERR;
    throw DbError({rc, EngineSource, describe(rc, QString::fromLocal8Bit(std::strerror(code)))});
}

struct FileHandle {
    int fd = -1;
    ~FileHandle() {
        if (fd >= 0)
            ::close(fd);
    }
    // Closes it, a failure thrown (a write the disk refused may be reported only here).
    void close() {
        const int was = fd;
        fd = -1;
        if (::close(was) != 0)
            failOnFile(errno);
    }
};

} // namespace

void Connection::syncFile(const QString& path) {
    FileHandle file;
    file.fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (file.fd < 0 || ::fsync(file.fd) != 0)
        failOnFile(errno);
    file.close();
}

void Connection::backupTo(const QString& path, Sync sync) {
    requireIdle(QStringLiteral("A copy cannot be taken while a database transaction is open."));
    // A reader's lock keeps every writer out of the file (the books keep a rollback
    // journal) while its bytes are copied as they are: the copy is the books as they
    // stand, page for page, under the same key and derivation, without decrypting and
    // encrypting every page again.
    if (!execRaw(m_db, QStringLiteral("BEGIN")))
        raise(sqlite3_extended_errcode(m_db), QStringLiteral("Copy"));
    struct ReadLock {
        sqlite3* db;
        ~ReadLock() { execRaw(db, QStringLiteral("COMMIT")); } // nothing was written
    } lock{m_db};
    if (countOf(m_db, QStringLiteral("SELECT count(*) FROM sqlite_master")) < 0)
        raise(sqlite3_extended_errcode(m_db), QStringLiteral("Copy"));
    FileHandle from, to;
    struct stat st {};
    from.fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
    if (from.fd < 0 || ::fstat(from.fd, &st) != 0)
        failOnFile(errno);
    to.fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                   st.st_mode & 0777);
    if (to.fd < 0)
        failOnFile(errno);
    bool inKernel = true; // the kernel copies without the bytes passing through here
    std::vector<char> buffer;
    for (off_t left = st.st_size; left > 0;) {
        ssize_t n = -1;
        if (inKernel) {
            n = ::copy_file_range(from.fd, nullptr, to.fd, nullptr, size_t(left), 0);
            if (n < 0 &&
                (errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP)) {
                inKernel = false;
                continue;
            }
        } else {
            buffer.resize(1 << 20);
            n = ::read(from.fd, buffer.data(), std::min<off_t>(left, off_t(buffer.size())));
            for (ssize_t done = 0; n > 0 && done < n;) {
                const ssize_t w = ::write(to.fd, buffer.data() + done, size_t(n - done));
                if (w < 0 && errno == EINTR)
                    continue;
                if (w <= 0)
                    failOnFile(w < 0 ? errno : ENOSPC);
                done += w;
            }
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            failOnFile(errno);
        if (n == 0) // the file ended early: it is not the books it was a moment ago
            failOnFile(EIO);
        left -= n;
    }
    if (sync == Sync::Now && ::fsync(to.fd) != 0)
        failOnFile(errno);
    to.close();
}

void Connection::restoreFrom(const QString& path) {
    requireIdle(
        QStringLiteral("The books cannot be replaced while a database transaction is open."));
    RawDb source;
    Cipher sourceCipher{m_pageSize, m_rounds};
    KeyStage failedAt = KeyStage::Open;
    int rc = openKeyed(path, SQLITE_OPEN_READONLY, m_key, &source.db, &sourceCipher, &failedAt);
    const int sourcePageSize = sourceCipher.pageSize;
    if (rc != SQLITE_OK)
        throw DbError({rc, EngineSource, describe(rc, lastMessage(source.db))});
    // The engine copies pages as they are; it cannot write them in another size.
    if (sourcePageSize != m_pageSize)
        throw DbError({SQLITE_MISMATCH, EngineSource,
                       QStringLiteral("The copy %1 was made with pages of %2 bytes and these "
                                      "books have pages of %3 bytes: it cannot be restored "
                                      "into them.")
                           .arg(QDir::toNativeSeparators(path))
                           .arg(sourcePageSize)
                           .arg(m_pageSize)});
    endStreams();
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
    openExisting(false); // the copy was read through before it was restored
    if (rc != SQLITE_OK)
        throw DbError({rc, EngineSource, describe(rc, QString::fromUtf8(sqlite3_errstr(rc)))});
    emit commitTransComplete();
}

void Connection::restoreFrom(const QString& path, const QByteArray& key) {
    if (keyIs(key)) {
        restoreFrom(path);
        return;
    }
    requireIdle(
        QStringLiteral("The books cannot be replaced while a database transaction is open."));
    // Written beside the books, where a crash may leave it: the next restore of this
    // kind starts by removing it.
    const QString fresh = m_path + QStringLiteral(".restore");
    QFile::remove(fresh);
    try {
        // Opened for writing (what it attaches is opened as it is), but only read.
        std::unique_ptr<Connection> source(new Connection(path, key));
        try {
            source->openExisting(false);
        } catch (const OpenError& e) {
            throw DbError({SQLITE_CANTOPEN, EngineSource, e.message()});
        }
        source->exportTo(fresh, m_key, m_rounds, nullptr);
        source->checkExport(fresh, m_key, m_rounds);
        source.reset();
        restoreFrom(fresh);
    } catch (...) {
        QFile::remove(fresh);
        throw;
    }
    QFile::remove(fresh);
}

void Connection::raise(int rc, const QString& context) const {
    const int ext = m_db ? sqlite3_extended_errcode(m_db) : rc;
    QString msg = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("not open");
    if (!context.isEmpty())
        msg = context + QStringLiteral(": ") + msg;
    // A page that fails the cipher's check, or that is no page of a database: the
    // statement reads nothing of it, and the user is told the file is damaged.
    if ((ext & 0xff) == SQLITE_CORRUPT || (ext & 0xff) == SQLITE_NOTADB)
        throw DbError({ext, EngineSource, damagedText(m_path, msg)});
    if ((ext & 0xff) == SQLITE_BUSY || (ext & 0xff) == SQLITE_LOCKED)
        throw DbError({ext, EngineSource, inUseText(m_path)});
    if ((ext & 0xff) == SQLITE_READONLY && isReadOnly())
        throw DbError({ext, EngineSource, readOnlyText()});
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

namespace {

// Binds the literals of a translated statement as its parameters; the engine's code.
// Texts are copied (SQLITE_TRANSIENT) when the statement outlives the translation.
int bindParams(sqlite3_stmt* st, const std::vector<SqlParam>& params,
               sqlite3_destructor_type texts) {
    int idx = 1;
    for (const SqlParam& param : params) {
        int rc = SQLITE_OK;
        if (const auto* i = std::get_if<std::int64_t>(&param)) {
            rc = sqlite3_bind_int64(st, idx, *i);
        } else if (const auto* d = std::get_if<double>(&param)) {
            rc = sqlite3_bind_double(st, idx, *d);
        } else {
            const std::string& utf8 = std::get<std::string>(param);
            rc = sqlite3_bind_text(st, idx, utf8.data(), int(utf8.size()), texts);
        }
        if (rc != SQLITE_OK)
            return rc;
        ++idx;
    }
    return SQLITE_OK;
}

// The current row of a stepped statement as values.
void readRow(sqlite3_stmt* st, int cols, std::vector<QVariant>& row) {
    row.clear();
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
}

} // namespace

Translation Connection::translated(const QString& sql) const {
    requireOpen();
    // Statements after the engine ended the transaction would each commit on their own.
    if (transactionLost())
        throw DbError({SQLITE_ABORT_ROLLBACK, EngineSource, TransactionLostText()});
    return JetTranslator::translate(sql);
}

RowSet Connection::rowSetOf(const QString& sql, std::shared_ptr<const QStringList> columns) {
    RowSet rs;
    rs.m_cnn = this;
    rs.m_sql = sql;
    rs.m_open = true;
    rs.m_names = std::move(columns);
    return rs;
}

RowSet Connection::execute(const QString& sql) {
    return executeTranslated(translated(sql), sql);
}

RowSet Connection::execute(const Translation& t) {
    requireOpen();
    if (transactionLost())
        throw DbError({SQLITE_ABORT_ROLLBACK, EngineSource, TransactionLostText()});
    return executeTranslated(t, QString());
}

RowSet Connection::executeTranslated(const Translation& t, const QString& sql) {
    const Prepared& p = prepared(t.sql);
    sqlite3_stmt* st = p.statement;
    if (const int rc = bindParams(st, t.params, SQLITE_STATIC); rc != SQLITE_OK) {
        sqlite3_clear_bindings(st);
        raise(rc);
    }
    RowSet rs = rowSetOf(sql, p.columns);
    const int cols = int(p.columns->size());
    clearVectorUppers();
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        std::vector<QVariant> row;
        readRow(st, cols, row);
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

RowSet Connection::stream(const QString& sql) {
    const Translation t = translated(sql);
    // The shape's column names come from the cache; the stream steps a statement of its
    // own, so the cached one stays free for the statements run while it is walked.
    const std::shared_ptr<const QStringList> columns = prepared(t.sql).columns;
    auto s = std::make_shared<RowStream>();
    s->cnn = this;
    if (const int rc =
            sqlite3_prepare_v2(m_db, t.sql.data(), int(t.sql.size()), &s->statement, nullptr);
        rc != SQLITE_OK)
        raise(rc);
    if (const int rc = bindParams(s->statement, t.params, SQLITE_TRANSIENT); rc != SQLITE_OK)
        raise(rc);
    std::erase_if(m_streams, [](const std::weak_ptr<RowStream>& w) { return w.expired(); });
    m_streams.push_back(s);
    RowSet rs = rowSetOf(sql, columns);
    rs.m_stream = s;
    stepStream(*s);
    s->position = 0; // the first row read is row 0
    return rs;
}

void Connection::readStreamRow(RowStream& s) const {
    if (!s.read && !s.atEnd)
        readRow(s.statement, sqlite3_column_count(s.statement), s.row);
    s.read = true;
}

void Connection::stepStream(RowStream& s) {
    s.requireLive();
    clearVectorUppers();
    const int rc = sqlite3_step(s.statement);
    s.row.clear();
    s.read = false; // the row's values are made when they are asked for
    if (rc == SQLITE_ROW) {
        ++s.position;
        return;
    }
    if (rc == SQLITE_DONE) {
        s.atEnd = true;
        ++s.position;
        return;
    }
    // The engine's error of this statement, then the stream is of no more use.
    try {
        raise(sqlite3_reset(s.statement));
    } catch (...) {
        s.end();
        throw;
    }
}

void Connection::endStreams() {
    for (const std::weak_ptr<RowStream>& w : m_streams)
        if (const std::shared_ptr<RowStream> s = w.lock())
            s->end();
    m_streams.clear();
}

int Connection::changes() const {
    return m_db ? sqlite3_changes(m_db) : 0;
}

void Connection::beginTrans() {
    requireIdle(QStringLiteral("A database transaction is already open."));
    if (isReadOnly())
        throw DbError({SQLITE_READONLY, EngineSource, readOnlyText()});
    endStreams();
    // The write lock is taken at once, waiting for another program that holds it, so a
    // command never finds the books taken from under it half-way.
    QString error;
    if (!execRaw(m_db, QStringLiteral("BEGIN IMMEDIATE"), &error))
        raise(sqlite3_errcode(m_db), QStringLiteral("BeginTrans"));
    m_inTrans = true;
}

void Connection::commitTrans() {
    if (!inTransaction())
        throw DbError({SQLITE_MISUSE, EngineSource,
                       QStringLiteral("There is no database transaction to commit.")});
    endStreams();
    QString error;
    if (!execRaw(m_db, QStringLiteral("COMMIT"), &error))
        raise(sqlite3_errcode(m_db), QStringLiteral("CommitTrans"));
    m_inTrans = false;
    emit commitTransComplete();
}

void Connection::rollbackTrans() {
    if (!m_db)
        return;
    endStreams();
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
    endStreams();
    finalizeAll();
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void Connection::setReferenceChecks(bool on) {
    requireIdle(QStringLiteral(
        "The reference checks cannot be changed while a database transaction is open."));
    if (!execRaw(m_db, on ? QStringLiteral("PRAGMA foreign_keys=ON")
                          : QStringLiteral("PRAGMA foreign_keys=OFF")))
        raise(sqlite3_errcode(m_db), QStringLiteral("foreign_keys"));
}

ReferenceChecksOff::ReferenceChecksOff(Connection& cnn) : m_cnn(cnn) {
    // inside a transaction (the command will refuse to begin its own) they stay on
    if (m_cnn.isOpen() && !m_cnn.inTransaction()) {
        m_cnn.setReferenceChecks(false);
        m_off = true;
    }
}

ReferenceChecksOff::~ReferenceChecksOff() {
    // the command's guard has ended its transaction; a closed connection opens again
    // with the checks on
    try {
        if (m_off && m_cnn.isOpen() && !m_cnn.inTransaction())
            m_cnn.setReferenceChecks(true);
    } catch (const DbError&) {
    }
}

TransactionGuard::~TransactionGuard() {
    if (m_cnn.inTransaction())
        m_cnn.rollbackTrans();
}

} // namespace zelk
