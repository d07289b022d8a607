#include "foodtestsupport.h"

#include "ui/mainwindow.h"

#include <QLineEdit>
#include <QPointer>

using namespace FoodTest;

// Changes to the catalogue from the food tree, through the Edit commands, the
// in-place editor and the drop handler: delete, cut, copy, paste, favourites,
// new groups, renames, moves, and group deletion with its transaction.
class FoodEditingTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> f;

    void load()
    {
        f->load();
        showWindow(*f);
    }
    int count(const QString& sql, const QVariantList& params = {})
    {
        return f->test.scalar("SELECT count(*) FROM " + sql, params).toInt();
    }
    // Types text into the in-place editor of the selected node and confirms it.
    void renameSelected(const QString& text)
    {
        trigger(*f, Command::Rename);
        QLineEdit* editor = nullptr;
        for (QLineEdit* e : foodView(*f)->findChildren<QLineEdit*>()) {
            if (e->isVisible())
                editor = e;
        }
        QVERIFY(editor);
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        // The editor commits once it has closed, and the tree takes the text after that.
        const QPointer<QLineEdit> open(editor);
        QTRY_VERIFY(!open || !open->isVisible());
        QCoreApplication::processEvents();
    }
    QList<QVariantList> foodRows(const QString& where, const QVariantList& params = {})
    {
        return f->test.rows("SELECT FoodName, ServingSize, Fat, Protein, Carbohydrate, Calorie, Sodium, Cholesterol, "
                            "Other1, Other2, USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT FROM FoodItem WHERE " +
                                where + " ORDER BY FoodId",
                            params);
    }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void deletingAFoodSelectsTheNodeAbove_data()
    {
        QTest::addColumn<int>("food");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("selected");
        QTest::newRow("the first: its group") << int(Fixture::Apples) << "Apples, raw" << "G11";
        QTest::newRow("a later one: the food above") << int(Fixture::Bananas) << "Bananas, raw" << "F9003";
    }
    void deletingAFoodSelectsTheNodeAbove()
    {
        QFETCH(int, food);
        QFETCH(QString, caption);
        QFETCH(QString, selected);
        load();
        clickFood(*f, Fixture::FruitGroup, food);
        f->prompts().queueYes();
        trigger(*f, Command::Delete);
        QCOMPARE(f->prompts().last().text, "Are you sure you want to Delete Food Item: " + caption);
        QCOMPARE(f->prompts().last().buttons, PromptButtons::YesNo);
        QCOMPARE(count("FoodItem WHERE FoodId = ?", {food}), 0);
        QCOMPARE(node(*f, QString("F%1").arg(food)), nullptr);
        QCOMPARE(selectedKey(*f), selected);
        QVERIFY(foodView(*f)->hasFocus());
        // The commands and the status bar follow the new selection.
        QCOMPARE(enabled(*f, Command::Copy), selected.startsWith('F'));
        QCOMPARE(f->main().statusPanel1->text(), selected.startsWith('F') ? QString("Serving Size:  100 g") : QString());
        QVERIFY(!f->main().foodTree().foodClipboardFull());
    }

    void answeringNoChangesNothing()
    {
        load();
        clickFood(*f, Fixture::FruitGroup, Fixture::Bananas);
        f->prompts().queueNo();
        trigger(*f, Command::Cut);
        QCOMPARE(f->prompts().last().text, QString("Are you sure you want to Cut Food Item: Bananas, raw"));
        QCOMPARE(count("FoodItem WHERE FoodId = 9040"), 1);
        QCOMPARE(selectedKey(*f), QString("F9040"));
        QVERIFY(!f->main().foodTree().foodClipboardFull());
        QVERIFY(!enabled(*f, Command::Paste));

        clickNode(foodView(*f), node(*f, "G11"));
        f->prompts().queueNo();
        trigger(*f, Command::Delete);
        QCOMPARE(count("FoodGroup WHERE GroupId = 11"), 1);
        QCOMPARE(childKeys(node(*f, "G11")), (QStringList{"F9003", "F9040"}));
    }

    void cutAndPasteGivesANewIdWithTheSameValues_data()
    {
        QTest::addColumn<double>("grams");
        QTest::addColumn<double>("pasted");
        QTest::newRow("28.35") << 28.35 << 28.0;
        QTest::newRow("42.5") << 42.5 << 42.0;
        QTest::newRow("43.5") << 43.5 << 44.0;
    }
    void cutAndPasteGivesANewIdWithTheSameValues()
    {
        QFETCH(double, grams);
        QFETCH(double, pasted);
        f->test.exec("UPDATE FoodItem SET USDA_GM_WT = ? WHERE FoodId = 9003", {grams});
        load();
        QList<QVariantList> before = foodRows("FoodId = 9003");
        clickFood(*f, Fixture::FruitGroup, Fixture::Apples);
        f->prompts().queueYes();
        trigger(*f, Command::Cut);
        QCOMPARE(f->prompts().last().text, QString("Are you sure you want to Cut Food Item: Apples, raw"));
        QCOMPARE(count("FoodItem WHERE FoodId = 9003"), 0);
        QVERIFY(f->main().foodTree().foodClipboardFull());
        QCOMPARE(selectedKey(*f), QString("G11"));
        QVERIFY(enabled(*f, Command::Paste)); // a group takes a paste

        clickNode(foodView(*f), node(*f, "G12")); // never opened
        trigger(*f, Command::Paste);
        const qint32 id = Fixture::kLastFoodId + 1;
        before[0][12] = pasted;
        QCOMPARE(foodRows("FoodId = ?", {id}), before);
        QCOMPARE(f->test.scalar("SELECT GroupId FROM FoodItem WHERE FoodId = ?", {id}).toInt(),
                 int(Fixture::VegetableGroup));
        QCOMPARE(childKeys(node(*f, "G12")), (QStringList{QString("F%1").arg(id), "F11090"}));
        QCOMPARE(selectedKey(*f), QString("F%1").arg(id));
        QCOMPARE(f->main().statusPanel1->text(), QString("Serving Size:  100 g"));
        QVERIFY(!f->main().state().foodDataChanged && !f->main().state().newFoodPending);
    }

    void theSameItemCanBePastedTwice()
    {
        load();
        clickFood(*f, Fixture::FruitGroup, Fixture::Bananas);
        trigger(*f, Command::Copy);
        QVERIFY(enabled(*f, Command::Paste, Surface::Toolbar));
        clickNode(foodView(*f), node(*f, "G20"));
        trigger(*f, Command::Paste);
        clickNode(foodView(*f), node(*f, "F50001")); // a food: its group takes the paste
        trigger(*f, Command::Paste);
        const QString first = QString("F%1").arg(Fixture::kLastFoodId + 1);
        const QString second = QString("F%1").arg(Fixture::kLastFoodId + 2);
        QCOMPARE(childKeys(node(*f, "G20")), (QStringList{"F50001", first, second}));
        QCOMPARE(count("FoodItem WHERE FoodName = 'Bananas, raw' AND GroupId = 20"), 2);
        QCOMPARE(foodRows("GroupId = 20 AND FoodName = 'Bananas, raw'").value(0),
                 foodRows("GroupId = 20 AND FoodName = 'Bananas, raw'").value(1));
        QCOMPARE(count("FoodItem WHERE FoodId = 9040"), 1); // a copy leaves the original
        QVERIFY(f->main().foodTree().foodClipboardFull());
        QVERIFY(enabled(*f, Command::Paste));
    }

    void pasteIsNotOfferedOnARoot()
    {
        load();
        clickFood(*f, Fixture::FruitGroup, Fixture::Bananas);
        trigger(*f, Command::Copy);
        clickNode(foodView(*f), node(*f, "G1"));
        QVERIFY(!enabled(*f, Command::Paste));
        f->main().foodTree().pasteFood();
        QCOMPARE(count("FoodItem"), 7);
    }

    void copyToFavoritesLeavesPasteOff()
    {
        load();
        clickFood(*f, Fixture::DairyGroup, Fixture::Butter);
        trigger(*f, Command::Copy);
        clickFood(*f, Fixture::FruitGroup, Fixture::Bananas);
        QVERIFY(enabled(*f, Command::Paste));
        trigger(*f, Command::FoodFav);
        const QString copy = QString("F%1").arg(Fixture::kLastFoodId + 1);
        QCOMPARE(childKeys(node(*f, "G2")), (QStringList{"F60001", copy}));
        QCOMPARE(foodRows("FoodId = ?", {Fixture::kLastFoodId + 1}), foodRows("FoodId = 9040"));
        QCOMPARE(count("FoodItem WHERE FoodId = 9040 AND GroupId = 11"), 1);
        QVERIFY(!f->main().foodTree().foodClipboardFull());
        QVERIFY(!enabled(*f, Command::Paste));
        clickNode(foodView(*f), node(*f, "G10"));
        QVERIFY(!enabled(*f, Command::Paste));
        // The copy in the favourites offers no second copy.
        clickNode(foodView(*f), node(*f, copy));
        QVERIFY(!enabled(*f, Command::FoodFav));
        QVERIFY(!enabled(*f, Command::FoodFav, Surface::Popup));
    }

    void renamesAreCutToTheirColumns()
    {
        load();
        openGroup(*f, "G1");
        clickNode(foodView(*f), node(*f, "G11"));
        const QString long70 = "A" + QString(69, 'x');
        renameSelected(long70);
        QCOMPARE(f->test.scalar("SELECT GroupName FROM FoodGroup WHERE GroupId = 11").toString(), long70.left(60));
        QCOMPARE(node(*f, "G11")->text(0), long70.left(60));
        // Sorted into place among its siblings.
        QCOMPARE(childKeys(node(*f, "G1")), (QStringList{"G11", "G10", "G12"}));
        QCOMPARE(selectedKey(*f), QString("G11"));

        clickFood(*f, Fixture::FruitGroup, Fixture::Bananas);
        const QString long250 = QString(250, 'b');
        renameSelected(long250);
        QCOMPARE(f->test.scalar("SELECT FoodName FROM FoodItem WHERE FoodId = 9040").toString(), long250.left(200));
        QCOMPARE(node(*f, "F9040")->text(0), long250.left(200));
        QCOMPARE(childKeys(node(*f, "G11")), (QStringList{"F9003", "F9040"}));
        QVERIFY(!f->main().state().foodDataChanged);
        QCOMPARE(f->ctx().dataSource().rsFoods.editMode(), Recordset::EditMode::None);

        renameSelected("Apricots");
        QCOMPARE(childKeys(node(*f, "G11")), (QStringList{"F9003", "F9040"}));
        renameSelected("Aardvark chow");
        QCOMPARE(childCaptions(node(*f, "G11")), (QStringList{"Aardvark chow", "Apples, raw"}));
    }

    void aCancelledRenameChangesNothing()
    {
        load();
        clickNode(foodView(*f), node(*f, "G2"));
        trigger(*f, Command::Rename);
        auto* editor = foodView(*f)->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText("Best");
        QTest::keyClick(editor, Qt::Key_Escape);
        QCoreApplication::processEvents();
        QCOMPARE(node(*f, "G2")->text(0), QString("Favorites"));
        QCOMPARE(f->test.scalar("SELECT GroupName FROM FoodGroup WHERE GroupId = 2").toString(), QString("Favorites"));
    }

    void aFailedRenameKeepsTheStoredName()
    {
        load();
        clickNode(foodView(*f), node(*f, "G2"));
        f->test.exec("CREATE TRIGGER refuse BEFORE UPDATE ON FoodGroup BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        renameSelected("Best");
        QCOMPARE(f->prompts().last().icon, PromptIcon::Critical);
        QVERIFY(f->prompts().last().text.startsWith("Unable to update Food Data.  "));
        QCOMPARE(node(*f, "G2")->text(0), QString("Favorites"));
        QCOMPARE(f->ctx().dataSource().rsGroups.editMode(), Recordset::EditMode::None);
    }

    void aNewGroupGoesBelowTheRootOfTheSelection_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("parent");
        QTest::newRow("a favourite") << "F60001" << "G2";
        QTest::newRow("a food in a group") << "F9003" << "G1";
        QTest::newRow("a group") << "G20" << "G3";
        QTest::newRow("a root") << "G3" << "G3";
        QTest::newRow("the favourites") << "G2" << "G2";
    }
    void aNewGroupGoesBelowTheRootOfTheSelection()
    {
        QFETCH(QString, selected);
        QFETCH(QString, parent);
        load();
        if (selected == "F9003")
            clickFood(*f, Fixture::FruitGroup, Fixture::Apples);
        else
            clickNode(foodView(*f), node(*f, selected));
        trigger(*f, Command::NewFoodGroup);
        const int id = Fixture::kLastGroupId + 1;
        const QString key = QString("G%1").arg(id);
        QCOMPARE(f->test.rows("SELECT GroupName, ParentGroup, GroupTag FROM FoodGroup WHERE GroupId = ?", {id}).value(0),
                 (QVariantList{"New Food Group", parent.mid(1).toInt(), "GROUP"}));
        QTreeWidgetItem* group = node(*f, key);
        QVERIFY(group);
        QCOMPARE(NodeTree::key(group->parent()), parent);
        QCOMPARE(NodeTree::tag(group), QString("GROUP"));
        QCOMPARE(NodeTree::imageKey(group), QString("GroupClosed"));
        QCOMPARE(selectedKey(*f), key);
        QVERIFY(enabled(*f, Command::Delete)); // a group's commands
        // Its caption is open for editing at once.
        auto* editor = foodView(*f)->findChild<QLineEdit*>();
        QVERIFY(editor && editor->isVisible());
        editor->setText("Snacks I like");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(group->text(0), QString("Snacks I like"));
        QCOMPARE(f->test.scalar("SELECT GroupName FROM FoodGroup WHERE GroupId = ?", {id}).toString(),
                 QString("Snacks I like"));
    }

    void droppingOnAnUnopenedGroupLoadsItFirst()
    {
        load();
        openGroup(*f, "G1");
        openGroup(*f, "G11");
        FoodTree& tree = f->main().foodTree();
        QVERIFY(tree.canDropOn(foodView(*f), node(*f, "G12"), "F9003"));
        tree.drop(foodView(*f), node(*f, "G12"), "F9003");
        QCOMPARE(childKeys(node(*f, "G12")), (QStringList{"F9003", "F11090"}));
        QCOMPARE(childKeys(node(*f, "G11")), (QStringList{"F9040"}));
        QCOMPARE(f->test.scalar("SELECT GroupId FROM FoodItem WHERE FoodId = 9003").toInt(), int(Fixture::VegetableGroup));
        QCOMPARE(selectedKey(*f), QString("F9003"));
        QCOMPARE(f->ctx().dataSource().rsFoods.integer("FoodId"), int(Fixture::Apples));
        QCOMPARE(count("FoodItem"), 7);
    }

    void droppingOnTheFavouritesMovesTheFood()
    {
        load();
        openGroup(*f, "G1");
        openGroup(*f, "G11");
        f->main().foodTree().drop(foodView(*f), node(*f, "G2"), "F9040");
        QCOMPARE(childKeys(node(*f, "G2")), (QStringList{"F60001", "F9040"}));
        QCOMPARE(childKeys(node(*f, "G11")), (QStringList{"F9003"}));
        QCOMPARE(f->test.scalar("SELECT GroupId FROM FoodItem WHERE FoodId = 9040").toInt(), int(Fixture::FavoritesRoot));
        QCOMPARE(count("FoodItem"), 7);
        // A food dropped from the favourites back into a group; and a diet
        // entry dropped on the favourites moves nothing.
        f->main().foodTree().drop(foodView(*f), node(*f, "G11"), "F9040");
        QCOMPARE(childKeys(node(*f, "G11")), (QStringList{"F9003", "F9040"}));
        f->main().foodTree().drop(foodView(*f), node(*f, "G2"), "D1");
        QCOMPARE(childKeys(node(*f, "G2")), (QStringList{"F60001"}));
        QCOMPARE(f->test.scalar("SELECT GroupId FROM FoodItem WHERE FoodId = 9040").toInt(), int(Fixture::FruitGroup));
    }

    void deletingAGroupRemovesItsFoods_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("selected");
        QTest::newRow("first of its siblings") << "G10" << "Dairy and Egg Products" << "G1";
        QTest::newRow("a later sibling") << "G11" << "Fruits and Fruit Juices" << "G10";
    }
    void deletingAGroupRemovesItsFoods()
    {
        QFETCH(QString, group);
        QFETCH(QString, caption);
        QFETCH(QString, selected);
        load();
        openGroup(*f, "G1");
        openGroup(*f, group);
        clickNode(foodView(*f), node(*f, group));
        f->prompts().queueYes();
        trigger(*f, Command::Delete);
        QCOMPARE(f->prompts().last().text, "Are you sure you want to Delete the '" + caption +
                                                "' Food Group and all of its associated Food Items?");
        const int id = group.mid(1).toInt();
        QCOMPARE(count("FoodGroup WHERE GroupId = ?", {id}), 0);
        QCOMPARE(count("FoodItem WHERE GroupId = ?", {id}), 0);
        QCOMPARE(count("FoodItem"), 5);
        QCOMPARE(node(*f, group), nullptr);
        QCOMPARE(node(*f, id == 10 ? "F1001" : "F9003"), nullptr);
        QCOMPARE(selectedKey(*f), selected);
        QCOMPARE(f->ctx().dataSource().rsFoods.recordCount(), 5);
        // The rest of the catalogue works as before.
        clickFood(*f, Fixture::VegetableGroup, Fixture::Broccoli);
        QCOMPARE(f->main().statusPanel1->text(), QString("Serving Size:  1 cup chopped"));
    }

    void aFailedGroupDeletionLeavesEverything()
    {
        load();
        openGroup(*f, "G1");
        openGroup(*f, "G11");
        clickNode(foodView(*f), node(*f, "G11"));
        // The foods are deleted first; the group row then refuses to go.
        f->test.exec("CREATE TRIGGER refuse BEFORE DELETE ON FoodGroup BEGIN SELECT RAISE(ABORT, 'locked'); END");
        f->prompts().queueYes();
        trigger(*f, Command::Delete);
        QCOMPARE(f->prompts().last().icon, PromptIcon::Critical);
        QVERIFY(f->prompts().last().text.startsWith("Unable to delete Food Data.  If this behavior continues"));
        QCOMPARE(f->test.shutDowns, 0);
        QCOMPARE(count("FoodGroup WHERE GroupId = 11"), 1);
        QCOMPARE(count("FoodItem WHERE GroupId = 11"), 2);
        QCOMPARE(childKeys(node(*f, "G11")), (QStringList{"F9003", "F9040"}));
        QCOMPARE(selectedKey(*f), QString("G11"));
        QVERIFY(!f->ctx().dataSource().inTransaction());
        clickNode(foodView(*f), node(*f, "F9040"));
        QCOMPARE(f->main().statusPanel1->text(), QString("Serving Size:  1 medium"));
        f->test.exec("DROP TRIGGER refuse");
        // The group can still be deleted once nothing stands in the way.
        clickNode(foodView(*f), node(*f, "G11"));
        f->prompts().queueYes();
        trigger(*f, Command::Delete);
        QCOMPARE(count("FoodItem WHERE GroupId = 11"), 0);
        QCOMPARE(node(*f, "G11"), nullptr);
    }

    void rootGroupsAreNeverDeleted()
    {
        load();
        for (const char* key : {"G1", "G2"}) {
            clickNode(foodView(*f), node(*f, key));
            QVERIFY(!enabled(*f, Command::Delete));
            QVERIFY(!enabled(*f, Command::Delete, Surface::Toolbar));
            f->main().foodTree().deleteFoodGroup(key);
        }
        QCOMPARE(f->prompts().count(), 0);
        QCOMPARE(count("FoodGroup"), 7);
    }
};

QTEST_MAIN(FoodEditingTest)
#include "tst_foodediting.moc"
