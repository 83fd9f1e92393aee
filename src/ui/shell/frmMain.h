#pragma once

#include <QKeySequence>
#include <QMainWindow>
#include <QRandomGenerator>
#include <QStringList>
#include <array>
#include <functional>

class QAction;
class QFrame;
class QLabel;
class QMdiArea;
class QMenu;
class QTimer;
class frmToolWindow;

// The main window: a multiple-document frame with the menu bar, the message ticker
// along the top, and the child windows.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Runs the menu command with the given number (1..16); any other does nothing.
    void ClickMenu(qint16 command);
    QMdiArea* mdiArea() const { return m_area; }
    const QStringList& messages() const { return m_Messages; }
    QAction* action(const QString& name) const;

    // The window arrangements of the "&Window" menu (0 cascade, 1 tile horizontal,
    // 2 tile vertical, 3 arrange icons).
    void Arrange(int how);
    // Closes every child window; false when one of them refused.
    bool closeChildWindows();

signals:
    // The main window is closing, its child windows closed: every other window and the
    // connection go now.
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MDIForm_Load();
    void buildMenus();
    void tmrMessage_Timer();
    void picMsg_Resize();
    void fillWindowList();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption, int command,
                     const std::function<void()>& run, const QKeySequence& shortcut = {});

    QMdiArea* m_area;
    QWidget* picMsg;
    QFrame* fraMsg;
    QLabel* lblMessage;
    QTimer* tmrMessage;
    QMenu* mnuWindow = nullptr;
    QAction* m_windowListSeparator = nullptr;
    QStringList m_Messages;
    QRandomGenerator m_random;
    std::array<QAction*, 17> m_commands{};
};
