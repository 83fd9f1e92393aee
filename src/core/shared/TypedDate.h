#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

namespace zelk {

// A date typed whole: in the locale's short format ("29/02/2004", "2/29/04"), as ISO
// ("2004-02-29") or with the month's name ("29 Feb 2004"). A two-digit year is one
// of 1980 ... 2079. The result is a date of the years 1980 to 3000, or the reason why
// the text is none ("31 Feb 2004 is not a date").
struct TypedDate {
    QDate date;    // valid when the text is a date
    QString error; // otherwise
};
TypedDate ParseTypedDate(const QString& text, const QLocale& locale = QLocale());
// How every window shows a date: the locale's short format with the year in full
// ("29/02/2004", "2/29/2004"; "29 Feb 2004" where the locale is C). Date fields show it
// too, and read it back.
QString ShortDateText(const QDate& date, const QLocale& locale = QLocale());
// The month (1..12) of a name or its abbreviation, of the locale or in English, letter
// case aside; 0 if none.
int MonthOfName(QStringView word, const QLocale& locale = QLocale());
constexpr int FirstDateYear = 1980;
constexpr int LastDateYear = 3000;

} // namespace zelk
