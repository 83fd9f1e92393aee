#include "core/journal/TransactionEntry.h"
#include "accounts/LedgerFixtures.h"
#include "core/periods/MonthEndRuns.h"
#include "core/periods/PostingRuns.h"
#include "core/shared/TypedDate.h"
#include "journal/StoredLines.h"
#include "support/Books.h"

#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

using namespace zelk;
using namespace zelk::journal;

namespace {

// The stored header: "source|description|date|posted", NULL for a NULL field.
QString storedHeader(TestDatabase& db, const QString& no) {
    RowSet h = db.query("SELECT * FROM Ledger_Transactions WHERE TransactionNo='" + no + "'");
    if (h.eof())
        return "none";
    QStringList out;
    for (const char* f : {"Source", "Description", "DateStamp", "Posted"})
        out << (h.isNull(f) ? QString("NULL") : h.text(f));
    return out.join('|');
}

class Journal : public ::testing::Test {
protected:
    TestDatabase db;
    ScriptedUi ui;
    void SetUp() override {
        fixtures::addAccount(db, "1000", "Cash", 1, 2004);
        fixtures::addAccount(db, "4000", "Sales", 5, 2004);
        fixtures::addAccount(db, "5000", "Rent", 6, 2004);
    }
    static TransactionHeader header(const QString& no) {
        return {no, "Inv 12", "Sale of goods", QDate(2004, 2, 15)};
    }
    CommandOutcome save(const TransactionHeader& h, const std::vector<LineCells>& rows,
                        SaveMode mode) {
        return TransactionSaveCommand(db.cnn(), h, rows, mode, "Transactions");
    }
};

} // namespace

TEST(AfterEdit, TheTextNamesTheAccountAndAnAmountGoesToItsSide) {
    const AccountLookup accounts({{"1000", "Cash"},
                                  {"AB-1", "Bank"},
                                  {"4000", "Sales"},
                                  {"4100", "Sales"}, // a second account of the same name
                                  {"5'00", "O'Brien's rent"}});
    const struct {
        int column;
        LineCells before, after;
    } cases[] = {
        {ColAccountNo, {"1000", "", "", ""}, {"1000", "Cash", "", ""}},
        {ColAccountNo, {"ab-1", "Cash", "", ""}, {"AB-1", "Bank", "", ""}}, // compared as keys
        {ColAccountNo, {"9999", "Cash", "", ""}, {"9999", "Invalid Account", "", ""}},
        {ColAccountNo, {"1000 ", "", "", ""}, {"1000 ", "Invalid Account", "", ""}},
        {ColAccountNo, {"' OR ''='", "", "", ""}, {"' OR ''='", "Invalid Account", "", ""}},
        {ColAccountNo, {"5'00", "", "", ""}, {"5'00", "O'Brien's rent", "", ""}},
        {ColAccountNo, {"", "Cash", "1", "0"}, {"", "", "1", "0"}},
        // A name, or part of one, in either cell takes its account; an unknown text stays
        // as the number, marked.
        {ColAccountName, {"", "o'brien's RENT", "", ""}, {"5'00", "O'Brien's rent", "", ""}},
        {ColAccountNo, {"bri", "", "", ""}, {"5'00", "O'Brien's rent", "", ""}},
        {ColAccountName,
         {"5'00", "No such name", "", ""},
         {"No such name", "Invalid Account", "", ""}},
        // A non-zero amount empties the other side; a negative one changes side at once.
        {ColDebit, {"1000", "Cash", "100", "75"}, {"1000", "Cash", "100.00", ""}},
        {ColCredit, {"1000", "Cash", "100", "250"}, {"1000", "Cash", "", "250.00"}},
        {ColCredit, {"1000", "Cash", "", "-50"}, {"1000", "Cash", "50.00", ""}},
        {ColDebit, {"1000", "Cash", "-1,250.5", "7"}, {"1000", "Cash", "", "1,250.50"}},
        {ColDebit, {"1000", "Cash", "1234567.0125", ""}, {"1000", "Cash", "1,234,567.0125", ""}},
    };
    for (const auto& c : cases) {
        LineCells r = c.before;
        AfterEdit(r, c.column, accounts);
        EXPECT_EQ(r, c.after) << c.before[size_t(c.column)].toStdString();
    }
    // Zero, or text that is not a number, changes nothing.
    for (const char* nothing : {"0", "0.00", "", "abc", "12x"})
        for (int column : {ColDebit, ColCredit}) {
            LineCells r{"1000", "Cash", "40", "60"};
            r[size_t(column)] = nothing;
            const LineCells before = r;
            AfterEdit(r, column, accounts);
            EXPECT_EQ(r, before) << nothing;
        }
    // The account chosen from the list is the one stored; the empty entry empties it.
    LineCells r{"", "", "5", ""};
    ChooseAccount(r, "4100", accounts);
    EXPECT_EQ(r, (LineCells{"4100", "Sales", "5", ""}));
    ChooseAccount(r, "", accounts);
    EXPECT_EQ(r, (LineCells{"", "", "5", ""}));
}

