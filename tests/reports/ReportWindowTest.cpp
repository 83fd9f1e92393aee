#include "LedgerFixture.h"
#include "app/WindowCommands.h"
#include "app/frmMain.h"
#include "app/modMain.h"
#include "reports/ReportDialogs.h"
#include "reports/ReportSave.h"
#include "reports/frmReport.h"
#include "reports/frmRptOption.h"
#include "reports/modRptUtil.h"
#include "support/GuiHelpers.h"
#include "support/ScriptedFiles.h"
#include "support/ScriptedUi.h"
#include "support/TestDatabase.h"

#include "widgets/DateField.h"
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QByteArray golden(const char* name) {
    return readFile(QStringLiteral(ZELK_REPORTS_GOLDEN_DIR "/") + name);
}

// The visible lines of the trial balance, written by hand.
QStringList visibleTrialBalance() {
    QStringList lines = QString::fromUtf8(golden("trial-balance.visible.txt")).split('\n');
    lines.removeLast();
    return lines;
}

// Pages of a PDF file: its page objects.
int pdfPages(const QString& path) {
    const QByteArray pdf = readFile(path);
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return int(QString::fromLatin1(pdf).count(page));
}

bool isPdf(const QString& path) {
    const QByteArray pdf = readFile(path);
    return pdf.startsWith("%PDF-") && pdf.trimmed().endsWith("%%EOF");
}

// The save and printer dialogs, answered by the test.
class ScriptedDialogs : public ReportDialogs {
public:
    QString saveName; // empty: the save dialog is cancelled
    zelk::reports::SaveFormat saveType = zelk::reports::SaveFormat::Text;
    QString printerFile; // empty: the printer dialog is cancelled
    int saveAsked = 0;
    int printAsked = 0;
    QPrinter::PrintRange rangeOffered = QPrinter::AllPages;

    ScriptedDialogs() { setReportDialogs(this); }
    ~ScriptedDialogs() override { setReportDialogs(nullptr); }

    SaveChoice chooseSaveFile(QWidget*) override {
        ++saveAsked;
        return {saveName, saveType};
    }
    bool choosePrinter(QPrinter& printer, QWidget*) override {
        ++printAsked;
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

    QString tempFile() const { return modRptUtil::ReportFilePath(); }
};

} // namespace

// The option window of a month report, from opening to the viewer: nothing chosen at
// first, OK without a month does nothing, April prints the trial balance the bookkeeper
// reads line for line, and the window closes after the viewer.
TEST_F(ReportWindows, TrialBalanceFromMonthToViewer) {
    fixture::buildLedger(db);
    QStringList shown;
    bool okWithoutMonthKeptOpen = false;
    int progressValue = -1, progressMaximum = -1;
    ScriptedFiles files;
    onNextModal([&](QWidget* w) {
        EXPECT_EQ(w->objectName(), "frmRptTrialBalance");
        EXPECT_EQ(w->windowTitle(), "Report Trial Balance");
        auto* month = child<QComboBox>(w, "cmbMonth");
        EXPECT_EQ(month->currentIndex(), -1);
        EXPECT_EQ(w->focusWidget(), month);
        EXPECT_EQ(month->count(), 12);
        EXPECT_EQ(child<QLabel>(w, "lblMonth")->text(), "Month");
        child<QGroupBox>(w, "fraMonth");
        child<QGroupBox>(w, "fraConfirm");
        EXPECT_EQ(child<QPushButton>(w, "cmdOk")->text(), "&Ok");
        EXPECT_EQ(child<QPushButton>(w, "cmdCancel")->text(), "&Cancel");
        auto* bar = child<QProgressBar>(w, "pbStatus");
        EXPECT_EQ(bar->value(), 0);

        clickButton(w, "cmdOk");
        okWithoutMonthKeptOpen = w->isVisible() && !QFile::exists(tempFile());

        month->setCurrentIndex(month->findData(4));
        onNextModal([&](QWidget* viewer) {
            EXPECT_EQ(viewer->objectName(), "frmReport");
            EXPECT_EQ(viewer->windowTitle(), "Report");
            shown = child<QTextEdit>(viewer, "rtfReport")->toPlainText().split('\n');
            progressValue = bar->value();
            progressMaximum = bar->maximum();
            EXPECT_FALSE(child<QPushButton>(w, "cmdOk")->isEnabled());
            files.exportName = db.folder() + "/tb.csv";
            clickButton(viewer, "cmdExport"); // beside Save: the figures as data
            viewer->close();
        });
        clickButton(w, "cmdOk");
        EXPECT_FALSE(w->isVisible());
    });
    zelk::windows::openRptTrialBalance(nullptr);
    EXPECT_EQ(files.suggested, "Trial Balance.csv");
    const QStringList data = files.exported().split("\r\n");
    ASSERT_EQ(data.size(), 14); // the header, 11 accounts, the total, the empty end
    EXPECT_EQ(data[0], "\"AccountNo\",\"AccountName\",\"Debit\",\"Credit\"");
    EXPECT_TRUE(data[12].startsWith("\"\",\"Total\",")) << data[12].toStdString();
    EXPECT_TRUE(okWithoutMonthKeptOpen);
    EXPECT_EQ(shown, visibleTrialBalance());
    EXPECT_EQ(progressMaximum, 11);
    EXPECT_EQ(progressValue, 11);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"Choose a month."});
    EXPECT_EQ(readFile(tempFile()), golden("trial-balance.rtf"));
}

