#pragma once

#include <QList>
#include <QObject>
#include <functional>

class FoodDataDialog;
class FoodTree;
struct TreeState;

// The food item editor's operations on the pending food record of rsFoods:
// Food Item Details, New Food Item, and storing or discarding a pending change.
// A record is pending between the editor's Save (or a rename or paste) and
// the moment it is stored. While the editor is open the pending record is
// its own: nothing else settles it, and a second editor waits for the first.
class FoodItemEditor : public QObject
{
    Q_OBJECT

public:
    explicit FoodItemEditor(FoodTree& tree);

    // Both open the editor; asked for while it is open (a click that arrived
    // as it was closing), they run once it has closed.
    void showFoodDetails();
    void newFoodItem();
    // Whether the editor is open (or settling what it edited).
    bool isEditing() const { return m_editing; }
    // Runs action at once, or once the open editor has closed.
    void afterEditing(const std::function<void()>& action);
    // Stores the pending record (asking first unless noPrompt) or discards
    // it. A failed store is reported and the record discarded. True when
    // nothing is left pending and nothing failed.
    bool saveFoodData(bool noPrompt);
    // Before moving to another food: saveFoodData(false) when a change is
    // pending. False while the editor is open: its record is left alone, and
    // the caller must not move rsFoods.
    bool resolvePendingFood();
    // Checks the dialog's entries (showing the first problem) and writes them
    // into the current food record; true on success.
    bool validateAndStoreFood(FoodDataDialog& dialog);

private:
    // Marks the editor open for the life of one opening.
    class Editing;

    void settlePending();
    // Stores the pending record and shows it in the tree. On failure it
    // reports the failure and leaves the record pending, so the editor can
    // keep the user's entries open.
    bool storePendingFood();
    void discardPendingFood();
    TreeState& state();

    FoodTree& m_tree;
    bool m_editing = false;
    QList<std::function<void()>> m_afterEditing;
};
