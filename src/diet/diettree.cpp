#include "diet/diettree.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "data/orvdatasource.h"
#include "data/positioning.h"
#include "data/transaction.h"
#include "diet/dietdetailswindow.h"
#include "diet/dietkeys.h"
#include "app/numbers.h"
#include "diet/dietscaling.h"
#include "diet/servingsdialog.h"
#include "food/foodtree.h"
#include "food/fooditemeditor.h"
#include "ui/mainwindow.h"
#include "ui/mealcombo.h"
#include "ui/nodetree.h"
#include "ui/waitcursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QTimer>
#include <QtDebug>

using namespace DietKeys;

namespace {

const QString kFoodItem = QStringLiteral("FOODITEM");
const char* const kUpdateFailed = "Unable to update Diet Data.  ";
const char* const kReadFailed = "Unable to retrieve Diet Data.  ";

// Closes a recordset when the scope is left, however it is left.
class CloseOnExit
{
public:
    explicit CloseOnExit(Recordset& recordset) : m_recordset(recordset) {}
    ~CloseOnExit() { m_recordset.close(); }
    CloseOnExit(const CloseOnExit&) = delete;
    CloseOnExit& operator=(const CloseOnExit&) = delete;

private:
    Recordset& m_recordset;
};

QTreeWidgetItem* previousSibling(QTreeWidgetItem* node)
{
    QTreeWidgetItem* parent = node->parent();
    QTreeWidget* tree = node->treeWidget();
    const int index = parent ? parent->indexOfChild(node) : tree->indexOfTopLevelItem(node);
    if (index <= 0)
        return nullptr;
    return parent ? parent->child(index - 1) : tree->topLevelItem(index - 1);
}

QStringList childKeys(const QTreeWidgetItem* node)
{
    QStringList keys;
    for (int i = 0; i < node->childCount(); ++i)
        keys << NodeTree::key(node->child(i));
    return keys;
}

} // namespace

DietTree::DietTree(MainWindow& main) : m_main(main)
{
    NodeTree* tree = view();
    tree->setDraggableTags({kEntry, kMeal}); // a day starts no drag
    tree->setDropHandler(this);
    connect(tree, &NodeTree::gotFocus, this, &DietTree::onGotFocus);
    connect(tree, &NodeTree::nodeMouseDown, this, &DietTree::onMouseDown);
    connect(tree, &NodeTree::nodeClick, this, &DietTree::dietNodeClick);
    connect(tree, &NodeTree::nodeDoubleClick, this, &DietTree::onDoubleClick);
    connect(tree, &NodeTree::keyDown, this, &DietTree::onKeyDown);
    connect(tree, &NodeTree::dragStarting, this, &DietTree::onDragStarting);
    connect(tree, &NodeTree::dragFinished, this, [this] {
        m_main.tvwFood->setDropHighlight(nullptr);
        view()->setDropHighlight(nullptr);
    });
    connect(tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { onExpandChange(item, true); });
    connect(tree, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) { onExpandChange(item, false); });
}

NodeTree* DietTree::view() const
{
    return m_main.tvwDiet;
}

// ---------------------------------------------------------------------------
// Loading and the node vocabulary

void DietTree::loadDietDays()
{
    OrvDataSource& ds = m_main.context().dataSource();
    if (!ds.cmdDietDates(m_main.context().currentUser))
        return;
    NodeTree* tree = view();
    tree->beginBulkLoad();
    for (Recordset& days = ds.rsDietDates; !days.eof(); days.moveNext())
        addDietNode(days, kDay, true);
    tree->endBulkLoad();
    ds.rsDietDates.close();
}

void DietTree::loadDietDay(const QDate& date)
{
    OrvDataSource& ds = m_main.context().dataSource();
    if (!ds.cmdDietItems(date, m_main.context().currentUser))
        return;
    for (Recordset& items = ds.rsDietItems; !items.eof(); items.moveNext())
        addDietNode(items, kEntry, true);
    ds.rsDietItems.close();
}

void DietTree::loadIfUnopened(QTreeWidgetItem* day, const QDate& date)
{
    if (day && day->childCount() == 0)
        loadDietDay(date);
}

