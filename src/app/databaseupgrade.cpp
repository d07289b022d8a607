#include "app/databaseupgrade.h"

#include "app/appcontext.h"
#include "app/backups.h"
#include "app/configstore.h"
#include "app/databasemessages.h"
#include "data/databasebackup.h"
#include "data/orvdatasource.h"
#include "data/transaction.h"

#include <QVersionNumber>
#include <QtDebug>

const QString kUpgradeTitle = QStringLiteral("Upgrade Notification");

namespace {

const QString kVersion = QStringLiteral("VERSION");

// The failure box of an upgrade that was rolled back, after reading the
// configuration and key rows afresh (the recordsets still list the rows
// appended before the failure).
void reportFailedUpgrade(AppContext& context, const DataError& error)
{
    qWarning() << "upgradeDatabase:" << error.what();
    OrvDataSource& dataSource = context.dataSource();
    dataSource.rsConfig.cancelUpdate();
    dataSource.rsTableKey.cancelUpdate();
    if (!dataSource.cmdConfig() || !dataSource.cmdTableKey())
        return; // already reported, and the program is ending
    context.fatalError(
        QStringLiteral("Unable to upgrade the %1 Database.  It has been left as it was before the "
                       "upgrade, which will be offered again at the next start.  ")
            .arg(context.appTitle),
        error);
}

// The first write of the full upgrade. A database of a release before 2.0.0
// has no "VERSION" item, and one is appended. A stored version that is only
// textually earlier ("10.0.0") is rewritten instead: a second item would stay
// behind the first, and the next start would read the old version again.
void storeVersionItem(AppContext& context)
{
    Recordset& rs = context.dataSource().rsConfig;
    rs.moveFirst();
    if (!rs.findFirst(Criteria::equals(QStringLiteral("ConfigItem"), kVersion))) {
        context.config().addConfig(kVersion, AppContext::appVersion(), false);
        return;
    }
    rs.edit();
    rs.setValue(QStringLiteral("ConfigValue"), AppContext::appVersion());
    rs.setValue(QStringLiteral("SelectedConfig"), false);
    rs.update();
}

// The copy of the database as it was, kept before the upgrade changes it.
bool backUpBeforeUpgrade(AppContext& context)
{
    return Backups::makeAutomatic(
        context, DatabaseBackup::kBeforeUpgrade,
        QStringLiteral("The database has not been upgraded; the upgrade will be offered again at the next "
                       "start.  "));
}

void writeFullUpgrade(AppContext& context)
{
    ConfigStore& config = context.config();
    storeVersionItem(context);
    for (int i = 0; i <= 9; ++i)
        config.addConfig(QStringLiteral("MEAL%1").arg(i), QStringLiteral("Meal %1").arg(i + 1), false);
    config.addConfig(QStringLiteral("SHOWMEALS"), QStringLiteral("Y"), false);
    for (int i = 1; i <= 8; ++i)
        config.addConfig(QStringLiteral("SNAPSHOT%1").arg(i), QStringLiteral("SnapShot Value%1").arg(i),
                         false);
    OrvDataSource& dataSource = context.dataSource();
    dataSource.cmdCreateSnapShot();
    Recordset& keys = dataSource.rsTableKey;
    keys.addNew();
    keys.setValue(QStringLiteral("KeyName"), QStringLiteral("SNAPSHOT"));
    keys.setValue(QStringLiteral("KeyValue"), 1);
    keys.update();
}

bool fullUpgrade(AppContext& context)
{
    if (!context.askYesNo(upgradeQuestion(context), kUpgradeTitle)) {
        context.inform(
            QStringLiteral("Database upgrade not completed.  You will not be able to use this version of ") +
            context.appTitle + QStringLiteral(" until the upgrade has been completed."));
        return false;
    }
    if (!backUpBeforeUpgrade(context))
        return false;
    // All of it or nothing: a database that says it is current but lacks the
    // new items or the SnapShot table would never be upgraded again.
    try {
        Transaction transaction(context.dataSource());
        writeFullUpgrade(context);
        transaction.commit();
    } catch (const DataError& error) {
        reportFailedUpgrade(context, error);
        return false;
    }
    context.inform(QStringLiteral("Database Upgrade Complete"), kUpgradeTitle);
    return true;
}

// Adds the "SHOWTIPS" switch of release 2.1.0 and stores the version. When the
// version cannot be stored (setConfig has told the user, and the program goes
// on), the switch is taken back too, so the next start does the same again
// instead of adding a second switch.
bool addTipsSwitch(AppContext& context)
{
    if (!backUpBeforeUpgrade(context))
        return false;
    ConfigStore& config = context.config();
    bool stored = false;
    try {
        Transaction transaction(context.dataSource());
        config.addConfig(QStringLiteral("SHOWTIPS"), QStringLiteral("Y"), false);
        config.setConfig(kVersion, AppContext::appVersion(), false);
        stored = config.getConfig(kVersion) == AppContext::appVersion();
        if (stored)
            transaction.commit();
    } catch (const DataError& error) {
        reportFailedUpgrade(context, error);
        return false;
    }
    // Rolled back: rsConfig still lists the switch that is gone again.
    if (!stored)
        return context.dataSource().cmdConfig();
    return true;
}

} // namespace

