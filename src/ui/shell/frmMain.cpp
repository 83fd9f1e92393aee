#include "frmMain.h"

#include "core/books/BooksLocation.h"
#include "core/data/Connection.h"
#include "core/data/UserPorts.h"
#include "ui/widgets/ExchangeDialogs.h"
#include "ui/widgets/Twips.h"
#include "ui/widgets/WindowCommands.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Zelk"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    picMsg = new QWidget(central);
    picMsg->setObjectName(QStringLiteral("picMsg"));
    picMsg->setFixedHeight(twips(540));
    picMsg->installEventFilter(this);
    fraMsg = new QFrame(picMsg);
    fraMsg->setObjectName(QStringLiteral("fraMsg"));
    fraMsg->setFrameShape(QFrame::StyledPanel);
    fraMsg->setFrameShadow(QFrame::Sunken);
    lblMessage = new QLabel(picMsg);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setTextFormat(Qt::PlainText);

    m_area = new QMdiArea(central);
    m_area->setObjectName(QStringLiteral("mdiArea"));
    layout->addWidget(picMsg);
    layout->addWidget(m_area, 1);
    setCentralWidget(central);

    tmrMessage = new QTimer(this);
    tmrMessage->setObjectName(QStringLiteral("tmrMessage"));
    tmrMessage->setInterval(3000);
    connect(tmrMessage, &QTimer::timeout, this, &frmMain::tmrMessage_Timer);

    buildMenus();
    MDIForm_Load();
    // Most of the screen: list windows, the tool window and a report want room.
    QSize size(1200, 780);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() * 0.95);
    resize(size);
}

frmMain::~frmMain() = default;

void frmMain::MDIForm_Load() {
    m_Messages = {
        QStringLiteral("Zelk is free."),
        QStringLiteral("For more information read the readme.txt"),
        QStringLiteral("Peace for the world, peace for the children."),
        QStringLiteral("Don't worry.... I've tried it... It works. Somehow.... :P"),
        QStringLiteral("To be or not to be"),
        QStringLiteral("Whoaaaaa...."),
        QStringLiteral("Darn, this thing doesn't work... call security..."),
        QStringLiteral("I don't care if this thing doesn't work. It's free stuff.. What do you "
                       "expect?"),
        QStringLiteral("But I do have the working version... But it's not finished yet...."),
        QStringLiteral("In other word, there is no working version.... :P"),
    };
    m_random.seed(quint32(QDateTime::currentMSecsSinceEpoch()));
    lblMessage->clear();
    tmrMessage->start();
}

void frmMain::tmrMessage_Timer() {
    const double r = m_random.generateDouble(); // [0, 1)
    const int index = int(std::floor(r * 10 + 1)) - 1;
    lblMessage->setText(m_Messages.at(index));
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == picMsg && event->type() == QEvent::Resize)
        picMsg_Resize();
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::picMsg_Resize() {
    const int w = picMsg->width();
    const int h = picMsg->height();
    fraMsg->setGeometry(0, 0, w, h);
    lblMessage->setGeometry(twips(125), twips(200), w - twips(250), h - twips(300));
}

QAction* frmMain::addItem(QMenu* menu, const char* name, const QString& caption, int command,
                          const std::function<void()>& run, const QKeySequence& shortcut) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(shortcut); // shown beside the item
    connect(a, &QAction::triggered, this, [run] { run(); });
    if (command > 0)
        m_commands[size_t(command)] = a;
    return a;
}

