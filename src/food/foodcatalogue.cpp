#include "food/foodcatalogue.h"

#include "app/appcontext.h"
#include "data/orvdatasource.h"
#include "data/positioning.h"
#include "data/recordset.h"
#include "data/transaction.h"
#include "food/foodentries.h"
#include "food/nutrients.h"

#include <QtDebug>

namespace {

const char* const kUpdateFailed = "Unable to update Food Data.  ";
const char* const kDeleteFailed = "Unable to delete Food Data.  ";

} // namespace

FoodCatalogue::FoodCatalogue(AppContext& context) : m_context(context) {}

OrvDataSource& FoodCatalogue::ds() const
{
    return m_context.dataSource();
}

Recordset& FoodCatalogue::foods() const
{
    return ds().rsFoods;
}

QList<FoodGroupRow> FoodCatalogue::groups()
{
    Recordset& groups = ds().rsGroups;
    QList<FoodGroupRow> list;
    for (groups.moveFirst(); !groups.eof(); groups.moveNext())
        list.append({groups.integer(QStringLiteral("GroupId")), groups.integer(QStringLiteral("ParentGroup")),
                     groups.text(QStringLiteral("GroupName")), groups.text(QStringLiteral("GroupTag"))});
    return list;
}

std::optional<QList<FoodRow>> FoodCatalogue::groupFoods(qint32 groupId)
{
    if (!ds().cmdFoodItems(groupId))
        return std::nullopt;
    Recordset& items = ds().rsFoodItems;
    CloseOnExit close(items);
    QList<FoodRow> list;
    for (items.moveFirst(); !items.eof(); items.moveNext())
        list.append({items.integer(QStringLiteral("GroupId")), items.integer(QStringLiteral("FoodId")),
                     items.text(QStringLiteral("FoodName"))});
    return list;
}

QString FoodCatalogue::groupName(qint32 groupId)
{
    Recordset& groups = ds().rsGroups;
    groups.moveFirst();
    if (!groups.findFirst(Criteria::equals(QStringLiteral("GroupId"), groupId)))
        return QString();
    return groups.text(QStringLiteral("GroupName"));
}

bool FoodCatalogue::selectFood(qint32 foodId)
{
    foods().moveFirst();
    return foods().findFirst(Criteria::equals(QStringLiteral("FoodId"), foodId)) && foods().hasCurrent();
}

std::optional<CatalogueFood> FoodCatalogue::current() const
{
    const Recordset& food = foods();
    if (food.editMode() == Recordset::EditMode::None && !food.hasCurrent())
        return std::nullopt;
    return CatalogueFood{{food.integer(QStringLiteral("GroupId")), food.integer(QStringLiteral("FoodId")),
                          food.text(QStringLiteral("FoodName"))},
                         food.text(QStringLiteral("ServingSize")),
                         food.integer(QStringLiteral("USDA_NDB_NO")),
                         food.integer(QStringLiteral("USDA_MSRE_NO")),
                         food.number(QStringLiteral("USDA_GM_WT"))};
}

std::optional<QString> FoodCatalogue::moveFood(qint32 foodId, qint32 groupId)
{
    if (!selectFood(foodId))
        return std::nullopt;
    Recordset& food = foods();
    try {
        food.edit();
        food.setValue(QStringLiteral("GroupId"), groupId);
        food.update();
    } catch (const DataError& error) {
        qWarning() << "moveFood:" << error.what();
        food.cancelUpdate();
        m_context.reportError(QLatin1String(kUpdateFailed), error);
        return std::nullopt;
    }
    return food.text(QStringLiteral("FoodName"));
}

std::optional<FoodClipboard> FoodCatalogue::copyFood(qint32 foodId)
{
    if (!selectFood(foodId))
        return std::nullopt;
    return FoodClipboard::fromRecord(foods());
}

std::optional<FoodClipboard> FoodCatalogue::removeFood(qint32 foodId)
{
    if (!selectFood(foodId))
        return std::nullopt;
    Recordset& food = foods();
    const FoodClipboard item = FoodClipboard::fromRecord(food);
    try {
        food.deleteCurrent();
    } catch (const DataError& error) {
        qWarning() << "removeFood:" << error.what();
        m_context.reportError(QLatin1String(kDeleteFailed), error);
        return std::nullopt;
    }
    food.moveFirst();
    return item;
}

std::optional<bool> FoodCatalogue::deleteGroup(qint32 groupId)
{
    OrvDataSource& data = ds();
    Recordset& groups = data.rsGroups;
    groups.moveFirst();
    if (!groups.findFirst(Criteria::equals(QStringLiteral("GroupId"), groupId)) || !groups.hasCurrent())
        return std::nullopt;
    bool deleted = false;
    try {
        Transaction transaction(data);
        // A failed statement here is fatal and ends the run; the transaction then rolls back.
        if (!data.cmdDeleteFoods(groupId))
            return std::nullopt;
        groups.deleteCurrent();
        transaction.commit();
        deleted = true;
    } catch (const DataError& error) {
        qWarning() << "deleteFoodGroup:" << error.what();
        m_context.reportError(QLatin1String(kDeleteFailed), error);
    }
    // The foods' recordset no longer matches the table after the deletion,
    // and neither recordset does after a rollback.
    data.rsFoods.close();
    if (!data.cmdFoods())
        return std::nullopt;
    if (!deleted) {
        groups.close();
        if (!data.cmdGroups())
            return std::nullopt;
    }
    return deleted;
}

