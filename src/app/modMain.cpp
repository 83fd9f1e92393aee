#include "modMain.h"

#include "data/Connection.h"
#include "data/UserPorts.h"
#include "frmMain.h"
#include "frmPassphrase.h"
#include "frmToolWindow.h"

#include <QApplication>
#include <QPointer>
#include <cstdio>
#include <memory>

namespace modMain {

namespace {
std::unique_ptr<zelk::Connection> s_cnn;
QPointer<frmMain> s_main;
QPointer<frmToolWindow> s_tools;
} // namespace

int Main() {
    // The program's own key first; a file with a passphrase of the user's asks for it.
    PassphraseWindow prompt;
    QString failure;
    s_cnn = zelk::openBooks(zelk::programFolder(), prompt, failure);
    if (!s_cnn) {
        if (!failure.isEmpty()) { // empty: the user cancelled
            std::fprintf(stderr, "%s\n", failure.toLocal8Bit().constData());
            zelk::ui().messageBox(failure, zelk::appTitle());
        }
        return 1;
    }
    zelk::g_cnn = s_cnn.get();

    s_main = new frmMain;
    s_main->setAttribute(Qt::WA_DeleteOnClose);
    s_main->show();
    s_tools = new frmToolWindow(s_main);
    s_tools->show();
    return 0;
}

void CloseApplication(frmMain* mainWindow) {
    if (s_tools) {
        s_tools->close();
        delete s_tools;
    }
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        if (w != mainWindow && w->isVisible() && !w->inherits("QMenu"))
            w->close();
    if (s_cnn) {
        s_cnn->close();
        s_cnn.reset();
    }
    zelk::g_cnn = nullptr;
}

frmMain* mainWindow() {
    return s_main;
}
frmToolWindow* toolWindow() {
    return s_tools;
}

} // namespace modMain
