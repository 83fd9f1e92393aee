#include "QtUserInterface.h"

#include "core/data/modUtils.h"
#include "frmMessage.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <cstdio>

namespace {

QWidget* dialogParent() {
    if (QWidget* w = QApplication::activeModalWidget())
        return w;
    return QApplication::activeWindow();
}

int standardBox(QMessageBox::Icon icon, const QString& text, const QString& title,
                QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, title, text, buttons, dialogParent());
    return box.exec();
}

} // namespace

int QtUserInterface::showMessageDialog(const QString& message, int buttons, const QString& title) {
    frmMessage dlg(dialogParent());
    dlg.setTitle(title);
    dlg.setMessage(message);
    for (int i = 0; i < 4; ++i)
        dlg.setButtonEnabled(i, modUtils::IsBitSet(buttons, i));
    dlg.exec();
    return dlg.Result();
}

void QtUserInterface::messageBox(const QString& text, const QString& title) {
    standardBox(QMessageBox::Information, text, title, QMessageBox::Ok);
}

bool QtUserInterface::askYesNo(const QString& text, const QString& title) {
    return standardBox(QMessageBox::Question, text, title, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

bool QtUserInterface::askOkCancel(const QString& text, const QString& title) {
    return standardBox(QMessageBox::Question, text, title, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

void QtUserInterface::notice(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* main = qobject_cast<QMainWindow*>(w); main && main->isVisible()) {
            main->statusBar()->showMessage(text, 15000);
            main->statusBar()->repaint();
        }
}
