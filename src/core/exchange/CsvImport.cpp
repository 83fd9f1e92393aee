#include "CsvImport.h"

#include "KeyTable.h"
#include "TableExport.h"
#include "core/accounts/AccountLookup.h"
#include "core/accounts/AccountRecords.h"
#include "core/books/Snapshots.h"
#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/UserPorts.h"
#include "core/data/modDBUtil.h"
#include "core/journal/TransactionEntry.h"
#include "core/shared/HandOver.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <array>

namespace zelk::exchange {

namespace {

constexpr size_t KeptMessages = 1000;

bool isAscii(QByteArrayView b) {
    for (const char c : b)
        if (c & 0x80)
            return false;
    return true;
}

QByteArrayView trimmed(QByteArrayView b) {
    while (!b.isEmpty() && (b.front() == ' ' || b.front() == '\t'))
        b = b.sliced(1);
    while (!b.isEmpty() && (b.back() == ' ' || b.back() == '\t'))
        b.chop(1);
    return b;
}

// A short ASCII field as a view without a copy; anything else decoded.
class FieldText {
public:
    FieldText(const CsvRecord& r, int column) {
        const QByteArrayView b = r.bytes(column);
        if (b.size() <= qsizetype(sizeof m_buffer / sizeof m_buffer[0]) && isAscii(b)) {
            for (qsizetype i = 0; i < b.size(); ++i)
                m_buffer[i] = char16_t(b[i]);
            m_view = QStringView(m_buffer, b.size());
        } else {
            m_text = r.text(column);
            m_view = m_text;
        }
    }
    QStringView view() const { return m_view; }

private:
    char16_t m_buffer[64];
    QString m_text;
    QStringView m_view;
};

QString separatorName(char c) {
    switch (c) {
    case ';':
        return QStringLiteral("semicolons");
    case '\t':
        return QStringLiteral("tabs");
    default:
        break;
    }
    return QStringLiteral("commas");
}

// Where a choice came from: "the file's amounts", "the locale's", "as chosen".
QString sourceText(ChoiceSource s, const QString& what, bool seen) {
    switch (s) {
    case ChoiceSource::File:
        return QStringLiteral("the file's ") + what;
    case ChoiceSource::Locale:
        return seen ? QStringLiteral("the locale's: the file's %1 fit more than one").arg(what)
                    : QStringLiteral("the locale's");
    case ChoiceSource::Given:
        break;
    }
    return QStringLiteral("as chosen");
}

} // namespace

namespace {

// A transaction number closed in the history of the open year is kept with the month of
// its first history line, as a negative number.
std::int32_t historyValue(const QDate& d) {
    return -(d.year() * 12 + d.month() - 1) - 1;
}
QDate historyMonth(std::int32_t value) {
    const int x = -value - 1;
    return QDate(x / 12, x % 12 + 1, 1);
}

} // namespace

QString ImportProblem::text() const {
    // Line 0: the file as a whole (it cannot be read, its sums overflow).
    return line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(reason) : reason;
}

QString ImportFormatUsed::text() const {
    QString t = QStringLiteral("%1, separated by %2; decimal mark \"%3\" (%4)")
                    .arg(utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Windows-1252"),
                         separatorName(separator), QString(QLatin1Char(decimalMark)),
                         sourceText(decimalSource, QStringLiteral("amounts"), amountsSeen));
    if (dates)
        t += QStringLiteral("; dates %1 (%2)")
                 .arg(DateOrderName(dateOrder),
                      sourceText(dateSource, QStringLiteral("dates"), datesSeen));
    if (!unread.isEmpty())
        t += QStringLiteral("; not imported: ") + unread.join(QStringLiteral(", "));
    return t;
}

// --- reading --------------------------------------------------------------------------

// What the first reading of a file found out: its layout, the votes of its values, the
// columns not imported, and the problems that make any other reading pointless.
struct CsvImport::Found {
    CsvLayout layout;
    FormatVotes votes;
    QStringList unread;
    std::vector<ImportProblem> fileProblems;
};

CsvImport::~CsvImport() = default;

void CsvImport::setFile(const QString& path) {
    m_path = path;
    m_bytes.clear();
    m_inMemory = false;
    m_found.reset();
}

void CsvImport::setBytes(const QByteArray& bytes) {
    m_path.clear();
    m_bytes = bytes;
    m_inMemory = true;
    m_found.reset();
}

void CsvImport::setProgress(ProgressSink* progress, const bool* cancel) {
    m_progress = progress;
    m_cancel = cancel;
}

void CsvImport::read(Connection& cnn, const QByteArray& bytes) {
    setBytes(bytes);
    read(cnn);
}

void CsvImport::readFile(Connection& cnn, const QString& path) {
    setFile(path);
    read(cnn);
}

std::unique_ptr<QIODevice> CsvImport::openFile(bool tell) {
    std::unique_ptr<QIODevice> device;
    if (m_inMemory) {
        auto* buffer = new QBuffer;
        buffer->setData(m_bytes);
        device.reset(buffer);
    } else {
        device = std::make_unique<QFile>(m_path);
    }
    if (!device->open(QIODevice::ReadOnly)) {
        if (tell)
            problem(0, QStringLiteral("The file %1 cannot be read: %2.")
                           .arg(m_path, device->errorString()));
        return nullptr;
    }
    return device;
}

void CsvImport::problem(int line, const QString& reason) {
    ++m_problemCount;
    if (m_problems.size() < KeptMessages)
        m_problems.push_back({line, reason});
}

void CsvImport::notice(int line, const QString& text) {
    ++m_noticeCount;
    if (m_notices.size() < KeptMessages)
        m_notices.push_back({line, text});
}

void CsvImport::addPreview(int line, int group, QStringList cells) {
    m_rows.push_back({line, group, std::move(cells)});
}

StatementRunner* CsvImport::writerFor(int groupLine) {
    return m_writer && m_problemCount == 0 && !m_skipped.count(groupLine) ? m_writer : nullptr;
}

QString CsvImport::problemText() const {
    QStringList lines;
    for (const ImportProblem& p : m_problems)
        lines << p.text();
    if (m_problemCount > int(m_problems.size()))
        lines << QStringLiteral("… and %1 more problem(s)")
                     .arg(QLocale().toString(m_problemCount - int(m_problems.size())));
    return lines.join(QLatin1Char('\n'));
}

QString CsvImport::noticeQuestion() const {
    if (m_notices.empty())
        return QString();
    return QStringLiteral("%1 %2 are dated outside the open fiscal year or in a month closed by "
                          "End Month (%3). Import them all the same?")
        .arg(QLocale().toString(m_noticeCount), noun(), m_notices.front().text());
}

std::vector<int> CsvImport::matchColumns(const CsvRecord& header,
                                         const std::vector<Column>& columns) {
    std::vector<int> index(columns.size(), -1);
    for (int f = 0; f < header.size(); ++f) {
        const QString name = header.text(f).trimmed();
        bool matched = false;
        for (size_t c = 0; c < columns.size(); ++c)
            if (columns[c].names.contains(name, Qt::CaseInsensitive) && index[c] < 0) {
                index[c] = f;
                matched = true;
            }
        if (!matched && !name.isEmpty())
            addUnread(name);
    }
    for (size_t c = 0; c < columns.size(); ++c)
        if (columns[c].required && index[c] < 0)
            problem(header.line,
                    QStringLiteral("the column %1 is missing").arg(columns[c].names.front()));
    return index;
}

void CsvImport::addUnread(const QString& name) {
    m_found->unread << name;
}

QString CsvImport::textOf(const CsvRecord& r, int column) {
    return column >= 0 ? RestoredText(r.text(column)) : QString();
}

QByteArray CsvImport::keyOf(const CsvRecord& r, int column) {
    const QByteArrayView b = r.bytes(column);
    return isAscii(b) && !b.startsWith('\'') ? KeyTable::fold(b)
                                             : KeyTable::fold(textOf(r, column).toUtf8());
}

bool CsvImport::amountOf(const CsvRecord& r, int column, Amount& out) {
    out = Amount();
    if (column < 0 || trimmed(r.bytes(column)).isEmpty())
        return true;
    const FieldText text(r, column);
    const AmountReading a = ReadAmount(text.view(), m_format.decimalMark);
    if (!a.amount) {
        problem(r.line, a.error);
        return false;
    }
    out = *a.amount;
    return true;
}

void CsvImport::decideFormat() {
    ChoiceSource source;
    const QLocale locale;
    const FormatVotes none;
    const FormatVotes& votes = m_found ? m_found->votes : none;
    m_format.decimalMark = votes.decimalMark(locale, &source);
    m_format.decimalSource = source;
    m_format.dateOrder = votes.dateOrder(locale, &source);
    m_format.dateSource = source;
    if (m_choices.decimalMark) {
        m_format.decimalMark = *m_choices.decimalMark;
        m_format.decimalSource = ChoiceSource::Given;
    }
    if (m_choices.dateOrder) {
        m_format.dateOrder = *m_choices.dateOrder;
        m_format.dateSource = ChoiceSource::Given;
    }
    m_format.dates = readsDates();
    m_format.amountsSeen = votes.markMatters();
    m_format.datesSeen = votes.orderMatters();
    if (m_found) {
        m_format.utf8 = m_found->layout.utf8;
        m_format.separator = m_found->layout.separator;
        m_format.unread = m_found->unread;
    }
}

void CsvImport::vote(const CsvRecord& r, FormatVotes& votes, QByteArray& lastDate) const {
    for (int c : amountColumns())
        if (!trimmed(r.bytes(c)).isEmpty())
            votes.amount(FieldText(r, c).view());
    // The lines of a day follow each other: a date votes once.
    for (int c : dateColumns())
        if (r.bytes(c) != lastDate) {
            lastDate = r.bytes(c).toByteArray();
            votes.date(FieldText(r, c).view(), m_fiscalYear);
        }
}

bool CsvImport::firstRecords(FormatVotes& votes) {
    std::unique_ptr<QIODevice> device = openFile(false);
    if (!device)
        return false; // told by the reading
    CsvLayout layout;
    bool header = false, headerOk = false;
    int n = 0;
    QByteArray lastDate;
    ReadCsvRecords(*device, layout, true, [&](const CsvRecord& r) {
        if (!header) {
            header = true;
            return headerOk = readHeader(r);
        }
        vote(r, votes, lastDate);
        return ++n < 10000;
    });
    return headerOk;
}

bool CsvImport::check(Connection& cnn, StatementRunner* writer) {
    // The first reading finds out the layout and the format as it goes, reading values
    // with the format of the first records (or the locale's) meanwhile; when the whole
    // file says otherwise, it is read again.
    const bool detect = !m_found;
    if (detect)
        m_found = std::make_unique<Found>();
    m_writer = writer;
    // The writer is the caller's for this reading only, whichever way it ends.
    struct Forget {
        CsvImport& import;
        ~Forget() {
            import.endWrites();
            import.m_writer = nullptr;
        }
    } forget{*this};
    m_rows.clear();
    m_problems.clear();
    m_notices.clear();
    m_problemCount = m_noticeCount = 0;
    m_lines = m_groups = m_written = 0;
    m_fiscalYear = CompanyRow::read(cnn).CurrentPeriodYear;
    bool headerOk = !detect;
    if (detect)
        headerOk = firstRecords(m_found->votes);
    decideFormat();
    const ImportFormatUsed tried = m_format;
    if (detect)
        m_found->votes = FormatVotes(); // the whole file votes again
    if (!detect && !m_found->fileProblems.empty()) {
        for (const ImportProblem& p : m_found->fileProblems)
            problem(p.line, p.reason);
        return true;
    }
    std::unique_ptr<QIODevice> device = openFile();
    if (!device) {
        m_found->fileProblems = m_problems;
        return true;
    }
    if (m_progress) {
        m_progress->setMaximum(int(device->size() / 1024));
        m_progress->setValue(0);
    }
    bool header = false;
    QByteArray lastDate;
    auto stopped = [&] {
        if (!m_progress)
            return false;
        settleWrites();
        m_progress->pumpEvents();
        return m_cancel && *m_cancel;
    };
    bool finished = false;
    try {
        finished = ReadCsvRecords(
            *device, m_found->layout, detect,
            [&](const CsvRecord& r) {
                if (!header) { // read by firstRecords
                    header = true;
                    if (headerOk)
                        startChecking(cnn);
                    return headerOk;
                }
                ++m_lines;
                if (detect)
                    vote(r, m_found->votes, lastDate);
                checkRecord(r);
                return (m_lines & 16383) != 0 || !stopped();
            },
            [&](qint64 read) {
                if (m_progress) {
                    settleWrites(); // a window's progress may run its events
                    m_progress->setValue(int(read / 1024));
                }
                return !stopped();
            });
        if (finished && headerOk)
            finishChecking();
    } catch (const AmountOverflow&) {
        problem(0, QStringLiteral("The amounts add up beyond the range of an amount."));
        finished = true;
    }
    if (!finished && headerOk) {
        if (detect)
            m_found.reset(); // cancelled: found out again next time
        return false;
    }
    if (detect) {
        const CsvLayout& layout = m_found->layout;
        const int before = m_problemCount;
        if (!layout.error.isEmpty())
            problem(layout.errorLine, layout.error);
        else if (!header)
            problem(1, QStringLiteral("the file holds no header row"));
        if (layout.notUtf8Line > 0)
            problem(layout.notUtf8Line,
                    QStringLiteral("the line is not UTF-8, unlike the rest of the file"));
        if (!headerOk || m_problemCount > before)
            m_found->fileProblems = m_problems;
        decideFormat();
        // Read again when the format found reads some value otherwise.
        const FormatVotes& v = m_found->votes;
        if (m_found->fileProblems.empty() &&
            ((m_format.decimalMark != tried.decimalMark && v.markMatters()) ||
             (m_format.dateOrder != tried.dateOrder && v.orderMatters())))
            return check(cnn, writer);
    }
    sortProblems();
    return true;
}

void CsvImport::sortProblems() {
    auto byLine = [](const ImportProblem& a, const ImportProblem& b) { return a.line < b.line; };
    std::stable_sort(m_problems.begin(), m_problems.end(), byLine);
    std::stable_sort(m_notices.begin(), m_notices.end(), byLine);
}

bool CsvImport::read(Connection& cnn) {
    m_written = 0;
    return check(cnn, nullptr);
}

CommandOutcome CsvImport::write(Connection& cnn, const std::vector<bool>& keep,
                                const std::function<bool()>& confirm) {
    // The groups left out, as the preview of the last reading showed them.
    m_skipped.clear();
    for (size_t r = 0; r < m_rows.size() && r < keep.size(); ++r)
        if (!keep[r])
            m_skipped.insert(m_rows[r].group);
    // Read through first: nothing is written, and no snapshot taken, for a file with
    // problems.
    if (!m_found && !read(cnn))
        return CommandOutcome::Abort;
    const int confirmed = m_noticeCount;
    if (m_problemCount > 0 || (confirmed > 0 && !(confirm && confirm())))
        return CommandOutcome::Abort;
    // A copy of the books first, as before every step that rewrites them.
    if (!snapshots::takeBefore(cnn, snapshots::Step::Import))
        return CommandOutcome::Abort;
    int written = 0;
    // Every line's account and transaction were checked against the books in this
    // transaction before their statements run: the engine's reference checks would only
    // repeat that for every line, as they would for a month end.
    ReferenceChecksOff unchecked(cnn);
    const CommandOutcome outcome = runSavingCommand(cnn, [&](StatementRunner& run) {
        // (The file may have changed since it was read.)
        if (!check(cnn, &run) || m_problemCount > 0 ||
            (m_noticeCount > confirmed && !(confirm && confirm())))
            throw CommandUnwind(Abort);
        written = m_written;
    });
    m_written = outcome == CommandOutcome::Committed ? written : 0;
    return outcome;
}

// --- accounts -------------------------------------------------------------------------

struct AccountImport::Reading {
    enum { No, Name, Class, Balance, Notes };
    std::vector<int> col;
    std::vector<accounts::AccountClass> classes;
    KeyTable numbers; // 0: in the books; otherwise the file's line
};

AccountImport::AccountImport() = default;
AccountImport::~AccountImport() = default;

QStringList AccountImport::columns() const {
    return {QStringLiteral("AccountNo"), QStringLiteral("AccountName"), QStringLiteral("Class"),
            QStringLiteral("BeginningBalance"), QStringLiteral("Notes")};
}

bool AccountImport::readHeader(const CsvRecord& header) {
    m_reading = std::make_unique<Reading>();
    std::vector<Column> columns;
    const QStringList names = this->columns();
    for (qsizetype i = 0; i < names.size(); ++i)
        columns.push_back({{names[i]}, i < 3});
    m_reading->col = matchColumns(header, columns);
    return problemCount() == 0;
}

std::vector<int> AccountImport::amountColumns() const {
    return {m_reading->col[Reading::Balance]};
}

void AccountImport::startChecking(Connection& cnn) {
    Reading& in = *m_reading;
    in.classes = accounts::LoadAccountClasses(cnn);
    in.numbers = KeyTable();
    const accounts::AccountLookup books = accounts::AccountLookup::Load(cnn);
    for (const accounts::AccountLookup::Account& a : books.accounts())
        in.numbers.insert(KeyTable::fold(a.AccountNo.toUtf8()), 0);
}

void AccountImport::checkRecord(const CsvRecord& r) {
    Reading& in = *m_reading;
    const int before = problemCount();
    accounts::AccountFields f;
    f.AccountNo = textOf(r, in.col[Reading::No]);
    f.AccountName = textOf(r, in.col[Reading::Name]);
    f.Notes = textOf(r, in.col[Reading::Notes]);
    const QString cls = r.text(in.col[Reading::Class]).trimmed();
    QString className;
    for (const accounts::AccountClass& c : in.classes)
        if (cls == QString::number(c.AccountClassID) ||
            cls.compare(c.Name, Qt::CaseInsensitive) == 0) {
            f.AccountClassID = c.AccountClassID;
            className = c.Name;
        }
    Amount balance;
    if (amountOf(r, in.col[Reading::Balance], balance))
        f.BeginningBalance = balance.toSqlText();

    const QByteArray key = KeyTable::fold(f.AccountNo.toUtf8());
    if (f.AccountNo.isEmpty()) {
        problem(r.line, QStringLiteral("the account number is missing"));
    } else if (const std::int32_t* seen = in.numbers.find(key)) {
        problem(
            r.line,
            *seen == 0
                ? QStringLiteral("account %1 already exists").arg(f.AccountNo)
                : QStringLiteral("account %1 is already on line %2").arg(f.AccountNo).arg(*seen));
    } else {
        in.numbers.insert(key, r.line);
    }
    if (!cls.isEmpty() && !f.AccountClassID)
        problem(r.line, QStringLiteral("%1 is not an account class (1 to 6 or its name)").arg(cls));
    // Then the editor's own checks, in its words.
    if (problemCount() == before)
        if (const std::optional<ErrorRecord> failure = accounts::CheckAccount(f))
            problem(r.line, failure->description);

    addGroup();
    if (wantsPreview())
        addPreview(r.line, r.line,
                   {f.AccountNo, f.AccountName, className, balance.formatEntry(), f.Notes});
    if (StatementRunner* w = writerFor(r.line)) {
        accounts::WriteAccount(*w, f, accounts::EditorMode::Add);
        wrote();
    }
}

// --- transactions ---------------------------------------------------------------------

struct TransactionImport::Reading {
    enum Col {
        No,
        Date,
        Source,
        Description,
        AccountNo,
        Account,
        Debit,
        Credit,
        Signed,
        // what hledger writes and the books cannot keep: one value throughout, or refused
        Commodity,
        Status,
        Code,
        Date2,
        PostingStatus,
        Count
    };
    std::vector<int> col;

