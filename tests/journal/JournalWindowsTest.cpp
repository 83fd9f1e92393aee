#include "accounts/LedgerFixtures.h"
#include "accounts/frmLedgerAccounts.h"
#include "app/frmMain.h"
#include "app/frmToolWindow.h"
#include "app/modMain.h"
#include "company/CompanySetup.h"
#include "data/Connection.h"
#include "journal/frmLedgerTrx.h"
#include "journal/frmLedgerTrxs.h"
#include "support/GuiHelpers.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::journal;

namespace {

QTableWidget* grid(QWidget* editor) {
    return child<QTableWidget>(editor, "grdDetail");
}

QString cell(QWidget* editor, int row, int column) {
    QTableWidgetItem* item = grid(editor)->item(row, column);
    return item ? item->text() : QString();
}

// Types into a cell through the grid's own editor and ends the edit with Enter.
void typeInCell(QWidget* editor, int row, int column, const QString& text) {
    QTableWidget* g = grid(editor);
    g->setCurrentCell(row, column);
    g->editItem(g->item(row, column));
    auto* line = g->findChild<QLineEdit*>();
    ASSERT_NE(line, nullptr) << "no cell editor";
    line->selectAll();
    QTest::keyClicks(line, text);
    QTest::keyClick(line, Qt::Key_Return);
    pumpEvents();
}

// Chooses a name from the account-name drop-down of a row.
void chooseName(QWidget* editor, int row, const QString& name) {
    QTableWidget* g = grid(editor);
    g->setCurrentCell(row, ColAccountName);
    g->editItem(g->item(row, ColAccountName));
    auto* combo = g->findChild<QComboBox*>("cmbAccountName");
    ASSERT_NE(combo, nullptr) << "no drop-down";
    const int i = combo->findText(name);
    ASSERT_GE(i, 0) << name.toStdString();
    combo->setCurrentIndex(i);
    emit combo->activated(i);
    pumpEvents();
}

// What a user's edit of a cell does, without the cell editor.
void setCell(QWidget* editor, int row, int column, const QString& text) {
    grid(editor)->item(row, column)->setText(text);
}

void typeNumber(QWidget* editor, const QString& no) {
    auto* t = child<QLineEdit>(editor, "txtTransactionNo");
    t->clear();
    QTest::keyClicks(t, no);
}

QStringList column(ListWindow& w, int c) {
    QStringList out;
    for (int r = 0; r < w.model()->rowCount(); ++r)
        out << w.model()->cellText(r, c);
    return out;
}

struct Line {
    QString account;
    qint64 seq;
    qint64 raw;
    bool operator==(const Line&) const = default;
};

std::vector<Line> stored(TestDatabase& db, const QString& no) {
    std::vector<Line> out;
    RowSet rs = db.query(QString("SELECT FKID_Account, Seq, Amount FROM Ledger_TransactionDetails "
                                 "WHERE FKID_Transaction='%1' ORDER BY Seq")
                             .arg(no));
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        out.push_back({rs.text("FKID_Account"), rs.integer("Seq"), rs.integer("Amount")});
    return out;
}

class JournalWindows : public ::testing::Test {
protected:
    TestDatabase db;
    ScriptedUi ui;
    void SetUp() override {
        fixtures::setCompanyYear(db, 2004);
        fixtures::addAccount(db, "1000", "Cash", 1, 2004);
        fixtures::addAccount(db, "4000", "Sales", 5, 2004);
        fixtures::addAccount(db, "5000", "Rent", 6, 2004);
    }
};

} // namespace

