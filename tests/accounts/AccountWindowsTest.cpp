#include "LedgerFixtures.h"
#include "support/GuiHelpers.h"
#include "ui/accounts/frmLedgerAccount.h"
#include "ui/accounts/frmLedgerAccounts.h"
#include "ui/widgets/Twips.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace zelk;

namespace {

// The texts of a column as the grid shows them, top to bottom.
QStringList column(ListWindow& w, int c) {
    return columnTexts(w.grid(), c);
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

class AccountListWindow : public ::testing::Test {
protected:
    TestDatabase db;
    ScriptedUi ui;
    void SetUp() override { fixtures::setCompanyYear(db, 2004); }
};

} // namespace

TEST_F(AccountListWindow, WithNoAccountsEditAndDeleteDoNothingAndCloseCloses) {
    auto* w = new frmLedgerAccounts;
    w->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QWidget> alive(w);
    w->show();
    clickButton(w, "cmdOps_1");
    clickButton(w, "cmdOps_2");
    pumpEvents(50); // an unexpected question or window fails the test
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    clickButton(w, "cmdOps_3");
    pumpEvents();
    EXPECT_TRUE(alive.isNull());
}

TEST_F(AccountListWindow, ShowsAccountsByClassThenNumberAndAddsThroughTheEditor) {
    fixtures::addAccount(db, "5000", "Rent", 6, 2004);
    fixtures::addAccount(db, "1100", "Bank", 1, 2004);
    fixtures::addAccount(db, "2000", "Loans", 2, 2004);
    fixtures::addAccount(db, "1000", "Cash", 1, 2004);
    frmLedgerAccounts w;
    w.show();
    EXPECT_EQ(column(w, 0), (QStringList{"1000", "1100", "2000", "5000"}));
    EXPECT_EQ(column(w, 1), (QStringList{"Cash", "Bank", "Loans", "Rent"}));
    EXPECT_EQ(w.grid()->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(w.currentKey(), "1000");
    bool success = false;
    onNextModal([&](QWidget* m) {
        auto* editor = qobject_cast<frmLedgerAccount*>(m);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->windowTitle(), "Account");
        // Save and Cancel sit below the fields.
        EXPECT_GT(child<QPushButton>(m, "cmdSave")->mapTo(m, QPoint(0, 0)).y(),
                  child<QWidget>(m, "fraAccount")->geometry().bottom());
        EXPECT_EQ(child<QLineEdit>(m, "txtBegBal")->text(), "0.00");
        EXPECT_EQ(child<QComboBox>(m, "cmbAccountClass")->currentIndex(), -1);
        EXPECT_TRUE(child<QLineEdit>(m, "txtAccountNo")->isEnabled());
        // Save and New (Alt+N) saves and goes on, empty, for the next account.
        m->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m));
        type(m, "txtAccountNo", "4100");
        type(m, "txtAccountName", "Fees");
        chooseClass(m, "Revenues");
        pressKeys(m, "<Alt+N>");
        EXPECT_TRUE(m->isVisible());
        EXPECT_EQ(editor->fields(), accounts::AccountFields{});
        EXPECT_EQ(m->focusWidget(), child<QLineEdit>(m, "txtAccountNo"));
        type(m, "txtAccountNo", "4000");
        type(m, "txtAccountName", "Sales");
        chooseClass(m, "Revenues");
        type(m, "txtBegBal", "-1,500.25");
        QTest::keyClick(child<QLineEdit>(m, "txtBegBal"), Qt::Key_Return); // Enter saves
        success = editor->Success();
    });
    clickButton(&w, "cmdOps_0");
    EXPECT_TRUE(success);
    EXPECT_EQ(column(w, 0), (QStringList{"1000", "1100", "2000", "4000", "4100", "5000"}));
    EXPECT_EQ(column(w, 2),
              (QStringList{"Assets", "Assets", "Liabilities", "Revenues", "Revenues", "Expenses"}));
    EXPECT_EQ(w.currentKey(), "4000");
    EXPECT_EQ(db.scalar("SELECT BeginningBalance FROM Ledger_AccountBalances WHERE "
                        "FKID_Account='4000' AND PeriodYear=2004"),
              -15002500);
}

