#include "data/orvdatasource.h"

#include "data/databasebackup.h"
#include "data/databasefile.h"
#include "data/datasourcehost.h"
#include "data/integritycheck.h"
#include "data/likepattern.h"
#include "data/schema.h"
#include "data/storeddates.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <sqlite3.h>

namespace {

const char* const kFoodData = "Unable to retrieve Food Data.  ";
const char* const kDietData = "Unable to retrieve Diet Data.  ";
const char* const kSnapShotData = "Unable to retrieve SnapShot Data.  ";

// A log that has grown this large is copied into the file and begun afresh.
constexpr qint64 kLogLimit = 16 * 1024 * 1024;

const char* const kDietColumns = "SELECT * FROM DietActivity WHERE ";

// The condition on DietDate of one day; for an invalid date, of the entries
// whose date is not a date (which the diet tree shows as one day).
QString dayCondition(const QDate& date, QVariantList& params)
{
    if (!date.isValid())
        return Schema::dietDayOf(QStringLiteral("DietDate")) + QStringLiteral(" = ''");
    params << storedDate(date);
    return QStringLiteral("DietDate = ?");
}

QString dietTotalSql(const QDate& date, bool withMeal, QVariantList& params)
{
    QString sql = QStringLiteral("SELECT SUM(Fat) AS tFat, SUM(Calorie) AS tCalorie, "
                                 "SUM(Carbohydrate) AS tCarbohydrate, SUM(Cholesterol) AS tCholesterol, "
                                 "SUM(Other1) AS tOther1, SUM(Other2) AS tOther2, SUM(Protein) AS tProtein, "
                                 "SUM(Sodium) AS tSodium FROM DietActivity WHERE ") +
                  dayCondition(date, params) + QStringLiteral(" AND UserName = ?");
    if (withMeal)
        sql += QStringLiteral(" AND MealName = ?");
    return sql;
}

} // namespace

OrvDataSource::OrvDataSource(DataSourceHost& host)
    : m_host(host), m_connectionName(QStringLiteral("foodlark-%1").arg(quintptr(this), 0, 16)),
      m_integrityCheck(std::make_unique<IntegrityCheck>())
{
    QObject::connect(m_integrityCheck.get(), &IntegrityCheck::finished, m_integrityCheck.get(),
                     [this](const QString& path, bool sound, const QString& finding) {
                         if (!m_connected || path != m_host.databasePath())
                             return;
                         if (sound) {
                             releaseLog();
                             restartLogIfLarge();
                             return;
                         }
                         // Nothing more goes into the file: what was stored since the
                         // start stays in its log, beside it.
                         holdLog();
                         m_host.damagedAfterStart(finding);
                     });
}

OrvDataSource::~OrvDataSource()
{
    closeDB();
}

