#pragma once

#include "data/recordset.h"
#include "diet/dietclipboard.h"
#include "ui/nodetree.h"

#include <QDate>
#include <QObject>
#include <QString>

class MainWindow;
class QTreeWidgetItem;

// The current user's diet log tree (tvwDiet): days loaded at once, meals and
// entries of a day on first use; adding food to the log, the totals window,
// and every change to logged entries (edit, cut/copy/paste, delete, moves).
//
// Whenever the selected node is an entry, rsDietData stands on its row.
class DietTree : public QObject, public NodeTree::DropHandler
{
    Q_OBJECT

public:
    explicit DietTree(MainWindow& main);

    NodeTree* view() const;

    void loadDietDays();
    void loadDietDay(const QDate& date);
    void addDietNode(Recordset& recordset, const QString& kind, bool bulk);
    // Positions rsDietData on the entry with this node key; false when the row is not there.
    bool selectDietRecord(const QString& key);
    void refreshMealCaptions();
    void dietNodeClick(QTreeWidgetItem* node);
    void dietDoubleClick();
    // Reopens rsDietData for the current user and rebuilds the tree.
    void reload();

    // Adding food (the current row of rsFoods).
    void addDietEntry(double servings, const QDate& date, const QString& servingSize, qint32 measureNo,
                      qint32 gramWeight, const QString& mealKey);
    // Rescales the current rsFoods row, which the caller has put in edit mode,
    // to a new serving that becomes the food's own. The caller stores the row.
    void markPreferredServing(qint32 measureNo, qint32 gramWeight, const QString& description);

    void showDietTotals();

    // Entry editing, routed from the Edit commands while the diet tree is active.
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
    bool canDropOn(NodeTree* tree, QTreeWidgetItem* target, const QString& dragText) override;
    bool acceptsEmptySpace(NodeTree* tree, const QString& dragText) override;
    // Hands the drop to dropOn once the drag is over, so that the servings
    // dialog of a right-button drop does not open inside the drag.
    void drop(NodeTree* tree, QTreeWidgetItem* target, const QString& dragText) override;
    // The drop processing: target is the node at the drop point, nullptr over empty space.
    void dropOn(QTreeWidgetItem* target, const QString& dragText);
    void moveDietEntry(QTreeWidgetItem* target);
    void moveDietMeal(QTreeWidgetItem* target);

private:
    // Where a node puts an entry: the date of its day and its meal node (nullptr
    // for a day or an entry directly under a day).
    struct Place
    {
        QDate date;
        QTreeWidgetItem* day = nullptr;
        QTreeWidgetItem* meal = nullptr;
    };
    Place placeOf(QTreeWidgetItem* node) const;
    QString mealKeyOfPlace(const Place& place) const;

    // The tag of the node a drag started from when the drag carries its key, else "".
    QString dragKind(const QString& dragText) const;
    static bool allowedTarget(const QString& dragKind, const QString& targetTag);

    void onGotFocus();
    void onMouseDown(QTreeWidgetItem* item, Qt::MouseButton button);
    void onDoubleClick(QTreeWidgetItem* item);
    void onKeyDown(QKeyEvent* event, bool* handled);
    void onDragStarting(QTreeWidgetItem* item, QString* data);
    void onExpandChange(QTreeWidgetItem* item, bool expanded);

    // Cut, Copy and Diet Entry Details for the selected node.
    void setNodeCommands(QTreeWidgetItem* node);
    // After the selection moved by itself (nodes removed or re-created): the click processing for it.
    void followSelection();
    void dropFood(QTreeWidgetItem* target, bool rightButton);
    bool positionFood(const QString& foodKey);
    void dropFoodWithDialog(const Place& place, bool onTarget);
    // The copies without their messages; they throw DataError.
    void copyEntryRow(int position, int count);
    void copyMealRows(QTreeWidgetItem* meal);
    // Reopens rsDietData after rows went away behind its back.
    void reopenDietData();
    void loadIfUnopened(QTreeWidgetItem* day, const QDate& date);

    MainWindow& m_main;
    DietClipboard m_dietClipboard;
    bool m_dietClipboardFull = false;
};
