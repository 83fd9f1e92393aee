#include "app/WindowCommands.h"
#include "frmCustomReports.h"

// Menu commands of the custom reports.
namespace zelk::windows {

void openCustomReports(QMdiArea* area) {
    showChild(area, new frmCustomReports);
}

} // namespace zelk::windows
