#pragma once

#include "transfer/bytereader.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVector>

class QIODevice;

// Reads a JSON document (RFC 8259, UTF-8, a byte order mark allowed) from a
// device a piece at a time, so that a document of any length is read in the
// same memory. The caller walks objects and arrays member by member and
// reads each value it meets, whole or walked in turn. Texts are refused
// when they are not UTF-8, hold control characters or a lone half of a
// surrogate pair; numbers come as qint64 when whole and in range, else as
// double (never infinite). Every failure is thrown as JsonReader::Error with
// the line it was met on.
class JsonReader
{
public:
    struct Error
    {
        QString message;
        int line = 0;
    };

    explicit JsonReader(QIODevice& device);

    // The line (from 1) of the last character read.
    int line() const { return m_bytes.line(); }
    // The line of the next character that is not a blank.
    int nextLine();

    // '{': the object's members follow.
    void beginObject();
    // The next member's name, false at the object's end ('}'). The member's
    // value must be read before the next call.
    bool nextMember(QString* name);
    // '[': the array's values follow.
    void beginArray();
    // True when another value follows (to be read next), false at the end (']').
    bool nextElement();
    // A whole value: QVariant() for null, bool, qint64, double, QString,
    // QVariantMap (a member twice is refused) or QVariantList.
    QVariant value();
    // Nothing but blanks may follow.
    void end();
    // The first character of the next value, without reading it.
    char peekValue();

private:
    [[noreturn]] void fail(const QString& message) const;
    int peek() { return m_bytes.peek(); }
    int get() { return m_bytes.get(); }
    void skipBlanks();
    void expect(char c, const char* what);
    QString text();
    QVariant number();
    void literal(const char* word);
    void enter(bool object);
    // Before the next member or value of the open object or list: false at
    // its end (close), after a comma but for the first.
    bool next(char close);

    struct Level
    {
        bool object;
        int count;
    };

    ByteReader m_bytes;
    QVector<Level> m_levels;
};
