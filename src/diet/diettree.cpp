#include "diet/diettree.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "app/numbers.h"
#include "data/orvdatasource.h"
#include "data/positioning.h"
#include "data/recordset.h"
#include "diet/dietdetailswindow.h"
#include "diet/dietkeys.h"
#include "diet/dietscaling.h"
#include "diet/diettreemodel.h"
#include "diet/servingsdialog.h"
#include "widgets/commandset.h"
#include "widgets/icons.h"
#include "widgets/mealcombo.h"
#include "widgets/servingscombo.h"
#include "widgets/treestate.h"
#include "widgets/waitcursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDateEdit>
#include <QKeyEvent>
#include <QTimer>
#include <QtDebug>

using namespace DietKeys;

namespace {

const QString kFoodItem = QStringLiteral("FOODITEM");
const char* const kUpdateFailed = "Unable to update Diet Data.  ";
const char* const kReadFailed = "Unable to retrieve Diet Data.  ";

// The gram weights of rsMeasures in list order; rsMeasures is left on its first row.
QList<double> measureGrams(Recordset& measures)
{
    QList<double> grams;
    for (measures.moveFirst(); !measures.eof(); measures.moveNext())
        grams << measures.number(QStringLiteral("GM_WT"));
    measures.moveFirst();
    return grams;
}

// The serving of the dialog's chosen measure (rsMeasures is moved to it).
Serving chosenMeasure(Recordset& measures, int index)
{
    moveToMeasure(measures, index, 0);
    return {measures.text(QStringLiteral("MSRE_DESC")), measures.integer(QStringLiteral("MSRE_NO")),
            measures.number(QStringLiteral("GM_WT"))};
}

} // namespace

DietTree::DietTree(DietTreeHost& host, DietView* view)
    : m_host(host), m_view(view), m_log(host.context()),
      m_model(new DietTreeModel(m_log, host.context().config(), this))
{
    m_model->setImages([](const QString& key) { return Icons::tree(key); });
    view->setDietModel(m_model);
    view->setDraggableTags({kEntry, kMeal}); // a day starts no drag
    view->setDropHandler(this);
    connect(view, &DietView::gotFocus, this, &DietTree::onGotFocus);
    connect(view, &DietView::nodeMouseDown, this, &DietTree::onMouseDown);
    connect(view, &DietView::nodeClick, this, &DietTree::dietNodeClick);
    connect(view, &DietView::nodeDoubleClick, this, &DietTree::onDoubleClick);
    connect(view, &DietView::keyDown, this, &DietTree::onKeyDown);
    connect(view, &DietView::contextMenuKey, this, &DietTree::onContextMenuKey);
    connect(view, &DietView::dragStarting, this, &DietTree::onDragStarting);
    connect(view, &DietView::dragFinished, this, [this] {
        m_host.clearFoodDropHighlight();
        m_view->setDropHighlight(QModelIndex());
    });
    connect(view, &QTreeView::expanded, this,
            [this](const QModelIndex& node) { m_model->setExpanded(node, true); });
    connect(view, &QTreeView::collapsed, this,
            [this](const QModelIndex& node) { m_model->setExpanded(node, false); });
}

DietTree::~DietTree()
{
    // The view may outlive the model by a moment while the window goes.
    if (m_view)
        m_view->setDietModel(nullptr);
}

// ---------------------------------------------------------------------------
// Loading and the node vocabulary

void DietTree::loadDietDays()
{
    m_model->loadDietDays();
}

void DietTree::loadDietDay(const QDate& date)
{
    loadIfUnopened(m_model->dayNode(date));
}

void DietTree::loadIfUnopened(const QModelIndex& day)
{
    if (day.isValid() && DietTreeModel::tag(day) == kDay && m_model->rowCount(day) == 0)
        m_model->loadDietDay(day);
}

