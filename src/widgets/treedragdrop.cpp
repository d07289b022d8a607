#include "widgets/treedragdrop.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>

void TreeDragDrop::move(QMouseEvent* event, const QModelIndex& source)
{
    const bool held = event->buttons() & (Qt::LeftButton | Qt::RightButton);
    if (!held || m_dragging)
        return;
    if ((event->position().toPoint() - m_pressPos).manhattanLength() < QApplication::startDragDistance())
        return;
    if (!source.isValid())
        return;
    const QString data = m_nodes.dragText(source);
    if (data.isEmpty())
        return;
    m_dragging = true;
    auto* mime = new QMimeData();
    mime->setText(data);
    auto* drag = new QDrag(m_view);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
    m_dragging = false;
    m_nodes.dragEnded();
}

void TreeDragDrop::step(QDropEvent* event, bool drop)
{
    const QString text = event->mimeData()->text();
    const QModelIndex target = m_view->indexAt(event->position().toPoint());
    const bool allowed = event->mimeData()->hasText() && m_nodes.allowsDrop(target, text);
    if (!drop)
        m_nodes.showDropTarget(allowed ? target : QModelIndex());
    if (allowed) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        if (drop)
            m_nodes.dropOn(target, text);
    } else {
        event->ignore();
    }
}

void TreeDragDrop::enter(QDragEnterEvent* event)
{
    if (event->mimeData()->hasText()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        step(event, false);
        event->accept(); // keep receiving moves over other nodes
    } else {
        event->ignore();
    }
}

void TreeDragDrop::moveOver(QDragMoveEvent* event)
{
    step(event, false);
}

void TreeDragDrop::leave()
{
    m_nodes.showDropTarget(QModelIndex());
}

void TreeDragDrop::drop(QDropEvent* event)
{
    step(event, true);
}