bool versionTextLess(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

bool needsFullUpgrade(const QString& stored)
{
    if (stored == AppContext::appVersion())
        return false;
    return versionTextLess(ConfigStore::trimSpaces(stored).isEmpty() ? QStringLiteral("0") : stored,
                           QStringLiteral("2.0.0"));
}

bool isNewerVersion(const QString& stored)
{
    const QVersionNumber version = QVersionNumber::fromString(stored.trimmed());
    return !version.isNull() &&
           QVersionNumber::compare(version, QVersionNumber::fromString(AppContext::appVersion())) > 0;
}

QString upgradeQuestion(const AppContext& context)
{
    return QStringLiteral("You have recently upgraded your ") + context.appTitle +
           QStringLiteral(" software to version ") + AppContext::versionNotice() +
           QStringLiteral(
               ".  It is necessary to upgrade your database.  Please make sure that you have made a backup "
               "of your ") +
           QStringLiteral("Foodlark\\Data folder before completing this upgrade.  Do you ") +
           QStringLiteral("wish to perform this upgrade at this time?");
}

void upgradeCopy(AppContext& copy)
{
    const QString stored = copy.config().getConfig(kVersion);
    if (stored == AppContext::appVersion())
        return;
    const QString from = ConfigStore::trimSpaces(stored).isEmpty() ? QStringLiteral("0") : stored;
    Transaction transaction(copy.dataSource());
    if (versionTextLess(from, QStringLiteral("2.0.0"))) {
        writeFullUpgrade(copy);
    } else {
        if (versionTextLess(from, QStringLiteral("2.1.0")))
            copy.config().addConfig(QStringLiteral("SHOWTIPS"), QStringLiteral("Y"), false);
        storeVersionItem(copy);
    }
    transaction.commit();
}

bool checkDatabaseVersion(AppContext& context)
{
    const QString stored = context.config().getConfig(kVersion);
    if (stored == AppContext::appVersion())
        return true;
    // An older release must not take a newer one's file for an older one.
    if (isNewerVersion(stored)) {
        context.reportError(DatabaseMessages::newerVersion(context, context.dbPath, stored));
        return false;
    }
    return upgradeDatabase(context, ConfigStore::trimSpaces(stored).isEmpty() ? QStringLiteral("0") : stored);
}

bool upgradeDatabase(AppContext& context, const QString& fromVersion)
{
    if (versionTextLess(fromVersion, QStringLiteral("2.0.0")))
        return fullUpgrade(context);
    if (versionTextLess(fromVersion, QStringLiteral("2.1.0")))
        return addTipsSwitch(context);
    if (!backUpBeforeUpgrade(context))
        return false;
    context.config().setConfig(kVersion, AppContext::appVersion(), false);
    return true;
}
