#pragma once

#include "CsvReader.h"
#include "ImportFormat.h"
#include "core/data/Amount.h"
#include "core/data/SavingCommand.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class QIODevice;

namespace zelk {
class Connection;
class ProgressSink;
} // namespace zelk

// Reading a chart of accounts or a journal from a CSV file, checking every line against
// the books, and writing what was read through the editors' own writers. The file is
// read as it comes, never held whole: a first reading checks every record while it finds
// out the file's encoding, separator, decimal mark and date order; the import reads it
// again and writes each account or transaction as soon as it is checked. No widgets.
namespace zelk::exchange {

struct ImportProblem {
    int line = 0;
    QString reason;
    // "line 17: account 4711 does not exist"; a problem of the whole file has no line.
    QString text() const;
};

// One of the first rows of the file as the preview shows it: the file's line, the line
// where its group begins (the lines of one transaction are one group; an account is its
// own) and what it will write, one text per column.
struct PreviewRow {
    int line = 0;
    int group = 0;
    QStringList cells;
};

// What the user chose (nothing: found out from the file, else from the locale).
struct ImportChoices {
    std::optional<char> decimalMark; // '.' or ','
    std::optional<DateOrder> dateOrder;
};

// How the file is read, and why: shown in the preview and by the command line.
struct ImportFormatUsed {
    bool utf8 = true;
    char separator = ',';
    char decimalMark = '.';
    ChoiceSource decimalSource = ChoiceSource::Locale;
    DateOrder dateOrder = DateOrder::YearMonthDay;
    ChoiceSource dateSource = ChoiceSource::Locale;
    bool dates = true;        // the import reads dates
    bool amountsSeen = false; // the file holds amounts that tell a decimal mark
    bool datesSeen = false;   // ... dates that tell an order
    QStringList unread;       // columns of the file that are not imported
    // "UTF-8, separated by semicolons; decimal mark "," (the file's amounts); dates
    // day-month-year (the locale's)"
    QString text() const;
};

// What both imports share.
class CsvImport {
public:
    virtual ~CsvImport();

    // The file: a path, or bytes in memory.
    void setFile(const QString& path);
    void setBytes(const QByteArray& bytes);
    void setChoices(const ImportChoices& choices) { m_choices = choices; }
    // Told the progress of each reading (the kilobytes of the file read; lineCount() the
    // lines checked so far), which stops when `*cancel` turns true.
    void setProgress(ProgressSink* progress, const bool* cancel);
    // How many of the first rows the preview keeps (the rest are counted).
    void setPreviewRows(int rows) { m_previewLimit = rows; }

    // Reads the file and checks every record against the books over `cnn`: the first
    // rows, every problem and every notice. The first reading finds out the encoding,
    // the separator, the decimal mark and the date order (reading the file twice when
    // they are not the locale's). False when cancelled.
    bool read(Connection& cnn);
    // The same for bytes in memory, or the file at `path`.
    void read(Connection& cnn, const QByteArray& bytes);
    void readFile(Connection& cnn, const QString& path);

    virtual QStringList columns() const = 0;
    // Whether the file holds dates (whose order the preview offers to choose).
    virtual bool readsDates() const { return false; }
    // What a group is, for messages: "account(s)", "transaction(s)".
    virtual QString noun() const = 0;
    const ImportFormatUsed& format() const { return m_format; }
    // The first rows of the file (setPreviewRows).
    const std::vector<PreviewRow>& rows() const { return m_rows; }
    // The records and groups read.
    int lineCount() const { return m_lines; }
    int groupCount() const { return m_groups; }
    // The problems by line (the first thousand), and how many there are in all.
    const std::vector<ImportProblem>& problems() const { return m_problems; }
    int problemCount() const { return m_problemCount; }
    // Every problem as one text, a line each (and how many more there are).
    QString problemText() const;
    // What is written only when the user confirms it: a transaction dated outside the
    // open fiscal year or in a month closed by End Month ("T1 is dated in April 2026,
    // closed by End Month"). The first thousand, and how many in all.
    const std::vector<ImportProblem>& notices() const { return m_notices; }
    int noticeCount() const { return m_noticeCount; }
    // The question that asks for that confirmation; empty when there are no notices.
    QString noticeQuestion() const;

    // Reads the file first when it has not been read. Refused (Abort, nothing written)
    // when the reading found problems, or notices that `confirm` does not accept (none:
    // not accepted). Then takes a snapshot of the books (a failure is told, nothing
    // written) and reads the file again, checking every record as `read` does and
    // writing each group, as soon as it is complete, in one database transaction through
    // the editors' writers: the groups whose first preview row is unchecked (`keep`: one
    // flag per preview row) are left out. A problem, Cancel or a refused statement
    // answered Fix or Abort roll everything back; a transaction import writes on a thread
    // of its own, and a statement refused there is shown with Abort alone (the statements
    // after it were not run).
    CommandOutcome write(Connection& cnn, const std::vector<bool>& keep = {},
                         const std::function<bool()>& confirm = {});
    // The number of groups the last write committed.
    int written() const { return m_written; }

protected:
    // The columns found in the header, by the names each may have (in any case).
    struct Column {
        QStringList names;
        bool required = false;
    };
    enum class ValueKind { Text, Amount, Date };

