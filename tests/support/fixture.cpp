#include "fixture.h"

#include "modalguard.h"

#include "data/storeddates.h"
#include "data/orvdatasource.h"
#include "data/recordset.h"
#include "data/schema.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace Fixture {

namespace {

struct Food
{
    int id;
    const char* name;
    int group;
    const char* serving;
    int ndb;
    int msre;
    double grams;
    // Fat, Protein, Carbohydrate, Calorie, Sodium, Cholesterol, Other1, Other2
    double nutrients[8];
};

// clang-format off
const Food kFoods[] = {
    {Butter, "Butter, salted", DairyGroup, "1 tbsp", 1001, 2, 14.2, {11.52, 0.12, 0.01, 101.8, 101.4, 30.5, 0, 0.01}},
    {Milk, "Milk, whole", DairyGroup, "1 cup", 1077, 1, 244, {7.93, 7.69, 11.71, 149, 105, 24, 0, 12.3}},
    {Apples, "Apples, raw", FruitGroup, "100 g", 9003, 3, 100, {10, 1, 20, 50, 1, 0, 2, 10}},
    {Bananas, "Bananas, raw", FruitGroup, "1 medium", 9040, 1, 118, {0.39, 1.29, 26.95, 105, 1.18, 0, 3.07, 14.43}},
    {Broccoli, "Broccoli, raw", VegetableGroup, "1 cup chopped", 11090, 1, 91, {0.34, 2.57, 6.04, 31, 30, 0, 2.4, 1.55}},
    {ApplePie, "apple pie (home)", MyFoodsGroup, "1 slice", 0, 0, 0, {19, 4, 58, 411, 327, 0, 2, 20}},
    {FavApples, "Apples, raw", FavoritesRoot, "100 g", 9003, 3, 100, {10, 1, 20, 50, 1, 0, 2, 10}},
};
// clang-format on

struct Measure
{
    int ndb;
    int msre;
    const char* desc;
    double grams;
};

const Measure kMeasures[] = {
    {1001, 1, "1 cup", 227},        {1001, 2, "1 tbsp", 14.2},  {1001, 3, "100 g", 100},
    {1077, 1, "1 cup", 244},        {1077, 2, "1 fl oz", 30.5}, {1077, 3, "100 g", 100},
    {9003, 1, "1 oz", 28.35},       {9003, 2, "1 cup", 240},    {9003, 3, "100 g", 100},
    {9003, 4, "1 small bite", 0.4}, {9040, 1, "1 medium", 118}, {9040, 2, "100 g", 100},
};

} // namespace

