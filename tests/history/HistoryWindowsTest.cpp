#include "HistoryFixture.h"
#include "app/frmMain.h"
#include "data/modDBUtil.h"
#include "history/frmHistoryBrowser.h"
#include "support/GuiHelpers.h"
#include "support/ScriptedFiles.h"
#include "support/ScriptedUi.h"
#include "support/TestDatabase.h"
#include "widgets/Twips.h"

#include "widgets/DateField.h"
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

namespace {

// The program's main window over the fixture books; the browsers are opened from its
// "H&istory" menu as the user opens them.
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

    frmHistoryBrowser* open(const char* menuItem) {
        const int before = int(main.mdiArea()->subWindowList().size());
        QAction* a = main.action(menuItem);
        EXPECT_NE(a, nullptr) << menuItem;
        if (!a)
            return nullptr;
        a->trigger();
        const QList<QMdiSubWindow*> subs = main.mdiArea()->subWindowList();
        EXPECT_EQ(int(subs.size()), before + 1) << menuItem;
        return qobject_cast<frmHistoryBrowser*>(subs.last()->widget());
    }

    static QTableView* grid(QWidget* w) { return child<QTableView>(w, "grdData"); }
    static int rows(QWidget* w) { return grid(w)->model()->rowCount(); }
    static QString cell(QWidget* w, int row, int column) {
        QAbstractItemModel* m = grid(w)->model();
        return m->data(m->index(row, column)).toString();
    }
    static QStringList rowTexts(QWidget* w, int row) {
        QStringList out;
        for (int c = 0; c < grid(w)->model()->columnCount(); ++c)
            out << cell(w, row, c);
        return out;
    }
    static QStringList captions(QWidget* w) {
        QStringList out;
        QAbstractItemModel* m = grid(w)->model();
        for (int c = 0; c < m->columnCount(); ++c)
            out << m->headerData(c, Qt::Horizontal).toString();
        return out;
    }

    // "&Select Range", answered in the dialog by `answer`.
    static void selectRange(QWidget* w, std::function<void(QWidget*)> answer) {
        bool answered = false;
        onNextModal([&](QWidget* d) {
            EXPECT_EQ(d->windowTitle(), "Select Range");
            answer(d);
            answered = true;
        });
        clickButton(w, "cmdOps_0");
        EXPECT_TRUE(answered);
    }
    static void dates(QWidget* w, QDate from, QDate to) {
        selectRange(w, [=](QWidget* d) {
            child<zelk::controls::DateField>(d, "dtpFrom")->setDate(from);
            child<zelk::controls::DateField>(d, "dtpTo")->setDate(to);
            clickButton(d, "cmdOk");
        });
    }
    static void pick(QWidget* d, const QString& month, int year) {
        if (!month.isEmpty()) {
            auto* cmb = child<QComboBox>(d, "cmbMonth");
            cmb->setCurrentIndex(cmb->findText(month, Qt::MatchStartsWith));
        }
        if (year > 0) {
            auto* lst = child<QListWidget>(d, "lstYear");
            lst->setCurrentRow(year - 1980);
        }
        clickButton(d, "cmdOk");
    }
    static void choose(QWidget* w, const QString& month, int year = 0) {
        selectRange(w, [=](QWidget* d) { pick(d, month, year); });
    }
};

} // namespace

