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

QString GetPostedCount() {
    return QStringLiteral(
        "SELECT COUNT(*) As PostedCount FROM Ledger_Transactions WHERE Posted=TRUE");
}

QString GetTransactionHistoryCountInRange(const QDate& DateFrom, const QDate& DateTo) {
    return QStringLiteral("SELECT COUNT(*) As HistoryCount FROM Ledger_TransactionHistories ") +
           QStringLiteral("WHERE DateStamp BETWEEN ") + modUtils::SqlDateOf(DateFrom) +
           QStringLiteral(" AND ") + modUtils::SqlDateOf(DateTo);
}

} // namespace modDBUtil
