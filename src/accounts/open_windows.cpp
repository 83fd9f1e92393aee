#include "app/WindowCommands.h"
#include "frmLedgerAccounts.h"

// Menu commands of the chart of accounts.
namespace zelk::windows {

void openLedgerAccounts(QMdiArea* area) {
    showChild(area, new frmLedgerAccounts);
}

} // namespace zelk::windows
