#include "TransactionEntry.h"

#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/JetTranslator.h"
#include "core/data/SavingCommand.h"
#include "core/data/modDBUtil.h"
#include "core/data/modErrors.h"

#include <QRegularExpression>
#include <QSet>

namespace zelk::journal {

namespace {
const QString Source = QStringLiteral("Ledger Transaction");

bool isBlank(const LineCells& row) {
    for (const QString& cell : row)
        if (!cell.isEmpty())
            return false;
    return true;
}

// The two inserts of a save run as prepared shapes: the first statement of each shape
// runs from its own text, and that text's translation, when its parameters are exactly
// the values given in their order, gives the shape every later statement of it binds
// its values to, without its text being built or translated again. A text whose
// translation were other than that keeps running as text. The shape depends on which
// values are empty (written NULL), on the amount's sign and on whether the date can be
// written at all, so these are its key.
struct Shape {
    bool learned = false;
    std::string sql; // empty: the statements of this key run as text
};

std::string utf8(const QString& s) {
    std::string out(size_t(s.size()), '\0');
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c >= 0x80) { // beyond ASCII: the whole text converted
            const QByteArray b = s.toUtf8();
            return std::string(b.constData(), size_t(b.size()));
        }
        out[size_t(i)] = char(c);
    }
    return out;
}

// A day of the years 1 to 9999 as the books store it: yyyy-MM-dd.
std::string isoDay(const QDate& d) {
    std::string out = "0000-00-00";
    auto put = [&](size_t end, int value, int digits) {
        for (int k = 0; k < digits; ++k, value /= 10)
            out[end - size_t(k)] = char('0' + value % 10);
    };
    put(3, d.year(), 4);
    put(6, d.month(), 2);
    put(9, d.day(), 2);
    return out;
}

// Adds a text's parameter unless it is empty, as an empty text is written NULL.
void addText(std::vector<SqlParam>& params, const QString& s) {
    if (!s.isEmpty())
        params.emplace_back(utf8(s));
}

void runShaped(StatementRunner& run, Shape& shape, std::vector<SqlParam>&& params,
               const std::function<QString()>& text) {
    if (!shape.sql.empty()) {
        run.run(Translation{shape.sql, std::move(params)}, text);
        return;
    }
    const QString sql = text();
    run.run(sql);
    if (shape.learned)
        return;
    shape.learned = true;
    try {
        Translation t = JetTranslator::translate(sql);
        if (t.params == params)
            shape.sql = std::move(t.sql);
    } catch (const DbError&) { // a text that runs would have translated
    }
}

thread_local Shape HeaderShapes[8];
thread_local Shape LineShapes[8];
} // namespace

QString InvalidAccountText() {
    return QStringLiteral("Invalid Account");
}

void AfterEdit(LineCells& row, int column, const AccountLookup& lookup) {
    switch (column) {
    case ColAccountNo:
    case ColAccountName:
        ChooseTypedAccount(row, row[size_t(column)], lookup);
        break;
    case ColDebit:
    case ColCredit: {
        const std::optional<Amount> typed = Amount::parse(row[size_t(column)]);
        if (!typed || typed->isZero())
            break; // left as typed: the check of the lines names it
        const int other = column == ColDebit ? ColCredit : ColDebit;
        // Shown on the side where it is stored: "-50" as a credit is a debit of 50.
        const size_t shown = size_t(typed->isNegative() ? other : column);
        row[size_t(column)].clear();
        row[size_t(other)].clear();
        row[shown] = typed->abs().formatEntry();
        break;
    }
    default:
        break;
    }
}

void ChooseAccount(LineCells& row, const QString& accountNo, const AccountLookup& lookup) {
    row[ColAccountNo] = accountNo;
    if (accountNo.isEmpty()) {
        row[ColAccountName].clear();
        return;
    }
    const AccountLookup::Account* a = lookup.findNo(accountNo);
    row[ColAccountName] = a ? a->AccountName : InvalidAccountText();
}

