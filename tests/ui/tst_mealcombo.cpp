#include "app/appcontext.h"
#include "data/orvdatasource.h"
#include "fixture.h"
#include "ui/mealcombo.h"

#include <QComboBox>
#include <QTest>

// The meal drop-down filled from the meal labels.
class MealComboTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestContext> t;

    static QStringList entries(const QComboBox& combo)
    {
        QStringList result;
        for (int i = 0; i < combo.count(); ++i)
            result << combo.itemText(i);
        return result;
    }

private slots:
    void init() { t = std::make_unique<TestContext>(); }
    void cleanup() { t.reset(); }

    void fillReplacesTheEntries_data()
    {
        QTest::addColumn<QString>("meal0");
        QTest::addColumn<QString>("meal1");
        QTest::addColumn<QString>("selectedLabel");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("current");
        QTest::newRow("none chosen") << "Breakfast"
                                     << "Lunch"
                                     << ""
                                     << QStringList{"Select a Meal", "Breakfast", "Lunch", "Dinner", "Snack"}
                                     << 0;
        QTest::newRow("lunch") << "Breakfast"
                               << "Lunch"
                               << "Lunch"
                               << QStringList{"Select a Meal", "Breakfast", "Lunch", "Dinner", "Snack"} << 2;
        QTest::newRow("first meal blank")
            << ""
            << "Lunch"
            << "Lunch" << QStringList{"Select a Meal", "Lunch", "Dinner", "Snack"} << 1;
        QTest::newRow("twice the same")
            << "Snack"
            << "Lunch"
            << "Snack" << QStringList{"Select a Meal", "Snack", "Lunch", "Dinner", "Snack"} << 4;
    }
    void fillReplacesTheEntries()
    {
        QFETCH(QString, meal0);
        QFETCH(QString, meal1);
        QFETCH(QString, selectedLabel);
        QFETCH(QStringList, expected);
        QFETCH(int, current);
        t->exec("UPDATE CONFIG SET ConfigValue = ? WHERE ConfigItem = 'MEAL0'", {meal0});
        t->exec("UPDATE CONFIG SET ConfigValue = ? WHERE ConfigItem = 'MEAL1'", {meal1});
        QVERIFY(t->ctx().dataSource().cmdConfig());
        QComboBox combo;
        combo.addItems({"old entry", "another"});
        combo.setCurrentIndex(1);
        fillMealCombo(t->ctx().config(), &combo, selectedLabel);
        QCOMPARE(entries(combo), expected);
        QCOMPARE(combo.currentIndex(), current);
        QCOMPARE(combo.currentText(), expected.at(current));
    }
};

QTEST_MAIN(MealComboTest)
#include "tst_mealcombo.moc"
