#pragma once

#include <QString>

class ConfigStore;
class QComboBox;

// Fills a meal drop-down with "Select a Meal" and the meal labels in use, and
// chooses the entry showing selectedLabel (or the first entry).
void fillMealCombo(ConfigStore& config, QComboBox* combo, const QString& selectedLabel);

// The meal key of the entry chosen in a drop-down filled by fillMealCombo:
// "" while "Select a Meal" is chosen.
QString chosenMealKey(ConfigStore& config, const QComboBox* combo);
