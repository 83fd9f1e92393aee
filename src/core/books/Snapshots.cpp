#include "Snapshots.h"

#include "core/data/Connection.h"
#include "core/data/Schema.h"
#include "core/data/UserPorts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>

namespace zelk::snapshots {

namespace {

const Step AllSteps[] = {Step::NewCompany, Step::EndYear, Step::RevertEndYear,
                         Step::Restore,    Step::Import,  Step::ChangePassphrase,
                         Step::Upgrade};

// Zelk-2004-03-31-235959-before-end-year.mdb, or …-before-end-year-2.mdb
const QRegularExpression& namePattern() {
    static const QRegularExpression re(
        QStringLiteral("^Zelk-(\\d{4}-\\d{2}-\\d{2}-\\d{6})-before-([a-z-]+?)(?:-(\\d+))?\\.mdb$"));
    return re;
}

struct Named {
    QString path;
    QDateTime when;
    QDateTime written; // orders the snapshots of one second
    QString key;
};

// The snapshots of the folder by name, newest first.
std::vector<Named> snapshotFiles(const QString& folder) {
    std::vector<Named> out;
    const QDir dir(folder);
    for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("Zelk-*.mdb")}, QDir::Files)) {
        const QRegularExpressionMatch m = namePattern().match(info.fileName());
        if (!m.hasMatch())
            continue;
        Named n;
        n.path = info.filePath();
        n.when = QDateTime::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd-HHmmss"));
        n.written = info.lastModified();
        n.key = m.captured(2);
        if (n.when.isValid())
            out.push_back(n);
    }
    std::sort(out.begin(), out.end(), [](const Named& a, const Named& b) {
        return a.when != b.when ? a.when > b.when : a.written > b.written;
    });
    return out;
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

QString stepKey(Step step) {
    switch (step) {
    case Step::NewCompany:
        return QStringLiteral("new-company");
    case Step::EndYear:
        return QStringLiteral("end-year");
    case Step::RevertEndYear:
        return QStringLiteral("revert-end-year");
    case Step::Restore:
        return QStringLiteral("restore");
    case Step::Import:
        return QStringLiteral("import");
    case Step::ChangePassphrase:
        return QStringLiteral("change-passphrase");
    case Step::Upgrade:
        return QStringLiteral("upgrade");
    }
    return {};
}

QString stepCaption(Step step) {
    switch (step) {
    case Step::NewCompany:
        return QStringLiteral("New Company");
    case Step::EndYear:
        return QStringLiteral("End Year");
    case Step::RevertEndYear:
        return QStringLiteral("Revert End Year");
    case Step::Restore:
        return QStringLiteral("Restore");
    case Step::Import:
        return QStringLiteral("Import");
    case Step::ChangePassphrase:
        return QStringLiteral("Change Passphrase");
    case Step::Upgrade:
        return QStringLiteral("Upgrade");
    }
    return {};
}

QString folderOf(const Connection& cnn) {
    // Books of another name in the same folder keep their snapshots apart.
    const QFileInfo books(cnn.filePath());
    const QString backups = books.absoluteDir().filePath(QStringLiteral("Backups"));
    if (books.fileName().compare(QLatin1String(Connection::FileName), Qt::CaseInsensitive) == 0)
        return backups;
    return QDir(backups).filePath(books.completeBaseName());
}

void clearUnfinished(const QString& folder) {
    const QDir dir(folder);
    for (const QString& name : dir.entryList(
             {QStringLiteral("Zelk-*.mdb.part"), QStringLiteral("Zelk-*.mdb.part-journal")},
             QDir::Files))
        QFile::remove(dir.filePath(name));
}

QStringList takenBefore(const Connection& cnn, Step step) {
    QStringList paths;
    for (const Named& n : snapshotFiles(folderOf(cnn)))
        if (n.key == stepKey(step))
            paths << n.path;
    return paths;
}

