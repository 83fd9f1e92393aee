#pragma once

#include "core/history/HistoryBrowser.h"

#include <QWidget>
#include <array>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QTableView;

namespace zelk {
class ListSortFilter;
}
namespace zelk::history {
class GridModel;
}

// A history browser: it opens on the period at hand (OpeningChoice), "&Select Range"
// asks for another range in the window's selection dialog, which shows the range shown,
// and shows the rows read for it, with their totals; "&Close" closes the window. The
// rows are a snapshot taken when they are read: the browser does not follow later
// commits. The four browsers differ only in their design and their dialog.
class frmHistoryBrowser : public QWidget {
    Q_OBJECT
public:
    ~frmHistoryBrowser() override;

    const zelk::history::HistoryBrowser& browser() const { return m_browser; }
    QSize sizeHint() const override;

protected:
    frmHistoryBrowser(zelk::history::BrowserKind kind, QWidget* parent);
    // Shows the window's selection dialog on `choice` (the range shown) and puts the
    // choice made into it; false when it was not confirmed.
    virtual bool SelectRange(zelk::history::RangeChoice& choice) = 0;
    // Takes the period at hand as the range shown and shows its rows (the card's once
    // it has an account); an empty grid says nothing.
    void openAtHand();
    void LoadGrid(const zelk::history::RangeChoice& choice);
    void cmdOps_Click(int index);
    QGroupBox* commandFrame() const { return fraCommand; }

    zelk::history::RangeChoice m_choice; // the range shown

private:
    zelk::history::HistoryBrowser m_browser;
    zelk::history::GridModel* m_model;
    zelk::ListSortFilter* m_shown; // what the grid shows: sorted and filtered
    QGroupBox* fraCommand;
    std::array<QPushButton*, 2> cmdOps{};
    QPushButton* cmdExport = nullptr;
    QTableView* grdData;
    QLineEdit* txtFilter;
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

// Account Card: one account's lines of a range of dates with its running balance.
// Opened on an account it shows the open fiscal year at once; "&Select Range" chooses
// another account or range. The title names the account.
class frmAccountCard : public frmHistoryBrowser {
    Q_OBJECT
public:
    explicit frmAccountCard(const QString& account, QWidget* parent = nullptr);
    // "&Select Range" pressed.
    void chooseRange() { cmdOps_Click(0); }
    // "&Print": the card as a report in the report viewer.
    void cmdPrint_Click();

protected:
    bool SelectRange(zelk::history::RangeChoice& choice) override;

private:
    // The title names the chosen account; a bank account's card can import its statement.
    void nameAccount();

    QString m_accountText; // "1000 Cash"
    // "Import &Bank Statement…": the statement import with this account chosen.
    QPushButton* cmdImportStatement;
};
