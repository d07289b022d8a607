#include "transfer/jsonreader.h"

#include "transfer/utf8text.h"

#include <QVariantList>
#include <QVariantMap>
#include <algorithm>
#include <cmath>

namespace {

// Deeper documents are refused rather than read on a deeper stack.
constexpr int kMaxDepth = 64;

QString shown(int c)
{
    if (c < 0)
        return QStringLiteral("the end of the file");
    if (c >= 0x21 && c < 0x7f)
        return QStringLiteral("\"%1\"").arg(QChar(c));
    return QStringLiteral("the byte 0x%1").arg(c, 2, 16, QLatin1Char('0'));
}

void appendUtf8(QByteArray& bytes, char32_t code)
{
    bytes += QString::fromUcs4(&code, 1).toUtf8();
}

} // namespace

JsonReader::JsonReader(QIODevice& device) : m_bytes(device) {}

void JsonReader::fail(const QString& message) const
{
    throw Error{message, m_bytes.line()};
}

void JsonReader::skipBlanks()
{
    for (int c = peek(); c == ' ' || c == '\t' || c == '\n' || c == '\r'; c = peek())
        get();
}

int JsonReader::nextLine()
{
    skipBlanks();
    return m_bytes.line();
}

void JsonReader::expect(char c, const char* what)
{
    skipBlanks();
    const int got = get();
    if (got != c)
        fail(QStringLiteral("%1 was expected, not %2").arg(QLatin1String(what), shown(got)));
}

void JsonReader::enter(bool object)
{
    if (m_levels.size() >= kMaxDepth)
        fail(QStringLiteral("the values are nested too deeply"));
    m_levels.append({object, 0});
}

void JsonReader::beginObject()
{
    expect('{', "an object (\"{\")");
    enter(true);
}

void JsonReader::beginArray()
{
    expect('[', "a list (\"[\")");
    enter(false);
}

bool JsonReader::next(char close)
{
    skipBlanks();
    if (peek() == close) {
        get();
        m_levels.removeLast();
        return false;
    }
    if (m_levels.last().count++ > 0) {
        const int c = get();
        if (c != ',')
            fail(QStringLiteral("\",\" or \"%1\" was expected, not %2").arg(QString(QLatin1Char(close)), shown(c)));
        skipBlanks();
    }
    return true;
}

bool JsonReader::nextMember(QString* name)
{
    if (!next('}'))
        return false;
    if (peek() != '"')
        fail(QStringLiteral("a member name was expected, not %1").arg(shown(peek())));
    *name = text();
    expect(':', "\":\"");
    return true;
}

bool JsonReader::nextElement()
{
    return next(']');
}

char JsonReader::peekValue()
{
    skipBlanks();
    const int c = peek();
    return c < 0 ? '\0' : char(c);
}

QVariant JsonReader::value()
{
    switch (peekValue()) {
    case '{': {
        beginObject();
        QVariantMap map;
        QString name;
        while (nextMember(&name)) {
            if (map.contains(name))
                fail(QStringLiteral("the member \"%1\" is there twice").arg(name));
            map.insert(name, value());
        }
        return map;
    }
    case '[': {
        beginArray();
        QVariantList list;
        while (nextElement())
            list.append(value());
        return list;
    }
    case '"':
        return text();
    case 't':
        literal("true");
        return true;
    case 'f':
        literal("false");
        return false;
    case 'n':
        literal("null");
        return QVariant();
    default:
        return number();
    }
}

void JsonReader::end()
{
    skipBlanks();
    const int c = peek();
    if (c >= 0)
        fail(QStringLiteral("the document goes on after its end (%1)").arg(shown(c)));
}

void JsonReader::literal(const char* word)
{
    for (const char* w = word; *w; ++w) {
        if (get() != *w)
            fail(QStringLiteral("a value was expected (true, false, null, a number, a text, a list or an object)"));
    }
}

