#include "foodtestsupport.h"


#include <QLineEdit>
#include <QMenu>
#include <QPointer>

namespace {

// A food's values that a copy or a paste keeps (the gram weight last).
const QString kValues = "FoodName, ServingSize, Fat, Protein, Carbohydrate, Calorie, Sodium, Cholesterol, "
                        "Other1, Other2, USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT";

} // namespace

// The food tree of the main window driven through its widgets: loading, lazy
// groups, the commands each node enables, keys, focus, drag and drop, and the
// changes to the catalogue made from the tree.
class FoodTreeTest : public QObject, FoodWindow
{
    Q_OBJECT

    QLineEdit* inPlaceEditor()
    {
        for (QLineEdit* editor : tree()->findChildren<QLineEdit*>()) {
            if (editor->isVisible())
                return editor;
        }
        return nullptr;
    }
    // Types text into the open in-place editor and confirms it.
    void commitInPlace(const QString& text)
    {
        QPointer<QLineEdit> editor = inPlaceEditor();
        QVERIFY(editor);
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        // The text is committed once the editor has closed.
        QTRY_VERIFY(!editor || !editor->isVisible());
        QCoreApplication::processEvents();
    }
    QString groupOf(int foodId)
    {
        return "G" + scalar("SELECT GroupId FROM FoodItem WHERE FoodId = ?", {foodId}).toString();
    }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void loadShowsTheFavouritesAndOpensEachGroupOnce()
    {
        f->test.exec("INSERT INTO FoodItem (FoodId, FoodName, GroupId) VALUES (61000, 'banana split', 2), "
                     "(61001, 'Apple crumble', 2), (61002, 'apricot', 2)");
        load();
        QCOMPARE(selected(), "G2");
        QCOMPARE(captions("G2"), (QStringList{"Apple crumble", "Apples, raw", "apricot", "banana split"}));
        QCOMPARE(captions(""), (QStringList{"Favorites", "My Foods", "USDA Foods"}));
        // A group's foods are read when it is first opened, and only then.
        QCOMPARE(node("G11")->childCount(), 0);
        dclick("G11");
        QCOMPARE(under("G11"), (QStringList{"F9003", "F9040"}));
        QCOMPARE(NodeTree::imageKey(node("G11")), "GroupOpen");
        f->test.exec("INSERT INTO FoodItem (FoodId, FoodName, GroupId) VALUES (61003, 'Apricots', 11)");
        dclick("G11");
        QCOMPARE(NodeTree::imageKey(node("G11")), "GroupClosed");
        dclick("G11");
        QCOMPARE(under("G11"), (QStringList{"F9003", "F9040"}));
    }

    void withoutFavouritesNothingIsSelectedNorCopiedThere()
    {
        f->test.exec("UPDATE FoodGroup SET GroupTag = 'GROUPROOT' WHERE GroupId = 2");
        f->load();
        QCOMPARE(tree()->selectedNode(), nullptr);
        QCOMPARE(node("G2")->childCount(), 0);
        show();
        click("F9003");
        QVERIFY(!on(Command::FoodFav));
    }

    void commandsFollowTheClickedNode()
    {
        // The node ("+" once the clipboard is full), then Cut, Copy, FoodDetails, Delete, NewFoodItem,
        // FoodFav, Paste, Send Food to Food Builder.
        const QStringList rows = {"G10 00011000", "F60001 11111001", "+G1 00000000", "+G2 00001010",
                                  "+F1077 11111111"};
        const QList<Command> commands = {Command::Cut,    Command::Copy,        Command::FoodDetails,
                                         Command::Delete, Command::NewFoodItem, Command::FoodFav,
                                         Command::Paste,  Command::FoodBuilder};
        load();
        for (const QString& row : rows) {
            const QString key = row.section(' ', 0, 0).remove('+'), expected = row.section(' ', 1);
            if (row.startsWith('+') && !w().foodTree().foodClipboardFull()) {
                click("F1001");
                run(Command::Copy);
            }
            // From a node that sets the opposite state where it can.
            click(key.startsWith('F') ? "G1" : "F1001");
            click(key);
            for (int i = 0; i < commands.size(); ++i) {
                for (Surface surface : {Surface::Menu, Surface::Popup, Surface::Toolbar}) {
                    if (QAction* action = w().commands().action(commands[i], surface))
                        QVERIFY2(action->isEnabled() == (expected[i] == '1'),
                                 qPrintable(key + action->objectName()));
                }
            }
            // On every node: Rename and New on, the diet's commands off.
            QVERIFY(on(Command::Rename, Surface::Popup) && on(Command::New, Surface::Toolbar));
            for (Command command : {Command::DietDetails, Command::DietEntry})
                QVERIFY(!on(command) && !on(command, Surface::Popup));
        }
    }

