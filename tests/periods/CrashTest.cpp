#include "core/data/modDBUtil.h"
#include "core/periods/PostingRuns.h"
#include "support/Books.h"
#include "support/ChildJob.h"

#include <QFile>
#include <QProcess>
#include <QThread>
#include <cstdio>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

using namespace zelk::periods;

namespace {

// The moment the database file was last written, in nanoseconds.
qint64 modified(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// The progress of the child's posting run: once the run has written into the database
// file itself (its changes no longer fit in memory), it says so and waits to be killed;
// it never lets the run reach its commit.
class WaitForTheKill : public zelk::ProgressSink {
public:
    explicit WaitForTheKill(QString path) : m_path(std::move(path)), m_start(modified(m_path)) {}
    void setMaximum(int maximum) override { m_maximum = maximum; }
    void setValue(int value) override { m_value = value; }
    void pumpEvents() override {
        const bool written = modified(m_path) != m_start;
        if (!written && m_value < m_maximum)
            return;
        std::printf("%s at step %d of %d\n", written ? "WRITTEN" : "NOT WRITTEN", m_value,
                    m_maximum);
        std::fflush(stdout);
        for (int i = 0; i < 1200; ++i) // two minutes at most, then give up
            QThread::msleep(100);
        std::_Exit(3);
    }

private:
    QString m_path;
    qint64 m_start;
    int m_maximum = 0;
    int m_value = 0;
};

// The child process of the test below: posts the whole journal of the database in the
// folder it is given, and is killed in the middle of the run.
void postAndWaitForTheKill(const QString& folder) {
    std::unique_ptr<zelk::Connection> cnn = zelk::Connection::open(folder);
    zelk::g_cnn = cnn.get();
    ScriptedUi ui;
    WaitForTheKill progress(cnn->filePath());
    PostTransactions post(*cnn, progress);
    post.run(QDate(2003, 1, 1), QDate(2003, 12, 31));
    std::printf("the run was not stopped\n");
    std::_Exit(4);
}
const bool childRegistered = registerChildJob("posting", postAndWaitForTheKill);

} // namespace

// A program killed in the middle of a posting run (killed, or the power lost) leaves the
// books as they were before the run: the run is one transaction with a rollback journal
// and synchronous writes, so the next open rolls back what had reached the file.
TEST(PostingCrash, KilledInTheMiddleTheBooksAreAsBefore) {
    TestDatabase db;
    Books books(db);
    books.newCompany(1, 2003);
    books.addAccount("1000", 1);
    books.addAccount("5000", 5);
    // enough long transactions that the run's changes outgrow the page cache and are
    // written into the file before the end of the run
    const QString filler(1900, QChar(u'x'));
    db.cnn().beginTrans();
    for (int i = 0; i < 32000; ++i) {
        const QString no = QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0'));
        db.exec(modDBUtil::InsertTransaction(no, "", filler, QDate(2003, 1, 1).addDays(i % 365),
                                             false));
        db.exec(modDBUtil::InsertTransactionDetail(no, "1000", 1, money("1.25")));
        db.exec(modDBUtil::InsertTransactionDetail(no, "5000", 2, money("-1.25")));
    }
    db.cnn().commitTrans();
    const QByteArray before = books.digest();
    const QString journal = db.filePath() + "-journal";
    db.cnn().close();

    QProcess child;
    // whatever happens below, the child does not outlive the test
    struct KillAtEnd {
        QProcess& p;
        ~KillAtEnd() {
            if (p.state() != QProcess::NotRunning) {
                p.kill();
                p.waitForFinished(30000);
            }
        }
    } killAtEnd{child};
    startChildJob(child, "posting", db.folder());
    ASSERT_TRUE(child.waitForStarted(30000));
    QByteArray said;
    while (!said.contains("WRITTEN") && child.state() == QProcess::Running)
        if (child.waitForReadyRead(300000))
            said += child.readAllStandardOutput();
    ASSERT_TRUE(said.contains("WRITTEN"))
        << said.toStdString() << child.readAllStandardError().toStdString();
    ASSERT_FALSE(said.contains("NOT WRITTEN"))
        << "the run reached its end without writing into the file: " << said.toStdString();
    std::printf("the child: %s", said.mid(said.indexOf("WRITTEN")).constData());
    EXPECT_TRUE(QFile::exists(journal)) << "no rollback journal beside the file";
    ::kill(pid_t(child.processId()), SIGKILL);
    ASSERT_TRUE(child.waitForFinished(30000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);

    db.reopen(); // the open reads every page (quick check) and so rolls the journal back
    zelk::RowSet check = db.query("PRAGMA integrity_check");
    ASSERT_FALSE(check.eof());
    EXPECT_EQ(check.value(0).toString(), "ok");
    EXPECT_EQ(books.digest(), before);
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_Transactions WHERE Posted<>0"), 0);
    EXPECT_FALSE(QFile::exists(journal));
}
