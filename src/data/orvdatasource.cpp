#include "data/orvdatasource.h"

#include "app/appcontext.h"
#include "data/dateliterals.h"
#include "data/schema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>
#include <limits>

namespace {

const char* const kFoodData = "Unable to retrieve Food Data.  ";
const char* const kDietData = "Unable to retrieve Diet Data.  ";
const char* const kSnapShotData = "Unable to retrieve SnapShot Data.  ";

// SQLite's result code for a file that is not a database, as QtSql reports it.
const char* const kSqliteNotADatabase = "26";

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

OrvDataSource::OrvDataSource(AppContext& context)
    : m_context(context),
      m_connectionName(QStringLiteral("foodlark-%1").arg(quintptr(this), 0, 16))
{
}

OrvDataSource::~OrvDataSource()
{
    closeDB();
}

bool OrvDataSource::connectDB()
{
    closeDB();
    const QString path = m_context.dbPath;
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
    if (opened) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        opened = db.open();
        if (!opened) {
            qWarning() << "connectDB:" << db.lastError().text();
        } else {
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
                    // A file that is not a database at all is named as such:
                    // telling its owner to close another copy would mislead.
                    if (error.nativeErrorCode() == QLatin1String(kSqliteNotADatabase))
                        failure = QStringLiteral("The file '%1' is not a %2 Database.  ")
                                      .arg(nativePath, m_context.appTitle);
                    opened = false;
                    break;
                }
            }
            query.finish();
            if (!opened)
                db.close();
        }
    }
    if (!opened) {
        QSqlDatabase::removeDatabase(m_connectionName);
        if (failure.isEmpty())
            failure = QStringLiteral("Unable to open the %1 Database.  Make sure you don't have another "
                                     "instance of %1 open.  ")
                          .arg(m_context.appTitle);
        m_context.reportError(failure);
        return false;
    }
    m_connected = true;
    return true;
}

bool OrvDataSource::useWriteAheadLog()
{
    // With the file held exclusively the log needs no shared memory; a commit
    // is then one flush of the log instead of a rollback journal written,
    // flushed and removed, and it stays as durable.
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("PRAGMA journal_mode = WAL")) || !query.next() ||
        query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        qWarning() << "useWriteAheadLog:" << query.lastError().text();
        return false;
    }
    return true;
}

bool OrvDataSource::keepDietMonths()
{
    QSqlDatabase db = database();
    try {
        if (Schema::hasDietMonths(db))
            return true;
        if (!db.transaction())
            throw DataError(db.lastError().text().toStdString());
        try {
            Schema::rebuildDietMonths(db);
            if (!db.commit())
                throw DataError(db.lastError().text().toStdString());
        } catch (const DataError&) {
            db.rollback();
            throw;
        }
        return true;
    } catch (const DataError& error) {
        qWarning() << "keepDietMonths:" << error.what();
        m_context.fatalError(QString::fromLatin1(kDietData));
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
    closeAll();
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (m_inTransaction)
            db.rollback();
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    m_connected = false;
    m_inTransaction = false;
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
        m_context.fatalError(QString::fromLatin1(failureMessage));
        return false;
    }
}

bool OrvDataSource::execute(const char* failureMessage, const QString& sql, const QVariantList& params)
{
    try {
        Schema::exec(database(), sql, params);
        return true;
    } catch (const DataError& error) {
        qWarning() << failureMessage << error.what();
        m_context.fatalError(QString::fromLatin1(failureMessage));
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
        if (!query.prepare(
                QStringLiteral("SELECT Month, Days FROM DietMonths WHERE UserName = ? ORDER BY Month")))
            throw DataError(query.lastError().text().toStdString());
        query.addBindValue(user);
        if (!query.exec())
            throw DataError(query.lastError().text().toStdString());
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
        m_context.fatalError(QString::fromLatin1(kDietData));
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

bool OrvDataSource::cmdSnapShotReport(const QDateTime& lo, const QDateTime& hi, const QString& user)
{
    return open(rsSnapShotReport, kSnapShotData, [&] {
        rsSnapShotReport.openSnapshot(database(),
                                      QStringLiteral("SELECT * FROM SNAPSHOT WHERE SNAPDATETM >= ? AND SNAPDATETM <= ? "
                                                     "AND USERNAME = ? ORDER BY SNAPDATETM, SNAPID"),
                                      {storedDateTime(lo), storedDateTime(hi), user});
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

bool OrvDataSource::cmdDeleteSnapshotItems(const QDateTime& lo, const QDateTime& hi, const QString& user)
{
    return execute("Unable to delete SnapShot Data.  ",
                   QStringLiteral("DELETE FROM SNAPSHOT WHERE SNAPDATETM >= ? AND SNAPDATETM <= ? AND USERNAME = ?"),
                   {storedDateTime(lo), storedDateTime(hi), user});
}

void OrvDataSource::cmdCreateSnapShot()
{
    Schema::createSnapShotTable(database());
}

std::optional<qint32> OrvDataSource::getTableKey(const QString& keyName)
{
    try {
        rsTableKey.moveFirst();
        if (!rsTableKey.findFirst(Criteria::equals(QStringLiteral("KeyName"), keyName)))
            throw DataError(("no key sequence " + keyName).toStdString());
        const qint64 newKey = qint64(rsTableKey.value(QStringLiteral("KeyValue")).toLongLong()) + 1;
        if (newKey > std::numeric_limits<qint32>::max())
            throw DataError(("key sequence exhausted: " + keyName).toStdString());
        rsTableKey.edit();
        rsTableKey.setValue(QStringLiteral("KeyValue"), newKey);
        rsTableKey.update();
        return qint32(newKey);
    } catch (const DataError& error) {
        qWarning() << "getTableKey:" << error.what();
        rsTableKey.cancelUpdate();
        m_context.fatalError(QStringLiteral("Unable to update Table Key Data.  "));
        return std::nullopt;
    }
}

void OrvDataSource::beginTrans()
{
    QSqlDatabase db = database();
    if (!db.transaction())
        throw DataError(db.lastError().text().toStdString());
    m_inTransaction = true;
}

void OrvDataSource::commitTrans()
{
    QSqlDatabase db = database();
    if (!db.commit()) {
        const QString error = db.lastError().text();
        db.rollback();
        m_inTransaction = false;
        throw DataError(error.toStdString());
    }
    m_inTransaction = false;
}

void OrvDataSource::rollback()
{
    QSqlDatabase db = database();
    m_inTransaction = false;
    if (!db.rollback())
        throw DataError(db.lastError().text().toStdString());
}
