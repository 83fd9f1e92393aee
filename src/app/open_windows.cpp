#include "WindowCommands.h"
#include "frmAbout.h"
#include "frmCheckBooks.h"
#include "frmPassphrase.h"
#include "frmRestoreSnapshot.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace zelk::windows {

void openAbout(QWidget* parent) {
    frmAbout dlg(parent);
    dlg.exec();
}

void openHelp(QWidget* parent) {
    frmHelp dlg(parent);
    dlg.exec();
}

void openChangePassphrase(QWidget* parent) {
    frmChangePassphrase dlg(parent);
    dlg.exec();
}

void openCheckBooks(QWidget* parent) {
    frmCheckBooks dlg(parent);
    dlg.exec();
}

void openRestoreSnapshot(QWidget* parent, const std::function<bool()>& closeWindows) {
    frmRestoreSnapshot dlg(closeWindows, parent);
    dlg.exec();
}

void showChild(QMdiArea* area, QWidget* window) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* sub = area->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->show();
}

} // namespace zelk::windows
