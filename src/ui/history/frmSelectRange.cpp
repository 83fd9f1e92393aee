#include "frmSelectRange.h"

#include "ui/widgets/CommonControls.h"
#include "ui/widgets/Twips.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

SelectRangeDialog::SelectRangeDialog(QWidget* parent, const QString& name) : QDialog(parent) {
    setObjectName(name);
    setWindowTitle(QStringLiteral("Select Range"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    fraConfirm = zelk::controls::okCancelFrame(this, &cmdOk, &cmdCancel);
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, &SelectRangeDialog::cmdCancel_Click);
}

void SelectRangeDialog::finishLayout(QGroupBox* fields) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fields, 1);
    layout->addWidget(fraConfirm);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    zelk::controls::fieldsFirst(fields, fraConfirm);
}

void SelectRangeDialog::confirm() {
    Confirmed = true;
    hide();
    done(Accepted);
}

void SelectRangeDialog::cmdCancel_Click() {
    Confirmed = false;
    hide();
    done(Rejected);
}

void SelectRangeDialog::reject() {
    cmdCancel_Click();
}

frmSelectRange::frmSelectRange(QWidget* parent)
    : SelectRangeDialog(parent, QStringLiteral("frmSelectRange")) {
    // The pickers open on the current calendar month.
    const QDate today = QDate::currentDate();
    const QDate first(today.year(), today.month(), 1);
    fraDate = zelk::controls::frame(this, QStringLiteral("fraDate"));
    dtpFrom = zelk::controls::dateField(fraDate, QStringLiteral("dtpFrom"), first);
    dtpTo = zelk::controls::dateField(fraDate, QStringLiteral("dtpTo"),
                                      first.addDays(first.daysInMonth() - 1));
    auto* lblFromDate = new QLabel(QStringLiteral("From Date"), fraDate);
    lblFromDate->setObjectName(QStringLiteral("lblFromDate"));
    lblFromDate->setBuddy(dtpFrom);
    auto* lblToDate = new QLabel(QStringLiteral("To Date"), fraDate);
    lblToDate->setObjectName(QStringLiteral("lblToDate"));
    lblToDate->setBuddy(dtpTo);
    dtpFrom->setMinimumWidth(twips(1800));
    dtpTo->setMinimumWidth(twips(1800));

    auto* grid = new QGridLayout(fraDate);
    grid->addWidget(lblFromDate, 0, 0);
    grid->addWidget(dtpFrom, 0, 1);
    grid->addWidget(lblToDate, 1, 0);
    grid->addWidget(dtpTo, 1, 1);
    finishLayout(fraDate);
}

void frmSelectRange::setRange(const QDate& from, const QDate& to) {
    dtpFrom->setDate(from);
    dtpTo->setDate(to);
}

void frmSelectRange::cmdOk_Click() {
    if (!dtpFrom->check() || !dtpTo->check())
        return;
    DateFrom = dtpFrom->date();
    DateTo = dtpTo->date();
    confirm();
}
