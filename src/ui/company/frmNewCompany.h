#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace zelk::company {
struct NewCompanyInput;
}

// New Company: starts the books over. Save empties every ledger table and writes the
// company's contact data and fiscal calendar in one database transaction.
class frmNewCompany : public QDialog {
    Q_OBJECT
public:
    explicit frmNewCompany(QWidget* parent = nullptr);

    zelk::company::NewCompanyInput input() const;

protected:
    // The year list opens at the current year (nothing chosen).
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void cmdSave_Click();
    void cmdCancel_Click();

    QGroupBox* fraCompany;
    QLineEdit* txtName;
    QLineEdit* txtAddress;
    QLineEdit* txtPhone;
    QLineEdit* txtFax;
    QLineEdit* txteMail;
    QComboBox* cmbFinPeriodStart;
    QListWidget* lstStartYear;
    QComboBox* cmbPeriodStart;
    QGroupBox* fraConfirm;
    QPushButton* cmdSave;
    QPushButton* cmdCancel;
};
