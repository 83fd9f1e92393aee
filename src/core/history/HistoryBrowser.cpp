#include "HistoryBrowser.h"

#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/UserPorts.h"
#include "core/data/modDBUtil.h"
#include "core/data/modErrors.h"

#include <algorithm>

namespace zelk::history {

namespace {

int periodOfMonth(Connection& cnn, int month) {
    const CompanyRow company = CompanyRow::read(cnn);
    return fiscal::periodOfMonth(company.FinancialPeriodBegin, month);
}

int financialPeriodBegin(Connection& cnn) {
    return CompanyRow::read(cnn).FinancialPeriodBegin;
}

} // namespace

Connection& HistoryBrowser::connection() const {
    if (!m_cnn.isOpen())
        throw DbError({1, QStringLiteral("Zelk database"),
                       QStringLiteral("The database connection is not open.")});
    return m_cnn;
}

QString HistoryBrowser::statementFor(const RangeChoice& choice) const {
    switch (m_design->kind) {
    case BrowserKind::Transactions:
        return modDBUtil::GetTransactionHistoryView(choice.dateFrom, choice.dateTo);
    case BrowserKind::GeneralLedgerCurrent:
        return modDBUtil::GetGeneralLedgerView(periodOfMonth(connection(), choice.month), 0);
    case BrowserKind::GeneralLedgerPrevious:
        return modDBUtil::GetGeneralLedgerView(periodOfMonth(connection(), choice.month),
                                               choice.year);
    case BrowserKind::Balances:
        return modDBUtil::GetBalanceHistoryView(choice.year);
    case BrowserKind::AccountCard: {
        // From the first day of the fiscal year: the lines before the range make the
        // balance the card starts with.
        const int begin = financialPeriodBegin(connection());
        const int year = fiscal::periodOfDate(begin, choice.dateFrom).periodYear;
        return modDBUtil::GetAccountCardLines(choice.account, fiscal::firstDayOfYear(begin, year),
                                              choice.dateTo);
    }
    }
    return {};
}

RangeChoice OpeningChoice(Connection& cnn, BrowserKind kind) {
    const CompanyRow company = CompanyRow::read(cnn);
    const int begin = company.FinancialPeriodBegin;
    const int year = company.CurrentPeriodYear;
    // The calendar month of a period of the fiscal year.
    const auto monthOfPeriod = [begin](int period) { return (begin - 1 + period - 1) % 12 + 1; };
    RangeChoice choice;
    choice.dateFrom = fiscal::firstDayOfYear(begin, year);
    choice.dateTo = fiscal::lastDayOfYear(begin, year);
    switch (kind) {
    case BrowserKind::Transactions: {
        RowSet last = cnn.execute(modDBUtil::GetLastHistoryDate(choice.dateFrom, choice.dateTo));
        const QDate day = last.eof() ? QDate() : last.date(QStringLiteral("LastDate"));
        if (day.isValid())
            choice.dateTo = QDate(day.year(), day.month(), day.daysInMonth());
        break;
    }
    case BrowserKind::GeneralLedgerCurrent: {
        RowSet last = cnn.execute(modDBUtil::GetLastPostedPeriod(year));
        const int period = last.eof() ? 0 : int(last.integer(QStringLiteral("LastPeriod")));
        choice.month = monthOfPeriod(std::clamp(period, 1, 12));
        break;
    }
    case BrowserKind::GeneralLedgerPrevious:
        choice.month = monthOfPeriod(12);
        choice.year = year - 1;
        break;
    case BrowserKind::Balances:
        choice.year = year - 1;
        break;
    case BrowserKind::AccountCard:
        break;
    }
    return choice;
}

HistoryBrowser::LoadResult HistoryBrowser::load(const RangeChoice& choice, bool tellNoData) {
    int read = 0;
    std::vector<GridRow> rows;
    try {
        RowSet rs = connection().stream(statementFor(choice));
        if (m_design->kind == BrowserKind::AccountCard) {
            RowSet beginnings =
                connection().openRowSet(modDBUtil::GetAccountBeginningBalances(choice.account));
            rows = arrangeAccountCard(rs, beginnings, financialPeriodBegin(connection()),
                                      choice.dateFrom);
        } else {
            rows = arrangeRows(*m_design, rs);
        }
        read = rs.position();
    } catch (const ZelkError& e) {
        // The answer only closes the report: the browser reads nothing, so there is
        // nothing to repeat or roll back, and the grid keeps what it showed.
        modErrors::ShowErrorMessage(e.record());
        return LoadResult::Failed;
    }
    const bool empty = read < 1 && m_design->kind != BrowserKind::AccountCard;
    replace(read, std::move(rows));
    if (empty) {
        if (tellNoData)
            ui().messageBox(QStringLiteral("No data."), appTitle());
        return LoadResult::NoData;
    }
    return LoadResult::Loaded;
}

void HistoryBrowser::replace(int readCount, std::vector<GridRow> rows) {
    m_readCount = readCount;
    m_rows = std::move(rows);
    if (m_rowsReplaced)
        m_rowsReplaced();
}

} // namespace zelk::history
