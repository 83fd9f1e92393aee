#pragma once

#include "core/data/Amount.h"

#include <QByteArray>
#include <QChar>
#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <vector>

// Bank statements: the lines of a CAMT.053, OFX/QFX or CSV statement, read into one shape
// whatever the format. No widgets and no database here.
namespace zelk::bank {

enum class Format { Unknown, Camt053, Ofx, Csv };
// "CAMT.053", "OFX", "CSV".
QString formatName(Format format);

// One line of a statement as the bank booked it.
struct StatementLine {
    int number = 0;   // 1, 2, ... in the order of the file
    int fileLine = 0; // where it stands in a CSV file (0 for the other formats)
    QDate date;       // the booking date
    Amount amount;    // positive: money in (a debit of the bank account), negative: money out
    QString counterparty;
    QString iban; // the counterparty's account, when the statement gives it
    QString text;
    QString reference; // the bank's reference (AcctSvcrRef, EndToEndId, FITID, a CSV column)
    bool reversal = false;
    // What identifies the line at the bank, for finding it again in a later import: the
    // reference, or for a line without one its date, amount, text and occurrence.
    QString identity;
};

struct Statement {
    Format format = Format::Unknown;
    std::optional<Amount> opening; // the balance the statement opens with, when it says
    std::optional<Amount> closing; // the balance it closes with, when it says
    std::vector<StatementLine> lines;
};

// A file that cannot be read as a statement: not one of the formats, damaged, or not
// matching its profile. The message names the file's problem and is meant for the user.
class StatementError : public std::runtime_error {
public:
    explicit StatementError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// How a bank writes its CSV statements, saved in the books per bank account. Columns are
// named as in the file's header. The amount is one signed column, or a debit (money out)
// and a credit (money in) column, or an amount with an indicator column whose value
// `debitIndicator` marks money out.
struct CsvProfile {
    QString dateColumn;
    QString amountColumn;
    QString debitColumn;
    QString creditColumn;
    QString indicatorColumn;
    QString debitIndicator;
    QString counterpartyColumn;
    QString textColumn;
    QString referenceColumn;
    QString balanceColumn;
    QString dateFormat = QStringLiteral("yyyy-MM-dd"); // in Qt's notation
    QChar decimalMark = QLatin1Char('.');
    char separator = ','; // ',', ';' or '\t'
    bool utf8 = true;     // else Windows-1252
    int skipLines = 0;    // lines before the header
    QString prefix;       // of the numbers of the transactions its imports write

    // What is missing or contradictory, for the user; empty when the profile can be used.
    QString problem() const;
    bool operator==(const CsvProfile&) const = default;
};

// The prefix of the numbers when the profile gives none.
QString defaultPrefix(const QString& bankAccount);

// The format of a file by its content; Unknown when it is none of them.
Format detectFormat(const QByteArray& bytes);

// The readers. Each throws StatementError for a damaged file or one without lines.
Statement readCamt(const QByteArray& bytes);
Statement readOfx(const QByteArray& bytes);
// A CSV statement read as the transactions import reads a file (its records, encoding,
// amounts and dates) in the profile's layout: the encoding the profile gives, or the
// file is refused; amounts with its decimal mark; dates in the order of its date format
// (a two-digit year is the one nearest `fiscalYear`, the open fiscal year).
Statement readCsv(const QByteArray& bytes, const CsvProfile& profile, int fiscalYear);

// Reads a statement file of any of the formats (a CSV file through `profile`, which it
// then needs). Throws StatementError.
Statement readStatementFile(const QString& path, const std::optional<CsvProfile>& profile,
                            int fiscalYear);

// The first lines of a CSV file as text (for the profile editor), and a profile guessed
// from them: the separator, encoding, lines before the header, the columns by their
// header names, the date format and the decimal mark.
QStringList firstLines(const QByteArray& bytes, int count);
CsvProfile guessProfile(const QByteArray& bytes, int fiscalYear);
// The header's column names under a profile (empty when the file has no such line).
QStringList headerOf(const QByteArray& bytes, const CsvProfile& profile);

// Gives each line its identity: the reference when it has one (with "#2", "#3"... for a
// reference the file repeats), else date, amount, text and the occurrence of that
// combination in the file.
void assignIdentities(Statement& statement);

} // namespace zelk::bank
