#include "app/frmMain.h"
#include "periods/frmEarningAccounts.h"
#include "periods/frmPeriodWindows.h"
#include "support/Books.h"
#include "support/GuiHelpers.h"

#include "widgets/DateField.h"
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <gtest/gtest.h>

using zelk::periods::RunOutcome;

namespace {

// Handles the modal windows of a test in the order they are shown: each time a dialog
// is shown, the next action runs on it once its modal loop has started. A dialog shown
// again (the chooser after "Cancel end year?" was answered No) takes the next action.
class ModalScript : public QObject {
public:
    ModalScript() { qApp->installEventFilter(this); }
    ~ModalScript() override {
        qApp->removeEventFilter(this);
        EXPECT_TRUE(m_actions.empty()) << m_actions.size() << " scripted window(s) never shown";
    }
    void then(std::function<void(QDialog*)> action) { m_actions.push_back(std::move(action)); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() == QEvent::Show && dialog && dialog->isWindow()) {
            QPointer<QDialog> shown(dialog);
            if (m_actions.empty()) {
                ADD_FAILURE() << "unscripted window " << dialog->objectName().toStdString();
                QTimer::singleShot(0, dialog, [shown] {
                    if (shown)
                        shown->reject();
                });
            } else {
                auto action = std::move(m_actions.front());
                m_actions.pop_front();
                QTimer::singleShot(0, dialog, [shown, action] {
                    if (shown)
                        action(shown);
                });
            }
        }
        return false;
    }

private:
    std::deque<std::function<void(QDialog*)>> m_actions;
};

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
    void postMay(QWidget* window) {
        child<zelk::controls::DateField>(window, "dtpFrom")->setDate(QDate(2003, 5, 1));
        child<zelk::controls::DateField>(window, "dtpTo")->setDate(QDate(2003, 5, 31));
    }
};

struct WindowSpec {
    qint16 command;
    const char* name;
    const char* caption;
    const char* cancelTitle;
};

} // namespace

TEST_F(PeriodWindows, EachMenuCommandOpensItsWindowModallyWithItsControls) {
    frmMain main;
    const WindowSpec windows[] = {{2, "frmPostTrxs", "Post Transactions", "Post Transaction"},
                                  {13, "frmRevertPostings", "Revert Postings", "Revert Postings"},
                                  {3, "frmEndMonth", "End Month", "End Month"},
                                  {14, "frmRevertEndMonth", "Revert End Month", "Revert End Month"},
                                  {4, "frmEndYear", "End Year", "End Year"},
                                  {15, "frmRevertEndYear", "Revert End Year", "Revert End Year"}};
    const QByteArray before = db.fileBytes();
    for (const WindowSpec& w : windows) {
        ModalScript script;
        bool seen = false;
        script.then([&](QDialog* d) {
            seen = true;
            EXPECT_EQ(d->objectName(), w.name);
            EXPECT_EQ(d->windowTitle(), w.caption);
            EXPECT_TRUE(d->isModal());
            EXPECT_EQ(d->parentWidget(), &main);
            child<QGroupBox>(d, "fraDate");
            child<QGroupBox>(d, "fraConfirm");
            EXPECT_EQ(child<QPushButton>(d, "cmdOk")->text(), "&Ok");
            EXPECT_EQ(child<QPushButton>(d, "cmdCancel")->text(), "&Cancel");
            EXPECT_EQ(child<QProgressBar>(d, "pbStatus")->minimum(), 0);
            const QString name = w.name;
            if (name == "frmPostTrxs" || name == "frmRevertPostings") {
                EXPECT_EQ(child<QLabel>(d, "lblFromDate")->text(), "From Date");
                EXPECT_EQ(child<QLabel>(d, "lblToDate")->text(), "To Date");
                // the first day of the open fiscal year, and today
                EXPECT_EQ(child<zelk::controls::DateField>(d, "dtpFrom")->date(),
                          QDate(2003, 4, 1));
                EXPECT_EQ(child<zelk::controls::DateField>(d, "dtpTo")->date(),
                          QDate::currentDate());
                EXPECT_EQ(d->focusWidget(), child<QWidget>(d, "dtpFrom"));
            } else if (name.contains("Month")) {
                EXPECT_EQ(child<QLabel>(d, "lblMonth")->text(), "Month");
                auto* months = child<QComboBox>(d, "cmbMonth");
                ASSERT_EQ(months->count(), 12);
                EXPECT_EQ(months->currentIndex(), -1);
                // the months of the open fiscal year with their calendar years
                EXPECT_EQ(months->itemText(0), "April 2003");
                EXPECT_EQ(months->itemText(10), "February 2004");
                for (int i = 0; i < 12; ++i)
                    EXPECT_EQ(months->itemData(i).toInt(), (i + 3) % 12 + 1);
                EXPECT_EQ(d->focusWidget(), months);
            } else if (name == "frmEndYear") {
                EXPECT_EQ(child<QLabel>(d, "lblEndYear")->text(), "End Year?");
            } else {
                EXPECT_EQ(child<QLabel>(d, "lblRevertEndYear")->text(), "Revert End Year?");
            }
            ui.answerYes(true);
            clickButton(d, "cmdCancel");
        });
        ui.clear();
        main.ClickMenu(w.command);
        EXPECT_TRUE(seen) << w.name;
        ASSERT_EQ(ui.asked().size(), 1u) << w.name;
        EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::YesNo);
        EXPECT_EQ(ui.asked()[0].text, "Cancel ?");
        EXPECT_EQ(ui.asked()[0].title, w.cancelTitle);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << w.name << " stayed open";
    }
    EXPECT_EQ(db.fileBytes(), before);
}