TEST(CheckLines, ValidRowsBecomeExactSignedLinesAndInvalidRowsAreNamed) {
    const LineCheck check = CheckLines({
        {"1000", "Cash", "1,250.50", "0"},                // debit
        {"", "", "", ""},                                 // empty: skipped
        {"4000", "Sales", "0", "250"},                    // credit, stored negative
        {"4000", "Sales", "", ""},                        // no amount: invalid
        {"", "", "30", ""},                               // amount without account: invalid
        {"9", "Invalid Account", "5", ""},                // unknown account: invalid
        {"5000", "", "5", ""},                            // no name: invalid
        {"5000", "Rent", "10", "20"},                     // both: keeps the debit
        {"5000", "Rent", "abc", "0"},                     // not a number counts as 0: invalid
        {"1000", "Cash", "0.00005", ""},                  // rounds to 0.0000 (half to even)
        {"1000", "Cash", "0", "-40"},                     // a negative credit is a debit
        {"1000", "Cash", "922,337,203,685,477.5807", ""}, // the largest amount, beyond a double
        {"4000", "Sales", "", "922337203685477.5807"},
    });
    EXPECT_EQ(check.invalidRows, 6);
    EXPECT_EQ(check.problems,
              (QStringList{"row 4: no amount", "row 5: no account", "row 6: no account of number 9",
                           "row 7: no account", "row 9: no amount", "row 10: no amount"}));
    QStringList lines;
    for (const TransactionLine& l : check.lines)
        lines << l.AccountNo + " " + QString::number(l.amount.raw());
    EXPECT_EQ(lines, (QStringList{"1000 12505000", "4000 -2500000", "5000 100000", "1000 400000",
                                  "1000 9223372036854775807", "4000 -9223372036854775807"}));
}

TEST(ValidateTransaction, AMissingNumberThenInvalidRowsAreReportedAndIgnoreKeepsTheRest) {
    ScriptedUi ui;
    ui.answerDialog(Fix).answerDialog(Abort);
    std::vector<TransactionLine> lines{{"x", Amount()}};
    EXPECT_EQ(ValidateTransaction("", {{"", "", "5", ""}}, lines), 1); // invalid too
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(ValidateTransaction("", {}, lines), 2);
    ASSERT_EQ(ui.dialogs().size(), 2u);        // the texts are those the editor's tests read
    EXPECT_EQ(ui.dialogs()[0].buttons, 1 | 4); // Fix, Abort

    const std::vector<LineCells> rows = {{"1000", "Cash", "10", "0"},
                                         {"9", "Invalid Account", "10", ""},
                                         {"", "", "", ""},
                                         {"4000", "Sales", "", ""},
                                         {"4000", "Sales", "0", "10"}};
    ui.clear();
    ui.answerDialog(Fix).answerDialog(Abort).answerDialog(Ignore);
    EXPECT_EQ(ValidateTransaction("T1", rows, lines), 1);
    EXPECT_EQ(ValidateTransaction("T1", rows, lines), 2);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(ValidateTransaction("T1", rows, lines), 0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].AccountNo, "1000");
    EXPECT_EQ(lines[1].amount, Amount::fromUnits(-10));
    ASSERT_EQ(ui.dialogs().size(), 3u);
    EXPECT_TRUE(ui.dialogs()[0].text.endsWith("row 2: no account of number 9\r\nrow 4: no amount"));
    EXPECT_EQ(ui.dialogs()[0].buttons, 1 | 4 | 8); // Fix, Abort, Ignore
    // All valid: nothing is asked.
    EXPECT_EQ(ValidateTransaction("T1", {{"1000", "Cash", "1", ""}}, lines), 0);
    EXPECT_EQ(ui.dialogs().size(), 3u);
    EXPECT_EQ(lines.size(), 1u);
}

