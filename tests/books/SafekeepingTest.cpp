#include "core/books/Passphrases.h"
#include "core/books/Snapshots.h"
#include "core/company/CompanySetup.h"
#include "core/data/Connection.h"
#include "core/data/Schema.h"
#include "core/data/modDBUtil.h"
#include "core/periods/YearEndRuns.h"
#include "support/Books.h"
#include "support/ChildJob.h"
#include "support/ScriptedUi.h"
#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <deque>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlcipher/sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace zelk;
namespace snap = zelk::snapshots;

namespace {

const QString Umlauts = QStringLiteral("Grüße, Åsa — 日本語 ✓");
const QString Long = QString(1000, QChar(u'ä'));

// Balanced books of `accounts` accounts with long names, and one transaction.
void fill(Connection& cnn, int accounts, int nameLength = 200) {
    using namespace modDBUtil;
    cnn.beginTrans();
    for (int i = 0; i < accounts; ++i)
        cnn.execute(InsertAccount(QString::number(10000 + i), QString(nameLength, QChar(u'n')),
                                  1 + i % 6, QString()));
    cnn.execute(InsertTransaction("T1", "", "rent", QDate(2004, 3, 1), false));
    cnn.execute(InsertTransactionDetail("T1", "10000", 1, *Amount::parse("125.50")));
    cnn.execute(InsertTransactionDetail("T1", "10001", 2, *Amount::parse("-125.50")));
    cnn.commitTrans();
}

// Which of these keys opens the books in folder (-1: none).
std::vector<int> keysThatOpen(const QString& folder, const std::vector<QString>& keys) {
    std::vector<int> out;
    for (size_t i = 0; i < keys.size(); ++i) {
        try {
            Connection::open(folder, keys[i].toUtf8());
            out.push_back(int(i));
        } catch (const OpenError&) {
        }
    }
    return out;
}

// Files may grow only to `bytes` while the object lives (a disk that is full).
class FullDisk {
public:
    explicit FullDisk(qint64 bytes) {
        ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit small = m_old;
        small.rlim_cur = rlim_t(bytes);
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FullDisk() { ::setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

// Whether the engine itself reads the file with this key and derivation in pages of
// 4 KB, after running sql (a statement of its own, such as a PRAGMA rekey).
bool engineReads(const QString& path, const QString& key, int rounds, const char* sql = "") {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const QByteArray utf8 = key.toUtf8();
    sqlite3_key(db, utf8.constData(), int(utf8.size()));
    const QByteArray pragmas =
        "PRAGMA cipher_page_size=4096; PRAGMA kdf_iter=" + QByteArray::number(rounds) + ";";
    sqlite3_exec(db, pragmas.constData(), nullptr, nullptr, nullptr);
    const int rc =
        sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc == SQLITE_OK;
}

// Gives books under the program's key a passphrase as the engine's own re-keying did
// before the costly derivation: the derivation stays the engine's default.
void rekeyAsBefore(const QString& folder, const QString& passphrase) {
    const QByteArray sql = "PRAGMA rekey='" + passphrase.toUtf8() + "'";
    ASSERT_TRUE(engineReads(QDir(folder).filePath("Zelk.mdb"), "Kestrelix",
                            Connection::DefaultRounds, sql.constData()));
}

QStringList backups(const QString& folder) {
    return QDir(QDir(folder).filePath("Backups")).entryList(QDir::Files, QDir::Name);
}

class ScriptedPrompt : public PassphrasePrompt {
public:
    std::deque<std::optional<QString>> answers;
    QStringList notes;
    std::optional<QByteArray> askPassphrase(const QString&, const QString& note) override {
        notes << note;
        if (answers.empty())
            return std::nullopt;
        const std::optional<QString> a = answers.front();
        answers.pop_front();
        return a ? std::optional(a->toUtf8()) : std::nullopt;
    }
};

} // namespace

// Each answer is told; a new key keeps the books row for row, opens them, and the old
// key no longer does (non-ASCII letters and a key of 1,000 letters too). A change takes a
// snapshot first; a new passphrase the window's question turns down changes nothing.
TEST(Passphrase, ChangeTellsEachAnswer) {
    struct Row {
        QString fileKey;
        QString current, first, second;
        const char* told; // "": nothing
        bool changed;
        bool turnedDown = false;
    };
    const Row rows[] = {
        {"", "", Umlauts, Umlauts, "Done: the file is encrypted with the new passphrase.", true},
        {Umlauts, Umlauts, Long, Long, "Done: the file is encrypted with the new passphrase.",
         true},
        {"", "", "neu", "new", "The two new passphrases differ.", false},
        {"", "", "", "", "The file already uses the program's own key.", false},
        {"alt", "falsch", "neu", "neu", "The current passphrase is wrong.", false},
        {"alt", "alt", "", "", "Done: the file uses the program's own key again", true},
        {"alt", "alt", "1234", "1234", "", false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.told);
        QTemporaryDir dir;
        auto cnn = Connection::open(dir.path());
        fill(*cnn, 20);
        if (!row.fileKey.isEmpty())
            cnn->rekey(row.fileKey.toUtf8());
        const QByteArray before = booksDigest(*cnn);
        ScriptedUi ui;
        QByteArray asked;
        PassphraseChange input{row.current, row.first, row.second, [&](const QByteArray& p) {
                                   asked = p;
                                   return !row.turnedDown;
                               }};
        EXPECT_EQ(ChangePassphrase(*cnn, input), row.changed);
        EXPECT_EQ(asked, row.changed || row.turnedDown ? row.first.toUtf8() : QByteArray());
        EXPECT_EQ(booksDigest(*cnn), before);
        ASSERT_EQ(ui.messageBoxes().size(), *row.told ? 1u : 0u);
        for (const QString& told : ui.messageBoxes())
            EXPECT_TRUE(told.startsWith(row.told)) << told.toStdString();
        const QStringList taken = backups(dir.path());
        EXPECT_EQ(taken.size(), row.changed ? 1 : 0);
        EXPECT_EQ(taken.filter("-before-change-passphrase.mdb").size(), taken.size());
        EXPECT_TRUE(input.current.isEmpty() && input.first.isEmpty() && input.second.isEmpty());
        cnn.reset();
        const QString expected = row.changed ? row.first : row.fileKey;
        EXPECT_EQ(keysThatOpen(dir.path(), {row.fileKey, row.first}).front(),
                  expected == row.fileKey ? 0 : 1);
    }
}

TEST(Passphrase, AFullDiskWhileRekeyingLeavesTheOldKey) {
    QTemporaryDir dir;
    auto cnn = Connection::open(dir.path());
    fill(*cnn, 400);
    cnn->rekey("alt");
    const QByteArray before = booksDigest(*cnn);
    const qint64 size = QFileInfo(cnn->filePath()).size();
    {
        FullDisk full(size / 2); // the new file does not fit
        EXPECT_THROW(cnn->rekey(Umlauts.toUtf8()), DbError);
    }
    EXPECT_TRUE(cnn->keyIs("alt"));
    EXPECT_EQ(booksDigest(*cnn), before);
    EXPECT_FALSE(QFile::exists(cnn->filePath() + ".rekey"));
    cnn.reset();
    EXPECT_EQ(keysThatOpen(dir.path(), {"alt", Umlauts}), std::vector<int>{0});
}

// The derivation the books get, read back through the engine itself: the real rounds
// for a passphrase (books under one from before, with the engine's default, open and
// move to them at a change), and its snapshots too; the default for the program's key.
TEST(Passphrase, EachKeyGetsItsDerivation) {
    Connection::setPassphraseRounds(Connection::PassphraseRounds);
    struct Back {
        ~Back() { Connection::setPassphraseRounds(TestPassphraseRounds); }
    } back;
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("Zelk.mdb");
    Connection::open(dir.path());
    rekeyAsBefore(dir.path(), "old");
    ScriptedUi ui;
    auto cnn = Connection::open(dir.path(), "old");
    EXPECT_EQ(cnn->keyRounds(), Connection::DefaultRounds);
    fill(*cnn, 20);
    const QByteArray before = booksDigest(*cnn);
    PassphraseChange change{"old", Umlauts, Umlauts};
    ASSERT_TRUE(ChangePassphrase(*cnn, change));
    EXPECT_EQ(booksDigest(*cnn), before);
    EXPECT_FALSE(engineReads(path, Umlauts, Connection::DefaultRounds));
    EXPECT_TRUE(engineReads(path, Umlauts, Connection::PassphraseRounds));
    EXPECT_TRUE(
        engineReads(snap::take(*cnn, snap::Step::EndYear), Umlauts, Connection::PassphraseRounds));

    cnn->rekey({});
    EXPECT_TRUE(engineReads(path, "Kestrelix", Connection::DefaultRounds));
    EXPECT_EQ(booksDigest(*cnn), before);
}

TEST(Startup, AsksForThePassphraseOnlyWhenTheFileHasOne) {
    enum Kind { ProgramKey, Passphrase, PassphraseBefore, Truncated, Tampered };
    struct Row {
        const char* what;
        Kind kind;
        std::vector<std::optional<QString>> answers;
        bool opens;
        const char* failure; // a part of the message, "" for none
        QStringList notes;
    };
    const QString wrong = QStringLiteral("Wrong passphrase.");
    const Row rows[] = {
        {"the program's key", ProgramKey, {}, true, "", {}},
        {"right at once", Passphrase, {Umlauts}, true, "", {""}},
        {"books given it before", PassphraseBefore, {"x", Umlauts}, true, "", {"", wrong}},
        {"right at the second try", Passphrase, {"x", Umlauts}, true, "", {"", wrong}},
        {"empty, then right", Passphrase, {"", Umlauts}, true, "", {"", wrong}},
        {"three wrong",
         Passphrase,
         {"x", "y", "z"},
         false,
         "does not open with the passphrases",
         {"", wrong, wrong}},
        {"cancelled", Passphrase, {std::nullopt}, false, "", {""}},
        {"truncated", Truncated, {}, false, "is damaged or is not a Zelk database", {}},
        // a page altered mid-file is found when it is read, not at start-up
        {"tampered", Tampered, {Umlauts}, true, "", {""}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QTemporaryDir dir;
        {
            auto cnn = Connection::open(dir.path());
            fill(*cnn, 300);
            if (row.kind == Passphrase || row.kind == Tampered)
                cnn->rekey(Umlauts.toUtf8());
        }
        if (row.kind == PassphraseBefore)
            rekeyAsBefore(dir.path(), Umlauts);
        const QString path = QDir(dir.path()).filePath("Zelk.mdb");
        QByteArray bytes = readFile(path);
        if (row.kind == Truncated)
            bytes.truncate(bytes.size() / 2 + 100);
        if (row.kind == Tampered)
            bytes[bytes.size() / 2 + 100] = char(bytes[bytes.size() / 2 + 100] ^ 0x55);
        writeFile(path, bytes);

        ScriptedPrompt prompt;
        prompt.answers.assign(row.answers.begin(), row.answers.end());
        QString failure;
        auto cnn = openBooks(dir.path(), prompt, failure);
        EXPECT_EQ(cnn != nullptr, row.opens);
        EXPECT_EQ(prompt.notes, row.notes);
        if (*row.failure)
            EXPECT_TRUE(failure.contains(row.failure)) << failure.toStdString();
        else
            EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
        cnn.reset();
        EXPECT_EQ(readFile(path), bytes) << "the file was changed";
    }
}

TEST(Snapshot, RoundTripThroughTheRestore) {
    TestDatabase db;
    fill(db.cnn(), 30);
    db.cnn().rekey(Umlauts.toUtf8()); // snapshots are encrypted with the books' key
    const QByteArray original = booksDigest(db.cnn());
    const QDateTime when(QDate(2004, 3, 31), QTime(23, 59, 59));
    const QString first = snap::take(db.cnn(), snap::Step::EndYear, when);
    EXPECT_EQ(QFileInfo(first).fileName(), "Zelk-2004-03-31-235959-before-end-year.mdb");
    EXPECT_EQ(QFileInfo(snap::take(db.cnn(), snap::Step::NewCompany, when)).fileName(),
              "Zelk-2004-03-31-235959-before-new-company.mdb");
    EXPECT_EQ(QFileInfo(snap::take(db.cnn(), snap::Step::EndYear, when)).fileName(),
              "Zelk-2004-03-31-235959-before-end-year-2.mdb");
    EXPECT_EQ(booksDigest(*db.cnn().openSnapshot(first, true)), original);

    db.exec(modDBUtil::DeleteAllTransactions());
    db.exec("UPDATE SYS_Company SET Name='Changed', CurrentPeriodYear=2005");
    const QByteArray changed = booksDigest(db.cnn());
    ASSERT_NE(changed, original);

    std::vector<snap::Snapshot> list = snap::list(db.cnn());
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(QFileInfo(list[0].path).fileName(), "Zelk-2004-03-31-235959-before-end-year-2.mdb");
    EXPECT_EQ(list[2].path, first);
    EXPECT_EQ(list[2].step, "End Year");
    EXPECT_EQ(list[1].step, "New Company");
    EXPECT_FALSE(list[2].company.isEmpty());
    EXPECT_EQ(list[2].size, QFileInfo(first).size());

    int commits = 0;
    QObject::connect(&db.cnn(), &Connection::commitTransComplete, [&] { ++commits; });
    snap::restore(db.cnn(), list[2]);
    EXPECT_EQ(commits, 1) << "the list windows re-read their rows";
    EXPECT_EQ(booksDigest(db.cnn()), original);
    list = snap::list(db.cnn());
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].step, "Restore");
    EXPECT_EQ(list[0].company, "Changed");
    EXPECT_EQ(booksDigest(*db.cnn().openSnapshot(list[0].path, true)), changed);
}

// A snapshot started before a step's writes is the books as they were then, whole under
// its name once the step has waited for it, before the step commits.
TEST(Snapshot, StartedBeforeTheWritesItIsTheBooksAsTheyWere) {
    TestDatabase db;
    fill(db.cnn(), 50);
    const QByteArray before = booksDigest(db.cnn());
    const std::unique_ptr<snap::Taking> taking = snap::startBefore(db.cnn(), snap::Step::Import);
    ASSERT_NE(taking, nullptr);
    EXPECT_EQ(runSavingCommand(db.cnn(),
                               [&](StatementRunner& r) {
                                   r.run("UPDATE SYS_Company SET Name='Changed'");
                                   EXPECT_TRUE(taking->finish());
                               }),
              CommandOutcome::Committed);
    EXPECT_NE(booksDigest(db.cnn()), before);
    EXPECT_EQ(backups(db.folder()), QStringList{QFileInfo(taking->path()).fileName()});
    EXPECT_EQ(booksDigest(*db.cnn().openSnapshot(taking->path(), true)), before);
}

// Rotation keeps the newest of each step, so daily imports leave the one before End
// Year. What a snapshot killed while it was written leaves goes with the next snapshot
// or the next start.
TEST(Snapshot, KeepsTheNewestTwentyOfEachStep) {
    TestDatabase db;
    const QString folder = QDir(db.folder()).filePath("Backups");
    QDir().mkpath(folder);
    QFile(folder + "/notes.txt").open(QIODevice::WriteOnly);
    QFile(folder + "/Zelk-mine.mdb").open(QIODevice::WriteOnly);
    const QString part = folder + "/Zelk-2003-01-01-000000-before-end-year.mdb.part";
    QFile(part).open(QIODevice::WriteOnly);
    const QDateTime t0(QDate(2004, 1, 1), QTime(8, 0));
    snap::take(db.cnn(), snap::Step::EndYear, t0.addDays(-1));
    for (int i = 0; i < snap::Kept + 5; ++i)
        snap::take(db.cnn(), snap::Step::Import, t0.addSecs(60 * i));
    QStringList left = backups(db.folder());
    EXPECT_EQ(left.size(), snap::Kept + 3);
    EXPECT_TRUE(left.contains("Zelk-2003-12-31-080000-before-end-year.mdb"));
    EXPECT_FALSE(left.contains("Zelk-2004-01-01-080400-before-import.mdb"));
    EXPECT_TRUE(left.contains("Zelk-2004-01-01-080500-before-import.mdb"));
    EXPECT_TRUE(left.contains("notes.txt") && left.contains("Zelk-mine.mdb"));
    EXPECT_FALSE(left.contains(QFileInfo(part).fileName()));

    QFile(part).open(QIODevice::WriteOnly);
    QFile(part + "-journal").open(QIODevice::WriteOnly);
    ScriptedPrompt prompt;
    QString failure;
    EXPECT_NE(openBooks(db.folder(), prompt, failure), nullptr) << failure.toStdString();
    left = backups(db.folder());
    EXPECT_EQ(left.size(), snap::Kept + 3);
    EXPECT_FALSE(left.contains(QFileInfo(part).fileName()));
    EXPECT_FALSE(left.contains(QFileInfo(part).fileName() + "-journal"));
}

TEST(Snapshot, EachFaultEndsWithAMessageAndTheBooksAsTheyWere) {
    enum Fault { BackupsIsAFile, FullDisk_, Truncated, Tampered, OtherKey, FullDiskRestoring };
    struct Row {
        const char* what;
        Fault fault;
        const char* problem; // how the list shows the snapshot
    };
    const Row rows[] = {
        {"Backups cannot be written", BackupsIsAFile, ""},
        {"the disk fills while copying", FullDisk_, ""},
        {"a truncated snapshot", Truncated, "damaged, or not a Zelk database"},
        {"a tampered snapshot", Tampered, ""},
        {"a snapshot with another key", OtherKey, "encrypted with another key"},
        {"the disk fills while restoring", FullDiskRestoring, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TestDatabase db;
        fill(db.cnn(), 400);
        const QString folder = QDir(db.folder()).filePath("Backups");
        if (row.fault == BackupsIsAFile || row.fault == FullDisk_) {
            if (row.fault == BackupsIsAFile)
                QFile(folder).open(QIODevice::WriteOnly);
            const QByteArray before = booksDigest(db.cnn());
            {
                FullDisk full(row.fault == FullDisk_ ? 20000 : 1 << 30);
                EXPECT_THROW(snap::take(db.cnn(), snap::Step::EndYear), snap::SnapshotError);
                ScriptedUi ui;
                EXPECT_FALSE(snap::takeBefore(db.cnn(), snap::Step::EndYear));
                EXPECT_EQ(snap::startBefore(db.cnn(), snap::Step::Import), nullptr);
                ASSERT_EQ(ui.messageBoxes().size(), 2u);
                EXPECT_TRUE(ui.messageBoxes()[0].contains("End Year has not been started"));
                EXPECT_TRUE(ui.messageBoxes()[1].contains("Import has not been started"));
            }
            EXPECT_EQ(backups(db.folder()), QStringList()) << "no partial snapshot is left";
            EXPECT_EQ(booksDigest(db.cnn()), before);
            continue;
        }
        if (row.fault == OtherKey) // neither the books' key nor the program's opens it
            db.cnn().rekey("alt");
        const QString path = snap::take(db.cnn(), snap::Step::EndYear);
        if (row.fault == Truncated || row.fault == Tampered) {
            QByteArray bytes = readFile(path);
            if (row.fault == Truncated)
                bytes.truncate(bytes.size() - 1000);
            else
                bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 1);
            writeFile(path, bytes);
        }
        if (row.fault == OtherKey)
            db.cnn().rekey("neu");
        db.exec(modDBUtil::DeleteAllTransactions());
        const QByteArray before = booksDigest(db.cnn());
        std::vector<snap::Snapshot> list = snap::list(db.cnn());
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].usable, *row.problem == 0);
        EXPECT_EQ(list[0].problem, row.problem);
        {
            FullDisk full(row.fault == FullDiskRestoring ? 20000 : 1 << 30);
            EXPECT_THROW(snap::restore(db.cnn(), list[0]), snap::SnapshotError);
        }
        EXPECT_EQ(booksDigest(db.cnn()), before);
        if (row.fault == OtherKey)
            continue;
        db.reopen();
        EXPECT_EQ(booksDigest(db.cnn()), before);
    }
}

