#include "core/data/Connection.h"
#include "core/data/Schema.h"
#include "core/data/modDBUtil.h"
#include "core/data/modUtils.h"
#include "core/periods/MonthEndRuns.h"
#include "core/periods/PostingRuns.h"
#include "core/shared/HandOver.h"
#include "support/Books.h"
#include "support/TestDatabase.h"
#include "support/VectorRegisters.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

using namespace modDBUtil;
using zelk::Amount;
using zelk::Connection;
using zelk::DbError;
using zelk::OpenError;

namespace {

// Runs sql on the SQLite file at path opened with the given key (none: a plain file).
void rawExec(const QString& path, const char* key, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    if (key) {
        sqlite3_key(db, key, int(strlen(key)));
        sqlite3_exec(db, "PRAGMA cipher_page_size=4096", nullptr, nullptr, nullptr);
    }
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// Creates a SQLite file at path with the given key (none: a plain file).
void makeForeignDatabase(const QString& path, const char* key) {
    rawExec(path, key, "CREATE TABLE x(a); INSERT INTO x VALUES(1);");
}

std::string openFailure(const QString& folder) {
    try {
        Connection::open(folder);
    } catch (const OpenError& e) {
        return e.message().toStdString();
    }
    return {};
}

} // namespace

TEST(Database, FreshFileHoldsExactlyTheReferenceRows) {
    TestDatabase db;
    const QString year = QString::number(QDate::currentDate().year());
    const auto rows = [&](const QString& sql) {
        QStringList out;
        for (zelk::RowSet rs = db.query(sql); !rs.eof(); rs.moveNext()) {
            QStringList cells;
            for (int c = 0; c < rs.fieldNames().size(); ++c)
                cells << (rs.value(c).isNull() ? "<null>" : rs.value(c).toString());
            out << cells.join(' ');
        }
        return out.join(", ");
    };
    EXPECT_EQ(rows("SELECT Name <> '' AND Address <> '' AND Phone <> '', Fax, Email, BeginPeriod, "
                   "FinancialPeriodBegin, CurrentPeriodYear, BeginPeriodYear FROM SYS_Company"),
              "1 <null> <null> 1 1 " + year + " " + year);
    EXPECT_EQ(rows("SELECT Count(*), Min(ID), Max(ID) FROM SYS_Twelve"), "12 1 12");
    for (const QString& t : zelk::schema::tableNames())
        EXPECT_TRUE(!t.startsWith("Ledger_") || db.count(t) == 0) << t.toStdString();
}

TEST(Database, FileIsEncryptedWithTheDatabasePassword) {
    TestDatabase db;
    const QString path = db.filePath();
    db.cnn().close();
    EXPECT_FALSE(readFile(path).startsWith("SQLite format 3"));
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
    keyRawBooks(raw);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(raw, "SELECT Count(*) FROM SYS_AccountClasses", -1, &st, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(st, 0), 6);
    sqlite3_finalize(st);
    sqlite3_close(raw);
}

TEST(Database, RefusesFilesThatAreNotZelkDatabasesAndLeavesThemAlone) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("Zelk.mdb");
    auto expectRefused = [&](const char* what,
                             const char* told = "damaged or is not a Zelk database") {
        const QByteArray before = readFile(path);
        const std::string msg = openFailure(dir.path());
        EXPECT_NE(msg.find(path.toStdString()), std::string::npos) << what << ": " << msg;
        EXPECT_NE(msg.find(told), std::string::npos) << what << ": " << msg;
        EXPECT_EQ(readFile(path), before) << what << " was changed";
        QFile::remove(path);
    };

    makeForeignDatabase(path, "not the password");
    expectRefused("wrong key", "does not open with this key");

    makeForeignDatabase(path, nullptr);
    expectRefused("plain SQLite file");

    writeFile(path, QByteArray("this is a text file, not a database\n").repeated(100));
    expectRefused("text file");

