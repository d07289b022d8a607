#include "app/datafolder.h"
#include "app/startup.h"
#include "fixture.h"

#include <QDirIterator>
#include <QTest>

// Which folder holds the log, and the start on it: a folder named on the
// command line or by the environment, a portable Data folder beside the
// program that already holds a log, else the user's own folder, made and
// given a copy of the seed on the first start. Each case lays out a program
// folder (prefix/bin, the installed seed under prefix/share/foodlark), a home
// and a current folder in a temporary tree of its own.
class DataFolderTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> root;
    QString previousFolder;

    QString at(const QString& relative) const
    {
        return relative.isEmpty() ? QString() : root->filePath(relative);
    }
    DataFolder::Places
    places(const QString& option = {}, const QString& environment = {},
           const QString& userFolder = QStringLiteral("home/.local/share/Foodlark/Foodlark"))
    {
        return {option, environment, at("prefix/bin"), at(userFolder)};
    }
    // Puts a seed (or a log) at relative.
    void writeDatabase(const QString& relative)
    {
        QVERIFY(QDir().mkpath(QFileInfo(at(relative)).absolutePath()));
        Fixture::writeDatabase(at(relative));
    }
    // Every file and folder of the tree but those under except, with each file's bytes.
    QMap<QString, QByteArray> tree(const QString& except = {}) const
    {
        QMap<QString, QByteArray> entries;
        QDirIterator it(root->path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString name = QDir(root->path()).relativeFilePath(path);
            if (except.isEmpty() || name.section('/', 0, 0) != except)
                entries[name] = it.fileInfo().isDir() ? QByteArray("<folder>") : fileBytes(path);
        }
        return entries;
    }

