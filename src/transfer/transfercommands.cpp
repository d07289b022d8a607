#include "transfer/transfercommands.h"

#include "app/appcontext.h"
#include "app/datafolder.h"
#include "app/databasemessages.h"
#include "app/promptservice.h"
#include "app/startup.h"
#include "data/integritycheck.h"
#include "data/orvdatasource.h"
#include "transfer/logexport.h"
#include "transfer/logimport.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTextStream>
#include <optional>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace TransferCommands {

namespace {

const QString kExport = QStringLiteral("export");
const QString kImport = QStringLiteral("import");

QString usage()
{
    return QStringLiteral(
        "Usage: foodlark export --format json|csv --out PATH [--user N|all] [--from YYYY-MM-DD] [--to YYYY-MM-DD]\n"
        "       foodlark import PATH [--dry-run]\n"
        "\n"
        "export  writes the diet log, the snapshots and the user's own foods of user N (1 to 4) or of all\n"
        "        users (the default), over the days from --from to --to (all days when left out), to PATH:\n"
        "        one JSON document, or a folder of CSV files.\n"
        "import  adds what is new in the export at PATH (a JSON document, or a folder of CSV files) to the\n"
        "        diet log, after an automatic backup; --dry-run only says what it would add.\n");
}

// Boxes of the start-up on the console. A question is answered No: a command
// changes nothing that the program would have asked about.
class ConsolePrompts : public PromptService
{
public:
    explicit ConsolePrompts(QTextStream& err) : m_err(err) {}

    PromptAnswer ask(const Prompt& prompt) override
    {
        QString text = prompt.text;
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        m_err << text << Qt::endl;
        if (prompt.buttons == PromptButtons::Ok)
            return PromptAnswer::Ok;
        m_err << "(No: the command line does not answer questions.)" << Qt::endl;
        declined = true;
        return PromptAnswer::No;
    }

    bool declined = false;

private:
    QTextStream& m_err;
};

struct Arguments
{
    QMap<QString, QString> options;
    QStringList positional;
    bool help = false;
    QString error;
};

// --name VALUE and --name=VALUE for the options in withValue, --name for
// those in flags, everything else by its place.
Arguments parse(const QStringList& arguments, const QStringList& withValue, const QStringList& flags)
{
    Arguments parsed;
    for (qsizetype i = 0; i < arguments.size() && parsed.error.isEmpty(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            parsed.help = true;
            continue;
        }
        if (!argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            parsed.positional << argument;
            continue;
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = argument.left(equals);
        if (parsed.options.contains(name)) {
            parsed.error = QStringLiteral("%1 is given twice.").arg(name);
        } else if (withValue.contains(name)) {
            if (equals >= 0)
                parsed.options.insert(name, argument.mid(equals + 1));
            else if (i + 1 < arguments.size())
                parsed.options.insert(name, arguments[++i]);
            else
                parsed.error = QStringLiteral("%1 needs a value.").arg(name);
        } else if (flags.contains(name) && equals < 0) {
            parsed.options.insert(name, QString());
        } else {
            parsed.error = QStringLiteral("The option %1 is not known.").arg(argument);
        }
    }
    return parsed;
}

// A day written YYYY-MM-DD.
std::optional<QDate> day(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!pattern.match(text).hasMatch() || !date.isValid())
        return std::nullopt;
    return date;
}

// The database in the data folder, opened as at the program's start and let
// go of as when it ends.
class Session
{
public:
    Session(const DataFolder& folder, QTextStream& err) : m_err(err), m_prompts(err), context(folder, m_prompts) {}

    // False when it was refused (and the reason given).
    bool open()
    {
        if (isLocked(context.dbPath)) {
            m_err << QStringLiteral("The diet log '%1' is in use: %2 (or another command) has it open.  Close it, "
                                    "then run the command again.")
                         .arg(QDir::toNativeSeparators(context.dbPath), context.appTitle)
                  << Qt::endl;
            return false;
        }
        if (!Startup::openDatabase(context)) {
            if (m_prompts.declined)
                m_err << QStringLiteral("Start %1 once to upgrade the database, then run the command again.")
                             .arg(context.appTitle)
                      << Qt::endl;
            return false;
        }
        Startup::acceptDatabase(context);
        return true;
    }

