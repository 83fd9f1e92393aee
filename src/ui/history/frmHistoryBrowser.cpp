#include "frmHistoryBrowser.h"

#include "core/accounts/AccountLookup.h"
#include "core/bank/BankSettings.h"
#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/modErrors.h"
#include "core/exchange/TableExport.h"
#include "core/history/AccountCardReport.h"
#include "core/lists/ListSortFilter.h"
#include "core/reports/modRptUtil.h"
#include "frmSelectAccountRange.h"
#include "frmSelectMonthRange.h"
#include "frmSelectMonthYearRange.h"
#include "frmSelectRange.h"
#include "frmSelectYearRange.h"
#include "ui/reports/frmReport.h"
#include "ui/widgets/CommonControls.h"
#include "ui/widgets/ExchangeDialogs.h"
#include "ui/widgets/Twips.h"
#include "ui/widgets/WindowCommands.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace zelk::history {

// The rows of a browser as the grid shows them: the designed captions and alignment,
// an unlabelled fixed column, and the total rows in bold on a shaded background.
class GridModel : public QAbstractTableModel {
public:
    GridModel(const HistoryBrowser& browser, QObject* parent)
        : QAbstractTableModel(parent), m_browser(browser) {}

    // The font of the total rows: the grid's own, in bold.
    void setGridFont(QFont font) {
        font.setBold(true);
        m_bold = font;
    }

    void reset() {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(m_browser.rows().size());
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(design().columns.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount({}))
            return {};
        const GridRow& row = m_browser.rows()[size_t(index.row())];
        switch (role) {
        case Qt::DisplayRole:
            return row.cells.value(index.column());
        case Qt::ToolTipRole: // the whole text of a cell too narrow for it
            return row.cells.value(index.column());
        case Qt::TextAlignmentRole:
            if (row.kind != RowKind::Data && index.column() == 0) // the caption
                return int(Qt::AlignLeft | Qt::AlignVCenter);
            return int(alignment(index.column()));
        case Qt::FontRole:
            return row.kind != RowKind::Data ? QVariant(m_bold) : QVariant();
        case ExportValueRole:
            if ((design().columns[size_t(index.column())].kind == CellKind::Money ||
                 design().columns[size_t(index.column())].kind == CellKind::Balance) &&
                size_t(index.column()) < row.sums.size())
                return QVariant::fromValue(row.sums[size_t(index.column())]);
            if (design().columns[size_t(index.column())].kind == CellKind::Date &&
                row.date.isValid())
                return row.date;
            return {};
        case TotalRowRole:
            return row.kind != RowKind::Data;
        case zelk::SortValueRole:
            switch (design().columns[size_t(index.column())].kind) {
            case CellKind::Money:
            case CellKind::Balance:
                if (size_t(index.column()) < row.sums.size())
                    return QVariant(qlonglong(row.sums[size_t(index.column())].raw()));
                return {};
            case CellKind::Date:
                return row.date.isValid() ? QVariant(row.date) : QVariant();
            case CellKind::Number:
                return QVariant(row.cells.value(index.column()).toLongLong());
            case CellKind::Text:
                break;
            }
            return {};
        case Qt::BackgroundRole:
            if (row.kind == RowKind::Total)
                return QColor(232, 232, 232);
            if (row.kind == RowKind::GrandTotal)
                return QColor(208, 208, 208);
            return {};
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Vertical)
            return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
        if (section < 0 || section >= columnCount({}))
            return {};
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return design().columns[size_t(section)].caption;
        if (role == Qt::TextAlignmentRole)
            return int(alignment(section));
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

private:
    const BrowserDesign& design() const { return m_browser.browserDesign(); }
    Qt::Alignment alignment(int column) const {
        switch (design().columns[size_t(column)].kind) {
        case CellKind::Money:
        case CellKind::Balance:
        case CellKind::Number:
            return Qt::AlignRight | Qt::AlignVCenter;
        case CellKind::Text:
        case CellKind::Date:
            break;
        }
        return Qt::AlignLeft | Qt::AlignVCenter;
    }

    const HistoryBrowser& m_browser;
    QFont m_bold;
};

} // namespace zelk::history

using namespace zelk::history;

