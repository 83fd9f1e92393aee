#include "CustomReportSums.h"

#include "core/data/Connection.h"
#include "core/data/modDBUtil.h"
#include "core/reports/MonthFigures.h"

namespace zelk {

void GroupSums::heading() {
    m_sums.push_back(Amount());
}

void GroupSums::detail(Amount amount) {
    m_sums[0] = amount;
    if (depth() > 0)
        m_sums.back() += amount;
}

Amount GroupSums::total() {
    if (depth() == 0)
        return Amount();
    const Amount sum = m_sums.back();
    m_sums.pop_back();
    if (depth() > 0)
        m_sums.back() += sum;
    return sum;
}

Amount detailAmount(Connection& cnn, const reports::MonthFigures& figures, int type, int year,
                    int period, const QString& first, const QString& last) {
    // Summed as a whole, so that no partial sum leaves the range when the total fits.
    std::vector<Amount> terms;
    if (type == Cumulative) {
        RowSet rs = cnn.execute(modDBUtil::GetCustomRowBalances(year, period, first, last));
        for (; !rs.eof(); rs.moveNext()) {
            const QString account = rs.text(QStringLiteral("AccountNo"));
            for (int i = 1; i <= period; ++i)
                terms.push_back(figures.figure(
                    account, i, rs.amount(QStringLiteral("Saldo") + QString::number(i))));
            terms.push_back(rs.amount(QStringLiteral("BeginningBalance")));
        }
    } else {
        RowSet rs = cnn.execute(modDBUtil::GetCustomRowPeriodBalance(year, period, first, last));
        for (; !rs.eof(); rs.moveNext())
            terms.push_back(figures.figure(rs.text(QStringLiteral("AccountNo")), period,
                                           rs.amount(QStringLiteral("Saldo"))));
    }
    return Amount::sum(terms);
}

} // namespace zelk
