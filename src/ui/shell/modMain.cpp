#include "modMain.h"

#include "core/books/BooksLocation.h"
#include "core/data/Connection.h"
#include "core/data/UserPorts.h"
#include "frmMain.h"
#include "frmToolWindow.h"
#include "ui/books/frmPassphrase.h"
#include "ui/widgets/WindowCommands.h"

#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace modMain {

namespace {
std::unique_ptr<zelk::Connection> s_cnn;
QPointer<frmMain> s_main;
QPointer<frmToolWindow> s_tools;

// When a modal window (a dialog, a report viewer, a message box) closes, the window
// that opened it is active again with its focus where it was, or the main window is:
// the window manager alone does not always hand the focus back.
class FocusAfterModals : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show && event->type() != QEvent::Hide)
            return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || !w->isWindow() || !w->isModal())
            return false;
        if (event->type() == QEvent::Show) {
            m_openers.insert(w, QPointer<QWidget>(QApplication::focusWidget()));
            return false;
        }
        QPointer<QWidget> focus = m_openers.take(w);
        QTimer::singleShot(0, this, [focus] {
            if (QApplication::activeModalWidget() || QApplication::activePopupWidget())
                return; // another modal window has the keys
            QWidget* target = focus && focus->isVisible() ? focus.data() : nullptr;
            QWidget* window = target ? target->window() : s_main.data();
            if (!window || !window->isVisible())
                return;
            window->activateWindow();
            if (target)
                target->setFocus(Qt::ActiveWindowFocusReason);
        });
        return false;
    }

private:
    QHash<QObject*, QPointer<QWidget>> m_openers;
};

// The books at path, asking for their passphrase when they have one; nothing after the
// message when they do not open.
std::unique_ptr<zelk::Connection> openTheBooks(const QString& path) {
    // The program's own key first; a file with a passphrase of the user's asks for it.
    PassphraseWindow prompt;
    QString failure;
    std::unique_ptr<zelk::Connection> cnn = zelk::openBooks(path, prompt, failure);
    if (!cnn && !failure.isEmpty()) { // empty: the user cancelled
        std::fprintf(stderr, "%s\n", failure.toLocal8Bit().constData());
        zelk::ui().messageBox(failure, zelk::appTitle());
    }
    return cnn;
}

void updateTitle() {
    if (!s_main || !s_cnn)
        return;
    try {
        s_main->setWindowTitle(zelk::books::booksTitle(*s_cnn));
    } catch (const zelk::DbError&) {
        s_main->setWindowTitle(zelk::appTitle());
    }
}

// The books just opened become the application's: remembered among the recent books,
// named in the title, which follows their changes.
void booksOpened() {
    zelk::g_cnn = s_cnn.get();
    zelk::books::RecentBooks().add(s_cnn->filePath());
    QObject::connect(s_cnn.get(), &zelk::Connection::commitTransComplete, s_main,
                     [] { updateTitle(); });
    updateTitle();
}
} // namespace

bool OpenBooks(const QString& path, bool create) {
    if (!s_main || !s_main->closeChildWindows())
        return false;
    std::unique_ptr<zelk::Connection> cnn = openTheBooks(path);
    if (!cnn)
        return false; // the books open now stay open
    if (s_cnn)
        s_cnn->close();
    s_cnn = std::move(cnn);
    booksOpened();
    if (create)
        zelk::windows::openNewCompany(s_main);
    return true;
}

int Main(const QString& books) {
    s_cnn = openTheBooks(books.isEmpty() ? zelk::programFolder() : books);
    if (!s_cnn)
        return 1;
    zelk::g_cnn = s_cnn.get();
    static FocusAfterModals* focus = nullptr;
    if (!focus) {
        focus = new FocusAfterModals(qApp);
        qApp->installEventFilter(focus);
    }

    s_main = new frmMain;
    s_main->setAttribute(Qt::WA_DeleteOnClose);
    s_main->show();
    s_tools = new frmToolWindow(s_main);
    s_tools->show();
    // The tool window asks the main window for its commands; the main window closing
    // closes the application. Only start-up knows both.
    QObject::connect(s_tools, &frmToolWindow::commandRequested, s_main, &frmMain::ClickMenu);
    QObject::connect(s_main, &frmMain::closing, s_main, [] { CloseApplication(s_main); });
    QObject::connect(s_main, &frmMain::booksRequested, s_main,
                     [](const QString& path, bool create) { OpenBooks(path, create); });
    // What another program commits shows as the window's own commits do.
    auto* watch = new QTimer(s_main);
    QObject::connect(watch, &QTimer::timeout, s_main, [] {
        if (s_cnn && s_cnn->changedElsewhere())
            emit s_cnn->commitTransComplete();
    });
    watch->start(WatchIntervalMs);
    booksOpened();
    return 0;
}

void CloseApplication(frmMain* mainWindow) {
    if (s_tools) {
        s_tools->close();
        delete s_tools;
    }
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        if (w != mainWindow && w->isVisible() && !w->inherits("QMenu"))
            w->close();
    if (s_cnn) {
        s_cnn->close();
        s_cnn.reset();
    }
    zelk::g_cnn = nullptr;
}

frmMain* mainWindow() {
    return s_main;
}
frmToolWindow* toolWindow() {
    return s_tools;
}

} // namespace modMain
