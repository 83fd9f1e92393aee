#include "OutputFile.h"

#include "core/books/Snapshots.h"
#include "core/data/Connection.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <filesystem>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zelk::exchange {

namespace {

constexpr qsizetype BufferSize = 1 << 20;
qint64 s_spaceLeft = -1;

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

void RefuseBooksFile(const QString& path, const Connection& books) {
    const QFileInfo target(path);
    const QFileInfo file(books.filePath());
    std::error_code ec;
    bool refused = std::filesystem::equivalent(fsPath(target.absoluteFilePath()),
                                               fsPath(file.absoluteFilePath()), ec);
    const QString folder = QFileInfo(target.absolutePath()).canonicalFilePath();
    const QString snapshots = QFileInfo(snapshots::folderOf(books)).canonicalFilePath();
    if (!folder.isEmpty()) {
        // The books' journal beside them (Zelk.mdb-journal), and every snapshot.
        refused = refused || (folder == file.canonicalPath() &&
                              target.fileName().startsWith(file.fileName(), Qt::CaseInsensitive));
        refused = refused || (!snapshots.isEmpty() &&
                              (folder == snapshots || folder.startsWith(snapshots + u'/')));
    }
    if (refused)
        throw ExportError(QStringLiteral("%1 is a file of the open books (the books, their journal "
                                         "or a snapshot in Backups): it is never written over.")
                              .arg(QDir::toNativeSeparators(target.absoluteFilePath())));
}

void OutputFile::setSpaceLeftForTesting(qint64 bytes) {
    s_spaceLeft = bytes;
}

OutputFile::OutputFile(const QString& path, const Connection* books) : m_path(path) {
    if (books)
        RefuseBooksFile(path, *books);
    const QFileInfo info(path);
    if (!QFileInfo(info.absolutePath()).isDir())
        throw ExportError(failure(QStringLiteral("the folder %1 does not exist")
                                      .arg(QDir::toNativeSeparators(info.absolutePath()))));
    if (info.isDir())
        throw ExportError(failure(QStringLiteral("it is a folder")));
    m_file = std::make_unique<QTemporaryFile>(
        QDir(info.absolutePath())
            .filePath(QStringLiteral(".") + info.fileName() + QStringLiteral(".XXXXXX")));
    if (!m_file->open())
        throw ExportError(failure(m_file->errorString()));
    m_buffer.reserve(BufferSize);
}

OutputFile::~OutputFile() = default;

QString OutputFile::failure(const QString& reason) const {
    return QStringLiteral("The file %1 could not be written: %2.")
        .arg(QDir::toNativeSeparators(m_path), reason);
}

QString OutputFile::temporaryPath() const {
    return m_file->fileName();
}

void OutputFile::write(QByteArrayView bytes) {
    if (s_spaceLeft >= 0) {
        if (bytes.size() > s_spaceLeft) {
            s_spaceLeft = 0;
            throw ExportError(failure(systemError(ENOSPC)));
        }
        s_spaceLeft -= bytes.size();
    }
    m_buffer.append(bytes);
    if (m_buffer.size() >= BufferSize)
        flush();
}

void OutputFile::flush() {
    if (m_buffer.isEmpty())
        return;
#ifdef Q_OS_UNIX
    // Written straight to the descriptor, so a failure says why (Qt says "Unknown error").
    const int fd = int(m_file->handle());
    for (qsizetype done = 0; done < m_buffer.size();) {
        const ssize_t n = ::write(fd, m_buffer.constData() + done, size_t(m_buffer.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw ExportError(failure(systemError(n < 0 ? errno : ENOSPC)));
        done += qsizetype(n);
    }
    m_written += m_buffer.size();
#else
    if (m_file->write(m_buffer) != m_buffer.size() || !m_file->flush())
        throw ExportError(failure(m_file->errorString()));
    m_written += m_buffer.size();
#endif
    m_buffer.resize(0);
}

void OutputFile::commit() {
    flush();
    // A library may have written the file by its name: what the disk took is checked too.
    if (s_spaceLeft >= 0 && QFileInfo(temporaryPath()).size() - m_written > s_spaceLeft)
        throw ExportError(failure(systemError(ENOSPC)));
    const QString temporary = temporaryPath();
#ifdef Q_OS_UNIX
    const int fd = int(m_file->handle());
    const QFileInfo target(m_path);
    struct stat st {};
    mode_t mode = 0;
    if (target.exists() && ::stat(QFile::encodeName(m_path).constData(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)
        throw ExportError(failure(systemError(errno)));
#endif
    m_file->close();
    std::error_code ec;
    std::filesystem::rename(fsPath(temporary), fsPath(m_path), ec);
    if (ec)
        throw ExportError(failure(QString::fromStdString(ec.message())));
    m_file->setAutoRemove(false);
}

} // namespace zelk::exchange
