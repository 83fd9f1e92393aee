#include "frmLedgerTrx.h"
#include "frmLedgerTrxs.h"
#include "ui/widgets/WindowCommands.h"

// Menu commands of the journal.
namespace zelk::windows {

void openLedgerTrxs(QMdiArea* area) {
    showChild(area, new frmLedgerTrxs);
}

void openNewTransaction(QWidget* parent) {
    frmLedgerTrx editor(parent);
    editor.Add();
}

} // namespace zelk::windows