void DietTree::addDietNode(Recordset& recordset, const QString& kind, bool bulk)
{
    NodeTree* tree = view();
    const QDate date = recordset.date(QStringLiteral("DietDate"));
    // Day captions are ISO dates, so the caption order of the tree is the date
    // order, for days added after the load too.
    auto addDay = [&] { return tree->addNode(nullptr, dayKey(date), dayText(date), QStringLiteral("DayClosed"), kDay); };
    if (kind != kEntry) {
        addDay();
        if (!bulk)
            tree->update();
        return;
    }
    QTreeWidgetItem* day = tree->node(dayKey(date));
    if (!day)
        day = addDay();
    else if (!bulk)
        loadIfUnopened(day, date); // reads every row of the day, the current one included

    QTreeWidgetItem* parent = day;
    const QString mealKey = recordset.text(QStringLiteral("MealName"));
    if (!mealKey.isEmpty()) {
        parent = tree->node(mealNodeKey(mealKey, date));
        if (!parent)
            parent = tree->addNode(day, mealNodeKey(mealKey, date), m_main.context().config().getConfigIfNamed(mealKey),
                                   QStringLiteral("MealClosed"), kMeal);
    }
    const QString key = entryKey(recordset.integer(QStringLiteral("DietId")));
    QTreeWidgetItem* entry = tree->node(key);
    if (!entry)
        entry = tree->addNode(parent, key, recordset.text(QStringLiteral("FoodName")), QStringLiteral("DietItem"),
                              kEntry);
    if (!bulk) {
        tree->selectNode(entry);
        tree->update();
    }
}

bool DietTree::selectDietRecord(const QString& key)
{
    Recordset& diet = m_main.context().dataSource().rsDietData;
    try {
        diet.moveFirst();
        return diet.findFirst(Criteria::equals(QStringLiteral("DietId"), dietIdOf(key)));
    } catch (const DataError& error) {
        qWarning() << "selectDietRecord" << key << error.what();
        return false;
    }
}

void DietTree::refreshMealCaptions()
{
    NodeTree* tree = view();
    QList<QTreeWidgetItem*> meals;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* day = tree->topLevelItem(i);
        for (int j = 0; j < day->childCount(); ++j) {
            if (NodeTree::tag(day->child(j)) == kMeal)
                meals << day->child(j);
        }
    }
    for (QTreeWidgetItem* meal : meals) {
        QString label = m_main.context().config().getConfigIfNamed(mealKeyOf(NodeTree::key(meal)));
        if (label.isEmpty())
            label = QStringLiteral("Invalid Meal Name");
        tree->setCaption(meal, label);
    }
    tree->update();
}

void DietTree::reload()
{
    OrvDataSource& ds = m_main.context().dataSource();
    ds.rsDietData.close();
    if (!ds.cmdDietData(m_main.context().currentUser))
        return;
    view()->clearNodes();
    loadDietDays();
}

void DietTree::reopenDietData()
{
    OrvDataSource& ds = m_main.context().dataSource();
    ds.rsDietData.close();
    ds.cmdDietData(m_main.context().currentUser);
}

DietTree::Place DietTree::placeOf(QTreeWidgetItem* node) const
{
    Place place;
    const QString tag = NodeTree::tag(node);
    if (tag == kDay) {
        place.day = node;
    } else if (tag == kMeal) {
        place.day = node->parent();
        place.meal = node;
    } else if (tag == kEntry) {
        QTreeWidgetItem* parent = node->parent();
        if (NodeTree::tag(parent) == kMeal) {
            place.meal = parent;
            place.day = parent->parent();
        } else {
            place.day = parent;
        }
    }
    if (place.day)
        place.date = dayDate(place.day->text(0));
    return place;
}

QString DietTree::mealKeyOfPlace(const Place& place) const
{
    return place.meal ? mealKeyOf(NodeTree::key(place.meal)) : QString();
}

// ---------------------------------------------------------------------------
// Events of the tree

void DietTree::onGotFocus()
{
    TreeState& state = m_main.state();
    m_main.foodEditor().resolvePendingFood();
    state.activeTree = QStringLiteral("DIET");
    CommandSet& commands = m_main.commands();
    for (Command command : {Command::FoodDetails, Command::Rename, Command::New, Command::NewFoodItem,
                            Command::FoodFav, Command::FoodBuilder})
        commands.setEnabled(command, false);
    commands.setEnabled(Command::Delete, true);
    commands.setEnabled(Command::DietDetails, true);
    commands.setEnabled(Command::Paste, m_dietClipboardFull);
    // The food tree left Cut, Copy and the entry command set for its own node.
    setNodeCommands(view()->selectedNode());
    m_main.setStatusPanel1(QString(), QString());
}

void DietTree::onMouseDown(QTreeWidgetItem* item, Qt::MouseButton button)
{
    TreeState& state = m_main.state();
    // Only a right-button press leads to the context menu: a left press drops a
    // menu that an earlier right press (on empty space) left pending.
    state.popupPending = button == Qt::RightButton;
    state.setHitNode(view(), item);
}

void DietTree::setNodeCommands(QTreeWidgetItem* node)
{
    const QString tag = NodeTree::tag(node);
    CommandSet& commands = m_main.commands();
    const bool entryOrMeal = tag == kEntry || tag == kMeal;
    commands.setEnabled(Command::Cut, entryOrMeal);
    commands.setEnabled(Command::Copy, entryOrMeal);
    commands.setEnabled(Command::DietEntry, tag == kEntry, Surface::Menu | Surface::Popup);
}

