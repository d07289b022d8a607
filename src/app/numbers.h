#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Number rules shared by the food catalogue and the diet log: rounding, the
// number formats the windows show, and reading numbers users type.

// value rounded to the given number of decimal places, an exact half going to
// the even neighbour. "Exact" is judged on the shortest decimal text of the
// value (what the user typed or sees), so 0.15 counts as a half although its
// binary value lies a little below it: 12.25 -> 12.2, 0.15 -> 0.2, 2.5 -> 2.
// Infinities and NaN come back unchanged.
double roundHalfEven(double value, int decimals = 0);

// Whole grams as they are handed to a diet entry, the food or diet clipboard
// or a food builder entry: rounded half to even (28.35 -> 28, 42.5 -> 42,
// 43.5 -> 44, 0.4 -> 0), held to the 32-bit range; 0 for a value that is not finite.
qint32 wholeGrams(double grams);

// A number as a user types it into a box: an optional sign, digits with an
// optional decimal point, an optional exponent (12, 12.5, -1, 1e3), blanks
// around it allowed. Blank text, any other text ("1,5,3"), and values that
// are not finite ("inf", "nan", 1e999) give no value.
std::optional<double> parseNumber(const QString& text);

// What the formats below show for a stored value that is not a number at all
// (an infinity or NaN a damaged or foreign file may hold): never "inf" or
// "nan", and never a number that would hide the fault.
extern const QString kNotANumberText;

// value with at least one digit before the point and exactly decimals after,
// rounded ("0.00" for 2 decimals, "0.000" for 3); a value that rounds to zero
// shows no minus ("0.00", never "-0.00"); one that is not finite shows as
// kNotANumberText.
QString formatFixed(double value, int decimals);

// The "0.000" format of nutrient values in the food item editor.
QString formatNutrient(double value);

// Whether value shows in full in a nutrient box: at most seven digits before
// the point in the "0.000" format (9999999.999 does, 1e7 and 1e308 do not).
bool fitsNutrientBox(double value);

// A total in the diet totals window: rounded half to even to one decimal and
// written in its shortest plain form (12.25 -> "12.2", 12.0 -> "12", 0.5 -> "0.5").
QString formatOneDecimal(double value);

// A number of servings with the format "#0.00" (0.25 -> "0.25", 1 -> "1.00").
QString formatServings(double servings);

// The most servings one diet entry or food builder entry takes: more is a
// typing slip, which the servings dialogs refuse as not numeric.
constexpr double kMostServings = 10000;

// Whether servings is finite and no further from zero than kMostServings.
bool withinServingsLimit(double servings);

// A number in its shortest plain form without blanks or separators (2.5 -> "2.5", 1 -> "1").
QString plainNumber(double value);
