#include "data/databasebackup.h"

#include "data/databasefile.h"
#include "data/integritycheck.h"
#include "data/recordset.h"
#include "data/savedfile.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QtDebug>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sqlite3.h>
#include <sys/stat.h>

namespace DatabaseBackup {

namespace {

const QString kPart = QStringLiteral(".part");

const QString kReasons = QStringLiteral("(before-upgrade|before-purge|before-restore|before-import)");
const QString kStampFormat = QStringLiteral("yyyy-MM-dd-HHmmss");

// "MeboData-2026-12-06-053005Z-0042-before-purge.mdb": UTC and a number.
const QRegularExpression& numberedPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^MeboData-(\\d{4}-\\d{2}-\\d{2}-\\d{6})Z-(\\d+)-") + kReasons +
        QStringLiteral("\\.mdb$"));
    return pattern;
}

// "MeboData-2026-12-06-143005-before-purge-2.mdb": the names of the backups
// made before they were numbered, in local time, a second one within a
// second numbered.
const QRegularExpression& datedPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^MeboData-(\\d{4}-\\d{2}-\\d{2}-\\d{6})-") +
                                            kReasons + QStringLiteral("(?:-(\\d+))?\\.mdb$"));
    return pattern;
}

bool isAutomaticName(const QString& name)
{
    return numberedPattern().match(name).hasMatch() || datedPattern().match(name).hasMatch();
}

// The companions the engine keeps beside a database file.
const char* const kCompanions[] = {"-wal", "-journal", "-shm"};

// A file and the engine's companions of it.
void removeWithCompanions(const QString& path)
{
    QFile::remove(path);
    for (const char* suffix : kCompanions)
        QFile::remove(path + QLatin1String(suffix));
}

// The mode a file saved at path gets: that of the file it replaces, else what
// the user's umask leaves of read and write for all.
mode_t savedMode(const QString& path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode))
        return info.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

[[noreturn]] void fileFailure(const SavedFile& file, const char* step)
{
    throw DataError(std::string(step) + ": " + file.failure().toStdString(),
                    file.diskFull() ? SQLITE_FULL : 0);
}

// Copies the bytes of the file at from into a new file at to, written whole
// before it takes its name.
void copyBytes(const QString& from, const QString& to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        throw DataError(("the file " + from + " could not be read: " + source.errorString()).toStdString());
    SavedFile copy(to);
    if (!copy.open())
        fileFailure(copy, "the copy could not be made");
    QByteArray chunk;
    while (!(chunk = source.read(1 << 20)).isEmpty()) {
        if (copy.write(chunk) != chunk.size())
            fileFailure(copy, "the copy could not be written");
    }
    if (source.error() != QFileDevice::NoError)
        throw DataError(("the file " + from + " could not be read: " + source.errorString()).toStdString());
    if (!copy.commit())
        fileFailure(copy, "the copy could not be written");
}

// The next number of the folder's sequence of automatic backups.
int nextNumber(const QString& folder)
{
    int last = 0;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        const QRegularExpressionMatch match = numberedPattern().match(name);
        if (match.hasMatch())
            last = qMax(last, match.captured(2).toInt());
    }
    return last + 1;
}

// A path in folder for a new automatic backup.
QString newAutomaticPath(const QString& folder, const QString& reason, const QDateTime& when)
{
    if (!QDir().mkpath(folder))
        throw DataError(("the folder " + folder + " could not be made").toStdString());
    QString path;
    for (int number = nextNumber(folder); path.isEmpty() || QFileInfo::exists(path); ++number)
        path = QDir(folder).filePath(automaticName(reason, when, number));
    return path;
}

