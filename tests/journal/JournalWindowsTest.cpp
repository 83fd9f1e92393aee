#include "accounts/LedgerFixtures.h"
#include "accounts/frmLedgerAccounts.h"
#include "app/frmMain.h"
#include "app/frmToolWindow.h"
#include "app/modMain.h"
#include "company/CompanySetup.h"
#include "data/Connection.h"
#include "journal/frmLedgerTrx.h"
#include "journal/frmLedgerTrxs.h"
#include "support/Books.h"
#include "support/GuiHelpers.h"
#include "widgets/DateField.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
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
#include <map>

using namespace zelk;
using namespace zelk::journal;

void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

QTableWidget* grid(QWidget* editor) {
    return child<QTableWidget>(editor, "grdDetail");
}

QString cell(QWidget* editor, int row, int column) {
    QTableWidgetItem* item = grid(editor)->item(row, column);
    return item ? item->text() : QString();
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
    friend void PrintTo(const Line& l, std::ostream* os) {
        *os << l.account.toStdString() << "/" << l.seq << "/" << l.raw;
    }
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

TEST_F(JournalWindows, TheEditorOpensOnTheNextNumberWithRoomForWholeAmounts) {
    fixtures::addTransaction(db, "T011", false, {{"1000", 10000}, {"4000", -10000}});
    fixtures::addAccount(db, "4100", "Sales", 5, 2004);
    frmLedgerTrx editor;
    onNextModal([&](QWidget* m) {
        EXPECT_EQ(m->windowTitle(), "Transactions");
        auto* no = child<QLineEdit>(m, "txtTransactionNo");
        EXPECT_EQ(no->text(), "T012");
        EXPECT_EQ(m->focusWidget(), no);
        EXPECT_EQ(child<zelk::controls::DateField>(m, "dtpStamp")->date(), QDate::currentDate());
        EXPECT_TRUE(child<QLabel>(m, "lblPosted")->text().isEmpty());
        EXPECT_EQ(child<QLabel>(m, "lblTotals")->text(),
                  "Debits 0.00   Credits 0.00   Difference 0.00");
        QTableWidget* g = grid(m);
        EXPECT_EQ(g->rowCount(), 49);
        const char* captions[] = {"Account No", "Account Name", "Debit", "Credit"};
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(g->horizontalHeaderItem(c)->text(), captions[c]);
        // The largest amount shows whole; the grid grows with the window.
        const int whole = g->fontMetrics().horizontalAdvance("999,999,999.99");
        EXPECT_GT(g->columnWidth(ColDebit), whole);
        EXPECT_GT(g->columnWidth(ColCredit), whole);
        const QSize before = g->size();
        m->resize(m->width() + 200, m->height() + 200);
        pumpEvents();
        EXPECT_GT(g->width(), before.width());
        EXPECT_GT(g->height(), before.height());
        // The name drop-down: an empty entry, then "name (number)" carrying the number.
        g->setCurrentCell(0, ColAccountName);
        g->editItem(g->item(0, ColAccountName));
        auto* combo = g->findChild<QComboBox*>("cmbAccountName");
        ASSERT_NE(combo, nullptr);
        QStringList listed, carried;
        for (int i = 0; i < combo->count(); ++i) {
            listed << combo->itemText(i);
            carried << combo->itemData(i).toString();
        }
        EXPECT_EQ(listed,
                  (QStringList{"", "Cash (1000)", "Sales (4000)", "Sales (4100)", "Rent (5000)"}));
        EXPECT_EQ(carried, (QStringList{"", "1000", "4000", "4100", "5000"}));
        pressKeys(m, "<Esc><Esc>"); // the cell, then the unchanged window: no question
    });
    editor.Add();
    EXPECT_FALSE(editor.Success());
    EXPECT_TRUE(ui.asked().empty());
}

// A day of entry by keyboard: each script starts on the proposed number T012 and ends
// with the window closed. The lines are those stored for T012.
TEST_F(JournalWindows, KeyboardEntryStoresWhatTheScreenShows) {
    fixtures::addTransaction(db, "T011", false, {{"1000", 10000}, {"4000", -10000}});
    fixtures::addAccount(db, "4100", "Sales", 5, 2004);
    const QString toLines = "<Enter><Enter><Enter><Enter>";
    const QString unbalanced = "Debits 150.00 and credits 100.00 differ by 50.00. Save it "
                               "unbalanced? It will not be posted until it balances.";
    const QString discard = "Discard the changes to this transaction?";
    struct Case {
        const char* what;
        QString script;
        std::vector<bool> yesNo;
        std::vector<int> dialogs;
        std::vector<Line> lines;
        QStringList asked;
        QString totals; // under the grid before the last key, when given
    } cases[] = {
        {"Alt+S while a credit is typed saves it",
         toLines + "1000<Enter>150<Enter>4000<Enter><Enter>150<Alt+S>",
         {},
         {},
         {{"1000", 1, 1500000}, {"4000", 2, -1500000}},
         {},
         {}},
        {"an open editor on the next empty row leaves it empty",
         toLines + "1000<Enter>150<Enter>4000<Enter><Enter>150<Tab><Alt+S>",
         {},
         {},
         {{"1000", 1, 1500000}, {"4000", 2, -1500000}},
         {},
         {}},
        {"a negative credit shows as a debit at once",
         toLines + "1000<Enter><Enter>50<Enter>5000<Enter><Enter>-50<Enter><Ctrl+Enter>",
         {},
         {},
         {{"1000", 1, -500000}, {"5000", 2, 500000}},
         {},
         "Debits 50.00   Credits 50.00   Difference 0.00"},
        {"= fills the balancing amount",
         toLines + "1000<Enter>150<Enter>5000<Enter>40<Enter>4000<Enter>=<Ctrl+Enter>",
         {},
         {},
         {{"1000", 1, 1500000}, {"5000", 2, 400000}, {"4000", 3, -1900000}},
         {},
         "Debits 190.00   Credits 190.00   Difference 0.00"},
        {"so does F4, on the credit side too",
         toLines + "4000<Enter><Enter>150<Enter>1000<Enter><F4><Ctrl+Enter>",
         {},
         {},
         {{"4000", 1, -1500000}, {"1000", 2, 1500000}},
         {},
         {}},
        {"the second account of one name, chosen by a word of its name",
         toLines + "<Right>sal<Down><Down><Enter>150<Enter>4000<Enter><Enter>150<Ctrl+Enter>",
         {},
         {},
         {{"4100", 1, 1500000}, {"4000", 2, -1500000}},
         {},
         {}},
        {"Delete empties a line",
         toLines + "1000<Enter>150<Enter>5000<Enter>20<Enter><Up><Del><Down>4<Down><Down><Enter>"
                   "<Enter>150<Ctrl+Enter>",
         {},
         {},
         {{"1000", 1, 1500000}, {"4100", 2, -1500000}},
         {},
         {}},
        {"unbalanced: No goes back, Yes saves",
         toLines + "1000<Enter>150<Enter>4000<Enter><Enter>100<Ctrl+Enter><Ctrl+Enter>",
         {false, true},
         {},
         {{"1000", 1, 1500000}, {"4000", 2, -1000000}},
         {unbalanced, unbalanced},
         "Debits 150.00   Credits 100.00   Difference 50.00"},
        {"invalid rows are named",
         toLines + "99<Enter>5<Enter>1000<Enter><Ctrl+Enter><Esc>",
         {true},
         {Fix},
         {},
         {"Error: 2\r\nSource: Ledger Transaction\r\nDesc: Invalid: 2 row(s). Yes: fix input, "
          "No:Cancel, \r\nrow 1: no account of number 99\r\nrow 2: no amount",
          discard},
         {}},
        {"Escape after typing asks; No stays, Yes discards",
         "x<Esc><Esc>",
         {false, true},
         {},
         {},
         {discard, discard},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedUi answers;
        for (bool yes : c.yesNo)
            answers.answerYes(yes);
        for (int d : c.dialogs)
            answers.answerDialog(d);
        frmLedgerTrx editor;
        bool closed = false;
        QString totals;
        onNextModal([&](QWidget* m) {
            m->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(m));
            const qsizetype last = c.script.lastIndexOf('<');
            pressKeys(m, c.script.left(last));
            totals = child<QLabel>(m, "lblTotals")->text();
            pressKeys(m, c.script.mid(last));
            closed = !m->isVisible();
            if (!closed)
                qobject_cast<QDialog*>(m)->done(0);
        });
        editor.Add();
        EXPECT_TRUE(closed);
        EXPECT_EQ(stored(db, "T012"), c.lines);
        QStringList asked;
        for (const auto& q : answers.asked())
            asked << q.text;
        EXPECT_EQ(asked, c.asked);
        if (!c.totals.isEmpty()) {
            EXPECT_EQ(totals, c.totals);
        }
        db.exec("DELETE FROM Ledger_Transactions WHERE TransactionNo='T012'");
    }
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
                          "Yes: fix input, No:Cancel, \r\nrow 2: no account of number 99\r\n"
                          "row 6: no amount");
    // Saved in grid order, numbered without gaps, credits negative.
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
    ui.answerYes(true);
    onNextModal([&](QWidget* m) {
        typeNumber(m, "T7");
        child<QLineEdit>(m, "txtSource")->setText("Receipt 3");
        auto* date = child<zelk::controls::DateField>(m, "dtpStamp");
        // A typed date is taken whole, or refused as it stands.
        date->setFocus();
        date->selectAll();
        QTest::keyClicks(date, "31/4/2004");
        EXPECT_FALSE(date->check());
        date->selectAll();
        QTest::keyClicks(date, "2004-02-29");
        setCell(m, 0, ColAccountNo, "1000");
        setCell(m, 0, ColDebit, "250");
        setCell(m, 1, ColAccountNo, "4000");
        setCell(m, 1, ColCredit, "250");
        clickButton(m, "cmdSave");
    });
    clickButton(&list, "cmdOps_0");
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_EQ(ui.messageBoxes()[0], "31 Apr 2004 is not a date");
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
        date = child<zelk::controls::DateField>(m, "dtpStamp")->text();
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
    EXPECT_EQ(date, "29 Feb 2004");
    EXPECT_EQ(posted, "NOT POSTED");
    EXPECT_EQ(row0, (QStringList{"1000", "Cash", "250", "0"}));
    EXPECT_EQ(row1, (QStringList{"4000", "Sales", "0", "250"}));
}

