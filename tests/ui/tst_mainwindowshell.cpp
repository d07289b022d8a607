#include "mainwindowfixture.h"
#include "ui/icons.h"
#include "ui/nodetree.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

QStringList itemNames(const QList<QAction*>& actions)
{
    QStringList names;
    for (const QAction* action : actions) {
        if (!action->isSeparator())
            names << action->objectName();
    }
    return names;
}

// A geometry in twips, as the layout rules state it.
struct Twips
{
    double left, top, width, height;
};

Twips twips(const QWidget* w, const QRect& r)
{
    const double x = 1440.0 / w->logicalDpiX(), y = 1440.0 / w->logicalDpiY();
    return {r.left() * x, r.top() * y, r.width() * x, r.height() * y};
}

} // namespace

// The main window's shell: menus, context menu and toolbar as listed, the
// commands of parts not in this build, the pane layout rules and the
// window's place in the settings.
class MainWindowShellTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> f;

    QAction* action(const QString& name) { return f->main().findChild<QAction*>(name); }
    // The inner size of the window in twips: the toolbar and the panes below it.
    QSizeF scale()
    {
        const QWidget* client = f->main().centralWidget();
        const int toolbar = f->main().findChild<QToolBar*>("tbToolBar")->height();
        const Twips t = twips(&f->main(), QRect(0, 0, client->width(), client->height() + toolbar));
        return {t.width, t.height};
    }
    QList<QRect> paneGeometry()
    {
        MainWindow& w = f->main();
        return {w.frameFood->geometry(), w.tvwFood->geometry(), w.tvwDiet->geometry(), w.txtActivity->geometry()};
    }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void menuItems_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("shortcuts");
        QTest::newRow("File") << "mnuFile" << QStringList{"mnuFileExit"} << QStringList{"E&xit"} << QStringList{""};
        QTest::newRow("Edit") << "mnuEdit"
                              << QStringList{"mnuEditNew",         "mnuEditDietDetails", "mnuEditDietEntry",
                                             "mnuEditFoodDetails", "mnuEditFoodFav",     "mnuEditFoodBuilder",
                                             "mnuEditCut",         "mnuEditCopy",        "mnuEditPaste",
                                             "mnuEditDelete",      "mnuEditFindEntry",   "mnuEditFindNext",
                                             "mnuEditRename"}
                              << QStringList{"New",   "View Diet Totals",          "Diet Entry Details",
                                             "Food Item Details", "Copy Food To Favorites", "Send Food to Food Builder",
                                             "Cu&t",  "&Copy",                     "&Paste",
                                             "&Delete", "&Find",                   "Find &Next",
                                             "Rename"}
                              << QStringList{"",       "F7",     "F8",     "F9",     "Ctrl+Ins", "Ctrl+B", "Ctrl+X",
                                             "Ctrl+C", "Ctrl+V", "Del",    "Ctrl+F", "F3",       "F2"};
        QTest::newRow("Edit, New") << "mnuEditNew" << QStringList{"mnuEditNewFoodGroup", "mnuEditNewFoodItem"}
                                   << QStringList{"Food &Group", "Food &Item"} << QStringList{"", ""};
        QTest::newRow("Tools") << "mnuTools"
                               << QStringList{"mnuToolsOptions",           "mnuToolsFoodbuilder",
                                              "mnuToolsSnapshot",          "mnuToolsDietReport",
                                              "mnuToolsDietGraph",         "mnuToolsSnapshotReport",
                                              "mnuToolsPurgeDietData",     "mnuToolsPurgeSnapshotData",
                                              "mnuToolsShowMeals"}
                               << QStringList{"&Configuration Options", "&Food Builder",         "P&hysical Snapshot",
                                              "&Produce Diet Report",   "Produce Diet &Graph",   "Produce &Snapshot Report",
                                              "P&urge Diet Data",       "Pu&rge Snapshot Data",  "&Show Meal Choices"}
                               << QStringList(9, "");
        QTest::newRow("Help") << "mnuHelp"
                              << QStringList{"mnuHelpContents", "mnuHelpSearchForHelpOn", "mnuHelpAbout"}
                              << QStringList{"&Contents", "&Search For Help On...", "&About "} << QStringList(3, "");
        QTest::newRow("context") << "mnuPop_RTB"
                                 << QStringList{"mnuPop_RTB_New",         "mnuPop_RTB_DietDetails",
                                                "mnuPop_RTB_DietEntry",   "mnuPop_RTB_FoodDetails",
                                                "mnuPop_RTB_FoodFav",     "mnuPop_RTB_FoodBuilder",
                                                "mnuPop_RTB_Cut",         "mnuPop_RTB_Copy",
                                                "mnuPop_RTB_Paste",       "mnuPop_RTB_Delete",
                                                "mnuPop_RTB_Rename"}
                                 << QStringList{"New",  "View Diet Totals", "Edit Diet Entry Details",
                                                "Edit Food Item Details", "Copy Food To Favorites",
                                                "Send Food to Food Builder", "Cu&t", "&Copy", "&Paste", "&Delete",
                                                "Rename"}
                                 << QStringList(11, "");
        QTest::newRow("context, New") << "mnuPop_RTB_New"
                                      << QStringList{"mnuPop_RTB_NewFoodGroup", "mnuPop_RTB_NewFoodItem"}
                                      << QStringList{"Food Group", "Food Item"} << QStringList{"", ""};
    }
    void menuItems()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, items);
        QFETCH(QStringList, captions);
        QFETCH(QStringList, shortcuts);
        f->load();
        auto* m = f->main().findChild<QMenu*>(menu);
        QVERIFY(m);
        QCOMPARE(itemNames(m->actions()), items);
        QStringList shownCaptions, shownShortcuts;
        for (const QAction* a : m->actions()) {
            if (a->isSeparator())
                continue;
            shownCaptions << a->text();
            shownShortcuts << a->shortcut().toString(QKeySequence::PortableText);
        }
        QCOMPARE(shownCaptions, captions);
        QCOMPARE(shownShortcuts, shortcuts);
    }

    void menuBarOrder()
    {
        f->load();
        QStringList titles;
        for (const QAction* a : f->main().menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles, (QStringList{"&File", "&Edit", "&Tools", "&Help"}));
    }

    void toolbar()
    {
        f->load();
        auto* bar = f->main().findChild<QToolBar*>("tbToolBar");
        QVERIFY(bar);
        QStringList keys, tips;
        for (QAction* a : bar->actions()) {
            if (a->isSeparator() || a->objectName().isEmpty())
                continue;
            keys << a->objectName();
            tips << a->toolTip();
            QVERIFY2(!a->icon().isNull(), qPrintable(a->objectName()));
        }
        QCOMPARE(keys, (QStringList{"tbSelectUser", "tbReport", "tbNewGroup", "tbNewFood", "tbCut", "tbCopy",
                                    "tbPaste", "tbDelete", "tbFind", "tbSnapShot", "tbFoodBldr", "tbHelp"}));
        QCOMPARE(tips, (QStringList{"Select User", "Produce Diet Report", "New Food Group", "New Food Item",
                                    "Cut the Selected Item", "Copy the Selected Item", "Paste", "Delete Selected Item",
                                    "Find", "Physical Snapshot", "Food Builder", "Help"}));
        QMenu* report = action("tbReport")->menu();
        QVERIFY(report);
        QCOMPARE(itemNames(report->actions()), (QStringList{"DIETRPT", "DIETGRAPH", "SNAPSHOTRPT"}));
        QStringList captions;
        for (const QAction* a : report->actions())
            captions << a->text();
        QCOMPARE(captions, (QStringList{"Diet Activity Report", "Diet Graph", "SnapShot Activity Report"}));
    }

    void everyImageKeyHasAPicture()
    {
        for (const char* key : {"closed", "open", "GroupClosed", "GroupOpen", "FoodItem", "DayClosed", "DayOpen",
                                "MealClosed", "MealOpen", "DietItem"})
            QVERIFY2(!Icons::tree(key).isNull(), key);
    }

    void commandsOfPartsNotBuiltStayDisabled()
    {
        f->load();
        f->main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f->main()));
        NodeTree* tree = f->main().tvwFood;
        // A food's click asks for Send Food to Food Builder; the food builder is not in this build.
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(tree->node("G1")).center());
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(tree->node("G11")).center());
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(tree->node("F9003")).center());
        QCOMPARE(NodeTree::key(tree->selectedNode()), QString("F9003"));
        QVERIFY(action("mnuEditCopy")->isEnabled());
        for (const char* name : {"mnuEditFoodBuilder", "mnuPop_RTB_FoodBuilder", "mnuToolsFoodbuilder",
                                 "mnuToolsSnapshot", "mnuToolsDietReport", "mnuToolsDietGraph",
                                 "mnuToolsSnapshotReport", "tbReport", "tbSnapShot", "tbFoodBldr", "DIETRPT",
                                 "DIETGRAPH", "SNAPSHOTRPT"}) {
            QVERIFY2(action(name), name);
            QVERIFY2(!action(name)->isEnabled(), name);
        }
    }

    void pasteAndDeleteStartDisabled()
    {
        f->load();
        for (const char* name : {"mnuEditPaste", "mnuPop_RTB_Paste", "tbPaste", "mnuEditDelete", "mnuPop_RTB_Delete",
                                 "tbDelete"})
            QVERIFY2(!action(name)->isEnabled(), name);
    }

    void panesFollowTheWindowSize()
    {
        f->load();
        f->main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f->main()));
        f->main().resize(900, 700);
        QTRY_COMPARE(f->main().size(), QSize(900, 700));
        const QSizeF s = scale();
        const Twips frame = twips(&f->main(), f->main().frameFood->geometry());
        const Twips food = twips(&f->main(), f->main().tvwFood->geometry());
        const Twips diet = twips(&f->main(), f->main().tvwDiet->geometry());
        const Twips caption = twips(&f->main(), f->main().txtActivity->geometry());
        // One pixel of rounding either way.
        const double pixel = 1440.0 / f->main().logicalDpiX() + 0.01;
        auto near = [pixel](double actual, double expected) { return qAbs(actual - expected) <= pixel; };
        QVERIFY2(near(frame.width, s.width() - 240), qPrintable(QString::number(frame.width)));
        QVERIFY2(near(frame.height, s.height() / 2 - 480), qPrintable(QString::number(frame.height)));
        QVERIFY(near(food.width, s.width() - 480));
        QVERIFY(near(food.height, frame.height - 360));
        QVERIFY(near(diet.top, frame.top + frame.height + 120));
        QVERIFY(near(diet.width, s.width() - 480));
        QVERIFY(near(diet.height, frame.height));
        QVERIFY(near(caption.top, diet.top));
        QVERIFY(near(caption.height, diet.height));
        // Every pane fits in the window.
        QVERIFY(f->main().tvwDiet->geometry().bottom() < f->main().centralWidget()->height());
    }

    void aVeryLowWindowKeepsTheLastLayout()
    {
        f->load();
        f->main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f->main()));
        f->main().resize(800, 600);
        QTRY_COMPARE(f->main().size(), QSize(800, 600));
        const QList<QRect> before = paneGeometry();
        f->main().resize(820, 120);
        QTRY_COMPARE(f->main().width(), 820);
        QVERIFY2(scale().height() <= 1750, qPrintable(QString::number(scale().height())));
        QCOMPARE(paneGeometry(), before);
    }

    void thePlaceComesFromTheSettings()
    {
        {
            QSettings settings;
            settings.beginGroup("Settings");
            settings.setValue("MainLeft", "1500");
            settings.setValue("MainTop", "1200");
            settings.setValue("MainWidth", "9000");
            settings.setValue("MainHeight", "7200");
        }
        f->load();
        MainWindow& w = f->main();
        const double x = w.logicalDpiX() / 1440.0, y = w.logicalDpiY() / 1440.0;
        QCOMPARE(w.pos(), QPoint(qRound(1500 * x), qRound(1200 * y)));
        QCOMPARE(w.size(), QSize(qRound(9000 * x), qRound(7200 * y)));
    }

    void withoutSettingsTheDefaultsApply()
    {
        f->load();
        MainWindow& w = f->main();
        QCOMPARE(w.size(), QSize(qRound(6500 * w.logicalDpiX() / 1440.0), qRound(6500 * w.logicalDpiY() / 1440.0)));
    }

    void closingStoresThePlace()
    {
        f->load();
        MainWindow& w = f->main();
        w.move(120, 90);
        w.resize(640, 480);
        w.close();
        const double x = 1440.0 / w.logicalDpiX(), y = 1440.0 / w.logicalDpiY();
        QSettings settings;
        settings.beginGroup("Settings");
        QCOMPARE(settings.value("MainLeft").toString(), QString::number(qRound(w.x() * x)));
        QCOMPARE(settings.value("MainTop").toString(), QString::number(qRound(w.y() * y)));
        QCOMPARE(settings.value("MainWidth").toString(), QString::number(qRound(640 * x)));
        QCOMPARE(settings.value("MainHeight").toString(), QString::number(qRound(480 * y)));
    }

    void aMinimisedWindowKeepsTheStoredPlace()
    {
        {
            QSettings settings;
            settings.beginGroup("Settings");
            settings.setValue("MainLeft", "1500");
            settings.setValue("MainTop", "1200");
            settings.setValue("MainWidth", "9000");
            settings.setValue("MainHeight", "7200");
        }
        f->load();
        f->main().show();
        f->main().resize(500, 400);
        f->main().showMinimized();
        QTRY_VERIFY(f->main().isMinimized());
        f->main().close();
        QSettings settings;
        settings.beginGroup("Settings");
        QCOMPARE(settings.value("MainLeft").toString(), QString("1500"));
        QCOMPARE(settings.value("MainWidth").toString(), QString("9000"));
        QCOMPARE(settings.value("MainHeight").toString(), QString("7200"));
    }
};

QTEST_MAIN(MainWindowShellTest)
#include "tst_mainwindowshell.moc"
