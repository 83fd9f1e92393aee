#include "core/books/Snapshots.h"
#include "core/data/FiscalCalendar.h"
#include "core/exchange/BooksExport.h"
#include "core/exchange/CsvImport.h"
#include "core/exchange/TableExport.h"
#include "support/Books.h"
#include "support/ScriptedUi.h"
#include "support/TestDatabase.h"
#include "support/VectorRegisters.h"

#include <QBuffer>
#include <QDir>
#include <QLocale>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::exchange;

namespace {

// A chart of balanced beginning balances, as a spreadsheet would save it: semicolons,
// Windows-1252, columns in another order and case, a class by name.
const QByteArray Chart = "notes;ACCOUNTNO;accountname;Class;BeginningBalance\r\n"
                         ";1000;Caisse;1;1,000.00\r\n"
                         "\"=HYPERLINK(\"\"x\"\")\";1200;Banque \"BNP\";assets;2000\r\n"
                         ";2000;Fournisseurs;2;-3000\r\n"
                         "'quoted;3900;R\xe9sultat;Earning;\r\n"
                         ";4000;Ventes;5;\r\n"
                         ";5000;Achats;6;\r\n";

const QByteArray Journal = "\xEF\xBB\xBFTransactionNo,Date,Source,Description,AccountNo,Amount\n"
                           "T1,2026-01-05,INV,\"Sale, \"\"big\"\"\",1000,150.00\n"
                           "T1,2026-01-05,INV,\"Sale, \"\"big\"\"\",4000,-150.00\n"
                           "t2,2026-01-10,BILL,\"@two\nlines\",5000,80.5\n"
                           "t2,2026-01-10,BILL,\"@two\nlines\",2000,-80.5\n";

QByteArray booksCsv(Connection& cnn) {
    return CsvBytes(AccountsTable(cnn)) + CsvBytes(TransactionsTable(cnn));
}

void importBoth(Connection& cnn, const QByteArray& accounts, const QByteArray& trxs) {
    AccountImport a;
    a.read(cnn, accounts);
    ASSERT_TRUE(a.problems().empty()) << a.problemText().toStdString();
    ASSERT_EQ(a.write(cnn), CommandOutcome::Committed);
    TransactionImport t;
    t.read(cnn, trxs);
    ASSERT_TRUE(t.problems().empty()) << t.problemText().toStdString();
    ASSERT_EQ(t.write(cnn, {}, [] { return true; }), CommandOutcome::Committed);
}

} // namespace

TEST(CsvRead, EncodingSeparatorAndLineNumbers) {
    const CsvFile chart = ReadCsv(Chart);
    EXPECT_FALSE(chart.layout.utf8);
    EXPECT_EQ(chart.layout.separator, ';');
    ASSERT_EQ(chart.records.size(), 7u);
    EXPECT_EQ(chart.records[2].fields[0], QStringLiteral("=HYPERLINK(\"x\")"));
    EXPECT_EQ(chart.records[2].fields[2], QStringLiteral("Banque \"BNP\""));
    EXPECT_EQ(chart.records[4].fields[2], QStringLiteral("R\u00e9sultat"));

    const CsvFile journal = ReadCsv(Journal);
    EXPECT_TRUE(journal.layout.utf8);
    EXPECT_EQ(journal.layout.separator, ',');
    ASSERT_EQ(journal.records.size(), 5u);
    EXPECT_EQ(journal.records[0].fields[0], QStringLiteral("TransactionNo")); // BOM gone
    // A quoted line break: the record after it begins two lines further on.
    EXPECT_EQ(journal.records[3].line, 4);
    EXPECT_EQ(journal.records[4].line, 6);

    const CsvFile open = ReadCsv("a,b\n1,\"2\n");
    EXPECT_EQ(open.layout.errorLine, 2);
    EXPECT_FALSE(open.layout.error.isEmpty());

    // Every line end counts, CR alone too, quoted or not; blanks inside quotes stay.
    const CsvFile mac = ReadCsv("a\tb\r1\t\"  x  \"\r\r2\t\"y\rz\"\r\n3\t4");
    EXPECT_EQ(mac.layout.separator, '\t');
    ASSERT_EQ(mac.records.size(), 4u);
    EXPECT_EQ(mac.records[1].fields, (QStringList{"1", "  x  "}));
    EXPECT_EQ(mac.records[2].line, 4);
    EXPECT_EQ(mac.records[2].fields[1], "y\rz");
    EXPECT_EQ(mac.records[3].line, 6);
}

