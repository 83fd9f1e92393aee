#include "BooksExport.h"

#include "core/accounts/AccountRecords.h"
#include "core/data/Connection.h"
#include "core/data/modDBUtil.h"

#include <array>

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
    // Read as the engine holds the rows: no values are made but the cells, and a cell only
    // when its text differs from the line before's (a transaction's lines follow each
    // other, and so do the transactions of a day).
    std::vector<Cell> cells(7);
    struct Last {
        QByteArray bytes;
        bool null = false, read = false;
    };
    std::array<Last, 5> last;
    auto text = [&](size_t cell, int column) {
        const QByteArrayView v = lines.utf8(column);
        Last& l = last[cell];
        if (l.read && l.null == (v.data() == nullptr) && v == l.bytes)
            return;
        l = {v.toByteArray(), v.data() == nullptr, true};
        cells[cell] = cell == 1 ? dateCell(QDate::fromString(QString::fromLatin1(v), Qt::ISODate))
                                : textCell(QString::fromUtf8(v));
    };
    for (; !lines.eof(); lines.moveNext()) {
        text(1, date);
        const Amount a = Amount::fromRaw(lines.int64(amount));
        text(0, no);
        text(2, source);
        text(3, description);
        text(4, account);
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
