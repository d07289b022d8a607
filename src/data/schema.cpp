#include "data/schema.h"

#include "data/recordset.h"

#include <QFile>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

namespace Schema {

void exec(const QSqlDatabase& db, const QString& sql, const QVariantList& params)
{
    QSqlQuery query(db);
    if (!query.prepare(sql))
        throw DataError::fromEngine(query.lastError(), sql);
    for (const QVariant& param : params)
        query.addBindValue(param);
    if (!query.exec())
        throw DataError::fromEngine(query.lastError(), sql);
}

namespace {

QString sized(const char* column, int size)
{
    return QStringLiteral("%1 TEXT COLLATE NOCASE CHECK (length(%1) <= %2)").arg(QLatin1String(column)).arg(size);
}

const char* const kNutrients = "Fat REAL DEFAULT 0, Protein REAL DEFAULT 0, Carbohydrate REAL DEFAULT 0, "
                               "Calorie REAL DEFAULT 0, Sodium REAL DEFAULT 0, Cholesterol REAL DEFAULT 0, "
                               "Other1 REAL DEFAULT 0, Other2 REAL DEFAULT 0";

} // namespace

void createTables(const QSqlDatabase& db, bool withSnapShot)
{
    exec(db, QStringLiteral("CREATE TABLE CONFIG (ConfigItem TEXT COLLATE NOCASE, ConfigValue TEXT COLLATE NOCASE, "
                            "SelectedConfig INTEGER NOT NULL DEFAULT 0)"));
    exec(db, QStringLiteral("CREATE TABLE TableKey (KeyName TEXT COLLATE NOCASE, KeyValue INTEGER NOT NULL DEFAULT 0)"));
    exec(db, QStringLiteral("CREATE TABLE FoodGroup (GroupId INTEGER PRIMARY KEY, %1, "
                            "ParentGroup INTEGER NOT NULL DEFAULT 0, GroupTag TEXT COLLATE NOCASE)")
                 .arg(sized("GroupName", 60)));
    exec(db, QStringLiteral("CREATE TABLE FoodItem (FoodId INTEGER PRIMARY KEY, %1, GroupId INTEGER NOT NULL "
                            "DEFAULT 0, ServingSize TEXT COLLATE NOCASE, USDA_NDB_NO INTEGER DEFAULT 0, "
                            "USDA_MSRE_NO INTEGER DEFAULT 0, USDA_GM_WT REAL DEFAULT 0, %2)")
                 .arg(sized("FoodName", 200), QLatin1String(kNutrients)));
    exec(db, QStringLiteral("CREATE INDEX FoodItemByGroup ON FoodItem (GroupId, FoodName, FoodId)"));
    exec(db, QStringLiteral("CREATE TABLE USDA_Measures (NDB_NO INTEGER, MSRE_NO INTEGER, "
                            "MSRE_DESC TEXT COLLATE NOCASE, GM_WT REAL)"));
    exec(db, QStringLiteral("CREATE INDEX MeasuresByFood ON USDA_Measures (NDB_NO, GM_WT)"));
    exec(db, QStringLiteral("CREATE TABLE DietActivity (DietId INTEGER PRIMARY KEY, UserName TEXT COLLATE NOCASE, "
                            "DietDate TEXT, MealName TEXT COLLATE NOCASE, %1, %2, NumServings REAL DEFAULT 0, "
                            "ServingSize TEXT COLLATE NOCASE, USDA_NDB_NO INTEGER DEFAULT 0, "
                            "USDA_MSRE_NO INTEGER DEFAULT 0, USDA_GM_WT REAL DEFAULT 0, %3)")
                 .arg(sized("GroupName", 60), sized("FoodName", 200), QLatin1String(kNutrients)));
    exec(db, QStringLiteral("CREATE INDEX DietByUserDate ON DietActivity (UserName, DietDate, FoodName, DietId)"));
    // Daily sums (the graph, the totals) and the list of days read this index
    // alone instead of visiting every row of a user's log.
    exec(db, QStringLiteral("CREATE INDEX DietTotalsByUserDate ON DietActivity (UserName, DietDate, Fat, Protein, "
                            "Carbohydrate, Calorie, Sodium, Cholesterol, Other1, Other2)"));
    createDietMonths(db);
    exec(db, QStringLiteral("CREATE TABLE Meal (MealName TEXT COLLATE NOCASE)"));
    if (withSnapShot)
        createSnapShotTable(db);
}

QString dietDayOf(const QString& value)
{
    // date() takes "2003-02-30" as it is; a day added normalises it to March.
    return QStringLiteral("(CASE WHEN date(%1, '+0 days') = %1 AND %1 >= '0001' THEN %1 ELSE '' END)")
        .arg(value);
}

namespace {

const char* const kDietMonthTriggers[] = {"DietMonthsInsert", "DietMonthsDelete", "DietMonthsUpdate"};

// The month of a DietDays day ('' for the day of entries without a date) and
// the day's bit in the month's Days (bit 0 for that day).
QString monthOf(const QString& day)
{
    return QStringLiteral("substr(%1, 1, 7)").arg(day);
}
QString bitOf(const QString& day)
{
    return QStringLiteral("(CASE WHEN %1 = '' THEN 1 ELSE 1 << (CAST(substr(%1, 9, 2) AS INTEGER) - 1) END)")
        .arg(day);
}

} // namespace

void createDietMonths(const QSqlDatabase& db)
{
    exec(db, QStringLiteral(
                 "CREATE TABLE DietMonths (UserName TEXT COLLATE NOCASE NOT NULL, Month TEXT NOT NULL, "
                 "Days INTEGER NOT NULL, PRIMARY KEY (UserName, Month)) WITHOUT ROWID"));
    // A row sets its day's bit; the last row of a day that goes clears it.
    auto added = [](const QString& row) {
        const QString day = dietDayOf(row + QStringLiteral(".DietDate"));
        return QStringLiteral(
                   "INSERT INTO DietMonths (UserName, Month, Days) SELECT %1.UserName, %2, %3 WHERE "
                   "%1.UserName IS NOT NULL ON CONFLICT (UserName, Month) DO UPDATE SET Days = Days | "
                   "excluded.Days;")
            .arg(row, monthOf(day), bitOf(day));
    };
    const QString oldDay = dietDayOf(QStringLiteral("OLD.DietDate"));
    // Whether the day has no entry left: found by the log's index for a date,
    // by a search of the user's entries only for those without one.
    const QString left =
        QStringLiteral(
            "(CASE WHEN %1 = '' THEN NOT EXISTS (SELECT 1 FROM DietActivity WHERE UserName = "
            "OLD.UserName AND %2 = '') ELSE NOT EXISTS (SELECT 1 FROM DietActivity WHERE UserName = "
            "OLD.UserName AND DietDate = OLD.DietDate) END)")
            .arg(oldDay, dietDayOf(QStringLiteral("DietDate")));
    const QString removed =
        QStringLiteral(
            "UPDATE DietMonths SET Days = Days & ~%1 WHERE %2 AND UserName = OLD.UserName AND Month = %3; "
            "DELETE FROM DietMonths WHERE UserName = OLD.UserName AND Month = %3 AND Days = 0;")
            .arg(bitOf(oldDay), left, monthOf(oldDay));
    exec(db, QStringLiteral("CREATE TRIGGER DietMonthsInsert AFTER INSERT ON DietActivity BEGIN %1 END")
                 .arg(added(QStringLiteral("NEW"))));
    exec(db, QStringLiteral("CREATE TRIGGER DietMonthsDelete AFTER DELETE ON DietActivity BEGIN %1 END")
                 .arg(removed));
    exec(db,
         QStringLiteral("CREATE TRIGGER DietMonthsUpdate AFTER UPDATE OF UserName, DietDate ON DietActivity "
                        "WHEN OLD.UserName IS NOT NEW.UserName OR %1 IS NOT %2 BEGIN %3 %4 END")
             .arg(oldDay, dietDayOf(QStringLiteral("NEW.DietDate")), removed, added(QStringLiteral("NEW"))));
}

bool hasDietMonths(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral(
            "SELECT count(*) FROM sqlite_master WHERE (type = 'table' AND name = 'DietMonths') "
            "OR (type = 'trigger' AND tbl_name = 'DietActivity' AND name IN "
            "('DietMonthsInsert', 'DietMonthsDelete', 'DietMonthsUpdate'))")) ||
        !query.next())
        throw DataError::fromEngine(query.lastError());
    return query.value(0).toInt() == 4;
}

