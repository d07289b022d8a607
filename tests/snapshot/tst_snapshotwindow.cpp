#include "mainwindowfixture.h"
#include "data/orvdatasource.h"
#include "diet/purgedialog.h"
#include "snapshot/snapshotwindow.h"
#include "ui/helpwindow.h"

#include <QAction>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QScopeGuard>

namespace {
enum class Move { SelectOther, SelectSame, New, Done, CloseBox };
const QVariant kNull;
} // namespace
Q_DECLARE_METATYPE(Move)

// The physical snapshot window over a fixture database, driven as a user
// drives it; what it stores is read back beside it.
class SnapshotWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestContext> t;
    std::unique_ptr<SnapshotWindow> w;

    ScriptedPrompts& prompts() { return t->prompts; }
    void setLabels(const QStringList& labels)
    {
        for (int i = 0; i < 8; ++i)
            t->exec("UPDATE CONFIG SET ConfigValue = ? WHERE ConfigItem = ?",
                    {labels.value(i), QString("SNAPSHOT%1").arg(i + 1)});
    }
    void addSnap(int id, const QString& taken, const QVariant& v1, const QVariant& v2 = kNull,
                 const QString& user = "USER1")
    {
        t->exec("INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPDATETM, SNAPVAL1, SNAPVAL2, SNAPVAL7, SNAPCOMMENTS) "
                "VALUES (?, ?, ?, ?, ?, '120/80', 'before')",
                {id, user, taken, v1, v2});
        t->exec("UPDATE TableKey SET KeyValue = max(KeyValue, ?) WHERE KeyName = 'SNAPSHOT'", {id});
    }
    void open()
    {
        w = std::make_unique<SnapshotWindow>(t->ctx());
        QVERIFY(w->load());
        w->show();
    }
    // The stored rows, a null value as "Null".
    QList<QVariantList> stored(const QString& columns)
    {
        QList<QVariantList> rows = t->rows("SELECT " + columns + " FROM SNAPSHOT ORDER BY SNAPID");
        for (QVariantList& row : rows)
            for (QVariant& value : row)
                value = value.isNull() ? QVariant("Null") : value;
        return rows;
    }
    QStringList row(QTreeWidgetItem* item)
    {
        QStringList texts;
        for (int c = 0; item && c < w->lstSnapShot->columnCount(); ++c)
            texts << item->text(c);
        return texts;
    }
    QList<QStringList> history()
    {
        QList<QStringList> rows;
        for (int i = 0; i < w->lstSnapShot->topLevelItemCount(); ++i)
            rows << row(w->lstSnapShot->topLevelItem(i));
        return rows;
    }
    QStringList inputs()
    {
        QStringList texts;
        for (int p = 0; p < w->valueSlots().count(); ++p)
            texts << w->txtSnapShot[p]->text();
        return texts;
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
    void init()
    {
        t = std::make_unique<TestContext>();
        t->ctx().currentUser = "USER1"; // labels Weight, Waist, Chest, Thighs
    }
    void cleanup()
    {
        w.reset();
        t.reset();
    }

    void onlyLabelledValuesAreShownAndWritten()
    {
        setLabels({"", "Weight", "", "", "", "", "Blood Pressure", ""});
        addSnap(1, "2003-05-14 07:30:00", 99, 70.5);
        addSnap(2, "2003-05-14 07:30:00", 99, 70.5, "USER2");
        open();
        QCOMPARE(row(w->lstSnapShot->headerItem()), (QStringList{"Date", "Weight", "Blood Pressure", "Comments"}));
        QCOMPARE(w->lblSnapValue[0]->text(), QString("Weight"));
        QCOMPARE(w->lblSnapValue[1]->text(), QString("Blood Pressure"));
        for (int p = 0; p < 8; ++p) {
            QCOMPARE(w->txtSnapShot[p]->isVisible(), p < 2);
            QCOMPARE(w->txtSnapShot[p]->isEnabled(), p < 2);
            QCOMPARE(w->lblSnapValue[p]->isVisible(), p < 2);
        }
        QCOMPARE(inputs(), (QStringList{"0.00", " "}));
        QCOMPARE(history(), QList<QStringList>{(QStringList{"2003/05/14 07:30 AM", "70.5", "120/80", "before"})});
        QVERIFY(!w->cmdSave->isEnabled() && !w->cmdEdit->isEnabled() && !w->cmdDelete->isEnabled());

        // Editing writes the shown values only: value 1 keeps what it held.
        select(1);
        w->cmdEdit->click();
        QCOMPARE(inputs(), (QStringList{"70.5", "120/80"}));
        QVERIFY(!w->cmdSave->isEnabled());
        enter({"71", "125/85"});
        w->cmdSave->click();
        // A new one with a blank weight stores null and shows a blank; texts keep 15 characters.
        enter({"", "130/85 after a long run"}, "");
        w->cmdSave->click();
        QCOMPARE(prompts().count(), 0);
        QCOMPARE(stored("SNAPID, USERNAME, SNAPVAL1, SNAPVAL2, SNAPVAL7, SNAPVAL3, SNAPVAL8"),
                 (QList<QVariantList>{{1, "USER1", 99.0, 71.0, "125/85", "Null", "Null"},
                                      {2, "USER2", 99.0, 70.5, "120/80", "Null", "Null"},
                                      {3, "USER1", "Null", "Null", "130/85 after a ", "Null", "Null"}}));
        QCOMPARE(history().last().mid(1), (QStringList{" ", "130/85 after a ", ""}));
    }

    void noLabelsLeaveDateTimeAndComment()
    {
        setLabels({});
        open();
        QCOMPARE(row(w->lstSnapShot->headerItem()), (QStringList{"Date", "Comments"}));
        for (int p = 0; p < 8; ++p)
            QVERIFY(!w->txtSnapShot[p]->isVisible());
        w->txtComments->setText("only a note");
        QVERIFY(w->save());
        QCOMPARE(stored("SNAPVAL1, SNAPVAL7, SNAPCOMMENTS"), (QList<QVariantList>{{"Null", "Null", "only a note"}}));
    }

    void badNumbersStoreNothing_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("message");
        QTest::newRow("abc and x1") << QStringList{"abc", "70", "x1", ""} << "Snapshot value(s) Weight, Chest must be numeric!";
        QTest::newRow("inf, nan, too large") << QStringList{"inf", "nan", "1", "1e999"}
                                             << "Snapshot value(s) Weight, Waist, Thighs must be numeric!";
    }
    void badNumbersStoreNothing()
    {
        QFETCH(QStringList, values);
        QFETCH(QString, message);
        open();
        enter(values, "kept");
        QVERIFY(!w->save());
        QCOMPARE(prompts().shown(),
                 QList<Prompt>{(Prompt{PromptIcon::Exclamation, PromptButtons::Ok, "Snapshot Data Error", message})});
        QCOMPARE(t->scalar("SELECT count(*) FROM SNAPSHOT"), QVariant(0));
        QCOMPARE(inputs(), values);
        QVERIFY(w->isDirty() && w->cmdSave->isEnabled());
        // Done with Yes keeps what could not be stored on screen.
        prompts().queueYes();
        w->cmdDone->click();
        QVERIFY(w->isVisible());
        QCOMPARE(prompts().texts().mid(1),
                 (QStringList{"SnapShot data has changed.  Do you wish to save it?", message}));
    }

    void saveKeepsTheMinuteAndTimeOrder()
    {
        addSnap(1, "2003-05-13 08:00:00", 80);
        addSnap(2, "2003-05-15 08:00:00", 81);
        open();
        w->dtDate->setDate(QDate(2003, 5, 14));
        w->dtTime->setTime(QTime(22, 15, 59));
        const QString comment = "Tom's \"big\" day; " + QString(250, 'x');
        enter({"79.5", "", "", ""}, comment);
        QVERIFY(w->save());
        QCOMPARE(stored("SNAPDATETM, SNAPCOMMENTS").last(), (QVariantList{"2003-05-14 22:15:00", comment.left(199)}));
        const QList<QStringList> shown = history();
        QCOMPARE(shown.value(1), (QStringList{"2003/05/14 10:15 PM", "79.5", " ", " ", " ", comment.left(199)}));
        // After a save the details start afresh.
        QCOMPARE(w->mode(), QString("NEW"));
        QCOMPARE(inputs(), (QStringList{"0.00", "0.00", "0.00", "0.00"}));
        QVERIFY(!w->isDirty() && !w->cmdSave->isEnabled());
        // The next opening shows what was stored, in the same order.
        open();
        QCOMPARE(history(), shown);
    }

    void editKeepsItsIdAndFindsItAgain()
    {
        addSnap(1, "2003-05-13 08:00:00", 80);
        addSnap(2, "2003-05-15 08:00:00", 81);
        open();
        select(1);
        w->cmdEdit->click();
        QCOMPARE(w->mode(), QString("1"));
        QCOMPARE(QDateTime(w->dtDate->date(), w->dtTime->time()), QDateTime(QDate(2003, 5, 13), QTime(8, 0)));
        QCOMPARE(w->txtComments->text(), QString("before"));
        w->dtDate->setDate(QDate(2003, 5, 16));
        QVERIFY(w->cmdSave->isEnabled());
        w->cmdSave->click();
        QCOMPARE(stored("SNAPID, SNAPDATETM, SNAPVAL1"),
                 (QList<QVariantList>{{1, "2003-05-16 08:00:00", 80.0}, {2, "2003-05-15 08:00:00", 81.0}}));
        QCOMPARE(t->scalar("SELECT KeyValue FROM TableKey WHERE KeyName = 'SNAPSHOT'"), QVariant(2));
        // The row moved to its new time and stays the chosen one.
        QCOMPARE(w->lstSnapShot->indexOfTopLevelItem(w->rowOf(1)), 1);
        QVERIFY(w->rowOf(1)->isSelected() && w->cmdEdit->isEnabled());
        w->cmdEdit->click();
        QCOMPARE(w->dtDate->date(), QDate(2003, 5, 16));
    }

    void unsavedChangesAreOfferedForSaving_data()
    {
        QTest::addColumn<Move>("move");
        QTest::addColumn<PromptAnswer>("answer");
        QTest::addColumn<int>("buttons"); // of the question; -1 when none is asked
        QTest::addColumn<QVariant>("weight"); // row 1's after the move
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("dirty");
        const int yesNo = int(PromptButtons::YesNo), yesNoCancel = int(PromptButtons::YesNoCancel);
        using A = PromptAnswer;
        QTest::newRow("select other, yes") << Move::SelectOther << A::Yes << yesNo << QVariant(75.0) << true << false;
        QTest::newRow("select other, no") << Move::SelectOther << A::No << yesNo << QVariant(80.0) << true << false;
        QTest::newRow("select the same") << Move::SelectSame << A::No << -1 << QVariant(80.0) << true << true;
        QTest::newRow("new, yes") << Move::New << A::Yes << yesNoCancel << QVariant(75.0) << true << false;
        QTest::newRow("new, no") << Move::New << A::No << yesNoCancel << QVariant(80.0) << true << false;
        QTest::newRow("new, cancel") << Move::New << A::Cancel << yesNoCancel << QVariant(80.0) << true << true;
        QTest::newRow("done, yes") << Move::Done << A::Yes << yesNoCancel << QVariant(75.0) << false << false;
        QTest::newRow("done, no") << Move::Done << A::No << yesNoCancel << QVariant(80.0) << false << true;
        QTest::newRow("done, cancel") << Move::Done << A::Cancel << yesNoCancel << QVariant(80.0) << true << true;
        QTest::newRow("close box, cancel") << Move::CloseBox << A::Cancel << yesNoCancel << QVariant(80.0) << true << true;
    }
    void unsavedChangesAreOfferedForSaving()
    {
        QFETCH(Move, move);
        QFETCH(PromptAnswer, answer);
        QFETCH(int, buttons);
        addSnap(1, "2003-05-13 08:00:00", 80);
        addSnap(2, "2003-05-15 08:00:00", 81);
        open();
        select(1);
        w->cmdEdit->click();
        enter({"75"});
        prompts().queue(answer);
        switch (move) {
        case Move::SelectOther:
            select(2);
            break;
        case Move::SelectSame:
            w->lstSnapShot->clearSelection();
            select(1);
            break;
        case Move::New:
            w->cmdNew->click();
            break;
        case Move::Done:
            w->cmdDone->click();
            break;
        case Move::CloseBox:
            w->close();
            break;
        }
        if (buttons < 0) {
            QCOMPARE(prompts().count(), 0);
        } else {
            QCOMPARE(prompts().shown(), QList<Prompt>{(Prompt{PromptIcon::Question, PromptButtons(buttons),
                                                              "Physical SnapShot",
                                                              "SnapShot data has changed.  Do you wish to save it?"})});
        }
        QTEST(t->scalar("SELECT SNAPVAL1 FROM SNAPSHOT WHERE SNAPID = 1"), "weight");
        QTEST(w->isVisible(), "open");
        QTEST(w->isDirty(), "dirty");
        QCOMPARE(t->scalar("SELECT count(*) FROM SNAPSHOT"), QVariant(2));
        QCOMPARE(w->cmdSave->isEnabled(), w->isDirty());
        if (w->isDirty() && w->isVisible())
            QCOMPARE(inputs().first(), QString("75"));
    }

    void editAndDeleteActOnTheChosenRow()
    {
        addSnap(1, "2003-05-13 08:00:00", 80);
        addSnap(2, "2003-05-15 08:00:00", 81);
        open();
        // Choosing a row and typing starts a new snapshot; the chosen one stays as it was.
        select(1);
        enter({"90"});
        QVERIFY(w->save());
        QCOMPARE(stored("SNAPID, SNAPVAL1"), (QList<QVariantList>{{1, 80.0}, {2, 81.0}, {3, 90.0}}));
        // The save left the recordset on the new row; Delete still deletes the chosen one.
        QVERIFY(w->rowOf(1)->isSelected() && w->cmdDelete->isEnabled());
        prompts().queueNo();
        w->cmdDelete->click();
        QCOMPARE(t->scalar("SELECT count(*) FROM SNAPSHOT"), QVariant(3));
        prompts().queueYes();
        w->cmdDelete->click();
        QCOMPARE(prompts().shown().last(), (Prompt{PromptIcon::Question, PromptButtons::YesNo, "Physical SnapShot",
                                                   "Are you sure you want to Delete the selected entry?"}));
        QCOMPARE(stored("SNAPID"), (QList<QVariantList>{{2}, {3}}));
        QCOMPARE(w->rowOf(1), nullptr);
        QCOMPARE(w->lstSnapShot->topLevelItemCount(), 2);
        QVERIFY(w->lstSnapShot->selectedItems().isEmpty() && !w->cmdEdit->isEnabled() && !w->cmdDelete->isEnabled());
        // After New and a save, Edit shows the chosen row, not the new one.
        select(2);
        w->cmdNew->click();
        enter({"95"});
        w->cmdSave->click();
        w->cmdEdit->click();
        QCOMPARE(w->mode(), QString("2"));
        QCOMPARE(inputs().first(), QString("81"));
    }

    void openedFromTheMainWindowAndSeenByThePurge()
    {
        MainWindowFixture f;
        f.load();
        QAction* tool = f.main().findChild<QAction*>("mnuToolsSnapshot");
        QVERIFY(tool->isEnabled() && f.main().findChild<QAction*>("tbSnapShot")->isEnabled());
        // Two snapshots entered through the window, either side of the purge's last second.
        QStringList seen;
        whenModal([&](QWidget* modal) {
            auto* d = qobject_cast<SnapshotWindow*>(modal);
            const auto close = qScopeGuard([modal] { static_cast<QDialog*>(modal)->done(0); });
            if (!d)
                return;
            seen << d->windowTitle() << QString::number(d->cmdReport->isEnabled());
            for (const QDateTime& taken : {QDateTime(QDate(2003, 5, 14), QTime(23, 59, 59)),
                                           QDateTime(QDate(2003, 5, 15), QTime(0, 0, 30))}) {
                d->dtDate->setDate(taken.date());
                d->dtTime->setTime(taken.time());
                d->txtSnapShot[0]->setText("70");
                d->cmdSave->click();
            }
            d->cmdHelp->click();
            auto* help = d->findChild<HelpWindow*>();
            seen << (help ? help->currentFile() : QString("no help"));
            d->cmdDone->click();
            seen << QString::number(d->isVisible());
        });
        tool->trigger();
        QCOMPARE(seen, (QStringList{"Physical SnapShot", "1", "snapshot.html", "0"}));
        QCOMPARE(f.test.rows("SELECT USERNAME, SNAPDATETM FROM SNAPSHOT ORDER BY SNAPID"),
                 (QList<QVariantList>{{"USER1", "2003-05-14 23:59:00"}, {"USER1", "2003-05-15 00:00:00"}}));

        f.prompts().queueYes();
        whenModal([&](QWidget* modal) {
            const auto close = qScopeGuard([modal] { modal->close(); });
            if (auto* d = qobject_cast<PurgeDialog*>(modal)) {
                d->dtLoDate->setDate(QDate(2003, 5, 14));
                d->dtHighDate->setDate(QDate(2003, 5, 14));
                d->OKButton->click();
            }
        });
        f.main().toolsPurgeSnapshot();
        // A fresh window reads what is left.
        int rows = -1;
        whenModal([&](QWidget* modal) {
            if (auto* d = qobject_cast<SnapshotWindow*>(modal))
                rows = d->lstSnapShot->topLevelItemCount();
            static_cast<QDialog*>(modal)->done(0);
        });
        f.main().findChild<QAction*>("tbSnapShot")->trigger();
        QCOMPARE(rows, 1);
        QCOMPARE(f.test.rows("SELECT SNAPDATETM FROM SNAPSHOT"), (QList<QVariantList>{{"2003-05-15 00:00:00"}}));
    }

    void reportAsksForTheSnapshotReportRange()
    {
        open();
        QVERIFY(w->cmdReport->isEnabled());
        QString seen;
        QWidget* parent = nullptr;
        whenModal([&](QWidget* modal) {
            seen = modal->objectName();
            parent = modal->parentWidget();
            modal->close();
        });
        w->cmdReport->click();
        QCOMPARE(seen, QString("frmReportCritSnap"));
        QCOMPARE(parent, w.get());
        QVERIFY(!t->ctx().dataSource().rsSnapShotReport.isOpen());
    }
};

QTEST_MAIN(SnapshotWindowTest)
#include "tst_snapshotwindow.moc"
