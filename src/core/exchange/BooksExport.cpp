#include "BooksExport.h"

#include "core/accounts/AccountRecords.h"
#include "core/data/Connection.h"
#include "core/data/modDBUtil.h"

namespace zelk::exchange {

void ExportAccounts(Connection& cnn, TableRows& out) {
    out.start(QStringLiteral("Accounts"),
              {QStringLiteral("AccountNo"), QStringLiteral("AccountName"), QStringLiteral("Class"),
               QStringLiteral("BeginningBalance"), QStringLiteral("Notes")});
    const std::vector<accounts::AccountClass> classes = accounts::LoadAccountClasses(cnn);
    RowSet list = cnn.execute(modDBUtil::GetAccountsWithClass());
    for (list.moveFirst(); !list.eof(); list.moveNext()) {
        const std::optional<accounts::AccountFields> f =
            accounts::LoadAccount(cnn, list.text(QStringLiteral("AccountNo")));
        if (!f)
            continue;
        const int c =
            f->AccountClassID ? accounts::FindClassIndex(classes, *f->AccountClassID) : -1;
        out.row({textCell(f->AccountNo), textCell(f->AccountName),
                 textCell(c >= 0 ? classes[size_t(c)].Name : QString()),
                 moneyCell(Amount::parse(f->BeginningBalance).value_or(Amount())),
                 textCell(f->Notes)},
                false);
    }
    out.finish();
}

void ExportTransactions(Connection& cnn, TableRows& out) {
    out.start(QStringLiteral("Transactions"),
              {QStringLiteral("TransactionNo"), QStringLiteral("Date"), QStringLiteral("Source"),
               QStringLiteral("Description"), QStringLiteral("AccountNo"), QStringLiteral("Debit"),
               QStringLiteral("Credit")});
    RowSet lines = cnn.stream(modDBUtil::GetJournalLines());
    const int no = lines.fieldIndex(QStringLiteral("TransactionNo"));
    const int date = lines.fieldIndex(QStringLiteral("DateStamp"));
    const int source = lines.fieldIndex(QStringLiteral("Source"));
    const int description = lines.fieldIndex(QStringLiteral("Description"));
    const int account = lines.fieldIndex(QStringLiteral("AccountNo"));
    const int amount = lines.fieldIndex(QStringLiteral("Amount"));
    // Read as the engine holds the rows: no values are made but the cells.
    std::vector<Cell> cells(7);
    QByteArray day;
    for (; !lines.eof(); lines.moveNext()) {
        if (lines.utf8(date) != day) { // the lines of a day follow each other
            day = lines.utf8(date).toByteArray();
            cells[1] = dateCell(QDate::fromString(QString::fromLatin1(day), Qt::ISODate));
        }
        const Amount a = Amount::fromRaw(lines.int64(amount));
        cells[0] = textCell(QString::fromUtf8(lines.utf8(no)));
        cells[2] = textCell(QString::fromUtf8(lines.utf8(source)));
        cells[3] = textCell(QString::fromUtf8(lines.utf8(description)));
        cells[4] = textCell(QString::fromUtf8(lines.utf8(account)));
        cells[5] = moneyCell(a.isNegative() ? Amount() : a);
        cells[6] = moneyCell(a.isNegative() ? a.abs() : Amount());
        out.row(cells, false);
    }
    out.finish();
}

DataTable AccountsTable(Connection& cnn) {
    DataTable t;
    TableCollector rows(t);
    ExportAccounts(cnn, rows);
    return t;
}

DataTable TransactionsTable(Connection& cnn) {
    DataTable t;
    TableCollector rows(t);
    ExportTransactions(cnn, rows);
    return t;
}

} // namespace zelk::exchange
