#include "../food/foodtestsupport.h"

#include "builder/fbservingsdialog.h"
#include "builder/foodbuilderwindow.h"
#include "data/storeddates.h"
#include "diet/servingsdialog.h"
#include "graph/graphwindow.h"
#include "options/optionsdialog.h"
#include "report/dietreportwindow.h"
#include "report/snapshotreportwindow.h"
#include "snapshot/snapshotwindow.h"
#include "widgets/mealcombo.h"

#include <QAccessible>
#include <QChartView>
#include <QDateEdit>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>

namespace {

QAccessibleInterface* reader(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// What a screen reader takes from a drop-down: its label (the label whose
// buddy it is, else its description), name, value, the entry its list
// highlights, the list's items (how many, the first two and the last), and the
// name of its text box if it has one.
QString reading(QComboBox* combo)
{
    QAccessibleInterface* box = reader(combo);
    const auto labels = box->relations(QAccessible::Label);
    QAccessibleInterface* list = box->child(0);
    const int count = list && list->role() == QAccessible::List ? list->childCount() : 0;
    QStringList items;
    for (int i : {0, 1, count - 1})
        items << (i >= 0 && i < count ? list->child(i)->text(QAccessible::Name) : QString());
    QStringList read{labels.isEmpty() ? "(" + box->text(QAccessible::Description) + ")"
                                      : labels.first().first->text(QAccessible::Name),
                     box->text(QAccessible::Name), box->text(QAccessible::Value),
                     "at " + combo->itemText(combo->currentIndex()),
                     QString::number(count) + ": " + items.join(", ")};
    if (box->childCount() > 1)
        read << "text box " + box->child(1)->text(QAccessible::Name);
    return read.join(" | ");
}

} // namespace

// What a screen reader user meets: every drop-down read with its label, value
// and choices, every control named, and the windows worked from the keyboard.
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

    // The main window's, both servings dialogs', the builder's and the food
    // editor's. The toolbar's list has no label beside it: its description
    // says what it is. With no value, the label is the name. A servings list
    // highlights the number its box shows.
    void dropDownsReadTheirLabelValueAndChoices()
    {
        AppContext& context = f->ctx();
        QStringList read{reading(w().cmbMeal), reading(b()->cmbGroups)};
        ServingsDialog diet(context);
        QVERIFY(context.dataSource().cmdMeasures(9003));
        diet.offerServings(context.dataSource().rsMeasures, "Apples, raw", 2, QString());
        fillMealCombo(context.config(), diet.cmbMeal, "Lunch");
        FBServingsDialog builder(context);
        builder.offerMeasures({"100 g", "1 oz", "1 cup"}, 1);
        builder.setServings(2.5);
        for (QComboBox* list :
             {diet.cmbServings, diet.cmbServSize, diet.cmbMeal, builder.cmbServings, builder.cmbServSize})
            read << reading(list);
        click("F9003");
        withDialog([&] { run(Command::FoodDetails); },
                   [&](QDialog* editor) {
                       for (const char* name : {"cmbServSize", "cmbGroups"})
                           read << reading(editor->findChild<QComboBox*>(name));
                   });
        const QString meals = "5: Select a Meal, Breakfast, Snack", quarters = "39: 0.25, 0.50, 9.75";
        const QString measures = "4: 1 small bite, 1 oz, 1 cup",
                      groups = "5: Dairy and Egg Products, Favorites, Vegetables";
        const QString servings = " | text box Number of Servings", size = " | text box Serving Size";
        QCOMPARE(read,
                 (QStringList{"(Meal) | Select a Meal | Select a Meal | at Select a Meal | " + meals,
                              "Food Group | Food Group |  | at  | " + groups,
                              "Number of Servings | 1.00 | 1.00 | at 1.00 | " + quarters + servings,
                              "Serving Size | 1 cup | 1 cup | at 1 cup | " + measures,
                              "Meal | Lunch | Lunch | at Lunch | " + meals,
                              "Number of Servings | 2.5 | 2.5 | at 2.50 | " + quarters + servings,
                              "Serving Size | 1 oz | 1 oz | at 1 oz | 3: 100 g, 1 oz, 1 cup" + size,
                              "Serving Size | 100 g | 100 g | at 100 g | " + measures + size,
                              "Food Group | Fruits and Fruit Juices | Fruits and Fruit Juices | at Fruits "
                              "and Fruit Juices | " +
                                  groups}));
    }

