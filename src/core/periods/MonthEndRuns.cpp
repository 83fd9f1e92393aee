#include "MonthEndRuns.h"

#include "core/data/modDBUtil.h"

#include <QSet>
#include <vector>

namespace zelk::periods {

FiscalMonth FiscalMonth::of(const CompanyRow& company, int month) {
    const int begin = company.FinancialPeriodBegin;
    const int year = company.CurrentPeriodYear;
    return {fiscal::periodOfMonth(begin, month), fiscal::firstDayOfMonth(begin, year, month),
            fiscal::lastDayOfMonth(begin, year, month)};
}

bool EndMonth::confirmUnposted(int Month) {
    RowSet companyRows, unposted;
    if (!tryQuery(modDBUtil::GetCompany(), companyRows))
        return false;
    const FiscalMonth m = FiscalMonth::of(CompanyRow::fromRows(companyRows), Month);
    if (!tryQuery(modDBUtil::GetUnpostedCountInRange(m.firstDay, m.lastDay), unposted))
        return false;
    const qint64 n = unposted.eof() ? 0 : unposted.value(0).toLongLong();
    if (n == 0)
        return true;
    const QString question =
        n == 1
            ? QStringLiteral("%1 transaction dated in %2 is not posted and stays in the journal. "
                             "End %3 anyway?")
            : QStringLiteral("%1 transactions dated in %2 are not posted and stay in the "
                             "journal. End %3 anyway?");
    return ui().askYesNo(
        question.arg(n).arg(fiscal::monthOfDate(m.firstDay), fiscal::monthName(Month)),
        QStringLiteral("End Month"));
}

RunOutcome EndMonth::run(int Month) {
    if (Month < 1 || Month > 12)
        return RunOutcome::NotStarted;
    m_endedBefore = false;
    m_moved = 0;
    if (!confirmUnposted(Month))
        return RunOutcome::NotStarted;
    // The statements below only move lines whose references were checked when they
    // were written, and delete a transaction only once all its lines have gone: the
    // engine's checks would only double the work of every DELETE and INSERT.
    ReferenceChecksOff unchecked(m_cnn);
    return perform(QStringLiteral("End month is done!"), [&] {
        const CompanyRow company = readCompany();
        const int year = company.CurrentPeriodYear;
        const FiscalMonth m = FiscalMonth::of(company, Month);
        m_monthName = fiscal::monthOfDate(m.firstDay);
        // A month ended before has history lines.
        m_endedBefore =
            count(modDBUtil::GetTransactionHistoryCountInRange(m.firstDay, m.lastDay)) > 0;
        const int trxs = count(modDBUtil::GetPostedCountInRange(m.firstDay, m.lastDay));
        RowSet ledger = execute(modDBUtil::GetGeneralOfPeriod(year, m.period));
        if (trxs == 0)
            return;
        startSteps(trxs + ledger.recordCount());

        // The month's transactions move with three statements: their lines are copied
        // to the history, then deleted, then the transactions whose lines went to the
        // history are deleted (a transaction without lines stays). Then the progress
        // moves one step per transaction. A statement per line and per transaction
        // would take about twice as long, and deleting the lines with their
        // transactions (the cascade) twice as long again.
        execute(modDBUtil::InsertTransactionHistoriesInRange(m.firstDay, m.lastDay));
        execute(modDBUtil::DeletePostedTransactionDetailsInRange(m.firstDay, m.lastDay));
        execute(modDBUtil::DeleteMovedTransactionsInRange(m.firstDay, m.lastDay));
        m_moved = trxs - count(modDBUtil::GetPostedCountInRange(m.firstDay, m.lastDay));
        for (int i = 0; i < trxs; ++i)
            step();

        for (ledger.moveFirst(); !ledger.eof(); ledger.moveNext()) {
            const QString account = ledger.text(QStringLiteral("AccountNo"));
            const Amount debit = ledger.amount(QStringLiteral("Debit"));
            const Amount credit = ledger.amount(QStringLiteral("Credit"));
            Amount movement;
            try {
                movement = debit - credit;
            } catch (const AmountOverflow&) {
                refuse(QStringLiteral("End Month stopped: the movement of account %1 in %2 "
                                      "(debits %3 less credits %4) passes the largest amount. "
                                      "Nothing was changed.")
                           .arg(account, m_monthName, debit.formatEntry(), credit.formatEntry()));
            }
            execute(modDBUtil::UpdateAccountBalanceColumn(account, year, m.period, movement));
            step();
        }
    });
}

QString EndMonth::doneText(const QString& doneMessage) const {
    if (!m_endedBefore)
        return doneMessage;
    if (m_moved == 0)
        return withNotes({QStringLiteral("%1 was ended before and nothing was posted in it since: "
                                         "nothing changed.")
                              .arg(m_monthName)},
                         doneMessage);
    return withNotes({QStringLiteral("%1 was ended before: this run added the %2 transaction(s) "
                                     "posted in it since.")
                          .arg(m_monthName)
                          .arg(m_moved)},
                     doneMessage);
}

namespace {

// One history line of the month being reopened.
struct HistoryLine {
    QString account;
    int seq;
    Amount amount;
};

// One transaction to rebuild: the lines of one number that share a date, source and
// description. A number used twice in the month gives two of them.
struct HistoryTransaction {
    QString no;
    QString source;
    QString description;
    QDate date;
    std::vector<HistoryLine> lines;
    QString rebuiltAs; // the number it comes back under
};

bool sameHeader(const HistoryTransaction& t, const QDate& date, const QString& source,
                const QString& description) {
    return t.date == date && t.source == source && t.description == description;
}

} // namespace

RunOutcome RevertEndMonth::run(int Month) {
    if (Month < 1 || Month > 12)
        return RunOutcome::NotStarted;
    m_renumbered.clear();
    return perform(QStringLiteral("Revert end month is done!"), [&] {
        const CompanyRow company = readCompany();
        const int year = company.CurrentPeriodYear;
        const FiscalMonth m = FiscalMonth::of(company, Month);
        RowSet rows = stream(modDBUtil::GetTransactionHistoriesInRange(m.firstDay, m.lastDay));
        RowSet ledger = execute(modDBUtil::GetGeneralOfPeriod(year, m.period));
        if (rows.isEmpty())
            return;

        // The lines come ordered by number: they are gathered into transactions first,
        // so that a number closed twice in the month comes back as two transactions.
        std::vector<HistoryTransaction> trxs;
        size_t firstOfNumber = 0;
        for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
            const QString no = rows.text(QStringLiteral("TransactionNo"));
            const QString source = rows.text(QStringLiteral("Source"));
            const QString description = rows.text(QStringLiteral("Description"));
            const QDate date = rows.date(QStringLiteral("DateStamp"));
            const HistoryLine line{rows.text(QStringLiteral("AccountNo")),
                                   int(rows.integer(QStringLiteral("Seq"))),
                                   rows.amount(QStringLiteral("Amount"))};
            if (trxs.empty() || !sameAccount(trxs.back().no, no))
                firstOfNumber = trxs.size();
            HistoryTransaction* into = nullptr;
            for (size_t i = firstOfNumber; i < trxs.size() && !into; ++i)
                if (sameHeader(trxs[i], date, source, description))
                    into = &trxs[i];
            if (!into) {
                trxs.push_back({no, source, description, date, {}, no});
                into = &trxs.back();
            }
            for (const HistoryLine& l : into->lines)
                if (l.seq == line.seq)
                    refuse(QStringLiteral("Transaction no. %1 is in the history of %2 twice, with "
                                          "the same date, source and description: its lines "
                                          "cannot be told apart, so the month cannot be reopened.")
                               .arg(no, fiscal::monthOfDate(m.firstDay)));
            into->lines.push_back(line);
        }

        // A number that the journal holds, or that an earlier transaction of this run
        // came back under, is not used again: the transaction gets the first free
        // "<number>-2", "<number>-3" ...
        QSet<QString> used;
        auto taken = [&](const QString& no, bool inHistory) {
            if (used.contains(accountKey(no)) || !execute(modDBUtil::GetTransaction(no)).eof())
                return true;
            return inHistory && !execute(modDBUtil::GetTransactionHistoryDates(no, QDate(1, 1, 1),
                                                                               QDate(9999, 12, 31)))
                                     .eof();
        };
        for (HistoryTransaction& t : trxs) {
            for (int k = 2; taken(t.rebuiltAs, t.rebuiltAs != t.no); ++k)
                t.rebuiltAs = t.no + QLatin1Char('-') + QString::number(k);
            used.insert(accountKey(t.rebuiltAs));
            if (t.rebuiltAs != t.no)
                m_renumbered.push_back({t.no, t.date, t.rebuiltAs});
        }

        int lines = 0;
        for (const HistoryTransaction& t : trxs)
            lines += int(t.lines.size());
        startSteps(lines + ledger.recordCount());
        for (const HistoryTransaction& t : trxs) {
            execute(
                modDBUtil::InsertTransaction(t.rebuiltAs, t.source, t.description, t.date, true));
            for (const HistoryLine& line : t.lines) {
                execute(modDBUtil::InsertTransactionDetail(t.rebuiltAs, line.account, line.seq,
                                                           line.amount));
                execute(modDBUtil::DeleteTransactionHistoryInRange(t.no, line.account, m.firstDay,
                                                                   m.lastDay));
                step();
            }
        }

        for (ledger.moveFirst(); !ledger.eof(); ledger.moveNext()) {
            execute(modDBUtil::UpdateAccountBalanceColumn(ledger.text(QStringLiteral("AccountNo")),
                                                          year, m.period, Amount()));
            step();
        }
    });
}

QString RevertEndMonth::doneText(const QString& doneMessage) const {
    if (m_renumbered.empty())
        return doneMessage;
    QString text = QStringLiteral("%1 transaction(s) came back under another number, as their "
                                  "number was taken:")
                       .arg(m_renumbered.size());
    for (const Renumbered& r : m_renumbered)
        text += QStringLiteral("\n%1 of %2 as %3")
                    .arg(r.transactionNo, r.dateStamp.toString(QStringLiteral("yyyy-MM-dd")),
                         r.rebuiltAs);
    return withNotes({text}, doneMessage);
}

} // namespace zelk::periods
