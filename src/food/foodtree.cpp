#include "food/foodtree.h"

#include "ui/mainwindow.h"

FoodTree::FoodTree(MainWindow& main) : m_main(main) {}

NodeTree* FoodTree::view() const
{
    return m_main.tvwFood;
}

void FoodTree::loadFoodTree() {}
void FoodTree::loadGroupFoods(qint32) {}
void FoodTree::addFoodNode(qint32, qint32, const QString&, bool) {}
void FoodTree::selectFoodRecord(const QString&, const QString&) {}
void FoodTree::selectGroupRecord(const QString&) {}
int FoodTree::groupListIndex(qint32)
{
    return 0;
}
QString FoodTree::groupName(qint32)
{
    return {};
}
void FoodTree::foodNodeClick(QTreeWidgetItem*) {}
void FoodTree::newFoodGroup() {}
void FoodTree::deleteFoodGroup(const QString&) {}
void FoodTree::removeFood(const QString&) {}
void FoodTree::copyFood(Recordset&, bool) {}
void FoodTree::pasteFood(std::optional<qint32>) {}
void FoodTree::copyToFavorites() {}
void FoodTree::startRename() {}
