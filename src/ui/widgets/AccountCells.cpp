#include "AccountCells.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTimer>

namespace zelk::controls {

using accounts::AccountLookup;

AccountCompleter::AccountCompleter(const AccountLookup& lookup, MatchBy by, QLineEdit* edit)
    : QCompleter(edit), m_lookup(lookup), m_by(by), m_model(new QStandardItemModel(this)) {
    setModel(m_model);
    setCompletionRole(CompletionRole);
    setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    setCaseSensitivity(Qt::CaseInsensitive);
    setMaxVisibleItems(12);
    edit->setCompleter(this);
    // The list is made here, not by the completer's own prefix rule; the first entry is
    // marked so that Enter takes it.
    // The list is made here, not by the completer's own prefix rule.
    connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) {
        refill(text);
        QTimer::singleShot(0, this, [this] {
            if (m_model->rowCount() > 0 && widget() && widget()->isVisible() &&
                !popup()->isVisible())
                complete();
        });
    });
    // A click on an entry takes it; Enter takes the marked entry, or the first when none
    // is marked.
    connect(this, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            [this](const QModelIndex& index) { emit chosen(index.data(Qt::UserRole).toString()); });
    m_popup = popup();
    m_popup->installEventFilter(this);
}

bool AccountCompleter::eventFilter(QObject* watched, QEvent* event) {
    if (m_popup && watched == m_popup && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && completionModel()->rowCount() > 0) {
            QModelIndex chosenIndex = popup()->currentIndex();
            if (!chosenIndex.isValid())
                chosenIndex = completionModel()->index(0, 0);
            const QString no = chosenIndex.data(Qt::UserRole).toString();
            popup()->hide();
            emit chosen(no);
            return true;
        }
    }
    return QCompleter::eventFilter(watched, event);
}

void AccountCompleter::refill(const QString& text) {
    m_model->clear();
    const auto matches =
        m_by == MatchBy::Number ? m_lookup.matchNumber(text) : m_lookup.matchWords(text);
    for (const AccountLookup::Account* a : matches) {
        auto* item = new QStandardItem(AccountLookup::pickText(*a));
        // What the box shows while the entry is marked: the number, or the entry text.
        item->setData(m_by == MatchBy::Number ? a->AccountNo : AccountLookup::pickText(*a),
                      CompletionRole);
        item->setData(a->AccountNo, Qt::UserRole);
        m_model->appendRow(item);
    }
}

AccountCellDelegate::AccountCellDelegate(const AccountLookup& lookup, MatchBy by, QObject* parent)
    : QStyledItemDelegate(parent), m_lookup(lookup), m_by(by) {}

void AccountCellDelegate::endOnChoice(QWidget* editor, AccountCompleter* completer) const {
    connect(
        completer, &AccountCompleter::chosen, editor,
        [this, editor](const QString& no) {
            if (!editor->isVisible()) // the edit has ended meanwhile
                return;
            if (auto* combo = qobject_cast<QComboBox*>(editor))
                combo->setCurrentIndex(std::max(0, combo->findData(no)));
            else if (auto* line = qobject_cast<QLineEdit*>(editor))
                line->setText(no);
            auto* self = const_cast<AccountCellDelegate*>(this);
            emit self->commitData(editor);
            emit self->closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
        },
        Qt::QueuedConnection);
}

QWidget* AccountCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                           const QModelIndex& index) const {
    if (editable && !editable(index))
        return nullptr;
    if (m_by == MatchBy::Number) {
        auto* line = new QLineEdit(parent);
        line->setObjectName(QStringLiteral("txtAccountCell"));
        line->setFrame(false);
        endOnChoice(line, new AccountCompleter(m_lookup, MatchBy::Number, line));
        return line;
    }
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("cmbAccountName"));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(20);
    combo->addItem(QString(), QString()); // no account: empties the line's account
    for (const AccountLookup::Account& a : m_lookup.accounts())
        combo->addItem(AccountLookup::pickText(a), a.AccountNo);
    endOnChoice(combo, new AccountCompleter(m_lookup, MatchBy::Words, combo->lineEdit()));
    // A choice from the drop-down itself ends the edit as well.
    connect(
        combo, &QComboBox::activated, combo,
        [this, combo] {
            if (!combo->isVisible() || combo->lineEdit()->completer()->popup()->isVisible())
                return;
            auto* self = const_cast<AccountCellDelegate*>(this);
            emit self->commitData(combo);
            emit self->closeEditor(combo, QAbstractItemDelegate::SubmitModelCache);
        },
        Qt::QueuedConnection);
    return combo;
}

void AccountCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        const QString no = heldAccount ? heldAccount(index) : QString();
        combo->setCurrentIndex(std::max(0, combo->findData(no)));
        combo->lineEdit()->selectAll();
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setText(index.data(Qt::EditRole).toString());
    }
}

void AccountCellDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                       const QModelIndex& index) const {
    if (!choose)
        return;
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        choose(index, line->text());
        return;
    }
    auto* combo = static_cast<QComboBox*>(editor);
    const QString text = combo->currentText();
    if (combo->currentIndex() >= 0 && combo->itemText(combo->currentIndex()) == text) {
        choose(index, combo->currentData().toString());
        return;
    }
    if (text.trimmed().isEmpty()) {
        choose(index, QString());
        return;
    }
    // Typed but not taken from the list: one account of those words, or else the cell
    // stays as it was.
    const auto matches = m_lookup.matchWords(text);
    if (matches.size() == 1)
        choose(index, matches.front()->AccountNo);
}

} // namespace zelk::controls