TEST_F(Journal, AddSavesLinesNumberedWithoutGapsLoadShowsThemAndEditReplacesThem) {
    const std::vector<LineCells> rows = {
        {"", "", "", ""},
        {"1000", "Cash", "1,250.50", ""},
        {"", "", "", ""},
        {"4000", "Sales", "", "250.00"},
        {"5000", "Rent", "3.00", ""}, // unbalanced: saved after the question
        {"5000", "Rent", "", "0.0005"},
    };
    ui.answerYes(false).answerYes(true);
    EXPECT_EQ(save(header("T1"), rows, SaveMode::Add), CommandOutcome::Fix);
    EXPECT_EQ(db.count("Ledger_Transactions"), 0);
    EXPECT_EQ(save(header("T1"), rows, SaveMode::Add), CommandOutcome::Committed);
    ASSERT_EQ(ui.asked().size(), 2u);
    EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::YesNo);
    EXPECT_EQ(ui.asked()[0].title, "Transactions");
    // Every decimal that differs is shown.
    EXPECT_EQ(ui.asked()[0].text, "Debits 1,253.50 and credits 250.0005 differ by 1,003.4995. "
                                  "Save it unbalanced? It will not be posted until it balances.");
    EXPECT_EQ(storedHeader(db, "T1"), "Inv 12|Sale of goods|2004-02-15|0");
    EXPECT_EQ(storedLines(db, "T1"), "1000 1 12505000, 4000 2 -2500000, 5000 3 30000, 5000 4 -5");

    // Loaded, a debit shows in the debit column and a credit in the credit column.
    std::optional<LoadedTransaction> t = LoadTransaction(db.cnn(), "t1");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->header, header("t1"));
    EXPECT_FALSE(t->Posted);
    EXPECT_EQ(t->rows, (std::vector<LineCells>{rows[1], rows[3], rows[4], rows[5]}));
    EXPECT_FALSE(LoadTransaction(db.cnn(), "T9"));

    // Edit replaces the header and all the lines, numbered again.
    TransactionHeader h = header("T1");
    h.Description = "";
    EXPECT_EQ(save(h, {{"5000", "Rent", "7", "0"}, {"", "", "", ""}, {"1000", "Cash", "0", "7"}},
                   SaveMode::Edit),
              CommandOutcome::Committed);
    EXPECT_EQ(storedHeader(db, "T1"), "Inv 12|NULL|2004-02-15|0");
    EXPECT_EQ(storedLines(db, "T1"), "5000 1 70000, 1000 2 -70000");

    // A transaction with no lines at all is saved as entered; empty texts become NULL.
    EXPECT_EQ(save({"T2", "", "", QDate(2004, 3, 1)}, {}, SaveMode::Add),
              CommandOutcome::Committed);
    EXPECT_EQ(storedHeader(db, "T2"), "NULL|NULL|2004-03-01|0");
    EXPECT_EQ(storedLines(db, "T2"), "");
    EXPECT_EQ(db.count("Ledger_Transactions"), 2);
    EXPECT_EQ(db.count("Ledger_TransactionDetails"), 2);
}

