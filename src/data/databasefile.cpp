#include "data/databasefile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DatabaseFile {

namespace {

constexpr int kHeaderSize = 100;
const char kSqliteMark[] = "SQLite format 3"; // followed by a 0 byte: 16 bytes in all
constexpr quint32 kLogMark = 0x377f0682;      // the low bit tells the byte order of the checksums
constexpr quint32 kLogVersion = 3007000;
constexpr int kLogHeaderSize = 32;
constexpr int kFrameHeaderSize = 24;

quint32 bigEndian32(const uchar* bytes)
{
    return qFromBigEndian<quint32>(bytes);
}

bool validPageSize(int size)
{
    return size >= 512 && size <= 65536 && (size & (size - 1)) == 0;
}

// The engine's running checksum of a log: pairs of 32-bit words, in the byte
// order the log's mark names.
struct Checksum
{
    quint32 s1 = 0;
    quint32 s2 = 0;
    bool bigEndianWords = true;

    void add(const uchar* bytes, qsizetype size)
    {
        for (qsizetype i = 0; i + 8 <= size; i += 8) {
            const quint32 a =
                bigEndianWords ? qFromBigEndian<quint32>(bytes + i) : qFromLittleEndian<quint32>(bytes + i);
            const quint32 b = bigEndianWords ? qFromBigEndian<quint32>(bytes + i + 4)
                                             : qFromLittleEndian<quint32>(bytes + i + 4);
            s1 += a + s2;
            s2 += b + s1;
        }
    }
    bool matches(const uchar* stored) const
    {
        return bigEndian32(stored) == s1 && bigEndian32(stored + 4) == s2;
    }
};

} // namespace

Kind kindOf(const QString& path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        // What cannot even be looked at (no permission) is left to the reads,
        // which report it.
        return errno == ENOENT || errno == ENOTDIR ? Kind::Missing : Kind::Regular;
    }
    if (S_ISREG(info.st_mode))
        return Kind::Regular;
    return S_ISDIR(info.st_mode) ? Kind::Folder : Kind::Special;
}

bool sameFile(const QString& a, const QString& b)
{
    struct stat first, second;
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

std::optional<Header> readHeader(const QString& path)
{
    // Never blocks, whatever the file turns out to be.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info;
    uchar bytes[kHeaderSize] = {};
    qsizetype got = 0;
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    while (ok && got < kHeaderSize) {
        const ssize_t n = ::read(fd, bytes + got, size_t(kHeaderSize - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
        got += n;
    }
    ::close(fd);
    if (!ok)
        return std::nullopt;

    Header header;
    header.fileSize = info.st_size;
    header.complete = got == kHeaderSize;
    header.sqlite = got > 0 && memcmp(bytes, kSqliteMark, size_t(qMin<qsizetype>(got, 16))) == 0;
    if (!header.complete || !header.sqlite)
        return header;
    const int storedPageSize = qFromBigEndian<quint16>(bytes + 16);
    const int pageSize = storedPageSize == 1 ? 65536 : storedPageSize;
    header.pageSize = validPageSize(pageSize) ? pageSize : 0;
    // The page count is only kept up to date by releases that also write the
    // change counter into "version valid for"; otherwise it is not to be trusted.
    if (bigEndian32(bytes + 92) == bigEndian32(bytes + 24))
        header.pageCount = bigEndian32(bytes + 28);
    header.logToken = bigEndian32(bytes + 60);
    return header;
}

QString logPath(const QString& dbPath)
{
    return dbPath + QStringLiteral("-wal");
}

QString journalPath(const QString& dbPath)
{
    return dbPath + QStringLiteral("-journal");
}

Log readLog(const QString& dbPath)
{
    Log log;
    QFile file(logPath(dbPath));
    if (kindOf(file.fileName()) == Kind::Missing)
        return log;
    log.present = true;
    if (kindOf(file.fileName()) != Kind::Regular || !file.open(QIODevice::ReadOnly))
        return log;
    const QByteArray head = file.read(kLogHeaderSize);
    if (head.size() < kLogHeaderSize)
        return log;
    const auto* h = reinterpret_cast<const uchar*>(head.constData());
    const quint32 mark = bigEndian32(h);
    const int pageSize = int(bigEndian32(h + 8));
    if ((mark & ~1u) != kLogMark || bigEndian32(h + 4) != kLogVersion || !validPageSize(pageSize))
        return log;
    Checksum sum;
    sum.bigEndianWords = (mark & 1) != 0;
    sum.add(h, 24);
    if (!sum.matches(h + 24))
        return log; // the engine starts such a log afresh
    log.pageSize = pageSize;

    // Frames count while their salts are the header's and their checksums
    // follow on; only those up to the last commit are replayed.
    QSet<quint32> pending;
    int frames = 0;
    QByteArray frame(kFrameHeaderSize + pageSize, Qt::Uninitialized);
    while (file.read(frame.data(), frame.size()) == frame.size()) {
        const auto* f = reinterpret_cast<const uchar*>(frame.constData());
        if (memcmp(f + 8, h + 16, 8) != 0)
            break;
        sum.add(f, 8);
        sum.add(f + kFrameHeaderSize, pageSize);
        if (!sum.matches(f + 16))
            break;
        ++frames;
        if (bigEndian32(f) == 1)
            pending.insert(bigEndian32(f + kFrameHeaderSize + 60));
        if (bigEndian32(f + 4) != 0) { // the last frame of a commit
            log.frames = frames;
            log.tokens.unite(pending);
            pending.clear();
        }
    }
    return log;
}

bool logBelongs(const Header& database, const Log& log)
{
    if (log.frames == 0)
        return true;
    if (log.pageSize != database.pageSize)
        return false;
    return log.tokens.isEmpty() || log.tokens.contains(database.logToken);
}

bool endedUncleanly(const QString& dbPath)
{
    return kindOf(logPath(dbPath)) != Kind::Missing || kindOf(journalPath(dbPath)) != Kind::Missing;
}

Inspection inspect(const QString& path)
{
    Inspection result;
    const std::optional<Header> header = readHeader(path);
    if (!header) {
        result.problem = Problem::Unreadable;
        return result;
    }
    result.size = header->fileSize;
    if (header->fileSize == 0)
        result.problem = Problem::Empty;
    else if (!header->sqlite)
        result.problem = Problem::NotADatabase;
    else if (!header->complete)
        result.problem = Problem::CutShort;
    else if (header->pageSize == 0)
        result.problem = Problem::Damaged;
    if (result.problem != Problem::None)
        return result;

    const Log log = readLog(path);
    if (!logBelongs(*header, log)) {
        result.problem = Problem::ForeignLog;
        return result;
    }
    // With a log to replay or a journal to roll back, the file may rightly be
    // shorter than its header says (a checkpoint or a commit cut short); the
    // engine's own check judges it then.
    if (log.frames > 0 || kindOf(journalPath(path)) != Kind::Missing)
        return result;
    const qint64 expected = qMax<qint64>(header->pageCount, 1) * header->pageSize;
    if (header->fileSize < expected) {
        result.problem = Problem::CutShort;
        result.expectedSize = expected;
    }
    return result;
}

quint32 newLogToken()
{
    quint32 token = 0;
    while (token == 0)
        token = QRandomGenerator::system()->generate();
    return token;
}

bool sync(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

bool replace(const QString& from, const QString& to)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return false;
    sync(QFileInfo(to).absolutePath());
    return true;
}

} // namespace DatabaseFile
