#pragma once

#include "PeriodRun.h"

#include <QDate>
#include <vector>

namespace zelk::periods {

// A transaction that a posting run left as it was, and why.
struct SkippedTransaction {
    QString transactionNo;
    QDate dateStamp;
    QString reason;
};

// Posting: every unposted transaction dated in a range has each of its lines added
// to the general-ledger row of its account, fiscal year and period (a debit or a
// credit), and is marked posted.
//
// A transaction whose debits and credits differ, or whose lines do not all have their
// general-ledger row (it is dated outside the open fiscal year), is left unposted, and
// is named after the done message.
//
// Each general-ledger row the run needs is read once; its running totals are kept for
// the rest of the run, and each row that changed is written once at the end of the
// run, before the commit. The rows end as if every line had re-read its row.
class PostTransactions : public PeriodRun {
public:
    using PeriodRun::PeriodRun;
    RunOutcome run(const QDate& DateFrom, const QDate& DateTo);
    const std::vector<SkippedTransaction>& skipped() const { return m_skipped; }

protected:
    void afterDone() override;

private:
    std::vector<SkippedTransaction> m_skipped;
};

// Reverting postings: every posted transaction still in the journal and dated in a
// range has each line's debit or credit taken off its general-ledger row again, and is
// marked unposted. A transaction whose rows are missing stays posted and is named.
class RevertPostings : public PeriodRun {
public:
    using PeriodRun::PeriodRun;
    RunOutcome run(const QDate& DateFrom, const QDate& DateTo);
    const std::vector<SkippedTransaction>& skipped() const { return m_skipped; }

protected:
    void afterDone() override;

private:
    std::vector<SkippedTransaction> m_skipped;
};

// The text naming the transactions a run left as they were ("" when there are none).
QString skippedMessage(const std::vector<SkippedTransaction>& skipped, const QString& notDone);

} // namespace zelk::periods
