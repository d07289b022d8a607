#pragma once

#include <QStringList>
#include <array>

class Recordset;

constexpr int kNutrientCount = 8;

// The eight tracked nutrients of a food (per serving) or of a diet entry (what
// was eaten), always in this order: Fat, Protein, Carbohydrate, Calorie,
// Sodium, Cholesterol, Other1, Other2.
struct Nutrients
{
    std::array<double, kNutrientCount> values{};

    double& operator[](int i) { return values[i]; }
    double operator[](int i) const { return values[i]; }

    // The column of each nutrient, in the order above.
    static const QStringList& columns();

    // The nutrient columns of the current row (or of the row being edited).
    static Nutrients read(const Recordset& recordset);
    // Sets the nutrient columns of the row being appended or edited.
    void write(Recordset& recordset) const;

    Nutrients times(double factor) const;
    bool isFinite() const;
    bool operator==(const Nutrients&) const = default;
};
