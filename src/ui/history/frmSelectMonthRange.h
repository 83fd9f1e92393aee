#pragma once

#include "frmSelectRange.h"

class QComboBox;

// A month: Month is the chosen month's item data, 1 = January ... 12 = December.
class frmSelectMonthRange : public SelectRangeDialog {
    Q_OBJECT
public:
    explicit frmSelectMonthRange(QWidget* parent = nullptr);
    // Selects a month (none is selected at first).
    void setMonth(int month);

    qint16 Month = 0;

private:
    void cmdOk_Click() override;

    QGroupBox* fraMonth;
    QComboBox* cmbMonth;
};
