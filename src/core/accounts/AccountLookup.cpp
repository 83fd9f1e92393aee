#include "AccountLookup.h"

#include "core/data/Connection.h"
#include "core/data/modDBUtil.h"
#include "core/lists/ListModel.h"

#include <array>

namespace zelk::accounts {

AccountLookup AccountLookup::Load(Connection& cnn) {
    RowSet rs = cnn.execute(modDBUtil::GetAccountList());
    std::vector<Account> accounts;
    accounts.reserve(size_t(rs.recordCount()));
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        accounts.push_back(
            {rs.text(QStringLiteral("AccountNo")), rs.text(QStringLiteral("AccountName"))});
    return AccountLookup(std::move(accounts));
}

const AccountLookup::Account* AccountLookup::findNo(const QString& accountNo) const {
    for (const Account& a : m_accounts)
        if (sameKey(a.AccountNo, accountNo))
            return &a;
    return nullptr;
}

const AccountLookup::Account* AccountLookup::findName(const QString& accountName) const {
    for (const Account& a : m_accounts)
        if (a.AccountName.compare(accountName, Qt::CaseInsensitive) == 0)
            return &a;
    return nullptr;
}

QString AccountLookup::entryText(const Account& a) {
    return a.AccountNo + QStringLiteral(" \u2014 ") + a.AccountName;
}

std::vector<const AccountLookup::Account*> AccountLookup::match(const QString& typed) const {
    // The rank of each kind of match, best first.
    enum { ExactNumber, Number, NameBegins, NameContains, Ranks };
    std::array<std::vector<const Account*>, Ranks> ranked;
    if (typed.isEmpty())
        return {};
    for (const Account& a : m_accounts) {
        if (sameKey(a.AccountNo, typed))
            ranked[ExactNumber].push_back(&a);
        else if (a.AccountNo.startsWith(typed, Qt::CaseInsensitive))
            ranked[Number].push_back(&a);
        else if (a.AccountName.startsWith(typed, Qt::CaseInsensitive))
            ranked[NameBegins].push_back(&a);
        else if (a.AccountName.contains(typed, Qt::CaseInsensitive))
            ranked[NameContains].push_back(&a);
    }
    std::vector<const Account*> out;
    for (const auto& rank : ranked)
        out.insert(out.end(), rank.begin(), rank.end());
    return out;
}

const AccountLookup::Account* AccountLookup::resolve(const QString& typed) const {
    if (typed.isEmpty())
        return nullptr;
    if (const Account* a = findNo(typed))
        return a;
    for (const Account& a : m_accounts)
        if (entryText(a) == typed)
            return &a;
    const std::vector<const Account*> matches = match(typed);
    if (matches.size() == 1)
        return matches.front();
    return findName(typed);
}

} // namespace zelk::accounts
