#include "app/startup.h"
#include "data/integritycheck.h"
#include "data/orvdatasource.h"
#include "databasefiles.h"
#include "fixture.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <QThread>

using DatabaseFiles::Ending;

// A second running copy of the program (worker.cpp). While one copy runs the
// file is its own. A copy killed at any point, while it writes, backs up or
// restores, leaves Data/MeboData.mdb whole, holding everything it had stored
// (or, for a restore, the database put in its place), every backup whole,
// and a program that starts normally. FOODLARK_KILL_TRIALS sets the trials
// per kind of the random kills (20), FOODLARK_KILL_SEED their seed;
// scripts/killtrials.sh runs many more.
class KillTrialsTest : public QObject
{
    Q_OBJECT

    static QByteArray readLine(QProcess& process)
    {
        while (!process.canReadLine())
            if (!process.waitForReadyRead(20000))
                return "<no answer>";
        return process.readLine().trimmed();
    }
    static void start(QProcess& worker, const QStringList& arguments)
    {
        worker.start(QStringLiteral(FOODLARK_WORKER), arguments);
        QCOMPARE(readLine(worker), QByteArray("ready"));
    }
    static void kill(QProcess& worker)
    {
        worker.kill();
        QVERIFY(worker.waitForFinished(20000));
        QVERIFY2(worker.exitStatus() == QProcess::CrashExit, worker.readAllStandardError().constData());
    }

private slots:
    void secondCopyIsKeptOutAndStoredRowsSurviveAKill()
    {
        FixtureFolder folder;
        QProcess writer;
        start(writer, {folder.path(), "write"});
        QList<int> printed;
        while (printed.size() < 300) {
            const QByteArray line = readLine(writer);
            QVERIFY2(line.toInt() > 0, line.constData());
            printed << line.toInt();
            if (printed.size() == 100) { // in the middle of the writes
                ProgramRun second(folder.path());
                QVERIFY(!second.context.dataSource().connectDB());
                QCOMPARE(second.prompts.shown(),
                         QList<Prompt>{
                             applicationError("Unable to open the Corvane's Foodlark Database.  Make sure "
                                              "you don't have another instance of Corvane's Foodlark "
                                              "open.  ")});
            }
        }
        kill(writer);
        // Ids printed between the last read and the kill count too; a line cut short does not.
        const QList<QByteArray> rest = writer.readAllStandardOutput().split('\n');
        for (int i = 0; i + 1 < rest.size(); ++i)
            printed << rest[i].toInt();

        ProgramRun next(folder.path());
        QVERIFY(Startup::openDatabase(next.context));
        QCOMPARE(next.prompts.count(), 0);
        OrvDataSource& ds = next.context.dataSource();
        QCOMPARE(queryRows(ds.database(), "PRAGMA integrity_check"), QList<QVariantList>{{"ok"}});
        QSet<int> stored;
        for (const QVariantList& row : queryRows(ds.database(), "SELECT DietId FROM DietActivity"))
            stored << row[0].toInt();
        for (int id : printed)
            QVERIFY2(stored.contains(id), qPrintable(QString("entry %1 was lost").arg(id)));
        // Ids are handed out before their row is stored, and go on from there.
        const int lastKey =
            queryRows(ds.database(), "SELECT KeyValue FROM TableKey WHERE KeyName = 'DIETACTIVITY'")[0][0]
                .toInt();
        QVERIFY(*std::max_element(stored.begin(), stored.end()) <= lastKey);
        QCOMPARE(ds.getTableKey("DIETACTIVITY"), std::optional<qint32>(lastKey + 1));
    }

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
        // Databases of three and of five diet entries; the program starts with three.
        FixtureFolder folder, three, five;
        QVERIFY(DatabaseFiles::runSession(three.path(), 3, Ending::Clean));
        QVERIFY(DatabaseFiles::runSession(five.path(), 5, Ending::Clean));
        QVERIFY(QFile::remove(folder.dbPath()) && QFile::copy(three.dbPath(), folder.dbPath()));
        const QString backups = folder.path() + "/Data/Backups";
        const QList<int> wanted = mode == "backup" ? QList<int>{3} : QList<int>{3, 5};

        for (int trial = 0; trial < trials; ++trial) {
            QProcess worker;
            start(worker, {folder.path(), mode, five.dbPath(), three.dbPath()});
            // Killed after a few whole steps, somewhere within the next.
            for (int steps = random.bounded(3); steps > 0; --steps)
                QVERIFY(readLine(worker) != "<no answer>");
            QThread::usleep(random.bounded(30000));
            kill(worker);

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
