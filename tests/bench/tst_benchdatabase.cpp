#include "app/appcontext.h"
#include "benchdatabase.h"
#include "data/orvdatasource.h"
#include "scriptedprompts.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

// The benchmark's database is only worth timing if it looks like a real log:
// the promised users and sizes, entries scaled from their foods as the program
// scales them, and key sequences the program can go on from.
class BenchDatabaseTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    BenchDatabase::Options options;
    BenchDatabase::Summary summary;
    ScriptedPrompts prompts;
    std::unique_ptr<AppContext> context;

    OrvDataSource& ds() { return context->dataSource(); }

    QList<QVariantList> rows(const QString& sql, const QVariantList& params = {})
    {
        QSqlQuery query(ds().database());
        query.prepare(sql);
        for (const QVariant& p : params)
            query.addBindValue(p);
        if (!query.exec())
            qFatal("query failed: %s", qPrintable(sql));
        QList<QVariantList> result;
        while (query.next()) {
            QVariantList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << query.value(i);
            result << row;
        }
        return result;
    }
    QVariant scalar(const QString& sql, const QVariantList& params = {})
    {
        return rows(sql, params).value(0).value(0);
    }

    // A digest of every diet and snapshot row of a database file.
    static QByteArray digest(const QString& path)
    {
        QCryptographicHash hash(QCryptographicHash::Sha1);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "digest");
            db.setDatabaseName(path);
            db.open();
            QSqlQuery query(db);
            for (const char* sql :
                 {"SELECT * FROM DietActivity ORDER BY DietId", "SELECT * FROM SNAPSHOT ORDER BY SNAPID",
                  "SELECT * FROM TableKey ORDER BY KeyName"}) {
                query.exec(sql);
                while (query.next())
                    for (int i = 0; i < query.record().count(); ++i)
                        hash.addData(query.value(i).toString().toUtf8() + '\t');
            }
            query.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase("digest");
        return hash.result();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir(dir.path()).mkpath("Data"));
        context = std::make_unique<AppContext>(dir.path(), prompts);
        summary = BenchDatabase::build(FOODLARK_SEED_FILE, context->dbPath, options);
        QVERIFY(ds().connectDB());
        QVERIFY(ds().cmdTableKey());
    }

    void cleanupTestCase()
    {
        QCOMPARE(prompts.count(), 0);
        context.reset();
    }

    void usersAndRowCountsAreAsPromised()
    {
        QMap<QString, int> dietRows;
        for (const QVariantList& row : rows("SELECT UserName, count(*) FROM DietActivity GROUP BY UserName"))
            dietRows.insert(row[0].toString(), row[1].toInt());
        QCOMPARE(dietRows, summary.dietRows);
        QCOMPARE(dietRows.keys(), QStringList({"USER1", "USER2", "USER3", "USER4"}));
        QMap<QString, int> snapShots;
        for (const QVariantList& row : rows("SELECT USERNAME, count(*) FROM SNAPSHOT GROUP BY USERNAME"))
            snapShots.insert(row[0].toString(), row[1].toInt());
        for (auto it = summary.snapShots.cbegin(); it != summary.snapShots.cend(); ++it)
            QCOMPARE(snapShots.value(it.key()), it.value());
        QVERIFY(summary.totalSnapShots() >= 2000);
        // About 55,000 entries for the busiest user, fewer for the others.
        const int busiest = dietRows.value("USER1");
        QVERIFY2(busiest >= 50000 && busiest <= 60000, qPrintable(QString::number(busiest)));
        for (const char* user : {"USER2", "USER3", "USER4"})
            QVERIFY(dietRows.value(user) < busiest);
    }

    void busiestUserLogsTenYearsOfMealsToYesterday()
    {
        QCOMPARE(options.lastDay, QDate::currentDate().addDays(-1));
        const QList<QVariantList> span = rows("SELECT count(DISTINCT DietDate), min(DietDate), max(DietDate) "
                                              "FROM DietActivity WHERE UserName = ?",
                                              {"USER1"});
        QCOMPARE(span[0][0].toInt(), 3650);
        QCOMPARE(span[0][1].toString(), options.lastDay.addDays(-3649).toString(Qt::ISODate));
        QCOMPARE(span[0][2].toString(), options.lastDay.toString(Qt::ISODate));
        QCOMPARE(summary.firstDay.value("USER1"), options.lastDay.addDays(-3649));
        // Every day has the four meals, each of two to four foods.
        QCOMPARE(
            scalar(
                "SELECT count(*) FROM (SELECT DietDate, count(DISTINCT MealName) AS meals FROM DietActivity "
                "WHERE UserName = 'USER1' GROUP BY DietDate) WHERE meals <> 4")
                .toInt(),
            0);
        QCOMPARE(
            scalar("SELECT count(*) FROM (SELECT DietDate, MealName, count(*) AS foods FROM DietActivity "
                   "WHERE UserName = 'USER1' GROUP BY DietDate, MealName) WHERE foods < 2 OR foods > 4")
                .toInt(),
            0);
        QCOMPARE(scalar("SELECT count(*) FROM DietActivity WHERE MealName NOT IN ('MEAL0', 'MEAL1', 'MEAL2', "
                        "'MEAL3', '')")
                     .toInt(),
                 0);
        // Ids grow with the dates, as when the entries were logged day by day.
        QCOMPARE(scalar("SELECT count(*) FROM DietActivity a JOIN DietActivity b ON b.DietId = a.DietId + 1 "
                        "WHERE b.DietDate < a.DietDate")
                     .toInt(),
                 0);
    }

    void keySequencesHoldTheHighestIds_data()
    {
        QTest::addColumn<QString>("sequence");
        QTest::addColumn<QString>("highestId");
        QTest::newRow("FOODGROUP") << "FOODGROUP"
                                   << "SELECT max(GroupId) FROM FoodGroup";
        QTest::newRow("FOODITEM") << "FOODITEM"
                                  << "SELECT max(FoodId) FROM FoodItem";
        QTest::newRow("DIETACTIVITY") << "DIETACTIVITY"
                                      << "SELECT max(DietId) FROM DietActivity";
        QTest::newRow("SNAPSHOT") << "SNAPSHOT"
                                  << "SELECT max(SNAPID) FROM SNAPSHOT";
    }
    void keySequencesHoldTheHighestIds()
    {
        QFETCH(QString, sequence);
        QFETCH(QString, highestId);
        const qint64 highest = scalar(highestId).toLongLong();
        QCOMPARE(scalar("SELECT KeyValue FROM TableKey WHERE KeyName = ?", {sequence}).toLongLong(), highest);
        if (sequence == "DIETACTIVITY")
            QCOMPARE(highest, qint64(summary.lastDietId));
        if (sequence == "SNAPSHOT")
            QCOMPARE(highest, qint64(summary.lastSnapId));
    }

    void entriesAreScaledFromTheirFoods()
    {
        // One entry in full: the food's values x servings x (entry grams / food grams).
        const QList<QVariantList> sample = rows(
            "SELECT e.NumServings, e.USDA_GM_WT, f.USDA_GM_WT, e.Fat, f.Fat, e.Calorie, f.Calorie, e.Sodium, "
            "f.Sodium, e.Other2, f.Other2 FROM DietActivity e JOIN FoodItem f ON f.FoodId = e.USDA_NDB_NO "
            "WHERE e.DietId = ?",
            {summary.lastDietId / 2});
        QCOMPARE(int(sample.size()), 1);
        const QVariantList& s = sample.first();
        const double factor = s[0].toDouble() * s[1].toDouble() / s[2].toDouble();
        for (int i = 3; i < 11; i += 2)
            QCOMPARE(s[i].toDouble(), s[i + 1].toDouble() * factor);

        // Every entry: nutrients, names, and a real measure of the food.
        const QString ratio = "(CASE WHEN f.USDA_GM_WT = 0 OR e.USDA_GM_WT = 0 THEN 1.0 "
                              "ELSE e.USDA_GM_WT / f.USDA_GM_WT END)";
        QStringList off;
        for (const char* n :
             {"Fat", "Protein", "Carbohydrate", "Calorie", "Sodium", "Cholesterol", "Other1", "Other2"}) {
            const int wrong =
                scalar(QString("SELECT count(*) FROM DietActivity e LEFT JOIN FoodItem f ON f.FoodId = "
                               "e.USDA_NDB_NO WHERE f.FoodId IS NULL OR abs(e.%1 - f.%1 * "
                               "e.NumServings * %2) > 1e-9 * (1 + abs(e.%1))")
                           .arg(n, ratio))
                    .toInt();
            if (wrong)
                off << QString("%1: %2").arg(n).arg(wrong);
        }
        QCOMPARE(off, QStringList());
        QCOMPARE(
            scalar("SELECT count(*) FROM DietActivity e JOIN FoodItem f ON f.FoodId = e.USDA_NDB_NO JOIN "
                   "FoodGroup g ON g.GroupId = f.GroupId WHERE e.FoodName <> f.FoodName OR "
                   "e.GroupName <> g.GroupName")
                .toInt(),
            0);
        QCOMPARE(
            scalar(
                "SELECT count(*) FROM DietActivity e WHERE NOT EXISTS (SELECT 1 FROM USDA_Measures m WHERE "
                "m.NDB_NO = e.USDA_NDB_NO AND m.MSRE_NO = e.USDA_MSRE_NO AND m.MSRE_DESC = e.ServingSize "
                "AND abs(m.GM_WT - e.USDA_GM_WT) <= 0.5) OR e.USDA_GM_WT <> CAST(e.USDA_GM_WT AS INTEGER) "
                "OR e.NumServings NOT IN (0.5, 1, 1.5, 2)")
                .toInt(),
            0);
    }

    void snapShotsAreMorningMeasurements()
    {
        QCOMPARE(scalar("SELECT count(*) FROM SNAPSHOT WHERE SNAPVAL1 NOT BETWEEN 50 AND 150 OR "
                        "substr(SNAPDATETM, 12) NOT BETWEEN '06:30:00' AND '08:00:00' OR "
                        "length(SNAPDATETM) <> 19")
                     .toInt(),
                 0);
        QVERIFY(ds().cmdSnapShotData("USER1"));
        QCOMPARE(ds().rsSnapShotData.recordCount(), summary.snapShots.value("USER1"));
    }

    void wholeGramsRoundsHalvesToEven_data()
    {
        QTest::addColumn<double>("grams");
        QTest::addColumn<double>("whole");
        QTest::newRow("down") << 28.35 << 28.0;
        QTest::newRow("up") << 14.6 << 15.0;
        QTest::newRow("half to even, down") << 14.5 << 14.0;
        QTest::newRow("half to even, up") << 15.5 << 16.0;
        QTest::newRow("under half a gram") << 0.4 << 0.0;
        QTest::newRow("whole already") << 227.0 << 227.0;
    }
    void wholeGramsRoundsHalvesToEven()
    {
        QFETCH(double, grams);
        QFETCH(double, whole);
        QCOMPARE(BenchDatabase::wholeGrams(grams), whole);
    }

    void sameOptionsMakeTheSameDatabase()
    {
        BenchDatabase::Options small;
        small.lastDay = QDate(2003, 5, 14);
        for (BenchDatabase::UserLog& log : small.users)
            log.days = 20;
        QTemporaryDir other;
        const QString first = other.path() + "/first.mdb";
        const QString second = other.path() + "/second.mdb";
        const BenchDatabase::Summary one = BenchDatabase::build(FOODLARK_SEED_FILE, first, small);
        const BenchDatabase::Summary two = BenchDatabase::build(FOODLARK_SEED_FILE, second, small);
        QCOMPARE(one.dietRows, two.dietRows);
        QCOMPARE(digest(first), digest(second));
        small.randomSeed += 1;
        BenchDatabase::build(FOODLARK_SEED_FILE, second, small);
        QVERIFY(digest(first) != digest(second));
    }
};

QTEST_GUILESS_MAIN(BenchDatabaseTest)
#include "tst_benchdatabase.moc"