TEST_F(JournalWindows, TheEditorOpensEmptyWithTodayAndFortyNineRows) {
    frmLedgerTrx editor;
    onNextModal([&](QWidget* m) {
        EXPECT_EQ(m->windowTitle(), "Transactions");
        EXPECT_TRUE(child<QLineEdit>(m, "txtTransactionNo")->text().isEmpty());
        EXPECT_TRUE(child<QLineEdit>(m, "txtTransactionNo")->isEnabled());
        EXPECT_EQ(child<QDateEdit>(m, "dtpStamp")->date(), QDate::currentDate());
        EXPECT_TRUE(child<QLabel>(m, "lblPosted")->text().isEmpty());
        QTableWidget* g = grid(m);
        EXPECT_EQ(g->rowCount(), 49);
        ASSERT_EQ(g->columnCount(), 4);
        const char* captions[] = {"Account No", "Account Name", "Debit", "Credit"};
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(g->horizontalHeaderItem(c)->text(), captions[c]);
        const QStringList names = {"Cash", "Sales", "Rent"};
        g->editItem(g->item(0, ColAccountName));
        auto* combo = g->findChild<QComboBox*>("cmbAccountName");
        ASSERT_NE(combo, nullptr);
        QStringList listed;
        for (int i = 0; i < combo->count(); ++i)
            listed << combo->itemText(i);
        EXPECT_EQ(listed.size(), 3);
        for (const QString& n : names)
            EXPECT_TRUE(listed.contains(n)) << n.toStdString();
        clickButton(m, "cmdCancel");
    });
    editor.Add();
    EXPECT_FALSE(editor.Success());
    EXPECT_EQ(db.count("Ledger_Transactions"), 0);
}

TEST_F(JournalWindows, AfterEditRulesFillNamesNumbersAndTheOtherSide) {
    frmLedgerTrx editor;
    onNextModal([&](QWidget* m) {
        typeInCell(m, 0, ColAccountNo, "1000");
        EXPECT_EQ(cell(m, 0, ColAccountName), "Cash");
        typeInCell(m, 1, ColAccountNo, "1'9");
        EXPECT_EQ(cell(m, 1, ColAccountName), "Invalid Account");
        chooseName(m, 2, "Rent");
        EXPECT_EQ(cell(m, 2, ColAccountNo), "5000");
        EXPECT_EQ(cell(m, 2, ColAccountName), "Rent");
        typeInCell(m, 0, ColCredit, "40");
        typeInCell(m, 0, ColDebit, "100");
        EXPECT_EQ(cell(m, 0, ColCredit), "0");
        typeInCell(m, 2, ColDebit, "30");
        typeInCell(m, 2, ColCredit, "250");
        EXPECT_EQ(cell(m, 2, ColDebit), "0");
        // A name typed over by a number follows the number again.
        setCell(m, 2, ColAccountNo, "4000");
        EXPECT_EQ(cell(m, 2, ColAccountName), "Sales");
        clickButton(m, "cmdCancel");
    });
    editor.Add();
    EXPECT_EQ(db.count("Ledger_Transactions"), 0);
    EXPECT_TRUE(ui.asked().empty());
}

TEST_F(JournalWindows, InvalidRowsAreCountedFixKeepsThemIgnoreSavesTheRest) {
    frmLedgerTrxs list;
    list.show();
    bool stayedAfterFix = false;
    bool success = false;
    ui.answerDialog(Fix).answerDialog(Ignore);
    onNextModal([&](QWidget* m) {
        typeNumber(m, "T1");
        setCell(m, 0, ColAccountNo, "1000");
        setCell(m, 0, ColDebit, "120");
        setCell(m, 1, ColAccountNo, "99"); // Invalid Account
        setCell(m, 1, ColDebit, "5");
        // rows 2 and 3 stay empty
        setCell(m, 4, ColAccountNo, "4000");
        setCell(m, 4, ColCredit, "100");
        setCell(m, 5, ColAccountNo, "5000"); // no amount
        setCell(m, 7, ColAccountNo, "5000");
        setCell(m, 7, ColCredit, "20");
        clickButton(m, "cmdSave");
        stayedAfterFix = m->isVisible() && cell(m, 1, ColAccountNo) == "99";
        clickButton(m, "cmdSave");
        success = qobject_cast<frmLedgerTrx*>(m)->Success();
    });
    clickButton(&list, "cmdOps_0");
    EXPECT_TRUE(stayedAfterFix);
    EXPECT_TRUE(success);
    ASSERT_EQ(ui.dialogs().size(), 2u);
    for (const auto& d : ui.dialogs())
        EXPECT_EQ(d.text, "Error: 2\r\nSource: Ledger Transaction\r\nDesc: Invalid: 2 row(s). "
                          "Yes: fix input, No:Cancel, ");
    // Saved in grid order, numbered without gaps, credits negative, unbalanced as entered.
    const std::vector<Line> expected = {
        {"1000", 1, 1200000}, {"4000", 2, -1000000}, {"5000", 3, -200000}};
    EXPECT_EQ(stored(db, "T1"), expected);
    EXPECT_EQ(column(list, 1), QStringList{"T1"}); // the list shows it at once
    EXPECT_EQ(column(list, 3), QStringList{"No"});
}

