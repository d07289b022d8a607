#pragma once

#include "food/nutrients.h"

#include <QString>

class Recordset;

// The food item held by Copy and Cut in the food tree, kept for the rest of
// the run; a paste appends a copy of it with a new id.
struct FoodClipboard
{
    qint32 foodId = 0;
    qint32 groupId = 0;
    QString name;
    QString servingSize;
    Nutrients nutrients{};
    qint32 gramWeight = 0; // USDA_GM_WT in whole grams, a half to the even neighbour
    qint32 measureNo = 0;
    qint32 ndbNo = 0;

    // The current row of a food recordset.
    static FoodClipboard fromRecord(const Recordset& foods);
    // Fills the row being appended to a food recordset: this item in group
    // groupId under the id foodId, the name unchanged.
    void writeCopy(Recordset& foods, qint32 groupId, qint32 foodId) const;
};
