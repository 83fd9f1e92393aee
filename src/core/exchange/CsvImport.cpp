#include "CsvImport.h"

#include "TableExport.h"
#include "core/accounts/AccountLookup.h"
#include "core/accounts/AccountRecords.h"
#include "core/books/Snapshots.h"
#include "core/data/Connection.h"
#include "core/data/modDBUtil.h"
#include "core/journal/TransactionEntry.h"
#include "core/shared/TextEncoding.h"

#include <QFile>
#include <QHash>
#include <QLocale>
#include <QStringDecoder>
#include <algorithm>
#include <csv.h>
#include <optional>

namespace zelk::exchange {

namespace {

// Keys compare as the database compares them: ASCII letters without regard to case.
QString keyOf(const QString& text) {
    QString key = text;
    for (QChar& c : key)
        if (c.unicode() >= 'a' && c.unicode() <= 'z')
            c = QChar(char16_t(c.unicode() - ('a' - 'A')));
    return key;
}

struct ParseState {
    bool utf8 = true;
    int line = 1; // the line being fed
    int recordLine = 0;
    QStringList fields;
    const std::function<void(CsvRecord&&)>* onRecord = nullptr;
};

void onField(void* data, size_t size, void* state) {
    auto* st = static_cast<ParseState*>(state);
    if (st->fields.isEmpty() && st->recordLine == 0)
        st->recordLine = st->line;
    const QByteArray bytes(static_cast<const char*>(data), qsizetype(size));
    st->fields << (st->utf8 ? QString::fromUtf8(bytes) : FromWindows1252(bytes));
}

void onRecordEnd(int, void* state) {
    auto* st = static_cast<ParseState*>(state);
    (*st->onRecord)({st->recordLine ? st->recordLine : st->line, std::move(st->fields)});
    st->fields = QStringList();
    st->recordLine = 0;
}

char separatorOf(const QByteArray& bytes) {
    int commas = 0, semicolons = 0;
    bool quoted = false;
    for (const char c : bytes) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted && c == ',')
            ++commas;
        else if (!quoted && c == ';')
            ++semicolons;
    }
    return semicolons > commas ? ';' : ',';
}

std::optional<QDate> dateOf(const QString& text) {
    QDate d = QDate::fromString(text, Qt::ISODate);
    if (d.isValid())
        return d;
    const QLocale locale;
    QString format = locale.dateFormat(QLocale::ShortFormat);
    d = locale.toDate(text, format);
    if (!d.isValid() && !format.contains(QStringLiteral("yyyy")))
        d = locale.toDate(text, format.replace(QStringLiteral("yy"), QStringLiteral("yyyy")));
    if (d.isValid())
        return d;
    return std::nullopt;
}

} // namespace

CsvFile ReadCsv(const QByteArray& bytes) {
    std::vector<CsvRecord> records;
    CsvFile out = ReadCsv(bytes, [&](CsvRecord&& r) { records.push_back(std::move(r)); });
    out.records = std::move(records);
    return out;
}

CsvFile ReadCsv(const QByteArray& input, const std::function<void(CsvRecord&&)>& onRecord) {
    CsvLayout layout;
    if (!input.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        (void)QString(decoder.decode(input));
        layout.utf8 = !decoder.hasError();
    }
    layout.separator = separatorOf(input);
    return ReadCsv(input, layout, onRecord);
}

