#include "food/foodtree.h"

#include "app/appcontext.h"
#include "data/orvdatasource.h"
#include "ui/mainwindow.h"
#include "ui/nodetree.h"

namespace {

const QString kGroupRoot = QStringLiteral("GROUPROOT");
const QString kFavorite = QStringLiteral("FAVORITE");
const QString kGroup = QStringLiteral("GROUP");
const QString kFoodItem = QStringLiteral("FOODITEM");

// The id in a node key: "G12" is 12, "F3047" is 3047.
qint32 keyId(const QString& key)
{
    return key.mid(1).toInt();
}

} // namespace

FoodTree::FoodTree(MainWindow& main) : m_main(main)
{
    view()->setDraggableTags({kFoodItem});
}

NodeTree* FoodTree::view() const
{
    return m_main.tvwFood;
}

void FoodTree::loadFoodTree()
{
    NodeTree* tree = view();
    Recordset& groups = m_main.context().dataSource().rsGroups;
    tree->setUpdatesEnabled(false);
    tree->hide();
    QTreeWidgetItem* favorites = nullptr;
    for (groups.moveFirst(); !groups.eof(); groups.moveNext()) {
        const qint32 id = groups.integer(QStringLiteral("GroupId"));
        const qint32 parentId = groups.integer(QStringLiteral("ParentGroup"));
        const QString name = groups.text(QStringLiteral("GroupName"));
        const QString key = QStringLiteral("G%1").arg(id);
        if (parentId == 0) {
            const QString tag = groups.text(QStringLiteral("GroupTag"));
            QTreeWidgetItem* root = tree->addNode(nullptr, key, name, QStringLiteral("closed"), tag);
            if (tag == kFavorite) {
                m_favoriteGroupId = id;
                favorites = root;
            }
        } else if (QTreeWidgetItem* parent = tree->node(QStringLiteral("G%1").arg(parentId))) {
            tree->addNode(parent, key, name, QStringLiteral("GroupClosed"), kGroup);
        }
    }
    // The favourites' foods are loaded at once (which moves rsGroups, so after the walk).
    if (favorites) {
        loadGroupFoods(m_favoriteGroupId);
        tree->selectNode(favorites);
    }
    tree->show();
    tree->setUpdatesEnabled(true);
    if (QTreeWidgetItem* selected = tree->selectedNode())
        foodNodeClick(selected);
}

void FoodTree::loadGroupFoods(qint32 groupId)
{
    OrvDataSource& ds = m_main.context().dataSource();
    if (!ds.cmdFoodItems(groupId))
        return;
    Recordset& items = ds.rsFoodItems;
    view()->beginBulkLoad();
    for (items.moveFirst(); !items.eof(); items.moveNext())
        addFoodNode(items.integer(QStringLiteral("GroupId")), items.integer(QStringLiteral("FoodId")),
                    items.text(QStringLiteral("FoodName")), true);
    view()->endBulkLoad();
    items.close();
}

void FoodTree::addFoodNode(qint32 groupId, qint32 foodId, const QString& foodName, bool bulk)
{
    NodeTree* tree = view();
    QTreeWidgetItem* group = tree->node(QStringLiteral("G%1").arg(groupId));
    if (!group)
        return;
    QTreeWidgetItem* node =
        tree->addNode(group, QStringLiteral("F%1").arg(foodId), foodName, QStringLiteral("FoodItem"), kFoodItem);
    if (!bulk) {
        tree->selectNode(node);
        tree->update();
    }
}

void FoodTree::selectFoodRecord(const QString& key, const QString& tag)
{
    if (tag != kFoodItem)
        return;
    Recordset& foods = m_main.context().dataSource().rsFoods;
    foods.moveFirst();
    foods.findFirst(Criteria::equals(QStringLiteral("FoodId"), keyId(key)));
}

void FoodTree::selectGroupRecord(const QString& key)
{
    Recordset& groups = m_main.context().dataSource().rsGroups;
    groups.moveFirst();
    groups.findFirst(Criteria::equals(QStringLiteral("GroupId"), keyId(key)));
}

int FoodTree::groupListIndex(qint32 groupId)
{
    Recordset& groups = m_main.context().dataSource().rsAvailGroups;
    int index = 0;
    for (groups.moveFirst(); !groups.eof(); groups.moveNext(), ++index) {
        if (groups.integer(QStringLiteral("GroupId")) == groupId)
            return index;
    }
    return -1;
}

QString FoodTree::groupName(qint32 groupId)
{
    Recordset& groups = m_main.context().dataSource().rsGroups;
    groups.moveFirst();
    if (!groups.findFirst(Criteria::equals(QStringLiteral("GroupId"), groupId)))
        return QString();
    return groups.text(QStringLiteral("GroupName"));
}

void FoodTree::foodNodeClick(QTreeWidgetItem*) {}
void FoodTree::newFoodGroup() {}
void FoodTree::deleteFoodGroup(const QString&) {}
void FoodTree::removeFood(const QString&) {}
void FoodTree::copyFood(Recordset&, bool) {}
void FoodTree::pasteFood(std::optional<qint32>) {}
void FoodTree::copyToFavorites() {}
void FoodTree::startRename() {}
