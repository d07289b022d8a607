#include "../food/foodtestsupport.h"

#include "builder/foodbuilderwindow.h"
#include "ui/mainwindow.h"

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
    bool entryCommands()
    {
        return b()->cmdUpdate->isEnabled() && b()->cmdDelete->isEnabled() && b()->cmdSave->isEnabled();
    }
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
        load("F9003");
        QVERIFY(b() && !b()->isVisible());
        QCOMPARE(b()->windowTitle(), "Food Builder");
        QCOMPARE(rows(b()->gdFoods), (QStringList{"Food Item|Serving Size|Servings", "||"}));
        QCOMPARE(rows(b()->gdTotals).value(0), "Calories|Fat|Cholesterol|Sodium|Carbs|Protein|Fiber|Sugars");
        QVERIFY(!b()->cmdUpdate->isEnabled() && !b()->cmdDelete->isEnabled() && !b()->cmdSave->isEnabled());
        QCOMPARE(b()->cmbGroups->currentIndex(), -1);
        QCOMPARE(b()->cmbGroups->count(), 5); // every group but the two that hold only groups

        send({"F9003", "F9003", "F1001"});
        QVERIFY(!b()->isVisible() && entryCommands());
        QCOMPARE(rows(b()->gdFoods).mid(1), (QStringList{"Apples, raw|100 g|1", "Apples, raw|100 g|1",
                                                         "Butter, salted|1 tbsp|1", "||"}));
        QCOMPARE(totals(), "201.80|31.52|30.50|103.40|40.01|2.12|4.00|20.01");
        QCOMPARE(b()->gdFoods->currentRow(), 0);
        // Tools > Food Builder and the toolbar button show it, and leave it shown.
        run(Command::ToolsFoodBuilder);
        QVERIFY(QTest::qWaitForWindowExposed(b()));
        w().commands().action(Command::ToolsFoodBuilder, Surface::Toolbar)->trigger();
        QVERIFY(b()->isVisible());
        // Half of the entry grid, a third, the rest less 200 twips; an eighth of the totals grid each.
        b()->resize(800, 500);
        QTRY_COMPARE(b()->width(), 800);
        const int width = b()->gdFoods->viewport()->width();
        QCOMPARE((QList<int>{b()->gdFoods->columnWidth(0), b()->gdFoods->columnWidth(1), b()->gdFoods->columnWidth(2),
                             b()->gdTotals->columnWidth(7)}),
                 (QList<int>{width / 2, width / 3, width - width / 2 - width / 3 - qRound(200 * w().logicalDpiX() / 1440.0),
                             b()->gdTotals->viewport()->width() / 8}));
        // Deleting: later entries move up; the empty row deletes nothing; the last entry gone, the commands go off.
        for (int row : {1, 2, 1, 0}) {
            b()->gdFoods->setCurrentCell(row, 0);
            b()->cmdDelete->click();
            if (row == 2)
                QCOMPARE(rows(b()->gdFoods).mid(1), (QStringList{"Apples, raw|100 g|1", "Butter, salted|1 tbsp|1", "||"}));
        }
        QCOMPARE(rows(b()->gdFoods).mid(1), QStringList{"||"});
        QCOMPARE(totals(), "0.00|0.00|0.00|0.00|0.00|0.00|0.00|0.00");
        QVERIFY(!b()->cmdUpdate->isEnabled() && !b()->cmdDelete->isEnabled() && !b()->cmdSave->isEnabled());
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
                ok(d, text);
                QVERIFY(d->isVisible());
                QCOMPARE(last(), exclamation("Number of Servings must be numeric."));
            }
            size->setEditText("1 bowl");
            ok(d, "2");
            QCOMPARE(last(), exclamation("You must select an existing Serving Size."));
            size->setCurrentIndex(1); // 1 oz, 28.35 g: 28 grams
            ok(d, "2");
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(rows(b()->gdFoods).value(1), "Apples, raw|1 oz|2");
        QCOMPARE(totals().section('|', 1, 1), "24.60"); // 19 + 10 x 28 / 100 x 2
        // A food without measures keeps its serving size and changes its servings only.
        update(1, [&](QDialog* d) {
            auto* size = d->findChild<QComboBox*>("cmbServSize");
            QVERIFY(size->count() == 0 && size->lineEdit()->isReadOnly());
            QCOMPARE(size->currentText(), "1 slice");
            ok(d, "0.5");
        });
        QCOMPARE(rows(b()->gdFoods).value(2), "apple pie (home)|1 slice|0.5");
        QCOMPARE(totals().section('|', 0, 1), "233.50|15.10");
        // Cancel, and Update on the empty row, change nothing.
        update(0, [&](QDialog* d) {
            d->findChild<QComboBox*>("cmbServings")->setEditText("7");
            d->findChild<QPushButton*>("CancelButton")->click();
        });
        b()->gdFoods->setCurrentCell(2, 0);
        b()->cmdUpdate->click();
        QCOMPARE(rows(b()->gdFoods).mid(1), (QStringList{"Apples, raw|1 oz|2", "apple pie (home)|1 slice|0.5", "||"}));
        QCOMPARE(prompts().count(), 6);
    }

    void saveChecksFirstThenStoresIntoAGroupNeverOpened()
    {
        load();
        send({"F9003", "F1001"});
        run(Command::ToolsFoodBuilder);
        QCOMPARE(node("G12")->childCount(), 0);
        QStringList messages;
        for (const QStringList& fields : QList<QStringList>{{"", ""}, {"  ", "1 plate"}, {"Toast", " "}, {"Toast", "1"}}) {
            fillSave(fields[0], fields[1], QString());
            b()->cmdSave->click();
            messages << last().text;
        }
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
        // The builder is hidden and empty; the group stays chosen.
        QVERIFY(!b()->isVisible() && !b()->builder().unsavedItems());
        QCOMPARE(rows(b()->gdFoods).mid(1), QStringList{"||"});
        QVERIFY(b()->txtFoodName->text().isEmpty() && b()->txtServingSize->text().isEmpty());
        QCOMPARE(b()->cmbGroups->currentText(), "Vegetables");
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
        QTest::newRow("the builder closed, yes, a check fails: it stays")
            << true << true << false << yes << true << 0 << 1;
        QTest::newRow("the builder closed, no: its entries go") << true << true << true << no << true << 0 << 0;
    }
    void closingAsksAboutUnsavedEntries()
    {
        QFETCH(bool, builderOnly);
        QFETCH(int, answer);
        QFETCH(bool, running);
        QFETCH(int, left);
        load();
        send({"F9003"});
        run(Command::ToolsFoodBuilder);
        QFETCH(bool, entry);
        QFETCH(bool, fillSave);
        if (!entry)
            b()->deleteSelectedEntry();
        if (fillSave)
            this->fillSave("Stew", "1 bowl", "My Foods");
        if (answer >= 0)
            prompts().queue(PromptAnswer(answer));
        builderOnly ? b()->close() : w().close();
        QCOMPARE(f->ctx().dataSource().isConnected(), running);
        QTEST(int(std::count_if(prompts().shown().begin(), prompts().shown().end(),
                                [](const Prompt& p) { return p.title == "Food Item Saved"; })),
              "saved");
        QCOMPARE(prompts().shown().value(0), answer < 0 ? Prompt{} : kUnsavedQuestion);
        QCOMPARE(prompts().unanswered(), 0);
        if (!running)
            return;
        // A failed check is shown with the builder in front.
        QCOMPARE(b()->builder().count(), left);
        QCOMPARE(b()->builder().unsavedItems(), left > 0);
        QCOMPARE(b()->isVisible(), left > 0);
        if (left > 0)
            QCOMPARE(last(), exclamation("You must enter a Food Name."));
    }
};

QTEST_MAIN(FoodBuilderWindowTest)
#include "tst_foodbuilderwindow.moc"