TEST_F(AccountListWindow, EditorKeepsTheInputAfterFixAndAsksBeforeDiscardingIt) {
    const QByteArray before = db.fileBytes();
    ui.answerDialog(Fix).answerYes(false).answerYes(true);
    frmLedgerAccount editor;
    bool open = false, openAfterNo = false;
    QString notes;
    onNextModal([&](QWidget* m) {
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
    EXPECT_EQ(notes, "till");
    ASSERT_EQ(ui.asked().size(), 3u);
    EXPECT_TRUE(ui.asked()[0].text.endsWith("Beginning balance is invalid."));
    EXPECT_EQ(ui.asked()[2].text, "Discard the changes to this account?");
    EXPECT_EQ(ui.asked()[2].title, "Account");
    EXPECT_FALSE(editor.Success());
    EXPECT_EQ(db.fileBytes(), before);
}

TEST_F(AccountListWindow, DoubleClickOnARowEditsItAndTheNumberStaysFixed) {
    fixtures::addAccount(db, "1000", "Cash", 1, 2004);
    fixtures::addAccount(db, "1100", "Bank", 1, 2004);
    db.exec("UPDATE Ledger_Accounts SET Notes='old' WHERE AccountNo='1100'");
    db.exec("UPDATE Ledger_AccountBalances SET BeginningBalance=250.5 WHERE FKID_Account='1100'");
    frmLedgerAccounts w;
    w.show();
    QStringList shown;
    onNextModal([&](QWidget* m) {
        shown << (child<QLineEdit>(m, "txtAccountNo")->isEnabled() ? "open" : "fixed");
        for (const char* name : {"txtAccountNo", "txtBegBal", "txtNotes"})
            shown << child<QLineEdit>(m, name)->text();
        shown << child<QComboBox>(m, "cmbAccountClass")->currentText();
        type(m, "txtAccountName", "Bank current account");
        chooseClass(m, "Liabilities");
        type(m, "txtBegBal", "-75");
        clickButton(m, "cmdSaveNew"); // saved; a new account's number can be typed
        shown << (child<QLineEdit>(m, "txtAccountNo")->isEnabled() ? "open" : "fixed");
        clickButton(m, "cmdCancel");
    });
    QTableView* grid = w.grid();
    const QPoint cell = grid->visualRect(grid->model()->index(1, 1)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
    EXPECT_EQ(shown, (QStringList{"fixed", "1100", "250.50", "old", "Assets", "open"}));
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

TEST_F(AccountListWindow, EditOfAMissingAccountSaysSoOneOfAnUnknownClassShowsNone) {
    frmLedgerAccount editor;
    editor.Edit("7777"); // deleted meanwhile: nothing opens
    EXPECT_FALSE(editor.Success());
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Account no. 7777 not found."});
    EXPECT_EQ(ui.asked()[0].title, "Account");
    db.exec("INSERT INTO Ledger_Accounts (AccountNo, AccountName, FKID_AccountClass) VALUES "
            "('9', 'Odd', 42)");
    ui.answerDialog(Fix);
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
    ui.answerYes(true);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    pressKeys(&w, "<Alt+D>");
    EXPECT_EQ(column(w, 0), (QStringList{"1000", "1200"}));
    EXPECT_EQ(w.currentKey(), "1200"); // the next row is selected
    EXPECT_TRUE(w.grid()->hasFocus()) << "the arrow keys walk the rows";
    EXPECT_EQ(w.grid()->selectionModel()->selectedRows().size(), 1);
}

TEST_F(AccountListWindow, EveryRefreshKeepsTheSortTheWidthsAndTheCurrentRecord) {
    fixtures::addAccount(db, "1000", "Cash", 1, 2004);
    // More accounts than the list reads at once: a refresh sorts them all again.
    db.exec("INSERT INTO Ledger_Accounts (AccountNo, AccountName, FKID_AccountClass) SELECT "
            "printf('A%04d', n), printf('N%04d', n), 6 FROM (SELECT (a.ID - 1) * 144 + "
            "(b.ID - 1) * 12 + c.ID AS n FROM SYS_Twelve a, SYS_Twelve b, SYS_Twelve c "
            "WHERE a.ID <= 3)");
    frmLedgerAccounts w;
    w.show();
    QTableView* grid = w.grid();
    const int numberWidth = grid->columnWidth(0);
    EXPECT_GE(numberWidth, twips(frmLedgerAccounts::Spec().columns[0].widthTwips)); // as designed
    grid->setColumnWidth(1, 333);               // the user widens the name column
    grid->sortByColumn(1, Qt::DescendingOrder); // and sorts by name, Z to A
    // A commit anywhere refreshes the list.
    ASSERT_EQ(accounts::SaveAccount(db.cnn(), {"2000", "Loans", "", 2}, accounts::EditorMode::Add),
              CommandOutcome::Committed);
    const QStringList names = column(w, 1);
    ASSERT_EQ(names.size(), 434);
    EXPECT_EQ(names.front(), "N0432"); // not only the rows read at first
    EXPECT_EQ(names.mid(432), (QStringList{"Loans", "Cash"}));
    EXPECT_EQ(w.currentKey(), "1000"); // the current record stays current
    EXPECT_EQ(grid->columnWidth(0), numberWidth);
    EXPECT_EQ(grid->columnWidth(1), 333);
}
