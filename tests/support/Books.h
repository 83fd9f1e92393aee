#pragma once

#include "core/data/Amount.h"
#include "core/data/UserPorts.h"
#include "core/periods/YearEndRuns.h"
#include "core/reports/ReportRun.h"
#include "support/ScriptedUi.h"
#include "support/TestDatabase.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Money from its text, as a bookkeeper types it ("-150.5").
zelk::Amount money(const char* text);

// A company's books written straight with the catalogue statements, the way the
// company, account and transaction editors write them.
class Books {
public:
    explicit Books(TestDatabase& db) : m_db(db) {}

    // Empties the books and sets the fiscal calendar, as New Company does.
    void newCompany(int financialPeriodBegin, int startYear, int beginPeriod = 1);
    // The account row ("Account <no>" unless named), its balance row and its twelve
    // general-ledger rows of the open year.
    void addAccount(const QString& no, int accountClass, const char* beginningBalance = "0",
                    const QString& name = QString());
    struct Line {
        QString account;
        const char* amount;
    };
    // An unposted transaction and its lines (Seq 1, 2, ...); its debits must equal its
    // credits (the test fails otherwise).
    void addTransaction(const QString& no, const QDate& date, const std::vector<Line>& lines,
                        const QString& source = QString(), const QString& description = QString());
    // The same without the check, for a test about unbalanced entries.
    void addUnbalancedTransaction(const QString& no, const QDate& date,
                                  const std::vector<Line>& lines, const QString& source = QString(),
                                  const QString& description = QString());

    // Balanced books to start from: a new company of `startYear` whose fiscal year starts
    // in `financialPeriodBegin`, and one account of each class with opening balances that
    // sum to 0 (two of the earning class):
    //   1000 cash 5000, 1100 bank 20000, 2000 loan -8000, 3000 capital -15000,
    //   4000 retained earnings -2000, 4100 reserve 0, 5000 sales 0, 6000 rent 0.
    void openBalancedBooks(int financialPeriodBegin, int startYear);

    int openYear();
    struct Totals {
        zelk::Amount debit;
        zelk::Amount credit;
        bool operator==(const Totals&) const = default;
    };
    std::optional<Totals> general(const QString& account, int year, int period);
    std::optional<Totals> generalHistory(const QString& account, int year, int period);
    // Saldo1..Saldo12 (period 1..12) or the beginning balance (period 0) of a balance row;
    // no value when the row is missing.
    std::optional<zelk::Amount> balance(const QString& account, int year, int period);
    std::optional<zelk::Amount> balanceHistory(const QString& account, int year, int period);
    // The posted flag, or no value when the transaction is not in the journal.
    std::optional<bool> posted(const QString& no);
    qint64 rows(const QString& table) { return m_db.count(table); }

    // Every row of every table the books live in, in a fixed order, as text.
    QString dump();
    // The same rows as a digest (for books too big to hold twice as text).
    QByteArray digest();

private:
    void eachRow(const std::function<void(const QString& line)>& take);
    std::optional<Totals> totals(const char* table, const QString& account, int year, int period);
    std::optional<zelk::Amount> saldo(const char* table, const QString& account, int year,
                                      int period);
    TestDatabase& m_db;
};

// Every row of every table the books live in, in a fixed order, one line each; and the
// same as a digest (equal digests: equal books).
void eachBooksRow(zelk::Connection& cnn, const std::function<void(const QString& line)>& take);
QByteArray booksDigest(zelk::Connection& cnn);

// What a bookkeeper relies on, checked on the books as they stand (`when` names the step
// in a failure): the general ledger's debits equal its credits, the open year's beginning
// balances sum to 0, and for every month of the open year the trial balance prints equal
// debits and credits and the balance sheet prints Assets equal to "Liabilities and
// equities". Gives the year's result as the twelve income statements print it (the
// revenues less the expenses posted in its months).
zelk::Amount expectBalancedBooks(TestDatabase& db, const std::string& when);

// The lines of the report that `build` writes on the books (none when it finds no data).
QStringList
printedReport(TestDatabase& db,
              const std::function<zelk::reports::BuildResult(zelk::reports::ReportRun&)>& build);

// A progress display that counts the steps and can act at a given step (a click on
// Cancel handled while the events of that step are pumped, say).
class CountingProgress : public zelk::ProgressSink {
public:
    void setMaximum(int maximum) override { m_maximum = maximum; }
    void setValue(int value) override { m_value = value; }
    void pumpEvents() override {
        ++m_pumps;
        if (m_atStep && m_value == m_atStep)
            m_action();
    }
    void at(int step, std::function<void()> action) {
        m_atStep = step;
        m_action = std::move(action);
    }
    int maximum() const { return m_maximum; }
    int value() const { return m_value; }
    int pumps() const { return m_pumps; }

private:
    int m_maximum = -1;
    int m_value = -1;
    int m_pumps = 0;
    int m_atStep = 0;
    std::function<void()> m_action;
};

// A scripted user interface that can also act just before it gives an answer to the
// message dialog (drop a failing trigger before answering Retry, say).
class ActingUi : public ScriptedUi {
public:
    std::function<void()> beforeDialogAnswer;
    int showMessageDialog(const QString& message, int buttons, const QString& title) override {
        if (beforeDialogAnswer)
            beforeDialogAnswer();
        return ScriptedUi::showMessageDialog(message, buttons, title);
    }
};

// An earning-account chooser that gives the answers it was handed, one per showing
// (empty text: closed without a choice). Shown more often than scripted, it fails the
// test and ends the loop with a choice.
struct ScriptedChooser : zelk::periods::EarningAccountChooser {
    QStringList answers;
    int shown = 0;
    QString chooseEarningAccount() override;
};

// The year-end runs as their window drives them: the questions, then the run. Closing
// the chooser without a choice does not start the run.
zelk::periods::RunOutcome endYear(zelk::Connection& cnn, zelk::ProgressSink& progress,
                                  ScriptedChooser& chooser);
zelk::periods::RunOutcome revertEndYear(zelk::Connection& cnn, zelk::ProgressSink& progress);

struct sqlite3;
// Keys a raw handle on a Zelk file with the program's own key and the file's page size
// (new files: 4096; files made before: 1024).
void keyRawBooks(sqlite3* db, int pageSize = 4096);

// Runs SQL through a connection of its own, bypassing the statement translator (for
// triggers that make a real statement fail). The database must not be in a transaction.
void rawExec(const QString& filePath, const char* sql);
