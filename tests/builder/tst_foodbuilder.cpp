#include "builder/foodbuilder.h"
#include "data/orvdatasource.h"
#include "fixture.h"

#include <QTest>
#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(BuilderServing)
Q_DECLARE_METATYPE(FoodBuilder::Outcome)

namespace {

// One serving of a food whose nutrients are fat, 2 x fat, ... 8 x fat.
FoodBuilderItem serving(double fat, qint32 grams = 100, const QString& size = QStringLiteral("100 g"))
{
    FoodBuilderItem item;
    item.foodId = 9003;
    item.foodName = QStringLiteral("Apples, raw");
    item.servingSize = size;
    item.ndbNo = 9003;
    item.msreNo = 3;
    item.gmWt = grams;
    for (int i = 0; i < kNutrientCount; ++i)
        item.perServing[i] = fat * (i + 1);
    item.nutrients = item.perServing;
    return item;
}

// Nutrient by nutrient, each to the precision QCOMPARE gives doubles.
void compareNutrients(const Nutrients& actual, const Nutrients& expected)
{
    for (int i = 0; i < kNutrientCount; ++i)
        QCOMPARE(actual[i], expected[i]);
}

} // namespace

// The food builder's composition without its window: entries, the totals and
// how an entry's serving changes them, and the texts the grids show.
class FoodBuilderTest : public QObject
{
    Q_OBJECT

private slots:
    void anEntrysServingScalesItsValues_data()
    {
        QTest::addColumn<qint32>("grams"); // of the food's own serving
        QTest::addColumn<QList<BuilderServing>>("changes");
        QTest::addColumn<FoodBuilder::Outcome>("lastOutcome");
        QTest::addColumn<double>("fat");

        using O = FoodBuilder::Outcome;
        const BuilderServing ounce{"1 oz", 1, 28, 2};
        QTest::newRow("28.35 g measure, 2 servings: 10 x 28 / 100 x 2")
            << 100 << QList<BuilderServing>{ounce} << O::Done << 5.6;
        QTest::newRow("3 servings, then 1 again")
            << 100 << QList<BuilderServing>{{"100 g", 3, 100, 3}, {"100 g", 3, 100, 1}} << O::Done << 10.0;
        QTest::newRow("OK without a change") << 100 << QList<BuilderServing>{{"100 g", 3, 100, 1}} << O::Unchanged
                                              << 10.0;
        QTest::newRow("the size text decides what is a change")
            << 100 << QList<BuilderServing>{{"100 g", 9, 50, 1}} << O::Unchanged << 10.0;
        QTest::newRow("to another measure and back")
            << 100 << QList<BuilderServing>{ounce, {"100 g", 3, 100, 1}} << O::Done << 10.0;
        QTest::newRow("0 servings, then 2") << 100
                                            << QList<BuilderServing>{{"100 g", 3, 100, 0}, {"100 g", 3, 100, 2}}
                                            << O::Done << 20.0;
        QTest::newRow("0 servings, then a cup")
            << 100 << QList<BuilderServing>{{"100 g", 3, 100, 0}, {"1 cup", 2, 240, 1}} << O::Done << 24.0;
        QTest::newRow("a food without a weight scales by servings only")
            << 0 << QList<BuilderServing>{{"1 cup", 2, 240, 2}} << O::Done << 20.0;
        QTest::newRow("a measure of under half a gram is taken as the food's own serving")
            << 100 << QList<BuilderServing>{{"1 small bite", 4, 0, 1}} << O::Done << 10.0;
        QTest::newRow("negative servings") << 100 << QList<BuilderServing>{{"100 g", 3, 100, -1}}
                                           << O::OutOfRange << 10.0;
        QTest::newRow("servings not a number")
            << 100 << QList<BuilderServing>{{"100 g", 3, 100, std::numeric_limits<double>::quiet_NaN()}}
            << O::OutOfRange << 10.0;
        QTest::newRow("servings beyond the limit")
            << 100 << QList<BuilderServing>{{"100 g", 3, 100, FoodBuilder::kMaxServings + 1}} << O::OutOfRange
            << 10.0;
    }
    void anEntrysServingScalesItsValues()
    {
        QFETCH(qint32, grams);
        QFETCH(QList<BuilderServing>, changes);
        QFETCH(FoodBuilder::Outcome, lastOutcome);
        QFETCH(double, fat);

        FoodBuilder builder;
        const FoodBuilderItem other = serving(1);
        const FoodBuilderItem first = serving(10, grams);
        builder.add(other);
        builder.add(first);
        FoodBuilder::Outcome outcome{};
        for (const BuilderServing& change : changes)
            outcome = builder.update(1, change);
        QCOMPARE(outcome, lastOutcome);
        const FoodBuilderItem& entry = builder.entries()[1];
        // Every nutrient follows fat, and the totals follow the entries.
        compareNutrients(entry.nutrients, first.perServing.times(fat / 10));
        QCOMPARE(builder.entries()[0].nutrients, other.nutrients);
        for (int i = 0; i < kNutrientCount; ++i)
            QCOMPARE(builder.totals()[i], other.nutrients[i] + entry.nutrients[i]);
        const BuilderServing& last = changes.last();
        if (outcome == FoodBuilder::Outcome::Done) {
            QCOMPARE(entry.servingSize, last.servingSize);
            QCOMPARE(entry.msreNo, last.msreNo);
            QCOMPARE(entry.gmWt, last.gmWt);
            QCOMPARE(entry.numServing, last.numServing);
        } else {
            QCOMPARE(entry.servingSize, first.servingSize);
            QCOMPARE(entry.msreNo, first.msreNo);
            QCOMPARE(entry.numServing, first.numServing);
        }
    }

