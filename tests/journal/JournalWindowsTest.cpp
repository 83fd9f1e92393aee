#include "accounts/LedgerFixtures.h"
#include "core/company/CompanySetup.h"
#include "journal/StoredLines.h"
#include "support/Books.h"
#include "support/GuiHelpers.h"
#include "ui/accounts/frmLedgerAccounts.h"
#include "ui/journal/frmLedgerTrx.h"
#include "ui/journal/frmLedgerTrxs.h"
#include "ui/widgets/DateField.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::journal;
using zelk::controls::DateField;

namespace {

QTableWidget* grid(QWidget* editor) {
    return child<QTableWidget>(editor, "grdDetail");
}

// A line of the grid as "number|name|debit|credit".
QString shownRow(QWidget* editor, int row) {
    QStringList cells;
    for (int c = 0; c < 4; ++c) {
        QTableWidgetItem* item = grid(editor)->item(row, c);
        cells << (item ? item->text() : QString());
    }
    return cells.join('|');
}

QStringList column(ListWindow& w, int c) {
    return columnTexts(w.grid(), c);
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
        const auto closed = qScopeGuard([m] { m->hide(); }); // even after a failed ASSERT
        auto* no = child<QLineEdit>(m, "txtTransactionNo");
        EXPECT_EQ(no->text(), "T012");
        EXPECT_EQ(m->focusWidget(), no);
        EXPECT_EQ(child<QLabel>(m, "lblTotals")->text(),
                  "Debits 0.00   Credits 0.00   Difference 0.00");
        QTableWidget* g = grid(m);
        EXPECT_EQ(g->rowCount(), 49);
        // The largest amount shows whole; the grid grows with the window, and the frames
        // (the header's, Save and Cancel's) stay in their places.
        const int whole = g->fontMetrics().horizontalAdvance("999,999,999.99");
        EXPECT_GT(g->columnWidth(ColDebit), whole);
        const QSize before = g->size();
        m->resize(m->width() + 200, m->height() + 200);
        pumpEvents();
        EXPECT_GT(g->width(), before.width());
        EXPECT_GT(g->height(), before.height());
        expectFramesLaidOut(m);
        EXPECT_EQ(child<QLabel>(m, "lblKeys")->text(),
                  "= or F4: balancing amount \u00b7 Ctrl+Enter: save");
        // Typed in an account cell, "sa" lists "number — name" of the accounts whose name
        // holds it, as wide as its longest entry; the whole list is in the drop-down.
        m->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m));
        g->setFocus();
        pressKeys(m, "sa");
        auto* popup = qobject_cast<QAbstractItemView*>(QApplication::activePopupWidget());
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(columnTexts(popup, 0), (QStringList{"4000 \u2014 Sales", "4100 \u2014 Sales"}));
        EXPECT_GT(popup->width(), popup->fontMetrics().horizontalAdvance("4100 \u2014 Sales"));
        EXPECT_GT(popup->width(), g->columnWidth(ColAccountNo));
        EXPECT_EQ(child<QComboBox>(g, "cmbAccountCell")->count(), 5); // none, then the four
        pressKeys(m, "<Esc><Esc><Esc>"); // the list, the cell, the unchanged window: no question
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
    const QString invalid = "Error: 2\r\nSource: Ledger Transaction\r\nDesc: Invalid: 2 row(s). "
                            "Yes: fix input, No:Cancel, \r\nrow 1: no account of number 99\r\n"
                            "row 2: no amount";
    const QString missing = "Error: 1\r\nSource: Ledger Transaction\r\nDesc: Transaction no. is "
                            "missing.";
    const QString balanced = "Debits 150.00   Credits 150.00   Difference 0.00";
    const QString sale = "1000 1 1500000, 4000 2 -1500000";
    struct Case {
        const char* what;
        QString script;
        QString lines;
        QString totals = {};      // under the grid before the last key, when given
        QString asked = {};       // the questions asked, joined by "|"
        const char* answers = ""; // Y(es), N(o), F(ix), A(bort), in turn
        QString firstLine = {};   // the first line before the last key, when given
    } cases[] = {
        {"Alt+S while a credit is typed saves it",
         toLines + "1000<Enter>150<Enter>4000<Enter><Enter>150<Alt+S>", sale},
        {"an open editor on the next empty row leaves it empty",
         toLines + "1000<Enter>150<Enter>4000<Enter><Enter>150<Tab><Alt+S>", sale, balanced},
        {"a negative credit shows as a debit at once",
         toLines + "1000<Enter><Enter>50<Enter>5000<Enter><Enter>-50<Enter><Ctrl+Enter>",
         "1000 1 -500000, 5000 2 500000", "Debits 50.00   Credits 50.00   Difference 0.00"},
        {"= fills the balancing amount",
         toLines + "1000<Enter>150<Enter>5000<Enter>40<Enter>4000<Enter>=<Ctrl+Enter>",
         "1000 1 1500000, 5000 2 400000, 4000 3 -1900000",
         "Debits 190.00   Credits 190.00   Difference 0.00"},
        {"so does F4, on the credit side too",
         toLines + "4000<Enter><Enter>150<Enter>1000<Enter><F4><Ctrl+Enter>",
         "4000 1 -1500000, 1000 2 1500000", balanced},
        {"the second account of one name, marked in the name cell's list",
         toLines + "<Right>sal<Down><Enter>150<Enter>4000<Enter><Enter>150<Ctrl+Enter>",
         "4100 1 1500000, 4000 2 -1500000"},
        {"accounts by a part of their names; Tab takes the marked one",
         toLines + "ren<Tab><Enter>40<Enter>CAS<Enter><Enter>40<Ctrl+Enter>",
         "5000 1 400000, 1000 2 -400000", "", "", "", "5000|Rent|40.00|"},
        {"Enter on an empty debit goes on to the credit, writing nothing",
         toLines + "1000<Enter><Enter>150<Enter>4000<Enter>150<Enter><Ctrl+Enter>",
         "1000 1 -1500000, 4000 2 1500000", balanced, "", "", "1000|Cash||150.00"},
        {"Delete empties a line",
         toLines + "1000<Enter>150<Enter>5000<Enter>20<Enter><Up><Del><Down>4<Down><Enter>"
                   "<Enter>150<Ctrl+Enter>",
         "1000 1 1500000, 4100 2 -1500000"},
        {"unbalanced: No goes back, Yes saves",
         toLines + "1000<Enter>150<Enter>4000<Enter><Enter>100<Ctrl+Enter><Ctrl+Enter>",
         "1000 1 1500000, 4000 2 -1000000", "Debits 150.00   Credits 100.00   Difference 50.00",
         unbalanced + "|" + unbalanced, "NY"},
        {"invalid rows are named; Fix keeps them",
         toLines + "99<Enter>5<Enter>1000<Enter><Ctrl+Enter><Esc>", "", "", invalid + "|" + discard,
         "FY"},
        {"a missing number answered Abort closes without saving",
         "<Del>" + toLines + "1000<Enter>1<Ctrl+Enter>", "", "", missing, "A"},
        {"Escape after typing asks; No stays, Yes discards", "x<Esc><Esc>", "", "",
         discard + "|" + discard, "NY"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedUi answers;
        for (const char* a = c.answers; *a; ++a)
            *a == 'Y' || *a == 'N' ? void(answers.answerYes(*a == 'Y'))
                                   : void(answers.answerDialog(*a == 'F' ? Fix : Abort));
        frmLedgerTrx editor;
        bool closed = false;
        QString totals, firstLine;
        onNextModal([&](QWidget* m) {
            m->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(m));
            const qsizetype last = c.script.lastIndexOf('<');
            pressKeys(m, c.script.left(last));
            totals = child<QLabel>(m, "lblTotals")->text();
            firstLine = shownRow(m, 0);
            pressKeys(m, c.script.mid(last));
            closed = !m->isVisible();
            if (!closed)
                qobject_cast<QDialog*>(m)->done(0);
        });
        editor.Add();
        EXPECT_TRUE(closed);
        EXPECT_EQ(editor.Success(), !c.lines.isEmpty());
        EXPECT_EQ(storedLines(db, "T012"), c.lines);
        QStringList asked;
        for (const auto& q : answers.asked())
            asked << q.text;
        EXPECT_EQ(asked.join('|'), c.asked);
        if (!c.totals.isEmpty()) {
            EXPECT_EQ(totals, c.totals);
        }
        if (!c.firstLine.isEmpty()) {
            EXPECT_EQ(firstLine, c.firstLine);
        }
        db.exec("DELETE FROM Ledger_Transactions WHERE TransactionNo='T012'");
    }
}