// Each menu item opens one more browser of its kind, with its caption; the command frame
// holds "&Select Range" and "&Close" as designed; the grid shows the designed captions
// and widths after a narrow unlabelled fixed column, and stays empty until a range is
// chosen.
TEST_F(HistoryWindows, TheHistoryMenuOpensEachBrowser) {
    struct Expect {
        const char* item;
        const char* name;
        const char* caption;
        int columns;
    };
    for (const Expect& e :
         {Expect{"mnuTrxHistory", "frmLedgerTrxHists", "Transaction History", 8},
          Expect{"mnuLedgerHistoryCurrent", "frmLedgerGeneralHistsCurrent",
                 "Ledger History — current year", 6},
          Expect{"mnuLedgerHistory", "frmLedgerGeneralHists", "Ledger History — previous years", 6},
          Expect{"mnuBalanceHistory", "frmLedgerBalanceHists", "Balance History", 16}}) {
        SCOPED_TRACE(e.name);
        frmHistoryBrowser* w = open(e.item);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->objectName(), e.name);
        EXPECT_EQ(w->windowTitle(), e.caption);
        EXPECT_EQ(rows(w), 0);
        EXPECT_EQ(grid(w)->model()->columnCount(), e.columns);

        auto* fra = child<QGroupBox>(w, "fraCommand");
        auto* select = child<QPushButton>(fra, "cmdOps_0");
        auto* close = child<QPushButton>(fra, "cmdOps_1");
        EXPECT_EQ(select->text(), "&Select Range");
        EXPECT_EQ(close->text(), "&Close");
        EXPECT_EQ(select->geometry(), QRect(twips(48), twips(144), twips(1476), twips(492)));
        EXPECT_EQ(close->geometry(), QRect(twips(1560), twips(144), twips(1476), twips(492)));

        const zelk::history::BrowserDesign& d = w->browser().browserDesign();
        QStringList designed;
        for (size_t c = 0; c < d.columns.size(); ++c) {
            designed << d.columns[c].caption;
            // As designed, or wider where the caption needs it: every caption shows whole.
            const int width = grid(w)->columnWidth(int(c));
            EXPECT_GE(width, twips(d.columns[c].widthTwips));
            EXPECT_GT(width, grid(w)->horizontalHeader()->fontMetrics().horizontalAdvance(
                                 d.columns[c].caption))
                << d.columns[c].caption.toStdString();
        }
        EXPECT_EQ(captions(w), designed);
        EXPECT_EQ(grid(w)->verticalHeader()->width(), twips(252));
    }
    EXPECT_EQ(captions(open("mnuTrxHistory")),
              (QStringList{"Trx No.", "Source", "Date", "Description", "Account No", "Account Name",
                           "Debit", "Credit"}));
    EXPECT_EQ(main.mdiArea()->subWindowList().size(), 5) << "a second transaction history";
    EXPECT_TRUE(ui.asked().empty());
}

// The command frame spans the top, the filter box below it; the grid takes the rest of
// the window as it resizes.
TEST_F(HistoryWindows, TheGridFillsTheWindowBelowTheCommandFrame) {
    frmHistoryBrowser* w = open("mnuBalanceHistory");
    ASSERT_NE(w, nullptr);
    for (QSize size : {QSize(700, 420), QSize(500, 300)}) {
        w->parentWidget()->resize(size);
        pumpEvents();
        auto* fra = child<QGroupBox>(w, "fraCommand");
        EXPECT_EQ(fra->geometry().topLeft(), QPoint(0, 0));
        EXPECT_EQ(fra->width(), w->width());
        const int top = fra->height() + child<QLineEdit>(w, "txtFilter")->height();
        EXPECT_EQ(grid(w)->geometry(), QRect(0, top, w->width(), w->height() - top));
    }
}

