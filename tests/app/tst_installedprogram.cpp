#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The program as `cmake --install` lays it out in a temporary prefix, started
// as a user whose home is a temporary folder: its command line, its first
// start (the log made in the user's data folder, nothing written beside the
// program), and the desktop entry and metainfo as the desktop's own tools
// check them.
class InstalledProgramTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir prefix;
    QTemporaryDir home;

    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    static Run run(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        Run result;
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            result.err = program + " did not end";
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }
    // The program started as the user: no folder named for it, the start-up probe set.
    Run start(const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"FOODLARK_DATA_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
            environment.remove(name);
        environment.insert("HOME", home.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("FOODLARK_STARTUP_PROBE", "1");
        return run(prefix.filePath("bin/foodlark"), arguments, environment);
    }
    // Every file under folder with its bytes.
    static QMap<QString, QByteArray> files(const QString& folder)
    {
        QMap<QString, QByteArray> entries;
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            entries[QDir(folder).relativeFilePath(path)] =
                file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
        }
        return entries;
    }
    // Runs a checking tool of the desktop on an installed file; it must pass without a word but a hint.
    static void check(const QString& tool, const QStringList& arguments)
    {
        const QString path = QStandardPaths::findExecutable(tool);
        QVERIFY2(!path.isEmpty(), qPrintable(tool + " is missing: scripts/setup.sh installs it"));
        const Run result = run(path, arguments);
        QVERIFY2(result.exitCode == 0, qPrintable(result.out + result.err));
    }

private slots:
    void initTestCase()
    {
        const Run install = run(FOODLARK_CMAKE, {"--install", FOODLARK_BUILD_DIR, "--prefix", prefix.path()});
        QVERIFY2(install.exitCode == 0, qPrintable(install.out + install.err));
    }

    void theLayoutIsComplete()
    {
        const QString id = "example.corvane.foodlark";
        QStringList expected{"bin/foodlark",
                             "share/foodlark/MeboUpgd.mdb",
                             "share/applications/" + id + ".desktop",
                             "share/metainfo/" + id + ".metainfo.xml",
                             "share/icons/hicolor/scalable/apps/" + id + ".svg",
                             "share/man/man1/foodlark.1.gz",
                             "share/doc/foodlark/copyright",
                             "share/doc/foodlark/changelog.gz"};
        for (int size : {48, 64, 128, 256}) {
            const QString icon = QString("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(id);
            expected << icon;
            QCOMPARE(QImage(prefix.filePath(icon)).size(), QSize(size, size));
        }
        expected.sort();
        QCOMPARE(files(prefix.path()).keys(), expected);
    }

    // Help, version and the refusals end at once: no window (the probe would
    // report one) and no data folder.
    void theCommandLineAnswersWithoutAWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString tryHelp = "\nTry 'foodlark --help' for more information.\n";
        QTest::newRow("--version") << QStringList{"--version"} << 0 << "Foodlark 3.0.0\n"
                                   << "";
        QTest::newRow("an unknown option") << QStringList{"--bogus"} << 2 << ""
                                           << "foodlark: unknown option '--bogus'" + tryHelp;
        QTest::newRow("no folder after --data-dir")
            << QStringList{"--data-dir"} << 2 << ""
            << "foodlark: the option '--data-dir' needs a folder: --data-dir DIR" + tryHelp;
        QTest::newRow("a word that is no command") << QStringList{"MeboData.mdb"} << 2 << ""
                                                   << "foodlark: unknown command 'MeboData.mdb'" + tryHelp;
    }
    void theCommandLineAnswersWithoutAWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run result = start(arguments);
        QCOMPARE(result.err, err);
        QCOMPARE(result.out, out);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY(!QFileInfo::exists(home.filePath(".local")));
    }

    void theFirstStartMakesTheUsersLog()
    {
        const QString folder = home.filePath(".local/share/Foodlark/Foodlark");
        const Run help = start({"--help"});
        QVERIFY2(help.exitCode == 0 &&
                     help.out.contains("Data folder: " + folder + "\n  (the user's data folder)\n"),
                 qPrintable(help.out));
        const QMap<QString, QByteArray> installed = files(prefix.path());
        const Run first = start({});
        QVERIFY2(first.exitCode == 0 && first.err.contains("foodlark-probe: shown,"), qPrintable(first.err));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"MeboData.mdb"});
        QCOMPARE(files(prefix.path()), installed);
    }

    // The metainfo's screenshots are pictures of docs/screenshots.
    void theDesktopEntryAndMetainfoValidate()
    {
        const QString metainfo = prefix.filePath("share/metainfo/example.corvane.foodlark.metainfo.xml");
        check("desktop-file-validate",
              {prefix.filePath("share/applications/example.corvane.foodlark.desktop")});
        check("appstreamcli", {"validate", "--no-net", metainfo});
        QFile file(metainfo);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QStringList pictures;
        for (const QRegularExpressionMatch& match :
             QRegularExpression("<image>[^<]*/screenshots/([^<]+)</image>").globalMatch(text))
            pictures << match.captured(1);
        QVERIFY(pictures.size() >= 3);
        for (const QString& picture : pictures)
            QVERIFY2(!QImage(FOODLARK_SOURCE_DIR "/docs/screenshots/" + picture).isNull(),
                     qPrintable(picture));
    }
};

QTEST_GUILESS_MAIN(InstalledProgramTest)
#include "tst_installedprogram.moc"