TEST_F(PeriodWindows, CancelAnsweredNoKeepsTheWindowAndYesClosesItWithoutARun) {
    const QByteArray before = db.fileBytes();
    frmPostTrxs window;
    window.show();
    ui.answerYes(false);
    clickButton(&window, "cmdCancel");
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.cancelRequested());
    ui.answerYes(true);
    clickButton(&window, "cmdCancel");
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.cancelRequested());
    EXPECT_FALSE(window.running());
    EXPECT_EQ(ui.asked().size(), 2u);
    EXPECT_EQ(db.fileBytes(), before);
}

// The dates are typed whole from the first field on: the 31st stays the 31st, a day
// the month lacks is refused as typed and nothing runs until it is mended.
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
    pressKeys(&window, "31 May 2003<Enter>");
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Posting transactions is done!"});
    EXPECT_EQ(books.posted("T1"), true);
    EXPECT_EQ(books.posted("T4"), true);
    EXPECT_EQ(books.posted("T5"), false);
}

TEST_F(PeriodWindows, OkIsDisabledAtTheFirstPressAndTheWindowClosesAfterTheRun) {
    frmPostTrxs window;
    postMay(&window);
    window.show();
    auto* ok = child<QPushButton>(&window, "cmdOk");
    auto* bar = child<QProgressBar>(&window, "pbStatus");
    std::vector<bool> okEnabledAtSteps;
    QObject::connect(bar, &QProgressBar::valueChanged,
                     [&](int) { okEnabledAtSteps.push_back(ok->isEnabled()); });
    clickButton(&window, "cmdOk");
    // one value per transaction and one for the posted flags, and OK was disabled at each
    EXPECT_EQ(okEnabledAtSteps, (std::vector<bool>{false, false, false, false}));
    EXPECT_EQ(bar->maximum(), 4);
    EXPECT_EQ(bar->value(), 4);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Posting transactions is done!"});
    for (const char* no : {"T1", "T2", "T3"})
        EXPECT_EQ(books.posted(no), true) << no;
    EXPECT_EQ(books.general("1000", 2003, 2), (Books::Totals{money("60"), money("0")}));
}

// The Cancel button is taken while the events of a step are handled; confirmed, the
// run stops at that step's cancel check and rolls back.
TEST_F(PeriodWindows, CancelConfirmedDuringTheRunRollsItBackAndShowsNothing) {
    frmPostTrxs window;
    postMay(&window);
    window.show();
    auto* bar = child<QProgressBar>(&window, "pbStatus");
    auto* cancel = child<QPushButton>(&window, "cmdCancel");
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        if (value == 1)
            QMetaObject::invokeMethod(cancel, "click", Qt::QueuedConnection);
    });
    const QByteArray before = db.fileBytes();
    ui.answerYes(true);
    clickButton(&window, "cmdOk");
    EXPECT_FALSE(window.isVisible());
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(ui.asked()[0].text, "Cancel ?");
    EXPECT_EQ(ui.asked()[0].title, "Post Transaction");
    EXPECT_EQ(bar->value(), 1);
    EXPECT_FALSE(window.running());
    EXPECT_EQ(db.fileBytes(), before);
}

TEST_F(PeriodWindows, CancelAnsweredNoDuringTheRunLetsItFinish) {
    frmPostTrxs window;
    postMay(&window);
    window.show();
    auto* bar = child<QProgressBar>(&window, "pbStatus");
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        // the close box during a run asks the same question
        if (value == 2)
            QMetaObject::invokeMethod(&window, "reject", Qt::QueuedConnection);
    });
    ui.answerYes(false);
    clickButton(&window, "cmdOk");
    EXPECT_FALSE(window.isVisible());
    ASSERT_EQ(ui.asked().size(), 2u);
    EXPECT_EQ(ui.asked()[0].text, "Cancel ?");
    EXPECT_EQ(ui.asked()[1].text, "Posting transactions is done!");
    EXPECT_EQ(books.posted("T3"), true);
}

