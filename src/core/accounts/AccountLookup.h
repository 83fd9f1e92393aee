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
    // What a pick list shows of an account: "number — name".
    static QString entryText(const Account& a);
    // Completion while typing: the accounts whose number begins with the text, then those
    // whose name contains it, letter case aside and accents as typed; the account of
    // exactly that number first, then numbers, names that begin with the text, other
    // names, each in order. Nothing for empty text.
    std::vector<const Account*> match(const QString& typed) const;
    // The account a typed text names: the one of that number, of that entry text, the
    // only one the text matches, or else the first of that name; nullptr when none.
    const Account* resolve(const QString& typed) const;
    const std::vector<Account>& accounts() const { return m_accounts; }

private:
    std::vector<Account> m_accounts;
};

} // namespace zelk::accounts
