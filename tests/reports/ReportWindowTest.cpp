#include "LedgerFixture.h"
#include "core/reports/ReportSave.h"
#include "core/reports/modRptUtil.h"
#include "support/GuiHelpers.h"
#include "support/ScriptedFiles.h"
#include "support/ScriptedUi.h"
#include "support/TestDatabase.h"
#include "ui/reports/ReportDialogs.h"
#include "ui/reports/frmReport.h"
#include "ui/widgets/DateField.h"
#include "ui/widgets/WindowCommands.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QPrinter>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

QByteArray golden(const char* name) {
    return readFile(QStringLiteral(ZELK_REPORTS_GOLDEN_DIR "/") + name);
}

QString tempFile() {
    return modRptUtil::ReportFilePath();
}

// The visible lines of the trial balance, written by hand.
QStringList visibleTrialBalance() {
    QStringList lines = QString::fromUtf8(golden("trial-balance.visible.txt")).split('\n');
    lines.removeLast();
    return lines;
}

// The pages of a PDF file (its page objects); 0 when it is no whole PDF.
int pdfPages(const QString& path) {
    const QByteArray pdf = readFile(path);
    if (!pdf.startsWith("%PDF-") || !pdf.trimmed().endsWith("%%EOF"))
        return 0;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return int(QString::fromLatin1(pdf).count(page));
}

// The save and printer dialogs, answered by the test.
class ScriptedDialogs : public ReportDialogs {
public:
    QString saveName; // empty: the save dialog is cancelled
    zelk::reports::SaveFormat saveType = zelk::reports::SaveFormat::Text;
    QString printerFile; // empty: the printer dialog is cancelled
    QPrinter::PrintRange rangeOffered = QPrinter::AllPages;

    ScriptedDialogs() { setReportDialogs(this); }
    ~ScriptedDialogs() override { setReportDialogs(nullptr); }

    SaveChoice chooseSaveFile(QWidget*) override { return {saveName, saveType}; }
    bool choosePrinter(QPrinter& printer, QWidget*) override {
        rangeOffered = printer.printRange();
        if (printerFile.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printerFile);
        return true;
    }
};

// Watches for a report viewer while a test runs.
class ViewerWatch {
public:
    ViewerWatch() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == "frmReport" && w->isVisible()) {
                    seen = true;
                    w->close();
                }
        });
        m_timer.start(5);
    }
    bool seen = false;

private:
    QTimer m_timer;
};

class ReportWindows : public ::testing::Test {
protected:
    TestDatabase db;
    ScriptedUi ui;

    // Opens a month report's window, chooses the month and presses OK; `during` runs
    // before OK is pressed.
    void runMonthReport(void (*open)(QWidget*), int month,
                        const std::function<void(QWidget*)>& during = {}) {
        onNextModal([&](QWidget* w) {
            auto* months = child<QComboBox>(w, "cmbMonth");
            months->setCurrentIndex(months->findData(month));
            if (during)
                during(w);
            clickButton(w, "cmdOk");
            EXPECT_FALSE(w->isVisible());
        });
        open(nullptr);
    }
};

} // namespace

// The option window of a month report, from opening to the viewer: nothing chosen at
// first, OK without a month asks for one, April prints the trial balance the bookkeeper
// reads line for line, Export writes its figures, and the window closes after the viewer.
TEST_F(ReportWindows, TrialBalanceFromMonthToViewer) {
    fixture::buildLedger(db);
    QStringList shown;
    bool okWithoutMonthKeptOpen = false;
    int progressValue = -1, progressMaximum = -1;
    ScriptedFiles files;
    onNextModal([&](QWidget* w) {
        auto* month = child<QComboBox>(w, "cmbMonth");
        clickButton(w, "cmdOk");
        okWithoutMonthKeptOpen = w->isVisible() && !QFile::exists(tempFile());

        month->setCurrentIndex(month->findData(4));
        onNextModal([&](QWidget* viewer) {
            shown = child<QTextEdit>(viewer, "rtfReport")->toPlainText().split('\n');
            auto* bar = child<QProgressBar>(w, "pbStatus");
            progressValue = bar->value();
            progressMaximum = bar->maximum();
            files.exportName = db.folder() + "/tb.csv";
            clickButton(viewer, "cmdExport");
            viewer->close();
        });
        clickButton(w, "cmdOk");
        EXPECT_FALSE(w->isVisible());
    });
    zelk::windows::openRptTrialBalance(nullptr);
    EXPECT_TRUE(okWithoutMonthKeptOpen);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Choose a month."});
    EXPECT_EQ(shown, visibleTrialBalance());
    EXPECT_EQ(progressMaximum, 11);
    EXPECT_EQ(progressValue, 11);
    EXPECT_EQ(files.suggested, "Trial Balance.csv");
    const QStringList data = files.exported().split("\r\n");
    ASSERT_EQ(data.size(), 14); // the header, 11 accounts, the total, the empty end
    EXPECT_EQ(data[0], "\"AccountNo\",\"AccountName\",\"Debit\",\"Credit\"");
    EXPECT_TRUE(data[12].startsWith("\"\",\"Total\",")) << data[12].toStdString();
}

