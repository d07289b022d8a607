// A running copy of the program for the kill trials. It starts over the
// program folder given as its first argument as the program starts, prints
// "ready", then, until it is killed, either makes automatic backups ("backup")
// or restores the files named after the mode in turn ("restore A B ..."),
// printing a line after each. Every box is answered Yes and printed to
// stderr; a step that fails ends it with status 1.
#include "app/appcontext.h"
#include "app/backups.h"
#include "app/startup.h"
#include "data/databasebackup.h"
#include "data/orvdatasource.h"
#include "data/recordset.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

class YesPrompts : public PromptService
{
public:
    PromptAnswer ask(const Prompt& prompt) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(prompt.title), qPrintable(prompt.text));
        return prompt.buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    YesPrompts prompts;
    AppContext context(args[1], prompts);
    if (!Startup::openDatabase(context))
        return 1;
    Startup::acceptDatabase(context);
    std::printf("ready\n");
    std::fflush(stdout);
    const QStringList files = args.mid(3);
    for (int i = 0;; ++i) {
        QCoreApplication::processEvents();
        if (args[2] == QLatin1String("backup")) {
            try {
                DatabaseBackup::writeAutomatic(context.dataSource().handle(), context.backupFolder(),
                                               DatabaseBackup::kBeforePurge);
            } catch (const DataError& error) {
                std::fprintf(stderr, "%s\n", error.what());
                return 1;
            }
            std::printf("backup\n");
        } else {
            const QString file = files.value(i % qMax(1, int(files.size())));
            if (Backups::restore(context, file) != Backups::Outcome::Restored)
                return 1;
            std::printf("%s\n", qPrintable(file));
        }
        std::fflush(stdout);
    }
}
