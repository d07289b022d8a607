#include "transfer/logimport.h"

#include "app/appcontext.h"
#include "app/backups.h"
#include "app/configstore.h"
#include "data/databasebackup.h"
#include "data/logrecords.h"
#include "data/orvdatasource.h"
#include "data/transaction.h"

#include <QCryptographicHash>
#include <QDir>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QtDebug>
#include <memory>
#include <optional>

using LogRecords::Kind;
using LogRecords::Row;


namespace {

const QString kImportedGroup = QStringLiteral("Imported");
const QString kGroupRoot = QStringLiteral("GROUPROOT");

// A failure the data source has already reported.
struct Reported
{
};

[[noreturn]] void refuse(const QString& reason)
{
    throw LogReader::Refusal{reason};
}

// The values of a row from column first on, as one key: equal keys, equal values.
QByteArray valuesKey(const Row& row, int first = 0)
{
    QByteArray bytes;
    for (int i = first; i < row.size(); ++i) {
        const QVariant& value = row[i];
        if (value.isNull()) {
            bytes += 'N';
        } else if (value.typeId() == QMetaType::Double) {
            const double d = value.toDouble() == 0 ? 0.0 : value.toDouble(); // -0 is 0
            bytes += 'R';
            bytes.append(reinterpret_cast<const char*>(&d), sizeof d);
        } else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
            const qint64 n = value.toLongLong();
            bytes += 'I';
            bytes.append(reinterpret_cast<const char*>(&n), sizeof n);
        } else {
            const QByteArray text = value.toString().toUtf8();
            bytes += 'S' + QByteArray::number(text.size()) + ':' + text;
        }
    }
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}

// A diet entry's or snapshot's key: its user without regard to case (as
// the database compares it), then every other value exactly.
QByteArray recordKey(const Row& row)
{
    Row normal = row;
    normal[0] = row[0].toString().toUpper();
    return valuesKey(normal);
}

QString number(int n)
{
    return QLocale(QLocale::English).toString(n);
}

