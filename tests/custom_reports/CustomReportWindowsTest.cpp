#include "core/data/modDBUtil.h"
#include "support/GuiHelpers.h"
#include "support/ScriptedUi.h"
#include "support/TestDatabase.h"
#include "ui/custom_reports/frmCustomReport.h"
#include "ui/custom_reports/frmCustomReports.h"

#include <QAbstractItemDelegate>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace modDBUtil;

namespace {

// Opens the cell's drop-down as a double click would, chooses the entry whose item data
// (or, without data, whose text) matches, and commits it. False when the grid refuses to
// open an editor there.
bool choose(QTableWidget* grid, int row, int column, const QString& value) {
    grid->setCurrentCell(row, column);
    grid->edit(grid->model()->index(row, column));
    QComboBox* editor = nullptr;
    for (QComboBox* c : grid->findChildren<QComboBox*>())
        if (c->isVisible())
            editor = c;
    if (!editor)
        return false;
    int i = editor->findData(value);
    if (i < 0 || value.isEmpty())
        i = editor->findText(value);
    EXPECT_GE(i, 0) << value.toStdString();
    editor->setCurrentIndex(i);
    QAbstractItemDelegate* delegate = grid->itemDelegate();
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor);
    pumpEvents();
    return true;
}

class CustomReportEditor : public ::testing::Test {
protected:
    TestDatabase db;
    ScriptedUi ui;
    void SetUp() override {
        for (auto [no, name] : {std::pair{"1000", "Cash"}, {"1100", "Bank"}, {"1200", "Bank"}}) {
            db.exec(InsertAccount(no, name, 1, ""));
            db.exec(InsertAccountBalance(no, 2004, zelk::Amount()));
        }
    }
};

} // namespace

TEST_F(CustomReportEditor, AddEnforcesTheRowRulesAndSavesTheChosenAccounts) {
    frmCustomReport dlg;
    onNextModal([&](QWidget*) {
        child<QLineEdit>(&dlg, "txtName")->setText("Liquidity");
        child<QLineEdit>(&dlg, "txtTitle")->setText("Cash and banks");
        auto* types = child<QComboBox>(&dlg, "cmbReportType");
        types->setCurrentIndex(types->findText("Monthly"));
        auto* grid = child<QTableWidget>(&dlg, "grdDetail");

        EXPECT_FALSE(choose(grid, 0, 1, "Heading")) << "no type without a name";
        grid->item(0, 0)->setText("Banks");
        EXPECT_TRUE(choose(grid, 0, 1, "Heading"));
        EXPECT_FALSE(choose(grid, 0, 2, "1100")) << "accounts only on Detail rows";
        grid->item(2, 0)->setText("Second bank");
        EXPECT_TRUE(choose(grid, 2, 1, "Detail"));
        EXPECT_TRUE(choose(grid, 2, 2, "1200"));
        EXPECT_EQ(grid->item(2, 2)->text(), "Bank");
        grid->item(3, 0)->setText("Oops");
        EXPECT_TRUE(choose(grid, 3, 1, "Detail"));
        EXPECT_TRUE(choose(grid, 3, 2, "1000"));
        EXPECT_TRUE(choose(grid, 3, 1, "Total")) << "a Total keeps no accounts";
        EXPECT_EQ(grid->item(3, 2)->text(), "");
        clickButton(&dlg, "cmdSave"); // and the editor closes
        if (dlg.isVisible())
            dlg.reject();
    });
    dlg.Add();
    EXPECT_TRUE(dlg.Success());
    EXPECT_TRUE(ui.asked().empty());
    zelk::RowSet r = db.query(GetCustomReport("Liquidity"));
    ASSERT_EQ(r.recordCount(), 1);
    EXPECT_EQ(r.integer("ReportTypeID"), 2);
    zelk::RowSet rows = db.query(GetCustomReportDetails("Liquidity"));
    ASSERT_EQ(rows.recordCount(), 3);
    rows.moveNext();
    EXPECT_EQ(rows.text("RowName"), "Second bank");
    EXPECT_EQ(rows.text("AccountStart"), "1200");
    EXPECT_TRUE(rows.isNull("AccountEnd"));
}

// By keyboard: Enter moves on (name, type, accounts), the account is completed from a
// part of its name, Delete empties a row, Escape asks, and Alt+S saves the open cell.
TEST_F(CustomReportEditor, KeyboardEntrySavesWhatTheScreenShows) {
    frmCustomReport dlg;
    ui.answerYes(false).answerDialog(zelk::Ignore);
    onNextModal([&](QWidget* m) {
        m->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m));
        child<QLineEdit>(m, "txtName")->setText("Banks");
        child<QLineEdit>(m, "txtTitle")->setText("Banks");
        auto* types = child<QComboBox>(m, "cmbReportType");
        types->setCurrentIndex(types->findText("Monthly"));
        auto* grid = child<QTableWidget>(m, "grdDetail");
        grid->setFocus();
        grid->setCurrentCell(0, 0);
        pressKeys(m, "Second bank<Enter>D<Enter>ban<Down><Enter><Enter>Gone<Enter><Del><Esc>");
        EXPECT_TRUE(m->isVisible()) << "Escape after typing asks; No stays";
        EXPECT_EQ(grid->item(1, 0)->text(), "") << "Delete empties the row";
        pressKeys(m, "<Left>Unfinished<Alt+S>");
    });
    dlg.Add();
    EXPECT_TRUE(dlg.Success());
    ASSERT_EQ(ui.asked().size(), 2u);
    EXPECT_EQ(ui.asked()[0].text, "Discard the changes to this report?");
    // The row typed when Alt+S was pressed is counted: it has a name and no type.
    EXPECT_TRUE(ui.asked()[1].text.contains("Invalid: 1 row(s)"))
        << ui.asked()[1].text.toStdString();
    zelk::RowSet rows = db.query(GetCustomReportDetails("Banks"));
    ASSERT_EQ(rows.recordCount(), 1);
    EXPECT_EQ(rows.text("RowName"), "Second bank");
    EXPECT_EQ(rows.text("RowType"), "Detail");
    EXPECT_EQ(rows.text("AccountStart"), "1200");
}

