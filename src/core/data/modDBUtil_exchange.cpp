// Each text is joined in one allocation.
#define QT_USE_QSTRINGBUILDER

#include "modDBUtil.h"

#include "modUtils.h"

namespace modDBUtil {

QString GetTransactionHistoryNumbersInRange(const QDate& DateFrom, const QDate& DateTo) {
    return QStringLiteral("SELECT TransactionNo, DateStamp FROM Ledger_TransactionHistories ") +
           QStringLiteral("WHERE DateStamp BETWEEN ") + modUtils::SqlDateOf(DateFrom) +
           QStringLiteral(" AND ") + modUtils::SqlDateOf(DateTo);
}

QString GetJournalLines() {
    // Within a transaction the lines come as their key gives them (by Seq).
    return QStringLiteral(
        "SELECT Ledger_Transactions.TransactionNo, Ledger_Transactions.DateStamp, "
        "Ledger_Transactions.Source, Ledger_Transactions.Description, "
        "Ledger_TransactionDetails.FKID_Account AS AccountNo, Ledger_TransactionDetails.Amount "
        "FROM Ledger_Transactions INNER JOIN Ledger_TransactionDetails ON "
        "Ledger_TransactionDetails.FKID_Transaction = Ledger_Transactions.TransactionNo "
        "ORDER BY Ledger_Transactions.DateStamp, Ledger_Transactions.TransactionNo");
}

} // namespace modDBUtil
