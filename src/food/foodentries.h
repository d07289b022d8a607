#pragma once

#include "food/nutrients.h"

#include <QString>
#include <array>
#include <optional>

class Recordset;

// The kinds of food item, told apart by the USDA number.
enum class FoodKind {
    OriginalUsda, // USDA_NDB_NO equals FoodId: a measure must be chosen from its list
    UsdaCopy,     // another USDA number: a typed serving size breaks the USDA link
    User,         // USDA number 0: any serving size
};
FoodKind foodKind(qint32 foodId, qint32 ndbNo);

// Serving-size rescaling of the food item editor: only for a food with a gram
// weight and a list of measures; the values are the stored ones times the
// chosen measure's grams over the food's grams.
bool canRescale(double foodGrams, bool hasMeasures);
Nutrients rescaleNutrients(const Nutrients& stored, double foodGrams, double measureGrams);

// One nutrient box: the text it holds and the exact value the program last
// showed in it, so that a value left alone is stored exactly rather than as
// its three-decimal text.
struct NutrientEntry
{
    QString text;
    QString shownText;
    double shownValue = 0;

    // The value to store; nothing when the text is not a number.
    std::optional<double> value() const;
};

// What the user entered in the food item editor.
struct FoodEntries
{
    QString name;
    std::array<NutrientEntry, kNutrientCount> nutrients; // in nutrient order
    QString servingText;
    int servingIndex = -1; // the measure chosen from the list; -1 when the size was typed
    int groupIndex = -1;   // the group chosen; -1 when none

    // The message of the first check that fails, in the editor's order
    // (numbers that show in full in their boxes, serving size, group); empty
    // when every check passes.
    QString problem(FoodKind kind, bool hasMeasures, const QString& appTitle) const;

    // Writes the entries into the row of foods being edited or appended (the
    // caller has begun Edit or AddNew): nutrients, name, serving size with its
    // USDA columns (from the measure at servingIndex of measures), and for a
    // new row the group at groupIndex of groups. Call after problem() is empty.
    void writeTo(Recordset& foods, Recordset& measures, Recordset& groups, bool newRow) const;
};

namespace FoodMessages {
extern const char* const kNotNumeric;
extern const char* const kOriginalServing;
extern const char* const kNoServing;
QString noGroup(const QString& appTitle);
} // namespace FoodMessages
