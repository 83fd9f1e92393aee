#include "frmSelectMonthYearRange.h"

#include "ui/widgets/CommonControls.h"
#include "ui/widgets/Twips.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>

frmSelectMonthYearRange::frmSelectMonthYearRange(QWidget* parent)
    : SelectRangeDialog(parent, QStringLiteral("frmSelectMonthYearRange")) {
    fraYear = zelk::controls::frame(this, QStringLiteral("fraYear"));
    cmbMonth = zelk::controls::monthList(fraYear);
    cmbMonth->setMinimumWidth(twips(1800));
    lstYear = zelk::controls::yearList(fraYear, QStringLiteral("lstYear"));
    lstYear->setFixedHeight(twips(1800));
    auto* lblMonth = new QLabel(QStringLiteral("Month"), fraYear);
    lblMonth->setObjectName(QStringLiteral("lblMonth"));
    lblMonth->setBuddy(cmbMonth);
    auto* lblYear = new QLabel(QStringLiteral("Year"), fraYear);
    lblYear->setObjectName(QStringLiteral("lblYear"));
    lblYear->setBuddy(lstYear);
    lblYear->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* grid = new QGridLayout(fraYear);
    grid->addWidget(lblMonth, 0, 0);
    grid->addWidget(cmbMonth, 0, 1);
    grid->addWidget(lblYear, 1, 0);
    grid->addWidget(lstYear, 1, 1);
    finishLayout(fraYear);
}

void frmSelectMonthYearRange::showEvent(QShowEvent* event) {
    SelectRangeDialog::showEvent(event);
    zelk::controls::showCurrentYear(lstYear);
}

void frmSelectMonthYearRange::setChoice(int month, int year) {
    zelk::controls::selectMonth(cmbMonth, month);
    zelk::controls::selectYear(lstYear, year);
}

void frmSelectMonthYearRange::cmdOk_Click() {
    const int month = zelk::controls::requireMonth(cmbMonth);
    const int year = month < 1 ? 0 : zelk::controls::requireYear(lstYear);
    if (year < 1 || month < 1)
        return;
    SelMonth = qint16(month);
    SelYear = qint16(year);
    confirm();
}
