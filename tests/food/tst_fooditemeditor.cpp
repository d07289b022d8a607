#include "foodtestsupport.h"

#include "food/findcontroller.h"
#include "food/fooditemeditor.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The open food item editor, found by its controls' names.
struct Editor
{
    QDialog* dialog;
    QLineEdit* box(const char* name) const
    {
        return qstrcmp(name, "cmbServSize") == 0 ? serving()->lineEdit()
                                                 : dialog->findChild<QLineEdit*>(name);
    }
    QComboBox* serving() const { return dialog->findChild<QComboBox*>("cmbServSize"); }
    QComboBox* groups() const { return dialog->findChild<QComboBox*>("cmbGroups"); }
    // The eight nutrient boxes in nutrient order: their texts, or 1 and 0 for enabled and disabled.
    QString nutrients(bool enabled = false) const
    {
        QStringList list;
        for (const char* name : {"txtFat", "txtProtein", "txtCarbs", "txtCalories", "txtSodium",
                                 "txtCholesterol", "txtOther1", "txtOther2"})
            list << (enabled ? QString::number(box(name)->isEnabled()) : box(name)->text());
        return list.join(' ');
    }
    void type(const char* name, const QString& text) const
    {
        box(name)->selectAll();
        QTest::keyClicks(box(name), text);
    }
    void save() const { dialog->findChild<QPushButton*>("cmdSave")->click(); }
    void cancel() const { dialog->findChild<QPushButton*>("cmdCancel")->click(); }
};

} // namespace

// The food item editor: Food Item Details and New Food Item through the main
// window's commands, with the dialog filled in as a user would.
class FoodItemEditorTest : public QObject, FoodWindow
{
    Q_OBJECT

    void edit(const std::function<void()>& open, const std::function<void(Editor&)>& action)
    {
        withDialog(open, [&](QDialog* dialog) {
            QCOMPARE(dialog->objectName(), "frmFoodData");
            Editor editor{dialog};
            action(editor);
        });
    }
    void edit(Command command, const std::function<void(Editor&)>& action)
    {
        edit([&] { run(command); }, action);
    }
    void expectNothingPending()
    {
        QCOMPARE(foods().editMode(), Recordset::EditMode::None);
        QVERIFY(!w().state().foodDataChanged && !w().state().newFoodPending);
    }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void detailsShowTheFoodAndRescaleAndStoreByWeight()
    {
        load("F9003");
        edit(Command::FoodDetails, [](Editor& e) {
            QCOMPARE(e.dialog->windowTitle(), "Food Item Details");
            QCOMPARE(e.nutrients(), "10.000 1.000 20.000 50.000 1.000 0.000 2.000 10.000");
            QCOMPARE(e.serving()->currentText() + " of " + QString::number(e.serving()->count()),
                     "100 g of 4");
            // An original USDA item: its six standard nutrients and its group stay as they are.
            QCOMPARE(e.nutrients(true), "0 0 0 0 0 0 1 1");
            QCOMPARE(e.groups()->currentText(), "Fruits and Fruit Juices");
            QVERIFY(!e.groups()->isEnabled());
            choose(e.serving(), 1); // 1 oz, 28.35 g
            QCOMPARE(e.nutrients(), "2.835 0.284 5.670 14.175 0.284 0.000 0.567 2.835");
            choose(e.serving(), 3); // 1 cup, 240 g
            QCOMPARE(e.nutrients(), "24.000 2.400 48.000 120.000 2.400 0.000 4.800 24.000");
            e.cancel();
        });
        QCOMPARE(food(Fixture::Apples, "Fat, USDA_GM_WT, ServingSize"), (QVariantList{10.0, 100.0, "100 g"}));
        // Saved, a measure stores its weight and the values as computed.
        edit(Command::FoodDetails, [](Editor& e) {
            choose(e.serving(), 1);
            e.save();
        });
        QCOMPARE(food(Fixture::Apples, "ServingSize, USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT"),
                 (QVariantList{"1 oz", 9003, 1, 28.35}));
        QCOMPARE(food(Fixture::Apples, "Protein").value(0).toDouble(), 0.2835); // not the shown 0.284
        QCOMPARE(status(), "Serving Size:  1 oz");
        expectNothingPending();
        // A copy without a gram weight never rescales.
        f->test.exec("UPDATE FoodItem SET USDA_GM_WT = 0 WHERE FoodId = 60001");
        click("F60001");
        edit(Command::FoodDetails, [](Editor& e) {
            choose(e.serving(), 3);
            QCOMPARE(e.box("txtFat")->text(), "10.000");
        });
    }

