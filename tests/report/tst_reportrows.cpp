#include "app/configstore.h"
#include "data/orvdatasource.h"
#include "fixture.h"
#include "goals/dailygoals.h"
#include "report/calorieshares.h"
#include "report/dietreport.h"
#include "report/reportformat.h"
#include "report/snapshotreport.h"

#include <QTest>

// The rows of the diet report and the snapshot report as their lists show
// them, built from fixture logs.
namespace {

// A diet entry as a table row gives it: "day|meal key|food", the day of May
// 2003; a meal of "-" is stored as NULL. Nutrients come from fat (see
// TestContext::addDietRow): Calorie 4 x fat, Fat, Cholesterol 6 x, Sodium
// 5 x, Carbohydrate 3 x, Protein 2 x, Other1 7 x, Other2 8 x.
void addEntry(TestContext& t, const QString& entry, double fat = 1)
{
    const QStringList parts = entry.split('|');
    const QString meal = parts[1] == "-" ? QString() : parts[1];
    const qint32 id = t.addDietRow("USER1", QDate(2003, 5, parts[0].toInt()), meal, parts[2], fat);
    if (parts[1] == "-")
        t.exec("UPDATE DietActivity SET MealName = NULL WHERE DietId = ?", {id});
}

// Each row as "*" for bold, then its first column.
QStringList outline(const ReportTable& report)
{
    QStringList rows;
    for (int row = 0; row < report.rowCount(); ++row)
        rows.append((report.isBold(row) ? "*" : "") + report.text(row, 0));
    return rows;
}

QStringList cells(const ReportTable& report, int row)
{
    QStringList texts;
    for (int column = 0; column < report.columnCount(); ++column)
        texts.append(report.text(row, column));
    return texts;
}

} // namespace

class ReportRowsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestContext> t;
    OrvDataSource& ds() { return t->ctx().dataSource(); }

    std::unique_ptr<DietReport> dietReport(const QString& flags, int firstDay = 1, int lastDay = 31)
    {
        auto report = std::make_unique<DietReport>(t->ctx());
        report->options.mealBreak = flags.contains("meals");
        report->options.totalsOnly = flags.contains("totals");
        report->options.showPercentages = flags.contains("shares");
        report->options.showSnapshot = flags.contains("snapshots");
        report->options.showAverages = flags.contains("averages");
        report->options.showGoals = flags.contains("goals");
        ds().cmdDietReport(QDate(2003, 5, firstDay), QDate(2003, 5, lastDay), "USER1");
        report->build(ds().rsDietReport);
        return report;
    }

    // Snapshot labels 2 and 5 only, and six snapshots around 14 to 16 May.
    void addSnapshots()
    {
        for (int n = 1; n <= 8; ++n)
            t->ctx().config().setConfig(QString("SNAPSHOT%1").arg(n), "", false);
        t->ctx().config().setConfig("SNAPSHOT2", " Waist ", false);
        t->ctx().config().setConfig("SNAPSHOT5", "Pulse", false);
        const QString insert = "INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPVAL2, SNAPVAL5, SNAPVAL7, SNAPDATETM, "
                               "SNAPCOMMENTS) VALUES (?, ?, ?, ?, ?, ?, ?)";
        t->exec(insert, {1, "USER1", 31, 70, "x", "2003-05-14 00:00:00", "midnight"});
        t->exec(insert, {2, "USER1", 32.5, QVariant(), "120/80", "2003-05-14 07:30:00", "after run"});
        t->exec(insert, {3, "USER1", -1, 60, QVariant(), "2003-05-15 23:30:00", "late"});
        t->exec(insert, {4, "USER2", 50, 50, "", "2003-05-14 09:00:00", "someone else"});
        t->exec(insert, {5, "USER1", 33, 71, "", "2003-05-16 00:00:00", "midnight again"});
        t->exec(insert, {6, "USER1", 34, 72, "", "2003-05-16 08:00:00", "last day"});
    }

