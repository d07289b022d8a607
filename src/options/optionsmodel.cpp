#include "options/optionsmodel.h"

#include "app/appcontext.h"
#include "app/configstore.h"
#include "goals/dailygoals.h"

const QString OptionsModel::kMissingValueMessage =
    QStringLiteral("You must enter a value for all Configuration Items");

OptionsModel::OptionsModel(AppContext& context) : m_context(context) {}

OptionsValues OptionsModel::load() const
{
    ConfigStore& config = m_context.config();
    OptionsValues values;
    values.other1 = config.getConfig(QStringLiteral("OTHER1"));
    values.other2 = config.getConfig(QStringLiteral("OTHER2"));
    for (int i = 0; i < OptionsValues::kUsers; ++i) {
        values.users[i] = config.getConfig(userKey(i));
        if (userKey(i) == m_context.currentUser)
            values.currentUser = i;
    }
    for (int i = 0; i < OptionsValues::kMeals; ++i)
        values.meals[i] = config.getConfigIfNamed(mealKey(i));
    for (int i = 0; i < OptionsValues::kSnapshotLabels; ++i)
        values.snapshots[i] = config.getConfig(snapshotKey(i));
    // As stored, so that a goal that cannot be read shows and is mended rather than lost.
    for (int i = 0; i < OptionsValues::kUsers; ++i) {
        for (int n = 0; n < kNutrientCount; ++n)
            values.goals[i][n] = config.getConfig(DailyGoals::itemKey(userKey(i), n));
    }
    return values;
}

bool OptionsModel::checkGoals(const OptionsValues& values)
{
    m_refusedGoal.reset();
    for (int i = 0; i < OptionsValues::kUsers; ++i) {
        for (int n = 0; n < kNutrientCount; ++n) {
            const QString& text = values.goals[i][n];
            const DailyGoals::Refusal refusal = DailyGoals::check(text);
            if (refusal == DailyGoals::Refusal::None)
                continue;
            m_refusedGoal = GoalPlace{i, n};
            m_context.exclaim(DailyGoals::refusalMessage(
                refusal, text, DailyGoals::caption(n, values.other1.trimmed(), values.other2.trimmed()),
                values.users[i].trimmed()));
            return false;
        }
    }
    return true;
}

bool OptionsModel::check(const OptionsValues& values)
{
    const auto blank = [](const QString& text) { return ConfigStore::trimSpaces(text).isEmpty(); };
    bool missing = blank(values.other1) || blank(values.other2);
    for (const QString& user : values.users)
        missing = missing || blank(user);
    if (missing) {
        m_context.inform(kMissingValueMessage);
        return false;
    }
    return checkGoals(values);
}

bool OptionsModel::save(OptionsValues& values)
{
    if (!check(values))
        return false;
    ConfigStore& config = m_context.config();
    values.other1 = ConfigStore::leftChars(values.other1, kOtherLabelLength);
    values.other2 = ConfigStore::leftChars(values.other2, kOtherLabelLength);
    config.setConfig(QStringLiteral("OTHER1"), values.other1, false);
    config.setConfig(QStringLiteral("OTHER2"), values.other2, false);
    for (int i = 0; i < OptionsValues::kUsers; ++i) {
        const bool current = i == values.currentUser;
        config.setConfig(userKey(i), values.users[i], current);
        if (current && userKey(i) != m_context.currentUser) {
            m_context.currentUser = userKey(i);
            m_userChanged = true;
        }
    }
    for (int i = 0; i < OptionsValues::kMeals; ++i)
        config.setConfig(mealKey(i), ConfigStore::trimSpaces(values.meals[i]), false);
    for (int i = 0; i < OptionsValues::kSnapshotLabels; ++i)
        config.setConfig(snapshotKey(i), ConfigStore::trimSpaces(values.snapshots[i]), false);
    for (int i = 0; i < OptionsValues::kUsers; ++i)
        values.goals[i] = DailyGoals::write(m_context, userKey(i), values.goals[i]);
    return true;
}
