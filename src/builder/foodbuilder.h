#pragma once

#include "builder/foodbuilderitem.h"

#include <QList>
#include <QStringList>
#include <optional>

class Recordset;

// A serving chosen for an entry in the serving size dialog.
struct BuilderServing
{
    QString servingSize;
    qint32 msreNo = 0;
    double grams = 0; // of one serving, exactly
    double numServing = 1;
};

// The food builder's composition: its entries in the order they were added,
// the sums of their nutrients, and whether entries were added since it was
// last saved or emptied. Saved, the sums become one new food item whose one
// serving is the whole composition.
class FoodBuilder
{
public:
    enum class Outcome {
        Done,
        Unchanged,  // the entry already had this serving size and number of servings
        OutOfRange, // refused: a value or a total would not be a finite number
    };

    const QList<FoodBuilderItem>& entries() const { return m_entries; }
    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }

    bool unsavedItems() const { return m_unsavedItems; }
    void clearUnsavedItems() { m_unsavedItems = false; }

    // Appends an entry and marks the builder unsaved.
    Outcome add(const FoodBuilderItem& item);
    // Gives entry index a new serving. The weight factor is the new grams over
    // the entry's, both exact (1 when either is 0); the entry's values become one
    // serving of the new measure times the new number of servings. A serving
    // with the entry's own serving size text and number changes nothing.
    Outcome update(int index, const BuilderServing& serving);
    // Removes entry index; with the last entry gone nothing is left unsaved.
    void remove(int index);
    // No entries, totals 0, nothing unsaved.
    void empty();

    // The sums over all entries, in nutrient order.
    const Nutrients& totals() const { return m_totals; }
    // The totals as the totals grid shows them: calories, fat, cholesterol,
    // sodium, carbohydrate, protein, other 1, other 2, each as "#0.00".
    QStringList totalsTexts() const;
    // The totals grid's header for the two optional nutrients' labels.
    static QStringList totalsCaptions(const QString& other1, const QString& other2);
    // "#0.00": at least one digit before the point, two after (1234.5 -> "1234.50").
    static QString formatTotal(double value);
    // A number of servings in its shortest form (1, 2.5, 0.25).
    static QString servingsText(double servings);

    // A number of servings as typed: a finite number from 0 to kMostServings.
    static std::optional<double> parseServings(const QString& text);
    static bool servingsInRange(double servings);

    // The message of the first of Save's checks that fails (a food name, a
    // serving size, a group, totals the food item editor would refuse to
    // store again), empty when all pass.
    QString saveProblem(const QString& foodName, const QString& servingSize, bool groupChosen) const;
    // Fills the food row being appended: the totals as its nutrients, the
    // name, the serving size (trimmed), the group, no USDA link.
    void writeFood(Recordset& foods, qint32 foodId, qint32 groupId, const QString& foodName,
                   const QString& servingSize) const;

    // The nutrient index shown in each column of the totals grid.
    static constexpr int kTotalsOrder[kNutrientCount] = {3, 0, 5, 4, 2, 1, 6, 7};

private:
    // The sums of these entries; nothing when one would not be finite.
    static std::optional<Nutrients> sum(const QList<FoodBuilderItem>& entries);

    QList<FoodBuilderItem> m_entries;
    Nutrients m_totals{};
    bool m_unsavedItems = false;
};

namespace BuilderMessages {
extern const char* const kNotNumeric;
extern const char* const kNoMeasure;
extern const char* const kNoFoodName;
extern const char* const kNoServingSize;
extern const char* const kNoGroup;
extern const char* const kTooLarge;
extern const char* const kSaved;
extern const char* const kSavedTitle;
extern const char* const kUnsaved;
extern const char* const kUnsavedTitle;
} // namespace BuilderMessages
