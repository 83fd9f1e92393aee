#include "core/data/modErrors.h"
#include "frmCompany.h"
#include "frmNewCompany.h"
#include "ui/widgets/WindowCommands.h"

// Menu commands of company set-up: both windows are modal.
namespace zelk::windows {

void openNewCompany(QWidget* parent) {
    showModal<frmNewCompany>(parent);
}

void openCompany(QWidget* parent) {
    try {
        frmCompany dlg(parent);
        dlg.exec();
    } catch (const DbError& e) { // the company row could not be read
        modErrors::ShowErrorMessage(e.record());
    }
}

} // namespace zelk::windows
