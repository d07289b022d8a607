#include "data/seedcatalogue.h"

#include "data/recordset.h"
#include "data/schema.h"

#include <QFile>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

namespace {

// Everyday foods placed in the favourites group of a new database, as copies
// that keep their USDA number.
const int kFavoriteFoods[] = {9003, 9040, 1077, 1123, 18075, 20045, 11529, 5062};

QList<QStringList> readTable(const QString& path, int columns)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw DataError(("cannot read " + path).toStdString());
    QList<QStringList> rows;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    int line = 0;
    while (!in.atEnd()) {
        const QString text = in.readLine();
        ++line;
        if (text.isEmpty())
            continue;
        const QStringList fields = text.split(QLatin1Char('\t'));
        if (fields.size() != columns)
            throw DataError(QStringLiteral("%1:%2: expected %3 fields").arg(path).arg(line).arg(columns).toStdString());
        rows << fields;
    }
    return rows;
}

class Inserter
{
public:
    Inserter(const QSqlDatabase& db, const QString& sql) : m_query(db)
    {
        if (!m_query.prepare(sql))
            throw DataError(m_query.lastError().text().toStdString());
    }
    void operator()(const QVariantList& values)
    {
        for (int i = 0; i < values.size(); ++i)
            m_query.bindValue(i, values[i]);
        if (!m_query.exec())
            throw DataError(m_query.lastError().text().toStdString());
    }

private:
    QSqlQuery m_query;
};

} // namespace

namespace SeedCatalogue {

void load(const QSqlDatabase& db, const QString& dataDir)
{
    const QList<QStringList> groups = readTable(dataDir + QStringLiteral("/usda_groups.tsv"), 2);
    const QList<QStringList> foods = readTable(dataDir + QStringLiteral("/usda_foods.tsv"), 11);
    const QList<QStringList> measures = readTable(dataDir + QStringLiteral("/usda_measures.tsv"), 4);

    Inserter addGroup(db, QStringLiteral("INSERT INTO FoodGroup (GroupId, GroupName, ParentGroup, GroupTag) "
                                         "VALUES (?, ?, ?, ?)"));
    enum { UsdaRoot = 1, FavoritesRoot = 2, MyFoodsRoot = 3 };
    addGroup({UsdaRoot, QStringLiteral("USDA Foods"), 0, QStringLiteral("GROUPROOT")});
    addGroup({FavoritesRoot, QStringLiteral("Favorites"), 0, QStringLiteral("FAVORITE")});
    addGroup({MyFoodsRoot, QStringLiteral("My Foods"), 0, QStringLiteral("GROUPROOT")});
    int nextGroupId = MyFoodsRoot + 1;
    addGroup({nextGroupId++, QStringLiteral("My Foods"), MyFoodsRoot, QStringLiteral("GROUP")});

    QHash<QString, int> groupIds;
    auto groupFor = [&](const QString& name) {
        auto it = groupIds.constFind(name);
        if (it != groupIds.constEnd())
            return *it;
        const int id = nextGroupId++;
        addGroup({id, name, UsdaRoot, QStringLiteral("GROUP")});
        groupIds.insert(name, id);
        return id;
    };
    for (const QStringList& group : groups)
        groupFor(group[1]);

    // The serving of a food is its first listed measure.
    QHash<int, QPair<QString, double>> servings;
    Inserter addMeasure(db, QStringLiteral("INSERT INTO USDA_Measures (NDB_NO, MSRE_NO, MSRE_DESC, GM_WT) "
                                           "VALUES (?, ?, ?, ?)"));
    for (const QStringList& m : measures) {
        const int ndb = m[0].toInt();
        const int number = m[1].toInt();
        const double grams = m[3].toDouble();
        addMeasure({ndb, number, m[2], grams});
        if (number == 1)
            servings.insert(ndb, {m[2], grams});
    }

    Inserter addFood(db, QStringLiteral("INSERT INTO FoodItem (FoodId, FoodName, GroupId, ServingSize, "
                                        "USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT, Calorie, Protein, Carbohydrate, "
                                        "Fat, Sodium, Cholesterol, Other1, Other2) "
                                        "VALUES (?, ?, ?, ?, ?, 1, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    QHash<int, QVariantList> foodRows;
    int highestFoodId = 0;
    for (const QStringList& f : foods) {
        const int ndb = f[0].toInt();
        const auto serving = servings.value(ndb, {QStringLiteral("100 g"), 100.0});
        const double factor = serving.second / 100.0;
        QVariantList row = {ndb, f[2], groupFor(f[1]), serving.first, ndb, serving.second};
        for (int i = 3; i < 11; ++i)
            row << f[i].toDouble() * factor;
        addFood(row);
        foodRows.insert(ndb, row);
        highestFoodId = qMax(highestFoodId, ndb);
    }

    for (int ndb : kFavoriteFoods) {
        QVariantList row = foodRows.value(ndb);
        if (row.isEmpty())
            continue;
        row[0] = ++highestFoodId;
        row[2] = int(FavoritesRoot);
        addFood(row);
    }

    Inserter addMeal(db, QStringLiteral("INSERT INTO Meal (MealName) VALUES (?)"));
    for (const char* meal : {"Breakfast", "Lunch", "Dinner", "Snack"})
        addMeal({QString::fromLatin1(meal)});
}

void createDatabase(const QString& path, const QString& dataDir, const QString& version)
{
    QFile::remove(path);
    Schema::writeFile(
        path,
        [&](const QSqlDatabase& db) {
            Schema::createTables(db);
            load(db, dataDir);
            Schema::writeTableKeys(db);
            Schema::writeNewDatabaseConfig(db, version);
        },
        true);
}

} // namespace SeedCatalogue
