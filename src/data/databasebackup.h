#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

struct sqlite3;

// Copies of the database file: the automatic backups kept in Data/Backups
// (before an upgrade, a purge or a restore), the backups a user makes, and the
// copy a restore puts in place. Every copy is made by the engine from an open
// connection (never by copying the bytes of a file in use), is checked, and
// reaches its name in one step, so that a copy under its final name is always
// complete, whenever the program is stopped.
namespace DatabaseBackup {

inline const QString kBeforeUpgrade = QStringLiteral("before-upgrade");
inline const QString kBeforePurge = QStringLiteral("before-purge");
inline const QString kBeforeRestore = QStringLiteral("before-restore");
inline const QString kBeforeImport = QStringLiteral("before-import");
// How many automatic backups are kept.
constexpr int kKept = 10;

// "MeboData-2026-12-06-053005Z-0042-before-purge.mdb": when it was made, in
// UTC (so that the name does not change with the clock's time zone), and its
// number in the folder's sequence of automatic backups, which ranks it
// whatever the clock said when it was made.
QString automaticName(const QString& reason, const QDateTime& when, int sequence);
// "MeboData-2026-12-06.mdb": the name offered for a backup the user makes.
QString suggestedName(const QDate& day);
// When the automatic backup named fileName was made, in local time; invalid
// for other names. Names made before backups were numbered hold local time.
QDateTime madeAt(const QString& fileName);

// The names of the automatic backups in folder, newest first: the numbered
// ones by their numbers, then those named before backups were numbered, by
// the time in their names.
QStringList automaticBackups(const QString& folder);

// Writes a copy of the database open on connection to target: through the
// engine's online backup into a temporary file, which is checked, flushed and
// then put in target's place, with the mode a file saved there gets (a file
// it replaces keeps its own). The temporary file lies in scratchFolder when one
// is given (so that a copy stopped halfway leaves nothing in a folder of the
// user's), else beside target. The copy is a plain file: no write-ahead log,
// no log token. Throws DataError (its engine code tells a full disk); target is
// then as it was.
void write(sqlite3* connection, const QString& target, const QString& scratchFolder = QString());

// An automatic backup of the database open on connection, in folder (made
// when missing), named for reason, when and the next number of the folder's
// sequence; the automatic backups beyond the newest kKept are removed
// afterwards, never the one just made, nor spare (the backup a restore is
// taking its copy from). Returns the backup's path. Throws DataError.
QString writeAutomatic(sqlite3* connection, const QString& folder, const QString& reason,
                       const QDateTime& when = QDateTime::currentDateTimeUtc(),
                       const QString& spare = QString());

// A copy of the bytes of a database file that the engine can not copy (a
// damaged one), with its write-ahead log and rollback journal when they are
// there, as an automatic backup in folder; rotated as writeAutomatic's are
// (spare too).
// The file must not be changing meanwhile. Returns the copy's path. Throws
// DataError.
QString copyAutomatic(const QString& dbPath, const QString& folder, const QString& reason,
                      const QDateTime& when = QDateTime::currentDateTimeUtc(),
                      const QString& spare = QString());

// Removes the automatic backups in folder beyond the newest keep (each with
// its log and journal), except those in spared; returns the names removed.
// Other files are never touched.
QStringList rotate(const QString& folder, int keep = kKept, const QStringList& spared = {});

// The file a restore copies the chosen backup into, beside the database.
QString restorePath(const QString& dbPath);
// Copies the database file at source (a file not in use) into restorePath()
// beside dbPath, through the engine; returns that path. Throws DataError.
QString prepareRestore(const QString& source, const QString& dbPath);

// Puts the content of the database file at source (a file not in use) in
// place of the database open on destination, through the engine, in one
// transaction of destination: the connection keeps its locks throughout, and
// a copy stopped halfway is rolled back. Throws DataError.
void copyOnto(const QString& source, sqlite3* destination);

// Removes what a backup or a restore that was stopped halfway left behind:
// temporary copies beside the database at dbPath and in folder, and logs in
// folder whose backup is gone.
void removeLeftovers(const QString& dbPath, const QString& folder);

// A read-only connection to the file at path that changes nothing on the
// disk: no locks, no log, no journal. Throws DataError when the file cannot be
// opened. Close it with closeReadOnly().
QSqlDatabase openReadOnly(const QString& path);
void closeReadOnly(QSqlDatabase& db);

} // namespace DatabaseBackup
