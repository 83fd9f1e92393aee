#include "accounts/LedgerFixtures.h"
#include "support/GuiHelpers.h"
#include "ui/company/frmCompany.h"
#include "ui/company/frmNewCompany.h"
#include "ui/widgets/Twips.h"
#include "ui/widgets/WindowCommands.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace zelk;

namespace {

void type(QWidget* w, const char* name, const QString& text) {
    auto* edit = child<QLineEdit>(w, name);
    edit->clear();
    QTest::keyClicks(edit, text);
}

// Fills in New Company's name, address, phone, fiscal start (and year, start month).
void fill(QWidget* w, const char* fiscalStart, int year = 0, const char* startMonth = nullptr) {
    type(w, "txtName", "N");
    type(w, "txtAddress", "A");
    type(w, "txtPhone", "P");
    auto choose = [w](const char* name, const char* month) {
        auto* combo = child<QComboBox>(w, name);
        combo->setCurrentIndex(combo->findText(month));
        ASSERT_GE(combo->currentIndex(), 0) << month;
    };
    choose("cmbFinPeriodStart", fiscalStart);
    if (year) {
        auto* list = child<QListWidget>(w, "lstStartYear");
        list->setCurrentRow(year - 1980); // the years run from 1980
        ASSERT_EQ(list->currentItem()->text(), QString::number(year));
    }
    if (startMonth)
        choose("cmbPeriodStart", startMonth);
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

TEST(NewCompanyWindow, AprilYearStartingInFebruaryEmptiesTheBooks) {
    TestDatabase db;
    ScriptedUi ui;
    fixtures::fillEveryLedgerTable(db);
    ui.answerYes().answerYes();
    const bool open = runNewCompany([](QWidget* w) {
        fill(w, "April", 2004, "February");
        type(w, "txtName", "Kestrel Trading");
        type(w, "txteMail", "books@kestrel.example");
        clickButton(w, "cmdSave");
    });
    EXPECT_FALSE(open);
    ASSERT_EQ(ui.asked().size(), 1u); // whether the books may be emptied
    for (const QString& t : fixtures::ledgerTables())
        EXPECT_EQ(db.count(t), 0) << t.toStdString();
    RowSet c = db.query("SELECT * FROM SYS_Company");
    EXPECT_EQ(c.text("Name") + "|" + c.text("Email"), "Kestrel Trading|books@kestrel.example");
    EXPECT_EQ(c.integer("BeginPeriod"), 11); // April to February
    // Enter saves; a start on the fiscal start month is period 1.
    runNewCompany([](QWidget* w) {
        fill(w, "July", 1980, "July");
        QTest::keyClick(child<QLineEdit>(w, "txtPhone"), Qt::Key_Return);
    });
    EXPECT_EQ(db.scalar("SELECT BeginPeriod + 10 * FinancialPeriodBegin FROM SYS_Company"), 71);
    EXPECT_EQ(db.scalar("SELECT CurrentPeriodYear FROM SYS_Company"), 1980);
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
        for (const char* name : {"cmbFinPeriodStart", "cmbPeriodStart"})
            EXPECT_EQ(child<QComboBox>(w, name)->currentIndex(), -1) << name;
        type(w, "txtAddress", "A");
        clickButton(w, "cmdSave");
        keptInput = w->isVisible() && child<QLineEdit>(w, "txtAddress")->text() == "A";
    });
    EXPECT_TRUE(open);
    EXPECT_TRUE(keptInput);
    // Abort closes the window.
    open = runNewCompany([](QWidget* w) {
        fill(w, "April");
        clickButton(w, "cmdSave"); // no year chosen
    });
    EXPECT_FALSE(open);
    ASSERT_EQ(ui.dialogs().size(), 2u);
    EXPECT_TRUE(ui.dialogs()[0].text.endsWith("Company's name is missing."));
    EXPECT_TRUE(ui.dialogs()[1].text.endsWith("Year Start is missing."));
    // Cancel with everything filled in.
    open = runNewCompany([](QWidget* w) {
        fill(w, "April", 2004, "April");
        clickButton(w, "cmdCancel");
    });
    EXPECT_FALSE(open);
    EXPECT_EQ(db.fileBytes(), before);
}

TEST(CompanyWindow, ShowsTheRowAndSavesTheContactFieldsFixKeepsThemOpen) {
    TestDatabase db;
    ScriptedUi ui;
    ui.answerDialog(Fix);
    db.exec("UPDATE SYS_Company SET Name='Kestrel', Address='Quay', Phone='555', Fax='556', "
            "Email=NULL, FinancialPeriodBegin=7");
    bool open = true, stayed = false;
    onNextModal([&](QWidget* w) {
        EXPECT_EQ(child<QLineEdit>(w, "txtName")->text(), "Kestrel");
        EXPECT_GE(child<QLineEdit>(w, "txtName")->width(), twips(3600)); // names show whole
        EXPECT_EQ(child<QLineEdit>(w, "txtFax")->text(), "556");
        EXPECT_EQ(child<QLineEdit>(w, "txteMail")->text(), "");
        auto* month = child<QLineEdit>(w, "txtFinPeriodStart");
        EXPECT_EQ(month->text(), "July");
        EXPECT_TRUE(month->isReadOnly());
        type(w, "txtName", "");
        type(w, "txtFax", "");
        type(w, "txtPhone", "555-0199");
        clickButton(w, "cmdSave");
        stayed = w->isVisible() && child<QLineEdit>(w, "txtPhone")->text() == "555-0199";
        type(w, "txtName", "Kestrel");
        QTest::keyClick(child<QLineEdit>(w, "txtPhone"), Qt::Key_Return); // Enter saves
        open = w->isVisible();
    });
    windows::openCompany(nullptr);
    EXPECT_TRUE(stayed);
    EXPECT_FALSE(open);
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_TRUE(ui.dialogs()[0].text.endsWith("Company's name is missing."));
    EXPECT_EQ(db.query("SELECT Phone FROM SYS_Company").text("Phone"), "555-0199");
}
