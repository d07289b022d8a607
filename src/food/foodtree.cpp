#include "food/foodtree.h"

#include "app/appcontext.h"
#include "food/fooditemeditor.h"
#include "food/letterjump.h"
#include "widgets/commandset.h"
#include "widgets/nodetree.h"
#include "widgets/treestate.h"
#include "widgets/waitcursor.h"

#include <QKeyEvent>

namespace {

bool isRoot(const QString& tag)
{
    return tag == FoodTree::kGroupRoot || tag == FoodTree::kFavorite;
}

} // namespace

FoodTree::FoodTree(FoodTreeHost& host, NodeTree* view)
    : m_host(host), m_view(view), m_catalogue(host.context()), m_editor(std::make_unique<FoodItemEditor>(*this))
{
    NodeTree* tree = view;
    tree->setDraggableTags({kFoodItem});
    tree->setDropHandler(this);
    connect(tree, &NodeTree::nodeMouseDown, this, &FoodTree::onMouseDown);
    connect(tree, &NodeTree::nodeClick, this, &FoodTree::foodNodeClick);
    connect(tree, &NodeTree::nodeDoubleClick, this, &FoodTree::foodDoubleClick);
    connect(tree, &NodeTree::keyDown, this, &FoodTree::onKeyDown);
    connect(tree, &NodeTree::gotFocus, this, &FoodTree::onGotFocus);
    connect(tree, &NodeTree::dragStarting, this, &FoodTree::onDragStarting);
    connect(tree, &NodeTree::dragFinished, this, &FoodTree::onDragFinished);
    connect(tree, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* node) { onExpandedChanged(node, true); });
    connect(tree, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* node) { onExpandedChanged(node, false); });
    // The edited caption is committed once the editor has closed: the commit
    // may move the node to its new sorted place.
    connect(tree, &NodeTree::nodeRenamed, this, [this](QTreeWidgetItem* node, const QString& text) {
        const QString key = NodeTree::key(node);
        QMetaObject::invokeMethod(
            this, [this, key, text] { renameNode(key, text); }, Qt::QueuedConnection);
    });
}

FoodTree::~FoodTree() = default;

void FoodTree::loadFoodTree()
{
    NodeTree* tree = view();
    tree->setUpdatesEnabled(false);
    tree->hide();
    QTreeWidgetItem* favorites = nullptr;
    for (const FoodGroupRow& group : m_catalogue.groups()) {
        const QString key = groupKey(group.id);
        if (group.parentId == 0) {
            QTreeWidgetItem* root = tree->addNode(nullptr, key, group.name, QStringLiteral("closed"), group.tag);
            if (group.tag == kFavorite) {
                m_favoriteGroupId = group.id;
                favorites = root;
            }
        } else if (QTreeWidgetItem* parent = tree->node(groupKey(group.parentId))) {
            tree->addNode(parent, key, group.name, QStringLiteral("GroupClosed"), kGroup);
        }
    }
    // The favourites' foods are loaded at once.
    if (favorites) {
        loadGroupFoods(m_favoriteGroupId);
        tree->selectNode(favorites);
    }
    tree->show();
    tree->setUpdatesEnabled(true);
    if (QTreeWidgetItem* selected = tree->selectedNode())
        foodNodeClick(selected);
}

void FoodTree::loadGroupFoods(qint32 groupId)
{
    const std::optional<QList<FoodRow>> foods = m_catalogue.groupFoods(groupId);
    if (!foods)
        return;
    view()->beginBulkLoad();
    for (const FoodRow& food : *foods)
        addFoodNode(food.groupId, food.foodId, food.name, true);
    view()->endBulkLoad();
}

void FoodTree::ensureGroupLoaded(QTreeWidgetItem* group)
{
    if (group && group->childCount() == 0)
        loadGroupFoods(keyId(NodeTree::key(group)));
}