void DietTree::dietNodeClick(QTreeWidgetItem*)
{
    QTreeWidgetItem* selected = view()->selectedNode();
    if (NodeTree::tag(selected) == kEntry)
        selectDietRecord(NodeTree::key(selected));
    if (selected)
        setNodeCommands(selected);
    TreeState& state = m_main.state();
    if (state.popupPending) {
        state.popupPending = false;
        m_main.showPopupMenu();
    }
}

void DietTree::followSelection()
{
    // No context menu here: the selection moved because of the operation, not a click.
    m_main.state().popupPending = false;
    if (QTreeWidgetItem* selected = view()->selectedNode())
        dietNodeClick(selected);
}

void DietTree::dietDoubleClick()
{
    NodeTree* tree = view();
    if (tree->nodeCount() == 0)
        return;
    QTreeWidgetItem* selected = tree->selectedNode();
    const QString tag = NodeTree::tag(selected);
    if (tag == kEntry) {
        editDietEntry();
    } else if (tag == kDay && selected->childCount() == 0) {
        loadDietDay(dayDate(selected->text(0)));
        tree->expandIntoView(selected);
    }
}

void DietTree::onDoubleClick(QTreeWidgetItem* item)
{
    // An edit re-creates the entry's node, so the item is known by its key afterwards.
    const QString key = NodeTree::key(item);
    const bool opened = NodeTree::tag(item) != kEntry && item->childCount() > 0;
    dietDoubleClick();
    // A meal or an opened day opens or closes, as a tree does on a double-click.
    if (QTreeWidgetItem* node = view()->node(key); opened && node)
        node->setExpanded(!node->isExpanded());
}

void DietTree::onKeyDown(QKeyEvent* event, bool* handled)
{
    NodeTree* tree = view();
    if (tree->nodeCount() == 0)
        return;
    QTreeWidgetItem* selected = tree->selectedNode();
    const QString tag = NodeTree::tag(selected);
    if (event->key() == Qt::Key_Escape) {
        if (tag == kEntry || tag == kMeal) {
            QTreeWidgetItem* parent = selected->parent();
            parent->setExpanded(false);
            tree->setCurrentItem(parent); // the parent is now the node shown selected
            *handled = true;
        }
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (tag == kDay) {
            dietDoubleClick();
            *handled = true;
        }
    }
}

void DietTree::onExpandChange(QTreeWidgetItem* item, bool expanded)
{
    const QString tag = NodeTree::tag(item);
    if (tag == kDay)
        view()->setImage(item, expanded ? QStringLiteral("DayOpen") : QStringLiteral("DayClosed"));
    else if (tag == kMeal)
        view()->setImage(item, expanded ? QStringLiteral("MealOpen") : QStringLiteral("MealClosed"));
}

void DietTree::onDragStarting(QTreeWidgetItem* item, QString*)
{
    TreeState& state = m_main.state();
    QTreeWidgetItem* selected = view()->selectedNode();
    state.dragKey = NodeTree::key(selected);
    state.dragTag = NodeTree::tag(selected);
    if (NodeTree::tag(item) == kEntry)
        selectDietRecord(NodeTree::key(item));
}

// ---------------------------------------------------------------------------
// Drops

QString DietTree::dragKind(const QString& dragText) const
{
    const TreeState& state = m_main.state();
    QTreeWidgetItem* hit = state.hitNode();
    // Only a drag of our own trees' nodes is taken: its text is the key of HitNode.
    if (!hit || dragText.isEmpty() || NodeTree::key(hit) != dragText)
        return QString();
    const QString tag = NodeTree::tag(hit);
    if (state.hitTree == m_main.tvwFood && tag == kFoodItem)
        return tag;
    if (state.hitTree == view() && (tag == kEntry || tag == kMeal))
        return tag;
    return QString();
}

bool DietTree::allowedTarget(const QString& dragKind, const QString& targetTag)
{
    if (dragKind == kFoodItem)
        return targetTag == kDay || targetTag == kMeal || targetTag == kEntry;
    if (dragKind == kEntry || dragKind == kMeal)
        return targetTag == kDay || targetTag == kMeal;
    return false;
}

bool DietTree::canDropOn(NodeTree*, QTreeWidgetItem* target, const QString& dragText)
{
    return allowedTarget(dragKind(dragText), NodeTree::tag(target));
}

bool DietTree::acceptsEmptySpace(NodeTree*, const QString& dragText)
{
    return dragKind(dragText) == kFoodItem;
}

void DietTree::drop(NodeTree*, QTreeWidgetItem* target, const QString& dragText)
{
    const QString targetKey = NodeTree::key(target);
    QTimer::singleShot(0, this, [this, targetKey, dragText] {
        QTreeWidgetItem* node = targetKey.isEmpty() ? nullptr : view()->node(targetKey);
        if (targetKey.isEmpty() || node) {
            dropOn(node, dragText);
        } else {
            view()->setDropHighlight(nullptr);
            m_main.state().popupPending = false;
        }
    });
}