CsvFile ReadCsv(const QByteArray& input, const CsvLayout& layout,
                const std::function<void(CsvRecord&&)>& onRecord) {
    CsvFile out;
    QByteArray bytes = input;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    out.utf8 = layout.utf8;
    out.separator = layout.separator;

    csv_parser parser;
    // Lenient as spreadsheet programs are: a quote inside an unquoted value is kept as
    // it stands.
    csv_init(&parser, CSV_APPEND_NULL);
    csv_set_delim(&parser, static_cast<unsigned char>(out.separator));
    ParseState st;
    st.utf8 = out.utf8;
    st.onRecord = &onRecord;
    // Fed a line at a time, so that every record knows the line it begins on.
    qsizetype at = 0;
    while (at < bytes.size() && out.error.isEmpty()) {
        qsizetype end = bytes.indexOf('\n', at);
        end = end < 0 ? bytes.size() : end + 1;
        const size_t n = size_t(end - at);
        if (csv_parse(&parser, bytes.constData() + at, n, onField, onRecordEnd, &st) != n) {
            out.errorLine = st.line;
            out.error = QString::fromLatin1(csv_strerror(csv_error(&parser)));
        }
        at = end;
        ++st.line;
    }
    --st.line;
    // Strict at the end only: a quoted value still open is an error.
    csv_set_opts(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_APPEND_NULL);
    if (out.error.isEmpty() && csv_fini(&parser, onField, onRecordEnd, &st) != 0) {
        out.errorLine = st.recordLine ? st.recordLine : st.line;
        out.error = QStringLiteral("a quoted value is not closed");
    }
    csv_free(&parser);
    return out;
}

QString ImportProblem::text() const {
    // Line 0: the file as a whole (it cannot be read, its sums overflow).
    return line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(reason) : reason;
}

QString CsvImport::problemText() const {
    QStringList lines;
    for (const ImportProblem& p : m_problems)
        lines << p.text();
    return lines.join(QLatin1Char('\n'));
}

void CsvImport::read(Connection& cnn, const QByteArray& bytes) {
    m_rows.clear();
    m_problems.clear();
    m_groups = 0;
    m_written = 0;
    clearGroups();
    bool header = false, reading = true;
    CsvFile file;
    try {
        file = ReadCsv(bytes, [&](CsvRecord&& r) {
            if (!header) {
                header = true;
                reading = readHeader(cnn, r);
            } else if (reading) {
                readRecord(r);
            }
        });
        if (!header && file.error.isEmpty())
            problem(1, QStringLiteral("the file holds no header row"));
        if (header && reading)
            finishReading();
    } catch (const AmountOverflow&) {
        problem(0, QStringLiteral("The amounts add up beyond the range of an amount."));
    }
    std::stable_sort(
        m_problems.begin(), m_problems.end(),
        [](const ImportProblem& a, const ImportProblem& b) { return a.line < b.line; });
    if (!file.error.isEmpty()) // the reading stopped there
        problem(file.errorLine, file.error);
}

void CsvImport::readFile(Connection& cnn, const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        m_rows.clear();
        m_problems.clear();
        m_groups = 0;
        clearGroups();
        problem(0, QStringLiteral("The file %1 cannot be read: %2.").arg(path, f.errorString()));
        return;
    }
    read(cnn, f.readAll());
}

std::vector<int> CsvImport::matchColumns(const CsvRecord& header, const QStringList& names,
                                         const QStringList& required) {
    std::vector<int> index(size_t(names.size()), -1);
    for (qsizetype f = 0; f < header.fields.size(); ++f)
        for (qsizetype n = 0; n < names.size(); ++n)
            if (header.fields[f].trimmed().compare(names[n], Qt::CaseInsensitive) == 0 &&
                index[size_t(n)] < 0)
                index[size_t(n)] = int(f);
    for (const QString& name : required)
        if (index[size_t(names.indexOf(name))] < 0)
            problem(header.line, QStringLiteral("the column %1 is missing").arg(name));
    return index;
}

QString CsvImport::field(const CsvRecord& r, int column) {
    return column >= 0 && column < r.fields.size() ? RestoredText(r.fields[column].trimmed())
                                                   : QString();
}

bool CsvImport::amountOf(const QString& text, int line, Amount& out) {
    if (text.isEmpty()) {
        out = Amount();
        return true;
    }
    const std::optional<Amount> a = Amount::parse(text);
    if (!a) {
        problem(line, text + QStringLiteral(" is not an amount"));
        return false;
    }
    out = *a;
    return true;
}

