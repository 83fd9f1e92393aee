#include "frmPeriodRun.h"

#include "core/data/FiscalCalendar.h"
#include "core/data/modErrors.h"
#include "ui/widgets/Twips.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace zelk;

frmPeriodRun::frmPeriodRun(const QString& objectName, const QString& caption,
                           const QString& cancelTitle, QWidget* parent)
    : QDialog(parent), m_cancelTitle(cancelTitle), m_progress(nullptr) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(true);

    fraDate = controls::frame(this, QStringLiteral("fraDate"));
    pbStatus = new QProgressBar(this);
    pbStatus->setObjectName(QStringLiteral("pbStatus"));
    pbStatus->setRange(0, 100);
    pbStatus->setValue(0);
    pbStatus->setTextVisible(false);
    m_progress = ProgressBarSink(pbStatus);
    fraConfirm = controls::okCancelFrame(this, &cmdOk, &cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraDate);
    layout->addWidget(pbStatus);
    layout->addWidget(fraConfirm);
    setMinimumWidth(twips(5400));

    connect(cmdOk, &QPushButton::clicked, this, &frmPeriodRun::okClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &frmPeriodRun::cmdCancel_Click);
}

frmPeriodRun::~frmPeriodRun() = default;

bool frmPeriodRun::running() const {
    return periodRun().running();
}

bool frmPeriodRun::cancelRequested() const {
    return periodRun().cancelRequested();
}

void frmPeriodRun::okClicked() {
    // Nothing thrown may leave a click handler: the runs catch their own errors, and
    // anything else is shown here before the window closes.
    try {
        cmdOk_Click();
    } catch (const std::exception& e) {
        modErrors::ShowMessageDialog(
            modErrors::ComposeErrorText({0, windowTitle(), QString::fromUtf8(e.what())}), 4,
            QStringLiteral("DB Error"));
        finish();
    }
}

void frmPeriodRun::cmdCancel_Click() {
    if (!ui().askYesNo(QStringLiteral("Cancel ?"), m_cancelTitle))
        return;
    periodRun().requestCancel();
    // A run that is going stops at its next cancel check and the window closes when it
    // returns; with no run going the window closes now.
    if (!periodRun().running())
        finish();
}

void frmPeriodRun::reject() {
    if (periodRun().running()) {
        cmdCancel_Click();
        return;
    }
    QDialog::reject();
}

void frmPeriodRun::finish() {
    done(QDialog::Accepted);
}

// Date range windows

frmDateRangeRun::frmDateRangeRun(const QString& objectName, const QString& caption,
                                 const QString& cancelTitle, QWidget* parent)
    : frmPeriodRun(objectName, caption, cancelTitle, parent) {
    QDate from(QDate::currentDate().year(), 1, 1);
    if (g_cnn) {
        try {
            const CompanyRow company = CompanyRow::read(*g_cnn);
            from = fiscal::firstDayOfYear(company.FinancialPeriodBegin, company.CurrentPeriodYear);
        } catch (const std::exception&) {
            // the first of January stands in when the company row cannot be read
        }
    }
    lblFromDate = new QLabel(QStringLiteral("From Date"), fraDate);
    lblFromDate->setObjectName(QStringLiteral("lblFromDate"));
    dtpFrom = controls::dateField(fraDate, QStringLiteral("dtpFrom"), from);
    lblToDate = new QLabel(QStringLiteral("To Date"), fraDate);
    lblToDate->setObjectName(QStringLiteral("lblToDate"));
    dtpTo = controls::dateField(fraDate, QStringLiteral("dtpTo"), QDate::currentDate());
    lblFromDate->setBuddy(dtpFrom);
    lblToDate->setBuddy(dtpTo);
    auto* grid = new QGridLayout(fraDate);
    grid->addWidget(lblFromDate, 0, 0);
    grid->addWidget(dtpFrom, 0, 1);
    grid->addWidget(lblToDate, 1, 0);
    grid->addWidget(dtpTo, 1, 1);
    grid->setColumnStretch(1, 1);
    controls::fieldsFirst(fraDate, fraConfirm);
}

void frmDateRangeRun::proposeDateTo() {
    try {
        if (const QDate to = m_posting->proposedDateTo(); to.isValid())
            dtpTo->setDate(to);
    } catch (const std::exception&) {
        // today stands when the books cannot be read
    }
}

void frmDateRangeRun::cmdOk_Click() {
    if (!dtpFrom->check() || !dtpTo->check())
        return;
    cmdOk->setEnabled(false);
    m_posting->run(dtpFrom->date(), dtpTo->date());
    finish();
}

// Month windows

frmMonthRun::frmMonthRun(const QString& objectName, const QString& caption,
                         const QString& cancelTitle, QWidget* parent)
    : frmPeriodRun(objectName, caption, cancelTitle, parent) {
    lblMonth = new QLabel(QStringLiteral("Month"), fraDate);
    lblMonth->setObjectName(QStringLiteral("lblMonth"));
    cmbMonth = controls::fiscalMonthList(fraDate, QStringLiteral("cmbMonth"));
    lblMonth->setBuddy(cmbMonth);
    auto* row = new QHBoxLayout(fraDate);
    row->addWidget(lblMonth);
    row->addWidget(cmbMonth, 1);
    controls::fieldsFirst(fraDate, fraConfirm);
}

void frmMonthRun::cmdOk_Click() {
    const int month = controls::requireMonth(cmbMonth);
    if (month == 0)
        return;
    cmdOk->setEnabled(false);
    m_runMonth(month);
    finish();
}

// Question windows

frmQuestionRun::frmQuestionRun(const QString& objectName, const QString& caption,
                               const QString& cancelTitle, const QString& labelName,
                               const QString& question, QWidget* parent)
    : frmPeriodRun(objectName, caption, cancelTitle, parent) {
    lblQuestion = new QLabel(question, fraDate);
    lblQuestion->setObjectName(labelName);
    auto* row = new QHBoxLayout(fraDate);
    row->addWidget(lblQuestion);
}
