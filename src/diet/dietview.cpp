#include "diet/dietview.h"

#include "diet/diettreemodel.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>

DietView::DietView(QWidget* parent) : QTreeView(parent)
{
    header()->hide();
    setExpandsOnDoubleClick(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);
    // Every row is one line: the view then lays out tens of thousands of days at once.
    setUniformRowHeights(true);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

void DietView::setDietModel(DietTreeModel* model)
{
    m_model = model;
    setModel(model);
}

void DietView::selectNode(const QModelIndex& node)
{
    m_silentSelect = true;
    setCurrentIndex(node);
    if (node.isValid())
        scrollTo(node);
    m_silentSelect = false;
}

void DietView::removeNode(const QModelIndex& node)
{
    if (!m_model || !node.isValid())
        return;
    m_silentSelect = true;
    m_model->removeNode(node);
    m_silentSelect = false;
}

void DietView::expandIntoView(const QModelIndex& node)
{
    expand(node);
    const int children = model()->rowCount(node);
    if (children > 0)
        scrollTo(model()->index(children - 1, 0, node));
    scrollTo(node);
}

void DietView::setDropHighlight(const QModelIndex& node)
{
    if (m_model)
        m_model->setDropHighlight(node, palette().brush(QPalette::Highlight),
                                  palette().brush(QPalette::HighlightedText));
}

QModelIndex DietView::dropHighlight() const
{
    return m_model ? m_model->dropHighlight() : QModelIndex();
}

void DietView::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex node = indexAt(event->position().toPoint());
    m_hitNode = node;
    m_drag.press(event->position().toPoint());
    m_clickPending = node.isValid();
    emit nodeMouseDown(node, event->button());
    // The click itself is reported at release; selecting the node is left to the view.
    m_silentSelect = true;
    QTreeView::mousePressEvent(event);
    m_silentSelect = false;
}

void DietView::mouseMoveEvent(QMouseEvent* event)
{
    m_drag.move(event, m_hitNode);
}

QString DietView::dragText(const QModelIndex& source)
{
    if (!m_draggableTags.contains(DietTreeModel::tag(source)))
        return QString();
    QString data = DietTreeModel::key(source);
    emit dragStarting(source, &data);
    if (!data.isEmpty())
        m_clickPending = false;
    return data;
}

bool DietView::allowsDrop(const QModelIndex& target, const QString& text)
{
    if (!m_dropHandler)
        return false;
    return target.isValid() ? m_dropHandler->canDropOn(target, text) : m_dropHandler->acceptsEmptySpace(text);
}

void DietView::dropOn(const QModelIndex& target, const QString& text)
{
    m_dropHandler->drop(target, text);
}

void DietView::showDropTarget(const QModelIndex& target)
{
    setDropHighlight(target);
}

void DietView::dragEnded()
{
    emit dragFinished();
}

void DietView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    const QModelIndex node = indexAt(event->position().toPoint());
    if (m_clickPending && node.isValid() && node == currentIndex()) {
        m_clickPending = false;
        emit nodeClick(node);
    }
    m_clickPending = false;
}

void DietView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex node = indexAt(event->position().toPoint());
    m_clickPending = false;
    if (node.isValid() && event->button() == Qt::LeftButton)
        emit nodeDoubleClick(node);
}

void DietView::askForContextMenu()
{
    const QModelIndex node = currentIndex();
    QRect place = node.isValid() ? visualRect(node) : QRect();
    if (!place.isValid() || !viewport()->rect().intersects(place))
        place = QRect(viewport()->rect().topLeft(), QSize(1, 1));
    emit contextMenuKey(viewport()->mapToGlobal(QPoint(place.left() + place.height(), place.bottom())));
}

void DietView::keyPressEvent(QKeyEvent* event)
{
    const bool menuKey = event->key() == Qt::Key_Menu ||
                         (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey) {
        askForContextMenu();
        event->accept();
        return;
    }
    bool handled = false;
    emit keyDown(event, &handled);
    if (!handled)
        QTreeView::keyPressEvent(event);
}

void DietView::contextMenuEvent(QContextMenuEvent* event)
{
    // A right click opens the menu through the node click; the keyboard comes here.
    if (event->reason() == QContextMenuEvent::Keyboard)
        askForContextMenu();
    event->accept();
}

void DietView::focusInEvent(QFocusEvent* event)
{
    QTreeView::focusInEvent(event);
    emit gotFocus();
}

void DietView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeView::currentChanged(current, previous);
    if (m_silentSelect || !current.isValid())
        return;
    // A move by the keyboard is a click on the node reached.
    emit nodeClick(current);
}

void DietView::dragEnterEvent(QDragEnterEvent* event)
{
    m_drag.enter(event);
}

void DietView::dragMoveEvent(QDragMoveEvent* event)
{
    QTreeView::dragMoveEvent(event); // scrolls near the edges
    m_drag.moveOver(event);
}

void DietView::dragLeaveEvent(QDragLeaveEvent* event)
{
    QTreeView::dragLeaveEvent(event);
    m_drag.leave();
}

void DietView::dropEvent(QDropEvent* event)
{
    m_drag.drop(event);
}
