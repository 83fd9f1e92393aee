#include "HistoryGrid.h"

#include "core/data/Errors.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/RowSet.h"
#include "core/data/modUtils.h"
#include "core/shared/TypedDate.h"

#include <QDate>
#include <map>

namespace zelk::history {

namespace {

BrowserDesign transactions() {
    using K = CellKind;
    return {BrowserKind::Transactions,
            QStringLiteral("frmLedgerTrxHists"),
            QStringLiteral("Transaction History"),
            {{QStringLiteral("Trx No."), 1476, K::Text},
             {QStringLiteral("Source"), 912, K::Text},
             {QStringLiteral("Date"), 912, K::Date},
             {QStringLiteral("Description"), 2688, K::Text},
             {QStringLiteral("Account No"), 912, K::Text},
             {QStringLiteral("Account Name"), 2304, K::Text},
             {QStringLiteral("Debit"), 1200, K::Money},
             {QStringLiteral("Credit"), 1200, K::Money}},
            // The lines of one transaction are one run: two transactions that share a
            // description (or have none), or a number closed in two months, still get a
            // total each.
            /*breakColumns*/ {0, 2},
            /*grandTotal*/ true,
            /*repeatingColumns*/ 4};
}

// The two ledger browsers' titles say which is which when both are open.
BrowserDesign generalLedger(BrowserKind kind, const QString& name, const QString& which) {
    using K = CellKind;
    return {kind,
            name,
            QStringLiteral("Ledger History \u2014 ") + which,
            {{QStringLiteral("Year"), 912, K::Number},
             {QStringLiteral("Period"), 732, K::Number},
             {QStringLiteral("Account No."), 1032, K::Text},
             {QStringLiteral("Account Name"), 2496, K::Text},
             {QStringLiteral("Credit"), 1404, K::Money},
             {QStringLiteral("Debit"), 1404, K::Money}},
            /*breakColumns*/ {1},
            /*grandTotal*/ false,
            /*repeatingColumns*/ 2};
}

BrowserDesign balances() {
    using K = CellKind;
    BrowserDesign d{BrowserKind::Balances,
                    QStringLiteral("frmLedgerBalanceHists"),
                    QStringLiteral("Balance History"),
                    {{QStringLiteral("Year"), 900, K::Number},
                     {QStringLiteral("Account No."), 1176, K::Text},
                     {QStringLiteral("Account Name"), 2496, K::Text},
                     {QStringLiteral("Beginning Balance"), 1500, K::Money}},
                    /*breakColumns*/ {},
                    /*grandTotal*/ false,
                    /*repeatingColumns*/ 1};
    for (int p = 1; p <= 12; ++p)
        d.columns.push_back({QStringLiteral("Period %1").arg(p), 1500, K::Money});
    return d;
}

BrowserDesign accountCard() {
    using K = CellKind;
    return {BrowserKind::AccountCard,
            QStringLiteral("frmAccountCard"),
            QStringLiteral("Account Card"),
            {{QStringLiteral("Date"), 912, K::Date},
             {QStringLiteral("Trx No."), 1476, K::Text},
             {QStringLiteral("Source"), 912, K::Text},
             {QStringLiteral("Description"), 2688, K::Text},
             {QStringLiteral("Status"), 1000, K::Text},
             {QStringLiteral("Debit"), 1200, K::Money},
             {QStringLiteral("Credit"), 1200, K::Money},
             {QStringLiteral("Balance"), 1400, K::Balance}},
            /*breakColumns*/ {},
            /*grandTotal*/ true,
            /*repeatingColumns*/ 0};
}

// A money cell: "#,##0.00", empty for 0 (a line's other side).
QString moneyText(Amount a) {
    return a.isZero() ? QString() : a.formatStandard();
}

QString displayText(const ColumnDesign& column, const RowSet& rs, const QString& field) {
    switch (column.kind) {
    case CellKind::Money:
        return moneyText(rs.amount(field));
    case CellKind::Balance:
        return rs.amount(field).formatStandard();
    case CellKind::Date: {
        const QString stored = rs.text(field);
        const QDate d = QDate::fromString(stored.left(10), Qt::ISODate);
        return d.isValid() ? ShortDateText(d) : stored;
    }
    case CellKind::Text:
    case CellKind::Number:
        break;
    }
    return rs.text(field);
}

// Builds the rows while walking the query's rows once.
class Arranger {
public:
    Arranger(const BrowserDesign& design, int columns)
        : m_design(design), m_columns(columns), m_run(size_t(columns)), m_all(size_t(columns)) {}

