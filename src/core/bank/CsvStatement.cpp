// CSV statements in any bank's layout, through the bank account's profile.

#include "Statement.h"
#include "core/exchange/CsvImport.h"
#include "core/shared/TextEncoding.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <map>

namespace zelk::bank {

namespace {

bool validUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    (void)QString(decoder.decode(bytes));
    return !decoder.hasError();
}

bool pureAscii(const QByteArray& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
}

QByteArray withoutBom(const QByteArray& bytes) {
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
}

// The bytes after the first `lines` lines, and where they start.
QByteArray afterLines(const QByteArray& bytes, int lines) {
    qsizetype at = 0;
    for (int i = 0; i < lines && at < bytes.size(); ++i) {
        const qsizetype nl = bytes.indexOf('\n', at);
        at = nl < 0 ? bytes.size() : nl + 1;
    }
    return bytes.mid(at);
}

QString decoded(const QByteArray& bytes, bool utf8) {
    return utf8 ? QString::fromUtf8(bytes) : FromWindows1252(bytes);
}

// The records of the file under the profile, the header first; line numbers are the
// file's.
std::vector<exchange::CsvRecord> recordsOf(const QByteArray& bytes, const CsvProfile& profile) {
    std::vector<exchange::CsvRecord> records;
    const exchange::CsvFile file =
        exchange::ReadCsv(afterLines(withoutBom(bytes), profile.skipLines),
                          {profile.utf8, profile.separator}, [&](exchange::CsvRecord&& r) {
                              r.line += profile.skipLines;
                              bool blank = true;
                              for (const QString& f : r.fields)
                                  blank = blank && f.trimmed().isEmpty();
                              if (!blank)
                                  records.push_back(std::move(r));
                          });
    if (!file.error.isEmpty())
        throw StatementError(QStringLiteral("The CSV file is damaged: line %1: %2.")
                                 .arg(file.errorLine + profile.skipLines)
                                 .arg(file.error));
    return records;
}

QString cell(const exchange::CsvRecord& r, int column) {
    return column >= 0 && column < r.fields.size() ? r.fields[column].trimmed() : QString();
}

} // namespace

QString CsvProfile::problem() const {
    if (dateColumn.isEmpty())
        return QStringLiteral("The profile names no date column.");
    const bool signedAmount = !amountColumn.isEmpty();
    const bool twoColumns = !debitColumn.isEmpty() || !creditColumn.isEmpty();
    if (signedAmount == twoColumns)
        return QStringLiteral("The profile needs either an amount column or a debit and a "
                              "credit column.");
    if (twoColumns && (debitColumn.isEmpty() || creditColumn.isEmpty()))
        return QStringLiteral("The profile needs both a debit and a credit column.");
    if (!indicatorColumn.isEmpty() && (!signedAmount || debitIndicator.isEmpty()))
        return QStringLiteral("An indicator column needs an amount column and the value that "
                              "marks money out.");
    if (decimalMark != QLatin1Char('.') && decimalMark != QLatin1Char(','))
        return QStringLiteral("The decimal mark is \".\" or \",\".");
    if (separator != ',' && separator != ';' && separator != '\t')
        return QStringLiteral("The separator is a comma, a semicolon or a tab.");
    if (dateFormat.isEmpty() || !QDate(2026, 12, 31).toString(dateFormat).contains(u"12"))
        return QStringLiteral("The date format %1 is not a date format (e.g. dd.MM.yyyy).")
            .arg(dateFormat);
    if (skipLines < 0)
        return QStringLiteral("The lines to skip cannot be negative.");
    return {};
}