TEST_F(JournalWindows, TheHeaderAndLinesSavedComeBackAsEntered) {
    frmLedgerTrxs list;
    list.show();
    onNextModal([&](QWidget* m) {
        child<QLineEdit>(m, "txtTransactionNo")->setText("T7");
        child<QLineEdit>(m, "txtSource")->setText("Receipt 3");
        child<QLineEdit>(m, "txtDescription")->setText("Rent for March");
        auto* date = child<DateField>(m, "dtpStamp");
        // A typed date is taken whole, or refused as it stands.
        date->setFocus();
        date->selectAll();
        QTest::keyClicks(date, "31/4/2004");
        clickButton(m, "cmdSave");
        EXPECT_TRUE(m->isVisible());
        date->selectAll();
        QTest::keyClicks(date, "2004-02-29");
        // The cells as a user's edits leave them, without the cell editor.
        for (auto [row, column, text] : {std::tuple(0, ColAccountNo, "1000"),
                                         {0, ColDebit, "250"},
                                         {1, ColAccountNo, "4000"},
                                         {1, ColCredit, "250"}})
            grid(m)->item(row, column)->setText(text);
        clickButton(m, "cmdSave");
    });
    clickButton(&list, "cmdOps_0");
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"31 Apr 2004 is not a date"});
    EXPECT_EQ(storedLines(db, "T7"), "1000 1 2500000, 4000 2 -2500000");
    EXPECT_EQ(column(list, 1), QStringList{"T7"}); // the list shows it at once
    EXPECT_EQ(column(list, 3), QStringList{"No"});

    QStringList shown;
    onNextModal([&](QWidget* m) {
        auto* no = child<QLineEdit>(m, "txtTransactionNo");
        shown << no->text() + (no->isEnabled() ? "" : " (fixed)")
              << child<QLineEdit>(m, "txtSource")->text()
              << child<QLineEdit>(m, "txtDescription")->text()
              << child<DateField>(m, "dtpStamp")->text() << child<QLabel>(m, "lblPosted")->text()
              << shownRow(m, 0) << shownRow(m, 1);
        clickButton(m, "cmdCancel");
    });
    auto* g = child<QTableView>(&list, "grdData");
    QTest::keyClick(g, Qt::Key_Return); // Enter on a row is Edit
    EXPECT_EQ(shown, (QStringList{"T7 (fixed)", "Receipt 3", "Rent for March", "29 Feb 2004",
                                  "NOT POSTED", "1000|Cash|250.00|", "4000|Sales||250.00"}));
    EXPECT_EQ(ui.asked().size(), 1u); // Cancel without a change asks nothing
}