// The other windows reach their viewer too (the income statement's is the same window); the
// transaction list takes the range of its date pickers.
TEST_F(ReportWindows, EachReportShowsItsReport) {
    fixture::buildLedger(db);
    bool viewed = false;
    runMonthReport(zelk::windows::openRptBalanceSheet, 5, [&](QWidget*) {
        onNextModal([&](QWidget* viewer) { viewed = viewer->close(); });
    });
    EXPECT_TRUE(viewed);
    EXPECT_EQ(readFile(tempFile()), golden("balance-sheet.rtf"));
    onNextModal([&](QWidget* w) {
        child<zelk::controls::DateField>(w, "dtpFrom")->setDate(QDate(2004, 6, 1));
        child<zelk::controls::DateField>(w, "dtpTo")->setDate(QDate(2004, 6, 30));
        onNextModal([](QWidget* viewer) { viewer->close(); });
        clickButton(w, "cmdOk");
    });
    zelk::windows::openRptTrxList(nullptr);
    EXPECT_EQ(readFile(tempFile()), golden("transaction-list.rtf"));
    EXPECT_TRUE(ui.asked().empty());
}

// No data, a cancel during the build and a report file that cannot be written: the
// window closes, and no viewer opens.
TEST_F(ReportWindows, NoViewerWithoutAWholeReport) {
    ViewerWatch watch;
    runMonthReport(zelk::windows::openRptBalanceSheet, 1);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"No data"});
    EXPECT_EQ(ui.asked().at(0).title, "Zelk");

    // Cancel pressed while the trial balance is written: it stops at its next step.
    fixture::buildLedger(db);
    int progressValue = -1;
    runMonthReport(zelk::windows::openRptTrialBalance, 4, [&](QWidget* w) {
        // Runs at the first moment the build lets the user interface work.
        QTimer::singleShot(0, w, [w, &progressValue] {
            progressValue = child<QProgressBar>(w, "pbStatus")->value();
            clickButton(w, "cmdCancel");
        });
    });
    EXPECT_EQ(progressValue, 1);
    const QByteArray partial = readFile(tempFile()); // up to its first account
    EXPECT_TRUE(partial.contains("1000          |Cash") && !partial.contains("1100          |"));

    ASSERT_TRUE(QFile::remove(tempFile()));
    ASSERT_TRUE(QDir(db.folder()).mkdir("temp.txt"));
    runMonthReport(zelk::windows::openRptTrialBalance, 4);
    EXPECT_FALSE(watch.seen);
    ASSERT_EQ(ui.asked().size(), 2u);
    EXPECT_EQ(ui.asked()[1].title, "Report Trial Balance");
    EXPECT_TRUE(ui.asked()[1].text.contains(QDir::toNativeSeparators(tempFile())))
        << ui.asked()[1].text.toStdString();
    EXPECT_TRUE(ui.asked()[1].text.contains("could not be written"));
}

namespace {

// The viewer on the trial balance of the fixture ledger, without its modal loop.
class Viewer : public ::testing::Test {
protected:
    ScriptedUi ui;
    QTemporaryDir out;
    ScriptedDialogs dialogs;
    std::unique_ptr<frmReport> viewer;

    void SetUp() override { open(QStringLiteral(ZELK_REPORTS_GOLDEN_DIR "/trial-balance.rtf")); }
    void open(const QString& path) {
        viewer = std::make_unique<frmReport>();
        ASSERT_TRUE(viewer->LoadFile(path));
    }
    QTextEdit* view() { return child<QTextEdit>(viewer.get(), "rtfReport"); }
    QString outFile(const QString& name) { return out.filePath(name); }
    void saveAs(const QString& name,
                zelk::reports::SaveFormat type = zelk::reports::SaveFormat::Text) {
        dialogs.saveName = outFile(name);
        dialogs.saveType = type;
        clickButton(viewer.get(), "cmdSave");
    }
    void print(const QString& name) {
        dialogs.printerFile = name.isEmpty() ? QString() : outFile(name);
        clickButton(viewer.get(), "cmdPrint");
    }
    // The one message shown: its title is the viewer's, its text names the file and why.
    void expectFailureNamed(const QString& name, const char* why = "does not exist") {
        ASSERT_EQ(ui.asked().size(), 1u) << name.toStdString();
        EXPECT_EQ(ui.asked()[0].title, "Report");
        const QString text = ui.asked()[0].text;
        EXPECT_TRUE(text.contains(QDir::toNativeSeparators(outFile(name)))) << text.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String(why))) << text.toStdString();
        ui.clear();
    }
};

} // namespace

