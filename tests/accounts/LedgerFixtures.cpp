#include "LedgerFixtures.h"

#include "core/data/Connection.h"
#include "core/data/modDBUtil.h"
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
    db.exec(modDBUtil::InsertAccount(no, name, classId, ""));
    db.exec(modDBUtil::InsertAccountBalance(no, year, zelk::Amount()));
    db.exec(modDBUtil::InsertGeneralYear(no, year));
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
    using namespace modDBUtil;
    db.exec(InsertTransactionHistory("H1", "1000", 1, "", QDate(2003, 5, 1), "", {}));
    db.exec(InsertGeneralHistory("1000", 2003, 1, {}, {}));
    db.exec(InsertAccountBalanceHistory("1000", 2003, {}, {}));
    db.exec(InsertCustomReport("R1", "Report", 1));
    db.exec(InsertCustomReportDetail("R1", 1, "Head", "Heading", "", ""));
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
