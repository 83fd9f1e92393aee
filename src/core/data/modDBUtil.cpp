// Each text is joined in one allocation.
#define QT_USE_QSTRINGBUILDER

#include "modDBUtil.h"

#include "modUtils.h"

namespace modDBUtil {

namespace {

using modUtils::SqlText;

QString num(long v) {
    return QString::number(v);
}
QString money(Amount a) {
    return a.toSqlText();
}
QString date(const QDate& d) {
    return modUtils::SqlDateOf(d);
}
QString boolean(bool b) {
    return modUtils::SqlBool(modUtils::BoolText(b));
}

const QString SaldoList = QStringLiteral(
    "Saldo1, Saldo2, Saldo3, Saldo4, Saldo5, Saldo6, Saldo7, Saldo8, Saldo9, Saldo10, Saldo11, "
    "Saldo12");

QString balanceFull(const QString& first, const QString& AccountNo, int PeriodYear,
                    Amount BeginningBalance, const Saldos& Saldo) {
    QString s = first + QStringLiteral("VALUES(") + SqlText(AccountNo) + QStringLiteral(", ") +
                num(PeriodYear) + QStringLiteral(", ") + money(BeginningBalance);
    for (const Amount& a : Saldo)
        s += QStringLiteral(", ") + money(a);
    return s + QStringLiteral(")");
}

} // namespace

// Company

QString GetCompany() {
    return QStringLiteral("SELECT Name, Address, Phone, Fax, Email, BeginPeriod, BeginPeriodYear, "
                          "CurrentPeriodYear, FinancialPeriodBegin ") +
           QStringLiteral("FROM SYS_Company");
}

QString UpdateCompanyPeriods(int BeginPeriod, int BeginPeriodYear, int CurrentPeriodYear,
                             int FinancialPeriodBegin) {
    return QStringLiteral("UPDATE SYS_Company ") + QStringLiteral("SET BeginPeriod=") +
           num(BeginPeriod) + QStringLiteral(", BeginPeriodYear=") + num(BeginPeriodYear) +
           QStringLiteral(", CurrentPeriodYear=") + num(CurrentPeriodYear) +
           QStringLiteral(", FinancialPeriodBegin=") + num(FinancialPeriodBegin);
}

QString UpdateCompanyInfo(const QString& Name, const QString& Address, const QString& Phone,
                          const QString& Fax, const QString& Email) {
    return QStringLiteral("UPDATE SYS_Company ") + QStringLiteral("SET Name=") + SqlText(Name) +
           QStringLiteral(", Address=") + SqlText(Address) + QStringLiteral(", Phone=") +
           SqlText(Phone) + QStringLiteral(", Fax=") + SqlText(Fax) + QStringLiteral(", Email=") +
           SqlText(Email);
}

// Account classes and accounts

QString GetAccountClasses() {
    return QStringLiteral("SELECT AccountClassID, Description, Name ") +
           QStringLiteral("From SYS_AccountClasses");
}

QString GetAccountList() {
    return QStringLiteral("SELECT Ledger_Accounts.AccountNo, Ledger_Accounts.AccountName ") +
           QStringLiteral("FROM Ledger_Accounts");
}

QString GetAccountsWithClass() {
    return QStringLiteral("SELECT Ledger_Accounts.AccountNo, Ledger_Accounts.AccountName, "
                          "SYS_AccountClasses.Name AS AccountClass ") +
           QStringLiteral("FROM Ledger_Accounts, SYS_AccountClasses ") +
           QStringLiteral("WHERE Ledger_Accounts.FKID_AccountClass = "
                          "SYS_AccountClasses.AccountClassID ") +
           QStringLiteral("ORDER BY SYS_AccountClasses.AccountClassID, Ledger_Accounts.AccountNo, "
                          "Ledger_Accounts.AccountName DESC");
}

QString GetAccountsOfClass() {
    return QStringLiteral("SELECT Ledger_Accounts.AccountNo, Ledger_Accounts.AccountName, "
                          "Ledger_Accounts.FKID_AccountClass as AccountClassID ") +
           QStringLiteral("FROM Ledger_Accounts ") +
           QStringLiteral("WHERE Ledger_Accounts.FKID_AccountClass=") + num(4) +
           QStringLiteral(" ORDER BY Ledger_Accounts.FKID_AccountClass, Ledger_Accounts.AccountNo, "
                          "Ledger_Accounts.AccountName");
}

QString GetAccount(const QString& AccountNo) {
    return QStringLiteral("SELECT AccountName, FKID_AccountClass as AccountClassID, Notes ") +
           QStringLiteral("FROM Ledger_Accounts ") + QStringLiteral("WHERE (AccountNo = ") +
           SqlText(AccountNo) + QStringLiteral(")");
}

QString InsertAccount(const QString& AccountNo, const QString& AccountName, long AccountClassID,
                      const QString& Notes) {
    return QStringLiteral(
               "INSERT INTO Ledger_Accounts(AccountNo, AccountName, FKID_AccountClass, Notes) ") +
           QStringLiteral("VALUES ( ") + SqlText(AccountNo) + QStringLiteral(", ") +
           SqlText(AccountName) + QStringLiteral(", ") + num(AccountClassID) +
           QStringLiteral(", ") + SqlText(Notes) + QStringLiteral(")");
}

QString UpdateAccount(const QString& AccountNo, const QString& AccountName, long AccountClassID,
                      const QString& Notes) {
    return QStringLiteral("UPDATE Ledger_Accounts ") + QStringLiteral("SET AccountName = ") +
           SqlText(AccountName) + QStringLiteral(", FKID_AccountClass = ") + num(AccountClassID) +
           QStringLiteral(", Notes = ") + SqlText(Notes) + QStringLiteral(" WHERE ") +
           QStringLiteral("AccountNo = ") + SqlText(AccountNo);
}

QString DeleteAccount(const QString& AccountNo) {
    return QStringLiteral("DELETE FROM Ledger_Accounts ") + QStringLiteral("WHERE (AccountNo = ") +
           SqlText(AccountNo) + QStringLiteral(")");
}

QString DeleteAllAccounts() {
    return QStringLiteral("DELETE FROM Ledger_Accounts ");
}

// Journal

QString GetTransactionCount() {
    return QStringLiteral("SELECT Count(*) as TrxCount ") +
           QStringLiteral("FROM Ledger_Transactions");
}

QString GetUnpostedCount() {
    return QStringLiteral(
        "SELECT COUNT(*) As UnPostedCount FROM Ledger_Transactions WHERE Posted=FALSE");
}

QString GetTransactionList() {
    return QStringLiteral("SELECT DateStamp, TransactionNo, Source, Posted ") +
           QStringLiteral("FROM Ledger_Transactions");
}

QString GetTransactionListWithTotals() {
    return QStringLiteral("SELECT DateStamp, TransactionNo, Source, Description, Posted, ") +
           QStringLiteral("(SELECT SUM(Amount) FROM Ledger_TransactionDetails WHERE "
                          "Ledger_TransactionDetails.FKID_Transaction = "
                          "Ledger_Transactions.TransactionNo AND Amount > 0) AS Total ") +
           QStringLiteral("FROM Ledger_Transactions");
}

QString GetLatestTransactionNumbers() {
    return QStringLiteral("SELECT TransactionNo, DateStamp FROM Ledger_Transactions WHERE "
                          "DateStamp = (SELECT MAX(DateStamp) FROM Ledger_Transactions) ") +
           QStringLiteral("UNION SELECT TransactionNo, DateStamp FROM "
                          "Ledger_TransactionHistories WHERE DateStamp = (SELECT "
                          "MAX(DateStamp) FROM Ledger_TransactionHistories)");
}

QString GetTransactionNumberUse(const QString& TransactionNo) {
    return QStringLiteral("SELECT TransactionNo FROM Ledger_Transactions WHERE TransactionNo = ") +
           SqlText(TransactionNo) +
           QStringLiteral(" UNION ALL SELECT TransactionNo FROM Ledger_TransactionHistories "
                          "WHERE TransactionNo = ") +
           SqlText(TransactionNo);
}

QString GetLastTransactionDate(const QDate& DateFrom, const QDate& DateTo, bool Posted) {
    return QStringLiteral("SELECT MAX(DateStamp) AS LastDate FROM Ledger_Transactions WHERE "
                          "Posted = ") +
           boolean(Posted) + QStringLiteral(" AND DateStamp BETWEEN ") + date(DateFrom) +
           QStringLiteral(" AND ") + date(DateTo);
}

QString GetLastHistoryDate(const QDate& DateFrom, const QDate& DateTo) {
    return QStringLiteral("SELECT MAX(DateStamp) AS LastDate FROM Ledger_TransactionHistories "
                          "WHERE DateStamp BETWEEN ") +
           date(DateFrom) + QStringLiteral(" AND ") + date(DateTo);
}

QString GetLastPostedPeriod(int PeriodYear) {
    return QStringLiteral("SELECT MAX(Period) AS LastPeriod FROM Ledger_General WHERE "
                          "PeriodYear = ") +
           num(PeriodYear) + QStringLiteral(" AND (Debit <> 0 OR Credit <> 0)");
}

QString GetTransaction(const QString& TransactionNo) {
    return QStringLiteral("SELECT Source, Posted, DateStamp, Description ") +
           QStringLiteral("FROM Ledger_Transactions ") + QStringLiteral("WHERE (TransactionNo =") +
           SqlText(TransactionNo) + QStringLiteral(")");
}

QString GetTransactionDetails(const QString& TransactionNo) {
    return QStringLiteral("SELECT Ledger_TransactionDetails.FKID_Account as AccountNo, "
                          "Ledger_Accounts.AccountName, Ledger_TransactionDetails.Seq "
                          ",Ledger_TransactionDetails.Amount ") +
           QStringLiteral("FROM Ledger_TransactionDetails, Ledger_Accounts ") +
           QStringLiteral("WHERE Ledger_TransactionDetails.FKID_Account = "
                          "Ledger_Accounts.AccountNo ") +
           QStringLiteral("AND (Ledger_TransactionDetails.FKID_Transaction = ") +
           SqlText(TransactionNo) + QStringLiteral(") ") +
           QStringLiteral("ORDER BY Ledger_TransactionDetails.Seq");
}

QString GetTransactionsInRange(const QDate& DateFrom, const QDate& DateTo) {
    return QStringLiteral("SELECT TransactionNo, Source, DateStamp, Description, Posted ") +
           QStringLiteral("FROM Ledger_Transactions ") +
           QStringLiteral("WHERE DateStamp BETWEEN ") + date(DateFrom) + QStringLiteral(" AND ") +
           date(DateTo) + QStringLiteral(" ORDER BY DateStamp, TransactionNo");
}

QString GetTransactionListLinesInRange(const QDate& DateFrom, const QDate& DateTo) {
    const QString range =
        QStringLiteral(" BETWEEN ") + date(DateFrom) + QStringLiteral(" AND ") + date(DateTo);
    return QStringLiteral(
               "SELECT 0 AS Closed, Ledger_Transactions.DateStamp AS DateStamp, "
               "Ledger_Transactions.TransactionNo AS TransactionNo, Ledger_Transactions.Source "
               "AS Source, Ledger_Transactions.Description AS Description, "
               "Ledger_Transactions.Posted AS Posted, Ledger_TransactionDetails.Seq AS Seq, "
               "Ledger_TransactionDetails.FKID_Account AS AccountNo, Ledger_Accounts.AccountName "
               "AS AccountName, Ledger_TransactionDetails.Amount AS Amount "
               "FROM (Ledger_Transactions LEFT JOIN Ledger_TransactionDetails ON "
               "Ledger_TransactionDetails.FKID_Transaction = Ledger_Transactions.TransactionNo) "
               "LEFT JOIN Ledger_Accounts ON Ledger_Accounts.AccountNo = "
               "Ledger_TransactionDetails.FKID_Account WHERE Ledger_Transactions.DateStamp") +
           range +
           QStringLiteral(" UNION ALL SELECT 1, DateStamp, TransactionNo, Source, Description, "
                          "True, Seq, FKID_Account, AccountName, Amount FROM "
                          "Ledger_TransactionHistories INNER JOIN Ledger_Accounts ON "
                          "Ledger_TransactionHistories.FKID_Account = Ledger_Accounts.AccountNo "
                          "WHERE DateStamp") +
           range +
           QStringLiteral(" ORDER BY DateStamp, TransactionNo, Closed, Source, Description, Seq");
}

QString GetTransactionListCountInRange(const QDate& DateFrom, const QDate& DateTo) {
    const QString range =
        QStringLiteral(" BETWEEN ") + date(DateFrom) + QStringLiteral(" AND ") + date(DateTo);
    return QStringLiteral("SELECT (SELECT Count(*) FROM Ledger_Transactions WHERE DateStamp") +
           range +
           QStringLiteral(") + (SELECT Count(*) FROM (SELECT DISTINCT DateStamp, TransactionNo, "
                          "Source, Description FROM Ledger_TransactionHistories WHERE DateStamp") +
           range + QStringLiteral(")) AS TransactionCount");
}

QString GetUnpostedTransactionsInRange(const QDate& DateFrom, const QDate& DateTo) {
    return QStringLiteral("SELECT DateStamp, TransactionNo, Source, Description, Posted ") +
           QStringLiteral("FROM Ledger_Transactions WHERE DateStamp BETWEEN ") + date(DateFrom) +
           QStringLiteral(" AND ") + date(DateTo) + QStringLiteral(" AND Posted = False");
}

QString GetPostedTransactionsInRange(const QDate& DateFrom, const QDate& DateTo) {
    return QStringLiteral("SELECT DateStamp, TransactionNo, Source, Description, Posted ") +
           QStringLiteral("FROM Ledger_Transactions WHERE DateStamp BETWEEN") + date(DateFrom) +
           QStringLiteral(" AND ") + date(DateTo) + QStringLiteral(" AND Posted = True");
}

namespace {

// A transaction's lines come together, in the order of the transaction list. Within a
// transaction they come as its lines' key gives them (by Seq); ordering them by Seq as
// well would make the engine sort every line of the range again.
QString transactionLinesInRange(const QDate& DateFrom, const QDate& DateTo, bool Posted) {
    return QStringLiteral(
               "SELECT Ledger_Transactions.TransactionNo, Ledger_Transactions.DateStamp, "
               "Ledger_TransactionDetails.FKID_Account AS AccountNo, "
               "Ledger_TransactionDetails.Seq, Ledger_TransactionDetails.Amount "
               "FROM Ledger_Transactions LEFT JOIN Ledger_TransactionDetails ON "
               "Ledger_TransactionDetails.FKID_Transaction = "
               "Ledger_Transactions.TransactionNo WHERE Ledger_Transactions.DateStamp "
               "BETWEEN ") +
           date(DateFrom) + QStringLiteral(" AND ") + date(DateTo) +
           QStringLiteral(" AND Ledger_Transactions.Posted = ") + boolean(Posted) +
           QStringLiteral(" ORDER BY Ledger_Transactions.DateStamp, "
                          "Ledger_Transactions.TransactionNo");
}

} // namespace

QString GetUnpostedTransactionLinesInRange(const QDate& DateFrom, const QDate& DateTo) {
    return transactionLinesInRange(DateFrom, DateTo, false);
}

QString GetPostedTransactionLinesInRange(const QDate& DateFrom, const QDate& DateTo) {
    return transactionLinesInRange(DateFrom, DateTo, true);
}

QString UpdateTransactionsPostedInRange(const QDate& DateFrom, const QDate& DateTo, bool Posted) {
    return QStringLiteral("UPDATE Ledger_Transactions SET Posted = ") + boolean(Posted) +
           QStringLiteral(" WHERE DateStamp BETWEEN ") + date(DateFrom) + QStringLiteral(" AND ") +
           date(DateTo) + QStringLiteral(" AND Posted = ") + boolean(!Posted);
}

QString GetTransactionCountInRange(const QDate& DateFrom, const QDate& DateTo) {
    return QStringLiteral("SELECT Count(*) AS TransactionCount FROM Ledger_Transactions WHERE "
                          "DateStamp BETWEEN ") +
           date(DateFrom) + QStringLiteral(" AND ") + date(DateTo);
}

QString GetUnpostedCountInRange(const QDate& DateFrom, const QDate& DateTo) {
    return QStringLiteral("SELECT Count(*) AS TransactionCount FROM Ledger_Transactions WHERE "
                          "DateStamp BETWEEN ") +
           date(DateFrom) + QStringLiteral(" AND ") + date(DateTo) +
           QStringLiteral(" AND Posted = False");
}

QString GetPostedCountInRange(const QDate& DateFrom, const QDate& DateTo) {
    return QStringLiteral("SELECT Count(*) AS TransactionCount FROM Ledger_Transactions WHERE "
                          "DateStamp BETWEEN ") +
           date(DateFrom) + QStringLiteral(" AND ") + date(DateTo) +
           QStringLiteral(" AND Posted = True");
}

QString InsertTransaction(const QString& TransactionNo, const QString& Source,
                          const QString& Description, const QDate& DateStamp, bool Posted) {
    return QStringLiteral("INSERT INTO Ledger_Transactions(TransactionNo, Source, Description, "
                          "DateStamp, Posted) ") +
           QStringLiteral("VALUES(") + SqlText(TransactionNo) + QStringLiteral(", ") +
           SqlText(Source) + QStringLiteral(", ") + SqlText(Description) + QStringLiteral(", ") +
           date(DateStamp) + QStringLiteral(", ") + boolean(Posted) + QStringLiteral(")");
}

QString InsertTransactionDetail(const QString& TransactionNo, const QString& AccountNo, int Seq,
                                Amount amount) {
    return QStringLiteral("INSERT INTO Ledger_TransactionDetails(FKID_Transaction, FKID_Account, "
                          "Seq, Amount) ") +
           QStringLiteral("VALUES (") + SqlText(TransactionNo) + QStringLiteral(", ") +
           SqlText(AccountNo) + QStringLiteral(", ") + num(Seq) + QStringLiteral(", ") +
           money(amount) + QStringLiteral(")");
}

QString UpdateTransactionPosted(const QString& TransactionNo, bool Posted) {
    return QStringLiteral("UPDATE Ledger_Transactions ") + QStringLiteral("SET Posted = ") +
           boolean(Posted) + QStringLiteral(" WHERE ") + QStringLiteral("TransactionNo = ") +
           SqlText(TransactionNo);
}

QString DeleteTransaction(const QString& TransactionNo) {
    return QStringLiteral("DELETE FROM Ledger_Transactions ") +
           QStringLiteral("WHERE (TransactionNo = ") + SqlText(TransactionNo) + QStringLiteral(")");
}

QString DeleteAllTransactions() {
    return QStringLiteral("DELETE FROM Ledger_Transactions");
}

QString DeleteAllTransactionHistories() {
    return QStringLiteral("DELETE FROM Ledger_TransactionHistories");
}

// Custom report definitions

QString GetCustomReportTypes() {
    return QStringLiteral("SELECT ReportTypeID, Description, Name ") +
           QStringLiteral("From SYS_CustReportTypes");
}

QString GetCustomReportList() {
    return QStringLiteral("SELECT Ledger_CustomReports.Name, Ledger_CustomReports.Title, "
                          "SYS_CustReportTypes.Description ") +
           QStringLiteral("FROM SYS_CustReportTypes, Ledger_CustomReports ") +
           QStringLiteral("WHERE SYS_CustReportTypes.ReportTypeID = "
                          "Ledger_CustomReports.FKID_CustReportType ");
}

QString GetCustomReport(const QString& Name) {
    return QStringLiteral("SELECT Name, Title, Ledger_CustomReports.FKID_CustReportType as "
                          "ReportTypeID ") +
           QStringLiteral("FROM Ledger_CustomReports ") + QStringLiteral("WHERE Name = ") +
           SqlText(Name);
}

QString GetCustomReportDetails(const QString& Name) {
    return QStringLiteral("SELECT RowName, RowType, FKID_Account_Start AS AccountStart, "
                          "FKID_Account_End AS AccountEnd ") +
           QStringLiteral("FROM Ledger_CustomReportDetails ") +
           QStringLiteral("WHERE FKID_CustomReport = ") + SqlText(Name) +
           QStringLiteral(" ORDER BY Seq");
}

QString InsertCustomReport(const QString& Name, const QString& Title, long ReportTypeID) {
    return QStringLiteral("INSERT INTO Ledger_CustomReports(Name, Title, FKID_CustReportType) ") +
           QStringLiteral("VALUES ( ") + SqlText(Name) + QStringLiteral(", ") + SqlText(Title) +
           QStringLiteral(", ") + num(ReportTypeID) + QStringLiteral(")");
}

QString InsertCustomReportDetail(const QString& ReportName, long Seq, const QString& RowName,
                                 const QString& RowType, const QString& AccountStart,
                                 const QString& AccountEnd) {
    return QStringLiteral("INSERT INTO Ledger_CustomReportDetails(FKID_CustomReport, Seq, "
                          "RowName, RowType, FKID_Account_Start, FKID_Account_End) ") +
           QStringLiteral("VALUES ( ") + SqlText(ReportName) + QStringLiteral(", ") + num(Seq) +
           QStringLiteral(", ") + SqlText(RowName) + QStringLiteral(", ") + SqlText(RowType) +
           QStringLiteral(", ") + SqlText(AccountStart) + QStringLiteral(", ") +
           SqlText(AccountEnd) + QStringLiteral(")");
}

QString DeleteCustomReport(const QString& Name) {
    return QStringLiteral("DELETE FROM Ledger_CustomReports ") + QStringLiteral("WHERE (Name = ") +
           SqlText(Name) + QStringLiteral(")");
}

QString DeleteAllCustomReports() {
    return QStringLiteral("DELETE FROM Ledger_CustomReports ");
}

// General ledger of the open year

QString InsertGeneralYear(const QString& AccountNo, int PeriodYear) {
    return QStringLiteral("INSERT INTO Ledger_General(FKID_Account, PeriodYear, Period) ") +
           QStringLiteral("SELECT ") + SqlText(AccountNo) + QStringLiteral(" AS AccountNo, ") +
           num(PeriodYear) + QStringLiteral(" AS YearPeriod, SYS_Twelve.ID") +
           QStringLiteral(" FROM SYS_Twelve");
}

QString InsertGeneral(const QString& AccountNo, int PeriodYear, int Period, Amount Debit,
                      Amount Credit) {
    return QStringLiteral(
               "INSERT INTO Ledger_General(FKID_Account, PeriodYear, Period, Debit, Credit) ") +
           QStringLiteral("VALUES ( ") + SqlText(AccountNo) + QStringLiteral(", ") +
           num(PeriodYear) + QStringLiteral(", ") + num(Period) + QStringLiteral(", ") +
           money(Debit) + QStringLiteral(", ") + money(Credit) + QStringLiteral(")");
}

QString UpdateGeneral(const QString& AccountNo, int PeriodYear, int Period, Amount Debit,
                      Amount Credit) {
    return QStringLiteral("UPDATE Ledger_General ") + QStringLiteral("SET Debit=") + money(Debit) +
           QStringLiteral(", Credit=") + money(Credit) + QStringLiteral(" WHERE ") +
           QStringLiteral("FKID_Account=") + SqlText(AccountNo) +
           QStringLiteral(" AND PeriodYear=") + num(PeriodYear) + QStringLiteral(" AND Period= ") +
           num(Period);
}

QString GetGeneral(const QString& AccountNo, int PeriodYear, int Period) {
    return QStringLiteral("SELECT FKID_Account as AccountNo, PeriodYear, Period, Credit, Debit ") +
           QStringLiteral("FROM Ledger_General ") + QStringLiteral("WHERE FKID_Account=") +
           SqlText(AccountNo) + QStringLiteral(" AND PeriodYear=") + num(PeriodYear) +
           QStringLiteral(" AND Period=") + num(Period);
}

QString GetGeneralOfAccountYear(const QString& AccountNo, int PeriodYear) {
    return QStringLiteral("SELECT FKID_Account as AccountNo, PeriodYear, Period, Credit, Debit ") +
           QStringLiteral("FROM Ledger_General ") + QStringLiteral("WHERE FKID_Account=") +
           SqlText(AccountNo) + QStringLiteral(" AND PeriodYear=") + num(PeriodYear);
}

QString GetGeneralOfPeriod(int PeriodYear, int Period) {
    return QStringLiteral("SELECT Ledger_General.FKID_Account AS AccountNo, "
                          "Ledger_Accounts.AccountName, Ledger_General.PeriodYear, "
                          "Ledger_General.Period, Ledger_General.Credit, Ledger_General.Debit ") +
           QStringLiteral("FROM Ledger_Accounts INNER JOIN Ledger_General ON "
                          "Ledger_Accounts.AccountNo = Ledger_General.FKID_Account ") +
           QStringLiteral("WHERE PeriodYear=") + num(PeriodYear) + QStringLiteral(" AND Period=") +
           num(Period) +
           QStringLiteral(
               " ORDER BY Ledger_General.FKID_Account, Ledger_Accounts.FKID_AccountClass");
}

QString DeleteGeneral(const QString& AccountNo, int PeriodYear, int Period) {
    return QStringLiteral("Delete From Ledger_General ") + QStringLiteral("WHERE FKID_Account=") +
           SqlText(AccountNo) + QStringLiteral(" AND PeriodYear=") + num(PeriodYear) +
           QStringLiteral(" AND Period=") + num(Period);
}

QString DeleteGeneralOfAccount(const QString& AccountNo) {
    return QStringLiteral("Delete From Ledger_General ") + QStringLiteral("WHERE FKID_Account=") +
           SqlText(AccountNo);
}

QString DeleteAllGeneral() {
    return QStringLiteral("Delete From Ledger_General ");
}

// General ledger history

QString InsertGeneralHistory(const QString& AccountNo, int PeriodYear, int Period, Amount Debit,
                             Amount Credit) {
    return QStringLiteral("INSERT INTO Ledger_GeneralHistories(FKID_Account, PeriodYear, Period, "
                          "Debit, Credit) ") +
           QStringLiteral("VALUES ( ") + SqlText(AccountNo) + QStringLiteral(", ") +
           num(PeriodYear) + QStringLiteral(", ") + num(Period) + QStringLiteral(", ") +
           money(Debit) + QStringLiteral(", ") + money(Credit) + QStringLiteral(")");
}

QString GetGeneralHistoriesOfYear(int PeriodYear) {
    return QStringLiteral("SELECT FKID_Account as AccountNo, PeriodYear, Period, Credit, Debit ") +
           QStringLiteral("FROM Ledger_GeneralHistories ") + QStringLiteral("WHERE PeriodYear=") +
           num(PeriodYear);
}

QString DeleteGeneralHistory(const QString& AccountNo, int PeriodYear, int Period) {
    return QStringLiteral("Delete From Ledger_GeneralHistories ") +
           QStringLiteral("WHERE FKID_Account=") + SqlText(AccountNo) +
           QStringLiteral(" AND PeriodYear=") + num(PeriodYear) + QStringLiteral(" AND Period=") +
           num(Period);
}

QString DeleteAllGeneralHistories() {
    return QStringLiteral("Delete From Ledger_GeneralHistories ");
}

QString GetGeneralLedgerView(int Period, int PeriodYear) {
    const QString select = QStringLiteral(
        "SELECT PeriodYear, Period, FKID_Account AS AccountNo, AccountName, Credit, Debit ");
    if (PeriodYear < 1)
        return select +
               QStringLiteral("FROM Ledger_Accounts INNER JOIN Ledger_General ON "
                              "Ledger_Accounts.AccountNo = Ledger_General.FKID_Account ") +
               QStringLiteral("WHERE Period=") + num(Period) +
               QStringLiteral(
                   " ORDER BY Ledger_General.FKID_Account, Ledger_Accounts.FKID_AccountClass");
    return select +
           QStringLiteral("FROM Ledger_Accounts INNER JOIN Ledger_GeneralHistories ON "
                          "Ledger_Accounts.AccountNo = Ledger_GeneralHistories.FKID_Account ") +
           QStringLiteral("WHERE PeriodYear=") + num(PeriodYear) + QStringLiteral(" AND Period=") +
           num(Period) +
           QStringLiteral(" ORDER BY Ledger_GeneralHistories.FKID_Account, "
                          "Ledger_Accounts.FKID_AccountClass");
}

// Transaction history

QString InsertTransactionHistory(const QString& TransactionNo, const QString& AccountNo, int Seq,
                                 const QString& Source, const QDate& DateStamp,
                                 const QString& Description, Amount amount) {
    return QStringLiteral("INSERT INTO Ledger_TransactionHistories(TransactionNo, FKID_Account, "
                          "Seq, Source, DateStamp, Description, Amount) ") +
           QStringLiteral("VALUES(") + SqlText(TransactionNo) + QStringLiteral(", ") +
           SqlText(AccountNo) + QStringLiteral(", ") + num(Seq) + QStringLiteral(", ") +
           SqlText(Source) + QStringLiteral(", ") + date(DateStamp) + QStringLiteral(", ") +
           SqlText(Description) + QStringLiteral(", ") + money(amount) + QStringLiteral(")");
}

QString GetTransactionHistoriesInRange(const QDate& DateFrom, const QDate& DateTo) {
    return QStringLiteral("SELECT TransactionNo, Source, DateStamp, Description, Seq, "
                          "FKID_Account as AccountNo, AccountName, Amount ") +
           QStringLiteral("FROM Ledger_TransactionHistories INNER JOIN Ledger_Accounts ON "
                          "Ledger_TransactionHistories.FKID_Account = Ledger_Accounts.AccountNo ") +
           QStringLiteral("WHERE DateStamp BETWEEN ") + date(DateFrom) + QStringLiteral(" AND ") +
           date(DateTo) + QStringLiteral(" ORDER BY TransactionNo, Seq");
}

QString GetTransactionHistoryView(const QDate& DateFrom, const QDate& DateTo) {
    return QStringLiteral("SELECT TransactionNo, Source, DateStamp, Description, FKID_Account as "
                          "AccountNo, AccountName, (IIF(CCur([Amount])< 0, 0, CCur([Amount]))) "
                          "AS Debit, (IIF(CCur([Amount])> 0, 0, Abs(CCur([Amount])))) AS Credit ") +
           QStringLiteral("FROM Ledger_TransactionHistories INNER JOIN Ledger_Accounts ON "
                          "Ledger_TransactionHistories.FKID_Account = Ledger_Accounts.AccountNo ") +
           QStringLiteral("WHERE DateStamp BETWEEN") + date(DateFrom) + QStringLiteral(" AND ") +
           date(DateTo) + QStringLiteral(" ORDER BY TransactionNo, DateStamp, Seq");
}

QString DeleteTransactionHistory(const QString& TransactionNo, const QString& AccountNo) {
    return QStringLiteral("DELETE FROM Ledger_TransactionHistories ") +
           QStringLiteral("WHERE (TransactionNo = ") + SqlText(TransactionNo) +
           QStringLiteral(" AND FKID_Account=") + SqlText(AccountNo) + QStringLiteral(")");
}

// Balances of the open year

QString InsertAccountBalance(const QString& AccountNo, int PeriodYear, Amount BeginningBalance) {
    return QStringLiteral("INSERT INTO Ledger_AccountBalances (FKID_Account, PeriodYear, "
                          "BeginningBalance) ") +
           QStringLiteral("VALUES(") + SqlText(AccountNo) + QStringLiteral(", ") + num(PeriodYear) +
           QStringLiteral(", ") + money(BeginningBalance) + QStringLiteral(")");
}

QString InsertAccountBalanceFull(const QString& AccountNo, int PeriodYear, Amount BeginningBalance,
                                 const Saldos& Saldo) {
    return balanceFull(QStringLiteral("INSERT INTO Ledger_AccountBalances (FKID_Account, "
                                      "PeriodYear, BeginningBalance, ") +
                           SaldoList + QStringLiteral(") "),
                       AccountNo, PeriodYear, BeginningBalance, Saldo);
}

QString UpdateAccountBalanceColumn(const QString& AccountNo, int PeriodYear, int Period,
                                   Amount Value) {
    const QString column =
        Period < 1 ? QStringLiteral("BeginningBalance") : QStringLiteral("Saldo") + num(Period);
    return QStringLiteral("UPDATE Ledger_AccountBalances ") + QStringLiteral("SET ") + column +
           QStringLiteral("=") + money(Value) + QStringLiteral(" WHERE ") +
           QStringLiteral("FKID_Account=") + SqlText(AccountNo) +
           QStringLiteral(" AND PeriodYear=") + num(PeriodYear);
}

QString GetAccountBalance(const QString& AccountNo, int PeriodYear) {
    return QStringLiteral("SELECT FKID_Account as AccountNo, PeriodYear, BeginningBalance, ") +
           SaldoList + QStringLiteral(" ") + QStringLiteral("FROM Ledger_AccountBalances ") +
           QStringLiteral("WHERE FKID_Account=") + SqlText(AccountNo) +
           QStringLiteral(" AND PeriodYear=") + num(PeriodYear);
}

QString GetAccountBalancesWithYearTotal(int PeriodYear) {
    return QStringLiteral("SELECT FKID_Account as AccountNo, PeriodYear, BeginningBalance, ") +
           SaldoList + QStringLiteral(", ") +
           QStringLiteral("(BeginningBalance+Saldo1+Saldo2+Saldo3+Saldo4+Saldo5+Saldo6+Saldo7+"
                          "Saldo8+Saldo9+Saldo10+Saldo11+Saldo12) as YearTotal, "
                          "Ledger_Accounts.FKID_AccountClass as AccountClassID ") +
           QStringLiteral("FROM Ledger_Accounts INNER JOIN Ledger_AccountBalances ON "
                          "Ledger_Accounts.AccountNo = Ledger_AccountBalances.FKID_Account ") +
           QStringLiteral("WHERE PeriodYear=") + num(PeriodYear);
}

QString DeleteAccountBalanceOfYear(const QString& AccountNo, int PeriodYear) {
    return QStringLiteral("DELETE FROM Ledger_AccountBalances ") +
           QStringLiteral("WHERE (FKID_Account = ") + SqlText(AccountNo) +
           QStringLiteral(") AND (PeriodYear=") + num(PeriodYear) + QStringLiteral(")");
}

QString DeleteAccountBalances(const QString& AccountNo) {
    return QStringLiteral("DELETE FROM Ledger_AccountBalances ") +
           QStringLiteral("WHERE (FKID_Account = ") + SqlText(AccountNo) + QStringLiteral(")");
}

QString DeleteAllAccountBalances() {
    return QStringLiteral("DELETE FROM Ledger_AccountBalances ");
}

// Balance history

QString InsertAccountBalanceHistory(const QString& AccountNo, int PeriodYear,
                                    Amount BeginningBalance, const Saldos& Saldo) {
    return balanceFull(QStringLiteral("INSERT INTO Ledger_AccountBalanceHistories (FKID_Account, "
                                      "PeriodYear, BeginningBalance, ") +
                           SaldoList + QStringLiteral(") "),
                       AccountNo, PeriodYear, BeginningBalance, Saldo);
}

QString GetAccountBalanceHistoriesOfYear(int PeriodYear) {
    return QStringLiteral("SELECT FKID_Account as AccountNo, PeriodYear, BeginningBalance, ") +
           SaldoList + QStringLiteral(" ") +
           QStringLiteral("FROM Ledger_AccountBalanceHistories ") +
           QStringLiteral("WHERE PeriodYear=") + num(PeriodYear);
}

QString GetBalanceHistoryView(int PeriodYear) {
    QString select = QStringLiteral(
        "SELECT Ledger_AccountBalanceHistories.PeriodYear, Ledger_Accounts.AccountNo, "
        "Ledger_Accounts.AccountName, Ledger_AccountBalanceHistories.BeginningBalance");
    for (int i = 1; i <= 12; ++i)
        select += QStringLiteral(", Ledger_AccountBalanceHistories.Saldo%1 AS [Period %1]").arg(i);
    return select + QStringLiteral(" ") +
           QStringLiteral("FROM Ledger_Accounts INNER JOIN Ledger_AccountBalanceHistories ON "
                          "Ledger_Accounts.AccountNo = "
                          "Ledger_AccountBalanceHistories.FKID_Account ") +
           QStringLiteral("WHERE PeriodYear=") + num(PeriodYear);
}

QString GetAccountCardLines(const QString& AccountNo, const QDate& DateFrom, const QDate& DateTo) {
    const QString range =
        QStringLiteral(" BETWEEN ") + date(DateFrom) + QStringLiteral(" AND ") + date(DateTo);
    return QStringLiteral("SELECT Ledger_Transactions.DateStamp AS DateStamp, "
                          "Ledger_Transactions.TransactionNo AS TransactionNo, "
                          "Ledger_Transactions.Source AS Source, Ledger_Transactions.Description "
                          "AS Description, Ledger_Transactions.Posted AS Posted, 0 AS Closed, "
                          "Ledger_TransactionDetails.Seq AS Seq, Ledger_TransactionDetails.Amount "
                          "AS Amount ") +
           QStringLiteral("FROM Ledger_Transactions INNER JOIN Ledger_TransactionDetails ON "
                          "Ledger_Transactions.TransactionNo = "
                          "Ledger_TransactionDetails.FKID_Transaction ") +
           QStringLiteral("WHERE Ledger_TransactionDetails.FKID_Account=") + SqlText(AccountNo) +
           QStringLiteral(" AND Ledger_Transactions.DateStamp") + range +
           QStringLiteral(" UNION ALL SELECT DateStamp, TransactionNo, Source, Description, True, "
                          "1, Seq, Amount FROM Ledger_TransactionHistories WHERE FKID_Account=") +
           SqlText(AccountNo) + QStringLiteral(" AND DateStamp") + range +
           QStringLiteral(" ORDER BY DateStamp, TransactionNo, Seq");
}

QString GetAccountBeginningBalances(const QString& AccountNo) {
    return QStringLiteral("SELECT PeriodYear, BeginningBalance FROM Ledger_AccountBalances WHERE "
                          "FKID_Account=") +
           SqlText(AccountNo) +
           QStringLiteral(" UNION ALL SELECT PeriodYear, BeginningBalance FROM "
                          "Ledger_AccountBalanceHistories WHERE FKID_Account=") +
           SqlText(AccountNo);
}

QString DeleteAccountBalanceHistory(const QString& AccountNo, int PeriodYear) {
    return QStringLiteral("DELETE FROM Ledger_AccountBalanceHistories ") +
           QStringLiteral("WHERE (FKID_Account = ") + SqlText(AccountNo) +
           QStringLiteral(") AND (PeriodYear=") + num(PeriodYear) + QStringLiteral(")");
}

QString DeleteAllAccountBalanceHistories() {
    return QStringLiteral("DELETE FROM Ledger_AccountBalanceHistories ");
}

} // namespace modDBUtil
