#include "frmImport.h"

#include "core/data/Connection.h"
#include "core/data/UserPorts.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/ExchangeDialogs.h"
#include "ui/widgets/WindowCommands.h"

#include <QAbstractTableModel>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace zelk::exchange {

// The preview rows: a check, the file's line, then the import's columns.
class PreviewModel : public QAbstractTableModel {
public:
    PreviewModel(const CsvImport& import, QObject* parent)
        : QAbstractTableModel(parent), m_import(import) {}

    void reset() {
        beginResetModel();
        m_keep.assign(m_import.rows().size(), true);
        endResetModel();
    }
    const std::vector<bool>& keep() const { return m_keep; }
    bool anyKept() const { return std::find(m_keep.begin(), m_keep.end(), true) != m_keep.end(); }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(m_import.rows().size());
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(m_import.columns().size()) + 1;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        const PreviewRow& row = m_import.rows()[size_t(index.row())];
        if (index.column() == 0) {
            if (role == Qt::CheckStateRole)
                return m_keep[size_t(index.row())] ? Qt::Checked : Qt::Unchecked;
            if (role == Qt::DisplayRole)
                return row.line;
            return {};
        }
        if (role == Qt::DisplayRole)
            return m_import.cells(row).value(index.column() - 1);
        return {};
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole)
            return false;
        const bool on = value.toInt() == Qt::Checked;
        const int group = m_import.rows()[size_t(index.row())].group;
        // The rows of one group sit together unless the file scattered them.
        for (size_t r = 0; r < m_keep.size(); ++r)
            if (m_import.rows()[r].group == group)
                m_keep[r] = on;
        emit dataChanged(this->index(0, 0), this->index(rowCount({}) - 1, 0));
        return true;
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.column() == 0)
            f |= Qt::ItemIsUserCheckable;
        return f;
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return section == 0 ? QStringLiteral("Line") : m_import.columns().value(section - 1);
    }

private:
    const CsvImport& m_import;
    std::vector<bool> m_keep;
};

} // namespace zelk::exchange

using namespace zelk;
using namespace zelk::exchange;

frmImport::frmImport(QWidget* parent, const QString& caption, std::unique_ptr<CsvImport> import)
    : QDialog(parent), m_import(std::move(import)) {
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(caption);
    setSizeGripEnabled(true);

    lblFile = new QLabel(this);
    lblFile->setObjectName(QStringLiteral("lblFile"));
    lblFile->setTextFormat(Qt::PlainText);
    m_model = new PreviewModel(*m_import, this);
    grdPreview = new QTableView(this);
    grdPreview->setObjectName(QStringLiteral("grdPreview"));
    grdPreview->setModel(m_model);
    grdPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdPreview->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdPreview->verticalHeader()->hide();
    grdPreview->setWordWrap(false);
    txtProblems = new QPlainTextEdit(this);
    txtProblems->setObjectName(QStringLiteral("txtProblems"));
    txtProblems->setReadOnly(true);
    txtProblems->setMaximumHeight(140);

    cmdImport = controls::button(this, QStringLiteral("cmdImport"), QStringLiteral("&Import"));
    cmdCancel = controls::button(this, QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdImport);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblFile);
    layout->addWidget(grdPreview, 1);
    layout->addWidget(txtProblems);
    layout->addLayout(buttons);
    resize(900, 560);

    connect(cmdImport, &QPushButton::clicked, this, &frmImport::cmdImport_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &frmImport::updateImport);
}

frmImport::~frmImport() = default;

void frmImport::Load(const QString& path) {
    {
        controls::BusyPointer busy;
        m_import->readFile(*g_cnn, path);
        m_model->reset();
    }
    const int problems = int(m_import->problems().size());
    lblFile->setText(QStringLiteral("%1: %2 line(s) read, %3 problem(s).")
                         .arg(QDir::toNativeSeparators(path))
                         .arg(m_import->rows().size())
                         .arg(problems));
    txtProblems->setPlainText(problems > 0 ? m_import->problemText()
                                           : QStringLiteral("No problems: uncheck what is not "
                                                            "to be imported."));
    grdPreview->resizeColumnsToContents();
    updateImport();
}

void frmImport::updateImport() {
    cmdImport->setEnabled(m_import->problems().empty() && m_model->anyKept());
}

void frmImport::cmdImport_Click() {
    if (!cmdImport->isEnabled())
        return;
    CommandOutcome outcome;
    {
        controls::BusyPointer busy;
        outcome = m_import->write(*g_cnn, m_model->keep());
    }
    switch (outcome) {
    case CommandOutcome::Committed:
        ui().messageBox(
            QStringLiteral("%1 %2 imported.").arg(m_import->written()).arg(m_import->noun()),
            windowTitle());
        accept();
        break;
    case CommandOutcome::Abort:
        reject();
        break;
    case CommandOutcome::Fix:
        break; // stays open
    }
}

namespace zelk::windows {

namespace {
void openImport(QWidget* parent, const QString& caption, std::unique_ptr<CsvImport> import) {
    const QString path = exchangeDialogs().chooseImportFile(parent, caption);
    if (path.isEmpty())
        return;
    frmImport dlg(parent, caption, std::move(import));
    dlg.Load(path);
    dlg.exec();
}
} // namespace

void openImportAccounts(QWidget* parent) {
    openImport(parent, QStringLiteral("Import Accounts"), std::make_unique<AccountImport>());
}

void openImportTransactions(QWidget* parent) {
    openImport(parent, QStringLiteral("Import Transactions"),
               std::make_unique<TransactionImport>());
}

} // namespace zelk::windows
