#pragma once

#include "HistoryGrid.h"
#include "core/data/Connection.h"

#include <QDate>
#include <QString>
#include <vector>

namespace zelk::history {

// Writes the account card's rows (arrangeAccountCard) as a report into the report file:
// the company block, the title "Account Card", the account and the range, then one line
// per row — date, transaction number, description, debit, credit and balance, 80
// characters in all — with the beginning balances and the total in bold. Throws
// modRptUtil::ReportFileError when the file cannot be written.
void WriteAccountCardReport(Connection& cnn, const std::vector<GridRow>& rows,
                            const QString& account, const QDate& from, const QDate& to);

} // namespace zelk::history
