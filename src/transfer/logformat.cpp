#include "transfer/logformat.h"

#include "data/storeddates.h"
#include "report/csvexport.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace LogFormat {

using LogRecords::Column;
using LogRecords::Type;

namespace {

// The eight nutrients from column first on.
QList<Field> nutrients(int first)
{
    return {{"fat", "Fat", first},
            {"protein", "Protein", first + 1},
            {"carbohydrate", "Carbohydrate", first + 2},
            {"calorie", "Calorie", first + 3},
            {"sodium", "Sodium", first + 4},
            {"cholesterol", "Cholesterol", first + 5},
            {"other1", "Other1", first + 6, Derived::None, "OTHER1"},
            {"other2", "Other2", first + 7, Derived::None, "OTHER2"}};
}

// The serving and USDA fields from column first on.
QList<Field> usda(int first)
{
    return {{"usdaNdbNo", "USDA NDB No", first},
            {"usdaMsreNo", "USDA Measure No", first + 1},
            {"usdaGramWeight", "USDA Gram Weight", first + 2}};
}

bool isNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

QByteArray numberText(const QVariant& value)
{
    if (value.typeId() == QMetaType::Double) {
        const double d = value.toDouble();
        return std::isfinite(d) ? QByteArray::number(d, 'g', QLocale::FloatingPointShortest) : QByteArray("null");
    }
    return QByteArray::number(value.toLongLong());
}

// A stored moment "YYYY-MM-DD HH:MM:SS" as written: "YYYY-MM-DDTHH:MM:SS".
QString writtenText(const QVariant& stored, Type type)
{
    QString text = stored.toString();
    if (type == Type::Moment && text.size() == 19 && text[10] == QLatin1Char(' '))
        text[10] = QLatin1Char('T');
    return text;
}

// What a text shows of itself in a message.
QString quote(const QString& text)
{
    const QString shown = text.size() > 40 ? text.left(40) + QStringLiteral("...") : text;
    return QStringLiteral(" (\"%1\")").arg(shown);
}

// A text read as the column's day or moment; nothing when it is not one.
QVariant fromText(const QString& text, const Column& column, QString* problem)
{
    switch (column.type) {
    case Type::Day:
        if (text.size() == 10 && storedDay(text).isValid())
            return text;
        *problem = QStringLiteral("is not a day written YYYY-MM-DD") + quote(text);
        return {};
    case Type::Moment: {
        QString stored = text;
        if (stored.size() == 19 && stored[10] == QLatin1Char('T')) {
            stored[10] = QLatin1Char(' ');
            if (fromStoredDateTime(stored).isValid())
                return stored;
        }
        *problem = QStringLiteral("is not a time written YYYY-MM-DDTHH:MM:SS") + quote(text);
        return {};
    }
    default:
        if (column.maxLength > 0 && characters(text) > column.maxLength) {
            *problem = QStringLiteral("is longer than %1 characters").arg(column.maxLength);
            return {};
        }
        return text;
    }
}

// A number read as the column's: whole numbers of 32 bits, or any finite number.
QVariant fromNumber(const QVariant& number, const Column& column, const QString& written, QString* problem)
{
    if (column.type == Type::Real)
        return number.toDouble();
    const double d = number.toDouble();
    if (number.typeId() == QMetaType::Double && d != std::floor(d)) {
        *problem = QStringLiteral("is not a whole number") + quote(written);
        return {};
    }
    const qint64 n = number.typeId() == QMetaType::Double ? qint64(d) : number.toLongLong();
    if (std::fabs(d) > 2147483647.0 || n > std::numeric_limits<qint32>::max() ||
        n < std::numeric_limits<qint32>::min()) {
        *problem = QStringLiteral("is out of range") + quote(written);
        return {};
    }
    return n;
}

} // namespace

const QList<Field>& fields(Kind kind)
{
    // By kind, in the order of Kind.
    static const QList<Field> all[] = {
        {{"root", "Root", 0}, {"group", "Group", 1}},
        QList<Field>{{"root", "Root", 0}, {"group", "Group", 1}, {"food", "Food", 2}, {"servingSize", "Serving Size", 3}} +
            usda(4) + nutrients(7),
        QList<Field>{{"user", "User", 0},
                     {"userName", "User Name", -1, Derived::UserName},
                     {"date", "Date", 1},
                     {"meal", "Meal", 2},
                     {"mealLabel", "Meal Label", -1, Derived::MealLabel},
                     {"group", "Group", 3},
                     {"food", "Food", 4},
                     {"servingSize", "Serving Size", 5},
                     {"servings", "Servings", 6}} +
            usda(7) + nutrients(10),
        {{"user", "User", 0},
         {"userName", "User Name", -1, Derived::UserName},
         {"taken", "Taken", 1},
         {"value1", "Value 1", 2, Derived::None, "SNAPSHOT1"},
         {"value2", "Value 2", 3, Derived::None, "SNAPSHOT2"},
         {"value3", "Value 3", 4, Derived::None, "SNAPSHOT3"},
         {"value4", "Value 4", 5, Derived::None, "SNAPSHOT4"},
         {"value5", "Value 5", 6, Derived::None, "SNAPSHOT5"},
         {"value6", "Value 6", 7, Derived::None, "SNAPSHOT6"},
         {"value7", "Value 7", 8, Derived::None, "SNAPSHOT7"},
         {"value8", "Value 8", 9, Derived::None, "SNAPSHOT8"},
         {"comments", "Comments", 10}}};
    return all[int(kind)];
}