// Export, import into new books, export again: the same books.
TEST(CsvImport, RoundTripGivesTheSameBooks) {
    QByteArray first;
    QByteArray accounts, trxs;
    {
        TestDatabase db;
        ScriptedUi ui;
        importBoth(db.cnn(), Chart, Journal);
        EXPECT_EQ(db.count(QStringLiteral("Ledger_TransactionDetails")), 4);
        // texts a spreadsheet would take for formulas or numbers, and one not in ASCII
        TransactionImport more;
        more.read(db.cnn(), "TransactionNo,Date,Source,Description,AccountNo,Amount\n"
                            "T3,2026-01-12,+12,-A1 M\xC3\xBCller,1000,1.5\n"
                            "T3,2026-01-12,+12,-A1 M\xC3\xBCller,4000,-1.5\n"
                            "T4,2026-01-13,'x,+49 30,1000,2\nT4,2026-01-13,'x,+49 30,4000,-2\n");
        ASSERT_EQ(more.write(db.cnn(), {}, [] { return true; }), CommandOutcome::Committed);
        first = booksCsv(db.cnn());
        // the streamed export writes the books' texts as the table's cells are written
        const QString streamed = db.folder() + "/streamed.csv";
        ExportTransactions(db.cnn(), *CsvFileRows(streamed, &db.cnn()));
        EXPECT_EQ(readFile(streamed), CsvBytes(TransactionsTable(db.cnn())));
        accounts = CsvBytes(AccountsTable(db.cnn()));
        trxs = CsvBytes(TransactionsTable(db.cnn()));
        EXPECT_TRUE(ui.dialogs().empty());
    }
    EXPECT_TRUE(first.contains("\"'=HYPERLINK(\"\"x\"\")\"")) << first.toStdString();
    EXPECT_TRUE(first.contains("\"''quoted\""));
    EXPECT_TRUE(first.contains("\"+12\",\"'-A1 M\xC3\xBCller\",\"1000\",\"1.50\""))
        << first.toStdString();
    EXPECT_TRUE(first.contains("\"''x\",\"'+49 30\""));
    EXPECT_TRUE(first.contains("\"R\xC3\xA9sultat\",\"Earning\",\"0.00\""));
    EXPECT_TRUE(first.contains("\"1200\",\"Banque \"\"BNP\"\"\",\"Assets\",\"2000.00\""));
    TestDatabase again;
    ScriptedUi ui;
    importBoth(again.cnn(), accounts, trxs);
    EXPECT_EQ(booksCsv(again.cnn()), first);
}