    void servingsAsTyped_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("servings"); // -1: refused
        QTest::newRow("quarter") << "0.25" << 0.25;
        QTest::newRow("blanks around") << " 2.5 " << 2.5;
        QTest::newRow("none") << "0" << 0.0;
        QTest::newRow("the limit") << "10000" << 10000.0;
        QTest::newRow("past the limit") << "10000.01" << -1.0;
        QTest::newRow("negative") << "-1" << -1.0;
        QTest::newRow("infinity") << "inf" << -1.0;
        QTest::newRow("not a number") << "nan" << -1.0;
        QTest::newRow("overflow") << "1e999" << -1.0;
        QTest::newRow("letters") << "two" << -1.0;
        QTest::newRow("minus none") << "-0" << 0.0;
        QTest::newRow("comma") << "1,5" << -1.0;
    }
    void servingsAsTyped()
    {
        QFETCH(QString, text);
        QFETCH(double, servings);
        const std::optional<double> parsed = FoodBuilder::parseServings(text);
        QCOMPARE(parsed.has_value(), servings >= 0);
        if (parsed) {
            QCOMPARE(*parsed, servings);
            QVERIFY(!std::signbit(*parsed));
        }
    }

    void numbersAsTheGridsShowThem_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("servings");
        QTest::newRow("thousands") << 1234.5 << "1234.50" << "1234.5";
        QTest::newRow("whole") << 1.0 << "1.00" << "1";
        QTest::newRow("quarter") << 0.25 << "0.25" << "0.25";
        QTest::newRow("zero") << 0.0 << "0.00" << "0";
        QTest::newRow("a negative crumb") << -0.001 << "0.00" << "-0.001";
        QTest::newRow("rounded") << 5.6789 << "5.68" << "5.6789";
    }
    void numbersAsTheGridsShowThem()
    {
        QFETCH(double, value);
        QFETCH(QString, total);
        QFETCH(QString, servings);
        QCOMPARE(FoodBuilder::formatTotal(value), total);
        QCOMPARE(FoodBuilder::servingsText(value), servings);
    }

    void totalsGridOrderAndCaptions()
    {
        FoodBuilder builder;
        builder.add(serving(1)); // fat 1, protein 2, carbohydrate 3, calorie 4, ...
        QCOMPARE(builder.totalsTexts(),
                 (QStringList{"4.00", "1.00", "6.00", "5.00", "3.00", "2.00", "7.00", "8.00"}));
        QCOMPARE(FoodBuilder::totalsCaptions("Fiber", "Sugars"),
                 (QStringList{"Calories", "Fat", "Cholesterol", "Sodium", "Carbs", "Protein", "Fiber", "Sugars"}));
    }

    void entriesComeAndGo()
    {
        FoodBuilder builder;
        QVERIFY(!builder.unsavedItems());
        // The same food twice is two entries, each changed on its own.
        QCOMPARE(builder.add(serving(0.1)), FoodBuilder::Outcome::Done);
        QCOMPARE(builder.add(serving(0.1)), FoodBuilder::Outcome::Done);
        builder.add(serving(0.2));
        QVERIFY(builder.unsavedItems());
        builder.update(1, {"1 cup", 2, 240, 1});
        QCOMPARE(builder.entries()[0].servingSize, "100 g");
        QCOMPARE(builder.entries()[1].servingSize, "1 cup");
        // Later entries move up.
        builder.remove(0);
        QCOMPARE(builder.count(), 2);
        QCOMPARE(builder.entries()[0].servingSize, "1 cup");
        QVERIFY(builder.unsavedItems());
        builder.remove(5); // no such entry
        QCOMPARE(builder.count(), 2);
        // With the last entry gone nothing is unsaved and every total is exactly 0.
        builder.remove(1);
        builder.remove(0);
        QVERIFY(builder.isEmpty());
        QVERIFY(!builder.unsavedItems());
        QCOMPARE(builder.totals(), Nutrients{});
        QCOMPARE(builder.totalsTexts().join(' '), "0.00 0.00 0.00 0.00 0.00 0.00 0.00 0.00");
        builder.add(serving(1));
        builder.empty();
        QVERIFY(builder.isEmpty() && !builder.unsavedItems());
        QCOMPARE(builder.totals(), Nutrients{});
    }

    void valuesThatCannotBeAddedUpAreRefused()
    {
        FoodBuilder builder;
        QCOMPARE(builder.add(serving(2e307)), FoodBuilder::Outcome::Done);
        // 1.6e308 x 2 is past the largest number: neither a second entry nor a second serving.
        QCOMPARE(builder.add(serving(2e307)), FoodBuilder::Outcome::OutOfRange);
        QCOMPARE(builder.update(0, {"100 g", 3, 100, 2}), FoodBuilder::Outcome::OutOfRange);
        QCOMPARE(builder.add(serving(std::numeric_limits<double>::infinity())), FoodBuilder::Outcome::OutOfRange);
        QCOMPARE(builder.count(), 1);
        QCOMPARE(builder.entries()[0].numServing, 1.0);
        QVERIFY(builder.totals().isFinite());
        QCOMPARE(builder.totals()[7], 1.6e308);
    }

    void anEntryFromAFoodRecordInWholeGrams_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<qint32>("grams");
        QTest::newRow("down") << 14.2 << 14;
        QTest::newRow("a half to the even neighbour below") << 42.5 << 42;
        QTest::newRow("a half to the even neighbour above") << 43.5 << 44;
    }
    void anEntryFromAFoodRecordInWholeGrams()
    {
        QFETCH(double, stored);
        QFETCH(qint32, grams);
        TestContext test;
        test.exec("UPDATE FoodItem SET USDA_GM_WT = ? WHERE FoodId = 1001", {stored});
        OrvDataSource& ds = test.ctx().dataSource();
        QVERIFY(ds.cmdFoods());
        QVERIFY(ds.rsFoods.findFirst(Criteria::equals("FoodId", 1001)));
        const FoodBuilderItem item = FoodBuilderItem::fromFood(ds.rsFoods);
        QCOMPARE(item.gmWt, grams);
        QCOMPARE(item.foodName, "Butter, salted");
        QCOMPARE(item.servingSize, "1 tbsp");
        QCOMPARE((QList<qint32>{item.ndbNo, item.msreNo}), (QList<qint32>{1001, 2}));
        QCOMPARE(item.numServing, 1.0);
        compareNutrients(item.nutrients, Nutrients{{11.52, 0.12, 0.01, 101.8, 101.4, 30.5, 0, 0.01}});
        QCOMPARE(item.perServing, item.nutrients);
    }
};

QTEST_MAIN(FoodBuilderTest)
#include "tst_foodbuilder.moc"
