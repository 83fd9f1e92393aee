#pragma once

#include "Errors.h"
#include "JetTranslator.h"
#include "RowSet.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

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

// The file is an encrypted database that the key given does not open: another
// passphrase is needed (or, as the engine cannot tell the two apart, its first page is
// damaged).
class WrongKeyError : public OpenError {
public:
    using OpenError::OpenError;
};

// Whether opening creates missing books: a command that only reads never does.
enum class OpenMode { CreateIfMissing, ExistingOnly };

// The one connection to the encrypted database file. Statements are the system's own
// SQL texts; each is translated (JetTranslator) just before it runs, its literals bound
// as parameters, and its prepared form kept for the next statement of the same shape.
class Connection : public QObject {
    Q_OBJECT
public:
    static constexpr const char* FileName = "Zelk.mdb";

    // Opens <folder>/Zelk.mdb, creating it with the schema and reference rows when it
    // is missing. The key is the user's passphrase (UTF-8), or the program's own key
    // when it is empty. Throws WrongKeyError when the file is encrypted with another
    // key, OpenError when it cannot be created, is damaged, or is not a Zelk database.
    // ExistingOnly: a missing file is an OpenError ("There are no books at ...").
    static std::unique_ptr<Connection> open(const QString& folder,
                                            const QByteArray& passphrase = {},
                                            OpenMode mode = OpenMode::CreateIfMissing);
    // The same for books of any name: the file at path. A file that cannot be written,
    // or that lies in a folder that cannot be written (the engine's journal goes beside
    // it), is opened read-only: it is read as any other, and every write is refused with
    // the reason (readOnlyReason).
    static std::unique_ptr<Connection> openFile(const QString& path,
                                                const QByteArray& passphrase = {},
                                                OpenMode mode = OpenMode::CreateIfMissing);
    // The books a path names: the file itself (an existing file, or a missing one whose
    // name ends in .mdb), or Zelk.mdb in the folder it names.
    static QString booksFile(const QString& fileOrFolder);
    // Opens another Zelk database file (a snapshot) read-only with the key of this
    // connection, never creating it. thorough reads every page (the quick check), as the
    // books are read at start-up; without it the key and the tables are proved.
    std::unique_ptr<Connection> openSnapshot(const QString& path, bool thorough) const;
    // The same with another key: a passphrase (UTF-8), or the program's own when empty.
    std::unique_ptr<Connection> openSnapshot(const QString& path, bool thorough,
                                             const QByteArray& key) const;
    ~Connection() override;

    // Runs one statement or query; a query's rows come back as a snapshot.
    // Throws DbError (number = SQLite extended result code).
    RowSet execute(const QString& sql);
    // The same for a statement already translated (a shape whose translation is known,
    // its literals given as parameters); the row set keeps no text to read again.
    RowSet execute(const Translation& translation);
    // Rows of a query, read whole (the same as execute; named for readers of the code).
    RowSet openRowSet(const QString& sql) { return execute(sql); }
    // The rows of a query read one at a time as they are walked (a forward-only row
    // set), for runs and reports that walk them once in order. The first row is read
    // here, so a refused query throws DbError at once. The row set ends when a database
    // transaction begins or ends or the connection closes.
    RowSet stream(const QString& sql);
    // Rows changed by the last statement.
    int changes() const;

    // One database transaction at a time: a second BeginTrans is an error.
    void beginTrans();
    // Commits and then raises commitTransComplete (only after a successful commit).
    void commitTrans();
    void rollbackTrans();
    bool inTransaction() const;
    // Turns the engine's reference checks off or on again (they are on from opening).
    // The engine ignores the change inside a database transaction, so it is refused
    // there. Use ReferenceChecksOff.
    void setReferenceChecks(bool on);
    // The engine has ended the open database transaction by itself (a full disk, an I/O
    // error, no memory, a rollback raised by a trigger): everything since BeginTrans is
    // undone, and nothing more runs until the command rolls back.
    bool transactionLost() const;

    // The engine's full check of every page and index (PRAGMA integrity_check).
    // keepGoing is called now and then while it runs; returning false stops it.
    struct IntegrityResult {
        bool cancelled = false;
        QStringList problems; // empty: the file is sound
    };
    IntegrityResult checkIntegrity(const std::function<bool()>& keepGoing);

    // The schema version of the file (PRAGMA user_version; schema::CurrentVersion for a
    // new file). A file of a newer version does not open.
    int schemaVersion() const { return m_version; }
    // Brings books of an earlier version to the current one, adding the tables of each
    // later version, in one database transaction: a failure leaves them as they were and
    // throws DbError. The caller takes the snapshot first (books::upgradeBooks).
    void upgradeSchema();

    void close();
    bool isOpen() const { return m_db != nullptr; }
    const QString& filePath() const { return m_path; }
    // Opened read-only, and why ("the file … cannot be written"); empty when writable.
    bool isReadOnly() const { return !m_readOnlyReason.isEmpty(); }
    const QString& readOnlyReason() const { return m_readOnlyReason; }
    // "The books … can only be read: the folder … cannot be written. Nothing was changed."
    QString readOnlyText() const;

    // Another program holding the books: a statement waits for it up to this long, telling
    // the user interface once (UserInterface::notice), then fails with the in-use message.
    static constexpr int BusyWaitMs = 10000;
    static int busyWaitMs();
    static void setBusyWaitMs(int ms); // tests shorten the wait
    // Whether another program has committed changes to the books since the last call
    // (the engine's data version); the first call after opening only takes note. Never
    // inside a database transaction.
    bool changedElsewhere();

    // How many distinct statement shapes were prepared since opening.
    int preparedCount() const { return m_prepareCount; }

