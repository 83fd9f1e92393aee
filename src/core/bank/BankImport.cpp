#include "BankImport.h"

#include "core/accounts/AccountLookup.h"
#include "core/books/Snapshots.h"
#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/RowSet.h"
#include "core/data/VectorState.h"
#include "core/data/modDBUtil.h"
#include "core/data/modUtils.h"
#include "core/journal/TransactionEntry.h"
#include "core/shared/HandOver.h"

#include <QHash>
#include <QSet>
#include <QStringBuilder>
#include <algorithm>
#include <future>
#include <map>
#include <string>
#include <string_view>
#include <utility>

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

bool isAscii(QByteArrayView bytes) {
    return std::none_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; });
}

// Calls add with each word of a text in UTF-8, as wordsOf finds them, once each; a text
// in ASCII without making a text of each word.
template <class Add>
void forEachWord(QByteArrayView text, Add add) {
    if (!isAscii(text)) {
        for (const QString& w : wordsOf(QString::fromUtf8(text)))
            add(QByteArrayView(w.toUtf8()));
        return;
    }
    std::string lower(text.data(), size_t(text.size()));
    for (char& c : lower)
        c = c >= 'A' && c <= 'Z' ? char(c + 32) : c;
    auto letterOrDigit = [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); };
    std::vector<std::string_view> seen; // the few words of a description
    for (size_t i = 0; i < lower.size();) {
        while (i < lower.size() && !letterOrDigit(lower[i]))
            ++i;
        const size_t start = i;
        bool digits = true;
        for (; i < lower.size() && letterOrDigit(lower[i]); ++i)
            digits = digits && lower[i] <= '9';
        const std::string_view w(lower.data() + start, i - start);
        if (w.size() >= 2 && !digits && std::find(seen.begin(), seen.end(), w) == seen.end()) {
            seen.push_back(w);
            add(QByteArrayView(w.data(), qsizetype(w.size())));
        }
    }
}

// A day as the books store it ("yyyy-MM-dd", maybe with a time after it).
QDate dayOf(QByteArrayView day) {
    auto digitsAt = [&](qsizetype from, qsizetype count) {
        int v = 0;
        for (qsizetype i = from; i < from + count; ++i) {
            if (day[i] < '0' || day[i] > '9')
                return -1;
            v = v * 10 + (day[i] - '0');
        }
        return v;
    };
    if (day.size() >= 10 && day[4] == '-' && day[7] == '-' &&
        (day.size() == 10 || day[10] == ' ' || day[10] == 'T')) {
        const int y = digitsAt(0, 4), m = digitsAt(5, 2), d = digitsAt(8, 2);
        if (y >= 0 && m >= 0 && d >= 0)
            return QDate(y, m, d);
    }
    return QDate::fromString(QString::fromUtf8(day).left(10), Qt::ISODate);
}

