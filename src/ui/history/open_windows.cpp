#include "frmHistoryBrowser.h"
#include "ui/lists/ListWindow.h"
#include "ui/widgets/WindowCommands.h"

#include <QMdiArea>
#include <QMdiSubWindow>

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

void openAccountCard(QMdiArea* area, const QString& account) {
    QString key = account;
    if (key.isEmpty() && area && area->activeSubWindow())
        if (auto* list = qobject_cast<ListWindow*>(area->activeSubWindow()->widget()))
            if (list->objectName() == QLatin1String("frmLedgerAccounts"))
                key = list->currentKey();
    auto* card = new frmAccountCard(key);
    showChild(area, card);
    if (key.isEmpty())
        card->chooseRange();
}

} // namespace zelk::windows
