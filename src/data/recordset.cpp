#include "data/recordset.h"

#include "data/dateliterals.h"
#include "data/likepattern.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <limits>
#include <optional>

namespace {

// Rows read at once while a dynaset is walked row by row: a walk over a long
// set costs one query per block instead of one per row.
constexpr int kFetchBlock = 64;
constexpr int kCacheLimit = 4096;

QSqlQuery run(const QSqlDatabase& db, const QString& sql, const QVariantList& params)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw DataError::fromEngine(query.lastError());
    for (const QVariant& param : params)
        query.addBindValue(param);
    if (!query.exec())
        throw DataError::fromEngine(query.lastError());
    return query;
}

QString quoted(const QString& identifier)
{
    return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

bool isNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

bool valuesEqual(const QVariant& stored, const QVariant& wanted)
{
    if (stored.isNull() || wanted.isNull())
        return false;
    if (isNumber(stored) && isNumber(wanted))
        return stored.toDouble() == wanted.toDouble();
    return QString::compare(stored.toString(), wanted.toString(), Qt::CaseInsensitive) == 0;
}

// LIKE pattern that finds text literally anywhere in a column.
QString containsPattern(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + 2);
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

} // namespace

DataError DataError::fromEngine(const QSqlError& error, const QString& statement)
{
    QString text = error.text();
    if (!statement.isEmpty())
        text += QStringLiteral(" in: ") + statement;
    // The driver reports SQLite's result code as text; an extended code
    // carries the primary one in its low byte.
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return DataError(text.toStdString(), ok ? (code & 0xff) : 0);
}

void Recordset::openDynaset(const QSqlDatabase& db, const QString& table, const QString& where,
                            const QVariantList& params, const QString& orderBy)
{
    close();
    QStringList columns;
    QString keyColumn;
    int keyParts = 0;
    {
        QSqlQuery info = run(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table)), {});
        while (info.next()) {
            columns << info.value(1).toString();
            if (info.value(5).toInt() > 0) {
                ++keyParts;
                if (info.value(2).toString().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                    keyColumn = info.value(1).toString();
            }
        }
    }
    if (columns.isEmpty())
        throw DataError(("no such table: " + table).toStdString());
    if (keyParts != 1)
        keyColumn.clear();

    QString sql = QStringLiteral("SELECT rowid FROM %1").arg(quoted(table));
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    if (!orderBy.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + orderBy;
    QVector<qint64> rowIds;
    QSqlQuery keys = run(db, sql, params);
    while (keys.next())
        rowIds.append(keys.value(0).toLongLong());

    m_db = db;
    m_table = table;
    m_where = where;
    m_params = params;
    m_keyColumn = keyColumn;
    m_columns = columns;
    for (int i = 0; i < columns.size(); ++i)
        m_columnIndex.insert(columns[i].toLower(), i);
    m_rowIds = std::move(rowIds);
    m_kind = Kind::Dynaset;
    m_position = m_rowIds.isEmpty() ? -1 : 0;
}

void Recordset::openSnapshot(const QSqlDatabase& db, const QString& sql, const QVariantList& params)
{
    close();
    QSqlQuery query = run(db, sql, params);
    const QSqlRecord record = query.record();
    QStringList columns;
    for (int i = 0; i < record.count(); ++i)
        columns << record.fieldName(i);
    QVector<QVector<QVariant>> rows;
    while (query.next()) {
        QVector<QVariant> row(columns.size());
        for (int i = 0; i < columns.size(); ++i)
            row[i] = query.value(i);
        rows.append(std::move(row));
    }
    m_db = db;
    m_columns = columns;
    for (int i = 0; i < columns.size(); ++i)
        m_columnIndex.insert(columns[i].toLower(), i);
    m_rows = std::move(rows);
    m_kind = Kind::Snapshot;
    m_position = m_rows.isEmpty() ? -1 : 0;
}

