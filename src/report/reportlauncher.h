#pragma once

#include <QString>
#include <functional>

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
    // Tools > Produce Diet Graph and "Diet Graph". Runs only once a graph
    // window is set.
    void dietGraph();
    // Tools > Produce Snapshot Report, "SnapShot Activity Report" and the
    // snapshot window's Report button: the same steps from any window.
    static void snapshotReport(AppContext& context, QWidget* parent);

    // Shows the graph of the rows that cmdDietGraph left in rsDietGraph: makes
    // the graph window, adds "  " + range to its caption, sets its GraphTitle
    // to range, builds the graph and shows the window modally. range is
    // "mm/dd/yy - mm/dd/yy".
    using GraphWindow = std::function<void(QWidget* parent, const QString& range)>;
    // Sets the graph window and makes Produce Diet Graph available.
    void setGraphWindow(GraphWindow show);
    bool hasGraphWindow() const { return bool(m_graphWindow); }

private:
    AppContext& m_context;
    CommandSet& m_commands;
    QWidget* m_mainWindow;
    GraphWindow m_graphWindow;
};
