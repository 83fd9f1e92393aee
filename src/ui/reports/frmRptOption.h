#pragma once

#include "ui/widgets/DateField.h"

#include "core/reports/ReportRun.h"

#include <QDate>
#include <QDialog>

class QComboBox;
class QGroupBox;
class QProgressBar;
class QPushButton;

// The report option window that every report shares: a month (or a range of days),
// OK and Cancel, and a progress bar. OK builds the report and shows it in the viewer;
// Cancel stops a build at its next step and closes the window.
class frmRptOption : public QDialog {
    Q_OBJECT
public:
    enum class Input { Month, DateRange };

    frmRptOption(QWidget* parent, const QString& name, const QString& caption, Input input);

    // True once Cancel was pressed; a running build stops at its next step.
    bool m_Cancel = false;

    void cmdOk_Click();
    void cmdCancel_Click();

protected:
    // Writes the report file for the choice made in the window.
    virtual zelk::reports::BuildResult build(zelk::reports::ReportRun& run) = 0;
    // The chosen month (1 ... 12), 0 when none is chosen.
    int month() const;
    QDate dateFrom() const;
    QDate dateTo() const;
    // The close box and Escape act as Cancel.
    void reject() override;

private:
    Input m_input;
    QComboBox* cmbMonth = nullptr;
    zelk::controls::DateField* dtpFrom = nullptr;
    zelk::controls::DateField* dtpTo = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    QProgressBar* pbStatus = nullptr;
};

// The four fixed reports.
class frmRptTrxList : public frmRptOption {
    Q_OBJECT
public:
    explicit frmRptTrxList(QWidget* parent = nullptr);

protected:
    zelk::reports::BuildResult build(zelk::reports::ReportRun& run) override;
};

class frmRptTrialBalance : public frmRptOption {
    Q_OBJECT
public:
    explicit frmRptTrialBalance(QWidget* parent = nullptr);

protected:
    zelk::reports::BuildResult build(zelk::reports::ReportRun& run) override;
};

class frmRptIncomeStmt : public frmRptOption {
    Q_OBJECT
public:
    explicit frmRptIncomeStmt(QWidget* parent = nullptr);

protected:
    zelk::reports::BuildResult build(zelk::reports::ReportRun& run) override;
};

class frmRptBalanceSheet : public frmRptOption {
    Q_OBJECT
public:
    explicit frmRptBalanceSheet(QWidget* parent = nullptr);

protected:
    zelk::reports::BuildResult build(zelk::reports::ReportRun& run) override;
};
