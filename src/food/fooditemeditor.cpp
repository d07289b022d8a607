#include "food/fooditemeditor.h"

#include "app/appcontext.h"
#include "food/fooddatadialog.h"
#include "food/foodtree.h"
#include "widgets/nodetree.h"
#include "widgets/treestate.h"

#include <QTimer>
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

FoodItemEditor::FoodItemEditor(FoodTree& tree) : m_tree(tree) {}

TreeState& FoodItemEditor::state()
{
    return m_tree.host().state();
}

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
    QTreeWidgetItem* node = m_tree.view()->selectedNode();
    if (NodeTree::tag(node) != FoodTree::kFoodItem)
        return;
    settlePending();
    m_tree.selectFoodRecord(NodeTree::key(node), FoodTree::kFoodItem);
    FoodCatalogue& catalogue = m_tree.catalogue();
    const std::optional<CatalogueFood> food = catalogue.current();
    if (!food || !catalogue.openChoices(food->ndbNo))
        return;
    {
        FoodDataDialog dialog(m_tree.host().context(), false, m_tree.view()->window());
        if (catalogue.measureCount() > 0)
            dialog.selectServing(catalogue.measurePosition(food->measureNo));
        else
            dialog.setServingText(food->servingSize);
        dialog.selectGroup(catalogue.groupListIndex(food->row.groupId));
        if (dialog.kind() == FoodKind::OriginalUsda)
            dialog.lockStandardNutrients();
        dialog.lockGroup();
        dialog.saveHandler = [this, &dialog] { return validateAndStoreFood(dialog) && storePendingFood(); };
        dialog.exec();
        if (dialog.closeMode() != QLatin1String("SAVE"))
            discardPendingFood();
    }
    catalogue.closeChoices();
}

void FoodItemEditor::newFoodItem()
{
    if (m_editing) {
        afterEditing([this] { newFoodItem(); });
        return;
    }
    const Editing editing(*this);
    settlePending();
    FoodTree& tree = m_tree;
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

    FoodCatalogue& catalogue = tree.catalogue();
    if (!catalogue.beginBlankFood(groupId))
        return;
    state().newFoodPending = true;

    if (catalogue.openChoices(0)) {
        FoodDataDialog dialog(tree.host().context(), true, tree.view()->window());
        if (preselect)
            dialog.selectGroup(catalogue.groupListIndex(groupId));
        dialog.setServingText(QString(""));
        dialog.saveHandler = [this, &dialog, &tree, &catalogue] {
            if (!validateAndStoreFood(dialog))
                return false;
            // The group's earlier foods are listed before the new one joins them.
            if (const std::optional<CatalogueFood> food = catalogue.current())
                tree.ensureGroupLoaded(tree.view()->node(FoodTree::groupKey(food->row.groupId)));
            return storePendingFood();
        };
        dialog.exec();
        if (dialog.closeMode() != QLatin1String("SAVE"))
            discardPendingFood();
    } else {
        discardPendingFood();
    }
    catalogue.closeChoices();
}

bool FoodItemEditor::validateAndStoreFood(FoodDataDialog& dialog)
{
    AppContext& context = m_tree.host().context();
    const FoodEntries entries = dialog.entries();
    const QString problem = entries.problem(dialog.kind(), dialog.hasMeasures(), context.appTitle);
    if (!problem.isEmpty()) {
        context.exclaim(problem);
        return false;
    }
    if (!m_tree.catalogue().writeEntries(entries, dialog.isNewFood()))
        return false;
    state().foodDataChanged = true;
    return true;
}

bool FoodItemEditor::storePendingFood()
{
    TreeState& flags = state();
    if (!m_tree.catalogue().hasPending()) {
        flags.foodDataChanged = false;
        flags.newFoodPending = false;
        return true;
    }
    const std::optional<StoredFood> stored = m_tree.catalogue().storePending();
    if (!stored)
        return false;
    flags.foodDataChanged = false;
    flags.newFoodPending = false;
    const FoodRow& food = stored->food;
    NodeTree* view = m_tree.view();
    if (stored->added) {
        m_tree.addFoodNode(food.groupId, food.foodId, food.name, false);
    } else if (QTreeWidgetItem* node = view->node(FoodTree::foodKey(food.foodId))) {
        view->setCaption(node, food.name);
        if (node == view->selectedNode())
            m_tree.refreshNode(node);
    }
    return true;
}

void FoodItemEditor::discardPendingFood()
{
    m_tree.catalogue().discardPending();
    state().foodDataChanged = false;
    state().newFoodPending = false;
    QTreeWidgetItem* node = m_tree.view()->selectedNode();
    m_tree.selectFoodRecord(NodeTree::key(node), NodeTree::tag(node));
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
    if (state().foodDataChanged || state().newFoodPending)
        saveFoodData(false);
}

bool FoodItemEditor::saveFoodData(bool noPrompt)
{
    // Nothing pending: storing settles the flags and writes nothing.
    if (!m_tree.catalogue().hasPending())
        return storePendingFood();
    if (!noPrompt) {
        const QString question = state().newFoodPending
                                     ? QStringLiteral("Do you want to save this new Food Item?")
                                     : QStringLiteral("Food Data changed.  Do you want to save it?");
        if (!m_tree.host().context().askYesNo(question)) {
            discardPendingFood();
            return true;
        }
    }
    if (storePendingFood())
        return true;
    discardPendingFood();
    return false;
}
