#include "fixture.h"
#include "print/printfunctions.h"
#include "print/recordingsurface.h"
#include "printtestlist.h"
#include "report/reportprintsetup.h"

#include <QTemporaryDir>
#include <QTest>
#include <cmath>

// The list printer laid out on a recording surface, whose characters are
// size x 10 twips wide and whose lines are size x 20 twips high.
namespace {

constexpr double kMargin = 567; // 1 cm
constexpr double kRowHeight = 300;
constexpr double kPixel = 15;   // twips per screen pixel
constexpr double kWide = 11906; // A4 portrait width

// Where the rows start on the first page under a 14 pt title: the title at
// the top margin, half a centimetre, the column titles (10 pt) and two pixels.
const double kHeaderTop = std::nearbyint(kMargin + 14 * 20 + 283.5);
const double kRowsTop = kHeaderTop + 200 + 2 * kPixel;
// On the next pages the column titles stand at the top margin.
const double kNextRowsTop = kMargin + 200 + 2 * kPixel;

using List = PrintTestList;

} // namespace

class PrintEngineTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<ProgramRun> run;

    // A printer for the list with 1 cm margins and a 14 pt title.
    std::unique_ptr<CPrintListView> printerFor(RecordingSurface& surface, List& list)
    {
        auto printer = std::make_unique<CPrintListView>(surface, run->context);
        list.setUp(*printer);
        return printer;
    }

