#include "Books.h"

#include "core/data/FiscalCalendar.h"
#include "core/data/modDBUtil.h"
#include "core/data/modUtils.h"
#include "core/reports/ReportRun.h"
#include "core/reports/modRptUtil.h"

#include <QCryptographicHash>
#include <QFile>
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>
#include <stdexcept>

using namespace modDBUtil;
using modUtils::SqlText;
using zelk::Amount;

Amount money(const char* text) {
    const std::optional<Amount> a = Amount::parse(QString::fromLatin1(text));
    if (!a)
        throw std::invalid_argument(std::string("not an amount: ") + text);
    return *a;
}

void Books::newCompany(int financialPeriodBegin, int startYear, int beginPeriod) {
    for (const QString& sql :
         {DeleteAllAccountBalanceHistories(), DeleteAllAccountBalances(), DeleteAllGeneral(),
          DeleteAllGeneralHistories(), DeleteAllTransactions(), DeleteAllTransactionHistories(),
          DeleteAllCustomReports(), DeleteAllAccounts()})
        m_db.exec(sql);
    m_db.exec(UpdateCompanyInfo("Kestrel Trading", "1 Harbour Road", "555 0100", "", ""));
    m_db.exec(UpdateCompanyPeriods(beginPeriod, startYear, startYear, financialPeriodBegin));
}

int Books::openYear() {
    return int(m_db.scalar("SELECT CurrentPeriodYear FROM SYS_Company"));
}

void Books::addAccount(const QString& no, int accountClass, const char* beginningBalance,
                       const QString& name) {
    const int year = openYear();
    m_db.exec(InsertAccount(no, name.isEmpty() ? "Account " + no : name, accountClass, ""));
    m_db.exec(InsertAccountBalance(no, year, money(beginningBalance)));
    m_db.exec(InsertGeneralYear(no, year));
}

void Books::addTransaction(const QString& no, const QDate& date, const std::vector<Line>& lines,
                           const QString& source, const QString& description) {
    Amount sum;
    for (const Line& l : lines)
        sum += money(l.amount);
    EXPECT_TRUE(sum.isZero()) << "the fixture's transaction " << no.toStdString()
                              << " does not balance";
    addUnbalancedTransaction(no, date, lines, source, description);
}

void Books::addUnbalancedTransaction(const QString& no, const QDate& date,
                                     const std::vector<Line>& lines, const QString& source,
                                     const QString& description) {
    m_db.exec(InsertTransaction(no, source, description, date, false));
    int seq = 0;
    for (const Line& l : lines)
        m_db.exec(InsertTransactionDetail(no, l.account, ++seq, money(l.amount)));
}

void Books::openBalancedBooks(int financialPeriodBegin, int startYear) {
    newCompany(financialPeriodBegin, startYear);
    const struct {
        const char* no;
        int accountClass;
        const char* opening;
    } chart[] = {{"1000", 1, "5000"},   {"1100", 1, "20000"}, {"2000", 2, "-8000"},
                 {"3000", 3, "-15000"}, {"4000", 4, "-2000"}, {"4100", 4, "0"},
                 {"5000", 5, "0"},      {"6000", 6, "0"}};
    for (const auto& a : chart)
        addAccount(a.no, a.accountClass, a.opening);
}

namespace {

// The lines of the report file, without their italic markup.
QStringList reportLines() {
    QStringList lines;
    const QByteArray file = readFile(modRptUtil::ReportFilePath());
    for (QString line : QString::fromLatin1(file).split(QStringLiteral("\r\n"))) {
        if (line.startsWith(QLatin1String("\\i ")) && line.endsWith(QLatin1String("\\i0")))
            line = line.mid(3, line.size() - 6);
        lines << line;
    }
    return lines;
}

// The amount printed after `label` on the report line that starts with it.
std::optional<Amount> printed(const QStringList& lines, const QString& label) {
    for (const QString& line : lines)
        if (line.startsWith(label))
            return Amount::parse(line.mid(label.size()));
    return std::nullopt;
}

} // namespace

