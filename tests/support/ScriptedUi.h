#pragma once

#include "core/data/UserPorts.h"

#include <QString>
#include <deque>
#include <vector>

// A user interface whose answers the test scripts in advance, and which records every
// question it was asked. A question with no answer left fails the test and answers
// Abort / No / Cancel.
class ScriptedUi : public zelk::UserInterface {
public:
    struct Asked {
        enum Kind { MessageDialog, MessageBox, YesNo, OkCancel } kind;
        QString text;
        QString title;
        int buttons = 0;
    };

    ScriptedUi();
    ~ScriptedUi() override;

    ScriptedUi& answerDialog(int button);
    ScriptedUi& answerYes(bool yes = true);
    ScriptedUi& answerOk(bool ok = true) { return answerYes(ok); }

    int showMessageDialog(const QString& message, int buttons, const QString& title) override;
    void messageBox(const QString& text, const QString& title) override;
    bool askYesNo(const QString& text, const QString& title) override;
    bool askOkCancel(const QString& text, const QString& title) override;
    void notice(const QString& text) override { m_notices.push_back(text); }
    const std::vector<QString>& notices() const { return m_notices; }

    const std::vector<Asked>& asked() const { return m_asked; }
    std::vector<QString> messageBoxes() const; // texts of the plain message boxes
    std::vector<Asked> dialogs() const;        // the message dialogs shown
    void clear() { m_asked.clear(); }

private:
    std::deque<int> m_dialogAnswers;
    std::deque<bool> m_boolAnswers;
    std::vector<QString> m_notices;
    std::vector<Asked> m_asked;
    zelk::UserInterface* m_previous = nullptr;
};
