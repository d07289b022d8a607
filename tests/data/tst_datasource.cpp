#include "data/storeddates.h"
#include "data/orvdatasource.h"
#include "data/positioning.h"
#include "data/recordset.h"
#include "fixture.h"

#include <QTest>
#include <functional>
#include <limits>

// The data source on a fixture database: every query's rows and order, the
// deletions' ranges, key allocation, transactions, the positioning helpers, the
// date texts and failures. The log's main user and one meal key are named with
// apostrophes, so every query and deletion shows that its values are bound.
using D = OrvDataSource;

class DataSourceTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestContext> t;
    D& ds() { return t->ctx().dataSource(); }

    static inline const QString kUser = QStringLiteral("O'Brien's");
    static QDate day(int d, int m = 5, int y = 2003) { return QDate(y, m, d); }

    // A diet log with DietIds 1, 2, ..., each with fat of its id, 2 x fat of protein and so on.
    void addDietLog()
    {
        t->exec(
            QString("INSERT INTO DietActivity (DietId, UserName, DietDate, MealName, FoodName, Fat, Protein, "
                    "Carbohydrate, Calorie, Sodium, Cholesterol, Other1, Other2) SELECT column1, column2, "
                    "column3, column4, column5, column1, 2 * column1, 3 * column1, 4 * column1, 5 * column1, "
                    "6 * column1, 7 * column1, 8 * column1 FROM (VALUES (1, %1, '2003-05-14', 'MEAL''1', "
                    "'banana'), (2, %1, '2003-05-13', 'MEAL0', 'Toast'), (3, %1, '2003-05-14', 'MEAL0', "
                    "'apple'), (4, 'USER2', '2003-05-14', 'MEAL0', 'Apple'), (5, %1, '2003-05-14', 'MEAL2', "
                    "'Apple'), (6, %1, '2003-05-15', NULL, 'Cereal'), (7, %1, '2003-05-14', 'MEAL0', "
                    "'Zucchini'), (8, %1, '2003-06-01', 'MEAL3', 'nuts'), (9, %1, '2002-12-31', 'MEAL0', "
                    "'Egg'), (10, %1, '2003-05-14', '', 'Water'), (11, %1, '2003-05-14', NULL, 'Yogurt'))")
                .arg("'O''Brien''s'"));
    }

    void addSnapShots()
    {
        t->exec(
            QString(
                "INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPDATETM) VALUES (1, %1, '2003-05-14 23:30:00'), "
                "(2, %1, '2003-05-13 00:00:00'), (3, %1, '2003-05-13 00:00:01'), "
                "(4, 'USER2', '2003-05-14 12:00:00'), (5, %1, '2003-05-14 08:00:00'), "
                "(6, %1, '2003-05-14 08:00:00'), (7, %1, '2003-05-15 00:00:00'), "
                "(8, %1, '2003-05-12 23:59:59'), (9, %1, '2003-05-14 23:59:59'), "
                "(10, %1, '2003-05-14 13:00:00')")
                .arg("'O''Brien''s'"));
    }

    // A column of every row, or "failed" when the query failed.
    static QString walk(bool opened, Recordset& rs, const QString& column)
    {
        if (!opened)
            return QStringLiteral("failed");
        QStringList values;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            values << rs.text(column);
        return values.join(' ');
    }

    // The sums of the current row (prefix + Fat, Protein, ...) divided by 1, 2, ..., 8: one number
    // when they add up rows as addDietRow writes them, "Null" when there were none.
    static QString fatOfSums(bool opened, Recordset& rs, const QString& prefix)
    {
        if (!opened)
            return QStringLiteral("failed");
        QStringList values;
        int i = 0;
        for (const char* n :
             {"Fat", "Protein", "Carbohydrate", "Calorie", "Sodium", "Cholesterol", "Other1", "Other2"})
            values << (rs.value(prefix + n).isNull() ? "Null" : QString::number(rs.number(prefix + n) / ++i));
        values.removeDuplicates();
        return values.join(' ');
    }

    QString ids(const QString& table, const QString& column)
    {
        return t
            ->scalar(QString("SELECT group_concat(%1, ' ') FROM (SELECT %1 FROM %2 ORDER BY %1)")
                         .arg(column, table))
            .toString();
    }
    QString keyTable()
    {
        return t->scalar("SELECT group_concat(KeyName || '=' || KeyValue, ' ') FROM TableKey").toString();
    }

    // The ids of a table that a deletion took, in order.
    QString deletedBy(const QString& table, const QString& column, const std::function<bool()>& deletion)
    {
        const QStringList before = ids(table, column).split(' ');
        if (!deletion())
            return QStringLiteral("failed");
        const QStringList after = ids(table, column).split(' ');
        QStringList gone;
        for (const QString& id : before)
            if (!after.contains(id))
                gone << id;
        return gone.join(' ');
    }

    void verifyFatal(const QString& message)
    {
        QCOMPARE(t->prompts.shown(), QList<Prompt>{applicationError(message)});
        QCOMPARE(t->shutDowns, 1);
    }

    qint64 nextKey(const QString& name)
    {
        const std::optional<qint32> key = ds().getTableKey(name);
        return key ? qint64(*key) : -1;
    }