    makeForeignDatabase(path, "Kestrelix");
    expectRefused("encrypted database without the Zelk tables", "the table SYS_Company is missing");

    // Zelk files that lack a column or the company row: told at start-up, not later as
    // "no such column" in the middle of a command.
    const struct {
        const char* what;
        const char* sql;
        const char* told;
    } incomplete[] = {
        {"a column missing",
         "DROP TABLE Ledger_CustomReportDetails; CREATE TABLE Ledger_CustomReportDetails "
         "(FKID_CustomReport TEXT, Seq INTEGER, RowName TEXT, RowType TEXT, "
         "FKID_Account_Start TEXT)",
         "the column FKID_Account_End of the table Ledger_CustomReportDetails is missing"},
        {"no company row", "DELETE FROM SYS_Company", "the company row is missing"},
    };
    for (const auto& row : incomplete) {
        Connection::open(dir.path()).reset();
        rawExec(path, "Kestrelix", row.sql);
        expectRefused(row.what, row.told);
    }

    { // a Zelk database, truncated
        auto cnn = Connection::open(dir.path());
        cnn->beginTrans();
        for (int i = 0; i < 300; ++i)
            cnn->execute(InsertAccount(QString::number(1000 + i), QString(200, 'x'), 1, ""));
        cnn->commitTrans();
    }
    const QByteArray whole = readFile(path);
    writeFile(path, whole.left(whole.size() / 2));
    expectRefused("truncated file");

    writeFile(path, whole);
    EXPECT_NO_THROW(Connection::open(dir.path())) << "the intact file opens";
}

// Start-up reads the schema and the company row only; a page altered in the middle of
// the file fails the cipher's check when it is read: the statement gives no rows at all,
// the message says the file is damaged, the full check names it, and nothing is written.
TEST(Database, APageDamagedMidFileIsToldWhenReadAndNothingIsWritten) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("Zelk.mdb");
    {
        auto cnn = Connection::open(dir.path());
        cnn->beginTrans();
        for (int i = 0; i < 300; ++i)
            cnn->execute(InsertAccount(QString::number(1000 + i), QString(200, 'x'), 1, ""));
        cnn->commitTrans();
    }
    // the accounts were written last: a page among them, far from the header
    QByteArray bytes = readFile(path);
    const qsizetype at = bytes.size() - 3 * 4096 + 100;
    bytes[at] = char(bytes[at] ^ 0x55);
    writeFile(path, bytes);

    auto cnn = Connection::open(dir.path());
    const QString sql = GetAccountList();
    for (const bool streamed : {false, true}) {
        SCOPED_TRACE(streamed ? "forward-only" : "snapshot");
        int rows = 0;
        try {
            zelk::RowSet rs = streamed ? cnn->stream(sql) : cnn->execute(sql);
            for (; !rs.eof(); rs.moveNext())
                ++rows;
            ADD_FAILURE() << "all " << rows << " rows were read from a damaged file";
        } catch (const DbError& e) {
            EXPECT_TRUE(e.description().contains("is damaged or is not a Zelk database"))
                << e.description().toStdString();
            EXPECT_TRUE(e.description().contains(QDir::toNativeSeparators(path)));
        }
        EXPECT_LT(rows, 300);
    }
    const Connection::IntegrityResult check = cnn->checkIntegrity([] { return true; });
    EXPECT_FALSE(check.cancelled);
    EXPECT_FALSE(check.problems.isEmpty());
    cnn.reset();
    EXPECT_EQ(readFile(path), bytes) << "nothing was written";
}

