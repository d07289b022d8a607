#include "data/recordset.h"

#include "data/storeddates.h"
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
                            const QVariantList& params, const QString& orderBy, Keys keys)
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

    m_db = db;
    m_table = table;
    m_where = where;
    m_params = params;
    m_keyColumn = keyColumn;
    m_orderBy = orderBy;
    m_columns = columns;
    for (int i = 0; i < columns.size(); ++i)
        m_columnIndex.insert(columns[i].toLower(), i);
    // Ids are read late only for an order of plain columns, whose values an
    // edit may change and whose old values then still place the row.
    bool late = keys == Keys::WhenNeeded && !orderBy.isEmpty();
    for (const QString& column : orderBy.split(QLatin1Char(','))) {
        const QString name = column.trimmed();
        late = late && m_columnIndex.contains(name.toLower());
        m_orderColumns << name;
    }
    m_kind = Kind::Dynaset;
    m_keysLoaded = false;
    m_seekable = late;
    m_early = Early::First;
    if (!late)
        loadKeys();
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
    m_orderBy.clear();
    m_orderColumns.clear();
    m_rowIds.clear();
    m_keysLoaded = true;
    m_seekable = false;
    m_appended.clear();
    m_edited.clear();
    m_early = Early::First;
    m_earlyRowId = -1;
    m_count = -1;
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
        if (!m_keysLoaded) {
            if (m_count < 0) {
                QSqlQuery query = run(
                    m_db, QStringLiteral("SELECT count(*) FROM %1%2").arg(quoted(m_table), conditions({})),
                    m_params);
                m_count = query.next() ? query.value(0).toInt() : 0;
            }
            return m_count;
        }
        return m_rowIds.size();
    case Kind::Snapshot:
        return m_rows.size();
    case Kind::Closed:
        break;
    }
    return 0;
}

bool Recordset::isEmpty() const
{
    if (m_kind != Kind::Dynaset || m_keysLoaded || m_count >= 0)
        return recordCount() == 0;
    if (!m_appended.isEmpty() || !m_edited.isEmpty())
        return false;
    QSqlQuery query = run(
        m_db, QStringLiteral("SELECT 1 FROM %1%2 LIMIT 1").arg(quoted(m_table), conditions({})), m_params);
    return !query.next();
}

bool Recordset::bof() const
{
    if (isEmpty())
        return true;
    if (!m_keysLoaded && m_early != Early::Unplaced)
        return false;
    loadKeys();
    return m_position < 0;
}

bool Recordset::eof() const
{
    if (isEmpty())
        return true;
    if (!m_keysLoaded && m_early != Early::Unplaced)
        return false;
    loadKeys();
    return m_position >= recordCount();
}

bool Recordset::hasCurrent() const
{
    if (!m_keysLoaded)
        return m_early == Early::Row || (m_early == Early::First && !isEmpty());
    return isOpen() && !m_currentDeleted && m_position >= 0 && m_position < recordCount();
}

int Recordset::absolutePosition() const
{
    loadKeys();
    return hasCurrent() ? m_position : -1;
}

QString Recordset::conditions(const QStringList& extra) const
{
    QStringList all;
    if (!m_where.isEmpty())
        all << QLatin1Char('(') + m_where + QLatin1Char(')');
    all << extra;
    return all.isEmpty() ? QString() : QStringLiteral(" WHERE ") + all.join(QLatin1String(" AND "));
}

QVariantList Recordset::sortValues(const QVector<QVariant>& row) const
{
    QVariantList values;
    for (const QString& column : m_orderColumns)
        values << row[columnIndex(column)];
    return values;
}

namespace {

// The order of two rows' sort values as ORDER BY gives it: nulls first,
// numbers by value, text without regard to case (the sort columns of the
// program's recordsets are case-blind or hold no letters).
bool sortsBefore(const QVariantList& a, const QVariantList& b)
{
    for (int i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i].isNull() != b[i].isNull())
            return a[i].isNull();
        if (a[i].isNull())
            continue;
        int order = 0;
        if (isNumber(a[i]) && isNumber(b[i]))
            order = a[i].toDouble() < b[i].toDouble() ? -1 : a[i].toDouble() > b[i].toDouble() ? 1 : 0;
        else
            order = QString::compare(a[i].toString(), b[i].toString(), Qt::CaseInsensitive);
        if (order != 0)
            return order < 0;
    }
    return false;
}

} // namespace