    // The file's key: the program's own until the user sets a passphrase.
    bool usesProgramKey() const { return m_key.isEmpty(); }
    // Whether passphrase (UTF-8) is the file's key; compared in constant time.
    bool keyIs(const QByteArray& passphrase) const;

    // The key derivation (rounds of PBKDF2-HMAC-SHA1, the engine's only one) turns a key
    // into the cipher's key, once per opening. A passphrase of the user's gets rounds
    // that cost a guessing program about a second of a core per guess; the program's own
    // key, which is no secret, keeps the engine's fast default, and so do books given a
    // passphrase before (they open with either).
    static constexpr int PassphraseRounds = 1300000;
    static constexpr int DefaultRounds = 64000;
    // The rounds new passphrase files get: PassphraseRounds, unless a test has lowered
    // them to keep its runs short.
    static int passphraseRounds();
    static void setPassphraseRounds(int rounds);
    // The rounds of the open file's derivation.
    int keyRounds() const { return m_rounds; }

    // The steps of a change of key, told as it passes them; Exporting is told again and
    // again while the rows are copied.
    enum class RekeyStep { Exporting, Exported, Checked, Replaced };
    // Encrypts the books with a new key (empty: the program's own) and its derivation:
    // the engine copies them into a new file beside the books, the copy is read through
    // and counted against the books, and one rename puts it in place of the old file.
    // Other programs can neither read nor write the books meanwhile. A crash at any
    // moment leaves the old file or the new one, each opening with its own key. On
    // failure the file and the connection keep the old key and a DbError says why. Not
    // while a database transaction is open.
    void rekey(const QByteArray& passphrase,
               const std::function<void(RekeyStep)>& reached = nullptr);
    // Writes a consistent copy of the whole database to path, encrypted with the same
    // key and derivation (the file's bytes, copied under a reader's lock and synced).
    // Throws DbError; a failed copy may leave a partial file at path, which the caller
    // removes. Unsynced, the copy's bytes may still be on their way to the disk: the
    // caller syncs it (syncFile) before it counts on it.
    enum class Sync { Now, ByCaller };
    void backupTo(const QString& path, Sync sync = Sync::Now);
    // Waits until the bytes of the file at path are on the disk. Throws DbError.
    static void syncFile(const QString& path);
    // Replaces the books with the database in path (a copy made by backupTo with the
    // same key) in one engine transaction, then opens the file again and raises the
    // commit notification; a crash leaves either the old books or the new ones.
    void restoreFrom(const QString& path);
    // The same for a copy encrypted with another key (a passphrase, or the program's own
    // when empty): it is first written again under the books' key and derivation into
    // a file beside the books, read through and counted, and that file is restored.
    void restoreFrom(const QString& path, const QByteArray& key);

signals:
    void commitTransComplete();

private:
    friend class RowSet;
    Connection(QString path, QByteArray key);
    // The statement translated for the engine; throws DbError when nothing may run.
    Translation translated(const QString& sql) const;
    RowSet rowSetOf(const QString& sql, std::shared_ptr<const QStringList> columns);
    RowSet executeTranslated(const Translation& t, const QString& sql);
    // Reads the next row of a stream into it; throws DbError.
    void stepStream(RowStream& stream);
    // The values of a stream's current row, made once.
    void readStreamRow(RowStream& stream) const;
    // Ends every open stream (a database transaction begins or ends).
    void endStreams();
    // Throw DbError when the database is closed; the second also when a database
    // transaction is open, telling `busy`.
    void requireOpen() const;
    void requireIdle(const QString& busy) const;
    // Proves the key, the schema and the company row; thorough also reads every page.
    void openExisting(bool thorough, bool readOnly = false);
    // The export of rekey into the file fresh, and the check of what it wrote.
    void exportTo(const QString& fresh, const QByteArray& passphrase, int rounds,
                  const std::function<void(RekeyStep)>& reached);
    void checkExport(const QString& fresh, const QByteArray& passphrase, int rounds);
    struct Prepared {
        sqlite3_stmt* statement = nullptr;
        std::shared_ptr<const QStringList> columns;
    };
    const Prepared& prepared(const std::string& sql);
    [[noreturn]] void raise(int rc, const QString& context = {}) const;
    void finalizeAll();

    QString m_path;
    QByteArray m_key; // empty: the program's own key; wiped when the object goes
    sqlite3* m_db = nullptr;
    int m_pageSize = 0; // of the file's encrypted pages, known once it is open
    int m_version = 0;  // the schema version, known once it is open
    int m_rounds = 0;   // of the key derivation, known once it is open
    QString m_readOnlyReason;
    qint64 m_dataVersion = -1;
    std::unordered_map<std::string, Prepared> m_cache;
    std::vector<std::weak_ptr<RowStream>> m_streams;
    int m_prepareCount = 0;
    bool m_inTrans = false;
};

// Turns the reference checks off while it lives, for a command whose statements only
// move rows whose references were checked when they were written; made before the
// command's transaction begins, it turns them on again however the command ends.
class ReferenceChecksOff {
public:
    explicit ReferenceChecksOff(Connection& cnn);
    ~ReferenceChecksOff();
    ReferenceChecksOff(const ReferenceChecksOff&) = delete;
    ReferenceChecksOff& operator=(const ReferenceChecksOff&) = delete;

private:
    Connection& m_cnn;
    bool m_off = false;
};

// What the user is told when the engine has ended a command's transaction by itself.
QString TransactionLostText();

// Overwrites the bytes of a secret (a passphrase) and empties it. Copies that Qt has
// made elsewhere (a text box's own buffer) are beyond its reach.
void wipeSecret(QByteArray& secret);
void wipeSecret(QString& secret);

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