private slots:
    void init()
    {
        t = std::make_unique<TestContext>();
        t->ctx().currentUser = "USER1";
    }

    // The rows as outline() gives them: "*" marks a bold row, " " is a blank one.
    void dietRowsInOrder_data()
    {
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("rows");
        const auto day = [](int d) { return QStringList{QString("*05/%1/2003").arg(d), " "}; };
        const auto entry = [](const QString& food) { return QStringList{food, "   [1 serving]", " "}; };
        const auto dayTotals = [](int d, const QStringList& shares = {}) {
            return QStringList{QString("*05/%1/2003 Totals:").arg(d)} + shares + QStringList{" ", " "};
        };
        const QStringList grand{"*Report Grand Totals:"}, shares{"*     Calculated Percentage of Calories:"};
        const QStringList goals{"*     Share of Daily Goals:"}, averageGoals{"*     Average Day's Share of Daily Goals:"};
        const auto meal = [&](int d, const QString& name, const QString& food, const QStringList& mealShares = {}) {
            const QString heading = QString("*  05/%1/2003 - %2").arg(d).arg(name);
            return QStringList{heading, " "} + entry(food) + QStringList{heading + " Totals:"} + mealShares + QStringList{" "};
        };
        QTest::newRow("totals only") << "totals" << QStringList{"14|MEAL0|A", "14|MEAL1|B", "15|MEAL0|C"}
                                     << QStringList{"*05/14/2003", "*05/15/2003", " ", " "} + grand;
        // The change from no meal key gives one blank row; a day that ends without one has no meal subtotal.
        QTest::newRow("meals, shares, averages, some without a key")
            << "meals,shares,averages" << QStringList{"14|-|A", "14|MEAL0|B", "14|MEAL1|C", "15|MEAL0|D", "16|-|E"}
            << day(14) + entry("A") + meal(14, "Breakfast", "B", shares) + meal(14, "Lunch", "C", shares) +
                   QStringList{" "} + dayTotals(14, shares) + day(15) + meal(15, "Breakfast", "D", shares) +
                   QStringList{" "} + dayTotals(15, shares) + day(16) + entry("E") + dayTotals(16, shares) + grand +
                   shares + QStringList{"*     Daily Averages:"};
        // MEAL2 is labelled "Lunch" too (in the test): grouped by key, not by label.
        QTest::newRow("two keys, one label") << "meals,samelabel" << QStringList{"14|MEAL1|A", "14|MEAL2|B"}
                                             << day(14) + meal(14, "Lunch", "A") + meal(14, "Lunch", "B") + dayTotals(14) + grand;
        QTest::newRow("totals only with shares") << "totals,shares" << QStringList{"14|MEAL0|A"}
                                                 << QStringList{"*05/14/2003"} + shares + QStringList{" ", " "} + grand + shares;
        QTest::newRow("no rows") << "shares,averages" << QStringList{} << QStringList{};
        // Goals are set in every row (but the last): only the option shows them.
        QTest::newRow("goals") << "goals,shares,averages" << QStringList{"14|MEAL0|A", "16|MEAL0|B"}
                               << day(14) + entry("A") + dayTotals(14, shares + goals) + day(16) + entry("B") +
                                      dayTotals(16, shares + goals) + grand + shares + averageGoals +
                                      QStringList{"*     Daily Averages:"};
        QTest::newRow("goals, totals only") << "goals,totals" << QStringList{"14|MEAL0|A"}
                                            << QStringList{"*05/14/2003"} + goals + QStringList{" ", " "} + grand +
                                                   averageGoals;
        QTest::newRow("goals asked, none set") << "goals,nogoals" << QStringList{"14|MEAL0|Apples"}
                                               << day(14) + entry("Apples") + dayTotals(14) + grand;
    }
    void dietRowsInOrder()
    {
        QFETCH(QString, flags);
        QFETCH(QStringList, entries);
        if (flags.contains("samelabel"))
            t->ctx().config().setConfig("MEAL2", "Lunch", false);
        if (!flags.contains("nogoals"))
            DailyGoals::write(t->ctx(), "USER1", {"4", "", "", "8"});
        for (const QString& entry : entries)
            addEntry(*t, entry);
        addEntry(*t, "20|MEAL0|after the range");
        t->addDietRow("USER2", QDate(2003, 5, 14), "MEAL0", "someone else's");
        QTEST(outline(*dietReport(flags, 1, 19)), "rows");
    }

    void dietCellsOfEachKind()
    {
        addEntry(*t, "14|MEAL0|Apples", 1);
        t->exec("UPDATE DietActivity SET NumServings = 1.5, ServingSize = ? WHERE FoodName = 'Apples'",
                {"  " + QString(48, 'x') + "cut here"});
        addEntry(*t, "16|MEAL0|Pears", 2);
        auto report = dietReport("shares,averages");
        // Calories, Fat, Chol, Sodium, Carbs, Protein, Fiber, Sugars.
        QCOMPARE(cells(*report, 0), QStringList{"05/14/2003"} + QStringList(9, " "));
        QCOMPARE(cells(*report, 2), (QStringList{"Apples", "1.50", "4.0", "1.0", "6.0", "5.0", "3.0", "2.0", "7.0", "8.0"}));
        QCOMPARE(cells(*report, 3), QStringList{"   [" + QString(48, 'x') + "]"} + QStringList(9, " "));
        const int total = int(outline(*report).indexOf("*Report Grand Totals:"));
        QCOMPARE(cells(*report, total).mid(1),
                 (QStringList{"", "12.0", "3.0", "18.0", "15.0", "9.0", "6.0", "21.0", "24.0"}));
        // E = 9 x 3 + 4 x 9 + 4 x 6 = 87 calories from the macronutrients.
        QCOMPARE(cells(*report, total + 1).mid(1), (QStringList{"", "", "31.0%", "", "", "41.4%", "27.6%", " ", " "}));
        // Averages over the two days with entries, not the 31 of the range.
        QCOMPARE(cells(*report, total + 2).mid(1),
                 (QStringList{"", "6.0", "1.5", "9.0", "7.5", "4.5", "3.0", "10.5", "12.0"}));
        QCOMPARE((QStringList{report->imageKey(0), report->imageKey(2), report->imageKey(total)}),
                 (QStringList{"dietdate", "", "report"}));

        // Daily totals alone have no servings column.
        auto totals = dietReport("totals");
        QCOMPARE(totals->headerText(0) + "," + totals->headerText(1), QString("Date,Calories"));
        QCOMPARE(cells(*totals, 0), (QStringList{"05/14/2003", "4.0", "1.0", "6.0", "5.0", "3.0", "2.0", "7.0", "8.0"}));
    }

    // Each day's share of the goals and the average day's, each under its
    // nutrient's column; a nutrient without a goal (or with a goal of 0) shows
    // none, a damaged sum shows "invalid".
    void goalShareCells()
    {
        addEntry(*t, "14|MEAL0|A", 1);
        addEntry(*t, "16|MEAL0|B", 2);
        addEntry(*t, "17|MEAL0|C", 1);
        t->exec("UPDATE DietActivity SET Calorie = 1e999 WHERE FoodName = 'C'");
        // Fat, Protein, Carbohydrate, Calorie, Sodium, Cholesterol, Other1, Other2.
        DailyGoals::write(t->ctx(), "USER1", {"4", "5", "10", "8", "25", "60", "0", "64"});
        auto report = dietReport("goals", 14, 16);
        const QStringList rows = outline(*report);
        // Calories, Fat, Chol, Sodium, Carbs, Protein, Fiber, Sugars.
        QCOMPARE(cells(*report, rows.indexOf("*     Share of Daily Goals:")),
                 (QStringList{"     Share of Daily Goals:", "", "50.0%", "25.0%", "10.0%", "20.0%", "30.0%", "40.0%", "",
                              "12.5%"}));
        QCOMPARE(cells(*report, rows.lastIndexOf("*     Share of Daily Goals:")).mid(2, 2),
                 (QStringList{"100.0%", "50.0%"}));
        QCOMPARE(cells(*report, rows.indexOf("*     Average Day's Share of Daily Goals:")).mid(2),
                 (QStringList{"75.0%", "37.5%", "15.0%", "30.0%", "45.0%", "60.0%", "", "18.8%"}));

        auto damaged = dietReport("goals,totals", 17, 17);
        QCOMPARE(cells(*damaged, 1).mid(1, 2), (QStringList{"invalid", "25.0%"}));
    }

    // Values that are no number show as the trees show them, wherever they
    // count; so does a date that is no day (a day of its own). The export writes these texts.
    void damagedValuesShowAsSuch()
    {
        addEntry(*t, "14|MEAL0|Apples");
        addEntry(*t, "15|MEAL0|Pears");
        t->exec("UPDATE DietActivity SET Calorie = 9e999, NumServings = -9e999 WHERE FoodName = 'Apples'");
        t->exec("UPDATE DietActivity SET DietDate = '2003-05-15 12:00' WHERE FoodName = 'Pears'");
        auto report = dietReport("shares,averages");
        const QStringList rows = outline(*report);
        QCOMPARE(rows.mid(9, 6), (QStringList{"*(invalid date)", " ", "Pears", "   [1 serving]", " ", "*(invalid date) Totals:"}));
        QCOMPARE(cells(*report, 2), (QStringList{"Apples", "invalid", "invalid", "1.0", "6.0", "5.0", "3.0", "2.0", "7.0", "8.0"}));
        QCOMPARE(cells(*report, 6).mid(1), (QStringList{"", "", "invalid", "", "", "invalid", "invalid", " ", " "}));
        QCOMPARE(cells(*report, int(rows.size()) - 1).mid(1, 3), (QStringList{"", "invalid", "1.0"})); // averages
    }

    void snapshotRowsUnderEachDay()
    {
        addSnapshots();
        for (const char* entry : {"13|MEAL0|A", "14|MEAL0|A", "15|MEAL0|B", "16|MEAL0|C"})
            addEntry(*t, entry);
        auto report = dietReport("snapshots");
        const QStringList rows = outline(*report);
        // No snapshot rows for 13 May; 14 May's midnight snapshot belongs to no day, and so does 16 May's.
        QCOMPARE(rows.mid(rows.indexOf("*05/13/2003 Totals:")).join('|'),
                 "*05/13/2003 Totals:| | |*05/14/2003| |A|   [1 serving]| |*05/14/2003 Totals:| "
                 "|*05/14/2003 Physical Snapshot Data |07:30 AM - after run| | | |*05/15/2003| |B|   [1 serving]| "
                 "|*05/15/2003 Totals:| |*05/15/2003 Physical Snapshot Data |11:30 PM - late| | | |*05/16/2003| |C"
                 "|   [1 serving]| |*05/16/2003 Totals:| |*05/16/2003 Physical Snapshot Data |08:00 AM - last day| | "
                 "| |*Report Grand Totals:");
        const int header = int(rows.indexOf("*05/14/2003 Physical Snapshot Data "));
        QCOMPARE(cells(*report, header).mid(1), (QStringList{"", "Waist", "Pulse", "", "", "", "", "", ""}));
        QCOMPARE(cells(*report, header + 1).mid(1), (QStringList{"", " 32.5", " ", "", "", "", "", "", ""}));
        QCOMPARE(report->imageKey(header), QString("camera"));
        QVERIFY(!ds().rsSnapShotReport.isOpen());
    }

    void snapshotReportRows_data()
    {
        QTest::addColumn<bool>("labelled");
        QTest::addColumn<QList<QStringList>>("rows"); // the headers ("<" left aligned, ">" right), then the rows
        // In twips, with titles 150 a character and values 200: a value column
        // takes its title's width or its widest value's, and a margin.
        QTest::addColumn<QVector<double>>("widths");
        QTest::newRow("labels 2 and 5") << true
                                        << QList<QStringList>{{"<Date", ">Waist", ">Pulse", "<  Comments"},
                                                              {"2003/05/14 07:30 AM", " 32.5", " ", "  after run"},
                                                              {"2003/05/15 11:30 PM", "-1", " 60", "  late"}}
                                        << QVector<double>{2600, 1000 + 240, 750 + 240, 3000};
        QTest::newRow("no labels") << false
                                   << QList<QStringList>{{"<Date", "<  Comments"},
                                                         {"2003/05/14 07:30 AM", "  after run"},
                                                         {"2003/05/15 11:30 PM", "  late"}}
                                   << QVector<double>{2600, 3000};
    }
    void snapshotReportRows()
    {
        QFETCH(bool, labelled);
        addSnapshots();
        if (!labelled) {
            t->ctx().config().setConfig("SNAPSHOT2", "  ", false);
            t->ctx().config().setConfig("SNAPSHOT5", "", false);
        }
        // Whole days: the midnight snapshot of the first day is not listed.
        QVERIFY(SnapshotReport::query(t->ctx(), QDate(2003, 5, 14), QDate(2003, 5, 15)));
        SnapshotReport report(t->ctx());
        report.build(ds().rsSnapShotReport);
        QList<QStringList> rows{{}};
        for (int column = 0; column < report.columnCount(); ++column)
            rows[0].append((report.alignment(column) == Qt::AlignRight ? ">" : "<") + report.headerText(column));
        for (int row = 0; row < report.rowCount(); ++row)
            rows.append(cells(report, row));
        QTEST(rows, "rows");
        QCOMPARE(report.key(0), QString("K2"));
        QTEST(report.columnWidths([](const QString& text, bool bold) { return text.size() * (bold ? 150.0 : 200.0); }),
              "widths");
    }

    void formats_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("expected");
        QTest::newRow("half to even") << ReportFormat::nutrient(12.25) << "12.2";
        QTest::newRow("no minus zero") << ReportFormat::nutrient(-0.04) << "0.0";
        QTest::newRow("large total") << ReportFormat::nutrient(10950000) << "10950000.0";
        // Shares of the calories from fat (carbohydrate, protein) when the
        // macronutrients give none, and when there are no calories.
        QTest::newRow("share: E = 0") << ReportFormat::share(CalorieShares::of(50, 0, 0, 0).fat) << "0.0%";
        QTest::newRow("share: no calories") << ReportFormat::share(CalorieShares::of(0, 5, 10, 5).protein) << "0.0%";
        QTest::newRow("value: zero") << ReportFormat::snapshotValue(0.0, 2) << " 0";
        QTest::newRow("value: huge") << ReportFormat::snapshotValue(1e16, 2) << " 1E+16";
        QTest::newRow("value: no number") << ReportFormat::snapshotValue(qInf(), 2) << "invalid";
        QTest::newRow("value: text as stored") << ReportFormat::snapshotValue(" 120/80", 7) << " 120/80";
        QTest::newRow("serving: cut before trimmed")
            << ReportFormat::servingSizeLine("  1 cup" + QString(43, ' ') + "never shown") << "   [1 cup]";
        // A character outside the basic plane across the cut is left out whole.
        QTest::newRow("serving: no half character")
            << ReportFormat::servingSizeLine(QString(49, 'a') + QString::fromUtf8("\xF0\x9F\x8D\x8E") + "b")
            << "   [" + QString(49, 'a') + "]";
    }

    void formats()
    {
        QFETCH(QString, shown);
        QTEST(shown, "expected");
    }
};

QTEST_GUILESS_MAIN(ReportRowsTest)
#include "tst_reportrows.moc"
