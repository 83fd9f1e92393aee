#include "core/custom_reports/CustomReportDefinition.h"
#include "core/custom_reports/CustomReportSums.h"
#include "core/data/modDBUtil.h"
#include "core/reports/MonthFigures.h"
#include "support/ScriptedUi.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using namespace modDBUtil;
using zelk::Amount;
using zelk::CustomReportDefinition;
using zelk::DefinitionLine;

namespace {

Amount units(qint64 u) {
    return Amount::fromUnits(u);
}

Saldos months(std::initializer_list<qint64> list) {
    Saldos s{};
    size_t i = 0;
    for (qint64 u : list)
        s[i++] = Amount::fromUnits(u);
    return s;
}

// Accounts with balance rows of 2004: beginning balance b and the twelve months' figures.
class CustomReports : public ::testing::Test {
protected:
    TestDatabase db;

    void account(const QString& no, const QString& name, qint64 begin, Saldos s) {
        db.exec(InsertAccount(no, name, 1, ""));
        db.exec(InsertAccountBalanceFull(no, 2004, units(begin), s));
    }
};

} // namespace

TEST_F(CustomReports, DetailAmountsOfBothTypesForTheFirstAndTwelfthPeriod) {
    account("1000", "Cash", 100, months({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    account("1050", "Petty cash", -10, months({-1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1000}));
    account("1100", "Bank", 7, months({}));
    auto amount = [&](int type, int period, const char* first, const char* last) {
        const zelk::reports::MonthFigures figures(db.cnn(), 2004, 1, 1, period);
        return zelk::detailAmount(db.cnn(), figures, type, 2004, period, first, last);
    };
    // cumulative: beginning balance and the months up to the period
    EXPECT_EQ(amount(zelk::Cumulative, 1, "1000", ""), units(101));
    EXPECT_EQ(amount(zelk::Cumulative, 1, "1000", "1099"), units(101 - 11));
    EXPECT_EQ(amount(zelk::Cumulative, 12, "1000", "1099"), units(100 + 78 - 10 - 1 + 1000));
    // monthly: the period's column alone
    EXPECT_EQ(amount(zelk::Monthly, 1, "1000", "1099"), units(1 - 1));
    EXPECT_EQ(amount(zelk::Monthly, 12, "1000", "1099"), units(12 + 1000));
    EXPECT_EQ(amount(zelk::Monthly, 12, "1100", ""), units(0));
    // a range with no balance row of the year
    EXPECT_EQ(amount(zelk::Cumulative, 5, "5000", "5999"), units(0));
    // ranges compare as text: '100' to '1050' leaves out 110, '1000' to '1100' holds it
    account("110", "Text order", 1000, months({}));
    EXPECT_EQ(amount(zelk::Cumulative, 1, "100", "1050"), units(101 - 11));
    EXPECT_EQ(amount(zelk::Cumulative, 1, "1000", "1100"), units(101 - 11 + 7 + 1000));
}

// A Total closes the innermost open group and adds it to the one around it; a detail
// outside any group, or a Total with no group open, is printed and adds to nothing.
TEST(GroupSums, NestedGroupsAndDetailsOutsideAnyGroup) {
    zelk::GroupSums g;
    EXPECT_EQ(g.total(), units(0));
    g.detail(units(5));
    g.heading(); // A
    g.detail(units(1));
    g.heading(); // B
    g.detail(units(10));
    g.detail(units(20));
    EXPECT_EQ(g.total(), units(30)); // B
    g.detail(units(2));
    EXPECT_EQ(g.total(), units(33)); // A holds 1, B's 30 and 2
    EXPECT_EQ(g.depth(), 0);
    EXPECT_EQ(g.total(), units(0));
    g.heading();
    g.detail(units(3));
    EXPECT_EQ(g.total(), units(3)) << "the stray Total left the next group alone";
}

class Definitions : public CustomReports {
protected:
    void SetUp() override {
        account("1000", "Cash", 0, months({}));
        account("1100", "Bank", 0, months({}));
        account("1200", "Bank", 0, months({})); // a second account of the same name
    }
    CustomReportDefinition filled() {
        CustomReportDefinition d(db.cnn());
        d.name = "Liquidity";
        d.title = "Cash and banks";
        d.reportTypeId = 1;
        return d;
    }
    static void row(CustomReportDefinition& d, int r, const char* name, const char* type) {
        d.rows[size_t(r)].name = name;
        d.setType(r, type);
    }
};

TEST_F(Definitions, ValidationChecksInOrderAndCountsInvalidRows) {
    ScriptedUi ui;
    std::vector<DefinitionLine> lines;
    CustomReportDefinition d(db.cnn());
    ui.answerDialog(zelk::Fix).answerDialog(zelk::Abort).answerDialog(zelk::Fix);
    EXPECT_EQ(d.validate(lines), 1);
    d.name = "R";
    EXPECT_EQ(d.validate(lines), 2);
    d.title = "T";
    EXPECT_EQ(d.validate(lines), 1);
    const auto asked = ui.dialogs();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].text, "Error: 1\r\nSource: Custom report\r\nDesc: Report name is missing.");
    EXPECT_EQ(asked[1].text, "Error: 1\r\nSource: Custom report\r\nDesc: Report title is missing.");
    EXPECT_EQ(asked[2].text, "Error: 1\r\nSource: Custom Report\r\nDesc: Report type is missing.");
    EXPECT_EQ(asked[2].buttons, 5);

    d.reportTypeId = 2;
    row(d, 0, "Liquid", "Heading");
    row(d, 2, "Cash", "Detail"); // no account: invalid
    d.rows[3].name = "No type";  // invalid
    row(d, 5, "Ghost", "Detail");
    d.typeAccountText(5, false, "No such account"); // a name of no account: invalid
    row(d, 6, "Bank", "Detail");
    d.pickAccount(6, false, "1200");
    row(d, 7, "Liquid total", "Total");
    ui.clear();
    ui.answerDialog(zelk::Ignore);
    EXPECT_EQ(d.validate(lines), 0);
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_EQ(ui.dialogs()[0].text, "Error: 2\r\nSource: Custom Report\r\nDesc: Invalid: 3 "
                                    "row(s). Yes: fix input, No:Cancel, ");
    EXPECT_EQ(ui.dialogs()[0].buttons, 13);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].name, "Bank");
    EXPECT_EQ(lines[1].first, "1200") << "the account chosen, not the first of that name";
    EXPECT_EQ(lines[1].last, "");

    // a range that runs backwards, as keys compare, names its grid row
    d.pickAccount(6, true, "1000");
    ui.clear();
    ui.answerDialog(zelk::Ignore).answerDialog(zelk::Fix);
    EXPECT_EQ(d.validate(lines), 1);
    ASSERT_EQ(ui.dialogs().size(), 2u);
    EXPECT_EQ(ui.dialogs()[1].text, "Error: 1\r\nSource: Custom Report\r\nDesc: Row 7: Account "
                                    "Start 1200 comes after Account End 1000.");
    EXPECT_EQ(ui.dialogs()[1].buttons, 5);
    d.rows[6].end = {};

    // Ignore can drop a counted Heading: the counts still agree, so the Total that is
    // left has no group to close when the report is printed
    d.rows[0].name = "";
    ui.clear();
    ui.answerDialog(zelk::Ignore);
    EXPECT_EQ(d.validate(lines), 0);
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_TRUE(ui.dialogs()[0].text.contains("Invalid: 4 row(s)."));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].type, "Total");

    // two Headings and one Total
    row(d, 0, "Liquid", "Heading");
    row(d, 1, "More", "Heading");
    d.rows[2] = {};
    d.rows[3] = {};
    d.rows[5] = {};
    ui.clear();
    ui.answerDialog(zelk::Abort);
    EXPECT_EQ(d.validate(lines), 2);
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_EQ(ui.dialogs()[0].text, "Error: 3\r\nSource: Custom Report\r\nDesc: Invalid: Total row "
                                    "and heading row are not equally counted.");
    EXPECT_EQ(ui.dialogs()[0].buttons, 5);
}

