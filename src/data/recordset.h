#pragma once

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
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
// through to the table at once; a row added by AddNew joins the end of the set.
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

    // table: the table of the rows; where: a condition with ? placeholders for
    // params (or empty); orderBy: the ORDER BY list (or empty for table order).
    void openDynaset(const QSqlDatabase& db, const QString& table, const QString& where,
                     const QVariantList& params, const QString& orderBy);
    void openSnapshot(const QSqlDatabase& db, const QString& sql, const QVariantList& params);
    // Closes the recordset; an open edit is discarded.
    void close();

    bool isOpen() const { return m_kind != Kind::Closed; }
    Kind kind() const { return m_kind; }
    bool isUpdatable() const { return m_kind == Kind::Dynaset; }
    QStringList columns() const { return m_columns; }

    int recordCount() const;
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
    int columnIndex(const QString& column) const;
    const QVector<QVariant>& currentRow() const;
    void leaveRow();
    void seek();
    void step();
    void requireDynaset(const char* operation) const;
    void requireCurrent() const;
    int positionOf(qint64 rowId) const;
    bool find(const Criteria& criteria, int after);
    void fetchDynasetBlock(int position) const;
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
    QVector<qint64> m_rowIds;
    mutable QHash<qint64, int> m_positionOf;
    mutable bool m_positionsValid = false;
    mutable QHash<qint64, QVector<QVariant>> m_cache;
    bool m_sequential = false;

    // Snapshot state.
    QVector<QVector<QVariant>> m_rows;

    // Position: -1 before the first row, count() after the last.
    int m_position = -1;
    bool m_currentDeleted = false;
    bool m_noMatch = false;
    Bookmark m_lastModified = -1;

    EditMode m_editMode = EditMode::None;
    QVector<QVariant> m_buffer;
    QVector<bool> m_dirty;
};