// Edit: a definition that is gone is named; one that is there shows, and Fix keeps input.
TEST_F(CustomReportEditor, EditShowsTheSavedRowsAndFixKeepsTheInput) {
    db.exec(InsertCustomReport("Old", "Old title", 1));
    db.exec(InsertCustomReportDetail("Old", 1, "Group", "Heading", "", ""));
    db.exec(InsertCustomReportDetail("Old", 2, "Banks", "Detail", "1100", "1200"));
    db.exec(InsertCustomReportDetail("Old", 3, "Group total", "Total", "", ""));
    frmCustomReport dlg;
    dlg.Edit("Nothing");
    EXPECT_FALSE(dlg.Success());
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Custom report Nothing not found."});
    ui.answerDialog(zelk::Fix);
    onNextModal([&](QWidget*) {
        EXPECT_FALSE(child<QLineEdit>(&dlg, "txtName")->isEnabled());
        EXPECT_EQ(child<QComboBox>(&dlg, "cmbReportType")->currentText(), "Cumulative");
        auto* grid = child<QTableWidget>(&dlg, "grdDetail");
        EXPECT_EQ(grid->item(1, 2)->text(), "Bank");
        EXPECT_EQ(grid->item(1, 3)->text(), "Bank");
        child<QLineEdit>(&dlg, "txtTitle")->clear();
        clickButton(&dlg, "cmdSave"); // title missing: Fix
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(grid->item(1, 0)->text(), "Banks");
        child<QLineEdit>(&dlg, "txtTitle")->setText("New title");
        QTest::keyClick(child<QLineEdit>(&dlg, "txtTitle"), Qt::Key_Return); // Enter saves
    });
    dlg.Edit("Old");
    EXPECT_TRUE(dlg.Success());
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_TRUE(ui.dialogs()[0].text.endsWith("Report title is missing."));
    EXPECT_EQ(ui.asked().size(), 2u);
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_CustomReportDetails WHERE "
                        "FKID_Account_Start='1100' AND FKID_Account_End='1200'"),
              1);
    EXPECT_EQ(db.query(GetCustomReport("Old")).text("Title"), "New title");
}

// The custom report list: the delete, and printing through the month window into the
// viewer.
class CustomReportList : public CustomReportEditor {
protected:
    void SetUp() override {
        CustomReportEditor::SetUp();
        db.exec(InsertCustomReport("Banks", "Our banks", 2));
        db.exec(InsertCustomReportDetail("Banks", 1, "Bank", "Detail", "1100", ""));
        db.exec(InsertCustomReport("Cash", "Cash only", 1));
        db.exec(InsertCustomReportDetail("Cash", 1, "Cash", "Detail", "1000", ""));
    }
};

// The list shows each definition with the name of its type; Delete asks, and Yes removes
// the definition with its rows.
TEST_F(CustomReportList, ShowsTheDefinitionsAndDeletesOne) {
    frmCustomReports list;
    QAbstractItemModel* m = list.grid()->model();
    ASSERT_EQ(m->rowCount(), 2);
    QStringList shown;
    for (int r = 0; r < 2; ++r)
        shown << m->index(r, 0).data().toString() + "|" + m->index(r, 2).data().toString();
    shown.sort();
    EXPECT_EQ(shown, (QStringList{"Banks|Movements", "Cash|Balances"}));

    list.setCurrentRow(0);
    const QString name = list.currentKey();
    ui.answerYes(false).answerYes(true);
    clickButton(&list, "cmdOps_2");
    EXPECT_EQ(db.count("Ledger_CustomReports"), 2) << "No deletes nothing";
    clickButton(&list, "cmdOps_2");
    ASSERT_EQ(ui.asked().size(), 2u);
    EXPECT_EQ(ui.asked()[1].text, "Delete report " + name + "?");
    EXPECT_EQ(ui.asked()[1].title, "Custom Reports");
    EXPECT_EQ(db.count("Ledger_CustomReports"), 1);
    EXPECT_EQ(db.count("Ledger_CustomReportDetails"), 1);
    EXPECT_EQ(list.grid()->model()->rowCount(), 1) << "the commit refreshed the list";
}

TEST_F(CustomReportList, PrintAsksForTheMonthAndShowsTheReport) {
    db.exec(UpdateAccountBalanceColumn("1000", 2004, 0, zelk::Amount::fromUnits(42)));
    db.exec(UpdateCompanyPeriods(1, 2004, 2004, 1));
    frmCustomReports list;
    list.setCurrentRow(int(columnTexts(list.grid(), 0).indexOf("Cash")));
    QString shown;
    onNextModal([&](QWidget* w) {
        auto* month = child<QComboBox>(w, "cmbMonth");
        month->setCurrentIndex(month->findData(1));
        onNextModal([&](QWidget* viewer) {
            shown = child<QTextEdit>(viewer, "rtfReport")->toPlainText();
            viewer->close();
        });
        clickButton(w, "cmdOk");
    });
    clickButton(&list, "cmdOps_3");
    EXPECT_TRUE(shown.contains("Cash only"));
    EXPECT_TRUE(shown.contains("Period: 1 (January 2004)"));
    EXPECT_TRUE(ui.asked().empty());
}
