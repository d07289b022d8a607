#pragma once

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>
#include <stdexcept>

class QSqlError;

// A failure of the database engine or a misuse of a recordset (writing to a
// read-only one, reading with no current row). Callers that trap their own
// failures catch it and show their message.
class DataError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
    // A failure the engine reported, with SQLite's result code.
    DataError(const std::string& what, int engineCode) : std::runtime_error(what), m_engineCode(engineCode) {}
    // The engine's failure of a statement, its text added to the engine's words.
    static DataError fromEngine(const QSqlError& error, const QString& statement = QString());

    // SQLite's primary result code, 0 when the failure is not the engine's.
    int engineCode() const { return m_engineCode; }
    // The disk (or the file's size limit) is full: nothing more could be written.
    bool diskFull() const { return m_engineCode == 13; }
    // The engine found the file damaged.
    bool damaged() const { return m_engineCode == 11; }

private:
    int m_engineCode = 0;
};

// A search condition for FindFirst / FindNext: a column equal to a value
// (text compared without regard to case), a text column containing a text
// anywhere, matched literally and without regard to case, or a text column
// matching a LikePattern.
struct Criteria
{
    enum class Op { Equals, Contains, Like };
    QString column;
    Op op = Op::Equals;
    QVariant value;

    static Criteria equals(const QString& column, const QVariant& value) { return {column, Op::Equals, value}; }
    static Criteria contains(const QString& column, const QString& text) { return {column, Op::Contains, text}; }
    static Criteria like(const QString& column, const QString& pattern)
    {
        return {column, Op::Like, pattern};
    }
};

// Rows of a query held in order, navigated like a DAO recordset.
//
// A dynaset is updatable: it holds the row ids of its table's rows in query
// order and reads a row's values when the row is visited, so a recordset over
// tens of thousands of rows opens quickly. AddNew / Edit / Update / Delete write
// through to the table at once; a row added by AddNew joins the end of the set
// and an edited row keeps its place.
// A snapshot is a read-only copy of the rows of any query.
class Recordset
{
public:
    enum class Kind { Closed, Dynaset, Snapshot };
    enum class EditMode { None, Edit, AddNew };
    // A row id for a dynaset, a row index for a snapshot; -1 for none.
    using Bookmark = qint64;

    Recordset() = default;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // When a dynaset reads its row ids: at once, or when they are first needed
    // (a move other than to the first row, a search other than for a key, an
    // absolute position, a bookmark of the first row). Until then it stands on
    // rows by their ids, so finding a row by its key, reading, editing,
    // appending and deleting rows take the same time on a set of a million rows
    // as on one of ten. The rows, their order and the positions are the same
    // either way, with two exceptions: moving on from a row deleted before the
    // ids were read starts at the first row, and rows that other statements
    // add to the table meanwhile are in the set when its ids are read later
    // (the program adds rows only through its recordsets).
    enum class Keys { AtOnce, WhenNeeded };

    // table: the table of the rows; where: a condition with ? placeholders for
    // params (or empty); orderBy: the ORDER BY list (or empty for table order),
    // plain column names for ids read when needed.
    void openDynaset(const QSqlDatabase& db, const QString& table, const QString& where,
                     const QVariantList& params, const QString& orderBy, Keys keys = Keys::AtOnce);
    void openSnapshot(const QSqlDatabase& db, const QString& sql, const QVariantList& params);
    // Closes the recordset; an open edit is discarded.
    void close();

    bool isOpen() const { return m_kind != Kind::Closed; }
    Kind kind() const { return m_kind; }
    bool isUpdatable() const { return m_kind == Kind::Dynaset; }
    QStringList columns() const { return m_columns; }

    int recordCount() const;
    // recordCount() == 0, without counting a long set whose ids are not read.
    bool isEmpty() const;
    bool bof() const;
    bool eof() const;
    // True when the recordset stands on a row (not before the first, after the
    // last, or on a deleted row).
    bool hasCurrent() const;
    // 0-based position of the current row, -1 when there is none.
    int absolutePosition() const;

    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    // Moves by rows from the current position (past either end gives BOF / EOF).
    void move(int rows);

    // Searches from the first row / from the row after the current one. On a
    // match the row becomes current; otherwise the position stays as it was.
    bool findFirst(const Criteria& criteria);
    bool findNext(const Criteria& criteria);
    bool noMatch() const { return m_noMatch; }

