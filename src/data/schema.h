#pragma once

#include <QSqlDatabase>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

// The tables of a database file, in SQLite's terms. Text columns compare and
// sort without regard to case; text columns with a declared size refuse longer
// values, as the original file format does.
namespace Schema {

// Creates CONFIG, TableKey, FoodGroup, FoodItem, USDA_Measures, DietActivity
// (with DietMonths), Meal and their indexes; the SnapShot table too when
// withSnapShot is set.
// Throws DataError.
void createTables(const QSqlDatabase& db, bool withSnapShot = true);

// The SnapShot table with its unique primary-key index pk_SnapShot.
void createSnapShotTable(const QSqlDatabase& db);

// DietMonths: the days of each user's diet log, a row per month ("YYYY-MM")
// whose Days has bit d - 1 set for each day d with entries; entries whose
// DietDate is not a real day "YYYY-MM-DD" count as one day, month '' bit 0.
// Triggers keep it in step with DietActivity inside the same statements and
// transactions, so the diet tree lists decades of days from a few hundred
// rows without reading the log.
void createDietMonths(const QSqlDatabase& db);
// Whether the table and its three triggers are there.
bool hasDietMonths(const QSqlDatabase& db);
// Drops what there is of them, creates them anew and fills the table from the log.
void rebuildDietMonths(const QSqlDatabase& db);
// A query of the rows DietMonths holds (UserName, Month, Days), worked out
// from the log itself: for a file that has no DietMonths yet.
QString dietMonthsOfLog();
// The SQL expression of the day of a DietDate value: the value itself when
// it is a real day written "YYYY-MM-DD", otherwise ''.
QString dietDayOf(const QString& value);

// The configuration rows of a new database (version, four users with the first
// current, the meal labels, the "Weight Loss" snapshot labels, the optional
// nutrient labels and both switches "Y").
void writeNewDatabaseConfig(const QSqlDatabase& db, const QString& version);

// A TableKey row for each of the four key sequences (replacing any there),
// holding the highest id in use, so the next key handed out is free.
void writeTableKeys(const QSqlDatabase& db);

// Makes or fills the database file at path in one transaction with what fill
// writes, then compacts it when asked. The file is not in use yet, so it is
// written without crash protection; on any failure it is removed and the
// failure (DataError) passed on.
void writeFile(const QString& path, const std::function<void(const QSqlDatabase&)>& fill, bool compact);

// Every table and column of the schema that the file lacks, read from the
// engine's own catalogue, in the schema's order: "Meal" for a missing table,
// "FoodItem.ServingSize" for a missing column of a table that is there. The
// SnapShot table is left out when withSnapShot is false (an older database,
// whose upgrade makes it). Throws DataError.
QStringList missingParts(const QSqlDatabase& db, bool withSnapShot = true);

// The key sequences the program numbers new rows from ("FOODGROUP",
// "FOODITEM", "DIETACTIVITY", and "SNAPSHOT" when withSnapShot is set).
QStringList keySequences(bool withSnapShot = true);

// A key sequence whose row is missing, or whose last value is not a whole
// number (value then holds what is stored).
struct KeyFault
{
    QString sequence;
    bool missing = false;
    QVariant value;
};
// The faults of the sequences' first rows, in the order of keySequences().
// Throws DataError.
QList<KeyFault> keyFaults(const QSqlDatabase& db, bool withSnapShot = true);

// Runs one statement with bound values; throws DataError.
void exec(const QSqlDatabase& db, const QString& sql, const QVariantList& params = {});

} // namespace Schema
