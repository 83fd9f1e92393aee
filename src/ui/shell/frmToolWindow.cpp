#include "frmToolWindow.h"

#include "ui/widgets/Twips.h"

#include <QMainWindow>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

frmToolWindow::frmToolWindow(QMainWindow* main) : QDockWidget(main) {
    setObjectName(QStringLiteral("frmToolWindow"));
    setWindowTitle(QStringLiteral("Tools"));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    auto* content = new QWidget(this);
    tabTool = new QTabWidget(content);
    tabTool->setObjectName(QStringLiteral("tabTool"));

    // Button index i runs command i + 1; the account card came last, beside Accounts.
    struct Button {
        int index;
        const char* caption;
    };
    struct Tab {
        const char* caption;
        std::initializer_list<Button> buttons;
    };
    const Tab tabs[] = {
        {"Transactions",
         {{0, "Ledger Transactions"},
          {1, "Post Ledger Transactions"},
          {2, "End Month"},
          {3, "End Year"}}},
        {"Reports",
         {{4, "Transaction List"},
          {5, "Trial Balance"},
          {6, "Income Statement"},
          {7, "Balance Sheet"}}},
        {"Misc.",
         {{8, "Accounts"},
          {15, "Account Card"},
          {9, "Company"},
          {10, "Custom Reports"},
          {11, "About"}}},
        {"Misc. II",
         {{12, "Revert Transaction Postings"}, {13, "Revert End Month"}, {14, "Revert End Year"}}},
    };
    for (const Tab& tab : tabs) {
        auto* page = new QWidget(tabTool);
        auto* layout = new QVBoxLayout(page);
        for (const Button& button : tab.buttons) {
            const int index = button.index;
            auto* b = new QPushButton(QString::fromLatin1(button.caption), page);
            b->setObjectName(QStringLiteral("cmdTool_%1").arg(index));
            b->setMinimumHeight(twips(420));
            connect(b, &QPushButton::clicked, this, [this, index] { cmdTool_Click(index); });
            layout->addWidget(b);
            cmdTool[size_t(index)] = b;
        }
        layout->addStretch(1);
        tabTool->addTab(page, QString::fromLatin1(tab.caption));
    }
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(tabTool);
    layout->addStretch(1);
    // wide enough for the four tabs side by side
    const int wide = std::max(twips(3600), tabTool->tabBar()->sizeHint().width() + 8);
    tabTool->setFixedSize(wide, twips(3300));
    setWidget(content);
    if (main)
        main->addDockWidget(Qt::RightDockWidgetArea, this);
}

void frmToolWindow::cmdTool_Click(int index) {
    emit commandRequested(qint16(index + 1));
}
