#include "data/logrecords.h"

#include "data/recordset.h"
#include "data/storeddates.h"

#include <QSqlError>
#include <QStringList>

namespace LogRecords {

namespace {

const QList<Column> kNutrients = {{"Fat", Type::Real},      {"Protein", Type::Real},     {"Carbohydrate", Type::Real},
                                  {"Calorie", Type::Real},  {"Sodium", Type::Real},      {"Cholesterol", Type::Real},
                                  {"Other1", Type::Real},   {"Other2", Type::Real}};

const QList<Column> kUsda = {{"USDA_NDB_NO", Type::Integer}, {"USDA_MSRE_NO", Type::Integer}, {"USDA_GM_WT", Type::Real}};

// The names of columns from first on, joined with ", ".
QString names(Kind kind, int first = 0)
{
    QStringList list;
    for (const Column& column : columns(kind).mid(first))
        list << QLatin1String(column.name);
    return list.join(QLatin1String(", "));
}

// Sorted by every column in turn, texts by their exact characters (the
// tables compare them without regard to case, which would leave "apple" and
// "Apple" in id order).
QString orderByAll(Kind kind)
{
    QStringList terms;
    for (const Column& column : columns(kind))
        terms << QLatin1String(column.name) +
                     (column.type == Type::Text ? QLatin1String(" COLLATE BINARY") : QLatin1String());
    return QStringLiteral(" ORDER BY ") + terms.join(QLatin1String(", "));
}

QString placeholders(int count)
{
    QStringList marks;
    for (int i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    return marks.join(QLatin1String(", "));
}

// The statement of a Reader: only this program's own names go into it.
QString selectSql(Kind kind, const Filter& filter, QVariantList& params)
{
    QStringList conditions;
    switch (kind) {
    case Kind::Group:
        return QStringLiteral(
                   "SELECT * FROM (SELECT r.GroupName AS Root, g.GroupName AS GroupName FROM FoodGroup g "
                   "JOIN FoodGroup r ON r.GroupId = g.ParentGroup WHERE g.ParentGroup <> 0 AND NOT EXISTS "
                   "(SELECT 1 FROM FoodItem f WHERE f.GroupId = g.GroupId AND f.USDA_NDB_NO = f.FoodId))") +
               orderByAll(kind);
    case Kind::Food: {
        QStringList stored;
        for (const Column& column : columns(kind).mid(2))
            stored << QStringLiteral("f.") + QLatin1String(column.name);
        return QStringLiteral(
                   "SELECT * FROM (SELECT CASE WHEN g.ParentGroup = 0 THEN g.GroupName ELSE r.GroupName END "
                   "AS Root, CASE WHEN g.ParentGroup = 0 THEN NULL ELSE g.GroupName END AS GroupName, %1 "
                   "FROM FoodItem f LEFT JOIN FoodGroup g ON g.GroupId = f.GroupId LEFT JOIN FoodGroup r "
                   "ON r.GroupId = g.ParentGroup WHERE f.USDA_NDB_NO IS NOT f.FoodId)")
                   .arg(stored.join(QLatin1String(", "))) +
               orderByAll(kind);
    }
    case Kind::Entry:
        if (!filter.user.isEmpty()) {
            conditions << QStringLiteral("UserName = ?");
            params << filter.user;
        }
        if (filter.from.isValid()) {
            conditions << QStringLiteral("DietDate >= ?");
            params << storedDate(filter.from);
        }
        if (filter.to.isValid()) {
            conditions << QStringLiteral("DietDate <= ?");
            params << storedDate(filter.to);
        }
        break;
    case Kind::Snapshot:
        if (!filter.user.isEmpty()) {
            conditions << QStringLiteral("USERNAME = ?");
            params << filter.user;
        }
        if (filter.from.isValid()) {
            conditions << QStringLiteral("SNAPDATETM >= ?");
            params << storedDateTime(QDateTime(filter.from, QTime(0, 0)));
        }
        if (filter.to.isValid()) {
            conditions << QStringLiteral("SNAPDATETM <= ?");
            params << storedDateTime(QDateTime(filter.to, QTime(23, 59, 59)));
        }
        break;
    }
    return QStringLiteral("SELECT %1 FROM %2%3")
               .arg(names(kind), kind == Kind::Entry ? QLatin1String("DietActivity") : QLatin1String("SNAPSHOT"),
                    conditions.isEmpty() ? QString()
                                         : QStringLiteral(" WHERE ") + conditions.join(QLatin1String(" AND "))) +
           orderByAll(kind);
}

} // namespace

const QList<Column>& columns(Kind kind)
{
    static const QList<Column> group = {{"Root", Type::Text, 60, true}, {"GroupName", Type::Text, 60, true}};
    static const QList<Column> food = QList<Column>{{"Root", Type::Text, 60},
                                                    {"GroupName", Type::Text, 60},
                                                    {"FoodName", Type::Text, 200},
                                                    {"ServingSize", Type::Text}} +
                                      kUsda + kNutrients;
    static const QList<Column> entry =
        QList<Column>{{"UserName", Type::Text, 0, true}, {"DietDate", Type::Day, 0, true},
                      {"MealName", Type::Text},          {"GroupName", Type::Text, 60},
                      {"FoodName", Type::Text, 200},     {"ServingSize", Type::Text},
                      {"NumServings", Type::Real}} +
        kUsda + kNutrients;
    static const QList<Column> snapshot = {
        {"USERNAME", Type::Text, 30, true}, {"SNAPDATETM", Type::Moment, 0, true},
        {"SNAPVAL1", Type::Real},           {"SNAPVAL2", Type::Real},
        {"SNAPVAL3", Type::Real},           {"SNAPVAL4", Type::Real},
        {"SNAPVAL5", Type::Real},           {"SNAPVAL6", Type::Real},
        {"SNAPVAL7", Type::Text, 15},       {"SNAPVAL8", Type::Text, 15},
        {"SNAPCOMMENTS", Type::Text, 200}};
    switch (kind) {
    case Kind::Group:
        return group;
    case Kind::Food:
        return food;
    case Kind::Entry:
        return entry;
    case Kind::Snapshot:
        break;
    }
    return snapshot;
}

Reader::Reader(const QSqlDatabase& db, Kind kind, const Filter& filter) : m_query(db)
{
    QVariantList params;
    const QString sql = selectSql(kind, filter, params);
    m_query.setForwardOnly(true);
    if (!m_query.prepare(sql))
        throw DataError::fromEngine(m_query.lastError(), sql);
    for (const QVariant& param : params)
        m_query.addBindValue(param);
    if (!m_query.exec())
        throw DataError::fromEngine(m_query.lastError(), sql);
    m_row.resize(columns(kind).size());
}

bool Reader::next()
{
    if (!m_query.next()) {
        if (m_query.lastError().isValid())
            throw DataError::fromEngine(m_query.lastError());
        return false;
    }
    for (int i = 0; i < m_row.size(); ++i)
        m_row[i] = m_query.value(i);
    return true;
}

QList<Group> groups(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT GroupId, GroupName, ParentGroup, GroupTag FROM FoodGroup ORDER BY GroupId")))
        throw DataError::fromEngine(query.lastError());
    QList<Group> result;
    while (query.next())
        result.append({query.value(0).toInt(), query.value(1).toString(), query.value(2).toInt(),
                       query.value(3).toString()});
    if (query.lastError().isValid())
        throw DataError::fromEngine(query.lastError());
    return result;
}

bool holdsLog(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral(
            "SELECT EXISTS (SELECT 1 FROM DietActivity) OR EXISTS (SELECT 1 FROM SNAPSHOT)")) ||
        !query.next())
        throw DataError::fromEngine(query.lastError());
    return query.value(0).toBool();
}