TEST(Database, BooksInPagesOfOneKilobyteKeepWorking) {
    // books made before new files had pages of 4 KB
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("Zelk.mdb");
    const QString old = path + ".old";
    Connection::open(dir.path())->execute(InsertAccount("1000", "Cash", 1, ""));
    rawExec(path, "Kestrelix",
            ("ATTACH '" + QFile::encodeName(old).toStdString() +
             "' AS old KEY 'Kestrelix'; PRAGMA old.cipher_page_size=1024; "
             "SELECT sqlcipher_export('old'); DETACH old;")
                .c_str());
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(old, path));

    auto cnn = Connection::open(dir.path());
    const QString copy = QDir(dir.path()).filePath("copy.mdb");
    cnn->backupTo(copy);
    cnn->execute(DeleteAccount("1000"));
    cnn->restoreFrom(copy);
    EXPECT_EQ(cnn->execute(GetAccount("1000")).recordCount(), 1);

    QTemporaryDir newer;
    const QString newCopy = QDir(newer.path()).filePath("copy.mdb");
    Connection::open(newer.path())->backupTo(newCopy);
    const QByteArray before = readFile(path);
    try {
        cnn->restoreFrom(newCopy);
        ADD_FAILURE() << "a copy of other pages was restored";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.description().contains("was made with pages of 4096 bytes and these books "
                                             "have pages of 1024 bytes"))
            << e.description().toStdString();
    }
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(cnn->execute(GetAccount("1000")).recordCount(), 1);
}

TEST(Database, MissingFileInAFolderThatCannotBeWrittenIsAClearError) {
    QTemporaryDir dir;
    const QString notAFolder = QDir(dir.path()).filePath("plain-file");
    writeFile(notAFolder, "x");
    const std::string msg = openFailure(QDir(notAFolder).filePath("sub"));
    EXPECT_NE(msg.find("cannot create its database file"), std::string::npos) << msg;
    EXPECT_FALSE(QFile::exists(QDir(notAFolder).filePath("sub/Zelk.mdb")));
}

TEST(Connection, TransactionsAreNeverNestedAndCommitsAreAnnounced) {
    TestDatabase db;
    int commits = 0;
    QObject::connect(&db.cnn(), &Connection::commitTransComplete, [&] { ++commits; });
    db.cnn().beginTrans();
    EXPECT_THROW(db.cnn().beginTrans(), DbError);
    db.exec(InsertAccount("1000", "Cash", 1, ""));
    db.cnn().commitTrans();
    EXPECT_EQ(commits, 1);
    EXPECT_FALSE(db.cnn().inTransaction());

    db.cnn().beginTrans();
    db.exec(InsertAccount("1001", "Bank", 1, ""));
    db.cnn().rollbackTrans();
    EXPECT_EQ(commits, 1) << "a rollback notifies nobody";
    EXPECT_EQ(db.count("Ledger_Accounts"), 1);
    EXPECT_THROW(db.cnn().commitTrans(), DbError);
    EXPECT_EQ(commits, 1);
}

TEST(Connection, RollbackLeavesTheFileByteForByteAsBefore) {
    TestDatabase db;
    db.cnn().beginTrans();
    for (int i = 0; i < 50; ++i) {
        db.exec(InsertAccount(QString::number(1000 + i), "Account", 1, "note"));
        db.exec(InsertGeneralYear(QString::number(1000 + i), 2004));
    }
    db.cnn().commitTrans();
    const QByteArray before = db.fileBytes();

    db.cnn().beginTrans();
    // enough work to spill pages into the file before the rollback
    for (int i = 0; i < 3000; ++i)
        db.exec(InsertTransaction(QString("T%1").arg(i), QString(300, 's'), "d",
                                  QDate(2004, 1, 1 + i % 28), false));
    db.exec(DeleteAllGeneral());
    db.cnn().rollbackTrans();
    EXPECT_EQ(db.fileBytes(), before);
    EXPECT_EQ(db.count("Ledger_General"), 600);
}

