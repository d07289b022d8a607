#pragma once

#include "data/logrecords.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

// The whole log as a file: a JSON document (format "foodlark-log", with a
// version number), or a folder of CSV files, one per kind of record. How the
// records' fields are named in either, and how stored values are written and
// read back exactly. The README describes the format.
namespace LogFormat {

inline const QString kFormatName = QStringLiteral("foodlark-log");
// The version this program writes, and the newest it reads.
constexpr int kVersion = 1;

using LogRecords::Kind;

// A field shown for the reader's sake only, worked out from the
// configuration when the log is written and passed over when it is read.
enum class Derived { None, UserName, MealLabel };

struct Field
{
    const char* key;   // the member of a record in the document
    const char* title; // the column title in a CSV file
    int column;        // its place in LogRecords::columns(kind); -1 for a derived field
    Derived derived = Derived::None;
    // The configuration item whose value (a label the user chose) goes before
    // the CSV title, as in "Fiber (Other1)".
    const char* labelItem = nullptr;
};

// The fields of a record, in the order they are written.
const QList<Field>& fields(Kind kind);
// "groups", "foods", "entries", "snapshots": the document's member and the
// CSV file's name (with ".csv").
QString sectionName(Kind kind);
QString csvFileName(Kind kind);
// The CSV file of the document's other members (format, version, users,
// labels), as lines of item and value.
inline const QString kAboutFile = QStringLiteral("about.csv");
// Every kind, in the order they are written and read.
const QList<Kind>& kinds();

// A field's CSV title: its title, after the label when there is one.
QString csvTitle(const Field& field, const QString& label);
bool titleMatches(const Field& field, const QString& title);

// A text as a JSON string, quotes included.
QByteArray jsonText(const QString& text);
// A stored value as it is written: null, a number, or a text (dates as
// "YYYY-MM-DD", moments as "YYYY-MM-DDTHH:MM:SS"). A value the column's type
// does not account for is written as the text it holds.
QByteArray jsonValue(const QVariant& stored, LogRecords::Type type);
// The same as a CSV cell: no value at all is an empty cell, a number is
// written as it is, a text through CsvExport::exactCell.
QString csvValue(const QVariant& stored, LogRecords::Type type);

// The stored value of a column read from a document's value or a CSV cell;
// on a value that does not fit the column, problem says why (as in "is not a
// number") and the result is null.
QVariant fromJson(const QVariant& value, const LogRecords::Column& column, QString* problem);
QVariant fromCsv(const QString& cell, bool quoted, const LogRecords::Column& column, QString* problem);

// The number of characters of text as the database counts them (a
// character beyond the first 65,536 counts once).
qsizetype characters(const QString& text);

} // namespace LogFormat