void DietTree::addDietNode(const DietLogEntry& entry)
{
    // Day captions are ISO dates, so the caption order of the tree is the date
    // order, for days added after the load too.
    QModelIndex day = m_model->dayNode(entry.date);
    if (!day.isValid())
        day = m_model->addDay(entry.date);
    else
        loadIfUnopened(day); // reads every row of the day, this one included
    QModelIndex parent = day;
    if (!entry.mealKey.isEmpty()) {
        parent = m_model->node(mealNodeKey(entry.mealKey, entry.date));
        if (!parent.isValid())
            parent = m_model->addMeal(day, entry.mealKey);
    }
    QModelIndex node = m_model->node(entryKey(entry.dietId));
    if (!node.isValid())
        node = m_model->addEntry(parent, entry.dietId, entry.foodName);
    m_view->selectNode(node);
}

bool DietTree::selectDietRecord(const QString& key)
{
    return m_log.selectDietRecord(dietIdOf(key));
}

void DietTree::refreshMealCaptions()
{
    m_model->refreshMealCaptions();
}

void DietTree::reload()
{
    if (m_log.reopen())
        m_model->loadDietDays();
}

DietTree::Place DietTree::placeOf(const QModelIndex& node) const
{
    Place place;
    const QString tag = DietTreeModel::tag(node);
    if (tag == kDay) {
        place.day = node;
    } else if (tag == kMeal) {
        place.day = node.parent();
        place.meal = node;
    } else if (tag == kEntry) {
        const QModelIndex parent = node.parent();
        if (DietTreeModel::tag(parent) == kMeal) {
            place.meal = parent;
            place.day = parent.parent();
        } else {
            place.day = parent;
        }
    }
    if (place.day.isValid())
        place.date = m_model->dateOf(place.day);
    return place;
}

QString DietTree::mealKeyOfPlace(const Place& place) const
{
    return place.meal.isValid() ? m_model->mealKeyOf(place.meal) : QString();
}

QList<qint32> DietTree::childIds(const QModelIndex& node) const
{
    QList<qint32> ids;
    for (int i = 0; i < m_model->rowCount(node); ++i)
        ids << m_model->dietIdOf(m_model->index(i, 0, node));
    return ids;
}

// ---------------------------------------------------------------------------
// Events of the tree

void DietTree::onGotFocus()
{
    TreeState& state = m_host.state();
    m_host.settlePendingFood();
    state.activeTree = QStringLiteral("DIET");
    CommandSet& commands = m_host.commands();
    for (Command command : {Command::FoodDetails, Command::Rename, Command::New, Command::NewFoodItem,
                            Command::FoodFav, Command::FoodBuilder})
        commands.setEnabled(command, false);
    commands.setEnabled(Command::Delete, true);
    commands.setEnabled(Command::DietDetails, true);
    commands.setEnabled(Command::Paste, m_dietClipboardFull);
    // The food tree left Cut, Copy and the entry command set for its own node.
    setNodeCommands(m_view->selectedNode());
    m_host.setStatusPanel1(QString(), QString());
}

void DietTree::onMouseDown(const QModelIndex& node, Qt::MouseButton button)
{
    TreeState& state = m_host.state();
    // Only a right-button press leads to the context menu: a left press drops a
    // menu that an earlier right press (on empty space) left pending.
    state.popupPending = button == Qt::RightButton;
    state.setHitKey(m_view, DietTreeModel::key(node));
}

void DietTree::setNodeCommands(const QModelIndex& node)
{
    const QString tag = DietTreeModel::tag(node);
    CommandSet& commands = m_host.commands();
    const bool entryOrMeal = tag == kEntry || tag == kMeal;
    commands.setEnabled(Command::Cut, entryOrMeal);
    commands.setEnabled(Command::Copy, entryOrMeal);
    commands.setEnabled(Command::DietEntry, tag == kEntry, Surface::Menu | Surface::Popup);
}

void DietTree::dietNodeClick(const QModelIndex&)
{
    const QModelIndex selected = m_view->selectedNode();
    if (DietTreeModel::tag(selected) == kEntry)
        selectDietRecord(DietTreeModel::key(selected));
    if (selected.isValid())
        setNodeCommands(selected);
    TreeState& state = m_host.state();
    if (state.popupPending) {
        state.popupPending = false;
        m_host.showPopupMenu(QCursor::pos());
    }
}

