#include "ImportFormat.h"

#include "core/shared/TypedDate.h"

#include <QStringList>
#include <cstdlib>
#include <limits>

namespace zelk::exchange {

namespace {

const QLocale English(QLocale::English);

bool isDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// The marks that group thousands besides the other decimal mark: blanks, and with "."
// the apostrophe.
bool isGroupMark(QChar c, char decimalMark) {
    const char16_t u = c.unicode();
    if (u == (decimalMark == '.' ? u',' : u'.'))
        return true;
    if (u == u' ' || u == 0x00A0 || u == 0x202F || u == 0x2009)
        return true;
    return decimalMark == '.' && u == u'\'';
}

enum class Shape { Ok, TooManyDecimals, TooLarge, NotAmount };

Shape shapeOf(QStringView input, char decimalMark, Amount* out) {
    const QStringView t = input.trimmed();
    qsizetype i = 0;
    const qsizetype n = t.size();
    bool negative = false;
    if (i < n && (t[i] == u'-' || t[i] == u'+'))
        negative = t[i++] == u'-';
    std::uint64_t whole = 0;
    int digits = 0, groupLength = 0, groups = 0;
    QChar groupMark;
    bool leadingZero = false, tooLarge = false;
    constexpr std::uint64_t limit =
        std::uint64_t(std::numeric_limits<std::int64_t>::max()) / std::uint64_t(Amount::Scale);
    for (; i < n && t[i] != QLatin1Char(decimalMark); ++i) {
        const QChar c = t[i];
        if (isDigit(c)) {
            if (digits == 0)
                leadingZero = c == u'0';
            whole = whole * 10 + std::uint64_t(c.unicode() - '0');
            tooLarge = tooLarge || whole > limit;
            ++digits;
            ++groupLength;
        } else if (isGroupMark(c, decimalMark) && (groupMark.isNull() || c == groupMark)) {
            // The first group has one to three digits and no leading zero, every other three.
            if (groups == 0 ? (groupLength < 1 || groupLength > 3 || leadingZero)
                            : groupLength != 3)
                return Shape::NotAmount;
            groupMark = c;
            ++groups;
            groupLength = 0;
        } else {
            return Shape::NotAmount;
        }
    }
    if (groups > 0 && groupLength != 3)
        return Shape::NotAmount;
    std::uint64_t fraction = 0;
    int decimals = 0;
    if (i < n) { // at the decimal mark
        for (++i; i < n; ++i) {
            if (!isDigit(t[i]))
                return Shape::NotAmount;
            if (decimals < 4)
                fraction = fraction * 10 + std::uint64_t(t[i].unicode() - '0');
            ++decimals;
        }
        if (decimals == 0)
            return Shape::NotAmount;
    }
    if (digits == 0 && decimals == 0)
        return Shape::NotAmount;
    if (decimals > 4)
        return Shape::TooManyDecimals;
    if (tooLarge)
        return Shape::TooLarge;
    for (int k = decimals; k < 4; ++k)
        fraction *= 10;
    const std::uint64_t magnitude = whole * std::uint64_t(Amount::Scale) + fraction;
    if (magnitude > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
        return Shape::TooLarge;
    if (out)
        *out = Amount::fromRaw(negative ? -std::int64_t(magnitude) : std::int64_t(magnitude));
    return Shape::Ok;
}

// The year a two-digit year stands for: the one nearest the fiscal year.
int nearestYear(int twoDigits, int fiscalYear) {
    const int century = fiscalYear - fiscalYear % 100;
    int best = century + twoDigits;
    for (int candidate : {century - 100 + twoDigits, century + 100 + twoDigits})
        if (std::abs(candidate - fiscalYear) < std::abs(best - fiscalYear))
            best = candidate;
    return best;
}

// The parts of a date: runs of digits and runs of letters, whatever separates them.
QList<QStringView> partsOf(QStringView text) {
    QList<QStringView> parts;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size();
        if (start >= 0 &&
            (end || !text[i].isLetterOrNumber() || isDigit(text[i]) != isDigit(text[start]))) {
            parts << text.mid(start, i - start);
            start = -1;
        }
        if (!end && start < 0 && text[i].isLetterOrNumber())
            start = i;
    }
    return parts;
}

bool allDigits(QStringView s) {
    for (QChar c : s)
        if (!isDigit(c))
            return false;
    return !s.isEmpty();
}

// A date's day, month and year text in one order, or none when its parts do not have
// that order's shape.
struct Fields {
    int day = 0, month = 0;
    QStringView year;
};

std::optional<Fields> fieldsIn(const QList<QStringView>& p, DateOrder order) {
    auto small = [](QStringView s) { return s.size() <= 2; };
    switch (order) {
    case DateOrder::YearMonthDay:
        if ((p[0].size() == 2 || p[0].size() == 4) && small(p[1]) && small(p[2]))
            return Fields{p[2].toInt(), p[1].toInt(), p[0]};
        break;
    case DateOrder::DayMonthYear:
    case DateOrder::MonthDayYear:
        if (small(p[0]) && small(p[1]) && (p[2].size() == 2 || p[2].size() == 4)) {
            const bool dayFirst = order == DateOrder::DayMonthYear;
            return Fields{(dayFirst ? p[0] : p[1]).toInt(), (dayFirst ? p[1] : p[0]).toInt(), p[2]};
        }
        break;
    }
    return std::nullopt;
}

int yearOf(QStringView text, int fiscalYear) {
    const int y = text.toInt();
    return text.size() == 2 ? nearestYear(y, fiscalYear) : y;
}

bool validIn(const QList<QStringView>& parts, DateOrder order, int fiscalYear) {
    const std::optional<Fields> f = fieldsIn(parts, order);
    return f && QDate::isValid(yearOf(f->year, fiscalYear), f->month, f->day);
}

struct DateShape {
    int orders = 0;         // the orders it can be read in
    bool anyOrder = false;  // every order reads it alike
    bool yearFirst = false; // 2026-03-31
};

DateShape shapeOfDate(const QList<QStringView>& parts, int fiscalYear) {
    DateShape s;
    if (parts.size() != 3)
        return s;
    if (!(allDigits(parts[0]) && allDigits(parts[1]) && allDigits(parts[2]))) {
        s.orders = 7; // a month's name: checked when read
        s.anyOrder = true;
        return s;
    }
    if (parts[0].size() == 4) {
        s.yearFirst = s.anyOrder = true;
        s.orders = 7;
        return s;
    }
    for (DateOrder o : DateOrders)
        if (validIn(parts, o, fiscalYear))
            s.orders |= 1 << int(o);
    return s;
}

} // namespace

QString DateOrderName(DateOrder order) {
    switch (order) {
    case DateOrder::YearMonthDay:
        return QStringLiteral("year-month-day");
    case DateOrder::DayMonthYear:
        return QStringLiteral("day-month-year");
    case DateOrder::MonthDayYear:
        break;
    }
    return QStringLiteral("month-day-year");
}

QString DateOrderCode(DateOrder order) {
    switch (order) {
    case DateOrder::YearMonthDay:
        return QStringLiteral("ymd");
    case DateOrder::DayMonthYear:
        return QStringLiteral("dmy");
    case DateOrder::MonthDayYear:
        break;
    }
    return QStringLiteral("mdy");
}

std::optional<DateOrder> DateOrderOfCode(QStringView code) {
    for (DateOrder o : DateOrders)
        if (code == DateOrderCode(o))
            return o;
    return std::nullopt;
}

char LocaleDecimalMark(const QLocale& locale) {
    return locale.decimalPoint() == QStringLiteral(",") ? ',' : '.';
}

DateOrder LocaleDateOrder(const QLocale& locale) {
    for (QChar c : locale.dateFormat(QLocale::ShortFormat)) {
        const char16_t u = c.toLower().unicode();
        if (u == u'y')
            return DateOrder::YearMonthDay;
        if (u == u'd')
            return DateOrder::DayMonthYear;
        if (u == u'm')
            return DateOrder::MonthDayYear;
    }
    return DateOrder::DayMonthYear;
}

AmountReading ReadAmount(QStringView text, char decimalMark) {
    AmountReading r;
    Amount a;
    const Shape shape = shapeOf(text, decimalMark, &a);
    const QString shown = shape == Shape::Ok ? QString() : text.trimmed().toString();
    switch (shape) {
    case Shape::Ok:
        r.amount = a;
        break;
    case Shape::TooManyDecimals:
        r.error = QStringLiteral("%1 has more than four decimals").arg(shown);
        break;
    case Shape::TooLarge:
        r.error = QStringLiteral("%1 is too large for an amount").arg(shown);
        break;
    case Shape::NotAmount:
        r.error = shapeOf(text, decimalMark == '.' ? ',' : '.', nullptr) == Shape::NotAmount
                      ? QStringLiteral("%1 is not an amount").arg(shown)
                      : QStringLiteral("%1 is not an amount with the decimal mark \"%2\"")
                            .arg(shown, QString(QLatin1Char(decimalMark)));
        break;
    }
    return r;
}

int DecimalMarksOf(QStringView text) {
    int marks = 0;
    for (const char m : {'.', ','}) {
        const Shape s = shapeOf(text, m, nullptr);
        if (s == Shape::Ok || s == Shape::TooManyDecimals)
            marks |= m == '.' ? 1 : 2;
    }
    return marks;
}

DateReading ReadDate(QStringView input, DateOrder order, int fiscalYear, const QLocale& locale) {
    const QStringView text = input.trimmed();
    const auto notADate = [&] { return QStringLiteral("%1 is not a date").arg(text); };
    const QList<QStringView> parts = partsOf(text);
    if (parts.size() != 3)
        return {QDate(), notADate()};
    int named = -1, month = 0;
    for (int i = 0; i < 3; ++i)
        if (!allDigits(parts[i])) {
            if (named >= 0 || (month = MonthOfName(parts[i], locale)) == 0)
                return {QDate(), notADate()};
            named = i;
        }
    int day = 0;
    QStringView yearText;
    if (named >= 0) { // 31 Mar 2026, Mar 31 2026, 2026 Mar 31
        QList<QStringView> numbers = parts;
        numbers.removeAt(named);
        const bool yearFirst = numbers[0].size() >= 3;
        day = (yearFirst ? numbers[1] : numbers[0]).toInt();
        yearText = yearFirst ? numbers[0] : numbers[1];
        if (yearText.size() != 2 && yearText.size() != 4)
            return {QDate(), notADate()};
    } else {
        const DateOrder used = parts[0].size() == 4 ? DateOrder::YearMonthDay : order;
        const std::optional<Fields> f = fieldsIn(parts, used);
        if (!f || !QDate::isValid(yearOf(f->year, fiscalYear), f->month, f->day)) {
            if (parts[0].size() != 4 && shapeOfDate(parts, fiscalYear).orders != 0)
                return {QDate(), QStringLiteral("%1 is not a date in the order %2")
                                     .arg(text, DateOrderName(order))};
            return {QDate(), notADate()};
        }
        day = f->day;
        month = f->month;
        yearText = f->year;
    }
    const int year = yearOf(yearText, fiscalYear);
    if (!QDate::isValid(year, month, day))
        return {QDate(), notADate()};
    if (year < FirstDateYear || year > LastDateYear)
        return {QDate(), QStringLiteral("%1 is not a date from %2 to %3")
                             .arg(text)
                             .arg(FirstDateYear)
                             .arg(LastDateYear)};
    return {QDate(year, month, day), QString()};
}

int DateOrdersOf(QStringView text, int fiscalYear) {
    return shapeOfDate(partsOf(text.trimmed()), fiscalYear).orders;
}

void FormatVotes::amount(QStringView text) {
    if (!text.contains(u'.') && !text.contains(u',')) {
        m_anyAmount = true; // a whole amount reads alike with either mark
        return;
    }
    const int marks = DecimalMarksOf(text);
    if (marks == 0)
        return;
    m_anyAmount = true;
    m_anyMark = true;
    m_marksAll &= marks;
    for (int k = 0; k < 2; ++k)
        if (marks & (1 << k))
            ++m_marksCount[size_t(k)];
}

void FormatVotes::date(QStringView text, int fiscalYear) {
    const DateShape s = shapeOfDate(partsOf(text.trimmed()), fiscalYear);
    m_anyYearFirst = m_anyYearFirst || s.yearFirst;
    if (s.orders == 0 || s.anyOrder)
        return;
    m_anyOrderedDate = true;
    m_ordersAll &= s.orders;
    for (DateOrder o : DateOrders)
        if (s.orders & (1 << int(o)))
            ++m_ordersCount[size_t(o)];
}

char FormatVotes::decimalMark(const QLocale& locale, ChoiceSource* source) const {
    const char own = LocaleDecimalMark(locale);
    *source = ChoiceSource::File;
    if (m_marksAll == 1 || m_marksAll == 2)
        return m_marksAll == 1 ? '.' : ',';
    if (m_marksAll == 0 && m_marksCount[0] != m_marksCount[1])
        return m_marksCount[0] > m_marksCount[1] ? '.' : ',';
    if (!m_anyAmount || m_marksAll == 3)
        *source = ChoiceSource::Locale;
    return own;
}

DateOrder FormatVotes::dateOrder(const QLocale& locale, ChoiceSource* source) const {
    const DateOrder own = LocaleDateOrder(locale);
    *source = ChoiceSource::File;
    if (!m_anyOrderedDate) {
        if (m_anyYearFirst)
            return DateOrder::YearMonthDay;
        *source = ChoiceSource::Locale;
        return own;
    }
    // The orders every date fits, else those most dates fit.
    int candidates = m_ordersAll;
    if (candidates == 0) {
        const int most = *std::max_element(m_ordersCount.begin(), m_ordersCount.end());
        for (DateOrder o : DateOrders)
            if (m_ordersCount[size_t(o)] == most)
                candidates |= 1 << int(o);
    }
    if (candidates & (1 << int(own))) {
        if (candidates != (1 << int(own)))
            *source = ChoiceSource::Locale;
        return own;
    }
    for (DateOrder o : {DateOrder::DayMonthYear, DateOrder::MonthDayYear, DateOrder::YearMonthDay})
        if (candidates & (1 << int(o)))
            return o;
    return own;
}

} // namespace zelk::exchange
