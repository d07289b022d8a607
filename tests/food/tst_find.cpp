#include "foodtestsupport.h"

#include "food/findcontroller.h"
#include "food/finddialog.h"
#include "ui/mainwindow.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace FoodTest;

// Find and Find Next through the Edit menu and the find window: matching,
// continuing, wrapping, switching the target, opening what holds a match,
// and texts that must be matched literally.
class FindTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindowFixture> f;

    void load()
    {
        f->load();
        showWindow(*f);
    }

    // Edit > Find with this text and target, closed by Find Next.
    void find(const QString& text, bool foods = true)
    {
        const auto guard = onDialog([text, foods](QDialog* dialog) {
            QCOMPARE(dialog->objectName(), QString("frmFind"));
            auto* edit = dialog->findChild<QLineEdit*>("txtFindName");
            if (edit->text() != text)
                edit->setText(text);
            dialog->findChild<QRadioButton*>(foods ? "optFood" : "optDiet")->setChecked(true);
            dialog->findChild<QPushButton*>("FindButton")->click();
        });
        trigger(*f, Command::FindEntry);
    }
    void findNext() { trigger(*f, Command::FindNext); }

    QString selectedDietKey() { return NodeTree::key(f->main().tvwDiet->selectedNode()); }
    int noMatchBoxes()
    {
        return int(f->prompts().texts().count("No Matching Food entry found"));
    }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void theFindWindow()
    {
        load();
        FindDialog* dialog = f->main().finder().dialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Find Food"));
        QCOMPARE(dialog->findChild<QGroupBox*>("Frame1")->title(), QString("Search"));
        QCOMPARE(dialog->findChild<QRadioButton*>("optFood")->text(), QString("Search Foods Data"));
        QVERIFY(dialog->findChild<QRadioButton*>("optFood")->isChecked());
        QCOMPARE(dialog->findChild<QRadioButton*>("optDiet")->text(), QString("Search Diet Data"));
        QCOMPARE(dialog->findChild<QPushButton*>("FindButton")->text(), QString("Find &Next"));
        QCOMPARE(dialog->findChild<QPushButton*>("CancelButton")->text(), QString("Cancel"));
        // The same window serves every search and keeps its text.
        find("butter");
        QCOMPARE(f->main().finder().dialog(), dialog);
        QCOMPARE(dialog->findText(), QString("butter"));
    }

    void matchingIgnoresCase()
    {
        load();
        find("APPLE");
        QCOMPARE(selectedKey(*f), QString("F60001")); // the favourites come first in recordset order
        QCOMPARE(f->ctx().dataSource().rsFoods.integer("FoodId"), int(Fixture::FavApples));
        QCOMPARE(f->main().statusPanel1->text(), QString("Serving Size:  100 g"));
        // The tree that holds the match takes the focus when the main window is active again.
        QCOMPARE(f->main().focusWidget(), foodView(*f));
        QCOMPARE(noMatchBoxes(), 0);
    }

    void findNextOpensGroupsAndWraps()
    {
        load();
        find("apple");
        QCOMPARE(selectedKey(*f), QString("F60001"));
        findNext();
        // A match in a group never opened: the group is loaded and shows it.
        QCOMPARE(selectedKey(*f), QString("F9003"));
        QCOMPARE(childKeys(node(*f, "G11")), (QStringList{"F9003", "F9040"}));
        QVERIFY(node(*f, "G11")->isExpanded());
        findNext();
        QCOMPARE(selectedKey(*f), QString("F50001"));
        findNext();
        QCOMPARE(selectedKey(*f), QString("F60001"));
        QCOMPARE(noMatchBoxes(), 0);
    }

    void findNextOnTheOnlyMatchSelectsItAgain()
    {
        load();
        find("butter");
        QCOMPARE(selectedKey(*f), QString("F1001"));
        findNext();
        QCOMPARE(selectedKey(*f), QString("F1001"));
        QCOMPARE(f->ctx().dataSource().rsFoods.integer("FoodId"), int(Fixture::Butter));
        QCOMPARE(noMatchBoxes(), 0);
    }

    void findNextBeforeAnyFindTakesTheNextFood()
    {
        load();
        // Nothing typed yet: every name matches, so the food after the current one comes up.
        findNext();
        QCOMPARE(selectedKey(*f), QString("F1001"));
        findNext();
        QCOMPARE(selectedKey(*f), QString("F1077"));
    }

    void findContinuesOnlyWithAnUnchangedText()
    {
        load();
        find("apple");
        find("apple");
        QCOMPARE(selectedKey(*f), QString("F9003"));
        // Another text starts at the top again (continuing would give Bananas).
        find("raw");
        QCOMPARE(selectedKey(*f), QString("F60001"));
    }

    void switchingTheTargetStartsAtTheTop()
    {
        f->test.addDietRow("USER1", QDate(2003, 5, 12), "", "Apple juice");
        const qint32 pie = f->test.addDietRow("USER1", QDate(2003, 5, 14), "MEAL0", "apple pie");
        f->test.addDietRow("USER1", QDate(2003, 5, 13), "", "Toast");
        load();
        find("apple");
        findNext();
        QCOMPARE(selectedKey(*f), QString("F9003"));
        find("apple", false);
        QCOMPARE(selectedDietKey(), QString("D1"));
        findNext();
        // In a day never opened: the day is loaded and the entry shown under its meal.
        QCOMPARE(selectedDietKey(), QString("D%1").arg(pie));
        QVERIFY(f->main().tvwDiet->node("DT20030514")->childCount() > 0);
        QCOMPARE(NodeTree::key(f->main().tvwDiet->selectedNode()->parent()), QString("MLMEAL0DT20030514"));
        QCOMPARE(f->main().focusWidget(), f->main().tvwDiet);
        QCOMPARE(f->ctx().dataSource().rsDietData.integer("DietId"), pie);
        // Back to the foods with the same text: from the top, not after Apples.
        find("apple", true);
        QCOMPARE(selectedKey(*f), QString("F60001"));
        QCOMPARE(noMatchBoxes(), 0);
    }

    void noMatchLeavesTheSelection()
    {
        load();
        clickFood(*f, Fixture::FruitGroup, Fixture::Bananas);
        find("zucchini");
        QCOMPARE(f->prompts().last().text, QString("No Matching Food entry found"));
        QCOMPARE(f->prompts().last().icon, PromptIcon::None);
        QCOMPARE(f->prompts().last().buttons, PromptButtons::Ok);
        QCOMPARE(selectedKey(*f), QString("F9040"));
        QCOMPARE(f->ctx().dataSource().rsFoods.integer("FoodId"), int(Fixture::Bananas));
        findNext();
        QCOMPARE(noMatchBoxes(), 2);
        QCOMPARE(selectedKey(*f), QString("F9040"));
    }

    void anEmptyDietLogHasNoMatch()
    {
        load();
        find("", false);
        QCOMPARE(f->prompts().last().text, QString("No Matching Food entry found"));
        QCOMPARE(f->main().tvwDiet->selectedNode(), nullptr);
    }

    void cancelOrClosingSearchesNothing()
    {
        load();
        find("apple");
        QCOMPARE(selectedKey(*f), QString("F60001"));
        {
            const auto guard = onDialog([](QDialog* dialog) {
                dialog->findChild<QLineEdit*>("txtFindName")->setText("butter");
                dialog->findChild<QPushButton*>("CancelButton")->click();
            });
            trigger(*f, Command::FindEntry);
        }
        QCOMPARE(selectedKey(*f), QString("F60001"));
        // Closing by the frame after an earlier search is a cancel too.
        {
            const auto guard = onDialog([](QDialog* dialog) { dialog->close(); });
            trigger(*f, Command::FindEntry);
        }
        {
            const auto guard = onDialog([](QDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
            trigger(*f, Command::FindEntry);
        }
        QCOMPARE(selectedKey(*f), QString("F60001"));
        QCOMPARE(f->prompts().count(), 0);
    }

    void textsAreMatchedLiterally_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("apostrophe") << "O'Brien potatoes" << "'b";
        QTest::newRow("asterisk") << "Trail mix *special*" << "*";
        QTest::newRow("question mark") << "What? bar" << "?";
        QTest::newRow("hash") << "#1 chili" << "#";
        QTest::newRow("bracket") << "[Draft] soup" << "[d";
        QTest::newRow("percent") << "100% juice" << "0%";
        QTest::newRow("underscore") << "snack_pack" << "_";
    }
    void textsAreMatchedLiterally()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        f->test.exec("INSERT INTO FoodItem (FoodId, FoodName, GroupId, ServingSize) VALUES (?, ?, ?, '1 each')",
                     {70000, name, int(Fixture::MyFoodsGroup)});
        f->test.addDietRow("USER1", QDate(2003, 5, 12), "", "Toast");
        const qint32 entry = f->test.addDietRow("USER1", QDate(2003, 5, 13), "", name);
        load();
        find(text);
        QCOMPARE(selectedKey(*f), QString("F70000"));
        findNext(); // the only match
        QCOMPARE(selectedKey(*f), QString("F70000"));
        find(text, false);
        QCOMPARE(selectedDietKey(), QString("D%1").arg(entry));
        findNext();
        QCOMPARE(selectedDietKey(), QString("D%1").arg(entry));
        QCOMPARE(noMatchBoxes(), 0);
    }
};

QTEST_MAIN(FindTest)
#include "tst_find.moc"
