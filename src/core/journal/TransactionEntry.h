#pragma once

#include "core/accounts/AccountLookup.h"
#include "core/data/Amount.h"
#include "core/data/SavingCommand.h"
#include "core/lists/ListDeletion.h"
#include "core/lists/ListModel.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace zelk {
class Connection;
}

// The journal: the transaction editor's line rules, checks, load and save, and the
// transaction list's columns and deletion. Plain logic, driven by the windows, by tests
// and by any code that saves transactions as the editor does.
namespace zelk::journal {

// The line grid: four columns, 49 entry rows (more when a transaction has more lines).
enum Column { ColAccountNo = 0, ColAccountName = 1, ColDebit = 2, ColCredit = 3 };
constexpr int EntryRows = 49;
using LineCells = std::array<QString, 4>;
// What the name column shows after a number that matches no account.
QString InvalidAccountText();

using zelk::accounts::AccountLookup;

// What happens after the user has finished editing a cell of a row:
//  number or name -> the account the text names (AccountLookup::resolve: a number, a
//  name or part of one), its number and name; a text that names none stays in the
//  number cell with "Invalid Account" beside it; an empty text empties both;
//  a non-zero amount -> shown "#,##0.00" on its side, the other side emptied; a
//  negative amount changes side at once: "-50" as a credit shows as a debit of 50.00.
void AfterEdit(LineCells& row, int column, const AccountLookup& lookup);
// The account chosen for a row (from a list that carries the number): its number and
// name ("Invalid Account" for a number of none); an empty number empties both.
void ChooseAccount(LineCells& row, const QString& accountNo, const AccountLookup& lookup);
// The account a typed text names, chosen as above.
void ChooseTypedAccount(LineCells& row, const QString& typed, const AccountLookup& lookup);

// The sums of the rows' amounts (a row's amount is its debit when that is not 0, else
// its credit), as shown under the grid.
struct LineTotals {
    Amount debits;
    Amount credits;
    Amount difference() const { return debits - credits; }
    bool balances() const { return debits == credits; }
};
LineTotals TotalsOfRows(const std::vector<LineCells>& rows);
// "Debits 150.00   Credits 100.00   Difference 50.00"
QString TotalsText(const LineTotals& totals);
// "Debits 150.00 and credits 100.00 differ by 50.00. Save it unbalanced? ..."
QString UnbalancedQuestion(const LineTotals& totals);
// The row with the amount that balances the other rows filled in on its side (the
// debit when the others hold more credits); nothing when they balance already.
std::optional<LineCells> BalancingRow(const std::vector<LineCells>& rows, size_t row);
// The next number after the highest of the numbers given, in its pattern of letters and
// digits ("T011" -> "T012", "2026-0007" -> "2026-0008"), not one of them; empty when no
// number ends in digits.
QString NextTransactionNo(const QStringList& numbers);
// The number proposed for a new transaction: the next after the last (the highest of the
// latest date in the journal or the history), passing over numbers in use in either.
QString NextTransactionNo(Connection& cnn);
// What the posted label says of a posted transaction, which opens read-only.
QString PostedLockText();
// The question before typed input is thrown away.
QString DiscardQuestion();

// One line to save: the account number as typed and the signed amount (debit positive,
// credit negative).
struct TransactionLine {
    QString AccountNo;
    Amount amount;
};

// The rows checked: the lines of the valid rows in grid order, and the count of invalid
// rows. Wholly empty rows are skipped; a row is invalid without an account number, without
// a name, with "Invalid Account", or with 0 (or no number) in both amount cells. A row
// with both amounts keeps its debit. `problems` says of each invalid row where it is and
// why ("row 3: no account").
struct LineCheck {
    std::vector<TransactionLine> lines;
    int invalidRows = 0;
    QStringList problems;
};
LineCheck CheckLines(const std::vector<LineCells>& rows);

// The editor's validation: the number, then the rows. Reports a missing number (Fix,
// Abort) or the count of invalid rows, one line per row after it (Fix, Abort, Ignore). 0: save
// (after Ignore, the valid lines only), 1: fix the input, 2: give up. `lines` receives the lines to
// save.
int ValidateTransaction(const QString& transactionNo, const std::vector<LineCells>& rows,
                        std::vector<TransactionLine>& lines);

struct TransactionHeader {
    QString TransactionNo;
    QString Source;
    QString Description;
    QDate DateStamp;
    bool operator==(const TransactionHeader&) const = default;
};

// A transaction as the editor shows it: the header, its posted flag and the cells of
// its lines (a negative amount's absolute value in the credit cell, any other amount in
// the debit cell, "#,##0.00"; the other cell empty).
struct LoadedTransaction {
    TransactionHeader header;
    bool Posted = false;
    std::vector<LineCells> rows;
};
std::optional<LoadedTransaction> LoadTransaction(Connection& cnn, const QString& transactionNo);
LineCells CellsOfLine(const QString& accountNo, const QString& accountName, Amount amount);

// Whether the transaction exists and is posted.
bool IsPosted(Connection& cnn, const QString& transactionNo);
// "Transaction no. T1 is posted. Revert the posting first."
QString PostedRefusalText(const QString& transactionNo);
// "Transaction no. T1 not found."
QString TransactionNotFoundText(const QString& transactionNo);
// "Transaction no. T1 is already in the history of January 2004." when a month end of the
// open fiscal year has closed a transaction of that number; empty text otherwise.
QString HistoryRefusalText(Connection& cnn, const QString& transactionNo);

enum class SaveMode { Add = 0, Edit = 1 };
enum class SaveOutcome {
    Committed,
    Fix,       // a refused statement answered Fix: rolled back
    Abort,     // a refused statement answered Abort: rolled back
    Posted,    // Edit of a posted transaction: refused, nothing written
    InHistory, // Add of a number closed in the open fiscal year: refused, nothing written
};

// Saves a transaction as the editor does, in one database transaction: in Edit mode the
// old header (and with it its lines) is deleted first; then the header (not posted) and
// the lines numbered 1, 2, 3 ... A posted transaction is never replaced, and a new one
// never takes a number closed in the open fiscal year. Throws DbError when the
// posted flag of an edited transaction cannot be read.
SaveOutcome SaveTransaction(Connection& cnn, const TransactionHeader& header,
                            const std::vector<TransactionLine>& lines, SaveMode mode);
// The statements of that save, run inside a saving command the caller holds (so many
// transactions can be written in one database transaction).
void WriteTransaction(StatementRunner& run, const TransactionHeader& header,
                      const std::vector<TransactionLine>& lines, SaveMode mode);

// The editor's Save: refuses a posted transaction (a message box titled `title`), then
// validates the rows, asks before saving lines that do not balance, and saves. Committed: close;
// Fix: stay; Abort: close.
CommandOutcome TransactionSaveCommand(Connection& cnn, const TransactionHeader& header,
                                      const std::vector<LineCells>& rows, SaveMode mode,
                                      const QString& title);

// The transaction list: its statement, columns (the designed four, then each
// transaction's description and total) and deletion (refused for a posted transaction).
QString TransactionListStatement();
std::vector<ListColumn> TransactionListColumns();
ListDeletion TransactionDeletion();

} // namespace zelk::journal
