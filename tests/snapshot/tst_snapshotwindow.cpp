#include "data/orvdatasource.h"
#include "mainwindowfixture.h"
#include "snapshot/snapshotwindow.h"
#include "widgets/helpwindow.h"

#include <QAction>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTreeWidget>

namespace {
enum class Move { SelectOther, SelectSame, New, Done, CloseBox };
Prompt question(PromptButtons buttons, const QString& text = "SnapShot data has changed.  Do you wish to save it?")
{
    return {PromptIcon::Question, buttons, "Physical SnapShot", text};
}
QStringList texts(const QTreeWidgetItem* item)
{
    QStringList list;
    for (int c = 0; item && c < item->columnCount(); ++c)
        list << item->text(c);
    return list;
}
} // namespace

// The physical snapshot window over a fixture database, driven as a user
// drives it; what it stores is read back beside it. (What a Save makes of the
// inputs, and how rows read, is tested without the window.)
class SnapshotWindowTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestContext> t;
    std::unique_ptr<SnapshotWindow> w;

    void open()
    {
        w = std::make_unique<SnapshotWindow>(t->ctx());
        QVERIFY(w->load());
        w->show();
    }
    // USER1's stored rows, a null value as "Null".
    QList<QVariantList> stored(const QString& columns)
    {
        QList<QVariantList> rows = t->rows("SELECT " + columns + " FROM SNAPSHOT WHERE USERNAME = 'USER1' ORDER BY SNAPID");
        for (QVariantList& row : rows)
            for (QVariant& value : row)
                value = value.isNull() ? QVariant("Null") : value;
        return rows;
    }
    QList<QStringList> history()
    {
        QList<QStringList> rows;
        for (int i = 0; i < w->lstSnapShot->topLevelItemCount(); ++i)
            rows << texts(w->lstSnapShot->topLevelItem(i));
        return rows;
    }
    QStringList inputs()
    {
        QStringList list;
        for (int p = 0; p < w->valueSlots().count(); ++p)
            list << w->txtSnapShot[p]->text();
        return list;
    }
    void enter(const QStringList& values, const QString& comment = QString())
    {
        for (int p = 0; p < values.size(); ++p)
            w->txtSnapShot[p]->setText(values[p]);
        if (!comment.isNull())
            w->txtComments->setText(comment);
    }
    void select(int snapId) { w->lstSnapShot->setCurrentItem(w->rowOf(snapId)); }

