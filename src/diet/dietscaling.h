#pragma once

#include "food/nutrients.h"

#include <QtGlobal>
#include <optional>

// How a food's nutrients become a diet entry's, and how an entry is rescaled.
namespace DietScaling {

// The weight ratio of a chosen serving to the food's own serving:
// gramWeight / foodGramWeight exactly (so the food's own serving gives exactly
// 1), and 1 when either weight is 0 (a food or serving without a weight).
double servingRatio(double foodGramWeight, double gramWeight);

// An entry's nutrients: the food's values x servings x ratio, not rounded.
Nutrients entryNutrients(const Nutrients& food, double servings, double ratio);

// An edited entry's nutrients: present / oldServings x newServings x ratio,
// worked out as present x (newServings / oldServings) x ratio so that an edit
// that changes nothing leaves every value exactly as it was. Nothing when
// oldServings is 0 or a value would not be finite, so an entry that cannot be
// rescaled is left as it is.
std::optional<Nutrients> rescaledEntry(const Nutrients& present, double oldServings, double newServings,
                                       double ratio);

// The ratio of an edit that chooses a measure: measureGrams / the entry's
// present gram weight; nothing when that weight is 0.
std::optional<double> editRatio(double measureGrams, double entryGramWeight);

// Whether servings and the nutrients they come to are amounts someone could
// have eaten: within the servings limit (kMostServings), and no nutrient
// beyond a billion of its unit. Anything else is a typing slip the servings dialog
// refuses.
bool isPlausible(double servings, const Nutrients& scaled);

} // namespace DietScaling
