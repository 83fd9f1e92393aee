#pragma once

#include <QDockWidget>
#include <array>

class QPushButton;
class QTabWidget;
class frmMain;

// A palette of fifteen shortcut buttons on four tabs; each runs the main window's
// menu command with its index + 1. It is docked at the side of the main window (it can
// be moved or floated, not closed), so it never covers a child window, and it takes no
// part in the window arrangements or the window list.
class frmToolWindow : public QDockWidget {
    Q_OBJECT
public:
    explicit frmToolWindow(frmMain* main);

private:
    void cmdTool_Click(int index);

    frmMain* m_main;
    QTabWidget* tabTool;
    std::array<QPushButton*, 16> cmdTool{};
};