TEST(CsvImport, EveryProblemIsNamedByLineAndNothingIsWritten) {
    const QString shortDate = QLocale().toString(QDate(2026, 1, 31), QLocale::ShortFormat);
    struct Case {
        bool accounts;
        QByteArray csv;
        QStringList problems;
    } cases[] = {
        {true, "AccountNo,AccountName\n1,x\n", {"line 1: the column Class is missing"}},
        {true,
         "AccountNo,AccountName,Class,BeginningBalance\n1000,Dup,1,0\n1001,,2,0\n1002,X,7,0\n"
         ",Y,1,0\n1003,Z,1,\"12,5a\"\n",
         {"line 2: account 1000 already exists", "line 3: Account name is missing.",
          "line 4: 7 is not an account class (1 to 6 or its name)",
          "line 5: the account number is missing", "line 6: 12,5a is not an amount"}},
        {true,
         "AccountNo,AccountName,Class\n9,A,1\n9,B,1\n",
         {"line 3: account 9 is already on line 2"}},
        {false,
         "TransactionNo,Date,AccountNo\nT9,2026-01-01,1000\n",
         {"line 1: the columns Debit and Credit, or Amount, are missing"}},
        {false,
         "TransactionNo,Date,AccountNo,Debit,Credit\n"
         "T12,2026-01-05,1000,100,\nT12,2026-01-05,4000,,90\n"
         "T13,31.02.2026,4711,5,\nT13,2026-01-06,1000,,5\n"
         "T14," +
             shortDate.toUtf8() + ",1000,1,1\nT14," + shortDate.toUtf8() +
             ",4000,,\n"
             "T3,2026-01-07,1000,1,\nT3,2026-01-07,4000,,1\n"
             "T15,2026-01-08,1000,1,\nT15,2026-01-09,4000,,1\n"
             "T16,2026-01-08,,1,\nT16,2026-01-08,4000,,1\n",
         {"line 2: transaction T12 does not balance (debits 100.00, credits 90.00)",
          "line 4: 31.02.2026 is not a date", "line 4: account 4711 does not exist",
          "line 6: the line has both a debit and a credit", "line 7: the line has no amount",
          "line 8: T3 already exists", "line 11: T15 is dated 2026-01-08 on line 10",
          "line 12: the account number is missing"}},
        {false, "", {"line 1: the file holds no header row"}},
    };
    TestDatabase db;
    ScriptedUi ui;
    importBoth(db.cnn(), "AccountNo,AccountName,Class\n1000,Cash,1\n4000,Sales,5\n",
               "TransactionNo,Date,AccountNo,Debit,Credit\nT3,2026-01-01,1000,1,\n"
               "T3,2026-01-01,4000,,1\n");
    const QByteArray before = booksCsv(db.cnn());
    for (const Case& c : cases) {
        std::unique_ptr<CsvImport> import;
        if (c.accounts)
            import = std::make_unique<AccountImport>();
        else
            import = std::make_unique<TransactionImport>();
        import->read(db.cnn(), c.csv);
        QStringList got;
        for (const ImportProblem& p : import->problems())
            got << p.text();
        EXPECT_EQ(got, c.problems) << c.csv.toStdString();
        EXPECT_EQ(import->write(db.cnn(), {}, [] { return true; }), CommandOutcome::Abort);
        EXPECT_EQ(booksCsv(db.cnn()), before);
    }
    AccountImport missing;
    missing.readFile(db.cnn(), db.folder() + "/none.csv");
    EXPECT_TRUE(missing.problemText().startsWith("The file " + db.folder() + "/none.csv cannot"));
    EXPECT_EQ(missing.write(db.cnn()), CommandOutcome::Abort);
    EXPECT_TRUE(ui.dialogs().empty());
}

TEST(CsvImport, OnlyTheCheckedGroupsAreWritten) {
    TestDatabase db;
    ScriptedUi ui;
    importBoth(db.cnn(), "AccountNo,AccountName,Class\n1000,Cash,1\n4000,Sales,5\n",
               "TransactionNo,Date,AccountNo,Debit,Credit\n");
    TransactionImport t;
    t.setPreviewRows(3);
    t.read(db.cnn(), "TransactionNo,Date,AccountNo,Debit,Credit\nA,2026-01-01,1000,1,\n"
                     "a,2026-01-01,4000,,1\nB,2026-01-01,1000,2,\nB,2026-01-01,4000,,2\n");
    ASSERT_EQ(t.groupCount(), 2);
    EXPECT_EQ(t.lineCount(), 4);
    ASSERT_EQ(t.rows().size(), 3u); // the first rows only
    EXPECT_EQ(t.rows()[1].group, 2);
    ASSERT_EQ(t.write(db.cnn(), {false, false, true}, [] { return true; }),
              CommandOutcome::Committed);
    EXPECT_EQ(t.written(), 1);
    EXPECT_EQ(db.count(QStringLiteral("Ledger_Transactions")), 1);
    EXPECT_EQ(db.count(QStringLiteral("Ledger_TransactionDetails")), 2);
    // Each import wrote a snapshot of the books first.
    const std::vector<snapshots::Snapshot> copies = snapshots::list(db.cnn());
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_EQ(copies.front().step, "Import");
    EXPECT_TRUE(copies.front().usable);
}

