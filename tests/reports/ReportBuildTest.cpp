#include "LedgerFixture.h"
#include "data/modDBUtil.h"
#include "exchange/DataTable.h"
#include "reports/ReportRun.h"
#include "reports/modRptUtil.h"
#include "support/ScriptedUi.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>

using namespace zelk::reports;
using fixture::money;
using zelk::Amount;

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QByteArray golden(const char* name) {
    const QByteArray bytes = readFile(QStringLiteral(ZELK_REPORTS_GOLDEN_DIR "/") + name);
    EXPECT_FALSE(bytes.isEmpty()) << "no golden file " << name;
    return bytes;
}

// The report file as lines of text.
QStringList reportLines() {
    QString text = modRptUtil::FromWindows1252(readFile(modRptUtil::ReportFilePath()));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Byte for byte, and when they differ, the first differing line to read.
void expectSameReport(const QByteArray& actual, const QByteArray& expected) {
    if (actual == expected)
        return;
    const QList<QByteArray> a = actual.split('\n');
    const QList<QByteArray> e = expected.split('\n');
    for (qsizetype i = 0; i < std::max(a.size(), e.size()); ++i) {
        const QByteArray al = i < a.size() ? a[i] : QByteArray("<none>");
        const QByteArray el = i < e.size() ? e[i] : QByteArray("<none>");
        if (al != el) {
            ADD_FAILURE() << "report differs at line " << i + 1 << "\n  written : ["
                          << al.toStdString() << "]\n  expected: [" << el.toStdString() << "]";
            return;
        }
    }
    ADD_FAILURE() << "report differs";
}

// A progress display that records what it is told and can press Cancel.
class RecordingProgress : public zelk::ProgressSink {
public:
    int maximum = -1;
    std::vector<int> values;
    std::function<void()> onPump;
    void setMaximum(int m) override { maximum = m; }
    void setValue(int v) override { values.push_back(v); }
    void pumpEvents() override {
        if (onPump)
            onPump();
    }
};

class Reports : public ::testing::Test {
protected:
    TestDatabase db;
    ScriptedUi ui;
    RecordingProgress progress;
    bool cancel = false;
    ReportRun run{progress, cancel};

    void ledger() { fixture::buildLedger(db); }
    bool reportFileExists() const { return QFile::exists(modRptUtil::ReportFilePath()); }
    void expectNoData() {
        EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"No data"});
        ASSERT_EQ(ui.asked().size(), 1u);
        EXPECT_EQ(ui.asked()[0].title, "Zelk");
    }
};

} // namespace

