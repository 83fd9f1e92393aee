#pragma once

#include "core/accounts/AccountLookup.h"
#include "core/bank/BankImport.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

// File → Import Bank Statement…: the bank account and the statement file.
class frmBankImport : public QDialog {
    Q_OBJECT
public:
    explicit frmBankImport(QWidget* parent, const QString& account = QString());
    QComboBox* cmbAccount;
    QLineEdit* txtFile;
    QPushButton* cmdBrowse;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;
    QString account() const;
};

// The profile editor of a bank account's CSV statements: the file's first lines, and the
// columns (guessed from the header at first) and formats.
class frmBankProfile : public QDialog {
    Q_OBJECT
public:
    frmBankProfile(QWidget* parent, const QString& account, const QByteArray& file,
                   const zelk::bank::CsvProfile& profile);
    zelk::bank::CsvProfile profile() const;
    void cmdOk_Click();

    QPlainTextEdit* txtLines;
    QComboBox *cmbDate, *cmbAmount, *cmbDebit, *cmbCredit, *cmbCounterparty, *cmbText,
        *cmbReference, *cmbBalance;
    QLineEdit* txtDateFormat;
    QComboBox *cmbDecimalMark, *cmbSeparator, *cmbEncoding;
    QSpinBox* spnSkip;
    QLineEdit* txtPrefix;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;

private:
    void refillColumns();
    QByteArray m_file;
    zelk::bank::CsvProfile m_profile;
    QString m_account;
};

// The review of a statement: one row per line with its proposed counter-account, the
// description and its status; the totals of the checked lines and the balance check;
// Import writes the checked lines.
class frmBankReview : public QDialog {
    Q_OBJECT
public:
    frmBankReview(QWidget* parent, std::unique_ptr<zelk::bank::BankImport> import);
    ~frmBankReview() override;
    zelk::bank::BankImport& import() { return *m_import; }

    enum Column {
        ColCheck,
        ColDate,
        ColCounterparty,
        ColText,
        ColAmount,
        ColAccount,
        ColDescription,
        ColSource,
        ColStatus
    };
    // The account of a row, as chosen in its cell (remembered for its counterparty when
    // the check box says so).
    void chooseAccount(int row, const QString& account);
    void cmdImport_Click();

    QTableWidget* grdLines;
    QCheckBox* chkRemember;
    QLabel* lblTotals;
    QLabel* lblBalance;
    QCheckBox* chkPostNow;
    QPushButton* cmdImport;
    QPushButton* cmdCancel;

private:
    void fillRow(int row);
    void updateTotals();
    void currentRowChanged();

    std::unique_ptr<zelk::bank::BankImport> m_import;
    zelk::accounts::AccountLookup m_lookup;
    bool m_filling = false;
};

// Ledger → Bank Rules…: the ordered rules of a bank account.
class frmBankRules : public QDialog {
    Q_OBJECT
public:
    explicit frmBankRules(QWidget* parent);
    void loadRules();
    void cmdSave_Click();
    std::vector<zelk::bank::Rule> rules() const;

    QComboBox* cmbAccount;
    QTableWidget* grdRules;
    QPushButton *cmdAdd, *cmdDelete, *cmdUp, *cmdDown, *cmdSave, *cmdCancel;

private:
    void addRow(const zelk::bank::Rule& rule);
    void moveRow(int by);
};
