#include "transfer/logexport.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "data/databasefile.h"
#include "data/orvdatasource.h"
#include "data/storeddates.h"
#include "report/csvexport.h"
#include "transfer/logformat.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QLocale>
#include <QSaveFile>
#include <QTemporaryDir>
#include <functional>

using LogFormat::Field;
using LogRecords::Kind;
using LogRecords::Row;

namespace {

// A file of a CSV export that could not be written, and why.
struct FileFailure
{
    QString file;
    QString cause;
};

// The device took fewer bytes than it was given.
struct Refused
{
};

// Bytes gathered and handed to the device a block at a time.
class Output
{
public:
    explicit Output(QIODevice& device) : m_device(device) { m_buffer.reserve(kBlock + 4096); }
    Output& operator<<(const QByteArray& bytes)
    {
        m_buffer += bytes;
        if (m_buffer.size() >= kBlock)
            flush();
        return *this;
    }
    Output& operator<<(const char* text)
    {
        m_buffer += text;
        return *this;
    }
    void flush()
    {
        // A device may take part of the bytes; the rest is offered again,
        // which gives the cause when it is refused.
        for (qsizetype at = 0; at < m_buffer.size();) {
            const qint64 written = m_device.write(m_buffer.constData() + at, m_buffer.size() - at);
            if (written <= 0)
                throw Refused{};
            at += written;
        }
        m_buffer.resize(0); // keeps its room for the next block
    }

private:
    static constexpr qsizetype kBlock = 64 * 1024;
    QIODevice& m_device;
    QByteArray m_buffer;
};

// The configuration items an export names: users, meals, nutrient and snapshot labels.
const QStringList& configItems()
{
    static const QStringList items = [] {
        QStringList list;
        for (int i = 1; i <= 4; ++i)
            list << QStringLiteral("USER%1").arg(i);
        for (int i = 0; i <= 9; ++i)
            list << QStringLiteral("MEAL%1").arg(i);
        list << QStringLiteral("OTHER1") << QStringLiteral("OTHER2");
        for (int i = 1; i <= 8; ++i)
            list << QStringLiteral("SNAPSHOT%1").arg(i);
        return list;
    }();
    return items;
}

QStringList itemsStartingWith(const QLatin1String& prefix)
{
    QStringList items;
    for (const QString& item : configItems()) {
        if (item.startsWith(prefix))
            items << item;
    }
    return items;
}

QString failed(const QString& path, const QString& cause)
{
    return QStringLiteral("The diet log could not be exported to '%1': %2.")
        .arg(QDir::toNativeSeparators(path), cause);
}

// The names of the files of a CSV export.
QStringList csvNames()
{
    QStringList names = {LogFormat::kAboutFile};
    for (Kind kind : LogFormat::kinds())
        names << LogFormat::csvFileName(kind);
    return names;
}

} // namespace

LogExport::LogExport(AppContext& context, const Options& options) : m_context(context), m_options(options) {}

