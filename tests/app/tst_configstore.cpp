#include "app/configstore.h"
#include "data/orvdatasource.h"
#include "fixture.h"

#include <QTest>

// The configuration items on the configuration of a new database: reading,
// writing (the 79-character cut, the failure box), the reverse look-up of
// meal labels, the current user and the meal choices.
class ConfigStoreTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestContext> t;
    ConfigStore& config() { return t->ctx().config(); }
    // After rows were changed underneath the program.
    void reopen() { QVERIFY(t->ctx().dataSource().cmdConfig()); }
    QList<QVariantList> rows(const QString& where = "1")
    {
        return t->rows("SELECT ConfigItem, ConfigValue, SelectedConfig FROM CONFIG WHERE " + where +
                       " ORDER BY rowid");
    }

private slots:
    void init() { t = std::make_unique<TestContext>(); }
    void cleanup() { t.reset(); }

    void itemsAreReadByKey()
    {
        QCOMPARE(config().getConfig("VERSION"), QString("3.0.0"));
        QCOMPARE(config().getConfig("showtips"), QString("Y"));
        QCOMPARE(config().getConfig(" USER2"), QString());
        QCOMPARE(config().getConfigIfNamed("MEAL1"), QString("Lunch"));
        // Stray rows with blank keys are never read for a diet row without a meal; an item
        // that is gone reads empty, and setting it writes nothing.
        t->exec("INSERT INTO CONFIG VALUES ('', 'stray', 0), ('   ', 'stray', 0)");
        t->exec("DELETE FROM CONFIG WHERE ConfigItem = 'SHOWTIPS'");
        reopen();
        QCOMPARE(config().getConfigIfNamed("") + config().getConfigIfNamed("   "), QString());
        QCOMPARE(config().getConfig("SHOWTIPS"), QString());
        const QList<QVariantList> before = rows();
        config().setConfig("SHOWTIPS", "Y", false);
        QCOMPARE(rows(), before);
        QCOMPARE(t->prompts.count(), 0);
    }

    void setConfigKeepsTheFirst79Characters_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        const QString hundred = QString("A").repeated(50) + QString("B").repeated(50);
        const QString bird = QString::fromUtf8("\xF0\x9F\x90\xA6"); // two UTF-16 units
        // clang-format off
        QTest::newRow("80") << hundred.left(80) << hundred.left(79);
        QTest::newRow("pair across the cut is left out whole") << hundred.left(78) + bird + "x" << hundred.left(78);
        QTest::newRow("pair before the cut") << hundred.left(77) + bird + "x" << hundred.left(77) + bird;
        // clang-format on
    }
    void setConfigKeepsTheFirst79Characters()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        config().setConfig("user3", value, true);
        QCOMPARE(rows("ConfigItem = 'USER3'"), QList<QVariantList>{(QVariantList{"USER3", expected, 1})});
        QCOMPARE(config().getConfig("USER3"), expected);
        config().setConfig("USER3", value, false);
        QCOMPARE(rows("SelectedConfig <> 0"), QList<QVariantList>{(QVariantList{"USER1", "User 1", 1})});
        QCOMPARE(t->prompts.count(), 0);
    }

    void failedSetConfigIsReportedAndTheProgramGoesOn()
    {
        t->exec("CREATE TRIGGER refuse BEFORE UPDATE ON CONFIG BEGIN SELECT RAISE(ABORT, 'refused'); END");
        const QList<QVariantList> before = rows();
        config().setConfig("USER2", "Bob", false);
        QCOMPARE(t->prompts.shown(),
                 QList<Prompt>{applicationError("Unable to update the Configuration Data.  ")});
        QCOMPARE(t->shutDowns, 0);
        QCOMPARE(rows(), before);
        // The recordset is not left in the middle of an edit.
        QCOMPARE(t->ctx().dataSource().rsConfig.editMode(), Recordset::EditMode::None);
    }

    void findConfigItemLooksUpTrimmedMealLabels_data()
    {
        QTest::addColumn<QString>("label"); // stored as MEAL1
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("search trimmed, other case") << "Lunch" << "  LUNCH  " << "MEAL1";
        QTest::newRow("stored with leading blanks") << "  Brunch" << "  Brunch" << "";
        QTest::newRow("only blanks are trimmed") << "Tea\t" << "Tea\t" << "MEAL1";
        QTest::newRow("no such label") << "Lunch" << "Supper" << "";
        // Only meals are looked up: a meal named like a user still logs to the meal.
        QTest::newRow("same as a user name") << "User 2" << "User 2" << "MEAL1";
        // Of two meals with one label, the first in table order wins.
        QTest::newRow("same as an earlier meal") << "Breakfast" << "Breakfast" << "MEAL0";
        QTest::newRow("blank search finds a blank meal") << "Lunch" << "   " << "MEAL4";
        // clang-format on
    }
    void findConfigItemLooksUpTrimmedMealLabels()
    {
        QFETCH(QString, label);
        QFETCH(QString, search);
        QFETCH(QString, expected);
        t->exec("UPDATE CONFIG SET ConfigValue = ? WHERE ConfigItem = 'MEAL1'", {label});
        QCOMPARE(config().findConfigItem(search), expected);
    }

    void findCurrentUserTakesTheLastMarkedRow_data()
    {
        QTest::addColumn<QStringList>("marked"); // rows marked as selected; unknown items are appended
        QTest::addColumn<QString>("expected");
        QTest::newRow("none marked") << QStringList() << "USER1";
        QTest::newRow("later in table order wins") << QStringList{"USER3", "USER0"} << "USER0";
        QTest::newRow("other items do not count") << QStringList{"USER2", "OTHER9", "MEALX"} << "USER2";
        QTest::newRow("key case counts") << QStringList{"user9"} << "USER1";
    }
    void findCurrentUserTakesTheLastMarkedRow()
    {
        QFETCH(QStringList, marked);
        QFETCH(QString, expected);
        t->exec("UPDATE CONFIG SET SelectedConfig = 0");
        for (const QString& item : marked) {
            t->exec("UPDATE CONFIG SET SelectedConfig = 1 WHERE ConfigItem = ?", {item});
            t->exec("INSERT INTO CONFIG SELECT ?, 'someone', 1 WHERE changes() = 0", {item});
        }
        reopen();
        QCOMPARE(config().findCurrentUser(), expected);
    }

    void mealChoicesListTheLabelsInUse_data()
    {
        QTest::addColumn<QStringList>("labels"); // MEAL0, MEAL1, ...; the rest blank; none: no MEAL items
        QTest::addColumn<QString>("selectedLabel");
        QTest::addColumn<QStringList>("entries"); // after "Select a Meal"
        QTest::addColumn<int>("selected");
        const QStringList usual = {"Breakfast", "Lunch", "Dinner", "Snack"};
        const QStringList ten = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
        const QStringList spaced = {"  ", "Brunch", "", "", "", "", "", "", "", "Late snack"};
        // clang-format off
        QTest::newRow("dinner") << usual << "Dinner" << usual << 3;
        QTest::newRow("exact comparison") << usual << "dinner" << usual << 0;
        QTest::newRow("blank labels skipped") << spaced << "Late snack" << QStringList{"Brunch", "Late snack"} << 2;
        QTest::newRow("labels kept as stored") << QStringList{" Tea"} << " Tea" << QStringList{" Tea"} << 1;
        QTest::newRow("the last equal label") << QStringList{"Snack", "Lunch", "Snack"} << "Snack" << QStringList{"Snack", "Lunch", "Snack"} << 3;
        QTest::newRow("all ten") << ten << "10" << ten << 10;
        QTest::newRow("no meal items") << QStringList() << "Lunch" << QStringList() << 0;
        // clang-format on
    }
    void mealChoicesListTheLabelsInUse()
    {
        QFETCH(QStringList, labels);
        QFETCH(QString, selectedLabel);
        QFETCH(QStringList, entries);
        QFETCH(int, selected);
        t->exec("DELETE FROM CONFIG WHERE ConfigItem LIKE 'MEAL%'");
        for (int i = 0; i < 10 && !labels.isEmpty(); ++i)
            t->exec("INSERT INTO CONFIG VALUES (?, ?, 0)", {QString("MEAL%1").arg(i), labels.value(i, "")});
        reopen();
        const ConfigStore::MealChoices choices = config().mealChoices(selectedLabel);
        QCOMPARE(choices.entries, QStringList{"Select a Meal"} + entries);
        QCOMPARE(choices.selected, selected);
    }
};

QTEST_GUILESS_MAIN(ConfigStoreTest)
#include "tst_configstore.moc"
