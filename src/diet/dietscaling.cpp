#include "diet/dietscaling.h"

#include "app/numbers.h"

#include <cmath>

namespace DietScaling {

double servingRatio(double foodGramWeight, double gramWeight)
{
    if (foodGramWeight == 0 || gramWeight == 0)
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
    const double factor = newServings / oldServings;
    Nutrients n;
    for (int i = 0; i < int(n.values.size()); ++i)
        n.values[i] = present.values[i] * factor * ratio;
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

bool isPlausible(double servings, const Nutrients& scaled)
{
    constexpr double kMostOfANutrient = 1e9;
    if (!withinServingsLimit(servings))
        return false;
    for (double value : scaled.values) {
        if (!std::isfinite(value) || std::abs(value) > kMostOfANutrient)
            return false;
    }
    return true;
}

} // namespace DietScaling
