#include "QtUserInterface.h"
#include "core/data/UserPorts.h"
#include "modMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelk"));
    QtUserInterface dialogs;
    zelk::setUserInterface(&dialogs);
    zelk::setProgramFolder(QCoreApplication::applicationDirPath());
    const int rc = modMain::Main();
    if (rc != 0)
        return rc;
    return app.exec();
}
