#include "data/orvdatasource.h"
#include "fixture.h"
#include "graph/graphwindow.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

namespace {

// A page that keeps the texts painted on it, standing in for a printer page.
class TextPage : public QPaintDevice
{
public:
    static constexpr int kDpi = 600;
    explicit TextPage(QSize size) : m_size(size) {}
    QPaintEngine* paintEngine() const override { return &m_engine; }
    QStringList titles() const { return m_engine.texts.filter(QRegularExpression("^Diet Activity Graph of ")); }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmWidthMM:
            return m_size.width() * 254 / kDpi / 10;
        case PdmHeightMM:
            return m_size.height() * 254 / kDpi / 10;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return 1 << 24;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        default: // the resolutions
            return kDpi;
        }
    }

private:
    struct Engine : QPaintEngine
    {
        Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        // Shapes are not kept (and must be overridden: the defaults call each other).
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath&) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { texts << item.text(); }
        Type type() const override { return User; }
        QStringList texts;
    };
    QSize m_size;
    mutable Engine m_engine;
};

} // namespace

// The diet graph window over the graph query's rows of a small log.
class GraphWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestContext> t;
    std::unique_ptr<GraphWindow> g;

    // A graph of May 2003 (USER1), built and shown.
    void open()
    {
        t->ctx().dataSource().cmdDietGraph(QDate(2003, 5, 1), QDate(2003, 5, 31), "USER1");
        g = std::make_unique<GraphWindow>(t->ctx());
        g->setDateRange(QDate(2003, 5, 1), QDate(2003, 5, 31));
        g->buildGraph();
        g->resize(900, 600);
        g->show();
        QVERIFY(QTest::qWaitForWindowExposed(g.get()));
    }
    QLineSeries* line() { return qobject_cast<QLineSeries*>(g->chart->series().value(0)); }
    QString axisTitle(Qt::Orientation orientation) { return g->chart->axes(orientation).value(0)->titleText(); }

    // Prints onto recorded pages chartsPerPage chart heights high; the titles of each page.
    QList<QStringList> print(GraphPrintPlan::Mode mode, double chartsPerPage)
    {
        const double dpi = TextPage::kDpi;
        const QSize size(int(g->MSChart1->width() * dpi / g->MSChart1->logicalDpiX()) + 10,
                         int(g->MSChart1->height() * dpi / g->MSChart1->logicalDpiY() * chartsPerPage));
        TextPage paper(size);
        QPainter painter(&paper);
        QList<QStringList> pages;
        qsizetype printed = 0;
        const auto endPage = [&] {
            pages.append(paper.titles().mid(printed));
            printed += pages.last().size();
            return true;
        };
        g->printGraphs(mode, painter, QRectF(QPointF(0, 0), size), dpi, endPage);
        endPage();
        return pages;
    }
    static QString title(const QString& nutrient) { return "Diet Activity Graph of " + nutrient + " for 05/01/03 - 05/31/03"; }