    std::vector<accounts::AccountLookup::Account> accounts;
    KeyTable accountNumbers;          // -> index in accounts
    QHash<QString, int> accountNames; // exact name -> index, -1 when two accounts have it
    // Transaction numbers: the file's first line (> 0), 0 in the journal, the month of
    // the history of the open year (< 0).
    KeyTable numbers;
    int openYear = 0;
    QDate yearFirst, yearLast;
    int begin = 1;
    std::array<bool, 12> closed{}; // by period

    // The transactions checked and not yet written, for the writing thread: the books'
    // engine writes one while the next is read and checked.
    struct Writes {
        std::vector<std::pair<journal::TransactionHeader, std::vector<journal::TransactionLine>>>
            groups;
        bool empty() const { return groups.empty(); }
        void clear() { groups.clear(); }
    };
    std::unique_ptr<HandOver<Writes>> writes;
    StatementRunner* writer = nullptr; // the command's, which shows a refusal

    // The transaction being read: its rows follow each other.
    struct Group {
        bool open = false;
        QByteArray key;
        int line = 0;
        journal::TransactionHeader header;
        QByteArray dateBytes;
        QString note;
        std::vector<journal::TransactionLine> lines;
        Amount debits, credits;
        // An amount refused, or the rest of a transaction met before: its sums say nothing.
        bool unsummed = false;
    } group;

