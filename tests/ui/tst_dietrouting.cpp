#include "../diet/dietfixture.h"
#include "diet/dietdetailswindow.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace {

const QDate kMay14(2003, 5, 14);

} // namespace

// The shared edit commands reach the diet tree from the Edit menu, the context
// menu, the toolbar and the keys, by the tree that last had the focus.
class DietRoutingTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DietFixture> f;

    QAction* action(const char* name) { return f->main().findChild<QAction*>(QLatin1String(name)); }
    void select(const QString& key)
    {
        QTreeWidgetItem* node = f->node(key);
        QVERIFY(node);
        f->tree()->selectNode(node);
        f->diet().dietNodeClick(node);
    }
    // Answers the next question No and returns it ("" when none was asked).
    QString questionOf(const std::function<void()>& command)
    {
        f->prompts().clear();
        f->prompts().queueNo();
        command();
        return f->prompts().count() == 1 ? f->prompts().last().text : QString();
    }

private slots:
    void init()
    {
        f = std::make_unique<DietFixture>();
        f->test.addDietRow("USER1", kMay14, "MEAL1", "Egg", 1);
        f->test.addDietRow("USER1", kMay14, "MEAL1", "Toast", 2);
        f->loadShown();
        f->diet().loadDietDay(kMay14);
    }
    void cleanup() { f.reset(); }

    void beforeEitherTreeHadTheFocus()
    {
        // Showing the window gives the food tree the focus; before that no tree had it.
        f->state().activeTree.clear();
        select("D1");
        // Delete does nothing.
        QCOMPARE(questionOf([this] { f->main().editDelete(); }), QString());
        // Copy, Cut and Paste go to the diet tree.
        f->main().editCopy();
        QVERIFY(f->diet().dietClipboardFull());
        QCOMPARE(questionOf([this] { f->main().editCut(); }),
                 QString("Are you sure you want to Cut the selected Diet Entry?"));
        f->main().editPaste();
        QCOMPARE(f->dietCount(), 3);
    }

    void everySurfaceOfACommandDoesTheSame_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("actions"); // the same command on the menu, context menu and toolbar
        QTest::addColumn<QString>("question");
        const QString entryDelete = "Are you sure you want to Delete the selected Diet Entry?";
        const QString entryCut = "Are you sure you want to Cut the selected Diet Entry?";
        const QString mealDelete = "Are you sure you want to DELETE all Diet Data for Lunch - 05/14/2003?";
        const QString mealCut = "Are you sure you want to CUT all Diet Data for Lunch - 05/14/2003?";
        const QString dayDelete = "Are you sure you want to Delete all Diet Data for 05/14/2003?";
        const QStringList deletes{"mnuEditDelete", "mnuPop_RTB_Delete", "tbDelete"};
        const QStringList cuts{"mnuEditCut", "mnuPop_RTB_Cut", "tbCut"};
        QTest::newRow("delete an entry") << "D1" << deletes << entryDelete;
        QTest::newRow("delete a meal") << "MLMEAL1DT20030514" << deletes << mealDelete;
        QTest::newRow("delete a day") << "DT20030514" << deletes << dayDelete;
        QTest::newRow("cut an entry") << "D2" << cuts << entryCut;
        QTest::newRow("cut a meal") << "MLMEAL1DT20030514" << cuts << mealCut;
    }
    void everySurfaceOfACommandDoesTheSame()
    {
        QFETCH(QString, key);
        QFETCH(QStringList, actions);
        QFETCH(QString, question);
        f->tree()->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&f->main()));
        QCOMPARE(f->state().activeTree, QString("DIET"));
        select(key);
        for (const QString& name : actions) {
            QAction* command = action(qPrintable(name));
            QVERIFY2(command && command->isEnabled(), qPrintable(name));
            QCOMPARE(questionOf([command] { command->trigger(); }), question);
        }
        QCOMPARE(f->dietCount(), 2); // every question answered No
    }

    void keysOfTheDietTree()
    {
        f->tree()->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&f->main()));
        select("D1");
        QCOMPARE(questionOf([this] { QTest::keyClick(f->tree(), Qt::Key_Delete); }),
                 QString("Are you sure you want to Delete the selected Diet Entry?"));
        QTest::keyClick(f->tree(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(f->diet().dietClipboard().entries().size(), 1);
        select("MLMEAL1DT20030514");
        QTest::keyClick(f->tree(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f->dietCount(), 3);
        QCOMPARE(NodeTree::key(f->tree()->selectedNode()), QString("D3")); // the pasted entry
        select("MLMEAL1DT20030514");
        QCOMPARE(questionOf([this] { QTest::keyClick(f->tree(), Qt::Key_X, Qt::ControlModifier); }),
                 QString("Are you sure you want to CUT all Diet Data for Lunch - 05/14/2003?"));
        // F7 shows the totals, F8 edits the selected entry.
        QTest::keyClick(f->tree(), Qt::Key_F7);
        QTRY_COMPARE(f->main().findChildren<DietDetailsWindow*>().size(), 1);
        QCOMPARE(f->main().findChildren<DietDetailsWindow*>().first()->lblDetailText->text(), QString("Lunch"));
        f->main().findChildren<DietDetailsWindow*>().first()->close();
        f->main().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f->main()));
        f->tree()->setFocus();
        select("D2");
        bool edited = false;
        whenServings([&](ServingsDialog*) { edited = true; }, false);
        QTest::keyClick(f->tree(), Qt::Key_F8);
        QVERIFY(edited);
    }

    void entryDetailsFromTheMenus()
    {
        select("D1");
        bool edited = false;
        whenServings([&](ServingsDialog* d) { edited = d->windowTitle().endsWith(" - Egg"); }, false);
        action("mnuPop_RTB_DietEntry")->trigger();
        QVERIFY(edited);
        // Without a selected node nothing happens.
        f->tree()->selectNode(nullptr);
        action("mnuEditDietEntry")->setEnabled(true);
        action("mnuEditDietEntry")->trigger();
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    void copyAndPasteFromTheToolbar()
    {
        f->tree()->setFocus();
        select("MLMEAL1DT20030514");
        QVERIFY(!action("tbPaste")->isEnabled());
        action("tbCopy")->trigger();
        QVERIFY(action("tbPaste")->isEnabled());
        QVERIFY(action("mnuPop_RTB_Paste")->isEnabled());
        select("DT20030514");
        QVERIFY(!action("tbCopy")->isEnabled()); // a day copies nothing
        action("mnuPop_RTB_Paste")->trigger();
        QCOMPARE(f->dietCount(), 4);
        QCOMPARE(f->node("MLMEAL1DT20030514")->childCount(), 4);
    }

    void theFoodTreesCommandsDoNotReachTheDiet()
    {
        select("D1");
        f->state().activeTree = "FOODS";
        f->main().editCopy();
        QVERIFY(!f->diet().dietClipboardFull());
        QCOMPARE(questionOf([this] { f->main().editDelete(); }), QString());
        QCOMPARE(f->dietCount(), 2);
    }
};

QTEST_MAIN(DietRoutingTest)
#include "tst_dietrouting.moc"
