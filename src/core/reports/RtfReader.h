#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// The project's own RTF reader. It reads what the report text builder writes: groups,
// \rtf \ansi \deff \deflang, the font table (skipped), \pard \plain \f \b \b0 \i \i0 \fsN
// \par, a backslash before a line break (a paragraph mark), \'hh, \uN with \ucN, \tab,
// and the escaped \\ \{ \}. Raw bytes are Windows-1252; line breaks in the source are
// ignored; other control words and ignorable destinations are skipped.
namespace zelk::rtf {

struct CharFormat {
    bool bold = false;
    bool italic = false;
    int halfPoints = 24; // \fs: half-points; 24 (12 points) until the document says otherwise

    friend bool operator==(const CharFormat&, const CharFormat&) = default;
};

struct Run {
    QString text;
    CharFormat format;
};

struct Paragraph {
    std::vector<Run> runs;
    // The character format at the paragraph mark (gives an empty line its height).
    CharFormat markFormat;
    QString text() const;
};

struct Document {
    // Every paragraph closed by a paragraph mark, and the text after the last mark when
    // there is any.
    std::vector<Paragraph> paragraphs;
    // The visible text, one entry per paragraph.
    QStringList lines() const;
};

Document read(const QByteArray& rtf);

} // namespace zelk::rtf