sqlite3* handleOf(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// Throws the engine's failure of connection.
[[noreturn]] void engineFailure(sqlite3* connection, int rc, const char* step)
{
    const int code = connection ? sqlite3_errcode(connection) : rc;
    const std::string text =
        std::string(step) + ": " + (connection ? sqlite3_errmsg(connection) : sqlite3_errstr(rc));
    throw DataError(text, (code != SQLITE_OK ? code : rc) & 0xff);
}

void execute(sqlite3* connection, const char* sql)
{
    const int rc = sqlite3_exec(connection, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        engineFailure(connection, rc, sql);
}

// A database that can be copied from: open, and no transaction of its own
// under way (a copy would hold what is not committed yet).
void checkSettled(sqlite3* connection)
{
    if (!connection)
        throw DataError("the database is not open");
    if (!sqlite3_get_autocommit(connection))
        throw DataError("a transaction is open");
}

// Every page of the database open on from into the one open on to, through
// the engine's online backup, in one transaction of to.
void copyAll(sqlite3* from, sqlite3* to, const char* step)
{
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup)
        engineFailure(to, SQLITE_ERROR, step);
    const int rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        engineFailure(nullptr, rc, step);
}

// The copy of write(), made under the temporary name part.
void copyInto(sqlite3* source, const QString& part)
{
    sqlite3* copy = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(part).constData(), &copy,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    try {
        if (rc != SQLITE_OK)
            engineFailure(copy, rc, "open the copy");
        execute(copy, "PRAGMA locking_mode = EXCLUSIVE");
        copyAll(source, copy, "copy");
        // The copy is a file of its own: no log beside it, and no token that
        // could pair it with the log of the file it was copied from.
        execute(copy, "PRAGMA journal_mode = DELETE");
        execute(copy, "PRAGMA user_version = 0");
        sqlite3_stmt* check = nullptr;
        rc = sqlite3_prepare_v2(copy, "PRAGMA quick_check(1)", -1, &check, nullptr);
        if (rc != SQLITE_OK)
            engineFailure(copy, rc, "check the copy");
        rc = sqlite3_step(check);
        const QString result =
            rc == SQLITE_ROW ? QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)))
                             : QString();
        sqlite3_finalize(check);
        if (rc != SQLITE_ROW)
            engineFailure(copy, rc, "check the copy");
        if (result != QLatin1String("ok"))
            throw DataError(("the copy is not sound: " + result).toStdString(), SQLITE_CORRUPT);
    } catch (...) {
        sqlite3_close(copy);
        throw;
    }
    if (sqlite3_close(copy) != SQLITE_OK)
        throw DataError("the copy could not be closed");
}

} // namespace

QString automaticName(const QString& reason, const QDateTime& when, int sequence)
{
    return QStringLiteral("MeboData-%1Z-%2-%3.mdb")
        .arg(when.toUTC().toString(kStampFormat))
        .arg(sequence, 4, 10, QLatin1Char('0'))
        .arg(reason);
}

QString suggestedName(const QDate& day)
{
    return QStringLiteral("MeboData-%1.mdb").arg(day.toString(Qt::ISODate));
}

QDateTime madeAt(const QString& fileName)
{
    QRegularExpressionMatch match = numberedPattern().match(fileName);
    if (match.hasMatch()) {
        QDateTime utc = QDateTime::fromString(match.captured(1), kStampFormat);
        utc.setTimeSpec(Qt::UTC);
        return utc.toLocalTime();
    }
    match = datedPattern().match(fileName);
    return match.hasMatch() ? QDateTime::fromString(match.captured(1), kStampFormat) : QDateTime();
}

QStringList automaticBackups(const QString& folder)
{
    struct Backup
    {
        QString name;
        bool numbered;
        int number; // the sequence's, or a second one's within a second
        QString made;
    };
    QList<Backup> backups;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        if (const QRegularExpressionMatch match = numberedPattern().match(name); match.hasMatch())
            backups.append({name, true, match.captured(2).toInt(), match.captured(1)});
        else if (const QRegularExpressionMatch dated = datedPattern().match(name); dated.hasMatch())
            backups.append({name, false, dated.captured(3).isEmpty() ? 1 : dated.captured(3).toInt(),
                            dated.captured(1)});
    }
    // The clock may have been put back, or the zone changed, since a backup was
    // made: only the numbers tell the order for sure.
    std::sort(backups.begin(), backups.end(), [](const Backup& a, const Backup& b) {
        if (a.numbered != b.numbered)
            return a.numbered;
        if (a.numbered || a.made == b.made)
            return a.number != b.number ? a.number > b.number : a.made > b.made;
        return a.made > b.made;
    });
    QStringList names;
    for (const Backup& backup : backups)
        names << backup.name;
    return names;
}

void write(sqlite3* connection, const QString& target, const QString& scratchFolder)
{
    checkSettled(connection);
    const QString part =
        (scratchFolder.isEmpty() ? target : QDir(scratchFolder).filePath(QFileInfo(target).fileName())) +
        kPart;
    removeWithCompanions(part);
    try {
        if (!scratchFolder.isEmpty() && !QDir().mkpath(scratchFolder))
            throw DataError(("the folder " + scratchFolder + " could not be made").toStdString());
        copyInto(connection, part);
        if (::chmod(QFile::encodeName(part).constData(), savedMode(target)) != 0 || !DatabaseFile::sync(part))
            throw DataError(std::string("the copy could not be flushed to the disk: ") + std::strerror(errno),
                            errno == ENOSPC ? SQLITE_FULL : 0);
        if (!DatabaseFile::replace(part, target)) {
            if (errno != EXDEV)
                throw DataError(std::string("the copy could not be given its name: ") + std::strerror(errno));
            // Another disk: the bytes go over, written whole there.
            copyBytes(part, target);
            QFile::remove(part);
        }
    } catch (...) {
        removeWithCompanions(part);
        throw;
    }
}