void FoodTree::addFoodNode(qint32 groupId, qint32 foodId, const QString& foodName, bool bulk)
{
    NodeTree* tree = view();
    QTreeWidgetItem* group = tree->node(groupKey(groupId));
    if (!group)
        return;
    QTreeWidgetItem* node = tree->node(foodKey(foodId));
    if (!node)
        node = tree->addNode(group, foodKey(foodId), foodName, QStringLiteral("FoodItem"), kFoodItem);
    if (!bulk) {
        tree->selectNode(node);
        refreshNode(node);
        tree->update();
    }
}

void FoodTree::selectFoodRecord(const QString& key, const QString& tag)
{
    if (tag == kFoodItem)
        m_catalogue.selectFood(keyId(key));
}

void FoodTree::refreshNode(QTreeWidgetItem* node)
{
    if (!node)
        return;
    const QString tag = NodeTree::tag(node);
    selectFoodRecord(NodeTree::key(node), tag);

    CommandSet& commands = m_host.commands();
    constexpr Surfaces menus = Surfaces(Surface::Menu) | Surface::Popup;
    commands.setEnabled(Command::Rename, true);
    commands.setEnabled(Command::New, true);
    commands.setEnabled(Command::DietDetails, false, menus);
    commands.setEnabled(Command::DietEntry, false, menus);
    commands.setEnabled(Command::FoodBuilder, true, menus);
    commands.setEnabled(Command::Paste, tag != kGroupRoot && m_foodClipboardFull);

    if (tag == kFoodItem) {
        const std::optional<CatalogueFood> food = m_catalogue.current();
        const QString serving = food ? food->servingSize : QString();
        m_host.setStatusPanel1(QStringLiteral("Serving Size:  ") + serving,
                               QStringLiteral("Serving Size of Selected Food Item"));
        for (Command command : {Command::Cut, Command::Copy, Command::FoodDetails, Command::Delete,
                                Command::NewFoodItem, Command::FoodBuilder})
            commands.setEnabled(command, true);
        // A food can go to the favourites only from elsewhere, and only when there are favourites.
        commands.setEnabled(Command::FoodFav,
                            m_favoriteGroupId != 0 && NodeTree::tag(node->parent()) != kFavorite, menus);
    } else {
        m_host.setStatusPanel1(QString(), QString());
        for (Command command :
             {Command::Cut, Command::Copy, Command::FoodDetails, Command::FoodFav, Command::FoodBuilder})
            commands.setEnabled(command, false);
        commands.setEnabled(Command::Delete, tag == kGroup);
        commands.setEnabled(Command::NewFoodItem, tag == kGroup || tag == kFavorite);
    }
}

void FoodTree::foodNodeClick(QTreeWidgetItem* node)
{
    if (!node)
        return;
    refreshNode(node);
    TreeState& state = m_host.state();
    if (state.popupPending) {
        state.popupPending = false;
        m_host.showPopupMenu();
    }
}

void FoodTree::foodDoubleClick(QTreeWidgetItem* node)
{
    if (!node)
        return;
    const QString tag = NodeTree::tag(node);
    if (tag == kFoodItem) {
        selectFoodRecord(NodeTree::key(node), tag);
        m_host.logSelectedFood();
    } else if (tag == kGroup && node->childCount() == 0) {
        loadGroupFoods(keyId(NodeTree::key(node)));
        view()->expandIntoView(node);
    } else if (node->childCount() > 0) {
        node->setExpanded(!node->isExpanded());
    }
}

void FoodTree::onMouseDown(QTreeWidgetItem* node, Qt::MouseButton button)
{
    TreeState& state = m_host.state();
    state.setHitNode(view(), node);
    // Only a right click on a node leads to the context menu; any other press
    // drops a menu still pending from an earlier right press that never became a click.
    state.popupPending = button == Qt::RightButton && node;
}

