#include "data/orvdatasource.h"
#include "graph/graphwindow.h"
#include "mainwindowfixture.h"
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

// Answers the modal windows that the code under test opens, one handler each
// in order, and records their names. A window without a handler, or one still
// up after its handler ran (a failed check), is closed: nothing waits for ever.
struct ModalScript
{
    explicit ModalScript(QList<std::function<void(QWidget*)>> handlers) : handlers(std::move(handlers))
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            QWidget* window = QApplication::activeModalWidget();
            if (window && (window == last || this->handlers.isEmpty())) {
                window->close();
            } else if (window) {
                last = window;
                seen.append(window->objectName());
                this->handlers.takeFirst()(window);
            }
        });
        timer.start(5);
    }
    QList<std::function<void(QWidget*)>> handlers;
    QStringList seen;
    QPointer<QWidget> last;
    QTimer timer;
    ModalGuard::Expecting expecting;
};

const QDate kFirst(2003, 5, 14);
const QDate kLast(2003, 5, 15);

// Picks 14 to 15 May (at 8 in the morning), checks the named options and presses OK.
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

    OrvDataSource& ds() { return f->ctx().dataSource(); }
    QAction* action(const QString& name) { return f->main().findChild<QAction*>(name); }
    // The launch's menu item and the "Report" button are off while it runs.
    bool held(const QString& menu) { return !action(menu)->isEnabled() && !action("tbReport")->isEnabled(); }

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
        window->ShowPercentages = true;
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
    }
    void cleanup() { f.reset(); }

    void criteriaDialogs_data()
    {
        QTest::addColumn<ReportCriteriaDialog::Kind>("kind");
        QTest::addColumn<QStringList>("texts"); // name, caption, label
        QTest::addColumn<QString>("closing");   // how the dialog is closed
        QTest::addColumn<QString>("result");
        using K = ReportCriteriaDialog::Kind;
        QTest::newRow("diet report") << K::DietReport
                                     << QStringList{"frmReportCrit", "Diet Activity Report Criteria",
                                                    "Enter the Date Range you want reported:"}
                                     << "OK" << "OK";
        QTest::newRow("diet graph") << K::DietGraph
                                    << QStringList{"frmReportCritGraph", "Diet Activity Graph Criteria",
                                                   "Enter the Date Range you want to graph:"}
                                    << "close box" << "CANCEL";
        QTest::newRow("snapshot report") << K::SnapshotReport
                                         << QStringList{"frmReportCritSnap", "Snapshot Activity Report Criteria",
                                                        "Enter the Date Range you want reported:"}
                                         << "Escape" << "CANCEL";
    }
    void criteriaDialogs()
    {
        QFETCH(ReportCriteriaDialog::Kind, kind);
        QFETCH(QString, closing);
        ReportCriteriaDialog dialog(kind);
        QTEST((QStringList{dialog.objectName(), dialog.windowTitle(), dialog.Label1->text()}), "texts");
        for (QDateTimeEdit* picker : {dialog.dtLoDate, dialog.dtHighDate})
            QVERIFY(qAbs(picker->dateTime().secsTo(QDateTime::currentDateTime())) < 120);
        QStringList checked;
        for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
            if (box->isChecked())
                checked << box->objectName();
        QCOMPARE(checked, kind == ReportCriteriaDialog::Kind::DietReport ? QStringList{"chkShowPercentages"}
                                                                          : QStringList{});
        if (dialog.chkTotalsOnly) {
            // Daily totals alone turn the meal subtotals and snapshots off, and let them be chosen again.
            dialog.chkMealBreak->setChecked(true);
            dialog.chkShowSnapshot->setChecked(true);
            for (bool on : {true, false}) {
                dialog.chkTotalsOnly->click();
                for (QCheckBox* box : {dialog.chkMealBreak, dialog.chkShowSnapshot})
                    QVERIFY(!box->isChecked() && box->isEnabled() == !on);
            }
        }
        dialog.show();
        QCOMPARE(dialog.dialogResult(), QString());
        if (closing == "OK")
            dialog.OKButton->click();
        else if (closing == "Escape")
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.close();
        QTEST(dialog.dialogResult(), "result");
        QVERIFY(dialog.isHidden());
    }

    void launches_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("menu");       // held with the "Report" button while it runs; "" for none
        QTest::addColumn<QStringList>("answer");  // Cancel, or OK after checking the options named
        QTest::addColumn<QStringList>("shown");   // the windows, then the output's caption and some of its texts
        const QStringList dietDialog{"frmReportCrit"}, graphDialog{"frmReportCritGraph"};
        const QStringList snapDialog{"frmReportCritSnap"}, cancel{"Cancel"};
        QTest::newRow("Tools menu: diet, cancelled") << "mnuToolsDietReport" << "mnuToolsDietReport" << cancel
                                                     << dietDialog;
        QTest::newRow("Report button") << "tbReport" << "mnuToolsDietReport" << cancel << dietDialog;
        QTest::newRow("drop-down: graph") << "DIETGRAPH" << "mnuToolsDietGraph" << cancel << graphDialog;
        QTest::newRow("Tools menu: snapshots") << "mnuToolsSnapshotReport" << "" << cancel << snapDialog;
        QTest::newRow("drop-down: diet report") << "DIETRPT" << "mnuToolsDietReport"
                                     << QStringList{"OK", "chkMealBreak", "chkShowAverages"}
                                     << dietDialog + QStringList{"frmReport", "Diet Activity Report  05/14/03 - 05/15/03",
                                                                 "  05/14/2003 - Breakfast Totals:", "     Daily Averages:"};
        // Whole days: from one second after midnight of the first.
        QTest::newRow("drop-down: snapshot report") << "SNAPSHOTRPT" << "" << QStringList{"OK"}
                                         << snapDialog + QStringList{"frmReportSnap",
                                                                     "Snapshot Activity Report  05/14/03 - 05/15/03",
                                                                     "2003/05/14 12:00 AM", "2003/05/15 11:30 PM"};
        QTest::newRow("Tools menu: diet graph") << "mnuToolsDietGraph" << "mnuToolsDietGraph" << QStringList{"OK"}
                                    << graphDialog + QStringList{"frmGraph", "Diet Activity Graph  05/14/03 - 05/15/03",
                                                                 "05/14/03 - 05/15/03", "2 days"};
    }
    // Cancel runs no query and shows nothing; OK shows the output over the
    // picked days. The launch's commands are held while it runs, and every
    // query's rows are closed afterwards.
    void launches()
    {
        QFETCH(QString, command);
        QFETCH(QString, menu);
        QFETCH(QStringList, answer);
        QFETCH(QStringList, shown);
        addSnapshot(1, QDateTime(kFirst, QTime(0, 0)), "too early");
        addSnapshot(2, QDateTime(kFirst, QTime(0, 0, 1)), "first second");
        addSnapshot(3, QDateTime(kLast, QTime(23, 30)), "late");
        QStringList seen;
        bool wasHeld = false;
        ModalScript script({[&](QWidget* w) {
                                wasHeld = held(menu.isEmpty() ? "mnuToolsDietReport" : menu);
                                if (answer.first() == "OK")
                                    pickDaysAndOk(w, answer.mid(1));
                                else
                                    qobject_cast<ReportCriteriaDialog*>(w)->CancelButton->click();
                            },
                            [&](QWidget* w) {
                                seen << w->windowTitle();
                                if (auto* report = qobject_cast<ReportWindow*>(w))
                                    seen << firstColumn(report->model());
                                if (auto* graph = qobject_cast<GraphWindow*>(w))
                                    seen << graph->graphTitle() << QString("%1 days").arg(graph->data().rowCount());
                                QCOMPARE(w->parentWidget(), &f->main());
                                static_cast<QDialog*>(w)->accept();
                            }});
        action(command)->trigger();
        QCOMPARE(script.seen, shown.mid(0, answer.first() == "OK" ? 2 : 1));
        QCOMPARE(wasHeld, !menu.isEmpty());
        QCOMPARE(seen.value(0), shown.value(2));
        for (const QString& text : shown.mid(3))
            QVERIFY2(seen.contains(text), qPrintable(text));
        for (const char* name : {"mnuToolsDietReport", "mnuToolsDietGraph", "tbReport"})
            QVERIFY(action(name)->isEnabled());
        for (Recordset* rows : {&ds().rsDietReport, &ds().rsDietGraph, &ds().rsSnapShotReport})
            QVERIFY(!rows->isOpen());
        QCOMPARE(f->prompts().count(), 0);
    }

    void emptyDietReportHasNothingToPrint()
    {
        auto window = dietWindow(QDate(2001, 1, 1), QDate(2001, 1, 31));
        QCOMPARE(window->model().rowCount(), 0);
        for (QPushButton* b : {window->cmdPrint, window->cmdPreview, window->cmdSavePdf, window->cmdExport})
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(window->cmdQuit->isEnabled());
    }

    void dietReportPrintsWideColumnsAndKeepsThem()
    {
        auto window = dietWindow(kFirst, kLast);
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
        for (const char* text : {"Diet Activity Report  05/14/03 - 05/15/03 for User 1", "Report Grand Totals:", "Fiber"})
            QVERIFY2(texts.contains(text), text);
        QVERIFY(texts.last().endsWith("Page 1"));
        QVERIFY(std::any_of(surface.ops.begin(), surface.ops.end(),
                            [](const PrintOp& op) { return op.kind == PrintOp::Kind::Picture && op.text == "report"; }));
        QCOMPARE(f->prompts().count(), 0);
    }

    void snapshotReportPrintsAsShown()
    {
        addSnapshot(1, QDateTime(kFirst, QTime(9, 0)), "after breakfast");
        ds().cmdSnapShotReport(QDateTime(kFirst, QTime(0, 0, 1)), QDateTime(kLast, QTime(23, 59, 59)), "USER1");
        SnapshotReportWindow window(f->ctx());
        QCOMPARE(window.columnWidths().first(), 2600.0);
        window.lstReport->horizontalHeader()->resizeSection(1, 50);
        QCOMPARE(window.columnWidths().at(1), 50 * window.twipsPerPixel());
        for (int orientation : {PrintSurface::kLandscape, PrintSurface::kPortrait}) {
            RecordingSurface surface;
            QVERIFY(window.layOut(surface, false));
            QCOMPARE(surface.orientation(), orientation);
            QVERIFY(surface.textStrings().contains("after breakfast")); // trimmed when printed
            window.chkLandscape->click();
        }
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
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"
                               "Food Name,Servings,Calories,Fat,Chol,Sodium,Carbs,Protein,Fiber,Sugars\r\n"));
        QVERIFY(csv.contains(QString("\r\n\"Crème brûlée, \"\"home\"\"\",1.00,4.0,1.0,").toUtf8()));
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
        QVERIFY(f->prompts().last().text.contains(QDir::toNativeSeparators(chosen)));
        chosen.clear();
        window->cmdExport->click();
        QCOMPARE(f->prompts().count(), 1);
    }
};

QTEST_MAIN(ReportWindowsTest)
#include "tst_reportwindows.moc"