TEST_F(JournalWindows, AMissingNumberIsReportedAndAbortClosesWithoutSaving) {
    ui.answerDialog(Abort);
    frmLedgerTrx editor;
    bool open = true;
    onNextModal([&](QWidget* m) {
        setCell(m, 0, ColAccountNo, "1000");
        setCell(m, 0, ColDebit, "1");
        clickButton(m, "cmdSave");
        open = m->isVisible();
    });
    editor.Add();
    EXPECT_FALSE(open);
    EXPECT_FALSE(editor.Success());
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_TRUE(ui.dialogs()[0].text.endsWith("Desc: Transaction no. is missing."));
    EXPECT_EQ(db.count("Ledger_Transactions"), 0);
}

TEST_F(JournalWindows, ACreditIsStoredNegativeAndShownBackInTheCreditColumn) {
    frmLedgerTrxs list;
    list.show();
    onNextModal([&](QWidget* m) {
        typeNumber(m, "T7");
        child<QLineEdit>(m, "txtSource")->setText("Receipt 3");
        child<QDateEdit>(m, "dtpStamp")->setDate(QDate(2004, 2, 29));
        typeInCell(m, 0, ColAccountNo, "1000");
        typeInCell(m, 0, ColDebit, "250");
        typeInCell(m, 1, ColAccountNo, "4000");
        typeInCell(m, 1, ColCredit, "250");
        clickButton(m, "cmdSave");
    });
    clickButton(&list, "cmdOps_0");
    const std::vector<Line> expected = {{"1000", 1, 2500000}, {"4000", 2, -2500000}};
    EXPECT_EQ(stored(db, "T7"), expected);
    EXPECT_EQ(db.query("SELECT DateStamp FROM Ledger_Transactions").text("DateStamp"),
              "2004-02-29");

    QStringList row0, row1;
    QString posted, date;
    bool numberEnabled = true;
    onNextModal([&](QWidget* m) {
        EXPECT_EQ(child<QLineEdit>(m, "txtTransactionNo")->text(), "T7");
        numberEnabled = child<QLineEdit>(m, "txtTransactionNo")->isEnabled();
        EXPECT_EQ(child<QLineEdit>(m, "txtSource")->text(), "Receipt 3");
        date = child<QDateEdit>(m, "dtpStamp")->date().toString(Qt::ISODate);
        posted = child<QLabel>(m, "lblPosted")->text();
        for (int c = 0; c < 4; ++c) {
            row0 << cell(m, 0, c);
            row1 << cell(m, 1, c);
        }
        clickButton(m, "cmdCancel");
    });
    list.setCurrentRow(0);
    clickButton(&list, "cmdOps_1");
    EXPECT_FALSE(numberEnabled);
    EXPECT_EQ(date, "2004-02-29");
    EXPECT_EQ(posted, "NOT POSTED");
    EXPECT_EQ(row0, (QStringList{"1000", "Cash", "250", "0"}));
    EXPECT_EQ(row1, (QStringList{"4000", "Sales", "0", "250"}));
}

TEST_F(JournalWindows, EditRenumbersTheLinesAndKeepsTheTransactionUnposted) {
    fixtures::addTransaction(db, "T1", false, {{"1000", 10000}, {"4000", -5000}, {"5000", -5000}});
    frmLedgerTrxs list;
    list.show();
    auto* g = child<QTableView>(&list, "grdData");
    onNextModal([&](QWidget* m) {
        // Clear the first line; the others move up to 1 and 2.
        for (int c = 0; c < 4; ++c)
            setCell(m, 0, c, "");
        setCell(m, 1, ColCredit, "1.5");
        clickButton(m, "cmdSave");
    });
    const QRect r = g->visualRect(g->model()->index(0, 1));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, r.center());
    const std::vector<Line> expected = {{"4000", 1, -15000}, {"5000", 2, -5000}};
    EXPECT_EQ(stored(db, "T1"), expected);
    EXPECT_EQ(db.scalar("SELECT Posted FROM Ledger_Transactions"), 0);
}

