#include "shell/reportlauncher.h"

#include "app/appcontext.h"
#include "data/orvdatasource.h"
#include "graph/graphwindow.h"
#include "report/dietreportwindow.h"
#include "report/reportcriteriadialog.h"
#include "report/reportformat.h"
#include "report/snapshotreport.h"
#include "report/snapshotreportwindow.h"
#include "widgets/commandset.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <memory>

namespace {

// Disables commands for as long as it lives.
class CommandsHeld
{
public:
    CommandsHeld(CommandSet& commands, Command command) : m_commands(commands), m_command(command)
    {
        m_commands.setEnabled(m_command, false, Surface::Menu);
        m_commands.setEnabled(Command::DietReport, false, Surface::Toolbar);
    }
    ~CommandsHeld()
    {
        m_commands.setEnabled(m_command, true, Surface::Menu);
        m_commands.setEnabled(Command::DietReport, true, Surface::Toolbar);
    }
    CommandsHeld(const CommandsHeld&) = delete;
    CommandsHeld& operator=(const CommandsHeld&) = delete;

private:
    CommandSet& m_commands;
    Command m_command;
};

// Shows the criteria dialog modally; the dialog, kept for its choices, when
// the user pressed OK, and nothing otherwise.
std::unique_ptr<ReportCriteriaDialog> askCriteria(ReportCriteriaDialog::Kind kind, QWidget* parent)
{
    auto criteria = std::make_unique<ReportCriteriaDialog>(kind, parent);
    criteria->exec();
    QCoreApplication::processEvents();
    if (criteria->dialogResult() != QLatin1String("OK"))
        return nullptr;
    return criteria;
}

// Shows an output window modally, unless the run is ending, then lets go of
// the rows its query left.
void showOutput(AppContext& context, QDialog& output, Recordset& rows)
{
    if (!context.shutDownRequested())
        output.exec();
    rows.close();
}

void addRangeToCaption(QWidget& output, const QDate& lo, const QDate& hi)
{
    output.setWindowTitle(output.windowTitle() + QStringLiteral("  ") + ReportFormat::rangeText(lo, hi));
}

} // namespace

ReportLauncher::ReportLauncher(AppContext& context, CommandSet& commands, QWidget* mainWindow)
    : m_context(context), m_commands(commands), m_mainWindow(mainWindow)
{
}

void ReportLauncher::dietReport()
{
    CommandsHeld held(m_commands, Command::DietReport);
    const auto criteria = askCriteria(ReportCriteriaDialog::Kind::DietReport, m_mainWindow);
    if (!criteria)
        return;
    // The days as picked; the query reads only their dates.
    const QDate lo = criteria->dtLoDate->date();
    const QDate hi = criteria->dtHighDate->date();
    OrvDataSource& ds = m_context.dataSource();
    if (!ds.cmdDietReport(lo, hi, m_context.currentUser))
        return;
    DietReportWindow report(m_context, m_mainWindow);
    addRangeToCaption(report, lo, hi);
    report.MealBreak = criteria->chkMealBreak->isChecked();
    report.TotalsOnly = criteria->chkTotalsOnly->isChecked();
    report.ShowPercentages = criteria->chkShowPercentages->isChecked();
    report.ShowSnapshot = criteria->chkShowSnapshot->isChecked();
    report.ShowAverages = criteria->chkShowAverages->isChecked();
    report.ShowGoals = criteria->chkShowGoals->isChecked();
    report.buildReport();
    showOutput(m_context, report, ds.rsDietReport);
}

void ReportLauncher::dietGraph()
{
    CommandsHeld held(m_commands, Command::DietGraph);
    const auto criteria = askCriteria(ReportCriteriaDialog::Kind::DietGraph, m_mainWindow);
    if (!criteria)
        return;
    const QDate lo = criteria->dtLoDate->date();
    const QDate hi = criteria->dtHighDate->date();
    OrvDataSource& ds = m_context.dataSource();
    if (!ds.cmdDietGraph(lo, hi, m_context.currentUser))
        return;
    GraphWindow graph(m_context, m_mainWindow);
    graph.setDateRange(lo, hi);
    graph.buildGraph();
    showOutput(m_context, graph, ds.rsDietGraph);
}

void ReportLauncher::snapshotReport(AppContext& context, QWidget* parent)
{
    const auto criteria = askCriteria(ReportCriteriaDialog::Kind::SnapshotReport, parent);
    if (!criteria)
        return;
    const QDate lo = criteria->dtLoDate->date();
    const QDate hi = criteria->dtHighDate->date();
    if (!SnapshotReport::query(context, lo, hi))
        return;
    SnapshotReportWindow report(context, parent);
    addRangeToCaption(report, lo, hi);
    showOutput(context, report, context.dataSource().rsSnapShotReport);
}
