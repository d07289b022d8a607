#include "app/configstore.h"
#include "app/startup.h"
#include "data/databasefile.h"
#include "data/orvdatasource.h"
#include "databasefiles.h"
#include "fixture.h"

#include <QDir>
#include <QLocale>
#include <QTest>

#include <sys/stat.h>

using DatabaseFiles::Ending;

// The start-up steps before any window: finding (or moving into place) the
// database file, opening it with its configuration and keys, and what the user
// sees when any of that is impossible. Database files as disks and copying
// habits leave them (cut short, emptied, damaged, replaced by something else,
// paired with a log of another copy, lacking tables or columns) are refused at
// the start with a box that names the file and the trouble, and everything in
// the Data folder is left exactly as it was. Each case runs in a temporary
// program folder of its own.
class StartupTest : public QObject
{
    Q_OBJECT

private:
    qint64 full = 0; // the size of a fixture database

    static QString bytes(qint64 n) { return QLocale(QLocale::English).toString(n) + " bytes"; }
    static void writeFile(const QString& path, const QByteArray& content)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }
    static QStringList listing(const QString& folder) { return DatabaseFiles::contents(folder).keys(); }
    // Starts the program over the folder, which must refuse the file with one
    // box containing phrase and leave the Data folder as it was.
    static void expectRefusal(FixtureFolder& folder, const QString& phrase, bool fatal = false)
    {
        const QString data = folder.path() + "/Data";
        const auto before = DatabaseFiles::contents(data);
        ProgramRun run(folder.path());
        QVERIFY(!Startup::openDatabase(run.context));
        const QString text = run.prompts.last().text;
        QCOMPARE(run.prompts.shown(),
                 QList<Prompt>{applicationError(text.left(text.indexOf("If this behavior")))});
        QVERIFY2(text.contains(phrase), qPrintable(text));
        // Every new message names the file; the program's older ones keep their words.
        QVERIFY2(text.contains(folder.dbPath()) || text.contains(folder.upgradePath()) ||
                     phrase.startsWith("Unable to"),
                 qPrintable(text));
        QCOMPARE(run.context.shutDownRequested(), fatal);
        QVERIFY(!run.context.dataSource().isConnected());
        QCOMPARE(DatabaseFiles::contents(data), before);
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

    void initTestCase()
    {
        full = fileBytes(FixtureFolder().dbPath()).size();
        QCOMPARE(full % 4096, 0);
    }

    void damagedFilesAreRefusedAndLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qint64>("kept"); // of a file cut short
        QTest::addColumn<QString>("phrase");
        const auto row = [](const char* tag, const char* kind, qint64 kept, const QString& phrase) {
            QTest::newRow(tag) << QString(kind) << kept << phrase;
        };
        row("text file", "text", 0, "is not a Corvane's Foodlark Database.  ");
        row("empty file", "cut", 0, "is empty (0 bytes)");
        row("40 bytes", "cut", 40, "holds only 40 bytes, not even the whole header");
        for (const qint64 kept : {qint64(100), full - 4096})
            row(qPrintable(bytes(kept)), "cut", kept,
                bytes(kept) + " of the " + bytes(full) + " its header records");
        row("header garbled", "header", 0, "is damaged: its header is not valid");
        row("folder", "folder", 0, "is a folder, not a Corvane's Foodlark Database file");
        row("named pipe", "pipe", 0, "is not an ordinary file (it is a named pipe");
        // The program respects a read-only mark even where the system would let it
        // write anyway (as for root, where the tests usually run).
        for (const char* kind : {"read-only file", "read-only folder", "read-only, template only",
                                 "read-only folder, template only"})
            row(kind, kind, 0,
                "can not be written to.  Make sure that the file and its folder are not read-only.  ");
        row("held by another copy", "held", 0,
            "Unable to open the Corvane's Foodlark Database.  Make sure you don't have another instance of "
            "Corvane's Foodlark open.  ");
    }
    void damagedFilesAreRefusedAndLeftAlone()
    {
        QFETCH(QString, kind);
        QFETCH(qint64, kept);
        QFETCH(QString, phrase);
        FixtureFolder folder;
        const QString db = folder.dbPath();
        const QByteArray whole = fileBytes(db);
        ProgramRun holder(folder.path());
        const bool templateOnly = kind.endsWith("template only");
        if (templateOnly)
            QVERIFY(QFile::rename(db, folder.upgradePath()));
        else
            writeFile(folder.upgradePath(), "template"); // must not be taken instead
        const bool lockFolder = kind.startsWith("read-only folder");
        const QString file = templateOnly ? folder.upgradePath() : db;
        const QString locked = lockFolder ? folder.path() + "/Data" : file;
        const QFile::Permissions unlocked = QFile::permissions(locked);
        if (kind.startsWith("read-only")) {
            phrase = QString("The Corvane's Foodlark Database '%1' ").arg(file) + phrase;
            QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner |
                                                      (lockFolder ? QFile::ExeOwner : QFile::ReadOwner)));
        } else if (kind == "text")
            writeFile(db, "Breakfast: porridge\nLunch: soup\nThis is not a database at all.\n");
        else if (kind == "cut")
            writeFile(db, whole.left(kept));
        else if (kind == "header")
            writeFile(db, whole.left(16) + QByteArray(2, '\x03') + whole.mid(18)); // page size 771
        else if (kind == "folder" || kind == "pipe")
            QVERIFY(QFile::remove(db) &&
                    (kind == "folder" ? QDir().mkpath(db)
                                      : ::mkfifo(QFile::encodeName(db).constData(), 0600) == 0));
        else if (kind == "held")
            QVERIFY(Startup::openDatabase(holder.context));
        expectRefusal(folder, phrase);
        QFile::setPermissions(locked, unlocked);
    }

    // The file of a run that ended cleanly is not checked at the start, so the
    // start stays quick; the full check then runs beside the program (what it
    // does on finding damage is the backups' test). A run closed before its
    // check has reported waits for it: a sound file gets its log copied in, so
    // the next start needs no check; a damaged one keeps the log beside it,
    // untouched, and the next start finds the damage at once.
    void theCheckAfterTheStartSeesItsRunThrough_data()
    {
        QTest::addColumn<bool>("damaged");
        QTest::newRow("sound") << false;
        QTest::newRow("damaged") << true;
    }
    void theCheckAfterTheStartSeesItsRunThrough()
    {
        QFETCH(bool, damaged);
        FixtureFolder folder;
        QVERIFY(DatabaseFiles::runSession(folder.path(), 3, Ending::Clean));
        if (damaged)
            QVERIFY(DatabaseFiles::damagePage(folder.dbPath(), "FoodItem") > 0);
        const QByteArray before = fileBytes(folder.dbPath());
        {
            ProgramRun run(folder.path());
            QVERIFY(Startup::openDatabase(run.context));
            Startup::acceptDatabase(run.context);
            run.context.dataSource().closeDB();
            QCOMPARE(run.prompts.count(), 0);
        }
        QCOMPARE(DatabaseFile::endedUncleanly(folder.dbPath()), damaged);
        if (damaged) {
            QCOMPARE(fileBytes(folder.dbPath()), before);
            expectRefusal(folder, "is damaged");
        }
    }

    void everyTableAndColumnIsChecked_data()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<bool>("fatal");
        const QString lacks = "lacks what this version of Corvane's Foodlark needs: ";
        // The configuration and key tables are read first, with their own words.
        QTest::newRow("CONFIG") << QStringList{"DROP TABLE CONFIG"}
                                << "Unable to retrieve Configuration Data.  " << true;
        QTest::newRow("TableKey") << QStringList{"DROP TABLE TableKey"}
                                  << "Unable to retrieve Table Key Data.  " << true;
        for (const char* table : {"FoodGroup", "FoodItem", "USDA_Measures", "DietActivity", "Meal"})
            QTest::newRow(table) << QStringList{QString("DROP TABLE %1").arg(table)}
                                 << lacks + "the table " + table + "." << false;
        QTest::newRow("SnapShot") << QStringList{"DROP TABLE SNAPSHOT"} << lacks + "the table SnapShot."
                                  << false;
        const QList<QPair<QString, QString>> columns = {
            {"CONFIG", "SelectedConfig"}, {"TableKey", "KeyValue"}, {"FoodGroup", "GroupTag"}, {"FoodItem", "USDA_GM_WT"},
            {"USDA_Measures", "MSRE_NO"}, {"DietActivity", "Other2"}, {"Meal", "MealName"}, {"SnapShot", "SNAPVAL7"}};
        for (const auto& [table, column] : columns) {
            QTest::newRow(qPrintable(table + "." + column))
                << QStringList{QString("ALTER TABLE %1 RENAME COLUMN %2 TO Old%2").arg(table, column)}
                << lacks + "the column " + table + "." + column + "." << false;
        }
        QTest::newRow("a table and two columns")
            << QStringList{"DROP TABLE Meal", "ALTER TABLE FoodItem RENAME COLUMN Fat TO OldFat",
                           "ALTER TABLE DietActivity RENAME COLUMN DietDate TO OldDate"}
            << lacks + "the table Meal and the columns FoodItem.Fat and DietActivity.DietDate." << false;
        // A newer release's file is refused as it is, whatever its tables hold.
        QTest::newRow("newer version")
            << QStringList{"UPDATE CONFIG SET ConfigValue = '3.1.0' WHERE ConfigItem = 'VERSION'",
                           "DROP TABLE Meal"}
            << "was made by a newer version of Corvane's Foodlark (3.1.0); this is version 3.0.0" << false;
        QTest::newRow("garbled key")
            << QStringList{"UPDATE TableKey SET KeyValue = 'abc' WHERE KeyName = 'DIETACTIVITY'"}
            << "DIETACTIVITY holds 'abc', which is not a whole number" << false;
        QTest::newRow("fractional key, no key row")
            << QStringList{"UPDATE TableKey SET KeyValue = 12.5 WHERE KeyName = 'FOODITEM'",
                           "DELETE FROM TableKey WHERE KeyName = 'SNAPSHOT'"}
            << "FOODITEM holds '12.5', which is not a whole number and it has no row for SNAPSHOT" << false;
    }
    void everyTableAndColumnIsChecked()
    {
        QFETCH(QStringList, statements);
        QFETCH(QString, phrase);
        QFETCH(bool, fatal);
        FixtureFolder folder;
        for (const QString& statement : statements)
            fileRows(folder.dbPath(), statement);
        expectRefusal(folder, phrase, fatal);
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"