void Recordset::close()
{
    m_kind = Kind::Closed;
    m_db = QSqlDatabase();
    m_columns.clear();
    m_columnIndex.clear();
    m_table.clear();
    m_where.clear();
    m_params.clear();
    m_keyColumn.clear();
    m_rowIds.clear();
    m_positionOf.clear();
    m_positionsValid = false;
    m_cache.clear();
    m_rows.clear();
    m_position = -1;
    m_currentDeleted = false;
    m_noMatch = false;
    m_lastModified = -1;
    m_editMode = EditMode::None;
    m_buffer.clear();
    m_dirty.clear();
}

int Recordset::recordCount() const
{
    switch (m_kind) {
    case Kind::Dynaset:
        return m_rowIds.size();
    case Kind::Snapshot:
        return m_rows.size();
    case Kind::Closed:
        break;
    }
    return 0;
}

bool Recordset::bof() const
{
    return recordCount() == 0 || m_position < 0;
}

bool Recordset::eof() const
{
    return recordCount() == 0 || m_position >= recordCount();
}

bool Recordset::hasCurrent() const
{
    return isOpen() && !m_currentDeleted && m_position >= 0 && m_position < recordCount();
}

int Recordset::absolutePosition() const
{
    return hasCurrent() ? m_position : -1;
}

void Recordset::leaveRow()
{
    m_editMode = EditMode::None;
    m_buffer.clear();
    m_dirty.clear();
}

void Recordset::seek()
{
    // A row reached by a seek is read afresh, so it shows what other statements
    // (bulk deletions, other recordsets) have stored since it was last read.
    leaveRow();
    m_cache.clear();
    m_sequential = false;
    m_currentDeleted = false;
}

void Recordset::step()
{
    leaveRow();
    m_sequential = true;
}

void Recordset::moveFirst()
{
    seek();
    m_position = recordCount() == 0 ? -1 : 0;
}

void Recordset::moveLast()
{
    seek();
    m_position = recordCount() - 1;
}

void Recordset::moveNext()
{
    step();
    if (m_currentDeleted)
        m_currentDeleted = false; // the row after the deleted one now stands at its position
    else if (m_position < recordCount())
        ++m_position;
}

void Recordset::movePrevious()
{
    step();
    m_currentDeleted = false;
    if (m_position >= 0)
        --m_position;
}

void Recordset::move(int rows)
{
    if (rows == 0)
        return;
    step();
    if (m_currentDeleted) {
        m_currentDeleted = false;
        if (rows > 0)
            --rows;
    }
    const qint64 target = qint64(m_position) + rows;
    m_position = int(qBound<qint64>(-1, target, qint64(recordCount())));
}

int Recordset::positionOf(qint64 rowId) const
{
    if (!m_positionsValid) {
        m_positionOf.clear();
        m_positionOf.reserve(m_rowIds.size());
        for (int i = 0; i < m_rowIds.size(); ++i)
            m_positionOf.insert(m_rowIds[i], i);
        m_positionsValid = true;
    }
    return m_positionOf.value(rowId, -1);
}

bool Recordset::find(const Criteria& criteria, int after)
{
    if (!isOpen())
        throw DataError("the recordset is not open");
    const int column = columnIndex(criteria.column);
    const bool like = criteria.op == Criteria::Op::Like;
    const std::optional<LikePattern> pattern =
        like ? std::optional<LikePattern>(LikePattern(criteria.value.toString())) : std::nullopt;
    int found = -1;
    if (m_kind == Kind::Snapshot) {
        const QString needle = criteria.value.toString();
        // Dates and times are compared in the form they are stored in.
        const QVariant wanted = storable(criteria.value);
        for (int i = qMax(after + 1, 0); i < m_rows.size() && found < 0; ++i) {
            const QVariant& stored = m_rows[i][column];
            bool match = false;
            if (criteria.op == Criteria::Op::Equals)
                match = valuesEqual(stored, wanted);
            else if (!stored.isNull())
                match = like ? pattern->matches(stored.toString())
                             : stored.toString().contains(needle, Qt::CaseInsensitive);
            if (match)
                found = i;
        }
    } else if (criteria.op == Criteria::Op::Equals && !m_keyColumn.isEmpty() &&
               m_columns[column] == m_keyColumn && isNumber(criteria.value)) {
        const int position = positionOf(criteria.value.toLongLong());
        if (position > after)
            found = position;
    } else {
        const QString name = quoted(m_columns[column]);
        QString condition = criteria.op == Criteria::Op::Equals
                                ? QStringLiteral("%1 = ?").arg(name)
                                : QStringLiteral("%1 LIKE ? ESCAPE '\\'").arg(name);
        QVariantList params = m_params;
        if (!m_where.isEmpty())
            condition = QStringLiteral("(%1) AND %2").arg(m_where, condition);
        if (criteria.op == Criteria::Op::Equals)
            params << storable(criteria.value);
        else
            params << (like ? pattern->sqlFilter() : containsPattern(criteria.value.toString()));
        // A pattern's rows are sifted by the database, then matched exactly here.
        QSqlQuery query =
            run(m_db,
                QStringLiteral("SELECT rowid%1 FROM %2 WHERE %3")
                    .arg(like ? QStringLiteral(", ") + name : QString(), quoted(m_table), condition),
                params);
        while (query.next()) {
            const int position = positionOf(query.value(0).toLongLong());
            if (position > after && (found < 0 || position < found) &&
                (!like || pattern->matches(query.value(1).toString())))
                found = position;
        }
    }
    m_noMatch = found < 0;
    if (found >= 0) {
        seek();
        m_position = found;
    }
    return found >= 0;
}

