#pragma once

#include <QObject>

class MainWindow;

// The food item editor's operations on the pending food record of rsFoods:
// Food Item Details, New Food Item, and storing or discarding a pending change.
class FoodItemEditor : public QObject
{
    Q_OBJECT

public:
    explicit FoodItemEditor(MainWindow& main);

    void showFoodDetails();
    void newFoodItem();
    void saveFoodData(bool noPrompt);

private:
    MainWindow& m_main;
};
