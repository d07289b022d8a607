#include "app/configstore.h"
#include "app/databaseupgrade.h"
#include "data/orvdatasource.h"
#include "data/schema.h"
#include "fixture.h"
#include "fulldisk.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

// The version check at start-up and the upgrade of older databases: which
// branch each stored version takes, the boxes, what is written in which order,
// and that a failed upgrade leaves nothing behind.
class UpgradeTest : public QObject
{
    Q_OBJECT

public:
    enum class Outcome { Nothing, VersionOnly, TipsAndVersion, Full, Declined, Refused };
    Q_ENUM(Outcome)

private:
    std::unique_ptr<TestContext> t;
    static inline const QString kFailed =
        "Unable to upgrade the Corvane's Foodlark Database.  It has been left as "
        "it was before the upgrade, which will be offered again at the next "
        "start.  ";

    // "ITEM=value" per configuration row in table order, " *" marking a selected one.
    QStringList config()
    {
        return t
            ->scalar("SELECT group_concat(ConfigItem || '=' || ConfigValue || iif(SelectedConfig, ' *', ''), "
                     "'|') FROM CONFIG")
            .toString()
            .split('|');
    }
    QStringList keys()
    {
        return t->scalar("SELECT group_concat(KeyName || '=' || KeyValue, '|') FROM TableKey")
            .toString()
            .split('|');
    }
    // After rows were changed underneath the program, as at a fresh start.
    void reopen() { QVERIFY(t->ctx().dataSource().cmdConfig() && t->ctx().dataSource().cmdTableKey()); }

    static Prompt question()
    {
        return {
            PromptIcon::Question, PromptButtons::YesNo, "Upgrade Notification",
            "You have recently upgraded your Corvane's Foodlark software to version 3.00.  It is necessary "
            "to upgrade your database.  Please make sure that you have made a backup of your Foodlark\\Data "
            "folder before completing this upgrade.  Do you wish to perform this upgrade at this time?"};
    }

private slots:
    void cleanup() { t.reset(); }

    void storedVersionChoosesTheUpgrade_data()
    {
        QTest::addColumn<QString>("stored"); // null: no VERSION item
        QTest::addColumn<bool>("yes");       // the answer when asked
        QTest::addColumn<Outcome>("outcome");
        // Versions compare as text: "3.0.00" comes after "3.0.0". A newer
        // release's file ("10.0.0" too, though it comes before "2.0.0" as
        // text) is refused, never relabelled as this release's.
        QTest::newRow("3.0.0") << "3.0.0" << true << Outcome::Nothing;
        QTest::newRow("no VERSION, Yes") << QString() << true << Outcome::Full;
        QTest::newRow("no VERSION, No") << QString() << false << Outcome::Declined;
        QTest::newRow("3.1.0, newer") << "3.1.0" << true << Outcome::Refused;
        QTest::newRow("10.0.0, newer") << "10.0.0" << true << Outcome::Refused;
        QTest::newRow("2.0.0") << "2.0.0" << true << Outcome::TipsAndVersion;
        QTest::newRow("3.0.00") << "3.0.00" << true << Outcome::VersionOnly;
    }
    void storedVersionChoosesTheUpgrade()
    {
        QFETCH(QString, stored);
        QFETCH(bool, yes);
        QFETCH(Outcome, outcome);
        const bool asked = outcome == Outcome::Full || outcome == Outcome::Declined;
        // A database older than 2.0.0 lacks the SnapShot table and the later items; 2.0.x lacks SHOWTIPS.
        t = std::make_unique<TestContext>(asked ? Fixture::Content::NoSnapShot : Fixture::Content::Catalogue);
        t->exec("DELETE FROM CONFIG WHERE ConfigItem = 'VERSION'");
        if (!stored.isNull())
            t->exec("INSERT INTO CONFIG VALUES ('VERSION', ?, 0)", {stored});
        if (outcome == Outcome::TipsAndVersion)
            t->exec("DELETE FROM CONFIG WHERE ConfigItem = 'SHOWTIPS'");
        reopen();
        QStringList expected = config();
        QStringList expectedKeys = keys();
        t->prompts.queue(yes ? PromptAnswer::Yes : PromptAnswer::No);

        const bool refused = outcome == Outcome::Declined || outcome == Outcome::Refused;
        QCOMPARE(checkDatabaseVersion(t->ctx()), !refused);

        // Rows present before keep their place; the version row alone may change.
        QList<Prompt> boxes;
        if (outcome == Outcome::Refused)
            boxes = {applicationError(
                QString("The Corvane's Foodlark Database '%1' was made by a newer version of "
                        "Corvane's Foodlark (%2); this is version 3.0.0, which can not use it.  "
                        "It has been left as it is; open it with version %2 or later.  ")
                    .arg(t->folder.dbPath(), stored))};
        else if (outcome == Outcome::Declined)
            boxes = {
                question(),
                {PromptIcon::None, PromptButtons::Ok, "Corvane's Foodlark",
                 "Database upgrade not completed.  You will not be able to use this version of Corvane's "
                 "Foodlark until the upgrade has been completed."}};
        else
            expected.replaceInStrings(QRegularExpression("^VERSION=.*"), "VERSION=3.0.0");
        if (outcome == Outcome::TipsAndVersion)
            expected << "SHOWTIPS=Y";
        if (outcome == Outcome::Full) {
            if (stored.isNull())
                expected << "VERSION=3.0.0";
            for (int i = 0; i < 10; ++i)
                expected << QString("MEAL%1=Meal %2").arg(i).arg(i + 1);
            expected << "SHOWMEALS=Y";
            for (int i = 1; i <= 8; ++i)
                expected << QString("SNAPSHOT%1=SnapShot Value%1").arg(i);
            expectedKeys << "SNAPSHOT=1";
            boxes = {
                question(),
                {PromptIcon::None, PromptButtons::Ok, "Upgrade Notification", "Database Upgrade Complete"}};
        }
        QCOMPARE(config(), expected);
        QCOMPARE(keys(), expectedKeys);
        QCOMPARE(t->prompts.shown(), boxes);
        QCOMPARE(t->scalar("SELECT count(*) FROM sqlite_master WHERE name = 'SNAPSHOT'"),
                 asked ? int(yes) : 1);
        QCOMPARE(t->shutDowns, 0);
        QCOMPARE(t->ctx().dataSource().rsConfig.recordCount(), expected.size()); // as stored
        // Every upgrade keeps the database as it was in a backup first.
        const QStringList backups = QDir(t->ctx().backupFolder()).entryList(QDir::Files);
        QCOMPARE(backups.size(), outcome == Outcome::Nothing || refused ? 0 : 1);
        QVERIFY(backups.filter(QRegularExpression("^MeboData-[-0-9]{17}Z-[0-9]{4}-before-upgrade\\.mdb$")) ==
                backups);

        // The next start goes straight through, except after a refusal.
        t->prompts.clear();
        QCOMPARE(checkDatabaseVersion(t->ctx()), !refused);
        QCOMPARE(t->prompts.count(), outcome == Outcome::Declined ? 2 : int(refused));
    }

