#include "report/csvexport.h"
#include "transfer/csvreader.h"
#include "transfer/jsonreader.h"

#include <QBuffer>
#include <QTest>

// The pieces the export files are read with: CSV records and JSON values
// read a piece at a time, with the line of whatever is wrong, and the cells
// the export writes read back as the texts they were.
class TransferFormatsTest : public QObject
{
    Q_OBJECT

    // A value as text that tells its type: i:1, d:1.5, s:text, [..], {k=..}.
    static QString shown(const QVariant& value)
    {
        switch (value.typeId()) {
        case QMetaType::UnknownType:
            return "null";
        case QMetaType::Bool:
            return value.toBool() ? "true" : "false";
        case QMetaType::LongLong:
            return "i:" + value.toString();
        case QMetaType::Double:
            return "d:" + value.toString();
        case QMetaType::QVariantList: {
            QStringList items;
            for (const QVariant& item : value.toList())
                items << shown(item);
            return "[" + items.join(",") + "]";
        }
        case QMetaType::QVariantMap: {
            QStringList items;
            const QVariantMap map = value.toMap();
            for (auto it = map.begin(); it != map.end(); ++it)
                items << it.key() + "=" + shown(it.value());
            return "{" + items.join(",") + "}";
        }
        default:
            return "s:" + value.toString();
        }
    }

