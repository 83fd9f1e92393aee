#include "journal/TransactionEntry.h"
#include "accounts/LedgerFixtures.h"
#include "data/Connection.h"
#include "widgets/TypedDate.h"

#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

using namespace zelk;
using namespace zelk::journal;

namespace {

AccountLookup lookup() {
    return AccountLookup({{"1000", "Cash"},
                          {"AB-1", "Bank"},
                          {"4000", "Sales"},
                          {"4100", "Sales"}, // a second account of the same name
                          {"5'00", "O'Brien's rent"}});
}

LineCells row(const QString& no, const QString& name, const QString& debit, const QString& credit) {
    return {no, name, debit, credit};
}

struct StoredLine {
    QString account;
    qint64 seq;
    qint64 raw;
    bool operator==(const StoredLine&) const = default;
};

std::vector<StoredLine> storedLines(TestDatabase& db, const QString& no) {
    std::vector<StoredLine> out;
    RowSet rs = db.query(QString("SELECT FKID_Account, Seq, Amount FROM Ledger_TransactionDetails "
                                 "WHERE FKID_Transaction='%1' ORDER BY Seq")
                             .arg(no));
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        out.push_back({rs.text("FKID_Account"), rs.integer("Seq"), rs.integer("Amount")});
    return out;
}

class Journal : public ::testing::Test {
protected:
    TestDatabase db;
    void SetUp() override {
        fixtures::addAccount(db, "1000", "Cash", 1, 2004);
        fixtures::addAccount(db, "4000", "Sales", 5, 2004);
        fixtures::addAccount(db, "5000", "Rent", 6, 2004);
    }
    TransactionHeader header(const QString& no) {
        return {no, "Inv 12", "Sale of goods", QDate(2004, 2, 15)};
    }
};

} // namespace

TEST(AfterEdit, TheNumberFillsTheNameOrMarksTheRowInvalid) {
    const AccountLookup accounts = lookup();
    LineCells r = row("1000", "", "", "");
    AfterEdit(r, ColAccountNo, accounts);
    EXPECT_EQ(r[ColAccountName], "Cash");
    r[ColAccountNo] = "ab-1"; // numbers compare as keys do
    AfterEdit(r, ColAccountNo, accounts);
    EXPECT_EQ(r[ColAccountName], "Bank");
    EXPECT_EQ(r[ColAccountNo], "ab-1"); // the number stays as typed
    for (const char* unknown : {"9999", "1000 ", "5'", "' OR ''='"}) {
        r[ColAccountNo] = unknown;
        AfterEdit(r, ColAccountNo, accounts);
        EXPECT_EQ(r[ColAccountName], "Invalid Account") << unknown;
    }
    r[ColAccountNo] = "5'00"; // a quote is just a character
    AfterEdit(r, ColAccountNo, accounts);
    EXPECT_EQ(r[ColAccountName], "O'Brien's rent");
    r[ColAccountNo] = ""; // an empty number leaves the row without an account
    AfterEdit(r, ColAccountNo, accounts);
    EXPECT_EQ(r, row("", "", "", ""));
    EXPECT_EQ(InvalidAccountText(), "Invalid Account");
}

TEST(AfterEdit, TheAccountChosenIsTheOneStoredAndNumberAndNameAgree) {
    const AccountLookup accounts = lookup();
    LineCells r = row("", "", "5", "");
    ChooseAccount(r, "4100", accounts); // the second account named "Sales"
    EXPECT_EQ(r, row("4100", "Sales", "5", ""));
    ChooseAccount(r, "", accounts); // the empty entry empties the account
    EXPECT_EQ(r, row("", "", "5", ""));
    // A typed name still fills the number of its account.
    r[ColAccountName] = "O'Brien's rent";
    AfterEdit(r, ColAccountName, accounts);
    EXPECT_EQ(r[ColAccountNo], "5'00");
    r[ColAccountName] = "No such name";
    AfterEdit(r, ColAccountName, accounts);
    EXPECT_EQ(r[ColAccountNo], "5'00"); // not found: nothing changes
}

