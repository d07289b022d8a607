#pragma once

#include "widgets/nodetree.h"

#include <QPointer>
#include <QString>

// What the two trees of the main window share: which tree has the focus, the
// node under the pointer at the last mouse-down in either tree, the pending
// context menu, the node a drag started from, and the state of the food
// record being edited.
struct TreeState
{
    QString activeTree; // "FOODS", "DIET", or "" before either tree had the focus
    bool popupPending = false;
    QString dragKey;
    QString dragTag;
    bool foodDataChanged = false;
    bool newFoodPending = false;

    // The node under the pointer at the last mouse-down, kept by tree and key
    // so that it reads as none once the node is gone.
    void setHitNode(NodeTree* tree, QTreeWidgetItem* node)
    {
        hitTree = tree;
        hitView = tree;
        hitKey = NodeTree::key(node);
    }
    // The same for a tree that is not a NodeTree (the diet tree): its view and the node's key.
    void setHitKey(QWidget* view, const QString& key)
    {
        hitTree = nullptr;
        hitView = view;
        hitKey = key;
    }
    QTreeWidgetItem* hitNode() const { return hitTree && !hitKey.isEmpty() ? hitTree->node(hitKey) : nullptr; }
    QPointer<NodeTree> hitTree;
    QPointer<QWidget> hitView;
    QString hitKey;
};