namespace {

// A file as a spreadsheet or another program writes it, the user's locale and choices,
// and what comes of it: the problems, or a line of the journal's export.
struct RealFile {
    const char* what;
    QByteArray csv; // %Y: the open year, %y: its two last digits
    QLocale locale;
    ImportChoices choices;
    QStringList problems;
    QByteArray stored;
};

const QLocale German(QLocale::German, QLocale::Germany);
const QLocale American(QLocale::English, QLocale::UnitedStates);

} // namespace

// The transactions are written on a thread of their own while the next are checked: a
// refusal of the engine there is shown once, as the window's thread shows it (no Retry:
// what came after it was not run), and nothing of the file is written.
TEST(CsvImport, ARefusalWhileTheJournalIsWrittenIsShownAndWritesNothing) {
    TestDatabase db;
    ScriptedUi ui;
    importBoth(
        db.cnn(), "AccountNo,AccountName,Class\n1000,Cash,1\n4000,Sales,5\n",
        "TransactionNo,Date,AccountNo,Amount\nJ0,2026-01-05,1000,1\nJ0,2026-01-05,4000,-1\n");
    QByteArray journal = "TransactionNo,Date,AccountNo,Amount\n";
    for (int i = 1; i <= 8200; ++i) // many batches of the writing thread, 16,400 lines
        journal += "J" + QByteArray::number(i) + ",2026-01-05,1000,1\nJ" + QByteArray::number(i) +
                   ",2026-01-05,4000,-1\n";
    rawExec(db.filePath(), "CREATE TRIGGER refuse BEFORE INSERT ON Ledger_TransactionDetails WHEN "
                           "NEW.FKID_Transaction = 'J6000' BEGIN SELECT RAISE(ABORT, 'refused by "
                           "the test'); END");
    const QByteArray before = booksCsv(db.cnn());
    TransactionImport t;
    t.read(db.cnn(), journal);
    ASSERT_TRUE(t.problems().empty()) << t.problemText().toStdString();
    ui.answerDialog(Abort);
    EXPECT_EQ(t.write(db.cnn(), {}, [] { return true; }), CommandOutcome::Abort);
    EXPECT_EQ(t.written(), 0);
    EXPECT_EQ(booksCsv(db.cnn()), before);
    const std::vector<ScriptedUi::Asked> dialogs = ui.dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_TRUE(dialogs[0].text.contains("refused by the test")) << dialogs[0].text.toStdString();
    EXPECT_EQ(dialogs[0].buttons, 4); // Abort alone
    rawExec(db.filePath(), "DROP TRIGGER refuse");
    EXPECT_EQ(t.write(db.cnn(), {}, [] { return true; }), CommandOutcome::Committed);
    EXPECT_EQ(db.count(QStringLiteral("Ledger_Transactions")), 8201);
}

