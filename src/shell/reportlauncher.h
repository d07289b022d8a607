#pragma once

class AppContext;
class CommandSet;
class QWidget;

// Starts the three outputs over a range of days: asks for the criteria, runs
// the range query, shows the output window modally and tidies up. While the
// diet report or the diet graph runs, its menu item and the toolbar's
// "Report" button are disabled, so it cannot be started twice.
class ReportLauncher
{
public:
    ReportLauncher(AppContext& context, CommandSet& commands, QWidget* mainWindow);

    // Tools > Produce Diet Report, the "Report" button and "Diet Activity Report".
    void dietReport();
    // Tools > Produce Diet Graph and "Diet Graph".
    void dietGraph();
    // Tools > Produce Snapshot Report, "SnapShot Activity Report" and the
    // snapshot window's Report button: the same steps from any window.
    static void snapshotReport(AppContext& context, QWidget* parent);

private:
    AppContext& m_context;
    CommandSet& m_commands;
    QWidget* m_mainWindow;
};
