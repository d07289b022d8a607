#pragma once

#include "diet/diettree.h"
#include "food/foodtree.h"
#include "widgets/commandset.h"
#include "widgets/treestate.h"

#include <QMainWindow>
#include <memory>

class AppContext;
class DietView;
class FoodBuilderWindow;
class FindController;
class FoodItemEditor;
class NodeTree;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QMenu;
class QToolButton;
class ReportLauncher;

// The program's main window: the food tree above, the diet tree below, the
// menus, toolbar, context menu and status bar, and the routing of the shared
// edit commands to the tree that last had the focus. Its parts meet through
// the hosts they are given (FoodTreeHost, DietTreeHost), never through it.
class MainWindow : public QMainWindow, public FoodTreeHost, public DietTreeHost
{
    Q_OBJECT

public:
    explicit MainWindow(AppContext& context, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Runs the load steps: window placement, caption, recordsets, current user,
    // status bar, meal choices, both trees. False when a fatal data failure
    // ended the run on the way.
    bool load();
    // Reads everything afresh from the database (after a restore put another
    // file in place): both trees, the current user and the meal choices.
    bool reloadDatabase();
    // Closes the window without asking anything (after a fatal data failure).
    void unload();

    AppContext& context() override { return m_context; }
    CommandSet& commands() override { return m_commands; }
    TreeState& state() override { return m_state; }
    // The launches of the reports and the graph.
    ReportLauncher& reports() { return *m_reports; }

    // Shows the context menu at the pointer, or at a place on the screen.
    void showPopupMenu() override;
    void showPopupMenu(const QPoint& globalPos) override;
    // Status bar panel 1 (serving size of the selected food) and its tip.
    void setStatusPanel1(const QString& text, const QString& tip) override;
    // Status bar panel 2: the current user's name.
    void refreshUserPanel();
    // The meal key chosen in the main window's meal list ("" for "Select a Meal").
    QString chosenMealKey() const;
    // Lays the two tree panes out for the current window size.
    void layoutPanes();
    // Keeps the window from being shown smaller than the whole toolbar (the
    // day and meal of new entries included) and the diet tree's caption need.
    void fitMinimumSize();

    // The command handlers (menus, context menu, toolbar and keys).
    void editCut();
    void editCopy();
    void editPaste();
    void editDelete();
    void editRename();
    void editDietEntry();
    // Adds one serving of the selected food to the food builder.
    void sendFoodToBuilder();
    void toolsFoodBuilder();
    void toolsOptions();
    void toolsShowMeals();
    // Tools > Physical Snapshot: a new snapshot window, shown modally.
    void toolsSnapshot();
    void toolsPurgeDiet();
    void toolsPurgeSnapshot();
    // File > Back Up Database... and Restore Database...: a file dialog, then
    // backUpTo / restoreFrom.
    void fileBackUp();
    void fileRestore();
    bool backUpTo(const QString& path);
    void restoreFrom(const QString& path);
    void helpContents();
    void helpSearch();
    void helpAbout();

    // What the food tree asks of the window.
    void logSelectedFood() override;
    void clearDietDropHighlight() override;

    // What the diet tree asks of the window.
    void settlePendingFood() override;
    QDate pickedDate() override;
    QString pickedMealLabel() override;
    std::optional<LoggedFood> food(const QString& foodKey) override;
    QWidget* foodView() override;
    void clearFoodDropHighlight() override;
    void focusFoodTree() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Tests reach the window's parts through it.
    friend class MainWindowProbe;

    FoodTree& foodTree() { return *m_foodTree; }
    FoodItemEditor& foodEditor() { return m_foodTree->editor(); }
    DietTree& dietTree() { return *m_dietTree; }
    FindController& finder() { return *m_finder; }
    // The food builder, made by the load (nullptr before).
    FoodBuilderWindow* foodBuilder() const { return m_foodBuilder; }

    void buildMenus();
    void buildToolbar();
    void buildPanes();
    void connectCommands();
    void placeFromSettings();
    void saveSettings();
    void closeDatabase();
    bool loadDatabase();
    QAction* menuAction(QMenu* menu, Command command, Surface surface, const char* name, const QString& caption,
                        const QKeySequence& shortcut = {});

    AppContext& m_context;
    CommandSet m_commands;
    TreeState m_state;
    NodeTree* tvwFood = nullptr;
    DietView* tvwDiet = nullptr;
    QGroupBox* frameFood = nullptr;
    QLabel* txtActivity = nullptr;
    QDateEdit* dtDatePick = nullptr;
    QComboBox* cmbMeal = nullptr;
    QAction* cmbMealAction = nullptr; // shows or hides cmbMeal on the toolbar
    QLabel* statusPanel1 = nullptr;
    QLabel* statusPanel2 = nullptr;
    QMenu* mnuPop_RTB = nullptr;
    QAction* mnuFileBackUp = nullptr;
    QAction* mnuFileRestore = nullptr;
    std::unique_ptr<FoodTree> m_foodTree;
    std::unique_ptr<DietTree> m_dietTree;
    std::unique_ptr<FindController> m_finder;
    FoodBuilderWindow* m_foodBuilder = nullptr; // a window of its own, owned as a child
    std::unique_ptr<ReportLauncher> m_reports;
    QToolButton* m_reportButton = nullptr;
    bool m_unloaded = false;
    bool m_loaded = false;
};
