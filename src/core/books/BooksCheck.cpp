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
    for (const QString& named : unbalancedNamed)
        out << QStringLiteral("Unbalanced: %1").arg(named);
    if (unbalanced > unbalancedNamed.size())
        out << QStringLiteral("Unbalanced: ... and %1 more.")
                   .arg(unbalanced - unbalancedNamed.size());
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
    constexpr int Named = 20;
    RowSet named = cnn.execute(
        QStringLiteral("SELECT T.TransactionNo AS No, T.DateStamp AS DateStamp, "
                       "Sum(CASE WHEN D.Amount > 0 THEN D.Amount ELSE 0 END) AS Debits, "
                       "Sum(CASE WHEN D.Amount < 0 THEN -D.Amount ELSE 0 END) AS Credits "
                       "FROM Ledger_Transactions AS T INNER JOIN Ledger_TransactionDetails AS D "
                       "ON D.FKID_Transaction = T.TransactionNo GROUP BY T.TransactionNo, "
                       "T.DateStamp HAVING Sum(D.Amount) <> 0 ORDER BY T.DateStamp, "
                       "T.TransactionNo LIMIT ") +
        QString::number(Named));
    for (named.moveFirst(); !named.eof(); named.moveNext())
        c.unbalancedNamed << QStringLiteral("%1 of %2: debits %3 and credits %4")
                                 .arg(named.text(QStringLiteral("No")),
                                      named.date(QStringLiteral("DateStamp"))
                                          .toString(QStringLiteral("yyyy-MM-dd")),
                                      named.amount(QStringLiteral("Debits")).formatEntry(),
                                      named.amount(QStringLiteral("Credits")).formatEntry());
    return c;
}

} // namespace zelk