TEST_F(JournalWindows, APostedTransactionOpensToBeLookedAtButIsNeitherSavedNorDeleted) {
    fixtures::addTransaction(db, "T1", true, {{"1000", 10000}, {"4000", -10000}});
    const QByteArray before = db.fileBytes();
    frmLedgerTrxs list;
    list.show();
    EXPECT_EQ(column(list, 3), QStringList{"Yes"});

    clickButton(&list, "cmdOps_2"); // Delete: refused before any question
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::MessageBox);
    EXPECT_EQ(ui.asked()[0].text, "Transaction no. T1 is posted. Revert the posting first.");
    EXPECT_EQ(ui.asked()[0].title, "Transactions");

    QString posted;
    bool stayed = false;
    onNextModal([&](QWidget* m) {
        posted = child<QLabel>(m, "lblPosted")->text();
        setCell(m, 0, ColDebit, "2");
        clickButton(m, "cmdSave");
        stayed = m->isVisible();
        clickButton(m, "cmdCancel");
    });
    clickButton(&list, "cmdOps_1");
    EXPECT_EQ(posted, "POSTED");
    EXPECT_TRUE(stayed);
    ASSERT_EQ(ui.messageBoxes().size(), 2u);
    EXPECT_EQ(ui.messageBoxes()[1], "Transaction no. T1 is posted. Revert the posting first.");
    EXPECT_EQ(ui.asked()[1].title, "Transactions");
    EXPECT_EQ(db.fileBytes(), before);
}

TEST_F(JournalWindows, ATransactionOfMoreThanFortyNineLinesLosesNone) {
    std::vector<std::pair<QString, qint64>> lines;
    for (int i = 1; i <= 60; ++i)
        lines.push_back({i % 2 ? "1000" : "4000", i % 2 ? qint64(i) * 10000 : -qint64(i) * 10000});
    fixtures::addTransaction(db, "BIG", false, lines);
    frmLedgerTrx editor;
    int rows = 0;
    QString last;
    onNextModal([&](QWidget* m) {
        rows = grid(m)->rowCount();
        last = cell(m, 59, ColCredit);
        clickButton(m, "cmdSave");
    });
    editor.Edit("BIG");
    EXPECT_GE(rows, 60);
    EXPECT_EQ(last, "60");
    EXPECT_TRUE(editor.Success());
    const std::vector<Line> saved = stored(db, "BIG");
    ASSERT_EQ(saved.size(), 60u);
    for (int i = 1; i <= 60; ++i)
        EXPECT_EQ(saved[size_t(i - 1)],
                  (Line{lines[size_t(i - 1)].first, i, lines[size_t(i - 1)].second}));
}

TEST_F(JournalWindows, EditOfATransactionDeletedMeanwhileSaysSo) {
    frmLedgerTrx editor;
    editor.Edit("GONE");
    EXPECT_FALSE(editor.isVisible());
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_EQ(ui.messageBoxes()[0], "Transaction no. GONE not found.");
}

TEST_F(JournalWindows, TheListShowsDatesAndPostedMarksAndDeletesAfterYes) {
    fixtures::addTransaction(db, "T1", false, {{"1000", 10000}});
    frmLedgerTrxs list;
    list.show();
    EXPECT_EQ(list.windowTitle(), "Transactions");
    const QString shown = list.model()->cellText(0, 0);
    EXPECT_EQ(QLocale().toDate(shown, QLocale::ShortFormat).addYears(100).year() % 100, 4)
        << shown.toStdString();
    EXPECT_EQ(column(list, 2), QStringList{"Src"});
    ui.answerYes(true);
    clickButton(&list, "cmdOps_2");
    EXPECT_EQ(ui.asked().at(0).text, "Delete Transaction no. T1?");
    EXPECT_EQ(list.model()->rowCount(), 0);
    EXPECT_EQ(db.count("Ledger_TransactionDetails"), 0);
    // Now empty: Edit and Delete do nothing.
    clickButton(&list, "cmdOps_1");
    clickButton(&list, "cmdOps_2");
    EXPECT_EQ(ui.asked().size(), 1u);
}