TEST(Connection, ReferencesAreEnforcedAndDeletesCascade) {
    TestDatabase db;
    db.exec(InsertAccount("1000", "Cash", 1, ""));
    db.exec(InsertAccount("4000", "Sales", 5, ""));
    db.exec(InsertTransaction("T1", "", "", QDate(2004, 1, 5), false));
    db.exec(InsertTransactionDetail("T1", "1000", 1, Amount::fromUnits(100)));
    db.exec(InsertTransactionDetail("T1", "4000", 2, Amount::fromUnits(-100)));

    try {
        db.exec(DeleteAccount("1000"));
        FAIL() << "an account in use was deleted";
    } catch (const DbError& e) {
        EXPECT_EQ(e.number(), SQLITE_CONSTRAINT_FOREIGNKEY);
        EXPECT_FALSE(e.source().isEmpty());
        EXPECT_TRUE(e.description().contains("FOREIGN KEY")) << e.description().toStdString();
    }
    EXPECT_THROW(db.exec(InsertTransactionDetail("T1", "9999", 3, Amount::fromUnits(1))), DbError);
    EXPECT_THROW(db.exec(InsertGeneralYear("9999", 2004)), DbError);
    EXPECT_THROW(db.exec(InsertAccount("1000", "Again", 1, "")), DbError) << "a duplicate key";
    db.exec(InsertAccount("cash", "x", 1, "")); // a new key
    EXPECT_THROW(db.exec(InsertAccount("CASH", "x", 1, "")), DbError) << "keys ignore case";

    db.exec(DeleteTransaction("t1")); // keys compare case-insensitively
    EXPECT_EQ(db.count("Ledger_Transactions"), 0);
    EXPECT_EQ(db.count("Ledger_TransactionDetails"), 0);

    db.exec(InsertCustomReport("R", "Title", 1));
    db.exec(InsertCustomReportDetail("R", 1, "Head", "Heading", "", ""));
    db.exec(InsertCustomReportDetail("R", 2, "Total", "Total", "", ""));
    db.exec(DeleteCustomReport("R"));
    EXPECT_EQ(db.count("Ledger_CustomReportDetails"), 0);
    db.exec(DeleteAccount("1000"));
    EXPECT_EQ(db.count("Ledger_Accounts"), 2);
}

TEST(Connection, TextValuesComeBackExactly) {
    TestDatabase db;
    const QStringList values{"O'Brien",
                             "''",
                             "#2004/01/01#",
                             "True",
                             "[x]",
                             "a\\b{c}",
                             "'; DROP TABLE Ledger_Accounts; --",
                             "Ünïcødé €",
                             " both ends "};
    int i = 0;
    for (const QString& v : values)
        db.exec(InsertAccount(QString("A%1").arg(i++), v, 1, v));
    zelk::RowSet rs = db.query("SELECT AccountName, Notes FROM Ledger_Accounts ORDER BY "
                               "length(AccountNo), AccountNo");
    ASSERT_EQ(rs.recordCount(), values.size());
    for (const QString& v : values) {
        EXPECT_EQ(rs.text("AccountName"), v);
        EXPECT_EQ(rs.text("notes"), v) << "fields are found in any case";
        rs.moveNext();
    }
    EXPECT_TRUE(rs.eof());
    EXPECT_THROW(rs.text("AccountName"), DbError) << "no current row at EOF";
}

TEST(Connection, RowSetsAreSnapshotsThatCanBeRequeried) {
    TestDatabase db;
    db.exec(InsertAccount("1000", "Cash", 1, ""));
    zelk::RowSet rs = db.query(GetAccountList());
    EXPECT_EQ(rs.recordCount(), 1);
    db.exec(InsertAccount("1100", "Bank", 1, ""));
    EXPECT_EQ(rs.recordCount(), 1) << "a snapshot";
    rs.requery();
    EXPECT_EQ(rs.recordCount(), 2);
    rs.moveFirst();
    EXPECT_EQ(rs.text("AccountNo"), "1000");
    EXPECT_THROW(rs.text("NoSuchField"), DbError);
    EXPECT_THROW(db.query("SELECT * FROM NoSuchTable"), DbError);
    EXPECT_THROW(db.query("SELECT 1; SELECT 2"), DbError) << "one statement at a time";
}