    void editedValuesAskBeforeTheyAreOverwritten()
    {
        load("F60001"); // a copy: every box is editable
        // No, then Yes, which rescales the values that No stored.
        for (const bool yes : {false, true}) {
            prompts().queue(yes ? PromptAnswer::Yes : PromptAnswer::No);
            edit(Command::FoodDetails, [&](Editor& e) {
                e.type("txtFat", "12");
                choose(e.serving(), 3);
                QCOMPARE(e.box("txtFat")->text(), yes ? "28.800" : "12");
                QCOMPARE(e.serving()->currentIndex(), yes ? 3 : 2);
                if (yes) { // answered once, the values are the program's again
                    choose(e.serving(), 1);
                    QCOMPARE(e.box("txtFat")->text(), "3.402");
                }
                e.save();
            });
            QCOMPARE(last().text,
                     "Changing the Serving Size will overwrite the USDA Nutrient values that you have "
                     "changed.  Do you wish to continue?");
            QCOMPARE(last().buttons, PromptButtons::YesNo);
            const QVariantList stored = food(Fixture::FavApples, "Fat, USDA_GM_WT");
            QCOMPARE(stored[0].toDouble(), yes ? 3.402 : 12.0);
            QCOMPARE(stored[1].toDouble(), yes ? 28.35 : 100.0);
        }
        QCOMPARE(prompts().count(), 2);
    }

    void servingSizesByKindOfItem()
    {
        load("F9040"); // an original item takes only the listed sizes...
        edit(Command::FoodDetails, [&](Editor& e) {
            e.type("cmbServSize", "1 bowl");
            e.save();
            QVERIFY(e.dialog->isVisible());
            QCOMPARE(last(),
                     (Prompt{PromptIcon::Exclamation, PromptButtons::Ok, "Corvane's Foodlark",
                             "You can not enter a new Serving Size for an original USDA Food Item.  If "
                             "you wish to have a different Serving Size for this Food Item, make a "
                             "copy of it and edit the copy."}));
        });
        QCOMPARE(food(Fixture::Bananas, "ServingSize, USDA_NDB_NO"), (QVariantList{"1 medium", 9040}));
        // ...unless it has no measures of its own: saved as it is, it keeps its link.
        click("F11090");
        edit(Command::FoodDetails, [](Editor& e) {
            e.type("txtFoodName", "Broccoli");
            e.save();
        });
        QCOMPARE(food(Fixture::Broccoli, "FoodName, ServingSize, USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT"),
                 (QVariantList{"Broccoli", "1 cup chopped", 11090, 1, 91.0}));
        // A copy's typed size breaks the link: a user item then, with no list and every box open.
        click("F60001");
        edit(Command::FoodDetails, [](Editor& e) {
            e.type("cmbServSize", "1 bowl");
            e.save();
        });
        QCOMPARE(food(Fixture::FavApples, "ServingSize, USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT, Fat"),
                 (QVariantList{"1 bowl", 0, 0, 0.0, 10.0}));
        edit(Command::FoodDetails, [](Editor& e) {
            QCOMPARE(e.serving()->currentText() + " of " + QString::number(e.serving()->count()),
                     "1 bowl of 0");
            QCOMPARE(e.nutrients(true), "1 1 1 1 1 1 1 1");
        });
        QCOMPARE(prompts().count(), 1);
    }

    void checksComeInOrderAndNumbersAreTakenAsTyped()
    {
        load("G11");
        // A cancelled new item leaves no row, and its id is not used again.
        edit(Command::NewFoodItem, [](Editor& e) {
            QCOMPARE(QStringList({e.box("txtFoodName")->text(), e.box("txtFat")->text(),
                                  e.groups()->currentText(), e.serving()->currentText()}),
                     (QStringList{"New Food Item", "0.000", "Fruits and Fruit Juices", ""}));
            e.cancel();
        });
        QCOMPARE(count("FoodItem"), 7);
        expectNothingPending();
        click("G1"); // a root: no group is chosen for the new item
        edit([&] { w().foodEditor().newFoodItem(); },
             [&](Editor& e) {
                 QStringList messages;
                 auto attempt = [&] {
                     const int before = prompts().count();
                     e.save();
                     if (prompts().count() > before)
                         messages << last().text;
                 };
                 e.type("txtFat", "abc");
                 attempt();
                 QCOMPARE(e.box("txtFat")->text(), "abc"); // kept for the user to mend
                 e.type("txtFat", "9999999.999");          // the largest that shows in full
                 e.box("txtSodium")->clear();
                 attempt();
                 for (const char* text : {"inf", "nan", "1e308", "10000000", " -1 "}) {
                     e.box("txtSodium")->setText(text);
                     attempt();
                 }
                 e.type("cmbServSize", "1 bowl");
                 attempt();
                 e.groups()->setCurrentIndex(e.groups()->findText("My Foods"));
                 attempt();
                 QVERIFY(!e.dialog->isVisible());
                 const QString numeric = "All Nutritional Data Values must be numeric.";
                 QCOMPARE(messages,
                          (QStringList{numeric, numeric, numeric, numeric, numeric, numeric,
                                       "You must enter a Serving Size.",
                                       "You must select one of the available Food Groups.  If you want to "
                                       "associate this Food Item with another Food Group, you must first Add "
                                       "the new Food Group on the Corvane's Foodlark Main Window."}));
             });
        QCOMPARE(food(Fixture::kLastFoodId + 2, "FoodName, GroupId, ServingSize, Fat, Sodium, USDA_NDB_NO"),
                 (QVariantList{"New Food Item", int(Fixture::MyFoodsGroup), "1 bowl", 9999999.999, -1.0, 0}));
        // The group was loaded first, so it lists its earlier food and the new one once each.
        QCOMPARE(under("G20"), (QStringList{"F50001", newFood(2)}));
        QCOMPARE(selected(), newFood(2));
        QCOMPARE(status(), "Serving Size:  1 bowl");
        QVERIFY(on(Command::Copy)); // the commands follow the new food
    }

