#pragma once

#include "core/accounts/AccountLookup.h"
#include "ui/widgets/AccountCells.h"
#include "ui/widgets/DateField.h"

#include "frmSelectRange.h"

// The account card's choice: an account (by number or name, completed as typed) and a
// range of dates. OK without an account, or with a start after the end, says so and
// keeps the dialog open.
class frmSelectAccountRange : public SelectRangeDialog {
    Q_OBJECT
public:
    // Opens on the account and the dates given (an unknown account selects none).
    frmSelectAccountRange(QWidget* parent, const QString& account, const QDate& from,
                          const QDate& to);

    QString AccountNo;
    QDate DateFrom;
    QDate DateTo;

private:
    void cmdOk_Click() override;

    zelk::accounts::AccountLookup m_lookup;
    QGroupBox* fraAccount;
    zelk::controls::AccountBox* cmbAccount;
    zelk::controls::DateField* dtpFrom;
    zelk::controls::DateField* dtpTo;
};
