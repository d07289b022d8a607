#include "food/fooditemeditor.h"

#include "app/appcontext.h"
#include "data/orvdatasource.h"
#include "data/positioning.h"
#include "food/fooddatadialog.h"
#include "food/foodtree.h"
#include "shell/mainwindow.h"
#include "widgets/nodetree.h"

#include <QTimer>
#include <QtDebug>
#include <utility>

class FoodItemEditor::Editing
{
public:
    explicit Editing(FoodItemEditor& editor) : m_editor(editor) { m_editor.m_editing = true; }
    ~Editing()
    {
        m_editor.m_editing = false;
        // What waited runs from the event loop, once this opening has unwound.
        const QList<std::function<void()>> waiting = std::exchange(m_editor.m_afterEditing, {});
        for (const std::function<void()>& action : waiting)
            QTimer::singleShot(0, &m_editor, action);
    }
    Editing(const Editing&) = delete;
    Editing& operator=(const Editing&) = delete;

private:
    FoodItemEditor& m_editor;
};

FoodItemEditor::FoodItemEditor(MainWindow& main) : m_main(main) {}

void FoodItemEditor::afterEditing(const std::function<void()>& action)
{
    if (m_editing)
        m_afterEditing.append(action);
    else
        action();
}

void FoodItemEditor::showFoodDetails()
{
    if (m_editing) {
        afterEditing([this] { showFoodDetails(); });
        return;
    }
    const Editing editing(*this);
    FoodTree& tree = m_main.foodTree();
    QTreeWidgetItem* node = tree.view()->selectedNode();
    if (NodeTree::tag(node) != FoodTree::kFoodItem)
        return;
    settlePending();
    tree.selectFoodRecord(NodeTree::key(node), FoodTree::kFoodItem);
    OrvDataSource& ds = m_main.context().dataSource();
    Recordset& food = ds.rsFoods;
    if (!food.hasCurrent())
        return;
    if (!ds.cmdMeasures(food.integer(QStringLiteral("USDA_NDB_NO"))) || !ds.cmdAvailGroups())
        return;
    {
        FoodDataDialog dialog(m_main.context(), false, &m_main);
        if (ds.rsMeasures.recordCount() > 0)
            dialog.selectServing(
                measurePosition(ds.rsMeasures, food.integer(QStringLiteral("USDA_MSRE_NO"))));
        else
            dialog.setServingText(food.text(QStringLiteral("ServingSize")));
        dialog.selectGroup(tree.groupListIndex(food.integer(QStringLiteral("GroupId"))));
        if (dialog.kind() == FoodKind::OriginalUsda)
            dialog.lockStandardNutrients();
        dialog.lockGroup();
        dialog.saveHandler = [this, &dialog] { return validateAndStoreFood(dialog) && storePendingFood(); };
        dialog.exec();
        if (dialog.closeMode() != QLatin1String("SAVE"))
            discardPendingFood();
    }
    ds.rsMeasures.close();
    ds.rsAvailGroups.close();
}

void FoodItemEditor::newFoodItem()
{
    if (m_editing) {
        afterEditing([this] { newFoodItem(); });
        return;
    }
    const Editing editing(*this);
    settlePending();
    TreeState& state = m_main.state();
    FoodTree& tree = m_main.foodTree();
    QTreeWidgetItem* node = tree.view()->selectedNode();
    const QString tag = NodeTree::tag(node);
    qint32 groupId = 0;
    if (tag == FoodTree::kFoodItem) {
        groupId = FoodTree::keyId(NodeTree::key(node->parent()));
    } else if (node) {
        groupId = FoodTree::keyId(NodeTree::key(node));
        if (tag != FoodTree::kGroupRoot)
            tree.ensureGroupLoaded(node);
    }
    const bool preselect = node && tag != FoodTree::kGroupRoot;

    OrvDataSource& ds = m_main.context().dataSource();
    const std::optional<qint32> foodId = ds.getTableKey(QStringLiteral("FOODITEM"));
    if (!foodId)
        return;
    Recordset& food = ds.rsFoods;
    food.addNew();
    food.setValue(QStringLiteral("GroupId"), groupId);
    food.setValue(QStringLiteral("FoodId"), *foodId);
    food.setValue(QStringLiteral("FoodName"), QStringLiteral("New Food Item"));
    Nutrients{}.write(food);
    food.setValue(QStringLiteral("USDA_NDB_NO"), 0);
    food.setValue(QStringLiteral("USDA_MSRE_NO"), 0);
    food.setValue(QStringLiteral("USDA_GM_WT"), 0);
    food.setValue(QStringLiteral("ServingSize"), QString(""));
    state.newFoodPending = true;

    if (ds.cmdMeasures(0) && ds.cmdAvailGroups()) {
        FoodDataDialog dialog(m_main.context(), true, &m_main);
        if (preselect)
            dialog.selectGroup(tree.groupListIndex(groupId));
        dialog.setServingText(food.text(QStringLiteral("ServingSize")));
        dialog.saveHandler = [this, &dialog, &tree, &food] {
            if (!validateAndStoreFood(dialog))
                return false;
            // The group's earlier foods are listed before the new one joins them.
            tree.ensureGroupLoaded(
                tree.view()->node(FoodTree::groupKey(food.integer(QStringLiteral("GroupId")))));
            return storePendingFood();
        };
        dialog.exec();
        if (dialog.closeMode() != QLatin1String("SAVE"))
            discardPendingFood();
    } else {
        discardPendingFood();
    }
    ds.rsMeasures.close();
    ds.rsAvailGroups.close();
}

