#include "AccountLookup.h"

#include "core/data/Connection.h"
#include "core/data/modDBUtil.h"
#include "core/lists/ListModel.h"

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

QString AccountLookup::pickText(const Account& a) {
    return QStringLiteral("%1 (%2)").arg(a.AccountName, a.AccountNo);
}

std::vector<const AccountLookup::Account*> AccountLookup::matchNumber(const QString& prefix) const {
    std::vector<const Account*> out;
    if (prefix.isEmpty())
        return out;
    for (const Account& a : m_accounts)
        if (a.AccountNo.startsWith(prefix, Qt::CaseInsensitive))
            out.insert(sameKey(a.AccountNo, prefix) ? out.begin() : out.end(), &a);
    return out;
}

namespace {
QStringList wordsOf(const QString& text) {
    QStringList words;
    QString word;
    for (QChar c : text) {
        if (c.isLetterOrNumber()) {
            word += c;
        } else if (!word.isEmpty()) {
            words << word;
            word.clear();
        }
    }
    if (!word.isEmpty())
        words << word;
    return words;
}
} // namespace

std::vector<const AccountLookup::Account*> AccountLookup::matchWords(const QString& text) const {
    std::vector<const Account*> out;
    const QStringList typed = wordsOf(text);
    if (typed.isEmpty())
        return out;
    for (const Account& a : m_accounts) {
        const QStringList words = wordsOf(a.AccountName);
        bool all = true;
        for (const QString& t : typed) {
            bool begins = false;
            for (const QString& w : words)
                begins = begins || w.startsWith(t, Qt::CaseInsensitive);
            all = all && begins;
        }
        if (all)
            out.push_back(&a);
    }
    return out;
}

QStringList AccountLookup::names() const {
    QStringList out;
    out.reserve(qsizetype(m_accounts.size()));
    for (const Account& a : m_accounts)
        out << a.AccountName;
    return out;
}

} // namespace zelk::accounts
