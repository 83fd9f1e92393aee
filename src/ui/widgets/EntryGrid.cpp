#include "EntryGrid.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace zelk::controls {

EntryGrid::EntryGrid(int rows, int columns, QWidget* parent) : QTableWidget(rows, columns, parent) {
    // Cell editors are made as children of the viewport: watch them for the owner's keys.
    viewport()->installEventFilter(this);
}

void EntryGrid::commitEdit() {
    if (state() != EditingState)
        return;
    for (QObject* o : viewport()->children()) {
        auto* editor = qobject_cast<QWidget*>(o);
        if (editor && editor->isVisible()) {
            commitData(editor);
            QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
}

void EntryGrid::moveOn() {
    const QModelIndex from = currentIndex();
    if (!from.isValid())
        return;
    QModelIndex to = nextCell ? nextCell(from) : QModelIndex();
    if (!nextCell) {
        if (from.column() + 1 < columnCount())
            to = model()->index(from.row(), from.column() + 1);
        else if (from.row() + 1 < rowCount())
            to = model()->index(from.row() + 1, 0);
    }
    if (to.isValid())
        setCurrentIndex(to);
}

void EntryGrid::keyPressEvent(QKeyEvent* e) {
    const QModelIndex cell = currentIndex();
    if (state() != EditingState && cell.isValid()) {
        if (cellKey && cellKey(cell, e))
            return;
        const bool plain = !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && plain) {
            moveOn();
            return;
        }
        if (e->key() == Qt::Key_Delete && plain) {
            emit rowCleared(cell.row());
            return;
        }
    }
    QTableWidget::keyPressEvent(e);
}

void EntryGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTableWidget::closeEditor(editor, hint);
    // Enter (or a choice from a list) ends the cell: go on to the next one.
    if (hint == QAbstractItemDelegate::SubmitModelCache)
        moveOn();
}

bool EntryGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == viewport()) {
        if (event->type() == QEvent::ChildAdded)
            if (QObject* child = static_cast<QChildEvent*>(event)->child(); child->isWidgetType())
                child->installEventFilter(this);
        return QTableWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress && cellKey) {
        auto* line = qobject_cast<QLineEdit*>(watched);
        if (line && line->text().isEmpty() &&
            cellKey(currentIndex(), static_cast<QKeyEvent*>(event))) {
            QTableWidget::closeEditor(line, QAbstractItemDelegate::RevertModelCache);
            return true;
        }
    }
    return QTableWidget::eventFilter(watched, event);
}

} // namespace zelk::controls
