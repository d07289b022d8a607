#include "food/foodentries.h"

#include "app/numbers.h"
#include "data/positioning.h"
#include "data/recordset.h"

namespace FoodMessages {
const char* const kNotNumeric = "All Nutritional Data Values must be numeric.";
const char* const kOriginalServing =
    "You can not enter a new Serving Size for an original USDA Food Item.  If you wish to have a different "
    "Serving Size for this Food Item, make a copy of it and edit the copy.";
const char* const kNoServing = "You must enter a Serving Size.";

QString noGroup(const QString& appTitle)
{
    return QStringLiteral(
               "You must select one of the available Food Groups.  If you want to associate this Food "
               "Item with another Food Group, you must first Add the new Food Group on the ") +
           appTitle + QStringLiteral(" Main Window.");
}
} // namespace FoodMessages

FoodKind foodKind(qint32 foodId, qint32 ndbNo)
{
    if (ndbNo == 0)
        return FoodKind::User;
    return ndbNo == foodId ? FoodKind::OriginalUsda : FoodKind::UsdaCopy;
}

bool canRescale(double foodGrams, bool hasMeasures)
{
    return foodGrams != 0 && hasMeasures;
}

Nutrients rescaleNutrients(const Nutrients& stored, double foodGrams, double measureGrams)
{
    const double factor = measureGrams / foodGrams;
    Nutrients values{};
    for (int i = 0; i < kNutrientCount; ++i)
        values[i] = stored[i] * factor;
    return values;
}

std::optional<double> NutrientEntry::value() const
{
    if (text == shownText && !shownText.isEmpty())
        return shownValue;
    return parseNumber(text);
}

QString FoodEntries::problem(FoodKind kind, bool hasMeasures, const QString& appTitle) const
{
    // A value too large to show in its box is refused as a text would be.
    for (const NutrientEntry& entry : nutrients) {
        const std::optional<double> value = entry.value();
        if (!value || !fitsNutrientBox(*value))
            return QLatin1String(FoodMessages::kNotNumeric);
    }
    if (kind == FoodKind::OriginalUsda) {
        if (servingIndex < 0 && hasMeasures)
            return QLatin1String(FoodMessages::kOriginalServing);
    } else if (servingText.trimmed().isEmpty()) {
        return QLatin1String(FoodMessages::kNoServing);
    }
    if (groupIndex < 0)
        return FoodMessages::noGroup(appTitle);
    return QString();
}

void FoodEntries::writeTo(Recordset& foods, Recordset& measures, Recordset& groups, bool newRow) const
{
    Nutrients values{};
    for (int i = 0; i < kNutrientCount; ++i)
        values[i] = nutrients[i].value().value_or(0.0);
    values.write(foods);
    foods.setValue(QStringLiteral("FoodName"), name);

    const QString serving = servingText.trimmed();
    const QString storedServing = foods.text(QStringLiteral("ServingSize"));
    if (foods.integer(QStringLiteral("USDA_NDB_NO")) == 0) {
        foods.setValue(QStringLiteral("ServingSize"), serving);
    } else if (servingIndex >= 0) {
        moveToMeasure(measures, servingIndex, 0);
        foods.setValue(QStringLiteral("ServingSize"), serving);
        foods.setValue(QStringLiteral("USDA_MSRE_NO"), measures.integer(QStringLiteral("MSRE_NO")));
        foods.setValue(QStringLiteral("USDA_GM_WT"), measures.number(QStringLiteral("GM_WT")));
    } else if (serving != storedServing) {
        // A size of the user's own: the USDA measures no longer describe it.
        foods.setValue(QStringLiteral("ServingSize"), serving);
        foods.setValue(QStringLiteral("USDA_NDB_NO"), 0);
        foods.setValue(QStringLiteral("USDA_MSRE_NO"), 0);
        foods.setValue(QStringLiteral("USDA_GM_WT"), 0);
    }
    // An unchanged size outside the list (a USDA item without measure rows)
    // keeps the item's USDA link: saving other edits must not turn it into a
    // user item.

    if (newRow) {
        moveToGroup(groups, groupIndex, 0);
        foods.setValue(QStringLiteral("GroupId"), groups.integer(QStringLiteral("GroupId")));
    }
}
