#include "food/namesearch.h"

#include "data/likepattern.h"
#include "data/recordset.h"

NameSearch searchNames(Recordset& rows, const QString& text, bool continuing)
{
    if (!rows.isOpen())
        return NameSearch::Closed;
    if (!continuing || rows.bof() || rows.eof()) {
        if (rows.isEmpty())
            return NameSearch::Empty;
        rows.moveFirst();
    }
    // Names that contain the text anywhere; *, ?, # and [...] in it keep their
    // pattern meaning, and quotes, % and _ are plain characters.
    const Criteria criteria = Criteria::like(QStringLiteral("FoodName"), LikePattern::containing(text));
    bool found = continuing ? rows.findNext(criteria) : rows.findFirst(criteria);
    if (!found && continuing) {
        rows.moveFirst();
        found = rows.findFirst(criteria);
    }
    return found ? NameSearch::Found : NameSearch::NotFound;
}
