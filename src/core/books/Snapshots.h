#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <future>
#include <memory>
#include <stdexcept>
#include <vector>

namespace zelk {
class Connection;
}

// Snapshots: before a step that rewrites the books, a consistent copy of the whole
// database goes to the Backups folder beside the file, encrypted with the same key and
// key derivation: the file's bytes, copied under a reader's lock (no writer is in the
// middle of its journal meanwhile). The newest ones are kept. The windows and the command
// line call these functions.
namespace zelk::snapshots {

enum class Step { NewCompany, EndYear, RevertEndYear, Restore, Import, ChangePassphrase, Upgrade };

constexpr int Kept = 20;

// "new-company", "end-year", "revert-end-year", "restore", "import",
// "change-passphrase", "upgrade": the end of the file name.
QString stepKey(Step step);
// "New Company", "End Year", "Revert End Year", "Restore", "Import", "Change
// Passphrase", "Upgrade": for messages and the list.
QString stepCaption(Step step);

// The folder of the snapshots of the books in cnn: Backups beside the file.
QString folderOf(const Connection& cnn);

// Removes what a snapshot cut short left in folder (its .part file and journal).
void clearUnfinished(const QString& folder);

// The snapshots taken before step, newest first.
QStringList takenBefore(const Connection& cnn, Step step);

// A snapshot that could not be written; the message names the file and the reason.
class SnapshotError : public std::runtime_error {
public:
    explicit SnapshotError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// Writes Backups/Zelk-yyyy-MM-dd-HHmmss-before-<step>.mdb (a "-2", "-3"… before the
// ending when that name is taken), then deletes all but the newest Kept snapshots of each
// kind of step.
// Returns the new file's path. Throws SnapshotError, leaving no partial file behind.
QString take(Connection& cnn, Step step, const QDateTime& when = QDateTime::currentDateTime());

// The snapshot before a step, as the step asks for it: false when it failed, after
// telling the user why and that the step has not been started.
bool takeBefore(Connection& cnn, Step step);

// A snapshot before a step that writes in one database transaction, taken while the
// step prepares its writes: the books' bytes are copied when it starts (under a reader's
// lock, before any write), then put on the disk, named and the old ones pruned on a
// thread of its own. The step calls finish before it commits.
class Taking {
public:
    // Copies the books; throws SnapshotError, leaving no partial file behind.
    Taking(Connection& cnn, Step step);
    ~Taking(); // waits for the thread
    Taking(const Taking&) = delete;
    Taking& operator=(const Taking&) = delete;
    // Waits until the snapshot is whole under its name: false when it failed, after
    // telling the user why and that the step has not been started (it must not commit).
    bool finish();
    const QString& path() const { return m_path; }

private:
    Step m_step;
    QString m_path;
    std::future<void> m_done;
};

// The snapshot before a step, started as the step asks for it: null when it failed,
// after telling the user why and that the step has not been started.
std::unique_ptr<Taking> startBefore(Connection& cnn, Step step);

// One file of the Backups folder, as the restore window lists it.
struct Snapshot {
    QString path;
    QDateTime when;
    QString step; // the step's caption
    qint64 size = 0;
    bool usable = false;     // it opens with a key known here and holds a Zelk database
    bool programKey = false; // it opens with the program's own key and not the books'
    bool otherKey = false;   // it opens with neither: restorable given its passphrase
    QString company;         // the company's name, when usable
    int year = 0;            // the open fiscal year, when usable
    QString problem;         // why it cannot be restored, when not usable
};

// The snapshots in the Backups folder of the books in cnn, newest first. One that the
// books' key does not open is tried with the program's own key.
std::vector<Snapshot> list(const Connection& cnn);

// Tries the passphrase (UTF-8) on a snapshot encrypted with another key: true when it
// opens, the snapshot then usable with its company and year.
bool unlock(const Connection& cnn, Snapshot& snapshot, const QByteArray& passphrase);

// Replaces the books with a usable snapshot: every page of it is read first (a damaged
// one is refused), the current books are snapshotted ("before-restore"), then the
// engine copies it into the books' file in one transaction. A snapshot under another
// key (the program's own, or the passphrase given) is restored encrypted with the books'
// current key. Throws SnapshotError with the books unchanged. A snapshot of an earlier
// schema version is upgraded once restored.
void restore(Connection& cnn, const Snapshot& snapshot, const QByteArray& passphrase = {});

// Brings books of an earlier schema version to the current one: a snapshot
// ("before-upgrade") first, then the new tables in one database transaction. Nothing
// happens to books of the current version. Throws SnapshotError (nothing changed) or
// DbError (the upgrade rolled back; the snapshot stays).
void upgradeBooks(Connection& cnn);

} // namespace zelk::snapshots
