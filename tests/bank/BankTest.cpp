// Bank statements: one month as banks write it (tests/bank/*), read, matched against
// books with a history, and written; the schema version of the books.
#include "core/bank/BankImport.h"
#include "core/books/Passphrases.h"
#include "core/books/Snapshots.h"
#include "core/data/Connection.h"
#include "core/data/SavingCommand.h"
#include "core/data/Schema.h"
#include "core/data/modDBUtil.h"
#include "core/journal/TransactionEntry.h"
#include "support/Books.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::bank;

namespace {

QByteArray data(const char* name) {
    return readFile(QStringLiteral(ZELK_BANK_DATA "/") + QLatin1String(name));
}

CsvProfile germanProfile() {
    CsvProfile p;
    p.dateColumn = "Buchungstag";
    p.amountColumn = "Betrag (EUR)";
    p.counterpartyColumn = "Empfänger/Auftraggeber";
    p.textColumn = "Verwendungszweck";
    p.referenceColumn = "Referenz";
    p.balanceColumn = "Saldo (EUR)";
    p.dateFormat = "dd.MM.yyyy";
    p.decimalMark = ',';
    p.separator = ';';
    p.utf8 = false;
    p.skipLines = 3;
    return p;
}

CsvProfile englishProfile() {
    CsvProfile p;
    p.dateColumn = "Date";
    p.debitColumn = "Paid out";
    p.creditColumn = "Paid in";
    p.counterpartyColumn = "Payee";
    p.textColumn = "Details";
    p.referenceColumn = "Transaction ID";
    p.balanceColumn = "Balance";
    p.dateFormat = "dd/MM/yyyy";
    return p;
}

// A line as the tests compare it.
QString shown(const StatementLine& l) {
    return QStringLiteral("%1 %2 %3 | %4 | %5")
        .arg(l.date.toString(Qt::ISODate), l.amount.toSqlText(), l.counterparty, l.text,
             l.reference);
}

const QStringList MarchLines = {
    "2026-03-02 1500 Muster GmbH | Rechnung 2026-017 | REF-0001",
    "2026-03-03 -45.9 Stadtwerke Nord | Abschlag Strom März Kunde 4711 | REF-0002",
    "2026-03-05 -120 Anna Berg | Lohn März | E2E-A",
    "2026-03-05 -180 Bernd Kurz | Lohn März | E2E-B",
    "2026-03-06 45.9 Stadtwerke Nord | Rücklastschrift Abschlag | REF-0004",
    "2026-03-31 -0.1  | Kontoführung | REF-0005",
    "2026-03-31 1234567.89 Erbe Treuhand | Einlage | REF-0006",
};

} // namespace

TEST(BankStatement, EveryFormatReadsIntoTheSameLines) {
    struct Case {
        const char* file;
        std::optional<CsvProfile> profile;
        Format format;
    } cases[] = {
        {"camt053.xml", std::nullopt, Format::Camt053},
        {"ofx1.ofx", std::nullopt, Format::Ofx},
        {"ofx2.qfx", std::nullopt, Format::Ofx},
        {"german.csv", germanProfile(), Format::Csv},
        {"english.csv", englishProfile(), Format::Csv},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QByteArray bytes = data(c.file);
        ASSERT_EQ(detectFormat(bytes), c.format);
        const Statement s =
            readStatementFile(ZELK_BANK_DATA "/" + QString(c.file), c.profile, 2026);
        QStringList lines;
        for (const StatementLine& l : s.lines)
            lines << shown(l);
        if (c.format == Format::Csv)
            std::sort(lines.begin(), lines.end()); // the English bank writes newest first
        EXPECT_EQ(lines.join('\n'), MarchLines.join('\n'));
        EXPECT_EQ(s.closing, money("1236767.79"));
        // the profile guessed from the file's header and lines reads it as well
        if (c.profile) {
            CsvProfile guessed = guessProfile(bytes, 2026);
            EXPECT_EQ(guessed, *c.profile);
        }
    }
    const Statement camt = readCamt(data("camt053.xml"));
    EXPECT_EQ(camt.opening, money("1000"));
    EXPECT_TRUE(camt.lines[4].reversal); // booked as a credit: the direct debit came back
    EXPECT_EQ(camt.lines[0].iban, "DE02100100100006820101");
}

