#include "diet/dietlog.h"

#include "app/appcontext.h"
#include "data/storeddates.h"
#include "data/orvdatasource.h"
#include "data/recordset.h"
#include "data/transaction.h"
#include "diet/dietscaling.h"

#include <QtDebug>

namespace {

const char* const kUpdateFailed = "Unable to update Diet Data.  ";

// Entries without a meal store "", never Null.
QString storedMeal(const QString& mealKey)
{
    return mealKey.isNull() ? QStringLiteral("") : mealKey;
}

DietLogEntry entryOf(const Recordset& rows)
{
    return {rows.integer(QStringLiteral("DietId")), DietLog::dayOf(rows.value(QStringLiteral("DietDate"))),
            rows.text(QStringLiteral("MealName")), rows.text(QStringLiteral("FoodName"))};
}

} // namespace

LoggedFood LoggedFood::fromRecord(const Recordset& foods, const QString& groupName)
{
    return {foods.text(QStringLiteral("FoodName")),
            groupName,
            foods.integer(QStringLiteral("USDA_NDB_NO")),
            {foods.text(QStringLiteral("ServingSize")), foods.integer(QStringLiteral("USDA_MSRE_NO")),
             foods.number(QStringLiteral("USDA_GM_WT"))},
            Nutrients::read(foods)};
}

DietLog::DietLog(AppContext& context) : m_context(context) {}

Recordset& DietLog::diet() const
{
    return m_context.dataSource().rsDietData;
}

bool DietLog::reopen()
{
    diet().close();
    return m_context.dataSource().cmdDietData(m_context.currentUser);
}

std::optional<QVector<QDate>> DietLog::days()
{
    return m_context.dataSource().dietDays(m_context.currentUser);
}

std::optional<QList<DietLogEntry>> DietLog::dayEntries(const QDate& date)
{
    OrvDataSource& ds = m_context.dataSource();
    if (!ds.cmdDietItems(date, m_context.currentUser))
        return std::nullopt;
    CloseOnExit close(ds.rsDietItems);
    QList<DietLogEntry> entries;
    for (Recordset& items = ds.rsDietItems; !items.eof(); items.moveNext())
        entries << entryOf(items);
    return entries;
}

QDate DietLog::dayOf(const QVariant& stored)
{
    return stored.typeId() == QMetaType::QString ? storedDay(stored.toString()) : QDate();
}

bool DietLog::selectDietRecord(qint32 dietId)
{
    try {
        diet().moveFirst();
        return diet().findFirst(Criteria::equals(QStringLiteral("DietId"), dietId));
    } catch (const DataError& error) {
        qWarning() << "selectDietRecord" << dietId << error.what();
        return false;
    }
}

DietLogEntry DietLog::current() const
{
    return entryOf(diet());
}

std::optional<DietEntryDetails> DietLog::details(qint32 dietId)
{
    if (!selectDietRecord(dietId))
        return std::nullopt;
    try {
        const Recordset& row = diet();
        return DietEntryDetails{entryOf(row),
                                row.number(QStringLiteral("NumServings")),
                                {row.text(QStringLiteral("ServingSize")),
                                 row.integer(QStringLiteral("USDA_MSRE_NO")),
                                 row.number(QStringLiteral("USDA_GM_WT"))},
                                row.integer(QStringLiteral("USDA_NDB_NO")),
                                Nutrients::read(row)};
    } catch (const DataError& error) {
        qWarning() << "details" << dietId << error.what();
        return std::nullopt;
    }
}

bool DietLog::isEmpty() const
{
    return diet().isEmpty();
}

