#pragma once

#include <QString>
#include <compare>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>

namespace zelk {

// Raised when money arithmetic or conversion would leave the 64-bit range.
class AmountOverflow : public std::overflow_error {
public:
    AmountOverflow() : std::overflow_error("Amount overflow") {}
};

// Money: a signed count of ten-thousandths in 64 bits. Sums are exact; nothing
// here ever passes through a floating-point number.
class Amount {
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Amount() = default;
    static constexpr Amount fromRaw(std::int64_t tenThousandths) { return Amount(tenThousandths); }
    // Whole units (e.g. 150 for 150.00); throws AmountOverflow when out of range.
    static Amount fromUnits(std::int64_t units);

    // The "is it numeric" check of every editor: optional blanks, optional sign,
    // digits with optional "," grouping by thousands, optional "." and decimals.
    // More than four decimals are rounded half to even. Anything else, or a value
    // out of range, gives no value.
    static std::optional<Amount> parse(const QString& text);
    // The same check on ASCII text without surrounding blanks.
    static std::optional<Amount> parseAscii(std::string_view text);
    // The numeric value of a cell: the parsed amount, or 0 when the text is not numeric.
    static Amount valueOf(const QString& text);

    constexpr std::int64_t raw() const { return m_raw; }
    constexpr bool isZero() const { return m_raw == 0; }
    constexpr bool isNegative() const { return m_raw < 0; }

    // Plain decimal for SQL and for number text in editors: 1250, 1250.5, -0.0125.
    QString toSqlText() const;
    // Report and grid formats: "##,##0.00", "#,###.##", "##,##0.00;(##,##0.00)".
    QString format(const QString& pattern) const;
    QString formatStandard() const;   // "##,##0.00"
    QString formatAccounting() const; // "##,##0.00;(##,##0.00)"
    QString formatOptional() const;   // "#,###.##"
    // An amount shown where it can be edited: "#,##0.00" with the third and fourth
    // decimals when it has them ("1,250.50", "-0.0125"), so the text parses back exactly.
    QString formatEntry() const;

    Amount operator-() const;
    Amount abs() const;
    Amount operator+(Amount other) const;
    Amount operator-(Amount other) const;
    Amount& operator+=(Amount other);
    Amount& operator-=(Amount other);
    // The exact sum of the terms, taken in an order that keeps every partial sum in the
    // range: only the result has to fit (else AmountOverflow).
    static Amount sum(std::span<const Amount> terms);

    friend constexpr bool operator==(Amount a, Amount b) = default;
    friend constexpr auto operator<=>(Amount a, Amount b) = default;

private:
    constexpr explicit Amount(std::int64_t raw) : m_raw(raw) {}
    std::int64_t m_raw = 0;
};

} // namespace zelk
