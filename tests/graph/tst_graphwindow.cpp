#include "data/orvdatasource.h"
#include "fixture.h"
#include "fulldisk.h"
#include "goals/dailygoals.h"
#include "graph/graphwindow.h"

#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QImage>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

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
    QValueAxis* sums() { return qobject_cast<QValueAxis*>(g->chart->axes(Qt::Vertical).value(0)); }
    // The chart's title, its axes' titles and the days' labels.
    QStringList captions()
    {
        auto* days = qobject_cast<QCategoryAxis*>(g->chart->axes(Qt::Horizontal).value(0));
        return QStringList{g->chart->title(), days->titleText(), sums()->titleText()} + days->categoriesLabels();
    }

    // Prints onto a drawing of pages chartsPerPage chart heights high; the titles on each page.
    QList<QStringList> print(GraphPrintPlan::Mode mode, double chartsPerPage)
    {
        const double dpi = 600;
        const QSize size(int(g->MSChart1->width() * dpi / g->MSChart1->logicalDpiX()) + 10,
                         int(g->MSChart1->height() * dpi / g->MSChart1->logicalDpiY() * chartsPerPage));
        QBuffer drawn;
        QSvgGenerator drawing;
        drawing.setOutputDevice(&drawn);
        drawing.setResolution(int(dpi));
        drawing.setSize(size);
        QPainter painter(&drawing);
        g->printGraphs(mode, painter, QRectF(QPointF(0, 0), size), dpi, [&] {
            painter.drawText(0, 0, "NEW PAGE");
            return true;
        });
        painter.end();
        QList<QStringList> pages;
        for (const QString& page : QString::fromUtf8(drawn.data()).split("NEW PAGE")) {
            pages.append(QStringList());
            for (const QRegularExpressionMatch& title : QRegularExpression("Diet Activity Graph of [^<]*").globalMatch(page))
                pages.last() << title.captured();
        }
        return pages;
    }
    static QString title(const QString& nutrient) { return "Diet Activity Graph of " + nutrient + " for 05/01/03 - 05/31/03"; }