    void letterJump_data()
    {
        QTest::addColumn<QString>("names"); // the group's foods; the selected one first
        QTest::addColumn<int>("key");       // with its modifiers
        QTest::addColumn<QString>("to");
        const int a = Qt::Key_A, m = Qt::Key_M, ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
        QTest::newRow("back past the first") << "Peach,Apple,Melon" << m << "Melon";
        QTest::newRow("same initial stays") << "Banana,Apple,Cherry" << int(Qt::Key_B) << "Banana";
        QTest::newRow("on past the key") << "Carrot,Leek,Nut" << m << "Nut";
        QTest::newRow("none later: the last") << "Apple,Banana,Cherry" << int(Qt::Key_Z) << "Cherry";
        QTest::newRow("lower case is past every key") << "Apple,banana,Melon" << m << "banana";
        QTest::newRow("blank name is below every key") << ",Kale" << int(Qt::Key_K) << "Kale";
        QTest::newRow("Ctrl alone: no jump") << "Cherry,Apple" << (ctrl | a) << "Cherry";
        QTest::newRow("Ctrl and Shift jump") << "Cherry,Apple" << (ctrl | shift | a) << "Apple";
    }
    void letterJump()
    {
        QFETCH(QString, names);
        QFETCH(int, key);
        QFETCH(QString, to);
        f->test.exec("DELETE FROM FoodItem WHERE GroupId = 20");
        for (const QString& name : names.split(','))
            f->test.exec("INSERT INTO FoodItem (FoodId, FoodName, GroupId, ServingSize) VALUES "
                         "((SELECT max(FoodId) + 1 FROM FoodItem), ?, 20, '1 each')",
                         {name});
        load(FoodTree::foodKey(Fixture::kLastFoodId + 1));
        const QKeyCombination keys = QKeyCombination::fromCombined(key);
        press(keys.key(), keys.keyboardModifiers());
        // The jump is a click: the record and the status bar follow.
        QCOMPARE(tree()->selectedNode()->text(0) + "|" + foods().text("FoodName") + "|" + status(),
                 to + "|" + to + "|Serving Size:  1 each");
    }

    void keysAndFocusOnNodes()
    {
        load("F9003");
        press(Qt::Key_Escape); // collapses the parent, whose commands and status then apply
        QVERIFY(!node("G11")->isExpanded());
        QCOMPARE(selected(), "G11");
        QVERIFY(on(Command::Delete) && !on(Command::Copy));
        QCOMPARE(foods().integer("FoodId"), int(Fixture::Apples)); // a group leaves rsFoods where it was
        press(Qt::Key_V); // on a group a letter moves among the visible nodes and loads nothing
        QCOMPARE(selected(), "G12");
        QCOMPARE(node("G12")->childCount(), 0);
        press(Qt::Key_Return); // opens it as a double-click does
        QCOMPARE(under("G12"), QStringList{"F11090"});
        press(Qt::Key_Escape);
        press(Qt::Key_Escape); // the second on a root does nothing
        QCOMPARE(selected(), "G1");
        // The focus back from the diet tree sets the commands of the selected node again.
        w().tvwDiet->setFocus();
        QTRY_VERIFY(w().tvwDiet->hasFocus());
        w().commands().setEnabled(Command::Delete, true);
        w().commands().setEnabled(Command::Rename, false);
        tree()->setFocus();
        QTRY_COMPARE(w().state().activeTree, "FOODS");
        QVERIFY(!on(Command::Delete) && on(Command::Rename)); // a root, whatever the diet tree allowed
        QVERIFY(!w().mnuPop_RTB->isVisible());
        // A right click opens the menu; a right press that never became a click leaves none pending.
        click("G12", Qt::RightButton);
        QVERIFY(w().mnuPop_RTB->isVisible());
        w().mnuPop_RTB->hide();
        QTest::mousePress(tree()->viewport(), Qt::RightButton, {}, at(node("G10")));
        QTest::mousePress(tree()->viewport(), Qt::LeftButton, {}, QPoint(5, tree()->height() - 5));
        QVERIFY(!w().state().popupPending);
    }

