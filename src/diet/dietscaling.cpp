#include "diet/dietscaling.h"

#include "data/recordset.h"
#include "diet/dietnumbers.h"

#include <cmath>

const QStringList& Nutrients::columns()
{
    static const QStringList names = {QStringLiteral("Fat"),     QStringLiteral("Protein"),
                                      QStringLiteral("Carbohydrate"), QStringLiteral("Calorie"),
                                      QStringLiteral("Sodium"),  QStringLiteral("Cholesterol"),
                                      QStringLiteral("Other1"),  QStringLiteral("Other2")};
    return names;
}

Nutrients Nutrients::read(const Recordset& recordset)
{
    Nutrients n;
    for (int i = 0; i < int(n.values.size()); ++i)
        n.values[i] = recordset.number(columns()[i]);
    return n;
}

void Nutrients::write(Recordset& recordset) const
{
    for (int i = 0; i < int(values.size()); ++i)
        recordset.setValue(columns()[i], values[i]);
}

Nutrients Nutrients::times(double factor) const
{
    Nutrients n;
    for (int i = 0; i < int(values.size()); ++i)
        n.values[i] = values[i] * factor;
    return n;
}

bool Nutrients::isFinite() const
{
    for (double v : values) {
        if (!std::isfinite(v))
            return false;
    }
    return true;
}

namespace DietScaling {

double servingRatio(double foodGramWeight, qint32 gramWeight)
{
    if (foodGramWeight == 0 || gramWeight == 0 || gramWeight == DietNumbers::wholeGrams(foodGramWeight))
        return 1.0;
    return gramWeight / foodGramWeight;
}

Nutrients entryNutrients(const Nutrients& food, double servings, double ratio)
{
    Nutrients n;
    for (int i = 0; i < int(n.values.size()); ++i)
        n.values[i] = food.values[i] * servings * ratio;
    return n;
}

std::optional<Nutrients> rescaledEntry(const Nutrients& present, double oldServings, double newServings,
                                       double ratio)
{
    if (oldServings == 0 || !std::isfinite(oldServings))
        return std::nullopt;
    Nutrients n;
    for (int i = 0; i < int(n.values.size()); ++i)
        n.values[i] = present.values[i] / oldServings * newServings * ratio;
    if (!n.isFinite())
        return std::nullopt;
    return n;
}

std::optional<double> editRatio(double measureGrams, double entryGramWeight)
{
    if (entryGramWeight == 0 || !std::isfinite(entryGramWeight))
        return std::nullopt;
    return measureGrams / entryGramWeight;
}

} // namespace DietScaling
