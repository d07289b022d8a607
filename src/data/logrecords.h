#pragma once

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVector>

struct sqlite3;
struct sqlite3_stmt;

// The rows of the whole log as the export writes them and the import adds
// them: the user's own food groups and foods, the diet entries and the
// physical snapshots, each as the values of its stored columns (a value the
// table holds as Null is a null QVariant). Rows hold no ids: the import
// numbers what it adds from TableKey.
namespace LogRecords {

enum class Kind { Group, Food, Entry, Snapshot };

enum class Type {
    Text,
    Integer, // a whole number of 32 bits
    Real,
    Day,    // "YYYY-MM-DD"
    Moment, // "YYYY-MM-DD HH:MM:SS"
};

struct Column
{
    const char* name;
    Type type;
    int maxLength = 0;     // the most characters a text may have (0: no limit)
    bool required = false; // a row must have a value here
};

// The columns of a kind, in the order rows hold them. A group is its root's
// name and its own; a food is its root's name and its group's name (none
// when it lies in a top-level group itself), then its stored columns.
const QList<Column>& columns(Kind kind);

using Row = QVector<QVariant>;

// Which rows of the log the export takes: one user's ("" for every user)
// and the days from from to to (an invalid date leaves that end open).
// Groups and foods belong to no user and no day: they are always taken whole.
struct Filter
{
    QString user;
    QDate from;
    QDate to;
};

// The rows of a kind one at a time, in an order that depends only on what
// the rows hold (never on their ids): the same log always reads the same.
// Only the user's own groups and foods are read: a food is the user's when
// its USDA number is not its own id (items made by the user, and copies),
// a group when it lies below a top-level group and holds no original USDA
// item. Throws DataError.
class Reader
{
public:
    Reader(const QSqlDatabase& db, Kind kind, const Filter& filter = {});
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    bool next();
    const Row& row() const { return m_row; }

private:
    sqlite3* m_connection = nullptr;
    sqlite3_stmt* m_statement = nullptr;
    Row m_row;
};

// A FoodGroup row.
struct Group
{
    qint32 id = 0;
    QString name;
    qint32 parent = 0;
    QString tag;
};
// Every food group, in id order. Throws DataError.
QList<Group> groups(const QSqlDatabase& db);

// Whether the database holds any diet entry or snapshot. Throws DataError.
bool holdsLog(const QSqlDatabase& db);

// Appends rows with the ids given, each statement prepared once for all
// the rows; throws DataError. Readers and writers work on the engine's own
// connection: an export or import goes through tens of thousands of rows.
class Writer
{
public:
    explicit Writer(const QSqlDatabase& db);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void addGroup(qint32 id, const QString& name, qint32 parent, const QString& tag);
    // food: a row of Kind::Food; its root and group names are not stored.
    void addFood(qint32 id, qint32 groupId, const Row& food);
    void addEntry(qint32 id, const Row& entry);
    void addSnapshot(qint32 id, const Row& snapshot);

private:
    void add(Kind kind, QVariantList values, const Row& row, int first);
    void run(sqlite3_stmt*& statement, const QByteArray& sql, const QVariantList& values);

    sqlite3* m_connection = nullptr;
    sqlite3_stmt* m_statements[4] = {}; // by kind, each prepared when first run
};

} // namespace LogRecords