void Recordset::loadKeys() const
{
    if (m_keysLoaded || m_kind != Kind::Dynaset)
        return;
    // Rows appended or edited so far are left out of the query: the appended
    // ones join the end, the edited ones go where their first values put them.
    QVariantList early;
    QStringList marks;
    for (qint64 id : m_appended)
        early << id;
    for (auto it = m_edited.cbegin(); it != m_edited.cend(); ++it)
        early << it.key();
    for (int i = 0; i < early.size(); ++i)
        marks << QStringLiteral("?");
    const QStringList exclude = early.isEmpty()
                                    ? QStringList()
                                    : QStringList{QStringLiteral("rowid NOT IN (%1)").arg(marks.join(','))};
    QVector<qint64> ids;
    {
        QString sql = QStringLiteral("SELECT rowid FROM %1%2").arg(quoted(m_table), conditions(exclude));
        if (!m_orderBy.isEmpty())
            sql += QStringLiteral(" ORDER BY ") + m_orderBy;
        QSqlQuery keys = run(m_db, sql, m_params + early);
        while (keys.next())
            ids.append(keys.value(0).toLongLong());
    }
    if (!m_edited.isEmpty()) {
        // Before a row sort the rows whose first column sorts before (nulls
        // first), or that are equal in it and sort before in the next, and so on.
        QString before;
        for (int i = m_orderColumns.size() - 1; i >= 0; --i) {
            const QString column = quoted(m_orderColumns[i]);
            const QString less = QStringLiteral("((%1 IS NULL AND ? IS NOT NULL) OR %1 < ?)").arg(column);
            before = before.isEmpty() ? less
                                      : QStringLiteral("(%1 OR (%2 IS ? AND %3))").arg(less, column, before);
        }
        struct Placed
        {
            qint64 id;
            int at;
            QVariantList values;
        };
        QVector<Placed> placed;
        for (auto it = m_edited.cbegin(); it != m_edited.cend(); ++it) {
            QVariantList params = m_params + early;
            for (const QVariant& value : it.value())
                params << value << value << value;
            params.removeLast(); // the last column has no equality test
            QSqlQuery count = run(m_db,
                                  QStringLiteral("SELECT count(*) FROM %1%2")
                                      .arg(quoted(m_table), conditions(exclude + QStringList{before})),
                                  params);
            placed.append({it.key(), count.next() ? count.value(0).toInt() : 0, it.value()});
        }
        std::sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
            return a.at != b.at ? a.at < b.at : sortsBefore(a.values, b.values);
        });
        for (auto it = placed.crbegin(); it != placed.crend(); ++it)
            ids.insert(qMin(it->at, int(ids.size())), it->id);
    }
    ids += m_appended;

    m_rowIds = std::move(ids);
    m_positionOf.clear();
    m_positionsValid = false;
    m_keysLoaded = true;
    m_count = -1;
    switch (m_early) {
    case Early::First:
        m_position = m_rowIds.isEmpty() ? -1 : 0;
        break;
    case Early::Row:
        m_position = positionOf(m_earlyRowId);
        break;
    case Early::Unplaced:
        m_position = -1;
        break;
    }
    m_currentDeleted = false;
    m_early = Early::First;
    m_earlyRowId = -1;
}

bool Recordset::isMember(qint64 rowId) const
{
    if (m_appended.contains(rowId) || m_edited.contains(rowId))
        return true;
    QSqlQuery query = run(
        m_db,
        QStringLiteral("SELECT 1 FROM %1%2").arg(quoted(m_table), conditions({QStringLiteral("rowid = ?")})),
        m_params + QVariantList{rowId});
    return query.next();
}

