#pragma once

#include "ui/widgets/DateField.h"

#include "core/periods/PeriodRun.h"
#include "ui/widgets/CommonControls.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

// What every period-processing window shares: the frame of its input (fraDate), the
// progress bar (pbStatus), the frame of its buttons (fraConfirm with cmdOk and
// cmdCancel), and the cancel question. The window is modal and serves one run; it
// closes by hiding itself when the run returns, or at once when Cancel is confirmed
// before a run has begun.
class frmPeriodRun : public QDialog {
    Q_OBJECT
public:
    ~frmPeriodRun() override;

    // The title of the window's "Cancel ?" question.
    const QString& cancelTitle() const { return m_cancelTitle; }
    // The run's flags, for whoever drives the window.
    bool running() const;
    bool cancelRequested() const;

protected:
    frmPeriodRun(const QString& objectName, const QString& caption, const QString& cancelTitle,
                 QWidget* parent);

    // The window's run (its flags belong to the window's one run).
    virtual zelk::periods::PeriodRun& periodRun() = 0;
    virtual const zelk::periods::PeriodRun& periodRun() const = 0;
    // What OK does; the window hides itself when it returns (see runOk).
    virtual void cmdOk_Click() = 0;
    void cmdCancel_Click();
    // The close box and Escape: the cancel question while a run is going, else closing.
    void reject() override;

    // Hides the window, which ends its modal display.
    void finish();
    zelk::ProgressSink& progress() { return m_progress; }

    QGroupBox* fraDate = nullptr;
    QGroupBox* fraConfirm = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    QProgressBar* pbStatus = nullptr;

private:
    void okClicked();

    QString m_cancelTitle;
    ProgressBarSink m_progress;
};

// A period window whose input is a date range (From Date, To Date). The pickers
// start at the first day of the open fiscal year and at today.
class frmDateRangeRun : public frmPeriodRun {
    Q_OBJECT
protected:
    frmDateRangeRun(const QString& objectName, const QString& caption, const QString& cancelTitle,
                    QWidget* parent);
    // Takes the typed dates; false, after the message, when one is no date.
    bool datesChecked();
    QLabel* lblFromDate = nullptr;
    zelk::controls::DateField* dtpFrom = nullptr;
    QLabel* lblToDate = nullptr;
    zelk::controls::DateField* dtpTo = nullptr;
};

// A period window whose input is a month of the open fiscal year (its months with
// their calendar years, "February 2005"; nothing chosen at first).
class frmMonthRun : public frmPeriodRun {
    Q_OBJECT
protected:
    frmMonthRun(const QString& objectName, const QString& caption, const QString& cancelTitle,
                QWidget* parent);
    QLabel* lblMonth = nullptr;
    QComboBox* cmbMonth = nullptr;
};

// A period window whose input is a yes-or-no question shown as a label.
class frmQuestionRun : public frmPeriodRun {
    Q_OBJECT
protected:
    frmQuestionRun(const QString& objectName, const QString& caption, const QString& cancelTitle,
                   const QString& labelName, const QString& question, QWidget* parent);
    QLabel* lblQuestion = nullptr;
};
