#include "PassphraseStrength.h"

#include "core/data/Connection.h"

#include <cmath>
#include <vector>
#include <zxcvbn.h>

namespace zelk::strength {

namespace {

// A guessing program on one current graphics card computes about 2.6e10 HMAC-SHA1 a
// second; a guess costs two blocks of the derivation's rounds: 10,000 guesses a second
// against the books' derivation (one core of the development machine makes one).
constexpr double HmacPerSecond = 2.6e10;
constexpr double GuessesPerSecond = HmacPerSecond / (2.0 * Connection::PassphraseRounds);

constexpr double Minute = 60, Hour = 60 * Minute, Day = 24 * Hour, Year = 365.25 * Day;

// Why zxcvbn found it easy: the kind of the part that covers the most letters.
QString reasonOf(const ZxcMatch_t* parts, int length) {
    int longest = 0;
    int kind = NON_MATCH;
    for (const ZxcMatch_t* p = parts; p; p = p->Next) {
        const int type = p->Type & ~MULTIPLE_MATCH;
        if (type == BRUTE_MATCH || type == NON_MATCH || type == LONG_PWD_MATCH)
            continue;
        if (p->Length > longest) {
            longest = p->Length;
            kind = type;
        }
    }
    switch (kind) {
    case DICTIONARY_MATCH:
        return QStringLiteral("it is a common word or password");
    case DICT_LEET_MATCH:
        return QStringLiteral("it is a common word with letters swapped for look-alikes");
    case USER_MATCH:
    case USER_LEET_MATCH:
        return QStringLiteral("it holds the company's name");
    case REPEATS_MATCH:
        return QStringLiteral("it repeats letters or a part of itself");
    case SEQUENCE_MATCH:
        return QStringLiteral("it is a run such as abc or 123");
    case SPATIAL_MATCH:
        return QStringLiteral("it is a row of neighbouring keys");
    case DATE_MATCH:
    case YEAR_MATCH:
        return QStringLiteral("it holds a date or a year");
    default:
        return length < 12 ? QStringLiteral("it is short")
                           : QStringLiteral("it has few letters that are hard to guess");
    }
}

} // namespace

QString durationText(double seconds) {
    struct Unit {
        double size;
        const char* one;
        const char* many;
    };
    static const Unit units[] = {{1, "second", "seconds"},
                                 {Minute, "minute", "minutes"},
                                 {Hour, "hour", "hours"},
                                 {Day, "day", "days"},
                                 {Year / 12, "month", "months"},
                                 {Year, "year", "years"},
                                 {100 * Year, "century", "centuries"}};
    if (seconds < 1)
        return QStringLiteral("less than a second");
    if (seconds >= 1e5 * Year)
        return QStringLiteral("more than a hundred thousand years");
    size_t u = 0;
    // the largest unit of which there is at least one, counting a month before a year
    while (u + 1 < std::size(units) && seconds >= units[u + 1].size)
        ++u;
    const double count = std::round(seconds / units[u].size);
    return QStringLiteral("about %1 %2")
        .arg(QString::number(qint64(count)),
             QLatin1String(count == 1 ? units[u].one : units[u].many));
}

Estimate estimate(const QByteArray& passphrase, const QStringList& words) {
    std::vector<QByteArray> utf8;
    for (const QString& w : words)
        if (!w.isEmpty())
            utf8.push_back(w.toUtf8());
    std::vector<const char*> dictionary;
    for (const QByteArray& w : utf8)
        dictionary.push_back(w.constData());
    dictionary.push_back(nullptr);

    Estimate e;
    ZxcMatch_t* parts = nullptr;
    const double bits = ZxcvbnMatch(passphrase.constData(), dictionary.data(), &parts);
    e.seconds = std::exp2(bits) / GuessesPerSecond;
    e.time = durationText(e.seconds);
    e.weak = e.seconds < Year;
    e.level = e.seconds < Day          ? QStringLiteral("very weak")
              : e.weak                 ? QStringLiteral("weak")
              : e.seconds < 100 * Year ? QStringLiteral("fair")
                                       : QStringLiteral("strong");
    if (e.weak) {
        int letters = 0; // no copy of the passphrase is made to count them
        for (const char c : passphrase)
            letters += (uchar(c) & 0xC0) != 0x80;
        e.reason = reasonOf(parts, letters);
    }
    ZxcvbnFreeInfo(parts);
    return e;
}

} // namespace zelk::strength
