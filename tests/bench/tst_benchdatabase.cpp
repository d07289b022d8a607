#include "benchdatabase.h"
#include "data/orvdatasource.h"
#include "fixture.h"

#include <QDir>
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
    std::unique_ptr<ProgramRun> run;

    QVariant value(const QString& sql) { return queryRows(run->context.dataSource().database(), sql)[0][0]; }
    int count(const QString& sql) { return value(sql).toInt(); }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir(dir.path()).mkpath("Data"));
        run = std::make_unique<ProgramRun>(dir.path());
        BenchDatabase::build(FOODLARK_SEED_FILE, run->context.dbPath);
        QVERIFY(run->context.dataSource().connectDB());
    }

    void usersLogTheirDaysAndTheKeysGoOnFromThem()
    {
        QCOMPARE(value("SELECT group_concat(UserName) FROM (SELECT DISTINCT UserName FROM DietActivity ORDER BY 1)"),
                 "USER1,USER2,USER3,USER4");
        QVERIFY(count("SELECT count(*) FROM SNAPSHOT") >= 2000);
        // The busiest user: about 55,000 entries over ten years to yesterday, four meals a day.
        const int busiest = count("SELECT count(*) FROM DietActivity WHERE UserName = 'USER1'");
        QVERIFY2(busiest >= 50000 && busiest <= 60000, qPrintable(QString::number(busiest)));
        QCOMPARE(value("SELECT count(*) || ' ' || max(DietDate) || ' ' || min(meals) || max(meals) FROM (SELECT DietDate, "
                       "count(DISTINCT MealName) AS meals FROM DietActivity WHERE UserName = 'USER1' GROUP BY 1)"),
                 "3650 " + QDate::currentDate().addDays(-1).toString(Qt::ISODate) + " 44");
        // The key sequences hold the highest ids, so that the program can go on from them.
        QCOMPARE(value("SELECT group_concat(KeyName) FROM TableKey WHERE KeyValue = CASE KeyName "
                       "WHEN 'FOODGROUP' THEN (SELECT max(GroupId) FROM FoodGroup) "
                       "WHEN 'FOODITEM' THEN (SELECT max(FoodId) FROM FoodItem) "
                       "WHEN 'DIETACTIVITY' THEN (SELECT max(DietId) FROM DietActivity) "
                       "WHEN 'SNAPSHOT' THEN (SELECT max(SNAPID) FROM SNAPSHOT) END"),
                 "FOODGROUP,FOODITEM,DIETACTIVITY,SNAPSHOT");
    }

    void entriesAreScaledFromTheirFoods()
    {
        // The food's values x servings x (entry grams / food grams), of a real measure in whole grams.
        QString scaled;
        for (const char* n : {"Fat", "Protein", "Carbohydrate", "Calorie", "Sodium", "Cholesterol", "Other1", "Other2"})
            scaled += QString(" OR abs(e.%1 - f.%1 * e.NumServings * (CASE WHEN f.USDA_GM_WT = 0 OR e.USDA_GM_WT = 0 "
                              "THEN 1.0 ELSE e.USDA_GM_WT / f.USDA_GM_WT END)) > 1e-9 * (1 + abs(e.%1))").arg(n);
        QCOMPARE(count("SELECT count(*) FROM DietActivity e LEFT JOIN FoodItem f ON f.FoodId = e.USDA_NDB_NO WHERE "
                       "f.FoodId IS NULL" + scaled + " OR e.USDA_GM_WT <> CAST(e.USDA_GM_WT AS INTEGER) OR NOT EXISTS "
                       "(SELECT 1 FROM USDA_Measures m WHERE m.NDB_NO = e.USDA_NDB_NO AND m.MSRE_NO = e.USDA_MSRE_NO "
                       "AND m.MSRE_DESC = e.ServingSize AND abs(m.GM_WT - e.USDA_GM_WT) <= 0.5)"),
                 0);
    }
};

QTEST_GUILESS_MAIN(BenchDatabaseTest)
#include "tst_benchdatabase.moc"