TEST(BankStatement, CellsAreReadAsTheProfileSaysOrRefusedWithTheirLine) {
    struct {
        const char* format;
        char mark;
        QByteArray cells; // date;amount
        const char* read; // the line read, or the message's end
    } cases[] = {
        {"dd.MM.yy", ',', "31.03.26;1.250", "2026-03-31 1250"},
        {"dd.MM.yy", ',', "31.12.80;-0,5", "1980-12-31 -0.5"}, // the year nearest 2026
        {"d/M/yyyy", '.', "1/4/2026;1,234.56", "2026-04-01 1234.56"},
        {"MM/dd/yyyy", '.', "04/01/2026;1", "2026-04-01 1"},
        {"yyyyMMdd", '.', "20260331;1", "2026-03-31 1"},
        {"ddd dd.MM.yyyy", '.', "Tue 31.03.2026;1", "2026-03-31 1"},
        {"yyyyMMdd", '.', "2026-03-31;1",
         "line 2: 2026-03-31 is not a date of the format yyyyMMdd"},
        {"dd.MM.yyyy", '.', "31.03.2026;12,50",
         "line 2: 12,50 is not an amount with the decimal mark \".\""},
        {"MM/dd/yyyy", '.', "31/03/2026;1",
         "line 2: 31/03/2026 is not a date in the order month-day-year"},
        {"dd.MM.yyyy", ',', "31.03.2026;1;M\xC3\xBCller\n01.04.2026;2;M\xFCller",
         "line 3 is not UTF-8, unlike the rest of the file."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cells.toStdString());
        CsvProfile p;
        p.dateColumn = "Date";
        p.amountColumn = "Amount";
        p.dateFormat = c.format;
        p.decimalMark = QLatin1Char(c.mark);
        p.separator = ';';
        try {
            const Statement s = readCsv("Date;Amount\n" + c.cells + "\n", p, 2026);
            EXPECT_EQ(s.lines[0].date.toString(Qt::ISODate) + ' ' + s.lines[0].amount.toSqlText(),
                      c.read);
        } catch (const StatementError& e) {
            EXPECT_TRUE(e.message().endsWith(c.read)) << e.message().toStdString();
        }
    }
}

TEST(BankStatement, DamagedOrForeignFilesAreRefusedWithAClearMessage) {
    const QByteArray camt = data("camt053.xml");
    const QByteArray ofx = data("ofx1.ofx");
    QByteArray noAmount = camt;
    noAmount.replace("<Amt Ccy=\"EUR\">1500.00</Amt>", "<Amt Ccy=\"EUR\">15OO.00</Amt>");
    struct {
        QByteArray bytes;
        std::optional<CsvProfile> profile;
        const char* message;
    } cases[] = {
        {camt.left(camt.size() / 2), {}, "The CAMT.053 file is damaged: line"},
        {noAmount, {}, "Entry 1 has no amount"},
        {"<?xml version=\"1.0\"?><Document><BkToCstmrNtfctn/></Document>",
         {},
         "is not a bank statement"},
        {ofx.left(ofx.indexOf("<STMTTRN>", 1200)), {}, "The OFX file is damaged or incomplete"},
        {QByteArray("\x89PNG\r\n\x1a\n\0\0", 10), {}, "is not a bank statement"},
        {data("german.csv"), englishProfile(), "is not UTF-8 text"},
        {data("english.csv"), germanProfile(), "is UTF-8 text, but"},
        {data("english.csv"), std::nullopt, "needs the bank account's CSV profile"},
        {"Date,Amount\n2026-03-01,12.50\n31.03.2026,1\n",
         [] {
             CsvProfile p;
             p.dateColumn = "Date";
             p.amountColumn = "Amount";
             return p;
         }(),
         "line 3: 31.03.2026 is not a date in the order year-month-day"},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const QString path = dir.filePath("statement");
        writeFile(path, c.bytes);
        try {
            readStatementFile(path, c.profile, 2026);
            ADD_FAILURE() << "read: " << c.message;
        } catch (const StatementError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.message)) &&
                        !e.message().contains(".."))
                << e.message().toStdString();
        }
    }
}

