#include "dietfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>

using namespace Fixture;

namespace {

const QDate kMay14(2003, 5, 14);
const QString kNutrients = "Fat, Protein, Carbohydrate, Calorie, Sodium, Cholesterol, Other1, Other2";

QStringList comboItems(QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

} // namespace

// Adding food to the diet: the drops on the tree with either button, the
// servings dialog, the scaling of the nutrients and the failures.
class DietAddTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DietFixture> f;

    QModelIndex target(const QString& key)
    {
        f->diet().loadDietDay(kMay14);
        return key.isEmpty() ? QModelIndex() : f->node(key);
    }
    void dropWithDialog(int food, int group, const std::function<void(ServingsDialog*)>& fill,
                        const QString& on = "DT20030514")
    {
        whenServings(fill);
        f->dropFood(food, group, target(on), Qt::RightButton);
    }

private slots:
    void init()
    {
        f = std::make_unique<DietFixture>();
        f->test.addDietRow("USER1", kMay14, "MEAL1", "Egg");
        f->test.addDietRow("USER1", kMay14, "", "Apple");
        f->loadShown();
        f->main().dtDatePick->setDate(QDate(2003, 6, 1));
        f->main().cmbMeal->setCurrentText("Dinner");
    }
    void cleanup() { f.reset(); }

    void dropsTakeDayAndMealFromTheTarget_data()
    {
        QTest::addColumn<QString>("on");
        QTest::addColumn<QString>("mainMeal"); // chosen in the main window
        QTest::addColumn<QString>("offered");  // the right-button drop's meal
        QTest::addColumn<QString>("parent");   // of the left-button drop's entry
        QTest::newRow("empty space") << ""
                                     << "Dinner"
                                     << "Select a Meal"
                                     << "DT20030601";
        QTest::newRow("day") << "DT20030514"
                             << "Dinner"
                             << "Dinner"
                             << "DT20030514";
        QTest::newRow("day, no meal chosen") << "DT20030514"
                                             << "Select a Meal"
                                             << "Select a Meal"
                                             << "DT20030514";
        QTest::newRow("entry under its day") << "D2"
                                             << "Dinner"
                                             << "Dinner"
                                             << "DT20030514";
        QTest::newRow("entry under a meal") << "D1"
                                            << "Dinner"
                                            << "Lunch"
                                            << "MLMEAL1DT20030514";
        QTest::newRow("meal") << "MLMEAL1DT20030514"
                              << "Dinner"
                              << "Lunch"
                              << "MLMEAL1DT20030514";
    }
    void dropsTakeDayAndMealFromTheTarget()
    {
        QFETCH(QString, on);
        QFETCH(QString, mainMeal);
        QFETCH(QString, offered);
        QFETCH(QString, parent);
        f->main().cmbMeal->setCurrentText(mainMeal);
        const QDate date = QDate::fromString(parent.right(8), "yyyyMMdd");
        QString shown;
        whenServings(
            [&](ServingsDialog* d) {
                shown = d->dtDate->date().toString("yyyyMMdd ") + d->cmbMeal->currentText();
            },
            false);
        f->dropFood(Apples, FruitGroup, target(on), Qt::RightButton);
        QCOMPARE(shown, date.toString("yyyyMMdd ") + offered);
        QCOMPARE(f->dietCount(), 2); // cancelled
        QVERIFY(!f->ds().rsMeasures.isOpen());

        f->tree()->setDropHighlight(target(on));
        f->dropFood(Apples, FruitGroup, target(on));
        const qint32 id = f->lastDietId();
        // One serving of the food's own serving is exactly the food; no meal is "", not Null.
        QCOMPARE(f->dietRow(id,
                            "UserName, DietDate, MealName, FoodName, GroupName, NumServings, ServingSize, "
                            "USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT, Fat, Other2, typeof(MealName)"),
                 (QVariantList{"USER1", date.toString(Qt::ISODate),
                               parent.startsWith("ML") ? parent.mid(2, 5) : "", "Apples, raw",
                               "Fruits and Fruit Juices", 1.0, "100 g", 9003, 3, 100.0, 10.0, 10.0, "text"}));
        QCOMPARE(f->parentKey(f->entry(id)), parent);
        QCOMPARE(f->selectedKey(), f->entry(id));
        QCOMPARE(f->ds().rsDietData.integer("DietId"), id);
        QCOMPARE(f->tree()->dropHighlight(), QModelIndex());
    }

