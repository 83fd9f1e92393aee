#include "UserPorts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <stdexcept>

namespace zelk {

namespace {
UserInterface* g_ui = nullptr;
QString g_programFolder;
} // namespace

UserInterface& ui() {
    if (!g_ui)
        throw std::logic_error("no user interface installed");
    return *g_ui;
}

void setUserInterface(UserInterface* u) {
    g_ui = u;
}

QString programFolder() {
    if (g_programFolder.isEmpty() && QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return g_programFolder;
}

void setProgramFolder(const QString& folder) {
    g_programFolder = folder;
}

QString reportFolder() {
    const QString program = programFolder();
    if (QFileInfo(program).isWritable())
        return program;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(cache);
    return cache;
}

} // namespace zelk
