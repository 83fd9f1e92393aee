// zelk-cli end to end: a whole year in a temporary folder, run as a script would run it.
#include "core/books/Passphrases.h"
#include "core/data/Connection.h"
#include "support/ScriptedUi.h"
#include "support/TestDatabase.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

struct Result {
    int code;
    QString out, err;
};

class Cli : public ::testing::Test {
protected:
    QTemporaryDir dir;
    const int year = QDate::currentDate().year(); // a new file opens the current year

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();

    Result run(QStringList args, bool books = true) {
        QProcess p;
        p.setProcessEnvironment(environment);
        // No terminal to ask a passphrase on: the program must not wait for one.
        p.setChildProcessModifier([] { setsid(); });
        p.setWorkingDirectory(dir.path());
        if (books)
            args = QStringList{QStringLiteral("--file"), dir.path()} + args;
        p.start(QStringLiteral(ZELK_CLI), args);
        EXPECT_TRUE(p.waitForFinished(120000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    void write(const char* name, const QString& text) {
        writeFile(dir.filePath(QLatin1String(name)), text.toUtf8());
    }
    QString day(int month, int d) const { return QDate(year, month, d).toString(Qt::ISODate); }
};

} // namespace

TEST_F(Cli, AWholeYearScriptedWithItsExitCodes) {
    EXPECT_EQ(run({}).code, 2);
    EXPECT_EQ(run({"end-month", "13"}).code, 2);
    EXPECT_EQ(run({"report", "trial-balance", "--format", "csv"}).code, 2); // no --month
    EXPECT_EQ(run({"--help"}).code, 0);
    EXPECT_TRUE(run({"report", "--help"}).out.contains("--format"));

    write("accounts.csv", "AccountNo;AccountName;Class;BeginningBalance\n1000;Cash;1;500\n"
                          "2000;Capital;3;-500\n3900;Result;4;\n3901;Other result;4;\n"
                          "4000;Sales;5;\n5000;Costs;6;\n");
    QString lines = "TransactionNo,Date,Source,Description,AccountNo,Debit,Credit\n";
    for (int m = 1; m <= 12; ++m)
        lines += QStringLiteral("S%1,%2,INV,Sale,1000,100,\nS%1,%2,INV,Sale,4000,,100\n"
                                "C%1,%2,BILL,Costs,5000,60,\nC%1,%2,BILL,Costs,1000,,60\n")
                     .arg(m)
                     .arg(day(m, 10));
    write("journal.csv", lines);
    write("bad.csv",
          "TransactionNo,Date,AccountNo,Amount\nX,2000-01-01,1000,1\nX,2000-01-01,4711,-1\n");

    EXPECT_EQ(run({"accounts", "import", "accounts.csv"}).code, 0);
    const Result bad = run({"transactions", "import", "bad.csv"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_TRUE(bad.err.contains("line 3: account 4711 does not exist")) << bad.err.toStdString();
    EXPECT_EQ(run({"transactions", "import", "journal.csv"}).code, 0);
    EXPECT_EQ(run({"post", "--from", day(1, 1), "--to", day(12, 31)}).code, 0);

    const Result tb = run({"report", "trial-balance", "--month", "3", "--format", "csv"});
    EXPECT_EQ(tb.code, 0);
    EXPECT_TRUE(tb.out.contains("\"4000\",\"Sales\",\"0.00\",\"100.00\"\r\n"))
        << tb.out.toStdString();
    ASSERT_EQ(run({"report", "trial-balance", "--month", "3", "--format", "xlsx", "--output",
                   dir.filePath("tb.xlsx")})
                  .code,
              0);
    const Result unwritable = run({"report", "trial-balance", "--month", "3", "--format", "xlsx",
                                   "--output", dir.filePath("none/tb.xlsx")});
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_TRUE(unwritable.err.contains("could not be written")) << unwritable.err.toStdString();
    QProcess unzip;
    unzip.start("unzip", {"-p", dir.filePath("tb.xlsx"), "xl/worksheets/sheet1.xml"});
    ASSERT_TRUE(unzip.waitForFinished());
    const QString sheet = QString::fromUtf8(unzip.readAllStandardOutput());
    EXPECT_TRUE(sheet.contains("<v>160</v>")) << sheet.toStdString(); // the debits' total

    for (int m = 1; m <= 12; ++m)
        ASSERT_EQ(run({"end-month", QString::number(m)}).code, 0) << m;
    EXPECT_EQ(run({"revert-end-year"}).code, 1); // nothing closed yet, months are closed
    // Two earning accounts: the choice is needed, and must be one of them.
    EXPECT_TRUE(run({"end-year"}).err.contains("--earning"));
    EXPECT_EQ(run({"end-year", "--earning", "4000"}).code, 1);
    // An unposted transaction (in December, which End Month closed: --yes to import it):
    // the question goes unanswered without --yes.
    write("late.csv", "TransactionNo,Date,AccountNo,Amount\nL1," + day(12, 31) + ",1000,1\nL1," +
                          day(12, 31) + ",4000,-1\n");
    EXPECT_EQ(run({"--yes", "transactions", "import", "late.csv"}).code, 0);
    const Result asked = run({"end-year", "--earning", "3900"});
    EXPECT_EQ(asked.code, 1);
    EXPECT_TRUE(asked.err.contains("--yes"));
    EXPECT_EQ(run({"--yes", "end-year", "--earning", "3900"}).code, 0);

    const Result after = run({"check"});
    EXPECT_EQ(after.code, 0) << after.out.toStdString();
    EXPECT_TRUE(after.out.contains(QStringLiteral("Open year: %1\n").arg(year + 1)));
    EXPECT_TRUE(after.out.contains("Books balance: yes"));
    const Result bs = run({"report", "balance-sheet", "--month", "1", "--format", "txt"});
    EXPECT_EQ(bs.code, 0);
    // 500 + 12 * 40 in cash; the year's result 480 closed into 3900.
    EXPECT_TRUE(bs.out.contains("980.00")) << bs.out.toStdString();
    EXPECT_EQ(run({"revert-end-year"}).code, 0);
    EXPECT_TRUE(run({"check"}).out.contains(QStringLiteral("Open year: %1\n").arg(year)));

    // Books under a passphrase open with ZELK_PASSPHRASE only (the program's derivation).
    {
        zelk::Connection::setPassphraseRounds(zelk::Connection::PassphraseRounds);
        ScriptedUi ui;
        std::unique_ptr<zelk::Connection> cnn = zelk::Connection::open(dir.path());
        zelk::PassphraseChange change{QString(), "s3cret words", "s3cret words"};
        const bool changed = zelk::ChangePassphrase(*cnn, change);
        zelk::Connection::setPassphraseRounds(TestPassphraseRounds);
        ASSERT_TRUE(changed);
    }
    const Result locked = run({"check"});
    EXPECT_EQ(locked.code, 1);
    EXPECT_TRUE(locked.err.contains("ZELK_PASSPHRASE")) << locked.err.toStdString();
    environment.insert("ZELK_PASSPHRASE", "wrong");
    EXPECT_EQ(run({"check"}).code, 1);
    environment.insert("ZELK_PASSPHRASE", "s3cret words");
    EXPECT_EQ(run({"check"}).code, 0);

    // After another change, the snapshot under the old passphrase is restored given it,
    // under the books' new key.
    {
        zelk::Connection::setPassphraseRounds(zelk::Connection::PassphraseRounds);
        ScriptedUi ui;
        std::unique_ptr<zelk::Connection> cnn = zelk::Connection::open(dir.path(), "s3cret words");
        zelk::PassphraseChange change{"s3cret words", "new words", "new words"};
        const bool changed = zelk::ChangePassphrase(*cnn, change);
        zelk::Connection::setPassphraseRounds(TestPassphraseRounds);
        ASSERT_TRUE(changed);
    }
    environment.insert("ZELK_PASSPHRASE", "new words");
    const QStringList listed = run({"snapshots"}).out.split('\n').filter("another key");
    ASSERT_EQ(listed.size(), 1) << listed.join('\n').toStdString();
    const QString name = listed[0].section('\t', 0, 0);
    EXPECT_TRUE(name.endsWith("-before-change-passphrase.mdb")) << name.toStdString();
    const Result unknown = run({"--yes", "restore", name});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_TRUE(unknown.err.contains("does not open with the passphrases given"))
        << unknown.err.toStdString();
    environment.insert("ZELK_SNAPSHOT_PASSPHRASE", "s3cret words");
    EXPECT_EQ(run({"restore", name}).code, 1); // asked, and not answered
    const Result restored = run({"--yes", "restore", name});
    EXPECT_EQ(restored.code, 0) << restored.err.toStdString();
    EXPECT_TRUE(restored.err.contains("The books have been restored"))
        << restored.err.toStdString();
    EXPECT_EQ(run({"check"}).code, 0);
    EXPECT_EQ(run({"snapshots"}).out.count("-before-restore.mdb\tRestore\t"), 1);
}

// What cannot be done soundly is refused and named: an unknown word, a folder that is not
// there, books that are not there (a reading command never makes them), a file over the
// books; a file's decimal mark is its own unless given; a date in a closed month needs --yes.
TEST_F(Cli, RefusesWhatItCannotDoSoundlyAndSaysWhy) {
    EXPECT_TRUE(run({"bogus"}).err.contains("bogus is not a command of zelk-cli"));
    EXPECT_TRUE(
        run({"accounts", "frobnicate"}).err.contains("frobnicate is not a command of accounts"));
    const Result missing = run({"--file", dir.filePath("none/Zelk.mdb"), "check"}, false);
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.err.contains("the folder " + dir.filePath("none") + " does not exist"));
    const Result none = run({"check"});
    EXPECT_EQ(none.code, 1);
    EXPECT_TRUE(none.err.contains("There are no books at " + dir.path())) << none.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("Zelk.mdb")));

    environment.insert("LC_ALL", "de_DE.UTF-8");
    write("accounts.csv", "AccountNo;AccountName;Class;BeginningBalance\n1000;Kasse;1;1.250\n"
                          "2000;Kapital;3;-1.250\n4000;Erl\u00f6se;5;\n");
    const Result chart = run({"accounts", "import", "accounts.csv"});
    EXPECT_EQ(chart.code, 0);
    EXPECT_TRUE(chart.err.contains("decimal mark \",\" (the locale's")) << chart.err.toStdString();
    EXPECT_TRUE(
        run({"accounts", "export", "-"}).out.contains("\"1000\",\"Kasse\",\"Assets\",\"1250.00\""));
    write("march.csv",
          QStringLiteral("TransactionNo;Date;AccountNo;Amount\nM1;31.03.%1;1000;1.250\n"
                         "M1;31.03.%1;4000;-1.250\n")
              .arg(year % 100, 2, 10, QLatin1Char('0')));
    EXPECT_EQ(run({"transactions", "import", "--decimal-mark", ".", "march.csv"}).code, 0);
    EXPECT_TRUE(
        run({"transactions", "export", "-"})
            .out.contains(
                QStringLiteral("\"M1\",\"%1\",\"\",\"\",\"1000\",\"1.25\"").arg(day(3, 31))));
    EXPECT_EQ(run({"post", "--from", day(3, 1), "--to", day(3, 31)}).code, 0);
    EXPECT_EQ(run({"end-month", "3"}).code, 0);
    write("late.csv",
          QStringLiteral("TransactionNo,Date,AccountNo,Amount\nL1,%1,1000,1\nL1,%1,4000,-1\n")
              .arg(day(3, 30)));
    const Result asked = run({"transactions", "import", "late.csv"});
    EXPECT_EQ(asked.code, 1);
    EXPECT_TRUE(asked.err.contains("L1 is dated in March")) << asked.err.toStdString();
    EXPECT_TRUE(asked.err.contains("--yes"));
    EXPECT_EQ(run({"--yes", "transactions", "import", "late.csv"}).code, 0);
    // A number End Month closed in the open year is not used again.
    write("again.csv", QStringLiteral("TransactionNo,Date,AccountNo,Amount\nm1,%1,1000,1\n"
                                      "m1,%1,4000,-1\n")
                           .arg(day(4, 2)));
    EXPECT_TRUE(run({"transactions", "import", "again.csv"})
                    .err.contains("line 2: Transaction no. m1 is already in the history of March"));

    const QByteArray books = readFile(dir.filePath("Zelk.mdb"));
    EXPECT_EQ(run({"transactions", "export", dir.filePath("Zelk.mdb")}).code, 1);
    const Result over = run({"report", "trial-balance", "--month", "3", "--format", "rtf",
                             "--output", dir.filePath("Zelk.mdb")});
    EXPECT_EQ(over.code, 1);
    EXPECT_TRUE(over.err.contains("never written over")) << over.err.toStdString();
    EXPECT_EQ(readFile(dir.filePath("Zelk.mdb")), books);
    EXPECT_EQ(run({"check"}).code, 0);
}

// Books set up by a script: named by $ZELK_BOOKS or --file, any name, made by new-company;
// on books that hold a company it asks first and keeps a snapshot.
TEST_F(Cli, NewCompanySetsUpBooksWhereverTheyAreNamed) {
    const QString acme = dir.filePath("acme.mdb");
    environment.insert("ZELK_BOOKS", acme);
    const QStringList company{"new-company", "--name",  "Acme Ltd", "--address",
                              "1 Road",      "--phone", "555",      "--first-month",
                              "4",           "--year",  "2026"};
    EXPECT_EQ(run({"check"}, false).code, 1) << "reading never makes books";
    EXPECT_FALSE(QFile::exists(acme));
    const Result made = run(company, false);
    EXPECT_EQ(made.code, 0) << made.err.toStdString();
    EXPECT_TRUE(made.out.contains("New company Acme Ltd: fiscal year 2026, beginning 2026-04-01"))
        << made.out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("Backups"))) << "nothing to keep of new books";

    const Result asked = run(company, false);
    EXPECT_EQ(asked.code, 1);
    EXPECT_TRUE(asked.err.contains("--yes")) << asked.err.toStdString();
    EXPECT_EQ(run(QStringList{"--yes"} + company, false).code, 0);
    EXPECT_EQ(QDir(dir.filePath("Backups/acme")).entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(run({"check"}, false).out.contains("Acme Ltd"));
    const Result incomplete = run({"--file", dir.path(), "new-company", "--name", "B",
                                   "--first-month", "1", "--year", "2026"},
                                  false);
    EXPECT_EQ(incomplete.code, 1);
    EXPECT_TRUE(incomplete.err.contains("Nothing was changed."));
}
