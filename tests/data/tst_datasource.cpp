#include "data/dateliterals.h"
#include "data/orvdatasource.h"
#include "data/positioning.h"
#include "data/recordset.h"
#include "data/transaction.h"
#include "fixture.h"

#include <QTest>
#include <functional>
#include <limits>

// The data source on a fixture database: the rows and order of every query,
// the ranges of the bulk deletions, key allocation, transactions, the
// positioning helpers, the date texts and the handling of failures.
namespace {

QDate day(int d, int m = 5, int y = 2003)
{
    return QDate(y, m, d);
}

QDateTime at(const QDate& date, int h, int m = 0, int s = 0)
{
    return QDateTime(date, QTime(h, m, s));
}

// A small diet log. Meal nullptr stands for a Null MealName. Nutrients are
// written by TestContext::addDietRow: Fat = fat, Protein = 2 x fat and so on.
struct DietRow
{
    int id;
    const char* user;
    QDate date;
    const char* meal;
    const char* food;
    double fat;
};

const QList<DietRow>& dietLog()
{
    static const QList<DietRow> rows = {
        {1, "USER1", day(14), "MEAL1", "banana", 1},
        {2, "USER1", day(13), "MEAL0", "Toast", 2},
        {3, "USER1", day(14), "MEAL0", "apple", 3},
        {4, "USER2", day(14), "MEAL0", "Apple", 4},
        {5, "USER1", day(14), "MEAL2", "Apple", 5},
        {6, "USER1", day(15), nullptr, "Cereal", 6},
        {7, "USER1", day(14), "MEAL0", "Zucchini", 7},
        {8, "USER1", day(1, 6), "MEAL3", "nuts", 8},
        {9, "USER1", day(31, 12, 2002), "MEAL0", "Egg", 9},
        {10, "USER1", day(14), "", "Water", 10},
        {11, "O'Brien's", day(14), "MEAL'1", "O'Brien's stew", 11},
        {12, "O'Brien's", day(14), "MEAL0", "Oats", 12},
        {13, "USER1", day(14), nullptr, "Yogurt", 13},
    };
    return rows;
}

struct SnapRow
{
    int id;
    const char* user;
    QDateTime taken;
};

const QList<SnapRow>& snapShots()
{
    static const QList<SnapRow> rows = {
        {1, "USER1", at(day(14), 23, 30)},  {2, "USER1", at(day(13), 0, 0, 0)},
        {3, "USER1", at(day(13), 0, 0, 1)}, {4, "USER2", at(day(14), 12)},
        {6, "USER1", at(day(14), 8)},       {5, "USER1", at(day(14), 8)},
        {7, "USER1", at(day(15), 0)},       {8, "USER1", at(day(12), 23, 59, 59)},
        {9, "O'Brien's", at(day(14), 10)},  {10, "USER1", at(day(14), 23, 59, 59)},
        {11, "USER1", at(day(14), 13)},
    };
    return rows;
}

// The bounds the program uses for a range of whole days.
QDateTime firstMoment(const QDate& date)
{
    return at(date, 0, 0, 1);
}
QDateTime lastMoment(const QDate& date)
{
    return at(date, 23, 59, 59);
}

QStringList walk(Recordset& rs, const QString& column)
{
    QStringList values;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        values << rs.text(column);
    return values;
}

QStringList numbers(std::initializer_list<int> ids)
{
    QStringList result;
    for (int id : ids)
        result << QString::number(id);
    return result;
}

enum class Kind { Dynaset, Snapshot, Aggregate };

// Every operation that traps its own failures: how to call it, the recordset
// it opens, a table whose loss makes it fail, and its message.
struct Operation
{
    std::function<bool(OrvDataSource&)> call;
    Recordset OrvDataSource::*member;
    Kind kind;
    const char* table;
    const char* message;
};

const QMap<QString, Operation>& operations()
{
    static const QMap<QString, Operation> ops = {
        {"cmdGroups",
         {[](OrvDataSource& d) { return d.cmdGroups(); }, &OrvDataSource::rsGroups, Kind::Dynaset,
          "FoodGroup", "Unable to retrieve Food Data.  "}},
        {"cmdFoods",
         {[](OrvDataSource& d) { return d.cmdFoods(); }, &OrvDataSource::rsFoods, Kind::Dynaset, "FoodItem",
          "Unable to retrieve Food Data.  "}},
        {"cmdTableKey",
         {[](OrvDataSource& d) { return d.cmdTableKey(); }, &OrvDataSource::rsTableKey, Kind::Dynaset,
          "TableKey", "Unable to retrieve Table Key Data.  "}},
        {"cmdConfig",
         {[](OrvDataSource& d) { return d.cmdConfig(); }, &OrvDataSource::rsConfig, Kind::Dynaset, "CONFIG",
          "Unable to retrieve Configuration Data.  "}},
        {"cmdDietData",
         {[](OrvDataSource& d) { return d.cmdDietData("USER1"); }, &OrvDataSource::rsDietData, Kind::Dynaset,
          "DietActivity", "Unable to retrieve Diet Data.  "}},
        {"cmdSnapShotData",
         {[](OrvDataSource& d) { return d.cmdSnapShotData("USER1"); }, &OrvDataSource::rsSnapShotData,
          Kind::Dynaset, "SNAPSHOT", "Unable to retrieve SnapShot Data.  "}},
        {"cmdMeasures",
         {[](OrvDataSource& d) { return d.cmdMeasures(Fixture::Apples); }, &OrvDataSource::rsMeasures,
          Kind::Snapshot, "USDA_Measures", "Unable to retrieve Measures Data.  "}},
        {"cmdMeals",
         {[](OrvDataSource& d) { return d.cmdMeals(); }, &OrvDataSource::rsMeals, Kind::Dynaset, "Meal",
          "Unable to retrieve Meal Data.  "}},
        {"cmdDietDates",
         {[](OrvDataSource& d) { return d.cmdDietDates("USER1"); }, &OrvDataSource::rsDietDates,
          Kind::Snapshot, "DietActivity", "Unable to retrieve Diet Data.  "}},
        {"cmdDietItems",
         {[](OrvDataSource& d) { return d.cmdDietItems(day(14), "USER1"); }, &OrvDataSource::rsDietItems,
          Kind::Snapshot, "DietActivity", "Unable to retrieve Diet Data.  "}},
        {"cmdDietReport",
         {[](OrvDataSource& d) { return d.cmdDietReport(day(1), day(31), "USER1"); },
          &OrvDataSource::rsDietReport, Kind::Snapshot, "DietActivity",
          "Unable to retrieve Diet Report Data.  "}},
        {"cmdDietGraph",
         {[](OrvDataSource& d) { return d.cmdDietGraph(day(1), day(31), "USER1"); },
          &OrvDataSource::rsDietGraph, Kind::Snapshot, "DietActivity",
          "Unable to retrieve Diet Graph Data.  "}},
        {"cmdSnapShotReport",
         {[](OrvDataSource& d) {
              return d.cmdSnapShotReport(firstMoment(day(1)), lastMoment(day(31)), "USER1");
          },
          &OrvDataSource::rsSnapShotReport, Kind::Snapshot, "SNAPSHOT",
          "Unable to retrieve SnapShot Data.  "}},
        {"cmdFoodItems",
         {[](OrvDataSource& d) { return d.cmdFoodItems(Fixture::FruitGroup); }, &OrvDataSource::rsFoodItems,
          Kind::Snapshot, "FoodItem", "Unable to retrieve Food Data.  "}},
        {"cmdDietTotal",
         {[](OrvDataSource& d) { return d.cmdDietTotal(day(14), "USER1"); }, &OrvDataSource::rsDietTotal,
          Kind::Aggregate, "DietActivity", "Unable to retrieve Diet Data.  "}},
        {"cmdDietMealTotal",
         {[](OrvDataSource& d) { return d.cmdDietMealTotal(day(14), "MEAL0", "USER1"); },
          &OrvDataSource::rsDietMealTotal, Kind::Aggregate, "DietActivity",
          "Unable to retrieve Diet Data.  "}},
        {"cmdAvailGroups",
         {[](OrvDataSource& d) { return d.cmdAvailGroups(); }, &OrvDataSource::rsAvailGroups, Kind::Snapshot,
          "FoodGroup", "Unable to retrieve Food Data.  "}},
        {"cmdDeleteFoods",
         {[](OrvDataSource& d) { return d.cmdDeleteFoods(Fixture::MyFoodsGroup); }, nullptr, Kind::Snapshot,
          "FoodItem", "Unable to delete Food Data.  "}},
        {"cmdDeleteDietItems",
         {[](OrvDataSource& d) { return d.cmdDeleteDietItems(day(1), day(2), "USER4", ""); }, nullptr,
          Kind::Snapshot, "DietActivity", "Unable to delete Diet Data.  "}},
        {"cmdDeleteSnapshotItems",
         {[](OrvDataSource& d) {
              return d.cmdDeleteSnapshotItems(firstMoment(day(1)), lastMoment(day(2)), "USER4");
          },
          nullptr, Kind::Snapshot, "SNAPSHOT", "Unable to delete SnapShot Data.  "}},
        {"getTableKey",
         {[](OrvDataSource& d) { return d.getTableKey("FOODITEM").has_value(); }, nullptr, Kind::Snapshot,
          "TableKey", "Unable to update Table Key Data.  "}},
    };
    return ops;
}

// A query with the rows it must give, in order, shown by one column.
struct QueryCase
{
    std::function<bool(OrvDataSource&)> call;
    Recordset OrvDataSource::*member;
    QString column;
    QStringList expected;
};

const QMap<QString, QueryCase>& queryCases()
{
    using D = OrvDataSource;
    static const QMap<QString, QueryCase> cases = {
        // Catalogue (with the rows added in catalogueQueriesKeepTheirOrder).
        {"groups by parent, then name ignoring case",
         {[](D& d) { return d.cmdGroups(); }, &D::rsGroups, "GroupId",
          numbers({2, 3, 1, 30, 10, 11, 12, 20})}},
        {"foods by group, name ignoring case, id",
         {[](D& d) { return d.cmdFoods(); }, &D::rsFoods, "FoodId",
          numbers({60001, 1001, 1077, 9000, 9003, 9040, 11090, 50001})}},
        {"food items of a group by name, id",
         {[](D& d) { return d.cmdFoodItems(Fixture::FruitGroup); }, &D::rsFoodItems, "FoodId",
          numbers({9000, 9003, 9040})}},
        {"food items of the favourites",
         {[](D& d) { return d.cmdFoodItems(Fixture::FavoritesRoot); }, &D::rsFoodItems, "FoodId",
          numbers({60001})}},
        {"food items of a root without foods",
         {[](D& d) { return d.cmdFoodItems(Fixture::UsdaRoot); }, &D::rsFoodItems, "FoodId", {}}},
        {"groups that may hold foods, by name",
         {[](D& d) { return d.cmdAvailGroups(); }, &D::rsAvailGroups, "GroupId",
          numbers({30, 10, 2, 11, 20, 12})}},
        {"measures by weight",
         {[](D& d) { return d.cmdMeasures(Fixture::Apples); }, &D::rsMeasures, "MSRE_NO",
          numbers({4, 1, 3, 2})}},
        {"measures of another food",
         {[](D& d) { return d.cmdMeasures(Fixture::Butter); },
          &D::rsMeasures,
          "GM_WT",
          {"14.2", "100", "227"}}},
        {"measures of a food without any",
         {[](D& d) { return d.cmdMeasures(Fixture::Broccoli); }, &D::rsMeasures, "MSRE_NO", {}}},
        {"meals by name",
         {[](D& d) { return d.cmdMeals(); },
          &D::rsMeals,
          "MealName",
          {"Breakfast", "Dinner", "Lunch", "Snack"}}},
        {"key sequences",
         {[](D& d) { return d.cmdTableKey(); },
          &D::rsTableKey,
          "KeyName",
          {"FOODGROUP", "FOODITEM", "DIETACTIVITY", "SNAPSHOT"}}},
        // Diet log.
        {"diet of a user by date, food ignoring case, id",
         {[](D& d) { return d.cmdDietData("USER1"); }, &D::rsDietData, "DietId",
          numbers({9, 2, 3, 5, 1, 10, 13, 7, 6, 8})}},
        {"diet of a user key in another case",
         {[](D& d) { return d.cmdDietData("user1"); }, &D::rsDietData, "DietId",
          numbers({9, 2, 3, 5, 1, 10, 13, 7, 6, 8})}},
        {"diet of another user",
         {[](D& d) { return d.cmdDietData("USER2"); }, &D::rsDietData, "DietId", numbers({4})}},
        {"diet of a user named with apostrophes",
         {[](D& d) { return d.cmdDietData("O'Brien's"); }, &D::rsDietData, "DietId", numbers({11, 12})}},
        {"diet of a user without entries",
         {[](D& d) { return d.cmdDietData("USER3"); }, &D::rsDietData, "DietId", {}}},
        {"diet dates once each, in order",
         {[](D& d) { return d.cmdDietDates("USER1"); },
          &D::rsDietDates,
          "DietDate",
          {"2002-12-31", "2003-05-13", "2003-05-14", "2003-05-15", "2003-06-01"}}},
        {"diet dates of a user named with apostrophes",
         {[](D& d) { return d.cmdDietDates("O'Brien's"); }, &D::rsDietDates, "DietDate", {"2003-05-14"}}},
        {"diet items of one day by food, id",
         {[](D& d) { return d.cmdDietItems(day(14), "USER1"); }, &D::rsDietItems, "DietId",
          numbers({3, 5, 1, 10, 13, 7})}},
        {"diet items of a user named with apostrophes",
         {[](D& d) { return d.cmdDietItems(day(14), "O'Brien's"); }, &D::rsDietItems, "DietId",
          numbers({11, 12})}},
        {"diet items of a day without entries",
         {[](D& d) { return d.cmdDietItems(day(16), "USER1"); }, &D::rsDietItems, "DietId", {}}},
        {"diet report by date, meal (Null, empty, keys), food, id",
         {[](D& d) { return d.cmdDietReport(day(13), day(15), "USER1"); }, &D::rsDietReport, "DietId",
          numbers({2, 13, 10, 3, 7, 1, 5, 6})}},
        {"diet report of one day",
         {[](D& d) { return d.cmdDietReport(day(14), day(14), "USER1"); }, &D::rsDietReport, "DietId",
          numbers({13, 10, 3, 7, 1, 5})}},
        {"diet report across the year's end",
         {[](D& d) { return d.cmdDietReport(day(31, 12, 2002), day(13), "USER1"); }, &D::rsDietReport,
          "DietId", numbers({9, 2})}},
        {"diet report of a reversed range",
         {[](D& d) { return d.cmdDietReport(day(15), day(13), "USER1"); }, &D::rsDietReport, "DietId", {}}},
        {"diet report of a user named with apostrophes",
         {[](D& d) { return d.cmdDietReport(day(1), day(31), "O'Brien's"); }, &D::rsDietReport, "DietId",
          numbers({11, 12})}},
        {"diet graph by day",
         {[](D& d) { return d.cmdDietGraph(day(13), day(15), "USER1"); },
          &D::rsDietGraph,
          "DietDate",
          {"2003-05-13", "2003-05-14", "2003-05-15"}}},
        // Snapshots.
        {"snapshots of a user by time, id",
         {[](D& d) { return d.cmdSnapShotData("USER1"); }, &D::rsSnapShotData, "SNAPID",
          numbers({8, 2, 3, 5, 6, 11, 1, 10, 7})}},
        {"snapshots of a user named with apostrophes",
         {[](D& d) { return d.cmdSnapShotData("O'Brien's"); }, &D::rsSnapShotData, "SNAPID", numbers({9})}},
        {"snapshot report of whole days",
         {[](D& d) { return d.cmdSnapShotReport(firstMoment(day(13)), lastMoment(day(14)), "USER1"); },
          &D::rsSnapShotReport, "SNAPID", numbers({3, 5, 6, 11, 1, 10})}},
        {"snapshot report of a user named with apostrophes",
         {[](D& d) { return d.cmdSnapShotReport(firstMoment(day(14)), lastMoment(day(14)), "O'Brien's"); },
          &D::rsSnapShotReport, "SNAPID", numbers({9})}},
    };
    return cases;
}

} // namespace

class DataSourceTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestContext> t;
    OrvDataSource& ds() { return t->ctx().dataSource(); }

    void addDietLog()
    {
        for (const DietRow& row : dietLog()) {
            t->addDietRow(row.user, row.date, row.meal ? QString::fromUtf8(row.meal) : QString(), row.food,
                          row.fat, row.id);
            if (!row.meal)
                t->exec("UPDATE DietActivity SET MealName = NULL WHERE DietId = ?", {row.id});
        }
    }

    void addSnapShots()
    {
        for (const SnapRow& row : snapShots())
            t->exec("INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPVAL1, SNAPVAL7, SNAPVAL8, SNAPDATETM, "
                    "SNAPCOMMENTS) "
                    "VALUES (?, ?, ?, '', '', ?, '')",
                    {row.id, row.user, 80.0 + row.id, storedDateTime(row.taken)});
    }

    // The ids of a table in ascending order.
    QStringList idsIn(const QString& table, const QString& column)
    {
        QStringList ids;
        for (const QVariantList& row : t->rows(QString("SELECT %1 FROM %2 ORDER BY %1").arg(column, table)))
            ids << row.first().toString();
        return ids;
    }

    // Checks the one "Application Error" box of a failure and the shut-down.
    void verifyFatal(const QString& message)
    {
        QCOMPARE(t->prompts.count(), 1);
        const Prompt box = t->prompts.last();
        QCOMPARE(box.icon, PromptIcon::Critical);
        QCOMPARE(box.buttons, PromptButtons::Ok);
        QCOMPARE(box.title, QString("Application Error"));
        QCOMPARE(box.text, message + t->ctx().supportMessage);
        QCOMPARE(t->shutDowns, 1);
    }

    // The key handed out, or -1 for none.
    qint64 nextKey(const QString& name)
    {
        const std::optional<qint32> key = ds().getTableKey(name);
        return key ? qint64(*key) : -1;
    }

    // The key table as "NAME=VALUE" texts.
    QStringList keyTable()
    {
        QStringList rows;
        for (const QVariantList& row : t->rows("SELECT KeyName, KeyValue FROM TableKey ORDER BY KeyName"))
            rows << row[0].toString() + "=" + row[1].toString();
        return rows;
    }

    qint64 storedKey(const QString& name)
    {
        return t->scalar("SELECT KeyValue FROM TableKey WHERE KeyName = ?", {name}).toLongLong();
    }

