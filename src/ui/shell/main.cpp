#include "QtUserInterface.h"
#include "core/books/BooksLocation.h"
#include "core/data/Connection.h"
#include "core/data/UserPorts.h"
#include "modMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelk"));
    // The desktop entry the window belongs to (its icon and name in the task bar).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zelk.Zelk"));
    QCommandLineParser args;
    args.setApplicationDescription(QStringLiteral("Zelk, a double-entry general ledger."));
    args.addHelpOption();
    args.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("The books to open: their file, or the folder holding Zelk.mdb (made when "
                       "missing). Without it: Zelk.mdb beside the program, or the books opened "
                       "last."));
    args.process(app);
    QtUserInterface dialogs;
    zelk::setUserInterface(&dialogs);
    zelk::setProgramFolder(QCoreApplication::applicationDirPath());
    QString books;
    if (!args.positionalArguments().isEmpty()) {
        books = zelk::Connection::booksFile(args.positionalArguments().first());
    } else {
        books = zelk::books::defaultBooks();
        QDir().mkpath(QFileInfo(books).absolutePath()); // a first start: Documents/Zelk
    }
    const int rc = modMain::Main(books);
    if (rc != 0)
        return rc;
    return app.exec();
}
