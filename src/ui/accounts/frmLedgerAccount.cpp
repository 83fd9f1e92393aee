#include "frmLedgerAccount.h"

#include "core/data/Connection.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/Twips.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace zelk;
using namespace zelk::accounts;

frmLedgerAccount::frmLedgerAccount(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmLedgerAccount"));
    setWindowTitle(QStringLiteral("Account"));

    fraAccount = controls::frame(this, QStringLiteral("fraAccount"));
    auto text = [this](const char* name) {
        return controls::textBox(fraAccount, QString::fromLatin1(name));
    };
    txtAccountNo = text("txtAccountNo");
    txtAccountName = text("txtAccountName");
    txtNotes = text("txtNotes");
    cmbAccountClass = new QComboBox(fraAccount); // the listed classes only, no free text
    cmbAccountClass->setObjectName(QStringLiteral("cmbAccountClass"));
    txtBegBal = text("txtBegBal");
    txtBegBal->setAlignment(Qt::AlignRight);

    const QList<QPair<QString, QWidget*>> rows = {
        {QStringLiteral("No:"), txtAccountNo},
        {QStringLiteral("Name:"), txtAccountName},
        {QStringLiteral("Notes:"), txtNotes},
        {QStringLiteral("Class:"), cmbAccountClass},
        {QStringLiteral("Beginning balance:"), txtBegBal},
    };
    QGridLayout* grid = controls::labelledFields(fraAccount, rows);
    grid->setColumnMinimumWidth(1, twips(3600));

    fraConfirm = controls::saveCancelFrame(this, &cmdSave, &cmdCancel);
    cmdSaveNew =
        controls::button(fraConfirm, QStringLiteral("cmdSaveNew"), QStringLiteral("Save and &New"));
    static_cast<QHBoxLayout*>(fraConfirm->layout())->insertWidget(2, cmdSaveNew); // after Save

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraAccount, 1);
    layout->addWidget(fraConfirm);

    connect(cmdSave, &QPushButton::clicked, this, &frmLedgerAccount::cmdSave_Click);
    connect(cmdSaveNew, &QPushButton::clicked, this, &frmLedgerAccount::cmdSaveNew_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLedgerAccount::reject);
}

void frmLedgerAccount::LoadAccountClasses() {
    m_classes = accounts::LoadAccountClasses(*g_cnn);
    cmbAccountClass->clear();
    for (const AccountClass& c : m_classes)
        cmbAccountClass->addItem(c.Name, qlonglong(c.AccountClassID));
    cmbAccountClass->setCurrentIndex(-1);
}

void frmLedgerAccount::showFields(const AccountFields& f) {
    txtAccountNo->setText(f.AccountNo);
    txtAccountName->setText(f.AccountName);
    txtNotes->setText(f.Notes);
    cmbAccountClass->setCurrentIndex(f.AccountClassID ? FindClassIndex(m_classes, *f.AccountClassID)
                                                      : -1);
    txtBegBal->setText(f.BeginningBalance);
}

void frmLedgerAccount::Add() {
    m_success = false;
    LoadAccountClasses();
    startNew();
    exec();
}

void frmLedgerAccount::startNew() {
    m_mode = EditorMode::Add;
    showFields(AccountFields{});
    txtAccountNo->setEnabled(true);
    txtAccountNo->setFocus();
    m_shown = fields();
}

void frmLedgerAccount::Edit(const QString& AccountNo) {
    m_mode = EditorMode::Edit;
    m_success = false;
    std::optional<AccountFields> f;
    {
        controls::BusyPointer busy;
        LoadAccountClasses();
        f = LoadAccount(*g_cnn, AccountNo);
    }
    if (!f) { // deleted meanwhile
        ui().messageBox(AccountNotFoundText(AccountNo), windowTitle());
        return;
    }
    showFields(*f);
    txtAccountNo->setEnabled(false); // an account's number cannot be changed
    m_shown = fields();
    exec();
}

AccountFields frmLedgerAccount::fields() const {
    AccountFields f;
    f.AccountNo = txtAccountNo->text();
    f.AccountName = txtAccountName->text();
    f.Notes = txtNotes->text();
    if (cmbAccountClass->currentIndex() >= 0)
        f.AccountClassID = long(cmbAccountClass->currentData().toLongLong());
    f.BeginningBalance = txtBegBal->text();
    return f;
}

bool frmLedgerAccount::save() {
    switch (AccountSaveCommand(*g_cnn, fields(), m_mode)) {
    case CommandOutcome::Committed:
        m_success = true;
        return true;
    case CommandOutcome::Abort:
        QDialog::reject();
        break;
    case CommandOutcome::Fix:
        break; // stays open with the input
    }
    return false;
}

void frmLedgerAccount::cmdSave_Click() {
    if (save())
        accept();
}

void frmLedgerAccount::cmdSaveNew_Click() {
    if (save())
        startNew();
}

void frmLedgerAccount::reject() {
    if (controls::mayDiscard(this, fields() != m_shown,
                             QStringLiteral("Discard the changes to this account?")))
        QDialog::reject();
}