private slots:
    void init()
    {
        root = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(root->path()).mkpath("prefix/bin") && QDir(root->path()).mkpath("work"));
        previousFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(at("work")));
    }
    void cleanup() { QDir::setCurrent(previousFolder); }

    void theRuleChoosesInItsOrder_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("environment"); // @: the temporary tree
        QTest::addColumn<QStringList>("files");   // logs and seeds laid out first
        QTest::addColumn<QString>("chosen");      // folder | how it was chosen | seed
        const auto row = [](const char* tag, const char* option, const char* environment,
                            const QStringList& files, const QString& chosen) {
            QTest::newRow(tag) << option << environment << files << chosen;
        };
        const QString log = "prefix/bin/Data/MeboData.mdb";
        const QString beside = "prefix/bin/Data/MeboUpgd.mdb";
        const QString installed = "prefix/share/foodlark/MeboUpgd.mdb";
        const QString user = "home/.local/share/Foodlark/Foodlark | the user's data folder | ";
        row("--data-dir first, from the current folder", "mine", "@/env", {log, installed},
            "work/mine | named by --data-dir | " + installed);
        row("FOODLARK_DATA_DIR before a portable log", "", "@/work/../env", {log},
            "env | named by FOODLARK_DATA_DIR | ");
        row("a portable log", "", "", {log, installed},
            "prefix/bin/Data | the Data folder beside the program | " + installed);
        row("a build tree: seeded from beside the program", "", "", {beside, installed}, user + beside);
        row("installed: seeded from share", "", "", {installed}, user + installed);
        row("no seed at all", "", "", {}, user);
    }
    void theRuleChoosesInItsOrder()
    {
        QFETCH(QString, option);
        QFETCH(QString, environment);
        QFETCH(QStringList, files);
        QFETCH(QString, chosen);
        for (const QString& file : files)
            writeDatabase(file);
        const QMap<QString, QByteArray> before = tree();
        const DataFolder folder = DataFolder::choose(places(option, environment.replace("@", root->path())));
        const auto relative = [this](const QString& path) {
            return path.isEmpty() ? path : QDir(root->path()).relativeFilePath(path);
        };
        QCOMPARE(
            QStringList({relative(folder.path), folder.originText(), relative(folder.seedPath)}).join(" | "),
            chosen);
        QCOMPARE(tree(), before); // choosing makes nothing
    }

    // The first start makes the folder and copies the seed in, leaving the seed
    // and everything else as it was; a later start uses the log it finds, which
    // a newer seed does not replace.
    void aNewFolderIsMadeAndSeededOnce_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("folder");
        QTest::newRow("the user's folder") << "" << "home/.local/share/Foodlark/Foodlark";
        QTest::newRow("a new folder of --data-dir") << "new/log" << "work/new/log";
    }
    void aNewFolderIsMadeAndSeededOnce()
    {
        QFETCH(QString, option);
        QFETCH(QString, folder);
        const QString seed = "prefix/bin/Data/MeboUpgd.mdb";
        writeDatabase(seed);
        const QByteArray seedBytes = fileBytes(at(seed));
        const QString top = folder.section('/', 0, 0);
        const auto startsCleanly = [&] {
            ScriptedPrompts prompts;
            AppContext context(DataFolder::choose(places(option)), prompts);
            return Startup::openDatabase(context) && prompts.count() == 0;
        };
        QMap<QString, QByteArray> others = tree(top);
        QVERIFY(startsCleanly());
        QCOMPARE(QDir(at(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"MeboData.mdb"});
        const QString log = at(folder) + "/MeboData.mdb";
        QCOMPARE(fileBytes(log), seedBytes);
        QCOMPARE(tree(top), others);

        fileRows(log, "UPDATE CONFIG SET ConfigValue = 'Ann' WHERE ConfigItem = 'USER1'");
        QFile newer(at(seed));
        QVERIFY(newer.open(QIODevice::WriteOnly | QIODevice::Truncate) && newer.write("a newer seed") > 0);
        newer.close();
        others = tree(top);
        QVERIFY(startsCleanly());
        QCOMPARE(fileRows(log, "SELECT ConfigValue FROM CONFIG WHERE ConfigItem = 'USER1'"),
                 QList<QVariantList>{{"Ann"}});
        QCOMPARE(tree(top), others);
    }

    // A folder that cannot be made or written to is named in the box, and
    // nothing is written anywhere: no fallback to the folder beside the program.
    void anUnusableFolderIsNamedAndNothingIsWritten_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("phrase"); // @: the temporary tree
        const QString cannotMake =
            "Unable to make the folder '@/home/data' for the Corvane's Foodlark Database: ";
        QTest::newRow("a file where its folder belongs")
            << "home is a file" << cannotMake + "'@/home' is a file, not a folder.  ";
        QTest::newRow("the folder it belongs in is read-only")
            << "home is read-only" << cannotMake + "the folder '@/home' can not be written to.  ";
        QTest::newRow("the folder is read-only") << "data is read-only"
                                                 << "The folder '@/home/data' can not be written to, so no "
                                                    "new Corvane's Foodlark Database can be made "
                                                    "in it.  ";
        QTest::newRow("no user's folder") << "none"
                                          << "No folder could be found for the Corvane's Foodlark Database";
    }
    void anUnusableFolderIsNamedAndNothingIsWritten()
    {
        QFETCH(QString, layout);
        QFETCH(QString, phrase);
        writeDatabase("prefix/bin/Data/MeboUpgd.mdb");
        QVERIFY(QDir(root->path()).mkpath("home"));
        const QString locked = at(layout.startsWith("home") ? "home" : "home/data");
        if (layout.endsWith("is a file")) {
            QVERIFY(QDir(locked).removeRecursively());
            QFile file(locked);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a folder") > 0);
        } else if (layout.endsWith("read-only")) {
            QVERIFY(QDir().mkpath(locked));
            QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        }
        const QMap<QString, QByteArray> before = tree();
        ScriptedPrompts prompts;
        {
            AppContext context(DataFolder::choose(places({}, {}, layout == "none" ? "" : "home/data")),
                               prompts);
            QVERIFY(!Startup::openDatabase(context));
        }
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(prompts.count(), 1);
        const QString text = prompts.last().text;
        QCOMPARE(prompts.last(), applicationError(text.left(text.indexOf("If this behavior"))));
        QVERIFY2(text.contains(phrase.replace("@", root->path())), qPrintable(text));
        QCOMPARE(tree(), before);
    }
};

QTEST_GUILESS_MAIN(DataFolderTest)
#include "tst_datafolder.moc"
