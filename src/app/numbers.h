#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Number rules shared by the food catalogue and the diet log.

// Whole grams as they are handed to a diet entry, the food clipboard or a food
// builder entry: the nearest integer, a half going to the even neighbour
// (28.35 -> 28, 42.5 -> 42, 43.5 -> 44), held to the 32-bit range; a value
// that is not a number gives 0.
qint32 roundHalfEven(double value);

// A number as a user types it into a box: an optional sign, digits with an
// optional decimal point, an optional exponent (12, 12.5, -1, 1e3), blanks
// around it allowed. Blank text, any other text, and values that are not
// finite ("inf", "nan", 1e999) give no value.
std::optional<double> parseNumber(const QString& text);

// The "0.000" format of nutrient values: at least one digit before the point,
// exactly three after, rounded; a value that rounds to zero shows no sign.
QString formatNutrient(double value);