TEST(AfterEdit, ANonZeroAmountZeroesTheOtherSide) {
    const AccountLookup accounts = lookup();
    LineCells r = row("1000", "Cash", "", "75");
    r[ColDebit] = "100";
    AfterEdit(r, ColDebit, accounts);
    EXPECT_EQ(r[ColCredit], "0");
    r[ColCredit] = "250";
    AfterEdit(r, ColCredit, accounts);
    EXPECT_EQ(r[ColDebit], "0");
    // A negative amount changes side at once; the stored amount is the same.
    r = row("1000", "Cash", "", "-50");
    AfterEdit(r, ColCredit, accounts);
    EXPECT_EQ(r, row("1000", "Cash", "50", "0"));
    r = row("1000", "Cash", "-1,250.5", "7");
    AfterEdit(r, ColDebit, accounts);
    EXPECT_EQ(r, row("1000", "Cash", "0", "1250.5"));
    // Zero, or text that is not a number, changes nothing.
    for (const char* nothing : {"0", "0.00", "", "abc", "12x"}) {
        LineCells z = row("1000", "Cash", "40", "60");
        z[ColDebit] = nothing;
        AfterEdit(z, ColDebit, accounts);
        EXPECT_EQ(z[ColCredit], "60") << nothing;
        z = row("1000", "Cash", "40", nothing);
        AfterEdit(z, ColCredit, accounts);
        EXPECT_EQ(z[ColDebit], "40") << nothing;
    }
}

TEST(CheckLines, ValidRowsBecomeSignedLinesAndInvalidRowsAreCounted) {
    const std::vector<LineCells> rows = {
        row("1000", "Cash", "1,250.50", "0"), // debit
        row("", "", "", ""),                  // empty: skipped
        row("4000", "Sales", "0", "250"),     // credit, stored negative
        row("4000", "Sales", "", ""),         // no amount: invalid
        row("", "", "30", ""),                // amount without account: invalid
        row("9", "Invalid Account", "5", ""), // unknown account: invalid
        row("5000", "", "5", ""),             // no name: invalid
        row("5000", "Rent", "10", "20"),      // both: keeps the debit
        row("5000", "Rent", "abc", "0"),      // not a number counts as 0: invalid
        row("1000", "Cash", "0.00005", ""),   // rounds to 0.0000 (half to even): invalid
        row("1000", "Cash", "0", "-40"),      // a negative credit is a debit
    };
    const LineCheck check = CheckLines(rows);
    EXPECT_EQ(check.invalidRows, 6);
    EXPECT_EQ(check.problems,
              (QStringList{"row 4: no amount", "row 5: no account", "row 6: no account of number 9",
                           "row 7: no account", "row 9: no amount", "row 10: no amount"}));
    ASSERT_EQ(check.lines.size(), 4u);
    EXPECT_EQ(check.lines[0].AccountNo, "1000");
    EXPECT_EQ(check.lines[0].amount, Amount::fromRaw(12505000));
    EXPECT_EQ(check.lines[1].AccountNo, "4000");
    EXPECT_EQ(check.lines[1].amount, Amount::fromRaw(-2500000));
    EXPECT_EQ(check.lines[2].amount, Amount::fromRaw(100000));
    EXPECT_EQ(check.lines[3].amount, Amount::fromRaw(400000));
}

TEST(CheckLines, AmountsAreExactBeyondWhatADoubleHolds) {
    // 922,337,203,685,477.5807 is the largest amount; a double cannot hold its last
    // digits, and 0.1 + 0.2 is not 0.3 in binary.
    const LineCheck check =
        CheckLines({row("1000", "Cash", "922,337,203,685,477.5807", ""),
                    row("4000", "Sales", "", "922337203685477.5807"),
                    row("1000", "Cash", "0.1", ""), row("1000", "Cash", "0.2", "")});
    ASSERT_EQ(check.lines.size(), 4u);
    EXPECT_EQ(check.lines[0].amount.raw(), INT64_MAX);
    EXPECT_EQ(check.lines[1].amount.raw(), -INT64_MAX);
    EXPECT_EQ((check.lines[2].amount + check.lines[3].amount).raw(), 3000);
}

