#pragma once

#include <QAbstractItemView>
#include <QString>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

// Runs `action` on the next modal window that opens (a window shown with exec()
// blocks the test, so its answer is scheduled before the click that opens it).
// Unless `required` is false, a modal window that does not open fails the test.
void onNextModal(std::function<void(QWidget*)> action, int timeoutMs = 10000, bool required = true);

// The widget of that object name inside `parent`; fails the test when there is none.
template <class T>
T* child(const QWidget* parent, const QString& name) {
    T* w = parent->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << "no widget named " << name.toStdString();
    if (!w)
        throw std::runtime_error("missing widget " + name.toStdString());
    return w;
}

// The window's frames (its shown children whose names start with `prefix`) lie inside
// it and none lies over another: one left out of the window's layout is drawn over the
// others.
void expectFramesLaidOut(const QWidget* window, const QString& prefix = QStringLiteral("fra"));

// The texts a view shows in column `c`, top to bottom.
QStringList columnTexts(const QAbstractItemView* view, int c);

// Clicks the button of that object name.
void clickButton(const QWidget* parent, const QString& name);

// Lets pending events run (deferred deletes too); with ms > 0, waits that long for timers.
void pumpEvents(int ms = 0);

// Types a script as a user would, into the open popup list or the window's focus widget:
// characters as they stand, keys in angle brackets (<Enter> <Tab> <Esc> <Del> <Up> <Down>
// <Right> <Left> <F4> <Alt+S> <Alt+D> <Alt+N> <Ctrl+Enter>). Events are let run after each key.
void pressKeys(QWidget* window, const QString& script);