    void rightDropScalesByServingsAndMeasure_data()
    {
        QTest::addColumn<int>("food");
        QTest::addColumn<int>("group");
        QTest::addColumn<QString>("servings");
        QTest::addColumn<QString>("measure"); // "" for a food without measures
        QTest::addColumn<double>("grams");
        QTest::addColumn<double>("fat");
        QTest::newRow("2.5 cups of a 100 g serving: 6 times") << int(Apples) << int(FruitGroup) << "2.50"
                                                              << "1 cup" << 240.0 << 60.0;
        // The measure's weight exactly as listed, not rounded to whole grams.
        QTest::newRow("1 oz of 28.35 g") << int(Apples) << int(FruitGroup) << "1.00"
                                         << "1 oz" << 28.35 << 2.835;
        QTest::newRow("-1 servings pass") << int(Apples) << int(FruitGroup) << "-1"
                                          << "100 g" << 100.0 << -10.0;
        QTest::newRow("a user food without weight") << int(ApplePie) << int(MyFoodsGroup) << "3"
                                                    << "" << 0.0 << 57.0;
        QTest::newRow("a 13.8 g pat is not the 14.2 g serving") << int(Butter) << int(DairyGroup) << "1"
                                                                << "1 pat" << 13.8 << 11.52 * 13.8 / 14.2;
    }
    void rightDropScalesByServingsAndMeasure()
    {
        QFETCH(int, food);
        QFETCH(int, group);
        QFETCH(QString, servings);
        QFETCH(QString, measure);
        QFETCH(double, grams);
        QFETCH(double, fat);
        f->test.exec("INSERT INTO USDA_Measures VALUES (1001, 4, '1 pat', 13.8)");
        dropWithDialog(food, group, [&](ServingsDialog* d) {
            // Without measures: the food's serving, locked, and nothing to mark.
            QCOMPARE(d->cmbServSize->isEditable() && d->cmbServSize->lineEdit()->isReadOnly(),
                     measure.isEmpty());
            QCOMPARE(d->rbPreffered->isVisibleTo(d), !measure.isEmpty());
            if (!measure.isEmpty())
                d->cmbServSize->setCurrentText(measure);
            d->cmbServings->setEditText(servings);
            d->dtDate->setDate(QDate(2003, 7, 4));
            d->cmbMeal->setCurrentText("Snack");
        });
        const qint32 id = f->lastDietId();
        QCOMPARE(f->dietRow(id, "NumServings, ServingSize, USDA_GM_WT"),
                 (QVariantList{servings.toDouble(), measure.isEmpty() ? "1 slice" : measure, grams}));
        QCOMPARE(f->dietRow(id, "Fat").value(0).toDouble(), fat);
        QCOMPARE(f->parentKey(f->entry(id)), QString("MLMEAL3DT20030704"));
        // Editing it without a change leaves every value exactly as it was.
        const QVariantList logged = f->dietRow(id, "*");
        f->select(f->entry(id));
        whenServings(nullptr);
        f->diet().editDietEntry();
        QCOMPARE(f->dietRow(id, "*"), logged);
    }