frmHistoryBrowser::frmHistoryBrowser(BrowserKind kind, QWidget* parent)
    : QWidget(parent), m_browser(*zelk::g_cnn, kind) {
    const BrowserDesign& d = m_browser.browserDesign();
    setObjectName(d.name);
    setWindowTitle(d.caption);

    fraCommand = zelk::controls::frame(this, QStringLiteral("fraCommand"));
    static const char* const captions[2] = {"&Select Range", "&Close"};
    static const int lefts[2] = {48, 1560};
    for (int i = 0; i < 2; ++i) {
        QPushButton* b = zelk::controls::button(fraCommand, QStringLiteral("cmdOps_%1").arg(i),
                                                QString::fromLatin1(captions[i]));
        b->setGeometry(twips(lefts[i]), twips(144), twips(1476), twips(492));
        connect(b, &QPushButton::clicked, this, [this, i] { cmdOps_Click(i); });
        cmdOps[size_t(i)] = b;
    }
    // Export… beside Close: the rows as shown, with their totals.
    cmdExport = zelk::controls::button(fraCommand, QStringLiteral("cmdExport"),
                                       QStringLiteral("E&xport\u2026"));
    cmdExport->setGeometry(twips(3072), twips(144), twips(1476), twips(492));
    connect(cmdExport, &QPushButton::clicked, this, [this] {
        zelk::controls::ExportTable(this, zelk::exchange::TableOfModel(*m_shown, windowTitle()),
                                    windowTitle());
    });
    fraCommand->setFixedHeight(twips(144 + 492 + 96));
    fraCommand->setMinimumWidth(twips(3072 + 1476 + 48));

    m_model = new GridModel(m_browser, this);
    m_shown = new zelk::ListSortFilter(this);
    m_shown->setSourceModel(m_model);
    grdData = new QTableView(this);
    grdData->setObjectName(QStringLiteral("grdData"));
    grdData->setModel(m_shown);
    zelk::controls::sortByHeaders(grdData);
    txtFilter = zelk::controls::filterBox(this, grdData, m_shown);
    grdData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdData->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdData->setWordWrap(false);
    grdData->setCornerButtonEnabled(false);
    // The designed widths were drawn for a small grid font.
    QFont gridFont = grdData->font();
    gridFont.setPointSize(8);
    grdData->setFont(gridFont);
    grdData->horizontalHeader()->setFont(gridFont);
    grdData->horizontalHeader()->setTextElideMode(Qt::ElideRight);
    m_model->setGridFont(gridFont);
    QHeaderView* fixed = grdData->verticalHeader();
    fixed->setSectionResizeMode(QHeaderView::Fixed);
    fixed->setFixedWidth(twips(FixedColumnTwips));
    fixed->setDefaultSectionSize(QFontMetrics(gridFont).height() + 6);
    grdData->horizontalHeader()->setHighlightSections(false);
    for (size_t c = 0; c < d.columns.size(); ++c)
        zelk::controls::setDesignedWidth(
            grdData, int(c), d.columns[c].widthTwips,
            d.columns[c].kind == CellKind::Date ? zelk::controls::widestDateText() : QString());

    // The command frame across the top, the grid in the rest.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(fraCommand);
    layout->addWidget(txtFilter);
    layout->addWidget(grdData, 1);

    // The grid follows the rows as soon as they are replaced, so an empty grid is
    // already shown behind "No data.".
    m_browser.setRowsReplaced([this] {
        m_model->reset();
        if (m_shown->sortColumn() >= 0)
            m_shown->sort(m_shown->sortColumn(), m_shown->sortOrder());
    });
}

frmHistoryBrowser::~frmHistoryBrowser() {
    m_browser.setRowsReplaced({});
}

QSize frmHistoryBrowser::sizeHint() const {
    int width = twips(FixedColumnTwips) + 24;
    for (int c = 0; c < m_model->columnCount({}); ++c)
        width += grdData->columnWidth(c);
    return {std::min(width, 860), 360};
}

void frmHistoryBrowser::cmdOps_Click(int index) {
    if (index == 1) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->close();
        else
            close();
        return;
    }
    try {
        RangeChoice choice = m_choice;
        if (!SelectRange(choice))
            return;
        m_choice = choice;
        LoadGrid(choice);
    } catch (const zelk::ZelkError& e) {
        modErrors::ShowErrorMessage(e.record());
    } catch (const std::exception& e) {
        modErrors::ShowErrorMessage({0, windowTitle(), QString::fromLocal8Bit(e.what())});
    }
}

void frmHistoryBrowser::LoadGrid(const RangeChoice& choice) {
    m_browser.load(choice);
}

void frmHistoryBrowser::openAtHand() {
    if (!zelk::g_cnn || !zelk::g_cnn->isOpen())
        return;
    try {
        m_choice = OpeningChoice(*zelk::g_cnn, m_browser.browserDesign().kind);
    } catch (const zelk::ZelkError& e) {
        modErrors::ShowErrorMessage(e.record());
        return;
    }
    if (m_browser.browserDesign().kind != BrowserKind::AccountCard) // the card has no account yet
        m_browser.load(m_choice, false);
}

frmLedgerTrxHists::frmLedgerTrxHists(QWidget* parent)
    : frmHistoryBrowser(BrowserKind::Transactions, parent) {
    openAtHand();
}

bool frmLedgerTrxHists::SelectRange(RangeChoice& choice) {
    frmSelectRange dlg(this);
    dlg.setRange(choice.dateFrom, choice.dateTo);
    dlg.exec();
    if (!dlg.Confirmed)
        return false;
    choice.dateFrom = dlg.DateFrom;
    choice.dateTo = dlg.DateTo;
    return true;
}

