#include "widgets/nodetree.h"

#include "widgets/icons.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace {

enum Role { KeyRole = Qt::UserRole, TagRole, ImageRole };

// Children sort by caption without regard to case; equal captions keep the
// order they were added in.
class NodeItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override
    {
        return QString::compare(text(0), other.text(0), Qt::CaseInsensitive) < 0;
    }
};

bool before(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

// Hands the text of an in-place edit to the tree's owner instead of writing it
// into the node: the owner stores it and decides what the caption becomes.
class RenameDelegate : public QStyledItemDelegate
{
public:
    explicit RenameDelegate(NodeTree* tree) : QStyledItemDelegate(tree), m_tree(tree) {}

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        QTreeWidgetItem* item = m_tree->itemFromIndex(index);
        if (line && item)
            emit m_tree->nodeRenamed(item, line->text());
    }

private:
    NodeTree* m_tree;
};

} // namespace

NodeTree::NodeTree(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    header()->hide();
    setSortingEnabled(false);
    setExpandsOnDoubleClick(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);
    setItemDelegate(new RenameDelegate(this));
    setUniformRowHeights(true);
}

void NodeTree::setTreeName(const QString& name)
{
    setAccessibleName(name);
    setHeaderLabel(name);
}

QTreeWidgetItem* NodeTree::addNode(QTreeWidgetItem* parent, const QString& key, const QString& caption,
                                   const QString& imageKey, const QString& tag)
{
    auto* item = new NodeItem();
    item->setText(0, caption);
    item->setData(0, KeyRole, key);
    item->setData(0, TagRole, tag);
    item->setData(0, ImageRole, imageKey);
    item->setIcon(0, Icons::tree(imageKey));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    const int count = parent ? parent->childCount() : topLevelItemCount();
    int position = count;
    if (m_bulk == 0) {
        // After the last sibling that does not sort after the new caption.
        int lo = 0, hi = count;
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            const QTreeWidgetItem* sibling = parent ? parent->child(mid) : topLevelItem(mid);
            if (before(caption, sibling->text(0)))
                hi = mid;
            else
                lo = mid + 1;
        }
        position = lo;
    }
    if (parent)
        parent->insertChild(position, item);
    else
        insertTopLevelItem(position, item);
    m_nodes.insert(key, item);
    return item;
}

QTreeWidgetItem* NodeTree::node(const QString& key) const
{
    return m_nodes.value(key, nullptr);
}

void NodeTree::forget(QTreeWidgetItem* item)
{
    for (int i = 0; i < item->childCount(); ++i)
        forget(item->child(i));
    m_nodes.remove(key(item));
    if (m_hitNode == item)
        m_hitNode = nullptr;
    if (m_dropHighlight == item)
        m_dropHighlight = nullptr;
}

void NodeTree::removeNode(QTreeWidgetItem* item)
{
    if (!item)
        return;
    forget(item);
    m_silentSelect = true;
    delete item;
    m_silentSelect = false;
}

void NodeTree::clearNodes()
{
    m_silentSelect = true;
    clear();
    m_silentSelect = false;
    m_nodes.clear();
    m_hitNode = nullptr;
    m_dropHighlight = nullptr;
}

QString NodeTree::key(const QTreeWidgetItem* item)
{
    return item ? item->data(0, KeyRole).toString() : QString();
}

QString NodeTree::tag(const QTreeWidgetItem* item)
{
    return item ? item->data(0, TagRole).toString() : QString();
}

QString NodeTree::imageKey(const QTreeWidgetItem* item)
{
    return item ? item->data(0, ImageRole).toString() : QString();
}

void NodeTree::setImage(QTreeWidgetItem* item, const QString& imageKey)
{
    item->setData(0, ImageRole, imageKey);
    item->setIcon(0, Icons::tree(imageKey));
}

void NodeTree::setCaption(QTreeWidgetItem* item, const QString& caption)
{
    item->setText(0, caption);
    // Move the node to its sorted place among its siblings, keeping its state.
    QTreeWidgetItem* parent = item->parent();
    const int index = parent ? parent->indexOfChild(item) : indexOfTopLevelItem(item);
    const int count = parent ? parent->childCount() : topLevelItemCount();
    auto sibling = [&](int i) { return parent ? parent->child(i) : topLevelItem(i); };
    const bool inPlace = (index == 0 || !before(caption, sibling(index - 1)->text(0))) &&
                         (index == count - 1 || !before(sibling(index + 1)->text(0), caption));
    if (inPlace)
        return;
    const bool expanded = item->isExpanded();
    const bool current = currentItem() == item;
    m_silentSelect = true;
    if (parent)
        parent->takeChild(index);
    else
        takeTopLevelItem(index);
    int lo = 0, hi = count - 1;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (before(caption, sibling(mid)->text(0)))
            hi = mid;
        else
            lo = mid + 1;
    }
    if (parent)
        parent->insertChild(lo, item);
    else
        insertTopLevelItem(lo, item);
    item->setExpanded(expanded);
    if (current)
        setCurrentItem(item);
    m_silentSelect = false;
}

void NodeTree::expandIntoView(QTreeWidgetItem* item)
{
    item->setExpanded(true);
    if (item->childCount() > 0)
        scrollToItem(item->child(item->childCount() - 1));
    scrollToItem(item);
}

QTreeWidgetItem* NodeTree::selectedNode() const
{
    return currentItem();
}

void NodeTree::selectNode(QTreeWidgetItem* item)
{
    m_silentSelect = true;
    setCurrentItem(item);
    if (item)
        scrollToItem(item);
    m_silentSelect = false;
}

