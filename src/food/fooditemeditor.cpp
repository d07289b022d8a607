#include "food/fooditemeditor.h"

#include "ui/mainwindow.h"

FoodItemEditor::FoodItemEditor(MainWindow& main) : m_main(main) {}

void FoodItemEditor::showFoodDetails() {}
void FoodItemEditor::newFoodItem() {}
void FoodItemEditor::saveFoodData(bool) {}
