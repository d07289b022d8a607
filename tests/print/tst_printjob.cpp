#include "fixture.h"
#include "mainwindowfixture.h"
#include "print/printjob.h"
#include "printtestlist.h"

#include <QApplication>
#include <QDir>
#include <QPrintPreviewWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// Printouts drawn for real: a PDF file and the print preview, both from the
// one layout.
class PrintJobTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<ProgramRun> run;
    PrintTestList list{{"Food", "Calories"}, {4000, 1000}};
    int pages = 0;

    // 100 rows of a list of two columns, landscape, a title and a numbered footer.
    PrintJob::Layout layout(bool withImages = true)
    {
        return [this, withImages](PrintSurface& surface, bool) {
            CPrintListView printer(surface, run->context);
            list.setUp(printer, "Apples and pears");
            printer.imageList = withImages ? &list.images : nullptr;
            printer.page.orientation = PrintSurface::kLandscape;
            printer.page.footer.text = "Page <pag>";
            printer.page.footer.alignment = CText::kCentre;
            const bool ok = printer.printControl();
            pages = surface.page();
            return ok;
        };
    }

private slots:
    void initTestCase()
    {
        for (int i = 0; i < 100; ++i)
            list.addRow({QString("Apple %1").arg(i), "52.0"}, false, i == 0 ? "meal" : "");
    }

    void init() { run = std::make_unique<ProgramRun>(dir.path()); }

    // The PDF holds every page, in landscape; the preview shows as many.
    void pdfAndPreviewHoldEveryPage()
    {
        const QString path = dir.filePath("report.pdf");
        QVERIFY(PrintJob::savePdf(path, run->context, {"Report", true, false}, layout()));
        const int printed = pages;
        QVERIFY(printed > 1);
        const QByteArray pdf = fileBytes(path);
        QVERIFY(pdf.startsWith("%PDF-"));
        QCOMPARE(int(pdf.count("/Type /Page")) - int(pdf.count("/Type /Pages")), printed);
        const QRegularExpressionMatch box =
            QRegularExpression(R"(/MediaBox \[0 0 ([0-9.]+) ([0-9.]+)\])").match(QString::fromLatin1(pdf));
        QVERIFY(box.hasMatch() && box.captured(1).toDouble() > box.captured(2).toDouble());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"report.pdf"});
        int previewed = -1;
        whenModal([&](QWidget* dialog) {
            if (auto* preview = dialog->findChild<QPrintPreviewWidget*>()) {
                preview->updatePreview();
                previewed = preview->pageCount();
            }
            dialog->close();
        });
        PrintJob::preview(nullptr, run->context, {"Report", true, false}, layout());
        QCOMPARE(previewed, printed);
        QCOMPARE(run->prompts.count(), 0);
    }

    void failedPrintoutLeavesTheOldFileAlone_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::newRow("the layout fails") << "old.pdf" << "91 ";
        QTest::newRow("no such folder") << "missing/new.pdf" << "The file \"";
    }

    void failedPrintoutLeavesTheOldFileAlone()
    {
        QFETCH(QString, path);
        QFETCH(QString, message);
        QTemporaryDir folder;
        const QString target = folder.filePath(path);
        QFile old(folder.filePath("old.pdf"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("an older report") && old.flush());
        QVERIFY(!PrintJob::savePdf(target, run->context, {"Report", true, false}, layout(false)));
        QCOMPARE(fileBytes(folder.filePath("old.pdf")), QByteArray("an older report"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.pdf"});
        QCOMPARE(run->prompts.count(), 1);
        const QString shown = run->prompts.last().text;
        QVERIFY2(shown.startsWith(message) && (path == "old.pdf" || shown.contains(QDir::toNativeSeparators(target))),
                 qPrintable(shown));
    }
};

QTEST_MAIN(PrintJobTest)
#include "tst_printjob.moc"
