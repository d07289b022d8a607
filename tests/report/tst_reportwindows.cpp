#include "data/orvdatasource.h"
#include "mainwindowfixture.h"
#include "graph/graphwindow.h"
#include "print/recordingsurface.h"
#include "report/dietreportwindow.h"
#include "report/reportcriteriadialog.h"
#include "report/reportlauncher.h"
#include "report/reportmodel.h"
#include "report/snapshotreportwindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Answers the modal windows that the code under test opens, in order, one
// handler each, and records the name of every modal window; a window left
// without a handler is closed. Nothing waits on a window that nobody closes.
class ModalScript
{
public:
    explicit ModalScript(QList<std::function<void(QWidget*)>> handlers) : m_handlers(std::move(handlers))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(5);
    }
    QStringList seen;

private:
    void poll()
    {
        QWidget* window = QApplication::activeModalWidget();
        if (!window || window == m_last)
            return;
        m_last = window;
        seen.append(window->objectName());
        if (!m_handlers.isEmpty())
            m_handlers.takeFirst()(window);
        else
            window->close();
    }

    QList<std::function<void(QWidget*)>> m_handlers;
    QPointer<QWidget> m_last;
    QTimer m_timer;
    ModalGuard::Expecting m_expecting;
};

const QDate kFirst(2003, 5, 14);
const QDate kLast(2003, 5, 15);

// Picks 14 to 15 May (at 8 in the morning) and presses OK.
void pickDaysAndOk(QWidget* window, const QStringList& check = {})
{
    auto* dialog = qobject_cast<ReportCriteriaDialog*>(window);
    QVERIFY(dialog);
    dialog->dtLoDate->setDateTime(QDateTime(kFirst, QTime(8, 0)));
    dialog->dtHighDate->setDateTime(QDateTime(kLast, QTime(8, 0)));
    for (const QString& name : check)
        dialog->findChild<QCheckBox*>(name)->setChecked(true);
    dialog->OKButton->click();
}

void cancel(QWidget* window)
{
    qobject_cast<ReportCriteriaDialog*>(window)->CancelButton->click();
}

QStringList firstColumn(const QAbstractItemModel& model)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.append(model.index(row, 0).data().toString());
    return texts;
}

} // namespace

// The criteria dialogs, the launches from the main window and the report
// windows' printing and export.
class ReportWindowsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;
    QTemporaryDir dir;

    MainWindow& main() { return f->main(); }
    OrvDataSource& ds() { return f->ctx().dataSource(); }
    QAction* action(const char* name) { return main().findChild<QAction*>(name); }
    bool launchesEnabled() { return action("mnuToolsDietReport")->isEnabled() && action("tbReport")->isEnabled(); }

    void addSnapshot(int id, const QDateTime& when, const QString& comment)
    {
        f->test.exec("INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPVAL1, SNAPDATETM, SNAPCOMMENTS) "
                     "VALUES (?, 'USER1', ?, ?, ?)",
                     {id, 70 + id, when.toString("yyyy-MM-dd HH:mm:ss"), comment});
    }

    std::unique_ptr<DietReportWindow> dietWindow(const QDate& lo, const QDate& hi, bool totalsOnly = false)
    {
        ds().cmdDietReport(lo, hi, "USER1");
        auto window = std::make_unique<DietReportWindow>(f->ctx());
        window->setWindowTitle(window->windowTitle() + "  05/14/03 - 05/15/03");
        window->TotalsOnly = totalsOnly;
        window->ShowPercentages = true;
        window->buildReport();
        return window;
    }

