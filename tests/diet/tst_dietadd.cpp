#include "dietfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>

using namespace Fixture;

namespace {

const QString kLunch14 = "MLMEAL1DT20030514";

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
        QTest::addColumn<QString>("on");       // "" for empty space
        QTest::addColumn<QString>("mainMeal"); // chosen in the main window
        QTest::addColumn<QString>("offered");  // the right-button drop's meal
        QTest::addColumn<QString>("parent");   // of the left-button drop's entry
        textRow("empty space", {"", "Dinner", "Select a Meal", "DT20030601"});
        textRow("day", {"DT20030514", "Dinner", "Dinner", "DT20030514"});
        textRow("entry under its day", {"D2", "Dinner", "Dinner", "DT20030514"});
        textRow("entry under a meal", {"D1", "Dinner", "Lunch", kLunch14});
        textRow("meal", {kLunch14, "Dinner", "Lunch", kLunch14});
    }
    void dropsTakeDayAndMealFromTheTarget()
    {
        QFETCH(QString, on);
        QFETCH(QString, mainMeal);
        QFETCH(QString, offered);
        QFETCH(QString, parent);
        f->main().cmbMeal->setCurrentText(mainMeal);
        const QVariantList place = DietFixture::placeOf(parent);
        QString shown;
        whenServings(
            [&](ServingsDialog* d) {
                shown = d->dtDate->date().toString(Qt::ISODate) + " " + d->cmbMeal->currentText();
            },
            false);
        f->dropFood(Apples, FruitGroup, target(on), Qt::RightButton);
        QCOMPARE(shown, place[0].toString() + " " + offered);
        QCOMPARE(f->dietCount(), 2); // cancelled
        f->dropFood(Apples, FruitGroup, target(on));
        const qint32 id = f->lastDietId();
        // One serving of the food's own serving is exactly the food; no meal is "", not Null.
        QCOMPARE(f->dietRow(id, "UserName, DietDate, MealName, typeof(MealName), FoodName, GroupName, "
                                "NumServings, ServingSize, USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT, " +
                                    kNutrients),
                 (QVariantList{"USER1", place[0], place[1], "text", "Apples, raw", "Fruits and Fruit Juices",
                               1.0, "100 g", 9003, 3, 100.0, 10.0, 1.0, 20.0, 50.0, 1.0, 0.0, 2.0, 10.0}));
        QCOMPARE(f->parentKey(f->entry(id)), parent);
        QCOMPARE(f->selectedKey(), f->entry(id));
    }

    void theDialogOffersTheFoodsServingsAndRefusesBadInput()
    {
        dropWithDialog(Apples, FruitGroup, [&](ServingsDialog* d) {
            QCOMPARE(d->windowTitle(), QString("Diet Information - Apples, raw"));
            QCOMPARE(comboItems(d->cmbMeal),
                     (QStringList{"Select a Meal", "Breakfast", "Lunch", "Dinner", "Snack"}));
            // The measures in gram order, the food's own chosen.
            QCOMPARE(comboItems(d->cmbServSize), (QStringList{"1 small bite", "1 oz", "100 g", "1 cup"}));
            QCOMPARE(d->cmbServSize->currentText(), QString("100 g"));
            QVERIFY(!d->rbPreffered->isChecked());
            // Not numbers, and numbers no one eats (nutrients beyond any amount).
            for (const char* text : {"inf", "nan", "1,5,3", "", "   ", "1e300", "2000000", "-1e9"}) {
                d->cmbServings->setEditText(text);
                d->OKButton->click();
            }
            d->cmbServings->setEditText("2");
            d->cmbServSize->setCurrentIndex(-1);
            d->OKButton->click();
            QVERIFY(d->isVisible());
            d->cmbServSize->setCurrentIndex(2);
            QTest::keyClick(d->cmbServings->lineEdit(), Qt::Key_Return); // Enter in the servings box is OK
            QVERIFY(!d->isVisible());
        });
        auto exclamation = [](const char* text) {
            return Prompt{PromptIcon::Exclamation, PromptButtons::Ok, "Corvane's Foodlark", text};
        };
        QCOMPARE(f->prompts().shown(), QList<Prompt>(8, exclamation("Number of Servings must be numeric."))
                                           << exclamation("You must select an existing Serving Size."));
        QCOMPARE(f->dietRow(f->lastDietId(), "NumServings, Fat"), (QVariantList{2.0, 20.0}));
    }

    void markPreferredRescalesTheFoodFirst()
    {
        dropWithDialog(Apples, FruitGroup, [](ServingsDialog* d) {
            d->cmbServSize->setCurrentText("1 oz");
            d->rbPreffered->setChecked(true);
            d->cmbServings->setEditText("2");
            d->dtDate->setDate(QDate(2003, 7, 4));
            d->cmbMeal->setCurrentText("Snack");
        });
        const QString food = "SELECT ServingSize, USDA_MSRE_NO, USDA_GM_WT, round(Fat, 9), round(Other2, 9) "
                             "FROM FoodItem WHERE FoodId = 9003";
        QCOMPARE(f->test.rows(food).value(0), (QVariantList{"1 oz", 1, 28.35, 2.835, 2.835}));
        // The entry is 2 servings of the food's new serving: ratio 1.
        QCOMPARE(f->dietRow(f->lastDietId(), "ServingSize, USDA_GM_WT, round(Fat, 9)"),
                 (QVariantList{"1 oz", 28.35, 5.67}));
        QCOMPARE(f->parentKey(f->entry(f->lastDietId())), QString("MLMEAL3DT20030704"));
        // Marking the serving the food already has changes nothing in it.
        dropWithDialog(Apples, FruitGroup, [](ServingsDialog* d) { d->rbPreffered->setChecked(true); });
        QCOMPARE(f->test.rows(food).value(0), (QVariantList{"1 oz", 1, 28.35, 2.835, 2.835}));
        QCOMPARE(f->dietRow(f->lastDietId(), "round(Fat, 9)"), QVariantList{2.835});
    }

    void unopenedDayIsLoadedAndGetsTheEntryOnce_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how :
             {"dropped on the day", "dropped on empty space", "double-clicked in the food tree"})
            QTest::newRow(how) << QString(how);
    }
    void unopenedDayIsLoadedAndGetsTheEntryOnce()
    {
        QFETCH(QString, how);
        f->main().dtDatePick->setDate(kMay14);
        f->main().cmbMeal->setCurrentIndex(0);
        const QModelIndex day = f->node("DT20030514");
        QCOMPARE(f->model().rowCount(day), 0);
        if (how.startsWith("double"))
            f->main().foodTree().foodDoubleClick(f->foodNode(Apples, FruitGroup));
        else
            f->dropFood(Apples, FruitGroup, how.endsWith("day") ? day : QModelIndex());
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
        // A row the table refuses leaves no node, not even a new day's.
        f->test.exec(
            "CREATE TRIGGER refuse BEFORE INSERT ON DietActivity BEGIN SELECT RAISE(ABORT, 'no'); END");
        const int nodes = f->nodeCount();
        f->dropFood(Apples, FruitGroup, f->node(kLunch14));
        f->main().dtDatePick->setDate(QDate(2010, 1, 1));
        f->dropFood(Apples, FruitGroup, QModelIndex());
        QCOMPARE(f->prompts().shown(), QList<Prompt>(3, applicationError("Unable to update Diet Data.  ")));
        QCOMPARE(f->dietCount(), 2);
        QCOMPARE(f->nodeCount(), nodes);
        QCOMPARE(f->test.shutDowns, 0);
        // Without a key for the row the failure is fatal.
        f->test.exec("DELETE FROM TableKey WHERE KeyName = 'DIETACTIVITY'");
        f->dropFood(Apples, FruitGroup, QModelIndex());
        QCOMPARE(f->prompts().last(), applicationError("Unable to update Table Key Data.  "));
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