    // A changed or new food record not yet stored is settled, after a
    // question, before the food tree takes the focus and before the window
    // closes (with the database).
    void aPendingRecordIsSettledFirst_data()
    {
        QTest::addColumn<bool>("close"); // else the food tree takes the focus
        QTest::addColumn<bool>("newRow");
        QTest::addColumn<bool>("yes");
        for (int i = 0; i < 8; ++i)
            QTest::addRow("%s, %s, %s", i & 4 ? "close" : "focus", i & 2 ? "new" : "changed",
                          i & 1 ? "saved" : "dropped")
                << bool(i & 4) << bool(i & 2) << bool(i & 1);
    }
    void aPendingRecordIsSettledFirst()
    {
        QFETCH(bool, close);
        QFETCH(bool, newRow);
        QFETCH(bool, yes);
        load("F9040");
        w().tvwDiet->setFocus();
        QTRY_VERIFY(w().tvwDiet->hasFocus());
        if (newRow) {
            foods().addNew();
            foods().setValue("FoodId", 70000);
            foods().setValue("GroupId", int(Fixture::FruitGroup));
        } else {
            foods().edit();
        }
        foods().setValue("FoodName", "Plantains");
        w().state().newFoodPending = newRow;
        w().state().foodDataChanged = true;
        prompts().queue(yes ? PromptAnswer::Yes : PromptAnswer::No);
        close ? void(w().close()) : tree()->setFocus();
        QTRY_VERIFY(!w().state().foodDataChanged && !w().state().newFoodPending);
        QCOMPARE(prompts().texts(), QStringList{newRow ? "Do you want to save this new Food Item?"
                                                       : "Food Data changed.  Do you want to save it?"});
        QCOMPARE(last().buttons, PromptButtons::YesNo);
        QStringList names = {"Apples, raw", "Bananas, raw"};
        if (yes)
            newRow ? void(names << "Plantains") : void(names[1] = "Plantains");
        const QString sql = "SELECT FoodName FROM FoodItem WHERE GroupId = 11 ORDER BY FoodName";
        QStringList stored;
        for (const QVariantList& row : close ? fileRows(f->test.folder.dbPath(), sql) : f->test.rows(sql))
            stored << row[0].toString();
        QCOMPARE(stored, names);
        if (!close) {
            QCOMPARE(captions("G11"), names);
            QCOMPARE(foods().editMode(), Recordset::EditMode::None);
        }
    }

    void aDragStartsOnlyFromAFood()
    {
        load("F9040");
        QStringList started;
        connect(tree(), &NodeTree::dragStarting, tree(), [&](QTreeWidgetItem*, QString* data) {
            started << *data;
            data->clear(); // stops the drag here: nothing to drop it on offscreen
        });
        // A group, then a food with the right button.
        for (const QString key : {"G11", "F9003"}) {
            const Qt::MouseButton button = key == "G11" ? Qt::LeftButton : Qt::RightButton;
            const QPoint from = at(node(key)), to = from + QPoint(30, 30);
            QTest::mousePress(tree()->viewport(), button, {}, from);
            QMouseEvent move(QEvent::MouseMove, to, tree()->viewport()->mapToGlobal(to), Qt::NoButton, button,
                             {});
            QApplication::sendEvent(tree()->viewport(), &move);
            QTest::mouseRelease(tree()->viewport(), button, {}, to);
            w().mnuPop_RTB->hide();
        }
        QCOMPARE(started, QStringList{"F9003"});
        QCOMPARE(w().state().dragTag, "FOODITEM");
        QCOMPARE(foods().integer("FoodId"), int(Fixture::Apples));
    }

