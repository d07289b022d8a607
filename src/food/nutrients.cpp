#include "food/nutrients.h"

#include "data/recordset.h"

const std::array<QString, kNutrientCount>& nutrientColumns()
{
    static const std::array<QString, kNutrientCount> columns = {
        QStringLiteral("Fat"),     QStringLiteral("Protein"), QStringLiteral("Carbohydrate"),
        QStringLiteral("Calorie"), QStringLiteral("Sodium"),  QStringLiteral("Cholesterol"),
        QStringLiteral("Other1"),  QStringLiteral("Other2")};
    return columns;
}

Nutrients readNutrients(const Recordset& recordset)
{
    Nutrients values{};
    for (int i = 0; i < kNutrientCount; ++i)
        values[i] = recordset.number(nutrientColumns()[i]);
    return values;
}

void writeNutrients(Recordset& recordset, const Nutrients& values)
{
    for (int i = 0; i < kNutrientCount; ++i)
        recordset.setValue(nutrientColumns()[i], values[i]);
}
