#include "frmSelectAccountRange.h"

#include "core/accounts/AccountLookup.h"
#include "core/data/Connection.h"
#include "core/data/UserPorts.h"
#include "core/lists/ListModel.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/Twips.h"

#include <QComboBox>
#include <QGroupBox>

frmSelectAccountRange::frmSelectAccountRange(QWidget* parent, const QString& account,
                                             const QDate& from, const QDate& to)
    : SelectRangeDialog(parent, QStringLiteral("frmSelectAccountRange")) {
    fraAccount = zelk::controls::frame(this, QStringLiteral("fraAccount"));
    cmbAccount = new QComboBox(fraAccount);
    cmbAccount->setObjectName(QStringLiteral("cmbAccount"));
    cmbAccount->setMinimumWidth(twips(3600));
    if (zelk::g_cnn && zelk::g_cnn->isOpen()) {
        const auto lookup = zelk::accounts::AccountLookup::Load(*zelk::g_cnn);
        for (const auto& a : lookup.accounts())
            cmbAccount->addItem(QStringLiteral("%1 (%2)").arg(a.AccountName, a.AccountNo),
                                a.AccountNo);
    }
    cmbAccount->setCurrentIndex(-1);
    for (int i = 0; i < cmbAccount->count(); ++i)
        if (zelk::sameKey(cmbAccount->itemData(i).toString(), account))
            cmbAccount->setCurrentIndex(i);
    dtpFrom = zelk::controls::dateField(fraAccount, QStringLiteral("dtpFrom"), from);
    dtpTo = zelk::controls::dateField(fraAccount, QStringLiteral("dtpTo"), to);
    dtpFrom->setMinimumWidth(twips(1800));
    dtpTo->setMinimumWidth(twips(1800));
    zelk::controls::labelledFields(fraAccount, {{QStringLiteral("&Account"), cmbAccount},
                                                {QStringLiteral("&From Date"), dtpFrom},
                                                {QStringLiteral("&To Date"), dtpTo}});
    finishLayout(fraAccount);
    (cmbAccount->currentIndex() < 0 ? static_cast<QWidget*>(cmbAccount) : dtpFrom)->setFocus();
}

void frmSelectAccountRange::cmdOk_Click() {
    if (cmbAccount->currentIndex() < 0) {
        zelk::ui().messageBox(QStringLiteral("Choose an account."), windowTitle());
        cmbAccount->setFocus();
        return;
    }
    if (!dtpFrom->check() || !dtpTo->check())
        return;
    if (dtpFrom->date() > dtpTo->date()) {
        zelk::ui().messageBox(QStringLiteral("The From Date is after the To Date."), windowTitle());
        dtpFrom->setFocus();
        return;
    }
    AccountNo = cmbAccount->currentData().toString();
    DateFrom = dtpFrom->date();
    DateTo = dtpTo->date();
    confirm();
}
