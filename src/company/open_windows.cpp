#include "app/WindowCommands.h"

// Menu commands of this subsystem; each opens its window (built with its issue).
namespace zelk::windows {

void openNewCompany(QWidget*) {}

void openCompany(QWidget*) {}

} // namespace zelk::windows