void FoodTree::onKeyDown(QKeyEvent* event, bool* handled)
{
    NodeTree* tree = view();
    QTreeWidgetItem* node = tree->selectedNode();
    const int key = event->key();
    if (key == Qt::Key_F2) {
        startRename();
        *handled = true;
        return;
    }
    if (!node)
        return;
    const QString tag = NodeTree::tag(node);
    if (key == Qt::Key_Escape) {
        if (tag == kFoodItem || tag == kGroup)
            collapseParent(node);
        *handled = true;
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (tag != kFoodItem) {
            foodDoubleClick(node);
            *handled = true;
        }
    } else if (key >= Qt::Key_A && key <= Qt::Key_Z && tag == kFoodItem) {
        const Qt::KeyboardModifiers held = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier |
                                                                 Qt::AltModifier | Qt::MetaModifier);
        if (held == Qt::ControlModifier)
            return;
        letterJump(node, key);
        *handled = true;
    }
}

void FoodTree::collapseParent(QTreeWidgetItem* node)
{
    QTreeWidgetItem* parent = node->parent();
    if (!parent)
        return;
    parent->setExpanded(false);
    // The selection moves to the collapsed node, which the commands then follow.
    view()->selectNode(parent);
    refreshNode(parent);
}

void FoodTree::letterJump(QTreeWidgetItem* node, int keyCode)
{
    QTreeWidgetItem* parent = node->parent();
    NodeTree* tree = view();
    const int count = parent ? parent->childCount() : tree->topLevelItemCount();
    auto sibling = [&](int i) { return parent ? parent->child(i) : tree->topLevelItem(i); };
    QStringList captions;
    captions.reserve(count);
    for (int i = 0; i < count; ++i)
        captions << sibling(i)->text(0);
    const int selected = parent ? parent->indexOfChild(node) : tree->indexOfTopLevelItem(node);
    const std::optional<int> target = letterJumpTarget(captions, selected, keyCode);
    if (!target)
        return;
    QTreeWidgetItem* reached = sibling(*target);
    tree->selectNode(reached);
    foodNodeClick(reached);
}

void FoodTree::onGotFocus()
{
    if (!m_editor->resolvePendingFood())
        return;
    m_host.state().activeTree = QStringLiteral("FOODS");
    // The diet tree set the commands for its own nodes; they follow this
    // tree's selection again (no context menu: that waits for a click).
    refreshNode(view()->selectedNode());
}

void FoodTree::onDragStarting(QTreeWidgetItem* node, QString* data)
{
    TreeState& state = m_host.state();
    QTreeWidgetItem* selected = view()->selectedNode();
    state.dragKey = NodeTree::key(selected);
    state.dragTag = NodeTree::tag(selected);
    *data = NodeTree::key(node);
    // A drag begun on a node the press has just selected shows what a click
    // would (serving size, commands), without the context menu.
    if (node == selected)
        refreshNode(node);
    else
        selectFoodRecord(NodeTree::key(node), NodeTree::tag(node));
}

void FoodTree::onDragFinished()
{
    view()->setDropHighlight(nullptr);
    m_host.clearDietDropHighlight();
}

void FoodTree::onExpandedChanged(QTreeWidgetItem* node, bool expanded)
{
    const QString tag = NodeTree::tag(node);
    if (tag == kGroup)
        view()->setImage(node, expanded ? QStringLiteral("GroupOpen") : QStringLiteral("GroupClosed"));
    else if (isRoot(tag))
        view()->setImage(node, expanded ? QStringLiteral("open") : QStringLiteral("closed"));
}

QTreeWidgetItem* FoodTree::draggedFood(const QString& dragText) const
{
    if (!dragText.startsWith(QLatin1Char('F')))
        return nullptr;
    QTreeWidgetItem* node = view()->node(dragText);
    return NodeTree::tag(node) == kFoodItem ? node : nullptr;
}

bool FoodTree::canDropOn(NodeTree* tree, QTreeWidgetItem* target, const QString& dragText)
{
    // Only a food of this tree moves here; a diet entry or any other text
    // dragged over the favourites must not move whatever food rsFoods is on.
    if (tree != view() || !target || !draggedFood(dragText))
        return false;
    const QString tag = NodeTree::tag(target);
    return tag == kGroup || tag == kFavorite;
}

