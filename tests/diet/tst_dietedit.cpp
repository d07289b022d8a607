#include "dietfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>

using namespace Fixture;

namespace {

const QDate kMay12(2003, 5, 12);
const QDate kMay20(2003, 5, 20);
const QString kBreakfast14 = "MLMEAL0DT20030514";

} // namespace

// Changing logged entries: the edit through the servings dialog, the diet
// clipboard, deleting entries, meals and days, moving entries and meals by
// drag and drop, and what a failure leaves behind.
class DietEditTest : public QObject
{
    Q_OBJECT

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
    void refuse(const QString& change, const QString& when = "1")
    {
        f->test.exec(QString("CREATE TRIGGER refuse_%1 BEFORE %1 ON DietActivity WHEN %2 "
                             "BEGIN SELECT RAISE(ABORT, 'no'); END")
                         .arg(change, when));
    }

private slots:
    void init()
    {
        f = std::make_unique<DietFixture>();
        f->loadShown();
    }
    void cleanup() { f.reset(); }

    // The scaling rules are the diet log's; here the dialog's part and what the tree shows.
    void editsOfferTheEntryAndAFailedStoreChangesNothing()
    {
        const qint32 id = f->logApples(kMay14, "MEAL1");
        whenServings([&](ServingsDialog* d) {
            QCOMPARE(d->cmbServings->currentText() + " " + d->cmbServSize->currentText() + " " +
                         d->cmbMeal->currentText(),
                     QString("1 100 g Lunch"));
            QVERIFY(!d->rbPreffered->isVisibleTo(d));
            d->cmbServings->setEditText("2");
        });
        f->doubleClick(f->node(f->entry(id)));
        QCOMPARE(f->dietRow(id, "NumServings, Fat"), (QVariantList{2.0, 20.0}));
        // A failed store changes nothing, in the log or the tree.
        const QList<QVariantList> before = f->allRows();
        refuse("UPDATE");
        edit(f->entry(id), [](ServingsDialog* d) { d->dtDate->setDate(kMay20); });
        QCOMPARE(f->prompts().texts(), QStringList{f->supportError()});
        QCOMPARE(f->allRows(), before);
        QVERIFY(!f->has("DT20030520"));
        // A node whose row was deleted behind the tree's back.
        f->test.exec("DELETE FROM DietActivity WHERE DietId = ?", {id});
        f->prompts().clear();
        edit(f->entry(id), nullptr);
        QCOMPARE(f->prompts().last(), applicationError("Unable to update the selected item.  "));
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
        QCOMPARE(f->dietRow(sibling, "DietDate, MealName"), DietFixture::placeOf("MLMEAL1DT20030512"));
        QCOMPARE(f->selectedKey(), f->entry(sibling));
    }

