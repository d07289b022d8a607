#include "app/startup.h"
#include "data/databasebackup.h"
#include "data/integritycheck.h"
#include "data/orvdatasource.h"
#include "databasefiles.h"
#include "fixture.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <unistd.h>

using DatabaseFiles::Ending;

// A second running copy of the program (worker.cpp). While one copy runs the
// file is its own. A copy killed at any point, while it writes, backs up or
// restores, leaves Data/MeboData.mdb whole, holding everything it had stored
// (or, for a restore, the database put in its place, the one before it kept),
// every backup it named there and whole, nothing half made in a folder of the
// user's, and a program that starts normally. FOODLARK_KILL_TRIALS sets the trials
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
    // The food names of the diet entries a database file holds (its log aside).
    static QSet<QString> entryNames(const QString& path)
    {
        QSet<QString> names;
        QSqlDatabase db = DatabaseBackup::openReadOnly(path);
        for (const QVariantList& row : queryRows(db, "SELECT FoodName FROM DietActivity"))
            names << row[0].toString();
        DatabaseBackup::closeReadOnly(db);
        return names;
    }
    static QString missing(const QStringList& wanted, const QSet<QString>& there)
    {
        QStringList gone;
        for (const QString& name : wanted)
            if (!there.contains(name))
                gone << name;
        return gone.join(", ");
    }

    void aKilledCopyLosesNothing_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("backup") << "backup";
        QTest::newRow("backup to a folder of the user's") << "userbackup";
        QTest::newRow("restore") << "restore";
    }
    // A copy killed at a random point of its backups or restores: the
    // database starts and is whole, every entry stored before the kill is in
    // it (or, once a restore has taken its place, in the backup kept of it),
    // every backup a step named is there, whole and holding what it must,
    // the backups made now are kept though ten older ones are named for
    // later dates, and files a restore must refuse (links to the database in
    // use, a file with a damaged key table) are refused.
    void aKilledCopyLosesNothing()
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
        QTemporaryDir user;
        QVERIFY(DatabaseFiles::runSession(three.path(), 3, Ending::Clean));
        QVERIFY(DatabaseFiles::runSession(five.path(), 5, Ending::Clean));
        QVERIFY(QFile::remove(folder.dbPath()) && QFile::copy(three.dbPath(), folder.dbPath()));
        const QString backups = folder.path() + "/Data/Backups";
        QVERIFY(QDir().mkpath(backups));
        const QString badKey = user.filePath("badkey.mdb");
        QVERIFY(QFile::copy(three.dbPath(), badKey));
        fileRows(badKey, "UPDATE TableKey SET KeyValue = 'x' WHERE KeyName = 'DIETACTIVITY'");
        const QString symlink = user.filePath("symlink.mdb"), hardlink = user.filePath("hardlink.mdb");
        const QStringList refused = {symlink, badKey, hardlink};
        QStringList files;
        if (mode == "userbackup")
            files << user.filePath("mine.mdb");
        else if (mode == "restore")
            files << five.dbPath() << symlink << three.dbPath() << badKey << hardlink;

        for (int trial = 0; trial < trials; ++trial) {
            const QString where = QString("trial %1: ").arg(trial);
            // Ten backups named for later dates (the clock put back since, another time zone).
            for (int day = 1; day <= 10; ++day) {
                const QString future =
                    backups +
                    QString("/MeboData-2099-01-%1-120000-before-purge.mdb").arg(day, 2, 10, QChar('0'));
                if (!QFile::exists(future))
                    QVERIFY(QFile::copy(three.dbPath(), future));
            }
            QFile::remove(symlink);
            QFile::remove(hardlink);
            QVERIFY(QFile::link(folder.dbPath(), symlink));
            QVERIFY(::link(QFile::encodeName(folder.dbPath()).constData(),
                           QFile::encodeName(hardlink).constData()) == 0);

            QProcess worker;
            // Each trial begins its restores with another of the files.
            start(worker, QStringList{folder.path(), mode} + files.mid(trial % qMax(1, int(files.size()))) +
                              files.mid(0, trial % qMax(1, int(files.size()))));
            if (trial == 0) { // while one copy runs, the file is its own
                ProgramRun second(folder.path());
                QVERIFY(!second.context.dataSource().connectDB());
                QVERIFY(second.prompts.last().text.contains("you don't have another instance"));
            }
            // Killed after a few whole steps, somewhere within the next.
            QList<QByteArray> lines;
            for (int steps = random.bounded(3); steps > 0;) {
                lines << readLine(worker);
                QVERIFY2(lines.last() != "<no answer>", worker.readAllStandardError().constData());
                if (!lines.last().startsWith("entry ") && !lines.last().startsWith("kept "))
                    --steps;
            }
            QThread::usleep(random.bounded(30000));
            kill(worker);
            const QList<QByteArray> rest = worker.readAllStandardOutput().split('\n');
            lines += rest.mid(0, rest.size() - 1); // a line cut short does not count

            // What the steps said.
            QStringList entries, sinceRestore;
            QList<std::pair<QString, QStringList>> named; // a backup and the entries it must hold
            for (const QByteArray& line : lines) {
                const QString text = QString::fromUtf8(line);
                const QString value = text.section(' ', 1);
                if (text.startsWith("entry ")) {
                    entries << value;
                    sinceRestore << value;
                } else if (text.startsWith("backup ")) {
                    named.append({value, entries});
                } else if (text.startsWith("kept ")) {
                    named.append({value, sinceRestore});
                    sinceRestore.clear();
                } else if (text.startsWith("restored ")) {
                    QVERIFY2(!refused.contains(value), qPrintable(where + value + " was restored"));
                }
            }

            ProgramRun run(folder.path());
            QVERIFY2(Startup::openDatabase(run.context), qPrintable(run.prompts.texts().join('\n')));
            QCOMPARE(run.prompts.count(), 0);
            OrvDataSource& ds = run.context.dataSource();
            QCOMPARE(queryRows(ds.database(), "PRAGMA integrity_check"), QList<QVariantList>{{"ok"}});
            QSet<QString> live;
            for (const QVariantList& row : queryRows(ds.database(), "SELECT FoodName FROM DietActivity"))
                live << row[0].toString();
            // Every backup a step named is there, whole, with what it must hold,
            // unless ten newer automatic ones have taken its place since: the
            // named ones, and one the step killed may have made and rotated in
            // before it could name it.
            std::reverse(named.begin(), named.end());
            int newer = 0;
            for (const auto& [backup, held] : named) {
                if (backup.startsWith(backups) && newer++ >= DatabaseBackup::kKept - 1)
                    continue;
                QVERIFY2(QFile::exists(backup), qPrintable(where + backup + " is gone"));
                QCOMPARE(IntegrityCheck::check(backup), QString());
                QVERIFY2(missing(held, entryNames(backup)).isEmpty(),
                         qPrintable(where + backup + " lacks " + missing(held, entryNames(backup))));
            }
            // The entries since the last restore are in the database, or, when a
            // restore finished unannounced, in the newest backup kept before one.
            QString lost = missing(mode == "restore" ? sinceRestore : entries, live);
            if (!lost.isEmpty() && mode == "restore") {
                const QStringList kept = DatabaseBackup::automaticBackups(backups).filter("before-restore");
                if (!kept.isEmpty())
                    lost = missing(sinceRestore, entryNames(backups + "/" + kept.first()));
            }
            QVERIFY2(lost.isEmpty(), qPrintable(where + "lost " + lost));
            // Every backup under its own name is whole; none of a folder of the user's is left half made.
            for (const QString& name : QDir(backups).entryList({"*.mdb"}, QDir::Files))
                QCOMPARE(IntegrityCheck::check(backups + "/" + name), QString());
            QStringList userFiles = QDir(user.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
            userFiles.removeOne("mine.mdb");
            QCOMPARE(userFiles, (QStringList{"badkey.mdb", "hardlink.mdb", "symlink.mdb"}));
            Startup::acceptDatabase(run.context);
            ds.closeDB();
            QCOMPARE(QDir(backups).entryList({"*.part*"}, QDir::Files), QStringList());
        }
    }
};

QTEST_GUILESS_MAIN(KillTrialsTest)
#include "tst_killtrials.moc"
