#include "frmAbout.h"
#include "ui/widgets/WindowCommands.h"

// The "&Help" menu.
namespace zelk::windows {

void openAbout(QWidget* parent) {
    frmAbout dlg(parent);
    dlg.exec();
}

void openHelp(QWidget* parent) {
    frmHelp dlg(parent);
    dlg.exec();
}

} // namespace zelk::windows
