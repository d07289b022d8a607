#include "data/orvdatasource.h"
#include "goals/dailygoals.h"
#include "graph/graphwindow.h"
#include "mainwindowfixture.h"
#include "print/recordingsurface.h"
#include "report/dietreportwindow.h"
#include "report/reportcriteriadialog.h"
#include "report/reportmodel.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {
const QDate kFirst(2003, 5, 14);
const QDate kLast(2003, 5, 15);
} // namespace

// The criteria dialogs, the launches from the main window and the report
// windows' printing and export.
class ReportWindowsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f;
    QTemporaryDir dir;

    OrvDataSource& ds() { return f->ctx().dataSource(); }
    QAction* action(const QString& name) { return f->main().findChild<QAction*>(name); }
    void addSnapshot(int id, const QDateTime& when, const QString& comment)
    {
        f->test.exec("INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPVAL1, SNAPDATETM, SNAPCOMMENTS) "
                     "VALUES (?, 'USER1', ?, ?, ?)",
                     {id, 70 + id, when.toString("yyyy-MM-dd HH:mm:ss"), comment});
    }
    std::unique_ptr<DietReportWindow> dietWindow(const QDate& lo, const QDate& hi)
    {
        ds().cmdDietReport(lo, hi, "USER1");
        auto window = std::make_unique<DietReportWindow>(f->ctx());
        window->setWindowTitle(window->windowTitle() + "  05/14/03 - 05/15/03");
        window->ShowPercentages = window->ShowGoals = true;
        window->buildReport();
        return window;
    }

