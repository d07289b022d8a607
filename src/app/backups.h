#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

class AppContext;

// The backups as the program offers them: the automatic backup before a
// change that cannot be taken back, the backup a user makes, and the restore
// of a backup in place of the database in use.
namespace Backups {

// An automatic backup of the database in use for reason (one of
// DatabaseBackup's reasons). When it fails, the box says why and what was
// therefore not done (notDone, e.g. "Nothing has been deleted.  "), and the
// answer is false: the change must not be made. madeAs receives the backup's path.
bool makeAutomatic(AppContext& context, const QString& reason, const QString& notDone, QString* madeAs = nullptr);

// A backup of the database in use to target, chosen by the user. Refuses the
// database file itself and its companions, under any name that leads to them.
// Says how it went; true when the copy is there.
bool backUpTo(AppContext& context, const QString& target);

// What a file offered for a restore holds, read without changing it, and
// whether the start-up would accept it: a database of this program, sound,
// with whole keys, not made by a newer release.
struct Candidate
{
    QString refusal; // why it can not be restored (a whole message); empty when it can
    QString version; // its "VERSION" item, "" when it has none
    bool upgrade = false; // it needs the full upgrade, which is asked for first
    QDateTime made;  // from its name, else when it was last written
    int foods = 0;
    int dietEntries = 0;
    int snapshots = 0;
};
Candidate inspect(AppContext& context, const QString& path);

// The one question asked before a restore.
QString question(const Candidate& candidate, const QString& path);

// Shows the refusal of a candidate, or asks the question, then, for a file
// that needs the full upgrade, the upgrade's question; true when the user
// answered Yes to both.
bool confirm(AppContext& context, const Candidate& candidate, const QString& path);

// The restore itself, once confirmed: a copy of the file at path is made
// beside the database and accepted as the start-up accepts a database (an
// older one upgraded); the database in use is backed up ("before-restore":
// a copy of its bytes, with its log, when the engine finds it damaged); then
// the copy's content takes the place of the database's in one transaction,
// the file staying open and locked throughout. The windows' recordsets are
// then to be read afresh. When it fails, the box says why and the database in
// use is as it was and still open. keptAs receives the path of the
// before-restore backup.
bool replaceDatabase(AppContext& context, const QString& path, QString* keptAs = nullptr);

enum class Outcome {
    Unchanged, // refused, declined or failed: the database in use is as it was, still open
    Restored,  // the file is in place, open, read by the windows and accepted
    Ended,     // the file is in place but could not be read (a box said why): the program ends
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
// then the restored database read again (its configuration and keys, its
// content checked), reloaded, accepted, and the box that says where the one
// before it is kept. Every box after the replacement names that backup. On
// Ended the program has been shut down.
Outcome restore(AppContext& context, const QString& path, const RestoreHooks& hooks = {});

// The newest automatic backup that a restore would take, with what inspect
// found in it; nothing when there is none.
struct Offer
{
    QString path;
    Candidate candidate;
};
std::optional<Offer> newestSound(AppContext& context);

// The refusal of a damaged or foreign database at the start (message, which
// says why), the file closed: when a sound backup is there, the box offers to
// put the newest in the database's place, and Yes does it (the database as it
// was, with its log, kept among the backups as a copy of its bytes). True when
// the backup is in place and the start-up may begin again; false when the
// program must end.
bool refuseOfferingBackup(AppContext& context, const QString& message);

// The damage the check after the start found in the database in use (finding,
// the engine's words): the box says so, and offers the newest sound backup in
// its place; either way the program then ends.
void damageFoundAfterStart(AppContext& context, const QString& finding);

} // namespace Backups
