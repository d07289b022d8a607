#pragma once

#include "diet/dietclipboard.h"
#include "diet/dietlog.h"
#include "diet/dietview.h"
#include "widgets/treehost.h"
#include "food/findtarget.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

class AppContext;
class CommandSet;
class DietTreeModel;
struct TreeState;

// What the diet tree needs from the window around it.
class DietTreeHost : public TreeHost
{
public:
    // Settles a change to the current food that is not stored yet.
    virtual void settlePendingFood() = 0;
    virtual void showPopupMenu(const QPoint& globalPos) = 0;
    // The day and the meal label ("" for none) chosen for food added by a double-click.
    virtual QDate pickedDate() = 0;
    virtual QString pickedMealLabel() = 0;
    // Puts rsFoods on the food of a food node's key and answers what an entry
    // takes from it; nothing when the food is not in the catalogue. An empty
    // key: the food rsFoods stands on.
    virtual std::optional<LoggedFood> food(const QString& foodKey) = 0;
    // The food tree: drags start there, and it takes over when the log is empty.
    virtual QWidget* foodView() = 0;
    virtual void clearFoodDropHighlight() = 0;
    virtual void focusFoodTree() = 0;
};

// The current user's diet log tree (tvwDiet): its events, adding food to the
// log, the totals window, and every change to logged entries (edit,
// cut/copy/paste, delete, moves), each done by the DietLog and then mirrored
// node by node in the DietTreeModel.
//
// Whenever the selected node is an entry, rsDietData stands on its row.
class DietTree : public QObject, public DietView::DropHandler, public FindTarget
{
    Q_OBJECT

public:
    DietTree(DietTreeHost& host, DietView* view);
    ~DietTree() override;

    DietView* view() const { return m_view; }
    DietTreeModel& model() const { return *m_model; }
    DietLog& log() { return m_log; }

    void loadDietDays();
    // Reads the meals and entries of a day whose node has no children.
    void loadDietDay(const QDate& date);
    // Shows an entry of the log under its day and meal, making them (or
    // reading its day) as needed, and selects it.
    void addDietNode(const DietLogEntry& entry);
    // Positions rsDietData on the entry with this node key; false when the row is not there.
    bool selectDietRecord(const QString& key);
    void refreshMealCaptions();
    void dietNodeClick(const QModelIndex& node);
    void dietDoubleClick();
    // Reopens rsDietData for the current user and rebuilds the tree.
    void reload();

    // Adds servings of the food rsFoods stands on.
    void addDietEntry(double servings, const QDate& date, const Serving& serving, const QString& mealKey);

    void showDietTotals();

    // The Edit commands while the diet tree is the active one, for the selected node.
    void editCut();
    void editCopy();
    void editPaste();
    void editDelete();

    void editDietEntry();
    void removeDietEntry(const QString& mode);
    void removeDietMeal(const QString& mealKey, const QDate& date, const QString& mode);
    void removeDietDay(const QDate& date);
    // The copies report a row they cannot read and return false.
    bool copyDietEntry(int position, int count);
    bool copyDietMeal();
    void pasteDietEntries();
    bool dietClipboardFull() const { return m_dietClipboardFull; }
    const DietClipboard& dietClipboard() const { return m_dietClipboard; }

    // Drops on the tree. The drag carries the key of HitNode: a food of the food
    // tree, or an entry or a meal of this tree.
    bool canDropOn(const QModelIndex& target, const QString& dragText) override;
    bool acceptsEmptySpace(const QString& dragText) override;
    // Hands the drop to dropOn once the drag is over, so that the servings
    // dialog of a right-button drop does not open inside the drag.
    void drop(const QModelIndex& target, const QString& dragText) override;
    // The drop processing: target is the node at the drop point, invalid over empty space.
    void dropOn(const QModelIndex& target, const QString& dragText);
    void moveDietEntry(const QModelIndex& target);
    void moveDietMeal(const QModelIndex& target);

    // Find over the entries.
    NameSearch findName(const QString& text, bool continuing) override;
    bool showMatch() override;
    void restorePosition() override;

private:
    // Where a node puts an entry: the date of its day, the day, and its meal
    // (invalid for a day or an entry directly under a day).
    struct Place
    {
        QDate date;
        QModelIndex day;
        QModelIndex meal;
    };
    Place placeOf(const QModelIndex& node) const;
    QString mealKeyOfPlace(const Place& place) const;

    // The tag of the node a drag started from when the drag carries its key, else "".
    QString dragKind(const QString& dragText) const;
    bool allowedTarget(const QString& dragKind, const QModelIndex& target) const;

    void onGotFocus();
    void onMouseDown(const QModelIndex& node, Qt::MouseButton button);
    void onDoubleClick(const QModelIndex& node);
    void onKeyDown(QKeyEvent* event, bool* handled);
    void onContextMenuKey(const QPoint& globalPos);
    void onDragStarting(const QModelIndex& node, QString* data);

    // Cut, Copy and Diet Entry Details for the selected node.
    void setNodeCommands(const QModelIndex& node);
    // After the selection moved by itself (nodes removed or re-created): the click processing for it.
    void followSelection();
    void dropFood(const QModelIndex& target, bool rightButton);
    void dropFoodWithDialog(const Place& place, bool onTarget, LoggedFood food);
    void logFood(const LoggedFood& food, double servings, const QDate& date, const Serving& serving,
                 const QString& mealKey);
    QList<qint32> childIds(const QModelIndex& node) const;
    void setClipboard(const DietClipboard& clipboard);
    void loadIfUnopened(const QModelIndex& day);

    DietTreeHost& m_host;
    QPointer<DietView> m_view;
    DietLog m_log;
    DietTreeModel* m_model;
    DietClipboard m_dietClipboard;
    bool m_dietClipboardFull = false;
};
