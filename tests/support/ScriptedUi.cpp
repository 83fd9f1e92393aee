#include "ScriptedUi.h"

#include <gtest/gtest.h>

namespace {
zelk::UserInterface* current() {
    try {
        return &zelk::ui();
    } catch (const std::logic_error&) {
        return nullptr;
    }
}
} // namespace

ScriptedUi::ScriptedUi() : m_previous(current()) {
    zelk::setUserInterface(this);
}

ScriptedUi::~ScriptedUi() {
    zelk::setUserInterface(m_previous);
}

ScriptedUi& ScriptedUi::answerDialog(int button) {
    m_dialogAnswers.push_back(button);
    return *this;
}

ScriptedUi& ScriptedUi::answerYes(bool yes) {
    m_boolAnswers.push_back(yes);
    return *this;
}

namespace {
// The next scripted answer; with none left, a failure and the fallback.
template <typename T>
T nextAnswer(std::deque<T>& answers, T fallback, const QString& text, const QString& title) {
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << title.toStdString() << ": "
                      << text.toStdString();
        return fallback;
    }
    const T a = answers.front();
    answers.pop_front();
    return a;
}
} // namespace

int ScriptedUi::showMessageDialog(const QString& message, int buttons, const QString& title) {
    m_asked.push_back({Asked::MessageDialog, message, title, buttons});
    return nextAnswer(m_dialogAnswers, int(zelk::Abort), message, title);
}

void ScriptedUi::messageBox(const QString& text, const QString& title) {
    m_asked.push_back({Asked::MessageBox, text, title, 0});
}

bool ScriptedUi::askYesNo(const QString& text, const QString& title) {
    m_asked.push_back({Asked::YesNo, text, title, 0});
    return nextAnswer(m_boolAnswers, false, text, title);
}

bool ScriptedUi::askOkCancel(const QString& text, const QString& title) {
    m_asked.push_back({Asked::OkCancel, text, title, 0});
    return nextAnswer(m_boolAnswers, false, text, title);
}

std::vector<QString> ScriptedUi::messageBoxes() const {
    std::vector<QString> out;
    for (const Asked& a : m_asked)
        if (a.kind == Asked::MessageBox)
            out.push_back(a.text);
    return out;
}

std::vector<ScriptedUi::Asked> ScriptedUi::dialogs() const {
    std::vector<Asked> out;
    for (const Asked& a : m_asked)
        if (a.kind == Asked::MessageDialog)
            out.push_back(a);
    return out;
}
