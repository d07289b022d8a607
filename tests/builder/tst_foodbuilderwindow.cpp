#include "../food/foodtestsupport.h"

#include "builder/foodbuilderwindow.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {

// A grid's header, then its rows, each as its cells joined by "|".
QStringList rows(const QTableWidget* grid)
{
    QStringList list, header;
    for (int column = 0; column < grid->columnCount(); ++column)
        header << grid->horizontalHeaderItem(column)->text();
    for (int row = -1; row < grid->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; row >= 0 && column < grid->columnCount(); ++column)
            cells << (grid->item(row, column) ? grid->item(row, column)->text() : QString());
        list << (row < 0 ? header : cells).join('|');
    }
    return list;
}

const Prompt kUnsavedQuestion{PromptIcon::Question, PromptButtons::YesNo, "Unsaved Data",
                              "You have unsaved items in the Food Builder.  Do you want to save them?"};

Prompt exclamation(const QString& text)
{
    return {PromptIcon::Exclamation, PromptButtons::Ok, "Corvane's Foodlark", text};
}

} // namespace

// The food builder window with the main window: sending foods, changing an
// entry in the serving size dialog, saving the composition as a new food of
// the food tree, and the question when the program closes with entries unsaved.
class FoodBuilderWindowTest : public QObject, FoodWindow
{
    Q_OBJECT

