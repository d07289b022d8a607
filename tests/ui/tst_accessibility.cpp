#include "../food/foodtestsupport.h"

#include "builder/fbservingsdialog.h"
#include "builder/foodbuilderwindow.h"
#include "diet/servingsdialog.h"
#include "graph/graphwindow.h"
#include "options/optionsdialog.h"
#include "report/dietreportwindow.h"
#include "report/snapshotreportwindow.h"
#include "snapshot/snapshotwindow.h"
#include "ui/mealcombo.h"

#include <QAccessible>
#include <QChartView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

namespace {

QAccessibleInterface* reader(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// What a screen reader takes from a drop-down: its label (the label whose
// buddy it is, else its description), its name and value, the entry its list
// highlights when it opens, and the items of the list (how many, the first two
// and the last).
QString reading(QComboBox* combo)
{
    QAccessibleInterface* box = reader(combo);
    if (box->role() != QAccessible::ComboBox)
        return "not a combo box";
    QStringList labels;
    for (const auto& [label, relation] : box->relations(QAccessible::Label))
        labels << label->text(QAccessible::Name);
    if (labels.isEmpty())
        labels << "(" + box->text(QAccessible::Description) + ")";
    QStringList items;
    QAccessibleInterface* list = box->childCount() > 0 ? box->child(0) : nullptr;
    const int count = list && list->role() == QAccessible::List ? list->childCount() : 0;
    for (int i : {0, 1, count - 1}) {
        if (i >= 0 && i < count && (i < 2 || count > 2))
            items << list->child(i)->text(QAccessible::Name);
    }
    return QString("%1 | %2 | %3 | at %4 | %5: %6")
        .arg(labels.join(", "), box->text(QAccessible::Name), box->text(QAccessible::Value),
             combo->itemText(combo->currentIndex()))
        .arg(count)
        .arg(items.join(", "));
}

} // namespace

// What a screen reader user meets: every drop-down read with its label, value
// and choices, and the food builder worked from the keyboard alone.
class AccessibilityTest : public QObject, FoodWindow
{
    Q_OBJECT

    FoodBuilderWindow* b() { return w().foodBuilder(); }

private slots:
    void init()
    {
        f = std::make_unique<MainWindowFixture>();
        load();
    }
    void cleanup() { f.reset(); }