// Each report of the fixture ledger, compared byte for byte with the file worked out by
// hand from the report rules.
TEST_F(Reports, TrialBalanceMatchesTheGoldenFile) {
    ledger();
    ASSERT_EQ(BuildTrialBalance(4, run), BuildResult::Written);
    expectSameReport(readFile(modRptUtil::ReportFilePath()), golden("trial-balance.rtf"));
    EXPECT_TRUE(ui.asked().empty());
    EXPECT_EQ(progress.maximum, 11);
    EXPECT_EQ(progress.values, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    // Its data: the eleven accounts and the total row of both sums.
    const zelk::exchange::DataTable& t = run.table();
    ASSERT_EQ(t.rows.size(), 12u);
    EXPECT_EQ(t.title, "Trial Balance");
    EXPECT_TRUE(t.rows.back().total);
    EXPECT_EQ(t.rows.back().cells[1].text, "Total");
    EXPECT_EQ(t.rows.back().cells[2].amount, t.rows.back().cells[3].amount);
}

TEST_F(Reports, TransactionListMatchesTheGoldenFile) {
    ledger();
    ASSERT_EQ(BuildTransactionList(QDate(2004, 6, 1), QDate(2004, 6, 30), run),
              BuildResult::Written);
    expectSameReport(readFile(modRptUtil::ReportFilePath()), golden("transaction-list.rtf"));
    EXPECT_EQ(progress.maximum, 3);
}

TEST_F(Reports, IncomeStatementMatchesTheGoldenFile) {
    ledger();
    ASSERT_EQ(BuildIncomeStatement(5, run), BuildResult::Written);
    expectSameReport(readFile(modRptUtil::ReportFilePath()), golden("income-statement.rtf"));
    EXPECT_EQ(progress.maximum, 4);
}

TEST_F(Reports, BalanceSheetMatchesTheGoldenFile) {
    ledger();
    ASSERT_EQ(BuildBalanceSheet(5, run), BuildResult::Written);
    expectSameReport(readFile(modRptUtil::ReportFilePath()), golden("balance-sheet.rtf"));
    EXPECT_EQ(progress.maximum, 7);
}

// The balance sheet of balanced books balances at every month; a report over a month
// whose posted transactions month end has not closed (June) says so under the period
// line, one over closed months does not.
TEST_F(Reports, StatementsBalanceAndNameTheMonthsNotClosed) {
    ledger();
    const QString notClosed = "Not closed by End Month: June 2004.";
    for (int month : {4, 5, 6, 7, 3}) {
        ASSERT_EQ(BuildBalanceSheet(month, run), BuildResult::Written);
        const QStringList lines = reportLines();
        const qsizetype assets = lines.indexOf(QRegularExpression("^\\\\i Assets +: .*"));
        ASSERT_GE(assets, 0);
        EXPECT_TRUE(lines.contains("\\i Liabilities and equities : " +
                                   lines[assets].mid(18, lines[assets].size() - 21) + "\\i0"))
            << month;
        const qsizetype period = lines.indexOf(QRegularExpression("^\\\\fs18 Period: .*"));
        EXPECT_EQ(lines.value(period + 2) == notClosed, month != 4 && month != 5) << month;
    }
    ASSERT_EQ(BuildIncomeStatement(6, run), BuildResult::Written);
    EXPECT_TRUE(reportLines().contains(notClosed));
    ASSERT_EQ(BuildIncomeStatement(7, run), BuildResult::Written);
    EXPECT_FALSE(reportLines().contains(notClosed));
}

// The report statements, exactly.
TEST(ReportStatements, Texts) {
    const QString from =
        "FROM SYS_AccountClasses INNER JOIN (Ledger_Accounts INNER JOIN Ledger_AccountBalances "
        "ON Ledger_Accounts.AccountNo = Ledger_AccountBalances.FKID_Account) ON "
        "SYS_AccountClasses.AccountClassID = Ledger_Accounts.FKID_AccountClass ";
    const QString order =
        " ORDER BY Ledger_Accounts.FKID_AccountClass, Ledger_AccountBalances.FKID_Account";
    const QString periodSelect =
        "SELECT FKID_AccountClass AS AccountClassID, SYS_AccountClasses.Name AS "
        "AccountClassName, FKID_Account AS AccountNo, AccountName, PeriodYear, Saldo";
    EXPECT_EQ(modDBUtil::GetRevenueBalancesOfPeriod(2004, 3),
              periodSelect + "3 AS Saldo " + from +
                  "WHERE PeriodYear=2004 AND FKID_AccountClass =5" + order);
    EXPECT_EQ(modDBUtil::GetExpenseBalancesOfPeriod(2005, 12),
              periodSelect + "12 As Saldo " + from +
                  "WHERE PeriodYear=2005 AND FKID_AccountClass =6" + order);
    const QString toSelect =
        "SELECT FKID_Account AS AccountNo, AccountName, PeriodYear, BeginningBalance";
    EXPECT_EQ(modDBUtil::GetAssetBalancesToPeriod(2004, 1),
              toSelect + ", Saldo1 " + from + "WHERE PeriodYear=2004 AND FKID_AccountClass =1" +
                  order);
    EXPECT_EQ(modDBUtil::GetEquityBalancesToPeriod(2004, 3),
              toSelect + ", Saldo1 , Saldo2 , Saldo3 " + from +
                  "WHERE PeriodYear=2004 AND FKID_AccountClass =3" + order);
    EXPECT_EQ(modDBUtil::GetLiabilityBalancesToPeriod(2004, 2),
              toSelect + ", Saldo1 , Saldo2 " + from +
                  "WHERE PeriodYear=2004 AND FKID_AccountClass =2" + order);
}

// Empty books: every report says "No data" and writes no report file.
TEST_F(Reports, NoDataWritesNoReportFile) {
    EXPECT_EQ(BuildTrialBalance(4, run), BuildResult::NoData);
    expectNoData();
    ui.clear();
    EXPECT_EQ(BuildIncomeStatement(4, run), BuildResult::NoData);
    expectNoData();
    ui.clear();
    EXPECT_EQ(BuildBalanceSheet(4, run), BuildResult::NoData);
    expectNoData();
    ui.clear();
    EXPECT_EQ(BuildTransactionList(QDate(2004, 1, 1), QDate(2004, 12, 31), run),
              BuildResult::NoData);
    expectNoData();
    EXPECT_FALSE(reportFileExists());
    EXPECT_EQ(progress.maximum, -1);
}

TEST_F(Reports, NoDataLeavesAnEarlierReportAlone) {
    ledger();
    ASSERT_EQ(BuildTrialBalance(4, run), BuildResult::Written);
    const QByteArray before = readFile(modRptUtil::ReportFilePath());
    // No transaction in August; a range whose start is after its end finds none either.
    EXPECT_EQ(BuildTransactionList(QDate(2004, 8, 1), QDate(2004, 8, 31), run),
              BuildResult::NoData);
    EXPECT_EQ(BuildTransactionList(QDate(2004, 6, 30), QDate(2004, 6, 1), run),
              BuildResult::NoData);
    EXPECT_EQ(ui.messageBoxes(), (std::vector<QString>{"No data", "No data"}));
    EXPECT_EQ(readFile(modRptUtil::ReportFilePath()), before);
}

// Cancel is noticed at the next step: the build stops at once, the partial file stays
// on disk without its closing brace.
TEST_F(Reports, CancelStopsTheBuildAtTheNextStep) {
    ledger();
    progress.onPump = [&] {
        if (progress.values.back() == 2)
            cancel = true;
    };
    EXPECT_EQ(BuildTrialBalance(4, run), BuildResult::Cancelled);
    EXPECT_EQ(progress.values, (std::vector<int>{0, 1, 2}));
    const QStringList lines = reportLines();
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[lines.size() - 2].startsWith("1100          |"))
        << lines.join('\n').toStdString();
    EXPECT_EQ(lines.last(), "\\par");
    EXPECT_FALSE(lines.contains("}"));

    for (auto build : std::vector<std::function<BuildResult()>>{
             [&] { return BuildIncomeStatement(5, run); },
             [&] { return BuildBalanceSheet(5, run); },
             [&] { return BuildTransactionList(QDate(2004, 6, 1), QDate(2004, 6, 30), run); }}) {
        progress.values.clear();
        cancel = false;
        progress.onPump = [&] { cancel = true; };
        EXPECT_EQ(build(), BuildResult::Cancelled);
        EXPECT_EQ(progress.values, (std::vector<int>{0, 1}));
        EXPECT_FALSE(reportLines().contains("}"));
    }
}