std::optional<qint32> FoodCatalogue::addGroup(qint32 parentId, const QString& name)
{
    const std::optional<qint32> groupId = ds().getTableKey(QStringLiteral("FOODGROUP"));
    if (!groupId)
        return std::nullopt;
    Recordset& groups = ds().rsGroups;
    try {
        groups.addNew();
        groups.setValue(QStringLiteral("GroupId"), *groupId);
        groups.setValue(QStringLiteral("GroupName"), name);
        groups.setValue(QStringLiteral("ParentGroup"), parentId);
        groups.setValue(QStringLiteral("GroupTag"), QStringLiteral("GROUP"));
        groups.update();
    } catch (const DataError& error) {
        qWarning() << "newFoodGroup:" << error.what();
        groups.cancelUpdate();
        m_context.reportError(QLatin1String(kUpdateFailed), error);
        return std::nullopt;
    }
    return groupId;
}

std::optional<QString> FoodCatalogue::renameGroup(qint32 groupId, const QString& name)
{
    Recordset& groups = ds().rsGroups;
    groups.moveFirst();
    if (!groups.findFirst(Criteria::equals(QStringLiteral("GroupId"), groupId)) || !groups.hasCurrent())
        return std::nullopt;
    try {
        groups.edit();
        groups.setValue(QStringLiteral("GroupName"), name.left(kGroupNameLength));
        groups.update();
    } catch (const DataError& error) {
        qWarning() << "renameNode:" << error.what();
        groups.cancelUpdate();
        m_context.reportError(QLatin1String(kUpdateFailed), error);
        return std::nullopt;
    }
    return groups.text(QStringLiteral("GroupName"));
}

bool FoodCatalogue::beginNewFood(const Filler& fill)
{
    const std::optional<qint32> foodId = ds().getTableKey(QStringLiteral("FOODITEM"));
    if (!foodId)
        return false;
    foods().addNew();
    fill(foods(), *foodId);
    return true;
}

bool FoodCatalogue::beginBlankFood(qint32 groupId)
{
    return beginNewFood([groupId](Recordset& food, qint32 foodId) {
        food.setValue(QStringLiteral("GroupId"), groupId);
        food.setValue(QStringLiteral("FoodId"), foodId);
        food.setValue(QStringLiteral("FoodName"), QStringLiteral("New Food Item"));
        Nutrients{}.write(food);
        food.setValue(QStringLiteral("USDA_NDB_NO"), 0);
        food.setValue(QStringLiteral("USDA_MSRE_NO"), 0);
        food.setValue(QStringLiteral("USDA_GM_WT"), 0);
        food.setValue(QStringLiteral("ServingSize"), QString(""));
    });
}

bool FoodCatalogue::beginCopy(const FoodClipboard& item, qint32 groupId)
{
    return beginNewFood(
        [&item, groupId](Recordset& food, qint32 foodId) { item.writeCopy(food, groupId, foodId); });
}

bool FoodCatalogue::beginRename(qint32 foodId, const QString& name)
{
    if (!selectFood(foodId))
        return false;
    foods().edit();
    foods().setValue(QStringLiteral("FoodName"), name.left(kFoodNameLength));
    return true;
}

bool FoodCatalogue::writeEntries(const FoodEntries& entries, bool newFood)
{
    // A new row is being appended already; an existing one is edited afresh
    // from what is stored (also after a failed store).
    try {
        if (!newFood)
            foods().edit();
        entries.writeTo(foods(), ds().rsMeasures, ds().rsAvailGroups, newFood);
    } catch (const DataError& error) {
        // The record the editor was filling is no longer pending (it cannot
        // be while the editor is open, but a lost row must not end the run).
        qWarning() << "validateAndStoreFood:" << error.what();
        m_context.reportError(QLatin1String(kUpdateFailed), error);
        return false;
    }
    return true;
}

bool FoodCatalogue::hasPending() const
{
    return foods().editMode() != Recordset::EditMode::None;
}

std::optional<StoredFood> FoodCatalogue::storePending()
{
    Recordset& food = foods();
    const bool added = food.editMode() == Recordset::EditMode::AddNew;
    try {
        food.update();
    } catch (const DataError& error) {
        qWarning() << "saveFoodData:" << error.what();
        m_context.reportError(QLatin1String(kUpdateFailed), error);
        return std::nullopt;
    }
    food.setBookmark(food.lastModified());
    return StoredFood{{food.integer(QStringLiteral("GroupId")), food.integer(QStringLiteral("FoodId")),
                       food.text(QStringLiteral("FoodName"))},
                      added};
}

void FoodCatalogue::discardPending()
{
    foods().cancelUpdate();
}

bool FoodCatalogue::openChoices(qint32 ndbNo)
{
    return ds().cmdMeasures(ndbNo) && ds().cmdAvailGroups();
}

void FoodCatalogue::closeChoices()
{
    ds().rsMeasures.close();
    ds().rsAvailGroups.close();
}

int FoodCatalogue::measureCount() const
{
    return ds().rsMeasures.recordCount();
}

int FoodCatalogue::measurePosition(qint32 measureNo)
{
    return ::measurePosition(ds().rsMeasures, measureNo);
}

int FoodCatalogue::groupListIndex(qint32 groupId)
{
    Recordset& groups = ds().rsAvailGroups;
    int index = 0;
    for (groups.moveFirst(); !groups.eof(); groups.moveNext(), ++index) {
        if (groups.integer(QStringLiteral("GroupId")) == groupId)
            return index;
    }
    return -1;
}

NameSearch FoodCatalogue::find(const QString& text, bool continuing)
{
    try {
        return searchNames(foods(), text, continuing);
    } catch (const DataError& error) {
        qWarning() << "findFood:" << error.what();
        m_context.fatalError(QStringLiteral("Unable to retrieve Food Data.  "), error);
        return NameSearch::Failed;
    }
}