private slots:
    void init() { run = std::make_unique<ProgramRun>(dir.path()); }

    void pageBreaks_data()
    {
        QTest::addColumn<double>("pageHeight");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("perPage");
        QTest::addColumn<QString>("footer");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<double>("x");
        QTest::addColumn<QStringList>("printed");
        // The page on which the tenth row would end exactly on the bottom margin.
        const double exact = kRowsTop + 10 * kRowHeight + kMargin;
        // Footers are measured with the placeholder: five characters, whatever the number.
        const double centred = (kWide - 1000) / 2;
        QTest::newRow("a row ending on the margin goes over") << exact << 10 << QList<int>{9, 1} << "Page <pag>"
                                                              << CText::kCentre << centred
                                                              << QStringList{"Page 1", "Page 2"};
        QTest::newRow("a twip more and it stays, right") << exact + 1 << 10 << QList<int>{10} << "p<pag>"
                                                         << CText::kRight << kWide - kMargin - 600 << QStringList{"p1"};
        QTest::newRow("empty list, first placeholder only") << exact << 0 << QList<int>{0} << "<pag>/<pag>"
                                                            << CText::kLeft << kMargin << QStringList{"1/<pag>"};
        // The next pages have no title: they hold more rows.
        const int later = int(std::ceil((exact - kMargin - kNextRowsTop) / kRowHeight)) - 1;
        QTest::newRow("three pages") << exact << 9 + later + 2 << QList<int>{9, later, 2} << "Page <pag>"
                                     << CText::kCentre << centred << QStringList{"Page 1", "Page 2", "Page 3"};
    }

    void pageBreaks()
    {
        QFETCH(double, pageHeight);
        QFETCH(int, rows);
        QFETCH(QList<int>, perPage);
        QFETCH(QStringList, printed);
        RecordingSurface surface(QSizeF(kWide, pageHeight));
        List list;
        list.addRows(rows);
        auto printer = printerFor(surface, list);
        printer->page.header.text = "HEAD";
        QFETCH(QString, footer);
        printer->page.footer.text = footer;
        QFETCH(int, alignment);
        printer->page.footer.alignment = alignment;
        QVERIFY(printer->printControl());
        QList<int> counts(surface.pageCount());
        for (const PrintOp& op : surface.texts())
            counts[op.page - 1] += op.text.startsWith("row ");
        QCOMPARE(counts, perPage);
        QCOMPARE(printer->printedItems(), rows);
        QVERIFY(surface.ended());
        // The title once, the header block and the column titles on every page.
        for (int page = 1; page <= surface.pageCount(); ++page) {
            const QStringList texts = surface.textStrings(page);
            QCOMPARE((QList<qsizetype>{texts.count("TITLE"), texts.count("HEAD"), texts.count("Name")}),
                     (QList<qsizetype>{page == 1, 1, 1}));
        }
        // The header at the top of each page; every page ends with its footer: after a break one row below
        // the last row, on the last page at the bottom margin.
        QStringList footers;
        QList<double> footerYs;
        for (const PrintOp& op : surface.texts()) {
            if (printed.contains(op.text)) {
                footers.append(op.text);
                footerYs.append(op.y);
                QTEST(op.x, "x");
            }
            if (op.text == "HEAD")
                QCOMPARE(op.y, 0.0);
        }
        QCOMPARE(footers, printed);
        if (perPage.size() > 1)
            QCOMPARE(footerYs.first(), kRowsTop + (perPage.first() + 1) * kRowHeight);
        QCOMPARE(footerYs.last(), pageHeight - kMargin);
    }

    void cellsAreCutColumnTitlesAreNot()
    {
        RecordingSurface surface;
        List list({"Name", "Hidden", "Amount", "Gone", "Note"}, {1500, 0, 500, -5, 800});
        list.model.setHeaderData(2, Qt::Horizontal, int(Qt::AlignRight), Qt::TextAlignmentRole);
        list.model.setHeaderData(4, Qt::Horizontal, int(Qt::AlignHCenter), Qt::TextAlignmentRole);
        list.addRow({"  Apples  ", "secret", "12345678", "x", "ab"}, false, "meal");
        list.addRow({"row 1"});
        auto printer = printerFor(surface, list);
        QVERIFY(printer->printControl());

        // Column titles: not cut, aligned like their columns, each over a rule;
        // columns of no width take no room. Cells: trimmed, cut to their column,
        // centred in the row's height; the first starts one pixel after the
        // picture's place. The picture (the next row has none), 16 pixels
        // square, is centred in the row at the left margin.
        const auto point = [](const QString& text, double x, double y) { return QString("%1 %2,%3").arg(text).arg(x).arg(y); };
        QStringList at;
        for (const PrintOp& op : surface.ops) {
            if (op.kind == PrintOp::Kind::Line || op.kind == PrintOp::Kind::Picture)
                at << point(QString("%1 %2,%3 from").arg(op.text).arg(op.x2).arg(op.y2), op.x, op.y);
            else if (op.kind == PrintOp::Kind::Text && !op.text.trimmed().isEmpty()) // no blank header, footer or cell
                at << point(op.text, op.x, op.y);
        }
        const double y = kRowsTop + (kRowHeight - 200) / 2, under = kHeaderTop + 200, side = 16 * kPixel;
        const auto rule = [&](double from, double to) { return point(QString(" %1,%2 from").arg(to).arg(under), from, under); };
        QCOMPARE(at, (QStringList{point("TITLE", (kWide - 5 * 140) / 2, kMargin), rule(kMargin, kMargin + 1500),
                                  point("Name", kMargin, kHeaderTop), rule(kMargin + 1500, kMargin + 2000),
                                  point("Amount", kMargin + 1500 + 500 - 600, kHeaderTop), rule(kMargin + 2000, kMargin + 2800),
                                  point("Note", kMargin + 2000 + (800 - 400) / 2, kHeaderTop),
                                  point(QString("meal %1,%1 from").arg(side), kMargin, kRowsTop + (kRowHeight - side) / 2),
                                  point("Apples", kMargin + 17 * kPixel, y), point("12345", kMargin + 1500, y),
                                  point("ab", kMargin + 2000 + (800 - 200) / 2, y),
                                  point("row 1", kMargin + 17 * kPixel, y + kRowHeight)}));
    }

    void tooWideFooterStaysOnThePaper_data()
    {
        QTest::addColumn<double>("pageWidth");
        QTest::newRow("portrait") << kWide;
        QTest::newRow("landscape") << 16838.0;
        QTest::newRow("wide enough") << 30000.0;
    }

    // The reports' footer is two runs of 80 blanks between three parts; on
    // narrow paper the blank runs give way so that no part is cut off.
    void tooWideFooterStaysOnThePaper()
    {
        QFETCH(double, pageWidth);
        RecordingSurface surface(QSizeF(pageWidth, 16838));
        CText footer;
        footer.text = ReportPrintSetup::footerText(run->context);
        footer.font = FontSpec{"Arial", 8};
        footer.alignment = CText::kCentre;
        PrintFunctions::printTextBlock(surface, footer, kMargin, kMargin);
        const PrintOp op = surface.texts().constFirst();
        const double width = op.text.size() * 80;
        if (footer.text.size() * 80 <= pageWidth - 2 * kMargin) {
            QCOMPARE(op.text, QString(footer.text).replace("<pag>", "1"));
        } else {
            QVERIFY(op.x >= kMargin && op.x + width <= pageWidth - kMargin);
            QVERIFY(op.text.startsWith(run->context.companyName + " - ") && op.text.endsWith("  Page 1") &&
                    op.text.contains(run->context.appTitle));
        }
    }

    // Only the selected rows print, one under the other; each takes its own
    // boldness (the title and the column titles are bold), and the printer keeps the last.
    void selectedRowsTakeTheirBoldAndTheirRoom()
    {
        const QList<bool> bold{true, false, false, true, false};
        RecordingSurface surface;
        List list;
        for (int i = 0; i < bold.size(); ++i)
            list.addRow({QString("row %1").arg(i)}, bold[i]);
        for (int row : {0, 1, 3})
            list.selection.select(list.model.index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        auto printer = printerFor(surface, list);
        printer->headerFont.bold = true;
        printer->printOnlySelectedItems = true;
        QVERIFY(printer->printControl());
        QCOMPARE(printer->printedItems(), 3);
        QStringList printed;
        for (const PrintOp& op : surface.texts())
            if (op.text.startsWith("row ") || op.text == "Name" || op.text == "TITLE")
                printed << QString("%1%2 %3").arg(op.font.bold ? "*" : "", op.text).arg(op.y);
        const double y = kRowsTop + (kRowHeight - 200) / 2;
        QCOMPARE(printed, (QStringList{QString("*TITLE %1").arg(kMargin), QString("*Name %1").arg(kHeaderTop), QString("*row 0 %1").arg(y),
                                       QString("row 1 %1").arg(y + kRowHeight),
                                       QString("*row 3 %1").arg(y + 2 * kRowHeight)}));
        QVERIFY(printer->fontItem.bold);
    }

    void failuresCancelTheDocument_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("number");
        QTest::newRow("picture not in the list") << "picture" << "35601 ";
        QTest::newRow("printer fails at a new page") << "page" << "482 ";
    }

    void failuresCancelTheDocument()
    {
        QFETCH(QString, failure);
        QFETCH(QString, number);
        RecordingSurface surface(QSizeF(kWide, 3000));
        List list;
        list.addRows(10);
        if (failure == "picture")
            list.addRow({"row x"}, false, "no such picture");
        auto printer = printerFor(surface, list);
        if (failure == "page")
            surface.beforeOp = [](const PrintOp& op) {
                if (op.kind == PrintOp::Kind::NewPage)
                    throw PrintError(PrintError::kPrinterFault, "Printer error");
            };
        QVERIFY(!printer->printControl() && surface.killed() && !surface.ended());
        QCOMPARE(run->prompts.count(), 1);
        QVERIFY2(run->prompts.last().icon == PromptIcon::Exclamation && run->prompts.last().text.startsWith(number),
                 qPrintable(run->prompts.last().text));
    }
};

QTEST_MAIN(PrintEngineTest)
#include "tst_printengine.moc"