class BankImportTest : public ::testing::Test {
protected:
    TestDatabase db;
    Books books{db};
    ScriptedUi ui;

    void SetUp() override {
        books.newCompany(1, 2026);
        books.addAccount("1200", 1, "1000", "Bank");
        books.addAccount("3000", 3, "-1000");
        for (const char* a : {"2100", "5000", "6100", "6200", "6300"})
            books.addAccount(a, QString(a).startsWith('2')   ? 2
                                : QString(a).startsWith('5') ? 5
                                                             : 6);
    }
    BankImport import(const char* file, std::optional<CsvProfile> profile = {}) {
        return BankImport(db.cnn(), "1200",
                          readStatementFile(ZELK_BANK_DATA "/" + QString(file), profile, 2026));
    }
    // The past: 2025's history and this year's journal, all on the bank account.
    void addHistory() {
        auto history = [&](const char* no, const char* day, const char* description,
                           const char* account, const char* amount) {
            const QDate d = QDate::fromString(day, Qt::ISODate);
            db.exec(modDBUtil::InsertTransactionHistory(no, "1200", 1, "", d, description,
                                                        money(amount)));
            db.exec(modDBUtil::InsertTransactionHistory(no, account, 2, "", d, description,
                                                        -money(amount)));
        };
        history("H1", "2025-11-03", "Stadtwerke Nord: Abschlag November", "6100", "-45.9");
        history("H2", "2025-12-03", "Stadtwerke Nord: Abschlag Dezember", "6100", "-45.9");
        // (in lower case: a number after the others' in its bytes, among them in the books')
        history("h3", "2025-12-20", "Stadtwerke Nord Gas", "6300", "-12");
        history("H4", "2025-12-05", "Anna Berg Lohn", "6300", "-120");
        // the same number on another day without a line of the bank account: not its
        for (const auto& [account, seq, amount] :
             {std::tuple{"5000", 1, "-45.9"}, {"6300", 2, "45.9"}})
            db.exec(modDBUtil::InsertTransactionHistory(
                "h1", account, seq, "", {2025, 6, 2}, "Stadtwerke Nord Gutschrift", money(amount)));
        books.addTransaction("T1", {2026, 2, 3}, {{"1200", "-45.9"}, {"6100", "45.9"}}, "",
                             "Stadtwerke Nord: Abschlag Februar");
        books.addTransaction("T2", {2026, 2, 27}, {{"1200", "40"}, {"5000", "-40"}}, "",
                             "Muster GmbH: Rechnung 2026-009");
        books.addTransaction("T3", {2026, 2, 28}, {{"1200", "-40"}, {"2100", "40"}}, "",
                             "Muster GmbH Rückzahlung");
        // the March wage of Bernd Kurz, entered by hand a day early
        books.addTransaction("T9", {2026, 3, 4}, {{"1200", "-180"}, {"6200", "180"}}, "",
                             "Wages Bernd");
    }
};

