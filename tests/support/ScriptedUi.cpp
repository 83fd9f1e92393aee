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

ScriptedUi& ScriptedUi::answerOk(bool ok) {
    return answerYes(ok);
}

int ScriptedUi::showMessageDialog(const QString& message, int buttons, const QString& title) {
    m_asked.push_back({Asked::MessageDialog, message, title, buttons});
    if (m_dialogAnswers.empty()) {
        ADD_FAILURE() << "unexpected message dialog: " << title.toStdString() << ": "
                      << message.toStdString();
        return zelk::Abort;
    }
    const int a = m_dialogAnswers.front();
    m_dialogAnswers.pop_front();
    return a;
}

void ScriptedUi::messageBox(const QString& text, const QString& title) {
    m_asked.push_back({Asked::MessageBox, text, title, 0});
}

bool ScriptedUi::askYesNo(const QString& text, const QString& title) {
    m_asked.push_back({Asked::YesNo, text, title, 0});
    if (m_boolAnswers.empty()) {
        ADD_FAILURE() << "unexpected question: " << title.toStdString() << ": "
                      << text.toStdString();
        return false;
    }
    const bool a = m_boolAnswers.front();
    m_boolAnswers.pop_front();
    return a;
}

bool ScriptedUi::askOkCancel(const QString& text, const QString& title) {
    m_asked.push_back({Asked::OkCancel, text, title, 0});
    if (m_boolAnswers.empty()) {
        ADD_FAILURE() << "unexpected question: " << title.toStdString() << ": "
                      << text.toStdString();
        return false;
    }
    const bool a = m_boolAnswers.front();
    m_boolAnswers.pop_front();
    return a;
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