namespace {

QString partOf(const QString& path) {
    return path + QStringLiteral(".part");
}

void removePart(const QString& path) {
    QFile::remove(partOf(path));
    QFile::remove(partOf(path) + QStringLiteral("-journal"));
}

// Deletes all but the newest Kept snapshots of each kind of step, so that a step taken
// every day does not push out the one before a step taken once a year.
void prune(const QString& folder) {
    QHash<QString, int> kept;
    for (const Named& n : snapshotFiles(folder))
        if (++kept[n.key] > Kept)
            QFile::remove(n.path);
    clearUnfinished(folder);
}

// The snapshot's file written under a name no list shows (its path + ".part"), its
// bytes perhaps not yet on the disk. Returns the name it is to be given.
QString copy(Connection& cnn, Step step, const QDateTime& when) {
    const QString folder = folderOf(cnn);
    if (!QDir().mkpath(folder))
        throw SnapshotError(QStringLiteral("The folder %1 cannot be made.").arg(shown(folder)));
    const QString stem = QStringLiteral("Zelk-") +
                         when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")) +
                         QStringLiteral("-before-") + stepKey(step);
    const QDir dir(folder);
    QString path = dir.filePath(stem + QStringLiteral(".mdb"));
    for (int serial = 2; QFileInfo::exists(path); ++serial)
        path = dir.filePath(stem + QStringLiteral("-%1.mdb").arg(serial));
    removePart(path);
    try {
        cnn.backupTo(partOf(path), Connection::Sync::ByCaller);
    } catch (const DbError& e) {
        removePart(path);
        throw SnapshotError(
            QStringLiteral("%1 could not be written: %2").arg(shown(path), e.record().description));
    }
    return path;
}

// The copied snapshot's bytes put on the disk, then given its own name, and (pruning)
// the old ones deleted: it needs nothing of the books' connection.
void complete(const QString& path, bool pruning = true) {
    try {
        Connection::syncFile(partOf(path));
    } catch (const DbError& e) {
        removePart(path);
        throw SnapshotError(
            QStringLiteral("%1 could not be written: %2").arg(shown(path), e.record().description));
    }
    if (!QFile::rename(partOf(path), path)) {
        removePart(path);
        throw SnapshotError(
            QStringLiteral("%1 could not be written: the file could not be given its name.")
                .arg(shown(path)));
    }
    if (pruning)
        prune(QFileInfo(path).absolutePath());
}

// Tells the user why the snapshot before step failed, and that nothing was changed.
void tellFailure(Step step, const SnapshotError& e) {
    ui().messageBox(QStringLiteral("The snapshot of the books before %1 failed.\n%2\n%1 has "
                                   "not been started; nothing has been changed.")
                        .arg(stepCaption(step), e.message()),
                    stepCaption(step));
}

} // namespace

QString take(Connection& cnn, Step step, const QDateTime& when) {
    const QString path = copy(cnn, step, when);
    complete(path);
    return path;
}

Taking::Taking(Connection& cnn, Step step)
    : m_step(step), m_path(copy(cnn, step, QDateTime::currentDateTime())) {
    m_done = std::async(std::launch::async, [path = m_path] { complete(path); });
}

Taking::~Taking() {
    if (m_done.valid())
        m_done.wait();
}

bool Taking::finish() {
    try {
        m_done.get();
        return true;
    } catch (const SnapshotError& e) {
        tellFailure(m_step, e);
        return false;
    }
}

std::unique_ptr<Taking> startBefore(Connection& cnn, Step step) {
    if (cnn.isReadOnly()) { // the step would be refused: said before anything is copied
        ui().messageBox(cnn.readOnlyText(), stepCaption(step));
        return nullptr;
    }
    try {
        return std::make_unique<Taking>(cnn, step);
    } catch (const SnapshotError& e) {
        tellFailure(step, e);
        return nullptr;
    }
}

bool takeBefore(Connection& cnn, Step step) {
    if (cnn.isReadOnly()) { // the step would be refused: said before anything is copied
        ui().messageBox(cnn.readOnlyText(), stepCaption(step));
        return false;
    }
    try {
        take(cnn, step);
        return true;
    } catch (const SnapshotError& e) {
        tellFailure(step, e);
        return false;
    }
}

