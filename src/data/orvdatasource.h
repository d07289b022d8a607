#pragma once

#include "data/recordset.h"
#include "data/storeddates.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class DataSourceHost;
class IntegrityCheck;
class QSqlQuery;
struct sqlite3;

// The one gateway to the database file. It opens the file for exclusive use,
// opens the named recordsets on request, runs the bulk deletions and hands out
// new row ids. A failed query is fatal: it is reported in the "Application
// Error" box and the program is shut down; the operation then returns false and
// leaves its recordset closed.
class OrvDataSource
{
public:
    explicit OrvDataSource(DataSourceHost& host);
    ~OrvDataSource();
    OrvDataSource(const OrvDataSource&) = delete;
    OrvDataSource& operator=(const OrvDataSource&) = delete;

    // Opens the file at the host's databasePath, read-write and exclusive, so that a
    // second running copy of the program cannot open it. Reports a failure and
    // returns false; with refusal given, the failure of a file that is no
    // database or is damaged is handed back there instead of reported.
    bool connectDB(QString* refusal = nullptr);
    void closeDB();
    bool isConnected() const;
    // Switches the open file to a write-ahead log, which makes each commit
    // cheaper while keeping it durable. The switch itself writes to the file,
    // so the start-up makes it only once the whole start has accepted the
    // database. The log is paired with the file (see DatabaseFile) and is held
    // at first: closing the file leaves it beside the file instead of copying
    // it in, until the file's check has passed (releaseLog), so a file that
    // turns out to be damaged is not written to. Once released, the log is
    // copied into the file when it grows large and when the file is closed.
    // False when the engine refused (the file then keeps its rollback journal).
    bool useWriteAheadLog();
    // Lets the log be copied into the file (the file's check has passed).
    void releaseLog();
    // From now on the log is never copied into the file (a damaged file).
    void holdLog();
    bool logHeld() const { return m_logHeld; }
    // The engine's quick check of the open database: an empty text when it is
    // sound, else the first finding.
    QString quickCheck();
    // Starts the engine's full check of the file in the background. A sound
    // file gets its log released; a damaged one gets its log kept from it,
    // and is handed to the host's damagedAfterStart with the engine's finding.
    void startIntegrityCheck();
    IntegrityCheck& integrityCheck() { return *m_integrityCheck; }
    // Puts the content of the database file at replacement (a complete
    // database not in use) in place of the open file's, through the engine
    // in one transaction: the file stays open and locked throughout, so no
    // other copy of the program can take it meanwhile, and a copy stopped
    // halfway is rolled back at the next start. The log is emptied into the
    // file and ended first, so that it never meets the new content, whose
    // log begins once it has been accepted (useWriteAheadLog); the
    // recordsets are to be opened again on it. Throws DataError when it could
    // not be done; the file then holds what it held, the recordsets still
    // read it.
    void replaceContent(const QString& replacement);
    // Makes sure the file keeps the days of each user's log beside the log
    // (see Schema::createDietMonths), building them once for a file that has
    // none. It writes, so the start-up asks for it only once the database has
    // been accepted. A failure is fatal.
    bool keepDietMonths();
    // The open database (dbData).
    QSqlDatabase database() const;
    // The engine's own connection, for what QtSql does not offer.
    sqlite3* handle() const;

    Recordset rsGroups;
    Recordset rsFoods;
    Recordset rsConfig;
    Recordset rsTableKey;
    Recordset rsDietData;
    Recordset rsMeasures;
    Recordset rsDietDates;
    Recordset rsDietItems;
    Recordset rsDietReport;
    Recordset rsFoodItems;
    Recordset rsDietTotal;
    Recordset rsDietMealTotal;
    Recordset rsAvailGroups;
    Recordset rsMeals;
    Recordset rsSnapShotData;
    Recordset rsSnapShotReport;
    Recordset rsDietGraph;

    // Each opens the recordset named after it; true on success.
    bool cmdGroups();
    bool cmdFoods();
    bool cmdTableKey();
    bool cmdConfig();
    bool cmdDietData(const QString& user);
    bool cmdSnapShotData(const QString& user);
    bool cmdMeasures(qint32 ndbNo);
    bool cmdMeals();
    bool cmdDietDates(const QString& user);
    // The days of a user's log in order, read from DietMonths; the day of
    // entries whose date is not a date is QDate() and comes first. Nothing
    // after a (fatal) failure.
    std::optional<QVector<QDate>> dietDays(const QString& user);
    // For an invalid date: the entries whose date is not a date; so for the
    // totals and the deletion of one day below.
    bool cmdDietItems(const QDate& date, const QString& user);
    bool cmdDietReport(const QDate& lo, const QDate& hi, const QString& user);
    bool cmdDietGraph(const QDate& lo, const QDate& hi, const QString& user);
    // Snapshot times within range, both bounds included.
    bool cmdSnapShotReport(const StoredRange& range, const QString& user);
    bool cmdFoodItems(qint32 groupId);
    bool cmdDietTotal(const QDate& date, const QString& user);
    bool cmdDietMealTotal(const QDate& date, const QString& meal, const QString& user);
    bool cmdAvailGroups();

    // The bulk deletions; true on success. An empty meal deletes every meal.
    bool cmdDeleteFoods(qint32 groupId);
    bool cmdDeleteDietItems(const QDate& lo, const QDate& hi, const QString& user, const QString& meal);
    bool cmdDeleteSnapshotItems(const StoredRange& range, const QString& user);

    // Creates the SnapShot table; failures reach the caller as DataError.
    void cmdCreateSnapShot();

    // The next id of a key sequence ("FOODGROUP", "FOODITEM", "DIETACTIVITY",
    // "SNAPSHOT"), stored as the sequence's last value. A missing sequence or a
    // sequence at the largest 32-bit value is fatal and gives no id.
    std::optional<qint32> getTableKey(const QString& keyName);
    // Count consecutive ids at once (an import of thousands of rows): the
    // first is returned, the last is stored as the sequence's last value.
    std::optional<qint32> getTableKeys(const QString& keyName, qint32 count);

    // Workspace transactions; failures reach the caller as DataError. After a
    // rollback, recordsets that took part should be opened again.
    void beginTrans();
    void commitTrans();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }

private:
    bool open(Recordset& recordset, const char* failureMessage, const std::function<void()>& opener);
    // The fatal path of a failed operation: its message, and what the engine's
    // failure says about the disk or the file.
    void fail(const char* failureMessage, const DataError& error);
    bool startLog();
    static bool run(QSqlQuery& query, const QString& sql);
    static QString newTokenStatement();
    void setLogHeld(bool held);
    void restartLogIfLarge();
    bool execute(const char* failureMessage, const QString& sql, const QVariantList& params);
    void closeAll();

    DataSourceHost& m_host;
    QString m_connectionName;
    bool m_connected = false;
    bool m_inTransaction = false;
    bool m_logHeld = true;
    bool m_logFound = false; // a log was beside the file when it was opened
    std::unique_ptr<IntegrityCheck> m_integrityCheck;
};