Writer::Writer(const QSqlDatabase& db)
    : m_group(db), m_food(db), m_entry(db), m_snapshot(db)
{
}

void Writer::run(QSqlQuery& query, const char* sql, const QVariantList& values)
{
    // Each statement is prepared once and run for every row.
    if (query.lastQuery().isEmpty() && !query.prepare(QLatin1String(sql)))
        throw DataError::fromEngine(query.lastError(), QLatin1String(sql));
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values[i]);
    if (!query.exec())
        throw DataError::fromEngine(query.lastError(), QLatin1String(sql));
}

void Writer::addGroup(qint32 id, const QString& name, qint32 parent, const QString& tag)
{
    run(m_group, "INSERT INTO FoodGroup (GroupId, GroupName, ParentGroup, GroupTag) VALUES (?, ?, ?, ?)",
        {id, name, parent, tag});
}

void Writer::addFood(qint32 id, qint32 groupId, const Row& food)
{
    static const QByteArray sql = QStringLiteral("INSERT INTO FoodItem (FoodId, GroupId, %1) VALUES (?, ?, %2)")
                                      .arg(names(Kind::Food, 2), placeholders(int(columns(Kind::Food).size()) - 2))
                                      .toLatin1();
    QVariantList values = {id, groupId};
    values.append(QVariantList(food.begin() + 2, food.end()));
    run(m_food, sql.constData(), values);
}

void Writer::addEntry(qint32 id, const Row& entry)
{
    static const QByteArray sql = QStringLiteral("INSERT INTO DietActivity (DietId, %1) VALUES (?, %2)")
                                      .arg(names(Kind::Entry), placeholders(int(columns(Kind::Entry).size())))
                                      .toLatin1();
    QVariantList values = {id};
    values.append(QVariantList(entry.begin(), entry.end()));
    run(m_entry, sql.constData(), values);
}

void Writer::addSnapshot(qint32 id, const Row& snapshot)
{
    static const QByteArray sql = QStringLiteral("INSERT INTO SNAPSHOT (SNAPID, %1) VALUES (?, %2)")
                                      .arg(names(Kind::Snapshot), placeholders(int(columns(Kind::Snapshot).size())))
                                      .toLatin1();
    QVariantList values = {id};
    values.append(QVariantList(snapshot.begin(), snapshot.end()));
    run(m_snapshot, sql.constData(), values);
}

} // namespace LogRecords
