#include "Schema.h"

namespace zelk::schema {

namespace {

// Money columns hold ten-thousandths as INTEGER; dates are ISO text; Yes/No 0/1.
// Keys and account references compare case-insensitively. Columns that statements
// update (amounts, the posted flag) carry defaults rather than NOT NULL: a NOT NULL
// check makes every UPDATE keep a statement journal, whose pages the cipher encrypts
// one by one, which triples the cost of a posting run.
QString balanceColumns() {
    QString s = QStringLiteral("BeginningBalance INTEGER DEFAULT 0");
    for (int i = 1; i <= 12; ++i)
        s += QStringLiteral(", Saldo%1 INTEGER DEFAULT 0").arg(i);
    return s;
}

const char* const AccountRef = "TEXT NOT NULL COLLATE NOCASE REFERENCES Ledger_Accounts(AccountNo)";

} // namespace

QStringList tableNames() {
    return {QStringLiteral("SYS_Company"),
            QStringLiteral("SYS_AccountClasses"),
            QStringLiteral("SYS_Twelve"),
            QStringLiteral("SYS_CustReportTypes"),
            QStringLiteral("Ledger_Accounts"),
            QStringLiteral("Ledger_Transactions"),
            QStringLiteral("Ledger_TransactionDetails"),
            QStringLiteral("Ledger_TransactionHistories"),
            QStringLiteral("Ledger_General"),
            QStringLiteral("Ledger_GeneralHistories"),
            QStringLiteral("Ledger_AccountBalances"),
            QStringLiteral("Ledger_AccountBalanceHistories"),
            QStringLiteral("Ledger_CustomReports"),
            QStringLiteral("Ledger_CustomReportDetails")};
}

QStringList createStatements() {
    const QString ref = QLatin1String(AccountRef);
    QStringList s;
    s << QStringLiteral(
        "CREATE TABLE SYS_Company (Name TEXT NOT NULL, Address TEXT NOT NULL, "
        "Phone TEXT NOT NULL, Fax TEXT, Email TEXT, "
        "BeginPeriod INTEGER NOT NULL CHECK (BeginPeriod BETWEEN 1 AND 12), "
        "BeginPeriodYear INTEGER NOT NULL, CurrentPeriodYear INTEGER NOT NULL, "
        "FinancialPeriodBegin INTEGER NOT NULL CHECK (FinancialPeriodBegin BETWEEN 1 AND 12))");
    s << QStringLiteral("CREATE TABLE SYS_AccountClasses (AccountClassID INTEGER PRIMARY KEY, "
                        "Name TEXT, Description TEXT)");
    s << QStringLiteral("CREATE TABLE SYS_Twelve (ID INTEGER PRIMARY KEY)");
    s << QStringLiteral("CREATE TABLE SYS_CustReportTypes (ReportTypeID INTEGER PRIMARY KEY, "
                        "Description TEXT, Name TEXT)");
    s << QStringLiteral("CREATE TABLE Ledger_Accounts (AccountNo TEXT NOT NULL COLLATE NOCASE "
                        "PRIMARY KEY, AccountName TEXT, FKID_AccountClass INTEGER, Notes TEXT) "
                        "WITHOUT ROWID");
    s << QStringLiteral("CREATE TABLE Ledger_Transactions (TransactionNo TEXT NOT NULL COLLATE "
                        "NOCASE PRIMARY KEY, Source TEXT, Description TEXT, "
                        "DateStamp TEXT NOT NULL, Posted INTEGER DEFAULT 0) "
                        "WITHOUT ROWID");
    s << QStringLiteral("CREATE INDEX Ledger_Transactions_DateStamp ON "
                        "Ledger_Transactions (DateStamp)");
    s << QStringLiteral("CREATE TABLE Ledger_TransactionDetails (FKID_Transaction TEXT NOT NULL "
                        "COLLATE NOCASE REFERENCES Ledger_Transactions(TransactionNo) "
                        "ON DELETE CASCADE, FKID_Account %1, Seq INTEGER NOT NULL, "
                        "Amount INTEGER DEFAULT 0, "
                        "PRIMARY KEY (FKID_Transaction, Seq)) WITHOUT ROWID")
             .arg(ref);
    s << QStringLiteral("CREATE TABLE Ledger_TransactionHistories (TransactionNo TEXT NOT NULL "
                        "COLLATE NOCASE, FKID_Account %1, Seq INTEGER NOT NULL, Source TEXT, "
                        "DateStamp TEXT NOT NULL, Description TEXT, "
                        "Amount INTEGER DEFAULT 0)")
             .arg(ref);
    s << QStringLiteral("CREATE INDEX Ledger_TransactionHistories_DateStamp ON "
                        "Ledger_TransactionHistories (DateStamp)");
    s << QStringLiteral("CREATE INDEX Ledger_TransactionHistories_Trx ON "
                        "Ledger_TransactionHistories (TransactionNo, FKID_Account)");
    for (const char* table : {"Ledger_General", "Ledger_GeneralHistories"}) {
        s << QStringLiteral("CREATE TABLE %1 (FKID_Account %2, PeriodYear INTEGER NOT NULL, "
                            "Period INTEGER NOT NULL, Debit INTEGER DEFAULT 0, "
                            "Credit INTEGER DEFAULT 0, "
                            "PRIMARY KEY (FKID_Account, PeriodYear, Period)) WITHOUT ROWID")
                 .arg(QLatin1String(table), ref);
        s << QStringLiteral("CREATE INDEX %1_Period ON %1 (PeriodYear, Period)")
                 .arg(QLatin1String(table));
    }
    for (const char* table : {"Ledger_AccountBalances", "Ledger_AccountBalanceHistories"}) {
        s << QStringLiteral("CREATE TABLE %1 (FKID_Account %2, PeriodYear INTEGER NOT NULL, %3, "
                            "PRIMARY KEY (FKID_Account, PeriodYear)) WITHOUT ROWID")
                 .arg(QLatin1String(table), ref, balanceColumns());
        s << QStringLiteral("CREATE INDEX %1_Year ON %1 (PeriodYear)").arg(QLatin1String(table));
    }
    s << QStringLiteral("CREATE TABLE Ledger_CustomReports (Name TEXT NOT NULL COLLATE NOCASE "
                        "PRIMARY KEY, Title TEXT, FKID_CustReportType INTEGER "
                        "REFERENCES SYS_CustReportTypes(ReportTypeID)) WITHOUT ROWID");
    s << QStringLiteral("CREATE TABLE Ledger_CustomReportDetails (FKID_CustomReport TEXT NOT NULL "
                        "COLLATE NOCASE REFERENCES Ledger_CustomReports(Name) ON DELETE CASCADE, "
                        "Seq INTEGER NOT NULL, RowName TEXT, RowType TEXT, "
                        "FKID_Account_Start TEXT COLLATE NOCASE, "
                        "FKID_Account_End TEXT COLLATE NOCASE, "
                        "PRIMARY KEY (FKID_CustomReport, Seq)) WITHOUT ROWID");
    return s;
}

QStringList addedTableNames(int version) {
    if (version == 1)
        return {QStringLiteral("Ledger_BankProfiles"), QStringLiteral("Ledger_BankRules"),
                QStringLiteral("Ledger_BankIdentities")};
    return {};
}

QStringList upgradeStatements(int version) {
    const QString ref = QLatin1String(AccountRef);
    QStringList s;
    if (version != 1)
        return s;
    // A bank account's statement profile: the columns of its CSV files by header name,
    // their formats, and the prefix of the numbers its imports take.
    s << QStringLiteral("CREATE TABLE Ledger_BankProfiles (FKID_Account %1 PRIMARY KEY, "
                        "DateColumn TEXT, AmountColumn TEXT, DebitColumn TEXT, "
                        "CreditColumn TEXT, IndicatorColumn TEXT, DebitIndicator TEXT, "
                        "CounterpartyColumn TEXT, TextColumn TEXT, ReferenceColumn TEXT, "
                        "BalanceColumn TEXT, DateFormat TEXT, DecimalMark TEXT, "
                        "Separator TEXT, Encoding TEXT, SkipLines INTEGER DEFAULT 0, "
                        "Prefix TEXT) WITHOUT ROWID")
             .arg(ref);
    // The rules of a bank account, in the order they apply (Seq 1, 2, ...).
    s << QStringLiteral("CREATE TABLE Ledger_BankRules (FKID_Account %1, Seq INTEGER NOT NULL, "
                        "Field TEXT NOT NULL, Matching TEXT NOT NULL, Pattern TEXT NOT NULL, "
                        "Sign INTEGER DEFAULT 0, FKID_Account_To %1, Description TEXT, "
                        "PRIMARY KEY (FKID_Account, Seq)) WITHOUT ROWID")
             .arg(ref);
    // Every imported statement line: its identity at the bank and the transaction it
    // became (which month end may have moved to the history, so no reference to it).
    s << QStringLiteral("CREATE TABLE Ledger_BankIdentities (FKID_Account %1, "
                        "Identity TEXT NOT NULL, TransactionNo TEXT NOT NULL COLLATE NOCASE, "
                        "DateStamp TEXT NOT NULL, Amount INTEGER DEFAULT 0, "
                        "PRIMARY KEY (FKID_Account, Identity)) WITHOUT ROWID")
             .arg(ref);
    s << QStringLiteral("CREATE INDEX Ledger_BankIdentities_Trx ON Ledger_BankIdentities "
                        "(TransactionNo)");
    return s;
}

QStringList addedStatements() {
    QStringList s;
    for (int v = 1; v <= CurrentVersion; ++v)
        s += upgradeStatements(v);
    return s;
}

QStringList referenceRows(int currentYear) {
    QStringList s;
    s << QStringLiteral("INSERT INTO SYS_Company (Name, Address, Phone, Fax, Email, BeginPeriod, "
                        "BeginPeriodYear, CurrentPeriodYear, FinancialPeriodBegin) VALUES "
                        "('My Company', 'Street and town', 'Phone number', NULL, NULL, 1, %1, "
                        "%1, 1)")
             .arg(currentYear);
    s << QStringLiteral("INSERT INTO SYS_AccountClasses (AccountClassID, Name, Description) VALUES "
                        "(1, 'Assets', 'What the company owns; balance sheet'), "
                        "(2, 'Liabilities', 'What the company owes; balance sheet'), "
                        "(3, 'Equities', 'The owners'' capital; balance sheet'), "
                        "(4, 'Earning', 'Receives the year''s result at year end'), "
                        "(5, 'Revenues', 'Income of the period; income statement'), "
                        "(6, 'Expenses', 'Costs of the period; income statement')");
    QString twelve = QStringLiteral("INSERT INTO SYS_Twelve (ID) VALUES ");
    for (int i = 1; i <= 12; ++i)
        twelve += QStringLiteral("%1(%2)").arg(i == 1 ? QString() : QStringLiteral(", ")).arg(i);
    s << twelve;
    s << QStringLiteral("INSERT INTO SYS_CustReportTypes (ReportTypeID, Description, Name) VALUES "
                        "(1, 'Balances', 'Cumulative'), "
                        "(2, 'Movements', 'Monthly')");
    return s;
}

} // namespace zelk::schema
