#include "modUtils.h"

#include "Errors.h"

#include <QDate>
#include <limits>

namespace modUtils {

QString SqlText(const QString& s) {
    if (s.isEmpty())
        return QStringLiteral("NULL");
    QString out;
    out.reserve(s.size() + 2);
    out += QLatin1Char('\'');
    for (QChar c : s) {
        out += c;
        if (c == QLatin1Char('\''))
            out += c;
    }
    out += QLatin1Char('\'');
    return out;
}

QString SqlDate(const QString& s) {
    if (s.isEmpty())
        return QStringLiteral("NULL");
    return QLatin1Char('#') + s + QLatin1Char('#');
}

QString SqlBool(const QString& s) {
    if (s.isEmpty())
        return QStringLiteral("NULL");
    const QString t = s.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("True");
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("False");
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok)
        throw zelk::TypeMismatch(s);
    return v != 0 ? QStringLiteral("True") : QStringLiteral("False");
}

QString NullToText(const QVariant& v) {
    if (!v.isValid() || v.isNull())
        return QString();
    return v.toString();
}

void MonthsBetween(std::int16_t FromMonth, std::int16_t ToMonth, std::int16_t& Periods,
                   bool& SameYear) {
    const int p = ToMonth >= FromMonth ? ToMonth - FromMonth + 1 : ToMonth - FromMonth + 13;
    if (p < std::numeric_limits<std::int16_t>::min() ||
        p > std::numeric_limits<std::int16_t>::max())
        throw zelk::Overflow();
    Periods = std::int16_t(p);
    SameYear = ToMonth >= FromMonth;
}

QString PostedStatusText(bool posted) {
    return posted ? QStringLiteral("POSTED") : QStringLiteral("NOT POSTED");
}

bool IsBitSet(long Value, int Bit) {
    if (Bit < 0 || Bit > 14)
        throw zelk::Overflow();
    return (Value & (1L << Bit)) > 0;
}

QStringList SplitText(const QString& Text, const QString& Length) {
    bool ok = false;
    const int w = Length.trimmed().toInt(&ok);
    if (!ok || w <= 0)
        throw zelk::TypeMismatch(Length);
    QStringList pieces;
    if (Text.isEmpty()) {
        pieces << QString();
        return pieces;
    }
    for (qsizetype at = 0; at < Text.size(); at += w)
        pieces << Text.mid(at, w);
    return pieces;
}

double MaxOf(const std::vector<double>& Values) {
    double m = 0;
    for (double v : Values)
        if (v > m)
            m = v;
    return m;
}

QString SqlDateOf(const QDate& d) {
    if (!d.isValid() || d.year() < 1 || d.year() > 9999)
        return SqlDate(d.toString(QStringLiteral("yyyy/MM/dd")));
    // #yyyy/mm/dd#, written by hand: most statements of a period run carry one.
    char buf[] = "#0000/00/00#";
    int y = d.year();
    for (int i = 4; i >= 1; --i, y /= 10)
        buf[i] = char('0' + y % 10);
    buf[6] = char('0' + d.month() / 10);
    buf[7] = char('0' + d.month() % 10);
    buf[9] = char('0' + d.day() / 10);
    buf[10] = char('0' + d.day() % 10);
    return QString::fromLatin1(buf, 12);
}

QString BoolText(bool b) {
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace modUtils
