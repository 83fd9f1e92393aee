#include "PostingRuns.h"

#include "core/data/modDBUtil.h"

#include <QHash>
#include <algorithm>
#include <deque>
#include <limits>
#include <unordered_map>

namespace zelk::periods {

namespace {

// The general-ledger rows of one run: each read once (GetGeneral) when a line first
// needs it, its debit and credit totals then kept here, and every row that changed
// written once (UpdateGeneral) at the end of the run.
class LedgerRows {
public:
    struct Row {
        QString account; // as the first line that needed it spelt it
        int year;
        int period;
        bool exists;
        Amount debit;
        Amount credit;
        bool changed;
    };

    template <class Run>
    Row& find(Run&& runQuery, const QString& account, int year, int period) {
        Key key{accountKey(account), year * 100 + period};
        const auto found = m_index.find(key);
        if (found != m_index.end())
            return m_rows[found->second];
        RowSet g = runQuery(modDBUtil::GetGeneral(account, year, period));
        Row row{account, year, period, !g.eof(), Amount(), Amount(), false};
        if (row.exists) {
            row.debit = g.amount(QStringLiteral("Debit"));
            row.credit = g.amount(QStringLiteral("Credit"));
        }
        m_rows.push_back(row);
        m_index.emplace(std::move(key), m_rows.size() - 1);
        return m_rows.back();
    }