std::optional<qint32> DietLog::addEntry(const LoggedFood& food, double servings, const QDate& date,
                                        const Serving& serving, const QString& mealKey)
{
    OrvDataSource& ds = m_context.dataSource();
    Recordset& rows = diet();
    bool appended = false;
    try {
        const double ratio = DietScaling::servingRatio(food.serving.grams, serving.grams);
        const Nutrients nutrients = DietScaling::entryNutrients(food.nutrients, servings, ratio);
        if (!nutrients.isFinite() || !date.isValid())
            throw DataError("the entry's values are out of range");
        // The key and the row are stored together: one flush to the disk, and
        // no key handed out for a row that is not there.
        Transaction transaction(ds);
        const std::optional<qint32> dietId = ds.getTableKey(QStringLiteral("DIETACTIVITY"));
        if (!dietId)
            return std::nullopt; // reported, and the program is ending
        rows.addNew();
        rows.setValue(QStringLiteral("DietId"), *dietId);
        rows.setValue(QStringLiteral("GroupName"), food.groupName);
        rows.setValue(QStringLiteral("FoodName"), food.name);
        rows.setValue(QStringLiteral("DietDate"), date);
        rows.setValue(QStringLiteral("NumServings"), servings);
        nutrients.write(rows);
        rows.setValue(QStringLiteral("ServingSize"), serving.description);
        rows.setValue(QStringLiteral("USDA_NDB_NO"), food.ndbNo);
        rows.setValue(QStringLiteral("USDA_MSRE_NO"), serving.measureNo);
        rows.setValue(QStringLiteral("USDA_GM_WT"), serving.grams);
        rows.setValue(QStringLiteral("MealName"), storedMeal(mealKey));
        rows.setValue(QStringLiteral("UserName"), m_context.currentUser);
        rows.update();
        appended = true;
        transaction.commit();
        rows.setBookmark(rows.lastModified());
        return *dietId;
    } catch (const DataError& error) {
        qWarning() << "addEntry" << error.what();
        rows.cancelUpdate();
        if (appended)
            reopen(); // it still lists the row that was rolled back
        m_context.reportError(QString::fromLatin1(kUpdateFailed), error);
        return std::nullopt;
    }
}

void DietLog::markPreferredServing(Recordset& foods, const Serving& serving)
{
    const double ratio = DietScaling::servingRatio(foods.number(QStringLiteral("USDA_GM_WT")), serving.grams);
    Nutrients::read(foods).times(ratio).write(foods);
    foods.setValue(QStringLiteral("ServingSize"), serving.description);
    foods.setValue(QStringLiteral("USDA_MSRE_NO"), serving.measureNo);
    foods.setValue(QStringLiteral("USDA_GM_WT"), serving.grams);
}

bool DietLog::editEntry(qint32 dietId, double servings, const QDate& date,
                        const std::optional<Serving>& measure, const QString& mealKey)
{
    Recordset& rows = diet();
    if (!selectDietRecord(dietId)) {
        m_context.reportError(QStringLiteral("Unable to update the selected item.  "));
        return false;
    }
    try {
        // Everything is worked out before the row is touched.
        double ratio = 1.0;
        if (measure) {
            const std::optional<double> editRatio =
                DietScaling::editRatio(measure->grams, rows.number(QStringLiteral("USDA_GM_WT")));
            if (!editRatio)
                throw DataError("the entry has no gram weight to rescale by");
            ratio = *editRatio;
        }
        const std::optional<Nutrients> nutrients = DietScaling::rescaledEntry(
            Nutrients::read(rows), rows.number(QStringLiteral("NumServings")), servings, ratio);
        if (!nutrients || !date.isValid())
            throw DataError("the entry cannot be rescaled");
        rows.edit();
        if (measure) {
            rows.setValue(QStringLiteral("ServingSize"), measure->description);
            rows.setValue(QStringLiteral("USDA_MSRE_NO"), measure->measureNo);
            rows.setValue(QStringLiteral("USDA_GM_WT"), measure->grams);
        }
        rows.setValue(QStringLiteral("DietDate"), date);
        rows.setValue(QStringLiteral("NumServings"), servings);
        nutrients->write(rows);
        rows.setValue(QStringLiteral("MealName"), storedMeal(mealKey));
        rows.update();
        rows.setBookmark(rows.lastModified());
        return true;
    } catch (const DataError& error) {
        qWarning() << "editEntry" << error.what();
        rows.cancelUpdate();
        m_context.reportError(QString::fromLatin1(kUpdateFailed), error);
        return false;
    }
}

bool DietLog::moveEntries(const QList<qint32>& dietIds, const QDate& date, const QString& mealKey)
{
    Recordset& rows = diet();
    try {
        if (!date.isValid())
            throw DataError("not a day to move to");
        Transaction transaction(m_context.dataSource());
        for (qint32 dietId : dietIds) {
            if (!selectDietRecord(dietId))
                throw DataError("an entry to move is not there");
            rows.edit();
            rows.setValue(QStringLiteral("DietDate"), date);
            rows.setValue(QStringLiteral("MealName"), storedMeal(mealKey));
            rows.update();
        }
        transaction.commit();
        return true;
    } catch (const DataError& error) {
        qWarning() << "moveEntries" << error.what();
        rows.cancelUpdate();
        m_context.reportError(QString::fromLatin1(kUpdateFailed), error);
        return false;
    }
}

