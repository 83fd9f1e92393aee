#include "support/GuiHelpers.h"
#include "support/ScriptedUi.h"
#include "ui/history/frmSelectMonthRange.h"
#include "ui/history/frmSelectMonthYearRange.h"
#include "ui/history/frmSelectYearRange.h"

#include <QComboBox>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Chooses a month as the user does: the entry of that caption in the drop-down.
void chooseMonth(QWidget* dlg, const QString& caption) {
    auto* cmb = child<QComboBox>(dlg, "cmbMonth");
    const int i = cmb->findText(caption, Qt::MatchStartsWith);
    ASSERT_GE(i, 0) << caption.toStdString();
    cmb->setCurrentIndex(i);
}

// Clicks a year in the list, scrolled into view first.
void clickYear(QWidget* dlg, int year) {
    auto* lst = child<QListWidget>(dlg, "lstYear");
    const QList<QListWidgetItem*> found = lst->findItems(QString::number(year), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << year;
    lst->scrollToItem(found[0]);
    QTest::mouseClick(lst->viewport(), Qt::LeftButton, {}, lst->visualItemRect(found[0]).center());
    ASSERT_TRUE(found[0]->isSelected()) << year;
}

// Shows the dialog modally; `action` handles it while it is open.
void showModal(QDialog& dlg, std::function<void(QWidget*)> action) {
    onNextModal([&](QWidget* w) { // fails the test when the dialog does not open
        EXPECT_EQ(w, &dlg);
        EXPECT_EQ(w->windowTitle(), "Select Range");
        action(w);
    });
    dlg.exec();
    EXPECT_FALSE(dlg.isVisible());
}

} // namespace

// Nothing is preselected: OK with an incomplete choice says what is missing, leaves the
// dialog open and changes nothing. 1980 and 3000 are the ends of the year list.
TEST(RangeDialogs, OkWithAnIncompleteChoiceSaysWhatIsMissingAndStaysOpen) {
    ScriptedUi ui;
    frmSelectMonthRange month;
    showModal(month, [](QWidget* d) {
        clickButton(d, "cmdOk");
        EXPECT_TRUE(d->isVisible());
        chooseMonth(d, "February");
        clickButton(d, "cmdOk");
    });
    EXPECT_TRUE(month.Confirmed);
    EXPECT_EQ(month.Month, 2);

    frmSelectMonthYearRange monthOnly;
    showModal(monthOnly, [](QWidget* d) {
        clickButton(d, "cmdOk"); // nothing chosen: the month is asked for, only
        chooseMonth(d, "February");
        clickButton(d, "cmdOk");
        EXPECT_TRUE(d->isVisible()) << "a month without a year is not a choice";
        EXPECT_EQ(static_cast<frmSelectMonthYearRange*>(d)->SelMonth, 0);
        clickYear(d, 1980);
        clickButton(d, "cmdOk");
    });
    EXPECT_TRUE(monthOnly.Confirmed);
    EXPECT_EQ(std::pair(int(monthOnly.SelMonth), int(monthOnly.SelYear)), std::pair(2, 1980));

    frmSelectMonthYearRange yearOnly;
    showModal(yearOnly, [](QWidget* d) {
        clickYear(d, 3000);
        clickButton(d, "cmdOk");
        EXPECT_TRUE(d->isVisible()) << "a year without a month is not a choice";
        chooseMonth(d, "December");
        clickButton(d, "cmdOk");
    });
    EXPECT_EQ(std::pair(int(yearOnly.SelMonth), int(yearOnly.SelYear)), std::pair(12, 3000));

    frmSelectYearRange year;
    showModal(year, [](QWidget* d) {
        clickButton(d, "cmdOk");
        EXPECT_TRUE(d->isVisible());
        clickYear(d, 3000);
        clickButton(d, "cmdOk");
    });
    EXPECT_TRUE(year.Confirmed);
    EXPECT_EQ(year.SelYear, 3000);
    EXPECT_EQ(ui.messageBoxes(),
              (std::vector<QString>{"Choose a month.", "Choose a month.", "Choose a year.",
                                    "Choose a month.", "Choose a year."}));
}

// The same instance shown again finds its earlier selection; Cancel or Escape then set Confirmed
// back to false and keep the earlier values.
TEST(RangeDialogs, CancelAfterAnEarlierOkKeepsTheValues) {
    frmSelectMonthYearRange dlg;
    showModal(dlg, [](QWidget* d) {
        chooseMonth(d, "February");
        clickYear(d, 2003);
        clickButton(d, "cmdOk");
    });
    ASSERT_TRUE(dlg.Confirmed);
    showModal(dlg, [](QWidget* d) {
        EXPECT_EQ(child<QComboBox>(d, "cmbMonth")->currentText(), "February");
        const QList<QListWidgetItem*> sel = child<QListWidget>(d, "lstYear")->selectedItems();
        ASSERT_EQ(sel.size(), 1);
        EXPECT_EQ(sel[0]->text(), "2003");
        chooseMonth(d, "May");
        clickButton(d, "cmdCancel");
    });
    EXPECT_FALSE(dlg.Confirmed);
    EXPECT_EQ(dlg.SelMonth, 2);
    EXPECT_EQ(dlg.SelYear, 2003);

    frmSelectYearRange year;
    showModal(year, [](QWidget* d) {
        clickYear(d, 1999);
        clickButton(d, "cmdOk");
    });
    showModal(year, [](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); });
    EXPECT_FALSE(year.Confirmed);
    EXPECT_EQ(year.SelYear, 1999);
}
