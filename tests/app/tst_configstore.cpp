#include "app/appcontext.h"
#include "app/configstore.h"
#include "data/orvdatasource.h"
#include "fixture.h"

#include <QTest>

// The configuration items: reading, writing (with the 79-character cut and the
// failure box), appending, the reverse look-up, the current user and the meal
// choices, on a fixture database holding the configuration of a new database.
class ConfigStoreTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestContext> t;
    ConfigStore& config() { return t->ctx().config(); }

    // After rows were changed underneath the program.
    void reopen() { QVERIFY(t->ctx().dataSource().cmdConfig()); }

    QList<QVariantList> allRows() { return t->rows("SELECT rowid, * FROM CONFIG ORDER BY rowid"); }

    QString storedValue(const QString& item)
    {
        return t->scalar("SELECT ConfigValue FROM CONFIG WHERE ConfigItem = ?", {item}).toString();
    }

    void setMeals(const QStringList& labels)
    {
        for (int i = 0; i < 10; ++i)
            t->exec("UPDATE CONFIG SET ConfigValue = ? WHERE ConfigItem = ?",
                    {i < labels.size() ? labels[i] : QString(""), QStringLiteral("MEAL%1").arg(i)});
        reopen();
    }

private slots:
    void init() { t = std::make_unique<TestContext>(); }
    void cleanup() { t.reset(); }

    void getConfigReadsByKey_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("expected");
        QTest::newRow("version") << "VERSION"
                                 << "3.0.0";
        QTest::newRow("user") << "USER2"
                              << "User 2";
        QTest::newRow("key in another case") << "showtips"
                                             << "Y";
        QTest::newRow("blank meal") << "MEAL9"
                                    << "";
        QTest::newRow("missing item") << "NOSUCHITEM"
                                      << "";
        QTest::newRow("key with blanks") << " USER2"
                                         << "";
        QTest::newRow("apostrophe") << "O'BRIEN"
                                    << "";
    }
    void getConfigReadsByKey()
    {
        QFETCH(QString, item);
        QFETCH(QString, expected);
        QCOMPARE(config().getConfig(item), expected);
        QCOMPARE(t->prompts.count(), 0);
    }

    void missingTipsSwitchReadsBlank()
    {
        t->exec("DELETE FROM CONFIG WHERE ConfigItem = 'SHOWTIPS'");
        reopen();
        QCOMPARE(config().getConfig("SHOWTIPS"), QString());
    }

    void setConfigKeepsTheFirst79Characters_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        const QString hundred = QStringLiteral("A").repeated(50) + QStringLiteral("B").repeated(50);
        QTest::newRow("short") << "Anna"
                               << "Anna";
        QTest::newRow("78") << hundred.left(78) << hundred.left(78);
        QTest::newRow("79") << hundred.left(79) << hundred.left(79);
        QTest::newRow("80") << hundred.left(80) << hundred.left(79);
        QTest::newRow("100") << hundred << hundred.left(79);
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("apostrophe") << "O'Brien"
                                    << "O'Brien";
        // A character of two UTF-16 units straddling the cut is left out whole.
        const QString bird = QString::fromUtf8("\xF0\x9F\x90\xA6");
        QTest::newRow("pair across the cut") << hundred.left(78) + bird + "x" << hundred.left(78);
        QTest::newRow("pair before the cut") << hundred.left(77) + bird + "x" << hundred.left(77) + bird;
    }
    void setConfigKeepsTheFirst79Characters()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        config().setConfig("USER3", value, true);
        QCOMPARE(storedValue("USER3"), expected);
        QCOMPARE(config().getConfig("USER3"), expected);
        QCOMPARE(t->scalar("SELECT SelectedConfig FROM CONFIG WHERE ConfigItem = 'USER3'").toInt(), 1);
        QCOMPARE(t->prompts.count(), 0);
    }

    void setConfigWritesTheFlag()
    {
        config().setConfig("USER1", "First", false);
        QCOMPARE(t->scalar("SELECT SelectedConfig FROM CONFIG WHERE ConfigItem = 'USER1'").toInt(), 0);
        config().setConfig("user1", "First", true);
        QCOMPARE(t->scalar("SELECT SelectedConfig FROM CONFIG WHERE ConfigItem = 'USER1'").toInt(), 1);
        // Only the row of the item changed.
        QCOMPARE(t->scalar("SELECT count(*) FROM CONFIG WHERE SelectedConfig <> 0").toInt(), 1);
    }

    void setConfigOfAMissingItemWritesNothing()
    {
        t->exec("DELETE FROM CONFIG WHERE ConfigItem = 'VERSION'");
        reopen();
        const QList<QVariantList> before = allRows();
        config().setConfig("VERSION", "3.0.0", false);
        QCOMPARE(allRows(), before);
        QCOMPARE(t->prompts.count(), 0);
        QCOMPARE(config().getConfig("VERSION"), QString());
    }

    void failedSetConfigIsReportedAndTheProgramGoesOn()
    {
        t->exec("CREATE TRIGGER refuse BEFORE UPDATE ON CONFIG BEGIN SELECT RAISE(ABORT, 'refused'); END");
        const QList<QVariantList> before = allRows();
        config().setConfig("USER2", "Bob", false);
        QCOMPARE(t->prompts.count(), 1);
        const Prompt box = t->prompts.last();
        QCOMPARE(box.icon, PromptIcon::Critical);
        QCOMPARE(box.buttons, PromptButtons::Ok);
        QCOMPARE(box.title, QStringLiteral("Application Error"));
        QCOMPARE(box.text,
                 QStringLiteral("Unable to update the Configuration Data.  ") + t->ctx().supportMessage);
        QCOMPARE(t->shutDowns, 0);
        QCOMPARE(allRows(), before);
        // The recordset is not left in the middle of an edit.
        QCOMPARE(t->ctx().dataSource().rsConfig.editMode(), Recordset::EditMode::None);
        QCOMPARE(config().getConfig("USER2"), QStringLiteral("User 2"));
        t->exec("DROP TRIGGER refuse");
        config().setConfig("USER2", "Bob", false);
        QCOMPARE(storedValue("USER2"), QStringLiteral("Bob"));
    }

    void addConfigAppendsWithoutChecks()
    {
        const int rows = t->scalar("SELECT count(*) FROM CONFIG").toInt();
        const QString hundred = QStringLiteral("x").repeated(100);
        config().addConfig("SHOWTIPS", hundred, true);
        QCOMPARE(t->scalar("SELECT count(*) FROM CONFIG").toInt(), rows + 1);
        const QList<QVariantList> last =
            t->rows("SELECT ConfigItem, ConfigValue, SelectedConfig FROM CONFIG ORDER BY rowid DESC LIMIT 1");
        QCOMPARE(last.first(), (QVariantList{"SHOWTIPS", hundred, 1}));
        // The look-up still finds the first row of the key.
        QCOMPARE(config().getConfig("SHOWTIPS"), QStringLiteral("Y"));
        QCOMPARE(t->ctx().dataSource().rsConfig.recordCount(), rows + 1);
    }

    void findConfigItemLooksUpTheTrimmedValue_data()
    {
        QTest::addColumn<QString>("label"); // stored as MEAL1
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("expected");
        QTest::newRow("same") << "Lunch"
                              << "Lunch"
                              << "MEAL1";
        QTest::newRow("search trimmed") << "Lunch"
                                        << "  Lunch  "
                                        << "MEAL1";
        QTest::newRow("other case") << "Lunch"
                                    << "LUNCH"
                                    << "MEAL1";
        QTest::newRow("stored with leading blanks") << "  Brunch"
                                                    << "  Brunch"
                                                    << "";
        QTest::newRow("stored with trailing blank") << "Brunch "
                                                    << "Brunch "
                                                    << "";
        QTest::newRow("only blanks are trimmed") << "Tea\t"
                                                 << "Tea\t"
                                                 << "MEAL1";
        QTest::newRow("apostrophe") << "Mum's tea"
                                    << "Mum's tea"
                                    << "MEAL1";
        QTest::newRow("no such label") << "Lunch"
                                       << "Supper"
                                       << "";
        // Only meals are looked up: a meal named like a user still logs to the meal.
        QTest::newRow("same as a user name") << "User 2"
                                             << "User 2"
                                             << "MEAL1";
        QTest::newRow("same as an optional label") << "Fiber"
                                                   << "fiber"
                                                   << "MEAL1";
        // Of two meals with one label, the first in table order wins.
        QTest::newRow("same as an earlier meal") << "Breakfast"
                                                 << "Breakfast"
                                                 << "MEAL0";
        QTest::newRow("blank search finds a blank meal") << "Lunch"
                                                         << "   "
                                                         << "MEAL4";
    }
    void findConfigItemLooksUpTheTrimmedValue()
    {
        QFETCH(QString, label);
        QFETCH(QString, search);
        QFETCH(QString, expected);
        t->exec("UPDATE CONFIG SET ConfigValue = ? WHERE ConfigItem = 'MEAL1'", {label});
        QCOMPARE(config().findConfigItem(search), expected);
    }

    void getConfigIfNamedSkipsBlankKeys_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("blanks") << "   "
                                << "";
        QTest::newRow("meal key") << "MEAL1"
                                  << "Lunch";
        QTest::newRow("missing") << "MEAL99"
                                 << "";
    }
    void getConfigIfNamedSkipsBlankKeys()
    {
        QFETCH(QString, item);
        QFETCH(QString, expected);
        // Stray rows with blank keys must not be read for a diet row without a meal.
        t->exec("INSERT INTO CONFIG VALUES ('', 'stray', 0)");
        t->exec("INSERT INTO CONFIG VALUES ('   ', 'stray', 0)");
        reopen();
        QCOMPARE(config().getConfigIfNamed(item), expected);
    }

    void findCurrentUserTakesTheLastMarkedRow_data()
    {
        QTest::addColumn<QStringList>("marked");   // USER rows marked as selected
        QTest::addColumn<QStringList>("appended"); // further rows appended, each marked
        QTest::addColumn<QString>("expected");
        QTest::newRow("first") << QStringList{"USER1"} << QStringList() << "USER1";
        QTest::newRow("third") << QStringList{"USER3"} << QStringList() << "USER3";
        QTest::newRow("none marked") << QStringList() << QStringList() << "USER1";
        QTest::newRow("two marked") << QStringList{"USER2", "USER4"} << QStringList() << "USER4";
        QTest::newRow("later in table order wins") << QStringList{"USER3"} << QStringList{"USER2"} << "USER2";
        QTest::newRow("other items do not count")
            << QStringList{"USER2"} << QStringList{"OTHER9", "MEALX"} << "USER2";
        QTest::newRow("key case counts") << QStringList() << QStringList{"user3"} << "USER1";
    }
    void findCurrentUserTakesTheLastMarkedRow()
    {
        QFETCH(QStringList, marked);
        QFETCH(QStringList, appended);
        QFETCH(QString, expected);
        t->exec("UPDATE CONFIG SET SelectedConfig = 0");
        for (const QString& item : marked)
            t->exec("UPDATE CONFIG SET SelectedConfig = 1 WHERE ConfigItem = ?", {item});
        for (const QString& item : appended)
            t->exec("INSERT INTO CONFIG VALUES (?, 'someone', 1)", {item});
        reopen();
        QCOMPARE(config().findCurrentUser(), expected);
    }

    void mealChoicesListTheLabelsInUse_data()
    {
        QTest::addColumn<QStringList>("labels"); // MEAL0, MEAL1, ...; the rest blank
        QTest::addColumn<QString>("selectedLabel");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("selected");
        const QString first = QStringLiteral("Select a Meal");
        const QStringList usual = {"Breakfast", "Lunch", "Dinner", "Snack"};
        QTest::newRow("nothing chosen")
            << usual << "" << QStringList{first, "Breakfast", "Lunch", "Dinner", "Snack"} << 0;
        QTest::newRow("dinner") << usual << "Dinner"
                                << QStringList{first, "Breakfast", "Lunch", "Dinner", "Snack"} << 3;
        QTest::newRow("exact comparison")
            << usual << "dinner" << QStringList{first, "Breakfast", "Lunch", "Dinner", "Snack"} << 0;
        QTest::newRow("unknown label")
            << usual << "Supper" << QStringList{first, "Breakfast", "Lunch", "Dinner", "Snack"} << 0;
        QTest::newRow("all blank") << QStringList() << "" << QStringList{first} << 0;
        QTest::newRow("first meal blank")
            << QStringList{"", "Lunch"} << "Lunch" << QStringList{first, "Lunch"} << 1;
        QTest::newRow("blank labels skipped")
            << QStringList{"  ", "Brunch", "", "", "", "", "", "", "", "Late snack"} << "Late snack"
            << QStringList{first, "Brunch", "Late snack"} << 2;
        QTest::newRow("labels kept as stored")
            << QStringList{" Tea"} << " Tea" << QStringList{first, " Tea"} << 1;
        QTest::newRow("the last equal label") << QStringList{"Snack", "Lunch", "Snack", "Dinner"} << "Snack"
                                              << QStringList{first, "Snack", "Lunch", "Snack", "Dinner"} << 3;
        QTest::newRow("all ten") << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"} << "10"
                                 << QStringList{first, "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}
                                 << 10;
    }
    void mealChoicesListTheLabelsInUse()
    {
        QFETCH(QStringList, labels);
        QFETCH(QString, selectedLabel);
        QFETCH(QStringList, entries);
        QFETCH(int, selected);
        setMeals(labels);
        const ConfigStore::MealChoices choices = config().mealChoices(selectedLabel);
        QCOMPARE(choices.entries, entries);
        QCOMPARE(choices.selected, selected);
    }

    void mealChoicesWithoutMealItems()
    {
        t->exec("DELETE FROM CONFIG WHERE ConfigItem LIKE 'MEAL%'");
        reopen();
        QCOMPARE(config().mealChoices("Lunch").entries, QStringList{"Select a Meal"});
    }
};

QTEST_GUILESS_MAIN(ConfigStoreTest)
#include "tst_configstore.moc"
