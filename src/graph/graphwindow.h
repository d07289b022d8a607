#pragma once

#include "graph/dietgraphdata.h"
#include "graph/graphprintplan.h"
#include "goals/dailygoals.h"

#include <QDialog>
#include <array>
#include <functional>

class AppContext;
class DayBars;
class QCategoryAxis;
class QChart;
class QChartView;
class QGroupBox;
class QLabel;
class QLineSeries;
class QPainter;
class QPrinter;
class QPushButton;
class QRadioButton;
class QValueAxis;

// frmGraph, "Diet Activity Graph": the current user's daily nutrient sums over
// a range of days, one nutrient at a time, as bars or a line, printable.
//
// Whoever opens it sets the range, builds the graph from the rows the graph
// query left in rsDietGraph and shows it modally:
//     GraphWindow graph(context, parent);
//     graph.setDateRange(lo, hi);
//     graph.buildGraph();
//     graph.exec();
class GraphWindow : public QDialog
{
    Q_OBJECT

public:
    explicit GraphWindow(AppContext& context, QWidget* parent = nullptr);
    ~GraphWindow() override;

    // The range text of the chart titles (GraphTitle).
    QString graphTitle() const { return m_graphTitle; }
    void setGraphTitle(const QString& title);
    // Adds "  mm/dd/yy - mm/dd/yy" to the caption and makes that range the
    // graph title.
    void setDateRange(const QDate& lo, const QDate& hi);

    // Builds the eight nutrients' data from rsDietGraph and shows the selected
    // one. False when there were no rows (the window then says so) or they
    // could not be read.
    bool buildGraph();
    bool buildGraph(const DietGraphData& data);
    const DietGraphData& data() const { return m_data; }

    // Shows a nutrient's chart (0..7); -1 shows the selected choice's.
    void showNutrient(int nutrient = -1);
    int selectedNutrient() const;
    // The nutrient on screen.
    int shownNutrient() const { return m_shown; }
    // 0 bars, 1 line.
    void setChartStyle(int style);
    bool isLineChart() const { return m_line; }

    // The text of the tip over a point of the chart (in its value coordinates),
    // "" when no day's bar or point is there.
    QString tipAt(const QPointF& value) const;

    // The name the print dialog offers for a printout (and its PDF file).
    QString documentName(GraphPrintPlan::Mode mode) const;
    // Prints after the print dialog was accepted.
    void printGraphs(GraphPrintPlan::Mode mode);
    // Prints on a printer set up by the caller; false when it cannot be painted on.
    bool printTo(QPrinter& printer, GraphPrintPlan::Mode mode);
    // Prints with a painter that is active on the first page. page: the
    // printable area in the painter's coordinates; dpi: the device's
    // resolution; newPage moves the painter to the next page.
    void printGraphs(GraphPrintPlan::Mode mode, QPainter& painter, const QRectF& page, double dpi,
                     const std::function<bool()>& newPage);

    // Writes the chart as shown to a PNG or SVG file (by the file's suffix),
    // whole before it replaces an earlier one; failure receives why it could not.
    bool saveImage(const QString& path, QString* failure = nullptr);
    // Asks for a file and saves the chart there.
    void saveImageAs();

    QChartView* MSChart1 = nullptr;
    QChart* chart = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    std::array<QRadioButton*, DietGraphData::kNutrients> rbNutrient{};
    std::array<QRadioButton*, 2> rbStyle{};
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdPrintAll = nullptr;
    QPushButton* cmdSaveImage = nullptr;
    QPushButton* cmdQuit = nullptr;
    QLabel* lblNoData = nullptr;

    static const QString kNoDataTitle;
    static const QString kNoDataMessage;

private:
    void buildControls();
    void buildChart();
    void addGoalLine();
    void fillSeries();
    // Names the chart by its title and describes what it shows, for a screen reader.
    void describeChart();
    void setAxisLabels();
    void setControlsEnabled(bool enabled);
    void hovered(const QPointF& point, bool state);

    AppContext& m_context;
    QString m_graphTitle;
    DietGraphData m_data;
    int m_shown = 0;
    bool m_line = false;
    DayBars* m_bars = nullptr;
    QLineSeries* m_points = nullptr;
    // The "Goal" line of the nutrient shown, and the user's goals in the order of the choices.
    QLineSeries* m_goalLine = nullptr;
    DailyGoals::Goals m_goals{};
    QCategoryAxis* m_dayAxis = nullptr;
    QValueAxis* m_valueAxis = nullptr;
};