    void theDialogOffersTheFoodsServingsAndRefusesBadInput()
    {
        QStringList refused;
        dropWithDialog(Apples, FruitGroup, [&](ServingsDialog* d) {
            QCOMPARE(d->windowTitle(), QString("Diet Information - Apples, raw"));
            QCOMPARE(comboItems(d->cmbMeal),
                     (QStringList{"Select a Meal", "Breakfast", "Lunch", "Dinner", "Snack"}));
            QCOMPARE(d->cmbServings->count(), 39);
            QCOMPARE(d->cmbServings->itemText(0) + " " + d->cmbServings->itemText(38), QString("0.25 9.75"));
            QCOMPARE(d->cmbServings->currentText(), QString("1.00"));
            // The measures in gram order, the food's own chosen.
            QCOMPARE(comboItems(d->cmbServSize), (QStringList{"1 small bite", "1 oz", "100 g", "1 cup"}));
            QCOMPARE(d->cmbServSize->currentText(), QString("100 g"));
            QVERIFY(!d->rbPreffered->isChecked());
            // Not numbers, and numbers no one eats (nutrients beyond any amount).
            for (const char* text : {"inf", "nan", "1,5,3", "", "   ", "1e300", "2000000", "-1e9"}) {
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
        QCOMPARE(refused.size(), 8);
        QCOMPARE(f->prompts().texts().first(), QString("Number of Servings must be numeric."));
        QCOMPARE(f->prompts().texts().count("Number of Servings must be numeric."), 8);
        QCOMPARE(f->prompts().shown().first().title, QString("Corvane's Foodlark"));
        QCOMPARE(f->prompts().shown().first().icon, PromptIcon::Exclamation);
        QCOMPARE(f->prompts().texts().last(), QString("You must select an existing Serving Size."));
        QCOMPARE(f->dietRow(f->lastDietId(), "NumServings, Fat"), (QVariantList{2.0, 20.0}));
    }

    void markPreferredRescalesTheFoodFirst()
    {
        dropWithDialog(Apples, FruitGroup, [](ServingsDialog* d) {
            d->cmbServSize->setCurrentText("1 oz");
            d->rbPreffered->setChecked(true);
            d->cmbServings->setEditText("2");
        });
        const QString food = "SELECT ServingSize, USDA_MSRE_NO, USDA_GM_WT, round(Fat, 9), round(Other2, 9) "
                             "FROM FoodItem WHERE FoodId = 9003";
        QCOMPARE(f->test.rows(food).value(0), (QVariantList{"1 oz", 1, 28.35, 2.835, 2.835}));
        // The entry is 2 servings of the food's new serving: ratio 1.
        QCOMPARE(f->dietRow(f->lastDietId(), "ServingSize, USDA_GM_WT, round(Fat, 9)"),
                 (QVariantList{"1 oz", 28.35, 5.67}));
        // Marking the serving the food already has changes nothing in it.
        dropWithDialog(Apples, FruitGroup, [](ServingsDialog* d) { d->rbPreffered->setChecked(true); });
        QCOMPARE(f->test.rows(food).value(0), (QVariantList{"1 oz", 1, 28.35, 2.835, 2.835}));
        QCOMPARE(f->dietRow(f->lastDietId(), "round(Fat, 9)"), QVariantList{2.835});
    }

    void unopenedDayIsLoadedAndGetsTheEntryOnce_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("dropped on the day") << "day";
        QTest::newRow("dropped on empty space") << "space";
        QTest::newRow("double-clicked in the food tree") << "double-click";
    }
    void unopenedDayIsLoadedAndGetsTheEntryOnce()
    {
        QFETCH(QString, how);
        f->main().dtDatePick->setDate(kMay14);
        f->main().cmbMeal->setCurrentIndex(0);
        const QModelIndex day = f->node("DT20030514");
        QCOMPARE(f->model().rowCount(day), 0);
        if (how == "double-click")
            f->main().foodTree().foodDoubleClick(f->foodNode(Apples, FruitGroup));
        else
            f->dropFood(Apples, FruitGroup, how == "day" ? day : QModelIndex());
        QCOMPARE(f->captions("DT20030514"), (QStringList{"Apple", "Apples, raw", "Lunch"}));
        QCOMPARE(f->selectedKey(), f->entry(f->lastDietId()));
        f->tree()->selectNode(day);
        f->diet().dietDoubleClick(); // opening the day again reads nothing more
        QCOMPARE(f->nodeCount(), 5);
    }

    void mealLabelsGiveTheKeyOfTheFirstMealSoNamed()
    {
        f->test.exec("UPDATE CONFIG SET ConfigValue = 'Lunch' WHERE ConfigItem = 'MEAL3'");
        f->test.exec(
            "UPDATE CONFIG SET ConfigValue = 'User 1' WHERE ConfigItem = 'MEAL2'"); // a user's name too
        for (int index : {4, 3})
            dropWithDialog(
                Apples, FruitGroup, [index](ServingsDialog* d) { d->cmbMeal->setCurrentIndex(index); }, "");
        QCOMPARE(f->test.rows("SELECT MealName FROM DietActivity WHERE DietId > 2"),
                 (QList<QVariantList>{{"MEAL1"}, {"MEAL2"}}));
    }

    void aDoubleClickedFoodGoesToThePickedDayAndMeal()
    {
        f->main().foodTree().foodDoubleClick(f->foodNode(Butter, DairyGroup));
        QCOMPARE(
            f->dietRow(f->lastDietId(), "DietDate, MealName, USDA_GM_WT, " + kNutrients),
            (QVariantList{"2003-06-01", "MEAL2", 14.2, 11.52, 0.12, 0.01, 101.8, 101.4, 30.5, 0.0, 0.01}));
    }

    void failedStoresLeaveNoRowAndNoNode()
    {
        // A food that cannot take the preferred serving gets no entry.
        f->test.exec(
            "CREATE TRIGGER refuse_food BEFORE UPDATE ON FoodItem BEGIN SELECT RAISE(ABORT, 'no'); END");
        const QList<QVariantList> food = f->test.rows("SELECT * FROM FoodItem WHERE FoodId = 9003");
        dropWithDialog(Apples, FruitGroup, [](ServingsDialog* d) {
            d->cmbServSize->setCurrentText("1 cup");
            d->rbPreffered->setChecked(true);
        });
        QCOMPARE(f->test.rows("SELECT * FROM FoodItem WHERE FoodId = 9003"), food);
        QCOMPARE(f->ds().rsFoods.editMode(), Recordset::EditMode::None);
        // A row the table refuses leaves no node, not even a new day's.
        f->test.exec(
            "CREATE TRIGGER refuse BEFORE INSERT ON DietActivity BEGIN SELECT RAISE(ABORT, 'no'); END");
        const int nodes = f->nodeCount();
        f->dropFood(Apples, FruitGroup, f->node("MLMEAL1DT20030514"));
        f->main().dtDatePick->setDate(QDate(2010, 1, 1));
        f->dropFood(Apples, FruitGroup, QModelIndex());
        QCOMPARE(f->prompts().texts(), QStringList(3, f->supportError()));
        QCOMPARE(f->prompts().last().title, QString("Application Error"));
        QCOMPARE(f->prompts().last().icon, PromptIcon::Critical);
        QCOMPARE(f->dietCount(), 2);
        QCOMPARE(f->nodeCount(), nodes);
        QCOMPARE(f->ds().rsDietData.recordCount(), 2);
        QCOMPARE(f->test.shutDowns, 0);
        // Without a key for the row the failure is fatal.
        f->test.exec("DELETE FROM TableKey WHERE KeyName = 'DIETACTIVITY'");
        f->dropFood(Apples, FruitGroup, QModelIndex());
        QCOMPARE(f->prompts().last().text, "Unable to update Table Key Data.  " + f->ctx().supportMessage);
        QCOMPARE(f->test.shutDowns, 1);
    }

    void theTreesDropRunsOnceTheDragIsOver()
    {
        const QString text = f->dragFood(Apples, FruitGroup);
        f->diet().drop(f->node("DT20030514"), text);
        QCOMPARE(f->dietCount(), 2);
        QTRY_COMPARE(f->dietCount(), 3);
        QCOMPARE(f->dietRow(f->lastDietId(), "DietDate"), QVariantList{"2003-05-14"});
    }
};

QTEST_MAIN(DietAddTest)
#include "tst_dietadd.moc"
