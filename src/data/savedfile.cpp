#include "data/savedfile.h"

#include "data/databasefile.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype kTailSize = 64;

} // namespace

SavedFile::SavedFile(const QString& path) : m_path(path), m_file(path) {}

SavedFile::~SavedFile()
{
    cancel();
}

bool SavedFile::open()
{
    m_written = 0;
    m_tail.clear();
    m_failure.clear();
    m_diskFull = false;
    // The bytes go to the file's descriptor as they come (no buffer of Qt's
    // in between), so that each write's own failure is seen.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        fail(m_file.errorString());
        return false;
    }
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 SavedFile::readData(char*, qint64)
{
    return -1;
}

qint64 SavedFile::writeData(const char* data, qint64 size)
{
    if (failed())
        return -1;
    const int fd = m_file.handle();
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail(n < 0 ? errno : ENOSPC); // a write of nothing: no room left
            return -1;
        }
        done += n;
    }
    m_written += size;
    m_tail.append(data + qMax<qint64>(0, size - kTailSize), int(qMin<qint64>(size, kTailSize)));
    m_tail = m_tail.right(kTailSize);
    return size;
}

void SavedFile::fail(int error)
{
    const bool full = error == ENOSPC || error == EDQUOT;
    if (m_failure.isEmpty())
        m_diskFull = full;
    fail(full ? QStringLiteral("the disk is full") : QString::fromLocal8Bit(std::strerror(error)));
}

void SavedFile::fail(const QString& why)
{
    if (m_failure.isEmpty())
        m_failure = why.isEmpty() ? QStringLiteral("it could not be written") : why;
}

bool SavedFile::commit(const QByteArray& ending)
{
    if (!m_file.isOpen()) {
        fail(QStringLiteral("it was not opened"));
        return false;
    }
    const int fd = m_file.handle();
    struct stat info;
    if (!failed() && ::fstat(fd, &info) != 0)
        fail(errno);
    if (!failed() && info.st_size != m_written)
        fail(QStringLiteral("only %1 of its %2 bytes reached the disk").arg(info.st_size).arg(m_written));
    if (!failed() && !ending.isEmpty() && !m_tail.trimmed().endsWith(ending))
        fail(QStringLiteral("it is incomplete"));
    // What the disk could not take shows here at the latest.
    if (!failed() && ::fsync(fd) != 0)
        fail(errno);
    if (failed()) {
        cancel();
        return false;
    }
    QIODevice::close();
    if (!m_file.commit()) {
        fail(m_file.errorString());
        return false;
    }
    // The new name itself reaches the disk too.
    DatabaseFile::sync(QFileInfo(m_path).absolutePath());
    return true;
}

void SavedFile::cancel()
{
    if (QIODevice::isOpen())
        QIODevice::close();
    if (m_file.isOpen()) {
        // Committing a cancelled file removes the temporary one.
        m_file.cancelWriting();
        m_file.commit();
    }
}
