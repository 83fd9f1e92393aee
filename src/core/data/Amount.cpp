#include "Amount.h"

#include <vector>

#include <limits>

namespace zelk {

namespace {

std::int64_t checkedAdd(std::int64_t a, std::int64_t b) {
    std::int64_t r = 0;
    if (__builtin_add_overflow(a, b, &r))
        throw AmountOverflow();
    return r;
}

std::int64_t checkedMul(std::int64_t a, std::int64_t b) {
    std::int64_t r = 0;
    if (__builtin_mul_overflow(a, b, &r))
        throw AmountOverflow();
    return r;
}

// Digits of a non-negative whole number with "," every three digits from the right.
QString groupThousands(std::uint64_t value) {
    QString digits = QString::number(value);
    QString out;
    out.reserve(digits.size() + digits.size() / 3);
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits[i];
    }
    return out;
}

// Magnitude in hundredths, rounded half away from zero (display rounding).
std::uint64_t hundredths(std::int64_t raw) {
    const std::uint64_t mag =
        raw < 0 ? std::uint64_t(-(raw + 1)) + 1 : std::uint64_t(raw); // safe for INT64_MIN
    return mag / 100 + (mag % 100 >= 50 ? 1 : 0);
}

QString twoDecimals(std::uint64_t cents) {
    return groupThousands(cents / 100) + QLatin1Char('.') +
           QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
}

} // namespace

Amount Amount::fromUnits(std::int64_t units) {
    return Amount(checkedMul(units, Scale));
}

std::optional<Amount> Amount::parse(const QString& input) {
    const QString text = input.trimmed();
    std::string ascii;
    ascii.reserve(size_t(text.size()));
    for (QChar c : text) {
        if (c.unicode() >= 128)
            return std::nullopt;
        ascii += char(c.unicode());
    }
    return parseAscii(ascii);
}

std::optional<Amount> Amount::parseAscii(std::string_view text) {
    size_t i = 0;
    const size_t n = text.size();
    auto digit = [&](size_t k) { return text[k] >= '0' && text[k] <= '9'; };
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // Whole part: digits, optionally grouped as 1-3 digits then ",ddd" groups.
    std::uint64_t whole = 0;
    int wholeDigits = 0;
    int groupLen = 0;
    bool grouped = false;
    const std::uint64_t limit = std::uint64_t(std::numeric_limits<std::int64_t>::max()) / Scale + 1;
    for (; i < n; ++i) {
        if (digit(i)) {
            whole = whole * 10 + std::uint64_t(text[i] - '0');
            if (whole > limit)
                return std::nullopt;
            ++wholeDigits;
            ++groupLen;
        } else if (text[i] == ',') {
            if (groupLen == 0 || (grouped ? groupLen != 3 : groupLen > 3))
                return std::nullopt;
            grouped = true;
            groupLen = 0;
        } else {
            break;
        }
    }
    if (grouped && groupLen != 3)
        return std::nullopt;
    // Fraction part: four decimals kept, the rest decides the rounding.
    std::uint64_t frac = 0;
    int fracDigits = 0;
    int fifth = -1; // the fifth decimal, when there is one
    bool restNonZero = false;
    if (i < n && text[i] == '.') {
        for (++i; i < n && digit(i); ++i, ++fracDigits) {
            const int d = text[i] - '0';
            if (fracDigits < 4)
                frac = frac * 10 + std::uint64_t(d);
            else if (fifth < 0)
                fifth = d;
            else if (d != 0)
                restNonZero = true;
        }
    }
    if (i != n || (wholeDigits == 0 && fracDigits == 0))
        return std::nullopt;
    for (int k = fracDigits; k < 4; ++k)
        frac *= 10;
    std::uint64_t mag = whole * std::uint64_t(Scale) + frac;
    // Round half to even.
    if (fifth > 5 || (fifth == 5 && (restNonZero || (mag % 2) == 1)))
        ++mag;
    // The range is one wider below zero: the least amount reads back too.
    const std::uint64_t most = std::uint64_t(std::numeric_limits<std::int64_t>::max());
    if (mag > most + (negative ? 1 : 0))
        return std::nullopt;
    if (mag == most + 1)
        return Amount(std::numeric_limits<std::int64_t>::min());
    const std::int64_t value = std::int64_t(mag);
    return Amount(negative ? -value : value);
}

Amount Amount::valueOf(const QString& text) {
    return parse(text).value_or(Amount());
}