    // Closes the database with its check seen through first: a damaged file
    // is said so and gets nothing more written. The exit code.
    int close(int code)
    {
        OrvDataSource& dataSource = context.dataSource();
        const std::optional<QString> finding = dataSource.integrityCheck().finish();
        if (finding && !finding->isEmpty()) {
            dataSource.holdLog();
            context.reportError(
                DatabaseMessages::damaged(context, context.dbPath, DatabaseMessages::engineFinding(*finding)));
            code = kRefused;
        } else if (finding) {
            dataSource.releaseLog();
        }
        dataSource.closeDB();
        return code;
    }

private:
    QTextStream& m_err;
    ConsolePrompts m_prompts;

public:
    AppContext context;
};

int wrongUsage(QTextStream& err, const QString& problem)
{
    err << problem << "\n\n" << usage() << Qt::flush;
    return kWrongUsage;
}

bool userExists(AppContext& context, const QString& user)
{
    Recordset& config = context.dataSource().rsConfig;
    config.moveFirst();
    return config.findFirst(Criteria::equals(QStringLiteral("ConfigItem"), user));
}

int exportLog(const DataFolder& folder, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const Arguments parsed = parse(arguments,
                                   {QStringLiteral("--format"), QStringLiteral("--out"), QStringLiteral("--user"),
                                    QStringLiteral("--from"), QStringLiteral("--to")},
                                   {});
    if (parsed.help) {
        out << usage();
        return kDone;
    }
    LogExport::Options options;
    QString problem = parsed.error;
    const QString format = parsed.options.value(QStringLiteral("--format"));
    const QString user = parsed.options.value(QStringLiteral("--user"), QStringLiteral("all"));
    static const QRegularExpression userNumber(QStringLiteral("^[1-9][0-9]?$"));
    if (problem.isEmpty() && !parsed.positional.isEmpty())
        problem = QStringLiteral("export takes no file of its own: %1 (the file goes after --out).")
                      .arg(parsed.positional.first());
    else if (problem.isEmpty() && format != QLatin1String("json") && format != QLatin1String("csv"))
        problem = format.isNull() ? QStringLiteral("--format json or --format csv is missing.")
                                  : QStringLiteral("--format is json or csv, not %1.").arg(format);
    else if (problem.isEmpty() && parsed.options.value(QStringLiteral("--out")).isEmpty())
        problem = QStringLiteral("--out PATH is missing.");
    else if (problem.isEmpty() && user != QLatin1String("all") && !userNumber.match(user).hasMatch())
        problem = QStringLiteral("--user is a number (1 to 4) or all, not %1.").arg(user);
    for (const char* name : {"--from", "--to"}) {
        const QString text = parsed.options.value(QLatin1String(name));
        if (problem.isEmpty() && parsed.options.contains(QLatin1String(name)) && !day(text))
            problem = QStringLiteral("%1 is a day written YYYY-MM-DD, not %2.").arg(QLatin1String(name), text);
    }
    if (problem.isEmpty()) {
        options.format = format == QLatin1String("csv") ? LogExport::Format::Csv : LogExport::Format::Json;
        options.user = user == QLatin1String("all") ? QString() : QStringLiteral("USER") + user;
        options.from = day(parsed.options.value(QStringLiteral("--from"))).value_or(QDate());
        options.to = day(parsed.options.value(QStringLiteral("--to"))).value_or(QDate());
        if (options.from.isValid() && options.to.isValid() && options.from > options.to)
            problem = QStringLiteral("--from is after --to.");
    }
    if (!problem.isEmpty())
        return wrongUsage(err, problem);

    Session session(folder, err);
    if (!session.open())
        return kRefused;
    if (!options.user.isEmpty() && !userExists(session.context, options.user)) {
        err << QStringLiteral("There is no user %1 in this database.").arg(user) << Qt::endl;
        return session.close(kRefused);
    }
    const QString path = parsed.options.value(QStringLiteral("--out"));
    LogExport exporter(session.context, options);
    QString error;
    if (!exporter.write(path, &error)) {
        err << error << Qt::endl;
        return session.close(kRefused);
    }
    out << QStringLiteral("The diet log has been exported to '%1': %2.")
               .arg(QDir::toNativeSeparators(path), exporter.countsText())
        << Qt::endl;
    return session.close(kDone);
}

int importLog(const DataFolder& folder, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const Arguments parsed = parse(arguments, {}, {QStringLiteral("--dry-run")});
    if (parsed.help) {
        out << usage();
        return kDone;
    }
    QString problem = parsed.error;
    if (problem.isEmpty() && parsed.positional.size() != 1)
        problem = parsed.positional.isEmpty() ? QStringLiteral("import needs the PATH of an export.")
                                              : QStringLiteral("import takes one PATH, not %1.").arg(parsed.positional.size());
    if (!problem.isEmpty())
        return wrongUsage(err, problem);

    Session session(folder, err);
    if (!session.open())
        return kRefused;
    LogImport import(session.context, parsed.positional.first());
    auto refused = [&] {
        if (!import.refusal().isEmpty())
            err << import.refusal() << Qt::endl;
        return session.close(kRefused);
    };
    if (!import.preview())
        return refused();
    out << import.previewText() << Qt::endl;
    if (parsed.options.contains(QStringLiteral("--dry-run"))) {
        out << "Nothing has been changed (--dry-run)." << Qt::endl;
        return session.close(kDone);
    }
    if (import.summary().nothingNew())
        return session.close(kDone);
    if (!import.run())
        return refused();
    out << import.doneText() << Qt::endl;
    return session.close(kDone);
}

} // namespace

