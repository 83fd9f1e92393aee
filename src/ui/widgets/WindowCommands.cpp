#include "WindowCommands.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace zelk::windows {

void showChild(QMdiArea* area, QWidget* window) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* sub = area->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->show();
}

} // namespace zelk::windows
