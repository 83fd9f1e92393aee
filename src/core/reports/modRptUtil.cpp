#include "modRptUtil.h"

#include "core/data/Connection.h"
#include "core/data/Errors.h"
#include "core/data/FiscalCalendar.h"
#include "core/data/UserPorts.h"
#include "core/data/modDBUtil.h"
#include "core/data/modUtils.h"
#include "core/shared/TextEncoding.h"

#include <QDir>
#include <cerrno>
#include <cstring>

namespace modRptUtil {

using zelk::forEachCodePoint;
using zelk::Windows1252Byte;

namespace {

bool isControl(char32_t c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F);
}

void appendUnicodeEscape(QString& out, char16_t unit) {
    out += QLatin1String("\\u");
    out += QString::number(std::int16_t(unit));
    out += QLatin1Char('?');
}

} // namespace

namespace {
// Why a write failed: the system's word for it ("No space left on device"), where Qt
// has only "Unknown error".
QString failureReason(const QFile& file) {
    return errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString();
}

QString fileErrorText(const QString& path, const QString& reason) {
    return QStringLiteral("The report file %1 could not be written: %2").arg(path, reason);
}
} // namespace

ReportFileError::ReportFileError(const QString& path, const QString& reason)
    : std::runtime_error(fileErrorText(path, reason).toStdString()), m_path(path),
      m_reason(reason) {}

QString ReportFileError::message() const {
    return fileErrorText(m_path, m_reason);
}

ReportFile::ReportFile(const QString& path, zelk::TableRows* data)
    : m_path(path), m_file(path), m_data(data) {
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw ReportFileError(QDir::toNativeSeparators(path), m_file.errorString());
}

ReportFile::~ReportFile() {
    m_file.close();
}

void ReportFile::WriteLine(const QString& line) {
    QByteArray bytes;
    bytes.reserve(line.size() + 2);
    for (QChar c : line) {
        const int b = Windows1252Byte(c.unicode());
        if (b >= 0) {
            bytes += char(b);
        } else {
            QString escape;
            appendUnicodeEscape(escape, c.unicode());
            bytes += escape.toLatin1();
        }
    }
    bytes += "\r\n";
    errno = 0;
    if (m_file.write(bytes) != bytes.size() || !m_file.flush())
        throw ReportFileError(QDir::toNativeSeparators(m_path), failureReason(m_file));
}

void ReportFile::Close() {
    if (!m_file.isOpen())
        return;
    startData();
    errno = 0;
    const bool flushed = m_file.flush();
    const QString reason = failureReason(m_file);
    m_file.close();
    if (!flushed || m_file.error() != QFileDevice::NoError)
        throw ReportFileError(QDir::toNativeSeparators(m_path), reason);
}

void ReportFile::setDataTitle(const QString& title) {
    m_title = title;
}

void ReportFile::setDataHeader(const QStringList& captions) {
    m_header = captions;
}

void ReportFile::setRowContext(std::vector<zelk::Cell> cells) {
    m_context = std::move(cells);
}

void ReportFile::startData() {
    if (m_data && !m_started && !m_header.isEmpty())
        m_data->start(m_title, m_header);
    m_started = true;
}

void ReportFile::addDataRow(std::vector<zelk::Cell> cells, bool total) {
    if (!m_data)
        return;
    startData();
    std::vector<zelk::Cell> row = m_context;
    row.insert(row.end(), std::make_move_iterator(cells.begin()),
               std::make_move_iterator(cells.end()));
    m_data->row(row, total);
}

QString ReportFilePath() {
    return QDir(zelk::reportFolder()).filePath(QStringLiteral("temp.txt"));
}

QString RtfText(const QString& value) {
    QString out;
    out.reserve(value.size() + 8);
    forEachCodePoint(value, [&](char32_t c, qsizetype at, int units) {
        if (c == U'\\' || c == U'{' || c == U'}') {
            out += QLatin1Char('\\');
            out += QChar(char16_t(c));
        } else if (isControl(c)) {
            out += QLatin1Char(' ');
        } else if (Windows1252Byte(c) >= 0) {
            out += QChar(char16_t(c));
        } else {
            for (int k = 0; k < units; ++k)
                appendUnicodeEscape(out, value[at + k].unicode());
        }
    });
    return out;
}

QString RtfBold(const QString& Text) {
    return QLatin1String("\\b ") + Text + QLatin1String("\\b0");
}

QString RtfItalic(const QString& Text) {
    return QLatin1String("\\i ") + Text + QLatin1String("\\i0");
}