int run(const DataFolder& folder, const QString& command, const QStringList& arguments, QTextStream& out,
        QTextStream& err)
{
    if (command == kExport)
        return exportLog(folder, arguments, out, err);
    if (command == kImport)
        return importLog(folder, arguments, out, err);
    return wrongUsage(err, QStringLiteral("The command %1 is not known.").arg(command));
}

QList<ProgramCommand> commands()
{
    const auto onConsole = [](const QString& command) {
        return [command](const DataFolder& folder, const QStringList& arguments) {
            QTextStream out(stdout);
            QTextStream err(stderr);
            const int code = run(folder, command, arguments, out, err);
            out.flush();
            err.flush();
            return code;
        };
    };
    return {
        {kExport,
         QStringLiteral("--format json|csv --out PATH [--user N|all] [--from YYYY-MM-DD] [--to YYYY-MM-DD]"),
         QStringLiteral("writes the whole log, the snapshots and the own foods to a JSON file or a CSV folder"),
         onConsole(kExport)},
        {kImport, QStringLiteral("PATH [--dry-run]"),
         QStringLiteral("adds what is new in such an export to the log, after an automatic backup"),
         onConsole(kImport)},
    };
}

bool isLocked(const QString& path)
{
    // The kernel lists every lock of every process, with the device and
    // inode of its file ("1: POSIX ADVISORY WRITE 4242 08:02:1835029 1073741824
    // 1073742335"): the file need not be opened, which would drop this
    // process's own locks on it.
    struct stat file;
    if (::stat(QFile::encodeName(path).constData(), &file) != 0)
        return false;
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    static const QRegularExpression id(QStringLiteral("^([0-9a-f]+):([0-9a-f]+):([0-9]+)$"));
    for (const QByteArray& line : locks.readAll().split('\n')) {
        for (const QByteArray& field : line.simplified().split(' ')) {
            const QRegularExpressionMatch match = id.match(QString::fromLatin1(field));
            if (match.hasMatch() && match.captured(1).toUInt(nullptr, 16) == major(file.st_dev) &&
                match.captured(2).toUInt(nullptr, 16) == minor(file.st_dev) &&
                match.captured(3).toULongLong() == quint64(file.st_ino))
                return true;
        }
    }
    return false;
}

} // namespace TransferCommands
