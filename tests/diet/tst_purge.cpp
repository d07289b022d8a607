#include "diet/purgedialog.h"
#include "dietfixture.h"

#include <QDateEdit>
#include <QLabel>

// Purging diet and snapshot data by days, through the purge dialog.
class PurgeTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DietFixture> f;

    // Runs steps on the purge dialog the command opens; whatever they leave open is cancelled.
    bool withPurge(bool diet, const std::function<void(PurgeDialog&)>& steps)
    {
        bool ran = false;
        whenModal([&](QWidget* modal) {
            if (auto* dialog = qobject_cast<PurgeDialog*>(modal)) {
                ran = true;
                steps(*dialog);
                if (dialog->isVisible())
                    dialog->CancelButton->click();
            }
        });
        diet ? f->main().toolsPurgeDiet() : f->main().toolsPurgeSnapshot();
        return ran;
    }
    // Confirms a purge of these days.
    bool purge(bool diet, const QDate& first, const QDate& last)
    {
        f->prompts().queueYes();
        return withPurge(diet, [&](PurgeDialog& d) {
            d.dtLoDate->setDate(first);
            d.dtHighDate->setDate(last);
            d.OKButton->click();
        });
    }

private slots:
    void init()
    {
        f = std::make_unique<DietFixture>();
        f->test.addDietRow("USER1", QDate(2003, 5, 12), "", "Toast");
        f->test.addDietRow("USER1", QDate(2003, 5, 13), "MEAL0", "Egg");
        f->test.addDietRow("USER1", QDate(2003, 5, 13), "", "Tea");
        f->test.addDietRow("USER1", QDate(2003, 5, 14), "MEAL2", "Soup");
        f->test.addDietRow("USER2", QDate(2003, 5, 13), "", "Coffee");
        f->load();
    }
    void cleanup() { f.reset(); }

    void purgeOfOneDayKeepsTheClipboard()
    {
        QVERIFY(withPurge(true, [](PurgeDialog& d) {
            QCOMPARE(d.windowTitle(), QString("Purge Diet Activity Data"));
            QCOMPARE(d.lblPurge->text(), QString("Purge Diet Activity Data for the following Date Range"));
            QCOMPARE(d.dtLoDate->date(), QDate::currentDate());
            QCOMPARE(d.dtHighDate->date(), QDate::currentDate());
        }));
        f->reload({QDate(2003, 5, 13), QDate(2003, 5, 14)});
        f->select("D2");
        QVERIFY(f->diet().copyDietEntry(0, 1));

        QVERIFY(purge(true, QDate(2003, 5, 13), QDate(2003, 5, 13)));
        QCOMPARE(f->prompts().count(), 1);
        QCOMPARE(f->prompts().last().text,
                 QString("Are you sure you want to Delete all Diet Activity Data from 05/13/2003 to 05/13/2003?"));
        QCOMPARE(f->prompts().last().title, QString("Delete Confirmation"));
        QCOMPARE(f->prompts().last().buttons, PromptButtons::YesNo);
        QCOMPARE(f->foodNames(), (QStringList{"Toast", "Soup", "Coffee"})); // other users' rows stay
        // The tree is read again: the day is gone and every day starts unopened.
        QCOMPARE(f->captions(), (QStringList{"2003-05-12", "2003-05-14"}));
        QCOMPARE(f->node("DT20030514")->childCount(), 0);
        QCOMPARE(f->ds().rsDietData.recordCount(), 2);

        // The copied entry, whose row is gone, is pasted again as a new row.
        f->select("DT20030514");
        f->diet().pasteDietEntries();
        QCOMPARE(f->dietRow(f->lastDietId(), "DietDate, MealName, FoodName"),
                 (QVariantList{"2003-05-14", "MEAL0", "Egg"}));
    }

    void reversedDatesRefused()
    {
        const QList<QVariantList> before = f->allRows();
        QVERIFY(withPurge(true, [&](PurgeDialog& d) {
            d.dtLoDate->setDate(QDate(2003, 5, 14));
            d.dtHighDate->setDate(QDate(2003, 5, 13));
            d.OKButton->click();
            QVERIFY(d.isVisible());
            QCOMPARE(d.dtLoDate->date(), QDate(2003, 5, 14));
            QCOMPARE(f->prompts().texts(), QStringList{"The First Date must be less than or equal to the Second Date."});
            QCOMPARE(f->prompts().last().buttons, PromptButtons::Ok);
            d.CancelButton->click();
            QCOMPARE(d.purgeResult(), QString("CANCEL"));
        }));
        QCOMPARE(f->allRows(), before);
    }

    void answeringNoKeepsTheDialog()
    {
        const QList<QVariantList> before = f->allRows();
        f->prompts().queueNo();
        QVERIFY(withPurge(true, [&](PurgeDialog& d) {
            d.dtLoDate->setDate(QDate(2003, 5, 12));
            d.dtHighDate->setDate(QDate(2003, 5, 14));
            d.OKButton->click();
            QVERIFY(d.isVisible());
            QCOMPARE(f->allRows(), before);
            // A second try is asked again and can be confirmed.
            f->prompts().queueYes();
            d.OKButton->click();
            QVERIFY(!d.isVisible());
        }));
        QCOMPARE(f->prompts().count(), 2);
        QCOMPARE(f->foodNames(), QStringList{"Coffee"});
        QCOMPARE(f->tree()->topLevelItemCount(), 0);
    }

    void snapshotPurgeCoversWholeDays()
    {
        const QStringList taken{"2003-05-12 23:59:59", "2003-05-13 00:00:00", "2003-05-13 00:00:01",
                                "2003-05-13 22:15:00", "2003-05-14 23:59:59", "2003-05-15 00:00:00"};
        for (int i = 0; i < taken.size(); ++i)
            f->test.exec("INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPVAL1, SNAPDATETM) VALUES (?, 'USER1', 70, ?)",
                         {i + 1, taken[i]});
        f->test.exec("INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPVAL1, SNAPDATETM) VALUES "
                     "(7, 'USER2', 70, '2003-05-13 22:15:00')");
        const QList<QVariantList> diet = f->allRows();
        QVERIFY(withPurge(false, [](PurgeDialog& d) {
            QCOMPARE(d.windowTitle(), QString("Purge Snapshot Activity Data"));
        }));
        QVERIFY(purge(false, QDate(2003, 5, 13), QDate(2003, 5, 14)));
        QCOMPARE(f->prompts().last().text,
                 QString("Are you sure you want to Delete all Snapshot Activity Data from 05/13/2003 to 05/14/2003?"));
        // 00:00:00 of the first day is before the range; 11:59:59 PM of the last is in it.
        QCOMPARE(f->test.rows("SELECT SNAPID FROM SNAPSHOT ORDER BY SNAPID"),
                 (QList<QVariantList>{{1}, {2}, {6}, {7}}));
        QCOMPARE(f->allRows(), diet);
    }
};

QTEST_MAIN(PurgeTest)
#include "tst_purge.moc"
