#include "frmLedgerTrx.h"

#include "data/Connection.h"
#include "data/modUtils.h"
#include "widgets/CommonControls.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace zelk;
using namespace zelk::journal;

namespace {

constexpr int ColumnWidths[4] = {1068, 3528, 912, 912};
const char* const ColumnCaptions[4] = {"Account No", "Account Name", "Debit", "Credit"};

// The account-name column: a drop-down of every account's name. Choosing a name ends
// the edit; leaving without a choice keeps the cell as it was.
class AccountNameDelegate : public QStyledItemDelegate {
public:
    AccountNameDelegate(const AccountLookup& lookup, QObject* parent)
        : QStyledItemDelegate(parent), m_lookup(lookup) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* combo = new QComboBox(parent);
        combo->setObjectName(QStringLiteral("cmbAccountName"));
        combo->addItems(m_lookup.names());
        combo->setMaxVisibleItems(20);
        connect(combo, &QComboBox::activated, this, [this, combo] {
            auto* self = const_cast<AccountNameDelegate*>(this);
            emit self->commitData(combo);
            emit self->closeEditor(combo);
        });
        return combo;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* combo = static_cast<QComboBox*>(editor);
        combo->setCurrentIndex(combo->findText(index.data().toString(), Qt::MatchExactly));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        auto* combo = static_cast<QComboBox*>(editor);
        if (combo->currentIndex() >= 0)
            model->setData(index, combo->currentText());
    }

private:
    const AccountLookup& m_lookup;
};

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
    dtpStamp = controls::datePicker(fraTrx, QStringLiteral("dtpStamp"), QDate::currentDate());
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

    grdDetail = new QTableWidget(0, 4, this);
    grdDetail->setObjectName(QStringLiteral("grdDetail"));
    QStringList captions;
    for (const char* c : ColumnCaptions)
        captions << QString::fromLatin1(c);
    grdDetail->setHorizontalHeaderLabels(captions);
    grdDetail->verticalHeader()->hide();
    grdDetail->horizontalHeader()->setHighlightSections(false);
    grdDetail->verticalHeader()->setDefaultSectionSize(grdDetail->fontMetrics().height() + 8);
    grdDetail->setSelectionMode(QAbstractItemView::SingleSelection);
    grdDetail->setEditTriggers(QAbstractItemView::DoubleClicked |
                               QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::AnyKeyPressed);
    grdDetail->setItemDelegateForColumn(ColAccountName, new AccountNameDelegate(m_lookup, this));
    int width = 0;
    for (int c = 0; c < 4; ++c) {
        grdDetail->setColumnWidth(c, twips(ColumnWidths[c]));
        width += twips(ColumnWidths[c]);
    }
    grdDetail->horizontalHeader()->setStretchLastSection(false);
    // The grid keeps its size when the window is resized.
    grdDetail->setFixedSize(width + grdDetail->verticalScrollBar()->sizeHint().width() +
                                2 * grdDetail->frameWidth() + 2,
                            twips(4200));
    connect(grdDetail, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!m_updating)
            grdDetail_AfterEdit(item->row(), item->column());
    });

    fraConfirm = controls::saveCancelFrame(this, &cmdSave, &cmdCancel);

    auto* gridRow = new QHBoxLayout;
    gridRow->addWidget(grdDetail);
    gridRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraTrx);
    layout->addLayout(gridRow);
    layout->addStretch(1);
    layout->addWidget(fraConfirm);

    connect(cmdSave, &QPushButton::clicked, this, &frmLedgerTrx::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    clearGrid(EntryRows);
}

void frmLedgerTrx::LoadAccountLookup() {
    m_lookup = AccountLookup::Load(*g_cnn);
}

void frmLedgerTrx::clearGrid(int rows) {
    m_updating = true;
    grdDetail->clearContents();
    grdDetail->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem;
            if (c == ColDebit || c == ColCredit)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grdDetail->setItem(r, c, item);
        }
    }
    m_updating = false;
}

void frmLedgerTrx::setRow(int row, const LineCells& cells) {
    m_updating = true;
    for (int c = 0; c < 4; ++c)
        grdDetail->item(row, c)->setText(cells[size_t(c)]);
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
}

void frmLedgerTrx::Add() {
    m_mode = SaveMode::Add;
    m_success = false;
    txtTransactionNo->clear();
    txtTransactionNo->setEnabled(true);
    txtSource->clear();
    txtDescription->clear();
    dtpStamp->setDate(QDate::currentDate());
    lblPosted->clear();
    LoadAccountLookup();
    clearGrid(EntryRows);
    exec();
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
    lblPosted->setText(modUtils::PostedStatusText(t->Posted));
    // Every line shows: more rows than the 49 entry rows when there are more lines.
    clearGrid(std::max(EntryRows, int(t->rows.size())));
    for (size_t r = 0; r < t->rows.size(); ++r)
        setRow(int(r), t->rows[r]);
    txtTransactionNo->setEnabled(false); // a transaction's number cannot be changed
    exec();
}

void frmLedgerTrx::cmdSave_Click() {
    switch (TransactionSaveCommand(*g_cnn, header(), lineCells(), m_mode, windowTitle())) {
    case CommandOutcome::Committed:
        m_success = true;
        accept();
        break;
    case CommandOutcome::Abort:
        reject();
        break;
    case CommandOutcome::Fix:
        break; // stays open with the input
    }
}
