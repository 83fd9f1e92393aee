#include "LedgerFixtures.h"
#include "accounts/frmLedgerAccount.h"
#include "accounts/frmLedgerAccounts.h"
#include "data/Connection.h"
#include "data/modDBUtil.h"
#include "support/GuiHelpers.h"
#include "widgets/Twips.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace zelk;

namespace {

QStringList column(ListWindow& w, int c) {
    QStringList out;
    for (int r = 0; r < w.model()->rowCount(); ++r)
        out << w.model()->cellText(r, c);
    return out;
}

void type(QWidget* w, const char* name, const QString& text) {
    auto* edit = child<QLineEdit>(w, name);
    edit->clear();
    QTest::keyClicks(edit, text);
}

void chooseClass(QWidget* w, const QString& name) {
    auto* combo = child<QComboBox>(w, "cmbAccountClass");
    const int i = combo->findText(name);
    ASSERT_GE(i, 0);
    combo->setCurrentIndex(i);
}

// Double-clicks the grid cell at (row, column) as a user would.
void doubleClickCell(QTableView* grid, int row, int column) {
    const QRect r = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, r.center());
}

class AccountListWindow : public ::testing::Test {
protected:
    TestDatabase db;
    ScriptedUi ui;
    void SetUp() override { fixtures::setCompanyYear(db, 2004); }
};

} // namespace

TEST_F(AccountListWindow, ShowsAccountsByClassThenNumberUnderItsCaptions) {
    fixtures::addAccount(db, "5000", "Rent", 6, 2004);
    fixtures::addAccount(db, "1100", "Bank", 1, 2004);
    fixtures::addAccount(db, "2000", "Loans", 2, 2004);
    fixtures::addAccount(db, "1000", "Cash", 1, 2004);
    frmLedgerAccounts w;
    w.show();
    EXPECT_EQ(w.windowTitle(), "Accounts");
    EXPECT_EQ(w.objectName(), "frmLedgerAccounts");
    EXPECT_EQ(column(w, 0), (QStringList{"1000", "1100", "2000", "5000"}));
    EXPECT_EQ(column(w, 1), (QStringList{"Cash", "Bank", "Loans", "Rent"}));
    EXPECT_EQ(column(w, 2), (QStringList{"Assets", "Assets", "Liabilities", "Expenses"}));
    const char* captions[] = {"&Add", "&Edit", "&Delete", "&Close"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(child<QPushButton>(&w, QString("cmdOps_%1").arg(i))->text(), captions[i]);
    auto* grid = child<QTableView>(&w, "grdData");
    EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), "No");
    EXPECT_EQ(grid->model()->headerData(2, Qt::Horizontal).toString(), "Class");
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(w.currentKey(), "1000");
}

TEST_F(AccountListWindow, WithNoAccountsEditAndDeleteDoNothing) {
    frmLedgerAccounts w;
    w.show();
    clickButton(&w, "cmdOps_1");
    clickButton(&w, "cmdOps_2");
    pumpEvents(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(ui.asked().empty()); // an unexpected question fails the test
}

TEST_F(AccountListWindow, AddThroughTheEditorShowsTheNewAccount) {
    fixtures::addAccount(db, "1000", "Cash", 1, 2004);
    frmLedgerAccounts w;
    w.show();
    bool success = false;
    onNextModal([&](QWidget* m) {
        auto* editor = qobject_cast<frmLedgerAccount*>(m);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->windowTitle(), "Account");
        EXPECT_EQ(child<QLineEdit>(m, "txtBegBal")->text(), "0");
        EXPECT_EQ(child<QComboBox>(m, "cmbAccountClass")->currentIndex(), -1);
        EXPECT_TRUE(child<QLineEdit>(m, "txtAccountNo")->isEnabled());
        type(m, "txtAccountNo", "4000");
        type(m, "txtAccountName", "Sales");
        chooseClass(m, "Revenues");
        type(m, "txtBegBal", "-1,500.25");
        QTest::keyClick(child<QLineEdit>(m, "txtBegBal"), Qt::Key_Return); // Enter saves
        success = editor->Success();
    });
    clickButton(&w, "cmdOps_0");
    EXPECT_TRUE(success);
    EXPECT_EQ(column(w, 0), (QStringList{"1000", "4000"}));
    EXPECT_EQ(column(w, 2), (QStringList{"Assets", "Revenues"}));
    EXPECT_EQ(db.scalar("SELECT FKID_AccountClass FROM Ledger_Accounts WHERE AccountNo='4000'"), 5);
    EXPECT_EQ(db.scalar("SELECT BeginningBalance FROM Ledger_AccountBalances WHERE "
                        "FKID_Account='4000' AND PeriodYear=2004"),
              -15002500);
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_General WHERE FKID_Account='4000'"), 12);
}