TEST(CsvImport, FilesAsRealProgramsWriteThemAreReadAsWrittenOrRefused) {
    const QByteArray hledger =
        "\"txnidx\",\"date\",\"date2\",\"status\",\"code\",\"description\",\"comment\","
        "\"account\",\"amount\",\"commodity\",\"credit\",\"debit\",\"posting-status\","
        "\"posting-comment\"\n";
    const RealFile files[] = {
        {"a European cell format",
         "TransactionNo;Date;AccountNo;Debit;Credit\n"
         "G1;31.03.%y;1000;1.250;\nG1;31.03.%y;4000;;1.250\n",
         German,
         {},
         {},
         "\"G1\",\"%Y-03-31\",\"\",\"\",\"1000\",\"1250.00\",\"0.00\""},
        {"the file's own decimal mark",
         "TransactionNo;Date;AccountNo;Debit;Credit\n"
         "G2;%Y-01-05;1000;0,125;\nG2;%Y-01-05;4000;;0,125\n",
         American,
         {},
         {},
         "\"G2\",\"%Y-01-05\",\"\",\"\",\"1000\",\"0.125\",\"0.00\""},
        {"a value that does not fit the chosen mark",
         "TransactionNo;Date;AccountNo;Debit;Credit\n"
         "G3;%Y-01-05;1000;0,125;\nG3;%Y-01-05;4000;;0,125\n",
         German,
         {'.', std::nullopt},
         {"line 2: 0,125 is not an amount with the decimal mark \".\"",
          "line 3: 0,125 is not an amount with the decimal mark \".\""},
         {}},
        {"a US short date in a German locale",
         "TransactionNo,Date,AccountNo,Amount\n"
         "U1,3/31/%y,1000,5\nU1,3/31/%y,4000,-5\n",
         German,
         {},
         {},
         "\"U1\",\"%Y-03-31\""},
        {"a date that does not fit the chosen order",
         "TransactionNo,Date,AccountNo,Amount\n"
         "U2,3/31/%y,1000,5\nU2,3/31/%y,4000,-5\n",
         German,
         {std::nullopt, DateOrder::DayMonthYear},
         {"line 2: 3/31/%y is not a date in the order day-month-year"},
         {}},
        {"one Windows-1252 line in UTF-8",
         "TransactionNo,Date,Description,AccountNo,Amount\n"
         "W1,%Y-01-05,M\xc3\xbcller,1000,5\nW1,%Y-01-05,M\xfcller,4000,-5\n",
         American,
         {},
         {"line 3: the line is not UTF-8, unlike the rest of the file"},
         {}},
        {"Debit, Credit and Amount that disagree",
         "TransactionNo,Date,AccountNo,Debit,Credit,Amount\n"
         "D1,%Y-01-05,1000,5,,5\nD1,%Y-01-05,4000,,5,5\n",
         American,
         {},
         {"line 3: the file has both Debit/Credit and Amount columns (they differ on this line)"},
         {}},
        {"hledger's layout, an account by its name",
         hledger +
             "\"1\",\"%Y-01-05\",\"\",\"Cleared\",\"\",\"Coffee\",\"\",\"Cash\",\"-3.50\",\"EUR\","
             "\"3.50\",\"\",\"\",\"\"\n\"1\",\"%Y-01-05\",\"\",\"Cleared\",\"\",\"Coffee\",\"\","
             "\"5000\",\"3.50\",\"EUR\",\"\",\"3.50\",\"\",\"\"\n",
         American,
         {},
         {},
         "\"1\",\"%Y-01-05\",\"\",\"Coffee\",\"1000\",\"0.00\",\"3.50\""},
        {"two commodities",
         hledger + "\"2\",\"%Y-01-05\",\"\",\"\",\"\",\"Tea\",\"\",\"Cash\",\"-3\",\"EUR\",\"3\","
                   "\"\",\"\",\"\"\n"
                   "\"2\",\"%Y-01-05\",\"\",\"\",\"\",\"Tea\",\"\",\"5000\",\"3\",\"USD\",\"\","
                   "\"3\",\"\",\"\"\n",
         American,
         {},
         {"line 3: the column commodity holds \"USD\" here and \"EUR\" on line 2; the books "
          "cannot keep it"},
         {}},
        {"0.0001 out of balance",
         "TransactionNo,Date,AccountNo,Amount\n"
         "B1,%Y-01-05,1000,10.0001\nB1,%Y-01-05,4000,-10\n",
         American,
         {},
         {"line 2: transaction B1 does not balance (debits 10.0001, credits 10.00)"},
         {}},
        {"tabs",
         "TransactionNo\tDate\tAccountNo\tAmount\nT1\t%Y-01-05\t1000\t7\n"
         "T1\t%Y-01-05\t4000\t-7\n",
         American,
         {},
         {},
         "\"T1\",\"%Y-01-05\""},
        {"CR line ends",
         "TransactionNo,Date,AccountNo,Amount\rC1,%Y-01-05,1000,1\r"
         "C1,%Y-01-05,4711,-1\r",
         American,
         {},
         {"line 3: account 4711 does not exist"},
         {}},
        {"blanks inside quotes",
         "TransactionNo,Date,Description,AccountNo,Amount\n"
         "K1,%Y-01-05,\"  two  \",1000,1\nK1,%Y-01-05,\"  two  \",4000,-1\n",
         American,
         {},
         {},
         "\"K1\",\"%Y-01-05\",\"\",\"  two  \""},
        {"five decimals",
         "TransactionNo,Date,AccountNo,Amount\n"
         "F1,%Y-01-05,1000,1.23456\nF1,%Y-01-05,4000,-1.23456\n",
         American,
         {},
         {"line 2: 1.23456 has more than four decimals",
          "line 3: -1.23456 has more than four decimals"},
         {}},
        {"the lines of a transaction apart",
         "TransactionNo,Date,AccountNo,Amount\n"
         "S1,%Y-01-05,1000,1\nS2,%Y-01-05,1000,1\nS1,%Y-01-05,4000,-1\nS2,%Y-01-05,4000,-1\n",
         American,
         {},
         {"line 2: transaction S1 does not balance (debits 1.00, credits 0.00)",
          "line 3: transaction S2 does not balance (debits 1.00, credits 0.00)",
          "line 4: the lines of S1 are not together: it begins on line 2",
          "line 5: the lines of S2 are not together: it begins on line 3"},
         {}},
    };
    TestDatabase db;
    ScriptedUi ui;
    importBoth(db.cnn(), "AccountNo,AccountName,Class\n1000,Cash,1\n4000,Sales,5\n5000,Costs,6\n",
               "TransactionNo,Date,AccountNo,Amount\n");
    const int year = CompanyRow::read(db.cnn()).CurrentPeriodYear;
    auto withYear = [&](QByteArray text) {
        return text.replace("%Y", QByteArray::number(year))
            .replace("%y", QByteArray::number(year % 100).rightJustified(2, '0'));
    };
    for (const RealFile& f : files) {
        QLocale::setDefault(f.locale);
        TransactionImport t;
        t.setChoices(f.choices);
        t.read(db.cnn(), withYear(f.csv));
        QStringList expected;
        for (const QString& p : f.problems)
            expected << QString::fromUtf8(withYear(p.toUtf8()));
        QStringList got;
        for (const ImportProblem& p : t.problems())
            got << p.text();
        EXPECT_EQ(got, expected) << f.what;
        EXPECT_EQ(t.write(db.cnn(), {}, [] { return true; }) == CommandOutcome::Committed,
                  expected.isEmpty())
            << f.what;
        if (!f.stored.isEmpty()) {
            const QByteArray journal = CsvBytes(TransactionsTable(db.cnn()));
            EXPECT_TRUE(journal.contains(withYear(f.stored))) << f.what << "\n"
                                                              << journal.toStdString();
        }
    }
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(db.count(QStringLiteral("Ledger_Transactions")), 6);

    // A date outside the open year, or in a month End Month closed, needs a yes.
    TransactionImport late;
    const QByteArray day = QByteArray::number(year + 1) + "-12-31";
    late.read(db.cnn(), "TransactionNo,Date,AccountNo,Amount\nL1," + day + ",1000,1\nL1," + day +
                            ",4000,-1\n");
    ASSERT_EQ(late.noticeCount(), 1);
    EXPECT_EQ(late.notices()[0].text(),
              QStringLiteral("line 2: L1 is dated in December %1, outside the open fiscal year %2")
                  .arg(year + 1)
                  .arg(year));
    EXPECT_EQ(late.write(db.cnn(), {}, [] { return false; }), CommandOutcome::Abort);
    EXPECT_EQ(late.write(db.cnn(), {}, [] { return true; }), CommandOutcome::Committed);
    EXPECT_TRUE(ui.dialogs().empty());
}

