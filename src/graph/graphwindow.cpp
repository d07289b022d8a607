#include "graph/graphwindow.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "graph/daybars.h"
#include "graph/goalline.h"
#include "data/orvdatasource.h"
#include "data/savedfile.h"
#include "report/reportformat.h"
#include "widgets/plainbutton.h"
#include "widgets/waitcursor.h"

#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSvgGenerator>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <memory>
#include <cmath>

const QString GraphWindow::kNoDataTitle = QStringLiteral("No Data Returned");
const QString GraphWindow::kNoDataMessage = QStringLiteral("There was no diet activity data for the criteria entered.");

namespace {

// Up to this many days a line shows a marker on each day.
constexpr int kMarkedDays = 62;

QFont arial(int pointSize, bool bold = false)
{
    QFont font(QStringLiteral("Arial"), pointSize);
    font.setBold(bold);
    return font;
}

// The step between labelled days: 1, 2, 5, 10, 20, 50, ... so that about
// fifteen labels at most stand under the axis.
int labelStep(int days)
{
    constexpr int kMostLabels = 15;
    int step = 1;
    for (int decade = 1;; decade *= 10) {
        for (int factor : {1, 2, 5}) {
            step = factor * decade;
            if (days / step < kMostLabels)
                return step;
        }
    }
}

} // namespace