Amount expectBalancedBooks(TestDatabase& db, const std::string& when) {
    const zelk::CompanyRow company = zelk::CompanyRow::read(db.cnn());
    const QString year = QString::number(company.CurrentPeriodYear);
    Amount debits, credits, openings;
    for (zelk::RowSet rs = db.query("SELECT Debit, Credit FROM Ledger_General"); !rs.eof();
         rs.moveNext()) {
        debits += rs.amount("Debit");
        credits += rs.amount("Credit");
    }
    EXPECT_EQ(debits, credits) << when << ": the general ledger's debits and credits";
    for (zelk::RowSet rs = db.query("SELECT BeginningBalance FROM Ledger_AccountBalances WHERE "
                                    "PeriodYear=" +
                                    year);
         !rs.eof(); rs.moveNext())
        openings += rs.amount("BeginningBalance");
    EXPECT_EQ(openings, Amount()) << when << ": the beginning balances of " << year.toStdString();

    zelk::NoProgress progress;
    const bool cancel = false;
    zelk::reports::ReportRun run(db.cnn(), progress, cancel);
    Amount result;
    for (int month = 1; month <= 12; ++month) {
        const std::string of = when + ", " + zelk::fiscal::monthName(month).toStdString();
        if (zelk::reports::BuildTrialBalance(month, run) == zelk::reports::BuildResult::Written) {
            const QStringList lines = reportLines();
            EXPECT_EQ(printed(lines, "Debits : "), printed(lines, "Credits: "))
                << of << ": the trial balance";
        }
        if (zelk::reports::BuildBalanceSheet(month, run) == zelk::reports::BuildResult::Written) {
            const QStringList lines = reportLines();
            const auto assets = printed(lines, "Assets       : ");
            EXPECT_TRUE(assets.has_value()) << of;
            EXPECT_EQ(assets, printed(lines, "Liabilities and equities : "))
                << of << ": the balance sheet";
        }
        if (zelk::reports::BuildIncomeStatement(month, run) ==
            zelk::reports::BuildResult::Written) {
            const QStringList lines = reportLines();
            result += printed(lines, "Revenues  : ").value_or(Amount()) -
                      printed(lines, "Expenses  : ").value_or(Amount());
        }
    }
    return result;
}

QStringList
printedReport(TestDatabase& db,
              const std::function<zelk::reports::BuildResult(zelk::reports::ReportRun&)>& build) {
    zelk::NoProgress progress;
    const bool cancel = false;
    zelk::reports::ReportRun run(db.cnn(), progress, cancel);
    return build(run) == zelk::reports::BuildResult::Written ? reportLines() : QStringList();
}

std::optional<Books::Totals> Books::totals(const char* table, const QString& account, int year,
                                           int period) {
    zelk::RowSet rs = m_db.query(QStringLiteral("SELECT Debit, Credit FROM ") +
                                 QLatin1String(table) + " WHERE FKID_Account=" + SqlText(account) +
                                 " AND PeriodYear=" + QString::number(year) +
                                 " AND Period=" + QString::number(period));
    if (rs.eof())
        return std::nullopt;
    EXPECT_EQ(rs.recordCount(), 1);
    return Totals{rs.amount("Debit"), rs.amount("Credit")};
}

std::optional<Books::Totals> Books::general(const QString& account, int year, int period) {
    return totals("Ledger_General", account, year, period);
}

std::optional<Books::Totals> Books::generalHistory(const QString& account, int year, int period) {
    return totals("Ledger_GeneralHistories", account, year, period);
}

std::optional<Amount> Books::saldo(const char* table, const QString& account, int year,
                                   int period) {
    const QString column =
        period < 1 ? QStringLiteral("BeginningBalance") : "Saldo" + QString::number(period);
    zelk::RowSet rs = m_db.query("SELECT " + column + " AS Value FROM " + QLatin1String(table) +
                                 " WHERE FKID_Account=" + SqlText(account) +
                                 " AND PeriodYear=" + QString::number(year));
    if (rs.eof())
        return std::nullopt;
    EXPECT_EQ(rs.recordCount(), 1);
    return rs.amount("Value");
}

