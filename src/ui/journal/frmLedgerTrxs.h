#pragma once

#include "ui/lists/ListWindow.h"

// The transaction list: every journal transaction, posted or not; the place where
// transactions are entered, changed and deleted.
class frmLedgerTrxs : public ListWindow {
    Q_OBJECT
public:
    explicit frmLedgerTrxs(QWidget* parent = nullptr);

    static ListWindowSpec Spec();
};
