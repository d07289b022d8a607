#include "data/orvdatasource.h"
#include "diet/dietlog.h"
#include "fixture.h"
#include "food/foodcatalogue.h"

#include <QTest>

// The food catalogue's data work without any window: moves, copies and
// deletions of foods, groups made, renamed and deleted, the pending food and
// its store, and Find over the names.
class FoodCatalogueTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestContext> t;
    std::unique_ptr<FoodCatalogue> cat;

    OrvDataSource& ds() { return t->ctx().dataSource(); }
    QVariantList food(qint32 id, const QString& columns = "GroupId, FoodName")
    {
        return t->rows("SELECT " + columns + " FROM FoodItem WHERE FoodId = ?", {id}).value(0);
    }
    int count(const QString& from) { return t->scalar("SELECT count(*) FROM " + from).toInt(); }

private slots:
    void init()
    {
        t = std::make_unique<TestContext>();
        QVERIFY(ds().cmdGroups() && ds().cmdFoods());
        cat = std::make_unique<FoodCatalogue>(t->ctx());
    }
    void cleanup()
    {
        cat.reset();
        t.reset();
    }

    void groupsAndTheirFoods()
    {
        QStringList groups;
        for (const FoodGroupRow& group : cat->groups())
            groups << QString("%1<%2 %3 %4").arg(group.id).arg(group.parentId).arg(group.name, group.tag);
        QCOMPARE(groups.size(), 7);
        QVERIFY(groups.contains("2<0 Favorites FAVORITE"));
        QVERIFY(groups.contains("11<1 Fruits and Fruit Juices GROUP"));
        const std::optional<QList<FoodRow>> fruits = cat->groupFoods(Fixture::FruitGroup);
        QVERIFY(fruits);
        QStringList foods;
        for (const FoodRow& row : *fruits)
            foods << QString("%1 %2 %3").arg(row.groupId).arg(row.foodId).arg(row.name);
        QCOMPARE(foods, (QStringList{"11 9003 Apples, raw", "11 9040 Bananas, raw"}));
        QCOMPARE(cat->groupName(Fixture::VegetableGroup), "Vegetables");
        QCOMPARE(cat->groupName(99), QString());
    }

    // A food that is not in the catalogue (gone since the tree was read) is
    // neither moved, copied nor deleted, whatever row rsFoods stood on.
    void movesCopiesAndDeletionsOfFoods()
    {
        QCOMPARE(cat->moveFood(Fixture::Apples, Fixture::VegetableGroup), "Apples, raw");
        QCOMPARE(food(Fixture::Apples), (QVariantList{int(Fixture::VegetableGroup), "Apples, raw"}));
        const int foods = count("FoodItem");
        QCOMPARE(cat->moveFood(70000, Fixture::VegetableGroup), std::nullopt);
        QCOMPARE(cat->copyFood(70000).has_value(), false);
        QCOMPARE(cat->removeFood(70000).has_value(), false);
        QCOMPARE(count("FoodItem WHERE GroupId = 12"), 2);
        QCOMPARE(count("FoodItem"), foods);

        const std::optional<FoodClipboard> removed = cat->removeFood(Fixture::Bananas);
        QVERIFY(removed);
        QCOMPARE(removed->name, "Bananas, raw");
        QCOMPARE(count("FoodItem WHERE FoodId = 9040"), 0);
        QVERIFY(ds().rsFoods.hasCurrent());
        // A copy: a new id in the group given, the values kept.
        QVERIFY(cat->beginCopy(*removed, Fixture::MyFoodsGroup));
        QVERIFY(cat->hasPending());
        const std::optional<StoredFood> stored = cat->storePending();
        QVERIFY(stored && stored->added);
        QCOMPARE(stored->food.foodId, Fixture::kLastFoodId + 1);
        QCOMPARE(food(stored->food.foodId, "GroupId, FoodName, ServingSize, USDA_GM_WT"),
                 (QVariantList{int(Fixture::MyFoodsGroup), "Bananas, raw", "1 medium", 118.0}));
        QVERIFY(!cat->hasPending());
    }

    void groupsMadeAndRenamed()
    {
        const std::optional<qint32> id = cat->addGroup(Fixture::FavoritesRoot, "New Food Group");
        QCOMPARE(id, Fixture::kLastGroupId + 1);
        const QString name70 = "A" + QString(69, 'x');
        QCOMPARE(cat->renameGroup(*id, name70), name70.left(60));
        QCOMPARE(t->rows("SELECT GroupName, ParentGroup, GroupTag FROM FoodGroup WHERE GroupId = ?", {*id}),
                 (QList<QVariantList>{{name70.left(60), int(Fixture::FavoritesRoot), "GROUP"}}));
        QCOMPARE(cat->renameGroup(99, "Gone"), std::nullopt);
        QCOMPARE(count("FoodGroup WHERE GroupName = 'Gone'"), 0);
    }

    void deletingAGroupIsAllOrNothing()
    {
        // The foods are deleted first; the group row then refuses to go.
        t->exec("CREATE TRIGGER refuse BEFORE DELETE ON FoodGroup BEGIN SELECT RAISE(ABORT, 'locked'); END");
        QCOMPARE(cat->deleteGroup(Fixture::FruitGroup), false);
        QCOMPARE(t->prompts.shown(), QList<Prompt>{applicationError("Unable to delete Food Data.  ")});
        QVERIFY(!ds().inTransaction());
        QCOMPARE(count("FoodItem WHERE GroupId = 11"), 2);
        QVERIFY(ds().rsGroups.isOpen() && ds().rsFoods.isOpen());
        t->exec("DROP TRIGGER refuse");
        QCOMPARE(cat->deleteGroup(Fixture::FruitGroup), true);
        QCOMPARE(count("FoodGroup WHERE GroupId = 11") + count("FoodItem WHERE GroupId = 11"), 0);
        QCOMPARE(ds().rsFoods.recordCount(), count("FoodItem"));
        QCOMPARE(cat->deleteGroup(Fixture::FruitGroup), std::nullopt);
        QCOMPARE(count("FoodGroup"), 6);
    }

    // A rename is pending until stored (cut to its column) or dropped; a
    // failed store is reported and leaves it pending.
    void aRenameWaitsForItsStore()
    {
        QVERIFY(cat->beginRename(Fixture::Bananas, "Plantains"));
        cat->discardPending();
        QVERIFY(!cat->hasPending());
        t->exec("CREATE TRIGGER refuse BEFORE UPDATE ON FoodItem BEGIN SELECT RAISE(ABORT, 'locked'); END");
        QVERIFY(cat->beginRename(Fixture::Bananas, QString(250, 'b')));
        QCOMPARE(cat->storePending().has_value(), false);
        QCOMPARE(t->prompts.shown(), QList<Prompt>{applicationError("Unable to update Food Data.  ")});
        QVERIFY(cat->hasPending());
        t->exec("DROP TRIGGER refuse");
        const std::optional<StoredFood> stored = cat->storePending();
        QVERIFY(stored && !stored->added);
        QCOMPARE(stored->food.name, QString(200, 'b'));
        QCOMPARE(food(Fixture::Bananas), (QVariantList{int(Fixture::FruitGroup), QString(200, 'b')}));
        QVERIFY(!cat->beginRename(70000, "Gone"));
    }

    // Pattern characters keep their meaning, quotes, % and _ are plain, and a
    // text that is no pattern is looked for as it stands; in the foods and in
    // the diet log alike.
    void findKeepsPatterns_data()
    {
        QTest::addColumn<QString>("name"); // found by the row's tag, the only food that matches it
        QTest::newRow("ch?cken") << "Chicken soup";
        QTest::newRow("'b") << "O'Brien potatoes";
        QTest::newRow("# chili") << "#1 chili";
        QTest::newRow("[pq]uinoa") << "Quinoa, cooked";
        QTest::newRow("[d") << "[Draft] soup";
        QTest::newRow("100%") << "100% juice";
        QTest::newRow("_") << "snack_pack";
    }
    void findKeepsPatterns()
    {
        QFETCH(QString, name);
        const QString text = QTest::currentDataTag();
        t->exec("INSERT INTO FoodItem (FoodId, FoodName, GroupId) VALUES (70000, ?, 20)", {name});
        t->addDietRow("USER1", QDate(2003, 5, 12), "", "Toast");
        const qint32 entry = t->addDietRow("USER1", QDate(2003, 5, 13), "", name);
        QVERIFY(ds().cmdFoods());
        t->ctx().currentUser = "USER1";
        DietLog log(t->ctx());
        QVERIFY(log.reopen());
        for (bool continuing : {false, true}) { // the only match, found again
            QCOMPARE(cat->find(text, continuing), NameSearch::Found);
            QCOMPARE(ds().rsFoods.integer("FoodId"), 70000);
            QCOMPARE(log.find(text, continuing), NameSearch::Found);
            QCOMPARE(log.current().dietId, entry);
        }
        QCOMPARE(cat->find("*", false), NameSearch::Found); // any name: the first food
        QCOMPARE(ds().rsFoods.integer("FoodId"), int(Fixture::FavApples));
    }

    void findWithNothingToSearch()
    {
        QCOMPARE(cat->find("zucchini", false), NameSearch::NotFound);
        t->exec("DELETE FROM FoodItem");
        QVERIFY(ds().cmdFoods());
        QCOMPARE(cat->find("apple", false), NameSearch::Empty);
        ds().rsFoods.close();
        QCOMPARE(cat->find("apple", true), NameSearch::Closed);
        QCOMPARE(t->prompts.count(), 0);
    }
};

QTEST_MAIN(FoodCatalogueTest)
#include "tst_foodcatalogue.moc"
