#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Rounding, number texts and number input of the diet log.
namespace DietNumbers {

// value rounded to the given number of decimal places, an exact half going to
// the even neighbour. "Exact" is judged on the shortest decimal text of the
// value (what the user typed or sees), so 0.15 counts as a half although its
// binary value lies a little below it: 12.25 -> 12.2, 0.15 -> 0.2, 2.5 -> 2.
// Infinities and NaN come back unchanged.
double roundHalfEven(double value, int decimals = 0);

// A weight in whole grams, as diet entries, the diet clipboard and the food
// builder keep it: rounded half to even (28.35 -> 28, 0.4 -> 0, 0.5 -> 0,
// 1.5 -> 2); 0 for a value that is not finite.
qint32 wholeGrams(double grams);

// A total in the diet totals window: rounded half to even to one decimal and
// written in its shortest plain form (12.25 -> "12.2", 12.0 -> "12", 0.5 -> "0.5").
QString formatOneDecimal(double value);

// A number of servings with the format "#0.00" (0.25 -> "0.25", 1 -> "1.00").
QString formatServings(double servings);

// A number in its shortest plain form without blanks or separators (2.5 -> "2.5", 1 -> "1").
QString plainNumber(double value);

// The number in a servings text: a plain decimal number, optionally signed and
// with an exponent, blanks around it allowed. Nothing for a blank text, a text
// with separators ("1,5,3") and values that are not finite ("inf", "nan").
std::optional<double> parseServings(const QString& text);

} // namespace DietNumbers
