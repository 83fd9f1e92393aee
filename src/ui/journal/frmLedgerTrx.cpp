#include "frmLedgerTrx.h"

#include "core/data/Connection.h"
#include "core/data/modUtils.h"
#include "core/shared/TypedDate.h"
#include "ui/widgets/AccountCells.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/DateField.h"
#include "ui/widgets/EntryGrid.h"
#include "ui/widgets/Twips.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

using namespace zelk;
using namespace zelk::journal;
using zelk::controls::AccountCellDelegate;

namespace {

constexpr int ColumnWidths[4] = {1068, 3528, 912, 912};
const char* const ColumnCaptions[4] = {"Account No", "Account Name", "Debit", "Credit"};

// The rows up to the last one that holds anything.
std::vector<LineCells> withoutEmptyEnd(std::vector<LineCells> rows) {
    while (!rows.empty() && rows.back() == LineCells{})
        rows.pop_back();
    return rows;
}

bool isZeroText(const QString& s) {
    return Amount::valueOf(s).isZero();
}

} // namespace

frmLedgerTrx::frmLedgerTrx(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmLedgerTrx"));
    setWindowTitle(QStringLiteral("Transactions"));

    fraTrx = controls::frame(this, QStringLiteral("fraTrx"));
    auto text = [this](const char* name) {
        return controls::textBox(fraTrx, QString::fromLatin1(name));
    };
    txtTransactionNo = text("txtTransactionNo");
    txtSource = text("txtSource");
    dtpStamp = controls::dateField(fraTrx, QStringLiteral("dtpStamp"), QDate::currentDate());
    txtDescription = text("txtDescription");
    lblPosted = new QLabel(fraTrx);
    lblPosted->setObjectName(QStringLiteral("lblPosted"));
    QFont bold = lblPosted->font();
    bold.setBold(true);
    lblPosted->setFont(bold);

    const QList<QPair<QString, QWidget*>> fields = {
        {QStringLiteral("Transaction No:"), txtTransactionNo},
        {QStringLiteral("Source:"), txtSource},
        {QStringLiteral("DateStamp:"), dtpStamp},
        {QStringLiteral("Description:"), txtDescription},
    };
    QGridLayout* form = controls::labelledFields(fraTrx, fields);
    form->addWidget(lblPosted, 0, 2, Qt::AlignRight);
    form->setColumnStretch(1, 1);
    dtpStamp->setMaximumWidth(twips(2000));
    // Enter in a header field goes on to the next field, and from the last to the lines.
    for (QLineEdit* f :
         {txtTransactionNo, txtSource, static_cast<QLineEdit*>(dtpStamp), txtDescription})
        connect(f, &QLineEdit::returnPressed, this, [this] { focusNextChild(); });

    grdDetail = new controls::EntryGrid(0, 4, this);
    grdDetail->setObjectName(QStringLiteral("grdDetail"));
    QStringList captions;
    for (const char* c : ColumnCaptions)
        captions << QString::fromLatin1(c);
    grdDetail->setHorizontalHeaderLabels(captions);
    grdDetail->verticalHeader()->hide();
    grdDetail->horizontalHeader()->setHighlightSections(false);
    grdDetail->verticalHeader()->setDefaultSectionSize(grdDetail->fontMetrics().height() + 8);
    grdDetail->setSelectionMode(QAbstractItemView::SingleSelection);
    grdDetail->setWordWrap(false);
    // Amounts show whole up to 999,999,999.99; the name column takes the room left.
    const int amountWidth =
        std::max(twips(ColumnWidths[ColDebit]),
                 grdDetail->fontMetrics().horizontalAdvance(QStringLiteral("999,999,999.99")) + 16);
    int width = 0;
    for (int c = 0; c < 4; ++c) {
        const int w = c >= ColDebit ? amountWidth : twips(ColumnWidths[c]);
        grdDetail->setColumnWidth(c, w);
        width += w;
    }
    grdDetail->horizontalHeader()->setSectionResizeMode(ColAccountName, QHeaderView::Stretch);
    grdDetail->setMinimumSize(width + 24, twips(4200));

    // Both account cells take an account by its number or its name.
    auto* accountCells = new AccountCellDelegate(m_lookup, this);
    accountCells->editable = [this](const QModelIndex&) { return !m_readOnly; };
    accountCells->choose = [this](const QModelIndex& i, const QString& typed) {
        LineCells cells = rowCells(i.row());
        ChooseTypedAccount(cells, typed, m_lookup);
        setRow(i.row(), cells);
        rowChanged();
    };
    grdDetail->setItemDelegateForColumn(ColAccountNo, accountCells);
    grdDetail->setItemDelegateForColumn(ColAccountName, accountCells);
    grdDetail->nextCell = [this](const QModelIndex& i) { return nextCell(i); };
    grdDetail->cellKey = [this](const QModelIndex& i, QKeyEvent* k) { return balancingKey(i, k); };
    connect(grdDetail, &controls::EntryGrid::rowCleared, this, [this](int row) {
        if (m_readOnly)
            return;
        setRow(row, LineCells{});
        rowChanged();
    });
    connect(grdDetail, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!m_updating)
            grdDetail_AfterEdit(item->row(), item->column());
    });

    lblTotals = new QLabel(this);
    lblTotals->setObjectName(QStringLiteral("lblTotals"));
    lblTotals->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The keys of the lines, where they act.
    lblKeys = new QLabel(QStringLiteral("= or F4: balancing amount \u00b7 Ctrl+Enter: save"), this);
    lblKeys->setObjectName(QStringLiteral("lblKeys"));
    auto* statusLine = new QHBoxLayout;
    statusLine->addWidget(lblKeys);
    statusLine->addStretch(1);
    statusLine->addWidget(lblTotals);

    fraConfirm = controls::saveCancelFrame(this, &cmdSave, &cmdCancel, false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraTrx);
    layout->addWidget(grdDetail, 1);
    layout->addLayout(statusLine);
    layout->addWidget(fraConfirm);

    connect(cmdSave, &QPushButton::clicked, this, &frmLedgerTrx::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLedgerTrx::reject);
    for (QKeySequence keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this] {
            if (cmdSave->isEnabled())
                cmdSave_Click();
        });
    clearGrid(EntryRows);
}