void DietTree::dropOn(QTreeWidgetItem* target, const QString& dragText)
{
    TreeState& state = m_main.state();
    const bool rightButton = state.popupPending;
    state.popupPending = false;
    const QString kind = dragKind(dragText);
    const bool allowed = target ? allowedTarget(kind, NodeTree::tag(target)) : kind == kFoodItem;
    if (allowed) {
        if (NodeTree::tag(target) == kDay)
            loadIfUnopened(target, dayDate(target->text(0)));
        if (kind == kFoodItem)
            dropFood(target, rightButton);
        else if (kind == kEntry)
            moveDietEntry(target);
        else
            moveDietMeal(target);
    }
    view()->setDropHighlight(nullptr);
}

bool DietTree::positionFood(const QString& foodKey)
{
    // The food tree positioned rsFoods when the drag started; make sure it
    // still stands on the dragged food before anything is logged from it.
    m_main.foodTree().selectFoodRecord(foodKey, kFoodItem);
    const Recordset& foods = m_main.context().dataSource().rsFoods;
    return foods.hasCurrent() && foods.integer(QStringLiteral("FoodId")) == foodKey.mid(1).toInt();
}

void DietTree::dropFood(QTreeWidgetItem* target, bool rightButton)
{
    AppContext& context = m_main.context();
    Recordset& foods = context.dataSource().rsFoods;
    try {
        if (!positionFood(m_main.state().hitKey))
            throw DataError("the dragged food is not in the catalogue");
        Place place = target ? placeOf(target) : Place{};
        if (!target)
            place.date = m_main.dtDatePick->date();
        if (rightButton) {
            dropFoodWithDialog(place, target != nullptr);
            return;
        }
        addDietEntry(1.0, place.date, foods.text(QStringLiteral("ServingSize")),
                     foods.integer(QStringLiteral("USDA_MSRE_NO")),
                     wholeGrams(foods.number(QStringLiteral("USDA_GM_WT"))), mealKeyOfPlace(place));
    } catch (const DataError& error) {
        qWarning() << "dropFood" << error.what();
        foods.cancelUpdate();
        context.reportError(QString::fromLatin1(kUpdateFailed));
    }
}

void DietTree::dropFoodWithDialog(const Place& place, bool onTarget)
{
    AppContext& context = m_main.context();
    OrvDataSource& ds = context.dataSource();
    Recordset& foods = ds.rsFoods;
    Recordset& measures = ds.rsMeasures;
    const QString foodServing = foods.text(QStringLiteral("ServingSize"));
    if (!ds.cmdMeasures(foods.integer(QStringLiteral("USDA_NDB_NO"))))
        return;
    CloseOnExit closeMeasures(measures);

    ServingsDialog dialog(context, &m_main);
    dialog.offerServings(measures, foods.text(QStringLiteral("FoodName")),
                         foods.integer(QStringLiteral("USDA_MSRE_NO")), foodServing);
    // The meal offered first: the target's meal, or for a day the main window's choice.
    QString label;
    if (place.meal)
        label = place.meal->text(0);
    else if (onTarget && m_main.cmbMeal->currentIndex() > 0)
        label = m_main.cmbMeal->currentText();
    dialog.dtDate->setDate(place.date);
    fillMealCombo(context.config(), dialog.cmbMeal, label);

    dialog.exec();
    if (dialog.closeMode() != QLatin1String("OK"))
        return;

    QString servingSize = foodServing;
    qint32 measureNo = foods.integer(QStringLiteral("USDA_MSRE_NO"));
    qint32 gramWeight = wholeGrams(foods.number(QStringLiteral("USDA_GM_WT")));
    if (dialog.hasMeasures()) {
        moveToMeasure(measures, dialog.cmbServSize->currentIndex(), 0);
        servingSize = measures.text(QStringLiteral("MSRE_DESC"));
        measureNo = measures.integer(QStringLiteral("MSRE_NO"));
        gramWeight = wholeGrams(measures.number(QStringLiteral("GM_WT")));
        if (dialog.rbPreffered->isChecked() && dialog.cmbServSize->currentText() != foodServing) {
            // The food takes the new serving first, so the entry is one of its servings (ratio 1).
            foods.edit();
            markPreferredServing(measureNo, gramWeight, servingSize);
            foods.update();
        }
    }
    const QString mealKey = chosenMealKey(context.config(), dialog.cmbMeal);
    addDietEntry(dialog.servings(), dialog.dtDate->date(), servingSize, measureNo, gramWeight, mealKey);
}

// ---------------------------------------------------------------------------
// Adding food

