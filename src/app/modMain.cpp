#include "modMain.h"

#include "data/Connection.h"
#include "data/UserPorts.h"
#include "frmMain.h"
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
    try {
        s_cnn = zelk::Connection::open(zelk::programFolder());
    } catch (const zelk::OpenError& e) {
        std::fprintf(stderr, "%s\n", e.message().toLocal8Bit().constData());
        zelk::ui().messageBox(e.message(), zelk::appTitle());
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
