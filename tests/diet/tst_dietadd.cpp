#include "dietfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>

using namespace Fixture;

namespace {

const QDate kMay14(2003, 5, 14);
const QDate kPicked(2003, 6, 1); // the main window's date

QStringList comboItems(QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// The drop targets of both tables: D1 is Egg under Lunch (MEAL1), D2 Apple directly under the day.
const QStringList kTargets{"", "DT20030514", "D2", "D1", "MLMEAL1DT20030514"};
const QStringList kTargetNames{"empty space", "day", "entry under its day", "entry under a meal", "meal"};

} // namespace

// Adding food to the diet: the drops on the tree with either button, the
// servings dialog, the scaling of the nutrients and the failures.
class DietAddTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DietFixture> f;

    QTreeWidgetItem* target(const QString& key)
    {
        f->diet().loadDietDay(kMay14);
        return key.isEmpty() ? nullptr : f->node(key);
    }
    void dropApplesWithDialog(const std::function<void(ServingsDialog*)>& fill, const QString& on = "DT20030514")
    {
        whenServings(fill);
        f->dropFood(Apples, FruitGroup, target(on), Qt::RightButton);
    }

private slots:
    void init()
    {
        f = std::make_unique<DietFixture>();
        f->test.addDietRow("USER1", kMay14, "MEAL1", "Egg");
        f->test.addDietRow("USER1", kMay14, "", "Apple");
        f->loadShown();
        f->main().dtDatePick->setDate(kPicked);
        f->main().cmbMeal->setCurrentText("Dinner");
    }
    void cleanup() { f.reset(); }

    void leftDropTakesDayAndMealFromTheTarget_data()
    {
        QTest::addColumn<QString>("on");
        QTest::addColumn<QString>("parent");
        const QStringList parents{"DT20030601", "DT20030514", "DT20030514", "MLMEAL1DT20030514", "MLMEAL1DT20030514"};
        for (int i = 0; i < kTargets.size(); ++i)
            QTest::newRow(qPrintable(kTargetNames[i])) << kTargets[i] << parents[i];
    }
    void leftDropTakesDayAndMealFromTheTarget()
    {
        QFETCH(QString, on);
        QFETCH(QString, parent);
        QTreeWidgetItem* to = target(on);
        f->tree()->setDropHighlight(to);
        f->dropFood(Apples, FruitGroup, to);
        const qint32 id = f->lastDietId();
        const QString date = parent.right(8), meal = parent.startsWith("ML") ? parent.mid(2, 5) : "";
        QCOMPARE(f->dietRow(id, "UserName, DietDate, MealName, FoodName, GroupName, NumServings, ServingSize, "
                                "USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT, Fat, Other2"),
                 (QVariantList{"USER1", QDate::fromString(date, "yyyyMMdd").toString(Qt::ISODate), meal, "Apples, raw",
                               "Fruits and Fruit Juices", 1.0, "100 g", 9003, 3, 100.0, 10.0, 10.0}));
        QCOMPARE(f->tree()->selectedNode(), f->node(f->entry(id)));
        QCOMPARE(f->parentKey(f->entry(id)), parent);
        QCOMPARE(f->tree()->dropHighlight(), nullptr);
        QCOMPARE(f->ds().rsDietData.integer("DietId"), id);
    }