frmLedgerGeneralHistsCurrent::frmLedgerGeneralHistsCurrent(QWidget* parent)
    : frmHistoryBrowser(BrowserKind::GeneralLedgerCurrent, parent) {
    openAtHand();
}

bool frmLedgerGeneralHistsCurrent::SelectRange(RangeChoice& choice) {
    frmSelectMonthRange dlg(this);
    dlg.setMonth(choice.month);
    dlg.exec();
    if (!dlg.Confirmed)
        return false;
    choice.month = dlg.Month;
    return true;
}

frmLedgerGeneralHists::frmLedgerGeneralHists(QWidget* parent)
    : frmHistoryBrowser(BrowserKind::GeneralLedgerPrevious, parent) {
    openAtHand();
}

bool frmLedgerGeneralHists::SelectRange(RangeChoice& choice) {
    frmSelectMonthYearRange dlg(this);
    dlg.setChoice(choice.month, choice.year);
    dlg.exec();
    if (!dlg.Confirmed)
        return false;
    choice.month = dlg.SelMonth;
    choice.year = dlg.SelYear;
    return true;
}

frmLedgerBalanceHists::frmLedgerBalanceHists(QWidget* parent)
    : frmHistoryBrowser(BrowserKind::Balances, parent) {
    openAtHand();
}

bool frmLedgerBalanceHists::SelectRange(RangeChoice& choice) {
    frmSelectYearRange dlg(this);
    dlg.setYear(choice.year);
    dlg.exec();
    if (!dlg.Confirmed)
        return false;
    choice.year = dlg.SelYear;
    return true;
}

frmAccountCard::frmAccountCard(const QString& account, QWidget* parent)
    : frmHistoryBrowser(BrowserKind::AccountCard, parent) {
    QPushButton* print = zelk::controls::button(commandFrame(), QStringLiteral("cmdPrint"),
                                                QStringLiteral("&Print"));
    // Print after Export….
    print->setGeometry(twips(4584), twips(144), twips(1476), twips(492));
    commandFrame()->setMinimumWidth(twips(4584 + 1476 + 48));
    connect(print, &QPushButton::clicked, this, &frmAccountCard::cmdPrint_Click);
    // After Print, on the card of a bank account: its statement imported from here.
    cmdImportStatement =
        zelk::controls::button(commandFrame(), QStringLiteral("cmdImportStatement"),
                               QStringLiteral("Import &Bank Statement\u2026"));
    cmdImportStatement->setGeometry(twips(6108), twips(144), twips(2520), twips(492));
    cmdImportStatement->hide();
    connect(cmdImportStatement, &QPushButton::clicked, this, [this] {
        zelk::windows::openImportBankStatement(this, m_choice.account);
        LoadGrid(m_choice);
    });
    openAtHand();
    m_choice.account = account;
    if (account.isEmpty())
        return;
    nameAccount();
    LoadGrid(m_choice);
}

bool frmAccountCard::SelectRange(RangeChoice& choice) {
    frmSelectAccountRange dlg(this, choice.account, choice.dateFrom, choice.dateTo);
    dlg.exec();
    if (!dlg.Confirmed)
        return false;
    choice.account = dlg.AccountNo;
    choice.dateFrom = dlg.DateFrom;
    choice.dateTo = dlg.DateTo;
    m_choice = choice;
    nameAccount();
    return true;
}

void frmAccountCard::nameAccount() {
    m_accountText.clear();
    if (zelk::g_cnn && zelk::g_cnn->isOpen()) {
        const auto lookup = zelk::accounts::AccountLookup::Load(*zelk::g_cnn);
        if (const auto* a = lookup.findNo(m_choice.account))
            m_accountText = a->AccountNo + QLatin1Char(' ') + a->AccountName;
    }
    const bool bank =
        !m_accountText.isEmpty() && zelk::bank::isBankAccount(*zelk::g_cnn, m_choice.account);
    cmdImportStatement->setVisible(bank);
    commandFrame()->setMinimumWidth(twips((bank ? 6108 + 2520 : 4584 + 1476) + 48));
    const QString caption = browser().browserDesign().caption;
    setWindowTitle(m_accountText.isEmpty() ? caption
                                           : caption + QStringLiteral(" \u2014 ") + m_accountText);
}

void frmAccountCard::cmdPrint_Click() {
    if (browser().rows().empty())
        return;
    try {
        zelk::history::WriteAccountCardReport(*zelk::g_cnn, browser().rows(), m_accountText,
                                              m_choice.dateFrom, m_choice.dateTo);
        frmReport viewer(this);
        viewer.ShowFile(modRptUtil::ReportFilePath());
    } catch (const modRptUtil::ReportFileError& e) {
        zelk::ui().messageBox(e.message(), windowTitle());
    }
}
