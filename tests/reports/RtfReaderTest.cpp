#include "core/reports/RtfReader.h"
#include "core/reports/ReportSave.h"
#include "core/reports/modRptUtil.h"
#include "core/shared/TextEncoding.h"

#include <gtest/gtest.h>

using namespace zelk::rtf;
using zelk::reports::PlainTextBytes;
using zelk::reports::SaveFormat;
using zelk::reports::SaveTarget;
using zelk::reports::SaveTargetOf;

namespace {

// Each paragraph as its runs, "[text]" then the size in half-points and b or i when set,
// and after "|" the format of its mark.
QStringList formats(const Document& d) {
    const auto format = [](const CharFormat& f) {
        return QString::number(f.halfPoints) + (f.bold ? "b" : "") + (f.italic ? "i" : "");
    };
    QStringList out;
    for (const Paragraph& p : d.paragraphs) {
        QString s;
        for (const Run& r : p.runs)
            s += "[" + r.text + "]" + format(r.format);
        out << s + "|" + format(p.markFormat);
    }
    return out;
}

} // namespace

// The opening of every report: the font table shows nothing, and the backslash at the
// end of the second line is a paragraph mark, so the document opens with an empty, bold
// paragraph. Then sizes, bold and italic make runs.
TEST(RtfReader, SizesBoldAndItalicMakeRuns) {
    const Document d = read("{\\rtf\\ansi\\deff0\\deflang1033{\\fonttbl{\\f0\\fmodern\\fprq1"
                            "\\fcharset0 Courier New;}}\r\n\\pard\\b\\f0\\\r\n"
                            "\\fs52 \\b Name\\b0\\par\r\n"
                            "\\fs16 Phone: 1\\par\r\n"
                            "\\fs18 \r\n"
                            "\\b \\fs28 Title\\b0\r\n"
                            "\\par\r\n"
                            "\\i Revenues  : 1.00\\i0\r\n"
                            "\\par\r\n"
                            "\\fs20 \\b R-E: \\b0\r\n"
                            "\\par\r\n}");
    // The size line holds only its word and blank: the rule is in the size that follows;
    // the blank before \b0 is text.
    EXPECT_EQ(formats(d), (QStringList{"|24b", "[Name]52b|52", "[Phone: 1]16|16", "[Title]28b|28",
                                       "[Revenues  : 1.00]28i|28", "[R-E: ]20b|20"}));
}

// Escapes, hexadecimal bytes, Unicode with its fallback character, line breaks in the
// source, and the blank that ends a control word.
TEST(RtfReader, CharactersAndEscapes) {
    EXPECT_EQ(read("a\\\\b\\{c\\}d\\par").lines(), QStringList{"a\\b{c}d"});
    EXPECT_EQ(read("caf\\'e9 \\'96 \\'80\\par").lines(),
              QStringList{QString::fromUtf8("café – €")});
    EXPECT_EQ(read("caf\xE9 \x96 \x80\\par").lines(), QStringList{QString::fromUtf8("café – €")});
    EXPECT_EQ(read("\\u321?\363d\\u378?\\par").lines(), QStringList{QString::fromUtf8("Łódź")});
    EXPECT_EQ(read("\\u-255?\\par").lines(), QStringList{QString::fromUtf8("！")});
    EXPECT_EQ(read("\\u-10188?\\u-8930?\\par").lines(), QStringList{QString::fromUtf8("𝄞")});
    EXPECT_EQ(read("\\uc2\\u1044??x\\par").lines(), QStringList{QString::fromUtf8("Дx")});
    EXPECT_EQ(read("one\r\ntwo\\par").lines(), QStringList{"onetwo"});
    EXPECT_EQ(read("\\fs18  two blanks\\par").lines(), QStringList{" two blanks"});
    EXPECT_EQ(read("a\\tab b\\par").lines(), QStringList{"a\tb"});
    EXPECT_EQ(read("x\\par\r\ntail").lines(), (QStringList{"x", "tail"}));
}

TEST(RtfReader, GroupsKeepTheirFormatAndUnknownWordsShowNothing) {
    EXPECT_EQ(formats(read("{\\rtf1 plain {\\b bold {\\i both} bold}"
                           "{\\*\\generator hidden;}{\\colortbl;\\red0;}\\foo7 \\par}")),
              QStringList{"[plain ]24[bold ]24b[both]24bi[ bold]24b|24"});
}

// Whatever a value holds, escaped it reads back as itself (control characters as blanks).
TEST(RtfReader, EscapedValuesReadBackUnchanged) {
    const QStringList values = {
        "\\par \\b0 {\\i x} }}}{{{",
        "ends with a backslash\\",
        QString::fromUtf8("Łódź – Дом – 東京 – 𝄞 – €ÿ"),
        "digits after \\u: \\u123?",
    };
    for (const QString& v : values) {
        const QByteArray rtf =
            zelk::ToWindows1252("{\\rtf\\b " + modRptUtil::RtfText(v) + "\\b0\\par}");
        EXPECT_EQ(read(rtf).lines(), QStringList{v}) << v.toStdString();
    }
}

TEST(ReportSaving, AKnownEndingDecidesElseTheChosenType) {
    using F = SaveFormat;
    struct Case {
        const char* name;
        F chosen;
        const char* file;
        F format;
    };
    for (const Case& c : {Case{"report.rtf", F::Text, "report.rtf", F::Rtf},
                          Case{"x/REPORT.RTF", F::Pdf, "x/REPORT.RTF", F::Rtf},
                          Case{"a.Pdf", F::Text, "a.Pdf", F::Pdf},
                          Case{"report.TXT", F::Pdf, "report.TXT", F::Text},
                          Case{"report", F::Pdf, "report.pdf", F::Pdf},
                          Case{"x.y/report", F::Rtf, "x.y/report.rtf", F::Rtf},
                          Case{"reportrtf", F::Text, "reportrtf.txt", F::Text},
                          Case{"report.rtfx", F::Pdf, "report.rtfx", F::Pdf},
                          Case{"March.2005", F::Text, "March.2005", F::Text}}) {
        const SaveTarget t = SaveTargetOf(c.name, c.chosen);
        EXPECT_EQ(t.fileName, c.file) << c.name;
        EXPECT_EQ(t.format, c.format) << c.name;
    }
}

TEST(ReportSaving, PlainTextIsWindows1252WithCrLf) {
    EXPECT_EQ(PlainTextBytes({"", QString::fromUtf8("Café – €"), "end"}),
              QByteArray("\r\nCaf\xE9 \x96 \x80\r\nend\r\n"));
    EXPECT_EQ(PlainTextBytes({}), QByteArray());
    // A letter the code page lacks: the whole file is UTF-8 (with its mark), nothing lost.
    EXPECT_EQ(PlainTextBytes({QString::fromUtf8("é"), QString::fromUtf8("Łódź")}),
              QByteArray("\xEF\xBB\xBF") + QString::fromUtf8("é\r\nŁódź\r\n").toUtf8());
}
