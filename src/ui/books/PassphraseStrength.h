#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// How long a guessing program would take to find a passphrase, by the zxcvbn estimator.
// The window that asks for a new passphrase shows it as the user types; the estimate
// and the passphrase stay in that window.
namespace zelk::strength {

struct Estimate {
    double seconds = 0; // a guessing program's time against the books' key derivation
    QString level;      // "very weak", "weak", "fair" or "strong"
    QString time;       // "about 3 hours", "less than a second"
    QString reason;     // why it is weak ("it is a common word or password"), or empty
    bool weak = false;  // found within a year: asked about before it is used
};

// The estimate for a passphrase (UTF-8); words are guesses of their own to the program
// (the company's name).
Estimate estimate(const QByteArray& passphrase, const QStringList& words);

// "about 3 hours" for a number of seconds.
QString durationText(double seconds);

} // namespace zelk::strength
