#pragma once

#include "data/logrecords.h"

#include <QDate>
#include <QDateTime>
#include <QMap>
#include <QString>

class AppContext;
class QIODevice;

// The export of the whole log (LogFormat): the diet entries and snapshots
// of one user or of all users, over all days or a range of days, with the
// user's own food groups and foods and the names and labels the records
// refer to. It is read and written a record at a time, so that the memory
// it takes does not grow with the log.
class LogExport
{
public:
    enum class Format { Json, Csv };

    struct Options
    {
        Format format = Format::Json;
        QString user; // a user key such as USER2; "" for every user
        QDate from;   // invalid: from the first day
        QDate to;     // invalid: to the last day
    };

    LogExport(AppContext& context, const Options& options);

    // Writes the export to path: a JSON file, or a folder of CSV files
    // (made, or an empty one, or one that holds an earlier export only). Every
    // file is written under another name, flushed and then put in place, so
    // a failure leaves nothing half-written and an earlier export as it was.
    // False on a failure, with a message naming the file and the cause.
    bool write(const QString& path, QString* error);

    // The JSON document, to device; false when the device refused the bytes.
    // Throws DataError for a failure of the database.
    bool writeJson(QIODevice& device);

    // How many records of each kind the last export wrote.
    const QMap<LogRecords::Kind, int>& counts() const { return m_counts; }
    // "54,410 diet entries, 3,650 snapshots, 12 foods and 3 food groups".
    QString countsText() const;

    // When the export says it was written; the current time unless set.
    QDateTime exportedAt;

private:
    void readConfiguration();
    void writeDocument(QIODevice& device);
    bool writeJsonFile(const QString& path, QString* error);
    bool writeCsvFolder(const QString& path, QString* error);
    void writeCsvFile(const QString& path, LogRecords::Kind kind);
    void writeAbout(const QString& path);
    QString derived(int derivedKind, const LogRecords::Row& row) const;

    AppContext& m_context;
    Options m_options;
    QMap<LogRecords::Kind, int> m_counts;
    // Names and labels by configuration item (upper case), and the items the
    // header lists in order.
    QMap<QString, QString> m_labels;
    QStringList m_users;
};
