#include "data/Errors.h"
#include "data/UserPorts.h"
#include "data/modDBUtil.h"
#include "reports/modRptUtil.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace modRptUtil;
using zelk::Amount;

namespace {

Amount money(const char* text) {
    return *Amount::parse(QString::fromLatin1(text));
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// Writes with `body` into a report file of its own and returns the bytes.
template <class F>
QByteArray written(F body) {
    QTemporaryDir dir;
    const QString path = dir.filePath("temp.txt");
    {
        ReportFile file(path);
        body(file);
        file.Close();
    }
    return readAll(path);
}

} // namespace

TEST(RtfMarkup, WordsAndTheirBlanks) {
    EXPECT_EQ(RtfBold("X"), "\\b X\\b0");
    EXPECT_EQ(RtfItalic("Revenues  : 1.00"), "\\i Revenues  : 1.00\\i0");
    EXPECT_EQ(RtfFontSize(9, ""), "\\fs18 ");
    EXPECT_EQ(RtfFontSize(26, RtfBold("X")), "\\fs52 \\b X\\b0");
    EXPECT_EQ(RtfFontSize(14, "T"), "\\fs28 T");
    EXPECT_EQ(RtfPar(""), "\\par");
    EXPECT_EQ(RtfPar("a"), "a\\par");
    EXPECT_EQ(TitleLine("Trial Balance"), "\\b \\fs28 Trial Balance\\b0");
    EXPECT_EQ(TitleLine("A {b}"), "\\b \\fs28 A \\{b\\}\\b0");
    // Twice the size must fit in 16 bits.
    EXPECT_EQ(RtfFontSize(16383, ""), "\\fs32766 ");
    EXPECT_THROW(RtfFontSize(16384, ""), zelk::Overflow);
}

// Data values cannot open or close groups or start control words, and every letter
// survives: in the code page as its byte, outside it as \uN? (signed 16-bit N).
TEST(RtfMarkup, DataValuesAreEscaped) {
    EXPECT_EQ(RtfText("plain text, 100% 'quoted' \"double\""),
              "plain text, 100% 'quoted' \"double\"");
    EXPECT_EQ(RtfText("a\\b{c}d"), "a\\\\b\\{c\\}d");
    EXPECT_EQ(RtfText("\\par"), "\\\\par");
    EXPECT_EQ(RtfText(QString::fromUtf8("é–€ŸÿÀ")), QString::fromUtf8("é–€ŸÿÀ"));
    EXPECT_EQ(RtfText(QString::fromUtf8("Łódź")), QString::fromUtf8("\\u321?ód\\u378?"));
    EXPECT_EQ(RtfText(QString::fromUtf8("Дом")), "\\u1044?\\u1086?\\u1084?");
    // Above 32767 the number is negative: U+FF01 is 65281 - 65536.
    EXPECT_EQ(RtfText(QString::fromUtf8("！")), "\\u-255?");
    // A character beyond 16 bits is its two surrogates: U+1D11E = D834 DD1E.
    EXPECT_EQ(RtfText(QString::fromUtf8("𝄞")), "\\u-10188?\\u-8930?");
    // Line breaks and tabs inside a value would vanish or break the layout: blanks.
    EXPECT_EQ(RtfText("a\r\nb\tc"), "a  b c");
    EXPECT_EQ(RtfText(""), "");
}

TEST(RtfMarkup, Windows1252Table) {
    EXPECT_EQ(Windows1252Byte(U'A'), 0x41);
    EXPECT_EQ(Windows1252Byte(U'\u20AC'), 0x80);
    EXPECT_EQ(Windows1252Byte(U'\u2013'), 0x96);
    EXPECT_EQ(Windows1252Byte(U'\u0178'), 0x9F);
    EXPECT_EQ(Windows1252Byte(U'\u00A0'), 0xA0);
    EXPECT_EQ(Windows1252Byte(U'\u00FF'), 0xFF);
    EXPECT_EQ(Windows1252Byte(U'\u0080'), -1); // a C1 control has no byte
    EXPECT_EQ(Windows1252Byte(U'\u0141'), -1);
    for (int b = 0; b < 256; ++b) {
        const char32_t c = Windows1252Char(static_cast<unsigned char>(b));
        if (c != 0xFFFD) {
            EXPECT_EQ(Windows1252Byte(c), b) << b;
        }
    }
    for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(Windows1252Char(static_cast<unsigned char>(b)), char32_t(0xFFFD));
}

TEST(ReportFileWriting, LinesAreWindows1252WithCrLf) {
    const QByteArray bytes = written([](ReportFile& f) {
        f.WriteLine(QString::fromUtf8("Caf\u00e9 \u2013 \u20ac"));
        f.WriteLine("");
        f.WriteLine(QString::fromUtf8("\u0141")); // unescaped, still not lost
    });
    EXPECT_EQ(bytes, QByteArray("Caf\xE9 \x96 \x80\r\n\r\n\\u321?\r\n"));
}

TEST(ReportFileWriting, HeaderFooterAndRules) {
    const QByteArray bytes = written([](ReportFile& f) {
        WriteRtfHeader(f);
        WriteRule(f, true);
        WriteRule(f, false);
        WritePar(f);
        WriteRtfFooter(f);
    });
    const QByteArray expected =
        "{\\rtf\\ansi\\deff0\\deflang1033{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 Courier "
        "New;}}\r\n"
        "\\pard\\b\\f0\\\r\n" +
        QByteArray(80, '=') + "\r\n" + QByteArray(80, '-') + "\r\n\\par\r\n}\r\n";
    EXPECT_EQ(bytes, expected);
}

TEST(ReportFileWriting, ANewReportOverwritesTheOldOne) {
    QTemporaryDir dir;
    const QString path = dir.filePath("temp.txt");
    {
        ReportFile f(path);
        f.WriteLine("first report, a rather long line");
        f.Close();
    }
    {
        ReportFile f(path);
        f.WriteLine("second");
        f.Close();
    }
    EXPECT_EQ(readAll(path), QByteArray("second\r\n"));
}

TEST(ReportFileWriting, AFileThatCannotBeCreatedNamesPathAndReason) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("temp.txt")); // a folder where the file should be
    const QString path = dir.filePath("temp.txt");
    try {
        ReportFile f(path);
        FAIL() << "a folder was opened as the report file";
    } catch (const ReportFileError& e) {
        EXPECT_EQ(e.path(), QDir::toNativeSeparators(path));
        EXPECT_FALSE(e.reason().isEmpty());
        EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(path)));
        EXPECT_TRUE(e.message().contains(e.reason()));
    }
}

