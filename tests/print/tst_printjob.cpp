#include "fixture.h"
#include "fulldisk.h"
#include "mainwindowfixture.h"
#include "print/printjob.h"
#include "printtestlist.h"

#include <QApplication>
#include <QDir>
#include <QPrintPreviewWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// Printouts drawn for real: a PDF file and the print preview, both from the
// one layout.
class PrintJobTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<ProgramRun> run;
    PrintTestList list{{"Food", "Calories"}, {4000, 1000}};
    int pages = 0;
    QStringList whileWriting; // the files of the PDF's folder once its pages are laid out

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
            whileWriting = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
            return ok;
        };
    }

    static unsigned modeOf(const QString& path)
    {
        struct stat info;
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
    }

private slots:
    void initTestCase()
    {
        for (int i = 0; i < 100; ++i)
            list.addRow({QString("Apple %1").arg(i), "52.0"}, false, i == 0 ? "meal" : "");
    }

    void init() { run = std::make_unique<ProgramRun>(dir.path()); }

    // The PDF holds every page, in landscape, and is saved as any file is
    // (with the mode the umask gives a new file, or the one of the file it
    // replaces); the preview shows as many pages.
    void pdfAndPreviewHoldEveryPage()
    {
        const QString path = dir.filePath("report.pdf");
        const mode_t umaskBefore = ::umask(002);
        QVERIFY(PrintJob::savePdf(path, run->context, {"Report", true, false}, layout()));
        QCOMPARE(modeOf(path), 0664u);
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        QVERIFY(PrintJob::savePdf(path, run->context, {"Report", true, false}, layout()));
        ::umask(umaskBefore);
        QCOMPARE(modeOf(path), 0640u);
        const int printed = pages;
        QVERIFY(printed > 1);
        const QByteArray pdf = fileBytes(path);
        QVERIFY(pdf.startsWith("%PDF-"));
        QCOMPARE(int(pdf.count("/Type /Page")) - int(pdf.count("/Type /Pages")), printed);
        const QRegularExpressionMatch box =
            QRegularExpression(R"(/MediaBox \[0 0 ([0-9.]+) ([0-9.]+)\])").match(QString::fromLatin1(pdf));
        QVERIFY(box.hasMatch() && box.captured(1).toDouble() > box.captured(2).toDouble());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"report.pdf"});
        // A printout stopped halfway leaves nothing: the new file has no name until it is whole.
        QCOMPARE(whileWriting, QStringList{"report.pdf"});
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

    // A disk that fills up while the PDF is written, early or at its very
    // end: the earlier file stays, nothing else is left, and one box says
    // that the disk is full and which file could not be written.
    void aFullDiskKeepsTheEarlierFile_data()
    {
        QTest::addColumn<int>("room"); // in thousandths of the whole file
        QTest::newRow("from the first byte") << 0;
        QTest::newRow("halfway") << 500;
        QTest::newRow("all but its trailer") << 999;
    }
    void aFullDiskKeepsTheEarlierFile()
    {
        QFETCH(int, room);
        QTemporaryDir folder;
        const QString target = folder.filePath("r.pdf");
        QVERIFY(PrintJob::savePdf(target, run->context, {"Report", true, false}, layout()));
        const qint64 whole = QFileInfo(target).size();
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("an older report") && old.flush());
        {
            FullDisk::Folder full(folder.path(), room == 999 ? whole - 3 : whole * room / 1000);
            QVERIFY(!PrintJob::savePdf(target, run->context, {"Report", true, false}, layout()));
        }
        QCOMPARE(fileBytes(target), QByteArray("an older report"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"r.pdf"});
        QCOMPARE(run->prompts.count(), 1);
        QVERIFY2(run->prompts.last().text.endsWith("The file \"" + target +
                                                   "\" could not be written: the disk is full."),
                 qPrintable(run->prompts.last().text));
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
