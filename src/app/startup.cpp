#include "app/startup.h"

#include "app/appcontext.h"
#include "app/backups.h"
#include "app/configstore.h"
#include "app/databasemessages.h"
#include "app/databaseupgrade.h"
#include "data/databasebackup.h"
#include "data/databasefile.h"
#include "data/orvdatasource.h"
#include "data/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace Startup {

namespace {

// Reports a file (or its folder) that the program could not write to, in the
// words the data source uses for the same trouble, and answers true.
bool refuseUnwritable(AppContext& context, const QString& path)
{
    if (isWritable(path) && isWritable(QFileInfo(path).absolutePath()))
        return false;
    context.reportError(QStringLiteral("The %1 Database '%2' can not be written to.  Make sure that the file "
                                       "and its folder are not read-only.  ")
                            .arg(context.appTitle, QDir::toNativeSeparators(path)));
    return true;
}

// Refuses a folder or a special file at path, which the engine would not
// open (or would wait on forever), and answers true.
bool refuseOdd(AppContext& context, const QString& path)
{
    switch (DatabaseFile::kindOf(path)) {
    case DatabaseFile::Kind::Folder:
        context.reportError(DatabaseMessages::folder(context, path));
        return true;
    case DatabaseFile::Kind::Special:
        context.reportError(DatabaseMessages::special(context, path));
        return true;
    default:
        return false;
    }
}

// Makes the data folder when it is not there yet (the user's own on the
// first start, or one named on the command line). A read-only mark on the
// folder it would be made in is respected, as everywhere. Nothing is written
// anywhere else when it cannot be made.
bool makeDataFolder(AppContext& context)
{
    const QString& folder = context.dataFolder.path;
    if (folder.isEmpty()) {
        context.reportError(QStringLiteral("No folder could be found for the %1 Database: the user's data "
                                           "folder is not known.  Name a folder with --data-dir.  ")
                                .arg(context.appTitle));
        return false;
    }
    QString existing = folder;
    while (!QFileInfo::exists(existing) && QFileInfo(existing).absolutePath() != existing)
        existing = QFileInfo(existing).absolutePath();
    const bool isFolder = QFileInfo(existing).isDir();
    if (isFolder && existing == folder)
        return true;
    QString reason = QStringLiteral("the system refused to make it");
    if (!isFolder)
        reason = QStringLiteral("'%1' is a file, not a folder").arg(QDir::toNativeSeparators(existing));
    else if (!isWritable(existing))
        reason =
            QStringLiteral("the folder '%1' can not be written to").arg(QDir::toNativeSeparators(existing));
    else if (QDir().mkpath(folder))
        return true;
    context.reportError(QStringLiteral("Unable to make the folder '%1' for the %2 Database: %3.  Make sure "
                                       "that the folder it belongs in can be written to, or name another "
                                       "folder with --data-dir.  ")
                            .arg(QDir::toNativeSeparators(folder), context.appTitle, reason));
    return false;
}

// Copies the seed into the data folder as its new log, written whole and
// flushed under another name before it takes the log's name. The seed itself
// stays as it is.
bool copySeed(AppContext& context, const QString& seed)
{
    const QString& folder = context.dataFolder.path;
    if (!isWritable(folder)) {
        context.reportError(
            QStringLiteral("The folder '%1' can not be written to, so no new %2 Database can be "
                           "made in it.  Make sure that the folder is not read-only, or name "
                           "another folder with --data-dir.  ")
                .arg(QDir::toNativeSeparators(folder), context.appTitle));
        return false;
    }
    QFile source(seed);
    QSaveFile copy(context.dbPath);
    bool copied = source.open(QIODevice::ReadOnly) && copy.open(QIODevice::WriteOnly);
    while (copied && !source.atEnd()) {
        const QByteArray chunk = source.read(1 << 20);
        copied = !chunk.isEmpty() && copy.write(chunk) == chunk.size();
    }
    if (copied && copy.commit())
        return true;
    const QString reason = source.error() != QFileDevice::NoError ? source.errorString() : copy.errorString();
    context.reportError(QStringLiteral("Unable to copy the new database '%1' into the folder '%2' (%3).  ")
                            .arg(QDir::toNativeSeparators(seed), QDir::toNativeSeparators(folder), reason));
    return false;
}

// Refuses the open database with message: the file is closed, and as it was.
bool refuse(AppContext& context, const QString& message)
{
    context.reportError(message);
    context.dataSource().closeDB();
    return false;
}

// Why the file's bytes refuse it (an ordinary file, or none), "" when they
// do not; damaged tells a file that a backup may take the place of.
QString fileRefusal(AppContext& context, bool* damaged)
{
    *damaged = true;
    const QString& path = context.dbPath;
    // A missing file is left to the connection, which reports it.
    if (DatabaseFile::kindOf(path) == DatabaseFile::Kind::Missing)
        return QString();
    const DatabaseFile::Inspection file = DatabaseFile::inspect(path);
    switch (file.problem) {
    case DatabaseFile::Problem::None:
        return QString();
    case DatabaseFile::Problem::Unreadable:
        *damaged = false;
        return DatabaseMessages::unreadable(context, path);
    case DatabaseFile::Problem::Empty:
        return DatabaseMessages::empty(context, path);
    case DatabaseFile::Problem::NotADatabase:
        return DatabaseMessages::notADatabase(context, path);
    case DatabaseFile::Problem::Damaged:
        return DatabaseMessages::damaged(context, path, QStringLiteral("its header is not valid"));
    case DatabaseFile::Problem::CutShort:
        return DatabaseMessages::cutShort(context, path, file.size, file.expectedSize);
    case DatabaseFile::Problem::ForeignLog:
        return DatabaseMessages::foreignLog(context, path);
    }
    return QString();
}

// The refusal checkContent shows, "" when there is none; the file stays open.
QString contentRefusal(AppContext& context, bool afterUncleanEnd, bool fullUpgradePending)
{
    OrvDataSource& dataSource = context.dataSource();
    const QString& path = context.dbPath;
    if (afterUncleanEnd) {
        const QString finding = dataSource.quickCheck();
        if (!finding.isEmpty())
            return DatabaseMessages::damaged(context, path, DatabaseMessages::engineFinding(finding));
    }
    try {
        const QSqlDatabase db = dataSource.database();
        const QStringList missing = Schema::missingParts(db, !fullUpgradePending);
        if (!missing.isEmpty())
            return DatabaseMessages::missingParts(context, path, missing);
        const QList<Schema::KeyFault> faults = Schema::keyFaults(db, !fullUpgradePending);
        if (!faults.isEmpty())
            return DatabaseMessages::keyFaults(context, path, faults);
    } catch (const DataError& error) {
        return DatabaseMessages::damaged(
            context, path, DatabaseMessages::engineFinding(QString::fromStdString(error.what())));
    }
    return QString();
}

} // namespace