TEST_F(JournalWindows, APostedTransactionOpensReadOnlyAndIsNotDeleted) {
    fixtures::addTransaction(db, "T1", true, {{"1000", 10000}, {"4000", -10000}});
    const QByteArray before = db.fileBytes();
    frmLedgerTrxs list;
    list.show();
    EXPECT_EQ(column(list, 3), QStringList{"Yes"});
    clickButton(&list, "cmdOps_2"); // Delete: refused before any question
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{PostedRefusalText("T1")});

    QStringList seen;
    onNextModal([&](QWidget* m) {
        grid(m)->setCurrentCell(0, ColDebit);
        QTest::keyClicks(grid(m), "2");
        QTest::keyClick(grid(m), Qt::Key_Delete);
        seen << child<QLabel>(m, "lblPosted")->text() << shownRow(m, 0)
             << (child<QPushButton>(m, "cmdSave")->isEnabled() ? "Save" : "no Save")
             << (child<QLineEdit>(m, "txtSource")->isReadOnly() ? "read-only" : "editable");
        QTest::keyClick(m, Qt::Key_Escape); // nothing could change: no question
        seen << (m->isVisible() ? "open" : "closed");
    });
    clickButton(&list, "cmdOps_1");
    EXPECT_EQ(seen, (QStringList{"Posted \u2014 revert the posting to change it", "1000|Cash|1.00|",
                                 "no Save", "read-only", "closed"}));
    EXPECT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(db.fileBytes(), before);
}

