#include "app/WindowCommands.h"

// Menu commands of this subsystem; each opens its window (built with its issue).
namespace zelk::windows {

void openTrxHistory(QMdiArea*) {}

void openGeneralHistoryCurrent(QMdiArea*) {}

void openGeneralHistory(QMdiArea*) {}

void openBalanceHistory(QMdiArea*) {}

} // namespace zelk::windows