private slots:
    void init()
    {
        f = std::make_unique<MainWindowFixture>();
        f->test.addDietRow("USER1", kFirst, "MEAL0", "Apples, raw", 1);
        f->test.addDietRow("USER1", kLast, "MEAL1", "=HYPERLINK(\"x\")", 2);
        f->load();
    }
    void cleanup() { f.reset(); }

    void criteriaDialogs_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("label");
        using K = ReportCriteriaDialog::Kind;
        QTest::newRow("diet report") << int(K::DietReport) << "frmReportCrit" << "Diet Activity Report Criteria"
                                     << "Enter the Date Range you want reported:";
        QTest::newRow("diet graph") << int(K::DietGraph) << "frmReportCritGraph" << "Diet Activity Graph Criteria"
                                    << "Enter the Date Range you want to graph:";
        QTest::newRow("snapshot report") << int(K::SnapshotReport) << "frmReportCritSnap"
                                         << "Snapshot Activity Report Criteria"
                                         << "Enter the Date Range you want reported:";
    }

    void criteriaDialogs()
    {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, label);
        ReportCriteriaDialog dialog{ReportCriteriaDialog::Kind(kind)};
        QCOMPARE(dialog.objectName(), name);
        QCOMPARE(dialog.windowTitle(), caption);
        QCOMPARE(dialog.Label1->text(), label);
        QCOMPARE(dialog.dialogResult(), QString());
        for (QDateTimeEdit* picker : {dialog.dtLoDate, dialog.dtHighDate})
            QVERIFY(qAbs(picker->dateTime().secsTo(QDateTime::currentDateTime())) < 120);
        const bool options = ReportCriteriaDialog::Kind(kind) == ReportCriteriaDialog::Kind::DietReport;
        QCOMPARE(dialog.findChildren<QCheckBox*>().size(), options ? 5 : 0);
        if (options) {
            QVERIFY(dialog.chkShowPercentages->isChecked());
            for (QCheckBox* box : {dialog.chkShowAverages, dialog.chkTotalsOnly, dialog.chkShowSnapshot, dialog.chkMealBreak})
                QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
        }
    }

    void totalsOnlyTurnsMealsAndSnapshotsOff()
    {
        ReportCriteriaDialog dialog(ReportCriteriaDialog::Kind::DietReport);
        dialog.chkMealBreak->setChecked(true);
        dialog.chkShowSnapshot->setChecked(true);
        dialog.chkTotalsOnly->click();
        for (QCheckBox* box : {dialog.chkMealBreak, dialog.chkShowSnapshot}) {
            QVERIFY(!box->isChecked());
            QVERIFY(!box->isEnabled());
        }
        dialog.chkTotalsOnly->click();
        for (QCheckBox* box : {dialog.chkMealBreak, dialog.chkShowSnapshot}) {
            QVERIFY(!box->isChecked());
            QVERIFY(box->isEnabled());
        }
    }

    void howTheDialogClosesIsItsResult_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("result");
        QTest::newRow("OK") << "ok" << "OK";
        QTest::newRow("Cancel") << "cancel" << "CANCEL";
        QTest::newRow("close box") << "close" << "CANCEL";
        QTest::newRow("Escape") << "escape" << "CANCEL";
    }

    void howTheDialogClosesIsItsResult()
    {
        QFETCH(QString, how);
        QFETCH(QString, result);
        ReportCriteriaDialog dialog(ReportCriteriaDialog::Kind::SnapshotReport);
        dialog.show();
        if (how == "ok")
            dialog.OKButton->click();
        else if (how == "cancel")
            dialog.CancelButton->click();
        else if (how == "close")
            dialog.close();
        else
            QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(dialog.dialogResult(), result);
        QVERIFY(dialog.isHidden());
    }

    void commandsOpenTheirCriteria_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("dialog");
        QTest::newRow("Tools menu: diet") << "mnuToolsDietReport" << "frmReportCrit";
        QTest::newRow("Report button") << "tbReport" << "frmReportCrit";
        QTest::newRow("drop-down: diet") << "DIETRPT" << "frmReportCrit";
        QTest::newRow("Tools menu: snapshots") << "mnuToolsSnapshotReport" << "frmReportCritSnap";
        QTest::newRow("drop-down: snapshots") << "SNAPSHOTRPT" << "frmReportCritSnap";
    }

    // Cancel runs no query and shows no report; the launch's commands are
    // disabled while it runs and enabled again afterwards.
    void commandsOpenTheirCriteria()
    {
        QFETCH(QString, command);
        QFETCH(QString, dialog);
        QVERIFY(action(qPrintable(command))->isEnabled());
        bool heldWhileOpen = false;
        ModalScript script({[&](QWidget* window) {
            heldWhileOpen = !launchesEnabled();
            cancel(window);
        }});
        action(qPrintable(command))->trigger();
        QCOMPARE(script.seen, QStringList{dialog});
        QCOMPARE(heldWhileOpen, dialog == "frmReportCrit");
        QVERIFY(launchesEnabled());
        QVERIFY(!ds().rsDietReport.isOpen());
        QVERIFY(!ds().rsSnapShotReport.isOpen());
        QCOMPARE(f->prompts().count(), 0);
    }

    void dietReportLaunch()
    {
        QString caption;
        QStringList rows;
        bool flags = false;
        ModalScript script({[](QWidget* w) { pickDaysAndOk(w, {"chkMealBreak", "chkShowAverages"}); },
                            [&](QWidget* w) {
                                auto* report = qobject_cast<DietReportWindow*>(w);
                                caption = report->windowTitle();
                                rows = firstColumn(report->model());
                                flags = report->MealBreak && report->ShowAverages && report->ShowPercentages &&
                                        !report->TotalsOnly && !report->ShowSnapshot;
                                QVERIFY(!launchesEnabled());
                                QVERIFY(ds().rsDietReport.isOpen());
                                report->cmdQuit->click();
                            }});
        action("mnuToolsDietReport")->trigger();
        QCOMPARE(script.seen, (QStringList{"frmReportCrit", "frmReport"}));
        QCOMPARE(caption, QString("Diet Activity Report  05/14/03 - 05/15/03"));
        QVERIFY(flags);
        QVERIFY(rows.contains("  05/14/2003 - Breakfast Totals:"));
        QVERIFY(rows.contains("     Daily Averages:"));
        QVERIFY(!ds().rsDietReport.isOpen());
        QVERIFY(launchesEnabled());
    }

    // From the main window or from any other window: whole days.
    void snapshotReportLaunch()
    {
        addSnapshot(1, QDateTime(kFirst, QTime(0, 0)), "too early");
        addSnapshot(2, QDateTime(kFirst, QTime(0, 0, 1)), "first second");
        addSnapshot(3, QDateTime(kLast, QTime(23, 30)), "late");
        addSnapshot(4, QDateTime(kLast.addDays(1), QTime(0, 0)), "next day");
        QString caption;
        QStringList rows;
        bool landscape = false;
        QWidget other;
        ModalScript script({[](QWidget* w) { pickDaysAndOk(w); }, [&](QWidget* w) {
                                auto* report = qobject_cast<SnapshotReportWindow*>(w);
                                caption = report->windowTitle();
                                rows = firstColumn(report->model());
                                landscape = report->chkLandscape->isChecked();
                                QCOMPARE(report->parentWidget(), &other);
                                report->cmdQuit->click();
                            }});
        ReportLauncher::snapshotReport(f->ctx(), &other);
        QCOMPARE(script.seen, (QStringList{"frmReportCritSnap", "frmReportSnap"}));
        QCOMPARE(caption, QString("Snapshot Activity Report  05/14/03 - 05/15/03"));
        QCOMPARE(rows, (QStringList{"2003/05/14 12:00 AM", "2003/05/15 11:30 PM"}));
        QVERIFY(landscape);
        QVERIFY(!ds().rsSnapShotReport.isOpen());
    }

    void graphLaunch()
    {
        {
            ModalScript cancelled({cancel});
            action("DIETGRAPH")->trigger();
            QCOMPARE(cancelled.seen, QStringList{"frmReportCritGraph"});
        }
        QString caption, title;
        int days = -1;
        bool held = false;
        ModalScript picked({[](QWidget* w) { pickDaysAndOk(w); }, [&](QWidget* w) {
                                auto* graph = qobject_cast<GraphWindow*>(w);
                                caption = graph->windowTitle();
                                title = graph->graphTitle();
                                days = graph->data().rowCount();
                                held = !action("mnuToolsDietGraph")->isEnabled() && !action("tbReport")->isEnabled();
                                QCOMPARE(graph->parentWidget(), &main());
                                graph->cmdQuit->click();
                            }});
        action("mnuToolsDietGraph")->trigger();
        QCOMPARE(picked.seen, (QStringList{"frmReportCritGraph", "frmGraph"}));
        QCOMPARE(caption, QString("Diet Activity Graph  05/14/03 - 05/15/03"));
        QCOMPARE(title, QString("05/14/03 - 05/15/03"));
        QCOMPARE(days, 2);
        QVERIFY(held);
        QVERIFY(!ds().rsDietGraph.isOpen());
        QVERIFY(action("mnuToolsDietGraph")->isEnabled());
        QVERIFY(action("tbReport")->isEnabled());
    }

    void emptyDietReportHasNothingToPrint()
    {
        auto window = dietWindow(QDate(2001, 1, 1), QDate(2001, 1, 31), true);
        QCOMPARE(window->model().rowCount(), 0);
        QCOMPARE(window->model().columnCount(), 9);
        QCOMPARE(window->model().headerData(0, Qt::Horizontal).toString(), QString("Date"));
        for (QPushButton* b : {window->cmdPrint, window->cmdPreview, window->cmdSavePdf, window->cmdExport})
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(window->cmdQuit->isEnabled());
    }

    void dietReportPrintsWideColumnsAndKeepsThem()
    {
        auto window = dietWindow(kFirst, kLast);
        QVERIFY(!window->lstReport->showGrid());
        window->chkGridlines->click();
        QVERIFY(window->lstReport->showGrid());

        RecordingSurface surface;
        QVERIFY(window->layOut(surface, false));
        QCOMPARE(surface.orientation(), int(PrintSurface::kLandscape));
        QVector<double> wide(10, 1000);
        wide[0] = 5000;
        QCOMPARE(window->columnWidths(), wide);
        QCOMPARE(window->lstReport->horizontalHeader()->sectionSize(0), qRound(5000 / window->twipsPerPixel()));
        const QStringList texts = surface.textStrings();
        QVERIFY(texts.contains("Diet Activity Report  05/14/03 - 05/15/03 for User 1"));
        QVERIFY(texts.contains("Report Grand Totals:"));
        QVERIFY(texts.contains("Fiber"));
        // The footer with the page's number and the rows' pictures.
        QVERIFY(std::any_of(texts.begin(), texts.end(), [](const QString& t) { return t.endsWith("Page 1"); }));
        QVERIFY(std::any_of(surface.ops.begin(), surface.ops.end(),
                            [](const PrintOp& op) { return op.kind == PrintOp::Kind::Picture && op.text == "report"; }));
        QCOMPARE(f->prompts().count(), 0);
    }

    void snapshotReportPrintsAsShown_data()
    {
        QTest::addColumn<bool>("landscape");
        QTest::newRow("landscape") << true;
        QTest::newRow("portrait") << false;
    }

    void snapshotReportPrintsAsShown()
    {
        QFETCH(bool, landscape);
        addSnapshot(1, QDateTime(kFirst, QTime(9, 0)), "after breakfast");
        ds().cmdSnapShotReport(QDateTime(kFirst, QTime(0, 0, 1)), QDateTime(kLast, QTime(23, 59, 59)), "USER1");
        SnapshotReportWindow window(f->ctx());
        QCOMPARE(window.columnWidths().first(), 2600.0);
        window.chkLandscape->setChecked(landscape);
        window.lstReport->horizontalHeader()->resizeSection(1, 50);
        RecordingSurface surface;
        QVERIFY(window.layOut(surface, false));
        QCOMPARE(surface.orientation(), int(landscape ? PrintSurface::kLandscape : PrintSurface::kPortrait));
        QCOMPARE(window.columnWidths().at(1), 50 * window.twipsPerPixel());
        QVERIFY(surface.textStrings().contains("after breakfast")); // trimmed when printed
    }

    void exportAndPdfButtons()
    {
        auto window = dietWindow(kFirst, kLast);
        QString chosen;
        QStringList asked;
        window->chooseFile = [&](const QString& caption, const QString& suggested, const QString&) {
            asked.append(caption + ": " + QFileInfo(suggested).fileName());
            return chosen;
        };
        chosen = dir.filePath("report.csv");
        window->cmdExport->click();
        const QByteArray csv = fileBytes(chosen);
        QVERIFY(csv.startsWith("\xEF\xBB\xBF" "Food Name,Servings,Calories,Fat,Chol,Sodium,Carbs,Protein,Fiber,Sugars\r\n"));
        QVERIFY(csv.contains("\r\n\"Apples, raw\",1.00,4.0,1.0,"));
        QVERIFY(csv.contains("\r\n\"'=HYPERLINK(\"\"x\"\")\",1.00,8.0,2.0,"));

        chosen = dir.filePath("report.pdf");
        window->cmdSavePdf->click();
        QVERIFY(fileBytes(chosen).startsWith("%PDF-"));
        QCOMPARE(asked, (QStringList{"Export: Diet Activity Report 05-14-03 - 05-15-03.csv",
                                     "Save as PDF: Diet Activity Report 05-14-03 - 05-15-03.pdf"}));
        QCOMPARE(f->prompts().count(), 0);

        // A file that cannot be written is named in the message; a cancelled choice writes nothing.
        chosen = dir.filePath("gone/report.csv");
        window->cmdExport->click();
        QCOMPARE(f->prompts().count(), 1);
        QVERIFY(f->prompts().last().text.contains(QDir::toNativeSeparators(chosen)));
        chosen.clear();
        window->cmdExport->click();
        QCOMPARE(f->prompts().count(), 1);
    }
};

QTEST_MAIN(ReportWindowsTest)
#include "tst_reportwindows.moc"
