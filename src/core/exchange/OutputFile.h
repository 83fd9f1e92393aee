#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>
#include <stdexcept>

class QTemporaryFile;

namespace zelk {
class Connection;
}

namespace zelk::exchange {

// The file cannot be written; the message names it and the reason.
class ExportError : public std::runtime_error {
public:
    explicit ExportError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// A file written whole or not at all: the bytes go to a temporary file beside it, which
// is renamed into place only when complete, so a full disk, an error or a crash leaves
// the file as it was and nothing else behind. A file of the open books (the books
// themselves, their journal, a snapshot in Backups) is never written over.
class OutputFile {
public:
    // Refuses a file of `books` (when given) and creates the temporary file; throws
    // ExportError naming the file and the cause.
    OutputFile(const QString& path, const Connection* books);
    ~OutputFile(); // removes the temporary file unless committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Appends bytes (kept a megabyte at a time); throws ExportError ("No space left on
    // device").
    void write(QByteArrayView bytes);
    // The temporary file, for a library that writes the file itself.
    QString temporaryPath() const;
    // Writes what is kept, makes it durable and renames it into place.
    void commit();
    const QString& path() const { return m_path; }
    // The message of a failure: "The file X could not be written: reason."
    QString failure(const QString& reason) const;

    // A test seam: after `bytes` more bytes every file fails as on a full disk (a
    // negative value: no limit).
    static void setSpaceLeftForTesting(qint64 bytes);

private:
    void flush();

    QString m_path;
    std::unique_ptr<QTemporaryFile> m_file;
    QByteArray m_buffer;
    qint64 m_written = 0; // through write()
};

// Throws ExportError when `path` is a file of the open books: the books file, its
// journal, or a snapshot in their Backups folder.
void RefuseBooksFile(const QString& path, const Connection& books);

} // namespace zelk::exchange