TEST_F(AccountListWindow, EditorKeepsTheInputAfterFixAndReportsOnlyTheFirstFailure) {
    const QByteArray before = db.fileBytes();
    ui.answerDialog(Fix).answerDialog(Fix).answerYes(false).answerYes(true);
    frmLedgerAccount editor;
    bool open = false, openAfterNo = false;
    QString notes;
    onNextModal([&](QWidget* m) {
        clickButton(m, "cmdSave"); // every field empty
        type(m, "txtAccountNo", "1000");
        type(m, "txtAccountName", "Cash");
        type(m, "txtNotes", "till");
        chooseClass(m, "Assets");
        type(m, "txtBegBal", "ten");
        clickButton(m, "cmdSave");
        open = m->isVisible();
        notes = child<QLineEdit>(m, "txtNotes")->text();
        QTest::keyClick(m, Qt::Key_Escape); // typed input is not thrown away unasked
        openAfterNo = m->isVisible();
        clickButton(m, "cmdCancel");
    });
    editor.Add();
    EXPECT_TRUE(open);
    EXPECT_TRUE(openAfterNo);
    ASSERT_EQ(ui.asked().size(), 4u);
    EXPECT_EQ(ui.asked()[3].text, "Discard the changes to this account?");
    EXPECT_EQ(ui.asked()[3].title, "Account");
    EXPECT_EQ(notes, "till");
    EXPECT_FALSE(editor.Success());
    ASSERT_EQ(ui.dialogs().size(), 2u);
    EXPECT_EQ(ui.dialogs()[0].text,
              "Error: 1\r\nSource: Ledger Account\r\nDesc: Account no. is missing.");
    EXPECT_EQ(ui.dialogs()[1].text,
              "Error: 1\r\nSource: Ledger Account\r\nDesc: Beginning balance is invalid.");
    EXPECT_EQ(db.fileBytes(), before);
}

