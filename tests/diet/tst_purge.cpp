#include "databasefiles.h"
#include "diet/purgedialog.h"
#include "dietfixture.h"
#include "fulldisk.h"

#include <QDateEdit>
#include <QDir>
#include <QLabel>

// Purging diet and snapshot data by days, through the purge dialog.
class PurgeTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DietFixture> f;
    QStringList opened; // the caption, instruction and dates of the last purge dialog

    // Chooses the days, presses OK answering the question, then runs more steps;
    // whatever is left open is cancelled.
    void purge(bool diet, const QDate& first, const QDate& last, PromptAnswer answer = PromptAnswer::Yes,
               const std::function<void(PurgeDialog&)>& more = {})
    {
        opened.clear();
        f->prompts().queue(answer);
        whenModal([&](QWidget* modal) {
            auto* d = qobject_cast<PurgeDialog*>(modal);
            if (!d)
                return void(modal->close());
            opened =
                QStringList{d->windowTitle(), d->lblPurge->text(), d->dtLoDate->date().toString(Qt::ISODate),
                            d->dtHighDate->date().toString(Qt::ISODate)};
            d->dtLoDate->setDate(first);
            d->dtHighDate->setDate(last);
            d->OKButton->click();
            if (more)
                more(*d);
            if (d->isVisible())
                d->CancelButton->click();
        });
        diet ? f->main().toolsPurgeDiet() : f->main().toolsPurgeSnapshot();
    }

