#include "goals/dailygoals.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "app/numbers.h"
#include "data/recordset.h"

#include <QtDebug>
#include <algorithm>
#include <cmath>

namespace {

// Where each nutrient of the report's order stands in nutrient order.
constexpr std::array<int, kNutrientCount> kReportOrder = {3, 0, 5, 4, 2, 1, 6, 7};

bool hasGoal(std::optional<double> goal)
{
    return goal && *goal > 0;
}

} // namespace

QString DailyGoals::itemKey(const QString& userKey, int nutrient)
{
    // "USER3" -> "GOAL3"
    return QStringLiteral("GOAL") + userKey.mid(4) + Nutrients::columns()[nutrient].toUpper();
}

QString DailyGoals::caption(int nutrient, const QString& other1, const QString& other2)
{
    static const char* const captions[] = {"Fat", "Protein", "Carbohydrates", "Calories", "Sodium", "Cholesterol"};
    if (nutrient < 6)
        return QLatin1String(captions[nutrient]);
    return nutrient == 6 ? other1 : other2;
}

QString DailyGoals::unit(int nutrient)
{
    static const char* const units[] = {"g", "g", "g", "kcal", "mg", "mg", "", ""};
    return QLatin1String(units[nutrient]);
}

DailyGoals DailyGoals::read(ConfigStore& config, const QString& userKey)
{
    DailyGoals goals;
    for (int n = 0; n < kNutrientCount; ++n) {
        const QString stored = config.getConfig(itemKey(userKey, n));
        if (check(stored) == Refusal::None)
            goals.m_goals[n] = parse(stored);
    }
    return goals;
}

DailyGoals DailyGoals::referenceValues()
{
    // Fat, Protein, Carbohydrate, Calorie, Sodium, Cholesterol.
    return DailyGoals(Goals{78.0, 50.0, 275.0, 2000.0, 2300.0, 300.0, std::nullopt, std::nullopt});
}

bool DailyGoals::isEmpty() const
{
    return std::none_of(m_goals.begin(), m_goals.end(), hasGoal);
}

DailyGoals::Goals DailyGoals::inReportOrder() const
{
    Goals ordered;
    for (int i = 0; i < kNutrientCount; ++i)
        ordered[i] = m_goals[kReportOrder[i]];
    return ordered;
}

DailyGoals::Refusal DailyGoals::check(const QString& text)
{
    if (text.trimmed().isEmpty())
        return Refusal::None;
    const std::optional<double> value = parseNumber(text);
    if (!value)
        return Refusal::NotANumber;
    if (*value < 0)
        return Refusal::Negative;
    if (!fitsNutrientBox(*value) || roundHalfEven(*value, kDecimals) != *value)
        return Refusal::CannotShow;
    return Refusal::None;
}

QString DailyGoals::refusalMessage(Refusal refusal, const QString& text, const QString& nutrient,
                                   const QString& user)
{
    const QString goal = QStringLiteral("The Daily Goal for %1 of %2").arg(nutrient, user);
    switch (refusal) {
    case Refusal::None:
        break;
    case Refusal::NotANumber:
        return goal + QStringLiteral(", \"%1\", is not a number. Enter a number such as 1800, or leave the "
                                     "box blank for no goal.")
                          .arg(text.trimmed());
    case Refusal::Negative:
        return goal + QStringLiteral(" cannot be negative. Enter 0 or more, or leave the box blank for no goal.");
    case Refusal::CannotShow:
        return goal + QStringLiteral(", %1, cannot be shown in full. A goal has at most 7 digits before the "
                                     "decimal point and %2 after it.")
                          .arg(text.trimmed())
                          .arg(kDecimals);
    }
    return QString();
}

std::optional<double> DailyGoals::parse(const QString& text)
{
    if (check(text) != Refusal::None)
        return std::nullopt;
    return parseNumber(text);
}

QString DailyGoals::text(std::optional<double> goal)
{
    return goal ? plainNumber(*goal) : QString();
}

std::array<QString, kNutrientCount> DailyGoals::write(AppContext& context, const QString& userKey,
                                                      const std::array<QString, kNutrientCount>& texts)
{
    ConfigStore& config = context.config();
    std::array<QString, kNutrientCount> stored;
    for (int n = 0; n < kNutrientCount; ++n) {
        const QString key = itemKey(userKey, n);
        stored[n] = text(parse(texts[n]));
        if (config.getConfig(key) == stored[n])
            continue; // unchanged, or no goal and no item
        if (config.hasConfig(key)) {
            config.setConfig(key, stored[n], false);
            continue;
        }
        try {
            config.addConfig(key, stored[n], false);
        } catch (const DataError& error) {
            qWarning() << "DailyGoals::write" << key << error.what();
            context.reportError(QStringLiteral("Unable to update the Configuration Data.  "), error);
        }
    }
    return stored;
}

QString DailyGoals::shareText(double total, std::optional<double> goal)
{
    if (!hasGoal(goal))
        return QString();
    if (!std::isfinite(total))
        return kNotANumberText;
    // Hundredths first: 12.25 of 100 is exactly 12.25%, which rounds to 12.2%.
    return formatFixed(roundHalfEven(total * 100 / *goal, 1), 1) + QLatin1Char('%');
}

QString DailyGoals::note(double total, std::optional<double> goal)
{
    if (!hasGoal(goal))
        return QString();
    return QStringLiteral("of %1 (%2)").arg(text(goal), shareText(total, goal));
}