GraphWindow::GraphWindow(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("frmGraph"));
    setWindowTitle(QStringLiteral("Diet Activity Graph"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    buildControls();
    buildChart();
    // Load: the optional nutrients under the user's labels.
    for (int n : {int(DietGraphData::Other1), int(DietGraphData::Other2)}) {
        const QString label = context.config().getConfig(n == DietGraphData::Other1 ? QStringLiteral("OTHER1")
                                                                                   : QStringLiteral("OTHER2"));
        if (!ConfigStore::trimSpaces(label).isEmpty())
            rbNutrient[n]->setText(label);
    }
    lblNoData->setVisible(false);
}

GraphWindow::~GraphWindow() = default;

void GraphWindow::buildControls()
{
    MSChart1 = new QChartView;
    MSChart1->setObjectName(QStringLiteral("MSChart1"));
    MSChart1->setRenderHint(QPainter::Antialiasing);
    MSChart1->setMinimumSize(480, 300);

    lblNoData = new QLabel(QStringLiteral("Your criteria returned no data."));
    lblNoData->setObjectName(QStringLiteral("lblNoData"));
    lblNoData->setAlignment(Qt::AlignCenter);
    lblNoData->setFont(arial(14, true));

    Frame1 = new QGroupBox(QStringLiteral("Nutrient"));
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* nutrients = new QVBoxLayout(Frame1);
    for (int n = 0; n < DietGraphData::kNutrients; ++n) {
        rbNutrient[n] = new QRadioButton(DietGraphData::caption(n));
        rbNutrient[n]->setObjectName(QStringLiteral("rbNutrient%1").arg(n));
        nutrients->addWidget(rbNutrient[n]);
        connect(rbNutrient[n], &QRadioButton::clicked, this, [this, n] { showNutrient(n); });
    }
    rbNutrient[0]->setChecked(true);

    Frame2 = new QGroupBox(QStringLiteral("Style"));
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto* styles = new QVBoxLayout(Frame2);
    rbStyle[0] = new QRadioButton(QStringLiteral("Bar Graph"));
    rbStyle[1] = new QRadioButton(QStringLiteral("Line Graph"));
    for (int s = 0; s < 2; ++s) {
        rbStyle[s]->setObjectName(QStringLiteral("rbStyle%1").arg(s));
        styles->addWidget(rbStyle[s]);
        connect(rbStyle[s], &QRadioButton::clicked, this, [this, s] { setChartStyle(s); });
    }
    rbStyle[0]->setChecked(true);

    cmdPrint = plainButton("cmdPrint", QStringLiteral("Print Current Graph"));
    cmdPrintAll = plainButton("cmdPrintAll", QStringLiteral("Print All Graphs"));
    cmdSaveImage = plainButton("cmdSaveImage", QStringLiteral("Save Image..."));
    cmdSaveImage->setToolTip(QStringLiteral("Save the graph shown as a PNG or SVG picture"));
    cmdQuit = plainButton("cmdQuit", QStringLiteral("Done"));
    connect(cmdPrint, &QPushButton::clicked, this, [this] { printGraphs(GraphPrintPlan::Mode::Current); });
    connect(cmdPrintAll, &QPushButton::clicked, this, [this] { printGraphs(GraphPrintPlan::Mode::All); });
    connect(cmdSaveImage, &QPushButton::clicked, this, &GraphWindow::saveImageAs);
    connect(cmdQuit, &QPushButton::clicked, this, &QDialog::accept);

    auto* side = new QVBoxLayout;
    side->addWidget(Frame1);
    side->addWidget(Frame2);
    side->addStretch();
    for (QPushButton* b : {cmdPrint, cmdPrintAll, cmdSaveImage, cmdQuit})
        side->addWidget(b);
    auto* shown = new QVBoxLayout;
    shown->addWidget(MSChart1, 1);
    shown->addWidget(lblNoData, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(shown, 1);
    layout->addLayout(side);
    resize(900, 600);
}

void GraphWindow::buildChart()
{
    chart = new QChart;
    chart->setTitleFont(arial(12, true));
    chart->legend()->hide();
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    // The plot area's frame stands in for the axis lines, which would carry tick marks.
    chart->setPlotAreaBackgroundVisible(true);
    chart->setPlotAreaBackgroundBrush(Qt::white);
    chart->setPlotAreaBackgroundPen(QPen(Qt::darkGray));
    // The view lets go of the chart it was made with rather than deleting it.
    const std::unique_ptr<QChart> first(MSChart1->chart());
    MSChart1->setChart(chart);

    m_points = new QLineSeries;
    m_points->setName(QStringLiteral("line"));
    chart->addSeries(m_points);
    const QColor color(0x20, 0x4a, 0x87);
    m_points->setPen(QPen(color, 2));
    m_points->setVisible(false);

    m_dayAxis = new QCategoryAxis;
    m_dayAxis->setTitleText(QStringLiteral("Day"));
    m_dayAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_valueAxis = new QValueAxis;
    m_valueAxis->setTitleText(DietGraphData::caption(0));
    m_valueAxis->setLabelFormat(QStringLiteral("%g"));
    for (QAbstractAxis* axis : {static_cast<QAbstractAxis*>(m_dayAxis), static_cast<QAbstractAxis*>(m_valueAxis)}) {
        axis->setTitleFont(arial(10, true));
        axis->setLabelsFont(arial(9));
        // No tick marks.
        axis->setLineVisible(false);
    }
    m_dayAxis->setGridLineVisible(false);
    chart->addAxis(m_dayAxis, Qt::AlignBottom);
    chart->addAxis(m_valueAxis, Qt::AlignLeft);
    m_points->attachAxis(m_dayAxis);
    m_points->attachAxis(m_valueAxis);
    connect(m_points, &QLineSeries::hovered, this, &GraphWindow::hovered);
    m_bars = new DayBars(chart, m_dayAxis, m_valueAxis);
    m_bars->setColors(QPen(color.darker(120), 1), color.lighter(150));
    m_bars->tipAt = [this](const QPointF& value) { return tipAt(value); };
    addGoalLine();
}

void GraphWindow::addGoalLine()
{
    // Over the bars (made after them), named in a legend of its own while it shows.
    m_goalLine = new QLineSeries;
    m_goalLine->setName(QStringLiteral("Goal"));
    chart->addSeries(m_goalLine);
    m_goalLine->setPen(QPen(QColor(0xcc, 0x00, 0x00), 2, Qt::DashLine));
    m_goalLine->attachAxis(m_dayAxis);
    m_goalLine->attachAxis(m_valueAxis);
    m_goalLine->setVisible(false);
    chart->legend()->setAlignment(Qt::AlignTop);
    chart->legend()->setFont(arial(9));
    connect(m_goalLine, &QLineSeries::hovered, this, [this](const QPointF&, bool state) {
        if (state)
            QToolTip::showText(QCursor::pos(), QStringLiteral("Goal: ") + DailyGoals::text(m_goals[m_shown]),
                               MSChart1);
        else
            QToolTip::hideText();
    });
}

void GraphWindow::setGraphTitle(const QString& title)
{
    m_graphTitle = title;
    if (!m_data.isEmpty())
        showNutrient(m_shown);
}

void GraphWindow::setDateRange(const QDate& lo, const QDate& hi)
{
    const QString range = ReportFormat::rangeText(lo, hi);
    setWindowTitle(windowTitle() + QStringLiteral("  ") + range);
    setGraphTitle(range);
}

bool GraphWindow::buildGraph()
{
    DietGraphData data;
    try {
        data = DietGraphData::fromRecordset(m_context.dataSource().rsDietGraph);
    } catch (const DataError& error) {
        m_context.fatalError(QStringLiteral("Unable to retrieve Diet Graph Data.  "), error);
        return false;
    }
    return buildGraph(data);
}

bool GraphWindow::buildGraph(const DietGraphData& data)
{
    m_data = data;
    m_goals = DailyGoals::read(m_context.config(), m_context.currentUser).inReportOrder();
    if (m_data.isEmpty()) {
        setControlsEnabled(false);
        MSChart1->setVisible(false);
        lblNoData->setVisible(true);
        m_context.prompts().ask({PromptIcon::Critical, PromptButtons::Ok, kNoDataTitle, kNoDataMessage});
        return false;
    }
    setControlsEnabled(true);
    MSChart1->setVisible(true);
    lblNoData->setVisible(false);
    // The optional nutrients are offered when some day has some of them.
    for (int n : {int(DietGraphData::Other1), int(DietGraphData::Other2)}) {
        const bool offered = m_data.hasPositive(n);
        rbNutrient[n]->setEnabled(offered);
        rbNutrient[n]->setVisible(offered);
    }
    setAxisLabels();
    showNutrient(-1);
    return true;
}

void GraphWindow::setControlsEnabled(bool enabled)
{
    for (QWidget* control : {static_cast<QWidget*>(cmdPrint), static_cast<QWidget*>(cmdPrintAll),
                             static_cast<QWidget*>(cmdSaveImage)})
        control->setEnabled(enabled);
    for (QRadioButton* choice : rbNutrient)
        choice->setEnabled(enabled);
    for (QRadioButton* choice : rbStyle)
        choice->setEnabled(enabled);
}

void GraphWindow::setAxisLabels()
{
    // Every day is counted; with many days only every step'th is labelled.
    for (const QString& label : m_dayAxis->categoriesLabels())
        m_dayAxis->remove(label);
    const int days = m_data.rowCount();
    const int step = labelStep(days);
    m_dayAxis->setStartValue(0.5);
    m_dayAxis->append(DietGraphData::rowLabel(0), 1);
    for (int day = step; day <= days; day += step) {
        if (day > 1)
            m_dayAxis->append(DietGraphData::rowLabel(day - 1), day);
    }
    m_dayAxis->setRange(0.5, days + 0.5);
}

int GraphWindow::selectedNutrient() const
{
    for (int n = 0; n < DietGraphData::kNutrients; ++n) {
        if (rbNutrient[n]->isChecked())
            return n;
    }
    return 0;
}

void GraphWindow::showNutrient(int nutrient)
{
    m_shown = nutrient < 0 ? selectedNutrient() : nutrient;
    const QString caption = rbNutrient[m_shown]->text();
    m_valueAxis->setTitleText(caption);
    chart->setTitle(DietGraphData::title(caption, m_graphTitle));
    fillSeries();
    describeChart();
}

void GraphWindow::setChartStyle(int style)
{
    m_line = style == 1;
    fillSeries();
    describeChart();
}

void GraphWindow::describeChart()
{
    MSChart1->setAccessibleName(chart->title());
    MSChart1->setAccessibleDescription(m_data.description(rbNutrient[m_shown]->text(), m_line));
}

void GraphWindow::fillSeries()
{
    if (m_data.isEmpty())
        return;
    const QVector<std::optional<double>>& values = m_data.values(m_shown);
    QList<QPointF> points;
    if (m_line) {
        // A day without a value leaves no point; the line joins its neighbours.
        points.reserve(values.size());
        for (int row = 0; row < values.size(); ++row) {
            if (values[row] && std::isfinite(*values[row]))
                points.append(QPointF(row + 1, *values[row]));
        }
        m_points->setPointsVisible(values.size() <= kMarkedDays);
        // A thinner line where years of days crowd it.
        QPen pen = m_points->pen();
        pen.setWidth(values.size() <= 10 * kMarkedDays ? 2 : 1);
        m_points->setPen(pen);
        m_points->replace(points);
    } else {
        m_points->clear();
    }
    m_bars->setValues(values, !m_line);
    m_points->setVisible(m_line);
    m_goalLine->replace(GoalLine::points(m_goals[m_shown], m_data.rowCount()));
    m_goalLine->setVisible(m_goalLine->count() > 0);
    chart->legend()->setVisible(m_goalLine->isVisible());
    // The legend names the goal alone (a marker shows again with its series).
    for (QLegendMarker* marker : chart->legend()->markers(m_points))
        marker->setVisible(false);
    const GoalLine::Range range = GoalLine::range(m_data, m_shown, m_goals[m_shown]);
    const DietGraphData::Scale scale = DietGraphData::valueScale(range.lo, range.hi);
    m_valueAxis->setRange(scale.min, scale.max);
    m_valueAxis->setTickCount(scale.ticks);
}

QString GraphWindow::tipAt(const QPointF& value) const
{
    const int day = int(std::lround(value.x()));
    if (day < 1 || day > m_data.rowCount())
        return QString();
    const std::optional<double> sum = m_data.value(m_shown, day - 1);
    // Over a bar means over its day and between the base and its top (bars
    // of a long range are too thin to be found otherwise); an invalid day is
    // marked from top to bottom.
    if (!m_line && !m_data.isInvalid(m_shown, day - 1) &&
        (!sum || value.y() < std::min(0.0, *sum) || value.y() > std::max(0.0, *sum)))
        return QString();
    return m_data.tip(m_shown, day - 1, rbNutrient[m_shown]->text());
}

void GraphWindow::hovered(const QPointF& point, bool state)
{
    const QString tip = state ? tipAt(point) : QString();
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(QCursor::pos(), tip, MSChart1);
}

void GraphWindow::printGraphs(GraphPrintPlan::Mode mode)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(documentName(mode));
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(mode == GraphPrintPlan::Mode::All ? QStringLiteral("Print All Graphs")
                                                            : QStringLiteral("Print Current Graph"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!printTo(printer, mode))
        m_context.exclaim(QStringLiteral("The graph could not be printed."));
}

QString GraphWindow::documentName(GraphPrintPlan::Mode mode) const
{
    // The chart printed, or the window's caption for all of them.
    return ReportFormat::documentName(mode == GraphPrintPlan::Mode::All ? windowTitle() : chart->title());
}

bool GraphWindow::printTo(QPrinter& printer, GraphPrintPlan::Mode mode)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRectF page(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
    printGraphs(mode, painter, page, printer.resolution(), [&printer] { return printer.newPage(); });
    return painter.end();
}

void GraphWindow::printGraphs(GraphPrintPlan::Mode mode, QPainter& painter, const QRectF& page, double dpi,
                              const std::function<bool()>& newPage)
{
    WaitCursor wait;
    cmdPrint->setEnabled(false);
    cmdPrintAll->setEnabled(false);
    // Each chart at the size it has on screen, made smaller when wider than the paper.
    QSizeF size(MSChart1->width() * dpi / MSChart1->logicalDpiX(), MSChart1->height() * dpi / MSChart1->logicalDpiY());
    if (size.width() > page.width())
        size *= page.width() / size.width();
    std::array<bool, DietGraphData::kNutrients> visible{};
    for (int n = 0; n < DietGraphData::kNutrients; ++n)
        visible[n] = !rbNutrient[n]->isHidden();
    const QList<int> printed = GraphPrintPlan::printed(mode, selectedNutrient(), visible);
    const QList<GraphPrintPlan::Page> pages = GraphPrintPlan::pages(printed, page.height(), size.height());
    for (int p = 0; p < pages.size(); ++p) {
        if (p > 0)
            newPage();
        for (const GraphPrintPlan::Placed& placed : pages[p]) {
            showNutrient(placed.nutrient);
            // The chart lays itself out for the new data before it is drawn.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            MSChart1->render(&painter, QRectF(page.topLeft() + QPointF(0, placed.top), size), QRect(),
                             Qt::IgnoreAspectRatio);
        }
    }
    cmdPrint->setEnabled(true);
    cmdPrintAll->setEnabled(true);
    showNutrient(-1);
}

bool GraphWindow::saveImage(const QString& path, QString* failure)
{
    // Written whole before it replaces an earlier picture of that name.
    SavedFile file(path);
    bool drawn = file.open();
    if (drawn && QFileInfo(path).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(MSChart1->size());
        svg.setViewBox(QRect(QPoint(0, 0), MSChart1->size()));
        svg.setTitle(chart->title());
        QPainter painter;
        drawn = painter.begin(&svg);
        if (drawn) {
            MSChart1->render(&painter);
            drawn = painter.end();
        }
    } else if (drawn) {
        // Encoded in memory first: libpng gives up on a failed write by a long
        // jump past Qt's clean-up, leaking the image it was writing.
        QByteArray png;
        QBuffer buffer(&png);
        drawn = buffer.open(QIODevice::WriteOnly) && MSChart1->grab().save(&buffer, "PNG") &&
                file.write(png) == png.size();
    }
    if (drawn && file.commit())
        return true;
    file.cancel();
    if (failure)
        *failure = file.failure();
    return false;
}

void GraphWindow::saveImageAs()
{
    const QString png = QStringLiteral("PNG Image (*.png)");
    const QString svg = QStringLiteral("SVG Image (*.svg)");
    QString filter = png;
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Image"),
                                                rbNutrient[m_shown]->text() + QStringLiteral(".png"),
                                                png + QStringLiteral(";;") + svg, &filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += filter == svg ? QStringLiteral(".svg") : QStringLiteral(".png");
    QString failure;
    if (!saveImage(path, &failure))
        m_context.exclaim(QStringLiteral("The image could not be saved to ") + QDir::toNativeSeparators(path) +
                          (failure.isEmpty() ? QString() : QStringLiteral(": ") + failure) + QStringLiteral("."));
}
