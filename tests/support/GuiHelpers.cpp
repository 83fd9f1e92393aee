#include "GuiHelpers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>

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
