// Each text is joined in one allocation.
#define QT_USE_QSTRINGBUILDER

#include "modDBUtil.h"

#include "modUtils.h"

namespace modDBUtil {

QString DeleteTransactionHistoryInRange(const QString& TransactionNo, const QString& AccountNo,
                                        const QDate& DateFrom, const QDate& DateTo) {
    return QStringLiteral("DELETE FROM Ledger_TransactionHistories ") +
           QStringLiteral("WHERE (TransactionNo = ") + modUtils::SqlText(TransactionNo) +
           QStringLiteral(" AND FKID_Account=") + modUtils::SqlText(AccountNo) +
           QStringLiteral(" AND DateStamp BETWEEN ") + modUtils::SqlDateOf(DateFrom) +
           QStringLiteral(" AND ") + modUtils::SqlDateOf(DateTo) + QStringLiteral(")");
}

QString GetPostedCountToDate(const QDate& DateTo) {
    return QStringLiteral("SELECT COUNT(*) As PostedCount FROM Ledger_Transactions WHERE "
                          "Posted=TRUE AND DateStamp <= ") +
           modUtils::SqlDateOf(DateTo) +
           QStringLiteral(" AND EXISTS (SELECT FKID_Transaction FROM Ledger_TransactionDetails "
                          "WHERE Ledger_TransactionDetails.FKID_Transaction = "
                          "Ledger_Transactions.TransactionNo)");
}

QString GetUnpostedCountToDate(const QDate& DateTo) {
    return QStringLiteral("SELECT COUNT(*) As UnPostedCount FROM Ledger_Transactions WHERE "
                          "Posted=FALSE AND DateStamp <= ") +
           modUtils::SqlDateOf(DateTo);
}

QString DeleteTransactionsToDate(const QDate& DateTo) {
    return QStringLiteral("DELETE FROM Ledger_Transactions WHERE DateStamp <= ") +
           modUtils::SqlDateOf(DateTo);
}

QString GetTransactionHistoryDates(const QString& TransactionNo, const QDate& DateFrom,
                                   const QDate& DateTo) {
    return QStringLiteral("SELECT DISTINCT DateStamp FROM Ledger_TransactionHistories ") +
           QStringLiteral("WHERE TransactionNo = ") + modUtils::SqlText(TransactionNo) +
           QStringLiteral(" AND DateStamp BETWEEN ") + modUtils::SqlDateOf(DateFrom) +
           QStringLiteral(" AND ") + modUtils::SqlDateOf(DateTo) +
           QStringLiteral(" ORDER BY DateStamp");
}

QString GetPostedDatesInRange(const QDate& DateFrom, const QDate& DateTo) {
    return QStringLiteral("SELECT DISTINCT DateStamp FROM Ledger_Transactions ") +
           QStringLiteral("WHERE Posted = True AND DateStamp BETWEEN ") +
           modUtils::SqlDateOf(DateFrom) + QStringLiteral(" AND ") + modUtils::SqlDateOf(DateTo) +
           QStringLiteral(" ORDER BY DateStamp");
}

QString GetTransactionHistoryCountInRange(const QDate& DateFrom, const QDate& DateTo) {
    return QStringLiteral("SELECT COUNT(*) As HistoryCount FROM Ledger_TransactionHistories ") +
           QStringLiteral("WHERE DateStamp BETWEEN ") + modUtils::SqlDateOf(DateFrom) +
           QStringLiteral(" AND ") + modUtils::SqlDateOf(DateTo);
}

QString InsertTransactionHistoriesInRange(const QDate& DateFrom, const QDate& DateTo) {
    return QStringLiteral("INSERT INTO Ledger_TransactionHistories(TransactionNo, FKID_Account, "
                          "Seq, Source, DateStamp, Description, Amount) ") +
           QStringLiteral("SELECT Ledger_Transactions.TransactionNo, "
                          "Ledger_TransactionDetails.FKID_Account, Ledger_TransactionDetails.Seq, "
                          "Ledger_Transactions.Source, Ledger_Transactions.DateStamp, "
                          "Ledger_Transactions.Description, Ledger_TransactionDetails.Amount ") +
           QStringLiteral("FROM Ledger_Transactions INNER JOIN Ledger_TransactionDetails ON "
                          "Ledger_Transactions.TransactionNo = "
                          "Ledger_TransactionDetails.FKID_Transaction ") +
           QStringLiteral("WHERE Ledger_Transactions.DateStamp BETWEEN ") +
           modUtils::SqlDateOf(DateFrom) + QStringLiteral(" AND ") + modUtils::SqlDateOf(DateTo) +
           QStringLiteral(" AND Ledger_Transactions.Posted = True");
}

QString DeletePostedTransactionDetailsInRange(const QDate& DateFrom, const QDate& DateTo) {
    return QStringLiteral("DELETE FROM Ledger_TransactionDetails ") +
           QStringLiteral("WHERE FKID_Transaction IN (SELECT TransactionNo FROM "
                          "Ledger_Transactions WHERE DateStamp BETWEEN ") +
           modUtils::SqlDateOf(DateFrom) + QStringLiteral(" AND ") + modUtils::SqlDateOf(DateTo) +
           QStringLiteral(" AND Posted = True)");
}

QString DeleteMovedTransactionsInRange(const QDate& DateFrom, const QDate& DateTo) {
    return QStringLiteral("DELETE FROM Ledger_Transactions ") +
           QStringLiteral("WHERE DateStamp BETWEEN ") + modUtils::SqlDateOf(DateFrom) +
           QStringLiteral(" AND ") + modUtils::SqlDateOf(DateTo) +
           QStringLiteral(" AND Posted = True AND EXISTS (SELECT TransactionNo FROM "
                          "Ledger_TransactionHistories WHERE "
                          "Ledger_TransactionHistories.TransactionNo = "
                          "Ledger_Transactions.TransactionNo AND "
                          "Ledger_TransactionHistories.DateStamp BETWEEN ") +
           modUtils::SqlDateOf(DateFrom) + QStringLiteral(" AND ") + modUtils::SqlDateOf(DateTo) +
           QStringLiteral(")");
}

} // namespace modDBUtil