    void rightDropOffersTheTargetsDayAndMeal_data()
    {
        QTest::addColumn<QString>("on");
        QTest::addColumn<QString>("mainMeal"); // chosen in the main window
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("mealLabel");
        const QStringList labels{"Select a Meal", "Dinner", "Dinner", "Lunch", "Lunch"};
        for (int i = 0; i < kTargets.size(); ++i)
            QTest::newRow(qPrintable(kTargetNames[i])) << kTargets[i] << "Dinner" << (i ? kMay14 : kPicked) << labels[i];
        QTest::newRow("day, no meal chosen") << "DT20030514" << "Select a Meal" << kMay14 << "Select a Meal";
    }
    void rightDropOffersTheTargetsDayAndMeal()
    {
        QFETCH(QString, on);
        QFETCH(QString, mainMeal);
        QFETCH(QDate, date);
        QFETCH(QString, mealLabel);
        f->main().cmbMeal->setCurrentText(mainMeal);
        QTreeWidgetItem* to = target(on);
        bool shown = false;
        whenServings(
            [&](ServingsDialog* d) {
                shown = true;
                QCOMPARE(d->windowTitle(), QString("Diet Information - Apples, raw"));
                QCOMPARE(d->dtDate->date(), date);
                QCOMPARE(d->cmbMeal->currentText(), mealLabel);
                QCOMPARE(comboItems(d->cmbMeal), (QStringList{"Select a Meal", "Breakfast", "Lunch", "Dinner", "Snack"}));
                QCOMPARE(d->cmbServings->count(), 39);
                QCOMPARE(d->cmbServings->itemText(0) + d->cmbServings->itemText(38), QString("0.259.75"));
                QCOMPARE(d->cmbServings->currentText(), QString("1.00"));
                // The measures in gram order, the food's own chosen.
                QCOMPARE(comboItems(d->cmbServSize), (QStringList{"1 small bite", "1 oz", "100 g", "1 cup"}));
                QCOMPARE(d->cmbServSize->currentText(), QString("100 g"));
                QVERIFY(d->rbPreffered->isVisibleTo(d) && !d->rbPreffered->isChecked());
            },
            false);
        f->dropFood(Apples, FruitGroup, to, Qt::RightButton);
        QVERIFY(shown);
        QCOMPARE(f->dietCount(), 2); // cancelled
        QVERIFY(!f->ds().rsMeasures.isOpen());
    }

    void rightDropScalesByServingsAndMeasure_data()
    {
        QTest::addColumn<int>("food");
        QTest::addColumn<int>("group");
        QTest::addColumn<QString>("servings");
        QTest::addColumn<QString>("measure"); // "" for a food without measures
        QTest::addColumn<double>("grams");
        QTest::addColumn<double>("fat");
        QTest::addColumn<QString>("servingSize");
        QTest::newRow("2.5 cups of a 100 g serving: 6 times")
            << int(Apples) << int(FruitGroup) << "2.50" << "1 cup" << 240.0 << 60.0 << "1 cup";
        QTest::newRow("28.35 g used and stored as 28")
            << int(Apples) << int(FruitGroup) << "1.00" << "1 oz" << 28.0 << 2.8 << "1 oz";
        QTest::newRow("under half a gram: 0, ratio 1")
            << int(Apples) << int(FruitGroup) << "1" << "1 small bite" << 0.0 << 10.0 << "1 small bite";
        QTest::newRow("0 servings pass") << int(Apples) << int(FruitGroup) << "0" << "100 g" << 100.0 << 0.0 << "100 g";
        QTest::newRow("-1 servings pass") << int(Apples) << int(FruitGroup) << "-1" << "100 g" << 100.0 << -10.0 << "100 g";
        QTest::newRow("a user food without weight")
            << int(ApplePie) << int(MyFoodsGroup) << "3" << "" << 0.0 << 57.0 << "1 slice";
        QTest::newRow("the food's own 14.2 g serving as 14 g: ratio 1")
            << int(Butter) << int(DairyGroup) << "1" << "1 tbsp" << 14.0 << 11.52 << "1 tbsp";
    }
    void rightDropScalesByServingsAndMeasure()
    {
        QFETCH(int, food);
        QFETCH(int, group);
        QFETCH(QString, servings);
        QFETCH(QString, measure);
        QFETCH(double, grams);
        QFETCH(double, fat);
        QFETCH(QString, servingSize);
        whenServings([&](ServingsDialog* d) {
            if (measure.isEmpty()) {
                // Nothing to choose: the food's serving, locked, and nothing to mark.
                QVERIFY(d->cmbServSize->lineEdit() && d->cmbServSize->lineEdit()->isReadOnly());
                QVERIFY(!d->rbPreffered->isVisibleTo(d));
            } else {
                d->cmbServSize->setCurrentText(measure);
            }
            d->cmbServings->setEditText(servings);
            d->dtDate->setDate(QDate(2003, 7, 4));
            d->cmbMeal->setCurrentText("Snack");
        });
        f->dropFood(food, group, target("DT20030514"), Qt::RightButton);
        const qint32 id = f->lastDietId();
        QCOMPARE(f->dietRow(id, "NumServings, ServingSize, USDA_GM_WT, MealName"),
                 (QVariantList{servings.toDouble(), servingSize, grams, "MEAL3"}));
        QCOMPARE(f->dietRow(id, "Fat").value(0).toDouble(), fat);
        QCOMPARE(f->parentKey(f->entry(id)), QString("MLMEAL3DT20030704"));
    }

