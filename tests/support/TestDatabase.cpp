#include "TestDatabase.h"

#include "core/data/UserPorts.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

TestDatabase::TestDatabase() {
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder");
    m_cnn = zelk::Connection::open(m_dir.path());
    m_previous = zelk::g_cnn;
    zelk::g_cnn = m_cnn.get();
    zelk::setProgramFolder(m_dir.path());
}

TestDatabase::~TestDatabase() {
    if (zelk::g_cnn == m_cnn.get())
        zelk::g_cnn = m_previous;
    m_cnn.reset();
}

QString TestDatabase::filePath() const {
    return QDir(m_dir.path()).filePath(QStringLiteral("Zelk.mdb"));
}

qint64 TestDatabase::scalar(const QString& sql) {
    zelk::RowSet rs = m_cnn->execute(sql);
    if (rs.eof())
        throw std::runtime_error("no row: " + sql.toStdString());
    return rs.value(0).toLongLong();
}

qint64 TestDatabase::count(const QString& table) {
    return scalar(QStringLiteral("SELECT Count(*) FROM ") + table);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

QByteArray TestDatabase::fileBytes() const {
    return readFile(filePath());
}

void TestDatabase::reopen() {
    const bool installed = zelk::g_cnn == m_cnn.get();
    m_cnn.reset();
    m_cnn = zelk::Connection::open(m_dir.path());
    if (installed)
        zelk::g_cnn = m_cnn.get();
}
