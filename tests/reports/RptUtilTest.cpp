#include "core/data/Errors.h"
#include "core/reports/modRptUtil.h"
#include "core/shared/TextEncoding.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace modRptUtil;
using namespace zelk;
using zelk::Amount;

namespace {

Amount money(const char* text) {
    return *Amount::parse(QString::fromLatin1(text));
}

} // namespace

// Data values cannot open or close groups or start control words, and every letter
// survives: in the code page as its byte, outside it as \uN? (signed 16-bit N).
TEST(RtfMarkup, DataValuesAreEscaped) {
    const std::pair<QString, QString> cases[] = {
        {"plain text, 100% 'quoted' \"double\"", "plain text, 100% 'quoted' \"double\""},
        {"a\\b{c}d", "a\\\\b\\{c\\}d"},
        {"\\par", "\\\\par"},
        {"é–€ŸÿÀ", "é–€ŸÿÀ"},
        {"Łódź", "\\u321?ód\\u378?"},
        {"Дом", "\\u1044?\\u1086?\\u1084?"},
        {"！", "\\u-255?"},           // above 32767 the number is negative
        {"𝄞", "\\u-10188?\\u-8930?"}, // beyond 16 bits: its two surrogates
        {"a\r\nb\tc", "a  b c"},      // line breaks and tabs would break the layout
    };
    for (const auto& [value, escaped] : cases)
        EXPECT_EQ(RtfText(value), escaped) << value.toStdString();
    EXPECT_EQ(TitleLine("A {b}"), "\\b \\fs28 A \\{b\\}\\b0");
    EXPECT_EQ(RtfFontSize(16383, ""), "\\fs32766 "); // twice the size fits in 16 bits
    EXPECT_THROW(RtfFontSize(16384, ""), zelk::Overflow);
}

TEST(RtfMarkup, Windows1252Table) {
    EXPECT_EQ(Windows1252Byte(U'\u0080'), -1); // a C1 control has no byte
    for (int b = 0; b < 256; ++b) {
        const char32_t c = Windows1252Char(static_cast<unsigned char>(b));
        const bool unused = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        EXPECT_EQ(c == 0xFFFD, unused) << b;
        if (!unused) {
            EXPECT_EQ(Windows1252Byte(c), b) << b;
        }
    }
}

// Lines are Windows-1252 with CR LF; a new report replaces the old one whole; a file that
// cannot be created names its path and the reason.
TEST(ReportFileWriting, LinesAreWindows1252WithCrLf) {
    QTemporaryDir dir;
    const QString path = dir.filePath("temp.txt");
    for (const char* first : {"first report, a rather long line", "Caf\u00e9 \u2013 \u20ac"}) {
        ReportFile f(path);
        f.WriteLine(QString::fromUtf8(first));
        f.WriteLine("");
        f.WriteLine(QString::fromUtf8("\u0141")); // unescaped, still not lost
        f.Close();
    }
    EXPECT_EQ(readFile(path), QByteArray("Caf\xE9 \x96 \x80\r\n\r\n\\u321?\r\n"));

    ASSERT_TRUE(QDir(dir.path()).mkdir("folder")); // a folder where the file should be
    const QString folder = dir.filePath("folder");
    try {
        ReportFile f(folder);
        FAIL() << "a folder was opened as the report file";
    } catch (const ReportFileError& e) {
        EXPECT_EQ(e.path(), QDir::toNativeSeparators(folder));
        EXPECT_FALSE(e.reason().isEmpty());
        EXPECT_TRUE(e.message().contains(e.reason()));
    }
}

TEST(Wrapping, SplitVisible) {
    EXPECT_EQ(SplitVisible("abcdefghij", 4), (QStringList{"abcd", "efgh", "ij"}));
    EXPECT_EQ(SplitVisible("abcdefgh", 4), (QStringList{"abcd", "efgh"}));
    EXPECT_EQ(SplitVisible("", 14), QStringList{QString()});
    EXPECT_EQ(SplitVisible("  a  ", 2), (QStringList{"  ", "a ", " "})); // never trimmed
    // A character beyond 16 bits counts once and is never cut in two.
    const QString clef = QString::fromUtf8("𝄞");
    EXPECT_EQ(SplitVisible("a" + clef + "bc", 2), (QStringList{"a" + clef, "bc"}));
    EXPECT_EQ(VisibleLength("a" + clef), 2);
    EXPECT_EQ(PadRight("a" + clef, 4), "a" + clef + "  ");
    EXPECT_EQ(PadLeft("abc", 5) + PadLeft("abcdef", 5), "  abcabcdef"); // a long one kept whole
}

// The four-column row: 14 | 34 | 14 | 14 (the fixture's reports show wrapped names and
// numbers and a cell grown by a wide amount).
TEST(Wrapping, ColumnRows) {
    const QString blank14(14, ' '), blank34(34, ' ');
    const auto row = [](const QString& no, const QString& name, Amount debit, Amount credit) {
        return ColumnRowLines(
            {TextCell(no, 14), TextCell(name, 34), AmountCell(debit, 14), AmountCell(credit, 14)},
            "|");
    };
    // Empty cells print one line.
    EXPECT_EQ(row("", "", {}, {}), QStringList{blank14 + "|" + blank34 + "|" + QString(10, ' ') +
                                               "0.00|" + QString(10, ' ') + "0.00"});
    // Seventeen digits: longer than any cell, and still whole on one line.
    EXPECT_EQ(row("1", "", {}, money("-12345678901234.5678")),
              QStringList{"1             |" + blank34 + "|          0.00|-12,345,678,901,234.57"});
    // Escaping comes after splitting and padding: the cell holds 34 visible characters.
    EXPECT_EQ(
        row("1", QString::fromUtf8("{Łódź} \\ ") + QString(25, 'x') + "{}", {}, money("1")),
        (QStringList{"1             |\\{\\u321?ód\\u378?\\} \\\\ " + QString(25, 'x') +
                         "|          0.00|          1.00",
                     blank14 + "|\\{\\}" + QString(32, ' ') + "|" + blank14 + "|" + blank14}));
}

TEST(ReportLines, PeriodLineAndDates) {
    // A fiscal year 2004 starting in April: April to December fall in 2004, January to
    // March in 2005.
    EXPECT_EQ(PeriodText(1, 4, 2004, 4), "Period: 1 (April 2004)");
    EXPECT_EQ(PeriodText(9, 12, 2004, 4), "Period: 9 (December 2004)");
    EXPECT_EQ(PeriodText(10, 1, 2004, 4), "Period: 10 (January 2005)");
    EXPECT_EQ(PeriodText(12, 3, 2004, 4), "Period: 12 (March 2005)");
    EXPECT_EQ(PeriodText(12, 12, 2004, 1), "Period: 12 (December 2004)");
    // Dates are English whatever the locale.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(MediumDate(QDate(2004, 12, 31)), "31-Dec-2004");
    EXPECT_EQ(MediumDate(QDate(2005, 5, 9)), "09-May-2005");
    QLocale::setDefault(QLocale::c());
}