TEST_F(Viewer, ShowsTheVisibleLinesInAFixedPitchFont) {
    EXPECT_EQ(view()->toPlainText().split('\n'), visibleTrialBalance());
    EXPECT_TRUE(view()->isReadOnly());
    QTextCursor c(view()->document());
    c.setPosition(10); // inside the company name
    EXPECT_TRUE(QFontInfo(c.charFormat().font()).fixedPitch());
    EXPECT_EQ(c.charFormat().font().pointSizeF(), 26.0);
    EXPECT_TRUE(c.charFormat().font().bold());
}

// The name's known ending decides; a bare name gets the chosen type and its extension.
// A cancelled dialog writes nothing; a failed save says why.
TEST_F(Viewer, SaveByTheNamesEndingOrTheChosenType) {
    using F = zelk::reports::SaveFormat;
    dialogs.saveName.clear();
    clickButton(viewer.get(), "cmdSave");
    EXPECT_TRUE(QDir(out.path()).isEmpty());

    saveAs("REPORT.RTF", F::Pdf);
    EXPECT_EQ(readFile(outFile("REPORT.RTF")), golden("trial-balance.rtf"));
    // The trial balance holds letters outside Windows-1252: its text is UTF-8, CR LF.
    saveAs("bare");
    EXPECT_EQ(readFile(outFile("bare.txt")),
              "\xEF\xBB\xBF" + visibleTrialBalance().join("\r\n").toUtf8() + "\r\n");
    saveAs("april", F::Pdf); // PDF chosen, no extension typed
    EXPECT_EQ(pdfPages(outFile("april.pdf")), 1);
    // An existing file under the added extension is replaced only when the user says so.
    QFile mine(outFile("keep.pdf"));
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.write("mine");
    mine.close();
    ui.answerYes(false);
    saveAs("keep", F::Pdf);
    EXPECT_EQ(readFile(outFile("keep.pdf")), "mine");
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::YesNo);
    ui.clear();

    for (const char* name : {"missing/report.txt", "missing/report.rtf", "missing/report.pdf"}) {
        saveAs(name);
        expectFailureNamed(name);
    }
}

// The trial balance prints on one page; a long report over several, or only the lines
// selected. A cancelled printer dialog prints nothing; a failed print says why.
TEST_F(Viewer, PrintsTheWholeReportOrTheSelection) {
    print("tb.pdf");
    EXPECT_EQ(pdfPages(outFile("tb.pdf")), 1);
    print("");
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList{"tb.pdf"});
    print("missing/printed.pdf");
    EXPECT_TRUE(ui.asked()[0].text.contains("could not be printed"));
    expectFailureNamed("missing/printed.pdf", "No such file or directory");

    // Three hundred lines at 9 points run over several pages.
    QByteArray longRtf = "{\\rtf\\ansi\\pard\\b\\f0\\\r\n\\fs18 \r\n";
    for (int i = 1; i <= 300; ++i)
        longRtf += "line " + QByteArray::number(i) + "\r\n\\par\r\n";
    writeFile(outFile("long.rtf"), longRtf + "}\r\n");
    open(outFile("long.rtf"));
    print("all.pdf");
    EXPECT_EQ(dialogs.rangeOffered, QPrinter::AllPages);
    const int all = pdfPages(outFile("all.pdf"));
    EXPECT_GE(all, 4);
    EXPECT_LE(all, 12);
    QTextCursor c = view()->textCursor();
    c.setPosition(1);
    c.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor, 3);
    view()->setTextCursor(c);
    print("selection.pdf");
    EXPECT_EQ(dialogs.rangeOffered, QPrinter::Selection);
    EXPECT_EQ(pdfPages(outFile("selection.pdf")), 1);
    EXPECT_TRUE(ui.asked().empty());
}

TEST_F(Viewer, AReportFileThatCannotBeReadIsReported) {
    frmReport other;
    EXPECT_FALSE(other.LoadFile(outFile("nothing-here.txt")));
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_TRUE(ui.asked()[0].text.contains(QDir::toNativeSeparators(outFile("nothing-here.txt"))));
}