    // The date last read, and its text.
    QByteArray lastDateBytes;
    DateReading lastDate;

    // The first value of each column the books cannot keep, and its line.
    struct Unkept {
        QByteArray value;
        int line = 0;
        bool refused = false;
    };
    std::array<Unkept, Count> unkept;
    std::array<QString, Count> unkeptNames;
};

TransactionImport::TransactionImport() = default;
TransactionImport::~TransactionImport() = default;

QStringList TransactionImport::columns() const {
    return {
        QStringLiteral("TransactionNo"), QStringLiteral("Date"),      QStringLiteral("Source"),
        QStringLiteral("Description"),   QStringLiteral("AccountNo"), QStringLiteral("AccountName"),
        QStringLiteral("Debit"),         QStringLiteral("Credit"),    QStringLiteral("Note")};
}

bool TransactionImport::readHeader(const CsvRecord& header) {
    m_reading = std::make_unique<Reading>();
    Reading& in = *m_reading;
    auto c = [](const char* a, const char* b = nullptr) {
        QStringList names{QLatin1String(a)};
        if (b)
            names << QLatin1String(b);
        return Column{names, false};
    };
    std::vector<Column> columns = {c("TransactionNo", "txnidx"),
                                   c("Date"),
                                   c("Source"),
                                   c("Description"),
                                   c("AccountNo"),
                                   c("account"),
                                   c("Debit"),
                                   c("Credit"),
                                   c("Amount"),
                                   c("commodity"),
                                   c("status"),
                                   c("code"),
                                   c("date2"),
                                   c("posting-status")};
    columns[Reading::No].required = columns[Reading::Date].required = true;
    in.col = matchColumns(header, columns);
    // The columns read but not kept are named in the preview too.
    for (int k = Reading::Commodity; k < Reading::Count; ++k)
        if (in.col[size_t(k)] >= 0) {
            in.unkeptNames[size_t(k)] = header.text(in.col[size_t(k)]).trimmed();
            addUnread(in.unkeptNames[size_t(k)]);
        }
    if (in.col[Reading::AccountNo] < 0 && in.col[Reading::Account] < 0)
        problem(header.line, QStringLiteral("the column AccountNo is missing"));
    if (in.col[Reading::Debit] < 0 && in.col[Reading::Credit] < 0 && in.col[Reading::Signed] < 0)
        problem(header.line,
                QStringLiteral("the columns Debit and Credit, or Amount, are missing"));
    return problemCount() == 0;
}

std::vector<int> TransactionImport::amountColumns() const {
    const std::vector<int>& col = m_reading->col;
    return {col[Reading::Debit], col[Reading::Credit], col[Reading::Signed]};
}

std::vector<int> TransactionImport::dateColumns() const {
    return {m_reading->col[Reading::Date]};
}

void TransactionImport::startChecking(Connection& cnn) {
    Reading& in = *m_reading;
    in.group = {};
    in.lastDateBytes.clear();
    in.lastDate = {};
    for (Reading::Unkept& u : in.unkept)
        u = {};
    const CompanyRow company = CompanyRow::read(cnn);
    in.openYear = company.CurrentPeriodYear;
    in.begin = company.FinancialPeriodBegin;
    in.yearFirst = fiscal::firstDayOfYear(in.begin, in.openYear);
    in.yearLast = fiscal::lastDayOfYear(in.begin, in.openYear);

    in.accounts = accounts::AccountLookup::Load(cnn).accounts();
    in.accountNumbers = KeyTable();
    in.accountNames.clear();
    for (size_t i = 0; i < in.accounts.size(); ++i) {
        in.accountNumbers.insert(KeyTable::fold(in.accounts[i].AccountNo.toUtf8()), int(i));
        const QString& name = in.accounts[i].AccountName;
        in.accountNames.insert(name, in.accountNames.contains(name) ? -1 : int(i));
    }

    in.numbers = KeyTable();
    RowSet journal = cnn.stream(modDBUtil::GetTransactionList());
    const int journalNo = journal.fieldIndex(QStringLiteral("TransactionNo"));
    for (; !journal.eof(); journal.moveNext())
        in.numbers.insert(KeyTable::fold(journal.utf8(journalNo)), 0);

    // The months of the open year that End Month has closed, and the numbers they hold:
    // a number closed in the open year cannot be used again.
    bool anyClosed = false;
    for (int m = 1; m <= 12; ++m) {
        RowSet n = cnn.execute(modDBUtil::GetTransactionHistoryCountInRange(
            fiscal::firstDayOfMonth(in.begin, in.openYear, m),
            fiscal::lastDayOfMonth(in.begin, in.openYear, m)));
        const bool closed = n.integer(QStringLiteral("HistoryCount")) > 0;
        in.closed[size_t(fiscal::periodOfMonth(in.begin, m) - 1)] = closed;
        anyClosed = anyClosed || closed;
    }
    if (anyClosed) {
        RowSet history =
            cnn.stream(modDBUtil::GetTransactionHistoryNumbersInRange(in.yearFirst, in.yearLast));
        const int no = history.fieldIndex(QStringLiteral("TransactionNo"));
        const int date = history.fieldIndex(QStringLiteral("DateStamp"));
        for (; !history.eof(); history.moveNext()) {
            const QByteArrayView day = history.utf8(date);
            in.numbers.insert(
                KeyTable::fold(history.utf8(no)),
                historyValue(QDate::fromString(
                    QString::fromLatin1(day.first(qMin<qsizetype>(10, day.size()))), Qt::ISODate)));
        }
    }
}

void TransactionImport::openGroup(const CsvRecord& r, QByteArray key) {
    Reading& in = *m_reading;
    Reading::Group& g = in.group;
    g = {};
    g.open = true;
    g.key = std::move(key);
    g.line = r.line;
    const QString no = textOf(r, in.col[Reading::No]);
    g.header = {no, textOf(r, in.col[Reading::Source]), textOf(r, in.col[Reading::Description]),
                QDate()};
    addGroup();
    if (const std::int32_t* seen = in.numbers.find(g.key)) {
        if (*seen > 0) {
            problem(r.line, QStringLiteral("the lines of %1 are not together: it begins on line %2")
                                .arg(no)
                                .arg(*seen));
            g.unsummed = true;
        } else if (*seen == 0)
            problem(r.line, no + QStringLiteral(" already exists"));
        else // a number closed by a month end of the open year
            problem(r.line, QStringLiteral("Transaction no. %1 is already in the history of %2.")
                                .arg(no, fiscal::monthOfDate(historyMonth(*seen))));
    } else {
        in.numbers.insert(g.key, r.line);
    }

    const int dateColumn = in.col[Reading::Date];
    g.dateBytes = r.bytes(dateColumn).toByteArray();
    if (trimmed(g.dateBytes).isEmpty()) {
        problem(r.line, QStringLiteral("the date is missing"));
        return;
    }
    // The transactions of a day follow each other: a day is read once.
    if (g.dateBytes != in.lastDateBytes) {
        in.lastDateBytes = g.dateBytes;
        in.lastDate = ReadDate(FieldText(r, dateColumn).view(), used().dateOrder, fiscalYear());
    }
    const DateReading& d = in.lastDate;
    if (!d.date.isValid()) {
        problem(r.line, d.error);
        return;
    }
    g.header.DateStamp = d.date;
    if (d.date < in.yearFirst || d.date > in.yearLast)
        g.note = QStringLiteral("dated in %1, outside the open fiscal year %2")
                     .arg(fiscal::monthOfDate(d.date))
                     .arg(in.openYear);
    else if (in.closed[size_t(fiscal::periodOfDate(in.begin, d.date).period - 1)])
        g.note =
            QStringLiteral("dated in %1, closed by End Month").arg(fiscal::monthOfDate(d.date));
    if (!g.note.isEmpty())
        notice(r.line, no + QStringLiteral(" is ") + g.note);
}

template <class Step>
void TransactionImport::passWrites(Step step) {
    try {
        step(*m_reading->writes);
    } catch (const DbError& e) {
        m_reading->writer->refusedElsewhere(e);
    }
}

void TransactionImport::closeGroup() {
    Reading::Group& g = m_reading->group;
    if (!g.open)
        return;
    g.open = false;
    if (g.debits != g.credits && !g.unsummed)
        problem(g.line,
                QStringLiteral("transaction %1 does not balance (debits %2, credits %3)")
                    .arg(g.header.TransactionNo, g.debits.formatEntry(), g.credits.formatEntry()));
    if (StatementRunner* w = writerFor(g.line)) {
        std::unique_ptr<HandOver<Reading::Writes>>& writes = m_reading->writes;
        if (!writes) {
            // The writing thread's refusals come back here, where the dialog can be shown.
            auto runner = std::make_shared<StatementRunner>(w->connection(),
                                                            StatementRunner::Refusals::Thrown);
            writes = std::make_unique<HandOver<Reading::Writes>>([runner](Reading::Writes& b) {
                for (const auto& [header, lines] : b.groups)
                    journal::WriteTransaction(*runner, header, lines, journal::SaveMode::Add);
            });
            m_reading->writer = w;
        }
        writes->filling().groups.emplace_back(g.header, std::move(g.lines));
        if (writes->filling().groups.size() >= 256)
            passWrites([](auto& w) { w.handOver(); });
        wrote();
    }
}

void TransactionImport::checkRecord(const CsvRecord& r) {
    Reading& in = *m_reading;
    // A column the books cannot keep holds one value throughout, or it would be lost.
    for (int k = Reading::Commodity; k < Reading::Count; ++k) {
        const int c = in.col[size_t(k)];
        Reading::Unkept& u = in.unkept[size_t(k)];
        if (c < 0 || u.refused)
            continue;
        const QByteArrayView value = trimmed(r.bytes(c));
        if (u.line == 0) {
            u = {r.text(c).trimmed().toUtf8(), r.line, false};
            continue;
        }
        if (value != u.value && r.text(c).trimmed() != QString::fromUtf8(u.value)) {
            u.refused = true;
            problem(r.line, QStringLiteral("the column %1 holds \"%2\" here and \"%3\" on line %4; "
                                           "the books cannot keep it")
                                .arg(in.unkeptNames[size_t(k)], r.text(c).trimmed(),
                                     QString::fromUtf8(u.value))
                                .arg(u.line));
        }
    }

    const int noColumn = in.col[Reading::No];
    const QByteArrayView noBytes = r.bytes(noColumn);
    if (noBytes.isEmpty()) {
        problem(r.line, QStringLiteral("the transaction number is missing"));
        return;
    }
    Reading::Group& g = in.group;
    const bool plain = isAscii(noBytes) && !noBytes.startsWith('\'');
    if (!g.open || !(plain ? KeyTable::sameKey(noBytes, g.key) : keyOf(r, noColumn) == g.key)) {
        closeGroup();
        openGroup(r, keyOf(r, noColumn));
    } else if (r.bytes(in.col[Reading::Date]) != g.dateBytes && g.header.DateStamp.isValid()) {
        const DateReading d =
            ReadDate(FieldText(r, in.col[Reading::Date]).view(), used().dateOrder, fiscalYear());
        if (!d.date.isValid())
            problem(r.line, d.error);
        else if (d.date != g.header.DateStamp)
            problem(r.line,
                    QStringLiteral("%1 is dated %2 on line %3")
                        .arg(g.header.TransactionNo, g.header.DateStamp.toString(Qt::ISODate))
                        .arg(g.line));
    }

    // The account: by its number, or in an `account` column by its exact name too.
    const bool byName = in.col[Reading::AccountNo] < 0;
    const int accountColumn = byName ? in.col[Reading::Account] : in.col[Reading::AccountNo];
    const QByteArrayView accountBytes = trimmed(r.bytes(accountColumn));
    int account = -1;
    if (accountBytes.isEmpty()) {
        problem(r.line, QStringLiteral("the account number is missing"));
    } else {
        const std::int32_t* i =
            isAscii(accountBytes)
                ? in.accountNumbers.findFolding(accountBytes)
                : in.accountNumbers.find(KeyTable::fold(r.text(accountColumn).trimmed().toUtf8()));
        account = i ? *i : -1;
        if (account < 0 && byName) {
            account = in.accountNames.value(r.text(accountColumn).trimmed(), -2);
            if (account == -1)
                problem(r.line, QStringLiteral("two accounts are named %1")
                                    .arg(r.text(accountColumn).trimmed()));
        }
        if (account == -2 || (account < 0 && !byName))
            problem(
                r.line,
                QStringLiteral("account %1 does not exist").arg(r.text(accountColumn).trimmed()));
    }

    // The amounts: Debit and Credit, or one signed Amount; both when they agree.
    Amount debit, credit;
    bool amounts = true;
    const bool sides = in.col[Reading::Debit] >= 0 || in.col[Reading::Credit] >= 0;
    if (sides) {
        amounts = amountOf(r, in.col[Reading::Debit], debit);
        amounts = amountOf(r, in.col[Reading::Credit], credit) && amounts;
        if (amounts && (debit.isNegative() || credit.isNegative())) {
            problem(r.line, QStringLiteral("a debit or credit is negative"));
            amounts = false;
        }
    }
    if (in.col[Reading::Signed] >= 0) {
        Amount a;
        const bool read = amountOf(r, in.col[Reading::Signed], a);
        if (!sides) {
            amounts = read;
            (a.isNegative() ? credit : debit) = a.abs();
        } else if (amounts && read && debit - credit != a) {
            problem(r.line, QStringLiteral("the file has both Debit/Credit and Amount columns "
                                           "(they differ on this line)"));
            amounts = false;
        }
    }
    if (amounts && debit.isZero() && credit.isZero())
        problem(r.line, QStringLiteral("the line has no amount"));
    else if (amounts && !debit.isZero() && !credit.isZero())
        problem(r.line, QStringLiteral("the line has both a debit and a credit"));
    if (amounts) {
        g.debits += debit;
        g.credits += credit;
    } else {
        g.unsummed = true;
    }
    const QString accountNo =
        account >= 0 ? in.accounts[size_t(account)].AccountNo : r.text(accountColumn).trimmed();
    g.lines.push_back({accountNo, debit.isZero() ? -credit : debit});
    if (wantsPreview())
        addPreview(r.line, g.line,
                   {g.header.TransactionNo,
                    QLocale().toString(g.header.DateStamp, QLocale::ShortFormat), g.header.Source,
                    g.header.Description, accountNo,
                    account >= 0 ? in.accounts[size_t(account)].AccountName : QString(),
                    debit.isZero() ? QString() : debit.formatEntry(),
                    credit.isZero() ? QString() : credit.formatEntry(),
                    g.lines.size() == 1 ? g.note : QString()});
}

void TransactionImport::finishChecking() {
    closeGroup();
    if (m_reading->writes) // every transaction written, or the writer's failure thrown
        passWrites([](auto& w) { w.finish(); });
}

void TransactionImport::settleWrites() {
    if (m_reading && m_reading->writes)
        passWrites([](auto& w) { w.drain(); });
}

void TransactionImport::endWrites() {
    if (m_reading)
        m_reading->writes.reset();
}

} // namespace zelk::exchange
