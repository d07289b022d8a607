#include "diet/diettree.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "data/orvdatasource.h"
#include "ui/mainwindow.h"
#include "ui/nodetree.h"

namespace {

const QString kDay = QStringLiteral("DIETDAY");
const QString kMeal = QStringLiteral("DIETMEAL");
const QString kEntry = QStringLiteral("DIETITEM");

QString dayKey(const QDate& date)
{
    return QStringLiteral("DT") + date.toString(QStringLiteral("yyyyMMdd"));
}

QString mealNodeKey(const QString& mealKey, const QDate& date)
{
    return QStringLiteral("ML") + mealKey + dayKey(date);
}

} // namespace

DietTree::DietTree(MainWindow& main) : m_main(main)
{
    view()->setDraggableTags({kEntry, kMeal});
}

NodeTree* DietTree::view() const
{
    return m_main.tvwDiet;
}

void DietTree::loadDietDays()
{
    OrvDataSource& ds = m_main.context().dataSource();
    if (!ds.cmdDietDates(m_main.context().currentUser))
        return;
    NodeTree* tree = view();
    tree->beginBulkLoad();
    for (Recordset& days = ds.rsDietDates; !days.eof(); days.moveNext())
        addDietNode(days, kDay, true);
    tree->endBulkLoad();
    ds.rsDietDates.close();
}

void DietTree::loadDietDay(const QDate& date)
{
    OrvDataSource& ds = m_main.context().dataSource();
    if (!ds.cmdDietItems(date, m_main.context().currentUser))
        return;
    for (Recordset& items = ds.rsDietItems; !items.eof(); items.moveNext())
        addDietNode(items, kEntry, true);
    ds.rsDietItems.close();
}

void DietTree::addDietNode(Recordset& recordset, const QString& kind, bool bulk)
{
    NodeTree* tree = view();
    const QDate date = recordset.date(QStringLiteral("DietDate"));
    auto addDay = [&] {
        return tree->addNode(nullptr, dayKey(date), date.toString(Qt::ISODate), QStringLiteral("DayClosed"), kDay);
    };
    if (kind != kEntry) {
        addDay();
        if (!bulk)
            tree->update();
        return;
    }
    QTreeWidgetItem* day = tree->node(dayKey(date));
    if (!day)
        day = addDay();
    else if (!bulk && day->childCount() == 0)
        loadDietDay(date); // reads every row of the day, the current one included

    QTreeWidgetItem* parent = day;
    const QString mealKey = recordset.text(QStringLiteral("MealName"));
    if (!mealKey.isEmpty()) {
        parent = tree->node(mealNodeKey(mealKey, date));
        if (!parent)
            parent = tree->addNode(day, mealNodeKey(mealKey, date), m_main.context().config().getConfigIfNamed(mealKey),
                                   QStringLiteral("MealClosed"), kMeal);
    }
    const QString entryKey = QStringLiteral("D%1").arg(recordset.integer(QStringLiteral("DietId")));
    QTreeWidgetItem* entry = tree->node(entryKey);
    if (!entry)
        entry = tree->addNode(parent, entryKey, recordset.text(QStringLiteral("FoodName")), QStringLiteral("DietItem"),
                              kEntry);
    if (!bulk) {
        tree->selectNode(entry);
        tree->update();
    }
}

void DietTree::selectDietRecord(const QString& key)
{
    Recordset& diet = m_main.context().dataSource().rsDietData;
    diet.moveFirst();
    diet.findFirst(Criteria::equals(QStringLiteral("DietId"), key.mid(1).toInt()));
}

void DietTree::refreshMealCaptions()
{
    NodeTree* tree = view();
    QList<QTreeWidgetItem*> meals;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* day = tree->topLevelItem(i);
        for (int j = 0; j < day->childCount(); ++j) {
            if (NodeTree::tag(day->child(j)) == kMeal)
                meals << day->child(j);
        }
    }
    for (QTreeWidgetItem* meal : meals) {
        QString label = m_main.context().config().getConfigIfNamed(NodeTree::key(meal).mid(2, 5));
        if (label.isEmpty())
            label = QStringLiteral("Invalid Meal Name");
        tree->setCaption(meal, label);
    }
    tree->update();
}

void DietTree::reload()
{
    OrvDataSource& ds = m_main.context().dataSource();
    ds.rsDietData.close();
    if (!ds.cmdDietData(m_main.context().currentUser))
        return;
    view()->clearNodes();
    loadDietDays();
}

void DietTree::dietNodeClick(QTreeWidgetItem*) {}
void DietTree::dietDoubleClick() {}
void DietTree::addDietEntry(double, const QDate&, const QString&, qint32, qint32, const QString&) {}
void DietTree::showDietTotals() {}
void DietTree::editDietEntry() {}
void DietTree::removeDietEntry(const QString&) {}
void DietTree::removeDietMeal(const QString&, const QDate&, const QString&) {}
void DietTree::removeDietDay(const QDate&) {}
void DietTree::copyDietEntry(int, int) {}
void DietTree::copyDietMeal() {}
void DietTree::pasteDietEntries() {}