// Every item has an access letter of its own in its menu ("&"); the commands known from
// other programs have their keys as well (Ctrl+O stays for opening books, Ctrl+P for
// printing).
void frmMain::buildMenus() {
    using namespace zelk::windows;
    QMenuBar* bar = menuBar();
    auto menu = [&](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    auto modal = [this](void (*open)(QWidget*)) { return [this, open] { open(this); }; };
    auto child = [this](void (*open)(QMdiArea*)) { return [this, open] { open(m_area); }; };

    QMenu* file = menu("mnuFile", QStringLiteral("&File"));
    m_file = file;
    addItem(file, "mnuNewBooks", QStringLiteral("Ne&w Books\u2026"), 0,
            [this] { chooseBooks(true); });
    addItem(
        file, "mnuOpenBooks", QStringLiteral("&Open Books\u2026"), 0,
        [this] { chooseBooks(false); }, QKeySequence(Qt::CTRL | Qt::Key_O));
    m_recentEnd = file->addSeparator(); // the recent books go above it
    connect(file, &QMenu::aboutToShow, this, &frmMain::fillRecentBooks);
    addItem(file, "mnuNewCompany", QStringLiteral("&New Company"), 0, modal(openNewCompany));
    file->addSeparator();
    addItem(file, "mnuImportAccounts", QStringLiteral("Import &Accounts\u2026"), 0,
            modal(openImportAccounts));
    addItem(file, "mnuImportTransactions", QStringLiteral("Import &Transactions\u2026"), 0,
            modal(openImportTransactions));
    addItem(file, "mnuImportBankStatement", QStringLiteral("Import Bank &Statement\u2026"), 0,
            [this] { openImportBankStatement(this); });
    file->addSeparator();
    addItem(file, "mnuRestoreSnapshot", QStringLiteral("&Restore Snapshot\u2026"), 0,
            [this] { openRestoreSnapshot(this, [this] { return closeChildWindows(); }); });
    addItem(file, "mnuChangePassphrase", QStringLiteral("Change &Passphrase\u2026"), 0,
            modal(openChangePassphrase));
    addItem(file, "mnuCheckBooks", QStringLiteral("Check &Books\u2026"), 0, modal(openCheckBooks));
    file->addSeparator();
    addItem(
        file, "mnuExit", QStringLiteral("E&xit"), 0, [this] { close(); },
        QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* ledger = menu("mnuLedger", QStringLiteral("&Ledger"));
    addItem(ledger, "mnuTrxs", QStringLiteral("&Transactions"), 1, child(openLedgerTrxs));
    addItem(ledger, "mnuNewTrx", QStringLiteral("&New Transaction"), 0, modal(openNewTransaction),
            QKeySequence(Qt::CTRL | Qt::Key_N));
    ledger->addSeparator();
    addItem(ledger, "mnuPostTrxs", QStringLiteral("&Post Transactions"), 2, modal(openPostTrxs));
    addItem(ledger, "mnuRevertPostings", QStringLiteral("&Revert Transaction Postings"), 13,
            modal(openRevertPostings));
    ledger->addSeparator();
    addItem(ledger, "mnuEndMonth", QStringLiteral("End &Month"), 3, modal(openEndMonth));
    addItem(ledger, "mnuRevertEndMonth", QStringLiteral("Revert &End Month"), 14,
            modal(openRevertEndMonth));
    ledger->addSeparator();
    addItem(ledger, "mnuEndYear", QStringLiteral("End &Year"), 4, modal(openEndYear));
    addItem(ledger, "mnuRevertEndYear", QStringLiteral("Re&vert End Year"), 15,
            modal(openRevertEndYear));
    ledger->addSeparator();
    addItem(ledger, "mnuLedgerAccount", QStringLiteral("&Accounts"), 9, child(openLedgerAccounts));
    addItem(ledger, "mnuAccountCard", QStringLiteral("Account &Card"), 16,
            [this] { openAccountCard(m_area); });
    addItem(ledger, "mnuBankRules", QStringLiteral("&Bank Rules\u2026"), 0, modal(openBankRules));
    addItem(ledger, "mnuCompany", QStringLiteral("Company &Info"), 10, modal(openCompany));

    QMenu* history = menu("mnuHistory", QStringLiteral("H&istory"));
    addItem(history, "mnuTrxHistory", QStringLiteral("&Transactions"), 0, child(openTrxHistory));
    addItem(history, "mnuLedgerHistoryCurrent", QStringLiteral("General Ledger - &Current Year"), 0,
            child(openGeneralHistoryCurrent));
    addItem(history, "mnuLedgerHistory", QStringLiteral("General Ledger - &Previous Years"), 0,
            child(openGeneralHistory));
    addItem(history, "mnuBalanceHistory", QStringLiteral("&Balances"), 0,
            child(openBalanceHistory));

    QMenu* reports = menu("mnuReports", QStringLiteral("&Reports"));
    addItem(reports, "mnuTransactionList", QStringLiteral("&Transaction List"), 5,
            modal(openRptTrxList));
    addItem(reports, "mnuTrialBalance", QStringLiteral("T&rial Balance"), 6,
            modal(openRptTrialBalance));
    addItem(reports, "mnuIncomeStatement", QStringLiteral("&Income Statement"), 7,
            modal(openRptIncomeStmt));
    addItem(reports, "mnuBalanceSheet", QStringLiteral("&Balance Sheet"), 8,
            modal(openRptBalanceSheet));
    reports->addSeparator();
    addItem(reports, "mnuCustomReport", QStringLiteral("&Custom Report"), 11,
            child(openCustomReports));

    mnuWindow = menu("mnuWindow", QStringLiteral("&Window"));
    addItem(mnuWindow, "mnuWCascade", QStringLiteral("&Cascade"), 0, [this] { Arrange(0); });
    addItem(mnuWindow, "mnuWTileHorizontal", QStringLiteral("Tile &Horizontal"), 0,
            [this] { Arrange(1); });
    addItem(mnuWindow, "mnuWTileVertical", QStringLiteral("Tile &Vertical"), 0,
            [this] { Arrange(2); });
    addItem(mnuWindow, "mnuWArrange", QStringLiteral("&Arrange Icons"), 0, [this] { Arrange(3); });
    m_windowListSeparator = mnuWindow->addSeparator();
    connect(mnuWindow, &QMenu::aboutToShow, this, &frmMain::fillWindowList);

    QMenu* help = menu("mnuHelp", QStringLiteral("&Help"));
    addItem(help, "mnuAbout", QStringLiteral("&About"), 12, modal(openAbout));
    help->addSeparator();
    addItem(help, "mnuHelps", QStringLiteral("&Help"), 0, modal(openHelp),
            QKeySequence(Qt::Key_F1));
}

void frmMain::chooseBooks(bool create) {
    const QString folder =
        zelk::g_cnn ? QFileInfo(zelk::g_cnn->filePath()).absolutePath() : QString();
    const QString path = exchangeDialogs().chooseBooksFile(this, create, folder);
    if (path.isEmpty())
        return;
    if (create && QFileInfo::exists(path)) { // new books are never made over a file
        zelk::ui().messageBox(QStringLiteral("%1 is there already; Open Books\u2026 opens it.")
                                  .arg(QDir::toNativeSeparators(path)),
                              QStringLiteral("New Books"));
        return;
    }
    emit booksRequested(path, create);
}

// The books opened lately, newest first, between Open Books… and the separator; books
// whose file is gone say so.
void frmMain::fillRecentBooks() {
    for (QAction* a : m_file->actions())
        if (a->objectName().startsWith(QLatin1String("mnuRecentBooks")))
            delete a; // the menu is about to show: none of them is being triggered
    const QStringList recent = zelk::books::RecentBooks().list();
    for (qsizetype i = 0; i < recent.size(); ++i) {
        const QString& path = recent[i];
        QString text = QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path));
        if (!QFileInfo::exists(path))
            text += QStringLiteral(" (not found)");
        auto* a = new QAction(text, m_file);
        a->setObjectName(QStringLiteral("mnuRecentBooks%1").arg(i + 1));
        connect(a, &QAction::triggered, this, [this, path] { openRecentBooks(path); });
        m_file->insertAction(m_recentEnd, a);
    }
}

