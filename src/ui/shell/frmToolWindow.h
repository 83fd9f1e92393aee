#pragma once

#include <QDockWidget>
#include <array>

class QMainWindow;
class QPushButton;
class QTabWidget;

// A palette of fifteen shortcut buttons on four tabs; each asks for the main window's
// menu command with its index + 1. It is docked at the side of the main window (it can
// be moved or floated, not closed), so it never covers a child window, and it takes no
// part in the window arrangements or the window list.
class frmToolWindow : public QDockWidget {
    Q_OBJECT
public:
    explicit frmToolWindow(QMainWindow* main);

signals:
    // A button asks for the menu command with this number (1..16).
    void commandRequested(qint16 command);

private:
    void cmdTool_Click(int index);

    QTabWidget* tabTool;
    std::array<QPushButton*, 16> cmdTool{};
};