void DietTree::addDietEntry(double servings, const QDate& date, const QString& servingSize, qint32 measureNo,
                            qint32 gramWeight, const QString& mealKey)
{
    AppContext& context = m_main.context();
    OrvDataSource& ds = context.dataSource();
    Recordset& foods = ds.rsFoods;
    Recordset& diet = ds.rsDietData;
    try {
        const double ratio = DietScaling::servingRatio(foods.number(QStringLiteral("USDA_GM_WT")), gramWeight);
        const Nutrients nutrients = DietScaling::entryNutrients(Nutrients::read(foods), servings, ratio);
        if (!nutrients.isFinite())
            throw DataError("the entry's nutrient values are out of range");
        const QString groupName = m_main.foodTree().groupName(foods.integer(QStringLiteral("GroupId")));
        const QString foodName = foods.text(QStringLiteral("FoodName"));
        const qint32 ndbNo = foods.integer(QStringLiteral("USDA_NDB_NO"));
        const std::optional<qint32> dietId = ds.getTableKey(QStringLiteral("DIETACTIVITY"));
        if (!dietId)
            return; // reported, and the program is ending
        diet.addNew();
        diet.setValue(QStringLiteral("DietId"), *dietId);
        diet.setValue(QStringLiteral("GroupName"), groupName);
        diet.setValue(QStringLiteral("FoodName"), foodName);
        diet.setValue(QStringLiteral("DietDate"), date);
        diet.setValue(QStringLiteral("NumServings"), servings);
        nutrients.write(diet);
        diet.setValue(QStringLiteral("ServingSize"), servingSize);
        diet.setValue(QStringLiteral("USDA_NDB_NO"), ndbNo);
        diet.setValue(QStringLiteral("USDA_MSRE_NO"), measureNo);
        diet.setValue(QStringLiteral("USDA_GM_WT"), gramWeight);
        diet.setValue(QStringLiteral("MealName"), mealKey);
        diet.setValue(QStringLiteral("UserName"), context.currentUser);
        diet.update();
        diet.setBookmark(diet.lastModified());
    } catch (const DataError& error) {
        qWarning() << "addDietEntry" << error.what();
        diet.cancelUpdate();
        context.reportError(QString::fromLatin1(kUpdateFailed));
        return;
    }
    addDietNode(diet, kEntry, false);
}

void DietTree::markPreferredServing(qint32 measureNo, qint32 gramWeight, const QString& description)
{
    Recordset& foods = m_main.context().dataSource().rsFoods;
    const double ratio = DietScaling::servingRatio(foods.number(QStringLiteral("USDA_GM_WT")), gramWeight);
    Nutrients::read(foods).times(ratio).write(foods);
    foods.setValue(QStringLiteral("ServingSize"), description);
    foods.setValue(QStringLiteral("USDA_MSRE_NO"), measureNo);
    foods.setValue(QStringLiteral("USDA_GM_WT"), gramWeight);
}

// ---------------------------------------------------------------------------
// Totals

void DietTree::showDietTotals()
{
    QTreeWidgetItem* node = view()->selectedNode();
    if (!node)
        return;
    AppContext& context = m_main.context();
    OrvDataSource& ds = context.dataSource();
    ConfigStore& config = context.config();
    Nutrients values;
    const QString tag = NodeTree::tag(node);
    if (tag == kEntry) {
        try {
            if (!selectDietRecord(NodeTree::key(node)))
                throw DataError("the entry's row is not there");
            values = Nutrients::read(ds.rsDietData);
        } catch (const DataError& error) {
            qWarning() << "showDietTotals" << error.what();
            context.reportError(QString::fromLatin1(kReadFailed));
            return;
        }
    } else {
        const Place place = placeOf(node);
        Recordset& totals = tag == kMeal ? ds.rsDietMealTotal : ds.rsDietTotal;
        const bool opened = tag == kMeal ? ds.cmdDietMealTotal(place.date, mealKeyOfPlace(place), context.currentUser)
                                         : ds.cmdDietTotal(place.date, context.currentUser);
        if (!opened)
            return;
        CloseOnExit closeTotals(totals);
        // The sums of no rows are null, which read as 0.
        for (int i = 0; i < int(values.values.size()); ++i)
            values.values[i] = totals.value(QLatin1Char('t') + Nutrients::columns()[i]).toDouble();
    }

    auto* window = new DietDetailsWindow(config.getConfig(QStringLiteral("OTHER1")),
                                         config.getConfig(QStringLiteral("OTHER2")), &m_main);
    window->setValues(node->text(0), values);
    window->adjustSize();
    // Beside the middle of the diet tree, in the tree's vertical middle.
    NodeTree* tree = view();
    const QPoint treeTopLeft = tree->mapTo(&m_main, QPoint(0, 0));
    const int left = (treeTopLeft.x() + tree->width()) / 2;
    const int top = treeTopLeft.y() + (tree->height() - window->height()) / 2;
    window->move(m_main.mapToGlobal(QPoint(left, top)));
    window->show();
    window->raise();
    window->activateWindow();
}

// ---------------------------------------------------------------------------
// Editing an entry

