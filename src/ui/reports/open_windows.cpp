#include "frmRptOption.h"
#include "ui/widgets/WindowCommands.h"

// Menu commands of the reports: each opens its report option window modally.
namespace zelk::windows {

void openRptTrxList(QWidget* parent) {
    showModal<frmRptTrxList>(parent);
}

void openRptTrialBalance(QWidget* parent) {
    showModal<frmRptTrialBalance>(parent);
}

void openRptIncomeStmt(QWidget* parent) {
    showModal<frmRptIncomeStmt>(parent);
}

void openRptBalanceSheet(QWidget* parent) {
    showModal<frmRptBalanceSheet>(parent);
}

} // namespace zelk::windows
