#include "app/WindowCommands.h"
#include "frmHistoryBrowser.h"

// The "H&istory" menu: each command opens one more browser inside the main window.
namespace zelk::windows {

void openTrxHistory(QMdiArea* area) {
    showChild(area, new frmLedgerTrxHists);
}

void openGeneralHistoryCurrent(QMdiArea* area) {
    showChild(area, new frmLedgerGeneralHistsCurrent);
}

void openGeneralHistory(QMdiArea* area) {
    showChild(area, new frmLedgerGeneralHists);
}

void openBalanceHistory(QMdiArea* area) {
    showChild(area, new frmLedgerBalanceHists);
}

} // namespace zelk::windows
