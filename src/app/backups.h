#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

class AppContext;

// The backups as the program offers them: the automatic backup before a
// change that cannot be taken back, the backup a user makes, and the restore
// of a backup in place of the database in use.
namespace Backups {

// An automatic backup of the database in use for reason (one of
// DatabaseBackup's reasons). When it fails, the box says why and what was
// therefore not done (notDone, e.g. "Nothing has been deleted.  "), and the
// answer is false: the change must not be made.
bool makeAutomatic(AppContext& context, const QString& reason, const QString& notDone);

// A backup of the database in use to target, chosen by the user. Refuses the
// database file itself and its companions. Says how it went; true when the
// copy is there.
bool backUpTo(AppContext& context, const QString& target);

// What a file offered for a restore holds, read without changing it.
struct Candidate
{
    QString refusal; // why it can not be restored (a whole message); empty when it can
    QString version; // its "VERSION" item, "" when it has none
    QDateTime made;  // from its name, else when it was last written
    int foods = 0;
    int dietEntries = 0;
    int snapshots = 0;
};
Candidate inspect(AppContext& context, const QString& path);

// The one question asked before a restore.
QString question(const Candidate& candidate, const QString& path);

// Shows the refusal of a candidate, or asks the question; true when the user
// answered Yes.
bool confirm(AppContext& context, const Candidate& candidate, const QString& path);

// The restore itself, once confirmed: backs up the database in use ("before-
// restore"), then puts a copy of the file at path in its place in one step.
// The database file is closed afterwards, to be opened again through the
// start-up's checks (Startup::openDatabase). When it fails, the box says why
// and the database in use is as it was and still open. keptAs receives the
// path of the before-restore backup.
bool replaceDatabase(AppContext& context, const QString& path, QString* keptAs = nullptr);

enum class Outcome {
    Unchanged, // refused, declined or failed: the database in use is as it was, still open
    Restored,  // the file is in place, open, read by the windows and accepted
    Ended,     // the file is in place but could not be opened or read (a box said why): the program ends
};

// What the windows do in a restore; either may be left empty. busy(true) comes
// before each step the user waits for and busy(false) after it; reload reads
// the restored database into the windows, false when that failed.
struct RestoreHooks
{
    std::function<void(bool working)> busy;
    std::function<bool()> reload;
};

// The whole restore of the file at path: inspect, confirm, replaceDatabase,
// then open the file in place through the start-up's checks and version check
// (an older file is offered the upgrade), reload, accept the database and say
// where the one before it is kept. On Ended the program has been shut down.
Outcome restore(AppContext& context, const QString& path, const RestoreHooks& hooks = {});

} // namespace Backups
