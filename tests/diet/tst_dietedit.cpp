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

// The DietDate and MealName a node key stands for: "MLMEAL2DT20030520" is {"2003-05-20", "MEAL2"}.
QVariantList placeOf(const QString& key)
{
    return {QDate::fromString(key.right(8), "yyyyMMdd").toString(Qt::ISODate), key.startsWith("ML") ? key.mid(2, 5) : ""};
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

    void editsRescaleByServingsAndMeasure()
    {
        f->test.exec("INSERT INTO USDA_Measures VALUES (9003, 5, '1 half', 50)");
        const qint32 id = f->logApples(kMay14, "MEAL1");
        const QString nutrients = "Fat, Protein, Carbohydrate, Calorie, Sodium, Cholesterol, Other1, Other2";
        const QVariantList before = f->dietRow(id, nutrients);
        whenServings([&](ServingsDialog* d) {
            QCOMPARE(d->cmbServings->currentText() + " " + d->cmbServSize->currentText(), QString("1 100 g"));
            QCOMPARE(d->cmbMeal->currentText(), QString("Lunch"));
            QVERIFY(!d->rbPreffered->isVisibleTo(d));
            d->cmbServings->setEditText("2");
            d->cmbServSize->setCurrentText("1 half");
        });
        f->doubleClick(f->node(f->entry(id)));
        // 1 serving of 100 g is 2 servings of 50 g: the same food eaten.
        QCOMPARE(f->dietRow(id, "NumServings, ServingSize, USDA_MSRE_NO, USDA_GM_WT, DietDate, MealName"),
                 (QVariantList{2.0, "1 half", 5, 50.0, "2003-05-14", "MEAL1"}));
        QCOMPARE(f->dietRow(id, nutrients), before);
        QCOMPARE(f->selectedKey(), f->entry(id));
        // Without measures (a user food) the serving is offered as it is, and only the servings scale.
        f->foodNode(ApplePie, MyFoodsGroup);
        f->main().foodTree().selectFoodRecord("F50001", "FOODITEM");
        f->diet().addDietEntry(1.0, kMay14, {"1 slice", 0, 0}, "");
        edit(f->entry(id + 1), [](ServingsDialog* d) {
            QCOMPARE(d->cmbServSize->currentText(), QString("1 slice"));
            d->cmbServings->setEditText("3");
        });
        QCOMPARE(f->dietRow(id + 1, "NumServings, ServingSize, Fat"), (QVariantList{3.0, "1 slice", 57.0}));
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
        QVERIFY(!f->has("MLMEAL0DT20030512"));
        QCOMPARE(f->captions(), (QStringList{"2003-05-12", "2003-05-13", "2003-05-14", "2003-05-20"}));
        QCOMPARE(f->parentKey(f->entry(alone)), QString("MLMEAL0DT20030513"));
        // A day whose only entry leaves goes.
        moveTo(single, kMay14);
        QVERIFY(!f->has("DT20030520"));
        QCOMPARE(f->parentKey(f->entry(single)), QString("DT20030514"));
        // From a meal with other entries only the node moves.
        moveTo(sibling, kMay12);
        QCOMPARE(f->parentKey(f->entry(stays)), QString("MLMEAL1DT20030514"));
        QCOMPARE(f->parentKey(f->entry(sibling)), QString("MLMEAL1DT20030512"));
        QCOMPARE(f->dietRow(sibling, "DietDate, MealName"), placeOf("MLMEAL1DT20030512"));
        QCOMPARE(f->selectedKey(), f->entry(sibling));
    }

    void entriesThatCannotBeRescaledStayAsTheyAre_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("servings");
        QTest::addColumn<QString>("message");
        QTest::newRow("stored with 0 servings") << "NumServings = 0"
                                                << "2"
                                                << "Unable to update Diet Data.  ";
        // Amounts no one eats are refused in the dialog, which is then cancelled.
        QTest::newRow("servings beyond any amount") << "NumServings = 1"
                                                    << "1e300"
                                                    << "Number of Servings must be numeric.";
        QTest::newRow("values beyond any amount") << "NumServings = 1e-300"
                                                  << "2"
                                                  << "Number of Servings must be numeric.";
    }
    void entriesThatCannotBeRescaledStayAsTheyAre()
    {
        QFETCH(QString, stored);
        QFETCH(QString, servings);
        QFETCH(QString, message);
        f->test.addDietRow("USER1", kMay14, "MEAL1", "Apples, raw", 10);
        f->test.exec("UPDATE DietActivity SET USDA_NDB_NO = 9003, USDA_MSRE_NO = 3, USDA_GM_WT = 100, " + stored);
        f->reload({kMay14});
        const QList<QVariantList> before = f->allRows();
        edit("D1", [servings](ServingsDialog* d) {
            d->cmbServings->setEditText(servings);
            d->cmbServSize->setCurrentText("1 cup");
            d->dtDate->setDate(kMay20);
        });
        QCOMPARE(f->prompts().texts(),
                 QStringList{message.startsWith("Unable") ? message + f->ctx().supportMessage : message});
        QCOMPARE(f->allRows(), before);
        QCOMPARE(f->parentKey("D1"), QString("MLMEAL1DT20030514"));
    }

    void aFailedEditChangesNothing()
    {
        const qint32 id = f->logApples(kMay14, "MEAL1");
        const QList<QVariantList> before = f->allRows();
        f->test.exec("CREATE TRIGGER refuse BEFORE UPDATE ON DietActivity BEGIN SELECT RAISE(ABORT, 'no'); END");
        edit(f->entry(id), [](ServingsDialog* d) { d->dtDate->setDate(kMay20); });
        QCOMPARE(f->prompts().texts(), QStringList{f->supportError()});
        QCOMPARE(f->allRows(), before);
        QVERIFY(!f->has("DT20030520"));
        // A node whose row was deleted behind the tree's back.
        f->test.exec("DELETE FROM DietActivity WHERE DietId = ?", {id});
        f->prompts().clear();
        edit(f->entry(id), nullptr);
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
        QVERIFY(!f->has("MLMEAL1DT20030514"));
        QCOMPARE(f->dietCount(), 2);
        QCOMPARE(f->selectedKey(), kBreakfast14); // the meal's previous sibling
        QCOMPARE(f->diet().dietClipboard().entries().size(), 1);
        QCOMPARE(f->diet().dietClipboard().entries().first().MealName, QString("MEAL1"));
        QVERIFY(f->main().commands().isEnabled(Command::Paste, Surface::Popup));
    }

    void deletingSelectsTheNeighbourAndFinallyTheFoodTree()
    {
        QVERIFY(QTest::qWaitForWindowActive(&f->main()));
        const qint32 a = f->logApples(kMay14, "");
        const qint32 b = f->logApples(kMay14, "");
        f->tree()->setFocus();
        f->select(f->entry(b));
        auto remove = [this] { f->diet().removeDietEntry("DELETE"); };
        QCOMPARE(answered(PromptAnswer::No, remove),
                 QStringList{"Are you sure you want to Delete the selected Diet Entry?"});
        QCOMPARE(f->dietCount(), 2);
        answered(PromptAnswer::Yes, remove);
        QCOMPARE(f->selectedKey(), f->entry(a)); // the previous sibling
        QCOMPARE(f->ds().rsDietData.integer("DietId"), a);
        f->logApples(kMay14, "");
        f->select(f->entry(a));
        answered(PromptAnswer::Yes, remove);
        QCOMPARE(f->selectedKey(), QString("DT20030514")); // the first child: its parent
        f->select(f->entry(f->lastDietId()));
        answered(PromptAnswer::Yes, remove); // the user's last row
        QCOMPARE(f->nodeCount(), 0);
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
        const QVariantList place = placeOf(parent);
        QCOMPARE(f->test.rows("SELECT DietDate, MealName, FoodName, Fat, UserName FROM DietActivity WHERE DietId > 5"),
                 (QList<QVariantList>{place + QVariantList{"Egg", 1.0, "USER1"}, place + QVariantList{"Toast", 2.0, "USER1"}}));
        QCOMPARE(f->parentKey("D6"), parent);
        QCOMPARE(f->selectedKey(), QString("D7"));
        QCOMPARE(f->ds().rsDietData.integer("DietId"), 7);
        QCOMPARE(f->captions(parent).size(), f->test.scalar("SELECT count(*) FROM DietActivity WHERE DietDate = ? "
                                                            "AND MealName = ? AND UserName = 'USER1'", place).toInt());
    }

    void pastingTwiceMakesTwoSetsAndWholeGrams()
    {
        const qint32 id = f->test.addDietRow("USER1", kMay14, "", "Apples, raw", 2.835);
        f->test.exec("UPDATE DietActivity SET USDA_GM_WT = 28.35, NumServings = 0.1, MealName = NULL WHERE DietId = ?",
                     {id});
        f->reload({kMay14});
        f->select(f->entry(id));
        QVERIFY(f->diet().copyDietEntry(0, 1));
        f->diet().pasteDietEntries();
        f->diet().pasteDietEntries();
        QCOMPARE(f->test.rows("SELECT DietId, USDA_GM_WT, NumServings, Fat, MealName FROM DietActivity WHERE DietId > ?",
                              {id}),
                 (QList<QVariantList>{{id + 1, 28.0, 0.1, 2.835, ""}, {id + 2, 28.0, 0.1, 2.835, ""}}));
        QCOMPARE(f->captions("DT20030514").size(), 3);
    }

    void aPasteOrMealMoveThatFailsPartWayChangesNothing_data()
    {
        QTest::addColumn<bool>("paste");
        QTest::newRow("paste") << true;
        QTest::newRow("meal move") << false;
    }
    void aPasteOrMealMoveThatFailsPartWayChangesNothing()
    {
        QFETCH(bool, paste);
        seed({kMay12, kMay14});
        f->select(kBreakfast14);
        QVERIFY(f->diet().copyDietMeal());
        for (const char* change : {"INSERT", "UPDATE"})
            f->test.exec(QString("CREATE TRIGGER refuse_%1 BEFORE %1 ON DietActivity WHEN NEW.FoodName = 'Toast' "
                                 "BEGIN SELECT RAISE(ABORT, 'no'); END").arg(change));
        const QList<QVariantList> before = f->allRows();
        const QString key = "SELECT KeyValue FROM TableKey WHERE KeyName = 'DIETACTIVITY'";
        const QVariant lastKey = f->test.scalar(key);
        if (paste)
            f->diet().pasteDietEntries();
        else
            f->diet().dropOn(f->node("DT20030512"), f->dragFrom(kBreakfast14));
        QCOMPARE(f->prompts().texts(), QStringList{f->supportError()});
        // All or nothing: the Egg stored or moved before the Toast failed is back, and the tree agrees.
        QCOMPARE(f->allRows(), before);
        QCOMPARE(f->test.scalar(key), lastKey);
        QCOMPARE(f->captions(kBreakfast14), (QStringList{"Egg", "Toast"}));
        QCOMPARE(f->captions("DT20030512"), QStringList{"Tea"});
        QCOMPARE(f->ds().rsDietData.recordCount(), 4);
        f->select("D1"); // the rows read back as stored
        QCOMPARE(f->ds().rsDietData.date("DietDate"), kMay14);
    }

    void dropsOfEntriesAndMeals_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("parent"); // of the source's first entry afterwards
        QTest::addColumn<QString>("gone");   // the node the move emptied
        // D4 is the only entry of the only meal of May 20.
        QTest::newRow("entry on a day: no meal") << "D4" << "DT20030512" << "DT20030512" << "DT20030520";
        QTest::newRow("entry on a meal: that meal") << "D4" << kBreakfast14 << kBreakfast14 << "DT20030520";
        QTest::newRow("entry on its own day") << "D4" << "DT20030520" << "DT20030520" << "MLMEAL2DT20030520";
        QTest::newRow("entry on an entry: nothing") << "D4" << "D1" << "MLMEAL2DT20030520" << "";
        QTest::newRow("meal on a day: the meal stays") << kBreakfast14 << "DT20030512" << "MLMEAL0DT20030512"
                                                      << "DT20030514";
        QTest::newRow("meal on a meal: merged") << kBreakfast14 << "MLMEAL2DT20030520" << "MLMEAL2DT20030520"
                                               << "DT20030514";
    }
    void dropsOfEntriesAndMeals()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(QString, parent);
        QFETCH(QString, gone);
        seed({kMay14, kMay20});
        const QString moved = source.startsWith("ML") ? "D1" : source;
        const QString text = f->dragFrom(source, Qt::RightButton);
        f->diet().dropOn(f->node(target), text);
        QCOMPARE(f->parentKey(moved), parent);
        QCOMPARE(f->dietRow(moved.mid(1).toInt(), "DietDate, MealName"), placeOf(parent));
        if (moved == "D1")
            QCOMPARE(f->parentKey("D2"), parent);
        QVERIFY(gone.isEmpty() || !f->has(gone));
        QCOMPARE(f->dietRow(5, "DietDate, MealName"), placeOf(kBreakfast14)); // not the other user's
        QVERIFY(!f->state().popupPending);
        QCOMPARE(f->prompts().count(), 0);
    }

    void removingAMealOrADayAsksFirst_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("mode"); // of a meal; "DAY" for the whole day
        QTest::addColumn<QString>("question");
        QTest::newRow("delete a meal") << "Lunch" << "DELETE"
                                       << "Are you sure you want to DELETE all Diet Data for Lunch - 05/14/2003?";
        QTest::newRow("cut a meal") << "Lunch" << "CUT"
                                    << "Are you sure you want to CUT all Diet Data for Lunch - 05/14/2003?";
        QTest::newRow("a meal with an empty label") << "" << "DELETE"
                                                    << "Are you sure you want to DELETE all Diet Data for  - 05/14/2003?";
        QTest::newRow("delete a day") << "Lunch" << "DAY" << "Are you sure you want to Delete all Diet Data for 05/14/2003?";
    }
    void removingAMealOrADayAsksFirst()
    {
        QFETCH(QString, label);
        QFETCH(QString, mode);
        QFETCH(QString, question);
        f->test.exec("UPDATE CONFIG SET ConfigValue = ? WHERE ConfigItem = 'MEAL0'", {label});
        seed({kMay14});
        const QString node = mode == "DAY" ? "DT20030514" : kBreakfast14;
        f->select(node);
        auto remove = [&] {
            mode == "DAY" ? f->diet().removeDietDay(kMay14) : f->diet().removeDietMeal("MEAL0", kMay14, mode);
        };
        QCOMPARE(answered(PromptAnswer::No, remove), QStringList{question});
        QCOMPARE(f->dietCount(), 5);
        answered(PromptAnswer::Yes, remove);
        QCOMPARE(f->foodNames(), (QStringList{"Tea", "Soup", "Not mine"}));
        QVERIFY(!f->has(node));
        QCOMPARE(f->ds().rsDietData.recordCount(), 2); // read again without the deleted rows
        QCOMPARE(f->diet().dietClipboard().entries().size(), mode == "CUT" ? 2 : 0);
    }
};

QTEST_MAIN(DietEditTest)
#include "tst_dietedit.moc"
