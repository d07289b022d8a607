#pragma once

#include "data/logrecords.h"

#include <QList>
#include <QString>
#include <utility>

// Reads an export of the whole log (a JSON document, or a folder of CSV
// files) one record at a time, checking every value against its column.
namespace LogReader {

// What the file says besides its records.
struct Header
{
    int version = 0;
    QString exported; // when it was written, as the file says
    QString program;
    QString from; // the days it was written for ("" when open)
    QString to;
    // Configuration items and their values (user names, meal, snapshot and
    // nutrient labels), in the order the file gives them.
    QList<std::pair<QString, QString>> labels;
};

// Why a file can not be read (a bad record names its place: "entries[12]
// (line 14)" or "entries.csv, line 14").
struct Refusal
{
    QString reason;
};

// Where a record is in the file: "entries[12] (line 14)" in a document,
// "entries.csv, line 14" in a CSV file.
struct Place
{
    LogRecords::Kind kind;
    int index; // in its list, from 0
    int line;
    bool csv;
    QString text() const;
};

class Sink
{
public:
    virtual ~Sink() = default;
    // One record, and its place in the file for a refusal.
    virtual void record(LogRecords::Kind kind, const LogRecords::Row& row, const Place& place) = 0;
};

// The file or folder the export at path is read from: a folder, the folder
// of a CSV file, or a JSON document.
QString source(const QString& path);
bool isCsv(const QString& path);

// Reads the export at path, handing every record to sink, and returns what
// else it says. A file of a newer version than LogFormat::kVersion is refused
// before any record is read. Throws Refusal (and whatever sink throws).
Header read(const QString& path, Sink& sink);

} // namespace LogReader
