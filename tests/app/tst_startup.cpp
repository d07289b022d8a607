#include "app/appcontext.h"
#include "app/configstore.h"
#include "app/startup.h"
#include "data/orvdatasource.h"
#include "data/schema.h"
#include "fixture.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QTest>

Q_DECLARE_METATYPE(Startup::Probe)

// The start-up steps before any window: finding (or moving into place) the
// database file, opening it and its configuration and key recordsets, and
// what the user sees when any of that is impossible. Every case runs in its
// own temporary program folder.
class StartupTest : public QObject
{
    Q_OBJECT

private:
    // A run of the program over a folder: its prompts and context, not yet started.
    struct Run
    {
        explicit Run(const QString& folder) : context(folder, prompts)
        {
            context.unloadMainWindow = [this] { ++unloads; };
        }
        ScriptedPrompts prompts;
        AppContext context;
        int unloads = 0;
    };

    static QByteArray bytes(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray("<unreadable>");
        return file.readAll();
    }

    static QStringList listing(const QString& folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }

    static void writeText(const QString& path, const QByteArray& text)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    // Runs a statement on a database file outside the program.
    static void alterDatabase(const QString& path, const QString& sql)
    {
        const QString connection = QStringLiteral("test-alter");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(path);
            QVERIFY(db.open());
            Schema::exec(db, sql);
            db.close();
        }
        QSqlDatabase::removeDatabase(connection);
    }

    static QString supportMessage()
    {
        return QStringLiteral("If this behavior continues contact Corvane Corporation Support at "
                              "support@corvane.example.");
    }

