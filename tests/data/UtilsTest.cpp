#include "core/data/Errors.h"
#include "core/data/modErrors.h"
#include "core/data/modUtils.h"
#include "support/ScriptedUi.h"

#include <QDate>
#include <gtest/gtest.h>

using namespace modUtils;

TEST(SqlLiterals, TextIsQuotedWithQuotesDoubledAndEmptyIsNull) {
    EXPECT_EQ(SqlText(""), "NULL");
    EXPECT_EQ(SqlText(" "), "' '");
    EXPECT_EQ(SqlText("abc"), "'abc'");
    EXPECT_EQ(SqlText("O'Brien"), "'O''Brien'");
    EXPECT_EQ(SqlText("''"), "''''''");
    EXPECT_EQ(SqlText("#2004/01/01# True [x]"), "'#2004/01/01# True [x]'");
}

TEST(SqlLiterals, DatesAndBooleans) {
    EXPECT_EQ(SqlDate(""), "NULL");
    EXPECT_EQ(SqlDate(QDate(2004, 3, 1).toString("yyyy/MM/dd")), "#2004/03/01#");
    EXPECT_EQ(SqlDateOf(QDate(2004, 2, 15)), "#2004/02/15#");
    EXPECT_EQ(SqlDateOf(QDate(1980, 12, 31)), "#1980/12/31#");
    EXPECT_EQ(SqlDateOf(QDate(3000, 1, 9)), "#3000/01/09#");
    EXPECT_EQ(SqlDateOf(QDate()), "NULL");
    EXPECT_EQ(SqlBool(""), "NULL");
    EXPECT_EQ(SqlBool("True"), "True");
    EXPECT_EQ(SqlBool("tRUE"), "True");
    EXPECT_EQ(SqlBool("False"), "False");
    EXPECT_EQ(SqlBool("0"), "False");
    EXPECT_EQ(SqlBool("-1"), "True");
    EXPECT_EQ(SqlBool(BoolText(true)), "True");
    EXPECT_THROW(SqlBool("maybe"), zelk::TypeMismatch);
}

TEST(ValueHelpers, MonthsBetweenCountsTheFiscalPeriod) {
    struct Case {
        int from, to, periods;
        bool same;
    } cases[] = {{4, 4, 1, true},   {4, 3, 12, false}, {1, 12, 12, true}, {12, 1, 2, false},
                 {4, 2, 11, false}, {7, 1, 7, false},  {1, 3, 3, true}};
    for (const Case& c : cases) {
        std::int16_t p = 0;
        bool same = !c.same;
        MonthsBetween(std::int16_t(c.from), std::int16_t(c.to), p, same);
        EXPECT_EQ(p, c.periods) << c.from << "->" << c.to;
        EXPECT_EQ(same, c.same) << c.from << "->" << c.to;
    }
}

TEST(ValueHelpers, SplitTextCutsIntoFixedPieces) {
    EXPECT_EQ(SplitText("abcdefghij", "4"), (QStringList{"abcd", "efgh", "ij"}));
    EXPECT_EQ(SplitText("abcdefgh", "4"), (QStringList{"abcd", "efgh"}));
    EXPECT_EQ(SplitText("", "14"), (QStringList{""}));
    EXPECT_EQ(SplitText("  a b ", "3"), (QStringList{"  a", " b "}));
    EXPECT_THROW(SplitText("x", "0"), zelk::TypeMismatch);
}

TEST(ErrorReporting, DatabaseErrorsOfferFixRetryAbort) {
    ScriptedUi ui;
    ui.answerDialog(zelk::Retry);
    EXPECT_EQ(modErrors::ShowErrorMessage({19, "Zelk database", "UNIQUE constraint failed"}),
              zelk::Retry);
    ASSERT_EQ(ui.dialogs().size(), 1u);
    const auto d = ui.dialogs()[0];
    EXPECT_EQ(d.title, "DB Error");
    EXPECT_EQ(d.buttons, 7);
    EXPECT_EQ(d.text, "Error: 19\r\nSource: Zelk database\r\nDesc: UNIQUE constraint failed");
}

TEST(ErrorReporting, InputErrorsChooseButtonsByNumber) {
    ScriptedUi ui;
    ui.answerDialog(zelk::Fix).answerDialog(zelk::Ignore).answerDialog(zelk::Abort);
    ui.answerDialog(zelk::Abort).answerDialog(zelk::Abort);
    EXPECT_EQ(modErrors::ShowInputErrorMessage({1, "New Company", "Company's name is missing."}),
              zelk::Fix);
    EXPECT_EQ(modErrors::ShowInputErrorMessage({2, "Ledger Transaction", "Invalid"}), zelk::Ignore);
    modErrors::ShowInputErrorMessage({3, "Custom Report", "x"});
    modErrors::ShowInputErrorMessage({4, "x", "x"});
    modErrors::ShowInputErrorMessage({0, "x", "x"});
    const auto d = ui.dialogs();
    ASSERT_EQ(d.size(), 5u);
    EXPECT_EQ(d[0].buttons, 5);
    EXPECT_EQ(d[0].text, "Error: 1\r\nSource: New Company\r\nDesc: Company's name is missing.");
    EXPECT_EQ(d[0].title, "DB Error");
    EXPECT_EQ(d[1].buttons, 13);
    EXPECT_EQ(d[2].buttons, 5);
    EXPECT_EQ(d[3].buttons, 4);
    EXPECT_EQ(d[4].buttons, 4);
}