private slots:
    void init() { t = std::make_unique<TestContext>(); }
    void cleanup() { t.reset(); }

    // --- Queries -------------------------------------------------------------

    void queriesOpenTheirRecordsets_data()
    {
        QTest::addColumn<QString>("operation");
        for (auto it = operations().cbegin(); it != operations().cend(); ++it)
            if (it->member)
                QTest::newRow(qPrintable(it.key())) << it.key();
    }
    void queriesOpenTheirRecordsets()
    {
        QFETCH(QString, operation);
        const Operation& op = operations()[operation];
        Recordset& rs = ds().*op.member;
        QVERIFY(op.call(ds()));
        QVERIFY(rs.isOpen());
        if (op.kind == Kind::Aggregate)
            QCOMPARE(rs.recordCount(), 1);
        else
            QCOMPARE(rs.isUpdatable(), op.kind == Kind::Dynaset);
        QCOMPARE(t->prompts.count(), 0);
        QCOMPARE(t->shutDowns, 0);
    }

    void queriesKeepTheirRowsAndOrder_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString& name : queryCases().keys())
            QTest::newRow(qPrintable(name)) << name;
    }
    void queriesKeepTheirRowsAndOrder()
    {
        QFETCH(QString, name);
        // Rows whose places depend on case-insensitive names and on the ids.
        t->exec("INSERT INTO FoodGroup VALUES (30, 'apple juices', 1, 'GROUP')");
        t->exec("INSERT INTO FoodItem (FoodId, FoodName, GroupId) VALUES (9000, 'apples, raw', 11)");
        addDietLog();
        addSnapShots();
        const QueryCase& query = queryCases()[name];
        QVERIFY(query.call(ds()));
        QCOMPARE(walk(ds().*query.member, query.column), query.expected);
        QCOMPARE(t->prompts.count(), 0);
    }

    void dietGraphSumsEachDay()
    {
        addDietLog();
        QVERIFY(ds().cmdDietGraph(day(13), day(15), "USER1"));
        Recordset& rs = ds().rsDietGraph;
        const QStringList totals = {"TotFat",    "TotProtein",     "TotCarbohydrate", "TotCalorie",
                                    "TotSodium", "TotCholesterol", "TotOther1",       "TotOther2"};
        QCOMPARE(rs.recordCount(), 3);
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            double fat = 0;
            for (const DietRow& row : dietLog())
                if (QString(row.user) == "USER1" && row.date == rs.date("DietDate"))
                    fat += row.fat;
            for (int i = 0; i < totals.size(); ++i)
                QCOMPARE(rs.number(totals[i]), fat * (i + 1));
        }
    }

    void dietTotalsSumOneDayOrOneMeal_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("meal"); // empty: the whole day
        QTest::newRow("day") << day(14) << "USER1"
                             << "";
        QTest::newRow("day of another user") << day(14) << "USER2"
                                             << "";
        QTest::newRow("meal") << day(14) << "USER1"
                              << "MEAL0";
        QTest::newRow("meal key with an apostrophe") << day(14) << "O'Brien's"
                                                     << "MEAL'1";
        QTest::newRow("day without entries") << day(16) << "USER1"
                                             << "";
        QTest::newRow("meal without entries") << day(14) << "USER1"
                                              << "MEAL9";
    }
    void dietTotalsSumOneDayOrOneMeal()
    {
        QFETCH(QDate, date);
        QFETCH(QString, user);
        QFETCH(QString, meal);
        addDietLog();
        double fat = 0;
        int count = 0;
        for (const DietRow& row : dietLog()) {
            if (row.user == user && row.date == date && (meal.isEmpty() || (row.meal && row.meal == meal))) {
                fat += row.fat;
                ++count;
            }
        }
        Recordset& rs = meal.isEmpty() ? ds().rsDietTotal : ds().rsDietMealTotal;
        QVERIFY(meal.isEmpty() ? ds().cmdDietTotal(date, user) : ds().cmdDietMealTotal(date, meal, user));
        QCOMPARE(rs.recordCount(), 1);
        const QStringList totals = {"tFat",    "tProtein",     "tCarbohydrate", "tCalorie",
                                    "tSodium", "tCholesterol", "tOther1",       "tOther2"};
        for (int i = 0; i < totals.size(); ++i) {
            if (count == 0)
                QVERIFY2(rs.value(totals[i]).isNull(), qPrintable(totals[i]));
            else
                QCOMPARE(rs.number(totals[i]), fat * (i + 1));
        }
    }

    void configurationRowsAreReadInTableOrder()
    {
        QVERIFY(ds().cmdConfig());
        const QStringList items = walk(ds().rsConfig, "ConfigItem");
        QCOMPARE(items.size(), 27);
        QCOMPARE(items.first(), QString("VERSION"));
        QCOMPARE(items.mid(1, 4), QStringList({"USER1", "USER2", "USER3", "USER4"}));
        QCOMPARE(items.last(), QString("SHOWTIPS"));
    }

    // --- Bulk deletions --------------------------------------------------------

    void deleteDietItemsTakesTheRangeAndMeal_data()
    {
        QTest::addColumn<QDate>("lo");
        QTest::addColumn<QDate>("hi");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("meal");
        QTest::addColumn<QStringList>("deleted");
        QTest::newRow("every meal of the days, Null and empty meals too")
            << day(13) << day(14) << "USER1"
            << "" << numbers({1, 2, 3, 5, 7, 10, 13});
        QTest::newRow("one meal of the days") << day(13) << day(14) << "USER1"
                                              << "MEAL0" << numbers({2, 3, 7});
        QTest::newRow("one day") << day(14) << day(14) << "USER1"
                                 << "" << numbers({1, 3, 5, 7, 10, 13});
        QTest::newRow("across the year's end") << day(31, 12, 2002) << day(13) << "USER1"
                                               << "" << numbers({9, 2});
        QTest::newRow("reversed range") << day(15) << day(13) << "USER1"
                                        << "" << QStringList();
        QTest::newRow("another user") << day(1) << day(31) << "USER2"
                                      << "" << numbers({4});
        QTest::newRow("user key in another case") << day(15) << day(15) << "user1"
                                                  << "" << numbers({6});
        QTest::newRow("user named with apostrophes") << day(14) << day(14) << "O'Brien's"
                                                     << "" << numbers({11, 12});
        QTest::newRow("meal key with an apostrophe") << day(14) << day(14) << "O'Brien's"
                                                     << "MEAL'1" << numbers({11});
        QTest::newRow("user text that would end a quoted value") << day(1) << day(31) << "USER1') OR ('1'='1"
                                                                 << "" << QStringList();
        QTest::newRow("meal text that would end a quoted value") << day(1) << day(31) << "USER1"
                                                                 << "MEAL0') OR ('1'='1" << QStringList();
    }
    void deleteDietItemsTakesTheRangeAndMeal()
    {
        QFETCH(QDate, lo);
        QFETCH(QDate, hi);
        QFETCH(QString, user);
        QFETCH(QString, meal);
        QFETCH(QStringList, deleted);
        addDietLog();
        QStringList remaining = idsIn("DietActivity", "DietId");
        QVERIFY(ds().cmdDeleteDietItems(lo, hi, user, meal));
        for (const QString& id : deleted)
            remaining.removeOne(id);
        QCOMPARE(idsIn("DietActivity", "DietId"), remaining);
        QCOMPARE(t->prompts.count(), 0);
    }

    void deleteFoodsTakesOneGroup_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<QStringList>("deleted");
        QTest::newRow("fruit") << int(Fixture::FruitGroup) << numbers({Fixture::Apples, Fixture::Bananas});
        QTest::newRow("favourites") << int(Fixture::FavoritesRoot) << numbers({Fixture::FavApples});
        QTest::newRow("group without foods") << int(Fixture::UsdaRoot) << QStringList();
    }
    void deleteFoodsTakesOneGroup()
    {
        QFETCH(int, group);
        QFETCH(QStringList, deleted);
        QStringList remaining = idsIn("FoodItem", "FoodId");
        const QStringList groups = idsIn("FoodGroup", "GroupId");
        QVERIFY(ds().cmdDeleteFoods(group));
        for (const QString& id : deleted)
            remaining.removeOne(id);
        QCOMPARE(idsIn("FoodItem", "FoodId"), remaining);
        QCOMPARE(idsIn("FoodGroup", "GroupId"), groups);
    }

    void deleteSnapshotItemsTakesWholeDays_data()
    {
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QStringList>("deleted");
        // 00:00:00 of the first day (2) stays; 11:30 PM (1) and 11:59:59 PM (10) of
        // the last day go.
        QTest::newRow("two days") << day(13) << day(14) << "USER1" << numbers({1, 3, 5, 6, 10, 11});
        QTest::newRow("one day") << day(15) << day(15) << "USER1" << QStringList();
        QTest::newRow("user named with apostrophes") << day(14) << day(14) << "O'Brien's" << numbers({9});
        QTest::newRow("user text that would end a quoted value")
            << day(1) << day(31) << "USER1') OR ('1'='1" << QStringList();
    }
    void deleteSnapshotItemsTakesWholeDays()
    {
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        QFETCH(QString, user);
        QFETCH(QStringList, deleted);
        addSnapShots();
        QStringList remaining = idsIn("SNAPSHOT", "SNAPID");
        QVERIFY(ds().cmdDeleteSnapshotItems(firstMoment(first), lastMoment(last), user));
        for (const QString& id : deleted)
            remaining.removeOne(id);
        QCOMPARE(idsIn("SNAPSHOT", "SNAPID"), remaining);
    }

    // --- Names with apostrophes through the recordsets ------------------------

    void namesWithApostrophesAreWrittenAndFound()
    {
        Recordset& foods = ds().rsFoods;
        QVERIFY(ds().cmdFoods());
        const std::optional<qint32> id = ds().getTableKey("FOODITEM");
        QVERIFY(id);
        foods.addNew();
        foods.setValue("FoodId", *id);
        foods.setValue("FoodName", "O'Brien's \"Irish\" stew");
        foods.setValue("GroupId", int(Fixture::MyFoodsGroup));
        foods.update();
        foods.moveFirst();
        QVERIFY(foods.findFirst(Criteria::equals("FoodName", "o'brien's \"IRISH\" stew")));
        QCOMPARE(foods.integer("FoodId"), *id);
        QVERIFY(foods.findFirst(Criteria::contains("FoodName", "'s \"")));
        QCOMPARE(foods.integer("FoodId"), *id);

        Recordset& diet = ds().rsDietData;
        QVERIFY(ds().cmdDietData("O'Brien's"));
        diet.addNew();
        diet.setValue("DietId", 500);
        diet.setValue("UserName", "O'Brien's");
        diet.setValue("DietDate", day(14));
        diet.setValue("MealName", "MEAL'1");
        diet.setValue("FoodName", "O'Brien's \"Irish\" stew");
        diet.update();
        QVERIFY(ds().cmdDietItems(day(14), "O'Brien's"));
        QCOMPARE(walk(ds().rsDietItems, "FoodName"), QStringList({"O'Brien's \"Irish\" stew"}));
        QVERIFY(ds().cmdDeleteDietItems(day(14), day(14), "O'Brien's", "MEAL'1"));
        QCOMPARE(t->scalar("SELECT count(*) FROM DietActivity").toInt(), 0);
        QCOMPARE(t->prompts.count(), 0);
    }

    // --- Key allocation --------------------------------------------------------

    void keysAreConsecutiveAndTheLastIsStored()
    {
        const qint64 first = nextKey("FOODITEM");
        const qint64 second = nextKey("FOODITEM");
        QCOMPARE(first, qint64(Fixture::kLastFoodId) + 1);
        QCOMPARE(second, first + 1);
        QCOMPARE(storedKey("FOODITEM"), second);
        // Other sequences are left alone.
        QCOMPARE(storedKey("FOODGROUP"), qint64(Fixture::kLastGroupId));
        QCOMPARE(t->prompts.count(), 0);
    }

    void freshSequenceStartsAtOne()
    {
        QCOMPARE(storedKey("DIETACTIVITY"), qint64(0));
        QCOMPARE(nextKey("DIETACTIVITY"), qint64(1));
        QCOMPARE(nextKey("DIETACTIVITY"), qint64(2));
        QCOMPARE(storedKey("DIETACTIVITY"), qint64(2));
    }

    void keyNamesIgnoreCase()
    {
        QCOMPARE(nextKey("dietActivity"), qint64(1));
        QCOMPARE(storedKey("DIETACTIVITY"), qint64(1));
        QCOMPARE(t->scalar("SELECT count(*) FROM TableKey").toInt(), 4);
    }

    void sequenceNamedWithApostrophes()
    {
        t->exec("INSERT INTO TableKey VALUES ('O''Brien''s', 41)");
        QVERIFY(ds().cmdTableKey());
        QCOMPARE(nextKey("O'Brien's"), qint64(42));
        QCOMPARE(storedKey("O'Brien's"), qint64(42));
    }

    void keysSurviveReconnecting()
    {
        QCOMPARE(nextKey("SNAPSHOT"), qint64(1));
        ds().closeDB();
        QVERIFY(ds().connectDB());
        QVERIFY(ds().cmdTableKey());
        QCOMPARE(nextKey("SNAPSHOT"), qint64(2));
    }

    void keysStopAtTheLargest32BitValue_data()
    {
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<bool>("granted");
        QTest::newRow("one below") << qint64(std::numeric_limits<qint32>::max()) - 1 << true;
        QTest::newRow("at the largest") << qint64(std::numeric_limits<qint32>::max()) << false;
        QTest::newRow("beyond it") << qint64(std::numeric_limits<quint32>::max()) << false;
    }
    void keysStopAtTheLargest32BitValue()
    {
        QFETCH(qint64, stored);
        QFETCH(bool, granted);
        t->exec("UPDATE TableKey SET KeyValue = ? WHERE KeyName = 'FOODITEM'", {stored});
        const qint64 key = nextKey("FOODITEM");
        if (granted) {
            QCOMPARE(key, stored + 1);
            QCOMPARE(storedKey("FOODITEM"), stored + 1);
            QCOMPARE(t->prompts.count(), 0);
        } else {
            QCOMPARE(key, qint64(-1));
            QCOMPARE(storedKey("FOODITEM"), stored);
            verifyFatal("Unable to update Table Key Data.  ");
        }
    }

    void missingSequenceGivesNoKey_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("dropRow"); // a sequence row removed first
        QTest::newRow("unknown name") << "NOSUCHKEY"
                                      << "";
        QTest::newRow("row removed") << "SNAPSHOT"
                                     << "SNAPSHOT";
        QTest::newRow("name with apostrophes") << "O'Brien's"
                                               << "";
    }
    void missingSequenceGivesNoKey()
    {
        QFETCH(QString, name);
        QFETCH(QString, dropRow);
        if (!dropRow.isEmpty()) {
            t->exec("DELETE FROM TableKey WHERE KeyName = ?", {dropRow});
            QVERIFY(ds().cmdTableKey());
        }
        const QStringList before = keyTable();
        QCOMPARE(nextKey(name), qint64(-1));
        QCOMPARE(keyTable(), before);
        verifyFatal("Unable to update Table Key Data.  ");
    }

    // --- Date texts --------------------------------------------------------------

    void dateLiteralWritesTheIsoDate_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("literal");
        QTest::newRow("example") << day(14) << "#2003-05-14#";
        QTest::newRow("first of the year") << day(1, 1, 2010) << "#2010-01-01#";
        QTest::newRow("end of the year") << day(31, 12, 1999) << "#1999-12-31#";
    }
    void dateLiteralWritesTheIsoDate()
    {
        QFETCH(QDate, date);
        QFETCH(QString, literal);
        QCOMPARE(dateLiteral(date), literal);
    }

    void dateTimeLiteralUsesTheTwelveHourClock_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("literal");
        QTest::newRow("last second") << QTime(23, 59, 59) << "#2003-05-14 11:59:59 PM#";
        QTest::newRow("first second") << QTime(0, 0, 1) << "#2003-05-14 12:00:01 AM#";
        QTest::newRow("midnight") << QTime(0, 0) << "#2003-05-14 12:00:00 AM#";
        QTest::newRow("half past midnight") << QTime(0, 30) << "#2003-05-14 12:30:00 AM#";
        QTest::newRow("before noon") << QTime(11, 59, 59) << "#2003-05-14 11:59:59 AM#";
        QTest::newRow("noon") << QTime(12, 0) << "#2003-05-14 12:00:00 PM#";
        QTest::newRow("afternoon") << QTime(13, 5, 9) << "#2003-05-14 01:05:09 PM#";
        QTest::newRow("morning") << QTime(9, 7, 3) << "#2003-05-14 09:07:03 AM#";
    }
    void dateTimeLiteralUsesTheTwelveHourClock()
    {
        QFETCH(QTime, time);
        QFETCH(QString, literal);
        QCOMPARE(dateTimeLiteral(QDateTime(day(14), time)), literal);
    }

    // --- Positioning helpers ---------------------------------------------------

    void measurePositionCountsToTheLastMatch_data()
    {
        QTest::addColumn<int>("msreNo");
        QTest::addColumn<bool>("duplicate"); // a second measure 1 of 150 g
        QTest::addColumn<int>("position");
        // By weight: 0.4 g (4), 28.35 g (1), 100 g (3), [150 g (1)], 240 g (2).
        QTest::newRow("first row") << 4 << false << 0;
        QTest::newRow("second row") << 1 << false << 1;
        QTest::newRow("last row") << 2 << false << 3;
        QTest::newRow("no match is like the first row") << 99 << false << 0;
        QTest::newRow("last matching row wins") << 1 << true << 3;
        QTest::newRow("rows after the duplicate move on") << 2 << true << 4;
    }
    void measurePositionCountsToTheLastMatch()
    {
        QFETCH(int, msreNo);
        QFETCH(bool, duplicate);
        QFETCH(int, position);
        if (duplicate)
            t->exec("INSERT INTO USDA_Measures VALUES (9003, 1, '1 large', 150)");
        QVERIFY(ds().cmdMeasures(Fixture::Apples));
        Recordset& rs = ds().rsMeasures;
        rs.moveLast();
        QCOMPARE(measurePosition(rs, msreNo), position);
        QCOMPARE(rs.absolutePosition(), 0); // left on the first row
    }

    void measurePositionOfNoMeasuresIsZero()
    {
        QVERIFY(ds().cmdMeasures(Fixture::Broccoli));
        QCOMPARE(measurePosition(ds().rsMeasures, 1), 0);
    }

    void moveToMeasureFindsByNumberOrOffset_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("msreNo");
        QTest::addColumn<QString>("description"); // empty: no current row
        QTest::newRow("first by offset") << 0 << 0 << "1 small bite";
        QTest::newRow("third by offset") << 2 << 0 << "100 g";
        QTest::newRow("number wins over offset") << 0 << 2 << "1 cup";
        QTest::newRow("number with another offset") << 3 << 1 << "1 oz";
        QTest::newRow("offset past the end") << 4 << 0 << "";
    }
    void moveToMeasureFindsByNumberOrOffset()
    {
        QFETCH(int, offset);
        QFETCH(int, msreNo);
        QFETCH(QString, description);
        QVERIFY(ds().cmdMeasures(Fixture::Apples));
        Recordset& rs = ds().rsMeasures;
        rs.moveLast();
        moveToMeasure(rs, offset, msreNo);
        if (description.isEmpty())
            QVERIFY(rs.eof());
        else
            QCOMPARE(rs.text("MSRE_DESC"), description);
    }

    void moveToGroupFindsByIdOrOffset_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("groupId");
        QTest::addColumn<int>("expected");
        // By name: Dairy (10), Favorites (2), Fruits (11), My Foods (20), Vegetables (12).
        QTest::newRow("first by offset") << 0 << 0 << int(Fixture::DairyGroup);
        QTest::newRow("by offset") << 3 << 0 << int(Fixture::MyFoodsGroup);
        QTest::newRow("by id") << 0 << int(Fixture::FruitGroup) << int(Fixture::FruitGroup);
        QTest::newRow("id wins over offset")
            << 4 << int(Fixture::FavoritesRoot) << int(Fixture::FavoritesRoot);
    }
    void moveToGroupFindsByIdOrOffset()
    {
        QFETCH(int, offset);
        QFETCH(int, groupId);
        QFETCH(int, expected);
        QVERIFY(ds().cmdAvailGroups());
        Recordset& rs = ds().rsAvailGroups;
        rs.moveLast();
        moveToGroup(rs, offset, groupId);
        QCOMPARE(rs.integer("GroupId"), expected);
    }

    // --- Transactions ----------------------------------------------------------

    void transactionsKeepAllOrNothing_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("kept");
        QTest::newRow("CommitTrans") << "commit" << true;
        QTest::newRow("Rollback") << "rollback" << false;
        QTest::newRow("scope object committed") << "scope commit" << true;
        QTest::newRow("scope object left") << "scope" << false;
    }
    void transactionsKeepAllOrNothing()
    {
        QFETCH(QString, ending);
        QFETCH(bool, kept);
        QVERIFY(ds().cmdGroups());
        QVERIFY(ds().cmdFoods());
        // A new group with a food in it, as pasting a group does.
        auto addGroupWithFood = [this] {
            const std::optional<qint32> groupId = ds().getTableKey("FOODGROUP");
            const std::optional<qint32> foodId = ds().getTableKey("FOODITEM");
            QVERIFY(groupId && foodId);
            ds().rsGroups.addNew();
            ds().rsGroups.setValue("GroupId", *groupId);
            ds().rsGroups.setValue("GroupName", "New Food Group");
            ds().rsGroups.setValue("ParentGroup", int(Fixture::MyFoodsRoot));
            ds().rsGroups.setValue("GroupTag", "GROUP");
            ds().rsGroups.update();
            ds().rsFoods.addNew();
            ds().rsFoods.setValue("FoodId", *foodId);
            ds().rsFoods.setValue("FoodName", "New Food Item");
            ds().rsFoods.setValue("GroupId", *groupId);
            ds().rsFoods.update();
        };
        if (ending.startsWith("scope")) {
            Transaction transaction(ds());
            addGroupWithFood();
            if (ending == "scope commit")
                transaction.commit();
        } else {
            ds().beginTrans();
            QVERIFY(ds().inTransaction());
            addGroupWithFood();
            if (ending == "commit")
                ds().commitTrans();
            else
                ds().rollback();
        }
        QVERIFY(!ds().inTransaction());
        // What is kept is on the disk: read it through a new connection.
        ds().closeDB();
        QVERIFY(ds().connectDB());
        const int groups =
            t->scalar("SELECT count(*) FROM FoodGroup WHERE GroupId = ?", {Fixture::kLastGroupId + 1})
                .toInt();
        const int foods =
            t->scalar("SELECT count(*) FROM FoodItem WHERE FoodId = ?", {Fixture::kLastFoodId + 1}).toInt();
        QCOMPARE(groups, kept ? 1 : 0);
        QCOMPARE(foods, kept ? 1 : 0);
        QCOMPARE(storedKey("FOODGROUP"), qint64(Fixture::kLastGroupId + (kept ? 1 : 0)));
        QCOMPARE(storedKey("FOODITEM"), qint64(Fixture::kLastFoodId + (kept ? 1 : 0)));
    }

    void closingInATransactionRollsItBack()
    {
        ds().beginTrans();
        QVERIFY(ds().cmdDeleteFoods(Fixture::FruitGroup));
        ds().closeDB();
        QVERIFY(ds().connectDB());
        QCOMPARE(
            t->scalar("SELECT count(*) FROM FoodItem WHERE GroupId = ?", {int(Fixture::FruitGroup)}).toInt(),
            2);
        QVERIFY(!ds().inTransaction());
    }

    // --- Failures --------------------------------------------------------------

    void failureIsReportedOnceAndShutsDown_data()
    {
        QTest::addColumn<QString>("operation");
        for (const QString& name : operations().keys())
            QTest::newRow(qPrintable(name)) << name;
    }
    void failureIsReportedOnceAndShutsDown()
    {
        QFETCH(QString, operation);
        const Operation& op = operations()[operation];
        QVERIFY(op.call(ds()));
        t->exec(QString("DROP TABLE %1").arg(op.table));
        QVERIFY(!op.call(ds()));
        verifyFatal(op.message);
        if (op.member)
            QVERIFY(!(ds().*op.member).isOpen());
    }

    // --- The SnapShot table ----------------------------------------------------

    void createSnapShotMakesTheTable()
    {
        t = std::make_unique<TestContext>(Fixture::Content::NoSnapShot);
        QCOMPARE(t->scalar("SELECT count(*) FROM sqlite_master WHERE name = 'SNAPSHOT'").toInt(), 0);
        ds().cmdCreateSnapShot();

        QStringList columns;
        for (const QVariantList& row : t->rows("PRAGMA table_info(SNAPSHOT)"))
            columns << row[1].toString();
        QCOMPARE(columns,
                 QStringList({"SNAPID", "USERNAME", "SNAPVAL1", "SNAPVAL2", "SNAPVAL3", "SNAPVAL4",
                              "SNAPVAL5", "SNAPVAL6", "SNAPVAL7", "SNAPVAL8", "SNAPDATETM", "SNAPCOMMENTS"}));
        QCOMPARE(
            t->scalar("SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'SNAPSHOT'").toString(),
            QString("SNAPSHOT"));
        QList<QVariantList> key;
        for (const QVariantList& index : t->rows("PRAGMA index_list(SNAPSHOT)"))
            if (index[1].toString() == "pk_SnapShot")
                key << index;
        QCOMPARE(int(key.size()), 1);
        QCOMPARE(key.first()[2].toInt(), 1); // unique
        QCOMPARE(int(t->rows("PRAGMA index_info(pk_SnapShot)").size()), 1);
        QCOMPARE(t->scalar("SELECT name FROM pragma_index_info('pk_SnapShot')").toString(),
                 QString("SNAPID"));

        // Zero-length texts are allowed; 15 characters fit the short values, 16 do not.
        const QString insert =
            "INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPVAL7, SNAPVAL8, SNAPDATETM, SNAPCOMMENTS) "
            "VALUES (?, ?, ?, ?, ?, ?)";
        t->exec(insert, {1, "", "", QString(15, 'x'), "2003-05-14 08:00:00", ""});
        QVERIFY_THROWS_EXCEPTION(DataError, t->exec(insert, {1, "USER1", "", "", "2003-05-14 09:00:00", ""}));
        QVERIFY_THROWS_EXCEPTION(
            DataError, t->exec(insert, {2, "USER1", QString(16, 'x'), "", "2003-05-14 09:00:00", ""}));
        QVERIFY(ds().cmdSnapShotData(""));
        QCOMPARE(ds().rsSnapShotData.recordCount(), 1);
        QCOMPARE(t->prompts.count(), 0);
    }

    void createSnapShotFailsWhenTheTableExists()
    {
        QVERIFY_THROWS_EXCEPTION(DataError, ds().cmdCreateSnapShot());
        // The caller reports it; the data source shows nothing and goes on.
        QCOMPARE(t->prompts.count(), 0);
        QCOMPARE(t->shutDowns, 0);
        QVERIFY(ds().cmdSnapShotData("USER1"));
    }
};

QTEST_GUILESS_MAIN(DataSourceTest)
#include "tst_datasource.moc"
