#pragma once

#include "data/recordset.h"

#include <QObject>
#include <QString>
#include <optional>

class MainWindow;
class NodeTree;
class QTreeWidgetItem;

// The food catalogue tree of the main window (tvwFood): groups and food items,
// foods loaded per group on first use, the node-click processing that keeps
// rsFoods on the selected food and sets the edit commands, the keyboard and
// the drag of a food; and the changes a user makes to the catalogue from the
// tree (new group, rename, delete, cut/copy/paste, favourites, drag to move).
class FoodTree : public QObject
{
    Q_OBJECT

public:
    explicit FoodTree(MainWindow& main);

    NodeTree* view() const;

    void loadFoodTree();
    void loadGroupFoods(qint32 groupId);
    void addFoodNode(qint32 groupId, qint32 foodId, const QString& foodName, bool bulk);
    void selectFoodRecord(const QString& key, const QString& tag);
    void selectGroupRecord(const QString& key);
    int groupListIndex(qint32 groupId);
    QString groupName(qint32 groupId);
    void foodNodeClick(QTreeWidgetItem* node);

    qint32 favoriteGroupId() const { return m_favoriteGroupId; }

    // Catalogue editing, routed from the Edit commands while the food tree is active.
    void newFoodGroup();
    void deleteFoodGroup(const QString& key);
    void removeFood(const QString& mode);
    void copyFood(Recordset& recordset, bool fill);
    void pasteFood(std::optional<qint32> targetGroupId = std::nullopt);
    void copyToFavorites();
    void startRename();
    bool foodClipboardFull() const { return m_foodClipboardFull; }

private:
    MainWindow& m_main;
    qint32 m_favoriteGroupId = 0;
    bool m_foodClipboardFull = false;
};
