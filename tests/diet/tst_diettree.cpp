#include "dietfixture.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDragMoveEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>

using Fixture::Apples;

namespace {

const QDate kMay12(2003, 5, 12);
const QDate kMay14(2003, 5, 14);

} // namespace

// The diet tree's nodes and events: lazy loading of days, clicks, keys,
// images, drag start, the allowed drop targets and the meal choices.
class DietTreeTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DietFixture> f;
    qint32 egg = 0, toast = 0, toast2 = 0, tea = 0, bare = 0;

private slots:
    void init()
    {
        f = std::make_unique<DietFixture>();
        TestContext& t = f->test;
        egg = t.addDietRow("USER1", kMay14, "MEAL0", "Egg");
        toast = t.addDietRow("USER1", kMay14, "MEAL0", "Toast");
        toast2 = t.addDietRow("USER1", kMay14, "MEAL0", "Toast");
        bare = t.addDietRow("USER1", kMay14, "", "Apple");
        tea = t.addDietRow("USER1", kMay12, "MEAL5", "Tea"); // MEAL5 has a blank label
        t.addDietRow("USER2", kMay14, "MEAL1", "Not mine");
        f->loadShown();
    }
    void cleanup() { f.reset(); }

    void daysOpenOnDoubleClickOnce()
    {
        QTreeWidgetItem* day = f->node("DT20030514");
        QCOMPARE(f->dayCaptions(), (QStringList{"2003-05-12", "2003-05-14"}));
        QCOMPARE(day->childCount(), 0);
        QCOMPARE(day->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);

        f->doubleClick(day);
        // An entry without a meal hangs under its day; the meal's entries are sorted by name.
        QCOMPARE(f->childCaptions(day), (QStringList{"Apple", "Breakfast"}));
        QTreeWidgetItem* meal = f->node("MLMEAL0DT20030514");
        QCOMPARE(NodeTree::tag(meal), QString("DIETMEAL"));
        QCOMPARE(f->childCaptions(meal), (QStringList{"Egg", "Toast", "Toast"}));
        QCOMPARE(f->node(QStringLiteral("D%1").arg(toast2))->parent(), meal);
        QCOMPARE(NodeTree::tag(f->node(QStringLiteral("D%1").arg(bare))), QString("DIETITEM"));
        QCOMPARE(NodeTree::imageKey(f->node(QStringLiteral("D%1").arg(bare))), QString("DietItem"));
        QVERIFY(day->isExpanded());
        QCOMPARE(NodeTree::imageKey(day), QString("DayOpen"));
        QCOMPARE(NodeTree::imageKey(meal), QString("MealClosed"));

        // Again on the opened day: nothing is read twice; the day closes as a tree does.
        f->doubleClick(day);
        QCOMPARE(day->childCount(), 2);
        QCOMPARE(meal->childCount(), 3);
        QVERIFY(!day->isExpanded());
        QCOMPARE(NodeTree::imageKey(day), QString("DayClosed"));

        // A meal whose label is blank has an empty caption.
        QTreeWidgetItem* other = f->node("DT20030512");
        f->click(other);
        f->key(Qt::Key_Return);
        QCOMPARE(other->childCount(), 1);
        QCOMPARE(f->node("MLMEAL5DT20030512")->text(0), QString());
        QCOMPARE(f->tree()->nodeCount(), 9);
    }

    void nodeClickSetsTheCommandsByKind_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("cutCopy");
        QTest::addColumn<bool>("entryDetails");
        QTest::newRow("entry") << "D1" << true << true;
        QTest::newRow("meal") << "MLMEAL0DT20030514" << true << false;
        QTest::newRow("day") << "DT20030514" << false << false;
    }
    void nodeClickSetsTheCommandsByKind()
    {
        QFETCH(QString, key);
        QFETCH(bool, cutCopy);
        QFETCH(bool, entryDetails);
        f->diet().loadDietDay(kMay14);
        f->node("DT20030514")->setExpanded(true);
        f->node("MLMEAL0DT20030514")->setExpanded(true);
        f->ds().rsDietData.moveFirst();
        f->ds().rsDietData.moveLast();
        CommandSet& commands = f->main().commands();
        // Start from the opposite state, so each value is set by the click.
        for (Command command : {Command::Cut, Command::Copy, Command::DietEntry})
            commands.setEnabled(command, !cutCopy);
        f->click(f->node(key));
        QCOMPARE(f->tree()->selectedNode(), f->node(key));
        for (Surface surface : {Surface::Menu, Surface::Popup, Surface::Toolbar}) {
            QCOMPARE(commands.isEnabled(Command::Cut, surface), cutCopy);
            QCOMPARE(commands.isEnabled(Command::Copy, surface), cutCopy);
        }
        QCOMPARE(commands.isEnabled(Command::DietEntry, Surface::Menu), entryDetails);
        QCOMPARE(commands.isEnabled(Command::DietEntry, Surface::Popup), entryDetails);
        if (key.startsWith('D') && !key.startsWith("DT"))
            QCOMPARE(f->ds().rsDietData.integer("DietId"), egg);
        QVERIFY(!f->main().mnuPop_RTB->isVisible());
    }

    void rightClickShowsTheContextMenu()
    {
        QTreeWidgetItem* day = f->node("DT20030512");
        f->click(day, Qt::RightButton);
        QCOMPARE(f->tree()->selectedNode(), day);
        QVERIFY(f->main().mnuPop_RTB->isVisible());
        QVERIFY(!f->state().popupPending);
        f->main().mnuPop_RTB->hide();
        // A right press that clicks no node leaves nothing pending for the next left click.
        QTest::mouseClick(f->tree()->viewport(), Qt::RightButton, {}, QPoint(5, f->tree()->viewport()->height() - 5));
        f->click(f->node("DT20030514"));
        QVERIFY(!f->main().mnuPop_RTB->isVisible());
    }

    void focusRoutesTheEditCommandsToTheDiet()
    {
        CommandSet& commands = f->main().commands();
        QVERIFY(QTest::qWaitForWindowActive(&f->main()));
        f->main().setStatusPanel1("Serving Size:  1 cup", "Serving Size of Selected Food Item");
        for (Command command : {Command::FoodDetails, Command::Rename, Command::New, Command::NewFoodItem,
                                Command::FoodFav})
            commands.setEnabled(command, true);
        f->tree()->setFocus();
        QCOMPARE(f->state().activeTree, QString("DIET"));
        for (Command command : {Command::FoodDetails, Command::Rename, Command::New, Command::NewFoodItem,
                                Command::FoodFav})
            QVERIFY(!commands.isEnabled(command, Surface::Menu) && !commands.isEnabled(command, Surface::Popup));
        QVERIFY(!f->main().findChild<QAction*>("tbNewGroup")->isEnabled());
        QVERIFY(!f->main().findChild<QAction*>("tbNewFood")->isEnabled());
        QVERIFY(commands.isEnabled(Command::Delete, Surface::Toolbar));
        QVERIFY(commands.isEnabled(Command::DietDetails, Surface::Popup));
        QVERIFY(!commands.isEnabled(Command::Paste, Surface::Menu)); // nothing copied yet
        QCOMPARE(f->main().statusPanel1->text(), QString());
        QCOMPARE(f->main().statusPanel1->toolTip(), QString());

        // With something in the diet clipboard, the focus enables Paste.
        f->diet().loadDietDay(kMay14);
        f->click(f->node(QStringLiteral("D%1").arg(egg)));
        QVERIFY(f->diet().copyDietEntry(0, 1));
        commands.setEnabled(Command::Paste, false);
        f->main().tvwFood->setFocus();
        f->tree()->setFocus();
        QVERIFY(commands.isEnabled(Command::Paste, Surface::Toolbar));
    }

    void escapeClosesTheParentAndEnterOnAnEntryDoesNothing()
    {
        f->diet().loadDietDay(kMay14);
        QTreeWidgetItem* day = f->node("DT20030514");
        QTreeWidgetItem* meal = f->node("MLMEAL0DT20030514");
        day->setExpanded(true);
        meal->setExpanded(true);
        QCOMPARE(NodeTree::imageKey(meal), QString("MealOpen"));
        QTreeWidgetItem* entry = f->node(QStringLiteral("D%1").arg(toast));
        f->click(entry);
        f->key(Qt::Key_Return);
        QCOMPARE(f->main().findChildren<ServingsDialog*>().size(), 0);
        QCOMPARE(f->tree()->selectedNode(), entry);
        f->key(Qt::Key_Escape);
        QVERIFY(!meal->isExpanded());
        QCOMPARE(NodeTree::imageKey(meal), QString("MealClosed"));
        QCOMPARE(f->tree()->selectedNode(), meal);
        f->key(Qt::Key_Escape);
        QVERIFY(!day->isExpanded());
        QCOMPARE(f->tree()->selectedNode(), day);
    }

    void dragStartKeepsTheSourceAndPositionsItsRow()
    {
        f->diet().loadDietDay(kMay14);
        QTreeWidgetItem* entry = f->node(QStringLiteral("D%1").arg(toast2));
        f->tree()->selectNode(entry);
        f->state().setHitNode(f->tree(), entry);
        f->ds().rsDietData.moveFirst();
        QString data = NodeTree::key(entry);
        emit f->tree()->dragStarting(entry, &data);
        QCOMPARE(f->state().dragKey, QString("D%1").arg(toast2));
        QCOMPARE(f->state().dragTag, QString("DIETITEM"));
        QCOMPARE(f->ds().rsDietData.integer("DietId"), toast2);
        QCOMPARE(data, QString("D%1").arg(toast2));

        // Pressing on a day and moving the mouse starts no drag.
        QSignalSpy drags(f->tree(), &NodeTree::dragStarting);
        QTreeWidgetItem* day = f->node("DT20030512");
        const QPoint at = f->pointOf(day);
        QTest::mousePress(f->tree()->viewport(), Qt::LeftButton, {}, at);
        QMouseEvent move(QEvent::MouseMove, at + QPoint(30, 30), f->tree()->viewport()->mapToGlobal(at + QPoint(30, 30)),
                         Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(f->tree()->viewport(), &move);
        QTest::mouseRelease(f->tree()->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(drags.count(), 0);
    }

    void dragOverHighlightsOnlyAllowedTargets_data()
    {
        QTest::addColumn<QString>("source"); // "F9003" a food; diet node keys otherwise
        QTest::addColumn<QString>("target"); // "" for empty space
        QTest::addColumn<bool>("allowed");
        const QString entry = "D2", meal = "MLMEAL0DT20030514", day = "DT20030512";
        QTest::newRow("food on day") << "F9003" << day << true;
        QTest::newRow("food on meal") << "F9003" << meal << true;
        QTest::newRow("food on entry") << "F9003" << entry << true;
        QTest::newRow("food on empty space") << "F9003" << "" << true;
        QTest::newRow("entry on day") << "D1" << day << true;
        QTest::newRow("entry on meal") << "D1" << meal << true;
        QTest::newRow("entry on entry") << "D1" << entry << false;
        QTest::newRow("entry on empty space") << "D1" << "" << false;
        QTest::newRow("meal on day") << meal << day << true;
        QTest::newRow("meal on meal") << meal << meal << true;
        QTest::newRow("meal on entry") << meal << entry << false;
        QTest::newRow("meal on empty space") << meal << "" << false;
        QTest::newRow("day on day") << "DT20030514" << day << false;
        QTest::newRow("day on meal") << "DT20030514" << meal << false;
        QTest::newRow("day on entry") << "DT20030514" << entry << false;
    }
    void dragOverHighlightsOnlyAllowedTargets()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(bool, allowed);
        f->diet().loadDietDay(kMay14);
        f->tree()->expandAll();
        QTreeWidgetItem* from = source.startsWith('F') ? f->foodNode(Apples, Fixture::FruitGroup) : f->node(source);
        QVERIFY(from);
        const QString text = f->dragFrom(source.startsWith('F') ? f->main().tvwFood : f->tree(), from);
        QTreeWidgetItem* to = target.isEmpty() ? nullptr : f->node(target);
        if (to) {
            QCOMPARE(f->diet().canDropOn(f->tree(), to, text), allowed);
        } else {
            QCOMPARE(f->diet().acceptsEmptySpace(f->tree(), text), allowed);
        }
        // Over the tree itself: the node becomes the drop highlight when allowed.
        QMimeData mime;
        mime.setText(text);
        const QPoint at = to ? f->pointOf(to) : QPoint(5, f->tree()->viewport()->height() - 5);
        // The pointer enters the tree over the top node, then moves to the target.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(f->tree()->viewport(), &enter);
        QDragMoveEvent over(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(f->tree()->viewport(), &over);
        QCOMPARE(f->tree()->dropHighlight(), allowed ? to : nullptr);
        QCOMPARE(over.isAccepted(), allowed);
    }

    void textFromElsewhereIsNotADrop()
    {
        f->diet().loadDietDay(kMay14);
        QTreeWidgetItem* food = f->foodNode(Apples, Fixture::FruitGroup);
        f->dragFrom(f->main().tvwFood, food);
        QVERIFY(!f->diet().canDropOn(f->tree(), f->node("DT20030512"), "F1001")); // not the dragged node
        QVERIFY(!f->diet().acceptsEmptySpace(f->tree(), "some text"));
        const int before = f->dietCount();
        f->diet().dropOn(nullptr, "some text");
        QCOMPARE(f->dietCount(), before);
    }

    void dragEndClearsBothHighlights()
    {
        f->main().tvwFood->setDropHighlight(f->main().tvwFood->node("G2"));
        f->tree()->setDropHighlight(f->node("DT20030512"));
        emit f->tree()->dragFinished();
        QCOMPARE(f->main().tvwFood->dropHighlight(), nullptr);
        QCOMPARE(f->tree()->dropHighlight(), nullptr);
    }

    void newDaysTakeTheirPlaceInDateOrder()
    {
        f->foodNode(Apples, Fixture::FruitGroup);
        f->main().foodTree().selectFoodRecord("F9003", "FOODITEM");
        for (const QDate& date : {QDate(2003, 5, 13), QDate(2003, 5, 1), QDate(2004, 1, 1)})
            f->diet().addDietEntry(1, date, "100 g", 3, 100, QString());
        QCOMPARE(f->dayCaptions(),
                 (QStringList{"2003-05-01", "2003-05-12", "2003-05-13", "2003-05-14", "2004-01-01"}));
        // The day the entry went to was opened from the database: its other rows are there once.
        f->diet().addDietEntry(1, kMay14, "100 g", 3, 100, "MEAL0");
        QCOMPARE(f->childCaptions(f->node("MLMEAL0DT20030514")), (QStringList{"Apples, raw", "Egg", "Toast", "Toast"}));
        QCOMPARE(f->tree()->selectedNode(), f->node(QStringLiteral("D%1").arg(f->lastDietId())));
    }

    void mealChoicesFollowTheMenu()
    {
        QAction* menu = f->main().findChild<QAction*>("mnuToolsShowMeals");
        QVERIFY(menu->isChecked());
        QVERIFY(f->main().cmbMealAction->isVisible());
        f->main().cmbMeal->setCurrentIndex(2);
        menu->trigger();
        QVERIFY(!menu->isChecked());
        QVERIFY(!f->main().cmbMealAction->isVisible());
        QCOMPARE(f->main().cmbMeal->currentIndex(), 0);
        QCOMPARE(f->ctx().config().getConfig("SHOWMEALS"), QString("N"));
        QCOMPARE(f->main().chosenMealKey(), QString());
        menu->trigger();
        QVERIFY(menu->isChecked());
        QVERIFY(f->main().cmbMealAction->isVisible());
        QCOMPARE(f->ctx().config().getConfig("SHOWMEALS"), QString("Y"));
        f->main().cmbMeal->setCurrentText("Dinner");
        QCOMPARE(f->main().chosenMealKey(), QString("MEAL2"));
    }

    void mealCaptionsFollowTheLabels()
    {
        f->diet().loadDietDay(kMay12);
        f->diet().loadDietDay(kMay14);
        f->test.exec("UPDATE CONFIG SET ConfigValue = 'Early' WHERE ConfigItem = 'MEAL0'");
        f->diet().refreshMealCaptions();
        QCOMPARE(f->node("MLMEAL0DT20030514")->text(0), QString("Early"));
        QCOMPARE(f->node("MLMEAL5DT20030512")->text(0), QString("Invalid Meal Name"));
        // The renamed meal moved to its sorted place among the day's children.
        QCOMPARE(f->childCaptions(f->node("DT20030514")), (QStringList{"Apple", "Early"}));
    }
};

QTEST_MAIN(DietTreeTest)
#include "tst_diettree.moc"