private slots:
    void init()
    {
        f = std::make_unique<MainWindowFixture>();
        f->test.addDietRow("USER1", kFirst, "MEAL0", "Crème brûlée, \"home\"", 1);
        f->test.addDietRow("USER1", kLast, "MEAL1", "=HYPERLINK(\"x\")", 2);
        f->load();
        DailyGoals::write(f->ctx(), "USER1", {"", "", "", "8"}); // a goal of 8 calories
    }
    void cleanup() { f.reset(); }

    void launches_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("menu"); // held with the "Report" button while it runs; "" for none
        // How the criteria dialog is closed (after checking the options named).
        QTest::addColumn<QStringList>("answer");
        // The criteria dialog's name, caption and label, the output's name and caption, then some of its texts.
        QTest::addColumn<QStringList>("shown");
        const QString diet = "mnuToolsDietReport", graph = "mnuToolsDietGraph", reported = "Enter the Date Range you want reported:";
        const QStringList dietDialog{"frmReportCrit", "Diet Activity Report Criteria", reported};
        const QStringList graphDialog{"frmReportCritGraph", "Diet Activity Graph Criteria",
                                      "Enter the Date Range you want to graph:"};
        const QStringList snapDialog{"frmReportCritSnap", "Snapshot Activity Report Criteria", reported};
        QTest::newRow("Report button, Escape") << "tbReport" << diet << QStringList{"Escape"} << dietDialog;
        QTest::newRow("drop-down: graph, close box") << "DIETGRAPH" << graph << QStringList{"close box"} << graphDialog;
        QTest::newRow("Tools menu: snapshots") << "mnuToolsSnapshotReport" << "" << QStringList{"Cancel"} << snapDialog;
        // Percentages are on at first.
        QTest::newRow("drop-down: diet report")
            << "DIETRPT" << diet << QStringList{"OK", "chkMealBreak", "chkShowAverages", "chkShowGoals"}
            << dietDialog + QStringList{"frmReport", "Diet Activity Report  05/14/03 - 05/15/03", "  05/14/2003 - Breakfast Totals:",
                                        "     Daily Averages:", "     Calculated Percentage of Calories:",
                                        "     Share of Daily Goals:"};
        // Whole days: from one second after midnight of the first.
        QTest::newRow("drop-down: snapshot report")
            << "SNAPSHOTRPT" << "" << QStringList{"OK"}
            << snapDialog + QStringList{"frmReportSnap", "Snapshot Activity Report  05/14/03 - 05/15/03",
                                        "2003/05/14 12:00 AM", "2003/05/15 11:30 PM", "2 rows"};
        QTest::newRow("Tools menu: diet graph")
            << graph << graph << QStringList{"OK"}
            << graphDialog + QStringList{"frmGraph", "Diet Activity Graph  05/14/03 - 05/15/03", "05/14/03 - 05/15/03", "2 days"};
    }
    // The criteria dialog starts at the present moment; OK shows the output
    // over the picked days, over the main window; any other way out runs no
    // query and shows nothing. The launch's commands are held while it runs,
    // and every query's rows are closed afterwards.
    void launches()
    {
        QFETCH(QString, command);
        QFETCH(QString, menu);
        QFETCH(QStringList, answer);
        QFETCH(QStringList, shown);
        addSnapshot(1, QDateTime(kFirst, QTime(0, 0)), "too early");
        addSnapshot(2, QDateTime(kFirst, QTime(0, 0, 1)), "first second");
        addSnapshot(3, QDateTime(kLast, QTime(23, 30)), "late");
        QStringList seen, texts;
        bool held = false, now = false, totalsOnly = true, overMain = false;
        whenModal([&](QWidget* window) {
            auto* dialog = qobject_cast<ReportCriteriaDialog*>(window);
            seen << window->objectName() << window->windowTitle() << dialog->Label1->text();
            held = !action("tbReport")->isEnabled() && !action(menu.isEmpty() ? "mnuToolsDietReport" : menu)->isEnabled();
            now = qAbs(dialog->dtLoDate->dateTime().secsTo(QDateTime::currentDateTime())) < 120 &&
                  qAbs(dialog->dtHighDate->dateTime().secsTo(QDateTime::currentDateTime())) < 120;
            if (dialog->chkTotalsOnly) {
                // Daily totals alone turn the meal subtotals and snapshots off, and let them be chosen again.
                dialog->chkMealBreak->setChecked(true);
                dialog->chkShowSnapshot->setChecked(true);
                for (bool on : {true, false}) {
                    dialog->chkTotalsOnly->click();
                    for (QCheckBox* box : {dialog->chkMealBreak, dialog->chkShowSnapshot})
                        totalsOnly = totalsOnly && !box->isChecked() && box->isEnabled() == !on;
                }
            }
            if (answer.first() == "Escape")
                return QTest::keyClick(dialog, Qt::Key_Escape);
            if (answer.first() == "close box")
                return void(dialog->close());
            if (answer.first() == "Cancel")
                return dialog->CancelButton->click();
            whenModal([&](QWidget* output) {
                seen << output->objectName() << output->windowTitle();
                overMain = output->parentWidget() == &f->main();
                if (auto* report = qobject_cast<ReportWindow*>(output))
                    for (int row = -1, rows = report->model().rowCount(); row < rows; ++row)
                        texts << (row < 0 ? QString("%1 rows").arg(rows) : report->model().index(row, 0).data().toString());
                if (auto* graph = qobject_cast<GraphWindow*>(output))
                    texts << graph->graphTitle() << QString("%1 days").arg(graph->data().rowCount());
                output->close();
            });
            dialog->dtLoDate->setDateTime(QDateTime(kFirst, QTime(8, 0)));
            dialog->dtHighDate->setDateTime(QDateTime(kLast, QTime(8, 0)));
            for (const QString& name : answer.mid(1))
                dialog->findChild<QCheckBox*>(name)->setChecked(true);
            dialog->OKButton->click();
        });
        action(command)->trigger();
        QCOMPARE(seen, shown.mid(0, answer.first() == "OK" ? 5 : 3));
        QVERIFY(now && totalsOnly);
        QCOMPARE(held, !menu.isEmpty());
        QCOMPARE(overMain, answer.first() == "OK");
        for (const QString& text : shown.mid(5))
            QVERIFY2(texts.contains(text), qPrintable(text));
        for (const char* name : {"mnuToolsDietReport", "mnuToolsDietGraph", "tbReport"})
            QVERIFY(action(name)->isEnabled());
        for (Recordset* rows : {&ds().rsDietReport, &ds().rsDietGraph, &ds().rsSnapShotReport})
            QVERIFY(!rows->isOpen());
        QCOMPARE(f->prompts().count(), 0);
    }

    // A report without rows offers nothing to print; one with rows prints in
    // landscape with its wide first column.
    void dietReportPrintsWideColumnsAndKeepsThem()
    {
        auto empty = dietWindow(QDate(2001, 1, 1), QDate(2001, 1, 31));
        QCOMPARE(empty->model().rowCount(), 0);
        for (QPushButton* b : {empty->cmdPrint, empty->cmdPreview, empty->cmdSavePdf, empty->cmdExport})
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(empty->cmdQuit->isEnabled());

        auto window = dietWindow(kFirst, kLast);
        window->chkGridlines->click();
        QVERIFY(window->lstReport->showGrid());
        window->show();
        QVERIFY(window->chkGridlines->x() > window->cmdQuit->geometry().right()); // at the right of the buttons
        RecordingSurface surface;
        QVERIFY(window->layOut(surface, false));
        QCOMPARE(surface.orientation(), int(PrintSurface::kLandscape));
        QCOMPARE(window->columnWidths(), QVector<double>{5000} + QVector<double>(9, 1000));
        const QStringList texts = surface.textStrings();
        for (const char* text : {"Diet Activity Report  05/14/03 - 05/15/03 for User 1", "Report Grand Totals:", "Fiber",
                                 "Average Day's Share of Daily Goals:", "75.0%"})
            QVERIFY2(texts.contains(text), text);
        QVERIFY(texts.last().endsWith("Page 1"));
        QVERIFY(std::any_of(surface.ops.begin(), surface.ops.end(),
                            [](const PrintOp& op) { return op.kind == PrintOp::Kind::Picture && op.text == "report"; }));
        QCOMPARE(f->prompts().count(), 0);
    }

    // Export writes the rows as CSV (text that could run as a formula guarded);
    // a file that cannot be written is named in the message; a cancelled choice writes nothing.
    void exportAndPdfButtons()
    {
        auto window = dietWindow(kFirst, kLast);
        QString chosen;
        QStringList asked;
        window->chooseFile = [&](const QString& caption, const QString& suggested, const QString&) {
            asked.append(caption + ": " + QFileInfo(suggested).fileName());
            return chosen;
        };
        for (const char* name : {"report.csv", "report.pdf", "gone/report.csv", ""}) {
            chosen = *name ? dir.filePath(name) : QString();
            (chosen.endsWith(".pdf") ? window->cmdSavePdf : window->cmdExport)->click();
        }
        const QByteArray csv = fileBytes(dir.filePath("report.csv"));
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"
                               "Food Name,Servings,Calories,Fat,Chol,Sodium,Carbs,Protein,Fiber,Sugars\r\n"));
        QVERIFY(csv.contains(QString("\r\n\"Crème brûlée, \"\"home\"\"\",1.00,4.0,1.0,").toUtf8()));
        QVERIFY(csv.contains("\r\n\"'=HYPERLINK(\"\"x\"\")\",1.00,8.0,2.0,"));
        QVERIFY(csv.contains("\r\n     Share of Daily Goals:,,100.0%,,"));
        QVERIFY(fileBytes(dir.filePath("report.pdf")).startsWith("%PDF-"));
        const QString csvName = "Export: Diet Activity Report 05-14-03 - 05-15-03.csv";
        QCOMPARE(asked, (QStringList{csvName, "Save as PDF: Diet Activity Report 05-14-03 - 05-15-03.pdf", csvName,
                                     csvName}));
        QCOMPARE(f->prompts().count(), 1);
        QVERIFY(f->prompts().last().text.contains(QDir::toNativeSeparators(dir.filePath("gone/report.csv"))));
    }
};

QTEST_MAIN(ReportWindowsTest)
#include "tst_reportwindows.moc"