private slots:
    void initTestCase() { FullDisk::install(); }
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
        f->reload({QDate(2003, 5, 13), QDate(2003, 5, 14)});
        f->select("D2");
        QVERIFY(f->diet().copyDietEntry(0, 1));
        purge(true, QDate(2003, 5, 13), QDate(2003, 5, 13));
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        QCOMPARE(opened,
                 (QStringList{"Purge Diet Activity Data",
                              "Purge Diet Activity Data for the following Date Range", today, today}));
        const Prompt question{
            PromptIcon::Question, PromptButtons::YesNo, "Delete Confirmation",
            "Are you sure you want to Delete all Diet Activity Data from 05/13/2003 to 05/13/2003?"};
        QCOMPARE(f->prompts().shown(), QList<Prompt>{question});
        QCOMPARE(f->foodNames(), (QStringList{"Toast", "Soup", "Coffee"})); // other users' rows stay
        // The log as it was before the purge is kept in an automatic backup.
        const QStringList backups = QDir(f->ctx().backupFolder()).entryList(QDir::Files);
        QCOMPARE(backups.size(), 1);
        QVERIFY2(backups.first().endsWith("-before-purge.mdb"), qPrintable(backups.first()));
        QCOMPARE(DatabaseFiles::dietEntries(f->ctx().backupFolder() + "/" + backups.first()), 5);
        // The tree is read again: the day is gone and every day starts unopened.
        QCOMPARE(f->captions(), (QStringList{"2003-05-12", "2003-05-14"}));
        QCOMPARE(f->model().rowCount(f->node("DT20030514")), 0);
        QCOMPARE(f->ds().rsDietData.recordCount(), 2);
        // The copied entry, whose row is gone, is pasted again as a new row.
        f->select("DT20030514");
        f->diet().pasteDietEntries();
        QCOMPARE(f->dietRow(f->lastDietId(), "DietDate, MealName, FoodName"),
                 (QVariantList{"2003-05-14", "MEAL0", "Egg"}));
    }

    void reversedDatesOrNoKeepTheDialog()
    {
        const QList<QVariantList> before = f->allRows();
        purge(true, QDate(2003, 5, 14), QDate(2003, 5, 13), PromptAnswer::Yes, [&](PurgeDialog& d) {
            QVERIFY(d.isVisible());
            QCOMPARE(d.dtLoDate->date(), QDate(2003, 5, 14));
            QCOMPARE(f->prompts().last(),
                     (Prompt{PromptIcon::Exclamation, PromptButtons::Ok, "Corvane's Foodlark",
                             "The First Date must be less than or equal to the Second Date."}));
            d.CancelButton->click();
            QCOMPARE(d.purgeResult(), QString("CANCEL"));
        });
        QCOMPARE(f->allRows(), before);
        QVERIFY(!QDir(f->ctx().backupFolder()).exists()); // nothing purged, nothing backed up
        f->prompts().clear();
        purge(true, QDate(2003, 5, 12), QDate(2003, 5, 14), PromptAnswer::No, [&](PurgeDialog& d) {
            QVERIFY(d.isVisible());
            QCOMPARE(f->allRows(), before);
            f->prompts().queueYes(); // asked again, and confirmed
            d.OKButton->click();
            QVERIFY(!d.isVisible());
        });
        QCOMPARE(f->prompts().count(), 2);
        QCOMPARE(f->foodNames(), QStringList{"Coffee"});
        QCOMPARE(f->model().rowCount(), 0);
    }

    void aFailedBackupStopsThePurge_data()
    {
        QTest::addColumn<bool>("diet");
        QTest::newRow("diet") << true;
        QTest::newRow("snapshots") << false;
    }
    void aFailedBackupStopsThePurge()
    {
        QFETCH(bool, diet);
        f->test.exec("INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPVAL1, SNAPDATETM) VALUES (1, 'USER1', 70, "
                     "'2003-05-13 10:00:00')");
        const QList<QVariantList> before = f->test.rows("SELECT count(*) FROM DietActivity UNION ALL "
                                                        "SELECT count(*) FROM SNAPSHOT");
        {
            FullDisk::Scope full;
            purge(diet, QDate(2003, 5, 12), QDate(2003, 5, 14));
        }
        QCOMPARE(f->prompts().last(),
                 applicationError("Unable to back up the Corvane's Foodlark Database to '" +
                                  f->ctx().backupFolder() +
                                  "': the disk is full.  Nothing has been deleted.  "));
        QCOMPARE(f->test.rows("SELECT count(*) FROM DietActivity UNION ALL SELECT count(*) FROM SNAPSHOT"),
                 before);
        QCOMPARE(f->test.shutDowns, 0);
        QCOMPARE(f->captions(), (QStringList{"2003-05-12", "2003-05-13", "2003-05-14"}));
    }

    // Stored times carry no zone: in Sao Paulo, where 4 November 2018 began at
    // 01:00, that day is purged whole as any other.
    void snapshotPurgeCoversWholeDays()
    {
        const TimeZoneScope zone("America/Sao_Paulo");
        const QStringList taken{"2018-11-03 23:59:59", "2018-11-04 00:00:00", "2018-11-04 00:00:01",
                                "2018-11-04 22:15:00", "2018-11-05 23:59:59", "2018-11-06 00:00:00"};
        for (int i = 0; i <= taken.size(); ++i)
            f->test.exec("INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPVAL1, SNAPDATETM) VALUES (?, ?, 70, ?)",
                         {i + 1, i < taken.size() ? "USER1" : "USER2", taken.value(i, "2018-11-04 22:15:00")});
        const QList<QVariantList> diet = f->allRows();
        purge(false, QDate(2018, 11, 4), QDate(2018, 11, 5));
        QCOMPARE(opened.first(), QString("Purge Snapshot Activity Data"));
        QCOMPARE(f->prompts().last().text,
                 QString("Are you sure you want to Delete all Snapshot Activity Data from 11/04/2018 to 11/05/2018?"));
        // 00:00:00 of the first day is before the range; 11:59:59 PM of the last is in it.
        QCOMPARE(f->test.rows("SELECT SNAPID FROM SNAPSHOT ORDER BY SNAPID"),
                 (QList<QVariantList>{{1}, {2}, {6}, {7}}));
        QCOMPARE(f->allRows(), diet);
    }
};

QTEST_MAIN(PurgeTest)
#include "tst_purge.moc"