TEST(ValidateTransaction, AMissingNumberIsReportedFirst) {
    ScriptedUi ui;
    ui.answerDialog(Fix).answerDialog(Abort);
    std::vector<TransactionLine> lines{{"x", Amount()}};
    const std::vector<LineCells> rows = {row("", "", "5", "")}; // invalid too
    EXPECT_EQ(ValidateTransaction("", rows, lines), 1);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(ValidateTransaction("", rows, lines), 2);
    ASSERT_EQ(ui.dialogs().size(), 2u);
    EXPECT_EQ(ui.dialogs()[0].text,
              "Error: 1\r\nSource: Ledger Transaction\r\nDesc: Transaction no. is missing.");
    EXPECT_EQ(ui.dialogs()[0].buttons, 5);
    EXPECT_EQ(ui.dialogs()[0].title, "DB Error");
}

TEST(ValidateTransaction, InvalidRowsAreCountedAndIgnoreSavesTheOthers) {
    const std::vector<LineCells> rows = {
        row("1000", "Cash", "10", "0"), row("9", "Invalid Account", "10", ""), row("", "", "", ""),
        row("4000", "Sales", "", ""), row("4000", "Sales", "0", "10")};
    std::vector<TransactionLine> lines;
    ScriptedUi ui;
    ui.answerDialog(Fix).answerDialog(Abort).answerDialog(Ignore);
    EXPECT_EQ(ValidateTransaction("T1", rows, lines), 1);
    EXPECT_EQ(ValidateTransaction("T1", rows, lines), 2);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(ValidateTransaction("T1", rows, lines), 0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].AccountNo, "1000");
    EXPECT_EQ(lines[1].amount, Amount::fromUnits(-10));
    ASSERT_EQ(ui.dialogs().size(), 3u);
    EXPECT_EQ(ui.dialogs()[0].text, "Error: 2\r\nSource: Ledger Transaction\r\nDesc: Invalid: 2 "
                                    "row(s). Yes: fix input, No:Cancel, \r\nrow 2: no account of "
                                    "number 9\r\nrow 4: no amount");
    EXPECT_EQ(ui.dialogs()[0].buttons, 1 | 4 | 8); // Fix, Abort, Ignore

    // All valid: nothing is asked.
    EXPECT_EQ(ValidateTransaction("T1", {row("1000", "Cash", "1", "")}, lines), 0);
    EXPECT_EQ(ui.dialogs().size(), 3u);
    EXPECT_EQ(lines.size(), 1u);
}

