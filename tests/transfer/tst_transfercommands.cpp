#include "transferfixture.h"

#include "data/orvdatasource.h"
#include "databasefiles.h"
#include "app/datafolder.h"
#include "transfer/transfercommands.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

using namespace TransferFixture;

// "foodlark export" and "foodlark import": wrong usage, the round trip into
// a new data folder, and what they refuse: a log the program holds, a
// database that needs the upgrade, a bad file. Last the program itself.
class TransferCommandsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    struct Result
    {
        int code;
        QString out;
        QString err;
    };
    static Result run(const QString& dataFolder, const QString& command, const QStringList& arguments)
    {
        Result result{0, {}, {}};
        QTextStream out(&result.out);
        QTextStream err(&result.err);
        result.code = TransferCommands::run(DataFolder(dataFolder), command, arguments, out, err);
        out.flush();
        err.flush();
        return result;
    }
    static QString data(const FixtureFolder& folder) { return folder.path() + "/Data"; }
    static int entries(const FixtureFolder& folder)
    {
        return fileRows(folder.dbPath(), "SELECT count(*) FROM DietActivity").first().first().toInt();
    }

private slots:
    void wrongUsage_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("problem");
        const QStringList json = {"--format", "json", "--out", "a.json"};
        QTest::newRow("no format") << "export" << QStringList{"--out", "a.json"} << "--format json or --format csv is missing.";
        QTest::newRow("another format") << "export" << QStringList{"--format", "xml", "--out", "a"} << "--format is json or csv, not xml.";
        QTest::newRow("no place") << "export" << QStringList{"--format=json"} << "--out PATH is missing.";
        QTest::newRow("a value missing") << "export" << QStringList{"--format"} << "--format needs a value.";
        QTest::newRow("user 0") << "export" << json + QStringList{"--user", "0"} << "--user is a number (1 to 4) or all, not 0.";
        QTest::newRow("not a day") << "export" << json + QStringList{"--from", "2026-02-30"} << "--from is a day written YYYY-MM-DD, not 2026-02-30.";
        QTest::newRow("days reversed") << "export" << json + QStringList{"--from", "2026-03-02", "--to", "2026-03-01"} << "--from is after --to.";
        QTest::newRow("not known") << "export" << json + QStringList{"--colour", "red"} << "The option --colour is not known.";
        QTest::newRow("twice") << "export" << json + QStringList{"--out=b.json"} << "--out is given twice.";
        QTest::newRow("a file of its own") << "export" << QStringList{"--format", "json", "a.json"} << "export takes no file of its own: a.json (the file goes after --out).";
        QTest::newRow("import nothing") << "import" << QStringList{"--dry-run"} << "import needs the PATH of an export.";
        QTest::newRow("import two") << "import" << QStringList{"a.json", "b.json"} << "import takes one PATH, not 2.";
        QTest::newRow("a flag with a value") << "import" << QStringList{"a.json", "--dry-run=yes"} << "The option --dry-run=yes is not known.";
    }
    void wrongUsage()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, arguments);
        QFETCH(QString, problem);
        FixtureFolder folder;
        const auto before = DatabaseFiles::contents(data(folder));
        const Result result = run(data(folder), command, arguments);
        QCOMPARE(result.code, TransferCommands::kWrongUsage);
        QVERIFY2(result.err.startsWith(problem + "\n\nUsage: foodlark export --format json|csv --out PATH"),
                 qPrintable(result.err));
        QCOMPARE(result.out, QString());
        QCOMPARE(DatabaseFiles::contents(data(folder)), before);
        // --help says how instead, and is no error.
        const Result help = run(data(folder), command, {"--help"});
        QCOMPARE(help.code, TransferCommands::kDone);
        QCOMPARE(help.out, result.err.mid(problem.size() + 2));
    }

    // Exported and imported into a new data folder (what comes back is the
    // import's own test); imported again, nothing is new.
    void exportThenImport_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("JSON") << "json";
        QTest::newRow("CSV") << "csv";
    }
    void exportThenImport()
    {
        QFETCH(QString, format);
        FixtureFolder source;
        {
            TestContext writer; // writes the log into its own folder, copied below
            writeHostileLog(writer);
            writer.ctx().dataSource().closeDB();
            QFile::remove(source.dbPath());
            QVERIFY(QFile::copy(writer.folder.dbPath(), source.dbPath()));
        }
        const QString first = dir.filePath("first-" + format);
        Result result = run(data(source), "export", {"--format", format, "--out", first});
        QCOMPARE(result.err, QString());
        QCOMPARE(result.code, TransferCommands::kDone);
        QCOMPARE(result.out, "The diet log has been exported to '" + first +
                                 "': 26 diet entries, 12 snapshots, 14 foods and 3 food groups.\n");
        QCOMPARE(QFileInfo(first).isDir(), format == "csv"); // a folder of CSV files, or one document

        FixtureFolder target;
        result = run(data(target), "import", {first});
        QCOMPARE(result.err, QString());
        QCOMPARE(result.code, TransferCommands::kDone);
        QVERIFY2(result.out.contains("\nTo be added: 26 diet entries, 12 snapshots, 12 foods and 2 food groups.\n"
                                     "The file '" + first + "' has been imported: 26 diet entries, 12 snapshots, "
                                     "12 foods and 2 food groups added."),
                 qPrintable(result.out));
        QCOMPARE(entries(target), 26);

        result = run(data(target), "import", {first, "--dry-run"});
        QCOMPARE(result.code, TransferCommands::kDone);
        QVERIFY2(result.out.endsWith("Everything in it is here already: nothing would be added.\n"
                                     "Nothing has been changed (--dry-run).\n"),
                 qPrintable(result.out));
        QCOMPARE(entries(target), 26);
    }

    void refusals()
    {
        FixtureFolder folder;
        // A bad file: the reason, and nothing imported.
        const QString bad = dir.filePath("bad.json");
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("{\"format\": \"foodlark-log\", \"version\": 7}") > 0);
        file.close();
        Result result = run(data(folder), "import", {bad});
        QCOMPARE(result.code, TransferCommands::kRefused);
        QCOMPARE(result.err, "The file '" + bad + "' can not be imported: it was written in version 7 of the Foodlark "
                             "data format, and this version of the program reads version 1 at most.  Nothing has been "
                             "imported.\n");
        QCOMPARE(result.out, QString());

        result = run(data(folder), "export", {"--format", "json", "--out", dir.filePath("x.json"), "--user", "7"});
        QCOMPARE(result.code, TransferCommands::kRefused);
        QCOMPARE(result.err, "There is no user 7 in this database.\n");
        QVERIFY(!QFile::exists(dir.filePath("x.json")));


        // A database that needs the upgrade is left as it is.
        FixtureFolder older(Fixture::Content::NoSnapShot);
        const auto before = DatabaseFiles::contents(data(older));
        result = run(data(older), "export", {"--format", "csv", "--out", dir.filePath("old")});
        QCOMPARE(result.code, TransferCommands::kRefused);
        QVERIFY2(result.err.startsWith("You have recently upgraded your Corvane's Foodlark software to version 3.00."),
                 qPrintable(result.err));
        QVERIFY2(result.err.endsWith("Do you wish to perform this upgrade at this time?\n"
                                     "(No: the command line does not answer questions.)\n"
                                     "Database upgrade not completed.  You will not be able to use this version of "
                                     "Corvane's Foodlark until the upgrade has been completed.\n"
                                     "Start Corvane's Foodlark once to upgrade the database, then run the command again.\n"),
                 qPrintable(result.err));
        QCOMPARE(DatabaseFiles::contents(data(older)), before);
        QVERIFY(!QFileInfo::exists(dir.filePath("old")));
    }

    // The program started with the words export or import runs them without
    // a window, on the Data folder beside it; a log another process holds is
    // refused.
    void theProgramRunsThem()
    {
        QTemporaryDir installed;
        QDir(installed.path()).mkpath("Data");
        Fixture::writeDatabase(installed.filePath("Data/MeboData.mdb"));
        QVERIFY(QFile::copy(FOODLARK_PROGRAM_FILE, installed.filePath("foodlark")));
        auto program = [&](const QStringList& arguments) {
            QProcess process;
            process.start(installed.filePath("foodlark"), arguments);
            if (!process.waitForFinished(120000))
                process.kill();
            return Result{process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                          QString::fromUtf8(process.readAllStandardError())};
        };
        const QString path = dir.filePath("installed.json");
        Result result = program({"export", "--format", "json", "--out", path});
        QCOMPARE(result.err, QString());
        QCOMPARE(result.code, TransferCommands::kDone);
        QVERIFY(result.out.startsWith("The diet log has been exported to '" + path + "': 0 diet entries"));
        {
            ProgramRun holder(installed.path());
            QVERIFY(holder.context.dataSource().connectDB());
            result = program({"import", path});
            QCOMPARE(result.code, TransferCommands::kRefused);
            QCOMPARE(result.err, "The diet log '" + installed.filePath("Data/MeboData.mdb") + "' is in use: Corvane's "
                                 "Foodlark (or another command) has it open.  Close it, then run the command again.\n");
        }
        result = program({"import", path});
        QCOMPARE(result.code, TransferCommands::kDone);
        QVERIFY(result.out.endsWith("Everything in it is here already: nothing would be added.\n"));
        QCOMPARE(program({"export"}).code, TransferCommands::kWrongUsage);
    }
};

QTEST_GUILESS_MAIN(TransferCommandsTest)
#include "tst_transfercommands.moc"