private slots:
    void init()
    {
        t = std::make_unique<TestContext>();
        t->ctx().currentUser = "USER1";
        // Two days with entries a week apart, the second without any Other2.
        t->addDietRow("USER1", QDate(2003, 5, 13), "", "Soup", 1);
        const qint32 egg = t->addDietRow("USER1", QDate(2003, 5, 20), "", "Egg", 2);
        t->exec("UPDATE DietActivity SET Other2 = 0 WHERE DietId = ? OR FoodName = 'Soup'", {egg});
    }
    void cleanup()
    {
        g.reset();
        t.reset();
    }

    void showsOneNutrientOfEveryDay()
    {
        open();
        // The optional nutrients go by the user's labels; Other2 has nothing to show.
        QCOMPARE(g->rbNutrient[6]->text(), QString("Fiber"));
        QCOMPARE(g->rbNutrient[7]->text(), QString("Sugars"));
        QVERIFY(g->rbNutrient[6]->isVisible() && g->rbNutrient[6]->isEnabled());
        QVERIFY(!g->rbNutrient[7]->isVisible() && !g->rbNutrient[7]->isEnabled());
        QVERIFY(g->MSChart1->isVisible() && !g->lblNoData->isVisible());
        QCOMPARE(g->chart->title(), title("Calories"));
        QCOMPARE(axisTitle(Qt::Horizontal), QString("Day"));
        QCOMPARE(axisTitle(Qt::Vertical), QString("Calories"));
        auto* days = qobject_cast<QCategoryAxis*>(g->chart->axes(Qt::Horizontal).value(0));
        QCOMPARE(days->categoriesLabels(), (QStringList{"1 ", "2 "}));
        QVERIFY(!days->isLineVisible()); // no tick marks
        auto* sums = qobject_cast<QValueAxis*>(g->chart->axes(Qt::Vertical).value(0));
        QCOMPARE(sums->max(), 8.0);

        g->rbNutrient[6]->click();
        QCOMPARE(g->chart->title(), title("Fiber"));
        QCOMPARE(axisTitle(Qt::Vertical), QString("Fiber"));
        // A bar's tip names its day and sum; beside or above a bar there is none.
        QCOMPARE(g->tipAt(QPointF(2.1, 1.0)), QString("Day 2: Tue 2003/05/20\nFiber: 14.0"));
        QCOMPARE(g->tipAt(QPointF(2.1, 14.5)), QString());
        QCOMPARE(g->tipAt(QPointF(3.2, 1.0)), QString());

        g->rbStyle[1]->click();
        QVERIFY(g->isLineChart() && line()->isVisible());
        QCOMPARE(line()->points(), (QList<QPointF>{{1, 7}, {2, 14}}));
        QVERIFY(line()->pointsVisible());
        QCOMPARE(g->tipAt(QPointF(1.3, 50)), QString("Day 1: Tue 2003/05/13\nFiber: 7.0"));
        g->rbNutrient[1]->click();
        QCOMPARE(line()->points(), (QList<QPointF>{{1, 1}, {2, 2}}));
        // The line keeps the scale the sums ask for.
        QCOMPARE(sums->max(), 2.0);
        QCOMPARE(sums->tickCount(), 5);
        QCOMPARE(g->chart->title(), title("Fat"));
    }

    void noDataSaysSoOnce()
    {
        t->exec("DELETE FROM DietActivity");
        open();
        QCOMPARE(t->prompts.shown(), QList<Prompt>{(Prompt{PromptIcon::Critical, PromptButtons::Ok, "No Data Returned",
                                                          "There was no diet activity data for the criteria entered."})});
        QVERIFY(!g->MSChart1->isVisible() && g->lblNoData->isVisible());
        QCOMPARE(g->lblNoData->text(), QString("Your criteria returned no data."));
        for (QWidget* control : std::initializer_list<QWidget*>{g->cmdPrint, g->cmdPrintAll, g->cmdSaveImage,
                                                                 g->rbStyle[0], g->rbStyle[1]})
            QVERIFY(!control->isEnabled());
        for (QRadioButton* choice : g->rbNutrient)
            QVERIFY(!choice->isEnabled());
        QVERIFY(g->cmdQuit->isEnabled());
    }

    void printsTheChosenChartsWholeToAPage()
    {
        open();
        g->rbNutrient[1]->click();
        // Another nutrient on screen does not change what Print Current Graph prints.
        g->showNutrient(3);
        QCOMPARE(print(GraphPrintPlan::Mode::Current, 1.5), QList<QStringList>{{title("Fat")}});
        QCOMPARE(g->shownNutrient(), 1);
        QVERIFY(g->cmdPrint->isEnabled() && g->cmdPrintAll->isEnabled());
        // Every visible nutrient: Other1 (Fiber) has sums, Other2 none.
        const QStringList all{title("Calories"), title("Fat"),           title("Cholesterol"), title("Sodium"),
                              title("Carbohydrates"), title("Protein"), title("Fiber")};
        QCOMPARE(print(GraphPrintPlan::Mode::All, 2.2),
                 (QList<QStringList>{all.mid(0, 2), all.mid(2, 2), all.mid(4, 2), all.mid(6)}));
        QCOMPARE(g->chart->title(), title("Fat"));
    }

    void printsToAPdfAndSavesImages()
    {
        open();
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("graphs.pdf"));
        QVERIFY(g->printTo(printer, GraphPrintPlan::Mode::All));
        const QByteArray bytes = fileBytes(dir.filePath("graphs.pdf"));
        QVERIFY(bytes.startsWith("%PDF"));
        // Seven charts, as many whole ones to a page as fit.
        const int perPage = GraphPrintPlan::chartsPerPage(
            printer.pageLayout().paintRectPixels(printer.resolution()).height(),
            g->MSChart1->height() * double(printer.resolution()) / g->MSChart1->logicalDpiY());
        QCOMPARE(int(bytes.count("/Type /Page\n")), (7 + perPage - 1) / perPage);

        QVERIFY(g->saveImage(dir.filePath("graph.png")));
        QCOMPARE(QImage(dir.filePath("graph.png")).size(), g->MSChart1->size() * g->MSChart1->devicePixelRatio());
        QVERIFY(g->saveImage(dir.filePath("graph.svg")));
        const QByteArray drawing = fileBytes(dir.filePath("graph.svg"));
        QVERIFY(drawing.contains("<svg") && drawing.contains("Diet Activity Graph of Calories"));
        QVERIFY(!g->saveImage(dir.filePath("missing/folder/graph.png")));
    }
};

QTEST_MAIN(GraphWindowTest)
#include "tst_graphwindow.moc"