private slots:
    void init() { t = std::make_unique<TestContext>(); }
    void cleanup() { t.reset(); }

    void queriesKeepTheirRowsAndOrder()
    {
        // Rows whose places depend on names compared without case, and on the ids.
        t->exec("INSERT INTO FoodGroup VALUES (30, 'apple juices', 1, 'GROUP')");
        t->exec("INSERT INTO FoodItem (FoodId, FoodName, GroupId) VALUES (9000, 'apples, raw', 11)");
        QCOMPARE(walk(ds().cmdGroups(), ds().rsGroups, "GroupId"), "2 3 1 30 10 11 12 20");
        QCOMPARE(walk(ds().cmdFoods(), ds().rsFoods, "FoodId"), "60001 1001 1077 9000 9003 9040 11090 50001");
        QCOMPARE(walk(ds().cmdFoodItems(Fixture::FruitGroup), ds().rsFoodItems, "FoodId"), "9000 9003 9040");
        QCOMPARE(walk(ds().cmdAvailGroups(), ds().rsAvailGroups, "GroupId"), "30 10 2 11 20 12");
        QCOMPARE(walk(ds().cmdMeasures(Fixture::Apples), ds().rsMeasures, "MSRE_NO"), "4 1 3 2");
        QCOMPARE(walk(ds().cmdMeals(), ds().rsMeals, "MealName"), "Breakfast Dinner Lunch Snack");
        QCOMPARE(walk(ds().cmdTableKey(), ds().rsTableKey, "KeyName"),
                 "FOODGROUP FOODITEM DIETACTIVITY SNAPSHOT");

        addDietLog();
        // By date, food ignoring case, id; the user's key in any case.
        QCOMPARE(walk(ds().cmdDietData(kUser), ds().rsDietData, "DietId"), "9 2 3 5 1 10 11 7 6 8");
        QCOMPARE(walk(ds().cmdDietData("o'BRIEN'S"), ds().rsDietData, "DietId"), "9 2 3 5 1 10 11 7 6 8");
        QCOMPARE(walk(ds().cmdDietDates(kUser), ds().rsDietDates, "DietDate"),
                 "2002-12-31 2003-05-13 2003-05-14 2003-05-15 2003-06-01");
        QCOMPARE(walk(ds().cmdDietItems(day(14), kUser), ds().rsDietItems, "DietId"), "3 5 1 10 11 7");
        // By date, meal (Null, empty, then keys), food, id.
        QCOMPARE(walk(ds().cmdDietReport(day(13), day(15), kUser), ds().rsDietReport, "DietId"),
                 "2 11 10 1 3 7 5 6");
        QCOMPARE(walk(ds().cmdDietReport(day(31, 12, 2002), day(13), kUser), ds().rsDietReport, "DietId"),
                 "9 2");

        addSnapShots();
        QCOMPARE(walk(ds().cmdSnapShotData(kUser), ds().rsSnapShotData, "SNAPID"), "8 2 3 5 6 10 1 9 7");
        // Whole days: from 00:00:01 of the first to 23:59:59 of the last.
        QCOMPARE(walk(ds().cmdSnapShotReport(StoredRange::snapshotDays(day(13), day(14)), kUser),
                      ds().rsSnapShotReport, "SNAPID"),
                 "3 5 6 10 1 9");
        QCOMPARE(t->prompts.count(), 0);
    }

    // The graph's days, an empty day, a meal key that needs binding; the sums
    // themselves are checked with the diet tree and the graph.
    void totalsSumTheirRows()
    {
        addDietLog();
        QCOMPARE(walk(ds().cmdDietGraph(day(13), day(15), kUser), ds().rsDietGraph, "DietDate"),
                 "2003-05-13 2003-05-14 2003-05-15");
        QCOMPARE(fatOfSums(ds().cmdDietTotal(day(16), kUser), ds().rsDietTotal, "t"), "Null");
        QCOMPARE(fatOfSums(ds().cmdDietMealTotal(day(14), "MEAL'1", kUser), ds().rsDietMealTotal, "t"), "1");
    }

    void deletionsTakeTheirRanges()
    {
        const auto diet = [this](const QDate& lo, const QDate& hi, const QString& user,
                                 const QString& meal = {}) {
            t->exec("DELETE FROM DietActivity");
            addDietLog();
            return deletedBy("DietActivity", "DietId",
                             [&] { return ds().cmdDeleteDietItems(lo, hi, user, meal); });
        };
        QCOMPARE(diet(day(13), day(14), kUser), "1 2 3 5 7 10 11"); // Null and empty meals too
        QCOMPARE(diet(day(13), day(14), kUser, "MEAL0"), "2 3 7");
        QCOMPARE(diet(day(14), day(14), kUser, "MEAL'1"), "1");
        QCOMPARE(diet(day(31, 12, 2002), day(13), kUser), "2 9");
        QCOMPARE(diet(day(15), day(13), kUser), "");
        QCOMPARE(diet(day(15), day(15), "o'brien's"), "6");
        QCOMPARE(diet(day(1), day(31), "USER2"), "4");
        QCOMPARE(diet(day(1), day(31), "USER2", "MEAL0') OR ('1'='1"), "");

        // Whole days: 00:00:00 of the first day stays (2, 7), 23:59:59 of the last goes (9).
        const auto snapShots = [this](const QDate& first, const QDate& last, const QString& user) {
            t->exec("DELETE FROM SNAPSHOT");
            addSnapShots();
            return deletedBy("SNAPSHOT", "SNAPID", [&] {
                return ds().cmdDeleteSnapshotItems(StoredRange::snapshotDays(first, last), user);
            });
        };
        QCOMPARE(snapShots(day(13), day(14), kUser), "1 3 5 6 9 10");

        const QString groups = ids("FoodGroup", "GroupId");
        QCOMPARE(deletedBy("FoodItem", "FoodId", [this] { return ds().cmdDeleteFoods(Fixture::FruitGroup); }),
                 "9003 9040");
        QCOMPARE(ids("FoodGroup", "GroupId"), groups);
        QCOMPARE(t->prompts.count(), 0);
    }

    void keysAreConsecutiveAndStored()
    {
        QCOMPARE(nextKey("FOODITEM"), Fixture::kLastFoodId + 1);
        QCOMPARE(nextKey("foodItem"), Fixture::kLastFoodId + 2);
        QCOMPARE(nextKey("DIETACTIVITY"), 1);
        QCOMPARE(keyTable(), QString("FOODGROUP=%1 FOODITEM=%2 DIETACTIVITY=1 SNAPSHOT=0")
                                 .arg(Fixture::kLastGroupId)
                                 .arg(Fixture::kLastFoodId + 2));
        ds().closeDB();
        QVERIFY(ds().connectDB() && ds().cmdTableKey());
        QCOMPARE(nextKey("FOODITEM"), Fixture::kLastFoodId + 3);
        t->exec("UPDATE TableKey SET KeyValue = ? WHERE KeyName = 'FOODITEM'",
                {std::numeric_limits<qint32>::max() - 1});
        QCOMPARE(nextKey("FOODITEM"), std::numeric_limits<qint32>::max());
        QCOMPARE(t->prompts.count(), 0);
    }

    void keysStopRatherThanWrapOrAppear_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("setup");
        const QString stored = "UPDATE TableKey SET KeyValue = %1 WHERE KeyName = 'FOODITEM'";
        // clang-format off
        QTest::newRow("at the largest 32-bit value") << "FOODITEM" << stored.arg(std::numeric_limits<qint32>::max());
        QTest::newRow("beyond it") << "FOODITEM" << stored.arg(std::numeric_limits<quint32>::max());
        QTest::newRow("unknown name") << "NOSUCHKEY" << "SELECT 1";
        QTest::newRow("row removed") << "SNAPSHOT" << "DELETE FROM TableKey WHERE KeyName = 'SNAPSHOT'";
        // clang-format on
    }
    void keysStopRatherThanWrapOrAppear()
    {
        QFETCH(QString, name);
        QFETCH(QString, setup);
        t->exec(setup);
        QVERIFY(ds().cmdTableKey());
        const QString before = keyTable();
        QCOMPARE(nextKey(name), -1);
        QCOMPARE(keyTable(), before);
        verifyFatal("Unable to update Table Key Data.  ");
    }

    void storedDateTimesReadBack()
    {
        // Stored texts read back.
        for (const QTime& time : {QTime(0, 0), QTime(12, 0), QTime(13, 5, 9)})
            QCOMPARE(fromStoredDateTime(storedDateTime(QDateTime(day(1), time))), QDateTime(day(1), time));
        QCOMPARE(fromStoredDateTime(u"2003-05-14"), QDateTime(day(14), QTime(0, 0)));
        for (const char* text : {"", "2003-02-30 10:00:00", "2003-05-14 24:00:00", "-003-05-14", "2003/05/14",
                                 "2003-05-14T10:00:00", "2003-05-14 10:00"})
            QVERIFY2(!fromStoredDateTime(QString::fromLatin1(text)).isValid(), text);
        // Bounds are written from the clock, through no zone: Sao Paulo's 4 November 2018 had no midnight.
        const TimeZoneScope zone("America/Sao_Paulo");
        const StoredRange range = StoredRange::snapshotDays(QDate(2018, 11, 4), QDate(2018, 11, 5));
        QCOMPARE(range.low + "|" + range.high, QString("2018-11-04 00:00:01|2018-11-05 23:59:59"));
    }

    // A measure's place by its number; moving to a row by offset or id is
    // checked by the windows that do it.
    void measurePositionIsThePlaceOfTheLastRowOfTheNumber()
    {
        // Apples by weight: 0.4 g (4), 28.35 g (1), 100 g (3), 150 g (1), 240 g (2).
        t->exec("INSERT INTO USDA_Measures VALUES (9003, 1, '1 large', 150)");
        Recordset& rs = ds().rsMeasures;
        QVERIFY(ds().cmdMeasures(Fixture::Apples));
        rs.moveLast();
        QCOMPARE(measurePosition(rs, 1), 3);
        QCOMPARE(rs.absolutePosition(), 0); // left on the first row
        QCOMPARE(measurePosition(rs, 99), 0);
    }

    void transactionsKeepAllOrNothing_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("kept");
        QTest::newRow("CommitTrans") << "commit" << true;
        QTest::newRow("Rollback") << "rollback" << false;
        QTest::newRow("database closed first") << "close" << false;
    }
    void transactionsKeepAllOrNothing()
    {
        QFETCH(QString, ending);
        QFETCH(bool, kept);
        // A key, a row written through a dynaset and a bulk deletion.
        QVERIFY(ds().cmdFoods());
        ds().beginTrans();
        QVERIFY(ds().inTransaction());
        QCOMPARE(nextKey("FOODITEM"), Fixture::kLastFoodId + 1);
        ds().rsFoods.addNew();
        ds().rsFoods.setValue("FoodId", Fixture::kLastFoodId + 1);
        ds().rsFoods.update();
        QVERIFY(ds().cmdDeleteFoods(Fixture::FruitGroup));
        if (ending == "commit")
            ds().commitTrans();
        else if (ending == "rollback")
            ds().rollback();
        // What is kept is on the disk: read it through a new connection.
        ds().closeDB();
        QVERIFY(ds().connectDB());
        QVERIFY(!ds().inTransaction());
        QCOMPARE(ids("FoodItem", "FoodId"),
                 kept ? "1001 1077 11090 50001 60001 60002" : "1001 1077 9003 9040 11090 50001 60001");
        QCOMPARE(keyTable().split(' ')[1], QString("FOODITEM=%1").arg(Fixture::kLastFoodId + (kept ? 1 : 0)));
    }

    // Each query and deletion reports its own failure once, closes its
    // recordset and ends the program.
    void failureIsReportedOnceAndShutsDown()
    {
        const struct
        {
            std::function<bool(D&)> call;
            Recordset D::*rs;
            const char* table;  // whose loss makes it fail
            const char* failed; // "Unable to <failed> Data.  "
        } operations[] = {
            {[](D& d) { return d.cmdAvailGroups(); }, &D::rsAvailGroups, "FoodGroup", "retrieve Food"},
            {[](D& d) { return d.cmdMeasures(9003); }, &D::rsMeasures, "USDA_Measures", "retrieve Measures"},
            {[](D& d) { return d.cmdMeals(); }, &D::rsMeals, "Meal", "retrieve Meal"},
            {[](D& d) { return d.cmdDietItems(day(14), "U"); }, &D::rsDietItems, "DietActivity",
             "retrieve Diet"},
            {[](D& d) { return d.cmdDietReport(day(1), day(31), "U"); }, &D::rsDietReport, "DietActivity",
             "retrieve Diet Report"},
            {[](D& d) { return d.cmdDietGraph(day(1), day(31), "U"); }, &D::rsDietGraph, "DietActivity",
             "retrieve Diet Graph"},
            {[](D& d) { return d.cmdSnapShotData("U"); }, &D::rsSnapShotData, "SNAPSHOT",
             "retrieve SnapShot"},
            {[](D& d) { return d.cmdDeleteFoods(20); }, nullptr, "FoodItem", "delete Food"},
            {[](D& d) { return d.cmdDeleteDietItems(day(1), day(2), "U", ""); }, nullptr, "DietActivity",
             "delete Diet"},
            {[](D& d) { return d.cmdDeleteSnapshotItems(StoredRange::snapshotDays(day(1), day(2)), "U"); },
             nullptr, "SNAPSHOT", "delete SnapShot"},
        };
        for (const auto& op : operations) {
            t = std::make_unique<TestContext>();
            QVERIFY(op.call(ds()));
            QCOMPARE(t->prompts.count(), 0);
            t->exec(QString("DROP TABLE %1").arg(op.table));
            QVERIFY(!op.call(ds()));
            verifyFatal(QString("Unable to %1 Data.  ").arg(op.failed));
            QVERIFY(!op.rs || !(ds().*op.rs).isOpen());
        }
    }

    void createSnapShotMakesTheTable()
    {
        t = std::make_unique<TestContext>(Fixture::Content::NoSnapShot);
        ds().cmdCreateSnapShot();
        // 15 characters fit the short values, 16 do not; ids are unique.
        const QString insert = "INSERT INTO SNAPSHOT (SNAPID, USERNAME, SNAPVAL7) VALUES (?, '', ?)";
        t->exec(insert, {1, QString(15, 'x')});
        QVERIFY_THROWS_EXCEPTION(DataError, t->exec(insert, {1, ""}));
        QVERIFY_THROWS_EXCEPTION(DataError, t->exec(insert, {2, QString(16, 'x')}));
        QCOMPARE(t->prompts.count() + t->shutDowns, 0);
    }
};

QTEST_GUILESS_MAIN(DataSourceTest)
#include "tst_datasource.moc"
