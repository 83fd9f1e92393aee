#pragma once

#include "core/accounts/AccountRecords.h"

#include <QDialog>
#include <vector>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

// The account editor: adds an account with its beginning balance, or changes one.
// Opened modally through Add or Edit; Save closes it, "Save and &New" saves and goes on
// with an empty editor for the next account. Success tells the caller whether a save was
// committed.
class frmLedgerAccount : public QDialog {
    Q_OBJECT
public:
    explicit frmLedgerAccount(QWidget* parent = nullptr);

    // Opens empty, modally; returns when the window has closed.
    void Add();
    // Opens on the account with that number, modally; a missing account is reported
    // and the window does not open.
    void Edit(const QString& AccountNo);
    bool Success() const { return m_success; }
    zelk::accounts::EditorMode mode() const { return m_mode; }

    zelk::accounts::AccountFields fields() const;

    // Escape, Cancel and the window's frame: asks before typed input is thrown away.
    void reject() override;

private:
    void LoadAccountClasses();
    void showFields(const zelk::accounts::AccountFields& f);
    // Opens empty for a new account.
    void startNew();
    // Saves; false when the window stays open with the input (or has closed on Abort).
    bool save();
    void cmdSave_Click();
    void cmdSaveNew_Click();

    QGroupBox* fraAccount;
    QLineEdit* txtAccountNo;
    QLineEdit* txtAccountName;
    QLineEdit* txtNotes;
    QComboBox* cmbAccountClass;
    QLineEdit* txtBegBal;
    QGroupBox* fraConfirm;
    QPushButton* cmdSave;
    QPushButton* cmdSaveNew;
    QPushButton* cmdCancel;

    zelk::accounts::EditorMode m_mode = zelk::accounts::EditorMode::Add;
    bool m_success = false;
    std::vector<zelk::accounts::AccountClass> m_classes;
    zelk::accounts::AccountFields m_shown; // as the editor opened
};
