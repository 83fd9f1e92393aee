#include "frmCustomReport.h"

#include "core/data/Connection.h"
#include "ui/widgets/AccountCells.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/EntryGrid.h"
#include "ui/widgets/Twips.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

using zelk::CustomReportDefinition;

namespace {
enum Column { ColName = 0, ColType = 1, ColStart = 2, ColEnd = 3 };
}

// The name and Type columns. The Type editor is refused (no editor is made) where the
// row has no name.
class CustomReportCellDelegate : public QStyledItemDelegate {
public:
    explicit CustomReportCellDelegate(frmCustomReport* form)
        : QStyledItemDelegate(form), m_form(form) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        CustomReportDefinition& d = m_form->definition();
        const int row = index.row();
        if (index.column() == ColName)
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto* combo = new QComboBox(parent);
        if (index.column() == ColType) {
            if (!d.canEditType(row)) {
                delete combo;
                return nullptr;
            }
            combo->setObjectName(QStringLiteral("cmbRowType"));
            combo->addItems(CustomReportDefinition::RowTypes);
            combo->setCurrentIndex(combo->findText(d.rows[size_t(row)].type));
            return combo;
        }
        delete combo;
        return nullptr;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (index.column() == ColName)
            QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (index.column() == ColName) {
            QStyledItemDelegate::setModelData(editor, model, index);
            return;
        }
        auto* combo = static_cast<QComboBox*>(editor);
        m_form->cellChosen(index.row(), index.column(), combo->currentText(), QVariant());
    }

private:
    frmCustomReport* m_form;
};

frmCustomReport::frmCustomReport(QWidget* parent) : QDialog(parent) {
    using namespace zelk::controls;
    setObjectName(QStringLiteral("frmCustomReport"));
    setWindowTitle(QStringLiteral("Custom Report"));

    QGroupBox* fraReport = frame(this, QStringLiteral("fraReport"));
    txtName = textBox(fraReport, QStringLiteral("txtName"));
    txtTitle = textBox(fraReport, QStringLiteral("txtTitle"));
    cmbReportType = new QComboBox(fraReport);
    cmbReportType->setObjectName(QStringLiteral("cmbReportType"));
    labelledFields(fraReport, {{QStringLiteral("Name:"), txtName},
                               {QStringLiteral("Title:"), txtTitle},
                               {QStringLiteral("Type:"), cmbReportType}});

    grdDetail = new zelk::controls::EntryGrid(CustomReportDefinition::EntryRows, 4, this);
    grdDetail->setObjectName(QStringLiteral("grdDetail"));
    grdDetail->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Type"),
                                          QStringLiteral("Account Start"),
                                          QStringLiteral("Account End")});
    const int widths[] = {1500, 912, 2256, 2256};
    for (int c = 0; c < 4; ++c)
        grdDetail->setColumnWidth(c, twips(widths[c]));
    grdDetail->setItemDelegate(new CustomReportCellDelegate(this));
    // The account columns: an account by its number or its name, completed as typed;
    // only a Detail row has accounts.
    auto* accountCells = new zelk::controls::AccountCellDelegate(m_lookupView, this);
    accountCells->editable = [this](const QModelIndex& i) {
        return m_definition->canEditAccounts(i.row());
    };
    accountCells->choose = [this](const QModelIndex& i, const QString& typed) {
        const auto* a = m_lookupView.resolve(typed);
        cellChosen(i.row(), i.column(), typed, a ? QVariant(a->AccountNo) : QVariant());
    };
    for (int column : {ColStart, ColEnd})
        grdDetail->setItemDelegateForColumn(column, accountCells);
    grdDetail->nextCell = [this](const QModelIndex& i) { return nextCell(i); };
    connect(grdDetail, &zelk::controls::EntryGrid::rowCleared, this, [this](int row) {
        m_definition->rows.at(size_t(row)) = zelk::DefinitionRow{};
        showRow(row);
    });
    grdDetail->setWordWrap(false);
    grdDetail->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdDetail->verticalHeader()->setDefaultSectionSize(grdDetail->fontMetrics().height() + 8);
    grdDetail->setSelectionMode(QAbstractItemView::SingleSelection);
    grdDetail->setEditTriggers(
        QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
        QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    connect(grdDetail, &QTableWidget::cellChanged, this, &frmCustomReport::gridEdited);

    QGroupBox* fraConfirm = saveCancelFrame(this, &cmdSave, &cmdCancel);
    connect(cmdSave, &QPushButton::clicked, this, &frmCustomReport::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmCustomReport::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraReport);
    layout->addWidget(grdDetail, 1);
    layout->addWidget(fraConfirm);
    resize(twips(8000), twips(9000));
}

frmCustomReport::~frmCustomReport() = default;