bool OrvDataSource::connectDB(QString* refusal)
{
    closeDB();
    const QString path = m_host.databasePath();
    const QString nativePath = QDir::toNativeSeparators(path);
    const QFileInfo file(path);
    // SQLite would make a new empty file for a missing one and would quietly
    // open an unwritable one read-only; both are refused. Whatever the cause,
    // the user sees the one message of a failed open.
    QString failure;
    bool opened = file.exists() && file.isFile() && file.isWritable() &&
                  QFileInfo(file.absolutePath()).isWritable();
    if (!opened)
        qWarning() << "connectDB: missing or read-only:" << nativePath;
    m_logFound = DatabaseFile::kindOf(DatabaseFile::logPath(path)) != DatabaseFile::Kind::Missing;
    if (opened) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        opened = db.open();
        if (!opened) {
            qWarning() << "connectDB:" << db.lastError().text();
        } else {
            setLogHeld(true);
            // The exclusive lock taken by the first write transaction is kept
            // until the file is closed; every commit is flushed to the disk.
            // As no one else can change the file, pages read once stay valid;
            // a cache of 8 MB holds what a day's work reads again (a report or
            // a graph of years reads its pages once in any case), and the
            // memory stays the same for a log of any size.
            QSqlQuery query(db);
            const QStringList setup = {
                QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"), QStringLiteral("PRAGMA synchronous = FULL"),
                QStringLiteral("PRAGMA cache_size = -8192"),       QStringLiteral("BEGIN EXCLUSIVE"),
                QStringLiteral("SELECT count(*) FROM sqlite_master"), QStringLiteral("COMMIT")};
            for (const QString& statement : setup) {
                if (!query.exec(statement)) {
                    const QSqlError error = query.lastError();
                    qWarning() << "connectDB:" << statement << error.text();
                    // A file that is not a database at all, or a damaged one, is
                    // named as such: telling its owner to close another copy
                    // would mislead.
                    const DataError engine = DataError::fromEngine(error);
                    if (engine.engineCode() == SQLITE_NOTADB)
                        failure = m_host.openFailureMessage(DataSourceHost::OpenFailure::NotADatabase,
                                                            path, QString());
                    else if (engine.damaged())
                        failure = m_host.openFailureMessage(DataSourceHost::OpenFailure::Damaged, path,
                                                            error.databaseText());
                    opened = false;
                    break;
                }
            }
            query.finish();
            if (opened) {
                try {
                    LikePattern::installIn(db);
                } catch (const DataError& error) {
                    qWarning() << "connectDB:" << error.what();
                    opened = false;
                }
            }
            if (!opened)
                db.close();
        }
    }
    if (!opened) {
        QSqlDatabase::removeDatabase(m_connectionName);
        if (refusal && !failure.isEmpty()) {
            *refusal = failure;
            return false;
        }
        if (failure.isEmpty())
            failure = m_host.openFailureMessage(DataSourceHost::OpenFailure::Unavailable, path, QString());
        m_host.reportError(failure);
        return false;
    }
    m_connected = true;
    return true;
}

sqlite3* OrvDataSource::handle() const
{
    if (!QSqlDatabase::contains(m_connectionName))
        return nullptr;
    const QVariant driverHandle = database().driver()->handle();
    if (!driverHandle.isValid() || qstrcmp(driverHandle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(driverHandle.constData());
}

void OrvDataSource::setLogHeld(bool held)
{
    // While held, closing the connection leaves the log beside the file
    // instead of copying it in.
    if (sqlite3* connection = handle())
        sqlite3_db_config(connection, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, held ? 1 : 0, nullptr);
    m_logHeld = held;
}

void OrvDataSource::holdLog()
{
    setLogHeld(true);
}

bool OrvDataSource::run(QSqlQuery& query, const QString& sql)
{
    if (query.exec(sql))
        return true;
    qWarning() << "log:" << sql << query.lastError().text();
    return false;
}

QString OrvDataSource::newTokenStatement()
{
    // Only this program's own number goes into the statement.
    return QStringLiteral("PRAGMA user_version = %1").arg(qint32(DatabaseFile::newLogToken()));
}

bool OrvDataSource::startLog()
{
    // A new token pairs the file with the log begun now: it goes into the
    // file through the old log, which is then copied in and emptied, and it is
    // the new log's first page.
    const QString setToken = newTokenStatement();
    QSqlQuery query(database());
    return run(query, setToken) && run(query, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")) &&
           query.next() && query.value(0).toInt() == 0 && run(query, setToken);
}

bool OrvDataSource::useWriteAheadLog()
{
    // With the file held exclusively the log needs no shared memory; a commit
    // is then one flush of the log instead of a rollback journal written,
    // flushed and removed, and it stays as durable.
    QSqlQuery query(database());
    if (!run(query, QStringLiteral("PRAGMA journal_mode")) || !query.next())
        return false;
    if (query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0) {
        // The file keeps its token for now, and the log's first page says so:
        // the file is not written until its check has passed.
        if (!run(query, QStringLiteral("PRAGMA user_version")) || !query.next())
            return false;
        const QString keepToken = QStringLiteral("PRAGMA user_version = %1").arg(query.value(0).toInt());
        if (!run(query, keepToken))
            return false;
    } else {
        // The switch writes the file's header; a new token goes with it.
        const QString setToken = newTokenStatement();
        if (!run(query, setToken) || !run(query, QStringLiteral("PRAGMA journal_mode = WAL")) ||
            !query.next() ||
            query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0 ||
            !run(query, setToken))
            return false;
    }
    // The log is copied into the file only when a new log begins and on
    // closing, never halfway through a commit, so the file stays as its
    // token says.
    return run(query, QStringLiteral("PRAGMA wal_autocheckpoint = 0"));
}

void OrvDataSource::releaseLog()
{
    setLogHeld(false);
}

void OrvDataSource::restartLogIfLarge()
{
    // Not while the file is being checked: the check reads it as it lies on the disk.
    if (m_logHeld || m_integrityCheck->isRunning() || m_inTransaction)
        return;
    if (QFileInfo(DatabaseFile::logPath(m_host.databasePath())).size() > kLogLimit)
        startLog();
}

QString OrvDataSource::quickCheck()
{
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("PRAGMA quick_check(1)")))
        return query.lastError().databaseText();
    if (!query.next())
        return QStringLiteral("no result");
    const QString result = query.value(0).toString();
    return result == QLatin1String("ok") ? QString() : result;
}

void OrvDataSource::startIntegrityCheck()
{
    // The check reads the whole file: it lets the start-up paint the window
    // first, so that it takes nothing from what the user waits for.
    m_integrityCheck->start(m_host.databasePath(), std::chrono::milliseconds(300));
}

void OrvDataSource::replaceContent(const QString& replacement)
{
    m_integrityCheck->stop();
    if (m_inTransaction)
        throw DataError("a transaction is open");
    // Leaving the log empties it into the file and removes it.
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("PRAGMA journal_mode = DELETE")))
        throw DataError::fromEngine(query.lastError());
    query.finish();
    if (QFileInfo::exists(DatabaseFile::logPath(m_host.databasePath())))
        throw DataError("the log could not be emptied into the file");
    DatabaseBackup::copyOnto(replacement, handle());
    // The new content is checked before a log is ever copied into it.
    setLogHeld(true);
    m_logFound = false;
}