    void dropDownsReadTheirLabelValueAndChoices_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("read");
        const QString meals = "5: Select a Meal, Breakfast, Snack", quarters = "39: 0.25, 0.50, 9.75";
        const QString measures = "4: 1 small bite, 1 oz, 1 cup",
                      groups = "5: Dairy and Egg Products, Favorites, Vegetables";
        // Without a label beside it, the toolbar's list says what it is in its description.
        QTest::newRow("toolbar meal")
            << "toolbar meal"
            << "(Meal) | Select a Meal | Select a Meal | at Select a Meal | " + meals;
        QTest::newRow("diet servings") << "diet servings"
                                       << "Number of Servings | 1.00 | 1.00 | at 1.00 | " + quarters;
        QTest::newRow("diet serving size") << "diet serving size"
                                           << "Serving Size | 1 cup | 1 cup | at 1 cup | " + measures;
        QTest::newRow("diet meal") << "diet meal"
                                   << "Meal | Lunch | Lunch | at Lunch | " + meals;
        // The list highlights the number the box shows, in its own format.
        QTest::newRow("builder servings") << "builder servings"
                                          << "Number of Servings | 2.5 | 2.5 | at 2.50 | " + quarters;
        QTest::newRow("builder serving size")
            << "builder serving size"
            << "Serving Size | 1 oz | 1 oz | at 1 oz | 3: 100 g, 1 oz, 1 cup";
        // With no value, the label is the name.
        QTest::newRow("builder group, none chosen") << "builder group"
                                                    << "Food Group | Food Group |  | at  | " + groups;
        QTest::newRow("editor serving size") << "editor serving size"
                                             << "Serving Size | 100 g | 100 g | at 100 g | " + measures;
        QTest::newRow("editor group") << "editor group"
                                      << "Food Group | Fruits and Fruit Juices | Fruits and Fruit Juices | "
                                         "at Fruits and Fruit Juices | " +
                                             groups;
    }
    void dropDownsReadTheirLabelValueAndChoices()
    {
        QFETCH(QString, list);
        QString read;
        AppContext& context = f->ctx();
        if (list.startsWith("toolbar")) {
            read = reading(w().cmbMeal);
        } else if (list.startsWith("diet")) {
            ServingsDialog dialog(context);
            QVERIFY(context.dataSource().cmdMeasures(9003));
            dialog.offerServings(context.dataSource().rsMeasures, "Apples, raw", 2, QString());
            fillMealCombo(context.config(), dialog.cmbMeal, "Lunch");
            read = reading(list.endsWith("servings") ? dialog.cmbServings
                           : list.endsWith("meal")   ? dialog.cmbMeal
                                                     : dialog.cmbServSize);
        } else if (list == "builder group") {
            read = reading(b()->cmbGroups);
        } else if (list.startsWith("builder")) {
            FBServingsDialog dialog(context);
            dialog.offerMeasures({"100 g", "1 oz", "1 cup"}, 1);
            dialog.setServings(2.5);
            read = reading(list.endsWith("servings") ? dialog.cmbServings : dialog.cmbServSize);
        } else {
            click("F9003");
            withDialog([&] { run(Command::FoodDetails); },
                       [&](QDialog* dialog) {
                           read = reading(dialog->findChild<QComboBox*>(
                               list.endsWith("group") ? "cmbGroups" : "cmbServSize"));
                       });
        }
        QTEST(read, "read");
    }

    // Tab leaves the entry grid and goes round the window in reading order; the
    // labels' and buttons' access keys reach each box and run each command;
    // Escape hides the window as Hide Food Builder does.
    void theFoodBuilderWorksFromTheKeyboardAlone()
    {
        for (const char* food : {"F9003", "F1001"}) {
            click(food);
            run(Command::FoodBuilder);
        }
        run(Command::ToolsFoodBuilder);
        QTRY_COMPARE(QApplication::activeWindow(), b());
        b()->gdFoods->setFocus();
        // A key pressed in the builder, made the active window again as a
        // window manager would after a dialog closed or the builder was shown
        // again (the offscreen platform leaves no window active then).
        const auto key = [this](int key, Qt::KeyboardModifiers modifiers = {}) {
            for (QWidget* window : {static_cast<QWidget*>(&w()), static_cast<QWidget*>(b())}) {
                if (QApplication::activeWindow() != b()) {
                    window->activateWindow();
                    if (!QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }))
                        return QString("(%1 not active)").arg(window->objectName());
                }
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
            return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
        };
        QStringList order;
        for (int i = 0; i < 9; ++i)
            order << key(Qt::Key_Tab);
        QCOMPARE(order, (QStringList{"gdTotals", "txtFoodName", "txtServingSize", "cmbGroups", "cmdUpdate",
                                     "cmdDelete", "cmdSave", "cmdHide", "gdFoods"}));
        QCOMPARE(key(Qt::Key_Tab, Qt::ShiftModifier), "cmdHide");
        QCOMPARE((QStringList{key(Qt::Key_N, Qt::AltModifier), key(Qt::Key_R, Qt::AltModifier),
                              key(Qt::Key_G, Qt::AltModifier)}),
                 (QStringList{"txtFoodName", "txtServingSize", "cmbGroups"}));
        // A button's access key clicks it as a short press does, once the press is seen.
        // Update opens the entry's serving size dialog, whose list highlights the servings it shows.
        b()->gdFoods->setCurrentCell(1, 0);
        QString servings;
        withDialog(
            [&] {
                key(Qt::Key_U, Qt::AltModifier);
                QTRY_VERIFY(!servings.isEmpty());
            },
            [&](QDialog* dialog) {
                auto* list = dialog->findChild<QComboBox*>("cmbServings");
                servings = list->currentText() + " at " + list->itemText(list->currentIndex());
            });
        QCOMPARE(servings, "1 at 1.00");
        key(Qt::Key_D, Qt::AltModifier);
        QTRY_COMPARE(b()->builder().count(), 1);
        key(Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(prompts().count(), 1);
        QCOMPARE(last(), (Prompt{PromptIcon::Exclamation, PromptButtons::Ok, "Corvane's Foodlark",
                                 "You must enter a Food Name."}));
        key(Qt::Key_H, Qt::AltModifier);
        QTRY_VERIFY(!b()->isVisible());
        run(Command::ToolsFoodBuilder);
        key(Qt::Key_Escape);
        QVERIFY(!b()->isVisible());
        QCOMPARE(b()->builder().count(), 1);
    }

