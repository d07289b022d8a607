#include "app/appcontext.h"
#include "app/configstore.h"
#include "data/orvdatasource.h"
#include "data/schema.h"
#include "diet/dietlog.h"
#include "diet/diettreemodel.h"
#include "fixture.h"

#include <QTest>

namespace {

const QDate kMay14(2003, 5, 14);

// Each user's days worked out from the log itself: the dates, and '' for the
// entries whose date is not a day.
const char* const kDays =
    "SELECT DISTINCT upper(UserName), CASE WHEN date(DietDate, '+0 days') = DietDate THEN "
    "DietDate ELSE '' END AS day FROM DietActivity WHERE UserName IS NOT NULL ORDER BY 1, 2";
const char* const kKeptMonths = "SELECT upper(UserName), Month, Days FROM DietMonths ORDER BY 1, 2";

} // namespace

// The diet log's data work without any window: the list of days kept beside
// the log, logging servings exactly, edits, and the tree model that reads days
// only when they are used.
class DietLogTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestContext> t;
    std::unique_ptr<DietLog> log;

    OrvDataSource& ds() { return t->ctx().dataSource(); }
    LoggedFood food(int foodId)
    {
        ds().cmdFoods();
        ds().rsFoods.findFirst(Criteria::equals("FoodId", foodId));
        return LoggedFood::fromRecord(ds().rsFoods, "Group");
    }
    Serving measure(int ndbNo, const QString& description)
    {
        const QVariantList row =
            t->rows("SELECT MSRE_DESC, MSRE_NO, GM_WT FROM USDA_Measures WHERE NDB_NO = ? AND MSRE_DESC = ?",
                    {ndbNo, description})
                .value(0);
        return {row.value(0).toString(), row.value(1).toInt(), row.value(2).toDouble()};
    }
    QVariantList row(qint32 id)
    {
        return t->rows("SELECT * FROM DietActivity WHERE DietId = ?", {id}).value(0);
    }

