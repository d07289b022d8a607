// A second running copy of the program for the tests: connects to the database
// file given as its argument, prints "ready", then appends diet entries through
// rsDietData until it is stopped, printing each DietId once its Update has
// returned. A failed connect prints the box to stderr and ends with status 1.
#include "app/appcontext.h"
#include "data/orvdatasource.h"

#include <QCoreApplication>
#include <QDate>
#include <cstdio>

namespace {

class StderrPrompts : public PromptService
{
public:
    PromptAnswer ask(const Prompt& prompt) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(prompt.title), qPrintable(prompt.text));
        return PromptAnswer::Ok;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    StderrPrompts prompts;
    AppContext context(QCoreApplication::applicationDirPath(), prompts);
    context.dbPath = app.arguments().value(1);
    OrvDataSource& dataSource = context.dataSource();
    if (!dataSource.connectDB() || !dataSource.cmdTableKey() || !dataSource.cmdDietData("USER1"))
        return 1;
    // Written as the program writes once started: through the write-ahead log.
    if (!dataSource.useWriteAheadLog())
        return 1;
    Recordset& rs = dataSource.rsDietData;
    std::printf("ready\n");
    std::fflush(stdout);
    for (int i = 0;; ++i) {
        const std::optional<qint32> id = dataSource.getTableKey("DIETACTIVITY");
        if (!id)
            return 1;
        rs.addNew();
        rs.setValue("DietId", *id);
        rs.setValue("UserName", "USER1");
        rs.setValue("DietDate", QDate(2003, 5, 14).addDays(i / 12));
        rs.setValue("FoodName", "Apples, raw");
        rs.update();
        std::printf("%d\n", *id);
        std::fflush(stdout);
    }
}