    // The changed rows, in the order the run first needed them.
    template <class Run>
    void writeChanged(Run&& runStatement) {
        for (const Row& r : m_rows)
            if (r.changed)
                runStatement(
                    modDBUtil::UpdateGeneral(r.account, r.year, r.period, r.debit, r.credit));
    }

private:
    // An account as the database compares it, with its year and period.
    struct Key {
        QString account;
        int yearPeriod;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const {
            return qHash(k.account) ^ (size_t(k.yearPeriod) * 0x9E3779B97F4A7C15ULL);
        }
    };
    std::deque<Row> m_rows;
    std::unordered_map<Key, size_t, KeyHash> m_index;
};

// A line's debit and credit: a positive amount is a debit, any other a credit.
struct Split {
    Amount debit;
    Amount credit;
};
Split split(Amount amount) {
    if (amount > Amount())
        return {amount, Amount()};
    return {Amount(), amount.abs()};
}

// A ledger total that would pass the largest amount: which row, and which column.
struct LedgerOverflow {
    QString account;
    QDate date;
    bool debit;
};

// Adds (sign +1) or takes off (-1) a line's amounts on its row; LedgerOverflow names the
// row's total that would leave the range of an amount.
void move(LedgerRows::Row& row, const Split& amounts, int sign, const QDate& date) {
    try {
        row.debit = sign > 0 ? row.debit + amounts.debit : row.debit - amounts.debit;
    } catch (const AmountOverflow&) {
        throw LedgerOverflow{row.account, date, true};
    }
    try {
        row.credit = sign > 0 ? row.credit + amounts.credit : row.credit - amounts.credit;
    } catch (const AmountOverflow&) {
        throw LedgerOverflow{row.account, date, false};
    }
    row.changed = true;
}

QString missingRowReason(const QString& account, int year, int period, int openYear) {
    if (year != openYear)
        return QStringLiteral("dated outside the open fiscal year %1").arg(openYear);
    return QStringLiteral("account %1 has no general-ledger row for period %2 of %3")
        .arg(account)
        .arg(period)
        .arg(year);
}

// The walk that posting and its reversal share; sign +1 adds the lines, -1 takes them
// off. The lines come as one stream, each transaction's lines together. The
// transactions left as they were are added to `skipped`, the first day of each month a
// carried transaction is dated in to `months`; the caller then sets the flag
// of every other transaction of the range with one statement (a statement per
// transaction while the stream is read would make the engine find the stream's place
// again after every change of the table it reads).
template <class Query, class Step>
void walk(Query&& query, Step&& nextStep, RowSet& lines, int begin, int openYear, int sign,
          std::vector<SkippedTransaction>& skipped, std::vector<QDate>& months) {
    LedgerRows ledger;
    struct Move {
        LedgerRows::Row* row;
        Split amounts;
    };
    std::vector<Move> moves;
    const QString numberField = QStringLiteral("TransactionNo");
    const QString accountField = QStringLiteral("AccountNo");
    while (!lines.eof()) {
        const QString no = lines.text(numberField);
        const QDate date = lines.date(QStringLiteral("DateStamp"));
        const fiscal::PeriodOfDate when = fiscal::periodOfDate(begin, date);
        // Every line's row is looked up before anything is added: a transaction is
        // carried over whole or not at all.
        moves.clear();
        QString reason; // why the transaction is left as it was
        for (; !lines.eof() && lines.text(numberField) == no; lines.moveNext()) {
            if (!reason.isEmpty() || lines.isNull(accountField))
                continue; // the rest of a transaction left as it was; or one without lines
            const QString account = lines.text(accountField);
            LedgerRows::Row& row = ledger.find(query, account, when.periodYear, when.period);
            if (!row.exists) {
                reason = missingRowReason(account, when.periodYear, when.period, openYear);
                continue;
            }
            moves.push_back({&row, split(lines.amount(QStringLiteral("Amount")))});
        }
        // Only a balanced transaction is posted, so the ledger's debits always equal its
        // credits; taking one off again is always allowed.
        if (reason.isEmpty() && sign > 0) {
            Amount debits, credits;
            try {
                for (const Move& m : moves) {
                    debits += m.amounts.debit;
                    credits += m.amounts.credit;
                }
            } catch (const AmountOverflow&) {
                reason = QStringLiteral("its debits or credits pass the largest amount");
            }
            if (reason.isEmpty() && debits != credits)
                reason = QStringLiteral("debits %1 and credits %2 do not balance")
                             .arg(debits.formatEntry(), credits.formatEntry());
        }
        if (!reason.isEmpty()) {
            skipped.push_back({no, date, reason});
        } else {
            for (const Move& m : moves)
                move(*m.row, m.amounts, sign, date);
            const QDate month(date.year(), date.month(), 1);
            if (std::find(months.begin(), months.end(), month) == months.end())
                months.push_back(month);
        }
        nextStep();
    }
    ledger.writeChanged(query);
}

} // namespace

QString skippedMessage(const std::vector<SkippedTransaction>& skipped, const QString& notDone) {
    if (skipped.empty())
        return QString();
    constexpr size_t Listed = 20;
    QString text =
        QStringLiteral("%1 transaction(s) were not %2:").arg(skipped.size()).arg(notDone);
    for (size_t i = 0; i < skipped.size() && i < Listed; ++i)
        text += QStringLiteral("\n%1 of %2: %3")
                    .arg(skipped[i].transactionNo,
                         skipped[i].dateStamp.toString(QStringLiteral("yyyy-MM-dd")),
                         skipped[i].reason);
    if (skipped.size() > Listed)
        text += QStringLiteral("\n... and %1 more.").arg(skipped.size() - Listed);
    return text;
}

namespace {
const PostingRun::Direction Posting{+1, true, "Posting transactions is done!", "posted",
                                    "Post Transactions"};
const PostingRun::Direction Reverting{-1, false, "Reverting postings is done!", "reverted",
                                      "Revert Postings"};
} // namespace

PostTransactions::PostTransactions(Connection& cnn, ProgressSink& progress)
    : PostingRun(cnn, progress, Posting) {}

RevertPostings::RevertPostings(Connection& cnn, ProgressSink& progress)
    : PostingRun(cnn, progress, Reverting) {}

QDate PostingRun::proposedDateTo() {
    const CompanyRow company = CompanyRow::read(m_cnn);
    const int begin = company.FinancialPeriodBegin;
    RowSet last = m_cnn.execute(modDBUtil::GetLastTransactionDate(
        fiscal::firstDayOfYear(begin, company.CurrentPeriodYear),
        fiscal::lastDayOfYear(begin, company.CurrentPeriodYear), !m_direction.postedAfter));
    const QDate day = last.eof() ? QDate() : last.date(QStringLiteral("LastDate"));
    return day.isValid() ? QDate(day.year(), day.month(), day.daysInMonth()) : QDate();
}

RunOutcome PostingRun::run(const QDate& DateFrom, const QDate& DateTo) {
    m_skipped.clear();
    m_carried = 0;
    m_endedMonths.clear();
    m_range = {DateFrom, DateTo};
    // The transactions the run carries over are those whose flag it turns.
    const bool postedBefore = !m_direction.postedAfter;
    return perform(QString::fromLatin1(m_direction.doneMessage), [&] {
        const CompanyRow company = readCompany();
        RowSet lines =
            stream(postedBefore ? modDBUtil::GetPostedTransactionLinesInRange(DateFrom, DateTo)
                                : modDBUtil::GetUnpostedTransactionLinesInRange(DateFrom, DateTo));
        if (lines.isEmpty())
            return;
        // a step per transaction, and one for the posted flags
        startSteps(count(postedBefore ? modDBUtil::GetPostedCountInRange(DateFrom, DateTo)
                                      : modDBUtil::GetUnpostedCountInRange(DateFrom, DateTo)) +
                   1);
        std::vector<QDate> months;
        try {
            walk([this](const QString& sql) { return execute(sql); },
                 [this] {
                     ++m_carried;
                     step();
                 },
                 lines, company.FinancialPeriodBegin, company.CurrentPeriodYear, m_direction.sign,
                 m_skipped, months);
        } catch (const LedgerOverflow& o) {
            refuse(QStringLiteral("%1 stopped: the %2 of account %3 in %4 would pass the largest "
                                  "amount, %5. Nothing was %6.")
                       .arg(QString::fromLatin1(m_direction.title),
                            o.debit ? QStringLiteral("debits") : QStringLiteral("credits"),
                            o.account, fiscal::monthOfDate(o.date),
                            Amount::fromRaw(std::numeric_limits<std::int64_t>::max()).formatEntry(),
                            QString::fromLatin1(m_direction.notDone)));
        }
        m_carried -= int(m_skipped.size());
        lines.close();
        // A month End Month has closed holds history lines: postings into it are not in
        // its period balances until End Month runs for it again.
        std::sort(months.begin(), months.end());
        if (m_direction.sign > 0)
            for (const QDate& first : months)
                if (count(modDBUtil::GetTransactionHistoryCountInRange(
                        first, QDate(first.year(), first.month(), first.daysInMonth()))) > 0)
                    m_endedMonths << fiscal::monthOfDate(first);
        execute(
            modDBUtil::UpdateTransactionsPostedInRange(DateFrom, DateTo, m_direction.postedAfter));
        for (const SkippedTransaction& t : m_skipped)
            execute(modDBUtil::UpdateTransactionPosted(t.transactionNo, postedBefore));
        step();
    });
}

QString PostingRun::doneText(const QString& doneMessage) const {
    if (m_carried == 0 && m_skipped.empty() && m_direction.sign < 0)
        return QStringLiteral("No posted transaction in the journal is dated %1 to %2: nothing "
                              "was reverted. (Transactions closed by End Month come back to the "
                              "journal with Revert End Month.)")
            .arg(m_range.first.toString(QStringLiteral("yyyy-MM-dd")),
                 m_range.second.toString(QStringLiteral("yyyy-MM-dd")));
    QString ended;
    if (!m_endedMonths.isEmpty())
        ended = QStringLiteral("Posted into months already ended: %1. Run End Month again for "
                               "them to close these postings.")
                    .arg(m_endedMonths.join(QStringLiteral(", ")));
    return withNotes({skippedMessage(m_skipped, QString::fromLatin1(m_direction.notDone)), ended},
                     doneMessage);
}

} // namespace zelk::periods
