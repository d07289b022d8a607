#include "app/numbers.h"
#include "data/orvdatasource.h"
#include "data/positioning.h"
#include "fixture.h"
#include "food/foodclipboard.h"
#include "food/foodentries.h"
#include "food/letterjump.h"

#include <QTest>
#include <cmath>
#include <limits>

// The food catalogue's rules that need no window: the letter jump, the
// editor's checks, rescaling and storing, and the food clipboard.
class FoodCoreTest : public QObject
{
    Q_OBJECT

private:
    static FoodEntries validEntries()
    {
        FoodEntries entries;
        entries.name = "Soup";
        for (NutrientEntry& n : entries.nutrients)
            n.text = "1";
        entries.servingText = "1 bowl";
        entries.groupIndex = 0;
        return entries;
    }

private slots:
    void letterJumpTargets_data()
    {
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QChar>("key");
        QTest::addColumn<int>("expected"); // -1: stays
        const QStringList abc = {"Apple", "Banana", "Cherry"};
        QTest::newRow("forward to the next") << abc << 0 << QChar('C') << 2;
        QTest::newRow("backwards past the first")
            << QStringList{"Apple", "Banana", "Cherry", "Melon", "Peach"} << 4 << QChar('M') << 3;
        QTest::newRow("from a lower-case initial the first") << QStringList{"Apple", "banana"} << 1 << QChar('A')
                                                             << 0;
        QTest::newRow("from lower case, first below key")
            << QStringList{"Apple", "Cherry", "banana"} << 2 << QChar('B') << 1;
        QTest::newRow("blank caption counts as lowest") << QStringList{"", "Kale"} << 0 << QChar('K') << 1;
        QTest::newRow("selected is last") << abc << 2 << QChar('D') << 2;
    }
    void letterJumpTargets()
    {
        QFETCH(QStringList, captions);
        QFETCH(int, selected);
        QFETCH(QChar, key);
        QFETCH(int, expected);
        const std::optional<int> target = letterJumpTarget(captions, selected, key.unicode());
        QCOMPARE(target.value_or(-1), expected);
    }

    void foodKinds()
    {
        QCOMPARE(foodKind(9003, 9003), FoodKind::OriginalUsda);
        QCOMPARE(foodKind(60001, 9003), FoodKind::UsdaCopy);
        QCOMPARE(foodKind(50001, 0), FoodKind::User);
    }

    void rescaling()
    {
        const Nutrients stored = {10, 1, 20, 50, 1, 0, 2, 10};
        QVERIFY(canRescale(100, true));
        QVERIFY(!canRescale(0, true));
        QVERIFY(!canRescale(100, false));
        const Nutrients ounce = rescaleNutrients(stored, 100, 28.35);
        QCOMPARE(formatNutrient(ounce[0]), QString("2.835"));
        QCOMPARE(formatNutrient(ounce[3]), QString("14.175"));
        const Nutrients cup = rescaleNutrients(stored, 100, 240);
        QCOMPARE(formatNutrient(cup[0]), QString("24.000"));
        QCOMPARE(cup[7], 24.0);
    }

    void untouchedNutrientKeepsItsExactValue()
    {
        NutrientEntry entry{"0.000", "0.000", 0.00012};
        QCOMPARE(entry.value().value(), 0.00012);
        entry.text = "0.5";
        QCOMPARE(entry.value().value(), 0.5);
        entry.text = "";
        QVERIFY(!entry.value());
        // A box never filled by the program reads what it holds.
        QCOMPARE((NutrientEntry{"3", "", 7}.value().value()), 3.0);
    }

