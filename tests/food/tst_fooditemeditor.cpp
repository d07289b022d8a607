#include "foodtestsupport.h"

#include "food/fooditemeditor.h"
#include "ui/mainwindow.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace FoodTest;

namespace {

// The open food item editor, found by its controls' names.
struct Editor
{
    QDialog* dialog;
    QLineEdit* box(const char* name) const { return dialog->findChild<QLineEdit*>(name); }
    QComboBox* serving() const { return dialog->findChild<QComboBox*>("cmbServSize"); }
    QComboBox* groups() const { return dialog->findChild<QComboBox*>("cmbGroups"); }
    void type(const char* name, const QString& text) const
    {
        QLineEdit* edit = box(name);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    void typeServing(const QString& text) const
    {
        serving()->lineEdit()->selectAll();
        QTest::keyClicks(serving()->lineEdit(), text);
    }
    void save() const { dialog->findChild<QPushButton*>("cmdSave")->click(); }
    void cancel() const { dialog->findChild<QPushButton*>("cmdCancel")->click(); }
};

// Runs action on the food item editor once it is open (see onDialog).
[[nodiscard]] std::shared_ptr<bool> withEditor(std::function<void(Editor&)> action)
{
    return onDialog([action](QDialog* dialog) {
        QCOMPARE(dialog->objectName(), QString("frmFoodData"));
        Editor editor{dialog};
        action(editor);
    });
}

const char* const kBoxNames[] = {"txtFat", "txtProtein", "txtCarbs", "txtCalories",
                                 "txtSodium", "txtCholesterol", "txtOther1", "txtOther2"};

} // namespace

// The food item editor: Food Item Details and New Food Item through the main
// window's commands, with the dialog filled in as a user would.
class FoodItemEditorTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> f;

    void load()
    {
        f->load();
        showWindow(*f);
    }
    QVariantList stored(qint32 foodId, const QString& columns)
    {
        return f->test.rows("SELECT " + columns + " FROM FoodItem WHERE FoodId = ?", {foodId}).value(0);
    }
    void expectNothingPending()
    {
        QCOMPARE(f->ctx().dataSource().rsFoods.editMode(), Recordset::EditMode::None);
        QVERIFY(!f->main().state().foodDataChanged);
        QVERIFY(!f->main().state().newFoodPending);
    }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void detailsShowTheFoodAndRescaleByWeight()
    {
        load();
        clickFood(*f, Fixture::FruitGroup, Fixture::Apples);
        QStringList shown, ounce, cup;
        QString title, servingText, group, other1, other2;
        int measures = 0, nameLength = 0;
        QList<bool> boxesEnabled;
        bool groupsEnabled = true;
        const auto editor = withEditor([&](Editor& e) {
            title = e.dialog->windowTitle();
            for (const char* name : kBoxNames) {
                shown << e.box(name)->text();
                boxesEnabled << e.box(name)->isEnabled();
            }
            servingText = e.serving()->currentText();
            measures = e.serving()->count();
            group = e.groups()->currentText();
            groupsEnabled = e.groups()->isEnabled();
            other1 = e.dialog->findChild<QLabel*>("lblOther1")->text();
            other2 = e.dialog->findChild<QLabel*>("lblOther2")->text();
            nameLength = e.box("txtFoodName")->maxLength();
            choose(e.serving(), 1); // 1 oz, 28.35 g
            for (const char* name : kBoxNames)
                ounce << e.box(name)->text();
            choose(e.serving(), 3); // 1 cup, 240 g
            for (const char* name : kBoxNames)
                cup << e.box(name)->text();
            e.cancel();
        });
        trigger(*f, Command::FoodDetails);
        QCOMPARE(title, QString("Food Item Details"));
        QCOMPARE(shown, (QStringList{"10.000", "1.000", "20.000", "50.000", "1.000", "0.000", "2.000", "10.000"}));
        QCOMPARE(servingText, QString("100 g"));
        QCOMPARE(measures, 4);
        QCOMPARE(ounce, (QStringList{"2.835", "0.284", "5.670", "14.175", "0.284", "0.000", "0.567", "2.835"}));
        QCOMPARE(cup, (QStringList{"24.000", "2.400", "48.000", "120.000", "2.400", "0.000", "4.800", "24.000"}));
        // An original USDA item: its six standard nutrients and its group stay as they are.
        QCOMPARE(boxesEnabled, (QList<bool>{false, false, false, false, false, false, true, true}));
        QCOMPARE(group, QString("Fruits and Fruit Juices"));
        QVERIFY(!groupsEnabled);
        QCOMPARE(other1, QString("Fiber"));
        QCOMPARE(other2, QString("Sugars"));
        QCOMPARE(nameLength, 200);
        // Cancel stores nothing.
        QCOMPARE(stored(Fixture::Apples, "Fat, USDA_GM_WT, ServingSize"), (QVariantList{10.0, 100.0, "100 g"}));
        expectNothingPending();
    }

