#pragma once

#include "core/data/Connection.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// The rounds of a passphrase's key derivation in the tests (the real ones cost a second
// an opening); a test of the real figure sets Connection::PassphraseRounds for a while.
constexpr int TestPassphraseRounds = 2000;

// A file's bytes (none when it cannot be read), and a file written whole.
QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

// A Zelk database of its own in a temporary folder, opened through the real connection,
// and installed as the application connection while the object lives.
class TestDatabase {
public:
    TestDatabase();
    ~TestDatabase();

    zelk::Connection& cnn() { return *m_cnn; }
    QString folder() const { return m_dir.path(); }
    QString filePath() const;

    zelk::RowSet query(const QString& sql) { return m_cnn->execute(sql); }
    void exec(const QString& sql) { m_cnn->execute(sql); }
    // The first column of the first row as a whole number.
    qint64 scalar(const QString& sql);
    qint64 count(const QString& table);
    QByteArray fileBytes() const;

    // Closes and opens the file again (as a new start of the program would).
    void reopen();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<zelk::Connection> m_cnn;
    zelk::Connection* m_previous = nullptr;
};
