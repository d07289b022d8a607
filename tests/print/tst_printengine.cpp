#include "fixture.h"
#include "print/cprintlistview.h"
#include "print/imagelist.h"
#include "print/printfunctions.h"
#include "print/recordingsurface.h"
#include "report/reportprintsetup.h"

#include <QItemSelectionModel>
#include <QStandardItemModel>
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

// A list of rows of single letters, one column 2000 twips wide.
struct List
{
    QStandardItemModel model;
    QItemSelectionModel selection{&model};
    PrintableList list;
    ImageList images;

    explicit List(const QStringList& headers, const QVector<double>& widths)
    {
        model.setHorizontalHeaderLabels(headers);
        list.model = &model;
        list.selection = &selection;
        list.columnWidths = widths;
        list.rowHeight = kRowHeight;
        list.twipsPerPixelX = list.twipsPerPixelY = kPixel;
        QImage picture(16, 16, QImage::Format_RGB32);
        picture.fill(Qt::red);
        images.add("meal", picture);
    }
    void addRow(const QStringList& cells, bool bold = false, const QString& image = {})
    {
        QList<QStandardItem*> items;
        for (const QString& cell : cells)
            items.append(new QStandardItem(cell));
        items[0]->setData(bold, PrintableList::BoldRole);
        items[0]->setData(image, PrintableList::ImageKeyRole);
        model.appendRow(items);
    }
    void addRows(int count)
    {
        for (int i = 0; i < count; ++i)
            addRow({QString("row %1").arg(i)});
    }
};

List oneColumn()
{
    return List({"Name"}, {2000});
}

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
        printer->setControl(list.list);
        printer->imageList = &list.images;
        printer->page.setMargins(1);
        printer->title.text = "TITLE";
        printer->title.font = FontSpec{"Times New Roman", 14, true};
        printer->title.alignment = CText::kCentre;
        return printer;
    }

    // The rows' texts of each page (without the column titles, title and blocks).
    static QList<QStringList> rowsByPage(const RecordingSurface& surface)
    {
        QList<QStringList> pages(surface.pageCount());
        for (const PrintOp& op : surface.texts())
            if (op.text.startsWith("row "))
                pages[op.page - 1].append(op.text);
        return pages;
    }

