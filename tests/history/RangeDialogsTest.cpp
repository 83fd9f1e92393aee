#include "reports/frmSelectMonthRange.h"
#include "reports/frmSelectMonthYearRange.h"
#include "reports/frmSelectRange.h"
#include "reports/frmSelectYearRange.h"
#include "support/GuiHelpers.h"
#include "support/ScriptedUi.h"

#include "widgets/DateField.h"
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
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
    bool ran = false;
    onNextModal([&](QWidget* w) {
        EXPECT_EQ(w, &dlg);
        action(w);
        ran = true;
    });
    dlg.exec();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(dlg.isVisible());
}

} // namespace

// All four carry "Select Range", the confirm frame with "&Ok" and "&Cancel", and the
// fields of their own frame; nothing is confirmed on creation.
TEST(RangeDialogs, CaptionsFramesAndFields) {
    frmSelectRange range;
    frmSelectMonthRange month;
    frmSelectMonthYearRange monthYear;
    frmSelectYearRange year;
    for (SelectRangeDialog* d :
         std::initializer_list<SelectRangeDialog*>{&range, &month, &monthYear, &year}) {
        SCOPED_TRACE(d->objectName().toStdString());
        EXPECT_EQ(d->windowTitle(), "Select Range");
        EXPECT_FALSE(d->Confirmed);
        auto* fra = child<QGroupBox>(d, "fraConfirm");
        EXPECT_EQ(child<QPushButton>(fra, "cmdOk")->text(), "&Ok");
        EXPECT_EQ(child<QPushButton>(fra, "cmdCancel")->text(), "&Cancel");
    }
    auto* fraDate = child<QGroupBox>(&range, "fraDate");
    EXPECT_EQ(child<QLabel>(fraDate, "lblFromDate")->text(), "From Date");
    EXPECT_EQ(child<QLabel>(fraDate, "lblToDate")->text(), "To Date");
    child<zelk::controls::DateField>(fraDate, "dtpFrom");
    child<zelk::controls::DateField>(fraDate, "dtpTo");

    auto* fraMonth = child<QGroupBox>(&month, "fraMonth");
    EXPECT_EQ(child<QLabel>(fraMonth, "lblMonth")->text(), "Month");
    auto* cmb = child<QComboBox>(fraMonth, "cmbMonth");
    ASSERT_EQ(cmb->count(), 12);
    EXPECT_EQ(cmb->currentIndex(), -1) << "no month preselected";
    const QStringList names{"January", "February", "March",     "April",   "May",      "June",
                            "July",    "August",   "September", "October", "November", "December"};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(cmb->itemText(i), names[i]);
        EXPECT_EQ(cmb->itemData(i).toInt(), i + 1);
    }

    auto* fraYear = child<QGroupBox>(&monthYear, "fraYear");
    EXPECT_EQ(child<QLabel>(fraYear, "lblMonth")->text(), "Month");
    EXPECT_EQ(child<QLabel>(fraYear, "lblYear")->text(), "Year");
    child<QComboBox>(fraYear, "cmbMonth");
    for (QDialog* d : std::initializer_list<QDialog*>{&monthYear, &year}) {
        auto* lst = child<QListWidget>(child<QGroupBox>(d, "fraYear"), "lstYear");
        ASSERT_EQ(lst->count(), 1021);
        EXPECT_EQ(lst->item(0)->text(), "1980");
        EXPECT_EQ(lst->item(1020)->text(), "3000");
        EXPECT_TRUE(lst->selectedItems().isEmpty()) << "no year preselected";
    }
}