void writeDatabase(const QString& path, Content content)
{
    QFile::remove(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString connection = QStringLiteral("fixture-writer");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot create fixture database %s", qPrintable(path));
        const bool current = content == Content::Catalogue;
        db.transaction();
        Schema::createTables(db, current);
        // clang-format off
        for (const auto& [id, name, parent, tag] :
             {std::tuple(UsdaRoot, "USDA Foods", 0, "GROUPROOT"), {FavoritesRoot, "Favorites", 0, "FAVORITE"},
              {MyFoodsRoot, "My Foods", 0, "GROUPROOT"}, {DairyGroup, "Dairy and Egg Products", UsdaRoot, "GROUP"},
              {FruitGroup, "Fruits and Fruit Juices", UsdaRoot, "GROUP"}, {VegetableGroup, "Vegetables", UsdaRoot, "GROUP"},
              {MyFoodsGroup, "My Foods", MyFoodsRoot, "GROUP"}})
            Schema::exec(db, QStringLiteral("INSERT INTO FoodGroup VALUES (?, ?, ?, ?)"), {id, name, parent, tag});
        // clang-format on
        for (const Food& f : kFoods) {
            QVariantList row = {f.id, f.name, f.group, f.serving, f.ndb, f.msre, f.grams};
            for (double n : f.nutrients)
                row << n;
            Schema::exec(
                db,
                QStringLiteral("INSERT INTO FoodItem (FoodId, FoodName, GroupId, ServingSize, USDA_NDB_NO, "
                               "USDA_MSRE_NO, USDA_GM_WT, Fat, Protein, Carbohydrate, Calorie, Sodium, "
                               "Cholesterol, Other1, Other2) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                row);
        }
        for (const Measure& m : kMeasures)
            Schema::exec(db, QStringLiteral("INSERT INTO USDA_Measures VALUES (?, ?, ?, ?)"),
                         {m.ndb, m.msre, m.desc, m.grams});
        for (const char* meal : {"Breakfast", "Lunch", "Dinner", "Snack"})
            Schema::exec(db, QStringLiteral("INSERT INTO Meal VALUES (?)"), {meal});
        const QString key = QStringLiteral("INSERT INTO TableKey VALUES (?, ?)");
        for (const auto& [name, value] :
             {std::pair("FOODGROUP", kLastGroupId), {"FOODITEM", kLastFoodId}, {"DIETACTIVITY", 0}})
            Schema::exec(db, key, {name, value});
        if (current) {
            Schema::exec(db, key, {"SNAPSHOT", 0});
            Schema::writeNewDatabaseConfig(db, AppContext::appVersion());
        } else {
            // The items of a release before 2.0.0: users and optional labels only.
            const QString item = QStringLiteral("INSERT INTO CONFIG VALUES (?, ?, ?)");
            for (int i = 1; i <= 4; ++i)
                Schema::exec(db, item,
                             {QStringLiteral("USER%1").arg(i), QStringLiteral("User %1").arg(i), i == 1});
            Schema::exec(db, item, {"OTHER1", "Fiber", 0});
            Schema::exec(db, item, {"OTHER2", "Sugars", 0});
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

} // namespace Fixture

FixtureFolder::FixtureFolder(Fixture::Content content, bool withDatabase)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("Data"));
    if (withDatabase)
        Fixture::writeDatabase(dbPath(), content);
}

ProgramRun::ProgramRun(const QString& folder) : context(DataFolder(folder + QStringLiteral("/Data")), prompts)
{
    context.unloadMainWindow = [this] { ++shutDowns; };
}

QList<QVariantList> queryRows(const QSqlDatabase& db, const QString& sql, const QVariantList& params)
{
    QSqlQuery query(db);
    query.prepare(sql);
    for (const QVariant& p : params)
        query.addBindValue(p);
    if (!query.exec())
        qFatal("fixture query failed: %s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    QList<QVariantList> result;
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < query.record().count(); ++i)
            row << query.value(i);
        result << row;
    }
    return result;
}

QList<QVariantList> fileRows(const QString& path, const QString& sql, const QVariantList& params)
{
    const QString connection = QStringLiteral("fixture-reader");
    QList<QVariantList> rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(path));
        rows = queryRows(db, sql, params);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return rows;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

TestContext::TestContext(Fixture::Content content) : folder(content)
{
    ModalGuard::arm();
    context = std::make_unique<AppContext>(folder.data(), prompts);
    context->unloadMainWindow = [this] { ++shutDowns; };
    if (!context->dataSource().connectDB())
        qFatal("cannot connect to the fixture database");
    context->dataSource().cmdConfig();
    context->dataSource().cmdTableKey();
}

QSqlDatabase TestContext::db()
{
    return context->dataSource().database();
}

QList<QVariantList> TestContext::rows(const QString& sql, const QVariantList& params)
{
    return queryRows(db(), sql, params);
}

QVariant TestContext::scalar(const QString& sql, const QVariantList& params)
{
    const QList<QVariantList> result = rows(sql, params);
    return result.isEmpty() || result.first().isEmpty() ? QVariant() : result.first().first();
}

void TestContext::exec(const QString& sql, const QVariantList& params)
{
    Schema::exec(db(), sql, params);
}

qint32 TestContext::addDietRow(const QString& user, const QDate& date, const QString& meal,
                               const QString& food, double fat, qint32 dietId)
{
    if (dietId == 0)
        dietId = scalar(QStringLiteral("SELECT coalesce(max(DietId), 0) + 1 FROM DietActivity")).toInt();
    exec(QStringLiteral(
             "INSERT INTO DietActivity (DietId, UserName, DietDate, MealName, GroupName, FoodName, "
             "NumServings, ServingSize, USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT, Fat, Protein, Carbohydrate, "
             "Calorie, Sodium, Cholesterol, Other1, Other2) "
             "VALUES (?, ?, ?, ?, 'Test Group', ?, 1, '1 serving', 0, 0, 0, ?, ?, ?, ?, ?, ?, ?, ?)"),
         {dietId, user, storedDate(date), meal, food, fat, fat * 2, fat * 3, fat * 4, fat * 5, fat * 6,
          fat * 7, fat * 8});
    exec(QStringLiteral("UPDATE TableKey SET KeyValue = max(KeyValue, ?) WHERE KeyName = 'DIETACTIVITY'"),
         {dietId});
    return dietId;
}
