// A running copy of the program for the tests of a second copy and of kills.
// It starts over the program folder given as its first argument as the
// program starts and prints "ready"; then, until it is killed, it does what
// its second argument names, printing a line after each step:
//   write            appends diet entries of USER1 through the diet recordset
//                    (the line: the DietId, once its Update has returned)
//   backup           makes automatic backups
//   restore A B ...  restores the files named in turn
// Every box is printed to stderr and answered Yes; a step that fails ends it
// with status 1.
#include "app/appcontext.h"
#include "app/backups.h"
#include "app/startup.h"
#include "data/databasebackup.h"
#include "data/orvdatasource.h"
#include "data/recordset.h"

#include <QCoreApplication>
#include <QDate>
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
    const QString mode = args[2];
    const QStringList files = args.mid(3);
    YesPrompts prompts;
    AppContext context(DataFolder(args[1] + QStringLiteral("/Data")), prompts);
    OrvDataSource& ds = context.dataSource();
    if (!Startup::openDatabase(context))
        return 1;
    Startup::acceptDatabase(context);
    if (mode == QLatin1String("write") && !ds.cmdDietData(QStringLiteral("USER1")))
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    try {
        for (int i = 0;; ++i) {
            QCoreApplication::processEvents();
            if (mode == QLatin1String("write")) {
                const std::optional<qint32> id = ds.getTableKey(QStringLiteral("DIETACTIVITY"));
                if (!id)
                    return 1;
                Recordset& rs = ds.rsDietData;
                rs.addNew();
                rs.setValue("DietId", *id);
                rs.setValue("UserName", "USER1");
                rs.setValue("DietDate", QDate(2003, 5, 14).addDays(i / 12));
                rs.setValue("FoodName", "Apples, raw");
                rs.update();
                std::printf("%d\n", *id);
            } else if (mode == QLatin1String("backup")) {
                DatabaseBackup::writeAutomatic(ds.handle(), context.backupFolder(),
                                               DatabaseBackup::kBeforePurge);
                std::printf("backup\n");
            } else {
                const QString file = files.value(i % qMax(1, int(files.size())));
                if (Backups::restore(context, file) != Backups::Outcome::Restored)
                    return 1;
                std::printf("%s\n", qPrintable(file));
            }
            std::fflush(stdout);
        }
    } catch (const DataError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