CommandOutcome CsvImport::write(Connection& cnn, const std::vector<bool>& keep) {
    m_written = 0;
    if (!m_problems.empty())
        return CommandOutcome::Abort;
    std::vector<bool> kept(size_t(m_groups), keep.empty());
    std::vector<bool> seen(size_t(m_groups), false);
    for (size_t r = 0; r < m_rows.size() && !keep.empty(); ++r) {
        const auto g = size_t(m_rows[r].group);
        if (!seen[g])
            kept[g] = r < keep.size() && keep[r];
        seen[g] = true;
    }
    // A copy of the books first, as before every step that rewrites them.
    if (!snapshots::takeBefore(cnn, snapshots::Step::Import))
        return CommandOutcome::Abort;
    int count = 0;
    const CommandOutcome outcome = runSavingCommand(cnn, [&](StatementRunner& run) {
        for (int g = 0; g < m_groups; ++g)
            if (kept[size_t(g)]) {
                writeGroup(run, g);
                ++count;
            }
    });
    if (outcome == CommandOutcome::Committed)
        m_written = count;
    return outcome;
}

// --- accounts -----------------------------------------------------------------------

struct AccountImport::Account {
    accounts::AccountFields fields;
    QString className;
    Amount balance;
};

// What the reading of one file needs from the books and from the lines before.
struct AccountImport::Reading {
    std::vector<int> col;
    std::vector<accounts::AccountClass> classes;
    accounts::AccountLookup books;
    QHash<QString, int> inFile; // account key -> line
};

AccountImport::AccountImport() = default;
AccountImport::~AccountImport() = default;

QStringList AccountImport::columns() const {
    return {QStringLiteral("AccountNo"), QStringLiteral("AccountName"), QStringLiteral("Class"),
            QStringLiteral("BeginningBalance"), QStringLiteral("Notes")};
}

QStringList AccountImport::cells(const PreviewRow& row) const {
    const Account& a = m_accounts[size_t(row.item)];
    return {a.fields.AccountNo, a.fields.AccountName, a.className, MoneyText(a.balance),
            a.fields.Notes};
}

void AccountImport::clearGroups() {
    m_accounts.clear();
    m_reading.reset();
}

bool AccountImport::readHeader(Connection& cnn, const CsvRecord& header) {
    m_reading = std::make_unique<Reading>();
    m_reading->col = matchColumns(
        header, columns(),
        {QStringLiteral("AccountNo"), QStringLiteral("AccountName"), QStringLiteral("Class")});
    if (!problems().empty())
        return false;
    m_reading->classes = accounts::LoadAccountClasses(cnn);
    m_reading->books = accounts::AccountLookup::Load(cnn);
    return true;
}

void AccountImport::readRecord(const CsvRecord& r) {
    enum { No, Name, Class, Balance, Notes };
    Reading& in = *m_reading;
    const int before = int(problems().size());
    Account a;
    accounts::AccountFields& f = a.fields;
    f.AccountNo = field(r, in.col[No]);
    f.AccountName = field(r, in.col[Name]);
    f.Notes = field(r, in.col[Notes]);
    const QString cls = field(r, in.col[Class]);
    for (const accounts::AccountClass& c : in.classes)
        if (cls == QString::number(c.AccountClassID) ||
            cls.compare(c.Name, Qt::CaseInsensitive) == 0) {
            f.AccountClassID = c.AccountClassID;
            a.className = c.Name;
        }
    if (amountOf(field(r, in.col[Balance]), r.line, a.balance))
        f.BeginningBalance = a.balance.toSqlText();

    const QString key = keyOf(f.AccountNo);
    if (f.AccountNo.isEmpty())
        problem(r.line, QStringLiteral("the account number is missing"));
    else if (in.books.findNo(f.AccountNo))
        problem(r.line, QStringLiteral("account %1 already exists").arg(f.AccountNo));
    else if (in.inFile.contains(key))
        problem(r.line, QStringLiteral("account %1 is already on line %2")
                            .arg(f.AccountNo)
                            .arg(in.inFile.value(key)));
    else
        in.inFile.insert(key, r.line);
    if (!cls.isEmpty() && !f.AccountClassID)
        problem(r.line, QStringLiteral("%1 is not an account class (1 to 6 or its name)").arg(cls));
    // Then the editor's own checks, in its words.
    if (int(problems().size()) == before)
        if (const std::optional<ErrorRecord> failure = accounts::CheckAccount(f))
            problem(r.line, failure->description);

    const int group = addGroup();
    addRow(r.line, group, int(m_accounts.size()));
    m_accounts.push_back(std::move(a));
}

