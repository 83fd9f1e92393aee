#pragma once

#include "core/data/Amount.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <array>

namespace zelk {
class Connection;
}

namespace zelk::reports {

// The month figures that the income statement, the balance sheet and the custom reports
// print for periods firstPeriod ... lastPeriod of the open fiscal year. End Month writes
// each account's movement of a month (debit minus credit of its general-ledger row) into
// the account's period balance. A month whose posted transactions are still in the
// journal (not yet ended, or posted to after it was ended) has no such figure yet, or an
// old one: there the movement is taken from the general ledger itself, the figure End
// Month would write, so the statements agree with the trial balance before and after
// End Month. Ended months keep the figure End Month wrote.
class MonthFigures {
public:
    MonthFigures(Connection& cnn, int fiscalYear, int financialPeriodBegin, int firstPeriod,
                 int lastPeriod);

    // The months not yet ended ("April 2026"), in order.
    const QStringList& notEnded() const { return m_notEnded; }
    // The account's figure of a period: `stored` (its period balance) when the month is
    // ended, else its posted movement of the month (0 without a general-ledger row).
    Amount figure(const QString& account, int period, Amount stored) const;

private:
    std::array<bool, 13> m_open{}; // by period: the month has postings not yet ended
    QHash<QString, std::array<Amount, 13>> m_movements; // by account key, then period
    QStringList m_notEnded;
};

} // namespace zelk::reports