// An export never writes over the books: not their file, their journal or a snapshot.
TEST(CsvExport, NeverWritesOverTheBooksOrTheirSnapshots) {
    TestDatabase db;
    ScriptedUi ui;
    ASSERT_TRUE(QDir().mkpath(db.folder() + "/Backups"));
    writeFile(db.folder() + "/Backups/Zelk-old.mdb", "copy");
    const QByteArray books = db.fileBytes();
    for (const QString& path :
         {db.filePath(), db.filePath() + "-journal", db.folder() + "/Backups/Zelk-old.mdb",
          db.folder() + "/Backups/x.csv"})
        EXPECT_THROW(WriteTable(AccountsTable(db.cnn()), path, &db.cnn()), ExportError)
            << path.toStdString();
    EXPECT_EQ(db.fileBytes(), books);
    EXPECT_EQ(readFile(db.folder() + "/Backups/Zelk-old.mdb"), "copy");
    WriteTable(AccountsTable(db.cnn()), db.folder() + "/accounts.csv", &db.cnn());
    EXPECT_TRUE(readFile(db.folder() + "/accounts.csv").startsWith("\xEF\xBB\xBF\"AccountNo\""));

    // A disk that fills while the journal goes out stops the export, and leaves no file.
    QByteArray journal = "TransactionNo,Date,AccountNo,Amount\n";
    for (int i = 0; i < 400; ++i)
        journal += "J" + QByteArray::number(i) + ",2026-01-05,1000,1\nJ" + QByteArray::number(i) +
                   ",2026-01-05,4000,-1\n";
    importBoth(db.cnn(), "AccountNo,AccountName,Class\n1000,Cash,1\n4000,Sales,5\n", journal);
    OutputFile::setSpaceLeftForTesting(30000);
    const QString full = db.folder() + "/journal.csv";
    try {
        ExportTransactions(db.cnn(), *CsvFileRows(full, &db.cnn()));
        ADD_FAILURE() << "the journal was written on a full disk";
    } catch (const ExportError& e) {
        EXPECT_TRUE(e.message().contains("No space left on device")) << e.message().toStdString();
    }
    OutputFile::setSpaceLeftForTesting(-1);
    EXPECT_EQ(
        QDir(db.folder()).entryList({"journal.csv*", ".journal.csv*"}, QDir::Files | QDir::Hidden),
        QStringList());
}

