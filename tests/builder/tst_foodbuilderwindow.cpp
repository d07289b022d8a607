#include "../food/foodtestsupport.h"

#include "builder/foodbuilderwindow.h"
#include "ui/mainwindow.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {

// A grid's rows, each as its cells joined by "|".
QStringList rows(const QTableWidget* grid)
{
    QStringList list;
    for (int row = 0; row < grid->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < grid->columnCount(); ++column)
            cells << (grid->item(row, column) ? grid->item(row, column)->text() : QString());
        list << cells.join('|');
    }
    return list;
}

QStringList header(const QTableWidget* grid)
{
    QStringList list;
    for (int column = 0; column < grid->columnCount(); ++column)
        list << grid->horizontalHeaderItem(column)->text();
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
    QString totals() { return rows(b()->gdTotals).value(0); }
    // Opens the serving size dialog of a row by a double-click and runs action on it.
    void update(int row, const std::function<void(QDialog*)>& action)
    {
        QVERIFY(QTest::qWaitForWindowExposed(b()));
        QTableWidget* grid = b()->gdFoods;
        const QPoint at = grid->visualRect(grid->model()->index(row, 0)).center();
        withDialog(
            [&] {
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
            },
            action);
    }
    static void ok(QDialog* dialog) { dialog->findChild<QPushButton*>("OKButton")->click(); }
    static void setServings(QDialog* dialog, const QString& text)
    {
        dialog->findChild<QComboBox*>("cmbServings")->setEditText(text);
    }
    void fillSave(const QString& name, const QString& size, const QString& group)
    {
        b()->txtFoodName->setText(name);
        b()->txtServingSize->setText(size);
        b()->cmbGroups->setCurrentIndex(b()->cmbGroups->findText(group));
    }
    bool programRuns() { return f->ctx().dataSource().isConnected(); }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void foodsSentWhileHiddenAreThereWhenShown()
    {
        load("F9003");
        QVERIFY(b() && !b()->isVisible());
        QCOMPARE(b()->windowTitle(), "Food Builder");
        QCOMPARE(header(b()->gdFoods), (QStringList{"Food Item", "Serving Size", "Servings"}));
        QCOMPARE(header(b()->gdTotals),
                 (QStringList{"Calories", "Fat", "Cholesterol", "Sodium", "Carbs", "Protein", "Fiber", "Sugars"}));
        QCOMPARE(rows(b()->gdFoods), QStringList{"||"});
        for (QPushButton* button : {b()->cmdUpdate, b()->cmdDelete, b()->cmdSave})
            QVERIFY(!button->isEnabled());
        QCOMPARE(b()->cmbGroups->currentIndex(), -1);
        QCOMPARE(b()->cmbGroups->count(), 5); // every group but the two that hold only groups

        send({"F9003", "F9003", "F1001"});
        QVERIFY(!b()->isVisible());
        QCOMPARE(rows(b()->gdFoods), (QStringList{"Apples, raw|100 g|1", "Apples, raw|100 g|1",
                                                  "Butter, salted|1 tbsp|1", "||"}));
        QCOMPARE(totals(), "201.80|31.52|30.50|103.40|40.01|2.12|4.00|20.01");
        QCOMPARE(b()->gdFoods->currentRow(), 0);
        for (QPushButton* button : {b()->cmdUpdate, b()->cmdDelete, b()->cmdSave})
            QVERIFY(button->isEnabled());

        // Tools > Food Builder and the toolbar button show it, and leave it shown.
        run(Command::ToolsFoodBuilder);
        QVERIFY(QTest::qWaitForWindowExposed(b()));
        w().commands().action(Command::ToolsFoodBuilder, Surface::Toolbar)->trigger();
        QVERIFY(b()->isVisible());
        // Half of the entry grid, a third, the rest less 200 twips; an eighth of the totals grid each.
        b()->resize(800, 500);
        QTRY_COMPARE(b()->width(), 800);
        const int width = b()->gdFoods->viewport()->width();
        QCOMPARE(b()->gdFoods->columnWidth(0), width / 2);
        QCOMPARE(b()->gdFoods->columnWidth(1), width / 3);
        QCOMPARE(b()->gdFoods->columnWidth(2), width - width / 2 - width / 3 - qRound(200 * w().logicalDpiX() / 1440.0));
        QCOMPARE(b()->gdTotals->columnWidth(7), b()->gdTotals->viewport()->width() / 8);

        // Deleting: later entries move up; the only entry gone, the commands go off.
        b()->gdFoods->setCurrentCell(1, 0);
        b()->cmdDelete->click();
        b()->gdFoods->setCurrentCell(1, 0);
        b()->cmdDelete->click();
        QCOMPARE(rows(b()->gdFoods), (QStringList{"Apples, raw|100 g|1", "||"}));
        b()->gdFoods->setCurrentCell(1, 0); // the empty row: nothing to delete
        b()->cmdDelete->click();
        b()->gdFoods->setCurrentCell(0, 0);
        b()->cmdDelete->click();
        QCOMPARE(rows(b()->gdFoods), QStringList{"||"});
        QCOMPARE(totals(), "0.00|0.00|0.00|0.00|0.00|0.00|0.00|0.00");
        for (QPushButton* button : {b()->cmdUpdate, b()->cmdDelete, b()->cmdSave})
            QVERIFY(!button->isEnabled());
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
            QCOMPARE(d->windowTitle(), "Serving Size Settings - Apples, raw");
            QCOMPARE(size->count(), 4);
            QCOMPARE(size->currentText(), "100 g");
            QCOMPARE(d->findChild<QComboBox*>("cmbServings")->currentText(), "1");
            // Refused, with the dialog left open: servings that are no number of
            // servings, then a size of the user's own.
            for (const char* text : {"two", "inf", "nan", "-1", "1e999"}) {
                setServings(d, text);
                ok(d);
                QVERIFY(d->isVisible());
                QCOMPARE(last(), exclamation("Number of Servings must be numeric."));
            }
            setServings(d, "2");
            size->setEditText("1 bowl");
            ok(d);
            QCOMPARE(last(), exclamation("You must select an existing Serving Size."));
            size->setCurrentIndex(1); // 1 oz, 28.35 g: 28 grams
            ok(d);
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(rows(b()->gdFoods).value(0), "Apples, raw|1 oz|2");
        QCOMPARE(totals().section('|', 1, 1), "24.60"); // 19 + 10 x 28 / 100 x 2

        // A food without measures keeps its serving size and changes its servings only.
        update(1, [&](QDialog* d) {
            auto* size = d->findChild<QComboBox*>("cmbServSize");
            QCOMPARE(size->count(), 0);
            QCOMPARE(size->currentText(), "1 slice");
            QVERIFY(size->lineEdit()->isReadOnly());
            setServings(d, "0.5");
            ok(d);
        });
        QCOMPARE(rows(b()->gdFoods).value(1), "apple pie (home)|1 slice|0.5");
        QCOMPARE(totals().section('|', 0, 1), "233.50|15.10");

        // Cancel, and the empty row, change nothing.
        update(0, [&](QDialog* d) {
            setServings(d, "7");
            d->findChild<QPushButton*>("CancelButton")->click();
        });
        b()->gdFoods->setCurrentCell(2, 0);
        b()->cmdUpdate->click();
        QCOMPARE(rows(b()->gdFoods),
                 (QStringList{"Apples, raw|1 oz|2", "apple pie (home)|1 slice|0.5", "||"}));
        QCOMPARE(prompts().count(), 6);
    }

    void savedChecksFirstThenStoresIntoAGroupNeverOpened()
    {
        load();
        send({"F9003", "F1001"});
        run(Command::ToolsFoodBuilder);
        QCOMPARE(node("G12")->childCount(), 0);
        QStringList messages;
        auto save = [&] {
            b()->cmdSave->click();
            messages << last().text;
        };
        save();
        b()->txtFoodName->setText("  ");
        b()->txtServingSize->setText("1 plate");
        save();
        b()->txtFoodName->setText("Apple butter toast");
        b()->txtServingSize->setText(" ");
        save();
        b()->txtServingSize->setText(" 1 plate ");
        save();
        QCOMPARE(messages, (QStringList{"You must enter a Food Name.", "You must enter a Food Name.",
                                        "You must enter a Serving Size.",
                                        "You must select one of the available Food Groups."}));
        QCOMPARE(count("FoodItem"), 7);

        fillSave("Apple butter toast", " 1 plate ", "Vegetables");
        prompts().clear();
        b()->cmdSave->click();
        QCOMPARE(prompts().shown(), (QList<Prompt>{{PromptIcon::Information, PromptButtons::Ok, "Food Item Saved",
                                                   "Your new Food Item has been saved."}}));
        // One user food of the whole composition, in the group, which lists its earlier foods too.
        QCOMPARE(food(Fixture::kLastFoodId + 1, "FoodName, ServingSize, GroupId, USDA_NDB_NO, USDA_MSRE_NO, "
                                                "USDA_GM_WT, Fat, Calorie, Other2"),
                 (QVariantList{"Apple butter toast", "1 plate", 12, 0, 0, 0.0, 21.52, 151.8, 10.01}));
        QCOMPARE(under("G12"), (QStringList{newFood(), "F11090"}));
        QCOMPARE(selected(), newFood());
        QCOMPARE(status(), "Serving Size:  1 plate");
        // The builder is hidden and empty; the group stays chosen.
        QVERIFY(!b()->isVisible());
        QCOMPARE(rows(b()->gdFoods), QStringList{"||"});
        QVERIFY(b()->txtFoodName->text().isEmpty() && b()->txtServingSize->text().isEmpty());
        QCOMPARE(b()->cmbGroups->currentText(), "Vegetables");
        QVERIFY(!b()->builder().unsavedItems());

        // Logged to the diet, the new food brings the whole composition.
        dclick(newFood());
        QCOMPARE(f->test.scalar("SELECT Fat FROM DietActivity WHERE FoodName = 'Apple butter toast'").toDouble(),
                 21.52);
    }

    void aGroupGoneSinceItWasChosenTakesNothing()
    {
        load();
        send({"F9003"});
        run(Command::ToolsFoodBuilder);
        fillSave("Stew", "1 bowl", "Vegetables");
        prompts().queueYes();
        w().foodTree().deleteFoodGroup("G12");
        QVERIFY(!node("G12"));
        b()->cmdSave->click();
        QCOMPARE(last(), exclamation("You must select one of the available Food Groups."));
        QCOMPARE(count("FoodItem WHERE FoodName = 'Stew'"), 0);
        QCOMPARE(b()->cmbGroups->findText("Vegetables"), -1);
        QCOMPARE(b()->cmbGroups->currentIndex(), -1);
        QVERIFY(b()->builder().unsavedItems());
    }

    void closingAsksAboutUnsavedEntries_data()
    {
        QTest::addColumn<bool>("builderOnly"); // the builder's window is closed, not the program
        QTest::addColumn<bool>("entry");       // an entry is left in the builder
        QTest::addColumn<bool>("fillSave");    // name, size and group are filled in
        QTest::addColumn<int>("answer");       // -1: no question
        QTest::addColumn<bool>("running");     // the program is still running afterwards
        QTest::addColumn<int>("saved");        // "Food Item Saved" boxes
        QTest::addColumn<int>("left");         // entries left in the builder of a running program
        const int yes = int(PromptAnswer::Yes), no = int(PromptAnswer::No);
        QTest::newRow("yes, a check fails: the program stays") << false << true << false << yes << true << 0 << 1;
        QTest::newRow("yes, saved: the program ends") << false << true << true << yes << false << 1 << 0;
        QTest::newRow("no: the program ends") << false << true << true << no << false << 0 << 0;
        QTest::newRow("the only entry deleted: no question") << false << false << true << -1 << false << 0 << 0;
        QTest::newRow("the builder closed, yes, a check fails: it stays") << true << true << false << yes << true << 0
                                                                          << 1;
        QTest::newRow("the builder closed, no: its entries go") << true << true << true << no << true << 0 << 0;
    }
    void closingAsksAboutUnsavedEntries()
    {
        QFETCH(bool, builderOnly);
        QFETCH(bool, entry);
        QFETCH(bool, fillSave);
        QFETCH(int, answer);
        QFETCH(bool, running);
        QFETCH(int, saved);
        QFETCH(int, left);
        load();
        send({"F9003"});
        run(Command::ToolsFoodBuilder);
        if (!entry)
            b()->deleteSelectedEntry();
        if (fillSave)
            this->fillSave("Stew", "1 bowl", "My Foods");
        if (answer >= 0)
            prompts().queue(PromptAnswer(answer));
        builderOnly ? b()->close() : w().close();
        QCOMPARE(programRuns(), running);
        QCOMPARE(int(std::count_if(prompts().shown().begin(), prompts().shown().end(),
                                   [](const Prompt& p) { return p.title == "Food Item Saved"; })),
                 saved);
        QCOMPARE(prompts().shown().value(0), answer < 0 ? Prompt{} : kUnsavedQuestion);
        if (running) {
            QCOMPARE(b()->builder().count(), left);
            QCOMPARE(b()->builder().unsavedItems(), left > 0);
            // A failed check is shown with the builder in front.
            QCOMPARE(b()->isVisible(), left > 0);
            if (left > 0)
                QCOMPARE(last(), exclamation("You must enter a Food Name."));
        }
        QCOMPARE(prompts().unanswered(), 0);
    }
};

QTEST_MAIN(FoodBuilderWindowTest)
#include "tst_foodbuilderwindow.moc"