TEST_F(ReportWindows, EachMonthReportShowsItsReport) {
    fixture::buildLedger(db);
    struct Case {
        void (*open)(QWidget*);
        const char* name;
        const char* caption;
        const char* golden;
    };
    for (const Case& c : {Case{zelk::windows::openRptIncomeStmt, "frmRptIncomeStmt",
                               "Report Income Statement", "income-statement.rtf"},
                          Case{zelk::windows::openRptBalanceSheet, "frmRptBalanceSheet",
                               "Report Balance Sheet", "balance-sheet.rtf"}}) {
        bool viewed = false;
        onNextModal([&](QWidget* w) {
            EXPECT_EQ(w->objectName(), c.name);
            EXPECT_EQ(w->windowTitle(), c.caption);
            auto* month = child<QComboBox>(w, "cmbMonth");
            month->setCurrentIndex(month->findData(5));
            onNextModal([&](QWidget* viewer) {
                viewed = viewer->objectName() == "frmReport";
                viewer->close();
            });
            clickButton(w, "cmdOk");
        });
        c.open(nullptr);
        EXPECT_TRUE(viewed) << c.name;
        EXPECT_EQ(readFile(tempFile()), golden(c.golden)) << c.name;
    }
}

TEST_F(ReportWindows, TransactionListTakesTheRangeOfItsDatePickers) {
    fixture::buildLedger(db);
    QStringList shown;
    onNextModal([&](QWidget* w) {
        EXPECT_EQ(w->objectName(), "frmRptTrxList");
        EXPECT_EQ(w->windowTitle(), "Report Transaction List");
        child<QGroupBox>(w, "fraDate");
        EXPECT_EQ(child<QLabel>(w, "lblFromDate")->text(), "From Date");
        EXPECT_EQ(child<QLabel>(w, "lblToDate")->text(), "To Date");
        child<zelk::controls::DateField>(w, "dtpFrom")->setDate(QDate(2004, 6, 1));
        child<zelk::controls::DateField>(w, "dtpTo")->setDate(QDate(2004, 6, 30));
        onNextModal([&](QWidget* viewer) {
            shown = child<QTextEdit>(viewer, "rtfReport")->toPlainText().split('\n');
            viewer->close();
        });
        clickButton(w, "cmdOk");
    });
    zelk::windows::openRptTrxList(nullptr);
    EXPECT_EQ(readFile(tempFile()), golden("transaction-list.rtf"));
    EXPECT_TRUE(shown.contains(
        QString::fromUtf8("Description    : Payment to \"Jansen\" {ref 7} \\ paid")));
    EXPECT_TRUE(shown.contains("From date 01-Jun-2004 to 30-Jun-2004"));
}

TEST_F(ReportWindows, NoDataShowsTheMessageAndNoViewer) {
    ViewerWatch watch;
    bool hidden = false;
    onNextModal([&](QWidget* w) {
        auto* month = child<QComboBox>(w, "cmbMonth");
        month->setCurrentIndex(0);
        clickButton(w, "cmdOk");
        hidden = !w->isVisible();
    });
    zelk::windows::openRptBalanceSheet(nullptr);
    pumpEvents(20);
    EXPECT_TRUE(hidden);
    EXPECT_FALSE(watch.seen);
    EXPECT_EQ(ui.messageBoxes(), std::vector<QString>{"No data"});
    EXPECT_FALSE(QFile::exists(tempFile()));
}