TEST_F(Journal, AddSavesTheHeaderUnpostedAndTheLinesNumberedWithoutGaps) {
    ScriptedUi ui;
    const std::vector<LineCells> rows = {
        row("", "", "", ""),
        row("1000", "Cash", "1250.5", "0"),
        row("", "", "", ""),
        row("", "", "", ""),
        row("4000", "Sales", "0", "250"),
        row("5000", "Rent", "3", "0"), // unbalanced: saved after the question
    };
    ui.answerYes(false).answerYes(true);
    EXPECT_EQ(TransactionSaveCommand(db.cnn(), header("T1"), rows, SaveMode::Add, "Transactions"),
              CommandOutcome::Fix);
    EXPECT_EQ(db.count("Ledger_Transactions"), 0);
    EXPECT_EQ(TransactionSaveCommand(db.cnn(), header("T1"), rows, SaveMode::Add, "Transactions"),
              CommandOutcome::Committed);
    ASSERT_EQ(ui.asked().size(), 2u);
    EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::YesNo);
    EXPECT_EQ(ui.asked()[0].title, "Transactions");
    EXPECT_EQ(ui.asked()[0].text, "Debits 1,253.50 and credits 250.00 differ by 1,003.50. Save "
                                  "it unbalanced? It will not be posted until it balances.");
    RowSet h = db.query("SELECT * FROM Ledger_Transactions");
    ASSERT_EQ(h.recordCount(), 1);
    EXPECT_EQ(h.text("TransactionNo"), "T1");
    EXPECT_EQ(h.text("Source"), "Inv 12");
    EXPECT_EQ(h.text("Description"), "Sale of goods");
    EXPECT_EQ(h.text("DateStamp"), "2004-02-15");
    EXPECT_EQ(h.integer("Posted"), 0);
    const std::vector<StoredLine> expected = {
        {"1000", 1, 12505000}, {"4000", 2, -2500000}, {"5000", 3, 30000}};
    EXPECT_EQ(storedLines(db, "T1"), expected);

    // A transaction with no lines at all is saved as entered; empty texts become NULL.
    EXPECT_EQ(TransactionSaveCommand(db.cnn(), {"T2", "", "", QDate(2004, 3, 1)}, {}, SaveMode::Add,
                                     "Transactions"),
              CommandOutcome::Committed);
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_Transactions WHERE TransactionNo='T2' AND "
                        "Source IS NULL AND Description IS NULL"),
              1);
    EXPECT_TRUE(storedLines(db, "T2").empty());
}

TEST_F(Journal, LoadShowsACreditInTheCreditColumnAndADebitInTheDebitColumn) {
    ScriptedUi ui;
    ASSERT_EQ(SaveTransaction(db.cnn(), header("T1"),
                              {{"1000", Amount::fromRaw(2500000)},
                               {"4000", Amount::fromRaw(-2500000)},
                               {"5000", Amount::fromRaw(-5)},
                               {"5000", Amount()}},
                              SaveMode::Add),
              SaveOutcome::Committed);
    EXPECT_EQ(db.scalar("SELECT Amount FROM Ledger_TransactionDetails WHERE Seq=2"), -2500000);
    std::optional<LoadedTransaction> t = LoadTransaction(db.cnn(), "t1");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->header.Source, "Inv 12");
    EXPECT_EQ(t->header.Description, "Sale of goods");
    EXPECT_EQ(t->header.DateStamp, QDate(2004, 2, 15));
    EXPECT_FALSE(t->Posted);
    ASSERT_EQ(t->rows.size(), 4u);
    EXPECT_EQ(t->rows[0], row("1000", "Cash", "250", "0"));
    EXPECT_EQ(t->rows[1], row("4000", "Sales", "0", "250"));
    EXPECT_EQ(t->rows[2], row("5000", "Rent", "0", "0.0005"));
    EXPECT_EQ(t->rows[3], row("5000", "Rent", "0", "0")); // a stored zero
    EXPECT_FALSE(LoadTransaction(db.cnn(), "T9"));
    EXPECT_EQ(TransactionNotFoundText("T9"), "Transaction no. T9 not found.");
}

TEST_F(Journal, EditReplacesHeaderAndLinesAndRenumbersThem) {
    ScriptedUi ui;
    fixtures::addTransaction(db, "T1", false, {{"1000", 10000}, {"4000", -20000}, {"5000", 10000}});
    const std::vector<LineCells> rows = {row("5000", "Rent", "7", "0"), row("", "", "", ""),
                                         row("1000", "Cash", "0", "7")};
    TransactionHeader h = header("T1");
    h.Description = "";
    EXPECT_EQ(TransactionSaveCommand(db.cnn(), h, rows, SaveMode::Edit, "Transactions"),
              CommandOutcome::Committed);
    EXPECT_EQ(db.count("Ledger_Transactions"), 1);
    RowSet t = db.query("SELECT * FROM Ledger_Transactions");
    EXPECT_TRUE(t.isNull("Description"));
    EXPECT_EQ(t.text("DateStamp"), "2004-02-15");
    EXPECT_EQ(t.integer("Posted"), 0);
    const std::vector<StoredLine> expected = {{"5000", 1, 70000}, {"1000", 2, -70000}};
    EXPECT_EQ(storedLines(db, "T1"), expected);
    EXPECT_EQ(db.count("Ledger_TransactionDetails"), 2);
}