QString LogExport::countsText() const
{
    const QLocale english(QLocale::English);
    auto count = [&](Kind kind, const char* one, const char* many) {
        const int n = m_counts.value(kind);
        return english.toString(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
    };
    return QStringLiteral("%1, %2, %3 and %4")
        .arg(count(Kind::Entry, "diet entry", "diet entries"), count(Kind::Snapshot, "snapshot", "snapshots"),
             count(Kind::Food, "food", "foods"), count(Kind::Group, "food group", "food groups"));
}

void LogExport::readConfiguration()
{
    m_labels.clear();
    ConfigStore& config = m_context.config();
    for (const QString& item : configItems())
        m_labels.insert(item, config.getConfig(item));
    m_users = m_options.user.isEmpty() ? itemsStartingWith(QLatin1String("USER")) : QStringList{m_options.user};
}

QString LogExport::derived(int derivedKind, const Row& row) const
{
    if (derivedKind == int(LogFormat::Derived::UserName)) {
        const QString user = row[0].toString().toUpper();
        return user.startsWith(QLatin1String("USER")) ? m_labels.value(user) : QString();
    }
    const QString meal = row[2].toString().toUpper();
    return meal.startsWith(QLatin1String("MEAL")) ? m_labels.value(meal) : QString();
}

bool LogExport::writeJson(QIODevice& device)
{
    try {
        writeDocument(device);
        return true;
    } catch (const Refused&) {
        return false;
    }
}

void LogExport::writeDocument(QIODevice& device)
{
    readConfiguration();
    m_counts.clear();
    Output out(device);
    using LogFormat::jsonText;
    const QDateTime when = exportedAt.isValid() ? exportedAt : QDateTime::currentDateTime();
    auto day = [](const QDate& date) { return date.isValid() ? jsonText(storedDate(date)) : QByteArray("null"); };
    out << "{\n  \"format\": " << jsonText(LogFormat::kFormatName) << ",\n  \"version\": "
        << QByteArray::number(LogFormat::kVersion) << ",\n  \"exported\": "
        << jsonText(when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODate)) << ",\n  \"program\": "
        << jsonText(m_context.appTitle + QLatin1Char(' ') + AppContext::appVersion()) << ",\n  \"from\": "
        << day(m_options.from) << ",\n  \"to\": " << day(m_options.to) << ",\n";
    // A list of pairs, one a line.
    auto pairs = [&](const char* member, const QStringList& items, const char* key, const char* value) {
        out << "  \"" << member << "\": [";
        for (qsizetype i = 0; i < items.size(); ++i)
            out << (i > 0 ? ",\n    {\"" : "\n    {\"") << key << "\": " << jsonText(items[i]) << ", \"" << value
                << "\": " << jsonText(m_labels.value(items[i].toUpper())) << "}";
        out << "\n  ],\n";
    };
    pairs("users", m_users, "user", "name");
    pairs("meals", itemsStartingWith(QLatin1String("MEAL")), "meal", "label");
    out << "  \"nutrientLabels\": {\"other1\": " << jsonText(m_labels.value(QStringLiteral("OTHER1")))
        << ", \"other2\": " << jsonText(m_labels.value(QStringLiteral("OTHER2"))) << "},\n  \"snapshotLabels\": [";
    const QStringList snapshotItems = itemsStartingWith(QLatin1String("SNAPSHOT"));
    for (qsizetype i = 0; i < snapshotItems.size(); ++i)
        out << (i > 0 ? ", " : "") << jsonText(m_labels.value(snapshotItems[i]));
    out << "],\n";

    const QSqlDatabase db = m_context.dataSource().database();
    const LogRecords::Filter filter{m_options.user, m_options.from, m_options.to};
    for (Kind kind : LogFormat::kinds()) {
        const QList<LogRecords::Column>& columns = LogRecords::columns(kind);
        const QList<Field>& fields = LogFormat::fields(kind);
        out << "  \"" << LogFormat::sectionName(kind).toLatin1() << "\": [";
        LogRecords::Reader reader(db, kind, filter);
        int n = 0;
        while (reader.next()) {
            const Row& row = reader.row();
            out << (n++ > 0 ? ",\n    {" : "\n    {");
            for (qsizetype i = 0; i < fields.size(); ++i) {
                const Field& field = fields[i];
                out << (i > 0 ? ", \"" : "\"") << field.key << "\": "
                    << (field.column < 0 ? jsonText(derived(int(field.derived), row))
                                         : LogFormat::jsonValue(row[field.column], columns[field.column].type));
            }
            out << "}";
        }
        m_counts[kind] = n;
        out << (n > 0 ? "\n  ]" : "]") << (kind == LogFormat::kinds().last() ? "\n" : ",\n");
    }
    out << "}\n";
    out.flush();
}

bool LogExport::write(const QString& path, QString* error)
{
    try {
        return m_options.format == Format::Json ? writeJsonFile(path, error) : writeCsvFolder(path, error);
    } catch (const DataError& failure) {
        *error = failed(path, QStringLiteral("the diet log could not be read (%1)").arg(QString::fromStdString(failure.what())));
        return false;
    }
}

bool LogExport::writeJsonFile(const QString& path, QString* error)
{
    if (QFileInfo(path).isDir()) {
        *error = failed(path, QStringLiteral("it is a folder"));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *error = failed(path, file.errorString());
        return false;
    }
    bool written = false;
    try {
        written = writeJson(file);
    } catch (const DataError&) {
        file.cancelWriting();
        throw;
    }
    if (!written) {
        *error = failed(path, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = failed(path, file.errorString());
        return false;
    }
    DatabaseFile::sync(QFileInfo(path).absolutePath());
    return true;
}

namespace {

// One CSV file of the export: its byte order mark, then what body writes.
void writeCsv(const QString& path, const std::function<void(Output&)>& body)
{
    // Unbuffered, so that a write the disk refuses says why at once.
    QSaveFile file(path);
    const QString name = QFileInfo(path).fileName();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw FileFailure{name, file.errorString()};
    try {
        Output out(file);
        out << CsvExport::kByteOrderMark;
        body(out);
        out.flush();
    } catch (const Refused&) {
        throw FileFailure{name, file.errorString()};
    }
    if (!file.commit())
        throw FileFailure{name, file.errorString()};
}

} // namespace

void LogExport::writeAbout(const QString& path)
{
    using CsvExport::exactCell;
    writeCsv(path, [&](Output& out) {
        auto line = [&](const QString& item, const QString& value) {
            out << CsvExport::line({exactCell(item), value});
        };
        const QDateTime when = exportedAt.isValid() ? exportedAt : QDateTime::currentDateTime();
        line(QStringLiteral("Item"), QStringLiteral("Value"));
        line(QStringLiteral("format"), exactCell(LogFormat::kFormatName));
        line(QStringLiteral("version"), QString::number(LogFormat::kVersion));
        line(QStringLiteral("exported"), exactCell(when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODate)));
        line(QStringLiteral("program"), exactCell(m_context.appTitle + QLatin1Char(' ') + AppContext::appVersion()));
        line(QStringLiteral("from"), m_options.from.isValid() ? exactCell(storedDate(m_options.from)) : QString());
        line(QStringLiteral("to"), m_options.to.isValid() ? exactCell(storedDate(m_options.to)) : QString());
        for (const QString& item : configItems()) {
            if (!item.startsWith(QLatin1String("USER")) || m_users.contains(item))
                line(item, exactCell(m_labels.value(item)));
        }
    });
}

