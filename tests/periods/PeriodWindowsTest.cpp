#include "support/Books.h"
#include "support/GuiHelpers.h"
#include "ui/periods/frmPeriodWindows.h"
#include "ui/shell/frmMain.h"

#include "ui/widgets/DateField.h"
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using zelk::controls::DateField;
using zelk::periods::RunOutcome;

namespace {

// April fiscal year 2003 with a few accounts and three transactions in May.
class PeriodWindows : public ::testing::Test {
protected:
    TestDatabase db;
    Books books{db};
    ScriptedUi ui;

    void SetUp() override {
        books.newCompany(4, 2003);
        books.addAccount("1000", 1, "100");
        books.addAccount("4000", 4, "-100");
        books.addAccount("5000", 5);
        books.addTransaction("T1", QDate(2003, 5, 2), {{"1000", "10"}, {"5000", "-10"}});
        books.addTransaction("T2", QDate(2003, 5, 3), {{"1000", "20"}, {"5000", "-20"}});
        books.addTransaction("T3", QDate(2003, 5, 4), {{"1000", "30"}, {"5000", "-30"}});
    }
    // Records whether OK was enabled at each value the progress bar takes.
    static void recordOk(QDialog& window, std::vector<bool>& enabled) {
        auto* ok = child<QPushButton>(&window, "cmdOk");
        QObject::connect(child<QProgressBar>(&window, "pbStatus"), &QProgressBar::valueChanged,
                         &window, [&enabled, ok](int) { enabled.push_back(ok->isEnabled()); });
    }
    // Clicks OK: whether OK was enabled at each value the progress bar took.
    static std::vector<bool> okAtEachStep(QDialog& window) {
        std::vector<bool> enabled;
        recordOk(window, enabled);
        clickButton(&window, "cmdOk");
        return enabled;
    }
};

} // namespace

// Each menu command opens its window modally over the main window. Cancel asks first:
// answered No the window stays, Yes closes it without a run.
TEST_F(PeriodWindows, EachMenuCommandOpensItsWindowAndCancelClosesIt) {
    frmMain main;
    const struct {
        qint16 command;
        const char* name;
        const char* cancelTitle;
        QDate to = {}; // where a date range ends at first
    } windows[] = {
        // the last day of the last month with unposted transactions; with no posted one, today
        {2, "frmPostTrxs", "Post Transaction", QDate(2003, 5, 31)},
        {13, "frmRevertPostings", "Revert Postings", QDate::currentDate()},
        {3, "frmEndMonth", "End Month"},
        {14, "frmRevertEndMonth", "Revert End Month"},
        {4, "frmEndYear", "End Year"},
        {15, "frmRevertEndYear", "Revert End Year"}};
    const QByteArray before = db.fileBytes();
    for (const auto& w : windows) {
        SCOPED_TRACE(w.name);
        bool seen = false;
        onNextModal([&](QWidget* d) {
            seen = true;
            EXPECT_EQ(d->objectName(), w.name);
            EXPECT_EQ(d->parentWidget(), &main);
            // a date range starts on the first day of the open fiscal year
            if (auto* from = d->findChild<DateField*>("dtpFrom")) {
                EXPECT_EQ(from->date(), QDate(2003, 4, 1));
                EXPECT_EQ(child<DateField>(d, "dtpTo")->date(), w.to);
            }
            ui.answerYes(false);
            clickButton(d, "cmdCancel");
            EXPECT_TRUE(d->isVisible());
            ui.answerYes(true);
            clickButton(d, "cmdCancel");
        });
        ui.clear();
        main.ClickMenu(w.command);
        EXPECT_TRUE(seen);
        ASSERT_EQ(ui.asked().size(), 2u);
        EXPECT_EQ(ui.asked()[1].text, "Cancel ?");
        EXPECT_EQ(ui.asked()[1].title, w.cancelTitle);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "stayed open";
    }
    EXPECT_EQ(db.fileBytes(), before);
}

// The dates are typed whole from the first field on: the 31st stays the 31st, a day
// the month lacks is refused as typed and nothing runs until it is mended. OK is disabled
// from the first step, and the window closes after the run.
TEST_F(PeriodWindows, TypedDatesAreTheRangeThatRuns) {
    books.addTransaction("T4", QDate(2003, 5, 31), {{"1000", "5"}, {"5000", "-5"}});
    books.addTransaction("T5", QDate(2003, 6, 1), {{"1000", "5"}, {"5000", "-5"}});
    frmPostTrxs window;
    window.show();
    window.activateWindow();
    pumpEvents(); // the window takes the focus before the user types
    pressKeys(&window, "2003-05-01<Tab>31 Apr 2003<Enter>");
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"31 Apr 2003 is not a date"});
    EXPECT_EQ(books.posted("T1"), false);
    ui.clear();
    std::vector<bool> ok;
    recordOk(window, ok);
    pressKeys(&window, "31 May 2003<Enter>");
    // one value per transaction and one for the posted flags
    EXPECT_EQ(ok, std::vector<bool>(5, false));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Posting transactions is done!"});
    EXPECT_EQ(books.general("1000", 2003, 2), (Books::Totals{money("65"), money("0")}));
    EXPECT_EQ(books.posted("T1"), true);
    EXPECT_EQ(books.posted("T4"), true);
    EXPECT_EQ(books.posted("T5"), false);
}

