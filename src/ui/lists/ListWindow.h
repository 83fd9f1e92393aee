#pragma once

#include "core/lists/ListDeletion.h"
#include "core/lists/ListModel.h"
#include "core/lists/ListSortFilter.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QTableView;

class ListWindow;

// One button of a list window's bar (`cmdOps_<index>`, in the order given).
struct ListButton {
    enum Kind { Add, Edit, Delete, Close, Custom };
    QString caption;
    int leftTwips = 0;
    Kind kind = Custom;
    std::function<void(ListWindow&)> action; // for Custom buttons
};

// Everything that differs between list windows.
struct ListWindowSpec {
    QString objectName; // e.g. frmLedgerAccounts
    QString caption;    // the window's title, also the title of its questions
    QString statement;  // the query whose rows the grid shows
    std::vector<zelk::ListColumn> columns;
    std::vector<ListButton> buttons;
    int buttonWidthTwips = 1476;
    bool busyPointer = true; // the busy pointer while the window opens
    // Add opens a new editor's Add; Edit a new editor's Edit with the current row's key
    // (the text of the first column that carries a key).
    std::function<void(QWidget* parent)> add;
    std::function<void(QWidget* parent, const QString& key)> edit;
    zelk::ListDeletion deletion;
    // The button whose command a double click with Shift, or Shift+Enter on the grid,
    // runs (-1: Edit, as without Shift).
    int shiftDoubleClickButton = -1;
};

// A list window: a read-only grid over one statement's rows, a bar of command buttons,
// Add / Edit / confirmed Delete / Close, double click or Enter on a data row = Edit. Every open
// list window reads its rows again after every commit on the application connection,
// keeping its column captions and widths.
class ListWindow : public QWidget {
    Q_OBJECT
public:
    explicit ListWindow(ListWindowSpec spec, QWidget* parent = nullptr);
    ~ListWindow() override;

    void NewRecord();
    void EditRecord();
    void DeleteRecord();
    // Export…: the rows and columns as shown, to a CSV file or a workbook.
    void ExportList();
    // Closes the window (its frame too when it is a child window of the main window).
    void CloseWindow();

    // Whether the grid holds a data row; the current row's key (empty when none).
    bool hasDataRow() const;
    QString currentKey() const;
    int currentRow() const;
    void setCurrentRow(int row);

    QTableView* grid() const { return grdData; }
    zelk::ListModel* model() const { return m_model; }
    const ListWindowSpec& spec() const { return m_spec; }

    QSize sizeHint() const override;

    bool eventFilter(QObject* watched, QEvent* event) override;

    // Reads the rows again (what every commit on the connection does).
    void m_cnn_CommitTransComplete();

private:
    void OpenList();
    void requery();
    void applyDesignedLayout();
    void runGuarded(const std::function<void()>& command);
    // Clicks the button of shiftDoubleClickButton; false when there is none.
    bool clickShifted();

    ListWindowSpec m_spec;
    int shownRowOfKey(const QString& key) const; // -1: not shown
    zelk::ListModel* m_model;
    zelk::ListSortFilter* m_shown; // what the grid shows of the model's rows
    QGroupBox* fraCommand;
    QTableView* grdData;
    QLineEdit* txtFilter;
    std::vector<QPushButton*> cmdOps;
    QPushButton* cmdExport = nullptr;
    int m_keyColumn = -1;
    QSize m_preferredSize;
};
