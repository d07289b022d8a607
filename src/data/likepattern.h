#pragma once

#include <QRegularExpression>
#include <QString>

class QSqlDatabase;

// A name pattern as the Find window takes it: * any run of characters, ? one
// character, # one digit, [abc] or [a-z] one character of a list, [!abc] one
// character not in it; every other character (apostrophes, % and _ included)
// stands for itself, and letters match without regard to case. A pattern that
// cannot be read (an unclosed [, a range running backwards) is plain text.
class LikePattern
{
public:
    explicit LikePattern(const QString& pattern);

    // Whether pattern can be read as a pattern (else it is plain text).
    static bool isValid(const QString& pattern);
    // The pattern of names that contain text anywhere: "*" + text + "*",
    // with a text that is no valid pattern taken literally.
    static QString containing(const QString& text);

    bool matches(const QString& text) const;

    // Makes the SQL function pattern_matches(pattern, text) known to the
    // database connection: true when text matches pattern as matches() does,
    // so a query can find the first match in its own order.
    static void installIn(const QSqlDatabase& db);
    // An SQLite LIKE pattern (escape character \) that every text the
    // pattern matches also matches; a quick first sieve for the database.
    QString sqlFilter() const { return m_filter; }

private:
    QRegularExpression m_regex;
    QString m_filter;
};