namespace {

// Reads the company of a snapshot opened with key (the books' own when null); false
// when the key does not open it.
bool readSnapshot(const Connection& cnn, Snapshot& s, const QByteArray* key) {
    try {
        std::unique_ptr<Connection> snap =
            key ? cnn.openSnapshot(s.path, false, *key) : cnn.openSnapshot(s.path, false);
        RowSet company =
            snap->execute(QStringLiteral("SELECT Name, CurrentPeriodYear FROM SYS_Company"));
        if (company.eof()) {
            s.problem = QStringLiteral("damaged: no company row");
        } else {
            s.company = company.text(QStringLiteral("Name"));
            s.year = int(company.integer(QStringLiteral("CurrentPeriodYear")));
            s.usable = true;
            s.problem.clear();
        }
    } catch (const WrongKeyError&) {
        s.problem = QStringLiteral("encrypted with another key");
        return false;
    } catch (const OpenError&) {
        s.problem = QStringLiteral("damaged, or not a Zelk database");
    } catch (const DbError&) {
        s.problem = QStringLiteral("damaged, or not a Zelk database");
    }
    return true;
}

} // namespace

std::vector<Snapshot> list(const Connection& cnn) {
    std::vector<Snapshot> out;
    for (const Named& n : snapshotFiles(folderOf(cnn))) {
        Snapshot s;
        s.path = n.path;
        s.when = n.when;
        s.size = QFileInfo(n.path).size();
        s.step = n.key;
        for (Step step : AllSteps)
            if (stepKey(step) == n.key)
                s.step = stepCaption(step);
        if (!readSnapshot(cnn, s, nullptr)) {
            const QByteArray programKey;
            if (!cnn.usesProgramKey() && readSnapshot(cnn, s, &programKey))
                s.programKey = true;
            else
                s.otherKey = true;
        }
        out.push_back(s);
    }
    return out;
}

bool unlock(const Connection& cnn, Snapshot& snapshot, const QByteArray& passphrase) {
    if (passphrase.isEmpty() || !readSnapshot(cnn, snapshot, &passphrase))
        return false;
    return snapshot.usable;
}

void restore(Connection& cnn, const Snapshot& snapshot, const QByteArray& passphrase) {
    const QString name = shown(snapshot.path);
    // The books' own key unless the snapshot has another.
    const bool ownKey = !snapshot.programKey && passphrase.isEmpty();
    const QByteArray key = snapshot.programKey ? QByteArray() : passphrase;
    try {
        // every page read: a damaged copy is refused
        if (ownKey)
            cnn.openSnapshot(snapshot.path, true);
        else
            cnn.openSnapshot(snapshot.path, true, key);
    } catch (const WrongKeyError&) {
        throw SnapshotError(
            QStringLiteral("%1 is encrypted with another key and cannot be restored.").arg(name));
    } catch (const OpenError& e) {
        throw SnapshotError(e.message() + QStringLiteral(" It cannot be restored."));
    }
    // the old ones are pruned only afterwards, so the chosen one is still there
    complete(copy(cnn, Step::Restore, QDateTime::currentDateTime()), false);
    try {
        if (ownKey)
            cnn.restoreFrom(snapshot.path);
        else
            cnn.restoreFrom(snapshot.path, key);
    } catch (const DbError& e) {
        throw SnapshotError(QStringLiteral("The books could not be replaced with %1: %2\nThe "
                                           "books are as they were.")
                                .arg(name, e.record().description));
    }
    prune(folderOf(cnn));
    upgradeBooks(cnn);
}

void upgradeBooks(Connection& cnn) {
    if (cnn.schemaVersion() >= schema::CurrentVersion)
        return;
    take(cnn, Step::Upgrade);
    cnn.upgradeSchema();
}

} // namespace zelk::snapshots