void frmMain::openRecentBooks(const QString& path) {
    if (!QFileInfo::exists(path)) {
        zelk::books::RecentBooks().remove(path);
        zelk::ui().messageBox(QStringLiteral("The books %1 are not there any more; they are taken "
                                             "off the list.")
                                  .arg(QDir::toNativeSeparators(path)),
                              QStringLiteral("Open Books"));
        return;
    }
    emit booksRequested(path, false);
}

QAction* frmMain::action(const QString& name) const {
    return findChild<QAction*>(name);
}

void frmMain::ClickMenu(qint16 command) {
    if (command < 1 || command > 16)
        return;
    if (QAction* a = m_commands[size_t(command)])
        a->trigger();
}

// The platform's window list: one entry per open child window, the active one checked.
void frmMain::fillWindowList() {
    const QList<QAction*> all = mnuWindow->actions();
    const qsizetype from = all.indexOf(m_windowListSeparator);
    for (qsizetype i = from + 1; i < all.size(); ++i) {
        mnuWindow->removeAction(all[i]);
        all[i]->deleteLater();
    }
    const QList<QMdiSubWindow*> windows = m_area->subWindowList(QMdiArea::CreationOrder);
    m_windowListSeparator->setVisible(!windows.isEmpty());
    int n = 0;
    for (QMdiSubWindow* w : windows) {
        ++n;
        QAction* a = mnuWindow->addAction(QStringLiteral("%1%2 %3")
                                              .arg(n < 10 ? QStringLiteral("&") : QString())
                                              .arg(n)
                                              .arg(w->windowTitle()));
        a->setObjectName(QStringLiteral("mnuWindowList_%1").arg(n));
        a->setCheckable(true);
        a->setChecked(w == m_area->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w] {
            if (w->isMinimized())
                w->showNormal();
            m_area->setActiveSubWindow(w);
        });
    }
}

