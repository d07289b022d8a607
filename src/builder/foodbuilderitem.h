#pragma once

#include "app/numbers.h"
#include "food/nutrients.h"

#include <QString>

class Recordset;

// One entry of the food builder: servings of one food at one of its measures.
struct FoodBuilderItem
{
    qint32 foodId = 0;
    QString foodName;
    QString servingSize;
    // What the whole entry holds (all its servings), in nutrient order.
    Nutrients nutrients{};
    qint32 ndbNo = 0;  // the food's USDA number: its measures are offered for the entry
    qint32 msreNo = 0; // the entry's measure
    // Grams of one serving of the entry, exactly as its measure weighs it: a
    // change of measure scales by these, so a measure of under half a gram
    // (a dash, a spray) weighs what it weighs rather than nothing.
    double grams = 0;
    double numServing = 1;
    // One serving of the entry's measure. The entry's values are these times
    // its servings, so an entry set to 0 servings still knows what one serving
    // holds and can be set to any number of servings again.
    Nutrients perServing{};

    // The entry's gram weight as a whole number (a half to the even neighbour).
    qint32 gmWt() const { return wholeGrams(grams); }

    // One serving of the current row of a food recordset: its name, serving
    // size, nutrients, measure, USDA number and gram weight.
    static FoodBuilderItem fromFood(const Recordset& foods);
};
