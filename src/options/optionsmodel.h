#pragma once

#include "food/nutrients.h"

#include <QString>
#include <array>
#include <optional>

class AppContext;

// Everything the options dialog edits, as its boxes hold it.
struct OptionsValues
{
    static constexpr int kUsers = 4;
    static constexpr int kMeals = 10;
    static constexpr int kSnapshotLabels = 8;

    std::array<QString, kUsers> users;
    int currentUser = 0; // index into users of the user marked current
    QString other1;
    QString other2;
    std::array<QString, kMeals> meals;
    std::array<QString, kSnapshotLabels> snapshots;
    // Each user's daily goals as typed, in nutrient order ("" for no goal).
    std::array<std::array<QString, kNutrientCount>, kUsers> goals;
};

// Loads, checks and stores the configuration items the options dialog edits:
// user names and the current user, the optional nutrient labels, the meal
// labels, the snapshot labels and the users' daily goals.
class OptionsModel
{
public:
    // Labels of the optional nutrients are kept to this length.
    static constexpr int kOtherLabelLength = 10;
    static const QString kMissingValueMessage;

    explicit OptionsModel(AppContext& context);

    OptionsValues load() const;

    // Stores values when they pass the checks and returns true; otherwise
    // tells the user why and stores nothing. The optional labels in values
    // become what was stored. Marking another user makes it the current user.
    bool save(OptionsValues& values);

    // A save has made another user current since this model was made.
    bool userChanged() const { return m_userChanged; }

    // The goal a save refused last (user and nutrient index), if it refused one.
    struct GoalPlace
    {
        int user = 0;
        int nutrient = 0;
    };
    std::optional<GoalPlace> refusedGoal() const { return m_refusedGoal; }

    static QString userKey(int index) { return QStringLiteral("USER%1").arg(index + 1); }
    static QString mealKey(int index) { return QStringLiteral("MEAL%1").arg(index); }
    static QString snapshotKey(int index) { return QStringLiteral("SNAPSHOT%1").arg(index + 1); }

private:
    bool check(const OptionsValues& values);
    bool checkGoals(const OptionsValues& values);

    AppContext& m_context;
    bool m_userChanged = false;
    std::optional<GoalPlace> m_refusedGoal;
};