void DietTree::onContextMenuKey(const QPoint& globalPos)
{
    m_host.state().popupPending = false;
    const QModelIndex selected = m_view->selectedNode();
    if (DietTreeModel::tag(selected) == kEntry)
        selectDietRecord(DietTreeModel::key(selected));
    setNodeCommands(selected);
    m_host.showPopupMenu(globalPos);
}

void DietTree::followSelection()
{
    // No context menu here: the selection moved because of the operation, not a click.
    m_host.state().popupPending = false;
    const QModelIndex selected = m_view->selectedNode();
    if (selected.isValid())
        dietNodeClick(selected);
}

void DietTree::dietDoubleClick()
{
    if (m_model->rowCount() == 0)
        return;
    const QModelIndex selected = m_view->selectedNode();
    const QString tag = DietTreeModel::tag(selected);
    if (tag == kEntry) {
        editDietEntry();
    } else if (tag == kDay && m_model->rowCount(selected) == 0) {
        m_model->loadDietDay(selected);
        m_view->expandIntoView(selected);
    }
}

void DietTree::onDoubleClick(const QModelIndex& node)
{
    // An edit re-creates the entry's node, so the node is known by its key afterwards.
    const QString key = DietTreeModel::key(node);
    const bool opened = DietTreeModel::tag(node) != kEntry && m_model->rowCount(node) > 0;
    dietDoubleClick();
    // A meal or an opened day opens or closes, as a tree does on a double-click.
    if (const QModelIndex again = m_model->node(key); opened && again.isValid())
        m_view->setExpanded(again, !m_view->isExpanded(again));
}

void DietTree::onKeyDown(QKeyEvent* event, bool* handled)
{
    if (m_model->rowCount() == 0)
        return;
    const QModelIndex selected = m_view->selectedNode();
    const QString tag = DietTreeModel::tag(selected);
    if (event->key() == Qt::Key_Escape) {
        if (tag == kEntry || tag == kMeal) {
            const QModelIndex parent = selected.parent();
            m_view->collapse(parent);
            m_view->setCurrentIndex(parent); // the parent is now the node shown selected
            *handled = true;
        }
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (tag == kDay) {
            dietDoubleClick();
            *handled = true;
        }
    }
}

void DietTree::onDragStarting(const QModelIndex& node, QString*)
{
    TreeState& state = m_host.state();
    const QModelIndex selected = m_view->selectedNode();
    state.dragKey = DietTreeModel::key(selected);
    state.dragTag = DietTreeModel::tag(selected);
    if (DietTreeModel::tag(node) == kEntry)
        selectDietRecord(DietTreeModel::key(node));
}

// ---------------------------------------------------------------------------
// Drops

QString DietTree::dragKind(const QString& dragText) const
{
    const TreeState& state = m_host.state();
    // Only a drag of our own trees' nodes is taken: its text is the key of HitNode.
    if (dragText.isEmpty() || state.hitKey != dragText || !state.hitView)
        return QString();
    if (state.hitView == m_host.foodView()) {
        QTreeWidgetItem* hit = state.hitNode();
        return hit && NodeTree::tag(hit) == kFoodItem ? kFoodItem : QString();
    }
    if (state.hitView == m_view) {
        const QString tag = DietTreeModel::tag(m_model->node(dragText));
        if (tag == kEntry || tag == kMeal)
            return tag;
    }
    return QString();
}

bool DietTree::allowedTarget(const QString& dragKind, const QModelIndex& target) const
{
    // Entries without a date take nothing: what lands there would need a date.
    const QString tag = DietTreeModel::tag(target);
    if (!m_model->dateOf(target).isValid())
        return false;
    if (dragKind == kFoodItem)
        return tag == kDay || tag == kMeal || tag == kEntry;
    if (dragKind == kEntry || dragKind == kMeal)
        return tag == kDay || tag == kMeal;
    return false;
}

