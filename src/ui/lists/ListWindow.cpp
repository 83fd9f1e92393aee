#include "ListWindow.h"

#include "core/lists/ListSortFilter.h"

#include "core/data/Connection.h"
#include "core/data/modErrors.h"
#include "core/exchange/TableExport.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/ExchangeDialogs.h"
#include "ui/widgets/Twips.h"

#include <QApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QTableView>
#include <QVBoxLayout>

using namespace zelk;

namespace {

constexpr int ButtonTop = 144;
constexpr int ButtonHeight = 492;

} // namespace

ListWindow::ListWindow(ListWindowSpec spec, QWidget* parent)
    : QWidget(parent), m_spec(std::move(spec)) {
    setObjectName(m_spec.objectName);
    setWindowTitle(m_spec.caption);

    fraCommand = controls::frame(this, QStringLiteral("fraCommand"));
    int right = 0;
    for (size_t i = 0; i < m_spec.buttons.size(); ++i) {
        const ListButton& b = m_spec.buttons[i];
        QPushButton* button =
            controls::button(fraCommand, QStringLiteral("cmdOps_%1").arg(i), b.caption);
        button->setGeometry(twips(b.leftTwips), twips(ButtonTop), twips(m_spec.buttonWidthTwips),
                            twips(ButtonHeight));
        right = std::max(right, twips(b.leftTwips + m_spec.buttonWidthTwips));
        cmdOps.push_back(button);
        connect(button, &QPushButton::clicked, this, [this, i] {
            const ListButton& pressed = m_spec.buttons[i];
            switch (pressed.kind) {
            case ListButton::Add:
                NewRecord();
                break;
            case ListButton::Edit:
                EditRecord();
                break;
            case ListButton::Delete:
                DeleteRecord();
                break;
            case ListButton::Close:
                CloseWindow();
                break;
            case ListButton::Custom:
                if (pressed.action)
                    runGuarded([&] { pressed.action(*this); });
                break;
            }
        });
    }
    // Export… after the window's own buttons, one button's step further on.
    {
        int last = 0, step = m_spec.buttonWidthTwips;
        for (const ListButton& b : m_spec.buttons)
            last = std::max(last, b.leftTwips);
        if (m_spec.buttons.size() > 1)
            step = m_spec.buttons[1].leftTwips - m_spec.buttons[0].leftTwips;
        cmdExport = controls::button(fraCommand, QStringLiteral("cmdExport"),
                                     QStringLiteral("E&xport\u2026"));
        const int left = m_spec.buttons.empty() ? 48 : last + step;
        cmdExport->setGeometry(twips(left), twips(ButtonTop), twips(m_spec.buttonWidthTwips),
                               twips(ButtonHeight));
        right = std::max(right, twips(left + m_spec.buttonWidthTwips));
        connect(cmdExport, &QPushButton::clicked, this, &ListWindow::ExportList);
    }
    fraCommand->setFixedHeight(twips(ButtonTop + ButtonHeight + ButtonTop / 2));
    fraCommand->setMinimumWidth(right + twips(48));

    m_model = new ListModel(m_spec.columns, this);
    m_shown = new ListSortFilter(this);
    m_shown->setSourceModel(m_model);
    grdData = new QTableView(this);
    grdData->setObjectName(QStringLiteral("grdData"));
    grdData->setModel(m_shown);
    controls::sortByHeaders(grdData);
    txtFilter = controls::filterBox(this, grdData, m_shown);
    grdData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdData->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdData->setSelectionMode(QAbstractItemView::SingleSelection);
    grdData->verticalHeader()->hide();
    grdData->verticalHeader()->setDefaultSectionSize(grdData->fontMetrics().height() + 6);
    grdData->horizontalHeader()->setHighlightSections(false);
    grdData->horizontalHeader()->setStretchLastSection(false);
    grdData->setWordWrap(false);
    // A double click on a data row edits it; the header row is not part of the view.
    connect(grdData, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!index.isValid())
            return;
        setCurrentRow(index.row());
        if (!QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier) || !clickShifted())
            EditRecord();
    });
    // Enter on the grid: what a double click does (with Shift too).
    grdData->installEventFilter(this);

    for (size_t c = 0; c < m_spec.columns.size() && m_keyColumn < 0; ++c)
        if (!m_spec.columns[c].key.isEmpty())
            m_keyColumn = int(c);

    // The bar across the top, as wide as the window; the grid fills the rest.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(fraCommand);
    layout->addWidget(txtFilter);
    layout->addWidget(grdData, 1);

    applyDesignedLayout();
    // Wide enough for every column and the vertical scroll bar, and for the buttons.
    int gridWidth = 0;
    for (size_t c = 0; c < m_spec.columns.size(); ++c)
        gridWidth += grdData->columnWidth(int(c));
    m_preferredSize = QSize(std::max(gridWidth + 2 * grdData->frameWidth() +
                                         grdData->verticalScrollBar()->sizeHint().width() + 4,
                                     right + twips(48)),
                            fraCommand->height() + txtFilter->sizeHint().height() +
                                12 * grdData->verticalHeader()->defaultSectionSize());
    resize(m_preferredSize);

    zelk::controls::BusyPointer busy(m_spec.busyPointer);
    OpenList();
    applyDesignedLayout();
}

ListWindow::~ListWindow() = default;

QSize ListWindow::sizeHint() const {
    return m_preferredSize;
}