bool DietLog::removeEntry(qint32 dietId)
{
    Recordset& rows = diet();
    try {
        if (!selectDietRecord(dietId))
            throw DataError("the entry's row is not there");
        rows.deleteCurrent();
        rows.moveFirst();
        return true;
    } catch (const DataError& error) {
        qWarning() << "removeEntry" << error.what();
        m_context.reportError(QStringLiteral("Unable to Delete Diet Data.  "), error);
        return false;
    }
}

bool DietLog::removeDay(const QDate& date, const QString& mealKey)
{
    if (!m_context.dataSource().cmdDeleteDietItems(date, date, m_context.currentUser, mealKey))
        return false;
    return reopen();
}

std::optional<DietClipboard> DietLog::copyEntries(const QList<qint32>& dietIds)
{
    DietClipboard copied;
    copied.reset(int(dietIds.size()));
    try {
        for (int k = 0; k < dietIds.size(); ++k) {
            if (!selectDietRecord(dietIds[k]))
                throw DataError("an entry to copy is not there");
            copied.set(k, DietClipEntry::fromRecord(diet()));
        }
        return copied;
    } catch (const DataError& error) {
        qWarning() << "copyEntries" << error.what();
        return std::nullopt;
    }
}

std::optional<QList<qint32>> DietLog::paste(const DietClipboard& clipboard, const QDate& date,
                                            const QString& mealKey)
{
    OrvDataSource& ds = m_context.dataSource();
    Recordset& rows = diet();
    QList<qint32> added;
    try {
        if (!date.isValid())
            throw DataError("not a day to paste on");
        Transaction transaction(ds);
        for (const DietClipEntry& entry : clipboard.entries()) {
            const std::optional<qint32> dietId = ds.getTableKey(QStringLiteral("DIETACTIVITY"));
            if (!dietId)
                return std::nullopt; // reported, and the program is ending
            rows.addNew();
            rows.setValue(QStringLiteral("DietId"), *dietId);
            rows.setValue(QStringLiteral("DietDate"), date);
            entry.writeTo(rows);
            rows.setValue(QStringLiteral("MealName"), storedMeal(mealKey));
            rows.setValue(QStringLiteral("UserName"), m_context.currentUser);
            rows.update();
            added << *dietId;
        }
        transaction.commit();
        if (!added.isEmpty())
            rows.setBookmark(rows.lastModified());
        return added;
    } catch (const DataError& error) {
        qWarning() << "paste" << error.what();
        rows.cancelUpdate();
        if (!added.isEmpty())
            reopen(); // it still lists the rows that were rolled back
        m_context.reportError(QString::fromLatin1(kUpdateFailed), error);
        return std::nullopt;
    }
}

std::optional<Nutrients> DietLog::totals(const QDate& date, const QString& mealKey)
{
    OrvDataSource& ds = m_context.dataSource();
    Recordset& sums = mealKey.isEmpty() ? ds.rsDietTotal : ds.rsDietMealTotal;
    const bool opened = mealKey.isEmpty() ? ds.cmdDietTotal(date, m_context.currentUser)
                                          : ds.cmdDietMealTotal(date, mealKey, m_context.currentUser);
    if (!opened)
        return std::nullopt;
    CloseOnExit close(sums);
    Nutrients values;
    for (int i = 0; i < int(values.values.size()); ++i) {
        // The sums of no rows are null, which read as 0.
        const QVariant sum = sums.value(QLatin1Char('t') + Nutrients::columns()[i]);
        values.values[i] = sum.toDouble();
    }
    return values;
}

NameSearch DietLog::find(const QString& text, bool continuing)
{
    try {
        return searchNames(diet(), text, continuing);
    } catch (const DataError& error) {
        qWarning() << "findFood:" << error.what();
        m_context.fatalError(QStringLiteral("Unable to retrieve Diet Data.  "), error);
        return NameSearch::Failed;
    }
}