QString counted(int n, const char* one, const char* many)
{
    return number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

// The records of a file as they are read: checked against this database,
// compared with what it holds, and added when write is set.
class Importer : public LogReader::Sink
{
public:
    Importer(AppContext& context, LogImport::Summary& summary, bool write, const LogImport::Summary& planned)
        : m_context(context), m_db(context.dataSource().database()), m_summary(summary), m_write(write)
    {
        if (write) {
            // The keys of the rows the preview counted, taken at once.
            reserve(QStringLiteral("DIETACTIVITY"), planned.newEntries());
            reserve(QStringLiteral("SNAPSHOT"), planned.newSnapshots());
            reserve(QStringLiteral("FOODITEM"), planned.newFoods());
            reserve(QStringLiteral("FOODGROUP"), planned.newGroups() + (planned.makesImported ? 1 : 0));
        }
        Recordset& config = context.dataSource().rsConfig;
        for (config.moveFirst(); !config.eof(); config.moveNext()) {
            const QString item = config.text(QStringLiteral("ConfigItem")).toUpper();
            if (!m_items.contains(item))
                m_items.insert(item, {config.text(QStringLiteral("ConfigValue")), config.flag(QStringLiteral("SelectedConfig"))});
        }
        m_holdsLog = LogRecords::holdsLog(m_db);
        if (write)
            m_writer = std::make_unique<LogRecords::Writer>(m_db);
    }

    void record(Kind kind, const Row& row, const LogReader::Place& place) override
    {
        switch (kind) {
        case Kind::Group:
            m_groups.append(row);
            return;
        case Kind::Food:
            m_foods.append(row);
            return;
        case Kind::Entry:
        case Kind::Snapshot:
            break;
        }
        const QString user = row[0].toString();
        if (!isItem(user, QLatin1String("USER")))
            refuse(QStringLiteral("%1: the user \"%2\" does not exist in this database").arg(place.text(), user));
        const bool entry = kind == Kind::Entry;
        if (entry) {
            const QString meal = row[2].toString();
            if (!meal.isEmpty() && !isItem(meal, QLatin1String("MEAL")))
                refuse(QStringLiteral("%1: the meal \"%2\" does not exist in this database").arg(place.text(), meal));
        }
        const QString day = row[1].toString().left(10);
        if (m_summary.firstDay.isEmpty() || day < m_summary.firstDay)
            m_summary.firstDay = day;
        if (day > m_summary.lastDay)
            m_summary.lastDay = day;
        LogImport::UserCounts& counts = m_summary.users[user];
        (entry ? counts.entries : counts.snapshots)++;
        if (isHere(kind, row)) {
            (entry ? counts.entriesHere : counts.snapshotsHere)++;
            return;
        }
        if (!m_write)
            return;
        if (entry)
            m_writer->addEntry(nextKey(QStringLiteral("DIETACTIVITY")), row);
        else
            m_writer->addSnapshot(nextKey(QStringLiteral("SNAPSHOT")), row);
    }

    // What the records left to the end: names and labels, groups and foods.
    void finish(const LogReader::Header& header)
    {
        relabel(header);
        placeGroups();
        placeFoods();
    }

private:
    struct Item
    {
        QString value;
        bool selected = false;
    };
    // A food group's place: its top-level group's name and its own.
    using Place = std::pair<QString, QString>;

    bool isItem(const QString& key, const QLatin1String& family) const
    {
        return key.startsWith(family, Qt::CaseInsensitive) && m_items.contains(key.toUpper());
    }

    void reserve(const QString& sequence, int count)
    {
        if (count <= 0)
            return;
        const std::optional<qint32> first = m_context.dataSource().getTableKeys(sequence, count);
        if (!first)
            throw Reported{};
        m_keys[sequence] = {*first, count};
    }

    // The next key of a sequence, from its block; a new block when it is used
    // up (the file has more than its preview counted, or there was none).
    qint32 nextKey(const QString& sequence)
    {
        if (m_keys.value(sequence).second == 0)
            reserve(sequence, 256);
        std::pair<qint32, int>& block = m_keys[sequence];
        --block.second;
        return block.first++;
    }

    // Whether an equal record is here that no other record of the file has
    // been matched with; the user's records are read when first needed, so
    // before any of them is added.
    bool isHere(Kind kind, const Row& row)
    {
        const QString user = row[0].toString().toUpper();
        QHash<QString, int>& loaded = kind == Kind::Entry ? m_entryUsers : m_snapshotUsers;
        QHash<QByteArray, int>& here = kind == Kind::Entry ? m_entriesHere : m_snapshotsHere;
        auto users = loaded.find(user);
        if (users == loaded.end()) {
            int n = 0;
            LogRecords::Reader reader(m_db, kind, {user, {}, {}});
            for (; reader.next(); ++n)
                ++here[recordKey(reader.row())];
            users = loaded.insert(user, n);
        }
        if (*users == 0) // nothing of the user's here: no key to work out
            return false;
        const auto found = here.find(recordKey(row));
        if (found == here.end() || *found == 0)
            return false;
        --*found;
        return true;
    }

    void relabel(const LogReader::Header& header)
    {
        QSet<QString> seen;
        for (const auto& [item, value] : header.labels) {
            const QString key = item.toUpper();
            if (!m_items.contains(key)) {
                if (key.startsWith(QLatin1String("USER")))
                    refuse(QStringLiteral("the file names the user \"%1\", which does not exist in this database").arg(item));
                if (key.startsWith(QLatin1String("MEAL")))
                    refuse(QStringLiteral("the file names the meal \"%1\", which does not exist in this database").arg(item));
                continue;
            }
            const Item& here = m_items[key];
            if (seen.contains(key) || value == here.value || (m_holdsLog && !here.value.trimmed().isEmpty()))
                continue;
            seen.insert(key);
            m_summary.relabels.append({key, here.value, value});
            if (m_write)
                m_context.config().setConfig(key, value, here.selected);
        }
    }

    // The groups of the file: as many of each as the file has, made under
    // their top-level group when it is here.
    void placeGroups()
    {
        m_groupsHere = LogRecords::groups(m_db);
        for (const LogRecords::Group& group : std::as_const(m_groupsHere)) {
            if (group.parent == 0 && !m_roots.contains(group.name))
                m_roots.insert(group.name, group);
        }
        QHash<Place, int> unmatched;
        for (const LogRecords::Group& group : std::as_const(m_groupsHere)) {
            const QString root = rootName(group.parent);
            if (group.parent != 0 && !root.isNull()) {
                ++unmatched[{root, group.name}];
                if (!m_placed.contains({root, group.name}))
                    m_placed.insert({root, group.name}, group.id);
            }
        }
        for (const Row& row : std::as_const(m_groups)) {
            const Place place{row[0].toString(), row[1].toString()};
            ++m_summary.groups;
            if (unmatched.value(place) > 0) {
                --unmatched[place];
                ++m_summary.groupsHere;
                continue;
            }
            if (!m_roots.contains(place.first)) {
                // Its foods go to "Imported"; the group itself is not made.
                ++m_summary.groupsUnplaced;
                continue;
            }
            const qint32 id = m_write ? nextKey(QStringLiteral("FOODGROUP")) : -1;
            if (m_write)
                m_writer->addGroup(id, place.second, m_roots[place.first].id, QStringLiteral("GROUP"));
            if (!m_placed.contains(place))
                m_placed.insert(place, id);
        }
    }

    QString rootName(qint32 id) const
    {
        for (const LogRecords::Group& root : m_roots) {
            if (root.id == id)
                return root.name;
        }
        return {};
    }

    // The group a food of the file goes to; nothing for "Imported".
    std::optional<qint32> groupOf(const Row& food) const
    {
        if (food[0].isNull())
            return std::nullopt;
        const QString root = food[0].toString();
        if (food[1].isNull()) {
            const auto found = m_roots.find(root);
            if (found == m_roots.end() || found->tag.compare(kGroupRoot, Qt::CaseInsensitive) == 0)
                return std::nullopt;
            return found->id;
        }
        const auto placed = m_placed.find({root, food[1].toString()});
        return placed == m_placed.end() ? std::nullopt : std::optional<qint32>(*placed);
    }

    // The group "Imported" below the top-level group "My Foods" (else the
    // first top-level group of the catalogue), made when first needed.
    qint32 importedGroup()
    {
        if (m_imported)
            return *m_imported;
        const LogRecords::Group* root = nullptr;
        for (const LogRecords::Group& candidate : std::as_const(m_groupsHere)) {
            if (candidate.parent != 0 || candidate.tag.compare(kGroupRoot, Qt::CaseInsensitive) != 0)
                continue;
            if (!root || (candidate.name == QLatin1String("My Foods") && root->name != QLatin1String("My Foods")))
                root = &candidate;
        }
        if (!root)
            refuse(QStringLiteral("this database has no top-level food group to hold the group \"%1\"").arg(kImportedGroup));
        if (const auto found = m_placed.find({root->name, kImportedGroup}); found != m_placed.end()) {
            m_imported = *found;
        } else {
            m_summary.makesImported = true;
            m_imported = m_write ? nextKey(QStringLiteral("FOODGROUP")) : -1;
            if (m_write)
                m_writer->addGroup(*m_imported, kImportedGroup, root->id, QStringLiteral("GROUP"));
            m_placed.insert({root->name, kImportedGroup}, *m_imported);
        }
        return *m_imported;
    }

    // The foods of the file that no food of the user's here matches, one in
    // the same group first, then one anywhere.
    void placeFoods()
    {
        QHash<QByteArray, QHash<Place, int>> here;
        LogRecords::Reader reader(m_db, Kind::Food);
        while (reader.next()) {
            const Row& food = reader.row();
            ++here[valuesKey(food, 2)][{food[0].toString(), food[1].toString()}];
        }
        QList<bool> matched(m_foods.size(), false);
        for (int pass = 0; pass < 2; ++pass) {
            for (qsizetype i = 0; i < m_foods.size(); ++i) {
                if (matched[i])
                    continue;
                const Row& food = m_foods[i];
                QHash<Place, int>& places = here[valuesKey(food, 2)];
                const Place place{food[0].toString(), food[1].toString()};
                for (auto it = places.begin(); it != places.end(); ++it) {
                    if (*it > 0 && (pass == 1 || it.key() == place)) {
                        --*it;
                        matched[i] = true;
                        break;
                    }
                }
            }
        }
        for (qsizetype i = 0; i < m_foods.size(); ++i) {
            ++m_summary.foods;
            if (matched[i]) {
                ++m_summary.foodsHere;
                continue;
            }
            std::optional<qint32> group = groupOf(m_foods[i]);
            if (!group) {
                ++m_summary.foodsToImported;
                group = importedGroup();
            }
            if (m_write)
                m_writer->addFood(nextKey(QStringLiteral("FOODITEM")), *group, m_foods[i]);
        }
    }

    AppContext& m_context;
    QSqlDatabase m_db;
    LogImport::Summary& m_summary;
    bool m_write;
    bool m_holdsLog = false;
    QHash<QString, Item> m_items;
    QHash<QString, std::pair<qint32, int>> m_keys; // the next key of a block, and how many are left
    std::unique_ptr<LogRecords::Writer> m_writer;
    // The users whose records here have been read, and how many there are.
    QHash<QString, int> m_entryUsers;
    QHash<QString, int> m_snapshotUsers;
    QHash<QByteArray, int> m_entriesHere;
    QHash<QByteArray, int> m_snapshotsHere;
    QList<Row> m_groups;
    QList<Row> m_foods;
    QList<LogRecords::Group> m_groupsHere;
    QHash<QString, LogRecords::Group> m_roots; // the first top-level group of each name
    QHash<Place, qint32> m_placed;
    std::optional<qint32> m_imported;
};

} // namespace

