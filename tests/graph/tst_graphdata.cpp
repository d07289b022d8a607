#include "data/orvdatasource.h"
#include "fixture.h"
#include "graph/dietgraphdata.h"
#include "graph/graphprintplan.h"

#include <QTest>

using Visible = std::array<bool, 8>;
using Pages = QList<GraphPrintPlan::Page>;

// The diet graph's data from the graph query, and which charts a print run
// puts on which page.
class GraphDataTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestContext> t;

    // The graph data of USER1's days in May 2003.
    DietGraphData graph()
    {
        OrvDataSource& ds = t->ctx().dataSource();
        if (!ds.cmdDietGraph(QDate(2003, 5, 1), QDate(2003, 5, 31), "USER1"))
            qFatal("the graph query failed");
        return DietGraphData::fromRecordset(ds.rsDietGraph);
    }
    static QList<QVariant> sums(const DietGraphData& data, int nutrient)
    {
        QList<QVariant> result;
        for (const std::optional<double>& v : data.values(nutrient))
            result << (v ? QVariant(*v) : QVariant("Null"));
        return result;
    }

private slots:
    void init() { t = std::make_unique<TestContext>(); }
    void cleanup() { t.reset(); }

    // The user's days in the range, in date order, each nutrient summed over the day's entries. (That days
    // a week apart are still neighbours, numbered 1 and 2, is checked with the window's day labels.)
    void sumsOfEachDayInTheRange()
    {
        // Fat f gives Protein 2f, Carbohydrate 3f, Calorie 4f, Sodium 5f, Cholesterol 6f, Other1 7f, Other2 8f.
        t->addDietRow("USER1", QDate(2003, 5, 20), "MEAL0", "Egg", 2);
        t->addDietRow("USER1", QDate(2003, 5, 13), "MEAL1", "Soup", 1);
        t->addDietRow("USER1", QDate(2003, 5, 13), "", "Tea", 0.5);
        t->addDietRow("USER2", QDate(2003, 5, 15), "", "Coffee", 9);
        t->addDietRow("USER1", QDate(2003, 6, 1), "", "Late", 9);
        const DietGraphData data = graph();
        const QList<QList<QVariant>> expected = {{6.0, 8.0},  {1.5, 2.0},   {9.0, 12.0},  {7.5, 10.0},
                                                 {4.5, 6.0},  {3.0, 4.0},   {10.5, 14.0}, {12.0, 16.0}};
        for (int n = 0; n < DietGraphData::kNutrients; ++n)
            QCOMPARE(sums(data, n), expected[n]);
        QCOMPARE(data.lowest(DietGraphData::Calories), 6.0);
        QCOMPARE(data.highest(DietGraphData::Calories), 8.0);
    }

    void optionalNutrientsNeedAPositiveDay_data()
    {
        QTest::addColumn<QVariantList>("other1"); // a day's entries' Other1 (Other2 is twice each, when a number)
        QTest::addColumn<QList<QVariant>>("sums");
        QTest::addColumn<bool>("offered");
        QTest::newRow("nothing recorded") << QVariantList{{}, {}} << QList<QVariant>{"Null"} << false;
        QTest::newRow("below zero") << QVariantList{-1.0, 0.5} << QList<QVariant>{-0.5} << false;
        QTest::newRow("some") << QVariantList{{}, 0.25} << QList<QVariant>{0.25} << true;
    }
    void optionalNutrientsNeedAPositiveDay()
    {
        QFETCH(QVariantList, other1);
        for (const QVariant& value : other1) {
            const qint32 id = t->addDietRow("USER1", QDate(2003, 5, 14), "", "Bread", 1);
            t->exec("UPDATE DietActivity SET Other1 = ?, Other2 = ? * 2 WHERE DietId = ?", {value, value, id});
        }
        t->addDietRow("USER1", QDate(2003, 5, 15), "", "Water", 0);
        t->exec("UPDATE DietActivity SET Other1 = NULL, Other2 = NULL WHERE FoodName = 'Water'");
        const DietGraphData data = graph();
        QFETCH(QList<QVariant>, sums);
        QCOMPARE(GraphDataTest::sums(data, DietGraphData::Other1), sums + QList<QVariant>{"Null"});
        QTEST(data.hasPositive(DietGraphData::Other1), "offered");
        QTEST(data.hasPositive(DietGraphData::Other2), "offered");
        QVERIFY(data.hasPositive(DietGraphData::Calories));
    }

    void valueAxesHaveRoundSteps_data()
    {
        QTest::addColumn<double>("lo");
        QTest::addColumn<double>("hi");
        QTest::addColumn<DietGraphData::Scale>("scale");
        QTest::newRow("calories") << 0.0 << 5500.0 << DietGraphData::Scale{0, 6000, 4};
        QTest::newRow("small") << 0.0 << 8.0 << DietGraphData::Scale{0, 8, 5};
        QTest::newRow("on a step") << 0.0 << 2000.0 << DietGraphData::Scale{0, 2000, 5};
        QTest::newRow("quarters") << 0.0 << 11.5 << DietGraphData::Scale{0, 12.5, 6};
        QTest::newRow("below zero") << -0.5 << 14.0 << DietGraphData::Scale{-5, 15, 5};
        QTest::newRow("all zero") << 0.0 << 0.0 << DietGraphData::Scale{0, 1, 6};
    }
    void valueAxesHaveRoundSteps()
    {
        QFETCH(double, lo);
        QFETCH(double, hi);
        QTEST(DietGraphData::valueScale(lo, hi), "scale");
    }

    void printRunsPlaceWholeCharts_data()
    {
        QTest::addColumn<GraphPrintPlan::Mode>("mode");
        QTest::addColumn<int>("selected");
        QTest::addColumn<Visible>("visible");
        QTest::addColumn<double>("chartHeight"); // on a page 10 high
        QTest::addColumn<Pages>("pages");
        const Visible six{true, true, true, true, true, true, false, false};
        const Visible seven{true, true, true, true, true, true, true, false};
        using M = GraphPrintPlan::Mode;
        QTest::newRow("current, one a page") << M::Current << 3 << six << 6.0 << Pages{{{3, 0}}};
        QTest::newRow("current, a hidden choice") << M::Current << 7 << six << 3.0 << Pages{{{7, 0}}};
        QTest::newRow("all, over half a page")
            << M::All << 0 << six << 5.5 << Pages{{{0, 0}}, {{1, 0}}, {{2, 0}}, {{3, 0}}, {{4, 0}}, {{5, 0}}};
        QTest::newRow("all, three a page, Other1 shown")
            << M::All << 1 << seven << 3.0 << Pages{{{0, 0}, {1, 3}, {2, 6}}, {{3, 0}, {4, 3}, {5, 6}}, {{6, 0}}};
        QTest::newRow("all, exactly two a page")
            << M::All << 0 << six << 5.0 << Pages{{{0, 0}, {1, 5}}, {{2, 0}, {3, 5}}, {{4, 0}, {5, 5}}};
        // A chart taller than the page still gets a page of its own.
        QTest::newRow("all, taller than the page")
            << M::All << 0 << Visible{true, false, false, false, false, true} << 12.0 << Pages{{{0, 0}}, {{5, 0}}};
    }
    void printRunsPlaceWholeCharts()
    {
        QFETCH(GraphPrintPlan::Mode, mode);
        QFETCH(int, selected);
        QFETCH(Visible, visible);
        QFETCH(double, chartHeight);
        QTEST(GraphPrintPlan::pages(GraphPrintPlan::printed(mode, selected, visible), 10.0, chartHeight), "pages");
    }
};

QTEST_GUILESS_MAIN(GraphDataTest)
#include "tst_graphdata.moc"
