#include "dietfixture.h"

#include <QComboBox>
#include <QCheckBox>
#include <QDateEdit>

using namespace Fixture;

namespace {

const QDate kMay12(2003, 5, 12);
const QDate kMay14(2003, 5, 14);
const QDate kMay20(2003, 5, 20);
const QString kBreakfast14 = "MLMEAL0DT20030514";

} // namespace

// Changing logged entries: the edit through the servings dialog, the diet
// clipboard, deleting entries, meals and days, moving entries and meals by
// drag and drop, and what a failure leaves behind.
class DietEditTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DietFixture> f;

    // D1 Egg and D2 Toast at Breakfast on May 14, D3 Tea on May 12 without a
    // meal, D4 Soup alone at Dinner on May 20, D5 another user's at Breakfast on May 14.
    void seed(const QList<QDate>& openDays)
    {
        TestContext& t = f->test;
        t.addDietRow("USER1", kMay14, "MEAL0", "Egg", 1);
        t.addDietRow("USER1", kMay14, "MEAL0", "Toast", 2);
        t.addDietRow("USER1", kMay12, "", "Tea", 3);
        t.addDietRow("USER1", kMay20, "MEAL2", "Soup", 4);
        t.addDietRow("USER2", kMay14, "MEAL0", "Not mine", 5);
        f->reload(openDays);
    }
    void edit(const QString& key, const std::function<void(ServingsDialog*)>& fill)
    {
        f->select(key);
        whenServings(fill);
        f->diet().editDietEntry();
    }
    // Answers the next question, then returns every question asked.
    QStringList answered(PromptAnswer answer, const std::function<void()>& command)
    {
        f->prompts().clear();
        f->prompts().queue(answer);
        command();
        return f->prompts().texts();
    }

