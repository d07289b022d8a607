#include "app/commandline.h"

#include "app/appcontext.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

// Qt's own options, which the application object reads and takes away; either
// one or two dashes, as Qt accepts them.
const QStringList kQtOptionsWithValue = {
    QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"),    QStringLiteral("style"),
    QStringLiteral("stylesheet"),      QStringLiteral("session"),
    QStringLiteral("display"),         QStringLiteral("geometry"),
    QStringLiteral("qmljsdebugger")};
const QStringList kQtFlags = {QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                              QStringLiteral("nograb"), QStringLiteral("dograb"), QStringLiteral("sync")};

CommandLine refusal(const QString& error)
{
    CommandLine line;
    line.action = CommandLine::Action::Refuse;
    line.error = error;
    return line;
}

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

CommandLine CommandLine::parse(const QStringList& words, const QStringList& commands)
{
    CommandLine line;
    bool help = false;
    bool version = false;
    for (int i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        const bool endOfOptions = word == QLatin1String("--");
        if (endOfOptions || !word.startsWith(QLatin1Char('-')) || word == QLatin1String("-")) {
            const int first = endOfOptions ? i + 1 : i;
            if (first < words.size()) {
                line.command = words[first];
                line.commandArguments = words.mid(first + 1);
            }
            break;
        }
        const int dashes = word.startsWith(QLatin1String("--")) ? 2 : 1;
        const int equals = word.indexOf(QLatin1Char('='));
        const QString option = equals < 0 ? word : word.left(equals);
        const QString name = option.mid(dashes);
        std::optional<QString> value;
        if (equals >= 0)
            value = word.mid(equals + 1);
        const auto takeValue = [&]() {
            if (!value && i + 1 < words.size())
                value = words[++i];
            return value.has_value();
        };
        if (option == QLatin1String("--help") || option == QLatin1String("-h") ||
            option == QLatin1String("--version") || option == QLatin1String("-v")) {
            if (value)
                return refusal(QStringLiteral("the option '%1' takes no value").arg(option));
            (name.startsWith(QLatin1Char('h')) ? help : version) = true;
        } else if (option == QLatin1String("--data-dir")) {
            if (!takeValue() || value->isEmpty())
                return refusal(QStringLiteral("the option '--data-dir' needs a folder: --data-dir DIR"));
            line.dataDir = *value;
        } else if (kQtOptionsWithValue.contains(name)) {
            if (!takeValue())
                return refusal(QStringLiteral("the option '%1' needs a value").arg(option));
        } else if (!kQtFlags.contains(name) || value) {
            return refusal(QStringLiteral("unknown option '%1'").arg(option));
        }
    }
    if (!line.command.isEmpty() && !commands.contains(line.command))
        return refusal(QStringLiteral("unknown command '%1'").arg(line.command));
    line.action = help                     ? Action::ShowHelp
                  : version                ? Action::ShowVersion
                  : line.command.isEmpty() ? Action::OpenWindows
                                           : Action::RunCommand;
    return line;
}

QString CommandLine::versionText()
{
    return QStringLiteral("Foodlark ") + AppContext::appVersion();
}

QString CommandLine::helpText(const DataFolder& folder, const QList<ProgramCommand>& commands)
{
    QString text = QStringLiteral("Usage: foodlark [--data-dir DIR]\n");
    if (!commands.isEmpty())
        text += QStringLiteral("       foodlark [--data-dir DIR] COMMAND [ARGUMENT]...\n");
    text +=
        QStringLiteral("\n%1: a diet log of what you eat and its nutrients, with the USDA food catalogue.\n"
                       "\n"
                       "Options:\n"
                       "  --data-dir DIR  keep the log in the folder DIR (made, with a new log,\n"
                       "                  when it holds none)\n"
                       "  -h, --help      show this help and end\n"
                       "  -v, --version   show the version and end\n")
            .arg(versionText());
    if (!commands.isEmpty()) {
        text += QStringLiteral("\nCommands:\n");
        for (const ProgramCommand& command : commands)
            text += QStringLiteral("  foodlark %1 %2\n      %3\n")
                        .arg(command.name, command.synopsis, command.summary);
    }
    const QString where =
        folder.path.isEmpty() ? QStringLiteral("none found") : QDir::toNativeSeparators(folder.path);
    text += QStringLiteral("\n"
                           "Data folder: %1\n"
                           "  (%2)\n"
                           "The log is MeboData.mdb in the data folder, its automatic backups are in\n"
                           "its folder Backups. The data folder is the first of: the folder of\n"
                           "--data-dir; the folder FOODLARK_DATA_DIR names; the folder Data beside the\n"
                           "program when it holds a log; the user's data folder, made with a new log on\n"
                           "the first start.\n")
                .arg(where, folder.originText());
    return text;
}

int CommandLine::run(int& argc, char** argv, const QList<ProgramCommand>& commands,
                     const OpenWindows& openWindows)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Foodlark"));
    QCoreApplication::setApplicationName(QStringLiteral("Foodlark"));
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    QStringList names;
    for (const ProgramCommand& command : commands)
        names << command.name;
    const CommandLine line = parse(words, names);
    switch (line.action) {
    case Action::Refuse:
        print(stderr,
              QStringLiteral("foodlark: %1\nTry 'foodlark --help' for more information.\n").arg(line.error));
        return 2;
    case Action::ShowVersion:
        print(stdout, versionText() + QLatin1Char('\n'));
        return 0;
    case Action::ShowHelp:
        print(stdout, helpText(DataFolder::choose(DataFolder::placesOf(line.dataDir)), commands));
        return 0;
    case Action::RunCommand: {
        std::unique_ptr<QCoreApplication> app;
        if (!QCoreApplication::instance())
            app = std::make_unique<QCoreApplication>(argc, argv);
        const DataFolder folder = DataFolder::choose(DataFolder::placesOf(line.dataDir));
        for (const ProgramCommand& command : commands) {
            if (command.name == line.command)
                return command.run(folder, line.commandArguments);
        }
        return 2; // parse() knows every command
    }
    case Action::OpenWindows:
        break;
    }
    return openWindows(argc, argv, DataFolder::choose(DataFolder::placesOf(line.dataDir)));
}
