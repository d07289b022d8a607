#pragma once

#include "widgets/treedragdrop.h"

#include <QPersistentModelIndex>
#include <QTreeView>

class DietTreeModel;

// The diet tree as the user sees it (tvwDiet): a view of a DietTreeModel that
// reports mouse-downs, node clicks, double-clicks, keys, focus, the context
// menu key and the steps of a drag and drop to its owner through signals and
// the DropHandler, and does nothing of its own beyond drawing, selecting,
// opening and scrolling (an arrow opens a day, reading it first).
class DietView : public QTreeView, private TreeDragDrop::Nodes
{
    Q_OBJECT

public:
    // Whether a dragged item (its key as text) may be dropped on a node, or
    // over empty space, and the drop itself (target invalid over empty space).
    struct DropHandler
    {
        virtual ~DropHandler() = default;
        virtual bool canDropOn(const QModelIndex& target, const QString& dragText) = 0;
        virtual bool acceptsEmptySpace(const QString& dragText) = 0;
        virtual void drop(const QModelIndex& target, const QString& dragText) = 0;
    };

    explicit DietView(QWidget* parent = nullptr);

    void setDietModel(DietTreeModel* model);
    DietTreeModel* dietModel() const { return m_model; }

    // The selected node (the current one), invalid when none.
    QModelIndex selectedNode() const { return currentIndex(); }
    // Makes a node the selected one without reporting a node click, and scrolls to it.
    void selectNode(const QModelIndex& node);
    // Removes a node; the selection that moves with it is not a click.
    void removeNode(const QModelIndex& node);
    // Opens a node and scrolls so that it and as many of its children as fit are in view.
    void expandIntoView(const QModelIndex& node);

    // The node shown as the target of a drag (invalid for none).
    void setDropHighlight(const QModelIndex& node);
    QModelIndex dropHighlight() const;

    void setDropHandler(DropHandler* handler) { m_dropHandler = handler; }
    // Which nodes can be dragged (by tag); a drag carries the node's key as text.
    void setDraggableTags(const QStringList& tags) { m_draggableTags = tags; }

signals:
    void nodeMouseDown(const QModelIndex& node, Qt::MouseButton button);
    // A click on a node, or a keyboard move to another node.
    void nodeClick(const QModelIndex& node);
    void nodeDoubleClick(const QModelIndex& node);
    // Keys left to the owner: setting handled stops the view's own handling.
    void keyDown(QKeyEvent* event, bool* handled);
    void gotFocus();
    // The context menu asked for from the keyboard (the Menu key, Shift+F10),
    // to be shown at globalPos for the selected node.
    void contextMenuKey(const QPoint& globalPos);
    // A drag of this node is about to start; clearing data cancels it.
    void dragStarting(const QModelIndex& node, QString* data);
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
    QString dragText(const QModelIndex& source) override;
    bool allowsDrop(const QModelIndex& target, const QString& text) override;
    void dropOn(const QModelIndex& target, const QString& text) override;
    void showDropTarget(const QModelIndex& target) override;
    void dragEnded() override;
    void askForContextMenu();

    DietTreeModel* m_model = nullptr;
    QPersistentModelIndex m_hitNode;
    TreeDragDrop m_drag{this, *this};
    bool m_clickPending = false;
    bool m_silentSelect = false;
    QStringList m_draggableTags;
    DropHandler* m_dropHandler = nullptr;
};
