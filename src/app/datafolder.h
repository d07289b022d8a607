#pragma once

#include <QString>

// The folder that holds the log (MeboData.mdb) and its automatic backups
// (Backups), chosen at every start in this order:
//   1. the folder named by --data-dir, else by FOODLARK_DATA_DIR;
//   2. the Data folder beside the program, when it already holds a log (a
//      portable copy, or a log kept there by an earlier version);
//   3. the user's own data folder.
// A folder without a log gets one at the start: the upgrade template lying in
// it takes the log's name, else the program's seed is copied in (the seed
// itself is never moved: an installed one is read-only, and a build tree keeps
// its own). So a build tree is never where a new user's log is kept, and
// removing one loses no log.
class DataFolder
{
public:
    enum class Origin {
        Option,      // --data-dir
        Environment, // FOODLARK_DATA_DIR
        Portable,    // the Data folder beside the program
        User,        // the user's data folder
    };

    // What the choice is made from.
    struct Places
    {
        QString option;        // the value of --data-dir, as given (empty: none)
        QString environment;   // the value of FOODLARK_DATA_DIR (empty: none)
        QString programFolder; // the folder of the running program
        QString userFolder;    // the user's data folder
    };

    DataFolder() = default;
    // A folder used as it is named, with no seed to copy in.
    explicit DataFolder(const QString& path, Origin origin = Origin::Option, const QString& seedPath = {});

    // The data folder the rule above chooses from places. Relative names are
    // taken from the current folder. Reads only whether a log is there.
    static DataFolder choose(const Places& places);
    // The places of this run: FOODLARK_DATA_DIR, the running program's folder
    // and the user's data folder (under the application's names).
    static Places placesOf(const QString& option);
    // The seed a new log is copied from: the template beside the program (a
    // build tree), else the installed one under share/foodlark. Empty when
    // there is neither.
    static QString seedFor(const QString& programFolder);

    QString path;
    Origin origin = Origin::Option;
    QString seedPath;

    QString dbPath() const { return path + QStringLiteral("/MeboData.mdb"); }
    QString upgradePath() const { return path + QStringLiteral("/MeboUpgd.mdb"); }
    // How the folder was chosen, e.g. "the user's data folder".
    QString originText() const;
};