void frmLedgerTrx::LoadAccountLookup() {
    m_lookup = AccountLookup::Load(*g_cnn);
}

void frmLedgerTrx::clearGrid(int rows) {
    m_updating = true;
    grdDetail->clearContents();
    grdDetail->setRowCount(0);
    m_updating = false;
    for (int r = 0; r < rows; ++r)
        setRow(r, LineCells{});
    rowChanged();
}

void frmLedgerTrx::setRow(int row, const LineCells& cells) {
    m_updating = true;
    if (row >= grdDetail->rowCount())
        grdDetail->setRowCount(row + 1);
    for (int c = 0; c < 4; ++c) {
        QTableWidgetItem* item = grdDetail->item(row, c);
        if (!item) {
            item = new QTableWidgetItem;
            if (c == ColDebit || c == ColCredit)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grdDetail->setItem(row, c, item);
        }
        item->setText(cells[size_t(c)]);
    }
    m_updating = false;
}

LineCells frmLedgerTrx::rowCells(int row) const {
    LineCells cells;
    for (int c = 0; c < 4; ++c)
        if (const QTableWidgetItem* item = grdDetail->item(row, c))
            cells[size_t(c)] = item->text();
    return cells;
}

std::vector<LineCells> frmLedgerTrx::lineCells() const {
    std::vector<LineCells> rows;
    rows.reserve(size_t(grdDetail->rowCount()));
    for (int r = 0; r < grdDetail->rowCount(); ++r)
        rows.push_back(rowCells(r));
    return rows;
}

TransactionHeader frmLedgerTrx::header() const {
    return {txtTransactionNo->text(), txtSource->text(), txtDescription->text(), dtpStamp->date()};
}

void frmLedgerTrx::grdDetail_AfterEdit(int row, int col) {
    LineCells cells = rowCells(row);
    AfterEdit(cells, col, m_lookup);
    setRow(row, cells);
    rowChanged();
}

// After every change of a line: the totals under the grid, and one empty line at the end.
void frmLedgerTrx::rowChanged() {
    const int rows = grdDetail->rowCount();
    if (rows > 0 && rowCells(rows - 1) != LineCells{})
        setRow(rows, LineCells{});
    try {
        lblTotals->setText(TotalsText(TotalsOfRows(lineCells())));
    } catch (const AmountOverflow&) {
        lblTotals->setText(QStringLiteral("The amounts are too large to add up."));
    }
}

// From the number (or name) to the debit; from a debit to the credit unless the debit
// holds an amount; after the amount to the first cell of the next line.
QModelIndex frmLedgerTrx::nextCell(const QModelIndex& from) const {
    const int row = from.row();
    QAbstractItemModel* m = grdDetail->model();
    switch (from.column()) {
    case ColAccountNo:
    case ColAccountName:
        return m->index(row, ColDebit);
    case ColDebit:
        if (isZeroText(rowCells(row)[ColDebit]))
            return m->index(row, ColCredit);
        [[fallthrough]];
    default:
        return m->index(std::min(row + 1, grdDetail->rowCount() - 1), ColAccountNo);
    }
}

