#pragma once

#include <QDate>
#include <QString>

namespace zelk {

class Connection;
class RowSet;

// The company row (one row, read through GetCompany).
struct CompanyRow {
    QString Name, Address, Phone, Fax, Email;
    int BeginPeriod = 1;
    int BeginPeriodYear = 0;
    int CurrentPeriodYear = 0;
    int FinancialPeriodBegin = 1;

    static CompanyRow read(Connection& cnn);
    // The row of a GetCompany row set; throws DbError when it holds none.
    static CompanyRow fromRows(const RowSet& rs);
};

// The fiscal calendar: a fiscal year starts in calendar month `begin` (1..12), its
// months are periods 1..12, and it is named by the calendar year of its first month.
namespace fiscal {

// The period (1..12) of calendar month m.
int periodOfMonth(int begin, int month);
// The period and the fiscal year of a date.
struct PeriodOfDate {
    int period;
    int periodYear;
};
PeriodOfDate periodOfDate(int begin, const QDate& date);
// The calendar year in which month m of fiscal year `fiscalYear` falls.
int calendarYearOfMonth(int begin, int fiscalYear, int month);
// First and last day of month m of fiscal year `fiscalYear`.
QDate firstDayOfMonth(int begin, int fiscalYear, int month);
QDate lastDayOfMonth(int begin, int fiscalYear, int month);
// First and last day of the fiscal year.
QDate firstDayOfYear(int begin, int fiscalYear);
QDate lastDayOfYear(int begin, int fiscalYear);

// "January" ... "December".
QString monthName(int month);
// The calendar month of a date with its year: "January 2004".
QString monthOfDate(const QDate& date);

} // namespace fiscal
} // namespace zelk
