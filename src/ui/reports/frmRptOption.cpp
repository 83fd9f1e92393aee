#include "frmRptOption.h"

#include "core/data/Errors.h"
#include "core/data/modErrors.h"
#include "core/reports/modRptUtil.h"
#include "frmReport.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/Twips.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using zelk::reports::BuildResult;
using zelk::reports::ReportRun;

namespace {

QLabel* label(QWidget* parent, const QString& name, const QString& caption, QWidget* buddy) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setBuddy(buddy);
    return l;
}

} // namespace

frmRptOption::frmRptOption(QWidget* parent, const QString& name, const QString& caption,
                           Input input)
    : QDialog(parent), m_input(input) {
    setObjectName(name);
    setWindowTitle(caption);

    auto* column = new QVBoxLayout(this);
    if (input == Input::Month) {
        QGroupBox* fraMonth = zelk::controls::frame(this, QStringLiteral("fraMonth"));
        cmbMonth = zelk::controls::fiscalMonthList(fraMonth);
        cmbMonth->setMinimumWidth(twips(2400));
        auto* grid = new QGridLayout(fraMonth);
        grid->addWidget(
            label(fraMonth, QStringLiteral("lblMonth"), QStringLiteral("Month"), cmbMonth), 0, 0);
        grid->addWidget(cmbMonth, 0, 1);
        grid->setColumnStretch(1, 1);
        column->addWidget(fraMonth);
    } else {
        QGroupBox* fraDate = zelk::controls::frame(this, QStringLiteral("fraDate"));
        const QDate today = QDate::currentDate();
        const QDate first(today.year(), today.month(), 1);
        dtpFrom = zelk::controls::dateField(fraDate, QStringLiteral("dtpFrom"), first);
        dtpTo = zelk::controls::dateField(fraDate, QStringLiteral("dtpTo"),
                                          first.addMonths(1).addDays(-1));
        auto* grid = new QGridLayout(fraDate);
        grid->addWidget(
            label(fraDate, QStringLiteral("lblFromDate"), QStringLiteral("From Date"), dtpFrom), 0,
            0);
        grid->addWidget(dtpFrom, 0, 1);
        grid->addWidget(
            label(fraDate, QStringLiteral("lblToDate"), QStringLiteral("To Date"), dtpTo), 1, 0);
        grid->addWidget(dtpTo, 1, 1);
        grid->setColumnStretch(1, 1);
        column->addWidget(fraDate);
    }
    QGroupBox* fraConfirm = zelk::controls::okCancelFrame(this, &cmdOk, &cmdCancel);
    column->addWidget(fraConfirm);
    zelk::controls::fieldsFirst(input == Input::Month
                                    ? static_cast<QWidget*>(cmbMonth->parentWidget())
                                    : dtpFrom->parentWidget(),
                                fraConfirm);
    pbStatus = new QProgressBar(this);
    pbStatus->setObjectName(QStringLiteral("pbStatus"));
    pbStatus->setRange(0, 100);
    pbStatus->setValue(0);
    pbStatus->setTextVisible(false);
    column->addWidget(pbStatus);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOk, &QPushButton::clicked, this, &frmRptOption::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmRptOption::cmdCancel_Click);
}

int frmRptOption::month() const {
    return cmbMonth ? zelk::controls::selectedMonth(cmbMonth) : 0;
}

QDate frmRptOption::dateFrom() const {
    return dtpFrom ? dtpFrom->date() : QDate();
}

QDate frmRptOption::dateTo() const {
    return dtpTo ? dtpTo->date() : QDate();
}

// Builds the report and shows it; the window then closes, whatever came of the build.
void frmRptOption::cmdOk_Click() {
    if (m_input == Input::Month && zelk::controls::requireMonth(cmbMonth) == 0)
        return;
    if (m_input == Input::DateRange && !(dtpFrom->check() && dtpTo->check()))
        return;
    cmdOk->setEnabled(false);
    m_Cancel = false;
    ProgressBarSink progress(pbStatus);
    ReportRun run(*zelk::g_cnn, progress, m_Cancel);
    try {
        const BuildResult result = build(run);
        if (result == BuildResult::Written) {
            frmReport viewer(this);
            viewer.setData(std::move(run.table()));
            viewer.ShowFile(modRptUtil::ReportFilePath());
        } else if (result == BuildResult::NoData) {
            zelk::ui().messageBox(zelk::reports::NoDataMessage, zelk::appTitle());
        }
    } catch (const modRptUtil::ReportFileError& e) {
        zelk::ui().messageBox(e.message(), windowTitle());
    } catch (const zelk::ZelkError& e) {
        zelk::ui().messageBox(modErrors::ComposeErrorText(e.record()), windowTitle());
    } catch (const std::exception& e) {
        zelk::ui().messageBox(QString::fromLocal8Bit(e.what()), windowTitle());
    }
    hide();
}

void frmRptOption::cmdCancel_Click() {
    m_Cancel = true;
    hide();
}

void frmRptOption::reject() {
    cmdCancel_Click();
}

frmRptTrxList::frmRptTrxList(QWidget* parent)
    : frmRptOption(parent, QStringLiteral("frmRptTrxList"),
                   QStringLiteral("Report Transaction List"), Input::DateRange) {}

BuildResult frmRptTrxList::build(ReportRun& run) {
    return zelk::reports::BuildTransactionList(dateFrom(), dateTo(), run);
}

frmRptTrialBalance::frmRptTrialBalance(QWidget* parent)
    : frmRptOption(parent, QStringLiteral("frmRptTrialBalance"),
                   QStringLiteral("Report Trial Balance"), Input::Month) {}

BuildResult frmRptTrialBalance::build(ReportRun& run) {
    return zelk::reports::BuildTrialBalance(month(), run);
}

frmRptIncomeStmt::frmRptIncomeStmt(QWidget* parent)
    : frmRptOption(parent, QStringLiteral("frmRptIncomeStmt"),
                   QStringLiteral("Report Income Statement"), Input::Month) {}

BuildResult frmRptIncomeStmt::build(ReportRun& run) {
    return zelk::reports::BuildIncomeStatement(month(), run);
}

frmRptBalanceSheet::frmRptBalanceSheet(QWidget* parent)
    : frmRptOption(parent, QStringLiteral("frmRptBalanceSheet"),
                   QStringLiteral("Report Balance Sheet"), Input::Month) {}

BuildResult frmRptBalanceSheet::build(ReportRun& run) {
    return zelk::reports::BuildBalanceSheet(month(), run);
}
