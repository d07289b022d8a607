#include "app/databasemessages.h"

#include "app/appcontext.h"
#include "data/schema.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace DatabaseMessages {

namespace {

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString bytes(qint64 count)
{
    return QLocale(QLocale::English).toString(count) +
           (count == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));
}

QString leftAlone()
{
    return QStringLiteral("It has been left as it is.  ");
}

// "A", "A and B", "A, B and C".
QString listed(const QStringList& items)
{
    if (items.size() <= 1)
        return items.value(0);
    return QStringList(items.mid(0, items.size() - 1)).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           items.last();
}

} // namespace

QString backupAdvice(const AppContext& context)
{
    // The log or journal of the file it replaces must not meet the backup.
    return QStringLiteral("Automatic backups are kept in '%1'.  To put one in place, close %3, move '%2-wal' "
                          "and '%2-journal' out of the folder if they are there, and copy the backup over "
                          "'%2'.  ")
        .arg(native(context.backupFolder()), native(context.dbPath), context.appTitle);
}

QString unavailable(const AppContext& context)
{
    return QStringLiteral("Unable to open the %1 Database.  Make sure you don't have another instance of %1 "
                          "open.  ")
        .arg(context.appTitle);
}

QString notADatabase(const AppContext& context, const QString& path)
{
    return QStringLiteral("The file '%1' is not a %2 Database.  ").arg(native(path), context.appTitle);
}

QString empty(const AppContext& context, const QString& path)
{
    return QStringLiteral(
               "The %1 Database '%2' is empty (0 bytes) and holds none of your data; it may have been "
               "cut short while it was copied.  ")
               .arg(context.appTitle, native(path)) +
           leftAlone() + backupAdvice(context);
}

QString cutShort(const AppContext& context, const QString& path, qint64 size, qint64 expected)
{
    const QString what =
        expected > 0
            ? QStringLiteral("it holds %1 of the %2 its header records").arg(bytes(size), bytes(expected))
            : QStringLiteral("it holds only %1, not even the whole header of a database").arg(bytes(size));
    return QStringLiteral(
               "The %1 Database '%2' is incomplete: %3.  It has been cut short, perhaps while it was "
               "copied or on a full disk.  ")
               .arg(context.appTitle, native(path), what) +
           leftAlone() + backupAdvice(context);
}

QString engineFinding(const QString& finding)
{
    return QStringLiteral("the database engine's check found \"%1\"").arg(finding.simplified());
}

QString damaged(const AppContext& context, const QString& path, const QString& reason)
{
    return QStringLiteral(
               "The %1 Database '%2' is damaged: %3.  It has been left as it is, and nothing more is "
               "written to it.  ")
               .arg(context.appTitle, native(path), reason) +
           backupAdvice(context);
}

QString foreignLog(const AppContext& context, const QString& path)
{
    const QString log = native(path + QStringLiteral("-wal"));
    return QStringLiteral(
               "The file '%1' beside the %2 Database '%3' holds changes that were made to another "
               "copy of the database; applied to this one, they would damage it.  Both files have "
               "been left as they are.  If you put this database in place on purpose, move '%1' out "
               "of the folder and start %2 again; otherwise put back the database that was there "
               "before.  ")
               .arg(log, context.appTitle, native(path)) +
           backupAdvice(context);
}

QString folder(const AppContext& context, const QString& path)
{
    return QStringLiteral("'%1' is a folder, not a %2 Database file.  Move or rename the folder, and put the "
                          "database file in its place.  ")
               .arg(native(path), context.appTitle) +
           backupAdvice(context);
}

QString special(const AppContext& context, const QString& path)
{
    return QStringLiteral(
               "'%1' is not an ordinary file (it is a named pipe, a device or a socket), so it can "
               "not be a %2 Database.  Remove it, and put the database file in its place.  ")
               .arg(native(path), context.appTitle) +
           backupAdvice(context);
}

QString unreadable(const AppContext& context, const QString& path)
{
    return QStringLiteral("The %1 Database '%2' can not be read.  Make sure that you are allowed to read "
                          "it.  ")
        .arg(context.appTitle, native(path));
}

QString missingParts(const AppContext& context, const QString& path, const QStringList& parts)
{
    // Whole tables first, then the columns of the tables that are there.
    QStringList tables, columns;
    for (const QString& part : parts)
        (part.contains(QLatin1Char('.')) ? columns : tables) << part;
    constexpr int kNamed = 12;
    QStringList items;
    if (!tables.isEmpty())
        items << (tables.size() == 1 ? QStringLiteral("the table ") : QStringLiteral("the tables ")) +
                     listed(tables);
    const QStringList named = columns.mid(0, qMax(0, kNamed - int(tables.size())));
    if (!named.isEmpty()) {
        QStringList shown = named;
        if (columns.size() > named.size())
            shown << QStringLiteral("%1 more").arg(columns.size() - named.size());
        items << (columns.size() == 1 ? QStringLiteral("the column ") : QStringLiteral("the columns ")) +
                     listed(shown);
    }
    return QStringLiteral(
               "The %1 Database '%2' lacks what this version of %1 needs: %3.  It was made by another "
               "program, or changed outside %1.  ")
               .arg(context.appTitle, native(path), listed(items)) +
           leftAlone() + backupAdvice(context);
}

QString keyFaults(const AppContext& context, const QString& path, const QList<Schema::KeyFault>& faults)
{
    QStringList items;
    for (const Schema::KeyFault& fault : faults) {
        items << (fault.missing ? QStringLiteral("it has no row for %1").arg(fault.sequence)
                                : QStringLiteral("%1 holds '%2', which is not a whole number")
                                      .arg(fault.sequence, fault.value.isNull() ? QStringLiteral("(nothing)")
                                                                                : fault.value.toString()));
    }
    return QStringLiteral(
               "The key table of the %1 Database '%2', which numbers new rows, is damaged: %3.  New "
               "rows could not be numbered safely.  ")
               .arg(context.appTitle, native(path), listed(items)) +
           leftAlone() + backupAdvice(context);
}

QString newerVersion(const AppContext& context, const QString& path, const QString& version)
{
    return QStringLiteral("The %1 Database '%2' was made by a newer version of %1 (%3); this is version %4, "
                          "which can not use it.  It has been left as it is; open it with version %3 or "
                          "later.  ")
        .arg(context.appTitle, native(path), version, AppContext::appVersion());
}

QString diskFull(const AppContext& context, bool ending)
{
    const QString then = ending ? QStringLiteral(" before you start %1 again").arg(context.appTitle)
                                : QStringLiteral(", then try again");
    return QStringLiteral("The disk that holds '%1' is full: make room on it%2.  "
                          "Everything stored before this message has been kept.  ")
        .arg(native(QFileInfo(context.dbPath).absolutePath()), then);
}

QString damagedAfterStart(const AppContext& context, const QString& reason)
{
    return QStringLiteral("The %1 Database '%2' is damaged: %3.  Nothing more is written to it; what was "
                          "stored since %1 started is kept beside it, in '%4'.  ")
               .arg(context.appTitle, native(context.dbPath), reason,
                    native(context.dbPath + QStringLiteral("-wal"))) +
           backupAdvice(context);
}

QString damagedWhileRunning(const AppContext& context)
{
    return QStringLiteral("The %1 Database '%2' is damaged; nothing more is written to it.  ")
               .arg(context.appTitle, native(context.dbPath)) +
           backupAdvice(context);
}

} // namespace DatabaseMessages