QString RtfFontSize(std::int16_t Size, const QString& Text) {
    const int halfPoints = int(Size) * 2;
    if (halfPoints > 32767 || halfPoints < -32768)
        throw zelk::Overflow();
    return QLatin1String("\\fs") + QString::number(halfPoints) + QLatin1Char(' ') + Text;
}

QString RtfPar(const QString& Text) {
    return Text + QLatin1String("\\par");
}

void WriteRtfHeader(ReportFile& Stream) {
    Stream.WriteLine(QStringLiteral("{\\rtf\\ansi\\deff0\\deflang1033{\\fonttbl{"
                                    "\\f0\\fmodern\\fprq1\\fcharset0 Courier New;}}"));
    Stream.WriteLine(QStringLiteral("\\pard\\b\\f0\\"));
}

void WriteCompanyHeader(ReportFile& Stream, const zelk::CompanyRow& company) {
    Stream.WriteLine(RtfPar(RtfFontSize(26, RtfBold(RtfText(company.Name)))));
    Stream.WriteLine(RtfPar(RtfFontSize(10, RtfText(company.Address))));
    Stream.WriteLine(RtfPar(RtfFontSize(8, QLatin1String("Phone: ") + RtfText(company.Phone))));
    Stream.WriteLine(RtfPar(QLatin1String("Fax  : ") + RtfText(company.Fax)));
    Stream.WriteLine(RtfPar(QLatin1String("eMail: ") + RtfText(company.Email)));
}

void WriteRtfFooter(ReportFile& Stream) {
    Stream.WriteLine(QStringLiteral("}"));
}

void WriteRule(ReportFile& Stream, bool Double) {
    Stream.WriteLine(QString(80, Double ? QLatin1Char('=') : QLatin1Char('-')));
}

void WritePar(ReportFile& Stream) {
    Stream.WriteLine(RtfPar(QString()));
}

qsizetype VisibleLength(const QString& text) {
    qsizetype n = 0;
    forEachCodePoint(text, [&](char32_t, qsizetype, int) { ++n; });
    return n;
}

QStringList SplitVisible(const QString& text, int width) {
    if (width <= 0)
        throw zelk::TypeMismatch(QString::number(width));
    QStringList pieces;
    if (text.isEmpty()) {
        pieces << QString();
        return pieces;
    }
    qsizetype start = 0;
    int count = 0;
    forEachCodePoint(text, [&](char32_t, qsizetype at, int) {
        if (count == width) {
            pieces << text.mid(start, at - start);
            start = at;
            count = 0;
        }
        ++count;
    });
    pieces << text.mid(start);
    return pieces;
}

QString PadRight(const QString& text, int width) {
    const qsizetype n = VisibleLength(text);
    return n >= width ? text : text + QString(width - n, QLatin1Char(' '));
}

QString PadLeft(const QString& text, int width) {
    const qsizetype n = VisibleLength(text);
    return n >= width ? text : QString(width - n, QLatin1Char(' ')) + text;
}

QStringList ColumnRowLines(const std::vector<RowCell>& cells, const QString& separator) {
    std::vector<QStringList> pieces;
    std::vector<double> upperBounds;
    pieces.reserve(cells.size());
    for (const RowCell& cell : cells) {
        if (cell.kind == RowCell::Text)
            pieces.push_back(SplitVisible(cell.text, cell.width));
        else
            pieces.push_back(QStringList{cell.amount.formatStandard()});
        upperBounds.push_back(double(pieces.back().size() - 1));
    }
    const auto r = std::int16_t(modUtils::MaxOf(upperBounds));
    QStringList lines;
    for (int i = 0; i <= r; ++i) {
        QString line;
        for (size_t c = 0; c < cells.size(); ++c) {
            if (c > 0)
                line += separator;
            const QString piece = i < pieces[c].size() ? pieces[c][i] : QString();
            line += RtfText(cells[c].kind == RowCell::Text ? PadRight(piece, cells[c].width)
                                                           : PadLeft(piece, cells[c].width));
        }
        lines << line;
    }
    return lines;
}

void WriteColumnRow(ReportFile& Stream, const std::vector<RowCell>& cells,
                    const QString& separator) {
    for (const QString& line : ColumnRowLines(cells, separator)) {
        Stream.WriteLine(line);
        WritePar(Stream);
    }
}

const QString ColumnHeader =
    QStringLiteral("  Account No  |          Account Name            |     Debit    |    Credit");

