#include "app/configstore.h"
#include "data/orvdatasource.h"
#include "fixture.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <cmath>

// A smoke test of the full seed database a new installation starts with: the
// USDA catalogue as data/usda_foods.tsv lists it, its measures and groups, the
// configuration and the key sequences.
class SeedTest : public QObject
{
    Q_OBJECT

private:
    // The lines of the table by food number: number, group, name, and per 100 g
    // Calorie, Protein, Carbohydrate, Fat, Sodium, Cholesterol, Fiber, Sugars.
    QMap<int, QStringList> usda;
    QTemporaryDir dir;
    std::unique_ptr<ProgramRun> run;

    OrvDataSource& ds() { return run->context.dataSource(); }
    QList<QVariantList> rows(const QString& sql) { return queryRows(ds().database(), sql); }
    QVariant scalar(const QString& sql) { return rows(sql).value(0).value(0); }

private slots:
    void initTestCase()
    {
        QFile file(QStringLiteral(FOODLARK_DATA_DIR "/usda_foods.tsv"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        for (QTextStream in(&file); !in.atEnd();) {
            const QStringList fields = in.readLine().split('\t');
            QCOMPARE(fields.size(), 11);
            usda.insert(fields[0].toInt(), fields);
        }
        QVERIFY(QDir(dir.path()).mkpath("Data"));
        const QString dbPath = dir.path() + "/Data/MeboData.mdb";
        QVERIFY(QFile::copy(QStringLiteral(FOODLARK_SEED_FILE), dbPath));
        QFile(dbPath).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        run = std::make_unique<ProgramRun>(dir.path());
        QVERIFY(ds().connectDB() && ds().cmdConfig() && ds().cmdTableKey());
    }
    void cleanupTestCase() { QCOMPARE(run->prompts.count(), 0); }

    void catalogueIsTheUsdaTable()
    {
        // The table as the USDA gives butter: 717 kcal, 81.11 g fat, 714 mg sodium, 215 mg cholesterol.
        const QStringList butter = usda.value(1001);
        QCOMPARE(QStringList({butter[2], butter[3], butter[6], butter[7], butter[8]}),
                 QStringList({"Butter, salted", "717", "81.11", "714", "215"}));
        QCOMPARE(int(usda.size()), 7907);
        // Each food with a USDA number (the favourites' copies too) has the table's name and
        // values per 100 g; the originals lie in the table's group.
        QStringList wrong;
        int originals = 0;
        for (const QVariantList& row :
             rows("SELECT f.FoodId, f.USDA_NDB_NO, f.FoodName, g.GroupName, f.USDA_GM_WT, f.Calorie, "
                  "f.Protein, f.Carbohydrate, f.Fat, f.Sodium, f.Cholesterol, f.Other1, f.Other2 FROM "
                  "FoodItem f "
                  "JOIN FoodGroup g ON g.GroupId = f.GroupId WHERE f.USDA_NDB_NO <> 0")) {
            const QStringList food = usda.value(row[1].toInt(), QStringList(11));
            const bool original = row[0] == row[1];
            originals += original;
            bool same = food[2] == row[2].toString() && (!original || food[1] == row[3].toString());
            for (int i = 0; same && i < 8; ++i) {
                const double per100g = row[5 + i].toDouble() * 100.0 / row[4].toDouble();
                same = std::abs(per100g - food[3 + i].toDouble()) <= 1e-9 * std::max(1.0, per100g);
            }
            if (!same)
                wrong << row[0].toString();
        }
        QCOMPARE(wrong.mid(0, 10), QStringList());
        QCOMPARE(originals, 7907);
    }

    void everyUsdaFoodHasItsMeasures()
    {
        QCOMPARE(scalar("SELECT count(*) FROM FoodItem f WHERE f.USDA_NDB_NO <> 0 AND NOT EXISTS "
                        "(SELECT 1 FROM USDA_Measures m WHERE m.NDB_NO = f.USDA_NDB_NO)"),
                 0);
        // An original's serving is its first listed measure.
        QCOMPARE(
            scalar("SELECT count(*) FROM FoodItem f JOIN USDA_Measures m ON m.NDB_NO = f.USDA_NDB_NO AND "
                   "m.MSRE_NO = 1 AND f.USDA_MSRE_NO = 1 AND m.MSRE_DESC = f.ServingSize AND "
                   "m.GM_WT = f.USDA_GM_WT WHERE f.USDA_NDB_NO = f.FoodId"),
            7907);
        QVERIFY(ds().cmdMeasures(1001));
        QVERIFY(ds().rsMeasures.findFirst(Criteria::equals("MSRE_DESC", "1 tbsp")));
        QCOMPARE(ds().rsMeasures.number("GM_WT"), 14.2);
    }

    void groupTreeHasItsRoots()
    {
        QCOMPARE(scalar("SELECT count(*) FROM FoodGroup WHERE ParentGroup = 0 AND GroupTag = 'FAVORITE'"), 1);
        QVERIFY(scalar("SELECT count(*) FROM FoodGroup WHERE ParentGroup = 0 AND GroupTag = 'GROUPROOT'")
                    .toInt() >= 1);
        // Roots only at the top, and every food in a group that may hold foods.
        QCOMPARE(scalar("SELECT count(*) FROM FoodGroup WHERE (ParentGroup = 0) <> "
                        "(GroupTag IN ('GROUPROOT', 'FAVORITE'))"),
                 0);
        QCOMPARE(scalar("SELECT count(*) FROM FoodItem f WHERE NOT EXISTS (SELECT 1 FROM FoodGroup g WHERE "
                        "g.GroupId = f.GroupId AND g.GroupTag <> 'GROUPROOT')"),
                 0);
        QVERIFY(ds().cmdFoods());
        QCOMPARE(ds().rsFoods.recordCount(), scalar("SELECT count(*) FROM FoodItem").toInt());
        QVERIFY(ds().rsFoods.findFirst(Criteria::contains("FoodName", "cheddar")));
    }

    void newDatabaseConfigurationAndKeys()
    {
        QCOMPARE(run->context.config().getConfig("VERSION"), QString("3.0.0"));
        QCOMPARE(run->context.config().findCurrentUser(), QString("USER1"));
        // Each key sequence goes on from the highest id in use.
        for (const auto& [sequence, table, column] :
             {std::tuple("FOODGROUP", "FoodGroup", "GroupId"), std::tuple("FOODITEM", "FoodItem", "FoodId"),
              std::tuple("DIETACTIVITY", "DietActivity", "DietId"),
              std::tuple("SNAPSHOT", "SNAPSHOT", "SNAPID")}) {
            const int highest =
                scalar(QString("SELECT coalesce(max(%1), 0) FROM %2").arg(column, table)).toInt();
            QCOMPARE(ds().getTableKey(sequence), std::optional<qint32>(highest + 1));
        }
    }
};

QTEST_GUILESS_MAIN(SeedTest)
#include "tst_seed.moc"