    void savingAMeasureStoresItsWeight()
    {
        load();
        clickFood(*f, Fixture::FruitGroup, Fixture::Apples);
        const auto editor = withEditor([](Editor& e) {
            choose(e.serving(), 1);
            e.save();
        });
        trigger(*f, Command::FoodDetails);
        const QVariantList row = stored(Fixture::Apples, "ServingSize, USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT, Fat, "
                                                         "Calorie, Other2");
        QCOMPARE(row.mid(0, 4), (QVariantList{"1 oz", 9003, 1, 28.35}));
        // Values the user did not touch are stored exactly, not as their shown text.
        QCOMPARE(row[4].toDouble(), 10 * 28.35 / 100);
        QCOMPARE(row[5].toDouble(), 50 * 28.35 / 100);
        QCOMPARE(row[6].toDouble(), 10 * 28.35 / 100);
        QCOMPARE(f->main().statusPanel1->text(), QString("Serving Size:  1 oz"));
        QCOMPARE(selectedKey(*f), QString("F9003"));
        expectNothingPending();
    }

    void editedValuesAskBeforeTheyAreOverwritten_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void editedValuesAskBeforeTheyAreOverwritten()
    {
        QFETCH(bool, yes);
        load();
        clickFood(*f, Fixture::FavoritesRoot, Fixture::FavApples); // a copy: every box is editable
        f->prompts().queue(yes ? PromptAnswer::Yes : PromptAnswer::No);
        QString fat, serving;
        int servingIndex = -1;
        const auto editor = withEditor([&](Editor& e) {
            e.type("txtFat", "12");
            choose(e.serving(), 3);
            fat = e.box("txtFat")->text();
            serving = e.serving()->currentText();
            servingIndex = e.serving()->currentIndex();
            e.save();
        });
        trigger(*f, Command::FoodDetails);
        QCOMPARE(f->prompts().count(), 1);
        QCOMPARE(f->prompts().last().text, QString("Changing the Serving Size will overwrite the USDA Nutrient values "
                                                  "that you have changed.  Do you wish to continue?"));
        QCOMPARE(f->prompts().last().buttons, PromptButtons::YesNo);
        QCOMPARE(fat, yes ? QString("24.000") : QString("12"));
        QCOMPARE(serving, yes ? QString("1 cup") : QString("100 g"));
        QCOMPARE(servingIndex, yes ? 3 : 2);
        QCOMPARE(stored(Fixture::FavApples, "Fat, USDA_GM_WT"), yes ? (QVariantList{24.0, 240.0})
                                                                   : (QVariantList{12.0, 100.0}));
    }

    void rescalingAfterAnAnswerAsksNoMore()
    {
        load();
        clickFood(*f, Fixture::FavoritesRoot, Fixture::FavApples);
        f->prompts().queueYes();
        QString fat;
        const auto editor = withEditor([&](Editor& e) {
            e.type("txtProtein", "5");
            choose(e.serving(), 1);
            choose(e.serving(), 3);
            fat = e.box("txtFat")->text();
        });
        trigger(*f, Command::FoodDetails);
        QCOMPARE(f->prompts().count(), 1);
        QCOMPARE(fat, QString("24.000"));
    }

    void aCopyWithoutGramWeightNeverRescales()
    {
        f->test.exec("UPDATE FoodItem SET USDA_GM_WT = 0 WHERE FoodId = ?", {int(Fixture::FavApples)});
        load();
        clickFood(*f, Fixture::FavoritesRoot, Fixture::FavApples);
        int measures = 0;
        QString fat;
        const auto editor = withEditor([&](Editor& e) {
            measures = e.serving()->count();
            choose(e.serving(), 3);
            fat = e.box("txtFat")->text();
        });
        trigger(*f, Command::FoodDetails);
        QCOMPARE(measures, 4);
        QCOMPARE(fat, QString("10.000"));
    }

