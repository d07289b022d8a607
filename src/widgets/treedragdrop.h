#pragma once

#include <QModelIndex>
#include <QPoint>
#include <QString>

class QAbstractItemView;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMouseEvent;

// The drag and drop the food tree and the diet tree share. A drag starts
// when a button is held and the pointer has moved far enough from the press
// on a node that may be dragged, and carries the node's key as text; over
// the view, every step asks whether the node under the pointer (or empty
// space) takes it, shows that node as the target, and hands the drop over.
// The view feeds it its mouse and drag events and answers through Nodes.
class TreeDragDrop
{
public:
    // What the helper asks of the view's nodes.
    class Nodes
    {
    public:
        virtual ~Nodes() = default;
        // A drag of source is about to start: the text it carries, "" for none.
        virtual QString dragText(const QModelIndex& source) = 0;
        // Whether target (invalid: empty space) takes the text, and the drop itself.
        virtual bool allowsDrop(const QModelIndex& target, const QString& text) = 0;
        virtual void dropOn(const QModelIndex& target, const QString& text) = 0;
        // Shows target (invalid: none) as the target of the drag.
        virtual void showDropTarget(const QModelIndex& target) = 0;
        // The drag is over (dropped anywhere or abandoned).
        virtual void dragEnded() = 0;
    };

    TreeDragDrop(QAbstractItemView* view, Nodes& nodes) : m_view(view), m_nodes(nodes) {}

    void press(const QPoint& pos) { m_pressPos = pos; }
    // A move with a button held: starts the drag of source once far enough,
    // and runs it to its end.
    void move(QMouseEvent* event, const QModelIndex& source);
    void enter(QDragEnterEvent* event);
    void moveOver(QDragMoveEvent* event);
    void leave();
    void drop(QDropEvent* event);

private:
    void step(QDropEvent* event, bool drop);

    QAbstractItemView* m_view;
    Nodes& m_nodes;
    QPoint m_pressPos;
    bool m_dragging = false;
};
