#pragma once

#include <QTableWidget>
#include <functional>

class QKeyEvent;

namespace zelk::controls {

// The line grid of an editor, made for the keyboard. The open cell editor can be
// committed on demand (Save and Cancel do so before they look at the input); Enter
// commits a cell and moves to the cell the owner names; Delete on a cell that is not
// being edited empties its line; the owner may take a key on a cell before the grid.
class EntryGrid : public QTableWidget {
    Q_OBJECT
public:
    EntryGrid(int rows, int columns, QWidget* parent);

    // Commits the text of the open cell editor, if any (its after-edit rule runs), and
    // closes it.
    void commitEdit();

    // The cell that Enter moves to; without it, the next cell of the line.
    std::function<QModelIndex(const QModelIndex& from)> nextCell;
    // A key typed on a cell (into an empty cell editor, or with no editor open),
    // offered to the owner first; true when the owner took it.
    std::function<bool(const QModelIndex& cell, QKeyEvent* key)> cellKey;

signals:
    // Delete on a cell of that row with no editor open.
    void rowCleared(int row);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void moveOn();
};

} // namespace zelk::controls
