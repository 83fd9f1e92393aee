#pragma once

#include "frmSelectRange.h"

class QListWidget;

// A year: SelYear is the year chosen from 1980 ... 3000.
class frmSelectYearRange : public SelectRangeDialog {
    Q_OBJECT
public:
    explicit frmSelectYearRange(QWidget* parent = nullptr);
    // Selects a year (none is selected at first).
    void setYear(int year);

    qint16 SelYear = 0;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void cmdOk_Click() override;

    QGroupBox* fraYear;
    QListWidget* lstYear;
};
