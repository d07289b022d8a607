#include "app/configstore.h"
#include "fixture.h"
#include "goals/dailygoals.h"

#include <QTest>
#include <limits>

using Goals = std::array<QString, kNutrientCount>;
Q_DECLARE_METATYPE(DailyGoals::Refusal)

// The users' daily goals as CONFIG keeps them, the goals a user may type,
// and the shares of them that totals make.
class DailyGoalsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestContext> t;

    // The CONFIG rows of goals, "key=value" in table order.
    QStringList storedGoals()
    {
        QStringList rows;
        for (const QVariantList& row : t->rows("SELECT ConfigItem, ConfigValue FROM CONFIG "
                                               "WHERE ConfigItem LIKE 'GOAL%' ORDER BY rowid"))
            rows << row[0].toString() + "=" + row[1].toString();
        return rows;
    }
    QStringList read(const QString& user)
    {
        QStringList goals;
        for (const std::optional<double>& goal : DailyGoals::read(t->ctx().config(), user).goals())
            goals << DailyGoals::text(goal);
        return goals;
    }

private slots:
    void init() { t = std::make_unique<TestContext>(); }
    void cleanup() { t.reset(); }

    // Items are added for goals only, rewritten only when they change, blanked
    // rather than removed; each user reads its own, and other items stay as they were.
    void storedPerUser()
    {
        const QList<QVariantList> before = t->rows("SELECT * FROM CONFIG ORDER BY rowid");
        QVERIFY(DailyGoals::read(t->ctx().config(), "USER1").isEmpty());

        const Goals typed{" 65 ", "", "", "1.8e3", "", "", "0", "12.5"};
        QCOMPARE(DailyGoals::write(t->ctx(), "USER1", typed), (Goals{"65", "", "", "1800", "", "", "0", "12.5"}));
        DailyGoals::write(t->ctx(), "USER3", Goals{"", "", "300"});
        QCOMPARE(storedGoals(), (QStringList{"GOAL1FAT=65", "GOAL1CALORIE=1800", "GOAL1OTHER1=0", "GOAL1OTHER2=12.5",
                                             "GOAL3CARBOHYDRATE=300"}));
        QCOMPARE(read("USER1"), (QStringList{"65", "", "", "1800", "", "", "0", "12.5"}));
        QCOMPARE(read("USER2"), QStringList(8, ""));
        QCOMPARE(read("USER3")[2], QString("300"));

        // Cleared goals keep their (blank) items; nothing is written twice.
        const qint64 changes = t->scalar("SELECT total_changes()").toLongLong();
        DailyGoals::write(t->ctx(), "USER3", Goals{"", "", "300"});
        QCOMPARE(t->scalar("SELECT total_changes()").toLongLong(), changes);
        DailyGoals::write(t->ctx(), "USER1", Goals{"", "", "", "1800"});
        QCOMPARE(storedGoals(), (QStringList{"GOAL1FAT=", "GOAL1CALORIE=1800", "GOAL1OTHER1=", "GOAL1OTHER2=",
                                             "GOAL3CARBOHYDRATE=300"}));
        QCOMPARE(t->rows("SELECT * FROM CONFIG WHERE ConfigItem NOT LIKE 'GOAL%' ORDER BY rowid"), before);
        QCOMPARE(t->prompts.count(), 0);

        // A stored value no one could have typed is no goal; a goal of 0 is one, without a share.
        t->ctx().config().setConfig("GOAL1CALORIE", "lots", false);
        t->ctx().config().setConfig("GOAL3CARBOHYDRATE", "-2", false);
        DailyGoals::write(t->ctx(), "USER2", Goals{"", "", "0"});
        QCOMPARE(read("USER1") + read("USER3"), QStringList(16, ""));
        QCOMPARE(read("USER2")[2], QString("0"));
        QVERIFY(DailyGoals::read(t->ctx().config(), "USER2").isEmpty());
    }

    void typedGoals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<DailyGoals::Refusal>("refusal");
        using R = DailyGoals::Refusal;
        QTest::newRow("blank") << "  " << R::None;
        QTest::newRow("zero") << "0" << R::None;
        QTest::newRow("largest") << "9999999.999" << R::None;
        QTest::newRow("text") << "lots" << R::NotANumber;
        QTest::newRow("thousands separator") << "1,800" << R::NotANumber;
        QTest::newRow("beyond any number") << "1e999" << R::NotANumber;
        QTest::newRow("negative") << "-0.5" << R::Negative;
        QTest::newRow("ten million") << "1e7" << R::CannotShow;
        QTest::newRow("four decimals") << "0.0005" << R::CannotShow;
    }
    void typedGoals()
    {
        QFETCH(QString, text);
        QFETCH(DailyGoals::Refusal, refusal);
        QCOMPARE(DailyGoals::check(text), refusal);
        QCOMPARE(DailyGoals::parse(text).has_value(), refusal == DailyGoals::Refusal::None && !text.trimmed().isEmpty());
    }

    void shares_data()
    {
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("goal"); // -1 for none
        QTest::addColumn<QString>("share");
        QTest::addColumn<QString>("note");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("1500 of 1800") << 1500.0 << 1800.0 << "83.3%" << "of 1800 (83.3%)";
        QTest::newRow("half to even, down") << 12.25 << 100.0 << "12.2%" << "of 100 (12.2%)";
        QTest::newRow("half to even, up") << 12.35 << 100.0 << "12.4%" << "of 100 (12.4%)";
        QTest::newRow("over the goal") << 3.0 << 2.5 << "120.0%" << "of 2.5 (120.0%)";
        QTest::newRow("damaged total") << nan << 50.0 << "invalid" << "of 50 (invalid)";
        QTest::newRow("goal of 0") << 5.0 << 0.0 << "" << "";
        QTest::newRow("no goal") << 5.0 << -1.0 << "" << "";
    }
    void shares()
    {
        QFETCH(double, total);
        QFETCH(double, goal);
        const std::optional<double> g = goal < 0 ? std::nullopt : std::optional(goal);
        QTEST(DailyGoals::shareText(total, g), "share");
        QTEST(DailyGoals::note(total, g), "note");
    }
};

QTEST_GUILESS_MAIN(DailyGoalsTest)
#include "tst_dailygoals.moc"
