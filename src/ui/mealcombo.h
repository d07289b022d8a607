#pragma once

#include <QString>

class ConfigStore;
class QComboBox;

// Fills a meal drop-down: "Select a Meal", then every meal label in use in
// meal order. The label equal to selectedLabel is selected (the last one when
// several are equal), else "Select a Meal".
void fillMealCombo(QComboBox& combo, ConfigStore& config, const QString& selectedLabel);
