#pragma once

#include "core/data/UserPorts.h"

// The real dialogs: the program's message dialog and the platform's message boxes,
// shown over the active window.
class QtUserInterface : public zelk::UserInterface {
public:
    int showMessageDialog(const QString& message, int buttons, const QString& title) override;
    void messageBox(const QString& text, const QString& title) override;
    bool askYesNo(const QString& text, const QString& title) override;
    bool askOkCancel(const QString& text, const QString& title) override;
    // In the main window's status line, shown at once (the program is waiting).
    void notice(const QString& text) override;
};
