#pragma once

#include "core/periods/MonthEndRuns.h"
#include "core/periods/YearEndRuns.h"
#include "frmPeriodRun.h"

// "Post Transactions": posts the unposted transactions of a date range.
class frmPostTrxs : public frmDateRangeRun {
    Q_OBJECT
public:
    explicit frmPostTrxs(QWidget* parent = nullptr);
};

// "Revert Postings": takes the posted transactions of a date range off the ledger.
class frmRevertPostings : public frmDateRangeRun {
    Q_OBJECT
public:
    explicit frmRevertPostings(QWidget* parent = nullptr);
};

// "End Month": closes a month of the open fiscal year.
class frmEndMonth : public frmMonthRun {
    Q_OBJECT
public:
    explicit frmEndMonth(QWidget* parent = nullptr);
};

// "Revert End Month": reopens a month of the open fiscal year.
class frmRevertEndMonth : public frmMonthRun {
    Q_OBJECT
public:
    explicit frmRevertEndMonth(QWidget* parent = nullptr);
};

// "End Year": closes the open fiscal year into the chosen earning account.
class frmEndYear : public frmQuestionRun {
    Q_OBJECT
public:
    explicit frmEndYear(QWidget* parent = nullptr);

protected:
    void cmdOk_Click() override;

private:
    zelk::periods::EndYear& m_run;
};

// "Revert End Year": reopens the year before the open one.
class frmRevertEndYear : public frmQuestionRun {
    Q_OBJECT
public:
    explicit frmRevertEndYear(QWidget* parent = nullptr);

protected:
    void cmdOk_Click() override;

private:
    zelk::periods::RevertEndYear& m_run;
};
