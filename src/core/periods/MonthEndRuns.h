#pragma once

#include "PeriodRun.h"

#include <vector>

namespace zelk::periods {

// The month of the open fiscal year that a month run closes or reopens.
struct FiscalMonth {
    int period;     // 1..12
    QDate firstDay; // first day of the calendar month
    QDate lastDay;  // last day of the calendar month
    static FiscalMonth of(const CompanyRow& company, int month);
};

// Month end: the posted transactions of a month of the open fiscal year move, line by
// line, into the transaction history and leave the journal; then every account's net
// movement of the month's period (debit minus credit of its general-ledger row) is
// written into its period balance. A month that still holds unposted transactions is
// ended only once the user agrees; the done message of a month ended before says what
// it added.
class EndMonth : public PeriodRun {
public:
    using PeriodRun::PeriodRun;
    // Month: the calendar month number, 1..12 (any other runs nothing).
    RunOutcome run(int Month);

protected:
    QString doneText(const QString& doneMessage) const override;

private:
    // Asks whether to end a month whose unposted transactions stay in the journal;
    // false when the user says no or the books cannot be read.
    bool confirmUnposted(int Month);

    QString m_monthName; // "April 2004"
    bool m_endedBefore = false;
    int m_moved = 0;
};

// Reverting month end: the month's history lines are rebuilt in the journal as posted
// transactions and removed from the history; the month's period balance of every
// account goes back to 0. Only the history lines of the month itself are removed, so a
// transaction number used in another month keeps its own history. A number found twice
// in the month (with another date, source or description), or already in the journal,
// comes back under a free number, named after the done message.
class RevertEndMonth : public PeriodRun {
public:
    using PeriodRun::PeriodRun;
    RunOutcome run(int Month);

    struct Renumbered {
        QString transactionNo;
        QDate dateStamp;
        QString rebuiltAs;
    };
    const std::vector<Renumbered>& renumbered() const { return m_renumbered; }

protected:
    QString doneText(const QString& doneMessage) const override;

private:
    std::vector<Renumbered> m_renumbered;
};

} // namespace zelk::periods