    // Every control that takes the focus has a name; the windows are windows
    // with their titles, and some names and descriptions are what they say.
    void everyControlIsNamed_data()
    {
        QTest::addColumn<QString>("window");
        // The window's name, then controls' names: "object name=name" (of its
        // first column for "name column", its description for "name description");
        // for the graph, its description once the line is shown.
        QTest::addColumn<QStringList>("read");
        QTest::newRow("main window") << "frmMain"
                                     << QStringList{"frmMain=Corvane's Foodlark " + AppContext::appVersion(),
                                                    "tvwFood=Food Groups", "tvwFood column=Food Groups",
                                                    "dtDatePick=Diet Date", "optUser3=Current User: User 4"};
        QTest::newRow("food builder")
            << "frmFoodBuilder"
            << QStringList{
                   "frmFoodBuilder=Food Builder", "gdFoods=Food Items",          "gdTotals=Totals",
                   "txtFoodName=Food Name",       "txtServingSize=Serving Size", "cmbGroups=Food Group",
                   "cmdSave=Save Food Item"};
        QTest::newRow("snapshots") << "frmSnapshot"
                                   << QStringList{"frmSnapshot=Physical SnapShot",
                                                  "lstSnapShot=SnapShot History", "dtTime=Time"};
        QTest::newRow("diet report") << "frmReport"
                                     << QStringList{"frmReport=Diet Activity Report",
                                                    "lstReport=Diet Activity Report"};
        QTest::newRow("snapshot report")
            << "frmReportSnap"
            << QStringList{"frmReportSnap=Snapshot Activity Report", "lstReport=Snapshot Activity Report"};
        QTest::newRow("graph")
            << "frmGraph"
            << QStringList{"frmGraph=Diet Activity Graph  05/14/03 - 05/15/03",
                           "MSChart1=Diet Activity Graph of Calories for 05/14/03 - 05/15/03",
                           "MSChart1 description=Bar graph of each day's Calories: 2 days with diet "
                           "entries, from 2003/05/14 to 2003/05/15",
                           "then Line graph of each day's Calories"};
    }
    void everyControlIsNamed()
    {
        QFETCH(QString, window);
        QFETCH(QStringList, read);
        AppContext& context = f->ctx();
        f->test.addDietRow("USER1", QDate(2003, 5, 14), "MEAL0", "Toast");
        f->test.addDietRow("USER1", QDate(2003, 5, 15), "MEAL1", "Stew");
        std::unique_ptr<QWidget> owned;
        QWidget* shown = &w();
        if (window == "frmFoodBuilder") {
            shown = b();
        } else if (window == "frmSnapshot") {
            auto snapshots = std::make_unique<SnapshotWindow>(context);
            QVERIFY(snapshots->load());
            owned = std::move(snapshots);
        } else if (window == "frmReport") {
            owned = std::make_unique<DietReportWindow>(context);
        } else if (window == "frmReportSnap") {
            QVERIFY(context.dataSource().cmdSnapShotReport(QDateTime(QDate(2003, 5, 14), QTime()),
                                                           QDateTime(QDate(2003, 5, 15), QTime(23, 59, 59)),
                                                           "USER1"));
            owned = std::make_unique<SnapshotReportWindow>(context);
        } else if (window == "frmGraph") {
            QVERIFY(context.dataSource().cmdDietGraph(QDate(2003, 5, 14), QDate(2003, 5, 15), "USER1"));
            auto graph = std::make_unique<GraphWindow>(context);
            graph->setDateRange(QDate(2003, 5, 14), QDate(2003, 5, 15));
            QVERIFY(graph->buildGraph());
            owned = std::move(graph);
        }
        if (owned)
            shown = owned.get();
        // The options dialog's controls are read with the main window's.
        OptionsDialog options(context, &w());
        QStringList unnamed, seen{window + "=" + reader(shown)->text(QAccessible::Name)};
        QVERIFY2(reader(shown)->role() == QAccessible::Dialog || reader(shown)->role() == QAccessible::Window,
                 qPrintable(window));
        for (QWidget* top : {shown, owned ? nullptr : static_cast<QWidget*>(&options)}) {
            // Every tab's controls too, not those of the lists' own windows nor
            // those that hand the focus on (a chart's drawing hands it to the
            // chart). A date box's own text box is not shown to a screen reader.
            for (QWidget* control : top ? top->findChildren<QWidget*>() : QList<QWidget*>()) {
                if (!control->isHidden() && control->window() == top &&
                    control->focusPolicy() != Qt::NoFocus && !control->focusProxy() &&
                    control->objectName() != "qt_spinbox_lineedit" &&
                    reader(control)->text(QAccessible::Name).isEmpty())
                    unnamed << control->metaObject()->className() + QString(":") + control->objectName();
            }
        }
        for (const QString& entry : read.filter("=").mid(1)) {
            const QString name = entry.section('=', 0, 0);
            QWidget* control = name.startsWith("optUser")
                                   ? options.findChild<QWidget*>(name)
                                   : shown->findChild<QWidget*>(name.section(' ', 0, 0));
            QVERIFY2(control, qPrintable(name));
            // A tree's one column reads as the tree, not as "1".
            QAccessibleInterface* iface =
                name.endsWith("column") ? reader(control)->child(0) : reader(control);
            seen << name + "=" +
                        iface->text(name.endsWith("description") ? QAccessible::Description
                                                                 : QAccessible::Name);
        }
        // The chart's description follows the style shown.
        if (auto* graph = qobject_cast<GraphWindow*>(shown)) {
            graph->rbStyle[1]->click();
            seen << "then " + reader(graph->MSChart1)->text(QAccessible::Description).section(':', 0, 0);
        }
        QCOMPARE(unnamed.join(", "), QString());
        QCOMPARE(seen, read);
    }

    // The focus starts on the first line of the details, the day, and Tab
    // goes on in reading order: the time, the values, the comment, the buttons
    // (Save, Edit and Delete are off), the history. (Tab first steps through
    // the parts of a date or time.)
    void theSnapshotWindowTabsInReadingOrder()
    {
        SnapshotWindow snapshots(f->ctx());
        QVERIFY(snapshots.load());
        snapshots.show();
        QTRY_COMPARE(QApplication::activeWindow(), &snapshots);
        QStringList order{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 20 && order.size() < 13; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (QApplication::focusWidget()->objectName() != order.last())
                order << QApplication::focusWidget()->objectName();
        }
        // The four values labelled are Weight, Waist, Chest and Thighs.
        QCOMPARE(order, (QStringList{"dtDate", "dtTime", "txtSnapShot0", "txtSnapShot1", "txtSnapShot2",
                                     "txtSnapShot3", "txtComments", "cmdNew", "cmdReport", "cmdHelp",
                                     "cmdDone", "lstSnapShot", "dtDate"}));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
