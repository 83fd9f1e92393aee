#pragma once

#include "core/data/Errors.h"
#include "core/data/SavingCommand.h"
#include "core/lists/ListDeletion.h"
#include "core/lists/ListModel.h"

#include <QString>
#include <optional>
#include <vector>

namespace zelk {
class Connection;
}

// The chart of accounts: the account editor's load, checks and save, and the account
// list's columns and deletion. Plain logic, driven by the windows and by tests.
namespace zelk::accounts {

enum class EditorMode { Add = 0, Edit = 1 };

// One entry of the class list: the class name shown, its id carried.
struct AccountClass {
    long AccountClassID = 0;
    QString Name;
};

// The account classes in the order the database returns them.
std::vector<AccountClass> LoadAccountClasses(Connection& cnn);
// The index of the first entry carrying that id, or -1.
int FindClassIndex(const std::vector<AccountClass>& classes, long accountClassId);

// The editor's fields. The beginning balance is the text as typed.
struct AccountFields {
    QString AccountNo;
    QString AccountName;
    QString Notes;
    std::optional<long> AccountClassID; // none selected
    QString BeginningBalance = QStringLiteral("0.00");
    bool operator==(const AccountFields&) const = default;
};

// The account and its beginning balance of the open year, or nothing when the account
// does not exist. A missing balance row reads as a beginning balance of 0.
std::optional<AccountFields> LoadAccount(Connection& cnn, const QString& accountNo);
// "Account no. 1000 not found."
QString AccountNotFoundText(const QString& accountNo);

// The first failing check, in order, as an input error (number 1, source
// "Ledger Account"); nothing when the fields may be saved.
std::optional<ErrorRecord> CheckAccount(const AccountFields& fields);
// Runs the checks and reports the first failure (Fix, Abort): 0 valid, 1 fix, 2 give up.
int ValidateAccount(const AccountFields& fields);

// Writes the account in one database transaction. Add: the account, its balance row and
// its twelve general-ledger rows of the open year. Edit: the account and its beginning
// balance of the open year; a missing balance row or missing general-ledger rows of the
// open year are created. The caller has validated the fields.
CommandOutcome SaveAccount(Connection& cnn, const AccountFields& fields, EditorMode mode);
// The statements of that save, run inside a saving command the caller holds (so many
// accounts can be written in one database transaction).
void WriteAccount(StatementRunner& run, const AccountFields& fields, EditorMode mode);
// The editor's Save: validation, then the save. Committed: close; Fix: stay; Abort: close.
CommandOutcome AccountSaveCommand(Connection& cnn, const AccountFields& fields, EditorMode mode);

// The account list: its statement and columns.
QString AccountListStatement();
std::vector<ListColumn> AccountListColumns();
// The account list's deletion: general-ledger rows, balance rows, then the account. A
// refusal because the account is still used is described in a bookkeeper's words.
ListDeletion AccountDeletion();
QString AccountInUseText(const QString& accountNo);

} // namespace zelk::accounts
