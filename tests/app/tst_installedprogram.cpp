#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The program as `cmake --install` lays it out in a temporary prefix, started
// as a user whose home is a temporary folder, and its desktop entry and
// metainfo as the desktop's own tools check them.
class InstalledProgramTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir prefix;
    QTemporaryDir home;

    // Runs a program to its end: "exit code | standard output | standard error".
    static QString run(const QString& program, const QStringList& arguments,
                       const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        if (!process.waitForFinished(120000))
            process.kill();
        const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return QStringList{QString::number(code), process.readAllStandardOutput(),
                           process.readAllStandardError()}
            .join(" | ");
    }
    // The installed program started as the user: no folder named for it, the start-up probe set.
    QString start(const QStringList& arguments)
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
            QFile file(it.next());
            entries[QDir(folder).relativeFilePath(file.fileName())] =
                file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
        }
        return entries;
    }

private slots:
    void initTestCase()
    {
        const QString install =
            run(FOODLARK_CMAKE, {"--install", FOODLARK_BUILD_DIR, "--prefix", prefix.path()});
        QVERIFY2(install.startsWith("0 |"), qPrintable(install));
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

    // Version, help and a wrong word end at once, without a window (the probe
    // would report one) or a data folder; the first start makes the log in the
    // user's data folder and writes nothing beside the program.
    void theProgramStartsOnTheUsersOwnLog()
    {
        const QString folder = home.filePath(".local/share/Foodlark/Foodlark");
        QCOMPARE(start({"--version"}), "0 | Foodlark 3.0.0\n | ");
        QCOMPARE(start({"--bogus"}),
                 "2 |  | foodlark: unknown option '--bogus'\nTry 'foodlark --help' for more information.\n");
        const QString help = start({"--help"});
        QVERIFY2(help.startsWith("0 | Usage: foodlark [--data-dir DIR]\n") &&
                     help.contains("Data folder: " + folder + "\n  (the user's data folder)\n"),
                 qPrintable(help));
        QVERIFY(!QFileInfo::exists(home.filePath(".local")));
        const QMap<QString, QByteArray> installed = files(prefix.path());
        const QString first = start({});
        QVERIFY2(first.startsWith("0 |") && first.contains("foodlark-probe: shown,"), qPrintable(first));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"MeboData.mdb"});
        QCOMPARE(files(prefix.path()), installed);
    }

    // Both pass, and the metainfo's screenshots are pictures of docs/screenshots.
    void theDesktopEntryAndMetainfoValidate()
    {
        const QString metainfo = prefix.filePath("share/metainfo/example.corvane.foodlark.metainfo.xml");
        for (const QStringList& check :
             {QStringList{"desktop-file-validate",
                          prefix.filePath("share/applications/example.corvane.foodlark.desktop")},
              QStringList{"appstreamcli", "validate", "--no-net", metainfo}}) {
            const QString tool = QStandardPaths::findExecutable(check.first());
            QVERIFY2(!tool.isEmpty(),
                     qPrintable(check.first() + " is missing: scripts/setup.sh installs it"));
            const QString result = run(tool, check.mid(1));
            QVERIFY2(result.startsWith("0 |"), qPrintable(result));
        }
        QFile file(metainfo);
        QVERIFY(file.open(QIODevice::ReadOnly));
        int pictures = 0;
        for (const QRegularExpressionMatch& match :
             QRegularExpression("<image>[^<]*/screenshots/([^<]+)</image>")
                 .globalMatch(QString::fromUtf8(file.readAll()))) {
            QVERIFY2(!QImage(FOODLARK_SOURCE_DIR "/docs/screenshots/" + match.captured(1)).isNull(),
                     qPrintable(match.captured(1)));
            ++pictures;
        }
        QVERIFY(pictures >= 3);
    }
};

QTEST_GUILESS_MAIN(InstalledProgramTest)
#include "tst_installedprogram.moc"
