// CSV statements in any bank's layout, through the bank account's profile. The file is
// read as the transactions import reads one: its records, encoding, amounts and dates.

#include "Statement.h"
#include "core/exchange/CsvReader.h"
#include "core/exchange/ImportFormat.h"
#include "core/shared/TextEncoding.h"

#include <QBuffer>
#include <QDateTime>
#include <functional>
#include <map>

namespace zelk::bank {

namespace {

using exchange::CsvLayout;
using exchange::CsvRecord;
using exchange::DateOrder;

// Reads the records of `bytes`: with `detect` the layout is found out on the way.
bool readRecords(const QByteArray& bytes, CsvLayout& layout, bool detect,
                 const std::function<bool(const CsvRecord&)>& onRecord) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return exchange::ReadCsvRecords(buffer, layout, detect, onRecord);
}

// The encoding the reading finds in the whole file, and the first line with a letter
// beyond ASCII (0 when there is none: then either encoding reads it alike).
struct FoundEncoding {
    CsvLayout layout;
    int beyondAscii = 0;
};
FoundEncoding encodingOf(const QByteArray& bytes) {
    FoundEncoding found;
    readRecords(bytes, found.layout, true, [&](const CsvRecord& r) {
        for (int f = 0; f < r.size() && found.beyondAscii == 0; ++f)
            for (const char c : r.bytes(f))
                if (c & 0x80) {
                    found.beyondAscii = r.line;
                    break;
                }
        return true;
    });
    return found;
}

// The records of the file under the profile's layout, the header first: the lines
// before it and blank records left out; line numbers are the file's. `onRecord`
// returns false to stop.
void profileRecords(const QByteArray& bytes, const CsvProfile& profile,
                    const std::function<bool(const CsvRecord&)>& onRecord) {
    CsvLayout layout;
    layout.utf8 = profile.utf8;
    layout.separator = profile.separator;
    readRecords(bytes, layout, false, [&](const CsvRecord& r) {
        if (r.line <= profile.skipLines)
            return true;
        for (int f = 0; f < r.size(); ++f)
            if (!r.bytes(f).trimmed().isEmpty())
                return onRecord(r);
        return true;
    });
    if (!layout.error.isEmpty())
        throw StatementError(QStringLiteral("The CSV file is damaged: line %1: %2.")
                                 .arg(layout.errorLine)
                                 .arg(layout.error));
}

QStringList headerNames(const CsvRecord& r) {
    QStringList names;
    for (int f = 0; f < r.size(); ++f)
        names << r.text(f).trimmed();
    return names;
}

QString cell(const CsvRecord& r, int column) {
    return column >= 0 ? r.text(column).trimmed() : QString();
}

// How the profile's date format is read: by the import's reading of dates in the order
// of its day, month and year (a format without separators, yyyyMMdd, cut into its parts
// first), or when the format has more than those (a weekday, a time, quoted text) by
// the format itself.
class DateReader {
public:
    DateReader(const QString& format, int fiscalYear) : m_format(format), m_year(fiscalYear) {
        struct Token {
            QChar letter;
            int width;
        };
        std::vector<Token> tokens;
        bool separated = false, anySeparated = false, anyPacked = false;
        for (qsizetype i = 0; i < format.size();) {
            const QChar c = format[i];
            if (c == u'\'' || (c.isLetter() && c != u'd' && c != u'M' && c != u'y'))
                return; // read by the format
            if (!c.isLetter()) {
                separated = true;
                ++i;
                continue;
            }
            qsizetype j = i;
            while (j < format.size() && format[j] == c)
                ++j;
            if (!tokens.empty())
                (separated ? anySeparated : anyPacked) = true;
            tokens.push_back({c, int(j - i)});
            separated = false;
            i = j;
        }
        if (tokens.size() != 3 || (anyPacked && anySeparated))
            return;
        QString letters;
        for (const Token& t : tokens) {
            letters += t.letter;
            // without separators each part has its width: dd, MM, yy or yyyy
            const bool fits = t.letter == u'y'   ? t.width == 2 || t.width == 4
                              : t.letter == u'd' ? (anyPacked ? t.width == 2 : t.width <= 2)
                                                 : (anyPacked ? t.width == 2 : t.width <= 4);
            if (!fits)
                return;
        }
        if (letters == u"yMd")
            m_order = DateOrder::YearMonthDay;
        else if (letters == u"dMy")
            m_order = DateOrder::DayMonthYear;
        else if (letters == u"Mdy")
            m_order = DateOrder::MonthDayYear;
        if (anyPacked && m_order)
            for (const Token& t : tokens)
                m_widths.push_back(t.width);
    }

