#include "report/reportlauncher.h"

#include "app/appcontext.h"
#include "data/orvdatasource.h"
#include "graph/graphwindow.h"
#include "report/dietreportwindow.h"
#include "report/reportcriteriadialog.h"
#include "report/reportformat.h"
#include "report/snapshotreportwindow.h"
#include "ui/commandset.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <memory>

namespace {

QString rangeText(const QDate& lo, const QDate& hi)
{
    return ReportFormat::captionDay(lo) + QStringLiteral(" - ") + ReportFormat::captionDay(hi);
}

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

} // namespace

ReportLauncher::ReportLauncher(AppContext& context, CommandSet& commands, QWidget* mainWindow)
    : m_context(context), m_commands(commands), m_mainWindow(mainWindow)
{
}

void ReportLauncher::dietReport()
{
    CommandsHeld held(m_commands, Command::DietReport);
    ReportCriteriaDialog criteria(ReportCriteriaDialog::Kind::DietReport, m_mainWindow);
    criteria.exec();
    QCoreApplication::processEvents();
    if (criteria.dialogResult() != QLatin1String("OK"))
        return;
    // The days as picked; the query reads only their dates.
    const QDateTime lo = criteria.dtLoDate->dateTime();
    const QDateTime hi = criteria.dtHighDate->dateTime();
    OrvDataSource& ds = m_context.dataSource();
    if (!ds.cmdDietReport(lo.date(), hi.date(), m_context.currentUser))
        return;
    {
        DietReportWindow report(m_context, m_mainWindow);
        report.setWindowTitle(report.windowTitle() + QStringLiteral("  ") + rangeText(lo.date(), hi.date()));
        report.MealBreak = criteria.chkMealBreak->isChecked();
        report.TotalsOnly = criteria.chkTotalsOnly->isChecked();
        report.ShowPercentages = criteria.chkShowPercentages->isChecked();
        report.ShowSnapshot = criteria.chkShowSnapshot->isChecked();
        report.ShowAverages = criteria.chkShowAverages->isChecked();
        report.buildReport();
        if (!m_context.shutDownRequested())
            report.exec();
    }
    ds.rsDietReport.close();
}

void ReportLauncher::dietGraph()
{
    CommandsHeld held(m_commands, Command::DietGraph);
    ReportCriteriaDialog criteria(ReportCriteriaDialog::Kind::DietGraph, m_mainWindow);
    criteria.exec();
    QCoreApplication::processEvents();
    if (criteria.dialogResult() != QLatin1String("OK"))
        return;
    const QDate lo = criteria.dtLoDate->date();
    const QDate hi = criteria.dtHighDate->date();
    OrvDataSource& ds = m_context.dataSource();
    if (!ds.cmdDietGraph(lo, hi, m_context.currentUser))
        return;
    {
        GraphWindow graph(m_context, m_mainWindow);
        graph.setDateRange(lo, hi);
        graph.buildGraph();
        if (!m_context.shutDownRequested())
            graph.exec();
    }
    ds.rsDietGraph.close();
}

void ReportLauncher::snapshotReport(AppContext& context, QWidget* parent)
{
    ReportCriteriaDialog criteria(ReportCriteriaDialog::Kind::SnapshotReport, parent);
    criteria.exec();
    QCoreApplication::processEvents();
    if (criteria.dialogResult() != QLatin1String("OK"))
        return;
    // Whole days: from one second after midnight of the first to the last second of the last.
    const QDate lo = criteria.dtLoDate->date();
    const QDate hi = criteria.dtHighDate->date();
    OrvDataSource& ds = context.dataSource();
    if (!ds.cmdSnapShotReport(QDateTime(lo, QTime(0, 0, 1)), QDateTime(hi, QTime(23, 59, 59)),
                              context.currentUser))
        return;
    {
        SnapshotReportWindow report(context, parent);
        report.setWindowTitle(report.windowTitle() + QStringLiteral("  ") + rangeText(lo, hi));
        report.exec();
    }
    ds.rsSnapShotReport.close();
}
