#pragma once

#include "widgets/treedragdrop.h"

#include <QHash>
#include <QPointer>
#include <QTreeWidget>
#include <optional>

class QDrag;

// A tree view of keyed nodes, as both the food tree and the diet tree use it.
// Every node carries a unique key, a caption, a tag (its kind) and an image
// key; nodes are found by key. Children are kept sorted by caption without
// regard to case. The tree reports mouse-downs, node clicks, double-clicks,
// keys, focus, in-place renames and the steps of a drag and drop to its
// owner through signals and the DropHandler, and does nothing of its own
// beyond drawing, selecting and scrolling. The context-menu key (or
// Shift+F10) is reported as a right click on the selected node.
class NodeTree : public QTreeWidget, private TreeDragDrop::Nodes
{
    Q_OBJECT

public:
    // The node under the pointer during a drag decides whether a drop there is
    // allowed (and highlighted); a drop hands over the node (or none over empty
    // space). Set by the owner of the tree.
    struct DropHandler
    {
        virtual ~DropHandler() = default;
        // Whether the dragged item (its key as text) may be dropped on target.
        virtual bool canDropOn(NodeTree* tree, QTreeWidgetItem* target, const QString& dragText) = 0;
        // Whether a drop over empty space is accepted.
        virtual bool acceptsEmptySpace(NodeTree* tree, const QString& dragText) = 0;
        virtual void drop(NodeTree* tree, QTreeWidgetItem* target, const QString& dragText) = 0;
    };

    explicit NodeTree(QWidget* parent = nullptr);

    // The name a screen reader gives the tree (its one column carries it too).
    void setTreeName(const QString& name);
    // While the context menu is asked for from the keyboard: where it goes,
    // just below the selected node (a click's menu goes to the pointer).
    std::optional<QPoint> keyboardMenuPosition() const { return m_keyboardMenu; }

    // Adds a node under parent (nullptr: at the root). The key must be new.
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& key, const QString& caption,
                             const QString& imageKey, const QString& tag);
    // The node with this key, nullptr when there is none.
    QTreeWidgetItem* node(const QString& key) const;
    // Removes a node with all its children.
    void removeNode(QTreeWidgetItem* item);
    // Removes every node.
    void clearNodes();
    int nodeCount() const { return int(m_nodes.size()); }

    static QString key(const QTreeWidgetItem* item);
    static QString tag(const QTreeWidgetItem* item);
    static QString imageKey(const QTreeWidgetItem* item);
    void setImage(QTreeWidgetItem* item, const QString& imageKey);
    void setCaption(QTreeWidgetItem* item, const QString& caption);

    // Opens a node and scrolls so that it and as many of its children as fit are in view.
    void expandIntoView(QTreeWidgetItem* item);

    // The selected node (the current one), nullptr when none.
    QTreeWidgetItem* selectedNode() const;
    // Makes item the selected node without reporting a node click.
    void selectNode(QTreeWidgetItem* item);

    // While a long list of nodes is added, sorting waits until the end.
    void beginBulkLoad();
    void endBulkLoad();

    // The node shown as the target of a drag, nullptr when none.
    void setDropHighlight(QTreeWidgetItem* item);
    QTreeWidgetItem* dropHighlight() const { return m_dropHighlight; }

    // Starts in-place editing of a node's caption; the edited text arrives in
    // nodeRenamed, and the owner decides what the caption becomes.
    void startRename(QTreeWidgetItem* item);

    void setDropHandler(DropHandler* handler) { m_dropHandler = handler; }
    // Which nodes can be dragged (by tag); a drag carries the node's key as text.
    void setDraggableTags(const QStringList& tags) { m_draggableTags = tags; }
    // The node under the pointer at the last mouse-down (nullptr when none).
    QTreeWidgetItem* hitNode() const { return m_hitNode; }

signals:
    void nodeMouseDown(QTreeWidgetItem* item, Qt::MouseButton button);
    // A click on a node, or a keyboard move to another node.
    void nodeClick(QTreeWidgetItem* item);
    void nodeDoubleClick(QTreeWidgetItem* item);
    // Keys the tree leaves to its owner: return true in handled to stop the
    // tree's own handling.
    void keyDown(QKeyEvent* event, bool* handled);
    void gotFocus();
    void nodeRenamed(QTreeWidgetItem* item, const QString& newText);
    // A drag of this node is about to start; the owner may position its
    // records. Clearing data to empty cancels the drag.
    void dragStarting(QTreeWidgetItem* item, QString* data);
    // The drag is over (dropped anywhere or abandoned).
    void dragFinished();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void forget(QTreeWidgetItem* item);
    void menuFromKeyboard();
    QString dragText(const QModelIndex& source) override;
    bool allowsDrop(const QModelIndex& target, const QString& text) override;
    void dropOn(const QModelIndex& target, const QString& text) override;
    void showDropTarget(const QModelIndex& target) override;
    void dragEnded() override;

    QHash<QString, QTreeWidgetItem*> m_nodes;
    QTreeWidgetItem* m_hitNode = nullptr;
    QTreeWidgetItem* m_dropHighlight = nullptr;
    TreeDragDrop m_drag{this, *this};
    bool m_clickPending = false;
    bool m_silentSelect = false;
    int m_bulk = 0;
    std::optional<QPoint> m_keyboardMenu;
    QStringList m_draggableTags;
    DropHandler* m_dropHandler = nullptr;
};
