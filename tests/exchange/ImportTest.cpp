#include "core/books/Snapshots.h"
#include "core/exchange/BooksExport.h"
#include "core/exchange/CsvImport.h"
#include "core/exchange/TableExport.h"
#include "support/ScriptedUi.h"
#include "support/TestDatabase.h"

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
    ASSERT_EQ(t.write(cnn), CommandOutcome::Committed);
}

} // namespace

TEST(CsvRead, EncodingSeparatorAndLineNumbers) {
    const CsvFile chart = ReadCsv(Chart);
    EXPECT_FALSE(chart.utf8);
    EXPECT_EQ(chart.separator, ';');
    ASSERT_EQ(chart.records.size(), 7u);
    EXPECT_EQ(chart.records[2].fields[0], QStringLiteral("=HYPERLINK(\"x\")"));
    EXPECT_EQ(chart.records[2].fields[2], QStringLiteral("Banque \"BNP\""));
    EXPECT_EQ(chart.records[4].fields[2], QStringLiteral("R\u00e9sultat"));

    const CsvFile journal = ReadCsv(Journal);
    EXPECT_TRUE(journal.utf8);
    EXPECT_EQ(journal.separator, ',');
    ASSERT_EQ(journal.records.size(), 5u);
    EXPECT_EQ(journal.records[0].fields[0], QStringLiteral("TransactionNo")); // BOM gone
    // A quoted line break: the record after it begins two lines further on.
    EXPECT_EQ(journal.records[3].line, 4);
    EXPECT_EQ(journal.records[4].line, 6);

    const CsvFile open = ReadCsv("a,b\n1,\"2\n");
    EXPECT_EQ(open.errorLine, 2);
    EXPECT_FALSE(open.error.isEmpty());
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
        first = booksCsv(db.cnn());
        accounts = CsvBytes(AccountsTable(db.cnn()));
        trxs = CsvBytes(TransactionsTable(db.cnn()));
        EXPECT_TRUE(ui.dialogs().empty());
    }
    EXPECT_TRUE(first.contains("\"'=HYPERLINK(\"\"x\"\")\"")) << first.toStdString();
    EXPECT_TRUE(first.contains("\"''quoted\""));
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
         ",Y,1,0\n1003,Z,1,\"12,50\"\n",
         {"line 2: account 1000 already exists", "line 3: Account name is missing.",
          "line 4: 7 is not an account class (1 to 6 or its name)",
          "line 5: the account number is missing", "line 6: 12,50 is not an amount"}},
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
             "T15,2026-01-08,1000,1,\nT15,2026-01-09,4000,,1\n",
         {"line 2: transaction T12 does not balance (debits 100.00, credits 90.00)",
          "line 4: 31.02.2026 is not a date", "line 4: account 4711 does not exist",
          "line 6: the line has both a debit and a credit", "line 7: the line has no amount",
          "line 8: T3 already exists", "line 11: T15 is dated 2026-01-08 on line 10"}},
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
        EXPECT_EQ(import->write(db.cnn()), CommandOutcome::Abort);
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
    t.read(db.cnn(), "TransactionNo,Date,AccountNo,Debit,Credit\nA,2026-01-01,1000,1,\n"
                     "B,2026-01-01,1000,2,\nA,2026-01-01,4000,,1\nB,2026-01-01,4000,,2\n");
    ASSERT_EQ(t.groupCount(), 2);
    ASSERT_EQ(t.write(db.cnn(), {true, false, true, false}), CommandOutcome::Committed);
    EXPECT_EQ(t.written(), 1);
    EXPECT_EQ(db.count(QStringLiteral("Ledger_Transactions")), 1);
    EXPECT_EQ(db.count(QStringLiteral("Ledger_TransactionDetails")), 2);
    // Each import wrote a snapshot of the books first.
    const std::vector<snapshots::Snapshot> copies = snapshots::list(db.cnn());
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_EQ(copies.front().step, "Import");
    EXPECT_TRUE(copies.front().usable);
}