bool FoodItemEditor::validateAndStoreFood(FoodDataDialog& dialog)
{
    AppContext& context = m_main.context();
    OrvDataSource& ds = context.dataSource();
    const FoodEntries entries = dialog.entries();
    const QString problem = entries.problem(dialog.kind(), dialog.hasMeasures(), context.appTitle);
    if (!problem.isEmpty()) {
        context.exclaim(problem);
        return false;
    }
    Recordset& food = ds.rsFoods;
    // A new row is being appended already; an existing one is edited afresh
    // from what is stored (also after a failed store).
    try {
        if (!dialog.isNewFood())
            food.edit();
        entries.writeTo(food, ds.rsMeasures, ds.rsAvailGroups, dialog.isNewFood());
    } catch (const DataError& error) {
        // The record the editor was filling is no longer pending (it cannot
        // be while the editor is open, but a lost row must not end the run).
        qWarning() << "validateAndStoreFood:" << error.what();
        context.reportError(QStringLiteral("Unable to update Food Data.  "), error);
        return false;
    }
    m_main.state().foodDataChanged = true;
    return true;
}

bool FoodItemEditor::storePendingFood()
{
    TreeState& state = m_main.state();
    Recordset& food = m_main.context().dataSource().rsFoods;
    if (food.editMode() == Recordset::EditMode::None) {
        state.foodDataChanged = false;
        state.newFoodPending = false;
        return true;
    }
    const bool newRow = food.editMode() == Recordset::EditMode::AddNew;
    try {
        food.update();
    } catch (const DataError& error) {
        qWarning() << "saveFoodData:" << error.what();
        m_main.context().reportError(QStringLiteral("Unable to update Food Data.  "), error);
        return false;
    }
    food.setBookmark(food.lastModified());
    state.foodDataChanged = false;
    state.newFoodPending = false;
    const qint32 foodId = food.integer(QStringLiteral("FoodId"));
    const QString name = food.text(QStringLiteral("FoodName"));
    FoodTree& tree = m_main.foodTree();
    if (newRow) {
        tree.addFoodNode(food.integer(QStringLiteral("GroupId")), foodId, name, false);
    } else if (QTreeWidgetItem* node = tree.view()->node(FoodTree::foodKey(foodId))) {
        tree.view()->setCaption(node, name);
        if (node == tree.view()->selectedNode())
            tree.refreshNode(node);
    }
    return true;
}

void FoodItemEditor::discardPendingFood()
{
    TreeState& state = m_main.state();
    m_main.context().dataSource().rsFoods.cancelUpdate();
    state.foodDataChanged = false;
    state.newFoodPending = false;
    QTreeWidgetItem* node = m_main.foodTree().view()->selectedNode();
    m_main.foodTree().selectFoodRecord(NodeTree::key(node), NodeTree::tag(node));
}

bool FoodItemEditor::resolvePendingFood()
{
    if (m_editing)
        return false;
    settlePending();
    return true;
}

void FoodItemEditor::settlePending()
{
    const TreeState& state = m_main.state();
    if (state.foodDataChanged || state.newFoodPending)
        saveFoodData(false);
}

bool FoodItemEditor::saveFoodData(bool noPrompt)
{
    const TreeState& state = m_main.state();
    // Nothing pending: storing settles the flags and writes nothing.
    if (m_main.context().dataSource().rsFoods.editMode() == Recordset::EditMode::None)
        return storePendingFood();
    if (!noPrompt) {
        const QString question = state.newFoodPending
                                     ? QStringLiteral("Do you want to save this new Food Item?")
                                     : QStringLiteral("Food Data changed.  Do you want to save it?");
        if (!m_main.context().askYesNo(question)) {
            discardPendingFood();
            return true;
        }
    }
    if (storePendingFood())
        return true;
    discardPendingFood();
    return false;
}
