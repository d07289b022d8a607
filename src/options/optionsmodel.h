#pragma once

#include <QString>
#include <array>

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
};

// Loads, checks and stores the configuration items the options dialog edits:
// user names and the current user, the optional nutrient labels, the meal
// labels and the snapshot labels.
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

    static QString userKey(int index) { return QStringLiteral("USER%1").arg(index + 1); }
    static QString mealKey(int index) { return QStringLiteral("MEAL%1").arg(index); }
    static QString snapshotKey(int index) { return QStringLiteral("SNAPSHOT%1").arg(index + 1); }

private:
    bool check(const OptionsValues& values) const;

    AppContext& m_context;
    bool m_userChanged = false;
};