bool DietTree::canDropOn(const QModelIndex& target, const QString& dragText)
{
    return allowedTarget(dragKind(dragText), target);
}

bool DietTree::acceptsEmptySpace(const QString& dragText)
{
    return dragKind(dragText) == kFoodItem;
}

void DietTree::drop(const QModelIndex& target, const QString& dragText)
{
    const QString targetKey = DietTreeModel::key(target);
    QTimer::singleShot(0, this, [this, targetKey, dragText] {
        const QModelIndex node = targetKey.isEmpty() ? QModelIndex() : m_model->node(targetKey);
        if (targetKey.isEmpty() || node.isValid()) {
            dropOn(node, dragText);
        } else {
            m_view->setDropHighlight(QModelIndex());
            m_host.state().popupPending = false;
        }
    });
}

void DietTree::dropOn(const QModelIndex& target, const QString& dragText)
{
    TreeState& state = m_host.state();
    const bool rightButton = state.popupPending;
    state.popupPending = false;
    const QString kind = dragKind(dragText);
    const bool allowed = target.isValid() ? allowedTarget(kind, target) : kind == kFoodItem;
    if (allowed) {
        if (DietTreeModel::tag(target) == kDay)
            loadIfUnopened(target);
        if (kind == kFoodItem)
            dropFood(target, rightButton);
        else if (kind == kEntry)
            moveDietEntry(target);
        else
            moveDietMeal(target);
    }
    m_view->setDropHighlight(QModelIndex());
}

void DietTree::dropFood(const QModelIndex& target, bool rightButton)
{
    AppContext& context = m_host.context();
    Recordset& foods = context.dataSource().rsFoods;
    // The food tree positioned rsFoods when the drag started; make sure it
    // still stands on the dragged food before anything is logged from it.
    const std::optional<LoggedFood> food = m_host.food(m_host.state().hitKey);
    if (!food) {
        context.reportError(QString::fromLatin1(kUpdateFailed));
        return;
    }
    Place place = target.isValid() ? placeOf(target) : Place{};
    if (!target.isValid())
        place.date = m_host.pickedDate();
    if (!rightButton) {
        logFood(*food, 1.0, place.date, food->serving, mealKeyOfPlace(place));
        return;
    }
    try {
        dropFoodWithDialog(place, target.isValid(), *food);
    } catch (const DataError& error) {
        qWarning() << "dropFood" << error.what();
        foods.cancelUpdate();
        context.reportError(QString::fromLatin1(kUpdateFailed), error);
    }
}

void DietTree::dropFoodWithDialog(const Place& place, bool onTarget, LoggedFood food)
{
    AppContext& context = m_host.context();
    OrvDataSource& ds = context.dataSource();
    Recordset& measures = ds.rsMeasures;
    if (!ds.cmdMeasures(food.ndbNo))
        return;
    CloseOnExit closeMeasures(measures);
    const QList<double> grams = measureGrams(measures);

    ServingsDialog dialog(context, m_view->window());
    dialog.offerServings(measures, food.name, food.serving.measureNo, food.serving.description);
    // Servings beyond what anyone eats are refused as a typing slip.
    dialog.setServingsCheck([&food, grams](double servings, int index) {
        const double ratio =
            DietScaling::servingRatio(food.serving.grams, grams.value(index, food.serving.grams));
        return DietScaling::isPlausible(servings,
                                        DietScaling::entryNutrients(food.nutrients, servings, ratio));
    });
    // The meal offered first: the target's meal, or for a day the main window's choice.
    QString label;
    if (place.meal.isValid())
        label = DietTreeModel::caption(place.meal);
    else if (onTarget)
        label = m_host.pickedMealLabel();
    dialog.dtDate->setDate(place.date);
    fillMealCombo(context.config(), dialog.cmbMeal, label);

    dialog.exec();
    if (dialog.closeMode() != QLatin1String("OK"))
        return;

    Serving serving = food.serving;
    if (dialog.hasMeasures()) {
        serving = chosenMeasure(measures, dialog.cmbServSize->currentIndex());
        if (dialog.rbPreffered->isChecked() &&
            dialog.cmbServSize->currentText() != food.serving.description) {
            // The food takes the new serving first, so the entry is one of its servings (ratio 1).
            Recordset& foods = ds.rsFoods;
            foods.edit();
            DietLog::markPreferredServing(foods, serving);
            foods.update();
            food = LoggedFood::fromRecord(foods, food.groupName);
        }
    }
    logFood(food, dialog.servings(), dialog.dtDate->date(), serving,
            chosenMealKey(context.config(), dialog.cmbMeal));
}

