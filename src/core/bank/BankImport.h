#pragma once

#include "BankSettings.h"
#include "Statement.h"
#include "core/data/SavingCommand.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zelk {
class Connection;
}

namespace zelk::bank {

// Where a statement line goes, and whether it is written.
enum class LineStatus {
    New,               // written when checked and given an account
    Duplicate,         // imported before: never written
    PossibleDuplicate, // an existing line of the same amount within 3 days: unchecked
    NoAccount,         // an account must be chosen
    NoAmount,          // a line of 0.00 books nothing
};

struct ReviewLine {
    StatementLine line;
    LineStatus status = LineStatus::New;
    QString duplicateOf; // the transaction the line already is, or may be
    QString account;     // the counter-account
    QString description; // what the transaction's description will be
    enum class Source { None, Rule, Learned, Chosen } source = Source::None;
    int rule = 0;        // the rule's number, for Source::Rule
    int learnedFrom = 0; // learned: the transactions that agree ...
    int learnedOf = 0;   // ... of those found
    bool checked = false;
    bool remember = false; // add a rule "counterparty contains ..." on import
    QString transactionNo; // the number it was written under
};

// How past transactions of the bank account vote for a counter-account (defined in
// BankImport.cpp).
class Learning;

// The share of the transactions found that must agree before an account is proposed.
constexpr double LearnedShare = 0.6;
// How many days apart a line and an existing one of the same amount may be for a
// possible duplicate.
constexpr int DuplicateDays = 3;

// One statement on its way into the books of a bank account: the proposals, the
// duplicates, the balance check, and the write. The window and zelk-cli drive it alike.
class BankImport {
public:
    // Reads what the books know of the bank account (rules, past transactions, imported
    // identities) and proposes an account for every line.
    BankImport(Connection& cnn, const QString& bankAccount, Statement statement);
    // The same, the statement read by `read` on a thread of its own while the books are
    // read here; what `read` throws (a StatementError) is thrown from here.
    BankImport(Connection& cnn, const QString& bankAccount, const std::function<Statement()>& read);
    ~BankImport();

    const QString& bankAccount() const { return m_account; }
    const Statement& statement() const { return m_statement; }
    const std::vector<ReviewLine>& lines() const { return m_lines; }

    // "new", "duplicate", "possible duplicate of T123", "no account", "no amount".
    static QString statusText(const ReviewLine& line);
    // "rule 2", "learned from 14 of 15", "chosen", "none".
    static QString sourceText(const ReviewLine& line);
    // The description written when no rule gives one: "Counterparty: text".
    static QString defaultDescription(const StatementLine& line);

    // The user's choices. Choosing an account of a line without one checks it; an empty
    // account leaves the line without. A duplicate cannot be checked.
    void chooseAccount(size_t line, const QString& account, bool remember);
    void setChecked(size_t line, bool checked);
    void setDescription(size_t line, const QString& description);
    bool checkable(size_t line) const;

    struct Totals {
        int count = 0;
        Amount in;  // money in of the checked lines
        Amount out; // money out (negative)
        Amount net() const { return in + out; }
    };
    Totals checkedTotals() const;

    // The statement's closing balance against the books: the bank account's balance
    // through the statement's last day as the books stand, plus the checked lines.
    struct BalanceCheck {
        std::optional<Amount> statementCloses;
        Amount booksBefore; // through the day before the statement's first line
        Amount booksClose;
        bool agrees() const { return statementCloses && *statementCloses == booksClose; }
        // "The statement closes at 12,345.67; the books will close at 12,345.67"
        QString text() const;
    };
    BalanceCheck balanceCheck();

    // Why the checked lines cannot be written (a line without an account, an account
    // that does not exist), one text per line; empty when they can.
    QStringList problems() const;
    // Takes a snapshot (a failure is told, nothing written), then writes each checked
    // line as an unposted two-line transaction through the transaction editor's writer,
    // with its bank identity and the rules to remember, in one database transaction.
    CommandOutcome write();
    // How many transactions the last write committed, and their dates.
    int written() const { return m_written; }
    QDate firstWritten() const { return m_firstWritten; }
    QDate lastWritten() const { return m_lastWritten; }

private:
    struct Known;
    Known learn();
    void propose(const Known& known);

    Connection& m_cnn;
    QString m_account;
    Statement m_statement;
    std::vector<ReviewLine> m_lines;
    std::vector<Rule> m_rules;
    std::unique_ptr<Learning> m_learning;
    int m_written = 0;
    QDate m_firstWritten, m_lastWritten;
};

// The bank account's balance at the end of a day: its beginning balance of the fiscal
// year the day falls in, and every line of that year up to the day, journal and history.
Amount balanceThrough(Connection& cnn, const QString& account, const QDate& day);

} // namespace zelk::bank
