#include "HistoryFixture.h"
#include "core/data/modDBUtil.h"
#include "support/Books.h"
#include "support/GuiHelpers.h"
#include "support/ScriptedFiles.h"
#include "support/ScriptedUi.h"
#include "ui/history/frmHistoryBrowser.h"
#include "ui/shell/frmMain.h"
#include "ui/widgets/DateField.h"
#include "ui/widgets/Twips.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

using zelk::controls::DateField;

namespace {

// The program's main window over the fixture books; the browsers are opened from its
// menus as the user opens them.
class HistoryWindows : public ::testing::Test {
protected:
    TestDatabase db;
    ScriptedUi ui;
    frmMain main;

    void SetUp() override {
        historyfixture::writeBooks(db);
        main.show();
    }
    void TearDown() override {
        main.mdiArea()->closeAllSubWindows();
        pumpEvents();
    }

    QWidget* open(const char* menuItem) {
        main.action(menuItem)->trigger();
        return main.mdiArea()->subWindowList().last()->widget();
    }
    static QTableView* grid(QWidget* w) { return child<QTableView>(w, "grdData"); }
    static int rows(QWidget* w) { return grid(w)->model()->rowCount(); }
    static QString cell(QWidget* w, int row, int column) {
        return grid(w)->model()->index(row, column).data().toString();
    }
    static QStringList rowTexts(QWidget* w, int row) {
        QStringList out;
        for (int c = 0; c < grid(w)->model()->columnCount(); ++c)
            out << cell(w, row, c);
        return out;
    }
    static QStringList column(QWidget* w, int c) { return columnTexts(grid(w), c); }
    static void clickHeader(QWidget* w, int column) {
        QHeaderView* header = grid(w)->horizontalHeader();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }

    // "&Select Range", answered in the dialog by `answer`.
    static void selectRange(QWidget* w, std::function<void(QWidget*)> answer) {
        onNextModal(std::move(answer)); // fails the test when no dialog opens
        clickButton(w, "cmdOps_0");
    }
    static void setDates(QWidget* d, QDate from, QDate to) {
        child<DateField>(d, "dtpFrom")->setDate(from);
        child<DateField>(d, "dtpTo")->setDate(to);
    }
    static void dates(QWidget* w, QDate from, QDate to) {
        selectRange(w, [=](QWidget* d) {
            setDates(d, from, to);
            clickButton(d, "cmdOk");
        });
    }
    // A month (by the start of its caption) and a year of the range dialog, then OK.
    static void choose(QWidget* w, const QString& month, int year = 0) {
        selectRange(w, [=](QWidget* d) {
            if (!month.isEmpty()) {
                auto* cmb = child<QComboBox>(d, "cmbMonth");
                cmb->setCurrentIndex(cmb->findText(month, Qt::MatchStartsWith));
            }
            if (year > 0)
                child<QListWidget>(d, "lstYear")->setCurrentRow(year - 1980);
            clickButton(d, "cmdOk");
        });
    }
};

} // namespace

// Each menu item opens one more browser of its kind, with its caption; the grid shows
// the designed captions, each column as designed or wider where its caption or a date
// needs it, and the rows of the period at hand (OpeningChoice), saying nothing when it
// has none. "&Close" closes that browser only.
TEST_F(HistoryWindows, TheHistoryMenuOpensEachBrowser) {
    struct Expect {
        const char *item, *caption;
        int rows;
    };
    for (const Expect& e : {Expect{"mnuTrxHistory", "Transaction History", 0},
                            Expect{"mnuLedgerHistoryCurrent", "Ledger History — current year", 5},
                            Expect{"mnuLedgerHistory", "Ledger History — previous years", 0},
                            Expect{"mnuBalanceHistory", "Balance History", 4}}) {
        SCOPED_TRACE(e.item);
        auto* w = qobject_cast<frmHistoryBrowser*>(open(e.item));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->windowTitle(), e.caption);
        EXPECT_EQ(rows(w), e.rows);
        const auto& columns = w->browser().browserDesign().columns;
        ASSERT_EQ(grid(w)->model()->columnCount(), int(columns.size()));
        for (size_t c = 0; c < columns.size(); ++c) {
            EXPECT_EQ(grid(w)->model()->headerData(int(c), Qt::Horizontal), columns[c].caption);
            const int width = grid(w)->columnWidth(int(c));
            EXPECT_GE(width, twips(columns[c].widthTwips));
            EXPECT_GT(width, grid(w)->horizontalHeader()->fontMetrics().horizontalAdvance(
                                 columns[c].caption))
                << columns[c].caption.toStdString();
        }
    }
    QPointer<QWidget> second = open("mnuTrxHistory");
    ASSERT_EQ(main.mdiArea()->subWindowList().size(), 5) << "a second transaction history";
    clickButton(second, "cmdOps_1");
    pumpEvents();
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(main.mdiArea()->subWindowList().size(), 4);
    EXPECT_TRUE(ui.asked().empty());

    // The command frame spans the top, the filter box below it; the grid takes the rest.
    QWidget* w = main.mdiArea()->subWindowList().last()->widget();
    w->parentWidget()->resize(700, 420);
    pumpEvents();
    auto* fra = child<QGroupBox>(w, "fraCommand");
    EXPECT_EQ(fra->geometry(), QRect(0, 0, w->width(), fra->height()));
    const int top = fra->height() + child<QLineEdit>(w, "txtFilter")->height();
    EXPECT_EQ(grid(w)->geometry(), QRect(0, top, w->width(), w->height() - top));
}

