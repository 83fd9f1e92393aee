#pragma once

#include "ui/lists/ListWindow.h"

// The custom report list: every definition with its title and type; definitions are
// added, changed, deleted and printed from here.
class frmCustomReports : public ListWindow {
    Q_OBJECT
public:
    explicit frmCustomReports(QWidget* parent = nullptr);

    static ListWindowSpec Spec();
};