std::optional<Amount> Books::balance(const QString& account, int year, int period) {
    return saldo("Ledger_AccountBalances", account, year, period);
}

std::optional<Amount> Books::balanceHistory(const QString& account, int year, int period) {
    return saldo("Ledger_AccountBalanceHistories", account, year, period);
}

std::optional<bool> Books::posted(const QString& no) {
    zelk::RowSet rs =
        m_db.query("SELECT Posted FROM Ledger_Transactions WHERE TransactionNo=" + SqlText(no));
    if (rs.eof())
        return std::nullopt;
    return rs.boolean("Posted");
}

QString Books::dump() {
    QString out;
    eachRow([&](const QString& line) { out += line; });
    return out;
}

QByteArray Books::digest() {
    return booksDigest(m_db.cnn());
}

QByteArray booksDigest(zelk::Connection& cnn) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    eachBooksRow(cnn, [&](const QString& line) { hash.addData(line.toUtf8()); });
    return hash.result().toHex();
}

void Books::eachRow(const std::function<void(const QString& line)>& take) {
    eachBooksRow(m_db.cnn(), take);
}

void eachBooksRow(zelk::Connection& cnn, const std::function<void(const QString& line)>& take) {
    for (const char* table :
         {"SYS_Company", "Ledger_Accounts", "Ledger_Transactions", "Ledger_TransactionDetails",
          "Ledger_TransactionHistories", "Ledger_General", "Ledger_GeneralHistories",
          "Ledger_AccountBalances", "Ledger_AccountBalanceHistories", "Ledger_CustomReports",
          "Ledger_CustomReportDetails", "Ledger_BankProfiles", "Ledger_BankRules",
          "Ledger_BankIdentities"}) {
        const QString from = QStringLiteral(" FROM ") + QLatin1String(table);
        const QStringList columns = cnn.execute("SELECT *" + from).fieldNames();
        zelk::RowSet rs = cnn.execute("SELECT *" + from + " ORDER BY " + columns.join(", "));
        take(QLatin1String(table) + QStringLiteral(" (") + QString::number(rs.recordCount()) +
             QStringLiteral(" rows)\n"));
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            QStringList cells;
            for (int c = 0; c < columns.size(); ++c) {
                const QVariant v = rs.value(c);
                cells << (v.isNull() ? QStringLiteral("<null>") : v.toString());
            }
            take(cells.join(QStringLiteral(" | ")) + QChar(u'\n'));
        }
    }
}

void keyRawBooks(sqlite3* db, int pageSize) {
    sqlite3_key(db, "Kestrelix", 9);
    sqlite3_exec(db, ("PRAGMA cipher_page_size=" + std::to_string(pageSize)).c_str(), nullptr,
                 nullptr, nullptr);
}

void rawExec(const QString& filePath, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(filePath).constData(), &db, SQLITE_OPEN_READWRITE,
                              nullptr),
              SQLITE_OK);
    keyRawBooks(db);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "") << " in " << sql;
    sqlite3_free(error);
    sqlite3_close(db);
}

QString ScriptedChooser::chooseEarningAccount() {
    if (shown >= answers.size()) {
        ADD_FAILURE() << "the chooser was shown more often than scripted";
        return QStringLiteral("(unscripted)");
    }
    return answers.value(shown++);
}

zelk::periods::RunOutcome endYear(zelk::Connection& cnn, zelk::ProgressSink& progress,
                                  ScriptedChooser& chooser) {
    zelk::periods::EndYear run(cnn, progress);
    if (!run.confirmJournal())
        return zelk::periods::RunOutcome::NotStarted;
    const QString earning = run.chooseEarningAccount(chooser);
    if (earning.isEmpty())
        return zelk::periods::RunOutcome::NotStarted;
    return run.run(earning);
}

zelk::periods::RunOutcome revertEndYear(zelk::Connection& cnn, zelk::ProgressSink& progress) {
    zelk::periods::RevertEndYear run(cnn, progress);
    if (!run.confirmBeforeRun())
        return zelk::periods::RunOutcome::NotStarted;
    return run.run();
}