// F4 or "=" on an empty amount cell of a line without an amount fills the amount that
// balances the transaction.
bool frmLedgerTrx::balancingKey(const QModelIndex& cell, QKeyEvent* key) {
    if (m_readOnly || (key->key() != Qt::Key_F4 && key->text() != QStringLiteral("=")))
        return false;
    if (cell.column() != ColDebit && cell.column() != ColCredit)
        return false;
    const LineCells cells = rowCells(cell.row());
    if (!isZeroText(cells[ColDebit]) || !isZeroText(cells[ColCredit]))
        return false;
    try {
        if (std::optional<LineCells> filled = BalancingRow(lineCells(), size_t(cell.row()))) {
            setRow(cell.row(), *filled);
            rowChanged();
        }
    } catch (const AmountOverflow&) {
    }
    return true;
}

void frmLedgerTrx::setReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    for (QLineEdit* f : {txtSource, txtDescription, static_cast<QLineEdit*>(dtpStamp)})
        f->setReadOnly(readOnly);
    for (QAction* a : dtpStamp->actions())
        a->setEnabled(!readOnly);
    grdDetail->setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                                        : QAbstractItemView::DoubleClicked |
                                              QAbstractItemView::EditKeyPressed |
                                              QAbstractItemView::AnyKeyPressed);
    cmdSave->setEnabled(!readOnly);
}

bool frmLedgerTrx::changed() const {
    return header() != m_shownHeader ||
           dtpStamp->text() != ShortDateText(m_shownHeader.DateStamp) ||
           withoutEmptyEnd(lineCells()) != m_shownRows;
}

void frmLedgerTrx::showModal(QWidget* focus) {
    m_shownHeader = header();
    m_shownRows = withoutEmptyEnd(lineCells());
    grdDetail->setCurrentCell(0, ColAccountNo);
    focus->setFocus();
    exec();
}

void frmLedgerTrx::Add() {
    m_mode = SaveMode::Add;
    m_success = false;
    LoadAccountLookup();
    txtTransactionNo->setText(NextTransactionNo(*g_cnn));
    txtTransactionNo->setEnabled(true);
    txtTransactionNo->selectAll();
    txtSource->clear();
    txtDescription->clear();
    dtpStamp->setDate(QDate::currentDate());
    lblPosted->clear();
    setReadOnly(false);
    clearGrid(EntryRows);
    showModal(txtTransactionNo);
}

void frmLedgerTrx::Edit(const QString& TrxNo) {
    m_mode = SaveMode::Edit;
    m_success = false;
    std::optional<LoadedTransaction> t;
    {
        controls::BusyPointer busy;
        LoadAccountLookup();
        t = LoadTransaction(*g_cnn, TrxNo);
    }
    if (!t) { // deleted meanwhile
        ui().messageBox(TransactionNotFoundText(TrxNo), windowTitle());
        return;
    }
    txtTransactionNo->setText(TrxNo);
    txtSource->setText(t->header.Source);
    dtpStamp->setDate(t->header.DateStamp);
    txtDescription->setText(t->header.Description);
    // A posted transaction is looked at, not changed: the label says why.
    lblPosted->setText(t->Posted ? PostedLockText() : modUtils::PostedStatusText(false));
    // Every line shows: more rows than the 49 entry rows when there are more lines.
    clearGrid(EntryRows);
    for (size_t r = 0; r < t->rows.size(); ++r)
        setRow(int(r), t->rows[r]);
    rowChanged();
    txtTransactionNo->setEnabled(false); // a transaction's number cannot be changed
    setReadOnly(t->Posted);
    showModal(grdDetail);
}

void frmLedgerTrx::reject() {
    grdDetail->commitEdit();
    if (controls::mayDiscard(this, !m_readOnly && changed(), DiscardQuestion()))
        QDialog::reject();
}

void frmLedgerTrx::cmdSave_Click() {
    // What the screen shows is saved: the open cell and the typed date first.
    grdDetail->commitEdit();
    if (!dtpStamp->check())
        return;
    switch (TransactionSaveCommand(*g_cnn, header(), lineCells(), m_mode, windowTitle())) {
    case CommandOutcome::Committed:
        m_success = true;
        accept();
        break;
    case CommandOutcome::Abort:
        QDialog::reject();
        break;
    case CommandOutcome::Fix:
        break; // stays open with the input
    }
}
