#include "widgets/mealcombo.h"

#include "app/configstore.h"

#include <QComboBox>

void fillMealCombo(ConfigStore& config, QComboBox* combo, const QString& selectedLabel)
{
    const ConfigStore::MealChoices choices = config.mealChoices(selectedLabel);
    combo->clear();
    combo->addItems(choices.entries);
    combo->setCurrentIndex(choices.selected);
}

QString chosenMealKey(ConfigStore& config, const QComboBox* combo)
{
    if (combo->currentIndex() <= 0)
        return QString();
    return config.findConfigItem(combo->currentText());
}
