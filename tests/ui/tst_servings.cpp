#include "../support/fixture.h"

#include "app/numbers.h"
#include "builder/fbservingsdialog.h"
#include "builder/foodbuilder.h"
#include "diet/dietscaling.h"
#include "diet/servingsdialog.h"
#include "ui/servingscombo.h"

#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

// What the diet's and the food builder's serving dialogs have in common: the
// number of servings box (its list, its first text, a text box that a screen
// reader names after its label) and the most servings they take.
class ServingsTest : public QObject
{
    Q_OBJECT

private slots:
    void bothDialogsOfferTheQuartersAndNameTheirTextBoxes()
    {
        FixtureFolder folder;
        ProgramRun run(folder.path());
        ServingsDialog diet(run.context);
        FBServingsDialog builder(run.context);
        for (const QComboBox* servings : {diet.cmbServings, builder.cmbServings}) {
            // Each line names its dialog, so a failure says which one.
            const QString in = servings->window()->objectName() + ": ";
            QCOMPARE(in + QString::number(servings->count()), in + "39");
            QCOMPARE(in + servings->itemText(0) + " " + servings->itemText(3) + " " + servings->itemText(38),
                     in + "0.25 1.00 9.75");
            QCOMPARE(in + servings->currentText(), in + "1.00");
            QCOMPARE(in + servings->lineEdit()->accessibleName(), in + "Number of Servings");
            // Typed text is taken as typed, not completed from the list.
            QVERIFY2(!servings->completer(), qPrintable(in));
        }
        // The builder's serving size is always typed into as well.
        QCOMPARE(builder.cmbServSize->lineEdit()->accessibleName(), QString("Serving Size"));
    }

    // Opened, the list highlights its entry of the number shown, or none.
    void theListHighlightsTheNumberShown_data()
    {
        QTest::addColumn<double>("servings");
        QTest::addColumn<QString>("highlighted");
        QTest::newRow("one") << 1.0 << "1.00";
        QTest::newRow("the last") << 9.75 << "9.75";
        QTest::newRow("between quarters") << 1.1 << "";
        QTest::newRow("none") << 0.0 << "";
        QTest::newRow("past the last") << 10.0 << "";
    }
    void theListHighlightsTheNumberShown()
    {
        QFETCH(double, servings);
        const std::unique_ptr<QComboBox> list(ServingsCombo::create(nullptr));
        ServingsCombo::show(list.get(), servings, plainNumber(servings));
        QCOMPARE(list->currentText(), plainNumber(servings));
        QTEST(list->itemText(list->currentIndex()), "highlighted");
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