TEST_F(Journal, EverySaveOfAStatementShapeStoresItsOwnValues) {
    // The second save of each shape binds its values to the shape the first one learned.
    struct Row {
        TransactionHeader h;
        std::vector<TransactionLine> lines;
        QString header, stored;
    } rows[] = {
        {{"S1", "a", "b", QDate(2004, 1, 2)},
         {{"1000", Amount::fromRaw(5)}, {"4000", Amount::fromRaw(-5)}},
         "a|b|2004-01-02|0",
         "1000 1 5, 4000 2 -5"},
        {{"S2", "O'Brien", "Müller ''x''", QDate(2004, 12, 31)},
         {{"4000", Amount::fromRaw(-123456789)},
          {"5000", Amount()},
          {"1000", Amount::fromRaw(123456789)}},
         "O'Brien|Müller ''x''|2004-12-31|0",
         "4000 1 -123456789, 5000 2 0, 1000 3 123456789"},
        {{"S3", "", "only", QDate(2004, 6, 1)},
         {{"5000", Amount::fromRaw(1)}},
         "NULL|only|2004-06-01|0",
         "5000 1 1"},
        {{"S4", "", "again", QDate(2005, 7, 9)},
         {{"1000", Amount::fromRaw(-70000)}},
         "NULL|again|2005-07-09|0",
         "1000 1 -70000"},
    };
    for (const Row& r : rows)
        ASSERT_EQ(SaveTransaction(db.cnn(), r.h, r.lines, SaveMode::Add), SaveOutcome::Committed);
    for (const Row& r : rows) {
        EXPECT_EQ(storedHeader(db, r.h.TransactionNo), r.header) << r.h.TransactionNo.toStdString();
        EXPECT_EQ(storedLines(db, r.h.TransactionNo), r.stored) << r.h.TransactionNo.toStdString();
    }
}

TEST_F(Journal, APostedTransactionCannotBeSavedOrDeleted) {
    fixtures::addTransaction(db, "T1", true, {{"1000", 10000}, {"4000", -10000}});
    const QByteArray before = db.fileBytes();
    // Saving it again (even unchanged, even with invalid rows) is refused before anything.
    EXPECT_EQ(save(header("T1"), {{"", "", "5", ""}}, SaveMode::Edit), CommandOutcome::Fix);
    EXPECT_EQ(SaveTransaction(db.cnn(), header("t1"), {}, SaveMode::Edit), SaveOutcome::Posted);
    // Deleting it is refused before the question.
    EXPECT_EQ(RunListDeletion(db.cnn(), TransactionDeletion(), "T1", "Transactions"),
              DeletionOutcome::Refused);
    ASSERT_EQ(ui.asked().size(), 2u);
    for (const auto& a : ui.asked()) {
        EXPECT_EQ(a.kind, ScriptedUi::Asked::MessageBox);
        EXPECT_EQ(a.text, "Transaction no. T1 is posted. Revert the posting first.");
        EXPECT_EQ(a.title, "Transactions");
    }
    EXPECT_EQ(db.fileBytes(), before);
}

TEST_F(Journal, ARefusedSaveWritesNothingAndRetryCarriesOnOnceTheRefusalIsGone) {
    fixtures::addTransaction(db, "T1", false, {{"1000", 10000}, {"4000", -10000}});
    const QByteArray before = db.fileBytes();
    const std::vector<LineCells> rows = {{"5000", "Rent", "9", ""}, {"1000", "Cash", "", "9"}};
    // A new transaction of a number in use is refused by the engine, not written over it.
    ui.answerDialog(Fix);
    EXPECT_EQ(save(header("t1"), rows, SaveMode::Add), CommandOutcome::Fix);
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_EQ(ui.dialogs()[0].buttons, 7); // Fix, Retry, Abort
    EXPECT_TRUE(ui.dialogs()[0].text.startsWith(
        QString("Error: %1\r\n").arg(SQLITE_CONSTRAINT_PRIMARYKEY)));
    EXPECT_EQ(db.fileBytes(), before);

    fixtures::refuse(db, "INSERT", "Ledger_TransactionDetails");
    const QByteArray refused = db.fileBytes();
    for (Answer answer : {Fix, Abort}) {
        ScriptedUi answers;
        answers.answerDialog(Retry).answerDialog(answer);
        EXPECT_EQ(save(header("T1"), rows, SaveMode::Edit),
                  answer == Fix ? CommandOutcome::Fix : CommandOutcome::Abort);
        EXPECT_EQ(answers.dialogs().size(), 2u); // Retry ran the refused statement again
        EXPECT_EQ(db.fileBytes(), refused);
    }
    ScriptedUiWithStep answers;
    answers.answerDialog(Retry);
    answers.onDialog = [] { fixtures::stopRefusing(); };
    EXPECT_EQ(save(header("T1"), rows, SaveMode::Edit), CommandOutcome::Committed);
    EXPECT_EQ(storedLines(db, "T1"), "5000 1 90000, 1000 2 -90000");
}

