#include "frmImport.h"

#include "core/data/Connection.h"
#include "core/data/UserPorts.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/ExchangeDialogs.h"
#include "ui/widgets/WindowCommands.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace zelk::exchange {

// The preview rows: a check, the file's line, then the import's columns.
class PreviewModel : public QAbstractTableModel {
public:
    PreviewModel(const CsvImport& import, QObject* parent)
        : QAbstractTableModel(parent), m_import(import) {}

    // The rows read so far (all checked again after a new reading).
    void refresh(bool fresh) {
        if (!fresh && m_keep.size() == m_import.rows().size())
            return;
        beginResetModel();
        if (fresh)
            m_keep.clear();
        m_keep.resize(m_import.rows().size(), true);
        endResetModel();
    }
    const std::vector<bool>& keep() const { return m_keep; }
    bool anyKept() const { return std::find(m_keep.begin(), m_keep.end(), true) != m_keep.end(); }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(m_keep.size());
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(m_import.columns().size()) + 1;
    }
    // A reading (the write's too) makes the rows again as it goes: a row it has not made
    // yet shows nothing until the reading ends and the model is refreshed.
    bool made(const QModelIndex& index) const {
        return index.isValid() && size_t(index.row()) < m_import.rows().size();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!made(index))
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
            return row.cells.value(index.column() - 1);
        return {};
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!made(index) || index.column() != 0 || role != Qt::CheckStateRole)
            return false;
        const bool on = value.toInt() == Qt::Checked;
        const int group = m_import.rows()[size_t(index.row())].group;
        // The rows of one group follow each other.
        for (size_t r = 0; r < m_keep.size() && r < m_import.rows().size(); ++r)
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

// The progress of a reading: the bar, the count of the lines checked, and the first rows
// as they come.
class PreviewProgress : public ProgressBarSink {
public:
    explicit PreviewProgress(frmImport* window)
        : ProgressBarSink(window->pbStatus), m_window(window) {}
    void setValue(int kilobytes) override {
        ProgressBarSink::setValue(kilobytes);
        m_window->lblCount->setText(QStringLiteral("%1 line(s) checked …")
                                        .arg(QLocale().toString(m_window->m_import->lineCount())));
    }
    void pumpEvents() override {
        m_window->m_model->refresh(false);
        ProgressBarSink::pumpEvents();
    }

private:
    frmImport* m_window;
};

frmImport::frmImport(QWidget* parent, const QString& caption, std::unique_ptr<CsvImport> import)
    : QDialog(parent), m_import(std::move(import)) {
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(caption);
    setSizeGripEnabled(true);
    setWindowModality(Qt::ApplicationModal);

    lblFile = new QLabel(this);
    lblFile->setObjectName(QStringLiteral("lblFile"));
    lblFile->setTextFormat(Qt::PlainText);
    cmbDecimalMark = new QComboBox(this);
    cmbDecimalMark->setObjectName(QStringLiteral("cmbDecimalMark"));
    cmbDecimalMark->addItem(QStringLiteral(". (1,250.00)"), QStringLiteral("."));
    cmbDecimalMark->addItem(QStringLiteral(", (1.250,00)"), QStringLiteral(","));
    cmbDateOrder = new QComboBox(this);
    cmbDateOrder->setObjectName(QStringLiteral("cmbDateOrder"));
    for (DateOrder o : DateOrders)
        cmbDateOrder->addItem(DateOrderName(o), int(o));
    lblFormat = new QLabel(this);
    lblFormat->setObjectName(QStringLiteral("lblFormat"));
    lblFormat->setTextFormat(Qt::PlainText);
    lblFormat->setWordWrap(true);
    auto* format = new QHBoxLayout;
    auto* decimalCaption = new QLabel(QStringLiteral("&Decimal mark:"), this);
    decimalCaption->setBuddy(cmbDecimalMark);
    auto* dateCaption = new QLabel(QStringLiteral("Da&tes:"), this);
    dateCaption->setBuddy(cmbDateOrder);
    dateCaption->setVisible(m_import->readsDates());
    cmbDateOrder->setVisible(m_import->readsDates());
    format->addWidget(decimalCaption);
    format->addWidget(cmbDecimalMark);
    format->addSpacing(12);
    format->addWidget(dateCaption);
    format->addWidget(cmbDateOrder);
    format->addStretch(1);

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
    lblCount = new QLabel(this);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    pbStatus = new QProgressBar(this);
    pbStatus->setObjectName(QStringLiteral("pbStatus"));
    pbStatus->setTextVisible(false);

    cmdImport = controls::button(this, QStringLiteral("cmdImport"), QStringLiteral("&Import"));
    cmdCancel = controls::button(this, QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblCount, 1);
    buttons->addWidget(pbStatus, 1);
    buttons->addWidget(cmdImport);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblFile);
    layout->addLayout(format);
    layout->addWidget(lblFormat);
    layout->addWidget(grdPreview, 1);
    layout->addWidget(txtProblems);
    layout->addLayout(buttons);
    resize(980, 600);

    connect(cmdImport, &QPushButton::clicked, this, &frmImport::cmdImport_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmImport::cmdCancel_Click);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &frmImport::updateImport);
    connect(cmbDecimalMark, &QComboBox::activated, this, [this] {
        m_choices.decimalMark = cmbDecimalMark->currentData().toString().front().toLatin1();
        choiceChanged();
    });
    connect(cmbDateOrder, &QComboBox::activated, this, [this] {
        m_choices.dateOrder = DateOrder(cmbDateOrder->currentData().toInt());
        choiceChanged();
    });
}