TEST_F(Journal, APostedTransactionCannotBeSavedOrDeleted) {
    fixtures::addTransaction(db, "T1", true, {{"1000", 10000}, {"4000", -10000}});
    db.exec("UPDATE Ledger_General SET Debit=1 WHERE FKID_Account='1000' AND Period=3");
    const QByteArray before = db.fileBytes();
    ScriptedUi ui;

    // Saving it again (even unchanged, even with invalid rows) is refused before anything.
    EXPECT_EQ(TransactionSaveCommand(db.cnn(), header("T1"), {row("", "", "5", "")}, SaveMode::Edit,
                                     "Transactions"),
              CommandOutcome::Fix);
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::MessageBox);
    EXPECT_EQ(ui.asked()[0].text, "Transaction no. T1 is posted. Revert the posting first.");
    EXPECT_EQ(ui.asked()[0].title, "Transactions");
    EXPECT_EQ(SaveTransaction(db.cnn(), header("t1"), {}, SaveMode::Edit), SaveOutcome::Posted);

    // Deleting it is refused before the question.
    ui.clear();
    EXPECT_EQ(RunListDeletion(db.cnn(), TransactionDeletion(), "T1", "Transactions"),
              DeletionOutcome::Refused);
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::MessageBox);
    EXPECT_EQ(ui.asked()[0].text, PostedRefusalText("T1"));
    EXPECT_EQ(db.fileBytes(), before);

    // Looking at it stays allowed.
    std::optional<LoadedTransaction> t = LoadTransaction(db.cnn(), "T1");
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->Posted);
    EXPECT_EQ(t->rows.size(), 2u);
}

TEST_F(Journal, AnUnpostedTransactionIsDeletedWithAllItsLines) {
    fixtures::addTransaction(db, "T1", false, {{"1000", 10000}, {"4000", -10000}});
    fixtures::addTransaction(db, "T2", false, {{"1000", 5}});
    ScriptedUi ui;
    ui.answerYes(false).answerYes(true);
    EXPECT_EQ(RunListDeletion(db.cnn(), TransactionDeletion(), "T1", "Transactions"),
              DeletionOutcome::Declined);
    EXPECT_EQ(db.count("Ledger_Transactions"), 2);
    EXPECT_EQ(RunListDeletion(db.cnn(), TransactionDeletion(), "T1", "Transactions"),
              DeletionOutcome::Deleted);
    EXPECT_EQ(ui.asked()[0].text, "Delete Transaction no. T1?");
    EXPECT_EQ(ui.asked()[0].title, "Transactions");
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_TransactionDetails WHERE "
                        "FKID_Transaction='T1'"),
              0);
    EXPECT_EQ(storedLines(db, "T2").size(), 1u);
}

TEST_F(Journal, ADuplicateNumberIsRefusedAndFixOrAbortWriteNothing) {
    fixtures::addTransaction(db, "T1", false, {{"1000", 10000}});
    const QByteArray before = db.fileBytes();
    for (Answer answer : {Fix, Abort}) {
        ScriptedUi ui;
        ui.answerDialog(answer);
        EXPECT_EQ(
            TransactionSaveCommand(db.cnn(), header("t1"),
                                   {row("4000", "Sales", "1", ""), row("1000", "Cash", "", "1")},
                                   SaveMode::Add, "Transactions"),
            answer == Fix ? CommandOutcome::Fix : CommandOutcome::Abort);
        ASSERT_EQ(ui.dialogs().size(), 1u);
        EXPECT_EQ(ui.dialogs()[0].buttons, 7);
        EXPECT_TRUE(ui.dialogs()[0].text.startsWith(
            QString("Error: %1\r\n").arg(SQLITE_CONSTRAINT_PRIMARYKEY)));
        EXPECT_EQ(db.fileBytes(), before);
    }
}