std::optional<Amount> amountOfCell(const QString& input, QChar decimalMark) {
    QString t = input.trimmed();
    // a currency code or sign before or after the figure
    static const QRegularExpression currency(
        QStringLiteral("^(?:[A-Z]{3}|[€$£])\\s*|\\s*(?:[A-Z]{3}|[€$£])$"));
    t.remove(currency);
    bool negative = false;
    if (t.startsWith(QLatin1Char('(')) && t.endsWith(QLatin1Char(')'))) {
        negative = true;
        t = t.mid(1, t.size() - 2).trimmed();
    }
    if (t.endsWith(QLatin1Char('-'))) {
        negative = !negative;
        t.chop(1);
    } else if (t.startsWith(QLatin1Char('-'))) {
        negative = !negative;
        t.remove(0, 1);
    } else if (t.startsWith(QLatin1Char('+'))) {
        t.remove(0, 1);
    }
    t = t.trimmed();
    const QChar grouping = decimalMark == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(',');
    // whole part with groups of three (by the other mark, a blank or an apostrophe), then
    // at most four decimals: anything else is no amount, so a wrong profile never gives a
    // wrong value
    const QString d = QRegularExpression::escape(decimalMark);
    const QString g = QRegularExpression::escape(grouping);
    const QRegularExpression shape(QStringLiteral("^(\\d{1,3}(?:[%1 '\u00A0\u202F]\\d{3})+|\\d+)"
                                                  "(?:%2(\\d{1,4}))?$")
                                       .arg(g, d));
    const QRegularExpressionMatch m = shape.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    QString whole = m.captured(1);
    whole.remove(QRegularExpression(QStringLiteral("[^0-9]")));
    QString plain = whole;
    if (m.capturedLength(2) > 0)
        plain += QLatin1Char('.') + m.captured(2);
    std::optional<Amount> a = Amount::parse(plain);
    if (a && negative)
        a = -*a;
    return a;
}

std::optional<QDate> dateOfCell(const QString& text, const QString& format, const QDate& near) {
    QDate d = QDate::fromString(text.trimmed(), format);
    if (!d.isValid())
        return std::nullopt;
    if (!format.contains(QStringLiteral("yyyy")) && format.contains(QStringLiteral("yy"))) {
        // Qt reads a two-digit year in the 1900s; take the century nearest `near`.
        int best = d.year();
        for (int y = d.year(); y <= d.year() + 300; y += 100)
            if (std::abs(y - near.year()) < std::abs(best - near.year()))
                best = y;
        d = QDate(best, d.month(), d.day());
        if (!d.isValid())
            return std::nullopt;
    }
    return d;
}

