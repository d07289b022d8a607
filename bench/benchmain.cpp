// foodlark-bench: builds a large database in a temporary folder and times the
// data source's work on it, then the main window's (start-up, clicks, opening
// groups and days, adding an entry, find), then the real program started as a
// new process over the empty seed and over 10- and 50-year logs, printing the
// median of several runs per step against the time each may take.
//
//   foodlark-bench [--runs N] [--only TEXT] [--seed FILE] [--keep FOLDER] [--years N]
#include "app/appcontext.h"
#include "app/configstore.h"
#include "app/processmemory.h"
#include "app/startup.h"
#include "benchdatabase.h"
#include "builder/foodbuilderwindow.h"
#include "data/databasebackup.h"
#include "data/integritycheck.h"
#include "data/orvdatasource.h"
#include "data/recordset.h"
#include "diet/dietdetailswindow.h"
#include "diet/diettree.h"
#include "diet/diettreemodel.h"
#include "diet/dietview.h"
#include "food/findcontroller.h"
#include "food/finddialog.h"
#include "food/foodtree.h"
#include "goals/dailygoals.h"
#include "graph/graphwindow.h"
#include "snapshot/snapshotwindow.h"
#include "transfer/logexport.h"
#include "transfer/logimport.h"
#include "print/printsurface.h"
#include "print/printjob.h"
#include "report/dietreportwindow.h"
#include "report/reportmodel.h"
#include "mainwindowprobe.h"
#include "widgets/nodetree.h"
#include "shell/startupwindows.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>

namespace {

// What a step may take at most on the machine the program is made for: a
// query 50 ms, a click one frame, the start-up a second.
constexpr double kQueryMs = 50.0;
constexpr double kFrameMs = 16.0;
constexpr double kStartUpMs = 1000.0;

// Failures of the data source end up here instead of in a message box.
class ConsolePrompts : public PromptService
{
public:
    PromptAnswer ask(const Prompt& prompt) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(prompt.title), qPrintable(prompt.text));
        ++failures;
        return prompt.buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::No;
    }
    int failures = 0;
};

struct Result
{
    double median = 0;
    double fastest = 0;
    double slowest = 0;
    int rows = -1;
};

// One measured step: prepare runs before each timed run and is not timed; run
// does the timed work and returns the number of rows it produced (or -1).
struct Step
{
    QString name;
    std::function<void()> prepare;
    std::function<int()> run;
    double targetMs = kQueryMs;
    // A line printed under the step's result (what else was measured).
    std::function<QString()> note = nullptr;
};

double median(QList<double> times)
{
    if (times.isEmpty())
        return 0;
    std::sort(times.begin(), times.end());
    const qsizetype mid = times.size() / 2;
    return times.size() % 2 ? times[mid] : (times[mid - 1] + times[mid]) / 2;
}

Result measure(const Step& step, int runs)
{
    QList<double> times;
    Result result;
    for (int i = 0; i < runs; ++i) {
        if (step.prepare)
            step.prepare();
        QElapsedTimer timer;
        timer.start();
        result.rows = step.run();
        times.append(double(timer.nsecsElapsed()) / 1e6);
    }
    result.median = median(times);
    result.fastest = *std::min_element(times.begin(), times.end());
    result.slowest = *std::max_element(times.begin(), times.end());
    return result;
}

// The offscreen platform says, each time a window is shown or raised, that it
// cannot do what only a window manager would; those lines would break up the
// table, so they are dropped and every other message is passed on.
QtMessageHandler passOn = nullptr;
void dropPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message == QLatin1String("This plugin does not support propagateSizeHints()") ||
        message == QLatin1String("This plugin does not support raise()"))
        return;
    passOn(type, context, message);
}

QString thousands(qint64 n)
{
    return QLocale(QLocale::English).toString(n);
}

// Starts a new peak of the resident memory (Linux).
void resetMemoryPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}
// The real program started as a new process from a folder of its own (a copy
// of the executable beside Data/MeboData.mdb, a portable folder, which it
// takes as its data folder), timed from the start to the line it writes once
// its main window is shown (see FOODLARK_STARTUP_PROBE in ui/program.cpp).
// Its settings and user's data folder are folders of their own.
class ColdStart
{
public:
    ColdStart(const QString& folder, const QString& platform) : m_folder(folder), m_platform(platform) {}

    // Copies the program and the database (a log of years years built from the
    // seed, or the seed itself for 0) into the folder.
    void prepare(const QString& seed, int years)
    {
        QDir(m_folder).mkpath(QStringLiteral("Data"));
        QDir(m_folder).mkpath(QStringLiteral("config"));
        const QString program = m_folder + QStringLiteral("/foodlark");
        QFile::remove(program);
        if (!QFile::copy(QStringLiteral(FOODLARK_PROGRAM_FILE), program))
            throw DataError("cannot copy the program to " + program.toStdString());
        const QString database = m_folder + QStringLiteral("/Data/MeboData.mdb");
        if (years > 0) {
            BenchDatabase::build(seed, database, BenchDatabase::Options::withYears(years));
        } else {
            QFile::remove(database);
            if (!QFile::copy(seed, database))
                throw DataError("cannot copy the seed to " + database.toStdString());
            QFile(database).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        }
        // The first start may bring the file up to date; it is not timed.
        run();
        finish();
    }

