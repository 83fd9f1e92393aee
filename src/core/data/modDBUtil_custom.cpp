// Each text is joined in one allocation.
#define QT_USE_QSTRINGBUILDER

#include "modDBUtil.h"
#include "modUtils.h"

namespace modDBUtil {

namespace {

const QString RangeFrom = QStringLiteral(
    "FROM Ledger_Accounts INNER JOIN Ledger_AccountBalances ON Ledger_Accounts.AccountNo = "
    "Ledger_AccountBalances.FKID_Account ");
const QString RangeOrder = QStringLiteral(
    " ORDER BY Ledger_Accounts.FKID_AccountClass, Ledger_AccountBalances.FKID_Account");

} // namespace

QString GetCustomRowBalances(int Year, int Period, const QString& FirstAccount,
                             const QString& LastAccount) {
    QString select;
    if (Period >= 1 && Period <= 12) {
        select = QStringLiteral("SELECT FKID_AccountClass as AccountClassID, FKID_Account AS "
                                "AccountNo, AccountName, PeriodYear, BeginningBalance");
        for (int i = 1; i <= Period; ++i)
            select += QStringLiteral(", Saldo") % QString::number(i) % QStringLiteral(" ");
    } else {
        select = QStringLiteral("SELECT FKID_AccountClass as AccountClassID, FKID_Account AS "
                                "AccountNo, AccountName, PeriodYear, BeginningBalance ");
    }
    QString range =
        LastAccount.isEmpty()
            ? QString(QStringLiteral(" AND FKID_Account=") % modUtils::SqlText(FirstAccount))
            : QString(QStringLiteral(" AND FKID_Account BETWEEN ") %
                      modUtils::SqlText(FirstAccount) % QStringLiteral(" AND ") %
                      modUtils::SqlText(LastAccount));
    return select % RangeFrom % QStringLiteral("WHERE PeriodYear=") % QString::number(Year) %
           range % RangeOrder;
}

QString GetCustomRowPeriodBalance(int Year, int Period, const QString& FirstAccount,
                                  const QString& LastAccount) {
    const QString select =
        Period >= 1 && Period <= 12
            ? QString(QStringLiteral("SELECT Ledger_Accounts.FKID_AccountClass AS AccountClassID, "
                                     "FKID_Account AS AccountNo, AccountName, PeriodYear, Saldo") %
                      QString::number(Period) % QStringLiteral(" AS Saldo "))
            : QStringLiteral("SELECT Ledger_Accounts.FKID_AccountClass AS AccountClassID, "
                             "FKID_Account AS AccountNo, AccountName, PeriodYear, "
                             "BeginningBalance ");
    QString range =
        LastAccount.isEmpty()
            ? QString(QStringLiteral(" AND FKID_Account = ") % modUtils::SqlText(FirstAccount))
            : QString(QStringLiteral(" AND FKID_Account BETWEEN ") %
                      modUtils::SqlText(FirstAccount) % QStringLiteral(" AND ") %
                      modUtils::SqlText(LastAccount));
    return select % RangeFrom % QStringLiteral("WHERE PeriodYear=") % QString::number(Year) %
           range % RangeOrder;
}

} // namespace modDBUtil
