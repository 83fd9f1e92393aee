#include "YearEndRuns.h"

#include "core/books/Snapshots.h"
#include "core/data/modDBUtil.h"

#include <QSet>
#include <vector>

namespace zelk::periods {

namespace {

const QString PostedRefusal = QStringLiteral("Revert the postings of the current year first.");

modDBUtil::Saldos saldosOf(const RowSet& rs) {
    modDBUtil::Saldos s{};
    for (int i = 0; i < 12; ++i)
        s[size_t(i)] = rs.amount(QStringLiteral("Saldo") + QString::number(i + 1));
    return s;
}

} // namespace

bool EndYear::confirmJournal() {
    // Only the transactions dated up to the last day of the closing year leave the
    // journal; later ones stay for the new year.
    RowSet companyRows, posted, unposted;
    if (!tryQuery(modDBUtil::GetCompany(), companyRows)) {
        requestCancel();
        return false;
    }
    const CompanyRow company = CompanyRow::fromRows(companyRows);
    const QDate lastDay =
        fiscal::lastDayOfYear(company.FinancialPeriodBegin, company.CurrentPeriodYear);
    if (!tryQuery(modDBUtil::GetPostedCountToDate(lastDay), posted)) {
        requestCancel();
        return false;
    }
    const qint64 postedCount = posted.eof() ? 0 : posted.integer(QStringLiteral("PostedCount"));
    if (postedCount > 0) {
        ui().messageBox(QStringLiteral("You have ") + QString::number(postedCount) +
                            QStringLiteral(" posted transaction(s) not closed by End Month."),
                        QStringLiteral("End Year"));
        requestCancel();
        return false;
    }
    if (!tryQuery(modDBUtil::GetUnpostedCountToDate(lastDay), unposted)) {
        requestCancel();
        return false;
    }
    const qint64 u = unposted.eof() ? 0 : unposted.integer(QStringLiteral("UnPostedCount"));
    if (u >= 1 &&
        !ui().askOkCancel(QStringLiteral("You have ") + QString::number(u) +
                              QStringLiteral(" unposted transaction(s).") + QChar(u'\n') +
                              QStringLiteral("All unposted transaction will be deleted by ending "
                                             "the year."),
                          QStringLiteral("End Year"))) {
        requestCancel();
        return false;
    }
    return true;
}

QString EndYear::chooseEarningAccount(EarningAccountChooser& chooser) {
    RowSet accounts;
    if (!tryQuery(modDBUtil::GetAccountsOfClass(), accounts)) {
        requestCancel();
        return QString();
    }
    if (accounts.isEmpty()) {
        ui().messageBox(
            QStringLiteral("You must at least have one account of earning account class!"),
            appTitle());
        requestCancel();
        return QString();
    }
    if (accounts.recordCount() == 1)
        return accounts.text(QStringLiteral("AccountNo"));
    QString chosen;
    do {
        chosen = chooser.chooseEarningAccount();
        if (chosen.isEmpty() &&
            ui().askYesNo(QStringLiteral("Cancel end year?"), QStringLiteral("End Year")))
            requestCancel();
    } while (chosen.isEmpty() && !cancelRequested());
    return cancelRequested() ? QString() : chosen;
}

RunOutcome EndYear::run(const QString& EarningAccount) {
    if (!snapshots::takeBefore(m_cnn, snapshots::Step::EndYear))
        return RunOutcome::NotStarted;
    return perform(QStringLiteral("End year is done!"), [&] {
        const CompanyRow company = readCompany();
        const int year = company.CurrentPeriodYear;
        const int nextYear = year + 1;
        RowSet balances = execute(modDBUtil::GetAccountBalancesWithYearTotal(year));
        if (balances.isEmpty())
            return;
        startSteps(balances.recordCount() + 3);

        std::vector<Amount> earningTerms;
        for (balances.moveFirst(); !balances.eof(); balances.moveNext()) {
            const QString account = balances.text(QStringLiteral("AccountNo"));
            const Amount beginning = balances.amount(QStringLiteral("BeginningBalance"));
            const modDBUtil::Saldos saldos = saldosOf(balances);
            // Summed here rather than by the engine, which gives an inexact number when a
            // partial sum passes the range of an amount.
            std::vector<Amount> terms(saldos.begin(), saldos.end());
            terms.push_back(beginning);
            Amount yearTotal;
            try {
                yearTotal = Amount::sum(terms);
            } catch (const AmountOverflow&) {
                refuse(QStringLiteral("End Year stopped: the balance of account %1 at the end of "
                                      "%2 passes the largest amount. Nothing was changed.")
                           .arg(account)
                           .arg(year));
            }
            const qint64 accountClass = balances.integer(QStringLiteral("AccountClassID"));

            bool opens = true;
            Amount opening;
            switch (accountClass) {
            case 1: // assets, liabilities and equities carry their balance forward
            case 2:
            case 3:
                opening = yearTotal;
                break;
            case 4: // the earning account opens with the earning total, written below
                if (sameAccount(account, EarningAccount))
                    earningTerms.push_back(yearTotal);
                else
                    opening = yearTotal;
                break;
            case 5: // revenues and expenses close into the earning account
            case 6:
                earningTerms.push_back(yearTotal);
                break;
            default:
                opens = false;
            }
            if (opens) {
                execute(modDBUtil::InsertAccountBalance(account, nextYear, opening));
                execute(modDBUtil::InsertGeneralYear(account, nextYear));
            }

            RowSet ledger = execute(modDBUtil::GetGeneralOfAccountYear(account, year));
            for (ledger.moveFirst(); !ledger.eof(); ledger.moveNext()) {
                const int period = int(ledger.integer(QStringLiteral("Period")));
                execute(modDBUtil::InsertGeneralHistory(account, year, period,
                                                        ledger.amount(QStringLiteral("Debit")),
                                                        ledger.amount(QStringLiteral("Credit"))));
                execute(modDBUtil::DeleteGeneral(account, year, period));
            }
            execute(modDBUtil::InsertAccountBalanceHistory(account, year, beginning, saldos));
            execute(modDBUtil::DeleteAccountBalanceOfYear(account, year));
            step();
        }

        Amount earning;
        try {
            earning = Amount::sum(earningTerms);
        } catch (const AmountOverflow&) {
            refuse(QStringLiteral("End Year stopped: the result of %1 for the earning account %2 "
                                  "passes the largest amount. Nothing was changed.")
                       .arg(year)
                       .arg(EarningAccount));
        }
        execute(modDBUtil::UpdateAccountBalanceColumn(EarningAccount, nextYear, 0, earning));
        step();
        execute(modDBUtil::DeleteTransactionsToDate(
            fiscal::lastDayOfYear(company.FinancialPeriodBegin, year)));
        step();
        execute(modDBUtil::UpdateCompanyPeriods(company.BeginPeriod, company.BeginPeriodYear,
                                                nextYear, company.FinancialPeriodBegin));
        step();
    });
}

bool RevertEndYear::confirmBeforeRun() {
    CompanyRow company;
    try {
        company = readCompany();
    } catch (const CommandUnwind&) {
        requestCancel();
        return false;
    }
    // In the first year the run itself says that no earlier year can be reopened.
    if (company.BeginPeriodYear != company.CurrentPeriodYear) {
        const int begin = company.FinancialPeriodBegin;
        RowSet history;
        if (!tryQuery(modDBUtil::GetTransactionHistoryCountInRange(
                          fiscal::firstDayOfYear(begin, company.CurrentPeriodYear),
                          fiscal::lastDayOfYear(begin, company.CurrentPeriodYear)),
                      history)) {
            requestCancel();
            return false;
        }
        if (!history.eof() && history.integer(QStringLiteral("HistoryCount")) > 0) {
            ui().messageBox(QStringLiteral("Revert the month ends of the current year first."),
                            QStringLiteral("Revert End Year"));
            requestCancel();
            return false;
        }
    }
    // The journal stays as it is; a posted transaction would lose the ledger rows that
    // hold its amounts.
    RowSet posted;
    if (!tryQuery(modDBUtil::GetPostedCountToDate(QDate(9999, 12, 31)), posted)) {
        requestCancel();
        return false;
    }
    if (!posted.eof() && posted.integer(QStringLiteral("PostedCount")) > 0) {
        ui().messageBox(PostedRefusal, QStringLiteral("Revert End Year"));
        requestCancel();
        return false;
    }
    if (!gatherDeleted(company, true)) {
        requestCancel();
        return false;
    }
    return true;
}

bool RevertEndYear::gatherDeleted(const CompanyRow& company, bool asking) {
    m_gathered = true;
    m_deleted.clear();
    if (company.BeginPeriodYear == company.CurrentPeriodYear)
        return true; // the run says that no earlier year can be reopened
    const int previous = company.CurrentPeriodYear - 1;
    const QString title = QStringLiteral("Revert End Year");
    // The newest snapshot before a year end of PY is the one before the year end that
    // is reverted: every later year end of PY took a newer one.
    bool found = false;
    for (const QString& path : snapshots::takenBefore(m_cnn, snapshots::Step::EndYear)) {
        try {
            // with the books' key, or the program's own when the books have another
            std::unique_ptr<Connection> snap;
            try {
                snap = m_cnn.openSnapshot(path, false);
            } catch (const WrongKeyError&) {
                if (m_cnn.usesProgramKey())
                    throw;
                snap = m_cnn.openSnapshot(path, false, QByteArray());
            }
            const CompanyRow then = CompanyRow::fromRows(snap->execute(modDBUtil::GetCompany()));
            if (then.CurrentPeriodYear != previous)
                continue;
            RowSet trx = snap->execute(modDBUtil::GetTransactionsInRange(
                QDate(1, 1, 1), fiscal::lastDayOfYear(then.FinancialPeriodBegin, previous)));
            for (trx.moveFirst(); !trx.eof(); trx.moveNext()) {
                DeletedTransaction t;
                t.number = trx.text(QStringLiteral("TransactionNo"));
                t.source = trx.text(QStringLiteral("Source"));
                t.description = trx.text(QStringLiteral("Description"));
                t.date = trx.date(QStringLiteral("DateStamp"));
                t.posted = trx.boolean(QStringLiteral("Posted"));
                RowSet lines = snap->execute(modDBUtil::GetTransactionDetails(t.number));
                for (lines.moveFirst(); !lines.eof(); lines.moveNext())
                    t.lines.push_back({lines.text(QStringLiteral("AccountNo")),
                                       int(lines.integer(QStringLiteral("Seq"))),
                                       lines.amount(QStringLiteral("Amount"))});
                m_deleted.push_back(std::move(t));
            }
            found = true;
            break;
        } catch (const OpenError&) {
            // another key, or damaged: an older one may still serve
        } catch (const DbError&) {
        }
        m_deleted.clear();
    }
    if (!asking)
        return true;
    if (!found) {
        // Without a closed year PY the run changes nothing, and there is nothing to ask.
        RowSet closed;
        if (!tryQuery(modDBUtil::GetAccountBalanceHistoriesOfYear(previous), closed))
            return false;
        if (closed.isEmpty())
            return true;
        return ui().askOkCancel(
            QStringLiteral("No snapshot taken before the end of %1 can be read with the books' "
                           "key or the program's, so the unposted transactions End Year "
                           "deleted, if any, cannot come back.")
                    .arg(previous) +
                QChar(u'\n') + QStringLiteral("Revert End Year anyway?"),
            title);
    }
    // They come back only whole: a number in use again or an account deleted since
    // would leave one out.
    QStringList taken, gone;
    for (const DeletedTransaction& t : m_deleted) {
        RowSet rows;
        if (!tryQuery(modDBUtil::GetTransaction(t.number), rows))
            return false;
        if (!rows.eof())
            taken << t.number;
        for (const DeletedLine& line : t.lines) {
            if (gone.contains(line.account, Qt::CaseInsensitive))
                continue;
            if (!tryQuery(modDBUtil::GetAccount(line.account), rows))
                return false;
            if (rows.eof())
                gone << line.account;
        }
    }
    if (!taken.isEmpty()) {
        ui().messageBox(QStringLiteral("End Year deleted unposted transactions that reverting "
                                       "brings back, and the journal now holds others with "
                                       "their numbers: %1. Give those other numbers first.")
                            .arg(taken.join(QStringLiteral(", "))),
                        title);
        return false;
    }
    if (!gone.isEmpty()) {
        ui().messageBox(QStringLiteral("End Year deleted unposted transactions that reverting "
                                       "brings back, and accounts of theirs no longer exist: "
                                       "%1. Add them again first.")
                            .arg(gone.join(QStringLiteral(", "))),
                        title);
        return false;
    }
    return true;
}

RunOutcome RevertEndYear::run() {
    if (!m_gathered) {
        RowSet company;
        if (!tryQuery(modDBUtil::GetCompany(), company))
            return RunOutcome::Abort;
        gatherDeleted(CompanyRow::fromRows(company), false);
    }
    if (!snapshots::takeBefore(m_cnn, snapshots::Step::RevertEndYear))
        return RunOutcome::NotStarted;
    return perform(QStringLiteral("Revert end year is done!"), [&] {
        const CompanyRow company = readCompany();
        const int year = company.CurrentPeriodYear;
        const int previous = year - 1;
        if (company.BeginPeriodYear == year)
            refuse(QStringLiteral("Can't revert to earlier year than starting period year."));
        RowSet posted = execute(modDBUtil::GetPostedCountToDate(QDate(9999, 12, 31)));
        if (!posted.eof() && posted.integer(QStringLiteral("PostedCount")) > 0)
            refuse(PostedRefusal);
        RowSet balances = execute(modDBUtil::GetAccountBalanceHistoriesOfYear(previous));
        RowSet ledger = execute(modDBUtil::GetGeneralHistoriesOfYear(previous));
        if (balances.isEmpty())
            return;

        // Accounts that the restored year does not cover (added after the year end, say)
        // get a balance row and general-ledger rows of the reopened year, so they can
        // still be posted to.
        QSet<QString> withBalance, withLedger;
        for (balances.moveFirst(); !balances.eof(); balances.moveNext())
            withBalance.insert(accountKey(balances.text(QStringLiteral("AccountNo"))));
        for (ledger.moveFirst(); !ledger.eof(); ledger.moveNext())
            withLedger.insert(accountKey(ledger.text(QStringLiteral("AccountNo"))));
        struct Uncovered {
            QString account;
            bool needsBalance;
            bool needsLedger;
            Amount opening; // the beginning balance entered in the newer year
        };
        std::vector<Uncovered> uncovered;
        RowSet accounts = execute(modDBUtil::GetAccountList());
        for (accounts.moveFirst(); !accounts.eof(); accounts.moveNext()) {
            const QString account = accounts.text(QStringLiteral("AccountNo"));
            const QString key = accountKey(account);
            const bool needsBalance = !withBalance.contains(key);
            const bool needsLedger = !withLedger.contains(key);
            if (!needsBalance && !needsLedger)
                continue;
            Amount opening;
            if (needsBalance) {
                RowSet newer = execute(modDBUtil::GetAccountBalance(account, year));
                if (!newer.eof())
                    opening = newer.amount(QStringLiteral("BeginningBalance"));
            }
            uncovered.push_back({account, needsBalance, needsLedger, opening});
        }

        startSteps(balances.recordCount() + ledger.recordCount() + int(uncovered.size()) +
                   int(m_deleted.size()) + 3);
        execute(modDBUtil::DeleteAllAccountBalances());
        step();
        execute(modDBUtil::DeleteAllGeneral());
        step();
        for (balances.moveFirst(); !balances.eof(); balances.moveNext()) {
            const QString account = balances.text(QStringLiteral("AccountNo"));
            const int rowYear = int(balances.integer(QStringLiteral("PeriodYear")));
            execute(modDBUtil::InsertAccountBalanceFull(
                account, rowYear, balances.amount(QStringLiteral("BeginningBalance")),
                saldosOf(balances)));
            execute(modDBUtil::DeleteAccountBalanceHistory(account, rowYear));
            step();
        }
        for (ledger.moveFirst(); !ledger.eof(); ledger.moveNext()) {
            const QString account = ledger.text(QStringLiteral("AccountNo"));
            const int rowYear = int(ledger.integer(QStringLiteral("PeriodYear")));
            const int period = int(ledger.integer(QStringLiteral("Period")));
            execute(modDBUtil::InsertGeneral(account, rowYear, period,
                                             ledger.amount(QStringLiteral("Debit")),
                                             ledger.amount(QStringLiteral("Credit"))));
            execute(modDBUtil::DeleteGeneralHistory(account, rowYear, period));
            step();
        }
        for (const Uncovered& u : uncovered) {
            if (u.needsBalance)
                execute(modDBUtil::InsertAccountBalance(u.account, previous, u.opening));
            if (u.needsLedger)
                execute(modDBUtil::InsertGeneralYear(u.account, previous));
            step();
        }
        for (const DeletedTransaction& t : m_deleted) {
            execute(
                modDBUtil::InsertTransaction(t.number, t.source, t.description, t.date, t.posted));
            for (const DeletedLine& line : t.lines)
                execute(modDBUtil::InsertTransactionDetail(t.number, line.account, line.seq,
                                                           line.amount));
            step();
        }
        execute(modDBUtil::UpdateCompanyPeriods(company.BeginPeriod, company.BeginPeriodYear,
                                                previous, company.FinancialPeriodBegin));
        step();
    });
}

} // namespace zelk::periods
