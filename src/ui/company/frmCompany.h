#pragma once

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace zelk::company {
struct CompanyInfo;
}

// Company: the company's name and contact data, and its fiscal start month to look at.
class frmCompany : public QDialog {
    Q_OBJECT
public:
    explicit frmCompany(QWidget* parent = nullptr);

    zelk::company::CompanyInfo info() const;

private:
    void Form_Load();
    void cmdSave_Click();

    QGroupBox* fraCompany;
    QLineEdit* txtName;
    QLineEdit* txtAddress;
    QLineEdit* txtPhone;
    QLineEdit* txtFax;
    QLineEdit* txteMail;
    QLineEdit* txtFinPeriodStart;
    QGroupBox* fraConfirm;
    QPushButton* cmdSave;
    QPushButton* cmdCancel;
};
