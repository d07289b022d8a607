#include "data/orvdatasource.h"
#include "diet/diettree.h"
#include "diet/purgedialog.h"
#include "mainwindowfixture.h"
#include "ui/nodetree.h"

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

// Runs steps on the purge dialog opened by command; whatever the steps leave
// open is cancelled.
bool withPurge(MainWindowFixture& f, bool diet, const std::function<void(PurgeDialog&)>& steps)
{
    bool ran = false;
    whenModal([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<PurgeDialog*>(modal)) {
            ran = true;
            steps(*dialog);
        }
        if (modal->isVisible())
            QTest::mouseClick(qobject_cast<PurgeDialog*>(modal)->CancelButton, Qt::LeftButton);
    });
    if (diet)
        f.main().toolsPurgeDiet();
    else
        f.main().toolsPurgeSnapshot();
    return ran;
}

void choose(PurgeDialog& d, const QDate& first, const QDate& last)
{
    d.dtLoDate->setDate(first);
    d.dtHighDate->setDate(last);
}

QStringList dietRows(MainWindowFixture& f)
{
    QStringList rows;
    for (const QVariantList& row : f.test.rows(
             "SELECT UserName, DietDate, FoodName FROM DietActivity ORDER BY UserName, DietDate, FoodName"))
        rows << row[0].toString() + QLatin1Char(' ') + row[1].toString() + QLatin1Char(' ') +
                    row[2].toString();
    return rows;
}

QStringList dayCaptions(const NodeTree* tree)
{
    QStringList days;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        days << tree->topLevelItem(i)->text(0);
    return days;
}

void addSnapshot(MainWindowFixture& f, int id, const QString& user, const QString& taken)
{
    f.test.exec("INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPVAL1, SNAPDATETM) VALUES (?, ?, 70, ?)",
                {id, user, taken});
}

} // namespace

// Purging diet and snapshot data by days, through the purge dialog.
class PurgeTest : public QObject
{
    Q_OBJECT

private:
    // Diet rows of two users over three days.
    void addDietDays(MainWindowFixture& f)
    {
        f.test.addDietRow("USER1", QDate(2003, 5, 12), "", "Toast");
        f.test.addDietRow("USER1", QDate(2003, 5, 13), "MEAL0", "Egg");
        f.test.addDietRow("USER1", QDate(2003, 5, 13), "", "Tea");
        f.test.addDietRow("USER1", QDate(2003, 5, 14), "MEAL2", "Soup");
        f.test.addDietRow("USER2", QDate(2003, 5, 13), "", "Coffee");
    }

private slots:
    void dialogOfEachKind_data()
    {
        QTest::addColumn<bool>("diet");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("instruction");
        QTest::newRow("diet") << true << "Purge Diet Activity Data"
                              << "Purge Diet Activity Data for the following Date Range";
        QTest::newRow("snapshot") << false << "Purge Snapshot Activity Data"
                                  << "Purge Snapshot Activity Data for the following Date Range";
    }

    void dialogOfEachKind()
    {
        QFETCH(bool, diet);
        QFETCH(QString, caption);
        QFETCH(QString, instruction);
        MainWindowFixture f;
        f.load();
        QVERIFY(withPurge(f, diet, [&](PurgeDialog& d) {
            QCOMPARE(d.windowTitle(), caption);
            QCOMPARE(d.lblPurge->text(), instruction);
            QCOMPARE(d.dtLoDate->date(), QDate::currentDate());
            QCOMPARE(d.dtHighDate->date(), QDate::currentDate());
            QCOMPARE(d.OKButton->text(), QString("OK"));
            QCOMPARE(d.CancelButton->text(), QString("Cancel"));
        }));
    }

