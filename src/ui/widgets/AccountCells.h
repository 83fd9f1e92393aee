#pragma once

#include "core/accounts/AccountLookup.h"

#include <QComboBox>
#include <QCompleter>
#include <QStyledItemDelegate>
#include <functional>

class QLineEdit;
class QStandardItemModel;

namespace zelk::controls {

// The list that completes a typed account: every account whose number begins with the
// text or whose name contains it ("number — name"), as wide as its longest entry, the
// first one marked. Up and Down mark another; Enter or Tab takes the marked one (the
// first when none is) and then acts as it would in the field; a click takes one.
class AccountCompleter : public QCompleter {
    Q_OBJECT
public:
    AccountCompleter(const accounts::AccountLookup& lookup, QLineEdit* edit);

signals:
    void chosen(const QString& accountNo);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refill(const QString& text);
    void showList();

    const accounts::AccountLookup& m_lookup;
    QLineEdit* m_edit;
    QStandardItemModel* m_model;
    QAbstractItemView* m_popup = nullptr;
};

// An account field: an editable drop-down of every account ("number — name", carrying
// the number; Alt+Down opens it) whose typed text is completed by number or name. The
// field holds the text as typed; the account is the one the text names
// (AccountLookup::resolve), or none.
class AccountBox : public QComboBox {
    Q_OBJECT
public:
    // `withNone`: an empty entry first, which chooses no account.
    AccountBox(const accounts::AccountLookup& lookup, QWidget* parent, const QString& name,
               bool withNone = false);

    // Shows the account of that number (its entry), or the text as it is when no account
    // has that number.
    void setAccount(const QString& accountNo);
    // The account the text names; nullptr when it names none.
    const accounts::AccountLookup::Account* account() const;

private:
    const accounts::AccountLookup& m_lookup;
};

// The cells of a grid where an account is given: an AccountBox opens on the cell's text;
// the owner says whether a cell may be edited and takes the text the cell was left with
// (an entry's text when one was taken from the list), unless it is the text it opened
// with.
class AccountCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    AccountCellDelegate(const accounts::AccountLookup& lookup, QObject* parent);

    std::function<bool(const QModelIndex&)> editable;
    std::function<void(const QModelIndex&, const QString& typed)> choose;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    const accounts::AccountLookup& m_lookup;
};

} // namespace zelk::controls