    void refusedInputsKeepTheDialogOpen()
    {
        QStringList refused;
        dropApplesWithDialog([&](ServingsDialog* d) {
            for (const char* text : {"inf", "nan", "1,5,3", "", "   "}) {
                d->cmbServings->setEditText(text);
                d->OKButton->click();
                if (d->isVisible() && f->prompts().count() == refused.size() + 1)
                    refused << text;
            }
            d->cmbServings->setEditText("2");
            d->cmbServSize->setCurrentIndex(-1);
            d->OKButton->click();
            QVERIFY(d->isVisible());
            d->cmbServSize->setCurrentIndex(2);
            QTest::keyClick(d->cmbServings->lineEdit(), Qt::Key_Return); // Enter in the servings box is OK
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(refused.size(), 5);
        QCOMPARE(f->prompts().texts().first(), QString("Number of Servings must be numeric."));
        QCOMPARE(f->prompts().shown().first().title, QString("Corvane's Foodlark"));
        QCOMPARE(f->prompts().shown().first().icon, PromptIcon::Exclamation);
        QCOMPARE(f->prompts().texts().last(), QString("You must select an existing Serving Size."));
        QCOMPARE(f->dietRow(f->lastDietId(), "NumServings, Fat"), (QVariantList{2.0, 20.0}));
    }

    void markPreferredRescalesTheFoodFirst()
    {
        dropApplesWithDialog([](ServingsDialog* d) {
            d->cmbServSize->setCurrentText("1 cup");
            d->rbPreffered->setChecked(true);
            d->cmbServings->setEditText("2");
        });
        const QString food = "SELECT ServingSize, USDA_MSRE_NO, USDA_GM_WT, Fat, Calorie, Other2 FROM FoodItem "
                             "WHERE FoodId = 9003";
        QCOMPARE(f->test.rows(food).value(0), (QVariantList{"1 cup", 2, 240.0, 24.0, 120.0, 24.0}));
        // The entry is 2 servings of the food's new serving: ratio 1.
        QCOMPARE(f->dietRow(f->lastDietId(), "ServingSize, USDA_GM_WT, Fat"), (QVariantList{"1 cup", 240.0, 48.0}));
        // Marking the serving the food already has changes nothing in it.
        dropApplesWithDialog([](ServingsDialog* d) { d->rbPreffered->setChecked(true); });
        QCOMPARE(f->test.rows(food).value(0), (QVariantList{"1 cup", 2, 240.0, 24.0, 120.0, 24.0}));
        QCOMPARE(f->dietRow(f->lastDietId(), "Fat"), QVariantList{24.0});
    }

    void aFoodThatCannotTakeTheServingGetsNoEntry()
    {
        f->test.exec("CREATE TRIGGER refuse BEFORE UPDATE ON FoodItem BEGIN SELECT RAISE(ABORT, 'no'); END");
        const QList<QVariantList> food = f->test.rows("SELECT * FROM FoodItem WHERE FoodId = 9003");
        dropApplesWithDialog([](ServingsDialog* d) {
            d->cmbServSize->setCurrentText("1 cup");
            d->rbPreffered->setChecked(true);
        });
        QCOMPARE(f->prompts().texts(), QStringList{f->supportError()});
        QCOMPARE(f->test.rows("SELECT * FROM FoodItem WHERE FoodId = 9003"), food);
        QCOMPARE(f->dietCount(), 2);
        QCOMPARE(f->ds().rsFoods.editMode(), Recordset::EditMode::None);
    }

    void unopenedDayIsLoadedAndGetsTheEntryOnce_data()
    {
        QTest::addColumn<bool>("onTheDay"); // else on empty space with the day picked
        QTest::newRow("dropped on the day") << true;
        QTest::newRow("dropped on empty space") << false;
    }
    void unopenedDayIsLoadedAndGetsTheEntryOnce()
    {
        QFETCH(bool, onTheDay);
        QTreeWidgetItem* day = f->node("DT20030514");
        QCOMPARE(day->childCount(), 0);
        f->main().dtDatePick->setDate(kMay14);
        f->dropFood(Apples, FruitGroup, onTheDay ? day : nullptr);
        QCOMPARE(f->captions("DT20030514"), (QStringList{"Apple", "Apples, raw", "Lunch"}));
        QCOMPARE(f->tree()->selectedNode(), f->node(f->entry(f->lastDietId())));
        f->tree()->selectNode(day);
        f->diet().dietDoubleClick(); // opening the day again reads nothing more
        QCOMPARE(f->tree()->nodeCount(), 5);
    }

    void duplicateMealLabelsLogToTheFirstMeal()
    {
        f->test.exec("UPDATE CONFIG SET ConfigValue = 'Lunch' WHERE ConfigItem = 'MEAL3'");
        dropApplesWithDialog([](ServingsDialog* d) { d->cmbMeal->setCurrentIndex(4); }, "");
        QCOMPARE(f->dietRow(f->lastDietId(), "MealName"), QVariantList{"MEAL1"});
    }

    void aFailedStoreLeavesNoRowAndNoNode()
    {
        f->test.exec("CREATE TRIGGER refuse BEFORE INSERT ON DietActivity BEGIN SELECT RAISE(ABORT, 'no'); END");
        QTreeWidgetItem* meal = target("MLMEAL1DT20030514");
        const int nodes = f->tree()->nodeCount();
        f->dropFood(Apples, FruitGroup, meal);
        f->main().dtDatePick->setDate(QDate(2010, 1, 1));
        f->dropFood(Apples, FruitGroup, nullptr);
        QCOMPARE(f->prompts().texts(), (QStringList{f->supportError(), f->supportError()}));
        QCOMPARE(f->prompts().last().title, QString("Application Error"));
        QCOMPARE(f->prompts().last().icon, PromptIcon::Critical);
        QCOMPARE(f->dietCount(), 2);
        QCOMPARE(f->tree()->nodeCount(), nodes);
        QCOMPARE(f->ds().rsDietData.recordCount(), 2);
        // The program goes on: once the table takes rows again, the next drop is stored.
        f->test.exec("DROP TRIGGER refuse");
        f->dropFood(Apples, FruitGroup, nullptr);
        QCOMPARE(f->dietCount(), 3);
    }

    void noKeyIsFatal()
    {
        f->test.exec("DELETE FROM TableKey WHERE KeyName = 'DIETACTIVITY'");
        f->dropFood(Apples, FruitGroup, nullptr);
        QCOMPARE(f->prompts().texts(), QStringList{"Unable to update Table Key Data.  " + f->ctx().supportMessage});
        QCOMPARE(f->test.shutDowns, 1);
    }

    void theTreesDropRunsOnceTheDragIsOver()
    {
        const QString text = f->dragFrom(f->main().tvwFood, f->foodNode(Apples, FruitGroup));
        f->diet().drop(f->tree(), f->node("DT20030514"), text);
        QCOMPARE(f->dietCount(), 2);
        QTRY_COMPARE(f->dietCount(), 3);
        QCOMPARE(f->dietRow(f->lastDietId(), "DietDate"), QVariantList{"2003-05-14"});
    }
};

QTEST_MAIN(DietAddTest)
#include "tst_dietadd.moc"