Statement readCsv(const QByteArray& bytes, const CsvProfile& profile) {
    if (const QString p = profile.problem(); !p.isEmpty())
        throw StatementError(p);
    const QByteArray body = withoutBom(bytes);
    if (profile.utf8 && !validUtf8(body))
        throw StatementError(QStringLiteral("The file is not UTF-8 text as its profile says "
                                            "(Windows-1252?)."));
    if (!profile.utf8 && !pureAscii(body) && validUtf8(body))
        throw StatementError(QStringLiteral("The file is UTF-8 text, but its profile says "
                                            "Windows-1252."));
    const std::vector<exchange::CsvRecord> records = recordsOf(bytes, profile);
    if (records.empty())
        throw StatementError(QStringLiteral("The CSV file has no header line after the %1 "
                                            "line(s) to skip.")
                                 .arg(profile.skipLines));
    const exchange::CsvRecord& header = records.front();
    QStringList names;
    for (const QString& f : header.fields)
        names << f.trimmed();
    auto column = [&](const QString& name) {
        if (name.isEmpty())
            return -1;
        for (qsizetype i = 0; i < names.size(); ++i)
            if (names[i].compare(name.trimmed(), Qt::CaseInsensitive) == 0)
                return int(i);
        throw StatementError(QStringLiteral("The column %1 of the profile is not in the "
                                            "file's header (line %2: %3).")
                                 .arg(name)
                                 .arg(header.line)
                                 .arg(names.join(QStringLiteral(", "))));
    };
    const int cDate = column(profile.dateColumn), cAmount = column(profile.amountColumn),
              cDebit = column(profile.debitColumn), cCredit = column(profile.creditColumn),
              cIndicator = column(profile.indicatorColumn),
              cParty = column(profile.counterpartyColumn), cText = column(profile.textColumn),
              cRef = column(profile.referenceColumn), cBalance = column(profile.balanceColumn);

    Statement out;
    out.format = Format::Csv;
    QStringList problems;
    std::vector<Amount> balances;
    auto amountIn = [&](const exchange::CsvRecord& r, int c, Amount& into) {
        const QString t = cell(r, c);
        if (t.isEmpty()) {
            into = Amount();
            return true;
        }
        const std::optional<Amount> a = amountOfCell(t, profile.decimalMark);
        if (!a) {
            problems << QStringLiteral("line %1: %2 is not an amount with the decimal mark %3")
                            .arg(r.line)
                            .arg(t, profile.decimalMark);
            return false;
        }
        into = *a;
        return true;
    };
    for (size_t i = 1; i < records.size() && problems.size() < 10; ++i) {
        const exchange::CsvRecord& r = records[i];
        StatementLine l;
        l.fileLine = r.line;
        const std::optional<QDate> date = dateOfCell(cell(r, cDate), profile.dateFormat);
        if (!date) {
            problems << QStringLiteral("line %1: %2 is not a date of the format %3")
                            .arg(r.line)
                            .arg(cell(r, cDate), profile.dateFormat);
            continue;
        }
        l.date = *date;
        if (cAmount >= 0) {
            if (!amountIn(r, cAmount, l.amount))
                continue;
            if (cIndicator >= 0 &&
                cell(r, cIndicator)
                        .compare(profile.debitIndicator.trimmed(), Qt::CaseInsensitive) == 0)
                l.amount = -l.amount.abs();
            else if (cIndicator >= 0)
                l.amount = l.amount.abs();
        } else {
            Amount debit, credit;
            if (!amountIn(r, cDebit, debit) || !amountIn(r, cCredit, credit))
                continue;
            l.amount = credit.abs() - debit.abs();
        }
        if (cBalance >= 0) {
            Amount b;
            if (!amountIn(r, cBalance, b))
                continue;
            balances.push_back(b);
        }
        l.counterparty = cell(r, cParty).simplified();
        l.text = cell(r, cText).simplified();
        l.reference = cell(r, cRef);
        l.number = int(out.lines.size()) + 1;
        out.lines.push_back(l);
    }
    if (!problems.isEmpty())
        throw StatementError(QStringLiteral("The CSV file does not match its profile:\n") +
                             problems.join(QLatin1Char('\n')));
    // The running balance: after the latest line, whichever way the file is ordered.
    if (!balances.empty() && balances.size() == out.lines.size()) {
        const bool newestFirst = out.lines.front().date > out.lines.back().date;
        const size_t last = newestFirst ? 0 : out.lines.size() - 1;
        const size_t first = newestFirst ? out.lines.size() - 1 : 0;
        out.closing = balances[last];
        out.opening = balances[first] - out.lines[first].amount;
    }
    assignIdentities(out);
    return out;
}

QStringList firstLines(const QByteArray& bytes, int count) {
    const QByteArray body = withoutBom(bytes);
    const QString text = decoded(body.left(64 * 1024), validUtf8(body));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > count)
        lines = lines.mid(0, count);
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    return lines;
}

QStringList headerOf(const QByteArray& bytes, const CsvProfile& profile) {
    try {
        const std::vector<exchange::CsvRecord> records = recordsOf(bytes.left(256 * 1024), profile);
        QStringList names;
        if (!records.empty())
            for (const QString& f : records.front().fields)
                names << f.trimmed();
        return names;
    } catch (const StatementError&) {
        return {};
    }
}

namespace {

// Counts a separator outside quotes in a line.
int countOutsideQuotes(const QString& line, QChar sep) {
    int n = 0;
    bool quoted = false;
    for (const QChar c : line) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == sep)
            ++n;
    }
    return n;
}

int findColumn(const QStringList& names, std::initializer_list<const char*> words) {
    for (const char* w : words)
        for (qsizetype i = 0; i < names.size(); ++i)
            if (names[i].compare(QLatin1String(w), Qt::CaseInsensitive) == 0)
                return int(i);
    for (const char* w : words)
        for (qsizetype i = 0; i < names.size(); ++i)
            if (names[i].contains(QString::fromUtf8(w), Qt::CaseInsensitive))
                return int(i);
    return -1;
}

} // namespace

