#include "BooksExport.h"

#include "BackgroundRows.h"

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

void ExportTransactions(Connection& cnn, TableRows& file) {
    // The file is formatted and written on a second core while the books are read.
    BackgroundRows out(file);
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
    // The engine's own texts: a writer that makes no cells of them (CSV) writes them as
    // they are.
    std::vector<RawCell> cells(7);
    cells[1].kind = Cell::Date;
    cells[5].kind = cells[6].kind = Cell::Money;
    for (; !lines.eof(); lines.moveNext()) {
        const Amount a = Amount::fromRaw(lines.int64(amount));
        cells[0].utf8 = lines.utf8(no);
        cells[1].utf8 = lines.utf8(date);
        cells[2].utf8 = lines.utf8(source);
        cells[3].utf8 = lines.utf8(description);
        cells[4].utf8 = lines.utf8(account);
        cells[5].amount = a.isNegative() ? Amount() : a;
        cells[6].amount = a.isNegative() ? a.abs() : Amount();
        out.rawRow(cells);
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