TEST(LineTotals, SumsTheSidesAndFillsTheBalancingAmount) {
    const std::vector<LineCells> rows = {
        {"1000", "Cash", "150", "0"},
        {"", "", "", ""},
        {"4000", "Sales", "0", "100"},
        {"", "", "2", ""}, // an amount without account still counts on the screen
        {"5000", "Rent", "", ""},
    };
    const LineTotals t = TotalsOfRows(rows);
    EXPECT_EQ(TotalsText(t), "Debits 152.00   Credits 100.00   Difference 52.00");
    // The balancing amount goes on the side that is short; none when balanced already.
    EXPECT_EQ(BalancingRow(rows, 4), (LineCells{"5000", "Rent", "", "52.00"}));
    std::vector<LineCells> creditHeavy = {{"4000", "Sales", "0", "10.25"},
                                          {"1000", "Cash", "", ""}};
    EXPECT_EQ(BalancingRow(creditHeavy, 1), (LineCells{"1000", "Cash", "10.25", ""}));
    creditHeavy[1] = {"1000", "Cash", "10.25", "0"};
    creditHeavy.push_back({"5000", "Rent", "", ""});
    EXPECT_FALSE(BalancingRow(creditHeavy, 2));
    EXPECT_THROW(
        TotalsOfRows({{"1", "A", "922337203685477", ""}, {"1", "A", "922337203685477", ""}}),
        AmountOverflow);
}

