#include "app/startup.h"
#include "data/databasebackup.h"
#include "data/integritycheck.h"
#include "data/orvdatasource.h"
#include "data/schema.h"
#include "databasefiles.h"
#include "fixture.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

// A copy of the program killed at random points while it backs up or
// restores the database: Data/MeboData.mdb holds, whole, either the database
// it had or the one put in its place, every backup under a backup's name is
// whole, and the program starts normally afterwards. FOODLARK_KILL_TRIALS
// sets the trials per kind (20), FOODLARK_KILL_SEED the random seed;
// scripts/killtrials.sh runs many more.
class KillTrialsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir elsewhere;

    // A database of the fixture with entries diet entries.
    QString databaseWith(int entries)
    {
        const QString path = elsewhere.filePath(QString("with%1.mdb").arg(entries));
        Fixture::writeDatabase(path);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "entries");
            db.setDatabaseName(path);
            db.open();
            for (int i = 1; i <= entries; ++i)
                Schema::exec(db,
                             "INSERT INTO DietActivity (DietId, UserName, DietDate, FoodName) "
                             "VALUES (?, 'USER1', '2003-05-14', 'Apples, raw')",
                             {i});
            Schema::exec(db, "UPDATE TableKey SET KeyValue = ? WHERE KeyName = 'DIETACTIVITY'", {entries});
            db.close();
        }
        QSqlDatabase::removeDatabase("entries");
        return path;
    }
    static QByteArray readLine(QProcess& process)
    {
        while (!process.canReadLine())
            if (!process.waitForReadyRead(20000))
                return "<no answer>";
        return process.readLine().trimmed();
    }

private slots:
    void aKilledCopyLeavesAWholeDatabase_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("backup") << "backup";
        QTest::newRow("restore") << "restore";
    }
    void aKilledCopyLeavesAWholeDatabase()
    {
        QFETCH(QString, mode);
        const int trials = qEnvironmentVariableIntValue("FOODLARK_KILL_TRIALS") > 0
                               ? qEnvironmentVariableIntValue("FOODLARK_KILL_TRIALS")
                               : 20;
        const quint32 seed = qEnvironmentVariableIsSet("FOODLARK_KILL_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("FOODLARK_KILL_SEED"))
                                 : QRandomGenerator::system()->generate();
        qInfo("%d trials, seed %u", trials, seed);
        QRandomGenerator random(seed);
        const QString three = databaseWith(3), five = databaseWith(5);
        FixtureFolder folder(Fixture::Content::Catalogue, false);
        QVERIFY(QFile::copy(three, folder.dbPath()));
        const QString backups = folder.path() + "/Data/Backups";
        const QList<int> wanted = mode == "backup" ? QList<int>{3} : QList<int>{3, 5};

        for (int trial = 0; trial < trials; ++trial) {
            QProcess worker;
            worker.start(QStringLiteral(FOODLARK_BACKUPWORKER), {folder.path(), mode, five, three});
            QCOMPARE(readLine(worker), QByteArray("ready"));
            // Killed after a few whole steps, somewhere within the next.
            for (int steps = random.bounded(3); steps > 0; --steps)
                QVERIFY(readLine(worker) != "<no answer>");
            QThread::usleep(random.bounded(30000));
            worker.kill();
            QVERIFY(worker.waitForFinished(20000));
            QVERIFY2(worker.exitStatus() == QProcess::CrashExit, worker.readAllStandardError().constData());

            // The next start goes through without a word, over a whole database.
            ProgramRun run(folder.path());
            QVERIFY2(Startup::openDatabase(run.context), qPrintable(run.prompts.texts().join('\n')));
            QCOMPARE(run.prompts.count(), 0);
            OrvDataSource& ds = run.context.dataSource();
            QCOMPARE(queryRows(ds.database(), "PRAGMA integrity_check"), QList<QVariantList>{{"ok"}});
            const int entries = queryRows(ds.database(), "SELECT count(*) FROM DietActivity")[0][0].toInt();
            QVERIFY2(wanted.contains(entries),
                     qPrintable(QString("trial %1: %2 entries").arg(trial).arg(entries)));
            // Every backup under its own name is whole.
            for (const QString& name : QDir(backups).entryList({"*.mdb"}, QDir::Files)) {
                const QString backup = backups + "/" + name;
                QCOMPARE(IntegrityCheck::check(backup), QString());
                QVERIFY(wanted.contains(DatabaseFiles::dietEntries(backup)));
            }
            Startup::acceptDatabase(run.context);
            ds.closeDB();
            QCOMPARE(QDir(backups).entryList({"*.part*"}, QDir::Files), QStringList());
        }
    }
};

QTEST_GUILESS_MAIN(KillTrialsTest)
#include "tst_killtrials.moc"