TEST_F(PeriodWindows, OkWithoutAMonthDoesNothingAndWithAMonthClosesIt) {
    zelk::NoProgress quiet;
    zelk::periods::PostTransactions post(db.cnn(), quiet);
    ASSERT_EQ(post.run(QDate(2003, 5, 1), QDate(2003, 5, 31)), RunOutcome::Done);
    ui.clear();
    frmEndMonth window;
    window.show();
    const QByteArray before = db.fileBytes();
    auto* months = child<QComboBox>(&window, "cmbMonth");
    QTest::keyClick(months, Qt::Key_Return); // Enter in the empty list is OK
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(child<QPushButton>(&window, "cmdOk")->isEnabled());
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Choose a month."});
    EXPECT_EQ(window.focusWidget(), months);
    EXPECT_EQ(db.fileBytes(), before);

    // the month is taken from the entry's item data: May is period 2 of this year
    ui.clear();
    months->setCurrentIndex(months->findText("May 2003"));
    clickButton(&window, "cmdOk");
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"End month is done!"});
    EXPECT_EQ(books.rows("Ledger_Transactions"), 0);
    EXPECT_EQ(books.balance("1000", 2003, 2), money("60"));
}

// Two accounts of the earning class: the chooser is shown until an account is chosen
// or "Cancel end year?" is answered Yes.
TEST_F(PeriodWindows, TheEarningAccountChooserComesBackUntilAChoice) {
    books.addAccount("4100", 4, "-50");
    db.exec("DELETE FROM Ledger_Transactions");
    frmEndYear window;
    window.show();
    ModalScript script;
    script.then([&](QDialog* chooser) {
        EXPECT_EQ(chooser->objectName(), "frmEarningAccounts");
        EXPECT_EQ(chooser->windowTitle(), "Select Earning Account");
        child<QGroupBox>(chooser, "fraEarningAccounts");
        child<QGroupBox>(chooser, "fraConfirm");
        auto* list = child<QListWidget>(chooser, "lstEarningAccounts");
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->item(0)->text(), "4000 - Account 4000");
        EXPECT_EQ(list->item(1)->text(), "4100 - Account 4100");
        EXPECT_TRUE(list->selectedItems().isEmpty());
        // OK with nothing chosen: a message, and the chooser stays
        clickButton(chooser, "cmdOk");
        EXPECT_TRUE(chooser->isVisible());
        EXPECT_EQ(ui.messageBoxes().back(), "Please select the earning account.");
        EXPECT_EQ(ui.asked().back().title, "Zelk");
        // closed without a choice: "Cancel end year?" answered No brings it back
        ui.answerYes(false);
        clickButton(chooser, "cmdCancel");
    });
    script.then([&](QDialog* chooser) {
        auto* list = child<QListWidget>(chooser, "lstEarningAccounts");
        EXPECT_EQ(list->count(), 2);
        list->setCurrentRow(1);
        clickButton(chooser, "cmdOk");
    });
    clickButton(&window, "cmdOk");
    EXPECT_FALSE(window.isVisible());
    std::vector<QString> texts;
    for (const ScriptedUi::Asked& a : ui.asked())
        texts.push_back(a.text);
    EXPECT_EQ(texts, (std::vector<QString>{"Please select the earning account.", "Cancel end year?",
                                           "End year is done!"}));
    // 4100 receives its own -50 and the revenue's 0 and expense's 0; 4000 carries -100
    EXPECT_EQ(books.balance("4100", 2004, 0), money("-50"));
    EXPECT_EQ(books.balance("4000", 2004, 0), money("-100"));
    EXPECT_EQ(books.openYear(), 2004);
}

TEST_F(PeriodWindows, CancelEndYearAnsweredYesClosesEverythingWithoutAChange) {
    books.addAccount("4100", 4, "-50");
    db.exec("DELETE FROM Ledger_Transactions");
    const QByteArray before = db.fileBytes();
    frmEndYear window;
    window.show();
    ModalScript script;
    script.then([&](QDialog* chooser) {
        ui.answerYes(true);
        clickButton(chooser, "cmdCancel");
    });
    clickButton(&window, "cmdOk");
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.cancelRequested());
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(ui.asked()[0].text, "Cancel end year?");
    EXPECT_EQ(ui.asked()[0].title, "End Year");
    EXPECT_EQ(db.fileBytes(), before);
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