    void problem(int line, const QString& reason);
    void notice(int line, const QString& text);
    // A row for the preview, when there is still room.
    bool wantsPreview() const { return int(m_rows.size()) < m_previewLimit; }
    void addPreview(int line, int group, QStringList cells);
    int addGroup() { return m_groups++; }
    // The writer, while writing and nothing stopped it: the statements of a group
    // whose first line is `groupLine` go there; nullptr otherwise.
    StatementRunner* writerFor(int groupLine);
    void wrote() { ++m_written; }

    // The header's columns: the index of each (-1 when absent); a missing required one is
    // a problem of the header's line. Called on the first reading.
    std::vector<int> matchColumns(const CsvRecord& header, const std::vector<Column>& columns);
    // A column that is read but not imported, named in the preview.
    void addUnread(const QString& name);
    // A text field: the apostrophe an export put before a formula-looking text taken off,
    // blanks inside quotes kept.
    static QString textOf(const CsvRecord& r, int column);
    // A key field (a number) as the books compare keys.
    static QByteArray keyOf(const CsvRecord& r, int column);
    // An amount field read with the file's decimal mark (empty: 0); a problem when it is
    // not one.
    bool amountOf(const CsvRecord& r, int column, Amount& out);
    const ImportFormatUsed& used() const { return m_format; }
    int fiscalYear() const { return m_fiscalYear; }

    // The header of the first reading: the columns (false: its problems stop the
    // reading), and which of them hold amounts and dates for the format's votes (asked
    // again at each reading).
    virtual bool readHeader(const CsvRecord& header) = 0;
    virtual std::vector<int> amountColumns() const = 0;
    virtual std::vector<int> dateColumns() const { return {}; }
    // The second reading: the books' state first, then each record, then the end.
    virtual void startChecking(Connection& cnn) = 0;
    virtual void checkRecord(const CsvRecord& record) = 0;
    virtual void finishChecking() {}
    // A subclass that writes on a thread of its own: lets it do what it was given before
    // the progress is told or the window's events run (they may read the books), and
    // stops it, dropping what it was not yet given, when a reading ends in any way.
    virtual void settleWrites() {}
    virtual void endWrites() {}

private:
    // The file opened; a problem when it cannot be (with `tell`).
    std::unique_ptr<QIODevice> openFile(bool tell = true);
    // A reading of every record, which writes through `writer` when given. False when
    // cancelled.
    bool check(Connection& cnn, StatementRunner* writer);
    // The format: the user's choices, else what the file's values or the locale say.
    void decideFormat();
    // The header, and the votes of the first records (false: the header has problems).
    bool firstRecords(FormatVotes& votes);
    void vote(const CsvRecord& r, FormatVotes& votes, QByteArray& lastDate) const;
    void sortProblems();

    QString m_path;
    QByteArray m_bytes;
    bool m_inMemory = false;
    ImportChoices m_choices;
    ProgressSink* m_progress = nullptr;
    const bool* m_cancel = nullptr;
    int m_previewLimit = 1000;

    struct Found;
    std::unique_ptr<Found> m_found;
    ImportFormatUsed m_format;
    int m_fiscalYear = 0;
    std::vector<PreviewRow> m_rows;
    std::vector<ImportProblem> m_problems, m_notices;
    int m_problemCount = 0, m_noticeCount = 0;
    int m_lines = 0, m_groups = 0, m_written = 0;
    StatementRunner* m_writer = nullptr;
    std::set<int> m_skipped; // first lines of the groups left out
};

// File → Import Accounts…: AccountNo, AccountName, Class (1 to 6 or the class's name),
// BeginningBalance (optional), Notes (optional); a header row, columns matched by name in
// any case and order. Each account is written as the account editor's Add writes it.
class AccountImport : public CsvImport {
public:
    AccountImport();
    ~AccountImport() override;
    QStringList columns() const override;
    QString noun() const override { return QStringLiteral("account(s)"); }

protected:
    bool readHeader(const CsvRecord& header) override;
    std::vector<int> amountColumns() const override;
    void startChecking(Connection& cnn) override;
    void checkRecord(const CsvRecord& record) override;

private:
    struct Reading;
    std::unique_ptr<Reading> m_reading;
};

// File → Import Transactions…: one row per line — TransactionNo, Date, Source,
// Description, AccountNo, Debit and Credit, or one signed Amount (or both, when they
// agree on every line). The layout of hledger's CSV (txnidx, date, description, account,
// amount, …) is read as it stands: an `account` matches an account by its number or its
// exact name. The rows of one transaction follow each other and must balance. Each
// transaction is written as the transaction editor's Add writes it (not posted).
class TransactionImport : public CsvImport {
public:
    TransactionImport();
    ~TransactionImport() override;
    QStringList columns() const override;
    QString noun() const override { return QStringLiteral("transaction(s)"); }
    bool readsDates() const override { return true; }

protected:
    bool readHeader(const CsvRecord& header) override;
    std::vector<int> amountColumns() const override;
    std::vector<int> dateColumns() const override;
    void startChecking(Connection& cnn) override;
    void checkRecord(const CsvRecord& record) override;
    void finishChecking() override;
    void settleWrites() override;
    void endWrites() override;

private:
    struct Reading;
    void openGroup(const CsvRecord& r, QByteArray key);
    void closeGroup();
    // A step of the writing thread's (hand over, drain, finish); a refusal it met is
    // shown and unwinds the command.
    template <class Step>
    void passWrites(Step step);
    std::unique_ptr<Reading> m_reading;
};

} // namespace zelk::exchange
