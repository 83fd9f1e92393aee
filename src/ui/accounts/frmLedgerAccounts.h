#pragma once

#include "ui/lists/ListWindow.h"

// The account list: the chart of accounts, by class and number; the one place where
// accounts are added, edited and deleted.
class frmLedgerAccounts : public ListWindow {
    Q_OBJECT
public:
    explicit frmLedgerAccounts(QWidget* parent = nullptr);

    // The description of the account list (also used by tests).
    static ListWindowSpec Spec();
};