// A date range through the dialog: the January lines with their totals, in bold, money
// to the right; Export… writes the rows as shown, dates as dates, amounts as plain
// numbers. Cancelling the next selection keeps the grid; a range without lines empties
// it and tells "No data.".
TEST_F(HistoryWindows, TransactionHistoryThroughTheDialog) {
    QWidget* w = open("mnuTrxHistory");
    dates(w, QDate(2004, 1, 1), QDate(2004, 1, 31));
    ASSERT_EQ(rows(w), 13);
    EXPECT_EQ(rowTexts(w, 0), (QStringList{"T1", "INV-1", "5 Jan 2004", "Cash sale", "1000", "Cash",
                                           "1,250.50", ""}));
    QAbstractItemModel* m = grid(w)->model();
    EXPECT_TRUE(m->index(2, 0).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_TRUE(m->index(12, 6).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(m->index(0, 0).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_TRUE(m->index(0, 6).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
    EXPECT_TRUE(m->index(2, 0).data(Qt::TextAlignmentRole).toInt() & Qt::AlignLeft);
    EXPECT_LT(grid(w)->fontMetrics().horizontalAdvance("28 Dec 2004") + 4, grid(w)->columnWidth(2))
        << "a date is readable whole";

    ScriptedFiles files;
    files.exportName = db.folder() + "/history.csv";
    clickButton(w, "cmdExport");
    const QStringList lines = files.exported().split("\r\n");
    ASSERT_EQ(lines.size(), 15); // the header, 13 rows, the empty end
    EXPECT_EQ(lines[1], "\"T1\",\"INV-1\",\"2004-01-05\",\"Cash sale\",\"1000\",\"Cash\","
                        "\"1250.50\",\"\"");
    EXPECT_EQ(lines[13], "\"Grand Total\",\"\",\"\",\"\",\"\",\"\",\"1625.75\",\"1625.75\"");

    selectRange(w, [](QWidget* d) { // on the range shown
        EXPECT_EQ(child<DateField>(d, "dtpFrom")->date(), QDate(2004, 1, 1));
        EXPECT_EQ(child<DateField>(d, "dtpTo")->date(), QDate(2004, 1, 31));
        child<DateField>(d, "dtpFrom")->setDate(QDate(2005, 1, 1));
        clickButton(d, "cmdCancel");
    });
    EXPECT_EQ(rows(w), 13) << "a cancelled selection keeps the grid";
    EXPECT_TRUE(ui.asked().empty());

    dates(w, QDate(2004, 1, 31), QDate(2004, 1, 1)); // reversed: nothing between
    EXPECT_EQ(rows(w), 0);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"No data."});
}

// The month and year chosen in each browser's dialog reach its query: with the year
// starting in April, "February" of the current-year ledger is period 11 of the open
// year 2004, January 2003 is period 10 of fiscal year 2003.
TEST_F(HistoryWindows, TheLedgerAndBalanceBrowsersShowWhatTheirDialogsChose) {
    struct Case {
        const char* item;
        QString month;
        int year, rows;
        QStringList first;
    } cases[] = {
        {"mnuLedgerHistoryCurrent", "February 2005", 0, 5, {"2004", "11", "1000", "Cash"}},
        {"mnuLedgerHistory", "January", 2003, 5, {"2003", "10", "1000", "Cash"}},
        {"mnuBalanceHistory", QString(), 2003, 4, {"2003"}}, // the accounts in no order
    };
    for (const Case& c : cases) {
        QWidget* w = open(c.item);
        choose(w, c.month, c.year);
        ASSERT_EQ(rows(w), c.rows) << c.item;
        EXPECT_EQ(rowTexts(w, 0).mid(0, c.first.size()), c.first) << c.item;
    }
    EXPECT_TRUE(ui.asked().empty());
}

// "Accou&nt Card" on the account list, a double click or Enter with Shift on a row, and
// Ledger → Account Card with that list active each open the card of the row's account on
// the open fiscal year, named in its title. "&Select Range" on the card offers that
// account and year. With no account list the card asks for the account first; "&Print"
// shows the card as a report.
TEST_F(HistoryWindows, TheAccountCardOpensOnTheAccountOfTheList) {
    QWidget* list = open("mnuLedgerAccount");
    QTableView* accounts = grid(list);
    const int bankRow = int(column(list, 0).indexOf("1100"));
    ASSERT_GE(bankRow, 0);
    accounts->selectRow(bankRow);
    auto* listWindow = qobject_cast<QMdiSubWindow*>(list->parentWidget());
    const QString bankCard = QString::fromUtf8("Account Card — 1100 Bank");
    const auto lastTitle = [this] {
        return main.mdiArea()->subWindowList().last()->widget()->windowTitle();
    };

    clickButton(list, "cmdOps_4");
    QWidget* card = main.mdiArea()->subWindowList().last()->widget();
    EXPECT_EQ(card->windowTitle(), bankCard);
    // A bank account's card imports its statement with the account chosen.
    EXPECT_TRUE(child<QPushButton>(card, "cmdImportStatement")->isVisible());
    QString chosen;
    onNextModal([&](QWidget* d) {
        chosen = child<QComboBox>(d, "cmbAccount")->currentData().toString();
        d->close();
    });
    clickButton(card, "cmdImportStatement");
    EXPECT_EQ(chosen, "1100");
    // Fiscal year 2004 holds no line of Bank: its beginning balance and the total.
    ASSERT_EQ(rows(card), 2);
    EXPECT_EQ(cell(card, 0, 0), "1 Apr 2004");
    EXPECT_EQ(cell(card, 0, 3), "Beginning balance");
    selectRange(card, [](QWidget* d) {
        EXPECT_EQ(child<QComboBox>(d, "cmbAccount")->currentText(), "1100 \u2014 Bank");
        EXPECT_EQ(child<DateField>(d, "dtpFrom")->date(), QDate(2004, 4, 1));
        EXPECT_EQ(child<DateField>(d, "dtpTo")->date(), QDate(2005, 3, 31));
        child<DateField>(d, "dtpFrom")->setDate(QDate(2004, 1, 1));
        clickButton(d, "cmdOk");
        if (d->isVisible()) // refused: close it so that the test goes on
            d->close();
    });
    EXPECT_EQ(card->windowTitle(), bankCard);
    EXPECT_EQ(column(card, 1), (QStringList{"", "T3", "T5", ""})) << "Bank's closed lines";

    main.mdiArea()->setActiveSubWindow(listWindow);
    const QRect rowRect = accounts->visualRect(accounts->model()->index(bankRow, 1));
    QTest::mouseDClick(accounts->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowRect.center());
    EXPECT_EQ(lastTitle(), bankCard);
    main.mdiArea()->setActiveSubWindow(listWindow);
    const qsizetype before = main.mdiArea()->subWindowList().size();
    QTest::keyClick(accounts, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(main.mdiArea()->subWindowList().size(), before + 1);
    EXPECT_EQ(lastTitle(), bankCard);
    main.mdiArea()->setActiveSubWindow(listWindow);
    main.action("mnuAccountCard")->trigger();
    EXPECT_EQ(lastTitle(), bankCard);

    // From the closed January 2004 with the card asking: Sales, credited twice.
    main.mdiArea()->closeAllSubWindows();
    pumpEvents();
    onNextModal([&](QWidget* d) {
        auto* account = child<QComboBox>(d, "cmbAccount");
        EXPECT_EQ(account->currentIndex(), -1);
        clickButton(d, "cmdOk");
        EXPECT_EQ(ui.messageBoxes().back(), "Choose an account.");
        setDates(d, QDate(2004, 1, 1), QDate(2004, 1, 31));
        d->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(d));
        account->setFocus();
        pressKeys(d, "ale<Enter>"); // takes "4000 — Sales" and confirms
    });
    main.action("mnuAccountCard")->trigger();
    card = main.mdiArea()->subWindowList().last()->widget();
    EXPECT_EQ(card->windowTitle(), QString::fromUtf8("Account Card — 4000 Sales"));
    EXPECT_FALSE(child<QPushButton>(card, "cmdImportStatement")->isVisible());
    EXPECT_EQ(rowTexts(card, rows(card) - 1),
              (QStringList{"", "", "", "Total", "", "", "1,550.50", "-1,550.50"}));

    QString report;
    onNextModal([&](QWidget* viewer) {
        report = child<QTextEdit>(viewer, "rtfReport")->toPlainText();
        viewer->close();
    });
    clickButton(card, "cmdPrint");
    for (const char* line :
         {"Account: 4000 Sales", "From date 01-Jan-2004 to 31-Jan-2004",
          "05/01/04 T1        Cash sale                              1,250.50     -1,250.50",
          "                   Total                                  1,550.50     -1,550.50"})
        EXPECT_TRUE(report.contains(QString::fromLatin1(line))) << line;
}

// A click on a column header sorts by the column's kind (dates as dates, amounts as
// amounts), again the other way; total rows stand aside while sorted or filtered. The
// filter box (Ctrl+F) keeps the rows containing its text; Up in it walks the rows. Edit
// opens the row selected in what is shown.
TEST_F(HistoryWindows, ListsAndBrowsersSortAndFilterInTheView) {
    Books books(db);
    // Dates whose short texts sort otherwise than the days: 12/1/04, 4/2/04, 1/15/05.
    for (const auto& [no, day] :
         {std::pair{"J1", QDate(2004, 12, 1)}, std::pair{"J2", QDate(2004, 4, 2)},
          std::pair{"J3", QDate(2005, 1, 15)}})
        books.addTransaction(no, day, {{"1000", "1"}, {"4000", "-1"}}, "S", "D");
    QWidget* list = open("mnuTrxs");
    clickHeader(list, 0);
    EXPECT_EQ(column(list, 1), (QStringList{"J2", "J1", "J3"}));
    clickHeader(list, 0);
    EXPECT_EQ(column(list, 1), (QStringList{"J3", "J1", "J2"}));
    grid(list)->selectRow(2);
    grid(list)->setCurrentIndex(grid(list)->model()->index(2, 0));
    QString edited;
    onNextModal([&](QWidget* editor) {
        edited = child<QLineEdit>(editor, "txtTransactionNo")->text();
        clickButton(editor, "cmdCancel");
    });
    clickButton(list, "cmdOps_1");
    EXPECT_EQ(edited, "J2");

    QWidget* w = open("mnuTrxHistory");
    dates(w, QDate(2004, 1, 1), QDate(2004, 1, 31));
    ASSERT_EQ(rows(w), 13);
    clickHeader(w, 6);
    EXPECT_EQ(column(w, 6), (QStringList{"", "", "", "", "0.25", "75.00", "300.00", "1,250.50"}));
    clickHeader(w, 6);
    EXPECT_EQ(column(w, 6).first(), "1,250.50");

    auto* filter = child<QLineEdit>(w, "txtFilter");
    QApplication::setActiveWindow(&main);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    grid(w)->setFocus();
    QTest::keyClick(grid(w), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), filter);
    QTest::keyClicks(filter, "sales");
    EXPECT_EQ(column(w, 5), (QStringList{"Sales", "Sales"}));
    QTest::keyClick(filter, Qt::Key_Escape);
    EXPECT_EQ(filter->text(), "");
    EXPECT_EQ(rows(w), 8) << "still sorted: no total rows";
    grid(w)->setCurrentIndex(grid(w)->model()->index(3, 0));
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), grid(w));
    EXPECT_EQ(grid(w)->currentIndex().row(), 2);
}