// OK with an incomplete choice leaves the dialog open and changes nothing; February
// yields 2 (the item data, not the position); 1980 and 3000 are the ends of the list.
TEST(RangeDialogs, OkWithNothingSelectedStaysOpen) {
    ScriptedUi ui;
    frmSelectMonthRange month;
    showModal(month, [](QWidget* d) {
        clickButton(d, "cmdOk");
        EXPECT_TRUE(d->isVisible());
        EXPECT_FALSE(static_cast<frmSelectMonthRange*>(d)->Confirmed);
        chooseMonth(d, "February");
        clickButton(d, "cmdOk");
    });
    EXPECT_TRUE(month.Confirmed);
    EXPECT_EQ(month.Month, 2);

    frmSelectMonthYearRange monthYear;
    showModal(monthYear, [](QWidget* d) {
        auto* dlg = static_cast<frmSelectMonthYearRange*>(d);
        clickButton(d, "cmdOk");
        EXPECT_TRUE(d->isVisible());
        chooseMonth(d, "February");
        clickButton(d, "cmdOk");
        EXPECT_TRUE(d->isVisible()) << "a month without a year is not a choice";
        EXPECT_FALSE(dlg->Confirmed);
        EXPECT_EQ(dlg->SelMonth, 0);
        clickYear(d, 1980);
        clickButton(d, "cmdOk");
    });
    EXPECT_TRUE(monthYear.Confirmed);
    EXPECT_EQ(monthYear.SelMonth, 2);
    EXPECT_EQ(monthYear.SelYear, 1980);

    frmSelectMonthYearRange yearOnly;
    showModal(yearOnly, [](QWidget* d) {
        clickYear(d, 3000);
        clickButton(d, "cmdOk");
        EXPECT_TRUE(d->isVisible()) << "a year without a month is not a choice";
        chooseMonth(d, "December");
        clickButton(d, "cmdOk");
    });
    EXPECT_EQ(yearOnly.SelMonth, 12);
    EXPECT_EQ(yearOnly.SelYear, 3000);

    frmSelectYearRange year;
    showModal(year, [](QWidget* d) {
        clickButton(d, "cmdOk");
        EXPECT_TRUE(d->isVisible());
        EXPECT_FALSE(static_cast<frmSelectYearRange*>(d)->Confirmed);
        clickYear(d, 3000);
        clickButton(d, "cmdOk");
    });
    EXPECT_TRUE(year.Confirmed);
    EXPECT_EQ(year.SelYear, 3000);

    // The month comes from the item data of the entry, whatever its place.
    frmSelectMonthRange relabelled;
    child<QComboBox>(&relabelled, "cmbMonth")->setItemData(0, 7);
    showModal(relabelled, [](QWidget* d) {
        chooseMonth(d, "January");
        clickButton(d, "cmdOk");
    });
    EXPECT_EQ(relabelled.Month, 7);
}

// A start date after the end date is handed back as it was chosen.
TEST(RangeDialogs, AReversedDateRangeIsHandedBackUnchanged) {
    frmSelectRange range;
    showModal(range, [](QWidget* d) {
        child<zelk::controls::DateField>(d, "dtpFrom")->setDate(QDate(2004, 3, 31));
        child<zelk::controls::DateField>(d, "dtpTo")->setDate(QDate(2004, 3, 1));
        clickButton(d, "cmdOk");
    });
    EXPECT_TRUE(range.Confirmed);
    EXPECT_EQ(range.DateFrom, QDate(2004, 3, 31));
    EXPECT_EQ(range.DateTo, QDate(2004, 3, 1));
}

// The same instance shown again finds its earlier selection; Cancel then sets Confirmed
// back to false and keeps the earlier values. The close box is a Cancel.
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

    frmSelectRange range;
    showModal(range, [](QWidget* d) {
        child<zelk::controls::DateField>(d, "dtpFrom")->setDate(QDate(2004, 1, 1));
        child<zelk::controls::DateField>(d, "dtpTo")->setDate(QDate(2004, 1, 31));
        clickButton(d, "cmdOk");
    });
    ASSERT_TRUE(range.Confirmed);
    showModal(range, [](QWidget* d) {
        child<zelk::controls::DateField>(d, "dtpFrom")->setDate(QDate(2005, 6, 1));
        d->close(); // the window's close box
    });
    EXPECT_FALSE(range.Confirmed);
    EXPECT_EQ(range.DateFrom, QDate(2004, 1, 1));
    EXPECT_EQ(range.DateTo, QDate(2004, 1, 31));

    frmSelectYearRange year;
    showModal(year, [](QWidget* d) {
        clickYear(d, 1999);
        clickButton(d, "cmdOk");
    });
    showModal(year, [](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); });
    EXPECT_FALSE(year.Confirmed);
    EXPECT_EQ(year.SelYear, 1999);
}