// A date range through the dialog: the January lines with a Total after each
// transaction (T1 and T2 share a description, T3 and T4 have none) and the Grand Total;
// total rows are bold. Cancelling the next selection keeps the grid; a range without
// lines empties it and tells "No data.".
TEST_F(HistoryWindows, TransactionHistoryThroughTheDialog) {
    frmHistoryBrowser* w = open("mnuTrxHistory");
    ASSERT_NE(w, nullptr);
    dates(w, QDate(2004, 1, 1), QDate(2004, 1, 31));
    ASSERT_EQ(rows(w), 13);
    EXPECT_EQ(rowTexts(w, 0),
              (QStringList{"T1", "INV-1", "05/01/04", "Cash sale", "1000", "Cash", "1,250.5", ""}));
    EXPECT_EQ(rowTexts(w, 2), (QStringList{"Total", "", "", "", "", "", "1,250.5", "1,250.5"}));
    EXPECT_EQ(rowTexts(w, 5), (QStringList{"Total", "", "", "", "", "", "300", "300"}));
    EXPECT_EQ(rowTexts(w, 7), (QStringList{"", "", "", "", "1100", "Bank", "", "75"}));
    EXPECT_EQ(rowTexts(w, 12),
              (QStringList{"Grand Total", "", "", "", "", "", "1,625.75", "1,625.75"}));
    QAbstractItemModel* m = grid(w)->model();
    EXPECT_TRUE(m->data(m->index(2, 0), Qt::FontRole).value<QFont>().bold());
    EXPECT_TRUE(m->data(m->index(12, 6), Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(m->data(m->index(0, 0), Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(m->data(m->index(0, 6), Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
              int(Qt::AlignRight));
    EXPECT_EQ(m->data(m->index(2, 0), Qt::TextAlignmentRole).toInt() & Qt::AlignLeft,
              int(Qt::AlignLeft));
    // A date is readable whole in the designed Date column.
    EXPECT_LT(grid(w)->fontMetrics().horizontalAdvance(cell(w, 0, 2)) + 4, grid(w)->columnWidth(2));
    EXPECT_EQ(captions(w), (QStringList{"Trx No.", "Source", "Date", "Description", "Account No",
                                        "Account Name", "Debit", "Credit"}))
        << "the designed captions, not the query's field names";
    EXPECT_TRUE(ui.asked().empty());

    // Export…: the rows as shown, dates as dates, amounts as plain numbers.
    ScriptedFiles files;
    files.exportName = db.folder() + "/history.csv";
    clickButton(w, "cmdExport");
    const QStringList lines = files.exported().split("\r\n");
    ASSERT_EQ(lines.size(), 15); // the header, 13 rows, the empty end
    EXPECT_EQ(lines[1], "\"T1\",\"INV-1\",\"2004-01-05\",\"Cash sale\",\"1000\",\"Cash\","
                        "\"1250.50\",\"\"");
    EXPECT_EQ(lines[13], "\"Grand Total\",\"\",\"\",\"\",\"\",\"\",\"1625.75\",\"1625.75\"");

    selectRange(w, [](QWidget* d) {
        child<zelk::controls::DateField>(d, "dtpFrom")->setDate(QDate(2005, 1, 1));
        clickButton(d, "cmdCancel");
    });
    EXPECT_EQ(rows(w), 13) << "a cancelled selection keeps the grid";
    EXPECT_EQ(cell(w, 12, 0), "Grand Total");
    EXPECT_TRUE(ui.asked().empty());

    dates(w, QDate(2004, 1, 31), QDate(2004, 1, 1)); // reversed: nothing between
    EXPECT_EQ(rows(w), 0);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"No data."});
    EXPECT_EQ(ui.asked().back().title, "Zelk");
}

// With the year starting in April, "February" in the current-year ledger is period 11
// of the open year 2004.
TEST_F(HistoryWindows, CurrentYearLedgerOfFebruary) {
    frmHistoryBrowser* w = open("mnuLedgerHistoryCurrent");
    ASSERT_NE(w, nullptr);
    choose(w, "February 2005");
    ASSERT_EQ(rows(w), 5);
    EXPECT_EQ(rowTexts(w, 0), (QStringList{"2004", "11", "1000", "Cash", "120.4", "500"}));
    EXPECT_EQ(rowTexts(w, 3), (QStringList{"", "", "6000", "Rent", "", "120.4"}));
    EXPECT_EQ(rowTexts(w, 4), (QStringList{"Total", "", "", "", "620.4", "620.4"}));
    EXPECT_TRUE(ui.asked().empty());
}

// The previous years' ledger: January 2003 is period 10 of fiscal year 2003; a year
// without closed rows has "No data." and leaves the grid empty.
TEST_F(HistoryWindows, PreviousYearsLedgerOfAMonthAndYear) {
    frmHistoryBrowser* w = open("mnuLedgerHistory");
    ASSERT_NE(w, nullptr);
    choose(w, "January", 2003);
    ASSERT_EQ(rows(w), 5);
    EXPECT_EQ(rowTexts(w, 0), (QStringList{"2003", "10", "1000", "Cash", ".25", "1,550.5"}));
    EXPECT_EQ(rowTexts(w, 4), (QStringList{"Total", "", "", "", "1,625.75", "1,625.75"}));
    EXPECT_TRUE(ui.asked().empty());

    choose(w, "January", 2001);
    EXPECT_EQ(rows(w), 0);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"No data."});
}

// The balance history of 2003: four accounts, the year on the first row, no totals.
// The rows are a snapshot: a commit elsewhere does not change them; choosing again does.
TEST_F(HistoryWindows, BalanceHistoryKeepsItsSnapshot) {
    frmHistoryBrowser* w = open("mnuBalanceHistory");
    ASSERT_NE(w, nullptr);
    choose(w, QString(), 2003);
    ASSERT_EQ(rows(w), 4);
    EXPECT_EQ(cell(w, 0, 0), "2003");
    for (int r = 1; r < 4; ++r)
        EXPECT_EQ(cell(w, r, 0), "") << r;
    QStringList accounts;
    for (int r = 0; r < 4; ++r)
        accounts << cell(w, r, 1);
    accounts.sort();
    EXPECT_EQ(accounts, (QStringList{"1000", "1100", "4000", "6000"}));

    db.cnn().beginTrans();
    db.exec(modDBUtil::InsertAccount("1200", "Petty cash", 1, QString()));
    db.exec(modDBUtil::InsertAccountBalanceHistory("1200", 2003, zelk::Amount::fromUnits(40), {}));
    db.cnn().commitTrans();
    pumpEvents();
    EXPECT_EQ(rows(w), 4) << "the browser keeps what it read";

    choose(w, QString(), 2003);
    EXPECT_EQ(rows(w), 5);
    EXPECT_TRUE(ui.asked().empty());
}

// A failing query shows the database error report, and the grid keeps its rows.
TEST_F(HistoryWindows, AFailingQueryKeepsTheGrid) {
    frmHistoryBrowser* w = open("mnuLedgerHistory");
    ASSERT_NE(w, nullptr);
    choose(w, "January", 2003);
    ASSERT_EQ(rows(w), 5);
    db.exec("ALTER TABLE Ledger_GeneralHistories RENAME TO Gone");
    ui.answerDialog(zelk::Retry);
    choose(w, "January", 2002);
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_EQ(ui.dialogs()[0].title, "DB Error");
    EXPECT_TRUE(ui.dialogs()[0].text.startsWith("Error: 1\r\nSource: Zelk database\r\nDesc: "));
    EXPECT_EQ(rows(w), 5);
    EXPECT_EQ(cell(w, 0, 0), "2003");
}

// "&Close" closes the browser's window.
TEST_F(HistoryWindows, CloseClosesTheBrowser) {
    QPointer<frmHistoryBrowser> w = open("mnuTrxHistory");
    ASSERT_TRUE(w);
    open("mnuBalanceHistory");
    clickButton(w, "cmdOps_1");
    pumpEvents();
    EXPECT_TRUE(w.isNull());
    ASSERT_EQ(main.mdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(main.mdiArea()->subWindowList()[0]->widget()->objectName(), "frmLedgerBalanceHists");
}

// "Accou&nt Card" on the account list, a double click or Enter with Shift on a row, and
// Ledger → Account
// Card with that list active each open the card of the row's account on the open
// fiscal year, named in its title. With no account list the card asks for the account first.
TEST_F(HistoryWindows, TheAccountCardOpensOnTheAccountOfTheList) {
    main.action("mnuLedgerAccount")->trigger();
    QWidget* list = main.mdiArea()->subWindowList().last()->widget();
    auto* rowsOfList = grid(list);
    int bankRow = -1;
    for (int r = 0; r < rows(list); ++r)
        if (cell(list, r, 0) == "1100")
            bankRow = r;
    ASSERT_GE(bankRow, 0);
    rowsOfList->selectRow(bankRow);

    const auto lastCard = [this]() -> frmHistoryBrowser* {
        return qobject_cast<frmHistoryBrowser*>(main.mdiArea()->subWindowList().last()->widget());
    };
    clickButton(list, "cmdOps_4");
    frmHistoryBrowser* card = lastCard();
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->objectName(), "frmAccountCard");
    EXPECT_EQ(card->windowTitle(), QString::fromUtf8("Account Card — 1100 Bank"));
    // Fiscal year 2004 holds no line of Bank: its beginning balance and the total.
    EXPECT_EQ(rows(card), 2);
    EXPECT_EQ(cell(card, 0, 3), "Beginning balance");
    EXPECT_EQ(cell(card, 0, 0), "01/04/04");

    main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(list->parentWidget()));
    const QRect rowRect = rowsOfList->visualRect(rowsOfList->model()->index(bankRow, 1));
    QTest::mouseDClick(rowsOfList->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowRect.center());
    EXPECT_EQ(lastCard()->windowTitle(), QString::fromUtf8("Account Card — 1100 Bank"));

    main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(list->parentWidget()));
    const int open = int(main.mdiArea()->subWindowList().size());
    QTest::keyClick(rowsOfList, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(int(main.mdiArea()->subWindowList().size()), open + 1);
    EXPECT_EQ(lastCard()->windowTitle(), QString::fromUtf8("Account Card — 1100 Bank"));

    main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(list->parentWidget()));
    main.action("mnuAccountCard")->trigger();
    EXPECT_EQ(lastCard()->windowTitle(), QString::fromUtf8("Account Card — 1100 Bank"));

    // From the closed January 2004 with the card asking: Sales, credited twice.
    main.mdiArea()->closeAllSubWindows();
    pumpEvents();
    bool asked = false;
    onNextModal([&](QWidget* d) {
        asked = true;
        auto* account = child<QComboBox>(d, "cmbAccount");
        EXPECT_EQ(account->currentIndex(), -1);
        clickButton(d, "cmdOk");
        EXPECT_EQ(ui.messageBoxes().back(), "Choose an account.");
        account->setFocus();
        QTest::keyClicks(account, "Sales");
        EXPECT_EQ(account->currentText(), "Sales (4000)");
        child<zelk::controls::DateField>(d, "dtpFrom")->setDate(QDate(2004, 1, 1));
        child<zelk::controls::DateField>(d, "dtpTo")->setDate(QDate(2004, 1, 31));
        QTest::keyClick(d, Qt::Key_Return);
    });
    main.action("mnuAccountCard")->trigger();
    ASSERT_TRUE(asked);
    card = lastCard();
    EXPECT_EQ(card->windowTitle(), QString::fromUtf8("Account Card — 4000 Sales"));
    EXPECT_EQ(rowTexts(card, rows(card) - 1),
              (QStringList{"", "", "", "Total", "", "", "1,550.5", "-1,550.50"}));

    // "&Print": the card as a report of 80 characters a line, in the viewer.
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

