#include "frmLedgerAccounts.h"
#include "ui/widgets/WindowCommands.h"

// Menu commands of the chart of accounts.
namespace zelk::windows {

void openLedgerAccounts(QMdiArea* area) {
    showChild(area, new frmLedgerAccounts);
}

} // namespace zelk::windows
