// Each text is joined in one allocation.
#define QT_USE_QSTRINGBUILDER

#include "modDBUtil.h"
#include "modUtils.h"

namespace modDBUtil {

using modUtils::SqlText;

QString GetBankAccounts() {
    return QStringLiteral("SELECT AccountNo, AccountName FROM Ledger_Accounts WHERE "
                          "FKID_AccountClass IN (1, 2) ORDER BY AccountNo");
}

QString GetBankProfile(const QString& AccountNo) {
    return QStringLiteral("SELECT * FROM Ledger_BankProfiles WHERE FKID_Account=") %
           SqlText(AccountNo);
}

QString InsertBankProfile(const QString& AccountNo, const QStringList& ProfileTexts,
                          int SkipLines) {
    QString values;
    for (const QString& t : ProfileTexts)
        values += QStringLiteral(", ") % SqlText(t);
    return QStringLiteral("INSERT INTO Ledger_BankProfiles (FKID_Account, DateColumn, "
                          "AmountColumn, DebitColumn, CreditColumn, IndicatorColumn, "
                          "DebitIndicator, CounterpartyColumn, TextColumn, ReferenceColumn, "
                          "BalanceColumn, DateFormat, DecimalMark, Separator, Encoding, Prefix, "
                          "SkipLines) VALUES (") %
           SqlText(AccountNo) % values % QStringLiteral(", ") % QString::number(SkipLines) %
           QStringLiteral(")");
}

QString DeleteBankProfile(const QString& AccountNo) {
    return QStringLiteral("DELETE FROM Ledger_BankProfiles WHERE FKID_Account=") %
           SqlText(AccountNo);
}

QString GetBankRules(const QString& AccountNo) {
    return QStringLiteral("SELECT Seq, Field, Matching, Pattern, Sign, FKID_Account_To, "
                          "Description FROM Ledger_BankRules WHERE FKID_Account=") %
           SqlText(AccountNo) % QStringLiteral(" ORDER BY Seq");
}

QString InsertBankRule(const QString& AccountNo, int Seq, const QString& Field,
                       const QString& Matching, const QString& Pattern, int Sign,
                       const QString& ToAccount, const QString& Description) {
    return QStringLiteral("INSERT INTO Ledger_BankRules (FKID_Account, Seq, Field, Matching, "
                          "Pattern, Sign, FKID_Account_To, Description) VALUES (") %
           SqlText(AccountNo) % QStringLiteral(", ") % QString::number(Seq) % QStringLiteral(", ") %
           SqlText(Field) % QStringLiteral(", ") % SqlText(Matching) % QStringLiteral(", ") %
           SqlText(Pattern) % QStringLiteral(", ") % QString::number(Sign) % QStringLiteral(", ") %
           SqlText(ToAccount) % QStringLiteral(", ") % SqlText(Description) % QStringLiteral(")");
}

QString DeleteBankRules(const QString& AccountNo) {
    return QStringLiteral("DELETE FROM Ledger_BankRules WHERE FKID_Account=") % SqlText(AccountNo);
}

QString GetBankIdentities(const QString& AccountNo) {
    return QStringLiteral("SELECT Identity, TransactionNo FROM Ledger_BankIdentities WHERE "
                          "FKID_Account=") %
           SqlText(AccountNo);
}

QString InsertBankIdentity(const QString& AccountNo, const QString& Identity,
                           const QString& TransactionNo, const QDate& DateStamp, Amount amount) {
    return QStringLiteral("INSERT INTO Ledger_BankIdentities (FKID_Account, Identity, "
                          "TransactionNo, DateStamp, Amount) VALUES (") %
           SqlText(AccountNo) % QStringLiteral(", ") % SqlText(Identity) % QStringLiteral(", ") %
           SqlText(TransactionNo) % QStringLiteral(", ") % modUtils::SqlDateOf(DateStamp) %
           QStringLiteral(", ") % amount.toSqlText() % QStringLiteral(")");
}

QString GetBankAccountTransactions(const QString& AccountNo) {
    const QString account = SqlText(AccountNo);
    return QStringLiteral("SELECT Ledger_Transactions.TransactionNo AS TransactionNo, "
                          "Ledger_Transactions.DateStamp AS DateStamp, "
                          "Ledger_Transactions.Description AS Description, "
                          "Ledger_TransactionDetails.FKID_Account AS AccountNo, "
                          "Ledger_TransactionDetails.Amount AS Amount "
                          "FROM Ledger_Transactions INNER JOIN Ledger_TransactionDetails ON "
                          "Ledger_Transactions.TransactionNo = "
                          "Ledger_TransactionDetails.FKID_Transaction "
                          "WHERE Ledger_Transactions.TransactionNo IN (SELECT FKID_Transaction "
                          "FROM Ledger_TransactionDetails WHERE FKID_Account=") %
           account %
           QStringLiteral(") UNION ALL SELECT TransactionNo, DateStamp, Description, "
                          "FKID_Account, Amount FROM Ledger_TransactionHistories AS H WHERE "
                          "EXISTS (SELECT TransactionNo FROM Ledger_TransactionHistories WHERE "
                          "Ledger_TransactionHistories.TransactionNo = H.TransactionNo AND "
                          "Ledger_TransactionHistories.DateStamp = H.DateStamp AND "
                          "Ledger_TransactionHistories.FKID_Account=") %
           account % QStringLiteral(") ORDER BY 1, 2");
}

QString GetAllTransactionNumbers() {
    return QStringLiteral("SELECT TransactionNo FROM Ledger_Transactions UNION SELECT "
                          "TransactionNo FROM Ledger_TransactionHistories");
}

} // namespace modDBUtil
