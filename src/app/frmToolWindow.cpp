#include "frmToolWindow.h"

#include "frmMain.h"
#include "widgets/Twips.h"

#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

frmToolWindow::frmToolWindow(frmMain* main) : QDockWidget(main), m_main(main) {
    setObjectName(QStringLiteral("frmToolWindow"));
    setWindowTitle(QStringLiteral("Tools"));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    auto* content = new QWidget(this);
    tabTool = new QTabWidget(content);
    tabTool->setObjectName(QStringLiteral("tabTool"));

    struct Tab {
        const char* caption;
        std::initializer_list<const char*> buttons;
    };
    const Tab tabs[] = {
        {"Transactions",
         {"Ledger Transactions", "Post Ledger Transactions", "End Month", "End Year"}},
        {"Reports", {"Transaction List", "Trial Balance", "Income Statement", "Balance Sheet"}},
        {"Misc.", {"Accounts", "Company", "Custom Reports", "About"}},
        {"Misc. II", {"Revert Transaction Postings", "Revert End Month", "Revert End Year"}},
    };
    int index = 0;
    for (const Tab& tab : tabs) {
        auto* page = new QWidget(tabTool);
        auto* layout = new QVBoxLayout(page);
        for (const char* caption : tab.buttons) {
            auto* b = new QPushButton(QString::fromLatin1(caption), page);
            b->setObjectName(QStringLiteral("cmdTool_%1").arg(index));
            b->setMinimumHeight(twips(420));
            connect(b, &QPushButton::clicked, this, [this, index] { cmdTool_Click(index); });
            layout->addWidget(b);
            cmdTool[size_t(index)] = b;
            ++index;
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
    if (m_main)
        m_main->ClickMenu(qint16(index + 1));
}