private slots:
    void init()
    {
        t = std::make_unique<TestContext>();
        t->ctx().currentUser = "USER1";
        log = std::make_unique<DietLog>(t->ctx());
        QVERIFY(log->reopen());
    }
    void cleanup()
    {
        log.reset();
        t.reset();
    }

    void daysFollowEveryChangeOfTheLog_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("entries added") << "INSERT INTO DietActivity (DietId, UserName, DietDate) VALUES "
                                          "(10, 'USER1', '2003-05-14'), (11, 'user1', '2003-05-31'), "
                                          "(12, 'USER2', '2003-05-14'), (13, 'USER1', '2003-06-01')";
        QTest::newRow("one of two deleted") << "DELETE FROM DietActivity WHERE DietId = 2";
        QTest::newRow("the last of a day deleted") << "DELETE FROM DietActivity WHERE DietId = 3";
        QTest::newRow("moved to another day")
            << "UPDATE DietActivity SET DietDate = '2003-05-20' WHERE DietId = 1";
        QTest::newRow("given to another user")
            << "UPDATE DietActivity SET UserName = 'USER2' WHERE DietId = 3";
        QTest::newRow("dates that are none") << "UPDATE DietActivity SET DietDate = CASE DietId WHEN 1 THEN "
                                                "'2003-02-30' WHEN 2 THEN NULL ELSE 'soon' END";
        QTest::newRow("dates that are none, then one gone")
            << "UPDATE DietActivity SET DietDate = NULL WHERE DietId "
               "< 3; DELETE FROM DietActivity WHERE DietId = 1";
        QTest::newRow("no user") << "UPDATE DietActivity SET UserName = NULL WHERE DietId = 2";
        QTest::newRow("other columns") << "UPDATE DietActivity SET FoodName = 'x', Fat = 2";
        QTest::newRow("every entry") << "DELETE FROM DietActivity";
    }
    void daysFollowEveryChangeOfTheLog()
    {
        QFETCH(QString, change);
        t->addDietRow("USER1", kMay14, "MEAL0", "Egg");
        t->addDietRow("USER1", kMay14, "", "Toast");
        t->addDietRow("USER1", QDate(2003, 5, 12), "", "Tea");
        t->addDietRow("USER1", QDate(2004, 2, 29), "", "Tea");
        t->addDietRow("USER2", QDate(2003, 5, 31), "", "Tea");
        for (const QString& statement : change.split("; "))
            t->exec(statement);
        // The current user's days as the tree lists them: one day for those without a date, first.
        QList<QDate> days;
        for (const QVariantList& day : t->rows(kDays)) {
            if (day[0].toString() == "USER1")
                days << QDate::fromString(day[1].toString(), Qt::ISODate);
        }
        QCOMPARE(log->days().value().toList(), days);
        t->ctx().currentUser = "USER2";
        const QVector<QDate> user2 = log->days().value();
        QCOMPARE(user2.size(), int(t->rows(kDays).size() - days.size()));
        // What the triggers kept is what a file without them gets built once;
        // until then its days are read from the log itself.
        const QList<QVariantList> kept = t->rows(kKeptMonths);
        t->exec("DROP TRIGGER DietMonthsUpdate");
        QVERIFY(!Schema::hasDietMonths(t->db()));
        t->exec("DELETE FROM DietMonths");
        QCOMPARE(log->days().value(), user2);
        QVERIFY(ds().keepDietMonths());
        QVERIFY(Schema::hasDietMonths(t->db()));
        QCOMPARE(t->rows(kKeptMonths), kept);
    }

    void servingsAreLoggedExactlyAndAnUnchangedEditKeepsThem_data()
    {
        QTest::addColumn<int>("foodId");
        QTest::addColumn<QString>("measure"); // "" for the food's own serving
        QTest::addColumn<double>("servings");
        QTest::addColumn<double>("grams");
        QTest::addColumn<double>("fat");
        QTest::newRow("the food's own serving: its values")
            << int(Fixture::Butter) << "" << 1.0 << 14.2 << 11.52;
        QTest::newRow("a fraction of a gram") << int(Fixture::Apples) << "1 oz" << 1.5 << 28.35 << 4.2525;
        QTest::newRow("under half a gram") << int(Fixture::Apples) << "1 small bite" << 3.0 << 0.4 << 0.12;
        QTest::newRow("another measure of nearly the same weight")
            << int(Fixture::Butter) << "1 pat" << 1.0 << 13.8 << 11.52 * 13.8 / 14.2;
        QTest::newRow("a user food without weight") << int(Fixture::ApplePie) << "" << 0.5 << 0.0 << 9.5;
    }
    void servingsAreLoggedExactlyAndAnUnchangedEditKeepsThem()
    {
        QFETCH(int, foodId);
        QFETCH(QString, measure);
        QFETCH(double, servings);
        QFETCH(double, grams);
        QFETCH(double, fat);
        t->exec("INSERT INTO USDA_Measures VALUES (1001, 4, '1 pat', 13.8)");
        const LoggedFood logged = food(foodId);
        const Serving serving = measure.isEmpty() ? logged.serving : this->measure(logged.ndbNo, measure);
        const std::optional<qint32> id = log->addEntry(logged, servings, kMay14, serving, "");
        QVERIFY(id);
        QCOMPARE(log->current().dietId, *id);
        const QVariantList stored = row(*id);
        QCOMPARE(t->rows("SELECT USDA_GM_WT, MealName, typeof(MealName) FROM DietActivity").value(0),
                 (QVariantList{grams, "", "text"}));
        QCOMPARE(t->scalar("SELECT Fat FROM DietActivity").toDouble(), fat);
        // The servings dialog offers the entry's own measure again (or none without measures).
        const bool measured = logged.ndbNo != 0;
        QVERIFY(log->editEntry(*id, servings, kMay14, measured ? std::optional(serving) : std::nullopt, ""));
        QCOMPARE(row(*id), stored);
    }

    void editsRescaleWhatCanBeRescaled()
    {
        const LoggedFood apples = food(Fixture::Apples);
        const qint32 id = log->addEntry(apples, 1, kMay14, apples.serving, "MEAL1").value();
        t->exec("INSERT INTO USDA_Measures VALUES (9003, 5, '1 half', 50)");
        // 1 serving of 100 g is 2 servings of 50 g: the same food eaten.
        QVERIFY(log->editEntry(id, 2, QDate(2003, 5, 20), measure(9003, "1 half"), ""));
        QCOMPARE(
            t->rows("SELECT NumServings, ServingSize, USDA_MSRE_NO, USDA_GM_WT, DietDate, MealName, Fat, "
                    "Other2 FROM DietActivity")
                .value(0),
            (QVariantList{2.0, "1 half", 5, 50.0, "2003-05-20", "", 10.0, 10.0}));
        QCOMPARE(log->current().date, QDate(2003, 5, 20));
        // Without measures the serving stays and only the servings scale.
        const LoggedFood pieFood = food(Fixture::ApplePie);
        const qint32 pie = log->addEntry(pieFood, 1, kMay14, pieFood.serving, "").value();
        QVERIFY(log->editEntry(pie, 3, kMay14, std::nullopt, ""));
        QCOMPARE(t->rows("SELECT NumServings, ServingSize, Fat FROM DietActivity WHERE DietId = ?", {pie}),
                 (QList<QVariantList>{{3.0, "1 slice", 57.0}}));
        // What cannot be rescaled stays as it is, with the message.
        for (const char* stored : {"NumServings = 0", "USDA_GM_WT = 0"}) {
            t->exec(QString("UPDATE DietActivity SET %1").arg(stored));
            const QVariantList before = row(id);
            QVERIFY(!log->editEntry(id, 3, kMay14, measure(9003, "1 cup"), "MEAL2"));
            QCOMPARE(row(id), before);
        }
        QCOMPARE(t->prompts.texts(),
                 QStringList(2, "Unable to update Diet Data.  " + t->ctx().supportMessage));
        QVERIFY(!log->editEntry(999, 1, kMay14, std::nullopt, ""));
        QCOMPARE(t->prompts.last().text, "Unable to update the selected item.  " + t->ctx().supportMessage);
    }

    void theTreeModelReadsADayOnlyWhenItIsUsed()
    {
        // Two years of days, three entries a day.
        t->exec(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 2189) "
            "INSERT INTO DietActivity (DietId, UserName, DietDate, MealName, FoodName) SELECT i + 1, "
            "'USER1', "
            "date('2001-01-01', '+' || (i / 3) || ' days'), CASE i % 3 WHEN 0 THEN '' ELSE 'MEAL' || (i % 3) "
            "END, CASE i % 3 WHEN 2 THEN 'apple' ELSE 'Zucchini' END FROM n");
        DietTreeModel model(*log, t->ctx().config());
        QVERIFY(model.loadDietDays());
        QCOMPARE(model.rowCount(), 730);
        const QModelIndex last = model.index(729, 0);
        QCOMPARE(DietTreeModel::key(last), QString("DT20021231"));
        // Every day offers its arrow, none has its entries read.
        QCOMPARE(model.rowCount(model.index(364, 0)), 0);
        QVERIFY(model.hasChildren(model.index(364, 0)) && model.canFetchMore(model.index(364, 0)));
        QVERIFY(!model.node("D3").isValid());
        model.fetchMore(last);
        QCOMPARE(model.rowCount(last), 3);
        QCOMPARE(DietTreeModel::key(model.index(0, 0, model.index(0, 0, last))), QString("D2190"));
        QCOMPARE(model.node("D2188").parent(), last);
        QVERIFY(!model.canFetchMore(last));
        // A day made after the load takes its place among the others; one emptied stays until it is read
        // again.
        QCOMPARE(model.addDay(QDate(2003, 1, 2)).row(), 730);
        QCOMPARE(model.addDay(QDate(2000, 12, 31)).row(), 0);
        QCOMPARE(DietTreeModel::key(model.dayNode(QDate(2002, 12, 31))), QString("DT20021231"));
        t->exec("DELETE FROM DietActivity WHERE DietDate = '2001-01-02'");
        model.fetchMore(model.dayNode(QDate(2001, 1, 2)));
        QVERIFY(!model.hasChildren(model.dayNode(QDate(2001, 1, 2))));
        QVERIFY(model.loadDietDays());
        QCOMPARE(model.rowCount(), 729);
    }
};

QTEST_GUILESS_MAIN(DietLogTest)
#include "tst_dietlog.moc"