    FoodBuilderWindow* b() { return w().foodBuilder(); }
    // Sends foods to the builder as Send Food to Food Builder does, by key.
    void send(const QStringList& keys)
    {
        for (const QString& key : keys) {
            click(key);
            run(Command::FoodBuilder);
        }
    }
    QString totals() { return rows(b()->gdTotals).value(1); }
    int entryCommands() { return b()->cmdUpdate->isEnabled() + b()->cmdDelete->isEnabled() + b()->cmdSave->isEnabled(); }
    // Opens the serving size dialog of a row by a double-click and runs action on it.
    void update(int row, const std::function<void(QDialog*)>& action)
    {
        QVERIFY(QTest::qWaitForWindowExposed(b()));
        const QPoint at = b()->gdFoods->visualRect(b()->gdFoods->model()->index(row, 0)).center();
        withDialog(
            [&] {
                QTest::mouseClick(b()->gdFoods->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(b()->gdFoods->viewport(), Qt::LeftButton, {}, at);
            },
            action);
    }
    static void ok(QDialog* dialog, const QString& servings)
    {
        dialog->findChild<QComboBox*>("cmbServings")->setEditText(servings);
        dialog->findChild<QPushButton*>("OKButton")->click();
    }
    void fillSave(const QString& name, const QString& size, const QString& group)
    {
        b()->txtFoodName->setText(name);
        b()->txtServingSize->setText(size);
        b()->cmbGroups->setCurrentIndex(b()->cmbGroups->findText(group));
    }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void foodsSentWhileHiddenAreThereWhenShown()
    {
        load();
        QCOMPARE(entryCommands(), 0);
        send({"F9003", "F9003", "F1001"});
        QVERIFY(!b()->isVisible());
        QCOMPARE(entryCommands(), 3);
        QCOMPARE(rows(b()->gdFoods), (QStringList{"Food Item|Serving Size|Servings", "Apples, raw|100 g|1",
                                                  "Apples, raw|100 g|1", "Butter, salted|1 tbsp|1", "||"}));
        QCOMPARE(rows(b()->gdTotals), (QStringList{"Calories|Fat|Cholesterol|Sodium|Carbs|Protein|Fiber|Sugars",
                                                   "201.80|31.52|30.50|103.40|40.01|2.12|4.00|20.01"}));
        // The butter's 14.2 g serving is 14 whole grams.
        QCOMPARE(b()->builder().entries()[2].gmWt(), 14);
        // No group is chosen for the user; every group but the two that hold only groups is offered.
        QCOMPARE((QList<int>{b()->cmbGroups->currentIndex(), b()->cmbGroups->count()}), (QList<int>{-1, 5}));
        QCOMPARE(b()->gdFoods->currentRow(), 0);
        run(Command::ToolsFoodBuilder);
        QVERIFY(QTest::qWaitForWindowExposed(b()));
        // Deleting: later entries move up; the empty row deletes nothing; the last entry gone, the commands go off.
        QStringList left;
        for (int row : {1, 2, 1, 0}) {
            b()->gdFoods->setCurrentCell(row, 0);
            b()->cmdDelete->click();
            left << rows(b()->gdFoods).mid(1).join(", ");
        }
        QCOMPARE(left, (QStringList{"Apples, raw|100 g|1, Butter, salted|1 tbsp|1, ||",
                                    "Apples, raw|100 g|1, Butter, salted|1 tbsp|1, ||", "Apples, raw|100 g|1, ||", "||"}));
        QCOMPARE(totals(), "0.00|0.00|0.00|0.00|0.00|0.00|0.00|0.00");
        QCOMPARE(b()->builder().totals(), Nutrients{}); // exactly, with no remainder of the deleted entries
        QCOMPARE(entryCommands(), 0);
        b()->cmdHide->click();
        QVERIFY(!b()->isVisible());
        QCOMPARE(prompts().count(), 0);
    }

    void anEntryTakesAListedMeasureAndAnyNumberOfServings()
    {
        load();
        send({"F9003", "F50001"});
        run(Command::ToolsFoodBuilder);
        update(0, [&](QDialog* d) {
            auto* size = d->findChild<QComboBox*>("cmbServSize");
            QCOMPARE((QStringList{d->windowTitle(), QString::number(size->count()), size->currentText(),
                                  d->findChild<QComboBox*>("cmbServings")->currentText()}),
                     (QStringList{"Serving Size Settings - Apples, raw", "4", "100 g", "1"}));
            // Refused, with the dialog left open: servings that are no number of
            // servings, then a size of the user's own.
            for (const char* text : {"two", "1e999"}) {
                ok(d, text);
                QVERIFY(d->isVisible());
                QCOMPARE(last(), exclamation("Number of Servings must be numeric."));
            }
            size->setEditText("1 bowl");
            ok(d, "2");
            QCOMPARE(last(), exclamation("You must select an existing Serving Size."));
            size->setCurrentIndex(1); // 1 oz, 28.35 g
            ok(d, "2");
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(rows(b()->gdFoods).value(1), "Apples, raw|1 oz|2");
        QCOMPARE(totals().section('|', 1, 1), "24.67"); // 19 + 10 x 28.35 / 100 x 2, by the exact weight
        // A food without measures keeps its serving size and changes its servings only.
        update(1, [&](QDialog* d) {
            auto* size = d->findChild<QComboBox*>("cmbServSize");
            QVERIFY(size->count() == 0 && size->lineEdit()->isReadOnly());
            QCOMPARE(size->currentText(), "1 slice");
            ok(d, "0.5");
        });
        QCOMPARE(rows(b()->gdFoods).value(2), "apple pie (home)|1 slice|0.5");
        QCOMPARE(totals().section('|', 0, 1), "233.85|15.17");
        // Cancel, and Update on the empty row, change nothing.
        update(0, [&](QDialog* d) {
            d->findChild<QComboBox*>("cmbServings")->setEditText("7");
            d->findChild<QPushButton*>("CancelButton")->click();
        });
        b()->gdFoods->setCurrentCell(2, 0);
        b()->cmdUpdate->click();
        QCOMPARE(rows(b()->gdFoods).mid(1), (QStringList{"Apples, raw|1 oz|2", "apple pie (home)|1 slice|0.5", "||"}));
        QCOMPARE(prompts().count(), 3);
    }

    // Save checks name, size and group (the list was read when the builder was
    // shown: a group deleted since then takes nothing), then stores into a group
    // not opened yet.
    void saveChecksFirstThenStoresIntoAGroupNeverOpened()
    {
        load();
        send({"F9003", "F1001"});
        run(Command::ToolsFoodBuilder);
        prompts().queueYes();
        w().foodTree().deleteFoodGroup("G12");
        QCOMPARE(node("G20")->childCount(), 0);
        const QString noName = "You must enter a Food Name.", noGroup = "You must select one of the available Food Groups.";
        for (const QStringList& fields : QList<QStringList>{{"", "", "", noName}, {"  ", "1 plate", "", noName},
                                                             {"Toast", " ", "", "You must enter a Serving Size."},
                                                             {"Toast", "1", "", noGroup}, {"Toast", "1", "Vegetables", noGroup}}) {
            fillSave(fields[0], fields[1], fields[2]);
            b()->cmdSave->click();
            QCOMPARE(last(), exclamation(fields[3]));
        }
        QCOMPARE(count("FoodItem WHERE FoodId > ?", {Fixture::kLastFoodId}), 0);
        QVERIFY(b()->cmbGroups->findText("Vegetables") < 0 && b()->cmbGroups->currentIndex() < 0);

        fillSave("Apple butter toast", " 1 plate ", "My Foods");
        prompts().clear();
        b()->cmdSave->click();
        QCOMPARE(prompts().shown(), (QList<Prompt>{{PromptIcon::Information, PromptButtons::Ok, "Food Item Saved",
                                                   "Your new Food Item has been saved."}}));
        // One user food of the whole composition, in the group, which lists its earlier foods too.
        QCOMPARE(food(Fixture::kLastFoodId + 1, "FoodName, ServingSize, GroupId, USDA_NDB_NO, USDA_MSRE_NO, "
                                                "USDA_GM_WT, Fat, Calorie, Other2"),
                 (QVariantList{"Apple butter toast", "1 plate", 20, 0, 0, 0.0, 21.52, 151.8, 10.01}));
        QCOMPARE(under("G20"), (QStringList{newFood(), "F50001"}));
        QCOMPARE(selected(), newFood());
        // The builder is hidden and empty; the group stays chosen.
        QVERIFY(!b()->isVisible() && !b()->builder().unsavedItems());
        QCOMPARE(rows(b()->gdFoods).mid(1) << b()->txtFoodName->text() << b()->txtServingSize->text()
                                            << b()->cmbGroups->currentText(),
                 (QStringList{"||", "", "", "My Foods"}));
    }

    void closingAsksAboutUnsavedEntries_data()
    {
        QTest::addColumn<bool>("builderOnly");  // the builder's window is closed, not the program
        QTest::addColumn<bool>("filledIn");     // name, size and group, so that a save passes its checks
        QTest::addColumn<int>("answer");        // -1: the only entry is deleted first
        QTest::addColumn<QStringList>("boxes"); // the titles of the boxes shown
        QTest::addColumn<bool>("running");      // the program is still running afterwards
        const int yes = int(PromptAnswer::Yes), no = int(PromptAnswer::No);
        const QStringList asked{"Unsaved Data"}, refused = asked + QStringList{"Corvane's Foodlark"};
        QTest::newRow("yes, a check fails: the program stays") << false << false << yes << refused << true;
        QTest::newRow("yes, saved: the program ends")
            << false << true << yes << asked + QStringList{"Food Item Saved"} << false;
        QTest::newRow("no: the program ends") << false << true << no << asked << false;
        QTest::newRow("nothing unsaved: no question") << false << true << -1 << QStringList{} << false;
        QTest::newRow("the builder closed, yes, a check fails: it stays") << true << false << yes << refused << true;
        QTest::newRow("the builder closed, no: its entries go") << true << true << no << asked << true;
    }
    void closingAsksAboutUnsavedEntries()
    {
        QFETCH(bool, builderOnly);
        QFETCH(bool, filledIn);
        QFETCH(int, answer);
        load();
        send({"F9003"});
        run(Command::ToolsFoodBuilder);
        if (answer < 0)
            b()->deleteSelectedEntry();
        else
            prompts().queue(PromptAnswer(answer));
        if (filledIn)
            fillSave("Stew", "1 bowl", "My Foods");
        builderOnly ? b()->close() : w().close();
        QTEST(f->ctx().dataSource().isConnected(), "running");
        QStringList boxes;
        for (const Prompt& prompt : prompts().shown())
            boxes << prompt.title;
        QTEST(boxes, "boxes");
        QCOMPARE(prompts().shown().value(0), boxes.isEmpty() ? Prompt{} : kUnsavedQuestion);
        // A failed check is shown with the builder in front; otherwise the builder is let go, empty.
        const bool kept = !filledIn;
        if (f->ctx().dataSource().isConnected())
            QCOMPARE((QList<bool>{b()->builder().count() == 1, b()->builder().totals() != Nutrients{},
                                  b()->builder().unsavedItems(), b()->isVisible()}),
                     QList<bool>(4, kept));
    }
};

QTEST_MAIN(FoodBuilderWindowTest)
#include "tst_foodbuilderwindow.moc"
