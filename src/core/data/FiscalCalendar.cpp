#include "FiscalCalendar.h"

#include "Connection.h"
#include "modDBUtil.h"
#include "modUtils.h"

namespace zelk {

CompanyRow CompanyRow::read(Connection& cnn) {
    return fromRows(cnn.execute(modDBUtil::GetCompany()));
}

CompanyRow CompanyRow::fromRows(const RowSet& rs) {
    if (rs.eof())
        throw DbError(
            {1, QStringLiteral("Zelk database"), QStringLiteral("The company row is missing.")});
    CompanyRow c;
    c.Name = rs.text(QStringLiteral("Name"));
    c.Address = rs.text(QStringLiteral("Address"));
    c.Phone = rs.text(QStringLiteral("Phone"));
    c.Fax = rs.text(QStringLiteral("Fax"));
    c.Email = rs.text(QStringLiteral("Email"));
    c.BeginPeriod = int(rs.integer(QStringLiteral("BeginPeriod")));
    c.BeginPeriodYear = int(rs.integer(QStringLiteral("BeginPeriodYear")));
    c.CurrentPeriodYear = int(rs.integer(QStringLiteral("CurrentPeriodYear")));
    c.FinancialPeriodBegin = int(rs.integer(QStringLiteral("FinancialPeriodBegin")));
    return c;
}

namespace fiscal {

int periodOfMonth(int begin, int month) {
    std::int16_t periods = 0;
    bool sameYear = false;
    modUtils::MonthsBetween(std::int16_t(begin), std::int16_t(month), periods, sameYear);
    return periods;
}

PeriodOfDate periodOfDate(int begin, const QDate& date) {
    std::int16_t periods = 0;
    bool sameYear = false;
    modUtils::MonthsBetween(std::int16_t(begin), std::int16_t(date.month()), periods, sameYear);
    return {periods, sameYear ? date.year() : date.year() - 1};
}

int calendarYearOfMonth(int begin, int fiscalYear, int month) {
    return month >= begin ? fiscalYear : fiscalYear + 1;
}

QDate firstDayOfMonth(int begin, int fiscalYear, int month) {
    return QDate(calendarYearOfMonth(begin, fiscalYear, month), month, 1);
}

QDate lastDayOfMonth(int begin, int fiscalYear, int month) {
    return firstDayOfMonth(begin, fiscalYear, month).addMonths(1).addDays(-1);
}

QDate firstDayOfYear(int begin, int fiscalYear) {
    return QDate(fiscalYear, begin, 1);
}

QDate lastDayOfYear(int begin, int fiscalYear) {
    return firstDayOfYear(begin, fiscalYear).addYears(1).addDays(-1);
}

QString monthName(int month) {
    static const char* const names[] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
    if (month < 1 || month > 12)
        return QString();
    return QString::fromLatin1(names[month - 1]);
}

QString monthOfDate(const QDate& date) {
    return monthName(date.month()) + QLatin1Char(' ') + QString::number(date.year());
}

} // namespace fiscal
} // namespace zelk
