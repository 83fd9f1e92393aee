#include "CommonControls.h"

#include "core/lists/ListSortFilter.h"

#include "Twips.h"
#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/shared/TypedDate.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>

namespace zelk::controls {

QComboBox* monthList(QWidget* parent, const QString& name) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    fillMonthList(combo);
    return combo;
}

void fillMonthList(QComboBox* combo) {
    combo->clear();
    for (int m = 1; m <= 12; ++m)
        combo->addItem(fiscal::monthName(m), m);
    combo->setCurrentIndex(-1);
}

QComboBox* fiscalMonthList(QWidget* parent, const QString& name) {
    QComboBox* combo = monthList(parent, name);
    if (!g_cnn || !g_cnn->isOpen())
        return combo;
    try {
        const CompanyRow company = CompanyRow::read(*g_cnn);
        combo->clear();
        for (int period = 0; period < 12; ++period) {
            const int month = (company.FinancialPeriodBegin - 1 + period) % 12 + 1;
            combo->addItem(fiscal::monthOfDate(fiscal::firstDayOfMonth(
                               company.FinancialPeriodBegin, company.CurrentPeriodYear, month)),
                           month);
        }
        combo->setCurrentIndex(-1);
    } catch (const std::exception&) {
        // the plain month names stand when the company row cannot be read
    }
    return combo;
}

int selectedMonth(const QComboBox* combo) {
    if (combo->currentIndex() < 0)
        return 0;
    return combo->currentData().toInt();
}

void selectMonth(QComboBox* combo, int month) {
    combo->setCurrentIndex(combo->findData(month));
}

namespace {
int required(QWidget* field, int chosen, const QString& message) {
    if (chosen == 0) {
        ui().messageBox(message, field->window()->windowTitle());
        field->setFocus(Qt::OtherFocusReason);
    }
    return chosen;
}
} // namespace

int requireMonth(QComboBox* combo) {
    return required(combo, selectedMonth(combo), QStringLiteral("Choose a month."));
}

QListWidget* yearList(QWidget* parent, const QString& name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    fillYearList(list);
    return list;
}

void fillYearList(QListWidget* list) {
    list->clear();
    for (int y = 1980; y <= 3000; ++y)
        list->addItem(QString::number(y));
    list->setCurrentRow(-1);
    list->clearSelection();
}

int selectedYear(const QListWidget* list) {
    const QList<QListWidgetItem*> sel = list->selectedItems();
    if (sel.isEmpty())
        return 0;
    return sel.first()->text().toInt();
}

void selectYear(QListWidget* list, int year) {
    const int row = year - 1980;
    if (row < 0 || row >= list->count())
        return;
    list->setCurrentRow(row);
    showCurrentYear(list);
}

int requireYear(QListWidget* list) {
    return required(list, selectedYear(list), QStringLiteral("Choose a year."));
}

void showCurrentYear(QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    const int row =
        selected.isEmpty() ? QDate::currentDate().year() - 1980 : list->row(selected[0]);
    if (row >= 0 && row < list->count())
        list->scrollToItem(list->item(row), QAbstractItemView::PositionAtCenter);
}

void fieldsFirst(QWidget* fields, QWidget* confirm) {
    QList<QWidget*> chain;
    for (QWidget* box : {fields, confirm})
        for (QWidget* w : box->findChildren<QWidget*>())
            if ((w->focusPolicy() & Qt::TabFocus) && w->window() == box->window())
                chain << w;
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    if (!chain.isEmpty())
        chain.first()->setFocus(Qt::OtherFocusReason);
}