TEST(NextTransactionNo, FollowsTheHighestNumberOfItsPattern) {
    const struct {
        QStringList numbers;
        QString next;
    } cases[] = {
        {{"T009", "T011", "T010"}, "T012"},
        {{"T099"}, "T100"},
        {{"T999"}, "T1000"},
        {{"7", "INV0042", "t0043"}, "t0044"},
        {{"A1", "B1", "b2"}, "b3"},
        {{"T9", "T010", "T10"}, "T011"}, // of one value, the longer writing
        {{"X-9", "X-10"}, "X-11"},
        {{"2026-0007"}, "2026-0008"},
        {{"Misc", "Opening"}, ""},
        {{}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NextTransactionNo(c.numbers), c.next) << c.numbers.join(",").toStdString();
}

// The number proposed follows the last one, in the journal or, once a month end has
// moved it, in the history; a number in use in either is passed over.
TEST(NextTransactionNo, FollowsTheLastNumberInTheJournalOrTheHistory) {
    TestDatabase db;
    ScriptedUi ui;
    Books books(db);
    books.openBalancedBooks(1, 2004);
    EXPECT_EQ(NextTransactionNo(db.cnn()), "");
    books.addTransaction("T041", QDate(2004, 1, 20), {{"1000", "5"}, {"5000", "-5"}});
    EXPECT_EQ(NextTransactionNo(db.cnn()), "T042");
    CountingProgress progress;
    ASSERT_EQ(
        periods::PostTransactions(db.cnn(), progress).run(QDate(2004, 1, 1), QDate(2004, 1, 31)),
        periods::RunOutcome::Done);
    ASSERT_EQ(periods::EndMonth(db.cnn(), progress).run(1), periods::RunOutcome::Done);
    ASSERT_EQ(db.count("Ledger_Transactions"), 0);
    EXPECT_EQ(NextTransactionNo(db.cnn()), "T042");
    books.addTransaction("T042", QDate(2004, 1, 5), {{"1000", "1"}, {"5000", "-1"}});
    books.addTransaction("t043", QDate(2003, 12, 5), {{"1000", "1"}, {"5000", "-1"}});
    EXPECT_EQ(NextTransactionNo(db.cnn()), "T044") << "T042 and t043 are in use";
    books.addTransaction("2004-0007", QDate(2004, 2, 1), {{"1000", "1"}, {"5000", "-1"}});
    EXPECT_EQ(NextTransactionNo(db.cnn()), "2004-0008") << "the latest date's number";
}

// Completion by number or by name, one table: what is listed while typing, best first,
// and which account the text names when the cell is left with it.
TEST(AccountLookup, CompletesByNumberOrNameAndResolvesWhatWasTyped) {
    const AccountLookup accounts({{"1000", "Cash"},
                                  {"10", "Petty cash"},
                                  {"1100", "Bank current account"},
                                  {"3000", "Share capital"},
                                  {"4000", "Sales"},
                                  {"4100", "Sales"},
                                  {"4200", "Café 10"}});
    const struct {
        QString typed;
        QStringList listed;
        QString resolved;
    } cases[] = {
        {"1", {"1000", "10", "1100", "4200"}, ""},
        {"10", {"10", "1000", "4200"}, "10"}, // that number first, then numbers, then names
        {"share", {"3000"}, "3000"},          // one match: taken
        {"SHA", {"3000"}, "3000"},            // any case
        {"cash", {"1000", "10"}, "1000"},     // a name that begins it before one containing it
        {"ASH", {"1000", "10"}, ""},          // two matches, neither of that name
        {"Sales", {"4000", "4100"}, "4000"},  // the first of that name
        {"acc", {"1100"}, "1100"},            // inside the name
        {"café", {"4200"}, "4200"},           // accents as typed
        {"cafe", {}, ""},
        {"4100 \u2014 Sales", {}, "4100"}, // an entry's own text
        {"9", {}, ""},
        {"", {}, ""},
    };
    for (const auto& c : cases) {
        QStringList listed;
        for (const auto* a : accounts.match(c.typed))
            listed << a->AccountNo;
        EXPECT_EQ(listed, c.listed) << c.typed.toStdString();
        const auto* a = accounts.resolve(c.typed);
        EXPECT_EQ(a ? a->AccountNo : QString(), c.resolved) << c.typed.toStdString();
    }
}

TEST(TypedDate, AWholeDateIsTakenOrRefusedAsItStands) {
    const QLocale dmy(QLocale::English, QLocale::UnitedKingdom); // dd/MM/yyyy
    const QLocale mdy(QLocale::English, QLocale::UnitedStates);  // M/d/yy
    const struct {
        const QLocale& locale;
        QString typed;
        QDate date;
        QString error;
    } cases[] = {
        {dmy, "29/02/2004", {2004, 2, 29}, ""},
        {dmy, "1.4.04", {2004, 4, 1}, ""},
        {mdy, "2/29/04", {2004, 2, 29}, ""},
        {mdy, "2004-05-31", {2004, 5, 31}, ""},
        {dmy, " 31 May 2004 ", {2004, 5, 31}, ""},
        {dmy, "May 31, 1999", {1999, 5, 31}, ""},
        {dmy, "1/1/80", {1980, 1, 1}, ""},
        {dmy, "31/12/79", {2079, 12, 31}, ""},
        {dmy, "31/04/2004", {}, "31 Apr 2004 is not a date"},
        {mdy, "13/1/2004", {}, "1 13 2004 is not a date"},
        {dmy, "01 Dec 0000", {}, "1 Dec 0000 is not a date"},
        {dmy, "999 May 31", {}, "31 May 999 is not a date from 1980 to 3000"}, // year first
        {dmy, "31/12/1979", {}, "31 Dec 1979 is not a date from 1980 to 3000"},
        {dmy, "1/1/3001", {}, "1 Jan 3001 is not a date from 1980 to 3000"},
        {dmy, "1/1/20040", {}, "\"1/1/20040\" is not a date"},
        {dmy, "", {}, "\"\" is not a date"},
        {dmy, "1 Foo 2004", {}, "\"1 Foo 2004\" is not a date"},
    };
    for (const auto& c : cases) {
        const TypedDate t = ParseTypedDate(c.typed, c.locale);
        EXPECT_EQ(t.date, c.date) << c.typed.toStdString();
        EXPECT_EQ(t.error, c.error) << c.typed.toStdString();
    }
}
