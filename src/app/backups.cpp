#include "app/backups.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "app/databasemessages.h"
#include "app/databaseupgrade.h"
#include "app/startup.h"
#include "data/databasebackup.h"
#include "data/databasefile.h"
#include "data/orvdatasource.h"
#include "data/recordset.h"
#include "data/schema.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QVersionNumber>

namespace Backups {

namespace {

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Tells the windows that the program is at work for as long as it lives.
class Working
{
public:
    explicit Working(const std::function<void(bool)>& busy) : m_busy(busy)
    {
        if (m_busy)
            m_busy(true);
    }
    ~Working()
    {
        if (m_busy)
            m_busy(false);
    }
    Working(const Working&) = delete;
    Working& operator=(const Working&) = delete;

private:
    const std::function<void(bool)>& m_busy;
};

// "1 food", "7,915 foods".
QString count(int n, const QString& one, const QString& many)
{
    return QLocale(QLocale::English).toString(n) + QLatin1Char(' ') + (n == 1 ? one : many);
}

// Why a copy could not be made, in the user's words where they are known.
QString cause(const DataError& error)
{
    if (error.diskFull())
        return QStringLiteral("the disk is full");
    return QString::fromStdString(error.what());
}

QString backupFailed(const AppContext& context, const QString& target, const DataError& error,
                     const QString& notDone)
{
    return QStringLiteral("Unable to back up the %1 Database to '%2': %3.  ")
               .arg(context.appTitle, native(target), cause(error)) +
           notDone;
}

// The file at path, its folder's links resolved.
QString resolved(const QString& path)
{
    const QFileInfo file(path);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? file.absolutePath() : folder) + QLatin1Char('/') + file.fileName();
}

// The database in use or one of the engine's files beside it.
bool isLiveFile(const AppContext& context, const QString& path)
{
    const QString file = resolved(path);
    const QString live = resolved(context.dbPath);
    for (const char* suffix : {"", "-wal", "-journal", "-shm"}) {
        if (file == live + QLatin1String(suffix))
            return true;
    }
    return false;
}

int rowCount(const QSqlDatabase& db, const QString& table)
{
    QSqlQuery query(db);
    // Only this program's own table names go into the statement.
    if (!query.exec(QStringLiteral("SELECT count(*) FROM %1").arg(table)) || !query.next())
        throw DataError::fromEngine(query.lastError());
    return query.value(0).toInt();
}

} // namespace

bool makeAutomatic(AppContext& context, const QString& reason, const QString& notDone)
{
    const QString folder = context.backupFolder();
    try {
        DatabaseBackup::writeAutomatic(context.dataSource().handle(), folder, reason);
        return true;
    } catch (const DataError& error) {
        context.reportError(backupFailed(context, folder, error, notDone));
        return false;
    }
}

bool backUpTo(AppContext& context, const QString& target)
{
    if (isLiveFile(context, target)) {
        context.exclaim(
            QStringLiteral("A backup can not take the place of the database in use ('%1').  Choose "
                           "another name or folder.")
                .arg(native(context.dbPath)));
        return false;
    }
    try {
        DatabaseBackup::write(context.dataSource().handle(), target);
    } catch (const DataError& error) {
        context.reportError(backupFailed(context, target, error,
                                         QStringLiteral("The database in use has not been changed.  ")));
        return false;
    }
    context.inform(
        QStringLiteral("The %1 Database has been backed up to '%2'.").arg(context.appTitle, native(target)));
    return true;
}

