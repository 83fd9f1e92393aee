#include "frmSelectAccountRange.h"

#include "core/accounts/AccountLookup.h"
#include "core/data/Connection.h"
#include "core/data/UserPorts.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/Twips.h"

#include <QGroupBox>

frmSelectAccountRange::frmSelectAccountRange(QWidget* parent, const QString& account,
                                             const QDate& from, const QDate& to)
    : SelectRangeDialog(parent, QStringLiteral("frmSelectAccountRange")) {
    fraAccount = zelk::controls::frame(this, QStringLiteral("fraAccount"));
    if (zelk::g_cnn && zelk::g_cnn->isOpen())
        m_lookup = zelk::accounts::AccountLookup::Load(*zelk::g_cnn);
    cmbAccount = new zelk::controls::AccountBox(m_lookup, fraAccount, QStringLiteral("cmbAccount"));
    cmbAccount->setMinimumWidth(twips(3600));
    cmbAccount->setCurrentIndex(-1);
    if (m_lookup.findNo(account))
        cmbAccount->setAccount(account);
    dtpFrom = zelk::controls::dateField(fraAccount, QStringLiteral("dtpFrom"), from);
    dtpTo = zelk::controls::dateField(fraAccount, QStringLiteral("dtpTo"), to);
    dtpFrom->setMinimumWidth(twips(1800));
    dtpTo->setMinimumWidth(twips(1800));
    zelk::controls::labelledFields(fraAccount, {{QStringLiteral("&Account"), cmbAccount},
                                                {QStringLiteral("&From Date"), dtpFrom},
                                                {QStringLiteral("&To Date"), dtpTo}});
    finishLayout(fraAccount);
    (cmbAccount->account() ? static_cast<QWidget*>(dtpFrom) : cmbAccount)->setFocus();
}

void frmSelectAccountRange::cmdOk_Click() {
    const zelk::accounts::AccountLookup::Account* account = cmbAccount->account();
    if (!account) {
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
    AccountNo = account->AccountNo;
    DateFrom = dtpFrom->date();
    DateTo = dtpTo->date();
    confirm();
}
