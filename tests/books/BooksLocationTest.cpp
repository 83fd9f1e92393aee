// Books kept where the user keeps them: the books a path names, the default ones, the
// recent list, the title, books that another program holds, and books that can only
// be read.
#include "core/books/BooksLocation.h"
#include "core/books/Snapshots.h"
#include "core/data/Connection.h"
#include "core/data/Errors.h"
#include "core/data/modDBUtil.h"
#include "core/lists/ListModel.h"
#include "support/Books.h"
#include "support/ChildJob.h"
#include "support/ScriptedUi.h"
#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zelk;

TEST(BooksLocation, APathNamesTheBooksAndTheDefaultKeepsACopiedProgramWorking) {
    QTemporaryDir dir;
    const QString d = dir.path();
    writeFile(d + "/acme.mdb", "x");
    QDir().mkpath(d + "/folder");
    struct Row {
        QString given, books;
    } rows[] = {
        {d + "/folder", d + "/folder/Zelk.mdb"},   // a folder: its Zelk.mdb
        {d + "/acme.mdb", d + "/acme.mdb"},        // a file of any name
        {d + "/new.MDB", d + "/new.MDB"},          // books to be made
        {d + "/missing", d + "/missing/Zelk.mdb"}, // not there, no .mdb: a folder
    };
    for (const Row& r : rows)
        EXPECT_EQ(Connection::booksFile(r.given), r.books) << r.given.toStdString();

    const QString documents = d + "/Documents";
    const QStringList recent{d + "/gone.mdb", d + "/acme.mdb"};
    // A program folder that can be written keeps its books beside it, as before.
    EXPECT_EQ(books::defaultBooks(d + "/folder", recent, documents), d + "/folder/Zelk.mdb");
    // Installed among the system's programs: the newest recent books still there, or on a
    // first start Zelk.mdb in Documents/Zelk.
    EXPECT_EQ(books::defaultBooks("/usr/bin", recent, documents), d + "/acme.mdb");
    EXPECT_EQ(books::defaultBooks("/usr/bin", {}, documents), documents + "/Zelk/Zelk.mdb");
}

TEST(BooksLocation, RecentBooksKeepTheNewestEightOnceEach) {
    QTemporaryDir dir;
    QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
    books::RecentBooks recent(settings);
    for (int i = 1; i <= 10; ++i)
        recent.add(dir.filePath(QStringLiteral("b%1.mdb").arg(i)));
    recent.add(dir.filePath("b5.mdb"));
    recent.remove(dir.filePath("b9.mdb"));
    QStringList expected;
    for (int i : {5, 10, 8, 7, 6, 4, 3})
        expected << dir.filePath(QStringLiteral("b%1.mdb").arg(i));
    EXPECT_EQ(recent.list(), expected);
}

TEST(BooksLocation, BooksOfAnotherNameHaveTheirOwnSnapshotsAndTitle) {
    ScriptedUi ui;
    TestDatabase db;
    Books(db).newCompany(4, 2026);
    db.exec("UPDATE SYS_Company SET Name = 'Birchwood Joinery Ltd'");
    const QString acmePath = QDir(db.folder()).filePath("acme.mdb");
    std::unique_ptr<Connection> acme = Connection::openFile(acmePath);
    EXPECT_EQ(acme->filePath(), acmePath);
    const QString first = snapshots::take(db.cnn(), snapshots::Step::Import);
    const QString second = snapshots::take(*acme, snapshots::Step::Import);
    EXPECT_EQ(QFileInfo(first).absolutePath(), db.folder() + "/Backups");
    EXPECT_EQ(QFileInfo(second).absolutePath(), db.folder() + "/Backups/acme");
    EXPECT_EQ(snapshots::list(db.cnn()).size(), 1u);
    EXPECT_EQ(snapshots::list(*acme).size(), 1u);

    EXPECT_EQ(books::booksTitle(db.cnn()),
              "Birchwood Joinery Ltd \u2014 2026 \u2014 " + db.filePath());
    EXPECT_TRUE(books::booksTitle(*acme).endsWith(" \u2014 " + acmePath))
        << books::booksTitle(*acme).toStdString();
}

// Another program writing the books: a command waits for it, telling the user once, and
// then says the books are in use; it never calls them damaged, and reading goes on.
TEST(BooksLocation, BooksInUseByAnotherProgramAreWaitedForThenRefused) {
    ScriptedUi ui;
    TestDatabase db;
    Books books(db);
    books.newCompany(1, 2026);
    books.addAccount("1000", 1);
    std::unique_ptr<Connection> other = Connection::openFile(db.filePath());
    other->beginTrans();
    other->execute(modDBUtil::InsertAccount("1001", "Other's", 1, ""));

    Connection::setBusyWaitMs(200);
    EXPECT_EQ(db.count("Ledger_Accounts"), 1) << "reading goes on while another writes";
    try {
        db.cnn().beginTrans();
        ADD_FAILURE() << "the books were taken while another program held them";
    } catch (const DbError& e) {
        EXPECT_EQ(e.description(), "The books " + db.filePath() +
                                       " are in use by another program; nothing was changed.");
    }
    ASSERT_EQ(ui.notices().size(), 1u);
    EXPECT_TRUE(ui.notices()[0].contains("waits up to 1 seconds")) << ui.notices()[0].toStdString();
    other->commitTrans();
    db.cnn().beginTrans(); // free again
    db.cnn().rollbackTrans();
    Connection::setBusyWaitMs(Connection::BusyWaitMs);
    EXPECT_EQ(db.count("Ledger_Accounts"), 2);
}

