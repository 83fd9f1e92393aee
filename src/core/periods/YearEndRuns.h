#pragma once

#include "PeriodRun.h"
#include "core/data/Amount.h"
#include "core/data/FiscalCalendar.h"

#include <QDate>
#include <vector>

namespace zelk::periods {

// The earning-account chooser as the year end sees it: each call shows the chooser
// (the same one, with its list as it was) and gives the account chosen, or empty
// text when it was closed without a choice.
class EarningAccountChooser {
public:
    virtual ~EarningAccountChooser() = default;
    virtual QString chooseEarningAccount() = 0;
};

// Year end: closes the open fiscal year CY and opens CY + 1. Each account's general-
// ledger rows and balance row of CY move to the histories; each account of classes 1
// to 6 gets its balance row of CY + 1 with its opening balance, and its twelve
// general-ledger rows of CY + 1; the revenues, the expenses and the earning account's
// own total are closed into the earning account; the transactions dated in CY or before
// leave the journal (later ones stay for the new year) and CY + 1 becomes the open year.
class EndYear : public PeriodRun {
public:
    using PeriodRun::PeriodRun;

    // The questions before the run, in order. A false answer means the run is not to
    // go ahead (the cancel flag is set).
    // Refuses while posted transactions of the year are still in the journal (they would
    // be lost without reaching the history), then asks whether the year's unposted ones
    // may go.
    bool confirmJournal();
    // The account that receives the year's result: none of class 4 is refused, a
    // single one is taken, among several the user chooses until a choice is made or
    // "Cancel end year?" is answered Yes. Empty text: the run is not to go ahead.
    QString chooseEarningAccount(EarningAccountChooser& chooser);

    // A snapshot of the books comes first; when it fails the run does not start.
    RunOutcome run(const QString& EarningAccount);
};

// Reverting year end: the closed year PY = CY - 1 comes back from the histories, the
// rows of every other year are dropped from the general ledger and the balances, and PY
// becomes the open year. Every account is left with a balance row and twelve general-
// ledger rows of PY; one added after the year end keeps the beginning balance it was
// given. The journal's transactions stay as they are, and those the year end deleted
// (dated in PY or before, unposted) come back as they were, read from the snapshot taken
// before it.
class RevertEndYear : public PeriodRun {
public:
    using PeriodRun::PeriodRun;

    // The checks before the run: refuses while months of the open year are closed
    // (their history would be stranded) or posted transactions are in the journal (their
    // ledger rows would be dropped), and while a transaction the year end deleted cannot
    // come back (its number is in the journal again, or one of its accounts is gone).
    // Asks whether to go on when no snapshot from before the year end can be read. False:
    // the run is not to go ahead (the cancel flag is set).
    bool confirmBeforeRun();

    // A snapshot of the books comes first; when it fails the run does not start.
    RunOutcome run();

private:
    struct DeletedLine {
        QString account;
        int seq = 0;
        Amount amount;
    };
    struct DeletedTransaction {
        QString number, source, description;
        QDate date;
        bool posted = false;
        std::vector<DeletedLine> lines;
    };
    // Reads the transactions the year end deleted from the newest snapshot taken before
    // it; asking (before the run) also checks that they can come back and asks when no
    // snapshot can be read. False: the run is not to go ahead.
    bool gatherDeleted(const CompanyRow& company, bool asking);

    bool m_gathered = false;
    std::vector<DeletedTransaction> m_deleted;
};

} // namespace zelk::periods
