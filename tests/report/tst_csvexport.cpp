#include "report/csvexport.h"

#include <QDir>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>

// Report rows as CSV: quoting, text that must not turn into formulas, and the file.
class CsvExportTest : public QObject
{
    Q_OBJECT

private slots:
    void cells_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << "Apples" << "Apples";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("blanks alone") << "  " << "";
        QTest::newRow("indented") << "   [1 cup]" << "   [1 cup]";
        QTest::newRow("comma") << "Apples, raw" << "\"Apples, raw\"";
        QTest::newRow("quotes") << "say \"hi\"" << "\"say \"\"hi\"\"\"";
        QTest::newRow("line break") << "two\nlines" << "\"two\nlines\"";
        QTest::newRow("formula") << "=1+1" << "'=1+1";
        QTest::newRow("formula with quotes") << "=HYPERLINK(\"x\")" << "\"'=HYPERLINK(\"\"x\"\")\"";
        QTest::newRow("plus") << "+1" << "'+1";
        QTest::newRow("at") << "@SUM(A1)" << "'@SUM(A1)";
        QTest::newRow("minus, not a number") << "-2+3" << "'-2+3";
        QTest::newRow("tab") << "\tcmd" << "'\tcmd";
        QTest::newRow("carriage return") << "\r=x" << "\"'\r=x\"";
        QTest::newRow("behind blanks") << "  =1+1" << "'  =1+1";
        QTest::newRow("negative number") << "-3" << "-3";
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

    void fileOfTheList()
    {
        QStandardItemModel model;
        model.setHorizontalHeaderLabels({"Food Name", "Calories"});
        model.appendRow({new QStandardItem("Crème brûlée, \"home\""), new QStandardItem("250.0")});
        model.appendRow({new QStandardItem("=cmd|' /C calc'!A0"), new QStandardItem("-1.0")});
        const QByteArray expected = "\xEF\xBB\xBF"
                                    "Food Name,Calories\r\n" +
                                    QString("\"Crème brûlée, \"\"home\"\"\",250.0\r\n").toUtf8() +
                                    "'=cmd|' /C calc'!A0,-1.0\r\n";
        QCOMPARE(CsvExport::toCsv(model), expected);

        QTemporaryDir dir;
        QString error;
        const QString path = dir.filePath("report.csv");
        QVERIFY(CsvExport::writeFile(model, path, &error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), expected);

        const QString missing = dir.filePath("no such folder/report.csv");
        QVERIFY(!CsvExport::writeFile(model, missing, &error));
        QVERIFY2(error.contains(QDir::toNativeSeparators(missing)), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(CsvExportTest)
#include "tst_csvexport.moc"
