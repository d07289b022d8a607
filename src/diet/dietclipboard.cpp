#include "diet/dietclipboard.h"

#include "data/recordset.h"
#include "app/numbers.h"

DietClipEntry DietClipEntry::fromRecord(const Recordset& recordset)
{
    DietClipEntry e;
    e.NumServings = recordset.number(QStringLiteral("NumServings"));
    e.FoodName = recordset.text(QStringLiteral("FoodName"));
    e.GroupName = recordset.text(QStringLiteral("GroupName"));
    e.ServingSize = recordset.text(QStringLiteral("ServingSize"));
    e.nutrients = Nutrients::read(recordset);
    e.USDA_NDB_NO = recordset.integer(QStringLiteral("USDA_NDB_NO"));
    e.USDA_MSRE_NO = recordset.integer(QStringLiteral("USDA_MSRE_NO"));
    e.USDA_GM_WT = wholeGrams(recordset.number(QStringLiteral("USDA_GM_WT")));
    e.MealName = recordset.text(QStringLiteral("MealName"));
    return e;
}

void DietClipEntry::writeTo(Recordset& recordset) const
{
    recordset.setValue(QStringLiteral("FoodName"), FoodName);
    recordset.setValue(QStringLiteral("GroupName"), GroupName);
    recordset.setValue(QStringLiteral("ServingSize"), ServingSize);
    nutrients.write(recordset);
    recordset.setValue(QStringLiteral("USDA_GM_WT"), USDA_GM_WT);
    recordset.setValue(QStringLiteral("USDA_MSRE_NO"), USDA_MSRE_NO);
    recordset.setValue(QStringLiteral("USDA_NDB_NO"), USDA_NDB_NO);
    recordset.setValue(QStringLiteral("NumServings"), NumServings);
}

void DietClipboard::reset(int count)
{
    m_entries.clear();
    m_entries.resize(qMax(0, count));
}

void DietClipboard::set(int position, const DietClipEntry& entry)
{
    if (position < 0)
        return;
    if (position >= m_entries.size())
        m_entries.resize(position + 1);
    m_entries[position] = entry;
}
