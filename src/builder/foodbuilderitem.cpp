#include "builder/foodbuilderitem.h"

#include "data/recordset.h"

FoodBuilderItem FoodBuilderItem::fromFood(const Recordset& foods)
{
    FoodBuilderItem item;
    item.foodId = foods.integer(QStringLiteral("FoodId"));
    item.foodName = foods.text(QStringLiteral("FoodName"));
    item.servingSize = foods.text(QStringLiteral("ServingSize"));
    item.perServing = Nutrients::read(foods);
    item.nutrients = item.perServing;
    item.grams = foods.number(QStringLiteral("USDA_GM_WT"));
    item.msreNo = foods.integer(QStringLiteral("USDA_MSRE_NO"));
    item.ndbNo = foods.integer(QStringLiteral("USDA_NDB_NO"));
    item.numServing = 1;
    return item;
}