    // Tab leaves the entry grid and goes round in reading order; the labels'
    // and buttons' access keys reach each box and run each command; Escape
    // hides the window as Hide Food Builder does.
    void theFoodBuilderWorksFromTheKeyboardAlone()
    {
        for (const char* food : {"F9003", "F1001"}) {
            click(food);
            run(Command::FoodBuilder);
        }
        run(Command::ToolsFoodBuilder);
        QTRY_COMPARE(QApplication::activeWindow(), b());
        b()->gdFoods->setFocus();
        // A key pressed in the builder, made active again as a window manager
        // would (the offscreen platform leaves no window active after a
        // dialog closed or the builder was shown again).
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
        order << key(Qt::Key_Tab, Qt::ShiftModifier);
        for (int letter : {Qt::Key_N, Qt::Key_R, Qt::Key_G})
            order << key(letter, Qt::AltModifier);
        QCOMPARE(order, (QStringList{"gdTotals", "txtFoodName", "txtServingSize", "cmbGroups", "cmdUpdate",
                                     "cmdDelete", "cmdSave", "cmdHide", "gdFoods", "cmdHide", "txtFoodName",
                                     "txtServingSize", "cmbGroups"}));
        // A button's access key clicks it once the press is seen.
        key(Qt::Key_D, Qt::AltModifier);
        QTRY_COMPARE(b()->builder().count(), 1);
        key(Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(prompts().count(), 1);
        QCOMPARE(last().text, "You must enter a Food Name.");
        key(Qt::Key_H, Qt::AltModifier);
        QTRY_VERIFY(!b()->isVisible());
        run(Command::ToolsFoodBuilder);
        key(Qt::Key_Escape);
        QVERIFY(!b()->isVisible() && b()->builder().count() == 1);
    }

    // Every control that takes the focus, in every window, has a name (not
    // those that hand the focus on, as a chart's drawing does, nor a date box's
    // own text box); the windows read as windows with their titles.
    void everyControlIsNamed()
    {
        AppContext& context = f->ctx();
        f->test.addDietRow("USER1", QDate(2003, 5, 14), "MEAL0", "Toast");
        f->test.addDietRow("USER1", QDate(2003, 5, 15), "MEAL1", "Stew");
        SnapshotWindow snapshots(context);
        QVERIFY(snapshots.load());
        DietReportWindow dietReport(context);
        QVERIFY(context.dataSource().cmdSnapShotReport(
            StoredRange::snapshotDays(QDate(2003, 5, 14), QDate(2003, 5, 15)), "USER1"));
        SnapshotReportWindow snapshotReport(context);
        QVERIFY(context.dataSource().cmdDietGraph(QDate(2003, 5, 14), QDate(2003, 5, 15), "USER1"));
        GraphWindow graph(context);
        graph.setDateRange(QDate(2003, 5, 14), QDate(2003, 5, 15));
        QVERIFY(graph.buildGraph());
        OptionsDialog options(context, &w());
        QStringList unnamed, seen;
        for (QWidget* window : std::initializer_list<QWidget*>{&w(), &options, b(), &snapshots, &dietReport,
                                                               &snapshotReport, &graph}) {
            const QAccessible::Role role = reader(window)->role();
            seen << window->objectName() +
                        (role == QAccessible::Window || role == QAccessible::Dialog ? "=" : "?=") +
                        reader(window)->text(QAccessible::Name);
            for (QWidget* control : window->findChildren<QWidget*>()) {
                if (!control->isHidden() && control->window() == window &&
                    control->focusPolicy() != Qt::NoFocus && !control->focusProxy() &&
                    control->objectName() != "qt_spinbox_lineedit" &&
                    reader(control)->text(QAccessible::Name).isEmpty())
                    unnamed << control->metaObject()->className() + QString(":") + control->objectName();
            }
        }
        QCOMPARE(unnamed.join(", "), QString());
        const auto nameOf = [](QObject* control) { return reader(control)->text(QAccessible::Name); };
        // A tree's one column reads as the tree, not as "1". The chart's
        // description follows the style shown.
        seen << nameOf(w().tvwFood) << reader(w().tvwFood)->child(0)->text(QAccessible::Name)
             << nameOf(w().dtDatePick) << nameOf(options.findChild<QWidget*>("optUser3"))
             << nameOf(b()->gdFoods) << nameOf(b()->gdTotals) << nameOf(b()->txtServingSize)
             << nameOf(snapshots.lstSnapShot) << nameOf(dietReport.lstReport)
             << nameOf(snapshotReport.lstReport) << nameOf(graph.MSChart1)
             << reader(graph.MSChart1)->text(QAccessible::Description);
        graph.rbStyle[1]->click();
        seen << reader(graph.MSChart1)->text(QAccessible::Description).section(':', 0, 0);
        QCOMPARE(
            seen.join("; "),
            "frmMain=Corvane's Foodlark " + AppContext::appVersion() +
                "; frmOptions=Configuration Options; frmFoodBuilder=Food Builder; frmSnapshot=Physical "
                "SnapShot; frmReport=Diet Activity Report; frmReportSnap=Snapshot Activity Report; "
                "frmGraph=Diet Activity Graph  05/14/03 - 05/15/03; Food Groups; Food Groups; Diet Date; "
                "Current User: User 4; Food Items; Totals; Serving Size; SnapShot History; Diet Activity "
                "Report; Snapshot Activity Report; Diet Activity Graph of Calories for 05/14/03 - 05/15/03; "
                "Bar graph of each day's Calories: 2 days with diet entries, from 2003/05/14 to "
                "2003/05/15; Line graph of each day's Calories");
    }

    // The snapshot window starts on the first line of its details, the day,
    // so that Tab follows the reading order from there: the time, the values,
    // the comment, the buttons, the history.
    void theSnapshotWindowStartsOnTheDay()
    {
        SnapshotWindow snapshots(f->ctx());
        QVERIFY(snapshots.load());
        snapshots.show();
        QTRY_COMPARE(QApplication::focusWidget(), snapshots.dtDate);
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
