#include "LedgerFixture.h"
#include "core/data/modDBUtil.h"
#include "core/exchange/TableExport.h"
#include "core/reports/ReportRun.h"
#include "core/reports/modRptUtil.h"
#include "core/shared/TextEncoding.h"
#include "support/Books.h"

#include <QFile>
#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>

using namespace zelk::reports;

namespace {

QByteArray report() {
    return readFile(modRptUtil::ReportFilePath());
}

// The report file, byte for byte the golden file `name`.
void expectReportIs(const char* name) {
    const QByteArray expected = readFile(QStringLiteral(ZELK_REPORTS_GOLDEN_DIR "/") + name);
    EXPECT_FALSE(expected.isEmpty()) << "no golden file " << name;
    EXPECT_EQ(report().toStdString(), expected.toStdString());
}

// The report file as lines of text.
QStringList reportLines() {
    QStringList lines = zelk::FromWindows1252(report()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

class Reports : public ::testing::Test {
protected:
    TestDatabase db;
    ScriptedUi ui;
    CountingProgress progress;
    bool cancel = false;
    ReportRun run{db.cnn(), progress, cancel};

    std::vector<std::function<BuildResult()>> monthReports(int month) {
        return {[=, this] { return BuildTrialBalance(month, run); },
                [=, this] { return BuildIncomeStatement(month, run); },
                [=, this] { return BuildBalanceSheet(month, run); }};
    }
};

} // namespace

// Each report of the fixture ledger, compared byte for byte with the file worked out by
// hand from the report rules; the progress has a step per account or transaction.
TEST_F(Reports, EachReportMatchesItsGoldenFile) {
    fixture::buildLedger(db);
    const struct {
        std::function<BuildResult()> build;
        const char* golden;
        int steps;
    } cases[] = {
        {[&] { return BuildTrialBalance(4, run); }, "trial-balance.rtf", 11},
        {[&] { return BuildTransactionList(QDate(2004, 6, 1), QDate(2004, 6, 30), run); },
         "transaction-list.rtf", 3},
        {[&] { return BuildIncomeStatement(5, run); }, "income-statement.rtf", 4},
        {[&] { return BuildBalanceSheet(5, run); }, "balance-sheet.rtf", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.golden);
        const int pumps = progress.pumps();
        ASSERT_EQ(c.build(), BuildResult::Written);
        expectReportIs(c.golden);
        EXPECT_EQ(progress.maximum(), c.steps);
        EXPECT_EQ(progress.value(), c.steps);
        EXPECT_EQ(progress.pumps() - pumps, c.steps);
    }
    EXPECT_TRUE(ui.asked().empty());
}

// The fixture's books balance in every report of every month; a report over a month
// whose posted transactions month end has not closed (June) says so under the period
// line, one over closed months does not. The period line names the month's calendar
// year (March is period 12, in 2005).
TEST_F(Reports, StatementsBalanceAndNameTheMonthsNotClosed) {
    fixture::buildLedger(db);
    expectBalancedBooks(db, "the fixture ledger");
    const QString notClosed = "Not closed by End Month: June 2004.";
    for (int month : {5, 6, 3}) {
        ASSERT_EQ(BuildBalanceSheet(month, run), BuildResult::Written);
        const QStringList lines = reportLines();
        const qsizetype period = lines.indexOf(QRegularExpression("^\\\\fs18 Period: .*"));
        EXPECT_EQ(lines.value(period + 2) == notClosed, month != 5) << month;
    }
    EXPECT_TRUE(reportLines().contains("\\fs18 Period: 12 (March 2005)"));
    ASSERT_EQ(BuildIncomeStatement(6, run), BuildResult::Written);
    EXPECT_TRUE(reportLines().contains(notClosed));
    ASSERT_EQ(BuildIncomeStatement(1, run), BuildResult::Written);
    EXPECT_FALSE(reportLines().contains(notClosed));
    EXPECT_TRUE(reportLines().contains("\\fs18 Period: 10 (January 2005)"));
    // June is posted but not closed: the trial balance shows its totals.
    ASSERT_EQ(BuildTrialBalance(6, run), BuildResult::Written);
    EXPECT_TRUE(reportLines().contains(
        "2000          |Creditors \\{suppliers\\}             |      3,000.00|          0.00"));
    EXPECT_TRUE(reportLines().contains("Credits: 3,000.00"));
    ASSERT_EQ(BuildTrialBalance(12, run), BuildResult::Written);
    EXPECT_TRUE(reportLines().contains("\\fs18 Period: 9 (December 2004)"));
    EXPECT_TRUE(reportLines().contains("Debits : 0.00"));
}

// Empty books: every report has no data and writes no report file.
TEST_F(Reports, NoDataWritesNoReportFile) {
    auto builds = monthReports(4);
    builds.push_back(
        [&] { return BuildTransactionList(QDate(2004, 1, 1), QDate(2004, 12, 31), run); });
    for (auto& build : builds)
        EXPECT_EQ(build(), BuildResult::NoData);
    EXPECT_TRUE(ui.asked().empty()) << "the caller tells No data";
    EXPECT_FALSE(QFile::exists(modRptUtil::ReportFilePath()));
    EXPECT_EQ(progress.maximum(), -1);
}

// The report file holds the last report written: a shorter one replaces a longer one
// whole, and a report without data leaves it alone.
TEST_F(Reports, TheReportFileHoldsTheLastReportWritten) {
    fixture::buildLedger(db);
    ASSERT_EQ(BuildTransactionList(QDate(2004, 6, 30), QDate(2004, 7, 31), run),
              BuildResult::Written);
    QStringList lines = reportLines();
    EXPECT_TRUE(lines.contains("\\fs18 From date 30-Jun-2004 to 31-Jul-2004"));
    EXPECT_TRUE(lines.contains("Transaction No.: T010"));
    EXPECT_TRUE(lines.contains("Transaction No.: T011"));
    EXPECT_FALSE(lines.contains("Transaction No.: T008"));
    EXPECT_EQ(progress.maximum(), 2);
    ASSERT_EQ(BuildTrialBalance(4, run), BuildResult::Written);
    // A range whose start is after its end finds no transaction.
    EXPECT_EQ(BuildTransactionList(QDate(2004, 6, 30), QDate(2004, 6, 1), run),
              BuildResult::NoData);
    expectReportIs("trial-balance.rtf");
}

// Cancel is noticed at the next step: the build stops at once, the partial file stays
// on disk without its closing brace.
TEST_F(Reports, CancelStopsTheBuildAtTheNextStep) {
    fixture::buildLedger(db);
    progress.at(2, [&] { cancel = true; });
    EXPECT_EQ(BuildTrialBalance(4, run), BuildResult::Cancelled);
    EXPECT_EQ(progress.value(), 2);
    const QStringList lines = reportLines();
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[lines.size() - 2].startsWith("1100          |"));
    EXPECT_EQ(lines.last(), "\\par");

    auto builds = monthReports(5);
    builds[0] = [&] { return BuildTransactionList(QDate(2004, 6, 1), QDate(2004, 6, 30), run); };
    for (auto& build : builds) {
        cancel = false;
        progress.at(1, [&] { cancel = true; });
        EXPECT_EQ(build(), BuildResult::Cancelled);
        EXPECT_EQ(progress.value(), 1);
        EXPECT_FALSE(reportLines().contains("}"));
    }
}

namespace {

// A small book for the statements: fiscal year 2004 from January.
class Statements : public Reports {
protected:
    Books books{db};
    void SetUp() override { books.newCompany(1, 2004); }
    void saldo(const QString& no, int period, const char* value) {
        db.exec(modDBUtil::UpdateAccountBalanceColumn(no, 2004, period, money(value)));
    }
    // An account's line of a statement: number, name and amount in 14, 44 and 20.
    static QString row(const QString& no, const QString& amount) {
        return no.leftJustified(15) + ("Account " + no).leftJustified(45) +
               amount.rightJustified(20);
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
    books.addAccount("5000", 5);
    books.addAccount("5100", 5);
    books.addAccount("6000", 6);
    saldo("5000", 3, "-1500");
    saldo("5100", 3, "200");
    saldo("6000", 3, "2000");
    ASSERT_EQ(BuildIncomeStatement(3, run), BuildResult::Written);
    // The figures as data (printed by the same calls as the lines): a row per account and
    // per total, amounts as numbers.
    EXPECT_EQ(zelk::exchange::CsvBytes(run.table()).mid(3),
              "\"Section\",\"AccountNo\",\"AccountName\",\"Amount\"\r\n"
              "\"Revenues\",\"5000\",\"Account 5000\",\"1500.00\"\r\n"
              "\"Revenues\",\"5100\",\"Account 5100\",\"-200.00\"\r\n"
              "\"Revenues\",\"\",\"Revenues\",\"1300.00\"\r\n"
              "\"Expenses\",\"6000\",\"Account 6000\",\"2000.00\"\r\n"
              "\"Expenses\",\"\",\"Expenses\",\"2000.00\"\r\n"
              "\"Result\",\"\",\"Revenue-Expenses\",\"-700.00\"\r\n");
}

// The result is R - E as printed, not the difference of their absolute values; a loss
// is in parentheses, and every summary line is as wide as the widest amount plus ten.
TEST_F(Statements, ResultIsRevenuesMinusExpenses) {
    books.addAccount("5000", 5);
    books.addAccount("6000", 6);
    const struct {
        const char *revenue, *expense;
        int width;
        QString r, e, result;
    } cases[] = {
        {"-1500", "2000", 18, "1,500.00", "2,000.00", "(500.00)"},
        {"300", "300", 17, "-300.00", "300.00", "(600.00)"},      // a debit on revenue
        {"-1500", "-500", 18, "1,500.00", "-500.00", "2,000.00"}, // an expense credited
        {"-12345.67", "345", 19, "12,345.67", "345.00", "12,000.67"},
    };
    int period = 0;
    for (const auto& c : cases) {
        saldo("5000", ++period, c.revenue);
        saldo("6000", period, c.expense);
        ASSERT_EQ(BuildIncomeStatement(period, run), BuildResult::Written);
        EXPECT_EQ(summary(), (QStringList{c.r.rightJustified(c.width), c.e.rightJustified(c.width),
                                          QString(c.width, '-'), c.result.rightJustified(c.width)}))
            << period;
    }
}

TEST_F(Statements, OneEmptySectionPrintsItsHeadingAndZero) {
    books.addAccount("6000", 6);
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

// Each balance is the beginning balance and the months up to the period.
TEST_F(Statements, BalanceSheetAddsTheMonthsUpToThePeriod) {
    books.addAccount("1000", 1, "100");
    books.addAccount("1100", 1, "50");
    books.addAccount("2000", 2, "-150");
    books.addAccount("3000", 3);
    for (int p = 1; p <= 12; ++p)
        saldo("1000", p, "1"); // one unit a month
    saldo("1100", 1, "-80");   // an asset with a credit balance
    saldo("2000", 1, "-200");
    saldo("2000", 2, "50");
    saldo("3000", 12, "-7.5");

    ASSERT_EQ(BuildBalanceSheet(1, run), BuildResult::Written); // period 1: BB + Saldo1
    QStringList lines = reportLines();
    EXPECT_TRUE(lines.contains(row("1000", "101.00")));
    EXPECT_TRUE(lines.contains(row("1100", "-30.00")));
    EXPECT_TRUE(lines.contains("\\i Assets       : 71.00\\i0"));
    EXPECT_TRUE(lines.contains("\\i Liabilities  : 350.00\\i0"));
    EXPECT_TRUE(lines.contains("\\i Equities     : 0.00\\i0"));

    ASSERT_EQ(BuildBalanceSheet(2, run), BuildResult::Written);
    EXPECT_TRUE(reportLines().contains(row("2000", "300.00"))); // -150 - 200 + 50, negated

    ASSERT_EQ(BuildBalanceSheet(12, run), BuildResult::Written); // all twelve months
    lines = reportLines();
    EXPECT_TRUE(lines.contains("\\i Assets       : 82.00\\i0"));
    EXPECT_TRUE(lines.contains("\\i Equities     : 7.50\\i0"));
}