    void entriesThatCannotBeRescaledStayAsTheyAre_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("servings");
        // Amounts no one eats are refused in the dialog, which is then cancelled.
        textRow("servings beyond any amount", {"NumServings = 1", "1e300"});
        textRow("values beyond any amount", {"NumServings = 1e-300", "2"});
    }
    void entriesThatCannotBeRescaledStayAsTheyAre()
    {
        QFETCH(QString, stored);
        QFETCH(QString, servings);
        f->test.addDietRow("USER1", kMay14, "MEAL1", "Apples, raw", 10);
        f->test.exec("UPDATE DietActivity SET USDA_NDB_NO = 9003, USDA_MSRE_NO = 3, USDA_GM_WT = 100, " +
                     stored);
        f->reload({kMay14});
        const QList<QVariantList> before = f->allRows();
        edit("D1", [servings](ServingsDialog* d) {
            d->cmbServings->setEditText(servings);
            d->cmbServSize->setCurrentText("1 cup");
            d->dtDate->setDate(kMay20);
        });
        QCOMPARE(f->prompts().texts(), QStringList{"Number of Servings must be numeric."});
        QCOMPARE(f->allRows(), before);
        QCOMPARE(f->parentKey("D1"), QString("MLMEAL1DT20030514"));
    }

    void removedEntriesSelectTheNeighbourAndFinallyTheFoodTree()
    {
        QVERIFY(QTest::qWaitForWindowActive(&f->main()));
        const qint32 a = f->logApples(kMay14, "");
        const qint32 b = f->logApples(kMay14, "");
        const qint32 lunch = f->logApples(kMay14, "MEAL1");
        f->tree()->setFocus();
        f->select(f->entry(b));
        auto remove = [this](const char* mode) { return [this, mode] { f->diet().removeDietEntry(mode); }; };
        answered(PromptAnswer::Yes, remove("DELETE"));
        QCOMPARE(f->selectedKey(), f->entry(a)); // the previous sibling
        // A cut replaces what the clipboard held; a meal's only entry takes the meal along.
        QVERIFY(f->diet().copyDietEntry(0, 1));
        f->select(f->entry(lunch));
        answered(PromptAnswer::Yes, remove("CUT"));
        QVERIFY(!f->has("MLMEAL1DT20030514"));
        QCOMPARE(f->selectedKey(), f->entry(a)); // the meal's previous sibling
        QCOMPARE(f->diet().dietClipboard().entries().size(), 1);
        QCOMPARE(f->diet().dietClipboard().entries().first().MealName, QString("MEAL1"));
        const qint32 c = f->logApples(kMay14, "");
        f->select(f->entry(a));
        answered(PromptAnswer::Yes, remove("DELETE"));
        QCOMPARE(f->selectedKey(), QString("DT20030514")); // the first child: its parent
        f->select(f->entry(c));
        answered(PromptAnswer::Yes, remove("DELETE")); // the user's last row
        QCOMPARE(f->nodeCount(), 0);
        QCOMPARE(f->main().focusWidget(), f->main().tvwFood);
    }

    void pasteTakesTheTargetsDayAndMeal_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("parent");
        // The clipboard holds Egg and Toast of Breakfast (MEAL0).
        textRow("day: the first record's meal", {"DT20030512", "MLMEAL0DT20030512"});
        textRow("entry under its day: the first record's meal", {"D3", "MLMEAL0DT20030512"});
        textRow("entry under a meal: that meal", {"D4", "MLMEAL2DT20030520"});
        textRow("meal: that meal", {"MLMEAL2DT20030520", "MLMEAL2DT20030520"});
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
        const QVariantList place = DietFixture::placeOf(parent);
        QCOMPARE(f->test.rows(
                     "SELECT DietDate, MealName, FoodName, Fat, UserName FROM DietActivity WHERE DietId > 5"),
                 (QList<QVariantList>{place + QVariantList{"Egg", 1.0, "USER1"},
                                      place + QVariantList{"Toast", 2.0, "USER1"}}));
        QCOMPARE(f->parentKey("D6"), parent);
        QCOMPARE(f->selectedKey(), QString("D7"));
    }

    void pastingTwiceMakesTwoSetsAndWholeGrams()
    {
        const qint32 id = f->test.addDietRow("USER1", kMay14, "", "Apples, raw", 2.835);
        f->test.exec("UPDATE DietActivity SET USDA_GM_WT = 28.35, NumServings = 0.1, MealName = NULL");
        f->reload({kMay14});
        f->select(f->entry(id));
        QVERIFY(f->diet().copyDietEntry(0, 1));
        f->diet().pasteDietEntries();
        f->diet().pasteDietEntries();
        QCOMPARE(f->test.rows("SELECT DietId, USDA_GM_WT, NumServings, Fat, MealName FROM DietActivity "
                              "WHERE DietId > ?",
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
        refuse("INSERT", "NEW.FoodName = 'Toast'");
        refuse("UPDATE", "NEW.FoodName = 'Toast'");
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
    }

    void dropsOfEntriesAndMeals_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("parent"); // of the source's first entry afterwards
        QTest::addColumn<QString>("gone");   // the node the move emptied
        // D4 is the only entry of the only meal of May 20.
        textRow("entry on a day: no meal", {"D4", "DT20030512", "DT20030512", "DT20030520"});
        textRow("entry on a meal: that meal", {"D4", kBreakfast14, kBreakfast14, "DT20030520"});
        textRow("entry on its own day", {"D4", "DT20030520", "DT20030520", "MLMEAL2DT20030520"});
        textRow("entry on an entry: nothing", {"D4", "D1", "MLMEAL2DT20030520", ""});
        textRow("meal on a day: the meal stays",
                {kBreakfast14, "DT20030512", "MLMEAL0DT20030512", "DT20030514"});
        textRow("meal on a meal: merged",
                {kBreakfast14, "MLMEAL2DT20030520", "MLMEAL2DT20030520", "DT20030514"});
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
        QCOMPARE(f->dietRow(moved.mid(1).toInt(), "DietDate, MealName"), DietFixture::placeOf(parent));
        if (moved == "D1")
            QCOMPARE(f->parentKey("D2"), parent);
        QVERIFY(gone.isEmpty() || !f->has(gone));
        QCOMPARE(f->dietRow(5, "DietDate, MealName"),
                 DietFixture::placeOf(kBreakfast14)); // not the other user's
        QVERIFY(!f->state().popupPending);
        QCOMPARE(f->prompts().count(), 0);
    }

    // The questions, and No, are the command routing's; here what Yes removes.
    void removingAMealOrADay_data()
    {
        QTest::addColumn<QString>("mode"); // of a meal; "DAY" for the whole day
        for (const char* mode : {"DELETE", "CUT", "DAY"})
            QTest::newRow(mode) << QString(mode);
    }
    void removingAMealOrADay()
    {
        QFETCH(QString, mode);
        seed({kMay14});
        const QString node = mode == "DAY" ? "DT20030514" : kBreakfast14;
        f->select(node);
        answered(PromptAnswer::Yes, [&] {
            mode == "DAY" ? f->diet().removeDietDay(kMay14) : f->diet().removeDietMeal("MEAL0", kMay14, mode);
        });
        QCOMPARE(f->prompts().count(), 1);
        QCOMPARE(f->foodNames(), (QStringList{"Tea", "Soup", "Not mine"}));
        QVERIFY(!f->has(node));
        QCOMPARE(f->ds().rsDietData.recordCount(), 2); // read again without the deleted rows
        QCOMPARE(f->diet().dietClipboard().entries().size(), mode == "CUT" ? 2 : 0);
    }
};

QTEST_MAIN(DietEditTest)
#include "tst_dietedit.moc"
