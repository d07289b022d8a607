#include "app/numbers.h"
#include "builder/foodbuilder.h"

#include <QTest>
#include <limits>

Q_DECLARE_METATYPE(BuilderServing)
Q_DECLARE_METATYPE(FoodBuilder::Outcome)

namespace {

// One serving of a food whose nutrients are fat, 2 x fat, ... 8 x fat.
FoodBuilderItem serving(double fat, double grams = 100)
{
    FoodBuilderItem item;
    item.servingSize = QStringLiteral("100 g");
    item.msreNo = 3;
    item.grams = grams;
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
// how an entry's serving changes them. (Reading a food record, removing and
// emptying are tested through the window.)
class FoodBuilderTest : public QObject
{
    Q_OBJECT

private slots:
    void anEntrysServingScalesItsValues_data()
    {
        QTest::addColumn<double>("grams"); // of the food's own serving
        QTest::addColumn<QList<BuilderServing>>("changes");
        QTest::addColumn<FoodBuilder::Outcome>("lastOutcome");
        QTest::addColumn<double>("fat");
        using O = FoodBuilder::Outcome;
        using Changes = QList<BuilderServing>;
        const BuilderServing ounce{"1 oz", 1, 28.35, 2}, gram100{"100 g", 3, 100, 1};
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("to another measure and back") << 100.0 << Changes{ounce, gram100} << O::Done << 10.0;
        QTest::newRow("the size text decides what is a change")
            << 100.0 << Changes{{"100 g", 9, 50, 1}} << O::Unchanged << 10.0;
        QTest::newRow("0 servings, then a cup") << 100.0 << Changes{{"100 g", 3, 100, 0}, {"1 cup", 2, 240, 1}}
                                                << O::Done << 24.0;
        QTest::newRow("a food without a weight scales by servings only")
            << 0.0 << Changes{{"1 cup", 2, 240, 2}} << O::Done << 20.0;
        // Under half a gram is no whole gram, yet it weighs what it weighs, both ways.
        QTest::newRow("a dash of 0.4 g") << 100.0 << Changes{{"1 dash", 4, 0.4, 1}} << O::Done << 0.04;
        QTest::newRow("a spray of 0.3 g to 100 g") << 0.3 << Changes{{"1 cup", 2, 100, 1}} << O::Done << 10 / 0.003;
        QTest::newRow("negative, not a number, past the limit: all refused")
            << 100.0
            << Changes{{"100 g", 3, 100, -1}, {"100 g", 3, 100, nan}, {"100 g", 3, 100, kMostServings + 1}}
            << O::OutOfRange << 10.0;
    }
    void anEntrysServingScalesItsValues()
    {
        QFETCH(double, grams);
        QFETCH(QList<BuilderServing>, changes);
        QFETCH(double, fat);
        FoodBuilder builder;
        const FoodBuilderItem other = serving(1), first = serving(10, grams);
        builder.add(other);
        builder.add(first);
        FoodBuilder::Outcome outcome{};
        for (const BuilderServing& change : changes)
            outcome = builder.update(1, change);
        QTEST(outcome, "lastOutcome");
        // Every nutrient follows fat, and the totals follow the entries.
        const FoodBuilderItem& entry = builder.entries()[1];
        compareNutrients(entry.nutrients, first.perServing.times(fat / 10));
        compareNutrients(builder.totals(), other.nutrients.times(1 + fat));
        // A refused or unchanged serving leaves the entry's serving as it was.
        const BuilderServing& kept = outcome == FoodBuilder::Outcome::Done
                                         ? changes.last()
                                         : BuilderServing{first.servingSize, first.msreNo, first.grams, 1};
        QCOMPARE((QVariantList{entry.servingSize, entry.msreNo, entry.grams, entry.numServing}),
                 (QVariantList{kept.servingSize, kept.msreNo, kept.grams, kept.numServing}));
    }

    // Servings as typed, then as the grid shows them; a total that rounds to nothing reads without a minus.
    void numbersAsTypedAndShown()
    {
        QCOMPARE(FoodBuilder::formatTotal(-0.001), "0.00");
        QStringList shown;
        for (const char* text : {"0", "-0", "2.50", "10000", "10000.01", "-1", "nan", "inf", "1e999", "two"}) {
            const std::optional<double> parsed = FoodBuilder::parseServings(text);
            shown << (parsed ? FoodBuilder::servingsText(*parsed) : "refused");
        }
        QCOMPARE(shown, QStringList({"0", "0", "2.5", "10000"}) + QStringList(6, "refused"));
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
        QCOMPARE(builder.totals()[7], 1.6e308);
        // Nor is a total saved that the food item editor could not show in full.
        QCOMPARE(builder.saveProblem("Stew", "1 bowl", true), "All Nutritional Data Values must be numeric.");
    }
};

QTEST_GUILESS_MAIN(FoodBuilderTest)
#include "tst_foodbuilder.moc"
