#pragma once

#include "builder/foodbuilder.h"

#include <QDialog>

class AppContext;
class FoodTree;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

// frmFoodBuilder, "Food Builder": the window in which foods sent from the food
// tree are composed into a new food item. The main window makes one when it
// loads and keeps it, hidden until asked for, for the rest of the run; it is
// not modal (a dialog only in kind: a screen reader presents it as a window,
// and Escape hides it). The composition itself is the FoodBuilder; this window
// shows it and carries out the user's commands on it.
class FoodBuilderWindow : public QDialog
{
    Q_OBJECT

public:
    // Loads the window hidden: no entries, the totals at 0, the entry
    // commands off, the food groups listed.
    // A window of the main window, which saves new foods into the food tree's catalogue.
    FoodBuilderWindow(AppContext& context, FoodTree& foods, QWidget* parent);

    const FoodBuilder& builder() const { return m_builder; }

    // Appends an entry, hidden or shown. False when its values cannot be
    // added up (the user is told).
    bool putFoodInOven(const FoodBuilderItem& entry);
    // Shows the window, or brings it to the front when it is shown already.
    void showBuilder();

    // The builder's commands.
    void updateSelectedEntry();
    void deleteSelectedEntry();
    // Runs Save's checks in order, stores the new food through the main
    // window (it appears and is selected in the food tree), then hides and
    // empties the builder. False when a check failed or nothing was stored.
    bool saveFoodItem();
    void hideBuilder();
    void emptyBuilder();

    // Gives the entry in grid row row a new serving (what OK in the serving
    // size dialog does); false when nothing changed.
    bool changeEntry(int row, const BuilderServing& serving);

    // The close question: with unsaved entries asks whether to save them;
    // Yes shows the builder and saves, No discards them. True when nothing
    // unsaved is left and the window may close.
    bool queryClose();
    // Escape: hides the window as Hide Food Builder does.
    void reject() override;

    QTableWidget* gdFoods = nullptr;
    QTableWidget* gdTotals = nullptr;
    QLineEdit* txtFoodName = nullptr;
    QLineEdit* txtServingSize = nullptr;
    QComboBox* cmbGroups = nullptr;
    QPushButton* cmdUpdate = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdHide = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    // Lists the groups that can hold foods, keeping the chosen one chosen.
    void fillGroups();
    void showTotals();
    // The totals grid's header, with the labels of the two optional nutrients.
    void showTotalsCaptions();
    void showEntry(int row, const FoodBuilderItem& entry);
    void setEntryCommands();
    void sizeColumns();
    // The GroupId chosen in cmbGroups when that group still exists; 0 otherwise.
    qint32 chosenGroupId();

    AppContext& m_context;
    FoodTree& m_foods;
    FoodBuilder m_builder;
};