TEST_F(JournalWindows, EditRenumbersTheLinesAndKeepsTheTransactionUnposted) {
    fixtures::addTransaction(db, "T1", false, {{"1000", 10000}, {"4000", -5000}, {"5000", -5000}});
    frmLedgerTrxs list;
    list.show();
    auto* g = child<QTableView>(&list, "grdData");
    ui.answerYes(true);
    onNextModal([&](QWidget* m) {
        // Delete clears the first line; the others move up to 1 and 2.
        QTest::keyClick(grid(m), Qt::Key_Delete);
        setCell(m, 1, ColCredit, "1.5");
        setCell(m, 1, ColDebit, "-1"); // a negative debit shows as a credit
        EXPECT_EQ(cell(m, 1, ColCredit), "1");
        setCell(m, 2, ColCredit, "1");
        clickButton(m, "cmdSave");
    });
    const QRect r = g->visualRect(g->model()->index(0, 1));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, r.center());
    const std::vector<Line> expected = {{"4000", 1, -10000}, {"5000", 2, -10000}};
    EXPECT_EQ(stored(db, "T1"), expected);
    EXPECT_EQ(db.scalar("SELECT Posted FROM Ledger_Transactions"), 0);
    ASSERT_EQ(ui.asked().size(), 1u); // the unbalanced question, answered Yes
    EXPECT_TRUE(ui.asked()[0].text.startsWith("Debits 0.00 and credits 2.00 differ by 2.00."));
}