void DietTree::editDietEntry()
{
    AppContext& context = m_main.context();
    OrvDataSource& ds = context.dataSource();
    Recordset& diet = ds.rsDietData;
    Recordset& measures = ds.rsMeasures;
    TreeState& state = m_main.state();
    QTreeWidgetItem* node = view()->selectedNode();
    if (NodeTree::tag(node) != kEntry)
        return;
    if (!selectDietRecord(NodeTree::key(node))) {
        context.reportError(QStringLiteral("Unable to update the selected item.  "));
        state.popupPending = false;
        return;
    }
    try {
        const double oldServings = diet.number(QStringLiteral("NumServings"));
        const double oldGramWeight = diet.number(QStringLiteral("USDA_GM_WT"));
        const Nutrients present = Nutrients::read(diet);
        const QString mealName = diet.text(QStringLiteral("MealName"));
        if (!ds.cmdMeasures(diet.integer(QStringLiteral("USDA_NDB_NO"))))
            return;
        CloseOnExit closeMeasures(measures);

        ServingsDialog dialog(context, &m_main);
        dialog.offerServings(measures, diet.text(QStringLiteral("FoodName")),
                             diet.integer(QStringLiteral("USDA_MSRE_NO")), diet.text(QStringLiteral("ServingSize")));
        dialog.cmbServings->setEditText(plainNumber(oldServings));
        dialog.dtDate->setDate(diet.date(QStringLiteral("DietDate")));
        dialog.rbPreffered->hide(); // an entry is never marked preferred
        fillMealCombo(context.config(), dialog.cmbMeal,
                      mealName.isEmpty() ? QString() : context.config().getConfigIfNamed(mealName));

        dialog.exec();
        state.popupPending = false;
        if (dialog.closeMode() != QLatin1String("OK"))
            return;

        // Everything is worked out before the row is touched: an entry that
        // cannot be rescaled (0 servings, or no weight to scale a measure by)
        // stays exactly as it is.
        double ratio = 1.0;
        QString servingSize = dialog.cmbServSize->currentText();
        std::optional<qint32> measureNo;
        std::optional<double> gramWeight;
        if (dialog.hasMeasures()) {
            moveToMeasure(measures, dialog.cmbServSize->currentIndex(), 0);
            const double measureGrams = measures.number(QStringLiteral("GM_WT"));
            const std::optional<double> editRatio = DietScaling::editRatio(measureGrams, oldGramWeight);
            if (!editRatio)
                throw DataError("the entry has no gram weight to rescale by");
            ratio = *editRatio;
            servingSize = measures.text(QStringLiteral("MSRE_DESC"));
            measureNo = measures.integer(QStringLiteral("MSRE_NO"));
            gramWeight = measureGrams;
        }
        const double newServings = dialog.servings();
        const std::optional<Nutrients> nutrients =
            DietScaling::rescaledEntry(present, oldServings, newServings, ratio);
        if (!nutrients)
            throw DataError("the entry cannot be rescaled");
        const QString mealKey = chosenMealKey(context.config(), dialog.cmbMeal);

        diet.edit();
        diet.setValue(QStringLiteral("ServingSize"), servingSize);
        if (measureNo)
            diet.setValue(QStringLiteral("USDA_MSRE_NO"), *measureNo);
        if (gramWeight)
            diet.setValue(QStringLiteral("USDA_GM_WT"), *gramWeight);
        diet.setValue(QStringLiteral("DietDate"), dialog.dtDate->date());
        diet.setValue(QStringLiteral("NumServings"), newServings);
        nutrients->write(diet);
        diet.setValue(QStringLiteral("MealName"), mealKey);
        diet.update();
        diet.setBookmark(diet.lastModified());
    } catch (const DataError& error) {
        qWarning() << "editDietEntry" << error.what();
        diet.cancelUpdate();
        state.popupPending = false;
        context.reportError(QString::fromLatin1(kUpdateFailed));
        return;
    }
    NodeTree* tree = view();
    QTreeWidgetItem* parent = node->parent();
    tree->removeNode(parent->childCount() == 1 ? parent : node);
    addDietNode(diet, kEntry, false);
}

// ---------------------------------------------------------------------------
// Deleting

