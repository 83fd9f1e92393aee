#pragma once

#include <QWidget>
#include <array>

class QPushButton;
class QTabWidget;
class frmMain;

// A palette of fifteen shortcut buttons on four tabs; each runs the main window's
// menu command with its index + 1. It floats over the main window and takes no part
// in the window arrangements or the window list.
class frmToolWindow : public QWidget {
    Q_OBJECT
public:
    explicit frmToolWindow(frmMain* main);

private:
    void cmdTool_Click(int index);

    frmMain* m_main;
    QTabWidget* tabTool;
    std::array<QPushButton*, 15> cmdTool{};
};
