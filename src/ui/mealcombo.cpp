#include "ui/mealcombo.h"

#include "app/configstore.h"

#include <QComboBox>

void fillMealCombo(QComboBox& combo, ConfigStore& config, const QString& selectedLabel)
{
    const ConfigStore::MealChoices choices = config.mealChoices(selectedLabel);
    combo.clear();
    combo.addItems(choices.entries);
    combo.setCurrentIndex(choices.selected);
}