TEST(Connection, StatementsOfOneShapeArePreparedOnce) {
    TestDatabase db;
    db.exec(InsertAccount("1000", "Cash", 1, ""));
    db.exec(InsertGeneralYear("1000", 2004));
    const int before = db.cnn().preparedCount();
    for (int p = 1; p <= 12; ++p) {
        zelk::RowSet g = db.query(GetGeneral("1000", 2004, p));
        db.exec(UpdateGeneral("1000", 2004, p, g.amount("Debit") + Amount::fromUnits(p),
                              Amount::fromRaw(p)));
    }
    EXPECT_EQ(db.cnn().preparedCount(), before + 2);
    zelk::RowSet g = db.query(GetGeneral("1000", 2004, 12));
    EXPECT_EQ(g.amount("Debit"), Amount::fromUnits(12));
    EXPECT_EQ(g.amount("Credit"), Amount::fromRaw(12));
}

namespace {

// Every row of a row set as text, field by field, walking it forward once.
QStringList rowsOf(zelk::RowSet rs) {
    QStringList out;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        QStringList fields;
        for (int c = 0; c < rs.fieldNames().size(); ++c)
            fields << rs.fieldNames()[c] + "=" + rs.value(c).toString() + ":" +
                          QString::number(rs.value(c).typeId());
        out << fields.join("|");
    }
    return out;
}

} // namespace

// The runs, reports and browsers that walk their rows once read them as a stream: it
// must give exactly the rows a snapshot gives, in the same order with the same values.
TEST(RowStream, GivesTheSnapshotsRowsForEveryStatementThatStreams) {
    TestDatabase db;
    Books books(db);
    ScriptedUi ui;
    zelk::NoProgress progress;
    books.openBalancedBooks(1, 2004);
    books.addTransaction("T1", QDate(2004, 1, 10), {{"1000", "100"}, {"5000", "-100"}}, "S1",
                         "Sale");
    books.addTransaction("T2", QDate(2004, 1, 20),
                         {{"6000", "40"}, {"1100", "-25.5"}, {"1000", "-14.5"}});
    books.addTransaction("T3", QDate(2004, 2, 3), {{"1000", "70"}, {"5000", "-70"}});
    books.addTransaction(
        "T4", QDate(2004, 2, 9),
        {{"6000", "5"}, {"6000", "1"}, {"1100", "-3"}, {"1000", "-2"}, {"2000", "-1"}});
    books.addTransaction("T5", QDate(2004, 3, 1), {{"1000", "9"}, {"5000", "-9"}});
    ASSERT_EQ(zelk::periods::PostTransactions(db.cnn(), progress)
                  .run(QDate(2004, 1, 1), QDate(2004, 2, 29)),
              zelk::periods::RunOutcome::Done);
    ASSERT_EQ(zelk::periods::EndMonth(db.cnn(), progress).run(1), zelk::periods::RunOutcome::Done);

    const QDate from(2004, 1, 1), to(2004, 12, 31);
    const struct {
        const char* what;
        QString sql;
    } statements[] = {
        {"unposted in range", GetUnpostedTransactionsInRange(from, to)},
        {"posted in range", GetPostedTransactionsInRange(from, to)},
        {"history in range", GetTransactionHistoriesInRange(from, to)},
        {"transaction list report", GetTransactionListLinesInRange(from, to)},
        {"history browser", GetTransactionHistoryView(from, to)},
        {"general ledger browser", GetGeneralLedgerView(1, 0)},
        {"account card", GetAccountCardLines("1000", from, to)},
        {"transactions list window", GetTransactionList()},
        {"accounts list window", GetAccountList()},
    };
    for (const auto& s : statements) {
        SCOPED_TRACE(s.what);
        const QStringList snapshot = rowsOf(db.cnn().execute(s.sql));
        EXPECT_FALSE(snapshot.isEmpty());
        zelk::RowSet streamed = db.cnn().stream(s.sql);
        EXPECT_TRUE(streamed.isForwardOnly());
        EXPECT_EQ(streamed.fieldNames(), db.cnn().execute(s.sql).fieldNames());
        EXPECT_EQ(rowsOf(streamed), snapshot);
    }
    // An empty result is empty at once.
    zelk::RowSet none =
        db.cnn().stream(GetTransactionsInRange(QDate(1999, 1, 1), QDate(1999, 2, 1)));
    EXPECT_TRUE(none.isEmpty());
    EXPECT_TRUE(none.eof());
}

