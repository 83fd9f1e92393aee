#pragma once

#include "core/accounts/AccountLookup.h"

#include <QCompleter>
#include <QStyledItemDelegate>
#include <functional>

class QComboBox;
class QLineEdit;
class QStandardItemModel;

namespace zelk::controls {

// Completion for a text box where an account is typed: a popup list like a search
// field's ("name (number)" per account), walked with the arrow keys, taken with Enter.
// By number: the accounts whose number begins with the text; by words: those where
// every typed word begins a word of the name.
class AccountCompleter : public QCompleter {
    Q_OBJECT
public:
    enum class MatchBy { Number, Words };
    AccountCompleter(const accounts::AccountLookup& lookup, MatchBy by, QLineEdit* edit);

signals:
    void chosen(const QString& accountNo);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int CompletionRole = Qt::UserRole + 1;
    void refill(const QString& text);

    const accounts::AccountLookup& m_lookup;
    MatchBy m_by;
    QStandardItemModel* m_model;
    QAbstractItemView* m_popup = nullptr;
};

// The cells of a grid where an account is given: the number cell (typed, completed by
// number) or the name cell (a drop-down of "name (number)" that carries the number, an
// empty entry first, completed by the words of the name). The owner says which account
// a cell holds, whether it may be edited, and takes the account chosen: the number as
// typed in a number cell, the number of the entry in a name cell, empty for none.
class AccountCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using MatchBy = AccountCompleter::MatchBy;
    AccountCellDelegate(const accounts::AccountLookup& lookup, MatchBy by, QObject* parent);

    std::function<QString(const QModelIndex&)> heldAccount;
    std::function<bool(const QModelIndex&)> editable;
    std::function<void(const QModelIndex&, const QString& accountNo)> choose;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    void endOnChoice(QWidget* editor, AccountCompleter* completer) const;

    const accounts::AccountLookup& m_lookup;
    MatchBy m_by;
};

} // namespace zelk::controls
