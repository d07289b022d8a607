#pragma once

#include "diet/dietscaling.h"
#include "goals/dailygoals.h"

#include <QFrame>

class QLabel;
class QLineEdit;

// frmDietDetails: a small pop-up with the eight nutrient values of a diet
// entry, or the totals of a meal or a day. It is not modal, and it closes
// itself when Esc is pressed in it or when it loses the focus.
class DietDetailsWindow : public QFrame
{
    Q_OBJECT

public:
    // other1 / other2: the labels of the two optional nutrients.
    DietDetailsWindow(const QString& other1, const QString& other2, QWidget* parent = nullptr);

    // Shows the values, each rounded to one decimal, under the title line.
    void setValues(const QString& detailText, const Nutrients& values);
    // Shows beside each total that has a goal the goal and the share of it
    // (a day's totals; entries and meals show none).
    void setGoals(const DailyGoals& goals, const Nutrients& totals);

    QLabel* lblDetailText = nullptr;
    QLabel* lblOther1 = nullptr;
    QLabel* lblOther2 = nullptr;
    QLineEdit* txtFat = nullptr;
    QLineEdit* txtCarb = nullptr;
    QLineEdit* txtProtein = nullptr;
    QLineEdit* txtCalorie = nullptr;
    QLineEdit* txtCholesterol = nullptr;
    QLineEdit* txtSodium = nullptr;
    QLineEdit* txtOther1 = nullptr;
    QLineEdit* txtOther2 = nullptr;
    // Beside each box, in nutrient order: its goal and share, or nothing.
    std::array<QLabel*, kNutrientCount> lblGoal{};

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool m_wasActive = false;
};