    // Milliseconds to the shown main window (-1 when it never showed); the
    // resident memory it reported goes to residentKb. The program ends by
    // itself; finish() waits for that.
    double run()
    {
        finish();
        m_process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("FOODLARK_STARTUP_PROBE"), QStringLiteral("1"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_folder + QStringLiteral("/config"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_folder + QStringLiteral("/share"));
        environment.remove(QStringLiteral("FOODLARK_DATA_DIR"));
        if (m_platform.isEmpty())
            environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        else
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), m_platform);
        m_process->setProcessEnvironment(environment);
        m_process->setReadChannel(QProcess::StandardError);
        QElapsedTimer timer;
        timer.start();
        m_process->start(m_folder + QStringLiteral("/foodlark"), {});
        const QByteArray mark = "foodlark-probe: shown,";
        QByteArray output;
        residentKb = -1;
        cpuMs = -1;
        while (m_process->waitForReadyRead(10000)) {
            output += m_process->readAllStandardError();
            const int at = output.indexOf(mark);
            const int end = at < 0 ? -1 : output.indexOf('\n', at);
            if (end > at) {
                const double shown = double(timer.nsecsElapsed()) / 1e6;
                // "rss_kb=N cpu_ms=M"
                for (const QByteArray& field :
                     output.mid(at + mark.size(), end - at - mark.size()).simplified().split(' ')) {
                    if (field.startsWith("rss_kb="))
                        residentKb = field.mid(7).toLongLong();
                    else if (field.startsWith("cpu_ms="))
                        cpuMs = field.mid(7).toDouble();
                }
                return shown;
            }
        }
        std::fprintf(stderr, "foodlark-bench: the program did not show its window:\n%s\n",
                     output.constData());
        return -1;
    }

    void finish()
    {
        if (m_process && !m_process->waitForFinished(10000))
            m_process->kill();
        m_process.reset();
    }

    qint64 residentKb = -1;
    double cpuMs = -1;

private:
    QString m_folder;
    QString m_platform;
    std::unique_ptr<QProcess> m_process;
};

} // namespace

