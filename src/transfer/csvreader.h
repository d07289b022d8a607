#pragma once

#include "transfer/bytereader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

class QIODevice;

// Reads the records of a CSV file (RFC 4180: cells separated by commas,
// records ending in CR LF or LF, a cell with commas, quotes or line breaks
// in quotes with its quotes doubled) from a device a piece at a time. The
// file is UTF-8; a byte order mark is passed over. Empty lines are passed
// over too. Failures are thrown as CsvReader::Error with their line.
class CsvReader
{
public:
    struct Error
    {
        QString message;
        int line = 0;
    };

    explicit CsvReader(QIODevice& device);

    // Reads the next record; false at the end of the file.
    bool next();
    const QStringList& cells() const { return m_cells; }
    // Whether each cell was written in quotes: "" is an empty text, an empty
    // cell without quotes stands for no value at all.
    const QVector<bool>& quoted() const { return m_quoted; }
    // The line (from 1) the record begins on.
    int line() const { return m_recordLine; }

private:
    int peek() { return m_bytes.peek(); }
    int get() { return m_bytes.get(); }
    [[noreturn]] void fail(const QString& message) const;
    void endCell(QByteArray& cell, bool quoted);

    ByteReader m_bytes;
    int m_recordLine = 1;
    QStringList m_cells;
    QVector<bool> m_quoted;
};
