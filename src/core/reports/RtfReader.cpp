#include "RtfReader.h"

#include "core/shared/TextEncoding.h"

#include <vector>

namespace zelk::rtf {

namespace {

struct State {
    CharFormat format;
    int unicodeSkip = 1; // \uc: fallback characters after \uN
    bool skip = false;   // inside a destination that is not shown (font table, ...)
};

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isDestination(const QByteArray& word) {
    static const char* const destinations[] = {
        "fonttbl", "colortbl",  "stylesheet",        "info",     "pict",
        "header",  "footer",    "headerl",           "headerr",  "headerf",
        "footerl", "footerr",   "footerf",           "object",   "field",
        "fldinst", "listtable", "listoverridetable", "generator"};
    for (const char* d : destinations)
        if (word == d)
            return true;
    return false;
}

class Reader {
public:
    explicit Reader(const QByteArray& in) : m_in(in) {}

    Document run() {
        m_stack.push_back(State{});
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            switch (c) {
            case '{':
                m_pendingSkip = 0;
                m_stack.push_back(m_stack.back());
                break;
            case '}':
                m_pendingSkip = 0;
                if (m_stack.size() > 1)
                    m_stack.pop_back();
                break;
            case '\\':
                controlSymbolOrWord();
                break;
            case '\r':
            case '\n':
                break;
            default:
                text(QChar(char16_t(zelk::Windows1252Char(static_cast<unsigned char>(c)))));
            }
        }
        if (!m_current.runs.empty())
            m_doc.paragraphs.push_back(m_current);
        return m_doc;
    }

private:
    State& state() { return m_stack.back(); }

    void text(QChar c) {
        if (m_pendingSkip > 0) {
            --m_pendingSkip;
            return;
        }
        if (state().skip)
            return;
        std::vector<Run>& runs = m_current.runs;
        if (runs.empty() || !(runs.back().format == state().format))
            runs.push_back(Run{QString(), state().format});
        runs.back().text += c;
    }

    void paragraph() {
        m_pendingSkip = 0;
        if (state().skip)
            return;
        m_current.markFormat = state().format;
        m_doc.paragraphs.push_back(m_current);
        m_current = Paragraph{};
    }

    void controlSymbolOrWord() {
        if (m_pos >= m_in.size())
            return;
        const char c = m_in[m_pos];
        if (isLetter(c)) {
            controlWord();
            return;
        }
        ++m_pos;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            text(QChar(char16_t(c)));
            break;
        case '\r':
        case '\n':
            paragraph();
            break;
        case '\'': {
            const int hi = m_pos < m_in.size() ? hexValue(m_in[m_pos]) : -1;
            const int lo = m_pos + 1 < m_in.size() ? hexValue(m_in[m_pos + 1]) : -1;
            if (hi >= 0 && lo >= 0) {
                m_pos += 2;
                text(QChar(
                    char16_t(zelk::Windows1252Char(static_cast<unsigned char>(hi * 16 + lo)))));
            }
            break;
        }
        case '~':
            text(QChar(0xA0));
            break;
        case '*':
            state().skip = true; // an ignorable destination
            break;
        default:
            break; // \- \_ \| \: and the like show nothing
        }
    }

    void controlWord() {
        const qsizetype start = m_pos;
        while (m_pos < m_in.size() && isLetter(m_in[m_pos]))
            ++m_pos;
        const QByteArray word = m_in.mid(start, m_pos - start);
        bool hasParam = false;
        bool negative = false;
        long long param = 0;
        if (m_pos < m_in.size() && m_in[m_pos] == '-' && m_pos + 1 < m_in.size() &&
            isDigit(m_in[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        while (m_pos < m_in.size() && isDigit(m_in[m_pos])) {
            hasParam = true;
            if (param < 100000000)
                param = param * 10 + (m_in[m_pos] - '0');
            ++m_pos;
        }
        if (negative)
            param = -param;
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos; // the delimiter belongs to the control word
        apply(word, hasParam, param);
    }

    void apply(const QByteArray& word, bool hasParam, long long param) {
        CharFormat& f = state().format;
        if (word == "par") {
            paragraph();
        } else if (word == "b") {
            f.bold = !hasParam || param != 0;
        } else if (word == "i") {
            f.italic = !hasParam || param != 0;
        } else if (word == "fs") {
            f.halfPoints = hasParam && param > 0 ? int(param) : 24;
        } else if (word == "plain") {
            f = CharFormat{};
        } else if (word == "u" && hasParam) {
            const char16_t unit = char16_t(param < 0 ? param + 65536 : param);
            text(QChar(unit));
            m_pendingSkip = state().unicodeSkip;
        } else if (word == "uc" && hasParam) {
            state().unicodeSkip = int(param < 0 ? 0 : param);
        } else if (word == "tab") {
            text(QLatin1Char('\t'));
        } else if (word == "line") {
            paragraph();
        } else if (isDestination(word)) {
            state().skip = true;
        }
        // \rtf \ansi \deff \deflang \pard \f and anything else: nothing to show.
    }

    const QByteArray& m_in;
    qsizetype m_pos = 0;
    std::vector<State> m_stack;
    Document m_doc;
    Paragraph m_current;
    int m_pendingSkip = 0; // fallback characters of the last \uN still to drop
};

} // namespace

QString Paragraph::text() const {
    QString out;
    for (const Run& r : runs)
        out += r.text;
    return out;
}

QStringList Document::lines() const {
    QStringList out;
    for (const Paragraph& p : paragraphs)
        out << p.text();
    return out;
}

Document read(const QByteArray& rtf) {
    return Reader(rtf).run();
}

} // namespace zelk::rtf
