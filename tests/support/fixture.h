#pragma once

#include "app/appcontext.h"
#include "scriptedprompts.h"

#include <QDate>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QVariantList>
#include <ctime>
#include <memory>

// The small catalogue every fixture database holds.
namespace Fixture {
enum GroupIds {
    UsdaRoot = 1,
    FavoritesRoot = 2,
    MyFoodsRoot = 3,
    DairyGroup = 10,
    FruitGroup = 11,
    VegetableGroup = 12,
    MyFoodsGroup = 20,
};
enum FoodIds {
    Butter = 1001,     // original USDA item, serving "1 tbsp" of 14.2 g
    Milk = 1077,       // original USDA item, serving "1 cup" of 244 g
    Apples = 9003,     // original USDA item, serving "100 g" of 100 g: Fat 10, Protein 1, ...
    Bananas = 9040,    // original USDA item, serving "1 medium" of 118 g
    Broccoli = 11090,  // original USDA item without a measure row of its own
    ApplePie = 50001,  // user item, serving "1 slice", gram weight 0
    FavApples = 60001, // copy of Apples in the favourites group
};
// Apples' measures in gram order: "1 small bite" 0.4 g (MSRE_NO 4), "1 oz" 28.35 g
// (1), "100 g" 100 g (3), "1 cup" 240 g (2).
constexpr int kLastGroupId = 20;
constexpr int kLastFoodId = 60001;

// What a database file holds.
enum class Content {
    Catalogue,   // a current database: every table, the configuration and the catalogue
    NoSnapShot,  // an older database: no SnapShot table, no SNAPSHOT key, no VERSION item
};

// Writes a fixture database to path (replacing what is there).
void writeDatabase(const QString& path, Content content = Content::Catalogue);
} // namespace Fixture

// The process keeps the local time of another zone (an IANA name) while the
// scope lives, and its own zone again afterwards.
struct TimeZoneScope
{
    explicit TimeZoneScope(const char* zone) : old(qgetenv("TZ")) { qputenv("TZ", zone); tzset(); }
    ~TimeZoneScope() { old.isNull() ? qunsetenv("TZ") : qputenv("TZ", old); tzset(); }
    const QByteArray old;
};

// A program folder in a temporary directory, holding Data/MeboData.mdb.
class FixtureFolder
{
public:
    explicit FixtureFolder(Fixture::Content content = Fixture::Content::Catalogue, bool withDatabase = true);
    QString path() const { return m_dir.path(); }
    QString dbPath() const { return m_dir.path() + QStringLiteral("/Data/MeboData.mdb"); }
    QString upgradePath() const { return m_dir.path() + QStringLiteral("/Data/MeboUpgd.mdb"); }
    DataFolder data() const { return DataFolder(m_dir.path() + QStringLiteral("/Data")); }

private:
    QTemporaryDir m_dir;
};

// A run of the program over a program folder (its Data folder), not yet connected: its boxes,
// its context, and how often it was shut down.
struct ProgramRun
{
    explicit ProgramRun(const QString& folder);
    ScriptedPrompts prompts;
    AppContext context;
    int shutDowns = 0;
};

// Every row of a statement, read beside the code under test.
QList<QVariantList> queryRows(const QSqlDatabase& db, const QString& sql, const QVariantList& params = {});

// Every row of a statement on a database file the program has closed.
QList<QVariantList> fileRows(const QString& path, const QString& sql, const QVariantList& params = {});

// A file's bytes ("<unreadable>" when it cannot be read).
QByteArray fileBytes(const QString& path);

// A program context over a fixture folder, connected, with the configuration and
// key recordsets open, as after the first steps of the start-up.
class TestContext
{
public:
    explicit TestContext(Fixture::Content content = Fixture::Content::Catalogue);

    FixtureFolder folder;
    ScriptedPrompts prompts;
    std::unique_ptr<AppContext> context;
    int shutDowns = 0;

    AppContext& ctx() { return *context; }
    QSqlDatabase db();

    // Direct reads and writes on the program's own connection, for setting up
    // and checking rows without going through the code under test.
    QList<QVariantList> rows(const QString& sql, const QVariantList& params = {});
    QVariant scalar(const QString& sql, const QVariantList& params = {});
    void exec(const QString& sql, const QVariantList& params = {});

    // Appends a diet row with the given values; nutrients are value for Fat,
    // 2 x value for Protein and so on (see the .cpp). Returns its DietId.
    qint32 addDietRow(const QString& user, const QDate& date, const QString& meal, const QString& food,
                      double fat = 1.0, qint32 dietId = 0);
};
