#include "LedgerFixtures.h"

#include "data/Connection.h"
#include "support/Books.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace fixtures {

void setCompanyYear(TestDatabase& db, int currentPeriodYear, int financialPeriodBegin) {
    db.exec(QString("UPDATE SYS_Company SET CurrentPeriodYear=%1, BeginPeriodYear=%1, "
                    "FinancialPeriodBegin=%2")
                .arg(currentPeriodYear)
                .arg(financialPeriodBegin));
}

void addAccount(TestDatabase& db, const QString& no, const QString& name, int classId, int year) {
    db.exec(QString("INSERT INTO Ledger_Accounts (AccountNo, AccountName, "
                    "FKID_AccountClass) VALUES ('%1', '%2', %3)")
                .arg(no, name)
                .arg(classId));
    db.exec(QString("INSERT INTO Ledger_AccountBalances (FKID_Account, PeriodYear) "
                    "VALUES ('%1', %2)")
                .arg(no)
                .arg(year));
    for (int p = 1; p <= 12; ++p)
        db.exec(QString("INSERT INTO Ledger_General (FKID_Account, PeriodYear, Period) "
                        "VALUES ('%1', %2, %3)")
                    .arg(no)
                    .arg(year)
                    .arg(p));
}

void addTransaction(TestDatabase& db, const QString& no, bool posted,
                    const std::vector<std::pair<QString, qint64>>& lines) {
    db.exec(QString("INSERT INTO Ledger_Transactions (TransactionNo, Source, Description, "
                    "DateStamp, Posted) VALUES ('%1', 'Src', 'Desc', #2004/03/15#, %2)")
                .arg(no, posted ? "True" : "False"));
    int seq = 0;
    for (const auto& [account, raw] : lines) {
        // SELECT rather than VALUES: the amount goes in as ten-thousandths, untranslated.
        zelk::g_cnn->execute(QString("INSERT INTO Ledger_TransactionDetails "
                                     "(FKID_Transaction, FKID_Account, Seq, Amount) "
                                     "SELECT '%1', '%2', %3, %4")
                                 .arg(no, account)
                                 .arg(++seq)
                                 .arg(raw));
    }
}

QStringList ledgerTables() {
    return QString("Accounts Transactions TransactionDetails TransactionHistories General "
                   "GeneralHistories AccountBalances AccountBalanceHistories "
                   "CustomReports CustomReportDetails")
        .split(' ')
        .replaceInStrings(QRegularExpression("^"), QString("Ledger_"));
}

void fillEveryLedgerTable(TestDatabase& db) {
    addAccount(db, "1000", "Cash", 1, 2004);
    addAccount(db, "4000", "Sales", 5, 2004);
    addTransaction(db, "T1", false, {{"1000", 1000000}, {"4000", -1000000}});
    db.exec("INSERT INTO Ledger_TransactionHistories (TransactionNo, FKID_Account, "
            "Seq, DateStamp) VALUES ('H1', '1000', 1, #2003/05/01#)");
    db.exec("INSERT INTO Ledger_GeneralHistories (FKID_Account, PeriodYear, "
            "Period) VALUES ('1000', 2003, 1)");
    db.exec("INSERT INTO Ledger_AccountBalanceHistories (FKID_Account, "
            "PeriodYear) VALUES ('1000', 2003)");
    db.exec("INSERT INTO Ledger_CustomReports (Name, Title, FKID_CustReportType) "
            "VALUES ('R1', 'Report', 1)");
    db.exec("INSERT INTO Ledger_CustomReportDetails (FKID_CustomReport, Seq, "
            "RowName, RowType) VALUES ('R1', 1, 'Head', 'Heading')");
    for (const QString& t : ledgerTables())
        EXPECT_GT(db.count(t), 0) << t.toStdString();
}

void refuse(TestDatabase& db, const QString& op, const QString& table) {
    rawExec(db.filePath(), QString("CREATE TABLE IF NOT EXISTS TestRefuse (Flag INTEGER);"
                                   "DELETE FROM TestRefuse; INSERT INTO TestRefuse VALUES (1);"
                                   "CREATE TRIGGER test_refuse_%1_%3 BEFORE %2 ON %3 "
                                   "WHEN (SELECT count(*) FROM TestRefuse) > 0 "
                                   "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END;")
                               .arg(op.toLower(), op, table)
                               .toUtf8()
                               .constData());
}

void stopRefusing() {
    zelk::g_cnn->execute(QString("DELETE FROM TestRefuse"));
}

} // namespace fixtures
