#include "MonthEndRuns.h"

#include "data/modDBUtil.h"

namespace zelk::periods {

FiscalMonth FiscalMonth::of(const CompanyRow& company, int month) {
    const int begin = company.FinancialPeriodBegin;
    const int year = company.CurrentPeriodYear;
    return {fiscal::periodOfMonth(begin, month), fiscal::firstDayOfMonth(begin, year, month),
            fiscal::lastDayOfMonth(begin, year, month)};
}

RunOutcome EndMonth::run(int Month) {
    if (Month < 1 || Month > 12)
        return RunOutcome::NotStarted;
    return perform(QStringLiteral("End month is done!"), [&] {
        const CompanyRow company = readCompany();
        const int year = company.CurrentPeriodYear;
        const FiscalMonth m = FiscalMonth::of(company, Month);
        RowSet trxs = execute(modDBUtil::GetPostedTransactionsInRange(m.firstDay, m.lastDay));
        RowSet ledger = execute(modDBUtil::GetGeneralOfPeriod(year, m.period));
        if (trxs.isEmpty())
            return;
        startSteps(trxs.recordCount() + ledger.recordCount());

        for (trxs.moveFirst(); !trxs.eof(); trxs.moveNext()) {
            const QString no = trxs.text(QStringLiteral("TransactionNo"));
            const QString source = trxs.text(QStringLiteral("Source"));
            const QString description = trxs.text(QStringLiteral("Description"));
            const QDate date = trxs.date(QStringLiteral("DateStamp"));
            RowSet lines = execute(modDBUtil::GetTransactionDetails(no));
            for (lines.moveFirst(); !lines.eof(); lines.moveNext())
                execute(modDBUtil::InsertTransactionHistory(
                    no, lines.text(QStringLiteral("AccountNo")),
                    int(lines.integer(QStringLiteral("Seq"))), source, date, description,
                    lines.amount(QStringLiteral("Amount"))));
            // The transaction leaves the journal once its lines are in the history (its
            // lines go with it); one without lines that could be copied stays.
            if (!lines.isEmpty())
                execute(modDBUtil::DeleteTransaction(no));
            step();
        }

        for (ledger.moveFirst(); !ledger.eof(); ledger.moveNext()) {
            execute(modDBUtil::UpdateAccountBalanceColumn(
                ledger.text(QStringLiteral("AccountNo")), year, m.period,
                ledger.amount(QStringLiteral("Debit")) - ledger.amount(QStringLiteral("Credit"))));
            step();
        }
    });
}

RunOutcome RevertEndMonth::run(int Month) {
    if (Month < 1 || Month > 12)
        return RunOutcome::NotStarted;
    return perform(QStringLiteral("Revert end month is done!"), [&] {
        const CompanyRow company = readCompany();
        const int year = company.CurrentPeriodYear;
        const FiscalMonth m = FiscalMonth::of(company, Month);
        RowSet lines = execute(modDBUtil::GetTransactionHistoriesInRange(m.firstDay, m.lastDay));
        RowSet ledger = execute(modDBUtil::GetGeneralOfPeriod(year, m.period));
        if (lines.isEmpty())
            return;
        startSteps(lines.recordCount() + ledger.recordCount());

        QString last;
        for (lines.moveFirst(); !lines.eof(); lines.moveNext()) {
            const QString no = lines.text(QStringLiteral("TransactionNo"));
            const QString account = lines.text(QStringLiteral("AccountNo"));
            // The lines come ordered by transaction number: the header is rebuilt from
            // the first line of each transaction.
            if (no != last)
                execute(modDBUtil::InsertTransaction(no, lines.text(QStringLiteral("Source")),
                                                     lines.text(QStringLiteral("Description")),
                                                     lines.date(QStringLiteral("DateStamp")),
                                                     true));
            execute(modDBUtil::InsertTransactionDetail(no, account,
                                                       int(lines.integer(QStringLiteral("Seq"))),
                                                       lines.amount(QStringLiteral("Amount"))));
            execute(modDBUtil::DeleteTransactionHistoryInRange(no, account, m.firstDay, m.lastDay));
            step();
            last = no;
        }

        for (ledger.moveFirst(); !ledger.eof(); ledger.moveNext()) {
            execute(modDBUtil::UpdateAccountBalanceColumn(ledger.text(QStringLiteral("AccountNo")),
                                                          year, m.period, Amount()));
            step();
        }
    });
}

} // namespace zelk::periods
