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
// How many automatic backups are kept.
constexpr int kKept = 10;

// "MeboData-2026-12-06-143005-before-purge.mdb".
QString automaticName(const QString& reason, const QDateTime& when);
// "MeboData-2026-12-06.mdb": the name offered for a backup the user makes.
QString suggestedName(const QDate& day);
// When the automatic backup named fileName was made; invalid for other names.
QDateTime madeAt(const QString& fileName);

// Writes a copy of the database open on connection to target: through the
// engine's online backup into a temporary file beside target, which is
// checked, flushed and then put in target's place. The copy is a plain file:
// no write-ahead log, no log token. Throws DataError (its engine code tells a
// full disk); target is then as it was.
void write(sqlite3* connection, const QString& target);

// An automatic backup of the database open on connection, in folder (made
// when missing), named for reason and when; older automatic backups beyond
// the newest kKept are removed afterwards, except spare (the backup a restore
// is taking its copy from). Returns the backup's path. Throws DataError.
QString writeAutomatic(sqlite3* connection, const QString& folder, const QString& reason,
                       const QDateTime& when = QDateTime::currentDateTime(),
                       const QString& spare = QString());

// Removes the automatic backups in folder beyond the newest keep, except
// spare; returns the names removed. Other files are never touched.
QStringList rotate(const QString& folder, int keep = kKept, const QString& spare = QString());

// The file a restore copies the chosen backup into, beside the database.
QString restorePath(const QString& dbPath);
// Copies the database file at source (a file not in use) into restorePath()
// beside dbPath, through the engine; returns that path. Throws DataError.
QString prepareRestore(const QString& source, const QString& dbPath);

// Removes what a backup or a restore that was stopped halfway left behind:
// temporary copies beside the database at dbPath and in folder.
void removeLeftovers(const QString& dbPath, const QString& folder);

// A read-only connection to the file at path that changes nothing on the
// disk: no locks, no log, no journal. Throws DataError when the file cannot be
// opened. Close it with closeReadOnly().
QSqlDatabase openReadOnly(const QString& path);
void closeReadOnly(QSqlDatabase& db);

} // namespace DatabaseBackup
