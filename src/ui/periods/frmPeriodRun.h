#pragma once

#include "core/periods/PostingRuns.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/DateField.h"

#include <QDialog>
#include <functional>
#include <memory>

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

    // Makes the window's one run over the application's books (its flags are the
    // window's); each window's constructor calls it once.
    template <class Run>
    Run& serve() {
        auto run = std::make_unique<Run>(*zelk::g_cnn, m_progress);
        Run& made = *run;
        m_run = std::move(run);
        return made;
    }
    zelk::periods::PeriodRun& periodRun() { return *m_run; }
    const zelk::periods::PeriodRun& periodRun() const { return *m_run; }
    // What OK does; the window hides itself when it returns (see finish).
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
    std::unique_ptr<zelk::periods::PeriodRun> m_run;
};

// A period window whose input is a date range (From Date, To Date) and whose run is a
// posting or its reversal. The pickers start at the first day of the open fiscal year
// and at the run's proposed end (PostingRun::proposedDateTo), or today when it proposes
// none. OK takes the typed dates (a text that is no date is told) and runs.
class frmDateRangeRun : public frmPeriodRun {
    Q_OBJECT
protected:
    frmDateRangeRun(const QString& objectName, const QString& caption, const QString& cancelTitle,
                    QWidget* parent);
    template <class Run>
    void serve() {
        m_posting = &frmPeriodRun::serve<Run>();
        proposeDateTo();
    }
    void cmdOk_Click() final;
    QLabel* lblFromDate = nullptr;
    zelk::controls::DateField* dtpFrom = nullptr;
    QLabel* lblToDate = nullptr;
    zelk::controls::DateField* dtpTo = nullptr;

private:
    void proposeDateTo();

    zelk::periods::PostingRun* m_posting = nullptr;
};

// A period window whose input is a month of the open fiscal year (its months with
// their calendar years, "February 2005"; nothing chosen at first). OK without a month
// asks for one; with one it runs.
class frmMonthRun : public frmPeriodRun {
    Q_OBJECT
protected:
    frmMonthRun(const QString& objectName, const QString& caption, const QString& cancelTitle,
                QWidget* parent);
    template <class Run>
    void serve() {
        Run& run = frmPeriodRun::serve<Run>();
        m_runMonth = [&run](int month) { run.run(month); };
    }
    void cmdOk_Click() final;
    QLabel* lblMonth = nullptr;
    QComboBox* cmbMonth = nullptr;

private:
    std::function<void(int)> m_runMonth;
};

// A period window whose input is a yes-or-no question shown as a label.
class frmQuestionRun : public frmPeriodRun {
    Q_OBJECT
protected:
    frmQuestionRun(const QString& objectName, const QString& caption, const QString& cancelTitle,
                   const QString& labelName, const QString& question, QWidget* parent);
    QLabel* lblQuestion = nullptr;
};