    void droppingAFoodMovesIt()
    {
        load("F9040");
        FoodTree& foodTree = w().foodTree();
        // Only a food's key over a group or the favourites: no diet entry or foreign text.
        const QList<std::tuple<QString, QString, bool>> targets = {
            {"G12", "F9003", true},    {"G2", "F9003", true}, {"G1", "F9003", false},
            {"F9040", "F9003", false}, {"G2", "D1", false},   {"G2", "hello", false}};
        for (const auto& [target, dragged, allowed] : targets)
            QVERIFY2(foodTree.canDropOn(tree(), node(target), dragged) == allowed,
                     qPrintable(target + dragged));
        QVERIFY(!foodTree.acceptsEmptySpace(tree(), "F9003"));
        foodTree.drop(tree(), node("G12"), "F9003"); // a group never opened is loaded first
        QCOMPARE(under("G12"), (QStringList{"F9003", "F11090"}));
        QCOMPARE(under("G11"), (QStringList{"F9040"}));
        QCOMPARE(groupOf(Fixture::Apples), "G12");
        QCOMPARE(selected(), "F9003");
        // Dropped anyway, they move nothing, whatever food rsFoods stands on.
        foodTree.drop(tree(), node("G2"), "D1");
        foodTree.drop(tree(), node("G12"), "hello");
        QCOMPARE(groupOf(Fixture::Bananas), "G11");
        QCOMPARE(under("G11"), (QStringList{"F9040"}));
    }

    void cutCopyPasteAndDeleteFoods()
    {
        f->test.exec("UPDATE FoodItem SET USDA_GM_WT = 28.35 WHERE FoodId = 60001");
        QVariantList cut = food(Fixture::FavApples, kValues);
        cut.last() = 28.0; // the clipboard holds whole grams
        load("F9040");
        run(Command::Cut, PromptAnswer::No);
        QCOMPARE(last().text, "Are you sure you want to Cut Food Item: Bananas, raw");
        QCOMPARE(count("FoodItem WHERE FoodId = 9040"), 1);
        QVERIFY(!on(Command::Paste));
        // A copy pastes as often as asked, each time as a new food; a food's group takes it, a root none.
        run(Command::Copy);
        click("G20");
        run(Command::Paste);
        click("F50001");
        run(Command::Paste);
        QCOMPARE(under("G20"), (QStringList{"F50001", newFood(1), newFood(2)}));
        QCOMPARE(food(Fixture::kLastFoodId + 2, kValues), food(Fixture::Bananas, kValues));
        click("G1");
        w().foodTree().pasteFood();
        QCOMPARE(count("FoodItem"), 9);
        // Copy Food To Favorites copies at once and empties the clipboard.
        click("F9040");
        run(Command::FoodFav);
        QCOMPARE(under("G2"), (QStringList{"F60001", newFood(3)}));
        QCOMPARE(food(Fixture::kLastFoodId + 3, kValues), food(Fixture::Bananas, kValues));
        QCOMPARE(groupOf(Fixture::Bananas), "G11");
        QVERIFY(!on(Command::Paste));
        // A cut food pasted in a group never opened: a new id with the same values.
        click("F60001");
        run(Command::Cut, PromptAnswer::Yes);
        QCOMPARE(count("FoodItem WHERE FoodId = 60001"), 0);
        click("G12");
        run(Command::Paste);
        QCOMPARE(food(Fixture::kLastFoodId + 4, kValues), cut);
        QCOMPARE(under("G12"), (QStringList{newFood(4), "F11090"}));
        QCOMPARE(selected(), newFood(4));
        // Deleting a food selects the one above, or its group for the first.
        click("F9040");
        run(Command::Delete, PromptAnswer::Yes);
        QCOMPARE(last(), (Prompt{PromptIcon::Question, PromptButtons::YesNo, "Corvane's Foodlark",
                                 "Are you sure you want to Delete Food Item: Bananas, raw"}));
        QCOMPARE(selected(), "F9003");
        run(Command::Delete, PromptAnswer::Yes);
        QCOMPARE(selected(), "G11");
        QVERIFY(!on(Command::Copy)); // the group's commands
        QCOMPARE(under("G11"), QStringList());
        QCOMPARE(count("FoodItem WHERE GroupId = 11"), 0);
    }

