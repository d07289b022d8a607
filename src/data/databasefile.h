#pragma once

#include <QSet>
#include <QString>
#include <QtGlobal>
#include <optional>

// What can be told about a database file and the write-ahead log beside it by
// reading their bytes, before the engine opens them. The engine itself would
// block on a named pipe, would write a header into an empty file, and would
// replay any log it finds beside the file, even one written for another copy
// of the database; these checks come first so that such a file can be refused
// while it is still exactly as it was.
namespace DatabaseFile {

enum class Kind {
    Missing, // nothing of that name
    Regular, // an ordinary file (or a link to one)
    Folder,
    Special, // a named pipe, a device, a socket
};

// What is at path, found without opening it (what cannot be looked at counts
// as an ordinary file, for its reads to report).
Kind kindOf(const QString& path);

// The parts of the 100-byte header of an SQLite file that these checks use.
struct Header
{
    qint64 fileSize = 0;
    bool complete = false; // all 100 bytes are there
    bool sqlite = false;   // the bytes begin with SQLite's mark (as far as there are any)
    int pageSize = 0;      // 0 when the header holds no valid page size
    qint64 pageCount = 0;  // pages the header records, 0 when it records none reliably
    quint32 logToken = 0;  // the token this program keeps in the header (see below)
};

// Whether a and b are the same file, whatever the names and links that lead
// to it (its device and inode, links followed); false when either is missing.
bool sameFile(const QString& a, const QString& b);

// Reads the header of the ordinary file at path; nothing when it cannot be read.
std::optional<Header> readHeader(const QString& path);

// The committed frames of a write-ahead log, as the engine would replay them.
struct Log
{
    bool present = false; // a log file exists beside the database
    int pageSize = 0;     // the page size its header records (0: no valid header)
    int frames = 0;       // frames of committed transactions the engine would replay
    QSet<quint32> tokens; // the tokens of the first pages among them
};

// The log of the database at dbPath (dbPath + "-wal").
Log readLog(const QString& dbPath);

QString logPath(const QString& dbPath);
QString journalPath(const QString& dbPath);

// A log is paired with its database through a token this program writes into
// the database header (the "user version" field, which it has no other use
// for) whenever it starts a log: first into the database file itself, then as
// the first page the new log holds. Every log this program writes therefore
// carries the token of the file state it was written on. A copy of the
// database put in place afterwards carries another token (backups are given
// none), and its log is recognised as belonging to a different file.
// True when the log may be replayed onto the database: it holds nothing to
// replay, it holds no first page to compare (a log of another program), or one
// of its first pages carries the file's token (a log whose checkpoint was cut
// short holds the old and the new token).
bool logBelongs(const Header& database, const Log& log);

// The file is the database of a run that ended without closing it: its log
// or its rollback journal is still there.
bool endedUncleanly(const QString& dbPath);

// What the bytes tell about the database at path (an ordinary file).
enum class Problem {
    None,
    Unreadable,   // the file cannot be read at all
    Empty,        // 0 bytes
    NotADatabase, // not an SQLite file
    Damaged,      // an SQLite file whose header makes no sense
    CutShort,     // shorter than its header says
    ForeignLog,   // a log beside it that was written for another copy
};

struct Inspection
{
    Problem problem = Problem::None;
    qint64 size = 0;         // the file's size in bytes
    qint64 expectedSize = 0; // for CutShort: the size its header records
};

Inspection inspect(const QString& path);

// A new token for a log: never 0 (what a file without a token holds).
quint32 newLogToken();

// Flushes the file or folder at path to the disk; false when that failed.
bool sync(const QString& path);
// Puts the file at from in the place of the file at to in one step (the
// same folder), replacing it, and flushes the folder so that the change
// survives a power cut. False with errno set when it could not be done.
bool replace(const QString& from, const QString& to);

} // namespace DatabaseFile
