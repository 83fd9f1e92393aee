#pragma once

#include "core/data/Amount.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

// How the values of an imported file are written: its decimal mark and its date order.
// Each is decided from the file's own values where they tell, otherwise from the user's
// locale, or given by the user; a value that does not fit the choice is refused, never
// read another way.
namespace zelk::exchange {

enum class DateOrder { YearMonthDay, DayMonthYear, MonthDayYear };
constexpr std::array<DateOrder, 3> DateOrders = {DateOrder::YearMonthDay, DateOrder::DayMonthYear,
                                                 DateOrder::MonthDayYear};
// "year-month-day" ...
QString DateOrderName(DateOrder order);
// "ymd", "dmy", "mdy" (the command line's words) and back.
QString DateOrderCode(DateOrder order);
std::optional<DateOrder> DateOrderOfCode(QStringView code);

// Where a choice came from, as the preview and the command line tell it.
enum class ChoiceSource { File, Locale, Given };

// The decimal mark (',' or '.') and the date order of the locale's short formats.
char LocaleDecimalMark(const QLocale& locale);
DateOrder LocaleDateOrder(const QLocale& locale);

// An amount as written with `decimalMark`: blanks around it, an optional sign, the
// digits (grouped by thousands with the other mark, a blank or, with ".", an apostrophe)
// and one to four decimals. "1.250" is 1250 with "," and 1.25 with "."; "0,125" is no
// amount with "." (not a grouping). Empty text is no amount either.
struct AmountReading {
    std::optional<Amount> amount;
    QString error; // "12,50 is not an amount with the decimal mark ".""
};
AmountReading ReadAmount(QStringView text, char decimalMark);
// The decimal marks a text can be read with: 1 for ".", 2 for ",", 0 for neither.
int DecimalMarksOf(QStringView text);

// A date of a file: with the year first (2026-03-31, read so whatever the order), in
// `order` with a two- or four-digit year (31.03.26, 3/31/2026), or with a month's name
// (31 Mar 2026, Mar 31, 2026). A two-digit year is the one nearest `fiscalYear`.
struct DateReading {
    QDate date;
    QString error; // "31.02.2026 is not a date"
};
DateReading ReadDate(QStringView text, DateOrder order, int fiscalYear,
                     const QLocale& locale = QLocale());
// The orders a date can be read in, a bit each (1 << int(order)); all three for a date
// any order reads alike (the year first, a month's name); 0 for no date.
int DateOrdersOf(QStringView text, int fiscalYear);

// The votes of a file's values, and the choice they make.
class FormatVotes {
public:
    void amount(QStringView text);
    void date(QStringView text, int fiscalYear);

    // The mark that fits every amount (the locale's when both do); when none does, the
    // one more of them fit. `source`: File or Locale.
    char decimalMark(const QLocale& locale, ChoiceSource* source) const;
    DateOrder dateOrder(const QLocale& locale, ChoiceSource* source) const;
    // Whether another mark or order would read some value otherwise (not when every
    // amount is whole, or every date has its year first or its month's name).
    bool markMatters() const { return m_anyMark; }
    bool orderMatters() const { return m_anyOrderedDate; }

private:
    int m_marksAll = 3;
    std::array<int, 2> m_marksCount{};
    bool m_anyAmount = false;
    bool m_anyMark = false;
    int m_ordersAll = 7;
    std::array<int, 3> m_ordersCount{};
    bool m_anyOrderedDate = false;
    bool m_anyYearFirst = false;
};

} // namespace zelk::exchange