// ---------------------------------------------------------------------------
// Adding food

void DietTree::logFood(const LoggedFood& food, double servings, const QDate& date, const Serving& serving,
                       const QString& mealKey)
{
    if (m_log.addEntry(food, servings, date, serving, mealKey))
        addDietNode(m_log.current());
}

void DietTree::addDietEntry(double servings, const QDate& date, const Serving& serving,
                            const QString& mealKey)
{
    if (const std::optional<LoggedFood> food = m_host.food(QString()))
        logFood(*food, servings, date, serving, mealKey);
    else
        m_host.context().reportError(QString::fromLatin1(kUpdateFailed));
}

// ---------------------------------------------------------------------------
// Totals

void DietTree::showDietTotals()
{
    const QModelIndex node = m_view->selectedNode();
    if (!node.isValid())
        return;
    AppContext& context = m_host.context();
    ConfigStore& config = context.config();
    std::optional<Nutrients> values;
    const QString tag = DietTreeModel::tag(node);
    if (tag == kEntry) {
        if (const std::optional<DietEntryDetails> details = m_log.details(m_model->dietIdOf(node)))
            values = details->nutrients;
        else
            context.reportError(QString::fromLatin1(kReadFailed));
    } else {
        const Place place = placeOf(node);
        values = m_log.totals(place.date, mealKeyOfPlace(place));
    }
    if (!values)
        return;

    QWidget* main = m_view->window();
    auto* window = new DietDetailsWindow(config.getConfig(QStringLiteral("OTHER1")),
                                         config.getConfig(QStringLiteral("OTHER2")), main);
    window->setValues(DietTreeModel::caption(node), *values);
    if (tag != kEntry && tag != kMeal) // a day's totals measure up to the user's daily goals
        window->setGoals(DailyGoals::read(config, context.currentUser), *values);
    window->adjustSize();
    // Beside the middle of the diet tree, in the tree's vertical middle.
    const QPoint treeTopLeft = m_view->mapTo(main, QPoint(0, 0));
    const int left = (treeTopLeft.x() + m_view->width()) / 2;
    const int top = treeTopLeft.y() + (m_view->height() - window->height()) / 2;
    window->move(main->mapToGlobal(QPoint(left, top)));
    window->show();
    window->raise();
    window->activateWindow();
}

// ---------------------------------------------------------------------------
// The Edit commands

void DietTree::editCopy()
{
    const QString tag = DietTreeModel::tag(m_view->selectedNode());
    if (tag == kEntry)
        copyDietEntry(0, 1);
    else if (tag == kMeal)
        copyDietMeal();
}

void DietTree::editCut()
{
    const QModelIndex node = m_view->selectedNode();
    const QString tag = DietTreeModel::tag(node);
    if (tag == kEntry)
        removeDietEntry(QStringLiteral("CUT"));
    else if (tag == kMeal)
        removeDietMeal(m_model->mealKeyOf(node), m_model->dateOf(node), QStringLiteral("CUT"));
}

void DietTree::editPaste()
{
    if (m_view->selectedNode().isValid())
        pasteDietEntries();
}

