#pragma once

#include "support/TestDatabase.h"

// The books the report tests print: a company whose fiscal year 2004 starts in April,
// accounts of every class (long names, quotes, braces, backslashes, letters outside
// Windows-1252), April to June posted by the posting run, April and May closed by month
// end, then two June entries and one July entry left unposted.
namespace fixture {
void buildLedger(TestDatabase& db);
} // namespace fixture