    void addData(GridRow row, const std::vector<Amount>& values, const QStringList& stored) {
        bool sameRun = m_runRows > 0;
        for (size_t i = 0; i < m_design.breakColumns.size() && sameRun; ++i)
            sameRun = m_breakValues[i].compare(stored[m_design.breakColumns[i]],
                                               Qt::CaseInsensitive) == 0;
        if (m_runRows > 0 && !sameRun)
            closeRun();
        QStringList shown = row.cells;
        if (m_runRows > 0)
            hideRepeats(row);
        for (size_t c = 0; c < values.size(); ++c) {
            m_run[c] = add(m_run[c], values[c]);
            m_all[c] = add(m_all[c], values[c]);
        }
        m_breakValues.clear();
        for (int column : m_design.breakColumns)
            m_breakValues << stored[column];
        m_previous = std::move(shown);
        ++m_runRows;
        m_rows.push_back(std::move(row));
    }

    std::vector<GridRow> finish() {
        if (m_runRows > 0)
            closeRun();
        if (m_design.grandTotal && !m_rows.empty())
            m_rows.push_back(totalRow(RowKind::GrandTotal, GrandTotalCaption, m_all));
        return std::move(m_rows);
    }

private:
    static Amount add(Amount a, Amount b) {
        try {
            return a + b;
        } catch (const AmountOverflow&) {
            throw Overflow();
        }
    }

    // A leading value equal to the one above it (and every leading value before it
    // equal as well) belongs to the same entry: it shows on the entry's first row only.
    void hideRepeats(GridRow& row) const {
        for (int c = 0; c < m_design.repeatingColumns && c < m_columns; ++c) {
            if (row.cells[c] != m_previous[c])
                return;
            row.cells[c].clear();
        }
    }

    void closeRun() {
        if (!m_design.breakColumns.empty())
            m_rows.push_back(totalRow(RowKind::Total, TotalCaption, m_run));
        m_run.assign(size_t(m_columns), Amount());
        m_runRows = 0;
        m_previous.clear();
    }

    GridRow totalRow(RowKind kind, const QString& caption, const std::vector<Amount>& sums) const {
        GridRow row;
        row.kind = kind;
        row.sums = sums;
        for (int c = 0; c < m_columns; ++c)
            row.cells << (m_design.columns[size_t(c)].kind == CellKind::Money
                              ? moneyText(sums[size_t(c)])
                              : QString());
        row.cells[0] = caption;
        return row;
    }

    const BrowserDesign& m_design;
    const int m_columns;
    std::vector<GridRow> m_rows;
    std::vector<Amount> m_run, m_all;
    QStringList m_previous;    // display texts of the run's previous row (before hiding)
    QStringList m_breakValues; // the run's values of the break columns
    int m_runRows = 0;
};

} // namespace

const BrowserDesign& design(BrowserKind kind) {
    static const BrowserDesign designs[] = {
        transactions(),
        generalLedger(BrowserKind::GeneralLedgerCurrent,
                      QStringLiteral("frmLedgerGeneralHistsCurrent"),
                      QStringLiteral("current year")),
        generalLedger(BrowserKind::GeneralLedgerPrevious, QStringLiteral("frmLedgerGeneralHists"),
                      QStringLiteral("previous years")),
        balances(), accountCard()};
    return designs[int(kind)];
}

std::vector<GridRow> arrangeRows(const BrowserDesign& design, RowSet& rs) {
    const int columns = int(design.columns.size());
    const QStringList& fields = rs.fieldNames();
    const int filled = std::min(columns, int(fields.size()));
    Arranger arranger(design, columns);
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        GridRow row;
        std::vector<Amount> values(static_cast<size_t>(columns));
        QStringList stored;
        for (int c = 0; c < columns; ++c) {
            if (c >= filled) {
                row.cells << QString();
                stored << QString();
                continue;
            }
            const ColumnDesign& column = design.columns[size_t(c)];
            row.cells << displayText(column, rs, fields[c]);
            stored << rs.text(fields[c]);
            if (column.kind == CellKind::Money)
                values[size_t(c)] = rs.amount(fields[c]);
            else if (column.kind == CellKind::Date)
                row.date = QDate::fromString(stored.back().left(10), Qt::ISODate);
        }
        row.sums = values;
        arranger.addData(std::move(row), values, stored);
    }
    return arranger.finish();
}