void ChooseTypedAccount(LineCells& row, const QString& typed, const AccountLookup& lookup) {
    const AccountLookup::Account* a = lookup.resolve(typed);
    ChooseAccount(row, a ? a->AccountNo : typed, lookup);
}

namespace {
// A row's amount: its debit when that is not 0, else its negated credit.
Amount amountOfRow(const LineCells& row) {
    const Amount debit = Amount::valueOf(row[ColDebit]);
    return !debit.isZero() ? debit : -Amount::valueOf(row[ColCredit]);
}

void addToTotals(LineTotals& t, Amount a) {
    if (a.isNegative())
        t.credits += -a;
    else
        t.debits += a;
}

LineTotals totalsOfLines(const std::vector<TransactionLine>& lines) {
    LineTotals t;
    for (const TransactionLine& line : lines)
        addToTotals(t, line.amount);
    return t;
}
} // namespace

LineTotals TotalsOfRows(const std::vector<LineCells>& rows) {
    LineTotals t;
    for (const LineCells& row : rows)
        if (!isBlank(row))
            addToTotals(t, amountOfRow(row));
    return t;
}

QString TotalsText(const LineTotals& t) {
    return QStringLiteral("Debits %1   Credits %2   Difference %3")
        .arg(t.debits.formatStandard(), t.credits.formatStandard(),
             t.difference().abs().formatStandard());
}

QString UnbalancedQuestion(const LineTotals& t) {
    return QStringLiteral("Debits %1 and credits %2 differ by %3. Save it unbalanced? It will "
                          "not be posted until it balances.")
        .arg(t.debits.formatEntry(), t.credits.formatEntry(), t.difference().abs().formatEntry());
}

std::optional<LineCells> BalancingRow(const std::vector<LineCells>& rows, size_t row) {
    LineTotals others;
    for (size_t r = 0; r < rows.size(); ++r)
        if (r != row && !isBlank(rows[r]))
            addToTotals(others, amountOfRow(rows[r]));
    const Amount diff = others.difference();
    if (diff.isZero() || row >= rows.size())
        return std::nullopt;
    LineCells cells = rows[row];
    cells[ColDebit] = diff.isNegative() ? diff.abs().formatEntry() : QString();
    cells[ColCredit] = diff.isNegative() ? QString() : diff.formatEntry();
    return cells;
}

namespace {
// The digits of a number as text plus one ("099" -> "100", "99" -> "100").
QString incremented(QString digits) {
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != QLatin1Char('9')) {
            digits[i] = QChar(digits[i].unicode() + 1);
            return digits;
        }
        digits[i] = QLatin1Char('0');
    }
    return QLatin1Char('1') + digits;
}

// Compares digit strings by the value they write (leading zeros aside).
int compareDigits(const QString& a, const QString& b) {
    auto strip = [](const QString& s) {
        qsizetype i = 0;
        while (i + 1 < s.size() && s[i] == QLatin1Char('0'))
            ++i;
        return s.mid(i);
    };
    const QString x = strip(a), y = strip(b);
    if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
    return x.compare(y);
}
} // namespace

QString NextTransactionNo(const QStringList& numbers) {
    static const QRegularExpression pattern(QStringLiteral("^(.*?)([0-9]+)$"));
    QString prefix, digits;
    QSet<QString> used;
    for (const QString& n : numbers) {
        used.insert(n.toUpper());
        const QRegularExpressionMatch m = pattern.match(n);
        if (!m.hasMatch())
            continue;
        const QString d = m.captured(2);
        const int c = digits.isEmpty() ? 1 : compareDigits(d, digits);
        if (c > 0 || (c == 0 && d.size() > digits.size())) {
            prefix = m.captured(1);
            digits = d;
        }
    }
    if (digits.isEmpty())
        return QString();
    QString next;
    do {
        digits = incremented(digits);
        next = prefix + digits;
    } while (used.contains(next.toUpper()));
    return next;
}