void DietTree::editDelete()
{
    const QModelIndex node = m_view->selectedNode();
    const QString tag = DietTreeModel::tag(node);
    if (tag == kEntry)
        removeDietEntry(QStringLiteral("DELETE"));
    else if (tag == kMeal)
        removeDietMeal(m_model->mealKeyOf(node), m_model->dateOf(node), QStringLiteral("DELETE"));
    else if (tag == kDay)
        removeDietDay(m_model->dateOf(node));
}

// ---------------------------------------------------------------------------
// Editing an entry

void DietTree::editDietEntry()
{
    AppContext& context = m_host.context();
    OrvDataSource& ds = context.dataSource();
    Recordset& measures = ds.rsMeasures;
    TreeState& state = m_host.state();
    // Kept across the dialog, while the tree may be repainted.
    const QPersistentModelIndex node = m_view->selectedNode();
    if (DietTreeModel::tag(node) != kEntry)
        return;
    const qint32 dietId = m_model->dietIdOf(node);
    const std::optional<DietEntryDetails> entry = m_log.details(dietId);
    if (!entry) {
        context.reportError(QStringLiteral("Unable to update the selected item.  "));
        state.popupPending = false;
        return;
    }
    if (!ds.cmdMeasures(entry->ndbNo))
        return;
    CloseOnExit closeMeasures(measures);
    const QList<double> grams = measureGrams(measures);

    ServingsDialog dialog(context, m_view->window());
    dialog.offerServings(measures, entry->entry.foodName, entry->serving.measureNo,
                         entry->serving.description);
    ServingsCombo::show(dialog.cmbServings, entry->servings, plainNumber(entry->servings));
    dialog.dtDate->setDate(entry->entry.date.isValid() ? entry->entry.date : QDate::currentDate());
    dialog.rbPreffered->hide(); // an entry is never marked preferred
    const QString mealKey = entry->entry.mealKey;
    fillMealCombo(context.config(), dialog.cmbMeal,
                  mealKey.isEmpty() ? QString() : context.config().getConfigIfNamed(mealKey));
    // Servings beyond what anyone eats are refused as a typing slip.
    dialog.setServingsCheck([&entry, grams](double servings, int index) {
        const double ratio =
            index >= 0 && entry->serving.grams != 0 ? grams.value(index) / entry->serving.grams : 1.0;
        const double factor = entry->servings != 0 ? servings / entry->servings : 0.0;
        return DietScaling::isPlausible(servings, entry->nutrients.times(factor * ratio));
    });

    dialog.exec();
    state.popupPending = false;
    if (dialog.closeMode() != QLatin1String("OK"))
        return;
    std::optional<Serving> measure;
    try {
        if (dialog.hasMeasures())
            measure = chosenMeasure(measures, dialog.cmbServSize->currentIndex());
    } catch (const DataError& error) {
        qWarning() << "editDietEntry" << error.what();
        context.reportError(QString::fromLatin1(kUpdateFailed), error);
        return;
    }
    if (!m_log.editEntry(dietId, dialog.servings(), dialog.dtDate->date(), measure,
                         chosenMealKey(context.config(), dialog.cmbMeal)))
        return;
    const QModelIndex parent = node.parent();
    m_view->removeNode(m_model->rowCount(parent) == 1 ? parent : QModelIndex(node));
    addDietNode(m_log.current());
}

// ---------------------------------------------------------------------------
// Deleting

