#include "GuiHelpers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <map>
#include <vector>

QStringList columnTexts(const QAbstractItemView* view, int c) {
    QStringList out;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        out << view->model()->index(r, c).data().toString();
    return out;
}

void onNextModal(std::function<void(QWidget*)> action, int timeoutMs, bool required) {
    QPointer<QWidget> before = QApplication::activeModalWidget();
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, before, action, timeoutMs, required] {
        QWidget* m = QApplication::activeModalWidget();
        if (m && m != before.data() && m->isVisible()) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            action(m);
            return;
        }
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            if (required)
                ADD_FAILURE() << "no modal window opened";
        }
    });
    timer->start();
}

void expectFramesLaidOut(const QWidget* window, const QString& prefix) {
    std::vector<const QWidget*> frames;
    for (const QWidget* w : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->objectName().startsWith(prefix) && w->isVisibleTo(window))
            frames.push_back(w);
    EXPECT_FALSE(frames.empty()) << window->objectName().toStdString() << " has no frame";
    for (size_t i = 0; i < frames.size(); ++i) {
        const std::string name = frames[i]->objectName().toStdString();
        EXPECT_TRUE(window->rect().contains(frames[i]->geometry())) << name << " is cut off";
        for (size_t j = i + 1; j < frames.size(); ++j)
            EXPECT_FALSE(frames[i]->geometry().intersects(frames[j]->geometry()))
                << name << " lies over " << frames[j]->objectName().toStdString();
    }
}

void clickButton(const QWidget* parent, const QString& name) {
    auto* b = child<QAbstractButton>(parent, name);
    ASSERT_TRUE(b->isEnabled()) << name.toStdString() << " is disabled";
    QTest::mouseClick(b, Qt::LeftButton);
}

void pumpEvents(int ms) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (ms > 0)
        QTest::qWait(ms);
    else
        QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The widget that takes the keys: an open popup list, else the window's focus widget.
static QWidget* keyTarget(QWidget* window) {
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup;
    QWidget* f = window->focusWidget();
    return f ? f : window;
}

void pressKeys(QWidget* window, const QString& script) {
    static const std::map<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {
        {"Enter", {Qt::Key_Return, {}}},
        {"Tab", {Qt::Key_Tab, {}}},
        {"Esc", {Qt::Key_Escape, {}}},
        {"Del", {Qt::Key_Delete, {}}},
        {"Up", {Qt::Key_Up, {}}},
        {"Down", {Qt::Key_Down, {}}},
        {"Right", {Qt::Key_Right, {}}},
        {"Left", {Qt::Key_Left, {}}},
        {"F4", {Qt::Key_F4, {}}},
        {"Alt+S", {Qt::Key_S, Qt::AltModifier}},
        {"Alt+D", {Qt::Key_D, Qt::AltModifier}},
        {"Alt+N", {Qt::Key_N, Qt::AltModifier}},
        {"Ctrl+Enter", {Qt::Key_Return, Qt::ControlModifier}},
    };
    for (qsizetype i = 0; i < script.size(); ++i) {
        if (script[i] == '<') {
            const qsizetype close = script.indexOf('>', i);
            const auto k = keys.at(script.mid(i + 1, close - i - 1));
            QTest::keyClick(keyTarget(window), k.first, k.second);
            if (k.second & Qt::AltModifier) // a button's mnemonic clicks it after a moment
                pumpEvents(150);
            i = close;
        } else {
            QTest::keyClick(keyTarget(window), script[i].toLatin1());
        }
        pumpEvents();
    }
}