QString Amount::toSqlText() const {
    // Written by hand: this runs for every amount of every statement.
    char buf[32];
    char* end = buf + sizeof buf;
    char* p = end;
    const bool neg = m_raw < 0;
    std::uint64_t mag = neg ? std::uint64_t(-(m_raw + 1)) + 1 : std::uint64_t(m_raw);
    std::uint64_t frac = mag % Scale;
    std::uint64_t whole = mag / Scale;
    if (frac != 0) {
        int digits = 4;
        while (frac % 10 == 0) {
            frac /= 10;
            --digits;
        }
        for (int i = 0; i < digits; ++i) {
            *--p = char('0' + frac % 10);
            frac /= 10;
        }
        *--p = '.';
    }
    do {
        *--p = char('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    if (neg)
        *--p = '-';
    return QString::fromLatin1(p, end - p);
}

QString Amount::formatStandard() const {
    const std::uint64_t cents = hundredths(m_raw);
    return (m_raw < 0 && cents != 0 ? QStringLiteral("-") : QString()) + twoDecimals(cents);
}

QString Amount::formatAccounting() const {
    const std::uint64_t cents = hundredths(m_raw);
    if (m_raw < 0 && cents != 0)
        return QLatin1Char('(') + twoDecimals(cents) + QLatin1Char(')');
    return twoDecimals(cents);
}

QString Amount::formatOptional() const {
    // Optional digits: no leading zero, at most two decimals without trailing zeros,
    // and nothing at all for a value that rounds to zero.
    const std::uint64_t cents = hundredths(m_raw);
    if (cents == 0)
        return QString();
    QString out = m_raw < 0 ? QStringLiteral("-") : QString();
    if (cents / 100 != 0)
        out += groupThousands(cents / 100);
    if (cents % 100 != 0) {
        QString f = QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
        if (f.endsWith(QLatin1Char('0')))
            f.chop(1);
        out += QLatin1Char('.') + f;
    }
    return out;
}

QString Amount::formatEntry() const {
    const bool neg = m_raw < 0;
    const std::uint64_t mag = neg ? std::uint64_t(-(m_raw + 1)) + 1 : std::uint64_t(m_raw);
    QString decimals = QStringLiteral("%1").arg(mag % Scale, 4, 10, QLatin1Char('0'));
    while (decimals.size() > 2 && decimals.endsWith(QLatin1Char('0')))
        decimals.chop(1);
    return (neg ? QStringLiteral("-") : QString()) + groupThousands(mag / Scale) +
           QLatin1Char('.') + decimals;
}

QString Amount::format(const QString& pattern) const {
    if (pattern == QLatin1String("##,##0.00"))
        return formatStandard();
    if (pattern == QLatin1String("##,##0.00;(##,##0.00)"))
        return formatAccounting();
    if (pattern == QLatin1String("#,###.##"))
        return formatOptional();
    throw std::invalid_argument("unknown amount format: " + pattern.toStdString());
}

Amount Amount::operator-() const {
    if (m_raw == std::numeric_limits<std::int64_t>::min())
        throw AmountOverflow();
    return Amount(-m_raw);
}

Amount Amount::abs() const {
    return m_raw < 0 ? -*this : *this;
}

Amount Amount::operator+(Amount other) const {
    return Amount(checkedAdd(m_raw, other.m_raw));
}

Amount Amount::operator-(Amount other) const {
    std::int64_t r = 0;
    if (__builtin_sub_overflow(m_raw, other.m_raw, &r))
        throw AmountOverflow();
    return Amount(r);
}

Amount& Amount::operator+=(Amount other) {
    return *this = *this + other;
}
Amount& Amount::operator-=(Amount other) {
    return *this = *this - other;
}

Amount Amount::sum(std::span<const Amount> terms) {
    // While terms of both signs are left, a negative one is added to a sum that is not
    // negative and a positive one to a negative sum, so the sum stays between the two;
    // the terms of one sign left at the end move it straight to the result.
    std::vector<Amount> positive, negative;
    for (const Amount& a : terms)
        (a.isNegative() ? negative : positive).push_back(a);
    Amount total;
    size_t p = 0, n = 0;
    while (p < positive.size() || n < negative.size()) {
        const bool takeNegative =
            n < negative.size() && (p == positive.size() || !total.isNegative());
        total += takeNegative ? negative[n++] : positive[p++];
    }
    return total;
}

} // namespace zelk
