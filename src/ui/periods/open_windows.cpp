#include "core/data/Connection.h"
#include "frmPeriodWindows.h"
#include "ui/widgets/WindowCommands.h"

// Menu commands of this subsystem: each creates its window, shows it modally over the
// main window, and destroys it when it has hidden itself.
namespace zelk::windows {

namespace {
template <class Window>
void openModal(QWidget* parent) {
    if (g_cnn)
        showModal<Window>(parent);
}
} // namespace

void openPostTrxs(QWidget* parent) {
    openModal<frmPostTrxs>(parent);
}

void openRevertPostings(QWidget* parent) {
    openModal<frmRevertPostings>(parent);
}

void openEndMonth(QWidget* parent) {
    openModal<frmEndMonth>(parent);
}

void openRevertEndMonth(QWidget* parent) {
    openModal<frmRevertEndMonth>(parent);
}

void openEndYear(QWidget* parent) {
    openModal<frmEndYear>(parent);
}

void openRevertEndYear(QWidget* parent) {
    openModal<frmRevertEndYear>(parent);
}

} // namespace zelk::windows