// A fiscal year starting in April: April is period 1 of 2004, March period 12 and in the
// calendar year 2005.
TEST_F(Reports, PeriodLineNamesTheMonthsCalendarYear) {
    ledger();
    ASSERT_EQ(BuildTrialBalance(3, run), BuildResult::Written);
    EXPECT_TRUE(reportLines().contains("\\fs18 Period: 12 (March 2005)"));
    ASSERT_EQ(BuildTrialBalance(12, run), BuildResult::Written);
    EXPECT_TRUE(reportLines().contains("\\fs18 Period: 9 (December 2004)"));
    ASSERT_EQ(BuildIncomeStatement(1, run), BuildResult::Written);
    EXPECT_TRUE(reportLines().contains("\\fs18 Period: 10 (January 2005)"));
    ASSERT_EQ(BuildBalanceSheet(2, run), BuildResult::Written);
    EXPECT_TRUE(reportLines().contains("\\fs18 Period: 11 (February 2005)"));
    ASSERT_EQ(BuildBalanceSheet(4, run), BuildResult::Written);
    EXPECT_TRUE(reportLines().contains("\\fs18 Period: 1 (April 2004)"));
}

// June is posted but not closed: the trial balance shows its totals.
TEST_F(Reports, TrialBalanceOfAMonthWithoutPostingsPrintsZeros) {
    ledger();
    ASSERT_EQ(BuildTrialBalance(6, run), BuildResult::Written);
    const QStringList lines = reportLines();
    EXPECT_TRUE(lines.contains(
        "2000          |Creditors \\{suppliers\\}             |      3,000.00|          0.00"));
    EXPECT_TRUE(lines.contains(
        "4000          |Retained earnings                 |          0.00|          0.00"));
    EXPECT_TRUE(lines.contains("Debits : 3,000.00"));
    EXPECT_TRUE(lines.contains("Credits: 3,000.00"));
    ASSERT_EQ(BuildTrialBalance(9, run), BuildResult::Written);
    EXPECT_TRUE(reportLines().contains("Debits : 0.00"));
}