    // What a reader made of bytes: its records (cells joined by |, a quoted
    // cell in <>), or its failure and line.
    static QString csvRecords(const QByteArray& bytes)
    {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        CsvReader csv(buffer);
        QStringList records;
        try {
            while (csv.next()) {
                QStringList cells;
                for (qsizetype i = 0; i < csv.cells().size(); ++i)
                    cells << (csv.quoted()[i] ? "<" + csv.cells()[i] + ">" : csv.cells()[i]);
                records << QString::number(csv.line()) + ":" + cells.join("|");
            }
        } catch (const CsvReader::Error& error) {
            records << QString("line %1: %2").arg(error.line).arg(error.message);
        }
        return records.join(" / ");
    }

private slots:
    void exactCellsReadBack_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << "Apples" << "Apples";
        QTest::newRow("empty, not missing") << "" << "\"\"";
        QTest::newRow("blanks kept") << "  " << "  ";
        QTest::newRow("comma and quotes") << "Say \"hi\", Bob" << "\"Say \"\"hi\"\", Bob\"";
        QTest::newRow("formula") << "=1+1" << "'=1+1";
        QTest::newRow("negative number") << "-3" << "-3";
        QTest::newRow("apostrophe before a formula") << "'=1+1" << "''=1+1";
        QTest::newRow("two apostrophes before one") << "''+x" << "'''+x";
        QTest::newRow("apostrophe alone") << "'" << "'";
        QTest::newRow("apostrophe before text") << "'tis" << "'tis";
        QTest::newRow("carriage return") << "\r\n=x" << "\"'\r\n=x\"";
        QTest::newRow("non-BMP") << "🍎 𝄞" << "🍎 𝄞";
    }
    void exactCellsReadBack()
    {
        QFETCH(QString, text);
        QFETCH(QString, written);
        QCOMPARE(CsvExport::exactCell(text), written);
        QBuffer buffer;
        buffer.setData(CsvExport::line({written, "end"}));
        buffer.open(QIODevice::ReadOnly);
        CsvReader csv(buffer);
        QVERIFY(csv.next());
        QCOMPARE(CsvExport::exactText(csv.cells().first()), text);
        QCOMPARE(csv.quoted().first(), written.startsWith('"'));
    }

    void csvRecords_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("records");
        QTest::newRow("CR LF and LF, no ending") << QByteArray("a,b\r\nc,d\ne,f") << "1:a|b / 2:c|d / 3:e|f";
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBFItem,Value\r\n") << "1:Item|Value";
        QTest::newRow("empty cells and quoted empty") << QByteArray(",\"\",\r\n") << "1:|<>|";
        QTest::newRow("line breaks in quotes") << QByteArray("\"a\r\nb\",\"c\"\"d\"\r\nnext\r\n")
                                               << "1:<a\r\nb>|<c\"d> / 3:next";
        QTest::newRow("empty lines passed over") << QByteArray("\r\n\na\r\n\r\nb\n") << "3:a / 5:b";
        QTest::newRow("UTF-8") << QByteArray("\xC3\xA9t\xC3\xA9,\xF0\x9F\x8D\x8E") << "1:été|🍎";
        QTest::newRow("a stray quote") << QByteArray("ok\r\na\"b\r\n") << "1:ok / line 2: a quote stands in a cell that does not begin with one";
        QTest::newRow("quotes not closed") << QByteArray("a\r\n\"b\r\nc\r\n") << "1:a / line 4: a cell in quotes is not closed";
        QTest::newRow("text after quotes") << QByteArray("\"a\"b\r\n") << "line 1: a cell in quotes is followed by more than a comma or the line's end";
        QTest::newRow("a carriage return alone") << QByteArray("a\rb\r\n") << "line 1: a carriage return is not followed by a line feed";
        QTest::newRow("not UTF-8") << QByteArray("ok\r\n\xFF\xFE\r\n") << "1:ok / line 2: a cell is not written in UTF-8";
    }
    void csvRecords()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, records);
        QCOMPARE(csvRecords(bytes), records);
    }

    void jsonValues_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("value");
        QTest::newRow("escapes") << QByteArray("\"q\\\" b\\\\ s\\/ \\b\\f\\n\\r\\t \\u00e9\"") << "s:q\" b\\ s/ \b\f\n\r\t é";
        QTest::newRow("a pair of halves") << QByteArray("\"\\ud83c\\udf4e\"") << "s:🍎";
        QTest::newRow("byte order mark, blanks") << QByteArray("\xEF\xBB\xBF \r\n\t[1, -0, 1.0, 2e3, -1.5E-2]\n")
                                                 << "[i:1,i:0,d:1,d:2000,d:-0.015]";
        QTest::newRow("larger than 64 bits") << QByteArray("18446744073709551616") << "d:18446744073709552000";
        QTest::newRow("objects and literals") << QByteArray("{\"b\": [true, false, null], \"a\": {}}")
                                              << "{a={},b=[true,false,null]}";
        QTest::newRow("out of range") << QByteArray("[\n1e400]") << "line 2: the number 1e400 is out of range";
        QTest::newRow("leading zero") << QByteArray("012") << "line 1: a number may not begin with 0 (012)";
        QTest::newRow("a point and no digits") << QByteArray("1.") << "line 1: digits were expected after the point of 1.";
        QTest::newRow("half a character") << QByteArray("\"\\ud83c x\"") << "line 1: a text holds half of a character (\\ud83c)";
        QTest::newRow("a line break in a text") << QByteArray("\"a\nb\"") << "line 2: a text holds the byte 0x0a, which must be written as an escape";
        QTest::newRow("a member twice") << QByteArray("{\"a\": 1,\n\"a\": 2}") << "line 2: the member \"a\" is there twice";
        QTest::newRow("a comma at the end") << QByteArray("[1,]") << "line 1: a value was expected, not \"]\"";
        QTest::newRow("single quotes") << QByteArray("{'a': 1}") << "line 1: a member name was expected, not \"'\"";
        QTest::newRow("not closed") << QByteArray("{\"a\": [1, 2") << "line 1: \",\" or \"]\" was expected, not the end of the file";
        QTest::newRow("more after the end") << QByteArray("{} {}") << "line 1: the document goes on after its end (\"{\")";
        QTest::newRow("nested too deeply") << QByteArray(65, '[') + QByteArray(65, ']') << "line 1: the values are nested too deeply";
        QTest::newRow("not UTF-8") << QByteArray("\"\xC3\x28\"") << "line 1: a text is not written in UTF-8";
    }
    void jsonValues()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, value);
        QBuffer buffer;
        buffer.setData(document);
        buffer.open(QIODevice::ReadOnly);
        JsonReader json(buffer);
        QString read;
        try {
            read = shown(json.value());
            json.end();
        } catch (const JsonReader::Error& error) {
            read = QString("line %1: %2").arg(error.line).arg(error.message);
        }
        QCOMPARE(read, value);
    }

    // A document longer than the reader's piece is read the same.
    void longDocumentsAreReadInPieces()
    {
        QByteArray document = "[";
        for (int i = 0; i < 20000; ++i)
            document += (i ? ",\n" : "") + QByteArray("{\"n\": ") + QByteArray::number(i) + ", \"t\": \"" +
                        QByteArray(i % 50, 'x') + "\"}";
        document += "]";
        QBuffer buffer;
        buffer.setData(document);
        buffer.open(QIODevice::ReadOnly);
        JsonReader json(buffer);
        json.beginArray();
        int n = 0;
        while (json.nextElement()) {
            QCOMPARE(json.nextLine(), n + 1);
            const QVariantMap record = json.value().toMap();
            QCOMPARE(record.value("n").toInt(), n);
            QCOMPARE(record.value("t").toString().size(), n % 50);
            ++n;
        }
        QCOMPARE(n, 20000);
    }
};

QTEST_GUILESS_MAIN(TransferFormatsTest)
#include "tst_transferformats.moc"
