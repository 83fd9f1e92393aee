#include "core/books/BooksLocation.h"
#include "core/data/Connection.h"
#include "support/GuiHelpers.h"
#include "ui/shell/QtUserInterface.h"
#include "ui/shell/frmMain.h"
#include "ui/shell/frmMessage.h"
#include "ui/shell/frmToolWindow.h"
#include "ui/shell/modMain.h"
#include "ui/widgets/WindowCommands.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTimer>
#include <array>
#include <gtest/gtest.h>

namespace {

// Starts the program as main() does, in a folder of its own, and shuts it down.
class Shell : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QtUserInterface dialogs;

    void SetUp() override {
        zelk::setUserInterface(&dialogs);
        zelk::setProgramFolder(dir.path());
        ASSERT_EQ(modMain::Main(), 0);
        ASSERT_NE(modMain::mainWindow(), nullptr);
    }
    void TearDown() override {
        if (modMain::mainWindow())
            modMain::mainWindow()->close();
        pumpEvents();
        zelk::setUserInterface(nullptr);
    }
    frmMain* main() { return modMain::mainWindow(); }
};

QString readme() {
    QFile file(QStringLiteral(ZELK_README));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The access letter of a caption ("E&xit": x), lower case; none: empty.
QString accessLetter(const QString& caption) {
    const qsizetype amp = caption.indexOf('&');
    return amp < 0 || amp + 1 >= caption.size() ? QString() : caption.mid(amp + 1, 1).toLower();
}

// Each menu as "caption: item|item|...", separators as "-", an item's keys after it in
// brackets. Every item and every menu has an access letter of its own in its bar or menu.
QStringList menuTree(QMenuBar* bar) {
    QStringList out;
    QStringList menuLetters;
    for (QAction* top : bar->actions()) {
        menuLetters << accessLetter(top->text());
        QStringList items, letters;
        for (QAction* item : top->menu()->actions()) {
            if (item->isSeparator()) {
                items << "-";
                continue;
            }
            const QString letter = accessLetter(item->text());
            EXPECT_FALSE(letter.isEmpty()) << item->text().toStdString();
            EXPECT_FALSE(letters.contains(letter)) << item->text().toStdString();
            letters << letter;
            const QString keys = item->shortcut().toString();
            items << item->text() + (keys.isEmpty() ? QString() : " [" + keys + "]");
            EXPECT_TRUE(keys.isEmpty() || readme().contains("\n| " + keys + " |"))
                << keys.toStdString() << " is missing from the README's keys";
        }
        out << top->text() + ": " + items.join('|');
    }
    EXPECT_EQ(QSet<QString>(menuLetters.begin(), menuLetters.end()).size(), menuLetters.size());
    return out;
}

} // namespace

TEST_F(Shell, MenusCarryTheirCaptionsInOrder) {
    const QStringList expected = {
        "&File: Ne&w Books…|&Open Books… [Ctrl+O]|-|&New Company|-|Import &Accounts…|Import "
        "&Transactions…|Import Bank &Statement…|-|&Restore Snapshot…|"
        "Change &Passphrase…|Check &Books…|-|E&xit [Ctrl+Q]",
        "&Ledger: &Transactions|&New Transaction [Ctrl+N]|-|&Post Transactions|&Revert "
        "Transaction Postings|-|End &Month|Revert &End Month|-|End &Year|Re&vert End Year|-|"
        "&Accounts|Account &Card|&Bank Rules…|Company &Info",
        "H&istory: &Transactions|General Ledger - &Current Year|General Ledger - &Previous "
        "Years|&Balances",
        "&Reports: &Transaction List|T&rial Balance|&Income Statement|&Balance Sheet|-|&Custom "
        "Report",
        "&Window: &Cascade|Tile &Horizontal|Tile &Vertical|&Arrange Icons|-",
        "&Help: &About|-|&Help [F1]"};
    EXPECT_EQ(menuTree(main()->menuBar()), expected);
}

TEST_F(Shell, ClickMenuOutsideOneToSixteenDoesNothing) {
    bool opened = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (QWidget* m = QApplication::activeModalWidget()) {
            opened = true;
            m->close();
        }
    });
    watch.start(5);
    main()->ClickMenu(0);
    main()->ClickMenu(17);
    main()->ClickMenu(-1);
    pumpEvents(50);
    EXPECT_FALSE(opened);
    EXPECT_TRUE(main()->mdiArea()->subWindowList().isEmpty());
}

// After a modal window closes, the window that opened it has the keys again.
TEST_F(Shell, FocusComesBackAfterAModalCloses) {
    main()->activateWindow();
    main()->ClickMenu(9); // the account list, a child window
    pumpEvents();
    QWidget* grid = main()->findChild<QWidget*>("grdData");
    ASSERT_NE(grid, nullptr);
    grid->setFocus();
    pumpEvents();
    onNextModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    main()->ClickMenu(12);
    pumpEvents(20);
    EXPECT_EQ(QApplication::activeWindow(), main());
    EXPECT_EQ(QApplication::focusWidget(), grid);
}

