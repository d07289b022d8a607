#pragma once

#include "data/recordset.h"
#include "food/foodclipboard.h"
#include "widgets/nodetree.h"

#include <QObject>
#include <QString>
#include <optional>

class MainWindow;
class QKeyEvent;
class QTreeWidgetItem;

// The food catalogue tree of the main window (tvwFood): groups and food items,
// foods loaded per group on first use, the node-click processing that keeps
// rsFoods on the selected food and sets the edit commands, the keyboard and
// the drag of a food; and the changes a user makes to the catalogue from the
// tree (new group, rename, delete, cut/copy/paste, favourites, drag to move).
class FoodTree : public QObject, public NodeTree::DropHandler
{
    Q_OBJECT

public:
    explicit FoodTree(MainWindow& main);

    NodeTree* view() const;

    void loadFoodTree();
    void loadGroupFoods(qint32 groupId);
    // Loads a group's foods unless its node has children already.
    void ensureGroupLoaded(QTreeWidgetItem* group);
    void addFoodNode(qint32 groupId, qint32 foodId, const QString& foodName, bool bulk);
    void selectFoodRecord(const QString& key, const QString& tag);
    void selectGroupRecord(const QString& key);
    int groupListIndex(qint32 groupId);
    QString groupName(qint32 groupId);
    // The node-click processing: positions rsFoods, sets the commands and the
    // status bar for the node, then shows a pending context menu.
    void foodNodeClick(QTreeWidgetItem* node);
    // The same without the context menu, for a selection the program made.
    void refreshNode(QTreeWidgetItem* node);
    void foodDoubleClick(QTreeWidgetItem* node);

    qint32 favoriteGroupId() const { return m_favoriteGroupId; }

    // Catalogue editing, routed from the Edit commands while the food tree is active.
    void newFoodGroup();
    void deleteFoodGroup(const QString& key);
    void removeFood(const QString& mode);
    void copyFood(Recordset& recordset, bool fill);
    void pasteFood(std::optional<qint32> targetGroupId = std::nullopt);
    void copyToFavorites();
    void startRename();
    // Commits the in-place edit of a node's caption.
    void renameNode(const QString& key, const QString& newText);
    bool foodClipboardFull() const { return m_foodClipboardFull; }
    const FoodClipboard& foodClipboard() const { return m_clipboard; }

    // Drops on the food tree: a food moves to a group or to the favourites.
    bool canDropOn(NodeTree* tree, QTreeWidgetItem* target, const QString& dragText) override;
    bool acceptsEmptySpace(NodeTree* tree, const QString& dragText) override;
    void drop(NodeTree* tree, QTreeWidgetItem* target, const QString& dragText) override;

    static constexpr int kGroupNameLength = 60;
    static constexpr int kFoodNameLength = 200;

    // The node vocabulary: tags, and keys "G" + GroupId and "F" + FoodId.
    static inline const QString kGroupRoot = QStringLiteral("GROUPROOT");
    static inline const QString kFavorite = QStringLiteral("FAVORITE");
    static inline const QString kGroup = QStringLiteral("GROUP");
    static inline const QString kFoodItem = QStringLiteral("FOODITEM");
    static QString groupKey(qint32 groupId) { return QStringLiteral("G%1").arg(groupId); }
    static QString foodKey(qint32 foodId) { return QStringLiteral("F%1").arg(foodId); }
    // The id in a node key: "G12" is 12, "F3047" is 3047.
    static qint32 keyId(const QString& key) { return key.mid(1).toInt(); }

private:
    void onMouseDown(QTreeWidgetItem* node, Qt::MouseButton button);
    void onKeyDown(QKeyEvent* event, bool* handled);
    void onGotFocus();
    void onDragStarting(QTreeWidgetItem* node, QString* data);
    void onDragFinished();
    void onExpandedChanged(QTreeWidgetItem* node, bool expanded);
    void letterJump(QTreeWidgetItem* node, int keyCode);
    void collapseParent(QTreeWidgetItem* node);
    void setClipboard(const FoodClipboard& item, bool fill);
    void moveFood(QTreeWidgetItem* food, QTreeWidgetItem* target);
    // Removes a food or group node and selects the node above it (its parent
    // when it was the first child).
    void removeAndSelectNeighbour(QTreeWidgetItem* node);
    // The food node a drag carries ("F" and the id), nullptr for anything else.
    QTreeWidgetItem* draggedFood(const QString& dragText) const;

    MainWindow& m_main;
    qint32 m_favoriteGroupId = 0;
    bool m_foodClipboardFull = false;
    FoodClipboard m_clipboard;
};