Candidate inspect(AppContext& context, const QString& path)
{
    Candidate candidate;
    auto refuse = [&](const QString& why) {
        candidate.refusal =
            QStringLiteral("The file '%1' can not be restored: %2.  The database in use has not "
                           "been changed.")
                .arg(native(path), why);
        return candidate;
    };
    if (isLiveFile(context, path))
        return refuse(QStringLiteral("it is the database in use"));
    switch (DatabaseFile::kindOf(path)) {
    case DatabaseFile::Kind::Missing:
        return refuse(QStringLiteral("there is no such file"));
    case DatabaseFile::Kind::Folder:
        return refuse(QStringLiteral("it is a folder"));
    case DatabaseFile::Kind::Special:
        return refuse(QStringLiteral("it is not an ordinary file"));
    case DatabaseFile::Kind::Regular:
        break;
    }
    const QString notOurs = QStringLiteral("it is not a %1 Database").arg(context.appTitle);
    const DatabaseFile::Inspection bytes = DatabaseFile::inspect(path);
    switch (bytes.problem) {
    case DatabaseFile::Problem::Unreadable:
        return refuse(QStringLiteral("it can not be read"));
    case DatabaseFile::Problem::Empty:
        return refuse(QStringLiteral("it is empty (0 bytes)"));
    case DatabaseFile::Problem::NotADatabase:
        return refuse(notOurs);
    case DatabaseFile::Problem::Damaged:
        return refuse(QStringLiteral("it is damaged"));
    case DatabaseFile::Problem::CutShort:
        return refuse(QStringLiteral("it is incomplete; it has been cut short"));
    case DatabaseFile::Problem::ForeignLog:
    case DatabaseFile::Problem::None:
        break;
    }
    // A copy of a database in use, or of one that was not closed: part of it
    // is still in its log.
    if (DatabaseFile::readLog(path).frames > 0)
        return refuse(QStringLiteral("it is in use, or was not closed properly (its log '%1' is beside it)")
                          .arg(native(DatabaseFile::logPath(path))));

    QSqlDatabase db;
    try {
        db = DatabaseBackup::openReadOnly(path);
        QSqlQuery check(db);
        if (!check.exec(QStringLiteral("PRAGMA integrity_check(1)")) || !check.next())
            throw DataError::fromEngine(check.lastError());
        const QString finding = check.value(0).toString();
        check.finish();
        if (finding != QLatin1String("ok")) {
            DatabaseBackup::closeReadOnly(db);
            return refuse(
                QStringLiteral("it is damaged (the database engine's check found \"%1\")").arg(finding));
        }
        const QStringList tables = Schema::missingParts(db, false);
        if (!tables.isEmpty()) {
            DatabaseBackup::closeReadOnly(db);
            return refuse(notOurs +
                          QStringLiteral(" (it lacks %1)").arg(tables.mid(0, 5).join(QStringLiteral(", "))));
        }
        QSqlQuery version(db);
        version.prepare(
            QStringLiteral("SELECT ConfigValue FROM CONFIG WHERE ConfigItem = ? ORDER BY rowid LIMIT 1"));
        version.addBindValue(QStringLiteral("VERSION"));
        if (!version.exec())
            throw DataError::fromEngine(version.lastError());
        candidate.version = version.next() ? version.value(0).toString() : QString();
        version.finish();
        // A newer release may keep more than this one knows of.
        const QVersionNumber stored = QVersionNumber::fromString(candidate.version.trimmed());
        if (!stored.isNull() &&
            QVersionNumber::compare(stored, QVersionNumber::fromString(AppContext::appVersion())) > 0) {
            DatabaseBackup::closeReadOnly(db);
            return refuse(QStringLiteral("it was made by a newer version of %1 (%2)")
                              .arg(context.appTitle, candidate.version));
        }
        // An older database gets the SnapShot table from its upgrade.
        if (!needsFullUpgrade(candidate.version)) {
            const QStringList missing = Schema::missingParts(db, true);
            if (!missing.isEmpty()) {
                DatabaseBackup::closeReadOnly(db);
                return refuse(
                    notOurs +
                    QStringLiteral(" (it lacks %1)").arg(missing.mid(0, 5).join(QStringLiteral(", "))));
            }
            candidate.snapshots = rowCount(db, QStringLiteral("SNAPSHOT"));
        }
        candidate.foods = rowCount(db, QStringLiteral("FoodItem"));
        candidate.dietEntries = rowCount(db, QStringLiteral("DietActivity"));
    } catch (const DataError& error) {
        if (db.isValid())
            DatabaseBackup::closeReadOnly(db);
        return refuse(error.damaged() ? QStringLiteral("it is damaged")
                                      : QString::fromStdString(error.what()));
    }
    DatabaseBackup::closeReadOnly(db);
    candidate.made = DatabaseBackup::madeAt(QFileInfo(path).fileName());
    if (!candidate.made.isValid())
        candidate.made = QFileInfo(path).lastModified();
    return candidate;
}

