#include "data/likepattern.h"

#include "data/recordset.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <sqlite3.h>

#include <QStringList>
#include <optional>

namespace {

// One piece of a pattern, read from position i on.
struct Piece
{
    enum Kind { Literal, AnyRun, AnyOne, Digit, List } kind;
    QString text;         // Literal: the character (one code point); List: the regex class
    qsizetype length = 1; // characters of the pattern it took
};

std::optional<Piece> listAt(const QString& pattern, qsizetype i)
{
    // "[" already seen at i.
    qsizetype j = i + 1;
    const bool negated = j < pattern.size() && pattern[j] == QLatin1Char('!');
    if (negated)
        ++j;
    const qsizetype close = pattern.indexOf(QLatin1Char(']'), j);
    if (close < 0)
        return std::nullopt;
    const QString items = pattern.mid(j, close - j);
    QString regexClass;
    for (qsizetype k = 0; k < items.size(); ++k) {
        const bool range = k + 2 < items.size() && items[k + 1] == QLatin1Char('-');
        if (range) {
            if (items[k + 2] < items[k])
                return std::nullopt;
            regexClass += QRegularExpression::escape(items[k]) + QLatin1Char('-') +
                          QRegularExpression::escape(items[k + 2]);
            k += 2;
        } else {
            regexClass += QRegularExpression::escape(items[k]);
        }
    }
    QString text;
    if (items.isEmpty())
        text = negated ? QStringLiteral(".") : QString(); // [!] any one character, [] nothing at all
    else
        text = (negated ? QStringLiteral("[^") : QStringLiteral("[")) + regexClass + QLatin1Char(']');
    return Piece{Piece::List, text, close - i + 1};
}

std::optional<QList<Piece>> parse(const QString& pattern)
{
    QList<Piece> pieces;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        Piece piece{Piece::Literal, QString(c), 1};
        if (c == QLatin1Char('*')) {
            piece.kind = Piece::AnyRun;
        } else if (c == QLatin1Char('?')) {
            piece.kind = Piece::AnyOne;
        } else if (c == QLatin1Char('#')) {
            piece.kind = Piece::Digit;
        } else if (c == QLatin1Char('[')) {
            const std::optional<Piece> list = listAt(pattern, i);
            if (!list)
                return std::nullopt;
            piece = *list;
        } else if (c.isHighSurrogate() && i + 1 < pattern.size() && pattern[i + 1].isLowSurrogate()) {
            piece.text = pattern.mid(i, 2);
            piece.length = 2;
        }
        pieces << piece;
        i += piece.length;
    }
    return pieces;
}

QList<Piece> literally(const QString& text)
{
    QList<Piece> pieces;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        pieces << Piece{Piece::Literal, text.mid(i, pair ? 2 : 1), pair ? 2 : 1};
        if (pair)
            ++i;
    }
    return pieces;
}

} // namespace

LikePattern::LikePattern(const QString& pattern)
{
    const QList<Piece> pieces = parse(pattern).value_or(literally(pattern));
    QString regex;
    bool anyRun = false;
    for (const Piece& piece : pieces) {
        const bool run = piece.kind == Piece::AnyRun;
        switch (piece.kind) {
        case Piece::Literal:
            regex += QRegularExpression::escape(piece.text);
            // SQLite compares only ASCII letters without regard to case, so any
            // other character is left to the exact match that follows.
            if (piece.text.size() == 1 && piece.text[0].unicode() < 0x80) {
                const QChar c = piece.text[0];
                if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
                    m_filter += QLatin1Char('\\');
                m_filter += c;
            } else {
                m_filter += QLatin1Char('_');
            }
            break;
        case Piece::AnyRun:
            regex += QStringLiteral(".*");
            if (!anyRun)
                m_filter += QLatin1Char('%');
            break;
        case Piece::AnyOne:
            regex += QLatin1Char('.');
            m_filter += QLatin1Char('_');
            break;
        case Piece::Digit:
            regex += QStringLiteral("[0-9]");
            m_filter += QLatin1Char('_');
            break;
        case Piece::List:
            regex += piece.text;
            if (!piece.text.isEmpty())
                m_filter += QLatin1Char('_');
            break;
        }
        anyRun = run;
    }
    m_regex.setPattern(QRegularExpression::anchoredPattern(regex));
    m_regex.setPatternOptions(QRegularExpression::CaseInsensitiveOption |
                              QRegularExpression::DotMatchesEverythingOption);
}

bool LikePattern::isValid(const QString& pattern)
{
    return parse(pattern).has_value();
}

QString LikePattern::containing(const QString& text)
{
    QString pattern = text;
    if (!isValid(text)) {
        pattern.clear();
        // Each pattern character in a list of its own stands for itself.
        for (const QChar c : text) {
            if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('#') ||
                c == QLatin1Char('['))
                pattern += QLatin1Char('[') + c + QLatin1Char(']');
            else
                pattern += c;
        }
    }
    return QLatin1Char('*') + pattern + QLatin1Char('*');
}

bool LikePattern::matches(const QString& text) const
{
    return m_regex.match(text).hasMatch();
}

namespace {

// pattern_matches(pattern, text): the pattern is read once per statement.
void patternMatches(sqlite3_context* context, int, sqlite3_value** arguments)
{
    if (sqlite3_value_type(arguments[1]) == SQLITE_NULL) {
        sqlite3_result_int(context, 0);
        return;
    }
    auto text = [](sqlite3_value* value) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                                 sqlite3_value_bytes(value));
    };
    const auto* kept = static_cast<const LikePattern*>(sqlite3_get_auxdata(context, 0));
    if (kept) {
        sqlite3_result_int(context, kept->matches(text(arguments[1])));
        return;
    }
    auto* pattern = new LikePattern(text(arguments[0]));
    sqlite3_result_int(context, pattern->matches(text(arguments[1])));
    // SQLite may free it at once; it is not used after this.
    sqlite3_set_auxdata(context, 0, pattern, [](void* p) { delete static_cast<LikePattern*>(p); });
}

} // namespace

void LikePattern::installIn(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw DataError("the pattern function needs an SQLite connection");
    sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData());
    if (sqlite3_create_function_v2(connection, "pattern_matches", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   patternMatches, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw DataError(sqlite3_errmsg(connection));
}