void DietTree::removeDietEntry(const QString& mode)
{
    AppContext& context = m_main.context();
    Recordset& diet = context.dataSource().rsDietData;
    NodeTree* tree = view();
    QTreeWidgetItem* node = tree->selectedNode();
    if (NodeTree::tag(node) != kEntry)
        return;
    const QString verb = mode == QLatin1String("CUT") ? QStringLiteral("Cut") : QStringLiteral("Delete");
    if (!context.askYesNo(QStringLiteral("Are you sure you want to ") + verb +
                          QStringLiteral(" the selected Diet Entry?")))
        return;
    try {
        // The row deleted is the one of the selected node, wherever rsDietData stood.
        if (!selectDietRecord(NodeTree::key(node)))
            throw DataError("the entry's row is not there");
        if (mode == QLatin1String("CUT"))
            copyEntryRow(0, 1);
        diet.deleteCurrent();
        if (diet.recordCount() > 0)
            diet.moveFirst();
    } catch (const DataError& error) {
        qWarning() << "removeDietEntry" << error.what();
        context.reportError(QStringLiteral("Unable to Delete Diet Data.  "));
        return;
    }

    QTreeWidgetItem* parent = node->parent();
    if (parent->childCount() == 1) {
        if (QTreeWidgetItem* previous = previousSibling(parent))
            tree->selectNode(previous);
        tree->removeNode(parent);
    } else {
        const int index = parent->indexOfChild(node);
        tree->selectNode(index == 0 ? parent : parent->child(index - 1));
        tree->removeNode(node);
    }
    followSelection();
    if (diet.recordCount() == 0) {
        m_main.foodTree().foodNodeClick(m_main.tvwFood->selectedNode());
        m_main.tvwFood->setFocus();
    } else {
        tree->setFocus();
    }
}

void DietTree::removeDietDay(const QDate& date)
{
    AppContext& context = m_main.context();
    OrvDataSource& ds = context.dataSource();
    QTreeWidgetItem* day = view()->selectedNode();
    if (NodeTree::tag(day) != kDay)
        return;
    if (!context.askYesNo(QStringLiteral("Are you sure you want to Delete all Diet Data for ") + questionDate(date) +
                          QLatin1Char('?')))
        return;
    WaitCursor wait;
    if (!ds.cmdDeleteDietItems(date, date, context.currentUser, QString()))
        return;
    view()->removeNode(day);
    reopenDietData();
    followSelection();
}

void DietTree::removeDietMeal(const QString& mealKey, const QDate& date, const QString& mode)
{
    AppContext& context = m_main.context();
    OrvDataSource& ds = context.dataSource();
    QTreeWidgetItem* meal = view()->selectedNode();
    if (NodeTree::tag(meal) != kMeal)
        return;
    const QString label = context.config().getConfigIfNamed(mealKey);
    if (!context.askYesNo(QStringLiteral("Are you sure you want to ") + mode + QStringLiteral(" all Diet Data for ") +
                          label + QStringLiteral(" - ") + questionDate(date) + QLatin1Char('?')))
        return;
    WaitCursor wait;
    if (mode == QLatin1String("CUT")) {
        try {
            copyMealRows(meal);
        } catch (const DataError& error) {
            // What could not be copied is not cut.
            qWarning() << "removeDietMeal" << error.what();
            context.reportError(QStringLiteral("Unable to delete the selected Meal.  "));
            return;
        }
    }
    if (!ds.cmdDeleteDietItems(date, date, context.currentUser, mealKey))
        return;
    view()->removeNode(meal);
    reopenDietData();
    followSelection();
}

// ---------------------------------------------------------------------------
// The diet clipboard

void DietTree::copyEntryRow(int position, int count)
{
    const DietClipEntry entry = DietClipEntry::fromRecord(m_main.context().dataSource().rsDietData);
    if (position == 0)
        m_dietClipboard.reset(count);
    m_dietClipboard.set(position, entry);
    m_main.commands().setEnabled(Command::Paste, true);
    m_dietClipboardFull = true;
}

void DietTree::copyMealRows(QTreeWidgetItem* meal)
{
    const QStringList keys = childKeys(meal);
    // Every row is read before the clipboard changes: a copy that fails leaves it as it was.
    DietClipboard copied;
    copied.reset(keys.size());
    for (int k = 0; k < keys.size(); ++k) {
        if (!selectDietRecord(keys[k]))
            throw DataError("an entry of the meal is not there");
        copied.set(k, DietClipEntry::fromRecord(m_main.context().dataSource().rsDietData));
    }
    if (copied.isEmpty())
        return;
    m_dietClipboard = copied;
    m_main.commands().setEnabled(Command::Paste, true);
    m_dietClipboardFull = true;
}

bool DietTree::copyDietEntry(int position, int count)
{
    try {
        copyEntryRow(position, count);
        return true;
    } catch (const DataError& error) {
        qWarning() << "copyDietEntry" << error.what();
        m_main.context().reportError(QString::fromLatin1(kReadFailed));
        return false;
    }
}

bool DietTree::copyDietMeal()
{
    QTreeWidgetItem* meal = view()->selectedNode();
    if (NodeTree::tag(meal) != kMeal)
        return false;
    try {
        copyMealRows(meal);
        return true;
    } catch (const DataError& error) {
        qWarning() << "copyDietMeal" << error.what();
        m_main.context().reportError(QString::fromLatin1(kReadFailed));
        return false;
    }
}

