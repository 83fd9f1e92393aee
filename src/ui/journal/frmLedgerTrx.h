#pragma once

#include "core/journal/TransactionEntry.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QKeyEvent;

namespace zelk::controls {
class DateField;
class EntryGrid;
} // namespace zelk::controls

// The transaction editor: a header and its lines, each an account with an amount on
// its debit or its credit side. Opened modally through Add or Edit; Success tells the
// caller whether a save was committed.
class frmLedgerTrx : public QDialog {
    Q_OBJECT
public:
    explicit frmLedgerTrx(QWidget* parent = nullptr);

    // Opens empty (date today, the next free number proposed), modally; returns when the
    // window has closed.
    void Add();
    // Opens on that transaction, modally (read-only when it is posted); a missing
    // transaction is reported and the window does not open.
    void Edit(const QString& TrxNo);
    bool Success() const { return m_success; }
    zelk::journal::SaveMode mode() const { return m_mode; }

    zelk::journal::TransactionHeader header() const;
    // The cell texts of every grid row.
    std::vector<zelk::journal::LineCells> lineCells() const;
    const zelk::journal::AccountLookup& accountLookup() const { return m_lookup; }

    // Escape, Cancel and the window's frame: asks before typed input is thrown away.
    void reject() override;

private:
    void LoadAccountLookup();
    void clearGrid(int rows);
    void setRow(int row, const zelk::journal::LineCells& cells);
    zelk::journal::LineCells rowCells(int row) const;
    void grdDetail_AfterEdit(int row, int col);
    void rowChanged();
    bool balancingKey(const QModelIndex& cell, QKeyEvent* key);
    QModelIndex nextCell(const QModelIndex& from) const;
    void setReadOnly(bool readOnly);
    void showModal(QWidget* focus);
    bool changed() const;
    void cmdSave_Click();

    QGroupBox* fraTrx;
    QLineEdit* txtTransactionNo;
    QLineEdit* txtSource;
    zelk::controls::DateField* dtpStamp;
    QLineEdit* txtDescription;
    QLabel* lblPosted;
    zelk::controls::EntryGrid* grdDetail;
    QLabel* lblTotals;
    QLabel* lblKeys;
    QGroupBox* fraConfirm;
    QPushButton* cmdSave;
    QPushButton* cmdCancel;

    zelk::journal::SaveMode m_mode = zelk::journal::SaveMode::Add;
    bool m_success = false;
    bool m_readOnly = false;
    bool m_updating = false; // cells written by the window, not by the user
    zelk::journal::AccountLookup m_lookup;
    // What the editor showed when it opened, to tell whether anything was changed.
    zelk::journal::TransactionHeader m_shownHeader;
    std::vector<zelk::journal::LineCells> m_shownRows;
};
