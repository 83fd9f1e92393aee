#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace zelk {
class Connection;
}

namespace zelk::accounts {

// Every account's number and name, in the order the database returns them. The
// editors' look-ups are done here, in memory, not as criteria for the database.
class AccountLookup {
public:
    struct Account {
        QString AccountNo;
        QString AccountName;
    };
    AccountLookup() = default;
    explicit AccountLookup(std::vector<Account> accounts) : m_accounts(std::move(accounts)) {}
    static AccountLookup Load(Connection& cnn);

    // The first account with that number, compared as keys compare (ASCII letters
    // without regard to case); nullptr when there is none.
    const Account* findNo(const QString& accountNo) const;
    // The first account with that name (without regard to letter case); nullptr when none.
    const Account* findName(const QString& accountName) const;
    // The names for the drop-down, in order.
    QStringList names() const;
    // What a pick list shows of an account: "name (number)", so two of one name differ.
    static QString pickText(const Account& a);
    // Completion while typing: the accounts whose number begins with `prefix` (the one
    // of exactly that number first), or those where every typed word begins a word of
    // the name; in order, letter case aside. Nothing for empty text.
    std::vector<const Account*> matchNumber(const QString& prefix) const;
    std::vector<const Account*> matchWords(const QString& text) const;
    const std::vector<Account>& accounts() const { return m_accounts; }

private:
    std::vector<Account> m_accounts;
};

} // namespace zelk::accounts