void DietTree::removeDietEntry(const QString& mode)
{
    AppContext& context = m_host.context();
    // Kept across the question, while the tree may be repainted.
    const QPersistentModelIndex node = m_view->selectedNode();
    if (DietTreeModel::tag(node) != kEntry)
        return;
    const qint32 dietId = m_model->dietIdOf(node);
    const QString verb = mode == QLatin1String("CUT") ? QStringLiteral("Cut") : QStringLiteral("Delete");
    if (!context.askYesNo(QStringLiteral("Are you sure you want to ") + verb +
                          QStringLiteral(" the selected Diet Entry?")))
        return;
    if (mode == QLatin1String("CUT")) {
        const std::optional<DietClipboard> copied = m_log.copyEntries({dietId});
        if (!copied) {
            context.reportError(QStringLiteral("Unable to Delete Diet Data.  "));
            return;
        }
        setClipboard(*copied);
    }
    if (!m_log.removeEntry(dietId))
        return;

    const QModelIndex parent = node.parent();
    QPersistentModelIndex gone = node;
    if (m_model->rowCount(parent) == 1) {
        gone = parent;
        if (parent.row() > 0)
            m_view->selectNode(parent.sibling(parent.row() - 1, 0));
    } else {
        m_view->selectNode(node.row() == 0 ? parent : node.sibling(node.row() - 1, 0));
    }
    m_view->removeNode(gone);
    followSelection();
    if (m_log.isEmpty())
        m_host.focusFoodTree();
    else
        m_view->setFocus();
}

void DietTree::removeDietDay(const QDate& date)
{
    AppContext& context = m_host.context();
    const QModelIndex day = m_view->selectedNode();
    if (DietTreeModel::tag(day) != kDay)
        return;
    const QString shown = date.isValid() ? questionDate(date) : DietTreeModel::invalidDayCaption();
    if (!context.askYesNo(QStringLiteral("Are you sure you want to Delete all Diet Data for ") + shown +
                          QLatin1Char('?')))
        return;
    WaitCursor wait;
    if (!m_log.removeDay(date))
        return;
    m_view->removeNode(m_view->selectedNode());
    followSelection();
}

void DietTree::removeDietMeal(const QString& mealKey, const QDate& date, const QString& mode)
{
    AppContext& context = m_host.context();
    const QModelIndex meal = m_view->selectedNode();
    if (DietTreeModel::tag(meal) != kMeal)
        return;
    const QString label = context.config().getConfigIfNamed(mealKey);
    const QString shown = date.isValid() ? questionDate(date) : DietTreeModel::invalidDayCaption();
    if (!context.askYesNo(QStringLiteral("Are you sure you want to ") + mode +
                          QStringLiteral(" all Diet Data for ") + label + QStringLiteral(" - ") + shown +
                          QLatin1Char('?')))
        return;
    WaitCursor wait;
    if (mode == QLatin1String("CUT")) {
        // What could not be copied is not cut.
        const std::optional<DietClipboard> copied = m_log.copyEntries(childIds(meal));
        if (!copied) {
            context.reportError(QStringLiteral("Unable to delete the selected Meal.  "));
            return;
        }
        if (!copied->isEmpty())
            setClipboard(*copied);
    }
    if (!m_log.removeDay(date, mealKey))
        return;
    m_view->removeNode(m_view->selectedNode());
    followSelection();
}

// ---------------------------------------------------------------------------
// The diet clipboard

void DietTree::setClipboard(const DietClipboard& clipboard)
{
    m_dietClipboard = clipboard;
    m_host.commands().setEnabled(Command::Paste, true);
    m_dietClipboardFull = true;
}

bool DietTree::copyDietEntry(int position, int count)
{
    std::optional<DietClipboard> copied;
    try {
        copied = m_log.copyEntries({m_log.current().dietId});
    } catch (const DataError& error) {
        qWarning() << "copyDietEntry" << error.what();
    }
    if (!copied) {
        m_host.context().reportError(QString::fromLatin1(kReadFailed));
        return false;
    }
    DietClipboard clipboard = position == 0 ? DietClipboard() : m_dietClipboard;
    if (position == 0)
        clipboard.reset(count);
    clipboard.set(position, copied->entries().first());
    setClipboard(clipboard);
    return true;
}

bool DietTree::copyDietMeal()
{
    const QModelIndex meal = m_view->selectedNode();
    if (DietTreeModel::tag(meal) != kMeal)
        return false;
    const std::optional<DietClipboard> copied = m_log.copyEntries(childIds(meal));
    if (!copied) {
        m_host.context().reportError(QString::fromLatin1(kReadFailed));
        return false;
    }
    if (!copied->isEmpty())
        setClipboard(*copied);
    return true;
}