private slots:
    // Two snapshots of USER1 (value 1 80 and 81, 70.5 in value 2, "120/80" in
    // value 7) and one of USER2; USER1's labels are Weight, Waist, Chest, Thighs.
    void init()
    {
        t = std::make_unique<TestContext>();
        t->ctx().currentUser = "USER1";
        for (const QVariantList& row : QList<QVariantList>{
                 {1, "USER1", "2003-05-13 08:00:00", 80}, {2, "USER1", "2003-05-15 08:00:00", 81}, {3, "USER2", "2003-05-14 08:00:00", 99}})
            t->exec("INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPDATETM, SNAPVAL1, SNAPVAL2, SNAPVAL7, SNAPCOMMENTS) "
                    "VALUES (?, ?, ?, ?, 70.5, '120/80', 'before')", row);
        t->exec("UPDATE TableKey SET KeyValue = 3 WHERE KeyName = 'SNAPSHOT'");
    }
    void cleanup()
    {
        w.reset();
        t.reset();
    }

    void onlyLabelledValuesAreShownAndWritten()
    {
        // Values 2 and 7 only: the others' labels are blank.
        const QStringList labels{"", "Waist", " ", "  ", "", "", "Blood Pressure", ""};
        for (int i = 0; i < 8; ++i)
            t->exec("UPDATE CONFIG SET ConfigValue = ? WHERE ConfigItem = ?", {labels[i], QString("SNAPSHOT%1").arg(i + 1)});
        open();
        QStringList captions = texts(w->lstSnapShot->headerItem());
        for (QLabel* label : w->findChildren<QLabel*>())
            if (label->isVisible())
                captions << label->text();
        QCOMPARE(captions, (QStringList{"Date", "Waist", "Blood Pressure", "Comments", "SnapShot History", "Date",
                                        "Time", "Waist", "Blood Pressure", "Comments"}));
        for (int p = 0; p < 8; ++p)
            QVERIFY(w->txtSnapShot[p]->isVisible() == (p < 2) && w->txtSnapShot[p]->isEnabled() == (p < 2));
        QCOMPARE(inputs(), (QStringList{"0.00", " "}));
        QCOMPARE(history(), (QList<QStringList>{{"2003/05/13 08:00 AM", "70.5", "120/80", "before"},
                                                {"2003/05/15 08:00 AM", "70.5", "120/80", "before"}})); // not USER2's
        QVERIFY(!w->cmdSave->isEnabled() && !w->cmdEdit->isEnabled() && !w->cmdDelete->isEnabled());
        // Editing writes the shown values only: value 1 keeps what it held.
        select(1);
        w->cmdEdit->click();
        enter({"", "125/85"});
        w->cmdSave->click();
        QCOMPARE(stored("SNAPVAL1, SNAPVAL2, SNAPVAL7, SNAPVAL8").first(), (QVariantList{80.0, "Null", "125/85", "Null"}));
        QCOMPARE(history().first().mid(1), (QStringList{" ", "125/85", "before"}));
        // A value that is no number stores nothing and stays to be corrected, also after Done with Yes.
        const Prompt refused{PromptIcon::Exclamation, PromptButtons::Ok, "Snapshot Data Error",
                             "Snapshot value(s) Waist must be numeric!"};
        enter({"inf", "x"}, "kept");
        QVERIFY(!w->save());
        t->prompts.queueYes();
        w->cmdDone->click();
        QVERIFY(w->isVisible() && w->isDirty() && w->cmdSave->isEnabled());
        QCOMPARE(inputs(), (QStringList{"inf", "x"}));
        QCOMPARE(t->prompts.shown(), (QList<Prompt>{refused, question(PromptButtons::YesNoCancel), refused}));
        QCOMPARE(t->scalar("SELECT count(*) FROM SNAPSHOT"), QVariant(3));
    }

    void savedAndEditedRowsTakeTheirPlaceInTime()
    {
        open();
        w->dtDate->setDate(QDate(2003, 5, 14));
        w->dtTime->setTime(QTime(22, 15, 59));
        enter({"79.5", "", "", ""}, "Tom's \"big\" day");
        QVERIFY(w->save());
        QCOMPARE(history().value(1), (QStringList{"2003/05/14 10:15 PM", "79.5", " ", " ", " ", "Tom's \"big\" day"}));
        // After a save the details start afresh.
        QCOMPARE(QStringList{w->mode()} + inputs(), (QStringList{"NEW", "0.00", "0.00", "0.00", "0.00"}));
        QVERIFY(!w->isDirty() && !w->cmdSave->isEnabled());
        // Edit keeps the id; the row moves to its new time and stays the chosen one.
        select(1);
        w->cmdEdit->click();
        QCOMPARE((QStringList{w->mode(), QDateTime(w->dtDate->date(), w->dtTime->time()).toString(Qt::ISODate),
                              w->txtComments->text()}),
                 (QStringList{"1", "2003-05-13T08:00:00", "before"}));
        w->dtDate->setDate(QDate(2003, 5, 16));
        w->cmdSave->click();
        QCOMPARE(stored("SNAPID, SNAPDATETM"), (QList<QVariantList>{{1, "2003-05-16 08:00:00"},
                                                                    {2, "2003-05-15 08:00:00"},
                                                                    {4, "2003-05-14 22:15:00"}}));
        QCOMPARE(w->lstSnapShot->indexOfTopLevelItem(w->rowOf(1)), 2);
        QVERIFY(w->rowOf(1)->isSelected() && w->cmdEdit->isEnabled());
    }

    void unsavedChangesAreOfferedForSaving_data()
    {
        QTest::addColumn<Move>("move");
        QTest::addColumn<PromptAnswer>("answer");
        QTest::addColumn<int>("buttons");     // of the question; -1 when none is asked
        QTest::addColumn<QVariant>("weight"); // row 1's after the move
        QTest::addColumn<QString>("after");   // the window open or shut, its changes kept
        const int yesNo = int(PromptButtons::YesNo), yesNoCancel = int(PromptButtons::YesNoCancel);
        using A = PromptAnswer;
        QTest::newRow("select other, yes") << Move::SelectOther << A::Yes << yesNo << QVariant(75.0) << "open";
        QTest::newRow("select other, no") << Move::SelectOther << A::No << yesNo << QVariant(80.0) << "open";
        QTest::newRow("select the same") << Move::SelectSame << A::No << -1 << QVariant(80.0) << "open, kept";
        QTest::newRow("new, yes") << Move::New << A::Yes << yesNoCancel << QVariant(75.0) << "open";
        QTest::newRow("new, no") << Move::New << A::No << yesNoCancel << QVariant(80.0) << "open";
        QTest::newRow("new, cancel") << Move::New << A::Cancel << yesNoCancel << QVariant(80.0) << "open, kept";
        QTest::newRow("done, yes") << Move::Done << A::Yes << yesNoCancel << QVariant(75.0) << "shut";
        QTest::newRow("done, no") << Move::Done << A::No << yesNoCancel << QVariant(80.0) << "shut, kept";
        QTest::newRow("done, cancel") << Move::Done << A::Cancel << yesNoCancel << QVariant(80.0) << "open, kept";
        QTest::newRow("close box, cancel") << Move::CloseBox << A::Cancel << yesNoCancel << QVariant(80.0) << "open, kept";
    }
    void unsavedChangesAreOfferedForSaving()
    {
        QFETCH(Move, move);
        QFETCH(PromptAnswer, answer);
        QFETCH(int, buttons);
        open();
        select(1);
        w->cmdEdit->click();
        enter({"75"});
        t->prompts.queue(answer);
        if (move == Move::SelectOther || move == Move::SelectSame) {
            w->lstSnapShot->clearSelection();
            select(move == Move::SelectOther ? 2 : 1);
        } else if (move == Move::CloseBox) {
            w->close();
        } else {
            (move == Move::New ? w->cmdNew : w->cmdDone)->click();
        }
        QCOMPARE(t->prompts.shown(), buttons < 0 ? QList<Prompt>{} : QList<Prompt>{question(PromptButtons(buttons))});
        QTEST(t->scalar("SELECT SNAPVAL1 FROM SNAPSHOT WHERE SNAPID = 1"), "weight");
        QTEST(QString(w->isVisible() ? "open" : "shut") + (w->isDirty() ? ", kept" : ""), "after");
        QCOMPARE(stored("SNAPID").size(), 2);
        QCOMPARE(w->cmdSave->isEnabled(), w->isDirty());
        // Kept changes stay on screen; otherwise a new snapshot starts.
        if (w->isVisible())
            QCOMPARE(inputs().first(), QString(w->isDirty() ? "75" : "0.00"));
    }

    // A stored time that is no time shows as such; a save that leaves the date
    // and time alone keeps them as stored, to the second.
    void damagedOrExactTimesAreKept()
    {
        t->exec("UPDATE SNAPSHOT SET SNAPDATETM = iif(SNAPID = 1, '2003-02-30 08:00:00', '2003-05-15 08:00:59')");
        open();
        QCOMPARE(history().first().first(), QString("(invalid date)"));
        for (int snapId : {1, 2}) {
            select(snapId);
            w->cmdEdit->click();
            enter({QString::number(76 + snapId)});
            QCOMPARE(w->dtDate->text(), snapId == 1 ? "(invalid date)" : "2003/05/15");
            QVERIFY(w->save());
        }
        QCOMPARE(stored("SNAPDATETM, SNAPVAL1"),
                 (QList<QVariantList>{{"2003-02-30 08:00:00", 77.0}, {"2003-05-15 08:00:59", 78.0}}));
        // A new time needs a day to go with it.
        select(1);
        w->cmdEdit->click();
        w->dtTime->setTime(QTime(9, 0));
        QVERIFY(!w->save());
        QCOMPARE(t->prompts.texts(), QStringList{"Please choose the Date of this SnapShot."});
        w->dtDate->setDate(QDate(2003, 5, 1));
        QVERIFY(w->save());
        QCOMPARE(stored("SNAPDATETM").first(), QVariantList{"2003-05-01 09:00:00"});
    }

    void editAndDeleteActOnTheChosenRow()
    {
        open();
        // Choosing a row and typing starts a new snapshot; the chosen one stays as it was.
        select(1);
        enter({"90"});
        QVERIFY(w->save());
        QCOMPARE(stored("SNAPID, SNAPVAL1"), (QList<QVariantList>{{1, 80.0}, {2, 81.0}, {4, 90.0}}));
        // The save left the recordset on the new row; Delete still deletes the chosen one, once confirmed.
        QVERIFY(w->rowOf(1)->isSelected() && w->cmdDelete->isEnabled());
        t->prompts.queueNo();
        w->cmdDelete->click();
        QCOMPARE(stored("SNAPID").size(), 3);
        t->prompts.queueYes();
        w->cmdDelete->click();
        QCOMPARE(t->prompts.shown().last(),
                 question(PromptButtons::YesNo, "Are you sure you want to Delete the selected entry?"));
        QCOMPARE(stored("SNAPID"), (QList<QVariantList>{{2}, {4}}));
        QCOMPARE(w->lstSnapShot->topLevelItemCount(), 2);
        QVERIFY(!w->rowOf(1) && !w->cmdEdit->isEnabled() && !w->cmdDelete->isEnabled());
        // After New and a save, Edit shows the chosen row, not the new one.
        select(2);
        w->cmdNew->click();
        enter({"95"});
        w->cmdSave->click();
        w->cmdEdit->click();
        QCOMPARE((QStringList{w->mode(), inputs().first()}), (QStringList{"2", "81"}));
    }

    // Tools > Physical Snapshot opens a fresh window each time, with its help
    // topic; its Report button asks for the snapshot report's days over it.
    void openedFromTheMainWindow()
    {
        MainWindowFixture f;
        f.load();
        QStringList seen;
        whenModal([&](QWidget* modal) {
            auto* d = qobject_cast<SnapshotWindow*>(modal);
            if (!d)
                return modal->close(), void();
            seen << d->windowTitle();
            d->txtSnapShot[0]->setText("70");
            d->cmdSave->click();
            d->cmdHelp->click();
            auto* help = d->findChild<HelpWindow*>();
            seen << (help ? help->currentFile() : QString("no help"));
            whenModal([&](QWidget* criteria) {
                seen << criteria->objectName() << QString::number(criteria->parentWidget() == d);
                criteria->close();
            });
            d->cmdReport->click();
            d->cmdDone->click();
            seen << QString::number(d->isVisible());
        });
        f.main().findChild<QAction*>("mnuToolsSnapshot")->trigger();
        QCOMPARE(seen, (QStringList{"Physical SnapShot", "snapshot.html", "frmReportCritSnap", "1", "0"}));
        QCOMPARE(f.test.scalar("SELECT count(*) FROM SNAPSHOT WHERE USERNAME = 'USER1'"), QVariant(1));
        QVERIFY(!f.ctx().dataSource().rsSnapShotReport.isOpen() && !f.ctx().dataSource().rsSnapShotData.isOpen());
    }
};

QTEST_MAIN(SnapshotWindowTest)
#include "tst_snapshotwindow.moc"
