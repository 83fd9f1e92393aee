#include "ListDeletion.h"

#include "core/data/Connection.h"
#include "core/data/SavingCommand.h"
#include "core/data/modErrors.h"

namespace zelk {

DeletionOutcome RunListDeletion(Connection& cnn, const ListDeletion& deletion, const QString& key,
                                const QString& title) {
    if (deletion.refusal) {
        QString reason;
        try {
            reason = deletion.refusal(cnn, key);
        } catch (const DbError& e) {
            modErrors::ShowErrorMessage(e.record());
            return DeletionOutcome::Abort;
        }
        if (!reason.isEmpty()) {
            ui().messageBox(reason, title);
            return DeletionOutcome::Refused;
        }
    }
    if (!ui().askYesNo(deletion.question(key), title))
        return DeletionOutcome::Declined;

    StatementRunner::Describer describer;
    if (deletion.describe)
        describer = [&](const DbError& e, const QString& sql) {
            return deletion.describe(key, e, sql);
        };
    const QStringList statements = deletion.statements(key);
    const CommandOutcome outcome = runSavingCommand(
        cnn,
        [&](StatementRunner& run) {
            for (const QString& sql : statements)
                run.run(sql);
        },
        describer);
    switch (outcome) {
    case CommandOutcome::Committed:
        return DeletionOutcome::Deleted;
    case CommandOutcome::Fix:
        return DeletionOutcome::Fix;
    case CommandOutcome::Abort:
        break;
    }
    return DeletionOutcome::Abort;
}

} // namespace zelk
