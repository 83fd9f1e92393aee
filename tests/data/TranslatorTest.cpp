#include "core/data/Errors.h"
#include "core/data/JetTranslator.h"

#include <gtest/gtest.h>

using zelk::JetTranslator;
using zelk::SqlParam;

namespace {

std::string describe(const std::vector<SqlParam>& params) {
    std::string s;
    for (const SqlParam& p : params) {
        if (!s.empty())
            s += "|";
        if (const auto* i = std::get_if<std::int64_t>(&p))
            s += "i:" + std::to_string(*i);
        else if (const auto* d = std::get_if<double>(&p))
            s += "d:" + std::to_string(*d);
        else
            s += "t:" + std::get<std::string>(p);
    }
    return s;
}

struct Case {
    const char* jet;
    const char* sql;
    const char* params;
};

} // namespace

TEST(JetTranslator, TranslatesTheStatementDialect) {
    const Case cases[] = {
        // dates become bound ISO text, with blanks around the mark
        {"SELECT a FROM T WHERE d BETWEEN #2004/01/01# AND #2004/01/31#",
         "SELECT a FROM T WHERE d BETWEEN  ?  AND  ? ", "t:2004-01-01|t:2004-01-31"},
        // glued to BETWEEN
        {"SELECT a FROM T WHERE d BETWEEN#2004/02/01# AND #2004/02/29# AND Posted = True",
         "SELECT a FROM T WHERE d BETWEEN ?  AND  ?  AND Posted = ?",
         "t:2004-02-01|t:2004-02-29|i:1"},
        // booleans in any case
        {"SELECT COUNT(*) As UnPostedCount FROM Ledger_Transactions WHERE Posted=FALSE",
         "SELECT COUNT(*) As UnPostedCount FROM Ledger_Transactions WHERE Posted=?", "i:0"},
        // money scaled in INSERT ... VALUES, by column
        {"INSERT INTO Ledger_TransactionDetails(FKID_Transaction, FKID_Account, Seq, Amount) "
         "VALUES ('T1', '1000', 3, -150.5)",
         "INSERT INTO Ledger_TransactionDetails(FKID_Transaction, FKID_Account, Seq, Amount) "
         "VALUES (?, ?, ?, ?)",
         "t:T1|t:1000|i:3|i:-1505000"},
        {"INSERT INTO Ledger_AccountBalances (FKID_Account, PeriodYear, BeginningBalance, Saldo1, "
         "Saldo12) VALUES('A', 2004, 200, 0.0125, -7)",
         "INSERT INTO Ledger_AccountBalances (FKID_Account, PeriodYear, BeginningBalance, Saldo1, "
         "Saldo12) VALUES(?, ?, ?, ?, ?)",
         "t:A|i:2004|i:2000000|i:125|i:-70000"},
        // money scaled in UPDATE ... SET, nowhere else
        {"UPDATE Ledger_General SET Debit=100, Credit=0.5 WHERE FKID_Account='1000' AND "
         "PeriodYear=2004 AND Period= 4",
         "UPDATE Ledger_General SET Debit=?, Credit=? WHERE FKID_Account=? AND PeriodYear=? AND "
         "Period= ?",
         "i:1000000|i:5000|t:1000|i:2004|i:4"},
        {"UPDATE Ledger_AccountBalances SET Saldo3=-12.5 WHERE FKID_Account='X' AND "
         "PeriodYear=2003",
         "UPDATE Ledger_AccountBalances SET Saldo3=? WHERE FKID_Account=? AND PeriodYear=?",
         "i:-125000|t:X|i:2003"},
        {"SELECT a FROM Ledger_General WHERE Debit=100",
         "SELECT a FROM Ledger_General WHERE Debit=?", "i:100"},
        {"UPDATE T SET Seq=5, Amount=2 WHERE Amount=3",
         "UPDATE T SET Seq=?, Amount=? WHERE Amount=?", "i:5|i:20000|i:3"},
        {"INSERT INTO Ledger_General(FKID_Account, PeriodYear, Period) SELECT '1000' AS "
         "AccountNo, 2004 AS YearPeriod, SYS_Twelve.ID FROM SYS_Twelve",
         "INSERT INTO Ledger_General(FKID_Account, PeriodYear, Period) SELECT ? AS AccountNo, ? "
         "AS YearPeriod, SYS_Twelve.ID FROM SYS_Twelve",
         "t:1000|i:2004"},
        // nothing inside a string literal or a bracketed name is touched
        {"INSERT INTO Ledger_Transactions(TransactionNo, Source, Description, DateStamp, Posted) "
         "VALUES('O''Brien', '#2004/01/01#', 'True [x] -5 ; DROP TABLE x', #2004/02/15#, False)",
         "INSERT INTO Ledger_Transactions(TransactionNo, Source, Description, DateStamp, Posted) "
         "VALUES(?, ?, ?,  ? , ?)",
         "t:O'Brien|t:#2004/01/01#|t:True [x] -5 ; DROP TABLE x|t:2004-02-15|i:0"},
        {"SELECT Saldo1 AS [Period 1], [True] FROM T", "SELECT Saldo1 AS [Period 1], [True] FROM T",
         ""},
        {"SELECT (IIF(CCur([Amount])< 0, 0, CCur([Amount]))) AS Debit FROM T",
         "SELECT (IIF(CCur([Amount])< ?, ?, CCur([Amount]))) AS Debit FROM T", "i:0|i:0"},
        // column positions of ORDER BY / GROUP BY stay; other numbers there are bound
        {"SELECT a, Count(*) FROM T WHERE b=2 GROUP BY 1 ORDER BY 2 DESC, a + 3, (4), 1 LIMIT 5",
         "SELECT a, Count(*) FROM T WHERE b=? GROUP BY 1 ORDER BY 2 DESC, a + ?, (?), 1 LIMIT ?",
         "i:2|i:3|i:4|i:5"},
        {"SELECT x FROM (SELECT x FROM T ORDER BY 1) WHERE y=1 ORDER BY x",
         "SELECT x FROM (SELECT x FROM T ORDER BY 1) WHERE y=? ORDER BY x", "i:1"},
        // a whole number too long for 64 bits stays as written
        {"SELECT 33333333333333333333, 123456789012345678, 1.5",
         "SELECT 33333333333333333333, ?, ?", "i:123456789012345678|d:1.500000"},
        {"INSERT INTO Ledger_Accounts(AccountNo, AccountName, FKID_AccountClass, Notes) VALUES ( "
         "'1000', 'Cash', 1, NULL)",
         "INSERT INTO Ledger_Accounts(AccountNo, AccountName, FKID_AccountClass, Notes) VALUES ( "
         "?, ?, ?, NULL)",
         "t:1000|t:Cash|i:1"},
    };
    for (const Case& c : cases) {
        const zelk::Translation t = JetTranslator::translate(QString::fromUtf8(c.jet));
        EXPECT_EQ(t.sql, c.sql) << c.jet;
        EXPECT_EQ(describe(t.params), c.params) << c.jet;
    }
}

TEST(JetTranslator, RefusesMalformedLiterals) {
    EXPECT_THROW(JetTranslator::translate("SELECT 1 WHERE d = #2004/13/01#"), zelk::DbError);
    EXPECT_THROW(JetTranslator::translate("SELECT 'abc"), zelk::DbError);
    EXPECT_THROW(JetTranslator::translate("SELECT [abc"), zelk::DbError);
    EXPECT_THROW(JetTranslator::translate("SELECT #2004/01/01"), zelk::DbError);
}

TEST(JetTranslator, KnowsTheMoneyColumns) {
    for (const char* c : {"Amount", "Debit", "credit", "BeginningBalance", "Saldo1", "Saldo12"})
        EXPECT_TRUE(JetTranslator::isMoneyColumn(c)) << c;
    for (const char* c : {"Seq", "Period", "Saldo", "Saldo0", "Saldo13", "Saldo01", "AmountX"})
        EXPECT_FALSE(JetTranslator::isMoneyColumn(c)) << c;
}