TEST_F(Journal, ARefusedEditKeepsTheOldHeaderAndLines) {
    fixtures::addTransaction(db, "T1", false, {{"1000", 10000}, {"4000", -10000}});
    fixtures::refuse(db, "INSERT", "Ledger_TransactionDetails");
    const QByteArray before = db.fileBytes();
    ScriptedUi ui;
    ui.answerDialog(Retry).answerDialog(Abort);
    EXPECT_EQ(TransactionSaveCommand(db.cnn(), header("T1"),
                                     {row("5000", "Rent", "9", ""), row("1000", "Cash", "", "9")},
                                     SaveMode::Edit, "Transactions"),
              CommandOutcome::Abort);
    EXPECT_EQ(ui.dialogs().size(), 2u); // Retry ran the refused statement again
    EXPECT_EQ(db.fileBytes(), before);
    const std::vector<StoredLine> old = {{"1000", 1, 10000}, {"4000", 2, -10000}};
    EXPECT_EQ(storedLines(db, "T1"), old);
}

TEST_F(Journal, RetryCarriesOnAfterTheRefusalIsGone) {
    fixtures::refuse(db, "INSERT", "Ledger_TransactionDetails");
    ScriptedUiWithStep ui;
    ui.answerDialog(Retry);
    ui.onDialog = [] { fixtures::stopRefusing(); };
    EXPECT_EQ(SaveTransaction(db.cnn(), header("T5"),
                              {{"1000", Amount::fromUnits(5)}, {"4000", Amount::fromUnits(-5)}},
                              SaveMode::Add),
              SaveOutcome::Committed);
    const std::vector<StoredLine> saved = {{"1000", 1, 50000}, {"4000", 2, -50000}};
    EXPECT_EQ(storedLines(db, "T5"), saved);
}

TEST_F(Journal, TheLookupReadsEveryAccountInOrder) {
    const AccountLookup accounts = AccountLookup::Load(db.cnn());
    QStringList numbers;
    for (const AccountLookup::Account& a : accounts.accounts())
        numbers << a.AccountNo;
    RowSet rs = db.query("SELECT AccountNo FROM Ledger_Accounts");
    QStringList expected;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        expected << rs.text("AccountNo");
    EXPECT_EQ(numbers, expected);
    EXPECT_EQ(accounts.names().size(), 3);
    ASSERT_NE(accounts.findName("rent"), nullptr);
    EXPECT_EQ(accounts.findName("rent")->AccountNo, "5000");
}