bool Recordset::findFirst(const Criteria& criteria)
{
    return find(criteria, -1);
}

bool Recordset::findNext(const Criteria& criteria)
{
    // From a deleted row the search starts at the row that took its place.
    return find(criteria, m_currentDeleted ? m_position - 1 : m_position);
}

Recordset::Bookmark Recordset::bookmark() const
{
    if (!hasCurrent())
        return -1;
    return m_kind == Kind::Dynaset ? m_rowIds[m_position] : m_position;
}

void Recordset::setBookmark(Bookmark bookmark)
{
    const int position = m_kind == Kind::Dynaset ? positionOf(bookmark)
                         : (bookmark >= 0 && bookmark < recordCount()) ? int(bookmark)
                                                                        : -1;
    if (position < 0)
        throw DataError("not a valid bookmark");
    seek();
    m_position = position;
}

int Recordset::columnIndex(const QString& column) const
{
    const auto it = m_columnIndex.constFind(column.toLower());
    if (it == m_columnIndex.constEnd())
        throw DataError(("no such column: " + column).toStdString());
    return *it;
}

void Recordset::requireCurrent() const
{
    if (!hasCurrent())
        throw DataError("no current record");
}

void Recordset::requireDynaset(const char* operation) const
{
    if (m_kind != Kind::Dynaset)
        throw DataError(std::string("the recordset is not updatable: ") + operation);
}

void Recordset::fetchDynasetBlock(int position) const
{
    if (m_cache.size() > kCacheLimit)
        m_cache.clear();
    const int end = qMin<int>(position + (m_sequential ? kFetchBlock : 1), m_rowIds.size());
    QVariantList ids;
    QStringList marks;
    for (int i = position; i < end; ++i) {
        if (!m_cache.contains(m_rowIds[i])) {
            ids << m_rowIds[i];
            marks << QStringLiteral("?");
        }
    }
    QSqlQuery query = run(
        m_db, QStringLiteral("SELECT rowid, * FROM %1 WHERE rowid IN (%2)").arg(quoted(m_table), marks.join(',')),
        ids);
    while (query.next()) {
        QVector<QVariant> row(m_columns.size());
        for (int i = 0; i < m_columns.size(); ++i)
            row[i] = query.value(i + 1);
        m_cache.insert(query.value(0).toLongLong(), std::move(row));
    }
}

const QVector<QVariant>& Recordset::currentRow() const
{
    requireCurrent();
    if (m_kind == Kind::Snapshot)
        return m_rows[m_position];
    const qint64 rowId = m_rowIds[m_position];
    auto it = m_cache.constFind(rowId);
    if (it == m_cache.constEnd()) {
        fetchDynasetBlock(m_position);
        it = m_cache.constFind(rowId);
        if (it == m_cache.constEnd())
            throw DataError("the record has been deleted");
    }
    return *it;
}

