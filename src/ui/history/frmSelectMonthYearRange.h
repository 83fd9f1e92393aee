#pragma once

#include "frmSelectRange.h"

class QComboBox;
class QListWidget;

// A month of a year: SelMonth is the month's item data (1 ... 12), SelYear the year
// chosen from 1980 ... 3000.
class frmSelectMonthYearRange : public SelectRangeDialog {
    Q_OBJECT
public:
    explicit frmSelectMonthYearRange(QWidget* parent = nullptr);
    // Selects a month and a year (none is selected at first).
    void setChoice(int month, int year);

    qint16 SelMonth = 0;
    qint16 SelYear = 0;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void cmdOk_Click() override;

    QGroupBox* fraYear;
    QComboBox* cmbMonth;
    QListWidget* lstYear;
};