Probe probeFile(const QString& path)
{
    // Only "no such file" may lead to the template; every other failure is
    // left to the connection, which reports it. A named pipe opens at once.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return Probe::Found;
    }
    return errno == ENOENT ? Probe::NotFound : Probe::Failed;
}

bool isWritable(const QString& path)
{
    const QFileInfo info(path);
    const QFile::Permissions anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return info.isWritable() && (info.permissions() & anyWrite);
}

bool locateDatabase(AppContext& context)
{
    if (!makeDataFolder(context))
        return false;
    if (probeFile(context.dbPath) != Probe::NotFound)
        return true;
    if (probeFile(context.upgradePath) == Probe::NotFound) {
        const QString& seed = context.dataFolder.seedPath;
        if (!seed.isEmpty() && probeFile(seed) != Probe::NotFound)
            return copySeed(context, seed);
        context.prompts().ask(
            {PromptIcon::Critical, PromptButtons::Ok, QStringLiteral("Critical Application Error"),
             QStringLiteral("Unable to locate database file '") + QDir::toNativeSeparators(context.dbPath) +
                 QStringLiteral("'.") + QStringLiteral("\r\n\r\n") +
                 QStringLiteral("  Check your installation folder.  If the file is missing, you "
                                "may attempt to reinstall the application. ") +
                 QStringLiteral("\r\n\r\n") + context.supportMessage});
        return false;
    }
    // A template that could not be used once moved stays where it is.
    if (refuseOdd(context, context.upgradePath) || refuseUnwritable(context, context.upgradePath))
        return false;
    if (!QFile::rename(context.upgradePath, context.dbPath)) {
        context.reportError(
            QStringLiteral("Unable to move the database file '%1' to '%2'.  Make sure that its "
                           "folder is not read-only.  ")
                .arg(QDir::toNativeSeparators(context.upgradePath),
                     QDir::toNativeSeparators(context.dbPath)));
        return false;
    }
    return true;
}

