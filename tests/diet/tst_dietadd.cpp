#include "dietfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QSqlQuery>

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

} // namespace

// Adding food to the diet: the drops on the tree with either button, the
// servings dialog, the scaling of the nutrients and the failures.
class DietAddTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DietFixture> f;
    qint32 egg = 0, apple = 0;

    // The drop targets by name: "nothing", "day", "entry under day", "entry under meal", "meal".
    QTreeWidgetItem* target(const QString& name)
    {
        f->diet().loadDietDay(kMay14);
        if (name == "day")
            return f->node("DT20030514");
        if (name == "entry under day")
            return f->node(QStringLiteral("D%1").arg(apple));
        if (name == "entry under meal")
            return f->node(QStringLiteral("D%1").arg(egg));
        if (name == "meal")
            return f->node("MLMEAL1DT20030514");
        return nullptr;
    }

private slots:
    void init()
    {
        f = std::make_unique<DietFixture>();
        egg = f->test.addDietRow("USER1", kMay14, "MEAL1", "Egg");
        apple = f->test.addDietRow("USER1", kMay14, "", "Apple");
        f->loadShown();
        f->main().dtDatePick->setDate(kPicked);
        f->main().cmbMeal->setCurrentText("Dinner");
    }
    void cleanup() { f.reset(); }

    void leftDropTakesDayAndMealFromTheTarget_data()
    {
        QTest::addColumn<QString>("targetName");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("meal");
        QTest::newRow("empty space") << "nothing" << kPicked << "";
        QTest::newRow("day") << "day" << kMay14 << "";
        QTest::newRow("entry under its day") << "entry under day" << kMay14 << "";
        QTest::newRow("entry under a meal") << "entry under meal" << kMay14 << "MEAL1";
        QTest::newRow("meal") << "meal" << kMay14 << "MEAL1";
    }
    void leftDropTakesDayAndMealFromTheTarget()
    {
        QFETCH(QString, targetName);
        QFETCH(QDate, date);
        QFETCH(QString, meal);
        QTreeWidgetItem* to = target(targetName);
        f->tree()->setDropHighlight(to);
        f->dropFood(Apples, FruitGroup, to);
        const qint32 id = f->lastDietId();
        QVERIFY(id > apple);
        QCOMPARE(f->dietRow(id, "UserName, DietDate, MealName, FoodName, GroupName, NumServings, ServingSize, "
                                "USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT, Fat, Protein, Carbohydrate, Calorie, "
                                "Sodium, Cholesterol, Other1, Other2"),
                 (QVariantList{"USER1", date.toString(Qt::ISODate), meal, "Apples, raw", "Fruits and Fruit Juices",
                               1.0, "100 g", 9003, 3, 100.0, 10.0, 1.0, 20.0, 50.0, 1.0, 0.0, 2.0, 10.0}));
        QTreeWidgetItem* entry = f->node(QStringLiteral("D%1").arg(id));
        QVERIFY(entry);
        QCOMPARE(f->tree()->selectedNode(), entry);
        const QString parentKey = meal.isEmpty() ? QStringLiteral("DT") + date.toString("yyyyMMdd")
                                                 : QStringLiteral("ML") + meal + "DT" + date.toString("yyyyMMdd");
        QCOMPARE(NodeTree::key(entry->parent()), parentKey);
        QCOMPARE(f->tree()->dropHighlight(), nullptr);
        QVERIFY(!f->state().popupPending);
        // rsDietData stands on the new row.
        QCOMPARE(f->ds().rsDietData.integer("DietId"), id);
    }

    void rightDropOffersTheTargetsDayAndMeal_data()
    {
        QTest::addColumn<QString>("targetName");
        QTest::addColumn<QString>("mainMeal"); // chosen in the main window
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("mealLabel");
        QTest::newRow("empty space") << "nothing" << "Dinner" << kPicked << "Select a Meal";
        QTest::newRow("day") << "day" << "Dinner" << kMay14 << "Dinner";
        QTest::newRow("day, no meal chosen") << "day" << "Select a Meal" << kMay14 << "Select a Meal";
        QTest::newRow("entry under its day") << "entry under day" << "Dinner" << kMay14 << "Dinner";
        QTest::newRow("entry under a meal") << "entry under meal" << "Dinner" << kMay14 << "Lunch";
        QTest::newRow("meal") << "meal" << "Dinner" << kMay14 << "Lunch";
    }
    void rightDropOffersTheTargetsDayAndMeal()
    {
        QFETCH(QString, targetName);
        QFETCH(QString, mainMeal);
        QFETCH(QDate, date);
        QFETCH(QString, mealLabel);
        f->main().cmbMeal->setCurrentText(mainMeal);
        QTreeWidgetItem* to = target(targetName);
        const int rows = f->dietCount();
        bool shown = false;
        whenServings(
            [&](ServingsDialog* d) {
                shown = true;
                QCOMPARE(d->windowTitle(), QString("Diet Information - Apples, raw"));
                QCOMPARE(d->dtDate->date(), date);
                QCOMPARE(d->cmbMeal->currentText(), mealLabel);
                QCOMPARE(comboItems(d->cmbMeal), (QStringList{"Select a Meal", "Breakfast", "Lunch", "Dinner", "Snack"}));
                QCOMPARE(d->cmbServings->count(), 39);
                QCOMPARE(d->cmbServings->itemText(0), QString("0.25"));
                QCOMPARE(d->cmbServings->itemText(3), QString("1.00"));
                QCOMPARE(d->cmbServings->itemText(38), QString("9.75"));
                QCOMPARE(d->cmbServings->currentText(), QString("1.00"));
                // The measures in gram order, the food's own chosen.
                QCOMPARE(comboItems(d->cmbServSize), (QStringList{"1 small bite", "1 oz", "100 g", "1 cup"}));
                QCOMPARE(d->cmbServSize->currentText(), QString("100 g"));
                QVERIFY(!d->rbPreffered->isChecked());
                QVERIFY(d->rbPreffered->isVisibleTo(d));
            },
            false);
        f->dropFood(Apples, FruitGroup, to, Qt::RightButton);
        QVERIFY(shown);
        QCOMPARE(f->dietCount(), rows); // cancelled
        QVERIFY(!f->state().popupPending);
        QCOMPARE(f->ds().rsMeasures.isOpen(), false);
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
        QTest::newRow("28.35 g used and stored as 28") << int(Apples) << int(FruitGroup) << "1.00" << "1 oz" << 28.0
                                                        << 2.8 << "1 oz";
        QTest::newRow("under half a gram: 0, ratio 1")
            << int(Apples) << int(FruitGroup) << "1" << "1 small bite" << 0.0 << 10.0 << "1 small bite";
        QTest::newRow("0 servings pass") << int(Apples) << int(FruitGroup) << "0" << "100 g" << 100.0 << 0.0 << "100 g";
        QTest::newRow("-1 servings pass") << int(Apples) << int(FruitGroup) << "-1" << "100 g" << 100.0 << -10.0
                                          << "100 g";
        QTest::newRow("a user food without weight") << int(ApplePie) << int(MyFoodsGroup) << "3" << "" << 0.0 << 57.0
                                                     << "1 slice";
        QTest::newRow("the food's own 14.2 g serving") << int(Butter) << int(DairyGroup) << "1" << "1 tbsp" << 14.0
                                                        << 11.52 << "1 tbsp";
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
                QCOMPARE(d->cmbServSize->currentText(), servingSize);
                QVERIFY(!d->rbPreffered->isVisibleTo(d));
            } else {
                d->cmbServSize->setCurrentText(measure);
            }
            d->cmbServings->setEditText(servings);
            d->dtDate->setDate(QDate(2003, 7, 4));
            d->cmbMeal->setCurrentText("Snack");
        });
        f->dropFood(food, group, target("day"), Qt::RightButton);
        const qint32 id = f->lastDietId();
        QVERIFY(id > apple);
        const QVariantList row = f->dietRow(id, "NumServings, ServingSize, USDA_GM_WT, Fat, DietDate, MealName");
        QCOMPARE(row.value(0).toDouble(), servings.toDouble());
        QCOMPARE(row.value(1).toString(), servingSize);
        QCOMPARE(row.value(2).toDouble(), grams);
        QCOMPARE(row.value(3).toDouble(), fat);
        QCOMPARE(row.value(4).toString(), QString("2003-07-04"));
        QCOMPARE(row.value(5).toString(), QString("MEAL3"));
        QCOMPARE(NodeTree::key(f->tree()->selectedNode()), QStringLiteral("D%1").arg(id));
        QCOMPARE(NodeTree::key(f->tree()->selectedNode()->parent()), QString("MLMEAL3DT20030704"));
    }

    void refusedInputsKeepTheDialogOpen()
    {
        QStringList refused;
        whenServings([&](ServingsDialog* d) {
            for (const char* text : {"inf", "nan", "1,5,3", "", "   ", "two"}) {
                f->prompts().clear();
                d->cmbServings->setEditText(text);
                d->OKButton->click();
                if (d->isVisible() && f->prompts().count() == 1)
                    refused << text;
                QCOMPARE(f->prompts().last().text, QString("Number of Servings must be numeric."));
                QCOMPARE(f->prompts().last().icon, PromptIcon::Exclamation);
                QCOMPARE(f->prompts().last().title, QString("Corvane's Foodlark"));
            }
            d->cmbServings->setEditText("2");
            d->cmbServSize->setCurrentIndex(-1);
            f->prompts().clear();
            d->OKButton->click();
            QVERIFY(d->isVisible());
            QCOMPARE(f->prompts().texts(), QStringList{"You must select an existing Serving Size."});
            d->cmbServSize->setCurrentIndex(2);
            // Enter in the servings box is OK.
            QTest::keyClick(d->cmbServings->lineEdit(), Qt::Key_Return);
            QVERIFY(!d->isVisible());
        });
        const int rows = f->dietCount();
        f->dropFood(Apples, FruitGroup, target("meal"), Qt::RightButton);
        QCOMPARE(refused.size(), 6);
        QCOMPARE(f->dietCount(), rows + 1);
        QCOMPARE(f->dietRow(f->lastDietId(), "NumServings, Fat"), (QVariantList{2.0, 20.0}));
    }

    void markPreferredRescalesTheFoodFirst()
    {
        whenServings([](ServingsDialog* d) {
            d->cmbServSize->setCurrentText("1 cup");
            d->rbPreffered->setChecked(true);
            d->cmbServings->setEditText("2");
        });
        f->dropFood(Apples, FruitGroup, target("day"), Qt::RightButton);
        const QString foodColumns = "ServingSize, USDA_MSRE_NO, USDA_GM_WT, Fat, Protein, Carbohydrate, Calorie, "
                                    "Sodium, Cholesterol, Other1, Other2";
        const QVariantList food =
            f->test.rows("SELECT " + foodColumns + " FROM FoodItem WHERE FoodId = ?", {int(Apples)}).value(0);
        QCOMPARE(food, (QVariantList{"1 cup", 2, 240.0, 24.0, 2.4, 48.0, 120.0, 2.4, 0.0, 4.8, 24.0}));
        // The entry is 2 servings of the food's new serving: ratio 1.
        QCOMPARE(f->dietRow(f->lastDietId(), "ServingSize, USDA_GM_WT, Fat, Calorie"),
                 (QVariantList{"1 cup", 240.0, 48.0, 240.0}));

        // Marking the serving the food already has changes nothing in it.
        whenServings([](ServingsDialog* d) {
            QCOMPARE(d->cmbServSize->currentText(), QString("1 cup"));
            d->rbPreffered->setChecked(true);
        });
        f->dropFood(Apples, FruitGroup, target("day"), Qt::RightButton);
        QCOMPARE(f->test.rows("SELECT " + foodColumns + " FROM FoodItem WHERE FoodId = ?", {int(Apples)}).value(0), food);
        QCOMPARE(f->dietRow(f->lastDietId(), "Fat"), QVariantList{24.0});
    }

    void aFoodThatCannotTakeTheServingGetsNoEntry()
    {
        f->test.exec("CREATE TRIGGER refuse BEFORE UPDATE ON FoodItem BEGIN SELECT RAISE(ABORT, 'no'); END");
        const QList<QVariantList> food = f->test.rows("SELECT * FROM FoodItem WHERE FoodId = ?", {int(Apples)});
        const int rows = f->dietCount();
        whenServings([](ServingsDialog* d) {
            d->cmbServSize->setCurrentText("1 cup");
            d->rbPreffered->setChecked(true);
        });
        f->dropFood(Apples, FruitGroup, target("day"), Qt::RightButton);
        QCOMPARE(f->prompts().texts(), QStringList{"Unable to update Diet Data.  " + f->ctx().supportMessage});
        QCOMPARE(f->test.rows("SELECT * FROM FoodItem WHERE FoodId = ?", {int(Apples)}), food);
        QCOMPARE(f->dietCount(), rows);
        QVERIFY(!f->ds().rsMeasures.isOpen());
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
        const QString key = QStringLiteral("D%1").arg(f->lastDietId());
        QCOMPARE(f->childCaptions(day), (QStringList{"Apple", "Apples, raw", "Lunch"}));
        QCOMPARE(f->tree()->selectedNode(), f->node(key));
        // Opening the day again reads nothing more.
        f->tree()->selectNode(day);
        f->diet().dietDoubleClick();
        QCOMPARE(f->tree()->nodeCount(), 5);
    }

    void duplicateMealLabelsLogToTheFirstMeal()
    {
        f->test.exec("UPDATE CONFIG SET ConfigValue = 'Lunch' WHERE ConfigItem = 'MEAL3'");
        whenServings([](ServingsDialog* d) {
            QCOMPARE(comboItems(d->cmbMeal), (QStringList{"Select a Meal", "Breakfast", "Lunch", "Dinner", "Lunch"}));
            d->cmbMeal->setCurrentIndex(4);
        });
        f->dropFood(Apples, FruitGroup, nullptr, Qt::RightButton);
        QCOMPARE(f->dietRow(f->lastDietId(), "MealName"), QVariantList{"MEAL1"});
    }

    void aFailedStoreLeavesNoRowAndNoNode()
    {
        f->diet().loadDietDay(kMay14);
        f->test.exec("CREATE TRIGGER refuse BEFORE INSERT ON DietActivity BEGIN SELECT RAISE(ABORT, 'refused'); END");
        const int nodes = f->tree()->nodeCount();
        const int rows = f->dietCount();
        f->dropFood(Apples, FruitGroup, target("meal"));
        f->main().dtDatePick->setDate(QDate(2010, 1, 1));
        f->dropFood(Apples, FruitGroup, nullptr);
        QCOMPARE(f->prompts().count(), 2);
        QCOMPARE(f->prompts().last().text, "Unable to update Diet Data.  " + f->ctx().supportMessage);
        QCOMPARE(f->prompts().last().title, QString("Application Error"));
        QCOMPARE(f->prompts().last().icon, PromptIcon::Critical);
        QCOMPARE(f->dietCount(), rows);
        QCOMPARE(f->tree()->nodeCount(), nodes);
        QCOMPARE(f->ds().rsDietData.recordCount(), rows);
        QCOMPARE(f->test.shutDowns, 0);
        // The program goes on: once the table takes rows again, the next drop is stored.
        f->test.exec("DROP TRIGGER refuse");
        f->dropFood(Apples, FruitGroup, nullptr);
        QCOMPARE(f->dietCount(), rows + 1);
    }

    void noKeyNoRow()
    {
        f->test.exec("DELETE FROM TableKey WHERE KeyName = 'DIETACTIVITY'");
        const int rows = f->dietCount();
        f->dropFood(Apples, FruitGroup, nullptr);
        QCOMPARE(f->prompts().texts(), QStringList{"Unable to update Table Key Data.  " + f->ctx().supportMessage});
        // The failure is fatal: the program has ended and closed the file; nothing was added to it.
        QCOMPARE(f->test.shutDowns, 1);
        QVERIFY(!f->ds().isConnected());
        int stored = -1;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
            db.setDatabaseName(f->test.folder.dbPath());
            QVERIFY(db.open());
            QSqlQuery query("SELECT count(*) FROM DietActivity", db);
            QVERIFY(query.next());
            stored = query.value(0).toInt();
        }
        QSqlDatabase::removeDatabase("check");
        QCOMPARE(stored, rows);
    }

    void theTreesDropRunsOnceTheDragIsOver()
    {
        QTreeWidgetItem* day = f->node("DT20030514");
        const QString text = f->dragFrom(f->main().tvwFood, f->foodNode(Apples, FruitGroup));
        const int rows = f->dietCount();
        f->diet().drop(f->tree(), day, text);
        QCOMPARE(f->dietCount(), rows);
        QTRY_COMPARE(f->dietCount(), rows + 1);
        QCOMPARE(f->dietRow(f->lastDietId(), "DietDate"), QVariantList{"2003-05-14"});
    }
};

QTEST_MAIN(DietAddTest)
#include "tst_dietadd.moc"