void ListWindow::OpenList() {
    if (g_cnn)
        connect(g_cnn, &Connection::commitTransComplete, this,
                &ListWindow::m_cnn_CommitTransComplete);
    requery();
}

void ListWindow::applyDesignedLayout() {
    for (size_t c = 0; c < m_spec.columns.size(); ++c) {
        const zelk::ListDisplay shown = m_spec.columns[c].display;
        controls::setDesignedWidth(
            grdData, int(c), m_spec.columns[c].widthTwips,
            shown == zelk::ListDisplay::ShortDate ? controls::widestDateText()
            : shown == zelk::ListDisplay::Money   ? controls::widestAmountText()
                                                  : QString());
    }
}

// Rebinds the grid to a new snapshot of the statement's rows, keeping the column widths
// as they were just before and the current record where it still exists.
void ListWindow::requery() {
    std::vector<int> widths;
    for (int c = 0; c < m_model->columnCount(); ++c)
        widths.push_back(grdData->columnWidth(c));
    const QString key = currentKey();
    const int row = currentRow();

    RowSet rows;
    try {
        if (!g_cnn)
            throw DbError({0, m_spec.caption, QStringLiteral("The database is not open.")});
        rows = g_cnn->stream(m_spec.statement);
    } catch (const DbError& e) {
        ui().messageBox(modErrors::ComposeErrorText(e.record()), m_spec.caption);
    }
    m_model->setRowSet(std::move(rows));

    for (size_t c = 0; c < widths.size(); ++c)
        grdData->setColumnWidth(int(c), widths[c]);
    // A sorted view sorts the new rows the same way.
    if (m_shown->sortColumn() >= 0)
        m_shown->sort(m_shown->sortColumn(), m_shown->sortOrder());
    if (m_shown->rowCount() == 0)
        return;
    int again = shownRowOfKey(key);
    if (again < 0)
        again = std::clamp(row, 0, m_shown->rowCount() - 1);
    setCurrentRow(again);
}

void ListWindow::m_cnn_CommitTransComplete() {
    requery();
}

bool ListWindow::hasDataRow() const {
    return m_shown->rowCount() > 0;
}

int ListWindow::shownRowOfKey(const QString& key) const {
    if (key.isEmpty())
        return -1;
    const int source = m_model->findRow(m_keyColumn, key);
    return source < 0 ? -1 : m_shown->mapFromSource(m_model->index(source, 0)).row();
}

int ListWindow::currentRow() const {
    const QModelIndex current = grdData->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ListWindow::setCurrentRow(int row) {
    if (row < 0 || row >= m_shown->rowCount())
        return;
    grdData->setCurrentIndex(m_shown->index(row, 0));
    grdData->selectRow(row);
}

QString ListWindow::currentKey() const {
    const int row = currentRow();
    if (row < 0)
        return QString();
    return m_model->cellText(m_shown->mapToSource(m_shown->index(row, 0)).row(), m_keyColumn);
}

// Runs a command of the window; an error it raises is reported here and goes no further.
void ListWindow::runGuarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const DbError& e) {
        modErrors::ShowErrorMessage(e.record());
    } catch (const std::exception& e) {
        modErrors::ShowMessageDialog(
            modErrors::ComposeErrorText({0, m_spec.caption, QString::fromUtf8(e.what())}), 4,
            QStringLiteral("DB Error"));
    }
}

bool ListWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grdData && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            if (!key->modifiers().testFlag(Qt::ShiftModifier) || !clickShifted())
                EditRecord();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool ListWindow::clickShifted() {
    const int shifted = m_spec.shiftDoubleClickButton;
    if (shifted < 0 || size_t(shifted) >= cmdOps.size())
        return false;
    cmdOps[size_t(shifted)]->click();
    return true;
}

void ListWindow::NewRecord() {
    if (!m_spec.add)
        return;
    QSet<QString> before;
    for (int r = 0; r < m_model->rowCount(); ++r)
        before.insert(m_model->cellText(r, m_keyColumn).toUpper());
    runGuarded([&] { m_spec.add(this); });
    // The row the editor added is the current one.
    for (int r = 0; r < m_model->rowCount(); ++r)
        if (!before.contains(m_model->cellText(r, m_keyColumn).toUpper())) {
            setCurrentRow(m_shown->mapFromSource(m_model->index(r, 0)).row());
            break;
        }
    grdData->setFocus(); // the arrow keys walk the rows again, not the buttons
}

void ListWindow::EditRecord() {
    if (!hasDataRow() || !m_spec.edit)
        return;
    if (currentRow() < 0)
        setCurrentRow(0);
    const QString key = currentKey();
    runGuarded([&] { m_spec.edit(this, key); });
    grdData->setFocus();
}

void ListWindow::DeleteRecord() {
    if (!hasDataRow() || !m_spec.deletion.statements || !g_cnn)
        return;
    if (currentRow() < 0)
        setCurrentRow(0);
    const QString key = currentKey();
    runGuarded([&] { RunListDeletion(*g_cnn, m_spec.deletion, key, m_spec.caption); });
    grdData->setFocus();
}

void ListWindow::ExportList() {
    m_model->fetchAll(); // every row, not only those scrolled to
    controls::ExportTable(this, exchange::TableOfModel(*m_shown, m_spec.caption), m_spec.caption);
}

void ListWindow::CloseWindow() {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}
