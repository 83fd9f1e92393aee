#pragma once

#include "support/ScriptedUi.h"
#include "support/TestDatabase.h"

#include <functional>

// Rows written straight into a test database, without the code under test.
namespace fixtures {

// The company's open fiscal year and start month.
void setCompanyYear(TestDatabase& db, int currentPeriodYear, int financialPeriodBegin = 1);
// An account with its balance row and its twelve general-ledger rows of `year`.
void addAccount(TestDatabase& db, const QString& no, const QString& name, int classId, int year);
// A transaction header (date 2004-03-15) and its lines (account, amount in ten-thousandths).
void addTransaction(TestDatabase& db, const QString& no, bool posted,
                    const std::vector<std::pair<QString, qint64>>& lines);
// One row in each of the ledger tables, the tables a new company empties.
void fillEveryLedgerTable(TestDatabase& db);
QStringList ledgerTables();

// Makes the engine refuse every `op` (INSERT, UPDATE or DELETE) on `table` until
// stopRefusing(), which is allowed inside the application connection's open transaction.
void refuse(TestDatabase& db, const QString& op, const QString& table);
void stopRefusing();

} // namespace fixtures

// A scripted user interface that also runs a step when a message dialog is answered
// (e.g. to clear the cause of a refusal before Retry).
class ScriptedUiWithStep : public ScriptedUi {
public:
    std::function<void()> onDialog;
    int showMessageDialog(const QString& message, int buttons, const QString& title) override {
        const int answer = ScriptedUi::showMessageDialog(message, buttons, title);
        if (onDialog)
            onDialog();
        return answer;
    }
};
