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

        // The month's transactions move with three statements: their lines are copied
        // to the history, then deleted, then the transactions whose lines went to the
        // history are deleted (a transaction without lines stays). Then the progress
        // moves one step per transaction. A statement per line and per transaction
        // would take about twice as long, and deleting the lines with their
        // transactions (the cascade) twice as long again.
        execute(modDBUtil::InsertTransactionHistoriesInRange(m.firstDay, m.lastDay));
        execute(modDBUtil::DeletePostedTransactionDetailsInRange(m.firstDay, m.lastDay));
        execute(modDBUtil::DeleteMovedTransactionsInRange(m.firstDay, m.lastDay));
        for (int i = 0; i < trxs.recordCount(); ++i)
            step();

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
