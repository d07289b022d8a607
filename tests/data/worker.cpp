// A running copy of the program for the tests of a second copy and of kills.
// It starts over the program folder given as its first argument as the
// program starts and prints "ready"; then, until it is killed, it does what
// its second argument names, printing a line after each step:
//   backup           appends a diet entry of USER1 through the diet recordset
//                    ("entry NAME", NAME its food name, once stored), then
//                    makes an automatic backup ("backup PATH")
//   userbackup FILE  the same, the backup made to FILE as File > Back Up does
//   restore A B ...  appends an entry, then restores the files named in turn:
//                    "kept PATH" (the before-restore backup the last box
//                    named) and "restored FILE", or "refused FILE"
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
#include <QRegularExpression>
#include <cstdio>
#include <unistd.h>

namespace {

class YesPrompts : public PromptService
{
public:
    PromptAnswer ask(const Prompt& prompt) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(prompt.title), qPrintable(prompt.text));
        last = prompt.text;
        return prompt.buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
    }
    QString last;
};

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

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
    say(QStringLiteral("ready"));
    // An entry that is stored, under a name of this run's own.
    auto addEntry = [&](int i) {
        const std::optional<qint32> id = ds.getTableKey(QStringLiteral("DIETACTIVITY"));
        if (!id || !ds.cmdDietData(QStringLiteral("USER1")))
            return false;
        const QString name = QStringLiteral("Apples %1-%2").arg(::getpid()).arg(i);
        Recordset& rs = ds.rsDietData;
        rs.addNew();
        rs.setValue("DietId", *id);
        rs.setValue("UserName", "USER1");
        rs.setValue("DietDate", QDate(2003, 5, 14).addDays(i / 12));
        rs.setValue("FoodName", name);
        rs.update();
        say(QStringLiteral("entry ") + name);
        return true;
    };
    try {
        for (int i = 0;; ++i) {
            QCoreApplication::processEvents();
            if (!addEntry(i))
                return 1;
            if (mode == QLatin1String("backup")) {
                say(QStringLiteral("backup ") + DatabaseBackup::writeAutomatic(ds.handle(),
                                                                               context.backupFolder(),
                                                                               DatabaseBackup::kBeforePurge));
            } else if (mode == QLatin1String("userbackup")) {
                if (!Backups::backUpTo(context, files.value(0)))
                    return 1;
                say(QStringLiteral("backup ") + files.value(0));
            } else if (mode == QLatin1String("restore")) {
                const QString file = files.value(i % qMax(1, int(files.size())));
                switch (Backups::restore(context, file)) {
                case Backups::Outcome::Restored: {
                    const QRegularExpressionMatch kept =
                        QRegularExpression(QStringLiteral("is kept as '([^']+)'")).match(prompts.last);
                    say(QStringLiteral("kept ") + kept.captured(1));
                    say(QStringLiteral("restored ") + file);
                    break;
                }
                case Backups::Outcome::Unchanged:
                    say(QStringLiteral("refused ") + file);
                    break;
                case Backups::Outcome::Ended:
                    return 1;
                }
            }
        }
    } catch (const DataError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
