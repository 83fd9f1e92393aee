#pragma once

#include "core/data/Amount.h"
#include "core/shared/DataTable.h"

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace zelk {
class Connection;
struct CompanyRow;
} // namespace zelk

// The report text builder: every report is an RTF document written one line at a time
// into the report file "temp.txt" in the program folder (Windows-1252 bytes, CR LF).
// Markup is written as it stands; data values (names, titles, descriptions, company
// fields) go through RtfText, so no value can break the document or be lost.
namespace modRptUtil {

// The report file cannot be created or written. The message names the file and the reason.
class ReportFileError : public std::runtime_error {
public:
    ReportFileError(const QString& path, const QString& reason);
    const QString& path() const { return m_path; }
    const QString& reason() const { return m_reason; }
    // "The report file <path> could not be written: <reason>"
    QString message() const;

private:
    QString m_path;
    QString m_reason;
};

// The open report file: created anew (an existing file is overwritten); each line goes
// to the disk as soon as it is written. Characters are written as Windows-1252 bytes;
// a character outside that code page is written as \uN? so that nothing is lost.
//
// Beside the text, a report may hand its figures on as data (`data`, not owned: a table
// in memory or a file written as the rows come): the writers of account rows, statement
// rows and totals add one typed row each, after the cells of the current context (the
// section, the transaction) that the build sets. The data starts with the first row, or
// at Close when there is none.
class ReportFile {
public:
    // Creates the file; throws ReportFileError when it cannot.
    explicit ReportFile(const QString& path, zelk::TableRows* data = nullptr);
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // Writes the line and CR LF; throws ReportFileError when the write fails.
    void WriteLine(const QString& line);
    void Close();
    const QString& path() const { return m_path; }

    // The collected figures: the column captions, the cells that open every following
    // row, and one row (a total row in bold in a workbook). Nothing without `data`.
    void setDataTitle(const QString& title);
    void setDataHeader(const QStringList& captions);
    void setRowContext(std::vector<zelk::Cell> cells);
    void addDataRow(std::vector<zelk::Cell> cells, bool total = false);

private:
    void startData();

    QString m_path;
    QFile m_file;
    zelk::TableRows* m_data;
    QString m_title;
    QStringList m_header;
    bool m_started = false;
    std::vector<zelk::Cell> m_context;
};

// The report file's path: the program folder joined with "temp.txt".
QString ReportFilePath();

// A data value made safe for the document: \ { } become \\ \{ \}, a character outside
// Windows-1252 becomes \uN? (N the signed 16-bit code unit), and a control character
// (line break, tab, ...) a blank. Applied after splitting and padding, so widths count
// the characters the reader sees.
QString RtfText(const QString& value);

// Markup.
QString RtfBold(const QString& Text);                        // "\b " + Text + "\b0"
QString RtfItalic(const QString& Text);                      // "\i " + Text + "\i0"
QString RtfFontSize(std::int16_t Size, const QString& Text); // "\fs" + 2*Size + " " + Text
QString RtfPar(const QString& Text);                         // Text + "\par"

void WriteRtfHeader(ReportFile& Stream);
// The five lines of the company block.
void WriteCompanyHeader(ReportFile& Stream, const zelk::CompanyRow& company);
void WriteRtfFooter(ReportFile& Stream);
// 80 "=" (Double) or 80 "-", without a paragraph mark.
void WriteRule(ReportFile& Stream, bool Double);
// A paragraph mark on a line of its own.
void WritePar(ReportFile& Stream);

// Visible characters: a character outside the 16-bit range counts once.
qsizetype VisibleLength(const QString& text);
// The text cut into consecutive pieces of `width` visible characters (the last one
// shorter); an empty text gives one empty piece. A character is never cut in two.
QStringList SplitVisible(const QString& text, int width);
// Padded with blanks on the right (left-aligned) or on the left (right-aligned) to
// `width` visible characters; a longer text is kept whole.
QString PadRight(const QString& text, int width);
QString PadLeft(const QString& text, int width);

// One cell of a wrapped report row.
struct RowCell {
    enum Kind { Text, Amount };
    Kind kind = Text;
    QString text;          // Text: the value, wrapped onto further lines when too long
    zelk::Amount amount{}; // Amount: formatted "##,##0.00", right-aligned, never cut
    int width = 0;
};
inline RowCell TextCell(const QString& value, int width) {
    return {RowCell::Text, value, {}, width};
}
inline RowCell AmountCell(zelk::Amount value, int width) {
    return {RowCell::Amount, {}, value, width};
}

// The lines of one wrapped row, escaped and ready to write. A text cell is cut into
// pieces of its width, piece i left-aligned in line i; an amount is formatted whole on
// the first line, right-aligned, and when it is wider than its cell the cell grows for
// that line. Cells of a line that no piece reaches are blank. Cells are joined by
// `separator` ("|" in the tabular reports, " " in the statements).
QStringList ColumnRowLines(const std::vector<RowCell>& cells, const QString& separator);
// Writes each line of the row followed by a "\par" line.
void WriteColumnRow(ReportFile& Stream, const std::vector<RowCell>& cells,
                    const QString& separator);

// The header line of the four-column table.
extern const QString ColumnHeader;
// The four-column row of the tabular reports: 14 | 34 | 14 | 14. Its data row: the
// context, number, name, debit, credit.
void WriteAccountRow(ReportFile& Stream, const QString& AccountNo, const QString& AccountName,
                     zelk::Amount Debit, zelk::Amount Credit);
// The three-cell row of the statements: 14, 44 and 20 characters joined by blanks. Its
// data row: the context, number, name, value.
void WriteStatementRow(ReportFile& Stream, const QString& AccountNo, const QString& AccountName,
                       zelk::Amount value);
// The sums under a table: a rule, "Debits : d", "Credits: c", a rule. Its data row (a
// total): the context, an empty number, "Total", the debits, the credits.
void WriteDebitCreditTotals(ReportFile& Stream, zelk::Amount debits, zelk::Amount credits);
// The total of a statement's section: a rule, the label and the sum in italics, a rule.
// Its data row (a total): the context, an empty number, the label without its colon,
// the sum.
void WriteSectionTotal(ReportFile& Stream, const QString& label, zelk::Amount sum);

// "Period: p (Month yyyy)": the month's calendar year is the fiscal year when the month
// is not before the fiscal year's first month, else the year after.
QString PeriodText(int period, int month, int fiscalYear, int financialPeriodBegin);
// A date as dd-MMM-yyyy with English month abbreviations (01-Apr-2004), whatever the locale.
QString MediumDate(const QDate& d);

// The title line: bold, 14 points, then the title.
QString TitleLine(const QString& title);

// How every report opens: the RTF header, the company block, the 9-point size line, a
// double rule, the title line, each followed by its paragraph mark.
void WriteReportOpening(ReportFile& Stream, const zelk::CompanyRow& company, const QString& title);
// The 9-point period line and its paragraph mark.
void WritePeriodLine(ReportFile& Stream, int period, int month, int fiscalYear,
                     int financialPeriodBegin);
// "Not closed by End Month: May 2004, June 2004." naming the months whose posted
// transactions End Month has not yet closed (MonthFigures::notEnded); empty text when none.
QString NotClosedText(const QStringList& months);
// That text and its paragraph mark, when there is one.
void WriteNotClosedLine(ReportFile& Stream, const QStringList& months);

} // namespace modRptUtil
