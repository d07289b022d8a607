#pragma once

#include <QObject>

class FoodDataDialog;
class MainWindow;

// The food item editor's operations on the pending food record of rsFoods:
// Food Item Details, New Food Item, and storing or discarding a pending change.
// A record is pending between the editor's Save (or a rename or paste) and
// the moment it is stored.
class FoodItemEditor : public QObject
{
    Q_OBJECT

public:
    explicit FoodItemEditor(MainWindow& main);

    void showFoodDetails();
    void newFoodItem();
    // Stores the pending record (asking first unless noPrompt) or discards
    // it. A failed store is reported and the record discarded. True when
    // nothing is left pending and nothing failed.
    bool saveFoodData(bool noPrompt);
    // Before moving to another food: saveFoodData(false) when a change is pending.
    void resolvePendingFood();
    // Checks the dialog's entries (showing the first problem) and writes them
    // into the current food record; true on success.
    bool validateAndStoreFood(FoodDataDialog& dialog);

private:
    // Stores the pending record and shows it in the tree. On failure it
    // reports the failure and leaves the record pending, so the editor can
    // keep the user's entries open.
    bool storePendingFood();
    void discardPendingFood();

    MainWindow& m_main;
};
