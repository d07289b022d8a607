#include "food/foodclipboard.h"

#include "app/numbers.h"
#include "data/recordset.h"

FoodClipboard FoodClipboard::fromRecord(const Recordset& foods)
{
    FoodClipboard item;
    item.foodId = foods.integer(QStringLiteral("FoodId"));
    item.groupId = foods.integer(QStringLiteral("GroupId"));
    item.name = foods.text(QStringLiteral("FoodName"));
    item.servingSize = foods.text(QStringLiteral("ServingSize"));
    item.nutrients = Nutrients::read(foods);
    item.gramWeight = wholeGrams(foods.number(QStringLiteral("USDA_GM_WT")));
    item.measureNo = foods.integer(QStringLiteral("USDA_MSRE_NO"));
    item.ndbNo = foods.integer(QStringLiteral("USDA_NDB_NO"));
    return item;
}

void FoodClipboard::writeCopy(Recordset& foods, qint32 targetGroupId, qint32 newFoodId) const
{
    foods.setValue(QStringLiteral("GroupId"), targetGroupId);
    foods.setValue(QStringLiteral("FoodId"), newFoodId);
    foods.setValue(QStringLiteral("FoodName"), name);
    foods.setValue(QStringLiteral("ServingSize"), servingSize);
    nutrients.write(foods);
    foods.setValue(QStringLiteral("USDA_GM_WT"), gramWeight);
    foods.setValue(QStringLiteral("USDA_MSRE_NO"), measureNo);
    foods.setValue(QStringLiteral("USDA_NDB_NO"), ndbNo);
}
