#pragma once

#include "PeriodRun.h"

#include <QDate>
#include <QStringList>
#include <utility>
#include <vector>

namespace zelk::periods {

// A transaction that a posting run left as it was, and why.
struct SkippedTransaction {
    QString transactionNo;
    QDate dateStamp;
    QString reason;
};

// What posting and its reversal share: the transactions of a date range whose posted
// flag is the one the run looks for are walked in one stream, each line's debit or
// credit added to (or taken off) the general-ledger row of its account, fiscal year and
// period, and the flag of every transaction carried over is turned. A transaction whose
// lines do not all have their row is left as it was, and named after the done message.
//
// Each general-ledger row the run needs is read once; its running totals are kept for
// the rest of the run, and each row that changed is written once at the end of the
// run, before the commit. The rows end as if every line had re-read its row.
//
// The done message says, before the run's done line, which transactions were left and
// which months End Month had already closed took postings; a reversal that finds
// nothing to revert says so instead. A total that would pass the largest amount stops
// the run, naming the account and the month, and nothing is changed.
class PostingRun : public PeriodRun {
public:
    RunOutcome run(const QDate& DateFrom, const QDate& DateTo);
    const std::vector<SkippedTransaction>& skipped() const { return m_skipped; }
    // The end of the range proposed to the run: the last day of the latest month of the
    // open fiscal year that holds a transaction the run would take; an invalid date
    // when there is none. Throws DbError when the books cannot be read.
    QDate proposedDateTo();

    // How the two runs differ.
    struct Direction {
        int sign;         // +1 adds the lines to their rows, -1 takes them off
        bool postedAfter; // the flag of the transactions carried over
        const char* doneMessage;
        const char* notDone; // "posted": the transactions left are "not posted"
        const char* title;   // of the message naming them
    };

protected:
    PostingRun(Connection& cnn, ProgressSink& progress, const Direction& direction)
        : PeriodRun(cnn, progress), m_direction(direction) {}
    QString doneText(const QString& doneMessage) const override;

private:
    const Direction& m_direction;
    std::vector<SkippedTransaction> m_skipped;
    int m_carried = 0;         // transactions carried over
    QStringList m_endedMonths; // "June 2004": ended months that took postings
    std::pair<QDate, QDate> m_range;
};

// Posting: every unposted transaction dated in the range is posted. A transaction whose
// debits and credits differ, or that is dated outside the open fiscal year, is left
// unposted.
class PostTransactions : public PostingRun {
public:
    PostTransactions(Connection& cnn, ProgressSink& progress);
};

// Reverting postings: every posted transaction still in the journal and dated in the
// range is taken off the ledger and marked unposted. Taking one off is always allowed;
// one whose rows are missing stays posted.
class RevertPostings : public PostingRun {
public:
    RevertPostings(Connection& cnn, ProgressSink& progress);
};

// The text naming the transactions a run left as they were ("" when there are none).
QString skippedMessage(const std::vector<SkippedTransaction>& skipped, const QString& notDone);

} // namespace zelk::periods
