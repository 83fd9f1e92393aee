#include "frmEarningAccounts.h"

#include "core/data/Connection.h"
#include "core/data/UserPorts.h"
#include "core/data/modDBUtil.h"
#include "core/data/modErrors.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/Twips.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace zelk;

frmEarningAccounts::frmEarningAccounts(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmEarningAccounts"));
    setWindowTitle(QStringLiteral("Select Earning Account"));
    setModal(true);
    fraEarningAccounts = controls::frame(this, QStringLiteral("fraEarningAccounts"));
    lstEarningAccounts = new QListWidget(fraEarningAccounts);
    lstEarningAccounts->setObjectName(QStringLiteral("lstEarningAccounts"));
    auto* inner = new QVBoxLayout(fraEarningAccounts);
    inner->addWidget(lstEarningAccounts);
    fraConfirm = controls::okCancelFrame(this, &cmdOk, &cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraEarningAccounts, 1);
    layout->addWidget(fraConfirm);
    resize(twips(4800), twips(3600));
    connect(cmdOk, &QPushButton::clicked, this, &frmEarningAccounts::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmEarningAccounts::cmdCancel_Click);
    connect(lstEarningAccounts, &QListWidget::itemDoubleClicked, this,
            &frmEarningAccounts::cmdOk_Click);
    Form_Load();
}

void frmEarningAccounts::Form_Load() {
    m_EarningAccount.clear();
    lstEarningAccounts->clear();
    try {
        RowSet accounts = g_cnn->execute(modDBUtil::GetAccountsOfClass());
        for (accounts.moveFirst(); !accounts.eof(); accounts.moveNext()) {
            const QString no = accounts.text(QStringLiteral("AccountNo"));
            auto* item = new QListWidgetItem(no + QStringLiteral(" - ") +
                                                 accounts.text(QStringLiteral("AccountName")),
                                             lstEarningAccounts);
            // The number itself is kept with the entry: a number that contains " - "
            // is still taken whole.
            item->setData(Qt::UserRole, no);
        }
    } catch (const DbError& e) {
        modErrors::ShowMessageDialog(modErrors::ComposeErrorText(e.record()), 4,
                                     QStringLiteral("DB Error"));
    }
    lstEarningAccounts->setCurrentRow(-1);
    lstEarningAccounts->clearSelection();
}

void frmEarningAccounts::cmdOk_Click() {
    const QList<QListWidgetItem*> selected = lstEarningAccounts->selectedItems();
    if (selected.isEmpty()) {
        ui().messageBox(QStringLiteral("Please select the earning account."), appTitle());
        return;
    }
    m_EarningAccount = selected.first()->data(Qt::UserRole).toString();
    accept();
}

void frmEarningAccounts::cmdCancel_Click() {
    reject();
}
