#pragma once

#include <QDialog>
#include <QString>

class QGroupBox;
class QListWidget;
class QPushButton;

// "Select Earning Account": the accounts of the earning class, one of which receives
// the year's result at year end. EarningAccount is the account chosen with OK, or
// empty text.
class frmEarningAccounts : public QDialog {
    Q_OBJECT
public:
    explicit frmEarningAccounts(QWidget* parent = nullptr);
    const QString& EarningAccount() const { return m_EarningAccount; }

private:
    void Form_Load();
    void cmdOk_Click();
    void cmdCancel_Click();

    QString m_EarningAccount;
    QGroupBox* fraEarningAccounts;
    QListWidget* lstEarningAccounts;
    QGroupBox* fraConfirm;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;
};
