#include "AccountCells.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTimer>

namespace zelk::controls {

using accounts::AccountLookup;

namespace {
// The width a list needs for its longest entry, scroll bar and frame included.
int listWidth(const QAbstractItemView* view, const QStringList& entries) {
    int widest = 0;
    for (const QString& e : entries)
        widest = std::max(widest, view->fontMetrics().horizontalAdvance(e));
    return widest + view->verticalScrollBar()->sizeHint().width() + 2 * view->frameWidth() + 16;
}
} // namespace

AccountCompleter::AccountCompleter(const AccountLookup& lookup, QLineEdit* edit)
    : QCompleter(edit), m_lookup(lookup), m_edit(edit), m_model(new QStandardItemModel(this)) {
    // The list is made here, not by the completer's own prefix rule, and the field's text
    // is never replaced while an entry is marked: only taking an entry changes it.
    setModel(m_model);
    setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    setMaxVisibleItems(12);
    setWidget(edit);
    connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) {
        refill(text);
        // Once the key that changed the text has been handled.
        QTimer::singleShot(0, this, [this] { showList(); });
    });
    connect(this, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            [this](const QModelIndex& index) { emit chosen(index.data(Qt::UserRole).toString()); });
    m_popup = popup();
    m_popup->installEventFilter(this); // after the completer's own filter: runs first
}

void AccountCompleter::refill(const QString& text) {
    m_model->clear();
    for (const AccountLookup::Account* a : m_lookup.match(text)) {
        auto* item = new QStandardItem(AccountLookup::entryText(*a));
        item->setData(a->AccountNo, Qt::UserRole);
        m_model->appendRow(item);
    }
}

void AccountCompleter::showList() {
    if (m_model->rowCount() == 0 || !m_edit->isVisible() || !m_edit->hasFocus()) {
        popup()->hide();
        return;
    }
    QStringList entries;
    for (int r = 0; r < m_model->rowCount(); ++r)
        entries << m_model->item(r)->text();
    int width = std::max(m_edit->width(), listWidth(popup(), entries));
    if (const QScreen* screen = m_edit->screen())
        width = std::min(width, screen->availableGeometry().width());
    complete(QRect(0, 0, width, m_edit->height()));
    popup()->setCurrentIndex(completionModel()->index(0, 0));
}

bool AccountCompleter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_popup && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab: {
            if (completionModel()->rowCount() == 0)
                break;
            QModelIndex marked = popup()->currentIndex();
            if (!marked.isValid())
                marked = completionModel()->index(0, 0);
            popup()->hide();
            emit chosen(marked.data(Qt::UserRole).toString());
            // The key then does in the field what it does there (ends a cell, moves on).
            QKeyEvent again(QEvent::KeyPress, key->key(), key->modifiers(), key->text());
            QCoreApplication::sendEvent(m_edit, &again);
            return true;
        }
        default:
            break;
        }
    }
    return QCompleter::eventFilter(watched, event);
}

AccountBox::AccountBox(const AccountLookup& lookup, QWidget* parent, const QString& name,
                       bool withNone)
    : QComboBox(parent), m_lookup(lookup) {
    setObjectName(name);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr); // the account completer below instead of the inline one
    setMaxVisibleItems(20);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    QStringList entries;
    if (withNone)
        addItem(QString(), QString());
    for (const AccountLookup::Account& a : lookup.accounts()) {
        entries << AccountLookup::entryText(a);
        addItem(entries.back(), a.AccountNo);
    }
    view()->setMinimumWidth(listWidth(view(), entries));
    auto* completer = new AccountCompleter(lookup, lineEdit());
    connect(completer, &AccountCompleter::chosen, this, &AccountBox::setAccount);
}

void AccountBox::setAccount(const QString& accountNo) {
    const AccountLookup::Account* a = m_lookup.findNo(accountNo);
    const int entry = a ? findData(a->AccountNo) : -1;
    setCurrentIndex(entry);
    if (entry < 0)
        setEditText(accountNo);
}

const AccountLookup::Account* AccountBox::account() const {
    return m_lookup.resolve(currentText());
}

AccountCellDelegate::AccountCellDelegate(const AccountLookup& lookup, QObject* parent)
    : QStyledItemDelegate(parent), m_lookup(lookup) {}

QWidget* AccountCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                           const QModelIndex& index) const {
    if (editable && !editable(index))
        return nullptr;
    auto* box = new AccountBox(m_lookup, parent, QStringLiteral("cmbAccountCell"), true);
    box->setFrame(false);
    // A choice from the drop-down itself ends the edit.
    connect(
        box, &QComboBox::activated, box,
        [this, box] {
            if (!box->isVisible())
                return;
            auto* self = const_cast<AccountCellDelegate*>(this);
            emit self->commitData(box);
            emit self->closeEditor(box, QAbstractItemDelegate::SubmitModelCache);
        },
        Qt::QueuedConnection);
    return box;
}

void AccountCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* box = static_cast<AccountBox*>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    box->setCurrentIndex(-1);
    box->setEditText(text);
    box->setProperty("openedWith", text);
    box->lineEdit()->selectAll();
}

void AccountCellDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                       const QModelIndex& index) const {
    auto* box = static_cast<AccountBox*>(editor);
    const QString text = box->currentText();
    if (choose && text != box->property("openedWith").toString())
        choose(index, text);
}

} // namespace zelk::controls