TEST_F(BankImportTest, RulesComeBeforeLearnedProposalsAndHandMadeLinesArePossibleDuplicates) {
    addHistory();
    // entered twice: the first in the order of the numbers is named
    books.addTransaction("t10", {2026, 3, 5}, {{"1200", "-180"}, {"6200", "180"}});
    // a long history: each of its transactions and words is found again among many
    ASSERT_EQ(runSavingCommand(db.cnn(),
                               [](StatementRunner& r) {
                                   for (int i = 0; i < 1500; ++i) {
                                       const QString no = QStringLiteral("S%1").arg(i);
                                       const QDate d = QDate(2025, 1, 1).addDays(i % 300);
                                       const QString text =
                                           QStringLiteral("Stadtwerke Nord: Abschlag %1").arg(i);
                                       r.run(modDBUtil::InsertTransactionHistory(
                                           no, "1200", 1, "", d, text, money("-45.9")));
                                       r.run(modDBUtil::InsertTransactionHistory(
                                           no, "6100", 2, "", d, text, money("45.9")));
                                   }
                               }),
              CommandOutcome::Committed);
    ASSERT_EQ(saveRules(db.cnn(), "1200",
                        {{Rule::Field::Counterparty, false, "anna", 0, "6200", "Wages Anna"},
                         {Rule::Field::Text, true, "^kontof", -1, "6300", ""}}),
              CommandOutcome::Committed);
    BankImport imp = import("camt053.xml");
    QStringList got;
    for (const ReviewLine& r : imp.lines())
        got << QStringLiteral("%1 %2 | %3 | %4")
                   .arg(r.account, BankImport::sourceText(r), BankImport::statusText(r),
                        r.checked ? "checked" : "unchecked");
    EXPECT_EQ(got, QStringList({
                       // 1 of 2 Muster GmbH transactions went to sales: below the share
                       " none | no account | unchecked",
                       // history and journal: 1503 of the 1504 of this counterparty
                       "6100 learned from 1503 of 1504 | new | checked",
                       // rule 1 although the history booked Anna to 6300
                       "6200 rule 1 | new | checked",
                       " none | possible duplicate of t10 | unchecked",
                       "6100 learned from 1503 of 1504 | new | checked",
                       "6300 rule 2 | new | checked",
                       " none | no account | unchecked",
                   }));
    EXPECT_EQ(imp.lines()[2].description, "Wages Anna");
    // a counterparty's numbers and single letters are no words of its name
    CsvProfile p;
    p.dateColumn = "Date";
    p.amountColumn = "Amount";
    p.counterpartyColumn = "Name";
    writeFile(db.folder() + "/more.csv",
              "Date,Amount,Name\n2026-03-20,-45.90,Stadtwerke Nord 24 A\n");
    const BankImport more(db.cnn(), "1200", readStatementFile(db.folder() + "/more.csv", p, 2026));
    EXPECT_EQ(BankImport::sourceText(more.lines()[0]), "learned from 1503 of 1504");
    // without a counterparty, each text goes by the past texts most like it alone
    CsvProfile t;
    t.dateColumn = "Date";
    t.amountColumn = "Amount";
    t.textColumn = "Text";
    writeFile(db.folder() + "/texts.csv", "Date,Amount,Text\n2026-03-21,40.00,Muster Rechnung\n"
                                          "2026-03-22,-40.00,Muster Rückzahlung\n"
                                          "2026-03-23,-40.00,Muster GmbH Rückzahlung\n");
    const BankImport texts(db.cnn(), "1200",
                           readStatementFile(db.folder() + "/texts.csv", t, 2026));
    for (const auto& [line, expected] :
         {std::pair{0, "5000 learned from 1 of 1"}, std::pair{1, "2100 learned from 1 of 1"},
          // half like the Rechnung's text, all like the Rückzahlung's: that one alone
          std::pair{2, "2100 learned from 1 of 1"}})
        EXPECT_EQ((texts.lines()[size_t(line)].account + ' ' +
                   BankImport::sourceText(texts.lines()[size_t(line)]))
                      .toStdString(),
                  expected);
    // Before the statement's first line the books stand at 1000 + the journal's -45.90;
    // they already hold the -180.00 of line 4, twice.
    const BankImport::BalanceCheck before = imp.balanceCheck();
    EXPECT_EQ(before.booksBefore, money("954.1"));
    EXPECT_EQ(before.booksClose, money("954.1") - money("360") - money("45.9") - money("120") +
                                     money("45.9") - money("0.1"));
}