void rebuildDietMonths(const QSqlDatabase& db)
{
    for (const char* trigger : kDietMonthTriggers)
        exec(db, QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(QLatin1String(trigger)));
    exec(db, QStringLiteral("DROP TABLE IF EXISTS DietMonths"));
    createDietMonths(db);
    exec(db, QStringLiteral("INSERT INTO DietMonths (UserName, Month, Days) ") + dietMonthsOfLog());
}

QString dietMonthsOfLog()
{
    // Each day's bit once: their sum is the month's Days.
    return QStringLiteral("SELECT UserName, %1 AS Month, sum(%2) AS Days FROM "
                          "(SELECT DISTINCT UserName, %3 AS day FROM DietActivity WHERE UserName IS NOT NULL) "
                          "GROUP BY UserName, %1")
        .arg(monthOf(QStringLiteral("day")), bitOf(QStringLiteral("day")), dietDayOf(QStringLiteral("DietDate")));
}

void createSnapShotTable(const QSqlDatabase& db)
{
    exec(db, QStringLiteral("CREATE TABLE SNAPSHOT (SNAPID INTEGER PRIMARY KEY, %1, SNAPVAL1 REAL, SNAPVAL2 REAL, "
                            "SNAPVAL3 REAL, SNAPVAL4 REAL, SNAPVAL5 REAL, SNAPVAL6 REAL, %2, %3, SNAPDATETM TEXT, %4)")
                 .arg(sized("USERNAME", 30), sized("SNAPVAL7", 15), sized("SNAPVAL8", 15),
                      sized("SNAPCOMMENTS", 200)));
    exec(db, QStringLiteral("CREATE UNIQUE INDEX pk_SnapShot ON SNAPSHOT (SNAPID)"));
    exec(db, QStringLiteral("CREATE INDEX SnapShotByUserTime ON SNAPSHOT (USERNAME, SNAPDATETM)"));
}