QString NextTransactionNo(Connection& cnn) {
    // The last numbers: those of the latest date of the journal, or of the history when
    // its latest date is later (after a month end the journal may be empty).
    QStringList numbers;
    QDate latest;
    for (RowSet rs = cnn.execute(modDBUtil::GetLatestTransactionNumbers()); !rs.eof();
         rs.moveNext()) {
        const QDate day = rs.date(QStringLiteral("DateStamp"));
        if (day > latest) {
            numbers.clear();
            latest = day;
        }
        if (day == latest)
            numbers << rs.text(QStringLiteral("TransactionNo"));
    }
    // A number in use, in the journal or in the history of any year, is passed over.
    QString next = NextTransactionNo(numbers);
    for (int tries = 0; !next.isEmpty(); ++tries) {
        if (cnn.execute(modDBUtil::GetTransactionNumberUse(next)).eof())
            return next;
        if (tries == 1000)
            break;
        next = NextTransactionNo(QStringList{next});
    }
    return QString();
}

QString PostedLockText() {
    return QStringLiteral("Posted \u2014 revert the posting to change it");
}

QString DiscardQuestion() {
    return QStringLiteral("Discard the changes to this transaction?");
}

LineCheck CheckLines(const std::vector<LineCells>& rows) {
    LineCheck check;
    for (size_t r = 0; r < rows.size(); ++r) {
        const LineCells& row = rows[r];
        if (isBlank(row))
            continue;
        const Amount amount = amountOfRow(row);
        QString problem;
        if (row[ColAccountNo].isEmpty() || row[ColAccountName].isEmpty())
            problem = QStringLiteral("no account");
        else if (row[ColAccountName] == InvalidAccountText())
            problem = QStringLiteral("no account of number ") + row[ColAccountNo];
        else if (amount.isZero())
            problem = QStringLiteral("no amount");
        if (!problem.isEmpty()) {
            ++check.invalidRows;
            check.problems << QStringLiteral("row %1: ").arg(r + 1) + problem;
            continue;
        }
        check.lines.push_back({row[ColAccountNo], amount});
    }
    return check;
}

int ValidateTransaction(const QString& transactionNo, const std::vector<LineCells>& rows,
                        std::vector<TransactionLine>& lines) {
    lines.clear();
    try {
        if (transactionNo.isEmpty()) {
            const int answer = modErrors::ShowInputErrorMessage(
                {1, Source, QStringLiteral("Transaction no. is missing.")});
            return answer == Abort ? 2 : 1;
        }
        LineCheck check = CheckLines(rows);
        if (check.invalidRows > 0) {
            const int answer = modErrors::ShowInputErrorMessage(
                {2, Source,
                 QStringLiteral("Invalid: ") + QString::number(check.invalidRows) +
                     QStringLiteral(" row(s). Yes: fix input, No:Cancel, ") +
                     QStringLiteral("\r\n") + check.problems.join(QStringLiteral("\r\n"))});
            if (answer == Abort)
                return 2;
            if (answer != Ignore)
                return 1;
        }
        lines = std::move(check.lines);
        return 0;
    } catch (const std::exception& e) {
        lines.clear();
        modErrors::ShowInputErrorMessage({0, Source, QString::fromUtf8(e.what())});
        return 2;
    }
}

LineCells CellsOfLine(const QString& accountNo, const QString& accountName, Amount amount) {
    LineCells cells{accountNo, accountName, QString(), QString()};
    cells[amount.isNegative() ? ColCredit : ColDebit] = amount.abs().formatEntry();
    return cells;
}

std::optional<LoadedTransaction> LoadTransaction(Connection& cnn, const QString& transactionNo) {
    RowSet header = cnn.execute(modDBUtil::GetTransaction(transactionNo));
    if (header.eof())
        return std::nullopt;
    LoadedTransaction t;
    t.header.TransactionNo = transactionNo;
    t.header.Source = header.text(QStringLiteral("Source"));
    t.header.Description = header.text(QStringLiteral("Description"));
    t.header.DateStamp = header.date(QStringLiteral("DateStamp"));
    t.Posted = header.boolean(QStringLiteral("Posted"));
    RowSet lines = cnn.execute(modDBUtil::GetTransactionDetails(transactionNo));
    t.rows.reserve(size_t(lines.recordCount()));
    for (lines.moveFirst(); !lines.eof(); lines.moveNext())
        t.rows.push_back(CellsOfLine(lines.text(QStringLiteral("AccountNo")),
                                     lines.text(QStringLiteral("AccountName")),
                                     lines.amount(QStringLiteral("Amount"))));
    return t;
}

