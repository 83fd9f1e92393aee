#include "BankImport.h"

#include "core/accounts/AccountLookup.h"
#include "core/books/Snapshots.h"
#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/RowSet.h"
#include "core/data/modDBUtil.h"
#include "core/data/modUtils.h"
#include "core/journal/TransactionEntry.h"

#include <QHash>
#include <QSet>
#include <QStringBuilder>
#include <algorithm>
#include <map>

namespace zelk::bank {

namespace {

bool wordChar(char32_t c) {
    return QChar::isLetterOrNumber(c);
}

// Words of a text for comparing texts: lower case, letters and digits, two or more
// characters, no pure numbers (dates, amounts and invoice numbers change every time).
QStringList wordsOf(const QString& text) {
    const QString lower = text.toLower();
    const QChar* const d = lower.constData();
    const qsizetype n = lower.size();
    QStringList out;
    qsizetype i = 0;
    while (i < n) {
        // the length of the character at k (a surrogate pair is one), 0 when no word's
        auto wordAt = [&](qsizetype k) -> int {
            if (d[k].isHighSurrogate() && k + 1 < n && d[k + 1].isLowSurrogate())
                return wordChar(QChar::surrogateToUcs4(d[k], d[k + 1])) ? 2 : 0;
            return wordChar(d[k].unicode()) ? 1 : 0;
        };
        int len = 0;
        while (i < n && (len = wordAt(i)) == 0)
            ++i;
        const qsizetype start = i;
        bool digits = true;
        while (i < n && (len = wordAt(i)) > 0) {
            for (int k = 0; k < len; ++k)
                digits = digits && d[i + k].isDigit();
            i += len;
        }
        if (i - start >= 2 && !digits) {
            const QString w(d + start, i - start);
            if (!out.contains(w))
                out << w;
        }
    }
    return out;
}

bool sameKey(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A line of a past transaction of the bank account, as the books hold it.
struct PastLine {
    QByteArray no, day, description, account; // UTF-8
    Amount amount;
};

// The engine's NOCASE order: ASCII letters folded, bytes compared, a text before those it
// begins.
int compareNoCase(const QByteArray& a, const QByteArray& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const auto fold = [](char c) {
            const auto u = uchar(c);
            return u >= 'A' && u <= 'Z' ? uchar(u + 32) : u;
        };
        const uchar x = fold(a[i]), y = fold(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// The identity of a past transaction as the engine compares it: its number folded to
// lower case (ASCII), and its date.
QByteArray pastKey(QByteArrayView no, QByteArrayView day) {
    QByteArray key;
    key.reserve(no.size() + day.size() + 1);
    for (const char c : no)
        key += c >= 'A' && c <= 'Z' ? char(c + 32) : c;
    key += '\0';
    key += day;
    return key;
}

// The columns TransactionNo, DateStamp, Description, account, Amount, typeof(Amount) of
// a row read into a line.
PastLine pastLineOf(const RowSet& rs) {
    PastLine l;
    l.no = rs.utf8(0).toByteArray();
    l.day = rs.utf8(1).toByteArray();
    l.description = rs.utf8(2).toByteArray();
    l.account = rs.utf8(3).toByteArray();
    // money is stored as ten-thousandths; anything else is read as the row set reads it
    l.amount = rs.utf8(5) == "integer" ? Amount::fromRaw(rs.int64(4))
               : rs.utf8(5) == "null"  ? Amount()
                                       : rs.amount(QStringLiteral("Amount"));
    return l;
}

// Every line of the transactions, journal and history, that have a line of the account,
// in the order of their number (NOCASE) and date; a transaction's lines as the books
// hold them. The history is read in one pass of its table, the transactions of the
// account found first.
std::vector<PastLine> readPastLines(Connection& cnn, const QString& account) {
    const QString no = modUtils::SqlText(account);
    std::vector<PastLine> lines;
    for (RowSet rs = cnn.stream(
             QStringLiteral(
                 "SELECT Ledger_Transactions.TransactionNo AS TransactionNo, "
                 "Ledger_Transactions.DateStamp AS DateStamp, "
                 "Ledger_Transactions.Description AS Description, "
                 "Ledger_TransactionDetails.FKID_Account AS AccountNo, "
                 "Ledger_TransactionDetails.Amount AS Amount, "
                 "typeof(Ledger_TransactionDetails.Amount) AS AmountType "
                 "FROM Ledger_Transactions INNER JOIN Ledger_TransactionDetails ON "
                 "Ledger_Transactions.TransactionNo = Ledger_TransactionDetails.FKID_Transaction "
                 "WHERE Ledger_Transactions.TransactionNo IN (SELECT FKID_Transaction FROM "
                 "Ledger_TransactionDetails WHERE FKID_Account=") %
             no % QStringLiteral(")"));
         !rs.eof(); rs.moveNext())
        lines.push_back(pastLineOf(rs));
    QSet<QByteArray> ofAccount;
    for (RowSet rs = cnn.stream(QStringLiteral("SELECT TransactionNo, DateStamp FROM "
                                               "Ledger_TransactionHistories WHERE "
                                               "FKID_Account=") %
                                no);
         !rs.eof(); rs.moveNext())
        ofAccount.insert(pastKey(rs.utf8(0), rs.utf8(1)));
    if (!ofAccount.isEmpty())
        for (RowSet rs = cnn.stream(
                 QStringLiteral("SELECT TransactionNo, DateStamp, Description, FKID_Account AS "
                                "AccountNo, Amount, typeof(Amount) AS AmountType FROM "
                                "Ledger_TransactionHistories"));
             !rs.eof(); rs.moveNext())
            if (ofAccount.contains(pastKey(rs.utf8(0), rs.utf8(1))))
                lines.push_back(pastLineOf(rs));
    std::stable_sort(lines.begin(), lines.end(), [](const PastLine& a, const PastLine& b) {
        const int c = compareNoCase(a.no, b.no);
        return c != 0 ? c < 0 : a.day < b.day;
    });
    return lines;
}

} // namespace

// The past transactions of the bank account: their description's words and the
// counter-account they were booked to, with an index from each word to them.
class Learning {
public:
    struct Past {
        QString transactionNo;
        QDate date;
        Amount bankAmount;
        QString counterAccount;
        std::vector<int> words; // sorted word ids
    };
    std::vector<Past> past;

    void add(Past p, const QStringList& words) {
        for (const QString& w : words)
            p.words.push_back(wordId(w));
        std::sort(p.words.begin(), p.words.end());
        const int index = int(past.size());
        for (const int w : p.words)
            m_index[w].push_back(index);
        past.push_back(std::move(p));
    }

    struct Vote {
        QString account;
        int agree = 0;
        int of = 0;
    };

    // The counter-account most often booked for the counterparty (every word of its name
    // in the description), or without one for the most similar text.
    // A vote is counted once per counterparty and once per text's words: a statement
    // repeats them, and a common one is found on many past transactions.
    Vote propose(const QString& counterparty, const QString& text) {
        const QStringList party = wordsOf(counterparty);
        if (!party.isEmpty()) {
            const Vote v = cached(QLatin1Char('p') + party.join(QLatin1Char(' ')),
                                  [&] { return vote(withAll(party)); });
            if (v.of > 0)
                return v;
        }
        const QStringList words = wordsOf(text);
        return cached(QLatin1Char('t') + words.join(QLatin1Char(' ')),
                      [&] { return vote(mostSimilar(words)); });
    }

private:
    template <class Count>
    Vote cached(const QString& key, Count count) {
        if (const auto it = m_cache.constFind(key); it != m_cache.constEnd())
            return *it;
        const Vote v = count();
        m_cache.insert(key, v);
        return v;
    }
    int wordId(const QString& w) {
        const auto it = m_ids.constFind(w);
        if (it != m_ids.constEnd())
            return *it;
        const int id = int(m_ids.size());
        m_ids.insert(w, id);
        return id;
    }
    const std::vector<int>* postings(const QString& w) const {
        const auto id = m_ids.constFind(w);
        if (id == m_ids.constEnd())
            return nullptr;
        const auto it = m_index.find(*id);
        return it == m_index.end() ? nullptr : &it->second;
    }
    std::vector<int> withAll(const QStringList& words) const {
        std::vector<int> out;
        bool first = true;
        for (const QString& w : words) {
            const std::vector<int>* p = postings(w);
            if (!p)
                return {};
            if (first) {
                out = *p;
                first = false;
                continue;
            }
            std::vector<int> both;
            std::set_intersection(out.begin(), out.end(), p->begin(), p->end(),
                                  std::back_inserter(both));
            out.swap(both);
        }
        return out;
    }
    // The transactions whose words are most like the text's (at least half of the words
    // of both together are shared).
    std::vector<int> mostSimilar(const QStringList& words) const {
        std::vector<int> ids;
        for (const QString& w : words)
            if (const auto it = m_ids.constFind(w); it != m_ids.constEnd())
                ids.push_back(*it);
        std::sort(ids.begin(), ids.end());
        std::map<int, int> shared;
        for (const int id : ids) {
            const auto& p = m_index.at(id);
            if (p.size() > past.size() / 2 + 1 && past.size() > 20)
                continue; // a word on most transactions tells nothing
            for (const int t : p)
                ++shared[t];
        }
        double best = 0.5;
        std::vector<int> out;
        for (const auto& [t, n] : shared) {
            const double jaccard =
                double(n) / double(words.size() + past[size_t(t)].words.size() - size_t(n));
            if (jaccard > best + 1e-9) {
                best = jaccard;
                out.clear();
            }
            if (jaccard >= best - 1e-9)
                out.push_back(t);
        }
        return out;
    }
    Vote vote(const std::vector<int>& found) const {
        Vote v;
        QHash<QString, int> counts;
        for (const int t : found)
            if (!past[size_t(t)].counterAccount.isEmpty())
                ++counts[past[size_t(t)].counterAccount.toUpper()];
        for (auto it = counts.constBegin(); it != counts.constEnd(); ++it) {
            v.of += it.value();
            if (it.value() > v.agree) {
                v.agree = it.value();
                v.account = it.key();
            }
        }
        // the account as the books spell it
        for (const int t : found)
            if (sameKey(past[size_t(t)].counterAccount, v.account))
                v.account = past[size_t(t)].counterAccount;
        return v;
    }

    QHash<QString, int> m_ids;
    std::unordered_map<int, std::vector<int>> m_index;
    QHash<QString, Vote> m_cache;
};

Amount balanceThrough(Connection& cnn, const QString& account, const QDate& day) {
    const int begin = CompanyRow::read(cnn).FinancialPeriodBegin;
    const int year = fiscal::periodOfDate(begin, day).periodYear;
    Amount balance;
    for (RowSet rs = cnn.execute(modDBUtil::GetAccountBeginningBalances(account)); !rs.eof();
         rs.moveNext())
        if (rs.integer(QStringLiteral("PeriodYear")) == year)
            balance = rs.amount(QStringLiteral("BeginningBalance"));
    for (RowSet rs = cnn.stream(
             modDBUtil::GetAccountCardLines(account, fiscal::firstDayOfYear(begin, year), day));
         !rs.eof(); rs.moveNext())
        balance += rs.amount(QStringLiteral("Amount"));
    return balance;
}

BankImport::BankImport(Connection& cnn, const QString& bankAccount, Statement statement)
    : m_cnn(cnn), m_account(bankAccount), m_statement(std::move(statement)),
      m_learning(std::make_unique<Learning>()) {
    m_rules = loadRules(cnn, bankAccount);
    propose();
}

BankImport::~BankImport() = default;

void BankImport::propose() {
    // The lines imported before, by identity.
    QHash<QString, QString> imported; // identity -> transaction
    QSet<QString> importedTransactions;
    for (RowSet rs = m_cnn.stream(modDBUtil::GetBankIdentities(m_account)); !rs.eof();
         rs.moveNext()) {
        imported.insert(rs.text(QStringLiteral("Identity")),
                        rs.text(QStringLiteral("TransactionNo")));
        importedTransactions.insert(rs.text(QStringLiteral("TransactionNo")).toUpper());
    }
    // The past transactions of the bank account, a transaction's lines together: what they
    // teach, and the lines not from an import that a statement line may repeat.
    std::multimap<qint64, const Learning::Past*> byAmount;
    {
        std::vector<PastLine> lines = readPastLines(m_cnn, m_account);
        QHash<QByteArray, QDate> dates;
        auto dateOf = [&](const QByteArray& day) {
            auto it = dates.constFind(day);
            if (it == dates.constEnd())
                it = dates.insert(day,
                                  QDate::fromString(QString::fromUtf8(day).left(10), Qt::ISODate));
            return *it;
        };
        QHash<QByteArray, std::pair<QString, bool>> accounts; // spelling, the bank account
        auto accountOf = [&](const QByteArray& no) -> const std::pair<QString, bool>& {
            auto it = accounts.constFind(no);
            if (it == accounts.constEnd()) {
                const QString account = QString::fromUtf8(no);
                it = accounts.insert(no, {account, sameKey(account, m_account)});
            }
            return *it;
        };
        for (size_t i = 0; i < lines.size();) {
            const PastLine& head = lines[i];
            Learning::Past p;
            p.transactionNo = QString::fromUtf8(head.no);
            p.date = dateOf(head.day);
            Amount largest;
            for (; i < lines.size() && lines[i].no == head.no && dateOf(lines[i].day) == p.date;
                 ++i) {
                const auto& [account, bank] = accountOf(lines[i].account);
                const Amount a = lines[i].amount;
                if (bank) {
                    p.bankAmount += a;
                } else if (a.abs() > largest) {
                    largest = a.abs();
                    p.counterAccount = account;
                }
            }
            m_learning->add(std::move(p), wordsOf(QString::fromUtf8(head.description)));
        }
    }
    for (const Learning::Past& p : m_learning->past)
        if (!importedTransactions.contains(p.transactionNo.toUpper()))
            byAmount.emplace(p.bankAmount.raw(), &p);

    m_lines.clear();
    for (const StatementLine& l : m_statement.lines) {
        ReviewLine r;
        r.line = l;
        r.description = defaultDescription(l);
        if (const auto it = imported.constFind(l.identity); it != imported.constEnd()) {
            r.status = LineStatus::Duplicate;
            r.duplicateOf = *it;
            m_lines.push_back(r);
            continue;
        }
        for (size_t i = 0; i < m_rules.size(); ++i)
            if (m_rules[i].matches(l)) {
                r.source = ReviewLine::Source::Rule;
                r.rule = int(i) + 1;
                r.account = m_rules[i].account;
                if (!m_rules[i].description.isEmpty())
                    r.description = m_rules[i].description;
                break;
            }
        if (r.source == ReviewLine::Source::None) {
            const Learning::Vote v = m_learning->propose(l.counterparty, l.text);
            if (v.of > 0 && double(v.agree) >= LearnedShare * double(v.of)) {
                r.source = ReviewLine::Source::Learned;
                r.account = v.account;
                r.learnedFrom = v.agree;
                r.learnedOf = v.of;
            }
        }
        const auto [from, to] = byAmount.equal_range(l.amount.raw());
        for (auto it = from; it != to; ++it)
            if (std::abs(it->second->date.daysTo(l.date)) <= DuplicateDays) {
                r.duplicateOf = it->second->transactionNo;
                break;
            }
        r.status = l.amount.isZero()          ? LineStatus::NoAmount
                   : !r.duplicateOf.isEmpty() ? LineStatus::PossibleDuplicate
                   : r.account.isEmpty()      ? LineStatus::NoAccount
                                              : LineStatus::New;
        r.checked = r.status == LineStatus::New;
        m_lines.push_back(r);
    }
}

QString BankImport::statusText(const ReviewLine& line) {
    switch (line.status) {
    case LineStatus::New:
        return QStringLiteral("new");
    case LineStatus::Duplicate:
        return QStringLiteral("duplicate");
    case LineStatus::PossibleDuplicate:
        return QStringLiteral("possible duplicate of ") + line.duplicateOf;
    case LineStatus::NoAccount:
        return QStringLiteral("no account");
    case LineStatus::NoAmount:
        return QStringLiteral("no amount");
    }
    return {};
}

QString BankImport::sourceText(const ReviewLine& line) {
    switch (line.source) {
    case ReviewLine::Source::Rule:
        return QStringLiteral("rule %1").arg(line.rule);
    case ReviewLine::Source::Learned:
        return QStringLiteral("learned from %1 of %2").arg(line.learnedFrom).arg(line.learnedOf);
    case ReviewLine::Source::Chosen:
        return QStringLiteral("chosen");
    case ReviewLine::Source::None:
        break;
    }
    return QStringLiteral("none");
}

QString BankImport::defaultDescription(const StatementLine& line) {
    QString d = line.counterparty;
    if (!line.text.isEmpty())
        d += (d.isEmpty() ? QString() : QStringLiteral(": ")) + line.text;
    if (line.reversal)
        d = QStringLiteral("Reversal: ") + d;
    return d;
}

bool BankImport::checkable(size_t i) const {
    const LineStatus s = m_lines[i].status;
    return s != LineStatus::Duplicate && s != LineStatus::NoAmount;
}

void BankImport::chooseAccount(size_t i, const QString& account, bool remember) {
    ReviewLine& r = m_lines[i];
    if (!checkable(i))
        return;
    r.account = account.trimmed();
    r.source = r.account.isEmpty() ? ReviewLine::Source::None : ReviewLine::Source::Chosen;
    r.remember = remember && !r.account.isEmpty() && !r.line.counterparty.isEmpty();
    if (r.status == LineStatus::NoAccount || r.status == LineStatus::New) {
        r.status = r.account.isEmpty() ? LineStatus::NoAccount : LineStatus::New;
        r.checked = !r.account.isEmpty();
    }
}

void BankImport::setChecked(size_t i, bool checked) {
    if (checkable(i))
        m_lines[i].checked = checked;
}

void BankImport::setDescription(size_t i, const QString& description) {
    m_lines[i].description = description;
}

BankImport::Totals BankImport::checkedTotals() const {
    Totals t;
    for (const ReviewLine& r : m_lines)
        if (r.checked) {
            ++t.count;
            (r.line.amount.isNegative() ? t.out : t.in) += r.line.amount;
        }
    return t;
}

QString BankImport::BalanceCheck::text() const {
    const QString books = booksClose.formatStandard();
    if (!statementCloses)
        return QStringLiteral("The statement states no closing balance; the books will close "
                              "at %1")
            .arg(books);
    QString s = QStringLiteral("The statement closes at %1; the books will close at %2")
                    .arg(statementCloses->formatStandard(), books);
    if (!agrees())
        s += QStringLiteral(", a difference of %1")
                 .arg((*statementCloses - booksClose).formatStandard());
    return s;
}

BankImport::BalanceCheck BankImport::balanceCheck() {
    BalanceCheck c;
    c.statementCloses = m_statement.closing;
    if (m_lines.empty()) {
        c.booksClose = balanceThrough(m_cnn, m_account, QDate::currentDate());
        c.booksBefore = c.booksClose;
        return c;
    }
    QDate first = m_lines.front().line.date, last = first;
    for (const ReviewLine& r : m_lines) {
        first = std::min(first, r.line.date);
        last = std::max(last, r.line.date);
    }
    c.booksBefore = balanceThrough(m_cnn, m_account, first.addDays(-1));
    c.booksClose = balanceThrough(m_cnn, m_account, last) + checkedTotals().net();
    return c;
}

QStringList BankImport::problems() const {
    QStringList out;
    const accounts::AccountLookup lookup = accounts::AccountLookup::Load(m_cnn);
    for (const ReviewLine& r : m_lines) {
        if (!r.checked)
            continue;
        const QString where =
            QStringLiteral("line %1 (%2, %3)")
                .arg(r.line.number)
                .arg(r.line.date.toString(Qt::ISODate), r.line.amount.formatStandard());
        if (r.account.isEmpty())
            out << where + QStringLiteral(": no account");
        else if (!lookup.findNo(r.account))
            out << where + QStringLiteral(": account %1 does not exist").arg(r.account);
        else if (sameKey(r.account, m_account))
            out << where + QStringLiteral(": the counter-account is the bank account itself");
    }
    return out;
}

CommandOutcome BankImport::write() {
    m_written = 0;
    if (!problems().isEmpty())
        return CommandOutcome::Abort;
    std::vector<size_t> chosen;
    for (size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].checked)
            chosen.push_back(i);
    if (chosen.empty())
        return CommandOutcome::Committed;
    // The numbers: the prefix and the next free number after the highest in use.
    const QString prefix = prefixOf(m_cnn, m_account);
    qint64 highest = 0;
    int width = 5;
    QSet<QString> used; // in upper case: those that may be the prefix's numbers
    const QByteArray prefixUtf8 = prefix.toUtf8();
    const bool asciiPrefix = prefixUtf8.size() == prefix.size();
    // Whether a number begins with the prefix (case-insensitive); an ASCII prefix is
    // compared on the bytes of numbers that begin in ASCII, without making their text.
    auto begins = [&](QByteArrayView no) {
        if (asciiPrefix && no.size() >= prefixUtf8.size()) {
            bool ascii = true, same = true;
            for (qsizetype i = 0; i < prefixUtf8.size() && ascii; ++i) {
                const auto c = uchar(no[i]);
                ascii = c < 0x80;
                same = same && QChar::toLower(char32_t(c)) ==
                                   QChar::toLower(char32_t(uchar(prefixUtf8[i])));
            }
            if (ascii)
                return same;
        }
        return QString::fromUtf8(no).startsWith(prefix, Qt::CaseInsensitive);
    };
    for (const char* table : {"Ledger_Transactions", "Ledger_TransactionHistories"})
        for (RowSet rs =
                 m_cnn.stream(QStringLiteral("SELECT TransactionNo FROM ") + QLatin1String(table));
             !rs.eof(); rs.moveNext()) {
            const QByteArrayView bytes = rs.utf8(0);
            if (!begins(bytes)) {
                // a number in ASCII that does not begin with the prefix is never one of
                // its numbers in upper case; another may be (a sharp s is SS)
                if (std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; }))
                    used.insert(QString::fromUtf8(bytes).toUpper());
                continue;
            }
            const QString no = QString::fromUtf8(bytes);
            used.insert(no.toUpper());
            bool ok = false;
            const QString digits = no.mid(prefix.size());
            const qint64 n = digits.toLongLong(&ok);
            if (ok && !digits.startsWith(QLatin1Char('-')) &&
                !digits.startsWith(QLatin1Char('+'))) {
                highest = std::max(highest, n);
                width = std::max(width, int(digits.size()));
            }
        }
    std::vector<Rule> rules = m_rules;
    for (const size_t i : chosen) {
        const ReviewLine& r = m_lines[i];
        if (!r.remember)
            continue;
        Rule rule;
        rule.field = Rule::Field::Counterparty;
        rule.pattern = r.line.counterparty;
        rule.account = r.account;
        if (std::find(rules.begin(), rules.end(), rule) == rules.end())
            rules.push_back(rule);
    }
    if (!snapshots::takeBefore(m_cnn, snapshots::Step::Import))
        return CommandOutcome::Abort;
    std::vector<QString> numbers;
    const CommandOutcome outcome = runSavingCommand(m_cnn, [&](StatementRunner& run) {
        numbers.clear();
        qint64 next = highest;
        for (const size_t i : chosen) {
            const ReviewLine& r = m_lines[i];
            QString no;
            do
                no = prefix + QStringLiteral("%1").arg(++next, width, 10, QLatin1Char('0'));
            while (used.contains(no.toUpper()));
            journal::TransactionHeader header{no, r.line.reference, r.description, r.line.date};
            journal::WriteTransaction(run, header,
                                      {{m_account, r.line.amount}, {r.account, -r.line.amount}},
                                      journal::SaveMode::Add);
            run.run(modDBUtil::InsertBankIdentity(m_account, r.line.identity, no, r.line.date,
                                                  r.line.amount));
            numbers.push_back(no);
        }
        if (rules != m_rules)
            writeRules(run, m_account, rules);
    });
    if (outcome != CommandOutcome::Committed)
        return outcome;
    m_rules = rules;
    for (size_t k = 0; k < chosen.size(); ++k) {
        ReviewLine& r = m_lines[chosen[k]];
        r.transactionNo = numbers[k];
        r.status = LineStatus::Duplicate;
        r.duplicateOf = numbers[k];
        r.checked = false;
        m_firstWritten = m_written == 0 ? r.line.date : std::min(m_firstWritten, r.line.date);
        m_lastWritten = m_written == 0 ? r.line.date : std::max(m_lastWritten, r.line.date);
        ++m_written;
    }
    return outcome;
}

} // namespace zelk::bank