namespace {

// A small book for the statements: fiscal year 2004 from January.
class Statements : public Reports {
protected:
    void SetUp() override { fixture::setCompany(db, 1, 2004); }
    void account(const QString& no, int cls, const char* beginning = "0") {
        fixture::addAccount(db, {no, "Account " + no, cls, beginning}, 2004);
    }
    void saldo(const QString& no, int period, const char* value) {
        db.exec(modDBUtil::UpdateAccountBalanceColumn(no, 2004, period, money(value)));
    }
    // The last summary lines of the income statement: R, E, the dashes, the result.
    QStringList summary() {
        const QStringList lines = reportLines();
        const qsizetype at = lines.indexOf("\\fs20 \\b Revenue-Expenses: \\b0");
        EXPECT_GE(at, 0);
        if (at < 0 || at + 11 >= lines.size())
            return {};
        return {lines[at + 5], lines[at + 7], lines[at + 9], lines[at + 11]};
    }
};

} // namespace

TEST_F(Statements, RevenuesPrintNegatedExpensesAsStored) {
    account("5000", 5);
    account("5100", 5);
    account("6000", 6);
    saldo("5000", 3, "-1500");
    saldo("5100", 3, "200");
    saldo("6000", 3, "2000");
    ASSERT_EQ(BuildIncomeStatement(3, run), BuildResult::Written);
    const QStringList lines = reportLines();
    EXPECT_TRUE(lines.contains("5000           Account 5000" + QString(32, ' ') + " " +
                               QString(12, ' ') + "1,500.00"));
    EXPECT_TRUE(lines.contains("5100           Account 5100" + QString(32, ' ') + " " +
                               QString(13, ' ') + "-200.00"));
    EXPECT_TRUE(lines.contains("\\i Revenues  : 1,300.00\\i0"));
    EXPECT_TRUE(lines.contains("\\i Expenses  : 2,000.00\\i0"));
    // A loss of 700.00 in parentheses, in a field of 8 + 10 characters.
    EXPECT_EQ(summary(), (QStringList{QString(10, ' ') + "1,300.00", QString(10, ' ') + "2,000.00",
                                      QString(18, '-'), QString(10, ' ') + "(700.00)"}));
    // The same figures as data: a row per account and per total, amounts as numbers.
    EXPECT_EQ(zelk::exchange::CsvBytes(run.table()).mid(3),
              "\"Section\",\"AccountNo\",\"AccountName\",\"Amount\"\r\n"
              "\"Revenues\",\"5000\",\"Account 5000\",\"1500.00\"\r\n"
              "\"Revenues\",\"5100\",\"Account 5100\",\"-200.00\"\r\n"
              "\"Revenues\",\"\",\"Revenues\",\"1300.00\"\r\n"
              "\"Expenses\",\"6000\",\"Account 6000\",\"2000.00\"\r\n"
              "\"Expenses\",\"\",\"Expenses\",\"2000.00\"\r\n"
              "\"Result\",\"\",\"Revenue-Expenses\",\"-700.00\"\r\n");
    ASSERT_EQ(run.table().rows.size(), 6u);
    EXPECT_EQ(run.table().rows[2].total, true);
    EXPECT_EQ(run.table().rows[1].total, false);
}

// The result is R - E as printed, not the difference of their absolute values.
TEST_F(Statements, ResultIsRevenuesMinusExpenses) {
    account("5000", 5);
    account("6000", 6);
    saldo("5000", 1, "300"); // a debit on revenue: R = -300.00
    saldo("6000", 1, "300"); // E = 300.00
    ASSERT_EQ(BuildIncomeStatement(1, run), BuildResult::Written);
    EXPECT_EQ(summary(), (QStringList{QString(10, ' ') + "-300.00", QString(11, ' ') + "300.00",
                                      QString(17, '-'), QString(9, ' ') + "(600.00)"}));

    saldo("5000", 2, "-1500");
    saldo("6000", 2, "-500"); // an expense credited: E = -500.00, R - E = 2,000.00
    ASSERT_EQ(BuildIncomeStatement(2, run), BuildResult::Written);
    EXPECT_EQ(summary(), (QStringList{QString(10, ' ') + "1,500.00", QString(11, ' ') + "-500.00",
                                      QString(18, '-'), QString(10, ' ') + "2,000.00"}));

    saldo("5000", 3, "-12345.67");
    saldo("6000", 3, "345");
    ASSERT_EQ(BuildIncomeStatement(3, run), BuildResult::Written);
    // Nine characters for R: the field is 19 wide, and so is every summary line.
    EXPECT_EQ(summary(), (QStringList{QString(10, ' ') + "12,345.67", QString(13, ' ') + "345.00",
                                      QString(19, '-'), QString(10, ' ') + "12,000.67"}));
}