void writeNewDatabaseConfig(const QSqlDatabase& db, const QString& version)
{
    const QString insert =
        QStringLiteral("INSERT INTO CONFIG (ConfigItem, ConfigValue, SelectedConfig) VALUES (?, ?, ?)");
    exec(db, insert, {QStringLiteral("VERSION"), version, 0});
    for (int i = 1; i <= 4; ++i)
        exec(db, insert, {QStringLiteral("USER%1").arg(i), QStringLiteral("User %1").arg(i), i == 1 ? 1 : 0});
    const QStringList meals = {QStringLiteral("Breakfast"), QStringLiteral("Lunch"), QStringLiteral("Dinner"),
                               QStringLiteral("Snack")};
    for (int i = 0; i <= 9; ++i)
        exec(db, insert, {QStringLiteral("MEAL%1").arg(i), i < meals.size() ? meals[i] : QString(""), 0});
    const QStringList labels = {QStringLiteral("Weight"), QStringLiteral("Waist"), QStringLiteral("Chest"),
                                QStringLiteral("Thighs")};
    for (int i = 1; i <= 8; ++i)
        exec(db, insert, {QStringLiteral("SNAPSHOT%1").arg(i), i <= labels.size() ? labels[i - 1] : QString(""), 0});
    exec(db, insert, {QStringLiteral("OTHER1"), QStringLiteral("Fiber"), 0});
    exec(db, insert, {QStringLiteral("OTHER2"), QStringLiteral("Sugars"), 0});
    exec(db, insert, {QStringLiteral("SHOWMEALS"), QStringLiteral("Y"), 0});
    exec(db, insert, {QStringLiteral("SHOWTIPS"), QStringLiteral("Y"), 0});
}

void writeTableKeys(const QSqlDatabase& db)
{
    exec(db, QStringLiteral("DELETE FROM TableKey WHERE KeyName IN ('FOODGROUP', 'FOODITEM', 'DIETACTIVITY', "
                            "'SNAPSHOT')"));
    const QString insert = QStringLiteral("INSERT INTO TableKey (KeyName, KeyValue) VALUES (?, "
                                          "(SELECT coalesce(max(%1), 0) FROM %2))");
    exec(db, insert.arg(QLatin1String("GroupId"), QLatin1String("FoodGroup")), {QStringLiteral("FOODGROUP")});
    exec(db, insert.arg(QLatin1String("FoodId"), QLatin1String("FoodItem")), {QStringLiteral("FOODITEM")});
    exec(db, insert.arg(QLatin1String("DietId"), QLatin1String("DietActivity")), {QStringLiteral("DIETACTIVITY")});
    exec(db, insert.arg(QLatin1String("SNAPID"), QLatin1String("SNAPSHOT")), {QStringLiteral("SNAPSHOT")});
}