namespace {
void clickHeader(QTableView* grid, int column) {
    QHeaderView* header = grid->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
}
QStringList columnTexts(QTableView* grid, int column) {
    QStringList out;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        out << grid->model()->index(r, column).data().toString();
    return out;
}
} // namespace

// A click on a column header sorts by the column's kind (dates as dates, amounts as
// amounts), again the other way; total rows stand aside while sorted or filtered. The
// filter box (Ctrl+F) keeps the rows containing its text; Edit opens the row selected
// in what is shown.
TEST_F(HistoryWindows, ListsAndBrowsersSortAndFilterInTheView) {
    using namespace modDBUtil;
    // Dates whose short texts sort otherwise than the days: 12/1/04, 4/2/04, 1/15/05.
    for (const auto& [no, day] :
         {std::pair{"J1", QDate(2004, 12, 1)}, std::pair{"J2", QDate(2004, 4, 2)},
          std::pair{"J3", QDate(2005, 1, 15)}}) {
        db.exec(InsertTransaction(no, "S", "D", day, false));
        db.exec(InsertTransactionDetail(no, "1000", 1, historyfixture::money("1")));
        db.exec(InsertTransactionDetail(no, "4000", 2, historyfixture::money("-1")));
    }
    main.action("mnuTrxs")->trigger();
    QWidget* list = main.mdiArea()->subWindowList().last()->widget();
    clickHeader(grid(list), 0);
    EXPECT_EQ(columnTexts(grid(list), 1), (QStringList{"J2", "J1", "J3"}));
    clickHeader(grid(list), 0);
    EXPECT_EQ(columnTexts(grid(list), 1), (QStringList{"J3", "J1", "J2"}));
    grid(list)->selectRow(2);
    grid(list)->setCurrentIndex(grid(list)->model()->index(2, 0));
    QString edited;
    onNextModal([&](QWidget* editor) {
        edited = child<QLineEdit>(editor, "txtTransactionNo")->text();
        clickButton(editor, "cmdCancel");
    });
    clickButton(list, "cmdOps_1");
    EXPECT_EQ(edited, "J2");

    frmHistoryBrowser* w = open("mnuTrxHistory");
    dates(w, QDate(2004, 1, 1), QDate(2004, 1, 31));
    ASSERT_EQ(rows(w), 13);
    clickHeader(grid(w), 6);
    EXPECT_EQ(columnTexts(grid(w), 6),
              (QStringList{"", "", "", "", ".25", "75", "300", "1,250.5"}));
    clickHeader(grid(w), 6);
    EXPECT_EQ(columnTexts(grid(w), 6).first(), "1,250.5");

    auto* filter = child<QLineEdit>(w, "txtFilter");
    QApplication::setActiveWindow(&main);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    grid(w)->setFocus();
    QTest::keyClick(grid(w), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), filter);
    QTest::keyClicks(filter, "sales");
    EXPECT_EQ(columnTexts(grid(w), 5), (QStringList{"Sales", "Sales"}));
    QTest::keyClick(filter, Qt::Key_Escape);
    EXPECT_EQ(filter->text(), "");
    EXPECT_EQ(rows(w), 8) << "still sorted: no total rows";
    // Up in the filter walks the rows from the current one.
    grid(w)->setCurrentIndex(grid(w)->model()->index(3, 0));
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), grid(w));
    EXPECT_EQ(grid(w)->currentIndex().row(), 2);
}