private slots:
    void init()
    {
        t = std::make_unique<TestContext>();
        t->ctx().currentUser = "USER1";
        // Two days with entries a week apart, and a third whose calories and
        // fat are damaged beyond any number; none with any Other2.
        t->addDietRow("USER1", QDate(2003, 5, 13), "", "Soup", 1);
        t->addDietRow("USER1", QDate(2003, 5, 20), "", "Egg", 2);
        const qint32 stew = t->addDietRow("USER1", QDate(2003, 5, 21), "", "Stew", 3);
        t->exec("UPDATE DietActivity SET Calorie = -9e999, Fat = 9e999 WHERE DietId = ?", {stew});
        t->exec("UPDATE DietActivity SET Other2 = 0");
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
        QCOMPARE((QStringList{g->rbNutrient[6]->text(), g->rbNutrient[7]->text()}), (QStringList{"Fiber", "Sugars"}));
        QCOMPARE((QList<bool>{g->rbNutrient[6]->isVisible(), g->rbNutrient[6]->isEnabled(), g->rbNutrient[7]->isVisible(),
                              g->rbNutrient[7]->isEnabled()}),
                 (QList<bool>{true, true, false, false}));
        QVERIFY(g->MSChart1->isVisible() && !g->lblNoData->isVisible());
        QCOMPARE(captions(), (QStringList{title("Calories"), "Day", "Calories", "1 ", "2 ", "3 "}));
        // The damaged day is marked from top to bottom and leaves the scale to the others.
        QCOMPARE((QList<double>{sums()->min(), sums()->max()}), (QList<double>{0, 8}));
        QCOMPARE(g->tipAt(QPointF(3, 1e6)), QString("Day 3: Wed 2003/05/21\nCalories: invalid"));

        g->rbNutrient[6]->click();
        QCOMPARE(captions(), (QStringList{title("Fiber"), "Day", "Fiber", "1 ", "2 ", "3 "}));
        // A bar's tip names its day and sum; above a bar there is none.
        QCOMPARE(g->tipAt(QPointF(2.1, 1.0)), QString("Day 2: Tue 2003/05/20\nFiber: 14.0"));
        QCOMPARE(g->tipAt(QPointF(2.1, 14.5)), QString());

        g->rbStyle[1]->click();
        QVERIFY(g->isLineChart() && line()->isVisible());
        QCOMPARE(line()->points(), (QList<QPointF>{{1, 7}, {2, 14}, {3, 21}}));
        QCOMPARE(g->tipAt(QPointF(1.3, 50)), QString("Day 1: Tue 2003/05/13\nFiber: 7.0"));
        g->rbNutrient[1]->click();
        QCOMPARE(line()->points(), (QList<QPointF>{{1, 1}, {2, 2}}));
        // The line keeps the scale the sums ask for.
        QCOMPARE((QList<double>{sums()->max(), double(sums()->tickCount())}), (QList<double>{2, 5}));
        QCOMPARE(g->chart->title(), title("Fat"));
    }

    // The current user's goal of the nutrient shown is a level "Goal" line
    // across the days, over the bars or beside the line, in the picture saved
    // and on the page printed; the scale takes it in. Without a goal there is none.
    void goalLineAcrossTheDays()
    {
        // Fat, Protein, Carbohydrate, Calorie, Sodium: calories 4 and 8 a day, sodium 5 and 10.
        // Without the damaged day, whose red marking would hide the line's.
        t->exec("DELETE FROM DietActivity WHERE FoodName = 'Stew'");
        DailyGoals::write(t->ctx(), "USER1", {"0", "", "", "6", "100"});
        DailyGoals::write(t->ctx(), "USER2", {"1", "1", "1", "1", "1"});
        open();
        QLineSeries* goal = nullptr;
        for (QAbstractSeries* series : g->chart->series())
            if (series->name() == "Goal")
                goal = qobject_cast<QLineSeries*>(series);
        QVERIFY(goal);
        const QList<QPointF> across{{0.5, 6}, {2.5, 6}};
        QCOMPARE(goal->points(), across);
        QVERIFY(goal->isVisible() && g->chart->legend()->isVisible());
        QCOMPARE(sums()->max(), 8.0);
        // Drawn over the second day's bar, which reaches 8, where the line crosses it.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        const QPoint crossing = g->MSChart1->mapFromScene(g->chart->mapToPosition(QPointF(2, 6), goal));
        const auto isRed = [](QRgb pixel) { return qRed(pixel) > 150 && qGreen(pixel) < 90 && qBlue(pixel) < 90; };
        const QImage shown = g->MSChart1->grab().toImage();
        int redOverTheBar = 0; // the line is dashed: some of it
        for (int x = crossing.x() - 20; x <= crossing.x() + 20; ++x)
            for (int y = crossing.y() - 1; y <= crossing.y() + 1; ++y)
                redOverTheBar += isRed(shown.pixel(x, y));
        QVERIFY(redOverTheBar > 10);

        // A red line in the picture saved and on the page printed, and none without a goal.
        QTemporaryDir dir;
        const auto redPixels = [&](const QImage& image) {
            int red = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    red += isRed(image.pixel(x, y));
            return red;
        };
        const auto printed = [&] {
            QImage page(g->MSChart1->size(), QImage::Format_RGB32);
            page.fill(Qt::white);
            QPainter painter(&page);
            g->printGraphs(GraphPrintPlan::Mode::Current, painter, QRectF(page.rect()), g->MSChart1->logicalDpiX(),
                           [] { return true; });
            return page;
        };
        // A picture of the chart as shown, in the format its name gives; a folder that is not there fails.
        QVERIFY(g->saveImage(dir.filePath("goal.png")) && g->saveImage(dir.filePath("goal.svg")));
        QVERIFY(redPixels(QImage(dir.filePath("goal.png"))) > 100);
        QCOMPARE(QImage(dir.filePath("goal.png")).size(), g->MSChart1->size() * g->MSChart1->devicePixelRatio());
        const QByteArray drawing = fileBytes(dir.filePath("goal.svg"));
        QVERIFY(drawing.contains("<svg") && drawing.contains("Diet Activity Graph of Calories"));
        QVERIFY(!g->saveImage(dir.filePath("missing/folder/graph.png")));
        {
            // On a full disk the picture saved before stays as it was, and the failure says why.
            const QByteArray before = fileBytes(dir.filePath("goal.png"));
            FullDisk::Folder full(dir.path(), 1000);
            QString failure;
            QVERIFY(!g->saveImage(dir.filePath("goal.png"), &failure));
            QCOMPARE(failure, QString("the disk is full"));
            QCOMPARE(fileBytes(dir.filePath("goal.png")), before);
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"goal.png", "goal.svg"}));
        }
        QVERIFY(redPixels(printed()) > 100);

        g->rbStyle[1]->click();
        QVERIFY(goal->isVisible() && line()->isVisible());
        QCOMPARE(goal->points(), across);
        QStringList named;
        for (QLegendMarker* marker : g->chart->legend()->markers())
            if (marker->isVisible())
                named << marker->label();
        QCOMPARE(named, QStringList{"Goal"});
        g->rbNutrient[3]->click(); // sodium: the scale reaches the goal of 100
        QCOMPARE(goal->points(), (QList<QPointF>{{0.5, 100}, {2.5, 100}}));
        QCOMPARE(sums()->max(), 100.0);
        g->rbNutrient[1]->click(); // fat: a goal of 0 draws nothing
        QVERIFY(!goal->isVisible() && !g->chart->legend()->isVisible());
        QCOMPARE(sums()->max(), 2.0);
        QVERIFY(g->saveImage(dir.filePath("none.png")));
        QCOMPARE(redPixels(QImage(dir.filePath("none.png"))), 0);
    }

    void noDataSaysSoOnce()
    {
        t->exec("DELETE FROM DietActivity");
        open();
        QCOMPARE(t->prompts.shown(), QList<Prompt>{(Prompt{PromptIcon::Critical, PromptButtons::Ok, "No Data Returned",
                                                          "There was no diet activity data for the criteria entered."})});
        QVERIFY(!g->MSChart1->isVisible() && g->lblNoData->isVisible());
        QCOMPARE(g->lblNoData->text(), QString("Your criteria returned no data."));
        QList<QWidget*> off{g->cmdPrint, g->cmdPrintAll, g->cmdSaveImage, g->rbStyle[0], g->rbStyle[1]};
        off.append(QList<QWidget*>(g->rbNutrient.begin(), g->rbNutrient.end()));
        QVERIFY(std::none_of(off.begin(), off.end(), [](QWidget* control) { return control->isEnabled(); }));
        QVERIFY(g->cmdQuit->isEnabled());
    }

    void printsTheChosenChartsWholeToAPage()
    {
        open();
        g->rbNutrient[1]->click();
        // Another nutrient on screen does not change what Print Current Graph prints.
        g->showNutrient(3);
        QCOMPARE(print(GraphPrintPlan::Mode::Current, 1.5), QList<QStringList>{{title("Fat")}});
        // The printout's name, which the print dialog gives its PDF file, holds no slashes.
        QCOMPARE((QStringList{g->documentName(GraphPrintPlan::Mode::Current), g->documentName(GraphPrintPlan::Mode::All)}),
                 (QStringList{"Diet Activity Graph of Fat for 05-01-03 - 05-31-03", "Diet Activity Graph 05-01-03 - 05-31-03"}));
        QCOMPARE(g->shownNutrient(), 1);
        QVERIFY(g->cmdPrint->isEnabled() && g->cmdPrintAll->isEnabled());
        // Every visible nutrient: Other1 (Fiber) has sums, Other2 none.
        const QStringList all{title("Calories"), title("Fat"),           title("Cholesterol"), title("Sodium"),
                              title("Carbohydrates"), title("Protein"), title("Fiber")};
        QCOMPARE(print(GraphPrintPlan::Mode::All, 2.2),
                 (QList<QStringList>{all.mid(0, 2), all.mid(2, 2), all.mid(4, 2), all.mid(6)}));
        QCOMPARE(g->chart->title(), title("Fat"));
    }
};

QTEST_MAIN(GraphWindowTest)
#include "tst_graphwindow.moc"