// A stream ends with the database transaction it was read in: a read after that is an
// error, never a row of other books or an early end; requery reads the rows again.
TEST(RowStream, EndsCleanlyWithItsTransaction) {
    TestDatabase db;
    for (int i = 0; i < 5; ++i)
        db.exec(InsertAccount(QString::number(1000 + i), "Account", 1, ""));
    const struct {
        const char* what;
        bool openInside;
        std::function<void(Connection&)> end;
    } endings[] = {
        {"commit", true, [](Connection& c) { c.commitTrans(); }},
        {"rollback", true, [](Connection& c) { c.rollbackTrans(); }},
        {"a transaction begins", false, [](Connection& c) { c.beginTrans(); }},
        {"close", false, [](Connection& c) { c.close(); }},
    };
    for (const auto& e : endings) {
        SCOPED_TRACE(e.what);
        if (!db.cnn().isOpen())
            db.reopen();
        if (e.openInside)
            db.cnn().beginTrans();
        zelk::RowSet rs = db.cnn().stream(GetAccountList());
        EXPECT_THROW(rs.recordCount(), DbError);
        EXPECT_EQ(rs.text("AccountNo"), "1000");
        rs.moveNext();
        EXPECT_THROW(rs.moveFirst(), DbError) << "forward only";
        e.end(db.cnn());
        try {
            rs.moveNext();
            ADD_FAILURE() << "read on after the transaction ended";
        } catch (const DbError& err) {
            EXPECT_TRUE(err.description().contains("transaction that has ended"));
        }
        EXPECT_THROW(rs.eof(), DbError);
        EXPECT_THROW(rs.text("AccountNo"), DbError);
        if (db.cnn().inTransaction())
            db.cnn().rollbackTrans();
        if (db.cnn().isOpen()) {
            rs.requery();
            EXPECT_EQ(rowsOf(rs).size(), 5);
        }
    }
}

// Qt's hashing leaves the upper halves of the vector registers in use, and every older
// vector instruction after it runs slower until they are cleared: the engine's steps and
// a worker thread's start clear them.
TEST(Connection, TheEngineAndWorkerThreadsRunWithTheVectorRegistersCleared) {
    if (!hashAsQtDoes())
        GTEST_SKIP() << "Qt's hashing leaves nothing to clear on this processor";
    TestDatabase db;
    Books(db).openBalancedBooks(1, 2004);
    ASSERT_TRUE(hashAsQtDoes());
    zelk::RowSet accounts = db.cnn().stream(GetAccountList());
    EXPECT_EQ(vectorUppersInUse(), false) << "the stream's first step";
    ASSERT_TRUE(hashAsQtDoes());
    accounts.moveNext();
    ASSERT_FALSE(accounts.eof());
    EXPECT_EQ(vectorUppersInUse(), false) << "the stream's next step";
    ASSERT_TRUE(hashAsQtDoes());
    db.cnn().execute(GetAccountList());
    EXPECT_EQ(vectorUppersInUse(), false) << "a statement run";

    struct Batch {
        int n = 0;
        bool empty() const { return n == 0; }
        void clear() { n = 0; }
    };
    ASSERT_TRUE(hashAsQtDoes());
    std::optional<bool> workerInUse;
    zelk::HandOver<Batch> worker([&](Batch&) { workerInUse = vectorUppersInUse(); });
    worker.filling().n = 1;
    worker.finish();
    EXPECT_EQ(workerInUse, false) << "a worker thread started by a thread that hashed";
}
