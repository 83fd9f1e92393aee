#pragma once

#include "core/data/Amount.h"
#include "core/data/Connection.h"

#include <QStringList>
#include <functional>

namespace zelk {

// The full check of the books: the engine reads every page and index of the file, then
// the bookkeeping sums are compared (beginning balances sum to 0, the open year's
// general ledger debits equal its credits, no transaction of the journal is unbalanced).
// Run from zelk-cli check and File → Check Books…, never at start-up.
struct BooksCheck {
    bool cancelled = false;
    QStringList problems; // of the file; empty when every page and index is sound
    QString company;
    int openYear = 0;
    qint64 accounts = 0;
    qint64 transactions = 0;
    qint64 historyLines = 0;
    Amount beginning;
    Amount debits;
    Amount credits;
    qint64 unbalanced = 0;
    // The first of them, each "T1 of 2004-05-02: debits 100.00 and credits 90.00".
    QStringList unbalancedNamed;

    bool fileSound() const { return !cancelled && problems.isEmpty(); }
    bool balanced() const { return beginning.isZero() && debits == credits && unbalanced == 0; }
    // What the check found, one line each ("Integrity: ok", ..., "Books balance: yes"),
    // then one line per unbalanced transaction named ("Unbalanced: T1 of ...").
    QStringList lines() const;
};

// Runs the check. keepGoing is called now and then while the engine reads the file;
// returning false stops the check (cancelled, nothing else read). Throws DbError when a
// sum cannot be read.
BooksCheck checkBooks(Connection& cnn, const std::function<bool()>& keepGoing);

} // namespace zelk
