#pragma once

#include "core/shared/DataTable.h"

namespace zelk {
class Connection;
}

// The chart of accounts and the journal as tables in the layout the imports read, so that
// books exported and imported again are the same books.
namespace zelk::exchange {

// AccountNo, AccountName, Class (its name), BeginningBalance (of the open year), Notes.
DataTable AccountsTable(Connection& cnn);
// One row per line of every journal transaction: TransactionNo, Date, Source,
// Description, AccountNo, Debit, Credit.
DataTable TransactionsTable(Connection& cnn);

} // namespace zelk::exchange
