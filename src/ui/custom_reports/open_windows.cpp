#include "frmCustomReports.h"
#include "ui/widgets/WindowCommands.h"

// Menu commands of the custom reports.
namespace zelk::windows {

void openCustomReports(QMdiArea* area) {
    showChild(area, new frmCustomReports);
}

} // namespace zelk::windows