TEST_F(Definitions, SavingRenumbersRowsAndKeepsTheBoundsOfAnOldDefinition) {
    ScriptedUi ui;
    CustomReportDefinition d = filled();
    row(d, 3, "Banks", "Heading");
    row(d, 10, "Bank A", "Detail");
    d.pickAccount(10, false, "1100");
    row(d, 11, "Bank B", "Detail");
    d.pickAccount(11, false, "1200");
    d.pickAccount(11, true, "1200");
    row(d, 40, "Banks total", "Total");
    std::vector<DefinitionLine> lines;
    ASSERT_EQ(d.validate(lines), 0);
    ASSERT_EQ(d.save(false, lines), zelk::CommandOutcome::Committed);
    zelk::RowSet rs = db.query("SELECT Seq, RowName, FKID_Account_Start, FKID_Account_End FROM "
                               "Ledger_CustomReportDetails ORDER BY Seq");
    QStringList saved;
    for (; !rs.eof(); rs.moveNext())
        saved << rs.text("Seq") + ":" + rs.text("RowName") + ":" + rs.text("FKID_Account_Start") +
                     ":" + rs.text("FKID_Account_End");
    EXPECT_EQ(saved, (QStringList{"1:Banks::", "2:Bank A:1100:", "3:Bank B:1200:1200",
                                  "4:Banks total::"}));

    // opened again, the second "Bank" keeps its own number, and saving changes nothing
    CustomReportDefinition again(db.cnn());
    ASSERT_TRUE(again.load("liquidity")) << "names compare case-insensitively";
    EXPECT_EQ(again.rows[2].start.text, "Bank");
    ASSERT_EQ(again.validate(lines), 0);
    ASSERT_EQ(again.save(true, lines), zelk::CommandOutcome::Committed);
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_CustomReportDetails WHERE "
                        "FKID_Account_Start='1200' AND FKID_Account_End='1200'"),
              1);
    EXPECT_EQ(db.count("Ledger_CustomReportDetails"), 4);
    EXPECT_EQ(db.count("Ledger_CustomReports"), 1);
    EXPECT_FALSE(again.load("No such report"));
}

TEST_F(Definitions, ADuplicateNameIsRefusedByTheDatabaseAndNothingIsWritten) {
    ScriptedUi ui;
    CustomReportDefinition first = filled();
    std::vector<DefinitionLine> lines;
    ASSERT_EQ(first.save(false, lines), zelk::CommandOutcome::Committed);
    const QByteArray before = db.fileBytes();
    CustomReportDefinition second = filled();
    second.name = "LIQUIDITY";
    row(second, 0, "y", "Total"); // a Total before its Heading passes the check
    row(second, 1, "x", "Heading");
    ASSERT_EQ(second.validate(lines), 0);
    EXPECT_EQ(lines.size(), 2u);
    ui.answerDialog(zelk::Fix);
    EXPECT_EQ(second.save(false, lines), zelk::CommandOutcome::Fix);
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_EQ(ui.dialogs()[0].title, "DB Error");
    EXPECT_EQ(db.fileBytes(), before);
    EXPECT_FALSE(db.cnn().inTransaction());
}
