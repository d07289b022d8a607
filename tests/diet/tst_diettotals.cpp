#include "diet/dietdetailswindow.h"
#include "dietfixture.h"

#include <QLabel>
#include <QLineEdit>

namespace {

const QDate kMay14(2003, 5, 14);

} // namespace

// "View Diet Totals": the values of an entry, and the sums of a meal and of a
// day, in the pop-up window beside the diet tree.
class DietTotalsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DietFixture> f;
    qint32 egg = 0, toast = 0, bare = 0;

    DietDetailsWindow* shownTotals(const QString& key)
    {
        QTreeWidgetItem* node = f->node(key);
        if (!node)
            return nullptr;
        f->tree()->setFocus(); // the totals are offered while the diet tree has the focus
        f->tree()->selectNode(node);
        f->diet().dietNodeClick(node);
        f->main().findChild<QAction*>("mnuEditDietDetails")->trigger();
        const QList<DietDetailsWindow*> windows = f->main().findChildren<DietDetailsWindow*>();
        return windows.isEmpty() ? nullptr : windows.last();
    }
    static QStringList values(DietDetailsWindow* w)
    {
        return {w->txtFat->text(),     w->txtProtein->text(), w->txtCarb->text(),   w->txtCalorie->text(),
                w->txtSodium->text(),  w->txtCholesterol->text(), w->txtOther1->text(), w->txtOther2->text()};
    }

private slots:
    void init()
    {
        f = std::make_unique<DietFixture>();
        TestContext& t = f->test;
        // addDietRow gives Fat = x, Protein = 2x ... Other2 = 8x.
        egg = t.addDietRow("USER1", kMay14, "MEAL1", "Egg", 1.25);
        toast = t.addDietRow("USER1", kMay14, "MEAL1", "Toast", 11);
        bare = t.addDietRow("USER1", kMay14, "", "Apple", 0.5);
        t.addDietRow("USER1", kMay14, "MEAL2", "Soup", 100);
        t.addDietRow("USER1", QDate(2003, 5, 15), "MEAL1", "Other day", 1000);
        t.addDietRow("USER2", kMay14, "MEAL1", "Other user", 10000);
        f->loadShown();
        f->diet().loadDietDay(kMay14);
    }
    void cleanup() { f.reset(); }

    void showsTheValuesOfTheSelectedNode_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("entry") << "D1" << "Egg" << QStringList{"1.2", "2.5", "3.8", "5", "6.2", "7.5", "8.8", "10"};
        // Egg and Toast: 12.25 shows 12.2, 24.5 shows 24.5, 36.75 shows 36.8, 49 shows 49.
        QTest::newRow("meal, that day and user only")
            << "MLMEAL1DT20030514" << "Lunch" << QStringList{"12.2", "24.5", "36.8", "49", "61.2", "73.5", "85.8", "98"};
        // Every meal of the day and the entry without a meal: 112.75 in fat.
        QTest::newRow("day, with the entry without a meal")
            << "DT20030514" << "2003-05-14"
            << QStringList{"112.8", "225.5", "338.2", "451", "563.8", "676.5", "789.2", "902"};
    }
    void showsTheValuesOfTheSelectedNode()
    {
        QFETCH(QString, key);
        QFETCH(QString, title);
        QFETCH(QStringList, expected);
        DietDetailsWindow* w = shownTotals(key);
        QVERIFY(w);
        QCOMPARE(w->lblDetailText->text(), title);
        QCOMPARE(values(w), expected);
        QCOMPARE(w->lblOther1->text(), QString("Fiber"));
        QCOMPARE(w->lblOther2->text(), QString("Sugars"));
        // Not modal: the main window stays usable.
        QVERIFY(w->isVisible());
        QVERIFY(!w->isModal());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QVERIFY(!f->ds().rsDietTotal.isOpen());
        QVERIFY(!f->ds().rsDietMealTotal.isOpen());
    }

    void aMealOfOneEntryShowsThatEntry()
    {
        const QStringList meal = values(shownTotals("MLMEAL2DT20030514"));
        const QStringList entry = values(shownTotals("D4"));
        QCOMPARE(meal, entry);
        QCOMPARE(meal.first(), QString("100"));
    }

    void emptyLabelsStillShowTheValues()
    {
        f->test.exec("UPDATE CONFIG SET ConfigValue = '' WHERE ConfigItem IN ('OTHER1', 'OTHER2')");
        DietDetailsWindow* w = shownTotals("D3");
        QCOMPARE(w->lblOther1->text(), QString());
        QCOMPARE(w->lblOther2->text(), QString());
        QCOMPARE(w->txtOther1->text(), QString("3.5"));
        QCOMPARE(w->txtOther2->text(), QString("4"));
    }

    void sitsBesideTheMiddleOfTheTree()
    {
        DietDetailsWindow* w = shownTotals("D1");
        NodeTree* tree = f->tree();
        const QPoint treeAt = tree->mapTo(&f->main(), QPoint(0, 0));
        const QPoint expected((treeAt.x() + tree->width()) / 2, treeAt.y() + (tree->height() - w->height()) / 2);
        QCOMPARE(f->main().mapFromGlobal(w->pos()), expected);
    }

    void closesOnEscapeAndWhenItLosesTheFocus()
    {
        QPointer<DietDetailsWindow> w = shownTotals("D1");
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w, Qt::Key_Escape);
        QTRY_VERIFY(w.isNull()); // closed and gone

        w = shownTotals("D2");
        QVERIFY(QTest::qWaitForWindowActive(w));
        f->main().activateWindow();
        QTRY_VERIFY(w.isNull());
    }

    void nothingWithoutASelectedNode()
    {
        f->tree()->selectNode(nullptr);
        f->diet().showDietTotals();
        QCOMPARE(f->main().findChildren<DietDetailsWindow*>().size(), 0);
    }
};

QTEST_MAIN(DietTotalsTest)
#include "tst_diettotals.moc"
