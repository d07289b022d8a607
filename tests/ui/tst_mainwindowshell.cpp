#include "app/windowsettings.h"
#include "data/orvdatasource.h"
#include "diet/servingsdialog.h"
#include "food/fooditemeditor.h"
#include "food/foodtree.h"
#include "mainwindowfixture.h"
#include "options/optionsdialog.h"
#include "ui/icons.h"
#include "ui/mealcombo.h"
#include "ui/nodetree.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>

// The main window's shell: menus, context menu and toolbar as listed and
// where they go, the commands of parts not in this build, the pane layout and
// the smallest size, names for screen readers, the keyboard's context menu,
// the window's place in the settings and the meal drop-down.
class MainWindowShellTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;

    MainWindow& w() { return f->main(); }
    void loadShown()
    {
        f->load();
        w().show();
        QVERIFY(QTest::qWaitForWindowExposed(&w()));
    }
    // A rectangle of the window in twips, as the layout rules state it.
    QRectF twips(const QRect& r)
    {
        const double x = 1440.0 / w().logicalDpiX(), y = 1440.0 / w().logicalDpiY();
        return {r.left() * x, r.top() * y, r.width() * x, r.height() * y};
    }
    // The inner size of the window in twips: the toolbar and the panes below it.
    QSizeF scale()
    {
        return twips(QRect(0, 0, w().centralWidget()->width(),
                           w().centralWidget()->height() + w().findChild<QToolBar*>("tbToolBar")->height()))
            .size();
    }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void menusAndToolbarAsListed_data()
    {
        QTest::addColumn<QString>("container"); // "" for the menu bar
        // In order, apart by "; ": name|caption|shortcut of each item (the tip for a toolbar button).
        QTest::addColumn<QString>("items");
        QTest::newRow("menu bar") << ""
                                  << "mnuFile|&File; mnuEdit|&Edit; mnuTools|&Tools; mnuHelp|&Help";
        QTest::newRow("File") << "mnuFile"
                              << "mnuFileBackUp|&Back Up Database...; mnuFileRestore|&Restore Database...; "
                                 "mnuFileExit|E&xit";
        QTest::newRow("Edit")
            << "mnuEdit"
            << "mnuEditNew|New; mnuEditDietDetails|View Diet Totals|F7; mnuEditDietEntry|Diet Entry "
               "Details|F8; mnuEditFoodDetails|Food Item Details|F9; mnuEditFoodFav|Copy Food To "
               "Favorites|Ctrl+Ins; mnuEditFoodBuilder|Send Food to Food Builder|Ctrl+B; "
               "mnuEditCut|Cu&t|Ctrl+X; mnuEditCopy|&Copy|Ctrl+C; mnuEditPaste|&Paste|Ctrl+V; "
               "mnuEditDelete|&Delete|Del; mnuEditFindEntry|&Find|Ctrl+F; mnuEditFindNext|Find &Next|F3; "
               "mnuEditRename|Rename|F2";
        QTest::newRow("Edit, New") << "mnuEditNew"
                                   << "mnuEditNewFoodGroup|Food &Group; mnuEditNewFoodItem|Food &Item";
        QTest::newRow("Tools")
            << "mnuTools"
            << "mnuToolsOptions|&Configuration Options; mnuToolsFoodbuilder|&Food Builder; "
               "mnuToolsSnapshot|P&hysical Snapshot; mnuToolsDietReport|&Produce Diet Report; "
               "mnuToolsDietGraph|Produce Diet &Graph; mnuToolsSnapshotReport|Produce &Snapshot Report; "
               "mnuToolsPurgeDietData|P&urge Diet Data; mnuToolsPurgeSnapshotData|Pu&rge Snapshot Data; "
               "mnuToolsShowMeals|&Show Meal Choices";
        QTest::newRow("Help") << "mnuHelp"
                              << "mnuHelpContents|&Contents; mnuHelpSearchForHelpOn|&Search For Help On...; "
                                 "mnuHelpAbout|&About ";
        QTest::newRow("context")
            << "mnuPop_RTB"
            << "mnuPop_RTB_New|New; mnuPop_RTB_DietDetails|View Diet Totals; mnuPop_RTB_DietEntry|Edit Diet "
               "Entry Details; mnuPop_RTB_FoodDetails|Edit Food Item Details; mnuPop_RTB_FoodFav|Copy Food "
               "To Favorites; mnuPop_RTB_FoodBuilder|Send Food to Food Builder; mnuPop_RTB_Cut|Cu&t; "
               "mnuPop_RTB_Copy|&Copy; mnuPop_RTB_Paste|&Paste; mnuPop_RTB_Delete|&Delete; "
               "mnuPop_RTB_Rename|Rename";
        QTest::newRow("context, New")
            << "mnuPop_RTB_New"
            << "mnuPop_RTB_NewFoodGroup|Food Group; mnuPop_RTB_NewFoodItem|Food Item";
        QTest::newRow("toolbar")
            << "tbToolBar"
            << "tbSelectUser|Select User; tbReport|Produce Diet Report; tbNewGroup|New Food Group; "
               "tbNewFood|New Food Item; tbCut|Cut the Selected Item; tbCopy|Copy the Selected Item; "
               "tbPaste|Paste; tbDelete|Delete Selected Item; tbFind|Find; tbSnapShot|Physical Snapshot; "
               "tbFoodBldr|Food Builder; tbHelp|Help";
        QTest::newRow("Report drop-down")
            << "tbReportMenu"
            << "DIETRPT|Diet Activity Report; DIETGRAPH|Diet Graph; SNAPSHOTRPT|SnapShot Activity Report";
    }
    void menusAndToolbarAsListed()
    {
        QFETCH(QString, container);
        QFETCH(QString, items);
        f->load();
        QWidget* widget = container.isEmpty() ? w().menuBar() : w().findChild<QWidget*>(container);
        const bool toolbar = qobject_cast<QToolBar*>(widget);
        QStringList shown;
        for (const QAction* action : widget->actions()) {
            const QString name = action->objectName().isEmpty() && action->menu()
                                     ? action->menu()->objectName()
                                     : action->objectName();
            if (action->isSeparator() || name.isEmpty())
                continue; // the toolbar's date and meal boxes
            const QString keys = action->shortcut().toString(QKeySequence::PortableText);
            shown << name + '|' + (toolbar ? action->toolTip() : action->text()) +
                         (keys.isEmpty() ? "" : '|' + keys);
            QVERIFY2(!toolbar || !action->icon().isNull(), qPrintable(name));
        }
        QCOMPARE(shown, items.split("; "));
    }

    // Each toolbar button runs its command on the selected food (or opens its
    // window): what opened, the question asked, and what changed.
    void everyToolbarButtonGoesToItsCommand_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("result"); // dialog|question|foods|food nodes in Favorites|help windows
        const QString keep = "|7|1|0";
        QTest::newRow("SelectUser") << "tbSelectUser"
                                    << "frmOptions|" + keep;
        QTest::newRow("NewGroup") << "tbNewGroup"
                                  << "||7|2|0";
        QTest::newRow("NewFood") << "tbNewFood"
                                 << "frmFoodData|" + keep;
        QTest::newRow("Cut") << "tbCut"
                             << "|Are you sure you want to Cut Food Item: Apples, raw" + keep;
        QTest::newRow("Copy, Paste") << "tbCopy"
                                     << "||8|2|0";
        QTest::newRow("Delete") << "tbDelete"
                                << "|Are you sure you want to Delete Food Item: Apples, raw" + keep;
        QTest::newRow("Find") << "tbFind"
                              << "frmFind|" + keep;
        QTest::newRow("Help") << "tbHelp"
                              << "||7|1|1";
    }
    void everyToolbarButtonGoesToItsCommand()
    {
        QFETCH(QString, button);
        QFETCH(QString, result);
        loadShown();
        NodeTree* tree = w().tvwFood;
        tree->setFocus();
        tree->selectNode(tree->node("F60001"));
        w().foodTree().foodNodeClick(tree->node("F60001"));
        QString opened;
        whenModal([&](QWidget* dialog) {
            opened = dialog->objectName();
            dialog->close();
        });
        f->prompts().queueNo();
        w().findChild<QAction*>(button)->trigger();
        if (button == "tbCopy") // and back into the favourites
            w().findChild<QAction*>("tbPaste")->trigger();
        int helpWindows = 0;
        for (QWidget* window : QApplication::topLevelWidgets())
            helpWindows += window->objectName() == "frmHelp" && window->isVisible() ? 1 : 0;
        QCOMPARE(QStringList({opened, f->prompts().last().text,
                              f->test.scalar("SELECT count(*) FROM FoodItem").toString(),
                              QString::number(tree->node("G2")->childCount()), QString::number(helpWindows)})
                     .join('|'),
                 result);
        QCOMPARE(ModalGuard::rejected(), QStringList());
    }

    void everyImageKeyHasAPicture()
    {
        for (const char* key : {"closed", "open", "GroupClosed", "GroupOpen", "FoodItem", "DayClosed",
                                "DayOpen", "MealClosed", "MealOpen", "DietItem"})
            QVERIFY2(!Icons::tree(key).isNull(), key);
    }

    void toolsAndReportsAreOnWithAFoodSelected()
    {
        loadShown();
        NodeTree* tree = w().tvwFood;
        tree->scrollToItem(tree->node("F60001"));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(tree->node("F60001")).center());
        for (const char* name : {"mnuEditCopy", "mnuEditFoodBuilder", "mnuToolsFoodbuilder", "mnuToolsSnapshot",
                                 "mnuToolsDietReport", "mnuToolsDietGraph", "mnuToolsSnapshotReport", "tbReport",
                                 "tbSnapShot", "tbFoodBldr", "DIETRPT", "DIETGRAPH", "SNAPSHOTRPT"})
            QVERIFY2(w().findChild<QAction*>(name)->isEnabled(), name);
    }

    void panesFollowTheWindowSizeDownToTheLowestLayout()
    {
        loadShown();
        w().resize(900, 700);
        QTRY_COMPARE(w().size(), QSize(900, 700));
        const QSizeF s = scale();
        const QRectF frame = twips(w().frameFood->geometry()), food = twips(w().tvwFood->geometry()),
                     diet = twips(w().tvwDiet->geometry()), caption = twips(w().txtActivity->geometry());
        const QList<std::pair<double, double>> rules = {
            // actual, expected
            {frame.width(), s.width() - 240},   {frame.height(), s.height() / 2 - 480},
            {food.width(), s.width() - 480},    {food.height(), frame.height() - 360},
            {diet.top(), frame.bottom() + 120}, {diet.width(), s.width() - 480},
            {diet.height(), frame.height()},    {caption.top(), diet.top()},
            {caption.height(), diet.height()}};
        const double pixel = 1440.0 / w().logicalDpiX() + 0.01; // a pixel of rounding either way
        for (const auto& [actual, expected] : rules)
            QVERIFY2(qAbs(actual - expected) <= pixel,
                     qPrintable(QString("%1 for %2").arg(actual).arg(expected)));
        QVERIFY(w().tvwDiet->geometry().bottom() < w().centralWidget()->height());
        // A window lower than 1751 twips keeps the last layout (if a window
        // manager lets it be smaller than its minimum).
        const QList<QRect> before = {w().frameFood->geometry(), w().tvwDiet->geometry()};
        w().setMinimumSize(0, 0);
        w().resize(820, 120);
        QTRY_COMPARE(w().width(), 820);
        QVERIFY2(scale().height() <= 1750, qPrintable(QString::number(scale().height())));
        QCOMPARE((QList<QRect>{w().frameFood->geometry(), w().tvwDiet->geometry()}), before);
    }

    void theFirstStartShowsTheDayMealAndCaptionWhole()
    {
        loadShown(); // at the default place, 6500 twips square
        QToolBar* bar = w().findChild<QToolBar*>("tbToolBar");
        for (QWidget* box : QList<QWidget*>{w().dtDatePick, w().cmbMeal}) {
            QVERIFY2(box->isVisible(), box->objectName().toUtf8());
            QVERIFY(w().rect().contains(QRect(box->mapTo(&w(), QPoint()), box->size())));
        }
        QVERIFY(!bar->findChild<QWidget*>("qt_toolbar_ext_button")->isVisible()); // nothing in the overflow
        QVERIFY2(w().txtActivity->height() >= w().txtActivity->sizeHint().height(),
                 qPrintable(QString::number(w().txtActivity->height())));
        // The window is no smaller than that, whatever is asked for; the default stays as it is.
        w().resize(300, 300);
        QCOMPARE(w().size(), w().minimumSize());
        QVERIFY(w().cmbMeal->isVisible());
        QCOMPARE(WindowSettings().read().width, 6500.0);
    }

    // What a screen reader says of each control: every control that takes
    // the focus has a name, and the drop-downs (which Qt would name by their
    // values), the trees and the four "Current User" buttons have the names
    // of their captions or labels.
    void everyControlIsNamedForAScreenReader_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QStringList>("names"); // object name=accessible name
        QTest::newRow("main window") << "frmMain"
                                     << QStringList{"tvwFood=Food Groups", "dtDatePick=Diet Date",
                                                    "cmbMeal=Meal"};
        QTest::newRow("servings") << "dlgServings"
                                  << QStringList{"cmbServings=Number of Servings", "cmbServSize=Serving Size",
                                                 "dtDate=Date", "cmbMeal=Meal"};
        QTest::newRow("food item") << "frmFoodData"
                                   << QStringList{"txtFoodName=Food Name", "cmbServSize=Serving Size",
                                                  "txtOther1=Fiber"};
        QTest::newRow("options") << "frmOptions" << QStringList{"optUser3=Current User: User 4"};
    }
    void everyControlIsNamedForAScreenReader()
    {
        QFETCH(QString, window);
        QFETCH(QStringList, names);
        loadShown();
        QStringList unnamed, seen;
        auto check = [&](QWidget* shown) {
            auto nameOf = [](QWidget* widget) {
                return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
            };
            // Every tab's controls too, not those of the lists' own windows. (The
            // diet tree is named with the diet tree; a date box's own text box
            // is not shown to a screen reader.)
            for (QWidget* control : shown->findChildren<QWidget*>()) {
                if (!control->isHidden() && control->window() == shown &&
                    control->focusPolicy() != Qt::NoFocus && control->objectName() != "qt_spinbox_lineedit" &&
                    control != w().tvwDiet && nameOf(control).isEmpty())
                    unnamed << control->metaObject()->className() + QString(":") + control->objectName();
            }
            for (const QString& name : names)
                seen << name.section('=', 0, 0) + "=" +
                            nameOf(shown->findChild<QWidget*>(name.section('=', 0, 0)));
            if (shown == &w()) // the tree's one column reads as the tree, not as "1"
                seen << QAccessible::queryAccessibleInterface(w().tvwFood)->child(0)->text(QAccessible::Name);
        };
        if (window == "frmMain") {
            check(&w());
            names << "Food Groups";
        } else if (window == "dlgServings") {
            ServingsDialog dialog(f->ctx(), &w());
            fillMealCombo(f->ctx().config(), dialog.cmbMeal, "Lunch");
            dialog.setFixedServingSize("1 slice"); // an editable box whose text box is named too
            check(&dialog);
        } else if (window == "frmOptions") {
            check(std::make_unique<OptionsDialog>(f->ctx(), &w()).get());
        } else {
            whenModal([&](QWidget* dialog) {
                check(dialog);
                dialog->close();
            });
            w().tvwFood->selectNode(w().tvwFood->node("F60001"));
            w().foodEditor().showFoodDetails();
        }
        QCOMPARE(unnamed.join(", "), QString());
        QCOMPARE(seen, names);
    }

    // The Menu key and Shift+F10 open the context menu of the selected node,
    // just below it, in either tree, as a right click on it would.
    void theContextMenuOpensFromTheKeyboard_data()
    {
        // The diet tree's own keyboard menu is tested with the diet tree.
        QTest::addColumn<int>("key");
        QTest::newRow("Menu key") << int(Qt::Key_Menu);
        QTest::newRow("Shift+F10") << (Qt::ShiftModifier | Qt::Key_F10).toCombined();
    }
    void theContextMenuOpensFromTheKeyboard()
    {
        QFETCH(int, key);
        loadShown();
        NodeTree* view = w().tvwFood;
        QTreeWidgetItem* node = view->node("F60001");
        view->setFocus();
        view->selectNode(node);
        w().mnuPop_RTB->hide();
        const QKeyCombination keys = QKeyCombination::fromCombined(key);
        QTest::keyClick(view, keys.key(), keys.keyboardModifiers());
        QVERIFY(w().mnuPop_RTB->isVisible());
        QVERIFY(w().findChild<QAction*>("mnuPop_RTB_FoodDetails")->isEnabled());
        const QRect row = view->visualItemRect(node);
        const QPoint below = view->viewport()->mapToGlobal(QPoint(row.left(), row.bottom()));
        QVERIFY2(qAbs(w().mnuPop_RTB->pos().y() - below.y()) <= 2 && w().mnuPop_RTB->pos().x() >= below.x(),
                 qPrintable(QString("%1,%2").arg(w().mnuPop_RTB->pos().x()).arg(w().mnuPop_RTB->pos().y())));
        w().mnuPop_RTB->hide();
        QVERIFY(!w().state().popupPending);
    }

    void thePlaceIsReadFromTheSettingsAndStoredUnlessMinimised_data()
    {
        QTest::addColumn<bool>("minimised");
        QTest::newRow("normal") << false;
        QTest::newRow("minimised") << true;
    }
    void thePlaceIsReadFromTheSettingsAndStoredUnlessMinimised()
    {
        QFETCH(bool, minimised);
        const WindowPlacement stored = {1500, 1200, 11000, 7200};
        WindowSettings().write(stored);
        loadShown();
        const int dpiX = w().logicalDpiX(), dpiY = w().logicalDpiY();
        QCOMPARE(QRect(w().pos(), w().size()),
                 QRect(qRound(1500 * dpiX / 1440.0), qRound(1200 * dpiY / 1440.0),
                       qRound(11000 * dpiX / 1440.0), qRound(7200 * dpiY / 1440.0)));
        w().move(120, 90);
        w().resize(700, 480);
        if (minimised) {
            w().showMinimized();
            QTRY_VERIFY(w().isMinimized());
        }
        w().close();
        QCOMPARE(WindowSettings().read(),
                 minimised ? stored
                           : WindowSettings::fromPixels(QRect(w().pos(), QSize(700, 480)), dpiX, dpiY));
        QVERIFY(!f->ctx().dataSource().isConnected()); // closed behind "Closing Database Files"
    }

    // Only exactly "Y" shows the meal list at load; the menu item's mark follows it.
    // The list offers the meals in use.
    void showMealsAtLoad_data()
    {
        QTest::addColumn<QString>("stored"); // "-" for no SHOWMEALS item at all
        QTest::addColumn<bool>("shown");
        QTest::newRow("Y") << "Y" << true;
        QTest::newRow("N") << "N" << false;
        QTest::newRow("y") << "y" << false;
        QTest::newRow("missing") << "-" << false;
    }
    void showMealsAtLoad()
    {
        QFETCH(QString, stored);
        QFETCH(bool, shown);
        if (stored == "-")
            f->test.exec("DELETE FROM CONFIG WHERE ConfigItem = 'SHOWMEALS'");
        else
            f->test.exec("UPDATE CONFIG SET ConfigValue = ? WHERE ConfigItem = 'SHOWMEALS'", {stored});
        loadShown();
        QCOMPARE(w().cmbMeal->isVisible(), shown);
        QCOMPARE(w().cmbMeal->currentText(), "Select a Meal");
        fillMealCombo(f->ctx().config(), w().cmbMeal, "Lunch"); // the entries replaced, not added to
        QCOMPARE(w().cmbMeal->count(), 5);
        QCOMPARE(w().cmbMeal->currentText(), "Lunch");
        QAction* menu = w().findChild<QAction*>("mnuToolsShowMeals");
        QCOMPARE(menu->isChecked(), shown);
        // The menu item turns it round and stores the switch.
        menu->trigger();
        QTRY_COMPARE(w().cmbMeal->isVisible(), !shown);
        QCOMPARE(f->test.scalar("SELECT ConfigValue FROM CONFIG WHERE ConfigItem = 'SHOWMEALS'"),
                 stored == "-" ? QVariant() : QVariant(shown ? "N" : "Y"));
    }
};

QTEST_MAIN(MainWindowShellTest)
#include "tst_mainwindowshell.moc"
