#pragma once

#include "food/nutrients.h"
#include "options/optionsmodel.h"

#include <QFrame>
#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The "Daily Goals" page of the options dialog: the daily goals of one user
// at a time, chosen in cmbGoalUser, in one box per nutrient. It holds what
// was typed for every user until the dialog stores it; switching the user
// keeps the boxes' texts and shows the other user's.
class GoalsPage : public QFrame
{
    Q_OBJECT

public:
    using UserGoals = std::array<QString, kNutrientCount>;
    using AllGoals = std::array<UserGoals, OptionsValues::kUsers>;

    explicit GoalsPage(QWidget* parent = nullptr);

    // Every user's goal texts, and the user whose goals show.
    void setGoals(const AllGoals& goals, int user);
    AllGoals goals() const;
    int user() const { return m_user; }
    void setUser(int user);

    // The names the users go by on the first page (blank: "User n").
    void setUserName(int user, const QString& name);
    // The labels the optional nutrients go by on the second page.
    void setOtherLabel(int other, const QString& label);

    // Shows a goal's box with its text selected, to be mended.
    void showGoal(int user, int nutrient);

    QComboBox* cmbGoalUser = nullptr;
    std::array<QLineEdit*, kNutrientCount> txtGoal{};
    std::array<QLabel*, kNutrientCount> lblGoal{};
    QPushButton* cmdReferenceValues = nullptr;

private:
    void keepShown();
    void useReferenceValues();

    AllGoals m_goals;
    int m_user = 0;
};
