#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

namespace zelk {

// A date typed whole: in the locale's short format ("29/02/2004", "2/29/04"), as ISO
// ("2004-02-29") or as the date fields show it ("29 Feb 2004"). A two-digit year is one
// of 1980 ... 2079. The result is a date of the years 1980 to 3000, or the reason why
// the text is none ("31 Feb 2004 is not a date").
struct TypedDate {
    QDate date;    // valid when the text is a date
    QString error; // otherwise
};
TypedDate ParseTypedDate(const QString& text, const QLocale& locale = QLocale());
// How a date field shows a date: "29 Feb 2004".
QString DateFieldText(const QDate& date);
constexpr int FirstDateYear = 1980;
constexpr int LastDateYear = 3000;

} // namespace zelk