    void purgeOfOneDay()
    {
        MainWindowFixture f;
        addDietDays(f);
        f.load();
        f.main().dietTree().loadDietDay(QDate(2003, 5, 14));
        QVERIFY(f.main().tvwDiet->node("DT20030514")->childCount() > 0);

        f.prompts().queueYes();
        QVERIFY(withPurge(f, true, [](PurgeDialog& d) {
            choose(d, QDate(2003, 5, 13), QDate(2003, 5, 13));
            QTest::mouseClick(d.OKButton, Qt::LeftButton);
            QVERIFY(!d.isVisible());
            QCOMPARE(d.purgeResult(), QString("OK"));
        }));
        QCOMPARE(f.prompts().count(), 1);
        const Prompt asked = f.prompts().last();
        QCOMPARE(asked.text,
                 QString("Are you sure you want to Delete all Diet Activity Data from 05/13/2003 to "
                         "05/13/2003?"));
        QCOMPARE(asked.title, QString("Delete Confirmation"));
        QCOMPARE(asked.buttons, PromptButtons::YesNo);

        QCOMPARE(dietRows(f),
                 (QStringList{"USER1 2003-05-12 Toast", "USER1 2003-05-14 Soup", "USER2 2003-05-13 Coffee"}));
        // The tree is read again: the day is gone and every day starts unopened.
        QCOMPARE(dayCaptions(f.main().tvwDiet), (QStringList{"2003-05-12", "2003-05-14"}));
        QCOMPARE(f.main().tvwDiet->node("DT20030514")->childCount(), 0);
        // The diet recordset no longer holds the purged rows.
        QCOMPARE(f.ctx().dataSource().rsDietData.recordCount(), 2);
    }

    void purgeOfARange()
    {
        MainWindowFixture f;
        addDietDays(f);
        f.load();
        f.prompts().queueYes();
        QVERIFY(withPurge(f, true, [](PurgeDialog& d) {
            choose(d, QDate(2003, 5, 1), QDate(2003, 5, 13));
            QTest::mouseClick(d.OKButton, Qt::LeftButton);
        }));
        QCOMPARE(dietRows(f), (QStringList{"USER1 2003-05-14 Soup", "USER2 2003-05-13 Coffee"}));
        QCOMPARE(dayCaptions(f.main().tvwDiet), QStringList{"2003-05-14"});
    }

    void dietClipboardSurvivesAPurge()
    {
        MainWindowFixture f;
        addDietDays(f);
        f.load();
        DietTree& diet = f.main().dietTree();
        diet.loadDietDay(QDate(2003, 5, 13));
        QTreeWidgetItem* egg = f.main().tvwDiet->node("D2");
        QVERIFY(egg);
        f.main().tvwDiet->selectNode(egg);
        diet.dietNodeClick(egg);
        diet.copyDietEntry(0, 1);
        QVERIFY(diet.dietClipboardFull());

        f.prompts().queueYes();
        QVERIFY(withPurge(f, true, [](PurgeDialog& d) {
            choose(d, QDate(2003, 5, 13), QDate(2003, 5, 13));
            QTest::mouseClick(d.OKButton, Qt::LeftButton);
        }));
        QVERIFY(diet.dietClipboardFull());

        // The copied entry, whose row is gone, is pasted again as a new row.
        QTreeWidgetItem* day = f.main().tvwDiet->node("DT20030514");
        f.main().tvwDiet->selectNode(day);
        diet.pasteDietEntries();
        QCOMPARE(dietRows(f), (QStringList{"USER1 2003-05-12 Toast", "USER1 2003-05-14 Egg",
                                           "USER1 2003-05-14 Soup", "USER2 2003-05-13 Coffee"}));
        QCOMPARE(f.test.scalar("SELECT MealName FROM DietActivity WHERE FoodName = 'Egg'").toString(),
                 QString("MEAL0"));
    }

