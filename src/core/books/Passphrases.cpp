#include "Passphrases.h"

#include "Snapshots.h"
#include "core/data/Connection.h"
#include "core/data/UserPorts.h"

#include <QDir>

namespace zelk {

namespace {

// Opened books start clean of what a snapshot killed while it was written left behind.
std::unique_ptr<Connection> opened(std::unique_ptr<Connection> cnn) {
    snapshots::clearUnfinished(snapshots::folderOf(*cnn));
    return cnn;
}

// Books of an earlier schema version are upgraded as they are opened; nothing when that
// fails, with the reason in failure.
std::unique_ptr<Connection> upgraded(std::unique_ptr<Connection> cnn, QString& failure) {
    if (cnn->isReadOnly()) // read as they are: nothing may be written into them
        return cnn;
    try {
        snapshots::upgradeBooks(*cnn);
        return cnn;
    } catch (const snapshots::SnapshotError& e) {
        failure = QStringLiteral("The books could not be upgraded to this version of Zelk; "
                                 "nothing has been changed.\n") +
                  e.message();
    } catch (const DbError& e) {
        failure = QStringLiteral("The books could not be upgraded to this version of Zelk: "
                                 "%1\nThey are as they were.")
                      .arg(e.record().description);
    }
    return nullptr;
}

} // namespace

std::unique_ptr<Connection> openBooks(const QString& books, PassphrasePrompt& prompt,
                                      QString& failure, OpenMode mode) {
    failure.clear();
    const QString file = Connection::booksFile(books);
    try {
        return upgraded(opened(Connection::openFile(file, {}, mode)), failure);
    } catch (const WrongKeyError&) {
        // encrypted with a passphrase of the user's: asked for below
    } catch (const OpenError& e) {
        failure = e.message();
        return nullptr;
    }
    const QString path = QDir::toNativeSeparators(file);
    QString note;
    for (int tries = 0; tries < PassphraseTries; ++tries) {
        std::optional<QByteArray> passphrase = prompt.askPassphrase(path, note);
        if (!passphrase)
            return nullptr;
        note = QStringLiteral("Wrong passphrase.");
        if (passphrase->isEmpty()) // the program's own key was tried first
            continue;
        try {
            std::unique_ptr<Connection> cnn = Connection::openFile(file, *passphrase);
            wipeSecret(*passphrase);
            return upgraded(opened(std::move(cnn)), failure);
        } catch (const WrongKeyError&) {
            wipeSecret(*passphrase);
        } catch (const OpenError& e) {
            wipeSecret(*passphrase);
            failure = e.message();
            return nullptr;
        }
    }
    failure = QStringLiteral("The database file %1 does not open with the passphrases given "
                             "(or its first page is damaged, which looks the same).")
                  .arg(path);
    return nullptr;
}

bool ChangePassphrase(Connection& cnn, PassphraseChange& input) {
    const QString title = QLatin1String(ChangePassphraseTitle);
    QByteArray current = input.current.toUtf8();
    QByteArray first = input.first.toUtf8();
    const bool same = input.first == input.second;
    wipeSecret(input.current);
    wipeSecret(input.first);
    wipeSecret(input.second);
    struct Wipe {
        QByteArray& a;
        QByteArray& b;
        ~Wipe() {
            wipeSecret(a);
            wipeSecret(b);
        }
    } wipe{current, first};

    if (!cnn.usesProgramKey() && !cnn.keyIs(current)) {
        ui().messageBox(QStringLiteral("The current passphrase is wrong. Nothing has been "
                                       "changed."),
                        title);
        return false;
    }
    if (!same) {
        ui().messageBox(QStringLiteral("The two new passphrases differ. Nothing has been "
                                       "changed."),
                        title);
        return false;
    }
    if (first.isEmpty() && cnn.usesProgramKey()) {
        ui().messageBox(QStringLiteral("The file already uses the program's own key. Nothing "
                                       "has been changed."),
                        title);
        return false;
    }
    if (!first.isEmpty() && input.accept && !input.accept(first))
        return false;
    if (!snapshots::takeBefore(cnn, snapshots::Step::ChangePassphrase))
        return false;
    try {
        cnn.rekey(first);
    } catch (const DbError& e) {
        ui().messageBox(QStringLiteral("The passphrase could not be changed: %1\nThe file "
                                       "still opens with the old passphrase.")
                            .arg(e.record().description),
                        title);
        return false;
    } catch (const OpenError& e) {
        ui().messageBox(e.message(), title);
        return false;
    }
    ui().messageBox(first.isEmpty()
                        ? QStringLiteral("Done: the file uses the program's own key again, "
                                         "and opens without a passphrase.")
                        : QStringLiteral("Done: the file is encrypted with the new passphrase. "
                                         "Zelk asks for it at start-up; a forgotten "
                                         "passphrase cannot be recovered. The snapshots "
                                         "taken before keep the key they had: Restore "
                                         "Snapshot asks for it."),
                    title);
    return true;
}

} // namespace zelk