// A change of passphrase takes a snapshot under the old key. Those from before it stay
// restorable: one under the program's key at once, one under an old passphrase given
// that passphrase; each comes back under the books' current key.
TEST(Snapshot, ThoseFromBeforeAChangeOfPassphraseComeBackUnderTheNewKey) {
    TestDatabase db;
    fill(db.cnn(), 30);
    ScriptedUi ui;
    const QByteArray underProgramKey = booksDigest(db.cnn());
    PassphraseChange change{"", "alt", "alt"};
    ASSERT_TRUE(ChangePassphrase(db.cnn(), change));
    db.exec(modDBUtil::DeleteAllTransactions());
    const QByteArray underAlt = booksDigest(db.cnn());
    change = {"alt", Umlauts, Umlauts};
    ASSERT_TRUE(ChangePassphrase(db.cnn(), change));
    db.exec("UPDATE SYS_Company SET Name='Now'");

    std::vector<snap::Snapshot> list = snap::list(db.cnn());
    ASSERT_EQ(list.size(), 2u);
    auto byKey = [&](bool programKey) {
        return *std::find_if(list.begin(), list.end(),
                             [&](const snap::Snapshot& s) { return s.programKey == programKey; });
    };
    snap::Snapshot first = byKey(true), second = byKey(false);
    EXPECT_TRUE(first.usable);
    EXPECT_EQ(first.step, "Change Passphrase");
    EXPECT_TRUE(second.otherKey);
    EXPECT_FALSE(second.usable);
    EXPECT_FALSE(snap::unlock(db.cnn(), second, "wrong"));
    EXPECT_FALSE(second.usable);
    EXPECT_THROW(snap::restore(db.cnn(), second, "wrong"), snap::SnapshotError);
    ASSERT_TRUE(snap::unlock(db.cnn(), second, "alt"));
    EXPECT_TRUE(second.usable);
    EXPECT_EQ(second.company, "My Company");

    snap::restore(db.cnn(), second, "alt");
    EXPECT_EQ(booksDigest(db.cnn()), underAlt);
    snap::restore(db.cnn(), first);
    EXPECT_EQ(booksDigest(db.cnn()), underProgramKey);
    EXPECT_FALSE(QFile::exists(db.filePath() + ".restore"));
    db.cnn().close();
    EXPECT_EQ(keysThatOpen(db.folder(), {"", "alt", Umlauts}), std::vector<int>{2});
    EXPECT_EQ(booksDigest(*Connection::open(db.folder(), Umlauts.toUtf8())), underProgramKey);
    // the books before each restore are kept under the books' key
    list = snap::list(*Connection::open(db.folder(), Umlauts.toUtf8()));
    EXPECT_EQ(std::count_if(list.begin(), list.end(),
                            [](const snap::Snapshot& s) { return s.usable && !s.programKey; }),
              2);
}

