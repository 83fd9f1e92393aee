// Each text is joined in one allocation.
#define QT_USE_QSTRINGBUILDER

#include "modDBUtil.h"

namespace modDBUtil {

namespace {

const QLatin1String ClassBalancesFrom(
    "FROM SYS_AccountClasses INNER JOIN (Ledger_Accounts INNER JOIN Ledger_AccountBalances ON "
    "Ledger_Accounts.AccountNo = Ledger_AccountBalances.FKID_Account) ON "
    "SYS_AccountClasses.AccountClassID = Ledger_Accounts.FKID_AccountClass ");

const QLatin1String ClassBalancesOrder(
    " ORDER BY Ledger_Accounts.FKID_AccountClass, Ledger_AccountBalances.FKID_Account");

// The month figure of every account of one class: the period's column as Saldo.
QString balancesOfPeriod(int Year, int Period, int AccountClass, QLatin1String as) {
    return QLatin1String("SELECT FKID_AccountClass AS AccountClassID, SYS_AccountClasses.Name AS "
                         "AccountClassName, FKID_Account AS AccountNo, AccountName, PeriodYear, "
                         "Saldo") %
           QString::number(Period) % as % ClassBalancesFrom % QLatin1String("WHERE PeriodYear=") %
           QString::number(Year) % QLatin1String(" AND FKID_AccountClass =") %
           QString::number(AccountClass) % ClassBalancesOrder;
}

// The beginning balance and the columns of periods 1 ... Period of every account of one class.
QString balancesToPeriod(int Year, int Period, int AccountClass) {
    QString s = QStringLiteral(
        "SELECT FKID_Account AS AccountNo, AccountName, PeriodYear, BeginningBalance");
    for (int i = 1; i <= Period; ++i)
        s += QLatin1String(", Saldo") % QString::number(i) % QLatin1Char(' ');
    return s % ClassBalancesFrom % QLatin1String("WHERE PeriodYear=") % QString::number(Year) %
           QLatin1String(" AND FKID_AccountClass =") % QString::number(AccountClass) %
           ClassBalancesOrder;
}

} // namespace

QString GetRevenueBalancesOfPeriod(int Year, int Period) {
    return balancesOfPeriod(Year, Period, 5, QLatin1String(" AS Saldo "));
}

QString GetExpenseBalancesOfPeriod(int Year, int Period) {
    return balancesOfPeriod(Year, Period, 6, QLatin1String(" As Saldo "));
}

QString GetAssetBalancesToPeriod(int Year, int Period) {
    return balancesToPeriod(Year, Period, 1);
}

QString GetEquityBalancesToPeriod(int Year, int Period) {
    return balancesToPeriod(Year, Period, 3);
}

QString GetLiabilityBalancesToPeriod(int Year, int Period) {
    return balancesToPeriod(Year, Period, 2);
}

QString GetEarningBalancesToPeriod(int Year, int Period) {
    return balancesToPeriod(Year, Period, 4);
}

QString GetRevenueBalancesToPeriod(int Year, int Period) {
    return balancesToPeriod(Year, Period, 5);
}

QString GetExpenseBalancesToPeriod(int Year, int Period) {
    return balancesToPeriod(Year, Period, 6);
}

} // namespace modDBUtil
