#include "benchdatabase.h"

#include "data/storeddates.h"
#include "data/recordset.h"
#include "data/schema.h"

#include <QFile>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>
#include <random>

namespace BenchDatabase {

namespace {

constexpr int kNutrients = 8; // Fat, Protein, Carbohydrate, Calorie, Sodium, Cholesterol, Other1, Other2

struct Measure
{
    int number;
    QString description;
    double grams;
};

struct Food
{
    int id;
    QString name;
    QString group;
    int servingMeasure;
    double servingGrams;
    double nutrients[kNutrients];
    QList<Measure> measures; // the plausible ones for one serving
};

// The courses of a meal: each draws from some USDA food groups. The first
// course of a meal is always eaten, the others as the meal's size allows.
struct Course
{
    QStringList groups;
    bool cookedOnly; // meat and fish are eaten cooked
};

const QList<QList<Course>>& mealCourses()
{
    static const QList<QList<Course>> meals = {
        // MEAL0, breakfast
        {{{"Breakfast Cereals", "Baked Products"}, false},
         {{"Dairy and Egg Products"}, false},
         {{"Fruits and Fruit Juices"}, false},
         {{"Beverages"}, false},
         {{"Fats and Oils", "Sweets"}, false}},
        // MEAL1, lunch
        {{{"Soups, Sauces, and Gravies", "Fast Foods", "Meals, Entrees, and Side Dishes", "Restaurant Foods"},
          false},
         {{"Sausages and Luncheon Meats", "Dairy and Egg Products"}, false},
         {{"Baked Products"}, false},
         {{"Vegetables and Vegetable Products"}, false},
         {{"Fruits and Fruit Juices", "Beverages"}, false}},
        // MEAL2, dinner
        {{{"Beef Products", "Poultry Products", "Pork Products", "Finfish and Shellfish Products",
           "Lamb, Veal, and Game Products"},
          true},
         {{"Vegetables and Vegetable Products"}, false},
         {{"Cereal Grains and Pasta", "Legumes and Legume Products"}, false},
         {{"Beverages"}, false},
         {{"Sweets", "Baked Products"}, false}},
        // MEAL3, snack
        {{{"Snacks", "Nut and Seed Products"}, false},
         {{"Fruits and Fruit Juices"}, false},
         {{"Sweets", "Baked Products"}, false},
         {{"Beverages", "Dairy and Egg Products"}, false}},
    };
    return meals;
}

// Weights of 2, 3 and 4 foods in each meal.
const int kMealSizeWeights[4][3] = {{0, 3, 7}, {0, 2, 8}, {0, 0, 1}, {1, 4, 5}};

// The foods a user keeps eating for one course.
constexpr int kRepertoire = 25;

bool isCooked(const QString& name)
{
    static const QStringList words = {"cooked", "roasted", "broiled",  "grilled", "baked",  "braised",
                                      "fried",  "stewed",  "simmered", "smoked",  "canned", "steamed"};
    for (const QString& word : words)
        if (name.contains(word, Qt::CaseInsensitive))
            return true;
    return false;
}

QSqlQuery prepared(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    if (!query.prepare(sql))
        throw DataError((query.lastError().text() + " in: " + sql).toStdString());
    return query;
}

void execute(QSqlQuery& query)
{
    if (!query.exec())
        throw DataError(query.lastError().text().toStdString());
}

// The original USDA items of the catalogue with the measures a person would
// use for them (not the "100 g" one, and of a weight one serving can have).
QList<Food> loadFoods(const QSqlDatabase& db)
{
    QHash<int, QList<Measure>> measures;
    QSqlQuery m = prepared(db, QStringLiteral("SELECT NDB_NO, MSRE_NO, MSRE_DESC, GM_WT FROM USDA_Measures"));
    execute(m);
    while (m.next()) {
        const double grams = m.value(3).toDouble();
        const QString description = m.value(2).toString();
        if (description != QLatin1String("100 g") && grams >= 5 && grams <= 600)
            measures[m.value(0).toInt()].append({m.value(1).toInt(), description, grams});
    }
    QList<Food> foods;
    QSqlQuery f =
        prepared(db, QStringLiteral("SELECT f.FoodId, f.FoodName, g.GroupName, f.USDA_MSRE_NO, "
                                    "f.USDA_GM_WT, f.Fat, f.Protein, f.Carbohydrate, f.Calorie, f.Sodium, "
                                    "f.Cholesterol, f.Other1, f.Other2 FROM FoodItem f JOIN FoodGroup g "
                                    "ON g.GroupId = f.GroupId WHERE f.USDA_NDB_NO = f.FoodId "
                                    "ORDER BY f.FoodId"));
    execute(f);
    while (f.next()) {
        Food food{f.value(0).toInt(),
                  f.value(1).toString(),
                  f.value(2).toString(),
                  f.value(3).toInt(),
                  f.value(4).toDouble(),
                  {},
                  measures.value(f.value(0).toInt())};
        for (int i = 0; i < kNutrients; ++i)
            food.nutrients[i] = f.value(5 + i).toDouble();
        if (!food.measures.isEmpty())
            foods.append(food);
    }
    return foods;
}

class Generator
{
public:
    Generator(const QSqlDatabase& db, const Options& options)
        : m_options(options), m_random(options.randomSeed), m_foods(loadFoods(db)),
          m_addDiet(
              prepared(db, QStringLiteral("INSERT INTO DietActivity (DietId, UserName, DietDate, MealName, "
                                          "GroupName, FoodName, NumServings, ServingSize, USDA_NDB_NO, "
                                          "USDA_MSRE_NO, USDA_GM_WT, Fat, Protein, Carbohydrate, Calorie, "
                                          "Sodium, Cholesterol, Other1, Other2) "
                                          "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"))),
          m_addSnapShot(
              prepared(db, QStringLiteral("INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPVAL1, SNAPVAL2, "
                                          "SNAPVAL3, SNAPVAL4, SNAPVAL5, SNAPVAL6, SNAPVAL7, SNAPVAL8, "
                                          "SNAPDATETM, SNAPCOMMENTS) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)")))
    {
        if (m_foods.isEmpty())
            throw DataError("the seed database holds no USDA foods");
    }

