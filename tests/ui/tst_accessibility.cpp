#include "../food/foodtestsupport.h"

#include "builder/fbservingsdialog.h"
#include "diet/servingsdialog.h"
#include "ui/mealcombo.h"

#include <QAccessible>
#include <QLineEdit>

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
// and choices.
class AccessibilityTest : public QObject, FoodWindow
{
    Q_OBJECT

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
        const QString measures = "4: 1 small bite, 1 oz, 1 cup", groups = "5: Dairy and Egg Products, Favorites, Vegetables";
        // Without a label beside it, the toolbar's list says what it is in its description.
        QTest::newRow("toolbar meal") << "toolbar meal" << "(Meal) | Select a Meal | Select a Meal | at Select a Meal | " + meals;
        QTest::newRow("diet servings") << "diet servings" << "Number of Servings | 1.00 | 1.00 | at 1.00 | " + quarters;
        QTest::newRow("diet serving size") << "diet serving size" << "Serving Size | 1 cup | 1 cup | at 1 cup | " + measures;
        QTest::newRow("diet meal") << "diet meal" << "Meal | Lunch | Lunch | at Lunch | " + meals;
        // The list highlights the number the box shows, in its own format.
        QTest::newRow("builder servings") << "builder servings" << "Number of Servings | 2.5 | 2.5 | at 2.50 | " + quarters;
        QTest::newRow("builder serving size") << "builder serving size" << "Serving Size | 1 oz | 1 oz | at 1 oz | 3: 100 g, 1 oz, 1 cup";
        QTest::newRow("editor serving size") << "editor serving size" << "Serving Size | 100 g | 100 g | at 100 g | " + measures;
        QTest::newRow("editor group") << "editor group"
                                      << "Food Group | Fruits and Fruit Juices | Fruits and Fruit Juices | at Fruits and Fruit Juices | " + groups;
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
        } else if (list.startsWith("builder")) {
            FBServingsDialog dialog(context);
            dialog.offerMeasures({"100 g", "1 oz", "1 cup"}, 1);
            dialog.setServings(2.5);
            read = reading(list.endsWith("servings") ? dialog.cmbServings : dialog.cmbServSize);
        } else {
            click("F9003");
            withDialog([&] { run(Command::FoodDetails); },
                       [&](QDialog* dialog) {
                           read = reading(dialog->findChild<QComboBox*>(list.endsWith("group") ? "cmbGroups"
                                                                                              : "cmbServSize"));
                       });
        }
        QTEST(read, "read");
    }

};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