void AccountImport::writeGroup(StatementRunner& run, int group) {
    accounts::WriteAccount(run, m_accounts[size_t(group)].fields, accounts::EditorMode::Add);
}

// --- transactions ---------------------------------------------------------------------

struct TransactionImport::Transaction {
    journal::TransactionHeader header;
    std::vector<journal::TransactionLine> lines;
    int line = 0; // the file's line of its first row
    Amount debits, credits;
};

// What the reading of one file needs from the books and from the lines before.
struct TransactionImport::Reading {
    std::vector<int> col;
    bool signedAmounts = false;
    accounts::AccountLookup books;
    QHash<QString, bool> existing; // the journal's transaction keys
    QHash<QString, int> groupOf;   // transaction key -> group
    Connection* cnn = nullptr;     // the books read from
};

TransactionImport::TransactionImport() = default;
TransactionImport::~TransactionImport() = default;

QStringList TransactionImport::columns() const {
    return {QStringLiteral("TransactionNo"), QStringLiteral("Date"),
            QStringLiteral("Source"),        QStringLiteral("Description"),
            QStringLiteral("AccountNo"),     QStringLiteral("AccountName"),
            QStringLiteral("Debit"),         QStringLiteral("Credit")};
}

QStringList TransactionImport::cells(const PreviewRow& row) const {
    const Transaction& t = m_transactions[size_t(row.group)];
    const journal::TransactionLine& l = t.lines[size_t(row.item)];
    const accounts::AccountLookup::Account* a =
        m_reading ? m_reading->books.findNo(l.AccountNo) : nullptr;
    return {t.header.TransactionNo,
            t.header.DateStamp.toString(Qt::ISODate),
            t.header.Source,
            t.header.Description,
            l.AccountNo,
            a ? a->AccountName : QString(),
            MoneyText(l.amount.isNegative() ? Amount() : l.amount),
            MoneyText(l.amount.isNegative() ? l.amount.abs() : Amount())};
}

void TransactionImport::clearGroups() {
    m_transactions.clear();
    m_reading.reset();
}

bool TransactionImport::readHeader(Connection& cnn, const CsvRecord& header) {
    enum { Debit = 5, Credit = 6, Signed = 7 };
    m_reading = std::make_unique<Reading>();
    Reading& in = *m_reading;
    in.col = matchColumns(
        header,
        {QStringLiteral("TransactionNo"), QStringLiteral("Date"), QStringLiteral("Source"),
         QStringLiteral("Description"), QStringLiteral("AccountNo"), QStringLiteral("Debit"),
         QStringLiteral("Credit"), QStringLiteral("Amount")},
        {QStringLiteral("TransactionNo"), QStringLiteral("Date"), QStringLiteral("AccountNo")});
    in.signedAmounts = in.col[Signed] >= 0;
    if (!in.signedAmounts && in.col[Debit] < 0 && in.col[Credit] < 0)
        problem(header.line,
                QStringLiteral("the columns Debit and Credit, or Amount, are missing"));
    if (!problems().empty())
        return false;
    in.books = accounts::AccountLookup::Load(cnn);
    in.cnn = &cnn;
    RowSet journal = cnn.execute(modDBUtil::GetTransactionList());
    for (journal.moveFirst(); !journal.eof(); journal.moveNext())
        in.existing.insert(keyOf(journal.text(QStringLiteral("TransactionNo"))), true);
    return true;
}

