#include "frmSelectYearRange.h"

#include "ui/widgets/CommonControls.h"
#include "ui/widgets/Twips.h"

#include <QGroupBox>
#include <QListWidget>
#include <QVBoxLayout>

frmSelectYearRange::frmSelectYearRange(QWidget* parent)
    : SelectRangeDialog(parent, QStringLiteral("frmSelectYearRange")) {
    fraYear = zelk::controls::frame(this, QStringLiteral("fraYear"));
    lstYear = zelk::controls::yearList(fraYear, QStringLiteral("lstYear"));
    lstYear->setFixedSize(twips(2400), twips(1800));
    auto* box = new QVBoxLayout(fraYear);
    box->addWidget(lstYear);
    finishLayout(fraYear);
}

void frmSelectYearRange::showEvent(QShowEvent* event) {
    SelectRangeDialog::showEvent(event);
    zelk::controls::showCurrentYear(lstYear);
}

void frmSelectYearRange::setYear(int year) {
    zelk::controls::selectYear(lstYear, year);
}

void frmSelectYearRange::cmdOk_Click() {
    const int year = zelk::controls::requireYear(lstYear);
    if (year < 1)
        return;
    SelYear = qint16(year);
    confirm();
}
