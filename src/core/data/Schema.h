#pragma once

#include <QStringList>

namespace zelk::schema {

// The DDL of the fourteen tables, their keys, references and indexes, in order.
QStringList createStatements();
// The reference rows of a new file: the company row (placeholder values, the given
// year), the six account classes, SYS_Twelve 1..12 and the two custom report types.
QStringList referenceRows(int currentYear);
// The tables every Zelk database holds.
QStringList tableNames();

} // namespace zelk::schema