TEST_F(BankImportTest, ImportedTwiceOrOverlappingNoLineIsWrittenTwice) {
    ASSERT_EQ(saveRules(db.cnn(), "1200",
                        {{Rule::Field::Any, false, "Muster", 0, "5000", ""},
                         {Rule::Field::Any, false, "Stadtwerke", 0, "6100", ""},
                         {Rule::Field::Any, false, "Lohn", 0, "6200", ""},
                         {Rule::Field::Any, false, "Treuhand", 0, "2100", ""}}),
              CommandOutcome::Committed);
    BankImport first = import("camt053.xml");
    EXPECT_EQ(first.problems(), QStringList());
    // the fee has no rule: chosen, and remembered for a counterparty it lacks (no rule)
    first.chooseAccount(5, "6300", true);
    EXPECT_EQ(first.balanceCheck().text(), "The statement closes at 1,236,767.79; the books "
                                           "will close at 1,236,767.79");
    first.setChecked(5, false);
    EXPECT_EQ(first.balanceCheck().text(), "The statement closes at 1,236,767.79; the books "
                                           "will close at 1,236,767.89, a difference of -0.10");
    first.setChecked(5, true);
    first.chooseAccount(0, "5000", true); // remembered: a rule for Muster GmbH
    ASSERT_EQ(first.write(), CommandOutcome::Committed);
    EXPECT_EQ(first.written(), 7);
    EXPECT_EQ(ui.messageBoxes().size(), 0u);
    EXPECT_EQ(db.count("Ledger_Transactions"), 7);
    EXPECT_EQ(db.count("Ledger_BankIdentities"), 7);
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_Transactions WHERE Posted = 0 AND "
                        "TransactionNo LIKE 'B1200-0000_'"),
              7);
    const journal::LoadedTransaction fee = *journal::LoadTransaction(db.cnn(), "B1200-00006");
    EXPECT_EQ(fee.header, (journal::TransactionHeader{"B1200-00006", "REF-0005", "Kontoführung",
                                                      QDate(2026, 3, 31)}));
    EXPECT_EQ(fee.rows[0], journal::CellsOfLine("1200", "Bank", money("-0.1")));
    EXPECT_EQ(fee.rows[1][journal::ColAccountNo], "6300");
    EXPECT_EQ(loadRules(db.cnn(), "1200").back().text(),
              "counterparty contains \"Muster GmbH\" -> 5000");
    expectBalancedBooks(db, "after the import");

    // The same file again, then the German bank's CSV of the same month, then a statement
    // that overlaps by its first three lines: only the new line is new.
    const QByteArray digest = books.digest();
    for (auto [file, profile] :
         {std::pair<const char*, std::optional<CsvProfile>>{"camt053.xml", {}},
          {"german.csv", germanProfile()}}) {
        BankImport again = import(file, profile);
        for (const ReviewLine& r : again.lines())
            EXPECT_EQ(r.status, LineStatus::Duplicate) << file;
        EXPECT_EQ(again.write(), CommandOutcome::Committed);
        EXPECT_EQ(again.written(), 0);
    }
    EXPECT_EQ(books.digest(), digest);
    CsvProfile p;
    p.dateColumn = "Date";
    p.amountColumn = "Amount";
    p.textColumn = "Text";
    p.referenceColumn = "Ref";
    const QString overlap = db.folder() + "/april.csv";
    writeFile(overlap, "Date,Amount,Text,Ref\n2026-03-31,-0.10,Kontoführung,REF-0005\n"
                       "2026-03-31,1234567.89,Einlage,REF-0006\n2026-04-01,-45.90,Stadtwerke "
                       "Nord Abschlag April,REF-0007\n");
    BankImport april(db.cnn(), "1200", readStatementFile(overlap, p, 2026));
    EXPECT_EQ(april.lines()[0].status, LineStatus::Duplicate);
    EXPECT_EQ(april.lines()[1].status, LineStatus::Duplicate);
    EXPECT_EQ(april.lines()[2].status, LineStatus::New);
    // numbered after the highest of the prefix in any case, the prefix's % and _ as they
    // are (s_x00050 is none of its numbers; a long s is an s in any case)
    p.prefix = "S_%";
    ASSERT_EQ(saveProfile(db.cnn(), "1200", p), CommandOutcome::Committed);
    for (const char* no : {"s_%00041", "\u017F_%00045"})
        db.exec(modDBUtil::InsertTransactionHistory(QString::fromUtf8(no), "1200", 1, "",
                                                    QDate(2025, 1, 2), "", money("0")));
    books.addTransaction("s_x00050", {2026, 1, 5}, {{"1200", "1"}, {"5000", "-1"}});
    ASSERT_EQ(april.write(), CommandOutcome::Committed);
    EXPECT_EQ(april.written(), 1);
    EXPECT_EQ(april.lines()[2].transactionNo, "S_%00046");
    EXPECT_EQ(db.count("Ledger_Transactions"), 9);
}

