#include "frmAbout.h"
#include "ui/widgets/WindowCommands.h"

// The "&Help" menu.
namespace zelk::windows {

void openAbout(QWidget* parent) {
    showModal<frmAbout>(parent);
}

void openHelp(QWidget* parent) {
    showModal<frmHelp>(parent);
}

} // namespace zelk::windows
