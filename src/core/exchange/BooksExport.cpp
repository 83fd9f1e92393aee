#include "BooksExport.h"

#include "core/accounts/AccountRecords.h"
#include "core/data/Connection.h"
#include "core/data/modDBUtil.h"
#include "core/journal/TransactionEntry.h"

namespace zelk::exchange {

DataTable AccountsTable(Connection& cnn) {
    DataTable t;
    t.title = QStringLiteral("Accounts");
    t.header = {QStringLiteral("AccountNo"), QStringLiteral("AccountName"), QStringLiteral("Class"),
                QStringLiteral("BeginningBalance"), QStringLiteral("Notes")};
    const std::vector<accounts::AccountClass> classes = accounts::LoadAccountClasses(cnn);
    RowSet list = cnn.execute(modDBUtil::GetAccountsWithClass());
    for (list.moveFirst(); !list.eof(); list.moveNext()) {
        const std::optional<accounts::AccountFields> f =
            accounts::LoadAccount(cnn, list.text(QStringLiteral("AccountNo")));
        if (!f)
            continue;
        const int c =
            f->AccountClassID ? accounts::FindClassIndex(classes, *f->AccountClassID) : -1;
        t.rows.push_back({{textCell(f->AccountNo), textCell(f->AccountName),
                           textCell(c >= 0 ? classes[size_t(c)].Name : QString()),
                           moneyCell(Amount::parse(f->BeginningBalance).value_or(Amount())),
                           textCell(f->Notes)}});
    }
    return t;
}

DataTable TransactionsTable(Connection& cnn) {
    DataTable t;
    t.title = QStringLiteral("Transactions");
    t.header = {QStringLiteral("TransactionNo"), QStringLiteral("Date"),
                QStringLiteral("Source"),        QStringLiteral("Description"),
                QStringLiteral("AccountNo"),     QStringLiteral("Debit"),
                QStringLiteral("Credit")};
    RowSet list = cnn.execute(modDBUtil::GetTransactionList() +
                              QStringLiteral(" ORDER BY DateStamp, TransactionNo"));
    for (list.moveFirst(); !list.eof(); list.moveNext()) {
        const QString no = list.text(QStringLiteral("TransactionNo"));
        const std::optional<journal::LoadedTransaction> trx = journal::LoadTransaction(cnn, no);
        if (!trx)
            continue;
        for (const journal::LineCells& line : trx->rows)
            t.rows.push_back(
                {{textCell(no), dateCell(trx->header.DateStamp), textCell(trx->header.Source),
                  textCell(trx->header.Description), textCell(line[journal::ColAccountNo]),
                  moneyCell(Amount::valueOf(line[journal::ColDebit])),
                  moneyCell(Amount::valueOf(line[journal::ColCredit]))}});
    }
    return t;
}

} // namespace zelk::exchange