bool checkWritable(AppContext& context)
{
    // A missing or odd file is left to the connection's own report.
    if (!QFileInfo(context.dbPath).isFile())
        return true;
    return !refuseUnwritable(context, context.dbPath);
}

bool checkContent(AppContext& context, bool afterUncleanEnd, bool fullUpgradePending)
{
    const QString refusal = contentRefusal(context, afterUncleanEnd, fullUpgradePending);
    return refusal.isEmpty() || refuse(context, refusal);
}

namespace {

enum class Opening { Opened, Ended, Restored };

// A damaged or foreign file, closed: refused, with the newest sound backup offered in its place.
Opening refuseDamaged(AppContext& context, const QString& message)
{
    context.dataSource().closeDB();
    return Backups::refuseOfferingBackup(context, message) ? Opening::Restored : Opening::Ended;
}

Opening openOnce(AppContext& context)
{
    if (!locateDatabase(context) || !checkWritable(context) || refuseOdd(context, context.dbPath))
        return Opening::Ended;
    bool damaged = false;
    if (const QString refusal = fileRefusal(context, &damaged); !refusal.isEmpty()) {
        if (damaged)
            return refuseDamaged(context, refusal);
        context.reportError(refusal);
        return Opening::Ended;
    }
    const bool afterUncleanEnd = DatabaseFile::endedUncleanly(context.dbPath);
    OrvDataSource& dataSource = context.dataSource();
    QString refusal;
    if (!dataSource.connectDB(&refusal))
        return refusal.isEmpty() ? Opening::Ended : refuseDamaged(context, refusal);
    // cmdConfig and cmdTableKey report their own failures; the version check
    // reports or asks itself. The content is checked once the stored version
    // tells what the file must hold, before anything is written.
    if (!dataSource.cmdConfig() || !dataSource.cmdTableKey()) {
        dataSource.closeDB();
        return Opening::Ended;
    }
    // The version is read only where the configuration has its columns; a
    // file that fails here is refused by the content check.
    bool fullUpgrade = false;
    try {
        const QString stored = context.config().getConfig(QStringLiteral("VERSION"));
        // A newer release's file may hold what this one does not know of: it
        // is refused as it is, before its content is judged.
        if (isNewerVersion(stored)) {
            refuse(context, DatabaseMessages::newerVersion(context, context.dbPath, stored));
            return Opening::Ended;
        }
        fullUpgrade =
            Schema::missingParts(dataSource.database(), false).isEmpty() && needsFullUpgrade(stored);
    } catch (const DataError&) {
    }
    if (const QString content = contentRefusal(context, afterUncleanEnd, fullUpgrade); !content.isEmpty())
        return refuseDamaged(context, content);
    if (!checkDatabaseVersion(context) || (fullUpgrade && !checkContent(context, false, false))) {
        // The program ends here: let go of the file at once.
        dataSource.closeDB();
        return Opening::Ended;
    }
    return Opening::Opened;
}

} // namespace

bool openDatabase(AppContext& context)
{
    // A backup put in place of a refused file is opened as any file is.
    for (;;) {
        switch (openOnce(context)) {
        case Opening::Opened:
            return true;
        case Opening::Ended:
            return false;
        case Opening::Restored:
            break;
        }
    }
}

void acceptDatabase(AppContext& context)
{
    OrvDataSource& dataSource = context.dataSource();
    DatabaseBackup::removeLeftovers(context.dbPath, context.backupFolder());
    // The check reads the file as it lies on the disk, which holds everything
    // once the log has begun; with a rollback journal it would not stay still.
    if (dataSource.useWriteAheadLog())
        dataSource.startIntegrityCheck();
    // A file from before the days were kept beside the log gets them now, once.
    dataSource.keepDietMonths();
}

bool introductionEnabled(ConfigStore& config)
{
    return config.getConfig(QStringLiteral("SHOWTIPS")) == QLatin1String("Y");
}

} // namespace Startup
