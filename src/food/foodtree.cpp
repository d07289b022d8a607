#include "food/foodtree.h"

#include "app/appcontext.h"
#include "app/numbers.h"
#include "data/orvdatasource.h"
#include "data/transaction.h"
#include "diet/diettree.h"
#include "food/fooditemeditor.h"
#include "food/letterjump.h"
#include "shell/mainwindow.h"
#include "widgets/nodetree.h"
#include "widgets/waitcursor.h"

#include <QDateEdit>
#include <QKeyEvent>
#include <QtDebug>

namespace {

const char* const kUpdateFailed = "Unable to update Food Data.  ";
const char* const kDeleteFailed = "Unable to delete Food Data.  ";

bool isRoot(const QString& tag)
{
    return tag == FoodTree::kGroupRoot || tag == FoodTree::kFavorite;
}

} // namespace

FoodTree::FoodTree(MainWindow& main) : m_main(main)
{
    NodeTree* tree = view();
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

NodeTree* FoodTree::view() const
{
    return m_main.tvwFood;
}

void FoodTree::loadFoodTree()
{
    NodeTree* tree = view();
    Recordset& groups = m_main.context().dataSource().rsGroups;
    tree->setUpdatesEnabled(false);
    tree->hide();
    QTreeWidgetItem* favorites = nullptr;
    for (groups.moveFirst(); !groups.eof(); groups.moveNext()) {
        const qint32 id = groups.integer(QStringLiteral("GroupId"));
        const qint32 parentId = groups.integer(QStringLiteral("ParentGroup"));
        const QString name = groups.text(QStringLiteral("GroupName"));
        const QString key = groupKey(id);
        if (parentId == 0) {
            const QString tag = groups.text(QStringLiteral("GroupTag"));
            QTreeWidgetItem* root = tree->addNode(nullptr, key, name, QStringLiteral("closed"), tag);
            if (tag == kFavorite) {
                m_favoriteGroupId = id;
                favorites = root;
            }
        } else if (QTreeWidgetItem* parent = tree->node(groupKey(parentId))) {
            tree->addNode(parent, key, name, QStringLiteral("GroupClosed"), kGroup);
        }
    }
    // The favourites' foods are loaded at once (which moves rsGroups, so after the walk).
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
    OrvDataSource& ds = m_main.context().dataSource();
    if (!ds.cmdFoodItems(groupId))
        return;
    Recordset& items = ds.rsFoodItems;
    view()->beginBulkLoad();
    for (items.moveFirst(); !items.eof(); items.moveNext())
        addFoodNode(items.integer(QStringLiteral("GroupId")), items.integer(QStringLiteral("FoodId")),
                    items.text(QStringLiteral("FoodName")), true);
    view()->endBulkLoad();
    items.close();
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
    if (tag != kFoodItem)
        return;
    Recordset& foods = m_main.context().dataSource().rsFoods;
    foods.moveFirst();
    foods.findFirst(Criteria::equals(QStringLiteral("FoodId"), keyId(key)));
}

void FoodTree::selectGroupRecord(const QString& key)
{
    Recordset& groups = m_main.context().dataSource().rsGroups;
    groups.moveFirst();
    groups.findFirst(Criteria::equals(QStringLiteral("GroupId"), keyId(key)));
}

int FoodTree::groupListIndex(qint32 groupId)
{
    Recordset& groups = m_main.context().dataSource().rsAvailGroups;
    int index = 0;
    for (groups.moveFirst(); !groups.eof(); groups.moveNext(), ++index) {
        if (groups.integer(QStringLiteral("GroupId")) == groupId)
            return index;
    }
    return -1;
}

QString FoodTree::groupName(qint32 groupId)
{
    Recordset& groups = m_main.context().dataSource().rsGroups;
    groups.moveFirst();
    if (!groups.findFirst(Criteria::equals(QStringLiteral("GroupId"), groupId)))
        return QString();
    return groups.text(QStringLiteral("GroupName"));
}

void FoodTree::refreshNode(QTreeWidgetItem* node)
{
    if (!node)
        return;
    const QString tag = NodeTree::tag(node);
    selectFoodRecord(NodeTree::key(node), tag);

    CommandSet& commands = m_main.commands();
    constexpr Surfaces menus = Surfaces(Surface::Menu) | Surface::Popup;
    commands.setEnabled(Command::Rename, true);
    commands.setEnabled(Command::New, true);
    commands.setEnabled(Command::DietDetails, false, menus);
    commands.setEnabled(Command::DietEntry, false, menus);
    commands.setEnabled(Command::FoodBuilder, true, menus);
    commands.setEnabled(Command::Paste, tag != kGroupRoot && m_foodClipboardFull);

    if (tag == kFoodItem) {
        const Recordset& foods = m_main.context().dataSource().rsFoods;
        const QString serving = foods.hasCurrent() ? foods.text(QStringLiteral("ServingSize")) : QString();
        m_main.setStatusPanel1(QStringLiteral("Serving Size:  ") + serving,
                               QStringLiteral("Serving Size of Selected Food Item"));
        for (Command command : {Command::Cut, Command::Copy, Command::FoodDetails, Command::Delete,
                                Command::NewFoodItem, Command::FoodBuilder})
            commands.setEnabled(command, true);
        // A food can go to the favourites only from elsewhere, and only when there are favourites.
        commands.setEnabled(Command::FoodFav,
                            m_favoriteGroupId != 0 && NodeTree::tag(node->parent()) != kFavorite, menus);
    } else {
        m_main.setStatusPanel1(QString(), QString());
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
    TreeState& state = m_main.state();
    if (state.popupPending) {
        state.popupPending = false;
        m_main.showPopupMenu();
    }
}

void FoodTree::foodDoubleClick(QTreeWidgetItem* node)
{
    if (!node)
        return;
    const QString tag = NodeTree::tag(node);
    if (tag == kFoodItem) {
        selectFoodRecord(NodeTree::key(node), tag);
        const Recordset& foods = m_main.context().dataSource().rsFoods;
        if (!foods.hasCurrent())
            return;
        // One serving of the food's own serving: exactly the food's values.
        m_main.dietTree().addDietEntry(1.0, m_main.dtDatePick->date(),
                                       {foods.text(QStringLiteral("ServingSize")),
                                        foods.integer(QStringLiteral("USDA_MSRE_NO")),
                                        foods.number(QStringLiteral("USDA_GM_WT"))},
                                       m_main.chosenMealKey());
    } else if (tag == kGroup && node->childCount() == 0) {
        loadGroupFoods(keyId(NodeTree::key(node)));
        view()->expandIntoView(node);
    } else if (node->childCount() > 0) {
        node->setExpanded(!node->isExpanded());
    }
}

void FoodTree::onMouseDown(QTreeWidgetItem* node, Qt::MouseButton button)
{
    TreeState& state = m_main.state();
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
    TreeState& state = m_main.state();
    if (!m_main.foodEditor().resolvePendingFood())
        return;
    state.activeTree = QStringLiteral("FOODS");
    // The diet tree set the commands for its own nodes; they follow this
    // tree's selection again (no context menu: that waits for a click).
    refreshNode(view()->selectedNode());
}

void FoodTree::onDragStarting(QTreeWidgetItem* node, QString* data)
{
    TreeState& state = m_main.state();
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
    m_main.tvwDiet->setDropHighlight(QModelIndex());
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
    selectFoodRecord(key, kFoodItem);
    Recordset& foods = m_main.context().dataSource().rsFoods;
    if (!foods.hasCurrent())
        return;
    const qint32 groupId = keyId(NodeTree::key(target));
    try {
        foods.edit();
        foods.setValue(QStringLiteral("GroupId"), groupId);
        foods.update();
    } catch (const DataError& error) {
        qWarning() << "moveFood:" << error.what();
        foods.cancelUpdate();
        m_main.context().reportError(QLatin1String(kUpdateFailed), error);
        return;
    }
    const QString name = foods.text(QStringLiteral("FoodName"));
    view()->removeNode(view()->node(key));
    addFoodNode(groupId, keyId(key), name, false);
}

void FoodTree::setClipboard(const FoodClipboard& item, bool fill)
{
    m_clipboard = item;
    m_foodClipboardFull = fill;
    m_main.commands().setEnabled(Command::Paste, true);
}

void FoodTree::copyFood(Recordset& recordset, bool fill)
{
    Recordset& foods = m_main.context().dataSource().rsFoods;
    if (&recordset == &foods) {
        // The row of the selected food, whatever moved rsFoods since the click.
        QTreeWidgetItem* node = view()->selectedNode();
        if (NodeTree::tag(node) != kFoodItem)
            return;
        selectFoodRecord(NodeTree::key(node), kFoodItem);
    }
    if (!recordset.hasCurrent())
        return;
    setClipboard(FoodClipboard::fromRecord(recordset), fill);
}

void FoodTree::pasteFood(std::optional<qint32> targetGroupId)
{
    if (!m_foodClipboardFull || !m_main.foodEditor().resolvePendingFood())
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
    OrvDataSource& ds = m_main.context().dataSource();
    const std::optional<qint32> foodId = ds.getTableKey(QStringLiteral("FOODITEM"));
    if (!foodId)
        return;
    ds.rsFoods.addNew();
    m_clipboard.writeCopy(ds.rsFoods, keyId(NodeTree::key(group)), *foodId);
    TreeState& state = m_main.state();
    state.foodDataChanged = true;
    state.newFoodPending = true;
    m_main.foodEditor().saveFoodData(true);
}

void FoodTree::copyToFavorites()
{
    if (m_favoriteGroupId == 0)
        return;
    copyFood(m_main.context().dataSource().rsFoods, true);
    if (!m_foodClipboardFull)
        return;
    pasteFood(m_favoriteGroupId);
    m_foodClipboardFull = false;
    // Nothing is left to paste, so Paste is not offered until the next Copy or Cut.
    m_main.commands().setEnabled(Command::Paste, false);
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
    AppContext& context = m_main.context();
    if (!context.askYesNo(QStringLiteral("Are you sure you want to ") +
                          (cut ? QStringLiteral("Cut") : QStringLiteral("Delete")) +
                          QStringLiteral(" Food Item: ") + node->text(0)))
        return;
    selectFoodRecord(NodeTree::key(node), kFoodItem);
    Recordset& foods = context.dataSource().rsFoods;
    if (!foods.hasCurrent())
        return;
    // A cut fills the clipboard only once the row is really gone.
    const FoodClipboard item = FoodClipboard::fromRecord(foods);
    try {
        foods.deleteCurrent();
    } catch (const DataError& error) {
        qWarning() << "removeFood:" << error.what();
        context.reportError(QLatin1String(kDeleteFailed), error);
        return;
    }
    if (cut)
        setClipboard(item, true);
    foods.moveFirst();
    removeAndSelectNeighbour(node);
}

void FoodTree::deleteFoodGroup(const QString& key)
{
    QTreeWidgetItem* node = view()->node(key);
    // Root groups hold the catalogue's structure and are never deleted.
    if (NodeTree::tag(node) != kGroup)
        return;
    AppContext& context = m_main.context();
    if (!context.askYesNo(QStringLiteral("Are you sure you want to Delete the '") + node->text(0) +
                          QStringLiteral("' Food Group and all of its associated Food Items?")))
        return;
    WaitCursor wait;
    OrvDataSource& ds = context.dataSource();
    selectGroupRecord(key);
    if (!ds.rsGroups.hasCurrent())
        return;
    bool deleted = false;
    try {
        Transaction transaction(ds);
        // A failed statement here is fatal and ends the run; the transaction then rolls back.
        if (!ds.cmdDeleteFoods(keyId(key)))
            return;
        ds.rsGroups.deleteCurrent();
        transaction.commit();
        deleted = true;
    } catch (const DataError& error) {
        qWarning() << "deleteFoodGroup:" << error.what();
        context.reportError(QLatin1String(kDeleteFailed), error);
    }
    // The foods' recordset no longer matches the table after the deletion,
    // and neither recordset does after a rollback.
    ds.rsFoods.close();
    if (!ds.cmdFoods())
        return;
    if (!deleted) {
        ds.rsGroups.close();
        if (!ds.cmdGroups())
            return;
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
    AppContext& context = m_main.context();
    OrvDataSource& ds = context.dataSource();
    const std::optional<qint32> groupId = ds.getTableKey(QStringLiteral("FOODGROUP"));
    if (!groupId)
        return;
    const QString caption = QStringLiteral("New Food Group");
    try {
        ds.rsGroups.addNew();
        ds.rsGroups.setValue(QStringLiteral("GroupId"), *groupId);
        ds.rsGroups.setValue(QStringLiteral("GroupName"), caption);
        ds.rsGroups.setValue(QStringLiteral("ParentGroup"), keyId(NodeTree::key(parent)));
        ds.rsGroups.setValue(QStringLiteral("GroupTag"), kGroup);
        ds.rsGroups.update();
    } catch (const DataError& error) {
        qWarning() << "newFoodGroup:" << error.what();
        ds.rsGroups.cancelUpdate();
        context.reportError(QLatin1String(kUpdateFailed), error);
        return;
    }
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
    AppContext& context = m_main.context();
    OrvDataSource& ds = context.dataSource();
    if (NodeTree::tag(node) != kFoodItem) {
        selectGroupRecord(key);
        Recordset& groups = ds.rsGroups;
        if (!groups.hasCurrent())
            return;
        try {
            groups.edit();
            groups.setValue(QStringLiteral("GroupName"), newText.left(kGroupNameLength));
            groups.update();
        } catch (const DataError& error) {
            qWarning() << "renameNode:" << error.what();
            groups.cancelUpdate();
            context.reportError(QLatin1String(kUpdateFailed), error);
            return;
        }
        tree->setCaption(node, groups.text(QStringLiteral("GroupName")));
        return;
    }
    FoodItemEditor& editor = m_main.foodEditor();
    if (!editor.resolvePendingFood()) {
        // The commit of a rename that reached us while the editor opened.
        editor.afterEditing([this, key, newText] { renameNode(key, newText); });
        return;
    }
    selectFoodRecord(key, kFoodItem);
    Recordset& foods = ds.rsFoods;
    if (!foods.hasCurrent())
        return;
    foods.edit();
    foods.setValue(QStringLiteral("FoodName"), newText.left(kFoodNameLength));
    m_main.state().foodDataChanged = true;
    m_main.foodEditor().saveFoodData(true);
}
