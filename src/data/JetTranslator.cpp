#include "JetTranslator.h"

#include "Amount.h"
#include "Errors.h"

#include <QDate>
#include <sqlcipher/sqlite3.h>

namespace zelk {

namespace {

enum class Tok { Space, String, Bracket, Date, Word, Number, Punct };

struct Token {
    Tok kind;
    QString text;  // the token as written
    QString value; // string literal without quotes, date as yyyy-mm-dd
};

[[noreturn]] void syntaxError(const QString& what) {
    throw DbError({SQLITE_ERROR, QStringLiteral("SQL"), what});
}

bool isWordStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}
bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}
bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

std::vector<Token> tokenize(const QString& s) {
    std::vector<Token> out;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s[i];
        const qsizetype start = i;
        if (c.isSpace()) {
            while (i < n && s[i].isSpace())
                ++i;
            out.push_back({Tok::Space, s.mid(start, i - start), {}});
        } else if (c == QLatin1Char('\'')) {
            QString value;
            ++i;
            for (;;) {
                if (i >= n)
                    syntaxError(QStringLiteral("Unterminated string literal in: ") + s);
                if (s[i] == QLatin1Char('\'')) {
                    if (i + 1 < n && s[i + 1] == QLatin1Char('\'')) {
                        value += QLatin1Char('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += s[i++];
            }
            out.push_back({Tok::String, s.mid(start, i - start), value});
        } else if (c == QLatin1Char('[')) {
            while (i < n && s[i] != QLatin1Char(']'))
                ++i;
            if (i >= n)
                syntaxError(QStringLiteral("Unterminated bracketed name in: ") + s);
            ++i;
            out.push_back({Tok::Bracket, s.mid(start, i - start), {}});
        } else if (c == QLatin1Char('#')) {
            const qsizetype close = s.indexOf(QLatin1Char('#'), i + 1);
            if (close < 0)
                syntaxError(QStringLiteral("Unterminated date literal in: ") + s);
            const QString body = s.mid(i + 1, close - i - 1).trimmed();
            QDate d = QDate::fromString(body, QStringLiteral("yyyy/MM/dd"));
            if (!d.isValid())
                d = QDate::fromString(body, QStringLiteral("yyyy-MM-dd"));
            if (!d.isValid())
                syntaxError(QStringLiteral("Invalid date literal #") + body + QLatin1Char('#'));
            i = close + 1;
            out.push_back(
                {Tok::Date, s.mid(start, i - start), d.toString(QStringLiteral("yyyy-MM-dd"))});
        } else if (isWordStart(c)) {
            while (i < n && isWordChar(s[i]))
                ++i;
            out.push_back({Tok::Word, s.mid(start, i - start), {}});
        } else if (isDigit(c) || (c == QLatin1Char('.') && i + 1 < n && isDigit(s[i + 1]))) {
            while (i < n && isDigit(s[i]))
                ++i;
            if (i < n && s[i] == QLatin1Char('.')) {
                ++i;
                while (i < n && isDigit(s[i]))
                    ++i;
            }
            out.push_back({Tok::Number, s.mid(start, i - start), {}});
        } else {
            ++i;
            out.push_back({Tok::Punct, QString(c), {}});
        }
    }
    return out;
}

bool isWord(const Token& t, const char* w) {
    return t.kind == Tok::Word && t.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
}
bool isPunct(const Token& t, char p) {
    return t.kind == Tok::Punct && t.text[0] == QLatin1Char(p);
}

// Marks number tokens (and the minus sign before them) that are written into money
// columns. scaled[i] is true for a number token to scale; minus[i] for a "-" that
// belongs to the following scaled number.
void findMoneyLiterals(const std::vector<Token>& toks, std::vector<bool>& scaled,
                       std::vector<bool>& minus) {
    std::vector<size_t> sig; // indices of the significant (non-space) tokens
    for (size_t i = 0; i < toks.size(); ++i)
        if (toks[i].kind != Tok::Space)
            sig.push_back(i);
    auto at = [&](size_t k) -> const Token* { return k < sig.size() ? &toks[sig[k]] : nullptr; };

    // A value that is exactly [sign] number, starting at significant index k, and
    // ending before a token accepted by `isEnd`. Returns the index after the value.
    auto markValue = [&](size_t k, auto isEnd) {
        size_t j = k;
        if (at(j) && (isPunct(*at(j), '-') || isPunct(*at(j), '+')))
            ++j;
        if (at(j) && at(j)->kind == Tok::Number && (!at(j + 1) || isEnd(*at(j + 1)))) {
            scaled[sig[j]] = true;
            if (j != k)
                minus[sig[k]] = true; // the sign joins the bound value
        }
    };

    if (!at(0))
        return;
    if (isWord(*at(0), "INSERT")) {
        size_t k = 1;
        if (at(k) && isWord(*at(k), "INTO"))
            ++k;
        ++k; // table name
        if (!at(k) || !isPunct(*at(k), '('))
            return;
        ++k;
        std::vector<QString> columns;
        while (at(k) && !isPunct(*at(k), ')')) {
            if (at(k)->kind == Tok::Word || at(k)->kind == Tok::Bracket) {
                QString name = at(k)->text;
                if (at(k)->kind == Tok::Bracket)
                    name = name.mid(1, name.size() - 2);
                columns.push_back(name);
            }
            ++k;
        }
        ++k;
        if (!at(k) || !isWord(*at(k), "VALUES"))
            return;
        ++k;
        if (!at(k) || !isPunct(*at(k), '('))
            return;
        ++k;
        size_t column = 0;
        int depth = 0;
        bool valueStart = true;
        for (; at(k); ++k) {
            const Token& t = *at(k);
            if (depth == 0 && valueStart) {
                valueStart = false;
                if (column < columns.size() && JetTranslator::isMoneyColumn(columns[column]))
                    markValue(k, [](const Token& e) { return isPunct(e, ',') || isPunct(e, ')'); });
            }
            if (isPunct(t, '('))
                ++depth;
            else if (isPunct(t, ')')) {
                if (depth == 0)
                    break;
                --depth;
            } else if (depth == 0 && isPunct(t, ',')) {
                ++column;
                valueStart = true;
            }
        }
    } else if (isWord(*at(0), "UPDATE")) {
        size_t k = 1;
        while (at(k) && !isWord(*at(k), "SET"))
            ++k;
        if (!at(k))
            return;
        ++k;
        int depth = 0;
        for (; at(k) && !(depth == 0 && isWord(*at(k), "WHERE")); ++k) {
            const Token& t = *at(k);
            if (isPunct(t, '('))
                ++depth;
            else if (isPunct(t, ')'))
                --depth;
            else if (depth == 0 && (t.kind == Tok::Word || t.kind == Tok::Bracket) && at(k + 1) &&
                     isPunct(*at(k + 1), '=')) {
                QString name = t.text;
                if (t.kind == Tok::Bracket)
                    name = name.mid(1, name.size() - 2);
                if (JetTranslator::isMoneyColumn(name))
                    markValue(k + 2,
                              [](const Token& e) { return isPunct(e, ',') || isWord(e, "WHERE"); });
            }
        }
    }
}

} // namespace

bool JetTranslator::isMoneyColumn(const QString& column) {
    static const char* const names[] = {"Amount", "Debit", "Credit", "BeginningBalance"};
    for (const char* n : names)
        if (column.compare(QLatin1String(n), Qt::CaseInsensitive) == 0)
            return true;
    if (column.size() >= 6 && column.startsWith(QLatin1String("Saldo"), Qt::CaseInsensitive)) {
        bool ok = false;
        const int p = column.mid(5).toInt(&ok);
        return ok && p >= 1 && p <= 12 && !column.mid(5).startsWith(QLatin1Char('0'));
    }
    return false;
}

Translation JetTranslator::translate(const QString& jetSql) {
    const std::vector<Token> toks = tokenize(jetSql);
    std::vector<bool> scaled(toks.size(), false), minus(toks.size(), false);
    findMoneyLiterals(toks, scaled, minus);

    Translation out;
    QString sql;
    sql.reserve(jetSql.size());
    bool negateNext = false;
    for (size_t i = 0; i < toks.size(); ++i) {
        const Token& t = toks[i];
        switch (t.kind) {
        case Tok::Space:
        case Tok::Bracket:
            sql += t.text;
            break;
        case Tok::String:
            sql += QLatin1Char('?');
            out.params.emplace_back(t.value);
            break;
        case Tok::Date:
            sql += QLatin1String(" ? ");
            out.params.emplace_back(t.value);
            break;
        case Tok::Word:
            if (t.text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
                sql += QLatin1Char('?');
                out.params.emplace_back(std::int64_t(1));
            } else if (t.text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
                sql += QLatin1Char('?');
                out.params.emplace_back(std::int64_t(0));
            } else {
                sql += t.text;
            }
            break;
        case Tok::Number:
            sql += QLatin1Char('?');
            if (scaled[i]) {
                const auto a = Amount::parse(t.text);
                if (!a)
                    syntaxError(QStringLiteral("Amount out of range: ") + t.text);
                out.params.emplace_back(negateNext ? -a->raw() : a->raw());
                negateNext = false;
            } else if (t.text.contains(QLatin1Char('.'))) {
                out.params.emplace_back(t.text.toDouble());
            } else {
                bool ok = false;
                const qlonglong v = t.text.toLongLong(&ok);
                if (ok)
                    out.params.emplace_back(std::int64_t(v));
                else
                    out.params.emplace_back(t.text.toDouble());
            }
            break;
        case Tok::Punct:
            if (minus[i]) {
                negateNext = t.text == QLatin1String("-");
                break;
            }
            sql += t.text;
            break;
        }
    }
    out.sql = sql.toUtf8();
    return out;
}

} // namespace zelk