QGroupBox* frame(QWidget* parent, const QString& name) {
    auto* f = new QGroupBox(parent);
    f->setObjectName(name);
    return f;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

namespace {
QGroupBox* confirmFrame(QWidget* parent, QPushButton** first, const QString& name,
                        const QString& caption, QPushButton** cancel) {
    QGroupBox* f = frame(parent, QStringLiteral("fraConfirm"));
    *first = button(f, name, caption);
    *cancel = button(f, QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"));
    auto* row = new QHBoxLayout(f);
    row->addStretch(1);
    row->addWidget(*first);
    row->addWidget(*cancel);
    return f;
}
} // namespace

QGroupBox* okCancelFrame(QWidget* parent, QPushButton** ok, QPushButton** cancel) {
    QGroupBox* f = confirmFrame(parent, ok, QStringLiteral("cmdOk"), QStringLiteral("&Ok"), cancel);
    (*ok)->setDefault(true);
    return f;
}

QGroupBox* saveCancelFrame(QWidget* parent, QPushButton** save, QPushButton** cancel,
                           bool enterSaves) {
    QGroupBox* f =
        confirmFrame(parent, save, QStringLiteral("cmdSave"), QStringLiteral("&Save"), cancel);
    (*save)->setDefault(enterSaves);
    return f;
}

bool mayDiscard(QWidget* editor, bool changed, const QString& question) {
    return !changed || ui().askYesNo(question, editor->windowTitle());
}

QLineEdit* textBox(QWidget* parent, const QString& name) {
    auto* t = new QLineEdit(parent);
    t->setObjectName(name);
    return t;
}

QGridLayout* labelledFields(QWidget* frame, const QList<QPair<QString, QWidget*>>& fields) {
    auto* grid = new QGridLayout(frame);
    for (int i = 0; i < fields.size(); ++i) {
        auto* label = new QLabel(fields[i].first, frame);
        label->setObjectName(QStringLiteral("lblLabels_%1").arg(i));
        label->setBuddy(fields[i].second);
        grid->addWidget(label, i, 0, Qt::AlignLeft | Qt::AlignVCenter);
        grid->addWidget(fields[i].second, i, 1);
    }
    return grid;
}

namespace {

// Escape and Down in the filter box.
class FilterKeys : public QObject {
public:
    FilterKeys(QLineEdit* box, QAbstractItemView* grid) : QObject(box), m_box(box), m_grid(grid) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_box && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Escape && !m_box->text().isEmpty()) {
                m_box->clear();
                m_grid->setFocus();
                return true;
            }
            if (key == Qt::Key_Up || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
                m_grid->setFocus(); // the key walks the rows from the current one
                QCoreApplication::sendEvent(m_grid, event);
                return true;
            }
            if (key == Qt::Key_Down) {
                m_grid->setFocus();
                if (!m_grid->currentIndex().isValid() && m_grid->model()->rowCount() > 0)
                    m_grid->setCurrentIndex(m_grid->model()->index(0, 0));
                return true;
            }
        }
        return false;
    }

private:
    QLineEdit* m_box;
    QAbstractItemView* m_grid;
};

} // namespace

QLineEdit* filterBox(QWidget* window, QAbstractItemView* grid, ListSortFilter* rows) {
    QLineEdit* box = textBox(window, QStringLiteral("txtFilter"));
    box->setPlaceholderText(QStringLiteral("Filter (Ctrl+F)"));
    box->setClearButtonEnabled(true);
    box->installEventFilter(new FilterKeys(box, grid));
    QObject::connect(box, &QLineEdit::textChanged, rows, &ListSortFilter::setFilterText);
    auto* find = new QShortcut(QKeySequence::Find, window);
    find->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(find, &QShortcut::activated, box, [box] {
        box->setFocus(Qt::ShortcutFocusReason);
        box->selectAll();
    });
    return box;
}

void sortByHeaders(QTableView* grid) {
    grid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    grid->horizontalHeader()->setSortIndicatorShown(true);
    grid->setSortingEnabled(true);
}

void setDesignedWidth(QTableView* grid, int column, int widthTwips, const QString& widest) {
    const QFontMetrics metrics(grid->horizontalHeader()->font());
    const QString caption = grid->model()->headerData(column, Qt::Horizontal).toString();
    const int content = widest.isEmpty() ? 0 : grid->fontMetrics().horizontalAdvance(widest) + 12;
    grid->setColumnWidth(column,
                         std::max({twips(widthTwips), content,
                                   metrics.horizontalAdvance(caption) + metrics.height() + 12}));
}

QString widestDateText() {
    return ShortDateText(QDate(2000, 12, 28));
}

QString widestAmountText() {
    return QStringLiteral("-999,999,999.99");
}

BusyPointer::BusyPointer(bool on) : m_on(on) {
    if (m_on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyPointer::~BusyPointer() {
    if (m_on)
        QApplication::restoreOverrideCursor();
}

} // namespace zelk::controls

void ProgressBarSink::setMaximum(int maximum) {
    m_bar->setMinimum(0);
    m_bar->setMaximum(maximum);
}

void ProgressBarSink::setValue(int value) {
    m_bar->setValue(value);
}

void ProgressBarSink::pumpEvents() {
    QApplication::processEvents();
}