    Summary run()
    {
        Summary summary;
        QDate first = m_options.lastDay;
        for (const UserLog& log : m_options.users) {
            const QDate start = m_options.lastDay.addDays(1 - log.days);
            summary.firstDay.insert(log.user, start);
            summary.dietRows.insert(log.user, 0);
            summary.snapShots.insert(log.user, 0);
            first = std::min(first, start);
            m_people.append(person(log));
        }
        // Day by day, as the users would have logged, so ids grow with the dates.
        for (QDate date = first; date <= m_options.lastDay; date = date.addDays(1)) {
            for (Person& p : m_people) {
                const qint64 dayNo = summary.firstDay[p.log.user].daysTo(date);
                if (dayNo < 0)
                    continue;
                summary.dietRows[p.log.user] += logDay(p, date);
                if (p.log.snapshotEvery > 0 && dayNo % p.log.snapshotEvery == 0) {
                    addSnapShot(p, date);
                    ++summary.snapShots[p.log.user];
                }
            }
        }
        summary.lastDietId = m_dietId;
        summary.lastSnapId = m_snapId;
        return summary;
    }

private:
    struct Person
    {
        UserLog log;
        QList<QList<QList<int>>> repertoire; // by meal, by course: indexes into m_foods
        double weight;
    };

    double uniform() { return std::uniform_real_distribution<double>(0.0, 1.0)(m_random); }
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    double normal(double sigma) { return std::normal_distribution<double>(0.0, sigma)(m_random); }

    int weighted(const int* weights, int count)
    {
        int total = 0;
        for (int i = 0; i < count; ++i)
            total += weights[i];
        int pick = below(total);
        for (int i = 0; i < count; ++i) {
            if (pick < weights[i])
                return i;
            pick -= weights[i];
        }
        return count - 1;
    }

    Person person(const UserLog& log)
    {
        Person p{log, {}, 78.0 + 9.0 * m_people.size()};
        for (const QList<Course>& courses : mealCourses()) {
            QList<QList<int>> meal;
            for (const Course& course : courses) {
                QList<int> eligible;
                for (int i = 0; i < m_foods.size(); ++i)
                    if (course.groups.contains(m_foods[i].group) &&
                        (!course.cookedOnly || isCooked(m_foods[i].name)))
                        eligible.append(i);
                std::shuffle(eligible.begin(), eligible.end(), m_random);
                meal.append(eligible.mid(0, kRepertoire));
            }
            p.repertoire.append(meal);
        }
        return p;
    }

