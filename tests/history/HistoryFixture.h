#pragma once

#include "support/TestDatabase.h"

// The books the history tests browse, written with the catalogue statements: a company
// whose fiscal year starts in April, open year 2004 (begun 2002); accounts 1000 Cash,
// 1100 Bank, 4000 Sales, 6000 Rent; closed lines T1..T4 of January and T5 of February
// 2004; the open year's general ledger of periods 1 and 11; the closed years 2002 and
// 2003 in the general-ledger and balance histories.
namespace historyfixture {

void writeBooks(TestDatabase& db);

} // namespace historyfixture
