#pragma once

#include "Amount.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <array>

// The catalogue of the system's SQL texts. Each function returns the complete text of
// one query or statement and never touches the connection. Text arguments go through
// SqlText, whole numbers as decimal digits, amounts in plain decimal, dates as #yyyy/mm/dd#.
namespace modDBUtil {

using zelk::Amount;
using Saldos = std::array<Amount, 12>;

// Company
QString GetCompany();
QString UpdateCompanyPeriods(int BeginPeriod, int BeginPeriodYear, int CurrentPeriodYear,
                             int FinancialPeriodBegin);
QString UpdateCompanyInfo(const QString& Name, const QString& Address, const QString& Phone,
                          const QString& Fax, const QString& Email);

// Account classes and accounts
QString GetAccountClasses();
QString GetAccountList();
QString GetAccountsWithClass();
QString GetAccountsOfClass();
QString GetAccount(const QString& AccountNo);
QString InsertAccount(const QString& AccountNo, const QString& AccountName, long AccountClassID,
                      const QString& Notes);
QString UpdateAccount(const QString& AccountNo, const QString& AccountName, long AccountClassID,
                      const QString& Notes);
QString DeleteAccount(const QString& AccountNo);
QString DeleteAllAccounts();

// Journal
QString GetTransactionCount();
QString GetUnpostedCount();
QString GetTransactionList();
// The transaction list window's rows: GetTransactionList's columns with the Description
// and each transaction's Total (the sum of its debit lines; null without one).
QString GetTransactionListWithTotals();
// The numbers of the journal's latest date and of the history's latest date
// (TransactionNo, DateStamp), each number once.
QString GetLatestTransactionNumbers();
// A row for each use of a number: its journal transaction and its history lines.
QString GetTransactionNumberUse(const QString& TransactionNo);
// One row, LastDate: the latest date of the journal transactions of a range whose
// posted flag is the one given; null when there is none.
QString GetLastTransactionDate(const QDate& DateFrom, const QDate& DateTo, bool Posted);
// One row, LastDate: the latest date of the history lines of a range; null when none.
QString GetLastHistoryDate(const QDate& DateFrom, const QDate& DateTo);
// One row, LastPeriod: the last period of a year whose general ledger holds a debit or
// a credit; null when none does.
QString GetLastPostedPeriod(int PeriodYear);
QString GetTransaction(const QString& TransactionNo);
QString GetTransactionDetails(const QString& TransactionNo);
QString GetTransactionsInRange(const QDate& DateFrom, const QDate& DateTo);
// The transaction list report's lines: every line of the journal's transactions dated
// in the range (a transaction without lines gives one row with a null AccountNo), then
// the history's lines of the range (Closed 1, Posted true), ordered by date, number,
// Closed, source, description and Seq, so each transaction's lines come together
// (Closed, DateStamp, TransactionNo, Source, Description, Posted, Seq, AccountNo,
// AccountName, Amount).
QString GetTransactionListLinesInRange(const QDate& DateFrom, const QDate& DateTo);
// One row, TransactionCount: the transactions those lines make up.
QString GetTransactionListCountInRange(const QDate& DateFrom, const QDate& DateTo);
QString GetUnpostedTransactionsInRange(const QDate& DateFrom, const QDate& DateTo);
QString GetPostedTransactionsInRange(const QDate& DateFrom, const QDate& DateTo);
// The lines of the transactions of those two statements, in the same order, each
// transaction's lines together in their order; a transaction without lines gives one
// row with a null AccountNo (TransactionNo, DateStamp, AccountNo, Seq, Amount).
QString GetUnpostedTransactionLinesInRange(const QDate& DateFrom, const QDate& DateTo);
QString GetPostedTransactionLinesInRange(const QDate& DateFrom, const QDate& DateTo);
// Sets the posted flag of every transaction of the range whose flag is the other one.
QString UpdateTransactionsPostedInRange(const QDate& DateFrom, const QDate& DateTo, bool Posted);
// How many rows the three statements above give (TransactionCount).
QString GetTransactionCountInRange(const QDate& DateFrom, const QDate& DateTo);
QString GetUnpostedCountInRange(const QDate& DateFrom, const QDate& DateTo);
QString GetPostedCountInRange(const QDate& DateFrom, const QDate& DateTo);
QString InsertTransaction(const QString& TransactionNo, const QString& Source,
                          const QString& Description, const QDate& DateStamp, bool Posted);
QString InsertTransactionDetail(const QString& TransactionNo, const QString& AccountNo, int Seq,
                                Amount amount);
QString UpdateTransactionPosted(const QString& TransactionNo, bool Posted);
QString DeleteTransaction(const QString& TransactionNo);
QString DeleteAllTransactions();
QString DeleteAllTransactionHistories();

// Custom report definitions
QString GetCustomReportTypes();
QString GetCustomReportList();
QString GetCustomReport(const QString& Name);
QString GetCustomReportDetails(const QString& Name);
QString InsertCustomReport(const QString& Name, const QString& Title, long ReportTypeID);
QString InsertCustomReportDetail(const QString& ReportName, long Seq, const QString& RowName,
                                 const QString& RowType, const QString& AccountStart,
                                 const QString& AccountEnd);
QString DeleteCustomReport(const QString& Name);
QString DeleteAllCustomReports();

// General ledger of the open year
QString InsertGeneralYear(const QString& AccountNo, int PeriodYear);
QString InsertGeneral(const QString& AccountNo, int PeriodYear, int Period, Amount Debit,
                      Amount Credit);
QString UpdateGeneral(const QString& AccountNo, int PeriodYear, int Period, Amount Debit,
                      Amount Credit);
QString GetGeneral(const QString& AccountNo, int PeriodYear, int Period);
QString GetGeneralOfAccountYear(const QString& AccountNo, int PeriodYear);
QString GetGeneralOfPeriod(int PeriodYear, int Period);
QString DeleteGeneral(const QString& AccountNo, int PeriodYear, int Period);
QString DeleteGeneralOfAccount(const QString& AccountNo);
QString DeleteAllGeneral();

// General ledger history
QString InsertGeneralHistory(const QString& AccountNo, int PeriodYear, int Period, Amount Debit,
                             Amount Credit);
QString GetGeneralHistoriesOfYear(int PeriodYear);
QString DeleteGeneralHistory(const QString& AccountNo, int PeriodYear, int Period);
QString DeleteAllGeneralHistories();
QString GetGeneralLedgerView(int Period, int PeriodYear);

// Transaction history
QString InsertTransactionHistory(const QString& TransactionNo, const QString& AccountNo, int Seq,
                                 const QString& Source, const QDate& DateStamp,
                                 const QString& Description, Amount amount);
QString GetTransactionHistoriesInRange(const QDate& DateFrom, const QDate& DateTo);
QString GetTransactionHistoryView(const QDate& DateFrom, const QDate& DateTo);
QString DeleteTransactionHistory(const QString& TransactionNo, const QString& AccountNo);

// Balances of the open year
QString InsertAccountBalance(const QString& AccountNo, int PeriodYear, Amount BeginningBalance);
QString InsertAccountBalanceFull(const QString& AccountNo, int PeriodYear, Amount BeginningBalance,
                                 const Saldos& Saldo);
QString UpdateAccountBalanceColumn(const QString& AccountNo, int PeriodYear, int Period,
                                   Amount Value);
QString GetAccountBalance(const QString& AccountNo, int PeriodYear);
QString GetAccountBalancesWithYearTotal(int PeriodYear);
QString DeleteAccountBalanceOfYear(const QString& AccountNo, int PeriodYear);
QString DeleteAccountBalances(const QString& AccountNo);
QString DeleteAllAccountBalances();

// Balance history
QString InsertAccountBalanceHistory(const QString& AccountNo, int PeriodYear,
                                    Amount BeginningBalance, const Saldos& Saldo);
QString GetAccountBalanceHistoriesOfYear(int PeriodYear);
QString GetBalanceHistoryView(int PeriodYear);
// Every line of one account dated in the range, from the journal (posted or not) and from
// the transaction history, in date, transaction and line order. Closed is 1 for a line
// of the history.
QString GetAccountCardLines(const QString& AccountNo, const QDate& DateFrom, const QDate& DateTo);
// The account's beginning balance of each fiscal year the books hold, open and closed.
QString GetAccountBeginningBalances(const QString& AccountNo);
QString DeleteAccountBalanceHistory(const QString& AccountNo, int PeriodYear);
QString DeleteAllAccountBalanceHistories();

// Reports
// One row per revenue (class 5) or expense (class 6) account of the year, with the
// period's column as Saldo.
QString GetRevenueBalancesOfPeriod(int Year, int Period);
QString GetExpenseBalancesOfPeriod(int Year, int Period);
// One row per asset (class 1), equity (class 3) or liability (class 2) account of the
// year, with BeginningBalance and the columns Saldo1 ... Saldo<Period>.
QString GetAssetBalancesToPeriod(int Year, int Period);
QString GetEquityBalancesToPeriod(int Year, int Period);
QString GetLiabilityBalancesToPeriod(int Year, int Period);
// The same for the earning (class 4), revenue (class 5) and expense (class 6) accounts.
QString GetEarningBalancesToPeriod(int Year, int Period);
QString GetRevenueBalancesToPeriod(int Year, int Period);
QString GetExpenseBalancesToPeriod(int Year, int Period);

// Custom reports
// The balance rows of the accounts of a range (or of one account when LastAccount is
// empty), with BeginningBalance and Saldo1 ... Saldo<Period>.
QString GetCustomRowBalances(int Year, int Period, const QString& FirstAccount,
                             const QString& LastAccount);
// The same accounts with the month's column Saldo<Period> as Saldo.
QString GetCustomRowPeriodBalance(int Year, int Period, const QString& FirstAccount,
                                  const QString& LastAccount);

// Period processing
// The history lines of one transaction on one account dated within a range (so a
// transaction number used again in another month keeps its history).
QString DeleteTransactionHistoryInRange(const QString& TransactionNo, const QString& AccountNo,
                                        const QDate& DateFrom, const QDate& DateTo);
// One row with the column PostedCount: the posted transactions still in the journal
// that have lines (one without lines carries no amount), dated up to DateTo.
QString GetPostedCountToDate(const QDate& DateTo);
// One row with the column UnPostedCount: the unposted transactions dated up to DateTo.
QString GetUnpostedCountToDate(const QDate& DateTo);
// Deletes the transactions dated up to DateTo (their lines go with them).
QString DeleteTransactionsToDate(const QDate& DateTo);
// The dates of the history lines of one transaction number dated within a range.
QString GetTransactionHistoryDates(const QString& TransactionNo, const QDate& DateFrom,
                                   const QDate& DateTo);
// The dates of the posted transactions still in the journal dated within a range.
QString GetPostedDatesInRange(const QDate& DateFrom, const QDate& DateTo);
// Month end, in three statements: copies every line of the posted transactions dated in
// the range into the transaction history (the transaction's number, source, date and
// description beside each line); deletes those lines; deletes the transactions whose
// lines went to the history of the range (a transaction without lines stays).
QString InsertTransactionHistoriesInRange(const QDate& DateFrom, const QDate& DateTo);
QString DeletePostedTransactionDetailsInRange(const QDate& DateFrom, const QDate& DateTo);
QString DeleteMovedTransactionsInRange(const QDate& DateFrom, const QDate& DateTo);
// One row with the column HistoryCount: the history lines dated within a range.
QString GetTransactionHistoryCountInRange(const QDate& DateFrom, const QDate& DateTo);

// Bank statements
// The accounts of the assets and liabilities classes (AccountNo, AccountName).
QString GetBankAccounts();
// The CSV profile of a bank account. ProfileTexts are the text columns in this order:
// DateColumn, AmountColumn, DebitColumn, CreditColumn, IndicatorColumn, DebitIndicator,
// CounterpartyColumn, TextColumn, ReferenceColumn, BalanceColumn, DateFormat,
// DecimalMark, Separator, Encoding, Prefix.
QString GetBankProfile(const QString& AccountNo);
QString InsertBankProfile(const QString& AccountNo, const QStringList& ProfileTexts, int SkipLines);
QString DeleteBankProfile(const QString& AccountNo);
// The rules of a bank account in the order they apply.
QString GetBankRules(const QString& AccountNo);
QString InsertBankRule(const QString& AccountNo, int Seq, const QString& Field,
                       const QString& Matching, const QString& Pattern, int Sign,
                       const QString& ToAccount, const QString& Description);
QString DeleteBankRules(const QString& AccountNo);
// The identities of the statement lines imported into a bank account, and one more.
QString GetBankIdentities(const QString& AccountNo);
QString InsertBankIdentity(const QString& AccountNo, const QString& Identity,
                           const QString& TransactionNo, const QDate& DateStamp, Amount amount);
// Every line of the transactions of the journal and of the history that have a line on
// the account (TransactionNo, DateStamp, Description, AccountNo, Amount), the lines of
// one transaction together.
QString GetBankAccountTransactions(const QString& AccountNo);
// The numbers of the journal and of the history (TransactionNo).
QString GetAllTransactionNumbers();

// Import and export.
// The number and date of every history line dated within a range.
QString GetTransactionHistoryNumbersInRange(const QDate& DateFrom, const QDate& DateTo);
// Every line of the journal's transactions with its transaction's number, date, source
// and description, in the order of the transaction list (date, then number), each
// transaction's lines together in their order (TransactionNo, DateStamp, Source,
// Description, AccountNo, Amount).
QString GetJournalLines();

} // namespace modDBUtil