private slots:
    void init()
    {
        f = std::make_unique<DietFixture>();
        f->loadShown();
    }
    void cleanup() { f.reset(); }

    void twoHalfServingsOfTheSameFoodKeepEveryNutrient()
    {
        f->test.exec("INSERT INTO USDA_Measures VALUES (9003, 5, '1 half', 50)");
        const qint32 id = f->logApples(kMay14, "MEAL1");
        const QString nutrients = "Fat, Protein, Carbohydrate, Calorie, Sodium, Cholesterol, Other1, Other2";
        const QVariantList before = f->dietRow(id, nutrients);
        bool shown = false;
        whenServings([&](ServingsDialog* d) {
            shown = true;
            QCOMPARE(d->cmbServings->currentText(), QString("1"));
            QCOMPARE(d->cmbServSize->currentText(), QString("100 g"));
            QCOMPARE(d->cmbMeal->currentText(), QString("Lunch"));
            QVERIFY(!d->rbPreffered->isVisibleTo(d));
            d->cmbServings->setEditText("2");
            d->cmbServSize->setCurrentText("1 half");
        });
        f->doubleClick(f->node(f->entry(id)));
        QVERIFY(shown);
        QCOMPARE(f->dietRow(id, "NumServings, ServingSize, USDA_MSRE_NO, USDA_GM_WT, DietDate, MealName"),
                 (QVariantList{2.0, "1 half", 5, 50.0, "2003-05-14", "MEAL1"}));
        QCOMPARE(f->dietRow(id, nutrients), before);
        QCOMPARE(f->tree()->selectedNode(), f->node(f->entry(id)));
    }

    void servingsAndMeasuresScaleTheEntry()
    {
        const qint32 id = f->logApples(kMay14, "");
        edit(f->entry(id), [](ServingsDialog* d) {
            d->cmbServings->setEditText("2.5");
            d->cmbServSize->setCurrentText("1 cup"); // 240 g of a 100 g entry
        });
        QCOMPARE(f->dietRow(id, "NumServings, USDA_GM_WT, Fat, Calorie"), (QVariantList{2.5, 240.0, 60.0, 300.0}));
        // A measure's weight is taken as it is listed, not rounded.
        edit(f->entry(id), [](ServingsDialog* d) { d->cmbServSize->setCurrentText("1 oz"); });
        QCOMPARE(f->dietRow(id, "USDA_GM_WT").value(0).toDouble(), 28.35);
        QCOMPARE(f->dietRow(id, "Fat").value(0).toDouble(), 60.0 * 28.35 / 240);
        // Without weight or measures (a user food) only the servings scale.
        f->foodNode(ApplePie, MyFoodsGroup);
        f->main().foodTree().selectFoodRecord("F50001", "FOODITEM");
        f->diet().addDietEntry(1.0, kMay14, "1 slice", 0, 0, "");
        edit(f->entry(id + 1), [](ServingsDialog* d) { d->cmbServings->setEditText("3"); });
        QCOMPARE(f->dietRow(id + 1, "NumServings, ServingSize, USDA_GM_WT, Fat"), (QVariantList{3.0, "1 slice", 0.0, 57.0}));
    }

    void editsOfTheDateMoveTheNode()
    {
        const qint32 alone = f->logApples(kMay12, "MEAL0"); // the only meal of its day
        const qint32 single = f->logApples(kMay20, "");     // the only entry of its day
        const qint32 sibling = f->logApples(kMay14, "MEAL1");
        const qint32 stays = f->logApples(kMay14, "MEAL1");
        auto moveTo = [&](qint32 id, const QDate& date) {
            edit(f->entry(id), [date](ServingsDialog* d) { d->dtDate->setDate(date); });
        };
        // The meal that held the entry goes; its day stays, without children.
        moveTo(alone, QDate(2003, 5, 13));
        QVERIFY(!f->node("MLMEAL0DT20030512"));
        QCOMPARE(f->node("DT20030512")->childCount(), 0);
        QCOMPARE(f->parentKey(f->entry(alone)), QString("MLMEAL0DT20030513"));
        QCOMPARE(f->captions(), (QStringList{"2003-05-12", "2003-05-13", "2003-05-14", "2003-05-20"}));
        // A day whose only entry leaves goes.
        moveTo(single, kMay14);
        QVERIFY(!f->node("DT20030520"));
        QCOMPARE(f->parentKey(f->entry(single)), QString("DT20030514"));
        // From a meal with other entries only the node moves.
        moveTo(sibling, kMay12);
        QCOMPARE(f->parentKey(f->entry(stays)), QString("MLMEAL1DT20030514"));
        QCOMPARE(f->parentKey(f->entry(sibling)), QString("MLMEAL1DT20030512"));
        QCOMPARE(f->dietRow(sibling, "DietDate, MealName"), (QVariantList{"2003-05-12", "MEAL1"}));
        QCOMPARE(f->tree()->selectedNode(), f->node(f->entry(sibling)));
    }

    void entriesThatCannotBeRescaledStayAsTheyAre_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("servings");
        QTest::newRow("stored with 0 servings") << "NumServings = 0" << "2";
        QTest::newRow("stored with 0 g, a listed serving chosen") << "USDA_GM_WT = 0" << "2";
        QTest::newRow("values beyond any number") << "NumServings = 1e-300" << "1e300";
    }
    void entriesThatCannotBeRescaledStayAsTheyAre()
    {
        QFETCH(QString, stored);
        QFETCH(QString, servings);
        f->test.addDietRow("USER1", kMay14, "MEAL1", "Apples, raw", 10);
        f->test.exec("UPDATE DietActivity SET USDA_NDB_NO = 9003, USDA_MSRE_NO = 3, USDA_GM_WT = 100, " + stored);
        f->reload({kMay14});
        const QList<QVariantList> before = f->allRows();
        edit("D1", [servings](ServingsDialog* d) {
            d->cmbServings->setEditText(servings);
            d->cmbServSize->setCurrentText("1 cup");
            d->dtDate->setDate(kMay20);
        });
        QCOMPARE(f->prompts().texts(), QStringList{f->supportError()});
        QCOMPARE(f->allRows(), before);
        QCOMPARE(f->parentKey("D1"), QString("MLMEAL1DT20030514"));
    }

    void aFailedEditChangesNothing()
    {
        const qint32 id = f->logApples(kMay14, "MEAL1");
        const QList<QVariantList> before = f->allRows();
        const int nodes = f->tree()->nodeCount();
        f->test.exec("CREATE TRIGGER refuse BEFORE UPDATE ON DietActivity BEGIN SELECT RAISE(ABORT, 'no'); END");
        edit(f->entry(id), [](ServingsDialog* d) { d->dtDate->setDate(kMay20); });
        QCOMPARE(f->prompts().texts(), QStringList{f->supportError()});
        QCOMPARE(f->allRows(), before);
        QCOMPARE(f->tree()->nodeCount(), nodes);
        // A node whose row rsDietData does not hold.
        const qint32 ghost = f->test.addDietRow("USER1", kMay14, "", "Ghost");
        f->diet().loadDietDay(kMay14);
        f->prompts().clear();
        edit(f->entry(ghost), nullptr);
        QCOMPARE(f->prompts().texts(), QStringList{"Unable to update the selected item.  " + f->ctx().supportMessage});
    }

    void cuttingTheOnlyEntryOfAMeal()
    {
        f->logApples(kMay14, "MEAL0");
        f->logApples(kMay14, "MEAL0");
        const qint32 cut = f->logApples(kMay14, "MEAL1");
        f->select(kBreakfast14);
        QVERIFY(f->diet().copyDietMeal()); // a cut replaces what the clipboard held
        f->select(f->entry(cut));
        QCOMPARE(answered(PromptAnswer::Yes, [this] { f->diet().removeDietEntry("CUT"); }),
                 QStringList{"Are you sure you want to Cut the selected Diet Entry?"});
        QCOMPARE(f->prompts().last().buttons, PromptButtons::YesNo);
        QVERIFY(!f->node("MLMEAL1DT20030514"));
        QVERIFY(f->dietRow(cut, "DietId").isEmpty());
        QCOMPARE(f->tree()->selectedNode(), f->node(kBreakfast14)); // the meal's previous sibling
        QCOMPARE(f->diet().dietClipboard().entries().size(), 1);
        QCOMPARE(f->diet().dietClipboard().entries().first().MealName, QString("MEAL1"));
        QVERIFY(f->main().commands().isEnabled(Command::Paste, Surface::Popup));
        QCOMPARE(f->ds().rsDietData.recordCount(), 2);
    }

    void deletingSelectsTheNeighbour()
    {
        const qint32 a = f->logApples(kMay14, "");
        const qint32 b = f->logApples(kMay14, "");
        f->logApples(kMay14, "");
        f->select(f->entry(b));
        QCOMPARE(answered(PromptAnswer::No, [this] { f->diet().removeDietEntry("DELETE"); }),
                 QStringList{"Are you sure you want to Delete the selected Diet Entry?"});
        QCOMPARE(f->dietCount(), 3);
        answered(PromptAnswer::Yes, [this] { f->diet().removeDietEntry("DELETE"); });
        QCOMPARE(f->tree()->selectedNode(), f->node(f->entry(a))); // the previous sibling
        QCOMPARE(f->ds().rsDietData.integer("DietId"), a);
        answered(PromptAnswer::Yes, [this] { f->diet().removeDietEntry("DELETE"); });
        QCOMPARE(f->tree()->selectedNode(), f->node("DT20030514")); // the first child: its parent
        QCOMPARE(f->captions("DT20030514"), QStringList{"Apples, raw"});
        QVERIFY(!f->diet().dietClipboardFull());
    }

    void deletingTheUsersLastRowGivesTheFoodTreeTheFocus()
    {
        QVERIFY(QTest::qWaitForWindowActive(&f->main()));
        const qint32 only = f->logApples(kMay14, "");
        f->tree()->setFocus();
        f->select(f->entry(only));
        answered(PromptAnswer::Yes, [this] { f->diet().removeDietEntry("DELETE"); });
        QCOMPARE(f->tree()->nodeCount(), 0);
        QCOMPARE(f->main().focusWidget(), f->main().tvwFood);
    }

    void pasteTakesTheTargetsDayAndMeal_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("parent");
        // The clipboard holds Egg and Toast of Breakfast (MEAL0).
        QTest::newRow("day: the first record's meal") << "DT20030512" << "MLMEAL0DT20030512";
        QTest::newRow("entry under its day: the first record's meal") << "D3" << "MLMEAL0DT20030512";
        QTest::newRow("entry under a meal: that meal") << "D4" << "MLMEAL2DT20030520";
        QTest::newRow("meal: that meal") << "MLMEAL2DT20030520" << "MLMEAL2DT20030520";
    }
    void pasteTakesTheTargetsDayAndMeal()
    {
        QFETCH(QString, target);
        QFETCH(QString, parent);
        seed({kMay14, kMay20});
        if (target == "D3")
            f->diet().loadDietDay(kMay12);
        f->select(kBreakfast14);
        QVERIFY(f->diet().copyDietMeal());
        f->select(target); // an unopened day is read first
        f->diet().pasteDietEntries();
        const QString date = QDate::fromString(parent.right(8), "yyyyMMdd").toString(Qt::ISODate);
        QCOMPARE(f->test.rows("SELECT DietDate, MealName, FoodName, Fat, UserName FROM DietActivity WHERE DietId > 5 ORDER BY DietId"),
                 (QList<QVariantList>{{date, parent.mid(2, 5), "Egg", 1.0, "USER1"},
                                      {date, parent.mid(2, 5), "Toast", 2.0, "USER1"}}));
        QCOMPARE(f->parentKey("D6"), parent);
        QCOMPARE(f->tree()->selectedNode(), f->node("D7"));
        QCOMPARE(f->ds().rsDietData.integer("DietId"), 7);
        // The day the rows went to was read once: each of its rows is there, once.
        QTreeWidgetItem* day = f->node(parent.mid(7));
        int entries = 0;
        for (int i = 0; i < day->childCount(); ++i)
            entries += NodeTree::tag(day->child(i)) == "DIETMEAL" ? day->child(i)->childCount() : 1;
        QCOMPARE(entries, f->test.scalar("SELECT count(*) FROM DietActivity WHERE DietDate = ?", {date}).toInt());
    }

    void pastingTwiceMakesTwoSetsAndWholeGrams()
    {
        const qint32 id = f->test.addDietRow("USER1", kMay14, "", "Apples, raw", 2.835);
        f->test.exec("UPDATE DietActivity SET USDA_GM_WT = 28.35, NumServings = 0.1 WHERE DietId = ?", {id});
        f->reload({kMay14});
        f->select(f->entry(id));
        QVERIFY(f->diet().copyDietEntry(0, 1));
        f->diet().pasteDietEntries();
        f->diet().pasteDietEntries();
        QCOMPARE(f->test.rows("SELECT DietId, USDA_GM_WT, NumServings, Fat FROM DietActivity WHERE DietId > ?", {id}),
                 (QList<QVariantList>{{id + 1, 28.0, 0.1, 2.835}, {id + 2, 28.0, 0.1, 2.835}}));
        QCOMPARE(f->captions("DT20030514").size(), 3);
    }

    void aPasteThatFailsPartWayStoresNothing()
    {
        seed({kMay14});
        f->select(kBreakfast14);
        QVERIFY(f->diet().copyDietMeal());
        f->test.exec("CREATE TRIGGER refuse BEFORE INSERT ON DietActivity WHEN NEW.FoodName = 'Toast' "
                     "BEGIN SELECT RAISE(ABORT, 'no'); END");
        const QList<QVariantList> before = f->allRows();
        const int nodes = f->tree()->nodeCount();
        const QString key = "SELECT KeyValue FROM TableKey WHERE KeyName = 'DIETACTIVITY'";
        const QVariant lastKey = f->test.scalar(key);
        f->diet().pasteDietEntries();
        QCOMPARE(f->prompts().texts(), QStringList{f->supportError()});
        // All or nothing: the Egg stored before the Toast failed is gone with it, and the tree agrees.
        QCOMPARE(f->allRows(), before);
        QCOMPARE(f->tree()->nodeCount(), nodes);
        QCOMPARE(f->test.scalar(key), lastKey);
        QCOMPARE(f->ds().rsDietData.recordCount(), 4);
        // The log works on: the same paste goes through once the rows are accepted.
        f->test.exec("DROP TRIGGER refuse");
        f->diet().pasteDietEntries();
        QCOMPARE(f->captions(kBreakfast14), (QStringList{"Egg", "Egg", "Toast", "Toast"}));
        QCOMPARE(f->ds().rsDietData.recordCount(), 6);
    }

    void entryDrops_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QVariantList>("row"); // DietDate, MealName afterwards
        QTest::addColumn<QString>("parent");
        // D4 is the only entry of the only meal of May 20.
        QTest::newRow("on another day: no meal") << "DT20030512" << QVariantList{"2003-05-12", ""} << "DT20030512";
        QTest::newRow("on a meal: that meal") << kBreakfast14 << QVariantList{"2003-05-14", "MEAL0"} << kBreakfast14;
        QTest::newRow("on its own day") << "DT20030520" << QVariantList{"2003-05-20", ""} << "DT20030520";
        QTest::newRow("on an entry: nothing") << "D1" << QVariantList{"2003-05-20", "MEAL2"} << "MLMEAL2DT20030520";
    }
    void entryDrops()
    {
        QFETCH(QString, target);
        QFETCH(QVariantList, row);
        QFETCH(QString, parent);
        seed({kMay12, kMay14, kMay20});
        const QString text = f->dragFrom(f->tree(), f->node("D4"), Qt::RightButton);
        f->diet().dropOn(f->node(target), text);
        QCOMPARE(f->dietRow(4, "DietDate, MealName"), row);
        QCOMPARE(f->parentKey("D4"), parent);
        QCOMPARE(f->node("MLMEAL2DT20030520") != nullptr, row[1] == "MEAL2"); // the emptied meal goes ...
        QCOMPARE(f->node("DT20030520") != nullptr, row[0] == "2003-05-20");  // ... and so does an emptied day
        QVERIFY(!f->state().popupPending);
        QCOMPARE(f->prompts().count(), 0);
    }

    void mealDrops_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("meal");
        QTest::newRow("on a day: the meal stays") << "DT20030512" << "MLMEAL0DT20030512";
        QTest::newRow("on a meal: merged into it") << "MLMEAL2DT20030520" << "MLMEAL2DT20030520";
    }
    void mealDrops()
    {
        QFETCH(QString, target);
        QFETCH(QString, meal);
        seed({kMay14, kMay20});
        f->dropDietNode(kBreakfast14, target);
        const QString date = QDate::fromString(meal.right(8), "yyyyMMdd").toString(Qt::ISODate);
        QCOMPARE(f->test.rows("SELECT DietDate, MealName FROM DietActivity WHERE DietId IN (1, 2)"),
                 (QList<QVariantList>{{date, meal.mid(2, 5)}, {date, meal.mid(2, 5)}}));
        QVERIFY(f->captions(meal).contains("Egg") && f->captions(meal).contains("Toast"));
        QVERIFY(!f->node("DT20030514")); // the emptied day goes
        QCOMPARE(f->dietRow(5, "DietDate, MealName"), (QVariantList{"2003-05-14", "MEAL0"})); // not the other user's
    }

    void aMealMoveThatFailsPartWayMovesNothing()
    {
        seed({kMay14});
        f->test.exec("CREATE TRIGGER refuse BEFORE UPDATE ON DietActivity WHEN OLD.FoodName = 'Toast' "
                     "BEGIN SELECT RAISE(ABORT, 'no'); END");
        const QList<QVariantList> before = f->allRows();
        f->dropDietNode(kBreakfast14, "DT20030512");
        QCOMPARE(f->prompts().texts(), QStringList{f->supportError()});
        QCOMPARE(f->allRows(), before);
        QCOMPARE(f->captions(kBreakfast14), (QStringList{"Egg", "Toast"}));
        QCOMPARE(f->captions("DT20030512"), QStringList{"Tea"});
        f->select("D1"); // the rows read back as stored
        QCOMPARE(f->ds().rsDietData.date("DietDate"), kMay14);
    }

    void removingAMealAsksByItsLabelAndDay_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("question");
        QTest::newRow("delete") << "Lunch" << "DELETE"
                                << "Are you sure you want to DELETE all Diet Data for Lunch - 05/14/2003?";
        QTest::newRow("cut") << "Lunch" << "CUT" << "Are you sure you want to CUT all Diet Data for Lunch - 05/14/2003?";
        QTest::newRow("empty label") << "" << "DELETE" << "Are you sure you want to DELETE all Diet Data for  - 05/14/2003?";
    }
    void removingAMealAsksByItsLabelAndDay()
    {
        QFETCH(QString, label);
        QFETCH(QString, mode);
        QFETCH(QString, question);
        f->test.exec("UPDATE CONFIG SET ConfigValue = ? WHERE ConfigItem = 'MEAL0'", {label});
        seed({kMay14});
        f->select(kBreakfast14);
        auto remove = [&] { f->diet().removeDietMeal("MEAL0", kMay14, mode); };
        QCOMPARE(answered(PromptAnswer::No, remove), QStringList{question});
        QCOMPARE(f->dietCount(), 5);
        answered(PromptAnswer::Yes, remove);
        QCOMPARE(f->foodNames(), (QStringList{"Tea", "Soup", "Not mine"}));
        QVERIFY(!f->node(kBreakfast14));
        QCOMPARE(f->ds().rsDietData.recordCount(), 2); // read again without the deleted rows
        QCOMPARE(f->diet().dietClipboard().entries().size(), mode == "CUT" ? 2 : 0);
    }

    void deletingADay()
    {
        seed({});
        f->select("DT20030514");
        QCOMPARE(answered(PromptAnswer::Yes, [this] { f->diet().removeDietDay(kMay14); }),
                 QStringList{"Are you sure you want to Delete all Diet Data for 05/14/2003?"});
        QCOMPARE(f->foodNames(), (QStringList{"Tea", "Soup", "Not mine"}));
        QCOMPARE(f->captions(), (QStringList{"2003-05-12", "2003-05-20"}));
        QCOMPARE(f->ds().rsDietData.recordCount(), 2);
    }
};

QTEST_MAIN(DietEditTest)
#include "tst_dietedit.moc"
