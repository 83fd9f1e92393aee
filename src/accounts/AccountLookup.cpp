#include "AccountLookup.h"

#include "ListModel.h"
#include "data/Connection.h"
#include "data/modDBUtil.h"

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

QStringList AccountLookup::names() const {
    QStringList out;
    out.reserve(qsizetype(m_accounts.size()));
    for (const Account& a : m_accounts)
        out << a.AccountName;
    return out;
}

} // namespace zelk::accounts