void WriteAccountRow(ReportFile& Stream, const QString& AccountNo, const QString& AccountName,
                     zelk::Amount Debit, zelk::Amount Credit) {
    using zelk::moneyCell;
    using zelk::textCell;
    WriteColumnRow(Stream,
                   {TextCell(AccountNo, 14), TextCell(AccountName, 34), AmountCell(Debit, 14),
                    AmountCell(Credit, 14)},
                   QStringLiteral("|"));
    Stream.addDataRow(
        {textCell(AccountNo), textCell(AccountName), moneyCell(Debit), moneyCell(Credit)});
}

void WriteStatementRow(ReportFile& Stream, const QString& AccountNo, const QString& AccountName,
                       zelk::Amount value) {
    using zelk::moneyCell;
    using zelk::textCell;
    WriteColumnRow(Stream,
                   {TextCell(AccountNo, 14), TextCell(AccountName, 44), AmountCell(value, 20)},
                   QStringLiteral(" "));
    Stream.addDataRow({textCell(AccountNo), textCell(AccountName), moneyCell(value)});
}

void WriteDebitCreditTotals(ReportFile& Stream, zelk::Amount debits, zelk::Amount credits) {
    using zelk::moneyCell;
    using zelk::textCell;
    WriteRule(Stream, false);
    WritePar(Stream);
    Stream.WriteLine(QStringLiteral("Debits : ") + debits.formatStandard());
    WritePar(Stream);
    Stream.WriteLine(QStringLiteral("Credits: ") + credits.formatStandard());
    WritePar(Stream);
    WriteRule(Stream, false);
    WritePar(Stream);
    Stream.addDataRow({textCell(QString()), textCell(QStringLiteral("Total")), moneyCell(debits),
                       moneyCell(credits)},
                      true);
}

void WriteSectionTotal(ReportFile& Stream, const QString& label, zelk::Amount sum) {
    using zelk::moneyCell;
    using zelk::textCell;
    WriteRule(Stream, false);
    WritePar(Stream);
    Stream.WriteLine(RtfItalic(label + sum.formatStandard()));
    WritePar(Stream);
    WriteRule(Stream, false);
    WritePar(Stream);
    QString caption = label.trimmed();
    if (caption.endsWith(QLatin1Char(':')))
        caption = caption.chopped(1).trimmed();
    Stream.addDataRow({textCell(QString()), textCell(caption), moneyCell(sum)}, true);
}

QString PeriodText(int period, int month, int fiscalYear, int financialPeriodBegin) {
    const int year = zelk::fiscal::calendarYearOfMonth(financialPeriodBegin, fiscalYear, month);
    return QStringLiteral("Period: %1 (%2 %3)")
        .arg(period)
        .arg(zelk::fiscal::monthName(month))
        .arg(year, 4, 10, QLatin1Char('0'));
}

QString MediumDate(const QDate& d) {
    static const char* const abbreviations[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (!d.isValid())
        return QString();
    return QStringLiteral("%1-%2-%3")
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(abbreviations[d.month() - 1]))
        .arg(d.year(), 4, 10, QLatin1Char('0'));
}

QString TitleLine(const QString& title) {
    return RtfBold(RtfFontSize(14, QString()) + RtfText(title));
}

void WriteReportOpening(ReportFile& Stream, const zelk::CompanyRow& company, const QString& title) {
    Stream.setDataTitle(title);
    WriteRtfHeader(Stream);
    WriteCompanyHeader(Stream, company);
    Stream.WriteLine(RtfFontSize(9, QString()));
    WriteRule(Stream, true);
    WritePar(Stream);
    Stream.WriteLine(TitleLine(title));
    WritePar(Stream);
}

void WritePeriodLine(ReportFile& Stream, int period, int month, int fiscalYear,
                     int financialPeriodBegin) {
    Stream.WriteLine(RtfFontSize(9, QString()) +
                     PeriodText(period, month, fiscalYear, financialPeriodBegin));
    WritePar(Stream);
}

QString NotClosedText(const QStringList& months) {
    if (months.isEmpty())
        return QString();
    return QStringLiteral("Not closed by End Month: ") + months.join(QStringLiteral(", ")) +
           QLatin1Char('.');
}

void WriteNotClosedLine(ReportFile& Stream, const QStringList& months) {
    if (months.isEmpty())
        return;
    Stream.WriteLine(NotClosedText(months));
    WritePar(Stream);
}

} // namespace modRptUtil