    Bookmark bookmark() const;
    void setBookmark(Bookmark bookmark);
    // The row most recently stored by Update (appended or edited).
    Bookmark lastModified() const { return m_lastModified; }

    // Value of a column of the current row (column names without regard to
    // case); during Edit / AddNew the value being written.
    QVariant value(const QString& column) const;
    QString text(const QString& column) const { return value(column).toString(); }
    double number(const QString& column) const { return value(column).toDouble(); }
    qint32 integer(const QString& column) const;
    bool flag(const QString& column) const { return value(column).toBool(); }
    QDate date(const QString& column) const;
    QDateTime dateTime(const QString& column) const;

    void addNew();
    void edit();
    // Dates are stored as "YYYY-MM-DD", date-times as "YYYY-MM-DD HH:MM:SS".
    void setValue(const QString& column, const QVariant& value);
    void update();
    void cancelUpdate();
    // Deletes the current row; there is no current row afterwards until a move.
    void deleteCurrent();
    EditMode editMode() const { return m_editMode; }

private:
    // Where a dynaset whose ids are not read yet stands: on its first row (or
    // at both ends of an empty set), on a row known by its id, or on no row
    // after a deletion (then before the first row once the ids are read).
    enum class Early { First, Row, Unplaced };

    int columnIndex(const QString& column) const;
    const QVector<QVariant>& currentRow() const;
    qint64 currentRowId() const;
    void loadKeys() const;
    bool isMember(qint64 rowId) const;
    QVariantList sortValues(const QVector<QVariant>& row) const;
    QString conditions(const QStringList& extra) const;
    bool isKeyCriteria(const Criteria& criteria) const;
    QString matchCondition(const Criteria& criteria, QVariantList& params) const;
    QString afterCondition(const QVariantList& values, QVariantList& params) const;
    std::optional<qint64> seekMatch(const Criteria& criteria, bool afterCurrent) const;
    void leaveRow();
    void seek();
    void step();
    void requireDynaset(const char* operation) const;
    void requireCurrent() const;
    int positionOf(qint64 rowId) const;
    bool find(const Criteria& criteria, int after);
    void fetchDynasetBlock(int position) const;
    void fetchRows(const QVariantList& rowIds) const;
    static QVariant storable(const QVariant& value);

    Kind m_kind = Kind::Closed;
    QSqlDatabase m_db;
    QStringList m_columns;
    QHash<QString, int> m_columnIndex; // lower-case name -> index

    // Dynaset state.
    QString m_table;
    QString m_where;
    QVariantList m_params;
    QString m_keyColumn; // the INTEGER PRIMARY KEY column, when the table has one
    QString m_orderBy;
    QStringList m_orderColumns;
    mutable QVector<qint64> m_rowIds;
    // A set whose ids are read when needed keeps the rows appended and those
    // edited (with their sort values as the set was opened), which place them;
    // until the ids are read: where the set stands, and its size once counted
    // (-1 before).
    mutable bool m_keysLoaded = true;
    bool m_seekable = false;
    QList<qint64> m_appended;
    QHash<qint64, QVariantList> m_edited;
    mutable Early m_early = Early::First;
    mutable qint64 m_earlyRowId = -1;
    mutable int m_count = -1;
    mutable QHash<qint64, int> m_positionOf;
    mutable bool m_positionsValid = false;
    mutable QHash<qint64, QVector<QVariant>> m_cache;
    bool m_sequential = false;

    // Snapshot state.
    QVector<QVector<QVariant>> m_rows;

    // Position: -1 before the first row, count() after the last.
    mutable int m_position = -1;
    mutable bool m_currentDeleted = false;
    bool m_noMatch = false;
    Bookmark m_lastModified = -1;

    EditMode m_editMode = EditMode::None;
    QVector<QVariant> m_buffer;
    QVector<bool> m_dirty;
};

// Closes a recordset when the scope is left, however it is left.
class CloseOnExit
{
public:
    explicit CloseOnExit(Recordset& recordset) : m_recordset(recordset) {}
    ~CloseOnExit() { m_recordset.close(); }
    CloseOnExit(const CloseOnExit&) = delete;
    CloseOnExit& operator=(const CloseOnExit&) = delete;

private:
    Recordset& m_recordset;
};
