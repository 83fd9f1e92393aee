#pragma once

#include "Connection.h"
#include "UserPorts.h"

#include <functional>

namespace zelk {

// Thrown by StatementRunner when the user answers Fix or Abort to a failed statement;
// the command that runs the statements catches it and rolls its transaction back.
class CommandUnwind {
public:
    explicit CommandUnwind(Answer answer) : m_answer(answer) {}
    Answer answer() const { return m_answer; }

private:
    Answer m_answer;
};

// Runs the statements of one command. A statement the engine refuses is reported
// with the database error dialog (Fix, Retry, Abort): Retry runs the same statement
// again and carries on; Fix and Abort throw CommandUnwind.
class StatementRunner {
public:
    // How a refusal is answered: with the dialog, or thrown as the DbError it is (by a
    // runner on a thread of its own, whose refusal the command's runner then shows).
    enum class Refusals { Asked, Thrown };
    explicit StatementRunner(Connection& cnn, Refusals refusals = Refusals::Asked)
        : m_cnn(cnn), m_refusals(refusals) {}
    RowSet run(const QString& sql);
    // A statement already translated (Connection::execute); text() makes its text for
    // the error dialog, only when the engine refuses it.
    RowSet run(const Translation& t, const std::function<QString()>& text);
    // A query whose rows are read as they are walked (Connection::stream); a refusal
    // of its first row has the same answers. A row that fails later throws DbError.
    RowSet stream(const QString& sql);
    // Any step that may fail with a DbError (begin, commit) under the same answers.
    void attempt(const std::function<void()>& step);
    // A refusal met by a runner of this command on another thread: shown as the dialog
    // shows it, without Retry (the statements after it have not run), then unwinds with
    // Abort.
    [[noreturn]] void refusedElsewhere(const DbError& e) const;
    Connection& connection() { return m_cnn; }

    // Description shown instead of the engine's words for a refusal of this kind
    // (e.g. a key that is still used); empty keeps the engine's description.
    using Describer = std::function<QString(const DbError&, const QString& sql)>;
    void setDescriber(Describer d) { m_describer = std::move(d); }

private:
    RowSet retried(const QString& sql, const std::function<RowSet()>& open);
    // Shows the database error dialog; Retry, or Fix / Abort to unwind.
    Answer report(const DbError& e, const QString& sql) const;

    // The message of a refusal, in the describer's words when it has them.
    ErrorRecord recordOf(const DbError& e, const QString& sql) const;

    Connection& m_cnn;
    Refusals m_refusals;
    Describer m_describer;
};

enum class CommandOutcome { Committed, Fix, Abort };

// One saving command: begins a database transaction, runs the body, commits. Fix and
// Abort roll the transaction back; no transaction is left open whatever happens.
CommandOutcome runSavingCommand(Connection& cnn, const std::function<void(StatementRunner&)>& body,
                                StatementRunner::Describer describer = {});

} // namespace zelk