    void anOriginalItemTakesOnlyListedSizes()
    {
        load();
        clickFood(*f, Fixture::FruitGroup, Fixture::Bananas);
        bool openAfterTypedSize = false;
        const auto editor = withEditor([&](Editor& e) {
            e.typeServing("1 bowl");
            e.save();
            openAfterTypedSize = e.dialog->isVisible();
            choose(e.serving(), 1); // 1 medium, after 100 g by weight
            e.save();
        });
        trigger(*f, Command::FoodDetails);
        QVERIFY(openAfterTypedSize);
        QCOMPARE(f->prompts().count(), 1);
        QCOMPARE(f->prompts().last().icon, PromptIcon::Exclamation);
        QCOMPARE(f->prompts().last().text,
                 QString("You can not enter a new Serving Size for an original USDA Food Item.  If you wish to have a "
                         "different Serving Size for this Food Item, make a copy of it and edit the copy."));
        QCOMPARE(stored(Fixture::Bananas, "ServingSize, USDA_NDB_NO, USDA_GM_WT"),
                 (QVariantList{"1 medium", 9040, 118.0}));
    }

    void aTypedSizeBreaksTheLinkOfACopy()
    {
        load();
        clickFood(*f, Fixture::FavoritesRoot, Fixture::FavApples);
        const auto editor = withEditor([](Editor& e) {
            e.typeServing("1 bowl");
            e.save();
        });
        trigger(*f, Command::FoodDetails);
        QCOMPARE(stored(Fixture::FavApples, "ServingSize, USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT, Fat"),
                 (QVariantList{"1 bowl", 0, 0, 0.0, 10.0}));
        // Now a user item: no list, and every box can be edited.
        int measures = -1;
        QString text;
        bool fatEnabled = false;
        const auto editor2 = withEditor([&](Editor& e) {
            measures = e.serving()->count();
            text = e.serving()->currentText();
            fatEnabled = e.box("txtFat")->isEnabled();
        });
        trigger(*f, Command::FoodDetails);
        QCOMPARE(measures, 0);
        QCOMPARE(text, QString("1 bowl"));
        QVERIFY(fatEnabled);
    }

    void savingUnchangedValuesChangesNothing()
    {
        f->test.exec("UPDATE FoodItem SET Fat = 0.00012 WHERE FoodId = ?", {int(Fixture::Butter)});
        load();
        const QString columns = "FoodName, ServingSize, USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT, Fat, Protein, "
                                "Carbohydrate, Calorie, Sodium, Cholesterol, Other1, Other2";
        for (qint32 id : {qint32(Fixture::Butter), qint32(Fixture::Broccoli), qint32(Fixture::ApplePie)}) {
            const QVariantList before = stored(id, columns);
            const qint32 group = f->test.scalar("SELECT GroupId FROM FoodItem WHERE FoodId = ?", {id}).toInt();
            clickFood(*f, group, id);
            const auto editor = withEditor([](Editor& e) { e.save(); });
            trigger(*f, Command::FoodDetails);
            QCOMPARE(stored(id, columns), before);
        }
        QCOMPARE(f->prompts().count(), 0);
    }

    void checksComeInOrder()
    {
        load();
        clickNode(foodView(*f), node(*f, "G1")); // a root: no group is chosen for the new item
        QVERIFY(!enabled(*f, Command::NewFoodItem)); // nor offered from the menus
        QStringList messages;
        bool savedAtLast = false;
        const auto editor = withEditor([&](Editor& e) {
            auto attempt = [&] {
                const int before = f->prompts().count();
                e.save();
                if (f->prompts().count() > before)
                    messages << f->prompts().last().text;
            };
            e.type("txtFat", "abc");
            e.box("txtSodium")->clear();
            attempt();
            e.type("txtFat", "1e3");
            attempt();
            e.box("txtSodium")->setText("inf");
            attempt();
            e.box("txtSodium")->setText(" -1 ");
            attempt();
            e.typeServing("1 bowl");
            attempt();
            e.groups()->setCurrentIndex(e.groups()->findText("My Foods"));
            attempt();
            savedAtLast = !e.dialog->isVisible();
        });
        f->main().foodEditor().newFoodItem();
        const QString numeric = "All Nutritional Data Values must be numeric.";
        QCOMPARE(messages, (QStringList{numeric, numeric, numeric, "You must enter a Serving Size.",
                                        "You must select one of the available Food Groups.  If you want to "
                                        "associate this Food Item with another Food Group, you must first Add the "
                                        "new Food Group on the Corvane's Foodlark Main Window."}));
        QVERIFY(savedAtLast);
        const qint32 id = Fixture::kLastFoodId + 1;
        QCOMPARE(stored(id, "FoodName, GroupId, ServingSize, Fat, Sodium, USDA_NDB_NO, USDA_GM_WT"),
                 (QVariantList{"New Food Item", int(Fixture::MyFoodsGroup), "1 bowl", 1000.0, -1.0, 0, 0.0}));
        // The group was loaded first, so it lists its earlier food and the new one once each.
        QCOMPARE(childKeys(node(*f, "G20")), (QStringList{"F50001", QString("F%1").arg(id)}));
        QCOMPARE(selectedKey(*f), QString("F%1").arg(id));
    }

