#pragma once

#include "data/Amount.h"
#include "support/TestDatabase.h"

#include <QDate>
#include <QString>
#include <vector>

// The books the report tests print: a company whose fiscal year 2004 starts in April,
// accounts of every class (long names, quotes, braces, backslashes, letters outside
// Windows-1252), April and May posted and closed, June posted in part, one July entry.
// It is built with the catalogue's statements, as posting and month end leave the rows.
namespace fixture {

struct Line {
    QString account;
    const char* amount; // signed: a debit positive, a credit negative
};

struct Trx {
    QString number;
    QDate date;
    QString source;
    QString description;
    bool posted;
    std::vector<Line> lines;
};

struct Account {
    QString number;
    QString name;
    int accountClass;
    const char* beginningBalance;
};

zelk::Amount money(const char* text);

// The company row, written with the catalogue's update statements.
void setCompany(TestDatabase& db, int financialPeriodBegin, int currentPeriodYear);
// An account with its balance row and its twelve ledger rows of the year.
void addAccount(TestDatabase& db, const Account& a, int year);
// The transaction and its lines, as the editor saves them.
void addTransaction(TestDatabase& db, const Trx& t);
// Posting: adds each line of the transactions to its account's ledger row of the period.
void post(TestDatabase& db, const std::vector<Trx>& trxs, int begin, int year);
// Month end of one period: each account's Debit - Credit into its Saldo column, the
// period's transactions moved to the history.
void closeMonth(TestDatabase& db, const std::vector<Trx>& trxs, int begin, int year, int period);

// The whole ledger described above.
void buildLedger(TestDatabase& db);

} // namespace fixture
