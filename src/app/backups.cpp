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
#include <QtDebug>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace Backups {

namespace {

const QString kUnchanged = QStringLiteral("The database in use has not been changed.  ");

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

// Shows every box of a context through another service for as long as it lives.
class PromptsInUse
{
public:
    PromptsInUse(AppContext& context, PromptService& prompts)
        : m_context(context), m_before(context.usePrompts(prompts))
    {
    }
    ~PromptsInUse() { m_context.usePrompts(m_before); }
    PromptsInUse(const PromptsInUse&) = delete;
    PromptsInUse& operator=(const PromptsInUse&) = delete;
    PromptService& before() { return m_before; }

private:
    AppContext& m_context;
    PromptService& m_before;
};

// Boxes with a sentence added to each.
class AddedSentence : public PromptService
{
public:
    AddedSentence(PromptService& prompts, const QString& sentence) : m_prompts(prompts), m_sentence(sentence)
    {
    }
    PromptAnswer ask(const Prompt& prompt) override
    {
        Prompt shown = prompt;
        shown.text += m_sentence;
        return m_prompts.ask(shown);
    }

private:
    PromptService& m_prompts;
    QString m_sentence;
};

// Boxes nobody sees: what a copy of a database said while it was made ready.
class Unseen : public PromptService
{
public:
    PromptAnswer ask(const Prompt& prompt) override
    {
        qWarning() << "restore:" << prompt.text;
        if (said.isEmpty())
            said = prompt.text;
        return prompt.buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::No;
    }
    QString said;
};

// "1 food", "7,915 foods".
QString count(int n, const QString& one, const QString& many)
{
    return QLocale(QLocale::English).toString(n) + QLatin1Char(' ') + (n == 1 ? one : many);
}

QString madeText(const QDateTime& made)
{
    return QLocale(QLocale::English).toString(made, QStringLiteral("MM/dd/yyyy h:mm AP"));
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

QString restoreFailed(const AppContext& context, const QString& path, const QString& why)
{
    return QStringLiteral("Unable to restore the %1 Database from '%2': %3.  Nothing has been restored.  ")
        .arg(context.appTitle, native(path), why);
}

QString keptSentence(const QString& keptAs)
{
    return QStringLiteral("The database that was in use before is kept as '%1'.").arg(native(keptAs));
}

QString restoredText(const QString& path, const QString& keptAs)
{
    return QStringLiteral("The database has been restored from '%1'.  ").arg(native(path)) +
           keptSentence(keptAs);
}

// The file at path, its folder's links resolved.
QString resolved(const QString& path)
{
    const QFileInfo file(path);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? file.absolutePath() : folder) + QLatin1Char('/') + file.fileName();
}

// The database in use or one of the engine's files beside it: by its name, or
// as the same file under another name (a link of either kind).
bool isLiveFile(const AppContext& context, const QString& path)
{
    const QString file = resolved(path);
    const QString live = resolved(context.dbPath);
    for (const char* suffix : {"", "-wal", "-journal", "-shm"}) {
        if (file == live + QLatin1String(suffix) ||
            DatabaseFile::sameFile(path, context.dbPath + QLatin1String(suffix)))
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

// Why a database lacking parts or with a damaged key table is refused, "" when
// it is neither.
QString contentFault(const QSqlDatabase& db, bool withSnapShot, const QString& notOurs)
{
    const QStringList missing = Schema::missingParts(db, withSnapShot);
    if (!missing.isEmpty())
        return notOurs + QStringLiteral(" (it lacks %1)").arg(missing.mid(0, 5).join(QStringLiteral(", ")));
    const QList<Schema::KeyFault> faults = Schema::keyFaults(db, withSnapShot);
    if (!faults.isEmpty()) {
        QStringList sequences;
        for (const Schema::KeyFault& fault : faults)
            sequences << fault.sequence;
        return QStringLiteral("its key table, which numbers new rows, is damaged (%1)")
            .arg(sequences.join(QStringLiteral(", ")));
    }
    return QString();
}

// The copy of the file at path that a restore puts in place, made beside the
// database and made ready as the start-up makes a database ready: opened,
// upgraded (its user agreed already), and checked once more. Its path, or ""
// after a box that says why (nothing is replaced then).
QString prepareCopy(AppContext& context, const QString& path, const QString& unchanged)
{
    QString copyPath;
    try {
        copyPath = DatabaseBackup::prepareRestore(path, context.dbPath);
    } catch (const DataError& error) {
        DatabaseBackup::removeLeftovers(context.dbPath, context.backupFolder());
        context.reportError(restoreFailed(context, path, cause(error)) + unchanged);
        return QString();
    }
    QString why;
    {
        Unseen unseen;
        AppContext copy(context.dataFolder, unseen);
        copy.dbPath = copyPath;
        OrvDataSource& dataSource = copy.dataSource();
        try {
            if (!dataSource.connectDB() || !dataSource.cmdConfig() || !dataSource.cmdTableKey())
                throw DataError(unseen.said.toStdString());
            upgradeCopy(copy);
            why = contentFault(dataSource.database(), true,
                               QStringLiteral("it is not a %1 Database").arg(context.appTitle));
        } catch (const DataError& error) {
            why = error.diskFull()
                      ? QStringLiteral("the disk is full")
                      : QStringLiteral("it could not be made ready for this version of %1 (%2)")
                            .arg(context.appTitle, QString::fromStdString(error.what()).trimmed());
        }
        dataSource.closeDB();
    }
    if (!why.isEmpty()) {
        DatabaseBackup::removeLeftovers(context.dbPath, context.backupFolder());
        context.reportError(restoreFailed(context, path, why) + unchanged);
        return QString();
    }
    return copyPath;
}

// The before-restore backup of the database in use: a copy made by the
// engine, or, of a file the engine finds damaged, of its bytes and its log.
QString keepDatabaseInUse(AppContext& context, const QString& spare)
{
    try {
        return DatabaseBackup::writeAutomatic(context.dataSource().handle(), context.backupFolder(),
                                              DatabaseBackup::kBeforeRestore, QDateTime::currentDateTimeUtc(),
                                              spare);
    } catch (const DataError& error) {
        if (!error.damaged())
            throw;
        qWarning() << "restore: the database in use is damaged:" << error.what();
    }
    return DatabaseBackup::copyAutomatic(context.dbPath, context.backupFolder(),
                                         DatabaseBackup::kBeforeRestore, QDateTime::currentDateTimeUtc(),
                                         spare);
}

// Puts the backup at path in place of the database file, which is not open:
// the file as it is (with its log and journal) is kept as a copy of its bytes
// among the backups, its log and journal are removed (the copy holds them),
// and a copy of the backup made ready takes the file's name and mode.
bool restoreClosed(AppContext& context, const QString& path, QString* keptAs)
{
    const QString unchanged = QStringLiteral("The database has not been changed.  ");
    const QString copy = prepareCopy(context, path, unchanged);
    if (copy.isEmpty())
        return false;
    QString kept;
    try {
        kept = DatabaseBackup::copyAutomatic(context.dbPath, context.backupFolder(),
                                             DatabaseBackup::kBeforeRestore, QDateTime::currentDateTimeUtc(),
                                             path);
    } catch (const DataError& error) {
        DatabaseBackup::removeLeftovers(context.dbPath, context.backupFolder());
        context.reportError(backupFailed(context, context.backupFolder(), error,
                                         QStringLiteral("Nothing has been restored.  ") + unchanged));
        return false;
    }
    // Stopped from here on, the next start finds the file without its log
    // (refused again, or whole) or the backup in its place.
    for (const char* suffix : {"-wal", "-journal"})
        QFile::remove(context.dbPath + QLatin1String(suffix));
    struct stat info;
    if (::stat(QFile::encodeName(context.dbPath).constData(), &info) == 0)
        ::chmod(QFile::encodeName(copy).constData(), info.st_mode & 07777);
    if (!DatabaseFile::replace(copy, context.dbPath)) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        DatabaseBackup::removeLeftovers(context.dbPath, context.backupFolder());
        context.reportError(restoreFailed(context, path, why) + keptSentence(kept) + QStringLiteral("  "));
        return false;
    }
    *keptAs = kept;
    return true;
}

// The box that tells why the database is refused (message) and offers the
// newest sound backup in its place (ending, a sentence after the question);
// then, for a backup that needs the full upgrade, the upgrade's question.
// True when the user answered Yes to both.
bool acceptOffer(AppContext& context, const QString& message, const Offer& offer, const QString& ending)
{
    const QString text =
        message + context.supportMessage +
        QStringLiteral("\n\nThe newest sound backup is '%1', made on %2.  Put it in place of the database "
                       "now?  The database as it is now is kept beside the backups.")
            .arg(QFileInfo(offer.path).fileName(), madeText(offer.candidate.made)) +
        ending;
    if (context.prompts().ask({PromptIcon::Critical, PromptButtons::YesNo,
                               QStringLiteral("Application Error"), text}) != PromptAnswer::Yes)
        return false;
    return !offer.candidate.upgrade || context.askYesNo(upgradeQuestion(context), kUpgradeTitle);
}

} // namespace

bool makeAutomatic(AppContext& context, const QString& reason, const QString& notDone, QString* madeAs)
{
    const QString folder = context.backupFolder();
    try {
        const QString path = DatabaseBackup::writeAutomatic(context.dataSource().handle(), folder, reason);
        if (madeAs)
            *madeAs = path;
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
        // Made among the automatic backups first, where what a copy stopped
        // halfway leaves is cleared away at the next start.
        DatabaseBackup::write(context.dataSource().handle(), target, context.backupFolder());
    } catch (const DataError& error) {
        context.reportError(backupFailed(context, target, error, kUnchanged));
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
            QStringLiteral("The file '%1' can not be restored: %2.  ").arg(native(path), why) +
            kUnchanged.trimmed();
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
    const QString companion =
        DatabaseFile::readLog(path).frames > 0 ? DatabaseFile::logPath(path)
        : DatabaseFile::kindOf(DatabaseFile::journalPath(path)) != DatabaseFile::Kind::Missing
            ? DatabaseFile::journalPath(path)
            : QString();
    if (!companion.isEmpty())
        return refuse(QStringLiteral("it is in use, or was not closed properly (its log '%1' is beside it)")
                          .arg(native(companion)));

    QSqlDatabase db;
    QString refusal;
    try {
        db = DatabaseBackup::openReadOnly(path);
        QSqlQuery check(db);
        if (!check.exec(QStringLiteral("PRAGMA integrity_check(1)")) || !check.next())
            throw DataError::fromEngine(check.lastError());
        const QString finding = check.value(0).toString();
        check.finish();
        if (finding != QLatin1String("ok"))
            refusal = QStringLiteral("it is damaged (the database engine's check found \"%1\")").arg(finding);
        if (refusal.isEmpty()) {
            const QStringList tables = Schema::missingParts(db, false);
            if (!tables.isEmpty())
                refusal = notOurs +
                          QStringLiteral(" (it lacks %1)").arg(tables.mid(0, 5).join(QStringLiteral(", ")));
        }
        if (refusal.isEmpty()) {
            QSqlQuery version(db);
            version.prepare(
                QStringLiteral("SELECT ConfigValue FROM CONFIG WHERE ConfigItem = ? ORDER BY rowid LIMIT 1"));
            version.addBindValue(QStringLiteral("VERSION"));
            if (!version.exec())
                throw DataError::fromEngine(version.lastError());
            candidate.version = version.next() ? version.value(0).toString() : QString();
            version.finish();
            candidate.upgrade = needsFullUpgrade(candidate.version);
            // What the start-up would refuse, it is refused here, before anything is changed.
            if (isNewerVersion(candidate.version))
                refusal = QStringLiteral("it was made by a newer version of %1 (%2)")
                              .arg(context.appTitle, candidate.version);
            else if (candidate.upgrade &&
                     !Schema::missingParts(db, true).contains(QStringLiteral("SnapShot")))
                refusal = QStringLiteral("it can not be upgraded to this version of %1: it has the SnapShot "
                                         "table that the upgrade adds already")
                              .arg(context.appTitle);
            else
                refusal = contentFault(db, !candidate.upgrade, notOurs);
        }
        if (refusal.isEmpty()) {
            if (!candidate.upgrade)
                candidate.snapshots = rowCount(db, QStringLiteral("SNAPSHOT"));
            candidate.foods = rowCount(db, QStringLiteral("FoodItem"));
            candidate.dietEntries = rowCount(db, QStringLiteral("DietActivity"));
        }
    } catch (const DataError& error) {
        refusal = error.damaged() ? QStringLiteral("it is damaged") : QString::fromStdString(error.what());
    }
    if (db.isValid())
        DatabaseBackup::closeReadOnly(db);
    if (!refusal.isEmpty())
        return refuse(refusal);
    candidate.made = DatabaseBackup::madeAt(QFileInfo(path).fileName());
    if (!candidate.made.isValid())
        candidate.made = QFileInfo(path).lastModified();
    return candidate;
}

QString question(const Candidate& candidate, const QString& path)
{
    return QStringLiteral(
               "Restore the database from the file '%1'?\n\nThe file was made on %2 and holds %3, %4 "
               "and %5.\n\nThe database in use now is backed up first, then replaced by this file.")
        .arg(QFileInfo(path).fileName(), madeText(candidate.made),
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
    if (!context.askYesNo(question(candidate, path), QStringLiteral("Restore Database")))
        return false;
    // An older file is upgraded before it takes the place of the database in use.
    if (candidate.upgrade && !context.askYesNo(upgradeQuestion(context), kUpgradeTitle)) {
        context.inform(QStringLiteral("Nothing has been restored.  ") + kUnchanged.trimmed());
        return false;
    }
    return true;
}

bool replaceDatabase(AppContext& context, const QString& path, QString* keptAs)
{
    OrvDataSource& dataSource = context.dataSource();
    const QString copy = prepareCopy(context, path, kUnchanged);
    if (copy.isEmpty())
        return false;
    QString kept;
    try {
        // The chosen file may itself be the oldest automatic backup: it is spared.
        kept = keepDatabaseInUse(context, path);
    } catch (const DataError& error) {
        DatabaseBackup::removeLeftovers(context.dbPath, context.backupFolder());
        context.reportError(backupFailed(context, context.backupFolder(), error,
                                         QStringLiteral("Nothing has been restored.  ") + kUnchanged));
        return false;
    }
    try {
        dataSource.replaceContent(copy);
    } catch (const DataError& error) {
        DatabaseBackup::removeLeftovers(context.dbPath, context.backupFolder());
        context.reportError(restoreFailed(context, path, cause(error)) + kUnchanged);
        // The file in use goes on as it was, its log begun afresh.
        if (dataSource.isConnected())
            Startup::acceptDatabase(context);
        return false;
    }
    QFile::remove(copy);
    if (keptAs)
        *keptAs = kept;
    return true;
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
    // From here on every box says where the database that was in use is kept.
    bool loaded = false;
    {
        AddedSentence naming(context.prompts(), keptSentence(keptAs) + QStringLiteral("  "));
        const PromptsInUse inUse(context, naming);
        OrvDataSource& dataSource = context.dataSource();
        loaded = dataSource.cmdConfig() && dataSource.cmdTableKey() &&
                 Startup::checkContent(context, false, false);
        if (loaded) {
            const Working working(hooks.busy);
            loaded = !hooks.reload || hooks.reload();
            if (loaded)
                Startup::acceptDatabase(context);
        }
        if (!loaded || context.shutDownRequested()) {
            context.shutDown();
            return Outcome::Ended;
        }
    }
    context.inform(restoredText(path, keptAs));
    return Outcome::Restored;
}

std::optional<Offer> newestSound(AppContext& context)
{
    const QDir folder(context.backupFolder());
    for (const QString& name : DatabaseBackup::automaticBackups(folder.path())) {
        Offer offer{folder.filePath(name), inspect(context, folder.filePath(name))};
        if (offer.candidate.refusal.isEmpty())
            return offer;
    }
    return std::nullopt;
}

bool refuseOfferingBackup(AppContext& context, const QString& message)
{
    const std::optional<Offer> offer = newestSound(context);
    if (!offer) {
        context.reportError(message);
        return false;
    }
    QString keptAs;
    if (!acceptOffer(context, message, *offer, QString()) || !restoreClosed(context, offer->path, &keptAs))
        return false;
    context.inform(restoredText(offer->path, keptAs));
    return true;
}

void damageFoundAfterStart(AppContext& context, const QString& finding)
{
    const QString message =
        DatabaseMessages::damagedAfterStart(context, DatabaseMessages::engineFinding(finding));
    const std::optional<Offer> offer = newestSound(context);
    QString keptAs;
    if (!offer)
        context.reportError(message);
    else if (acceptOffer(context, message, *offer,
                         QStringLiteral("  Either way %1 ends now.").arg(context.appTitle)) &&
             replaceDatabase(context, offer->path, &keptAs))
        context.inform(restoredText(offer->path, keptAs) +
                       QStringLiteral("  Start %1 again to go on with it.").arg(context.appTitle));
    context.shutDown();
}

} // namespace Backups
