#pragma once

#include "food/findtarget.h"
#include "food/foodcatalogue.h"
#include "food/foodclipboard.h"
#include "widgets/nodetree.h"
#include "widgets/treehost.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class AppContext;
class CommandSet;
class FoodItemEditor;
class QKeyEvent;
class QTreeWidgetItem;
struct TreeState;

// What the food tree needs from the window around it.
class FoodTreeHost : public TreeHost
{
public:
    // The context menu, at the pointer (or below the node chosen from the keyboard).
    virtual void showPopupMenu() = 0;
    // A double-click on a food: one serving of the food rsFoods stands on to the diet log.
    virtual void logSelectedFood() = 0;
    // A drag from the food tree is over: the diet tree shows no drop target.
    virtual void clearDietDropHighlight() = 0;
};

// The food catalogue tree of the main window (tvwFood): groups and food items,
// foods loaded per group on first use, the node-click processing that keeps
// rsFoods on the selected food and sets the edit commands, the keyboard and
// the drag of a food; and the changes a user makes to the catalogue from the
// tree (new group, rename, delete, cut/copy/paste, favourites, drag to move),
// each done by the FoodCatalogue and then shown node by node.
class FoodTree : public QObject, public NodeTree::DropHandler, public FindTarget
{
    Q_OBJECT

public:
    FoodTree(FoodTreeHost& host, NodeTree* view);
    ~FoodTree() override;

    NodeTree* view() const { return m_view; }
    FoodTreeHost& host() { return m_host; }
    FoodCatalogue& catalogue() { return m_catalogue; }
    FoodItemEditor& editor() { return *m_editor; }

    void loadFoodTree();
    void loadGroupFoods(qint32 groupId);
    // Loads a group's foods unless its node has children already.
    void ensureGroupLoaded(QTreeWidgetItem* group);
    void addFoodNode(qint32 groupId, qint32 foodId, const QString& foodName, bool bulk);
    void selectFoodRecord(const QString& key, const QString& tag);
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
    // Copies the selected food to the clipboard.
    void copyFood();
    void pasteFood(std::optional<qint32> targetGroupId = std::nullopt);
    void copyToFavorites();
    // Stores a new food in a group (listing the group's foods first), filled
    // in by fill, and shows it selected; false when it was not stored.
    bool addFood(qint32 groupId, const FoodCatalogue::Filler& fill);
    void startRename();
    // Commits the in-place edit of a node's caption.
    void renameNode(const QString& key, const QString& newText);
    bool foodClipboardFull() const { return m_foodClipboardFull; }
    const FoodClipboard& foodClipboard() const { return m_clipboard; }

    // Drops on the food tree: a food moves to a group or to the favourites.
    bool canDropOn(NodeTree* tree, QTreeWidgetItem* target, const QString& dragText) override;
    bool acceptsEmptySpace(NodeTree* tree, const QString& dragText) override;
    void drop(NodeTree* tree, QTreeWidgetItem* target, const QString& dragText) override;

    // Find over the foods.
    NameSearch findName(const QString& text, bool continuing) override;
    bool showMatch() override;
    void restorePosition() override;

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
    void setClipboard(const FoodClipboard& item);
    void moveFood(QTreeWidgetItem* food, QTreeWidgetItem* target);
    // Removes a food or group node and selects the node above it (its parent
    // when it was the first child).
    void removeAndSelectNeighbour(QTreeWidgetItem* node);
    // The food node a drag carries ("F" and the id), nullptr for anything else.
    QTreeWidgetItem* draggedFood(const QString& dragText) const;

    FoodTreeHost& m_host;
    NodeTree* m_view;
    FoodCatalogue m_catalogue;
    std::unique_ptr<FoodItemEditor> m_editor;
    qint32 m_favoriteGroupId = 0;
    bool m_foodClipboardFull = false;
    FoodClipboard m_clipboard;
};