TEST_F(JournalWindows, APostedTransactionOpensReadOnlyAndIsNotDeleted) {
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
    QStringList row0;
    bool saveEnabled = true, sourceReadOnly = false, closed = false;
    onNextModal([&](QWidget* m) {
        posted = child<QLabel>(m, "lblPosted")->text();
        saveEnabled = child<QPushButton>(m, "cmdSave")->isEnabled();
        sourceReadOnly = child<QLineEdit>(m, "txtSource")->isReadOnly();
        grid(m)->setCurrentCell(0, ColDebit);
        QTest::keyClicks(grid(m), "2");
        QTest::keyClick(grid(m), Qt::Key_Delete);
        for (int c = 0; c < 4; ++c)
            row0 << cell(m, 0, c);
        QTest::keyClick(m, Qt::Key_Escape); // nothing could change: no question
        closed = !m->isVisible();
    });
    clickButton(&list, "cmdOps_1");
    EXPECT_EQ(posted, "Posted \u2014 revert the posting to change it");
    EXPECT_FALSE(saveEnabled);
    EXPECT_TRUE(sourceReadOnly);
    EXPECT_EQ(row0, (QStringList{"1000", "Cash", "1", "0"}));
    EXPECT_TRUE(closed);
    EXPECT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(db.fileBytes(), before);
}