CsvProfile guessProfile(const QByteArray& bytes) {
    CsvProfile p;
    const QByteArray body = withoutBom(bytes);
    p.utf8 = validUtf8(body);
    const QStringList lines = firstLines(bytes, 40);
    // The separator whose count is the same on most lines; the header is the first line
    // with that count.
    int bestLines = 0;
    int fields = 0;
    for (const char sep : {';', '\t', ','}) {
        std::map<int, int> counts;
        for (const QString& l : lines)
            if (const int n = countOutsideQuotes(l, QLatin1Char(sep)); n > 0)
                ++counts[n];
        for (const auto& [n, c] : counts)
            if (c > bestLines) {
                bestLines = c;
                fields = n;
                p.separator = sep;
            }
    }
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (countOutsideQuotes(lines[i], QLatin1Char(p.separator)) == fields) {
            p.skipLines = int(i);
            break;
        }
    const std::vector<exchange::CsvRecord> records = [&] {
        try {
            return recordsOf(body.left(256 * 1024), p);
        } catch (const StatementError&) {
            return std::vector<exchange::CsvRecord>{};
        }
    }();
    if (records.empty())
        return p;
    QStringList names;
    for (const QString& f : records.front().fields)
        names << f.trimmed();
    auto pick = [&](std::initializer_list<const char*> words) {
        const int c = findColumn(names, words);
        return c >= 0 ? names[c] : QString();
    };
    p.dateColumn = pick({"Booking date", "Buchungstag", "Buchungsdatum", "Date", "Datum", "Posted",
                         "Transaction date"});
    p.debitColumn = pick({"Debit", "Soll", "Withdrawal", "Paid out", "Money out", "Ausgang"});
    p.creditColumn = pick({"Credit", "Haben", "Deposit", "Paid in", "Money in", "Eingang"});
    if (p.debitColumn.isEmpty() || p.creditColumn.isEmpty() || p.debitColumn == p.creditColumn) {
        p.debitColumn.clear();
        p.creditColumn.clear();
        p.amountColumn = pick({"Amount", "Betrag", "Umsatz", "Value", "Wert"});
    }
    p.counterpartyColumn =
        pick({"Counterparty", "Payee", "Name", "Beguenstigter/Zahlungspflichtiger",
              "Zahlungsempfänger", "Empfänger", "Auftraggeber", "Begünstigter"});
    p.textColumn = pick(
        {"Verwendungszweck", "Memo", "Purpose", "Details", "Description", "Text", "Buchungstext"});
    p.referenceColumn = pick({"Reference", "Referenz", "Transaction ID", "Bank reference"});
    p.balanceColumn = pick({"Balance", "Saldo", "Kontostand"});
    // the date format that reads every date of the column; the decimal mark of the amounts
    const int cDate = names.indexOf(p.dateColumn);
    const QStringList formats = {QStringLiteral("yyyy-MM-dd"), QStringLiteral("dd.MM.yyyy"),
                                 QStringLiteral("dd/MM/yyyy"), QStringLiteral("MM/dd/yyyy"),
                                 QStringLiteral("d.M.yyyy"),   QStringLiteral("M/d/yyyy"),
                                 QStringLiteral("dd.MM.yy"),   QStringLiteral("dd-MM-yyyy"),
                                 QStringLiteral("yyyyMMdd"),   QStringLiteral("d/M/yyyy")};
    for (const QString& f : formats) {
        bool all = records.size() > 1;
        for (size_t i = 1; i < records.size() && all; ++i)
            all = dateOfCell(cell(records[i], cDate), f).has_value();
        if (all) {
            p.dateFormat = f;
            break;
        }
    }
    static const QRegularExpression comma(QStringLiteral("\\d,\\d{1,2}$"));
    for (const QString& name : {p.amountColumn, p.debitColumn, p.creditColumn, p.balanceColumn}) {
        const int c = name.isEmpty() ? -1 : int(names.indexOf(name));
        for (size_t i = 1; i < records.size() && c >= 0; ++i)
            if (comma.match(cell(records[i], c)).hasMatch())
                p.decimalMark = QLatin1Char(',');
    }
    return p;
}

} // namespace zelk::bank
