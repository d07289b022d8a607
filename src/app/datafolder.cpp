#include "app/datafolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Empty stays empty: no folder was found, which the start-up reports.
QString absolute(const QString& folder)
{
    if (folder.isEmpty())
        return {};
    return QDir::cleanPath(QDir::current().absoluteFilePath(folder));
}

// The folder of the running program, also before the application object is
// made (the command line is answered without one).
QString runningProgramFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath();
}

} // namespace

DataFolder::DataFolder(const QString& folder, Origin origin, const QString& seed)
    : path(absolute(folder)), origin(origin), seedPath(seed)
{
}

DataFolder DataFolder::choose(const Places& places)
{
    const QString seed = seedFor(places.programFolder);
    if (!places.option.isEmpty())
        return DataFolder(places.option, Origin::Option, seed);
    if (!places.environment.isEmpty())
        return DataFolder(places.environment, Origin::Environment, seed);
    const DataFolder portable(places.programFolder + QStringLiteral("/Data"), Origin::Portable, seed);
    if (QFileInfo::exists(portable.dbPath()))
        return portable;
    return DataFolder(places.userFolder, Origin::User, seed);
}

DataFolder::Places DataFolder::placesOf(const QString& option)
{
    return {option, qEnvironmentVariable("FOODLARK_DATA_DIR"), runningProgramFolder(),
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)};
}

QString DataFolder::seedFor(const QString& programFolder)
{
    for (const QString& seed : {programFolder + QStringLiteral("/Data/MeboUpgd.mdb"),
                                programFolder + QStringLiteral("/" FOODLARK_INSTALLED_SEED)}) {
        if (QFileInfo(seed).isFile())
            return QDir::cleanPath(seed);
    }
    return {};
}

QString DataFolder::originText() const
{
    switch (origin) {
    case Origin::Option:
        return QStringLiteral("named by --data-dir");
    case Origin::Environment:
        return QStringLiteral("named by FOODLARK_DATA_DIR");
    case Origin::Portable:
        return QStringLiteral("the Data folder beside the program");
    case Origin::User:
        return QStringLiteral("the user's data folder");
    }
    return {};
}
