#include "foodtestsupport.h"

#include "food/fooditemeditor.h"
#include "ui/mainwindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

using namespace FoodTest;

// The food tree of the main window driven through its widgets: loading,
// lazy group loading, the commands each node enables, the status bar, the
// keyboard, focus, the drag of a food and the drop targets.
class FoodTreeTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> f;

    void load()
    {
        f->load();
        showWindow(*f);
    }

    // Foods for the letter jump, in the "My Foods" group next to the apple pie.
    void addFoods(const QStringList& names)
    {
        int id = 80000;
        for (const QString& name : names)
            f->test.exec("INSERT INTO FoodItem (FoodId, FoodName, GroupId, ServingSize) VALUES (?, ?, ?, '1 each')",
                         {id++, name, int(Fixture::MyFoodsGroup)});
    }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void loadSelectsTheFavouritesWithTheirFoodsInNameOrder()
    {
        f->test.exec("INSERT INTO FoodItem (FoodId, FoodName, GroupId) VALUES (61000, 'banana split', 2), "
                     "(61001, 'Apple crumble', 2), (61002, 'apricot', 2), (61003, 'Bananas, raw', 2)");
        load();
        QTreeWidgetItem* favorites = node(*f, "G2");
        QCOMPARE(foodView(*f)->selectedNode(), favorites);
        QCOMPARE(childCaptions(favorites),
                 (QStringList{"Apple crumble", "Apples, raw", "apricot", "banana split", "Bananas, raw"}));
        // Groups are in place but hold no foods until opened.
        QCOMPARE(childCaptions(node(*f, "G1")),
                 (QStringList{"Dairy and Egg Products", "Fruits and Fruit Juices", "Vegetables"}));
        QCOMPARE(node(*f, "G10")->childCount(), 0);
        QCOMPARE(f->main().statusPanel1->text(), QString());
        QCOMPARE(f->main().statusPanel2->text(), QString("User:  User 1"));
        QCOMPARE(f->main().statusPanel2->toolTip(), QString("Current User"));
        QCOMPARE(NodeTree::imageKey(favorites), QString("closed"));
        QCOMPARE(NodeTree::imageKey(node(*f, "G10")), QString("GroupClosed"));
        QCOMPARE(NodeTree::imageKey(favorites->child(0)), QString("FoodItem"));
        QCOMPARE(f->main().foodTree().favoriteGroupId(), int(Fixture::FavoritesRoot));
    }

    void withoutFavouritesNothingIsSelected()
    {
        f->test.exec("UPDATE FoodGroup SET GroupTag = 'GROUPROOT' WHERE GroupId = 2");
        f->load();
        QCOMPARE(foodView(*f)->selectedNode(), nullptr);
        QCOMPARE(f->main().statusPanel1->text(), QString());
        QCOMPARE(f->main().foodTree().favoriteGroupId(), 0);
        QCOMPARE(node(*f, "G2")->childCount(), 0);
        showWindow(*f);
        // Nothing can go to favourites that do not exist.
        clickFood(*f, Fixture::FruitGroup, Fixture::Apples);
        QVERIFY(!enabled(*f, Command::FoodFav));
    }

    void aGroupIsLoadedOnceWhenFirstOpened()
    {
        load();
        QTreeWidgetItem* fruit = node(*f, "G11");
        openGroup(*f, "G11");
        QCOMPARE(childKeys(fruit), (QStringList{"F9003", "F9040"}));
        QVERIFY(fruit->isExpanded());
        QCOMPARE(NodeTree::imageKey(fruit), QString("GroupOpen"));

        // A row stored behind the tree's back shows that nothing is read again.
        f->test.exec("INSERT INTO FoodItem (FoodId, FoodName, GroupId) VALUES (61000, 'Apricots', 11)");
        doubleClickNode(foodView(*f), fruit);
        QVERIFY(!fruit->isExpanded());
        QCOMPARE(NodeTree::imageKey(fruit), QString("GroupClosed"));
        doubleClickNode(foodView(*f), fruit);
        QVERIFY(fruit->isExpanded());
        QCOMPARE(childKeys(fruit), (QStringList{"F9003", "F9040"}));

        // Enter opens a group as the double-click does.
        clickNode(foodView(*f), node(*f, "G10"));
        QTest::keyClick(foodView(*f), Qt::Key_Return);
        QCOMPARE(childKeys(node(*f, "G10")), (QStringList{"F1001", "F1077"}));
        QVERIFY(node(*f, "G10")->isExpanded());
    }

    void rootImagesFollowExpandAndCollapse()
    {
        load();
        QTreeWidgetItem* usda = node(*f, "G1");
        doubleClickNode(foodView(*f), usda);
        QVERIFY(usda->isExpanded());
        QCOMPARE(NodeTree::imageKey(usda), QString("open"));
        usda->setExpanded(false);
        QCOMPARE(NodeTree::imageKey(usda), QString("closed"));
    }

    void commandsFollowTheClickedNode_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("clipboard");
        // Expected state of: Cut, Copy, FoodDetails, Delete, NewFoodItem, FoodFav, Paste
        QTest::addColumn<QList<bool>>("expected");
        QTest::newRow("USDA root") << "G1" << false << QList<bool>{false, false, false, false, false, false, false};
        QTest::newRow("USDA root, clipboard full")
            << "G1" << true << QList<bool>{false, false, false, false, false, false, false};
        QTest::newRow("favourites root")
            << "G2" << false << QList<bool>{false, false, false, false, true, false, false};
        QTest::newRow("favourites root, clipboard full")
            << "G2" << true << QList<bool>{false, false, false, false, true, false, true};
        QTest::newRow("group") << "G10" << false << QList<bool>{false, false, false, true, true, false, false};
        QTest::newRow("group, clipboard full")
            << "G10" << true << QList<bool>{false, false, false, true, true, false, true};
        QTest::newRow("food in a group") << "F1001" << false << QList<bool>{true, true, true, true, true, true, false};
        QTest::newRow("food in a group, clipboard full")
            << "F1077" << true << QList<bool>{true, true, true, true, true, true, true};
        QTest::newRow("food in the favourites")
            << "F60001" << false << QList<bool>{true, true, true, true, true, false, false};
    }
    void commandsFollowTheClickedNode()
    {
        QFETCH(QString, key);
        QFETCH(bool, clipboard);
        QFETCH(QList<bool>, expected);
        load();
        openGroup(*f, "G1");
        openGroup(*f, "G10");
        if (clipboard) {
            clickNode(foodView(*f), node(*f, "F1001"));
            QCOMPARE(f->main().state().activeTree, QString("FOODS"));
            trigger(*f, Command::Copy);
        }
        // Start from a node that sets the opposite state where it can.
        clickNode(foodView(*f), node(*f, key.startsWith('F') ? "G1" : "F1001"));
        clickNode(foodView(*f), node(*f, key));

        const QList<Command> commands = {Command::Cut,         Command::Copy,    Command::FoodDetails, Command::Delete,
                                         Command::NewFoodItem, Command::FoodFav, Command::Paste};
        for (int i = 0; i < commands.size(); ++i) {
            for (Surface surface : {Surface::Menu, Surface::Popup, Surface::Toolbar}) {
                QAction* action = f->main().commands().action(commands[i], surface);
                if (!action)
                    continue;
                QVERIFY2(action->isEnabled() == expected[i],
                         qPrintable(QString("%1 should be %2").arg(action->objectName(),
                                                                    expected[i] ? "enabled" : "disabled")));
            }
        }
        // The same for every node: Rename and New on, diet commands off, the
        // food builder unavailable in this build.
        for (Surface surface : {Surface::Menu, Surface::Popup, Surface::Toolbar}) {
            if (QAction* a = f->main().commands().action(Command::New, surface))
                QVERIFY(a->isEnabled());
        }
        QVERIFY(enabled(*f, Command::Rename) && enabled(*f, Command::Rename, Surface::Popup));
        for (Command command : {Command::DietDetails, Command::DietEntry, Command::FoodBuilder}) {
            QVERIFY(!enabled(*f, command, Surface::Menu));
            QVERIFY(!enabled(*f, command, Surface::Popup));
        }
    }

    void statusBarShowsTheServingSizeOfAFood()
    {
        load();
        clickFood(*f, Fixture::FruitGroup, Fixture::Bananas);
        QCOMPARE(f->main().statusPanel1->text(), QString("Serving Size:  1 medium"));
        QCOMPARE(f->main().statusPanel1->toolTip(), QString("Serving Size of Selected Food Item"));
        QCOMPARE(f->ctx().dataSource().rsFoods.integer("FoodId"), int(Fixture::Bananas));
        clickNode(foodView(*f), node(*f, "G11"));
        QCOMPARE(f->main().statusPanel1->text(), QString());
        QCOMPARE(f->main().statusPanel1->toolTip(), QString());
        // A group click leaves rsFoods where it was.
        QCOMPARE(f->ctx().dataSource().rsFoods.integer("FoodId"), int(Fixture::Bananas));
        // The keyboard moves are clicks too.
        QTest::keyClick(foodView(*f), Qt::Key_Down);
        QCOMPARE(selectedKey(*f), QString("F9003"));
        QCOMPARE(f->main().statusPanel1->text(), QString("Serving Size:  100 g"));
    }

    void rightClickShowsTheContextMenuOnce()
    {
        load();
        QMenu* menu = f->main().mnuPop_RTB;
        clickNode(foodView(*f), node(*f, "G10"), Qt::RightButton);
        QCOMPARE(selectedKey(*f), QString("G10"));
        QVERIFY(menu->isVisible());
        QVERIFY(!f->main().state().popupPending);
        menu->hide();
        clickNode(foodView(*f), node(*f, "G11"));
        QVERIFY(!menu->isVisible());

        // A right press that never became a click leaves no menu behind for the next click.
        QTest::mousePress(foodView(*f)->viewport(), Qt::RightButton, {}, nodePoint(foodView(*f), node(*f, "G12")));
        QVERIFY(f->main().state().popupPending);
        QTest::mousePress(foodView(*f)->viewport(), Qt::LeftButton, {}, QPoint(5, foodView(*f)->height() - 5));
        QVERIFY(!f->main().state().popupPending);
    }

    void mouseDownRemembersTheHitNode()
    {
        load();
        QTest::mousePress(foodView(*f)->viewport(), Qt::LeftButton, {}, nodePoint(foodView(*f), node(*f, "G10")));
        QCOMPARE(f->main().state().hitNode(), node(*f, "G10"));
        QTest::mouseRelease(foodView(*f)->viewport(), Qt::LeftButton, {}, nodePoint(foodView(*f), node(*f, "G10")));
        QTest::mousePress(foodView(*f)->viewport(), Qt::LeftButton, {}, QPoint(5, foodView(*f)->height() - 5));
        QCOMPARE(f->main().state().hitNode(), nullptr);
    }

    void letterJump_data()
    {
        QTest::addColumn<QStringList>("foods");
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("to");
        const QStringList abc = {"Apple", "Banana", "Cherry"};
        QTest::newRow("A from Cherry") << abc << "Cherry" << int(Qt::Key_A) << 0 << "Apple";
        QTest::newRow("same initial stays") << abc << "Banana" << int(Qt::Key_B) << 0 << "Banana";
        QTest::newRow("M from C: first at or past M")
            << QStringList{"Carrot", "Leek", "Melon", "Nut"} << "Carrot" << int(Qt::Key_M) << 0 << "Melon";
        QTest::newRow("M from C: past M when no M")
            << QStringList{"Carrot", "Leek", "Nut", "Pea"} << "Carrot" << int(Qt::Key_M) << 0 << "Nut";
        QTest::newRow("M on M stays")
            << QStringList{"Carrot", "Melon", "Mint"} << "Mint" << int(Qt::Key_M) << 0 << "Mint";
        QTest::newRow("none later: the last") << abc << "Apple" << int(Qt::Key_Z) << 0 << "Cherry";
        QTest::newRow("lower case is past every key")
            << QStringList{"Apple", "banana", "Melon"} << "Apple" << int(Qt::Key_M) << 0 << "banana";
        QTest::newRow("with Shift") << abc << "Cherry" << int(Qt::Key_A) << int(Qt::ShiftModifier) << "Apple";
        QTest::newRow("Ctrl alone: no jump") << abc << "Cherry" << int(Qt::Key_A) << int(Qt::ControlModifier)
                                             << "Cherry";
        QTest::newRow("Ctrl and Shift jump") << abc << "Cherry" << int(Qt::Key_A)
                                             << int(Qt::ControlModifier | Qt::ShiftModifier) << "Apple";
    }
    void letterJump()
    {
        QFETCH(QStringList, foods);
        QFETCH(QString, from);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, to);
        f->test.exec("DELETE FROM FoodItem WHERE GroupId = ?", {int(Fixture::MyFoodsGroup)});
        addFoods(foods);
        load();
        openGroup(*f, "G3");
        openGroup(*f, "G20");
        QTreeWidgetItem* group = node(*f, "G20");
        clickNode(foodView(*f), group->child(foods.indexOf(from)));
        QTest::keyClick(foodView(*f), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(foodView(*f)->selectedNode()->text(0), to);
        // The jump is a click: the record and the status bar follow.
        QCOMPARE(f->ctx().dataSource().rsFoods.text("FoodName"), to);
        QCOMPARE(f->main().statusPanel1->text(), QString("Serving Size:  1 each"));
    }

    void lettersOnAGroupLeaveTheFoodsAlone()
    {
        load();
        openGroup(*f, "G1");
        clickNode(foodView(*f), node(*f, "G10"));
        QTest::keyClick(foodView(*f), Qt::Key_V);
        // The tree's own type-ahead moves among the visible nodes: to Vegetables.
        QCOMPARE(selectedKey(*f), QString("G12"));
        QCOMPARE(node(*f, "G12")->childCount(), 0);
    }

    void escapeCollapsesTheParent()
    {
        load();
        clickFood(*f, Fixture::FruitGroup, Fixture::Apples);
        QTest::keyClick(foodView(*f), Qt::Key_Escape);
        QVERIFY(!node(*f, "G11")->isExpanded());
        QCOMPARE(selectedKey(*f), QString("G11"));
        QVERIFY(enabled(*f, Command::Delete)); // the commands follow the group now
        QVERIFY(!enabled(*f, Command::Copy));
        QTest::keyClick(foodView(*f), Qt::Key_Escape);
        QVERIFY(!node(*f, "G1")->isExpanded());
        QCOMPARE(selectedKey(*f), QString("G1"));
        // On a root it does nothing.
        QTest::keyClick(foodView(*f), Qt::Key_Escape);
        QCOMPARE(selectedKey(*f), QString("G1"));
    }

    void enterOnAFoodDoesNothing()
    {
        load();
        clickFood(*f, Fixture::FruitGroup, Fixture::Apples);
        const int before = f->prompts().count();
        QTest::keyClick(foodView(*f), Qt::Key_Return);
        QCOMPARE(selectedKey(*f), QString("F9003"));
        QVERIFY(node(*f, "G11")->isExpanded());
        QCOMPARE(f->prompts().count(), before);
    }

    void f2StartsRenamingTheSelectedNode()
    {
        load();
        clickNode(foodView(*f), node(*f, "G10"));
        QTest::keyClick(foodView(*f), Qt::Key_F2);
        auto* editor = foodView(*f)->findChild<QLineEdit*>();
        QVERIFY(editor && editor->isVisible());
        QCOMPARE(editor->text(), QString("Dairy and Egg Products"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QCOMPARE(node(*f, "G10")->text(0), QString("Dairy and Egg Products"));
    }

    void focusMakesTheFoodTreeActiveAndResetsItsCommands()
    {
        load();
        clickNode(foodView(*f), node(*f, "G1"));
        f->main().tvwDiet->setFocus();
        QTRY_VERIFY(f->main().tvwDiet->hasFocus());
        // What the diet tree's focus does to the shared commands.
        f->main().state().activeTree = "DIET";
        f->main().commands().setEnabled(Command::Delete, true);
        f->main().commands().setEnabled(Command::Rename, false);
        foodView(*f)->setFocus();
        QTRY_COMPARE(f->main().state().activeTree, QString("FOODS"));
        // A root group cannot be deleted, whatever the other tree enabled.
        QVERIFY(!enabled(*f, Command::Delete));
        QVERIFY(enabled(*f, Command::Rename));
        QVERIFY(!f->main().mnuPop_RTB->isVisible());
    }

    void focusResolvesAPendingFoodChange_data()
    {
        QTest::addColumn<bool>("newRow");
        QTest::addColumn<bool>("yes");
        QTest::newRow("changed, saved") << false << true;
        QTest::newRow("changed, discarded") << false << false;
        QTest::newRow("new, saved") << true << true;
        QTest::newRow("new, discarded") << true << false;
    }
    void focusResolvesAPendingFoodChange()
    {
        QFETCH(bool, newRow);
        QFETCH(bool, yes);
        load();
        clickFood(*f, Fixture::FruitGroup, Fixture::Bananas);
        f->main().tvwDiet->setFocus();
        QTRY_VERIFY(f->main().tvwDiet->hasFocus());
        Recordset& foods = f->ctx().dataSource().rsFoods;
        if (newRow) {
            foods.addNew();
            foods.setValue("FoodId", 70000);
            foods.setValue("GroupId", int(Fixture::FruitGroup));
            foods.setValue("FoodName", "Cherries");
            f->main().state().newFoodPending = true;
        } else {
            foods.edit();
            foods.setValue("FoodName", "Bananas, ripe");
        }
        f->main().state().foodDataChanged = true;
        f->prompts().queue(yes ? PromptAnswer::Yes : PromptAnswer::No);
        foodView(*f)->setFocus();
        QTRY_COMPARE(f->main().state().activeTree, QString("FOODS"));
        QCOMPARE(f->prompts().last().text, newRow ? QString("Do you want to save this new Food Item?")
                                                  : QString("Food Data changed.  Do you want to save it?"));
        QCOMPARE(f->prompts().last().buttons, PromptButtons::YesNo);
        QVERIFY(!f->main().state().foodDataChanged);
        QVERIFY(!f->main().state().newFoodPending);
        QCOMPARE(foods.editMode(), Recordset::EditMode::None);
        if (newRow) {
            QCOMPARE(f->test.scalar("SELECT count(*) FROM FoodItem WHERE FoodId = 70000").toInt(), yes ? 1 : 0);
            QCOMPARE(node(*f, "F70000") != nullptr, yes);
        } else {
            const QString name = yes ? "Bananas, ripe" : "Bananas, raw";
            QCOMPARE(f->test.scalar("SELECT FoodName FROM FoodItem WHERE FoodId = 9040").toString(), name);
            QCOMPARE(node(*f, "F9040")->text(0), name);
        }
    }

    void dragStartCarriesTheFoodKey()
    {
        load();
        clickFood(*f, Fixture::FruitGroup, Fixture::Bananas);
        QTreeWidgetItem* apples = node(*f, "F9003");
        f->main().state().setHitNode(foodView(*f), apples);
        QString data = "F9003";
        emit foodView(*f)->dragStarting(apples, &data);
        QCOMPARE(data, QString("F9003"));
        // The selected node's key and tag; the record of the dragged one.
        QCOMPARE(f->main().state().dragKey, QString("F9040"));
        QCOMPARE(f->main().state().dragTag, QString("FOODITEM"));
        QCOMPARE(f->ctx().dataSource().rsFoods.integer("FoodId"), int(Fixture::Apples));
    }

    void aDragIsMadeOnlyFromFoods_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("drags");
        QTest::newRow("food, left button") << "F9003" << int(Qt::LeftButton) << true;
        QTest::newRow("food, right button") << "F9003" << int(Qt::RightButton) << true;
        QTest::newRow("group") << "G11" << int(Qt::LeftButton) << false;
        QTest::newRow("root") << "G1" << int(Qt::LeftButton) << false;
    }
    void aDragIsMadeOnlyFromFoods()
    {
        QFETCH(QString, key);
        QFETCH(int, button);
        QFETCH(bool, drags);
        load();
        openGroup(*f, "G1");
        openGroup(*f, "G11");
        NodeTree* tree = foodView(*f);
        QStringList started;
        connect(tree, &NodeTree::dragStarting, tree, [&](QTreeWidgetItem* item, QString* data) {
            started << *data;
            QCOMPARE(NodeTree::key(item), key);
            data->clear(); // the test stops the drag here: nothing to drop it on offscreen
        });
        const QPoint at = nodePoint(tree, node(*f, key));
        QTest::mousePress(tree->viewport(), Qt::MouseButton(button), {}, at);
        QMouseEvent move(QEvent::MouseMove, at + QPoint(30, 30), tree->viewport()->mapToGlobal(at + QPoint(30, 30)),
                         Qt::NoButton, Qt::MouseButton(button), {});
        QApplication::sendEvent(tree->viewport(), &move);
        QTest::mouseRelease(tree->viewport(), Qt::MouseButton(button), {}, at + QPoint(30, 30));
        QCOMPARE(started, drags ? QStringList{key} : QStringList{});
        f->main().mnuPop_RTB->hide();
    }

    void dropTargetsOfAFood_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("group") << "G12" << "F9003" << true;
        QTest::newRow("favourites") << "G2" << "F9003" << true;
        QTest::newRow("USDA root") << "G1" << "F9003" << false;
        QTest::newRow("another food") << "F9040" << "F9003" << false;
        QTest::newRow("a diet entry over the favourites") << "G2" << "D1" << false;
        QTest::newRow("a group over a group") << "G12" << "G11" << false;
        QTest::newRow("foreign text") << "G2" << "hello" << false;
    }
    void dropTargetsOfAFood()
    {
        QFETCH(QString, target);
        QFETCH(QString, dragged);
        QFETCH(bool, allowed);
        load();
        openGroup(*f, "G1");
        openGroup(*f, "G11");
        FoodTree& tree = f->main().foodTree();
        QCOMPARE(tree.canDropOn(foodView(*f), node(*f, target), dragged), allowed);
        QVERIFY(!tree.acceptsEmptySpace(foodView(*f), dragged));
        QVERIFY(!tree.canDropOn(f->main().tvwDiet, node(*f, target), dragged));
    }

    void dragEndClearsBothHighlights()
    {
        f->test.addDietRow("USER1", QDate(2003, 5, 14), "", "Egg");
        load();
        foodView(*f)->setDropHighlight(node(*f, "G2"));
        f->main().tvwDiet->setDropHighlight(f->main().tvwDiet->topLevelItem(0));
        emit foodView(*f)->dragFinished();
        QCOMPARE(foodView(*f)->dropHighlight(), nullptr);
        QCOMPARE(f->main().tvwDiet->dropHighlight(), nullptr);
    }
};

QTEST_MAIN(FoodTreeTest)
#include "tst_foodtree.moc"