QString writeAutomatic(sqlite3* connection, const QString& folder, const QString& reason,
                       const QDateTime& when, const QString& spare)
{
    const QString path = newAutomaticPath(folder, reason, when);
    write(connection, path);
    rotate(folder, kKept, {path, spare});
    return path;
}

QString copyAutomatic(const QString& dbPath, const QString& folder, const QString& reason,
                      const QDateTime& when, const QString& spare)
{
    const QString path = newAutomaticPath(folder, reason, when);
    try {
        // The log and the journal first: the file under its name has them beside it.
        for (const char* suffix : {"-wal", "-journal"}) {
            if (DatabaseFile::kindOf(dbPath + QLatin1String(suffix)) == DatabaseFile::Kind::Regular)
                copyBytes(dbPath + QLatin1String(suffix), path + QLatin1String(suffix));
        }
        copyBytes(dbPath, path);
    } catch (...) {
        removeWithCompanions(path);
        throw;
    }
    rotate(folder, kKept, {path, spare});
    return path;
}

QStringList rotate(const QString& folder, int keep, const QStringList& spared)
{
    QList<QFileInfo> kept;
    for (const QString& path : spared) {
        if (!path.isEmpty())
            kept << QFileInfo(path);
    }
    const QStringList backups = automaticBackups(folder);
    QStringList removed;
    for (qsizetype i = keep; i < backups.size(); ++i) {
        const QString path = QDir(folder).filePath(backups[i]);
        if (kept.contains(QFileInfo(path)))
            continue;
        if (QFile::remove(path)) {
            removeWithCompanions(path);
            removed << backups[i];
        }
    }
    return removed;
}

QString restorePath(const QString& dbPath)
{
    return dbPath + QStringLiteral(".restore");
}

QString prepareRestore(const QString& source, const QString& dbPath)
{
    QSqlDatabase db = openReadOnly(source);
    const QString target = restorePath(dbPath);
    try {
        write(handleOf(db), target);
    } catch (...) {
        closeReadOnly(db);
        throw;
    }
    closeReadOnly(db);
    return target;
}

void copyOnto(const QString& source, sqlite3* destination)
{
    checkSettled(destination);
    sqlite3* from = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(source).constData(), &from, SQLITE_OPEN_READONLY, nullptr);
    try {
        if (rc != SQLITE_OK)
            engineFailure(from, rc, "open the file to restore");
        copyAll(from, destination, "restore");
    } catch (...) {
        sqlite3_close(from);
        throw;
    }
    sqlite3_close(from);
}

void removeLeftovers(const QString& dbPath, const QString& folder)
{
    removeWithCompanions(restorePath(dbPath));
    removeWithCompanions(restorePath(dbPath) + kPart);
    const QDir backups(folder);
    for (const QString& name : backups.entryList(QDir::Files)) {
        if (name.contains(kPart + QLatin1String("-")) || name.endsWith(kPart)) {
            QFile::remove(backups.filePath(name));
            continue;
        }
        // The log or journal of a copy of bytes whose file never got its name.
        for (const char* suffix : kCompanions) {
            if (!name.endsWith(QLatin1String(suffix)))
                continue;
            const QString base = name.chopped(qsizetype(qstrlen(suffix)));
            if (isAutomaticName(base) && !QFileInfo::exists(backups.filePath(base)))
                QFile::remove(backups.filePath(name));
        }
    }
}

QSqlDatabase openReadOnly(const QString& path)
{
    static QAtomicInteger<int> serial;
    const QString name = QStringLiteral("foodlark-readonly-%1").arg(serial.fetchAndAddRelaxed(1));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(IntegrityCheck::unlockedUri(path));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
    if (!db.open()) {
        const DataError error = DataError::fromEngine(db.lastError());
        closeReadOnly(db);
        throw error;
    }
    return db;
}

void closeReadOnly(QSqlDatabase& db)
{
    const QString name = db.connectionName();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

} // namespace DatabaseBackup
