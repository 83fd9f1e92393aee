#include "app/WindowCommands.h"

// Menu commands of this subsystem; each opens its window (built with its issue).
namespace zelk::windows {

void openLedgerTrxs(QMdiArea*) {}

} // namespace zelk::windows