private slots:
    void programWideValues()
    {
        FixtureFolder folder;
        ScriptedPrompts prompts;
        AppContext context(folder.path() + QStringLiteral("/"), prompts);
        QCOMPARE(context.appTitle, QStringLiteral("Corvane's Foodlark"));
        QCOMPARE(context.companyName, QStringLiteral("Corvane Corporation"));
        QCOMPARE(context.supportMessage, QStringLiteral("If this behavior continues contact ") +
                                             context.companyName + QStringLiteral(" Support at ") +
                                             context.supportAddress + QStringLiteral("."));
        QVERIFY(!context.webAddress.isEmpty());
        QVERIFY(context.supportAddress.contains(QLatin1Char('@')));
        // The program folder is taken without its trailing separator.
        QCOMPARE(context.programFolder, folder.path());
        QCOMPARE(context.dbPath, folder.dbPath());
        QCOMPARE(context.upgradePath, folder.upgradePath());
        QCOMPARE(AppContext::appVersion(), QStringLiteral("3.0.0"));
        QCOMPARE(AppContext::versionNotice(), QStringLiteral("3.00"));
        QCOMPARE(context.mainWindow, nullptr);
        QCOMPARE(context.currentUser, QString());
    }

    void probeTellsOnlyAMissingFileApart_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<Startup::Probe>("expected");
        QTest::newRow("present file") << "Data/MeboData.mdb" << Startup::Probe::Found;
        QTest::newRow("missing file") << "Data/Missing.mdb" << Startup::Probe::NotFound;
        QTest::newRow("missing folder") << "Gone/MeboData.mdb" << Startup::Probe::NotFound;
        QTest::newRow("path through a file") << "Data/MeboData.mdb/MeboData.mdb" << Startup::Probe::Failed;
        QTest::newRow("folder") << "Data" << Startup::Probe::Found;
    }
    void probeTellsOnlyAMissingFileApart()
    {
        QFETCH(QString, relativePath);
        QFETCH(Startup::Probe, expected);
        FixtureFolder folder;
        QCOMPARE(Startup::probeFile(folder.path() + QLatin1Char('/') + relativePath), expected);
    }

    void templateIsMovedThenUsedDirectly()
    {
        FixtureFolder folder(Fixture::Content::Catalogue, false);
        Fixture::writeDatabase(folder.upgradePath());
        const QByteArray seed = bytes(folder.upgradePath());
        {
            Run first(folder.path());
            QVERIFY(Startup::openDatabase(first.context));
            QCOMPARE(first.prompts.count(), 0);
            QVERIFY(first.context.dataSource().rsConfig.isOpen());
            QVERIFY(first.context.dataSource().rsTableKey.isOpen());
            QCOMPARE(first.context.config().getConfig("VERSION"), QStringLiteral("3.0.0"));
        }
        QCOMPARE(listing(folder.path() + "/Data"), QStringList{"MeboData.mdb"});
        // The template itself, moved: only the file header differs, as the
        // started program keeps its commits in a write-ahead log.
        QCOMPARE(bytes(folder.dbPath()).mid(100), seed.mid(100));
        QCOMPARE(int(bytes(folder.dbPath()).at(18)), 2); // the header's mark of a write-ahead log

        // A new template delivered later must not replace the data file.
        writeText(folder.upgradePath(), "a newer template");
        {
            Run second(folder.path());
            QVERIFY(Startup::openDatabase(second.context));
            QCOMPARE(second.prompts.count(), 0);
        }
        QCOMPARE(bytes(folder.upgradePath()), QByteArray("a newer template"));
        QCOMPARE(bytes(folder.dbPath()).mid(100), seed.mid(100));
    }

    void missingDatabaseAndTemplateEndTheProgram_data()
    {
        QTest::addColumn<bool>("withDataFolder");
        QTest::newRow("empty Data folder") << true;
        QTest::newRow("no Data folder") << false;
    }
    void missingDatabaseAndTemplateEndTheProgram()
    {
        QFETCH(bool, withDataFolder);
        FixtureFolder folder(Fixture::Content::Catalogue, false);
        if (!withDataFolder)
            QVERIFY(QDir(folder.path()).rmdir("Data"));
        const QStringList before = listing(folder.path());
        Run run(folder.path());
        QVERIFY(!Startup::openDatabase(run.context));
        QCOMPARE(run.prompts.count(), 1);
        const Prompt box = run.prompts.last();
        QCOMPARE(box.icon, PromptIcon::Critical);
        QCOMPARE(box.buttons, PromptButtons::Ok);
        QCOMPARE(box.title, QStringLiteral("Critical Application Error"));
        QCOMPARE(box.text,
                 QStringLiteral("Unable to locate database file '") + folder.dbPath() +
                     QStringLiteral("'.\r\n\r\n  Check your installation folder.  If the file is missing, "
                                    "you may attempt to reinstall the application. \r\n\r\n") +
                     supportMessage());
        QVERIFY(!run.context.dataSource().isConnected());
        // Nothing was created: no empty database, no Data folder.
        QCOMPARE(listing(folder.path()), before);
        if (withDataFolder)
            QCOMPARE(listing(folder.path() + "/Data"), QStringList());
    }

    void badDatabaseFileIsReportedAndLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("fatal"); // ended through shutDown
        const QString busy =
            QStringLiteral("Unable to open the Corvane's Foodlark Database.  Make sure you don't "
                           "have another instance of Corvane's Foodlark open.  ");
        QTest::newRow("text file") << "text"
                                   << "The file '%1' is not a Corvane's Foodlark Database.  " << false;
        QTest::newRow("empty file") << "empty"
                                    << "Unable to retrieve Configuration Data.  " << true;
        QTest::newRow("no CONFIG table") << "noconfig"
                                         << "Unable to retrieve Configuration Data.  " << true;
        QTest::newRow("no TableKey table") << "nokeys"
                                           << "Unable to retrieve Table Key Data.  " << true;
        QTest::newRow("folder in its place") << "folder" << busy << false;
    }
    void badDatabaseFileIsReportedAndLeftAlone()
    {
        QFETCH(QString, kind);
        QFETCH(QString, expected);
        QFETCH(bool, fatal);
        FixtureFolder folder(Fixture::Content::Catalogue, kind == "noconfig" || kind == "nokeys");
        if (kind == "text")
            writeText(folder.dbPath(), "Breakfast: porridge\nLunch: soup\nThis is not a database at all.\n");
        else if (kind == "empty")
            writeText(folder.dbPath(), QByteArray());
        else if (kind == "noconfig")
            alterDatabase(folder.dbPath(), "DROP TABLE CONFIG");
        else if (kind == "nokeys")
            alterDatabase(folder.dbPath(), "DROP TABLE TableKey");
        else if (kind == "folder")
            QVERIFY(QDir().mkpath(folder.dbPath()));
        // A template beside it must not be taken instead.
        writeText(folder.upgradePath(), "template");
        const QByteArray before = bytes(folder.dbPath());
        const QStringList files = listing(folder.path() + "/Data");

        Run run(folder.path());
        QVERIFY(!Startup::openDatabase(run.context));
        QCOMPARE(run.prompts.count(), 1);
        QCOMPARE(run.prompts.last().icon, PromptIcon::Critical);
        QCOMPARE(run.prompts.last().title, QStringLiteral("Application Error"));
        QCOMPARE(run.prompts.last().text, expected.replace("%1", folder.dbPath()) + supportMessage());
        QCOMPARE(run.context.shutDownRequested(), fatal);
        // The program lets go of the file at once, and leaves it as it was.
        QVERIFY(!run.context.dataSource().isConnected());
        QCOMPARE(bytes(folder.dbPath()), before);
        QCOMPARE(listing(folder.path() + "/Data"), files);
    }

    // chmod marks the file or folder read-only; the program respects the mark
    // even where the system would let it write anyway (as for root, where the
    // tests usually run), so these cases hold for every user.
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
        const QString dataFolder = folder.path() + "/Data";
        Fixture::writeDatabase(file);
        const QByteArray before = bytes(file);
        const QStringList files = listing(dataFolder);
        const QFile::Permissions readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        const QFile::Permissions enterable = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        const QString locked = lockFolder ? dataFolder : file;
        const QFile::Permissions unlocked = QFile::permissions(locked);
        QVERIFY(Startup::isWritable(locked));
        QVERIFY(QFile::setPermissions(locked, lockFolder ? readable | enterable : readable));
        QVERIFY(!Startup::isWritable(locked));

        Run run(folder.path());
        const bool started = Startup::openDatabase(run.context);
        QFile::setPermissions(locked, unlocked);

        QVERIFY(!started);
        QCOMPARE(run.prompts.count(), 1);
        QCOMPARE(run.prompts.last().icon, PromptIcon::Critical);
        QCOMPARE(run.prompts.last().title, QStringLiteral("Application Error"));
        QCOMPARE(
            run.prompts.last().text,
            QStringLiteral("The Corvane's Foodlark Database '%1' can not be written to.  Make sure that the "
                           "file and its folder are not read-only.  ")
                    .arg(file) +
                supportMessage());
        QVERIFY(!run.context.dataSource().isConnected());
        QCOMPARE(listing(dataFolder), files);
        QCOMPARE(bytes(file), before);
    }

    void secondCopyIsRefusedWhileTheFirstRuns()
    {
        FixtureFolder folder;
        const QByteArray before = bytes(folder.dbPath());
        auto first = std::make_unique<Run>(folder.path());
        QVERIFY(Startup::openDatabase(first->context));
        {
            Run second(folder.path());
            QVERIFY(!Startup::openDatabase(second.context));
            QCOMPARE(second.prompts.count(), 1);
            QCOMPARE(second.prompts.last().title, QStringLiteral("Application Error"));
            QCOMPARE(
                second.prompts.last().text,
                QStringLiteral("Unable to open the Corvane's Foodlark Database.  Make sure you don't have "
                               "another instance of Corvane's Foodlark open.  ") +
                    supportMessage());
            QVERIFY(!second.context.dataSource().isConnected());
        }
        // The first copy goes on undisturbed, and can still write.
        first->context.config().setConfig("SHOWMEALS", "N", false);
        QCOMPARE(first->context.config().getConfig("SHOWMEALS"), QStringLiteral("N"));
        QCOMPARE(first->prompts.count(), 0);
        first.reset();
        QVERIFY(bytes(folder.dbPath()) != before);

        // Once it has ended, the next start opens the file.
        Run third(folder.path());
        QVERIFY(Startup::openDatabase(third.context));
        QCOMPARE(third.context.config().getConfig("SHOWMEALS"), QStringLiteral("N"));
    }

    void olderDatabaseIsUpgradedAtStartup_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("upgrade accepted") << true;
        QTest::newRow("upgrade declined") << false;
    }
    void olderDatabaseIsUpgradedAtStartup()
    {
        QFETCH(bool, yes);
        FixtureFolder folder(Fixture::Content::NoSnapShot);
        const QByteArray before = bytes(folder.dbPath());
        {
            Run run(folder.path());
            run.prompts.queue(yes ? PromptAnswer::Yes : PromptAnswer::No);
            QCOMPARE(Startup::openDatabase(run.context), yes);
            QCOMPARE(run.prompts.count(), 2);
            QCOMPARE(run.prompts.shown().first().title, QStringLiteral("Upgrade Notification"));
            QCOMPARE(run.context.dataSource().isConnected(), yes);
        }
        // Declining writes nothing; after the upgrade the next start goes straight through.
        QCOMPARE(bytes(folder.dbPath()) == before, !yes);
        Run next(folder.path());
        QCOMPARE(Startup::openDatabase(next.context), yes);
        QCOMPARE(next.prompts.count(), yes ? 0 : 2);
    }

    void introductionOnlyForExactlyY_data()
    {
        QTest::addColumn<QString>("value"); // a null value: no SHOWTIPS item
        QTest::addColumn<bool>("offered");
        QTest::newRow("Y") << "Y" << true;
        QTest::newRow("y") << "y" << false;
        QTest::newRow("N") << "N" << false;
        QTest::newRow("blank before") << " Y" << false;
        QTest::newRow("blank after") << "Y " << false;
        QTest::newRow("Yes") << "Yes" << false;
        QTest::newRow("missing item") << QString() << false;
    }
    void introductionOnlyForExactlyY()
    {
        QFETCH(QString, value);
        QFETCH(bool, offered);
        FixtureFolder folder;
        if (value.isNull())
            alterDatabase(folder.dbPath(), "DELETE FROM CONFIG WHERE ConfigItem = 'SHOWTIPS'");
        else
            alterDatabase(folder.dbPath(),
                          QStringLiteral("UPDATE CONFIG SET ConfigValue = '%1' WHERE ConfigItem = 'SHOWTIPS'")
                              .arg(value));
        Run run(folder.path());
        QVERIFY(Startup::openDatabase(run.context));
        QCOMPARE(Startup::introductionEnabled(run.context.config()), offered);
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"
