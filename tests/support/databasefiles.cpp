#include "databasefiles.h"

#include "app/startup.h"
#include "data/databasebackup.h"
#include "data/integritycheck.h"
#include "data/orvdatasource.h"
#include "data/schema.h"
#include "fixture.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlQuery>

namespace DatabaseFiles {

QMap<QString, QByteArray> contents(const QString& folder)
{
    QMap<QString, QByteArray> entries;
    for (const QFileInfo& entry :
         QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
        if (entry.isDir())
            entries.insert(entry.fileName(), "<folder>");
        else if (!entry.isFile())
            entries.insert(entry.fileName(), "<special>"); // never read: a pipe would wait
        else
            entries.insert(entry.fileName(), fileBytes(entry.filePath()));
    }
    return entries;
}

bool runSession(const QString& folder, int entries, Ending ending)
{
    ProgramRun run(folder);
    OrvDataSource& ds = run.context.dataSource();
    if (!Startup::openDatabase(run.context))
        return false;
    QSignalSpy checked(&ds.integrityCheck(), &IntegrityCheck::finished);
    Startup::acceptDatabase(run.context);
    if (!checked.wait(30000) || ds.logHeld())
        return false;
    for (int i = 0; i < entries; ++i) {
        const std::optional<qint32> id = ds.getTableKey(QStringLiteral("DIETACTIVITY"));
        if (!id)
            return false;
        Schema::exec(
            ds.database(),
            QStringLiteral("INSERT INTO DietActivity (DietId, UserName, DietDate, MealName, FoodName, Fat) "
                           "VALUES (?, 'USER1', ?, 'MEAL0', 'Apples, raw', 1)"),
            {*id, QDate(2003, 5, 14).addDays(i).toString(Qt::ISODate)});
    }
    if (ending == Ending::Crash)
        ds.holdLog();
    ds.closeDB();
    return run.prompts.count() == 0;
}

int dietEntries(const QString& dbPath)
{
    int count = -1;
    {
        QSqlDatabase db = DatabaseBackup::openReadOnly(dbPath);
        QSqlQuery query(db);
        if (query.exec(QStringLiteral("SELECT count(*) FROM DietActivity")) && query.next())
            count = query.value(0).toInt();
        query.finish();
        DatabaseBackup::closeReadOnly(db);
    }
    return count;
}

int damagePage(const QString& dbPath, const QString& table)
{
    int page = 0;
    int pageSize = 0;
    {
        QSqlDatabase db = DatabaseBackup::openReadOnly(dbPath);
        QSqlQuery query(db);
        query.prepare(
            QStringLiteral("SELECT rootpage, (SELECT page_size FROM pragma_page_size) FROM sqlite_master "
                           "WHERE type = 'table' AND name = ?"));
        query.addBindValue(table);
        if (query.exec() && query.next()) {
            page = query.value(0).toInt();
            pageSize = query.value(1).toInt();
        }
        query.finish();
        DatabaseBackup::closeReadOnly(db);
    }
    QFile file(dbPath);
    if (page < 2 || !file.open(QIODevice::ReadWrite) || !file.seek(qint64(page - 1) * pageSize))
        return 0;
    QByteArray noise(pageSize, '\0');
    for (int i = 0; i < pageSize; ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    return file.write(noise) == pageSize ? page : 0;
}

} // namespace DatabaseFiles
