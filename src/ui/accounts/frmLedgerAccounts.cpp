#include "frmLedgerAccounts.h"

#include "core/accounts/AccountRecords.h"
#include "frmLedgerAccount.h"
#include "ui/widgets/WindowCommands.h"

#include <QMdiSubWindow>

using namespace zelk::accounts;

ListWindowSpec frmLedgerAccounts::Spec() {
    ListWindowSpec s;
    s.objectName = QStringLiteral("frmLedgerAccounts");
    s.caption = QStringLiteral("Accounts");
    s.statement = AccountListStatement();
    s.columns = AccountListColumns();
    s.buttons = {
        {QStringLiteral("&Add"), 48, ListButton::Add, {}},
        {QStringLiteral("&Edit"), 1536, ListButton::Edit, {}},
        {QStringLiteral("&Delete"), 3024, ListButton::Delete, {}},
        {QStringLiteral("&Close"), 4512, ListButton::Close, {}},
        {QStringLiteral("Accou&nt Card"), 6000, ListButton::Custom,
         [](ListWindow& list) {
             if (!list.hasDataRow())
                 return;
             auto* frame = qobject_cast<QMdiSubWindow*>(list.parentWidget());
             zelk::windows::openAccountCard(frame ? frame->mdiArea() : nullptr, list.currentKey());
         }},
    };
    s.shiftDoubleClickButton = 4;
    s.add = [](QWidget* parent) {
        frmLedgerAccount editor(parent);
        editor.Add();
    };
    s.edit = [](QWidget* parent, const QString& key) {
        frmLedgerAccount editor(parent);
        editor.Edit(key);
    };
    s.deletion = AccountDeletion();
    return s;
}

frmLedgerAccounts::frmLedgerAccounts(QWidget* parent) : ListWindow(Spec(), parent) {}
