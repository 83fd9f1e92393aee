#include "frmNewCompany.h"

#include "core/company/CompanySetup.h"
#include "core/data/Connection.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/Twips.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace zelk;

frmNewCompany::frmNewCompany(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmNewCompany"));
    setWindowTitle(QStringLiteral("New Company"));

    fraCompany = controls::frame(this, QStringLiteral("fraCompany"));
    auto text = [this](const char* name) {
        return controls::textBox(fraCompany, QString::fromLatin1(name));
    };
    txtName = text("txtName");
    txtAddress = text("txtAddress");
    txtPhone = text("txtPhone");
    txtFax = text("txtFax");
    txteMail = text("txteMail");
    cmbFinPeriodStart = controls::monthList(fraCompany, QStringLiteral("cmbFinPeriodStart"));
    lstStartYear = new QListWidget(fraCompany);
    lstStartYear->setObjectName(QStringLiteral("lstStartYear"));
    lstStartYear->setFixedHeight(twips(1200));
    cmbPeriodStart = controls::monthList(fraCompany, QStringLiteral("cmbPeriodStart"));

    const QList<QPair<QString, QWidget*>> fields = {
        {QStringLiteral("Name:"), txtName},
        {QStringLiteral("Address:"), txtAddress},
        {QStringLiteral("Phone:"), txtPhone},
        {QStringLiteral("Fax:"), txtFax},
        {QStringLiteral("eMail:"), txteMail},
        {QStringLiteral("Financial Period Start:"), cmbFinPeriodStart},
        {QStringLiteral("Start Year:"), lstStartYear},
        {QStringLiteral("Start Period:"), cmbPeriodStart},
    };
    QGridLayout* grid = controls::labelledFields(fraCompany, fields);
    // the year list is tall: its label stays at its top
    grid->itemAtPosition(6, 0)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->setColumnMinimumWidth(1, twips(3600));

    fraConfirm = controls::saveCancelFrame(this, &cmdSave, &cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraCompany, 1);
    layout->addWidget(fraConfirm);

    connect(cmdSave, &QPushButton::clicked, this, &frmNewCompany::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmNewCompany::cmdCancel_Click);
    Form_Load();
}

void frmNewCompany::Form_Load() {
    lstStartYear->clear();
    controls::fillYearList(lstStartYear); // 1980 ... 3000, nothing chosen
}

company::NewCompanyInput frmNewCompany::input() const {
    company::NewCompanyInput in;
    in.Name = txtName->text();
    in.Address = txtAddress->text();
    in.Phone = txtPhone->text();
    in.Fax = txtFax->text();
    in.eMail = txteMail->text();
    in.FinancialPeriodBegin = controls::selectedMonth(cmbFinPeriodStart);
    in.StartYear = controls::selectedYear(lstStartYear);
    in.StartMonth = controls::selectedMonth(cmbPeriodStart);
    return in;
}

void frmNewCompany::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    controls::showCurrentYear(lstStartYear);
}

void frmNewCompany::cmdSave_Click() {
    switch (company::NewCompanySaveCommand(*g_cnn, input())) {
    case CommandOutcome::Committed:
        accept();
        break;
    case CommandOutcome::Abort:
        reject();
        break;
    case CommandOutcome::Fix:
        break; // the window stays open with its input
    }
}

void frmNewCompany::cmdCancel_Click() {
    reject();
}