QVariant JsonReader::number()
{
    // -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
    QByteArray bytes;
    auto digits = [&] {
        int n = 0;
        while (peek() >= '0' && peek() <= '9') {
            bytes += char(get());
            ++n;
        }
        return n;
    };
    const int first = peek();
    if (first == '-')
        bytes += char(get());
    if (peek() < '0' || peek() > '9')
        fail(first == '-' ? QStringLiteral("a number was expected after \"-\"")
                          : QStringLiteral("a value was expected, not %1").arg(shown(peek())));
    const bool zero = peek() == '0';
    if (digits() > 1 && zero)
        fail(QStringLiteral("a number may not begin with 0 (%1)").arg(QString::fromLatin1(bytes)));
    bool whole = true;
    if (peek() == '.') {
        whole = false;
        bytes += char(get());
        if (digits() == 0)
            fail(QStringLiteral("digits were expected after the point of %1").arg(QString::fromLatin1(bytes)));
    }
    if (peek() == 'e' || peek() == 'E') {
        whole = false;
        bytes += char(get());
        if (peek() == '+' || peek() == '-')
            bytes += char(get());
        if (digits() == 0)
            fail(QStringLiteral("digits were expected in the exponent of %1").arg(QString::fromLatin1(bytes)));
    }
    bool ok = false;
    if (whole) {
        const qint64 n = bytes.toLongLong(&ok);
        if (ok)
            return n;
    }
    const double d = bytes.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        fail(QStringLiteral("the number %1 is out of range").arg(QString::fromLatin1(bytes)));
    return d;
}

QString JsonReader::text()
{
    get(); // the opening quote
    QByteArray bytes;
    auto hex4 = [&]() -> char32_t {
        char32_t code = 0;
        for (int i = 0; i < 4; ++i) {
            const int c = get();
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0)
                fail(QStringLiteral("four hexadecimal digits were expected after \\u"));
            code = code * 16 + char32_t(digit);
        }
        return code;
    };
    for (;;) {
        // The plain characters up to the next quote, escape or control
        // character are taken in one piece.
        const QByteArrayView run = m_bytes.ahead();
        if (run.isEmpty())
            fail(QStringLiteral("a text is not closed"));
        const auto plain = std::find_if(run.begin(), run.end(), [](char b) {
            return b == '"' || b == '\\' || static_cast<unsigned char>(b) < 0x20;
        });
        bytes.append(run.data(), plain - run.begin());
        m_bytes.take(plain - run.begin());
        if (plain == run.end())
            continue;
        const int c = get();
        if (c == '"')
            break;
        if (c < 0x20)
            fail(QStringLiteral("a text holds %1, which must be written as an escape").arg(shown(c)));
        const int e = get();
        switch (e) {
        case '"':
        case '\\':
        case '/':
            bytes += char(e);
            break;
        case 'b':
            bytes += '\b';
            break;
        case 'f':
            bytes += '\f';
            break;
        case 'n':
            bytes += '\n';
            break;
        case 'r':
            bytes += '\r';
            break;
        case 't':
            bytes += '\t';
            break;
        case 'u': {
            char32_t code = hex4();
            if (code >= 0xDC00 && code <= 0xDFFF)
                fail(QStringLiteral("a text holds half of a character (\\u%1)").arg(int(code), 4, 16, QLatin1Char('0')));
            if (code >= 0xD800 && code <= 0xDBFF) {
                if (get() != '\\' || get() != 'u')
                    fail(QStringLiteral("a text holds half of a character (\\u%1)").arg(int(code), 4, 16, QLatin1Char('0')));
                const char32_t low = hex4();
                if (low < 0xDC00 || low > 0xDFFF)
                    fail(QStringLiteral("a text holds half of a character (\\u%1)").arg(int(code), 4, 16, QLatin1Char('0')));
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            }
            appendUtf8(bytes, code);
            break;
        }
        default:
            fail(QStringLiteral("the escape \\%1 is not known").arg(e < 0 ? QString() : QString(QChar(e))));
        }
    }
    std::optional<QString> result = utf8Text(bytes);
    if (!result)
        fail(QStringLiteral("a text is not written in UTF-8"));
    return *result;
}