TEST_F(BankImportTest, ACheckedLineWithoutAnAccountWritesNothing) {
    BankImport imp = import("ofx2.qfx");
    imp.setChecked(0, true);
    imp.chooseAccount(1, "9999", false);
    EXPECT_EQ(imp.problems(), QStringList({"line 1 (2026-03-02, 1,500.00): no account",
                                           "line 2 (2026-03-03, -45.90): account 9999 does "
                                           "not exist"}));
    const QByteArray digest = books.digest();
    EXPECT_EQ(imp.write(), CommandOutcome::Abort);
    EXPECT_EQ(books.digest(), digest);
    // nor without its snapshot
    imp.chooseAccount(0, "3000", false);
    imp.chooseAccount(1, "6100", false);
    QFile(db.folder() + "/Backups").open(QIODevice::WriteOnly);
    EXPECT_EQ(imp.write(), CommandOutcome::Abort);
    EXPECT_EQ(books.digest(), digest);
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_TRUE(ui.messageBoxes()[0].contains("Import has not been started"));
    QFile::remove(db.folder() + "/Backups");
    EXPECT_EQ(imp.write(), CommandOutcome::Committed);
    EXPECT_EQ(imp.written(), 2);
}

TEST(BooksVersion, OlderBooksAreUpgradedAfterASnapshotAndNewerOnesRefused) {
    QTemporaryDir dir;
    const QString file = dir.filePath("Zelk.mdb");
    Connection::open(dir.path()).reset();
    rawExec(file, "DROP TABLE Ledger_BankIdentities; DROP TABLE Ledger_BankRules; DROP TABLE "
                  "Ledger_BankProfiles; PRAGMA user_version=0");
    ScriptedUi ui;
    struct NoPrompt : PassphrasePrompt {
        std::optional<QByteArray> askPassphrase(const QString&, const QString&) override {
            return std::nullopt;
        }
    } prompt;
    QString failure;
    {
        std::unique_ptr<Connection> cnn = openBooks(dir.path(), prompt, failure);
        ASSERT_TRUE(cnn) << failure.toStdString();
        EXPECT_EQ(cnn->schemaVersion(), schema::CurrentVersion);
        EXPECT_EQ(cnn->execute("SELECT Count(*) AS N FROM Ledger_BankRules").integer("N"), 0);
        const std::vector<snapshots::Snapshot> snaps = snapshots::list(*cnn);
        ASSERT_EQ(snaps.size(), 1u);
        EXPECT_EQ(snaps[0].step, "Upgrade");
    }
    // a file of this version that lacks one of its tables is damaged
    rawExec(file, "DROP TABLE Ledger_BankRules");
    EXPECT_THROW(Connection::open(dir.path()), OpenError);
    rawExec(file, "PRAGMA user_version=2");
    try {
        Connection::open(dir.path());
        ADD_FAILURE() << "a newer file opened";
    } catch (const OpenError& e) {
        EXPECT_TRUE(e.message().contains("made by a newer version of Zelk"));
    }
}
