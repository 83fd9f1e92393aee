#include "core/custom_reports/CustomReportPrint.h"
#include "core/data/modDBUtil.h"
#include "core/reports/modRptUtil.h"
#include "core/shared/TextEncoding.h"
#include "support/ScriptedUi.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace modDBUtil;
using zelk::Amount;
using zelk::reports::BuildResult;

namespace {

Saldos months(std::initializer_list<const char*> list) {
    Saldos s{};
    size_t i = 0;
    for (const char* v : list)
        s[i++] = *Amount::parse(v);
    return s;
}

// A company whose fiscal year starts in April 2004, four accounts with balances, and
// the definition "Liquidity": a group of a range and a single account, a Detail
// outside any group (its name longer than a line), and a Total with no group open.
class CustomReportPrint : public ::testing::Test {
protected:
    TestDatabase db;
    ScriptedUi ui;
    zelk::NoProgress progress;
    bool cancel = false;
    zelk::reports::ReportRun run{db.cnn(), progress, cancel};

    void SetUp() override {
        db.exec(UpdateCompanyInfo("Acme Traders", "1 Market Street", "555-0100", "",
                                  "books@acme.example"));
        db.exec(UpdateCompanyPeriods(1, 2004, 2004, 4));
        account("1000", "Cash", "500", months({"100", "-20"}));
        account("1050", "Petty cash", "50", months({"-5"}));
        account("1100", "Bank", "1000", months({"250.5", "0", "10"}));
        account("1200", "Receivables", "0",
                months({"0", "300", "0", "0", "0", "0", "0", "0", "0", "0", "0", "7"}));
        db.exec(InsertCustomReport("Liquidity", "Liquidity {check}", 1));
        const char* rows[][4] = {
            {"Liquid funds", "Heading", "", ""}, {"Cash and petty cash", "Detail", "1000", "1099"},
            {"Bank", "Detail", "1100", ""},      {"Liquid funds total", "Total", "", ""},
            {receivables, "Detail", "1200", ""}, {"Stray total", "Total", "", ""}};
        long seq = 0;
        for (auto& r : rows)
            db.exec(InsertCustomReportDetail("Liquidity", ++seq, r[0], r[1], r[2], r[3]));
    }
    void account(const char* no, const char* name, const char* begin, const Saldos& s) {
        db.exec(InsertAccount(no, name, 1, ""));
        db.exec(InsertAccountBalanceFull(no, 2004, *Amount::parse(begin), s));
    }
    QByteArray report() { return readFile(modRptUtil::ReportFilePath()); }
    static constexpr const char* receivables =
        "Receivables from customers, trade and other, due within one year";
};

} // namespace

// The expected file was written out by hand from the layout rules (59-character
// names, a blank, amounts right-aligned in 20; the dash line before each Total; Total
// rows in italics) and the hand-computed balances to the end of May, period 2.
TEST_F(CustomReportPrint, CumulativeReportMatchesTheHandWrittenFile) {
    ASSERT_EQ(zelk::custom_reports::BuildCustomReport("Liquidity", 5, run), BuildResult::Written);
    const QByteArray expected =
        readFile(QStringLiteral(ZELK_CUSTOM_GOLDEN) + QStringLiteral("/liquidity-cumulative.rtf"));
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(report().toStdString(), expected.toStdString());
    EXPECT_TRUE(ui.asked().empty());
}

// A monthly report prints the month's column alone, a cumulative one the beginning
// balance and the months up to the period; March, period 12, lies in the next calendar
// year.
TEST_F(CustomReportPrint, EachTypeForTheFirstAndTwelfthPeriod) {
    const struct {
        int type, month;
        const char* period;
        std::vector<std::pair<QString, const char*>> rows;
    } cases[] = {
        {2,
         4,
         "Period: 1 (April 2004)",
         {{"Cash and petty cash", "95"}, {"Liquid funds total", "345.5"}}},
        {2, 3, "Period: 12 (March 2005)", {{"Receivables", "7"}, {"Bank", "0"}}},
        {1, 3, "Period: 12 (March 2005)", {{"Receivables", "307"}, {"Bank", "1260.5"}}},
    };
    for (const auto& c : cases) {
        db.exec(QString("UPDATE Ledger_CustomReports SET FKID_CustReportType=%1").arg(c.type));
        ASSERT_EQ(zelk::custom_reports::BuildCustomReport("Liquidity", c.month, run),
                  BuildResult::Written);
        const QString text = zelk::FromWindows1252(report());
        EXPECT_TRUE(text.contains(c.period)) << c.period;
        for (const auto& [name, amount] : c.rows) {
            const QString row = name == "Receivables" ? receivables : name;
            EXPECT_TRUE(
                text.contains(zelk::custom_reports::RowBlock(row, *Amount::parse(amount))[0]))
                << c.type << " " << c.month << " " << name.toStdString();
        }
    }
}

TEST_F(CustomReportPrint, MissingDefinitionOrRowsIsNoData) {
    EXPECT_EQ(zelk::custom_reports::BuildCustomReport("Nothing", 5, run), BuildResult::NoData);
    db.exec(InsertCustomReport("Empty", "No rows", 2));
    EXPECT_EQ(zelk::custom_reports::BuildCustomReport("Empty", 5, run), BuildResult::NoData);
    EXPECT_TRUE(ui.asked().empty()) << "the caller tells No data";
    EXPECT_FALSE(QFile::exists(modRptUtil::ReportFilePath()));
}

TEST(CustomReportRows, LongNamesWrapAndAmountsAreNeverCut) {
    using zelk::custom_reports::RowBlock;
    const QStringList one = RowBlock("Cash", *Amount::parse("-1234.5"));
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(one[0],
              QString("Cash").leftJustified(59) + " " + QString("-1,234.50").rightJustified(20));
    const QStringList wide = RowBlock("Big", Amount::fromUnits(100000000000000LL));
    EXPECT_TRUE(wide[0].endsWith(" 100,000,000,000,000.00")) << "the cell grows, nothing is cut";
    const QStringList wrapped = RowBlock(QString(130, 'x'), Amount());
    ASSERT_EQ(wrapped.size(), 3);
    EXPECT_EQ(wrapped[2], QString(12, 'x').leftJustified(59) + QString(21, ' '));
    EXPECT_EQ(zelk::custom_reports::DashLine(), QString(60, ' ') + QString(20, '-'));
}