QString sectionName(Kind kind)
{
    static const char* const names[] = {"groups", "foods", "entries", "snapshots"};
    return QLatin1String(names[int(kind)]);
}

QString csvFileName(Kind kind)
{
    return sectionName(kind) + QStringLiteral(".csv");
}

const QList<Kind>& kinds()
{
    static const QList<Kind> all = {Kind::Group, Kind::Food, Kind::Entry, Kind::Snapshot};
    return all;
}

QString csvTitle(const Field& field, const QString& label)
{
    const QString title = QLatin1String(field.title);
    if (!field.labelItem || label.trimmed().isEmpty())
        return title;
    return label + QStringLiteral(" (") + title + QLatin1Char(')');
}

bool titleMatches(const Field& field, const QString& title)
{
    const QLatin1String own(field.title);
    return title == own || (field.labelItem && title.endsWith(QStringLiteral(" (") + own + QLatin1Char(')')));
}

QByteArray jsonText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 2);
    out += '"';
    if (std::none_of(utf8.begin(), utf8.end(), [](char c) { return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20; })) {
        out += utf8;
        out += '"';
        return out;
    }
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                out += QByteArray("\\u00") + QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
            else
                out += c;
        }
    }
    out += '"';
    return out;
}

QByteArray jsonValue(const QVariant& stored, Type type)
{
    if (stored.isNull())
        return QByteArrayLiteral("null");
    if ((type == Type::Integer || type == Type::Real) && isNumber(stored))
        return numberText(stored);
    return jsonText(writtenText(stored, type));
}

QString csvValue(const QVariant& stored, Type type)
{
    if (stored.isNull())
        return {};
    if ((type == Type::Integer || type == Type::Real) && isNumber(stored))
        return QString::fromLatin1(numberText(stored));
    return CsvExport::exactCell(writtenText(stored, type));
}

QVariant fromJson(const QVariant& value, const Column& column, QString* problem)
{
    if (value.isNull()) {
        if (column.required)
            *problem = QStringLiteral("has no value");
        return {};
    }
    const bool number = value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double;
    const bool text = value.typeId() == QMetaType::QString;
    switch (column.type) {
    case Type::Integer:
    case Type::Real:
        if (number)
            return fromNumber(value, column, value.toString(), problem);
        *problem = QStringLiteral("is not a number") + (text ? quote(value.toString()) : QString());
        return {};
    default:
        if (text)
            return fromText(value.toString(), column, problem);
        *problem = QStringLiteral("is not a text");
        return {};
    }
}

QVariant fromCsv(const QString& cell, bool quoted, const Column& column, QString* problem)
{
    const bool numeric = column.type == Type::Integer || column.type == Type::Real;
    if (cell.isEmpty() && (!quoted || numeric)) {
        if (column.required)
            *problem = QStringLiteral("has no value");
        return {};
    }
    if (!numeric)
        return fromText(CsvExport::exactText(cell), column, problem);
    // Numbers as the export writes them (and JSON reads them).
    static const QRegularExpression pattern(QStringLiteral("^-?(0|[1-9][0-9]*)(\\.[0-9]+)?([eE][+-]?[0-9]+)?$"));
    const QRegularExpressionMatch match = pattern.match(cell);
    bool ok = false;
    QVariant number;
    if (match.hasMatch()) {
        if (match.capturedLength(2) == 0 && match.capturedLength(3) == 0)
            number = cell.toLongLong(&ok);
        if (!ok)
            number = cell.toDouble(&ok);
        ok = ok && std::isfinite(number.toDouble());
    }
    if (!ok) {
        *problem = QStringLiteral("is not a number") + quote(cell);
        return {};
    }
    return fromNumber(number, column, cell, problem);
}

qsizetype characters(const QString& text)
{
    qsizetype n = 0;
    for (const QChar c : text)
        n += c.isLowSurrogate() ? 0 : 1;
    return n;
}

} // namespace LogFormat
