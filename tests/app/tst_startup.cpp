#include "app/configstore.h"
#include "app/startup.h"
#include "data/orvdatasource.h"
#include "data/schema.h"
#include "fixture.h"

#include <QDir>
#include <QTest>

// The start-up steps before any window: finding (or moving into place) the
// database file, opening it with its configuration and keys, checking its
// version, and what the user sees when any of that is impossible. Each case
// runs in a temporary program folder of its own.
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
    void programWideValues()
    {
        FixtureFolder folder;
        ProgramRun run(folder.path() + "/"); // taken without its trailing separator
        QCOMPARE(run.context.appTitle, QString("Corvane's Foodlark"));
        QCOMPARE(run.context.supportMessage, QString("If this behavior continues contact Corvane Corporation "
                                                     "Support at support@corvane.example."));
        QCOMPARE(run.context.dbPath, folder.dbPath());
        QCOMPARE(run.context.upgradePath, folder.upgradePath());
        QCOMPARE(AppContext::appVersion(), QString("3.0.0"));
        QCOMPARE(AppContext::versionNotice(), QString("3.00"));
    }

    void probeTellsOnlyAMissingFileApart()
    {
        FixtureFolder folder;
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
        QCOMPARE(listing(folder.path() + "/Data"), QStringList{"MeboData.mdb"});
        // The template itself, moved: only the file header differs, as the
        // started program keeps its commits in a write-ahead log.
        QCOMPARE(fileBytes(folder.dbPath()).mid(100), seed.mid(100));
        QCOMPARE(int(fileBytes(folder.dbPath()).at(18)), 2); // the header's mark of a write-ahead log
        // A template delivered later does not replace the data file.
        writeFile(folder.upgradePath(), "a newer template");
        {
            ProgramRun second(folder.path());
            QVERIFY(Startup::openDatabase(second.context));
            QCOMPARE(second.prompts.count(), 0);
        }
        QCOMPARE(fileBytes(folder.upgradePath()), QByteArray("a newer template"));
        QCOMPARE(fileBytes(folder.dbPath()).mid(100), seed.mid(100));
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
        QCOMPARE(listing(folder.path() + "/Data"), QStringList()); // no empty database made
    }

    void badDatabaseFileIsReportedAndLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("fatal"); // ended through shutDown
        const QString busy =
            "Unable to open the Corvane's Foodlark Database.  Make sure you don't have another "
            "instance of Corvane's Foodlark open.  ";
        // clang-format off
        QTest::newRow("text file") << "text" << "The file '%1' is not a Corvane's Foodlark Database.  " << false;
        QTest::newRow("empty file") << "empty" << "Unable to retrieve Configuration Data.  " << true;
        QTest::newRow("no CONFIG table") << "noconfig" << "Unable to retrieve Configuration Data.  " << true;
        QTest::newRow("folder in its place") << "folder" << busy << false;
        QTest::newRow("held by another copy") << "held" << busy << false;
        // clang-format on
    }
    void badDatabaseFileIsReportedAndLeftAlone()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QFETCH(bool, fatal);
        FixtureFolder folder(Fixture::Content::Catalogue, kind == "noconfig" || kind == "held");
        ProgramRun first(folder.path()); // holds the database, or drops its CONFIG table
        if (kind == "held")
            QVERIFY(Startup::openDatabase(first.context));
        else if (kind == "text")
            writeFile(folder.dbPath(), "Breakfast: porridge\nLunch: soup\nThis is not a database at all.\n");
        else if (kind == "empty")
            writeFile(folder.dbPath(), QByteArray());
        else if (kind == "noconfig") {
            QVERIFY(first.context.dataSource().connectDB());
            Schema::exec(first.context.dataSource().database(), "DROP TABLE CONFIG");
            first.context.dataSource().closeDB();
        } else if (kind == "folder")
            QVERIFY(QDir().mkpath(folder.dbPath()));
        writeFile(folder.upgradePath(), "template"); // must not be taken instead
        const QByteArray before = fileBytes(folder.dbPath());
        const QStringList files = listing(folder.path() + "/Data");

        ProgramRun run(folder.path());
        QVERIFY(!Startup::openDatabase(run.context));
        QCOMPARE(run.prompts.shown(),
                 QList<Prompt>{applicationError(message.replace("%1", folder.dbPath()))});
        QCOMPARE(run.context.shutDownRequested(), fatal);
        // The program lets go of the file at once, and leaves it as it was.
        QVERIFY(!run.context.dataSource().isConnected());
        QCOMPARE(fileBytes(folder.dbPath()), before);
        QCOMPARE(listing(folder.path() + "/Data"), files);
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
