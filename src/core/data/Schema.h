#pragma once

#include <QStringList>

namespace zelk::schema {

// The DDL of the fourteen tables, their keys, references and indexes, in order.
QStringList createStatements();
// The reference rows of a new file: the company row (placeholder values, the given
// year), the six account classes, SYS_Twelve 1..12 and the two custom report types.
QStringList referenceRows(int currentYear);
// The tables every Zelk database holds (the original fourteen).
QStringList tableNames();

// The schema's version, kept in the file (PRAGMA user_version). Books of version 0 hold
// the original tables only; version 1 adds the bank statement tables. The original
// tables and columns never change: a later version only adds tables.
constexpr int CurrentVersion = 1;
// The tables a version added (version 1: the bank profiles, rules and identities).
QStringList addedTableNames(int version);
// The DDL that brings books of version `version` - 1 to `version`.
QStringList upgradeStatements(int version);
// The DDL of the tables the versions after 0 added, up to the current one: what a new
// file gets beside createStatements().
QStringList addedStatements();

} // namespace zelk::schema
