#include "app/appcontext.h"
#include "app/configstore.h"
#include "app/databaseupgrade.h"
#include "data/orvdatasource.h"
#include "data/schema.h"
#include "fixture.h"

#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(Fixture::Content)

// The version check at start-up and the upgrade of older databases: which
// branch each stored version takes, the boxes the user sees, what is written,
// and that a failed upgrade leaves nothing behind.
class UpgradeTest : public QObject
{
    Q_OBJECT

public:
    enum class Outcome { Nothing, VersionOnly, TipsAndVersion, Full, Declined };
    Q_ENUM(Outcome)

private:
    std::unique_ptr<TestContext> t;

    struct ConfigRow
    {
        qint64 rowId;
        QString item;
        QString value;
        bool selected;
        bool operator==(const ConfigRow&) const = default;
    };

    QList<ConfigRow> configRows()
    {
        QList<ConfigRow> result;
        for (const QVariantList& row :
             t->rows("SELECT rowid, ConfigItem, ConfigValue, SelectedConfig FROM CONFIG ORDER BY rowid"))
            result.append({row[0].toLongLong(), row[1].toString(), row[2].toString(), row[3].toBool()});
        return result;
    }

    // "ITEM=value" for each row, in table order.
    static QStringList described(const QList<ConfigRow>& rows)
    {
        QStringList result;
        for (const ConfigRow& row : rows)
            result << row.item + QLatin1Char('=') + row.value +
                          (row.selected ? QStringLiteral(" (selected)") : QString());
        return result;
    }

    QStringList tableKeys()
    {
        QStringList result;
        for (const QVariantList& row : t->rows("SELECT KeyName, KeyValue FROM TableKey ORDER BY rowid"))
            result << row[0].toString() + QLatin1Char('=') + row[1].toString();
        return result;
    }

    bool hasTable(const QString& name)
    {
        return t->scalar(
                    "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE",
                    {name})
                   .toInt() == 1;
    }

    // After rows were changed underneath the program, as at a fresh start.
    void reopen()
    {
        QVERIFY(t->ctx().dataSource().cmdConfig());
        QVERIFY(t->ctx().dataSource().cmdTableKey());
    }

    static QByteArray bytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    static QString question()
    {
        return QStringLiteral(
            "You have recently upgraded your Corvane's Foodlark software to version 3.00.  It is "
            "necessary to upgrade your database.  Please make sure that you have made a backup of "
            "your Foodlark\\Data folder before completing this upgrade.  Do you wish to perform "
            "this upgrade at this time?");
    }

    void compareQuestion(const Prompt& prompt)
    {
        QCOMPARE(prompt.icon, PromptIcon::Question);
        QCOMPARE(prompt.buttons, PromptButtons::YesNo);
        QCOMPARE(prompt.title, QStringLiteral("Upgrade Notification"));
        QCOMPARE(prompt.text, question());
    }

    // The rows the full upgrade appends, in order (after the VERSION item).
    static QStringList fullUpgradeItems()
    {
        return {"MEAL0=Meal 1",
                "MEAL1=Meal 2",
                "MEAL2=Meal 3",
                "MEAL3=Meal 4",
                "MEAL4=Meal 5",
                "MEAL5=Meal 6",
                "MEAL6=Meal 7",
                "MEAL7=Meal 8",
                "MEAL8=Meal 9",
                "MEAL9=Meal 10",
                "SHOWMEALS=Y",
                "SNAPSHOT1=SnapShot Value1",
                "SNAPSHOT2=SnapShot Value2",
                "SNAPSHOT3=SnapShot Value3",
                "SNAPSHOT4=SnapShot Value4",
                "SNAPSHOT5=SnapShot Value5",
                "SNAPSHOT6=SnapShot Value6",
                "SNAPSHOT7=SnapShot Value7",
                "SNAPSHOT8=SnapShot Value8"};
    }

private slots:
    void cleanup() { t.reset(); }

