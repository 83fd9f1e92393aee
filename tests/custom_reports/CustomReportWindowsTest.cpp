#include "custom_reports/frmCustomReport.h"
#include "data/modDBUtil.h"
#include "support/GuiHelpers.h"
#include "support/ScriptedUi.h"
#include "support/TestDatabase.h"

#include <QAbstractItemDelegate>
#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>
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

void type(QTableWidget* grid, int row, const QString& name) {
    QTableWidgetItem* item = grid->item(row, 0);
    item->setText(name);
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
        EXPECT_EQ(types->currentIndex(), -1);
        types->setCurrentIndex(types->findText("Monthly"));
        auto* grid = child<QTableWidget>(&dlg, "grdDetail");
        EXPECT_EQ(grid->rowCount(), 99);
        EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), "Account Start");

        EXPECT_FALSE(choose(grid, 0, 1, "Heading")) << "no type without a name";
        type(grid, 0, "Banks");
        EXPECT_TRUE(choose(grid, 0, 1, "Heading"));
        EXPECT_FALSE(choose(grid, 0, 2, "1100")) << "accounts only on Detail rows";
        type(grid, 2, "Second bank");
        EXPECT_TRUE(choose(grid, 2, 1, "Detail"));
        EXPECT_TRUE(choose(grid, 2, 2, "1200"));
        EXPECT_EQ(grid->item(2, 2)->text(), "Bank");
        type(grid, 3, "Oops");
        EXPECT_TRUE(choose(grid, 3, 1, "Detail"));
        EXPECT_TRUE(choose(grid, 3, 2, "1000"));
        EXPECT_TRUE(choose(grid, 3, 1, "Total")) << "a Total keeps no accounts";
        EXPECT_EQ(grid->item(3, 2)->text(), "");
        clickButton(&dlg, "cmdSave");
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
    rows.moveNext();
    EXPECT_EQ(rows.text("RowType"), "Total");
    EXPECT_TRUE(rows.isNull("AccountStart"));
}

TEST_F(CustomReportEditor, EditShowsTheSavedRowsAndFixKeepsTheInput) {
    db.exec(InsertCustomReport("Old", "Old title", 1));
    db.exec(InsertCustomReportDetail("Old", 1, "Group", "Heading", "", ""));
    db.exec(InsertCustomReportDetail("Old", 2, "Banks", "Detail", "1100", "1200"));
    db.exec(InsertCustomReportDetail("Old", 3, "Group total", "Total", "", ""));
    frmCustomReport dlg;
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
        clickButton(&dlg, "cmdSave");
    });
    dlg.Edit("Old");
    EXPECT_TRUE(dlg.Success());
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_TRUE(ui.dialogs()[0].text.endsWith("Report title is missing."));
    EXPECT_EQ(db.scalar("SELECT Count(*) FROM Ledger_CustomReportDetails WHERE "
                        "FKID_Account_Start='1100' AND FKID_Account_End='1200'"),
              1);
    EXPECT_EQ(db.query(GetCustomReport("Old")).text("Title"), "New title");
}

TEST_F(CustomReportEditor, EditOfADefinitionThatIsGoneSaysSo) {
    frmCustomReport dlg;
    dlg.Edit("Nothing");
    EXPECT_FALSE(dlg.Success());
    ASSERT_EQ(ui.messageBoxes().size(), 1u);
    EXPECT_EQ(ui.messageBoxes()[0], "Custom report Nothing not found.");
}