namespace {

struct TableColumns
{
    const char* table;
    QStringList columns;
};

const QList<TableColumns>& requiredTables()
{
    static const QStringList nutrients = {"Fat",    "Protein",     "Carbohydrate", "Calorie",
                                          "Sodium", "Cholesterol", "Other1",       "Other2"};
    static const QList<TableColumns> tables = {
        {"CONFIG", {"ConfigItem", "ConfigValue", "SelectedConfig"}},
        {"TableKey", {"KeyName", "KeyValue"}},
        {"FoodGroup", {"GroupId", "GroupName", "ParentGroup", "GroupTag"}},
        {"FoodItem", QStringList{"FoodId", "FoodName", "GroupId", "ServingSize", "USDA_NDB_NO",
                                 "USDA_MSRE_NO", "USDA_GM_WT"} +
                         nutrients},
        {"USDA_Measures", {"NDB_NO", "MSRE_NO", "MSRE_DESC", "GM_WT"}},
        {"DietActivity",
         QStringList{"DietId", "UserName", "DietDate", "MealName", "GroupName", "FoodName", "NumServings",
                     "ServingSize", "USDA_NDB_NO", "USDA_MSRE_NO", "USDA_GM_WT"} +
             nutrients},
        {"Meal", {"MealName"}},
        {"SnapShot",
         {"SNAPID", "USERNAME", "SNAPVAL1", "SNAPVAL2", "SNAPVAL3", "SNAPVAL4", "SNAPVAL5", "SNAPVAL6",
          "SNAPVAL7", "SNAPVAL8", "SNAPDATETM", "SNAPCOMMENTS"}},
    };
    return tables;
}

// The first column of every row of a statement.
QStringList firstColumn(const QSqlDatabase& db, const QString& sql, const QVariantList& params = {})
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw DataError::fromEngine(query.lastError(), sql);
    for (const QVariant& param : params)
        query.addBindValue(param);
    if (!query.exec())
        throw DataError::fromEngine(query.lastError(), sql);
    QStringList values;
    while (query.next())
        values << query.value(0).toString().toLower();
    return values;
}

} // namespace

QStringList missingParts(const QSqlDatabase& db, bool withSnapShot)
{
    // Names compare without regard to case, as the engine matches them.
    const QStringList tables =
        firstColumn(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
    QStringList missing;
    for (const TableColumns& required : requiredTables()) {
        const QString table = QLatin1String(required.table);
        if (!withSnapShot && table == QLatin1String("SnapShot"))
            continue;
        if (!tables.contains(table.toLower())) {
            missing << table;
            continue;
        }
        const QStringList columns =
            firstColumn(db, QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table});
        for (const QString& column : required.columns) {
            if (!columns.contains(column.toLower()))
                missing << table + QLatin1Char('.') + column;
        }
    }
    return missing;
}

QStringList keySequences(bool withSnapShot)
{
    QStringList sequences = {QStringLiteral("FOODGROUP"), QStringLiteral("FOODITEM"),
                             QStringLiteral("DIETACTIVITY")};
    if (withSnapShot)
        sequences << QStringLiteral("SNAPSHOT");
    return sequences;
}

QList<KeyFault> keyFaults(const QSqlDatabase& db, bool withSnapShot)
{
    // The first row of a sequence is the one key allocation uses.
    const QString sql =
        QStringLiteral("SELECT upper(KeyName), KeyValue, typeof(KeyValue) FROM TableKey ORDER BY rowid");
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(sql))
        throw DataError::fromEngine(query.lastError(), sql);
    QHash<QString, std::pair<QVariant, QString>> first;
    while (query.next()) {
        const QString name = query.value(0).toString();
        if (!first.contains(name))
            first.insert(name, {query.value(1), query.value(2).toString()});
    }
    QList<KeyFault> faults;
    for (const QString& sequence : keySequences(withSnapShot)) {
        const auto it = first.constFind(sequence);
        if (it == first.constEnd())
            faults << KeyFault{sequence, true, {}};
        else if (it->second != QLatin1String("integer"))
            faults << KeyFault{sequence, false, it->first};
    }
    return faults;
}

void writeFile(const QString& path, const std::function<void(const QSqlDatabase&)>& fill, bool compact)
{
    const QString connection = QStringLiteral("foodlark-writefile");
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        try {
            if (!db.open())
                throw DataError::fromEngine(db.lastError());
            exec(db, QStringLiteral("PRAGMA synchronous = OFF"));
            exec(db, QStringLiteral("PRAGMA journal_mode = MEMORY"));
            if (!db.transaction())
                throw DataError::fromEngine(db.lastError());
            fill(db);
            if (!db.commit())
                throw DataError::fromEngine(db.lastError());
            if (compact)
                exec(db, QStringLiteral("VACUUM"));
        } catch (const DataError& error) {
            db.rollback();
            failure = QString::fromUtf8(error.what());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    if (!failure.isEmpty()) {
        QFile::remove(path);
        throw DataError(failure.toStdString());
    }
}

} // namespace Schema