// Amounts and dates as the file writes them: read in the format chosen, or refused with
// the reason; and the format a file's values choose, else the locale's.
TEST(ImportFormat, ValuesAreReadInTheFileFormatOrRefusedNeverGuessed) {
    const struct {
        const char* text;
        char mark;
        const char* read; // the amount as SQL text, or the refusal
    } amounts[] = {
        {"1.250", ',', "1250"},
        {"1.250", '.', "1.25"},
        {"0,125", ',', "0.125"},
        {"0,125", '.', "0,125 is not an amount with the decimal mark \".\""},
        {"1,250.00", '.', "1250"},
        {" -1 250,5 ", ',', "-1250.5"},
        {"1'250.05", '.', "1250.05"},
        {"1.25", ',', "1.25 is not an amount with the decimal mark \",\""},
        {"1.23456", '.', "1.23456 has more than four decimals"},
        {"1,2,3", '.', "1,2,3 is not an amount"},
        {"12.", '.', "12. is not an amount"},
        {"922337203685478", '.', "922337203685478 is too large for an amount"},
    };
    for (const auto& a : amounts) {
        const AmountReading r = ReadAmount(QString::fromUtf8(a.text), a.mark);
        EXPECT_EQ(r.amount ? r.amount->toSqlText() : r.error, QString::fromUtf8(a.read)) << a.text;
    }
    const struct {
        const char* text;
        DateOrder order;
        const char* read; // ISO, or the refusal
    } dates[] = {
        {"31.03.26", DateOrder::DayMonthYear, "2026-03-31"},
        {"3/31/26", DateOrder::MonthDayYear, "2026-03-31"},
        {"3/31/26", DateOrder::DayMonthYear, "3/31/26 is not a date in the order day-month-year"},
        {"2026-03-31", DateOrder::MonthDayYear, "2026-03-31"},
        {"Mar 31, 2026", DateOrder::DayMonthYear, "2026-03-31"},
        {"31.12.99", DateOrder::DayMonthYear, "1999-12-31"},
        {"1.1.79", DateOrder::DayMonthYear, "1.1.79 is not a date from 1980 to 3000"},
        {"29.02.2025", DateOrder::DayMonthYear, "29.02.2025 is not a date"},
    };
    for (const auto& d : dates) {
        const DateReading r = ReadDate(QString::fromUtf8(d.text), d.order, 2026, QLocale::c());
        EXPECT_EQ(r.date.isValid() ? r.date.toString(Qt::ISODate) : r.error, d.read) << d.text;
    }
    const QLocale german(QLocale::German, QLocale::Germany), english(QLocale::English);
    auto mark = [](std::initializer_list<const char*> values, const QLocale& locale) {
        FormatVotes v;
        for (const char* text : values)
            v.amount(QString::fromUtf8(text));
        ChoiceSource source;
        return QStringLiteral("%1 %2").arg(v.decimalMark(locale, &source)).arg(int(source));
    };
    const int file = int(ChoiceSource::File), locale = int(ChoiceSource::Locale);
    EXPECT_EQ(mark({"1.250", "2,50"}, english), QStringLiteral(", %1").arg(file));
    EXPECT_EQ(mark({"1.250"}, german), QStringLiteral(", %1").arg(locale));
    EXPECT_EQ(mark({"1.250"}, english), QStringLiteral(". %1").arg(locale));
    EXPECT_EQ(mark({"0.5", "0.5", "1,5"}, german), QStringLiteral(". %1").arg(file));
    auto order = [](std::initializer_list<const char*> values, const QLocale& locale) {
        FormatVotes v;
        for (const char* text : values)
            v.date(QString::fromUtf8(text), 2026);
        ChoiceSource source;
        return QStringLiteral("%1 %2")
            .arg(DateOrderCode(v.dateOrder(locale, &source)))
            .arg(int(source));
    };
    EXPECT_EQ(order({"31.03.26", "05.06.26"}, english), QStringLiteral("dmy %1").arg(file));
    EXPECT_EQ(order({"05/06/26"}, QLocale(QLocale::English, QLocale::UnitedStates)),
              QStringLiteral("mdy %1").arg(locale));
    EXPECT_EQ(order({"2026-03-31"}, german), QStringLiteral("ymd %1").arg(file));
}