QVariant Recordset::value(const QString& column) const
{
    const int index = columnIndex(column);
    if (m_editMode != EditMode::None)
        return m_buffer[index];
    return currentRow()[index];
}

qint32 Recordset::integer(const QString& column) const
{
    const QVariant v = value(column);
    const qint64 n = v.typeId() == QMetaType::Double ? qRound64(v.toDouble()) : v.toLongLong();
    return qint32(qBound<qint64>(qint64(std::numeric_limits<qint32>::min()), n, qint64(std::numeric_limits<qint32>::max())));
}

QDate Recordset::date(const QString& column) const
{
    const QVariant v = value(column);
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

QDateTime Recordset::dateTime(const QString& column) const
{
    const QVariant v = value(column);
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    const QString text = v.toString();
    if (text.size() <= 10)
        return QDateTime(QDate::fromString(text, Qt::ISODate), QTime(0, 0));
    return fromStoredDateTime(text.left(19));
}

QVariant Recordset::storable(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    default:
        return value;
    }
}

void Recordset::addNew()
{
    requireDynaset("AddNew");
    m_editMode = EditMode::AddNew;
    m_buffer = QVector<QVariant>(m_columns.size());
    m_dirty = QVector<bool>(m_columns.size(), false);
}

void Recordset::edit()
{
    requireDynaset("Edit");
    m_buffer = currentRow();
    m_dirty = QVector<bool>(m_columns.size(), false);
    m_editMode = EditMode::Edit;
}

void Recordset::setValue(const QString& column, const QVariant& value)
{
    if (m_editMode == EditMode::None)
        throw DataError("Update without AddNew or Edit");
    const int index = columnIndex(column);
    m_buffer[index] = storable(value);
    m_dirty[index] = true;
}

void Recordset::update()
{
    if (m_editMode == EditMode::None)
        throw DataError("Update without AddNew or Edit");
    QStringList names;
    QVariantList values;
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_dirty[i]) {
            names << quoted(m_columns[i]);
            values << m_buffer[i];
        }
    }
    if (m_editMode == EditMode::Edit) {
        qint64 rowId = m_rowIds[m_position];
        if (!names.isEmpty()) {
            QStringList assignments;
            for (const QString& name : names)
                assignments << name + QStringLiteral(" = ?");
            values << rowId;
            const QSqlQuery query = run(
                m_db, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(quoted(m_table), assignments.join(", ")),
                values);
            // A row deleted behind the recordset must not count as stored.
            if (query.numRowsAffected() == 0)
                throw DataError("the record has been deleted");
            m_cache.remove(rowId);
            // The key column of such a table is its row id: a new key moves the row.
            if (!m_keyColumn.isEmpty()) {
                const int key = columnIndex(m_keyColumn);
                if (m_dirty[key] && m_buffer[key].toLongLong() != rowId) {
                    rowId = m_buffer[key].toLongLong();
                    m_rowIds[m_position] = rowId;
                    m_positionsValid = false;
                }
            }
        }
        m_lastModified = rowId;
    } else {
        QString sql;
        if (names.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(m_table));
        } else {
            QStringList marks;
            for (int i = 0; i < names.size(); ++i)
                marks << QStringLiteral("?");
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoted(m_table), names.join(", "), marks.join(", "));
        }
        const QSqlQuery query = run(m_db, sql, values);
        const qint64 rowId = query.lastInsertId().toLongLong();
        m_rowIds.append(rowId);
        if (m_positionsValid)
            m_positionOf.insert(rowId, m_rowIds.size() - 1);
        m_lastModified = rowId;
    }
    leaveRow();
}

void Recordset::cancelUpdate()
{
    leaveRow();
}

void Recordset::deleteCurrent()
{
    requireDynaset("Delete");
    requireCurrent();
    leaveRow();
    const qint64 rowId = m_rowIds[m_position];
    run(m_db, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(m_table)), {rowId});
    m_rowIds.removeAt(m_position);
    m_cache.remove(rowId);
    m_positionsValid = false;
    m_currentDeleted = true;
    if (m_lastModified == rowId)
        m_lastModified = -1;
}
