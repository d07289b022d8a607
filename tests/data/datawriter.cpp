// A second running copy of the program for the tests: it connects to a
// database file through the data source and then holds it or writes to it.
//
//   foodlark-datawriter hold DBFILE
//       connects, prints "ready", and closes the database on a line "close" or
//       at the end of its input, then prints "closed".
//   foodlark-datawriter write DBFILE [COUNT]
//       connects, prints "ready", then appends COUNT diet entries (by default
//       until it is stopped) through rsDietData, printing each DietId as soon as
//       its Update has returned.
//
// A failed connect prints the message box to stderr and ends with status 1.
#include "app/appcontext.h"
#include "data/orvdatasource.h"

#include <QCoreApplication>
#include <QDate>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

class StderrPrompts : public PromptService
{
public:
    PromptAnswer ask(const Prompt& prompt) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(prompt.title), qPrintable(prompt.text));
        return prompt.buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::No;
    }
};

void say(const char* line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

int hold(OrvDataSource& dataSource)
{
    say("ready");
    std::string line;
    while (std::getline(std::cin, line) && line != "close") {
    }
    dataSource.closeDB();
    say("closed");
    return 0;
}

int write(OrvDataSource& dataSource, qint64 count)
{
    if (!dataSource.cmdTableKey() || !dataSource.cmdDietData(QStringLiteral("USER1")))
        return 1;
    Recordset& rs = dataSource.rsDietData;
    const QDate first(2003, 5, 14);
    say("ready");
    try {
        for (qint64 i = 0; count < 0 || i < count; ++i) {
            const std::optional<qint32> id = dataSource.getTableKey(QStringLiteral("DIETACTIVITY"));
            if (!id)
                return 1;
            const double servings = 1.0 + double(i % 4) / 4.0;
            rs.addNew();
            rs.setValue(QStringLiteral("DietId"), *id);
            rs.setValue(QStringLiteral("UserName"), QStringLiteral("USER1"));
            rs.setValue(QStringLiteral("DietDate"), first.addDays(i / 12));
            rs.setValue(QStringLiteral("MealName"), QStringLiteral("MEAL%1").arg(i % 4));
            rs.setValue(QStringLiteral("GroupName"), QStringLiteral("Fruits and Fruit Juices"));
            rs.setValue(QStringLiteral("FoodName"), QStringLiteral("Apples, raw"));
            rs.setValue(QStringLiteral("NumServings"), servings);
            rs.setValue(QStringLiteral("ServingSize"), QStringLiteral("100 g"));
            rs.setValue(QStringLiteral("USDA_NDB_NO"), 9003);
            rs.setValue(QStringLiteral("USDA_MSRE_NO"), 3);
            rs.setValue(QStringLiteral("USDA_GM_WT"), 100);
            rs.setValue(QStringLiteral("Fat"), 0.17 * servings);
            rs.setValue(QStringLiteral("Calorie"), 52 * servings);
            rs.update();
            std::printf("%d\n", *id);
            std::fflush(stdout);
        }
    } catch (const DataError& error) {
        std::fprintf(stderr, "write failed: %s\n", error.what());
        return 1;
    }
    dataSource.closeDB();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    if (args.size() < 3 || (mode != QLatin1String("hold") && mode != QLatin1String("write"))) {
        std::fprintf(stderr, "usage: foodlark-datawriter hold|write DBFILE [COUNT]\n");
        return 2;
    }
    StderrPrompts prompts;
    AppContext context(QCoreApplication::applicationDirPath(), prompts);
    context.dbPath = args[2];
    OrvDataSource& dataSource = context.dataSource();
    if (!dataSource.connectDB())
        return 1;
    if (mode == QLatin1String("hold"))
        return hold(dataSource);
    // Written as the program writes once started: through the write-ahead log.
    if (!dataSource.useWriteAheadLog())
        return 1;
    return write(dataSource, args.size() > 3 ? args[3].toLongLong() : -1);
}
