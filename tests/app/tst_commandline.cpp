#include "app/commandline.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// The words the program is started with: its options, Qt's let through, a
// command and its own words handed on untouched, and the refusals (exit 2,
// nothing opened) of a wrong word.
class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void wordsAreReadAsTheProgramTakesThem_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("expected"); // action | data dir | command | its words, or the refusal
        const auto row = [](const char* tag, const QStringList& words, const QString& expected) {
            QTest::newRow(tag) << words << expected;
        };
        row("nothing", {}, "windows |  |  | ");
        row("--data-dir DIR", {"--data-dir", "my log"}, "windows | my log |  | ");
        row("--data-dir=DIR, the last one holds", {"--data-dir=a", "--data-dir=b=c"}, "windows | b=c |  | ");
        row("Qt's options are let through",
            {"-platform", "offscreen", "--style=fusion", "-reverse", "--data-dir", "d"}, "windows | d |  | ");
        row("-h", {"-h"}, "help |  |  | ");
        row("--help before a command", {"--help", "export"}, "help |  | export | ");
        row("-v", {"-v", "--data-dir", "x"}, "version | x |  | ");
        row("a command takes every word after it", {"--data-dir", "d", "export", "--help", "-x", "out.csv"},
            "command | d | export | --help,-x,out.csv");
        row("-- ends the options", {"--", "import"}, "command |  | import | ");
        row("an unknown option", {"--data-dir", "d", "--colour=red"}, "unknown option '--colour'");
        row("an unknown short option", {"-x"}, "unknown option '-x'");
        row("an unknown option after --help", {"--help", "-data-dir", "d"}, "unknown option '-data-dir'");
        row("--data-dir without its folder", {"--data-dir"},
            "the option '--data-dir' needs a folder: --data-dir DIR");
        row("--data-dir with an empty folder", {"--data-dir="},
            "the option '--data-dir' needs a folder: --data-dir DIR");
        row("a Qt option without its value", {"-style"}, "the option '-style' needs a value");
        row("--help with a value", {"--help=all"}, "the option '--help' takes no value");
        row("an unknown command", {"frobnicate", "x"}, "unknown command 'frobnicate'");
    }
    void wordsAreReadAsTheProgramTakesThem()
    {
        QFETCH(QStringList, words);
        QFETCH(QString, expected);
        const CommandLine line = CommandLine::parse(words, {"export", "import"});
        static const QStringList actions = {"windows", "help", "version", "command", "refuse"};
        const QString read = line.action == CommandLine::Action::Refuse
                                 ? line.error
                                 : QStringList{actions[int(line.action)], line.dataDir, line.command,
                                               line.commandArguments.join(',')}
                                       .join(" | ");
        QCOMPARE(read, expected);
    }

    // The start from argv: a command runs on the chosen data folder with its
    // own words and its exit code is the program's; a wrong word ends with 2
    // and runs nothing; no command opens the windows on the data folder.
    void theStartRunsWhatTheWordsAskFor_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("ran"); // what ran: its data folder (@: the temporary folder), its words
        QTest::newRow("a command") << QStringList{"--data-dir", "@/mine", "export", "a b", "--to"} << 7
                                   << "export on @/mine: a b|--to";
        QTest::newRow("a command on the environment's folder")
            << QStringList{"import"} << 7 << "import on @/env: ";
        QTest::newRow("the windows on --data-dir")
            << QStringList{"--data-dir=@/x/../y"} << 5 << "windows on @/y";
        QTest::newRow("an unknown option") << QStringList{"--bogus", "export"} << 2 << "";
    }
    void theStartRunsWhatTheWordsAskFor()
    {
        QFETCH(QStringList, words);
        QFETCH(int, exitCode);
        QFETCH(QString, ran);
        QTemporaryDir temporary;
        qputenv("FOODLARK_DATA_DIR", QFile::encodeName(temporary.filePath("env")));
        QList<QByteArray> bytes{"foodlark"};
        for (const QString& word : words)
            bytes << QFile::encodeName(QString(word).replace("@", temporary.path()));
        std::vector<char*> argv;
        for (QByteArray& word : bytes)
            argv.push_back(word.data());
        int argc = int(argv.size());
        QString what;
        const auto command = [&what](const QString& name) {
            return ProgramCommand{name, "FILE", "Moves the log.",
                                  [&what, name](const DataFolder& folder, const QStringList& arguments) {
                                      what = name + " on " + folder.path + ": " + arguments.join('|');
                                      return 7;
                                  }};
        };
        const int code = CommandLine::run(argc, argv.data(), {command("export"), command("import")},
                                          [&what](int&, char**, const DataFolder& folder) {
                                              what = "windows on " + folder.path;
                                              return 5;
                                          });
        qunsetenv("FOODLARK_DATA_DIR");
        QCOMPARE(code, exitCode);
        QCOMPARE(what, ran.replace("@", temporary.path()));
    }

    // --help names the data folder in use and how it was chosen, and the commands.
    void helpNamesTheDataFolderAndTheCommands()
    {
        const QString help =
            CommandLine::helpText(DataFolder("/srv/logs/ann", DataFolder::Origin::Environment),
                                  {{"export", "[--from DATE] FILE", "Writes the log to FILE.", {}}});
        QVERIFY2(help.contains("Data folder: /srv/logs/ann\n  (named by FOODLARK_DATA_DIR)\n") &&
                     help.contains("  foodlark export [--from DATE] FILE\n      Writes the log to FILE.\n") &&
                     help.contains("  --data-dir DIR "),
                 qPrintable(help));
        QVERIFY(!CommandLine::helpText(DataFolder("/x", DataFolder::Origin::User), {}).contains("COMMAND"));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
