#pragma once

#include <QString>
#include <array>

class Recordset;

// The eight tracked nutrients, always in this order: Fat, Protein,
// Carbohydrate, Calorie, Sodium, Cholesterol, Other1, Other2.
constexpr int kNutrientCount = 8;
using Nutrients = std::array<double, kNutrientCount>;

// The column of each nutrient, in the order above.
const std::array<QString, kNutrientCount>& nutrientColumns();

// The nutrient columns of the current row (or of the row being edited).
Nutrients readNutrients(const Recordset& recordset);
// Writes the nutrient columns of the row being edited or appended.
void writeNutrients(Recordset& recordset, const Nutrients& values);
