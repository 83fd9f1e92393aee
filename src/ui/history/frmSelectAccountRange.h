#pragma once

#include "ui/widgets/DateField.h"

#include "frmSelectRange.h"

class QComboBox;

// The account card's choice: an account (listed "name (number)", carrying the number)
// and a range of dates. OK without an account, or with a start after the end, says so
// and keeps the dialog open.
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

    QGroupBox* fraAccount;
    QComboBox* cmbAccount;
    zelk::controls::DateField* dtpFrom;
    zelk::controls::DateField* dtpTo;
};
