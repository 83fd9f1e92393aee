#pragma once

#include <QByteArray>
#include <QString>

// Texts as bytes of the Windows-1252 code page (the report file, text files and CSV
// files of that code page), and the code points of a text.
namespace zelk {

// Windows-1252: the byte of a character, or -1 when the code page has none for it.
int Windows1252Byte(char32_t c);
// The character of a Windows-1252 byte (undefined bytes give U+FFFD).
char32_t Windows1252Char(unsigned char b);
// The text as Windows-1252 bytes; characters without a byte become '?' and clear *lossless.
QByteArray ToWindows1252(const QString& text, bool* lossless = nullptr);
QString FromWindows1252(const QByteArray& bytes);

// Walks the code points of a text; an unpaired surrogate is taken as it stands.
template <class F>
inline void forEachCodePoint(const QString& text, F f) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            f(QChar::surrogateToUcs4(c, text[i + 1]), i, 2);
            ++i;
        } else {
            f(char32_t(c.unicode()), i, 1);
        }
    }
}

} // namespace zelk
