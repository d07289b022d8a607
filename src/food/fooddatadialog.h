#pragma once

#include "food/foodentries.h"

#include <QDialog>
#include <array>
#include <functional>

class AppContext;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// frmFoodData, "Food Item Details": the name, serving size, group and eight
// nutrient values of the current row of rsFoods (an existing row, or one being
// appended), with the food's USDA measures in the serving-size list. Choosing
// another measure rescales the nutrients from the stored values by weight.
// Save runs the save handler and closes only when it succeeds.
class FoodDataDialog : public QDialog
{
    Q_OBJECT

public:
    // Loads the dialog from the current rsFoods row, rsMeasures and rsAvailGroups.
    FoodDataDialog(AppContext& context, bool newFood, QWidget* parent = nullptr);

    bool isNewFood() const { return m_newFood; }
    FoodKind kind() const { return m_kind; }
    bool hasMeasures() const { return m_hasMeasures; }
    // "SAVE" or "CANCEL" once closed; empty while open.
    QString closeMode() const { return m_closeMode; }

    // Chooses a measure as a click on it would (rescaling the nutrients).
    void selectServing(int position);
    void setServingText(const QString& text);
    void selectGroup(int position);
    // An original USDA item's six standard nutrients are not edited.
    void lockStandardNutrients();
    // An existing food changes group only by a move in the tree.
    void lockGroup();

    FoodEntries entries() const;

    // Checks and stores the entries; true when the dialog may close.
    std::function<bool()> saveHandler;

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void servingChosen(int position);
    void showNutrients(const Nutrients& values);
    void save();

    AppContext& m_context;
    bool m_newFood;
    FoodKind m_kind = FoodKind::User;
    bool m_hasMeasures = false;
    Nutrients m_stored{};
    double m_storedGrams = 0;
    std::array<QLineEdit*, kNutrientCount> m_boxes{};
    std::array<QString, kNutrientCount> m_shownText;
    Nutrients m_shownValues{};
    bool m_nutrientsEdited = false;
    int m_prevServingIndex = 0;
    QString m_closeMode;

    QLineEdit* txtFoodName = nullptr;
    QComboBox* cmbServSize = nullptr;
    QComboBox* cmbGroups = nullptr;
    QLabel* lblOther1 = nullptr;
    QLabel* lblOther2 = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;
};
