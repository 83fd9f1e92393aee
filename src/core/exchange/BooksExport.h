#pragma once

#include "core/shared/DataTable.h"

namespace zelk {
class Connection;
}

// The chart of accounts and the journal in the layout the imports read, so that books
// exported and imported again are the same books. The rows go out as the books yield
// them.
namespace zelk::exchange {

// AccountNo, AccountName, Class (its name), BeginningBalance (of the open year), Notes.
void ExportAccounts(Connection& cnn, TableRows& out);
// One row per line of every journal transaction, by date and number: TransactionNo,
// Date, Source, Description, AccountNo, Debit, Credit.
void ExportTransactions(Connection& cnn, TableRows& out);

// The same, kept in a table.
DataTable AccountsTable(Connection& cnn);
DataTable TransactionsTable(Connection& cnn);

} // namespace zelk::exchange
