#include "app/configstore.h"
#include "app/startup.h"
#include "data/orvdatasource.h"
#include "fixture.h"

#include <QDir>
#include <QTest>

// The start-up steps before any window: finding (or moving into place) the
// database file, opening it with its configuration and keys, checking its
// version, and what the user sees when any of that is impossible (damaged and
// foreign files: tst_damagedfiles). Each case runs in a temporary program
// folder of its own.
class StartupTest : public QObject
{
    Q_OBJECT

private:
    static QStringList listing(const QString& folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private slots:
    void probeTellsOnlyAMissingFileApart()
    {
        FixtureFolder folder;
        ProgramRun run(folder.path() + "/"); // taken without its trailing separator
        QCOMPARE(run.context.dbPath + run.context.upgradePath, folder.dbPath() + folder.upgradePath());
        QCOMPARE(Startup::probeFile(folder.dbPath()), Startup::Probe::Found);
        QCOMPARE(Startup::probeFile(folder.path() + "/Gone/MeboData.mdb"), Startup::Probe::NotFound);
        QCOMPARE(Startup::probeFile(folder.dbPath() + "/MeboData.mdb"),
                 Startup::Probe::Failed); // through a file
    }

    void templateIsMovedThenUsedDirectly()
    {
        FixtureFolder folder(Fixture::Content::Catalogue, false);
        Fixture::writeDatabase(folder.upgradePath());
        const QByteArray seed = fileBytes(folder.upgradePath());
        {
            ProgramRun first(folder.path());
            QVERIFY(Startup::openDatabase(first.context));
            QCOMPARE(first.prompts.count(), 0);
            QCOMPARE(first.context.config().getConfig("VERSION"), QString("3.0.0"));
        }
        // The template itself, moved and not written to: the start wrote nothing.
        QCOMPARE(listing(folder.path() + "/Data"), QStringList{"MeboData.mdb"});
        QCOMPARE(fileBytes(folder.dbPath()), seed);
        // A template delivered later does not replace the data file.
        writeFile(folder.upgradePath(), "a newer template");
        {
            ProgramRun second(folder.path());
            QVERIFY(Startup::openDatabase(second.context));
            QCOMPARE(second.prompts.count(), 0);
        }
        QCOMPARE(fileBytes(folder.upgradePath()), QByteArray("a newer template"));
        QCOMPARE(fileBytes(folder.dbPath()), seed);
    }

    void missingDatabaseAndTemplateEndTheProgram()
    {
        FixtureFolder folder(Fixture::Content::Catalogue, false);
        ProgramRun run(folder.path());
        QVERIFY(!Startup::openDatabase(run.context));
        const QString text = "Unable to locate database file '" + folder.dbPath() +
                             "'.\r\n\r\n  Check your installation folder.  If the file is missing, you may "
                             "attempt to reinstall the application. \r\n\r\n" +
                             run.context.supportMessage;
        QCOMPARE(run.prompts.shown(), (QList<Prompt>{{PromptIcon::Critical, PromptButtons::Ok,
                                                      "Critical Application Error", text}}));
        // No empty database is made, neither here nor by a connection on its own.
        run.prompts.clear();
        QVERIFY(!run.context.dataSource().connectDB());
        QCOMPARE(run.prompts.count(), 1);
        QCOMPARE(listing(folder.path() + "/Data"), QStringList());
    }

    // The program respects a read-only mark even where the system would let it
    // write anyway (as for root, where the tests usually run).
    void readOnlyFilesAreReportedAndLeftAlone_data()
    {
        QTest::addColumn<bool>("templateOnly");
        QTest::addColumn<bool>("lockFolder");
        QTest::newRow("read-only Data folder") << false << true;
        QTest::newRow("read-only database file") << false << false;
        QTest::newRow("read-only Data folder, template only") << true << true;
        QTest::newRow("read-only template") << true << false;
    }
    void readOnlyFilesAreReportedAndLeftAlone()
    {
        QFETCH(bool, templateOnly);
        QFETCH(bool, lockFolder);
        FixtureFolder folder(Fixture::Content::Catalogue, false);
        const QString file = templateOnly ? folder.upgradePath() : folder.dbPath();
        Fixture::writeDatabase(file);
        const QByteArray before = fileBytes(file);
        const QString locked = lockFolder ? folder.path() + "/Data" : file;
        const QFile::Permissions unlocked = QFile::permissions(locked);
        QVERIFY(QFile::setPermissions(locked,
                                      QFile::ReadOwner | (lockFolder ? QFile::ExeOwner : QFile::ReadOwner)));
        ProgramRun run(folder.path());
        const bool started = Startup::openDatabase(run.context);
        QFile::setPermissions(locked, unlocked);
        QVERIFY(!started);
        QCOMPARE(run.prompts.shown(),
                 QList<Prompt>{
                     applicationError(QString("The Corvane's Foodlark Database '%1' can not be written to.  "
                                              "Make sure that the file and its folder are not read-only.  ")
                                          .arg(file))});
        QCOMPARE(listing(folder.path() + "/Data"), QStringList{QFileInfo(file).fileName()});
        QCOMPARE(fileBytes(file), before);
    }

    void declinedUpgradeEndsTheProgramAndWritesNothing()
    {
        FixtureFolder folder(Fixture::Content::NoSnapShot);
        const QByteArray before = fileBytes(folder.dbPath());
        ProgramRun run(folder.path());
        run.prompts.queueNo();
        QVERIFY(!Startup::openDatabase(run.context));
        QCOMPARE(run.prompts.count(), 2); // the question and what came of it
        QVERIFY(!run.context.dataSource().isConnected());
        QCOMPARE(fileBytes(folder.dbPath()), before);
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"
