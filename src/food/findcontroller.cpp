#include "food/findcontroller.h"

#include "app/appcontext.h"
#include "data/likepattern.h"
#include "data/orvdatasource.h"
#include "diet/dietkeys.h"
#include "diet/diettree.h"
#include "diet/diettreemodel.h"
#include "food/finddialog.h"
#include "food/fooditemeditor.h"
#include "food/foodtree.h"
#include "shell/mainwindow.h"
#include "widgets/nodetree.h"
#include "widgets/waitcursor.h"

#include <QtDebug>

FindController::FindController(MainWindow& main) : m_main(main), m_dialog(new FindDialog(&main)) {}

FindController::~FindController() = default;

FindDialog* FindController::dialog() const
{
    return m_dialog;
}

void FindController::unload()
{
    delete m_dialog;
}

void FindController::findFood(bool next)
{
    if (!m_dialog)
        return;
    if (!next) {
        m_dialog->exec();
        if (m_dialog->closeMode() != QLatin1String("FIND"))
            return;
    }
    const bool foods = m_dialog->searchFoods();
    // The search moves rsFoods, which would drop a food change not yet stored.
    if (foods && !m_main.foodEditor().resolvePendingFood())
        return;
    WaitCursor wait;
    AppContext& context = m_main.context();
    OrvDataSource& ds = context.dataSource();
    Recordset& records = foods ? ds.rsFoods : ds.rsDietData;
    if (!records.isOpen())
        return;
    const bool continuing = m_dialog->continueSearch() || next;
    if (!continuing || records.bof() || records.eof()) {
        if (records.isEmpty()) {
            context.inform(QStringLiteral("No Matching Food entry found"));
            return;
        }
        records.moveFirst();
    }
    // Names that contain the text anywhere; *, ?, # and [...] in it keep their
    // pattern meaning, and quotes, % and _ are plain characters.
    const Criteria criteria =
        Criteria::like(QStringLiteral("FoodName"), LikePattern::containing(m_dialog->findText()));
    bool found = false;
    try {
        found = continuing ? records.findNext(criteria) : records.findFirst(criteria);
        if (!found && continuing) {
            records.moveFirst();
            found = records.findFirst(criteria);
        }
    } catch (const DataError& error) {
        qWarning() << "findFood:" << error.what();
        context.fatalError(foods ? QStringLiteral("Unable to retrieve Food Data.  ")
                                 : QStringLiteral("Unable to retrieve Diet Data.  "),
                           error);
        return;
    }
    if (found && (foods ? showFoodMatch(records) : showDietMatch(records)))
        return;
    context.inform(QStringLiteral("No Matching Food entry found"));
    restorePosition(foods);
}

bool FindController::showFoodMatch(Recordset& foods)
{
    FoodTree& tree = m_main.foodTree();
    NodeTree* view = tree.view();
    tree.ensureGroupLoaded(view->node(FoodTree::groupKey(foods.integer(QStringLiteral("GroupId")))));
    QTreeWidgetItem* node = view->node(FoodTree::foodKey(foods.integer(QStringLiteral("FoodId"))));
    if (!node)
        return false;
    view->selectNode(node);
    tree.foodNodeClick(node);
    view->setFocus();
    return true;
}

bool FindController::showDietMatch(Recordset&)
{
    DietTree& tree = m_main.dietTree();
    DietView* view = tree.view();
    const DietLogEntry match = tree.log().current();
    // A day never opened is read first.
    if (!tree.model().dayNode(match.date).isValid())
        return false;
    tree.loadDietDay(match.date);
    const QModelIndex node = tree.model().node(DietKeys::entryKey(match.dietId));
    if (!node.isValid())
        return false;
    view->selectNode(node);
    tree.dietNodeClick(node);
    view->setFocus();
    return true;
}

void FindController::restorePosition(bool foods)
{
    if (foods) {
        NodeTree* view = m_main.foodTree().view();
        QTreeWidgetItem* node = view->selectedNode();
        m_main.foodTree().selectFoodRecord(NodeTree::key(node), NodeTree::tag(node));
        view->setFocus();
        return;
    }
    DietView* view = m_main.dietTree().view();
    const QModelIndex node = view->selectedNode();
    if (DietTreeModel::tag(node) == QLatin1String("DIETITEM"))
        m_main.dietTree().selectDietRecord(DietTreeModel::key(node));
    view->setFocus();
}
