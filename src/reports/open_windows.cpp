#include "app/WindowCommands.h"

// Menu commands of this subsystem; each opens its window (built with its issue).
namespace zelk::windows {

void openRptTrxList(QWidget*) {}

void openRptTrialBalance(QWidget*) {}

void openRptIncomeStmt(QWidget*) {}

void openRptBalanceSheet(QWidget*) {}

} // namespace zelk::windows