private slots:
    void init() { run = std::make_unique<ProgramRun>(dir.path()); }

    void pageBreaks_data()
    {
        QTest::addColumn<double>("pageHeight");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("perPage");
        // The page on which the tenth row would end exactly on the bottom margin.
        const double exact = kRowsTop + 10 * kRowHeight + kMargin;
        QTest::newRow("a row ending on the margin goes over") << exact << 10 << QList<int>{9, 1};
        QTest::newRow("a twip more and it stays") << exact + 1 << 10 << QList<int>{10};
        QTest::newRow("empty list") << exact << 0 << QList<int>{0};
        // The next pages have no title: they hold more rows.
        const int later = int(std::ceil((exact - kMargin - kNextRowsTop) / kRowHeight)) - 1;
        QTest::newRow("three pages") << exact << 9 + later + 2 << QList<int>{9, later, 2};
    }

    void pageBreaks()
    {
        QFETCH(double, pageHeight);
        QFETCH(int, rows);
        QFETCH(QList<int>, perPage);
        RecordingSurface surface(QSizeF(kWide, pageHeight));
        List list = oneColumn();
        list.addRows(rows);
        auto printer = printerFor(surface, list);
        printer->page.header.text = "HEAD";
        printer->page.footer.text = "Page <pag>";
        QVERIFY(printer->printControl());
        QList<int> counts;
        for (const QStringList& page : rowsByPage(surface))
            counts.append(int(page.size()));
        QCOMPARE(counts, perPage);
        QCOMPARE(printer->printedItems(), rows);
        QVERIFY(surface.ended());
        // The title once, the header block and the column titles on every page.
        for (int page = 1; page <= surface.pageCount(); ++page) {
            const QStringList texts = surface.textStrings(page);
            QCOMPARE((QList<qsizetype>{texts.count("TITLE"), texts.count("HEAD"), texts.count("Name")}),
                     (QList<qsizetype>{page == 1, 1, 1}));
        }
        // The header at the top of each page, the title centred at the top
        // margin; every page ends with its footer: after a break one row below
        // the last row, on the last page at the bottom margin.
        QList<double> footers;
        for (const PrintOp& op : surface.texts()) {
            if (op.text.startsWith("Page "))
                footers.append(op.y);
            if (op.text == "HEAD")
                QCOMPARE(op.y, 0.0);
            if (op.text == "TITLE")
                QVERIFY(op.y == kMargin && op.x == (kWide - 5 * 140) / 2 && op.font.bold);
        }
        QCOMPARE(footers.size(), perPage.size());
        if (perPage.size() > 1)
            QCOMPARE(footers.first(), kRowsTop + (perPage.first() + 1) * kRowHeight);
        QCOMPARE(footers.last(), pageHeight - kMargin);
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

        QHash<QString, QPointF> at;
        for (const PrintOp& op : surface.texts())
            at.insert(op.text, {op.x, op.y});
        for (const char* hidden : {"Hidden", "Gone", "secret", "x"})
            QVERIFY2(!at.contains(hidden), hidden);
        // Column titles: not cut, aligned like their columns; columns of no
        // width take no room.
        QCOMPARE(at.value("Name"), QPointF(kMargin, kHeaderTop));
        QCOMPARE(at.value("Amount"), QPointF(kMargin + 1500 + 500 - 600, kHeaderTop));
        QCOMPARE(at.value("Note"), QPointF(kMargin + 2000 + (800 - 400) / 2, kHeaderTop));
        // Cells: trimmed, cut to their column, centred in the row's height;
        // the first starts one pixel after the picture's place.
        const double y = kRowsTop + (kRowHeight - 200) / 2;
        QCOMPARE(at.value("Apples"), QPointF(kMargin + 17 * kPixel, y));
        QCOMPARE(at.value("12345"), QPointF(kMargin + 1500, y));
        QCOMPARE(at.value("ab"), QPointF(kMargin + 2000 + (800 - 200) / 2, y));
        // A rule under each column title.
        QList<QLineF> rules;
        for (const PrintOp& op : surface.ops)
            if (op.kind == PrintOp::Kind::Line)
                rules.append(QLineF(op.x, op.y, op.x2, op.y2));
        const double under = kHeaderTop + 200;
        QCOMPARE(rules, (QList<QLineF>{{kMargin, under, kMargin + 1500, under},
                                       {kMargin + 1500, under, kMargin + 2000, under},
                                       {kMargin + 2000, under, kMargin + 2800, under}}));
        // The row's picture (the next row has none): at the left margin, 16 pixels square, centred in the row.
        QList<QRectF> pictures;
        for (const PrintOp& op : surface.ops)
            if (op.kind == PrintOp::Kind::Picture)
                pictures.append(QRectF(op.x, op.y, op.x2, op.y2));
        QCOMPARE(pictures, QList<QRectF>{QRectF(kMargin, kRowsTop + (kRowHeight - 16 * kPixel) / 2, 16 * kPixel, 16 * kPixel)});
    }

    void blocksAlignAndNumberTheirPages_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<double>("x");
        QTest::addColumn<QStringList>("printed");
        // Measured with the placeholder: five characters, whatever the number.
        QTest::newRow("centred") << "Page <pag>" << CText::kCentre << (kWide - 1000) / 2
                                 << QStringList{"Page 1", "Page 2"};
        QTest::newRow("first placeholder only") << "<pag>/<pag>" << CText::kLeft << kMargin
                                                << QStringList{"1/<pag>", "2/<pag>"};
        QTest::newRow("right") << "p<pag>" << CText::kRight << kWide - kMargin - 600
                               << QStringList{"p1", "p2"};
    }

    void blocksAlignAndNumberTheirPages()
    {
        QFETCH(QString, text);
        QFETCH(int, alignment);
        QFETCH(double, x);
        QFETCH(QStringList, printed);
        RecordingSurface surface(QSizeF(kWide, kRowsTop + 5 * kRowHeight + kMargin));
        List list = oneColumn();
        list.addRows(6);
        auto printer = printerFor(surface, list);
        printer->page.footer.text = text;
        printer->page.footer.alignment = alignment;
        QVERIFY(printer->printControl());
        QCOMPARE(surface.pageCount(), 2);
        QStringList footers;
        for (const PrintOp& op : surface.texts()) {
            if (printed.contains(op.text)) {
                footers.append(op.text);
                QCOMPARE(op.x, x);
            }
        }
        QCOMPARE(footers, printed);
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
            QVERIFY(op.x >= kMargin);
            QVERIFY(op.x + width <= pageWidth - kMargin);
            QVERIFY(op.text.startsWith(run->context.companyName + " - "));
            QVERIFY(op.text.endsWith("  Page 1"));
            QVERIFY(op.text.contains(run->context.appTitle));
        }
    }

    void boldFollowsEachRowAndKeepsTheLast()
    {
        const QList<bool> bold{true, false, false, true};
        RecordingSurface surface;
        List list = oneColumn();
        for (int i = 0; i < bold.size(); ++i)
            list.addRow({QString("row %1").arg(i)}, bold[i]);
        auto printer = printerFor(surface, list);
        printer->headerFont.bold = true;
        QVERIFY(printer->printControl());
        QList<bool> printed;
        for (const PrintOp& op : surface.texts())
            if (op.text.startsWith("row ") || op.text == "Name")
                printed.append(op.font.bold);
        QCOMPARE(printed, QList<bool>{true} + bold); // the column title, then the rows
        QVERIFY(printer->fontItem.bold);
    }

    void onlySelectedRowsTakeRoom()
    {
        RecordingSurface surface;
        List list = oneColumn();
        list.addRows(5);
        for (int row : {1, 3})
            list.selection.select(list.model.index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        auto printer = printerFor(surface, list);
        printer->printOnlySelectedItems = true;
        QVERIFY(printer->printControl());
        QCOMPARE(printer->printedItems(), 2);
        QList<std::pair<QString, double>> rows;
        for (const PrintOp& op : surface.texts())
            if (op.text.startsWith("row "))
                rows.append({op.text, op.y});
        const double y = kRowsTop + (kRowHeight - 200) / 2;
        QCOMPARE(rows, (QList<std::pair<QString, double>>{{"row 1", y}, {"row 3", y + kRowHeight}}));

        RecordingSurface all;
        auto everything = printerFor(all, list);
        QVERIFY(everything->printControl());
        QCOMPARE(everything->printedItems(), 5);
    }

    void failuresCancelTheDocument_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("number");
        QTest::newRow("no image list") << "images" << "91 ";
        QTest::newRow("picture not in the list") << "picture" << "35601 ";
        QTest::newRow("printer fails at a new page") << "page" << "482 ";
    }

    void failuresCancelTheDocument()
    {
        QFETCH(QString, failure);
        QFETCH(QString, number);
        RecordingSurface surface(QSizeF(kWide, 3000));
        List list = oneColumn();
        list.addRows(10);
        if (failure == "picture")
            list.addRow({"row x"}, false, "no such picture");
        auto printer = printerFor(surface, list);
        if (failure == "images")
            printer->imageList = nullptr;
        if (failure == "page")
            surface.beforeOp = [](const PrintOp& op) {
                if (op.kind == PrintOp::Kind::NewPage)
                    throw PrintError(PrintError::kPrinterFault, "Printer error");
            };
        QVERIFY(!printer->printControl());
        QVERIFY(surface.killed());
        QVERIFY(!surface.ended());
        QCOMPARE(run->prompts.count(), 1);
        QCOMPARE(run->prompts.last().icon, PromptIcon::Exclamation);
        QVERIFY2(run->prompts.last().text.startsWith(number), qPrintable(run->prompts.last().text));
    }
};

QTEST_MAIN(PrintEngineTest)
#include "tst_printengine.moc"
