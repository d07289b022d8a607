#include "app/startup.h"
#include "data/databasebackup.h"
#include "data/databasefile.h"
#include "data/orvdatasource.h"
#include "data/schema.h"
#include "data/transaction.h"
#include "databasefiles.h"
#include "fixture.h"
#include "fulldisk.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>

// Copies of the database made by the engine: what they hold, what they are
// named, which of them are kept, and what a failed copy leaves behind.
class BackupTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<FixtureFolder> folder;
    std::unique_ptr<ProgramRun> run;
    OrvDataSource& ds() { return run->context.dataSource(); }
    QString backups() { return run->context.backupFolder(); }
    static QDateTime at(int minute)
    {
        return QDateTime(QDate(2026, 12, 6), QTime(14, 0), Qt::UTC).addSecs(minute * 60);
    }

    // Every row of every table, each led by its table's name.
    static QList<QVariantList> dump(const QSqlDatabase& db)
    {
        QList<QVariantList> rows;
        for (const char* table : {"CONFIG", "TableKey", "FoodGroup", "FoodItem", "USDA_Measures",
                                  "DietActivity", "Meal", "SNAPSHOT"})
            rows += queryRows(db, QString("SELECT '%1', * FROM %1 ORDER BY rowid").arg(table));
        return rows;
    }
    static QList<QVariantList> dumpOf(const QString& path)
    {
        QSqlDatabase db = DatabaseBackup::openReadOnly(path);
        const QList<QVariantList> rows = dump(db);
        DatabaseBackup::closeReadOnly(db);
        return rows;
    }

