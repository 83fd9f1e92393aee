#include "app/WindowCommands.h"
#include "frmLedgerTrxs.h"

// Menu commands of the journal.
namespace zelk::windows {

void openLedgerTrxs(QMdiArea* area) {
    showChild(area, new frmLedgerTrxs);
}

} // namespace zelk::windows
