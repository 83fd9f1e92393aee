#include "BooksLocation.h"

#include "core/data/Connection.h"
#include "core/data/FiscalCalendar.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace zelk::books {

namespace {
const QString RecentKey = QStringLiteral("RecentBooks");

QString normal(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}
} // namespace

QString defaultBooks(const QString& programFolder, const QStringList& recent,
                     const QString& documents) {
    const QString beside = QDir(programFolder).filePath(QLatin1String(Connection::FileName));
    // A program installed among the system's programs keeps no books there, even where an
    // administrator could write.
    const QString folder = QDir::cleanPath(programFolder);
    const bool installed = folder.startsWith(QLatin1String("/usr/")) ||
                           folder == QLatin1String("/bin") || folder == QLatin1String("/sbin");
    if (QFileInfo::exists(beside) || (!installed && QFileInfo(programFolder).isWritable()))
        return beside;
    for (const QString& path : recent)
        if (QFileInfo(path).isFile())
            return path;
    return QDir(documents).filePath(QStringLiteral("Zelk/") + QLatin1String(Connection::FileName));
}

QString defaultBooks() {
    return defaultBooks(QCoreApplication::applicationDirPath(), RecentBooks().list(),
                        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

RecentBooks::RecentBooks()
    : m_own(std::make_unique<QSettings>(QSettings::UserScope, QStringLiteral("Zelk"),
                                        QStringLiteral("Zelk"))),
      m_settings(*m_own) {}

RecentBooks::RecentBooks(QSettings& settings) : m_settings(settings) {}

RecentBooks::~RecentBooks() = default;

QStringList RecentBooks::list() const {
    return m_settings.value(RecentKey).toStringList();
}

void RecentBooks::add(const QString& path) {
    QStringList paths = list();
    const QString p = normal(path);
    paths.removeAll(p);
    paths.prepend(p);
    while (paths.size() > Kept)
        paths.removeLast();
    m_settings.setValue(RecentKey, paths);
    m_settings.sync();
}

void RecentBooks::remove(const QString& path) {
    QStringList paths = list();
    if (paths.removeAll(normal(path)) == 0)
        return;
    m_settings.setValue(RecentKey, paths);
    m_settings.sync();
}

QString booksTitle(Connection& cnn) {
    QString path = QDir::cleanPath(QFileInfo(cnn.filePath()).absoluteFilePath());
    const QString home = QDir::cleanPath(QDir::homePath());
    if (path.startsWith(home + QLatin1Char('/')))
        path = QStringLiteral("~") + path.mid(home.size());
    QStringList parts;
    const CompanyRow company = CompanyRow::read(cnn);
    parts << (company.Name.trimmed().isEmpty() ? QStringLiteral("Zelk") : company.Name.trimmed());
    if (!company.Name.trimmed().isEmpty() && company.CurrentPeriodYear > 0)
        parts << QString::number(company.CurrentPeriodYear);
    parts << QDir::toNativeSeparators(path);
    QString title = parts.join(QStringLiteral(" \u2014 "));
    if (cnn.isReadOnly())
        title += QStringLiteral(" (read only)");
    return title;
}

} // namespace zelk::books
