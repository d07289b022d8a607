#include "data/orvdatasource.h"
#include "fixture.h"

#include <QProcess>
#include <algorithm>
#include <QSet>
#include <QTest>

// The database file as two running copies of the program see it: the first
// copy's connectDB keeps the file to itself while it runs, and whatever it had
// stored when it was killed is still there, in a sound file.
class ExclusiveOpenTest : public QObject
{
    Q_OBJECT

private:
    static QByteArray readLine(QProcess& process)
    {
        while (!process.canReadLine())
            if (!process.waitForReadyRead(20000))
                return "<no answer>";
        return process.readLine().trimmed();
    }

private slots:
    void secondCopyIsKeptOutAndCommittedRowsSurviveAKill()
    {
        FixtureFolder folder;
        QProcess writer;
        writer.start(QStringLiteral(FOODLARK_DATAWRITER), {folder.dbPath()});
        QCOMPARE(readLine(writer), QByteArray("ready"));
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
        writer.kill();
        QVERIFY(writer.waitForFinished(20000));
        // Ids printed between the last read and the kill count too; a line cut short does not.
        const QList<QByteArray> rest = writer.readAllStandardOutput().split('\n');
        for (int i = 0; i + 1 < rest.size(); ++i)
            printed << rest[i].toInt();

        // The next run opens the file as the killed one left it and finds it sound.
        ProgramRun next(folder.path());
        OrvDataSource& ds = next.context.dataSource();
        QVERIFY(ds.connectDB());
        QCOMPARE(queryRows(ds.database(), "PRAGMA integrity_check"), QList<QVariantList>{{"ok"}});
        QSet<int> stored;
        for (const QVariantList& row : queryRows(ds.database(), "SELECT DietId FROM DietActivity"))
            stored << row[0].toInt();
        QList<int> lost;
        for (int id : printed)
            if (!stored.contains(id))
                lost << id;
        QCOMPARE(lost, QList<int>());
        // Ids are handed out before their row is stored, and go on from there.
        const int lastKey =
            queryRows(ds.database(), "SELECT KeyValue FROM TableKey WHERE KeyName = 'DIETACTIVITY'")[0][0]
                .toInt();
        QVERIFY(*std::max_element(stored.begin(), stored.end()) <= lastKey);
        QVERIFY(ds.cmdTableKey());
        QCOMPARE(ds.getTableKey("DIETACTIVITY"), std::optional<qint32>(lastKey + 1));
        QCOMPARE(next.prompts.count(), 0);
    }

    void missingFileIsNotCreated()
    {
        FixtureFolder folder(Fixture::Content::Catalogue, false);
        ProgramRun run(folder.path());
        QVERIFY(!run.context.dataSource().connectDB());
        QCOMPARE(run.prompts.count(), 1);
        QVERIFY(!QFile::exists(folder.dbPath()));
    }
};

QTEST_GUILESS_MAIN(ExclusiveOpenTest)
#include "tst_exclusiveopen.moc"
