#pragma once

#include <QString>
#include <functional>

class QWidget;
class QMdiArea;

// What each menu command opens. Modal windows are created, shown modally over the
// parent and destroyed when they close; child windows are new instances inside the
// main window's area, several of the same kind at once.
// Each subsystem defines its own commands in its folder (open_windows.cpp); the main
// window calls them.
namespace zelk::windows {

// company
void openNewCompany(QWidget* parent);
void openCompany(QWidget* parent);
// accounts
void openLedgerAccounts(QMdiArea* area);
// journal
void openLedgerTrxs(QMdiArea* area);
// the transaction editor on a new transaction
void openNewTransaction(QWidget* parent);
// periods
void openPostTrxs(QWidget* parent);
void openRevertPostings(QWidget* parent);
void openEndMonth(QWidget* parent);
void openRevertEndMonth(QWidget* parent);
void openEndYear(QWidget* parent);
void openRevertEndYear(QWidget* parent);
// reports
void openRptTrxList(QWidget* parent);
void openRptTrialBalance(QWidget* parent);
void openRptIncomeStmt(QWidget* parent);
void openRptBalanceSheet(QWidget* parent);
// custom reports
void openCustomReports(QMdiArea* area);
// history
void openTrxHistory(QMdiArea* area);
void openGeneralHistoryCurrent(QMdiArea* area);
void openGeneralHistory(QMdiArea* area);
void openBalanceHistory(QMdiArea* area);
// exchange
void openImportAccounts(QWidget* parent);
void openImportTransactions(QWidget* parent);
// bank statements: the import (into the account given, else the first bank account) and
// the rules
void openImportBankStatement(QWidget* parent, const QString& account = QString());
void openBankRules(QWidget* parent);
// The account card of the account: with none, of the current account of the active
// account list, and with no such list the card asks for the account first.
void openAccountCard(QMdiArea* area, const QString& account = QString());
// help
void openAbout(QWidget* parent);
void openHelp(QWidget* parent);
// the books: passphrase, check, snapshots
void openChangePassphrase(QWidget* parent);
void openCheckBooks(QWidget* parent);
// closeWindows closes every open window before the books are replaced.
void openRestoreSnapshot(QWidget* parent, const std::function<bool()>& closeWindows);

// Shows a new child window inside the area; it is destroyed when closed.
void showChild(QMdiArea* area, QWidget* window);
// Shows a new modal window of the kind over the parent; it is destroyed when it closes.
template <class Window>
void showModal(QWidget* parent) {
    Window window(parent);
    window.exec();
}

} // namespace zelk::windows
