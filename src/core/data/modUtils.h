#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <vector>

// Pure helpers that turn values into SQL literals and share small conversions.
namespace modUtils {

// NULL for the empty text, else the text quoted with every ' doubled.
QString SqlText(const QString& s);
// NULL for the empty text, else #s# (s already formatted yyyy/mm/dd).
QString SqlDate(const QString& s);
// NULL for the empty text, else True or False; throws zelk::TypeMismatch for other text.
QString SqlBool(const QString& s);
// Null gives the empty text; other values their plain text form.
QString NullToText(const QVariant& v);
// Period number of month ToMonth in a fiscal year starting in FromMonth (both ends
// counted), and whether ToMonth lies in the same calendar year as the first month.
void MonthsBetween(std::int16_t FromMonth, std::int16_t ToMonth, std::int16_t& Periods,
                   bool& SameYear);
QString PostedStatusText(bool posted);
// Value And 2^Bit > 0; throws zelk::Overflow when 2^Bit exceeds 32767.
bool IsBitSet(long Value, int Bit);
// Text cut into consecutive pieces of Length characters; an empty text gives one
// empty piece. Length is a text holding a whole number.
QStringList SplitText(const QString& Text, const QString& Length);
// Largest of the values, starting from 0.
double MaxOf(const std::vector<double>& Values);

// The SQL date text of a date: #yyyy/mm/dd#.
QString SqlDateOf(const class QDate& d);
// The text of a boolean as the platform writes it: "True" or "False".
QString BoolText(bool b);

} // namespace modUtils
