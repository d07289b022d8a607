#pragma once

#include "options/optionsmodel.h"

#include <QDialog>
#include <array>

class AppContext;
class GoalsPage;
class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

// "Configuration Options" (frmOptions): user names and the current user, the
// optional nutrient labels, the meal labels, the snapshot labels with their
// ready-made sets, and each user's daily goals. OK and Apply store what the boxes hold; Cancel closes
// without storing (what an earlier Apply stored stays). The caller reads
// userChanged() and mealsChanged() afterwards.
class OptionsDialog : public QDialog
{
    Q_OBJECT

public:
    OptionsDialog(AppContext& context, QWidget* parent = nullptr);

    // A save made another user current.
    bool userChanged() const { return m_model.userChanged(); }
    // A meal label was edited (even when it was changed back).
    bool mealsChanged() const { return m_mealsChanged; }

    QTabWidget* tabOptions = nullptr;
    std::array<QLineEdit*, OptionsValues::kUsers> txtUser{};
    std::array<QRadioButton*, OptionsValues::kUsers> optUser{};
    QLineEdit* txtOther1 = nullptr;
    QLineEdit* txtOther2 = nullptr;
    std::array<QLineEdit*, OptionsValues::kMeals> txtMealDesc{};
    std::array<QLineEdit*, OptionsValues::kSnapshotLabels> txtSnapShot{};
    std::array<QRadioButton*, 5> optCongifuration{};
    GoalsPage* goalsPage = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdApply = nullptr;

private:
    QWidget* buildUsers();
    QWidget* buildOptionalFields();
    QWidget* buildMeals();
    QWidget* buildSnapshots();
    void showValues(const OptionsValues& values);
    OptionsValues values() const;
    bool save();
    void chooseLabelSet(int index);

    OptionsModel m_model;
    QButtonGroup* m_users = nullptr;
    bool m_mealsChanged = false;
};
