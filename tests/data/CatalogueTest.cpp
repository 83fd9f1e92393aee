#include "core/data/modDBUtil.h"

#include <QDate>
#include <gtest/gtest.h>

using namespace modDBUtil;
using zelk::Amount;

namespace {

Amount units(qint64 u) {
    return Amount::fromUnits(u);
}

} // namespace

// The texts whose exact form matters: the glued BETWEEN, the blank after "Period=",
// the column chosen by UpdateAccountBalanceColumn, and the examples of the catalogue.
TEST(CatalogueText, ExactTextsThatCarryQuirks) {
    EXPECT_EQ(InsertAccount("1000", "Cash", 1, ""),
              "INSERT INTO Ledger_Accounts(AccountNo, AccountName, FKID_AccountClass, Notes) "
              "VALUES ( '1000', 'Cash', 1, NULL)");
    EXPECT_EQ(UpdateTransactionPosted("T1", true),
              "UPDATE Ledger_Transactions SET Posted = True WHERE TransactionNo = 'T1'");
    EXPECT_TRUE(GetTransactionsInRange(QDate(2004, 1, 1), QDate(2004, 1, 31))
                    .endsWith("WHERE DateStamp BETWEEN #2004/01/01# AND #2004/01/31# ORDER BY "
                              "DateStamp, TransactionNo"));
    EXPECT_TRUE(
        InsertTransactionDetail("T", "A", 1, *Amount::parse("-150.5")).endsWith(", -150.5)"));
    EXPECT_TRUE(InsertTransactionDetail("T", "A", 1, units(200)).endsWith(", 200)"));
    EXPECT_TRUE(UpdateCompanyInfo("N", "A", "P", "", "e").contains(", Fax=NULL, "));
    EXPECT_EQ(GetPostedTransactionsInRange(QDate(2004, 1, 1), QDate(2004, 1, 31)),
              "SELECT DateStamp, TransactionNo, Source, Description, Posted FROM "
              "Ledger_Transactions WHERE DateStamp BETWEEN#2004/01/01# AND #2004/01/31# AND "
              "Posted = True");
    EXPECT_TRUE(GetTransactionHistoryView(QDate(2004, 1, 1), QDate(2004, 1, 31))
                    .contains("WHERE DateStamp BETWEEN#2004/01/01# AND #2004/01/31# ORDER BY "
                              "TransactionNo, DateStamp, Seq"));
    EXPECT_EQ(InsertGeneralYear("1000", 2004),
              "INSERT INTO Ledger_General(FKID_Account, PeriodYear, Period) SELECT '1000' AS "
              "AccountNo, 2004 AS YearPeriod, SYS_Twelve.ID FROM SYS_Twelve");
    EXPECT_TRUE(UpdateGeneral("1000", 2004, 4, units(1), units(2)).endsWith(" AND Period= 4"));
    EXPECT_TRUE(GetGeneral("1000", 2004, 4).endsWith(" AND Period=4"));
    EXPECT_EQ(UpdateAccountBalanceColumn("1000", 2004, 0, units(5)),
              "UPDATE Ledger_AccountBalances SET BeginningBalance=5 WHERE FKID_Account='1000' AND "
              "PeriodYear=2004");
    EXPECT_TRUE(UpdateAccountBalanceColumn("1000", 2004, -1, units(5))
                    .startsWith("UPDATE Ledger_AccountBalances SET BeginningBalance=5 "));
    EXPECT_TRUE(UpdateAccountBalanceColumn("1000", 2004, 3, units(5))
                    .startsWith("UPDATE Ledger_AccountBalances SET Saldo3=5 "));
    EXPECT_EQ(DeleteAllTransactions(), "DELETE FROM Ledger_Transactions");
    EXPECT_EQ(DeleteAllAccounts(), "DELETE FROM Ledger_Accounts ");
    EXPECT_EQ(DeleteAllGeneral(), "Delete From Ledger_General ");
    EXPECT_EQ(GetUnpostedCount(),
              "SELECT COUNT(*) As UnPostedCount FROM Ledger_Transactions WHERE Posted=FALSE");
    EXPECT_EQ(GetTransaction("x'y"), "SELECT Source, Posted, DateStamp, Description FROM "
                                     "Ledger_Transactions WHERE (TransactionNo ='x''y')");
}
