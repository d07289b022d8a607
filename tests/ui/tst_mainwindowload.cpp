#include "data/orvdatasource.h"
#include "mainwindowfixture.h"
#include "ui/nodetree.h"

#include <QComboBox>
#include <QLabel>
#include <QTest>

// Loading the main window over a fixture database: both trees as stored.
class MainWindowLoadTest : public QObject
{
    Q_OBJECT

private slots:
    void loadsFavoritesAndDays()
    {
        MainWindowFixture f;
        f.test.addDietRow("USER1", QDate(2003, 5, 14), "MEAL0", "Egg");
        f.test.addDietRow("USER1", QDate(2003, 5, 12), "", "Toast");
        f.test.addDietRow("USER2", QDate(2003, 5, 13), "", "Tea");
        f.load();
        MainWindow& w = f.main();
        QCOMPARE(w.windowTitle(), QString("Corvane's Foodlark 3.0.0"));
        QCOMPARE(w.statusPanel2->text(), QString("User:  User 1"));

        // Roots sorted by caption; only the favourites hold their foods.
        QCOMPARE(w.tvwFood->topLevelItemCount(), 3);
        QCOMPARE(w.tvwFood->topLevelItem(0)->text(0), QString("Favorites"));
        QCOMPARE(w.tvwFood->topLevelItem(1)->text(0), QString("My Foods"));
        QCOMPARE(w.tvwFood->topLevelItem(2)->text(0), QString("USDA Foods"));
        QTreeWidgetItem* favorites = w.tvwFood->node("G2");
        QCOMPARE(w.tvwFood->selectedNode(), favorites);
        QCOMPARE(favorites->childCount(), 1);
        QCOMPARE(NodeTree::key(favorites->child(0)), QString("F60001"));
        QCOMPARE(w.tvwFood->node("G11")->childCount(), 0);

        // Days of the current user only, in date order, not yet opened.
        QCOMPARE(w.tvwDiet->topLevelItemCount(), 2);
        QCOMPARE(w.tvwDiet->topLevelItem(0)->text(0), QString("2003-05-12"));
        QCOMPARE(NodeTree::key(w.tvwDiet->topLevelItem(1)), QString("DT20030514"));
        QCOMPARE(w.tvwDiet->topLevelItem(1)->childCount(), 0);
        QCOMPARE(w.cmbMeal->currentText(), QString("Select a Meal"));
        QCOMPARE(w.cmbMeal->count(), 5);
    }
};

QTEST_MAIN(MainWindowLoadTest)
#include "tst_mainwindowload.moc"