void DietTree::pasteDietEntries()
{
    AppContext& context = m_main.context();
    OrvDataSource& ds = context.dataSource();
    Recordset& diet = ds.rsDietData;
    QTreeWidgetItem* node = view()->selectedNode();
    if (!node || m_dietClipboard.isEmpty())
        return;
    const Place place = placeOf(node);
    if (!place.day)
        return;
    const QString mealKey = place.meal ? mealKeyOfPlace(place) : m_dietClipboard.entries().first().MealName;
    loadIfUnopened(place.day, place.date);

    // All rows or none: a paste that fails part-way leaves the log as it was.
    QList<Recordset::Bookmark> added;
    try {
        Transaction transaction(ds);
        for (const DietClipEntry& entry : m_dietClipboard.entries()) {
            const std::optional<qint32> dietId = ds.getTableKey(QStringLiteral("DIETACTIVITY"));
            if (!dietId)
                return; // reported, and the program is ending
            diet.addNew();
            diet.setValue(QStringLiteral("DietId"), *dietId);
            diet.setValue(QStringLiteral("DietDate"), place.date);
            entry.writeTo(diet);
            diet.setValue(QStringLiteral("MealName"), mealKey);
            diet.setValue(QStringLiteral("UserName"), context.currentUser);
            diet.update();
            added << diet.lastModified();
        }
        transaction.commit();
    } catch (const DataError& error) {
        qWarning() << "pasteDietEntries" << error.what();
        diet.cancelUpdate();
        if (!added.isEmpty())
            reopenDietData(); // it still lists the rows that were rolled back
        context.reportError(QString::fromLatin1(kUpdateFailed));
        followSelection();
        return;
    }
    for (Recordset::Bookmark bookmark : added) {
        diet.setBookmark(bookmark);
        addDietNode(diet, kEntry, false);
    }
    followSelection();
}

// ---------------------------------------------------------------------------
// Moving entries and meals by drag and drop

void DietTree::moveDietEntry(QTreeWidgetItem* target)
{
    AppContext& context = m_main.context();
    Recordset& diet = context.dataSource().rsDietData;
    const QString targetTag = NodeTree::tag(target);
    QTreeWidgetItem* dragged = m_main.state().hitNode();
    if ((targetTag != kDay && targetTag != kMeal) || NodeTree::tag(dragged) != kEntry)
        return;
    const Place place = placeOf(target);
    loadIfUnopened(target, place.date);
    try {
        if (!selectDietRecord(NodeTree::key(dragged)))
            throw DataError("the entry's row is not there");
        diet.edit();
        diet.setValue(QStringLiteral("DietDate"), place.date);
        diet.setValue(QStringLiteral("MealName"), mealKeyOfPlace(place));
        diet.update();
        diet.setBookmark(diet.lastModified());
    } catch (const DataError& error) {
        qWarning() << "moveDietEntry" << error.what();
        diet.cancelUpdate();
        context.reportError(QString::fromLatin1(kUpdateFailed));
        return;
    }
    NodeTree* tree = view();
    QTreeWidgetItem* parent = dragged->parent();
    if (parent->childCount() > 1)
        tree->removeNode(dragged);
    else if (NodeTree::tag(parent) == kMeal && parent->parent()->childCount() == 1)
        tree->removeNode(parent->parent());
    else
        tree->removeNode(parent);
    addDietNode(diet, kEntry, false);
    followSelection();
}

void DietTree::moveDietMeal(QTreeWidgetItem* target)
{
    AppContext& context = m_main.context();
    OrvDataSource& ds = context.dataSource();
    Recordset& diet = ds.rsDietData;
    const QString targetTag = NodeTree::tag(target);
    QTreeWidgetItem* meal = m_main.state().hitNode();
    if ((targetTag != kDay && targetTag != kMeal) || NodeTree::tag(meal) != kMeal)
        return;
    const Place place = placeOf(target);
    // On a day the entries keep their meal; on a meal they join it.
    const QString mealKey = targetTag == kDay ? mealKeyOf(NodeTree::key(meal)) : mealKeyOfPlace(place);
    loadIfUnopened(target, place.date);
    const QStringList keys = childKeys(meal);
    // All entries or none: a move that fails part-way leaves the meal where it was.
    try {
        Transaction transaction(ds);
        for (const QString& key : keys) {
            if (!selectDietRecord(key))
                throw DataError("an entry of the meal is not there");
            diet.edit();
            diet.setValue(QStringLiteral("DietDate"), place.date);
            diet.setValue(QStringLiteral("MealName"), mealKey);
            diet.update();
        }
        transaction.commit();
    } catch (const DataError& error) {
        qWarning() << "moveDietMeal" << error.what();
        diet.cancelUpdate();
        context.reportError(QString::fromLatin1(kUpdateFailed));
        followSelection();
        return;
    }
    NodeTree* tree = view();
    QTreeWidgetItem* day = meal->parent();
    tree->removeNode(day->childCount() == 1 ? day : meal);
    for (const QString& key : keys) {
        if (selectDietRecord(key))
            addDietNode(diet, kEntry, false);
    }
    followSelection();
}