void NodeTree::beginBulkLoad()
{
    ++m_bulk;
}

void NodeTree::endBulkLoad()
{
    if (m_bulk > 0 && --m_bulk == 0) {
        QTreeWidgetItem* current = currentItem();
        m_silentSelect = true;
        sortItems(0, Qt::AscendingOrder);
        if (current)
            setCurrentItem(current);
        m_silentSelect = false;
    }
}

void NodeTree::setDropHighlight(QTreeWidgetItem* item)
{
    if (m_dropHighlight == item)
        return;
    if (m_dropHighlight) {
        m_dropHighlight->setBackground(0, QBrush());
        m_dropHighlight->setForeground(0, QBrush());
    }
    m_dropHighlight = item;
    if (item) {
        item->setBackground(0, palette().brush(QPalette::Highlight));
        item->setForeground(0, palette().brush(QPalette::HighlightedText));
    }
}

void NodeTree::startRename(QTreeWidgetItem* item)
{
    if (!item)
        return;
    scrollToItem(item);
    editItem(item, 0);
}

void NodeTree::mousePressEvent(QMouseEvent* event)
{
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    m_hitNode = item;
    m_drag.press(event->position().toPoint());
    m_clickPending = item != nullptr;
    emit nodeMouseDown(item, event->button());
    // The click itself is reported at release; selecting the node is left to the view.
    m_silentSelect = true;
    QTreeWidget::mousePressEvent(event);
    m_silentSelect = false;
}

void NodeTree::mouseMoveEvent(QMouseEvent* event)
{
    m_drag.move(event, m_hitNode ? indexFromItem(m_hitNode) : QModelIndex());
}

QString NodeTree::dragText(const QModelIndex& index)
{
    QTreeWidgetItem* source = itemFromIndex(index);
    if (!source || !m_draggableTags.contains(tag(source)))
        return QString();
    QString data = key(source);
    emit dragStarting(source, &data);
    if (!data.isEmpty())
        m_clickPending = false;
    return data;
}

bool NodeTree::allowsDrop(const QModelIndex& index, const QString& text)
{
    if (!m_dropHandler)
        return false;
    QTreeWidgetItem* target = itemFromIndex(index);
    return target ? m_dropHandler->canDropOn(this, target, text) : m_dropHandler->acceptsEmptySpace(this, text);
}

void NodeTree::dropOn(const QModelIndex& target, const QString& text)
{
    m_dropHandler->drop(this, itemFromIndex(target), text);
}

void NodeTree::showDropTarget(const QModelIndex& target)
{
    setDropHighlight(itemFromIndex(target));
}

void NodeTree::dragEnded()
{
    emit dragFinished();
}

void NodeTree::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (m_clickPending && item && item == currentItem()) {
        m_clickPending = false;
        emit nodeClick(item);
    }
    m_clickPending = false;
}

void NodeTree::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    m_clickPending = false;
    if (item && event->button() == Qt::LeftButton)
        emit nodeDoubleClick(item);
}

void NodeTree::keyPressEvent(QKeyEvent* event)
{
    // Keys the in-place editor passes on (Enter, say) are not the tree's: an
    // Enter acted on here would open or close the node being renamed, and the
    // change would put its old caption back into the editor before the commit.
    if (state() == QAbstractItemView::EditingState) {
        QTreeWidget::keyPressEvent(event);
        return;
    }
    const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (event->key() == Qt::Key_Menu || shiftF10) {
        menuFromKeyboard();
        return;
    }
    bool handled = false;
    emit keyDown(event, &handled);
    if (!handled)
        QTreeWidget::keyPressEvent(event);
}

void NodeTree::contextMenuEvent(QContextMenuEvent* event)
{
    if (event->reason() == QContextMenuEvent::Keyboard)
        menuFromKeyboard();
    else
        event->ignore();
}

void NodeTree::menuFromKeyboard()
{
    QTreeWidgetItem* item = selectedNode();
    if (!item)
        return;
    // The owner sees a right click on the selected node, the menu below it.
    scrollToItem(item);
    const QRect place = visualItemRect(item);
    m_keyboardMenu = viewport()->mapToGlobal(QPoint(place.left() + place.height(), place.bottom()));
    emit nodeMouseDown(item, Qt::RightButton);
    emit nodeClick(item);
    m_keyboardMenu.reset();
}

void NodeTree::focusInEvent(QFocusEvent* event)
{
    QTreeWidget::focusInEvent(event);
    // The window manager may hand the focus back to the main window a moment
    // after a dialog opened over it. Such a focus is not the user's: acting on
    // it would settle what the open dialog is editing.
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal && !modal->isAncestorOf(this))
        return;
    emit gotFocus();
}

void NodeTree::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeWidget::currentChanged(current, previous);
    if (m_silentSelect || !current.isValid())
        return;
    // A move by the keyboard is a click on the node reached.
    if (QTreeWidgetItem* item = itemFromIndex(current))
        emit nodeClick(item);
}

void NodeTree::dragEnterEvent(QDragEnterEvent* event)
{
    m_drag.enter(event);
}

void NodeTree::dragMoveEvent(QDragMoveEvent* event)
{
    QTreeWidget::dragMoveEvent(event); // scrolls near the edges
    m_drag.moveOver(event);
}

void NodeTree::dragLeaveEvent(QDragLeaveEvent* event)
{
    QTreeWidget::dragLeaveEvent(event);
    m_drag.leave();
}

void NodeTree::dropEvent(QDropEvent* event)
{
    m_drag.drop(event);
}