TEST(Snapshot, StepsDoNotStartWhenTheirSnapshotFails) {
    TestDatabase db;
    fill(db.cnn(), 10);
    const QByteArray before = booksDigest(db.cnn());
    QFile(QDir(db.folder()).filePath("Backups")).open(QIODevice::WriteOnly);
    ScriptedUi ui;
    ui.answerYes().answerYes(); // New Company may empty the books, both times
    company::NewCompanyInput in{"Kestrel Ltd", "1 Road", "555", "", "", 4, 2004, 4};
    EXPECT_EQ(company::NewCompanySaveCommand(db.cnn(), in), CommandOutcome::Fix);
    NoProgress progress;
    periods::EndYear endYear(db.cnn(), progress);
    EXPECT_EQ(endYear.run("10003"), periods::RunOutcome::NotStarted);
    periods::RevertEndYear revert(db.cnn(), progress);
    EXPECT_EQ(revert.run(), periods::RunOutcome::NotStarted);
    EXPECT_EQ(booksDigest(db.cnn()), before);
    ASSERT_EQ(ui.messageBoxes().size(), 3u);
    EXPECT_TRUE(ui.messageBoxes()[0].startsWith("The snapshot of the books before New Company "));
    EXPECT_TRUE(ui.messageBoxes()[2].contains("Revert End Year has not been started"));

    QFile::remove(QDir(db.folder()).filePath("Backups"));
    ui.clear();
    EXPECT_EQ(company::NewCompanySaveCommand(db.cnn(), in), CommandOutcome::Committed);
    EXPECT_EQ(endYear.run("10003"), periods::RunOutcome::Done);
    const QStringList taken = backups(db.folder());
    ASSERT_EQ(taken.size(), 2);
    EXPECT_TRUE(taken[0].endsWith("-before-end-year.mdb") ||
                taken[1].endsWith("-before-end-year.mdb"));
    EXPECT_EQ(booksDigest(*db.cnn().openSnapshot(
                  db.folder() + "/Backups/" +
                      (taken[0].endsWith("new-company.mdb") ? taken[0] : taken[1]),
                  true)),
              before);
}

