#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace zelk {

// A literal lifted out of a statement text, bound as a parameter when it runs
// (text as UTF-8).
using SqlParam = std::variant<std::int64_t, double, std::string>;

struct Translation {
    std::string sql;              // SQLite text with a ? for every lifted literal (UTF-8)
    std::vector<SqlParam> params; // in order of the ? marks
};

// Turns the system's statement texts into SQLite statements. It tokenizes the text
// (string literals with doubled quotes, [bracketed] names, #...# dates, words, numbers,
// punctuation) and never rewrites raw text:
//  - #yyyy/mm/dd# becomes a bound 'yyyy-mm-dd', with blanks around its mark;
//  - the words True / False (any case) become bound 1 / 0;
//  - a number written into a money column (the VALUES list of an INSERT with a column
//    list, or SET column=value of an UPDATE) becomes its scaled ten-thousandths;
//  - every other string or number literal is bound as it is, except a column position
//    of an ORDER BY or GROUP BY list and a whole number too long for 64 bits, which stay
//    in the text.
// IIF and CCur stay as they are: the connection registers them as SQL functions.
// Throws DbError for a malformed date literal or an unterminated literal.
class JetTranslator {
public:
    static Translation translate(const QString& jetSql);
    static bool isMoneyColumn(const QString& column);
};

} // namespace zelk
