#include "data/databasebackup.h"

#include "data/databasefile.h"
#include "data/integritycheck.h"
#include "data/recordset.h"

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

namespace DatabaseBackup {

namespace {

const QString kPart = QStringLiteral(".part");

const QRegularExpression& automaticPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^MeboData-(\\d{4}-\\d{2}-\\d{2}-\\d{6})-(before-upgrade|before-purge|before-restore)"
                       "(?:-(\\d+))?\\.mdb$"));
    return pattern;
}

// A file and the engine's companions of it.
void removeWithCompanions(const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
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
        sqlite3_backup* backup = sqlite3_backup_init(copy, "main", source, "main");
        if (!backup)
            engineFailure(copy, SQLITE_ERROR, "start the copy");
        rc = sqlite3_backup_step(backup, -1);
        sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE)
            engineFailure(nullptr, rc, "copy");
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

QString automaticName(const QString& reason, const QDateTime& when)
{
    return QStringLiteral("MeboData-%1-%2.mdb")
        .arg(when.toString(QStringLiteral("yyyy-MM-dd-HHmmss")), reason);
}

QString suggestedName(const QDate& day)
{
    return QStringLiteral("MeboData-%1.mdb").arg(day.toString(Qt::ISODate));
}

QDateTime madeAt(const QString& fileName)
{
    const QRegularExpressionMatch match = automaticPattern().match(fileName);
    return match.hasMatch() ? QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd-HHmmss"))
                            : QDateTime();
}

void write(sqlite3* connection, const QString& target)
{
    if (!connection)
        throw DataError("the database is not open");
    // Within a transaction the copy would hold what is not committed yet.
    if (!sqlite3_get_autocommit(connection))
        throw DataError("a transaction is open");
    const QString part = target + kPart;
    removeWithCompanions(part);
    try {
        copyInto(connection, part);
        if (!DatabaseFile::sync(part))
            throw DataError(std::string("the copy could not be flushed to the disk: ") + std::strerror(errno),
                            errno == ENOSPC ? SQLITE_FULL : 0);
        if (!DatabaseFile::replace(part, target))
            throw DataError(std::string("the copy could not be given its name: ") + std::strerror(errno));
    } catch (...) {
        removeWithCompanions(part);
        throw;
    }
}

QString writeAutomatic(sqlite3* connection, const QString& folder, const QString& reason,
                       const QDateTime& when, const QString& spare)
{
    if (!QDir().mkpath(folder))
        throw DataError(("the folder " + folder + " could not be made").toStdString());
    // Two backups within one second keep apart: the later one is numbered.
    QString path = QDir(folder).filePath(automaticName(reason, when));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir(folder).filePath(
            automaticName(reason, when).replace(QLatin1String(".mdb"), QStringLiteral("-%1.mdb").arg(n)));
    write(connection, path);
    rotate(folder, kKept, spare);
    return path;
}

QStringList rotate(const QString& folder, int keep, const QString& spare)
{
    const QFileInfo spared(spare);
    struct Backup
    {
        QString name;
        QString made;
        int number;
    };
    QList<Backup> backups;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        const QRegularExpressionMatch match = automaticPattern().match(name);
        if (match.hasMatch())
            backups.append(
                {name, match.captured(1), match.captured(3).isEmpty() ? 1 : match.captured(3).toInt()});
    }
    std::sort(backups.begin(), backups.end(), [](const Backup& a, const Backup& b) {
        return a.made != b.made ? a.made > b.made : a.number > b.number;
    });
    QStringList removed;
    for (qsizetype i = keep; i < backups.size(); ++i) {
        const QString path = QDir(folder).filePath(backups[i].name);
        if (!spare.isEmpty() && QFileInfo(path) == spared)
            continue;
        if (QFile::remove(path))
            removed << backups[i].name;
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

void removeLeftovers(const QString& dbPath, const QString& folder)
{
    removeWithCompanions(restorePath(dbPath));
    removeWithCompanions(restorePath(dbPath) + kPart);
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        if (name.contains(kPart + QLatin1String("-")) || name.endsWith(kPart))
            QFile::remove(QDir(folder).filePath(name));
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
