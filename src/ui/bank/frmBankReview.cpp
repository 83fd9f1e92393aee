#include "frmBankReview.h"

#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/UserPorts.h"
#include "core/periods/PostingRuns.h"
#include "ui/widgets/AccountCells.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/WindowCommands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace zelk;
using namespace zelk::bank;

namespace {

const QString ImportTitle = QStringLiteral("Import Bank Statement");

QComboBox* bankAccountList(QWidget* parent, const QString& current) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("cmbAccount"));
    for (const BankAccount& a : bankAccounts(*g_cnn))
        combo->addItem(QStringLiteral("%1  %2").arg(a.accountNo, a.name), a.accountNo);
    if (const int i = combo->findData(current); i >= 0)
        combo->setCurrentIndex(i);
    return combo;
}

QHBoxLayout* buttonRow(std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget* b : buttons)
        row->addWidget(b);
    return row;
}

} // namespace

// --- choosing the account and the file ------------------------------------------------------

frmBankImport::frmBankImport(QWidget* parent, const QString& account) : QDialog(parent) {
    setObjectName(QStringLiteral("frmBankImport"));
    setWindowTitle(ImportTitle);
    cmbAccount = bankAccountList(this, account);
    txtFile = controls::textBox(this, QStringLiteral("txtFile"));
    cmdBrowse = controls::button(this, QStringLiteral("cmdBrowse"), QStringLiteral("&Browse…"));
    cmdOk = controls::button(this, QStringLiteral("cmdOk"), QStringLiteral("OK"));
    cmdCancel = controls::button(this, QStringLiteral("cmdCancel"), QStringLiteral("Cancel"));
    cmdOk->setDefault(true);
    auto* file = new QHBoxLayout;
    file->addWidget(txtFile, 1);
    file->addWidget(cmdBrowse);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Bank &account:"), cmbAccount);
    auto* fileLabel = new QLabel(QStringLiteral("&Statement file:"), this);
    fileLabel->setBuddy(txtFile); // a row of a layout has no buddy of its own
    form->addRow(fileLabel, file);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({cmdOk, cmdCancel}));
    resize(560, minimumSizeHint().height());
    connect(cmdBrowse, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(
            this, ImportTitle, QString(),
            QStringLiteral("Bank statements (*.xml *.ofx *.qfx *.csv *.txt);;All files (*)"));
        if (!path.isEmpty())
            txtFile->setText(QDir::toNativeSeparators(path));
    });
    connect(cmdOk, &QPushButton::clicked, this, [this] {
        if (this->account().isEmpty() || txtFile->text().trimmed().isEmpty())
            ui().messageBox(QStringLiteral("Choose the bank account and the statement file."),
                            ImportTitle);
        else
            accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString frmBankImport::account() const {
    return cmbAccount->currentData().toString();
}

// --- the CSV profile ---------------------------------------------------------------------------

frmBankProfile::frmBankProfile(QWidget* parent, const QString& account, const QByteArray& file,
                               const CsvProfile& profile)
    : QDialog(parent), m_file(file), m_profile(profile), m_account(account) {
    setObjectName(QStringLiteral("frmBankProfile"));
    setWindowTitle(QStringLiteral("CSV Profile of Account %1").arg(account));
    setSizeGripEnabled(true);
    txtLines = new QPlainTextEdit(this);
    txtLines->setObjectName(QStringLiteral("txtLines"));
    txtLines->setReadOnly(true);
    txtLines->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtLines->setPlainText(firstLines(file, 12).join(QLatin1Char('\n')));
    auto combo = [&](const char* name) {
        auto* c = new QComboBox(this);
        c->setObjectName(QLatin1String(name));
        c->setEditable(true);
        return c;
    };
    cmbDate = combo("cmbDate");
    cmbAmount = combo("cmbAmount");
    cmbDebit = combo("cmbDebit");
    cmbCredit = combo("cmbCredit");
    cmbCounterparty = combo("cmbCounterparty");
    cmbText = combo("cmbText");
    cmbReference = combo("cmbReference");
    cmbBalance = combo("cmbBalance");
    txtDateFormat = controls::textBox(this, QStringLiteral("txtDateFormat"));
    txtDateFormat->setText(profile.dateFormat);
    cmbDecimalMark = new QComboBox(this);
    cmbDecimalMark->setObjectName(QStringLiteral("cmbDecimalMark"));
    cmbDecimalMark->addItem(QStringLiteral(". (1,234.56)"), QStringLiteral("."));
    cmbDecimalMark->addItem(QStringLiteral(", (1.234,56)"), QStringLiteral(","));
    cmbDecimalMark->setCurrentIndex(profile.decimalMark == QLatin1Char(',') ? 1 : 0);
    cmbSeparator = new QComboBox(this);
    cmbSeparator->setObjectName(QStringLiteral("cmbSeparator"));
    cmbSeparator->addItem(QStringLiteral("Comma"), int(','));
    cmbSeparator->addItem(QStringLiteral("Semicolon"), int(';'));
    cmbSeparator->addItem(QStringLiteral("Tab"), int('\t'));
    cmbSeparator->setCurrentIndex(cmbSeparator->findData(int(profile.separator)));
    cmbEncoding = new QComboBox(this);
    cmbEncoding->setObjectName(QStringLiteral("cmbEncoding"));
    cmbEncoding->addItems({QStringLiteral("UTF-8"), QStringLiteral("Windows-1252")});
    cmbEncoding->setCurrentIndex(profile.utf8 ? 0 : 1);
    spnSkip = new QSpinBox(this);
    spnSkip->setObjectName(QStringLiteral("spnSkip"));
    spnSkip->setRange(0, 100);
    spnSkip->setValue(profile.skipLines);
    txtPrefix = controls::textBox(this, QStringLiteral("txtPrefix"));
    txtPrefix->setText(profile.prefix.isEmpty() ? defaultPrefix(account) : profile.prefix);
    cmdOk = controls::button(this, QStringLiteral("cmdOk"), QStringLiteral("OK"));
    cmdCancel = controls::button(this, QStringLiteral("cmdCancel"), QStringLiteral("Cancel"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Date column:"), cmbDate);
    form->addRow(QStringLiteral("&Amount column (signed):"), cmbAmount);
    form->addRow(QStringLiteral("or Debit column (money out):"), cmbDebit);
    form->addRow(QStringLiteral("and Credit column (money in):"), cmbCredit);
    form->addRow(QStringLiteral("Counter&party column:"), cmbCounterparty);
    form->addRow(QStringLiteral("&Text column:"), cmbText);
    form->addRow(QStringLiteral("&Reference column:"), cmbReference);
    form->addRow(QStringLiteral("&Balance column:"), cmbBalance);
    form->addRow(QStringLiteral("Date &format:"), txtDateFormat);
    form->addRow(QStringLiteral("Decimal &mark:"), cmbDecimalMark);
    form->addRow(QStringLiteral("&Separator:"), cmbSeparator);
    form->addRow(QStringLiteral("&Encoding:"), cmbEncoding);
    form->addRow(QStringLiteral("&Lines before the header:"), spnSkip);
    form->addRow(QStringLiteral("&Number prefix:"), txtPrefix);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("The file's first lines:"), this));
    layout->addWidget(txtLines, 1);
    layout->addLayout(form);
    layout->addLayout(buttonRow({cmdOk, cmdCancel}));
    resize(720, 640);
    refillColumns();
    for (QComboBox* c : {cmbSeparator, cmbEncoding})
        connect(c, &QComboBox::currentIndexChanged, this, &frmBankProfile::refillColumns);
    connect(spnSkip, &QSpinBox::valueChanged, this, &frmBankProfile::refillColumns);
    connect(cmdOk, &QPushButton::clicked, this, &frmBankProfile::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmBankProfile::refillColumns() {
    const CsvProfile current = profile();
    const QStringList header = headerOf(m_file, current);
    const std::pair<QComboBox*, QString> columns[] = {{cmbDate, current.dateColumn},
                                                      {cmbAmount, current.amountColumn},
                                                      {cmbDebit, current.debitColumn},
                                                      {cmbCredit, current.creditColumn},
                                                      {cmbCounterparty, current.counterpartyColumn},
                                                      {cmbText, current.textColumn},
                                                      {cmbReference, current.referenceColumn},
                                                      {cmbBalance, current.balanceColumn}};
    for (const auto& [combo, chosen] : columns) {
        const QSignalBlocker block(combo);
        combo->clear();
        combo->addItem(QString());
        combo->addItems(header);
        combo->setCurrentText(chosen);
    }
}

CsvProfile frmBankProfile::profile() const {
    CsvProfile p = m_profile;
    if (cmbDate->count() > 0) {
        p.dateColumn = cmbDate->currentText().trimmed();
        p.amountColumn = cmbAmount->currentText().trimmed();
        p.debitColumn = cmbDebit->currentText().trimmed();
        p.creditColumn = cmbCredit->currentText().trimmed();
        p.counterpartyColumn = cmbCounterparty->currentText().trimmed();
        p.textColumn = cmbText->currentText().trimmed();
        p.referenceColumn = cmbReference->currentText().trimmed();
        p.balanceColumn = cmbBalance->currentText().trimmed();
    }
    p.dateFormat = txtDateFormat->text().trimmed();
    p.decimalMark = cmbDecimalMark->currentData().toString().at(0);
    p.separator = char(cmbSeparator->currentData().toInt());
    p.utf8 = cmbEncoding->currentIndex() == 0;
    p.skipLines = spnSkip->value();
    p.prefix = txtPrefix->text().trimmed();
    return p;
}

void frmBankProfile::cmdOk_Click() {
    const CsvProfile p = profile();
    try {
        readCsv(m_file, p, CompanyRow::read(*g_cnn).CurrentPeriodYear); // must read with it
    } catch (const StatementError& e) {
        ui().messageBox(e.message(), windowTitle());
        return;
    }
    if (saveProfile(*g_cnn, m_account, p) == CommandOutcome::Committed)
        accept();
}

// --- the review --------------------------------------------------------------------------------

frmBankReview::frmBankReview(QWidget* parent, std::unique_ptr<BankImport> import)
    : QDialog(parent), m_import(std::move(import)),
      m_lookup(accounts::AccountLookup::Load(*g_cnn)) {
    setObjectName(QStringLiteral("frmBankReview"));
    setWindowTitle(ImportTitle);
    setSizeGripEnabled(true);
    grdLines = new QTableWidget(int(m_import->lines().size()), 9, this);
    grdLines->setObjectName(QStringLiteral("grdLines"));
    grdLines->setHorizontalHeaderLabels(
        {QString(), QStringLiteral("Date"), QStringLiteral("Counterparty"), QStringLiteral("Text"),
         QStringLiteral("Amount"), QStringLiteral("Account"), QStringLiteral("Description"),
         QStringLiteral("From"), QStringLiteral("Status")});
    grdLines->verticalHeader()->hide();
    grdLines->setWordWrap(false);
    grdLines->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdLines->setSelectionMode(QAbstractItemView::SingleSelection);
    grdLines->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
    // The account completion of the transaction editor: by number or name.
    auto* accountCells = new controls::AccountCellDelegate(m_lookup, this);
    accountCells->editable = [this](const QModelIndex& i) {
        return m_import->checkable(size_t(i.row()));
    };
    accountCells->choose = [this](const QModelIndex& i, const QString& typed) {
        const accounts::AccountLookup::Account* a = m_lookup.resolve(typed);
        if (!a && !typed.trimmed().isEmpty()) {
            ui().messageBox(
                QStringLiteral("No account has the number or name %1.").arg(typed.trimmed()),
                windowTitle());
            return; // the line keeps its account
        }
        chooseAccount(i.row(), a ? a->AccountNo : QString());
    };
    grdLines->setItemDelegateForColumn(ColAccount, accountCells);
    chkRemember = new QCheckBox(QStringLiteral("&Remember for the counterparty"), this);
    chkRemember->setObjectName(QStringLiteral("chkRemember"));
    chkRemember->setFocusPolicy(Qt::NoFocus); // Alt+R ticks it; typing stays in the lines
    lblTotals = new QLabel(this);
    lblTotals->setObjectName(QStringLiteral("lblTotals"));
    lblBalance = new QLabel(this);
    lblBalance->setObjectName(QStringLiteral("lblBalance"));
    chkPostNow = new QCheckBox(QStringLiteral("&Post them now"), this);
    chkPostNow->setObjectName(QStringLiteral("chkPostNow"));
    cmdImport = controls::button(this, QStringLiteral("cmdImport"), QStringLiteral("&Import"));
    cmdCancel = controls::button(this, QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grdLines, 1);
    layout->addWidget(chkRemember);
    layout->addWidget(lblTotals);
    layout->addWidget(lblBalance);
    auto* buttons = buttonRow({cmdImport, cmdCancel});
    buttons->insertWidget(0, chkPostNow);
    layout->addLayout(buttons);

    m_filling = true;
    for (int r = 0; r < grdLines->rowCount(); ++r)
        fillRow(r);
    m_filling = false;
    grdLines->resizeColumnsToContents();
    for (const int c : {ColCounterparty, ColText, ColDescription})
        grdLines->setColumnWidth(c, std::min(grdLines->columnWidth(c), 240));
    // Every column in sight, the status last, as far as the screen allows.
    int width = grdLines->verticalScrollBar()->sizeHint().width() + 2 * grdLines->frameWidth();
    for (int c = 0; c < grdLines->columnCount(); ++c)
        width += grdLines->columnWidth(c);
    width += layout->contentsMargins().left() + layout->contentsMargins().right();
    if (const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen())
        width = std::min(width, screen->availableGeometry().width() - 40);
    resize(std::max(width, 800), 560);
    updateTotals();
    connect(grdLines, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (m_filling)
            return;
        const auto row = size_t(item->row());
        if (item->column() == ColCheck)
            m_import->setChecked(row, item->checkState() == Qt::Checked);
        else if (item->column() == ColDescription)
            m_import->setDescription(row, item->text());
        m_filling = true;
        fillRow(item->row());
        m_filling = false;
        updateTotals();
    });
    connect(grdLines, &QTableWidget::currentCellChanged, this, &frmBankReview::currentRowChanged);
    connect(cmdImport, &QPushButton::clicked, this, &frmBankReview::cmdImport_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    if (grdLines->rowCount() > 0)
        grdLines->setCurrentCell(0, ColAccount);
}

frmBankReview::~frmBankReview() = default;

void frmBankReview::fillRow(int row) {
    const ReviewLine& r = m_import->lines()[size_t(row)];
    const bool checkable = m_import->checkable(size_t(row));
    auto item = [&](int column, const QString& text, bool editable = false) {
        QTableWidgetItem* it = grdLines->item(row, column);
        if (!it) {
            it = new QTableWidgetItem;
            grdLines->setItem(row, column, it);
        }
        it->setText(text);
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (editable && checkable)
            f |= Qt::ItemIsEditable;
        it->setFlags(f);
        return it;
    };
    QTableWidgetItem* check = item(ColCheck, QString());
    check->setFlags(checkable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable
                              : Qt::ItemIsSelectable);
    check->setCheckState(r.checked ? Qt::Checked : Qt::Unchecked);
    item(ColDate, r.line.date.toString(Qt::ISODate));
    item(ColCounterparty, r.line.counterparty);
    item(ColText, r.line.text)->setToolTip(r.line.text);
    QTableWidgetItem* amount = item(ColAmount, r.line.amount.formatStandard());
    amount->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const accounts::AccountLookup::Account* a = m_lookup.findNo(r.account);
    item(ColAccount, a ? accounts::AccountLookup::entryText(*a) : r.account, true);
    item(ColDescription, r.description, true)->setToolTip(r.description);
    item(ColSource, BankImport::sourceText(r));
    item(ColStatus, BankImport::statusText(r));
}

void frmBankReview::currentRowChanged() {
    const int row = grdLines->currentRow();
    const QString party = row >= 0 ? m_import->lines()[size_t(row)].line.counterparty : QString();
    chkRemember->setText(party.isEmpty() ? QStringLiteral("&Remember for the counterparty")
                                         : QStringLiteral("&Remember for %1").arg(party));
    chkRemember->setEnabled(!party.isEmpty());
}

void frmBankReview::chooseAccount(int row, const QString& account) {
    m_import->chooseAccount(size_t(row), account, chkRemember->isChecked());
    m_filling = true;
    fillRow(row);
    m_filling = false;
    updateTotals();
}

void frmBankReview::updateTotals() {
    const BankImport::Totals t = m_import->checkedTotals();
    lblTotals->setText(
        QStringLiteral("Checked: %1 line(s), in %2, out %3, net %4")
            .arg(t.count)
            .arg(t.in.formatStandard(), t.out.formatStandard(), t.net().formatStandard()));
    try {
        lblBalance->setText(m_import->balanceCheck().text());
    } catch (const ZelkError& e) {
        lblBalance->setText(e.description());
    }
    cmdImport->setEnabled(t.count > 0);
}

void frmBankReview::cmdImport_Click() {
    if (const QStringList p = m_import->problems(); !p.isEmpty()) {
        ui().messageBox(QStringLiteral("Choose an existing account for every checked line, or "
                                       "uncheck it:\n") +
                            p.join(QLatin1Char('\n')),
                        windowTitle());
        return;
    }
    CommandOutcome outcome;
    {
        controls::BusyPointer busy;
        outcome = m_import->write();
    }
    if (outcome == CommandOutcome::Fix)
        return;
    if (outcome == CommandOutcome::Abort) {
        reject();
        return;
    }
    ui().messageBox(QStringLiteral("%1 line(s) imported.").arg(m_import->written()), windowTitle());
    if (chkPostNow->isChecked() && m_import->written() > 0) {
        // the usual posting run over the statement's days
        NoProgress progress;
        periods::PostTransactions post(*g_cnn, progress);
        post.run(m_import->firstWritten(), m_import->lastWritten());
    }
    accept();
}

// --- the rules ---------------------------------------------------------------------------------

namespace {
enum RuleColumn { RField, RMatching, RPattern, RSign, RAccount, RDescription };

QComboBox* cellCombo(QTableWidget* grid, int row, int column, const QStringList& items,
                     int current) {
    auto* c = new QComboBox(grid);
    c->addItems(items);
    c->setCurrentIndex(current);
    grid->setCellWidget(row, column, c);
    return c;
}
} // namespace

frmBankRules::frmBankRules(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmBankRules"));
    setWindowTitle(QStringLiteral("Bank Rules"));
    setSizeGripEnabled(true);
    cmbAccount = bankAccountList(this, QString());
    grdRules = new QTableWidget(0, 6, this);
    grdRules->setObjectName(QStringLiteral("grdRules"));
    grdRules->setHorizontalHeaderLabels({QStringLiteral("Look in"), QStringLiteral("How"),
                                         QStringLiteral("Pattern"), QStringLiteral("Amount"),
                                         QStringLiteral("Account"), QStringLiteral("Description")});
    grdRules->horizontalHeader()->setStretchLastSection(true);
    grdRules->setSelectionBehavior(QAbstractItemView::SelectRows);
    cmdAdd = controls::button(this, QStringLiteral("cmdAdd"), QStringLiteral("&Add"));
    cmdDelete = controls::button(this, QStringLiteral("cmdDelete"), QStringLiteral("&Delete"));
    cmdUp = controls::button(this, QStringLiteral("cmdUp"), QStringLiteral("&Up"));
    cmdDown = controls::button(this, QStringLiteral("cmdDown"), QStringLiteral("Do&wn"));
    cmdSave = controls::button(this, QStringLiteral("cmdSave"), QStringLiteral("&Save"));
    cmdCancel = controls::button(this, QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Bank &account:"), cmbAccount);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("The first rule that matches a line gives its "
                                                "account:"),
                                 this));
    layout->addWidget(grdRules, 1);
    auto* edit = new QHBoxLayout;
    for (QPushButton* b : {cmdAdd, cmdDelete, cmdUp, cmdDown})
        edit->addWidget(b);
    edit->addStretch(1);
    edit->addWidget(cmdSave);
    edit->addWidget(cmdCancel);
    layout->addLayout(edit);
    resize(860, 420);
    loadRules();
    connect(cmbAccount, &QComboBox::currentIndexChanged, this, &frmBankRules::loadRules);
    connect(cmdAdd, &QPushButton::clicked, this, [this] {
        addRow({});
        grdRules->setCurrentCell(grdRules->rowCount() - 1, RPattern);
        grdRules->editItem(grdRules->currentItem());
    });
    connect(cmdDelete, &QPushButton::clicked, this, [this] {
        if (grdRules->currentRow() >= 0)
            grdRules->removeRow(grdRules->currentRow());
    });
    connect(cmdUp, &QPushButton::clicked, this, [this] { moveRow(-1); });
    connect(cmdDown, &QPushButton::clicked, this, [this] { moveRow(1); });
    connect(cmdSave, &QPushButton::clicked, this, &frmBankRules::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmBankRules::addRow(const Rule& rule) {
    const int row = grdRules->rowCount();
    grdRules->insertRow(row);
    cellCombo(grdRules, row, RField,
              {QStringLiteral("counterparty or text"), QStringLiteral("counterparty"),
               QStringLiteral("text")},
              int(rule.field));
    cellCombo(grdRules, row, RMatching, {QStringLiteral("contains"), QStringLiteral("matches")},
              rule.regex ? 1 : 0);
    cellCombo(grdRules, row, RSign,
              {QStringLiteral("any"), QStringLiteral("money in"), QStringLiteral("money out")},
              rule.sign > 0   ? 1
              : rule.sign < 0 ? 2
                              : 0);
    grdRules->setItem(row, RPattern, new QTableWidgetItem(rule.pattern));
    grdRules->setItem(row, RAccount, new QTableWidgetItem(rule.account));
    grdRules->setItem(row, RDescription, new QTableWidgetItem(rule.description));
}

void frmBankRules::loadRules() {
    grdRules->setRowCount(0);
    for (const Rule& r : bank::loadRules(*g_cnn, cmbAccount->currentData().toString()))
        addRow(r);
    grdRules->resizeColumnsToContents();
}

std::vector<Rule> frmBankRules::rules() const {
    std::vector<Rule> out;
    for (int row = 0; row < grdRules->rowCount(); ++row) {
        auto combo = [&](int c) {
            return static_cast<QComboBox*>(grdRules->cellWidget(row, c))->currentIndex();
        };
        auto text = [&](int c) {
            return grdRules->item(row, c) ? grdRules->item(row, c)->text().trimmed() : QString();
        };
        Rule r;
        r.field = Rule::Field(combo(RField));
        r.regex = combo(RMatching) == 1;
        r.sign = combo(RSign) == 1 ? 1 : combo(RSign) == 2 ? -1 : 0;
        r.pattern = text(RPattern);
        r.account = text(RAccount);
        r.description = text(RDescription);
        out.push_back(r);
    }
    return out;
}

void frmBankRules::moveRow(int by) {
    const int row = grdRules->currentRow();
    std::vector<Rule> all = rules();
    if (row < 0 || row + by < 0 || row + by >= int(all.size()))
        return;
    std::swap(all[size_t(row)], all[size_t(row + by)]);
    grdRules->setRowCount(0);
    for (const Rule& r : all)
        addRow(r);
    grdRules->setCurrentCell(row + by, RPattern);
}

void frmBankRules::cmdSave_Click() {
    const std::vector<Rule> all = rules();
    const accounts::AccountLookup lookup = accounts::AccountLookup::Load(*g_cnn);
    for (size_t i = 0; i < all.size(); ++i) {
        QString problem = all[i].problem();
        if (problem.isEmpty() && !lookup.findNo(all[i].account))
            problem = QStringLiteral("Account %1 does not exist.").arg(all[i].account);
        if (!problem.isEmpty()) {
            ui().messageBox(QStringLiteral("Rule %1: %2").arg(i + 1).arg(problem), windowTitle());
            grdRules->setCurrentCell(int(i), RPattern);
            return;
        }
    }
    if (saveRules(*g_cnn, cmbAccount->currentData().toString(), all) == CommandOutcome::Committed)
        accept();
}

// --- the menu commands ---------------------------------------------------------------------

namespace zelk::windows {

void openImportBankStatement(QWidget* parent, const QString& account) {
    frmBankImport choose(parent, account);
    if (choose.cmbAccount->count() == 0) {
        ui().messageBox(QStringLiteral("There is no account of the assets or liabilities class to "
                                       "import a statement into."),
                        ImportTitle);
        return;
    }
    if (choose.exec() != QDialog::Accepted)
        return;
    const QString bankAccount = choose.account();
    const QString path = QDir::fromNativeSeparators(choose.txtFile->text().trimmed());
    try {
        std::optional<CsvProfile> profile = loadProfile(*g_cnn, bankAccount);
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = f.read(4 * 1024 * 1024);
            // The first CSV statement of an account asks for its profile.
            if (detectFormat(bytes) == Format::Csv && !profile) {
                frmBankProfile editor(
                    parent, bankAccount, bytes,
                    guessProfile(bytes, CompanyRow::read(*g_cnn).CurrentPeriodYear));
                if (editor.exec() != QDialog::Accepted)
                    return;
                profile = editor.profile();
            }
        }
        std::unique_ptr<BankImport> import;
        {
            controls::BusyPointer busy;
            const int year = CompanyRow::read(*g_cnn).CurrentPeriodYear;
            import = std::make_unique<BankImport>(
                *g_cnn, bankAccount, [&] { return readStatementFile(path, profile, year);
        });
    }
    frmBankReview review(parent, std::move(import));
    review.exec();
}
catch (const StatementError& e) {
    ui().messageBox(e.message() + QStringLiteral("\nNothing has been imported."), ImportTitle);
}
catch (const ZelkError& e) {
    ui().messageBox(e.description(), ImportTitle);
}
} // namespace zelk::windows

void openBankRules(QWidget* parent) {
    frmBankRules rules(parent);
    if (rules.cmbAccount->count() == 0) {
        ui().messageBox(QStringLiteral("There is no account of the assets or liabilities class."),
                        rules.windowTitle());
        return;
    }
    rules.exec();
}

} // namespace zelk::windows