void TransactionImport::readRecord(const CsvRecord& r) {
    enum { No, Date, Source, Description, Account, Debit, Credit, Signed };
    Reading& in = *m_reading;
    const QString no = field(r, in.col[No]);
    const QString dateText = field(r, in.col[Date]);
    const QString accountNo = field(r, in.col[Account]);
    if (no.isEmpty()) {
        problem(r.line, QStringLiteral("the transaction number is missing"));
        return;
    }
    const std::optional<QDate> date = dateOf(dateText);
    if (!date)
        problem(r.line, dateText.isEmpty() ? QStringLiteral("the date is missing")
                                           : dateText + QStringLiteral(" is not a date"));

    const QString key = keyOf(no);
    int group = in.groupOf.value(key, -1);
    if (group < 0) {
        group = addGroup();
        in.groupOf.insert(key, group);
        Transaction t;
        t.header = {no, field(r, in.col[Source]), field(r, in.col[Description]),
                    date.value_or(QDate())};
        t.line = r.line;
        if (in.existing.contains(key))
            problem(r.line, no + QStringLiteral(" already exists"));
        else if (const QString closed = journal::HistoryRefusalText(*in.cnn, no); !closed.isEmpty())
            problem(r.line, closed); // a number closed by a month end of the open year
        m_transactions.push_back(std::move(t));
    } else if (date && m_transactions[size_t(group)].header.DateStamp.isValid() &&
               *date != m_transactions[size_t(group)].header.DateStamp) {
        const Transaction& t = m_transactions[size_t(group)];
        problem(r.line, QStringLiteral("%1 is dated %2 on line %3")
                            .arg(no, t.header.DateStamp.toString(Qt::ISODate))
                            .arg(t.line));
    }
    Transaction& t = m_transactions[size_t(group)];

    const accounts::AccountLookup::Account* account = in.books.findNo(accountNo);
    if (accountNo.isEmpty())
        problem(r.line, QStringLiteral("the account number is missing"));
    else if (!account)
        problem(r.line, QStringLiteral("account %1 does not exist").arg(accountNo));

    Amount debit, credit;
    bool amounts = true;
    if (in.signedAmounts) {
        Amount a;
        amounts = amountOf(field(r, in.col[Signed]), r.line, a);
        (a.isNegative() ? credit : debit) = a.abs();
    } else {
        amounts = amountOf(field(r, in.col[Debit]), r.line, debit);
        amounts = amountOf(field(r, in.col[Credit]), r.line, credit) && amounts;
        if (amounts && (debit.isNegative() || credit.isNegative())) {
            problem(r.line, QStringLiteral("a debit or credit is negative"));
            amounts = false;
        }
    }
    if (amounts && debit.isZero() && credit.isZero())
        problem(r.line, QStringLiteral("the line has no amount"));
    else if (amounts && !debit.isZero() && !credit.isZero())
        problem(r.line, QStringLiteral("the line has both a debit and a credit"));
    if (amounts) {
        t.debits += debit;
        t.credits += credit;
    }
    addRow(r.line, group, int(t.lines.size()));
    t.lines.push_back({account ? account->AccountNo : accountNo, debit.isZero() ? -credit : debit});
}

void TransactionImport::finishReading() {
    for (const Transaction& t : m_transactions)
        if (t.debits != t.credits)
            problem(t.line,
                    QStringLiteral("transaction %1 does not balance (debits %2, credits %3)")
                        .arg(t.header.TransactionNo, t.debits.formatStandard(),
                             t.credits.formatStandard()));
}

void TransactionImport::writeGroup(StatementRunner& run, int group) {
    const Transaction& t = m_transactions[size_t(group)];
    journal::WriteTransaction(run, t.header, t.lines, journal::SaveMode::Add);
}

} // namespace zelk::exchange