TEST(LineTotals, SumsTheSidesAndFillsTheBalancingAmount) {
    const std::vector<LineCells> rows = {
        row("1000", "Cash", "150", "0"),
        row("", "", "", ""),
        row("4000", "Sales", "0", "100"),
        row("", "", "2", ""), // an amount without account still counts on the screen
        row("5000", "Rent", "", ""),
    };
    const LineTotals t = TotalsOfRows(rows);
    EXPECT_EQ(TotalsText(t), "Debits 152.00   Credits 100.00   Difference 52.00");
    EXPECT_FALSE(t.balances());
    EXPECT_EQ(UnbalancedQuestion({Amount::fromUnits(150), Amount::fromUnits(100)}),
              "Debits 150.00 and credits 100.00 differ by 50.00. Save it unbalanced? It will not "
              "be posted until it balances.");
    // The balancing amount goes on the side that is short; none when balanced already.
    EXPECT_EQ(BalancingRow(rows, 4), row("5000", "Rent", "0", "52"));
    std::vector<LineCells> creditHeavy = {row("4000", "Sales", "0", "10.25"),
                                          row("1000", "Cash", "", "")};
    EXPECT_EQ(BalancingRow(creditHeavy, 1), row("1000", "Cash", "10.25", "0"));
    creditHeavy.push_back(row("5000", "Rent", "", ""));
    creditHeavy[1] = row("1000", "Cash", "10.25", "0");
    EXPECT_FALSE(BalancingRow(creditHeavy, 2));
    EXPECT_THROW(
        TotalsOfRows({row("1", "A", "922337203685477", ""), row("1", "A", "922337203685477", "")}),
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
        {{"Misc", "Opening"}, ""},
        {{}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NextTransactionNo(c.numbers), c.next) << c.numbers.join(",").toStdString();
}

TEST(AccountLookup, CompletesByNumberPrefixAndByWordsOfTheName) {
    const AccountLookup accounts({{"1000", "Cash"},
                                  {"10", "Petty cash"},
                                  {"1100", "Bank current account"},
                                  {"4000", "Sales"},
                                  {"4100", "Sales"}});
    auto numbers = [](const std::vector<const AccountLookup::Account*>& found) {
        QStringList out;
        for (const auto* a : found)
            out << a->AccountNo;
        return out;
    };
    const struct {
        bool byNumber;
        QString typed;
        QStringList found;
    } cases[] = {
        {true, "1", {"1000", "10", "1100"}},
        {true, "10", {"10", "1000"}}, // exact one first
        {true, "11", {"1100"}},
        {true, "9", {}},
        {true, "", {}},
        {false, "sal", {"4000", "4100"}},
        {false, "CASH", {"1000", "10"}},
        {false, "cur acc", {"1100"}},
        {false, "ash", {}},
        {false, "  ", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(
            numbers(c.byNumber ? accounts.matchNumber(c.typed) : accounts.matchWords(c.typed)),
            c.found)
            << c.typed.toStdString();
    EXPECT_EQ(AccountLookup::pickText(accounts.accounts()[4]), "Sales (4100)");
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
        {dmy, "31 Feb 2004", {}, "31 Feb 2004 is not a date"},
        {mdy, "13/1/2004", {}, "1 13 2004 is not a date"},
        {dmy, "01 Dec 0000", {}, "1 Dec 0000 is not a date"},
        {dmy, "31/12/1979", {}, "31 Dec 1979 is not a date from 1980 to 3000"},
        {dmy, "1/1/3001", {}, "1 Jan 3001 is not a date from 1980 to 3000"},
        {dmy, "1/1/20040", {}, "\"1/1/20040\" is not a date"},
        {dmy, "31", {}, "\"31\" is not a date"},
        {dmy, "", {}, "\"\" is not a date"},
        {dmy, "1 Foo 2004", {}, "\"1 Foo 2004\" is not a date"},
    };
    for (const auto& c : cases) {
        const TypedDate t = ParseTypedDate(c.typed, c.locale);
        EXPECT_EQ(t.date, c.date) << c.typed.toStdString();
        EXPECT_EQ(t.error, c.error) << c.typed.toStdString();
    }
    EXPECT_EQ(DateFieldText(QDate(2004, 2, 9)), "09 Feb 2004");
}

TEST(TransactionList, StatementAndColumns) {
    const std::vector<ListColumn> c = TransactionListColumns();
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(c[0].caption, "Date");
    EXPECT_EQ(c[0].widthTwips, 1296);
    EXPECT_EQ(c[0].display, ListDisplay::ShortDate);
    EXPECT_EQ(c[1].caption, "No");
    EXPECT_EQ(c[1].widthTwips, 1788);
    EXPECT_EQ(c[1].key, "TrxNo");
    EXPECT_EQ(c[2].caption, "Source");
    EXPECT_EQ(c[2].widthTwips, 2160);
    EXPECT_EQ(c[3].caption, "Posted");
    EXPECT_EQ(c[3].widthTwips, 912);
    EXPECT_EQ(c[3].display, ListDisplay::YesNo);
    EXPECT_EQ(TransactionListStatement(),
              "SELECT DateStamp, TransactionNo, Source, Posted FROM Ledger_Transactions");
}
