#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "core/data/Connection.h"

namespace zelk {

// The small window that asks for the passphrase of the books at start-up.
class PassphrasePrompt {
public:
    virtual ~PassphrasePrompt() = default;
    // Shows the file's path and the note ("Wrong passphrase." after a wrong one, empty
    // at first). The passphrase typed (UTF-8), or nothing when the user cancelled.
    virtual std::optional<QByteArray> askPassphrase(const QString& path, const QString& note) = 0;
};

constexpr int PassphraseTries = 3;

// Opens the books (a file, or Zelk.mdb in a folder) as start-up does: first with the
// program's own key (creating the file when it is missing); a file encrypted with another
// key makes the prompt ask for the passphrase, up to three times. Returns nothing when
// the books are not opened: failure is then the message for the user, or empty when the
// user cancelled. The passphrases typed are wiped once tried. ExistingOnly: missing books
// are not created. What a snapshot cut short left in Backups is removed once the books
// are open.
std::unique_ptr<Connection> openBooks(const QString& books, PassphrasePrompt& prompt,
                                      QString& failure, OpenMode mode = OpenMode::CreateIfMissing);

// What Change Passphrase gathers.
struct PassphraseChange {
    QString current; // ignored while the file uses the program's own key
    QString first;   // the new passphrase; empty goes back to the program's key
    QString second;  // the new passphrase again
    // Asked about a new passphrase (UTF-8) once the input is right, before anything is
    // changed: false leaves everything as it is. None: no question.
    std::function<bool(const QByteArray&)> accept = nullptr;
};

constexpr const char* ChangePassphraseTitle = "Change Passphrase";

// Checks the input, takes a snapshot and re-keys the books; every answer is told in a
// message box titled "Change Passphrase". True when the file now has the new key. The
// texts of input are wiped whatever happens.
bool ChangePassphrase(Connection& cnn, PassphraseChange& input);

} // namespace zelk