private slots:
    void initTestCase() { FullDisk::install(); }
    // A started program whose entries live in its write-ahead log.
    void init()
    {
        folder = std::make_unique<FixtureFolder>();
        run = std::make_unique<ProgramRun>(folder->path());
        QVERIFY(Startup::openDatabase(run->context));
        Startup::acceptDatabase(run->context);
        for (int i = 1; i <= 3; ++i)
            Schema::exec(ds().database(),
                         "INSERT INTO DietActivity (DietId, UserName, DietDate, FoodName) "
                         "VALUES (?, 'USER1', '2003-05-14', 'Apples, raw')",
                         {i});
        QVERIFY(DatabaseFile::readLog(folder->dbPath()).frames > 0);
    }
    void cleanup()
    {
        run.reset();
        folder.reset();
    }

    void aBackupHoldsExactlyWhatWasCommitted()
    {
        const QString target = folder->path() + "/copy.mdb";
        DatabaseBackup::write(ds().handle(), target);
        QCOMPARE(dumpOf(target), dump(ds().database()));
        QCOMPARE(DatabaseFiles::dietEntries(target), 3);
        // A plain file: no log beside it, none named in its header, and no
        // token that could pair it with the live file's log.
        const QByteArray header = fileBytes(target).left(100);
        QCOMPARE(int(header.at(18)), 1);
        QCOMPARE(header.mid(60, 4), QByteArray(4, '\0'));
        QCOMPARE(QDir(folder->path()).entryList({"copy.mdb*"}), QStringList{"copy.mdb"});
        // Inside a transaction a copy would hold rows not yet committed: refused.
        {
            Transaction transaction(ds());
            Schema::exec(ds().database(), "DELETE FROM DietActivity");
            QVERIFY_THROWS_EXCEPTION(DataError, DatabaseBackup::write(ds().handle(), target));
        }
        QCOMPARE(DatabaseFiles::dietEntries(target), 3);
        // A second backup under the same name replaces the first whole.
        Schema::exec(ds().database(), "DELETE FROM DietActivity WHERE DietId = 1");
        DatabaseBackup::write(ds().handle(), target);
        QCOMPARE(dumpOf(target), dump(ds().database()));
    }

    // The newest ten automatic backups are kept, whatever the clock says:
    // backups named by a clock set later (a zone further east, a clock put
    // back since) never push out the ones made now, and the backup just made
    // is always there. Names from before backups were numbered rank below
    // numbered ones, by their local time.
    void theNewestTenAutomaticBackupsAreKeptWhateverTheClock()
    {
        QDir().mkpath(backups());
        const QStringList own = {"MeboData-2026-01-01.mdb", "mine.mdb",
                                 "MeboData-2020-01-01-000000-before-lunch.mdb"};
        QStringList dated; // twelve older names, ten of them later than any clock below
        for (int i = 0; i < 12; ++i)
            dated << QString("MeboData-2099-01-%1-000000-before-purge%2.mdb")
                         .arg(i / 2 + 1, 2, 10, QChar('0'))
                         .arg(i % 2 ? "-2" : "");
        for (const QString& name : own + dated)
            QVERIFY(QFile::copy(folder->dbPath(), backups() + "/" + name));
        // Among themselves the older names rank by their time, a second one within a second after the first.
        QCOMPARE(DatabaseBackup::rotate(backups()), (QStringList{dated[1], dated[0]}));
        QStringList made;
        for (int i = 0; i < 12; ++i) { // each an hour earlier by the clock than the one before
            made << DatabaseBackup::writeAutomatic(
                ds().handle(), backups(),
                i % 2 ? DatabaseBackup::kBeforePurge : i % 4 ? DatabaseBackup::kBeforeImport : DatabaseBackup::kBeforeUpgrade,
                at(-60 * i));
            QVERIFY2(QFile::exists(made.last()), qPrintable(made.last()));
        }
        QCOMPARE(QFileInfo(made[11]).fileName(),
                 QString("MeboData-2026-12-06-030000Z-0012-before-purge.mdb"));
        QCOMPARE(DatabaseBackup::madeAt(QFileInfo(made[11]).fileName()), at(-660).toLocalTime());
        QCOMPARE(DatabaseBackup::madeAt(dated[3]), QDateTime(QDate(2099, 1, 2), QTime(0, 0)));
        QVERIFY(!DatabaseBackup::madeAt("mine.mdb").isValid());
        QStringList newest;
        for (int i = 11; i >= 2; --i)
            newest << QFileInfo(made[i]).fileName();
        QCOMPARE(DatabaseBackup::automaticBackups(backups()), newest);
        QStringList expected = own + newest;
        expected.sort();
        QCOMPARE(QDir(backups()).entryList(QDir::Files, QDir::Name), expected);
        QCOMPARE(DatabaseFiles::dietEntries(made[11]), 3);
        // A restore from the oldest keeps it, though the backup made first is one too many.
        DatabaseBackup::writeAutomatic(ds().handle(), backups(), "before-restore", at(0), made[2]);
        QVERIFY(QFile::exists(made[2]));
    }

    // A copy is saved as any file is: with the mode the user's umask gives a
    // new file, or the one of the file it replaces.
    void aCopyTakesTheModeOfASavedFile()
    {
        const mode_t umaskBefore = ::umask(002);
        const QString target = folder->path() + "/copy.mdb";
        DatabaseBackup::write(ds().handle(), target, backups());
        const QFile::Permissions rw =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
        QCOMPARE(QFile::permissions(target), rw | QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther);
        QVERIFY(QFile::setPermissions(target, rw));
        DatabaseBackup::write(ds().handle(), target, backups());
        ::umask(umaskBefore);
        QCOMPARE(QFile::permissions(target), rw);
        QCOMPARE(QDir(backups()).entryList(QDir::Files), QStringList());
    }

    void aFailedBackupLeavesNothingBehind()
    {
        const QString target = backups() + "/kept.mdb";
        QDir().mkpath(backups());
        DatabaseBackup::write(ds().handle(), target);
        const QByteArray before = fileBytes(target);
        Schema::exec(ds().database(), "DELETE FROM DietActivity");
        {
            FullDisk::Scope full; // told as a full disk: the upgrade's and the purge's messages
            QVERIFY_THROWS_EXCEPTION(DataError, DatabaseBackup::write(ds().handle(), target));
            QVERIFY_THROWS_EXCEPTION(
                DataError, DatabaseBackup::writeAutomatic(ds().handle(), backups(), "before-purge"));
        }
        // The earlier copy under that name is whole, and no part of the new one is left.
        QCOMPARE(QDir(backups()).entryList(QDir::Files), QStringList{"kept.mdb"});
        QCOMPARE(fileBytes(target), before);
    }

    void whatAStoppedCopyLeftIsRemovedAtTheNextStart()
    {
        const QString backupFolder = backups();
        QDir().mkpath(backupFolder);
        const QStringList leftovers = {
            folder->dbPath() + ".restore", folder->dbPath() + ".restore-journal",
            backupFolder + "/MeboData-2026-12-06-140000-before-purge.mdb.part",
            backupFolder + "/MeboData-2026-12-06-140000-before-purge.mdb.part-journal",
            // the log of a copy of bytes stopped before the file itself
            backupFolder + "/MeboData-2026-12-06-140000Z-0007-before-restore.mdb-wal"};
        for (const QString& path : leftovers) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::copy(folder->dbPath(), backupFolder + "/mine.mdb"));
        QVERIFY(QFile::copy(folder->dbPath(), backupFolder + "/mine.mdb-wal"));
        run.reset();
        ProgramRun next(folder->path());
        QVERIFY(Startup::openDatabase(next.context));
        Startup::acceptDatabase(next.context);
        QCOMPARE(QDir(backupFolder).entryList(QDir::Files), (QStringList{"mine.mdb", "mine.mdb-wal"}));
        QCOMPARE(QDir(folder->path() + "/Data").entryList({"MeboData.mdb.*"}, QDir::Files), QStringList());
    }
};

QTEST_GUILESS_MAIN(BackupTest)
#include "tst_backup.moc"
