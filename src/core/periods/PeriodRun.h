#pragma once

#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/SavingCommand.h"
#include "core/data/UserPorts.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace zelk::periods {

// How a period run ended.
enum class RunOutcome {
    NotStarted, // nothing was run (a question before the run was refused, no month chosen)
    Done,       // committed; the done message was shown
    Cancelled,  // "Cancel ?" was confirmed during the run: rolled back, nothing shown
    Fix,        // a refused statement was answered Fix: rolled back
    Abort,      // answered Abort, or an error that cannot be retried: rolled back
    Refused,    // the run found it must not go on and said why: rolled back
};

// The frame every period run shares: one database transaction around the whole run,
// the progress display with one step per unit of work, the cancel check between two
// steps, the answers to a refused statement, and the done message.
//
// A statement the engine refuses is reported with the database error dialog: Retry
// runs the same statement again and the run goes on; Fix and Abort roll the whole run
// back. A cancel confirmed while the events of a step are handled rolls the whole run
// back too. Whatever happens, no database transaction is left open and a run that does
// not commit leaves every table as it was when it began.
class PeriodRun {
public:
    PeriodRun(Connection& cnn, ProgressSink& progress);
    virtual ~PeriodRun();
    PeriodRun(const PeriodRun&) = delete;
    PeriodRun& operator=(const PeriodRun&) = delete;

    // Set from the beginning of the run's database transaction until it is rolled back.
    bool running() const { return m_Running; }
    // Set when the user confirms that the run is to be cancelled (or refuses a
    // question before the run); the run stops at its next cancel check.
    bool cancelRequested() const { return m_Cancel; }
    void requestCancel() { m_Cancel = true; }

protected:
    // Runs body inside the run's database transaction; commits and shows doneText()
    // under the application's title when the body returns without being cancelled.
    RunOutcome perform(const QString& doneMessage, const std::function<void()>& body);

    // One statement or query of the run, with the answers of the error dialog.
    RowSet execute(const QString& sql);
    // A query whose rows are walked once, in order, read as they are walked.
    RowSet stream(const QString& sql);
    // The first field of a query's one row as a number (a count).
    int count(const QString& sql);
    // The company row, read through the run.
    CompanyRow readCompany();

    // The progress display: the number of steps of the run, then one call per step,
    // which lets the user interface handle its events and then checks for a cancel.
    void startSteps(int maximum);
    void step();

    // Ends the run without its done message: rolls back, then shows message under the
    // application's title.
    [[noreturn]] void refuse(const QString& message);

    // The one message a committed run shows: what it has to tell besides (the
    // transactions it left as they were, say), then its done message; by default the
    // done message alone. So success is never told before an exception.
    virtual QString doneText(const QString& doneMessage) const { return doneMessage; }

    // A question asked before the run's transaction: a refused statement is reported
    // as in the run; Fix or Abort gives false.
    bool tryQuery(const QString& sql, RowSet& rows);

    Connection& m_cnn;

private:
    void rollback();

    ProgressSink& m_progress;
    StatementRunner m_runner;
    bool m_Running = false;
    bool m_Cancel = false;
    int m_value = 0;
};

// Account numbers compare as the database compares its keys: letters A to Z without
// regard to case, every other character exactly.
QString accountKey(const QString& accountNo);
bool sameAccount(const QString& a, const QString& b);

// Notes put before a done message, each a paragraph of its own, the done message last.
QString withNotes(const QStringList& notes, const QString& doneMessage);

} // namespace zelk::periods