    void versionsCompareAsText_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("less");
        QTest::newRow("no version") << "0"
                                    << "2.0.0" << true;
        QTest::newRow("ten sorts before two") << "10.0.0"
                                              << "2.0.0" << true;
        QTest::newRow("equal") << "2.1.0"
                               << "2.1.0" << false;
        QTest::newRow("longer is greater") << "2.0.0"
                                           << "2.0.00" << true;
        QTest::newRow("revision") << "2.0.5"
                                  << "2.1.0" << true;
        QTest::newRow("case counts") << "a"
                                     << "B" << false;
    }
    void versionsCompareAsText()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, less);
        QCOMPARE(versionTextLess(a, b), less);
    }

    void storedVersionChoosesTheUpgrade_data()
    {
        QTest::addColumn<Fixture::Content>("content");
        QTest::addColumn<QString>("stored"); // null: no VERSION item
        QTest::addColumn<bool>("withTips");  // the database has a SHOWTIPS item
        QTest::addColumn<bool>("yes");       // the answer when asked
        QTest::addColumn<Outcome>("outcome");
        const auto older = Fixture::Content::NoSnapShot;
        const auto current = Fixture::Content::Catalogue;
        QTest::newRow("3.0.0") << current << "3.0.0" << true << true << Outcome::Nothing;
        QTest::newRow("no VERSION, Yes") << older << QString() << false << true << Outcome::Full;
        QTest::newRow("no VERSION, No") << older << QString() << false << false << Outcome::Declined;
        QTest::newRow("blank VERSION, Yes") << older << "   " << false << true << Outcome::Full;
        QTest::newRow("10.0.0, Yes") << older << "10.0.0" << false << true << Outcome::Full;
        QTest::newRow("1.9.9, No") << older << "1.9.9" << false << false << Outcome::Declined;
        QTest::newRow("2.0.0") << current << "2.0.0" << false << true << Outcome::TipsAndVersion;
        QTest::newRow("2.0.5") << current << "2.0.5" << false << true << Outcome::TipsAndVersion;
        QTest::newRow("2.1.0") << current << "2.1.0" << true << true << Outcome::VersionOnly;
        QTest::newRow("2.9.9") << current << "2.9.9" << true << true << Outcome::VersionOnly;
        QTest::newRow("3.0.00") << current << "3.0.00" << true << true << Outcome::VersionOnly;
        QTest::newRow("3.0.1") << current << "3.0.1" << true << true << Outcome::VersionOnly;
    }
    void storedVersionChoosesTheUpgrade()
    {
        QFETCH(Fixture::Content, content);
        QFETCH(QString, stored);
        QFETCH(bool, withTips);
        QFETCH(bool, yes);
        QFETCH(Outcome, outcome);
        t = std::make_unique<TestContext>(content);
        t->exec("DELETE FROM CONFIG WHERE ConfigItem = 'VERSION'");
        if (!stored.isNull())
            t->exec("INSERT INTO CONFIG VALUES ('VERSION', ?, 0)", {stored});
        if (!withTips)
            t->exec("DELETE FROM CONFIG WHERE ConfigItem = 'SHOWTIPS'");
        reopen();
        const QList<ConfigRow> before = configRows();
        const QStringList keysBefore = tableKeys();
        const bool snapShotBefore = hasTable("SNAPSHOT");
        t->prompts.queue(yes ? PromptAnswer::Yes : PromptAnswer::No);

        const bool goOn = checkDatabaseVersion(t->ctx());

        QCOMPARE(goOn, outcome != Outcome::Declined);
        const QList<ConfigRow> after = configRows();
        const bool asked = outcome == Outcome::Full || outcome == Outcome::Declined;
        QCOMPARE(t->prompts.pendingAnswers(), asked ? 0 : 1);
        QCOMPARE(t->shutDowns, 0);

        // Rows present before keep their place; the version row alone may change.
        QList<ConfigRow> expectedOld = before;
        if (outcome != Outcome::Nothing && outcome != Outcome::Declined && !stored.isNull()) {
            for (ConfigRow& row : expectedOld) {
                if (row.item == QLatin1String("VERSION"))
                    row.value = QStringLiteral("3.0.0");
            }
        }
        QCOMPARE(after.mid(0, before.size()), expectedOld);
        const QStringList appended = described(after.mid(before.size()));

        switch (outcome) {
        case Outcome::Nothing:
        case Outcome::VersionOnly:
            QCOMPARE(t->prompts.count(), 0);
            QCOMPARE(appended, QStringList());
            QCOMPARE(tableKeys(), keysBefore);
            break;
        case Outcome::TipsAndVersion:
            QCOMPARE(t->prompts.count(), 0);
            QCOMPARE(appended, QStringList{"SHOWTIPS=Y"});
            QCOMPARE(tableKeys(), keysBefore);
            break;
        case Outcome::Declined:
            QCOMPARE(t->prompts.count(), 2);
            compareQuestion(t->prompts.shown().at(0));
            QCOMPARE(t->prompts.last().icon, PromptIcon::None);
            QCOMPARE(t->prompts.last().buttons, PromptButtons::Ok);
            QCOMPARE(t->prompts.last().title, QStringLiteral("Corvane's Foodlark"));
            QCOMPARE(
                t->prompts.last().text,
                QStringLiteral("Database upgrade not completed.  You will not be able to use this version of "
                               "Corvane's Foodlark until the upgrade has been completed."));
            QCOMPARE(appended, QStringList());
            QCOMPARE(tableKeys(), keysBefore);
            QCOMPARE(hasTable("SNAPSHOT"), snapShotBefore);
            break;
        case Outcome::Full: {
            QCOMPARE(t->prompts.count(), 2);
            compareQuestion(t->prompts.shown().at(0));
            QCOMPARE(t->prompts.last().icon, PromptIcon::None);
            QCOMPARE(t->prompts.last().buttons, PromptButtons::Ok);
            QCOMPARE(t->prompts.last().title, QStringLiteral("Upgrade Notification"));
            QCOMPARE(t->prompts.last().text, QStringLiteral("Database Upgrade Complete"));
            // Without a VERSION item the upgrade appends one first; a stored one is rewritten in place.
            QStringList expected = fullUpgradeItems();
            if (stored.isNull())
                expected.prepend(QStringLiteral("VERSION=3.0.0"));
            QCOMPARE(appended, expected);
            QCOMPARE(tableKeys(), keysBefore + QStringList{"SNAPSHOT=1"});
            QVERIFY(hasTable("SNAPSHOT"));
            // pk_SnapShot: unique, on SNAPID alone.
            QCOMPARE(
                t->scalar("SELECT \"unique\" FROM pragma_index_list('SNAPSHOT') WHERE name = 'pk_SnapShot'")
                    .toInt(),
                1);
            QCOMPARE(t->scalar("SELECT group_concat(name) FROM pragma_index_info('pk_SnapShot')").toString(),
                     QStringLiteral("SNAPID"));
            // The program's recordsets see the new rows.
            QCOMPARE(t->ctx().dataSource().rsConfig.recordCount(), after.size());
            QCOMPARE(t->ctx().config().getConfig("MEAL9"), QStringLiteral("Meal 10"));
            break;
        }
        }

        // The next start goes straight through, except after a refusal.
        t->prompts.clear();
        t->prompts.queueNo();
        QCOMPARE(checkDatabaseVersion(t->ctx()), outcome != Outcome::Declined);
        QCOMPARE(t->prompts.count(), outcome == Outcome::Declined ? 2 : 0);
    }

    void firstSnapshotKeyAfterTheFullUpgradeIsTwo()
    {
        t = std::make_unique<TestContext>(Fixture::Content::NoSnapShot);
        t->prompts.queueYes();
        QVERIFY(checkDatabaseVersion(t->ctx()));
        QCOMPARE(t->ctx().dataSource().getTableKey("SNAPSHOT"), std::optional<qint32>(2));
        QCOMPARE(t->ctx().dataSource().getTableKey("SNAPSHOT"), std::optional<qint32>(3));
        QCOMPARE(t->scalar("SELECT KeyValue FROM TableKey WHERE KeyName = 'SNAPSHOT'").toInt(), 3);
        // The new table takes a snapshot row.
        QVERIFY(t->ctx().dataSource().cmdSnapShotData("USER1"));
        Recordset& rs = t->ctx().dataSource().rsSnapShotData;
        rs.addNew();
        rs.setValue("SNAPID", 2);
        rs.setValue("USERNAME", "USER1");
        rs.setValue("SNAPVAL1", 80.5);
        rs.update();
        QCOMPARE(t->scalar("SELECT SNAPVAL1 FROM SNAPSHOT WHERE SNAPID = 2").toDouble(), 80.5);
    }

    void failedFullUpgradeLeavesTheDatabaseAsItWas()
    {
        // An older database that somehow has the SnapShot table already.
        t = std::make_unique<TestContext>(Fixture::Content::NoSnapShot);
        Schema::createSnapShotTable(t->db());
        reopen();
        const QList<ConfigRow> before = configRows();
        const QStringList keysBefore = tableKeys();
        const QByteArray fileBefore = bytes(t->folder.dbPath());
        t->prompts.queueYes();

        QVERIFY(!checkDatabaseVersion(t->ctx()));

        QCOMPARE(t->prompts.count(), 2);
        compareQuestion(t->prompts.shown().at(0));
        QCOMPARE(t->prompts.last().icon, PromptIcon::Critical);
        QCOMPARE(t->prompts.last().buttons, PromptButtons::Ok);
        QCOMPARE(t->prompts.last().title, QStringLiteral("Application Error"));
        QCOMPARE(
            t->prompts.last().text,
            QStringLiteral("Unable to upgrade the Corvane's Foodlark Database.  It has been left as it was "
                           "before the upgrade, which will be offered again at the next start.  ") +
                t->ctx().supportMessage);
        QCOMPARE(t->shutDowns, 1);
        QCOMPARE(configRows(), before);
        QCOMPARE(tableKeys(), keysBefore);
        QCOMPARE(t->ctx().config().getConfig("VERSION"), QString());
        // The recordsets were read afresh: no rows of the undone upgrade in them.
        QCOMPARE(t->ctx().dataSource().rsConfig.recordCount(), before.size());
        QCOMPARE(t->ctx().dataSource().rsTableKey.recordCount(), keysBefore.size());
        QCOMPARE(t->ctx().config().getConfig("MEAL0"), QString());

        // The next start asks again.
        t->prompts.clear();
        t->prompts.queueNo();
        QVERIFY(!checkDatabaseVersion(t->ctx()));
        QCOMPARE(t->prompts.count(), 2);
        compareQuestion(t->prompts.shown().at(0));

        t->ctx().dataSource().closeDB();
        QCOMPARE(bytes(t->folder.dbPath()), fileBefore);
    }

    void tipsSwitchIsTakenBackWhenTheVersionCannotBeStored()
    {
        t = std::make_unique<TestContext>();
        t->exec("UPDATE CONFIG SET ConfigValue = '2.0.5' WHERE ConfigItem = 'VERSION'");
        t->exec("DELETE FROM CONFIG WHERE ConfigItem = 'SHOWTIPS'");
        t->exec("CREATE TRIGGER refuse BEFORE UPDATE ON CONFIG BEGIN SELECT RAISE(ABORT, 'refused'); END");
        reopen();
        const QList<ConfigRow> before = configRows();

        // setConfig reports its failure and the program goes on.
        QVERIFY(checkDatabaseVersion(t->ctx()));
        QCOMPARE(t->prompts.count(), 1);
        QCOMPARE(t->prompts.last().title, QStringLiteral("Application Error"));
        QCOMPARE(t->prompts.last().text,
                 QStringLiteral("Unable to update the Configuration Data.  ") + t->ctx().supportMessage);
        QCOMPARE(t->shutDowns, 0);
        QCOMPARE(configRows(), before);
        QCOMPARE(t->ctx().dataSource().rsConfig.recordCount(), before.size());

        // Once the version can be stored, the next start adds the switch once.
        t->exec("DROP TRIGGER refuse");
        t->prompts.clear();
        QVERIFY(checkDatabaseVersion(t->ctx()));
        QCOMPARE(t->prompts.count(), 0);
        QCOMPARE(t->scalar("SELECT count(*) FROM CONFIG WHERE ConfigItem = 'SHOWTIPS'").toInt(), 1);
        QCOMPARE(t->ctx().config().getConfig("VERSION"), QStringLiteral("3.0.0"));
    }

    void failedTipsSwitchEndsTheProgram()
    {
        t = std::make_unique<TestContext>();
        t->exec("UPDATE CONFIG SET ConfigValue = '2.0.5' WHERE ConfigItem = 'VERSION'");
        t->exec("CREATE TRIGGER refuse BEFORE INSERT ON CONFIG BEGIN SELECT RAISE(ABORT, 'refused'); END");
        reopen();
        const QList<ConfigRow> before = configRows();
        QVERIFY(!checkDatabaseVersion(t->ctx()));
        QCOMPARE(t->prompts.count(), 1);
        QCOMPARE(t->prompts.last().icon, PromptIcon::Critical);
        QVERIFY(t->prompts.last().text.startsWith("Unable to upgrade the Corvane's Foodlark Database.  "));
        QCOMPARE(t->shutDowns, 1);
        QCOMPARE(configRows(), before);
    }
};

QTEST_GUILESS_MAIN(UpgradeTest)
#include "tst_upgrade.moc"
