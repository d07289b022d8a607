#include "transfer/logreader.h"

#include "report/csvexport.h"
#include "transfer/csvreader.h"
#include "transfer/jsonreader.h"
#include "transfer/logformat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

namespace LogReader {

using LogFormat::Field;
using LogRecords::Kind;
using LogRecords::Row;

namespace {

[[noreturn]] void refuse(const QString& reason)
{
    throw Refusal{reason};
}

bool isLabelItem(const QString& item)
{
    static const QRegularExpression pattern(QStringLiteral("^(USER[0-9]+|MEAL[0-9]+|OTHER[12]|SNAPSHOT[1-8])$"));
    return pattern.match(item).hasMatch();
}

void checkFormat(const QString& format)
{
    if (format != LogFormat::kFormatName)
        refuse(QStringLiteral("it is not a Foodlark data export (its format is \"%1\", not \"%2\")")
                   .arg(format, LogFormat::kFormatName));
}

int checkedVersion(const QVariant& version)
{
    if (version.typeId() != QMetaType::LongLong || version.toLongLong() < 1)
        refuse(QStringLiteral("its format version (%1) is not a version number").arg(version.toString()));
    if (version.toLongLong() > LogFormat::kVersion)
        refuse(QStringLiteral("it was written in version %1 of the Foodlark data format, and this version of the "
                              "program reads version %2 at most")
                   .arg(version.toLongLong())
                   .arg(LogFormat::kVersion));
    return int(version.toLongLong());
}

QFile* opened(QFile& file, const QString& shownName)
{
    if (!file.open(QIODevice::ReadOnly))
        refuse(QStringLiteral("%1 can not be read (%2)").arg(shownName, file.errorString()));
    return &file;
}

// --- JSON ---------------------------------------------------------------

QString textOrNull(const QVariant& value, const QString& member, int line)
{
    if (!value.isNull() && value.typeId() != QMetaType::QString)
        refuse(QStringLiteral("line %1: \"%2\" is not a text").arg(line).arg(member));
    return value.toString();
}

// The field of a record a member names; -1 for none.
int fieldNamed(Kind kind, const QString& name)
{
    static const QHash<Kind, QHash<QString, int>> byName = [] {
        QHash<Kind, QHash<QString, int>> all;
        for (Kind kind : LogFormat::kinds()) {
            const QList<Field>& fields = LogFormat::fields(kind);
            for (int i = 0; i < fields.size(); ++i)
                all[kind].insert(QLatin1String(fields[i].key), i);
        }
        return all;
    }();
    return byName[kind].value(name, -1);
}

void readRecords(JsonReader& json, Kind kind, Sink& sink)
{
    const QList<LogRecords::Column>& columns = LogRecords::columns(kind);
    const QList<Field>& fields = LogFormat::fields(kind);
    json.beginArray();
    Row row(columns.size());
    QVector<bool> seen(fields.size());
    QString name;
    for (int index = 0; json.nextElement(); ++index) {
        const Place place{kind, index, json.nextLine(), false};
        if (json.peekValue() != '{')
            refuse(place.text() + QStringLiteral(": it is not an object ({...})"));
        json.beginObject();
        seen.fill(false);
        while (json.nextMember(&name)) {
            const int f = fieldNamed(kind, name);
            if (f < 0)
                refuse(QStringLiteral("%1: \"%2\" is not a field of the %3")
                           .arg(place.text(), name, LogFormat::sectionName(kind)));
            if (seen[f])
                refuse(QStringLiteral("%1: \"%2\" is there twice").arg(place.text(), name));
            seen[f] = true;
            const QVariant value = json.value();
            const Field& field = fields[f];
            if (field.derived != LogFormat::Derived::None)
                continue;
            QString problem;
            row[field.column] = LogFormat::fromJson(value, columns[field.column], &problem);
            if (!problem.isEmpty())
                refuse(QStringLiteral("%1: \"%2\" %3").arg(place.text(), name, problem));
        }
        for (int f = 0; f < fields.size(); ++f) {
            if (!seen[f] && fields[f].derived == LogFormat::Derived::None)
                refuse(QStringLiteral("%1: \"%2\" is missing").arg(place.text(), QLatin1String(fields[f].key)));
        }
        sink.record(kind, row, place);
    }
}

// "users": [{"user": "USER1", "name": "User 1"}, ...] and the like.
void readPairs(JsonReader& json, const QString& member, const char* keyName, const char* valueName, Header& header)
{
    const int line = json.nextLine();
    const QVariant list = json.value();
    const QString shape = QStringLiteral("line %1: \"%2\" is not a list of {\"%3\": ..., \"%4\": ...}")
                              .arg(line)
                              .arg(member, QLatin1String(keyName), QLatin1String(valueName));
    if (list.typeId() != QMetaType::QVariantList)
        refuse(shape);
    for (const QVariant& element : list.toList()) {
        const QVariantMap pair = element.toMap();
        const QVariant key = pair.value(QLatin1String(keyName));
        const QVariant value = pair.value(QLatin1String(valueName));
        if (element.typeId() != QMetaType::QVariantMap || pair.size() != 2 || key.typeId() != QMetaType::QString ||
            value.typeId() != QMetaType::QString || !isLabelItem(key.toString()))
            refuse(shape);
        header.labels.append({key.toString(), value.toString()});
    }
}

void readLabels(JsonReader& json, const QString& member, Header& header)
{
    const int line = json.nextLine();
    const QVariant labels = json.value();
    if (member == QLatin1String("nutrientLabels")) {
        const QString shape = QStringLiteral("line %1: \"nutrientLabels\" is not {\"other1\": ..., \"other2\": ...}").arg(line);
        if (labels.typeId() != QMetaType::QVariantMap)
            refuse(shape);
        const QVariantMap map = labels.toMap();
        for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
            const QString item = it.key().toUpper();
            if ((item != QLatin1String("OTHER1") && item != QLatin1String("OTHER2")) || it.key() != it.key().toLower() ||
                it.value().typeId() != QMetaType::QString)
                refuse(shape);
            header.labels.append({item, it.value().toString()});
        }
        return;
    }
    const QVariantList list = labels.toList();
    if (labels.typeId() != QMetaType::QVariantList || list.size() > 8 ||
        std::any_of(list.begin(), list.end(), [](const QVariant& v) { return v.typeId() != QMetaType::QString; }))
        refuse(QStringLiteral("line %1: \"snapshotLabels\" is not a list of up to 8 texts").arg(line));
    for (int i = 0; i < list.size(); ++i)
        header.labels.append({QStringLiteral("SNAPSHOT%1").arg(i + 1), list[i].toString()});
}

Header readJson(const QString& path, Sink& sink)
{
    QFile file(path);
    JsonReader json(*opened(file, QStringLiteral("it")));
    Header header;
    try {
        json.beginObject();
        QString name;
        if (!json.nextMember(&name) || name != QLatin1String("format"))
            refuse(QStringLiteral("it is not a Foodlark data export (it does not begin with its \"format\")"));
        checkFormat(json.value().toString());
        if (!json.nextMember(&name) || name != QLatin1String("version"))
            refuse(QStringLiteral("its \"format\" is not followed by its \"version\""));
        header.version = checkedVersion(json.value());
        while (json.nextMember(&name)) {
            const int line = json.line();
            if (name == QLatin1String("exported"))
                header.exported = textOrNull(json.value(), name, line);
            else if (name == QLatin1String("program"))
                header.program = textOrNull(json.value(), name, line);
            else if (name == QLatin1String("from"))
                header.from = textOrNull(json.value(), name, line);
            else if (name == QLatin1String("to"))
                header.to = textOrNull(json.value(), name, line);
            else if (name == QLatin1String("users"))
                readPairs(json, name, "user", "name", header);
            else if (name == QLatin1String("meals"))
                readPairs(json, name, "meal", "label", header);
            else if (name == QLatin1String("nutrientLabels") || name == QLatin1String("snapshotLabels"))
                readLabels(json, name, header);
            else if (const auto& all = LogFormat::kinds(); std::any_of(all.begin(), all.end(), [&](Kind kind) {
                         return LogFormat::sectionName(kind) == name;
                     })) {
                for (Kind kind : all) {
                    if (LogFormat::sectionName(kind) == name)
                        readRecords(json, kind, sink);
                }
            } else
                refuse(QStringLiteral("line %1: the member \"%2\" is not known").arg(line).arg(name));
        }
        json.end();
    } catch (const JsonReader::Error& error) {
        refuse(QStringLiteral("it is not a complete JSON document (line %1: %2)").arg(error.line).arg(error.message));
    }
    return header;
}

// --- CSV ------------------------------------------------------------------

Header readAbout(const QDir& folder)
{
    const QString name = LogFormat::kAboutFile;
    if (!QFileInfo(folder.filePath(name)).isFile())
        refuse(QStringLiteral("the folder has no %1").arg(name));
    QFile file(folder.filePath(name));
    CsvReader csv(*opened(file, name));
    Header header;
    QString format;
    QString version;
    try {
        if (!csv.next() || csv.cells() != QStringList{QStringLiteral("Item"), QStringLiteral("Value")})
            refuse(QStringLiteral("%1 does not begin with the titles Item and Value").arg(name));
        while (csv.next()) {
            const QString where = QStringLiteral("%1, line %2").arg(name).arg(csv.line());
            if (csv.cells().size() != 2)
                refuse(where + QStringLiteral(": it does not hold an item and its value"));
            const QString item = csv.cells()[0];
            const QString value = CsvExport::exactText(csv.cells()[1]);
            if (item == QLatin1String("format"))
                format = value;
            else if (item == QLatin1String("version"))
                version = value;
            else if (item == QLatin1String("exported"))
                header.exported = value;
            else if (item == QLatin1String("program"))
                header.program = value;
            else if (item == QLatin1String("from"))
                header.from = value;
            else if (item == QLatin1String("to"))
                header.to = value;
            else if (isLabelItem(item))
                header.labels.append({item, value});
            else
                refuse(where + QStringLiteral(": the item \"%1\" is not known").arg(item));
        }
    } catch (const CsvReader::Error& error) {
        refuse(QStringLiteral("%1, line %2: %3").arg(name).arg(error.line).arg(error.message));
    }
    checkFormat(format);
    bool whole = false;
    const qint64 number = version.toLongLong(&whole);
    header.version = checkedVersion(whole ? QVariant(number) : QVariant(version));
    return header;
}

void readCsvRecords(const QDir& folder, Kind kind, Sink& sink)
{
    const QString name = LogFormat::csvFileName(kind);
    if (!QFileInfo(folder.filePath(name)).isFile())
        refuse(QStringLiteral("the folder has no %1").arg(name));
    QFile file(folder.filePath(name));
    CsvReader csv(*opened(file, name));
    const QList<Field>& fields = LogFormat::fields(kind);
    const QList<LogRecords::Column>& columns = LogRecords::columns(kind);
    try {
        if (!csv.next())
            refuse(QStringLiteral("%1 is empty: the line of column titles is missing").arg(name));
        const QStringList titles = csv.cells();
        QList<const Field*> fieldOf;
        for (const QString& title : titles) {
            const auto found =
                std::find_if(fields.begin(), fields.end(), [&](const Field& f) { return LogFormat::titleMatches(f, title); });
            if (found == fields.end())
                refuse(QStringLiteral("%1, line %2: the column \"%3\" is not known").arg(name).arg(csv.line()).arg(title));
            if (fieldOf.contains(&*found))
                refuse(QStringLiteral("%1, line %2: the column \"%3\" is there twice").arg(name).arg(csv.line()).arg(title));
            fieldOf.append(&*found);
        }
        for (const Field& field : fields) {
            if (field.derived == LogFormat::Derived::None && !fieldOf.contains(&field))
                refuse(QStringLiteral("%1, line %2: the column \"%3\" is missing")
                           .arg(name)
                           .arg(csv.line())
                           .arg(QLatin1String(field.title)));
        }
        Row row(columns.size());
        for (int index = 0; csv.next(); ++index) {
            const Place place{kind, index, csv.line(), true};
            if (csv.cells().size() != titles.size())
                refuse(place.text() + QStringLiteral(": it has %1 cells, and the line of titles %2")
                                   .arg(csv.cells().size())
                                   .arg(titles.size()));
            for (qsizetype i = 0; i < titles.size(); ++i) {
                const Field& field = *fieldOf[i];
                if (field.derived != LogFormat::Derived::None)
                    continue;
                QString problem;
                row[field.column] = LogFormat::fromCsv(csv.cells()[i], csv.quoted()[i], columns[field.column], &problem);
                if (!problem.isEmpty())
                    refuse(QStringLiteral("%1: \"%2\" %3").arg(place.text(), QLatin1String(field.title), problem));
            }
            sink.record(kind, row, place);
        }
    } catch (const CsvReader::Error& error) {
        refuse(QStringLiteral("%1, line %2: %3").arg(name).arg(error.line).arg(error.message));
    }
}

} // namespace

QString Place::text() const
{
    if (csv)
        return QStringLiteral("%1, line %2").arg(LogFormat::csvFileName(kind)).arg(line);
    return QStringLiteral("%1[%2] (line %3)").arg(LogFormat::sectionName(kind)).arg(index).arg(line);
}

bool isCsv(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() || info.suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
}

QString source(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && isCsv(path) ? info.absolutePath() : path;
}

Header read(const QString& path, Sink& sink)
{
    const QFileInfo info(source(path));
    if (!info.exists())
        refuse(QStringLiteral("there is no such file"));
    if (!isCsv(path))
        return readJson(path, sink);
    const QDir folder(info.filePath());
    Header header = readAbout(folder);
    for (Kind kind : LogFormat::kinds())
        readCsvRecords(folder, kind, sink);
    return header;
}

} // namespace LogReader
