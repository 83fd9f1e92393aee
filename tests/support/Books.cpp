#include "Books.h"

#include "data/modDBUtil.h"
#include "data/modUtils.h"

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

void Books::addAccount(const QString& no, int accountClass, const char* beginningBalance) {
    const int year = openYear();
    m_db.exec(InsertAccount(no, "Account " + no, accountClass, ""));
    m_db.exec(InsertAccountBalance(no, year, money(beginningBalance)));
    m_db.exec(InsertGeneralYear(no, year));
}

void Books::addTransaction(const QString& no, const QDate& date, const std::vector<Line>& lines,
                           const QString& source, const QString& description) {
    m_db.exec(InsertTransaction(no, source, description, date, false));
    int seq = 0;
    for (const Line& l : lines)
        m_db.exec(InsertTransactionDetail(no, l.account, ++seq, money(l.amount)));
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
    QCryptographicHash hash(QCryptographicHash::Sha256);
    eachRow([&](const QString& line) { hash.addData(line.toUtf8()); });
    return hash.result().toHex();
}

void Books::eachRow(const std::function<void(const QString& line)>& take) {
    for (const char* table :
         {"SYS_Company", "Ledger_Accounts", "Ledger_Transactions", "Ledger_TransactionDetails",
          "Ledger_TransactionHistories", "Ledger_General", "Ledger_GeneralHistories",
          "Ledger_AccountBalances", "Ledger_AccountBalanceHistories"}) {
        const QString from = QStringLiteral(" FROM ") + QLatin1String(table);
        const QStringList columns = m_db.query("SELECT *" + from).fieldNames();
        zelk::RowSet rs = m_db.query("SELECT *" + from + " ORDER BY " + columns.join(", "));
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

void rawExec(const QString& filePath, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(filePath).constData(), &db, SQLITE_OPEN_READWRITE,
                              nullptr),
              SQLITE_OK);
    sqlite3_key(db, "Kestrelix", 9);
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