TEST_F(Shell, AboutAndHelpOpenModally) {
    QString seen;
    auto closeWithOk = [&](QWidget* w) {
        seen = w->objectName() + "|" + w->windowTitle();
        if (auto* frame = w->findChild<QGroupBox*>("fraAbout")) // the name drawn in the frame
            seen += "|" + child<QLabel>(frame, "lblAbout_1")->text();
        clickButton(w, "cmdOk");
    };
    onNextModal(closeWithOk);
    main()->ClickMenu(12);
    EXPECT_EQ(seen, "frmAbout|About Zelk|Zelk");

    seen.clear();
    QString manual;
    int pictures = 0, shown = 0;
    onNextModal([&](QWidget* w) {
        auto* txtHelp = child<QTextBrowser>(child<QGroupBox>(w, "fraHelp"), "txtHelp");
        QTextDocument* doc = txtHelp->document();
        manual = doc->toPlainText();
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextImageFormat image = it.fragment().charFormat().toImageFormat();
                if (!image.isValid())
                    continue;
                ++pictures; // found in the built-in manual, and no wider than the window
                shown +=
                    !doc->resource(QTextDocument::ImageResource, QUrl(image.name())).isNull() &&
                    image.width() > 0 && image.width() < w->width();
            }
        closeWithOk(w);
    });
    main()->action("mnuHelps")->trigger();
    EXPECT_EQ(seen, "frmHelp|Zelk Help");
    QTextDocument current; // the manual is this checkout's README
    current.setMarkdown(readme());
    EXPECT_EQ(manual, current.toPlainText());
    EXPECT_TRUE(manual.contains("A year with Zelk"));
    EXPECT_GT(pictures, 0);
    EXPECT_EQ(shown, pictures);
}

TEST_F(Shell, ToolWindowHasSixteenButtonsOnFourTabsOutsideTheWindowList) {
    frmToolWindow* tools = modMain::toolWindow();
    auto* tabs = child<QTabWidget>(tools, "tabTool");
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_LT(tabs->mapTo(tools, QPoint()).y(), tools->height() / 4) << "the tabs sit at the top";
    EXPECT_EQ(tools->findChildren<QPushButton*>().size(), 16);
    for (QMdiSubWindow* w : main()->mdiArea()->subWindowList())
        EXPECT_NE(w->widget(), tools);
}

TEST_F(Shell, TickerStartsBlankAndThenShowsOneOfItsTexts) {
    auto* strip = child<QWidget>(main(), "picMsg");
    auto* label = child<QLabel>(strip, "lblMessage");
    EXPECT_TRUE(label->text().isEmpty());
    EXPECT_GT(label->width(), strip->width() / 2) << "the text runs along the strip";
    auto* timer = main()->findChild<QTimer*>("tmrMessage");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 3000);
    for (int i = 0; i < 40 && label->text().isEmpty(); ++i)
        pumpEvents(100);
    EXPECT_TRUE(main()->messages().contains(label->text())) << label->text().toStdString();
}

TEST_F(Shell, TileCommandsMakeStripsAndColumns) {
    QMdiArea* area = main()->mdiArea();
    main()->resize(900, 700);
    for (int i = 0; i < 3; ++i) {
        auto* w = new QWidget;
        w->setWindowTitle(QString("Child %1").arg(i));
        zelk::windows::showChild(area, w);
    }
    pumpEvents();
    const QSize size = area->viewport()->size();
    main()->action("mnuWTileHorizontal")->trigger();
    for (QMdiSubWindow* w : area->subWindowList()) {
        EXPECT_EQ(w->geometry().width(), size.width());
        EXPECT_NEAR(w->geometry().height(), size.height() / 3, 1);
    }
    main()->action("mnuWTileVertical")->trigger();
    for (QMdiSubWindow* w : area->subWindowList()) {
        EXPECT_EQ(w->geometry().height(), size.height());
        EXPECT_NEAR(w->geometry().width(), size.width() / 3, 1);
    }
    // the window list names every open child window
    QMenu* windowMenu = main()->findChild<QMenu*>("mnuWindow");
    emit windowMenu->aboutToShow();
    QStringList listed;
    for (QAction* a : windowMenu->actions())
        if (a->objectName().startsWith("mnuWindowList"))
            listed << a->text();
    EXPECT_EQ(listed, (QStringList{"&1 Child 0", "&2 Child 1", "&3 Child 2"}));
}