TEST_F(AccountListWindow, DoubleClickOnARowEditsItAndTheNumberStaysFixed) {
    fixtures::addAccount(db, "1000", "Cash", 1, 2004);
    fixtures::addAccount(db, "1100", "Bank", 1, 2004);
    db.exec("UPDATE Ledger_Accounts SET Notes='old' WHERE AccountNo='1100'");
    db.exec("UPDATE Ledger_AccountBalances SET BeginningBalance=250.5 WHERE FKID_Account='1100'");
    frmLedgerAccounts w;
    w.show();
    auto* grid = child<QTableView>(&w, "grdData");
    QString shownBalance, shownNotes, shownClass;
    bool numberEnabled = true;
    onNextModal([&](QWidget* m) {
        EXPECT_EQ(child<QLineEdit>(m, "txtAccountNo")->text(), "1100");
        numberEnabled = child<QLineEdit>(m, "txtAccountNo")->isEnabled();
        shownBalance = child<QLineEdit>(m, "txtBegBal")->text();
        shownNotes = child<QLineEdit>(m, "txtNotes")->text();
        shownClass = child<QComboBox>(m, "cmbAccountClass")->currentText();
        type(m, "txtAccountName", "Bank current account");
        chooseClass(m, "Liabilities");
        type(m, "txtBegBal", "-75");
        clickButton(m, "cmdSave");
    });
    doubleClickCell(grid, 1, 1);
    EXPECT_FALSE(numberEnabled);
    EXPECT_EQ(shownBalance, "250.5");
    EXPECT_EQ(shownNotes, "old");
    EXPECT_EQ(shownClass, "Assets");
    EXPECT_EQ(column(w, 1), (QStringList{"Cash", "Bank current account"}));
    EXPECT_EQ(column(w, 2), (QStringList{"Assets", "Liabilities"}));
    EXPECT_EQ(db.scalar("SELECT BeginningBalance FROM Ledger_AccountBalances WHERE "
                        "FKID_Account='1100'"),
              -750000);
    // A double click on the header row opens nothing.
    QHeaderView* header = grid->horizontalHeader();
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {},
                       QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    pumpEvents(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(AccountListWindow, EditOfAnAccountDeletedMeanwhileSaysSoAndOpensNothing) {
    frmLedgerAccount editor;
    editor.Edit("7777");
    EXPECT_FALSE(editor.isVisible());
    EXPECT_FALSE(editor.Success());
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_EQ(ui.messageBoxes()[0], "Account no. 7777 not found.");
    EXPECT_EQ(ui.asked()[0].title, "Account");
}

TEST_F(AccountListWindow, AnAccountOfAnUnknownClassOpensWithNoClassAndCannotBeSavedSo) {
    db.exec("INSERT INTO Ledger_Accounts (AccountNo, AccountName, FKID_AccountClass) VALUES "
            "('9', 'Odd', 42)");
    ui.answerDialog(Fix);
    frmLedgerAccount editor;
    int shownIndex = 0;
    onNextModal([&](QWidget* m) {
        shownIndex = child<QComboBox>(m, "cmbAccountClass")->currentIndex();
        clickButton(m, "cmdSave");
        chooseClass(m, "Equities");
        clickButton(m, "cmdSave");
    });
    editor.Edit("9");
    EXPECT_EQ(shownIndex, -1);
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_TRUE(ui.dialogs()[0].text.endsWith("Account class is missing."));
    EXPECT_TRUE(editor.Success());
    EXPECT_EQ(db.scalar("SELECT FKID_AccountClass FROM Ledger_Accounts WHERE AccountNo='9'"), 3);
    // Its missing rows of the open year were made.
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_AccountBalances WHERE FKID_Account='9'"), 1);
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_General WHERE FKID_Account='9'"), 12);
}

TEST_F(AccountListWindow, DeleteAsksAndNoLeavesTheAccountYesRemovesIt) {
    fixtures::addAccount(db, "1000", "Cash", 1, 2004);
    fixtures::addAccount(db, "1100", "Bank", 1, 2004);
    fixtures::addAccount(db, "1200", "Petty cash", 1, 2004);
    frmLedgerAccounts w;
    w.show();
    w.setCurrentRow(1);
    const QByteArray before = db.fileBytes();
    ui.answerYes(false);
    clickButton(&w, "cmdOps_2");
    EXPECT_EQ(db.fileBytes(), before);
    EXPECT_EQ(ui.asked().back().text, "Delete account no 1100?");
    EXPECT_EQ(ui.asked().back().title, "Accounts");
    ui.answerYes(true);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    pressKeys(&w, "<Alt+D>");
    EXPECT_EQ(column(w, 0), (QStringList{"1000", "1200"}));
    EXPECT_EQ(w.currentKey(), "1200"); // the next row is selected
    EXPECT_TRUE(child<QTableView>(&w, "grdData")->hasFocus()) << "the arrow keys walk the rows";
    EXPECT_EQ(child<QTableView>(&w, "grdData")->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_General WHERE FKID_Account='1100'"), 0);
}

TEST_F(AccountListWindow, ADeleteRefusedByAReferenceLeavesTheDatabaseAndTheList) {
    fixtures::addAccount(db, "1000", "Cash", 1, 2004);
    fixtures::addAccount(db, "4000", "Sales", 5, 2004);
    fixtures::addTransaction(db, "T1", false, {{"1000", 10000}, {"4000", -10000}});
    frmLedgerAccounts w;
    w.show();
    w.setCurrentRow(0);
    const QByteArray before = db.fileBytes();
    ui.answerYes(true).answerDialog(Abort);
    clickButton(&w, "cmdOps_2");
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_TRUE(ui.dialogs()[0].text.endsWith(
        "Desc: Account 1000 is still used by transactions or ledger history and cannot be "
        "deleted."));
    EXPECT_EQ(db.fileBytes(), before);
    EXPECT_EQ(column(w, 0), (QStringList{"1000", "4000"}));
    EXPECT_FALSE(db.cnn().inTransaction());
}

TEST_F(AccountListWindow, EveryRefreshKeepsCaptionsAndColumnWidths) {
    fixtures::addAccount(db, "1000", "Cash", 1, 2004);
    frmLedgerAccounts w;
    w.show();
    auto* grid = child<QTableView>(&w, "grdData");
    const std::vector<ListColumn> designed = frmLedgerAccounts::Spec().columns;
    // The designed widths, or wider where a caption needs it to show whole.
    const QFontMetrics header(grid->horizontalHeader()->font());
    std::vector<int> widths;
    for (int c = 0; c < 3; ++c) {
        widths.push_back(grid->columnWidth(c));
        EXPECT_GE(widths.back(), twips(designed[size_t(c)].widthTwips)) << c;
        EXPECT_GT(widths.back(),
                  header.horizontalAdvance(grid->model()->headerData(c, Qt::Horizontal).toString()))
            << c;
    }
    grid->setColumnWidth(1, 333); // the user widens the name column
    ScriptedUi quiet;
    accounts::AccountFields f;
    f.AccountNo = "2000";
    f.AccountName = "Loans";
    f.AccountClassID = 2;
    ASSERT_EQ(accounts::SaveAccount(db.cnn(), f, accounts::EditorMode::Add),
              CommandOutcome::Committed);
    EXPECT_EQ(column(w, 0), (QStringList{"1000", "2000"}));
    EXPECT_EQ(grid->columnWidth(0), widths[0]);
    EXPECT_EQ(grid->columnWidth(1), 333);
    EXPECT_EQ(grid->columnWidth(2), widths[2]);
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), "Name");
    EXPECT_EQ(w.currentKey(), "1000"); // the current record stays current
}

TEST_F(AccountListWindow, CloseClosesTheWindow) {
    auto* w = new frmLedgerAccounts;
    w->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QWidget> alive(w);
    w->show();
    clickButton(w, "cmdOps_3");
    pumpEvents();
    EXPECT_TRUE(alive.isNull());
}

// Another list described the same way: five buttons of its own width, one of them a
// command of that window, no busy pointer; nothing in ListWindow changes for it.
TEST(ListWindowPattern, AnotherDescriptionGetsItsOwnButtonsAndCommands) {
    TestDatabase db;
    ScriptedUi ui;
    db.exec("INSERT INTO Ledger_CustomReports (Name, Title, FKID_CustReportType) VALUES "
            "('Summary', 'Monthly summary', 2)");
    QStringList printed;
    QStringList edited;
    ListWindowSpec spec;
    spec.objectName = "frmSomeReports";
    spec.caption = "Some Reports";
    spec.statement = "SELECT Ledger_CustomReports.Name, Ledger_CustomReports.Title, "
                     "SYS_CustReportTypes.Description FROM SYS_CustReportTypes, "
                     "Ledger_CustomReports WHERE SYS_CustReportTypes.ReportTypeID = "
                     "Ledger_CustomReports.FKID_CustReportType ";
    spec.columns = {{"Name", 2496, "ReportName", "Name"},
                    {"Title", 2496, "", "Title"},
                    {"Type", 1500, "", "Description"}};
    spec.buttonWidthTwips = 1308;
    spec.busyPointer = false;
    spec.buttons = {
        {"&Add", 48, ListButton::Add, {}},
        {"&Edit", 1368, ListButton::Edit, {}},
        {"&Delete", 2688, ListButton::Delete, {}},
        {"&Print", 4008, ListButton::Custom, [&](ListWindow& w) { printed << w.currentKey(); }},
        {"&Close", 5328, ListButton::Close, {}}};
    spec.edit = [&](QWidget*, const QString& key) { edited << key; };
    spec.deletion.question = [](const QString& name) { return "Delete report " + name + "?"; };
    spec.deletion.statements = [](const QString& name) {
        return QStringList{modDBUtil::DeleteCustomReport(name)};
    };
    ListWindow w(spec);
    w.show();
    EXPECT_EQ(w.objectName(), "frmSomeReports");
    EXPECT_EQ(child<QPushButton>(&w, "cmdOps_3")->text(), "&Print");
    EXPECT_EQ(child<QPushButton>(&w, "cmdOps_4")->text(), "&Close");
    EXPECT_EQ(child<QPushButton>(&w, "cmdOps_3")->width(), twips(1308));
    EXPECT_EQ(column(w, 2), QStringList{"Movements"});
    clickButton(&w, "cmdOps_3");
    clickButton(&w, "cmdOps_1");
    EXPECT_EQ(printed, QStringList{"Summary"});
    EXPECT_EQ(edited, QStringList{"Summary"});
    ui.answerYes(true);
    clickButton(&w, "cmdOps_2");
    EXPECT_EQ(ui.asked().at(0).text, "Delete report Summary?");
    EXPECT_EQ(ui.asked().at(0).title, "Some Reports");
    EXPECT_EQ(db.count("Ledger_CustomReports"), 0);
    EXPECT_EQ(w.model()->rowCount(), 0);
    // The command runs with no data row as well; Edit does not.
    clickButton(&w, "cmdOps_3");
    clickButton(&w, "cmdOps_1");
    EXPECT_EQ(printed, (QStringList{"Summary", ""}));
    EXPECT_EQ(edited.size(), 1);
}