TEST_F(Statements, OneEmptySectionPrintsItsHeadingAndZero) {
    account("6000", 6);
    saldo("6000", 1, "10");
    ASSERT_EQ(BuildIncomeStatement(1, run), BuildResult::Written);
    const QStringList lines = reportLines();
    const qsizetype heading = lines.indexOf("\\b Revenues\\b0");
    ASSERT_GE(heading, 0);
    // Heading, size line, mark, rule, mark, then at once the closing rule and the sum.
    EXPECT_EQ(lines.mid(heading, 9),
              (QStringList{"\\b Revenues\\b0", "\\fs18 ", "\\par", QString(80, '-'), "\\par",
                           QString(80, '-'), "\\par", "\\i Revenues  : 0.00\\i0", "\\par"}));
}

TEST_F(Statements, BalanceSheetAddsTheMonthsUpToThePeriod) {
    account("1000", 1, "100");
    account("1100", 1, "50");
    account("2000", 2, "-150");
    account("3000", 3);
    for (int p = 1; p <= 12; ++p)
        saldo("1000", p, "1"); // one unit a month
    saldo("1100", 1, "-80");   // an asset with a credit balance
    saldo("2000", 1, "-200");
    saldo("2000", 2, "50");
    saldo("3000", 12, "-7.5");

    ASSERT_EQ(BuildBalanceSheet(1, run), BuildResult::Written); // period 1: BB + Saldo1
    QStringList lines = reportLines();
    EXPECT_TRUE(lines.contains("1000           Account 1000" + QString(32, ' ') + " " +
                               QString(14, ' ') + "101.00"));
    EXPECT_TRUE(lines.contains("1100           Account 1100" + QString(32, ' ') + " " +
                               QString(14, ' ') + "-30.00"));
    EXPECT_TRUE(lines.contains("\\i Assets       : 71.00\\i0"));
    EXPECT_TRUE(lines.contains("\\i Liabilities  : 350.00\\i0"));
    EXPECT_TRUE(lines.contains("\\i Equities     : 0.00\\i0"));

    ASSERT_EQ(BuildBalanceSheet(2, run), BuildResult::Written);
    lines = reportLines();
    // -150 - 200 + 50, negated.
    EXPECT_TRUE(lines.contains("2000           Account 2000" + QString(32, ' ') + " " +
                               QString(14, ' ') + "300.00"));

    ASSERT_EQ(BuildBalanceSheet(12, run), BuildResult::Written); // all twelve months
    lines = reportLines();
    EXPECT_TRUE(lines.contains("\\i Assets       : 82.00\\i0"));
    EXPECT_TRUE(lines.contains("\\i Equities     : 7.50\\i0"));
}

TEST_F(Statements, BalanceSheetSectionsInTheirOrder) {
    account("1000", 1);
    ASSERT_EQ(BuildBalanceSheet(1, run), BuildResult::Written);
    const QStringList lines = reportLines();
    const qsizetype assets = lines.indexOf("\\b Assets\\b0");
    const qsizetype equities = lines.indexOf("\\b Equities\\b0");
    const qsizetype liabilities = lines.indexOf("\\b Liabilities\\b0");
    EXPECT_GE(assets, 0);
    EXPECT_LT(assets, equities);
    EXPECT_LT(equities, liabilities);
    EXPECT_TRUE(lines.contains("\\i Liabilities  : 0.00\\i0"));
}

TEST_F(Reports, TransactionListOfOneDay) {
    ledger();
    ASSERT_EQ(BuildTransactionList(QDate(2004, 6, 30), QDate(2004, 6, 30), run),
              BuildResult::Written);
    const QStringList lines = reportLines();
    EXPECT_TRUE(lines.contains("\\fs18 From date 30-Jun-2004 to 30-Jun-2004"));
    EXPECT_TRUE(lines.contains("Transaction No.: T010"));
    EXPECT_FALSE(lines.contains("Transaction No.: T008"));
    EXPECT_EQ(progress.maximum, 1);
}

TEST_F(Reports, ASecondReportOverwritesTheFirst) {
    ledger();
    ASSERT_EQ(BuildTransactionList(QDate(2004, 6, 1), QDate(2004, 7, 31), run),
              BuildResult::Written);
    EXPECT_TRUE(reportLines().contains("Transaction No.: T011"));
    ASSERT_EQ(BuildTrialBalance(4, run), BuildResult::Written);
    expectSameReport(readFile(modRptUtil::ReportFilePath()), golden("trial-balance.rtf"));
}

TEST_F(Reports, AReportFileThatCannotBeWrittenIsAnError) {
    ledger();
    ASSERT_TRUE(QDir(db.folder()).mkdir("temp.txt"));
    EXPECT_THROW(BuildTrialBalance(4, run), modRptUtil::ReportFileError);
}
