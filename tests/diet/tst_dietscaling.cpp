#include "data/orvdatasource.h"
#include "diet/dietclipboard.h"
#include "diet/dietkeys.h"
#include "diet/dietscaling.h"
#include "fixture.h"

#include <QTest>
#include <limits>

using namespace DietScaling;

namespace {

Nutrients apples()
{
    // The fixture's Apples: one 100 g serving.
    return Nutrients{{10, 1, 20, 50, 1, 0, 2, 10}};
}

} // namespace

// The scaling of food values into diet entries, the clipboard records and the
// meal keys of chosen labels.
class DietScalingTest : public QObject
{
    Q_OBJECT

private slots:
    void servingRatio_data()
    {
        QTest::addColumn<double>("foodGrams");
        QTest::addColumn<int>("gramWeight");
        QTest::addColumn<double>("expected");
        QTest::newRow("a cup of a 100 g serving") << 100.0 << 240 << 2.4;
        QTest::newRow("28.35 g used as 28") << 100.0 << 28 << 0.28;
        QTest::newRow("a measure under half a gram") << 100.0 << 0 << 1.0;
        QTest::newRow("a user food without weight") << 0.0 << 240 << 1.0;
        QTest::newRow("the food's own 14.2 g serving") << 14.2 << 14 << 1.0;
        QTest::newRow("another weight of a 14.2 g food") << 14.2 << 227 << 227 / 14.2;
    }
    void servingRatio()
    {
        QFETCH(double, foodGrams);
        QFETCH(int, gramWeight);
        QFETCH(double, expected);
        QCOMPARE(DietScaling::servingRatio(foodGrams, gramWeight), expected);
    }

    void entryIsFoodTimesServingsTimesRatio()
    {
        // 2.5 servings of a 240 g measure of a food whose serving weighs 100 g: 6 times the food.
        const Nutrients entry = entryNutrients(apples(), 2.5, DietScaling::servingRatio(100, 240));
        QCOMPARE(entry, apples().times(6));
        QCOMPARE(entry.values[0], 60.0);
        const Nutrients none = entryNutrients(apples(), 0, 1);
        QCOMPARE(none, Nutrients{});
        QCOMPARE(entryNutrients(apples(), -1, 1), apples().times(-1));
    }

    void rescalesAnEditedEntry()
    {
        // 1 serving of 100 g edited to 2 servings of a 50 g measure: the same food eaten.
        const Nutrients present = apples();
        const std::optional<double> ratio = editRatio(50, 100);
        QVERIFY(ratio);
        const std::optional<Nutrients> edited = rescaledEntry(present, 1, 2, *ratio);
        QVERIFY(edited);
        QCOMPARE(*edited, present);
        // 2 servings become 3 of the same measure.
        QCOMPARE(*rescaledEntry(present.times(2), 2, 3, 1), present.times(3));
    }

    void refusesEntriesThatCannotBeRescaled()
    {
        QVERIFY(!rescaledEntry(apples(), 0, 2, 1)); // stored with 0 servings
        QVERIFY(!editRatio(28.35, 0));              // stored with gram weight 0
        QVERIFY(!rescaledEntry(apples(), std::numeric_limits<double>::quiet_NaN(), 1, 1));
        QVERIFY(!rescaledEntry(apples(), 1e-300, 1e300, 1e10)); // would overflow
    }

    void clipEntryRoundsWeightAndKeepsTheRest()
    {
        TestContext t;
        const qint32 id = t.addDietRow("USER1", QDate(2003, 5, 14), QString(), "Apples, raw", 3);
        t.exec("UPDATE DietActivity SET USDA_GM_WT = 28.35, USDA_MSRE_NO = 1, USDA_NDB_NO = 9003, "
               "NumServings = 2.5, MealName = NULL WHERE DietId = ?",
               {id});
        OrvDataSource& ds = t.ctx().dataSource();
        QVERIFY(ds.cmdDietData("USER1"));
        const DietClipEntry entry = DietClipEntry::fromRecord(ds.rsDietData);
        QCOMPARE(entry.USDA_GM_WT, 28);
        QCOMPARE(entry.MealName, QString());
        QCOMPARE(entry.NumServings, 2.5);
        QCOMPARE(entry.FoodName, QString("Apples, raw"));
        QCOMPARE(entry.nutrients.values[0], 3.0);
        QCOMPARE(entry.nutrients.values[7], 24.0);

        // Written back as a new row, the copy holds the same values.
        ds.rsDietData.addNew();
        ds.rsDietData.setValue("DietId", 99);
        entry.writeTo(ds.rsDietData);
        ds.rsDietData.update();
        const QVariantList copy = t.rows("SELECT FoodName, GroupName, ServingSize, NumServings, USDA_GM_WT, "
                                         "USDA_MSRE_NO, USDA_NDB_NO, Fat, Other2 FROM DietActivity WHERE DietId = 99")
                                      .value(0);
        QCOMPARE(copy, (QVariantList{"Apples, raw", "Test Group", "1 serving", 2.5, 28.0, 1, 9003, 3.0, 24.0}));
    }

    void clipboardCopyReplacesTheContent()
    {
        DietClipboard clipboard;
        QVERIFY(clipboard.isEmpty());
        DietClipEntry a;
        a.FoodName = "A";
        DietClipEntry b;
        b.FoodName = "B";
        clipboard.reset(2);
        clipboard.set(0, a);
        clipboard.set(1, b);
        QCOMPARE(clipboard.entries().size(), 2);
        clipboard.reset(1);
        clipboard.set(0, b);
        QCOMPARE(clipboard.entries().size(), 1);
        QCOMPARE(clipboard.entries().first().FoodName, QString("B"));
    }
};

QTEST_MAIN(DietScalingTest)
#include "tst_dietscaling.moc"
