#include "data/modDBUtil.h"
#include "support/TestDatabase.h"

#include <QDate>
#include <gtest/gtest.h>

using namespace modDBUtil;
using zelk::Amount;

namespace {

Amount units(qint64 u) {
    return Amount::fromUnits(u);
}

Saldos saldos(std::initializer_list<qint64> units) {
    Saldos s{};
    size_t i = 0;
    for (qint64 u : units)
        s[i++] = Amount::fromUnits(u);
    return s;
}

class Catalogue : public ::testing::Test {
protected:
    TestDatabase db;

    void account(const QString& no, const QString& name, int cls) {
        db.exec(InsertAccount(no, name, cls, ""));
    }
};

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

TEST_F(Catalogue, CompanyRowIsReadAndRewritten) {
    db.exec(UpdateCompanyInfo("Acme & Sons", "1 Main St", "555", "", ""));
    db.exec(UpdateCompanyPeriods(11, 2004, 2005, 4));
    zelk::RowSet c = db.query(GetCompany());
    ASSERT_EQ(c.recordCount(), 1);
    EXPECT_EQ(c.text("Name"), "Acme & Sons");
    EXPECT_TRUE(c.isNull("Fax"));
    EXPECT_TRUE(c.isNull("Email"));
    EXPECT_EQ(c.integer("BeginPeriod"), 11);
    EXPECT_EQ(c.integer("BeginPeriodYear"), 2004);
    EXPECT_EQ(c.integer("CurrentPeriodYear"), 2005);
    EXPECT_EQ(c.integer("FinancialPeriodBegin"), 4);
    EXPECT_THROW(db.exec(UpdateCompanyInfo("", "x", "y", "", "")), zelk::DbError)
        << "the company keeps its name";
}

TEST_F(Catalogue, AccountsAreListedByClassThenNumber) {
    account("4000", "Sales", 5);
    account("1100", "Bank", 1);
    account("1000", "Cash", 1);
    account("2000", "Loan", 2);
    account("9000", "Odd", 9); // a class the table does not know
    zelk::RowSet rs = db.query(GetAccountsWithClass());
    QStringList order;
    for (; !rs.eof(); rs.moveNext())
        order << rs.text("AccountNo") + ":" + rs.text("AccountClass");
    EXPECT_EQ(order,
              (QStringList{"1000:Assets", "1100:Assets", "2000:Liabilities", "4000:Revenues"}));
    EXPECT_EQ(db.query(GetAccountList()).recordCount(), 5);
    EXPECT_EQ(db.query(GetAccountClasses()).recordCount(), 6);

    zelk::RowSet a = db.query(GetAccount("1100"));
    EXPECT_EQ(a.text("AccountName"), "Bank");
    EXPECT_EQ(a.integer("AccountClassID"), 1);
    EXPECT_TRUE(a.isNull("Notes"));
    db.exec(UpdateAccount("1100", "Bank account", 2, "main bank"));
    a = db.query(GetAccount("1100"));
    EXPECT_EQ(a.text("AccountName"), "Bank account");
    EXPECT_EQ(a.integer("AccountClassID"), 2);
    EXPECT_EQ(a.text("Notes"), "main bank");

    account("3900", "Result", 4);
    account("3800", "Retained", 4);
    zelk::RowSet e = db.query(GetAccountsOfClass());
    ASSERT_EQ(e.recordCount(), 2);
    EXPECT_EQ(e.text("AccountNo"), "3800");
    EXPECT_EQ(e.integer("AccountClassID"), 4);
    db.exec(DeleteAccount("9000"));
    EXPECT_EQ(db.query(GetAccount("9000")).recordCount(), 0);
}

TEST_F(Catalogue, JournalStatementsSelectAndChangeWhatTheySay) {
    account("1000", "Cash", 1);
    account("4000", "Sales", 5);
    db.exec(InsertTransaction("T2", "inv 7", "Sale", QDate(2004, 1, 31), false));
    db.exec(InsertTransaction("T1", "", "", QDate(2004, 1, 1), false));
    db.exec(InsertTransaction("T3", "", "", QDate(2004, 2, 1), true));
    db.exec(InsertTransactionDetail("T2", "4000", 2, *Amount::parse("-150.5")));
    db.exec(InsertTransactionDetail("T2", "1000", 1, *Amount::parse("150.5")));

    zelk::RowSet t = db.query(GetTransaction("T2"));
    EXPECT_EQ(t.text("Source"), "inv 7");
    EXPECT_EQ(t.date("DateStamp"), QDate(2004, 1, 31));
    EXPECT_FALSE(t.boolean("Posted"));
    zelk::RowSet lines = db.query(GetTransactionDetails("T2"));
    ASSERT_EQ(lines.recordCount(), 2);
    EXPECT_EQ(lines.text("AccountNo"), "1000");
    EXPECT_EQ(lines.text("AccountName"), "Cash");
    EXPECT_EQ(lines.integer("Seq"), 1);
    EXPECT_EQ(lines.amount("Amount").raw(), 1505000);
    lines.moveNext();
    EXPECT_EQ(lines.amount("Amount").raw(), -1505000);

    zelk::RowSet range = db.query(GetTransactionsInRange(QDate(2004, 1, 1), QDate(2004, 1, 31)));
    QStringList nos;
    for (; !range.eof(); range.moveNext())
        nos << range.text("TransactionNo");
    EXPECT_EQ(nos, (QStringList{"T1", "T2"})) << "both ends included, by date";
    EXPECT_EQ(db.query(GetUnpostedTransactionsInRange(QDate(2004, 1, 1), QDate(2004, 12, 31)))
                  .recordCount(),
              2);
    EXPECT_EQ(
        db.query(GetPostedTransactionsInRange(QDate(2004, 2, 1), QDate(2004, 2, 1))).recordCount(),
        1);
    EXPECT_EQ(db.scalar(GetUnpostedCount()), 2);
    EXPECT_EQ(db.scalar(GetTransactionCount()), 3);
    EXPECT_EQ(db.query(GetTransactionList()).recordCount(), 3);

    db.exec(UpdateTransactionPosted("T2", true));
    EXPECT_EQ(db.scalar(GetUnpostedCount()), 1);
    db.exec(DeleteTransaction("T2"));
    EXPECT_EQ(db.count("Ledger_TransactionDetails"), 0);
    db.exec(InsertTransactionHistory("T9", "1000", 1, "", QDate(2004, 1, 2), "", units(5)));
    db.exec(DeleteAllTransactionHistories());
    db.exec(DeleteAllTransactions());
    EXPECT_EQ(db.count("Ledger_Transactions") + db.count("Ledger_TransactionHistories"), 0);
}

TEST_F(Catalogue, CustomReportDefinitions) {
    account("1000", "Cash", 1);
    EXPECT_EQ(db.query(GetCustomReportTypes()).recordCount(), 2);
    db.exec(InsertCustomReport("Cash report", "Cash", 2));
    db.exec(InsertCustomReportDetail("Cash report", 2, "Total", "Total", "", ""));
    db.exec(InsertCustomReportDetail("Cash report", 1, "Cash", "Detail", "1000", ""));
    zelk::RowSet list = db.query(GetCustomReportList());
    ASSERT_EQ(list.recordCount(), 1);
    EXPECT_EQ(list.text("Description"), "Movements");
    zelk::RowSet r = db.query(GetCustomReport("Cash report"));
    EXPECT_EQ(r.integer("ReportTypeID"), 2);
    zelk::RowSet d = db.query(GetCustomReportDetails("Cash report"));
    ASSERT_EQ(d.recordCount(), 2);
    EXPECT_EQ(d.text("RowType"), "Detail");
    EXPECT_EQ(d.text("AccountStart"), "1000");
    EXPECT_TRUE(d.isNull("AccountEnd"));
    db.exec(DeleteAllCustomReports());
    EXPECT_EQ(db.count("Ledger_CustomReportDetails"), 0);
}

TEST_F(Catalogue, GeneralLedgerRowsAndTheirHistory) {
    account("1000", "Cash", 1);
    account("4000", "Sales", 5);
    db.exec(InsertGeneralYear("1000", 2004));
    db.exec(InsertGeneralYear("4000", 2004));
    zelk::RowSet y = db.query(GetGeneralOfAccountYear("1000", 2004));
    ASSERT_EQ(y.recordCount(), 12);
    QList<qint64> periods;
    for (; !y.eof(); y.moveNext()) {
        periods << y.integer("Period");
        EXPECT_TRUE(y.amount("Debit").isZero());
        EXPECT_TRUE(y.amount("Credit").isZero());
    }
    std::sort(periods.begin(), periods.end());
    EXPECT_EQ(periods, (QList<qint64>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));

    db.exec(UpdateGeneral("4000", 2004, 3, units(0), *Amount::parse("99.99")));
    zelk::RowSet g = db.query(GetGeneral("4000", 2004, 3));
    ASSERT_EQ(g.recordCount(), 1);
    EXPECT_EQ(g.amount("Credit"), *Amount::parse("99.99"));
    EXPECT_EQ(db.query(GetGeneral("4000", 2005, 3)).recordCount(), 0);
    zelk::RowSet p = db.query(GetGeneralOfPeriod(2004, 3));
    ASSERT_EQ(p.recordCount(), 2);
    EXPECT_EQ(p.text("AccountNo"), "1000");
    EXPECT_EQ(p.text("AccountName"), "Cash");

    db.exec(InsertGeneralHistory("1000", 2003, 3, units(7), units(8)));
    db.exec(InsertGeneral("1000", 2003, 4, units(1), units(2)));
    EXPECT_EQ(db.query(GetGeneralHistoriesOfYear(2003)).recordCount(), 1);
    zelk::RowSet open = db.query(GetGeneralLedgerView(3, 0));
    EXPECT_EQ(open.recordCount(), 2) << "the open year's rows of the period";
    zelk::RowSet closed = db.query(GetGeneralLedgerView(3, 2003));
    ASSERT_EQ(closed.recordCount(), 1);
    EXPECT_EQ(closed.amount("Debit"), units(7));
    db.exec(DeleteGeneralHistory("1000", 2003, 3));
    EXPECT_EQ(db.count("Ledger_GeneralHistories"), 0);
    db.exec(InsertGeneralHistory("1000", 2002, 1, units(0), units(0)));
    db.exec(DeleteAllGeneralHistories());
    EXPECT_EQ(db.count("Ledger_GeneralHistories"), 0);

    db.exec(DeleteGeneral("1000", 2004, 1));
    EXPECT_EQ(db.query(GetGeneralOfAccountYear("1000", 2004)).recordCount(), 11);
    db.exec(DeleteGeneralOfAccount("1000"));
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_General WHERE FKID_Account='1000'"), 0);
    db.exec(DeleteAllGeneral());
    EXPECT_EQ(db.count("Ledger_General"), 0);
}

TEST_F(Catalogue, TransactionHistoryViewSplitsTheSignedAmount) {
    account("1000", "Cash", 1);
    account("4000", "Sales", 5);
    db.exec(InsertTransactionHistory("T1", "1000", 1, "S", QDate(2004, 1, 5), "D", units(120)));
    db.exec(InsertTransactionHistory("T1", "4000", 2, "S", QDate(2004, 1, 5), "D", units(-75)));
    db.exec(InsertTransactionHistory("T2", "1000", 1, "", QDate(2004, 2, 5), "", units(1)));
    zelk::RowSet v = db.query(GetTransactionHistoryView(QDate(2004, 1, 1), QDate(2004, 1, 31)));
    ASSERT_EQ(v.recordCount(), 2);
    EXPECT_EQ(v.amount("Debit"), units(120));
    EXPECT_EQ(v.amount("Credit"), units(0));
    v.moveNext();
    EXPECT_EQ(v.amount("Debit"), units(0));
    EXPECT_EQ(v.amount("Credit"), units(75));
    EXPECT_EQ(v.text("AccountName"), "Sales");

    zelk::RowSet h = db.query(GetTransactionHistoriesInRange(QDate(2004, 1, 5), QDate(2004, 1, 5)));
    ASSERT_EQ(h.recordCount(), 2);
    EXPECT_EQ(h.integer("Seq"), 1);
    EXPECT_EQ(h.text("Description"), "D");
    db.exec(DeleteTransactionHistory("T1", "4000"));
    EXPECT_EQ(db.count("Ledger_TransactionHistories"), 2);
}

TEST_F(Catalogue, BalancesAndBalanceHistory) {
    account("1000", "Cash", 1);
    account("4000", "Sales", 5);
    db.exec(InsertAccountBalance("1000", 2004, units(500)));
    db.exec(InsertAccountBalanceFull("4000", 2004, units(0),
                                     saldos({-1, -2, -3, -4, -5, -6, -7, -8, -9, -10, -11, -12})));
    db.exec(UpdateAccountBalanceColumn("1000", 2004, 3, *Amount::parse("-0.5")));
    db.exec(UpdateAccountBalanceColumn("1000", 2004, 0, units(400)));
    EXPECT_THROW(db.exec(UpdateAccountBalanceColumn("1000", 2004, 13, units(1))), zelk::DbError);

    zelk::RowSet b = db.query(GetAccountBalance("1000", 2004));
    ASSERT_EQ(b.recordCount(), 1);
    EXPECT_EQ(b.amount("BeginningBalance"), units(400));
    EXPECT_EQ(b.amount("Saldo3"), *Amount::parse("-0.5"));
    EXPECT_TRUE(b.amount("Saldo12").isZero());

    zelk::RowSet t = db.query(GetAccountBalancesWithYearTotal(2004));
    ASSERT_EQ(t.recordCount(), 2);
    for (; !t.eof(); t.moveNext()) {
        if (t.text("AccountNo") == "1000") {
            EXPECT_EQ(t.amount("YearTotal"), *Amount::parse("399.5"));
            EXPECT_EQ(t.integer("AccountClassID"), 1);
        } else {
            EXPECT_EQ(t.amount("YearTotal"), units(-78));
            EXPECT_EQ(t.integer("AccountClassID"), 5);
        }
    }

    db.exec(InsertAccountBalanceHistory("4000", 2003, units(1), saldos({1, 2, 3})));
    zelk::RowSet h = db.query(GetAccountBalanceHistoriesOfYear(2003));
    ASSERT_EQ(h.recordCount(), 1);
    EXPECT_EQ(h.amount("Saldo3"), units(3));
    zelk::RowSet view = db.query(GetBalanceHistoryView(2003));
    ASSERT_EQ(view.recordCount(), 1);
    EXPECT_EQ(view.fieldNames().mid(0, 5), (QStringList{"PeriodYear", "AccountNo", "AccountName",
                                                        "BeginningBalance", "Period 1"}));
    EXPECT_EQ(view.amount("Period 2"), units(2));
    EXPECT_EQ(view.fieldNames().last(), "Period 12");
    db.exec(DeleteAccountBalanceHistory("4000", 2003));
    EXPECT_EQ(db.count("Ledger_AccountBalanceHistories"), 0);
    db.exec(InsertAccountBalanceHistory("4000", 2002, units(1), saldos({})));
    db.exec(DeleteAllAccountBalanceHistories());
    EXPECT_EQ(db.count("Ledger_AccountBalanceHistories"), 0);

    db.exec(InsertAccountBalance("1000", 2005, units(1)));
    db.exec(DeleteAccountBalanceOfYear("1000", 2004));
    EXPECT_EQ(db.query(GetAccountBalance("1000", 2005)).recordCount(), 1);
    db.exec(DeleteAccountBalances("1000"));
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_AccountBalances WHERE FKID_Account='1000'"),
              0);
    db.exec(DeleteAllAccountBalances());
    EXPECT_EQ(db.count("Ledger_AccountBalances"), 0);
}
