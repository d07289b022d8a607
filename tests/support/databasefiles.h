#pragma once

#include <QMap>
#include <QString>

// What the tests do to database files from outside the program: runs of the
// program that end cleanly or are cut off, damage to a page, and a record of
// a folder's files to tell whether anything in it changed.
namespace DatabaseFiles {

// Every entry of a folder by name: the bytes of an ordinary file, a mark for anything else.
QMap<QString, QByteArray> contents(const QString& folder);

enum class Ending {
    Clean, // File > Exit
    Crash, // cut off: the log stays beside the file, as the engine left it
};

// A run of the program over the program folder, started as the program starts
// (the file accepted and its check passed), that adds entries diet entries of
// USER1 and ends. False when it could not start.
bool runSession(const QString& folder, int entries, Ending ending);

// The number of diet entries a database file holds, read from the file alone
// (not its log), as a backup is read; -1 when unreadable.
int dietEntries(const QString& dbPath);

// Overwrites the page that holds the first rows of table with other bytes,
// as a failing disk may; returns the page's number (0 when it failed).
int damagePage(const QString& dbPath, const QString& table);

} // namespace DatabaseFiles
