#pragma once

#include "TransactionEntry.h"

#include <QDialog>

class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The transaction editor: a header and its lines, each an account with an amount on
// its debit or its credit side. Opened modally through Add or Edit; Success tells the
// caller whether a save was committed.
class frmLedgerTrx : public QDialog {
    Q_OBJECT
public:
    explicit frmLedgerTrx(QWidget* parent = nullptr);

    // Opens empty (date today), modally; returns when the window has closed.
    void Add();
    // Opens on that transaction, modally; a missing transaction is reported and the
    // window does not open.
    void Edit(const QString& TrxNo);
    bool Success() const { return m_success; }
    zelk::journal::SaveMode mode() const { return m_mode; }

    zelk::journal::TransactionHeader header() const;
    // The cell texts of every grid row.
    std::vector<zelk::journal::LineCells> lineCells() const;
    const zelk::journal::AccountLookup& accountLookup() const { return m_lookup; }

private:
    void LoadAccountLookup();
    void clearGrid(int rows);
    void setRow(int row, const zelk::journal::LineCells& cells);
    zelk::journal::LineCells rowCells(int row) const;
    void grdDetail_AfterEdit(int row, int col);
    void cmdSave_Click();

    QGroupBox* fraTrx;
    QLineEdit* txtTransactionNo;
    QLineEdit* txtSource;
    QDateEdit* dtpStamp;
    QLineEdit* txtDescription;
    QLabel* lblPosted;
    QTableWidget* grdDetail;
    QGroupBox* fraConfirm;
    QPushButton* cmdSave;
    QPushButton* cmdCancel;

    zelk::journal::SaveMode m_mode = zelk::journal::SaveMode::Add;
    bool m_success = false;
    bool m_updating = false; // cells written by the window, not by the user
    zelk::journal::AccountLookup m_lookup;
};
