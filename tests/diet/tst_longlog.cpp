#include "diet/purgedialog.h"
#include "dietfixture.h"
#include "food/findcontroller.h"
#include "food/finddialog.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>

namespace {

const QDate kFirstDay(2001, 1, 1);
constexpr int kDays = 1095; // to the last day of 2003

} // namespace

// A log of years, whose days the tree reads only when they are used: what the
// user meets must be the same as if every day had been read at the start.
class LongLogTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DietFixture> f;

    QList<QVariantList> sql(const QString& query) { return f->test.rows(query); }
    QStringList keysOf(const QString& query)
    {
        QStringList keys;
        for (const QVariantList& row : sql(query))
            keys << row[0].toString();
        return keys;
    }
    QStringList shownDays()
    {
        QStringList days;
        for (int i = 0; i < f->model().rowCount(); ++i)
            days << DietTreeModel::key(f->model().index(i, 0));
        return days;
    }
    int openedDays()
    {
        int opened = 0;
        for (int i = 0; i < f->model().rowCount(); ++i)
            opened += f->model().rowCount(f->model().index(i, 0)) > 0 ? 1 : 0;
        return opened;
    }
    static QString storedDays()
    {
        return "SELECT DISTINCT 'DT' || replace(DietDate, '-', '') FROM DietActivity "
               "WHERE UserName = 'USER1' ORDER BY DietDate";
    }

private slots:
    void init()
    {
        f = std::make_unique<DietFixture>();
        // Three entries a day, the first without a meal; now and then an apple.
        f->test.exec(
            QString("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                    "INSERT INTO DietActivity (DietId, UserName, DietDate, MealName, FoodName, Fat) SELECT "
                    "i + 1, 'USER1', date('2001-01-01', '+' || (i / 3) || ' days'), CASE i % 3 WHEN 0 THEN ''"
                    " ELSE 'MEAL' || (i % 3) END, CASE WHEN i % 97 = 5 THEN 'Green apple' WHEN i % 89 = 1 "
                    "THEN 'Apple juice' ELSE 'Bread ' || (i % 11) END, 1 FROM n")
                .arg(kDays * 3 - 1));
        f->test.exec("UPDATE TableKey SET KeyValue = (SELECT max(DietId) FROM DietActivity) "
                     "WHERE KeyName = 'DIETACTIVITY'");
        f->loadShown();
    }
    void cleanup() { f.reset(); }

    void findNextVisitsDaysNeverOpened()
    {
        FindDialog* dialog = f->main().finder().dialog();
        dialog->findChild<QRadioButton*>("optDiet")->setChecked(true);
        dialog->findChild<QLineEdit*>("txtFindName")->setText("APPLE");
        // The matches in the order of the log (by day, name and id) after the row it
        // stands on, its first (D2, which is a match), wrapping at the end.
        const QStringList matches =
            keysOf("SELECT 'D' || DietId FROM DietActivity WHERE FoodName LIKE '%apple%' "
                   "ORDER BY DietDate, FoodName COLLATE NOCASE, DietId");
        QCOMPARE(matches.first(), QString("D2"));
        const QStringList expected = matches.mid(1) + matches.mid(0, 2);
        QStringList found;
        for (int i = 0; i <= matches.size(); ++i) {
            f->main().finder().findFood(true);
            found << f->selectedKey();
        }
        QCOMPARE(found, expected);
        QCOMPARE(f->prompts().count(), 0);
        // Only the days of the matches were read.
        QCOMPARE(openedDays(), sql("SELECT count(DISTINCT DietDate) FROM DietActivity WHERE FoodName LIKE "
                                   "'%apple%'")
                                   .value(0)
                                   .value(0)
                                   .toInt());
    }

    void addingToADayNeverOpenedShowsTheWholeDayInOrder()
    {
        const QDate day = kFirstDay.addDays(500);
        f->foodNode(Fixture::Apples, Fixture::FruitGroup);
        f->main().foodTree().selectFoodRecord("F9003", "FOODITEM");
        f->diet().addDietEntry(1.0, day, {"100 g", 3, 100}, "MEAL1");
        const QString dayKey = "DT" + day.toString("yyyyMMdd");
        QCOMPARE(f->captions(dayKey), (QStringList{"Bread 4", "Dinner", "Lunch"}));
        QCOMPARE(f->captions("MLMEAL1" + dayKey), (QStringList{"Apples, raw", "Bread 5"}));
        QCOMPARE(f->selectedKey(), f->entry(f->lastDietId()));
        QCOMPARE(openedDays(), 1);
        QCOMPARE(shownDays(), keysOf(storedDays()));
    }

    void aPurgeOfDaysNeverOpenedLeavesTheOthers()
    {
        f->diet().loadDietDay(kFirstDay.addDays(10));
        f->prompts().queueYes();
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<PurgeDialog*>(modal);
            dialog->dtLoDate->setDate(kFirstDay.addDays(100));
            dialog->dtHighDate->setDate(kFirstDay.addDays(899));
            dialog->OKButton->click();
        });
        f->main().toolsPurgeDiet();
        QCOMPARE(f->model().rowCount(), kDays - 800);
        QCOMPARE(shownDays(), keysOf(storedDays()));
        QCOMPARE(openedDays(), 0);
        QCOMPARE(f->ds().rsDietData.recordCount(), (kDays - 800) * 3);
    }

    void theFirstAndLastEntriesAfterScrolling()
    {
        QScrollBar* bar = f->tree()->verticalScrollBar();
        bar->setValue(bar->maximum());
        const QModelIndex bottom =
            f->tree()->indexAt(f->tree()->viewport()->rect().bottomLeft() + QPoint(5, -5));
        QCOMPARE(DietTreeModel::key(bottom), "DT" + kFirstDay.addDays(kDays - 1).toString("yyyyMMdd"));
        bar->setValue(bar->minimum());
        const QModelIndex top = f->tree()->indexAt(QPoint(5, 5));
        QCOMPARE(DietTreeModel::key(top), QString("DT20010101"));
        f->tree()->expand(top);
        // The first entry of the log: its first day's, by caption.
        QTRY_COMPARE(f->model().rowCount(top), 3);
        QCOMPARE(DietTreeModel::key(f->model().index(0, 0, top)), QString("D1"));
        QCOMPARE(DietTreeModel::caption(f->model().index(0, 0, top)), QString("Bread 0"));
    }
};

QTEST_MAIN(LongLogTest)
#include "tst_longlog.moc"