    int logDay(Person& p, const QDate& date)
    {
        int entries = 0;
        for (int meal = 0; meal < 4; ++meal) {
            if (meal == 3 && uniform() >= p.log.snackChance)
                continue;
            if (meal < 2 && uniform() < p.log.skipChance)
                continue;
            const int foods = 2 + weighted(kMealSizeWeights[meal], 3);
            QList<int> courses;
            for (int c = 1; c < p.repertoire[meal].size(); ++c)
                courses.append(c);
            std::shuffle(courses.begin(), courses.end(), m_random);
            courses = QList<int>{0} + courses.mid(0, foods - 1);
            const QString mealKey =
                uniform() < p.log.unmealedShare ? QString("") : QStringLiteral("MEAL%1").arg(meal);
            for (int course : courses) {
                const QList<int>& choices = p.repertoire[meal][course];
                if (choices.isEmpty())
                    continue;
                // Favourites come up more often than the rest.
                const double u = uniform();
                addEntry(p, date, mealKey, m_foods[choices[int(u * u * choices.size())]]);
                ++entries;
            }
        }
        return entries;
    }

    void addEntry(const Person& p, const QDate& date, const QString& mealKey, const Food& food)
    {
        static const int servingWeights[] = {1, 6, 1, 2};
        static const double servingChoices[] = {0.5, 1.0, 1.5, 2.0};
        const double servings = servingChoices[weighted(servingWeights, 4)];
        // Mostly the food's own serving, otherwise another of its measures.
        const Measure* measure = &food.measures[below(int(food.measures.size()))];
        for (const Measure& m : food.measures)
            if (m.number == food.servingMeasure && uniform() < 0.6)
                measure = &m;
        const double grams = wholeGrams(measure->grams);
        const double ratio = food.servingGrams == 0 || grams == 0 ? 1.0 : grams / food.servingGrams;

        const QVariantList values = {++m_dietId, p.log.user, storedDate(date),     mealKey, food.group,
                                     food.name,  servings,   measure->description, food.id, measure->number,
                                     grams};
        for (int i = 0; i < values.size(); ++i)
            m_addDiet.bindValue(i, values[i]);
        for (int i = 0; i < kNutrients; ++i)
            m_addDiet.bindValue(int(values.size()) + i, food.nutrients[i] * servings * ratio);
        execute(m_addDiet);
    }

    void addSnapShot(Person& p, const QDate& date)
    {
        p.weight = std::clamp(p.weight - 0.002 + normal(0.25), 50.0, 150.0);
        const auto round1 = [](double v) { return std::round(v * 10.0) / 10.0; };
        const QDateTime taken(date, QTime(6, 30).addSecs(60 * below(90)));
        const QVariantList values = {++m_snapId,
                                     p.log.user,
                                     round1(p.weight),
                                     round1(p.weight * 1.05 + normal(0.5)),
                                     round1(p.weight * 1.2 + normal(0.5)),
                                     round1(p.weight * 0.7 + normal(0.4)),
                                     QVariant(),
                                     QVariant(),
                                     QString(""),
                                     QString(""),
                                     storedDateTime(taken),
                                     below(20) == 0 ? QStringLiteral("after the holidays") : QString("")};
        for (int i = 0; i < values.size(); ++i)
            m_addSnapShot.bindValue(i, values[i]);
        execute(m_addSnapShot);
    }

    const Options& m_options;
    std::mt19937 m_random;
    QList<Food> m_foods;
    QList<Person> m_people;
    QSqlQuery m_addDiet;
    QSqlQuery m_addSnapShot;
    qint32 m_dietId = 0;
    qint32 m_snapId = 0;
};

} // namespace

int Summary::totalDietRows() const
{
    int total = 0;
    for (int rows : dietRows)
        total += rows;
    return total;
}

int Summary::totalSnapShots() const
{
    int total = 0;
    for (int rows : snapShots)
        total += rows;
    return total;
}

double wholeGrams(double grams)
{
    // The default rounding mode rounds a half to the even neighbour.
    return std::nearbyint(grams);
}

Summary build(const QString& seedFile, const QString& path, const Options& options)
{
    QFile::remove(path);
    if (!QFile::copy(seedFile, path))
        throw DataError(("cannot copy " + seedFile + " to " + path).toStdString());
    QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);

    Summary summary;
    Schema::writeFile(
        path,
        [&](const QSqlDatabase& db) {
            Generator generator(db, options);
            summary = generator.run();
            Schema::writeTableKeys(db);
        },
        false);
    return summary;
}

} // namespace BenchDatabase