std::vector<GridRow> arrangeAccountCard(RowSet& lines, RowSet& beginnings, int financialPeriodBegin,
                                        const QDate& from) {
    const BrowserDesign& d = design(BrowserKind::AccountCard);
    const int columns = int(d.columns.size());
    enum { Date, TrxNo, Source, Description, Status, Debit, Credit, Balance };

    std::map<int, Amount> beginningOf;
    for (beginnings.moveFirst(); !beginnings.eof(); beginnings.moveNext())
        beginningOf[int(beginnings.integer(QStringLiteral("PeriodYear")))] =
            beginnings.amount(QStringLiteral("BeginningBalance"));
    const auto add = [](Amount a, Amount b) {
        try {
            return a + b;
        } catch (const AmountOverflow&) {
            throw Overflow();
        }
    };
    const auto shownDate = [](const QDate& day) { return ShortDateText(day); };

    std::vector<GridRow> rows;
    Amount balance, debits, credits;
    const auto beginningRow = [&](const QDate& day) {
        GridRow row;
        row.kind = RowKind::Total;
        for (int c = 0; c < columns; ++c)
            row.cells << QString();
        row.cells[Date] = shownDate(day);
        row.date = day;
        row.cells[Description] = BeginningBalanceCaption;
        row.cells[Balance] = balance.formatStandard();
        row.sums.assign(size_t(columns), Amount());
        row.sums[Balance] = balance;
        rows.push_back(std::move(row));
    };

    int year = fiscal::periodOfDate(financialPeriodBegin, from).periodYear;
    if (auto b = beginningOf.find(year); b != beginningOf.end())
        balance = b->second;
    bool opened = false;
    for (lines.moveFirst(); !lines.eof(); lines.moveNext()) {
        const QDate day = lines.date(QStringLiteral("DateStamp"));
        const Amount amount = lines.amount(QStringLiteral("Amount"));
        if (day < from) {
            balance = add(balance, amount);
            continue;
        }
        if (!opened) {
            beginningRow(from);
            opened = true;
        }
        const int lineYear = fiscal::periodOfDate(financialPeriodBegin, day).periodYear;
        if (lineYear != year) {
            year = lineYear;
            if (auto b = beginningOf.find(year); b != beginningOf.end()) {
                balance = b->second;
                beginningRow(fiscal::firstDayOfYear(financialPeriodBegin, year));
            }
        }
        balance = add(balance, amount);
        const Amount debit = amount > Amount() ? amount : Amount();
        const Amount credit = amount < Amount() ? -amount : Amount();
        debits = add(debits, debit);
        credits = add(credits, credit);
        GridRow row;
        row.date = day;
        row.sums.assign(size_t(columns), Amount());
        row.sums[Debit] = debit;
        row.sums[Credit] = credit;
        row.sums[Balance] = balance;
        row.cells << shownDate(day) << lines.text(QStringLiteral("TransactionNo"))
                  << lines.text(QStringLiteral("Source"))
                  << lines.text(QStringLiteral("Description"))
                  << (lines.boolean(QStringLiteral("Closed"))   ? QStringLiteral("Closed")
                      : lines.boolean(QStringLiteral("Posted")) ? QStringLiteral("Posted")
                                                                : QStringLiteral("Not posted"))
                  << moneyText(debit) << moneyText(credit) << balance.formatStandard();
        rows.push_back(std::move(row));
    }
    if (!opened)
        beginningRow(from);

    GridRow total;
    total.kind = RowKind::GrandTotal;
    for (int c = 0; c < columns; ++c)
        total.cells << QString();
    total.cells[Description] = TotalCaption;
    total.cells[Debit] = moneyText(debits);
    total.cells[Credit] = moneyText(credits);
    total.cells[Balance] = balance.formatStandard();
    total.sums.assign(size_t(columns), Amount());
    total.sums[Debit] = debits;
    total.sums[Credit] = credits;
    total.sums[Balance] = balance;
    rows.push_back(std::move(total));
    return rows;
}

} // namespace zelk::history
