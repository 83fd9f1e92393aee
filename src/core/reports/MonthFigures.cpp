#include "MonthFigures.h"

#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/modDBUtil.h"
#include "core/periods/PeriodRun.h"

namespace zelk::reports {

MonthFigures::MonthFigures(Connection& cnn, int fiscalYear, int financialPeriodBegin,
                           int firstPeriod, int lastPeriod) {
    // The calendar month of period p.
    auto month = [&](int p) { return (financialPeriodBegin + p - 2) % 12 + 1; };
    const QDate from =
        fiscal::firstDayOfMonth(financialPeriodBegin, fiscalYear, month(firstPeriod));
    const QDate to = fiscal::lastDayOfMonth(financialPeriodBegin, fiscalYear, month(lastPeriod));
    RowSet dates = cnn.openRowSet(modDBUtil::GetPostedDatesInRange(from, to));
    for (dates.moveFirst(); !dates.eof(); dates.moveNext()) {
        const QDate date = dates.date(QStringLiteral("DateStamp"));
        const int period = fiscal::periodOfDate(financialPeriodBegin, date).period;
        if (m_open[size_t(period)])
            continue;
        m_open[size_t(period)] = true;
        m_notEnded << fiscal::monthOfDate(date);
    }
    for (int p = firstPeriod; p <= lastPeriod; ++p) {
        if (!m_open[size_t(p)])
            continue;
        RowSet ledger = cnn.openRowSet(modDBUtil::GetGeneralOfPeriod(fiscalYear, p));
        for (ledger.moveFirst(); !ledger.eof(); ledger.moveNext())
            m_movements[periods::accountKey(ledger.text(QStringLiteral("AccountNo")))][size_t(p)] =
                ledger.amount(QStringLiteral("Debit")) - ledger.amount(QStringLiteral("Credit"));
    }
}

Amount MonthFigures::figure(const QString& account, int period, Amount stored) const {
    if (period < 1 || period > 12 || !m_open[size_t(period)])
        return stored;
    const auto found = m_movements.constFind(periods::accountKey(account));
    return found == m_movements.constEnd() ? Amount() : (*found)[size_t(period)];
}

} // namespace zelk::reports
