// Export… of a list window, and an import through its preview, as the user does them.
#include "core/exchange/CsvImport.h"
#include "support/GuiHelpers.h"
#include "support/ScriptedFiles.h"
#include "support/ScriptedUi.h"
#include "support/TestDatabase.h"
#include "ui/accounts/frmLedgerAccounts.h"
#include "ui/journal/frmLedgerTrxs.h"
#include "ui/shell/frmMain.h"
#include "ui/widgets/WindowCommands.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace zelk;

namespace {

class ExchangeWindows : public ::testing::Test {
protected:
    TestDatabase db;
    ScriptedUi ui;
    ScriptedFiles files;

    void write(const QString& name, const QByteArray& bytes) {
        writeFile(db.folder() + "/" + name, bytes);
    }
    // Import Accounts… or Transactions… of that file; `preview` runs in the open preview.
    void importFile(void (*open)(QWidget*), const QString& name,
                    std::function<void(QWidget*)> preview) {
        files.importName = db.folder() + "/" + name;
        onNextModal(preview);
        open(nullptr);
    }
};

} // namespace

TEST_F(ExchangeWindows, ImportPreviewThenExportTheListAsShown) {
    frmMain main;
    ASSERT_NE(main.action("mnuImportAccounts"), nullptr);
    ASSERT_NE(main.action("mnuImportTransactions"), nullptr);

    write("accounts.csv", "AccountNo,AccountName,Class\n1000,Cash,1\n4000,Sales,5\n");
    importFile(windows::openImportAccounts, "accounts.csv", [](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Import Accounts");
        EXPECT_EQ(child<QTableView>(w, "grdPreview")->model()->rowCount(), 2);
        clickButton(w, "cmdImport");
    });
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"2 account(s) imported."});
    EXPECT_EQ(db.count("Ledger_Accounts"), 2);

    // A problem: shown by line, Import disabled, nothing written.
    write("bad.csv", "TransactionNo,Date,AccountNo,Amount\nT1,2026-01-05,4711,1\n");
    importFile(windows::openImportTransactions, "bad.csv", [](QWidget* w) {
        EXPECT_TRUE(child<QPlainTextEdit>(w, "txtProblems")
                        ->toPlainText()
                        .contains("line 2: account 4711 does not exist"));
        EXPECT_FALSE(child<QPushButton>(w, "cmdImport")->isEnabled());
        clickButton(w, "cmdCancel");
    });
    EXPECT_EQ(db.count("Ledger_Transactions"), 0);

    // Space on a line unchecks its whole transaction; the other one is imported.
    write("trx.csv", "TransactionNo,Date,Source,AccountNo,Debit,Credit\n"
                     "T1,2026-01-05,=cmd,1000,10,\nT1,2026-01-05,=cmd,4000,,10\n"
                     "T2,2026-01-06,X,1000,5,\nT2,2026-01-06,X,4000,,5\n");
    importFile(windows::openImportTransactions, "trx.csv", [](QWidget* w) {
        auto* grid = child<QTableView>(w, "grdPreview");
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(3, 0));
        QTest::keyClick(grid, Qt::Key_Space);
        EXPECT_EQ(grid->model()->index(2, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
        EXPECT_EQ(grid->model()->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
        clickButton(w, "cmdImport");
    });
    EXPECT_EQ(db.count("Ledger_Transactions"), 1);

    frmLedgerTrxs list;
    list.show();
    files.exportName = db.folder() + "/list.csv";
    clickButton(&list, "cmdExport");
    EXPECT_EQ(files.suggested, "Transactions.csv");
    EXPECT_EQ(files.exported(),
              "\"Date\",\"No\",\"Source\",\"Posted\",\"Description\",\"Total\"\r\n"
              "\"2026-01-05\",\"T1\",\"'=cmd\",\"No\",\"\",\"10.00\"\r\n");
}

// The preview says how it reads the file, and reads it again with the mark the user picks.
TEST_F(ExchangeWindows, ThePreviewShowsTheFileFormatAndReadsAgainWithAnother) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    write("accounts.csv", "AccountNo,AccountName,Class\n1000,Cash,1\n4000,Sales,5\n");
    importFile(windows::openImportAccounts, "accounts.csv",
               [](QWidget* w) { clickButton(w, "cmdImport"); });
    write("german.csv", "TransactionNo;Date;AccountNo;Debit;Credit\n"
                        "G1;2026-01-05;1000;1.250;\nG1;2026-01-05;4000;;1.250\n");
    importFile(windows::openImportTransactions, "german.csv", [](QWidget* w) {
        EXPECT_TRUE(
            child<QLabel>(w, "lblFormat")->text().contains("decimal mark \",\" (the locale's"));
        auto* grid = child<QTableView>(w, "grdPreview");
        EXPECT_EQ(grid->model()->index(0, 7).data().toString(), "1,250.00");
        auto* mark = child<QComboBox>(w, "cmbDecimalMark");
        mark->setCurrentIndex(mark->findData("."));
        emit mark->activated(mark->currentIndex());
        EXPECT_TRUE(
            child<QLabel>(w, "lblFormat")->text().contains("decimal mark \".\" (as chosen)"));
        EXPECT_EQ(grid->model()->index(0, 7).data().toString(), "1.25");
        clickButton(w, "cmdCancel");
    });
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(db.count("Ledger_Transactions"), 0);
}
