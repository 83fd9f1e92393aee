#include "frmLedgerTrxs.h"

#include "core/journal/TransactionEntry.h"
#include "frmLedgerTrx.h"

using namespace zelk::journal;

ListWindowSpec frmLedgerTrxs::Spec() {
    ListWindowSpec s;
    s.objectName = QStringLiteral("frmLedgerTrxs");
    s.caption = QStringLiteral("Transactions");
    s.statement = TransactionListStatement();
    s.columns = TransactionListColumns();
    s.buttons = {
        {QStringLiteral("&Add"), 48, ListButton::Add, {}},
        {QStringLiteral("&Edit"), 1536, ListButton::Edit, {}},
        {QStringLiteral("&Delete"), 3024, ListButton::Delete, {}},
        {QStringLiteral("&Close"), 4512, ListButton::Close, {}},
    };
    s.add = [](QWidget* parent) {
        frmLedgerTrx editor(parent);
        editor.Add();
    };
    s.edit = [](QWidget* parent, const QString& key) {
        frmLedgerTrx editor(parent);
        editor.Edit(key);
    };
    s.deletion = TransactionDeletion();
    return s;
}

frmLedgerTrxs::frmLedgerTrxs(QWidget* parent) : ListWindow(Spec(), parent) {}
