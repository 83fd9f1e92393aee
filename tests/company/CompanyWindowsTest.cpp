#include "accounts/LedgerFixtures.h"
#include "app/WindowCommands.h"
#include "company/frmCompany.h"
#include "company/frmNewCompany.h"
#include "support/GuiHelpers.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace zelk;

namespace {

void type(QWidget* w, const char* name, const QString& text) {
    auto* edit = child<QLineEdit>(w, name);
    edit->clear();
    QTest::keyClicks(edit, text);
}

void chooseMonth(QWidget* w, const char* name, const QString& month) {
    auto* combo = child<QComboBox>(w, name);
    const int i = combo->findText(month);
    ASSERT_GE(i, 0) << month.toStdString();
    combo->setCurrentIndex(i);
}

void chooseYear(QWidget* w, int year) {
    auto* list = child<QListWidget>(w, "lstStartYear");
    const QList<QListWidgetItem*> found = list->findItems(QString::number(year), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    list->setCurrentItem(found.first());
}

// Opens New Company through its menu command, lets `drive` work the window, and
// returns whether the window was still open after it (the command has returned).
bool runNewCompany(const std::function<void(QWidget*)>& drive) {
    bool stillOpen = false;
    onNextModal([&](QWidget* w) {
        EXPECT_EQ(w->objectName(), "frmNewCompany");
        drive(w);
        stillOpen = w->isVisible();
        if (stillOpen)
            clickButton(w, "cmdCancel");
    });
    windows::openNewCompany(nullptr);
    return stillOpen;
}

} // namespace

TEST(NewCompanyWindow, ListsStartEmptyAndCarryTheirValues) {
    TestDatabase db;
    ScriptedUi ui;
    frmNewCompany w;
    EXPECT_EQ(w.windowTitle(), "New Company");
    auto* years = child<QListWidget>(&w, "lstStartYear");
    ASSERT_EQ(years->count(), 1021);
    EXPECT_EQ(years->item(0)->text(), "1980");
    EXPECT_EQ(years->item(1020)->text(), "3000");
    EXPECT_TRUE(years->selectedItems().isEmpty());
    for (const char* name : {"cmbFinPeriodStart", "cmbPeriodStart"}) {
        auto* months = child<QComboBox>(&w, name);
        ASSERT_EQ(months->count(), 12);
        EXPECT_EQ(months->currentIndex(), -1) << name;
        EXPECT_EQ(months->itemText(0), "January");
        EXPECT_EQ(months->itemText(11), "December");
        for (int i = 0; i < 12; ++i)
            EXPECT_EQ(months->itemData(i).toInt(), i + 1);
    }
    const char* labels[] = {
        "Name:",       "Address:",     "Phone:", "Fax:", "eMail:", "Financial Period Start:",
        "Start Year:", "Start Period:"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(child<QLabel>(&w, QString("lblLabels_%1").arg(i))->text(), labels[i]);
    EXPECT_EQ(child<QPushButton>(&w, "cmdSave")->text(), "&Save");
    EXPECT_EQ(child<QPushButton>(&w, "cmdCancel")->text(), "&Cancel");
}

TEST(NewCompanyWindow, AprilYearStartingInFebruaryEmptiesTheBooks) {
    TestDatabase db;
    ScriptedUi ui;
    fixtures::fillEveryLedgerTable(db);
    ui.answerYes();
    const bool open = runNewCompany([](QWidget* w) {
        type(w, "txtName", "Kestrel Trading");
        type(w, "txtAddress", "1 Harbour Road");
        type(w, "txtPhone", "555-0100");
        type(w, "txteMail", "books@kestrel.example");
        chooseMonth(w, "cmbFinPeriodStart", "April");
        chooseYear(w, 2004);
        chooseMonth(w, "cmbPeriodStart", "February");
        clickButton(w, "cmdSave");
    });
    EXPECT_FALSE(open);
    ASSERT_EQ(ui.asked().size(), 1u); // whether the books may be emptied
    EXPECT_EQ(ui.asked()[0].title, "New Company");
    for (const QString& t : fixtures::ledgerTables())
        EXPECT_EQ(db.count(t), 0) << t.toStdString();
    RowSet c = db.query("SELECT * FROM SYS_Company");
    EXPECT_EQ(c.text("Name"), "Kestrel Trading");
    EXPECT_TRUE(c.isNull("Fax"));
    EXPECT_EQ(c.text("Email"), "books@kestrel.example");
    EXPECT_EQ(c.integer("BeginPeriod"), 11);
    EXPECT_EQ(c.integer("BeginPeriodYear"), 2004);
    EXPECT_EQ(c.integer("CurrentPeriodYear"), 2004);
    EXPECT_EQ(c.integer("FinancialPeriodBegin"), 4);
}

TEST(NewCompanyWindow, StartPeriodOnTheFiscalStartMonthIsPeriodOne) {
    TestDatabase db;
    ScriptedUi ui;
    ui.answerYes();
    runNewCompany([](QWidget* w) {
        type(w, "txtName", "N");
        type(w, "txtAddress", "A");
        type(w, "txtPhone", "P");
        chooseMonth(w, "cmbFinPeriodStart", "July");
        chooseYear(w, 1980);
        chooseMonth(w, "cmbPeriodStart", "July");
        QTest::keyClick(child<QLineEdit>(w, "txtPhone"), Qt::Key_Return); // Enter saves
    });
    EXPECT_EQ(db.scalar("SELECT BeginPeriod FROM SYS_Company"), 1);
    EXPECT_EQ(db.scalar("SELECT CurrentPeriodYear FROM SYS_Company"), 1980);
    EXPECT_EQ(db.scalar("SELECT FinancialPeriodBegin FROM SYS_Company"), 7);
}

TEST(NewCompanyWindow, FixKeepsTheInputAbortAndCancelWriteNothing) {
    TestDatabase db;
    fixtures::fillEveryLedgerTable(db);
    const QByteArray before = db.fileBytes();
    ScriptedUi ui;
    ui.answerDialog(Fix).answerDialog(Abort);
    // Name missing, all three lists unchosen: only the name is reported. Fix stays.
    bool keptInput = false;
    bool open = runNewCompany([&](QWidget* w) {
        type(w, "txtAddress", "A");
        clickButton(w, "cmdSave");
        keptInput = w->isVisible() && child<QLineEdit>(w, "txtAddress")->text() == "A";
    });
    EXPECT_TRUE(open);
    EXPECT_TRUE(keptInput);
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_EQ(ui.dialogs()[0].text,
              "Error: 1\r\nSource: New Company\r\nDesc: Company's name is missing.");
    // Abort closes the window.
    open = runNewCompany([](QWidget* w) {
        type(w, "txtName", "N");
        type(w, "txtAddress", "A");
        type(w, "txtPhone", "P");
        chooseMonth(w, "cmbFinPeriodStart", "April");
        clickButton(w, "cmdSave"); // no year chosen
    });
    EXPECT_FALSE(open);
    EXPECT_EQ(ui.dialogs().at(1).text,
              "Error: 1\r\nSource: New Company\r\nDesc: Year Start is missing.");
    // Cancel with everything filled in.
    open = runNewCompany([](QWidget* w) {
        type(w, "txtName", "N");
        type(w, "txtAddress", "A");
        type(w, "txtPhone", "P");
        chooseMonth(w, "cmbFinPeriodStart", "April");
        chooseYear(w, 2004);
        chooseMonth(w, "cmbPeriodStart", "April");
        clickButton(w, "cmdCancel");
    });
    EXPECT_FALSE(open);
    EXPECT_EQ(ui.dialogs().size(), 2u);
    EXPECT_EQ(db.fileBytes(), before);
}

TEST(CompanyWindow, ShowsTheRowAndSavesTheContactFields) {
    TestDatabase db;
    ScriptedUi ui;
    db.exec("UPDATE SYS_Company SET Name='Kestrel', Address='Quay', Phone='555', Fax='556', "
            "Email=NULL, FinancialPeriodBegin=7");
    bool open = true;
    onNextModal([&](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Company");
        EXPECT_EQ(child<QLineEdit>(w, "txtName")->text(), "Kestrel");
        EXPECT_EQ(child<QLineEdit>(w, "txtFax")->text(), "556");
        EXPECT_EQ(child<QLineEdit>(w, "txteMail")->text(), "");
        auto* month = child<QLineEdit>(w, "txtFinPeriodStart");
        EXPECT_EQ(month->text(), "July");
        EXPECT_TRUE(month->isReadOnly());
        type(w, "txtFax", "");
        type(w, "txtPhone", "555-0199");
        QTest::keyClick(child<QLineEdit>(w, "txtPhone"), Qt::Key_Return); // Enter saves
        open = w->isVisible();
    });
    windows::openCompany(nullptr);
    EXPECT_FALSE(open);
    RowSet c = db.query("SELECT * FROM SYS_Company");
    EXPECT_TRUE(c.isNull("Fax"));
    EXPECT_EQ(c.text("Phone"), "555-0199");
    EXPECT_EQ(c.integer("FinancialPeriodBegin"), 7);
    EXPECT_TRUE(ui.asked().empty());
}

TEST(CompanyWindow, AnEmptyNameIsRefusedAndFixKeepsTheWindowOpen) {
    TestDatabase db;
    const QByteArray before = db.fileBytes();
    ScriptedUi ui;
    ui.answerDialog(Fix);
    bool stayed = false;
    onNextModal([&](QWidget* w) {
        type(w, "txtName", "");
        type(w, "txtAddress", "New street");
        clickButton(w, "cmdSave");
        stayed = w->isVisible() && child<QLineEdit>(w, "txtAddress")->text() == "New street";
        clickButton(w, "cmdCancel");
    });
    windows::openCompany(nullptr);
    EXPECT_TRUE(stayed);
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_EQ(ui.dialogs()[0].text,
              "Error: 1\r\nSource: Company\r\nDesc: Company's name is missing.");
    EXPECT_EQ(db.fileBytes(), before);
}
