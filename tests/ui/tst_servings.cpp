#include "app/numbers.h"
#include "builder/foodbuilder.h"
#include "diet/dietscaling.h"
#include "widgets/servingscombo.h"

#include <QComboBox>
#include <QtTest>

// What the diet's and the food builder's serving dialogs have in common: the
// number of servings box and the most servings they take. (How a screen reader
// reads the boxes is tested with the other drop-downs.)
class ServingsTest : public QObject
{
    Q_OBJECT

private slots:
    // Opened, the list highlights its entry of the number shown, or none.
    // Typed text is taken as typed, not completed from the list.
    void theListHighlightsTheNumberShown_data()
    {
        QTest::addColumn<double>("servings");
        QTest::addColumn<QString>("highlighted");
        QTest::newRow("one") << 1.0 << "1.00";
        QTest::newRow("the last") << 9.75 << "9.75";
        QTest::newRow("between quarters") << 1.1 << "";
        QTest::newRow("past the last") << 10.0 << "";
    }
    void theListHighlightsTheNumberShown()
    {
        QFETCH(double, servings);
        const std::unique_ptr<QComboBox> list(ServingsCombo::create(nullptr));
        ServingsCombo::show(list.get(), servings, plainNumber(servings));
        QCOMPARE(list->currentText(), plainNumber(servings));
        QTEST(list->itemText(list->currentIndex()), "highlighted");
        QVERIFY(!list->completer());
    }

    void bothTakeTheSameMostServings_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("dietTakes");
        QTest::addColumn<bool>("builderTakes");
        QTest::newRow("the most") << "10000" << true << true;
        QTest::newRow("just past it") << "10000.01" << false << false;
        // Only the diet takes servings back; the builder has no use for them.
        QTest::newRow("the most taken back") << "-10000" << true << false;
        QTest::newRow("past it taken back") << "-10000.01" << false << false;
    }
    void bothTakeTheSameMostServings()
    {
        QFETCH(QString, typed);
        const double servings = parseNumber(typed).value();
        QTEST(DietScaling::isPlausible(servings, Nutrients{}), "dietTakes");
        QTEST(FoodBuilder::parseServings(typed).has_value(), "builderTakes");
    }
};

QTEST_MAIN(ServingsTest)
#include "tst_servings.moc"