    void reversedDatesRefused()
    {
        MainWindowFixture f;
        addDietDays(f);
        f.load();
        const QStringList before = dietRows(f);
        QVERIFY(withPurge(f, true, [&](PurgeDialog& d) {
            choose(d, QDate(2003, 5, 14), QDate(2003, 5, 13));
            QTest::mouseClick(d.OKButton, Qt::LeftButton);
            QVERIFY(d.isVisible());
            QCOMPARE(d.dtLoDate->date(), QDate(2003, 5, 14));
            QCOMPARE(d.dtHighDate->date(), QDate(2003, 5, 13));
            QCOMPARE(f.prompts().count(), 1);
            QCOMPARE(f.prompts().last().text,
                     QString("The First Date must be less than or equal to the Second Date."));
            QCOMPARE(f.prompts().last().title, QString("Corvane's Foodlark"));
            QCOMPARE(f.prompts().last().buttons, PromptButtons::Ok);
            QTest::mouseClick(d.CancelButton, Qt::LeftButton);
            QCOMPARE(d.purgeResult(), QString("CANCEL"));
        }));
        QCOMPARE(dietRows(f), before);
    }

    void answeringNoKeepsTheDialog()
    {
        MainWindowFixture f;
        addDietDays(f);
        f.load();
        const QStringList before = dietRows(f);
        f.prompts().queueNo();
        QVERIFY(withPurge(f, true, [&](PurgeDialog& d) {
            choose(d, QDate(2003, 5, 12), QDate(2003, 5, 14));
            QTest::mouseClick(d.OKButton, Qt::LeftButton);
            QVERIFY(d.isVisible());
            QCOMPARE(d.purgeResult(), QString());
            QCOMPARE(dietRows(f), before);
            // A second try is asked again and can be confirmed.
            f.prompts().queueYes();
            QTest::mouseClick(d.OKButton, Qt::LeftButton);
            QVERIFY(!d.isVisible());
        }));
        QCOMPARE(f.prompts().count(), 2);
        QCOMPARE(dietRows(f), QStringList{"USER2 2003-05-13 Coffee"});
        QCOMPARE(f.main().tvwDiet->topLevelItemCount(), 0);
    }

    void closingTheWindowCancels()
    {
        MainWindowFixture f;
        addDietDays(f);
        f.load();
        const QStringList before = dietRows(f);
        QVERIFY(withPurge(f, true, [](PurgeDialog& d) {
            choose(d, QDate(2003, 5, 12), QDate(2003, 5, 14));
            d.close();
            QCOMPARE(d.purgeResult(), QString("CANCEL"));
        }));
        QCOMPARE(f.prompts().count(), 0);
        QCOMPARE(dietRows(f), before);
    }

    void snapshotPurgeCoversWholeDays()
    {
        MainWindowFixture f;
        addDietDays(f);
        addSnapshot(f, 1, "USER1", "2003-05-12 23:59:59");
        addSnapshot(f, 2, "USER1", "2003-05-13 00:00:00"); // before the range's first second
        addSnapshot(f, 3, "USER1", "2003-05-13 00:00:01");
        addSnapshot(f, 4, "USER1", "2003-05-13 22:15:00");
        addSnapshot(f, 5, "USER1", "2003-05-14 23:59:59");
        addSnapshot(f, 6, "USER1", "2003-05-15 00:00:00");
        addSnapshot(f, 7, "USER2", "2003-05-13 22:15:00");
        f.load();
        const QStringList diet = dietRows(f);

        f.prompts().queueYes();
        QVERIFY(withPurge(f, false, [](PurgeDialog& d) {
            choose(d, QDate(2003, 5, 13), QDate(2003, 5, 14));
            QTest::mouseClick(d.OKButton, Qt::LeftButton);
        }));
        QCOMPARE(f.prompts().last().text,
                 QString("Are you sure you want to Delete all Snapshot Activity Data from "
                         "05/13/2003 to 05/14/2003?"));
        QStringList kept;
        for (const QVariantList& row : f.test.rows("SELECT SNAPID FROM SNAPSHOT ORDER BY SNAPID"))
            kept << row[0].toString();
        QCOMPARE(kept, (QStringList{"1", "2", "6", "7"}));
        QCOMPARE(dietRows(f), diet);
    }
};

QTEST_MAIN(PurgeTest)
#include "tst_purge.moc"
