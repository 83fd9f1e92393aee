#pragma once

#include "core/data/Amount.h"

#include <QString>
#include <vector>

namespace zelk {

class Connection;
namespace reports {
class MonthFigures;
}

// The running sums of a custom report's groups. A Heading opens a group, a Detail adds
// its amount to the innermost open group, a Total closes the innermost group and adds
// its sum to the enclosing one. A Total with no open group shows 0 and changes nothing.
class GroupSums {
public:
    void heading();
    void detail(Amount amount);
    // The closed group's sum (0 when no group is open).
    Amount total();
    int depth() const { return int(m_sums.size()) - 1; }

private:
    std::vector<Amount> m_sums{Amount()}; // entry 0: the last Detail's amount
};

// The report types a definition can have.
enum CustomReportType { Cumulative = 1, Monthly = 2 };

// The amount of a Detail row for period `period` of fiscal year `year`: the balances at
// the end of the month, beginning balance included (Cumulative), or the month's
// movement alone (Monthly), summed over the accounts of the range (one account when
// `last` is empty). The month figures are those of `figures` (which covers periods 1 ...
// `period` for Cumulative, `period` for Monthly).
Amount detailAmount(Connection& cnn, const reports::MonthFigures& figures, int type, int year,
                    int period, const QString& first, const QString& last);

} // namespace zelk
