#include "frmRptOption.h"
#include "ui/widgets/WindowCommands.h"

// Menu commands of the reports: each opens its report option window modally.
namespace zelk::windows {

void openRptTrxList(QWidget* parent) {
    frmRptTrxList dlg(parent);
    dlg.exec();
}

void openRptTrialBalance(QWidget* parent) {
    frmRptTrialBalance dlg(parent);
    dlg.exec();
}

void openRptIncomeStmt(QWidget* parent) {
    frmRptIncomeStmt dlg(parent);
    dlg.exec();
}

void openRptBalanceSheet(QWidget* parent) {
    frmRptBalanceSheet dlg(parent);
    dlg.exec();
}

} // namespace zelk::windows