// Cancel pressed while the report is being written: the build stops at its next step,
// the window closes at once, and no viewer opens.
TEST_F(ReportWindows, CancelDuringTheBuildShowsNoViewer) {
    fixture::buildLedger(db);
    ViewerWatch watch;
    bool hidden = false;
    int progressValue = -1;
    onNextModal([&](QWidget* w) {
        auto* month = child<QComboBox>(w, "cmbMonth");
        month->setCurrentIndex(month->findData(4));
        // Runs at the first moment the build lets the user interface work.
        QTimer::singleShot(0, w, [w] { clickButton(w, "cmdCancel"); });
        clickButton(w, "cmdOk");
        hidden = !w->isVisible();
        progressValue = child<QProgressBar>(w, "pbStatus")->value();
    });
    zelk::windows::openRptTrialBalance(nullptr);
    pumpEvents(20);
    EXPECT_TRUE(hidden);
    EXPECT_FALSE(watch.seen);
    EXPECT_EQ(progressValue, 1);
    const QByteArray partial = readFile(tempFile());
    EXPECT_TRUE(partial.contains("1000          |Cash"));
    EXPECT_FALSE(partial.contains("1100          |"));
    EXPECT_FALSE(partial.endsWith("}\r\n"));
    EXPECT_TRUE(ui.asked().empty());
}

TEST_F(ReportWindows, CancelBeforeOkClosesTheWindow) {
    bool hidden = false;
    onNextModal([&](QWidget* w) {
        clickButton(w, "cmdCancel");
        hidden = !w->isVisible();
    });
    zelk::windows::openRptIncomeStmt(nullptr);
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(ui.asked().empty());
}

TEST_F(ReportWindows, AReportFileThatCannotBeWrittenIsReportedWithItsPath) {
    fixture::buildLedger(db);
    ASSERT_TRUE(QDir(db.folder()).mkdir("temp.txt"));
    ViewerWatch watch;
    onNextModal([&](QWidget* w) {
        auto* month = child<QComboBox>(w, "cmbMonth");
        month->setCurrentIndex(month->findData(4));
        clickButton(w, "cmdOk");
    });
    zelk::windows::openRptTrialBalance(nullptr);
    pumpEvents(20);
    EXPECT_FALSE(watch.seen);
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::MessageBox);
    EXPECT_EQ(ui.asked()[0].title, "Report Trial Balance");
    EXPECT_TRUE(ui.asked()[0].text.contains(QDir::toNativeSeparators(tempFile())))
        << ui.asked()[0].text.toStdString();
    EXPECT_TRUE(ui.asked()[0].text.contains("could not be written"));
}