void frmCustomReport::loadLists() {
    m_definition = std::make_unique<CustomReportDefinition>(*zelk::g_cnn);
    m_lookupView = zelk::accounts::AccountLookup(m_definition->accounts());
    cmbReportType->clear();
    for (const auto& t : m_definition->reportTypes())
        cmbReportType->addItem(t.name, qlonglong(t.id));
    cmbReportType->setCurrentIndex(-1);
}

void frmCustomReport::showRow(int row) {
    const zelk::DefinitionRow& r = m_definition->rows.at(size_t(row));
    const QString texts[] = {r.name, r.type, r.start.text, r.end.text};
    m_filling = true;
    for (int c = 0; c < 4; ++c) {
        QTableWidgetItem* item = grdDetail->item(row, c);
        if (!item) {
            item = new QTableWidgetItem;
            grdDetail->setItem(row, c, item);
        }
        item->setText(texts[c]);
    }
    m_filling = false;
}

void frmCustomReport::Add() {
    m_editMode = false;
    m_success = false;
    loadLists();
    txtName->clear();
    txtTitle->clear();
    for (int r = 0; r < grdDetail->rowCount(); ++r)
        showRow(r);
    m_shown = shown();
    exec();
}

void frmCustomReport::Edit(const QString& ReportName) {
    m_editMode = true;
    m_success = false;
    bool found = false;
    {
        zelk::controls::BusyPointer busy;
        loadLists();
        found = m_definition->load(ReportName);
    }
    if (!found) {
        zelk::ui().messageBox(QStringLiteral("Custom report ") + ReportName +
                                  QStringLiteral(" not found."),
                              windowTitle());
        return;
    }
    txtName->setText(m_definition->name);
    txtTitle->setText(m_definition->title);
    cmbReportType->setCurrentIndex(cmbReportType->findData(qlonglong(m_definition->reportTypeId)));
    grdDetail->setRowCount(int(m_definition->rows.size()));
    for (int r = 0; r < grdDetail->rowCount(); ++r)
        showRow(r);
    txtName->setEnabled(false);
    m_shown = shown();
    exec();
}

void frmCustomReport::gridEdited(int row, int column) {
    if (m_filling || column != ColName)
        return;
    m_definition->rows.at(size_t(row)).name = grdDetail->item(row, column)->text();
}

void frmCustomReport::cellChosen(int row, int column, const QString& text, const QVariant& data) {
    if (column == ColType)
        m_definition->setType(row, text);
    else if (data.toString().isEmpty()) // no account: the text stays, as typed
        m_definition->typeAccountText(row, column == ColEnd, text);
    else
        m_definition->pickAccount(row, column == ColEnd, data.toString());
    showRow(row);
}

// Name, then Type; a Detail row goes on to its accounts; then the next row's name.
QModelIndex frmCustomReport::nextCell(const QModelIndex& from) const {
    QAbstractItemModel* m = grdDetail->model();
    const int next = std::min(from.row() + 1, grdDetail->rowCount() - 1);
    switch (from.column()) {
    case ColName:
        return m->index(from.row(), ColType);
    case ColType:
        return m_definition->canEditAccounts(from.row()) ? m->index(from.row(), ColStart)
                                                         : m->index(next, ColName);
    case ColStart:
        return m->index(from.row(), ColEnd);
    default:
        return m->index(next, ColName);
    }
}

void frmCustomReport::readHeader() {
    zelk::CustomReportDefinition& d = *m_definition;
    d.name = txtName->text();
    d.title = txtTitle->text();
    d.reportTypeId =
        cmbReportType->currentIndex() < 0 ? 0 : long(cmbReportType->currentData().toLongLong());
}

frmCustomReport::Shown frmCustomReport::shown() {
    readHeader();
    std::vector<zelk::DefinitionRow> rows = m_definition->rows;
    while (!rows.empty() && rows.back().isEmpty())
        rows.pop_back();
    return {m_definition->name, m_definition->title, m_definition->reportTypeId, rows};
}

void frmCustomReport::reject() {
    grdDetail->commitEdit();
    if (zelk::controls::mayDiscard(this, m_definition && shown() != m_shown,
                                   QStringLiteral("Discard the changes to this report?")))
        QDialog::reject();
}

void frmCustomReport::cmdSave_Click() {
    // What the screen shows is saved: the open cell first.
    grdDetail->commitEdit();
    readHeader();
    zelk::CustomReportDefinition& d = *m_definition;
    std::vector<zelk::DefinitionLine> lines;
    switch (d.validate(lines)) {
    case 1:
        return;
    case 2:
        QDialog::reject();
        return;
    default:
        break;
    }
    switch (d.save(m_editMode, lines)) {
    case zelk::CommandOutcome::Committed:
        m_success = true;
        accept();
        break;
    case zelk::CommandOutcome::Fix:
        break;
    case zelk::CommandOutcome::Abort:
        QDialog::reject();
        break;
    }
}
