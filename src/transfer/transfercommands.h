#pragma once

#include "app/commandline.h"

#include <QList>
#include <QString>
#include <QStringList>

class DataFolder;
class QTextStream;

// The export and import of the whole log from the command line, without a
// window:
//
//   foodlark export --format json|csv --out PATH [--user N|all]
//                   [--from YYYY-MM-DD] [--to YYYY-MM-DD]
//   foodlark import PATH [--dry-run]
//
// The database is opened as the program opens it at start-up (the same
// checks, the same messages); a question the start-up would ask (the
// upgrade of an older database) is answered No, so a command never upgrades
// a database: the program, started once, does that. A log the running
// program holds is refused.
namespace TransferCommands {

// Exit codes.
constexpr int kDone = 0;
constexpr int kRefused = 1; // the reason is on the error stream
constexpr int kWrongUsage = 2;

// "export" and "import" as the program's command line offers them, on the
// standard output and error.
QList<ProgramCommand> commands();

// Runs command ("export" or "import") with the arguments after it on the
// database in the data folder (a folder without a log gets one, as at the
// program's start). What it did goes to out; refusals, failures and the usage
// go to err.
int run(const DataFolder& folder, const QString& command, const QStringList& arguments, QTextStream& out,
        QTextStream& err);

// Whether a program (this one or another) holds a lock on the file at path,
// as the running program does on its database; found without opening it.
bool isLocked(const QString& path);

} // namespace TransferCommands