    exchange::DateReading read(const QString& text) const {
        if (!m_order) {
            const QDate d = QDateTime::fromString(text, m_format).date();
            if (!d.isValid())
                return {QDate(),
                        QStringLiteral("%1 is not a date of the format %2").arg(text, m_format)};
            if (m_format.contains(QLatin1String("yyyy")))
                return {d, QString()};
            // a two-digit year: the one nearest the fiscal year
            return exchange::ReadDate(d.toString(QStringLiteral("yy-MM-dd")),
                                      DateOrder::YearMonthDay, m_year);
        }
        if (m_widths.empty())
            return exchange::ReadDate(text, *m_order, m_year);
        int length = 0;
        for (const int w : m_widths)
            length += w;
        bool digits = text.size() == length;
        for (const QChar c : text)
            digits = digits && c.isDigit();
        if (!digits)
            return {QDate(),
                    QStringLiteral("%1 is not a date of the format %2").arg(text, m_format)};
        return exchange::ReadDate(text.left(m_widths[0]) + QLatin1Char('-') +
                                      text.mid(m_widths[0], m_widths[1]) + QLatin1Char('-') +
                                      text.mid(m_widths[0] + m_widths[1]),
                                  *m_order, m_year);
    }

private:
    QString m_format;
    int m_year;
    std::optional<DateOrder> m_order;
    std::vector<int> m_widths;
};

// A date format in Qt's notation that writes `sample` in `order`: its own separators
// and widths ("31/03/2026" day-month-year: dd/MM/yyyy).
QString formatOfDate(const QString& sample, DateOrder order) {
    QStringList parts, separators;
    QString part;
    for (const QChar c : sample + QLatin1Char(' ')) {
        if (c.isLetterOrNumber() && (part.isEmpty() || c.isDigit() == part.front().isDigit())) {
            part += c;
            continue;
        }
        if (!part.isEmpty()) {
            parts << part;
            separators << QString();
            part.clear();
        }
        if (c.isLetterOrNumber())
            part = c;
        else if (!separators.isEmpty())
            separators.back() += c;
    }
    if (parts.size() != 3)
        return parts.size() == 1 && parts[0].size() == 8 ? QStringLiteral("yyyyMMdd")
                                                         : QStringLiteral("yyyy-MM-dd");
    QString letters = order == DateOrder::YearMonthDay   ? QStringLiteral("yMd")
                      : order == DateOrder::DayMonthYear ? QStringLiteral("dMy")
                                                         : QStringLiteral("Mdy");
    if (parts[0].size() == 4)
        letters = QStringLiteral("yMd"); // read so whatever the order
    // a month's name: the other two are the day and the year, the longer one first when
    // it leads (2026 Mar 31, 31 Mar 2026, Mar 31, 2026)
    if (const qsizetype named =
            std::find_if(parts.begin(), parts.end(),
                         [](const QString& p) { return !p.front().isDigit(); }) -
            parts.begin();
        named < 3) {
        const bool yearFirst = parts[named == 0 ? 1 : 0].size() > 2;
        letters = yearFirst ? QStringLiteral("yd") : QStringLiteral("dy");
        letters.insert(named, QLatin1Char('M'));
    }
    QString format;
    for (int i = 0; i < 3; ++i) {
        const bool named = !parts[i].front().isDigit();
        const QChar letter = letters[i];
        const int width = named            ? (parts[i].size() > 3 ? 4 : 3)
                          : letter == u'y' ? (parts[i].size() > 2 ? 4 : 2)
                                           : int(qMin(parts[i].size(), qsizetype(2)));
        format += QString(width, letter) + (i < 2 ? separators[i] : QString());
    }
    return format;
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

Statement readCsv(const QByteArray& bytes, const CsvProfile& profile, int fiscalYear) {
    if (const QString p = profile.problem(); !p.isEmpty())
        throw StatementError(p);
    const FoundEncoding found = encodingOf(bytes);
    if (found.layout.notUtf8Line > 0)
        throw StatementError(QStringLiteral("The file is not of one encoding: line %1 is not "
                                            "UTF-8, unlike the rest of the file.")
                                 .arg(found.layout.notUtf8Line));
    if (found.beyondAscii > 0 && found.layout.utf8 != profile.utf8)
        throw StatementError(
            (profile.utf8 ? QStringLiteral("The file is not UTF-8 text as its profile says, "
                                           "but Windows-1252 (line %1).")
                          : QStringLiteral("The file is UTF-8 text, but its profile says "
                                           "Windows-1252 (line %1)."))
                .arg(found.beyondAscii) +
            QStringLiteral(" Change the profile's encoding."));

    Statement out;
    out.format = Format::Csv;
    QStringList names, problems;
    QString missing; // a column of the profile the header lacks
    int headerLine = 0;
    std::vector<int> columns;
    const DateReader dates(profile.dateFormat, fiscalYear);
    const char mark = profile.decimalMark.toLatin1();
    std::vector<Amount> balances;
    // An empty cell is no money; a value that does not fit the decimal mark is refused.
    auto amountIn = [&](const CsvRecord& r, int c, Amount& into) {
        const QString t = cell(r, c);
        into = Amount();
        if (t.isEmpty())
            return true;
        const exchange::AmountReading a = exchange::ReadAmount(t, mark);
        if (!a.amount) {
            problems << QStringLiteral("line %1: %2").arg(r.line).arg(a.error);
            return false;
        }
        into = *a.amount;
        return true;
    };
    enum { Date, AmountCol, Debit, Credit, Indicator, Party, Text, Ref, Balance };
    profileRecords(bytes, profile, [&](const CsvRecord& r) {
        if (headerLine == 0) {
            headerLine = r.line;
            names = headerNames(r);
            for (const QString& name :
                 {profile.dateColumn, profile.amountColumn, profile.debitColumn,
                  profile.creditColumn, profile.indicatorColumn, profile.counterpartyColumn,
                  profile.textColumn, profile.referenceColumn, profile.balanceColumn}) {
                int found = -1;
                for (qsizetype i = 0; i < names.size() && !name.isEmpty() && found < 0; ++i)
                    if (names[i].compare(name.trimmed(), Qt::CaseInsensitive) == 0)
                        found = int(i);
                if (!name.isEmpty() && found < 0) {
                    missing = QStringLiteral("The column %1 of the profile is not in the file's "
                                             "header (line %2: %3).")
                                  .arg(name)
                                  .arg(r.line)
                                  .arg(names.join(QStringLiteral(", ")));
                    return false;
                }
                columns.push_back(found);
            }
            return true;
        }
        StatementLine l;
        l.fileLine = r.line;
        const exchange::DateReading date = dates.read(cell(r, columns[Date]));
        if (!date.date.isValid()) {
            problems << QStringLiteral("line %1: %2").arg(r.line).arg(date.error);
            return problems.size() < 10;
        }
        l.date = date.date;
        bool read = true;
        if (columns[AmountCol] >= 0) {
            read = amountIn(r, columns[AmountCol], l.amount);
            if (columns[Indicator] >= 0)
                l.amount =
                    cell(r, columns[Indicator])
                                .compare(profile.debitIndicator.trimmed(), Qt::CaseInsensitive) == 0
                        ? -l.amount.abs()
                        : l.amount.abs();
        } else {
            Amount debit, credit;
            read = amountIn(r, columns[Debit], debit) && amountIn(r, columns[Credit], credit);
            l.amount = credit.abs() - debit.abs();
        }
        Amount balance;
        if (read && columns[Balance] >= 0 && !cell(r, columns[Balance]).isEmpty()) {
            read = amountIn(r, columns[Balance], balance);
            balances.push_back(balance);
        }
        if (!read)
            return problems.size() < 10;
        l.counterparty = cell(r, columns[Party]).simplified();
        l.text = cell(r, columns[Text]).simplified();
        l.reference = cell(r, columns[Ref]);
        l.number = int(out.lines.size()) + 1;
        out.lines.push_back(l);
        return true;
    });
    if (!missing.isEmpty())
        throw StatementError(missing);
    if (headerLine == 0)
        throw StatementError(QStringLiteral("The CSV file has no header line after the %1 "
                                            "line(s) to skip.")
                                 .arg(profile.skipLines));
    if (!problems.isEmpty())
        throw StatementError(QStringLiteral("The CSV file does not match its profile:\n") +
                             problems.join(QLatin1Char('\n')));
    // The running balance, when every line has one: after the latest line, whichever way
    // the file is ordered.
    if (!out.lines.empty() && balances.size() == out.lines.size()) {
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
    QByteArray head = bytes.left(64 * 1024);
    CsvLayout found;
    readRecords(head, found, true, [](const CsvRecord&) { return true; });
    if (head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    const QString text = found.utf8 ? QString::fromUtf8(head) : FromWindows1252(head);
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > count)
        lines = lines.mid(0, count);
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    return lines;
}

QStringList headerOf(const QByteArray& bytes, const CsvProfile& profile) {
    QStringList names;
    try {
        profileRecords(bytes, profile, [&](const CsvRecord& r) {
            names = headerNames(r);
            return false;
        });
    } catch (const StatementError&) {
    }
    return names;
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
            if (names[i].compare(QString::fromUtf8(w), Qt::CaseInsensitive) == 0)
                return int(i);
    for (const char* w : words)
        for (qsizetype i = 0; i < names.size(); ++i)
            if (names[i].contains(QString::fromUtf8(w), Qt::CaseInsensitive))
                return int(i);
    return -1;
}

} // namespace

CsvProfile guessProfile(const QByteArray& bytes, int fiscalYear) {
    CsvProfile p;
    p.utf8 = encodingOf(bytes).layout.utf8;
    const QStringList lines = firstLines(bytes, 40);
    // The separator whose count is the same on most lines; the header is the first line
    // with that count (a bank may write a few lines of its own before it).
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
    // The header, and the first thousand records' values.
    QStringList names;
    std::vector<QStringList> records;
    try {
        profileRecords(bytes, p, [&](const CsvRecord& r) {
            if (names.isEmpty())
                names = headerNames(r);
            else
                records.push_back(r.texts());
            return records.size() < 1000;
        });
    } catch (const StatementError&) {
        return p;
    }
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
    // The decimal mark and the date order the values tell, as the transactions import
    // decides them; the date format writes them as the file's first date is written.
    exchange::FormatVotes votes;
    const int cDate = int(names.indexOf(p.dateColumn));
    QString sample;
    for (const QStringList& r : records) {
        for (const QString& name : {p.amountColumn, p.debitColumn, p.creditColumn, p.balanceColumn})
            if (const qsizetype c = name.isEmpty() ? -1 : names.indexOf(name);
                c >= 0 && c < r.size() && !r[c].trimmed().isEmpty())
                votes.amount(r[c].trimmed());
        if (cDate >= 0 && cDate < r.size() && !r[cDate].trimmed().isEmpty()) {
            votes.date(r[cDate].trimmed(), fiscalYear);
            if (sample.isEmpty())
                sample = r[cDate].trimmed();
        }
    }
    exchange::ChoiceSource source;
    p.decimalMark = QLatin1Char(votes.decimalMark(QLocale(), &source));
    if (!sample.isEmpty())
        p.dateFormat = formatOfDate(sample, votes.dateOrder(QLocale(), &source));
    return p;
}

} // namespace zelk::bank
