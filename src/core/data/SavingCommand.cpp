#include "SavingCommand.h"

#include "modErrors.h"

#include <sqlcipher/sqlite3.h>

namespace zelk {

ErrorRecord StatementRunner::recordOf(const DbError& e, const QString& sql) const {
    ErrorRecord record = e.record();
    if (m_describer) {
        const QString better = m_describer(e, sql);
        if (!better.isEmpty())
            record.description = better;
    }
    return record;
}

void StatementRunner::refusedElsewhere(const DbError& e) const {
    modErrors::ShowMessageDialog(modErrors::ComposeErrorText(recordOf(e, QString())), 4,
                                 QStringLiteral("DB Error"));
    throw CommandUnwind(Abort);
}

Answer StatementRunner::report(const DbError& e, const QString& sql) const {
    if (m_refusals == Refusals::Thrown)
        throw e;
    ErrorRecord record = recordOf(e, sql);
    // The engine may have ended the whole transaction with the failed statement: then
    // nothing can be retried inside it, and Abort is the only answer.
    if (m_cnn.transactionLost()) {
        if (e.number() != SQLITE_ABORT_ROLLBACK)
            record.description += QStringLiteral(" ") + TransactionLostText();
        modErrors::ShowMessageDialog(modErrors::ComposeErrorText(record), 4,
                                     QStringLiteral("DB Error"));
        return Abort;
    }
    const int answer = modErrors::ShowErrorMessage(record);
    if (answer == Retry)
        return Retry;
    return answer == Abort ? Abort : Fix;
}

void StatementRunner::attempt(const std::function<void()>& step) {
    for (;;) {
        try {
            step();
            return;
        } catch (const DbError& e) {
            const Answer a = report(e, QString());
            if (a != Retry)
                throw CommandUnwind(a);
        }
    }
}

RowSet StatementRunner::run(const QString& sql) {
    return retried(sql, [&] { return m_cnn.execute(sql); });
}

RowSet StatementRunner::run(const Translation& t, const std::function<QString()>& text) {
    for (;;) {
        try {
            return m_cnn.execute(t);
        } catch (const DbError& e) {
            const Answer a = report(e, text());
            if (a != Retry)
                throw CommandUnwind(a);
        }
    }
}

RowSet StatementRunner::stream(const QString& sql) {
    return retried(sql, [&] { return m_cnn.stream(sql); });
}

RowSet StatementRunner::retried(const QString& sql, const std::function<RowSet()>& open) {
    for (;;) {
        try {
            return open();
        } catch (const DbError& e) {
            const Answer a = report(e, sql);
            if (a != Retry)
                throw CommandUnwind(a);
        }
    }
}

CommandOutcome runSavingCommand(Connection& cnn, const std::function<void(StatementRunner&)>& body,
                                StatementRunner::Describer describer) {
    StatementRunner runner(cnn);
    runner.setDescriber(std::move(describer));
    TransactionGuard guard(cnn);
    try {
        runner.attempt([&] { cnn.beginTrans(); });
        body(runner);
        runner.attempt([&] { cnn.commitTrans(); });
        return CommandOutcome::Committed;
    } catch (const CommandUnwind& u) {
        cnn.rollbackTrans();
        return u.answer() == Abort ? CommandOutcome::Abort : CommandOutcome::Fix;
    } catch (const std::exception& e) {
        // Not a refusal of the engine (an amount out of range, say): nothing to retry.
        cnn.rollbackTrans();
        modErrors::ShowMessageDialog(
            modErrors::ComposeErrorText({0, appTitle(), QString::fromUtf8(e.what())}), 4,
            QStringLiteral("DB Error"));
        return CommandOutcome::Abort;
    }
}

} // namespace zelk