    void checks_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("fat");
        QTest::addColumn<QString>("serving");
        QTest::addColumn<int>("servingIndex");
        QTest::addColumn<int>("group");
        QTest::addColumn<QString>("message");
        const int user = int(FoodKind::User), original = int(FoodKind::OriginalUsda), copy = int(FoodKind::UsdaCopy);
        const QString numeric = "All Nutritional Data Values must be numeric.";
        const QString noServing = "You must enter a Serving Size.";
        QTest::newRow("not finite") << user << "nan" << "1 bowl" << -1 << 0 << numeric;
        QTest::newRow("blank serving before group") << user << "1e3" << "  " << -1 << -1 << noServing;
        QTest::newRow("user item passes") << user << " 12 " << "1 bowl" << -1 << 0 << "";
        QTest::newRow("original typed size")
            << original << "1" << "1 bowl" << -1 << 0 << QString(FoodMessages::kOriginalServing);
        QTest::newRow("original listed size") << original << "1" << "1 oz" << 1 << 0 << "";
        QTest::newRow("copy typed size") << copy << "1" << "1 bowl" << -1 << 0 << "";
        QTest::newRow("copy blank size") << copy << "1" << "" << -1 << 0 << noServing;
    }
    void checks()
    {
        QFETCH(int, kind);
        QFETCH(QString, fat);
        QFETCH(QString, serving);
        QFETCH(int, servingIndex);
        QFETCH(int, group);
        QFETCH(QString, message);
        FoodEntries entries = validEntries();
        entries.nutrients[0].text = fat;
        entries.servingText = serving;
        entries.servingIndex = servingIndex;
        entries.groupIndex = group;
        QCOMPARE(entries.problem(FoodKind(kind), true, "Corvane's Foodlark"), message);
    }

    void originalWithoutMeasuresTakesATypedSize()
    {
        FoodEntries entries = validEntries();
        QCOMPARE(entries.problem(FoodKind::OriginalUsda, false, "T"), QString());
    }

    void storingServingSizes()
    {
        TestContext t;
        OrvDataSource& ds = t.ctx().dataSource();
        QVERIFY(ds.cmdFoods() && ds.cmdAvailGroups());
        Recordset& foods = ds.rsFoods;
        auto edit = [&](qint32 foodId, const FoodEntries& entries) {
            QVERIFY(ds.cmdMeasures(9003));
            foods.moveFirst();
            QVERIFY(foods.findFirst(Criteria::equals("FoodId", foodId)));
            foods.edit();
            entries.writeTo(foods, ds.rsMeasures, ds.rsAvailGroups, false);
            foods.update();
        };
        auto stored = [&](qint32 foodId) {
            return t.rows("SELECT ServingSize, USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT, Fat, GroupId FROM FoodItem "
                          "WHERE FoodId = ?",
                          {foodId})
                .value(0);
        };

        // A listed measure of a copy keeps the link and takes the measure's weight.
        FoodEntries entries = validEntries();
        entries.servingText = "1 oz";
        entries.servingIndex = 1; // measures by weight: 0.4, 28.35, 100, 240
        entries.nutrients[0] = {"2.835", "2.835", 2.8350000001};
        edit(Fixture::FavApples, entries);
        QCOMPARE(stored(Fixture::FavApples),
                 (QVariantList{"1 oz", 9003, 1, 28.35, 2.8350000001, int(Fixture::FavoritesRoot)}));

        // A typed size breaks it.
        entries.servingText = " 1 bowl ";
        entries.servingIndex = -1;
        edit(Fixture::FavApples, entries);
        QCOMPARE(stored(Fixture::FavApples), (QVariantList{"1 bowl", 0, 0, 0.0, 2.8350000001, 2}));

        // A USDA item without measure rows keeps its link while its size is unchanged.
        entries.servingText = "1 cup chopped";
        edit(Fixture::Broccoli, entries);
        QCOMPARE(stored(Fixture::Broccoli).mid(0, 4), (QVariantList{"1 cup chopped", 11090, 1, 91.0}));
    }

    void newRowTakesTheChosenGroup()
    {
        TestContext t;
        OrvDataSource& ds = t.ctx().dataSource();
        QVERIFY(ds.cmdFoods() && ds.cmdAvailGroups() && ds.cmdMeasures(0));
        // Groups other than roots by name: Dairy, Favorites, Fruits, My Foods, Vegetables.
        FoodEntries entries = validEntries();
        entries.groupIndex = 4;
        ds.rsFoods.addNew();
        ds.rsFoods.setValue("FoodId", 70000);
        ds.rsFoods.setValue("USDA_NDB_NO", 0);
        entries.writeTo(ds.rsFoods, ds.rsMeasures, ds.rsAvailGroups, true);
        ds.rsFoods.update();
        QCOMPARE(t.rows("SELECT FoodName, GroupId, ServingSize, Fat FROM FoodItem WHERE FoodId = 70000").value(0),
                 (QVariantList{"Soup", int(Fixture::VegetableGroup), "1 bowl", 1.0}));
    }

    void clipboardCopiesARow_data()
    {
        QTest::addColumn<double>("grams");
        QTest::addColumn<int>("rounded");
        QTest::newRow("28.35") << 28.35 << 28;
        QTest::newRow("42.5") << 42.5 << 42;
        QTest::newRow("43.5") << 43.5 << 44;
    }
    void clipboardCopiesARow()
    {
        QFETCH(double, grams);
        QFETCH(int, rounded);
        TestContext t;
        t.exec("UPDATE FoodItem SET USDA_GM_WT = ? WHERE FoodId = ?", {grams, int(Fixture::Bananas)});
        OrvDataSource& ds = t.ctx().dataSource();
        QVERIFY(ds.cmdFoods());
        QVERIFY(ds.rsFoods.findFirst(Criteria::equals("FoodId", int(Fixture::Bananas))));
        const FoodClipboard item = FoodClipboard::fromRecord(ds.rsFoods);
        QCOMPARE(item.gramWeight, rounded);
        QCOMPARE(item.name, QString("Bananas, raw"));
        QCOMPARE(item.groupId, int(Fixture::FruitGroup));
        ds.rsFoods.addNew();
        item.writeCopy(ds.rsFoods, Fixture::MyFoodsGroup, 70001);
        ds.rsFoods.update();
        const QString columns = "FoodName, ServingSize, USDA_NDB_NO, USDA_MSRE_NO, Fat, Protein, Carbohydrate, "
                                "Calorie, Sodium, Cholesterol, Other1, Other2";
        QCOMPARE(t.rows("SELECT " + columns + " FROM FoodItem WHERE FoodId = 70001"),
                 t.rows("SELECT " + columns + " FROM FoodItem WHERE FoodId = ?", {int(Fixture::Bananas)}));
        QCOMPARE(t.rows("SELECT GroupId, USDA_GM_WT FROM FoodItem WHERE FoodId = 70001").value(0),
                 (QVariantList{int(Fixture::MyFoodsGroup), double(rounded)}));
    }
};

QTEST_GUILESS_MAIN(FoodCoreTest)
#include "tst_foodcore.moc"
