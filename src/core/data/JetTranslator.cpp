#include "JetTranslator.h"

#include "Amount.h"
#include "Errors.h"

#include <QDate>
#include <sqlcipher/sqlite3.h>
#include <string_view>

namespace zelk {

namespace {

// The statement is tokenized as UTF-8 bytes: every character of the dialect's syntax
// is ASCII, and bytes of other characters only occur inside words, string literals
// and bracketed names, which are copied or bound as they are.
enum class Tok : unsigned char { Space, String, Bracket, Date, Word, Number, Punct };

struct Token {
    Tok kind;
    bool scaled; // a number written into a money column
    bool sign;   // a sign that joins the scaled number after it
    bool kept;   // a column position of ORDER BY / GROUP BY, left in the text
    qsizetype start;
    qsizetype len;
};

[[noreturn]] void syntaxError(const QString& what) {
    throw DbError({SQLITE_ERROR, QStringLiteral("SQL"), what});
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isWordStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || (c & 0x80);
}
bool isWordChar(char c) {
    return isWordStart(c) || isDigit(c);
}

class Tokens {
public:
    Tokens(const QByteArray& s, std::vector<Token>& store) : m_s(s), m_toks(store) {
        m_toks.clear();
        tokenize();
    }

    std::vector<Token>& all() { return m_toks; }
    const std::vector<Token>& all() const { return m_toks; }
    std::string_view text(const Token& t) const {
        return std::string_view(m_s.constData() + t.start, size_t(t.len));
    }
    bool isWord(const Token& t, std::string_view w) const {
        if (t.kind != Tok::Word || size_t(t.len) != w.size())
            return false;
        const std::string_view x = text(t);
        for (size_t i = 0; i < w.size(); ++i) {
            char a = x[i], b = w[i];
            if (a >= 'a' && a <= 'z')
                a = char(a - 32);
            if (b >= 'a' && b <= 'z')
                b = char(b - 32);
            if (a != b)
                return false;
        }
        return true;
    }
    bool isPunct(const Token& t, char p) const { return t.kind == Tok::Punct && m_s[t.start] == p; }
    // A column named by a word or a [bracketed] name.
    std::string_view columnName(const Token& t) const {
        std::string_view n = text(t);
        if (t.kind == Tok::Bracket)
            n = n.substr(1, n.size() - 2);
        return n;
    }

private:
    void tokenize() {
        const char* s = m_s.constData();
        const qsizetype n = m_s.size();
        qsizetype i = 0;
        while (i < n) {
            const char c = s[i];
            const qsizetype start = i;
            Tok kind;
            if (isSpace(c)) {
                while (i < n && isSpace(s[i]))
                    ++i;
                kind = Tok::Space;
            } else if (c == '\'') {
                ++i;
                for (;;) {
                    if (i >= n)
                        syntaxError(QStringLiteral("Unterminated string literal in: ") +
                                    QString::fromUtf8(m_s));
                    if (s[i] == '\'') {
                        if (i + 1 < n && s[i + 1] == '\'') {
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    ++i;
                }
                kind = Tok::String;
            } else if (c == '[') {
                while (i < n && s[i] != ']')
                    ++i;
                if (i >= n)
                    syntaxError(QStringLiteral("Unterminated bracketed name in: ") +
                                QString::fromUtf8(m_s));
                ++i;
                kind = Tok::Bracket;
            } else if (c == '#') {
                ++i;
                while (i < n && s[i] != '#')
                    ++i;
                if (i >= n)
                    syntaxError(QStringLiteral("Unterminated date literal in: ") +
                                QString::fromUtf8(m_s));
                ++i;
                kind = Tok::Date;
            } else if (isWordStart(c)) {
                while (i < n && isWordChar(s[i]))
                    ++i;
                kind = Tok::Word;
            } else if (isDigit(c) || (c == '.' && i + 1 < n && isDigit(s[i + 1]))) {
                while (i < n && isDigit(s[i]))
                    ++i;
                if (i < n && s[i] == '.') {
                    ++i;
                    while (i < n && isDigit(s[i]))
                        ++i;
                }
                kind = Tok::Number;
            } else {
                ++i;
                kind = Tok::Punct;
            }
            m_toks.push_back({kind, false, false, false, start, i - start});
        }
    }

    const QByteArray& m_s;
    std::vector<Token>& m_toks;
};

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = char(x - 32);
        if (y >= 'a' && y <= 'z')
            y = char(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

// Amount, Debit, Credit, BeginningBalance, Saldo1 ... Saldo12 (any case).
bool isMoneyName(std::string_view c) {
    if (equalsNoCase(c, "Amount") || equalsNoCase(c, "Debit") || equalsNoCase(c, "Credit") ||
        equalsNoCase(c, "BeginningBalance"))
        return true;
    if (c.size() < 6 || c.size() > 7 || !equalsNoCase(c.substr(0, 5), "Saldo"))
        return false;
    const std::string_view n = c.substr(5);
    if (n == "10" || n == "11" || n == "12")
        return true;
    return n.size() == 1 && n[0] >= '1' && n[0] <= '9';
}

// Marks the number tokens written into money columns, and the sign before such a
// number, which joins the bound value.
void findMoneyLiterals(Tokens& tk) {
    std::vector<Token>& toks = tk.all();
    thread_local std::vector<size_t> sig; // indices of the significant (non-space) tokens
    sig.clear();
    for (size_t i = 0; i < toks.size(); ++i)
        if (toks[i].kind != Tok::Space)
            sig.push_back(i);
    auto at = [&](size_t k) -> const Token* { return k < sig.size() ? &toks[sig[k]] : nullptr; };

    // A value that is exactly [sign] number, starting at significant index k and ending
    // before a token accepted by isEnd.
    auto markValue = [&](size_t k, auto isEnd) {
        size_t j = k;
        if (at(j) && (tk.isPunct(*at(j), '-') || tk.isPunct(*at(j), '+')))
            ++j;
        if (at(j) && at(j)->kind == Tok::Number && (!at(j + 1) || isEnd(*at(j + 1)))) {
            toks[sig[j]].scaled = true;
            if (j != k)
                toks[sig[k]].sign = true;
        }
    };

    if (!at(0))
        return;
    if (tk.isWord(*at(0), "INSERT")) {
        size_t k = 1;
        if (at(k) && tk.isWord(*at(k), "INTO"))
            ++k;
        ++k; // the table
        if (!at(k) || !tk.isPunct(*at(k), '('))
            return;
        ++k;
        std::vector<bool> money;
        while (at(k) && !tk.isPunct(*at(k), ')')) {
            if (at(k)->kind == Tok::Word || at(k)->kind == Tok::Bracket)
                money.push_back(isMoneyName(tk.columnName(*at(k))));
            ++k;
        }
        ++k;
        if (!at(k) || !tk.isWord(*at(k), "VALUES"))
            return;
        ++k;
        if (!at(k) || !tk.isPunct(*at(k), '('))
            return;
        ++k;
        size_t column = 0;
        int depth = 0;
        bool valueStart = true;
        for (; at(k); ++k) {
            const Token& t = *at(k);
            if (depth == 0 && valueStart) {
                valueStart = false;
                if (column < money.size() && money[column])
                    markValue(k, [&](const Token& e) {
                        return tk.isPunct(e, ',') || tk.isPunct(e, ')');
                    });
            }
            if (tk.isPunct(t, '(')) {
                ++depth;
            } else if (tk.isPunct(t, ')')) {
                if (depth == 0)
                    break;
                --depth;
            } else if (depth == 0 && tk.isPunct(t, ',')) {
                ++column;
                valueStart = true;
            }
        }
    } else if (tk.isWord(*at(0), "UPDATE")) {
        size_t k = 1;
        while (at(k) && !tk.isWord(*at(k), "SET"))
            ++k;
        if (!at(k))
            return;
        ++k;
        int depth = 0;
        for (; at(k) && !(depth == 0 && tk.isWord(*at(k), "WHERE")); ++k) {
            const Token& t = *at(k);
            if (tk.isPunct(t, '('))
                ++depth;
            else if (tk.isPunct(t, ')'))
                --depth;
            else if (depth == 0 && (t.kind == Tok::Word || t.kind == Tok::Bracket) && at(k + 1) &&
                     tk.isPunct(*at(k + 1), '=') && isMoneyName(tk.columnName(t)))
                markValue(k + 2, [&](const Token& e) {
                    return tk.isPunct(e, ',') || tk.isWord(e, "WHERE");
                });
        }
    }
}

// Marks the numbers that stand for a column position in an ORDER BY or GROUP BY list
// ("ORDER BY 1 DESC, 2"): bound as values they would sort or group by a constant.
void findPositions(Tokens& tk) {
    std::vector<Token>& toks = tk.all();
    for (size_t i = 0; i < toks.size(); ++i) {
        if (!(tk.isWord(toks[i], "ORDER") || tk.isWord(toks[i], "GROUP")))
            continue;
        size_t k = i + 1;
        while (k < toks.size() && toks[k].kind == Tok::Space)
            ++k;
        if (k >= toks.size() || !tk.isWord(toks[k], "BY"))
            continue;
        int depth = 0;
        bool itemStart = true;
        for (++k; k < toks.size(); ++k) {
            const Token& t = toks[k];
            if (t.kind == Tok::Space)
                continue;
            if (depth == 0 &&
                (tk.isPunct(t, ')') || tk.isPunct(t, ';') || tk.isWord(t, "HAVING") ||
                 tk.isWord(t, "LIMIT") || tk.isWord(t, "UNION") || tk.isWord(t, "ORDER") ||
                 tk.isWord(t, "EXCEPT") || tk.isWord(t, "INTERSECT")))
                break;
            if (itemStart && t.kind == Tok::Number)
                toks[k].kept = true;
            itemStart = depth == 0 && tk.isPunct(t, ',');
            if (tk.isPunct(t, '('))
                ++depth;
            else if (tk.isPunct(t, ')'))
                --depth;
        }
        i = k - 1;
    }
}

// #yyyy/mm/dd# (or with "-") as the ISO text the date columns hold.
std::string isoDate(std::string_view literal) {
    std::string_view body = literal.substr(1, literal.size() - 2);
    while (!body.empty() && isSpace(body.front()))
        body.remove_prefix(1);
    while (!body.empty() && isSpace(body.back()))
        body.remove_suffix(1);
    auto digits = [&](size_t from, size_t count, int& out) {
        out = 0;
        for (size_t i = from; i < from + count; ++i) {
            if (!isDigit(body[i]))
                return false;
            out = out * 10 + (body[i] - '0');
        }
        return true;
    };
    int y = 0, m = 0, d = 0;
    const bool shape = body.size() == 10 && (body[4] == '/' || body[4] == '-') &&
                       body[7] == body[4] && digits(0, 4, y) && digits(5, 2, m) && digits(8, 2, d);
    if (!shape || !QDate(y, m, d).isValid())
        syntaxError(QStringLiteral("Invalid date literal ") +
                    QString::fromUtf8(literal.data(), qsizetype(literal.size())));
    std::string out(body.data(), 10);
    out[4] = '-';
    out[7] = '-';
    return out;
}

// A string literal's value: the text between the quotes with '' read as one quote.
std::string unquote(std::string_view literal) {
    std::string out;
    out.reserve(literal.size());
    for (size_t i = 1; i + 1 < literal.size(); ++i) {
        out += literal[i];
        if (literal[i] == '\'')
            ++i;
    }
    return out;
}

} // namespace

bool JetTranslator::isMoneyColumn(const QString& column) {
    const QByteArray latin = column.toLatin1();
    return isMoneyName(std::string_view(latin.constData(), size_t(latin.size())));
}

Translation JetTranslator::translate(const QString& jetSql) {
    const QByteArray src = jetSql.toUtf8();
    thread_local std::vector<Token> store;
    Tokens tk(src, store);
    findMoneyLiterals(tk);
    findPositions(tk);

    Translation out;
    out.sql.reserve(size_t(src.size()) + 16);
    out.params.reserve(12);
    bool negateNext = false;
    for (const Token& t : tk.all()) {
        const std::string_view text = tk.text(t);
        switch (t.kind) {
        case Tok::Space:
        case Tok::Bracket:
            out.sql += text;
            break;
        case Tok::String:
            out.sql += '?';
            out.params.emplace_back(unquote(text));
            break;
        case Tok::Date:
            out.sql += " ? ";
            out.params.emplace_back(isoDate(text));
            break;
        case Tok::Word:
            if (tk.isWord(t, "True")) {
                out.sql += '?';
                out.params.emplace_back(std::int64_t(1));
            } else if (tk.isWord(t, "False")) {
                out.sql += '?';
                out.params.emplace_back(std::int64_t(0));
            } else {
                out.sql += text;
            }
            break;
        case Tok::Number: {
            if (t.kept) {
                out.sql += text;
                break;
            }
            if (t.scaled) {
                out.sql += '?';
                const auto a = Amount::parseAscii(text);
                if (!a)
                    syntaxError(QStringLiteral("Amount out of range: ") +
                                QString::fromLatin1(text.data(), qsizetype(text.size())));
                out.params.emplace_back(negateNext ? -a->raw() : a->raw());
                negateNext = false;
                break;
            }
            // A whole number of up to 18 digits is bound as an integer, a decimal one as
            // a double. A longer whole number does not fit 64 bits: it stays in the text
            // as written, for the engine to read as it reads any such literal.
            bool whole = true;
            for (char c : text)
                whole = whole && isDigit(c);
            if (whole && text.size() > 18) {
                out.sql += text;
                break;
            }
            out.sql += '?';
            if (whole) {
                std::int64_t v = 0;
                for (char c : text)
                    v = v * 10 + (c - '0');
                out.params.emplace_back(v);
            } else {
                out.params.emplace_back(
                    QString::fromLatin1(text.data(), qsizetype(text.size())).toDouble());
            }
            break;
        }
        case Tok::Punct:
            if (t.sign) {
                negateNext = text[0] == '-';
                break;
            }
            out.sql += text[0];
            break;
        }
    }
    return out;
}

} // namespace zelk