bool OrvDataSource::keepDietMonths()
{
    QSqlDatabase db = database();
    try {
        if (Schema::hasDietMonths(db))
            return true;
        if (!db.transaction())
            throw DataError::fromEngine(db.lastError());
        try {
            Schema::rebuildDietMonths(db);
            if (!db.commit())
                throw DataError::fromEngine(db.lastError());
        } catch (const DataError&) {
            db.rollback();
            throw;
        }
        return true;
    } catch (const DataError& error) {
        qWarning() << "keepDietMonths:" << error.what();
        fail(kDietData, error);
        return false;
    }
}

void OrvDataSource::closeAll()
{
    for (Recordset* rs : {&rsGroups, &rsFoods, &rsConfig, &rsTableKey, &rsDietData, &rsMeasures, &rsDietDates,
                          &rsDietItems, &rsDietReport, &rsFoodItems, &rsDietTotal, &rsDietMealTotal,
                          &rsAvailGroups, &rsMeals, &rsSnapShotData, &rsSnapShotReport, &rsDietGraph})
        rs->close();
}

void OrvDataSource::closeDB()
{
    // The check reads the file, which closing may write: it is seen through,
    // so that a sound file gets its log copied in now rather than checked
    // again at the next start.
    if (const std::optional<QString> finding = m_integrityCheck->finish();
        finding && finding->isEmpty() && m_connected)
        releaseLog();
    closeAll();
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (m_inTransaction)
            db.rollback();
        // Closing copies the log into the file: the file's content changes,
        // and its token with it.
        if (!m_logHeld) {
            QSqlQuery query(db);
            run(query, newTokenStatement());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    // The engine makes an empty log when it opens a file kept with one; a
    // file let go of without being accepted is left as it was found.
    const QFileInfo log(DatabaseFile::logPath(m_host.databasePath()));
    if (m_logHeld && !m_logFound && log.isFile() && log.size() == 0)
        QFile::remove(log.filePath());
    m_connected = false;
    m_inTransaction = false;
    m_logHeld = true;
}

bool OrvDataSource::isConnected() const
{
    return m_connected;
}

QSqlDatabase OrvDataSource::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

bool OrvDataSource::open(Recordset& recordset, const char* failureMessage, const std::function<void()>& opener)
{
    try {
        opener();
        return true;
    } catch (const DataError& error) {
        qWarning() << failureMessage << error.what();
        recordset.close();
        fail(failureMessage, error);
        return false;
    }
}

void OrvDataSource::fail(const char* failureMessage, const DataError& error)
{
    m_host.fatalError(QString::fromLatin1(failureMessage), error);
}

bool OrvDataSource::execute(const char* failureMessage, const QString& sql, const QVariantList& params)
{
    try {
        Schema::exec(database(), sql, params);
        restartLogIfLarge();
        return true;
    } catch (const DataError& error) {
        qWarning() << failureMessage << error.what();
        fail(failureMessage, error);
        return false;
    }
}

bool OrvDataSource::cmdGroups()
{
    return open(rsGroups, kFoodData, [this] {
        rsGroups.openDynaset(database(), QStringLiteral("FoodGroup"), {}, {},
                             QStringLiteral("ParentGroup, GroupName, GroupId"));
    });
}

bool OrvDataSource::cmdFoods()
{
    return open(rsFoods, kFoodData, [this] {
        rsFoods.openDynaset(database(), QStringLiteral("FoodItem"), {}, {},
                            QStringLiteral("GroupId, FoodName, FoodId"));
    });
}

bool OrvDataSource::cmdTableKey()
{
    return open(rsTableKey, "Unable to retrieve Table Key Data.  ", [this] {
        rsTableKey.openDynaset(database(), QStringLiteral("TableKey"), {}, {}, QStringLiteral("rowid"));
    });
}

bool OrvDataSource::cmdConfig()
{
    return open(rsConfig, "Unable to retrieve Configuration Data.  ", [this] {
        rsConfig.openDynaset(database(), QStringLiteral("CONFIG"), {}, {}, QStringLiteral("rowid"));
    });
}

bool OrvDataSource::cmdDietData(const QString& user)
{
    // A long log is not read to open it: the ids are read when first needed.
    return open(rsDietData, kDietData, [&] {
        rsDietData.openDynaset(database(), QStringLiteral("DietActivity"), QStringLiteral("UserName = ?"),
                               {user}, QStringLiteral("DietDate, FoodName, DietId"),
                               Recordset::Keys::WhenNeeded);
    });
}

bool OrvDataSource::cmdSnapShotData(const QString& user)
{
    return open(rsSnapShotData, kSnapShotData, [&] {
        rsSnapShotData.openDynaset(database(), QStringLiteral("SNAPSHOT"), QStringLiteral("USERNAME = ?"), {user},
                                   QStringLiteral("SNAPDATETM, SNAPID"));
    });
}

bool OrvDataSource::cmdMeasures(qint32 ndbNo)
{
    return open(rsMeasures, "Unable to retrieve Measures Data.  ", [&] {
        rsMeasures.openSnapshot(database(),
                                QStringLiteral("SELECT * FROM USDA_Measures WHERE NDB_NO = ? ORDER BY GM_WT, MSRE_NO"),
                                {ndbNo});
    });
}

bool OrvDataSource::cmdMeals()
{
    return open(rsMeals, "Unable to retrieve Meal Data.  ", [this] {
        rsMeals.openDynaset(database(), QStringLiteral("Meal"), {}, {}, QStringLiteral("MealName"));
    });
}

bool OrvDataSource::cmdDietDates(const QString& user)
{
    return open(rsDietDates, kDietData, [&] {
        rsDietDates.openSnapshot(
            database(),
            QStringLiteral("SELECT DISTINCT DietDate FROM DietActivity WHERE UserName = ? ORDER BY 1"), {user});
    });
}

std::optional<QVector<QDate>> OrvDataSource::dietDays(const QString& user)
{
    try {
        QSqlQuery query(database());
        query.setForwardOnly(true);
        // A file is given its DietMonths once the start-up has accepted it;
        // until then (the first run over a file from before them) the days
        // come from the log.
        const QString months = Schema::hasDietMonths(database())
                                   ? QStringLiteral("DietMonths")
                                   : QStringLiteral("(") + Schema::dietMonthsOfLog() + QLatin1Char(')');
        if (!query.prepare(QStringLiteral("SELECT Month, Days FROM %1 WHERE UserName = ? ORDER BY Month").arg(months)))
            throw DataError::fromEngine(query.lastError());
        query.addBindValue(user);
        if (!query.exec())
            throw DataError::fromEngine(query.lastError());
        QVector<QDate> days;
        while (query.next()) {
            const QString month = query.value(0).toString();
            const qint64 bits = query.value(1).toLongLong();
            if (month.isEmpty()) {
                days.append(QDate()); // the entries without a date
                continue;
            }
            const QDate first = storedDay(month + QStringLiteral("-01"));
            for (int day = 1; first.isValid() && day <= first.daysInMonth(); ++day) {
                if (bits & (qint64(1) << (day - 1)))
                    days.append(first.addDays(day - 1));
            }
        }
        return days;
    } catch (const DataError& error) {
        qWarning() << kDietData << error.what();
        fail(kDietData, error);
        return std::nullopt;
    }
}

bool OrvDataSource::cmdDietItems(const QDate& date, const QString& user)
{
    return open(rsDietItems, kDietData, [&] {
        QVariantList params;
        const QString day = dayCondition(date, params);
        rsDietItems.openSnapshot(database(),
                                 QLatin1String(kDietColumns) + day +
                                     QStringLiteral(" AND UserName = ? ORDER BY FoodName, DietId"),
                                 params << user);
    });
}

bool OrvDataSource::cmdDietReport(const QDate& lo, const QDate& hi, const QString& user)
{
    return open(rsDietReport, "Unable to retrieve Diet Report Data.  ", [&] {
        rsDietReport.openSnapshot(
            database(),
            QLatin1String(kDietColumns) + QStringLiteral("DietDate >= ? AND DietDate <= ? AND UserName = ? "
                                                         "ORDER BY DietDate, MealName, FoodName, DietId"),
            {storedDate(lo), storedDate(hi), user});
    });
}

bool OrvDataSource::cmdDietGraph(const QDate& lo, const QDate& hi, const QString& user)
{
    return open(rsDietGraph, "Unable to retrieve Diet Graph Data.  ", [&] {
        rsDietGraph.openSnapshot(
            database(),
            QStringLiteral("SELECT DietDate, SUM(Fat) AS TotFat, SUM(Carbohydrate) AS TotCarbohydrate, "
                           "SUM(Protein) AS TotProtein, SUM(Calorie) AS TotCalorie, SUM(Sodium) AS TotSodium, "
                           "SUM(Cholesterol) AS TotCholesterol, SUM(Other1) AS TotOther1, SUM(Other2) AS TotOther2 "
                           "FROM DietActivity WHERE DietDate >= ? AND DietDate <= ? AND UserName = ? "
                           "GROUP BY DietDate ORDER BY DietDate"),
            {storedDate(lo), storedDate(hi), user});
    });
}

bool OrvDataSource::cmdSnapShotReport(const StoredRange& range, const QString& user)
{
    return open(rsSnapShotReport, kSnapShotData, [&] {
        rsSnapShotReport.openSnapshot(database(),
                                      QStringLiteral("SELECT * FROM SNAPSHOT WHERE SNAPDATETM >= ? AND SNAPDATETM <= ? "
                                                     "AND USERNAME = ? ORDER BY SNAPDATETM, SNAPID"),
                                      {range.low, range.high, user});
    });
}

bool OrvDataSource::cmdFoodItems(qint32 groupId)
{
    return open(rsFoodItems, kFoodData, [&] {
        rsFoodItems.openSnapshot(
            database(),
            QStringLiteral("SELECT FoodId, FoodName, GroupId FROM FoodItem WHERE GroupId = ? ORDER BY FoodName, FoodId"),
            {groupId});
    });
}

bool OrvDataSource::cmdDietTotal(const QDate& date, const QString& user)
{
    return open(rsDietTotal, kDietData, [&] {
        QVariantList params;
        const QString sql = dietTotalSql(date, false, params);
        rsDietTotal.openSnapshot(database(), sql, params << user);
    });
}

bool OrvDataSource::cmdDietMealTotal(const QDate& date, const QString& meal, const QString& user)
{
    return open(rsDietMealTotal, kDietData, [&] {
        QVariantList params;
        const QString sql = dietTotalSql(date, true, params);
        rsDietMealTotal.openSnapshot(database(), sql, params << user << meal);
    });
}

bool OrvDataSource::cmdAvailGroups()
{
    return open(rsAvailGroups, kFoodData, [this] {
        rsAvailGroups.openSnapshot(
            database(),
            QStringLiteral("SELECT * FROM FoodGroup WHERE GroupTag <> 'GROUPROOT' ORDER BY GroupName, GroupId"), {});
    });
}

bool OrvDataSource::cmdDeleteFoods(qint32 groupId)
{
    return execute("Unable to delete Food Data.  ", QStringLiteral("DELETE FROM FoodItem WHERE GroupId = ?"),
                   {groupId});
}

bool OrvDataSource::cmdDeleteDietItems(const QDate& lo, const QDate& hi, const QString& user, const QString& meal)
{
    // Both dates invalid: the entries whose date is not a date.
    QVariantList params;
    QString sql = QStringLiteral("DELETE FROM DietActivity WHERE ");
    if (!lo.isValid() && !hi.isValid()) {
        sql += dayCondition(QDate(), params);
    } else {
        sql += QStringLiteral("DietDate >= ? AND DietDate <= ?");
        params << storedDate(lo) << storedDate(hi);
    }
    sql += QStringLiteral(" AND UserName = ?");
    params << user;
    if (!meal.isEmpty()) {
        sql += QStringLiteral(" AND MealName = ?");
        params << meal;
    }
    return execute("Unable to delete Diet Data.  ", sql, params);
}

bool OrvDataSource::cmdDeleteSnapshotItems(const StoredRange& range, const QString& user)
{
    return execute("Unable to delete SnapShot Data.  ",
                   QStringLiteral("DELETE FROM SNAPSHOT WHERE SNAPDATETM >= ? AND SNAPDATETM <= ? AND USERNAME = ?"),
                   {range.low, range.high, user});
}

void OrvDataSource::cmdCreateSnapShot()
{
    Schema::createSnapShotTable(database());
}

std::optional<qint32> OrvDataSource::getTableKey(const QString& keyName)
{
    return getTableKeys(keyName, 1);
}

std::optional<qint32> OrvDataSource::getTableKeys(const QString& keyName, qint32 count)
{
    try {
        rsTableKey.moveFirst();
        if (!rsTableKey.findFirst(Criteria::equals(QStringLiteral("KeyName"), keyName)))
            throw DataError(("no key sequence " + keyName).toStdString());
        // Only a whole number goes on: anything else would restart the
        // sequence at 1 and hand out ids that are in use.
        const QVariant last = rsTableKey.value(QStringLiteral("KeyValue"));
        if (last.typeId() != QMetaType::LongLong && last.typeId() != QMetaType::Int)
            throw DataError(("key sequence " + keyName + " holds " + last.toString()).toStdString());
        const qint64 newKey = last.toLongLong() + std::max(count, 1);
        if (newKey > std::numeric_limits<qint32>::max())
            throw DataError(("key sequence exhausted: " + keyName).toStdString());
        rsTableKey.edit();
        rsTableKey.setValue(QStringLiteral("KeyValue"), newKey);
        rsTableKey.update();
        restartLogIfLarge();
        return qint32(newKey - std::max(count, 1) + 1);
    } catch (const DataError& error) {
        qWarning() << "getTableKey:" << error.what();
        rsTableKey.cancelUpdate();
        fail("Unable to update Table Key Data.  ", error);
        return std::nullopt;
    }
}

void OrvDataSource::beginTrans()
{
    QSqlDatabase db = database();
    if (!db.transaction())
        throw DataError::fromEngine(db.lastError());
    m_inTransaction = true;
}

void OrvDataSource::commitTrans()
{
    QSqlDatabase db = database();
    // The engine's own result (a full disk, say) is kept by a plain COMMIT;
    // the driver's commit() reports a text alone.
    QSqlQuery commit(db);
    if (!commit.exec(QStringLiteral("COMMIT"))) {
        const DataError error = DataError::fromEngine(commit.lastError());
        commit.finish();
        db.rollback();
        m_inTransaction = false;
        throw error;
    }
    m_inTransaction = false;
    restartLogIfLarge();
}

void OrvDataSource::rollback()
{
    QSqlDatabase db = database();
    m_inTransaction = false;
    if (!db.rollback())
        throw DataError::fromEngine(db.lastError());
}