void LogExport::writeCsvFile(const QString& path, Kind kind)
{
    writeCsv(path, [&](Output& out) {
        const QList<Field>& fields = LogFormat::fields(kind);
        const QList<LogRecords::Column>& columns = LogRecords::columns(kind);
        QStringList cells;
        for (const Field& field : fields)
            cells << CsvExport::exactCell(LogFormat::csvTitle(
                field, field.labelItem ? m_labels.value(QLatin1String(field.labelItem)) : QString()));
        out << CsvExport::line(cells);
        LogRecords::Reader reader(m_context.dataSource().database(), kind,
                                  {m_options.user, m_options.from, m_options.to});
        int n = 0;
        while (reader.next()) {
            const Row& row = reader.row();
            cells.clear();
            for (const Field& field : fields)
                cells << (field.column < 0 ? CsvExport::exactCell(derived(int(field.derived), row))
                                           : LogFormat::csvValue(row[field.column], columns[field.column].type));
            out << CsvExport::line(cells);
            ++n;
        }
        m_counts[kind] = n;
    });
}

bool LogExport::writeCsvFolder(const QString& path, QString* error)
{
    const QFileInfo target(path);
    if (target.exists() && !target.isDir()) {
        *error = failed(path, QStringLiteral("it is a file, and a CSV export is a folder of files"));
        return false;
    }
    // A folder is only ever replaced by its next export, never emptied of the user's own files.
    const QStringList names = csvNames();
    if (target.isDir()) {
        for (const QString& name : QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
            if (!names.contains(name)) {
                *error = failed(path, QStringLiteral("the folder holds other files than an export (\"%1\"); choose a "
                                                     "new or empty folder")
                                          .arg(name));
                return false;
            }
        }
    }
    const QString parent = target.absolutePath();
    if (!QFileInfo(parent).isDir()) {
        *error = failed(path, QStringLiteral("the folder '%1' does not exist").arg(QDir::toNativeSeparators(parent)));
        return false;
    }
    QTemporaryDir part(parent + QStringLiteral("/.") + target.fileName() + QStringLiteral("-XXXXXX"));
    if (!part.isValid()) {
        *error = failed(path, part.errorString());
        return false;
    }
    readConfiguration();
    m_counts.clear();
    try {
        writeAbout(part.filePath(LogFormat::kAboutFile));
        for (Kind kind : LogFormat::kinds())
            writeCsvFile(part.filePath(LogFormat::csvFileName(kind)), kind);
    } catch (const FileFailure& failure) {
        *error = failed(path, QStringLiteral("%1 (%2)").arg(failure.cause, failure.file));
        return false;
    }
    // The files are complete: the folder takes the place of an earlier one in two renames.
    QString aside;
    if (target.exists()) {
        QTemporaryDir old(parent + QStringLiteral("/.") + target.fileName() + QStringLiteral("-old-XXXXXX"));
        aside = old.path();
        if (!old.isValid() || !old.remove() || !QDir().rename(path, aside)) {
            *error = failed(path, QStringLiteral("the earlier export in it could not be moved aside"));
            return false;
        }
    }
    if (!QDir().rename(part.path(), path)) {
        if (!aside.isEmpty())
            QDir().rename(aside, path);
        *error = failed(path, QStringLiteral("the folder could not be given its name"));
        return false;
    }
    part.setAutoRemove(false);
    if (!aside.isEmpty())
        QDir(aside).removeRecursively();
    DatabaseFile::sync(parent);
    return true;
}
