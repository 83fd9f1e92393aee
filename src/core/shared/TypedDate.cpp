#include "TypedDate.h"

#include <QStringList>

namespace zelk {

namespace {
const QLocale English(QLocale::English);
} // namespace

int MonthOfName(QStringView word, const QLocale& locale) {
    for (const QLocale* l : {&locale, &English})
        for (int m = 1; m <= 12; ++m)
            for (QLocale::FormatType f : {QLocale::LongFormat, QLocale::ShortFormat})
                if (word.compare(l->monthName(m, f), Qt::CaseInsensitive) == 0 ||
                    word.compare(l->standaloneMonthName(m, f), Qt::CaseInsensitive) == 0)
                    return m;
    return 0;
}

namespace {

// The order of day, month and year in the locale's short format, as "dmy", "mdy" ...
QString fieldOrder(const QLocale& locale) {
    QString order;
    for (QChar c : locale.dateFormat(QLocale::ShortFormat)) {
        const QChar f = c.toLower() == QLatin1Char('m') ? QLatin1Char('m') : c.toLower();
        if ((f == QLatin1Char('d') || f == QLatin1Char('m') || f == QLatin1Char('y')) &&
            !order.contains(f))
            order += f;
    }
    return order.size() == 3 ? order : QStringLiteral("dmy");
}

QStringList partsOf(const QString& text) {
    QStringList parts;
    QString part;
    auto flush = [&] {
        if (!part.isEmpty())
            parts << part;
        part.clear();
    };
    for (QChar c : text) {
        const bool sameKind = part.isEmpty() || part.back().isDigit() == c.isDigit();
        if (c.isLetterOrNumber() && sameKind) {
            part += c;
        } else {
            flush();
            if (c.isLetterOrNumber())
                part += c;
        }
    }
    flush();
    return parts;
}

bool allDigits(const QString& s) {
    for (QChar c : s)
        if (!c.isDigit())
            return false;
    return !s.isEmpty();
}

} // namespace

QString ShortDateText(const QDate& date, const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy"))) // a two-digit year would not read back
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return locale.toString(date, format);
}

TypedDate ParseTypedDate(const QString& typed, const QLocale& locale) {
    const QString text = typed.trimmed();
    const QString notADate = QStringLiteral("\"%1\" is not a date").arg(text);
    const QStringList parts = partsOf(text);
    if (parts.size() != 3)
        return {QDate(), notADate};
    int day = 0, month = 0, year = 0;
    QString yearText;
    int named = -1;
    for (int i = 0; i < 3; ++i)
        if (!allDigits(parts[i])) {
            if (named >= 0 || (month = MonthOfName(parts[i], locale)) == 0)
                return {QDate(), notADate};
            named = i;
        }
    QStringList numbers;
    for (int i = 0; i < 3; ++i)
        if (i != named)
            numbers << parts[i];
    if (named >= 0) { // "29 Feb 2004", "Feb 29 2004", "2004 Feb 29"
        const bool yearFirst = numbers[0].size() >= 3;
        day = (yearFirst ? numbers[1] : numbers[0]).toInt();
        yearText = yearFirst ? numbers[0] : numbers[1];
    } else if (parts[0].size() >= 3) { // ISO: year, month, day
        yearText = parts[0];
        month = parts[1].toInt();
        day = parts[2].toInt();
    } else {
        const QString order = fieldOrder(locale);
        for (int i = 0; i < 3; ++i) {
            if (order[i] == QLatin1Char('d'))
                day = parts[i].toInt();
            else if (order[i] == QLatin1Char('m'))
                month = parts[i].toInt();
            else
                yearText = parts[i];
        }
    }
    if (yearText.size() > 4)
        return {QDate(), notADate};
    year = yearText.toInt();
    if (yearText.size() <= 2)
        year += year < 80 ? 2000 : 1900;
    // Named as the fields show a date, so the user sees which part is wrong.
    const QString shown =
        QStringLiteral("%1 %2 %3")
            .arg(day)
            .arg(month >= 1 && month <= 12 ? English.monthName(month, QLocale::ShortFormat)
                                           : QString::number(month),
                 yearText.size() <= 2 ? QString::number(year) : yearText);
    if (!QDate::isValid(year, month, day))
        return {QDate(), shown + QStringLiteral(" is not a date")};
    if (year < FirstDateYear || year > LastDateYear)
        return {QDate(), shown + QStringLiteral(" is not a date from %1 to %2")
                                     .arg(FirstDateYear)
                                     .arg(LastDateYear)};
    return {QDate(year, month, day), QString()};
}

} // namespace zelk
