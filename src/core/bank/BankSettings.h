#pragma once

#include "Statement.h"
#include "core/data/SavingCommand.h"

#include <QString>
#include <optional>
#include <vector>

namespace zelk {
class Connection;
}

// What the books keep per bank account: the CSV profile and the rules that say where its
// statement lines go. No widgets.
namespace zelk::bank {

// The bank accounts: every account of the assets or liabilities class.
struct BankAccount {
    QString accountNo;
    QString name;
};
std::vector<BankAccount> bankAccounts(Connection& cnn);
// Whether the account exists and is of the assets or liabilities class.
bool isBankAccount(Connection& cnn, const QString& accountNo);

std::optional<CsvProfile> loadProfile(Connection& cnn, const QString& bankAccount);
// Replaces the account's profile in one database transaction.
CommandOutcome saveProfile(Connection& cnn, const QString& bankAccount, const CsvProfile& profile);
// The statement to save a profile, inside a command the caller holds.
void writeProfile(StatementRunner& run, const QString& bankAccount, const CsvProfile& profile);
// The numbers' prefix of the account's imports: the profile's, or the default.
QString prefixOf(Connection& cnn, const QString& bankAccount);
// The profile as lines ("Date column: Buchungstag", ...).
QStringList profileLines(const CsvProfile& profile);

// "counterparty or text contains/matches pattern (and optionally the amount's sign) ->
// account, description".
struct Rule {
    enum class Field { Any, Counterparty, Text };
    Field field = Field::Any;
    bool regex = false; // "matches" a regular expression; else "contains" the text
    QString pattern;
    int sign = 0; // 0: any amount, 1: money in only, -1: money out only
    QString account;
    QString description; // empty: the line's own

    // Letter case aside.
    bool matches(const StatementLine& line) const;
    // "counterparty contains \"Stadtwerke\" (money out) -> 6100, Electricity"
    QString text() const;
    // Why the rule cannot be kept (an empty pattern, a regular expression that is none);
    // empty when it can.
    QString problem() const;
    bool operator==(const Rule&) const = default;
};

// The rules of a bank account in the order they apply (rule 1 first).
std::vector<Rule> loadRules(Connection& cnn, const QString& bankAccount);
// Replaces the rules of the account in one database transaction.
CommandOutcome saveRules(Connection& cnn, const QString& bankAccount,
                         const std::vector<Rule>& rules);
void writeRules(StatementRunner& run, const QString& bankAccount, const std::vector<Rule>& rules);

} // namespace zelk::bank
