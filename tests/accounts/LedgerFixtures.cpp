#include "LedgerFixtures.h"

#include "data/Connection.h"
#include "support/Books.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

namespace fixtures {

namespace {
// Plain SQL with values spelled out (no statement catalogue), run on the connection.
void sql(TestDatabase& db, const QString& text) {
    db.exec(text);
}
} // namespace

void setCompanyYear(TestDatabase& db, int currentPeriodYear, int financialPeriodBegin) {
    sql(db, QStringLiteral("UPDATE SYS_Company SET CurrentPeriodYear=%1, BeginPeriodYear=%1, "
                           "FinancialPeriodBegin=%2")
                .arg(currentPeriodYear)
                .arg(financialPeriodBegin));
}

void addAccount(TestDatabase& db, const QString& no, const QString& name, int classId, int year) {
    sql(db, QStringLiteral("INSERT INTO Ledger_Accounts (AccountNo, AccountName, "
                           "FKID_AccountClass) VALUES ('%1', '%2', %3)")
                .arg(no, name)
                .arg(classId));
    sql(db, QStringLiteral("INSERT INTO Ledger_AccountBalances (FKID_Account, PeriodYear) "
                           "VALUES ('%1', %2)")
                .arg(no)
                .arg(year));
    for (int p = 1; p <= 12; ++p)
        sql(db, QStringLiteral("INSERT INTO Ledger_General (FKID_Account, PeriodYear, Period) "
                               "VALUES ('%1', %2, %3)")
                    .arg(no)
                    .arg(year)
                    .arg(p));
}

void addTransaction(TestDatabase& db, const QString& no, bool posted,
                    const std::vector<std::pair<QString, qint64>>& lines) {
    sql(db, QStringLiteral("INSERT INTO Ledger_Transactions (TransactionNo, Source, Description, "
                           "DateStamp, Posted) VALUES ('%1', 'Src', 'Desc', #2004/03/15#, %2)")
                .arg(no, posted ? QStringLiteral("True") : QStringLiteral("False")));
    int seq = 0;
    for (const auto& [account, raw] : lines) {
        // SELECT rather than VALUES: the amount goes in as ten-thousandths, untranslated.
        zelk::g_cnn->execute(QStringLiteral("INSERT INTO Ledger_TransactionDetails "
                                            "(FKID_Transaction, FKID_Account, Seq, Amount) "
                                            "SELECT '%1', '%2', %3, %4")
                                 .arg(no, account)
                                 .arg(++seq)
                                 .arg(raw));
    }
}

QStringList ledgerTables() {
    return {QStringLiteral("Ledger_Accounts"),
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

void fillEveryLedgerTable(TestDatabase& db) {
    addAccount(db, QStringLiteral("1000"), QStringLiteral("Cash"), 1, 2004);
    addAccount(db, QStringLiteral("4000"), QStringLiteral("Sales"), 5, 2004);
    addTransaction(db, QStringLiteral("T1"), false,
                   {{QStringLiteral("1000"), 1000000}, {QStringLiteral("4000"), -1000000}});
    sql(db, QStringLiteral("INSERT INTO Ledger_TransactionHistories (TransactionNo, FKID_Account, "
                           "Seq, DateStamp) VALUES ('H1', '1000', 1, #2003/05/01#)"));
    sql(db, QStringLiteral("INSERT INTO Ledger_GeneralHistories (FKID_Account, PeriodYear, "
                           "Period) VALUES ('1000', 2003, 1)"));
    sql(db, QStringLiteral("INSERT INTO Ledger_AccountBalanceHistories (FKID_Account, "
                           "PeriodYear) VALUES ('1000', 2003)"));
    sql(db, QStringLiteral("INSERT INTO Ledger_CustomReports (Name, Title, FKID_CustReportType) "
                           "VALUES ('R1', 'Report', 1)"));
    sql(db, QStringLiteral("INSERT INTO Ledger_CustomReportDetails (FKID_CustomReport, Seq, "
                           "RowName, RowType) VALUES ('R1', 1, 'Head', 'Heading')"));
    for (const QString& t : ledgerTables())
        EXPECT_GT(db.count(t), 0) << t.toStdString();
}

void refuse(TestDatabase& db, const QString& op, const QString& table) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(db.filePath()).constData(), &raw), SQLITE_OK);
    keyRawBooks(raw);
    const QString name = QStringLiteral("test_refuse_%1_%2").arg(op.toLower(), table);
    const QString script =
        QStringLiteral("CREATE TABLE IF NOT EXISTS TestRefuse (Flag INTEGER);"
                       "DELETE FROM TestRefuse; INSERT INTO TestRefuse VALUES (1);"
                       "CREATE TRIGGER %1 BEFORE %2 ON %3 "
                       "WHEN (SELECT count(*) FROM TestRefuse) > 0 "
                       "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END;")
            .arg(name, op, table);
    char* error = nullptr;
    const int rc = sqlite3_exec(raw, script.toUtf8().constData(), nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(raw);
}

void stopRefusing() {
    zelk::g_cnn->execute(QStringLiteral("DELETE FROM TestRefuse"));
}

} // namespace fixtures
