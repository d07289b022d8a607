#pragma once

#include "food/foodclipboard.h"
#include "food/namesearch.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

class AppContext;
struct FoodEntries;
class OrvDataSource;
class Recordset;

// A group of the catalogue: a root (ParentGroup 0, its tag GROUPROOT or
// FAVORITE) or a group under one.
struct FoodGroupRow
{
    qint32 id = 0;
    qint32 parentId = 0;
    QString name;
    QString tag;
};

// A food as the food tree lists it.
struct FoodRow
{
    qint32 groupId = 0;
    qint32 foodId = 0;
    QString name;
};

// What the food tree and its editor read of a food.
struct CatalogueFood
{
    FoodRow row;
    QString servingSize;
    qint32 ndbNo = 0;     // USDA_NDB_NO, 0 for a food of the user's own
    qint32 measureNo = 0; // USDA_MSRE_NO, 0 for none
    double grams = 0;     // USDA_GM_WT, the serving's weight
};

// A food just stored, and whether it was a new one.
struct StoredFood
{
    FoodRow food;
    bool added = false;
};

// The food catalogue and every change made to it: its groups and their
// foods, new groups, renames, moves, copies and deletions of foods and
// groups, the food being edited (new or changed) until it is stored or
// dropped, the measures and group list the editor offers, and Find over the
// foods. All of it goes through the data source; rsFoods stands on the food
// last selected, read or changed.
//
// A failed change is reported with the message the user knows ("Unable to
// update Food Data." or "Unable to delete Food Data.") and leaves the
// catalogue as it was; query failures are fatal as everywhere.
class FoodCatalogue
{
public:
    explicit FoodCatalogue(AppContext& context);

    static constexpr int kGroupNameLength = 60;
    static constexpr int kFoodNameLength = 200;

    // Every group in the stored order (parents before their children).
    QList<FoodGroupRow> groups();
    // The foods of a group by name; nothing when the query failed.
    std::optional<QList<FoodRow>> groupFoods(qint32 groupId);
    QString groupName(qint32 groupId);

    // Puts rsFoods on a food; false when it is not there (rsFoods then
    // stands on its first row).
    bool selectFood(qint32 foodId);
    // The food rsFoods stands on, or the one being edited; nothing when none.
    std::optional<CatalogueFood> current() const;

    // Moves a food to another group; answers its name, nothing when it could not.
    std::optional<QString> moveFood(qint32 foodId, qint32 groupId);
    // The clipboard record of a food, nothing when it is not in the catalogue.
    std::optional<FoodClipboard> copyFood(qint32 foodId);
    // Deletes a food; answers what it was, nothing when nothing was deleted.
    std::optional<FoodClipboard> removeFood(qint32 foodId);
    // Deletes a group with all its foods in one transaction: true when they
    // are gone, false when the deletion failed and nothing changed, nothing
    // when the group is unknown or the program is ending.
    std::optional<bool> deleteGroup(qint32 groupId);
    // Stores a new group under parentId (always a "GROUP"); answers its id.
    std::optional<qint32> addGroup(qint32 parentId, const QString& name);
    // Renames a group (cut to its column); answers the stored name.
    std::optional<QString> renameGroup(qint32 groupId, const QString& name);

    // The food being edited. A rename, a new food and a copy are pending
    // until storePending or discardPending.
    // Writes a row being appended to rsFoods under the new id foodId.
    using Filler = std::function<void(Recordset& foods, qint32 foodId)>;
    // Starts a new food with a new id, filled in by fill.
    bool beginNewFood(const Filler& fill);
    // A new food "New Food Item" in a group, with no values.
    bool beginBlankFood(qint32 groupId);
    // A copy of a clipboard record in a group, the name unchanged.
    bool beginCopy(const FoodClipboard& item, qint32 groupId);
    // Starts the rename of a food (cut to its column); false when it is not there.
    bool beginRename(qint32 foodId, const QString& name);
    // Writes an editor's checked entries into the food being edited (a new
    // row) or rsFoods's current food; false (reported) when that failed.
    bool writeEntries(const FoodEntries& entries, bool newFood);
    bool hasPending() const;
    // Stores the pending food; nothing (reported) when that failed, the food still pending.
    std::optional<StoredFood> storePending();
    void discardPending();

    // The measures of a food (by USDA_NDB_NO, 0 for none) and the group list
    // the editor offers, open until closeChoices.
    bool openChoices(qint32 ndbNo);
    void closeChoices();
    int measureCount() const;
    // The position in the measure list of a measure number (0 when none).
    int measurePosition(qint32 measureNo);
    // The position in the group list of a group, -1 when it is not there.
    int groupListIndex(qint32 groupId);

    // Find over the foods' names; on a match rsFoods stands on it.
    NameSearch find(const QString& text, bool continuing);

private:
    OrvDataSource& ds() const;
    Recordset& foods() const;

    AppContext& m_context;
};