    // A failed upgrade leaves the database as it was (a backup aside) and is
    // offered again at the next start, which completes it once the cause is gone.
    void failedUpgradesLeaveTheDatabaseAsItWas_data()
    {
        QTest::addColumn<QString>(
            "stored"); // the VERSION item: 1.0.0 full, 2.0.5 tips switch, 2.9.9 version only
        QTest::addColumn<QString>("failure");
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<bool>("fatal");
        QTest::addColumn<QString>("message");
        const QString diskFull =
            "Unable to back up the Corvane's Foodlark Database to '%1': the disk is full.  "
            "The database has not been upgraded; the upgrade will be offered again at the "
            "next start.  ";
        // clang-format off
        // A backup that cannot be made stops any upgrade.
        QTest::newRow("full upgrade, disk full") << "1.0.0" << "disk full" << false << false << diskFull;
        QTest::newRow("tips switch, disk full") << "2.0.5" << "disk full" << false << false << diskFull;
        QTest::newRow("version only, disk full") << "2.9.9" << "disk full" << false << false << diskFull;
        // An older database that somehow has the SnapShot table already.
        QTest::newRow("full upgrade, table there") << "1.0.0" << "table" << false << true << kFailed;
        // setConfig reports a version it cannot store, and the program goes on; the switch is taken back.
        QTest::newRow("tips switch, version not stored") << "2.0.5" << "UPDATE" << true << false << "Unable to update the Configuration Data.  ";
        QTest::newRow("tips switch, switch not added") << "2.0.5" << "INSERT" << false << true << kFailed;
        // clang-format on
    }
    void failedUpgradesLeaveTheDatabaseAsItWas()
    {
        QFETCH(QString, stored);
        QFETCH(QString, failure);
        QFETCH(bool, goesOn);
        QFETCH(bool, fatal);
        QFETCH(QString, message);
        const bool asked = stored == "1.0.0";
        FullDisk::install();
        t = std::make_unique<TestContext>(asked ? Fixture::Content::NoSnapShot : Fixture::Content::Catalogue);
        t->exec("DELETE FROM CONFIG WHERE ConfigItem IN ('VERSION', 'SHOWTIPS')");
        t->exec("INSERT INTO CONFIG VALUES ('VERSION', ?, 0)", {stored});
        if (failure == "table")
            Schema::createSnapShotTable(t->db());
        else if (failure != "disk full")
            t->exec(QString("CREATE TRIGGER refuse BEFORE %1 ON CONFIG BEGIN SELECT RAISE(ABORT, 'no'); END")
                        .arg(failure));
        reopen();
        const QStringList before = config() + keys();
        const QByteArray fileBefore = fileBytes(t->folder.dbPath());
        t->prompts.queueYes();
        {
            std::optional<FullDisk::Scope> diskFull;
            if (failure == "disk full")
                diskFull.emplace();
            QCOMPARE(checkDatabaseVersion(t->ctx()), goesOn);
        }
        const QString backups = t->ctx().backupFolder();
        QCOMPARE(t->prompts.shown(), (asked ? QList<Prompt>{question()} : QList<Prompt>())
                                         << applicationError(message.arg(backups)));
        QCOMPARE(t->shutDowns, int(fatal));
        QCOMPARE(config() + keys(), before);
        QCOMPARE(fileBytes(t->folder.dbPath()), fileBefore);
        QCOMPARE(QDir(backups).entryList(QDir::Files).size(), failure == "disk full" ? 0 : 1);
        // The recordsets were read afresh: no rows of the undone upgrade in them.
        QCOMPARE(t->ctx().dataSource().rsConfig.recordCount() +
                     t->ctx().dataSource().rsTableKey.recordCount(),
                 before.size());
        // Once the cause is gone, the next start upgrades, adding the tips switch once.
        t->exec(failure == "table" ? "DROP TABLE SNAPSHOT" : "DROP TRIGGER IF EXISTS refuse");
        t->prompts.clear();
        t->prompts.queueYes();
        QVERIFY(checkDatabaseVersion(t->ctx()));
        QCOMPARE(config().filter(QRegularExpression("^VERSION=")), QStringList{"VERSION=3.0.0"});
        QCOMPARE(config().filter(QRegularExpression("^SHOWTIPS=")).size(), stored == "2.0.5" ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(UpgradeTest)
#include "tst_upgrade.moc"
