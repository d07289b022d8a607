#pragma once

#include "food/nutrients.h"

#include <QtGlobal>
#include <optional>

// How a food's nutrients become a diet entry's, and how an entry is rescaled.
namespace DietScaling {

// The weight ratio of a chosen serving to the food's own serving:
// gramWeight / foodGramWeight, and 1 when either weight is 0 (a food or
// serving without a weight) or when the chosen serving weighs the food's own
// serving in whole grams (one serving of a 14.2 g food logged as 14 g is still
// exactly one serving).
double servingRatio(double foodGramWeight, qint32 gramWeight);

// An entry's nutrients: the food's values x servings x ratio, not rounded.
Nutrients entryNutrients(const Nutrients& food, double servings, double ratio);

// An edited entry's nutrients: present / oldServings x newServings x ratio.
// Nothing when oldServings is 0 or a value would not be finite, so an entry
// that cannot be rescaled is left as it is.
std::optional<Nutrients> rescaledEntry(const Nutrients& present, double oldServings, double newServings,
                                       double ratio);

// The ratio of an edit that chooses a measure: measureGrams / the entry's
// present gram weight; nothing when that weight is 0.
std::optional<double> editRatio(double measureGrams, double entryGramWeight);

} // namespace DietScaling
