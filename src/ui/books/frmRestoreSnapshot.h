#pragma once

#include "core/books/Snapshots.h"

#include <QDialog>
#include <functional>
#include <vector>

class QPushButton;
class QTableWidget;

// "Restore Snapshot": the snapshots of the books, newest first, with the step each was
// taken before, the company, its open fiscal year and the file's size. Restore asks for
// confirmation, closes every open window (closeWindows; false when one refused) and
// replaces the books with the chosen snapshot.
class frmRestoreSnapshot : public QDialog {
    Q_OBJECT
public:
    explicit frmRestoreSnapshot(std::function<bool()> closeWindows, QWidget* parent = nullptr);

    static constexpr const char* Title = "Restore Snapshot";

private:
    void Form_Load();
    void cmdRestore_Click();
    void grdSnapshots_SelectionChanged();

    std::function<bool()> m_closeWindows;
    std::vector<zelk::snapshots::Snapshot> m_snapshots;
    QTableWidget* grdSnapshots;
    QPushButton* cmdRestore;
    QPushButton* cmdCancel;
};
