#include "frmCheckBooks.h"
#include "frmPassphrase.h"
#include "frmRestoreSnapshot.h"
#include "ui/widgets/WindowCommands.h"

// Menu commands that keep the books safe: the passphrase, the check and the snapshots.
namespace zelk::windows {

void openChangePassphrase(QWidget* parent) {
    showModal<frmChangePassphrase>(parent);
}

void openCheckBooks(QWidget* parent) {
    showModal<frmCheckBooks>(parent);
}

void openRestoreSnapshot(QWidget* parent, const std::function<bool()>& closeWindows) {
    frmRestoreSnapshot dlg(closeWindows, parent);
    dlg.exec();
}

} // namespace zelk::windows