bool FoodTree::acceptsEmptySpace(NodeTree*, const QString&)
{
    return false;
}

void FoodTree::drop(NodeTree* tree, QTreeWidgetItem* target, const QString& dragText)
{
    if (canDropOn(tree, target, dragText))
        moveFood(draggedFood(dragText), target);
}

void FoodTree::moveFood(QTreeWidgetItem* food, QTreeWidgetItem* target)
{
    const QString key = NodeTree::key(food);
    ensureGroupLoaded(target);
    const qint32 groupId = keyId(NodeTree::key(target));
    const std::optional<QString> name = m_catalogue.moveFood(keyId(key), groupId);
    if (!name)
        return;
    view()->removeNode(view()->node(key));
    addFoodNode(groupId, keyId(key), *name, false);
}

void FoodTree::setClipboard(const FoodClipboard& item)
{
    m_clipboard = item;
    m_foodClipboardFull = true;
    m_host.commands().setEnabled(Command::Paste, true);
}

void FoodTree::copyFood()
{
    // The row of the selected food, whatever moved rsFoods since the click.
    QTreeWidgetItem* node = view()->selectedNode();
    if (NodeTree::tag(node) != kFoodItem)
        return;
    if (const std::optional<FoodClipboard> item = m_catalogue.copyFood(keyId(NodeTree::key(node))))
        setClipboard(*item);
}

void FoodTree::pasteFood(std::optional<qint32> targetGroupId)
{
    if (!m_foodClipboardFull || !m_editor->resolvePendingFood())
        return;
    NodeTree* tree = view();
    QTreeWidgetItem* group = nullptr;
    if (targetGroupId) {
        group = tree->node(groupKey(*targetGroupId));
    } else if (QTreeWidgetItem* node = tree->selectedNode()) {
        const QString tag = NodeTree::tag(node);
        if (tag == kFoodItem)
            group = node->parent();
        else if (tag == kGroup || tag == kFavorite)
            group = node;
    }
    if (!group)
        return;
    ensureGroupLoaded(group);
    const qint32 groupId = keyId(NodeTree::key(group));
    if (!m_catalogue.beginCopy(m_clipboard, groupId))
        return;
    TreeState& state = m_host.state();
    state.foodDataChanged = true;
    state.newFoodPending = true;
    m_editor->saveFoodData(true);
}

bool FoodTree::addFood(qint32 groupId, const FoodCatalogue::Filler& fill)
{
    // The group's earlier foods are listed before the new one joins them.
    ensureGroupLoaded(view()->node(groupKey(groupId)));
    if (!m_catalogue.beginNewFood(fill))
        return false;
    TreeState& state = m_host.state();
    state.foodDataChanged = true;
    state.newFoodPending = true;
    return m_editor->saveFoodData(true);
}

void FoodTree::copyToFavorites()
{
    if (m_favoriteGroupId == 0)
        return;
    copyFood();
    if (!m_foodClipboardFull)
        return;
    pasteFood(m_favoriteGroupId);
    m_foodClipboardFull = false;
    // Nothing is left to paste, so Paste is not offered until the next Copy or Cut.
    m_host.commands().setEnabled(Command::Paste, false);
}

void FoodTree::removeAndSelectNeighbour(QTreeWidgetItem* node)
{
    NodeTree* tree = view();
    QTreeWidgetItem* parent = node->parent();
    const int index = parent ? parent->indexOfChild(node) : tree->indexOfTopLevelItem(node);
    QTreeWidgetItem* next = index == 0 ? parent
                            : parent   ? parent->child(index - 1)
                                       : tree->topLevelItem(index - 1);
    tree->removeNode(node);
    tree->selectNode(next);
    foodNodeClick(next);
    tree->setFocus();
}