// The Cancel button (or the close box) is taken while the events of a step are handled:
// confirmed, the run stops at that step's cancel check and rolls back, showing nothing;
// answered No, the run goes on to its end.
TEST_F(PeriodWindows, CancelDuringTheRunStopsItOnlyWhenConfirmed) {
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes);
        ui.clear();
        frmPostTrxs window;
        child<DateField>(&window, "dtpFrom")->setDate(QDate(2003, 5, 1));
        child<DateField>(&window, "dtpTo")->setDate(QDate(2003, 5, 31));
        window.show();
        auto* bar = child<QProgressBar>(&window, "pbStatus");
        QObject* target = yes ? static_cast<QObject*>(child<QPushButton>(&window, "cmdCancel"))
                              : static_cast<QObject*>(&window);
        QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
            if (value == 1)
                QMetaObject::invokeMethod(target, yes ? "click" : "reject", Qt::QueuedConnection);
        });
        const QByteArray before = db.fileBytes();
        ui.answerYes(yes);
        clickButton(&window, "cmdOk");
        EXPECT_FALSE(window.isVisible());
        ASSERT_EQ(ui.asked().size(), yes ? 1u : 2u);
        EXPECT_EQ(ui.asked()[0].text, "Cancel ?");
        if (yes) {
            EXPECT_EQ(bar->value(), 1);
            EXPECT_FALSE(window.running());
            EXPECT_EQ(db.fileBytes(), before);
        } else {
            EXPECT_EQ(ui.asked()[1].text, "Posting transactions is done!");
            EXPECT_EQ(books.posted("T3"), true);
        }
    }
}

// The month is taken from the entry's item data: May is period 2 of this year. End Month
// closes it and Revert End Month opens it again, OK disabled during each run.
TEST_F(PeriodWindows, AMonthIsClosedAndReopenedFromItsWindows) {
    zelk::NoProgress quiet;
    zelk::periods::PostTransactions post(db.cnn(), quiet);
    ASSERT_EQ(post.run(QDate(2003, 5, 1), QDate(2003, 5, 31)), RunOutcome::Done);
    ui.clear();
    {
        frmEndMonth window;
        window.show();
        const QByteArray before = db.fileBytes();
        auto* months = child<QComboBox>(&window, "cmbMonth");
        QTest::keyClick(months, Qt::Key_Return); // Enter in the empty list is OK
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Choose a month."});
        EXPECT_EQ(db.fileBytes(), before);
        ui.clear();
        months->setCurrentIndex(months->findText("May 2003"));
        // a step per transaction, then per ledger row of the period
        EXPECT_EQ(okAtEachStep(window), std::vector<bool>(3 + 3, false));
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"End month is done!"});
        EXPECT_EQ(books.rows("Ledger_Transactions"), 0);
        EXPECT_EQ(books.balance("1000", 2003, 2), money("60"));
    }
    ui.clear();
    frmRevertEndMonth window;
    window.show();
    auto* months = child<QComboBox>(&window, "cmbMonth");
    months->setCurrentIndex(months->findText("May 2003"));
    // a step per history line, then per ledger row
    EXPECT_EQ(okAtEachStep(window), std::vector<bool>(6 + 3, false));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Revert end month is done!"});
    EXPECT_EQ(books.posted("T1"), true);
    EXPECT_EQ(books.rows("Ledger_TransactionHistories"), 0);
}

// Two accounts of the earning class: the chooser lists them. Closed and "Cancel end
// year?" answered Yes, everything closes without a change; OK without a choice says so
// and the chooser stays; the account chosen receives the result.
TEST_F(PeriodWindows, TheEarningAccountIsChosenInTheChooser) {
    books.addAccount("4100", 4, "-50");
    db.exec("DELETE FROM Ledger_Transactions");
    const QByteArray before = db.fileBytes();
    for (const bool cancel : {true, false}) {
        ui.clear();
        frmEndYear window;
        window.show();
        onNextModal([&](QWidget* chooser) {
            auto* list = child<QListWidget>(chooser, "lstEarningAccounts");
            ASSERT_EQ(list->count(), 2);
            EXPECT_EQ(list->item(1)->text(), "4100 - Account 4100");
            if (cancel) {
                ui.answerYes(true);
                return clickButton(chooser, "cmdCancel");
            }
            clickButton(chooser, "cmdOk");
            EXPECT_TRUE(chooser->isVisible());
            list->setCurrentRow(1);
            clickButton(chooser, "cmdOk");
        });
        clickButton(&window, "cmdOk");
        EXPECT_FALSE(window.isVisible());
        if (cancel) {
            EXPECT_EQ(ui.asked().at(0).text, "Cancel end year?");
            EXPECT_EQ(db.fileBytes(), before);
        }
    }
    // 4100 receives its own -50 and the revenue's 0 and expense's 0
    EXPECT_EQ(ui.messageBoxes(),
              (std::vector<QString>{"Please select the earning account.", "End year is done!"}));
    EXPECT_EQ(books.balance("4100", 2004, 0), money("-50"));
}

TEST_F(PeriodWindows, YearEndWindowsStopAtTheirQuestions) {
    const QByteArray before = db.fileBytes();
    {
        // three unposted transactions: Cancel on the question closes the window
        frmEndYear window;
        window.show();
        ui.answerOk(false);
        clickButton(&window, "cmdOk");
        EXPECT_FALSE(window.isVisible());
        ASSERT_EQ(ui.asked().size(), 1u);
        EXPECT_EQ(ui.asked()[0].text, "You have 3 unposted transaction(s).\nAll unposted "
                                      "transaction will be deleted by ending the year.");
    }
    {
        // the first year cannot be reopened; the unposted transactions need no warning,
        // as reverting keeps them
        ui.clear();
        frmRevertEndYear window;
        window.show();
        clickButton(&window, "cmdOk");
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(ui.messageBoxes(),
                  std::vector<QString>{"Can't revert to earlier year than starting period year."});
    }
    EXPECT_EQ(db.fileBytes(), before);
}