QString question(const Candidate& candidate, const QString& path)
{
    const QLocale english(QLocale::English);
    return QStringLiteral(
               "Restore the database from the file '%1'?\n\nThe file was made on %2 and holds %3, %4 "
               "and %5.\n\nThe database in use now is backed up first, then replaced by this file.")
        .arg(QFileInfo(path).fileName(),
             english.toString(candidate.made, QStringLiteral("MM/dd/yyyy h:mm AP")),
             count(candidate.foods, QStringLiteral("food"), QStringLiteral("foods")),
             count(candidate.dietEntries, QStringLiteral("diet entry"), QStringLiteral("diet entries")),
             count(candidate.snapshots, QStringLiteral("snapshot"), QStringLiteral("snapshots")));
}

bool confirm(AppContext& context, const Candidate& candidate, const QString& path)
{
    if (!candidate.refusal.isEmpty()) {
        context.exclaim(candidate.refusal);
        return false;
    }
    return context.askYesNo(question(candidate, path), QStringLiteral("Restore Database"));
}

Outcome restore(AppContext& context, const QString& path, const RestoreHooks& hooks)
{
    Candidate candidate;
    {
        const Working working(hooks.busy);
        candidate = inspect(context, path);
    }
    if (!confirm(context, candidate, path))
        return Outcome::Unchanged;
    QString keptAs;
    bool replaced = false;
    {
        const Working working(hooks.busy);
        replaced = replaceDatabase(context, path, &keptAs);
    }
    if (!replaced)
        return Outcome::Unchanged;
    // From here on the windows show a database that is no longer open: the
    // new one is opened as at a start (it may ask for an upgrade), then read.
    bool loaded = Startup::openDatabase(context);
    if (loaded) {
        const Working working(hooks.busy);
        loaded = !hooks.reload || hooks.reload();
        if (loaded)
            Startup::acceptDatabase(context);
    }
    if (!loaded) {
        context.shutDown();
        return Outcome::Ended;
    }
    context.inform(QStringLiteral("The database has been restored from '%1'.  The database that was in use "
                                  "before is kept as '%2'.")
                       .arg(native(path), native(keptAs)));
    return Outcome::Restored;
}

bool replaceDatabase(AppContext& context, const QString& path, QString* keptAs)
{
    OrvDataSource& dataSource = context.dataSource();
    const QString unchanged = QStringLiteral("The database in use has not been changed.  ");
    QString kept;
    try {
        // The chosen file may itself be the oldest automatic backup: it is spared.
        kept = DatabaseBackup::writeAutomatic(dataSource.handle(), context.backupFolder(),
                                              DatabaseBackup::kBeforeRestore, QDateTime::currentDateTime(),
                                              path);
    } catch (const DataError& error) {
        context.reportError(backupFailed(context, context.backupFolder(), error,
                                         QStringLiteral("Nothing has been restored.  ") + unchanged));
        return false;
    }
    try {
        dataSource.replaceFile(DatabaseBackup::prepareRestore(path, context.dbPath));
    } catch (const DataError& error) {
        DatabaseBackup::removeLeftovers(context.dbPath, context.backupFolder());
        context.reportError(QStringLiteral("Unable to restore the %1 Database from '%2': %3.  ")
                                .arg(context.appTitle, native(path), cause(error)) +
                            unchanged);
        // The file in use goes on as it was, its log begun afresh.
        if (dataSource.isConnected())
            Startup::acceptDatabase(context);
        return false;
    }
    if (keptAs)
        *keptAs = kept;
    return true;
}

} // namespace Backups