TEST_F(JournalWindows, ATransactionOfMoreThanFortyNineLinesLosesNone) {
    std::vector<std::pair<QString, qint64>> lines;
    for (int i = 1; i <= 60; ++i)
        lines.push_back(
            {i % 2 ? "1000" : "4000", i % 2 ? qint64(i) * 10000 : -qint64(i - 1) * 10000});
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
    EXPECT_EQ(rows, 61); // and one empty line at the end
    EXPECT_EQ(last, "59");
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

// A journal of ten thousand transactions opens with its first pages only; scrolling to
// the end reads the rest, and the last row is the last transaction.
TEST_F(JournalWindows, AListOfTenThousandIsReadAsItScrollsAndEndsOnTheLastRow) {
    rawExec(db.filePath(),
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000) "
            "INSERT INTO Ledger_Transactions (TransactionNo, Source, Description, DateStamp, "
            "Posted) SELECT printf('P%05d', i), 'S', 'Sale ' || i, '2004-01-15', 0 FROM n");
    rawExec(db.filePath(), "INSERT INTO Ledger_TransactionDetails (FKID_Transaction, "
                           "FKID_Account, Seq, Amount) SELECT TransactionNo, '1000', 1, 10000 "
                           "FROM Ledger_Transactions UNION ALL SELECT TransactionNo, '4000', "
                           "2, -10000 FROM Ledger_Transactions");
    frmLedgerTrxs list;
    list.resize(600, 400);
    list.show();
    auto* grid = child<QTableView>(&list, "grdData");
    QAbstractItemModel* rows = grid->model();
    EXPECT_LT(rows->rowCount(), 1000) << "only the first pages are read";
    int column = -1;
    for (int c = 0; c < rows->columnCount() && column < 0; ++c)
        if (rows->index(0, c).data().toString() == "P00001")
            column = c;
    ASSERT_GE(column, 0);
    // a run rolled back ends the list's stream: it is read again from where it was
    db.cnn().beginTrans();
    db.cnn().rollbackTrans();
    for (int scrolls = 0; rows->canFetchMore(QModelIndex()) && scrolls < 100; ++scrolls) {
        grid->scrollToBottom();
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(rows->rowCount(), 10000);
    EXPECT_EQ(rows->index(9999, column).data().toString(), "P10000");
    EXPECT_EQ(rows->index(5000, column).data().toString(), "P05001");
}
