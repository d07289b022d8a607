#pragma once

#include "fixture.h"

#include "app/configstore.h"
#include "data/orvdatasource.h"
#include "transfer/logexport.h"
#include "transfer/logimport.h"

#include <QDir>
#include <QFile>
#include <QTest>

// What the tests of the export and import share: a log with every kind of
// text a file format can trip over, and exports written and read back.
namespace TransferFixture {

// Texts that break naive CSV and JSON writers and readers, and spreadsheets.
inline QStringList hostileTexts()
{
    return {QStringLiteral("Say \"cheese\", please"),
            QStringLiteral("two\nlines\r\nand a third"),
            QStringLiteral("=HYPERLINK(\"http://example.com\",\"x\")"),
            QStringLiteral("+1"),
            QStringLiteral("-2+3"),
            QStringLiteral("@SUM(A1)"),
            QStringLiteral("'=already guarded"),
            QStringLiteral("  padded  "),
            QStringLiteral("tab\there, back\\slash, \x01 control"),
            QStringLiteral("Apfel 🍎 und 𝄞, \u00e9t\u00e9"),
            QString(199, QLatin1Char('x')) + QStringLiteral("🍎"), // 200 characters as the database counts them
            QString()};
}

inline void labelsOf(TestContext& test)
{
    ConfigStore& config = test.ctx().config();
    config.setConfig(QStringLiteral("USER2"), QStringLiteral("Ann \"A\", =x"), false);
    config.setConfig(QStringLiteral("MEAL4"), QStringLiteral("Brunch 🍳"), false);
    config.setConfig(QStringLiteral("OTHER1"), QStringLiteral("Fibre, g"), false);
    config.setConfig(QStringLiteral("SNAPSHOT5"), QStringLiteral("=BP"), false);
}

// A log of two users over a week: entries with every hostile text as food,
// group and serving, odd numbers and values left empty; snapshots; own
// groups and foods, one in a group of a top-level group of its own.
inline void writeHostileLog(TestContext& test)
{
    labelsOf(test);
    const QStringList texts = hostileTexts();
    const QVariantList numbers = {0.1, 1e-7, 123456.789, -0.5, 2.835, 1.0 / 3, 0.0, 1e21};
    const QDate monday(2026, 3, 2);
    for (int i = 0; i < texts.size() * 2; ++i) {
        const QString text = texts[i % texts.size()];
        QVariantList row = {i + 1,
                            i % 3 == 2 ? "USER2" : "USER1",
                            monday.addDays(i % 7).toString(Qt::ISODate),
                            i % 4 == 0 ? QVariant() : i % 4 == 1 ? QVariant(QStringLiteral("")) : QVariant(QStringLiteral("MEAL%1").arg(i % 10)),
                            text.left(60),
                            text.isNull() ? QStringLiteral("Plain") : text,
                            numbers[i % numbers.size()],
                            i % 5 == 0 ? QVariant() : QVariant(text),
                            i % 2 ? 9003 : 0,
                            i % 2 ? 3 : 0,
                            i % 2 ? 100.0 : 0.0};
        for (int n = 0; n < 8; ++n)
            row << (n == i % 8 ? QVariant() : numbers[(i + n) % numbers.size()]);
        test.exec("INSERT INTO DietActivity (DietId, UserName, DietDate, MealName, GroupName, FoodName, NumServings, "
                  "ServingSize, USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT, Fat, Protein, Carbohydrate, Calorie, Sodium, "
                  "Cholesterol, Other1, Other2) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                  row);
    }
    // The same entry twice: both are kept, and both come back.
    test.exec("INSERT INTO DietActivity (DietId, UserName, DietDate, MealName, FoodName, NumServings, Fat) "
              "SELECT 900, UserName, DietDate, MealName, FoodName, NumServings, Fat FROM DietActivity WHERE DietId = 1");
    test.exec("INSERT INTO DietActivity (DietId, UserName, DietDate, MealName, FoodName, NumServings, Fat) "
              "SELECT 901, UserName, DietDate, MealName, FoodName, NumServings, Fat FROM DietActivity WHERE DietId = 1");
    for (int i = 0; i < texts.size(); ++i)
        test.exec("INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPDATETM, SNAPVAL1, SNAPVAL2, SNAPVAL3, SNAPVAL4, SNAPVAL5, "
                  "SNAPVAL6, SNAPVAL7, SNAPVAL8, SNAPCOMMENTS) VALUES (?, ?, ?, ?, NULL, ?, ?, ?, ?, ?, ?, ?)",
                  {i + 1, i % 2 ? "USER2" : "USER1",
                   QDateTime(monday.addDays(i % 9), QTime(i % 24, 15)).toString("yyyy-MM-dd HH:mm:ss"),
                   numbers[i % numbers.size()], -1.5, 0.0, 1e-7, 72.25, texts[i].left(15),
                   i % 3 ? QVariant() : QVariant(texts[(i + 1) % texts.size()].left(15)), texts[i]});
    test.exec("UPDATE TableKey SET KeyValue = 901 WHERE KeyName = 'DIETACTIVITY'");
    test.exec("UPDATE TableKey SET KeyValue = 100 WHERE KeyName = 'SNAPSHOT'");
    // Own groups: one holding hostile foods, one empty, one below a top-level group of the user's.
    test.exec("INSERT INTO FoodGroup VALUES (30, ?, ?, 'GROUP')", {texts[0], Fixture::MyFoodsRoot});
    test.exec("INSERT INTO FoodGroup VALUES (31, 'Empty, for now', ?, 'GROUP')", {Fixture::MyFoodsRoot});
    for (int i = 0; i < texts.size(); ++i)
        test.exec("INSERT INTO FoodItem (FoodId, FoodName, GroupId, ServingSize, USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT, "
                  "Fat, Protein, Other2) VALUES (?, ?, ?, ?, 0, 0, ?, ?, ?, ?)",
                  {70001 + i, texts[i].isNull() ? QStringLiteral("Plain") : texts[i], i % 2 ? 30 : Fixture::FavoritesRoot,
                   texts[(i + 2) % texts.size()], double(i), numbers[i % numbers.size()], i % 3 ? QVariant() : QVariant(2.5),
                   -0.25});
    test.exec("UPDATE TableKey SET KeyValue = 80000 WHERE KeyName = 'FOODITEM'");
    test.exec("UPDATE TableKey SET KeyValue = 40 WHERE KeyName = 'FOODGROUP'");
    test.ctx().dataSource().cmdTableKey();
}

// The export of the log in test (all of it unless options say otherwise),
// as at a fixed time so that two exports of the same log compare equal.
inline QString exportTo(TestContext& test, const QString& path, LogExport::Options options = {})
{
    LogExport exporter(test.ctx(), options);
    exporter.exportedAt = QDateTime(QDate(2026, 4, 1), QTime(9, 30), Qt::OffsetFromUTC, 7200);
    QString error;
    if (!exporter.write(path, &error))
        QTest::qFail(qPrintable(error), __FILE__, __LINE__);
    return path;
}

// A whole folder's files by name (or a single file's bytes under its own name).
inline QMap<QString, QByteArray> files(const QString& path)
{
    QMap<QString, QByteArray> result;
    if (QFileInfo(path).isFile()) {
        result.insert(QFileInfo(path).fileName(), fileBytes(path));
        return result;
    }
    for (const QString& name : QDir(path).entryList(QDir::Files | QDir::Hidden))
        result.insert(name, fileBytes(QDir(path).filePath(name)));
    return result;
}

// The diet entries with every value an export carries, in one order.
inline const QString kEntries = "SELECT UserName, DietDate, MealName, GroupName, FoodName, ServingSize, NumServings, "
                                "USDA_NDB_NO, USDA_MSRE_NO, USDA_GM_WT, Fat, Protein, Carbohydrate, Calorie, Sodium, "
                                "Cholesterol, Other1, Other2 FROM DietActivity ORDER BY 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, "
                                "12, 13, 14, 15, 16, 17, 18";

// Every row of every table an import writes to, to tell whether anything changed.
inline QList<QVariantList> everything(TestContext& test)
{
    QList<QVariantList> rows;
    for (const char* table : {"DietActivity", "SNAPSHOT", "FoodItem", "FoodGroup", "TableKey", "CONFIG"})
        rows += test.rows(QStringLiteral("SELECT '%1', * FROM %1 ORDER BY 2, 3").arg(QLatin1String(table)));
    return rows;
}

} // namespace TransferFixture