    // F2, the text, Enter: every kind of group keeps its first 60 characters
    // and a food its first 200; the node takes its sorted place.
    void renamesAreCutToTheirColumnsAndSorted_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("siblings"); // keys in order after the rename
        const QString long70 = "A" + QString(69, 'x');
        QTest::newRow("group") << "G11" << long70 << long70.left(60) << QStringList{"G11", "G10", "G12"};
        QTest::newRow("favourites") << "G2" << QString("Best loved") << "Best loved"
                                    << QStringList{"G2", "G3", "G1"};
        QTest::newRow("root") << "G1" << QString("All USDA") << "All USDA" << QStringList{"G1", "G2", "G3"};
        QTest::newRow("food") << "F9040" << QString(250, 'b') << QString(200, 'b')
                              << QStringList{"F9003", "F9040"};
    }
    void renamesAreCutToTheirColumnsAndSorted()
    {
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QFETCH(QStringList, siblings);
        load(key);
        const bool expanded = node(key)->isExpanded();
        press(Qt::Key_F2);
        commitInPlace(text);
        const bool food = key.startsWith('F');
        QCOMPARE(scalar(food ? "SELECT FoodName FROM FoodItem WHERE FoodId = ?"
                             : "SELECT GroupName FROM FoodGroup WHERE GroupId = ?",
                        {key.mid(1)})
                     .toString(),
                 stored);
        QCOMPARE(node(key)->text(0), stored);
        QCOMPARE(under(NodeTree::key(node(key)->parent())), siblings);
        QCOMPARE(node(key)->isExpanded(), expanded); // the Enter was the editor's, not the tree's
        QCOMPARE(foods().editMode(), Recordset::EditMode::None);
    }

    void aNewGroupFromAFavouriteGoesBelowTheFavourites()
    {
        load("F60001");
        run(Command::NewFoodGroup);
        const int id = Fixture::kLastGroupId + 1;
        const QString key = FoodTree::groupKey(id);
        QCOMPARE(NodeTree::key(node(key)->parent()), "G2");
        QCOMPARE(selected(), key);
        QVERIFY(on(Command::Delete)); // a group's commands
        QCOMPARE(inPlaceEditor() ? inPlaceEditor()->text() : QString(), "New Food Group"); // open at once
        commitInPlace("Snacks I like");
        QCOMPARE(node(key)->text(0), "Snacks I like");
        QCOMPARE(
            f->test.rows("SELECT GroupName, ParentGroup, GroupTag FROM FoodGroup WHERE GroupId = ?", {id}),
            (QList<QVariantList>{{"Snacks I like", int(Fixture::FavoritesRoot), "GROUP"}}));
    }

    void deletingAGroupRemovesItsFoodsOrNothing()
    {
        load();
        dclick("G11");
        // The foods are deleted first; the group row then refuses to go (the
        // catalogue's own test checks that nothing of it is stored).
        f->test.exec(
            "CREATE TRIGGER refuse BEFORE DELETE ON FoodGroup BEGIN SELECT RAISE(ABORT, 'locked'); END");
        run(Command::Delete, PromptAnswer::Yes);
        QCOMPARE(prompts().shown(),
                 (QList<Prompt>{{PromptIcon::Question, PromptButtons::YesNo, "Corvane's Foodlark",
                                 "Are you sure you want to Delete the 'Fruits and Fruit Juices' "
                                 "Food Group and all of its associated Food Items?"},
                                applicationError("Unable to delete Food Data.  ")}));
        QCOMPARE(under("G11"), (QStringList{"F9003", "F9040"}));
        QCOMPARE(selected(), "G11");
        f->test.exec("DROP TRIGGER refuse");
        run(Command::Delete, PromptAnswer::Yes);
        QCOMPARE(selected(), "G10"); // a later sibling: the one above
        QCOMPARE(count("FoodGroup WHERE GroupId = 11") + count("FoodItem WHERE GroupId = 11"), 0);
        QCOMPARE(node("G11"), nullptr);
        run(Command::Delete, PromptAnswer::Yes);
        QCOMPARE(selected(), "G1"); // the first: its root
        QCOMPARE(count("FoodItem"), 3);
    }
};

QTEST_MAIN(FoodTreeTest)
#include "tst_foodtree.moc"
