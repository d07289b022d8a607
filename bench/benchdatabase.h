#pragma once

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>

// A database of the size the program is built for, made from the seed
// catalogue: four users, the busiest with ten years of diet log (or as many
// years as asked for), and a few thousand physical snapshots. The benchmark
// times the data source on it.
namespace BenchDatabase {

// One user's log: consecutive days ending at Options::lastDay.
struct UserLog
{
    QString user;         // USER1 ... USER4
    int days = 0;         // days of diet log
    double snackChance;   // chance of a snack (MEAL3) on a day
    double skipChance;    // chance of skipping breakfast or lunch
    double unmealedShare; // share of entries logged without a meal
    int snapshotEvery;    // a snapshot every this many days; 0 for none
};

struct Options
{
    QDate lastDay = QDate::currentDate().addDays(-1);
    QList<UserLog> users = {
        {QStringLiteral("USER1"), 3650, 1.0, 0.0, 0.0, 1},
        {QStringLiteral("USER2"), 1095, 0.5, 0.2, 0.0, 3},
        {QStringLiteral("USER3"), 365, 0.5, 0.2, 0.1, 7},
        {QStringLiteral("USER4"), 90, 0.3, 0.3, 0.3, 0},
    };
    // The random choices are repeatable: the same options give the same database.
    quint32 randomSeed = 20030514;

    // The same users with the busiest one's log running the given number of years.
    static Options withYears(int years)
    {
        Options options;
        options.users[0].days = 365 * years;
        return options;
    }
};

struct Summary
{
    QMap<QString, int> dietRows;   // by user
    QMap<QString, int> snapShots;  // by user
    QMap<QString, QDate> firstDay; // by user
    qint32 lastDietId = 0;
    qint32 lastSnapId = 0;

    int totalDietRows() const;
    int totalSnapShots() const;
};

// Copies the seed database seedFile to path (replacing a file there) and adds
// the users' diet logs and snapshots in one transaction; the key sequences then
// hold the highest ids. Throws DataError.
Summary build(const QString& seedFile, const QString& path, const Options& options = Options());

// A gram weight as a diet entry stores it: rounded to whole grams, a half to the
// even neighbour.
double wholeGrams(double grams);

} // namespace BenchDatabase
