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

#include <optional>
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

    // A printout that fails keeps the earlier file and leaves nothing else:
    // a disk that fills up while the PDF is written, early or at its very end
    // (one box says so and names the file), a layout that fails, a folder
    // that does not exist (named in the one box, before any layout runs).
    void aFailedPrintoutKeepsTheEarlierFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("room"); // in thousandths of the whole file; -1: the disk does not fill
        QTest::addColumn<QString>("message");
        const QString full = "The file \"%1\" could not be written: the disk is full.";
        QTest::newRow("disk full from the first byte") << "old.pdf" << 0 << full;
        QTest::newRow("disk full halfway") << "old.pdf" << 500 << full;
        QTest::newRow("disk full but for the trailer") << "old.pdf" << 999 << full;
        QTest::newRow("the layout fails") << "old.pdf" << -1 << "91 ";
        QTest::newRow("no such folder") << "missing/new.pdf" << -1 << "The file \"%1\"";
    }
    void aFailedPrintoutKeepsTheEarlierFile()
    {
        QFETCH(QString, path);
        QFETCH(int, room);
        QFETCH(QString, message);
        QTemporaryDir folder;
        const QString target = folder.filePath(path);
        qint64 whole = 0;
        if (room >= 0) {
            QVERIFY(PrintJob::savePdf(target, run->context, {"Report", true, false}, layout()));
            whole = QFileInfo(target).size();
        }
        QFile old(folder.filePath("old.pdf"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("an older report") && old.flush());
        {
            std::optional<FullDisk::Folder> full;
            if (room >= 0)
                full.emplace(folder.path(), room == 999 ? whole - 3 : whole * room / 1000);
            QVERIFY(!PrintJob::savePdf(target, run->context, {"Report", true, false}, layout(room >= 0)));
        }
        QCOMPARE(fileBytes(folder.filePath("old.pdf")), QByteArray("an older report"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.pdf"});
        QCOMPARE(run->prompts.count(), 1);
        const QString shown = run->prompts.last().text, expected = message.arg(QDir::toNativeSeparators(target));
        QVERIFY2(room >= 0 ? shown.endsWith(expected) : shown.startsWith(expected), qPrintable(shown));
    }
};

QTEST_MAIN(PrintJobTest)
#include "tst_printjob.moc"