qint64 Recordset::currentRowId() const
{
    requireCurrent();
    if (m_kind != Kind::Dynaset)
        return m_position;
    if (!m_keysLoaded && m_early == Early::First && m_edited.isEmpty()) {
        // The first row is the query's first, or the first appended when the
        // query has none.
        QVariantList exclude;
        QStringList marks;
        for (qint64 id : m_appended) {
            exclude << id;
            marks << QStringLiteral("?");
        }
        QString sql =
            QStringLiteral("SELECT rowid FROM %1%2")
                .arg(quoted(m_table),
                     conditions(exclude.isEmpty()
                                    ? QStringList()
                                    : QStringList{QStringLiteral("rowid NOT IN (%1)").arg(marks.join(','))}));
        if (!m_orderBy.isEmpty())
            sql += QStringLiteral(" ORDER BY ") + m_orderBy;
        QSqlQuery first = run(m_db, sql + QStringLiteral(" LIMIT 1"), m_params + exclude);
        m_earlyRowId = first.next() ? first.value(0).toLongLong() : m_appended.value(0, -1);
        m_early = Early::Row;
    }
    if (!m_keysLoaded && m_early == Early::Row)
        return m_earlyRowId;
    loadKeys();
    requireCurrent();
    return m_rowIds[m_position];
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
    if (!m_keysLoaded) {
        m_early = Early::First;
        return;
    }
    m_position = recordCount() == 0 ? -1 : 0;
}

void Recordset::moveLast()
{
    loadKeys();
    seek();
    m_position = recordCount() - 1;
}

void Recordset::moveNext()
{
    loadKeys();
    step();
    if (m_currentDeleted)
        m_currentDeleted = false; // the row after the deleted one now stands at its position
    else if (m_position < recordCount())
        ++m_position;
}

void Recordset::movePrevious()
{
    loadKeys();
    step();
    m_currentDeleted = false;
    if (m_position >= 0)
        --m_position;
}

