#include "diet/dietdetailswindow.h"
#include "dietfixture.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>

namespace {

const QString kLunch14 = "MLMEAL1DT20030514";

} // namespace

// The diet tree's nodes and events: lazy loading of days, clicks, keys,
// images, drags and their allowed targets, the meal choices, the totals, and
// what screen readers and the keyboard get.
class DietTreeTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<DietFixture> f;

    DietDetailsWindow* shownTotals(const QString& key)
    {
        f->diet().loadDietDay(kMay14);
        f->tree()->setFocus(); // the totals are offered while the diet tree has the focus
        f->select(key);
        f->main().findChild<QAction*>("mnuEditDietDetails")->trigger();
        return f->main().findChildren<DietDetailsWindow*>().value(0);
    }
    QString images(const QStringList& keys)
    {
        QStringList images;
        for (const QString& key : keys)
            images << DietTreeModel::imageKey(f->node(key));
        return images.join(' ');
    }

private slots:
    void init()
    {
        f = std::make_unique<DietFixture>();
        // addDietRow gives Fat = x, Protein = 2x ... Other2 = 8x.
        f->test.addDietRow("USER1", kMay14, "MEAL1", "Egg", 1.25);             // D1
        f->test.addDietRow("USER1", kMay14, "MEAL1", "Toast", 11);             // D2
        f->test.addDietRow("USER1", kMay14, "MEAL1", "Toast", 0);              // D3
        f->test.addDietRow("USER1", kMay14, "", "Apple", 0.5);                 // D4
        f->test.addDietRow("USER1", kMay14, "MEAL2", "Soup", 100);             // D5
        f->test.addDietRow("USER1", QDate(2003, 5, 12), "MEAL5", "Tea", 1000); // D6, MEAL5 is unnamed
        f->test.addDietRow("USER2", kMay14, "MEAL1", "Not mine", 10000);
        f->loadShown();
    }
    void cleanup() { f.reset(); }

    void daysOpenOnceAndShowTheirState()
    {
        QModelIndex day = f->node("DT20030514");
        QCOMPARE(f->captions(), (QStringList{"2003-05-12", "2003-05-14"}));
        f->doubleClick(day); // a day not opened yet is read as it opens
        // An entry without a meal hangs under its day; meals and entries are sorted by caption.
        QCOMPARE(f->captions("DT20030514"), (QStringList{"Apple", "Dinner", "Lunch"}));
        QCOMPARE(f->captions(kLunch14), (QStringList{"Egg", "Toast", "Toast"}));
        // Again on the opened day: nothing is read twice; the day closes as a tree does.
        f->doubleClick(day);
        QCOMPARE(f->nodeCount(), 9);
        QCOMPARE(images({"DT20030514", "D4"}), QString("DayClosed DietItem"));
        // Enter opens a day; Esc on an entry closes its parent and selects it.
        f->click(f->node("DT20030512"));
        QTest::keyClick(f->tree(), Qt::Key_Return);
        QCOMPARE(f->captions("DT20030512"), QStringList{QString()}); // an unnamed meal
        f->tree()->expandAll();
        f->click(f->node("D2"));
        QTest::keyClick(f->tree(), Qt::Key_Return); // on an entry: nothing
        QTest::keyClick(f->tree(), Qt::Key_Escape);
        QCOMPARE(f->selectedKey() + " " + images({kLunch14}), kLunch14 + " MealClosed");
        QCOMPARE(ModalGuard::rejected(), QStringList()); // no key opened a dialog
    }

    void clicksAndDragsPositionTheRowAndMenusOpenByMouseAndKeyboard()
    {
        f->diet().loadDietDay(kMay14);
        f->tree()->expandAll();
        f->ds().rsDietData.moveFirst();
        f->click(f->node("D2"));
        QCOMPARE(f->ds().rsDietData.integer("DietId"), 2);
        // A drag from an entry stands on its row too.
        f->tree()->selectNode(f->node("D3")); // a drag starts from the pressed node
        QString data = "D3";
        emit f->tree()->dragStarting(f->node("D3"), &data);
        QCOMPARE(f->state().dragKey + " " + f->state().dragTag, QString("D3 DIETITEM"));
        QCOMPARE(f->ds().rsDietData.integer("DietId"), 3);
        f->click(f->node("DT20030514"), Qt::RightButton);
        QVERIFY(f->main().mnuPop_RTB->isVisible());
        f->main().mnuPop_RTB->hide();
        f->tree()->collapseAll();
        // A right press that clicks no node leaves nothing pending for the next left click.
        QTest::mouseClick(f->tree()->viewport(), Qt::RightButton, {},
                          QPoint(5, f->tree()->viewport()->height() - 5));
        f->click(f->node("DT20030514"));
        QVERIFY(!f->main().mnuPop_RTB->isVisible());
        // The Menu key opens it for the selected node, beside the node.
        f->select("D1");
        QTest::keyClick(f->tree(), Qt::Key_Menu);
        QVERIFY(f->main().mnuPop_RTB->isVisible());
        const QRect node = f->tree()->visualRect(f->node("D1"));
        QVERIFY(QRect(f->tree()->viewport()->mapToGlobal(node.topLeft()), node.size() + QSize(0, 2))
                    .contains(f->main().mnuPop_RTB->pos() - QPoint(node.height(), 0)));
        QVERIFY(f->main().findChild<QAction*>("mnuPop_RTB_DietEntry")->isEnabled());
        f->main().mnuPop_RTB->hide();
    }

    void screenReadersGetNamesAndLevels()
    {
        f->tree()->expand(f->node("DT20030514"));
        // The tree and its caption are read by name, the column by the same name, not "1";
        // each node says what it is.
        QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(f->tree());
        QCOMPARE(tree->role(), QAccessible::Tree);
        QStringList read = {
            tree->text(QAccessible::Name),
            QAccessible::queryAccessibleInterface(f->main().txtActivity)->text(QAccessible::Name)};
        for (int i = 0; i < 5; ++i)
            read << tree->child(i)->text(QAccessible::Name) + " " +
                        tree->child(i)->text(QAccessible::Description);
        QCOMPARE(read, (QStringList{"Diet Activity", "Diet Activity", "Diet Activity ", "2003-05-12 day",
                                    "2003-05-14 day", "Apple diet entry", "Dinner meal"}));
    }

    void dragsAreOfferedOnlyTheAllowedTargets_data()
    {
        QTest::addColumn<QString>("source"); // "F9003" a food; diet node keys otherwise
        QTest::addColumn<QString>("target"); // "" for empty space
        QTest::addColumn<bool>("allowed");
        QTest::newRow("food on entry") << "F9003" << QString("D2") << true;
        QTest::newRow("food on empty space") << "F9003" << QString() << true;
        QTest::newRow("entry on day") << "D1" << QString("DT20030514") << true;
        QTest::newRow("entry on entry") << "D1" << QString("D2") << false;
        QTest::newRow("meal on meal") << kLunch14 << kLunch14 << true;
        QTest::newRow("meal on empty space") << kLunch14 << QString() << false;
        QTest::newRow("day on day") << "DT20030514" << QString("DT20030512") << false;
    }
    void dragsAreOfferedOnlyTheAllowedTargets()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(bool, allowed);
        f->diet().loadDietDay(kMay14);
        if (!target.isEmpty())
            f->tree()->expandAll(); // else the bottom of the tree stays empty
        QMimeData mime;
        mime.setText(source.startsWith('F') ? f->dragFood(Fixture::Apples, Fixture::FruitGroup)
                                            : f->dragFrom(source));
        const QModelIndex to = target.isEmpty() ? QModelIndex() : f->node(target);
        // The pointer enters the tree over the top node, then moves to the target.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(f->tree()->viewport(), &enter);
        QDragMoveEvent over(to.isValid() ? f->pointOf(to) : QPoint(5, f->tree()->viewport()->height() - 5),
                            Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(f->tree()->viewport(), &over);
        QCOMPARE(over.isAccepted(), allowed);
        QCOMPARE(f->tree()->dropHighlight(), allowed ? to : QModelIndex());
        // The drag's end clears the highlight of both trees.
        f->main().tvwFood->setDropHighlight(f->main().tvwFood->node("G2"));
        emit f->tree()->dragFinished();
        QCOMPARE(f->main().tvwFood->dropHighlight(), nullptr);
        QCOMPARE(f->tree()->dropHighlight(), QModelIndex());
        // Text that is not the dragged node's key is not a drop.
        QVERIFY(!f->diet().canDropOn(f->node("DT20030512"), "F1001"));
        f->diet().dropOn(QModelIndex(), "some text");
        QCOMPARE(f->dietCount(), 7);
    }

    void mealChoicesAndCaptionsFollowTheSettings()
    {
        // Hiding the meal list drops its choice.
        f->main().cmbMeal->setCurrentIndex(2);
        f->main().findChild<QAction*>("mnuToolsShowMeals")->trigger();
        QVERIFY(!f->main().cmbMealAction->isVisible());
        QCOMPARE(f->main().cmbMeal->currentIndex(), 0);
        // Renamed meals move to their sorted place; an unnamed one is named so.
        f->reload({QDate(2003, 5, 12), kMay14});
        f->select(kLunch14);
        f->test.exec("UPDATE CONFIG SET ConfigValue = 'Early' WHERE ConfigItem = 'MEAL1'");
        f->diet().refreshMealCaptions();
        QCOMPARE(DietTreeModel::caption(f->node("MLMEAL5DT20030512")), QString("Invalid Meal Name"));
        QCOMPARE(f->captions("DT20030514"), (QStringList{"Apple", "Dinner", "Early"}));
        QCOMPARE(f->selectedKey(), kLunch14); // the selection moved with it
        QCOMPARE(f->captions(kLunch14), (QStringList{"Egg", "Toast", "Toast"}));
    }

    void rowsThatAreNotQuiteRightAreShownAsSuch()
    {
        // Dates that are no dates make one day at the top; a meal key of no meal is named so.
        for (const char* bad : {"not a date", "2003-02-30", "2003-05-14 08:00"})
            f->test.exec("INSERT INTO DietActivity (DietId, UserName, DietDate, MealName, FoodName, Fat) "
                         "VALUES ((SELECT max(DietId) + 1 FROM DietActivity), 'USER1', ?, 'MEAL0', 'Odd', 1)",
                         {bad});
        f->test.exec("INSERT INTO DietActivity (DietId, UserName, DietDate, MealName, FoodName, Fat) "
                     "VALUES (20, 'USER1', NULL, NULL, 'Dateless', 1e999)");
        f->test.exec("UPDATE DietActivity SET MealName = 'MEAL12' WHERE DietId = 5");
        f->reload({QDate(), kMay14});
        QCOMPARE(f->captions(), (QStringList{"(invalid date)", "2003-05-12", "2003-05-14"}));
        QCOMPARE(f->captions("DT"), (QStringList{"Breakfast", "Dateless"}));
        QCOMPARE(f->captions("MLMEAL0DT"), (QStringList{"Odd", "Odd", "Odd"}));
        QCOMPARE(f->captions("DT20030514"), (QStringList{"(unknown meal)", "Apple", "Lunch"}));
        // Nothing can be put on a day without a date; its totals show no infinity.
        QVERIFY(!f->diet().canDropOn(f->node("DT"), f->dragFood(Fixture::Apples, Fixture::FruitGroup)));
        QPointer<DietDetailsWindow> w = shownTotals("DT");
        QVERIFY(w);
        QCOMPARE(w->lblDetailText->text() + " " + w->txtFat->text() + " " + w->txtProtein->text(),
                 QString("(invalid date) invalid 0"));
        w->close();
    }

    // The totals of an entry, a meal or a day; a day's show the current user's
    // goals and the shares of them, an entry's and a meal's show none.
    void totalsOfTheSelectedNode_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("shown"); // the title, then the eight totals
        QTest::addColumn<QStringList>("goals");
        const QStringList none(8, "");
        QTest::newRow("entry") << "D1" << QString("Egg 1.2 2.5 3.8 5 6.2 7.5 8.8 10") << none;
        // 12.25 shows 12.2, 36.75 shows 36.8, 49.0 shows 49; not the other user's Lunch.
        QTest::newRow("meal") << kLunch14 << QString("Lunch 12.2 24.5 36.8 49 61.2 73.5 85.8 98") << none;
        // Every meal of the day and the entry without a meal; not the other day.
        // 112.75 of 100 is 112.8% (half to even), 451 of 500 90.2%.
        QTest::newRow("day") << "DT20030514" << QString("2003-05-14 112.8 225.5 338.2 451 563.8 676.5 789.2 902")
                             << QStringList{"of 100 (112.8%)", "", "", "of 500 (90.2%)", "", "", "", ""};
    }
    void totalsOfTheSelectedNode()
    {
        QFETCH(QString, key);
        QFETCH(QString, shown);
        QFETCH(QStringList, goals);
        // Fat, Protein, Carbohydrate, Calorie, Sodium, Cholesterol, Other1, Other2.
        DailyGoals::write(f->ctx(), "USER1", {"100", "", "", "500", "", "", "0"});
        DailyGoals::write(f->ctx(), "USER2", {"1", "1", "1", "1", "1", "1", "1", "1"});
        QPointer<DietDetailsWindow> w = shownTotals(key);
        QVERIFY(w && w->isVisible() && !w->isModal());
        QCOMPARE((QStringList{w->lblDetailText->text(), w->txtFat->text(), w->txtProtein->text(),
                              w->txtCarb->text(), w->txtCalorie->text(), w->txtSodium->text(),
                              w->txtCholesterol->text(), w->txtOther1->text(), w->txtOther2->text()}
                      .join(' ')),
                 shown);
        QStringList notes;
        for (QLabel* goal : w->lblGoal)
            notes << goal->text();
        QCOMPARE(notes, goals);
        // It closes on Esc, and when it loses the focus.
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w, Qt::Key_Escape);
        QTRY_VERIFY(w.isNull());
        w = shownTotals(key);
        QVERIFY(QTest::qWaitForWindowActive(w));
        f->main().activateWindow();
        QTRY_VERIFY(w.isNull());
    }
};

QTEST_MAIN(DietTreeTest)
#include "tst_diettree.moc"
