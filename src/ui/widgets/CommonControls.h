#pragma once

#include "core/data/UserPorts.h"

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>

class QAbstractItemView;
class QComboBox;
class QTableView;
class QGridLayout;
class QLineEdit;
class QGroupBox;
class QListWidget;
class QProgressBar;
class QPushButton;
class QWidget;

namespace zelk {
class ListSortFilter;
}

// Controls that many windows share, made once.
namespace zelk::controls {

// A month drop-down: "January" ... "December" carrying 1 ... 12 as item data; nothing
// selected.
QComboBox* monthList(QWidget* parent, const QString& name = QStringLiteral("cmbMonth"));
void fillMonthList(QComboBox* combo);
// The month list of the open fiscal year: its months in their order, each with its
// calendar year ("February 2005"), carrying 1 ... 12 as item data; nothing selected.
// Without a readable company row, the plain month list.
QComboBox* fiscalMonthList(QWidget* parent, const QString& name = QStringLiteral("cmbMonth"));
// The selected month's item data, or 0 when none is selected.
int selectedMonth(const QComboBox* combo);
// Selects the entry of that month (item data 1 ... 12).
void selectMonth(QComboBox* combo, int month);
// The selected month; with none, 0 after "Choose a month." (titled with the window's
// title), the focus back on the list.
int requireMonth(QComboBox* combo);

// A list of the years 1980 ... 3000 as decimal texts, nothing selected.
QListWidget* yearList(QWidget* parent, const QString& name);
void fillYearList(QListWidget* list);
// The selected year, or 0 when none is selected.
int selectedYear(const QListWidget* list);
// Selects that year and scrolls it into view.
void selectYear(QListWidget* list, int year);
// The selected year; with none, 0 after "Choose a year.", the focus back on the list.
int requireYear(QListWidget* list);
// Scrolls a year list so that its selected year shows, or with none the current year.
void showCurrentYear(QListWidget* list);

// A dialog starts where the user types: the tab order runs through the fields inside
// `fields` and then through `confirm` (its OK and Cancel), and the focus starts on the
// first field.
void fieldsFirst(QWidget* fields, QWidget* confirm);

// A frame (a bordered box without caption) with the given object name.
QGroupBox* frame(QWidget* parent, const QString& name);
// A push button with object name and caption.
QPushButton* button(QWidget* parent, const QString& name, const QString& caption);
// The usual confirm frame of a dialog: "&Ok" (cmdOk) and "&Cancel" (cmdCancel).
QGroupBox* okCancelFrame(QWidget* parent, QPushButton** ok, QPushButton** cancel);
// The confirm frame of an editor: "&Save" (cmdSave) and "&Cancel" (cmdCancel). Save is
// the default button (Enter in a field saves) unless `enterSaves` is false.
QGroupBox* saveCancelFrame(QWidget* parent, QPushButton** save, QPushButton** cancel,
                           bool enterSaves = true);
// Whether a modal editor may close: true when nothing was changed, or when the user
// answers Yes to `question` (a question box titled with the editor's title).
bool mayDiscard(QWidget* editor, bool changed, const QString& question);

// A text box with the given object name.
QLineEdit* textBox(QWidget* parent, const QString& name);
// The fields of a frame, one per row, each after its label ("Name:"); the labels are
// named lblLabels_0, lblLabels_1, ... Returns the frame's grid (column 1 holds the fields).
QGridLayout* labelledFields(QWidget* frame, const QList<QPair<QString, QWidget*>>& fields);

// The filter box above a grid (txtFilter): what is typed keeps the rows that contain it
// in some column. Ctrl+F anywhere in the window comes here; Escape empties it and Down
// goes on to the grid.
QLineEdit* filterBox(QWidget* window, QAbstractItemView* grid, ListSortFilter* rows);
// Sorting by a click on a column header (again: the other way), starting in the
// designed order.
void sortByHeaders(QTableView* grid);
// Sets a column to its designed width, or wider when its caption and the sort mark, or
// the widest text it shows (`widest`), need more, so both are shown whole.
void setDesignedWidth(QTableView* grid, int column, int widthTwips,
                      const QString& widest = QString());
// The widest texts of a date and of an amount as the windows show them.
QString widestDateText();
QString widestAmountText();

// The busy pointer for as long as the object lives (when `on`).
class BusyPointer {
public:
    explicit BusyPointer(bool on = true);
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    bool m_on;
};

} // namespace zelk::controls

// The progress display of a run shown in a progress bar; events are pumped at each
// step so the bar repaints and a click on Cancel is taken.
class ProgressBarSink : public zelk::ProgressSink {
public:
    explicit ProgressBarSink(QProgressBar* bar) : m_bar(bar) {}
    void setMaximum(int maximum) override;
    void setValue(int value) override;
    void pumpEvents() override;

private:
    QProgressBar* m_bar;
};