void DietTree::pasteDietEntries()
{
    const QModelIndex node = m_view->selectedNode();
    if (!node.isValid() || m_dietClipboard.isEmpty())
        return;
    const Place place = placeOf(node);
    if (!place.day.isValid() || !place.date.isValid())
        return;
    const QString mealKey =
        place.meal.isValid() ? mealKeyOfPlace(place) : m_dietClipboard.entries().first().MealName;
    loadIfUnopened(place.day);
    const std::optional<QList<qint32>> added = m_log.paste(m_dietClipboard, place.date, mealKey);
    if (added) {
        for (qint32 dietId : *added) {
            if (m_log.selectDietRecord(dietId))
                addDietNode(m_log.current());
        }
    }
    followSelection();
}

// ---------------------------------------------------------------------------
// Moving entries and meals by drag and drop

void DietTree::moveDietEntry(const QModelIndex& target)
{
    const QString targetTag = DietTreeModel::tag(target);
    const QModelIndex dragged = m_model->node(m_host.state().hitKey);
    if ((targetTag != kDay && targetTag != kMeal) || DietTreeModel::tag(dragged) != kEntry)
        return;
    const Place place = placeOf(target);
    const QString draggedKey = DietTreeModel::key(dragged);
    loadIfUnopened(target);
    const QModelIndex moving = m_model->node(draggedKey);
    const qint32 dietId = m_model->dietIdOf(moving);
    if (!m_log.moveEntries({dietId}, place.date, mealKeyOfPlace(place)))
        return;
    const QModelIndex parent = moving.parent();
    if (m_model->rowCount(parent) > 1)
        m_view->removeNode(moving);
    else if (DietTreeModel::tag(parent) == kMeal && m_model->rowCount(parent.parent()) == 1)
        m_view->removeNode(parent.parent());
    else
        m_view->removeNode(parent);
    if (m_log.selectDietRecord(dietId))
        addDietNode(m_log.current());
    followSelection();
}

void DietTree::moveDietMeal(const QModelIndex& target)
{
    const QString targetTag = DietTreeModel::tag(target);
    const QModelIndex meal = m_model->node(m_host.state().hitKey);
    if ((targetTag != kDay && targetTag != kMeal) || DietTreeModel::tag(meal) != kMeal)
        return;
    const Place place = placeOf(target);
    // On a day the entries keep their meal; on a meal they join it.
    const QString mealKey = targetTag == kDay ? m_model->mealKeyOf(meal) : mealKeyOfPlace(place);
    const QString mealNode = DietTreeModel::key(meal);
    loadIfUnopened(target);
    const QModelIndex moving = m_model->node(mealNode);
    const QList<qint32> ids = childIds(moving);
    // All entries or none: a move that fails part-way leaves the meal where it was.
    if (!m_log.moveEntries(ids, place.date, mealKey)) {
        followSelection();
        return;
    }
    const QModelIndex day = moving.parent();
    m_view->removeNode(m_model->rowCount(day) == 1 ? day : moving);
    for (qint32 dietId : ids) {
        if (m_log.selectDietRecord(dietId))
            addDietNode(m_log.current());
    }
    followSelection();
}

// ---------------------------------------------------------------------------
// Find

NameSearch DietTree::findName(const QString& text, bool continuing)
{
    return m_log.find(text, continuing);
}

bool DietTree::showMatch()
{
    const DietLogEntry match = m_log.current();
    // A day never opened is read first.
    if (!m_model->dayNode(match.date).isValid())
        return false;
    loadDietDay(match.date);
    const QModelIndex node = m_model->node(DietKeys::entryKey(match.dietId));
    if (!node.isValid())
        return false;
    m_view->selectNode(node);
    dietNodeClick(node);
    m_view->setFocus();
    return true;
}

void DietTree::restorePosition()
{
    const QModelIndex node = m_view->selectedNode();
    if (DietTreeModel::tag(node) == kEntry)
        selectDietRecord(DietTreeModel::key(node));
    m_view->setFocus();
}
