#include "diet/diettree.h"

#include "ui/mainwindow.h"

DietTree::DietTree(MainWindow& main) : m_main(main) {}

NodeTree* DietTree::view() const
{
    return m_main.tvwDiet;
}

void DietTree::loadDietDays() {}
void DietTree::loadDietDay(const QDate&) {}
void DietTree::addDietNode(Recordset&, const QString&, bool) {}
void DietTree::selectDietRecord(const QString&) {}
void DietTree::refreshMealCaptions() {}
void DietTree::dietNodeClick(QTreeWidgetItem*) {}
void DietTree::dietDoubleClick() {}
void DietTree::reload() {}
void DietTree::addDietEntry(double, const QDate&, const QString&, qint32, qint32, const QString&) {}
void DietTree::showDietTotals() {}
void DietTree::editDietEntry() {}
void DietTree::removeDietEntry(const QString&) {}
void DietTree::removeDietMeal(const QString&, const QDate&, const QString&) {}
void DietTree::removeDietDay(const QDate&) {}
void DietTree::copyDietEntry(int, int) {}
void DietTree::copyDietMeal() {}
void DietTree::pasteDietEntries() {}