    // While the editor is open its new row is its own: a focus the window
    // manager hands back late, a queued click or a rename commit neither
    // settles it (which once ended the run at Save) nor opens a second editor
    // over it; those that open something wait until the editor has closed.
    void anOpenEditorKeepsItsRecord_data()
    {
        QTest::addColumn<QString>("intruder");
        QTest::addColumn<QString>("afterwards"); // what runs once the editor has closed
        for (const char* intruder : {"tvwFood", "tvwDiet", "paste", "find next"})
            QTest::newRow(intruder) << QString(intruder) << QString();
        QTest::newRow("new food item") << "new" << QString("frmFoodData");
        QTest::newRow("food item details") << "details" << QString("frmFoodData");
        QTest::newRow("rename commit") << "rename" << QString("renamed");
    }
    void anOpenEditorKeepsItsRecord()
    {
        QFETCH(QString, intruder);
        QFETCH(QString, afterwards);
        load("F9040");
        run(Command::Copy);
        edit(Command::NewFoodItem, [&](Editor& e) {
            if (intruder.startsWith("tvw")) {
                QFocusEvent focus(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
                QApplication::sendEvent(w().findChild<QWidget*>(intruder), &focus);
            } else if (intruder == "paste") {
                w().foodTree().pasteFood();
            } else if (intruder == "find next") {
                w().finder().findFood(true);
            } else if (intruder == "new") {
                w().foodEditor().newFoodItem();
            } else if (intruder == "details") {
                w().foodEditor().showFoodDetails();
            } else {
                w().foodTree().renameNode("F9040", "Plantains");
            }
            e.type("cmbServSize", "1 bowl");
            e.save();
            QVERIFY(!e.dialog->isVisible());
        });
        QCOMPARE(prompts().count(), 0);
        QCOMPARE(count("FoodItem"), 8);
        QCOMPARE(food(Fixture::kLastFoodId + 1, "FoodName, ServingSize"),
                 (QVariantList{"New Food Item", "1 bowl"}));
        QString ran;
        if (afterwards == "frmFoodData") {
            withDialog([] { QCoreApplication::processEvents(); }, [&](QDialog* d) { ran = d->objectName(); });
        } else {
            QCoreApplication::processEvents();
            if (food(Fixture::Bananas, "FoodName") == QVariantList{"Plantains"})
                ran = "renamed";
        }
        QCOMPARE(ran, afterwards);
        QCOMPARE(count("FoodItem"), 8);
        expectNothingPending();
    }

    void aFailedStoreKeepsTheEntries_data()
    {
        QTest::addColumn<bool>("newItem");
        QTest::newRow("details, then cancelled") << false;
        QTest::newRow("new item, then saved again") << true;
    }
    void aFailedStoreKeepsTheEntries()
    {
        QFETCH(bool, newItem);
        load("F9040");
        f->test.exec(
            QString("CREATE TRIGGER refuse BEFORE %1 ON FoodItem BEGIN SELECT RAISE(ABORT, 'disk full'); END")
                .arg(newItem ? "INSERT" : "UPDATE"));
        edit(newItem ? Command::NewFoodItem : Command::FoodDetails, [&](Editor& e) {
            e.type("txtFoodName", "Plantains");
            if (newItem)
                e.type("cmbServSize", "1 each");
            e.save();
            QVERIFY(e.dialog->isVisible());
            QCOMPARE(e.box("txtFoodName")->text(), "Plantains");
            QCOMPARE(last(), applicationError("Unable to update Food Data.  "));
            if (newItem)
                f->test.exec("DROP TRIGGER refuse");
            newItem ? e.save() : e.cancel();
            QVERIFY(!e.dialog->isVisible());
        });
        QCOMPARE(prompts().count(), 1);
        QCOMPARE(food(Fixture::Bananas, "FoodName"), QVariantList{"Bananas, raw"});
        QCOMPARE(captions("G11"), newItem ? (QStringList{"Apples, raw", "Bananas, raw", "Plantains"})
                                          : (QStringList{"Apples, raw", "Bananas, raw"}));
        expectNothingPending();
    }
};

QTEST_MAIN(FoodItemEditorTest)
#include "tst_fooditemeditor.moc"