int main(int argc, char** argv)
{
    // The program started as a new process shows its window on the display
    // when there is one (Xvfb will do), else on the offscreen platform.
    const QString programPlatform = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
                                        ? qEnvironmentVariable("QT_QPA_PLATFORM")
                                    : qEnvironmentVariableIsEmpty("DISPLAY") ? QStringLiteral("offscreen")
                                                                             : QString();
    // The windows are measured without a display unless one is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    passOn = qInstallMessageHandler(dropPlatformNotes);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("FoodlarkBench"));
    QCoreApplication::setApplicationName(QStringLiteral("FoodlarkBench"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the Foodlark data source and main window on a large database."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Timed runs per step (default 7)."),
                      QStringLiteral("N"), QStringLiteral("7")});
    parser.addOption({QStringLiteral("only"), QStringLiteral("Run only the steps whose names contain TEXT."),
                      QStringLiteral("TEXT")});
    parser.addOption({QStringLiteral("seed"), QStringLiteral("The seed database to start from."),
                      QStringLiteral("FILE"), QStringLiteral(FOODLARK_SEED_FILE)});
    parser.addOption({QStringLiteral("keep"),
                      QStringLiteral("Build the database in FOLDER/Data/MeboData.mdb and keep it."),
                      QStringLiteral("FOLDER")});
    parser.addOption({QStringLiteral("years"),
                      QStringLiteral("Years of log of the busiest user (default 10)."), QStringLiteral("N"),
                      QStringLiteral("10")});
    parser.process(app);
    const int runs = std::max(1, parser.value(QStringLiteral("runs")).toInt());
    const int years = std::max(1, parser.value(QStringLiteral("years")).toInt());
    const QString logYears = QStringLiteral(" (%1 years)").arg(years);

    QTemporaryDir temporary;
    const QString folder =
        parser.isSet(QStringLiteral("keep")) ? parser.value(QStringLiteral("keep")) : temporary.path();
    QDir(folder).mkpath(QStringLiteral("Data"));

    ConsolePrompts prompts;
    AppContext context(DataFolder(folder + QStringLiteral("/Data")), prompts);
    const BenchDatabase::Options options = BenchDatabase::Options::withYears(years);
    BenchDatabase::Summary summary;
    QElapsedTimer buildTimer;
    buildTimer.start();
    try {
        summary = BenchDatabase::build(parser.value(QStringLiteral("seed")), context.dbPath, options);
    } catch (const DataError& error) {
        std::fprintf(stderr, "foodlark-bench: cannot build the database: %s\n", error.what());
        return 1;
    }
    const qint64 buildMs = buildTimer.elapsed();

    const QString busiest = QStringLiteral("USER1");
    const QDate lastDay = options.lastDay;
    const QDate firstDay = summary.firstDay.value(busiest);
    const QDate yearStart = lastDay.addYears(-1).addDays(1);
    OrvDataSource& ds = context.dataSource();
    auto rows = [](bool ok, const Recordset& rs) { return ok ? rs.recordCount() : -1; };
    auto connected = [&] {
        if (!ds.isConnected())
            ds.connectDB();
    };

    // The main window the window steps work on, opened as the start-up opens it.
    StartupWindows windows;
    windows.loadMainWindow = loadMainWindow<MainWindowProbe>;
    std::unique_ptr<QMainWindow> window;
    auto main = [&] { return static_cast<MainWindowProbe*>(window.get()); };
    auto closeWindow = [&] {
        if (window && main()->foodBuilder())
            main()->foodBuilder()->emptyBuilder(); // nothing to ask about on the way out
        if (window)
            window->close();
        window.reset();
        ds.closeDB();
    };
    auto shown = [&] {
        if (!window && Startup::openDatabase(context))
            window = openWindows(context, windows);
    };
    auto largestGroup = [&] {
        QTreeWidgetItem* largest = nullptr;
        int most = -1;
        Recordset& groups = ds.rsGroups;
        for (groups.moveFirst(); !groups.eof(); groups.moveNext()) {
            const qint32 id = groups.integer(QStringLiteral("GroupId"));
            ds.cmdFoodItems(id);
            if (ds.rsFoodItems.recordCount() > most) {
                most = ds.rsFoodItems.recordCount();
                largest = main()->tvwFood->node(QStringLiteral("G%1").arg(id));
            }
        }
        ds.rsFoodItems.close();
        return largest;
    };
    // The largest group of the open window, found once per window (not timed).
    QTreeWidgetItem* largest = nullptr;
    const QMainWindow* largestOf = nullptr;
    auto findLargest = [&] {
        shown();
        if (largestOf != window.get()) {
            largest = largestGroup();
            largestOf = window.get();
        }
        return largest;
    };
    auto openLargestGroup = [&] {
        QTreeWidgetItem* group = findLargest();
        if (group->childCount() == 0)
            main()->foodTree().loadGroupFoods(NodeTree::key(group).mid(1).toInt());
    };
    auto findSetUp = [&](bool foods, const QString& text) {
        shown();
        FindDialog* dialog = main()->finder().dialog();
        dialog->findChild<QRadioButton*>(foods ? QStringLiteral("optFood") : QStringLiteral("optDiet"))->setChecked(true);
        dialog->findChild<QLineEdit*>(QStringLiteral("txtFindName"))->setText(text);
        main()->finder().findFood(true); // the first match; the timed run finds the next
    };

    // The food builder shown with 50 entries from the largest group, its selected food.
    auto builderOf50 = [&] {
        openLargestGroup();
        FoodBuilderWindow* builder = main()->foodBuilder();
        if (!builder->isVisible())
            builder->showBuilder();
        QTreeWidgetItem* food = largest->child(largest->childCount() / 2);
        main()->tvwFood->selectNode(food);
        main()->foodTree().foodNodeClick(food);
        while (builder->builder().count() < 50)
            main()->sendFoodToBuilder();
        while (builder->builder().count() > 50) {
            builder->gdFoods->setCurrentCell(0, 0);
            builder->deleteSelectedEntry();
        }
        QCoreApplication::processEvents();
    };
    int builderUpdates = 0;
    // The snapshot window over the busiest user's thousands of snapshots.
    std::unique_ptr<SnapshotWindow> snapshots;
    auto openSnapshots = [&] {
        shown();
        snapshots = std::make_unique<SnapshotWindow>(context);
        snapshots->load();
        snapshots->show();
        QCoreApplication::processEvents();
        return snapshots->lstSnapShot->topLevelItemCount();
    };
    auto snapshotsOpen = [&] {
        if (!snapshots || !ds.rsSnapShotData.isOpen())
            openSnapshots();
    };

    // The diet graph of the busiest user's ten years, as its launch opens it.
    std::unique_ptr<GraphWindow> graph;
    int nutrient = 0;
    auto openGraph = [&] {
        shown();
        ds.cmdDietGraph(firstDay, lastDay, busiest);
        graph = std::make_unique<GraphWindow>(context);
        graph->setDateRange(firstDay, lastDay);
        graph->buildGraph();
        graph->show();
        QCoreApplication::processEvents();
        return graph->data().rowCount();
    };
    auto graphOpen = [&] {
        if (!graph)
            openGraph();
    };

    // The diet report window of the last report step, kept until the next.
    std::unique_ptr<DietReportWindow> report;
    auto prepareReport = [&] {
        report.reset();
        shown();
        if (!ds.rsConfig.isOpen())
            ds.cmdConfig();
        context.currentUser = busiest;
    };
    // The busiest user's daily goals, as set on the options' Daily Goals page.
    auto setGoals = [&] {
        shown();
        std::array<QString, kNutrientCount> goals;
        for (int n = 0; n < kNutrientCount; ++n)
            goals[n] = DailyGoals::text(DailyGoals::referenceValues().goal(n));
        DailyGoals::write(context, busiest, goals);
    };
    auto showReport = [&](const QDate& from, bool everyOption, bool goals = false) {
        prepareReport();
        if (goals)
            setGoals();
        if (!ds.cmdDietReport(from, lastDay, busiest))
            return -1;
        report = std::make_unique<DietReportWindow>(context);
        report->ShowPercentages = true;
        report->MealBreak = report->ShowSnapshot = report->ShowAverages = everyOption;
        report->ShowGoals = goals;
        report->buildReport();
        report->show();
        QCoreApplication::processEvents();
        report->lstReport->viewport()->repaint();
        ds.rsDietReport.close();
        return report->model().rowCount();
    };
    // A report of about the given number of landscape pages saved as a PDF.
    QTemporaryDir pdfFolder;
    auto printStep = [&](int pages) {
        auto printed = std::make_shared<int>(0);
        auto grown = std::make_shared<qint64>(0);
        const QString path = pdfFolder.filePath(QStringLiteral("report%1.pdf").arg(pages));
        return Step{QStringLiteral("print %1 pages to PDF").arg(pages),
                    [&, pages] {
                        // Rows a page holds: the page less its margins, title
                        // and column titles, in rows of the list's height;
                        // rows a day takes, from a month of the log.
                        showReport(lastDay.addDays(-29), false);
                        const double rowTwips = report->printableList().rowHeight;
                        const double perPage = (11906 - 2 * 567 - 700) / rowTwips;
                        const double perDay = report->model().rowCount() / 30.0;
                        showReport(lastDay.addDays(-int(pages * perPage / perDay) + 1), false);
                    },
                    [&, path, printed, grown] {
                        const qint64 before = residentMemoryKiB();
                        resetMemoryPeak();
                        PrintJob::savePdf(path, context, {QStringLiteral("Diet Activity Report"), true, false},
                                          [&](PrintSurface& surface, bool selectionOnly) {
                                              const bool ok = report->layOut(surface, selectionOnly);
                                              *printed = surface.page();
                                              return ok;
                                          });
                        *grown = std::max(*grown, residentMemoryKiB("VmHWM") - before);
                        return *printed;
                    },
                    10000,
                    [path, printed, grown] {
                        return QStringLiteral("  %1 pages, PDF %2 KiB, resident memory at most %3 KiB above its start")
                            .arg(*printed)
                            .arg(QFileInfo(path).size() / 1024)
                            .arg(*grown);
                    }};
    };

    // The busiest user's whole log exported (with how far the resident
    // memory rose while writing), and the JSON document imported into a new
    // database made from the seed: its preview and the import itself.
    QTemporaryDir transferFolder;
    const QString exported = transferFolder.filePath(QStringLiteral("export.json"));
    auto exportStep = [&](LogExport::Format format) {
        // The first run fills the database engine's cache and sorter (bounded
        // by their sizes); the later ones show what the writing itself takes.
        auto firstGrowth = std::make_shared<qint64>(-1);
        auto laterGrowth = std::make_shared<qint64>(0);
        auto cpuMs = std::make_shared<QList<double>>();
        const bool csv = format == LogExport::Format::Csv;
        const QString path = csv ? transferFolder.filePath(QStringLiteral("export-csv")) : exported;
        return Step{QStringLiteral("export the 10-year user's log to %1").arg(csv ? "CSV" : "JSON"), shown,
                    [&, format, path, firstGrowth, laterGrowth, cpuMs] {
                        LogExport exporter(context, {format, busiest, {}, {}});
                        const qint64 before = residentMemoryKiB();
                        resetMemoryPeak();
                        const std::clock_t cpu = std::clock();
                        QString error;
                        if (!exporter.write(path, &error))
                            prompts.ask({PromptIcon::Critical, PromptButtons::Ok, QStringLiteral("export"), error});
                        cpuMs->append(1000.0 * double(std::clock() - cpu) / CLOCKS_PER_SEC);
                        const qint64 grown = residentMemoryKiB("VmHWM") - before;
                        if (*firstGrowth < 0)
                            *firstGrowth = grown;
                        else
                            *laterGrowth = std::max(*laterGrowth, grown);
                        return exporter.counts().value(LogRecords::Kind::Entry);
                    },
                    2000,
                    [firstGrowth, laterGrowth, cpuMs, path] {
                        std::sort(cpuMs->begin(), cpuMs->end());
                        qint64 size = QFileInfo(path).size();
                        for (const QFileInfo& file : QDir(path).entryInfoList(QDir::Files))
                            size += file.size();
                        return QStringLiteral("  %1 KiB written; processor time %2 ms (median); resident memory "
                                              "%3 KiB above its start in the first run, at most %4 KiB in the others")
                            .arg(size / 1024)
                            .arg(cpuMs->at(cpuMs->size() / 2), 0, 'f', 0)
                            .arg(*firstGrowth)
                            .arg(*laterGrowth);
                    }};
    };
    ConsolePrompts freshPrompts;
    std::unique_ptr<AppContext> fresh;
    auto importCpuMs = std::make_shared<QList<double>>();
    auto importStep = Step{QStringLiteral("import it into a new database"),
                           [&] {
                               if (!QFileInfo::exists(exported)) {
                                   shown();
                                   QString error;
                                   LogExport(context, {LogExport::Format::Json, busiest, {}, {}}).write(exported, &error);
                               }
                               fresh.reset();
                               const QString freshFolder = transferFolder.filePath(QStringLiteral("fresh"));
                               const QString freshFile = freshFolder + QStringLiteral("/Data/MeboData.mdb");
                               QDir(freshFolder).removeRecursively();
                               QDir().mkpath(freshFolder + QStringLiteral("/Data"));
                               QFile::copy(parser.value(QStringLiteral("seed")), freshFile);
                               QFile(freshFile).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
                               // Opened as the program opens it, its check seen through.
                               fresh = std::make_unique<AppContext>(DataFolder(freshFolder + QStringLiteral("/Data")), freshPrompts);
                               if (Startup::openDatabase(*fresh)) {
                                   Startup::acceptDatabase(*fresh);
                                   if (fresh->dataSource().integrityCheck().finish())
                                       fresh->dataSource().releaseLog();
                               }
                           },
                           [&, importCpuMs] {
                               const std::clock_t cpu = std::clock();
                               LogImport import(*fresh, exported);
                               if (!import.preview() || !import.run())
                                   prompts.ask({PromptIcon::Critical, PromptButtons::Ok, QStringLiteral("import"),
                                                import.refusal()});
                               importCpuMs->append(1000.0 * double(std::clock() - cpu) / CLOCKS_PER_SEC);
                               return import.summary().newEntries();
                           },
                           10000,
                           [importCpuMs] {
                               std::sort(importCpuMs->begin(), importCpuMs->end());
                               return QStringLiteral("  processor time %1 ms (median): the preview, a backup, the import")
                                   .arg(importCpuMs->at(importCpuMs->size() / 2), 0, 'f', 0);
                           }};

    // The steps, in the order the program meets them. Add new ones here.
    // The diet report's times without and with the goals, run by run.
    QList<double> withoutGoalsMs, withGoalsMs;
    const QList<Step> steps = {
        {QStringLiteral("connectDB"), [&] { ds.closeDB(); },
         [&] {
             ds.connectDB();
             return -1;
         }},
        {QStringLiteral("cmdConfig"), connected, [&] { return rows(ds.cmdConfig(), ds.rsConfig); }},
        {QStringLiteral("cmdTableKey"), connected, [&] { return rows(ds.cmdTableKey(), ds.rsTableKey); }},
        {QStringLiteral("cmdGroups"), connected, [&] { return rows(ds.cmdGroups(), ds.rsGroups); }},
        {QStringLiteral("cmdFoods"), connected, [&] { return rows(ds.cmdFoods(), ds.rsFoods); }},
        {QStringLiteral("cmdDietData") + logYears, connected,
         [&] { return rows(ds.cmdDietData(busiest), ds.rsDietData); }},
        {QStringLiteral("start-up: connect + the five above"), [&] { ds.closeDB(); },
         [&] {
             const bool ok = ds.connectDB() && ds.cmdConfig() && ds.cmdTableKey() && ds.cmdGroups() &&
                             ds.cmdFoods() && ds.cmdDietData(busiest);
             return rows(ok, ds.rsDietData);
         }},
        {QStringLiteral("cmdDietDates") + logYears, connected,
         [&] { return rows(ds.cmdDietDates(busiest), ds.rsDietDates); }},
        {QStringLiteral("rsFoods FindFirst contains (no match)"),
         [&] {
             connected();
             ds.cmdFoods();
         },
         [&] {
             ds.rsFoods.findFirst(
                 Criteria::contains(QStringLiteral("FoodName"), QStringLiteral("no such food")));
             return ds.rsFoods.recordCount();
         }},
        {QStringLiteral("rsFoods FindNext contains"),
         [&] {
             connected();
             ds.cmdFoods();
             ds.rsFoods.findFirst(Criteria::contains(QStringLiteral("FoodName"), QStringLiteral("cheese")));
         },
         [&] {
             ds.rsFoods.findNext(Criteria::contains(QStringLiteral("FoodName"), QStringLiteral("cheese")));
             return ds.rsFoods.recordCount();
         }},
        {QStringLiteral("cmdDietReport (1 year)"), connected,
         [&] { return rows(ds.cmdDietReport(yearStart, lastDay, busiest), ds.rsDietReport); }},
        {QStringLiteral("cmdDietGraph") + logYears, connected,
         [&] { return rows(ds.cmdDietGraph(firstDay, lastDay, busiest), ds.rsDietGraph); }},

        // The main window, as the user meets it.
        {QStringLiteral("start-up to the shown main window"), closeWindow,
         [&] {
             if (Startup::openDatabase(context))
                 window = openWindows(context, windows);
             QCoreApplication::processEvents();
             return window ? static_cast<MainWindowProbe*>(window.get())->dietTree().model().dayCount() : -1;
         },
         kStartUpMs},
        {QStringLiteral("open the largest food group"),
         [&] {
             QTreeWidgetItem* group = findLargest();
             while (group->childCount() > 0)
                 main()->tvwFood->removeNode(group->child(0));
         },
         [&] {
             QTreeWidgetItem* group = largest;
             main()->foodTree().loadGroupFoods(NodeTree::key(group).mid(1).toInt());
             group->setExpanded(true);
             return group->childCount();
         },
         kFrameMs},
        {QStringLiteral("click a food in the largest group"), openLargestGroup,
         [&] {
             QTreeWidgetItem* group = largest;
             QTreeWidgetItem* food = group->child(group->childCount() - 1);
             main()->tvwFood->selectNode(food);
             main()->foodTree().foodNodeClick(food);
             return group->childCount();
         },
         kFrameMs},
        {QStringLiteral("click the largest group"), openLargestGroup,
         [&] {
             QTreeWidgetItem* group = largest;
             main()->tvwFood->selectNode(group);
             main()->foodTree().foodNodeClick(group);
             return group->childCount();
         },
         kFrameMs},
        {QStringLiteral("open a day of the log"),
         [&] {
             shown();
             DietTreeModel& days = main()->dietTree().model();
             const QModelIndex day = days.dayNode(lastDay);
             while (days.rowCount(day) > 0)
                 main()->tvwDiet->removeNode(days.index(0, 0, day));
         },
         [&] {
             DietTreeModel& days = main()->dietTree().model();
             main()->dietTree().loadDietDay(lastDay);
             return days.rowCount(days.dayNode(lastDay));
         },
         kFrameMs},
        {QStringLiteral("double-click a food: add an entry"), openLargestGroup,
         [&] {
             QTreeWidgetItem* group = largest;
             QTreeWidgetItem* food = group->child(group->childCount() / 2);
             main()->tvwFood->selectNode(food);
             main()->foodTree().foodNodeClick(food);
             main()->dtDatePick->setDate(lastDay);
             emit main()->tvwFood->nodeDoubleClick(food);
             return ds.rsDietData.recordCount();
         },
         kFrameMs},
        {QStringLiteral("Find Next over the foods"), [&] { findSetUp(true, QStringLiteral("cheese")); },
         [&] {
             main()->finder().findFood(true);
             return ds.rsFoods.recordCount();
         },
         kQueryMs},
        {QStringLiteral("Find Next over the log"), [&] { findSetUp(false, QStringLiteral("milk")); },
         [&] {
             main()->finder().findFood(true);
             return ds.rsDietData.recordCount();
         },
         kQueryMs},
        {QStringLiteral("send a food to a builder of 50"), builderOf50,
         [&] {
             main()->sendFoodToBuilder();
             main()->foodBuilder()->repaint();
             return main()->foodBuilder()->builder().count();
         },
         kFrameMs},
        {QStringLiteral("update an entry of a builder of 50"), builderOf50,
         [&] {
             FoodBuilderWindow* builder = main()->foodBuilder();
             const FoodBuilderItem& entry = builder->builder().entries()[25];
             builder->changeEntry(25,
                                  {entry.servingSize, entry.msreNo, entry.grams, 2.0 + ++builderUpdates % 2});
             builder->repaint();
             return builder->builder().count();
         },
         kFrameMs},
        {QStringLiteral("open the snapshot window (10 years)"), [&] { snapshots.reset(); }, openSnapshots, 100},
        {QStringLiteral("save a new snapshot"),
         [&] {
             snapshotsOpen();
             snapshots->txtSnapShot[0]->setText(QStringLiteral("72.5"));
         },
         [&] {
             snapshots->save();
             QCoreApplication::processEvents();
             return snapshots->lstSnapShot->topLevelItemCount();
         },
         kFrameMs},
        {QStringLiteral("delete a snapshot"),
         [&] {
             snapshotsOpen();
             snapshots->lstSnapShot->setCurrentItem(snapshots->lstSnapShot->topLevelItem(0));
         },
         [&] {
             snapshots->deleteSelected();
             QCoreApplication::processEvents();
             return snapshots->lstSnapShot->topLevelItemCount();
         },
         kFrameMs},
        {QStringLiteral("diet graph of 10 years: query to shown"), [&] { graph.reset(); }, openGraph, 300},
        {QStringLiteral("diet graph: switch the nutrient"), graphOpen,
         [&] {
             nutrient = (nutrient + 1) % 6;
             graph->rbNutrient[nutrient]->click();
             QCoreApplication::processEvents();
             return graph->data().rowCount();
         },
         100},
        {QStringLiteral("diet graph: switch bars and line"), graphOpen,
         [&] {
             graph->rbStyle[graph->isLineChart() ? 0 : 1]->click();
             QCoreApplication::processEvents();
             return graph->data().rowCount();
         },
         100},

        // The diet report as the launch makes it (query, rows, window shown and
        // painted); every option on for ten years. Then a page of scrolling and
        // printing to PDF, with the memory the printing takes.
        {QStringLiteral("diet report: 1 year built and shown"), prepareReport,
         [&] { return showReport(yearStart, false); }, 200},
        {QStringLiteral("diet report: 10 years, every option"), prepareReport,
         [&] { return showReport(firstDay, true); }, 1500},
        // The same with each day's share of the goals, which may cost at most
        // 10% more: each run is paired with one without goals just before it
        // (timed alike), so that a busy machine slows both.
        {QStringLiteral("diet report: 10 years, every option, goals"),
         [&] {
             QElapsedTimer timer;
             timer.start();
             showReport(firstDay, true, false);
             withoutGoalsMs.append(double(timer.nsecsElapsed()) / 1e6);
         },
         [&] {
             QElapsedTimer timer;
             timer.start();
             const int rows = showReport(firstDay, true, true);
             withGoalsMs.append(double(timer.nsecsElapsed()) / 1e6);
             return rows;
         },
         1500,
         [&] {
             return QStringLiteral("  without goals %1 ms: with goals %2 times that (at most 1.10)")
                 .arg(median(withoutGoalsMs), 0, 'f', 2)
                 .arg(median(withGoalsMs) / median(withoutGoalsMs), 0, 'f', 3);
         }},
        {QStringLiteral("diet report: scroll a page of 10 years"),
         [&] {
             if (!report || report->model().rowCount() < 100000)
                 showReport(firstDay, true);
         },
         [&] {
             QScrollBar* bar = report->lstReport->verticalScrollBar();
             bar->setValue(bar->value() + bar->pageStep());
             report->lstReport->viewport()->repaint();
             return report->model().rowCount();
         },
         kFrameMs},
        printStep(100), printStep(400),
        exportStep(LogExport::Format::Json), exportStep(LogExport::Format::Csv), importStep,
        // A backup (before a purge, or File > Back Up Database...): copied, checked, flushed, named.
        {QStringLiteral("back up the 10-year database"), [&] { shown(); },
         [&] {
             try {
                 DatabaseBackup::write(ds.handle(), folder + QStringLiteral("/backup.mdb"));
             } catch (const DataError& error) {
                 prompts.ask(
                     {PromptIcon::Critical, PromptButtons::Ok, QStringLiteral("backup"), error.what()});
             }
             return -1;
         },
         kStartUpMs},
        {QStringLiteral("first Find over the log after start-up"),
         [&] {
             closeWindow();
             shown();
             FindDialog* dialog = main()->finder().dialog();
             dialog->findChild<QRadioButton*>(QStringLiteral("optDiet"))->setChecked(true);
             dialog->findChild<QLineEdit*>(QStringLiteral("txtFindName"))->setText(QStringLiteral("milk"));
         },
         [&] {
             main()->finder().findFood(true);
             return -1;
         },
         kFrameMs},
        // The diet tree of a long log: a click on an entry of a day never opened
        // (the day is read first), an edit of an entry, the tree scrolled to its end.
        {QStringLiteral("click an entry of a day not opened"),
         [&] {
             shown();
             main()->dietTree().reload();
         },
         [&] {
             DietTree& tree = main()->dietTree();
             const QModelIndex day = tree.model().dayNode(firstDay.addDays(firstDay.daysTo(lastDay) / 2));
             tree.model().fetchMore(day);
             const QModelIndex entry = tree.model().index(0, 0, tree.model().index(0, 0, day));
             tree.view()->selectNode(entry.isValid() ? entry : day);
             tree.dietNodeClick(tree.view()->selectedNode());
             return tree.model().rowCount(day);
         },
         kFrameMs},
        {QStringLiteral("edit an entry's servings"), [&] { shown(); },
         [&] {
             DietLog& log = main()->dietTree().log();
             const qint32 id = log.current().dietId;
             const std::optional<DietEntryDetails> entry = log.details(id);
             log.editEntry(id, entry->servings + 0.5, entry->entry.date, std::nullopt, entry->entry.mealKey);
             return -1;
         },
         kFrameMs},
        // View Diet Totals of the last day, with its shares of the goals.
        {QStringLiteral("View Diet Totals of a day, with goals"),
         [&] {
             setGoals();
             for (DietDetailsWindow* shownTotals : main()->findChildren<DietDetailsWindow*>())
                 delete shownTotals;
             DietTree& tree = main()->dietTree();
             tree.loadDietDay(lastDay);
             tree.view()->selectNode(tree.model().dayNode(lastDay));
         },
         [&] {
             main()->dietTree().showDietTotals();
             QCoreApplication::processEvents();
             return main()->findChildren<DietDetailsWindow*>().size();
         },
         kFrameMs},
        {QStringLiteral("scroll the diet tree to its end"),
         [&] {
             shown();
             main()->tvwDiet->scrollToTop();
             main()->tvwDiet->grab();
         },
         [&] {
             main()->tvwDiet->scrollToBottom();
             main()->tvwDiet->grab(); // drawn as the screen would show it
             return main()->dietTree().model().dayCount();
         },
         kFrameMs},
    };
    std::printf("Foodlark benchmark: %d runs per step, median / fastest / slowest in milliseconds.\n", runs);
    std::printf("Database: %s diet entries of %d users (%s of %s over %s days, %s to %s), %s snapshots; "
                "built in %s ms.\n",
                qPrintable(thousands(summary.totalDietRows())), int(summary.dietRows.size()),
                qPrintable(busiest), qPrintable(thousands(summary.dietRows.value(busiest))),
                qPrintable(thousands(firstDay.daysTo(lastDay) + 1)),
                qPrintable(firstDay.toString(Qt::ISODate)), qPrintable(lastDay.toString(Qt::ISODate)),
                qPrintable(thousands(summary.totalSnapShots())), qPrintable(thousands(buildMs)));
    std::printf("\n%-40s %9s %9s %9s %8s %8s  %s\n", "step", "median", "fastest", "slowest", "rows",
                "target", "met");
    std::printf("%s\n", QByteArray(96, '-').constData());
    int slow = 0;
    const QString only = parser.value(QStringLiteral("only"));
    for (const Step& step : steps) {
        if (!step.name.contains(only, Qt::CaseInsensitive))
            continue;
        const Result r = measure(step, runs);
        const bool ok = r.median < step.targetMs;
        slow += ok ? 0 : 1;
        std::printf("%-40s %9.2f %9.2f %9.2f %8s %8.0f  %s\n", qPrintable(step.name), r.median, r.fastest,
                    r.slowest, r.rows < 0 ? "-" : qPrintable(thousands(r.rows)), step.targetMs, ok ? "yes" : "NO");
        if (step.note)
            std::printf("%s\n", qPrintable(step.note()));
        std::fflush(stdout);
    }
    report.reset();
    closeWindow();

    // The real program as a new process, timed to its shown main window over
    // the empty seed and over logs of 10 and 50 years, the runs taken in turn
    // so that a busy machine slows all three alike. A log may cost at most 15%
    // more than the empty seed, in time to the window and in CPU time, and
    // the resident memory may not pass 45 MiB.
    const QList<int> coldYears = {0, 10, 50};
    if (QStringLiteral("cold start").contains(only, Qt::CaseInsensitive)) {
        std::map<int, std::unique_ptr<ColdStart>> starts;
        std::map<int, QList<double>> wall, cpu;
        std::map<int, qint64> resident;
        try {
            for (int years : coldYears) {
                starts[years] = std::make_unique<ColdStart>(folder + QStringLiteral("/cold%1").arg(years),
                                                            programPlatform);
                starts[years]->prepare(parser.value(QStringLiteral("seed")), years);
            }
        } catch (const DataError& error) {
            std::fprintf(stderr, "foodlark-bench: cannot prepare the cold starts: %s\n", error.what());
            return 1;
        }
        for (int i = 0; i < runs; ++i) {
            for (int years : coldYears) {
                wall[years] << starts[years]->run();
                cpu[years] << starts[years]->cpuMs;
                resident[years] = std::max(resident[years], starts[years]->residentKb);
                starts[years]->finish();
            }
        }
        auto median = [](QList<double> values) {
            std::sort(values.begin(), values.end());
            const qsizetype mid = values.size() / 2;
            return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
        };
        // On a shared machine a start now and then waits for the processor;
        // the fastest of the runs is the start's own cost, and the ratios are
        // judged on it (the medians are shown beside them).
        auto fastest = [](const QList<double>& values) { return *std::min_element(values.begin(), values.end()); };
        for (int years : coldYears) {
            const QList<double>& times = wall[years];
            const double wallRatio = fastest(times) / fastest(wall[0]);
            const double cpuRatio = fastest(cpu[years]) / fastest(cpu[0]);
            const double mib = resident[years] / 1024.0;
            const bool ok = mib <= 45 && wallRatio <= 1.15 && cpuRatio <= 1.15 && median(times) < kStartUpMs;
            slow += ok ? 0 : 1;
            std::printf(
                "%-40s %9.2f %9.2f %9.2f %8s %8.0f  %s  CPU %.1f ms, RSS %.1f MiB; x%.2f (CPU x%.2f) of the empty "
                "seed's, medians x%.2f\n",
                qPrintable(years == 0 ? QStringLiteral("cold start: the empty seed")
                                      : QStringLiteral("cold start: a %1-year log").arg(years)),
                median(times), fastest(times), *std::max_element(times.begin(), times.end()), "-", kStartUpMs,
                ok ? "yes" : "NO", fastest(cpu[years]), mib, wallRatio, cpuRatio, median(times) / median(wall[0]));
        }
    }
    if (prompts.failures > 0) {
        std::fprintf(stderr, "foodlark-bench: %d data source failures\n", prompts.failures);
        return 1;
    }
    std::printf("\n%s\n", slow == 0 ? "Every step is within its target."
                                    : qPrintable(QStringLiteral("%1 step(s) over their target.").arg(slow)));
    return 0;
}
