#pragma once

#include "app/datafolder.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// A task the program runs from the command line without windows:
//   foodlark [--data-dir DIR] NAME ARGUMENTS...
struct ProgramCommand
{
    QString name;
    QString synopsis; // what follows the name in --help, e.g. "FILE"
    QString summary;  // one line for --help
    // Runs on the chosen data folder with the words after the name and
    // answers the exit code. A QCoreApplication exists while it runs.
    std::function<int(const DataFolder& folder, const QStringList& arguments)> run;
};

// The words the program is started with:
//   foodlark [--data-dir DIR] [-h|--help] [-v|--version] [COMMAND ARGUMENTS...]
// Options come first; the first other word names a command, and it and every
// word after it belong to that command. Qt's own options (-platform, -style
// and the like) are let through to the application object.
class CommandLine
{
public:
    enum class Action {
        OpenWindows, // no command: the program with its windows
        ShowHelp,
        ShowVersion,
        RunCommand,
        Refuse, // an unknown option or command, or an option without its value
    };

    // Reads words (without the program's name); commands are the names of the
    // known commands.
    static CommandLine parse(const QStringList& words, const QStringList& commands);

    // The program's text for --help, naming the data folder in use.
    static QString helpText(const DataFolder& folder, const QList<ProgramCommand>& commands);
    // "Foodlark 3.0.0".
    static QString versionText();

    // Starts the program from its command line: prints the help or the version
    // (exit 0) or what is wrong with the words (on standard error, exit 2), runs
    // a command, or opens the windows on the chosen data folder. Sets the
    // application's names first: the settings and the user's data folder are
    // found under them.
    using OpenWindows = std::function<int(int& argc, char** argv, const DataFolder& folder)>;
    static int run(int& argc, char** argv, const QList<ProgramCommand>& commands,
                   const OpenWindows& openWindows);

    Action action = Action::OpenWindows;
    QString dataDir; // the value of --data-dir (empty when not given)
    QString command;
    QStringList commandArguments;
    QString error; // what is wrong, for Refuse
};