void FoodTree::removeFood(const QString& mode)
{
    QTreeWidgetItem* node = view()->selectedNode();
    if (NodeTree::tag(node) != kFoodItem)
        return;
    const bool cut = mode == QLatin1String("CUT");
    if (!m_host.context().askYesNo(QStringLiteral("Are you sure you want to ") +
                                   (cut ? QStringLiteral("Cut") : QStringLiteral("Delete")) +
                                   QStringLiteral(" Food Item: ") + node->text(0)))
        return;
    const std::optional<FoodClipboard> item = m_catalogue.removeFood(keyId(NodeTree::key(node)));
    if (!item)
        return;
    // A cut fills the clipboard only once the row is really gone.
    if (cut)
        setClipboard(*item);
    removeAndSelectNeighbour(node);
}

void FoodTree::deleteFoodGroup(const QString& key)
{
    QTreeWidgetItem* node = view()->node(key);
    // Root groups hold the catalogue's structure and are never deleted.
    if (NodeTree::tag(node) != kGroup)
        return;
    if (!m_host.context().askYesNo(QStringLiteral("Are you sure you want to Delete the '") + node->text(0) +
                                   QStringLiteral("' Food Group and all of its associated Food Items?")))
        return;
    WaitCursor wait;
    const std::optional<bool> deleted = m_catalogue.deleteGroup(keyId(key));
    if (!deleted)
        return;
    if (!*deleted) {
        refreshNode(view()->selectedNode());
        view()->setFocus();
        return;
    }
    removeAndSelectNeighbour(node);
}

void FoodTree::newFoodGroup()
{
    NodeTree* tree = view();
    QTreeWidgetItem* node = tree->selectedNode();
    if (!node)
        return;
    // Groups made here always sit directly below a root group.
    QTreeWidgetItem* parent = node;
    const QString tag = NodeTree::tag(node);
    if (tag == kFoodItem)
        parent = node->parent() && node->parent()->parent() ? node->parent()->parent() : node->parent();
    else if (tag == kGroup)
        parent = node->parent();
    if (!parent)
        return;
    const QString caption = QStringLiteral("New Food Group");
    const std::optional<qint32> groupId = m_catalogue.addGroup(keyId(NodeTree::key(parent)), caption);
    if (!groupId)
        return;
    QTreeWidgetItem* group =
        tree->addNode(parent, groupKey(*groupId), caption, QStringLiteral("GroupClosed"), kGroup);
    tree->selectNode(group);
    refreshNode(group);
    tree->setFocus();
    tree->startRename(group);
}

void FoodTree::startRename()
{
    QTreeWidgetItem* node = view()->selectedNode();
    if (!node)
        return;
    view()->setFocus();
    view()->startRename(node);
}

void FoodTree::renameNode(const QString& key, const QString& newText)
{
    NodeTree* tree = view();
    QTreeWidgetItem* node = tree->node(key);
    if (!node)
        return;
    if (NodeTree::tag(node) != kFoodItem) {
        if (const std::optional<QString> name = m_catalogue.renameGroup(keyId(key), newText))
            tree->setCaption(node, *name);
        return;
    }
    if (!m_editor->resolvePendingFood()) {
        // The commit of a rename that reached us while the editor opened.
        m_editor->afterEditing([this, key, newText] { renameNode(key, newText); });
        return;
    }
    if (!m_catalogue.beginRename(keyId(key), newText))
        return;
    m_host.state().foodDataChanged = true;
    m_editor->saveFoodData(true);
}

NameSearch FoodTree::findName(const QString& text, bool continuing)
{
    return m_catalogue.find(text, continuing);
}

bool FoodTree::showMatch()
{
    const std::optional<CatalogueFood> match = m_catalogue.current();
    if (!match)
        return false;
    ensureGroupLoaded(m_view->node(groupKey(match->row.groupId)));
    QTreeWidgetItem* node = m_view->node(foodKey(match->row.foodId));
    if (!node)
        return false;
    m_view->selectNode(node);
    foodNodeClick(node);
    m_view->setFocus();
    return true;
}

void FoodTree::restorePosition()
{
    QTreeWidgetItem* node = m_view->selectedNode();
    selectFoodRecord(NodeTree::key(node), NodeTree::tag(node));
    m_view->setFocus();
}
