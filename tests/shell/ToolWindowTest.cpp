#include "support/GuiHelpers.h"
#include "support/ScriptedUi.h"
#include "ui/shell/frmMain.h"
#include "ui/shell/frmToolWindow.h"
#include "ui/shell/modMain.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Opened {
    QString name;
    bool modal = false;
};

// What a command opens: the modal window it shows (hidden again at once), or the child
// window it adds to the main window.
Opened whatOpens(frmMain* main, const std::function<void()>& command) {
    Opened seen;
    const int before = int(main->mdiArea()->subWindowList().size());
    bool modalSeen = false;
    onNextModal(
        [&](QWidget* w) {
            seen = {w->objectName(), true};
            modalSeen = true;
            w->hide();
        },
        1500, false);
    command();
    pumpEvents(modalSeen ? 0 : 1600);
    const QList<QMdiSubWindow*> after = main->mdiArea()->subWindowList();
    if (!modalSeen && after.size() == before + 1) {
        seen = {after.last()->widget()->objectName(), false};
        after.last()->close();
        pumpEvents();
    }
    return seen;
}

} // namespace

// Every tool button opens what its menu item opens: the same window, modal or child.
TEST(ToolWindow, EveryButtonOpensWhatItsMenuItemOpens) {
    QTemporaryDir dir;
    zelk::setProgramFolder(dir.path());
    ScriptedUi ui;
    ASSERT_EQ(modMain::Main(), 0);
    frmMain* main = modMain::mainWindow();
    frmToolWindow* tools = modMain::toolWindow();
    const struct {
        const char* menuItem;
        const char* window;
        bool modal;
    } expected[15] = {
        {"mnuTrxs", "frmLedgerTrxs", false},
        {"mnuPostTrxs", "frmPostTrxs", true},
        {"mnuEndMonth", "frmEndMonth", true},
        {"mnuEndYear", "frmEndYear", true},
        {"mnuTransactionList", "frmRptTrxList", true},
        {"mnuTrialBalance", "frmRptTrialBalance", true},
        {"mnuIncomeStatement", "frmRptIncomeStmt", true},
        {"mnuBalanceSheet", "frmRptBalanceSheet", true},
        {"mnuLedgerAccount", "frmLedgerAccounts", false},
        {"mnuCompany", "frmCompany", true},
        {"mnuCustomReport", "frmCustomReports", false},
        {"mnuAbout", "frmAbout", true},
        {"mnuRevertPostings", "frmRevertPostings", true},
        {"mnuRevertEndMonth", "frmRevertEndMonth", true},
        {"mnuRevertEndYear", "frmRevertEndYear", true},
    };
    for (int i = 0; i < 15; ++i) {
        const Opened byButton =
            whatOpens(main, [&] { clickButton(tools, QString("cmdTool_%1").arg(i)); });
        const Opened byMenu =
            whatOpens(main, [&] { main->action(expected[i].menuItem)->trigger(); });
        EXPECT_EQ(byButton.name, expected[i].window) << "button " << i;
        EXPECT_EQ(byButton.modal, expected[i].modal) << "button " << i;
        EXPECT_EQ(byMenu.name, byButton.name) << expected[i].menuItem;
        EXPECT_EQ(byMenu.modal, byButton.modal) << expected[i].menuItem;
    }
    // Two clicks on "Accounts" open two account lists; Close on a list closes its frame.
    clickButton(tools, "cmdTool_8");
    clickButton(tools, "cmdTool_8");
    EXPECT_EQ(main->mdiArea()->subWindowList().size(), 2);
    clickButton(main->mdiArea()->subWindowList().last()->widget(), "cmdOps_3");
    pumpEvents();
    EXPECT_EQ(main->mdiArea()->subWindowList().size(), 1);
    main->close();
    pumpEvents();
    EXPECT_TRUE(ui.asked().empty());
}