void frmMain::Arrange(int how) {
    const QList<QMdiSubWindow*> all = m_area->subWindowList(QMdiArea::CreationOrder);
    QList<QMdiSubWindow*> open;
    QList<QMdiSubWindow*> icons;
    for (QMdiSubWindow* w : all) {
        if (!w->isVisible())
            continue;
        (w->isMinimized() ? icons : open).append(w);
    }
    const QSize area = m_area->viewport()->size();
    switch (how) {
    case 0:
        m_area->cascadeSubWindows();
        break;
    case 1: // full-width strips, one above the other
    case 2: // full-height columns, side by side
        if (!open.isEmpty()) {
            const int n = int(open.size());
            for (int i = 0; i < n; ++i) {
                QMdiSubWindow* w = open[i];
                if (w->isMaximized())
                    w->showNormal();
                if (how == 1) {
                    const int top = area.height() * i / n;
                    w->setGeometry(0, top, area.width(), area.height() * (i + 1) / n - top);
                } else {
                    const int left = area.width() * i / n;
                    w->setGeometry(left, 0, area.width() * (i + 1) / n - left, area.height());
                }
            }
        }
        break;
    case 3: { // the minimised windows' icons in a row along the bottom
        int x = 0;
        for (QMdiSubWindow* w : icons) {
            const QSize s = w->size();
            w->move(x, area.height() - s.height());
            x += s.width();
        }
        break;
    }
    default:
        break;
    }
}

bool frmMain::closeChildWindows() {
    QList<QPointer<QMdiSubWindow>> children;
    for (QMdiSubWindow* w : m_area->subWindowList())
        children << w;
    for (const QPointer<QMdiSubWindow>& w : children)
        if (w && !w->close())
            return false;
    for (const QPointer<QMdiSubWindow>& w : children)
        delete w.data();
    return true;
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Child windows first, then every other window, the connection last.
    if (!closeChildWindows()) {
        event->ignore();
        return;
    }
    tmrMessage->stop();
    emit closing();
    event->accept();
}
