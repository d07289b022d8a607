#include "builder/foodbuilder.h"

#include "app/numbers.h"
#include "data/recordset.h"
#include "diet/dietscaling.h"
#include "food/foodentries.h"

#include <cmath>

namespace BuilderMessages {
const char* const kNotNumeric = "Number of Servings must be numeric.";
const char* const kNoMeasure = "You must select an existing Serving Size.";
const char* const kNoFoodName = "You must enter a Food Name.";
const char* const kNoServingSize = "You must enter a Serving Size.";
const char* const kNoGroup = "You must select one of the available Food Groups.";
const char* const kTooLarge = "The nutrient values of this entry are too large to be added up.";
const char* const kSaved = "Your new Food Item has been saved.";
const char* const kSavedTitle = "Food Item Saved";
const char* const kUnsaved = "You have unsaved items in the Food Builder.  Do you want to save them?";
const char* const kUnsavedTitle = "Unsaved Data";
} // namespace BuilderMessages

std::optional<Nutrients> FoodBuilder::sum(const QList<FoodBuilderItem>& entries)
{
    Nutrients totals{};
    for (const FoodBuilderItem& entry : entries) {
        for (int i = 0; i < kNutrientCount; ++i)
            totals[i] += entry.nutrients[i];
    }
    if (!totals.isFinite())
        return std::nullopt;
    return totals;
}

FoodBuilder::Outcome FoodBuilder::add(const FoodBuilderItem& item)
{
    if (!item.nutrients.isFinite() || !item.perServing.isFinite() || !std::isfinite(item.numServing))
        return Outcome::OutOfRange;
    QList<FoodBuilderItem> entries = m_entries;
    entries.append(item);
    const std::optional<Nutrients> totals = sum(entries);
    if (!totals)
        return Outcome::OutOfRange;
    m_entries = std::move(entries);
    m_totals = *totals;
    m_unsavedItems = true;
    return Outcome::Done;
}

FoodBuilder::Outcome FoodBuilder::update(int index, const BuilderServing& serving)
{
    if (index < 0 || index >= count())
        return Outcome::Unchanged;
    const FoodBuilderItem& current = m_entries[index];
    if (serving.servingSize == current.servingSize && serving.numServing == current.numServing)
        return Outcome::Unchanged;
    if (!servingsInRange(serving.numServing))
        return Outcome::OutOfRange;
    const double weightFactor = DietScaling::servingRatio(current.grams, serving.grams);
    FoodBuilderItem changed = current;
    changed.perServing = current.perServing.times(weightFactor);
    changed.nutrients = changed.perServing.times(serving.numServing);
    changed.grams = serving.grams;
    changed.servingSize = serving.servingSize;
    changed.msreNo = serving.msreNo;
    changed.numServing = serving.numServing;
    if (!changed.perServing.isFinite() || !changed.nutrients.isFinite())
        return Outcome::OutOfRange;
    QList<FoodBuilderItem> entries = m_entries;
    entries[index] = changed;
    const std::optional<Nutrients> totals = sum(entries);
    if (!totals)
        return Outcome::OutOfRange;
    m_entries = std::move(entries);
    m_totals = *totals;
    return Outcome::Done;
}

void FoodBuilder::remove(int index)
{
    if (index < 0 || index >= count())
        return;
    m_entries.removeAt(index);
    // Fewer finite values still sum to finite totals.
    m_totals = sum(m_entries).value_or(Nutrients{});
    if (m_entries.isEmpty())
        m_unsavedItems = false;
}

void FoodBuilder::empty()
{
    m_entries.clear();
    m_totals = Nutrients{};
    m_unsavedItems = false;
}

QString FoodBuilder::formatTotal(double value)
{
    return formatFixed(value, 2);
}

QString FoodBuilder::servingsText(double servings)
{
    return plainNumber(servings);
}

QStringList FoodBuilder::totalsTexts() const
{
    QStringList texts;
    for (int nutrient : kTotalsOrder)
        texts << formatTotal(m_totals[nutrient]);
    return texts;
}

QStringList FoodBuilder::totalsCaptions(const QString& other1, const QString& other2)
{
    return {QStringLiteral("Calories"), QStringLiteral("Fat"),    QStringLiteral("Cholesterol"),
            QStringLiteral("Sodium"),   QStringLiteral("Carbs"),  QStringLiteral("Protein"),
            other1,                     other2};
}

bool FoodBuilder::servingsInRange(double servings)
{
    return servings >= 0 && withinServingsLimit(servings);
}

std::optional<double> FoodBuilder::parseServings(const QString& text)
{
    const std::optional<double> value = parseNumber(text);
    if (!value || !servingsInRange(*value))
        return std::nullopt;
    return *value == 0 ? 0.0 : *value; // "-0" is no servings
}

QString FoodBuilder::saveProblem(const QString& foodName, const QString& servingSize, bool groupChosen) const
{
    if (foodName.trimmed().isEmpty())
        return QLatin1String(BuilderMessages::kNoFoodName);
    if (servingSize.trimmed().isEmpty())
        return QLatin1String(BuilderMessages::kNoServingSize);
    if (!groupChosen)
        return QLatin1String(BuilderMessages::kNoGroup);
    // A food holds only what its editor can show in full.
    for (double total : m_totals.values) {
        if (!fitsNutrientBox(total))
            return QLatin1String(FoodMessages::kNotNumeric);
    }
    return QString();
}

void FoodBuilder::writeFood(Recordset& foods, qint32 foodId, qint32 groupId, const QString& foodName,
                            const QString& servingSize) const
{
    foods.setValue(QStringLiteral("FoodId"), foodId);
    m_totals.write(foods);
    foods.setValue(QStringLiteral("FoodName"), foodName);
    foods.setValue(QStringLiteral("ServingSize"), servingSize.trimmed());
    foods.setValue(QStringLiteral("USDA_NDB_NO"), 0);
    foods.setValue(QStringLiteral("USDA_MSRE_NO"), 0);
    foods.setValue(QStringLiteral("USDA_GM_WT"), 0);
    foods.setValue(QStringLiteral("GroupId"), groupId);
}