TEST_F(JournalWindows, ATransactionOfMoreThanFortyNineLinesLosesNone) {
    std::vector<std::pair<QString, qint64>> lines;
    for (int i = 1; i <= 60; ++i)
        lines.push_back({i % 2 ? "1000" : "4000", (i % 2 ? i : 1 - i) * qint64(10000)});
    fixtures::addTransaction(db, "BIG", false, lines);
    const QString stored = storedLines(db, "BIG");
    frmLedgerTrx editor;
    int rows = 0;
    QString last;
    onNextModal([&](QWidget* m) {
        rows = grid(m)->rowCount();
        last = shownRow(m, 59);
        clickButton(m, "cmdSave");
    });
    editor.Edit("BIG");
    EXPECT_EQ(rows, 61); // and one empty line at the end
    EXPECT_EQ(last, "4000|Sales||59.00");
    EXPECT_TRUE(editor.Success());
    EXPECT_EQ(storedLines(db, "BIG"), stored);
}

TEST_F(JournalWindows, EditOfATransactionDeletedMeanwhileSaysSo) {
    frmLedgerTrx editor;
    editor.Edit("GONE");
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Transaction no. GONE not found."});
}

TEST_F(JournalWindows, TheListShowsDatesSourcesAndTotalsAndDeletesAfterYes) {
    fixtures::addTransaction(db, "T1", false, {{"1000", 10000}, {"4000", -10000}});
    fixtures::addTransaction(db, "T2", false, {{"1000", 5}, {"4000", -5}});
    frmLedgerTrxs list;
    list.show();
    const QString shown = list.model()->cellText(0, 0);
    EXPECT_EQ(QLocale().toDate(shown, QLocale::ShortFormat).addYears(100).year() % 100, 4)
        << shown.toStdString();
    EXPECT_EQ(column(list, 2), (QStringList{"Src", "Src"}));
    EXPECT_EQ(column(list, 4), (QStringList{"Desc", "Desc"}));
    EXPECT_EQ(column(list, 5), (QStringList{"1.00", "0.00"})); // the debits, "#,##0.00"
    ui.answerYes(false).answerYes(true);
    clickButton(&list, "cmdOps_2");
    EXPECT_EQ(db.count("Ledger_Transactions"), 2) << "No keeps it";
    clickButton(&list, "cmdOps_2");
    EXPECT_EQ(ui.asked().at(1).text, "Delete Transaction no. T1?");
    EXPECT_EQ(column(list, 1), QStringList{"T2"});
    EXPECT_EQ(storedLines(db, "T1"), "");
    EXPECT_EQ(storedLines(db, "T2"), "1000 1 5, 4000 2 -5");
}

TEST_F(JournalWindows, OpenListWindowsFollowACommitMadeElsewhere) {
    fixtures::addTransaction(db, "T1", false, {{"1000", 10000}, {"4000", -10000}});
    frmLedgerAccounts accountsList;
    frmLedgerTrxs trxList;
    frmLedgerTrxs secondTrxList;
    accountsList.show();
    trxList.show();
    secondTrxList.show();
    ASSERT_EQ(SaveTransaction(db.cnn(), {"T2", "", "", QDate(2004, 5, 1)}, {}, SaveMode::Add),
              SaveOutcome::Committed);
    EXPECT_EQ(trxList.model()->rowCount(), 2);
    EXPECT_EQ(secondTrxList.model()->rowCount(), 2);
    // A new company empties both kinds of list.
    company::NewCompanyInput in{"N", "A", "P", "", "", 1, 2005, 1};
    ASSERT_EQ(company::SaveNewCompany(db.cnn(), in), CommandOutcome::Committed);
    EXPECT_EQ(accountsList.model()->rowCount(), 0);
    EXPECT_EQ(secondTrxList.model()->rowCount(), 0);
    // A window that is gone gets no more notices.
    { frmLedgerTrxs shortLived; }
    ASSERT_EQ(SaveTransaction(db.cnn(), {"T3", "", "", QDate(2005, 5, 1)}, {}, SaveMode::Add),
              SaveOutcome::Committed);
    EXPECT_EQ(trxList.model()->rowCount(), 1);
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
    // a run rolled back ends the list's stream: it is read again from where it was
    db.cnn().beginTrans();
    db.cnn().rollbackTrans();
    for (int scrolls = 0; rows->canFetchMore(QModelIndex()) && scrolls < 100; ++scrolls) {
        grid->scrollToBottom();
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(rows->rowCount(), 10000);
    EXPECT_EQ(column(list, 1).mid(4999, 2), (QStringList{"P05000", "P05001"}));
    EXPECT_EQ(column(list, 1).last(), "P10000");
}