TEST_F(JournalWindows, OpenListWindowsFollowACommitMadeElsewhere) {
    fixtures::addTransaction(db, "T1", false, {{"1000", 10000}});
    frmLedgerAccounts accountsList;
    frmLedgerTrxs trxList;
    frmLedgerTrxs secondTrxList;
    accountsList.show();
    trxList.show();
    secondTrxList.show();
    ASSERT_EQ(SaveTransaction(db.cnn(), {"T2", "", "", QDate(2004, 5, 1)},
                              {{"5000", Amount::fromUnits(3)}}, SaveMode::Add),
              SaveOutcome::Committed);
    EXPECT_EQ(trxList.model()->rowCount(), 2);
    EXPECT_EQ(secondTrxList.model()->rowCount(), 2);
    // A new company empties both kinds of list.
    company::NewCompanyInput in{"N", "A", "P", "", "", 1, 2005, 1};
    ASSERT_EQ(company::SaveNewCompany(db.cnn(), in), CommandOutcome::Committed);
    EXPECT_EQ(accountsList.model()->rowCount(), 0);
    EXPECT_EQ(trxList.model()->rowCount(), 0);
    EXPECT_EQ(secondTrxList.model()->rowCount(), 0);
    // A window that is gone gets no more notices.
    { frmLedgerTrxs shortLived; }
    ASSERT_EQ(SaveTransaction(db.cnn(), {"T3", "", "", QDate(2005, 5, 1)}, {}, SaveMode::Add),
              SaveOutcome::Committed);
    EXPECT_EQ(trxList.model()->rowCount(), 1);
}

// The windows open from the menus and command numbers of the main window.
TEST(JournalMenus, MenusAndToolButtonsOpenTheWindows) {
    QTemporaryDir dir;
    ScriptedUi ui;
    setProgramFolder(dir.path());
    ASSERT_EQ(modMain::Main(), 0);
    frmMain* main = modMain::mainWindow();
    QMdiArea* area = main->mdiArea();
    auto childNames = [&] {
        QStringList names;
        for (QMdiSubWindow* w : area->subWindowList(QMdiArea::CreationOrder))
            if (w->widget() && w->widget()->objectName().startsWith("frm"))
                names << w->widget()->objectName();
        return names;
    };
    main->ClickMenu(9);
    main->ClickMenu(9);
    main->ClickMenu(1);
    main->action("mnuTrxs")->trigger();
    main->action("mnuLedgerAccount")->trigger();
    clickButton(modMain::toolWindow(), "cmdTool_0");
    EXPECT_EQ(childNames(), (QStringList{"frmLedgerAccounts", "frmLedgerAccounts", "frmLedgerTrxs",
                                         "frmLedgerTrxs", "frmLedgerAccounts", "frmLedgerTrxs"}));
    QStringList modals;
    auto closeIt = [&](QWidget* w) {
        modals << w->objectName();
        clickButton(w, "cmdCancel");
    };
    onNextModal(closeIt);
    main->ClickMenu(10);
    onNextModal(closeIt);
    main->action("mnuNewCompany")->trigger();
    onNextModal(closeIt);
    main->action("mnuCompany")->trigger();
    EXPECT_EQ(modals, (QStringList{"frmCompany", "frmNewCompany", "frmCompany"}));
    // Close on a list window closes its frame in the main window.
    QWidget* first = area->subWindowList(QMdiArea::CreationOrder).first()->widget();
    clickButton(first, "cmdOps_3");
    pumpEvents();
    EXPECT_EQ(childNames().size(), 5);
    main->close();
    pumpEvents();
    EXPECT_TRUE(ui.asked().empty());
}
