#pragma once

#include <QFlags>
#include <QHash>

class QAction;

// The commands of the main window. Most of them appear on up to three
// surfaces (the menu bar, the context menu and the toolbar), and the trees
// enable and disable them together.
enum class Command {
    Exit,
    New,          // the "New" sub-menus; the toolbar's "NewGroup" follows it
    NewFoodGroup, // Food Group in the "New" sub-menus
    NewFoodItem,  // Food Item in the "New" sub-menus; toolbar "NewFood"
    DietDetails,  // View Diet Totals
    DietEntry,    // Diet Entry Details
    FoodDetails,  // Food Item Details
    FoodFav,      // Copy Food To Favorites
    FoodBuilder,  // Send Food to Food Builder
    Cut,
    Copy,
    Paste,
    Delete,
    FindEntry,
    FindNext,
    Rename,
    Options,         // also the toolbar's "SelectUser"
    ToolsFoodBuilder, // also the toolbar's "FoodBldr"
    Snapshot,        // also the toolbar's "SnapShot"
    DietReport,      // also the toolbar's "Report" drop-down
    DietGraph,
    SnapshotReport,
    PurgeDiet,
    PurgeSnapshot,
    ShowMeals,
    HelpContents, // also the toolbar's "Help"
    HelpSearch,
    About,
};

// Dropdown: the menu of the toolbar's "Report" button.
enum class Surface { Menu = 1, Popup = 2, Toolbar = 4, Dropdown = 8 };
Q_DECLARE_FLAGS(Surfaces, Surface)
Q_DECLARE_OPERATORS_FOR_FLAGS(Surfaces)
constexpr Surfaces kAllSurfaces = Surfaces(Surface::Menu) | Surface::Popup | Surface::Toolbar | Surface::Dropdown;

inline size_t qHash(Command command, size_t seed = 0)
{
    return ::qHash(int(command), seed);
}

class CommandSet
{
public:
    void add(Command command, Surface surface, QAction* action);
    QAction* action(Command command, Surface surface) const;

    // Enables or disables the command on the given surfaces.
    void setEnabled(Command command, bool enabled, Surfaces surfaces = kAllSurfaces);
    bool isEnabled(Command command, Surface surface = Surface::Menu) const;

private:
    QHash<Command, QHash<int, QAction*>> m_actions;
};