// The engine's NOCASE order: ASCII letters folded, bytes compared, a text before those it
// begins.
int compareNoCase(QByteArrayView a, QByteArrayView b) {
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

// An index from texts (bytes) to numbers for the many look-ups of one reading: open
// addressing over one array, the texts kept in one buffer.
class TextIndex {
public:
    // The number of the text; -1 when it has none.
    int find(std::string_view text) const {
        if (m_slots.empty())
            return -1;
        const quint64 hash = hashOf(text);
        for (size_t i = hash & (m_slots.size() - 1);; i = (i + 1) & (m_slots.size() - 1)) {
            const Slot& s = m_slots[i];
            if (s.value < 0)
                return -1;
            if (s.hash == hash && textOf(s) == text)
                return s.value;
        }
    }
    // Gives a text that has no number yet the number value.
    void insert(std::string_view text, int value) {
        if ((m_count + 1) * 2 > m_slots.size())
            grow();
        Slot s{hashOf(text), quint32(m_texts.size()), quint32(text.size()), value};
        m_texts.append(text);
        place(s);
        ++m_count;
    }
    int size() const { return int(m_count); }

private:
    struct Slot {
        quint64 hash = 0;
        quint32 offset = 0, length = 0;
        int value = -1; // -1: empty
    };
    static quint64 hashOf(std::string_view text) { // FNV-1a
        quint64 h = 14695981039346656037ull;
        for (const char c : text)
            h = (h ^ uchar(c)) * 1099511628211ull;
        return h;
    }
    std::string_view textOf(const Slot& s) const {
        return std::string_view(m_texts).substr(s.offset, s.length);
    }
    void place(const Slot& s) {
        size_t i = s.hash & (m_slots.size() - 1);
        while (m_slots[i].value >= 0)
            i = (i + 1) & (m_slots.size() - 1);
        m_slots[i] = s;
    }
    void grow() {
        std::vector<Slot> old(std::max<size_t>(1024, m_slots.size() * 2));
        old.swap(m_slots);
        for (const Slot& s : old)
            if (s.value >= 0)
                place(s);
    }
    std::vector<Slot> m_slots;
    std::string m_texts;
    size_t m_count = 0;
};

// A past transaction of the bank account, its lines added up as they are read. Its texts
// are kept one after another in the reading's pool (UTF-8): the number as spelt, its key
// (the number folded as the engine compares it, a NUL and its day) and the description
// of its first line; the thread that adds the lines up makes no allocation of its own
// for a transaction, which would stay in that thread's heap when it ends.
struct PastTransaction {
    size_t at = 0;
    quint32 noLength = 0, keyLength = 0, dayLength = 0, descriptionLength = 0;
    int counter = -1; // the account of the other line of the largest amount (the reading's)
    Amount bankAmount, largest;
    bool mine = false; // a line of the bank account's (as the engine compares accounts)
};

// The past transactions of the bank account in the order of their number (NOCASE) and
// day, with their texts and the accounts of their other lines.
struct PastReading {
    std::string pool;
    std::vector<PastTransaction> transactions;
    std::vector<QString> spellings; // an account as spelt, by PastTransaction::counter
    std::vector<int> ids;           // that account as the books compare accounts

    std::string_view no(const PastTransaction& t) const {
        return std::string_view(pool).substr(t.at, t.noLength);
    }
    std::string_view key(const PastTransaction& t) const {
        return std::string_view(pool).substr(t.at + t.noLength, t.keyLength);
    }
    std::string_view day(const PastTransaction& t) const {
        return key(t).substr(t.keyLength - t.dayLength);
    }
    std::string_view description(const PastTransaction& t) const {
        return std::string_view(pool).substr(t.at + t.noLength + t.keyLength, t.descriptionLength);
    }
};

// The lines of the three reads below as the engine gives them, copied for the thread that
// adds them up: a line's texts one after another in `bytes`.
struct PastLines {
    enum class Kind : quint8 { Number, Journal, History };
    struct Line {
        Kind kind;
        bool text;  // a history line whose account the engine holds as text
        quint32 at; // where its texts begin in bytes
        quint32 no, day, description, account; // their lengths
        Amount amount;
    };
    std::string bytes;
    std::vector<Line> lines;

    bool empty() const { return lines.empty(); }
    void clear() {
        bytes.clear();
        lines.clear();
    }
    bool full() const { return lines.size() >= 4096; }
    void add(Kind kind, QByteArrayView no, QByteArrayView day = {}, QByteArrayView description = {},
             QByteArrayView account = {}, Amount amount = Amount(), bool text = false) {
        lines.push_back(Line{kind, text, quint32(bytes.size()), quint32(no.size()),
                             quint32(day.size()), quint32(description.size()),
                             quint32(account.size()), amount});
        for (const QByteArrayView text : {no, day, description, account})
            bytes.append(text.data(), size_t(text.size()));
    }
};

// Reads the transactions, journal and history, that have a line of the account. A
// transaction is its number (as the engine compares it: ASCII letters folded) and its
// date; the history is read in two passes of its table, the transactions of the account
// found first, without making a text of a line that is not theirs. This thread steps the
// engine through the rows while a thread of their own adds them up.
class PastReader {
public:
    explicit PastReader(const QString& account)
        : m_account(account), m_accountUtf8(account.toUtf8()) {}

    PastReading read(Connection& cnn) {
        HandOver<PastLines> adding([this](const PastLines& b) { add(b); });
        auto handOver = [&] {
            if (adding.filling().full())
                adding.handOver();
        };
        const QString no = modUtils::SqlText(m_account);
        for (RowSet rs = cnn.stream(
                 QStringLiteral(
                     "SELECT Ledger_Transactions.TransactionNo AS TransactionNo, "
                     "Ledger_Transactions.DateStamp AS DateStamp, "
                     "Ledger_Transactions.Description AS Description, "
                     "Ledger_TransactionDetails.FKID_Account AS AccountNo, "
                     "Ledger_TransactionDetails.Amount AS Amount "
                     "FROM Ledger_Transactions INNER JOIN Ledger_TransactionDetails ON "
                     "Ledger_Transactions.TransactionNo = "
                     "Ledger_TransactionDetails.FKID_Transaction "
                     "WHERE Ledger_Transactions.TransactionNo IN (SELECT FKID_Transaction FROM "
                     "Ledger_TransactionDetails WHERE FKID_Account=") %
                 no % QStringLiteral(")"));
             !rs.eof(); rs.moveNext()) {
            const Amount amount = amountOf(rs);
            adding.filling().add(PastLines::Kind::Journal, rs.utf8(0), rs.utf8(1), rs.utf8(2),
                                 rs.utf8(3), amount, true);
            handOver();
        }
        // The numbers of the account's transactions in the history, from the index of the
        // history's numbers (a third of the table's pages); they lie between the lowest and
        // the highest (the engine's order), and the rows outside are passed over by the
        // engine in the pass below.
        QByteArray low, high;
        bool any = false;
        for (RowSet rs = cnn.stream(QStringLiteral("SELECT TransactionNo FROM "
                                                   "Ledger_TransactionHistories WHERE "
                                                   "FKID_Account=") %
                                    no);
             !rs.eof(); rs.moveNext()) {
            const QByteArrayView n = rs.utf8(0);
            adding.filling().add(PastLines::Kind::Number, n);
            handOver();
            if (!any || compareNoCase(n, low) < 0)
                low = n.toByteArray();
            if (!any || compareNoCase(n, high) > 0)
                high = n.toByteArray();
            any = true;
        }
        // A transaction is its number and its day: the lines of a number are those of the
        // account's transactions when one line of their day is the account's.
        if (any) {
            // A transaction's first line read is the first of the lines of its number and
            // day that follow each other: only that one's description is copied.
            std::string lastNo, lastDay;
            // (an empty text would be written as NULL; a column after the engine's + is
            // compared by its bytes unless it is given its NOCASE again)
            const QString range =
                low.isEmpty()
                    ? QString()
                    : QStringLiteral(" WHERE +TransactionNo COLLATE NOCASE BETWEEN ") %
                          modUtils::SqlText(QString::fromUtf8(low)) % QStringLiteral(" AND ") %
                          modUtils::SqlText(QString::fromUtf8(high));
            for (RowSet rs = cnn.stream(
                     QStringLiteral("SELECT TransactionNo, DateStamp, Description, FKID_Account "
                                    "AS AccountNo, Amount FROM Ledger_TransactionHistories") %
                     range);
                 !rs.eof(); rs.moveNext()) {
                const QByteArrayView n = rs.utf8(0), day = rs.utf8(1);
                const bool first = !same(n, lastNo) || !same(day, lastDay);
                if (first) {
                    lastNo.assign(n.data(), size_t(n.size()));
                    lastDay.assign(day.data(), size_t(day.size()));
                }
                // the engine compares an account stored as text alone with the account's
                const bool text = rs.stored(3) == RowSet::Stored::Text;
                const Amount amount = amountOf(rs);
                adding.filling().add(PastLines::Kind::History, n, day,
                                     first ? rs.utf8(2) : QByteArrayView(), rs.utf8(3), amount,
                                     text);
                handOver();
            }
        }
        adding.finish();
        // a transaction of the history none of whose lines is the account's is not its
        std::vector<PastTransaction>& past = m_reading.transactions;
        past.erase(std::remove_if(past.begin(), past.end(),
                                  [](const PastTransaction& p) { return !p.mine; }),
                   past.end());
        // in the order of their number (NOCASE) and date: of their keys' bytes
        std::vector<std::pair<std::string_view, size_t>> order;
        order.reserve(past.size());
        for (size_t i = 0; i < past.size(); ++i)
            order.emplace_back(m_reading.key(past[i]), i);
        std::sort(order.begin(), order.end()); // each key is one transaction's
        std::vector<PastTransaction> sorted;
        sorted.reserve(past.size());
        for (const auto& [key, i] : order)
            sorted.push_back(past[i]);
        past = std::move(sorted);
        for (const Account& a : m_accounts) {
            m_reading.spellings.push_back(a.spelling);
            m_reading.ids.push_back(a.id);
        }
        return std::move(m_reading);
    }

private:
    struct Account {
        QString spelling;
        int id = -1;
        bool bank = false;
        bool engineBank = false; // the same with ASCII letters alone folded (NOCASE)
    };

    static bool same(QByteArrayView bytes, const std::string& text) {
        return std::string_view(bytes.data(), size_t(bytes.size())) == text;
    }

    // The column Amount: money is stored as ten-thousandths; anything else is read as the
    // row set reads it.
    static Amount amountOf(const RowSet& rs) {
        switch (rs.stored(4)) {
        case RowSet::Stored::Integer:
            return Amount::fromRaw(rs.int64(4));
        case RowSet::Stored::Null:
            return Amount();
        default:
            return rs.amount(QStringLiteral("Amount"));
        }
    }

    // On the adding thread: the lines of a batch, in the order they were read.
    void add(const PastLines& b) {
        for (const PastLines::Line& l : b.lines) {
            const char* at = b.bytes.data() + l.at;
            const std::string_view no(at, l.no), day(at + l.no, l.day),
                description(at + l.no + l.day, l.description),
                account(at + l.no + l.day + l.description, l.account);
            switch (l.kind) {
            case PastLines::Kind::Number:
                if (m_numbers.find(folded(no)) < 0)
                    m_numbers.insert(m_key, 0);
                break;
            case PastLines::Kind::Journal:
                addLine(transaction(no, day, description, true), account, l.amount);
                break;
            case PastLines::Kind::History: {
                // the lines of a transaction come one after another
                if (no != m_lastNo) {
                    m_lastNo.assign(no);
                    m_lastKept = m_numbers.find(folded(no)) >= 0;
                }
                if (!m_lastKept)
                    break;
                const int t = transaction(no, day, description);
                const bool mine = addLine(t, account, l.amount) && l.text;
                m_reading.transactions[size_t(t)].mine =
                    m_reading.transactions[size_t(t)].mine || mine;
                break;
            }
            }
        }
    }

    // The number folded as the engine compares numbers (ASCII letters), in m_key.
    std::string_view folded(std::string_view no) {
        m_key.clear();
        for (const char c : no)
            m_key += c >= 'A' && c <= 'Z' ? char(c + 32) : c;
        return m_key;
    }

    // The transaction of the number and day, made when it is new (its first line read
    // gives its description); one of the journal is the account's (mine).
    int transaction(std::string_view no, std::string_view day, std::string_view description,
                    bool mine = false) {
        std::vector<PastTransaction>& past = m_reading.transactions;
        if (m_last >= 0 && m_reading.no(past[size_t(m_last)]) == no &&
            m_reading.day(past[size_t(m_last)]) == day)
            return m_last; // its lines come one after another
        folded(no);
        m_key += '\0';
        m_key.append(day);
        if (const int t = m_index.find(m_key); t >= 0)
            return m_last = t;
        const int t = m_last = int(past.size());
        m_index.insert(m_key, t);
        PastTransaction p;
        p.at = m_reading.pool.size();
        p.noLength = quint32(no.size());
        p.keyLength = quint32(m_key.size());
        p.dayLength = quint32(day.size());
        p.descriptionLength = quint32(description.size());
        m_reading.pool.append(no).append(m_key).append(description);
        p.mine = mine;
        past.push_back(p);
        return t;
    }

    // The reading's account of the number as spelt.
    int account(std::string_view no) {
        int known = m_accountIndex.find(no);
        if (known < 0) {
            Account a;
            a.spelling = QString::fromUtf8(no.data(), qsizetype(no.size()));
            a.bank = sameKey(a.spelling, m_account);
            a.engineBank =
                compareNoCase(QByteArrayView(no.data(), qsizetype(no.size())), m_accountUtf8) == 0;
            const QString upper = a.spelling.toUpper();
            auto id = m_ids.constFind(upper);
            if (id == m_ids.constEnd())
                id = m_ids.insert(upper, int(m_ids.size()));
            a.id = *id;
            known = int(m_accounts.size());
            m_accountIndex.insert(no, known);
            m_accounts.push_back(a);
        }
        return known;
    }

    // A line of the transaction t: whether its account is the bank account as the engine
    // compares accounts.
    bool addLine(int t, std::string_view accountNo, Amount a) {
        PastTransaction& p = m_reading.transactions[size_t(t)];
        const int known = account(accountNo);
        const Account& account = m_accounts[size_t(known)];
        if (account.bank) {
            p.bankAmount += a;
        } else if (a.abs() > p.largest) {
            p.largest = a.abs();
            p.counter = known;
        }
        return account.engineBank;
    }

    const QString m_account;
    const QByteArray m_accountUtf8;
    // on the adding thread while the rows are read
    PastReading m_reading;
    TextIndex m_numbers; // the account's numbers in the history, folded
    std::string m_lastNo;
    bool m_lastKept = false;
    TextIndex m_index;
    int m_last = -1; // the transaction of the line before
    std::string m_key;
    TextIndex m_accountIndex;
    std::vector<Account> m_accounts;
    QHash<QString, int> m_ids; // the accounts in upper case
};

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
        int counterId = -1;     // the counter-account as the books compare accounts
        std::vector<int> words; // sorted word ids
    };
    std::vector<Past> past;

    void add(const PastReading& r, const PastTransaction& t) {
        Past p;
        const std::string_view no = r.no(t), day = r.day(t), description = r.description(t);
        p.transactionNo = QString::fromUtf8(no.data(), qsizetype(no.size()));
        p.date = dayOf(QByteArrayView(day.data(), qsizetype(day.size())));
        p.bankAmount = t.bankAmount;
        if (t.counter >= 0) {
            p.counterAccount = r.spellings[size_t(t.counter)];
            p.counterId = r.ids[size_t(t.counter)];
        }
        forEachWord(QByteArrayView(description.data(), qsizetype(description.size())),
                    [&](QByteArrayView w) { p.words.push_back(wordId(w)); });
        std::sort(p.words.begin(), p.words.end());
        const int index = int(past.size());
        for (const int w : p.words)
            m_index[size_t(w)].push_back(index);
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
    int wordId(QByteArrayView w) {
        const std::string_view bytes(w.data(), size_t(w.size()));
        if (const int known = m_ids.find(bytes); known >= 0)
            return known;
        const int id = m_ids.size();
        m_ids.insert(bytes, id);
        m_index.emplace_back();
        return id;
    }
    int wordId(const QString& w) const { return m_ids.find(w.toUtf8().toStdString()); }
    const std::vector<int>* postings(const QString& w) const {
        const int id = wordId(w);
        return id < 0 ? nullptr : &m_index[size_t(id)];
    }
    std::vector<int> withAll(const QStringList& words) const {
        std::vector<const std::vector<int>*> lists;
        for (const QString& w : words) {
            const std::vector<int>* p = postings(w);
            if (!p)
                return {};
            lists.push_back(p);
        }
        if (lists.empty())
            return {};
        // the shortest first: every step after it is at most as long
        std::sort(lists.begin(), lists.end(),
                  [](const auto* a, const auto* b) { return a->size() < b->size(); });
        std::vector<int> out = *lists.front();
        for (size_t i = 1; i < lists.size() && !out.empty(); ++i) {
            std::vector<int> both;
            std::set_intersection(out.begin(), out.end(), lists[i]->begin(), lists[i]->end(),
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
            if (const int id = wordId(w); id >= 0)
                ids.push_back(id);
        std::sort(ids.begin(), ids.end());
        // the words shared with each transaction that has any, counted in m_shared
        m_shared.resize(past.size());
        std::vector<int> touched;
        for (const int id : ids) {
            const auto& p = m_index[size_t(id)];
            if (p.size() > past.size() / 2 + 1 && past.size() > 20)
                continue; // a word on most transactions tells nothing
            for (const int t : p)
                if (m_shared[size_t(t)]++ == 0)
                    touched.push_back(t);
        }
        std::sort(touched.begin(), touched.end());
        double best = 0.5;
        std::vector<int> out;
        for (const int t : touched) {
            const int n = std::exchange(m_shared[size_t(t)], 0);
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
        std::map<int, int> counts; // by account, in the order the books first name them
        for (const int t : found)
            if (past[size_t(t)].counterId >= 0)
                ++counts[past[size_t(t)].counterId];
        int best = -1;
        for (const auto& [id, n] : counts) {
            v.of += n;
            if (n > v.agree) {
                v.agree = n;
                best = id;
            }
        }
        // the account as the books spell it
        for (const int t : found)
            if (past[size_t(t)].counterId == best && best >= 0)
                v.account = past[size_t(t)].counterAccount;
        return v;
    }

    TextIndex m_ids; // words in UTF-8
    std::vector<std::vector<int>> m_index;
    mutable std::vector<int> m_shared; // zero but while mostSimilar counts
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

namespace {

// The order of the past transactions by their amount at the bank.
bool amountLess(const std::pair<qint64, const Learning::Past*>& a,
                const std::pair<qint64, const Learning::Past*>& b) {
    return a.first < b.first;
}

} // namespace

// What the books know of the bank account's past that the statement's lines are
// compared with.
struct BankImport::Known {
    QHash<QString, QString> imported; // identity -> transaction
    // the past transactions not from an import, by amount, then as read
    std::vector<std::pair<qint64, const Learning::Past*>> byAmount;
};

BankImport::BankImport(Connection& cnn, const QString& bankAccount, Statement statement)
    : m_cnn(cnn), m_account(bankAccount), m_statement(std::move(statement)),
      m_learning(std::make_unique<Learning>()) {
    m_rules = loadRules(cnn, bankAccount);
    propose(learn());
}

BankImport::BankImport(Connection& cnn, const QString& bankAccount,
                       const std::function<Statement()>& read)
    : m_cnn(cnn), m_account(bankAccount), m_learning(std::make_unique<Learning>()) {
    std::future<Statement> reading = std::async(std::launch::async, [&read] {
        clearVectorUppers(); // as this thread left them
        return read();
    });
    m_rules = loadRules(cnn, bankAccount);
    const Known known = learn();
    m_statement = reading.get();
    propose(known);
}

BankImport::~BankImport() = default;

BankImport::Known BankImport::learn() {
    Known known;
    // The lines imported before, by identity.
    QSet<QString> importedTransactions;
    for (RowSet rs = m_cnn.stream(modDBUtil::GetBankIdentities(m_account)); !rs.eof();
         rs.moveNext()) {
        known.imported.insert(rs.text(QStringLiteral("Identity")),
                              rs.text(QStringLiteral("TransactionNo")));
        importedTransactions.insert(rs.text(QStringLiteral("TransactionNo")).toUpper());
    }
    // The past transactions of the bank account, a transaction's lines together: what they
    // teach, and the lines not from an import that a statement line may repeat.
    std::vector<std::pair<qint64, const Learning::Past*>>& byAmount = known.byAmount;
    {
        const PastReading read = PastReader(m_account).read(m_cnn);
        for (const PastTransaction& t : read.transactions)
            m_learning->add(read, t);
    }
    for (const Learning::Past& p : m_learning->past)
        if (importedTransactions.isEmpty() ||
            !importedTransactions.contains(p.transactionNo.toUpper()))
            byAmount.emplace_back(p.bankAmount.raw(), &p);
    std::stable_sort(byAmount.begin(), byAmount.end(), amountLess);
    return known;
}

void BankImport::propose(const Known& known) {
    const auto& [imported, byAmount] = known;
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
        const auto [from, to] = std::equal_range(byAmount.begin(), byAmount.end(),
                                                 std::pair(l.amount.raw(), nullptr), amountLess);
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
    QHash<QString, bool> known; // a statement names few accounts, each many times
    const auto exists = [&](const QString& no) {
        auto it = known.find(no);
        if (it == known.end())
            it = known.insert(no, lookup.findNo(no) != nullptr);
        return *it;
    };
    for (const ReviewLine& r : m_lines) {
        if (!r.checked)
            continue;
        const auto where = [&] {
            return QStringLiteral("line %1 (%2, %3)")
                .arg(r.line.number)
                .arg(r.line.date.toString(Qt::ISODate), r.line.amount.formatStandard());
        };
        if (r.account.isEmpty())
            out << where() + QStringLiteral(": no account");
        else if (!exists(r.account))
            out << where() + QStringLiteral(": account %1 does not exist").arg(r.account);
        else if (sameKey(r.account, m_account))
            out << where() + QStringLiteral(": the counter-account is the bank account itself");
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
    // With an ASCII prefix two stretches of the numbers' index hold every number that may
    // be one of its numbers: those whose first character is the prefix's in either case
    // (among them the engine's LIKE, which folds ASCII letters alone, leaves out those in
    // ASCII that do not begin with it), and those that begin beyond ASCII (at U+0080). The
    // engine compares numbers by their UTF-8 bytes with ASCII letters folded.
    QStringList only{QString()};
    if (asciiPrefix && !prefix.isEmpty()) {
        QString pattern = prefix;
        pattern.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
            .replace(QLatin1Char('%'), QLatin1String("\\%"))
            .replace(QLatin1Char('_'), QLatin1String("\\_"));
        auto text = [](int code) { return QStringLiteral("char(%1)").arg(code); };
        const int first = QChar::toLower(char32_t(uchar(prefixUtf8[0])));
        only = {QStringLiteral(" WHERE TransactionNo >= ") + text(first) +
                    QStringLiteral(" AND TransactionNo < ") + text(first + 1) +
                    QStringLiteral(" AND (TransactionNo LIKE ") +
                    modUtils::SqlText(pattern + QLatin1Char('%')) +
                    QStringLiteral(" ESCAPE '\\' OR length(TransactionNo) <> "
                                   "length(CAST(TransactionNo AS BLOB)))"),
                QStringLiteral(" WHERE TransactionNo >= ") + text(0x80)};
    }
    for (const char* table : {"Ledger_Transactions", "Ledger_TransactionHistories"})
        for (const QString& where : only)
            for (RowSet rs = m_cnn.stream(QStringLiteral("SELECT TransactionNo FROM ") +
                                          QLatin1String(table) + where);
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
    // The snapshot is put on the disk while the lines are written, and whole before
    // they are committed.
    const std::unique_ptr<snapshots::Taking> snapshot =
        snapshots::startBefore(m_cnn, snapshots::Step::Import);
    if (!snapshot)
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
        if (!snapshot->finish())
            throw CommandUnwind(Abort);
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
