#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class AppContext;
namespace Schema {
struct KeyFault;
}

// The messages that refuse a database file or explain why the program could
// not go on with it. Each names the file, says what is wrong with it and what
// the user can do; each ends in two blanks, ready for the support sentence of
// the "Application Error" box.
namespace DatabaseMessages {

// The file could not be opened: missing, read-only, or held by another copy.
QString unavailable(const AppContext& context);
QString notADatabase(const AppContext& context, const QString& path);
QString empty(const AppContext& context, const QString& path);
// expected: the size the header records, 0 when not even the header is whole.
QString cutShort(const AppContext& context, const QString& path, qint64 size, qint64 expected);
// reason: what shows the damage, e.g. engineFinding(...).
QString damaged(const AppContext& context, const QString& path, const QString& reason);
// The words of the engine's check: the database engine's check found "...".
QString engineFinding(const QString& finding);
QString foreignLog(const AppContext& context, const QString& path);
QString folder(const AppContext& context, const QString& path);
QString special(const AppContext& context, const QString& path);
QString unreadable(const AppContext& context, const QString& path);
QString missingParts(const AppContext& context, const QString& path, const QStringList& parts);
QString keyFaults(const AppContext& context, const QString& path, const QList<Schema::KeyFault>& faults);
QString newerVersion(const AppContext& context, const QString& path, const QString& version);

// Added to the message of a failed read or write whose cause is known.
// ending: the program ends with the message (else the user may try again).
QString diskFull(const AppContext& context, bool ending);
QString damagedWhileRunning(const AppContext& context);
// The damage the check after the start found: the file has been written to
// since the start (the log began), so it is not "left as it is".
QString damagedAfterStart(const AppContext& context, const QString& reason);

// Where the automatic backups are and how to put one in place.
QString backupAdvice(const AppContext& context);

} // namespace DatabaseMessages
