#include "dietfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <cmath>

using namespace Fixture;

namespace {

const QDate kMay12(2003, 5, 12);
const QDate kMay14(2003, 5, 14);
const QDate kMay20(2003, 5, 20);

const char* const kAllColumns = "DietId, UserName, DietDate, MealName, GroupName, FoodName, NumServings, ServingSize, "
                                "USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT, Fat, Protein, Carbohydrate, Calorie, Sodium, "
                                "Cholesterol, Other1, Other2";

QString entry(qint32 id)
{
    return QStringLiteral("D%1").arg(id);
}

} // namespace

// Changing logged entries: the edit through the servings dialog, the diet
// clipboard, deleting entries, meals and days, moving entries and meals by
// drag and drop, and what a failure leaves behind.
class DietEditTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DietFixture> f;

    // Selects a node as a click does.
    void select(QTreeWidgetItem* node)
    {
        QVERIFY(node);
        f->tree()->selectNode(node);
        f->diet().dietNodeClick(node);
    }
    // An entry of Apples as the left-button drop logs it: 1 serving of 100 g.
    qint32 logApples(const QDate& date, const QString& meal)
    {
        f->main().foodTree().loadGroupFoods(FruitGroup);
        f->main().foodTree().selectFoodRecord("F9003", "FOODITEM");
        f->diet().addDietEntry(1.0, date, "100 g", 3, 100, meal);
        return f->lastDietId();
    }
    QList<QVariantList> allRows()
    {
        return f->test.rows(QStringLiteral("SELECT %1 FROM DietActivity ORDER BY DietId").arg(kAllColumns));
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
        const qint32 id = logApples(kMay14, "MEAL1");
        const QVariantList before = f->dietRow(id, "Fat, Protein, Carbohydrate, Calorie, Sodium, Cholesterol, Other1, Other2");
        bool shown = false;
        whenServings([&](ServingsDialog* d) {
            shown = true;
            QCOMPARE(d->windowTitle(), QString("Diet Information - Apples, raw"));
            QCOMPARE(d->cmbServings->currentText(), QString("1"));
            QCOMPARE(d->cmbServSize->currentText(), QString("100 g"));
            QCOMPARE(d->dtDate->date(), kMay14);
            QCOMPARE(d->cmbMeal->currentText(), QString("Lunch"));
            QVERIFY(!d->rbPreffered->isVisibleTo(d));
            d->cmbServings->setEditText("2");
            d->cmbServSize->setCurrentText("1 half");
        });
        f->doubleClick(f->node(entry(id)));
        QVERIFY(shown);
        QCOMPARE(f->dietRow(id, "NumServings, ServingSize, USDA_MSRE_NO, USDA_GM_WT"),
                 (QVariantList{2.0, "1 half", 5, 50.0}));
        QCOMPARE(f->dietRow(id, "Fat, Protein, Carbohydrate, Calorie, Sodium, Cholesterol, Other1, Other2"), before);
        QCOMPARE(f->tree()->selectedNode(), f->node(entry(id)));
        QVERIFY(!f->ds().rsMeasures.isOpen());
    }

    void servingsScaleTheEntry()
    {
        const qint32 id = logApples(kMay14, "");
        whenServings([](ServingsDialog* d) {
            d->cmbServings->setEditText("2.5");
            d->cmbServSize->setCurrentText("1 cup"); // 240 g of a 100 g entry
        });
        select(f->node(entry(id)));
        f->diet().editDietEntry();
        QCOMPARE(f->dietRow(id, "NumServings, USDA_GM_WT, Fat, Calorie"), (QVariantList{2.5, 240.0, 60.0, 300.0}));
        // A measure's weight is taken as it is listed, not rounded.
        whenServings([](ServingsDialog* d) { d->cmbServSize->setCurrentText("1 oz"); });
        f->diet().editDietEntry();
        QCOMPARE(f->dietRow(id, "USDA_GM_WT").value(0).toDouble(), 28.35);
        QCOMPARE(f->dietRow(id, "Fat").value(0).toDouble(), 60.0 * 28.35 / 240);
    }

    void editsOfTheDateMoveTheNode()
    {
        const qint32 alone = logApples(kMay12, "MEAL0");   // the only meal of its day
        const qint32 single = logApples(kMay20, "");      // the only entry of its day
        const qint32 sibling = logApples(kMay14, "MEAL1");
        const qint32 stays = logApples(kMay14, "MEAL1");
        auto moveTo = [&](qint32 id, const QDate& date) {
            whenServings([date](ServingsDialog* d) { d->dtDate->setDate(date); });
            select(f->node(entry(id)));
            f->diet().editDietEntry();
        };

        // The meal that held the entry goes; its day stays, without children.
        moveTo(alone, QDate(2003, 5, 13));
        QVERIFY(!f->node("MLMEAL0DT20030512"));
        QCOMPARE(f->node("DT20030512")->childCount(), 0);
        QCOMPARE(f->node(entry(alone))->parent(), f->node("MLMEAL0DT20030513"));
        QCOMPARE(f->dayCaptions(), (QStringList{"2003-05-12", "2003-05-13", "2003-05-14", "2003-05-20"}));

        // A day whose only entry leaves goes.
        moveTo(single, kMay14);
        QVERIFY(!f->node("DT20030520"));
        QCOMPARE(f->node(entry(single))->parent(), f->node("DT20030514"));

        // From a meal with other entries only the node moves.
        moveTo(sibling, kMay12);
        QCOMPARE(f->childCaptions(f->node("MLMEAL1DT20030514")), QStringList{"Apples, raw"});
        QCOMPARE(f->node(entry(stays))->parent(), f->node("MLMEAL1DT20030514"));
        QCOMPARE(f->node(entry(sibling))->parent(), f->node("MLMEAL1DT20030512"));
        QCOMPARE(f->dietRow(sibling, "DietDate, MealName"), (QVariantList{"2003-05-12", "MEAL1"}));
        QCOMPARE(f->tree()->selectedNode(), f->node(entry(sibling)));
    }

    void entriesThatCannotBeRescaledStayAsTheyAre_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("stored with 0 servings") << "UPDATE DietActivity SET NumServings = 0";
        QTest::newRow("stored with 0 g, a listed serving chosen") << "UPDATE DietActivity SET USDA_GM_WT = 0";
    }
    void entriesThatCannotBeRescaledStayAsTheyAre()
    {
        QFETCH(QString, change);
        f->test.addDietRow("USER1", kMay14, "MEAL1", "Apples, raw", 10);
        f->test.exec("UPDATE DietActivity SET USDA_NDB_NO = 9003, USDA_MSRE_NO = 3, USDA_GM_WT = 100");
        f->test.exec(change);
        f->diet().reload();
        f->diet().loadDietDay(kMay14);
        const QList<QVariantList> before = allRows();
        whenServings([](ServingsDialog* d) {
            d->cmbServings->setEditText("2");
            d->cmbServSize->setCurrentText("1 cup");
            d->dtDate->setDate(kMay20);
        });
        select(f->node("D1"));
        f->diet().editDietEntry();
        QCOMPARE(f->prompts().texts(), QStringList{"Unable to update Diet Data.  " + f->ctx().supportMessage});
        QCOMPARE(allRows(), before);
        QCOMPARE(f->node("D1")->parent(), f->node("MLMEAL1DT20030514"));
        QCOMPARE(f->test.shutDowns, 0);
    }

    void anEntryWithoutWeightOrMeasuresScalesByServings()
    {
        f->main().foodTree().loadGroupFoods(MyFoodsGroup);
        f->main().foodTree().selectFoodRecord("F50001", "FOODITEM");
        f->diet().addDietEntry(1.0, kMay14, "1 slice", 0, 0, "");
        const qint32 id = f->lastDietId();
        whenServings([](ServingsDialog* d) {
            QCOMPARE(d->cmbServSize->currentText(), QString("1 slice"));
            d->cmbServings->setEditText("3");
        });
        select(f->node(entry(id)));
        f->diet().editDietEntry();
        QCOMPARE(f->dietRow(id, "NumServings, ServingSize, USDA_GM_WT, Fat"), (QVariantList{3.0, "1 slice", 0.0, 57.0}));
    }

    void aFailedEditChangesNothing()
    {
        const qint32 id = logApples(kMay14, "MEAL1");
        const QList<QVariantList> before = allRows();
        const int nodes = f->tree()->nodeCount();
        f->test.exec("CREATE TRIGGER refuse BEFORE UPDATE ON DietActivity BEGIN SELECT RAISE(ABORT, 'no'); END");
        whenServings([](ServingsDialog* d) { d->dtDate->setDate(kMay20); });
        select(f->node(entry(id)));
        f->diet().editDietEntry();
        QCOMPARE(f->prompts().texts(), QStringList{"Unable to update Diet Data.  " + f->ctx().supportMessage});
        QCOMPARE(allRows(), before);
        QCOMPARE(f->tree()->nodeCount(), nodes);
        QVERIFY(!f->node("DT20030520"));

        // A node whose row rsDietData does not hold.
        f->test.exec("DROP TRIGGER refuse");
        const qint32 ghost = f->test.addDietRow("USER1", kMay14, "", "Ghost");
        f->diet().loadDietDay(kMay14);
        f->prompts().clear();
        select(f->node(entry(ghost)));
        f->diet().editDietEntry();
        QCOMPARE(f->prompts().texts(), QStringList{"Unable to update the selected item.  " + f->ctx().supportMessage});
    }

    void cuttingTheOnlyEntryOfAMeal()
    {
        const qint32 first = logApples(kMay14, "MEAL0");
        const qint32 cut = logApples(kMay14, "MEAL1");
        QCOMPARE(f->childCaptions(f->node("DT20030514")), (QStringList{"Breakfast", "Lunch"}));
        select(f->node(entry(cut)));
        QVERIFY(!f->main().commands().isEnabled(Command::Paste));
        f->prompts().queueYes();
        f->diet().removeDietEntry("CUT");
        QCOMPARE(f->prompts().last().text, QString("Are you sure you want to Cut the selected Diet Entry?"));
        QCOMPARE(f->prompts().last().buttons, PromptButtons::YesNo);
        QVERIFY(!f->node("MLMEAL1DT20030514"));
        QVERIFY(f->dietRow(cut, "DietId").isEmpty());
        // The meal's previous sibling is selected, and the clipboard holds the entry.
        QCOMPARE(f->tree()->selectedNode(), f->node("MLMEAL0DT20030514"));
        QVERIFY(f->diet().dietClipboardFull());
        QCOMPARE(f->diet().dietClipboard().entries().size(), 1);
        QCOMPARE(f->diet().dietClipboard().entries().first().MealName, QString("MEAL1"));
        for (Surface surface : {Surface::Menu, Surface::Popup, Surface::Toolbar})
            QVERIFY(f->main().commands().isEnabled(Command::Paste, surface));
        QCOMPARE(f->ds().rsDietData.recordCount(), 1);
        QCOMPARE(f->node(entry(first))->parent(), f->node("MLMEAL0DT20030514"));
    }

    void deletingSelectsTheNeighbour()
    {
        const qint32 a = logApples(kMay14, "");
        const qint32 b = logApples(kMay14, "");
        const qint32 c = logApples(kMay14, "");
        f->prompts().queueNo();
        select(f->node(entry(b)));
        f->diet().removeDietEntry("DELETE");
        QCOMPARE(f->prompts().last().text, QString("Are you sure you want to Delete the selected Diet Entry?"));
        QCOMPARE(f->dietCount(), 3); // No: nothing happens
        f->prompts().queueYes();
        f->diet().removeDietEntry("DELETE");
        QCOMPARE(f->tree()->selectedNode(), f->node(entry(a)));
        QCOMPARE(f->ds().rsDietData.integer("DietId"), a); // the click processing for it
        f->prompts().queueYes();
        f->diet().removeDietEntry("DELETE");
        QCOMPARE(f->tree()->selectedNode(), f->node("DT20030514")); // the first child: its parent
        QCOMPARE(f->childCaptions(f->node("DT20030514")), QStringList{"Apples, raw"});
        QVERIFY(f->node(entry(c)));
        QVERIFY(!f->diet().dietClipboardFull());
    }

    void deletingTheUsersLastRowGivesTheFoodTreeTheFocus()
    {
        QVERIFY(QTest::qWaitForWindowActive(&f->main()));
        const qint32 only = logApples(kMay14, "");
        f->tree()->setFocus();
        select(f->node(entry(only)));
        f->prompts().queueYes();
        f->diet().removeDietEntry("DELETE");
        QCOMPARE(f->dietCount(), 0);
        QCOMPARE(f->tree()->nodeCount(), 0);
        QCOMPARE(f->main().focusWidget(), f->main().tvwFood);
    }

    void pasteTakesTheTargetsDayAndMeal_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("meal");
        // The clipboard holds the two entries of Breakfast (MEAL0) of May 14.
        QTest::newRow("day: the first record's meal") << "DT20030512" << "2003-05-12" << "MEAL0";
        QTest::newRow("entry under its day: the first record's meal") << "D3" << "2003-05-12" << "MEAL0";
        QTest::newRow("entry under a meal: that meal") << "D4" << "2003-05-20" << "MEAL2";
        QTest::newRow("meal: that meal") << "MLMEAL2DT20030520" << "2003-05-20" << "MEAL2";
    }
    void pasteTakesTheTargetsDayAndMeal()
    {
        QFETCH(QString, target);
        QFETCH(QString, date);
        QFETCH(QString, meal);
        f->test.addDietRow("USER1", kMay14, "MEAL0", "Egg", 1);
        f->test.addDietRow("USER1", kMay14, "MEAL0", "Toast", 2);
        f->test.addDietRow("USER1", kMay12, "", "Tea", 3);
        f->test.addDietRow("USER1", kMay20, "MEAL2", "Soup", 4);
        f->diet().reload();
        for (const QDate& day : {kMay14, kMay20})
            f->diet().loadDietDay(day);
        if (target == "D3")
            f->diet().loadDietDay(kMay12);
        select(f->node("MLMEAL0DT20030514"));
        QVERIFY(f->diet().copyDietMeal());
        select(f->node(target)); // an unopened day is read first
        f->diet().pasteDietEntries();
        const QList<QVariantList> pasted = f->test.rows(
            "SELECT DietId, DietDate, MealName, FoodName, NumServings, Fat, UserName FROM DietActivity WHERE DietId > 4 "
            "ORDER BY DietId");
        QCOMPARE(pasted.size(), 2);
        QCOMPARE(pasted[0], (QVariantList{5, date, meal, "Egg", 1.0, 1.0, "USER1"}));
        QCOMPARE(pasted[1], (QVariantList{6, date, meal, "Toast", 1.0, 2.0, "USER1"}));
        QTreeWidgetItem* pastedNode = f->node("D6");
        QVERIFY(pastedNode && f->node("D5"));
        QCOMPARE(NodeTree::key(pastedNode->parent()),
                 "ML" + meal + "DT" + QDate::fromString(date, Qt::ISODate).toString("yyyyMMdd"));
        QCOMPARE(f->tree()->selectedNode(), pastedNode);
        QCOMPARE(f->ds().rsDietData.integer("DietId"), 6);
        // The day the rows went to was read once: each of its rows is there, once.
        QTreeWidgetItem* day = f->node("DT" + QDate::fromString(date, Qt::ISODate).toString("yyyyMMdd"));
        int entries = 0;
        for (int i = 0; i < day->childCount(); ++i)
            entries += NodeTree::tag(day->child(i)) == "DIETMEAL" ? day->child(i)->childCount() : 1;
        QCOMPARE(entries, f->test.scalar("SELECT count(*) FROM DietActivity WHERE DietDate = ?", {date}).toInt());
    }

    void pastingTwiceMakesTwoSetsAndWholeGrams()
    {
        const qint32 id = f->test.addDietRow("USER1", kMay14, "", "Apples, raw", 2.835);
        f->test.exec("UPDATE DietActivity SET USDA_GM_WT = 28.35, NumServings = 0.1 WHERE DietId = ?", {id});
        f->diet().reload();
        f->diet().loadDietDay(kMay14);
        select(f->node(entry(id)));
        QVERIFY(f->diet().copyDietEntry(0, 1));
        f->diet().pasteDietEntries();
        f->diet().pasteDietEntries();
        const QList<QVariantList> rows =
            f->test.rows("SELECT DietId, USDA_GM_WT, NumServings, Fat FROM DietActivity ORDER BY DietId");
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[1], (QVariantList{id + 1, 28.0, 0.1, 2.835}));
        QCOMPARE(rows[2], (QVariantList{id + 2, 28.0, 0.1, 2.835}));
        QCOMPARE(f->childCaptions(f->node("DT20030514")).size(), 3);
        // The clipboard is still there for another paste.
        QCOMPARE(f->diet().dietClipboard().entries().size(), 1);
    }

    void aPasteThatFailsPartWayStoresNothing()
    {
        f->test.addDietRow("USER1", kMay14, "MEAL0", "Egg", 1);
        f->test.addDietRow("USER1", kMay14, "MEAL0", "Toast", 2);
        f->diet().reload();
        f->diet().loadDietDay(kMay14);
        select(f->node("MLMEAL0DT20030514"));
        QVERIFY(f->diet().copyDietMeal());
        f->test.exec("CREATE TRIGGER refuse BEFORE INSERT ON DietActivity WHEN NEW.FoodName = 'Toast' "
                     "BEGIN SELECT RAISE(ABORT, 'no'); END");
        select(f->node("MLMEAL0DT20030514"));
        const QList<QVariantList> before = allRows();
        const int nodes = f->tree()->nodeCount();
        const QVariant lastKey = f->test.scalar("SELECT KeyValue FROM TableKey WHERE KeyName = 'DIETACTIVITY'");
        f->diet().pasteDietEntries();
        QCOMPARE(f->prompts().texts(), QStringList{"Unable to update Diet Data.  " + f->ctx().supportMessage});
        // All or nothing: the Egg stored before the Toast failed is gone with it, and the tree agrees.
        QCOMPARE(allRows(), before);
        QCOMPARE(f->tree()->nodeCount(), nodes);
        QCOMPARE(f->test.scalar("SELECT KeyValue FROM TableKey WHERE KeyName = 'DIETACTIVITY'"), lastKey);
        QCOMPARE(f->ds().rsDietData.recordCount(), 2);
        // The log works on: the same paste goes through once the rows are accepted.
        f->test.exec("DROP TRIGGER refuse");
        f->diet().pasteDietEntries();
        QCOMPARE(f->dietCount(), 4);
        QCOMPARE(f->childCaptions(f->node("MLMEAL0DT20030514")), (QStringList{"Egg", "Egg", "Toast", "Toast"}));
        QCOMPARE(f->ds().rsDietData.recordCount(), 4);
    }

    void entryDrops_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QVariantList>("row"); // DietDate, MealName afterwards
        QTest::addColumn<QString>("parent");
        QTest::addColumn<bool>("oldDayGone");
        QTest::newRow("on another day: no meal")
            << "DT20030512" << QVariantList{"2003-05-12", ""} << "DT20030512" << true;
        QTest::newRow("on a meal: that meal")
            << "MLMEAL2DT20030512" << QVariantList{"2003-05-12", "MEAL2"} << "MLMEAL2DT20030512" << true;
        QTest::newRow("on its own day") << "DT20030514" << QVariantList{"2003-05-14", ""} << "DT20030514" << false;
        QTest::newRow("on an entry: nothing")
            << "D3" << QVariantList{"2003-05-14", "MEAL0"} << "MLMEAL0DT20030514" << false;
    }
    void entryDrops()
    {
        QFETCH(QString, target);
        QFETCH(QVariantList, row);
        QFETCH(QString, parent);
        QFETCH(bool, oldDayGone);
        f->test.addDietRow("USER1", kMay14, "MEAL0", "Egg", 1); // the only entry of the only meal of its day
        f->test.addDietRow("USER1", kMay12, "MEAL2", "Soup", 2);
        f->test.addDietRow("USER1", kMay12, "", "Tea", 3);
        f->diet().reload();
        f->diet().loadDietDay(kMay12);
        f->diet().loadDietDay(kMay14);
        const QString text = f->dragFrom(f->tree(), f->node("D1"), Qt::RightButton);
        f->diet().dropOn(f->node(target), text);
        QCOMPARE(f->dietRow(1, "DietDate, MealName"), row);
        QCOMPARE(NodeTree::key(f->node("D1")->parent()), parent);
        QCOMPARE(f->node("DT20030514") == nullptr, oldDayGone); // a day the move emptied goes
        QVERIFY(!f->state().popupPending);
        QCOMPARE(f->prompts().count(), 0);
    }

    void mealDrops_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("meal");
        QTest::addColumn<int>("nodes");
        QTest::newRow("on a day: the meal stays") << "DT20030512" << "MEAL0" << 8;
        QTest::newRow("on a meal: merged into it") << "MLMEAL2DT20030512" << "MEAL2" << 7;
    }
    void mealDrops()
    {
        QFETCH(QString, target);
        QFETCH(QString, meal);
        QFETCH(int, nodes);
        f->test.addDietRow("USER1", kMay14, "MEAL0", "Egg", 1);
        f->test.addDietRow("USER1", kMay14, "MEAL0", "Toast", 2);
        f->test.addDietRow("USER1", kMay14, "", "Tea", 3);
        f->test.addDietRow("USER1", kMay12, "MEAL2", "Soup", 4);
        f->diet().reload();
        f->diet().loadDietDay(kMay14);
        if (target.startsWith("ML"))
            f->diet().loadDietDay(kMay12);
        const QString text = f->dragFrom(f->tree(), f->node("MLMEAL0DT20030514"));
        f->diet().dropOn(f->node(target), text);
        QCOMPARE(f->test.rows("SELECT DietDate, MealName FROM DietActivity WHERE DietId IN (1, 2)"),
                 (QList<QVariantList>{{"2003-05-12", meal}, {"2003-05-12", meal}}));
        const QString mealNode = "ML" + meal + "DT20030512";
        QVERIFY(f->childCaptions(f->node(mealNode)).contains("Egg"));
        QVERIFY(f->childCaptions(f->node(mealNode)).contains("Toast"));
        QVERIFY(!f->node("MLMEAL0DT20030514"));
        QCOMPARE(f->childCaptions(f->node("DT20030514")), QStringList{"Tea"}); // the day keeps its other entry
        QCOMPARE(f->tree()->nodeCount(), nodes);
    }

    void aMealMoveThatFailsPartWayMovesNothing()
    {
        f->test.addDietRow("USER1", kMay14, "MEAL0", "Egg", 1);
        f->test.addDietRow("USER1", kMay14, "MEAL0", "Toast", 2);
        f->test.addDietRow("USER1", kMay12, "", "Tea", 3);
        f->diet().reload();
        f->diet().loadDietDay(kMay14);
        f->test.exec("CREATE TRIGGER refuse BEFORE UPDATE ON DietActivity WHEN OLD.FoodName = 'Toast' "
                     "BEGIN SELECT RAISE(ABORT, 'no'); END");
        const QList<QVariantList> before = allRows();
        const QString text = f->dragFrom(f->tree(), f->node("MLMEAL0DT20030514"));
        f->diet().dropOn(f->node("DT20030512"), text);
        QCOMPARE(f->prompts().texts(), QStringList{"Unable to update Diet Data.  " + f->ctx().supportMessage});
        QCOMPARE(allRows(), before);
        QCOMPARE(f->childCaptions(f->node("MLMEAL0DT20030514")), (QStringList{"Egg", "Toast"}));
        QCOMPARE(f->childCaptions(f->node("DT20030512")), QStringList{"Tea"});
        // The rows read back as stored.
        select(f->node("D1"));
        QCOMPARE(f->ds().rsDietData.date("DietDate"), kMay14);
    }

    void questionsNameTheMealAndTheDay_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("question");
        QTest::newRow("delete") << "Lunch" << "DELETE"
                                << "Are you sure you want to DELETE all Diet Data for Lunch - 05/14/2003?";
        QTest::newRow("cut") << "Lunch" << "CUT" << "Are you sure you want to CUT all Diet Data for Lunch - 05/14/2003?";
        QTest::newRow("empty label") << "" << "DELETE"
                                     << "Are you sure you want to DELETE all Diet Data for  - 05/14/2003?";
    }
    void questionsNameTheMealAndTheDay()
    {
        QFETCH(QString, label);
        QFETCH(QString, mode);
        QFETCH(QString, question);
        f->test.exec("UPDATE CONFIG SET ConfigValue = ? WHERE ConfigItem = 'MEAL1'", {label});
        f->test.addDietRow("USER1", kMay14, "MEAL1", "Egg", 1);
        f->test.addDietRow("USER1", kMay14, "MEAL1", "Toast", 2);
        f->test.addDietRow("USER1", kMay14, "MEAL2", "Soup", 3);
        f->test.addDietRow("USER2", kMay14, "MEAL1", "Not mine", 4);
        f->diet().reload();
        f->diet().loadDietDay(kMay14);
        select(f->node("MLMEAL1DT20030514"));
        f->prompts().queueNo();
        f->diet().removeDietMeal("MEAL1", kMay14, mode);
        QCOMPARE(f->prompts().texts(), QStringList{question});
        QCOMPARE(f->dietCount(), 4);

        f->prompts().queueYes();
        f->diet().removeDietMeal("MEAL1", kMay14, mode);
        QCOMPARE(f->test.rows("SELECT FoodName FROM DietActivity ORDER BY DietId"),
                 (QList<QVariantList>{{"Soup"}, {"Not mine"}}));
        QVERIFY(!f->node("MLMEAL1DT20030514"));
        QCOMPARE(f->ds().rsDietData.recordCount(), 1); // read again without the deleted rows
        QCOMPARE(f->diet().dietClipboardFull(), mode == "CUT");
        if (mode == "CUT")
            QCOMPARE(f->diet().dietClipboard().entries().size(), 2);
    }

    void deletingADay()
    {
        f->test.addDietRow("USER1", kMay14, "MEAL1", "Egg", 1);
        f->test.addDietRow("USER1", kMay14, "", "Tea", 2);
        f->test.addDietRow("USER1", kMay12, "", "Soup", 3);
        f->test.addDietRow("USER2", kMay14, "", "Not mine", 4);
        f->diet().reload();
        select(f->node("DT20030514"));
        f->prompts().queueYes();
        f->diet().removeDietDay(kMay14);
        QCOMPARE(f->prompts().texts(), QStringList{"Are you sure you want to Delete all Diet Data for 05/14/2003?"});
        QCOMPARE(f->test.rows("SELECT FoodName FROM DietActivity ORDER BY DietId"),
                 (QList<QVariantList>{{"Soup"}, {"Not mine"}}));
        QCOMPARE(f->dayCaptions(), QStringList{"2003-05-12"});
        QCOMPARE(f->ds().rsDietData.recordCount(), 1);
        QCOMPARE(f->ds().rsDietData.text("FoodName"), QString("Soup"));
    }
};

QTEST_MAIN(DietEditTest)
#include "tst_dietedit.moc"