frmImport::~frmImport() {
    // The import goes before the dialog's widgets: the grid must not ask it any more.
    grdPreview->setModel(nullptr);
}

bool frmImport::Load(const QString& path) {
    m_path = path;
    m_import->setFile(path);
    lblFile->setText(QDir::toNativeSeparators(path));
    return readFile();
}

bool frmImport::readFile() {
    setBusy(true);
    m_cancel = false;
    PreviewProgress progress(this);
    m_import->setProgress(&progress, &m_cancel);
    m_model->refresh(true);
    const bool done = m_import->read(*g_cnn);
    m_import->setProgress(nullptr, nullptr);
    setBusy(false);
    if (done)
        showReading();
    return done;
}

void frmImport::showReading() {
    m_model->refresh(true);
    const ImportFormatUsed& f = m_import->format();
    cmbDecimalMark->setCurrentIndex(cmbDecimalMark->findData(QString(QLatin1Char(f.decimalMark))));
    cmbDateOrder->setCurrentIndex(cmbDateOrder->findData(int(f.dateOrder)));
    lblFormat->setText(QStringLiteral("Read as ") + f.text() + QLatin1Char('.'));
    const QLocale locale;
    QString count =
        QStringLiteral("%1 line(s), %2 %3, %4 problem(s).")
            .arg(locale.toString(m_import->lineCount()), locale.toString(m_import->groupCount()),
                 m_import->noun(), locale.toString(m_import->problemCount()));
    if (m_import->lineCount() > int(m_import->rows().size()))
        count += QStringLiteral(" The first %1 are shown.")
                     .arg(locale.toString(int(m_import->rows().size())));
    lblCount->setText(count);
    QStringList text;
    if (m_import->problemCount() > 0)
        text << m_import->problemText();
    for (const ImportProblem& n : m_import->notices())
        text << n.text();
    if (m_import->noticeCount() > int(m_import->notices().size()))
        text << QStringLiteral("… and %1 more dated so")
                    .arg(
                        locale.toString(m_import->noticeCount() - int(m_import->notices().size())));
    if (text.isEmpty())
        text << QStringLiteral("No problems: uncheck what is not to be imported.");
    txtProblems->setPlainText(text.join(QLatin1Char('\n')));
    grdPreview->resizeColumnsToContents();
    updateImport();
}

void frmImport::choiceChanged() {
    m_import->setChoices(m_choices);
    if (!readFile())
        reject();
}

void frmImport::setBusy(bool busy) {
    m_busy = busy;
    for (QWidget* w : std::initializer_list<QWidget*>{cmbDecimalMark, cmbDateOrder, grdPreview})
        w->setEnabled(!busy);
    pbStatus->setVisible(busy);
    updateImport();
}

void frmImport::updateImport() {
    cmdImport->setEnabled(!m_busy && m_import->problemCount() == 0 && m_model->anyKept());
}

void frmImport::cmdCancel_Click() {
    if (m_busy)
        m_cancel = true; // the reading stops at its next step
    else
        reject();
}

void frmImport::cmdImport_Click() {
    if (!cmdImport->isEnabled())
        return;
    if (m_import->noticeCount() > 0 && !ui().askYesNo(m_import->noticeQuestion(), windowTitle()))
        return;
    setBusy(true);
    m_cancel = false;
    PreviewProgress progress(this);
    m_import->setProgress(&progress, &m_cancel);
    const CommandOutcome outcome = m_import->write(*g_cnn, m_model->keep(), [] { return true; });
    m_import->setProgress(nullptr, nullptr);
    setBusy(false);
    switch (outcome) {
    case CommandOutcome::Committed:
        ui().messageBox(
            QStringLiteral("%1 %2 imported.").arg(m_import->written()).arg(m_import->noun()),
            windowTitle());
        accept();
        break;
    case CommandOutcome::Abort:
        if (m_import->problemCount() > 0 && !m_cancel) {
            showReading(); // the file changed since it was read
            break;
        }
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
    dlg.show(); // the reading shows its progress, and Cancel stops it
    if (dlg.Load(path))
        dlg.exec();
    else
        dlg.hide();
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
