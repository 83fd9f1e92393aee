#include "accounts/ListModel.h"
#include "LedgerFixtures.h"

#include <QDate>
#include <QLocale>
#include <gtest/gtest.h>

using namespace zelk;

TEST(ListModel, ShowsFieldsByNameInColumnOrderWithTheirDisplay) {
    TestDatabase db;
    db.exec("INSERT INTO Ledger_Transactions (TransactionNo, Source, DateStamp, Posted) VALUES "
            "('T2', NULL, #2004/12/31#, True)");
    db.exec("INSERT INTO Ledger_Transactions (TransactionNo, Source, DateStamp, Posted) VALUES "
            "('t1', 'Inv 7', #2004/01/05#, False)");
    // Columns in another order than the statement's fields, one field absent.
    ListModel model({{"Posted?", 900, "", "Posted", ListDisplay::YesNo},
                     {"When", 1000, "", "DateStamp", ListDisplay::ShortDate},
                     {"No", 1000, "TrxNo", "TransactionNo", ListDisplay::Plain},
                     {"Source", 1000, "", "Source", ListDisplay::Plain},
                     {"Missing", 100, "", "NoSuchField", ListDisplay::Plain}});
    model.setRowSet(db.query("SELECT DateStamp, TransactionNo, Source, Posted FROM "
                             "Ledger_Transactions ORDER BY DateStamp"));
    ASSERT_EQ(model.rowCount(), 2);
    ASSERT_EQ(model.columnCount(), 5);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "When");
    EXPECT_EQ(model.cellText(0, 0), "No");
    EXPECT_EQ(model.cellText(1, 0), "Yes");
    // The short date reads back as the stored date in the platform's short format.
    EXPECT_EQ(QLocale().toDate(model.cellText(0, 1), QLocale::ShortFormat).month(), 1);
    EXPECT_EQ(QLocale().toDate(model.cellText(1, 1), QLocale::ShortFormat).day(), 31);
    EXPECT_NE(model.cellText(0, 1), "2004-01-05");
    EXPECT_EQ(model.cellText(0, 2), "t1");
    EXPECT_EQ(model.cellText(0, 3), "Inv 7");
    EXPECT_EQ(model.cellText(1, 3), ""); // NULL
    EXPECT_EQ(model.cellText(1, 4), "");
    EXPECT_EQ(model.cellText(5, 0), ""); // outside the rows
    EXPECT_EQ(model.data(model.index(0, 2)).toString(), "t1");
    EXPECT_FALSE(model.flags(model.index(0, 2)) & Qt::ItemIsEditable);

    EXPECT_EQ(model.keyColumn("TrxNo"), 2);
    EXPECT_EQ(model.keyColumn("AccountNo"), -1);
    EXPECT_EQ(model.keyColumn(""), -1);
    EXPECT_EQ(model.findRow(2, "T1"), 0); // keys compare without regard to case
    EXPECT_EQ(model.findRow(2, "t2"), 1);
    EXPECT_EQ(model.findRow(2, "T3"), -1);

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