    void numbersAreTakenAsTyped_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<double>("value");
        QTest::newRow("exponent") << "1e3" << true << 1000.0;
        QTest::newRow("negative, blanks around") << " -1 " << true << -1.0;
        QTest::newRow("text") << "lots" << false << 0.0;
        QTest::newRow("infinite") << "inf" << false << 0.0;
    }
    void numbersAreTakenAsTyped()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(double, value);
        load();
        clickFood(*f, Fixture::MyFoodsGroup, Fixture::ApplePie);
        bool closed = false;
        QString kept;
        const auto editor = withEditor([&](Editor& e) {
            e.type("txtCholesterol", text);
            e.save();
            closed = !e.dialog->isVisible();
            kept = e.box("txtCholesterol")->text();
        });
        trigger(*f, Command::FoodDetails);
        QCOMPARE(closed, accepted);
        QCOMPARE(f->test.scalar("SELECT Cholesterol FROM FoodItem WHERE FoodId = ?", {int(Fixture::ApplePie)})
                     .toDouble(),
                 accepted ? value : 0.0);
        if (!accepted) {
            QCOMPARE(f->prompts().last().text, QString("All Nutritional Data Values must be numeric."));
            QCOMPARE(kept, text); // the entry stays for the user to mend
        }
        expectNothingPending();
    }

    void aCancelledNewItemLeavesNoRowAndItsIdIsNotReused()
    {
        load();
        clickNode(foodView(*f), node(*f, "G11"));
        const int rows = f->test.scalar("SELECT count(*) FROM FoodItem").toInt();
        QString name, fat, group, serving;
        int measures = -1;
        const auto editor = withEditor([&](Editor& e) {
            name = e.box("txtFoodName")->text();
            fat = e.box("txtFat")->text();
            group = e.groups()->currentText();
            serving = e.serving()->currentText();
            measures = e.serving()->count();
            e.cancel();
        });
        trigger(*f, Command::NewFoodItem);
        QCOMPARE(name, QString("New Food Item"));
        QCOMPARE(fat, QString("0.000"));
        QCOMPARE(group, QString("Fruits and Fruit Juices"));
        QCOMPARE(serving, QString());
        QCOMPARE(measures, 0);
        QCOMPARE(f->test.scalar("SELECT count(*) FROM FoodItem").toInt(), rows);
        QCOMPARE(foodKeyValue(*f), Fixture::kLastFoodId + 1);
        QCOMPARE(childKeys(node(*f, "G11")), (QStringList{"F9003", "F9040"}));
        expectNothingPending();

        const auto editor2 = withEditor([](Editor& e) {
            e.type("txtFoodName", "Cherries, raw");
            e.typeServing("1 cup");
            e.save();
        });
        trigger(*f, Command::NewFoodItem);
        const QString key = QString("F%1").arg(Fixture::kLastFoodId + 2);
        QCOMPARE(stored(Fixture::kLastFoodId + 2, "FoodName, GroupId"),
                 (QVariantList{"Cherries, raw", int(Fixture::FruitGroup)}));
        QCOMPARE(f->test.scalar("SELECT count(*) FROM FoodItem WHERE FoodId = ?", {Fixture::kLastFoodId + 1}).toInt(),
                 0);
        QCOMPARE(childKeys(node(*f, "G11")), (QStringList{"F9003", "F9040", key}));
        QCOMPARE(selectedKey(*f), key);
        QCOMPARE(f->main().statusPanel1->text(), QString("Serving Size:  1 cup"));
        QVERIFY(enabled(*f, Command::Copy)); // the commands follow the new food
    }

    void aNewItemFromAFoodGoesToItsGroupAndABlankNameIsAccepted()
    {
        load();
        clickFood(*f, Fixture::VegetableGroup, Fixture::Broccoli);
        QString group;
        const auto editor = withEditor([&](Editor& e) {
            group = e.groups()->currentText();
            e.box("txtFoodName")->clear();
            e.typeServing("1 leaf");
            e.save();
        });
        trigger(*f, Command::NewFoodItem);
        QCOMPARE(group, QString("Vegetables"));
        const qint32 id = Fixture::kLastFoodId + 1;
        QCOMPARE(stored(id, "FoodName, GroupId"), (QVariantList{"", int(Fixture::VegetableGroup)}));
        QCOMPARE(childCaptions(node(*f, "G12")), (QStringList{"", "Broccoli, raw"}));
    }

    void aFailedStoreKeepsTheEntriesAndTheTree()
    {
        load();
        clickFood(*f, Fixture::FruitGroup, Fixture::Bananas);
        f->test.exec("CREATE TRIGGER refuse BEFORE UPDATE ON FoodItem BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        bool stillOpen = false;
        QString kept;
        const auto editor = withEditor([&](Editor& e) {
            e.type("txtFoodName", "Plantains");
            e.type("txtOther1", "4");
            e.save();
            stillOpen = e.dialog->isVisible();
            kept = e.box("txtFoodName")->text() + "/" + e.box("txtOther1")->text();
            e.cancel();
        });
        trigger(*f, Command::FoodDetails);
        QVERIFY(stillOpen);
        QCOMPARE(kept, QString("Plantains/4"));
        QCOMPARE(f->prompts().count(), 1);
        QCOMPARE(f->prompts().last().icon, PromptIcon::Critical);
        QCOMPARE(f->prompts().last().title, QString("Application Error"));
        QVERIFY(f->prompts().last().text.startsWith("Unable to update Food Data.  If this behavior continues"));
        QCOMPARE(stored(Fixture::Bananas, "FoodName, Other1"), (QVariantList{"Bananas, raw", 3.07}));
        QCOMPARE(node(*f, "F9040")->text(0), QString("Bananas, raw"));
        QCOMPARE(f->ctx().dataSource().rsFoods.integer("FoodId"), int(Fixture::Bananas));
        expectNothingPending();
    }

    void aNewItemCanBeSavedAgainAfterAFailedStore()
    {
        load();
        clickNode(foodView(*f), node(*f, "G12"));
        f->test.exec("CREATE TRIGGER refuse BEFORE INSERT ON FoodItem BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        bool openAfterFailure = false, closedAfterRetry = false;
        const auto editor = withEditor([&](Editor& e) {
            e.type("txtFoodName", "Kale");
            e.typeServing("1 bunch");
            e.save();
            openAfterFailure = e.dialog->isVisible();
            f->test.exec("DROP TRIGGER refuse");
            e.save();
            closedAfterRetry = !e.dialog->isVisible();
        });
        trigger(*f, Command::NewFoodItem);
        QVERIFY(openAfterFailure);
        QVERIFY(closedAfterRetry);
        QCOMPARE(stored(Fixture::kLastFoodId + 1, "FoodName, ServingSize, GroupId"),
                 (QVariantList{"Kale", "1 bunch", int(Fixture::VegetableGroup)}));
        QCOMPARE(childCaptions(node(*f, "G12")), (QStringList{"Broccoli, raw", "Kale"}));
        expectNothingPending();
    }

    void enteringABoxSelectsItsText()
    {
        load();
        clickFood(*f, Fixture::FruitGroup, Fixture::Apples);
        QString selected;
        const auto editor = withEditor([&](Editor& e) {
            e.box("txtOther2")->setFocus();
            QTRY_VERIFY(e.box("txtOther2")->hasSelectedText());
            selected = e.box("txtOther2")->selectedText();
        });
        trigger(*f, Command::FoodDetails);
        QCOMPARE(selected, QString("10.000"));
    }
};

QTEST_MAIN(FoodItemEditorTest)
#include "tst_fooditemeditor.moc"
