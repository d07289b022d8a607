#include "app/startup.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "app/databaseupgrade.h"
#include "data/orvdatasource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace Startup {

namespace {

// Reports a file (or its folder) that the program could not write to, in the
// words the data source uses for the same trouble, and answers true.
bool refuseUnwritable(AppContext& context, const QString& path)
{
    if (isWritable(path) && isWritable(QFileInfo(path).absolutePath()))
        return false;
    context.reportError(QStringLiteral("The %1 Database '%2' can not be written to.  Make sure that the file "
                                       "and its folder are not read-only.  ")
                            .arg(context.appTitle, QDir::toNativeSeparators(path)));
    return true;
}

} // namespace

Probe probeFile(const QString& path)
{
    // Only "no such file" may lead to the template; every other failure is
    // left to the connection, which reports it.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return Probe::Found;
    }
    return errno == ENOENT ? Probe::NotFound : Probe::Failed;
}

bool isWritable(const QString& path)
{
    const QFileInfo info(path);
    const QFile::Permissions anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return info.isWritable() && (info.permissions() & anyWrite);
}

bool locateDatabase(AppContext& context)
{
    if (probeFile(context.dbPath) != Probe::NotFound)
        return true;
    if (probeFile(context.upgradePath) == Probe::NotFound) {
        context.prompts().ask(
            {PromptIcon::Critical, PromptButtons::Ok, QStringLiteral("Critical Application Error"),
             QStringLiteral("Unable to locate database file '") + QDir::toNativeSeparators(context.dbPath) +
                 QStringLiteral("'.") + QStringLiteral("\r\n\r\n") +
                 QStringLiteral("  Check your installation folder.  If the file is missing, you "
                                "may attempt to reinstall the application. ") +
                 QStringLiteral("\r\n\r\n") + context.supportMessage});
        return false;
    }
    // A template that could not be used once moved stays where it is.
    if (refuseUnwritable(context, context.upgradePath))
        return false;
    if (!QFile::rename(context.upgradePath, context.dbPath)) {
        context.reportError(
            QStringLiteral("Unable to move the database file '%1' to '%2'.  Make sure that the Data "
                           "folder is not read-only.  ")
                .arg(QDir::toNativeSeparators(context.upgradePath),
                     QDir::toNativeSeparators(context.dbPath)));
        return false;
    }
    return true;
}

bool checkWritable(AppContext& context)
{
    // A missing or odd file is left to the connection's own report.
    if (!QFileInfo(context.dbPath).isFile())
        return true;
    return !refuseUnwritable(context, context.dbPath);
}

bool openDatabase(AppContext& context)
{
    if (!locateDatabase(context) || !checkWritable(context))
        return false;
    // An empty file holds no tables, so its configuration cannot be read; the
    // engine would write a database header into it on connecting, so it is
    // turned away before that, with the words of the failed read.
    const QFileInfo file(context.dbPath);
    if (file.isFile() && file.size() == 0) {
        context.fatalError(QStringLiteral("Unable to retrieve Configuration Data.  "));
        return false;
    }
    OrvDataSource& dataSource = context.dataSource();
    if (!dataSource.connectDB())
        return false;
    // cmdConfig and cmdTableKey report their own failures; the version check
    // reports or asks itself.
    if (dataSource.cmdConfig() && dataSource.cmdTableKey() && checkDatabaseVersion(context)) {
        dataSource.useWriteAheadLog();
        // A file from before the days were kept beside the log gets them now, once.
        if (dataSource.keepDietMonths())
            return true;
    }
    // The program ends here: let go of the file at once.
    dataSource.closeDB();
    return false;
}

bool introductionEnabled(ConfigStore& config)
{
    return config.getConfig(QStringLiteral("SHOWTIPS")) == QLatin1String("Y");
}

} // namespace Startup
