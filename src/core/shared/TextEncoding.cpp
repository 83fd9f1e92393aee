#include "TextEncoding.h"

#include <array>

namespace zelk {

namespace {

// The characters of the bytes 0x80 ... 0x9F; 0 where the code page defines none.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

int Windows1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (size_t i = 0; i < HighControls.size(); ++i)
        if (HighControls[i] != 0 && HighControls[i] == c)
            return int(0x80 + i);
    return -1;
}

char32_t Windows1252Char(unsigned char b) {
    if (b >= 0x80 && b <= 0x9F) {
        const char16_t c = HighControls[b - 0x80];
        return c != 0 ? c : char32_t(0xFFFD);
    }
    return b;
}

QByteArray ToWindows1252(const QString& text, bool* lossless) {
    QByteArray out;
    out.reserve(text.size());
    if (lossless)
        *lossless = true;
    forEachCodePoint(text, [&](char32_t c, qsizetype, int) {
        const int b = Windows1252Byte(c);
        if (b >= 0) {
            out += char(b);
        } else {
            out += '?';
            if (lossless)
                *lossless = false;
        }
    });
    return out;
}

QString FromWindows1252(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char b : bytes)
        out += QChar(char16_t(Windows1252Char(static_cast<unsigned char>(b))));
    return out;
}

} // namespace zelk