void Recordset::move(int rows)
{
    if (rows == 0)
        return;
    loadKeys();
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

bool Recordset::isKeyCriteria(const Criteria& criteria) const
{
    return m_kind == Kind::Dynaset && criteria.op == Criteria::Op::Equals && !m_keyColumn.isEmpty() &&
           m_columns[columnIndex(criteria.column)] == m_keyColumn && isNumber(criteria.value);
}

QString Recordset::matchCondition(const Criteria& criteria, QVariantList& params) const
{
    const QString column = quoted(m_columns[columnIndex(criteria.column)]);
    if (criteria.op == Criteria::Op::Equals) {
        params << storable(criteria.value);
        return QStringLiteral("%1 = ?").arg(column);
    }
    if (criteria.op == Criteria::Op::Like) {
        // The database's LIKE sifts the rows quickly; the pattern decides
        // (a function the data source gives each connection it opens).
        params << LikePattern(criteria.value.toString()).sqlFilter() << criteria.value;
        return QStringLiteral("%1 LIKE ? ESCAPE '\\' AND pattern_matches(?, %1)").arg(column);
    }
    params << containsPattern(criteria.value.toString());
    return QStringLiteral("%1 LIKE ? ESCAPE '\\'").arg(column);
}

QString Recordset::afterCondition(const QVariantList& values, QVariantList& params) const
{
    QStringList columns;
    for (const QString& column : m_orderColumns)
        columns << quoted(column);
    // Without nulls the index walks on from the row; rows with nulls sort first.
    if (std::none_of(values.begin(), values.end(), [](const QVariant& v) { return v.isNull(); })) {
        QStringList marks;
        for (const QVariant& value : values) {
            params << value;
            marks << QStringLiteral("?");
        }
        return QStringLiteral("(%1) > (%2)").arg(columns.join(", "), marks.join(", "));
    }
    // A row sorts after when its first column does (a value after a null), or
    // when equal in it and after in the next, and so on.
    QString after;
    QVariantList inner;
    for (int i = int(columns.size()) - 1; i >= 0; --i) {
        const QString more = QStringLiteral("((%1 IS NOT NULL AND ? IS NULL) OR %1 > ?)").arg(columns[i]);
        QVariantList moreParams = {values[i], values[i]};
        if (!after.isEmpty()) {
            after = QStringLiteral("(%1 OR (%2 IS ? AND %3))").arg(more, columns[i], after);
            moreParams << values[i] << inner;
        } else {
            after = more;
        }
        inner = moreParams;
    }
    params << inner;
    return after;
}

std::optional<qint64> Recordset::seekMatch(const Criteria& criteria, bool afterCurrent) const
{
    // Where to search from: after the current row's place (an appended row's
    // place is among the appended ones), or from the first row.
    bool inOrder = true;
    std::optional<QVariantList> after;
    qsizetype appendedFrom = 0;
    if (afterCurrent) {
        const qint64 current = currentRowId();
        const qsizetype at = m_appended.indexOf(current);
        if (at >= 0) {
            inOrder = false;
            appendedFrom = at + 1;
        } else {
            after = m_edited.contains(current) ? m_edited.value(current) : sortValues(currentRow());
        }
    }
    auto list = [](const QList<qint64>& ids, QVariantList& params) {
        QStringList marks;
        for (qint64 id : ids) {
            params << id;
            marks << QStringLiteral("?");
        }
        return marks.join(',');
    };
    std::optional<qint64> found;
    QVariantList foundValues;
    if (inOrder) {
        // The rows not changed since the set was opened, along the order...
        const QList<qint64> changed = m_appended + m_edited.keys();
        QVariantList params = m_params;
        QStringList extra;
        if (!changed.isEmpty())
            extra << QStringLiteral("rowid NOT IN (%1)").arg(list(changed, params));
        extra << QLatin1Char('(') + matchCondition(criteria, params) + QLatin1Char(')');
        if (after)
            extra << afterCondition(*after, params);
        QStringList columns;
        for (const QString& column : m_orderColumns)
            columns << quoted(column);
        QSqlQuery first = run(m_db,
                              QStringLiteral("SELECT rowid, %1 FROM %2%3 ORDER BY %4 LIMIT 1")
                                  .arg(columns.join(", "), quoted(m_table), conditions(extra), m_orderBy),
                              params);
        if (first.next()) {
            found = first.value(0).toLongLong();
            for (int i = 0; i < m_orderColumns.size(); ++i)
                foundValues << first.value(i + 1);
        }
        // ... and the edited ones where their values were then.
        if (!m_edited.isEmpty()) {
            QVariantList editedParams = m_params;
            const QString ids = list(m_edited.keys(), editedParams);
            const QString match = matchCondition(criteria, editedParams);
            QSqlQuery edited =
                run(m_db,
                    QStringLiteral("SELECT rowid FROM %1%2")
                        .arg(quoted(m_table), conditions({QStringLiteral("rowid IN (%1)").arg(ids),
                                                          QLatin1Char('(') + match + QLatin1Char(')')})),
                    editedParams);
            while (edited.next()) {
                const qint64 id = edited.value(0).toLongLong();
                const QVariantList values = m_edited.value(id);
                if ((!after || sortsBefore(*after, values)) && (!found || sortsBefore(values, foundValues))) {
                    found = id;
                    foundValues = values;
                }
            }
        }
    }
    if (!found && appendedFrom < m_appended.size()) {
        // Then the appended rows, in the order they were appended.
        const QList<qint64> candidates = m_appended.mid(appendedFrom);
        QVariantList params = m_params;
        const QString ids = list(candidates, params);
        const QString match = matchCondition(criteria, params);
        QSqlQuery appended = run(m_db,
                                 QStringLiteral("SELECT rowid FROM %1 WHERE rowid IN (%2) AND (%3)")
                                     .arg(quoted(m_table), ids, match),
                                 params.mid(m_params.size()));
        qsizetype first = -1;
        while (appended.next()) {
            const qsizetype at = candidates.indexOf(appended.value(0).toLongLong());
            if (at >= 0 && (first < 0 || at < first))
                first = at;
        }
        if (first >= 0)
            found = candidates[first];
    }
    return found;
}

bool Recordset::find(const Criteria& criteria, int after)
{
    if (!isOpen())
        throw DataError("the recordset is not open");
    const int column = columnIndex(criteria.column);
    const bool byKey = isKeyCriteria(criteria);
    if (!m_keysLoaded && byKey && after < 0) {
        // The first row with a key: there is at most one, wherever it stands.
        const qint64 rowId = criteria.value.toLongLong();
        m_noMatch = !isMember(rowId);
        if (!m_noMatch) {
            seek();
            m_early = Early::Row;
            m_earlyRowId = rowId;
        }
        return !m_noMatch;
    }
    // From a row (or the first), the next match in the set's order is looked
    // for along the order itself; only a search from a deleted row needs the ids.
    if (m_seekable && !byKey && (after < 0 || hasCurrent())) {
        const std::optional<qint64> match = seekMatch(criteria, after >= 0);
        const int position = match && m_keysLoaded ? positionOf(*match) : -1;
        if (!match || !m_keysLoaded || position >= 0) {
            m_noMatch = !match;
            if (match) {
                seek();
                if (m_keysLoaded) {
                    m_position = position;
                } else {
                    m_early = Early::Row;
                    m_earlyRowId = *match;
                }
            }
            return match.has_value();
        }
    }
    loadKeys();
    int found = -1;
    if (m_kind == Kind::Snapshot) {
        const QString needle = criteria.value.toString();
        const bool like = criteria.op == Criteria::Op::Like;
        const std::optional<LikePattern> pattern =
            like ? std::optional<LikePattern>(LikePattern(needle)) : std::nullopt;
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
    } else if (byKey) {
        const int position = positionOf(criteria.value.toLongLong());
        if (position > after)
            found = position;
    } else {
        QVariantList params = m_params;
        const QString condition = conditions({matchCondition(criteria, params)});
        QSqlQuery query =
            run(m_db, QStringLiteral("SELECT rowid FROM %1%2").arg(quoted(m_table), condition), params);
        while (query.next()) {
            const int position = positionOf(query.value(0).toLongLong());
            if (position > after && (found < 0 || position < found))
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
    if (m_seekable && !m_keysLoaded && hasCurrent() && !isKeyCriteria(criteria))
        return find(criteria, 0); // from the current row, wherever it stands
    loadKeys();
    // From a deleted row the search starts at the row that took its place.
    return find(criteria, m_currentDeleted ? m_position - 1 : m_position);
}

Recordset::Bookmark Recordset::bookmark() const
{
    if (!hasCurrent())
        return -1;
    return currentRowId();
}

void Recordset::setBookmark(Bookmark bookmark)
{
    if (!m_keysLoaded) {
        if (!isMember(bookmark))
            throw DataError("not a valid bookmark");
        seek();
        m_early = Early::Row;
        m_earlyRowId = bookmark;
        return;
    }
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
    const int end = qMin<int>(position + (m_sequential ? kFetchBlock : 1), m_rowIds.size());
    QVariantList ids;
    for (int i = position; i < end; ++i) {
        if (!m_cache.contains(m_rowIds[i]))
            ids << m_rowIds[i];
    }
    fetchRows(ids);
}

void Recordset::fetchRows(const QVariantList& ids) const
{
    if (m_cache.size() > kCacheLimit)
        m_cache.clear();
    QStringList marks;
    for (int i = 0; i < ids.size(); ++i)
        marks << QStringLiteral("?");
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
    const qint64 rowId = currentRowId();
    auto it = m_cache.constFind(rowId);
    if (it == m_cache.constEnd()) {
        if (m_keysLoaded)
            fetchDynasetBlock(m_position);
        else
            fetchRows({rowId});
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
    if (m_seekable) {
        // The row keeps the place its values had when the set was opened.
        const qint64 rowId = currentRowId();
        if (!m_appended.contains(rowId) && !m_edited.contains(rowId))
            m_edited.insert(rowId, sortValues(m_buffer));
    }
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
        if (!m_keyColumn.isEmpty() && m_dirty[columnIndex(m_keyColumn)])
            loadKeys(); // a new key is a new row id, which moves the row in the set
        qint64 rowId = currentRowId();
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
                    const qint64 newId = m_buffer[key].toLongLong();
                    if (m_edited.contains(rowId))
                        m_edited.insert(newId, m_edited.take(rowId));
                    std::replace(m_appended.begin(), m_appended.end(), rowId, newId);
                    rowId = newId;
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
        if (m_seekable)
            m_appended.append(rowId);
        if (m_keysLoaded) {
            m_rowIds.append(rowId);
            if (m_positionsValid)
                m_positionOf.insert(rowId, m_rowIds.size() - 1);
        } else if (m_count >= 0) {
            ++m_count;
        }
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
    const qint64 rowId = currentRowId();
    run(m_db, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(m_table)), {rowId});
    if (m_lastModified == rowId)
        m_lastModified = -1;
    m_cache.remove(rowId);
    m_appended.removeAll(rowId);
    m_edited.remove(rowId);
    if (!m_keysLoaded) {
        if (m_count > 0)
            --m_count;
        m_early = Early::Unplaced;
        return;
    }
    m_rowIds.removeAt(m_position);
    m_positionsValid = false;
    m_currentDeleted = true;
}