bool IsPosted(Connection& cnn, const QString& transactionNo) {
    RowSet header = cnn.execute(modDBUtil::GetTransaction(transactionNo));
    return !header.eof() && header.boolean(QStringLiteral("Posted"));
}

QString PostedRefusalText(const QString& transactionNo) {
    return QStringLiteral("Transaction no. ") + transactionNo +
           QStringLiteral(" is posted. Revert the posting first.");
}

QString TransactionNotFoundText(const QString& transactionNo) {
    return QStringLiteral("Transaction no. ") + transactionNo + QStringLiteral(" not found.");
}

QString HistoryRefusalText(Connection& cnn, const QString& transactionNo) {
    const CompanyRow company = CompanyRow::read(cnn);
    const int begin = company.FinancialPeriodBegin;
    RowSet dates = cnn.execute(modDBUtil::GetTransactionHistoryDates(
        transactionNo, fiscal::firstDayOfYear(begin, company.CurrentPeriodYear),
        fiscal::lastDayOfYear(begin, company.CurrentPeriodYear)));
    if (dates.eof())
        return QString();
    return QStringLiteral("Transaction no. ") + transactionNo +
           QStringLiteral(" is already in the history of ") +
           fiscal::monthOfDate(dates.date(QStringLiteral("DateStamp"))) + QStringLiteral(".");
}

SaveOutcome SaveTransaction(Connection& cnn, const TransactionHeader& h,
                            const std::vector<TransactionLine>& lines, SaveMode mode) {
    using namespace modDBUtil;
    if (mode == SaveMode::Edit && IsPosted(cnn, h.TransactionNo))
        return SaveOutcome::Posted;
    // Two transactions of one number in a year could not both be reopened by reverting
    // their month end.
    if (mode == SaveMode::Add && !HistoryRefusalText(cnn, h.TransactionNo).isEmpty())
        return SaveOutcome::InHistory;
    const CommandOutcome outcome =
        runSavingCommand(cnn, [&](StatementRunner& run) { WriteTransaction(run, h, lines, mode); });
    switch (outcome) {
    case CommandOutcome::Committed:
        return SaveOutcome::Committed;
    case CommandOutcome::Fix:
        return SaveOutcome::Fix;
    case CommandOutcome::Abort:
        break;
    }
    return SaveOutcome::Abort;
}

void WriteTransaction(StatementRunner& run, const TransactionHeader& h,
                      const std::vector<TransactionLine>& lines, SaveMode mode) {
    using namespace modDBUtil;
    if (mode == SaveMode::Edit)
        run.run(DeleteTransaction(h.TransactionNo)); // its lines go with it
    const bool dated =
        h.DateStamp.isValid() && h.DateStamp.year() >= 1 && h.DateStamp.year() <= 9999;
    std::vector<SqlParam> params;
    addText(params, h.TransactionNo);
    addText(params, h.Source);
    addText(params, h.Description);
    if (dated)
        params.emplace_back(isoDay(h.DateStamp));
    params.emplace_back(std::int64_t(0)); // not posted
    const int headerKey = (h.TransactionNo.isEmpty() ? 1 : 0) | (h.Source.isEmpty() ? 2 : 0) |
                          (h.Description.isEmpty() ? 4 : 0);
    Shape none;
    runShaped(run, dated ? HeaderShapes[headerKey] : none, std::move(params), [&] {
        return InsertTransaction(h.TransactionNo, h.Source, h.Description, h.DateStamp, false);
    });
    const std::string no = utf8(h.TransactionNo);
    int seq = 0;
    for (const TransactionLine& line : lines) {
        ++seq;
        params.clear();
        if (!no.empty())
            params.emplace_back(no);
        addText(params, line.AccountNo);
        params.emplace_back(std::int64_t(seq));
        params.emplace_back(line.amount.raw());
        const int lineKey = (no.empty() ? 1 : 0) | (line.AccountNo.isEmpty() ? 2 : 0) |
                            (line.amount.isNegative() ? 4 : 0);
        runShaped(run, LineShapes[lineKey], std::move(params), [&] {
            return InsertTransactionDetail(h.TransactionNo, line.AccountNo, seq, line.amount);
        });
    }
}