int LogImport::Summary::newEntries() const
{
    int n = 0;
    for (const UserCounts& counts : users)
        n += counts.entries - counts.entriesHere;
    return n;
}

int LogImport::Summary::newSnapshots() const
{
    int n = 0;
    for (const UserCounts& counts : users)
        n += counts.snapshots - counts.snapshotsHere;
    return n;
}

bool LogImport::Summary::nothingNew() const
{
    return newEntries() == 0 && newSnapshots() == 0 && newFoods() == 0 && newGroups() == 0 && relabels.isEmpty();
}

LogImport::LogImport(AppContext& context, const QString& path) : m_context(context), m_path(path) {}

bool LogImport::process(bool write, const Summary& planned)
{
    m_summary = Summary();
    m_refusal.clear();
    const QString unchanged = QStringLiteral("  Nothing has been imported.");
    try {
        // Everything or nothing: a refusal or failure on the way rolls back
        // the rows added before it (and the keys taken for them).
        std::optional<Transaction> transaction;
        if (write)
            transaction.emplace(m_context.dataSource());
        {
            Importer importer(m_context, m_summary, write, planned);
            m_summary.header = LogReader::read(m_path, importer);
            importer.finish(m_summary.header);
        }
        if (transaction)
            transaction->commit();
        return true;
    } catch (const LogReader::Refusal& refusal) {
        m_refusal = QStringLiteral("The file '%1' can not be imported: %2.")
                        .arg(QDir::toNativeSeparators(m_path), refusal.reason) +
                    unchanged;
    } catch (const Reported&) {
    } catch (const DataError& error) {
        qWarning() << "import:" << error.what();
        m_context.reportError(
            QStringLiteral("Unable to import the file '%1'.  ").arg(QDir::toNativeSeparators(m_path)) +
                unchanged.trimmed() + QStringLiteral("  "),
            error);
    }
    return false;
}

