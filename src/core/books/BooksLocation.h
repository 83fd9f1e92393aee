#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

namespace zelk {
class Connection;
}

// Where the books are: the file a user names, the one opened when none is named, the
// books opened lately, and what the main window's title says of them. No widgets.
namespace zelk::books {

// The books opened when none are named: Zelk.mdb beside the program when it is there or
// the program's folder can be written (a copy of the program in a folder of its own keeps
// its books beside it, unless it is among the system's programs, /usr/…); otherwise (an
// installed program) the newest of `recent` that
// still exists, and on a first start Zelk.mdb in a Zelk folder of `documents`.
QString defaultBooks(const QString& programFolder, const QStringList& recent,
                     const QString& documents);
// The same with the user's documents folder and recent list; the command line takes
// $ZELK_BOOKS first.
QString defaultBooks();

// The books opened lately, newest first, as the File menu lists them.
class RecentBooks {
public:
    static constexpr int Kept = 8;
    // The user's own list (the settings of the program).
    RecentBooks();
    // A list kept in other settings (tests).
    explicit RecentBooks(QSettings& settings);
    QStringList list() const;
    // Puts the books first (once), keeping the newest Kept.
    void add(const QString& path);
    void remove(const QString& path);

    ~RecentBooks();

private:
    std::unique_ptr<QSettings> m_own;
    QSettings& m_settings;
};

// The main window's title: "Birchwood Joinery Ltd — 2026 — ~/Documents/Zelk/Zelk.mdb",
// the path under the user's home shortened to ~, and "(read only)" after it when the
// books cannot be written. Books without a company yet show "Zelk" for its name and no
// year.
QString booksTitle(Connection& cnn);

} // namespace zelk::books