TEST_F(Shell, ExitClosesEveryWindowBeforeTheConnection) {
    QPointer<QWidget> childWindow = new QWidget;
    zelk::windows::showChild(main()->mdiArea(), childWindow);
    bool connectionOpenWhenChildWent = false;
    QObject::connect(childWindow, &QObject::destroyed,
                     [&] { connectionOpenWhenChildWent = zelk::g_cnn && zelk::g_cnn->isOpen(); });
    QPointer<frmToolWindow> tools = modMain::toolWindow();
    ASSERT_NE(zelk::g_cnn, nullptr);
    main()->action("mnuExit")->trigger();
    pumpEvents();
    EXPECT_TRUE(connectionOpenWhenChildWent);
    EXPECT_TRUE(childWindow.isNull());
    EXPECT_TRUE(tools.isNull());
    EXPECT_EQ(zelk::g_cnn, nullptr);
    EXPECT_EQ(modMain::mainWindow(), nullptr);
}

// Other books open in place of these: their windows close first, the title names the
// books open, and the File menu lists the books opened lately, a gone one saying so.
TEST_F(Shell, OtherBooksOpenInPlaceOfTheseAndAreRemembered) {
    const QString first = zelk::g_cnn->filePath();
    EXPECT_TRUE(main()->windowTitle().endsWith(" \u2014 " + first))
        << main()->windowTitle().toStdString();
    QPointer<QWidget> childWindow = new QWidget;
    zelk::windows::showChild(main()->mdiArea(), childWindow);
    QTemporaryDir other;
    const QString second = other.filePath("acme.mdb");
    ASSERT_TRUE(modMain::OpenBooks(second));
    pumpEvents();
    EXPECT_TRUE(childWindow.isNull());
    EXPECT_EQ(zelk::g_cnn->filePath(), second);
    EXPECT_TRUE(main()->windowTitle().endsWith(" \u2014 " + second));

    auto recent = [&](int n) {
        emit main()->findChild<QMenu*>("mnuFile")->aboutToShow();
        return main()->action(QStringLiteral("mnuRecentBooks%1").arg(n));
    };
    ASSERT_NE(recent(2), nullptr);
    EXPECT_EQ(recent(1)->text(), "&1 " + second);
    EXPECT_EQ(recent(2)->text(), "&2 " + first);
    recent(2)->trigger();
    EXPECT_EQ(zelk::g_cnn->filePath(), first);

    QFile::remove(second);
    ASSERT_EQ(recent(2)->text(), "&2 " + second + " (not found)")
        << recent(1)->text().toStdString();
    QString said;
    onNextModal([&](QWidget* box) {
        said = box->findChild<QLabel*>("qt_msgbox_label")->text();
        box->close();
    });
    recent(2)->trigger();
    EXPECT_TRUE(said.contains("not there any more")) << said.toStdString();
    EXPECT_EQ(zelk::g_cnn->filePath(), first);
    EXPECT_FALSE(zelk::books::RecentBooks().list().contains(second));
}

TEST(MessageDialog, MasksEnableButtonsAndTheAnswerIsTheButtonPressed) {
    QtUserInterface dialogs;
    struct Case {
        int mask;
        const char* press;
        int expected;
        std::array<bool, 4> enabled;
    } cases[] = {{7, "cmdConfirm_1", 1, {true, true, true, false}},
                 {13, "cmdConfirm_3", 3, {true, false, true, true}},
                 {5, "cmdConfirm_0", 0, {true, false, true, false}},
                 {4, "cmdConfirm_2", 2, {false, false, true, false}}};
    for (const Case& c : cases) {
        std::array<bool, 4> enabled{};
        QString title, text;
        onNextModal([&](QWidget* w) {
            auto* dlg = qobject_cast<frmMessage*>(w);
            ASSERT_NE(dlg, nullptr);
            for (int i = 0; i < 4; ++i)
                enabled[size_t(i)] = dlg->ButtonEnabled(i);
            title = dlg->Title();
            text = dlg->Message();
            expectFramesLaidOut(dlg, "cmdConfirm_");
            EXPECT_EQ(child<QPushButton>(dlg, "cmdConfirm_0")->text(), "&Fix");
            EXPECT_EQ(child<QPushButton>(dlg, "cmdConfirm_3")->text(), "&Ignore");
            clickButton(dlg, c.press);
        });
        EXPECT_EQ(dialogs.showMessageDialog("Error: 1\r\nSource: S\r\nDesc: D", c.mask, "DB Error"),
                  c.expected);
        EXPECT_EQ(enabled, c.enabled) << c.mask;
        EXPECT_EQ(title, "DB Error");
        EXPECT_EQ(text, "Error: 1\nSource: S\nDesc: D");
    }
}

TEST(MessageDialog, ClosingByTheFrameAnswersFix) {
    QtUserInterface dialogs;
    onNextModal([](QWidget* w) { w->close(); });
    EXPECT_EQ(dialogs.showMessageDialog("x", 7, "DB Error"), 0);
    onNextModal([](QWidget* w) { w->close(); });
    EXPECT_EQ(dialogs.showMessageDialog("x", 4, "DB Error"), 0);
}
