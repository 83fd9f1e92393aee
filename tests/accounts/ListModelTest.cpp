#include "core/lists/ListModel.h"
#include "LedgerFixtures.h"

#include <gtest/gtest.h>

using namespace zelk;

// Yes/No and short-date cells are seen through the transaction list's window tests.
TEST(ListModel, ShowsFieldsByNameInColumnOrderAndFindsRowsByKey) {
    TestDatabase db;
    db.exec("INSERT INTO Ledger_Transactions (TransactionNo, Source, DateStamp, Posted) VALUES "
            "('T2', NULL, #2004/12/31#, True)");
    db.exec("INSERT INTO Ledger_Transactions (TransactionNo, Source, DateStamp, Posted) VALUES "
            "('t1', 'Inv 7', #2004/01/05#, False)");
    // Columns in another order than the statement's fields, one field absent.
    ListModel model({{"Source", 1000, "", "Source", ListDisplay::Plain},
                     {"No", 1000, "TrxNo", "TransactionNo", ListDisplay::Plain},
                     {"Missing", 100, "", "NoSuchField", ListDisplay::Plain}});
    model.setRowSet(db.query("SELECT DateStamp, TransactionNo, Source FROM Ledger_Transactions "
                             "ORDER BY DateStamp"));
    ASSERT_EQ(model.rowCount(), 2);
    ASSERT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "No");
    EXPECT_EQ(model.cellText(0, 0), "Inv 7");
    EXPECT_EQ(model.cellText(0, 1), "t1");
    EXPECT_EQ(model.cellText(1, 0), ""); // NULL
    EXPECT_EQ(model.cellText(1, 2), "");
    EXPECT_EQ(model.cellText(5, 0), ""); // outside the rows
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_EQ(model.keyColumn("TrxNo"), 1);
    EXPECT_EQ(model.keyColumn("AccountNo"), -1);
    EXPECT_EQ(model.findRow(1, "T1"), 0); // keys compare without regard to case
    EXPECT_EQ(model.findRow(1, "t2"), 1);
    EXPECT_EQ(model.findRow(1, "T3"), -1);
    model.setRowSet(RowSet());
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(ListModel, KeysCompareAsTheDatabaseComparesThem) {
    EXPECT_TRUE(sameKey("abc-1", "ABC-1"));
    EXPECT_FALSE(sameKey("abc", "abcd"));
    EXPECT_FALSE(sameKey("a'b", "a''b"));
    // Only ASCII letters fold, as in the database: these are two different keys there.
    EXPECT_FALSE(sameKey(QString::fromUtf8("\xC3\xA4"), QString::fromUtf8("\xC3\x84")));
    TestDatabase db;
    db.exec("INSERT INTO Ledger_Accounts (AccountNo, AccountName) VALUES ('\xC3\xA4', 'x')");
    db.exec("INSERT INTO Ledger_Accounts (AccountNo, AccountName) VALUES ('\xC3\x84', 'y')");
    EXPECT_EQ(db.count("Ledger_Accounts"), 2);
}
