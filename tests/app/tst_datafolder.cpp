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
    // Every file and folder of the tree, with each file's bytes.
    QMap<QString, QByteArray> tree() const
    {
        QMap<QString, QByteArray> entries;
        QDirIterator it(root->path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            entries[QDir(root->path()).relativeFilePath(path)] =
                it.fileInfo().isDir() ? QByteArray("<folder>") : fileBytes(path);
        }
        return entries;
    }
    // The tree without the folder under relative.
    QMap<QString, QByteArray> treeBut(const QString& relative) const
    {
        QMap<QString, QByteArray> entries;
        const QMap<QString, QByteArray> all = tree();
        for (auto entry = all.begin(); entry != all.end(); ++entry) {
            if (entry.key() != relative && !entry.key().startsWith(relative + QLatin1Char('/')))
                entries.insert(entry.key(), entry.value());
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
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QString>("beside"); // in prefix/bin/Data: "log", "template" or nothing
        QTest::addColumn<bool>("installed"); // a seed in prefix/share/foodlark
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("origin");
        QTest::addColumn<QString>("seed");
        const QString installedSeed = "prefix/share/foodlark/MeboUpgd.mdb";
        QTest::newRow("--data-dir before all, from the current folder")
            << "mine"
            << "@/env"
            << "log" << true << "work/mine" << int(DataFolder::Origin::Option) << installedSeed;
        QTest::newRow("FOODLARK_DATA_DIR before a portable log")
            << ""
            << "@/work/../env"
            << "log" << false << "env" << int(DataFolder::Origin::Environment) << "";
        QTest::newRow("a portable log")
            << ""
            << ""
            << "log" << true << "prefix/bin/Data" << int(DataFolder::Origin::Portable) << installedSeed;
        QTest::newRow("a build tree: the user's folder, seeded from beside the program")
            << ""
            << ""
            << "template" << true << "home/.local/share/Foodlark/Foodlark" << int(DataFolder::Origin::User)
            << "prefix/bin/Data/MeboUpgd.mdb";
        QTest::newRow("installed: the user's folder, seeded from share")
            << ""
            << ""
            << "" << true << "home/.local/share/Foodlark/Foodlark" << int(DataFolder::Origin::User)
            << installedSeed;
        QTest::newRow("no seed at all")
            << ""
            << ""
            << "" << false << "home/.local/share/Foodlark/Foodlark" << int(DataFolder::Origin::User) << "";
    }
    void theRuleChoosesInItsOrder()
    {
        QFETCH(QString, option);
        QFETCH(QString, environment);
        QFETCH(QString, beside);
        QFETCH(bool, installed);
        QFETCH(QString, folder);
        QFETCH(int, origin);
        QFETCH(QString, seed);
        if (beside == "log")
            writeDatabase("prefix/bin/Data/MeboData.mdb");
        else if (beside == "template")
            writeDatabase("prefix/bin/Data/MeboUpgd.mdb");
        if (installed)
            writeDatabase("prefix/share/foodlark/MeboUpgd.mdb");
        const QMap<QString, QByteArray> before = tree();
        const DataFolder chosen = DataFolder::choose(places(option, environment.replace("@", root->path())));
        QCOMPARE(chosen.path, at(folder));
        QCOMPARE(int(chosen.origin), origin);
        QCOMPARE(chosen.seedPath, at(seed));
        QCOMPARE(tree(), before); // choosing makes nothing
    }

    // The first start makes the folder and copies the seed in, leaving the seed
    // and everything else as it was; a later start uses the log it finds, which
    // a newer seed does not replace.
    void aNewFolderIsMadeAndSeededOnce_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("seed");
        QTest::addColumn<QString>("folder");
        QTest::newRow("the user's folder, seed beside the program") << ""
                                                                    << "prefix/bin/Data/MeboUpgd.mdb"
                                                                    << "home/.local/share/Foodlark/Foodlark";
        QTest::newRow("the user's folder, installed seed") << ""
                                                           << "prefix/share/foodlark/MeboUpgd.mdb"
                                                           << "home/.local/share/Foodlark/Foodlark";
        QTest::newRow("a new folder of --data-dir") << "new/log"
                                                    << "prefix/bin/Data/MeboUpgd.mdb"
                                                    << "work/new/log";
    }
    void aNewFolderIsMadeAndSeededOnce()
    {
        QFETCH(QString, option);
        QFETCH(QString, seed);
        QFETCH(QString, folder);
        writeDatabase(seed);
        const QByteArray seedBytes = fileBytes(at(seed));
        const QString top = folder.section('/', 0, 0);
        QMap<QString, QByteArray> others = treeBut(top);
        const DataFolder chosen = DataFolder::choose(places(option));
        QCOMPARE(chosen.path, at(folder));
        {
            ScriptedPrompts prompts;
            AppContext context(chosen, prompts);
            QVERIFY(Startup::openDatabase(context));
            QCOMPARE(prompts.count(), 0);
        }
        QCOMPARE(QDir(at(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"MeboData.mdb"});
        QCOMPARE(fileBytes(chosen.dbPath()), seedBytes);
        QCOMPARE(treeBut(top), others);

        fileRows(chosen.dbPath(), "UPDATE CONFIG SET ConfigValue = 'Ann' WHERE ConfigItem = 'USER1'");
        QFile newer(at(seed));
        QVERIFY(newer.open(QIODevice::WriteOnly | QIODevice::Truncate) && newer.write("a newer seed") > 0);
        newer.close();
        others = treeBut(top);
        {
            ScriptedPrompts prompts;
            AppContext context(DataFolder::choose(places(option)), prompts);
            QVERIFY(Startup::openDatabase(context));
            QCOMPARE(prompts.count(), 0);
        }
        QCOMPARE(fileRows(chosen.dbPath(), "SELECT ConfigValue FROM CONFIG WHERE ConfigItem = 'USER1'"),
                 QList<QVariantList>{{"Ann"}});
        QCOMPARE(treeBut(top), others);
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
        QTest::newRow("a file of its name")
            << "data is a file" << cannotMake + "'@/home/data' is a file, not a folder.  ";
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
