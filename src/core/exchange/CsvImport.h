#pragma once

#include "core/data/Amount.h"
#include "core/data/SavingCommand.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace zelk {
class Connection;
}

// Reading a chart of accounts or a journal from a CSV file, checking every line against
// the books, and writing what was read through the editors' own writers. No widgets.
namespace zelk::exchange {

// One record of a CSV file and the file's line number where it begins.
struct CsvRecord {
    int line = 0;
    QStringList fields;
};

struct CsvFile {
    bool utf8 = true;     // UTF-8 (with or without a byte-order mark), else Windows-1252
    char separator = ','; // ',' or ';'
    std::vector<CsvRecord> records;
    // When the file is not well-formed CSV: the line and the reason; the records up to it.
    int errorLine = 0;
    QString error;
};

// How a file is written: its encoding and separator (',', ';' or a tab).
struct CsvLayout {
    bool utf8 = true;
    char separator = ',';
};

// Reads the records of a file of a known layout with libcsv, as the one below does once
// it has detected the layout (a UTF-8 byte-order mark is dropped).
CsvFile ReadCsv(const QByteArray& bytes, const CsvLayout& layout,
                const std::function<void(CsvRecord&&)>& onRecord);

// Detects the encoding (a byte-order mark or valid UTF-8: UTF-8; otherwise
// Windows-1252) and the separator (the one of comma and semicolon found more often in the
// first line outside quotes), then reads the records with libcsv, handing each to
// `onRecord` as it is read (`records` stays empty). Empty lines are skipped.
CsvFile ReadCsv(const QByteArray& bytes, const std::function<void(CsvRecord&&)>& onRecord);
// The same, keeping every record.
CsvFile ReadCsv(const QByteArray& bytes);

struct ImportProblem {
    int line = 0;
    QString reason;
    // "line 17: account 4711 does not exist"; a problem of the whole file has no line.
    QString text() const;
};

// One row of the preview: the file's line, the group it belongs to (the lines of one
// transaction are one group; an account is its own) and its item in the group.
struct PreviewRow {
    int line = 0;
    int group = 0;
    int item = 0;
};

// What both imports share: read a file, show its rows and problems, write the rows the
// user keeps. Nothing is written while any line has a problem.
class CsvImport {
public:
    virtual ~CsvImport() = default;

    // Reads the file against the books over `cnn`; the previous reading is dropped.
    void read(Connection& cnn, const QByteArray& bytes);
    // Reads the file at `path` (a file that cannot be read is a problem of line 0).
    void readFile(Connection& cnn, const QString& path);

    virtual QStringList columns() const = 0;
    // What a preview row will write, one text per column.
    virtual QStringList cells(const PreviewRow& row) const = 0;
    // What a group is, for messages: "account(s)", "transaction(s)".
    virtual QString noun() const = 0;
    const std::vector<PreviewRow>& rows() const { return m_rows; }
    const std::vector<ImportProblem>& problems() const { return m_problems; }
    // Every problem as one text, a line each.
    QString problemText() const;
    // How many groups (accounts, transactions) were read.
    int groupCount() const { return m_groups; }

    // Takes a snapshot of the books (a failure is told, nothing written), then writes
    // the groups whose rows are kept (`keep`: one flag per preview row; a group is
    // kept when its first row is; empty: all) in one database transaction, through the
    // editors' writers. A refused statement gets the answers of the error dialog; Fix
    // and Abort roll everything back. Refused (Abort, nothing written) while there are
    // problems.
    CommandOutcome write(Connection& cnn, const std::vector<bool>& keep = {});
    // The number of groups the last write committed.
    int written() const { return m_written; }

protected:
    void problem(int line, const QString& reason) { m_problems.push_back({line, reason}); }
    int addGroup() { return m_groups++; }
    void addRow(int line, int group, int item) { m_rows.push_back({line, group, item}); }
    // The header's columns by name, without regard to case: the index of each name in
    // `names` (-1 when absent). A missing required column is a problem of the header's
    // line.
    std::vector<int> matchColumns(const CsvRecord& header, const QStringList& names,
                                  const QStringList& required);
    // A field's text, without surrounding blanks and without the apostrophe that an
    // export puts before a formula-looking text.
    static QString field(const CsvRecord& r, int column);
    // The text as an amount by the editors' check (empty: 0); a problem when it is not one.
    bool amountOf(const QString& text, int line, Amount& out);

    // The reading: the header (false: its problems stop the reading), each further
    // record as it is read, then the checks over all of them.
    virtual bool readHeader(Connection& cnn, const CsvRecord& header) = 0;
    virtual void readRecord(const CsvRecord& record) = 0;
    virtual void finishReading() {}
    virtual void clearGroups() = 0;
    virtual void writeGroup(StatementRunner& run, int group) = 0;

private:
    std::vector<PreviewRow> m_rows;
    std::vector<ImportProblem> m_problems;
    int m_groups = 0;
    int m_written = 0;
};

// File → Import Accounts…: AccountNo, AccountName, Class (1 to 6 or the class's name),
// BeginningBalance (optional), Notes (optional); a header row, columns matched by name in
// any case and order. Each account is written as the account editor's Add writes it.
class AccountImport : public CsvImport {
public:
    AccountImport();
    ~AccountImport() override;
    QStringList columns() const override;
    QStringList cells(const PreviewRow& row) const override;
    QString noun() const override { return QStringLiteral("account(s)"); }

protected:
    bool readHeader(Connection& cnn, const CsvRecord& header) override;
    void readRecord(const CsvRecord& record) override;
    void clearGroups() override;
    void writeGroup(StatementRunner& run, int group) override;

private:
    struct Reading;
    struct Account;
    std::unique_ptr<Reading> m_reading;
    std::vector<Account> m_accounts;
};

// File → Import Transactions…: one row per line — TransactionNo, Date, Source,
// Description, AccountNo, Debit and Credit (or one signed Amount); the rows of one
// transaction number are one transaction, which must balance. Dates ISO (2026-03-31) or
// in the user's short format. Each transaction is written as the transaction editor's
// Add writes it (not posted).
class TransactionImport : public CsvImport {
public:
    TransactionImport();
    ~TransactionImport() override;
    QStringList columns() const override;
    QStringList cells(const PreviewRow& row) const override;
    QString noun() const override { return QStringLiteral("transaction(s)"); }

protected:
    bool readHeader(Connection& cnn, const CsvRecord& header) override;
    void readRecord(const CsvRecord& record) override;
    void finishReading() override;
    void clearGroups() override;
    void writeGroup(StatementRunner& run, int group) override;

private:
    struct Reading;
    struct Transaction;
    std::unique_ptr<Reading> m_reading;
    std::vector<Transaction> m_transactions;
};

} // namespace zelk::exchange
