#pragma once

#include "history/HistoryBrowser.h"

#include <QWidget>
#include <array>

class QGroupBox;
class QPushButton;
class QTableView;

namespace zelk::history {
class GridModel;
}

// A history browser: "&Select Range" asks for the range in the window's selection
// dialog and shows the rows read for it, with their totals; "&Close" closes the window.
// The rows are a snapshot taken when they are read: the browser does not follow later
// commits. The four browsers differ only in their design and their dialog.
class frmHistoryBrowser : public QWidget {
    Q_OBJECT
public:
    ~frmHistoryBrowser() override;

    const zelk::history::HistoryBrowser& browser() const { return m_browser; }
    QSize sizeHint() const override;

protected:
    frmHistoryBrowser(zelk::history::BrowserKind kind, QWidget* parent);
    // Shows the window's selection dialog; false when it was not confirmed.
    virtual bool SelectRange(zelk::history::RangeChoice& choice) = 0;

private:
    void cmdOps_Click(int index);
    void LoadGrid(const zelk::history::RangeChoice& choice);

    zelk::history::HistoryBrowser m_browser;
    zelk::history::GridModel* m_model;
    QGroupBox* fraCommand;
    std::array<QPushButton*, 2> cmdOps{};
    QPushButton* cmdExport = nullptr;
    QTableView* grdData;
};

// Transaction History: the closed transaction lines of a range of dates.
class frmLedgerTrxHists : public frmHistoryBrowser {
    Q_OBJECT
public:
    explicit frmLedgerTrxHists(QWidget* parent = nullptr);

protected:
    bool SelectRange(zelk::history::RangeChoice& choice) override;
};

// Ledger History of the open year: the general ledger of one month's period.
class frmLedgerGeneralHistsCurrent : public frmHistoryBrowser {
    Q_OBJECT
public:
    explicit frmLedgerGeneralHistsCurrent(QWidget* parent = nullptr);

protected:
    bool SelectRange(zelk::history::RangeChoice& choice) override;
};

// Ledger History of a closed year: the general ledger of one month's period of the
// fiscal year named by the chosen year.
class frmLedgerGeneralHists : public frmHistoryBrowser {
    Q_OBJECT
public:
    explicit frmLedgerGeneralHists(QWidget* parent = nullptr);

protected:
    bool SelectRange(zelk::history::RangeChoice& choice) override;
};

// Balance History: every account's balances of a closed year.
class frmLedgerBalanceHists : public frmHistoryBrowser {
    Q_OBJECT
public:
    explicit frmLedgerBalanceHists(QWidget* parent = nullptr);

protected:
    bool SelectRange(zelk::history::RangeChoice& choice) override;
};