TEST(ReportFileWriting, TheReportFileLivesInTheProgramFolder) {
    zelk::setProgramFolder("/some/folder");
    EXPECT_EQ(ReportFilePath(), "/some/folder/temp.txt");
    zelk::setProgramFolder(QString());
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
    EXPECT_EQ(PadLeft("abc", 5), "  abc");
    EXPECT_EQ(PadLeft("abcdef", 5), "abcdef"); // kept whole
}

// The four-column row: 14 | 34 | 14 | 14.
TEST(Wrapping, AFortyCharacterNameWrapsOntoASecondLine) {
    const QString name = "Office supplies and small equipment item";
    ASSERT_EQ(name.size(), 40);
    const QStringList lines =
        ColumnRowLines({TextCell("6100", 14), TextCell(name, 34), AmountCell(money("1234.5"), 14),
                        AmountCell(Amount(), 14)},
                       "|");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "6100          |Office supplies and small equipmen|      1,234.50|"
                        "          0.00");
    EXPECT_EQ(lines[1], "              |t item                            |              |"
                        "              ");
}

TEST(Wrapping, AnEmptyNamePrintsOneLineOfBlankCells) {
    const QStringList lines = ColumnRowLines(
        {TextCell("", 14), TextCell("", 34), AmountCell(Amount(), 14), AmountCell(Amount(), 14)},
        "|");
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0], QString(14, ' ') + "|" + QString(34, ' ') + "|" + QString(10, ' ') +
                            "0.00|" + QString(10, ' ') + "0.00");
}

// 1,000,000,000.00 is 16 characters: its cell grows on that line, nothing is cut, and the
// amount is formatted whole, never in pieces.
TEST(Wrapping, AnAmountWiderThanItsCellGrowsTheCell) {
    const QStringList lines =
        ColumnRowLines({TextCell("1100", 14), TextCell("Bank", 34),
                        AmountCell(money("1000000000"), 14), AmountCell(money("-0.5"), 14)},
                       "|");
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0], "1100          |Bank                              |1,000,000,000.00|"
                        "         -0.50");
    // Seventeen digits: its plain text is longer than any cell, and it still prints whole
    // on one line.
    const QStringList big =
        ColumnRowLines({TextCell("1", 14), TextCell("", 34), AmountCell(Amount(), 14),
                        AmountCell(money("-12345678901234.5678"), 14)},
                       "|");
    ASSERT_EQ(big.size(), 1);
    EXPECT_TRUE(big[0].endsWith("|          0.00|-12,345,678,901,234.57")) << big[0].toStdString();
}

// Pieces of the number, the name and the amounts each start at line 0; a column with
// fewer pieces is blank below them.
TEST(Wrapping, EveryColumnWrapsOnItsOwn) {
    const QStringList lines =
        ColumnRowLines({TextCell("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", 14), TextCell("short", 34),
                        AmountCell(money("1"), 14), AmountCell(money("2"), 14)},
                       "|");
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "ABCDEFGHIJKLMN|short                             |          1.00|"
                        "          2.00");
    EXPECT_EQ(lines[1], "OPQRSTUVWXYZ01|" + QString(34, ' ') + "|" + QString(14, ' ') + "|" +
                            QString(14, ' '));
    EXPECT_EQ(lines[2], "23456789      |" + QString(34, ' ') + "|" + QString(14, ' ') + "|" +
                            QString(14, ' '));
}

