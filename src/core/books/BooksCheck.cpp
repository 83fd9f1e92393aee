#include "BooksCheck.h"

#include "core/data/FiscalCalendar.h"

namespace zelk {

QStringList BooksCheck::lines() const {
    QStringList out;
    out << QStringLiteral("Integrity: %1")
               .arg(problems.isEmpty() ? QStringLiteral("ok")
                                       : problems.join(QStringLiteral("; ")));
    out << QStringLiteral("Company: %1").arg(company);
    out << QStringLiteral("Open year: %1").arg(openYear);
    out << QStringLiteral("Accounts: %1").arg(accounts);
    out << QStringLiteral("Transactions in the journal: %1").arg(transactions);
    out << QStringLiteral("History lines: %1").arg(historyLines);
    out << QStringLiteral("Beginning balances: %1").arg(beginning.formatEntry());
    out << QStringLiteral("Posted debits: %1, credits: %2")
               .arg(debits.formatEntry(), credits.formatEntry());
    out << QStringLiteral("Unbalanced transactions: %1").arg(unbalanced);
    out << QStringLiteral("Books balance: %1")
               .arg(balanced() ? QStringLiteral("yes") : QStringLiteral("no"));
    return out;
}

BooksCheck checkBooks(Connection& cnn, const std::function<bool()>& keepGoing) {
    BooksCheck c;
    const Connection::IntegrityResult integrity = cnn.checkIntegrity(keepGoing);
    c.cancelled = integrity.cancelled;
    c.problems = integrity.problems;
    if (c.cancelled || !c.problems.isEmpty())
        return c; // a damaged file's sums would be no figures to show
    const CompanyRow company = CompanyRow::read(cnn);
    c.company = company.Name;
    c.openYear = company.CurrentPeriodYear;
    auto count = [&](const char* table) {
        return cnn.execute(QStringLiteral("SELECT Count(*) AS N FROM ") + QLatin1String(table))
            .integer(QStringLiteral("N"));
    };
    c.accounts = count("Ledger_Accounts");
    c.transactions = count("Ledger_Transactions");
    c.historyLines = count("Ledger_TransactionHistories");
    const QString year = QString::number(company.CurrentPeriodYear);
    c.beginning = cnn.execute(QStringLiteral("SELECT Sum(BeginningBalance) AS S FROM "
                                             "Ledger_AccountBalances WHERE PeriodYear = ") +
                              year)
                      .amount(QStringLiteral("S"));
    const RowSet general = cnn.execute(QStringLiteral("SELECT Sum(Debit) AS D, Sum(Credit) AS C "
                                                      "FROM Ledger_General WHERE PeriodYear = ") +
                                       year);
    c.debits = general.amount(QStringLiteral("D"));
    c.credits = general.amount(QStringLiteral("C"));
    c.unbalanced =
        cnn.execute(QStringLiteral("SELECT Count(*) AS N FROM (SELECT FKID_Transaction FROM "
                                   "Ledger_TransactionDetails GROUP BY FKID_Transaction HAVING "
                                   "Sum(Amount) <> 0)"))
            .integer(QStringLiteral("N"));
    return c;
}

} // namespace zelk
