#pragma once

#include <QString>

class AppContext;
class ConfigStore;

// The start-up steps that need no window: finding the database file (moving
// the upgrade template into place when only the template is there), opening
// it, opening the configuration and key recordsets for the whole run, and the
// version check with its upgrade. Each step shows its own box when it fails and
// then answers false: the program must end.
namespace Startup {

enum class Probe {
    Found,    // the file opened for reading
    NotFound, // there is no such file
    Failed,   // anything else (no permission, a path through a file, ...)
};

// Opens path for reading and closes it again at once.
Probe probeFile(const QString& path);

// True when path may be written by this program: the system allows it and the
// file or folder is not marked read-only (no write permission for anyone), so a
// read-only mark is respected even by an administrator.
bool isWritable(const QString& path);

// Makes sure the database file exists: makes the data folder when it is not
// there; when only the upgrade template is in it, the template takes the
// database file's name; when neither is, the seed is copied in. Shows the
// "Critical Application Error" box when there is no seed either.
bool locateDatabase(AppContext& context);

// Refuses a database file or data folder that cannot be written, before the
// engine touches the file.
bool checkWritable(AppContext& context);

// Refuses an open database that is damaged (checked only after a run that did
// not close it: the full check follows in the background), that lacks a table
// or column this version needs, or whose key table cannot number new rows.
// fullUpgradePending leaves out what the full upgrade adds.
bool checkContent(AppContext& context, bool afterUncleanEnd, bool fullUpgradePending);

// The steps from finding the file to the version check, in order: locate,
// check the file's bytes (anything but an ordinary file, an empty, foreign,
// damaged or cut-short file, or one with a log beside it that was written for
// another copy of the database is refused before the engine sees it), connect, open rsConfig and rsTableKey,
// refuse a newer release's file, check the content, check the version (upgrading an older database). Nothing
// is written to the file on the way unless an upgrade is accepted. A damaged or foreign file is refused with
// the newest sound backup offered in its place; once it is there, the steps begin again. True when the
// program may go on to its windows; false when it must end, the file closed
// (and as it was, unless a backup was put in its place).
bool openDatabase(AppContext& context);

// Once the whole start-up has accepted the database (its windows loaded): the
// write-ahead log begins, what an interrupted backup or restore left behind
// is removed, and the file's full check starts in the background; damage it
// finds is told with the newest sound backup offered, and ends the program.
void acceptDatabase(AppContext& context);

// Whether the introduction is offered at start-up: "SHOWTIPS" is exactly "Y".
bool introductionEnabled(ConfigStore& config);

} // namespace Startup
