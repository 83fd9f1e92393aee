#include "frmSelectMonthRange.h"

#include "ui/widgets/CommonControls.h"
#include "ui/widgets/Twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

frmSelectMonthRange::frmSelectMonthRange(QWidget* parent)
    : SelectRangeDialog(parent, QStringLiteral("frmSelectMonthRange")) {
    fraMonth = zelk::controls::frame(this, QStringLiteral("fraMonth"));
    cmbMonth = zelk::controls::fiscalMonthList(fraMonth);
    cmbMonth->setMinimumWidth(twips(1800));
    auto* lblMonth = new QLabel(QStringLiteral("Month"), fraMonth);
    lblMonth->setObjectName(QStringLiteral("lblMonth"));
    lblMonth->setBuddy(cmbMonth);
    auto* row = new QHBoxLayout(fraMonth);
    row->addWidget(lblMonth);
    row->addWidget(cmbMonth, 1);
    finishLayout(fraMonth);
}

void frmSelectMonthRange::setMonth(int month) {
    zelk::controls::selectMonth(cmbMonth, month);
}

void frmSelectMonthRange::cmdOk_Click() {
    const int month = zelk::controls::requireMonth(cmbMonth);
    if (month < 1)
        return;
    Month = qint16(month);
    confirm();
}
