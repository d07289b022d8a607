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

    QTemporaryDir dir;
    std::unique_ptr<ProgramRun> run;
    OrvDataSource& ds() { return run->context.dataSource(); }
    QList<QVariantList> rows(const QString& sql) { return queryRows(ds().database(), sql); }

private slots:
    void initTestCase()
    {
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
        // By food number: number, group, name, and per 100 g Calorie, Protein,
        // Carbohydrate, Fat, Sodium, Cholesterol, Fiber, Sugars.
        QMap<int, QStringList> usda;
        QFile file(QStringLiteral(FOODLARK_DATA_DIR "/usda_foods.tsv"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        for (QTextStream in(&file); !in.atEnd();) {
            const QStringList fields = in.readLine().split('\t');
            usda.insert(fields[0].toInt(), fields);
        }
        // The table as the USDA gives butter: 717 kcal, 81.11 g fat, 714 mg sodium, 215 mg cholesterol.
        QCOMPARE(usda.value(1001).join('|'), "1001|Dairy and Egg Products|Butter, salted|717|0.85|0.06|81.11|"
                                             "714|215|0|0.06");
        QCOMPARE(int(usda.size()), 7907);
        // Each food with a USDA number (the favourites' copies too) has the table's name and
        // values per 100 g; the originals lie in the table's group.
        QStringList wrong;
        int originals = 0;
        for (const QVariantList& row :
             rows("SELECT f.FoodId, f.USDA_NDB_NO, f.FoodName, g.GroupName, f.USDA_GM_WT, f.Calorie, "
                  "f.Protein, f.Carbohydrate, f.Fat, f.Sodium, f.Cholesterol, f.Other1, f.Other2 FROM "
                  "FoodItem f JOIN FoodGroup g ON g.GroupId = f.GroupId WHERE f.USDA_NDB_NO <> 0")) {
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

    // Foods without measures, originals served by their first measure, a
    // measure's weight, favourites roots, roots not at the top, foods in a group
    // that holds none, how far each key lies beyond the highest id in use, and
    // the configuration of a new database.
    void measuresGroupsAndKeysHoldTogether()
    {
        const QString key = "(SELECT KeyValue FROM TableKey WHERE KeyName = '%1') - "
                            "(SELECT coalesce(max(%2), 0) FROM %3), ";
        QStringList values;
        for (const QVariant& value :
             rows("SELECT (SELECT count(*) FROM FoodItem f WHERE f.USDA_NDB_NO <> 0 AND NOT EXISTS "
                  "(SELECT 1 FROM USDA_Measures m WHERE m.NDB_NO = f.USDA_NDB_NO)), "
                  "(SELECT count(*) FROM FoodItem f JOIN USDA_Measures m ON m.NDB_NO = f.USDA_NDB_NO AND "
                  "m.MSRE_NO = 1 AND f.USDA_MSRE_NO = 1 AND m.MSRE_DESC = f.ServingSize AND "
                  "m.GM_WT = f.USDA_GM_WT WHERE f.USDA_NDB_NO = f.FoodId), "
                  "(SELECT GM_WT FROM USDA_Measures WHERE NDB_NO = 1001 AND MSRE_DESC = '1 tbsp'), "
                  "(SELECT count(*) FROM FoodGroup WHERE GroupTag = 'FAVORITE'), "
                  "(SELECT count(*) FROM FoodGroup WHERE (ParentGroup = 0) <> (GroupTag IN ('GROUPROOT', "
                  "'FAVORITE'))), "
                  "(SELECT count(*) FROM FoodItem f WHERE NOT EXISTS (SELECT 1 FROM FoodGroup g WHERE "
                  "g.GroupId = f.GroupId AND g.GroupTag <> 'GROUPROOT')), " +
                  key.arg("FOODGROUP", "GroupId", "FoodGroup") + key.arg("FOODITEM", "FoodId", "FoodItem") +
                  key.arg("DIETACTIVITY", "DietId", "DietActivity") +
                  key.arg("SNAPSHOT", "SNAPID", "SNAPSHOT") + "0")
                 .value(0))
            values << value.toString();
        QCOMPARE(values.join(' '), "0 7907 14.2 1 0 0 0 0 0 0 0");
        // A new database is of this version, kept by its first user.
        QCOMPARE(run->context.config().getConfig("VERSION") + " " + run->context.config().findCurrentUser(),
                 "3.0.0 USER1");
    }

};

QTEST_GUILESS_MAIN(SeedTest)
#include "tst_seed.moc"
