#include "app/appcontext.h"
#include "app/configstore.h"
#include "data/orvdatasource.h"
#include "data/recordset.h"
#include "scriptedprompts.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <cmath>

// A smoke test of the full seed database a new installation starts with: the
// USDA catalogue, its measures and groups, the configuration and the key
// sequences, read through the data source.
namespace {

// A food of data/usda_foods.tsv: its group name, name and values per 100 g in
// the file's order (Calorie, Protein, Carbohydrate, Fat, Sodium, Cholesterol,
// Fiber, Sugars).
struct UsdaFood
{
    QString group;
    QString name;
    double per100g[8];
};

const char* const kNutrientColumns[8] = {"Calorie", "Protein",     "Carbohydrate", "Fat",
                                         "Sodium",  "Cholesterol", "Other1",       "Other2"};

QMap<int, UsdaFood> readUsdaFoods()
{
    QMap<int, UsdaFood> foods;
    QFile file(QStringLiteral(FOODLARK_DATA_DIR "/usda_foods.tsv"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return foods;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().split('\t');
        if (fields.size() != 11)
            continue;
        UsdaFood food{fields[1], fields[2], {}};
        for (int i = 0; i < 8; ++i)
            food.per100g[i] = fields[3 + i].toDouble();
        foods.insert(fields[0].toInt(), food);
    }
    return foods;
}

bool near(double a, double b)
{
    return std::abs(a - b) <= 1e-9 * std::max(1.0, std::abs(b));
}

} // namespace

class SeedTest : public QObject
{
    Q_OBJECT

private:
    QMap<int, UsdaFood> usda;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<AppContext> context;

    OrvDataSource& ds() { return context->dataSource(); }

