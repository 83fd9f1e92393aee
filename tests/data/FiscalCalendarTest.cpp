#include "core/data/FiscalCalendar.h"

#include <gtest/gtest.h>

using namespace zelk::fiscal;

TEST(FiscalCalendar, DatesFallIntoPeriodsOfTheFiscalYearOfTheirFirstMonth) {
    EXPECT_EQ(periodOfDate(4, QDate(2004, 2, 15)).period, 11);
    EXPECT_EQ(periodOfDate(4, QDate(2004, 2, 15)).periodYear, 2003);
    EXPECT_EQ(periodOfDate(4, QDate(2004, 4, 15)).period, 1);
    EXPECT_EQ(periodOfDate(4, QDate(2004, 4, 15)).periodYear, 2004);
    EXPECT_EQ(periodOfDate(1, QDate(2004, 12, 31)).period, 12);
    EXPECT_EQ(periodOfDate(1, QDate(2004, 12, 31)).periodYear, 2004);
    EXPECT_EQ(periodOfMonth(4, 3), 12);
}

TEST(FiscalCalendar, MonthsOfAFiscalYearAndTheirDays) {
    // April fiscal year 2003: February is period 11 and lies in 2004 (a leap year)
    EXPECT_EQ(calendarYearOfMonth(4, 2003, 2), 2004);
    EXPECT_EQ(firstDayOfMonth(4, 2003, 2), QDate(2004, 2, 1));
    EXPECT_EQ(lastDayOfMonth(4, 2003, 2), QDate(2004, 2, 29));
    EXPECT_EQ(lastDayOfMonth(4, 2003, 4), QDate(2003, 4, 30));
    EXPECT_EQ(firstDayOfMonth(7, 2003, 1), QDate(2004, 1, 1));
    EXPECT_EQ(lastDayOfMonth(1, 2004, 3), QDate(2004, 3, 31));
    EXPECT_EQ(firstDayOfYear(4, 2003), QDate(2003, 4, 1));
    EXPECT_EQ(lastDayOfYear(4, 2003), QDate(2004, 3, 31));
    EXPECT_EQ(monthName(1), "January");
    EXPECT_EQ(monthName(12), "December");
}