namespace {

// The viewer on the trial balance of the fixture ledger, without its modal loop.
class Viewer : public ReportWindows {
protected:
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
    void saveAs(const QString& path,
                zelk::reports::SaveFormat type = zelk::reports::SaveFormat::Text) {
        dialogs.saveName = path;
        dialogs.saveType = type;
        clickButton(viewer.get(), "cmdSave");
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
    EXPECT_EQ(child<QPushButton>(viewer.get(), "cmdPrint")->text(), "Print");
    EXPECT_EQ(child<QPushButton>(viewer.get(), "cmdSave")->text(), "Save");
}

TEST_F(Viewer, TheReportAreaFillsTheWindowBelowTheCommandStrip) {
    auto* strip = child<QGroupBox>(viewer.get(), "fraCommand");
    auto* area = child<QGroupBox>(viewer.get(), "fraReport");
    viewer->show();
    for (QSize size : {QSize(700, 500), QSize(1000, 300), QSize(420, 800)}) {
        viewer->resize(size);
        pumpEvents();
        const QSize inner = viewer->contentsRect().size();
        EXPECT_EQ(strip->geometry(), QRect(0, 0, inner.width(), strip->height()));
        EXPECT_EQ(area->geometry(),
                  QRect(0, strip->height(), inner.width(), inner.height() - strip->height()));
        EXPECT_EQ(view()->geometry(), QRect(QPoint(0, 0), area->size()));
    }
    // Lower than the strip: the area keeps no negative height.
    viewer->setMinimumSize(0, 0);
    viewer->resize(400, strip->height() / 2);
    pumpEvents();
    EXPECT_GE(area->height(), 0);
    viewer->hide();
}

// The name's known ending decides; a bare name gets the chosen type and its extension.
TEST_F(Viewer, SaveByTheNamesEndingOrTheChosenType) {
    using F = zelk::reports::SaveFormat;
    const QByteArray rtf = golden("trial-balance.rtf");
    for (const char* name : {"report.rtf", "REPORT.RTF"}) {
        saveAs(outFile(name), F::Pdf);
        EXPECT_EQ(readFile(outFile(name)), rtf) << name;
    }
    saveAs(outFile("bare"), F::Rtf);
    EXPECT_EQ(readFile(outFile("bare.rtf")), rtf);
    // The trial balance holds letters outside Windows-1252: its text is UTF-8, CR LF.
    const QByteArray text = "\xEF\xBB\xBF" + visibleTrialBalance().join("\r\n").toUtf8() + "\r\n";
    for (const char* name : {"report.txt", "report.rtfx"}) {
        saveAs(outFile(name));
        EXPECT_EQ(readFile(outFile(name)), text) << name;
    }
    saveAs(outFile("bare"));
    EXPECT_EQ(readFile(outFile("bare.txt")), text);
    for (const char* name : {"report.pdf", "REPORT.Pdf"}) {
        saveAs(outFile(name));
        EXPECT_TRUE(isPdf(outFile(name))) << name;
        EXPECT_EQ(pdfPages(outFile(name)), 1) << name;
    }
    // PDF chosen, no extension typed: a PDF named .pdf, and nothing else written.
    saveAs(outFile("april"), F::Pdf);
    EXPECT_TRUE(isPdf(outFile("april.pdf")));
    EXPECT_FALSE(QFile::exists(outFile("april")));
    EXPECT_TRUE(ui.asked().empty());
    // An existing file under the added extension is replaced only when the user says so.
    QFile mine(outFile("keep.pdf"));
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.write("mine");
    mine.close();
    ui.answerYes(false);
    saveAs(outFile("keep"), F::Pdf);
    EXPECT_EQ(readFile(outFile("keep.pdf")), "mine");
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::YesNo);
}

TEST_F(Viewer, TextInTheCodePageIsSavedAsWindows1252) {
    QFile f(outFile("small.rtf"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{\\rtf\\ansi\\pard\\b\\f0\\\r\n\\fs52 \\b Caf\xE9 \\{1\\}\\b0\\par\r\n"
            "\\fs18 \x96 100\\par\r\n}\r\n");
    f.close();
    open(outFile("small.rtf"));
    saveAs(outFile("small.txt"));
    EXPECT_EQ(readFile(outFile("small.txt")), QByteArray("\r\nCaf\xE9 {1}\r\n\x96 100\r\n"));
}

TEST_F(Viewer, CancellingTheSaveDialogWritesNothingAndSaysNothing) {
    dialogs.saveName.clear();
    clickButton(viewer.get(), "cmdSave");
    EXPECT_EQ(dialogs.saveAsked, 1);
    EXPECT_TRUE(QDir(out.path()).isEmpty());
    EXPECT_TRUE(ui.asked().empty());
}

TEST_F(Viewer, AFailedSaveShowsTheReason) {
    for (const char* name : {"missing/report.txt", "missing/report.rtf", "missing/report.pdf"}) {
        ui.clear();
        saveAs(outFile(name));
        ASSERT_EQ(ui.asked().size(), 1u) << name;
        EXPECT_EQ(ui.asked()[0].kind, ScriptedUi::Asked::MessageBox);
        EXPECT_EQ(ui.asked()[0].title, "Report");
        EXPECT_TRUE(ui.asked()[0].text.contains(QDir::toNativeSeparators(outFile(name))))
            << ui.asked()[0].text.toStdString();
        EXPECT_TRUE(ui.asked()[0].text.contains("No such file or directory"))
            << ui.asked()[0].text.toStdString();
    }
}

TEST_F(Viewer, PrintsTheWholeReportOrTheSelection) {
    // A long report: three hundred lines at 9 points run over several pages.
    QByteArray longRtf = "{\\rtf\\ansi\\pard\\b\\f0\\\r\n\\fs18 \r\n";
    for (int i = 1; i <= 300; ++i)
        longRtf += "line " + QByteArray::number(i) + "\r\n\\par\r\n";
    longRtf += "}\r\n";
    QFile f(outFile("long.rtf"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(longRtf);
    f.close();
    open(outFile("long.rtf"));

    dialogs.printerFile = outFile("all.pdf");
    clickButton(viewer.get(), "cmdPrint");
    EXPECT_EQ(dialogs.rangeOffered, QPrinter::AllPages);
    EXPECT_TRUE(isPdf(outFile("all.pdf")));
    const int all = pdfPages(outFile("all.pdf"));
    EXPECT_GE(all, 4);
    EXPECT_LE(all, 12);

    QTextCursor c = view()->textCursor();
    c.setPosition(1);
    c.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor, 3);
    view()->setTextCursor(c);
    dialogs.printerFile = outFile("selection.pdf");
    clickButton(viewer.get(), "cmdPrint");
    EXPECT_EQ(dialogs.rangeOffered, QPrinter::Selection);
    EXPECT_TRUE(isPdf(outFile("selection.pdf")));
    EXPECT_EQ(pdfPages(outFile("selection.pdf")), 1);
    EXPECT_TRUE(ui.asked().empty());
}

TEST_F(Viewer, TheTrialBalancePrintsOnOnePage) {
    dialogs.printerFile = outFile("tb.pdf");
    clickButton(viewer.get(), "cmdPrint");
    EXPECT_EQ(dialogs.printAsked, 1);
    EXPECT_EQ(pdfPages(outFile("tb.pdf")), 1);
}

TEST_F(Viewer, CancellingThePrinterDialogPrintsNothing) {
    dialogs.printerFile.clear();
    clickButton(viewer.get(), "cmdPrint");
    EXPECT_EQ(dialogs.printAsked, 1);
    EXPECT_TRUE(QDir(out.path()).isEmpty());
    EXPECT_TRUE(ui.asked().empty());
}

TEST_F(Viewer, APrintThatFailsIsReported) {
    dialogs.printerFile = outFile("missing/printed.pdf");
    clickButton(viewer.get(), "cmdPrint");
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_EQ(ui.asked()[0].title, "Report");
    const QString text = ui.asked()[0].text;
    EXPECT_TRUE(text.contains("could not be printed")) << text.toStdString();
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(outFile("missing/printed.pdf"))))
        << text.toStdString();
    EXPECT_TRUE(text.contains("No such file or directory")) << text.toStdString();
}

TEST_F(Viewer, AReportFileThatCannotBeReadIsReported) {
    frmReport other;
    EXPECT_FALSE(other.LoadFile(outFile("nothing-here.txt")));
    ASSERT_EQ(ui.asked().size(), 1u);
    EXPECT_TRUE(ui.asked()[0].text.contains(QDir::toNativeSeparators(outFile("nothing-here.txt"))));
}

// The menu commands and their numbers open the four report windows.
TEST(ReportMenus, ClickMenuOpensTheReportWindows) {
    QTemporaryDir dir;
    ScriptedUi ui;
    zelk::setProgramFolder(dir.path());
    ASSERT_EQ(modMain::Main(), 0);
    frmMain* main = modMain::mainWindow();
    ASSERT_NE(main, nullptr);
    const std::vector<std::pair<int, QString>> commands = {{5, "Report Transaction List"},
                                                           {6, "Report Trial Balance"},
                                                           {7, "Report Income Statement"},
                                                           {8, "Report Balance Sheet"}};
    for (const auto& [number, caption] : commands) {
        QString seen;
        onNextModal([&](QWidget* w) {
            seen = w->windowTitle();
            clickButton(w, "cmdCancel");
        });
        main->ClickMenu(qint16(number));
        EXPECT_EQ(seen, caption) << number;
    }
    QString seen;
    onNextModal([&](QWidget* w) {
        seen = w->windowTitle();
        w->close(); // the close box acts as Cancel
    });
    main->action("mnuTrialBalance")->trigger();
    EXPECT_EQ(seen, "Report Trial Balance");
    main->close();
    pumpEvents();
    EXPECT_TRUE(ui.asked().empty());
}
