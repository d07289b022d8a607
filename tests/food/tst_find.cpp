#include "foodtestsupport.h"

#include "diet/diettreemodel.h"
#include "diet/dietview.h"
#include "food/findcontroller.h"
#include "food/finddialog.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QRadioButton>

// Find and Find Next through the Edit menu and the find window: matching,
// continuing, wrapping, switching the target, and opening what holds a
// match (the patterns are the catalogue's, tested there).
class FindTest : public QObject, FoodWindow
{
    Q_OBJECT

    // Edit > Find with this text and target, closed by Find Next.
    void find(const QString& text, bool foods = true)
    {
        withDialog([&] { run(Command::FindEntry); },
                   [&](QDialog* dialog) {
                       QCOMPARE(dialog->objectName(), "frmFind");
                       auto* edit = dialog->findChild<QLineEdit*>("txtFindName");
                       if (edit->text() != text)
                           edit->setText(text);
                       dialog->findChild<QRadioButton*>(foods ? "optFood" : "optDiet")->setChecked(true);
                       dialog->findChild<QAbstractButton*>("FindButton")->click();
                   });
    }
    QString dietSelected() { return DietTreeModel::key(w().tvwDiet->selectedNode()); }
    int noMatchBoxes() { return int(prompts().texts().count("No Matching Food entry found")); }

private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void findIgnoresCaseOpensGroupsAndWraps()
    {
        load();
        find("APPLE");
        FindDialog* dialog = w().finder().dialog();
        QCOMPARE(selected(), "F60001"); // the favourites come first in recordset order
        QCOMPARE(foods().integer("FoodId"), int(Fixture::FavApples));
        QCOMPARE(w().focusWidget(), tree());
        find("APPLE"); // the same text continues from the match
        // A match in a group never opened: the group is loaded and shows it.
        QCOMPARE(selected(), "F9003");
        QCOMPARE(under("G11"), (QStringList{"F9003", "F9040"}));
        QVERIFY(node("G11")->isExpanded());
        run(Command::FindNext);
        QCOMPARE(selected(), "F50001");
        run(Command::FindNext); // round to the first again
        QCOMPARE(selected(), "F60001");
        find("raw"); // another text starts at the top again, in the window kept with its text
        QCOMPARE(selected(), "F60001");
        QCOMPARE(w().finder().dialog(), dialog);
        QCOMPARE(dialog->findText(), "raw");
        QCOMPARE(noMatchBoxes(), 0);
    }

    void switchingTheTargetStartsAtTheTop()
    {
        // The log's order is by day, then name: not the order the rows were made in.
        const qint32 pie = f->test.addDietRow("USER1", QDate(2003, 5, 14), "MEAL0", "apple pie");
        f->test.addDietRow("USER1", QDate(2003, 5, 13), "", "Toast");
        const qint32 juice = f->test.addDietRow("USER1", QDate(2003, 5, 12), "", "Apple juice");
        load();
        find("apple");
        run(Command::FindNext);
        QCOMPARE(selected(), "F9003");
        find("apple", false);
        QCOMPARE(dietSelected(), QString("D%1").arg(juice));
        run(Command::FindNext);
        // In a day never opened: the day is loaded and the entry shown under its meal.
        QCOMPARE(dietSelected(), QString("D%1").arg(pie));
        QCOMPARE(DietTreeModel::key(w().tvwDiet->selectedNode().parent()), "MLMEAL0DT20030514");
        QCOMPARE(w().focusWidget(), w().tvwDiet);
        QCOMPARE(f->ctx().dataSource().rsDietData.integer("DietId"), pie);
        find("apple", true); // back to the foods: from the top, not after Apples
        QCOMPARE(selected(), "F60001");
        QCOMPARE(noMatchBoxes(), 0);
    }

    void noMatchOrACancelLeavesTheSelection()
    {
        load("F9040");
        find("zucchini");
        QCOMPARE(last(), (Prompt{PromptIcon::None, PromptButtons::Ok, "Corvane's Foodlark",
                                 "No Matching Food entry found"}));
        run(Command::FindNext);
        QCOMPARE(noMatchBoxes(), 2);
        QCOMPARE(foods().integer("FoodId"), int(Fixture::Bananas));
        // The window's frame, Esc and Cancel, each after an earlier search, search nothing.
        const QList<std::function<void(QDialog*)>> dismissals = {
            [](QDialog* d) { d->close(); }, [](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); },
            [](QDialog* d) { d->findChild<QAbstractButton*>("CancelButton")->click(); }};
        for (const auto& dismiss : dismissals) {
            withDialog([&] { run(Command::FindEntry); },
                       [&](QDialog* dialog) {
                           dialog->findChild<QLineEdit*>("txtFindName")->setText("apple");
                           dismiss(dialog);
                       });
        }
        QCOMPARE(selected(), "F9040");
        QCOMPARE(prompts().count(), 2);
        find("", false); // an empty diet log
        QCOMPARE(noMatchBoxes(), 3);
        QVERIFY(!w().tvwDiet->selectedNode().isValid());
    }
};

QTEST_MAIN(FindTest)
#include "tst_find.moc"
