#include "fixture.h"
#include "fulldisk.h"
#include "report/csvexport.h"

#include <QDir>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>

// Cells of report rows as CSV: quoting, and text that must not turn into a formula.
// (The report windows' test writes whole files.)
class CsvExportTest : public QObject
{
    Q_OBJECT

private slots:
    void cells_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("blanks alone") << "  " << "";
        QTest::newRow("indented") << "   [1 cup]" << "   [1 cup]";
        QTest::newRow("comma") << "Apples, raw" << "\"Apples, raw\"";
        QTest::newRow("line break") << "two\nlines" << "\"two\nlines\"";
        QTest::newRow("formula with quotes") << "=HYPERLINK(\"x\")" << "\"'=HYPERLINK(\"\"x\"\")\"";
        QTest::newRow("plus") << "+1" << "'+1";
        QTest::newRow("at") << "@SUM(A1)" << "'@SUM(A1)";
        QTest::newRow("minus, not a number") << "-2+3" << "'-2+3";
        QTest::newRow("tab") << "\tcmd" << "'\tcmd";
        QTest::newRow("behind blanks") << "  =1+1" << "'  =1+1";
        QTest::newRow("negative decimal") << "-12.5" << "-12.5";
        QTest::newRow("negative share") << "-5.0%" << "-5.0%";
        QTest::newRow("number with a blank") << " 72.5" << " 72.5";
    }

    void cells()
    {
        QFETCH(QString, text);
        QFETCH(QString, written);
        QCOMPARE(CsvExport::cell(text), written);
    }

    // A disk that fills up while the file is written: the earlier file stays,
    // nothing else is left, and the message says the disk is full.
    void aFullDiskKeepsTheEarlierFile()
    {
        QStandardItemModel model(2000, 2);
        for (int row = 0; row < model.rowCount(); ++row)
            model.setItem(row, 0, new QStandardItem(QString("Apples, raw %1").arg(row)));
        QTemporaryDir folder;
        const QString path = folder.filePath("report.csv");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("an older report") && old.flush());
        QString error;
        {
            FullDisk::Folder full(folder.path(), 20000); // more than one buffer's worth, less than the file
            QVERIFY(!CsvExport::writeFile(model, path, &error));
        }
        QCOMPARE(error, "The file \"" + path + "\" could not be written: the disk is full.");
        QCOMPARE(fileBytes(path), QByteArray("an older report"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"report.csv"});
    }
};

QTEST_GUILESS_MAIN(CsvExportTest)
#include "tst_csvexport.moc"