// Escaping comes after splitting and padding: the cell holds 34 visible characters.
TEST(Wrapping, WidthsCountVisibleCharacters) {
    const QString name = QString::fromUtf8("{Łódź} \\ ") + QString(25, 'x') + "{}";
    ASSERT_EQ(name.size(), 36);
    const QStringList lines = ColumnRowLines(
        {TextCell("1", 14), TextCell(name, 34), AmountCell(Amount(), 14), AmountCell(Amount(), 14)},
        "|");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "1             |\\{\\u321?ód\\u378?\\} \\\\ " + QString(25, 'x') +
                            "|          0.00|          0.00");
    EXPECT_EQ(lines[1], QString(14, ' ') + "|\\{\\}" + QString(32, ' ') + "|" + QString(14, ' ') +
                            "|" + QString(14, ' '));
}

// The statements' row: 14, 44 and 20 characters joined by single blanks, 80 in all.
TEST(Wrapping, TheThreeCellRow) {
    const QString name = "Accounts receivable - trade debtors (domestic)"; // 46
    QStringList lines = ColumnRowLines(
        {TextCell("1200", 14), TextCell(name, 44), AmountCell(money("-1150"), 20)}, " ");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0],
              "1200           Accounts receivable - trade debtors (domesti            -1,150.00");
    EXPECT_EQ(lines[1], QString(15, ' ') + "c)" + QString(42, ' ') + " " + QString(20, ' '));
    EXPECT_EQ(lines[0].size(), 80);
    EXPECT_EQ(lines[1].size(), 80);
}

TEST(Wrapping, WriteColumnRowPutsAParagraphMarkAfterEachLine) {
    const QByteArray bytes = written([](ReportFile& f) {
        WriteAccountRow(f, "1", "Office supplies and small equipment item", Amount(), Amount());
    });
    EXPECT_EQ(bytes, "1             |Office supplies and small equipmen|          0.00|          "
                     "0.00\r\n\\par\r\n"
                     "              |t item                            |              |          "
                     "    \r\n\\par\r\n");
}

TEST(ReportLines, PeriodLineNamesTheCalendarYearOfTheMonth) {
    // A fiscal year 2004 starting in April: April to December fall in 2004, January to
    // March in 2005.
    EXPECT_EQ(PeriodText(1, 4, 2004, 4), "Period: 1 (April 2004)");
    EXPECT_EQ(PeriodText(9, 12, 2004, 4), "Period: 9 (December 2004)");
    EXPECT_EQ(PeriodText(10, 1, 2004, 4), "Period: 10 (January 2005)");
    EXPECT_EQ(PeriodText(12, 3, 2004, 4), "Period: 12 (March 2005)");
    EXPECT_EQ(PeriodText(12, 12, 2004, 1), "Period: 12 (December 2004)");
}

TEST(ReportLines, MediumDateIsEnglishWhateverTheLocale) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(MediumDate(QDate(2004, 4, 1)), "01-Apr-2004");
    EXPECT_EQ(MediumDate(QDate(2004, 12, 31)), "31-Dec-2004");
    EXPECT_EQ(MediumDate(QDate(2005, 5, 9)), "09-May-2005");
    QLocale::setDefault(QLocale::c());
}

class CompanyBlock : public ::testing::Test {
protected:
    TestDatabase db;
};

TEST_F(CompanyBlock, FiveLinesWithTheirSizesAndEscapedValues) {
    db.exec(modDBUtil::UpdateCompanyInfo("A {B} \\ C", QString::fromUtf8("Straße 1, Kraków – Łódź"),
                                         "555-1", "555-2", "x@y.example"));
    const QByteArray bytes = written([](ReportFile& f) { WriteCompanyHeader(f); });
    EXPECT_EQ(bytes, QByteArray("\\fs52 \\b A \\{B\\} \\\\ C\\b0\\par\r\n"
                                "\\fs20 Stra\xDF"
                                "e 1, Krak\xF3w \x96 \\u321?\xF3"
                                "d\\u378?\\par\r\n"
                                "\\fs16 Phone: 555-1\\par\r\n"
                                "Fax  : 555-2\\par\r\n"
                                "eMail: x@y.example\\par\r\n"));
}

TEST_F(CompanyBlock, MissingPhoneFaxAndEmailLeaveTheLabelsAlone) {
    // The phone is required by the table; an empty one is the nearest to absent.
    db.exec(modDBUtil::UpdateCompanyInfo("Name", "Address", "x", "", ""));
    db.exec("UPDATE SYS_Company SET Phone=''");
    const QByteArray bytes = written([](ReportFile& f) { WriteCompanyHeader(f); });
    EXPECT_EQ(bytes, QByteArray("\\fs52 \\b Name\\b0\\par\r\n"
                                "\\fs20 Address\\par\r\n"
                                "\\fs16 Phone: \\par\r\n"
                                "Fax  : \\par\r\n"
                                "eMail: \\par\r\n"));
}
