#include "data/logrecords.h"

#include "data/recordset.h"
#include "data/storeddates.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <sqlite3.h>

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

sqlite3* connectionOf(const QSqlDatabase& db)
{
    const QVariant handle = db.isOpen() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0 || !*static_cast<sqlite3* const*>(handle.constData()))
        throw DataError("the database is not open");
    return *static_cast<sqlite3* const*>(handle.constData());
}

DataError failure(sqlite3* connection, int rc, const QByteArray& sql)
{
    return DataError(std::string(sqlite3_errmsg(connection)) + " (" + sql.toStdString() + ")", rc & 0xff);
}

// Binds value (null, a whole number, a number or a text) to the index-th placeholder.
void bind(sqlite3* connection, sqlite3_stmt* statement, int index, const QVariant& value, const QByteArray& sql)
{
    int rc = SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        rc = sqlite3_bind_int64(statement, index + 1, value.toLongLong());
        break;
    case QMetaType::Double:
        rc = sqlite3_bind_double(statement, index + 1, value.toDouble());
        break;
    default:
        if (value.isNull() || value.toString().isNull()) {
            rc = sqlite3_bind_null(statement, index + 1);
        } else {
            const QString text = value.toString();
            rc = sqlite3_bind_text16(statement, index + 1, text.utf16(), int(text.size() * sizeof(char16_t)),
                                     SQLITE_TRANSIENT);
        }
    }
    if (rc != SQLITE_OK)
        throw failure(connection, rc, sql);
}

} // namespace

const QList<Column>& columns(Kind kind)
{
    // By kind, in the order of Kind.
    static const QList<Column> all[] = {
        {{"Root", Type::Text, 60, true}, {"GroupName", Type::Text, 60, true}},
        QList<Column>{{"Root", Type::Text, 60}, {"GroupName", Type::Text, 60}, {"FoodName", Type::Text, 200},
                      {"ServingSize", Type::Text}} +
            kUsda + kNutrients,
        QList<Column>{{"UserName", Type::Text, 0, true}, {"DietDate", Type::Day, 0, true}, {"MealName", Type::Text},
                      {"GroupName", Type::Text, 60}, {"FoodName", Type::Text, 200}, {"ServingSize", Type::Text},
                      {"NumServings", Type::Real}} +
            kUsda + kNutrients,
        {{"USERNAME", Type::Text, 30, true}, {"SNAPDATETM", Type::Moment, 0, true}, {"SNAPVAL1", Type::Real},
         {"SNAPVAL2", Type::Real}, {"SNAPVAL3", Type::Real}, {"SNAPVAL4", Type::Real}, {"SNAPVAL5", Type::Real},
         {"SNAPVAL6", Type::Real}, {"SNAPVAL7", Type::Text, 15}, {"SNAPVAL8", Type::Text, 15},
         {"SNAPCOMMENTS", Type::Text, 200}}};
    return all[int(kind)];
}

Reader::Reader(const QSqlDatabase& db, Kind kind, const Filter& filter) : m_connection(connectionOf(db))
{
    QVariantList params;
    const QByteArray sql = selectSql(kind, filter, params).toUtf8();
    const int rc = sqlite3_prepare_v2(m_connection, sql.constData(), int(sql.size()), &m_statement, nullptr);
    if (rc != SQLITE_OK)
        throw failure(m_connection, rc, sql);
    for (int i = 0; i < params.size(); ++i)
        bind(m_connection, m_statement, i, params[i], sql);
    m_row.resize(columns(kind).size());
}

Reader::~Reader()
{
    sqlite3_finalize(m_statement);
}

bool Reader::next()
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_DONE)
        return false;
    if (rc != SQLITE_ROW)
        throw failure(m_connection, sqlite3_extended_errcode(m_connection), sqlite3_sql(m_statement));
    for (int i = 0; i < m_row.size(); ++i) {
        switch (sqlite3_column_type(m_statement, i)) {
        case SQLITE_INTEGER:
            m_row[i] = qint64(sqlite3_column_int64(m_statement, i));
            break;
        case SQLITE_FLOAT:
            m_row[i] = sqlite3_column_double(m_statement, i);
            break;
        case SQLITE_NULL:
            m_row[i] = QVariant();
            break;
        case SQLITE_BLOB:
            m_row[i] = QByteArray(static_cast<const char*>(sqlite3_column_blob(m_statement, i)),
                                  sqlite3_column_bytes(m_statement, i));
            break;
        default: {
            const auto* text = static_cast<const QChar*>(sqlite3_column_text16(m_statement, i));
            m_row[i] = text ? QString(text, sqlite3_column_bytes16(m_statement, i) / 2) : QStringLiteral("");
        }
        }
    }
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

Writer::Writer(const QSqlDatabase& db) : m_connection(connectionOf(db)) {}

Writer::~Writer()
{
    for (sqlite3_stmt* statement : m_statements)
        sqlite3_finalize(statement);
}

void Writer::run(sqlite3_stmt*& statement, const QByteArray& sql, const QVariantList& values)
{
    if (!statement) {
        const int rc = sqlite3_prepare_v2(m_connection, sql.constData(), int(sql.size()), &statement, nullptr);
        if (rc != SQLITE_OK)
            throw failure(m_connection, rc, sql);
    }
    for (int i = 0; i < values.size(); ++i)
        bind(m_connection, statement, i, values[i], sql);
    const int rc = sqlite3_step(statement);
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (rc != SQLITE_DONE)
        throw failure(m_connection, sqlite3_extended_errcode(m_connection), sql);
}

void Writer::addGroup(qint32 id, const QString& name, qint32 parent, const QString& tag)
{
    run(m_statements[int(Kind::Group)], "INSERT INTO FoodGroup (GroupId, GroupName, ParentGroup, GroupTag) VALUES (?, ?, ?, ?)",
        {id, name, parent, tag});
}

void Writer::add(Kind kind, QVariantList values, const Row& row, int first)
{
    // The statements of Food, Entry and Snapshot, made once: their ids (and a
    // food's group), then the row's stored columns from first on.
    static const QByteArray sql[] = {
        {},
        QStringLiteral("INSERT INTO FoodItem (FoodId, GroupId, %1) VALUES (?, ?, %2)")
            .arg(names(Kind::Food, 2), placeholders(int(columns(Kind::Food).size()) - 2))
            .toLatin1(),
        QStringLiteral("INSERT INTO DietActivity (DietId, %1) VALUES (?, %2)")
            .arg(names(Kind::Entry), placeholders(int(columns(Kind::Entry).size())))
            .toLatin1(),
        QStringLiteral("INSERT INTO SNAPSHOT (SNAPID, %1) VALUES (?, %2)")
            .arg(names(Kind::Snapshot), placeholders(int(columns(Kind::Snapshot).size())))
            .toLatin1()};
    values.append(QVariantList(row.begin() + first, row.end()));
    run(m_statements[int(kind)], sql[int(kind)], values);
}

void Writer::addFood(qint32 id, qint32 groupId, const Row& food)
{
    add(Kind::Food, {id, groupId}, food, 2);
}

void Writer::addEntry(qint32 id, const Row& entry)
{
    add(Kind::Entry, {id}, entry, 0);
}

void Writer::addSnapshot(qint32 id, const Row& snapshot)
{
    add(Kind::Snapshot, {id}, snapshot, 0);
}

} // namespace LogRecords