// --- a program killed in the middle of re-keying or of restoring -------------------

namespace {

timespec modified(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mtim;
}

// The child of the test below: restores the one snapshot (killed while the engine writes
// the books), or gives the books a passphrase and waits to be killed at the step of the
// change it is given (while exporting: once the new file has pages).
void rekeyOrRestore(const QString& argument) {
    const QStringList job = argument.split(QChar(u'|'));
    auto cnn = Connection::open(job[1]);
    if (job[0] == "rekey") {
        const auto step = Connection::RekeyStep(job[2].toInt());
        const QString fresh = cnn->filePath() + ".rekey";
        cnn->rekey(Umlauts.toUtf8(), [&](Connection::RekeyStep at) {
            if (at != step ||
                (at == Connection::RekeyStep::Exporting && QFileInfo(fresh).size() < 4 * 4096))
                return;
            std::printf("AT THE STEP\n");
            std::fflush(stdout);
            QThread::sleep(120);
        });
    } else {
        snap::restore(*cnn, snap::list(*cnn).at(0));
    }
    std::printf("FINISHED\n");
    std::fflush(stdout);
    std::_Exit(0);
}
const bool childRegistered = registerChildJob("safekeeping", rekeyOrRestore);

} // namespace

TEST(SafekeepingCrash, KilledInTheMiddleLeavesOneKeyAndOneVersion) {
    using Step = Connection::RekeyStep;
    struct Row {
        const char* job;
        Step step; // where a change of key is killed
        bool newKey;
    };
    const Row rows[] = {{"restore", Step::Exporting, false},
                        {"rekey", Step::Exporting, false},
                        {"rekey", Step::Exported, false},
                        {"rekey", Step::Checked, false},
                        {"rekey", Step::Replaced, true}};
    for (const Row& row : rows) {
        const QString mode = QString::fromLatin1(row.job);
        SCOPED_TRACE(row.job + std::to_string(int(row.step)));
        QTemporaryDir dir;
        QByteArray snapshotDump, before;
        {
            auto cnn = Connection::open(dir.path());
            fill(*cnn, mode == "restore" ? 12000 : 3000, 1500); // about 20 MB, or 5
            if (mode == "restore") {
                snapshotDump = booksDigest(*cnn);
                snap::take(*cnn, snap::Step::EndYear);
                cnn->execute("DELETE FROM Ledger_Accounts WHERE AccountNo > '15000'");
            }
            before = booksDigest(*cnn);
        }
        const QString path = QDir(dir.path()).filePath("Zelk.mdb");
        const timespec start = modified(path);
        QProcess child;
        startChildJob(child, "safekeeping",
                      mode + "|" + dir.path() + "|" + QString::number(int(row.step)));
        ASSERT_TRUE(child.waitForStarted(30000));
        QByteArray said;
        bool reached = false;
        for (int i = 0; i < 600000 && !reached && child.state() == QProcess::Running; ++i) {
            if (mode == "restore") {
                const timespec now = modified(path);
                reached = now.tv_sec != start.tv_sec || now.tv_nsec != start.tv_nsec;
            } else {
                child.waitForReadyRead(0);
                said += child.readAllStandardOutput();
                reached = said.contains("AT THE STEP");
            }
            if (!reached)
                QThread::usleep(200);
        }
        ::kill(pid_t(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished(30000));
        said += child.readAllStandardOutput();
        ASSERT_TRUE(reached) << said.toStdString();
        EXPECT_FALSE(said.contains("FINISHED")) << "killed too late";
        // killed with a hot journal: of the books while restoring, of the new file while
        // exporting
        if (mode == "restore" || row.step == Step::Exporting) {
            EXPECT_TRUE(QFile::exists(path + (mode == "restore" ? "-journal" : ".rekey-journal")));
        }

        const std::vector<int> opens = keysThatOpen(dir.path(), {QString(), Umlauts});
        ASSERT_EQ(opens, std::vector<int>{row.newKey ? 1 : 0}) << "exactly one of the two keys";
        auto cnn = Connection::open(dir.path(), (opens[0] ? Umlauts : QString()).toUtf8());
        const QByteArray after = booksDigest(*cnn);
        EXPECT_TRUE(after == before || (mode == "restore" && after == snapshotDump));
    }
}