    QList<QVariantList> rows(const QString& sql)
    {
        QSqlQuery query(ds().database());
        QList<QVariantList> result;
        if (!query.exec(sql))
            qFatal("query failed: %s", qPrintable(sql));
        while (query.next()) {
            QVariantList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << query.value(i);
            result << row;
        }
        return result;
    }
    QVariant scalar(const QString& sql) { return rows(sql).value(0).value(0); }

private slots:
    void initTestCase()
    {
        usda = readUsdaFoods();
        QVERIFY(!usda.isEmpty());
    }

    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(dir->path()).mkpath("Data"));
        const QString dbPath = dir->path() + "/Data/MeboData.mdb";
        QVERIFY(QFile::copy(QStringLiteral(FOODLARK_SEED_FILE), dbPath));
        QFile(dbPath).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        prompts = std::make_unique<ScriptedPrompts>();
        context = std::make_unique<AppContext>(dir->path(), *prompts);
        QVERIFY(ds().connectDB());
        QVERIFY(ds().cmdConfig());
        QVERIFY(ds().cmdTableKey());
    }

    void cleanup()
    {
        QCOMPARE(prompts->count(), 0);
        context.reset();
        prompts.reset();
        dir.reset();
    }

    void catalogueHoldsEveryUsdaFood()
    {
        QCOMPARE(int(usda.size()), 7907);
        QCOMPARE(scalar("SELECT count(*) FROM FoodItem WHERE USDA_NDB_NO = FoodId").toInt(), 7907);
        QStringList missing;
        for (const QVariantList& row :
             rows("SELECT FoodId, FoodName FROM FoodItem WHERE USDA_NDB_NO = FoodId")) {
            const auto it = usda.constFind(row[0].toInt());
            if (it == usda.constEnd() || it->name != row[1].toString())
                missing << row[0].toString();
        }
        QCOMPARE(missing, QStringList());
    }

    void everyUsdaItemHasItsMeasures()
    {
        // Every food with a USDA number has measures, among them "100 g".
        const QString lacking = "SELECT count(*) FROM FoodItem f WHERE f.USDA_NDB_NO <> 0 AND NOT EXISTS "
                                "(SELECT 1 FROM USDA_Measures m WHERE m.NDB_NO = f.USDA_NDB_NO%1)";
        QCOMPARE(scalar(lacking.arg("")).toInt(), 0);
        QCOMPARE(scalar(lacking.arg(" AND m.MSRE_DESC = '100 g' AND m.GM_WT = 100")).toInt(), 0);
        // The serving of an original item is its first listed measure.
        QCOMPARE(
            scalar("SELECT count(*) FROM FoodItem f JOIN USDA_Measures m ON m.NDB_NO = f.USDA_NDB_NO AND "
                   "m.MSRE_NO = f.USDA_MSRE_NO WHERE f.USDA_NDB_NO = f.FoodId AND f.USDA_MSRE_NO = 1 "
                   "AND m.MSRE_DESC = f.ServingSize AND m.GM_WT = f.USDA_GM_WT")
                .toInt(),
            7907);
    }

    void perHundredGramValuesAreTheUsdaTables()
    {
        QStringList wrong;
        // Copies in the favourites keep the USDA number and so the values.
        const QList<QVariantList> foods = rows("SELECT USDA_NDB_NO, USDA_GM_WT, Calorie, Protein, "
                                               "Carbohydrate, Fat, Sodium, Cholesterol, Other1, "
                                               "Other2 FROM FoodItem WHERE USDA_NDB_NO <> 0");
        QVERIFY(foods.size() > 7907);
        for (const QVariantList& row : foods) {
            const int ndb = row[0].toInt();
            const auto food = usda.constFind(ndb);
            if (food == usda.constEnd()) {
                wrong << QString("%1 not in the table").arg(ndb);
                continue;
            }
            const double grams = row[1].toDouble();
            for (int i = 0; i < 8; ++i)
                if (!near(row[2 + i].toDouble() * 100.0 / grams, food->per100g[i]))
                    wrong << QString("%1 %2").arg(ndb).arg(kNutrientColumns[i]);
        }
        QCOMPARE(wrong.mid(0, 10), QStringList());
    }

    void butterIsAsTheUsdaTableSays()
    {
        // The table's own values per 100 g.
        const UsdaFood butter = usda.value(1001);
        QCOMPARE(butter.name, QString("Butter, salted"));
        QCOMPARE(butter.per100g[0], 717.0);
        QCOMPARE(butter.per100g[3], 81.11);
        QCOMPARE(butter.per100g[4], 714.0);
        QCOMPARE(butter.per100g[5], 215.0);

        // The food row holds them per serving: one cup of 227 g.
        QVERIFY(ds().cmdFoods());
        Recordset& foods = ds().rsFoods;
        QVERIFY(foods.findFirst(Criteria::equals("FoodId", 1001)));
        QCOMPARE(foods.text("FoodName"), QString("Butter, salted"));
        QCOMPARE(foods.text("ServingSize"), QString("1 cup"));
        QCOMPARE(foods.number("USDA_GM_WT"), 227.0);
        const double scale = 100.0 / foods.number("USDA_GM_WT");
        QCOMPARE(foods.number("Calorie") * scale, 717.0);
        QCOMPARE(foods.number("Fat") * scale, 81.11);
        QCOMPARE(foods.number("Sodium") * scale, 714.0);
        QCOMPARE(foods.number("Cholesterol") * scale, 215.0);
        QVERIFY(ds().cmdFoodItems(foods.integer("GroupId")));
        QVERIFY(ds().rsFoodItems.findFirst(Criteria::equals("FoodId", 1001)));
        QCOMPARE(scalar("SELECT GroupName FROM FoodGroup g JOIN FoodItem f ON f.GroupId = g.GroupId "
                        "WHERE f.FoodId = 1001")
                     .toString(),
                 QString("Dairy and Egg Products"));

        QVERIFY(ds().cmdMeasures(1001));
        Recordset& measures = ds().rsMeasures;
        QVERIFY(measures.findFirst(Criteria::equals("MSRE_DESC", "1 tbsp")));
        QCOMPARE(measures.number("GM_WT"), 14.2);
        // In weight order.
        double previous = 0;
        for (measures.moveFirst(); !measures.eof(); measures.moveNext()) {
            QVERIFY(measures.number("GM_WT") >= previous);
            previous = measures.number("GM_WT");
        }
        QCOMPARE(previous, 227.0);
    }

    void groupTreeHasItsRoots()
    {
        QCOMPARE(
            scalar("SELECT count(*) FROM FoodGroup WHERE ParentGroup = 0 AND GroupTag = 'FAVORITE'").toInt(),
            1);
        QVERIFY(scalar("SELECT count(*) FROM FoodGroup WHERE ParentGroup = 0 AND GroupTag = 'GROUPROOT'")
                    .toInt() >= 1);
        // Roots only at the top, plain groups right below them.
        QCOMPARE(scalar("SELECT count(*) FROM FoodGroup WHERE (ParentGroup = 0) <> "
                        "(GroupTag IN ('GROUPROOT', 'FAVORITE'))")
                     .toInt(),
                 0);
        QCOMPARE(
            scalar("SELECT count(*) FROM FoodGroup g WHERE g.ParentGroup <> 0 AND NOT EXISTS (SELECT 1 FROM "
                   "FoodGroup p WHERE p.GroupId = g.ParentGroup AND p.ParentGroup = 0)")
                .toInt(),
            0);
        // Every food lies in a group that may hold foods.
        QCOMPARE(scalar("SELECT count(*) FROM FoodItem f WHERE NOT EXISTS (SELECT 1 FROM FoodGroup g WHERE "
                        "g.GroupId = f.GroupId AND g.GroupTag <> 'GROUPROOT')")
                     .toInt(),
                 0);
        // Each USDA food sits in the group its table names; 23... numbers are beef.
        QStringList misplaced;
        for (const QVariantList& row :
             rows("SELECT f.FoodId, g.GroupName FROM FoodItem f JOIN FoodGroup g ON "
                  "g.GroupId = f.GroupId WHERE f.USDA_NDB_NO = f.FoodId")) {
            if (usda.value(row[0].toInt()).group != row[1].toString())
                misplaced << row[0].toString();
        }
        QCOMPARE(misplaced.mid(0, 10), QStringList());
        QCOMPARE(scalar("SELECT count(*) FROM FoodItem f JOIN FoodGroup g ON g.GroupId = f.GroupId WHERE "
                        "f.FoodId BETWEEN 23000 AND 23999 AND g.GroupName <> 'Beef Products'")
                     .toInt(),
                 0);
        QVERIFY(scalar("SELECT count(*) FROM FoodItem WHERE FoodId BETWEEN 23000 AND 23999").toInt() > 0);
    }

    void favouritesAreCopiesOfUsdaFoods()
    {
        const QList<QVariantList> favourites = rows(
            "SELECT f.FoodId, f.USDA_NDB_NO, f.FoodName, f.Calorie, o.FoodName, o.Calorie FROM FoodItem f "
            "JOIN FoodGroup g ON g.GroupId = f.GroupId LEFT JOIN FoodItem o ON o.FoodId = f.USDA_NDB_NO "
            "WHERE g.GroupTag = 'FAVORITE'");
        QVERIFY(!favourites.isEmpty());
        for (const QVariantList& row : favourites) {
            QVERIFY(row[0].toInt() != row[1].toInt());
            QCOMPARE(row[2].toString(), row[4].toString());
            QCOMPARE(row[3].toDouble(), row[5].toDouble());
        }
    }

    void newDatabaseConfiguration()
    {
        ConfigStore& config = context->config();
        QCOMPARE(config.getConfig("VERSION"), AppContext::appVersion());
        for (int i = 1; i <= 4; ++i)
            QCOMPARE(config.getConfig(QString("USER%1").arg(i)), QString("User %1").arg(i));
        QCOMPARE(config.findCurrentUser(), QString("USER1"));
        const QStringList meals = {"Breakfast", "Lunch", "Dinner", "Snack", "", "", "", "", "", ""};
        for (int i = 0; i < meals.size(); ++i)
            QCOMPARE(config.getConfig(QString("MEAL%1").arg(i)), meals[i]);
        QCOMPARE(config.getConfig("SNAPSHOT1"), QString("Weight"));
        QCOMPARE(config.getConfig("OTHER1"), QString("Fiber"));
        QCOMPARE(config.getConfig("OTHER2"), QString("Sugars"));
        QCOMPARE(config.getConfig("SHOWMEALS"), QString("Y"));
        QCOMPARE(config.getConfig("SHOWTIPS"), QString("Y"));
    }

    void keySequencesFollowTheSeedRows_data()
    {
        QTest::addColumn<QString>("sequence");
        QTest::addColumn<QString>("highestId");
        QTest::newRow("FOODGROUP") << "FOODGROUP"
                                   << "SELECT coalesce(max(GroupId), 0) FROM FoodGroup";
        QTest::newRow("FOODITEM") << "FOODITEM"
                                  << "SELECT coalesce(max(FoodId), 0) FROM FoodItem";
        QTest::newRow("DIETACTIVITY") << "DIETACTIVITY"
                                      << "SELECT coalesce(max(DietId), 0) FROM DietActivity";
        QTest::newRow("SNAPSHOT") << "SNAPSHOT"
                                  << "SELECT coalesce(max(SNAPID), 0) FROM SNAPSHOT";
    }
    void keySequencesFollowTheSeedRows()
    {
        QFETCH(QString, sequence);
        QFETCH(QString, highestId);
        const qint64 highest = scalar(highestId).toLongLong();
        const std::optional<qint32> key = ds().getTableKey(sequence);
        QVERIFY(key);
        QCOMPARE(qint64(*key), highest + 1);
    }

    void everyQueryOpensOnTheSeed()
    {
        QVERIFY(ds().cmdGroups());
        QCOMPARE(ds().rsGroups.recordCount(), scalar("SELECT count(*) FROM FoodGroup").toInt());
        QVERIFY(ds().cmdFoods());
        QCOMPARE(ds().rsFoods.recordCount(), scalar("SELECT count(*) FROM FoodItem").toInt());
        QVERIFY(ds().rsFoods.findFirst(Criteria::contains("FoodName", "cheddar")));
        QVERIFY(ds().cmdAvailGroups());
        QCOMPARE(ds().rsAvailGroups.recordCount(),
                 scalar("SELECT count(*) FROM FoodGroup WHERE GroupTag <> 'GROUPROOT'").toInt());
        QVERIFY(ds().cmdMeals());
        QCOMPARE(ds().rsMeals.recordCount(), 4);
        QVERIFY(ds().cmdDietData("USER1"));
        QCOMPARE(ds().rsDietData.recordCount(), 0);
        QVERIFY(ds().cmdDietDates("USER1"));
        QVERIFY(ds().cmdDietReport(QDate(2000, 1, 1), QDate(2030, 12, 31), "USER1"));
        QVERIFY(ds().cmdDietGraph(QDate(2000, 1, 1), QDate(2030, 12, 31), "USER1"));
        QVERIFY(ds().cmdDietTotal(QDate(2003, 5, 14), "USER1"));
        QVERIFY(ds().cmdSnapShotData("USER1"));
        QCOMPARE(ds().rsSnapShotData.recordCount(), 0);
        QVERIFY(ds().cmdSnapShotReport(QDateTime(QDate(2000, 1, 1), QTime(0, 0, 1)),
                                       QDateTime(QDate(2030, 12, 31), QTime(23, 59, 59)), "USER1"));
    }
};

QTEST_GUILESS_MAIN(SeedTest)
#include "tst_seed.moc"
