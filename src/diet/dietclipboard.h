#pragma once

#include "diet/dietscaling.h"

#include <QString>
#include <QVector>

class Recordset;

// One diet entry held by the diet clipboard: everything of a DietActivity row
// except its id, date and user, which a paste gives anew.
struct DietClipEntry
{
    double NumServings = 0;
    QString FoodName;
    QString GroupName;
    QString ServingSize;
    Nutrients nutrients;
    qint32 USDA_NDB_NO = 0;
    qint32 USDA_MSRE_NO = 0;
    qint32 USDA_GM_WT = 0; // whole grams
    QString MealName;      // "" for an entry without a meal

    // The current row of a DietActivity recordset; the gram weight is rounded
    // to whole grams, a null meal becomes "".
    static DietClipEntry fromRecord(const Recordset& recordset);
    // Sets the copied columns of the row being appended (all but DietId,
    // DietDate, MealName and UserName, which belong to the paste).
    void writeTo(Recordset& recordset) const;
};

// The copied or cut diet entries. A copy replaces the whole content; a paste
// leaves it in place, so it can be pasted any number of times.
class DietClipboard
{
public:
    // Empties the clipboard and makes room for count records.
    void reset(int count);
    // Fills record position (0-based), growing the clipboard when needed.
    void set(int position, const DietClipEntry& entry);

    const QVector<DietClipEntry>& entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }

private:
    QVector<DietClipEntry> m_entries;
};
