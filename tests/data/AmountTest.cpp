#include "core/data/Amount.h"

#include <gtest/gtest.h>
#include <limits>

using zelk::Amount;

namespace {
std::int64_t raw(const char* text) {
    const auto a = Amount::parse(QString::fromUtf8(text));
    EXPECT_TRUE(a.has_value()) << text;
    return a ? a->raw() : 0;
}
bool numeric(const char* text) {
    return Amount::parse(QString::fromUtf8(text)).has_value();
}
} // namespace

TEST(Amount, ParsesWhatAnEditorAccepts) {
    EXPECT_EQ(raw("0"), 0);
    EXPECT_EQ(raw("1250"), 12500000);
    EXPECT_EQ(raw("-150.5"), -1505000);
    EXPECT_EQ(raw("+7"), 70000);
    EXPECT_EQ(raw("1,250.25"), 12502500);
    EXPECT_EQ(raw("12,345,678.9"), 123456789000);
    EXPECT_EQ(raw("  42  "), 420000);
    EXPECT_EQ(raw(".5"), 5000);
    EXPECT_EQ(raw("5."), 50000);
    EXPECT_EQ(raw("-0.0125"), -125);
}

TEST(Amount, RoundsBeyondFourDecimalsHalfToEven) {
    EXPECT_EQ(raw("0.00005"), 0);     // half, 0 is even
    EXPECT_EQ(raw("0.00015"), 2);     // half, 1 is odd -> 2
    EXPECT_EQ(raw("0.000151"), 2);    // more than half
    EXPECT_EQ(raw("0.00025"), 2);     // half, 2 is even
    EXPECT_EQ(raw("0.000250001"), 3); // above half
    EXPECT_EQ(raw("-0.00015"), -2);
    EXPECT_EQ(raw("1.99995"), 20000);
}

TEST(Amount, RejectsWhatIsNotNumeric) {
    for (const char* bad : {"", " ", "abc", "12a", "1.2.3", "--5", "1,25", "1,2345", ",125", "12,",
                            "1 000", "$5", "5-", ".", "-", "1e5", "0x10", "١٢"})
        EXPECT_FALSE(numeric(bad)) << bad;
}

TEST(Amount, RejectsValuesBeyondSixtyFourBits) {
    EXPECT_TRUE(numeric("922337203685477.5807"));
    EXPECT_FALSE(numeric("922337203685477.5808"));
    EXPECT_FALSE(numeric("99999999999999999999999"));
}

TEST(Amount, PrintsPlainDecimalForSql) {
    EXPECT_EQ(Amount::fromRaw(12500000).toSqlText(), "1250");
    EXPECT_EQ(Amount::fromRaw(12505000).toSqlText(), "1250.5");
    EXPECT_EQ(Amount::fromRaw(-125).toSqlText(), "-0.0125");
    EXPECT_EQ(Amount().toSqlText(), "0");
    EXPECT_EQ(Amount::fromRaw(std::numeric_limits<std::int64_t>::min()).toSqlText(),
              "-922337203685477.5808");
    // An amount shown where it is edited: two decimals, or four when it has them.
    EXPECT_EQ(Amount::fromRaw(-12505000).formatEntry(), "-1,250.50");
    EXPECT_EQ(Amount::fromRaw(125).formatEntry(), "0.0125");
    // every printed value parses back to itself, as SQL and as shown where it is edited
    for (std::int64_t v : {std::int64_t(1), std::int64_t(-9999), std::int64_t(123456789012345),
                           std::numeric_limits<std::int64_t>::min()})
        for (const QString& shown :
             {Amount::fromRaw(v).toSqlText(), Amount::fromRaw(v).formatEntry()})
            EXPECT_EQ(Amount::parse(shown)->raw(), v) << shown.toStdString();
}

TEST(Amount, FormatsForReports) {
    const Amount a = *Amount::parse("1234567.895");
    EXPECT_EQ(a.format("##,##0.00"), "1,234,567.90"); // display rounds half away from zero
    EXPECT_EQ((-a).format("##,##0.00"), "-1,234,567.90");
    EXPECT_EQ(Amount().format("##,##0.00"), "0.00");
    EXPECT_EQ(Amount::parse("0.004")->format("##,##0.00"), "0.00");
    EXPECT_EQ(Amount::parse("-0.004")->format("##,##0.00"), "0.00"); // no "-0.00"
    EXPECT_EQ(Amount::parse("999.995")->format("##,##0.00"), "1,000.00");

    EXPECT_EQ(Amount::parse("-500")->format("##,##0.00;(##,##0.00)"), "(500.00)");
    EXPECT_EQ(Amount::parse("1500")->format("##,##0.00;(##,##0.00)"), "1,500.00");
    EXPECT_EQ(Amount().format("##,##0.00;(##,##0.00)"), "0.00");

    EXPECT_EQ(Amount::parse("1234.5")->format("#,###.##"), "1,234.5");
    EXPECT_EQ(Amount::parse("1234")->format("#,###.##"), "1,234");
    EXPECT_EQ(Amount::parse("0.75")->format("#,###.##"), ".75");
    EXPECT_EQ(Amount::parse("-75")->format("#,###.##"), "-75");
    EXPECT_EQ(Amount().format("#,###.##"), "");
    EXPECT_THROW((void)Amount().format("0.0"), std::invalid_argument);
}

TEST(Amount, ArithmeticIsExactAndOverflowIsAnError) {
    Amount sum;
    for (int i = 0; i < 10; ++i)
        sum += *Amount::parse("0.1");
    EXPECT_EQ(sum, Amount::fromUnits(1));
    const Amount max = Amount::fromRaw(std::numeric_limits<std::int64_t>::max());
    EXPECT_THROW((void)(max + Amount::fromRaw(1)), zelk::AmountOverflow);
    EXPECT_THROW((void)(-max - Amount::fromRaw(2)), zelk::AmountOverflow);
    EXPECT_THROW((void)(-Amount::fromRaw(std::numeric_limits<std::int64_t>::min())),
                 zelk::AmountOverflow);
    EXPECT_THROW((void)Amount::fromUnits(std::numeric_limits<std::int64_t>::max() / 1000),
                 zelk::AmountOverflow);
    EXPECT_EQ(Amount::parse("-3")->abs(), Amount::fromUnits(3));
    // a sum whose partial sums in the given order leave the range, though the total fits
    const Amount terms[] = {max, max, -max, Amount::fromRaw(-5), -max, max};
    EXPECT_EQ(Amount::sum(terms), max - Amount::fromRaw(5));
    const Amount beyond[] = {max, Amount::fromRaw(3), Amount::fromRaw(-1)};
    EXPECT_THROW((void)Amount::sum(beyond), zelk::AmountOverflow);
}
