#include "../diet/dietfixture.h"
#include "diet/dietdetailswindow.h"

#include <QAction>
#include <QLabel>

// The shared edit commands reach the diet tree from the Edit menu, the context
// menu, the toolbar and the keys, by the tree that last had the focus.
class DietRoutingTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DietFixture> f;

    QAction* action(const QString& name) { return f->main().findChild<QAction*>(name); }
    // Answers the next question No and returns it ("" when none was asked).
    QString questionOf(const std::function<void()>& command)
    {
        f->prompts().clear();
        f->prompts().queueNo();
        command();
        return f->prompts().count() == 1 ? f->prompts().last().text : QString();
    }
    void focusTheDiet()
    {
        f->main().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f->main()));
        f->tree()->setFocus();
        QCOMPARE(f->state().activeTree, QString("DIET"));
    }

private slots:
    void init()
    {
        f = std::make_unique<DietFixture>();
        f->test.addDietRow("USER1", QDate(2003, 5, 14), "MEAL1", "Egg", 1);
        f->test.addDietRow("USER1", QDate(2003, 5, 14), "MEAL1", "Toast", 2);
        f->loadShown();
        f->diet().loadDietDay(QDate(2003, 5, 14));
    }
    void cleanup() { f.reset(); }

    void focusSetsTheCommandsOfTheDiet()
    {
        CommandSet& commands = f->main().commands();
        f->main().setStatusPanel1("Serving Size:  1 cup", "Serving Size of Selected Food Item");
        commands.setEnabled(Command::NewFoodItem, true);
        focusTheDiet();
        QVERIFY(!commands.isEnabled(Command::NewFoodItem, Surface::Toolbar));
        QVERIFY(!commands.isEnabled(Command::Paste, Surface::Menu)); // nothing copied yet
        QCOMPARE(f->main().statusPanel1->text(), QString());
        f->select("D1");
        QVERIFY(f->diet().copyDietEntry(0, 1));
        commands.setEnabled(Command::Paste, false);
        f->main().tvwFood->setFocus();
        f->tree()->setFocus();
        QVERIFY(commands.isEnabled(Command::Paste, Surface::Toolbar));
    }

    void everySurfaceOfACommandDoesTheSame_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("command"); // Delete or Cut
        QTest::addColumn<QString>("question");
        // Each kind of node once (the questions' wording is tested with the diet tree).
        const QString ask = "Are you sure you want to ";
        QTest::newRow("delete an entry") << "D1" << "Delete" << ask + "Delete the selected Diet Entry?";
        QTest::newRow("cut a meal") << "MLMEAL1DT20030514" << "Cut" << ask + "CUT all Diet Data for Lunch - 05/14/2003?";
        QTest::newRow("delete a day") << "DT20030514" << "Delete" << ask + "Delete all Diet Data for 05/14/2003?";
    }
    void everySurfaceOfACommandDoesTheSame()
    {
        QFETCH(QString, key);
        QFETCH(QString, command);
        QFETCH(QString, question);
        focusTheDiet();
        f->select(key);
        // Cut and the entry details follow the kind of the selected node.
        QCOMPARE(action("tbCut")->isEnabled(), !key.startsWith("DT"));
        QCOMPARE(action("mnuPop_RTB_DietEntry")->isEnabled(), key == "D1");
        for (const QString& name : {"mnuEdit" + command, "mnuPop_RTB_" + command, "tb" + command}) {
            QVERIFY2(action(name)->isEnabled(), qPrintable(name));
            QCOMPARE(questionOf([this, name] { action(name)->trigger(); }), question);
        }
        const QKeyCombination keys = command == "Cut" ? Qt::ControlModifier | Qt::Key_X : QKeyCombination(Qt::Key_Delete);
        QCOMPARE(questionOf([&] { QTest::keyClick(f->tree(), keys.key(), keys.keyboardModifiers()); }), question);
        QCOMPARE(f->dietCount(), 2); // every question answered No
    }

    // F8 and the entry details commands edit the selected entry. (Copy and
    // Paste go by the same routes as Cut and Delete.)
    void theEntryCommandsEditTheSelectedEntry()
    {
        focusTheDiet();
        f->select("D2");
        QStringList edited;
        for (const QString& name : QStringList{"F8", "mnuEditDietEntry", "mnuPop_RTB_DietEntry"}) {
            whenServings([&](ServingsDialog* d) { edited << d->windowTitle(); }, false);
            name == "F8" ? QTest::keyClick(f->tree(), Qt::Key_F8) : action(name)->trigger();
        }
        QCOMPARE(edited, QStringList(3, "Diet Information - Toast"));
        // Without a selected node nothing happens.
        f->tree()->selectNode(QModelIndex());
        action("mnuEditDietEntry")->trigger();
        f->diet().showDietTotals();
        QCOMPARE(ModalGuard::rejected(), QStringList());
        QCOMPARE(f->main().findChildren<DietDetailsWindow*>().size(), 0);
    }
};

QTEST_MAIN(DietRoutingTest)
#include "tst_dietrouting.moc"