CommandOutcome TransactionSaveCommand(Connection& cnn, const TransactionHeader& header,
                                      const std::vector<LineCells>& rows, SaveMode mode,
                                      const QString& title) {
    try {
        // A posted transaction is refused before its input is looked at.
        if (mode == SaveMode::Edit && IsPosted(cnn, header.TransactionNo)) {
            ui().messageBox(PostedRefusalText(header.TransactionNo), title);
            return CommandOutcome::Fix;
        }
        std::vector<TransactionLine> lines;
        switch (ValidateTransaction(header.TransactionNo, rows, lines)) {
        case 1:
            return CommandOutcome::Fix;
        case 2:
            return CommandOutcome::Abort;
        default:
            break;
        }
        const LineTotals totals = totalsOfLines(lines);
        if (!totals.balances() && !ui().askYesNo(UnbalancedQuestion(totals), title))
            return CommandOutcome::Fix; // back to the editor, nothing written
        switch (SaveTransaction(cnn, header, lines, mode)) {
        case SaveOutcome::Committed:
            return CommandOutcome::Committed;
        case SaveOutcome::Posted:
            ui().messageBox(PostedRefusalText(header.TransactionNo), title);
            return CommandOutcome::Fix;
        case SaveOutcome::InHistory:
            ui().messageBox(HistoryRefusalText(cnn, header.TransactionNo), title);
            return CommandOutcome::Fix;
        case SaveOutcome::Fix:
            return CommandOutcome::Fix;
        case SaveOutcome::Abort:
            break;
        }
        return CommandOutcome::Abort;
    } catch (const DbError& e) { // the posted flag could not be read
        return modErrors::ShowErrorMessage(e.record()) == Abort ? CommandOutcome::Abort
                                                                : CommandOutcome::Fix;
    } catch (const AmountOverflow&) { // lines too large to add up
        ui().messageBox(QStringLiteral("The amounts are too large to add up."), title);
        return CommandOutcome::Fix;
    }
}

QString TransactionListStatement() {
    return modDBUtil::GetTransactionListWithTotals();
}

std::vector<ListColumn> TransactionListColumns() {
    return {
        {QStringLiteral("Date"), 1296, QString(), QStringLiteral("DateStamp"),
         ListDisplay::ShortDate},
        {QStringLiteral("No"), 1788, QStringLiteral("TrxNo"), QStringLiteral("TransactionNo")},
        {QStringLiteral("Source"), 2160, QString(), QStringLiteral("Source")},
        {QStringLiteral("Posted"), 912, QString(), QStringLiteral("Posted"), ListDisplay::YesNo},
        {QStringLiteral("Description"), 3000, QString(), QStringLiteral("Description")},
        {QStringLiteral("Total"), 1400, QString(), QStringLiteral("Total"), ListDisplay::Money},
    };
}

ListDeletion TransactionDeletion() {
    ListDeletion d;
    d.question = [](const QString& no) {
        return QStringLiteral("Delete Transaction no. ") + no + QStringLiteral("?");
    };
    d.statements = [](const QString& no) { return QStringList{modDBUtil::DeleteTransaction(no)}; };
    d.refusal = [](Connection& cnn, const QString& no) {
        return IsPosted(cnn, no) ? PostedRefusalText(no) : QString();
    };
    return d;
}

} // namespace zelk::journal
