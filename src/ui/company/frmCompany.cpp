#include "frmCompany.h"

#include "core/company/CompanySetup.h"
#include "core/data/Connection.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/Twips.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace zelk;

frmCompany::frmCompany(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmCompany"));
    setWindowTitle(QStringLiteral("Company"));

    fraCompany = controls::frame(this, QStringLiteral("fraCompany"));
    auto text = [this](const char* name) {
        return controls::textBox(fraCompany, QString::fromLatin1(name));
    };
    txtName = text("txtName");
    txtAddress = text("txtAddress");
    txtPhone = text("txtPhone");
    txtFax = text("txtFax");
    txteMail = text("txteMail");
    txtFinPeriodStart = text("txtFinPeriodStart");
    txtFinPeriodStart->setReadOnly(true); // fixed by New Company; shown, never saved

    const QList<QPair<QString, QWidget*>> fields = {
        {QStringLiteral("Name:"), txtName},
        {QStringLiteral("Address:"), txtAddress},
        {QStringLiteral("Phone:"), txtPhone},
        {QStringLiteral("Fax:"), txtFax},
        {QStringLiteral("eMail:"), txteMail},
        {QStringLiteral("Financial Period Start:"), txtFinPeriodStart},
    };
    QGridLayout* grid = controls::labelledFields(fraCompany, fields);
    grid->setColumnMinimumWidth(1, twips(3600));

    fraConfirm = controls::saveCancelFrame(this, &cmdSave, &cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraCompany, 1);
    layout->addWidget(fraConfirm);

    connect(cmdSave, &QPushButton::clicked, this, &frmCompany::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    Form_Load();
}

// Throws DbError when the company row cannot be read; the command that opens the
// window reports it.
void frmCompany::Form_Load() {
    const company::CompanySettings s = company::LoadCompanySettings(*g_cnn);
    txtName->setText(s.info.Name);
    txtAddress->setText(s.info.Address);
    txtPhone->setText(s.info.Phone);
    txtFax->setText(s.info.Fax);
    txteMail->setText(s.info.eMail);
    txtFinPeriodStart->setText(s.FinancialPeriodStart);
}

company::CompanyInfo frmCompany::info() const {
    return {txtName->text(), txtAddress->text(), txtPhone->text(), txtFax->text(),
            txteMail->text()};
}

void frmCompany::cmdSave_Click() {
    switch (company::CompanySaveCommand(*g_cnn, info())) {
    case CommandOutcome::Committed:
        accept();
        break;
    case CommandOutcome::Abort:
        reject();
        break;
    case CommandOutcome::Fix:
        break;
    }
}