bool LogImport::preview()
{
    return process(false, Summary());
}

bool LogImport::run()
{
    if (!Backups::makeAutomatic(m_context, DatabaseBackup::kBeforeImport, QStringLiteral("Nothing has been imported.  "),
                                &m_backup))
        return false;
    const Summary planned = m_summary;
    return process(true, planned);
}

QString LogImport::previewText() const
{
    const Summary& s = m_summary;
    ConfigStore& config = m_context.config();
    QStringList lines;
    QString written;
    if (!s.header.program.isEmpty())
        written += QStringLiteral(" by ") + s.header.program;
    if (!s.header.exported.isEmpty())
        written += QStringLiteral(" on ") + s.header.exported;
    lines << QStringLiteral("The file '%1'%2 holds:")
                 .arg(QDir::toNativeSeparators(m_path),
                      written.isEmpty() ? QString() : QStringLiteral(" (written%1)").arg(written));
    auto ofThem = [](int n, int here) {
        return here == 0 ? QString() : here == n ? QStringLiteral(" (all here already)")
                                                  : QStringLiteral(" (%1 here already)").arg(number(here));
    };
    for (auto it = s.users.constBegin(); it != s.users.constEnd(); ++it) {
        const UserCounts& c = it.value();
        lines << QStringLiteral("  %1 (%2): %3%4, %5%6")
                     .arg(config.getConfig(it.key()), it.key(), counted(c.entries, "diet entry", "diet entries"),
                          ofThem(c.entries, c.entriesHere), counted(c.snapshots, "snapshot", "snapshots"),
                          ofThem(c.snapshots, c.snapshotsHere));
    }
    if (s.users.isEmpty())
        lines << QStringLiteral("  no diet entries and no snapshots");
    else
        lines << QStringLiteral("  days from %1 to %2").arg(s.firstDay, s.lastDay);
    if (s.foods + s.groups == 0)
        lines << QStringLiteral("  no foods or food groups of the user's own");
    else
        lines << QStringLiteral("  %1 of the user's own%2 and %3%4")
                     .arg(counted(s.foods, "food", "foods"), ofThem(s.foods, s.foodsHere),
                          counted(s.groups, "food group", "food groups"), ofThem(s.groups, s.groupsHere));
    if (!s.relabels.isEmpty()) {
        QStringList changes;
        for (const QStringList& change : s.relabels)
            changes << QStringLiteral("%1 \"%2\" becomes \"%3\"").arg(change[0], change[1], change[2]);
        lines << QStringLiteral("Names and labels taken from the file: %1.").arg(changes.join(QLatin1String("; ")));
    }
    if (s.nothingNew()) {
        lines << QStringLiteral("Everything in it is here already: nothing would be added.");
    } else {
        lines << QStringLiteral("To be added: %1, %2, %3 and %4.")
                     .arg(counted(s.newEntries(), "diet entry", "diet entries"),
                          counted(s.newSnapshots(), "snapshot", "snapshots"), counted(s.newFoods(), "food", "foods"),
                          counted(s.newGroups(), "food group", "food groups"));
        if (s.foodsToImported > 0)
            lines << QStringLiteral("%1 go%2 to the group \"Imported\", as %3 top-level group is not here.")
                         .arg(counted(s.foodsToImported, "food", "foods"), s.foodsToImported == 1 ? "es" : "",
                              s.foodsToImported == 1 ? "its" : "their");
    }
    return lines.join(QLatin1Char('\n'));
}

QString LogImport::doneText() const
{
    const Summary& s = m_summary;
    return QStringLiteral("The file '%1' has been imported: %2, %3, %4 and %5 added.  The database as it was "
                          "before is kept in '%6'.")
        .arg(QDir::toNativeSeparators(m_path), counted(s.newEntries(), "diet entry", "diet entries"),
             counted(s.newSnapshots(), "snapshot", "snapshots"), counted(s.newFoods(), "food", "foods"),
             counted(s.newGroups(), "food group", "food groups"),
             QDir::toNativeSeparators(m_backup));
}
