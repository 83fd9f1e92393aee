#pragma once

#include <QString>

namespace zelk {

// The answers of the message dialog, by button index.
enum Answer : int { Fix = 0, Retry = 1, Abort = 2, Ignore = 3 };

// Everything the logic asks of the user. The windows show the real dialogs; tests
// script the answers.
class UserInterface {
public:
    virtual ~UserInterface() = default;
    // The program's own message dialog: buttons is a mask whose bit i enables button i
    // (Fix, Retry, Abort, Ignore). Returns the index of the button pressed; closing the
    // dialog by its frame answers 0.
    virtual int showMessageDialog(const QString& message, int buttons, const QString& title) = 0;
    // The standard message box with an OK button.
    virtual void messageBox(const QString& text, const QString& title) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool askYesNo(const QString& text, const QString& title) = 0;
    // A question with OK and Cancel; true for OK.
    virtual bool askOkCancel(const QString& text, const QString& title) = 0;
    // A passing note while the program waits (the books in use by another program): the
    // window shows it in its status line, the command line on stderr.
    virtual void notice(const QString& text) { (void)text; }
};

// The progress display of a long run: maximum, value, and a moment for the user
// interface to handle pending events (a click on Cancel).
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void setMaximum(int maximum) = 0;
    virtual void setValue(int value) = 0;
    virtual void pumpEvents() = 0;
};

// A progress display that shows nothing (runs driven without a window).
class NoProgress : public ProgressSink {
public:
    void setMaximum(int) override {}
    void setValue(int) override {}
    void pumpEvents() override {}
};

// The user interface in use: the real dialogs in the program, a script in tests.
UserInterface& ui();
void setUserInterface(UserInterface* ui);

// The program's own folder (the database file and the report file live there).
QString programFolder();
void setProgramFolder(const QString& folder);
// The folder of the report file: the program's own when it can be written (a copy of the
// program in a folder of its own), otherwise the user's cache folder (made when missing).
QString reportFolder();

// The application title used for notices that name no window.
inline QString appTitle() {
    return QStringLiteral("Zelk");
}

} // namespace zelk
