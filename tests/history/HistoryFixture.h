#pragma once

#include "data/Amount.h"
#include "support/TestDatabase.h"

#include <QString>

// The books the history tests browse, written with the catalogue statements:
// a company whose fiscal year starts in April, open year 2004 (begun 2002);
// four accounts; closed transaction lines of January and February 2004; the open
// year's general ledger of periods 1 and 11; the closed years 2002 and 2003 in the
// general-ledger and balance histories.
namespace historyfixture {

zelk::Amount money(const char* text); // "1250.5" -> exact amount

void writeBooks(TestDatabase& db);

} // namespace historyfixture