namespace {
// The child of the test below: opens the books as a user who may not write them (root
// may write anything, so a child running as root becomes nobody first) and prints what
// it could do.
void readAsSomebodyElse(const QString& path) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
        std::_Exit(5);
    ScriptedUi ui;
    std::unique_ptr<Connection> cnn = Connection::openFile(path, {}, OpenMode::ExistingOnly);
    std::printf("read only: %d\nreason: %s\naccounts: %d\n", cnn->isReadOnly() ? 1 : 0,
                qPrintable(cnn->readOnlyReason()),
                cnn->execute(modDBUtil::GetAccountList()).recordCount());
    try {
        cnn->beginTrans();
        std::printf("written\n");
    } catch (const DbError& e) {
        std::printf("refused: %s\n", qPrintable(e.description()));
    }
    std::printf("snapshot: %d\n", snapshots::takeBefore(*cnn, snapshots::Step::Import) ? 1 : 0);
    std::fflush(stdout);
    std::_Exit(0);
}
const bool childRegistered = registerChildJob("read-only", readAsSomebodyElse);
} // namespace

TEST(BooksLocation, BooksThatCannotBeWrittenAreReadAndSayWhyNothingIsWritten) {
    TestDatabase db;
    Books books(db);
    books.newCompany(1, 2026);
    books.addAccount("1000", 1);
    db.cnn().close();
    const QByteArray before = db.fileBytes();
    struct Row {
        mode_t file, folder;
        QString reason;
    } rows[] = {
        {0444, 0777, "the file " + db.filePath() + " cannot be written"},
        {0666, 0555, "the folder " + db.folder() + " cannot be written"},
    };
    for (const Row& r : rows) {
        ::chmod(QFile::encodeName(db.filePath()).constData(), r.file);
        ::chmod(QFile::encodeName(db.folder()).constData(), r.folder);
        QProcess child;
        startChildJob(child, "read-only", db.filePath());
        ASSERT_TRUE(child.waitForFinished(60000));
        const QString said = QString::fromUtf8(child.readAllStandardOutput());
        EXPECT_TRUE(said.contains("read only: 1\nreason: " + r.reason + "\naccounts: 1\n"))
            << said.toStdString() << child.readAllStandardError().toStdString();
        EXPECT_TRUE(said.contains("refused: The books " + db.filePath() +
                                  " can only be read: " + r.reason + ". Nothing was changed."))
            << said.toStdString();
        EXPECT_TRUE(said.contains("snapshot: 0")) << said.toStdString();
    }
    ::chmod(QFile::encodeName(db.folder()).constData(), 0700);
    ::chmod(QFile::encodeName(db.filePath()).constData(), 0600);
    EXPECT_EQ(db.fileBytes(), before);
    EXPECT_FALSE(QFileInfo::exists(db.folder() + "/Backups"));
}

// A list window open on the books never keeps another program from writing them: its
// statement is let go between pages, read on where it was, and the other program's
// commit is seen.
TEST(BooksLocation, AnOpenListLetsAnotherProgramWriteAndSeesItsCommit) {
    ScriptedUi ui;
    TestDatabase db;
    db.cnn().beginTrans();
    for (int i = 0; i < 600; ++i)
        db.exec(modDBUtil::InsertAccount(QStringLiteral("%1").arg(1000 + i), "A", 1, ""));
    db.cnn().commitTrans();
    EXPECT_FALSE(db.cnn().changedElsewhere()) << "the first look only takes note";
    ListModel list({{"No", 1000, "AccountNo", "AccountNo"}});
    list.setRowSet(db.cnn().stream(modDBUtil::GetAccountList()));
    ASSERT_TRUE(list.canFetchMore());
    QElapsedTimer rest;
    rest.start();
    while (rest.elapsed() < ListModel::ReleaseAfterMs + 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);

    Connection::setBusyWaitMs(200);
    std::unique_ptr<Connection> other = Connection::openFile(db.filePath());
    other->beginTrans();
    other->execute(modDBUtil::InsertAccount("9999", "Last", 1, ""));
    EXPECT_NO_THROW(other->commitTrans());
    Connection::setBusyWaitMs(Connection::BusyWaitMs);
    EXPECT_TRUE(db.cnn().changedElsewhere());
    EXPECT_FALSE(db.cnn().changedElsewhere());

    list.fetchAll();
    ASSERT_EQ(list.rowCount(), 601);
    EXPECT_EQ(list.cellText(256, 0), "1256") << "read on from the row after the last";
    EXPECT_EQ(list.cellText(600, 0), "9999");
}
