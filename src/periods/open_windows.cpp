#include "app/WindowCommands.h"

// Menu commands of this subsystem; each opens its window (built with its issue).
namespace zelk::windows {

void openPostTrxs(QWidget*) {}

void openRevertPostings(QWidget*) {}

void openEndMonth(QWidget*) {}

void openRevertEndMonth(QWidget*) {}

void openEndYear(QWidget*) {}

void openRevertEndYear(QWidget*) {}

} // namespace zelk::windows