// A file of some megabytes is parsed on a thread of its own: every record comes, in
// order, with the file's line; the reading stops when asked.
TEST(CsvRead, ALargeFileComesWholeInOrderAndStopsWhenAsked) {
    QByteArray big = "No,Text\r\n";
    for (int i = 1; i <= 200000; ++i)
        big += QByteArray::number(i) +
               (i % 1000 == 0 ? ",\"two\nlines\"\r\n" : ",some text of a line\r\n");
    ASSERT_GT(big.size(), 4 << 20);
    const CsvFile whole = ReadCsv(big);
    ASSERT_EQ(whole.records.size(), 200001u);
    EXPECT_EQ(whole.records.back().fields, (QStringList{"200000", "two\nlines"}));
    EXPECT_EQ(whole.records.back().line, 200000 + 199 + 1);
    QBuffer buffer(&big);
    buffer.open(QIODevice::ReadOnly);
    CsvLayout layout;
    int seen = 0;
    // A record's check that hashes as Qt does leaves the next one nothing to clear.
    bool hashed = false;
    std::optional<bool> inUseAfterHash;
    EXPECT_FALSE(ReadCsvRecords(buffer, layout, false, [&](const CsvRecord&) {
        if (hashed && !inUseAfterHash)
            inUseAfterHash = vectorUppersInUse();
        hashed = hashAsQtDoes();
        return ++seen < 5000;
    }));
    EXPECT_EQ(seen, 5000);
    if (hashed) {
        EXPECT_EQ(inUseAfterHash, false);
    }
}
